#include "device_api/usb_link.h"

#include <hidapi/hidapi.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <string>
#include <thread>
#include <utility>

#include "device_api/export_table.h"
#include "device_api/link_backend.h"
#include "device_api/usb_reports.h"

namespace jq {
namespace {

using Clock = std::chrono::steady_clock;

// hidapi gives wide texts; the library compares 8-bit texts. Our makers and serial
// numbers are ASCII; anything else cannot match an ASCII text and becomes '?'.
std::string Narrow(const wchar_t* text) {
  std::string out;
  if (!text) return out;
  for (; *text; ++text) out.push_back(*text >= 0 && *text < 0x80 ? static_cast<char>(*text) : '?');
  return out;
}

bool Is_Our_Device(const hid_device_info& info) {
  return Narrow(info.manufacturer_string) == "Pelund Tech" ||
         Narrow(info.product_string).find("JQ-") != std::string::npos;
}

// The open device handles and what the reader waits for. `Lock` is held by the
// reader while it reads a handle and by open and close while they change one, so
// a handle is never freed under a read; Handles change only under Command_Lock
// too, so a transaction (which holds Command_Lock) writes without `Lock`. Taken
// after Command_Lock, before Receive_Lock.
struct USB_Devices {
  std::mutex Lock;
  std::condition_variable Changed;  // a handle opened, a reply awaited, the period changed, the end
  std::array<hid_device*, Slot_Count> Handles{};
  // Milliseconds between passes; written by JQ_Set_Thread_Timeout.
  std::atomic<int32_t> Poll_Period{5};
  bool Terminated = false;  // guarded by Lock

  bool Any_Open() const {
    for (hid_device* h : Handles)
      if (h) return true;
    return false;
  }

  // Wakes the reader after a change made under Lock (or a store of an atomic).
  void Wake() {
    { std::lock_guard<std::mutex> lock(Lock); }
    Changed.notify_all();
  }
};

// The one reader: a pass reads every open device once without blocking, then
// the next pass follows Poll_Period later. Between passes it waits on the input of
// the device whose reply a caller awaits, so the reply is taken when it arrives,
// and with no device open it waits for one to be opened. Starts at once;
// Terminate wakes it, WaitFor joins it.
class TUSBThread {
 public:
  TUSBThread(USB_Devices& devices, Receive_State& received)
      : devices_(devices), received_(received), thread_([this] { ReadLoop(); }) {}
  ~TUSBThread() {
    Terminate();
    WaitFor();
  }
  TUSBThread(const TUSBThread&) = delete;
  TUSBThread& operator=(const TUSBThread&) = delete;

  void Terminate() {
    {
      std::lock_guard<std::mutex> lock(devices_.Lock);
      devices_.Terminated = true;
    }
    devices_.Changed.notify_all();
  }

  void WaitFor() {
    if (thread_.joinable()) thread_.join();
  }

 private:
  // The longest a blocking read holds the device lock, so that a close or the end
  // of the library never waits longer.
  static constexpr int Max_Read_Slice_ms = 50;

  void Read_One(std::unique_lock<std::mutex>& io, int32_t slot, int timeout_ms) {
    hid_device* handle = devices_.Handles[slot];
    if (!handle) return;
    std::memset(buffer_, 0, sizeof buffer_);
    const int n = timeout_ms > 0 ? hid_read_timeout(handle, buffer_, sizeof buffer_, timeout_ms)
                                 : hid_read(handle, buffer_, sizeof buffer_);
    if (n > 0) received_.Store_Report(slot, buffer_);
    // Between reads the lock is let go, so open and close never wait for a pass.
    io.unlock();
    io.lock();
  }

  void ReadLoop() {
    std::unique_lock<std::mutex> io(devices_.Lock);
    Clock::time_point next_pass = Clock::now();
    while (!devices_.Terminated) {
      if (!devices_.Any_Open()) {
        devices_.Changed.wait(io, [this] { return devices_.Terminated || devices_.Any_Open(); });
        next_pass = Clock::now();
        continue;
      }
      if (Clock::now() >= next_pass) {
        for (int32_t slot = 0; slot < Slot_Count && !devices_.Terminated; ++slot) Read_One(io, slot, 0);
        const int32_t period = std::max<int32_t>(0, devices_.Poll_Period.load());
        next_pass = Clock::now() + std::chrono::milliseconds(period);
        if (period == 0) {
          io.unlock();
          std::this_thread::yield();
          io.lock();
          continue;
        }
      }
      // While a caller awaits a reply, wait on that device's input.
      const int32_t awaited = received_.Slot_Awaiting_Reply();
      if (awaited >= 0 && awaited < Slot_Count && devices_.Handles[awaited]) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(next_pass - Clock::now()).count();
        Read_One(io, awaited, static_cast<int>(std::clamp<int64_t>(left, 1, Max_Read_Slice_ms)));
      } else {
        devices_.Changed.wait_until(io, next_pass, [this] {
          return devices_.Terminated || received_.Slot_Awaiting_Reply() >= 0;
        });
      }
    }
  }

  USB_Devices& devices_;
  Receive_State& received_;
  uint8_t buffer_[USB_In_Report_Size] = {};
  std::thread thread_;
};

class USB_Link final : public Link_Backend {
 public:
  void Start() override {
    hid_init();
    USB_Thread = std::make_unique<TUSBThread>(devices_, received_);
  }

  void Stop() override {
    if (USB_Thread) {
      USB_Thread->Terminate();
      USB_Thread->WaitFor();
      USB_Thread.reset();
    }
    for (int32_t slot = 0; slot < Slot_Count; ++slot) Close(slot);
    hid_exit();
  }

  int32_t Transaction(int32_t slot, const TCommand_Request& request, TReply_Block& reply) override {
    return USB_Transaction(slot, request, reply);
  }

  int32_t USB_Transaction(int32_t slot, const TCommand_Request& request, TReply_Block& reply) {
    if (!Valid_Slot(slot)) return Result_Fail;
    // Handles change only under Command_Lock, which the caller holds.
    hid_device* handle = devices_.Handles[slot];
    if (!handle) return Result_Fail;
    uint8_t report[USB_Out_Report_Size];
    Build_USB_Out_Report(request.Command, request.Index, request.Value, report);

    Receive_State& rx = received_;
    {
      std::lock_guard<std::mutex> lock(rx.Receive_Lock);
      rx.Reply_Ready = false;
      rx.Awaiting = true;
      rx.Awaited_Slot = slot;
      rx.Awaited_Command = request.Command;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(USB_Reply_Timeout_ms);
    const bool written = hid_write(handle, report, sizeof report) >= 0;
    if (written) {
      devices_.Wake();
      Command_Lock().Reply_Awaited();
    }
    std::unique_lock<std::mutex> lock(rx.Receive_Lock);
    if (written) rx.Reply_Arrived.wait_until(lock, deadline, [&] { return rx.Reply_Ready; });
    rx.Awaiting = false;
    if (!written || !rx.Reply_Ready) return Result_Fail;
    rx.Take_Reply(slot, reply);
    return reply.Status == 0 ? Result_OK : Result_Fail;
  }

  // Opens the `position`-th matching device (counting from 0), or the first whose
  // serial number equals `serial` when it is given.
  int32_t Open(int32_t slot, int position, const char* serial) {
    Close(slot);
    hid_device_info* list = hid_enumerate(0, 0);
    hid_device* handle = nullptr;
    int k = 0;
    for (hid_device_info* d = list; d; d = d->next) {
      const bool chosen = serial ? Narrow(d->serial_number) == serial
                                 : (Is_Our_Device(*d) && k++ == position);
      if (!chosen) continue;
      handle = hid_open_path(d->path);
      if (handle) hid_set_nonblocking(handle, 1);
      break;
    }
    hid_free_enumeration(list);
    if (!handle) return Result_Fail;
    {
      std::lock_guard<std::mutex> lock(devices_.Lock);
      devices_.Handles[slot] = handle;
    }
    devices_.Changed.notify_all();
    Set_Link_Kind(slot, Link_USB);
    return Result_OK;
  }

  int32_t Close(int32_t slot) {
    {
      std::lock_guard<std::mutex> lock(devices_.Lock);
      if (hid_device* handle = std::exchange(devices_.Handles[slot], nullptr)) hid_close(handle);
    }
    Set_Link_Kind(slot, Link_None);
    return Result_OK;
  }

  int32_t Push_Word(int32_t slot, uint16_t channel) {
    if (!Valid_Slot(slot) || channel >= Push_Words) return 0;
    std::lock_guard<std::mutex> lock(received_.Receive_Lock);
    return received_.Push_Table[slot][channel];
  }

  void Set_Poll_Period(int32_t milliseconds) {
    devices_.Poll_Period.store(milliseconds);  // a negative period is used as 0
    devices_.Wake();  // a reader sleeping out a long period takes the new one now
  }

 private:
  USB_Devices devices_;
  Receive_State received_;
  std::unique_ptr<TUSBThread> USB_Thread;
};

USB_Link& USB() { return Backend<USB_Link>(Link_USB); }

}  // namespace

void Build_USB_Out_Report(uint16_t command, uint16_t index, int32_t value,
                          uint8_t (&report)[USB_Out_Report_Size]) {
  const uint32_t v = static_cast<uint32_t>(value);
  report[0] = Report_Request;
  report[1] = static_cast<uint8_t>(command);
  report[2] = static_cast<uint8_t>(command >> 8);
  report[3] = static_cast<uint8_t>(index);
  report[4] = static_cast<uint8_t>(index >> 8);
  for (int i = 0; i < 4; ++i) report[5 + i] = static_cast<uint8_t>(v >> (8 * i));
}

std::unique_ptr<Link_Backend> Make_USB_Link() { return std::make_unique<USB_Link>(); }

}  // namespace jq

using namespace jq;

JQ_EXPORT int32_t JQ_CALL JQ_M_Open_USB(int32_t slot) {
  return Link_Export(slot, [&] { return USB().Open(slot, slot, nullptr); });
}
JQ_EXPORT int32_t JQ_CALL JQ_Open_USB(void) { return JQ_M_Open_USB(0); }

JQ_EXPORT int32_t JQ_CALL JQ_M_Open_USB_SN(int32_t slot, const char* serial_number) {
  if (!serial_number || !*serial_number) return Result_Fail;
  return Link_Export(slot, [&] { return USB().Open(slot, 0, serial_number); });
}

JQ_EXPORT int32_t JQ_CALL JQ_M_Close_USB(int32_t slot) {
  return Link_Export(slot, [&] { return USB().Close(slot); });
}
JQ_EXPORT int32_t JQ_CALL JQ_Close_USB(void) { return JQ_M_Close_USB(0); }

// Push words are read without Command_Lock: a caller polling them must not wait
// behind a command exchange.
JQ_EXPORT int32_t JQ_CALL JQ_M_Get_Push_Data(int32_t slot, uint16_t channel, int32_t* value) {
  return Guard([&]() -> int32_t {
    Put(value, 0);
    const std::shared_ptr<Link_Backend> usb = Backend_Of(Link_USB);
    if (!usb || !Library_Initialised()) return Result_Fail;
    Put(value, static_cast<USB_Link&>(*usb).Push_Word(slot, channel));
    return Result_OK;
  });
}
JQ_EXPORT int32_t JQ_CALL JQ_Get_Push_Data(uint16_t channel, int32_t* value) {
  return JQ_M_Get_Push_Data(0, channel, value);
}

JQ_EXPORT int32_t JQ_CALL JQ_Set_Thread_Timeout(int32_t milliseconds) {
  return Guard([&]() -> int32_t {
    const std::shared_ptr<Link_Backend> usb = Backend_Of(Link_USB);
    if (!usb || !Library_Initialised()) return Result_Fail;
    static_cast<USB_Link&>(*usb).Set_Poll_Period(milliseconds);
    return Result_OK;
  });
}
