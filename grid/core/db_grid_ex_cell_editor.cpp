// The data grid's side of its cell editor.
#include "grid/columns/columns/db_grid_inplace_edit.h"
#include "grid/core/custom_db_grid_ex.h"

namespace grid {

TInplaceEdit* TCustomDBGridEx::NewInplaceEditor() { return new TDBGridInplaceEdit(this); }

}  // namespace grid
