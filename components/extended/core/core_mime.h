// Base64 coding as MIME uses it: the standard alphabet with "=" padding,
// 76-character lines (57 input bytes) separated by CR LF, and a decoder that
// skips everything outside the alphabet and can be fed piece by piece.
#pragma once

#include <cstdint>
#include <string>

#include "platform/runtime/rtl_string.h"

namespace ext {

inline constexpr char CoreMimeAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
// Upper-case letters, digits and the punctuation a URL may carry as it is.
inline constexpr char CoreMimeUrlChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789-_.!~*'()";
inline constexpr char CoreMimeHexDigits[] = "0123456789ABCDEF";

// 255 for every byte outside the alphabet.
const std::uint8_t* MimeDecodeTable();

std::int64_t EncodedSize(std::int64_t InputSize);
std::int64_t DecodedSize(std::int64_t InputSize);

// Output holds EncodedSize(Count) bytes.
void EncodeLines(const void* Input, std::int64_t Count, void* Output);
// Output holds 4 * ceil(Count / 3) bytes.
void EncodeNoLineBreaks(const void* Input, std::int64_t Count, void* Output);

// State of a piecewise decode: the bits collected so far and how many
// characters the current group of four still needs (4 when it is empty).
// Returns the bytes written; Output holds DecodedSize(Count) bytes.
std::int64_t DecodePart(const void* Input, std::int64_t Count, void* Output, std::uint32_t& MissingChars,
                        std::uint32_t& PendingBits);
// Flushes an incomplete last group; Output holds 2 bytes.
std::int64_t DecodeEnd(void* Output, std::uint32_t PendingBits, std::uint32_t MissingChars);

rtl::AnsiString EncodeText(const rtl::AnsiString& S);
rtl::AnsiString DecodeText(const rtl::AnsiString& S);
// Wide text goes through the system code page first.
rtl::AnsiString EncodeText(const rtl::String& S);
rtl::AnsiString DecodeText(const rtl::String& S);

}  // namespace ext
