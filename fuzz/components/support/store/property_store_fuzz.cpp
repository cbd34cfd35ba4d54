// The remembered-state property store loading a window's properties from its
// ini file, as a hand edit or another version may have left it: every kind
// of property it handles (integers, characters, Booleans, enumerations,
// sets, floats, texts, string lists, collections, sub-objects).
#include <cstddef>
#include <cstdint>
#include <memory>

#include "components/support/store/kit_property_store.h"
#include "components/support/store/kit_reg_ini_file.h"
#include "fuzz/support/fuzz_support.h"
#include "platform/classes/string_list.h"
#include "platform/classes/typinfo.h"

namespace {

class TFuzzPart : public ui::TPersistent {
  JQ_UI_CLASSINFO
 public:
  std::int32_t Size() const { return size_; }
  void SetSize(std::int32_t v) { size_ = v; }
  rtl::String Name() const { return name_; }
  void SetName(const rtl::String& v) { name_ = v; }

 private:
  std::int32_t size_ = 0;
  rtl::String name_;
};

class TFuzzItem : public ui::TCollectionItem {
  JQ_UI_CLASSINFO
 public:
  using ui::TCollectionItem::TCollectionItem;
  double Width() const { return width_; }
  void SetWidth(double v) { width_ = v; }
  std::int64_t Mode() const { return mode_; }
  void SetMode(std::int64_t v) { mode_ = v; }

 private:
  double width_ = 0;
  std::int64_t mode_ = 0;
};

class TFuzzComponent : public ui::TComponent {
  JQ_UI_CLASSINFO
 public:
  explicit TFuzzComponent(ui::TComponent* owner)
      : ui::TComponent(owner),
        items_(std::make_unique<ui::TStringList>()),
        columns_(std::make_unique<ui::TCollection>([](ui::TCollection* c) { return new TFuzzItem(c); }, this)),
        part_(std::make_unique<TFuzzPart>()) {}
  std::int32_t Count() const { return count_; }
  void SetCount(std::int32_t v) { count_ = v; }
  std::int64_t Letter() const { return letter_; }
  void SetLetter(std::int64_t v) { letter_ = v; }
  std::int64_t Checked() const { return checked_; }
  void SetChecked(std::int64_t v) { checked_ = v; }
  std::int64_t Align() const { return align_; }
  void SetAlign(std::int64_t v) { align_ = v; }
  std::int64_t Style() const { return style_; }
  void SetStyle(std::int64_t v) { style_ = v; }
  double Ratio() const { return ratio_; }
  void SetRatio(double v) { ratio_ = v; }
  double When() const { return when_; }
  void SetWhen(double v) { when_ = v; }
  rtl::String Caption() const { return caption_; }
  void SetCaption(const rtl::String& v) { caption_ = v; }
  ui::TStringList* Items() const { return items_.get(); }
  ui::TCollection* Columns() const { return columns_.get(); }
  TFuzzPart* Part() const { return part_.get(); }

 private:
  std::int32_t count_ = 0;
  std::int64_t letter_ = 0, checked_ = 0, align_ = 0, style_ = 0;
  double ratio_ = 0, when_ = 0;
  rtl::String caption_;
  std::unique_ptr<ui::TStringList> items_;
  std::unique_ptr<ui::TCollection> columns_;
  std::unique_ptr<TFuzzPart> part_;
};

}  // namespace

const ui::TClassInfo& TFuzzPart::StaticClassInfo() {
  static const ui::TClassInfo info = ui::TClassBuilder<TFuzzPart>("TFuzzPart", &ui::TPersistent::StaticClassInfo())
                                         .Integer("Size", &TFuzzPart::Size, &TFuzzPart::SetSize)
                                         .Str("Name", &TFuzzPart::Name, &TFuzzPart::SetName)
                                         .Build();
  return info;
}

const ui::TClassInfo& TFuzzItem::StaticClassInfo() {
  static const ui::TClassInfo info =
      ui::TClassBuilder<TFuzzItem>("TFuzzItem", &ui::TCollectionItem::StaticClassInfo())
          .Float("Width", &TFuzzItem::Width, &TFuzzItem::SetWidth)
          .Enum("Mode", "TFuzzMode", {"fmOff", "fmOn", "fmAuto"}, &TFuzzItem::Mode, &TFuzzItem::SetMode)
          .Build();
  return info;
}

const ui::TClassInfo& TFuzzComponent::StaticClassInfo() {
  static const ui::TClassInfo info =
      ui::TClassBuilder<TFuzzComponent>("TFuzzComponent", &ui::TComponent::StaticClassInfo())
          .Integer("Count", &TFuzzComponent::Count, &TFuzzComponent::SetCount)
          .WideChar("Letter", &TFuzzComponent::Letter, &TFuzzComponent::SetLetter)
          .Boolean("Checked", &TFuzzComponent::Checked, &TFuzzComponent::SetChecked)
          .Enum("Align", "TAlign", {"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient"},
                &TFuzzComponent::Align, &TFuzzComponent::SetAlign)
          .Set("Style", "TFontStyles", {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"}, &TFuzzComponent::Style,
               &TFuzzComponent::SetStyle)
          .Float("Ratio", &TFuzzComponent::Ratio, &TFuzzComponent::SetRatio)
          .Float("When", &TFuzzComponent::When, &TFuzzComponent::SetWhen, true)
          .Str("Caption", &TFuzzComponent::Caption, &TFuzzComponent::SetCaption)
          .Object("Items", "TStrings", &TFuzzComponent::Items, nullptr)
          .Object("Columns", "TCollection", &TFuzzComponent::Columns, nullptr)
          .Object("Part", "TFuzzPart", &TFuzzComponent::Part, nullptr)
          .Build();
  return info;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = fuzz::WriteRunFile("state.ini", std::string_view(reinterpret_cast<const char*>(data), size));
  ui::TComponent owner(nullptr);
  auto* comp = new TFuzzComponent(&owner);
  comp->SetName(u"c");
  auto* ini = new kit::TKitRegIniFile(&owner);
  ini->SetPath(rtl::FromSysPath(path));
  auto* store = new kit::TKitPropertyStore(&owner);
  store->SetRegIniFile(ini);
  store->SetSection(u"S");
  for (const char16_t* name : {u"Count", u"Letter", u"Checked", u"Align", u"Style", u"Ratio", u"When", u"Caption",
                               u"Items", u"Columns", u"Part", u"Missing"})
    store->AddProperty(comp, name);
  try {
    store->Load();
  } catch (const rtl::Exception&) {
    // Reading the file itself may fail (it is not an ini file at all).
  }
  return 0;
}
