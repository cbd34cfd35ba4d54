// Text types of the program.
//   String      UTF-16, the unit the window layer and the components count in.
//   AnsiString  8-bit text in the system code page (GBK by default): files, ini
//               values, texts that cross the device library's C boundary.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace rtl {

using String = std::u16string;
using AnsiString = std::string;

// UTF-8 <-> UTF-16. Malformed input becomes U+FFFD, never an exception.
String Utf8ToString(std::string_view utf8);
std::string StringToUtf8(const String& text);
std::string StringToUtf8(std::u16string_view text);
inline std::string StringToUtf8(const char16_t* text) { return StringToUtf8(std::u16string_view(text)); }
// Strict check: overlong forms, surrogates and values above U+10FFFF fail.
bool IsValidUtf8(std::string_view bytes);

// Paths on this system are UTF-8 byte strings.
inline std::string ToSysPath(const String& path) { return StringToUtf8(path); }
inline String FromSysPath(std::string_view path) { return Utf8ToString(path); }

// Whitespace here means every unit <= U+0020, control characters included.
String Trim(std::u16string_view s);
String TrimLeft(std::u16string_view s);
String TrimRight(std::u16string_view s);

// Case maps follow Unicode simple case mapping (per UTF-16 unit outside the
// surrogate range), so they match in any locale the program runs in.
char16_t UpCaseChar(char16_t c);
char16_t LowCaseChar(char16_t c);
String UpperCase(std::u16string_view s);
String LowerCase(std::u16string_view s);

// Ordinal comparisons, <0 / 0 / >0.
int CompareStr(std::u16string_view a, std::u16string_view b);
// Case-insensitive ordinal: both sides upper-cased first.
int CompareText(std::u16string_view a, std::u16string_view b);
bool SameText(std::u16string_view a, std::u16string_view b);
bool SameStr(std::u16string_view a, std::u16string_view b);

// Locale-aware order of the user interface: letters compare by their
// case-folded value, and on a tie a lower-case letter sorts before its
// upper-case form ("a" < "A" < "b"). Digits are not grouped into numbers,
// so "COM10" < "COM2".
int AnsiCompareStr(std::u16string_view a, std::u16string_view b);
int AnsiCompareText(std::u16string_view a, std::u16string_view b);
bool AnsiSameText(std::u16string_view a, std::u16string_view b);

bool StartsText(std::u16string_view prefix, std::u16string_view s);
bool EndsText(std::u16string_view suffix, std::u16string_view s);
// Position of the first occurrence (0-based), or npos.
std::size_t Pos(std::u16string_view needle, std::u16string_view haystack);
String StringReplaceAll(std::u16string_view s, std::u16string_view from, std::u16string_view to,
                        bool ignoreCase = false);

String IntToStr(std::int64_t value);
String UIntToStr(std::uint64_t value);
// Upper-case hexadecimal, at least `digits` digits.
String IntToHex(std::uint64_t value, int digits);

// Shorthand for program text written as UTF-8 literals in the sources.
inline String U(std::string_view utf8) { return Utf8ToString(utf8); }

}  // namespace rtl
