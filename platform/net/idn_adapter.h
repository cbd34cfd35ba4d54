// International domain names: the platform's conversion functions in their
// Windows shape, served from Debian's libidn2 when it is loaded under the
// name Normaliz.dll; its normalisation functions come from ICU
// (unicode_normalization.h).
#pragma once

#include <cstdint>

namespace platform::net {

// The Windows-shaped export of that name over the loaded libidn2, or
// nullptr when the library lacks what it needs (or the name has no
// counterpart).
void* IdnExport(void* libidn2, const char* name);

}  // namespace platform::net
