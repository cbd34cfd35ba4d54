// Small general operations of the utility library.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/runtime/rtl_string.h"

namespace ext {

struct TGUID {
  std::uint32_t D1 = 0;
  std::uint16_t D2 = 0, D3 = 0;
  std::uint8_t D4[8] = {};
  bool operator==(const TGUID&) const = default;
};

// A loaded shared library (dlopen handle); null when none.
using TModuleHandle = void*;

void ZeroMemoryBlock(void* Address, std::ptrdiff_t Size);
// Closes the library when there is one and clears the handle.
void ReleaseModuleHandle(TModuleHandle& Handle);
// "{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}", lower case, the last eight bytes
// in storage order.
rtl::String GuidToText(const TGUID& Guid);

}  // namespace ext
