#include "grid/columns/columns/column_drop_down_box_ex.h"

#include "grid/columns/columns/column_def_values_ex.h"
#include "grid/columns/columns/db_grid_columns_ex.h"
#include "grid/core/custom_db_grid_ex.h"
#include "platform/classes/typinfo.h"

namespace grid {

using namespace ui;

const TClassInfo& TColumnDropDownBoxEx::StaticClassInfo() {
  using B = TColumnDropDownBoxEx;
  static const TClassInfo info =
      TClassBuilder<B>("TColumnDropDownBoxEx", &TPersistent::StaticClassInfo())
          .Boolean("AutoFitColWidths", &B::AutoFitColWidths, &B::SetAutoFitColWidths, 1)
          .Object("ColumnDefValues", "TColumnDefValuesEx", &B::ColumnDefValues, &B::SetColumnDefValues)
          .Object("Columns", "TDBGridColumnsEx", &B::Columns, &B::SetColumns)
          .StoredWhen(&B::IsColumnsStored)
          .Object("ListSource", "TDataSource", &B::ListSource, &B::SetListSource)
          .Integer("Options", &B::Options, &B::SetOptions)
          .Boolean("SortLocal", &B::SortLocal, &B::SetSortLocal, 0)
          .Boolean("UseMultiTitle", &B::UseMultiTitle, &B::SetUseMultiTitle, 0)
          .Unit("DBGridEx")
          .Build();
  return info;
}

TColumnDropDownBoxEx::TColumnDropDownBoxEx(TPersistent* Owner)
    : FOwner(Owner), FSpecRow(std::make_unique<TSpecRowEx>(this)) {}

TColumnDropDownBoxEx::~TColumnDropDownBoxEx() = default;

IDropDownBoxOwnerEx* TColumnDropDownBoxEx::BoxOwner() const {
  return dynamic_cast<IDropDownBoxOwnerEx*>(FOwner);
}

TCustomDBGridEx* TColumnDropDownBoxEx::OwnerDataList() const {
  IDropDownBoxOwnerEx* owner = BoxOwner();
  return owner ? owner->DataList() : nullptr;
}

TColumnDefValuesEx* TColumnDropDownBoxEx::ColumnDefValues() const {
  TCustomDBGridEx* list = OwnerDataList();
  return list ? list->ColumnDefValues() : nullptr;
}

void TColumnDropDownBoxEx::SetColumnDefValues(const TColumnDefValuesEx* Value) {
  if (TCustomDBGridEx* list = OwnerDataList()) list->ColumnDefValues()->Assign(Value);
}

TDBGridColumnsEx* TColumnDropDownBoxEx::Columns() const {
  TCustomDBGridEx* list = OwnerDataList();
  return list ? list->Columns() : nullptr;
}

void TColumnDropDownBoxEx::SetColumns(const TDBGridColumnsEx* Value) {
  if (TCustomDBGridEx* list = OwnerDataList()) list->Columns()->Assign(Value);
}

bool TColumnDropDownBoxEx::IsColumnsStored() const {
  TDBGridColumnsEx* columns = Columns();
  return columns && columns->State() == csCustomized;
}

void TColumnDropDownBoxEx::SetListSource(db::TDataSource* Value) {
  if (Value == FListSource) return;
  FListSource = Value;
  if (IDropDownBoxOwnerEx* owner = BoxOwner()) owner->NotifyGridOfComponent(Value);
}

std::uint32_t TColumnDropDownBoxEx::Options() const {
  IDropDownBoxOwnerEx* owner = BoxOwner();
  return owner ? owner->DropDownGridOptions() : 0;
}

void TColumnDropDownBoxEx::SetOptions(std::uint32_t Value) {
  if (IDropDownBoxOwnerEx* owner = BoxOwner()) owner->SetDropDownGridOptions(Value);
}

bool TColumnDropDownBoxEx::SortLocal() const {
  TCustomDBGridEx* list = OwnerDataList();
  return list && list->SortLocal();
}

void TColumnDropDownBoxEx::SetSortLocal(bool Value) {
  if (TCustomDBGridEx* list = OwnerDataList()) list->SetSortLocal(Value);
}

void TColumnDropDownBoxEx::Assign(const TPersistent* Source) {
  auto* src = dynamic_cast<const TColumnDropDownBoxEx*>(Source);
  if (!src) {
    TPersistent::Assign(Source);
    return;
  }
  FAlign = src->FAlign;
  FAutoDrop = src->FAutoDrop;
  SetAutoFitColWidths(src->AutoFitColWidths());
  if (TColumnDefValuesEx* defs = src->ColumnDefValues()) SetColumnDefValues(defs);
  if (src->IsColumnsStored())
    SetColumns(src->Columns());
  else if (TDBGridColumnsEx* own = Columns())
    own->Clear();
  SetOptions(src->Options());
  FRows = src->FRows;
  FWidth = src->FWidth;
  FSizable = src->FSizable;
  FShowTitles = src->FShowTitles;
  FUseMultiTitle = src->FUseMultiTitle;
  SetListSource(src->ListSource());
}

}  // namespace grid
