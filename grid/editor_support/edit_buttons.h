// The small buttons at the right edge of an editor: the settings a form
// stores with the editor (TEditButtonEx, the collection TEditButtonsEx, the
// link to an action) and the lightweight control that shows one of them
// (TEditButtonControlEx) with its press tracking and auto-repeat.
#pragma once

#include <functional>
#include <memory>

#include "grid/editor_support/button_faces.h"
#include "platform/ui/menus.h"
#include "platform/ui/shape.h"
#include "platform/ui/ui.h"

namespace grid {

enum TEditButtonStyleEx : std::uint8_t {
  ebsDropDownEx, ebsEllipsisEx, ebsGlyphEx, ebsUpDownEx, ebsPlusEx, ebsMinusEx, ebsAltDropDownEx, ebsAltUpDownEx
};
// The face a style paints with (ebsGlyphEx paints itself).
TDrawButtonControlStyleEx EditButtonFaceStyle(TEditButtonStyleEx Style);
// The style names published properties read and write.
const std::vector<std::string>& EditButtonStyleNames();
// The styles split into an upper and a lower half.
inline bool IsTwoHalfStyle(TEditButtonStyleEx Style) { return Style == ebsUpDownEx || Style == ebsAltUpDownEx; }

using TButtonClickEventEx = std::function<void(ui::TObject* Sender, bool& Handled)>;
using TButtonDownEventEx = std::function<void(ui::TObject* Sender, bool TopButton, bool& AutoRepeat, bool& Handled)>;

class TEditButtonEx;

class TEditButtonActionLinkEx {
 public:
  explicit TEditButtonActionLinkEx(TEditButtonEx* Client);
  ~TEditButtonActionLinkEx();
  ui::TBasicAction* Action() const { return action_; }
  void SetAction(ui::TBasicAction* Value);
  bool EnabledFollowsAction() const;
  bool HintFollowsAction() const;
  bool ShortCutFollowsAction() const;
  bool VisibleFollowsAction() const;
  bool Execute();
  void Update();
  std::function<void()> OnChange;

 private:
  class Watcher;
  void Detach();
  void ActionFreed();
  TEditButtonEx* client_;
  ui::TBasicAction* action_ = nullptr;
  int listener_ = 0;
  std::unique_ptr<Watcher> watcher_;
};

class TEditButtonControlEx;

class TEditButtonEx : public ui::TCollectionItem {
  JQ_UI_CLASSINFO

 public:
  // A button of its own belonging to an editor.
  explicit TEditButtonEx(ui::TWinControl* EditControl);
  // A member of a collection.
  explicit TEditButtonEx(ui::TCollection* Collection);
  ~TEditButtonEx() override;

  ui::TBasicAction* Action() const;
  void SetAction(ui::TBasicAction* Value);
  ui::TPopupMenu* DropdownMenu() const { return dropdownMenu_; }
  void SetDropdownMenu(ui::TPopupMenu* Value) { dropdownMenu_ = Value; }
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool Value);
  ui::TBitmap* Glyph() const { return glyph_.get(); }
  void SetGlyph(const ui::TBitmap* Value);
  const ui::String& Hint() const { return hint_; }
  void SetHint(const ui::String& Value);
  int NumGlyphs() const { return numGlyphs_; }
  void SetNumGlyphs(int Value);
  std::uint16_t ShortCut() const { return shortCut_; }
  void SetShortCut(std::uint16_t Value) { shortCut_ = Value; }
  TEditButtonStyleEx Style() const { return style_; }
  void SetStyle(TEditButtonStyleEx Value);
  bool Visible() const { return visible_; }
  void SetVisible(bool Value);
  int Width() const { return width_; }
  void SetWidth(int Value);
  ui::TWinControl* EditControl() const { return editControl_; }
  // Whether a value is stored with the form (not when an action supplies it).
  bool IsEnabledStored() const;
  bool IsHintStored() const;
  bool IsShortCutStored() const;
  bool IsVisibleStored() const;

  void Assign(const ui::TPersistent* Source) override;
  virtual TEditButtonControlEx* CreateEditButtonControl();
  virtual void Click(ui::TObject* Sender, bool& Handled);
  virtual void InitiateAction();
  // Copies the action's values; CheckDefaults copies only over defaults.
  virtual void ApplyActionValues(ui::TBasicAction* Sender, bool CheckDefaults);

  TButtonClickEventEx OnClick;
  TButtonDownEventEx OnDown;
  ui::TNotifyEvent OnChanged;

 protected:
  void NotifyChanged();
  void HandleActionChange();

  std::unique_ptr<TEditButtonActionLinkEx> actionLink_;
  ui::TPopupMenu* dropdownMenu_ = nullptr;
  ui::TWinControl* editControl_ = nullptr;
  bool enabled_ = true;
  std::unique_ptr<ui::TBitmap> glyph_;
  ui::String hint_;
  int numGlyphs_ = 1;
  std::uint16_t shortCut_ = 0;
  TEditButtonStyleEx style_ = ebsDropDownEx;
  bool visible_ = false;
  int width_ = 0;

 private:
  void Init();
};

// Alt+Down opens the editor's list.
constexpr std::uint16_t AltDownShortCut = 0x8000 | 0x28;

class TDropDownEditButtonEx : public TEditButtonEx {
  JQ_UI_CLASSINFO

 public:
  explicit TDropDownEditButtonEx(ui::TWinControl* EditControl);
  explicit TDropDownEditButtonEx(ui::TCollection* Collection);
};

class TVisibleEditButtonEx : public TEditButtonEx {
  JQ_UI_CLASSINFO

 public:
  explicit TVisibleEditButtonEx(ui::TWinControl* EditControl);
  explicit TVisibleEditButtonEx(ui::TCollection* Collection);
};

class TEditButtonsEx : public ui::TCollection {
 public:
  using TButtonFactory = std::function<TEditButtonEx*(ui::TCollection*)>;
  TEditButtonsEx(ui::TPersistent* Owner, TButtonFactory EditButtonClass);
  TEditButtonEx* Add();
  TEditButtonEx* Items(int Index) const;
  ui::TNotifyEvent OnChanged;

 protected:
  void Update(ui::TCollectionItem* Item) override;
};

enum TButtonStateEx { bsUpEx, bsDisabledEx, bsDownEx, bsExclusiveEx };

// Shows one edit button: a speed button whose face is one of the edit
// button faces, pressed as a whole or in halves, repeating while held.
class TEditButtonControlEx : public ui::TGraphicControl {
 public:
  explicit TEditButtonControlEx(ui::TComponent* AOwner);
  ~TEditButtonControlEx() override;

  bool Active() const { return active_; }
  void SetActive(bool Value);
  bool AlwaysDown() const { return alwaysDown_; }
  void SetAlwaysDown(bool Value);
  TEditButtonStyleEx Style() const { return style_; }
  void SetStyle(TEditButtonStyleEx Value);
  int ButtonNum() const { return buttonNum_; }
  TButtonStateEx State() const { return state_; }
  void SetState(TButtonStateEx NewState, bool IsActive, int ButtonNum);
  void SetWidthNoNotify(int Value) { SetWidth(Value); }
  bool Flat() const { return flat_; }
  void SetFlat(bool Value);
  bool Down() const { return down_; }
  int GroupIndex() const { return groupIndex_; }
  bool AllowAllUp() const { return allowAllUp_; }
  bool MouseInControl() const { return mouseInControl_; }
  ui::TBitmap* Glyph() const { return glyph_.get(); }
  void SetGlyph(const ui::TBitmap* Value);
  int NumGlyphs() const { return numGlyphs_; }
  void SetNumGlyphs(int Value) { numGlyphs_ = std::clamp(Value, 1, 4); Invalidate(); }
  bool RepeatTimerRunning() const;

  void EditButtonDown(bool TopButton, bool& AutoRepeat);
  void Click() override;
  void Dispatch(ui::TMessage& Message) override;

  TButtonDownEventEx OnDown;

 protected:
  void Paint() override;
  void MouseDown(ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y) override;
  void MouseMove(ui::TShiftState Shift, int X, int Y) override;
  void MouseUp(ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y) override;
  void UpdateDownButton(int X, int Y);
  void DrawCaption();
  void PaintGlyphButton();

 private:
  void TimerExpired();
  void SetRepeatInterval(unsigned Interval);
  void StopRepeat();

  bool active_ = false;
  bool alwaysDown_ = false;
  int buttonNum_ = 0;
  bool noDoClick_ = false;
  TEditButtonStyleEx style_ = ebsDropDownEx;
  ui::TTimer* timer_ = nullptr;
  TButtonStateEx state_ = bsUpEx;
  bool flat_ = false;
  bool down_ = false;
  int groupIndex_ = 0;
  bool allowAllUp_ = false;
  bool dragging_ = false;
  bool mouseInControl_ = false;
  std::unique_ptr<ui::TBitmap> glyph_;
  int numGlyphs_ = 1;
};

// A visible 10 x 17 button control owned and parented by Editor, as
// editors put beside their text.
TEditButtonControlEx* NewEditorButtonControl(ui::TWinControl* Editor);

// One button of an editor with the line that separates it from the next.
struct TEditButtonControlLineRec {
  ui::TShape* ButtonLine = nullptr;
  TEditButtonControlEx* EditButtonControl = nullptr;
};
using TEditButtonControlList = std::vector<TEditButtonControlLineRec>;

}  // namespace grid
