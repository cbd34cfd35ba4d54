// The serial-port calls the serial transport is written against: open by name,
// line state, queues, event mask, time-outs, purge, error clearing, control lines,
// modem status, break, event wait, overlapped read and write, and a per-thread
// last error. They keep the shape and codes of the Win32 communications calls so
// that the transport above can follow that model; System_Serial_Api() implements
// them with termios, ioctl and poll, and a fake (fake_serial.h) stands in where a
// pty cannot show a behaviour (modem lines, line errors, break).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/system/last_error.h"
#include "platform/system/monotonic_clock.h"

namespace platform::serial {

using Handle = intptr_t;
constexpr Handle Invalid_Handle = -1;

// ---- error codes (the Win32 numbering, so texts and tests agree across backends) ----
constexpr uint32_t Error_Success = 0;
constexpr uint32_t Error_Invalid_Function = 1;
constexpr uint32_t Error_File_Not_Found = 2;
constexpr uint32_t Error_Path_Not_Found = 3;
constexpr uint32_t Error_Access_Denied = 5;
constexpr uint32_t Error_Invalid_Handle = 6;
constexpr uint32_t Error_Not_Enough_Memory = 8;
constexpr uint32_t Error_Gen_Failure = 31;
constexpr uint32_t Error_Sharing_Violation = 32;
constexpr uint32_t Error_Not_Supported = 50;
constexpr uint32_t Error_Invalid_Parameter = 87;
constexpr uint32_t Error_Operation_Aborted = 995;
constexpr uint32_t Error_IO_Incomplete = 996;
constexpr uint32_t Error_IO_Pending = 997;
constexpr uint32_t Error_IO_Device = 1117;
constexpr uint32_t Error_Device_Not_Connected = 1167;

// ---- wait results ----
constexpr uint32_t Wait_Object_0 = 0;
constexpr uint32_t Wait_Timeout = 258;
constexpr uint32_t Wait_Failed = 0xFFFFFFFF;
constexpr uint32_t Infinite = 0xFFFFFFFF;

// ---- line state ----
// Laid out as the 28-byte Win32 record; every field sits at its natural alignment.
struct DCB {
  uint32_t DCBlength = 0;
  uint32_t BaudRate = 0;
  uint32_t Flags = 0;  // the bit fields, see Dcb_* below
  uint16_t wReserved = 0;
  uint16_t XonLim = 0;
  uint16_t XoffLim = 0;
  uint8_t ByteSize = 0;
  uint8_t Parity = 0;
  uint8_t StopBits = 0;
  char XonChar = 0;
  char XoffChar = 0;
  char ErrorChar = 0;
  char EofChar = 0;
  char EvtChar = 0;
  uint16_t wReserved1 = 0;
};
static_assert(sizeof(DCB) == 28 && offsetof(DCB, wReserved1) == 26);

constexpr uint32_t Dcb_Binary = 0x0001;
constexpr uint32_t Dcb_Parity = 0x0002;
constexpr uint32_t Dcb_OutxCtsFlow = 0x0004;
constexpr uint32_t Dcb_OutxDsrFlow = 0x0008;
constexpr uint32_t Dcb_Dtr_Control_Mask = 0x0030;
constexpr uint32_t Dtr_Control_Disable = 0x0000;
constexpr uint32_t Dtr_Control_Enable = 0x0010;
constexpr uint32_t Dtr_Control_Handshake = 0x0020;
constexpr uint32_t Dcb_DsrSensitivity = 0x0040;
constexpr uint32_t Dcb_TxContinueOnXoff = 0x0080;
constexpr uint32_t Dcb_OutX = 0x0100;
constexpr uint32_t Dcb_InX = 0x0200;
constexpr uint32_t Dcb_ErrorChar = 0x0400;
constexpr uint32_t Dcb_Null = 0x0800;
constexpr uint32_t Dcb_Rts_Control_Mask = 0x3000;
constexpr uint32_t Rts_Control_Disable = 0x0000;
constexpr uint32_t Rts_Control_Enable = 0x1000;
constexpr uint32_t Rts_Control_Handshake = 0x2000;
constexpr uint32_t Rts_Control_Toggle = 0x3000;

constexpr uint8_t No_Parity = 0, Odd_Parity = 1, Even_Parity = 2, Mark_Parity = 3, Space_Parity = 4;
constexpr uint8_t One_Stop_Bit = 0, One5_Stop_Bits = 1, Two_Stop_Bits = 2;

struct CommTimeouts {
  uint32_t ReadIntervalTimeout = 0;
  uint32_t ReadTotalTimeoutMultiplier = 0;
  uint32_t ReadTotalTimeoutConstant = 0;
  uint32_t WriteTotalTimeoutMultiplier = 0;
  uint32_t WriteTotalTimeoutConstant = 0;
};

struct ComStat {
  uint32_t Flags = 0;
  uint32_t InQueue = 0;   // bytes received and not yet read
  uint32_t OutQueue = 0;  // bytes written and not yet sent
};

// ClearCommError flags.
constexpr uint32_t CE_RxOver = 0x0001;
constexpr uint32_t CE_Overrun = 0x0002;
constexpr uint32_t CE_RxParity = 0x0004;
constexpr uint32_t CE_Frame = 0x0008;
constexpr uint32_t CE_Break = 0x0010;
constexpr uint32_t CE_TxFull = 0x0100;
constexpr uint32_t CE_IO = 0x0400;
constexpr uint32_t CE_Mode = 0x8000;

// Event mask bits.
constexpr uint32_t EV_RxChar = 0x0001;
constexpr uint32_t EV_RxFlag = 0x0002;
constexpr uint32_t EV_TxEmpty = 0x0004;
constexpr uint32_t EV_Cts = 0x0008;
constexpr uint32_t EV_Dsr = 0x0010;
constexpr uint32_t EV_Rlsd = 0x0020;
constexpr uint32_t EV_Break = 0x0040;
constexpr uint32_t EV_Err = 0x0080;
constexpr uint32_t EV_Ring = 0x0100;
constexpr uint32_t EV_Rx80Full = 0x0400;

// PurgeComm flags.
constexpr uint32_t Purge_TxAbort = 0x0001;
constexpr uint32_t Purge_RxAbort = 0x0002;
constexpr uint32_t Purge_TxClear = 0x0004;
constexpr uint32_t Purge_RxClear = 0x0008;

// EscapeCommFunction functions.
constexpr uint32_t Esc_SetXoff = 1;
constexpr uint32_t Esc_SetXon = 2;
constexpr uint32_t Esc_SetRts = 3;
constexpr uint32_t Esc_ClrRts = 4;
constexpr uint32_t Esc_SetDtr = 5;
constexpr uint32_t Esc_ClrDtr = 6;
constexpr uint32_t Esc_SetBreak = 8;
constexpr uint32_t Esc_ClrBreak = 9;

// GetCommModemStatus bits.
constexpr uint32_t MS_Cts_On = 0x0010;
constexpr uint32_t MS_Dsr_On = 0x0020;
constexpr uint32_t MS_Ring_On = 0x0040;
constexpr uint32_t MS_Rlsd_On = 0x0080;

// One overlapped operation. The caller owns it and keeps it alive until the
// operation has completed or been aborted; the backend keeps its progress here.
struct Overlapped {
  uint32_t Status = 0;       // 0 done, Error_IO_Pending while running, else the failure
  uint32_t Transferred = 0;  // bytes moved so far
  // Backend bookkeeping of a pending operation.
  const uint8_t* Write_Data = nullptr;
  uint8_t* Read_Data = nullptr;
  uint32_t Requested = 0;
  uint32_t* Events_Out = nullptr;  // where a pending WaitCommEvent reports its events
  uint32_t Event_Mask = 0;
  uint32_t Modem_Before = 0;
  int64_t Deadline_ms = -1;   // pending read with a total time-out
  int64_t Interval_ms = -1;   // pending read with a time-out between two bytes
  int64_t Last_Byte_ms = -1;  // when the newest byte of that read came
  bool Return_On_Bytes = false;  // the read ends as soon as any byte came
  bool Event_Signalled = false;
};

// The calls. Each returns false (or Invalid_Handle) on failure and leaves the
// reason in the calling thread's last error.
class Serial_Api {
 public:
  virtual ~Serial_Api() = default;

  // Opens for reading and writing, exclusively, ready for overlapped use.
  virtual Handle CreateFile(const std::string& name) = 0;
  virtual bool CloseHandle(Handle h) = 0;

  // Line state. GetCommState answers exactly what SetCommState last applied.
  virtual bool GetCommState(Handle h, DCB& dcb) = 0;
  virtual bool SetCommState(Handle h, const DCB& dcb) = 0;
  virtual bool SetupComm(Handle h, uint32_t in_queue, uint32_t out_queue) = 0;
  virtual bool SetCommMask(Handle h, uint32_t mask) = 0;  // also ends a pending WaitCommEvent
  virtual bool GetCommMask(Handle h, uint32_t& mask) = 0;
  virtual bool SetCommTimeouts(Handle h, const CommTimeouts& timeouts) = 0;
  virtual bool GetCommTimeouts(Handle h, CommTimeouts& timeouts) = 0;

  virtual bool PurgeComm(Handle h, uint32_t flags) = 0;
  // Reads and resets the line-error flags; `stat` (optional) gets the queue counts.
  virtual bool ClearCommError(Handle h, uint32_t& errors, ComStat* stat) = 0;
  virtual bool FlushFileBuffers(Handle h) = 0;  // waits until the output queue is sent

  virtual bool EscapeCommFunction(Handle h, uint32_t function) = 0;
  virtual bool GetCommModemStatus(Handle h, uint32_t& status) = 0;
  virtual bool SetCommBreak(Handle h) = 0;
  virtual bool ClearCommBreak(Handle h) = 0;
  // Sends one character ahead of any pending output.
  virtual bool TransmitCommChar(Handle h, char c);

  // May complete at once (true) or fail with Error_IO_Pending; then the wait
  // calls below and GetOverlappedResult finish it.
  virtual bool WaitCommEvent(Handle h, uint32_t& events, Overlapped& ov) = 0;
  virtual bool ReadFile(Handle h, void* buffer, uint32_t count, uint32_t& read, Overlapped& ov) = 0;
  virtual bool WriteFile(Handle h, const void* buffer, uint32_t count, uint32_t& written,
                         Overlapped& ov) = 0;
  // Waits for the pending read or write of the port to complete.
  virtual uint32_t WaitForSingleObject(Handle h, uint32_t timeout_ms) = 0;
  // Waits for the event of a pending WaitCommEvent.
  virtual uint32_t WaitForEvent(Handle h, Overlapped& ov, uint32_t timeout_ms) = 0;
  virtual bool GetOverlappedResult(Handle h, Overlapped& ov, uint32_t& transferred, bool wait) = 0;
};

// The termios backend, one per process.
Serial_Api& System_Serial_Api();

// Port numbers: COM<n> is port n-1, which lives at /dev/ttyS<n-1>.
std::string Port_Device_Path(int port_number);

// The calling thread's last error, the program's one (last_error.h).
using rtl::GetLastError;
using rtl::SetLastError;
// Records `code` as the last error and answers false, as a failed call does.
inline bool Fail(uint32_t code) {
  SetLastError(code);
  return false;
}
inline bool Serial_Api::TransmitCommChar(Handle, char) { return Fail(Error_Not_Supported); }

// Monotonic milliseconds, for the backends' time-outs.
inline int64_t Now_ms() { return static_cast<int64_t>(rtl::MonotonicMs()); }
// English text of an error code, without a trailing line end.
inline std::string Error_Message(int32_t code) { return rtl::WinErrorText(static_cast<uint32_t>(code)); }
// Maps a POSIX errno to the code above that names the same failure.
inline uint32_t Error_From_Errno(int err) { return rtl::WinErrorFromErrno(err); }

}  // namespace platform::serial
