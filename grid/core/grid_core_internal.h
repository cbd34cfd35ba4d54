// Helpers shared by the source files of the data grid library and by no one
// else: the library's public headers never include this one, so what is
// declared here can change without touching the grid's users.
#pragma once

namespace grid::core_detail {}
