#include "platform/net/unicode_normalization.h"

#include <dlfcn.h>
#include <unicode/unorm2.h>
#include <unicode/usprep.h>

#include <mutex>
#include <string_view>
#include <type_traits>

#include "platform/system/last_error.h"

namespace platform::net {
namespace {

constexpr std::uint32_t kErrorInvalidParameter = 87;
constexpr std::uint32_t kErrorInsufficientBuffer = 122;
constexpr std::uint32_t kErrorInvalidName = 123;
constexpr std::uint32_t kErrorNoUnicodeTranslation = 1113;

// ICU's exported names carry its version (unorm2_normalize_72); the headers'
// renaming macros give them, and the library's file name matches.
#define JQ_ICU_NAME_TEXT(name) #name
#define JQ_ICU_NAME(name) JQ_ICU_NAME_TEXT(name)

struct Icu {
  decltype(&unorm2_getNFCInstance) nfc = nullptr;
  decltype(&unorm2_getNFDInstance) nfd = nullptr;
  decltype(&unorm2_getNFKCInstance) nfkc = nullptr;
  decltype(&unorm2_getNFKDInstance) nfkd = nullptr;
  decltype(&unorm2_normalize) normalize = nullptr;
  decltype(&unorm2_isNormalized) isNormalized = nullptr;
  decltype(&usprep_openByType) openProfile = nullptr;
  decltype(&usprep_prepare) prepare = nullptr;
  UStringPrepProfile* nameprep = nullptr;
  bool complete = false;
};

// Loaded once and kept for the life of the process, like the system
// libraries whose place it takes.
const Icu& Library() {
  static Icu icu;
  static std::once_flag once;
  std::call_once(once, [] {
    void* lib = dlopen("libicuuc.so." U_ICU_VERSION_SHORT, RTLD_NOW | RTLD_LOCAL);
    if (!lib) return;
    auto bind = [lib](auto& fn, const char* name) {
      fn = reinterpret_cast<std::remove_reference_t<decltype(fn)>>(dlsym(lib, name));
    };
    bind(icu.nfc, JQ_ICU_NAME(unorm2_getNFCInstance));
    bind(icu.nfd, JQ_ICU_NAME(unorm2_getNFDInstance));
    bind(icu.nfkc, JQ_ICU_NAME(unorm2_getNFKCInstance));
    bind(icu.nfkd, JQ_ICU_NAME(unorm2_getNFKDInstance));
    bind(icu.normalize, JQ_ICU_NAME(unorm2_normalize));
    bind(icu.isNormalized, JQ_ICU_NAME(unorm2_isNormalized));
    bind(icu.openProfile, JQ_ICU_NAME(usprep_openByType));
    bind(icu.prepare, JQ_ICU_NAME(usprep_prepare));
    if (!icu.nfc || !icu.nfd || !icu.nfkc || !icu.nfkd || !icu.normalize || !icu.isNormalized || !icu.openProfile ||
        !icu.prepare)
      return;
    UErrorCode status = U_ZERO_ERROR;
    icu.nameprep = icu.openProfile(USPREP_RFC3491_NAMEPREP, &status);
    icu.complete = U_SUCCESS(status) && icu.nameprep;
  });
  return icu;
}

const UNormalizer2* Normalizer(const Icu& icu, int form) {
  UErrorCode status = U_ZERO_ERROR;
  const UNormalizer2* n = nullptr;
  switch (form) {
    case NormalizationC: n = icu.nfc(&status); break;
    case NormalizationD: n = icu.nfd(&status); break;
    case NormalizationKC: n = icu.nfkc(&status); break;
    case NormalizationKD: n = icu.nfkd(&status); break;
    default: return nullptr;
  }
  return U_SUCCESS(status) ? n : nullptr;
}

// The text an argument pair names; false for a bad pair.
bool Text(const char16_t* src, int length, std::u16string_view& text) {
  if (!src || length < -1 || length == 0) return false;
  text = length == -1 ? std::u16string_view(src) : std::u16string_view(src, static_cast<std::size_t>(length));
  return true;
}

// The index of the first unpaired surrogate, or -1.
int UnpairedSurrogate(std::u16string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

int Fail(std::uint32_t code, int result = 0) {
  rtl::SetLastError(code);
  return result;
}

// ICU's answer into the caller's buffer by the Windows rules: a zero-ended
// input gives a zero-ended output counted with its zero.
// A short buffer gives the negative of the size needed where the call reports
// an estimate, else 0.
template <typename Run>
int Produce(bool zeroEnded, char16_t* dst, int dstLength, std::uint32_t failure, bool negativeEstimate, Run run) {
  const int extra = zeroEnded ? 1 : 0;
  UErrorCode status = U_ZERO_ERROR;
  const int32_t need = run(nullptr, 0, &status);
  if (status != U_BUFFER_OVERFLOW_ERROR && U_FAILURE(status)) return Fail(failure);
  if (dstLength == 0) return need + extra;
  if (dstLength < need + extra) return Fail(kErrorInsufficientBuffer, negativeEstimate ? -(need + extra) : 0);
  status = U_ZERO_ERROR;
  const int32_t written = run(dst, dstLength, &status);
  if (U_FAILURE(status)) return Fail(failure);
  if (zeroEnded) dst[written] = u'\0';
  rtl::SetLastError(0);
  return written + extra;
}

}  // namespace

bool NormalizationAvailable() { return Library().complete; }

int NormalizeString(int form, const char16_t* src, int srcLength, char16_t* dst, int dstLength) {
  const Icu& icu = Library();
  std::u16string_view text;
  if (!icu.complete || !Text(src, srcLength, text) || dstLength < 0 || (dstLength > 0 && !dst))
    return Fail(kErrorInvalidParameter);
  const UNormalizer2* n = Normalizer(icu, form);
  if (!n) return Fail(kErrorInvalidParameter);
  if (const int bad = UnpairedSurrogate(text); bad >= 0) return Fail(kErrorNoUnicodeTranslation, -bad);
  return Produce(srcLength == -1, dst, dstLength, kErrorInvalidParameter, true, [&](char16_t* out, int cap, UErrorCode* s) {
    return icu.normalize(n, text.data(), static_cast<int32_t>(text.size()), out, cap, s);
  });
}

int IsNormalizedString(int form, const char16_t* src, int length) {
  const Icu& icu = Library();
  std::u16string_view text;
  if (!icu.complete || !Text(src, length, text)) return Fail(kErrorInvalidParameter);
  const UNormalizer2* n = Normalizer(icu, form);
  if (!n) return Fail(kErrorInvalidParameter);
  if (UnpairedSurrogate(text) >= 0) return Fail(kErrorNoUnicodeTranslation);
  UErrorCode status = U_ZERO_ERROR;
  const UBool yes = icu.isNormalized(n, text.data(), static_cast<int32_t>(text.size()), &status);
  if (U_FAILURE(status)) return Fail(kErrorInvalidParameter);
  rtl::SetLastError(0);
  return yes ? 1 : 0;
}

int IdnToNameprepUnicode(std::uint32_t flags, const char16_t* src, int srcLength, char16_t* dst, int dstLength) {
  const Icu& icu = Library();
  std::u16string_view text;
  if (!icu.complete || !Text(src, srcLength, text) || dstLength < 0 || (dstLength > 0 && !dst))
    return Fail(kErrorInvalidParameter);
  const int32_t options = (flags & IDN_ALLOW_UNASSIGNED) ? USPREP_ALLOW_UNASSIGNED : USPREP_DEFAULT;
  return Produce(srcLength == -1, dst, dstLength, kErrorInvalidName, false, [&](char16_t* out, int cap, UErrorCode* s) {
    UParseError where{};
    return icu.prepare(icu.nameprep, text.data(), static_cast<int32_t>(text.size()), out, cap, options, &where, s);
  });
}

}  // namespace platform::net
