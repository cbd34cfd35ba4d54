// A list of a grid's columns that does not own them.
#pragma once

#include <vector>

namespace grid {

class TColumnEx;

class TColumnsExList {
 public:
  TColumnEx* ColumnAt(int Index) const { return FItems.at(static_cast<std::size_t>(Index)); }
  void PutColumn(int Index, TColumnEx* Column) { FItems.at(static_cast<std::size_t>(Index)) = Column; }
  int Add(TColumnEx* Column) {
    FItems.push_back(Column);
    return static_cast<int>(FItems.size()) - 1;
  }
  int Count() const { return static_cast<int>(FItems.size()); }
  void Clear() { FItems.clear(); }

 private:
  std::vector<TColumnEx*> FItems;
};

}  // namespace grid
