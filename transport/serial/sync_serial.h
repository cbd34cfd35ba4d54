// TSyncSerial: a blocking serial port. Every operation leaves its outcome in
// LastErrorCode/LastErrorText (0 "OK", the class's own codes 9991..10003, or a
// platform error code) and raises EVarnelError only when RaiseExcept is on.
#pragma once

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <stdexcept>
#include <string>

#include "platform/serial/serial_api.h"

namespace jq {

namespace ser = platform::serial;

// Own error codes.
constexpr int32_t ErrAlreadyOwned = 9991;
constexpr int32_t ErrAlreadyInUse = 9992;
constexpr int32_t ErrWrongParameter = 9993;
constexpr int32_t ErrPortNotOpen = 9994;
constexpr int32_t ErrNoDeviceAnswer = 9995;
constexpr int32_t ErrMaxBuffer = 9996;
constexpr int32_t ErrTimeout = 9997;
constexpr int32_t ErrNotRead = 9998;
constexpr int32_t ErrFrame = 9999;
constexpr int32_t ErrOverrun = 10000;
constexpr int32_t ErrRxOver = 10001;
constexpr int32_t ErrRxParity = 10002;
constexpr int32_t ErrTxFull = 10003;

constexpr char CR = '\r';
constexpr char LF = '\n';
constexpr const char* CRLF = "\r\n";

enum THookSerialReason {
  HR_SerialClose,
  HR_Connect,
  HR_CanRead,
  HR_CanWrite,
  HR_ReadCount,
  HR_WriteCount,
  HR_Wait,
};

class TSyncSerial;
using THookSerialStatus =
    std::function<void(TSyncSerial* Sender, THookSerialReason Reason, const std::string& Value)>;

class EVarnelError : public std::runtime_error {
 public:
  EVarnelError(const std::string& message, int32_t number, const std::string& text)
      : std::runtime_error(message), ErrorNumber(number), ErrorText(text) {}
  int32_t ErrorNumber;
  std::string ErrorText;
};

// Monotonic millisecond tick, low 32 bits; it wraps after about 49 days.
uint32_t TickMilliseconds();
// Forward distance from `old_tick` to `new_tick` across a wrap; a small backward
// step gives its size.
uint32_t TickDifference(uint32_t old_tick, uint32_t new_tick);
int32_t ReverseInt32Bytes(int32_t value);

class TSyncSerial {
 public:
  TSyncSerial();
  explicit TSyncSerial(ser::Serial_Api& api);
  virtual ~TSyncSerial();
  TSyncSerial(const TSyncSerial&) = delete;
  TSyncSerial& operator=(const TSyncSerial&) = delete;

  // ---- published, read and written directly ----
  THookSerialStatus OnStatus;
  int32_t Tag = 0;
  std::string LineBuffer;  // bytes taken from the driver and not yet handed out
  bool RaiseExcept = false;
  bool TestDSR = false;
  bool TestCTS = false;
  int32_t MaxLineLength = 0;  // 0 = no limit
  int32_t DeadlockTimeout = 30000;
  bool LinuxLock = true;  // kept for callers that set it; nothing reads it
  bool ConvertLineEnd = false;
  int32_t AtTimeout = 1000;
  bool InterPacketTimeout = true;  // a time-out limits each wait, not the whole call
  int32_t SendRateLimit = 0;       // bytes per second, 0 = no limit
  int32_t ReceiveRateLimit = 0;

  // ---- read-only state ----
  ser::Handle Handle() const { return Handle_; }
  void SetHandle(ser::Handle h) { Handle_ = h; }
  const std::string& DeviceName() const { return DeviceName_; }
  int32_t LastErrorCode() const { return LastErrorCode_; }
  const std::string& LastErrorText() const { return LastErrorText_; }
  bool PortOpen() const { return PortOpen_; }
  bool ATReplyOK() const { return ATReplyOK_; }
  int32_t ReceiveQueueSize() const { return ReceiveQueueSize_; }
  uint32_t ModemStatusWord() const { return ModemStatusWord_; }
  int32_t PortNumber() const { return PortNumber_; }
  uint16_t UARTAddress() const { return UARTAddress_; }
  const ser::DCB& DeviceControl() const { return DeviceControl_; }

  static std::string GetErrorDesc(int32_t code);
  static std::string VersionText();

  // ---- port ----
  virtual void OpenPort(const std::string& name);
  virtual void ConfigurePort(int32_t baud, int32_t bits, char parity, int32_t stop, bool softflow,
                             bool hardflow);
  virtual void ClosePort();
  virtual void ReadDeviceControl();
  virtual void ApplyDeviceControl();
  virtual void SetReceiveQueueSize(int32_t size);
  virtual void SetRateLimit(int32_t bytes_per_second);

  // ---- raw transfers ----
  virtual int32_t SendBytes(const void* buffer, int32_t count);
  virtual int32_t ReceiveBytes(void* buffer, int32_t count);
  virtual std::string ReceiveAvailable(int32_t timeout);
  virtual int32_t ReceiveExact(void* buffer, int32_t count, int32_t timeout);
  virtual int32_t InputQueueCount();
  virtual int32_t PendingInputCount();
  virtual int32_t OutputQueueCount();
  virtual bool WaitReadable(int32_t timeout);
  virtual bool WaitWritable(int32_t timeout);
  virtual bool WaitReadablePending(int32_t timeout);
  virtual void FlushOutput();
  virtual void PurgePort();

  // ---- data forms ----
  virtual void SendOneByte(uint8_t value);
  virtual void SendText(const std::string& text);
  virtual void SendInt32(int32_t value);
  virtual void SendLengthPrefixed(const std::string& data);
  virtual void SendStreamRest(std::istream& stream);
  virtual void SendStreamPrefixed(std::istream& stream);
  virtual void SendStreamPrefixedBE(std::istream& stream);
  virtual std::string ReceiveExactText(int32_t count, int32_t timeout);
  virtual uint8_t ReceiveOneByte(int32_t timeout);
  virtual std::string ReceiveUntil(int32_t timeout, const std::string& terminator);
  virtual std::string ReceiveLine(int32_t timeout);
  virtual int32_t ReceiveInt32(int32_t timeout);
  virtual std::string ReceiveLengthPrefixed(int32_t timeout);
  virtual void ReceiveStreamUntilError(std::ostream& stream, int32_t timeout);
  virtual void ReceiveStreamCount(std::ostream& stream, int32_t timeout, int32_t count);
  virtual void ReceiveStreamPrefixed(std::ostream& stream, int32_t timeout);
  virtual void ReceiveStreamPrefixedBE(std::ostream& stream, int32_t timeout);
  virtual std::string ModemCommand(const std::string& command);
  virtual std::string ModemConnect(const std::string& command);

  // ---- lines ----
  virtual uint32_t ReadModemStatus();
  virtual bool GetDSRLine();
  virtual bool GetCTSLine();
  virtual bool GetCarrierLine();
  virtual bool GetRingLine();
  virtual void SetDTRLine(bool on);
  virtual void SetRTSLine(bool on);
  virtual void SetRTSToggle(bool on);
  virtual void SendBreak(int32_t duration_ms);

  // ---- errors ----
  virtual int32_t CheckApiResult(int32_t result);
  virtual void RaiseIfError();
  virtual void SetSerialError(int32_t code);
  virtual void RaiseSerialError(int32_t code);

 protected:
  virtual void MapLineErrors(uint32_t flags);
  virtual uint16_t QueryUARTAddress();
  virtual bool UARTTransmitterEmpty(uint16_t address);
  virtual void ReportStatus(THookSerialReason reason, const std::string& value);
  virtual void ParsePortNumber(const std::string& name);
  virtual bool PortNotUsable();
  virtual bool ControlLinesReady();
  virtual void ThrottleTransfer(int32_t count, int32_t limit, uint32_t& next_tick);
  bool WaitForLineEvent(uint32_t mask, int32_t timeout);

 private:
  void CompleteTransfer(bool done, platform::serial::Overlapped& ov, uint32_t& transferred,
                        uint32_t abort_flag);
  void ReportLineErrors();

  std::string Modem_Dialogue(const std::string& command, int32_t line_timeout, bool connect);

  ser::Serial_Api& Api_;
  ser::Handle Handle_ = ser::Invalid_Handle;
  std::string DeviceName_;
  int32_t LastErrorCode_ = 0;
  std::string LastErrorText_ = "OK";
  int32_t ReceiveQueueSize_ = 4096;
  uint32_t ModemStatusWord_ = 0;
  bool SoftRTSToggle_ = false;
  bool PortOpen_ = false;
  bool LastEndedCR_ = false;
  bool LastEndedLF_ = false;
  uint32_t NextSendTick_ = 0;
  uint32_t NextReceiveTick_ = 0;
  bool ATReplyOK_ = false;
  int32_t PortNumber_ = -1;
  uint16_t UARTAddress_ = 0;
  ser::DCB DeviceControl_{};
  // Line errors seen while counting the queues, reported by the next transfer.
  uint32_t UnreportedLineErrors_ = 0;
};

}  // namespace jq
