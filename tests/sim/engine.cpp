// Protocol engine of the controller simulator: replies, setter -> getter state,
// a small motion model, faults and the request log.
#include "tests/sim/sim_internal.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <deque>
#include <limits>
#include <map>
#include <set>
#include <utility>

namespace jqsim {

uint64_t MonotonicUs() {
  return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::microseconds>(
                                   std::chrono::steady_clock::now().time_since_epoch())
                                   .count());
}

namespace {

enum class Motion { Idle, Pos, Vel, Home };

struct Axis {
  Motion motion = Motion::Idle;
  double start_pos = 0;   // position at start_us
  uint64_t start_us = 0;
  double target = 0;      // Pos, Home
  double dur_us = 0;      // Pos, Home
  double vel = 0;         // Vel: signed steps/s; Pos/Home: signed speed for 119
  bool dir_pos = true;    // direction of the last motion
  int mode = Controller::kModePosition;
  bool limits_on = false;
};

double PosAt(const Axis& a, uint64_t now) {
  const double dt = now > a.start_us ? static_cast<double>(now - a.start_us) : 0.0;
  switch (a.motion) {
    case Motion::Idle:
      return a.start_pos;
    case Motion::Pos:
    case Motion::Home:
      if (dt >= a.dur_us) return a.target;
      return a.start_pos + (a.target - a.start_pos) * dt / a.dur_us;
    case Motion::Vel:
      return a.start_pos + a.vel * dt / 1e6;
  }
  return a.start_pos;
}

bool RunningAt(const Axis& a, uint64_t now) {
  const double dt = now > a.start_us ? static_cast<double>(now - a.start_us) : 0.0;
  switch (a.motion) {
    case Motion::Idle:
      return false;
    case Motion::Pos:
    case Motion::Home:
      return dt < a.dur_us;
    case Motion::Vel:
      return a.vel != 0;
  }
  return false;
}

int32_t ToI32(double p) {
  const double r = std::nearbyint(p);
  if (r > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  if (r < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(r);
}

int32_t FloatBits(float f) {
  int32_t v;
  std::memcpy(&v, &f, 4);
  return v;
}

int32_t Le(const char* four) {
  return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint8_t>(four[0])) |
                              static_cast<uint32_t>(static_cast<uint8_t>(four[1])) << 8 |
                              static_cast<uint32_t>(static_cast<uint8_t>(four[2])) << 16 |
                              static_cast<uint32_t>(static_cast<uint8_t>(four[3])) << 24);
}

// Setter code -> the getter code that reads the state it writes.
const std::map<uint16_t, uint16_t>& SetterToGetter() {
  static const std::map<uint16_t, uint16_t> m = {
      {112, 111}, {174, 176}, {175, 177}, {179, 181}, {180, 182}, {184, 186}, {185, 187},
      {133, 145}, {141, 146}, {142, 147}, {143, 148},  // line interpolation
      {150, 168}, {164, 169}, {165, 170}, {166, 171},  // circle interpolation
      {621, 622}, {623, 624}, {625, 626}, {627, 628}, {629, 630},  // PWM
      {902, 901},                                                  // encoder position
      {250, 251}, {252, 253}, {254, 255}, {256, 257}, {258, 259}, {260, 261}, {262, 263},
      {202, 201}, {212, 211},  // memories (byte)
      {702, 701},              // PLC variables
      {843, 844},              // stream run id
      {127, 127}, {128, 128}, {125, 125}, {173, 173}, {178, 178}, {183, 183}, {195, 195},
      {188, 188}, {189, 189}, {903, 903}, {904, 904}, {906, 906}, {907, 907}, {908, 908},
  };
  return m;
}

// Fixed answers of getters without a setter (index ignored).
const std::map<uint16_t, int32_t>& Defaults() {
  static const std::map<uint16_t, int32_t> m = {
      {1, Le("1234")}, {2, Le("5678")}, {3, Le("90AB")}, {4, Le("CDEF")},  // product id
      {5, 0x04030201}, {6, 0x08070605}, {7, 0x0C0B0A09},                     // serial number
      {8, 0x00030201},                                                       // version 1.2.3
      {9, 0x819},                                                            // axes, in, out, encoders
      {10, 7},                                                               // version part 4
      {132, 2}, {149, 2},                                                    // interpolators
      {200, 1024}, {210, 1024},                                              // memory sizes
      {400, 16}, {403, 16}, {450, 16}, {500, 8},                             // I/O counts
      {600, 35}, {601, 4}, {610, 2}, {611, FloatBits(25.0f)}, {612, 25}, {620, 4},
      {700, 64}, {714, FloatBits(1.0f)},
      {804, 1024},  // stream space
      {900, 4},     // encoders
  };
  return m;
}

bool IsKnownCode(uint16_t c) {
  if (c <= 10) return true;
  if (c >= 100 && c <= 128) return true;
  if (c >= 130 && c <= 171) return true;
  if (c >= 173 && c <= 190) return true;
  if (c >= 192 && c <= 195) return true;
  if (c >= 200 && c <= 202) return true;
  if (c >= 210 && c <= 212) return true;
  if (c >= 250 && c <= 263) return true;
  if (c >= 400 && c <= 403) return true;
  if (c >= 450 && c <= 454) return true;
  if (c >= 500 && c <= 504) return true;
  if (c >= 600 && c <= 602) return true;
  if (c >= 610 && c <= 612) return true;
  if (c >= 620 && c <= 630) return true;
  if (c >= 700 && c <= 714) return true;
  if (c >= 800 && c <= 844) return true;
  if (c >= 900 && c <= 908) return true;
  return false;
}

using Key = std::pair<uint16_t, uint16_t>;

}  // namespace

struct Controller::Impl {
  mutable std::mutex mu;
  int axis_count = 4;
  int32_t default_speed = 10000;
  int homing_ms = 200;
  std::map<Key, int32_t> store;      // getter state written by setters
  std::map<Key, int32_t> overrides;  // SetValue
  std::map<uint16_t, uint8_t> status;
  std::map<int, Fault> faults;       // by only_code
  int32_t push0 = 0, push1 = 0;
  int push_period_ms = 0;
  std::deque<LoggedRequest> log;
  size_t log_limit = Controller::Default_Log_Limit;
  uint64_t next_seq = 1;
  std::map<uint16_t, Axis> axes;
  uint32_t optic_out = 0, oc_out = 0;
  int plc_status = 0;
  int32_t plc_code_size = 0;

  Axis& AxisRef(uint16_t i) { return axes[i]; }

  void Freeze(Axis& a, uint64_t now) {
    a.start_pos = PosAt(a, now);
    a.start_us = now;
    a.motion = Motion::Idle;
    a.vel = 0;
  }

  int32_t PositionSpeed(uint16_t axis) const {
    auto it = store.find({111, axis});
    int32_t s = it == store.end() ? 0 : it->second;
    if (s == std::numeric_limits<int32_t>::min()) s = std::numeric_limits<int32_t>::max();
    s = std::abs(s);
    return s > 0 ? s : (default_speed > 0 ? default_speed : 10000);
  }

  void StartMove(uint16_t axis, double target, uint64_t now) {
    Axis& a = AxisRef(axis);
    const double from = PosAt(a, now);
    const double speed = PositionSpeed(axis);
    a.start_pos = from;
    a.start_us = now;
    a.target = target;
    a.dur_us = std::fabs(target - from) / speed * 1e6;
    a.motion = Motion::Pos;
    if (target != from) a.dir_pos = target > from;
    a.vel = a.dir_pos ? speed : -speed;
    if (a.mode != kModePositionClose) a.mode = kModePosition;
  }

  void StartVelocity(uint16_t axis, int32_t v, uint64_t now) {
    Axis& a = AxisRef(axis);
    a.start_pos = PosAt(a, now);
    a.start_us = now;
    a.motion = v != 0 ? Motion::Vel : Motion::Idle;
    a.vel = v;
    if (v != 0) a.dir_pos = v > 0;
    a.mode = kModeVelocity;
  }

  uint8_t StatusByte(uint16_t axis, uint64_t now) {
    Axis& a = AxisRef(axis);
    const bool run = RunningAt(a, now);
    const int32_t pos = ToI32(PosAt(a, now));
    uint8_t b = 0;
    if (run) b |= 0x01;
    if (a.dir_pos) b |= 0x02;
    if (a.limits_on) {
      auto n = store.find({127, axis});
      auto p = store.find({128, axis});
      if (n != store.end() && pos <= n->second) b |= 0x04;
      if (p != store.end() && pos >= p->second) b |= 0x08;
    }
    if (pos == 0 && !run) b |= 0x10;
    b |= static_cast<uint8_t>((a.mode & 3) << 5);
    return b;
  }

  int32_t Stored(uint16_t code, uint16_t index, int32_t dflt = 0) const {
    auto it = store.find({code, index});
    return it == store.end() ? dflt : it->second;
  }

  void Write(uint16_t getter, uint16_t index, int32_t v) {
    store[{getter, index}] = v;
    overrides.erase({getter, index});
  }

  // The reply value of one request; also changes the state. Lock held.
  int32_t Compute(uint16_t code, uint16_t index, int32_t value, uint64_t now, bool& known) {
    known = IsKnownCode(code);
    if (auto it = SetterToGetter().find(code); it != SetterToGetter().end()) {
      int32_t v = value;
      if (code == 202 || code == 212) v &= 0xFF;
      Write(it->second, index, v);
      if (code == 184) Write(101, index, v);
      if (code == 185) Write(103, index, v);
      if (code == 125) {  // homing speed: starts the homing run in homing mode
        Axis& a = AxisRef(index);
        if (a.mode == kModeHome) {
          a.start_pos = PosAt(a, now);
          a.start_us = now;
          a.target = 0;
          a.dur_us = homing_ms * 1000.0;
          a.motion = Motion::Home;
          a.dir_pos = value >= 0;
          a.vel = value;
        }
      }
      return value;
    }
    switch (code) {
      case 0:
        return 0;
      case 100:
        return axis_count;
      case 105:
        return AxisRef(index).mode;
      case 106: {
        Axis& a = AxisRef(index);
        a.mode = kModeVelocity;
        return 0;
      }
      case 107:
        AxisRef(index).mode = value == 1 ? kModePositionClose : kModePosition;
        return 0;
      case 108:
        return Stored(108, index);
      case 109:
        Write(108, index, value);
        StartVelocity(index, value, now);
        return value;
      case 123: {
        const int32_t v = static_cast<int32_t>(static_cast<int64_t>(Stored(108, index)) + value);
        Write(108, index, v);
        Axis& a = AxisRef(index);
        if (a.motion == Motion::Vel) StartVelocity(index, v, now);
        return value;
      }
      case 113:
        return Stored(113, index);
      case 114:
        Write(113, index, value);
        StartMove(index, value, now);
        return value;
      case 115: {
        const double target = std::nearbyint(PosAt(AxisRef(index), now)) + value;
        Write(113, index, ToI32(target));
        StartMove(index, target, now);
        return value;
      }
      case 110:
      case 116:
      case 117:
        Freeze(AxisRef(index), now);
        return 0;
      case 118:
        for (auto& [i, a] : axes) Freeze(a, now);
        return 0;
      case 126: {
        Axis& a = AxisRef(index);
        if (a.motion == Motion::Home) Freeze(a, now);
        return 0;
      }
      case 119: {
        const Axis& a = AxisRef(index);
        return RunningAt(a, now) ? ToI32(a.vel) : 0;
      }
      case 120:
        return ToI32(PosAt(AxisRef(index), now));
      case 121:
        return StatusByte(index, now);
      case 122: {
        Axis& a = AxisRef(index);
        const double delta = value - PosAt(a, now);
        a.start_pos += delta;
        if (a.motion == Motion::Pos || a.motion == Motion::Home) a.target += delta;
        overrides.erase({120, index});
        return value;
      }
      case 124:
        Freeze(AxisRef(index), now);
        AxisRef(index).mode = kModeHome;
        Write(124, index, value);
        return 0;
      case 130:
        AxisRef(index).limits_on = true;
        return 0;
      case 131:
        AxisRef(index).limits_on = false;
        return 0;
      case 401: {  // single optical input: a bit of 402's state unless set itself
        auto all = overrides.find({402, 0});
        const uint32_t bits = all == overrides.end() ? 0u : static_cast<uint32_t>(all->second);
        return index < 32 ? static_cast<int32_t>((bits >> index) & 1u) : 0;
      }
      case 402:
        return 0;
      case 451:
      case 501: {
        uint32_t& bits = code == 451 ? optic_out : oc_out;
        if (index < 32) {
          if (value != 0) bits |= 1u << index; else bits &= ~(1u << index);
        }
        Write(static_cast<uint16_t>(code + 2), index, value);
        overrides.erase({static_cast<uint16_t>(code + 3), 0});
        return value;
      }
      case 452:
      case 502: {
        uint32_t& bits = code == 452 ? optic_out : oc_out;
        bits = static_cast<uint32_t>(value);
        // The single states now follow the bit set.
        for (auto it = store.begin(); it != store.end();) {
          if (it->first.first == code + 1) it = store.erase(it); else ++it;
        }
        overrides.erase({static_cast<uint16_t>(code + 2), 0});
        return value;
      }
      case 453:
      case 503: {
        auto it = store.find({code, index});
        if (it != store.end()) return it->second;
        const uint32_t bits = code == 453 ? optic_out : oc_out;
        return index < 32 ? static_cast<int32_t>((bits >> index) & 1u) : 0;
      }
      case 454:
        return static_cast<int32_t>(optic_out);
      case 504:
        return static_cast<int32_t>(oc_out);
      case 703:
        plc_status = 2;
        return 0;
      case 704:
        plc_status = 0;
        return 0;
      case 705:
        plc_status = 1;
        return 0;
      case 706:
        Write(706, index, value & 0xFF);
        plc_code_size = std::max<int32_t>(plc_code_size, index + 1);
        return value;
      case 707:
        return plc_code_size;
      case 712:
        return plc_status;
      default:
        break;
    }
    if (auto it = Defaults().find(code); it != Defaults().end()) return it->second;
    // Other getters read what a setter stored under their own code (or 0).
    return Stored(code, index);
  }

  Reply Answer(uint16_t code, uint16_t index, int32_t value, uint64_t now, bool& known) {
    Reply r;
    r.command = code;
    r.index = index;
    r.value = Compute(code, index, value, now, known);
    if (auto it = overrides.find({code, index}); it != overrides.end()) r.value = it->second;
    if (auto it = status.find(code); it != status.end()) r.status = it->second;
    return r;
  }

  uint64_t Log(uint16_t code, uint16_t index, int32_t value, const std::string& device,
               uint64_t now, bool known, uint64_t replied) {
    LoggedRequest e;
    e.device = device;
    e.code = code;
    e.index = index;
    e.value = value;
    e.received_us = now;
    e.replied_us = replied;
    e.unknown = !known;
    e.seq = next_seq++;
    log.push_back(std::move(e));
    while (log.size() > log_limit) log.pop_front();
    if (!known) {
      std::fprintf(stderr, "jqsim: unknown command %u (index %u, value %d) from %s\n", code, index,
                   value, device.c_str());
    }
    return log.back().seq;
  }

  Fault TakeFault(uint16_t code) {
    auto it = faults.find(code);
    if (it == faults.end()) it = faults.find(-1);
    if (it == faults.end()) return Fault{};
    Fault f = it->second;
    if (it->second.count > 0 && --it->second.count == 0) faults.erase(it);
    return f;
  }
};

Controller::Controller() : impl_(std::make_unique<Impl>()) {}

Controller::~Controller() { detail::ForgetController(this); }

Reply Controller::Handle(uint16_t code, uint16_t index, int32_t value, const std::string& device) {
  std::lock_guard lk(impl_->mu);
  const uint64_t now = MonotonicUs();
  bool known = true;
  Reply r = impl_->Answer(code, index, value, now, known);
  impl_->Log(code, index, value, device, now, known, MonotonicUs());
  return r;
}

Controller::Exchange Controller::Process(uint16_t code, uint16_t index, int32_t value,
                                         const std::string& device) {
  std::lock_guard lk(impl_->mu);
  const uint64_t now = MonotonicUs();
  Exchange ex;
  bool known = true;
  ex.reply = impl_->Answer(code, index, value, now, known);
  ex.seq = impl_->Log(code, index, value, device, now, known, 0);
  ex.fault = impl_->TakeFault(code);
  return ex;
}

void Controller::MarkReplied(uint64_t seq) {
  std::lock_guard lk(impl_->mu);
  const uint64_t now = MonotonicUs();
  for (auto it = impl_->log.rbegin(); it != impl_->log.rend(); ++it) {
    if (it->seq == seq) {
      it->replied_us = now;
      return;
    }
    if (it->seq < seq) return;
  }
}

Fault Controller::ActiveFault(uint16_t code) {
  std::lock_guard lk(impl_->mu);
  return impl_->TakeFault(code);
}

bool Controller::Unplugged() const {
  std::lock_guard lk(impl_->mu);
  auto it = impl_->faults.find(-1);
  return it != impl_->faults.end() && it->second.kind == FaultKind::Unplugged &&
         it->second.count != 0;
}

int Controller::PushPeriodMs() const {
  std::lock_guard lk(impl_->mu);
  return impl_->push_period_ms;
}

void Controller::PushWords(int32_t& w0, int32_t& w1) const {
  std::lock_guard lk(impl_->mu);
  w0 = impl_->push0;
  w1 = impl_->push1;
}

void Controller::SetAxisCount(int n) {
  std::lock_guard lk(impl_->mu);
  impl_->axis_count = n;
}

void Controller::SetValue(uint16_t code, uint16_t index, int32_t value) {
  std::lock_guard lk(impl_->mu);
  impl_->overrides[{code, index}] = value;
}

void Controller::ClearValue(uint16_t code, uint16_t index) {
  std::lock_guard lk(impl_->mu);
  impl_->overrides.erase({code, index});
}

void Controller::ClearValues() {
  std::lock_guard lk(impl_->mu);
  impl_->overrides.clear();
}

void Controller::SetStatus(uint16_t code, uint8_t status) {
  std::lock_guard lk(impl_->mu);
  if (status == 0) impl_->status.erase(code); else impl_->status[code] = status;
}

void Controller::SetFault(const Fault& fault) {
  std::lock_guard lk(impl_->mu);
  const int key = fault.only_code < 0 ? -1 : fault.only_code;
  if (fault.kind == FaultKind::None || fault.count == 0) {
    impl_->faults.erase(key);
  } else {
    impl_->faults[key] = fault;
  }
}

void Controller::ClearFaults() {
  std::lock_guard lk(impl_->mu);
  impl_->faults.clear();
}

void Controller::SetPushWords(int32_t w0, int32_t w1) {
  std::lock_guard lk(impl_->mu);
  impl_->push0 = w0;
  impl_->push1 = w1;
}

void Controller::SetPushPeriodMs(int period_ms) {
  std::lock_guard lk(impl_->mu);
  impl_->push_period_ms = period_ms < 0 ? 0 : period_ms;
}

std::vector<LoggedRequest> Controller::Log() const {
  std::lock_guard lk(impl_->mu);
  return {impl_->log.begin(), impl_->log.end()};
}

void Controller::SetLogLimit(size_t entries) {
  std::lock_guard lk(impl_->mu);
  impl_->log_limit = entries == 0 ? 1 : entries;
  while (impl_->log.size() > impl_->log_limit) impl_->log.pop_front();
}

void Controller::ClearLog() {
  std::lock_guard lk(impl_->mu);
  impl_->log.clear();
}

int32_t Controller::Position(uint16_t axis) const {
  std::lock_guard lk(impl_->mu);
  auto it = impl_->axes.find(axis);
  return it == impl_->axes.end() ? 0 : ToI32(PosAt(it->second, MonotonicUs()));
}

bool Controller::Running(uint16_t axis) const {
  std::lock_guard lk(impl_->mu);
  auto it = impl_->axes.find(axis);
  return it != impl_->axes.end() && RunningAt(it->second, MonotonicUs());
}

void Controller::SetDefaultSpeed(int32_t steps_per_s) {
  std::lock_guard lk(impl_->mu);
  impl_->default_speed = steps_per_s;
}

void Controller::SetHomingMs(int ms) {
  std::lock_guard lk(impl_->mu);
  impl_->homing_ms = ms < 0 ? 0 : ms;
}

}  // namespace jqsim
