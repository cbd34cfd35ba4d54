#include "grid/columns/columns/column_property_interceptors.h"

#include "grid/columns/columns/column_ex.h"
#include "grid/columns/columns/db_grid_columns_ex.h"
#include "grid/core/custom_db_grid_ex.h"
#include "platform/classes/string_list.h"
#include "platform/classes/typinfo.h"
#include "platform/runtime/rtl_string.h"

namespace grid {

using namespace ui;

const TClassInfo& TColumnExPropertyInterceptor::StaticClassInfo() {
  using I = TColumnExPropertyInterceptor;
  static const TClassInfo info =
      TClassBuilder<I>("TColumnExPropertyInterceptor", &TPersistent::StaticClassInfo())
          .Integer("Width", &I::NoWidth, &I::SetWidth)
          .NotStored()
          .Unit("DBGridEx")
          .Build();
  return info;
}

void TColumnExPropertyInterceptor::SetWidth(int Value) {
  auto* column = dynamic_cast<TColumnEx*>(FTarget);
  if (!column) return;
  TCustomDBGridEx* grid = column->Grid();
  if (grid && grid->AutoFitColWidths())
    column->SetInitWidth(Value);
  else
    column->SetWidth(Value);
}

const TClassInfo& TColumnsExPropertyInterceptor::StaticClassInfo() {
  using I = TColumnsExPropertyInterceptor;
  static const TClassInfo info =
      TClassBuilder<I>("TColumnsExPropertyInterceptor", &TPersistent::StaticClassInfo())
          .Str("ColumnsIndex", &I::ColumnsIndex, &I::SetColumnsIndex)
          .Unit("DBGridEx")
          .Build();
  return info;
}

String TColumnsExPropertyInterceptor::ColumnsIndex() const {
  auto* columns = dynamic_cast<TDBGridColumnsEx*>(FTarget);
  String result;
  if (!columns) return result;
  for (int i = 0; i < columns->Count(); ++i) {
    if (i > 0) result += u',';
    result += u'"' + columns->ColumnAt(i)->FieldName() + u'"';
  }
  return result;
}

void TColumnsExPropertyInterceptor::SetColumnsIndex(const String& Value) {
  FColumnsIndex = Value;
  auto* columns = dynamic_cast<TDBGridColumnsEx*>(FTarget);
  if (!columns) return;
  TStringList names;
  names.SetCommaText(Value);
  columns->BeginUpdate();
  try {
    for (int i = 0; i < names.Count() && i < columns->Count(); ++i) {
      for (int j = 0; j < columns->Count(); ++j) {
        TColumnEx* column = columns->ColumnAt(j);
        if (rtl::AnsiCompareStr(column->FieldName(), names.Get(i)) == 0) {
          column->SetIndex(i);
          break;
        }
      }
    }
  } catch (...) {
    columns->EndUpdate();
    throw;
  }
  columns->EndUpdate();
}

void RegisterColumnPropertyInterceptors() {
  RegisterInterceptorClass(TColumnEx::StaticClassInfo(), InterceptorClassOf<TColumnExPropertyInterceptor>());
  RegisterInterceptorClass(TDBGridColumnsEx::StaticClassInfo(),
                           InterceptorClassOf<TColumnsExPropertyInterceptor>());
}

void UnregisterColumnPropertyInterceptors() {
  UnregisterInterceptorClass(TColumnEx::StaticClassInfo(),
                             InterceptorClassOf<TColumnExPropertyInterceptor>());
  UnregisterInterceptorClass(TDBGridColumnsEx::StaticClassInfo(),
                             InterceptorClassOf<TColumnsExPropertyInterceptor>());
}

}  // namespace grid
