// Actions: commands raised by one part of a program and carried out by
// whichever control takes them. The hint action carries the long part of the
// hint under the mouse to controls that show it (status panes).
#pragma once

#include <functional>
#include <vector>

#include "platform/ui/controls.h"

namespace ui {

class TBasicAction : public TComponent {
  JQ_UI_CLASSINFO
 public:
  explicit TBasicAction(TComponent* AOwner);
  ~TBasicAction() override;
  // Runs OnExecute when assigned; otherwise offers the action to the active
  // form (its active control, the form, then every shown control) and then
  // to the main form. True when someone took it.
  virtual bool Execute();
  TNotifyEvent OnExecute;
  // Runs OnUpdate when assigned; otherwise offers the action for updating
  // the same way (UpdateAction). True when someone took it.
  virtual bool Update();
  TNotifyEvent OnUpdate;
  // Whether the action works on Target, and what it does to it or takes
  // from it; the base works on nothing.
  virtual bool HandlesTarget(TObject*) { return false; }
  virtual void ExecuteTarget(TObject*) {}
  virtual void UpdateTarget(TObject*) {}
};

// An action with the values the controls linked to it show: enabled,
// hint, shortcut and visibility. Linked clients hear each change.
class TCustomAction : public TBasicAction {
  JQ_UI_CLASSINFO
 public:
  using TBasicAction::TBasicAction;
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool Value);
  const String& Hint() const { return hint_; }
  void SetHint(const String& Value);
  std::uint16_t ShortCut() const { return shortCut_; }
  void SetShortCut(std::uint16_t Value);
  bool Visible() const { return visible_; }
  void SetVisible(bool Value);
  // Listeners of changes; the id removes one again.
  int AddChangeListener(std::function<void()> Listener);
  void RemoveChangeListener(int Id);

 private:
  void Changed();
  bool enabled_ = true;
  String hint_;
  std::uint16_t shortCut_ = 0;
  bool visible_ = true;
  std::vector<std::pair<int, std::function<void()>>> listeners_;
  int nextListener_ = 1;
};

class THintAction : public TBasicAction {
  JQ_UI_CLASSINFO
 public:
  using TBasicAction::TBasicAction;
  const String& Hint() const { return hint_; }
  void SetHint(const String& Value) { hint_ = Value; }

 private:
  String hint_;
};

// The text after the first '|' of a hint, or the whole hint without one.
String GetLongHint(const String& Hint);
// The hint of the control or, when empty, of the nearest parent that has one.
String GetControlHint(const TControl* Control);

}  // namespace ui
