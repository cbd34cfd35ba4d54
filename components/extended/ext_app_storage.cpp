#include "components/extended/ext_app_storage.h"

#include "platform/runtime/codepage.h"
#include "platform/runtime/convert.h"
#include "components/extended/core/core_errors.h"
#include "components/extended/core/core_mime.h"
#include "platform/runtime/datetime.h"
#include "components/extended/ext_core_utils.h"
#include "components/extended/ext_translate_string.h"
#include "platform/classes/typinfo.h"

namespace ext {

namespace {

String FirstEntry(const String& List) {
  const std::size_t comma = List.find(u',');
  return rtl::Trim(comma == String::npos ? List : List.substr(0, comma));
}

// The form the options prefer first, the other one when it does not convert.
template <class TextFn, class MediumFn>
double TextOrMedium(bool TextFirst, TextFn Text, MediumFn Medium) {
  try {
    return TextFirst ? Text() : Medium();
  } catch (const rtl::EConvertError&) {
    return TextFirst ? Medium() : Text();
  }
}

bool StartsWithNoCase(const String& S, const String& Prefix) {
  return S.size() >= Prefix.size() && rtl::AnsiSameText(S.substr(0, Prefix.size()), Prefix);
}

}  // namespace

// --- options -------------------------------------------------------------------

TExtCustomAppStorageOptions::TExtCustomAppStorageOptions() = default;

String TExtCustomAppStorageOptions::DefaultTrueString() const { return FirstEntry(trueValues_); }
String TExtCustomAppStorageOptions::DefaultFalseString() const { return FirstEntry(falseValues_); }

void TExtCustomAppStorageOptions::SetBooleanAsString(bool Value) {
  booleanAsString_ = Value && !DefaultTrueString().empty() && !DefaultFalseString().empty();
}
void TExtCustomAppStorageOptions::SetBooleanStringTrueValues(const String& Value) {
  trueValues_ = Value;
  if (DefaultTrueString().empty()) booleanAsString_ = false;
}
void TExtCustomAppStorageOptions::SetBooleanStringFalseValues(const String& Value) {
  falseValues_ = Value;
  if (DefaultFalseString().empty()) booleanAsString_ = false;
}

bool TExtCustomAppStorageOptions::InValueList(const String& Value, const String& List) const {
  ui::TStringList entries;
  entries.SetCommaText(rtl::UpperCase(List));
  return entries.IndexOf(rtl::UpperCase(Value)) >= 0;
}

void TExtCustomAppStorageOptions::Assign(const ui::TPersistent* Source) {
  const auto* o = dynamic_cast<const TExtCustomAppStorageOptions*>(Source);
  if (!o) {
    ui::TPersistent::Assign(Source);
    return;
  }
  SetBooleanStringTrueValues(o->trueValues_);
  SetBooleanStringFalseValues(o->falseValues_);
  SetBooleanAsString(o->booleanAsString_);
  SetEnumerationAsString(o->enumAsStr_);
  SetTypedIntegerAsString(o->intAsStr_);
  SetSetAsString(o->setAsStr_);
  SetDateTimeAsString(o->dateTimeAsString_);
  SetFloatAsString(o->floatAsString_);
  SetDefaultIfReadConvertError(o->defaultIfReadConvertError_);
  SetDefaultIfValueNotExists(o->defaultIfValueNotExists_);
  SetStoreStringListAsSingleString(o->storeStringListAsSingleString_);
  SetUseOldItemNameFormat(o->useOldItemNameFormat_);
  SetStoreDefaultValues(o->storeDefaultValues_);
  SetUseTranslateStringEngineDateTimeFormats(o->useEngineFormats_);
}

const ui::TClassInfo& TExtCustomAppStorageOptions::StaticClassInfo() {
  static const ui::TClassInfo info =
      ui::TClassBuilder<TExtCustomAppStorageOptions>("TExtCustomAppStorageOptions", &ui::TPersistent::StaticClassInfo())
          .Build();
  return info;
}

const ui::TClassInfo& TExtAppStorageOptions::StaticClassInfo() {
  using T = TExtAppStorageOptions;
  static const ui::TClassInfo info =
      ui::TClassBuilder<T>("TExtAppStorageOptions", &TExtCustomAppStorageOptions::StaticClassInfo())
          .Str("BooleanStringTrueValues", &T::BooleanStringTrueValues, &T::SetBooleanStringTrueValues)
          .Str("BooleanStringFalseValues", &T::BooleanStringFalseValues, &T::SetBooleanStringFalseValues)
          .Boolean("BooleanAsString", &T::BooleanAsString, &T::SetBooleanAsString, 1)
          .Boolean("EnumerationAsString", &T::EnumerationAsString, &T::SetEnumerationAsString, 1)
          .Boolean("TypedIntegerAsString", &T::TypedIntegerAsString, &T::SetTypedIntegerAsString, 1)
          .Boolean("SetAsString", &T::SetAsString, &T::SetSetAsString, 0)
          .Boolean("DateTimeAsString", &T::DateTimeAsString, &T::SetDateTimeAsString, 1)
          .Boolean("FloatAsString", &T::FloatAsString, &T::SetFloatAsString, 0)
          .Boolean("DefaultIfReadConvertError", &T::DefaultIfReadConvertError, &T::SetDefaultIfReadConvertError, 0)
          .Boolean("DefaultIfValueNotExists", &T::DefaultIfValueNotExists, &T::SetDefaultIfValueNotExists, 1)
          .Boolean("StoreDefaultValues", &T::StoreDefaultValues, &T::SetStoreDefaultValues, 1)
          .Boolean("UseOldItemNameFormat", &T::UseOldItemNameFormat, &T::SetUseOldItemNameFormat, 1)
          .Boolean("UseTranslateStringEngineDateTimeFormats", &T::UseTranslateStringEngineDateTimeFormats,
                   &T::SetUseTranslateStringEngineDateTimeFormats, 0)
          .Build();
  return info;
}

// --- sub-storages ----------------------------------------------------------------

TExtAppSubStorages::TExtAppSubStorages(TExtCustomAppStorage* Owner)
    : ui::TCollection([](ui::TCollection* c) { return new TExtAppSubStorage(c); }, Owner), owner_(Owner) {}

const ui::TClassInfo& TExtAppSubStorages::StaticClassInfo() {
  static const ui::TClassInfo info =
      ui::TClassBuilder<TExtAppSubStorages>("TExtAppSubStorages", &ui::TCollection::StaticClassInfo()).Build();
  return info;
}

const ui::TClassInfo& TExtAppSubStorage::StaticClassInfo() {
  using T = TExtAppSubStorage;
  static const ui::TClassInfo info = ui::TClassBuilder<T>("TExtAppSubStorage", &ui::TCollectionItem::StaticClassInfo())
                                         .Str("RootPath", &T::RootPath, &T::SetRootPath)
                                         .Build();
  return info;
}

TExtAppSubStorage::~TExtAppSubStorage() { SetAppStorage(nullptr); }

TExtCustomAppStorage* TExtAppSubStorage::OwnerStorage() const {
  auto* c = dynamic_cast<TExtAppSubStorages*>(Collection());
  return c ? c->Storage() : nullptr;
}

bool TExtAppSubStorages::RootPathIsUnique(const String& Path, const TExtAppSubStorage* Except) const {
  for (int i = 0; i < Count(); ++i) {
    const TExtAppSubStorage* s = Items(i);
    if (s == Except || s->RootPath().empty()) continue;
    if (rtl::AnsiSameText(s->RootPath(), Path) || StartsWithNoCase(Path, s->RootPath() + u"\\")) return false;
  }
  return true;
}

void TExtAppSubStorage::SetRootPath(const String& Value) {
  const String path = TExtCustomAppStorage::ConcatPaths({Value});
  if (path == rootPath_) return;
  auto* c = dynamic_cast<TExtAppSubStorages*>(Collection());
  if (c && !c->RootPathIsUnique(path, this))
    throw EExtAppStorageError(u"'%s' is not a unique root path", {path});
  rootPath_ = path;
}

namespace {
bool Contains(TExtCustomAppStorage* Storage, TExtCustomAppStorage* Target, int Depth = 0) {
  if (!Storage || Depth > 64) return false;
  if (Storage == Target) return true;
  for (int i = 0; i < Storage->SubStorages()->Count(); ++i)
    if (Contains(Storage->SubStorages()->Items(i)->AppStorage(), Target, Depth + 1)) return true;
  return false;
}
}  // namespace

void TExtAppSubStorage::SetAppStorage(TExtCustomAppStorage* Value) {
  TExtCustomAppStorage* owner = OwnerStorage();
  if (Value && owner && Contains(Value, owner)) throw EExtAppStorageError(u"Circular reference of storages");
  if (Value == appStorage_) return;
  // Another entry may refer to the old storage; its notice stays then.
  bool shared = false;
  if (auto* c = dynamic_cast<TExtAppSubStorages*>(Collection()))
    for (int i = 0; i < c->Count(); ++i)
      if (c->Items(i) != this && c->Items(i)->appStorage_ == appStorage_) shared = true;
  if (appStorage_ && owner && !shared) appStorage_->RemoveFreeNotification(owner);
  appStorage_ = Value;
  if (appStorage_ && owner) appStorage_->FreeNotification(owner);
}

String TExtAppSubStorage::DisplayName() const {
  if (!rootPath_.empty() && appStorage_ && !appStorage_->Name().empty())
    return u"\\" + rootPath_ + u"=" + appStorage_->Name();
  return ui::TCollectionItem::DisplayName();
}

TExtAppSubStorage* TExtAppSubStorages::Add(const String& RootPath, TExtCustomAppStorage* AppStorage) {
  auto* item = static_cast<TExtAppSubStorage*>(ui::TCollection::Add());
  try {
    item->SetRootPath(RootPath);
    item->SetAppStorage(AppStorage);
  } catch (...) {
    delete item;
    throw;
  }
  return item;
}

void TExtAppSubStorages::Delete(const String& RootPath, bool IncludeSubPaths) {
  const String root = TExtCustomAppStorage::ConcatPaths({RootPath});
  if (root.empty()) return;
  for (int i = Count() - 1; i >= 0; --i) {
    const String& p = Items(i)->RootPath();
    if (rtl::AnsiSameText(p, root) || (IncludeSubPaths && StartsWithNoCase(p, root + u"\\"))) Delete(i);
  }
}

void TExtAppSubStorages::Delete(TExtCustomAppStorage* AppStorage) {
  for (int i = Count() - 1; i >= 0; --i)
    if (Items(i)->AppStorage() == AppStorage) Delete(i);
}

TExtAppSubStorage* TExtAppSubStorages::MatchFor(const String& NormalizedPath) const {
  TExtAppSubStorage* best = nullptr;
  for (int i = 0; i < Count(); ++i) {
    TExtAppSubStorage* s = Items(i);
    if (s->RootPath().empty()) continue;
    if (!StartsWithNoCase(NormalizedPath, s->RootPath() + u"\\")) continue;
    if (!best || s->RootPath().size() > best->RootPath().size()) best = s;
  }
  return best;
}

// --- storage -----------------------------------------------------------------------

const ui::TClassInfo& TExtCustomAppStorage::StaticClassInfo() {
  using T = TExtCustomAppStorage;
  static const ui::TClassInfo info = ui::TClassBuilder<T>("TExtCustomAppStorage", &TExtComponent::StaticClassInfo())
                                         .Boolean("AutoFlush", &T::AutoFlush, &T::SetAutoFlush, 0)
                                         .Boolean("AutoReload", &T::AutoReload, &T::SetAutoReload, 0)
                                         .Boolean("FlushOnDestroy", &T::FlushOnDestroy, &T::SetFlushOnDestroy, 1)
                                         .Boolean("ReadOnly", &T::ReadOnly, &T::SetReadOnly, 0)
                                         .Build();
  return info;
}

TExtCustomAppStorage::TExtCustomAppStorage(ui::TComponent* AOwner)
    : TExtComponent(AOwner),
      cachedFormatSettings_(rtl::FormatSettings()),
      options_(std::make_unique<TExtAppStorageOptions>()),
      subStorages_(std::make_unique<TExtAppSubStorages>(this)),
      internalEngine_(new TExtTranslateString(this)) {}

// Media flush in their own destructors (FlushOnDestroy), while they still
// are media.
TExtCustomAppStorage::~TExtCustomAppStorage() {
  // Entries let go of their storages' free notifications while the
  // collection can still name its owner.
  subStorages_->Clear();
  subStorages_.reset();
}

void TExtCustomAppStorage::Notification(ui::TComponent* AComponent, ui::TOperation Operation) {
  TExtComponent::Notification(AComponent, Operation);
  if (Operation != ui::opRemove) return;
  // Compared as components: a storage being freed is no longer one.
  if (subStorages_) {
    for (int i = subStorages_->Count() - 1; i >= 0; --i)
      if (static_cast<ui::TComponent*>(subStorages_->Items(i)->appStorage_) == AComponent) {
        subStorages_->Items(i)->appStorage_ = nullptr;
        subStorages_->Delete(i);
      }
  }
  if (AComponent == translateEngine_) translateEngine_ = nullptr;
  if (AComponent == internalEngine_) internalEngine_ = nullptr;
}

void TExtCustomAppStorage::Loaded() {
  TExtComponent::Loaded();
  if (!IsUpdating()) Reload();
}

void TExtCustomAppStorage::SetTranslateStringEngine(TExtTranslateString* Value) {
  ui::TComponent* ref = translateEngine_;
  ReplaceComponentReference(this, Value, ref);
  translateEngine_ = static_cast<TExtTranslateString*>(ref);
}

TExtTranslateString* TExtCustomAppStorage::ActiveTranslateStringEngine() const {
  return translateEngine_ ? translateEngine_ : internalEngine_;
}

String TExtCustomAppStorage::ConcatPaths(std::initializer_list<String> Paths) {
  std::vector<const String*> pieces;
  for (const String& p : Paths) {
    if (!p.empty() && p[0] == u'\\') pieces.clear();
    pieces.push_back(&p);
  }
  std::vector<String> segs;
  for (const String* p : pieces) {
    std::size_t i = 0;
    while (i <= p->size()) {
      std::size_t j = p->find(u'\\', i);
      if (j == String::npos) j = p->size();
      const String seg = p->substr(i, j - i);
      i = j + 1;
      if (seg.empty()) continue;
      if (seg.find_first_not_of(u'.') == String::npos) {
        const std::size_t drop = std::min(seg.size() - 1, segs.size());
        segs.resize(segs.size() - drop);
        continue;
      }
      segs.push_back(seg);
    }
  }
  String r;
  for (const String& s : segs) r += (r.empty() ? u"" : u"\\") + s;
  return r;
}

String TExtCustomAppStorage::AbsolutePath(const String& Path) const {
  String r = root_ + u"\\" + ConcatPaths({curPath_, Path});
  while (!r.empty() && r[0] == u'\\') r.erase(0, 1);
  return r;
}

void TExtCustomAppStorage::SplitValuePath(const String& Path, String& KeyPath, String& ValueName) const {
  const String abs = AbsolutePath(Path);
  const std::size_t p = abs.rfind(u'\\');
  if (p == String::npos) {
    KeyPath.clear();
    ValueName = abs;
  } else {
    KeyPath = abs.substr(0, p);
    ValueName = abs.substr(p + 1);
  }
}

void TExtCustomAppStorage::ResolvePath(const String& InPath, TExtCustomAppStorage*& TargetStore, String& TargetPath) {
  const String normal = ConcatPaths({curPath_, InPath});
  TargetPath = u"\\" + normal;
  TargetStore = this;
  TExtAppSubStorage* sub = subStorages_->MatchFor(normal);
  if (!sub || !sub->AppStorage()) {
    // The root itself, without anything below it.
    for (int i = 0; i < subStorages_->Count(); ++i)
      if (subStorages_->Items(i)->AppStorage() && !normal.empty() &&
          rtl::AnsiSameText(subStorages_->Items(i)->RootPath(), normal))
        throw EExtAppStorageError(u"Invalid path");
    return;
  }
  const String rest = ConcatPaths({normal.substr(sub->RootPath().size() + 1)});
  if (rest.empty()) throw EExtAppStorageError(u"Invalid path");
  TargetStore = sub->AppStorage();
  TargetPath = u"\\" + rest;
}

#define JQ_RESOLVE(path)             \
  TExtCustomAppStorage* store = nullptr; \
  String at;                         \
  ResolvePath(path, store, at)

bool TExtCustomAppStorage::PathExists(const String& Path) {
  JQ_RESOLVE(Path);
  return store->PathExistsAt(at);
}
bool TExtCustomAppStorage::IsFolder(const String& Path, bool ListIsValue) {
  JQ_RESOLVE(Path);
  return store->IsFolderAt(at, ListIsValue);
}
bool TExtCustomAppStorage::ValueStored(const String& Path) {
  JQ_RESOLVE(Path);
  return store->ValueStoredAt(at);
}
bool TExtCustomAppStorage::ListStored(const String& Path, const String&) {
  JQ_RESOLVE(Path);
  return store->ListStoredAt(at);
}
void TExtCustomAppStorage::DeleteValue(const String& Path) {
  JQ_RESOLVE(Path);
  if (!store->ReadOnly()) store->DeleteValueAt(at);
}
void TExtCustomAppStorage::DeleteSubTree(const String& Path) {
  JQ_RESOLVE(Path);
  if (!store->ReadOnly()) store->DeleteSubTreeAt(at);
}

std::int32_t TExtCustomAppStorage::ReadInteger(const String& Path, std::int32_t Default) {
  JQ_RESOLVE(Path);
  return store->ReadIntegerAt(at, Default);
}
void TExtCustomAppStorage::WriteInteger(const String& Path, std::int32_t Value) {
  JQ_RESOLVE(Path);
  if (!store->ReadOnly()) store->WriteIntegerAt(at, Value);
}
double TExtCustomAppStorage::ReadFloat(const String& Path, double Default) {
  JQ_RESOLVE(Path);
  return store->ReadFloatAt(at, Default);
}
void TExtCustomAppStorage::WriteFloat(const String& Path, double Value) {
  JQ_RESOLVE(Path);
  if (!store->ReadOnly()) store->WriteFloatAt(at, Value);
}
String TExtCustomAppStorage::ReadString(const String& Path, const String& Default) {
  JQ_RESOLVE(Path);
  return store->ReadStringAt(at, Default);
}
void TExtCustomAppStorage::WriteString(const String& Path, const String& Value) {
  JQ_RESOLVE(Path);
  if (!store->ReadOnly()) store->WriteStringAt(at, Value);
}
int TExtCustomAppStorage::ReadBinary(const String& Path, void* Buf, int BufSize) {
  JQ_RESOLVE(Path);
  return store->ReadBinaryAt(at, Buf, BufSize);
}
void TExtCustomAppStorage::WriteBinary(const String& Path, const void* Buf, int BufSize) {
  JQ_RESOLVE(Path);
  if (!store->ReadOnly()) store->WriteBinaryAt(at, Buf, BufSize);
}
double TExtCustomAppStorage::ReadDateTime(const String& Path, double Default) {
  JQ_RESOLVE(Path);
  return store->ReadDateTimeAt(at, Default);
}
void TExtCustomAppStorage::WriteDateTime(const String& Path, double Value) {
  JQ_RESOLVE(Path);
  if (!store->ReadOnly()) store->WriteDateTimeAt(at, Value);
}
bool TExtCustomAppStorage::ReadBoolean(const String& Path, bool Default) {
  JQ_RESOLVE(Path);
  return store->ReadBooleanAt(at, Default);
}
void TExtCustomAppStorage::WriteBoolean(const String& Path, bool Value) {
  JQ_RESOLVE(Path);
  if (!store->ReadOnly()) store->WriteBooleanAt(at, Value);
}

// Wide strings travel as UTF-8 through the string operations, resolved and
// encrypted the same way in both directions.
String TExtCustomAppStorage::ReadWideString(const String& Path, const String& Default) {
  return LoadWideString(Path, Default);
}
void TExtCustomAppStorage::WriteWideString(const String& Path, const String& Value) { SaveWideString(Path, Value); }
String TExtCustomAppStorage::LoadWideString(const String& Path, const String& Default) {
  return ReadString(Path, Default);
}
void TExtCustomAppStorage::SaveWideString(const String& Path, const String& Value) { WriteString(Path, Value); }

template <class T, class Fn>
T TExtCustomAppStorage::ReadWithDefault(const String& Path, T Default, Fn Read) {
  if (options_->DefaultIfValueNotExists() && !ValueStoredAt(Path)) return Default;
  try {
    return Read();
  } catch (const rtl::EConvertError&) {
    if (options_->DefaultIfReadConvertError()) return Default;
    throw;
  }
}

std::int32_t TExtCustomAppStorage::ReadIntegerAt(const String& Path, std::int32_t Default) {
  return ReadWithDefault(Path, Default, [&] { return LoadInteger(Path, Default); });
}
void TExtCustomAppStorage::WriteIntegerAt(const String& Path, std::int32_t Value) { SaveInteger(Path, Value); }

String TExtCustomAppStorage::ReadStringAt(const String& Path, const String& Default) {
  return ReadWithDefault(Path, Default, [&] { return DecryptValue(LoadString(Path, EncryptValue(Default))); });
}
void TExtCustomAppStorage::WriteStringAt(const String& Path, const String& Value) {
  SaveString(Path, EncryptValue(Value));
}

double TExtCustomAppStorage::ReadFloatAt(const String& Path, double Default) {
  return ReadWithDefault(Path, Default, [&] {
    return TextOrMedium(
        options_->FloatAsString(), [&] { return rtl::StrToFloat(ReadStringAt(Path, rtl::FloatToStr(Default))); },
        [&] { return LoadFloat(Path, Default); });
  });
}
void TExtCustomAppStorage::WriteFloatAt(const String& Path, double Value) {
  if (options_->FloatAsString())
    WriteStringAt(Path, rtl::FloatToStr(Value));
  else
    SaveFloat(Path, Value);
}

double TExtCustomAppStorage::ReadDateTimeAt(const String& Path, double Default) {
  return ReadWithDefault(Path, Default, [&] {
    return TextOrMedium(
        options_->DateTimeAsString(), [&] { return TextToDateTime(ReadStringAt(Path, DateTimeToText(Default))); },
        [&] { return LoadDateTime(Path, Default); });
  });
}
void TExtCustomAppStorage::WriteDateTimeAt(const String& Path, double Value) {
  if (options_->DateTimeAsString())
    WriteStringAt(Path, DateTimeToText(Value));
  else
    SaveFloat(Path, Value);
}

bool TExtCustomAppStorage::ReadBooleanAt(const String& Path, bool Default) {
  return ReadWithDefault(Path, Default, [&]() -> bool {
    if (!options_->BooleanAsString()) return LoadBoolean(Path, Default);
    try {
      const String s = ReadStringAt(
          Path, Default ? options_->DefaultTrueString() : options_->DefaultFalseString());
      if (options_->IsValueTrueString(s)) return true;
      if (options_->IsValueFalseString(s)) return false;
    } catch (const rtl::EConvertError&) {
    }
    return LoadBoolean(Path, Default);
  });
}
void TExtCustomAppStorage::WriteBooleanAt(const String& Path, bool Value) {
  if (options_->BooleanAsString())
    WriteStringAt(Path, Value ? options_->DefaultTrueString() : options_->DefaultFalseString());
  else
    SaveBoolean(Path, Value);
}

int TExtCustomAppStorage::ReadBinaryAt(const String& Path, void* Buf, int BufSize) {
  return LoadBinary(Path, Buf, BufSize);
}
void TExtCustomAppStorage::WriteBinaryAt(const String& Path, const void* Buf, int BufSize) {
  SaveBinary(Path, Buf, BufSize);
}

// The handler's result is kept as UTF-8 before Base64, so text outside the
// system page survives the round trip.
String TExtCustomAppStorage::EncryptValue(const String& Value) {
  if (!OnEncryptPropertyValue || !IsPropertyValueCryptEnabled()) return Value;
  String s = Value;
  OnEncryptPropertyValue(s);
  return rtl::AnsiToString(EncodeText(rtl::StringToUtf8(s)));
}

String TExtCustomAppStorage::DecryptValue(const String& Value) {
  if (!OnDecryptPropertyValue || !IsPropertyValueCryptEnabled()) return Value;
  String s = rtl::Utf8ToString(DecodeText(rtl::StringToAnsi(Value)));
  OnDecryptPropertyValue(s);
  return s;
}

const rtl::TFormatSettings& TExtCustomAppStorage::CurrentFormatSettings() {
  if (!IsUpdating()) {
    cachedFormatSettings_ = rtl::TFormatSettings::FromLocale();
    if (TExtTranslateString* e = ActiveTranslateStringEngine()) {
      if (!e->DateFormat().empty()) {
        cachedFormatSettings_.ShortDateFormat = e->DateFormat();
        cachedFormatSettings_.LongDateFormat = e->DateFormat();
      }
      if (!e->TimeFormat().empty()) {
        cachedFormatSettings_.ShortTimeFormat = e->TimeFormat();
        cachedFormatSettings_.LongTimeFormat = e->TimeFormat();
      }
    }
  }
  return cachedFormatSettings_;
}

String TExtCustomAppStorage::DateTimeToText(double Value) {
  if (options_->UseTranslateStringEngineDateTimeFormats())
    return rtl::FormatDateTime(u"c", Value, CurrentFormatSettings());
  return rtl::FormatDateTime(u"c", Value, rtl::FormatSettings());
}

double TExtCustomAppStorage::TextToDateTime(const String& Text) {
  rtl::TDateTime v = 0;
  if (options_->UseTranslateStringEngineDateTimeFormats() &&
      rtl::TryStrToDateTime(Text, v, CurrentFormatSettings()))
    return v;
  return rtl::StrToDateTime(Text);
}

void TExtCustomAppStorage::BeginUpdate() {
  CurrentFormatSettings();
  ReloadIfNeeded();
  ++updateCount_;
  for (int i = 0; i < subStorages_->Count(); ++i)
    if (auto* s = subStorages_->Items(i)->AppStorage()) s->BeginUpdate();
}

void TExtCustomAppStorage::EndUpdate() {
  for (int i = 0; i < subStorages_->Count(); ++i)
    if (auto* s = subStorages_->Items(i)->AppStorage()) s->EndUpdate();
  if (updateCount_ > 0) --updateCount_;
  FlushIfNeeded();
}

void TExtCustomAppStorage::ReloadIfNeeded() {
  if (ReloadNeeded()) Reload();
}
void TExtCustomAppStorage::FlushIfNeeded() {
  if (FlushNeeded()) Flush();
}

void TExtCustomAppStorage::CheckDeletePathByVersion(const String& Path, int Version, const String& VersionValueName,
                                                    bool WriteNewVersion, bool DeleteIfDifferent) {
  JQ_RESOLVE(Path);
  if (store->ReadOnly() || VersionValueName.empty()) return;
  store->BeginUpdate();
  try {
    const String valuePath = At({at, VersionValueName});
    const int stored = store->ReadIntegerAt(valuePath, 0);
    if ((DeleteIfDifferent && stored != Version) || stored < Version) store->DeleteSubTreeAt(at);
    if (stored != Version && WriteNewVersion) store->WriteIntegerAt(valuePath, Version);
  } catch (...) {
    store->EndUpdate();
    throw;
  }
  store->EndUpdate();
}

#undef JQ_RESOLVE

String TExtCustomAppStorage::GetCharName(char16_t Ch) const {
  // A backslash would split a path, so it is named by number; so are the
  // small letters, whose names would meet the capitals' in media that
  // ignore case.
  if (Ch >= u'!' && Ch <= u'z' && Ch != u'\\' && !(Ch >= u'a' && Ch <= u'z')) return String(u"Char_") + Ch;
  return u"Char#" + rtl::IntToStr(Ch);
}

String TExtCustomAppStorage::ItemNameIndexPath(const String& ItemName, int Index) const {
  if (options_->UseOldItemNameFormat()) return ItemName + rtl::IntToStr(Index);
  return ItemName + u"[" + rtl::IntToStr(Index) + u"]";
}

String TExtCustomAppStorage::TranslatePropertyName(ui::TPersistent* Instance, const String& Name, bool Reading) {
  String r = Name;
  if (OnTranslatePropertyName) OnTranslatePropertyName(this, Instance, r, Reading);
  return r;
}

void TExtCustomAppStorage::CollectStoredValues(const String& Prefix, const String& KeyPath, ui::TStringList& List,
                                               TExtAppStorageEnumOptions Options) {
  const String prefix = Prefix == u"\\" ? String() : Prefix;
  auto addFlag = [&](const String& name, std::uintptr_t flag) {
    const int i = List.IndexOf(name);
    if (i < 0)
      List.AddObject(name, reinterpret_cast<void*>(flag));
    else
      List.SetObjects(i, reinterpret_cast<void*>(reinterpret_cast<std::uintptr_t>(List.Objects(i)) | flag));
  };
  if (Options.Contains(aeoValues)) {
    ui::TStringList names;
    EnumValueNames(KeyPath, names, Options.Contains(aeoReportListAsValue));
    for (int i = 0; i < names.Count(); ++i) {
      if (names[i].empty())
        addFlag(prefix.empty() ? prefix : prefix.substr(0, prefix.size() - 1), 2);
      else
        addFlag(prefix + names[i], 2);
    }
  }
  ui::TStringList folders;
  EnumFolderNames(KeyPath, folders);
  for (int i = 0; i < folders.Count(); ++i) {
    const String sub = At({KeyPath, folders[i]});
    if (Options.Contains(aeoFolders) && IsFolderAt(sub, Options.Contains(aeoReportListAsValue)))
      addFlag(prefix + folders[i], 1);
    if (Options.Contains(aeoRecursive)) CollectStoredValues(prefix + folders[i] + u"\\", sub, List, Options);
  }
}

void TExtCustomAppStorage::GetStoredValues(const String& Path, ui::TStringList& List,
                                           TExtAppStorageEnumOptions Options) {
  List.BeginUpdate();
  try {
    List.Clear();
    TExtCustomAppStorage* store = nullptr;
    String at;
    ResolvePath(Path, store, at);
    const bool relative = Options.Contains(aeoReportRelative);
    const String prefix = relative ? String() : ConcatPaths({curPath_, Path}) + u"\\";
    store->CollectStoredValues(prefix, at, List, Options);
    if (!relative) {
      const int own = List.IndexOf(ConcatPaths({curPath_, Path}));
      if (own >= 0) List.Delete(own);
    }
  } catch (...) {
    List.EndUpdate();
    throw;
  }
  List.EndUpdate();
}

}  // namespace ext
