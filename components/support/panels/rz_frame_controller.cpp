#include "rz_frame_controller.h"

#include <algorithm>

namespace rz {
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

const ui::TClassInfo& TRzFrameController::StaticClassInfo() {
  using C = TRzFrameController;
  static const ui::TClassInfo info =
      ui::TClassBuilder<C>("TRzFrameController", &ui::TComponent::StaticClassInfo())
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
          .Object("RegIniFile", "TRzRegIniFile", &C::RegIniFile, &C::SetRegIniFile)
          .Build();
  return info;
}

TRzFrameController::TRzFrameController(ui::TComponent* AOwner) : ui::TComponent(AOwner) {}

TRzFrameController::~TRzFrameController() {
  BeginDestroy();
  SetRegIniFile(nullptr);
}

void TRzFrameController::AddControl(ui::TControl* Control) {
  if (!Control || std::find(frameList_.begin(), frameList_.end(), Control) != frameList_.end()) return;
  frameList_.push_back(Control);
  NotifyControl(Control, 16);
}

void TRzFrameController::RemoveControl(ui::TControl* Control) {
  frameList_.erase(std::remove(frameList_.begin(), frameList_.end(), Control), frameList_.end());
}

void TRzFrameController::Rebind(ui::TControl* Control, TRzFrameController*& Field,
                                TRzFrameController* Value) {
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

void TRzFrameController::BeginUpdate() { ++FUpdateCount; }

void TRzFrameController::EndUpdate() {
  if (--FUpdateCount <= 0) {
    FUpdateCount = 0;
    UpdateControls();
  }
}

void TRzFrameController::UpdateControls() { NotifyEveryControl(16); }

void TRzFrameController::Loaded() {
  ui::TComponent::Loaded();
  UpdateControls();
}

void TRzFrameController::Notification(ui::TComponent* AComponent, ui::TOperation Operation) {
  ui::TComponent::Notification(AComponent, Operation);
  if (Operation == ui::opRemove && AComponent == FRegIniFile) FRegIniFile = nullptr;
}

void TRzFrameController::NotifyEveryControl(int Index) {
  if (FUpdateCount > 0) return;
  for (ui::TControl* c : std::vector<ui::TControl*>(frameList_)) NotifyControl(c, Index);
}

void TRzFrameController::NotifyControl(ui::TControl* Control, int Index) {
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

void TRzFrameController::SetNamedProperty(ui::TControl* Control, int Index) {
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

void TRzFrameController::Assign(const ui::TPersistent* Source) {
  auto* src = dynamic_cast<const TRzFrameController*>(Source);
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

#define RZ_SETTER(Name, Type, Field, Index)        \
  void TRzFrameController::Set##Name(Type Value) { \
    if (Value == Field) return;                    \
    Field = Value;                                 \
    NotifyEveryControl(Index);                     \
  }

RZ_SETTER(FlatButtonColor, TColor, FFlatButtonColor, fcpFlatButtonColor)
RZ_SETTER(FlatButtons, bool, FFlatButtons, fcpFlatButtons)
RZ_SETTER(DisabledColor, TColor, FDisabledColor, fcpDisabledColor)
RZ_SETTER(ReadOnlyColor, TColor, FReadOnlyColor, fcpReadOnlyColor)
RZ_SETTER(ReadOnlyColorOnFocus, bool, FReadOnlyColorOnFocus, fcpReadOnlyColorOnFocus)
RZ_SETTER(FocusColor, TColor, FFocusColor, fcpFocusColor)
RZ_SETTER(FrameColor, TColor, FFrameColor, fcpFrameColor)
RZ_SETTER(FrameHotColor, TColor, FFrameHotColor, fcpFrameHotColor)
RZ_SETTER(FrameHotStyle, TFrameStyle, FFrameHotStyle, fcpFrameHotStyle)
RZ_SETTER(FrameSides, TSides, FFrameSides, fcpFrameSides)
RZ_SETTER(FrameStyle, TFrameStyle, FFrameStyle, fcpFrameStyle)
RZ_SETTER(FrameVisible, bool, FFrameVisible, fcpFrameVisible)
RZ_SETTER(FramingPreference, TFramingPreference, FFramingPreference, fcpFramingPreference)
#undef RZ_SETTER

void TRzFrameController::SetColor(TColor Value) {
  if (Value == FColor) return;
  // The focus colour follows while the two are the same.
  if (FFocusColor == FColor) SetFocusColor(Value);
  FColor = Value;
  FParentColor = false;
  NotifyEveryControl(fcpColor);
}

void TRzFrameController::SetParentColor(bool Value) {
  if (Value == FParentColor) return;
  FParentColor = Value;
  NotifyEveryControl(fcpParentColor);
  if (!Value) NotifyEveryControl(fcpColor);
}

void TRzFrameController::SetFrameHotTrack(bool Value) {
  if (Value == FFrameHotTrack) return;
  FFrameHotTrack = Value;
  NotifyEveryControl(fcpFrameHotTrack);
  if (Value) {
    SetFrameVisible(true);
    if (!IsLoading()) SetFrameSides(sdAllSides);
  }
}

void TRzFrameController::SetRegIniFile(ui::TComponent* Value) {
  if (Value == FRegIniFile) return;
  if (FRegIniFile) FRegIniFile->RemoveFreeNotification(this);
  FRegIniFile = Value;
  if (Value) Value->FreeNotification(this);
}

IRzRegIniStorage* TRzFrameController::Storage(const char16_t* Message) const {
  auto* storage = dynamic_cast<IRzRegIniStorage*>(FRegIniFile);
  if (!storage) throw ENoRegIniFile(String(Message));
  return storage;
}

void TRzFrameController::Save(const String& Section) {
  IRzRegIniStorage* s = Storage(u"Cannot save Custom Framing settings--No TRzRegIniFile component specified");
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

void TRzFrameController::Load(const String& Section) {
  IRzRegIniStorage* s = Storage(u"Cannot load Custom Framing settings--No TRzRegIniFile component specified");
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

}  // namespace rz
