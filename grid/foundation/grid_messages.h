// Private window messages of the grid and its drop-down editors. Each has a
// number of its own: a handler that sees a message meant for another must
// not act on it (a grip's notice once ran the grid's deferred layout and
// fooled its "already queued" check).
#pragma once

#include <cstdint>
#include <iterator>

#include "platform/classes/messages.h"

namespace grid {

// A size grip tells its drop-down that it moved to another corner.
inline constexpr std::uint32_t WM_SIZEGRIPCHANGEPOSITION = ui::WM_USER + 100;
// A drop-down closes without accepting.
inline constexpr std::uint32_t WM_POPUPCLOSEUP = ui::WM_USER + 101;
// An editor's note to itself after its drop-down closed.
inline constexpr std::uint32_t WM_POPUPCLOSEDUP_NOTIFY = ui::WM_USER + 102;
// The data grid's layout, deferred until the current message is done.
inline constexpr std::uint32_t WM_GRIDDEFERREDLAYOUT = ui::WM_USER + 110;

// Every private number of the grid and its editors; a new one joins here, so
// the check below sees it.
inline constexpr std::uint32_t kGridPrivateMessages[] = {
    WM_SIZEGRIPCHANGEPOSITION,
    WM_POPUPCLOSEUP,
    WM_POPUPCLOSEDUP_NOTIFY,
    WM_GRIDDEFERREDLAYOUT,
};

constexpr bool MessageNumbersDistinct(const std::uint32_t* First, const std::uint32_t* Last) {
  for (const std::uint32_t* a = First; a != Last; ++a)
    for (const std::uint32_t* b = a + 1; b != Last; ++b)
      if (*a == *b) return false;
  return true;
}

static_assert(MessageNumbersDistinct(std::begin(kGridPrivateMessages), std::end(kGridPrivateMessages)),
              "two private messages of the grid share a number");

}  // namespace grid
