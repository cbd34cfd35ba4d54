// Helpers shared by the source files of this library and by no one else:
// its public headers never include this one.
#pragma once

#include "grid/editor_support/bm_list.h"

namespace grid {
class TCustomDBGridEx;
}

namespace grid::selection_detail {

// The bookmark of the record in row Row of the grid's window of buffers,
// read without moving the dataset's cursor.
TBytes BufferedBookmark(TCustomDBGridEx* Grid, int Row);

}  // namespace grid::selection_detail
