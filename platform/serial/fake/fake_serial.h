// A serial backend without hardware: named ports whose input, modem lines, line
// errors and stalls a test sets, and whose output, escape calls and line state a
// test reads back. Bytes can be scheduled to arrive later (trickling input).
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/serial/serial_api.h"

namespace platform::serial {

class Fake_Serial_Api final : public Serial_Api {
 public:
  struct Fake_Port {
    std::string name;
    Handle handle = Invalid_Handle;  // while open
    DCB dcb;
    CommTimeouts timeouts;
    uint32_t mask = 0;
    uint32_t in_queue = 0, out_queue = 0;
    std::deque<uint8_t> input;
    std::vector<uint8_t> output;
    uint32_t modem_status = 0;  // MS_* bits the "device" drives
    uint32_t line_errors = 0;   // CE_* flags reported by the next ClearCommError
    bool dtr = false, rts = false, break_on = false;
    int breaks = 0;                  // times a break was started
    std::vector<uint32_t> escapes;   // every EscapeCommFunction call
    std::vector<uint32_t> purges;    // every PurgeComm flag word
    bool stall_writes = false;       // writes pend and never complete
    int set_state_calls = 0;         // SetCommState calls that succeeded
    bool tx_since_empty = false;     // a write happened since EV_TxEmpty was last reported
    size_t rx_level = 0;             // input size when last reported or read (EV_RxChar is for new bytes)
    uint32_t raised = 0;             // EV_* bits that occurred since the last completed event wait
    // Called after each completed write with the bytes written (a scripted peer).
    std::function<void(Fake_Port&, const std::string&)> on_write;
    std::vector<std::pair<int64_t, std::string>> scheduled;  // steady ms, bytes
  };

  Fake_Port& Add_Port(const std::string& name);
  Fake_Port& Port(const std::string& name);
  void Feed(const std::string& name, const std::string& bytes);
  // The bytes become readable `delay_ms` from now.
  void Feed_After(const std::string& name, int delay_ms, const std::string& bytes);
  // Line changes as a device makes them, safe to call while another thread
  // waits for events: the lines that change raise their events.
  void Set_Modem_Status(const std::string& name, uint32_t status);
  // Adds CE_* flags for the next ClearCommError and raises EV_Err (EV_Break for CE_Break).
  void Raise_Line_Errors(const std::string& name, uint32_t errors);
  // Raises EV_* bits directly (flag character, 80 % full).
  void Raise_Events(const std::string& name, uint32_t events);
  // Every name CreateFile was called with, in order.
  std::vector<std::string> opened_names;

  Handle CreateFile(const std::string& name) override;
  bool CloseHandle(Handle h) override;
  bool GetCommState(Handle h, DCB& dcb) override;
  bool SetCommState(Handle h, const DCB& dcb) override;
  bool SetupComm(Handle h, uint32_t in_queue, uint32_t out_queue) override;
  bool SetCommMask(Handle h, uint32_t mask) override;
  bool GetCommMask(Handle h, uint32_t& mask) override;
  bool SetCommTimeouts(Handle h, const CommTimeouts& timeouts) override;
  bool GetCommTimeouts(Handle h, CommTimeouts& timeouts) override;
  bool PurgeComm(Handle h, uint32_t flags) override;
  bool ClearCommError(Handle h, uint32_t& errors, ComStat* stat) override;
  bool FlushFileBuffers(Handle h) override;
  bool EscapeCommFunction(Handle h, uint32_t function) override;
  bool GetCommModemStatus(Handle h, uint32_t& status) override;
  bool SetCommBreak(Handle h) override;
  bool ClearCommBreak(Handle h) override;
  bool TransmitCommChar(Handle h, char c) override;
  bool WaitCommEvent(Handle h, uint32_t& events, Overlapped& ov) override;
  bool ReadFile(Handle h, void* buffer, uint32_t count, uint32_t& read, Overlapped& ov) override;
  bool WriteFile(Handle h, const void* buffer, uint32_t count, uint32_t& written,
                 Overlapped& ov) override;
  uint32_t WaitForSingleObject(Handle h, uint32_t timeout_ms) override;
  uint32_t WaitForEvent(Handle h, Overlapped& ov, uint32_t timeout_ms) override;
  bool GetOverlappedResult(Handle h, Overlapped& ov, uint32_t& transferred, bool wait) override;

 private:
  Fake_Port* Find(Handle h);
  void Deliver_Due(Fake_Port& p);
  uint32_t Events_Now(Fake_Port& p, const Overlapped& ov);
  int64_t Next_Due(const Fake_Port& p) const;

  std::recursive_mutex lock_;
  std::map<std::string, Fake_Port> ports_;
  Handle next_handle_ = 100;
  Overlapped* pending_write_ = nullptr;
  Overlapped* pending_event_ = nullptr;
};

}  // namespace platform::serial
