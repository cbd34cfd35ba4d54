#include "transport/tcp/stack/net_socket_handle.h"

#include "transport/tcp/stack/net_anti_freeze.h"
#include "transport/tcp/core/net_exception.h"

namespace net {

TNetSocketHandles::TNetSocketHandles()
    : ui::TCollection([](ui::TCollection* c) -> ui::TCollectionItem* { return new TNetSocketHandle(c); }) {}

const ui::TClassInfo& TNetSocketHandle::StaticClassInfo() {
  static const ui::TClassInfo info =
      ui::TClassBuilder<TNetSocketHandle>("TNetSocketHandle", &ui::TCollectionItem::StaticClassInfo())
          .Integer("ClientPortMin", &TNetSocketHandle::ClientPortMin, &TNetSocketHandle::SetClientPortMin, 0)
          .Integer("ClientPortMax", &TNetSocketHandle::ClientPortMax, &TNetSocketHandle::SetClientPortMax, 0)
          .Str("IP", &TNetSocketHandle::IP, &TNetSocketHandle::SetIP)
          .Integer("Port", &TNetSocketHandle::Port, &TNetSocketHandle::SetPort, 0)
          .Boolean("BroadcastEnabled", &TNetSocketHandle::BroadcastEnabled, &TNetSocketHandle::SetBroadcastEnabled, 0)
          .Boolean("UseNagle", &TNetSocketHandle::UseNagle, &TNetSocketHandle::SetUseNagle, 1)
          .Enum("IPVersion", "TNetIPVersion", {"Id_IPv4", "Id_IPv6"}, &TNetSocketHandle::IPVersion,
                &TNetSocketHandle::SetIPVersion, Id_IPv4)
          .Enum("ReuseSocket", "TNetReuseSocket", {"rsOSDependent", "rsTrue", "rsFalse"},
                &TNetSocketHandle::ReuseSocket, &TNetSocketHandle::SetReuseSocket, rsOSDependent)
          .Build();
  return info;
}

TNetSocketHandle::TNetSocketHandle(ui::TCollection* collection)
    : ui::TCollectionItem(collection),
      readList_(TNetSocketList::NewSocketList()),
      handleLock_(std::make_unique<TNetCriticalSection>()) {
  ClearBinding(true);
  if (auto* handles = dynamic_cast<TNetSocketHandles*>(collection)) port_ = handles->DefaultPort();
}

TNetSocketHandle::~TNetSocketHandle() {
  try {
    ShutSocket();
  } catch (...) {
    // A failing close must not stop the destruction.
  }
}

TNetStack& TNetSocketHandle::Stack() const { return *GlobalStack(); }

void TNetSocketHandle::OpenSocket(std::int32_t socketType, std::int32_t protocol) {
  ShutSocket();
  if (HasHandle()) ClearBinding(true);
  AssignHandle(Stack().MakeSocket(socketType, protocol, ipVersion_, overlappedIO_));
}

void TNetSocketHandle::AssignHandle(TNetStackSocketHandle handle) {
  const TNetStackSocketHandle previous = socketHandle_.load();
  if (previous != Id_INVALID_SOCKET) readList_->RemoveSocket(previous);
  socketHandle_.store(handle);
  hasHandle_.store(handle != Id_INVALID_SOCKET);
  receiveTimeout_ = -1;
  if (handle == Id_INVALID_SOCKET) {
    socketKind_ = 0;
    return;
  }
  readList_->AddSocket(handle);
  socketKind_ = Stack().ReadOption(handle, Id_SOL_SOCKET, Id_SO_TYPE);
  if (socketKind_ == Id_SOCK_STREAM)
    useNagle_ = Stack().ReadOption(handle, Id_SOCKETOPTIONLEVEL_TCP, Id_TCP_NODELAY) == 0;
}

void TNetSocketHandle::ClearBinding(bool resetLocal) {
  AssignHandle(Id_INVALID_SOCKET);
  if (resetLocal) {
    ip_.clear();
    port_ = 0;
  }
  remoteIP_.clear();
  remotePort_ = 0;
  ipVersion_ = Id_IPv4;
}

void TNetSocketHandle::BindLocal() {
  WriteSocketOption(Id_SOL_SOCKET, Id_SO_REUSEADDR, reuseSocket_ == rsTrue ? 1 : 0);
  if (port_ == 0 && clientPortMin_ != 0 && clientPortMax_ != 0) {
    if (clientPortMin_ > clientPortMax_)
      RaiseNet<ENetInvalidPortRange>("rsinvalidportrange", {clientPortMin_, clientPortMax_});
    if (!BindInRange()) RaiseNet<ENetCanNotBindPortInRange>("rscannotbindrange", {clientPortMin_, clientPortMax_});
    return;
  }
  try {
    Stack().BindSocket(SocketHandle(), ip_, port_, ipVersion_);
    RefreshLocalAddress();
  } catch (const std::exception&) {
    RaiseNet<ENetCouldNotBindSocket>("rscouldnotbindsocket");
  }
}

bool TNetSocketHandle::BindInRange() {
  for (std::int32_t port = clientPortMax_; port >= clientPortMin_; --port)
    if (TryBindPort(static_cast<std::uint16_t>(port))) return true;
  return false;
}

bool TNetSocketHandle::TryBindPort(std::uint16_t port) {
  try {
    Stack().BindSocket(SocketHandle(), ip_, port, ipVersion_);
    RefreshLocalAddress();
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

void TNetSocketHandle::ConnectPeer() {
  TNetStackSocketHandle socket;
  {
    std::lock_guard<TNetCriticalSection> lock(*handleLock_);
    socket = SocketHandle();
  }
  // Outside the lock, so that a close from another thread can break it.
  Stack().ConnectSocketTo(socket, remoteIP_, remotePort_, ipVersion_);
  std::lock_guard<TNetCriticalSection> lock(*handleLock_);
  if (HasHandle() && SocketHandle() == socket) {
    RefreshLocalAddress();
    RefreshPeerAddress();
  }
}

void TNetSocketHandle::DropConnection() { Stack().ShutdownAndClose(SocketHandle()); }

void TNetSocketHandle::ShutSocket() {
  std::lock_guard<TNetCriticalSection> lock(*handleLock_);
  if (!HasHandle()) return;
  hasHandle_.store(false);
  DropConnection();
  AssignHandle(Id_INVALID_SOCKET);
}

void TNetSocketHandle::SetPeerAddress(const rtl::String& address, std::uint16_t port, TNetIPVersion version) {
  remoteIP_ = address;
  remotePort_ = port;
  ipVersion_ = version;
}

void TNetSocketHandle::SetLocalAddress(const rtl::String& address, std::uint16_t port, TNetIPVersion version) {
  ip_ = address;
  port_ = port;
  ipVersion_ = version;
}

void TNetSocketHandle::RefreshLocalAddress() { Stack().LocalAddressOf(SocketHandle(), ip_, port_, ipVersion_); }

void TNetSocketHandle::RefreshPeerAddress() {
  Stack().PeerAddressOf(SocketHandle(), remoteIP_, remotePort_, ipVersion_);
}

std::int32_t TNetSocketHandle::SendBytes(const TNetBytes& bytes, std::int32_t offset, std::int32_t count) {
  return Stack().SendOn(SocketHandle(), bytes, offset, count);
}

std::int32_t TNetSocketHandle::ReceiveBytes(TNetBytes& bytes) { return Stack().ReceiveOn(SocketHandle(), bytes); }

std::int32_t TNetSocketHandle::ReceiveFromPeer(TNetBytes& bytes, rtl::String& address, std::uint16_t& port,
                                               TNetIPVersion& version) {
  return Stack().ReceiveFromOn(SocketHandle(), bytes, address, port, version);
}

std::int32_t TNetSocketHandle::ReadSocketOption(std::int32_t level, std::int32_t option) {
  return Stack().ReadOption(SocketHandle(), level, option);
}

void TNetSocketHandle::WriteSocketOption(std::int32_t level, std::int32_t option, std::int32_t value) {
  Stack().WriteOption(SocketHandle(), level, option, value);
}

bool TNetSocketHandle::PollReadable(std::int32_t timeout) {
  if (!HasHandle()) RaiseNet<ENetConnClosedGracefully>("rsconnectionclosedgracefully");
  const bool readable = Stack().WaitReadableOn(SocketHandle(), timeout);
  TNetAntiFreezeBase::PumpIfDue(!readable);
  return readable;
}

bool TNetSocketHandle::WaitReadable(std::int32_t timeout) {
  if (timeout == -1) timeout = -2;
  if (!TNetAntiFreezeBase::ShouldPump()) return PollReadable(timeout);
  const TNetAntiFreezeBase* antiFreeze = SharedAntiFreeze();
  const std::int32_t slice = antiFreeze && antiFreeze->IdleTimeOut() > 0 ? antiFreeze->IdleTimeOut() : 250;
  if (timeout < 0) {
    while (!PollReadable(slice)) {
    }
    return true;
  }
  std::int32_t remaining = timeout;
  while (slice < remaining) {
    if (PollReadable(slice)) return true;
    remaining -= slice;
  }
  return PollReadable(remaining);
}

void TNetSocketHandle::SetReceiveTimeout(std::int32_t timeout) {
  if (timeout == receiveTimeout_) return;
  WriteSocketOption(Id_SOL_SOCKET, Id_SO_RCVTIMEO, timeout);
  receiveTimeout_ = timeout;
}

void TNetSocketHandle::SetIPVersion(TNetIPVersion value) {
  if (value == ipVersion_) return;
  if (HasHandle()) RaiseNet<ENetCannotSetIPVersionWhenConnected>("rscannotsetipversionwhenconnected");
  ipVersion_ = value;
}

void TNetSocketHandle::SetUseNagle(bool value) {
  if (value == useNagle_) return;
  useNagle_ = value;
  ApplyNagle();
}

void TNetSocketHandle::ApplyNagle() {
  if (HasHandle() && socketKind_ == Id_SOCK_STREAM)
    WriteSocketOption(Id_SOCKETOPTIONLEVEL_TCP, Id_TCP_NODELAY, useNagle_ ? 0 : 1);
}

void TNetSocketHandle::SetBroadcastEnabled(bool value) {
  if (value == broadcastEnabled_) return;
  broadcastEnabled_ = value;
  if (HasHandle()) ApplyBroadcast();
}

void TNetSocketHandle::ApplyBroadcast() {
  WriteSocketOption(Id_SOL_SOCKET, Id_SO_BROADCAST, broadcastEnabled_ ? 1 : 0);
}

void TNetSocketHandle::Assign(const ui::TPersistent* Source) {
  if (auto* other = dynamic_cast<const TNetSocketHandle*>(Source)) {
    ip_ = other->ip_;
    port_ = other->port_;
    remoteIP_ = other->remoteIP_;
    remotePort_ = other->remotePort_;
    ipVersion_ = other->ipVersion_;
    return;
  }
  ui::TCollectionItem::Assign(Source);
}

}  // namespace net
