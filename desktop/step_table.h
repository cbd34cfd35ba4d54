// The rows of the auto-run window's two tables (the script and the
// positions) with a current row, as the window and the runner walk them.
// The window reads and moves rows only through this class, so the storage
// can change without touching the window logic.
#pragma once

#include <algorithm>
#include <cstddef>
#include <functional>
#include <utility>
#include <vector>

namespace desktop {

template <class Row>
class TStepTable {
 public:
  int RecordCount() const { return static_cast<int>(rows_.size()); }
  bool IsEmpty() const { return rows_.empty(); }
  // Index of the current row; -1 in an empty table.
  int RecNo() const { return rows_.empty() ? -1 : current_; }
  // Past the last row after Next from it.
  bool Eof() const { return eof_; }

  void First() { MoveTo(0); }
  void Last() { MoveTo(RecordCount() - 1); }
  void Next() {
    if (current_ + 1 < RecordCount()) {
      ++current_;
      eof_ = false;
    } else {
      eof_ = true;
    }
    Changed();
  }
  void MoveTo(int Index) {
    current_ = rows_.empty() ? 0 : std::max(0, std::min(Index, RecordCount() - 1));
    eof_ = rows_.empty();
    Changed();
  }

  const Row& Current() const { return rows_[static_cast<std::size_t>(current_)]; }
  Row& Edit() { return rows_[static_cast<std::size_t>(current_)]; }
  const Row& At(int Index) const { return rows_[static_cast<std::size_t>(Index)]; }
  const std::vector<Row>& Rows() const { return rows_; }

  // The new row becomes the current one.
  void Append(Row R) {
    rows_.push_back(std::move(R));
    MoveTo(RecordCount() - 1);
  }
  void Insert(Row R) {
    if (rows_.empty()) return Append(std::move(R));
    rows_.insert(rows_.begin() + current_, std::move(R));
    MoveTo(current_);
  }
  // The row after it (or the new last one) becomes current.
  void Delete() {
    if (rows_.empty()) return;
    rows_.erase(rows_.begin() + current_);
    MoveTo(current_);
  }
  void Clear() {
    rows_.clear();
    MoveTo(0);
  }
  void Assign(std::vector<Row> Rows) {
    rows_ = std::move(Rows);
    MoveTo(0);
  }

  // Told after every change of the rows or of the current row.
  std::function<void()> OnChange;

 private:
  void Changed() {
    if (OnChange) OnChange();
  }
  std::vector<Row> rows_;
  int current_ = 0;
  bool eof_ = true;
};

}  // namespace desktop
