// The socket interface every part of the socket library goes through, and the
// one process-wide stack object behind it. The object is made for the first
// user and freed after the last; components and byte buffers are users.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "platform/classes/classes.h"
#include "transport/tcp/core/net_exception.h"
#include "transport/tcp/core/net_global.h"
#include "platform/classes/string_list.h"
#include "platform/net/winsock_types.h"

namespace net {

using TNetStackSocketHandle = ws::SOCKET;
inline constexpr TNetStackSocketHandle Id_INVALID_SOCKET = ws::INVALID_SOCKET;
inline constexpr std::int32_t Id_SOCKET_ERROR = -1;

// Socket error numbers the library compares against.
inline constexpr std::int32_t Id_WSAENOTSOCK = 10038;
inline constexpr std::int32_t Id_WSAEMSGSIZE = 10040;
inline constexpr std::int32_t Id_WSAEOPNOTSUPP = 10045;
inline constexpr std::int32_t Id_WSAECONNREFUSED = 10061;
inline constexpr std::int32_t Id_WSAEHOSTUNREACH = 10065;
inline constexpr std::int32_t Id_WSAEWOULDBLOCK = 10035;
inline constexpr std::int32_t Id_WSAENOBUFS = 10055;
inline constexpr std::int32_t Id_WSAHOST_NOT_FOUND = 11001;

// Option levels and names in the numbering of the system interface.
inline constexpr std::int32_t Id_SOL_SOCKET = 0xFFFF;
inline constexpr std::int32_t Id_SO_REUSEADDR = 4;
inline constexpr std::int32_t Id_SO_KEEPALIVE = 8;
inline constexpr std::int32_t Id_SO_BROADCAST = 0x20;
inline constexpr std::int32_t Id_SO_RCVTIMEO = 0x1006;
inline constexpr std::int32_t Id_SO_TYPE = 0x1008;
inline constexpr std::int32_t Id_SOCKETOPTIONLEVEL_TCP = 6;
inline constexpr std::int32_t Id_TCP_NODELAY = 1;
inline constexpr std::int32_t Id_SOCK_STREAM = 1;
inline constexpr std::int32_t Id_SOCK_DGRAM = 2;
inline constexpr std::int32_t Id_IPPROTO_TCP = 6;

// The datagram details that a receive with packet information fills.
struct TNetDatagramDetails {
  rtl::String SourceIP;
  std::uint16_t SourcePort = 0;
  TNetIPVersion SourceIPVersion = Id_IPv4;
  rtl::String DestIP;
  std::uint32_t DestIF = 0;
  TNetIPVersion DestIPVersion = Id_IPv4;
  std::uint8_t TTL = 0;
};
void ClearPacketInfo(TNetDatagramDetails& details);

// --- local addresses ------------------------------------------------------
class TNetStackLocalAddressList;

class TNetStackLocalAddress : public ui::TCollectionItem {
 public:
  TNetStackLocalAddress(TNetStackLocalAddressList* collection, const rtl::String& address, TNetIPVersion version);
  TNetIPVersion AddressIPVersion() const { return ipVersion_; }
  const rtl::String& AddressText() const { return address_; }
  const rtl::String& AdapterName() const { return adapterName_; }
  void SetAdapterName(const rtl::String& value) { adapterName_ = value; }
  std::int32_t AdapterIndex() const { return adapterIndex_; }
  void SetAdapterIndex(std::int32_t value) { adapterIndex_ = value; }

 private:
  TNetIPVersion ipVersion_;
  rtl::String address_;
  rtl::String adapterName_;
  std::int32_t adapterIndex_ = 0;
};

class TNetStackLocalAddressIPv4 : public TNetStackLocalAddress {
 public:
  TNetStackLocalAddressIPv4(TNetStackLocalAddressList* collection, const rtl::String& address,
                            const rtl::String& netMask);
  const rtl::String& NetMask() const { return netMask_; }

 private:
  rtl::String netMask_;
};

class TNetStackLocalAddressIPv6 : public TNetStackLocalAddress {
 public:
  TNetStackLocalAddressIPv6(TNetStackLocalAddressList* collection, const rtl::String& address);
};

// Items are made by their own constructors (they need an address), never
// through Add.
class TNetStackLocalAddressList : public ui::TCollection {
 public:
  TNetStackLocalAddressList();
  TNetStackLocalAddress* Address(int index) const { return static_cast<TNetStackLocalAddress*>(Items(index)); }
};

// --- socket lists ---------------------------------------------------------
class TNetSocketList {
 public:
  TNetSocketList() = default;
  TNetSocketList(const TNetSocketList&) = delete;
  TNetSocketList& operator=(const TNetSocketList&) = delete;
  virtual ~TNetSocketList() = default;

  virtual TNetStackSocketHandle SocketAt(std::int32_t index) = 0;
  virtual void AddSocket(TNetStackSocketHandle socket) = 0;
  virtual std::unique_ptr<TNetSocketList> CloneList() = 0;
  virtual std::int32_t SocketCount() = 0;
  virtual void RemoveSocket(TNetStackSocketHandle socket) = 0;
  virtual void ClearList() = 0;
  virtual bool IncludesSocket(TNetStackSocketHandle socket) = 0;
  // Time-outs in ms; -2 waits without limit.
  virtual bool SelectForRead(std::int32_t timeout) = 0;
  virtual bool SelectReadInto(std::unique_ptr<TNetSocketList>& list, std::int32_t timeout) = 0;

  // An instance of the registered list class.
  static std::unique_ptr<TNetSocketList> NewSocketList();
  // The registered list class's select over up to three lists (any may be
  // missing); each given list keeps the sockets that are ready. Without a
  // list class the answer is false.
  static bool SelectLists(TNetSocketList* readList, TNetSocketList* writeList, TNetSocketList* errorList,
                          std::int32_t timeout);

  void EnterList() { lock_.Enter(); }
  void LeaveList() { lock_.Leave(); }

 protected:
  TNetCriticalSection lock_;
};

using TNetSocketListFactory = std::unique_ptr<TNetSocketList> (*)();
using TNetSelectListsFn = bool (*)(TNetSocketList*, TNetSocketList*, TNetSocketList*, std::int32_t);
// The list class the stack unit registers (its factory and its select).
void SetSocketListClass(TNetSocketListFactory factory, TNetSelectListsFn select);

// --- the stack ------------------------------------------------------------
class TNetStack {
 public:
  TNetStack() = default;
  TNetStack(const TNetStack&) = delete;
  TNetStack& operator=(const TNetStack&) = delete;
  virtual ~TNetStack() = default;

  virtual rtl::String ResolveName(const rtl::String& host, TNetIPVersion version) = 0;
  virtual rtl::String LocalHostName() = 0;
  virtual TNetStackSocketHandle AcceptConnection(TNetStackSocketHandle socket, rtl::String& address,
                                                 std::uint16_t& port, TNetIPVersion& version) = 0;
  virtual void BindSocket(TNetStackSocketHandle socket, const rtl::String& address, std::uint16_t port,
                          TNetIPVersion version) = 0;
  virtual void ConnectSocketTo(TNetStackSocketHandle socket, const rtl::String& address, std::uint16_t port,
                               TNetIPVersion version) = 0;
  virtual void ShutdownAndClose(TNetStackSocketHandle socket) = 0;
  virtual std::int32_t ControlSocket(TNetStackSocketHandle socket, std::int32_t command, std::uint32_t& argument) = 0;
  virtual void PeerAddressOf(TNetStackSocketHandle socket, rtl::String& address, std::uint16_t& port,
                             TNetIPVersion& version) = 0;
  virtual void LocalAddressOf(TNetStackSocketHandle socket, rtl::String& address, std::uint16_t& port,
                              TNetIPVersion& version) = 0;
  virtual rtl::String NameOfAddress(const rtl::String& address, TNetIPVersion version) = 0;
  virtual std::uint16_t HostToNet16(std::uint16_t value) = 0;
  virtual std::uint32_t HostToNet32(std::uint32_t value) = 0;
  virtual std::uint64_t HostToNet64(std::uint64_t value) = 0;
  virtual TNetIPv6Address HostToNetIPv6(const TNetIPv6Address& address);
  virtual void ListenOn(TNetStackSocketHandle socket, std::int32_t backlog) = 0;
  virtual std::int32_t LastSocketError() = 0;
  virtual void SetLastSocketError(std::int32_t code) = 0;
  virtual rtl::String SocketErrorText(std::int32_t code);
  [[noreturn]] void RaiseSocketCode(std::int32_t code);
  virtual TNetStackSocketHandle MakeSocket(std::int32_t socketType, std::int32_t protocol, TNetIPVersion version,
                                           bool overlapped) = 0;
  virtual std::uint16_t NetToHost16(std::uint16_t value) = 0;
  virtual std::uint32_t NetToHost32(std::uint32_t value) = 0;
  virtual std::uint64_t NetToHost64(std::uint64_t value) = 0;
  virtual TNetIPv6Address NetToHostIPv6(const TNetIPv6Address& address);
  virtual std::int32_t ReadOption(TNetStackSocketHandle socket, std::int32_t level, std::int32_t option) = 0;
  virtual void WriteOption(TNetStackSocketHandle socket, std::int32_t level, std::int32_t option,
                           std::int32_t value) = 0;
  virtual std::int32_t ReceiveOn(TNetStackSocketHandle socket, TNetBytes& bytes) = 0;
  // Waits up to `timeout` ms (below 0: without limit) until one socket has
  // something to read, or has closed or failed, which a read then reports.
  virtual bool WaitReadableOn(TNetStackSocketHandle socket, std::int32_t timeout);
  virtual std::int32_t SendOn(TNetStackSocketHandle socket, const TNetBytes& bytes, std::int32_t offset = 0,
                              std::int32_t count = -1) = 0;
  virtual std::int32_t ReceiveFromOn(TNetStackSocketHandle socket, TNetBytes& bytes, rtl::String& address,
                                     std::uint16_t& port, TNetIPVersion& version) = 0;
  virtual void SendToOn(TNetStackSocketHandle socket, const rtl::String& address, std::uint16_t port,
                        TNetIPVersion version, const TNetBytes& bytes, std::int32_t offset = 0,
                        std::int32_t count = -1) = 0;
  virtual std::int32_t ReceiveWithInfo(TNetStackSocketHandle socket, TNetBytes& bytes,
                                       TNetDatagramDetails& details) = 0;
  virtual bool HasIPv4Support() = 0;
  virtual bool HasIPv6Support() = 0;
  virtual void SetKeepAlive(TNetStackSocketHandle socket, bool enabled, std::int32_t timeMs, std::int32_t intervalMs);
  virtual void SetMulticastHops(TNetStackSocketHandle socket, std::int32_t value, TNetIPVersion version) = 0;
  virtual void SetMulticastLoop(TNetStackSocketHandle socket, bool flag, TNetIPVersion version) = 0;
  virtual void LeaveMulticastGroup(TNetStackSocketHandle socket, const rtl::String& group, const rtl::String& local,
                                   TNetIPVersion version) = 0;
  virtual void JoinMulticastGroup(TNetStackSocketHandle socket, const rtl::String& group, const rtl::String& local,
                                  TNetIPVersion version) = 0;
  virtual std::uint16_t InternetChecksum(const TNetBytes& bytes);
  virtual void StoreChecksum(TNetStackSocketHandle socket, TNetBytes& bytes, std::int32_t offset,
                             const rtl::String& address, std::uint16_t port, TNetIPVersion version) = 0;
  virtual void CollectLocalAddresses(TNetStackLocalAddressList& list) = 0;

  // Shared by every stack.
  bool IsIPv4Text(std::u16string_view text);
  rtl::String ResolveAddress(const rtl::String& host, TNetIPVersion version);
  std::int32_t CheckSocketResult(std::int32_t result);
  std::int32_t CheckSocketResult(std::int32_t result, std::initializer_list<std::int32_t> tolerated);
  [[noreturn]] void RaiseLastFailure();
  [[noreturn]] void RaiseIPVersionUnsupported();
  bool IsIPv4MulticastGroup(std::u16string_view text);
  bool IsIPv6MulticastGroup(std::u16string_view text);

  // The usage count of the global stack: the first use makes the object
  // (of the registered class), the last frees it.
  static void IncUsage();
  static void DecUsage();
};

using TNetStackFactory = std::unique_ptr<TNetStack> (*)();
// The class IncUsage instantiates; nullptr leaves it undefined.
void SetStackClass(TNetStackFactory factory);
TNetStackFactory StackClass();

// The one stack object; nullptr while no user holds it. Callers hold a use
// (a component or a buffer) while they call it.
TNetStack* GlobalStack();
std::int32_t StackUsers();

// Releases the usage taken by its construction, on any path out.
class TNetStackUse {
 public:
  TNetStackUse() { TNetStack::IncUsage(); }
  ~TNetStackUse() { TNetStack::DecUsage(); }
  TNetStackUse(const TNetStackUse&) = delete;
  TNetStackUse& operator=(const TNetStackUse&) = delete;
};

}  // namespace net
