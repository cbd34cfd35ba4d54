// Helpers shared by the source files of this library and by no one else:
// its public headers never include this one.
#pragma once

#include "grid/core/grid_core_internal.h"
#include "platform/data/db_types.h"
#include "platform/ui/canvas.h"
#include "platform/ui/graphics.h"

namespace grid::columns_detail {

// The grid library's measuring scope; core and columns are built as one cycle.
using core_detail::FontScope;

inline bool IsMemoType(db::TFieldType T) { return T == db::ftMemo || T == db::ftOraClob || T == db::ftWideMemo; }

}  // namespace grid::columns_detail
