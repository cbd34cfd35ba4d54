#include "platform/ui/actions.h"

#include "platform/ui/application.h"

namespace ui {
namespace {

using Offer = bool (TControl::*)(TBasicAction*);

bool OfferToControls(TWinControl* Parent, TBasicAction* Action, Offer Take) {
  for (int i = 0; i < Parent->ControlCount(); ++i) {
    TControl* c = Parent->Controls(i);
    if (!c->Visible()) continue;
    if ((c->*Take)(Action)) return true;
    if (auto* w = dynamic_cast<TWinControl*>(c); w && OfferToControls(w, Action, Take)) return true;
  }
  return false;
}

bool OfferToForm(TCustomForm* Form, TBasicAction* Action, Offer Take) {
  if (!Form) return false;
  if (TWinControl* active = Form->ActiveControl(); active && (active->*Take)(Action)) return true;
  if ((Form->*Take)(Action)) return true;
  return Form->Visible() && OfferToControls(Form, Action, Take);
}

// The active form first, then the main form.
bool OfferToForms(TBasicAction* Action, Offer Take) {
  TCustomForm* active = Screen ? Screen->ActiveForm() : nullptr;
  if (OfferToForm(active, Action, Take)) return true;
  TCustomForm* main = Application ? Application->MainForm() : nullptr;
  return main != active && OfferToForm(main, Action, Take);
}

}  // namespace

const TClassInfo& TBasicAction::StaticClassInfo() {
  static const TClassInfo info = TClassBuilder<TBasicAction>("TBasicAction", &TComponent::StaticClassInfo()).Build();
  return info;
}

const TClassInfo& THintAction::StaticClassInfo() {
  static const TClassInfo info = TClassBuilder<THintAction>("THintAction", &TBasicAction::StaticClassInfo()).Build();
  return info;
}

const TClassInfo& TCustomAction::StaticClassInfo() {
  static const TClassInfo info =
      TClassBuilder<TCustomAction>("TCustomAction", &TBasicAction::StaticClassInfo()).Build();
  return info;
}

void TCustomAction::SetEnabled(bool Value) {
  if (Value == enabled_) return;
  enabled_ = Value;
  Changed();
}

void TCustomAction::SetHint(const String& Value) {
  if (Value == hint_) return;
  hint_ = Value;
  Changed();
}

void TCustomAction::SetShortCut(std::uint16_t Value) {
  if (Value == shortCut_) return;
  shortCut_ = Value;
  Changed();
}

void TCustomAction::SetVisible(bool Value) {
  if (Value == visible_) return;
  visible_ = Value;
  Changed();
}

int TCustomAction::AddChangeListener(std::function<void()> Listener) {
  listeners_.emplace_back(nextListener_, std::move(Listener));
  return nextListener_++;
}

void TCustomAction::RemoveChangeListener(int Id) {
  std::erase_if(listeners_, [Id](const auto& l) { return l.first == Id; });
}

void TCustomAction::Changed() {
  // A listener may remove itself (or others) while it runs.
  auto copy = listeners_;
  for (auto& l : copy) l.second();
}

TBasicAction::TBasicAction(TComponent* AOwner) : TComponent(AOwner) {}
TBasicAction::~TBasicAction() { BeginDestroy(); }

bool TBasicAction::Execute() {
  if (OnExecute) {
    OnExecute(this);
    return true;
  }
  return OfferToForms(this, &TControl::ExecuteAction);
}

bool TBasicAction::Update() {
  if (OnUpdate) {
    OnUpdate(this);
    return true;
  }
  return OfferToForms(this, &TControl::UpdateAction);
}

bool TControl::ExecuteAction(TBasicAction* Action) {
  if (!Action || !Action->HandlesTarget(this)) return false;
  Action->ExecuteTarget(this);
  return true;
}

bool TControl::UpdateAction(TBasicAction* Action) {
  if (!Action || !Action->HandlesTarget(this)) return false;
  Action->UpdateTarget(this);
  return true;
}

String GetLongHint(const String& Hint) {
  std::size_t bar = Hint.find(u'|');
  return bar == String::npos ? Hint : Hint.substr(bar + 1);
}

String GetControlHint(const TControl* Control) {
  for (const TControl* c = Control; c; c = c->Parent())
    if (!c->Hint().empty()) return c->Hint();
  return {};
}

}  // namespace ui
