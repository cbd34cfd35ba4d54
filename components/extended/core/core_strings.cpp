#include "components/extended/core/core_strings.h"

#include <memory>
#include <mutex>

#include "platform/runtime/char_types.h"
#include "platform/runtime/codepage.h"
#include "components/extended/core/core_errors.h"

namespace ext {
namespace {

struct Tables {
  std::vector<std::uint16_t> charType;
  std::vector<char16_t> caseMap;
  bool caseMapReady = false;
  std::array<std::uint16_t, 256> ansiType{};
  std::array<std::uint8_t, 768> ansiCase{};
  bool ansiCaseReady = false;
  std::uint8_t replacement = '?';
};

Tables& T() {
  static Tables t;
  return t;
}

std::once_flag g_initOnce;
void EnsureTables() { std::call_once(g_initOnce, InitStringTables); }

}  // namespace

const std::array<const char16_t*, 2> BooleanIdents{u"False", u"True"};
const std::array<const char16_t*, 2> BooleanLowerIdents{u"false", u"true"};
const std::array<const char*, 2> AnsiBooleanIdents{"False", "True"};

void ReadAnsiDefaultChar() {
  // The page's default character is what an unmappable character becomes.
  rtl::AnsiString s = rtl::EncodeText(u"\uFFFF", rtl::CP_ACP);
  if (s.empty()) throw ECoreInternalError("Failed to get ANSI replacement character");
  T().replacement = static_cast<std::uint8_t>(s[0]);
}

void FillCharTypeTable() {
  auto& t = T().charType;
  t.assign(65536, 0);
  for (unsigned c = 0; c < 65536; ++c) t[c] = rtl::CharType1(static_cast<char16_t>(c));
}

void FillCaseMapTables() {
  Tables& t = T();
  if (t.caseMapReady) return;
  t.caseMap.assign(3 * 65536, 0);
  for (unsigned c = 0; c < 65536; ++c) {
    auto ch = static_cast<char16_t>(c);
    bool surrogate = c >= 0xD800 && c <= 0xDFFF;
    char16_t lo = surrogate ? ch : rtl::LowCaseChar(ch);
    char16_t up = surrogate ? ch : rtl::UpCaseChar(ch);
    t.caseMap[c] = lo;
    t.caseMap[65536 + c] = up;
    std::uint16_t type = t.charType.empty() ? rtl::CharType1(ch) : t.charType[c];
    t.caseMap[131072 + c] = (type & rtl::C1_UPPER) ? lo : (type & rtl::C1_LOWER) ? up : ch;
  }
  t.caseMapReady = true;
}

void FillAnsiCharTypeTable() {
  for (unsigned b = 0; b < 256; ++b) T().ansiType[b] = rtl::AnsiCharType1(static_cast<std::uint8_t>(b));
}

void FillAnsiCaseMapTables() {
  Tables& t = T();
  if (t.ansiCaseReady) return;
  for (unsigned b = 0; b < 256; ++b) {
    auto v = static_cast<std::uint8_t>(b);
    std::uint8_t lo = rtl::AnsiLowerByte(v), up = rtl::AnsiUpperByte(v);
    t.ansiCase[b] = lo;
    t.ansiCase[256 + b] = up;
    std::uint16_t type = t.ansiType[b];
    t.ansiCase[512 + b] = (type & rtl::C1_UPPER) ? lo : (type & rtl::C1_LOWER) ? up : v;
  }
  t.ansiCaseReady = true;
}

void InitStringTables() {
  ReadAnsiDefaultChar();
  FillCharTypeTable();
  FillCaseMapTables();
  FillAnsiCharTypeTable();
  FillAnsiCaseMapTables();
}

const std::uint16_t* CharTypeTable() {
  EnsureTables();
  return T().charType.data();
}
const char16_t* CaseMapTable() {
  EnsureTables();
  return T().caseMap.data();
}
bool CaseMapReady() { return T().caseMapReady; }
const std::uint16_t* AnsiCharTypeTable() {
  EnsureTables();
  return T().ansiType.data();
}
const std::uint8_t* AnsiCaseMapTable() {
  EnsureTables();
  return T().ansiCase.data();
}
std::uint8_t AnsiReplacementChar() {
  EnsureTables();
  return T().replacement;
}

bool IsUpperChar(char16_t C) { return CharTypeTable()[C] & rtl::C1_UPPER; }
bool IsLowerChar(char16_t C) { return CharTypeTable()[C] & rtl::C1_LOWER; }
bool IsAnsiUpperChar(std::uint8_t B) { return AnsiCharTypeTable()[B] & rtl::C1_UPPER; }
bool IsAnsiLowerChar(std::uint8_t B) { return AnsiCharTypeTable()[B] & rtl::C1_LOWER; }

void MapCharsInPlace(String& S, int SectionOffset) {
  const char16_t* map = CaseMapTable() + SectionOffset;
  for (char16_t& c : S) c = map[c];
}

void UpperCaseInPlace(String& S) { MapCharsInPlace(S, CaseMapUpper); }

String UpperCaseCopy(const String& S) {
  String r = S;
  UpperCaseInPlace(r);
  return r;
}

int CountCharOccurrences(const String& S, char16_t C) {
  int n = 0;
  for (char16_t c : S) n += c == C;
  return n;
}

String ReplaceCharCopy(const String& S, char16_t Old, char16_t New) {
  String r = S;
  for (char16_t& c : r)
    if (c == Old) c = New;
  return r;
}

void CutAtFirstNull(String& S) {
  std::size_t p = S.find(u'\0');
  if (p != String::npos) S.resize(p);
}

int FindTextNoCase(const String& Sub, const String& S) {
  if (Sub.empty()) return 0;
  std::size_t p = UpperCaseCopy(S).find(UpperCaseCopy(Sub));
  return p == String::npos ? 0 : static_cast<int>(p) + 1;
}

int FindTextNoCaseFrom(const String& Sub, const String& S, int Index) {
  if (Sub.empty() || S.empty()) return 0;
  int p = FindTextNoCase(Sub, RestFrom(S, Index));
  return p == 0 ? 0 : p + std::max(Index, 1) - 1;
}

String TextBeforeDelimiter(const String& Delimiter, const String& S) {
  int p = FindTextNoCase(Delimiter, S);
  return p == 0 ? S : S.substr(0, p - 1);
}

String LeftPart(const String& S, int Count) { return Count <= 0 ? String() : S.substr(0, Count); }

String MiddlePart(const String& S, int Index, int Count) {
  if (Index < 1) {
    Count += Index - 1;
    Index = 1;
  }
  if (Count <= 0 || Index > static_cast<int>(S.size())) return String();
  return S.substr(Index - 1, Count);
}

String RestFrom(const String& S, int Index) { return MiddlePart(S, Index, static_cast<int>(S.size())); }

int FindCharForward(const String& S, char16_t C, int Index) {
  int n = static_cast<int>(S.size());
  if (Index <= 0 || Index > n) return 0;
  for (int p = Index; p <= n; ++p)
    if (S[p - 1] == C) return p;
  return 0;
}

int FindCharBackward(const String& S, char16_t C, int Index) {
  int n = static_cast<int>(S.size());
  if (Index <= 0 || Index > n) return 0;
  for (int p = n; p >= Index; --p)
    if (S[p - 1] == C) return p;
  return 0;
}

String EnsureTrailingText(const String& Suffix, const String& S) {
  if (S.size() >= Suffix.size() && S.compare(S.size() - Suffix.size(), Suffix.size(), Suffix) == 0) return S;
  return S + Suffix;
}

void SplitText(const String& S, const String& Separator, ui::TStringList* List, bool AllowEmpty) {
  if (!List) throw rtl::EAssertionFailed("Assertion failure (CoreStrings)");
  List->BeginUpdate();
  try {
    List->Clear();
    String rest = S;
    if (!Separator.empty()) {
      for (std::size_t p; (p = rest.find(Separator)) != String::npos;) {
        String piece = rest.substr(0, p);
        if (AllowEmpty || !piece.empty()) List->Add(piece);
        rest.erase(0, p + Separator.size());
      }
    }
    if (!rest.empty()) List->Add(rest);
  } catch (...) {
    List->EndUpdate();
    throw;
  }
  List->EndUpdate();
}

String TakeToken(String& S, char16_t Separator) {
  std::size_t p = S.find(Separator);
  String r;
  if (p == String::npos) {
    r.swap(S);
  } else {
    r = S.substr(0, p);
    S.erase(0, p + 1);
  }
  return r;
}

void CopyCharsInto(const String& Source, int SourceIndex, String& Dest, int DestIndex, int Count) {
  auto inside = [](int index, int count, std::size_t size) {
    return index >= 0 && count >= 0 && static_cast<std::size_t>(index) + static_cast<std::size_t>(count) <= size;
  };
  if (!inside(SourceIndex, Count, Source.size()) || !inside(DestIndex, Count, Dest.size()))
    throw rtl::ERangeError(u"Character range outside the string");
  String part = Source.substr(SourceIndex, Count);  // Source may be Dest itself
  Dest.replace(DestIndex, Count, part);
}

void SetBitInArray(std::uint32_t* Words, unsigned N) { Words[N / 32] |= 1u << (N % 32); }
bool TestBitInArray(const std::uint32_t* Words, unsigned N) { return (Words[N / 32] >> (N % 32)) & 1u; }

}  // namespace ext
