// The optional application-wide object that lets blocking waits of the
// socket library on the main thread hand control back to message processing.
// At most one exists; without it no wait pumps. Pumping itself is left to a
// subclass of the window layer.
#pragma once

#include <atomic>

#include "transport/tcp/stack/net_component.h"

namespace net {

class TNetAntiFreezeBase : public TNetBaseComponent {
  JQ_UI_CLASSINFO
 public:
  using TNetBaseComponent::TNetBaseComponent;
  ~TNetAntiFreezeBase() override;

  // True only with an instance, on the main thread, while it is Active.
  static bool ShouldPump();
  static void PumpIfDue(bool idle = true, bool force = false);
  virtual void PumpMessages() = 0;

  bool Active() const { return active_; }
  void SetActive(bool value) { active_ = value; }
  bool ApplicationHasPriority() const { return applicationHasPriority_; }
  void SetApplicationHasPriority(bool value) { applicationHasPriority_ = value; }
  std::int32_t IdleTimeOut() const { return idleTimeOut_; }
  void SetIdleTimeOut(std::int32_t value) { idleTimeOut_ = value; }
  bool OnlyWhenIdle() const { return onlyWhenIdle_; }
  void SetOnlyWhenIdle(bool value) { onlyWhenIdle_ = value; }

 protected:
  void InitializeComponent() override;

 private:
  bool active_ = true;
  bool applicationHasPriority_ = true;
  std::int32_t idleTimeOut_ = 250;
  bool onlyWhenIdle_ = true;
};

// The registered instance, nullptr when there is none.
TNetAntiFreezeBase* SharedAntiFreeze();

}  // namespace net
