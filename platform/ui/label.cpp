#include "platform/ui/label.h"

namespace ui {

const TClassInfo& TLabel::StaticClassInfo() {
  static const TClassInfo info =
      TClassBuilder<TLabel>("TLabel", &TGraphicControl::StaticClassInfo())
          .Str("Caption", &TLabel::Caption, &TLabel::SetCaption)
          .Enum("Alignment", "TAlignment", {"taLeftJustify", "taRightJustify", "taCenter"}, &TLabel::Alignment,
                &TLabel::SetAlignment, taLeftJustify)
          .Enum("Layout", "TTextLayout", {"tlTop", "tlCenter", "tlBottom"}, &TLabel::Layout, &TLabel::SetLayout, tlTop)
          .Boolean("AutoSize", &TLabel::AutoSize, &TLabel::SetAutoSize, 1)
          .Boolean("WordWrap", &TLabel::WordWrap, &TLabel::SetWordWrap, 0)
          .Boolean("Transparent", &TLabel::Transparent, &TLabel::SetTransparent, 0)
          .Boolean("ShowAccelChar", &TLabel::ShowAccelChar, &TLabel::SetShowAccelChar, 1)
          .Build();
  return info;
}

TLabel::TLabel(TComponent* AOwner) : TGraphicControl(AOwner) {
  controlStyle_ = controlStyle_ + csReplicatable;
  SetParentColor(true);
  SetBounds(0, 0, 65, 17);
}

void TLabel::SetAlignment(TAlignment Value) {
  if (Value == alignment_) return;
  alignment_ = Value;
  Invalidate();
}

void TLabel::SetLayout(TTextLayout Value) {
  if (Value == layout_) return;
  layout_ = Value;
  Invalidate();
}

void TLabel::SetAutoSize(bool Value) {
  if (Value == autoSize_) return;
  autoSize_ = Value;
  AdjustBounds();
}

void TLabel::SetWordWrap(bool Value) {
  if (Value == wordWrap_) return;
  wordWrap_ = Value;
  AdjustBounds();
  Invalidate();
}

void TLabel::SetTransparent(bool Value) {
  if (Value == transparent_) return;
  transparent_ = Value;
  Invalidate();
}

void TLabel::SetShowAccelChar(bool Value) {
  if (Value == showAccelChar_) return;
  showAccelChar_ = Value;
  AdjustBounds();
  Invalidate();
}

unsigned TLabel::TextFlags() const {
  unsigned f = DT_EXPANDTABS;
  if (alignment_ == taCenter) f |= DT_CENTER;
  if (alignment_ == taRightJustify) f |= DT_RIGHT;
  if (wordWrap_) f |= DT_WORDBREAK;
  if (!showAccelChar_) f |= DT_NOPREFIX;
  return f;
}

void TLabel::Paint() {
  TCanvas* c = Canvas();
  TRect r = ClientRect();
  if (!transparent_) {
    c->Brush()->SetColor(Color());
    c->Brush()->SetStyle(bsSolid);
    c->FillRect(r);
  }
  c->Brush()->SetStyle(bsClear);
  c->SetFont(Font());
  if (!Enabled()) c->Font()->SetColor(clGrayText);
  String text = Caption();
  if (layout_ != tlTop) {
    TRect calc = r;
    c->DrawText(text, calc, TextFlags() | DT_CALCRECT);
    int dy = r.Height() - calc.Height();
    r.Top += layout_ == tlCenter ? dy / 2 : dy;
  }
  c->DrawText(text, r, TextFlags());
}

void TLabel::AdjustBounds() {
  if (!autoSize_ || IsLoading()) return;
  TCanvas measure;
  measure.SetFont(Font());
  String text = Caption();
  TRect r = Rect(0, 0, wordWrap_ ? Width() : 0, 0);
  measure.DrawText(text.empty() ? String(u" ") : text, r, TextFlags() | DT_CALCRECT);
  int left = Left();
  if (alignment_ == taRightJustify && !wordWrap_) left = Left() + Width() - r.Width();
  SetBounds(left, Top(), r.Width(), r.Height());
}

void TLabel::Loaded() {
  TGraphicControl::Loaded();
  AdjustBounds();
}

void TLabel::FontChanged() {
  TGraphicControl::FontChanged();
  AdjustBounds();
}

void TLabel::TextChanged() {
  TGraphicControl::TextChanged();
  AdjustBounds();
}

}  // namespace ui
