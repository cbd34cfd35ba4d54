#include "platform/classes/classes.h"

#include <algorithm>

#include "platform/runtime/codepage.h"
#include "platform/runtime/files.h"
#include "platform/runtime/format.h"

namespace ui {
namespace {

bool IsValidIdent(const String& s) {
  if (s.empty()) return false;
  auto alpha = [](char16_t c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || c == u'_'; };
  if (!alpha(s[0])) return false;
  return std::all_of(s.begin() + 1, s.end(), [&](char16_t c) { return alpha(c) || (c >= u'0' && c <= u'9'); });
}

}  // namespace

// --- TObject / TPersistent -------------------------------------------------

const TClassInfo& TObject::StaticClassInfo() {
  static const TClassInfo info("TObject", nullptr);
  return info;
}

String TObject::ClassName() const { return rtl::Utf8ToString(ClassInfo().Name()); }

const TClassInfo& TPersistent::StaticClassInfo() {
  static const TClassInfo info = TClassBuilder<TPersistent>("TPersistent", &TObject::StaticClassInfo()).Build();
  return info;
}

void TPersistent::Assign(const TPersistent* Source) {
  if (Source) {
    Source->AssignTo(this);
    return;
  }
  AssignError(nullptr);
}

void TPersistent::AssignTo(TPersistent* Dest) const { Dest->AssignError(this); }

void TPersistent::AssignError(const TPersistent* Source) const {
  String from = Source ? Source->ClassName() : String(u"nil");
  throw rtl::EConvertError(rtl::Format(u"Cannot assign a %s to a %s", {from, ClassName()}));
}

// --- TComponent -------------------------------------------------------------

const TClassInfo& TComponent::StaticClassInfo() {
  static const TClassInfo info = TClassBuilder<TComponent>("TComponent", &TPersistent::StaticClassInfo())
                                     .Str("Name", &TComponent::Name, &TComponent::SetName)
                                     .Int64("Tag", &TComponent::Tag, &TComponent::SetTag)
                                     .Build();
  return info;
}

TComponent::TComponent(TComponent* AOwner) {
  if (AOwner) AOwner->InsertComponent(this);
}

TComponent::~TComponent() {
  BeginDestroy();
  DestroyComponents();
  if (owner_) owner_->RemoveComponent(this);
}

void TComponent::BeginDestroy() {
  if (teardownStarted_) return;
  teardownStarted_ = true;
  Destroying();
  // Everyone holding a weak reference hears of the removal before anything is freed.
  while (!freeNotifies_.empty()) {
    TComponent* other = freeNotifies_.back();
    freeNotifies_.pop_back();
    auto& theirs = other->freeNotifies_;
    theirs.erase(std::remove(theirs.begin(), theirs.end(), this), theirs.end());
    other->Notification(this, opRemove);
  }
}

void TComponent::Destroying() {
  if (state_.Contains(csDestroying)) return;
  state_.Include(csDestroying);
  for (TComponent* c : components_) c->Destroying();
}

TComponent* TComponent::Components(int Index) const {
  if (Index < 0 || Index >= ComponentCount())
    throw rtl::EListError(rtl::Format(u"List index out of bounds (%d)", {Index}));
  return components_[Index];
}

int TComponent::ComponentIndex() const {
  if (!owner_) return -1;
  auto& list = owner_->components_;
  auto it = std::find(list.begin(), list.end(), this);
  return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

TComponent* TComponent::FindComponent(const String& AName) const {
  if (AName.empty()) return nullptr;
  for (TComponent* c : components_)
    if (rtl::SameText(c->name_, AName)) return c;
  return nullptr;
}

void TComponent::SetName(const String& NewName) {
  if (NewName == name_) return;
  if (!NewName.empty() && !IsValidIdent(NewName))
    throw EComponentError(rtl::Format(u"'%s' is not a valid component name", {NewName}));
  if (owner_ && !NewName.empty()) {
    TComponent* other = owner_->FindComponent(NewName);
    if (other && other != this)
      throw EComponentError(rtl::Format(u"A component named %s already exists", {NewName}));
  }
  name_ = NewName;
}

void TComponent::InsertComponent(TComponent* AComponent) {
  if (!AComponent || AComponent->owner_ == this) return;
  if (!AComponent->name_.empty() && FindComponent(AComponent->name_))
    throw EComponentError(rtl::Format(u"A component named %s already exists", {AComponent->name_}));
  if (AComponent->owner_) AComponent->owner_->RemoveComponent(AComponent);
  components_.push_back(AComponent);
  AComponent->owner_ = this;
  if (state_.Contains(csLoading)) {
    AComponent->state_.Include(csLoading);
    AComponent->state_.Include(csReading);
  }
  NotifyAll(AComponent, opInsert);
}

void TComponent::RemoveComponent(TComponent* AComponent) {
  if (!AComponent || AComponent->owner_ != this) return;
  NotifyAll(AComponent, opRemove);
  components_.erase(std::remove(components_.begin(), components_.end(), AComponent), components_.end());
  AComponent->owner_ = nullptr;
}

void TComponent::NotifyAll(TComponent* AComponent, TOperation Operation) {
  Notification(AComponent, Operation);
}

void TComponent::Notification(TComponent* AComponent, TOperation Operation) {
  if (Operation == opRemove && AComponent) {
    freeNotifies_.erase(std::remove(freeNotifies_.begin(), freeNotifies_.end(), AComponent), freeNotifies_.end());
  }
  // Owned components hear of it too; the list may shrink while they react.
  for (std::size_t i = components_.size(); i-- > 0;) {
    if (i >= components_.size()) continue;
    components_[i]->Notification(AComponent, Operation);
  }
}

void TComponent::DestroyComponents() {
  while (!components_.empty()) {
    TComponent* c = components_.back();
    components_.pop_back();
    c->owner_ = nullptr;
    // Siblings still hear of the removal, as with a component freed on its own.
    NotifyAll(c, opRemove);
    c->BeforeDestruction();
    delete c;
  }
}

void TComponent::FreeNotification(TComponent* AComponent) {
  if (!AComponent || AComponent == this) return;
  if (std::find(freeNotifies_.begin(), freeNotifies_.end(), AComponent) == freeNotifies_.end())
    freeNotifies_.push_back(AComponent);
  auto& theirs = AComponent->freeNotifies_;
  if (std::find(theirs.begin(), theirs.end(), this) == theirs.end()) theirs.push_back(this);
  state_.Include(csFreeNotification);
  AComponent->state_.Include(csFreeNotification);
}

void TComponent::RemoveFreeNotification(TComponent* AComponent) {
  if (!AComponent) return;
  freeNotifies_.erase(std::remove(freeNotifies_.begin(), freeNotifies_.end(), AComponent), freeNotifies_.end());
  auto& theirs = AComponent->freeNotifies_;
  theirs.erase(std::remove(theirs.begin(), theirs.end(), this), theirs.end());
}

void TComponent::SetComponentState(TComponentStateItem Item, bool On) {
  if (On)
    state_.Include(Item);
  else
    state_.Exclude(Item);
}

void TComponent::BeginLoading() {
  state_.Include(csLoading);
  state_.Include(csReading);
  for (TComponent* c : components_) c->BeginLoading();
}

void TComponent::EndLoading() {
  if (!state_.Contains(csLoading)) return;
  // Clear every mark first: Loaded handlers may look at their neighbours.
  std::vector<TComponent*> loaded;
  std::function<void(TComponent*)> collect = [&](TComponent* c) {
    for (TComponent* child : c->components_) {
      if (child->state_.Contains(csLoading)) {
        collect(child);
      }
    }
    if (c->state_.Contains(csLoading)) loaded.push_back(c);
    c->state_.Exclude(csLoading);
    c->state_.Exclude(csReading);
  };
  collect(this);
  for (TComponent* c : loaded) c->Loaded();
}

void TComponent::AfterConstruction() { EndLoading(); }

void TComponent::BeforeDestruction() { BeginDestroy(); }

void TComponent::GetChildren(const TGetChildProc&, TComponent*) {}

void Free(TComponent* Component) {
  if (!Component) return;
  Component->BeforeDestruction();
  delete Component;
}

void TComponent::Loaded() {}

// --- TCollectionItem / TCollection -----------------------------------------

const TClassInfo& TCollectionItem::StaticClassInfo() {
  static const TClassInfo info =
      TClassBuilder<TCollectionItem>("TCollectionItem", &TPersistent::StaticClassInfo()).Build();
  return info;
}

TCollectionItem::TCollectionItem(TCollection* Collection) { SetCollection(Collection); }

TCollectionItem::~TCollectionItem() {
  if (collection_) collection_->RemoveItem(this);
}

void TCollectionItem::SetCollection(TCollection* Value) {
  if (collection_ == Value) return;
  if (collection_) collection_->RemoveItem(this);
  if (Value) Value->InsertItem(this);
}

int TCollectionItem::Index() const {
  if (!collection_) return -1;
  auto& v = collection_->items_;
  return static_cast<int>(std::find(v.begin(), v.end(), this) - v.begin());
}

void TCollectionItem::SetIndex(int Value) {
  int cur = Index();
  if (cur >= 0 && cur != Value) {
    collection_->MoveItem(cur, Value);
    Changed(true);
  }
}

String TCollectionItem::DisplayName() const { return ClassName(); }

void TCollectionItem::SetDisplayName(const String&) { Changed(false); }

TPersistent* TCollectionItem::GetOwner() const { return collection_; }

void TCollectionItem::Changed(bool AllItems) {
  if (collection_ && collection_->updateCount_ == 0) collection_->Update(AllItems ? nullptr : this);
}

const TClassInfo& TCollection::StaticClassInfo() {
  static const TClassInfo info = TClassBuilder<TCollection>("TCollection", &TPersistent::StaticClassInfo()).Build();
  return info;
}

TCollection::TCollection(ItemFactory Factory, TPersistent* Owner) : factory_(std::move(Factory)), owner_(Owner) {}

TCollection::~TCollection() {
  updateCount_ = 1;  // no change notices while tearing down
  while (!items_.empty()) delete items_.back();
}

TCollectionItem* TCollection::Add() {
  if (!factory_) throw rtl::EInvalidOperation(u"Collection has no item class");
  return factory_(this);
}

TCollectionItem* TCollection::Insert(int Index) {
  TCollectionItem* item = Add();
  item->SetIndex(Index);
  return item;
}

void TCollection::Delete(int Index) { delete Items(Index); }

void TCollection::Clear() {
  if (items_.empty()) return;
  BeginUpdate();
  try {
    while (!items_.empty()) delete items_.back();
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

TCollectionItem* TCollection::Items(int Index) const {
  if (Index < 0 || Index >= Count())
    throw rtl::EListError(rtl::Format(u"List index out of bounds (%d)", {Index}));
  return items_[Index];
}

TCollectionItem* TCollection::FindItemID(int ID) const {
  for (TCollectionItem* i : items_)
    if (i->id_ == ID) return i;
  return nullptr;
}

void TCollection::BeginUpdate() { ++updateCount_; }

void TCollection::EndUpdate() {
  if (updateCount_ > 0 && --updateCount_ == 0) Changed();
}

void TCollection::Assign(const TPersistent* Source) {
  auto* src = dynamic_cast<const TCollection*>(Source);
  if (!src) {
    TPersistent::Assign(Source);
    return;
  }
  BeginUpdate();
  try {
    Clear();
    for (TCollectionItem* i : src->items_) Add()->Assign(i);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TCollection::Update(TCollectionItem*) {}

void TCollection::Notify(TCollectionItem*, TCollectionNotification) {}

void TCollection::Changed() {
  if (updateCount_ == 0) Update(nullptr);
}

void TCollection::InsertItem(TCollectionItem* Item) {
  items_.push_back(Item);
  Item->collection_ = this;
  Item->id_ = nextId_++;
  Notify(Item, cnAdded);
  Changed();
}

void TCollection::RemoveItem(TCollectionItem* Item) {
  Notify(Item, cnExtracting);
  items_.erase(std::remove(items_.begin(), items_.end(), Item), items_.end());
  Item->collection_ = nullptr;
  Changed();
}

void TCollection::MoveItem(int From, int To) {
  if (To < 0) To = 0;
  if (To >= Count()) To = Count() - 1;
  TCollectionItem* item = items_[From];
  items_.erase(items_.begin() + From);
  items_.insert(items_.begin() + To, item);
}

void TCollection::ItemChanged(TCollectionItem* Item) {
  if (updateCount_ == 0) Update(Item);
}

// --- TStrings ---------------------------------------------------------------

const TClassInfo& TStrings::StaticClassInfo() {
  static const TClassInfo info = TClassBuilder<TStrings>("TStrings", &TPersistent::StaticClassInfo()).Build();
  return info;
}

void TStrings::Put(int Index, const String& S) {
  void* object = GetObject(Index);
  BeginUpdate();
  try {
    Delete(Index);
    InsertObject(Index, S, object);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void* TStrings::GetObject(int) const { return nullptr; }
void TStrings::PutObject(int, void*) {}

void TStrings::InsertObject(int Index, const String& S, void* AObject) {
  Insert(Index, S);
  PutObject(Index, AObject);
}

int TStrings::Add(const String& S) {
  int n = Count();
  Insert(n, S);
  return n;
}

int TStrings::AddObject(const String& S, void* AObject) {
  const int index = Add(S);
  PutObject(index, AObject);
  return index;
}

void TStrings::Exchange(int Index1, int Index2) {
  BeginUpdate();
  try {
    const String s1 = Get(Index1);
    void* o1 = GetObject(Index1);
    const String s2 = Get(Index2);
    void* o2 = GetObject(Index2);
    Put(Index1, s2);
    PutObject(Index1, o2);
    Put(Index2, s1);
    PutObject(Index2, o1);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TStrings::Move(int CurIndex, int NewIndex) {
  if (CurIndex == NewIndex) return;
  BeginUpdate();
  try {
    const String s = Get(CurIndex);
    void* o = GetObject(CurIndex);
    if (NewIndex < 0 || NewIndex >= Count()) IndexError(NewIndex);
    Delete(CurIndex);
    InsertObject(NewIndex, s, o);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

int TStrings::IndexOf(const String& S) const {
  for (int i = 0, n = Count(); i < n; ++i)
    if (rtl::AnsiSameText(Get(i), S)) return i;
  return -1;
}

int TStrings::IndexOfObject(const void* AObject) const {
  for (int i = 0, n = Count(); i < n; ++i)
    if (GetObject(i) == AObject) return i;
  return -1;
}

bool TStrings::SameName(std::u16string_view A, std::u16string_view B) const { return rtl::SameText(A, B); }

int TStrings::IndexOfName(const String& Name) const {
  for (int i = 0, n = Count(); i < n; ++i) {
    const String s = Get(i);
    const std::size_t p = s.find(NameValueSeparator);
    if (p == String::npos) continue;
    if (SameName(std::u16string_view(s).substr(0, p), Name)) return i;
  }
  return -1;
}

String TStrings::Names(int Index) const {
  const String s = Get(Index);
  const std::size_t p = s.find(NameValueSeparator);
  return p == String::npos ? String() : s.substr(0, p);
}

String TStrings::ValueFromIndex(int Index) const {
  const String s = Get(Index);
  const std::size_t p = s.find(NameValueSeparator);
  return p == String::npos ? String() : s.substr(p + 1);
}

String TStrings::Values(const String& Name) const {
  const int i = IndexOfName(Name);
  return i < 0 ? String() : ValueFromIndex(i);
}

void TStrings::SetValues(const String& Name, const String& Value) {
  const int i = IndexOfName(Name);
  if (Value.empty()) {
    if (i >= 0) Delete(i);
    return;
  }
  const String line = Name + NameValueSeparator + Value;
  if (i < 0)
    Add(line);
  else
    Put(i, line);
}

String TStrings::Text() const {
  String out;
  for (int i = 0, n = Count(); i < n; ++i) {
    out += Get(i);
    out += LineBreak;
  }
  return out;
}

void TStrings::SetText(std::u16string_view Value) {
  BeginUpdate();
  try {
    Clear();
    std::size_t i = 0;
    while (i < Value.size()) {
      std::size_t j = i;
      while (j < Value.size() && Value[j] != u'\r' && Value[j] != u'\n') ++j;
      Add(String(Value.substr(i, j - i)));
      if (j < Value.size() && Value[j] == u'\r') {
        ++j;
        if (j < Value.size() && Value[j] == u'\n') ++j;
      } else if (j < Value.size()) {
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

namespace {

String QuotedList(const TStrings& list, char16_t delimiter, char16_t quote, bool strict) {
  const int n = list.Count();
  if (n == 1 && list.Get(0).empty()) return String(2, quote);
  String out;
  for (int i = 0; i < n; ++i) {
    if (i > 0) out += delimiter;
    const String s = list.Get(i);
    bool quoted = s.empty();
    for (char16_t c : s) {
      if (c == quote || c == delimiter || (!strict && c <= u' ')) {
        quoted = true;
        break;
      }
    }
    if (!quoted) {
      out += s;
      continue;
    }
    out += quote;
    for (char16_t c : s) {
      if (c == quote) out += quote;
      out += c;
    }
    out += quote;
  }
  return out;
}

void ReadQuotedList(TStrings& list, std::u16string_view text, char16_t delimiter, char16_t quote, bool strict) {
  list.BeginUpdate();
  try {
    list.Clear();
    std::size_t i = 0;
    auto skipBlanks = [&] {
      if (strict) return;
      while (i < text.size() && text[i] <= u' ') ++i;
    };
    skipBlanks();
    while (i < text.size()) {
      String item;
      if (text[i] == quote) {
        ++i;
        while (i < text.size()) {
          if (text[i] == quote) {
            if (i + 1 < text.size() && text[i + 1] == quote) {
              item += quote;
              i += 2;
              continue;
            }
            ++i;
            break;
          }
          item += text[i++];
        }
      } else {
        while (i < text.size() && text[i] != delimiter && (strict || text[i] > u' ')) item += text[i++];
      }
      list.Add(item);
      skipBlanks();
      if (i < text.size() && text[i] == delimiter) {
        ++i;
        skipBlanks();
        if (i >= text.size()) list.Add(String());  // trailing delimiter: one empty item
      }
    }
  } catch (...) {
    list.EndUpdate();
    throw;
  }
  list.EndUpdate();
}

}  // namespace

String TStrings::DelimitedText() const { return QuotedList(*this, Delimiter, QuoteChar, StrictDelimiter); }

void TStrings::SetDelimitedText(std::u16string_view Value) {
  ReadQuotedList(*this, Value, Delimiter, QuoteChar, StrictDelimiter);
}

String TStrings::CommaText() const { return QuotedList(*this, u',', u'"', false); }

void TStrings::SetCommaText(std::u16string_view Value) { ReadQuotedList(*this, Value, u',', u'"', false); }

void TStrings::LoadFromFile(const String& FileName) {
  const std::string bytes = rtl::LoadFileBytes(FileName);
  SetText(rtl::DecodeFileText(bytes));
}

void TStrings::SaveToFile(const String& FileName) const {
  String text;
  for (int i = 0, n = Count(); i < n; ++i) {
    text += Get(i);
    text += u"\r\n";
  }
  rtl::AtomicWriteFile(FileName, rtl::EncodeFileText(text, rtl::TextEncoding::System));
}

void TStrings::AddStrings(const TStrings* Strings) {
  if (!Strings) return;
  BeginUpdate();
  try {
    for (int i = 0, n = Strings->Count(); i < n; ++i) AddObject(Strings->Get(i), Strings->GetObject(i));
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TStrings::Assign(const TPersistent* Source) {
  auto* src = dynamic_cast<const TStrings*>(Source);
  if (!src) {
    TPersistent::Assign(Source);
    return;
  }
  if (src == this) return;
  BeginUpdate();
  try {
    NameValueSeparator = src->NameValueSeparator;
    LineBreak = src->LineBreak;
    Delimiter = src->Delimiter;
    QuoteChar = src->QuoteChar;
    StrictDelimiter = src->StrictDelimiter;
    Clear();
    AddStrings(src);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

std::vector<String> TStrings::ToVector() const {
  std::vector<String> out;
  for (int i = 0, n = Count(); i < n; ++i) out.push_back(Get(i));
  return out;
}

void TStrings::BeginUpdate() {
  if (updateCount_ == 0) SetUpdateState(true);
  ++updateCount_;
}

void TStrings::EndUpdate() {
  if (updateCount_ > 0 && --updateCount_ == 0) SetUpdateState(false);
}

void TStrings::IndexError(int Index) const {
  throw rtl::EStringListError(rtl::Format(u"List index out of bounds (%d)", {Index}));
}

}  // namespace ui
