#include "transport/tcp/proxy/net_transparent_proxy.h"

#include "transport/tcp/core/net_exception.h"

namespace net {

const ui::TClassInfo& TNetCustomTransparentProxy::StaticClassInfo() {
  static const ui::TClassInfo info = ui::TClassBuilder<TNetCustomTransparentProxy>(
                                         "TNetCustomTransparentProxy", &TNetComponent::StaticClassInfo())
                                         .Build();
  return info;
}

void TNetCustomTransparentProxy::InitializeComponent() {
  TNetComponent::InitializeComponent();
  ipVersion_ = Id_IPv4;
}

void TNetCustomTransparentProxy::Assign(const ui::TPersistent* Source) {
  const auto* other = dynamic_cast<const TNetCustomTransparentProxy*>(Source);
  if (!other) {
    TNetComponent::Assign(Source);
    return;
  }
  host_ = other->host_;
  password_ = other->password_;
  port_ = other->port_;
  ipVersion_ = other->ipVersion_;
  username_ = other->username_;
}

void TNetCustomTransparentProxy::ComponentNotification(ui::TComponent* AComponent, ui::TOperation Operation) {
  if (Operation == ui::opRemove && AComponent == chainedProxy_) chainedProxy_ = nullptr;
  TNetComponent::ComponentNotification(AComponent, Operation);
}

void TNetCustomTransparentProxy::SetChainedProxy(TNetCustomTransparentProxy* value) {
  if (value == chainedProxy_) return;
  for (const TNetCustomTransparentProxy* link = value; link; link = link->chainedProxy_)
    if (link == this) RaiseNet<ENetTransparentProxyCircularLink>("rsinterceptcircularlink", {ClassName()});
  chainedProxy_ = value;
  if (value) FreeNotification(value);
}

void TNetCustomTransparentProxy::ConnectToTarget(TNetIOHandler& handler, const rtl::String& host, std::uint16_t port,
                                                 TNetIPVersion version) {
  if (chainedProxy_ && chainedProxy_->IsEnabled()) {
    // The hop to the next proxy always goes by IPv4, whatever that proxy
    // uses to reach its own targets.
    RequestConnect(handler, chainedProxy_->Host(), chainedProxy_->Port(), Id_IPv4);
    chainedProxy_->ConnectToTarget(handler, host, port, version);
  } else {
    RequestConnect(handler, host, port, version);
  }
}

void TNetCustomTransparentProxy::OpenUDPRelay(TNetSocketHandle&, const rtl::String&, std::uint16_t, TNetIPVersion) {
  RaiseNet<ENetTransparentProxyUDPNotSupported>("rstransparentproxycannotsupportudp");
}

void TNetCustomTransparentProxy::CloseUDPRelay(TNetSocketHandle&) {
  RaiseNet<ENetTransparentProxyUDPNotSupported>("rstransparentproxycannotsupportudp");
}

std::int32_t TNetCustomTransparentProxy::ReceiveUDPFrom(TNetSocketHandle&, TNetBytes&, rtl::String&, std::uint16_t&,
                                                        TNetIPVersion&, std::int32_t) {
  RaiseNet<ENetTransparentProxyUDPNotSupported>("rstransparentproxycannotsupportudp");
}

void TNetCustomTransparentProxy::SendUDPTo(TNetSocketHandle&, const rtl::String&, std::uint16_t, TNetIPVersion,
                                           const TNetBytes&) {
  RaiseNet<ENetTransparentProxyUDPNotSupported>("rstransparentproxycannotsupportudp");
}

void TNetCustomTransparentProxy::RequestBind(TNetIOHandlerSocket&, const rtl::String&, std::uint16_t,
                                             TNetIPVersion) {
  RaiseNet<ENetTransparentProxyCantBind>("rstransparentproxycannotbind");
}

bool TNetCustomTransparentProxy::WaitForInbound(TNetIOHandlerSocket&, std::int32_t) {
  RaiseNet<ENetTransparentProxyCantBind>("rstransparentproxycannotbind");
}

}  // namespace net
