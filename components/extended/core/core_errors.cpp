#include "components/extended/core/core_errors.h"

namespace ext {

ECoreWin32Error::ECoreWin32Error(Taken) : ECoreError(String()) {
  lastError_ = rtl::GetLastError();
  lastErrorMsg_ = rtl::SysErrorMessage(lastError_);
}

String ECoreWin32Error::PlatformLine() const {
  return rtl::Format(u"Win32: %s (%u)", {lastErrorMsg_, lastError_});
}

ECoreWin32Error::ECoreWin32Error(const String& Msg) : ECoreWin32Error(Taken{}) {
  SetMessage(Msg + u"\r\n" + PlatformLine());
}

ECoreWin32Error::ECoreWin32Error(std::u16string_view Fmt, std::initializer_list<rtl::FormatArg> Args)
    : ECoreWin32Error(Taken{}) {
  SetMessage(rtl::Format(Fmt, Args) + u"\r\n" + PlatformLine());
}

}  // namespace ext
