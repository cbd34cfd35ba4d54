#include "platform/runtime/char_types.h"

#include <locale.h>
#include <wctype.h>

#include <string>

#include "platform/runtime/codepage.h"
#include "platform/runtime/rtl_string.h"

namespace rtl {
namespace {

locale_t UnicodeLocale() {
  static locale_t l = [] {
    locale_t r = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
    return r ? r : newlocale(LC_CTYPE_MASK, "C", static_cast<locale_t>(0));
  }();
  return l;
}

std::uint16_t Classify(wint_t c) {
  locale_t l = UnicodeLocale();
  std::uint16_t m = 0;
  if (iswupper_l(c, l)) m |= C1_UPPER;
  if (iswlower_l(c, l)) m |= C1_LOWER;
  if (iswdigit_l(c, l)) m |= C1_DIGIT;
  if (iswspace_l(c, l)) m |= C1_SPACE;
  if (iswpunct_l(c, l)) m |= C1_PUNCT;
  if (iswcntrl_l(c, l)) m |= C1_CNTRL;
  if (iswblank_l(c, l)) m |= C1_BLANK;
  if (iswxdigit_l(c, l)) m |= C1_XDIGIT;
  if (iswalpha_l(c, l)) m |= C1_ALPHA;
  return m;
}

// The one character a byte stands for in the system page, or none.
bool ByteChar(std::uint8_t b, char16_t& out) {
  if (b < 0x80) {
    out = b;
    return true;
  }
  std::string s(1, static_cast<char>(b));
  String u = DecodeText(s, CP_ACP);
  if (u.size() != 1 || u[0] == 0xFFFD) return false;
  out = u[0];
  return true;
}

std::uint8_t MapByte(std::uint8_t b, bool upper) {
  char16_t c;
  if (!ByteChar(b, c)) return b;
  char16_t m = upper ? UpCaseChar(c) : LowCaseChar(c);
  if (m == c) return b;
  AnsiString back = EncodeText(std::u16string_view(&m, 1), CP_ACP);
  return back.size() == 1 && back[0] != '?' ? static_cast<std::uint8_t>(back[0]) : b;
}

}  // namespace

std::uint16_t CharType1(char16_t C) {
  if (C >= 0xD800 && C <= 0xDFFF) return 0;
  return Classify(static_cast<wint_t>(C));
}

std::uint16_t AnsiCharType1(std::uint8_t B) {
  char16_t c;
  return ByteChar(B, c) ? CharType1(c) : 0;
}

std::uint8_t AnsiLowerByte(std::uint8_t B) { return MapByte(B, false); }
std::uint8_t AnsiUpperByte(std::uint8_t B) { return MapByte(B, true); }

}  // namespace rtl
