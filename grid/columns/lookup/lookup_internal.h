// Helpers shared by the source files of this library and by no one else:
// its public headers never include this one.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/ui/ui.h"

namespace grid::lookup_detail {

ui::String JoinWithSemicolons(const std::vector<ui::String>& Parts);

// Tick of the last search character typed into any lookup grid: a pause of
// more than two seconds in any of them starts a new search text.
std::uint32_t& LastSearchTick();

// Sets a flag for the length of a scope and clears it again, also when the scope is left by an exception.
class FlagScope {
 public:
  explicit FlagScope(bool& Flag) : flag_(Flag) { flag_ = true; }
  ~FlagScope() { flag_ = false; }
  FlagScope(const FlagScope&) = delete;
  FlagScope& operator=(const FlagScope&) = delete;

 private:
  bool& flag_;
};

}  // namespace grid::lookup_detail
