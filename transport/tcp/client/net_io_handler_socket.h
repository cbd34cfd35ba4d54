// An I/O handler that owns one socket binding: it makes the socket, binds it
// locally and closes it, and holds the local-bind and socket-option choices.
#pragma once

#include <functional>
#include <memory>

#include "transport/tcp/client/net_io_handler.h"
#include "transport/tcp/stack/net_socket_handle.h"

namespace net {

class TNetCustomTransparentProxy;

using TNetNotifyEvent = std::function<void(ui::TObject* ASender)>;

class TNetIOHandlerSocket : public TNetIOHandler {
  JQ_UI_CLASSINFO
 public:
  using TNetIOHandler::TNetIOHandler;
  ~TNetIOHandlerSocket() override;

  bool HasSocket() const;
  bool IsConnected() override;
  void OpenHandler() override;
  void CloseHandler() override;
  void AdoptAcceptedSocket() override;
  rtl::String Destination() const override;
  void SetDestination(const rtl::String& value) override;

  TNetSocketHandle* SocketBinding() const { return binding_.get(); }
  const rtl::String& BoundIP() const { return boundIP_; }
  void SetBoundIP(const rtl::String& value) { boundIP_ = value; }
  std::uint16_t BoundPort() const { return boundPort_; }
  void SetBoundPort(std::uint16_t value) { boundPort_ = value; }
  std::uint16_t BoundPortMin() const { return boundPortMin_; }
  void SetBoundPortMin(std::uint16_t value) { boundPortMin_ = value; }
  std::uint16_t BoundPortMax() const { return boundPortMax_; }
  void SetBoundPortMax(std::uint16_t value) { boundPortMax_ = value; }
  std::uint16_t DefaultPort() const { return defaultPort_; }
  void SetDefaultPort(std::uint16_t value) { defaultPort_ = value; }
  bool UseNagle() const;
  void SetUseNagle(bool value);
  TNetReuseSocket ReuseSocket() const;
  void SetReuseSocket(TNetReuseSocket value);
  TNetIPVersion IPVersion() const { return ipVersion_; }
  void SetIPVersion(TNetIPVersion value) { ipVersion_ = value; }

  // Reading makes a SOCKS proxy of the handler's own when none is set. A
  // proxy with an owner is referenced; one without is copied into a proxy
  // the handler owns.
  virtual TNetCustomTransparentProxy* TransparentProxy();
  virtual void SetTransparentProxy(TNetCustomTransparentProxy* value);
  // The proxy in use, without making one.
  TNetCustomTransparentProxy* AssignedProxy() const { return transparentProxy_; }
  bool OwnsProxy() const { return ownsProxy_; }
  // Stops using the proxy without freeing it: a proxy running an exchange
  // over this handler takes itself off while it connects to its server.
  // One the handler made stays its component and is freed with it.
  void DetachTransparentProxy();

  TNetNotifyEvent OnBeforeBind;
  TNetNotifyEvent OnAfterBind;
  TNetNotifyEvent OnSocketAllocated;

 protected:
  void InitializeComponent() override;
  void ComponentNotification(ui::TComponent* AComponent, ui::TOperation Operation) override;
  bool HasSource() const override { return HasSocket(); }
  std::int32_t ErrorFromResult(std::int32_t result) override;
  [[noreturn]] void RaiseSocketFailure(std::int32_t code) override;

  // Makes, binds and sets up the socket; descendants connect it.
  virtual void ConnectSocket();
  virtual void FireBeforeBind();
  virtual void FireAfterBind();
  virtual void FireSocketAllocated();

 private:
  std::unique_ptr<TNetSocketHandle> binding_;
  rtl::String boundIP_;
  std::uint16_t boundPort_ = 0;
  std::uint16_t boundPortMax_ = 0;
  std::uint16_t boundPortMin_ = 0;
  std::uint16_t defaultPort_ = 0;
  bool useNagle_ = true;
  TNetReuseSocket reuseSocket_ = rsOSDependent;
  TNetIPVersion ipVersion_ = Id_IPv4;
  TNetCustomTransparentProxy* transparentProxy_ = nullptr;
  bool ownsProxy_ = false;
};

}  // namespace net
