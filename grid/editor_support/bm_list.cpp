#include "grid/editor_support/bm_list.h"

#include <string>

namespace grid {

TBMListEx::~TBMListEx() {
  try {
    list_.clear();
    NotifyChanged();
  } catch (...) {
  }
}

void TBMListEx::IndexError(int Index) {
  throw rtl::EListError(u"List index out of bounds (" + rtl::Utf8ToString(std::to_string(Index)) + u")");
}

void TBMListEx::RaiseListError(const rtl::String& Msg) { throw rtl::Exception(Msg); }

void TBMListEx::ListItemChanged(const TBytes&) {
  cache_.clear();
  cacheIndex_ = -1;
}

int TBMListEx::CompareItems(const TBytes& A, const TBytes& B) const {
  db::TDataSet* ds = DataSet();
  if (ds) return ds->CompareBookmarks(A, B);
  return A < B ? -1 : (B < A ? 1 : 0);
}

bool TBMListEx::Find(const TBytes& Item, int& Index) {
  // The cache answers for the same bookmark bytes; bookmarks are values here,
  // so an equal one stands for the same record.
  if (cacheIndex_ >= 0 && Item == cache_) {
    Index = cacheIndex_;
    return cacheFind_;
  }
  int L = 0, H = Count() - 1;
  bool found = false;
  while (L <= H) {
    int M = (L + H) / 2;
    int C = CompareItems(list_[static_cast<std::size_t>(M)], Item);
    if (C < 0) {
      L = M + 1;
    } else {
      H = M - 1;
      if (C == 0) {
        L = M;
        found = true;
      }
    }
  }
  Index = L;
  cache_ = Item;
  cacheIndex_ = Index;
  cacheFind_ = found;
  return found;
}

int TBMListEx::IndexOf(const TBytes& Item) {
  int i = -1;
  return Find(Item, i) ? i : -1;
}

TBytes TBMListEx::CurrentBookmark() {
  if (!linkActive_ || !DataSet()) RaiseListError(u"Cannot perform this operation on a closed dataset");
  return DataSet()->GetBookmark();
}

bool TBMListEx::CurrentRowSelected() {
  int i = 0;
  return Find(CurrentBookmark(), i);
}

void TBMListEx::SetCurrentRowSelected(bool Value) {
  TBytes bm = CurrentBookmark();
  int index = 0;
  if (Find(bm, index) == Value) return;
  if (Value)
    InsertItem(index, bm);
  else
    DeleteItem(index);
}

void TBMListEx::InsertItem(int Index, const TBytes& Item) {
  if (Index < 0 || Index > Count()) IndexError(Index);
  list_.insert(list_.begin() + Index, Item);
  ListItemChanged(Item);
}

void TBMListEx::DeleteItem(int Index) {
  if (Index < 0 || Index >= Count()) IndexError(Index);
  TBytes removed = std::move(list_[static_cast<std::size_t>(Index)]);
  list_.erase(list_.begin() + Index);
  ListItemChanged(removed);
}

void TBMListEx::Clear() {
  if (list_.empty()) return;
  list_.clear();
  ListItemChanged({});
  NotifyChanged();
  InvalidateOwner();
}

void TBMListEx::ChangeLinkActive(bool Value) {
  Clear();
  NotifyChanged();
  linkActive_ = Value;
}

void TBMListEx::Delete() {
  db::TDataSet* ds = DataSet();
  if (!ds) return;
  ds->DisableControls();
  try {
    for (int i = Count() - 1; i >= 0; --i) {
      ds->GotoBookmark(list_[static_cast<std::size_t>(i)]);
      ds->Delete();
      DeleteItem(i);
    }
  } catch (...) {
    ds->EnableControls();
    NotifyChanged();
    throw;
  }
  ds->EnableControls();
  NotifyChanged();
}

bool TBMListEx::Refresh() {
  db::TDataSet* ds = DataSet();
  if (!ds) return false;
  bool removed = false;
  auto finish = [&] {
    NotifyChanged();
    ds->UpdateCursorPos();
    if (removed) InvalidateOwner();
  };
  try {
    ds->CheckBrowseMode();
    for (int i = Count() - 1; i >= 0; --i)
      if (!ds->BookmarkValid(list_[static_cast<std::size_t>(i)])) {
        DeleteItem(i);
        removed = true;
      }
  } catch (...) {
    finish();
    throw;
  }
  finish();
  return removed;
}

void TBMListEx::SelectAll() {
  db::TDataSet* ds = DataSet();
  if (!linkActive_ || !ds) return;
  ds->DisableControls();
  try {
    TBytes keep = ds->GetBookmark();
    ds->First();
    while (!ds->Eof()) {
      SetCurrentRowSelected(true);
      ds->Next();
    }
    // An empty dataset has no record to return to.
    if (!keep.empty()) ds->GotoBookmark(keep);
  } catch (...) {
    ds->EnableControls();
    throw;
  }
  ds->EnableControls();
}

void TBMListEx::CustomSort(db::TDataSet* DataSet, const TCompare& Compare) {
  if (Count() > 1) SortRange(0, Count() - 1, DataSet, Compare);
  ListItemChanged({});
}

void TBMListEx::SortRange(int L, int R, db::TDataSet* DataSet, const TCompare& Compare) {
  int I, J;
  do {
    I = L;
    J = R;
    int P = (L + R) / 2;
    do {
      while (Compare(*this, DataSet, I, P) < 0) ++I;
      while (Compare(*this, DataSet, J, P) > 0) --J;
      if (I <= J) {
        if (I != J) {
          std::swap(list_[static_cast<std::size_t>(I)], list_[static_cast<std::size_t>(J)]);
          if (P == I)
            P = J;
          else if (P == J)
            P = I;
        }
        ++I;
        --J;
      }
    } while (I <= J);
    if (L < J) SortRange(L, J, DataSet, Compare);
    L = I;
  } while (I < R);
}

}  // namespace grid
