#include "platform/runtime/exceptions.h"

#include <errno.h>

#include <cfenv>

namespace rtl {

String SysErrorMessage(std::uint32_t code) { return Utf8ToString(WinErrorText(code)); }

void RaiseLastOSError() { RaiseLastOSError(GetLastError()); }

void RaiseLastOSError(std::uint32_t code) {
  if (code != 0)
    throw EOSError(Format(u"System Error.  Code: %d.\r\n%s", {code, SysErrorMessage(code)}), code);
  throw EOSError(u"A call to an OS function failed", 0);
}

void Abort() { throw EAbort(u"Operation aborted"); }

void ClearFloatFaults() { std::feclearexcept(FE_ALL_EXCEPT); }

void RaiseFloatFaults() {
  const int flags = std::fetestexcept(FE_DIVBYZERO | FE_INVALID | FE_OVERFLOW);
  std::feclearexcept(FE_ALL_EXCEPT);
  if (flags & FE_INVALID) throw EInvalidOp(u"Invalid floating point operation");
  if (flags & FE_DIVBYZERO) throw EZeroDivide(u"Floating point division by zero");
  if (flags & FE_OVERFLOW) throw EOverflow(u"Floating point overflow");
}

}  // namespace rtl
