#include "string_list.h"

#include <algorithm>

#include "codepage.h"
#include "exceptions.h"
#include "files.h"

namespace rtl {

TStringList::TStringList(const TStringList& other)
    : NameValueSeparator(other.NameValueSeparator),
      LineBreak(other.LineBreak),
      Delimiter(other.Delimiter),
      QuoteChar(other.QuoteChar),
      StrictDelimiter(other.StrictDelimiter),
      items_(other.items_),
      sorted_(other.sorted_),
      caseSensitive_(other.caseSensitive_),
      duplicates_(other.duplicates_) {}

TStringList& TStringList::operator=(const TStringList& other) {
  if (this != &other) Assign(other);
  return *this;
}

void TStringList::CheckIndex(int index) const {
  if (index < 0 || index >= Count())
    throw EStringListError(Format(u"List index out of bounds (%d)", {index}));
}

const String& TStringList::Strings(int index) const {
  CheckIndex(index);
  return items_[index].text;
}

void TStringList::SetStrings(int index, const String& s) {
  if (sorted_) throw EStringListError(u"Operation not allowed on sorted list");
  CheckIndex(index);
  Changing();
  items_[index].text = s;
  Changed();
}

void* TStringList::Objects(int index) const {
  CheckIndex(index);
  return items_[index].object;
}

void TStringList::SetObjects(int index, void* object) {
  CheckIndex(index);
  Changing();
  items_[index].object = object;
  Changed();
}

int TStringList::CompareStrings(const String& a, const String& b) const {
  return caseSensitive_ ? AnsiCompareStr(a, b) : AnsiCompareText(a, b);
}

void TStringList::InsertItem(int index, const String& s, void* object) {
  Changing();
  items_.insert(items_.begin() + index, Item{s, object});
  Changed();
}

int TStringList::Add(const String& s) { return AddObject(s, nullptr); }

int TStringList::AddObject(const String& s, void* object) {
  int index = Count();
  if (sorted_) {
    if (Find(s, index)) {
      switch (duplicates_) {
        case TDuplicates::dupIgnore: return index;
        case TDuplicates::dupError: throw EStringListError(u"String list does not allow duplicates");
        case TDuplicates::dupAccept: break;
      }
    }
  }
  InsertItem(index, s, object);
  return index;
}

void TStringList::AddStrings(const TStringList& other) {
  BeginUpdate();
  try {
    for (const auto& it : other.items_) AddObject(it.text, it.object);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TStringList::Insert(int index, const String& s) { InsertObject(index, s, nullptr); }

void TStringList::InsertObject(int index, const String& s, void* object) {
  if (sorted_) throw EStringListError(u"Operation not allowed on sorted list");
  if (index < 0 || index > Count()) throw EStringListError(Format(u"List index out of bounds (%d)", {index}));
  InsertItem(index, s, object);
}

void TStringList::Delete(int index) {
  CheckIndex(index);
  Changing();
  items_.erase(items_.begin() + index);
  Changed();
}

void TStringList::Clear() {
  if (items_.empty()) return;
  Changing();
  items_.clear();
  Changed();
}

void TStringList::Exchange(int index1, int index2) {
  if (sorted_) throw EStringListError(u"Operation not allowed on sorted list");
  CheckIndex(index1);
  CheckIndex(index2);
  Changing();
  std::swap(items_[index1], items_[index2]);
  Changed();
}

void TStringList::Move(int curIndex, int newIndex) {
  if (curIndex == newIndex) return;
  if (sorted_) throw EStringListError(u"Operation not allowed on sorted list");
  CheckIndex(curIndex);
  CheckIndex(newIndex);
  Changing();
  Item it = std::move(items_[curIndex]);
  items_.erase(items_.begin() + curIndex);
  items_.insert(items_.begin() + newIndex, std::move(it));
  Changed();
}

void TStringList::Assign(const TStringList& other) {
  if (this == &other) return;
  Changing();
  items_ = other.items_;
  NameValueSeparator = other.NameValueSeparator;
  LineBreak = other.LineBreak;
  Delimiter = other.Delimiter;
  QuoteChar = other.QuoteChar;
  StrictDelimiter = other.StrictDelimiter;
  // A sorted target keeps its order rule.
  if (sorted_) {
    SortItems([this](const Item& a, const Item& b) { return CompareStrings(a.text, b.text) < 0; });
  }
  Changed();
}

int TStringList::IndexOf(const String& s) const {
  if (sorted_) {
    int index;
    return Find(s, index) ? index : -1;
  }
  for (int i = 0; i < Count(); ++i) {
    if (caseSensitive_ ? items_[i].text == s : SameText(items_[i].text, s)) return i;
  }
  return -1;
}

int TStringList::IndexOfObject(const void* object) const {
  for (int i = 0; i < Count(); ++i)
    if (items_[i].object == object) return i;
  return -1;
}

bool TStringList::Find(const String& s, int& index) const {
  if (!sorted_) {
    index = IndexOf(s);
    if (index >= 0) return true;
    index = Count();
    return false;
  }
  int lo = 0, hi = Count() - 1;
  bool found = false;
  while (lo <= hi) {
    const int mid = (lo + hi) / 2;
    const int c = CompareStrings(items_[mid].text, s);
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
  index = lo;
  return found;
}

void TStringList::SortItems(const std::function<bool(const Item&, const Item&)>& less) {
  std::stable_sort(items_.begin(), items_.end(), less);
}

void TStringList::SetSorted(bool sorted) {
  if (sorted_ == sorted) return;
  if (sorted) Sort();
  sorted_ = sorted;
}

void TStringList::SetCaseSensitive(bool value) {
  if (caseSensitive_ == value) return;
  caseSensitive_ = value;
  if (sorted_) Sort();
}

void TStringList::Sort() {
  Changing();
  SortItems([this](const Item& a, const Item& b) { return CompareStrings(a.text, b.text) < 0; });
  Changed();
}

void TStringList::CustomSort(const TCompare& compare) {
  if (sorted_ || Count() < 2) return;
  Changing();
  // The comparer sees indexes into the list as it stands; sort a permutation.
  std::vector<int> order(items_.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int>(i);
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return compare(*this, a, b) < 0; });
  std::vector<Item> sortedItems;
  sortedItems.reserve(items_.size());
  for (int i : order) sortedItems.push_back(items_[i]);
  items_ = std::move(sortedItems);
  Changed();
}

String TStringList::Names(int index) const {
  const String& s = Strings(index);
  const std::size_t p = s.find(NameValueSeparator);
  return p == String::npos ? String() : s.substr(0, p);
}

String TStringList::ValueFromIndex(int index) const {
  const String& s = Strings(index);
  const std::size_t p = s.find(NameValueSeparator);
  return p == String::npos ? String() : s.substr(p + 1);
}

int TStringList::IndexOfName(const String& name) const {
  for (int i = 0; i < Count(); ++i) {
    const String& s = items_[i].text;
    const std::size_t p = s.find(NameValueSeparator);
    if (p == String::npos) continue;
    const std::u16string_view n = std::u16string_view(s).substr(0, p);
    if (caseSensitive_ ? n == name : SameText(n, name)) return i;
  }
  return -1;
}

String TStringList::Values(const String& name) const {
  const int i = IndexOfName(name);
  return i < 0 ? String() : ValueFromIndex(i);
}

void TStringList::SetValues(const String& name, const String& value) {
  const int i = IndexOfName(name);
  if (value.empty()) {
    if (i >= 0) Delete(i);
    return;
  }
  const String line = name + NameValueSeparator + value;
  if (i < 0) {
    Add(line);
  } else {
    Changing();
    items_[i].text = line;
    Changed();
  }
}

String TStringList::Text() const {
  String out;
  for (const auto& it : items_) {
    out += it.text;
    out += LineBreak;
  }
  return out;
}

void TStringList::SetText(std::u16string_view text) {
  BeginUpdate();
  try {
    Clear();
    std::size_t i = 0;
    while (i < text.size()) {
      std::size_t j = i;
      while (j < text.size() && text[j] != u'\r' && text[j] != u'\n') ++j;
      Add(String(text.substr(i, j - i)));
      if (j < text.size() && text[j] == u'\r') {
        ++j;
        if (j < text.size() && text[j] == u'\n') ++j;
      } else if (j < text.size()) {
        ++j;  // LF
      }
      i = j;
    }
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

String TStringList::DelimitedText() const {
  if (Count() == 1 && items_[0].text.empty()) return String(2, QuoteChar);
  String out;
  for (int i = 0; i < Count(); ++i) {
    if (i > 0) out += Delimiter;
    const String& s = items_[i].text;
    bool quote = s.empty();
    for (char16_t c : s) {
      if (c == QuoteChar || c == Delimiter || (!StrictDelimiter && c <= u' ')) {
        quote = true;
        break;
      }
    }
    if (!quote) {
      out += s;
      continue;
    }
    out += QuoteChar;
    for (char16_t c : s) {
      if (c == QuoteChar) out += QuoteChar;
      out += c;
    }
    out += QuoteChar;
  }
  return out;
}

void TStringList::SetDelimitedText(std::u16string_view text) {
  BeginUpdate();
  try {
    Clear();
    std::size_t i = 0;
    auto skipBlanks = [&] {
      if (StrictDelimiter) return;
      while (i < text.size() && text[i] <= u' ') ++i;
    };
    skipBlanks();
    while (i < text.size()) {
      String item;
      if (text[i] == QuoteChar) {
        ++i;
        while (i < text.size()) {
          if (text[i] == QuoteChar) {
            if (i + 1 < text.size() && text[i + 1] == QuoteChar) {
              item += QuoteChar;
              i += 2;
              continue;
            }
            ++i;
            break;
          }
          item += text[i++];
        }
      } else {
        while (i < text.size() && text[i] != Delimiter && (StrictDelimiter || text[i] > u' ')) item += text[i++];
      }
      Add(item);
      skipBlanks();
      if (i < text.size() && text[i] == Delimiter) {
        ++i;
        skipBlanks();
        if (i >= text.size()) Add(String());  // trailing delimiter: one empty item
      }
    }
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

String TStringList::CommaText() const {
  TStringList tmp;
  tmp.items_ = items_;
  tmp.Delimiter = u',';
  tmp.QuoteChar = u'"';
  tmp.StrictDelimiter = false;
  return tmp.DelimitedText();
}

void TStringList::SetCommaText(std::u16string_view text) {
  const char16_t d = Delimiter, q = QuoteChar;
  const bool strict = StrictDelimiter;
  Delimiter = u',';
  QuoteChar = u'"';
  StrictDelimiter = false;
  try {
    SetDelimitedText(text);
  } catch (...) {
    Delimiter = d, QuoteChar = q, StrictDelimiter = strict;
    throw;
  }
  Delimiter = d, QuoteChar = q, StrictDelimiter = strict;
}

void TStringList::LoadFromFile(const String& fileName) {
  const std::string bytes = LoadFileBytes(fileName);
  SetText(DecodeFileText(bytes));
}

void TStringList::SaveToFile(const String& fileName) const {
  String text;
  for (const auto& it : items_) {
    text += it.text;
    text += u"\r\n";
  }
  AtomicWriteFile(fileName, EncodeFileText(text, TextEncoding::System));
}

void TStringList::BeginUpdate() {
  if (updateCount_++ == 0) Changing();
}

void TStringList::EndUpdate() {
  if (updateCount_ > 0 && --updateCount_ == 0) Changed();
}

void TStringList::Changed() {
  if (updateCount_ == 0 && OnChange) OnChange(*this);
}

void TStringList::Changing() {
  if (updateCount_ == 0 && OnChanging) OnChanging(*this);
}

}  // namespace rtl
