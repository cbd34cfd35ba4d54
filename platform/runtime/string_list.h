// TStringList: an ordered list of texts, each with an attached object
// pointer (not owned).
#pragma once

#include <functional>
#include <vector>

#include "rtl_string.h"

namespace rtl {

enum class TDuplicates { dupIgnore, dupAccept, dupError };

class TStringList {
 public:
  using TNotifyEvent = std::function<void(TStringList& sender)>;
  using TCompare = std::function<int(const TStringList& list, int index1, int index2)>;

  TStringList() = default;
  TStringList(const TStringList& other);
  TStringList& operator=(const TStringList& other);
  virtual ~TStringList() = default;

  int Count() const { return static_cast<int>(items_.size()); }
  // Index errors raise EStringListError "List index out of bounds (<i>)".
  const String& Strings(int index) const;
  void SetStrings(int index, const String& s);
  const String& operator[](int index) const { return Strings(index); }
  void* Objects(int index) const;
  void SetObjects(int index, void* object);

  // Sorted lists insert in order; a duplicate is then ignored (the existing
  // index is returned), accepted, or refused with EStringListError
  // "String list does not allow duplicates", as Duplicates says.
  int Add(const String& s);
  int AddObject(const String& s, void* object);
  void AddStrings(const TStringList& other);
  // Insert raises EStringListError "Operation not allowed on sorted list"
  // on a sorted list.
  void Insert(int index, const String& s);
  void InsertObject(int index, const String& s, void* object);
  void Delete(int index);
  void Clear();
  void Exchange(int index1, int index2);
  void Move(int curIndex, int newIndex);
  void Assign(const TStringList& other);

  // Case-insensitive unless CaseSensitive; -1 when absent.
  int IndexOf(const String& s) const;
  int IndexOfObject(const void* object) const;
  int IndexOfName(const String& name) const;
  // Binary search of a sorted list (linear search otherwise): true when
  // found; `index` is the match or the insertion point.
  bool Find(const String& s, int& index) const;

  bool Sorted() const { return sorted_; }
  void SetSorted(bool sorted);
  TDuplicates Duplicates() const { return duplicates_; }
  void SetDuplicates(TDuplicates d) { duplicates_ = d; }
  bool CaseSensitive() const { return caseSensitive_; }
  void SetCaseSensitive(bool value);
  // Locale-aware order (AnsiCompareText, or AnsiCompareStr when case-sensitive).
  void Sort();
  void CustomSort(const TCompare& compare);

  // "name=value" lines.
  String Names(int index) const;
  String ValueFromIndex(int index) const;
  String Values(const String& name) const;
  // An empty value removes the line.
  void SetValues(const String& name, const String& value);
  char16_t NameValueSeparator = u'=';

  // Lines joined by LineBreak, each line followed by one.
  String Text() const;
  // Splits at CR LF, LF or CR; a final line break adds no empty line.
  void SetText(std::u16string_view text);
  String LineBreak = u"\r\n";

  // Items separated by Delimiter; an item holding the quote character, the
  // delimiter or (unless StrictDelimiter) a character <= ' ' is quoted, with
  // inner quotes doubled. Empty items are written as "".
  String DelimitedText() const;
  // Reading: quoted items may hold anything; unquoted items end at the
  // delimiter (and, unless StrictDelimiter, at a character <= ' '). Blanks
  // between items are skipped unless StrictDelimiter.
  void SetDelimitedText(std::u16string_view text);
  String CommaText() const;
  void SetCommaText(std::u16string_view text);
  char16_t Delimiter = u',';
  char16_t QuoteChar = u'"';
  bool StrictDelimiter = false;

  // 8-bit files: read with the byte-order mark or, without one, as UTF-8
  // when valid, else in the system page; written in the system page with
  // CR LF line ends. Errors raise EFOpenError / EFCreateError.
  void LoadFromFile(const String& fileName);
  void SaveToFile(const String& fileName) const;

  void BeginUpdate();
  void EndUpdate();
  int UpdateCount() const { return updateCount_; }
  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

 protected:
  virtual void Changed();
  virtual void Changing();
  virtual int CompareStrings(const String& a, const String& b) const;

 private:
  struct Item {
    String text;
    void* object = nullptr;
  };
  void CheckIndex(int index) const;
  void InsertItem(int index, const String& s, void* object);
  void SortItems(const std::function<bool(const Item&, const Item&)>& less);

  std::vector<Item> items_;
  bool sorted_ = false;
  bool caseSensitive_ = false;
  TDuplicates duplicates_ = TDuplicates::dupIgnore;
  int updateCount_ = 0;
};

}  // namespace rtl
