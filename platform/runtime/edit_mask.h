// Edit masks of masked edits (no window code, so grids can share it):
// "picture;save-literals;blank". Picture characters: 0 digit, 9 optional
// digit, # optional digit or sign, L letter, l optional letter, A letter or
// digit, a optional letter or digit, C any character, c optional any, > upper
// case from here, < lower case, <> case unchanged, \ next character literal,
// ! accepted (blanks trimmed at the end), anything else literal.
#pragma once

#include <optional>
#include <vector>

#include "platform/runtime/rtl_string.h"

namespace rtl {

class TEditMask {
 public:
  TEditMask() = default;
  explicit TEditMask(const String& Mask);

  bool Empty() const { return slots_.empty(); }
  int Length() const { return static_cast<int>(slots_.size()); }
  bool SaveLiterals() const { return saveLiterals_; }
  char16_t BlankChar() const { return blank_; }
  bool IsLiteral(int Pos) const;
  // The character as stored at an editable position, or none when refused.
  std::optional<char16_t> Accept(int Pos, char16_t Ch) const;
  // Display text for a value (value with literals when SaveLiterals, else the
  // editable characters alone), refused characters left blank.
  String Apply(const String& Value) const;
  // Value text of a display text.
  String Strip(const String& Display) const;
  // Every required position holds an accepted character.
  bool Complete(const String& Display) const;
  // First editable position at or after Pos (Length() when none), and the
  // last one before Pos (-1 when none).
  int NextEditable(int Pos) const;
  int PrevEditable(int Pos) const;

 private:
  struct Slot {
    bool literal = true;
    char16_t ch = 0;   // the literal, or the picture character
    int caseMode = 0;  // 1 upper, 2 lower
  };
  std::vector<Slot> slots_;
  bool saveLiterals_ = true;
  char16_t blank_ = u'_';
};

}  // namespace rtl
