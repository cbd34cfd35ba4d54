// Simulated hidapi backend: the hid_* functions of hidapi 0.13 over registered
// simulated devices. Thread-safe: one global lock.
#include "tests/sim/sim_internal.h"
#include "tests/sim/hid_device_list.h"

#include <hidapi/hidapi.h>

#include <algorithm>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <deque>
#include <memory>
#include <set>
#include <thread>

struct jqsim_hid_dev {
  jqsim::HidDeviceInfo info;
  jqsim::Controller* controller = nullptr;
  bool attached = true;
  std::vector<uint8_t> last_output;  // the last report written, byte for byte
};

struct hid_device_ {
  std::shared_ptr<jqsim_hid_dev> dev;
  bool nonblocking = false;
  struct Pending {
    std::vector<uint8_t> bytes;
    uint64_t ready_us = 0;
    uint64_t seq = 0;  // log entry to stamp when read (0: push report)
  };
  std::deque<Pending> queue;
  uint64_t next_push_us = 0;
};

namespace jqsim {

namespace {

struct Registry {
  std::mutex mu;
  std::condition_variable input;  // a report was queued or a device went away
  std::vector<std::shared_ptr<jqsim_hid_dev>> devices;  // enumeration order
  std::set<hid_device*> handles;
  int init_count = 0;
};

Registry& Reg() {
  static Registry* r = new Registry;  // never destroyed: usable from any static destructor
  return *r;
}

void PutU16(uint8_t* p, uint16_t x) {
  p[0] = static_cast<uint8_t>(x);
  p[1] = static_cast<uint8_t>(x >> 8);
}
void PutI32(uint8_t* p, int32_t x) {
  const auto u = static_cast<uint32_t>(x);
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(u >> (8 * i));
}

// Reads one report into data; 0 when none is ready, -1 when unplugged. Reg().mu held.
int ReadLocked(hid_device* h, unsigned char* data, size_t length) {
  if (!h->dev->attached || h->dev->controller == nullptr) return -1;
  Controller& c = *h->dev->controller;
  if (c.Unplugged()) return -1;
  const uint64_t now = MonotonicUs();
  // The report that became ready first (a delayed reply does not hold back later ones).
  auto best = h->queue.end();
  for (auto it = h->queue.begin(); it != h->queue.end(); ++it) {
    if (it->ready_us <= now && (best == h->queue.end() || it->ready_us < best->ready_us)) best = it;
  }
  if (best != h->queue.end()) {
    hid_device_::Pending p = std::move(*best);
    h->queue.erase(best);
    const size_t n = std::min(length, p.bytes.size());
    std::memcpy(data, p.bytes.data(), n);
    if (p.seq != 0) c.MarkReplied(p.seq);
    return static_cast<int>(n);
  }
  const int period = c.PushPeriodMs();
  if (period > 0 && now >= h->next_push_us && length > 0) {
    h->next_push_us = now + static_cast<uint64_t>(period) * 1000;
    uint8_t r[65] = {};
    r[0] = 3;
    int32_t w0, w1;
    c.PushWords(w0, w1);
    PutI32(r + 1, w0);
    PutI32(r + 5, w1);
    const size_t n = std::min(length, sizeof r);
    std::memcpy(data, r, n);
    return static_cast<int>(n);
  }
  return 0;
}

}  // namespace

void AttachHid(const HidDeviceInfo& info, Controller& controller) {
  auto d = std::make_shared<jqsim_hid_dev>();
  d->info = info;
  d->controller = &controller;
  std::lock_guard lk(Reg().mu);
  Reg().devices.push_back(std::move(d));
}

void DetachHid(const std::string& path) {
  std::lock_guard lk(Reg().mu);
  Reg().input.notify_all();
  auto& v = Reg().devices;
  for (auto it = v.begin(); it != v.end();) {
    if ((*it)->info.path == path) {
      (*it)->attached = false;
      (*it)->controller = nullptr;
      it = v.erase(it);
    } else {
      ++it;
    }
  }
}

void DetachAllHid() {
  std::lock_guard lk(Reg().mu);
  Reg().input.notify_all();
  for (auto& d : Reg().devices) {
    d->attached = false;
    d->controller = nullptr;
  }
  Reg().devices.clear();
}

int OpenHidHandles() {
  std::lock_guard lk(Reg().mu);
  return static_cast<int>(Reg().handles.size());
}

int HidInitCount() {
  std::lock_guard lk(Reg().mu);
  return Reg().init_count;
}

std::vector<uint8_t> LastHidOutputReport(const std::string& path) {
  std::lock_guard lk(Reg().mu);
  for (hid_device* h : Reg().handles)
    if (h->dev->info.path == path) return h->dev->last_output;
  return {};
}

void InjectHidInputReport(const std::string& path, const std::vector<uint8_t>& report) {
  std::lock_guard lk(Reg().mu);
  for (hid_device* h : Reg().handles) {
    if (h->dev->info.path != path) continue;
    hid_device_::Pending p;
    p.bytes = report;
    p.ready_us = MonotonicUs();
    h->queue.push_back(std::move(p));
  }
  Reg().input.notify_all();
}

namespace detail {
void ForgetController(const Controller* c) {
  std::lock_guard lk(Reg().mu);
  auto& v = Reg().devices;
  for (auto it = v.begin(); it != v.end();) {
    if ((*it)->controller == c) {
      (*it)->attached = false;
      (*it)->controller = nullptr;
      it = v.erase(it);
    } else {
      ++it;
    }
  }
}
}  // namespace detail

}  // namespace jqsim

using jqsim::Reg;

extern "C" {

int HID_API_EXPORT HID_API_CALL hid_init(void) {
  std::lock_guard lk(Reg().mu);
  ++Reg().init_count;
  return 0;
}

int HID_API_EXPORT HID_API_CALL hid_exit(void) {
  std::lock_guard lk(Reg().mu);
  --Reg().init_count;
  return 0;
}

struct hid_device_info HID_API_EXPORT* HID_API_CALL hid_enumerate(unsigned short vendor_id,
                                                                 unsigned short product_id) {
  std::vector<jqsim::hidlist::Entry> all;
  {
    std::lock_guard lk(Reg().mu);
    for (const auto& d : Reg().devices)
      all.push_back({d->info.path, d->info.manufacturer, d->info.product, d->info.serial, d->info.vendor_id,
                     d->info.product_id});
  }
  return jqsim::hidlist::List(all, vendor_id, product_id);
}

void HID_API_EXPORT HID_API_CALL hid_free_enumeration(struct hid_device_info* devs) {
  jqsim::hidlist::Free(devs);
}

HID_API_EXPORT hid_device* HID_API_CALL hid_open_path(const char* path) {
  if (!path) return nullptr;
  std::lock_guard lk(Reg().mu);
  for (const auto& d : Reg().devices) {
    if (d->attached && d->info.path == path) {
      auto* h = new hid_device_;
      h->dev = d;
      Reg().handles.insert(h);
      return h;
    }
  }
  return nullptr;
}

HID_API_EXPORT hid_device* HID_API_CALL hid_open(unsigned short vendor_id, unsigned short product_id,
                                                 const wchar_t* serial_number) {
  std::string path;
  {
    std::lock_guard lk(Reg().mu);
    for (const auto& d : Reg().devices) {
      if ((vendor_id == 0 || d->info.vendor_id == vendor_id) &&
          (product_id == 0 || d->info.product_id == product_id) &&
          (!serial_number || d->info.serial == serial_number)) {
        path = d->info.path;
        break;
      }
    }
  }
  return path.empty() ? nullptr : hid_open_path(path.c_str());
}

int HID_API_EXPORT HID_API_CALL hid_set_nonblocking(hid_device* dev, int nonblock) {
  if (!dev) return -1;
  std::lock_guard lk(Reg().mu);
  dev->nonblocking = nonblock != 0;
  return 0;
}

int HID_API_EXPORT HID_API_CALL hid_write(hid_device* dev, const unsigned char* data, size_t length) {
  if (!dev || !data || length < 9) return -1;
  std::lock_guard lk(Reg().mu);
  dev->dev->last_output.assign(data, data + length);
  if (!dev->dev->attached || dev->dev->controller == nullptr || data[0] != 1) return -1;
  jqsim::Controller& c = *dev->dev->controller;
  if (c.Unplugged()) {
    c.ActiveFault(0xFFFF);  // uses up one count of the unplugged fault
    return -1;
  }
  const uint16_t code = static_cast<uint16_t>(data[1] | data[2] << 8);
  const uint16_t index = static_cast<uint16_t>(data[3] | data[4] << 8);
  const int32_t value = static_cast<int32_t>(
      static_cast<uint32_t>(data[5]) | static_cast<uint32_t>(data[6]) << 8 |
      static_cast<uint32_t>(data[7]) << 16 | static_cast<uint32_t>(data[8]) << 24);
  const jqsim::Controller::Exchange ex = c.Process(code, index, value, "usb:" + dev->dev->info.path);
  const jqsim::Fault& f = ex.fault;
  if (f.kind == jqsim::FaultKind::Unplugged) return -1;
  if (f.kind == jqsim::FaultKind::Silence) return static_cast<int>(length);
  hid_device_::Pending p;
  p.bytes.assign(65, 0);
  p.bytes[0] = f.kind == jqsim::FaultKind::BadMarker ? 5 : 2;
  p.bytes[1] = ex.reply.status;
  const uint16_t echo = f.kind == jqsim::FaultKind::WrongEcho
                            ? static_cast<uint16_t>(ex.reply.command + 1)
                            : ex.reply.command;
  jqsim::PutU16(&p.bytes[2], echo);
  jqsim::PutU16(&p.bytes[4], ex.reply.index);
  jqsim::PutI32(&p.bytes[6], ex.reply.value);
  int32_t w0, w1;
  c.PushWords(w0, w1);
  jqsim::PutI32(&p.bytes[10], w0);
  if (f.kind == jqsim::FaultKind::Short) p.bytes.resize(10);
  p.ready_us = jqsim::MonotonicUs() +
               (f.kind == jqsim::FaultKind::Delay && f.delay_ms > 0 ? static_cast<uint64_t>(f.delay_ms) * 1000 : 0);
  p.seq = ex.seq;
  dev->queue.push_back(std::move(p));
  Reg().input.notify_all();
  return static_cast<int>(length);
}

int HID_API_EXPORT HID_API_CALL hid_read_timeout(hid_device* dev, unsigned char* data, size_t length,
                                                 int milliseconds) {
  if (!dev || !data) return -1;
  const uint64_t until =
      milliseconds < 0 ? UINT64_MAX : jqsim::MonotonicUs() + static_cast<uint64_t>(milliseconds) * 1000;
  std::unique_lock lk(Reg().mu);
  while (true) {
    const int n = jqsim::ReadLocked(dev, data, length);
    if (n != 0) return n;
    const uint64_t now = jqsim::MonotonicUs();
    if (now >= until) return 0;
    // Sleeps until the first queued report becomes ready, a push report is due, a
    // new report is queued or the time is up, as a device's input would wake a reader.
    uint64_t wake = until;
    for (const auto& p : dev->queue) wake = std::min(wake, std::max(p.ready_us, now + 1));
    if (dev->dev->controller && dev->dev->controller->PushPeriodMs() > 0)
      wake = std::min(wake, std::max(dev->next_push_us, now + 1));
    if (wake == UINT64_MAX) {
      Reg().input.wait(lk);
    } else {
      Reg().input.wait_until(lk, std::chrono::steady_clock::time_point(std::chrono::microseconds(wake)));
    }
  }
}

int HID_API_EXPORT HID_API_CALL hid_read(hid_device* dev, unsigned char* data, size_t length) {
  if (!dev) return -1;
  bool nonblocking;
  {
    std::lock_guard lk(Reg().mu);
    nonblocking = dev->nonblocking;
  }
  return hid_read_timeout(dev, data, length, nonblocking ? 0 : -1);
}

void HID_API_EXPORT HID_API_CALL hid_close(hid_device* dev) {
  if (!dev) return;
  std::lock_guard lk(Reg().mu);
  if (Reg().handles.erase(dev) == 0) return;  // not ours or closed twice: ignore
  delete dev;
}

const wchar_t* HID_API_EXPORT_CALL hid_error(hid_device* dev) {
  (void)dev;
  return L"simulated hidapi error";
}

}  // extern "C"
