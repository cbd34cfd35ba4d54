#include "transport/serial/sync_serial.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>
#include <utility>

namespace jq {

uint32_t TickMilliseconds() { return static_cast<uint32_t>(rtl::MonotonicMs()); }

uint32_t TickDifference(uint32_t old_tick, uint32_t new_tick) {
  if (old_tick == new_tick) return 0;
  if (new_tick < old_tick) {
    old_tick += 0x80000000u;
    new_tick += 0x80000000u;
  }
  return new_tick < old_tick ? old_tick - new_tick : new_tick - old_tick;
}

int32_t ReverseInt32Bytes(int32_t value) {
  const uint32_t v = static_cast<uint32_t>(value);
  return static_cast<int32_t>((v >> 24) | ((v >> 8) & 0xFF00u) | ((v << 8) & 0xFF0000u) | (v << 24));
}

namespace {

void Sleep_ms(int64_t ms) {
  if (ms <= 0)
    std::this_thread::yield();
  else
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// "COM3" -> 3, "-1" -> -1; false unless the whole text is a decimal integer.
bool Parse_Int(const std::string& text, int64_t& value) {
  size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  if (i == text.size() || text.size() - i > 10) return false;
  int64_t v = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    v = v * 10 + (text[i] - '0');
  }
  value = negative ? -v : v;
  return value >= INT32_MIN && value <= INT32_MAX;
}

std::string Upper(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

}  // namespace

TSyncSerial::TSyncSerial() : TSyncSerial(ser::System_Serial_Api()) {}

TSyncSerial::TSyncSerial(ser::Serial_Api& api) : Api_(api) {}

TSyncSerial::~TSyncSerial() {
  try {
    ClosePort();
  } catch (...) {
    // ClosePort raises nothing itself; a status hook that throws must not escape here.
  }
}

std::string TSyncSerial::VersionText() { return "Varnel 7.6.0"; }

std::string TSyncSerial::GetErrorDesc(int32_t code) {
  switch (code) {
    case 0: return "OK";
    case ErrAlreadyOwned: return "Port owned by other process";
    case ErrAlreadyInUse: return "Instance already in use";
    case ErrWrongParameter: return "Wrong parameter at call";
    case ErrPortNotOpen: return "Instance not yet connected";
    case ErrNoDeviceAnswer: return "No device answer detected";
    case ErrMaxBuffer: return "Maximal buffer length exceeded";
    case ErrTimeout: return "Timeout during operation";
    case ErrNotRead: return "Reading of data failed";
    case ErrFrame: return "Receive framing error";
    case ErrOverrun: return "Receive Overrun Error";
    case ErrRxOver: return "Receive Queue overflow";
    case ErrRxParity: return "Receive Parity Error";
    case ErrTxFull: return "Tranceive Queue is full";
    default: return ser::Error_Message(code);
  }
}

// ---------------- errors ----------------

void TSyncSerial::SetSerialError(int32_t code) {
  LastErrorCode_ = code;
  LastErrorText_ = GetErrorDesc(code);
}

int32_t TSyncSerial::CheckApiResult(int32_t result) {
  const int32_t code = result == -1 ? static_cast<int32_t>(ser::GetLastError()) : 0;
  SetSerialError(code);
  return code;
}

void TSyncSerial::RaiseIfError() {
  if (!RaiseExcept || LastErrorCode_ == 0) return;
  const std::string text = GetErrorDesc(LastErrorCode_);
  char message[512];
  std::snprintf(message, sizeof message, "Communication error %d: %s", LastErrorCode_, text.c_str());
  throw EVarnelError(message, LastErrorCode_, text);
}

void TSyncSerial::RaiseSerialError(int32_t code) {
  SetSerialError(code);
  RaiseIfError();
}

void TSyncSerial::MapLineErrors(uint32_t flags) {
  int32_t code = LastErrorCode_;
  if (flags & ser::CE_Frame) code = ErrFrame;
  if (flags & ser::CE_Overrun) code = ErrOverrun;
  if (flags & ser::CE_RxOver) code = ErrRxOver;
  if (flags & ser::CE_RxParity) code = ErrRxParity;
  if (flags & ser::CE_TxFull) code = ErrTxFull;
  // Text and code change together, so a caller never reads "OK" beside an error code.
  SetSerialError(code);
}

void TSyncSerial::ReportStatus(THookSerialReason reason, const std::string& value) {
  if (OnStatus) OnStatus(this, reason, value);
}

// ---------------- port ----------------

void TSyncSerial::ParsePortNumber(const std::string& name) {
  PortNumber_ = -1;
  const std::string upper = Upper(name);
  int64_t n = 0;
  if (upper.rfind("COM", 0) == 0) {
    // COM0, COM-1 and names that are not a number do not name a port.
    if (Parse_Int(name.substr(3), n) && n >= 1) PortNumber_ = static_cast<int32_t>(n - 1);
  } else if (upper.rfind("/DEV/TTYS", 0) == 0) {
    // Only /dev/ttyS<number>; other devices of that prefix (/dev/ttySAC0) keep their name.
    if (Parse_Int(name.substr(9), n) && n >= 0 && name.substr(9).find_first_of("+-") == std::string::npos)
      PortNumber_ = static_cast<int32_t>(n);
  }
}

uint16_t TSyncSerial::QueryUARTAddress() { return 0; }

bool TSyncSerial::UARTTransmitterEmpty(uint16_t) { return true; }

bool TSyncSerial::ControlLinesReady() {
  if (TestDSR && !GetDSRLine()) return false;
  if (TestCTS && !GetCTSLine()) return false;
  return true;
}

bool TSyncSerial::PortNotUsable() {
  if (!PortOpen_) {
    RaiseSerialError(ErrPortNotOpen);
    return true;
  }
  if (!ControlLinesReady()) {
    RaiseSerialError(ErrNoDeviceAnswer);
    return true;
  }
  return false;
}

void TSyncSerial::OpenPort(const std::string& name) {
  if (PortOpen_) {
    RaiseSerialError(ErrAlreadyInUse);
    return;
  }
  LineBuffer.clear();
  DeviceName_ = name;
  ParsePortNumber(name);
  ser::SetLastError(0);
  if (PortNumber_ != -1) DeviceName_ = ser::Port_Device_Path(PortNumber_);
  Handle_ = Api_.CreateFile(DeviceName_);
  CheckApiResult(Handle_ == ser::Invalid_Handle ? -1 : 0);
  RaiseIfError();
  if (LastErrorCode_ != 0) {
    Handle_ = ser::Invalid_Handle;
    return;
  }
  Api_.SetCommMask(Handle_, 0);
  Api_.SetupComm(Handle_, static_cast<uint32_t>(ReceiveQueueSize_), 0);
  ser::CommTimeouts timeouts;
  timeouts.ReadIntervalTimeout = 0xFFFF;
  Api_.SetCommTimeouts(Handle_, timeouts);
  UARTAddress_ = QueryUARTAddress();
  SetSerialError(0);
  if (ControlLinesReady()) {
    PortOpen_ = true;
    SetRTSLine(true);
    SetDTRLine(true);
    PurgePort();
  } else {
    SetSerialError(ErrNoDeviceAnswer);
    Api_.CloseHandle(Handle_);
    Handle_ = ser::Invalid_Handle;
    PortNumber_ = -1;
  }
  RaiseIfError();
  ReportStatus(HR_Connect, DeviceName_);
}

void TSyncSerial::ReadDeviceControl() {
  SetSerialError(0);
  if (!Api_.GetCommState(Handle_, DeviceControl_)) CheckApiResult(-1);
  RaiseIfError();
}

void TSyncSerial::ApplyDeviceControl() {
  SetSerialError(0);
  if (!Api_.SetCommState(Handle_, DeviceControl_)) CheckApiResult(-1);
  RaiseIfError();
}

void TSyncSerial::ConfigurePort(int32_t baud, int32_t bits, char parity, int32_t stop, bool softflow,
                                 bool hardflow) {
  DeviceControl_ = ser::DCB{};
  ReadDeviceControl();
  ser::DCB& d = DeviceControl_;
  d.DCBlength = sizeof(ser::DCB);
  d.BaudRate = static_cast<uint32_t>(baud);
  d.ByteSize = static_cast<uint8_t>(bits);
  d.StopBits = static_cast<uint8_t>(stop);
  d.XonChar = 0x11;
  d.XoffChar = 0x13;
  d.XonLim = d.XoffLim = static_cast<uint16_t>(ReceiveQueueSize_ / 4);
  switch (parity) {
    case 'N': case 'n': d.Parity = ser::No_Parity; break;
    case 'O': case 'o': d.Parity = ser::Odd_Parity; break;
    case 'E': case 'e': d.Parity = ser::Even_Parity; break;
    case 'M': case 'm': d.Parity = ser::Mark_Parity; break;
    case 'S': case 's': d.Parity = ser::Space_Parity; break;
    default: break;
  }
  uint32_t flags = ser::Dcb_Binary;
  if (softflow) flags |= ser::Dcb_OutX | ser::Dcb_InX;
  flags |= hardflow ? (ser::Dcb_OutxCtsFlow | ser::Rts_Control_Handshake) : ser::Rts_Control_Enable;
  flags |= ser::Dtr_Control_Enable;
  if (d.Parity != ser::No_Parity) flags |= ser::Dcb_Parity;
  d.Flags = flags;
  ApplyDeviceControl();
}

void TSyncSerial::ClosePort() {
  if (Handle_ != ser::Invalid_Handle) {
    PurgePort();
    SetRTSLine(false);
    SetDTRLine(false);
    Api_.CloseHandle(Handle_);
  }
  PortOpen_ = false;
  Handle_ = ser::Invalid_Handle;
  PortNumber_ = -1;
  SetSerialError(0);
  ReportStatus(HR_SerialClose, DeviceName_);
}

void TSyncSerial::SetReceiveQueueSize(int32_t size) {
  Api_.SetupComm(Handle_, static_cast<uint32_t>(size), 0);
  ReadDeviceControl();
  DeviceControl_.XonLim = DeviceControl_.XoffLim = static_cast<uint16_t>(size / 4);
  ApplyDeviceControl();
  ReceiveQueueSize_ = size;
}

void TSyncSerial::SetRateLimit(int32_t bytes_per_second) {
  SendRateLimit = bytes_per_second;
  ReceiveRateLimit = bytes_per_second;
}

void TSyncSerial::ThrottleTransfer(int32_t count, int32_t limit, uint32_t& next_tick) {
  if (limit <= 0) return;
  const uint32_t now = TickMilliseconds();
  if (next_tick > now) {
    ReportStatus(HR_Wait, std::to_string(next_tick - now));
    Sleep_ms(next_tick - now);
  }
  next_tick = TickMilliseconds() + static_cast<uint32_t>(static_cast<double>(count) / limit * 1000.0);
}

// ---------------- raw transfers ----------------

int32_t TSyncSerial::SendBytes(const void* buffer, int32_t count) {
  if (PortNotUsable()) return 0;
  if (count < 0 || (count > 0 && !buffer)) {
    RaiseSerialError(ErrWrongParameter);
    return 0;
  }
  ThrottleTransfer(count, SendRateLimit, NextSendTick_);
  if (SoftRTSToggle_) {
    FlushOutput();
    SetRTSLine(true);
  }
  ser::Overlapped ov;
  uint32_t written = 0;
  SetSerialError(0);
  const bool done = Api_.WriteFile(Handle_, buffer, static_cast<uint32_t>(count), written, ov);
  CompleteTransfer(done, ov, written, ser::Purge_TxAbort);
  ReportLineErrors();
  if (SoftRTSToggle_) {
    FlushOutput();
    WaitWritable(255);
    SetRTSLine(false);
  }
  RaiseIfError();
  ReportStatus(HR_WriteCount, std::to_string(written));
  return static_cast<int32_t>(written);
}

// A transfer the driver left pending is waited for up to DeadlockTimeout and then
// aborted; one that could not start leaves its system error.
void TSyncSerial::CompleteTransfer(bool done, ser::Overlapped& ov, uint32_t& transferred,
                                    uint32_t abort_flag) {
  if (done) return;
  const uint32_t err = ser::GetLastError();
  if (err != ser::Error_IO_Pending) {
    SetSerialError(static_cast<int32_t>(err));
    return;
  }
  if (Api_.WaitForSingleObject(Handle_, static_cast<uint32_t>(DeadlockTimeout)) == ser::Wait_Timeout) {
    Api_.PurgeComm(Handle_, abort_flag);
    SetSerialError(ErrTimeout);
  }
  Api_.GetOverlappedResult(Handle_, ov, transferred, false);
}

// Line errors of this transfer, and those seen earlier while only counting the queues.
void TSyncSerial::ReportLineErrors() {
  uint32_t errors = 0;
  if (!Api_.ClearCommError(Handle_, errors, nullptr)) errors = 0;
  errors |= std::exchange(UnreportedLineErrors_, 0);
  if (errors) MapLineErrors(errors);
}

int32_t TSyncSerial::ReceiveBytes(void* buffer, int32_t count) {
  if (PortNotUsable()) return 0;
  if (count < 0 || (count > 0 && !buffer)) {
    RaiseSerialError(ErrWrongParameter);
    return 0;
  }
  ThrottleTransfer(count, ReceiveRateLimit, NextReceiveTick_);
  ser::Overlapped ov;
  uint32_t read = 0;
  SetSerialError(0);
  const bool done = Api_.ReadFile(Handle_, buffer, static_cast<uint32_t>(count), read, ov);
  CompleteTransfer(done, ov, read, ser::Purge_RxAbort);
  ReportLineErrors();
  RaiseIfError();
  ReportStatus(HR_ReadCount, std::to_string(read));
  return static_cast<int32_t>(read);
}

std::string TSyncSerial::ReceiveAvailable(int32_t timeout) {
  std::string result;
  if (PortNotUsable()) return result;
  SetSerialError(0);
  if (!LineBuffer.empty()) {
    result.swap(LineBuffer);
    return result;
  }
  Sleep_ms(0);
  int32_t n = InputQueueCount();
  // A port that fails (hung up, device gone) is reported as that failure at once,
  // not waited on until it looks like a time-out.
  if (LastErrorCode_ != 0) {
    RaiseIfError();
    return result;
  }
  if (n == 0) {
    if (WaitReadable(timeout)) {
      n = InputQueueCount();
      if (n == 0 && LastErrorCode_ == 0) SetSerialError(ErrTimeout);
    } else if (LastErrorCode_ == 0) {
      SetSerialError(ErrTimeout);
    }
  }
  if (n > 0) {
    result.resize(static_cast<size_t>(n));
    result.resize(static_cast<size_t>(std::max(ReceiveBytes(result.data(), n), 0)));
  }
  RaiseIfError();
  return result;
}

int32_t TSyncSerial::ReceiveExact(void* buffer, int32_t count, int32_t timeout) {
  if (PortNotUsable()) return 0;
  SetSerialError(0);
  if (count <= 0) return 0;
  if (!buffer) {
    RaiseSerialError(ErrWrongParameter);
    return 0;
  }
  auto* out = static_cast<char*>(buffer);
  int32_t received = 0;
  for (;;) {
    const uint32_t t = TickMilliseconds();
    std::string s = ReceiveAvailable(timeout);
    const size_t take = std::min(s.size(), static_cast<size_t>(count - received));
    std::copy_n(s.data(), take, out + received);
    received += static_cast<int32_t>(take);
    // What the caller did not ask for is handed out by the next receive.
    if (take < s.size()) LineBuffer = s.substr(take);
    if (LastErrorCode_ != 0 || received >= count) break;
    if (!InterPacketTimeout) {
      timeout -= static_cast<int32_t>(TickDifference(t, TickMilliseconds()));
      if (timeout <= 0) {
        SetSerialError(ErrTimeout);
        break;
      }
    }
  }
  RaiseIfError();
  return received;
}

int32_t TSyncSerial::InputQueueCount() {
  ser::ComStat stat;
  uint32_t errors = 0;
  int32_t n = 0;
  if (Api_.ClearCommError(Handle_, errors, &stat)) {
    SetSerialError(0);
    UnreportedLineErrors_ |= errors;
    n = static_cast<int32_t>(stat.InQueue);
  } else {
    CheckApiResult(-1);
  }
  RaiseIfError();
  return n;
}

int32_t TSyncSerial::OutputQueueCount() {
  SetSerialError(0);
  ser::ComStat stat;
  uint32_t errors = 0;
  int32_t n = 0;
  if (Api_.ClearCommError(Handle_, errors, &stat)) {
    UnreportedLineErrors_ |= errors;
    n = static_cast<int32_t>(stat.OutQueue);
  }
  else
    CheckApiResult(-1);
  RaiseIfError();
  return n;
}

int32_t TSyncSerial::PendingInputCount() {
  if (!LineBuffer.empty()) return static_cast<int32_t>(LineBuffer.size());
  return InputQueueCount();
}

bool TSyncSerial::WaitForLineEvent(uint32_t mask, int32_t timeout) {
  ser::Overlapped ov;
  uint32_t events = 0;
  bool result = false;
  Api_.SetCommMask(Handle_, mask);
  SetSerialError(0);
  if (mask == ser::EV_RxChar && InputQueueCount() > 0) {
    result = true;
  } else if (Api_.WaitCommEvent(Handle_, events, ov)) {
    result = (events & mask) == mask;
  } else if (ser::GetLastError() == ser::Error_IO_Pending) {
    const bool failed = Api_.WaitForEvent(Handle_, ov, static_cast<uint32_t>(std::max(timeout, 0))) ==
                        ser::Wait_Failed;
    const uint32_t failure = failed ? ser::GetLastError() : 0;
    Api_.SetCommMask(Handle_, 0);  // ends the wait if nothing came
    uint32_t unused = 0;
    Api_.GetOverlappedResult(Handle_, ov, unused, true);
    result = !failed && (events & mask) == mask;
    Api_.SetCommMask(Handle_, 0);
    if (failed) SetSerialError(static_cast<int32_t>(failure));
    return result;
  }
  Api_.SetCommMask(Handle_, 0);
  return result;
}

bool TSyncSerial::WaitReadable(int32_t timeout) {
  bool ready = InputQueueCount() > 0;
  if (!ready) {
    ready = WaitForLineEvent(ser::EV_RxChar, timeout);
    // A failed wait keeps its error; only a quiet one looks at the queue again.
    if (!ready && LastErrorCode_ == 0) ready = InputQueueCount() > 0;
  }
  if (ready) ReportStatus(HR_CanRead, "");
  return ready;
}

bool TSyncSerial::WaitWritable(int32_t timeout) {
  bool ready = OutputQueueCount() == 0;
  if (!ready) ready = WaitForLineEvent(ser::EV_TxEmpty, timeout);
  if (ready) ReportStatus(HR_CanWrite, "");
  return ready;
}

bool TSyncSerial::WaitReadablePending(int32_t timeout) {
  if (!LineBuffer.empty()) return true;
  return WaitReadable(timeout);
}

void TSyncSerial::PurgePort() {
  SetSerialError(0);
  if (!Api_.PurgeComm(Handle_, ser::Purge_TxAbort | ser::Purge_RxAbort | ser::Purge_TxClear |
                                   ser::Purge_RxClear))
    CheckApiResult(-1);
  LineBuffer.clear();
  UnreportedLineErrors_ = 0;
  RaiseIfError();
}

void TSyncSerial::FlushOutput() {
  SetSerialError(0);
  if (!Api_.FlushFileBuffers(Handle_)) CheckApiResult(-1);
  RaiseIfError();
}

// ---------------- lines ----------------

void TSyncSerial::SendBreak(int32_t duration_ms) {
  Api_.SetCommBreak(Handle_);
  Sleep_ms(duration_ms);
  SetSerialError(0);
  if (!Api_.ClearCommBreak(Handle_)) CheckApiResult(-1);
}

void TSyncSerial::SetDTRLine(bool on) { Api_.EscapeCommFunction(Handle_, on ? ser::Esc_SetDtr : ser::Esc_ClrDtr); }

void TSyncSerial::SetRTSLine(bool on) { Api_.EscapeCommFunction(Handle_, on ? ser::Esc_SetRts : ser::Esc_ClrRts); }

uint32_t TSyncSerial::ReadModemStatus() {
  SetSerialError(0);
  uint32_t word = 0;
  if (!Api_.GetCommModemStatus(Handle_, word)) {
    word = 0;
    CheckApiResult(-1);
  }
  RaiseIfError();
  ModemStatusWord_ = word;
  return word;
}

bool TSyncSerial::GetCTSLine() { return ReadModemStatus() & ser::MS_Cts_On; }
bool TSyncSerial::GetDSRLine() { return ReadModemStatus() & ser::MS_Dsr_On; }
bool TSyncSerial::GetRingLine() { return ReadModemStatus() & ser::MS_Ring_On; }
bool TSyncSerial::GetCarrierLine() { return ReadModemStatus() & ser::MS_Rlsd_On; }

void TSyncSerial::SetRTSToggle(bool on) {
  SetSerialError(0);
  ReadDeviceControl();
  if (on)
    DeviceControl_.Flags |= ser::Rts_Control_Toggle;
  else
    DeviceControl_.Flags &= ~ser::Rts_Control_Toggle;
  ApplyDeviceControl();
}

}  // namespace jq
