#include "platform/ui/image.h"

namespace ui {

const TClassInfo& TImage::StaticClassInfo() {
  static const TClassInfo info = TClassBuilder<TImage>("TImage", &TGraphicControl::StaticClassInfo())
                                     .Object("Picture", "TPicture", &TImage::Picture, &TImage::SetPicture)
                                     .Boolean("Stretch", &TImage::Stretch, &TImage::SetStretch, 0)
                                     .Boolean("Proportional", &TImage::Proportional, &TImage::SetProportional, 0)
                                     .Boolean("Center", &TImage::Center, &TImage::SetCenter, 0)
                                     .Boolean("Transparent", &TImage::Transparent, &TImage::SetTransparent, 0)
                                     .Boolean("AutoSize", &TImage::AutoSize, &TImage::SetAutoSize, 0)
                                     .Build();
  return info;
}

TImage::TImage(TComponent* AOwner) : TGraphicControl(AOwner), picture_(std::make_unique<TPicture>()) {
  picture_->OnChange = [this](TObject*) { PictureChanged(); };
  SetBounds(0, 0, 105, 105);
}

TImage::~TImage() { BeginDestroy(); }

void TImage::SetStretch(bool Value) {
  stretch_ = Value;
  Invalidate();
}
void TImage::SetProportional(bool Value) {
  proportional_ = Value;
  Invalidate();
}
void TImage::SetCenter(bool Value) {
  center_ = Value;
  Invalidate();
}
void TImage::SetTransparent(bool Value) {
  transparent_ = Value;
  picture_->Bitmap()->SetTransparent(Value);
  Invalidate();
}
void TImage::SetAutoSize(bool Value) {
  autoSize_ = Value;
  PictureChanged();
}

void TImage::PictureChanged() {
  if (autoSize_ && !picture_->Empty()) SetBounds(Left(), Top(), picture_->Width(), picture_->Height());
  Invalidate();
}

TRect TImage::DestRect() const {
  int pw = picture_->Width(), ph = picture_->Height();
  int cw = Width(), ch = Height();
  if (pw <= 0 || ph <= 0) return {};
  int w = pw, h = ph;
  if (stretch_) {
    if (proportional_) {
      // Fit inside, keeping the ratio.
      if (static_cast<long long>(pw) * ch > static_cast<long long>(ph) * cw) {
        w = cw;
        h = static_cast<int>(static_cast<long long>(ph) * cw / pw);
      } else {
        h = ch;
        w = static_cast<int>(static_cast<long long>(pw) * ch / ph);
      }
    } else {
      w = cw;
      h = ch;
    }
  } else if (proportional_ && (pw > cw || ph > ch)) {
    if (static_cast<long long>(pw) * ch > static_cast<long long>(ph) * cw) {
      w = cw;
      h = static_cast<int>(static_cast<long long>(ph) * cw / pw);
    } else {
      h = ch;
      w = static_cast<int>(static_cast<long long>(pw) * ch / ph);
    }
  }
  TRect r = Bounds(0, 0, w, h);
  if (center_) r.Offset((cw - w) / 2, (ch - h) / 2);
  return r;
}

void TImage::Paint() {
  if (picture_->Empty()) return;
  Canvas()->StretchDraw(DestRect(), picture_->Bitmap());
}

}  // namespace ui
