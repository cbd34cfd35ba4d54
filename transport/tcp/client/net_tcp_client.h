// The TCP client: connection settings, the I/O handler it makes and
// configures, and the connect itself.
#pragma once

#include "transport/tcp/client/net_tcp_connection.h"

namespace net {

class TNetTCPClientCustom : public TNetTCPConnection {
  JQ_UI_CLASSINFO
 public:
  using TNetTCPConnection::TNetTCPConnection;

  // Raises ENetAlreadyConnected, ENetHostRequired, ENetPortRequired, or
  // what the connect raised; a failed connect leaves no I/O handler behind.
  virtual void ConnectToHost();
  virtual rtl::String ConnectAndReadAll();
  void SetIOHandler(TNetIOHandler* value) override;

  const rtl::String& BoundIP() const { return boundIP_; }
  void SetBoundIP(const rtl::String& value);
  std::uint16_t BoundPort() const { return boundPort_; }
  void SetBoundPort(std::uint16_t value);
  std::uint16_t BoundPortMin() const { return boundPortMin_; }
  void SetBoundPortMin(std::uint16_t value) { boundPortMin_ = value; }
  std::uint16_t BoundPortMax() const { return boundPortMax_; }
  void SetBoundPortMax(std::uint16_t value) { boundPortMax_ = value; }
  std::int32_t ConnectTimeout() const { return connectTimeout_; }
  void SetConnectTimeout(std::int32_t value);
  const rtl::String& Destination() const { return destination_; }
  void SetDestination(const rtl::String& value) { destination_ = value; }
  const rtl::String& Host() const { return host_; }
  virtual void SetHost(const rtl::String& value);
  TNetIPVersion IPVersion() const { return ipVersion_; }
  virtual void SetIPVersion(TNetIPVersion value);
  std::uint16_t Port() const { return port_; }
  virtual void SetPort(std::uint16_t value);
  std::int32_t ReadTimeout() const;
  void SetReadTimeout(std::int32_t value);
  TNetReuseSocket ReuseSocket() const;
  void SetReuseSocket(TNetReuseSocket value);
  bool UseNagle() const;
  void SetUseNagle(bool value);
  void SetOnBeforeBind(TNetNotifyEvent value);
  void SetOnAfterBind(TNetNotifyEvent value);
  void SetOnSocketAllocated(TNetNotifyEvent value);

  TNetNotifyEvent OnConnected;

 protected:
  void InitializeComponent() override;
  virtual void NotifyConnected();
  virtual TNetIOHandler* CreateDefaultIOHandler();

 private:
  void CopyBindingSettings();

  rtl::String boundIP_;
  std::uint16_t boundPort_ = 0;
  std::uint16_t boundPortMax_ = 0;
  std::uint16_t boundPortMin_ = 0;
  std::int32_t connectTimeout_ = 0;
  rtl::String destination_;
  rtl::String host_;
  TNetIPVersion ipVersion_ = Id_IPv4;
  std::uint16_t port_ = 0;
  std::int32_t readTimeout_ = -1;
  TNetReuseSocket reuseSocket_ = rsOSDependent;
  bool useNagle_ = true;
  TNetNotifyEvent onBeforeBind_;
  TNetNotifyEvent onAfterBind_;
  TNetNotifyEvent onSocketAllocated_;
};

class TNetTCPClient : public TNetTCPClientCustom {
  JQ_UI_CLASSINFO
 public:
  using TNetTCPClientCustom::TNetTCPClientCustom;
};

}  // namespace net
