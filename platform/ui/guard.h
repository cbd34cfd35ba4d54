// No exception may cross Qt's event loop: every handler the layer runs
// (events, timers, posted messages, Qt signals) goes through Guarded, which
// swallows silent aborts and hands other exceptions to the application's
// exception handler (by default: an error box, and the program goes on).
#pragma once

#include <utility>

namespace ui {

// Call only inside a catch block: reports the exception being handled.
void HandleCurrentException() noexcept;

template <class F>
void Guarded(F&& f) noexcept {
  try {
    std::forward<F>(f)();
  } catch (...) {
    HandleCurrentException();
  }
}

}  // namespace ui
