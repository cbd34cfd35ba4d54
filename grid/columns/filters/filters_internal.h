// Helpers shared by the source files of this library and by no one else:
// its public headers never include this one.
#pragma once

#include <cstddef>

#include "grid/columns/filters/db_utils_ex.h"
#include "grid/core/db_grid_ex_center.h"
#include "platform/runtime/variant.h"

namespace grid::filters_detail {

// The run of characters from Pos that may form a keyword.
String ReadSTFilterWord(const String& Text, std::size_t Pos);
void SkipBlanks(const String& Text, std::size_t& Pos);

// Single quotes around Text, the quotes inside doubled.
inline String QuoteSTFilterText(const String& Text) {
  String out = u"'";
  for (char16_t c : Text) {
    if (c == u'\'') out += u'\'';
    out += c;
  }
  return out + u"'";
}

// Fn on every value the set operators (equal .. not in) of E compare
// with, the elements of a list one by one.
template <class Fn>
void ForEachSetOperandValue(TSTFilterExpressionEx& E, Fn&& fn) {
  auto each = [&](TSTFilterOperatorEx Op, rtl::Variant& Operand) {
    if (Op < foEqual || Op > foNotIn) return;
    if (!Operand.IsArray()) {
      fn(Operand);
      return;
    }
    for (int i = Operand.LowBound(); i <= Operand.HighBound(); ++i) fn(Operand[i]);
  };
  each(E.Operator1, E.Operand1);
  each(E.Operator2, E.Operand2);
}

// Reads the tokens of one filter text from left to right.
class STFilterScanner {
 public:
  explicit STFilterScanner(const String& Text);
  // An operator, foValue with Operand set, or foNon when nothing was read.
  TSTFilterOperatorEx ReadToken(rtl::Variant& Operand, bool ListsAllowed);
  // Consumes a ")" after blanks; false when there is none.
  bool CloseParenthesis();
  bool AtEnd() const { return pos_ >= text_.size(); }
  [[noreturn]] void Fail(const char16_t* Message) const;

 private:
  rtl::Variant ReadValue(bool ListsAllowed);
  rtl::Variant ReadValueList(bool ListsAllowed);
  TSTFilterOperatorEx Negated(bool ListsAllowed);
  bool OperatorFollows(std::size_t Pos) const;
  bool NegatableFollows(std::size_t Pos) const;

  const String& text_;
  std::size_t pos_ = 0;
};

}  // namespace grid::filters_detail
