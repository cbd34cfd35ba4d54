#include "grid/columns/columns/filter_operand_values.h"

namespace grid {

rtl::String FormatFilterOperandValues(const rtl::Variant& Value) {
  if (!Value.IsArray()) return Value.AsString();
  rtl::String result;
  for (int i = Value.LowBound(); i <= Value.HighBound(); ++i) {
    if (i > Value.LowBound()) result += u',';
    result += u'\'' + Value[i].AsString() + u'\'';
  }
  return result;
}

}  // namespace grid
