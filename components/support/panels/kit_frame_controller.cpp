#include "components/support/panels/kit_frame_controller.h"

#include <algorithm>

#include "platform/classes/scoped_change.h"

namespace kit {
namespace {

const char* const kPropNames[16] = {
    "Color",         "FocusColor",    "DisabledColor", "ReadOnlyColor", "ReadOnlyColorOnFocus", "ParentColor",
    "FlatButtonColor", "FlatButtons", "FrameColor",    "FrameHotColor", "FrameHotTrack",        "FrameHotStyle",
    "FrameSides",    "FrameStyle",    "FrameVisible",  "FramingPreference"};

// Order in which a full update sets the connected properties (Color only
// when the controller does not follow its parent's colour).
constexpr int kFullOrder[16] = {fcpParentColor,     fcpColor,           fcpDisabledColor, fcpReadOnlyColor,
                                fcpReadOnlyColorOnFocus, fcpFocusColor, fcpFlatButtonColor, fcpFlatButtons,
                                fcpFrameColor,      fcpFrameHotColor,   fcpFrameHotTrack, fcpFrameHotStyle,
                                fcpFrameSides,      fcpFrameStyle,      fcpFrameVisible,  fcpFramingPreference};

const char16_t* kSideKeys[4] = {u"FrameSides_Left", u"FrameSides_Top", u"FrameSides_Right", u"FrameSides_Bottom"};

}  // namespace

const std::vector<std::string>& FrameControllerNotificationNames() {
  static const std::vector<std::string> names{
      "fcpColor",        "fcpFocusColor",   "fcpDisabledColor", "fcpReadOnlyColor", "fcpReadOnlyColorOnFocus",
      "fcpParentColor",  "fcpFlatButtonColor", "fcpFlatButtons", "fcpFrameColor",   "fcpFrameHotColor",
      "fcpFrameHotTrack", "fcpFrameHotStyle", "fcpFrameSides",   "fcpFrameStyle",    "fcpFrameVisible",
      "fcpFramingPreference", "fcpAll"};
  return names;
}

const ui::TClassInfo& TKitFrameController::StaticClassInfo() {
  using C = TKitFrameController;
  static const ui::TClassInfo info =
      ui::TClassBuilder<C>("TKitFrameController", &ui::TComponent::StaticClassInfo())
          .Integer("Color", &C::Color, &C::SetColor, ui::clWindow)
          .Integer("DisabledColor", &C::DisabledColor, &C::SetDisabledColor, ui::clBtnFace)
          .Integer("FlatButtonColor", &C::FlatButtonColor, &C::SetFlatButtonColor, ui::clBtnFace)
          .Boolean("FlatButtons", &C::FlatButtons, &C::SetFlatButtons, 1)
          .Integer("FocusColor", &C::FocusColor, &C::SetFocusColor, ui::clWindow)
          .Integer("FrameColor", &C::FrameColor, &C::SetFrameColor, ui::clBtnShadow)
          .Integer("FrameHotColor", &C::FrameHotColor, &C::SetFrameHotColor, ui::clBtnShadow)
          .Enum("FrameHotStyle", "TFrameStyle", FrameStyleNames(), &C::FrameHotStyle, &C::SetFrameHotStyle,
                fsFlatBold)
          .Boolean("FrameHotTrack", &C::FrameHotTrack, &C::SetFrameHotTrack, 0)
          .Set("FrameSides", "TSides", SideNames(), &C::FrameSidesBits, &C::SetFrameSidesBits)
          .Enum("FrameStyle", "TFrameStyle", FrameStyleNames(), &C::FrameStyle, &C::SetFrameStyle, fsFlat)
          .Boolean("FrameVisible", &C::FrameVisible, &C::SetFrameVisible, 0)
          .Enum("FramingPreference", "TFramingPreference", {"fpCustomFraming", "fpXPThemes"},
                &C::FramingPreference, &C::SetFramingPreference, fpXPThemes)
          .Boolean("ParentColor", &C::ParentColor, &C::SetParentColor, 0)
          .Integer("ReadOnlyColor", &C::ReadOnlyColor, &C::SetReadOnlyColor, ui::clInfoBk)
          .Boolean("ReadOnlyColorOnFocus", &C::ReadOnlyColorOnFocus, &C::SetReadOnlyColorOnFocus, 0)
          .Object("RegIniFile", "TKitRegIniFile", &C::RegIniFile, &C::SetRegIniFile)
          .Build();
  return info;
}

TKitFrameController::TKitFrameController(ui::TComponent* AOwner) : ui::TComponent(AOwner) {}

TKitFrameController::~TKitFrameController() {
  BeginDestroy();
  SetRegIniFile(nullptr);
}

void TKitFrameController::AddControl(ui::TControl* Control) {
  if (!Control || std::find(frameList_.begin(), frameList_.end(), Control) != frameList_.end()) return;
  frameList_.push_back(Control);
  NotifyControl(Control, 16);
}

void TKitFrameController::RemoveControl(ui::TControl* Control) {
  frameList_.erase(std::remove(frameList_.begin(), frameList_.end(), Control), frameList_.end());
}

void TKitFrameController::Rebind(ui::TControl* Control, TKitFrameController*& Field,
                                TKitFrameController* Value) {
  if (Value == Field) return;
  if (Field) {
    Field->RemoveControl(Control);
    Field->RemoveFreeNotification(Control);
  }
  Field = Value;
  if (Value) {
    Value->FreeNotification(Control);
    Value->AddControl(Control);
  }
}

void TKitFrameController::BeginUpdate() { ++FUpdateCount; }

void TKitFrameController::EndUpdate() {
  if (--FUpdateCount <= 0) {
    FUpdateCount = 0;
    UpdateControls();
  }
}

void TKitFrameController::UpdateControls() { NotifyEveryControl(16); }

void TKitFrameController::Loaded() {
  ui::TComponent::Loaded();
  UpdateControls();
}

void TKitFrameController::Notification(ui::TComponent* AComponent, ui::TOperation Operation) {
  ui::TComponent::Notification(AComponent, Operation);
  if (Operation == ui::opRemove && AComponent == FRegIniFile) FRegIniFile = nullptr;
}

void TKitFrameController::NotifyEveryControl(int Index) {
  if (FUpdateCount > 0) return;
  for (ui::TControl* c : std::vector<ui::TControl*>(frameList_)) NotifyControl(c, Index);
}

void TKitFrameController::NotifyControl(ui::TControl* Control, int Index) {
  if (!Control) return;
  if (auto* n = dynamic_cast<IFrameControllerNotification*>(Control)) {
    n->FrameControllerChanged(this);
    return;
  }
  std::uint64_t connections = 0xFFFF;
  if (const ui::TPropInfo* p = Control->ClassInfo().FindProp("FrameControllerNotifications"); p && p->GetOrd)
    connections = static_cast<std::uint64_t>(p->GetOrd(Control)) & 0xFFFF;
  auto connected = [&](int i) { return (connections >> i) & 1; };
  if (Index >= 0 && Index < 16) {
    if (connected(Index)) SetNamedProperty(Control, Index);
    return;
  }
  for (int i : kFullOrder) {
    if (i == fcpColor && FParentColor) continue;
    if (connected(i)) SetNamedProperty(Control, i);
  }
}

void TKitFrameController::SetNamedProperty(ui::TControl* Control, int Index) {
  const ui::TPropInfo* p = Control->ClassInfo().FindProp(kPropNames[Index]);
  if (!p || !p->IsWritable()) return;
  std::int64_t value = 0;
  switch (Index) {
    case fcpColor: value = FColor; break;
    case fcpFocusColor: value = FFocusColor; break;
    case fcpDisabledColor: value = FDisabledColor; break;
    case fcpReadOnlyColor: value = FReadOnlyColor; break;
    case fcpReadOnlyColorOnFocus: value = FReadOnlyColorOnFocus; break;
    case fcpParentColor: value = FParentColor; break;
    case fcpFlatButtonColor: value = FFlatButtonColor; break;
    case fcpFlatButtons: value = FFlatButtons; break;
    case fcpFrameColor: value = FFrameColor; break;
    case fcpFrameHotColor: value = FFrameHotColor; break;
    case fcpFrameHotTrack: value = FFrameHotTrack; break;
    case fcpFrameHotStyle: value = FFrameHotStyle; break;
    case fcpFrameSides: {
      // Through the set's text: the control's set type may order its members its own way.
      std::string text = "[";
      for (int s = 0; s < 4; ++s) {
        if (!FFrameSides.Contains(static_cast<TSide>(s))) continue;
        if (text.size() > 1) text += ",";
        text += SideNames()[s];
      }
      text += "]";
      if (p->Kind == ui::tkSet) ui::SetSetProp(Control, kPropNames[Index], text);
      return;
    }
    case fcpFrameStyle: value = FFrameStyle; break;
    case fcpFrameVisible: value = FFrameVisible; break;
    case fcpFramingPreference: value = FFramingPreference; break;
    default: return;
  }
  if (p->SetOrd) p->SetOrd(Control, value);
}

void TKitFrameController::Assign(const ui::TPersistent* Source) {
  auto* src = dynamic_cast<const TKitFrameController*>(Source);
  if (!src) {
    ui::TComponent::Assign(Source);
    return;
  }
  BeginUpdate();
  try {
    SetColor(src->FColor);
    SetParentColor(src->FParentColor);
    SetFlatButtonColor(src->FFlatButtonColor);
    SetFlatButtons(src->FFlatButtons);
    SetDisabledColor(src->FDisabledColor);
    SetReadOnlyColor(src->FReadOnlyColor);
    SetReadOnlyColorOnFocus(src->FReadOnlyColorOnFocus);
    SetFocusColor(src->FFocusColor);
    SetFrameColor(src->FFrameColor);
    SetFrameHotColor(src->FFrameHotColor);
    SetFrameHotTrack(src->FFrameHotTrack);
    SetFrameHotStyle(src->FFrameHotStyle);
    SetFrameSides(src->FFrameSides);
    SetFrameStyle(src->FFrameStyle);
    SetFrameVisible(src->FFrameVisible);
    SetFramingPreference(src->FFramingPreference);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TKitFrameController::SetFlatButtonColor(TColor Value) {
  ui::SetChanged(FFlatButtonColor, Value, [this] { NotifyEveryControl(fcpFlatButtonColor); });
}
void TKitFrameController::SetFlatButtons(bool Value) {
  ui::SetChanged(FFlatButtons, Value, [this] { NotifyEveryControl(fcpFlatButtons); });
}
void TKitFrameController::SetDisabledColor(TColor Value) {
  ui::SetChanged(FDisabledColor, Value, [this] { NotifyEveryControl(fcpDisabledColor); });
}
void TKitFrameController::SetReadOnlyColor(TColor Value) {
  ui::SetChanged(FReadOnlyColor, Value, [this] { NotifyEveryControl(fcpReadOnlyColor); });
}
void TKitFrameController::SetReadOnlyColorOnFocus(bool Value) {
  ui::SetChanged(FReadOnlyColorOnFocus, Value, [this] { NotifyEveryControl(fcpReadOnlyColorOnFocus); });
}
void TKitFrameController::SetFocusColor(TColor Value) {
  ui::SetChanged(FFocusColor, Value, [this] { NotifyEveryControl(fcpFocusColor); });
}
void TKitFrameController::SetFrameColor(TColor Value) {
  ui::SetChanged(FFrameColor, Value, [this] { NotifyEveryControl(fcpFrameColor); });
}
void TKitFrameController::SetFrameHotColor(TColor Value) {
  ui::SetChanged(FFrameHotColor, Value, [this] { NotifyEveryControl(fcpFrameHotColor); });
}
void TKitFrameController::SetFrameHotStyle(TFrameStyle Value) {
  ui::SetChanged(FFrameHotStyle, Value, [this] { NotifyEveryControl(fcpFrameHotStyle); });
}
void TKitFrameController::SetFrameSides(TSides Value) {
  ui::SetChanged(FFrameSides, Value, [this] { NotifyEveryControl(fcpFrameSides); });
}
void TKitFrameController::SetFrameStyle(TFrameStyle Value) {
  ui::SetChanged(FFrameStyle, Value, [this] { NotifyEveryControl(fcpFrameStyle); });
}
void TKitFrameController::SetFrameVisible(bool Value) {
  ui::SetChanged(FFrameVisible, Value, [this] { NotifyEveryControl(fcpFrameVisible); });
}
void TKitFrameController::SetFramingPreference(TFramingPreference Value) {
  ui::SetChanged(FFramingPreference, Value, [this] { NotifyEveryControl(fcpFramingPreference); });
}

void TKitFrameController::SetColor(TColor Value) {
  if (Value == FColor) return;
  // The focus colour follows while the two are the same.
  if (FFocusColor == FColor) SetFocusColor(Value);
  FColor = Value;
  FParentColor = false;
  NotifyEveryControl(fcpColor);
}

void TKitFrameController::SetParentColor(bool Value) {
  if (Value == FParentColor) return;
  FParentColor = Value;
  NotifyEveryControl(fcpParentColor);
  if (!Value) NotifyEveryControl(fcpColor);
}

void TKitFrameController::SetFrameHotTrack(bool Value) {
  if (Value == FFrameHotTrack) return;
  FFrameHotTrack = Value;
  NotifyEveryControl(fcpFrameHotTrack);
  if (Value) {
    SetFrameVisible(true);
    if (!IsLoading()) SetFrameSides(sdAllSides);
  }
}

void TKitFrameController::SetRegIniFile(ui::TComponent* Value) {
  if (Value == FRegIniFile) return;
  if (FRegIniFile) FRegIniFile->RemoveFreeNotification(this);
  FRegIniFile = Value;
  if (Value) Value->FreeNotification(this);
}

IKitRegIniStorage* TKitFrameController::Storage(const char16_t* Message) const {
  auto* storage = dynamic_cast<IKitRegIniStorage*>(FRegIniFile);
  if (!storage) throw ENoRegIniFile(String(Message));
  return storage;
}

void TKitFrameController::Save(const String& Section) {
  IKitRegIniStorage* s = Storage(u"Cannot save Custom Framing settings--No TKitRegIniFile component specified");
  s->WriteInteger(Section, u"Color", FColor);
  s->WriteInteger(Section, u"FlatButtonColor", FFlatButtonColor);
  s->WriteBool(Section, u"FlatButtons", FFlatButtons);
  s->WriteInteger(Section, u"DisabledColor", FDisabledColor);
  s->WriteInteger(Section, u"ReadOnlyColor", FReadOnlyColor);
  s->WriteBool(Section, u"ReadOnlyColorOnFocus", FReadOnlyColorOnFocus);
  s->WriteInteger(Section, u"FocusColor", FFocusColor);
  s->WriteInteger(Section, u"FrameColor", FFrameColor);
  s->WriteInteger(Section, u"FrameHotColor", FFrameHotColor);
  s->WriteInteger(Section, u"FrameHotStyle", FFrameHotStyle);
  s->WriteBool(Section, u"FrameHotTrack", FFrameHotTrack);
  for (int i = 0; i < 4; ++i) s->WriteBool(Section, kSideKeys[i], FFrameSides.Contains(static_cast<TSide>(i)));
  s->WriteInteger(Section, u"FrameStyle", FFrameStyle);
  s->WriteBool(Section, u"FrameVisible", FFrameVisible);
  s->WriteInteger(Section, u"FramingPreference", FFramingPreference);
}

void TKitFrameController::Load(const String& Section) {
  IKitRegIniStorage* s = Storage(u"Cannot load Custom Framing settings--No TKitRegIniFile component specified");
  auto style = [](std::int32_t v, TFrameStyle def) {
    return v >= fsNone && v <= fsFlatRounded ? static_cast<TFrameStyle>(v) : def;
  };
  BeginUpdate();
  try {
    SetColor(s->ReadInteger(Section, u"Color", ui::clWindow));
    SetFlatButtonColor(s->ReadInteger(Section, u"FlatButtonColor", ui::clBtnFace));
    SetFlatButtons(s->ReadBool(Section, u"FlatButtons", true));
    SetDisabledColor(s->ReadInteger(Section, u"DisabledColor", ui::clWindow));
    SetReadOnlyColor(s->ReadInteger(Section, u"ReadOnlyColor", ui::clInfoBk));
    SetReadOnlyColorOnFocus(s->ReadBool(Section, u"ReadOnlyColorOnFocus", false));
    SetFocusColor(s->ReadInteger(Section, u"FocusColor", ui::clWindow));
    SetFrameColor(s->ReadInteger(Section, u"FrameColor", ui::clBtnShadow));
    SetFrameHotColor(s->ReadInteger(Section, u"FrameHotColor", ui::clBtnShadow));
    SetFrameHotStyle(style(s->ReadInteger(Section, u"FrameHotStyle", fsFlatBold), fsFlatBold));
    SetFrameHotTrack(s->ReadBool(Section, u"FrameHotTrack", false));
    TSides sides;
    for (int i = 0; i < 4; ++i)
      if (s->ReadBool(Section, kSideKeys[i], true)) sides.Include(static_cast<TSide>(i));
    SetFrameSides(sides);
    SetFrameStyle(style(s->ReadInteger(Section, u"FrameStyle", fsFlat), fsFlat));
    SetFrameVisible(s->ReadBool(Section, u"FrameVisible", false));
    std::int32_t pref = s->ReadInteger(Section, u"FramingPreference", fpXPThemes);
    SetFramingPreference(pref == fpCustomFraming ? fpCustomFraming : fpXPThemes);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

}  // namespace kit
