// The base of the proxies a socket I/O handler can reach its host through:
// the proxy server's address and login, a link to a further proxy (a chain,
// every hop over the same socket), and the operations a concrete proxy
// supplies: connect on to a target, bind for one inbound connection, and a
// UDP relay.
#pragma once

#include <cstdint>

#include "transport/tcp/stack/net_component.h"

namespace net {

class TNetIOHandler;
class TNetIOHandlerSocket;
class TNetSocketHandle;

class TNetCustomTransparentProxy : public TNetComponent {
  JQ_UI_CLASSINFO
 public:
  using TNetComponent::TNetComponent;

  // Negotiates the way to host:port over the handler's socket, which is
  // already connected to this proxy, through the whole chain.
  void ConnectToTarget(TNetIOHandler& handler, const rtl::String& host, std::uint16_t port, TNetIPVersion version);

  virtual bool IsEnabled() const = 0;
  virtual void SwitchEnabled(bool) {}
  virtual void RequestConnect(TNetIOHandler& handler, const rtl::String& host, std::uint16_t port,
                              TNetIPVersion version) = 0;
  virtual void OpenUDPRelay(TNetSocketHandle& handle, const rtl::String& host, std::uint16_t port,
                            TNetIPVersion version);
  virtual void CloseUDPRelay(TNetSocketHandle& handle);
  // Data bytes copied into buffer; wait in ms, -1 without limit.
  virtual std::int32_t ReceiveUDPFrom(TNetSocketHandle& handle, TNetBytes& buffer, rtl::String& peerIP,
                                      std::uint16_t& peerPort, TNetIPVersion& version, std::int32_t wait);
  virtual void SendUDPTo(TNetSocketHandle& handle, const rtl::String& host, std::uint16_t port,
                         TNetIPVersion version, const TNetBytes& data);
  virtual void RequestBind(TNetIOHandlerSocket& handler, const rtl::String& host, std::uint16_t port,
                           TNetIPVersion version);
  virtual bool WaitForInbound(TNetIOHandlerSocket& handler, std::int32_t wait);

  // A proxy of the same class, for a handler that keeps its own copy of a
  // proxy nobody owns.
  virtual TNetCustomTransparentProxy* CreateSameKind(ui::TComponent* owner) const = 0;

  // Copies the server settings; the chain link stays.
  void Assign(const ui::TPersistent* Source) override;

  const rtl::String& Host() const { return host_; }
  void SetHost(const rtl::String& value) { host_ = value; }
  const rtl::String& Password() const { return password_; }
  void SetPassword(const rtl::String& value) { password_ = value; }
  std::uint16_t Port() const { return port_; }
  void SetPort(std::uint16_t value) { port_ = value; }
  TNetIPVersion IPVersion() const { return ipVersion_; }
  void SetIPVersion(TNetIPVersion value) { ipVersion_ = value; }
  const rtl::String& Username() const { return username_; }
  void SetUsername(const rtl::String& value) { username_ = value; }
  TNetCustomTransparentProxy* ChainedProxy() const { return chainedProxy_; }
  // Raises ENetTransparentProxyCircularLink when the chain from the new
  // value leads back to this proxy; nothing changes then.
  void SetChainedProxy(TNetCustomTransparentProxy* value);

 protected:
  void InitializeComponent() override;
  void ComponentNotification(ui::TComponent* AComponent, ui::TOperation Operation) override;

 private:
  rtl::String host_;
  rtl::String password_;
  std::uint16_t port_ = 0;
  TNetIPVersion ipVersion_ = Id_IPv4;
  rtl::String username_;
  TNetCustomTransparentProxy* chainedProxy_ = nullptr;
};

}  // namespace net
