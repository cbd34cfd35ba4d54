#include "grid/foundation/extent_sums.h"

#include <algorithm>

namespace grid {

void TExtentSums::Build(const std::vector<std::int32_t>& Array, int Default) {
  count_ = Array.empty() ? 0 : Array[0];
  default_ = Default;
  tree_.assign(static_cast<std::size_t>(count_) + 1, 0);
  for (int i = 1; i <= count_; ++i) {
    tree_[i] += std::int64_t{Array[i]} - Default;
    const int up = i + (i & -i);
    if (up <= count_) tree_[up] += tree_[i];
  }
  valid_ = true;
}

std::int64_t TExtentSums::Excess(const std::vector<std::int32_t>& Array, int Default, int N) {
  if (Array.empty() || N <= 0) return 0;
  if (!valid_ || default_ != Default || count_ != Array[0]) Build(Array, Default);
  std::int64_t s = 0;
  for (int i = std::min(N, count_); i > 0; i -= i & -i) s += tree_[i];
  return s;
}

void TExtentSums::Adjust(int Index, std::int64_t Delta) {
  if (!valid_ || Index < 0 || Index >= count_) return;
  for (int i = Index + 1; i <= count_; i += i & -i) tree_[i] += Delta;
}

}  // namespace grid
