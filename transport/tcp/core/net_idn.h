// International domain names: the platform's conversion bound at run time
// from two optional libraries; without them the conversion is not used.
#pragma once

#include <cstdint>

#include "transport/tcp/core/net_winsock2.h"
#include "platform/runtime/rtl_string.h"

namespace net::idn {

using winsock::WsFunction;

// From "IdnDL.dll"; nothing here calls them.
extern WsFunction<int(std::uint32_t, char16_t*, int)> DownlevelGetLocaleScripts;
extern WsFunction<int(std::uint32_t, const char16_t*, int, char16_t*, int)> DownlevelGetStringScripts;
extern WsFunction<int(std::uint32_t, std::uint32_t, const char16_t*, int)> DownlevelVerifyScripts;
// From "Normaliz.dll".
extern WsFunction<int(std::uint32_t, const char16_t*, int, char16_t*, int)> IdnToUnicode;
extern WsFunction<int(std::uint32_t, const char16_t*, int, char16_t*, int)> IdnToNameprepUnicode;
extern WsFunction<int(std::uint32_t, const char16_t*, int, char16_t*, int)> IdnToAscii;
extern WsFunction<int(int, const char16_t*, int)> IsNormalizedString;
extern WsFunction<int(int, const char16_t*, int, char16_t*, int)> NormalizeString;

// Loads what is there; raises nothing.
void LoadIdnFunctions();
// Frees both libraries and empties the "Normaliz.dll" variables; harmless twice.
void UnloadIdnFunctions();
// True below system version 6.2 with IdnToAscii and IdnToUnicode bound.
bool CanUseIdnConversion();
// The same test for a given version (the answer CanUseIdnConversion gives there).
bool CanUseIdnConversionOn(std::uint32_t major, std::uint32_t minor);
// The host name in its ASCII form; empty when IdnToAscii is not bound.
// A failed conversion raises the runtime's operating-system error.
rtl::AnsiString HostNameToAscii(const rtl::String& hostName);

}  // namespace net::idn
