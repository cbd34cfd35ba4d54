// Helpers shared by the source files of this library and by no one else:
// its public headers never include this one.
#pragma once

#include <cmath>
#include <cstdint>

#include "platform/data/fields.h"

namespace grid::sums_detail {

// Aggregates count in units of 1/10,000 (the runtime's currency).
constexpr std::int64_t kUnit = 10000;

// Adds Delta to Acc; an overflow leaves Acc alone and marks the result invalid.
inline void AddUnits(std::int64_t& Acc, std::int64_t Delta, bool& Valid) {
  std::int64_t r;
  if (__builtin_add_overflow(Acc, Delta, &r))
    Valid = false;
  else
    Acc = r;
}

// A field's value in units; one beyond 64 bits marks the result invalid and counts 0.
inline std::int64_t FieldUnits(const db::TField* F, bool& Valid) {
  double scaled = std::nearbyint(F->AsFloat() * static_cast<double>(kUnit));
  if (!(scaled > -9.2233720368547758e18 && scaled < 9.2233720368547758e18)) {
    Valid = false;
    return 0;
  }
  return static_cast<std::int64_t>(scaled);
}

inline std::int64_t AverageUnits(std::int64_t Sum, int Count) {
  if (Count == 0) return 0;
  return static_cast<std::int64_t>(std::llround(static_cast<double>(Sum) / Count));
}

}  // namespace grid::sums_detail
