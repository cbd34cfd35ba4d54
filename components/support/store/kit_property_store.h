// Saves chosen published properties of the components of a window to a
// TKitRegIniFile and loads them back.
#pragma once

#include "components/support/store/kit_reg_ini_file.h"

namespace kit {

class TKitPropertyStore;

class TKitPropertyItem : public ui::TCollectionItem {
 public:
  using ui::TCollectionItem::TCollectionItem;
  ui::TComponent* Component() const { return FComponent; }
  void SetComponent(ui::TComponent* Value);
  const rtl::String& PropertyName() const { return FPropertyName; }
  void SetPropertyName(const rtl::String& Value) { FPropertyName = Value; }
  // "<component>.<property>", with "<CompName>" / "<PropName>" for what is unset.
  rtl::String DisplayName() const;
  void Assign(const ui::TPersistent* Source) override;

 private:
  friend class TKitPropertyStore;
  ui::TComponent* FComponent = nullptr;
  rtl::String FPropertyName;
};

class TKitPropertyCollection : public ui::TCollection {
 public:
  explicit TKitPropertyCollection(TKitPropertyStore* Store);
  TKitPropertyStore* Store() const { return FStore; }
  TKitPropertyItem* Add() { return static_cast<TKitPropertyItem*>(ui::TCollection::Add()); }
  TKitPropertyItem* AddProperty(ui::TComponent* Component, const rtl::String& Name);
  TKitPropertyItem* Items(int Index) const { return static_cast<TKitPropertyItem*>(ui::TCollection::Items(Index)); }

 private:
  TKitPropertyStore* FStore;
};

class TKitPropertyStore : public ui::TComponent {
  JQ_UI_CLASSINFO
 public:
  explicit TKitPropertyStore(ui::TComponent* AOwner);
  ~TKitPropertyStore() override;

  TKitPropertyCollection* Properties() const { return FProperties.get(); }
  virtual void SetProperties(const TKitPropertyCollection* Value);
  TKitRegIniFile* RegIniFile() const { return FRegIniFile; }
  virtual void SetRegIniFile(TKitRegIniFile* Value);
  const rtl::String& Section() const { return FSection; }
  void SetSection(const rtl::String& Value) { FSection = Value; }

  void AddProperty(ui::TComponent* Component, const rtl::String& Name);
  // The section in use: Section, else the owning window's name + "_Properties".
  rtl::String StoreSection() const;
  virtual void Save();
  // A value that does not fit its property (an unknown identifier) leaves
  // that property as it is; the others still load.
  virtual void Load();

 protected:
  void Notification(ui::TComponent* AComponent, ui::TOperation Operation) override;

 private:
  friend class TKitPropertyItem;
  void Watch(ui::TComponent* Component);
  // Runs Each(section, key, component, property) for every listed pair that
  // can be reached; false (after the message) without a storage component.
  template <class Fn>
  bool ForEachItem(const char16_t* Verb, Fn Each);
  std::unique_ptr<TKitPropertyCollection> FProperties;
  TKitRegIniFile* FRegIniFile = nullptr;
  rtl::String FSection;
};

}  // namespace kit
