#include "components/extended/core/core_unicode.h"

#include <atomic>

#include "platform/runtime/codepage.h"

namespace ext {

namespace {

std::atomic<TCompareTextNoCase> gCompare{&CompareTextWide};
std::atomic<TCoreCriticalSection*> gLock{nullptr};

int Sign(int v) { return v < 0 ? -1 : v > 0 ? 1 : 0; }

}  // namespace

std::uint32_t LocaleAnsiCodePage(std::uint32_t Locale) { return rtl::CodePageOfLocale(Locale); }

int CompareTextWide(const String& A, const String& B, std::uint32_t) { return Sign(rtl::AnsiCompareText(A, B)); }

int CompareTextNarrow(const String& A, const String& B, std::uint32_t Locale) {
  const std::uint32_t page = LocaleAnsiCodePage(Locale) & 0xFFFF;
  // Each text whole, however many bytes its characters take in the page;
  // what the page cannot hold compares as its replacement character.
  const String a = rtl::DecodeText(rtl::EncodeText(A, page), page);
  const String b = rtl::DecodeText(rtl::EncodeText(B, page), page);
  return Sign(rtl::AnsiCompareText(a, b));
}

TCompareTextNoCase CompareTextNoCase() { return gCompare.load(); }

const std::array<TUnicodeBlock, UnicodeBlockCount>& UnicodeBlockTable() {
  static const std::array<TUnicodeBlock, UnicodeBlockCount> table = {{
      {{0xFFFFFFFF, 0x0}, u"No-block"},
      {{0x0000, 0x007F}, u"Basic Latin"},
      {{0x0080, 0x00FF}, u"Latin-1 Supplement"},
      {{0x0100, 0x017F}, u"Latin Extended-A"},
      {{0x0180, 0x024F}, u"Latin Extended-B"},
      {{0x0250, 0x02AF}, u"IPA Extensions"},
      {{0x02B0, 0x02FF}, u"Spacing Modifier Letters"},
      {{0x0300, 0x036F}, u"Combining Diacritical Marks"},
      {{0x0370, 0x03FF}, u"Greek and Coptic"},
      {{0x0400, 0x04FF}, u"Cyrillic"},
      {{0x0500, 0x052F}, u"Cyrillic Supplement"},
      {{0x0530, 0x058F}, u"Armenian"},
      {{0x0590, 0x05FF}, u"Hebrew"},
      {{0x0600, 0x06FF}, u"Arabic"},
      {{0x0700, 0x074F}, u"Syriac"},
      {{0x0750, 0x077F}, u"Arabic Supplement"},
      {{0x0780, 0x07BF}, u"Thaana"},
      {{0x07C0, 0x07FF}, u"NKo"},
      {{0x0900, 0x097F}, u"Devanagari"},
      {{0x0980, 0x09FF}, u"Bengali"},
      {{0x0A00, 0x0A7F}, u"Gurmukhi"},
      {{0x0A80, 0x0AFF}, u"Gujarati"},
      {{0x0B00, 0x0B7F}, u"Oriya"},
      {{0x0B80, 0x0BFF}, u"Tamil"},
      {{0x0C00, 0x0C7F}, u"Telugu"},
      {{0x0C80, 0x0CFF}, u"Kannada"},
      {{0x0D00, 0x0D7F}, u"Malayalam"},
      {{0x0D80, 0x0DFF}, u"Sinhala"},
      {{0x0E00, 0x0E7F}, u"Thai"},
      {{0x0E80, 0x0EFF}, u"Lao"},
      {{0x0F00, 0x0FFF}, u"Tibetan"},
      {{0x1000, 0x109F}, u"Myanmar"},
      {{0x10A0, 0x10FF}, u"Georgian"},
      {{0x1100, 0x11FF}, u"Hangul Jamo"},
      {{0x1200, 0x137F}, u"Ethiopic"},
      {{0x1380, 0x139F}, u"Ethiopic Supplement"},
      {{0x13A0, 0x13FF}, u"Cherokee"},
      {{0x1400, 0x167F}, u"Unified Canadian Aboriginal Syllabics"},
      {{0x1680, 0x169F}, u"Ogham"},
      {{0x16A0, 0x16FF}, u"Runic"},
      {{0x1700, 0x171F}, u"Tagalog"},
      {{0x1720, 0x173F}, u"Hanunoo"},
      {{0x1740, 0x175F}, u"Buhid"},
      {{0x1760, 0x177F}, u"Tagbanwa"},
      {{0x1780, 0x17FF}, u"Khmer"},
      {{0x1800, 0x18AF}, u"Mongolian"},
      {{0x1900, 0x194F}, u"Limbu"},
      {{0x1950, 0x197F}, u"Tai Le"},
      {{0x1980, 0x19DF}, u"New Tai Lue"},
      {{0x19E0, 0x19FF}, u"Khmer Symbols"},
      {{0x1A00, 0x1A1F}, u"Buginese"},
      {{0x1B00, 0x1B7F}, u"Balinese"},
      {{0x1D00, 0x1D7F}, u"Phonetic Extensions"},
      {{0x1D80, 0x1DBF}, u"Phonetic Extensions Supplement"},
      {{0x1DC0, 0x1DFF}, u"Combining Diacritical Marks Supplement"},
      {{0x1E00, 0x1EFF}, u"Latin Extended Additional"},
      {{0x1F00, 0x1FFF}, u"Greek Extended"},
      {{0x2000, 0x206F}, u"General Punctuation"},
      {{0x2070, 0x209F}, u"Superscripts and Subscripts"},
      {{0x20A0, 0x20CF}, u"Currency Symbols"},
      {{0x20D0, 0x20FF}, u"Combining Diacritical Marks for Symbols"},
      {{0x2100, 0x214F}, u"Letterlike Symbols"},
      {{0x2150, 0x218F}, u"Number Forms"},
      {{0x2190, 0x21FF}, u"Arrows"},
      {{0x2200, 0x22FF}, u"Mathematical Operators"},
      {{0x2300, 0x23FF}, u"Miscellaneous Technical"},
      {{0x2400, 0x243F}, u"Control Pictures"},
      {{0x2440, 0x245F}, u"Optical Character Recognition"},
      {{0x2460, 0x24FF}, u"Enclosed Alphanumerics"},
      {{0x2500, 0x257F}, u"Box Drawing"},
      {{0x2580, 0x259F}, u"Block Elements"},
      {{0x25A0, 0x25FF}, u"Geometric Shapes"},
      {{0x2600, 0x26FF}, u"Miscellaneous Symbols"},
      {{0x2700, 0x27BF}, u"Dingbats"},
      {{0x27C0, 0x27EF}, u"Miscellaneous Mathematical Symbols-A"},
      {{0x27F0, 0x27FF}, u"Supplemental Arrows-A"},
      {{0x2800, 0x28FF}, u"Braille Patterns"},
      {{0x2900, 0x297F}, u"Supplemental Arrows-B"},
      {{0x2980, 0x29FF}, u"Miscellaneous Mathematical Symbols-B"},
      {{0x2A00, 0x2AFF}, u"Supplemental Mathematical Operators"},
      {{0x2B00, 0x2BFF}, u"Miscellaneous Symbols and Arrows"},
      {{0x2C00, 0x2C5F}, u"Glagolitic"},
      {{0x2C60, 0x2C7F}, u"Latin Extended-C"},
      {{0x2C80, 0x2CFF}, u"Coptic"},
      {{0x2D00, 0x2D2F}, u"Georgian Supplement"},
      {{0x2D30, 0x2D7F}, u"Tifinagh"},
      {{0x2D80, 0x2DDF}, u"Ethiopic Extended"},
      {{0x2E00, 0x2E7F}, u"Supplemental Punctuation"},
      {{0x2E80, 0x2EFF}, u"CJK Radicals Supplement"},
      {{0x2F00, 0x2FDF}, u"Kangxi Radicals"},
      {{0x2FF0, 0x2FFF}, u"Ideographic Description Characters"},
      {{0x3000, 0x303F}, u"CJK Symbols and Punctuation"},
      {{0x3040, 0x309F}, u"Hiragana"},
      {{0x30A0, 0x30FF}, u"Katakana"},
      {{0x3100, 0x312F}, u"Bopomofo"},
      {{0x3130, 0x318F}, u"Hangul Compatibility Jamo"},
      {{0x3190, 0x319F}, u"Kanbun"},
      {{0x31A0, 0x31BF}, u"Bopomofo Extended"},
      {{0x31C0, 0x31EF}, u"CJK Strokes"},
      {{0x31F0, 0x31FF}, u"Katakana Phonetic Extensions"},
      {{0x3200, 0x32FF}, u"Enclosed CJK Letters and Months"},
      {{0x3300, 0x33FF}, u"CJK Compatibility"},
      {{0x3400, 0x4DBF}, u"CJK Unified Ideographs Extension A"},
      {{0x4DC0, 0x4DFF}, u"Yijing Hexagram Symbols"},
      {{0x4E00, 0x9FFF}, u"CJK Unified Ideographs"},
      {{0xA000, 0xA48F}, u"Yi Syllables"},
      {{0xA490, 0xA4CF}, u"Yi Radicals"},
      {{0xA700, 0xA71F}, u"Modifier Tone Letters"},
      {{0xA720, 0xA7FF}, u"Latin Extended-D"},
      {{0xA800, 0xA82F}, u"Syloti Nagri"},
      {{0xA840, 0xA87F}, u"Phags-pa"},
      {{0xAC00, 0xD7AF}, u"Hangul Syllables"},
      {{0xD800, 0xDB7F}, u"High Surrogates"},
      {{0xDB80, 0xDBFF}, u"High Private Use Surrogates"},
      {{0xDC00, 0xDFFF}, u"Low Surrogates"},
      {{0xE000, 0xF8FF}, u"Private Use Area"},
      {{0xF900, 0xFAFF}, u"CJK Compatibility Ideographs"},
      {{0xFB00, 0xFB4F}, u"Alphabetic Presentation Forms"},
      {{0xFB50, 0xFDFF}, u"Arabic Presentation Forms-A"},
      {{0xFE00, 0xFE0F}, u"Variation Selectors"},
      {{0xFE10, 0xFE1F}, u"Vertical Forms"},
      {{0xFE20, 0xFE2F}, u"Combining Half Marks"},
      {{0xFE30, 0xFE4F}, u"CJK Compatibility Forms"},
      {{0xFE50, 0xFE6F}, u"Small Form Variants"},
      {{0xFE70, 0xFEFF}, u"Arabic Presentation Forms-B"},
      {{0xFF00, 0xFFEF}, u"Halfwidth and Fullwidth Forms"},
      {{0xFFF0, 0xFFFF}, u"Specials"},
      {{0x10000, 0x1007F}, u"Linear B Syllabary"},
      {{0x10080, 0x100FF}, u"Linear B Ideograms"},
      {{0x10100, 0x1013F}, u"Aegean Numbers"},
      {{0x10140, 0x1018F}, u"Ancient Greek Numbers"},
      {{0x10300, 0x1032F}, u"Old Italic"},
      {{0x10330, 0x1034F}, u"Gothic"},
      {{0x10380, 0x1039F}, u"Ugaritic"},
      {{0x103A0, 0x103DF}, u"Old Persian"},
      {{0x10400, 0x1044F}, u"Deseret"},
      {{0x10450, 0x1047F}, u"Shavian"},
      {{0x10480, 0x104AF}, u"Osmanya"},
      {{0x10800, 0x1083F}, u"Cypriot Syllabary"},
      {{0x10900, 0x1091F}, u"Phoenician"},
      {{0x10A00, 0x10A5F}, u"Kharoshthi"},
      {{0x12000, 0x123FF}, u"Cuneiform"},
      {{0x12400, 0x1247F}, u"Cuneiform Numbers and Punctuation"},
      {{0x1D000, 0x1D0FF}, u"Byzantine Musical Symbols"},
      {{0x1D100, 0x1D1FF}, u"Musical Symbols"},
      {{0x1D200, 0x1D24F}, u"Ancient Greek Musical Notation"},
      {{0x1D300, 0x1D35F}, u"Tai Xuan Jing Symbols"},
      {{0x1D360, 0x1D37F}, u"Counting Rod Numerals"},
      {{0x1D400, 0x1D7FF}, u"Mathematical Alphanumeric Symbols"},
      {{0x20000, 0x2A6DF}, u"CJK Unified Ideographs Extension B"},
      {{0x2F800, 0x2FA1F}, u"CJK Compatibility Ideographs Supplement"},
      {{0xE0000, 0xE007F}, u"Tags"},
      {{0xE0100, 0xE01EF}, u"Variation Selectors Supplement"},
      {{0xF0000, 0xFFFFF}, u"Supplementary Private Use Area-A"},
      {{0x100000, 0x10FFFF}, u"Supplementary Private Use Area-B"},
  }};
  return table;
}

TUnicodeCharData& UnicodeCharData() {
  static TUnicodeCharData data;
  return data;
}

TCoreCriticalSection* UnicodeDataLock() { return gLock.load(); }

void SetUpUnicodeUnit(std::uint32_t PlatformId) {
  auto* fresh = new TCoreCriticalSection;
  TCoreCriticalSection* expected = nullptr;
  if (!gLock.compare_exchange_strong(expected, fresh)) delete fresh;
  gCompare.store((PlatformId & 0x2) ? &CompareTextWide : &CompareTextNarrow);
}

void TearDownUnicodeUnit() {
  delete gLock.exchange(nullptr);
  TUnicodeCharData& d = UnicodeCharData();
  for (auto* pages : {&d.Categories, &d.CaseMapping, &d.Decompositions, &d.CompatibleDecompositions,
                      &d.CombiningClasses})
    for (auto& p : *pages) p.reset();
  d.CodeIndex.clear();
  d.Numbers.clear();
  d.Compositions.clear();
}

}  // namespace ext
