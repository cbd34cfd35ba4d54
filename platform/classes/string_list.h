// TStringList: the list of texts with objects that owns its items; sorted
// or in insertion order, with a rule for duplicates and change events.
#pragma once

#include <functional>
#include <vector>

#include "platform/classes/classes.h"

namespace ui {

enum class TDuplicates { dupIgnore, dupAccept, dupError };

class TStringList : public TStrings {
  JQ_UI_CLASSINFO
 public:
  using TCompare = std::function<int(const TStringList& List, int Index1, int Index2)>;

  TStringList() = default;

  int Count() const override { return static_cast<int>(items_.size()); }
  String Get(int Index) const override;
  // Sorted lists refuse Put, Insert, Exchange and Move with EStringListError
  // "Operation not allowed on sorted list".
  void Put(int Index, const String& S) override;
  void* GetObject(int Index) const override;
  void PutObject(int Index, void* AObject) override;
  // Sorted lists insert in order; a duplicate is then ignored (the existing
  // index is returned), accepted, or refused with EStringListError
  // "String list does not allow duplicates", as Duplicates says.
  int Add(const String& S) override;
  int AddObject(const String& S, void* AObject) override;
  void Insert(int Index, const String& S) override;
  void InsertObject(int Index, const String& S, void* AObject) override;
  void Delete(int Index) override;
  void Clear() override;
  void Exchange(int Index1, int Index2) override;
  void Move(int CurIndex, int NewIndex) override;

  // Case-insensitive unless CaseSensitive; -1 when absent.
  int IndexOf(const String& S) const override;
  // Binary search of a sorted list (linear search otherwise): true when
  // found; `Index` is the match or the insertion point.
  bool Find(const String& S, int& Index) const;

  bool Sorted() const { return sorted_; }
  void SetSorted(bool Value);
  TDuplicates Duplicates() const { return duplicates_; }
  void SetDuplicates(TDuplicates Value) { duplicates_ = Value; }
  bool CaseSensitive() const { return caseSensitive_; }
  void SetCaseSensitive(bool Value);
  // Locale-aware order (AnsiCompareText, or AnsiCompareStr when case-sensitive).
  virtual void Sort();
  void CustomSort(const TCompare& Compare);

  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

 protected:
  void SetUpdateState(bool Updating) override;
  bool SameName(std::u16string_view A, std::u16string_view B) const override;
  virtual void Changed();
  virtual void Changing();
  virtual int CompareStrings(const String& A, const String& B) const;

 private:
  struct Item {
    String text;
    void* object = nullptr;
  };
  void CheckIndex(int Index) const;
  void InsertItem(int Index, const String& S, void* AObject);

  std::vector<Item> items_;
  bool sorted_ = false;
  bool caseSensitive_ = false;
  TDuplicates duplicates_ = TDuplicates::dupIgnore;
};

}  // namespace ui
