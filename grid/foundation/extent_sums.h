// Running sums over an extent array, so that the pixels of all lines before
// line N cost the same at any N: smooth scrolling asks for them on every
// step, and a grid with one row height set holds an entry for every row.
#pragma once

#include <cstdint>
#include <vector>

namespace grid {

class TExtentSums {
 public:
  // The array changed in a way the sums cannot follow; rebuilt on next use.
  void Invalidate() { valid_ = false; }
  // Sum over lines [0, N) of (extent - Default); Array as the grid keeps it
  // (element 0 the count, empty when every line has the default).
  std::int64_t Excess(const std::vector<std::int32_t>& Array, int Default, int N);
  // Line Index of the array changed by Delta (after the store).
  void Adjust(int Index, std::int64_t Delta);

 private:
  void Build(const std::vector<std::int32_t>& Array, int Default);
  std::vector<std::int64_t> tree_;  // Fenwick tree, 1-based
  int count_ = 0;
  int default_ = 0;
  bool valid_ = false;
};

}  // namespace grid
