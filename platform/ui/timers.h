// Timers on a replaceable clock. With the system clock they run on Qt's
// event loop (also inside modal loops and message boxes); with a manual
// clock they fire only when the clock is advanced, in due order.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/classes/classes.h"
#include "platform/runtime/ticks.h"

namespace ui {

class TWinControl;

// Timers read the runtime's clock (rtl::CurrentClock). Switch clocks
// through UseClock so running timers keep the time they had left; with a
// manual clock, timers fire only as the clock is advanced.
void UseClock(rtl::Clock* Clock);
// Moves a manual clock forward, firing every timer that falls due on the way,
// each at its own due time (raises EInvalidOperation on the system clock).
void AdvanceTime(std::uint64_t Ms);

class TTimer : public TComponent {
  JQ_UI_CLASSINFO
 public:
  explicit TTimer(TComponent* AOwner);
  ~TTimer() override;

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool Value);
  unsigned Interval() const { return interval_; }
  // 0 stops the timer. Setting it starts the period afresh.
  void SetInterval(unsigned Value);

  TNotifyEvent OnTimer;

 protected:
  virtual void Timer();
  void Loaded() override;

 private:
  void UpdateTimer();
  bool enabled_ = true;
  unsigned interval_ = 1000;
  std::uint64_t id_ = 0;
};

// Window timers: WM_TIMER with the id in WParam every Elapse ms until killed.
// Setting an id again re-arms it. Returns the id (0 on failure).
std::uintptr_t SetTimer(TWinControl* Control, std::uintptr_t IDEvent, unsigned Elapse);
bool KillTimer(TWinControl* Control, std::uintptr_t IDEvent);

// --- platform side ---------------------------------------------------------------
namespace timers {
// Schedules a repeating callback; returns its id.
std::uint64_t Start(unsigned IntervalMs, std::function<void()> Callback);
void Stop(std::uint64_t Id);
// Due time of the next timer, or UINT64_MAX.
std::uint64_t NextDue();
// Fires the timers due at or before Now (system clock only).
void FireDue();
// Forgets every window timer of a control.
void KillAll(const TWinControl* Control);
}  // namespace timers

}  // namespace ui
