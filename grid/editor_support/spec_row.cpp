#include "grid/editor_support/spec_row.h"

#include "grid/editor_support/tool_routines.h"

namespace grid {

using namespace ui;

const TClassInfo& TSpecRowEx::StaticClassInfo() {
  static const TClassInfo info =
      TClassBuilder<TSpecRowEx>("TSpecRowEx", &TPersistent::StaticClassInfo())
          .Str("CellsText", &TSpecRowEx::CellsText, &TSpecRowEx::SetCellsText)
          .Integer("Color", &TSpecRowEx::Color, &TSpecRowEx::SetColor)
          .StoredWhen(&TSpecRowEx::ColorAssigned)
          .Object("Font", "TFont", &TSpecRowEx::PublishedFont, &TSpecRowEx::SetFont)
          .StoredWhen(&TSpecRowEx::FontAssigned)
          .Integer("ShortCut", &TSpecRowEx::ShortCut, &TSpecRowEx::SetShortCut, DefaultShortCut)
          .Boolean("ShowIfNotInKeyList", &TSpecRowEx::ShowIfNotInKeyList, &TSpecRowEx::SetShowIfNotInKeyList, 1)
          .Var("Value", &TSpecRowEx::Value, &TSpecRowEx::SetValue)
          .StoredWhen(&TSpecRowEx::IsValueStored)
          .Boolean("Visible", &TSpecRowEx::Visible, &TSpecRowEx::SetVisible, 0)
          .Build();
  return info;
}

TSpecRowEx::TSpecRowEx(TPersistent* Owner) : cells_(std::make_unique<TStringList>()), font_(std::make_unique<TFont>()),
                                             owner_(Owner) {
  copyingFont_ = true;
  font_->Assign(DefaultFont());
  copyingFont_ = false;
  font_->OnChange = [this](TObject*) { HandleFontChange(); };
}

TSpecRowEx::~TSpecRowEx() { font_->OnChange = nullptr; }

const TFont* TSpecRowEx::DefaultFont() const {
  if (auto* c = dynamic_cast<TControl*>(owner_)) return c->Font();
  return font_.get();
}

TColor TSpecRowEx::DefaultColor() const {
  if (auto* c = dynamic_cast<TCustomControl*>(owner_)) return c->Color();
  return color_;
}

TFont* TSpecRowEx::Font() {
  const TFont* def = DefaultFont();
  if (!fontAssigned_ && def != font_.get() && !font_->SameAs(*def)) {
    copyingFont_ = true;
    font_->Assign(def);
    copyingFont_ = false;
  }
  return font_.get();
}

void TSpecRowEx::SetFont(const TFont* Value) { font_->Assign(Value); }

void TSpecRowEx::HandleFontChange() {
  if (copyingFont_) return;
  fontAssigned_ = true;
  NotifyChanged();
}

TColor TSpecRowEx::Color() const { return colorAssigned_ ? color_ : DefaultColor(); }

void TSpecRowEx::SetColor(TColor Value) {
  if (colorAssigned_ && Value == color_) return;
  color_ = Value;
  colorAssigned_ = true;
  NotifyChanged();
}

void TSpecRowEx::RestoreDefaultColor() {
  if (!colorAssigned_) return;
  colorAssigned_ = false;
  NotifyChanged();
}

void TSpecRowEx::SetCellsText(const String& Value) {
  if (Value == cellsText_) return;
  cellsText_ = Value;
  SplitCellsText();
  NotifyChanged();
}

String TSpecRowEx::CellTextAt(int Index) const {
  if (Index < 0 || Index >= cells_->Count()) return {};
  return cells_->Get(Index);
}

void TSpecRowEx::SetValue(const rtl::Variant& Value) {
  bool same = false;
  try {
    same = rtl::VarCompareValue(value_, Value) == rtl::TVariantRelationship::vrEqual &&
           value_.IsEmpty() == Value.IsEmpty();
  } catch (...) {
    same = false;
  }
  if (same) return;
  value_ = Value;
  NotifyChanged();
}

void TSpecRowEx::SetVisible(bool Value) {
  if (Value == visible_) return;
  visible_ = Value;
  NotifyChanged();
}

void TSpecRowEx::SetShowIfNotInKeyList(bool Value) {
  if (Value == showIfNotInKeyList_) return;
  showIfNotInKeyList_ = Value;
  NotifyChanged();
}

void TSpecRowEx::NotifyChanged() {
  if (updateCount_ == 0 && OnChanged) OnChanged(this);
}

void TSpecRowEx::EndUpdate() {
  if (updateCount_ > 0) --updateCount_;
  NotifyChanged();
}

bool TSpecRowEx::LocateKey(const rtl::Variant& KeyValue) const { return visible_ && VariantsEqual(value_, KeyValue); }

void TSpecRowEx::Assign(const TPersistent* Source) {
  auto* src = dynamic_cast<const TSpecRowEx*>(Source);
  if (!src) {
    TPersistent::Assign(Source);
    return;
  }
  BeginUpdate();
  try {
    SetCellsText(src->CellsText());
    SetColor(src->Color());
    if (src->FontAssigned()) SetFont(src->font_.get());
    SetShortCut(src->ShortCut());
    SetShowIfNotInKeyList(src->ShowIfNotInKeyList());
    SetValue(src->Value());
    SetVisible(src->Visible());
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TSpecRowEx::SplitCellsText() {
  cells_->BeginUpdate();
  cells_->Clear();
  // A NUL ends the text: nothing skips it, so reading on would add empty
  // cells for ever.
  const String s = cellsText_.substr(0, cellsText_.find(u'\0'));
  std::size_t i = 0, n = s.size();
  while (i < n && s[i] >= 1 && s[i] <= 32) ++i;
  while (i < n) {
    String item;
    if (s[i] == u'"') {
      ++i;
      while (i < n) {
        if (s[i] == u'"') {
          if (i + 1 < n && s[i + 1] == u'"') {
            item += u'"';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        item += s[i++];
      }
    } else {
      while (i < n && s[i] >= 32 && s[i] != u';') item += s[i++];
    }
    cells_->Add(item);
    while (i < n && s[i] >= 1 && s[i] <= 31) ++i;
    if (i < n && s[i] == u';') {
      ++i;
      while (i < n && s[i] >= 1 && s[i] <= 31) ++i;
    }
  }
  cells_->EndUpdate();
}

}  // namespace grid
