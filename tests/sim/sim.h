// Controller simulator: one protocol engine (Controller) and the front ends that
// put it on a link: a simulated hidapi backend (HID devices), a pty and a loopback
// TCP listener. Tests use it as the device and its request log as the oracle.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace jqsim {

// One request as the controller received it.
struct LoggedRequest {
  std::string device;     // name of the front end that carried it ("usb:<path>", "pty:<path>", "tcp:<port>")
  uint16_t code = 0;
  uint16_t index = 0;
  int32_t value = 0;
  uint64_t received_us = 0;  // monotonic microseconds when the request arrived
  uint64_t replied_us = 0;   // when the reply left (0: no reply was sent)
  bool unknown = false;      // the code is not one of the device API's command codes
  uint64_t seq = 0;          // running number of the request (1, 2, ...) in this controller
};

// Monotonic microseconds, the clock of LoggedRequest.
uint64_t MonotonicUs();

// The engine's answer to one request.
struct Reply {
  uint8_t status = 0;
  uint16_t command = 0;  // command echo
  uint16_t index = 0;    // index echo
  int32_t value = 0;
};

enum class FaultKind {
  None,
  Silence,      // no reply at all
  Delay,        // late: reply after `delay_ms` (a USB front end holds the report back;
                // pty/TCP wait, so later requests are answered after it, in order)
  WrongEcho,    // command echo + 1
  BadChecksum,  // frames only: checksum byte off by one
  BadMarker,    // frames: head or tail damaged; USB: report id 5 instead of 2
  Short,        // frames: 13 bytes; USB: report cut after byte 9
  Long,         // frames: 15 bytes (one extra byte after the tail)
  Unplugged,    // hang-up. USB: hid_read returns -1 and hid_write -1; pty/TCP: the link
                // closes without a reply
  Duplicate,    // frames: the reply twice, the copy `delay_ms` after the first
  Trickle,      // frames: the reply one byte at a time, `delay_ms` between bytes
  CloseMidFrame,  // frames: the first 7 bytes of the reply, then the link closes
  Reset,        // TCP: the connection is reset (RST) instead of answered; pty: as Unplugged
};

struct Fault {
  FaultKind kind = FaultKind::None;
  int delay_ms = 0;
  int count = -1;          // how many requests it affects; -1 = until cleared
  int only_code = -1;      // affect only this command code; -1 = every code
};
// SetFault keeps one fault per only_code value (a later SetFault with the same
// only_code replaces the earlier one); a request takes the fault for its own code
// first, else the one for every code. Each affected request uses up one count.
// FaultKind::None in SetFault removes the fault of that only_code.

// Protocol engine of one controller: answers every command of the device API with
// the right reply layout, keeps setter -> getter state and a small motion model.
class Controller {
 public:
  Controller();
  ~Controller();
  Controller(const Controller&) = delete;
  Controller& operator=(const Controller&) = delete;

  // Handles one request and logs it (replied_us = now). Thread-safe. Faults are
  // not consumed: Handle is the engine alone, as a test calls it directly.
  Reply Handle(uint16_t code, uint16_t index, int32_t value, const std::string& device);

  // For front ends: handles and logs one request (replied_us left 0) and takes the
  // active fault for it (ActiveFault); the front end applies the fault to the way it
  // delivers the reply and calls MarkReplied(seq) when the reply has left.
  struct Exchange {
    Reply reply;
    Fault fault;     // kind None when no fault applies
    uint64_t seq = 0;
  };
  Exchange Process(uint16_t code, uint16_t index, int32_t value, const std::string& device);
  void MarkReplied(uint64_t seq);
  // Takes (uses up one count of) the fault that applies to `code`; kind None if none.
  Fault ActiveFault(uint16_t code);
  // True while a FaultKind::Unplugged fault for every code (only_code -1) is active.
  bool Unplugged() const;
  int PushPeriodMs() const;
  void PushWords(int32_t& w0, int32_t& w1) const;

  // --- state the tests set up ---
  void SetAxisCount(int n);                       // command 100 (default 4)
  // Forces the reply value of `code` at `index` (overrides the model).
  // The override stays until ClearValue/ClearValues, or until a setter command
  // writes the same getter state (e.g. 122 clears an override of 120 for that axis).
  void SetValue(uint16_t code, uint16_t index, int32_t value);
  void ClearValue(uint16_t code, uint16_t index);
  void ClearValues();
  // Forces a device status for `code` (any index); 0 removes it.
  void SetStatus(uint16_t code, uint8_t status);
  void SetFault(const Fault& fault);
  void ClearFaults();
  // Push words the USB front end sends in push reports (report id 3).
  void SetPushWords(int32_t w0, int32_t w1);
  void SetPushPeriodMs(int period_ms);             // 0 = no push reports (default)

  // --- the oracle ---
  // The newest requests, at most LogLimit of them (older ones are dropped, so a
  // long-running simulator keeps a bounded log).
  std::vector<LoggedRequest> Log() const;
  void ClearLog();
  static constexpr size_t Default_Log_Limit = 10000;
  void SetLogLimit(size_t entries);

  // Reads the model's view (for tests of the motion model).
  int32_t Position(uint16_t axis) const;
  bool Running(uint16_t axis) const;
  // Motion model settings: speed of position moves when 112 set none or <= 0
  // (default 10000 steps/s) and the duration of a homing run (default 200 ms).
  void SetDefaultSpeed(int32_t steps_per_s);
  void SetHomingMs(int ms);

  // Mode numbers (command 105, status bits 5-6).
  static constexpr int kModePosition = 0;       // 107 value 0 (default)
  static constexpr int kModeVelocity = 1;       // 106, or a velocity target (109)
  static constexpr int kModeHome = 2;           // 124
  static constexpr int kModePositionClose = 3;  // 107 value 1

  struct Impl;
  Impl& impl() { return *impl_; }

 private:
  std::unique_ptr<Impl> impl_;
};

// ---------- simulated hidapi backend ----------
// A test links the library variant `JQ_API_sim`, whose hid_* functions are these.
struct HidDeviceInfo {
  std::string path = "sim-hid-0";
  std::wstring manufacturer = L"Pelund Tech";
  std::wstring product = L"JQ-Motion";
  std::wstring serial = L"0001";
  uint16_t vendor_id = 0x0483;
  uint16_t product_id = 0x5750;
};

// Registers a device in enumeration order (appended). The controller must outlive it.
void AttachHid(const HidDeviceInfo& info, Controller& controller);
// Removes the device; an open handle then behaves as unplugged (reads fail).
void DetachHid(const std::string& path);
void DetachAllHid();
// Counters for tests: how many handles are open now; hid_init/hid_exit balance.
int OpenHidHandles();
// Byte-level access for tests of the report layouts: the last output report written
// to the device at `path`, and an input report queued for every open handle of it.
std::vector<uint8_t> LastHidOutputReport(const std::string& path);
void InjectHidInputReport(const std::string& path, const std::vector<uint8_t>& report);
int HidInitCount();

// ---------- pty front end ----------
class PtyPort {
 public:
  // Creates a pty pair; the controller answers frames written to slave_path().
  // pace_115200: add 86.8 us per byte as the wire would.
  explicit PtyPort(Controller& controller, bool pace_115200 = false);
  ~PtyPort();
  const std::string& slave_path() const;
  // False once a FaultKind::Unplugged fault closed the pty (the slave then reads EOF/EIO).
  bool open() const;

  struct Impl;
 private:
  std::unique_ptr<Impl> impl_;
};

// ---------- loopback TCP front end ----------
class TcpListener {
 public:
  // Listens on 127.0.0.1 with an ephemeral port (0) or the given one.
  explicit TcpListener(Controller& controller, uint16_t port = 0);
  ~TcpListener();
  uint16_t port() const;
  void DropConnections();   // closes every accepted connection (and joins their threads)
  int Connections() const;  // connections being served now

  struct Impl;
 private:
  std::unique_ptr<Impl> impl_;
};

// ---------- HID socket front end ----------
// Offers the simulated HID devices of this process to another process: a
// program started with libjqsim_hid_client.so preloaded and JQSIM_HID_SOCKET
// naming `socket_path` finds and opens them through its hid_* calls. Each open
// handle there is one connection here, served with the hid_* calls of this
// process (so faults and the request log work as for a test's own devices).
class HidSocket {
 public:
  // Listens at `socket_path` (a new file; removed again by the destructor).
  explicit HidSocket(const std::string& socket_path);
  ~HidSocket();
  int Connections() const;  // open handles being served now

  struct Impl;
 private:
  std::unique_ptr<Impl> impl_;
};

// Frame helpers shared by the pty and TCP front ends (and useful to tests).
std::vector<uint8_t> EncodeRequestFrame(uint16_t code, uint16_t index, int32_t value);
std::vector<uint8_t> EncodeReplyFrame(const Reply& reply);
// The reply frame as a front end sends it under `fault` (WrongEcho, BadChecksum,
// BadMarker, Short, Long change it; other kinds give the plain frame).
std::vector<uint8_t> EncodeReplyFrame(const Reply& reply, const Fault& fault);
// Decodes a 14-byte reply frame; nullopt unless markers, length and checksum are right.
std::optional<Reply> DecodeReplyFrame(const std::vector<uint8_t>& frame);

}  // namespace jqsim
