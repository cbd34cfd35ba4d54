#include "components/extended/core/core_sys_utils.h"

#include <dlfcn.h>

#include <cstring>

namespace ext {

void ZeroMemoryBlock(void* Address, std::ptrdiff_t Size) {
  if (Address && Size > 0) std::memset(Address, 0, static_cast<std::size_t>(Size));
}

void ReleaseModuleHandle(TModuleHandle& Handle) {
  if (Handle) ::dlclose(Handle);
  Handle = nullptr;
}

rtl::String GuidToText(const TGUID& g) {
  static constexpr char16_t kHex[] = u"0123456789abcdef";
  rtl::String s = u"{";
  auto put = [&](std::uint64_t v, int digits) {
    for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4) s.push_back(kHex[(v >> shift) & 0xF]);
  };
  put(g.D1, 8);
  s.push_back(u'-');
  put(g.D2, 4);
  s.push_back(u'-');
  put(g.D3, 4);
  s.push_back(u'-');
  put(g.D4[0], 2);
  put(g.D4[1], 2);
  s.push_back(u'-');
  for (int i = 2; i < 8; ++i) put(g.D4[i], 2);
  s.push_back(u'}');
  return s;
}

}  // namespace ext
