// The text form of a column filter's operand value.
#pragma once

#include "platform/runtime/variant.h"

namespace grid {

// A single value as its text; an array as its elements, each quoted in
// single quotes, joined by commas.
rtl::String FormatFilterOperandValues(const rtl::Variant& Value);

}  // namespace grid
