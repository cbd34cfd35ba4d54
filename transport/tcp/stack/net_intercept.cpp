#include "transport/tcp/stack/net_intercept.h"

#include "transport/tcp/core/net_exception.h"

namespace net {

const ui::TClassInfo& TNetConnectionIntercept::StaticClassInfo() {
  static const ui::TClassInfo info =
      ui::TClassBuilder<TNetConnectionIntercept>("TNetConnectionIntercept", &TNetBaseComponent::StaticClassInfo())
          .Build();
  return info;
}

void TNetConnectionIntercept::InitializeComponent() {
  TNetBaseComponent::InitializeComponent();
  isClient_ = true;
}

void TNetConnectionIntercept::InterceptConnect(ui::TComponent* connection) {
  connection_ = connection;
  if (OnConnect) OnConnect(this);
  if (intercept_) intercept_->InterceptConnect(connection);
}

void TNetConnectionIntercept::InterceptDisconnect() {
  if (intercept_) intercept_->InterceptDisconnect();
  if (OnDisconnect) OnDisconnect(this);
  connection_ = nullptr;
}

void TNetConnectionIntercept::InterceptReceive(TNetBytes& block) {
  if (intercept_) intercept_->InterceptReceive(block);
  if (OnReceive) OnReceive(this, block);
}

void TNetConnectionIntercept::InterceptSend(TNetBytes& block) {
  if (OnSend) OnSend(this, block);
  if (intercept_) intercept_->InterceptSend(block);
}

void TNetConnectionIntercept::SetIntercept(TNetConnectionIntercept* value) {
  if (value == intercept_) return;
  for (TNetConnectionIntercept* link = value; link; link = link->intercept_)
    if (link == this) RaiseNet<ENetInterceptCircularLink>("rsinterceptcircularlink", {ClassName()});
  intercept_ = value;
  if (value) FreeNotification(value);
}

void TNetConnectionIntercept::ComponentNotification(ui::TComponent* AComponent, ui::TOperation Operation) {
  if (Operation == ui::opRemove && AComponent == intercept_) intercept_ = nullptr;
  TNetBaseComponent::ComponentNotification(AComponent, Operation);
}

}  // namespace net
