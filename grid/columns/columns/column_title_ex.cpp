#include "grid/columns/columns/column_title_ex.h"

#include <algorithm>

#include "grid/columns/columns/column_def_values_ex.h"
#include "grid/columns/columns/columns_internal.h"
#include "grid/columns/columns/db_grid_columns_ex.h"
#include "grid/columns/filters/st_db_grid_ex_filter.h"
#include "grid/core/custom_db_grid_ex.h"
#include "grid/core/db_grid_ex_module.h"
#include "grid/core/grid_data_link_ex.h"
#include "grid/editor_support/button_faces.h"
#include "platform/classes/typinfo.h"
#include "platform/ui/themes.h"

namespace grid {

using namespace ui;
using namespace columns_detail;

const TClassInfo& TColumnTitleEx::StaticClassInfo() {
  using T = TColumnTitleEx;
  static const TClassInfo info =
      TClassBuilder<T>("TColumnTitleEx", &TPersistent::StaticClassInfo())
          .Enum("Alignment", "TAlignment", {"taLeftJustify", "taRightJustify", "taCenter"}, &T::Alignment,
                &T::SetAlignment)
          .StoredWhen(&T::IsAlignmentStored)
          .Str("Caption", &T::Caption, &T::SetCaption)
          .StoredWhen(&T::IsCaptionStored)
          .Integer("Color", &T::Color, &T::SetColor)
          .StoredWhen(&T::IsColorStored)
          .Boolean("EndEllipsis", &T::EndEllipsis, &T::SetEndEllipsis)
          .StoredWhen(&T::IsEndEllipsisStored)
          .Object("Font", "TFont", &T::Font, &T::SetFont)
          .StoredWhen(&T::IsFontStored)
          .Str("Hint", &T::Hint, &T::SetHint)
          .Integer("ImageIndex", &T::ImageIndex, &T::SetImageIndex, -1)
          .Enum("Orientation", "TTextOrientationEx", {"tohHorizontal", "tohVertical"}, &T::Orientation,
                &T::SetOrientation)
          .StoredWhen(&T::IsOrientationStored)
          .Integer("SortIndex", &T::SortIndex, &T::SetSortIndex, 0)
          .Enum("SortMarker", "TSortMarkerEx", {"smNoneEx", "smDownEx", "smUpEx"}, &T::SortMarker,
                &T::SetSortMarker, smNoneEx)
          .Boolean("TitleButton", &T::TitleButton, &T::SetTitleButton)
          .StoredWhen(&T::IsTitleButtonStored)
          .Boolean("ToolTips", &T::ToolTips, &T::SetToolTips)
          .StoredWhen(&T::IsToolTipsStored)
          .Unit("DBGridEx")
          .Build();
  return info;
}

TColumnTitleEx::TColumnTitleEx(TColumnEx* Column) : FColumn(Column) {
  FFont = std::make_unique<TFont>();
  RefreshDefaultFont();
  FFont->OnChange = [this](TObject*) { FontChanged(); };
}

TColumnTitleEx::~TColumnTitleEx() = default;

static TColumnTitleDefValuesEx* TitleDefsOf(TCustomDBGridEx* Grid) {
  return Grid && Grid->ColumnDefValues() ? Grid->ColumnDefValues()->Title() : nullptr;
}

// --- defaults ----------------------------------------------------------------------

TAlignment TColumnTitleEx::DefaultAlignment() const {
  TColumnTitleDefValuesEx* def = TitleDefsOf(Grid());
  return def ? def->Alignment() : taLeftJustify;
}

String TColumnTitleEx::DefaultCaption() const {
  if (db::TField* f = FColumn->Field()) return f->DisplayName();
  return FColumn->FieldName();
}

TColor TColumnTitleEx::DefaultColor() const {
  TColumnTitleDefValuesEx* def = TitleDefsOf(Grid());
  return def ? def->Color() : clBtnFace;
}

bool TColumnTitleEx::DefaultEndEllipsis() const {
  TColumnTitleDefValuesEx* def = TitleDefsOf(Grid());
  return def && def->EndEllipsis();
}

TFont* TColumnTitleEx::DefaultFont() const {
  TCustomDBGridEx* grid = Grid();
  return grid ? grid->TitleFont() : FColumn->Font();
}

TTextOrientationEx TColumnTitleEx::DefaultOrientation() const {
  TColumnTitleDefValuesEx* def = TitleDefsOf(Grid());
  return def ? def->Orientation() : tohHorizontal;
}

bool TColumnTitleEx::DefaultTitleButton() const {
  TColumnTitleDefValuesEx* def = TitleDefsOf(Grid());
  return def && def->TitleButton();
}

bool TColumnTitleEx::DefaultToolTips() const {
  TColumnTitleDefValuesEx* def = TitleDefsOf(Grid());
  return def && def->ToolTips();
}

// --- getters and setters -------------------------------------------------------------

TAlignment TColumnTitleEx::Alignment() const { return Has(cvTitleAlignment) ? FAlignment : DefaultAlignment(); }
String TColumnTitleEx::Caption() const { return Has(cvTitleCaption) ? FCaption : DefaultCaption(); }
TColor TColumnTitleEx::Color() const { return Has(cvTitleColor) ? FColor : DefaultColor(); }
bool TColumnTitleEx::EndEllipsis() const { return Has(cvTitleEndEllipsis) ? FEndEllipsis : DefaultEndEllipsis(); }
TTextOrientationEx TColumnTitleEx::Orientation() const {
  return Has(cvTitleOrientation) ? FOrientation : DefaultOrientation();
}
bool TColumnTitleEx::TitleButton() const { return Has(cvTitleButton) ? FTitleButton : DefaultTitleButton(); }
bool TColumnTitleEx::ToolTips() const { return Has(cvTitleToolTips) ? FToolTips : DefaultToolTips(); }

TFont* TColumnTitleEx::Font() const {
  if (!Has(cvTitleFont)) const_cast<TColumnTitleEx*>(this)->RefreshDefaultFont();
  return FFont.get();
}

void TColumnTitleEx::RefreshDefaultFont() {
  if (Has(cvTitleFont)) return;
  const TFont* def = DefaultFont();
  if (!def || def == FFont.get() || FFont->SameAs(*def)) return;
  FCopyingFont = true;
  FFont->Assign(def);
  FCopyingFont = false;
}

void TColumnTitleEx::FontChanged() {
  if (FCopyingFont) return;
  Mark(cvTitleFont);
  FColumn->NotifyChanged(true);
}

void TColumnTitleEx::SetFont(const TFont* Value) { FFont->Assign(Value); }

#define JQ_TITLE_SETTER(Setter, Type, Bit, Own)                        \
  void TColumnTitleEx::Setter(Type Value) {                            \
    if (Has(Bit) && Value == Own) return;                              \
    Own = Value;                                                       \
    Mark(Bit);                                                         \
    FColumn->NotifyChanged(false);                                     \
  }
JQ_TITLE_SETTER(SetAlignment, TAlignment, cvTitleAlignment, FAlignment)
JQ_TITLE_SETTER(SetColor, TColor, cvTitleColor, FColor)
JQ_TITLE_SETTER(SetTitleButton, bool, cvTitleButton, FTitleButton)
JQ_TITLE_SETTER(SetEndEllipsis, bool, cvTitleEndEllipsis, FEndEllipsis)
JQ_TITLE_SETTER(SetOrientation, TTextOrientationEx, cvTitleOrientation, FOrientation)
#undef JQ_TITLE_SETTER

void TColumnTitleEx::SetToolTips(bool Value) {
  if (!Has(cvTitleToolTips) || Value != FToolTips) {
    FToolTips = Value;
    Mark(cvTitleToolTips);
  }
}

void TColumnTitleEx::WriteCaption(const String& Value) {
  TCustomDBGridEx* grid = Grid();
  if (FColumn->DefaultColumn() && grid && grid->DataLink()->Active() && FColumn->Field()) {
    FColumn->Field()->SetDisplayLabel(Value);
    return;
  }
  if (Has(cvTitleCaption) && Value == FCaption) return;
  FCaption = Value;
  Mark(cvTitleCaption);
  FColumn->NotifyChanged(false);
}

void TColumnTitleEx::SetImageIndex(int Value) {
  FImageIndex = Value;
  if (TCustomDBGridEx* grid = Grid()) grid->RelayoutGrid();
}

// --- stored tests ------------------------------------------------------------------------

bool TColumnTitleEx::IsAlignmentStored() const { return Has(cvTitleAlignment) && FAlignment != DefaultAlignment(); }
bool TColumnTitleEx::IsCaptionStored() const { return Has(cvTitleCaption) && FCaption != DefaultCaption(); }
bool TColumnTitleEx::IsColorStored() const { return Has(cvTitleColor) && FColor != DefaultColor(); }
bool TColumnTitleEx::IsEndEllipsisStored() const {
  return Has(cvTitleEndEllipsis) && FEndEllipsis != DefaultEndEllipsis();
}
bool TColumnTitleEx::IsFontStored() const { return Has(cvTitleFont); }
bool TColumnTitleEx::IsOrientationStored() const {
  return Has(cvTitleOrientation) && FOrientation != DefaultOrientation();
}
bool TColumnTitleEx::IsTitleButtonStored() const { return Has(cvTitleButton) && FTitleButton != DefaultTitleButton(); }
bool TColumnTitleEx::IsToolTipsStored() const { return Has(cvTitleToolTips) && FToolTips != DefaultToolTips(); }

// --- restoring and copying ----------------------------------------------------------------

void TColumnTitleEx::RestoreDefaults() {
  bool hadFont = Has(cvTitleFont);
  for (TColumnExValue v : {cvTitleColor, cvTitleCaption, cvTitleAlignment, cvTitleFont, cvTitleButton,
                           cvTitleEndEllipsis, cvTitleToolTips, cvTitleOrientation})
    FColumn->FAssignedValues.Exclude(v);
  FCaption.clear();
  RefreshDefaultFont();
  if (hadFont) FColumn->NotifyChanged(true);
}

void TColumnTitleEx::Assign(const TPersistent* Source) {
  auto* src = dynamic_cast<const TColumnTitleEx*>(Source);
  if (!src) {
    TPersistent::Assign(Source);
    return;
  }
  if (src->Has(cvTitleAlignment)) SetAlignment(src->Alignment());
  if (src->Has(cvTitleColor)) SetColor(src->Color());
  if (src->Has(cvTitleCaption)) WriteCaption(src->Caption());
  if (src->Has(cvTitleFont)) SetFont(src->Font());
  SetHint(src->Hint());
  SetImageIndex(src->ImageIndex());
  SetOrientation(src->Orientation());
  SetSortIndex(src->SortIndex());
  SetSortMarker(src->SortMarker());
  SetTitleButton(src->TitleButton());
  SetEndEllipsis(src->EndEllipsis());
  SetToolTips(src->ToolTips());
}

// --- sort marking ------------------------------------------------------------------------

void TColumnTitleEx::SetSortMarker(TSortMarkerEx Value) {
  if (Value == FSortMarker) return;
  FSortMarker = Value;
  TDBGridColumnsEx* columns = FColumn->Columns();
  if (columns && columns->UpdateCount() > 0) return;
  TCustomDBGridEx* grid = Grid();
  if (grid && columns) {
    auto& marked = grid->SortMarkedColumns();
    if (grid->OptionsEx().Contains(dghMultiSortMarking)) {
      if (Value != smNoneEx && FSortIndex == 0) {
        int numbered = 0;
        for (int i = 0; i < columns->Count(); ++i)
          if (columns->ColumnAt(i)->Title()->FSortIndex != 0) ++numbered;
        FSortIndex = numbered + 1;
        marked.push_back(FColumn);
      } else if (Value == smNoneEx && FSortIndex != 0) {
        for (int i = 0; i < columns->Count(); ++i) {
          TColumnTitleEx* t = columns->ColumnAt(i)->Title();
          if (t->FSortIndex > FSortIndex) --t->FSortIndex;
        }
        std::erase(marked, FColumn);
        FSortIndex = 0;
      }
    } else if (Value != smNoneEx) {
      for (int i = 0; i < columns->Count(); ++i) {
        TColumnTitleEx* t = columns->ColumnAt(i)->Title();
        if (t != this && t->FSortMarker != smNoneEx) t->SetSortMarker(smNoneEx);
      }
      FSortIndex = 1;
      marked.clear();
      marked.push_back(FColumn);
    } else {
      FSortIndex = 0;
      marked.clear();
    }
  }
  FColumn->NotifyChanged(false);
}

void TColumnTitleEx::SetSortIndex(int Value) {
  if (Value < 0) Value = 0;
  if (Value == FSortIndex) return;
  TDBGridColumnsEx* columns = FColumn->Columns();
  if (!columns || columns->UpdateCount() > 0) {
    FSortIndex = Value;
    return;
  }
  if (FSortMarker == smNoneEx) return;
  for (int i = 0; i < columns->Count(); ++i) {
    TColumnEx* other = columns->ColumnAt(i);
    if (other == FColumn || other->Title()->FSortIndex != Value) continue;
    other->Title()->FSortIndex = FSortIndex;
    FSortIndex = Value;
    if (TCustomDBGridEx* grid = Grid()) {
      auto& marked = grid->SortMarkedColumns();
      auto a = std::find(marked.begin(), marked.end(), FColumn);
      auto b = std::find(marked.begin(), marked.end(), other);
      if (a != marked.end() && b != marked.end()) std::iter_swap(a, b);
    }
    FColumn->NotifyChanged(false);
    return;
  }
}

void TColumnTitleEx::SetNextSortMarkerValue(bool KeepMulti) {
  TDBGridColumnsEx* columns = FColumn->Columns();
  if (!KeepMulti && columns)
    for (int i = 0; i < columns->Count(); ++i)
      if (columns->ColumnAt(i) != FColumn) columns->ColumnAt(i)->Title()->SetSortMarker(smNoneEx);
  switch (FSortMarker) {
    case smNoneEx: SetSortMarker(smDownEx); break;
    case smDownEx: SetSortMarker(smUpEx); break;
    case smUpEx: SetSortMarker(KeepMulti ? smNoneEx : smDownEx); break;
  }
}

int TColumnTitleEx::GetSortMarkingWidth() const {
  if (FSortIndex == 0) return 0;
  int w = 16, n = 0;
  TCustomDBGridEx* grid = Grid();
  if (grid && grid->SortMarkedColumns().size() >= 2) {
    TCanvas* canvas = grid->Canvas();
    if (SortMarkerFont) {
      FontScope scope(canvas, SortMarkerFont);
      n = canvas->TextWidth(rtl::IntToStr(FSortIndex));
    } else {
      n = canvas->TextWidth(rtl::IntToStr(FSortIndex));
    }
    w += n;
  }
  int width = FColumn->Width();
  if (w > width - 4) w -= 14;
  if (w > width - 4) w = w - n - 2;
  return w;
}

int TColumnTitleEx::GetFilterButtonAreaWidth() const {
  TCustomDBGridEx* grid = FColumn ? FColumn->Grid() : nullptr;
  if (!grid || !grid->STFilter()->Visible() || grid->STFilter()->Location() != stflInTitleFilterEx) return 0;
  if (grid->Flat()) return FlatButtonWidth + (ThemesEnabled() ? 0 : 1);
  return EditorSystemMetrics().VScrollWidth;
}

}  // namespace grid
