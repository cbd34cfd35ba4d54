#include "actions.h"

#include "application.h"

namespace ui {
namespace {

bool OfferToControls(TWinControl* Parent, TBasicAction* Action) {
  for (int i = 0; i < Parent->ControlCount(); ++i) {
    TControl* c = Parent->Controls(i);
    if (!c->Visible()) continue;
    if (c->ExecuteAction(Action)) return true;
    if (auto* w = dynamic_cast<TWinControl*>(c); w && OfferToControls(w, Action)) return true;
  }
  return false;
}

bool OfferToForm(TCustomForm* Form, TBasicAction* Action) {
  if (!Form) return false;
  if (TWinControl* active = Form->ActiveControl(); active && active->ExecuteAction(Action)) return true;
  if (Form->ExecuteAction(Action)) return true;
  return Form->Visible() && OfferToControls(Form, Action);
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

TBasicAction::TBasicAction(TComponent* AOwner) : TComponent(AOwner) {}
TBasicAction::~TBasicAction() { BeginDestroy(); }

bool TBasicAction::Execute() {
  if (OnExecute) {
    OnExecute(this);
    return true;
  }
  TCustomForm* active = Screen ? Screen->ActiveForm() : nullptr;
  if (OfferToForm(active, this)) return true;
  TCustomForm* main = Application ? Application->MainForm() : nullptr;
  return main != active && OfferToForm(main, this);
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
