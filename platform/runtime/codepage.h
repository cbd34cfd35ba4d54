// Code pages: the system's 8-bit page (GBK, page 936, unless changed) and the
// others the program names by number. Conversions never fail: bytes or units
// that do not convert are replaced (U+FFFD when decoding, '?' when encoding).
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/runtime/rtl_string.h"

namespace rtl {

inline constexpr std::uint32_t CP_ACP = 0;  // the system page, whatever it is set to
inline constexpr std::uint32_t CP_OEMCP = 1;
inline constexpr std::uint32_t CP_GBK = 936;
inline constexpr std::uint32_t CP_UTF16LE = 1200;
inline constexpr std::uint32_t CP_UTF16BE = 1201;
inline constexpr std::uint32_t CP_UTF32LE = 12000;
inline constexpr std::uint32_t CP_UTF32BE = 12001;
inline constexpr std::uint32_t CP_UTF7 = 65000;
inline constexpr std::uint32_t CP_UTF8 = 65001;

// The one setting for the system 8-bit page. Default 936.
std::uint32_t SystemCodePage();
void SetSystemCodePage(std::uint32_t codePage);

// True for the pages this system can convert (437, 936, 1252, 20127, 28591,
// 1200/1201, 12000/12001, 65000/65001, and 0/1 meaning the system page).
bool IsValidCodePage(std::uint32_t codePage);
// Longest byte sequence of one character in the page (1 for single-byte pages).
int MaxCharSize(std::uint32_t codePage);
// Page of a Windows locale id: 0x0409 and the western locales -> 1252,
// 0x0804/0x1004 -> 936, unknown -> the system page.
std::uint32_t CodePageOfLocale(std::uint32_t lcid);

// Bytes in `codePage` -> UTF-16.
String DecodeText(std::string_view bytes, std::uint32_t codePage = CP_ACP);
// UTF-16 -> bytes in `codePage`.
std::string EncodeText(std::u16string_view text, std::uint32_t codePage = CP_ACP);

// The program's 8-bit text in the system page.
inline String AnsiToString(std::string_view ansi) { return DecodeText(ansi, CP_ACP); }
inline AnsiString StringToAnsi(std::u16string_view text) { return EncodeText(text, CP_ACP); }

// How a text file was found to be written.
enum class TextEncoding { System, Utf8Bom, Utf16LE, Utf16BE };

// How a text file's bytes are written: a byte-order mark decides, and
// without one the file is in the system page. The bytes are never weighed:
// GBK text is often valid UTF-8 too ("Z位" is 5A CE BB, which UTF-8 reads
// as "Zλ"), so a guess would misread the program's own files.
TextEncoding DetectFileEncoding(std::string_view bytes);
// The byte-order mark the encoding starts a file with ("" for none).
std::string_view ByteOrderMark(TextEncoding encoding);
// The code page of the encoding's text (no mark): CP_ACP, CP_UTF8, ...
std::uint32_t CodePageOf(TextEncoding encoding);
// Reads a text file's bytes in the encoding DetectFileEncoding finds; bytes
// that do not decode become U+FFFD.
String DecodeFileText(std::string_view bytes, TextEncoding* found = nullptr);
// Writes text in `encoding`, with its byte-order mark where it has one.
std::string EncodeFileText(std::u16string_view text, TextEncoding encoding);

}  // namespace rtl
