// Input-method settings of a windowed control on Qt. Qt has no way to open
// or close an input method, nor to choose one by name; what it has are the
// per-widget hints an input method reads when the widget takes the focus,
// and the switch that keeps input methods away from a widget altogether.
//   imDisable          input methods off for the widget
//   imClose, imAlpha   Latin preferred (the input method starts closed)
//   imSAlpha           Latin only (half-width letters and digits)
//   imDontCare, imOpen, the kana, Chinese and Hangul modes: no hint; Qt
//                      cannot ask for a script or for an open input method
#include <QGuiApplication>
#include <QInputMethod>
#include <QVariant>
#include <QWidget>

#include "platform/ui/controls.h"

namespace ui {
namespace {

constexpr Qt::InputMethodHints kOurHints = Qt::ImhLatinOnly | Qt::ImhPreferLatin;

Qt::InputMethodHints HintsOf(TImeMode Mode) {
  switch (Mode) {
    case imClose:
    case imAlpha: return Qt::ImhPreferLatin;
    case imSAlpha: return Qt::ImhLatinOnly;
    default: return Qt::ImhNone;
  }
}

// The widget remembers what Qt had before imDisable, so leaving that mode
// gives back no more than was there.
constexpr const char* kSavedEnabled = "jqImeSavedEnabled";

void ApplyTo(QWidget* W, TImeMode Mode) {
  if (!W) return;
  W->setInputMethodHints((W->inputMethodHints() & ~kOurHints) | HintsOf(Mode));
  const QVariant saved = W->property(kSavedEnabled);
  if (Mode == imDisable) {
    if (!saved.isValid()) W->setProperty(kSavedEnabled, W->testAttribute(Qt::WA_InputMethodEnabled));
    W->setAttribute(Qt::WA_InputMethodEnabled, false);
  } else if (saved.isValid()) {
    W->setAttribute(Qt::WA_InputMethodEnabled, saved.toBool());
    W->setProperty(kSavedEnabled, QVariant());
  }
}

}  // namespace

void TWinControl::SetImeMode(TImeMode Value) {
  if (Value == imeMode_) return;
  imeMode_ = Value;
  ApplyImeToWidget();
}

void TWinControl::SetTakesComposition(bool Value) {
  takesComposition_ = Value;
  ApplyImeToWidget();
}

void TWinControl::ApplyImeToWidget() {
  if (!widget_) return;
  if (takesComposition_ && imeMode_ != imDisable) widget_->setAttribute(Qt::WA_InputMethodEnabled, true);
  ApplyTo(widget_, imeMode_);
  // Composite controls take their keys in an inner widget.
  QWidget* proxy = widget_->focusProxy();
  ApplyTo(proxy, imeMode_);
  if (widget_->hasFocus() || (proxy && proxy->hasFocus())) QGuiApplication::inputMethod()->update(Qt::ImHints | Qt::ImEnabled);
}

}  // namespace ui
