#include "platform/classes/string_list.h"

#include <algorithm>

#include "platform/runtime/exceptions.h"
#include "platform/runtime/format.h"

namespace ui {

const TClassInfo& TStringList::StaticClassInfo() {
  static const TClassInfo info = TClassBuilder<TStringList>("TStringList", &TStrings::StaticClassInfo()).Build();
  return info;
}

void TStringList::CheckIndex(int Index) const {
  if (Index < 0 || Index >= Count()) IndexError(Index);
}

String TStringList::Get(int Index) const {
  CheckIndex(Index);
  return items_[Index].text;
}

void TStringList::Put(int Index, const String& S) {
  if (sorted_) throw rtl::EStringListError(u"Operation not allowed on sorted list");
  CheckIndex(Index);
  Changing();
  items_[Index].text = S;
  Changed();
}

void* TStringList::GetObject(int Index) const {
  CheckIndex(Index);
  return items_[Index].object;
}

void TStringList::PutObject(int Index, void* AObject) {
  CheckIndex(Index);
  Changing();
  items_[Index].object = AObject;
  Changed();
}

int TStringList::CompareStrings(const String& A, const String& B) const {
  return caseSensitive_ ? rtl::AnsiCompareStr(A, B) : rtl::AnsiCompareText(A, B);
}

bool TStringList::SameName(std::u16string_view A, std::u16string_view B) const {
  return caseSensitive_ ? A == B : rtl::SameText(A, B);
}

void TStringList::InsertItem(int Index, const String& S, void* AObject) {
  Changing();
  items_.insert(items_.begin() + Index, Item{S, AObject});
  Changed();
}

int TStringList::Add(const String& S) { return AddObject(S, nullptr); }

int TStringList::AddObject(const String& S, void* AObject) {
  int index = Count();
  if (sorted_ && Find(S, index)) {
    switch (duplicates_) {
      case TDuplicates::dupIgnore: return index;
      case TDuplicates::dupError: throw rtl::EStringListError(u"String list does not allow duplicates");
      case TDuplicates::dupAccept: break;
    }
  }
  InsertItem(index, S, AObject);
  return index;
}

void TStringList::Insert(int Index, const String& S) { InsertObject(Index, S, nullptr); }

void TStringList::InsertObject(int Index, const String& S, void* AObject) {
  if (sorted_) throw rtl::EStringListError(u"Operation not allowed on sorted list");
  if (Index < 0 || Index > Count()) IndexError(Index);
  InsertItem(Index, S, AObject);
}

void TStringList::Delete(int Index) {
  CheckIndex(Index);
  Changing();
  items_.erase(items_.begin() + Index);
  Changed();
}

void TStringList::Clear() {
  if (items_.empty()) return;
  Changing();
  items_.clear();
  Changed();
}

void TStringList::Exchange(int Index1, int Index2) {
  if (sorted_) throw rtl::EStringListError(u"Operation not allowed on sorted list");
  CheckIndex(Index1);
  CheckIndex(Index2);
  Changing();
  std::swap(items_[Index1], items_[Index2]);
  Changed();
}

void TStringList::Move(int CurIndex, int NewIndex) {
  if (CurIndex == NewIndex) return;
  if (sorted_) throw rtl::EStringListError(u"Operation not allowed on sorted list");
  CheckIndex(CurIndex);
  CheckIndex(NewIndex);
  Changing();
  Item it = std::move(items_[CurIndex]);
  items_.erase(items_.begin() + CurIndex);
  items_.insert(items_.begin() + NewIndex, std::move(it));
  Changed();
}

int TStringList::IndexOf(const String& S) const {
  if (sorted_) {
    int index;
    return Find(S, index) ? index : -1;
  }
  for (int i = 0; i < Count(); ++i)
    if (caseSensitive_ ? items_[i].text == S : rtl::SameText(items_[i].text, S)) return i;
  return -1;
}

bool TStringList::Find(const String& S, int& Index) const {
  if (!sorted_) {
    Index = IndexOf(S);
    if (Index >= 0) return true;
    Index = Count();
    return false;
  }
  int lo = 0, hi = Count() - 1;
  bool found = false;
  while (lo <= hi) {
    const int mid = (lo + hi) / 2;
    const int c = CompareStrings(items_[mid].text, S);
    if (c < 0) {
      lo = mid + 1;
    } else {
      hi = mid - 1;
      if (c == 0) {
        found = true;
        // With dupAccept the first of the equal texts is the match.
        if (duplicates_ != TDuplicates::dupAccept) lo = mid;
      }
    }
  }
  Index = lo;
  return found;
}

void TStringList::SetSorted(bool Value) {
  if (sorted_ == Value) return;
  if (Value) Sort();
  sorted_ = Value;
}

void TStringList::SetCaseSensitive(bool Value) {
  if (caseSensitive_ == Value) return;
  caseSensitive_ = Value;
  if (sorted_) Sort();
}

void TStringList::Sort() {
  Changing();
  std::stable_sort(items_.begin(), items_.end(),
                   [this](const Item& a, const Item& b) { return CompareStrings(a.text, b.text) < 0; });
  Changed();
}

void TStringList::CustomSort(const TCompare& Compare) {
  if (sorted_ || Count() < 2) return;
  Changing();
  // The comparer sees indexes into the list as it stands; sort a permutation.
  std::vector<int> order(items_.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int>(i);
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return Compare(*this, a, b) < 0; });
  std::vector<Item> sortedItems;
  sortedItems.reserve(items_.size());
  for (int i : order) sortedItems.push_back(items_[i]);
  items_ = std::move(sortedItems);
  Changed();
}

void TStringList::SetUpdateState(bool Updating) {
  if (Updating)
    Changing();
  else
    Changed();
}

void TStringList::Changed() {
  if (UpdateCount() == 0 && OnChange) OnChange(this);
}

void TStringList::Changing() {
  if (UpdateCount() == 0 && OnChanging) OnChanging(this);
}

}  // namespace ui
