#include "usb_link.h"

#include <hidapi/hidapi.h>

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <string>
#include <thread>
#include <utility>

#include "export_table.h"
#include "link.h"

namespace jq {
namespace {

using Clock = std::chrono::steady_clock;

int32_t Read_I32(const uint8_t* p) {
  return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                              static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24);
}

uint16_t Read_U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

// What the reader thread stores and the callers read; guarded by Receive_Lock.
struct Receive_State {
  std::mutex Receive_Lock;
  std::condition_variable Reply_Arrived;
  uint8_t Reply_Report[USB_In_Report_Size] = {};
  bool Reply_Ready = false;
  // The one transaction waiting for a reply (Command_Lock lets only one wait).
  bool Awaiting = false;
  int32_t Awaited_Slot = -1;
  uint16_t Awaited_Command = 0;
  int32_t Push_Table[Slot_Count][Push_Words] = {};
};

Receive_State& Received() {
  static Receive_State* state = new Receive_State;  // outlives every caller
  return *state;
}

// Milliseconds the reader sleeps after each pass; written by JQ_Set_Thread_Timeout.
std::atomic<int32_t> Poll_Period{5};

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

// Keeps one input report: a push report updates the slot's push words; a reply
// report completes the waiting transaction when it is the awaited one. A stale
// reply to an earlier command, or one from another slot, is skipped; once the
// awaited reply is stored it stays until the waiter has copied it, since a report
// read in the same pass (before the waiter runs) must not replace it.
void Store_Report(int32_t slot, const uint8_t (&report)[USB_In_Report_Size]) {
  Receive_State& rx = Received();
  std::lock_guard<std::mutex> lock(rx.Receive_Lock);
  if (report[0] == Report_Push) {
    rx.Push_Table[slot][0] = Read_I32(report + 1);
    rx.Push_Table[slot][1] = Read_I32(report + 5);
  } else if (report[0] == Report_Reply) {
    if (rx.Awaiting && !rx.Reply_Ready && rx.Awaited_Slot == slot &&
        Read_U16(report + 2) == rx.Awaited_Command) {
      std::memcpy(rx.Reply_Report, report, sizeof rx.Reply_Report);
      rx.Reply_Ready = true;
      rx.Reply_Arrived.notify_all();
    }
  }
}

// The open device handles. `Lock` is held by the reader while it reads a handle
// and by open and close while they change one, so a handle is never freed under a
// read. Taken after Command_Lock, before Receive_Lock.
struct USB_Devices {
  std::mutex Lock;
  std::array<hid_device*, Slot_Count> Handles{};
};

// The one reader: polls every open device without blocking, then sleeps
// Poll_Period. Starts at once; Terminate wakes it, WaitFor joins it.
class TUSBThread {
 public:
  explicit TUSBThread(USB_Devices& devices) : devices_(devices), thread_([this] { ReadLoop(); }) {}
  ~TUSBThread() {
    Terminate();
    WaitFor();
  }
  TUSBThread(const TUSBThread&) = delete;
  TUSBThread& operator=(const TUSBThread&) = delete;

  void Terminate() {
    {
      std::lock_guard<std::mutex> lock(devices_.Lock);
      terminated_ = true;
    }
    wake_.notify_all();
  }

  void WaitFor() {
    if (thread_.joinable()) thread_.join();
  }

 private:
  void ReadLoop() {
    uint8_t buffer[USB_In_Report_Size];
    std::unique_lock<std::mutex> io(devices_.Lock);
    while (!terminated_) {
      for (int32_t slot = 0; slot < Slot_Count; ++slot) {
        if (!devices_.Handles[slot]) continue;
        std::memset(buffer, 0, sizeof buffer);
        const int n = hid_read(devices_.Handles[slot], buffer, sizeof buffer);
        if (n > 0) Store_Report(slot, buffer);
        // Between devices the lock is let go, so a caller's write never waits
        // for a whole pass, even when the poll period is 0.
        io.unlock();
        io.lock();
        if (terminated_) return;
      }
      const int period = std::max<int32_t>(0, Poll_Period.load());
      if (period == 0) {
        io.unlock();
        std::this_thread::yield();
        io.lock();
      } else {
        wake_.wait_for(io, std::chrono::milliseconds(period), [this] { return terminated_; });
      }
    }
  }

  USB_Devices& devices_;
  std::condition_variable wake_;
  bool terminated_ = false;  // guarded by devices_.Lock
  std::thread thread_;
};

class USB_Link final : public Link_Backend {
 public:
  void Start() override {
    hid_init();
    Poll_Period.store(5);
    USB_Thread = std::make_unique<TUSBThread>(devices_);
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
    uint8_t report[USB_Out_Report_Size];
    Build_USB_Out_Report(request.Command, request.Index, request.Value, report);

    Receive_State& rx = Received();
    {
      std::lock_guard<std::mutex> lock(rx.Receive_Lock);
      rx.Reply_Ready = false;
      rx.Awaiting = true;
      rx.Awaited_Slot = slot;
      rx.Awaited_Command = request.Command;
    }
    const auto deadline = Clock::now() + std::chrono::milliseconds(USB_Reply_Timeout_ms);
    bool written = false;
    {
      std::lock_guard<std::mutex> lock(devices_.Lock);
      if (hid_device* handle = devices_.Handles[slot])
        written = hid_write(handle, report, sizeof report) >= 0;
    }
    std::unique_lock<std::mutex> lock(rx.Receive_Lock);
    if (written) rx.Reply_Arrived.wait_until(lock, deadline, [&] { return rx.Reply_Ready; });
    rx.Awaiting = false;
    if (!written || !rx.Reply_Ready) return Result_Fail;
    const uint8_t* r = rx.Reply_Report;
    reply.Status = r[1];
    reply.Command = Read_U16(r + 2);
    reply.Index = Read_U16(r + 4);
    reply.Value = Read_I32(r + 6);
    rx.Push_Table[slot][0] = Read_I32(r + 10);
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

 private:
  USB_Devices devices_;
  std::unique_ptr<TUSBThread> USB_Thread;
};

USB_Link* g_usb = nullptr;  // the library's instance while it is initialised

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

std::unique_ptr<Link_Backend> Make_USB_Link() {
  auto link = std::make_unique<USB_Link>();
  g_usb = link.get();
  return link;
}

}  // namespace jq

using namespace jq;

JQ_EXPORT int32_t JQ_CALL JQ_M_Open_USB(int32_t slot) {
  return Link_Export(slot, [&] { return g_usb->Open(slot, slot, nullptr); });
}
JQ_EXPORT int32_t JQ_CALL JQ_Open_USB(void) { return JQ_M_Open_USB(0); }

JQ_EXPORT int32_t JQ_CALL JQ_M_Open_USB_SN(int32_t slot, const char* serial_number) {
  if (!serial_number || !*serial_number) return Result_Fail;
  return Link_Export(slot, [&] { return g_usb->Open(slot, 0, serial_number); });
}

JQ_EXPORT int32_t JQ_CALL JQ_M_Close_USB(int32_t slot) {
  return Link_Export(slot, [&] { return g_usb->Close(slot); });
}
JQ_EXPORT int32_t JQ_CALL JQ_Close_USB(void) { return JQ_M_Close_USB(0); }

JQ_EXPORT_PAIR(Get_Push_Data, (uint16_t channel, int32_t* value), (channel, value), ([&] {
  Put(value, 0);
  if (!Library_Initialised()) return Result_Fail;
  if (Valid_Slot(slot) && channel < Push_Words) {
    Receive_State& rx = Received();
    std::lock_guard<std::mutex> lock(rx.Receive_Lock);
    Put(value, rx.Push_Table[slot][channel]);
  }
  return Result_OK;
}()))

JQ_EXPORT int32_t JQ_CALL JQ_Set_Thread_Timeout(int32_t milliseconds) {
  if (!Library_Initialised()) return Result_Fail;
  Poll_Period.store(milliseconds);  // a negative period is used as 0
  return Result_OK;
}
