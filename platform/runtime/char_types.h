// Character classes in the Windows type-1 bit layout, read from the
// platform's Unicode tables (glibc C.UTF-8, independent of the user's
// locale), for one UTF-16 unit or one byte of the system 8-bit code page.
#pragma once

#include <cstdint>

namespace rtl {

constexpr std::uint16_t C1_UPPER = 0x0001;
constexpr std::uint16_t C1_LOWER = 0x0002;
constexpr std::uint16_t C1_DIGIT = 0x0004;
constexpr std::uint16_t C1_SPACE = 0x0008;
constexpr std::uint16_t C1_PUNCT = 0x0010;
constexpr std::uint16_t C1_CNTRL = 0x0020;
constexpr std::uint16_t C1_BLANK = 0x0040;
constexpr std::uint16_t C1_XDIGIT = 0x0080;
constexpr std::uint16_t C1_ALPHA = 0x0100;

// Type-1 mask of one UTF-16 unit (surrogate halves answer 0).
std::uint16_t CharType1(char16_t C);
// Type-1 mask of one byte of the system 8-bit code page; lead bytes of a
// double-byte page answer 0.
std::uint16_t AnsiCharType1(std::uint8_t B);
// Case conversion of one byte of the system 8-bit code page (a byte that is
// not a whole character maps to itself).
std::uint8_t AnsiLowerByte(std::uint8_t B);
std::uint8_t AnsiUpperByte(std::uint8_t B);

}  // namespace rtl
