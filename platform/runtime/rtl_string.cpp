#include "platform/runtime/rtl_string.h"

#include <locale.h>
#include <wctype.h>

#include <algorithm>

namespace rtl {

namespace {

constexpr char16_t kReplacement = 0xFFFD;

void AppendCodePoint(String& out, char32_t cp) {
  if (cp < 0x10000) {
    out.push_back(static_cast<char16_t>(cp));
  } else {
    cp -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
  }
}

// Decodes one UTF-8 sequence at s[i]; returns its length, 0 when malformed.
std::size_t DecodeUtf8(std::string_view s, std::size_t i, char32_t& cp) {
  const auto b0 = static_cast<unsigned char>(s[i]);
  if (b0 < 0x80) {
    cp = b0;
    return 1;
  }
  std::size_t len;
  char32_t min;
  if ((b0 & 0xE0) == 0xC0) {
    len = 2, cp = b0 & 0x1F, min = 0x80;
  } else if ((b0 & 0xF0) == 0xE0) {
    len = 3, cp = b0 & 0x0F, min = 0x800;
  } else if ((b0 & 0xF8) == 0xF0) {
    len = 4, cp = b0 & 0x07, min = 0x10000;
  } else {
    return 0;
  }
  if (i + len > s.size()) return 0;
  for (std::size_t k = 1; k < len; ++k) {
    const auto b = static_cast<unsigned char>(s[i + k]);
    if ((b & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (b & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return len;
}

// glibc's C.UTF-8 locale carries the full Unicode simple case mapping; the
// fallback covers ASCII only (a system without the locale is not expected).
locale_t CaseLocale() {
  static locale_t loc = [] {
    locale_t l = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
    return l;
  }();
  return loc;
}

}  // namespace

String Utf8ToString(std::string_view utf8) {
  // Paths and names are mostly ASCII: the leading ASCII goes straight across.
  String out(utf8.size(), u'\0');
  const auto* in = reinterpret_cast<const unsigned char*>(utf8.data());
  char16_t* to = out.data();
  std::size_t i = 0;
  for (; i < utf8.size() && in[i] < 0x80; ++i) to[i] = in[i];
  out.resize(i);
  if (i == utf8.size()) return out;
  out.reserve(utf8.size());
  for (; i < utf8.size();) {
    char32_t cp;
    const std::size_t len = DecodeUtf8(utf8, i, cp);
    if (len == 0) {
      out.push_back(kReplacement);
      ++i;
    } else {
      AppendCodePoint(out, cp);
      i += len;
    }
  }
  return out;
}

std::string StringToUtf8(std::u16string_view text) {
  std::string out(text.size(), '\0');
  const char16_t* in = text.data();
  char* to = out.data();
  std::size_t i = 0;
  for (; i < text.size() && in[i] < 0x80; ++i) to[i] = static_cast<char>(in[i]);
  out.resize(i);
  if (i == text.size()) return out;
  for (; i < text.size(); ++i) {
    char32_t cp = text[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = kReplacement;  // lone surrogate
    }
    if (cp < 0x80) {
      out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
  }
  return out;
}

std::string StringToUtf8(const String& text) { return StringToUtf8(std::u16string_view(text)); }

bool IsValidUtf8(std::string_view bytes) {
  for (std::size_t i = 0; i < bytes.size();) {
    char32_t cp;
    const std::size_t len = DecodeUtf8(bytes, i, cp);
    if (len == 0) return false;
    i += len;
  }
  return true;
}

String TrimLeft(std::u16string_view s) {
  std::size_t b = 0;
  while (b < s.size() && s[b] <= u' ') ++b;
  return String(s.substr(b));
}

String TrimRight(std::u16string_view s) {
  std::size_t e = s.size();
  while (e > 0 && s[e - 1] <= u' ') --e;
  return String(s.substr(0, e));
}

String Trim(std::u16string_view s) {
  std::size_t b = 0, e = s.size();
  while (b < e && s[b] <= u' ') ++b;
  while (e > b && s[e - 1] <= u' ') --e;
  return String(s.substr(b, e - b));
}

char16_t UpCaseChar(char16_t c) {
  if (c < 0x80) return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c;
  if (c >= 0xD800 && c <= 0xDFFF) return c;
  locale_t loc = CaseLocale();
  if (!loc) return c;
  const wint_t u = towupper_l(static_cast<wint_t>(c), loc);
  return u < 0x10000 ? static_cast<char16_t>(u) : c;
}

char16_t LowCaseChar(char16_t c) {
  if (c < 0x80) return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c;
  if (c >= 0xD800 && c <= 0xDFFF) return c;
  locale_t loc = CaseLocale();
  if (!loc) return c;
  const wint_t u = towlower_l(static_cast<wint_t>(c), loc);
  return u < 0x10000 ? static_cast<char16_t>(u) : c;
}

String UpperCase(std::u16string_view s) {
  String r(s);
  for (auto& c : r) c = UpCaseChar(c);
  return r;
}

String LowerCase(std::u16string_view s) {
  String r(s);
  for (auto& c : r) c = LowCaseChar(c);
  return r;
}

int CompareStr(std::u16string_view a, std::u16string_view b) {
  const int c = a.compare(b);
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

int CompareText(std::u16string_view a, std::u16string_view b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const char16_t x = UpCaseChar(a[i]), y = UpCaseChar(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool SameText(std::u16string_view a, std::u16string_view b) {
  return a.size() == b.size() && CompareText(a, b) == 0;
}

bool SameStr(std::u16string_view a, std::u16string_view b) { return a == b; }

int AnsiCompareText(std::u16string_view a, std::u16string_view b) {
  // Folding to lower case puts letters after '_' and the other punctuation
  // between 'Z' and 'a', which is where the user interface expects them.
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const char16_t x = LowCaseChar(a[i]), y = LowCaseChar(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

int AnsiCompareStr(std::u16string_view a, std::u16string_view b) {
  const int folded = AnsiCompareText(a, b);
  if (folded != 0) return folded;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i] != b[i]) {
      // Same letter in different case: the lower-case form comes first.
      const bool aLower = LowCaseChar(a[i]) == a[i];
      return aLower ? -1 : 1;
    }
  }
  return 0;
}

bool AnsiSameText(std::u16string_view a, std::u16string_view b) { return AnsiCompareText(a, b) == 0; }

bool StartsText(std::u16string_view prefix, std::u16string_view s) {
  return s.size() >= prefix.size() && SameText(s.substr(0, prefix.size()), prefix);
}

bool EndsText(std::u16string_view suffix, std::u16string_view s) {
  return s.size() >= suffix.size() && SameText(s.substr(s.size() - suffix.size()), suffix);
}

std::size_t Pos(std::u16string_view needle, std::u16string_view haystack) {
  return haystack.find(needle);
}

String StringReplaceAll(std::u16string_view s, std::u16string_view from, std::u16string_view to,
                        bool ignoreCase) {
  if (from.empty()) return String(s);
  String out;
  const String hay = ignoreCase ? UpperCase(s) : String(s);
  const String pat = ignoreCase ? UpperCase(from) : String(from);
  std::size_t i = 0;
  for (;;) {
    const std::size_t p = hay.find(pat, i);
    if (p == String::npos) break;
    out.append(s.substr(i, p - i));
    out.append(to);
    i = p + from.size();
  }
  out.append(s.substr(i));
  return out;
}

String IntToStr(std::int64_t value) {
  const std::string s = std::to_string(value);
  return String(s.begin(), s.end());
}

String UIntToStr(std::uint64_t value) {
  const std::string s = std::to_string(value);
  return String(s.begin(), s.end());
}

String IntToHex(std::uint64_t value, int digits) {
  static constexpr char16_t kHex[] = u"0123456789ABCDEF";
  String r;
  do {
    r.push_back(kHex[value & 0xF]);
    value >>= 4;
  } while (value != 0);
  while (static_cast<int>(r.size()) < digits) r.push_back(u'0');
  std::reverse(r.begin(), r.end());
  return r;
}

}  // namespace rtl
