// Text types of the program.
//   String      UTF-16, the unit the window layer and the components count in.
//   AnsiString  8-bit text in the system code page (GBK by default): files, ini
//               values, texts that cross the device library's C boundary.
#pragma once

#include <string>
#include <string_view>

namespace rtl {

using String = std::u16string;
using AnsiString = std::string;

String Utf8ToString(std::string_view utf8);
std::string StringToUtf8(const String& text);

}  // namespace rtl
