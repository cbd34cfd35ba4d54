#include "transport/tcp/client/net_tcp_client.h"

#include "transport/tcp/core/net_exception.h"
#include "transport/tcp/client/net_io_handler_stack.h"

namespace net {

const ui::TClassInfo& TNetTCPClientCustom::StaticClassInfo() {
  static const ui::TClassInfo info =
      ui::TClassBuilder<TNetTCPClientCustom>("TNetTCPClientCustom", &TNetTCPConnection::StaticClassInfo()).Build();
  return info;
}

const ui::TClassInfo& TNetTCPClient::StaticClassInfo() {
  static const ui::TClassInfo info =
      ui::TClassBuilder<TNetTCPClient>("TNetTCPClient", &TNetTCPClientCustom::StaticClassInfo()).Build();
  return info;
}

void TNetTCPClientCustom::InitializeComponent() {
  TNetTCPConnection::InitializeComponent();
  ipVersion_ = Id_IPv4;
  readTimeout_ = -1;
  boundPort_ = boundPortMin_ = boundPortMax_ = 0;
  useNagle_ = true;
}

TNetIOHandler* TNetTCPClientCustom::CreateDefaultIOHandler() {
  // Naming the stack handler here keeps it, and its registration as the
  // default class, in every program that links a client.
  TNetIOHandler* handler = CreateDefaultHandler(this);
  return handler ? handler : NetCreate<TNetIOHandlerStack>(this);
}

void TNetTCPClientCustom::SetIOHandler(TNetIOHandler* value) {
  TNetTCPConnection::SetIOHandler(value);
  if (TNetIOHandler* handler = IOHandler()) {
    handler->SetPort(port_);
    handler->SetHost(host_);
    handler->SetConnectTimeout(connectTimeout_);
    handler->SetReadTimeout(readTimeout_);
  }
  if (SocketIOHandler()) CopyBindingSettings();
}

void TNetTCPClientCustom::CopyBindingSettings() {
  TNetIOHandlerSocket* socket = SocketIOHandler();
  socket->SetBoundIP(boundIP_);
  socket->SetBoundPort(boundPort_);
  socket->SetBoundPortMin(boundPortMin_);
  socket->SetBoundPortMax(boundPortMax_);
  socket->SetIPVersion(ipVersion_);
  socket->SetReuseSocket(reuseSocket_);
  socket->SetUseNagle(useNagle_);
  socket->OnBeforeBind = onBeforeBind_;
  socket->OnAfterBind = onAfterBind_;
  socket->OnSocketAllocated = onSocketAllocated_;
}

void TNetTCPClientCustom::ConnectToHost() {
  if (IsConnected()) RaiseNet<ENetAlreadyConnected>("rsalreadyconnected");
  if (host_.empty()) throw ENetHostRequired(u"A Host is required");
  if (port_ == 0) throw ENetPortRequired(u"A Port is required");
  if (!IOHandler()) {
    TNetIOHandler* handler = CreateDefaultIOHandler();
    SetIOHandler(handler);
    SetOwnsIOHandler(true);
    handler->OnStatus = OnStatus;
  }
  try {
    TNetIOHandler* handler = IOHandler();
    if (!destination_.empty()) handler->SetDestination(destination_);
    handler->SetPort(port_);
    handler->SetHost(host_);
    handler->SetConnectTimeout(connectTimeout_);
    handler->SetReadTimeout(readTimeout_);
    if (SocketIOHandler()) CopyBindingSettings();
    handler->OpenHandler();
    if (handler->Intercept()) handler->Intercept()->InterceptConnect(this);
    if (OnStatus) ReportStatus(hsConnected, {host_});
    NotifyConnected();
  } catch (...) {
    if (IOHandler()) {
      try {
        IOHandler()->CloseHandler();
      } catch (...) {
        // The connect's own failure is the one to report.
      }
      if (OwnsIOHandler()) SetIOHandler(nullptr);
    }
    throw;
  }
}

rtl::String TNetTCPClientCustom::ConnectAndReadAll() {
  ConnectToHost();
  rtl::String text;
  try {
    text = IOHandler()->ReadAllText();
  } catch (...) {
    CloseConnection();
    throw;
  }
  CloseConnection();
  return text;
}

void TNetTCPClientCustom::NotifyConnected() {
  if (OnConnected) OnConnected(this);
}

void TNetTCPClientCustom::SetBoundIP(const rtl::String& value) {
  boundIP_ = value;
  if (SocketIOHandler()) SocketIOHandler()->SetBoundIP(value);
}

void TNetTCPClientCustom::SetBoundPort(std::uint16_t value) {
  boundPort_ = value;
  if (SocketIOHandler()) SocketIOHandler()->SetBoundPort(value);
}

void TNetTCPClientCustom::SetConnectTimeout(std::int32_t value) {
  connectTimeout_ = value;
  if (IOHandler()) IOHandler()->SetConnectTimeout(value);
}

void TNetTCPClientCustom::SetHost(const rtl::String& value) {
  host_ = value;
  if (IOHandler()) IOHandler()->SetHost(value);
}

void TNetTCPClientCustom::SetIPVersion(TNetIPVersion value) {
  ipVersion_ = value;
  if (SocketIOHandler()) SocketIOHandler()->SetIPVersion(value);
}

void TNetTCPClientCustom::SetPort(std::uint16_t value) {
  port_ = value;
  if (IOHandler()) IOHandler()->SetPort(value);
}

std::int32_t TNetTCPClientCustom::ReadTimeout() const {
  return IOHandler() ? IOHandler()->ReadTimeout() : readTimeout_;
}

void TNetTCPClientCustom::SetReadTimeout(std::int32_t value) {
  readTimeout_ = value;
  if (IOHandler()) IOHandler()->SetReadTimeout(value);
}

TNetReuseSocket TNetTCPClientCustom::ReuseSocket() const {
  return SocketIOHandler() ? SocketIOHandler()->ReuseSocket() : reuseSocket_;
}

void TNetTCPClientCustom::SetReuseSocket(TNetReuseSocket value) {
  reuseSocket_ = value;
  if (SocketIOHandler()) SocketIOHandler()->SetReuseSocket(value);
}

bool TNetTCPClientCustom::UseNagle() const { return SocketIOHandler() ? SocketIOHandler()->UseNagle() : useNagle_; }

void TNetTCPClientCustom::SetUseNagle(bool value) {
  useNagle_ = value;
  if (SocketIOHandler()) SocketIOHandler()->SetUseNagle(value);
}

void TNetTCPClientCustom::SetOnBeforeBind(TNetNotifyEvent value) {
  onBeforeBind_ = value;
  if (SocketIOHandler()) SocketIOHandler()->OnBeforeBind = std::move(value);
}

void TNetTCPClientCustom::SetOnAfterBind(TNetNotifyEvent value) {
  onAfterBind_ = value;
  if (SocketIOHandler()) SocketIOHandler()->OnAfterBind = std::move(value);
}

void TNetTCPClientCustom::SetOnSocketAllocated(TNetNotifyEvent value) {
  onSocketAllocated_ = value;
  if (SocketIOHandler()) SocketIOHandler()->OnSocketAllocated = std::move(value);
}

}  // namespace net
