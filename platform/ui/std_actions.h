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

 private:
  TCustomEdit* control_ = nullptr;
};

class TEditCut : public TEditAction {
  JQ_UI_CLASSINFO
 public:
  using TEditAction::TEditAction;
  void ExecuteTarget(TObject* Target) override;
  void UpdateTarget(TObject* Target) override;
};

class TEditCopy : public TEditAction {
  JQ_UI_CLASSINFO
 public:
  using TEditAction::TEditAction;
  void ExecuteTarget(TObject* Target) override;
  void UpdateTarget(TObject* Target) override;
};

class TEditPaste : public TEditAction {
  JQ_UI_CLASSINFO
 public:
  using TEditAction::TEditAction;
  void ExecuteTarget(TObject* Target) override;
  void UpdateTarget(TObject* Target) override;
};

class TEditSelectAll : public TEditAction {
  JQ_UI_CLASSINFO
 public:
  using TEditAction::TEditAction;
  void ExecuteTarget(TObject* Target) override;
  void UpdateTarget(TObject* Target) override;
};

class TEditDelete : public TEditAction {
  JQ_UI_CLASSINFO
 public:
  using TEditAction::TEditAction;
  void ExecuteTarget(TObject* Target) override;
  void UpdateTarget(TObject* Target) override;
};

}  // namespace ui
