// Private window messages of the grid and its drop-down editors. Each has a
// number of its own: a handler that sees a message meant for another must
// not act on it (a grip's notice once ran the grid's deferred layout and
// fooled its "already queued" check).
#pragma once

#include <cstdint>

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

static_assert(WM_GRIDDEFERREDLAYOUT != WM_SIZEGRIPCHANGEPOSITION && WM_GRIDDEFERREDLAYOUT != WM_POPUPCLOSEUP &&
              WM_GRIDDEFERREDLAYOUT != WM_POPUPCLOSEDUP_NOTIFY);

}  // namespace grid
