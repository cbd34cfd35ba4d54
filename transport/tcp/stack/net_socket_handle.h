// One operating-system socket with its local and peer addresses, option
// settings and a one-socket list for readability waits. Every call goes
// through the global socket stack; the owner holds a use of it.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "platform/classes/classes.h"
#include "transport/tcp/stack/net_stack.h"

namespace net {

// A collection of socket handles: the port each new handle starts with.
class TNetSocketHandles : public ui::TCollection {
 public:
  TNetSocketHandles();
  std::uint16_t DefaultPort() const { return defaultPort_; }
  void SetDefaultPort(std::uint16_t value) { defaultPort_ = value; }

 private:
  std::uint16_t defaultPort_ = 0;
};

class TNetSocketHandle : public ui::TCollectionItem {
  JQ_UI_CLASSINFO
 public:
  explicit TNetSocketHandle(ui::TCollection* collection = nullptr);
  ~TNetSocketHandle() override;

  void OpenSocket(std::int32_t socketType = Id_SOCK_STREAM, std::int32_t protocol = 0);
  void AssignHandle(TNetStackSocketHandle handle);
  void ClearBinding(bool resetLocal = true);
  void BindLocal();
  virtual void ConnectPeer();
  virtual void DropConnection();
  // Closes the socket; harmless when there is none.
  virtual void ShutSocket();
  void SetPeerAddress(const rtl::String& address, std::uint16_t port, TNetIPVersion version);
  void SetLocalAddress(const rtl::String& address, std::uint16_t port, TNetIPVersion version);
  void RefreshLocalAddress();
  void RefreshPeerAddress();
  std::int32_t SendBytes(const TNetBytes& bytes, std::int32_t offset = 0, std::int32_t count = -1);
  std::int32_t ReceiveBytes(TNetBytes& bytes);
  std::int32_t ReceiveFromPeer(TNetBytes& bytes, rtl::String& address, std::uint16_t& port, TNetIPVersion& version);
  std::int32_t ReadSocketOption(std::int32_t level, std::int32_t option);
  void WriteSocketOption(std::int32_t level, std::int32_t option, std::int32_t value);
  // Time-out in ms, -1 without limit.
  bool WaitReadable(std::int32_t timeout);
  // How long a receive on this socket waits before it fails with 10060; 0
  // without limit. Written to the socket only when it changes.
  void SetReceiveTimeout(std::int32_t timeout);
  void ApplyNagle();
  void ApplyBroadcast();

  void Assign(const ui::TPersistent* Source) override;

  std::uint16_t ClientPortMin() const { return clientPortMin_; }
  void SetClientPortMin(std::uint16_t value) { clientPortMin_ = value; }
  std::uint16_t ClientPortMax() const { return clientPortMax_; }
  void SetClientPortMax(std::uint16_t value) { clientPortMax_ = value; }
  TNetStackSocketHandle SocketHandle() const { return socketHandle_.load(); }
  bool HasHandle() const { return hasHandle_.load(); }
  const rtl::String& IP() const { return ip_; }
  void SetIP(const rtl::String& value) { ip_ = value; }
  const rtl::String& RemoteIP() const { return remoteIP_; }
  std::uint16_t Port() const { return port_; }
  void SetPort(std::uint16_t value) { port_ = value; }
  std::uint16_t RemotePort() const { return remotePort_; }
  std::int32_t SocketKind() const { return socketKind_; }
  bool OverlappedIO() const { return overlappedIO_; }
  void SetOverlappedIO(bool value) { overlappedIO_ = value; }
  TNetIPVersion IPVersion() const { return ipVersion_; }
  void SetIPVersion(TNetIPVersion value);
  bool BroadcastEnabled() const { return broadcastEnabled_; }
  void SetBroadcastEnabled(bool value);
  bool UseNagle() const { return useNagle_; }
  void SetUseNagle(bool value);
  TNetReuseSocket ReuseSocket() const { return reuseSocket_; }
  void SetReuseSocket(TNetReuseSocket value) { reuseSocket_ = value; }
  TNetSocketList& ReadList() { return *readList_; }

 private:
  bool BindInRange();
  bool TryBindPort(std::uint16_t port);
  bool PollReadable(std::int32_t timeout);
  TNetStack& Stack() const;

  // Held so that the stack outlives every socket made through it.
  TNetStackUse stackUse_;
  std::uint16_t clientPortMin_ = 0;
  std::uint16_t clientPortMax_ = 0;
  // The socket may be closed from another thread while a connect runs.
  std::atomic<TNetStackSocketHandle> socketHandle_{Id_INVALID_SOCKET};
  std::atomic<bool> hasHandle_{false};
  rtl::String ip_;
  rtl::String remoteIP_;
  std::uint16_t port_ = 0;
  std::uint16_t remotePort_ = 0;
  std::unique_ptr<TNetSocketList> readList_;
  std::int32_t socketKind_ = 0;
  // What the socket was last given; -1 until then (an accepted socket may
  // carry its listener's setting).
  std::int32_t receiveTimeout_ = -1;
  bool overlappedIO_ = false;
  TNetIPVersion ipVersion_ = Id_IPv4;
  std::unique_ptr<TNetCriticalSection> handleLock_;
  bool broadcastEnabled_ = false;
  bool useNagle_ = true;
  TNetReuseSocket reuseSocket_ = rsOSDependent;
};

}  // namespace net
