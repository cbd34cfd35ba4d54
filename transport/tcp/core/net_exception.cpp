#include "transport/tcp/core/net_exception.h"

#include "transport/tcp/core/net_global.h"

namespace net {

rtl::String NetText(std::string_view entry, std::initializer_list<rtl::FormatArg> args) {
  const rtl::String text = NetResourceString(entry);
  return args.size() == 0 ? text : FormatInvariant(text, args);
}

ENetWinsockStubError ENetWinsockStubError::CreateWithCode(std::uint32_t code, std::u16string_view titleFormat,
                                                          std::initializer_list<rtl::FormatArg> args) {
  const rtl::String title = rtl::Format(titleFormat, args);
  rtl::String codeText;
  rtl::String message = title;
  if (code != 0) {
    codeText = rtl::SysErrorMessage(code);
    while (!codeText.empty() && (codeText.back() == u'\n' || codeText.back() == u'\r')) codeText.pop_back();
    message = title + u": " + codeText;
  }
  ENetWinsockStubError e(message);
  e.ErrorCode = code;
  e.ErrorCodeText = codeText;
  e.Title = title;
  return e;
}

}  // namespace net
