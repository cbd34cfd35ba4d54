// Helpers shared by the source files of this library and by no one else:
// its public headers never include this one.
#pragma once

namespace grid::filters_detail {}
