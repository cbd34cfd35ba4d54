#pragma once
// Program text as UTF-8, for test traces and failure messages.
#include <string>

#include "rtl_string.h"

inline std::string Utf8(const rtl::String& s) { return rtl::StringToUtf8(s); }
