// A component between an I/O handler and its socket that sees every connect,
// disconnect and block received or sent. Intercepts chain: outgoing data
// passes this one before the next, incoming data the next one first.
#pragma once

#include <functional>

#include "transport/tcp/stack/net_component.h"

namespace net {

using TNetInterceptNotifyEvent = std::function<void(ui::TObject* ASender)>;
using TNetInterceptStreamEvent = std::function<void(ui::TObject* ASender, TNetBytes& ABuffer)>;

class TNetConnectionIntercept : public TNetBaseComponent {
  JQ_UI_CLASSINFO
 public:
  using TNetBaseComponent::TNetBaseComponent;

  virtual void InterceptConnect(ui::TComponent* connection);
  virtual void InterceptDisconnect();
  virtual void InterceptReceive(TNetBytes& block);
  virtual void InterceptSend(TNetBytes& block);

  ui::TComponent* Connection() const { return connection_; }
  TNetConnectionIntercept* Intercept() const { return intercept_; }
  // Raises ENetInterceptCircularLink when the chain from the new value
  // leads back to this intercept.
  void SetIntercept(TNetConnectionIntercept* value);
  bool IsClient() const { return isClient_; }

  TNetInterceptNotifyEvent OnConnect;
  TNetInterceptNotifyEvent OnDisconnect;
  TNetInterceptStreamEvent OnReceive;
  TNetInterceptStreamEvent OnSend;

 protected:
  void InitializeComponent() override;
  void ComponentNotification(ui::TComponent* AComponent, ui::TOperation Operation) override;

 private:
  ui::TComponent* connection_ = nullptr;
  TNetConnectionIntercept* intercept_ = nullptr;
  bool isClient_ = false;
};

}  // namespace net
