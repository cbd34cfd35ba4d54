// A non-visual component holding one set of colour and frame settings that
// it pushes to every control registered with it; it can save and load them
// through the library's ini/registry storage component.
#pragma once

#include <cstdint>
#include <vector>

#include "components/support/panels/kit_common.h"

namespace kit {

class TKitFrameController;

enum TKitFrameControllerNotification {
  fcpColor, fcpFocusColor, fcpDisabledColor, fcpReadOnlyColor, fcpReadOnlyColorOnFocus, fcpParentColor,
  fcpFlatButtonColor, fcpFlatButtons, fcpFrameColor, fcpFrameHotColor, fcpFrameHotTrack, fcpFrameHotStyle,
  fcpFrameSides, fcpFrameStyle, fcpFrameVisible, fcpFramingPreference, fcpAll
};
using TKitFrameControllerNotifications = ui::TSet<TKitFrameControllerNotification>;
inline constexpr TKitFrameControllerNotifications fccAll = TKitFrameControllerNotifications::FromBits(0xFFFF);
const std::vector<std::string>& FrameControllerNotificationNames();

// Controls that read the controller's settings themselves implement this;
// it is called whenever the settings changed.
class IFrameControllerNotification {
 public:
  virtual ~IFrameControllerNotification() = default;
  virtual void FrameControllerChanged(TKitFrameController* Controller) = 0;
};

// The typed reads and writes the controller stores its settings with; the
// ini/registry storage component implements it.
class IKitRegIniStorage {
 public:
  virtual ~IKitRegIniStorage() = default;
  virtual std::int32_t ReadInteger(const String& Section, const String& Ident, std::int32_t Default) = 0;
  virtual bool ReadBool(const String& Section, const String& Ident, bool Default) = 0;
  virtual void WriteInteger(const String& Section, const String& Ident, std::int32_t Value) = 0;
  virtual void WriteBool(const String& Section, const String& Ident, bool Value) = 0;
};

class ENoRegIniFile : public rtl::Exception {
 public:
  using rtl::Exception::Exception;
};

class TKitFrameController : public ui::TComponent {
  JQ_UI_CLASSINFO
 public:
  explicit TKitFrameController(ui::TComponent* AOwner);
  ~TKitFrameController() override;

  void AddControl(ui::TControl* Control);
  void RemoveControl(ui::TControl* Control);
  // Moves `Control` from the controller held in `Field` to `Value`. The free
  // notification lets the control clear `Field` when that controller goes away.
  static void Rebind(ui::TControl* Control, TKitFrameController*& Field, TKitFrameController* Value);
  int ControlCount() const { return static_cast<int>(frameList_.size()); }
  void BeginUpdate();
  void EndUpdate();
  void UpdateControls();
  void Assign(const ui::TPersistent* Source) override;
  void Save(const String& Section);
  void Load(const String& Section);

  TColor Color() const { return FColor; }
  virtual void SetColor(TColor Value);
  bool ParentColor() const { return FParentColor; }
  virtual void SetParentColor(bool Value);
  TColor FlatButtonColor() const { return FFlatButtonColor; }
  virtual void SetFlatButtonColor(TColor Value);
  bool FlatButtons() const { return FFlatButtons; }
  virtual void SetFlatButtons(bool Value);
  TColor DisabledColor() const { return FDisabledColor; }
  virtual void SetDisabledColor(TColor Value);
  TColor ReadOnlyColor() const { return FReadOnlyColor; }
  virtual void SetReadOnlyColor(TColor Value);
  bool ReadOnlyColorOnFocus() const { return FReadOnlyColorOnFocus; }
  virtual void SetReadOnlyColorOnFocus(bool Value);
  TColor FocusColor() const { return FFocusColor; }
  virtual void SetFocusColor(TColor Value);
  TColor FrameColor() const { return FFrameColor; }
  virtual void SetFrameColor(TColor Value);
  TColor FrameHotColor() const { return FFrameHotColor; }
  virtual void SetFrameHotColor(TColor Value);
  bool FrameHotTrack() const { return FFrameHotTrack; }
  virtual void SetFrameHotTrack(bool Value);
  TFrameStyle FrameHotStyle() const { return FFrameHotStyle; }
  virtual void SetFrameHotStyle(TFrameStyle Value);
  TSides FrameSides() const { return FFrameSides; }
  virtual void SetFrameSides(TSides Value);
  TFrameStyle FrameStyle() const { return FFrameStyle; }
  virtual void SetFrameStyle(TFrameStyle Value);
  bool FrameVisible() const { return FFrameVisible; }
  virtual void SetFrameVisible(bool Value);
  TFramingPreference FramingPreference() const { return FFramingPreference; }
  virtual void SetFramingPreference(TFramingPreference Value);
  // Not owned; cleared when that component is destroyed. It must implement
  // IKitRegIniStorage for Save and Load.
  ui::TComponent* RegIniFile() const { return FRegIniFile; }
  virtual void SetRegIniFile(ui::TComponent* Value);

 protected:
  // Index 0..15 sets one connected property; 16 sets all of them.
  virtual void NotifyControl(ui::TControl* Control, int Index);
  virtual void NotifyEveryControl(int Index);
  void Loaded() override;
  void Notification(ui::TComponent* AComponent, ui::TOperation Operation) override;

 private:
  std::uint64_t FrameSidesBits() const { return FFrameSides.Bits(); }
  void SetFrameSidesBits(std::uint64_t Bits) { SetFrameSides(TSides::FromBits(Bits)); }
  void SetNamedProperty(ui::TControl* Control, int Index);
  IKitRegIniStorage* Storage(const char16_t* Message) const;

  TColor FColor = ui::clWindow;
  TColor FFocusColor = ui::clWindow;
  TColor FDisabledColor = ui::clBtnFace;
  TColor FReadOnlyColor = ui::clInfoBk;
  bool FReadOnlyColorOnFocus = false;
  bool FParentColor = false;
  TColor FFlatButtonColor = ui::clBtnFace;
  bool FFlatButtons = true;
  TColor FFrameColor = ui::clBtnShadow;
  TColor FFrameHotColor = ui::clBtnShadow;
  bool FFrameHotTrack = false;
  TFrameStyle FFrameHotStyle = fsFlatBold;
  TSides FFrameSides = sdAllSides;
  TFrameStyle FFrameStyle = fsFlat;
  bool FFrameVisible = false;
  TFramingPreference FFramingPreference = fpXPThemes;
  ui::TComponent* FRegIniFile = nullptr;
  int FUpdateCount = 0;
  std::vector<ui::TControl*> frameList_;
};

}  // namespace kit
