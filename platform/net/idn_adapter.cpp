#include "platform/net/idn_adapter.h"

#include <dlfcn.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/runtime/exceptions.h"
#include "platform/runtime/rtl_string.h"
#include "platform/net/unicode_normalization.h"

namespace platform::net {
namespace {

using ConvertFn = int (*)(const char* input, char** output, int flags);
using FreeFn = void (*)(void*);
std::atomic<ConvertFn> g_toAscii{nullptr};
std::atomic<ConvertFn> g_toUnicode{nullptr};
std::atomic<FreeFn> g_free{nullptr};

constexpr std::uint32_t kErrorInvalidName = 123;
constexpr std::uint32_t kErrorInsufficientBuffer = 122;
constexpr std::uint32_t kErrorInvalidParameter = 87;

// Both calls take UTF-16 text with a length (-1: up to its NUL) and answer
// the units written, or the units needed when there is no output; 0 with
// the last error set on failure.
int Convert(ConvertFn fn, const char16_t* in, int inLen, char16_t* out, int outLen) {
  if (!fn || !in || inLen == 0 || inLen < -1 || outLen < 0 || (outLen > 0 && !out)) {
    rtl::SetLastError(kErrorInvalidParameter);
    return 0;
  }
  const std::u16string_view text =
      inLen == -1 ? std::u16string_view(in) : std::u16string_view(in, static_cast<std::size_t>(inLen));
  char* result = nullptr;
  if (fn(rtl::StringToUtf8(text).c_str(), &result, 0) != 0 || !result) {
    rtl::SetLastError(kErrorInvalidName);
    return 0;
  }
  rtl::String wide = rtl::Utf8ToString(result);
  if (FreeFn f = g_free.load()) f(result);
  else std::free(result);
  if (inLen == -1) wide.push_back(u'\0');  // a terminated input gives a terminated output
  const int need = static_cast<int>(wide.size());
  if (outLen == 0) return need;
  if (outLen < need) {
    rtl::SetLastError(kErrorInsufficientBuffer);
    return 0;
  }
  std::memcpy(out, wide.data(), wide.size() * sizeof(char16_t));
  return need;
}

int IdnToAscii(std::uint32_t, const char16_t* in, int inLen, char16_t* out, int outLen) {
  return Convert(g_toAscii.load(), in, inLen, out, outLen);
}
int IdnToUnicode(std::uint32_t, const char16_t* in, int inLen, char16_t* out, int outLen) {
  return Convert(g_toUnicode.load(), in, inLen, out, outLen);
}

}  // namespace

void* IdnExport(void* lib, const char* name) {
  if (!lib || !name) return nullptr;
  if (void* f = dlsym(lib, "idn2_free")) g_free.store(reinterpret_cast<FreeFn>(f));
  if (std::strcmp(name, "IdnToAscii") == 0) {
    void* f = dlsym(lib, "idn2_to_ascii_8z");
    if (!f) return nullptr;
    g_toAscii.store(reinterpret_cast<ConvertFn>(f));
    return reinterpret_cast<void*>(&IdnToAscii);
  }
  if (std::strcmp(name, "IdnToUnicode") == 0) {
    void* f = dlsym(lib, "idn2_to_unicode_8z8z");
    if (!f) return nullptr;
    g_toUnicode.store(reinterpret_cast<ConvertFn>(f));
    return reinterpret_cast<void*>(&IdnToUnicode);
  }
  if (!NormalizationAvailable()) return nullptr;
  if (std::strcmp(name, "NormalizeString") == 0) return reinterpret_cast<void*>(&NormalizeString);
  if (std::strcmp(name, "IsNormalizedString") == 0) return reinterpret_cast<void*>(&IsNormalizedString);
  if (std::strcmp(name, "IdnToNameprepUnicode") == 0) return reinterpret_cast<void*>(&IdnToNameprepUnicode);
  return nullptr;
}

}  // namespace platform::net
