// Widgets that carry a control: every event goes to the control first, as a
// message, and the control lets Qt's own handling run through DefaultHandler.
// Private to platform/ui.
#pragma once

#include <type_traits>

#include <QEvent>
#include <QPaintEvent>
#include <QAbstractScrollArea>
#include <QWidget>
#include <utility>

#include "platform/ui/controls.h"

namespace ui::qt {

class HostIface {
 public:
  virtual ~HostIface() = default;
  virtual TWinControl* Control() const = 0;
  virtual void Detach() = 0;
  // Qt's own handling of an event, past the control (messages sent by code).
  virtual bool BaseEvent(QEvent* e) = 0;
  // Events of this widget being handled now (a widget in use is freed later).
  int depth = 0;
};

struct DepthScope {
  explicit DepthScope(HostIface* h) : host(h) { ++host->depth; }
  ~DepthScope() { --host->depth; }
  HostIface* host;
};

template <class Base>
class Host : public Base, public HostIface {
 public:
  template <class... A>
  explicit Host(TWinControl* control, bool isClient, A&&... args)
      : Base(std::forward<A>(args)...), control_(control), isClient_(isClient) {}

  TWinControl* Control() const override { return control_; }
  void Detach() override { control_ = nullptr; }
  bool BaseEvent(QEvent* e) override { return Base::event(e); }

  bool event(QEvent* e) override {
    // Qt frees the widget inside this one.
    if (e->type() == QEvent::DeferredDelete) return Base::event(e);
    DepthScope scope(this);
    // A scroll area paints its own window (round the viewport) from here,
    // not through paintEvent: a frame of the control's own is painted then.
    if constexpr (std::is_base_of_v<QAbstractScrollArea, Base>) {
      if (control_ && e->type() == QEvent::Paint && control_->NonClientMargins() != TPadding{}) {
        control_->HostPaint(this, e, [this, e] { Base::event(e); }, isClient_);
        return true;
      }
    }
    if (!control_ || e->type() == QEvent::Paint) return Base::event(e);
    return control_->HostEvent(this, e, isClient_, [this](QEvent* ev) { return Base::event(ev); });
  }

 protected:
  void paintEvent(QPaintEvent* e) override {
    DepthScope scope(this);
    // A scroll area gets its viewport's paint events here, but may only paint on the
    // viewport; what the control shows there is painted by its client widget.
    if constexpr (std::is_base_of_v<QAbstractScrollArea, Base>) {
      Base::paintEvent(e);
      return;
    }
    if (!control_) {
      Base::paintEvent(e);
      return;
    }
    control_->HostPaint(this, e, [this, e] { Base::paintEvent(e); }, isClient_);
  }

 private:
  TWinControl* control_;
  bool isClient_;
};

}  // namespace ui::qt
