#include "components/support/store/kit_property_store.h"

#include <algorithm>

#include "platform/classes/string_list.h"
#include "platform/runtime/format.h"
#include "platform/classes/typinfo.h"
#include "platform/ui/ui.h"

namespace kit {

namespace {

using ui::TObject;
using ui::TPropInfo;

std::string Utf8(const rtl::String& s) { return rtl::StringToUtf8(s); }
rtl::String Text(const std::string& s) { return rtl::Utf8ToString(s); }

bool IsIntegerLike(ui::TTypeKind Kind) {
  return Kind == ui::tkInteger || Kind == ui::tkChar || Kind == ui::tkWChar;
}

// Properties that are written as one value (not objects, not the kinds left out).
bool IsSimple(const TPropInfo& P) {
  return IsIntegerLike(P.Kind) || P.Kind == ui::tkEnumeration || P.Kind == ui::tkFloat || P.IsString() ||
         P.Kind == ui::tkSet;
}

void WriteSimple(TKitRegIniFile& Ini, const rtl::String& Section, const rtl::String& Key, const TObject* Obj,
                 const TPropInfo& P) {
  if (IsIntegerLike(P.Kind))
    Ini.WriteInteger(Section, Key, static_cast<std::int32_t>(P.GetOrd(Obj)));
  else if (P.Kind == ui::tkEnumeration)
    Ini.WriteString(Section, Key, Text(ui::GetEnumName(P, P.GetOrd(Obj))));
  else if (P.Kind == ui::tkFloat)
    Ini.WriteFloat(Section, Key, P.GetFloat(Obj));
  else if (P.IsString())
    Ini.WriteString(Section, Key, P.GetStr(Obj));
  else if (P.Kind == ui::tkSet)
    Ini.WriteString(Section, Key, Text(ui::SetToString(P, P.GetOrd(Obj), false)));
}

void ReadSimple(TKitRegIniFile& Ini, const rtl::String& Section, const rtl::String& Key, TObject* Obj,
                const TPropInfo& P) {
  if (IsIntegerLike(P.Kind)) {
    P.SetOrd(Obj, Ini.ReadInteger(Section, Key, 0));
  } else if (P.Kind == ui::tkEnumeration) {
    const int v = ui::GetEnumValue(P, Utf8(Ini.ReadString(Section, Key, rtl::String())));
    if (v < 0) throw rtl::EPropertyError(u"Invalid property value");
    P.SetOrd(Obj, v);
  } else if (P.Kind == ui::tkFloat) {
    P.SetFloat(Obj, Ini.ReadFloat(Section, Key, 0));
  } else if (P.IsString()) {
    P.SetStr(Obj, Ini.ReadString(Section, Key, rtl::String()));
  } else if (P.Kind == ui::tkSet) {
    P.SetOrd(Obj, ui::StringToSet(P, Utf8(Ini.ReadString(Section, Key, rtl::String()))));
  }
}

// Sub-properties of an object that is not a component: simple kinds only,
// alphabetical.
void SaveNested(TKitRegIniFile& Ini, const rtl::String& Section, const rtl::String& Prefix, const TObject* Obj) {
  for (const TPropInfo* p : Obj->ClassInfo().SortedProperties())
    if (IsSimple(*p) && p->IsReadable()) WriteSimple(Ini, Section, Prefix + u"." + Text(p->Name), Obj, *p);
}

void LoadNested(TKitRegIniFile& Ini, const rtl::String& Section, const rtl::String& Prefix, TObject* Obj) {
  for (const TPropInfo* p : Obj->ClassInfo().SortedProperties()) {
    const rtl::String key = Prefix + u"." + Text(p->Name);
    if (IsSimple(*p) && p->IsWritable() && Ini.ValueExists(Section, key)) ReadSimple(Ini, Section, key, Obj, *p);
  }
}

rtl::String ItemKey(const rtl::String& Key, int Index) { return rtl::Format(u"%s[%d]", {Key, Index}); }

// The item count stored for a list or collection. A saved list gives each
// item at least one value, so a count above the section's values comes from
// an edited or damaged file; taken as it stands, "x_Count=2000000000" would
// have the load add items until memory runs out.
int StoredItemCount(TKitRegIniFile& Ini, const rtl::String& Section, const rtl::String& Key) {
  const int n = Ini.ReadInteger(Section, Key + u"_Count", 0);
  if (n <= 0) return 0;
  ui::TStringList values;
  Ini.ReadSection(Section, values);
  return std::min(n, values.Count());
}

}  // namespace

// --- items -----------------------------------------------------------------------

void TKitPropertyItem::SetComponent(ui::TComponent* Value) {
  FComponent = Value;
  if (auto* c = static_cast<TKitPropertyCollection*>(Collection()); c && c->Store() && Value)
    c->Store()->Watch(Value);
}

rtl::String TKitPropertyItem::DisplayName() const {
  rtl::String comp = FComponent && !FComponent->Name().empty() ? FComponent->Name() : rtl::String(u"<CompName>");
  return comp + u"." + (FPropertyName.empty() ? rtl::String(u"<PropName>") : FPropertyName);
}

void TKitPropertyItem::Assign(const ui::TPersistent* Source) {
  if (auto* s = dynamic_cast<const TKitPropertyItem*>(Source)) {
    SetComponent(s->FComponent);
    FPropertyName = s->FPropertyName;
    return;
  }
  ui::TCollectionItem::Assign(Source);
}

TKitPropertyCollection::TKitPropertyCollection(TKitPropertyStore* Store)
    : ui::TCollection([](ui::TCollection* c) { return new TKitPropertyItem(c); }, Store), FStore(Store) {}

TKitPropertyItem* TKitPropertyCollection::AddProperty(ui::TComponent* Component, const rtl::String& Name) {
  TKitPropertyItem* item = Add();
  item->SetComponent(Component);
  item->SetPropertyName(Name);
  return item;
}

// --- store -----------------------------------------------------------------------

const ui::TClassInfo& TKitPropertyStore::StaticClassInfo() {
  static const ui::TClassInfo info =
      ui::TClassBuilder<TKitPropertyStore>("TKitPropertyStore", &ui::TComponent::StaticClassInfo())
          .Str("Section", &TKitPropertyStore::Section, &TKitPropertyStore::SetSection)
          .Build();
  return info;
}

TKitPropertyStore::TKitPropertyStore(ui::TComponent* AOwner)
    : ui::TComponent(AOwner), FProperties(std::make_unique<TKitPropertyCollection>(this)) {}

TKitPropertyStore::~TKitPropertyStore() = default;

void TKitPropertyStore::SetProperties(const TKitPropertyCollection* Value) { FProperties->Assign(Value); }

void TKitPropertyStore::SetRegIniFile(TKitRegIniFile* Value) {
  FRegIniFile = Value;
  if (Value) FreeNotification(Value);
}

void TKitPropertyStore::Watch(ui::TComponent* Component) { FreeNotification(Component); }

void TKitPropertyStore::AddProperty(ui::TComponent* Component, const rtl::String& Name) {
  FProperties->AddProperty(Component, Name);
}

void TKitPropertyStore::Notification(ui::TComponent* AComponent, ui::TOperation Operation) {
  ui::TComponent::Notification(AComponent, Operation);
  if (Operation != ui::opRemove) return;
  if (AComponent == FRegIniFile) FRegIniFile = nullptr;
  // A listed component that goes is forgotten, so no later save or load reaches it.
  for (int i = 0; i < FProperties->Count(); ++i)
    if (FProperties->Items(i)->FComponent == AComponent) FProperties->Items(i)->FComponent = nullptr;
}

rtl::String TKitPropertyStore::StoreSection() const {
  if (!FSection.empty()) return FSection;
  if (auto* form = dynamic_cast<ui::TCustomForm*>(Owner()))
    return (form->Name().empty() ? form->ClassName() : form->Name()) + u"_Properties";
  return u"Properties";
}

template <class Fn>
bool TKitPropertyStore::ForEachItem(const char16_t* Verb, Fn Each) {
  if (!FRegIniFile) {
    ui::ShowError(rtl::String(u"Cannot ") + Verb + u" property settings--No TKitRegIniFile component specified",
                  ui::Application ? ui::Application->Title() : rtl::String());
    return false;
  }
  const rtl::String section = StoreSection();
  for (int i = 0; i < FProperties->Count(); ++i) {
    TKitPropertyItem* item = FProperties->Items(i);
    ui::TComponent* comp = item->FComponent;
    if (!comp || item->FPropertyName.empty()) continue;
    const TPropInfo* p = comp->ClassInfo().FindProp(Utf8(item->FPropertyName));
    if (!p) continue;
    Each(section, comp->Name() + u"." + item->FPropertyName, comp, *p);
  }
  return true;
}

void TKitPropertyStore::Save() {
  ForEachItem(u"save", [this](const rtl::String& section, const rtl::String& key, ui::TComponent* comp,
                              const TPropInfo& prop) {
    const TPropInfo* p = &prop;
    if (!p->IsReadable()) return;
    if (p->Kind != ui::tkClass) {
      WriteSimple(*FRegIniFile, section, key, comp, *p);
      return;
    }
    TObject* obj = p->GetObj ? p->GetObj(comp) : nullptr;
    if (!obj || dynamic_cast<ui::TComponent*>(obj)) return;
    if (auto* coll = dynamic_cast<ui::TCollection*>(obj)) {
      if (coll->Count() > 0) FRegIniFile->WriteInteger(section, key + u"_Count", coll->Count());
      for (int k = 0; k < coll->Count(); ++k) SaveNested(*FRegIniFile, section, ItemKey(key, k), coll->Items(k));
    } else if (auto* list = dynamic_cast<ui::TStrings*>(obj)) {
      if (list->Count() > 0) FRegIniFile->WriteInteger(section, key + u"_Count", list->Count());
      for (int k = 0; k < list->Count(); ++k) FRegIniFile->WriteString(section, ItemKey(key, k), list->Strings(k));
    } else {
      SaveNested(*FRegIniFile, section, key, obj);
    }
  });
}

void TKitPropertyStore::Load() {
  ForEachItem(u"load", [this](const rtl::String& section, const rtl::String& key, ui::TComponent* comp,
                              const TPropInfo& prop) {
    const TPropInfo* p = &prop;
    try {
      if (p->Kind != ui::tkClass) {
        if (p->IsWritable() && FRegIniFile->ValueExists(section, key)) ReadSimple(*FRegIniFile, section, key, comp, *p);
        return;
      }
      TObject* obj = p->GetObj ? p->GetObj(comp) : nullptr;
      if (!obj || dynamic_cast<ui::TComponent*>(obj)) return;
      if (auto* coll = dynamic_cast<ui::TCollection*>(obj)) {
        const int n = StoredItemCount(*FRegIniFile, section, key);
        if (n <= 0) return;
        coll->Clear();
        for (int k = 0; k < n; ++k) LoadNested(*FRegIniFile, section, ItemKey(key, k), coll->Add());
      } else if (auto* list = dynamic_cast<ui::TStrings*>(obj)) {
        const int n = StoredItemCount(*FRegIniFile, section, key);
        if (n <= 0) return;
        list->Clear();
        for (int k = 0; k < n; ++k) list->Add(FRegIniFile->ReadString(section, ItemKey(key, k), rtl::String()));
      } else {
        LoadNested(*FRegIniFile, section, key, obj);
      }
    } catch (const rtl::EPropertyError&) {
      // One unusable value (a hand-edited or foreign file) costs only its property.
    } catch (const rtl::EConvertError&) {
    }
  });
}

}  // namespace kit
