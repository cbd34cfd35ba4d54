// Helpers shared by the source files of this library and by no one else:
// its public headers never include this one.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/ui/ui.h"

namespace grid::lookup_detail {

ui::String JoinWithSemicolons(const std::vector<ui::String>& Parts);

// Tick of the last search character typed into any lookup grid: a pause of
// more than two seconds in any of them starts a new search text.
std::uint32_t& LastSearchTick();

}  // namespace grid::lookup_detail
