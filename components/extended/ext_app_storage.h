// Application storage: settings kept in a tree of folders and named values
// addressed by backslash-separated paths. The base class resolves paths,
// mounts other storages under a path (sub-storages), converts typed values
// and encrypts; a medium (ext_app_storage_media.h) fills in the primitive
// operations.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <typeinfo>
#include <utility>
#include <vector>

#include "platform/classes/classes.h"
#include "components/extended/ext_component.h"
#include "platform/runtime/format_settings.h"
#include "platform/classes/string_list.h"
#include "platform/classes/typinfo.h"

namespace ext {

using rtl::String;
class TExtTranslateString;
class TExtCustomAppStorage;

// A list that owns the objects it holds (entries may be null).
class TExtObjectList : public ui::TObject {
 public:
  int Count() const { return static_cast<int>(items_.size()); }
  ui::TPersistent* Items(int Index) const { return items_.at(static_cast<std::size_t>(Index)).get(); }
  int Add(ui::TPersistent* Item) {
    items_.emplace_back(Item);
    return Count() - 1;
  }
  void Clear() { items_.clear(); }

 private:
  std::vector<std::unique_ptr<ui::TPersistent>> items_;
};

using TExtAppStorageListItemEvent = std::function<void(TExtCustomAppStorage* Sender, const String& Path,
                                                       ui::TObject* List, int Index, const String& ItemName)>;
using TExtAppStorageListDeleteEvent = std::function<void(TExtCustomAppStorage* Sender, const String& Path,
                                                         ui::TObject* List, int First, int Last,
                                                         const String& ItemName)>;
using TExtAppStorageObjectListItemCreateEvent =
    std::function<ui::TPersistent*(TExtCustomAppStorage* Sender, const String& Path, int Index)>;

// An object that loads and saves itself instead of having its published
// properties stored.
class IExtAppStorageHandler {
 public:
  virtual ~IExtAppStorageHandler() = default;
  virtual void ReadFromAppStorage(TExtCustomAppStorage* AppStorage, const String& BasePath) = 0;
  virtual void WriteToAppStorage(TExtCustomAppStorage* AppStorage, const String& BasePath) = 0;
};
// Marks a handler whose published properties are stored as well.
class IExtAppStoragePublishedProps {
 public:
  virtual ~IExtAppStoragePublishedProps() = default;
};

// Takes over the storing of particular properties.
class TExtAppStoragePropertyBaseEngine {
 public:
  virtual ~TExtAppStoragePropertyBaseEngine() = default;
  virtual bool Supports(ui::TObject* /*AObject*/, ui::TObject* /*AProperty*/) { return false; }
  virtual void ReadProperty(TExtCustomAppStorage* /*AStorage*/, const String& /*APath*/, ui::TObject* /*AObject*/,
                            ui::TObject* /*AProperty*/, bool /*Recursive*/, bool /*ClearFirst*/) {}
  virtual void WriteProperty(TExtCustomAppStorage* /*AStorage*/, const String& /*APath*/, ui::TObject* /*AObject*/,
                             ui::TObject* /*AProperty*/, bool /*Recursive*/) {}
};

// The process-wide engines, asked in registration order.
class TExtAppStoragePropertyEngineList {
 public:
  TExtAppStoragePropertyEngineList() = default;
  TExtAppStoragePropertyEngineList(const TExtAppStoragePropertyEngineList&) = delete;
  TExtAppStoragePropertyEngineList& operator=(const TExtAppStoragePropertyEngineList&) = delete;
  // Frees the engines, the last registered first.
  ~TExtAppStoragePropertyEngineList();

  template <class Engine>
  void RegisterEngine() {
    engines_.push_back(std::make_unique<Engine>());
  }
  // Frees the first engine of exactly that class.
  template <class Engine>
  void UnregisterEngine() {
    for (auto it = engines_.begin(); it != engines_.end(); ++it)
      if (typeid(**it) == typeid(Engine)) {
        engines_.erase(it);
        return;
      }
  }
  int Count() const { return static_cast<int>(engines_.size()); }
  TExtAppStoragePropertyBaseEngine* GetEngine(ui::TObject* AObject, ui::TObject* AProperty) const;
  bool ReadProperty(TExtCustomAppStorage* AStorage, const String& APath, ui::TObject* AObject,
                    ui::TObject* AProperty, bool Recursive, bool ClearFirst) const;
  bool WriteProperty(TExtCustomAppStorage* AStorage, const String& APath, ui::TObject* AObject,
                     ui::TObject* AProperty, bool Recursive) const;

 private:
  std::vector<std::unique_ptr<TExtAppStoragePropertyBaseEngine>> engines_;
};
TExtAppStoragePropertyEngineList& StoragePropertyEngines();

// Classes that object lists create from a stored "Classname".
void RegisterStorageItemClass(const String& ClassName, std::function<ui::TPersistent*()> Create);
// Identifiers for values of an integer type (such as colour names), used
// when typed integers are stored as text.
void RegisterIntegerIdents(const ui::TTypeInfo* Type, std::vector<std::pair<std::int32_t, String>> Map);

enum TExtAppStorageEnumOption { aeoFolders, aeoValues, aeoReportListAsValue, aeoReportRelative, aeoRecursive };
using TExtAppStorageEnumOptions = ui::TSet<TExtAppStorageEnumOption>;

using TExtAppStoragePropTranslateEvent =
    std::function<void(TExtCustomAppStorage* Sender, ui::TPersistent* Instance, String& Name, bool Reading)>;
using TExtAppStorageCryptEvent = std::function<void(String& Value)>;
using TExtAppStorageErrorEvent = std::function<void(TExtCustomAppStorage* Sender, const String& Value)>;

class TExtCustomAppStorageOptions : public ui::TPersistent {
  JQ_UI_CLASSINFO
 public:
  TExtCustomAppStorageOptions();
  void Assign(const ui::TPersistent* Source) override;

  bool BooleanAsString() const { return booleanAsString_; }
  virtual void SetBooleanAsString(bool Value);
  const String& BooleanStringTrueValues() const { return trueValues_; }
  virtual void SetBooleanStringTrueValues(const String& Value);
  const String& BooleanStringFalseValues() const { return falseValues_; }
  virtual void SetBooleanStringFalseValues(const String& Value);
  bool EnumerationAsString() const { return enumAsStr_; }
  virtual void SetEnumerationAsString(bool Value) { enumAsStr_ = Value; }
  bool TypedIntegerAsString() const { return intAsStr_; }
  virtual void SetTypedIntegerAsString(bool Value) { intAsStr_ = Value; }
  bool SetAsString() const { return setAsStr_; }
  virtual void SetSetAsString(bool Value) { setAsStr_ = Value; }
  bool DateTimeAsString() const { return dateTimeAsString_; }
  virtual void SetDateTimeAsString(bool Value) { dateTimeAsString_ = Value; }
  bool FloatAsString() const { return floatAsString_; }
  virtual void SetFloatAsString(bool Value) { floatAsString_ = Value; }
  bool DefaultIfReadConvertError() const { return defaultIfReadConvertError_; }
  virtual void SetDefaultIfReadConvertError(bool Value) { defaultIfReadConvertError_ = Value; }
  bool DefaultIfValueNotExists() const { return defaultIfValueNotExists_; }
  virtual void SetDefaultIfValueNotExists(bool Value) { defaultIfValueNotExists_ = Value; }
  // The value (upper-cased) is one of the comma-separated entries.
  virtual bool InValueList(const String& Value, const String& List) const;
  bool StoreStringListAsSingleString() const { return storeStringListAsSingleString_; }
  virtual void SetStoreStringListAsSingleString(bool Value) { storeStringListAsSingleString_ = Value; }
  bool UseOldItemNameFormat() const { return useOldItemNameFormat_; }
  virtual void SetUseOldItemNameFormat(bool Value) { useOldItemNameFormat_ = Value; }
  bool StoreDefaultValues() const { return storeDefaultValues_; }
  virtual void SetStoreDefaultValues(bool Value) { storeDefaultValues_ = Value; }
  bool UseTranslateStringEngineDateTimeFormats() const { return useEngineFormats_; }
  void SetUseTranslateStringEngineDateTimeFormats(bool Value) { useEngineFormats_ = Value; }

  // The first entry of each list, trimmed.
  String DefaultTrueString() const;
  String DefaultFalseString() const;
  bool IsValueTrueString(const String& Value) const { return InValueList(Value, trueValues_); }
  bool IsValueFalseString(const String& Value) const { return InValueList(Value, falseValues_); }

 private:
  String trueValues_ = u"TRUE, YES, Y";
  String falseValues_ = u"FALSE, NO, N";
  bool booleanAsString_ = true;
  bool enumAsStr_ = true;
  bool intAsStr_ = true;
  bool setAsStr_ = false;
  bool dateTimeAsString_ = true;
  bool floatAsString_ = false;
  bool defaultIfReadConvertError_ = false;
  bool defaultIfValueNotExists_ = true;
  bool storeDefaultValues_ = true;
  bool storeStringListAsSingleString_ = false;
  bool useOldItemNameFormat_ = true;
  bool useEngineFormats_ = false;
};

class TExtAppStorageOptions : public TExtCustomAppStorageOptions {
  JQ_UI_CLASSINFO
};

class TExtAppSubStorages;

class TExtAppSubStorage : public ui::TCollectionItem {
  JQ_UI_CLASSINFO
 public:
  explicit TExtAppSubStorage(ui::TCollection* Collection) : ui::TCollectionItem(Collection) {}
  ~TExtAppSubStorage() override;
  const String& RootPath() const { return rootPath_; }
  void SetRootPath(const String& Value);
  TExtCustomAppStorage* AppStorage() const { return appStorage_; }
  void SetAppStorage(TExtCustomAppStorage* Value);
  String DisplayName() const override;

 private:
  friend class TExtAppSubStorages;
  friend class TExtCustomAppStorage;
  TExtCustomAppStorage* OwnerStorage() const;
  String rootPath_;
  TExtCustomAppStorage* appStorage_ = nullptr;
};

class TExtAppSubStorages : public ui::TCollection {
  JQ_UI_CLASSINFO
 public:
  explicit TExtAppSubStorages(TExtCustomAppStorage* Owner);
  TExtAppSubStorage* Items(int Index) const { return static_cast<TExtAppSubStorage*>(ui::TCollection::Items(Index)); }
  // A failure frees the new entry and passes the error on.
  TExtAppSubStorage* Add(const String& RootPath, TExtCustomAppStorage* AppStorage);
  void Delete(int Index) { ui::TCollection::Delete(Index); }
  void Delete(const String& RootPath, bool IncludeSubPaths);
  void Delete(TExtCustomAppStorage* AppStorage);
  // The entry with the longest root path that starts Path (case-insensitive,
  // followed there by a backslash); null when none.
  TExtAppSubStorage* MatchFor(const String& NormalizedPath) const;
  TExtCustomAppStorage* Storage() const { return owner_; }
  bool RootPathIsUnique(const String& Path, const TExtAppSubStorage* Except) const;

 private:
  TExtCustomAppStorage* owner_;
};

class TExtCustomAppStorage : public TExtComponent {
  JQ_UI_CLASSINFO
 public:
  explicit TExtCustomAppStorage(ui::TComponent* AOwner);
  ~TExtCustomAppStorage() override;

  // --- paths
  static String ConcatPaths(std::initializer_list<String> Paths);
  const String& Path() const { return curPath_; }
  void SetPath(const String& Value) { curPath_ = ConcatPaths({Value}); }
  const String& StorageRoot() const { return root_; }
  String AbsolutePath(const String& Path) const;
  virtual void SplitValuePath(const String& Path, String& KeyPath, String& ValueName) const;
  void ResolvePath(const String& InPath, TExtCustomAppStorage*& TargetStore, String& TargetPath);
  bool PathExists(const String& Path);
  bool IsFolder(const String& Path, bool ListIsValue = true);
  bool ValueStored(const String& Path);
  bool ListStored(const String& Path, const String& ItemName = u"Item");
  void DeleteValue(const String& Path);
  void DeleteSubTree(const String& Path);
  void GetStoredValues(const String& Path, ui::TStringList& List,
                       TExtAppStorageEnumOptions Options = TExtAppStorageEnumOptions{aeoFolders, aeoValues});

  // --- typed values
  std::int32_t ReadInteger(const String& Path, std::int32_t Default = 0);
  void WriteInteger(const String& Path, std::int32_t Value);
  double ReadFloat(const String& Path, double Default = 0);
  void WriteFloat(const String& Path, double Value);
  String ReadString(const String& Path, const String& Default = String());
  void WriteString(const String& Path, const String& Value);
  String ReadWideString(const String& Path, const String& Default = String());
  void WriteWideString(const String& Path, const String& Value);
  int ReadBinary(const String& Path, void* Buf, int BufSize);
  void WriteBinary(const String& Path, const void* Buf, int BufSize);
  double ReadDateTime(const String& Path, double Default);
  void WriteDateTime(const String& Path, double Value);
  bool ReadBoolean(const String& Path, bool Default);
  void WriteBoolean(const String& Path, bool Value);

  // --- enumerations and sets (values kept with the width of their type)
  void ReadEnumeration(const String& Path, const ui::TTypeInfo* TypeInfo, void* Value, const void* Default);
  void WriteEnumeration(const String& Path, const ui::TTypeInfo* TypeInfo, const void* Value, const void* Default);
  void ReadSet(const String& Path, const ui::TTypeInfo* TypeInfo, void* Value, const void* Default);
  void WriteSet(const String& Path, const ui::TTypeInfo* TypeInfo, const void* Value, const void* Default);

  // --- lists (readers return the list's count)
  int ReadList(const String& Path, ui::TObject* List, const String& ItemName,
               const TExtAppStorageListItemEvent& OnReadItem);
  void WriteList(const String& Path, ui::TObject* List, const String& ItemName, int ItemCount,
                 const TExtAppStorageListItemEvent& OnWriteItem,
                 const TExtAppStorageListDeleteEvent& OnDeleteItems = {});
  int ReadStringList(const String& Path, ui::TStrings* List, const String& ItemName = u"Item",
                     bool ClearFirst = true);
  void WriteStringList(const String& Path, ui::TStrings* List, const String& ItemName = u"Item");
  int ReadWideStringList(const String& Path, ui::TStrings* List, const String& ItemName = u"Item",
                         bool ClearFirst = true);
  void WriteWideStringList(const String& Path, ui::TStrings* List, const String& ItemName = u"Item");
  int ReadObjectList(const String& Path, TExtObjectList* List, const String& ItemName = u"Item",
                     bool ClearFirst = true);
  int ReadObjectList(const String& Path, TExtObjectList* List, const TExtAppStorageObjectListItemCreateEvent& Create,
                     const String& ItemName = u"Item", bool ClearFirst = true);
  void WriteObjectList(const String& Path, TExtObjectList* List, const String& ItemName = u"Item");
  // The objects made for the strings belong to the caller.
  int ReadStringObjectList(const String& Path, ui::TStrings* List, const String& ItemName = u"Item",
                           bool ClearFirst = true);
  int ReadStringObjectList(const String& Path, ui::TStrings* List,
                           const TExtAppStorageObjectListItemCreateEvent& Create, const String& ItemName = u"Item",
                           bool ClearFirst = true);
  void WriteStringObjectList(const String& Path, ui::TStrings* List, const String& ItemName = u"Item");
  int ReadCollection(const String& Path, ui::TCollection* Collection, const String& ItemName = u"Item",
                     bool ClearFirst = true);
  void WriteCollection(const String& Path, ui::TCollection* Collection, const String& ItemName = u"Item");

  // --- objects, property by property
  void ReadPersistent(const String& Path, ui::TPersistent* Obj, bool Recursive = true, bool ClearFirst = true,
                      const ui::TStrings* IgnoreProperties = nullptr);
  void WritePersistent(const String& Path, ui::TPersistent* Obj, bool Recursive = true,
                       const ui::TStrings* IgnoreProperties = nullptr);
  // Path is the property's own path.
  void ReadProperty(const String& Path, ui::TPersistent* Obj, const String& PropName, bool Recursive,
                    bool ClearFirst);
  void WriteProperty(const String& Path, ui::TPersistent* Obj, const String& PropName, bool Recursive);

  // --- updates and versions
  void BeginUpdate();
  void EndUpdate();
  bool IsUpdating() const { return updateCount_ != 0; }
  void ReloadIfNeeded();
  void FlushIfNeeded();
  virtual void Flush() {}
  virtual void Reload() {}
  virtual bool ReloadNeeded() const { return autoReload_ && !IsUpdating(); }
  virtual bool FlushNeeded() const { return autoFlush_ && !IsUpdating(); }
  void CheckDeletePathByVersion(const String& Path, int Version, const String& VersionValueName = u"Version",
                                bool WriteNewVersion = true, bool DeleteIfDifferent = true);

  // --- encryption
  void EnablePropertyValueCrypt() { ++cryptEnabledStatus_; }
  void DisablePropertyValueCrypt() { --cryptEnabledStatus_; }
  bool IsPropertyValueCryptEnabled() const { return cryptEnabledStatus_ > 0; }
  String EncryptValue(const String& Value);
  String DecryptValue(const String& Value);

  // --- names
  virtual String GetCharName(char16_t Ch) const;
  virtual String GetIntName(std::int64_t Value) const { return u"Int_" + rtl::IntToStr(Value); }
  virtual String ItemNameIndexPath(const String& ItemName, int Index) const;
  String TranslatePropertyName(ui::TPersistent* Instance, const String& Name, bool Reading);

  // --- properties
  // The designer sees the flag as set; running, a read-only medium counts too.
  bool ReadOnly() const {
    return readOnly_ || (!ComponentState().Contains(ui::csDesigning) && IsReadOnlyMedium());
  }
  void SetReadOnly(bool Value) { readOnly_ = Value; }
  bool AutoFlush() const { return autoFlush_; }
  void SetAutoFlush(bool Value) { autoFlush_ = Value; }
  bool AutoReload() const { return autoReload_; }
  void SetAutoReload(bool Value) { autoReload_ = Value; }
  bool FlushOnDestroy() const { return flushOnDestroy_; }
  virtual void SetFlushOnDestroy(bool Value) { flushOnDestroy_ = Value; }
  TExtCustomAppStorageOptions* StorageOptions() const { return options_.get(); }
  void SetStorageOptions(TExtCustomAppStorageOptions* Value) { options_->Assign(Value); }
  TExtAppSubStorages* SubStorages() const { return subStorages_.get(); }
  TExtTranslateString* TranslateStringEngine() const { return translateEngine_; }
  void SetTranslateStringEngine(TExtTranslateString* Value);
  TExtTranslateString* ActiveTranslateStringEngine() const;
  const rtl::TFormatSettings& CurrentFormatSettings();

  TExtAppStoragePropTranslateEvent OnTranslatePropertyName;
  TExtAppStorageCryptEvent OnEncryptPropertyValue;
  TExtAppStorageCryptEvent OnDecryptPropertyValue;
  TExtAppStorageErrorEvent OnError;

  // --- typed operations on a resolved path
  virtual std::int32_t ReadIntegerAt(const String& Path, std::int32_t Default);
  virtual void WriteIntegerAt(const String& Path, std::int32_t Value);
  virtual double ReadFloatAt(const String& Path, double Default);
  virtual void WriteFloatAt(const String& Path, double Value);
  virtual String ReadStringAt(const String& Path, const String& Default);
  virtual void WriteStringAt(const String& Path, const String& Value);
  virtual int ReadBinaryAt(const String& Path, void* Buf, int BufSize);
  virtual void WriteBinaryAt(const String& Path, const void* Buf, int BufSize);
  virtual double ReadDateTimeAt(const String& Path, double Default);
  virtual void WriteDateTimeAt(const String& Path, double Value);
  virtual bool ReadBooleanAt(const String& Path, bool Default);
  virtual void WriteBooleanAt(const String& Path, bool Value);
  virtual void ReadEnumerationAt(const String& Path, const ui::TTypeInfo* TypeInfo, void* Value, const void* Default);
  virtual void WriteEnumerationAt(const String& Path, const ui::TTypeInfo* TypeInfo, const void* Value);
  virtual void ReadSetAt(const String& Path, const ui::TTypeInfo* TypeInfo, void* Value, const void* Default);
  virtual void WriteSetAt(const String& Path, const ui::TTypeInfo* TypeInfo, const void* Value);

  // --- what a medium provides (paths are resolved, "\"-led)
  virtual void EnumFolderNames(const String& KeyPath, ui::TStringList& Strings) = 0;
  virtual void EnumValueNames(const String& KeyPath, ui::TStringList& Strings, bool ReportListAsValue) = 0;
  virtual bool IsFolderAt(const String& Path, bool ListIsValue) = 0;
  virtual bool PathExistsAt(const String& Path) = 0;
  virtual bool ValueStoredAt(const String& Path) = 0;
  virtual bool ListStoredAt(const String& Path) { return ValueStoredAt(At({Path, u"Count"})); }
  virtual void DeleteValueAt(const String& Path) = 0;
  virtual void DeleteSubTreeAt(const String& Path) = 0;
  virtual std::int32_t LoadInteger(const String& Path, std::int32_t Default) = 0;
  virtual void SaveInteger(const String& Path, std::int32_t Value) = 0;
  virtual double LoadFloat(const String& Path, double Default) = 0;
  virtual void SaveFloat(const String& Path, double Value) = 0;
  virtual String LoadString(const String& Path, const String& Default) = 0;
  virtual void SaveString(const String& Path, const String& Value) = 0;
  virtual String LoadWideString(const String& Path, const String& Default);
  virtual void SaveWideString(const String& Path, const String& Value);
  virtual int LoadBinary(const String& Path, void* Buf, int BufSize) = 0;
  virtual void SaveBinary(const String& Path, const void* Buf, int BufSize) = 0;
  virtual double LoadDateTime(const String& Path, double Default) { return LoadFloat(Path, Default); }
  virtual void SaveDateTime(const String& Path, double Value) { SaveFloat(Path, Value); }
  virtual bool LoadBoolean(const String& Path, bool Default) { return LoadInteger(Path, Default ? 1 : 0) != 0; }
  virtual void SaveBoolean(const String& Path, bool Value) { SaveInteger(Path, Value ? 1 : 0); }
  virtual bool IsReadOnlyMedium() const { return false; }
  virtual String DateTimeToText(double Value);
  virtual double TextToDateTime(const String& Text);
  virtual int ReadItemCount(const String& Path) { return ReadIntegerAt(At({Path, u"Count"}), 0); }
  virtual void WriteItemCount(const String& Path, int Count) { WriteIntegerAt(At({Path, u"Count"}), Count); }
  // The joined pieces as a resolved ("\"-led) path.
  static String At(std::initializer_list<String> Paths) { return u"\\" + ConcatPaths(Paths); }

 protected:
  void Notification(ui::TComponent* AComponent, ui::TOperation Operation) override;
  void Loaded() override;
  void SetStorageRoot(const String& Value) { root_ = Value; }

 private:
  int updateCount_ = 0;
  void CollectStoredValues(const String& Prefix, const String& KeyPath, ui::TStringList& List,
                           TExtAppStorageEnumOptions Options);
  template <class T, class Fn>
  T ReadWithDefault(const String& Path, T Default, Fn Read);
  void ReadPropInfo(const String& Path, ui::TPersistent* Obj, const ui::TPropInfo& Prop, bool Recursive,
                    bool ClearFirst);
  void WritePropInfo(const String& Path, ui::TPersistent* Obj, const ui::TPropInfo& Prop, bool Recursive);
  // The item factory an object-list read installs for its items.
  TExtAppStorageObjectListItemCreateEvent currentInstanceCreateEvent_;

  rtl::TFormatSettings cachedFormatSettings_;
  String root_;
  String curPath_;
  std::unique_ptr<TExtCustomAppStorageOptions> options_;
  std::unique_ptr<TExtAppSubStorages> subStorages_;
  int cryptEnabledStatus_ = 0;
  bool autoFlush_ = false;
  bool autoReload_ = false;
  TExtTranslateString* internalEngine_ = nullptr;
  bool readOnly_ = false;
  TExtTranslateString* translateEngine_ = nullptr;
  bool flushOnDestroy_ = true;
};

}  // namespace ext
