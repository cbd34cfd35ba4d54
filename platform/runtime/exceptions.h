// Root of every exception the program's own code raises, and the error
// classes of the runtime and the window toolkit.
#pragma once

#include <cstdint>
#include <exception>
#include <initializer_list>
#include <string>

#include "platform/runtime/format.h"
#include "platform/system/last_error.h"
#include "platform/runtime/rtl_string.h"

namespace rtl {

class Exception : public std::exception {
 public:
  explicit Exception(String message) : message_(std::move(message)), utf8_(StringToUtf8(message_)) {}
  explicit Exception(std::string_view utf8_message)
      : message_(Utf8ToString(utf8_message)), utf8_(utf8_message) {}
  explicit Exception(const char16_t* message) : Exception(String(message)) {}
  explicit Exception(const char* utf8_message) : Exception(std::string_view(utf8_message)) {}
  // Formatted message (see Format).
  Exception(std::u16string_view fmt, std::initializer_list<FormatArg> args)
      : Exception(Format(fmt, args)) {}
  const String& Message() const noexcept { return message_; }
  void SetMessage(String message) {
    message_ = std::move(message);
    utf8_ = StringToUtf8(message_);
  }
  const char* what() const noexcept override { return utf8_.c_str(); }

 private:
  String message_;
  std::string utf8_;
};

#define RTL_EXCEPTION_CLASS(Name, Base) \
  class Name : public Base {            \
   public:                              \
    using Base::Base;                   \
  };

// Text that does not read as a number or date.
RTL_EXCEPTION_CLASS(EConvertError, Exception)
// Silent abort: the window loop swallows it without a message.
RTL_EXCEPTION_CLASS(EAbort, Exception)
// Value outside its allowed range ("Value must be between %0:g and %1:g").
RTL_EXCEPTION_CLASS(ERangeError, Exception)
// Integer and floating-point faults.
RTL_EXCEPTION_CLASS(EIntError, Exception)
RTL_EXCEPTION_CLASS(EDivByZero, EIntError)
RTL_EXCEPTION_CLASS(EIntOverflow, EIntError)
RTL_EXCEPTION_CLASS(EMathError, Exception)
RTL_EXCEPTION_CLASS(EInvalidOp, EMathError)
RTL_EXCEPTION_CLASS(EZeroDivide, EMathError)
RTL_EXCEPTION_CLASS(EOverflow, EMathError)
RTL_EXCEPTION_CLASS(EUnderflow, EMathError)
// Picture that cannot be read; property not known by that name or value.
RTL_EXCEPTION_CLASS(EInvalidGraphic, Exception)
RTL_EXCEPTION_CLASS(EPropertyError, Exception)
// Lists: index out of bounds, duplicates refused, sorted-list misuse.
RTL_EXCEPTION_CLASS(EListError, Exception)
RTL_EXCEPTION_CLASS(EStringListError, EListError)
// Streams and files.
RTL_EXCEPTION_CLASS(EStreamError, Exception)
RTL_EXCEPTION_CLASS(EFileStreamError, EStreamError)
RTL_EXCEPTION_CLASS(EFCreateError, EFileStreamError)
RTL_EXCEPTION_CLASS(EFOpenError, EFileStreamError)
RTL_EXCEPTION_CLASS(EReadError, EStreamError)
RTL_EXCEPTION_CLASS(EWriteError, EStreamError)
RTL_EXCEPTION_CLASS(EIniFileException, Exception)
RTL_EXCEPTION_CLASS(ERegistryException, Exception)
// Datasets and fields.
RTL_EXCEPTION_CLASS(EDatabaseError, Exception)
// Variants, assertions, abstract calls, casts, assignments, resources.
RTL_EXCEPTION_CLASS(EVariantError, Exception)
RTL_EXCEPTION_CLASS(EAssertionFailed, Exception)
RTL_EXCEPTION_CLASS(EAbstractError, Exception)
RTL_EXCEPTION_CLASS(EInvalidCast, Exception)
RTL_EXCEPTION_CLASS(EInvalidOperation, Exception)
RTL_EXCEPTION_CLASS(EOutOfResources, Exception)
RTL_EXCEPTION_CLASS(EThread, Exception)

#undef RTL_EXCEPTION_CLASS

// File input/output failure with its error code (Windows numbering: 2 file
// not found, 3 path not found, 5 access denied, 103 file not open, ...).
class EInOutError : public Exception {
 public:
  EInOutError(String message, int errorCode) : Exception(std::move(message)), ErrorCode(errorCode) {}
  int ErrorCode;
};

// Operating-system error: the code (Windows numbering) and the system's text.
class EOSError : public Exception {
 public:
  EOSError(String message, std::uint32_t errorCode)
      : Exception(std::move(message)), ErrorCode(errorCode) {}
  std::uint32_t ErrorCode;
};

// --- last OS error -------------------------------------------------------
// GetLastError, SetLastError, WinErrorFromErrno, SetLastErrorFromErrno:
// last_error.h (shared with the serial layer).
// English text for a Windows error code; "Unknown error <n>" otherwise.
String SysErrorMessage(std::uint32_t code);

// EOSError "System Error.  Code: <n>.\r\n<text>" for the last error (or `code`).
[[noreturn]] void RaiseLastOSError();
[[noreturn]] void RaiseLastOSError(std::uint32_t code);
// EAbort "Operation aborted".
[[noreturn]] void Abort();

// Floating-point faults are not trapped: computations set the status flags
// and this raises EZeroDivide / EInvalidOp / EOverflow for any flag set since
// the last ClearFloatFaults (and clears them).
void ClearFloatFaults();
void RaiseFloatFaults();

}  // namespace rtl
