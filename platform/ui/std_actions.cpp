#include "platform/ui/std_actions.h"

#include "platform/ui/clipboard.h"

namespace ui {

#define JQ_EDIT_ACTION_CLASSINFO(Name, Base)                                                       \
  const TClassInfo& Name::StaticClassInfo() {                                                      \
    static const TClassInfo info = TClassBuilder<Name>(#Name, &Base::StaticClassInfo()).Build(); \
    return info;                                                                                   \
  }
JQ_EDIT_ACTION_CLASSINFO(TEditAction, TCustomAction)
JQ_EDIT_ACTION_CLASSINFO(TEditCut, TEditAction)
JQ_EDIT_ACTION_CLASSINFO(TEditCopy, TEditAction)
JQ_EDIT_ACTION_CLASSINFO(TEditPaste, TEditAction)
JQ_EDIT_ACTION_CLASSINFO(TEditSelectAll, TEditAction)
JQ_EDIT_ACTION_CLASSINFO(TEditDelete, TEditAction)
#undef JQ_EDIT_ACTION_CLASSINFO

TEditAction::TEditAction(TComponent* AOwner) : TCustomAction(AOwner) {}
TEditAction::~TEditAction() { BeginDestroy(); }

void TEditAction::SetControl(TCustomEdit* Value) {
  if (Value == control_) return;
  if (control_) control_->RemoveFreeNotification(this);
  control_ = Value;
  if (control_) control_->FreeNotification(this);
}

void TEditAction::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomAction::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == control_) control_ = nullptr;
}

bool TEditAction::HandlesTarget(TObject* Target) {
  TCustomEdit* edit = Edit(Target);
  if (!edit || (control_ && edit != control_)) return false;
  return edit->Focused();
}

bool TEditAction::Update() {
  if (TCustomAction::Update()) return true;
  SetEnabled(false);
  return false;
}

bool TEditAction::Execute() {
  Update();
  return Enabled() && TCustomAction::Execute();
}

// The edit control's own clipboard handling does the work (a masked edit
// keeps its mask), through the messages a native editor answers.
void TEditCut::ExecuteTarget(TObject* Target) { Edit(Target)->Perform(WM_CUT); }
void TEditCut::UpdateTarget(TObject* Target) {
  SetEnabled(Edit(Target)->SelLength() > 0 && !Edit(Target)->ReadOnly());
}

void TEditCopy::ExecuteTarget(TObject* Target) { Edit(Target)->Perform(WM_COPY); }
void TEditCopy::UpdateTarget(TObject* Target) { SetEnabled(Edit(Target)->SelLength() > 0); }

void TEditPaste::ExecuteTarget(TObject* Target) { Edit(Target)->Perform(WM_PASTE); }
void TEditPaste::UpdateTarget(TObject* Target) {
  SetEnabled(!Edit(Target)->ReadOnly() && Clipboard()->HasFormat(CF_TEXT));
}

void TEditSelectAll::ExecuteTarget(TObject* Target) { Edit(Target)->SelectAll(); }
void TEditSelectAll::UpdateTarget(TObject* Target) { SetEnabled(!Edit(Target)->Text().empty()); }

void TEditDelete::ExecuteTarget(TObject* Target) { Edit(Target)->Perform(WM_CLEAR); }
void TEditDelete::UpdateTarget(TObject* Target) {
  SetEnabled(Edit(Target)->SelLength() > 0 && !Edit(Target)->ReadOnly());
}

}  // namespace ui
