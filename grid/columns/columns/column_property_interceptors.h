// Stand-ins for a column and the column collection while a stored layout is
// read back: a restored width lands before fitting when the grid fits its
// columns, and the columns' order is restored by field name.
#pragma once

#include "grid/foundation/storage_interceptors.h"

namespace grid {

class TColumnExPropertyInterceptor : public TStoragePropertyInterceptor {
  JQ_UI_CLASSINFO
 public:
  using TStoragePropertyInterceptor::TStoragePropertyInterceptor;
  // Write-only.
  void SetWidth(int Value);

 private:
  // The property registry needs a reader; nothing is ever written back.
  int NoWidth() const { return 0; }
};

class TColumnsExPropertyInterceptor : public TStoragePropertyInterceptor {
  JQ_UI_CLASSINFO
 public:
  using TStoragePropertyInterceptor::TStoragePropertyInterceptor;
  // Every column's FieldName in double quotes, in column order, comma-separated.
  ui::String ColumnsIndex() const;
  // Moves each named column to the place its name has in the list; names
  // without a column are skipped.
  void SetColumnsIndex(const ui::String& Value);
  void Readed() override {}

 private:
  ui::String FColumnsIndex;
};

// The data grid module's start-up and shut-down of the two.
void RegisterColumnPropertyInterceptors();
void UnregisterColumnPropertyInterceptors();

}  // namespace grid
