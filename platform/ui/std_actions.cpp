#include "platform/ui/std_actions.h"

#include "platform/ui/clipboard.h"

namespace ui {

const TClassInfo& TEditAction::StaticClassInfo() {
  static const TClassInfo info = TClassBuilder<TEditAction>("TEditAction", &TCustomAction::StaticClassInfo()).Build();
  return info;
}

template <TEditActionKind Kind>
const TClassInfo& TStdEditAction<Kind>::StaticClassInfo() {
  static const char* const names[] = {"TEditCut", "TEditCopy", "TEditPaste", "TEditSelectAll", "TEditDelete"};
  static const TClassInfo info =
      TClassBuilder<TStdEditAction<Kind>>(names[Kind], &TEditAction::StaticClassInfo()).Build();
  return info;
}
template class TStdEditAction<eakCut>;
template class TStdEditAction<eakCopy>;
template class TStdEditAction<eakPaste>;
template class TStdEditAction<eakSelectAll>;
template class TStdEditAction<eakDelete>;

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
void TEditAction::RunOn(TEditActionKind Kind, TCustomEdit* Edit) {
  switch (Kind) {
    case eakCut: Edit->Perform(WM_CUT); break;
    case eakCopy: Edit->Perform(WM_COPY); break;
    case eakPaste: Edit->Perform(WM_PASTE); break;
    case eakSelectAll: Edit->SelectAll(); break;
    case eakDelete: Edit->Perform(WM_CLEAR); break;
  }
}

bool TEditAction::CanRunOn(TEditActionKind Kind, const TCustomEdit* Edit) {
  const bool selection = Edit->SelLength() > 0;
  switch (Kind) {
    case eakCut:
    case eakDelete: return selection && !Edit->ReadOnly();
    case eakCopy: return selection;
    case eakPaste: return !Edit->ReadOnly() && Clipboard()->HasFormat(CF_TEXT);
    case eakSelectAll: return !Edit->Text().empty();
  }
  return false;
}

}  // namespace ui
