// The standard edit actions: cut, copy, paste, select all and delete. Each
// works on the focused edit control (or only on the one named as its
// Control) and is enabled only while that control can take it; with no such
// control it is disabled and does nothing. Other controls (a grid) may take
// these actions too, by recognising their classes in ExecuteAction and
// UpdateAction.
#pragma once

#include "platform/ui/actions.h"
#include "platform/ui/edits.h"

namespace ui {

enum TEditActionKind { eakCut, eakCopy, eakPaste, eakSelectAll, eakDelete };

class TEditAction : public TCustomAction {
  JQ_UI_CLASSINFO
 public:
  explicit TEditAction(TComponent* AOwner);
  ~TEditAction() override;
  // The one edit control the action works on; none: the focused one.
  TCustomEdit* Control() const { return control_; }
  void SetControl(TCustomEdit* Value);

  bool HandlesTarget(TObject* Target) override;
  // Without an OnUpdate handler and without a control taking the update,
  // the action is disabled.
  bool Update() override;
  // Updates first; a disabled action does nothing.
  bool Execute() override;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  static TCustomEdit* Edit(TObject* Target) { return dynamic_cast<TCustomEdit*>(Target); }
  // What each of the five does to an edit control, and whether it can.
  static void RunOn(TEditActionKind Kind, TCustomEdit* Edit);
  static bool CanRunOn(TEditActionKind Kind, const TCustomEdit* Edit);

 private:
  TCustomEdit* control_ = nullptr;
};

// The five, one class each (a control recognises them by class).
template <TEditActionKind Kind>
class TStdEditAction : public TEditAction {
 public:
  static const TClassInfo& StaticClassInfo();
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }
  using TEditAction::TEditAction;
  void ExecuteTarget(TObject* Target) override { RunOn(Kind, Edit(Target)); }
  void UpdateTarget(TObject* Target) override { SetEnabled(CanRunOn(Kind, Edit(Target))); }
};
using TEditCut = TStdEditAction<eakCut>;
using TEditCopy = TStdEditAction<eakCopy>;
using TEditPaste = TStdEditAction<eakPaste>;
using TEditSelectAll = TStdEditAction<eakSelectAll>;
using TEditDelete = TStdEditAction<eakDelete>;

}  // namespace ui
