#include "grid/columns/columns/column_def_values_ex.h"

#include "grid/core/custom_db_grid_ex.h"
#include "platform/classes/typinfo.h"

namespace grid {

using namespace ui;

// --- title defaults ------------------------------------------------------------------

const TClassInfo& TColumnTitleDefValuesEx::StaticClassInfo() {
  using T = TColumnTitleDefValuesEx;
  static const TClassInfo info =
      TClassBuilder<T>("TColumnTitleDefValuesEx", &TPersistent::StaticClassInfo())
          .Enum("Alignment", "TAlignment", {"taLeftJustify", "taRightJustify", "taCenter"}, &T::Alignment,
                &T::SetAlignment)
          .StoredWhen(&T::IsAlignmentStored)
          .Integer("Color", &T::Color, &T::SetColor)
          .StoredWhen(&T::IsColorStored)
          .Boolean("EndEllipsis", &T::EndEllipsis, &T::SetEndEllipsis, 0)
          .Enum("Orientation", "TTextOrientationEx", {"tohHorizontal", "tohVertical"}, &T::Orientation,
                &T::SetOrientation, tohHorizontal)
          .Boolean("TitleButton", &T::TitleButton, &T::SetTitleButton, 0)
          .Boolean("ToolTips", &T::ToolTips, &T::SetToolTips, 0)
          .Unit("DBGridEx")
          .Build();
  return info;
}

TCustomDBGridEx* TColumnTitleDefValuesEx::Grid() const { return FColumnDefValues->Grid(); }

TPersistent* TColumnTitleDefValuesEx::GetOwner() const { return FColumnDefValues; }

TAlignment TColumnTitleDefValuesEx::DefaultAlignment() const {
  TCustomDBGridEx* grid = Grid();
  return grid && grid->UseMultiTitle() ? taCenter : taLeftJustify;
}

TColor TColumnTitleDefValuesEx::DefaultColor() const {
  TCustomDBGridEx* grid = Grid();
  return grid ? grid->FixedColor() : clBtnFace;
}

TAlignment TColumnTitleDefValuesEx::Alignment() const {
  return FAssignedValues.Contains(cvdpTitleAlignmentEx) ? FAlignment : DefaultAlignment();
}

TColor TColumnTitleDefValuesEx::Color() const {
  return FAssignedValues.Contains(cvdpTitleColorEx) ? FColor : DefaultColor();
}

void TColumnTitleDefValuesEx::SetAlignment(TAlignment Value) {
  if (FAssignedValues.Contains(cvdpTitleAlignmentEx) && Value == FAlignment) return;
  FAlignment = Value;
  FAssignedValues.Include(cvdpTitleAlignmentEx);
  if (TCustomDBGridEx* grid = Grid()) grid->RelayoutGrid();
}

void TColumnTitleDefValuesEx::SetColor(TColor Value) {
  if (FAssignedValues.Contains(cvdpTitleColorEx) && Value == FColor) return;
  FColor = Value;
  FAssignedValues.Include(cvdpTitleColorEx);
  if (TCustomDBGridEx* grid = Grid()) grid->Invalidate();
}

void TColumnTitleDefValuesEx::SetEndEllipsis(bool Value) {
  if (Value == FEndEllipsis) return;
  FEndEllipsis = Value;
  if (TCustomDBGridEx* grid = Grid()) grid->Invalidate();
}

void TColumnTitleDefValuesEx::SetOrientation(TTextOrientationEx Value) {
  if (Value == FOrientation) return;
  FOrientation = Value;
  if (TCustomDBGridEx* grid = Grid()) grid->RelayoutGrid();
}

bool TColumnTitleDefValuesEx::IsAlignmentStored() const {
  return FAssignedValues.Contains(cvdpTitleAlignmentEx) && FAlignment != DefaultAlignment();
}

bool TColumnTitleDefValuesEx::IsColorStored() const {
  return FAssignedValues.Contains(cvdpTitleColorEx) && FColor != DefaultColor();
}

void TColumnTitleDefValuesEx::Assign(const TPersistent* Source) {
  auto* src = dynamic_cast<const TColumnTitleDefValuesEx*>(Source);
  if (!src) {
    TPersistent::Assign(Source);
    return;
  }
  if (FAssignedValues.Contains(cvdpTitleAlignmentEx)) SetAlignment(src->Alignment());
  if (FAssignedValues.Contains(cvdpTitleColorEx)) SetColor(src->Color());
  SetEndEllipsis(src->EndEllipsis());
  SetTitleButton(src->TitleButton());
  SetToolTips(src->ToolTips());
  SetOrientation(src->Orientation());
}

// --- footer defaults -----------------------------------------------------------------

const TClassInfo& TColumnFooterDefValuesEx::StaticClassInfo() {
  using T = TColumnFooterDefValuesEx;
  static const TClassInfo info = TClassBuilder<T>("TColumnFooterDefValuesEx", &TPersistent::StaticClassInfo())
                                     .Boolean("ToolTips", &T::ToolTips, &T::SetToolTips, 0)
                                     .Unit("DBGridEx")
                                     .Build();
  return info;
}

TPersistent* TColumnFooterDefValuesEx::GetOwner() const { return FOwner; }

void TColumnFooterDefValuesEx::Assign(const TPersistent* Source) {
  auto* src = dynamic_cast<const TColumnFooterDefValuesEx*>(Source);
  if (!src) {
    TPersistent::Assign(Source);
    return;
  }
  SetToolTips(src->ToolTips());
}

// --- column defaults -------------------------------------------------------------------

const TClassInfo& TColumnDefValuesEx::StaticClassInfo() {
  static const TClassInfo info =
      TClassBuilder<TColumnDefValuesEx>("TColumnDefValuesEx", &TPersistent::StaticClassInfo()).Unit("DBGridEx").Build();
  return info;
}

TColumnDefValuesEx::TColumnDefValuesEx(TCustomDBGridEx* Grid) : FGrid(Grid) {
  FTitle = std::make_unique<TColumnTitleDefValuesEx>(this);
  FFooter = std::make_unique<TColumnFooterDefValuesEx>(this);
}

TColumnDefValuesEx::~TColumnDefValuesEx() = default;

TPersistent* TColumnDefValuesEx::GetOwner() const { return FGrid; }

void TColumnDefValuesEx::Repaint() const {
  if (FGrid) FGrid->Invalidate();
}

void TColumnDefValuesEx::SetAlwaysShowEditButton(bool Value) {
  if (Value == FAlwaysShowEditButton) return;
  FAlwaysShowEditButton = Value;
  Repaint();
}

void TColumnDefValuesEx::SetEndEllipsis(bool Value) {
  if (Value == FEndEllipsis) return;
  FEndEllipsis = Value;
  Repaint();
}

void TColumnDefValuesEx::SetHighlightRequired(bool Value) {
  if (Value == FHighlightRequired) return;
  FHighlightRequired = Value;
  Repaint();
}

void TColumnDefValuesEx::SetLayout(TTextLayout Value) {
  if (Value == FLayout) return;
  FLayout = Value;
  Repaint();
}

void TColumnDefValuesEx::Assign(const TPersistent* Source) {
  auto* src = dynamic_cast<const TColumnDefValuesEx*>(Source);
  if (!src) {
    TPersistent::Assign(Source);
    return;
  }
  SetTitle(src->Title());
  SetAlwaysShowEditButton(src->AlwaysShowEditButton());
  SetEndEllipsis(src->EndEllipsis());
  SetAutoDropDown(src->AutoDropDown());
  SetDblClickNextVal(src->DblClickNextVal());
  SetToolTips(src->ToolTips());
  SetDropDownSizing(src->DropDownSizing());
  SetDropDownShowTitles(src->DropDownShowTitles());
}

const TClassInfo& TDBGridExColumnDefValuesEx::StaticClassInfo() {
  using C = TColumnDefValuesEx;
  using P = TDBGridExColumnDefValuesEx;
  static const TClassInfo info =
      TClassBuilder<P>("TDBGridExColumnDefValuesEx", &TColumnDefValuesEx::StaticClassInfo())
          .Boolean("AlwaysShowEditButton", &C::AlwaysShowEditButton, &C::SetAlwaysShowEditButton, 0)
          .Boolean("AutoDropDown", &C::AutoDropDown, &C::SetAutoDropDown, 0)
          .Boolean("DblClickNextVal", &C::DblClickNextVal, &C::SetDblClickNextVal, 0)
          .Boolean("DropDownShowTitles", &C::DropDownShowTitles, &C::SetDropDownShowTitles, 0)
          .Boolean("DropDownSizing", &C::DropDownSizing, &C::SetDropDownSizing, 0)
          .Boolean("EndEllipsis", &C::EndEllipsis, &C::SetEndEllipsis, 0)
          .Object("Footer", "TColumnFooterDefValuesEx", &P::PublishedFooter, &C::SetFooter)
          .Boolean("HighlightRequired", &C::HighlightRequired, &C::SetHighlightRequired, 0)
          .Enum("Layout", "TTextLayout", {"tlTop", "tlCenter", "tlBottom"}, &C::Layout, &C::SetLayout, ui::tlTop)
          .Object("Title", "TColumnTitleDefValuesEx", &P::PublishedTitle, &C::SetTitle)
          .Boolean("ToolTips", &C::ToolTips, &C::SetToolTips, 0)
          .Unit("DBGridEx")
          .Build();
  return info;
}

}  // namespace grid
