#include "grid/columns/sums/column_footer_ex.h"

#include "grid/columns/columns/column_def_values_ex.h"
#include "grid/columns/sums/db_grid_ex_sum_list.h"
#include "grid/core/custom_db_grid_ex.h"
#include "platform/classes/typinfo.h"

namespace grid {

using namespace ui;

const TClassInfo& TColumnFooterEx::StaticClassInfo() {
  using T = TColumnFooterEx;
  static const TClassInfo info =
      TClassBuilder<T>("TColumnFooterEx", &TCollectionItem::StaticClassInfo())
          .Enum("Alignment", "TAlignment", {"taLeftJustify", "taRightJustify", "taCenter"}, &T::Alignment,
                &T::SetAlignment)
          .StoredWhen(&T::IsAlignmentStored)
          .Integer("Color", &T::Color, &T::SetColor)
          .StoredWhen(&T::IsColorStored)
          .Str("DisplayFormat", &T::DisplayFormat, &T::SetDisplayFormat)
          .Boolean("EndEllipsis", &T::EndEllipsis, &T::SetEndEllipsis, 0)
          .Str("FieldName", &T::FieldName, &T::SetFieldName)
          .Object("Font", "TFont", &T::Font, &T::SetFont)
          .StoredWhen(&T::IsFontStored)
          .Boolean("ToolTips", &T::ToolTips, &T::SetToolTips)
          .StoredWhen(&T::IsToolTipsStored)
          .Str("Value", &T::Value, &T::SetValue)
          .Enum("ValueType", "TFooterValueType",
                {"fvtNon", "fvtSum", "fvtAvg", "fvtCount", "fvtFieldValue", "fvtStaticText"}, &T::ValueType,
                &T::SetValueType, fvtNon)
          .Boolean("WordWrap", &T::WordWrap, &T::SetWordWrap, 0)
          .Unit("DBGridEx")
          .Build();
  return info;
}

TColumnFooterEx::TColumnFooterEx(TCollection* Collection) : TCollectionItem(Collection) {
  if (auto* footers = dynamic_cast<TColumnFootersEx*>(Collection)) FColumn = footers->Column();
  Init();
  RepaintFooter();
}

TColumnFooterEx::TColumnFooterEx(TColumnEx* Column) : TCollectionItem(nullptr), FColumn(Column) { Init(); }

TColumnFooterEx* TColumnFooterEx::CreateApart(TColumnEx* Column) { return new TColumnFooterEx(Column); }

void TColumnFooterEx::Init() {
  FFont = std::make_unique<TFont>();
  RefreshFont();
  FFont->OnChange = [this](TObject*) { FontChanged(); };
}

TColumnFooterEx::~TColumnFooterEx() {
  RepaintFooter();
  FreeSum();
}

void TColumnFooterEx::RepaintFooter() const {
  if (TCustomDBGridEx* grid = Grid()) grid->InvalidateFooter();
}

void TColumnFooterEx::Notify(bool AllItems) {
  if (FColumn) FColumn->NotifyChanged(AllItems);
}

// --- defaults and getters --------------------------------------------------------

TAlignment TColumnFooterEx::DefaultAlignment() const {
  db::TField* f = FColumn ? FColumn->Field() : nullptr;
  return f ? static_cast<TAlignment>(f->Alignment()) : taLeftJustify;
}

TColor TColumnFooterEx::DefaultColor() const {
  TCustomDBGridEx* grid = Grid();
  return grid ? grid->FooterColor() : clWindow;
}

TFont* TColumnFooterEx::DefaultFont() const {
  if (TCustomDBGridEx* grid = Grid()) return grid->FooterFont();
  return FColumn ? FColumn->Font() : nullptr;
}

bool TColumnFooterEx::DefaultToolTips() const {
  TCustomDBGridEx* grid = Grid();
  return grid && grid->ColumnDefValues() && grid->ColumnDefValues()->Footer()->ToolTips();
}

TAlignment TColumnFooterEx::Alignment() const {
  return FAssignedValues.Contains(cvFooterAlignment) ? FAlignment : DefaultAlignment();
}

TColor TColumnFooterEx::Color() const {
  return FAssignedValues.Contains(cvFooterColor) ? FColor : DefaultColor();
}

bool TColumnFooterEx::ToolTips() const {
  return FAssignedValues.Contains(cvFooterToolTips) ? FToolTips : DefaultToolTips();
}

void TColumnFooterEx::RefreshFont() const {
  const TFont* def = DefaultFont();
  if (!def || def == FFont.get() || FFont->SameAs(*def)) return;
  FCopyingFont = true;
  FFont->Assign(def);
  FCopyingFont = false;
}

TFont* TColumnFooterEx::Font() const {
  if (!FAssignedValues.Contains(cvFooterFont)) RefreshFont();
  return FFont.get();
}

String TColumnFooterEx::AggregateFieldName() const {
  if (!FFieldName.empty() || !FColumn) return FFieldName;
  return FColumn->FieldName();
}

rtl::Variant TColumnFooterEx::SumValue() const {
  return FDBSum ? FDBSum->SumVariant() : rtl::Variant::Null();
}

// --- setters ---------------------------------------------------------------------------

void TColumnFooterEx::SetAlignment(TAlignment Value) {
  if (FAssignedValues.Contains(cvFooterAlignment) && Value == FAlignment) return;
  FAlignment = Value;
  FAssignedValues.Include(cvFooterAlignment);
  Notify();
}

void TColumnFooterEx::SetColor(TColor Value) {
  if (FAssignedValues.Contains(cvFooterColor) && Value == FColor) return;
  FColor = Value;
  FAssignedValues.Include(cvFooterColor);
  Notify();
}

void TColumnFooterEx::SetToolTips(bool Value) {
  if (!FAssignedValues.Contains(cvFooterToolTips) || Value != FToolTips) {
    FToolTips = Value;
    FAssignedValues.Include(cvFooterToolTips);
  }
}

void TColumnFooterEx::SetFont(const TFont* Value) { FFont->Assign(Value); }

void TColumnFooterEx::FontChanged() {
  if (FCopyingFont) return;
  FAssignedValues.Include(cvFooterFont);
  Notify(true);
}

void TColumnFooterEx::SetEndEllipsis(bool Value) {
  FEndEllipsis = Value;
  Notify();
}

void TColumnFooterEx::SetValue(const String& Value) {
  FValue = Value;
  Notify();
}

void TColumnFooterEx::SetWordWrap(bool Value) {
  FWordWrap = Value;
  Notify();
}

void TColumnFooterEx::SetDisplayFormat(const String& Value) {
  if (Value == FDisplayFormat) return;
  FDisplayFormat = Value;
  Notify();
}

void TColumnFooterEx::SetFieldName(const String& Value) {
  FFieldName = Value;
  if (FColumn) FColumn->EnsureSumValues();
  Notify();
}

void TColumnFooterEx::SetValueType(TFooterValueType Value) {
  if (Value == FValueType) return;
  FValueType = Value;
  if (FColumn) FColumn->EnsureSumValues();
  Notify();
}

bool TColumnFooterEx::IsAlignmentStored() const {
  return FAssignedValues.Contains(cvFooterAlignment) && FAlignment != DefaultAlignment();
}

bool TColumnFooterEx::IsColorStored() const {
  return FAssignedValues.Contains(cvFooterColor) && FColor != DefaultColor();
}

// --- sum item ------------------------------------------------------------------------------

void TColumnFooterEx::FreeSum() {
  TDBSum* sum = FDBSum;
  FDBSum = nullptr;
  delete sum;
}

void TColumnFooterEx::EnsureSumValue() {
  TCustomDBGridEx* grid = Grid();
  if (!grid || !grid->SumList()) return;
  bool aggregate = FValueType == fvtSum || FValueType == fvtAvg;
  if (FDBSum) {
    if (aggregate) {
      FDBSum->SetGroupOperation(FValueType == fvtSum ? goSum : goAvg);
      FDBSum->SetFieldName(AggregateFieldName());
    } else if (FValueType == fvtCount) {
      FDBSum->SetGroupOperation(goCount);
      FDBSum->SetFieldName(String());
    } else {
      FreeSum();
    }
    return;
  }
  if (!aggregate && FValueType != fvtCount) return;
  TDBSumCollection* sums = grid->SumList()->SumCollection();
  sums->BeginUpdate();
  try {
    FDBSum = sums->Add();
    if (aggregate) {
      FDBSum->SetGroupOperation(FValueType == fvtSum ? goSum : goAvg);
      FDBSum->SetFieldName(AggregateFieldName());
    } else {
      FDBSum->SetGroupOperation(goCount);
    }
  } catch (...) {
    sums->EndUpdate();
    throw;
  }
  sums->EndUpdate();
}

// --- copying ---------------------------------------------------------------------------------

void TColumnFooterEx::RestoreDefaults() {
  bool hadFont = FAssignedValues.Contains(cvFooterFont);
  FAssignedValues = TColumnFooterValues();
  RefreshFont();
  Notify(hadFont);
}

void TColumnFooterEx::Assign(const TPersistent* Source) {
  auto* src = dynamic_cast<const TColumnFooterEx*>(Source);
  if (!src) {
    TCollectionItem::Assign(Source);
    return;
  }
  if (src->FAssignedValues.Contains(cvFooterAlignment)) SetAlignment(src->Alignment());
  if (src->FAssignedValues.Contains(cvFooterColor)) SetColor(src->Color());
  if (src->FAssignedValues.Contains(cvFooterFont)) SetFont(src->Font());
  SetEndEllipsis(src->EndEllipsis());
  SetValueType(src->ValueType());
  SetFieldName(src->FieldName());
  SetValue(src->Value());
  SetWordWrap(src->WordWrap());
  SetDisplayFormat(src->DisplayFormat());
  SetToolTips(src->ToolTips());
}

// --- the collection ----------------------------------------------------------------------------

const TClassInfo& TColumnFootersEx::StaticClassInfo() {
  static const TClassInfo info =
      TClassBuilder<TColumnFootersEx>("TColumnFootersEx", &TCollection::StaticClassInfo()).Unit("DBGridEx").Build();
  return info;
}

TColumnFootersEx::TColumnFootersEx(TColumnEx* Column)
    : TCollection([](TCollection* C) { return new TColumnFooterEx(C); }, Column), FColumn(Column) {}

}  // namespace grid
