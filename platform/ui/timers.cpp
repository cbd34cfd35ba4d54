#include "platform/ui/timers.h"

#include <QTimer>
#include <chrono>
#include <climits>
#include <map>

#include "platform/ui/controls.h"
#include "platform/runtime/exceptions.h"
#include "platform/ui/guard.h"

namespace ui {
namespace {

rtl::Clock* g_clock = nullptr;

rtl::Clock& Clock() { return g_clock ? *g_clock : rtl::CurrentClock(); }

struct Entry {
  unsigned interval;
  std::uint64_t due;
  std::function<void()> callback;
};
std::map<std::uint64_t, Entry> g_entries;
std::uint64_t g_nextId = 1;
QTimer* g_driver = nullptr;

struct WindowTimerKey {
  const TWinControl* control;
  std::uintptr_t id;
  bool operator<(const WindowTimerKey& o) const {
    return control != o.control ? std::less<const TWinControl*>()(control, o.control) : id < o.id;
  }
};
std::map<WindowTimerKey, std::uint64_t> g_windowTimers;

bool Manual() { return &Clock() != &rtl::SystemClock(); }

void Rearm() {
  if (Manual()) {
    if (g_driver) g_driver->stop();
    return;
  }
  std::uint64_t due = timers::NextDue();
  if (due == UINT64_MAX) {
    if (g_driver) g_driver->stop();
    return;
  }
  if (!g_driver) {
    g_driver = new QTimer();
    g_driver->setSingleShot(true);
    g_driver->setTimerType(Qt::PreciseTimer);
    QObject::connect(g_driver, &QTimer::timeout, [] { timers::FireDue(); });
  }
  std::uint64_t now = Clock().NowMs();
  auto wait = due > now ? due - now : 0;
  g_driver->start(static_cast<int>(std::min<std::uint64_t>(wait, INT_MAX)));
}

// Fires the earliest entry due at or before `now`; false when none is due.
bool FireOne(std::uint64_t now, bool catchUp) {
  std::uint64_t best = 0;
  std::uint64_t bestDue = UINT64_MAX;
  for (auto& [id, e] : g_entries) {
    if (e.due <= now && e.due < bestDue) {
      best = id;
      bestDue = e.due;
    }
  }
  if (bestDue == UINT64_MAX) return false;
  Entry& e = g_entries[best];
  // A manual clock keeps every period; the system clock does not pile up missed ones.
  e.due = catchUp ? e.due + e.interval : now + e.interval;
  auto callback = e.callback;
  Guarded([&] { callback(); });
  return true;
}

}  // namespace

void AdvanceTime(std::uint64_t Ms) {
  auto* manual = dynamic_cast<rtl::ManualClock*>(&Clock());
  if (!manual) throw rtl::EInvalidOperation(u"Time can only be advanced on a manual clock");
  std::uint64_t now = manual->NowMs();
  std::uint64_t target = now + Ms;
  while (true) {
    std::uint64_t due = timers::NextDue();
    if (due > target) break;
    if (due > now) {
      manual->Set(due);
      now = due;
    }
    FireOne(now, true);
  }
  manual->Set(target);
}

void UseClock(rtl::Clock* NewClock) {
  std::uint64_t before = Clock().NowMs();
  rtl::SetClock(NewClock);
  g_clock = nullptr;
  std::uint64_t after = Clock().NowMs();
  // Running timers keep the time they had left.
  for (auto& [id, e] : g_entries) {
    std::uint64_t left = e.due > before ? e.due - before : 0;
    e.due = after + left;
  }
  Rearm();
}

namespace timers {

std::uint64_t Start(unsigned IntervalMs, std::function<void()> Callback) {
  std::uint64_t id = g_nextId++;
  g_entries[id] = Entry{IntervalMs, Clock().NowMs() + IntervalMs, std::move(Callback)};
  Rearm();
  return id;
}

void Stop(std::uint64_t Id) {
  if (g_entries.erase(Id)) Rearm();
}

std::uint64_t NextDue() {
  std::uint64_t due = UINT64_MAX;
  for (auto& [id, e] : g_entries) due = std::min(due, e.due);
  return due;
}

void FireDue() {
  std::uint64_t now = Clock().NowMs();
  bool manual = Manual();
  // Each timer at most once per pass; timers started by a handler wait their turn.
  std::size_t budget = g_entries.size();
  while (budget-- > 0 && FireOne(now, manual)) {
  }
  Rearm();
}

void KillAll(const TWinControl* Control) {
  for (auto it = g_windowTimers.begin(); it != g_windowTimers.end();) {
    if (it->first.control == Control) {
      g_entries.erase(it->second);
      it = g_windowTimers.erase(it);
    } else {
      ++it;
    }
  }
  Rearm();
}

}  // namespace timers

// --- TTimer -------------------------------------------------------------------------

const TClassInfo& TTimer::StaticClassInfo() {
  static const TClassInfo info = TClassBuilder<TTimer>("TTimer", &TComponent::StaticClassInfo())
                                     .Boolean("Enabled", &TTimer::Enabled, &TTimer::SetEnabled, 1)
                                     .Integer("Interval", &TTimer::Interval, &TTimer::SetInterval, 1000)
                                     .Build();
  return info;
}

TTimer::TTimer(TComponent* AOwner) : TComponent(AOwner) { UpdateTimer(); }

TTimer::~TTimer() {
  if (id_) timers::Stop(id_);
}

void TTimer::SetEnabled(bool Value) {
  if (Value == enabled_) return;
  enabled_ = Value;
  UpdateTimer();
}

void TTimer::SetInterval(unsigned Value) {
  if (Value == interval_) return;
  interval_ = Value;
  UpdateTimer();
}

void TTimer::Loaded() {
  TComponent::Loaded();
  UpdateTimer();
}

void TTimer::UpdateTimer() {
  if (id_) {
    timers::Stop(id_);
    id_ = 0;
  }
  if (enabled_ && interval_ > 0 && !IsLoading() && !IsDestroying()) id_ = timers::Start(interval_, [this] { Timer(); });
}

void TTimer::Timer() {
  if (OnTimer) OnTimer(this);
}

// --- window timers ----------------------------------------------------------------

std::uintptr_t SetTimer(TWinControl* Control, std::uintptr_t IDEvent, unsigned Elapse) {
  if (!Control) return 0;
  KillTimer(Control, IDEvent);
  std::uint64_t id = timers::Start(Elapse, [Control, IDEvent] { Control->Perform(WM_TIMER, IDEvent, 0); });
  g_windowTimers[{Control, IDEvent}] = id;
  return IDEvent == 0 ? 1 : IDEvent;
}

bool KillTimer(TWinControl* Control, std::uintptr_t IDEvent) {
  auto it = g_windowTimers.find({Control, IDEvent});
  if (it == g_windowTimers.end()) return false;
  timers::Stop(it->second);
  g_windowTimers.erase(it);
  return true;
}

}  // namespace ui
