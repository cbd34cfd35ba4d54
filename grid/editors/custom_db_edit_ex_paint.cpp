// The look of TCustomDBEditEx: the image, the text area beside buttons and
// image, the height rule, the active border, the required-field mark, text
// the edit window cannot align itself, and the tooltip for long text.
#include <cmath>
#include <limits>

#include "grid/editor_support/button_faces.h"
#include "platform/ui/canvas.h"
#include "grid/editors/custom_db_edit_ex.h"
#include "platform/data/data_source.h"
#include "platform/data/dataset.h"
#include "platform/ui/themes.h"
#include "grid/editor_support/tool_routines.h"
#include "grid/editors/tool_tips_window.h"

namespace grid {

using namespace ui;

namespace {

// The rounding of a numeric value to an image index; -1 when the value has
// no integer of that size (NaN, infinities and huge magnitudes would
// otherwise overflow the conversion).
int ImageIndexOfNumber(double V) {
  if (!std::isfinite(V)) return -1;
  const double r = std::nearbyint(V);
  if (r < static_cast<double>(std::numeric_limits<int>::min()) ||
      r > static_cast<double>(std::numeric_limits<int>::max()))
    return -1;
  return static_cast<int>(r);
}

}  // namespace

TEditImageEx* TCustomDBEditEx::EditImage() const {
  if (!editImage_) editImage_ = const_cast<TCustomDBEditEx*>(this)->CreateEditImage();
  return editImage_.get();
}

std::unique_ptr<TEditImageEx> TCustomDBEditEx::CreateEditImage() { return std::make_unique<TEditImageEx>(this); }

void TCustomDBEditEx::SetImages(TImageList* Value) {
  EditImage()->SetImages(Value);
  EditImage()->SetVisible(true);
}

void TCustomDBEditEx::SetOnGetImageIndex(TGetImageIndexEventEx Value) {
  onGetImageIndex_ = std::move(Value);
  UpdateImageIndex();
}

void TCustomDBEditEx::UpdateImageIndex() {
  TEditImageEx* image = EditImage();
  if (!image->Visible() || !image->Images()) return;
  int index = DefaultImageIndex();
  const Variant v = Value();
  switch (v.VarType()) {
    case rtl::varSmallint:
    case rtl::varInteger:
    case rtl::varDouble:
    case rtl::varCurrency:
      index = ImageIndexOfNumber(v.AsDouble());
      break;
    default:
      break;
  }
  if (onGetImageIndex_) onGetImageIndex_(this, index);
  image->SetImageIndex(index);
}

// --- rectangles ------------------------------------------------------------------------

int TCustomDBEditEx::FrameWidth() const { return BorderStyle() == bsSingle ? 2 : 0; }

TRect TCustomDBEditEx::InnerClientRect() const {
  const int b = FrameWidth();
  return Rect(b, b, std::max(b, Width() - b), std::max(b, Height() - b));
}

TRect TCustomDBEditEx::ImageRect() const {
  const TRect c = InnerClientRect();
  if (UseRightToLeftAlignment()) return Rect(c.Right - imageWidth_, c.Top, c.Right, c.Bottom);
  return Rect(c.Left, c.Top, c.Left + imageWidth_, c.Bottom);
}

void TCustomDBEditEx::TextAreaRect(TRect& Rect) const {
  Rect = InnerClientRect();
  const bool image = EditImage()->Visible() && EditImage()->Images();
  if (UseRightToLeftAlignment()) {
    Rect.Left += buttonWidth_;
    if (image) Rect.Right -= imageWidth_;
  } else {
    Rect.Right -= buttonWidth_;
    if (image) Rect.Left += imageWidth_;
  }
  if (Rect.Right < Rect.Left) Rect.Right = Rect.Left;
}

void TCustomDBEditEx::UpdateEditRect() {
  if (!HandleAllocated()) return;
  const TRect inner = InnerClientRect(), text = TextArea();
  if (MultiLine()) {
    SetFormattingRect(text);
    Perform(EM_SCROLLCARET);
    return;
  }
  SetMargins(text.Left - inner.Left, inner.Right - text.Right);
}

void TCustomDBEditEx::InitWidget() {
  TCustomMaskEdit::InitWidget();
  SetTextAlignment(WindowAlignment());
  if (PasswordChar()) TEdit::SetPasswordChar(PasswordChar());
  ApplyAutoHeight();
  UpdateBorderActive();
  UpdateEditButtonControlList();
  UpdateEditButtonControlsState();
  TEditImageEx* image = EditImage();
  imageWidth_ = 0;
  if (image->Visible() && image->Images())
    imageWidth_ = (image->Width() > 0 ? image->Width() : image->Images()->Width()) + 4;
  UpdateImageIndex();
  UpdateEditRect();
}

void TCustomDBEditEx::SizeChanged(int OldWidth, int OldHeight) {
  TCustomMaskEdit::SizeChanged(OldWidth, OldHeight);
  if (!HandleAllocated()) return;
  UpdateEditButtonControlList();
  UpdateEditRect();
}

void TCustomDBEditEx::FontChanged() {
  TCustomMaskEdit::FontChanged();
  if (fixedHeight_ && !(IsLoading() && Designing())) FitHeightToFont();
  UpdateEditRect();
}

void TCustomDBEditEx::ColorChanged() {
  TCustomMaskEdit::ColorChanged();
  UpdateEditButtonControlsState();
}

void TCustomDBEditEx::EnabledChanged() {
  TCustomMaskEdit::EnabledChanged();
  UpdateEditButtonControlsState();
}

// --- window style ------------------------------------------------------------------------

TAlignment TCustomDBEditEx::WindowAlignment() const {
  // One line keeps the window on the reading side; other alignments are
  // drawn by the editor while it has no focus.
  const bool rtl = UseRightToLeftAlignment();
  if (!wordWrap_) return rtl ? taRightJustify : taLeftJustify;
  switch (Alignment()) {
    case taCenter:
      return taCenter;
    case taRightJustify:
      return rtl ? taLeftJustify : taRightJustify;
    default:
      return rtl ? taRightJustify : taLeftJustify;
  }
}

void TCustomDBEditEx::SetFlat(bool Value) {
  if (flat_ == Value) return;
  flat_ = Value;
  if (HandleAllocated()) RecreateWnd();
}

void TCustomDBEditEx::SetWordWrap(bool Value) {
  if (wordWrap_ == Value) return;
  wordWrap_ = Value;
  ApplyWindowKind();
}

void TCustomDBEditEx::SetPasswordChar(char16_t Value) {
  if (PasswordChar() == Value) return;
  TEdit::SetPasswordChar(Value);
  ApplyWindowKind();
}

void TCustomDBEditEx::ApplyWindowKind() {
  // Wrapped text needs the multi-line window; a password is never shown on
  // several lines, so it keeps the single-line one.
  const bool multiLine = wordWrap_ && !PasswordChar();
  if (multiLine != MultiLine()) {
    SetMultiLine(multiLine);  // makes the window anew
    return;
  }
  if (HandleAllocated()) RecreateWnd();
}

// --- height ------------------------------------------------------------------------------

int TCustomDBEditEx::CharHeight(const TFont* Font) const {
  TCanvas canvas;
  canvas.Font()->Assign(Font);
  return canvas.TextHeight(u"0");
}

void TCustomDBEditEx::FitHeightToFont() {
  // The border height of the system is one pixel; the 3D look is the only look here.
  const int extra = 8 - (flat_ ? 2 : 0);
  int h = CharHeight(Font());
  TEditImageEx* image = EditImage();
  if (image->Images() && image->UseImageHeight() && image->Images()->Height() > h) h = image->Images()->Height();
  SetHeight(h + extra);
}

void TCustomDBEditEx::ApplyAutoHeight() {
  fixedHeight_ = autoSize_ && BorderStyle() == bsSingle;
  if (fixedHeight_) FitHeightToFont();
}

void TCustomDBEditEx::SetAutoSize(bool Value) {
  if (autoSize_ == Value) return;
  autoSize_ = Value;
  ApplyAutoHeight();
}

// --- border ---------------------------------------------------------------------------------

void TCustomDBEditEx::SetAlwaysShowBorder(bool Value) {
  if (alwaysShowBorder_ == Value) return;
  alwaysShowBorder_ = Value;
  UpdateBorderActive();
}

void TCustomDBEditEx::UpdateBorderActive() {
  if (IsLoading()) return;
  const bool active = Designing() || Focused() || focused_ || mouseAboveControl_ || alwaysShowBorder_;
  if (active == borderActive_) return;
  borderActive_ = active;
  UpdateEditButtonControlsState();
}

void TCustomDBEditEx::SetMouseAbove(bool Value) {
  if (mouseAboveControl_ == Value) return;
  mouseAboveControl_ = Value;
  UpdateBorderActive();
}

// --- hints ------------------------------------------------------------------------------------

void TCustomDBEditEx::SetTooltips(bool Value) {
  if (tooltips_ == Value) return;
  tooltips_ = Value;
  UpdateShowHint();
}

void TCustomDBEditEx::SetShowHint(bool Value) {
  if (ownShowHint_ == Value) return;
  ownShowHint_ = Value;
  UpdateShowHint();
}

void TCustomDBEditEx::UpdateShowHint() { TControl::SetShowHint(tooltips_ || ownShowHint_); }

bool TCustomDBEditEx::TextOverflows() const {
  const TRect area = TextArea();
  const int width = std::max(1, area.Width());
  TCanvas canvas;
  canvas.Font()->Assign(Font());
  TRect r = Rect(0, 0, width, 0);
  unsigned flags = DT_CALCRECT | DT_NOPREFIX;
  if (wordWrap_) flags |= DT_WORDBREAK;
  if (UseRightToLeftReading()) flags |= DT_RTLREADING;
  canvas.DrawText(Text(), r, flags);
  return r.Width() > width - 2 || r.Height() > area.Height();
}

bool TCustomDBEditEx::GetHintInfo(THintInfo& Info) const {
  if (tooltips_ && TextOverflows()) {
    Info.HintStr = Text();
    Info.HintPos = ClientToScreen(Point(0, Height()));
    Info.HintWindowClass = [](TComponent* Owner) -> THintWindow* { return new TToolTipsWindow(Owner); };
    Info.HintData = Font();
    return true;
  }
  return ownShowHint_;
}

// --- painting -----------------------------------------------------------------------------------

String TCustomDBEditEx::DisplayTextForPaintCopy() const {
  if (Designing() && !DataLink()->Active()) return Name();
  db::TField* f = Field();
  if (f && ControlState().Contains(csPaintCopy)) return f->DisplayText();
  return EditText();
}

bool TCustomDBEditEx::PaintsItself() const {
  const bool windowShows = Alignment() == taLeftJustify || focused_ || wordWrap_;
  const bool copy = ControlState().Contains(csPaintCopy);
  const bool unboundDesign = Designing() && DataIndepended();
  return !(windowShows && !copy && !unboundDesign);
}

void TCustomDBEditEx::PaintRequiredState(TCanvas* Canvas) {
  bool draw = false;
  if (highlightRequired_ && dataLink_->Active()) {
    if (dataLink_->DataIndepended()) {
      draw = Value().IsNull() || Text().empty();
    } else {
      db::TDataSet* ds = DataSource() ? DataSource()->DataSet() : nullptr;
      db::TField* f = Field();
      draw = ds && (ds->State() == db::dsEdit || ds->State() == db::dsInsert) && f && f->Required() && f->IsNull();
    }
  }
  if (OnCheckDrawRequiredState) OnCheckDrawRequiredState(this, draw);
  if (!draw) return;
  const TRect text = TextArea();
  const int y = InnerClientRect().Bottom - 1;
  Canvas->Pen()->SetColor(clRed);
  DrawDottedLine(Canvas, Point(text.Left + 2, y), std::max(0, text.Right - 3 - (text.Left + 2)), false, true);
}

void TCustomDBEditEx::PaintText(TCanvas* Canvas) {
  const TRect inner = InnerClientRect();
  TRect r = Rect(inner.Left + imageWidth_, inner.Top, inner.Right - buttonWidth_ - 1, inner.Bottom);
  if (UseRightToLeftAlignment()) {
    r.Left += buttonWidth_ - imageWidth_;
    r.Right += buttonWidth_ - imageWidth_;
  }
  Canvas->Brush()->SetColor(Color());
  Canvas->FillRect(r);
  Canvas->Font()->Assign(Font());
  if (!Enabled()) Canvas->Font()->SetColor(clGrayText);
  String text = DisplayTextForPaintCopy();
  if (PasswordChar()) text.assign(text.size(), PasswordChar());
  TAlignment align = Alignment();
  if (UseRightToLeftAlignment()) {
    if (align == taLeftJustify)
      align = taRightJustify;
    else if (align == taRightJustify)
      align = taLeftJustify;
  }
  const int margin = 2;
  const int w = Canvas->TextWidth(text);
  int x = r.Left + margin;
  if (align == taRightJustify)
    x = r.Right - w - margin;
  else if (align == taCenter)
    x = r.Left + (r.Width() - w) / 2;
  // Centred vertically, where the edit window puts its own line.
  const int y = r.Top + (r.Height() - Canvas->TextHeight(text)) / 2;
  Canvas->Brush()->SetStyle(bsClear);
  Canvas->TextRect(r, x, y, text);
  Canvas->Brush()->SetStyle(bsSolid);
}

void TCustomDBEditEx::PaintWindow(QWidget* Target, const TRect& Area, const std::function<void()>& Base) {
  // The edit window draws its frame and text; graphic children (the
  // buttons) and what the editor adds come over it.
  TCustomMaskEdit::PaintWindow(Target, Area, Base);
  TCanvas canvas;
  PaintOnWidget(Target, &canvas, [&] {
    TEditImageEx* image = EditImage();
    if (image->Visible() && image->Images() && image->ImageIndex() >= 0) {
      TRect r = ImageRect();
      r = Rect(r.Left + 2, r.Top + 1, r.Right - 2, r.Bottom - 1);
      DrawImageInRect(&canvas, r, image->Images(), image->ImageIndex(), false);
    }
    if (PaintsItself()) PaintText(&canvas);
    PaintRequiredState(&canvas);
  });
}

}  // namespace grid
