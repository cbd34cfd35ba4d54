#include "platform/runtime/edit_mask.h"

#include "platform/runtime/char_types.h"

namespace rtl {
namespace {

bool Required(char16_t p) { return p == u'0' || p == u'L' || p == u'A' || p == u'C'; }

}  // namespace

TEditMask::TEditMask(const String& Mask) {
  // The two trailing fields ";1;_" are optional; a ';' escaped with '\' is a literal.
  String picture = Mask;
  std::vector<std::size_t> semis;
  for (std::size_t i = 0; i < Mask.size(); ++i) {
    if (Mask[i] == u'\\') {
      ++i;
      continue;
    }
    if (Mask[i] == u';') semis.push_back(i);
  }
  if (semis.size() >= 2) {
    std::size_t a = semis[semis.size() - 2], b = semis.back();
    picture = Mask.substr(0, a);
    saveLiterals_ = Mask.substr(a + 1, b - a - 1) != u"0";
    if (b + 1 < Mask.size()) blank_ = Mask[b + 1];
  } else if (semis.size() == 1) {
    picture = Mask.substr(0, semis[0]);
    saveLiterals_ = Mask.substr(semis[0] + 1) != u"0";
  }
  int caseMode = 0;
  for (std::size_t i = 0; i < picture.size(); ++i) {
    char16_t c = picture[i];
    switch (c) {
      case u'!':
        continue;
      case u'>':
        caseMode = 1;
        continue;
      case u'<':
        if (i + 1 < picture.size() && picture[i + 1] == u'>') {
          ++i;
          caseMode = 0;
        } else {
          caseMode = 2;
        }
        continue;
      case u'\\':
        if (++i < picture.size()) slots_.push_back({true, picture[i], 0});
        continue;
      case u'0': case u'9': case u'#': case u'L': case u'l': case u'A': case u'a': case u'C': case u'c':
        slots_.push_back({false, c, caseMode});
        continue;
      default:
        slots_.push_back({true, c, 0});
    }
  }
}

bool TEditMask::IsLiteral(int Pos) const {
  return Pos < 0 || Pos >= Length() || slots_[Pos].literal;
}

std::optional<char16_t> TEditMask::Accept(int Pos, char16_t Ch) const {
  if (IsLiteral(Pos)) return std::nullopt;
  const Slot& s = slots_[Pos];
  std::uint16_t t = CharType1(Ch);
  bool digit = Ch >= u'0' && Ch <= u'9';
  bool letter = (t & C1_ALPHA) && !digit;
  bool ok = false;
  switch (s.ch) {
    case u'0': case u'9': ok = digit; break;
    case u'#': ok = digit || Ch == u'+' || Ch == u'-'; break;
    case u'L': case u'l': ok = letter; break;
    case u'A': case u'a': ok = letter || digit; break;
    default: ok = Ch >= 0x20; break;
  }
  if (!ok) return std::nullopt;
  if (s.caseMode == 1) return UpCaseChar(Ch);
  if (s.caseMode == 2) return LowCaseChar(Ch);
  return Ch;
}

String TEditMask::Apply(const String& Value) const {
  String out(slots_.size(), blank_);
  std::size_t v = 0;
  for (int i = 0; i < Length(); ++i) {
    const Slot& s = slots_[i];
    if (s.literal) {
      out[i] = s.ch;
      if (saveLiterals_ && v < Value.size()) ++v;
      continue;
    }
    if (v >= Value.size()) continue;
    char16_t c = Value[v++];
    if (auto a = Accept(i, c)) out[i] = *a;
  }
  return out;
}

String TEditMask::Strip(const String& Display) const {
  String out;
  for (int i = 0; i < Length(); ++i) {
    char16_t c = i < static_cast<int>(Display.size()) ? Display[i] : blank_;
    if (slots_[i].literal) {
      if (saveLiterals_) out += slots_[i].ch;
      continue;
    }
    out += c == blank_ ? u' ' : c;
  }
  // Optional positions left open are not part of the value.
  while (!out.empty() && out.back() == u' ') out.pop_back();
  return out;
}

bool TEditMask::Complete(const String& Display) const {
  for (int i = 0; i < Length(); ++i) {
    if (slots_[i].literal || !Required(slots_[i].ch)) continue;
    char16_t c = i < static_cast<int>(Display.size()) ? Display[i] : blank_;
    if (c == blank_ || !Accept(i, c)) return false;
  }
  return true;
}

int TEditMask::NextEditable(int Pos) const {
  for (int i = std::max(Pos, 0); i < Length(); ++i)
    if (!slots_[i].literal) return i;
  return Length();
}

int TEditMask::PrevEditable(int Pos) const {
  for (int i = std::min(Pos, Length()) - 1; i >= 0; --i)
    if (!slots_[i].literal) return i;
  return -1;
}

}  // namespace rtl
