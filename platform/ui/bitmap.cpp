#include "platform/ui/bitmap.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <algorithm>
#include <vector>

#include "platform/runtime/format.h"
#include "platform/ui/qt_bridge.h"

namespace ui {
namespace {

QImage BlankImage(int w, int h) {
  QImage img(w, h, QImage::Format_RGB32);
  img.fill(Qt::white);
  return img;
}

[[noreturn]] void RaiseOpenError(const String& name) {
  throw rtl::EFOpenError(rtl::Format(u"Cannot open file \"%s\". %s", {name, rtl::SysErrorMessage(2)}));
}

}  // namespace

// The canvas paints straight into the bitmap's image; reading the pixels
// first finishes the painting in progress.
class TBitmap::BitmapCanvas : public TCanvas {
 public:
  explicit BitmapCanvas(TBitmap* owner) : owner_(owner) {}
  ~BitmapCanvas() override { Finish(); }
  void Finish() {
    if (!painter_) return;
    Detach();
    painter_->end();
    painter_.reset();
  }

 protected:
  QPainter* RequirePainter() override {
    if (!painter_) {
      QImage* img = owner_->image_.get();
      if (img->isNull()) return nullptr;
      painter_ = std::make_unique<QPainter>(img);
      Attach(painter_.get(), true);
    }
    return painter_.get();
  }
  QImage* RequireImage() override {
    Finish();
    return owner_->image_.get();
  }

 private:
  TBitmap* owner_;
  std::unique_ptr<QPainter> painter_;
};

const TClassInfo& TBitmap::StaticClassInfo() {
  static const TClassInfo info = TClassBuilder<TBitmap>("TBitmap", &TPersistent::StaticClassInfo())
                                     .Integer("Height", &TBitmap::Height, &TBitmap::SetHeight)
                                     .Boolean("Transparent", &TBitmap::Transparent, &TBitmap::SetTransparent)
                                     .Integer("Width", &TBitmap::Width, &TBitmap::SetWidth)
                                     .Build();
  return info;
}

TBitmap::TBitmap() : image_(std::make_unique<QImage>()) {}

TBitmap::TBitmap(int Width, int Height) : TBitmap() { SetSize(Width, Height); }

TBitmap::~TBitmap() {
  if (canvas_) canvas_->Finish();
}

int TBitmap::Width() const { return image_->width(); }
int TBitmap::Height() const { return image_->height(); }
bool TBitmap::Empty() const { return image_->isNull() || image_->width() == 0 || image_->height() == 0; }

void TBitmap::SetSize(int W, int H) {
  W = std::max(0, W);
  H = std::max(0, H);
  if (W == Width() && H == Height()) return;
  if (canvas_) canvas_->Finish();
  if (W == 0 || H == 0) {
    *image_ = QImage();
  } else {
    QImage next = BlankImage(W, H);
    if (!image_->isNull()) {
      QPainter p(&next);
      p.setCompositionMode(QPainter::CompositionMode_Source);
      p.drawImage(0, 0, *image_);
    }
    *image_ = std::move(next);
  }
  Changed();
}

TCanvas* TBitmap::Canvas() {
  if (!canvas_) canvas_ = std::make_unique<BitmapCanvas>(this);
  return canvas_.get();
}

void TBitmap::SetTransparent(bool Value) {
  if (Value == transparent_) return;
  transparent_ = Value;
  Changed();
}

TColor TBitmap::TransparentColor() {
  if (transparentColor_ != clDefault) return transparentColor_;
  QImage* img = Image();
  if (img->isNull()) return clDefault;
  return qt::FromQColor(QColor::fromRgb(img->pixel(0, img->height() - 1)));
}

void TBitmap::SetTransparentColor(TColor Value) {
  transparentColor_ = Value;
  Changed();
}

QImage* TBitmap::Image() {
  if (canvas_) canvas_->Finish();
  return image_.get();
}

QImage TBitmap::DrawableImage() {
  QImage* img = Image();
  if (!transparent_ || img->isNull()) return *img;
  QImage out = img->convertToFormat(QImage::Format_ARGB32);
  QRgb key = qt::ToQColor(TransparentColor()).rgb() & 0xFFFFFF;
  for (int y = 0; y < out.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
    for (int x = 0; x < out.width(); ++x)
      if ((line[x] & 0xFFFFFF) == key) line[x] = 0;
  }
  return out;
}

void TBitmap::SetImage(const QImage& Img) {
  if (canvas_) canvas_->Finish();
  *image_ = Img.isNull() ? QImage() : Img.convertToFormat(QImage::Format_RGB32);
  Changed();
}

void TBitmap::LoadFromFile(const String& FileName) {
  QString path = qt::Q(FileName);
  if (!QFile::exists(path)) RaiseOpenError(FileName);
  QImageReader reader(path);
  reader.setDecideFormatFromContent(true);
  QImage img = reader.read();
  if (img.isNull()) throw rtl::EInvalidGraphic(u"Bitmap image is not valid");
  SetImage(img);
}

void TBitmap::SaveToFile(const String& FileName) {
  QImage* img = Image();
  if (!img->save(qt::Q(FileName)))
    throw rtl::EFCreateError(rtl::Format(u"Cannot create file \"%s\"", {FileName}));
}

void TBitmap::Assign(const TPersistent* Source) {
  if (!Source) {
    SetSize(0, 0);
    return;
  }
  if (auto* b = dynamic_cast<const TBitmap*>(Source)) {
    auto* src = const_cast<TBitmap*>(b);
    SetImage(*src->Image());
    transparent_ = b->transparent_;
    transparentColor_ = b->transparentColor_;
    return;
  }
  TPersistent::Assign(Source);
}

void TBitmap::Changed() {
  if (OnChange) OnChange(this);
}

// --- TPicture -------------------------------------------------------------------

const TClassInfo& TPicture::StaticClassInfo() {
  static const TClassInfo info = TClassBuilder<TPicture>("TPicture", &TPersistent::StaticClassInfo()).Build();
  return info;
}

TPicture::TPicture() : bitmap_(std::make_unique<TBitmap>()) {
  bitmap_->OnChange = [this](TObject*) {
    if (OnChange) OnChange(this);
  };
}

TPicture::~TPicture() = default;

void TPicture::LoadFromFile(const String& FileName) {
  std::size_t dot = FileName.find_last_of(u'.');
  std::size_t slash = FileName.find_last_of(u"/\\");
  String ext = (dot == String::npos || (slash != String::npos && dot < slash)) ? String() : FileName.substr(dot + 1);
  static const char16_t* kKnown[] = {u"bmp", u"dib", u"png", u"jpg", u"jpeg"};
  bool known = false;
  for (const char16_t* k : kKnown) known = known || rtl::SameText(ext, k);
  if (!known) throw rtl::EInvalidGraphic(rtl::Format(u"Unknown picture file extension (.%s)", {ext}));
  bitmap_->LoadFromFile(FileName);
}

void TPicture::LoadFromData(std::string_view Bytes) {
  if (Bytes.empty()) {
    bitmap_->Assign(nullptr);
    return;
  }
  QByteArray data = QByteArray::fromRawData(Bytes.data(), static_cast<qsizetype>(Bytes.size()));
  QBuffer buffer(&data);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer);
  reader.setDecideFormatFromContent(true);
  QImage img = reader.read();
  if (img.isNull()) throw rtl::EInvalidGraphic(u"Bitmap image is not valid");
  bitmap_->SetImage(img);
}

void TPicture::Assign(const TPersistent* Source) {
  if (auto* p = dynamic_cast<const TPicture*>(Source)) {
    bitmap_->Assign(p->bitmap_.get());
    return;
  }
  if (!Source || dynamic_cast<const TBitmap*>(Source)) {
    bitmap_->Assign(Source);
    return;
  }
  TPersistent::Assign(Source);
}

// --- TImageList -----------------------------------------------------------------

struct TImageList::Impl {
  std::vector<QImage> images;
};

const TClassInfo& TImageList::StaticClassInfo() {
  static const TClassInfo info = TClassBuilder<TImageList>("TImageList", &TComponent::StaticClassInfo())
                                     .Integer("Height", &TImageList::Height, &TImageList::SetHeight, 16)
                                     .Integer("Width", &TImageList::Width, &TImageList::SetWidth, 16)
                                     .Build();
  return info;
}

TImageList::TImageList(TComponent* AOwner) : TComponent(AOwner), impl_(std::make_unique<Impl>()) {}

TImageList::~TImageList() {
  for (TChangeLink* link : links_) link->SetSender(nullptr);
}

void TImageList::SetWidth(int Value) {
  if (Value == width_ || Value <= 0) return;
  width_ = Value;
  Clear();
}

void TImageList::SetHeight(int Value) {
  if (Value == height_ || Value <= 0) return;
  height_ = Value;
  Clear();
}

int TImageList::Count() const { return static_cast<int>(impl_->images.size()); }

int TImageList::AddImage(const QImage& img) {
  int first = Count();
  int pieces = std::max(1, img.width() / width_);
  for (int i = 0; i < pieces; ++i) {
    QImage piece(width_, height_, QImage::Format_ARGB32);
    piece.fill(Qt::transparent);
    QPainter p(&piece);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(0, 0, img, i * width_, 0, std::min(width_, img.width() - i * width_), std::min(height_, img.height()));
    p.end();
    impl_->images.push_back(std::move(piece));
  }
  Changed();
  return first;
}

int TImageList::Add(TBitmap* Image, TBitmap* Mask) {
  if (!Image || Image->Empty()) return -1;
  QImage img = Image->Image()->convertToFormat(QImage::Format_ARGB32);
  if (Mask && !Mask->Empty()) {
    QImage* m = Mask->Image();
    for (int y = 0; y < img.height() && y < m->height(); ++y)
      for (int x = 0; x < img.width() && x < m->width(); ++x)
        if (qGray(m->pixel(x, y)) >= 128) img.setPixel(x, y, 0);
  }
  return AddImage(img);
}

int TImageList::AddMasked(TBitmap* Image, TColor MaskColor) {
  if (!Image || Image->Empty()) return -1;
  QImage img = Image->Image()->convertToFormat(QImage::Format_ARGB32);
  QRgb key = qt::ToQColor(MaskColor).rgb() & 0xFFFFFF;
  for (int y = 0; y < img.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
    for (int x = 0; x < img.width(); ++x)
      if ((line[x] & 0xFFFFFF) == key) line[x] = 0;
  }
  return AddImage(img);
}

void TImageList::Delete(int Index) {
  if (Index < 0 || Index >= Count())
    throw rtl::EListError(rtl::Format(u"List index out of bounds (%d)", {Index}));
  impl_->images.erase(impl_->images.begin() + Index);
  Changed();
}

void TImageList::Clear() {
  if (impl_->images.empty()) return;
  impl_->images.clear();
  Changed();
}

const QImage* TImageList::ImageAt(int Index) const {
  if (Index < 0 || Index >= Count()) return nullptr;
  return &impl_->images[Index];
}

void TImageList::Draw(TCanvas* Canvas, int X, int Y, int Index, bool Enabled) {
  const QImage* img = ImageAt(Index);
  if (!Canvas || !img) return;
  TBitmap tmp;
  QImage src = *img;
  if (!Enabled) {
    // Disabled images are drawn grey and faded.
    for (int y = 0; y < src.height(); ++y) {
      auto* line = reinterpret_cast<QRgb*>(src.scanLine(y));
      for (int x = 0; x < src.width(); ++x) {
        int g = qGray(line[x]) / 2 + 96;
        line[x] = qRgba(g, g, g, qAlpha(line[x]) / 2);
      }
    }
  }
  QPainter* p = Canvas->AttachedPainter();
  if (!p) {
    // Bitmap canvases open their painter on demand.
    Canvas->HandleAllocated();
    p = Canvas->AttachedPainter();
  }
  if (!p) return;
  p->save();
  p->setCompositionMode(QPainter::CompositionMode_SourceOver);
  p->drawImage(X, Y, src);
  p->restore();
}

void TImageList::GetBitmap(int Index, TBitmap* Image) {
  const QImage* img = ImageAt(Index);
  if (!img || !Image) return;
  QImage flat(img->size(), QImage::Format_RGB32);
  flat.fill(Qt::black);
  QPainter p(&flat);
  p.drawImage(0, 0, *img);
  p.end();
  Image->SetImage(flat);
}

void TImageList::RegisterChanges(TChangeLink* Value) {
  if (!Value || std::find(links_.begin(), links_.end(), Value) != links_.end()) return;
  if (Value->Sender() && Value->Sender() != this) Value->Sender()->UnRegisterChanges(Value);
  Value->SetSender(this);
  links_.push_back(Value);
}

void TImageList::UnRegisterChanges(TChangeLink* Value) {
  auto it = std::find(links_.begin(), links_.end(), Value);
  if (it == links_.end()) return;
  links_.erase(it);
  Value->SetSender(nullptr);
}

void TImageList::Changed() {
  if (OnChange) OnChange(this);
  // A listener may unregister itself or another while hearing the change.
  const std::vector<TChangeLink*> links = links_;
  for (TChangeLink* link : links)
    if (std::find(links_.begin(), links_.end(), link) != links_.end()) link->Change();
}

// --- TChangeLink ----------------------------------------------------------------

TChangeLink::~TChangeLink() {
  if (sender_) sender_->UnRegisterChanges(this);
}

void TChangeLink::Change() {
  if (OnChange) OnChange(sender_);
}

}  // namespace ui
