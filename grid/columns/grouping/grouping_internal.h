// Helpers shared by the source files of this library and by no one else:
// its public headers never include this one.
#pragma once

#include "platform/ui/graphics.h"

namespace grid::grouping_detail {

// Copies From into Own without Own's change handler hearing of it.
inline void AssignFontQuietly(ui::TFont* Own, const ui::TFont* From) {
  auto handler = std::move(Own->OnChange);
  Own->OnChange = nullptr;
  try {
    Own->Assign(From);
  } catch (...) {
    Own->OnChange = std::move(handler);
    throw;
  }
  Own->OnChange = std::move(handler);
}

}  // namespace grid::grouping_detail
