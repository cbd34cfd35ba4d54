// The normalisation calls of Normaliz.dll in their Windows shape (UTF-16
// text, lengths in code units, -1 for a zero-ended text whose zero then
// counts in the result; 0 or less with the thread's last error on failure),
// served by the system's ICU, loaded on first use. Without ICU the calls are
// not offered (their lookups answer nullptr).
#pragma once

#include <cstdint>

namespace platform::net {

// The Windows normalisation forms.
inline constexpr int NormalizationC = 1, NormalizationD = 2, NormalizationKC = 5, NormalizationKD = 6;
inline constexpr std::uint32_t IDN_ALLOW_UNASSIGNED = 0x01;

// True when ICU could be loaded with everything the calls below use.
bool NormalizationAvailable();

// The length written (or needed, when dstLength is 0); on failure the
// negative of an index or of a size estimate, or 0, with the last error:
// 87 bad argument, 122 buffer too small (-needed), 1113 unpaired surrogate
// (-its index).
int NormalizeString(int form, const char16_t* src, int srcLength, char16_t* dst, int dstLength);
// FALSE with last error 1113 for an unpaired surrogate, 87 for a bad argument;
// else the answer with last error 0.
int IsNormalizedString(int form, const char16_t* src, int length);
// The name prepared for international domain names (RFC 3491); 0 with last
// error 123 when the name may not be prepared, 122 when the buffer is short.
int IdnToNameprepUnicode(std::uint32_t flags, const char16_t* src, int srcLength, char16_t* dst, int dstLength);

}  // namespace platform::net
