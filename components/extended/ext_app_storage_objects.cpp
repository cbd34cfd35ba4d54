// The structured values of the application storage: enumerations, sets,
// lists, collections and objects stored property by property, and the
// engines that take over particular properties.
#include <cstring>
#include <map>

#include "platform/runtime/convert.h"
#include "components/extended/core/core_errors.h"
#include "components/extended/core/core_rtti.h"
#include "components/extended/ext_app_storage.h"
#include "platform/runtime/variant.h"
#include "platform/classes/scoped_change.h"

namespace ext {

using ui::TTypeInfo;

namespace {

struct IdentMap {
  const TTypeInfo* type;
  std::vector<std::pair<std::int32_t, String>> map;
};
std::vector<IdentMap>& IdentMaps() {
  static std::vector<IdentMap> maps;
  return maps;
}
const IdentMap* IdentsOf(const TTypeInfo* Type) {
  for (const IdentMap& m : IdentMaps())
    if (m.type == Type) return &m;
  return nullptr;
}

std::map<String, std::function<ui::TPersistent*()>>& ItemClasses() {
  static std::map<String, std::function<ui::TPersistent*()>> classes;
  return classes;
}

// Joins like ConcatPaths, keeping a leading backslash (a path from the
// storage's root rather than from its current path).
String Join(const String& P, const String& Rest) {
  const String joined = TExtCustomAppStorage::ConcatPaths({P, Rest});
  return !P.empty() && P[0] == u'\\' ? u"\\" + joined : joined;
}

const TTypeInfo& EnumBase(const TTypeInfo& t) { return t.BaseType ? *t.BaseType : t; }

bool IsBooleanLike(const TTypeInfo& t) {
  return t.Kind == ui::tkEnumeration && (t.Name == "Boolean" || EnumBase(t).MinValue < 0);
}

int ValueSize(const TTypeInfo& t) { return OrdinalStorageSize(t.OrdType); }

std::shared_ptr<ICoreSetTypeInfo> SetInfoOf(const TTypeInfo* t) {
  return std::dynamic_pointer_cast<ICoreSetTypeInfo>(TypeInfoObjectFor(t));
}

bool BitOf(const void* set, std::int64_t bit) { return (static_cast<const std::uint8_t*>(set)[bit / 8] >> (bit % 8)) & 1; }
void SetBit(void* set, std::int64_t bit) { static_cast<std::uint8_t*>(set)[bit / 8] |= std::uint8_t(1u << (bit % 8)); }

// Restores a flag when the scope ends, also on an exception.
template <class Get, class Set>
class FlagScope {
 public:
  FlagScope(Get get, Set set, bool value) : set_(set), old_(get()) { set_(value); }
  ~FlagScope() { set_(old_); }

 private:
  Set set_;
  bool old_;
};

// A set value as a 64-bit mask and back (the registry keeps sets that way).
constexpr int kMaxSetBytes = 32;

}  // namespace

void RegisterStorageItemClass(const String& ClassName, std::function<ui::TPersistent*()> Create) {
  ItemClasses()[rtl::UpperCase(ClassName)] = std::move(Create);
}

void RegisterIntegerIdents(const TTypeInfo* Type, std::vector<std::pair<std::int32_t, String>> Map) {
  for (IdentMap& m : IdentMaps())
    if (m.type == Type) {
      m.map = std::move(Map);
      return;
    }
  IdentMaps().push_back({Type, std::move(Map)});
}

// --- engines ----------------------------------------------------------------

TExtAppStoragePropertyEngineList::~TExtAppStoragePropertyEngineList() {
  while (!engines_.empty()) engines_.pop_back();
}

TExtAppStoragePropertyBaseEngine* TExtAppStoragePropertyEngineList::GetEngine(ui::TObject* AObject,
                                                                             ui::TObject* AProperty) const {
  for (const auto& e : engines_)
    if (e->Supports(AObject, AProperty)) return e.get();
  return nullptr;
}

bool TExtAppStoragePropertyEngineList::ReadProperty(TExtCustomAppStorage* AStorage, const String& APath,
                                                    ui::TObject* AObject, ui::TObject* AProperty, bool Recursive,
                                                    bool ClearFirst) const {
  TExtAppStoragePropertyBaseEngine* e = GetEngine(AObject, AProperty);
  if (!e) return false;
  e->ReadProperty(AStorage, APath, AObject, AProperty, Recursive, ClearFirst);
  return true;
}

bool TExtAppStoragePropertyEngineList::WriteProperty(TExtCustomAppStorage* AStorage, const String& APath,
                                                     ui::TObject* AObject, ui::TObject* AProperty,
                                                     bool Recursive) const {
  TExtAppStoragePropertyBaseEngine* e = GetEngine(AObject, AProperty);
  if (!e) return false;
  e->WriteProperty(AStorage, APath, AObject, AProperty, Recursive);
  return true;
}

TExtAppStoragePropertyEngineList& StoragePropertyEngines() {
  static TExtAppStoragePropertyEngineList engines;
  return engines;
}

#define JQ_RESOLVE(path)                 \
  TExtCustomAppStorage* store = nullptr; \
  String at;                             \
  ResolvePath(path, store, at)

// --- enumerations -------------------------------------------------------------

void TExtCustomAppStorage::ReadEnumeration(const String& Path, const TTypeInfo* TypeInfo, void* Value,
                                           const void* Default) {
  JQ_RESOLVE(Path);
  store->ReadEnumerationAt(at, TypeInfo, Value, Default);
}

void TExtCustomAppStorage::WriteEnumeration(const String& Path, const TTypeInfo* TypeInfo, const void* Value,
                                            const void*) {
  JQ_RESOLVE(Path);
  if (!store->ReadOnly()) store->WriteEnumerationAt(at, TypeInfo, Value);
}

void TExtCustomAppStorage::ReadEnumerationAt(const String& Path, const TTypeInfo* TypeInfo, void* Value,
                                             const void* Default) {
  if (!TypeInfo) throw EExtAppStorageError(u"Invalid type");
  const TTypeInfo& t = *TypeInfo;
  const ui::TTypeKind kind = t.Kind;
  if (kind != ui::tkInteger && kind != ui::tkChar && kind != ui::tkWChar && kind != ui::tkEnumeration)
    throw EExtAppStorageError(u"Invalid type");
  if (!Default) Default = Value;
  const int size = ValueSize(t);
  const std::int64_t def = ReadOrdinalValue(Default, t.OrdType);
  auto keepDefault = [&] { std::memmove(Value, Default, static_cast<std::size_t>(size)); };
  if (options_->DefaultIfValueNotExists() && !ValueStoredAt(Path)) {
    keepDefault();
    return;
  }
  try {
    if (IsBooleanLike(t)) {
      const bool b = ReadBooleanAt(Path, def != 0);
      WriteOrdinalValue(Value, t.OrdType, b ? (EnumBase(t).MinValue < 0 ? -1 : 1) : 0);
    } else if (kind == ui::tkInteger) {
      if (const IdentMap* idents = IdentsOf(&t)) {
        String text;
        {
          TExtCustomAppStorageOptions* o = options_.get();
          FlagScope scope([o] { return o->DefaultIfReadConvertError(); },
                          [o](bool v) { o->SetDefaultIfReadConvertError(v); }, true);
          text = rtl::Trim(ReadStringAt(Path, String()));
        }
        for (const auto& [v, name] : idents->map)
          if (!text.empty() && rtl::AnsiSameText(name, text)) {
            WriteOrdinalValue(Value, t.OrdType, v);
            return;
          }
      }
      WriteOrdinalValue(Value, t.OrdType, ReadIntegerAt(Path, static_cast<std::int32_t>(def)));
    } else if (kind == ui::tkChar || kind == ui::tkWChar) {
      WriteOrdinalValue(Value, t.OrdType, ReadIntegerAt(Path, static_cast<std::int32_t>(def)));
    } else {
      auto info = std::dynamic_pointer_cast<ICoreEnumerationTypeInfo>(TypeInfoObjectFor(&t));
      const String text = rtl::Trim(ReadStringAt(Path, u" #!@not known@!# "));
      const std::int64_t byName = info->IndexOfName(text);
      if (byName >= 0) {
        WriteOrdinalValue(Value, t.OrdType, byName);
        return;
      }
      // An ordinal outside the type would be a value the type cannot hold.
      const std::int64_t n = ReadIntegerAt(Path, -1);
      if (n != -1 && n >= t.MinValue && n <= t.MaxValue)
        WriteOrdinalValue(Value, t.OrdType, n);
      else
        keepDefault();
    }
  } catch (const rtl::EConvertError&) {
    if (!options_->DefaultIfReadConvertError()) throw;
    keepDefault();
  }
}

void TExtCustomAppStorage::WriteEnumerationAt(const String& Path, const TTypeInfo* TypeInfo, const void* Value) {
  if (!TypeInfo) throw EExtAppStorageError(u"Invalid type");
  const TTypeInfo& t = *TypeInfo;
  const ui::TTypeKind kind = t.Kind;
  if (kind != ui::tkInteger && kind != ui::tkChar && kind != ui::tkWChar && kind != ui::tkEnumeration)
    throw EExtAppStorageError(u"Invalid type");
  const std::int64_t v = ReadOrdinalValue(Value, t.OrdType);
  if (IsBooleanLike(t)) {
    WriteBooleanAt(Path, v != 0);
  } else if (kind == ui::tkInteger) {
    if (options_->TypedIntegerAsString())
      if (const IdentMap* idents = IdentsOf(&t))
        for (const auto& [n, name] : idents->map)
          if (n == v) {
            WriteStringAt(Path, name);
            return;
          }
    WriteIntegerAt(Path, static_cast<std::int32_t>(v));
  } else if (kind == ui::tkEnumeration) {
    auto info = std::dynamic_pointer_cast<ICoreEnumerationTypeInfo>(TypeInfoObjectFor(&t));
    const String name = info->Names(v);
    // A value outside the type has no name; its number keeps it.
    if (options_->EnumerationAsString() && !name.empty())
      WriteStringAt(Path, name);
    else
      WriteIntegerAt(Path, static_cast<std::int32_t>(v));
  } else {
    WriteIntegerAt(Path, static_cast<std::int32_t>(v));
  }
}

// --- sets ---------------------------------------------------------------------

void TExtCustomAppStorage::ReadSet(const String& Path, const TTypeInfo* TypeInfo, void* Value, const void* Default) {
  JQ_RESOLVE(Path);
  store->ReadSetAt(at, TypeInfo, Value, Default);
}

void TExtCustomAppStorage::WriteSet(const String& Path, const TTypeInfo* TypeInfo, const void* Value, const void*) {
  JQ_RESOLVE(Path);
  if (!store->ReadOnly()) store->WriteSetAt(at, TypeInfo, Value);
}

namespace {

// The value name of each member of the set's element type.
template <class Fn>
void ForEachMember(const TExtCustomAppStorage& s, const TTypeInfo& set, Fn fn) {
  if (!set.BaseType) throw EExtAppStorageError(u"Unknown base type for given set");
  const TTypeInfo& base = *set.BaseType;
  const std::int64_t start = ((base.MinValue % 8) + 8) % 8;
  for (std::int64_t ord = base.MinValue; ord <= base.MaxValue; ++ord) {
    String name;
    switch (base.Kind) {
      case ui::tkInteger: name = s.GetIntName(ord); break;
      case ui::tkChar:
      case ui::tkWChar: name = s.GetCharName(static_cast<char16_t>(ord)); break;
      case ui::tkEnumeration:
        name = std::dynamic_pointer_cast<ICoreEnumerationTypeInfo>(TypeInfoObjectFor(&base))->Names(ord);
        break;
      default: throw EExtAppStorageError(u"Unknown base type for given set");
    }
    fn(name, start + ord - base.MinValue);
  }
}

void CheckSetBase(const TTypeInfo* t) {
  const ui::TTypeKind k = t && t->Kind == ui::tkSet && t->BaseType ? t->BaseType->Kind : ui::tkUnknown;
  if (k != ui::tkInteger && k != ui::tkChar && k != ui::tkWChar && k != ui::tkEnumeration)
    throw EExtAppStorageError(u"Unknown base type for given set");
}

}  // namespace

void TExtCustomAppStorage::WriteSetAt(const String& Path, const TTypeInfo* TypeInfo, const void* Value) {
  CheckSetBase(TypeInfo);
  if (options_->SetAsString()) {
    WriteStringAt(Path, SetValueToText(TypeInfo, Value, true));
    return;
  }
  // Every member is written as it is, printable characters included, so
  // the folder reads back to the same set.
  ForEachMember(*this, *TypeInfo,
                [&](const String& name, std::int64_t bit) { WriteBooleanAt(At({Path, name}), BitOf(Value, bit)); });
}

void TExtCustomAppStorage::ReadSetAt(const String& Path, const TTypeInfo* TypeInfo, void* Value, const void* Default) {
  CheckSetBase(TypeInfo);
  auto info = SetInfoOf(TypeInfo);
  const int size = info->StorageSize();
  if (size > kMaxSetBytes) throw EExtAppStorageError(u"Unknown base type for given set");
  if (!Default) Default = Value;
  if (IsFolderAt(Path, true)) {
    std::uint8_t bits[kMaxSetBytes] = {};
    ForEachMember(*this, *TypeInfo, [&](const String& name, std::int64_t bit) {
      if (ReadBooleanAt(At({Path, name}), false)) SetBit(bits, bit);
    });
    std::memcpy(Value, bits, static_cast<std::size_t>(size));
    return;
  }
  const String text = ReadStringAt(Path, SetValueToText(TypeInfo, Default, true));
  // A text that does not convert leaves the value as it was.
  std::uint8_t bits[kMaxSetBytes] = {};
  TextToSetValue(TypeInfo, bits, text);
  std::memcpy(Value, bits, static_cast<std::size_t>(size));
}

// --- lists ----------------------------------------------------------------------

int TExtCustomAppStorage::ReadList(const String& Path, ui::TObject* List, const String& ItemName,
                                   const TExtAppStorageListItemEvent& OnReadItem) {
  JQ_RESOLVE(Join(Path, u"*"));
  const String listAt = at.substr(0, at.size() - 2);
  const int count = store->ReadItemCount(listAt);
  if (OnReadItem)
    for (int i = 0; i < count; ++i) OnReadItem(this, Path, List, i, ItemName);
  return count;
}

void TExtCustomAppStorage::WriteList(const String& Path, ui::TObject* List, const String& ItemName, int ItemCount,
                                     const TExtAppStorageListItemEvent& OnWriteItem,
                                     const TExtAppStorageListDeleteEvent& OnDeleteItems) {
  JQ_RESOLVE(Join(Path, u"*"));
  if (store->ReadOnly()) return;
  const String listAt = at.substr(0, at.size() - 2);
  const int previous = store->ReadItemCount(listAt);
  if (OnWriteItem)
    for (int i = 0; i < ItemCount; ++i) OnWriteItem(this, Path, List, i, ItemName);
  if (ItemCount < previous && OnDeleteItems) OnDeleteItems(this, Path, List, ItemCount, previous - 1, ItemName);
  store->WriteItemCount(listAt, ItemCount);
}

namespace {

// Stale items go in both item-name forms, as values and as folders.
TExtAppStorageListDeleteEvent DeleteStaleItems() {
  return [](TExtCustomAppStorage* s, const String& Path, ui::TObject*, int First, int Last, const String& ItemName) {
    for (int i = First; i <= Last; ++i) {
      s->DeleteValue(Join(Path, ItemName + rtl::IntToStr(i)));
      s->DeleteSubTree(Join(Path, s->ItemNameIndexPath(ItemName, i)));
    }
  };
}

String ItemPath(TExtCustomAppStorage* s, const String& Path, const String& ItemName, int Index) {
  return Join(Path, s->ItemNameIndexPath(ItemName, Index));
}

// Runs Fn inside a BeginUpdate/EndUpdate pair of Target.
template <class T, class Fn>
void Updating(T* Target, Fn fn) {
  Target->BeginUpdate();
  try {
    fn();
  } catch (...) {
    Target->EndUpdate();
    throw;
  }
  Target->EndUpdate();
}

}  // namespace

int TExtCustomAppStorage::ReadStringList(const String& Path, ui::TStrings* List, const String& ItemName,
                                         bool ClearFirst) {
  if (ClearFirst) List->Clear();
  if (ListStored(Path)) {
    Updating(List, [&] {
      ReadPersistent(Path, List, true, false);
      ReadList(Path, List, ItemName, [](TExtCustomAppStorage* s, const String& P, ui::TObject* L, int I,
                                        const String& N) {
        static_cast<ui::TStrings*>(L)->Add(s->ReadString(ItemPath(s, P, N, I)));
      });
    });
  } else if (ValueStored(Path)) {
    List->SetText(ReadString(Path));
  }
  return List->Count();
}

void TExtCustomAppStorage::WriteStringList(const String& Path, ui::TStrings* List, const String& ItemName) {
  if (options_->StoreStringListAsSingleString()) {
    if (ListStored(Path)) DeleteSubTree(Path);
    WriteString(Path, List->Text());
    return;
  }
  WriteList(
      Path, List, ItemName, List->Count(),
      [](TExtCustomAppStorage* s, const String& P, ui::TObject* L, int I, const String& N) {
        s->WriteString(ItemPath(s, P, N, I), static_cast<ui::TStrings*>(L)->Get(I));
      },
      DeleteStaleItems());
  WritePersistent(Path, List, true);
}

int TExtCustomAppStorage::ReadWideStringList(const String& Path, ui::TStrings* List, const String& ItemName,
                                             bool ClearFirst) {
  if (!ListStored(Path) && options_->DefaultIfValueNotExists()) return List->Count();
  Updating(List, [&] {
    if (ClearFirst) List->Clear();
    ReadPersistent(Path, List, true, false);
    ReadList(Path, List, ItemName, [](TExtCustomAppStorage* s, const String& P, ui::TObject* L, int I,
                                      const String& N) {
      static_cast<ui::TStrings*>(L)->Add(s->ReadWideString(Join(P, N + rtl::IntToStr(I))));
    });
  });
  return List->Count();
}

void TExtCustomAppStorage::WriteWideStringList(const String& Path, ui::TStrings* List, const String& ItemName) {
  WriteList(
      Path, List, ItemName, List->Count(),
      [](TExtCustomAppStorage* s, const String& P, ui::TObject* L, int I, const String& N) {
        s->WriteWideString(Join(P, N + rtl::IntToStr(I)), static_cast<ui::TStrings*>(L)->Get(I));
      },
      DeleteStaleItems());
  WritePersistent(Path, List, true);
}

namespace {

// The factory of object lists without one of their own: the class named by
// the item's "Classname" value.
ui::TPersistent* CreateItemFromClassName(TExtCustomAppStorage* Sender, const String& Path, int) {
  const String name = Sender->ReadString(Join(Path, u"Classname"));
  if (name.empty()) return nullptr;  // an empty entry of the list
  auto it = ItemClasses().find(rtl::UpperCase(name));
  if (it == ItemClasses().end()) throw EExtAppStorageError(u"Class '%s' not registered", {name});
  return it->second();
}

}  // namespace

int TExtCustomAppStorage::ReadObjectList(const String& Path, TExtObjectList* List, const String& ItemName,
                                         bool ClearFirst) {
  return ReadObjectList(Path, List, CreateItemFromClassName, ItemName, ClearFirst);
}

int TExtCustomAppStorage::ReadObjectList(const String& Path, TExtObjectList* List,
                                         const TExtAppStorageObjectListItemCreateEvent& Create,
                                         const String& ItemName, bool ClearFirst) {
  if (!ListStored(Path) && options_->DefaultIfValueNotExists()) return List->Count();
  if (ClearFirst) List->Clear();
  JQ_RESOLVE(Join(Path, u"*"));
  {
    ui::TScopedValue creating(store->currentInstanceCreateEvent_, Create);
    ReadList(Path, List, ItemName, [&](TExtCustomAppStorage* s, const String& P, ui::TObject*, int I, const String& N) {
      const String item = ItemPath(s, P, N, I);
      TExtCustomAppStorage* target = nullptr;
      String targetPath;
      s->ResolvePath(item, target, targetPath);
      ui::TPersistent* obj =
          target->currentInstanceCreateEvent_ ? target->currentInstanceCreateEvent_(s, item, I) : nullptr;
      List->Add(obj);
      if (obj) s->ReadPersistent(item, obj, true, ClearFirst);
    });
  }
  return List->Count();
}

void TExtCustomAppStorage::WriteObjectList(const String& Path, TExtObjectList* List, const String& ItemName) {
  WriteList(
      Path, List, ItemName, List->Count(),
      [](TExtCustomAppStorage* s, const String& P, ui::TObject* L, int I, const String& N) {
        ui::TPersistent* obj = static_cast<TExtObjectList*>(L)->Items(I);
        if (!obj) return;
        const String item = ItemPath(s, P, N, I);
        // The class name lets a list without a factory be read back.
        s->WriteString(Join(item, u"Classname"), obj->ClassName());
        s->WritePersistent(item, obj, true);
      },
      DeleteStaleItems());
}

int TExtCustomAppStorage::ReadStringObjectList(const String& Path, ui::TStrings* List, const String& ItemName,
                                               bool ClearFirst) {
  return ReadStringObjectList(Path, List, CreateItemFromClassName, ItemName, ClearFirst);
}

int TExtCustomAppStorage::ReadStringObjectList(const String& Path, ui::TStrings* List,
                                               const TExtAppStorageObjectListItemCreateEvent& Create,
                                               const String& ItemName, bool ClearFirst) {
  JQ_RESOLVE(Join(Path, u"*"));
  const String listAt = at.substr(0, at.size() - 2);
  if (!store->ListStoredAt(listAt) && options_->DefaultIfValueNotExists()) return List->Count();
  Updating(List, [&] {
    ui::TScopedValue creating(store->currentInstanceCreateEvent_, Create);
    if (ClearFirst) List->Clear();
    ReadPersistent(Path, List, true, false);
    const int count = store->ReadItemCount(listAt);
    for (int i = 0; i < count; ++i) {
      const String item = ItemPath(store, listAt, ItemName, i);
      const String objPath = Join(item, u"Object");
      ui::TPersistent* obj =
          store->currentInstanceCreateEvent_ ? store->currentInstanceCreateEvent_(store, objPath, i) : nullptr;
      const String name = store->ReadString(Join(item, u"Itemname"));
      List->AddObject(name, obj);
      if (obj) store->ReadPersistent(objPath, obj, true, ClearFirst);
    }
  });
  return List->Count();
}

void TExtCustomAppStorage::WriteStringObjectList(const String& Path, ui::TStrings* List, const String& ItemName) {
  JQ_RESOLVE(Join(Path, u"*"));
  if (store->ReadOnly()) return;
  const String listAt = at.substr(0, at.size() - 2);
  store->WriteList(
      listAt, List, ItemName, List->Count(),
      [](TExtCustomAppStorage* s, const String& P, ui::TObject* L, int I, const String& N) {
        auto* list = static_cast<ui::TStrings*>(L);
        const String item = ItemPath(s, P, N, I);
        s->WriteString(Join(item, u"Itemname"), list->Get(I));
        if (auto* obj = static_cast<ui::TObject*>(list->Objects(I)))
          if (auto* p = dynamic_cast<ui::TPersistent*>(obj)) s->WritePersistent(Join(item, u"Object"), p, true);
      },
      DeleteStaleItems());
  WritePersistent(Path, List, true);
}

int TExtCustomAppStorage::ReadCollection(const String& Path, ui::TCollection* Collection, const String& ItemName,
                                         bool ClearFirst) {
  if (!ListStored(Path) && options_->DefaultIfValueNotExists()) return Collection->Count();
  Updating(Collection, [&] {
    if (ClearFirst) Collection->Clear();
    ReadPersistent(Path, Collection, true, false);
    ReadList(Path, Collection, ItemName, [&](TExtCustomAppStorage* s, const String& P, ui::TObject* L, int I,
                                            const String& N) {
      ui::TCollectionItem* item = static_cast<ui::TCollection*>(L)->Add();
      s->ReadPersistent(ItemPath(s, P, N, I), item, true, ClearFirst);
    });
  });
  return Collection->Count();
}

void TExtCustomAppStorage::WriteCollection(const String& Path, ui::TCollection* Collection, const String& ItemName) {
  WriteList(
      Path, Collection, ItemName, Collection->Count(),
      [](TExtCustomAppStorage* s, const String& P, ui::TObject* L, int I, const String& N) {
        auto* c = static_cast<ui::TCollection*>(L);
        if (I < c->Count()) s->WritePersistent(ItemPath(s, P, N, I), c->Items(I), true);
      },
      DeleteStaleItems());
  WritePersistent(Path, Collection, true);
}

// --- objects --------------------------------------------------------------------

void TExtCustomAppStorage::ReadPersistent(const String& Path, ui::TPersistent* Obj, bool Recursive, bool ClearFirst,
                                          const ui::TStrings* IgnoreProperties) {
  if (!Obj) return;
  auto* handler = dynamic_cast<IExtAppStorageHandler*>(Obj);
  if (handler) handler->ReadFromAppStorage(this, Path);
  if (handler && !dynamic_cast<IExtAppStoragePublishedProps*>(Obj)) return;
  for (const ui::TPropInfo* p : Obj->ClassInfo().Properties()) {
    const String name = rtl::Utf8ToString(p->Name);
    if (IgnoreProperties && IgnoreProperties->IndexOf(name) >= 0) continue;
    ReadPropInfo(Join(Path, TranslatePropertyName(Obj, name, true)), Obj, *p, Recursive, ClearFirst);
  }
}

void TExtCustomAppStorage::WritePersistent(const String& Path, ui::TPersistent* Obj, bool Recursive,
                                           const ui::TStrings* IgnoreProperties) {
  if (!Obj) return;
  auto* handler = dynamic_cast<IExtAppStorageHandler*>(Obj);
  if (handler) handler->WriteToAppStorage(this, Path);
  if (handler && !dynamic_cast<IExtAppStoragePublishedProps*>(Obj)) return;
  for (const ui::TPropInfo* p : Obj->ClassInfo().Properties()) {
    const String name = rtl::Utf8ToString(p->Name);
    if (IgnoreProperties && IgnoreProperties->IndexOf(name) >= 0) continue;
    WritePropInfo(Join(Path, TranslatePropertyName(Obj, name, false)), Obj, *p, Recursive);
  }
}

void TExtCustomAppStorage::ReadProperty(const String& Path, ui::TPersistent* Obj, const String& PropName,
                                        bool Recursive, bool ClearFirst) {
  if (const ui::TPropInfo* p = ui::GetPropInfo(Obj, rtl::StringToUtf8(PropName)))
    ReadPropInfo(Path, Obj, *p, Recursive, ClearFirst);
}

void TExtCustomAppStorage::WriteProperty(const String& Path, ui::TPersistent* Obj, const String& PropName,
                                         bool Recursive) {
  if (const ui::TPropInfo* p = ui::GetPropInfo(Obj, rtl::StringToUtf8(PropName)))
    WritePropInfo(Path, Obj, *p, Recursive);
}

namespace {

// An ordinal property's value in the width of its type, and back.
struct OrdinalBuffer {
  std::uint8_t bytes[kMaxSetBytes] = {};
  void From(std::int64_t v) {
    for (int i = 0; i < 8; ++i) bytes[i] = static_cast<std::uint8_t>(static_cast<std::uint64_t>(v) >> (8 * i));
  }
  std::int64_t AsMask() const {
    std::uint64_t v = 0;
    for (int i = 0; i < 8; ++i) v |= static_cast<std::uint64_t>(bytes[i]) << (8 * i);
    return static_cast<std::int64_t>(v);
  }
};

}  // namespace

void TExtCustomAppStorage::WritePropInfo(const String& Path, ui::TPersistent* Obj, const ui::TPropInfo& Prop,
                                         bool Recursive) {
  const bool storeDefaults = options_->StoreDefaultValues();
  if (!storeDefaults && !(Prop.IsReadable() && Prop.IsWritable() && ui::IsStoredProp(Obj, Prop))) return;
  if (!Prop.IsReadable()) return;
  const TTypeInfo* type = Prop.Type.get();
  switch (Prop.Kind) {
    case ui::tkInteger:
    case ui::tkChar:
    case ui::tkWChar:
    case ui::tkEnumeration: {
      const std::int64_t v = Prop.GetOrd(Obj);
      if (!storeDefaults && Prop.Default != ui::NoDefault && v == Prop.Default) return;
      OrdinalBuffer b;
      b.From(v);
      if (Prop.Kind == ui::tkEnumeration || options_->TypedIntegerAsString())
        WriteEnumeration(Path, type, b.bytes, nullptr);
      else
        WriteInteger(Path, static_cast<std::int32_t>(v));
      break;
    }
    case ui::tkSet: {
      const std::int64_t v = Prop.GetOrd(Obj);
      if (!storeDefaults && Prop.Default != ui::NoDefault && v == Prop.Default) return;
      OrdinalBuffer b;
      b.From(v);
      WriteSet(Path, type, b.bytes, nullptr);
      break;
    }
    case ui::tkFloat: {
      const double v = Prop.GetFloat(Obj);
      if (!storeDefaults && v == 0) return;
      if (Prop.IsDateTime)
        WriteDateTime(Path, v);
      else
        WriteFloat(Path, v);
      break;
    }
    case ui::tkString:
    case ui::tkLString:
    case ui::tkUString: {
      const String v = Prop.GetStr(Obj);
      if (!storeDefaults && v.empty()) return;
      WriteString(Path, v);
      break;
    }
    case ui::tkWString: {
      const String v = Prop.GetStr(Obj);
      if (!storeDefaults && v.empty()) return;
      WriteWideString(Path, v);
      break;
    }
    case ui::tkVariant: {
      const String v = rtl::VarToStr(Prop.GetVar(Obj));
      if (!storeDefaults && v.empty()) return;
      WriteString(Path, v);
      break;
    }
    case ui::tkInt64: {
      const std::int64_t v = Prop.GetOrd(Obj);
      if (!storeDefaults && v == 0) return;
      WriteString(Path, rtl::IntToStr(v));
      break;
    }
    case ui::tkClass: {
      ui::TObject* sub = Prop.GetObj(Obj);
      if (!sub) return;
      if (Recursive && StoragePropertyEngines().WriteProperty(this, Path, Obj, sub, Recursive)) return;
      if (auto* list = dynamic_cast<ui::TStrings*>(sub))
        WriteStringList(Path, list, u"Item");
      else if (!Recursive)
        return;
      else if (auto* coll = dynamic_cast<ui::TCollection*>(sub))
        WriteCollection(Path, coll, u"Item");
      else if (auto* pers = dynamic_cast<ui::TPersistent*>(sub))
        WritePersistent(Path, pers, true);
      break;
    }
    default: break;
  }
}

void TExtCustomAppStorage::ReadPropInfo(const String& Path, ui::TPersistent* Obj, const ui::TPropInfo& Prop,
                                        bool Recursive, bool ClearFirst) {
  if (!Prop.IsReadable()) return;
  const TTypeInfo* type = Prop.Type.get();
  switch (Prop.Kind) {
    case ui::tkInteger:
    case ui::tkChar:
    case ui::tkWChar:
    case ui::tkEnumeration: {
      if (!Prop.SetOrd) return;
      OrdinalBuffer value, def;
      def.From(Prop.GetOrd(Obj));
      value = def;
      ReadEnumeration(Path, type, value.bytes, def.bytes);
      Prop.SetOrd(Obj, ReadOrdinalValue(value.bytes, type->OrdType));
      break;
    }
    case ui::tkSet: {
      if (!Prop.SetOrd) return;
      OrdinalBuffer value, def;
      def.From(Prop.GetOrd(Obj));
      value = def;
      ReadSet(Path, type, value.bytes, def.bytes);
      const int size = SetInfoOf(type)->StorageSize();
      OrdinalBuffer masked;
      std::memcpy(masked.bytes, value.bytes, static_cast<std::size_t>(std::min(size, 8)));
      Prop.SetOrd(Obj, masked.AsMask());
      break;
    }
    case ui::tkFloat:
      if (!Prop.SetFloat) return;
      Prop.SetFloat(Obj, Prop.IsDateTime ? ReadDateTime(Path, Prop.GetFloat(Obj)) : ReadFloat(Path, Prop.GetFloat(Obj)));
      break;
    case ui::tkString:
    case ui::tkLString:
    case ui::tkUString:
      if (Prop.SetStr) Prop.SetStr(Obj, ReadString(Path, Prop.GetStr(Obj)));
      break;
    case ui::tkWString:
      if (Prop.SetStr) Prop.SetStr(Obj, ReadWideString(Path, Prop.GetStr(Obj)));
      break;
    case ui::tkVariant:
      if (Prop.SetVar) Prop.SetVar(Obj, rtl::Variant(ReadString(Path, rtl::VarToStr(Prop.GetVar(Obj)))));
      break;
    case ui::tkInt64:
      if (Prop.SetOrd) Prop.SetOrd(Obj, rtl::StrToInt64(ReadString(Path, rtl::IntToStr(Prop.GetOrd(Obj)))));
      break;
    case ui::tkClass: {
      ui::TObject* sub = Prop.GetObj(Obj);
      if (!sub) return;
      if (Recursive && StoragePropertyEngines().ReadProperty(this, Path, Obj, sub, Recursive, ClearFirst)) return;
      if (auto* list = dynamic_cast<ui::TStrings*>(sub))
        ReadStringList(Path, list, u"Item", ClearFirst);
      else if (!Recursive)
        return;
      else if (auto* coll = dynamic_cast<ui::TCollection*>(sub))
        ReadCollection(Path, coll, u"Item", ClearFirst);
      else if (auto* pers = dynamic_cast<ui::TPersistent*>(sub))
        ReadPersistent(Path, pers, true, ClearFirst);
      break;
    }
    default: break;
  }
}

#undef JQ_RESOLVE

}  // namespace ext
