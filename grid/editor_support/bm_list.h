// Dataset bookmarks kept in the dataset's own order, so that whether a
// record is in the list is a binary search. The base knows no dataset; a
// subclass supplies it and reacts to changes.
#pragma once

#include <functional>
#include <vector>

#include "platform/data/dataset.h"

namespace grid {

using TBytes = db::TBookmark;

class TBMListEx {
 public:
  using TCompare = std::function<int(TBMListEx& List, db::TDataSet* DataSet, int Index1, int Index2)>;

  TBMListEx() = default;
  virtual ~TBMListEx();
  TBMListEx(const TBMListEx&) = delete;
  TBMListEx& operator=(const TBMListEx&) = delete;

  int Count() const { return static_cast<int>(list_.size()); }
  const TBytes& ItemAt(int Index) const { return list_.at(static_cast<std::size_t>(Index)); }
  // True when found; Index is its position, or where it would go.
  bool Find(const TBytes& Item, int& Index);
  int IndexOf(const TBytes& Item);
  bool CurrentRowSelected();
  virtual void SetCurrentRowSelected(bool Value);
  virtual db::TDataSet* DataSet() const { return nullptr; }
  bool LinkActive() const { return linkActive_; }

  void InsertItem(int Index, const TBytes& Item);
  void AppendItem(const TBytes& Item) { InsertItem(Count(), Item); }
  void DeleteItem(int Index);
  virtual void Clear();
  void ChangeLinkActive(bool Value);
  // Deletes every listed record from the dataset.
  void Delete();
  // Drops bookmarks of records that are gone; true when any was dropped.
  bool Refresh();
  void SelectAll();
  virtual void CustomSort(db::TDataSet* DataSet, const TCompare& Compare);

 protected:
  virtual void InvalidateOwner() {}
  [[noreturn]] virtual void RaiseListError(const rtl::String& Msg);
  virtual void ListItemChanged(const TBytes& Item);
  virtual void NotifyChanged() {}
  TBytes CurrentBookmark();
  int CompareItems(const TBytes& A, const TBytes& B) const;

 private:
  void SortRange(int L, int R, db::TDataSet* DataSet, const TCompare& Compare);
  [[noreturn]] static void IndexError(int Index);

  TBytes cache_;
  bool cacheFind_ = false;
  int cacheIndex_ = -1;
  bool linkActive_ = false;
  std::vector<TBytes> list_;
};

}  // namespace grid
