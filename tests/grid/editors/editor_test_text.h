#pragma once
// Text helpers the editor tests share: UTF-8 for traces and failure
// messages, and fixed number settings so results do not follow the locale.
#include <string>

#include "platform/runtime/format_settings.h"
#include "platform/runtime/rtl_string.h"

inline std::string Utf8(const rtl::String& s) { return rtl::StringToUtf8(s); }

inline rtl::TFormatSettings Settings(char16_t dec = u'.', char16_t thousands = u',') {
  rtl::TFormatSettings fs = rtl::TFormatSettings::Invariant();
  fs.DecimalSeparator = dec;
  fs.ThousandSeparator = thousands;
  return fs;
}
