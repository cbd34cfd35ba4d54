#include "components/support/ports/com_port_error.h"

#include <array>
#include <string>

namespace kit {

namespace {

constexpr std::array<const char16_t*, 23> kTexts = {
    u"Unable to open com port",
    u"WriteFile function failed",
    u"ReadFile function failed",
    u"Invalid Async parameter",
    u"PurgeComm function failed",
    u"Unable to get async status",
    u"SetCommState function failed",
    u"SetCommTimeouts failed",
    u"SetupComm function failed",
    u"ClearCommError function failed",
    u"GetCommModemStatus function failed",
    u"EscapeCommFunction function failed",
    u"TransmitCommChar function failed",
    u"Cannot set property while connected",
    u"EnumPorts function failed",
    u"Failed to store settings",
    u"Failed to load settings",
    u"Link (un)registration failed",
    u"Cannot change led state if ComPort is selected",
    u"Cannot wait for event if event thread is created",
    u"WaitForEvent method failed",
    u"A component is linked to OnRxBuf event",
    u"Registry error",
};

}  // namespace

rtl::String ComErrorText(int Code) {
  if (Code >= 1 && Code <= static_cast<int>(kTexts.size())) return kTexts[Code - 1];
  const std::string digits = std::to_string(Code);
  return u"Unknown Error #" + rtl::String(digits.begin(), digits.end());
}

EComPort::EComPort(int Code, int WinCode, const rtl::String& Port)
    : rtl::Exception(u"COM Port Error: " + ComErrorText(Code) + u" on " + Port), code_(Code), winCode_(WinCode) {}

EComPort::EComPort(int Code, const rtl::String& Message) : rtl::Exception(Message), code_(Code) {}

EComPort EComPort::CreateNoWinCode(int Code) { return EComPort(Code, u"COM Port Error: " + ComErrorText(Code)); }

}  // namespace kit
