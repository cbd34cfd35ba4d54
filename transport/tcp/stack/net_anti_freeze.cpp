#include "transport/tcp/stack/net_anti_freeze.h"

#include "transport/tcp/core/net_exception.h"
#include "platform/runtime/thread.h"

namespace net {
namespace {
std::atomic<TNetAntiFreezeBase*> g_shared{nullptr};
}

const ui::TClassInfo& TNetAntiFreezeBase::StaticClassInfo() {
  static const ui::TClassInfo info =
      ui::TClassBuilder<TNetAntiFreezeBase>("TNetAntiFreezeBase", &TNetBaseComponent::StaticClassInfo())
          .Boolean("Active", &TNetAntiFreezeBase::Active, &TNetAntiFreezeBase::SetActive, 1)
          .Boolean("ApplicationHasPriority", &TNetAntiFreezeBase::ApplicationHasPriority,
                   &TNetAntiFreezeBase::SetApplicationHasPriority, 1)
          .Integer("IdleTimeOut", &TNetAntiFreezeBase::IdleTimeOut, &TNetAntiFreezeBase::SetIdleTimeOut, 250)
          .Boolean("OnlyWhenIdle", &TNetAntiFreezeBase::OnlyWhenIdle, &TNetAntiFreezeBase::SetOnlyWhenIdle, 1)
          .Build();
  return info;
}

TNetAntiFreezeBase* SharedAntiFreeze() { return g_shared.load(); }

void TNetAntiFreezeBase::InitializeComponent() {
  TNetBaseComponent::InitializeComponent();
  if (!IsDesignTime()) {
    TNetAntiFreezeBase* expected = nullptr;
    if (!g_shared.compare_exchange_strong(expected, this)) RaiseNet<ENetException>("rsantifreezeonlyone");
  }
  active_ = true;
  applicationHasPriority_ = true;
  idleTimeOut_ = 250;
  onlyWhenIdle_ = true;
}

TNetAntiFreezeBase::~TNetAntiFreezeBase() {
  TNetAntiFreezeBase* self = this;
  g_shared.compare_exchange_strong(self, nullptr);
}

bool TNetAntiFreezeBase::ShouldPump() {
  TNetAntiFreezeBase* shared = g_shared.load();
  return shared && rtl::IsMainThread() && shared->Active();
}

void TNetAntiFreezeBase::PumpIfDue(bool idle, bool force) {
  if (!ShouldPump()) return;
  TNetAntiFreezeBase* shared = g_shared.load();
  if (shared && (!shared->OnlyWhenIdle() || idle || force)) shared->PumpMessages();
}

}  // namespace net
