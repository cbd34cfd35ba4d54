#include "platform/ui/checks.h"

#include <QCheckBox>
#include <QRadioButton>
#include <QSignalBlocker>

#include "platform/ui/guard.h"
#include "platform/ui/host.h"
#include "platform/ui/qt_bridge.h"

namespace ui {

const TClassInfo& TCheckBox::StaticClassInfo() {
  static const TClassInfo info =
      TClassBuilder<TCheckBox>("TCheckBox", &TWinControl::StaticClassInfo())
          .Str("Caption", &TCheckBox::Caption, &TCheckBox::SetCaption)
          .Boolean("AllowGrayed", &TCheckBox::AllowGrayed, &TCheckBox::SetAllowGrayed, 0)
          .Boolean("Checked", &TCheckBox::Checked, &TCheckBox::SetChecked, 0)
          .Enum("State", "TCheckBoxState", {"cbUnchecked", "cbChecked", "cbGrayed"}, &TCheckBox::State,
                &TCheckBox::SetState, cbUnchecked)
          .NotStored()
          .Build();
  return info;
}

TCheckBox::TCheckBox(TComponent* AOwner) : TWinControl(AOwner) {
  controlStyle_ = TControlStyle{csSetCaption, csDoubleClicks};
  SetTabStop(true);
  SetParentColor(true);
  SetBounds(0, 0, 97, 17);
}

TCheckBox::~TCheckBox() { BeginDestroy(); }

QWidget* TCheckBox::CreateWidget(QWidget* Parent) {
  auto* b = new qt::Host<QCheckBox>(this, false, Parent);
  // clicked() comes from the user only; code changes run OnClick in SetState.
  QObject::connect(b, &QCheckBox::clicked, b, [this, b] {
    Guarded([this, b] {
      Qt::CheckState s = b->checkState();
      state_ = s == Qt::Checked ? cbChecked : s == Qt::PartiallyChecked ? cbGrayed : cbUnchecked;
      auto alive = alive_;
      SendCommandToParent(this, BN_CLICKED);
      if (*alive) Click();
    });
  });
  return b;
}

void TCheckBox::InitWidget() {
  auto* b = static_cast<QCheckBox*>(widget_);
  QSignalBlocker block(b);
  b->setText(qt::Q(text_));
  b->setTristate(allowGrayed_);
  b->setCheckState(state_ == cbChecked ? Qt::Checked : state_ == cbGrayed ? Qt::PartiallyChecked : Qt::Unchecked);
}

void TCheckBox::SetTextInternal(const String& Value) {
  text_ = Value;
  if (widget_) static_cast<QCheckBox*>(widget_)->setText(qt::Q(Value));
}

void TCheckBox::SetAllowGrayed(bool Value) {
  allowGrayed_ = Value;
  if (widget_) static_cast<QCheckBox*>(widget_)->setTristate(Value);
}

void TCheckBox::SetState(TCheckBoxState Value) {
  if (Value == state_) return;
  state_ = Value;
  if (widget_) {
    auto* b = static_cast<QCheckBox*>(widget_);
    QSignalBlocker block(b);
    b->setCheckState(Value == cbChecked ? Qt::Checked : Value == cbGrayed ? Qt::PartiallyChecked : Qt::Unchecked);
  }
  if (!IsLoading()) Click();
}

// --- TRadioButton --------------------------------------------------------------------

const TClassInfo& TRadioButton::StaticClassInfo() {
  static const TClassInfo info = TClassBuilder<TRadioButton>("TRadioButton", &TWinControl::StaticClassInfo())
                                     .Str("Caption", &TRadioButton::Caption, &TRadioButton::SetCaption)
                                     .Boolean("Checked", &TRadioButton::Checked, &TRadioButton::SetChecked, 0)
                                     .Build();
  return info;
}

TRadioButton::TRadioButton(TComponent* AOwner) : TWinControl(AOwner) {
  controlStyle_ = TControlStyle{csSetCaption, csDoubleClicks};
  SetParentColor(true);
  SetBounds(0, 0, 113, 17);
}

TRadioButton::~TRadioButton() { BeginDestroy(); }

QWidget* TRadioButton::CreateWidget(QWidget* Parent) {
  auto* b = new qt::Host<QRadioButton>(this, false, Parent);
  // The group is kept by this layer (also without windows); Qt only shows it.
  b->setAutoExclusive(false);
  QObject::connect(b, &QRadioButton::clicked, b, [this, b] {
    Guarded([this, b] {
      if (!b->isChecked()) {
        // A click on the checked button leaves it checked.
        SyncWidget();
        return;
      }
      checked_ = false;
      auto alive = alive_;
      SendCommandToParent(this, BN_CLICKED);
      if (*alive) SetChecked(true);
    });
  });
  return b;
}

void TRadioButton::InitWidget() {
  auto* b = static_cast<QRadioButton*>(widget_);
  b->setText(qt::Q(text_));
  SyncWidget();
}

void TRadioButton::SyncWidget() {
  if (!widget_) return;
  auto* b = static_cast<QRadioButton*>(widget_);
  QSignalBlocker block(b);
  b->setChecked(checked_);
}

void TRadioButton::SetTextInternal(const String& Value) {
  text_ = Value;
  if (widget_) static_cast<QRadioButton*>(widget_)->setText(qt::Q(Value));
}

void TRadioButton::SetChecked(bool Value) {
  if (Value == checked_) return;
  checked_ = Value;
  SyncWidget();
  if (!Value) return;
  if (TWinControl* p = Parent()) {
    for (int i = 0; i < p->ControlCount(); ++i) {
      auto* other = dynamic_cast<TRadioButton*>(p->Controls(i));
      if (other && other != this && other->checked_) {
        other->checked_ = false;
        other->SyncWidget();
      }
    }
  }
  if (!IsLoading()) Click();
}

}  // namespace ui
