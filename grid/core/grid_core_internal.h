// Helpers shared by the source files of the data grid library and by no one
// else: the library's public headers never include this one, so what is
// declared here can change without touching the grid's users.
#pragma once

namespace grid {
class TDBGridExStyle;
class TDBGridExCenter;
}  // namespace grid

namespace grid::core_detail {

// A global object going away clears the module's reference to it first, so
// that grids it leaves do not attach to it again.
void ForgetGlobalStyle(const TDBGridExStyle* Style);
void ForgetGlobalCenter(const TDBGridExCenter* Center);

}  // namespace grid::core_detail
