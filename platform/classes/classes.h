// Object root, persistent objects, components with owner-based lifetime,
// collections and the abstract string list that controls expose.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/runtime/exceptions.h"
#include "platform/classes/messages.h"
#include "platform/classes/typinfo.h"
#include "platform/classes/ui_types.h"

// Declares a class's run-time information; define StaticClassInfo() in the
// class's source file with TClassBuilder.
#define JQ_UI_CLASSINFO                                 \
 public:                                                \
  static const ::ui::TClassInfo& StaticClassInfo();     \
  const ::ui::TClassInfo& ClassInfo() const override {  \
    return StaticClassInfo();                           \
  }                                                     \
                                                        \
 private:

namespace ui {

class TFiler;
class TReader;
class TComponent;
// Told of each child a component stores with itself.
using TGetChildProc = std::function<void(TComponent* Child)>;

class EComponentError : public rtl::Exception {
 public:
  using rtl::Exception::Exception;
};

class TObject {
 public:
  TObject() = default;
  TObject(const TObject&) = delete;
  TObject& operator=(const TObject&) = delete;
  virtual ~TObject() = default;

  static const TClassInfo& StaticClassInfo();
  virtual const TClassInfo& ClassInfo() const { return StaticClassInfo(); }
  String ClassName() const;
  bool InheritsFrom(std::string_view className) const { return ClassInfo().InheritsFrom(className); }

  // Message dispatch for any object; controls route window messages here.
  virtual void Dispatch(TMessage& Message) { DefaultHandler(Message); }
  virtual void DefaultHandler(TMessage&) {}
};

class TPersistent : public TObject {
  JQ_UI_CLASSINFO
 public:
  // Copies Source into this object; raises EConvertError
  // "Cannot assign a <source class> to a <this class>" when neither side knows how.
  virtual void Assign(const TPersistent* Source);
  virtual TPersistent* GetOwner() const { return nullptr; }
  // Properties stored with a layout besides the published ones: call the
  // filer's DefineProperty for each (component_stream.h).
  virtual void DefineProperties(TFiler*) {}

 protected:
  virtual void AssignTo(TPersistent* Dest) const;

 private:
  [[noreturn]] void AssignError(const TPersistent* Source) const;
};

enum TComponentStateItem {
  csLoading, csReading, csWriting, csDestroying, csDesigning, csAncestor, csUpdating,
  csFixups, csFreeNotification, csInline, csDesignInstance
};
using TComponentState = TSet<TComponentStateItem>;
enum TOperation { opInsert, opRemove };

// A component belongs to its owner, which frees what it owns, newest first.
class TComponent : public TPersistent {
  JQ_UI_CLASSINFO
 public:
  explicit TComponent(TComponent* AOwner);
  ~TComponent() override;

  TComponent* Owner() const { return owner_; }
  const String& Name() const { return name_; }
  // Raises EComponentError for an invalid identifier or a name already used
  // by another component of the same owner.
  virtual void SetName(const String& NewName);
  std::intptr_t Tag() const { return tag_; }
  void SetTag(std::intptr_t Value) { tag_ = Value; }

  int ComponentCount() const { return static_cast<int>(components_.size()); }
  TComponent* Components(int Index) const;
  int ComponentIndex() const;
  // Case-insensitive; nullptr when none.
  TComponent* FindComponent(const String& AName) const;
  void InsertComponent(TComponent* AComponent);
  void RemoveComponent(TComponent* AComponent);
  // Frees every owned component, newest first.
  void DestroyComponents();

  // Asks to be told (Notification opRemove) when AComponent is freed.
  void FreeNotification(TComponent* AComponent);
  void RemoveFreeNotification(TComponent* AComponent);

  TComponentState ComponentState() const { return state_; }
  bool IsLoading() const { return state_.Contains(csLoading); }
  bool IsDestroying() const { return state_.Contains(csDestroying); }
  // Layout loading: marks this component and everything it comes to own as
  // loading; EndLoading clears the marks and calls Loaded on the owned
  // components in creation order, then on this one.
  void BeginLoading();
  void EndLoading();
  // Marks this component and all it owns as being destroyed.
  void Destroying();

  virtual void AfterConstruction();
  // Runs while the object is still whole, before its destructor: marks it
  // destroying and tells those holding weak references. Owners and Free()
  // call it; a plain delete skips the events (OnDestroy) it raises.
  virtual void BeforeDestruction();

  // The components stored inside this one in a layout stream, after its
  // properties. Root names the stream's root. None unless a class says so.
  virtual void GetChildren(const TGetChildProc& Proc, TComponent* Root);
  // A child read from a stream is placed inside the component that stored
  // it: controls take it as their parent. Others ignore it.
  virtual void SetParentComponent(TComponent*) {}
  // Reads this component's properties and children (component_stream.h);
  // a class that must steer how its children are made wraps this.
  virtual void LoadFromReader(TReader& Reader);

 protected:
  virtual void Loaded();
  // Told about components inserted into or removed from the owner, and about
  // components this one asked FreeNotification for. Forwards to owned components.
  virtual void Notification(TComponent* AComponent, TOperation Operation);
  // Start of teardown, called by the first destructor that needs it; safe to call again.
  void BeginDestroy();
  void SetComponentState(TComponentStateItem Item, bool On);

 private:
  void NotifyAll(TComponent* AComponent, TOperation Operation);

  TComponent* owner_ = nullptr;
  String name_;
  std::intptr_t tag_ = 0;
  std::vector<TComponent*> components_;
  std::vector<TComponent*> freeNotifies_;
  TComponentState state_;
  bool teardownStarted_ = false;
};

// Creates a component and finishes its construction (Loaded, OnCreate for
// forms). Layout code and frames built at run time go through here.
// Frees a component the way its owner would: BeforeDestruction, then delete.
void Free(TComponent* Component);

template <class T, class... Args>
T* Create(Args&&... args) {
  T* obj = new T(std::forward<Args>(args)...);
  try {
    obj->AfterConstruction();
  } catch (...) {
    delete obj;
    throw;
  }
  return obj;
}

class TCollection;

class TCollectionItem : public TPersistent {
  JQ_UI_CLASSINFO
 public:
  explicit TCollectionItem(TCollection* Collection);
  ~TCollectionItem() override;

  TCollection* Collection() const { return collection_; }
  void SetCollection(TCollection* Value);
  int Index() const;
  virtual void SetIndex(int Value);
  int ID() const { return id_; }
  virtual String DisplayName() const;
  virtual void SetDisplayName(const String& Value);
  TPersistent* GetOwner() const override;

 protected:
  void Changed(bool AllItems);

 private:
  friend class TCollection;
  TCollection* collection_ = nullptr;
  int id_ = 0;
};

enum TCollectionNotification { cnAdded, cnExtracting, cnDeleting };

// Owns its items. Items are made by the factory given at construction.
class TCollection : public TPersistent {
  JQ_UI_CLASSINFO
 public:
  using ItemFactory = std::function<TCollectionItem*(TCollection*)>;
  explicit TCollection(ItemFactory Factory, TPersistent* Owner = nullptr);
  ~TCollection() override;

  TCollectionItem* Add();
  TCollectionItem* Insert(int Index);
  void Delete(int Index);
  void Clear();
  int Count() const { return static_cast<int>(items_.size()); }
  // Raises EListError for an index out of bounds.
  TCollectionItem* Items(int Index) const;
  TCollectionItem* FindItemID(int ID) const;
  void BeginUpdate();
  void EndUpdate();
  int UpdateCount() const { return updateCount_; }
  void Assign(const TPersistent* Source) override;
  TPersistent* GetOwner() const override { return owner_; }

 protected:
  // Item changed (nullptr: the whole collection), called outside updates.
  virtual void Update(TCollectionItem* Item);
  virtual void Notify(TCollectionItem* Item, TCollectionNotification Action);
  void Changed();

 private:
  friend class TCollectionItem;
  void InsertItem(TCollectionItem* Item);
  void RemoveItem(TCollectionItem* Item);
  void MoveItem(int From, int To);
  void ItemChanged(TCollectionItem* Item);

  ItemFactory factory_;
  TPersistent* owner_;
  std::vector<TCollectionItem*> items_;
  int nextId_ = 0;
  int updateCount_ = 0;
};

// Abstract list of strings, each with an attached object pointer (not
// owned): the Items and Lines of controls, and the base of TStringList.
// Names and values read "name=value" lines.
class TStrings : public TPersistent {
  JQ_UI_CLASSINFO
 public:
  virtual int Count() const = 0;
  // Raise EStringListError "List index out of bounds (%d)" for a bad index.
  virtual String Get(int Index) const = 0;
  virtual void Put(int Index, const String& S);
  // Lists that keep no objects answer nullptr and ignore a store.
  virtual void* GetObject(int Index) const;
  virtual void PutObject(int Index, void* AObject);
  virtual void Insert(int Index, const String& S) = 0;
  virtual void InsertObject(int Index, const String& S, void* AObject);
  virtual void Delete(int Index) = 0;
  virtual void Clear() = 0;
  virtual int Add(const String& S);
  virtual int AddObject(const String& S, void* AObject);
  virtual void Exchange(int Index1, int Index2);
  virtual void Move(int CurIndex, int NewIndex);
  // Case-insensitive exact match; -1 when absent.
  virtual int IndexOf(const String& S) const;
  int IndexOfObject(const void* AObject) const;
  virtual int IndexOfName(const String& Name) const;

  String Strings(int Index) const { return Get(Index); }
  void SetStrings(int Index, const String& S) { Put(Index, S); }
  String operator[](int Index) const { return Get(Index); }
  void* Objects(int Index) const { return GetObject(Index); }
  void SetObjects(int Index, void* AObject) { PutObject(Index, AObject); }

  // "name=value" lines.
  String Names(int Index) const;
  String ValueFromIndex(int Index) const;
  String Values(const String& Name) const;
  // An empty value removes the line.
  void SetValues(const String& Name, const String& Value);
  char16_t NameValueSeparator = u'=';

  // Lines joined by LineBreak, each line followed by one.
  virtual String Text() const;
  // Splits at CR LF, LF or CR; a final line break adds no empty line.
  virtual void SetText(std::u16string_view Value);
  String LineBreak = u"\r\n";

  // Items separated by Delimiter; an item holding the quote character, the
  // delimiter or (unless StrictDelimiter) a character <= ' ' is quoted, with
  // inner quotes doubled. Empty items are written as "".
  String DelimitedText() const;
  // Reading: quoted items may hold anything; unquoted items end at the
  // delimiter (and, unless StrictDelimiter, at a character <= ' '). Blanks
  // between items are skipped unless StrictDelimiter.
  void SetDelimitedText(std::u16string_view Value);
  String CommaText() const;
  void SetCommaText(std::u16string_view Value);
  char16_t Delimiter = u',';
  char16_t QuoteChar = u'"';
  bool StrictDelimiter = false;

  // 8-bit files: read with the byte-order mark or, without one, as UTF-8
  // when valid, else in the system page; written in the system page with
  // CR LF line ends. Errors raise EFOpenError / EFCreateError.
  void LoadFromFile(const String& FileName);
  void SaveToFile(const String& FileName) const;

  // Strings and objects.
  void AddStrings(const TStrings* Strings);
  void AddStrings(const TStrings& Strings) { AddStrings(&Strings); }
  // Copies strings, objects and the text settings.
  void Assign(const TPersistent* Source) override;
  // The lines go with a layout as the list "Strings".
  void DefineProperties(TFiler* Filer) override;
  void Assign(const TStrings& Source) { Assign(static_cast<const TPersistent*>(&Source)); }
  std::vector<String> ToVector() const;
  void BeginUpdate();
  void EndUpdate();
  int UpdateCount() const { return updateCount_; }

 protected:
  // Called with true before the first BeginUpdate and with false after the
  // last EndUpdate.
  virtual void SetUpdateState(bool) {}
  virtual bool SameName(std::u16string_view A, std::u16string_view B) const;
  [[noreturn]] void IndexError(int Index) const;

 private:
  int updateCount_ = 0;
};

}  // namespace ui
