#include "transport/tcp/stack/net_stack_windows.h"

#include <cstring>
#include <mutex>

#include "platform/runtime/convert.h"
#include "platform/net/dynamic_library.h"
#include "platform/net/file_handles.h"
#include "transport/tcp/core/net_addr_info.h"
#include "transport/tcp/core/net_idn.h"
#include "transport/tcp/stack/net_local_addresses.h"
#include "transport/tcp/core/net_winsock2.h"
#include "platform/runtime/rtl_string.h"

namespace net {
namespace {

namespace wsk = net::winsock;

std::mutex& StartLock() {
  static std::mutex m;
  return m;
}
std::atomic<bool> g_winsockStarted{false};
std::atomic<TNetStackBSDBase*> g_bsdInstance{nullptr};
std::atomic<TNetStackWindows*> g_windowsInstance{nullptr};

constexpr std::uint32_t kSioKeepAliveVals = 0x98000004u;
constexpr std::int32_t kIpPktInfo = 19;
constexpr std::int32_t kIpTtlInfo = 21;
constexpr std::int32_t kIpMulticastHops = 10, kIpMulticastLoop = 11, kIpAddMembership = 12,
                       kIpDropMembership = 13;
constexpr std::int32_t kLevelIP = 0, kLevelIPv6 = 41;

// A system error while the libraries start: the message of what failed.
[[noreturn]] void RaiseInitFailure(const rtl::String& message) { throw ENetStackInitializationFailed(message); }

std::string HostBytes(const rtl::String& host) { return rtl::StringToUtf8(host); }

// Windows control-message header, followed by its data.
struct ControlHeader {
  std::size_t len;
  int level;
  int type;
};

}  // namespace

bool WinsockStarted() { return g_winsockStarted.load(); }
TNetStackBSDBase* BSDStackInstance() { return g_bsdInstance.load(); }
TNetStackWindows* WindowsStackInstance() { return g_windowsInstance.load(); }

TNetFileTransmitProc FileTransmitProc() { return WindowsPlatform() == 2 ? &TransmitWholeFile : nullptr; }

std::int64_t TransmitWholeFile(TNetStackSocketHandle socket, const rtl::String& fileName) {
  const ws::HANDLE file = platform::net::OpenFileForSending(rtl::ToSysPath(fileName));
  if (file == platform::net::INVALID_FILE_HANDLE) return 0;
  std::int64_t result = 0;
  try {
    if (wsk::TransmitFile(socket, file, 0, 0, nullptr, nullptr, 0)) {
      std::uint64_t size = 0;
      if (platform::net::FileHandleSize(file, size)) result = static_cast<std::int64_t>(size);
    }
  } catch (...) {
    platform::net::CloseFileHandle(file);
    throw;
  }
  platform::net::CloseFileHandle(file);
  return result;
}

void UnloadStackLibraries() {
  std::lock_guard<std::mutex> lock(StartLock());
  wsk::UnloadAddrInfoFunctions();
  wsk::UnloadWinsockLibrary();
  idn::UnloadIdnFunctions();
  UnloadIphlpapiLibrary();
  g_winsockStarted.store(false);
}

// --- BSD base ---------------------------------------------------------------
TNetStackBSDBase::TNetStackBSDBase() { g_bsdInstance.store(this); }

TNetStackBSDBase::~TNetStackBSDBase() {
  TNetStackBSDBase* self = this;
  g_bsdInstance.compare_exchange_strong(self, nullptr);
}

std::int32_t TNetStackBSDBase::FamilyOf(TNetIPVersion version) {
  return version == Id_IPv6 ? ws::WS_AF_INET6 : ws::WS_AF_INET;
}

TNetStackSocketHandle TNetStackBSDBase::MakeSocket(std::int32_t socketType, std::int32_t protocol,
                                                   TNetIPVersion version, bool overlapped) {
  if (version != Id_IPv4 && version != Id_IPv6) RaiseIPVersionUnsupported();
  const TNetStackSocketHandle s = SocketCall(FamilyOf(version), socketType, protocol, overlapped);
  if (s == Id_INVALID_SOCKET) RaiseLastFailure();
  return s;
}

std::int32_t TNetStackBSDBase::ReadOption(TNetStackSocketHandle socket, std::int32_t level, std::int32_t option) {
  std::int32_t value = 0;
  std::int32_t length = sizeof value;
  GetOptionCall(socket, level, option, &value, length);
  return value;
}

void TNetStackBSDBase::WriteOption(TNetStackSocketHandle socket, std::int32_t level, std::int32_t option,
                                   std::int32_t value) {
  SetOptionCall(socket, level, option, &value, sizeof value);
}

std::int32_t TNetStackBSDBase::ReceiveOn(TNetStackSocketHandle socket, TNetBytes& bytes) {
  return CheckSocketResult(
      RecvCall(socket, bytes.empty() ? nullptr : bytes.data(), static_cast<std::int32_t>(bytes.size()), 0));
}

std::int32_t TNetStackBSDBase::SendOn(TNetStackSocketHandle socket, const TNetBytes& bytes, std::int32_t offset,
                                      std::int32_t count) {
  const std::int32_t n = ClampByteCount(bytes, count, offset);
  if (n > 0) return SendCall(socket, bytes.data() + offset, n, 0);
  return SendCall(socket, nullptr, 0, 0);
}

std::int32_t TNetStackBSDBase::ReceiveFromOn(TNetStackSocketHandle socket, TNetBytes& bytes, rtl::String& address,
                                             std::uint16_t& port, TNetIPVersion& version) {
  return CheckSocketResult(RecvFromCall(socket, bytes.empty() ? nullptr : bytes.data(),
                                        static_cast<std::int32_t>(bytes.size()), 0, address, port, version));
}

void TNetStackBSDBase::SendToOn(TNetStackSocketHandle socket, const rtl::String& address, std::uint16_t port,
                                TNetIPVersion version, const TNetBytes& bytes, std::int32_t offset,
                                std::int32_t count) {
  const std::int32_t n = ClampByteCount(bytes, count, offset);
  SendToCall(socket, n > 0 ? bytes.data() + offset : nullptr, n, 0, address, port, version);
}

void TNetStackBSDBase::SetMulticastHops(TNetStackSocketHandle socket, std::int32_t value, TNetIPVersion version) {
  WriteOption(socket, version == Id_IPv6 ? kLevelIPv6 : kLevelIP, kIpMulticastHops, value);
}

void TNetStackBSDBase::SetMulticastLoop(TNetStackSocketHandle socket, bool flag, TNetIPVersion version) {
  WriteOption(socket, version == Id_IPv6 ? kLevelIPv6 : kLevelIP, kIpMulticastLoop, flag ? 1 : 0);
}

namespace {
void Membership(TNetStackBSDBase& stack, TNetStackSocketHandle socket, const rtl::String& group,
                const rtl::String& local, TNetIPVersion version, std::int32_t option) {
  switch (version) {
    case Id_IPv4: {
      if (!stack.IsIPv4MulticastGroup(group)) return;
      std::uint8_t record[8] = {};
      stack.TextToAddress(group, record, Id_IPv4);
      if (!local.empty()) stack.TextToAddress(local, record + 4, Id_IPv4);
      stack.SetOptionCall(socket, kLevelIP, option, record, sizeof record);
      return;
    }
    case Id_IPv6: {
      if (!stack.IsIPv6MulticastGroup(group)) return;
      std::uint8_t record[20] = {};
      stack.TextToAddress(group, record, Id_IPv6);
      stack.SetOptionCall(socket, kLevelIPv6, option, record, sizeof record);
      return;
    }
  }
  stack.RaiseIPVersionUnsupported();
}
}  // namespace

void TNetStackBSDBase::LeaveMulticastGroup(TNetStackSocketHandle socket, const rtl::String& group,
                                           const rtl::String& local, TNetIPVersion version) {
  Membership(*this, socket, group, local, version, kIpDropMembership);
}

void TNetStackBSDBase::JoinMulticastGroup(TNetStackSocketHandle socket, const rtl::String& group,
                                          const rtl::String& local, TNetIPVersion version) {
  Membership(*this, socket, group, local, version, kIpAddMembership);
}

std::unique_ptr<ui::TStringList> TNetStackBSDBase::ServiceNames(std::uint16_t port) {
  auto list = std::make_unique<ui::TStringList>();
  AddServiceNames(port, *list);
  return list;
}

rtl::String TNetStackBSDBase::AddressToText(const std::uint8_t* address, TNetIPVersion version) {
  if (version == Id_IPv4) {
    rtl::String text;
    for (int i = 0; i < 4; ++i) {
      if (i) text += u'.';
      text += rtl::IntToStr(address[i]);
    }
    return text;
  }
  if (version == Id_IPv6) {
    TNetIPv6Address words;
    for (int i = 0; i < 8; ++i) words[i] = static_cast<std::uint16_t>(address[2 * i] | (address[2 * i + 1] << 8));
    words = NetToHostIPv6(words);
    rtl::String text;
    static constexpr char16_t kHex[] = u"0123456789ABCDEF";
    for (int i = 0; i < 8; ++i) {
      if (i) text += u':';
      rtl::String group;
      std::uint16_t w = words[i];
      do {
        group.insert(group.begin(), kHex[w & 0xF]);
        w >>= 4;
      } while (w);
      text += group;
    }
    return text;
  }
  RaiseIPVersionUnsupported();
}

void TNetStackBSDBase::TextToAddress(const rtl::String& text, std::uint8_t* address, TNetIPVersion version) {
  if (version == Id_IPv4) {
    std::u16string_view rest = text;
    for (int i = 0; i < 4; ++i) {
      const std::size_t dot = rest.find(u'.');
      const std::u16string_view part = rest.substr(0, dot);
      rest = dot == std::u16string_view::npos ? std::u16string_view{} : rest.substr(dot + 1);
      const std::int32_t value = rtl::StrToInt(rtl::Trim(part));
      // A part above 255 would otherwise wrap into another, valid address.
      if (value < 0 || value > 255)
        throw rtl::EConvertError(rtl::Format(u"'%s' is not a valid IPv4 address", {text}));
      address[i] = static_cast<std::uint8_t>(value);
    }
    return;
  }
  if (version == Id_IPv6) {
    TNetIPv6Address words;
    bool failed = false;
    IPv6TextToAddress(text, words, failed);
    if (failed) RaiseNet<ENetInvalidIPv6Address>("rsinvalidipv6address", {text});
    words = HostToNetIPv6(words);
    std::memcpy(address, words.data(), 16);
    return;
  }
  RaiseIPVersionUnsupported();
}

// --- Windows stack ------------------------------------------------------------
TNetStackWindows::TNetStackWindows() {
  std::lock_guard<std::mutex> lock(StartLock());
  if (!g_winsockStarted.load()) {
    try {
      wsk::LoadWinsockLibrary();
      wsk::LoadAddrInfoFunctions();
      idn::LoadIdnFunctions();
      LoadIphlpapiLibrary();
    } catch (const rtl::Exception& e) {
      RaiseInitFailure(e.Message());
    } catch (const std::exception& e) {
      RaiseInitFailure(rtl::Utf8ToString(e.what()));
    }
    g_winsockStarted.store(true);
  }
  g_windowsInstance.store(this);
}

TNetStackWindows::~TNetStackWindows() {
  TNetStackWindows* self = this;
  g_windowsInstance.compare_exchange_strong(self, nullptr);
}

std::unique_ptr<TNetStack> NewWindowsStack() { return std::make_unique<TNetStackWindows>(); }

std::int32_t TNetStackWindows::BuildAddress(ws::sockaddr_storage& record, const rtl::String& address,
                                            std::uint16_t port, TNetIPVersion version) {
  std::memset(&record, 0, sizeof record);
  if (version == Id_IPv4) {
    auto* sin = reinterpret_cast<ws::sockaddr_in*>(&record);
    sin->sin_family = ws::WS_AF_INET;
    sin->sin_port = HostToNet16(port);
    if (!address.empty()) TextToAddress(address, reinterpret_cast<std::uint8_t*>(&sin->sin_addr), Id_IPv4);
    return sizeof(ws::sockaddr_in);
  }
  if (version == Id_IPv6) {
    auto* sin6 = reinterpret_cast<ws::sockaddr_in6*>(&record);
    sin6->sin6_family = ws::WS_AF_INET6;
    sin6->sin6_port = HostToNet16(port);
    if (!address.empty()) TextToAddress(address, sin6->sin6_addr.s6_addr, Id_IPv6);
    return sizeof(ws::sockaddr_in6);
  }
  RaiseIPVersionUnsupported();
}

bool TNetStackWindows::DecodeAddress(const ws::sockaddr_storage& record, rtl::String& address, std::uint16_t& port,
                                     TNetIPVersion& version) {
  if (record.ss_family == ws::WS_AF_INET) {
    const auto* sin = reinterpret_cast<const ws::sockaddr_in*>(&record);
    address = AddressToText(reinterpret_cast<const std::uint8_t*>(&sin->sin_addr), Id_IPv4);
    port = NetToHost16(sin->sin_port);
    version = Id_IPv4;
    return true;
  }
  if (record.ss_family == ws::WS_AF_INET6) {
    const auto* sin6 = reinterpret_cast<const ws::sockaddr_in6*>(&record);
    address = AddressToText(sin6->sin6_addr.s6_addr, Id_IPv6);
    port = NetToHost16(sin6->sin6_port);
    version = Id_IPv6;
    return true;
  }
  return false;
}

rtl::String TNetStackWindows::ResolveName(const rtl::String& host, TNetIPVersion version) {
  if (version != Id_IPv4 && version != Id_IPv6) RaiseIPVersionUnsupported();
  ws::addrinfo hints{};
  hints.ai_family = FamilyOf(version);
  hints.ai_socktype = Id_SOCK_STREAM;
  std::string name = idn::CanUseIdnConversion() ? idn::HostNameToAscii(host) : HostBytes(host);
  if (name.empty()) name = HostBytes(host);
  ws::addrinfo* result = nullptr;
  const int rc = wsk::getaddrinfo(name.c_str(), nullptr, &hints, &result);
  if (rc != 0) RaiseSocketCode(wsk::MapAddrInfoError(rc));
  struct Free {
    ws::addrinfo* p;
    ~Free() {
      if (p) wsk::freeaddrinfo(p);
    }
  } guard{result};
  if (!result || !result->ai_addr) RaiseSocketCode(Id_WSAHOST_NOT_FOUND);
  if (result->ai_family == ws::WS_AF_INET6)
    return AddressToText(reinterpret_cast<const ws::sockaddr_in6*>(result->ai_addr)->sin6_addr.s6_addr, Id_IPv6);
  return AddressToText(reinterpret_cast<const std::uint8_t*>(
                           &reinterpret_cast<const ws::sockaddr_in*>(result->ai_addr)->sin_addr),
                       Id_IPv4);
}

rtl::String TNetStackWindows::NameOfAddress(const rtl::String& address, TNetIPVersion version) {
  if (version != Id_IPv4 && version != Id_IPv6) RaiseIPVersionUnsupported();
  ws::addrinfo hints{};
  hints.ai_family = FamilyOf(version);
  hints.ai_flags = ws::WS_AI_NUMERICHOST;
  ws::addrinfo* result = nullptr;
  int rc = wsk::getaddrinfo(HostBytes(address).c_str(), nullptr, &hints, &result);
  if (rc != 0) RaiseSocketCode(wsk::MapAddrInfoError(rc));
  struct Free {
    ws::addrinfo* p;
    ~Free() {
      if (p) wsk::freeaddrinfo(p);
    }
  } guard{result};
  char hostName[ws::WS_NI_MAXHOST] = {};
  rc = wsk::getnameinfo(result->ai_addr, static_cast<int>(result->ai_addrlen), hostName, sizeof hostName, nullptr, 0,
                        ws::WS_NI_NAMEREQD);
  if (rc != 0) RaiseSocketCode(wsk::MapAddrInfoError(rc));
  return rtl::Utf8ToString(hostName);
}

rtl::String TNetStackWindows::LocalHostName() {
  char name[251] = {};
  if (wsk::gethostname(name, 250) == Id_SOCKET_ERROR) return {};
  name[250] = 0;
  return rtl::Utf8ToString(name);
}

TNetStackSocketHandle TNetStackWindows::AcceptConnection(TNetStackSocketHandle socket, rtl::String& address,
                                                         std::uint16_t& port, TNetIPVersion& version) {
  ws::sockaddr_storage record{};
  int length = sizeof record;
  const TNetStackSocketHandle s = wsk::accept(socket, reinterpret_cast<ws::sockaddr*>(&record), &length);
  if (s == Id_INVALID_SOCKET) return s;
  if (!DecodeAddress(record, address, port, version)) {
    CloseSocketCall(s);
    RaiseIPVersionUnsupported();
  }
  return s;
}

void TNetStackWindows::BindSocket(TNetStackSocketHandle socket, const rtl::String& address, std::uint16_t port,
                                  TNetIPVersion version) {
  ws::sockaddr_storage record;
  const std::int32_t length = BuildAddress(record, address, port, version);
  CheckSocketResult(wsk::bind(socket, reinterpret_cast<const ws::sockaddr*>(&record), length));
}

void TNetStackWindows::ConnectSocketTo(TNetStackSocketHandle socket, const rtl::String& address, std::uint16_t port,
                                       TNetIPVersion version) {
  ws::sockaddr_storage record;
  const std::int32_t length = BuildAddress(record, address, port, version);
  CheckSocketResult(wsk::connect(socket, reinterpret_cast<const ws::sockaddr*>(&record), length));
}

void TNetStackWindows::ShutdownAndClose(TNetStackSocketHandle socket) {
  ShutdownCall(socket, ws::WS_SD_SEND);
  CloseSocketCall(socket);
}

std::int32_t TNetStackWindows::ControlSocket(TNetStackSocketHandle socket, std::int32_t command,
                                             std::uint32_t& argument) {
  return wsk::ioctlsocket(socket, command, &argument);
}

void TNetStackWindows::PeerAddressOf(TNetStackSocketHandle socket, rtl::String& address, std::uint16_t& port,
                                     TNetIPVersion& version) {
  ws::sockaddr_storage record{};
  int length = sizeof record;
  CheckSocketResult(wsk::getpeername(socket, reinterpret_cast<ws::sockaddr*>(&record), &length));
  if (!DecodeAddress(record, address, port, version)) RaiseIPVersionUnsupported();
}

void TNetStackWindows::LocalAddressOf(TNetStackSocketHandle socket, rtl::String& address, std::uint16_t& port,
                                      TNetIPVersion& version) {
  ws::sockaddr_storage record{};
  int length = sizeof record;
  CheckSocketResult(wsk::getsockname(socket, reinterpret_cast<ws::sockaddr*>(&record), &length));
  if (!DecodeAddress(record, address, port, version)) RaiseIPVersionUnsupported();
}

std::uint16_t TNetStackWindows::HostToNet16(std::uint16_t value) { return wsk::htons(value); }
std::uint32_t TNetStackWindows::HostToNet32(std::uint32_t value) { return wsk::htonl(value); }
std::uint64_t TNetStackWindows::HostToNet64(std::uint64_t value) {
  const std::uint32_t low = wsk::htonl(static_cast<std::uint32_t>(value));
  const std::uint32_t high = wsk::htonl(static_cast<std::uint32_t>(value >> 32));
  return (static_cast<std::uint64_t>(low) << 32) | high;
}
std::uint16_t TNetStackWindows::NetToHost16(std::uint16_t value) { return wsk::ntohs(value); }
std::uint32_t TNetStackWindows::NetToHost32(std::uint32_t value) { return wsk::ntohl(value); }
std::uint64_t TNetStackWindows::NetToHost64(std::uint64_t value) {
  const std::uint32_t low = wsk::ntohl(static_cast<std::uint32_t>(value));
  const std::uint32_t high = wsk::ntohl(static_cast<std::uint32_t>(value >> 32));
  return (static_cast<std::uint64_t>(low) << 32) | high;
}

void TNetStackWindows::ListenOn(TNetStackSocketHandle socket, std::int32_t backlog) {
  CheckSocketResult(wsk::listen(socket, backlog));
}

std::int32_t TNetStackWindows::LastSocketError() {
  const std::int32_t code = wsk::WSAGetLastError();
  return static_cast<std::uint32_t>(code) == 0xC000023Du ? Id_WSAEHOSTUNREACH : code;
}

void TNetStackWindows::SetLastSocketError(std::int32_t code) { wsk::WSASetLastError(code); }

rtl::String TNetStackWindows::SocketErrorText(std::int32_t code) {
  if (code == Id_WSAHOST_NOT_FOUND) return NetText("rsstackerror", {code, NetResourceString("rsstackhost_not_found")});
  return TNetStackBSDBase::SocketErrorText(code);
}

std::int32_t TNetStackWindows::ReceiveWithInfo(TNetStackSocketHandle socket, TNetBytes& bytes,
                                               TNetDatagramDetails& details) {
  ws::sockaddr_storage from{};
  if (!WindowsVersionAtLeast(5, 1)) {
    return RecvFromCall(socket, bytes.empty() ? nullptr : bytes.data(), static_cast<std::int32_t>(bytes.size()), 0,
                        details.SourceIP, details.SourcePort, details.SourceIPVersion);
  }
  alignas(8) std::uint8_t control[512] = {};
  ws::WSABUF data{static_cast<std::uint32_t>(bytes.size()), reinterpret_cast<char*>(bytes.data())};
  ws::WSAMSG msg{};
  msg.name = reinterpret_cast<ws::sockaddr*>(&from);
  msg.namelen = sizeof from;
  msg.lpBuffers = &data;
  msg.dwBufferCount = 1;
  msg.Control = {sizeof control, reinterpret_cast<char*>(control)};
  std::uint32_t received = 0;
  CheckSocketResult(wsk::WSARecvMsg(socket, &msg, &received, nullptr, nullptr));
  ClearPacketInfo(details);
  if (!DecodeAddress(from, details.SourceIP, details.SourcePort, details.SourceIPVersion))
    RaiseIPVersionUnsupported();
  const std::size_t used = msg.Control.len;
  std::size_t at = 0;
  while (at + sizeof(ControlHeader) <= used) {
    ControlHeader h;
    std::memcpy(&h, control + at, sizeof h);
    if (h.len < sizeof h || at + h.len > used) break;
    const std::uint8_t* payload = control + at + sizeof h;
    if (h.type == kIpPktInfo) {
      const bool v6 = h.level == kLevelIPv6;
      const std::size_t addressLength = v6 ? 16 : 4;
      if (h.len >= sizeof h + addressLength + 4) {
        details.DestIP = AddressToText(payload, v6 ? Id_IPv6 : Id_IPv4);
        std::memcpy(&details.DestIF, payload + addressLength, 4);
        details.DestIPVersion = v6 ? Id_IPv6 : Id_IPv4;
      }
    } else if (h.type == kIpTtlInfo && h.len > sizeof h) {
      details.TTL = payload[0];
    }
    at += wsk::AlignControlMessageLength(static_cast<std::uint32_t>(h.len));
  }
  return static_cast<std::int32_t>(received);
}

bool TNetStackWindows::HasFamilySupport(std::int32_t family, TNetIPVersion version) {
  // A protocol entry: flags and provider fields up to the address family at
  // byte 76 of the 8-bit form. A socket module without the list answers
  // through a probe socket instead.
  try {
    std::uint32_t size = 0;
    std::vector<std::uint8_t> buffer;
    int count = wsk::WSAEnumProtocols(nullptr, nullptr, &size);
    while (count == Id_SOCKET_ERROR && LastSocketError() == Id_WSAENOBUFS) {
      buffer.assign(size, 0);
      count = wsk::WSAEnumProtocols(nullptr, buffer.data(), &size);
    }
    if (count == Id_SOCKET_ERROR || count <= 0 || buffer.empty()) return false;
    const std::size_t entry = buffer.size() / static_cast<std::size_t>(count);
    for (int i = 0; i < count; ++i) {
      std::int32_t af = 0;
      std::memcpy(&af, buffer.data() + i * entry + 76, 4);
      if (af == family) return true;
    }
    return false;
  } catch (const ENetWinsockStubError&) {
    return CheckIPVersionSupport(version);
  }
}

bool TNetStackWindows::HasIPv4Support() { return HasFamilySupport(ws::WS_AF_INET, Id_IPv4); }
bool TNetStackWindows::HasIPv6Support() { return HasFamilySupport(ws::WS_AF_INET6, Id_IPv6); }

void TNetStackWindows::SetKeepAlive(TNetStackSocketHandle socket, bool enabled, std::int32_t timeMs,
                                    std::int32_t intervalMs) {
  if (enabled && WindowsVersionAtLeast(5, 0)) {
    std::uint32_t record[3] = {1, static_cast<std::uint32_t>(timeMs), static_cast<std::uint32_t>(intervalMs)};
    std::uint32_t returned = 0;
    // A module that cannot take the times raises: keep-alive on with the
    // system's hours-long defaults is not what the caller asked for.
    if (wsk::WSAIoctl(socket, kSioKeepAliveVals, record, sizeof record, nullptr, 0, &returned, nullptr, nullptr) != 0)
      RaiseLastFailure();
    return;
  }
  WriteOption(socket, Id_SOL_SOCKET, Id_SO_KEEPALIVE, enabled ? 1 : 0);
}

void TNetStackWindows::StoreChecksum(TNetStackSocketHandle socket, TNetBytes& bytes, std::int32_t offset,
                                     const rtl::String& address, std::uint16_t port, TNetIPVersion version) {
  if (offset < 0 || static_cast<std::size_t>(offset) + 2 > bytes.size())
    RaiseNet<ENetException>("rsbufferinvalidstartpos");
  auto store = [&](std::uint16_t sum) {
    bytes[offset] = static_cast<std::uint8_t>(sum & 0xFF);
    bytes[offset + 1] = static_cast<std::uint8_t>(sum >> 8);
  };
  if (version == Id_IPv4) {
    store(InternetChecksum(bytes));
    return;
  }
  if (version != Id_IPv6) RaiseIPVersionUnsupported();
  ws::sockaddr_storage destination;
  BuildAddress(destination, address, port, Id_IPv6);
  ws::sockaddr_storage source{};
  std::uint32_t returned = 0;
  CheckSocketResult(wsk::WSAIoctl(socket, ws::SIO_ROUTING_INTERFACE_QUERY, &destination, sizeof(ws::sockaddr_in6), &source,
                                  sizeof source, &returned, nullptr, nullptr));
  TNetBytes buffer(bytes.size() + 40, 0);
  std::memcpy(buffer.data(), reinterpret_cast<ws::sockaddr_in6*>(&source)->sin6_addr.s6_addr, 16);
  std::memcpy(buffer.data() + 16, reinterpret_cast<ws::sockaddr_in6*>(&destination)->sin6_addr.s6_addr, 16);
  const std::uint32_t length = HostToNet32(static_cast<std::uint32_t>(bytes.size()));
  std::memcpy(buffer.data() + 32, &length, 4);
  buffer[39] = 58;
  if (!bytes.empty()) std::memcpy(buffer.data() + 40, bytes.data(), bytes.size());
  buffer[40 + offset] = 0;
  buffer[41 + offset] = 0;
  store(InternetChecksum(buffer));
}

void TNetStackWindows::CollectLocalAddresses(TNetStackLocalAddressList& list) { CollectStackLocalAddresses(list); }

std::int32_t TNetStackWindows::CloseSocketCall(TNetStackSocketHandle socket) { return wsk::closesocket(socket); }

std::int32_t TNetStackWindows::RecvCall(TNetStackSocketHandle socket, void* buffer, std::int32_t length,
                                        std::int32_t flags) {
  return wsk::recv(socket, static_cast<char*>(buffer), length, flags);
}

// One socket needs no select set (built, copied under a lock, and turned
// back into a poll by the socket module): a poll of the one socket.
bool TNetStackWindows::WaitReadableOn(TNetStackSocketHandle socket, std::int32_t timeout) {
  ws::WSAPOLLFD entry{socket, ws::WS_POLLRDNORM, 0};
  const std::int32_t result = wsk::WSAPoll(&entry, 1, timeout < 0 ? -1 : timeout);
  if (result == Id_SOCKET_ERROR) RaiseLastFailure();
  if (entry.revents & ws::WS_POLLNVAL) RaiseSocketCode(Id_WSAENOTSOCK);
  return result > 0 && (entry.revents & (ws::WS_POLLRDNORM | ws::WS_POLLHUP | ws::WS_POLLERR)) != 0;
}

std::int32_t TNetStackWindows::SendCall(TNetStackSocketHandle socket, const void* buffer, std::int32_t length,
                                        std::int32_t flags) {
  return CheckSocketResult(wsk::send(socket, static_cast<const char*>(buffer), length, flags));
}

std::int32_t TNetStackWindows::ShutdownCall(TNetStackSocketHandle socket, std::int32_t how) {
  return wsk::shutdown(socket, how);
}

void TNetStackWindows::GetOptionCall(TNetStackSocketHandle socket, std::int32_t level, std::int32_t option,
                                     void* value, std::int32_t& length) {
  int n = length;
  CheckSocketResult(wsk::getsockopt(socket, level, option, static_cast<char*>(value), &n));
  length = n;
}

void TNetStackWindows::SetOptionCall(TNetStackSocketHandle socket, std::int32_t level, std::int32_t option,
                                     const void* value, std::int32_t length) {
  CheckSocketResult(wsk::setsockopt(socket, level, option, static_cast<const char*>(value), length));
}

bool TNetStackWindows::CheckIPVersionSupport(TNetIPVersion version) {
  const TNetStackSocketHandle s = SocketCall(FamilyOf(version), Id_SOCK_STREAM, Id_IPPROTO_TCP, false);
  if (s == Id_INVALID_SOCKET) return false;
  CloseSocketCall(s);
  return true;
}

std::uint16_t TNetStackWindows::ServicePort(const rtl::String& serviceName) {
  const ws::servent* entry = wsk::getservbyname(HostBytes(serviceName).c_str(), nullptr);
  if (entry) return NetToHost16(static_cast<std::uint16_t>(entry->s_port));
  std::int32_t port = 0;
  if (rtl::TryStrToInt(rtl::Trim(serviceName), port) && port >= 0 && port <= 65535)
    return static_cast<std::uint16_t>(port);
  RaiseNet<ENetInvalidServiceName>("rsinvalidservicename", {serviceName});
}

void TNetStackWindows::AddServiceNames(std::uint16_t port, ui::TStrings& list) {
  const ws::servent* entry = wsk::getservbyport(HostToNet16(port), nullptr);
  if (!entry) RaiseLastFailure();
  list.BeginUpdate();
  try {
    list.Add(rtl::Utf8ToString(entry->s_name));
    for (char** alias = entry->s_aliases; alias && *alias; ++alias) list.Add(rtl::Utf8ToString(*alias));
  } catch (...) {
    list.EndUpdate();
    throw;
  }
  list.EndUpdate();
}

std::int32_t TNetStackWindows::RecvFromCall(TNetStackSocketHandle socket, void* buffer, std::int32_t length,
                                            std::int32_t flags, rtl::String& address, std::uint16_t& port,
                                            TNetIPVersion& version) {
  ws::sockaddr_storage record{};
  int recordLength = sizeof record;
  const std::int32_t result = wsk::recvfrom(socket, static_cast<char*>(buffer), length, flags,
                                            reinterpret_cast<ws::sockaddr*>(&record), &recordLength);
  if (result >= 0 && !DecodeAddress(record, address, port, version)) RaiseIPVersionUnsupported();
  return result;
}

void TNetStackWindows::SendToCall(TNetStackSocketHandle socket, const void* buffer, std::int32_t length,
                                  std::int32_t flags, const rtl::String& address, std::uint16_t port,
                                  TNetIPVersion version) {
  ws::sockaddr_storage record;
  const std::int32_t recordLength = BuildAddress(record, address, port, version);
  const std::int32_t sent = wsk::sendto(socket, static_cast<const char*>(buffer), length, flags,
                                        reinterpret_cast<const ws::sockaddr*>(&record), recordLength);
  if (sent == Id_SOCKET_ERROR) {
    if (LastSocketError() == Id_WSAEMSGSIZE) RaiseNet<ENetPackageSizeTooBig>("rspackagesizetoobig");
    RaiseLastFailure();
  }
  if (sent != length) RaiseNet<ENetNotAllBytesSent>("rsnotallbytessent");
}

TNetStackSocketHandle TNetStackWindows::SocketCall(std::int32_t family, std::int32_t socketType,
                                                   std::int32_t protocol, bool overlapped) {
  if (overlapped) return wsk::WSASocket(family, socketType, protocol, nullptr, 0, 1);
  return wsk::socket(family, socketType, protocol);
}

void TNetStackWindows::SetBlocking(TNetStackSocketHandle socket, bool blocking) {
  std::uint32_t value = blocking ? 0 : 1;
  CheckSocketResult(wsk::ioctlsocket(socket, ws::WS_FIONBIO, &value));
}

bool TNetStackWindows::IsWouldBlock(std::int32_t code) { return code == Id_WSAEWOULDBLOCK; }

// --- socket list ------------------------------------------------------------------
std::unique_ptr<TNetSocketList> NewWindowsSocketList() { return std::make_unique<TNetSocketListWindows>(); }

bool WindowsSelectLists(TNetSocketList* readList, TNetSocketList* writeList, TNetSocketList* errorList,
                        std::int32_t timeout) {
  return TNetSocketListWindows::SelectListsWindows(readList, writeList, errorList, timeout);
}

ws::fd_set TNetSocketListWindows::CopySet() {
  std::lock_guard<TNetCriticalSection> lock(lock_);
  return set_;
}

void TNetSocketListWindows::TakeSet(const ws::fd_set& set) {
  std::lock_guard<TNetCriticalSection> lock(lock_);
  set_ = set;
  if (set_.fd_count > ws::WS_FD_SETSIZE) set_.fd_count = ws::WS_FD_SETSIZE;
}

TNetStackSocketHandle TNetSocketListWindows::SocketAt(std::int32_t index) {
  std::lock_guard<TNetCriticalSection> lock(lock_);
  if (index < 0 || static_cast<std::uint32_t>(index) >= set_.fd_count) RaiseNet<ENetStackSetSizeExceeded>("rssetsizeexceeded");
  return set_.fd_array[index];
}

void TNetSocketListWindows::AddSocket(TNetStackSocketHandle socket) {
  std::lock_guard<TNetCriticalSection> lock(lock_);
  if (set_.fd_count >= ws::WS_FD_SETSIZE) RaiseNet<ENetStackSetSizeExceeded>("rssetsizeexceeded");
  set_.fd_array[set_.fd_count++] = socket;
}

std::unique_ptr<TNetSocketList> TNetSocketListWindows::CloneList() {
  auto list = std::make_unique<TNetSocketListWindows>();
  list->TakeSet(CopySet());
  return list;
}

std::int32_t TNetSocketListWindows::SocketCount() {
  std::lock_guard<TNetCriticalSection> lock(lock_);
  return static_cast<std::int32_t>(set_.fd_count);
}

void TNetSocketListWindows::RemoveSocket(TNetStackSocketHandle socket) {
  std::lock_guard<TNetCriticalSection> lock(lock_);
  for (std::uint32_t i = 0; i < set_.fd_count; ++i)
    if (set_.fd_array[i] == socket) {
      set_.fd_array[i] = set_.fd_array[set_.fd_count - 1];
      set_.fd_array[--set_.fd_count] = 0;
      return;
    }
}

void TNetSocketListWindows::ClearList() {
  std::lock_guard<TNetCriticalSection> lock(lock_);
  set_.fd_count = 0;
}

bool TNetSocketListWindows::IncludesSocket(TNetStackSocketHandle socket) {
  std::lock_guard<TNetCriticalSection> lock(lock_);
  for (std::uint32_t i = 0; i < set_.fd_count; ++i)
    if (set_.fd_array[i] == socket) return true;
  return false;
}

bool TNetSocketListWindows::RunSelect(ws::fd_set* readSet, ws::fd_set* writeSet, ws::fd_set* errorSet,
                                      std::int32_t timeout) {
  ws::timeval limit{};
  const ws::timeval* wait = nullptr;
  // Any negative time-out waits without limit; a negative time value would
  // only make the select fail.
  if (timeout >= 0) {
    limit.tv_sec = timeout / 1000;
    limit.tv_usec = (timeout % 1000) * 1000;
    wait = &limit;
  }
  TNetStack* stack = GlobalStack();
  const std::int32_t result = wsk::select(0, readSet, writeSet, errorSet, wait);
  if (result == Id_SOCKET_ERROR) {
    if (stack) stack->RaiseLastFailure();
    throw ENetSocketError(wsk::WSAGetLastError(), u"");
  }
  return result > 0;
}

bool TNetSocketListWindows::SelectForRead(std::int32_t timeout) {
  ws::fd_set set = CopySet();
  return RunSelect(&set, nullptr, nullptr, timeout);
}

bool TNetSocketListWindows::SelectReadInto(std::unique_ptr<TNetSocketList>& list, std::int32_t timeout) {
  ws::fd_set set = CopySet();
  if (!RunSelect(&set, nullptr, nullptr, timeout)) return false;
  if (!list) list = NewSocketList();
  if (auto* windowsList = dynamic_cast<TNetSocketListWindows*>(list.get())) {
    windowsList->TakeSet(set);
  } else {
    list->ClearList();
    for (std::uint32_t i = 0; i < set.fd_count; ++i) list->AddSocket(set.fd_array[i]);
  }
  return true;
}

bool TNetSocketListWindows::SelectListsWindows(TNetSocketList* readList, TNetSocketList* writeList,
                                               TNetSocketList* errorList, std::int32_t timeout) {
  TNetSocketList* lists[3] = {readList, writeList, errorList};
  ws::fd_set sets[3] = {};
  for (int i = 0; i < 3; ++i)
    if (lists[i]) {
      if (auto* w = dynamic_cast<TNetSocketListWindows*>(lists[i])) {
        sets[i] = w->CopySet();
      } else {
        for (std::int32_t k = 0; k < lists[i]->SocketCount() && k < static_cast<std::int32_t>(ws::WS_FD_SETSIZE); ++k)
          sets[i].fd_array[sets[i].fd_count++] = lists[i]->SocketAt(k);
      }
    }
  const bool result = RunSelect(lists[0] ? &sets[0] : nullptr, lists[1] ? &sets[1] : nullptr,
                                lists[2] ? &sets[2] : nullptr, timeout);
  for (int i = 0; i < 3; ++i)
    if (lists[i]) {
      if (auto* w = dynamic_cast<TNetSocketListWindows*>(lists[i])) {
        w->TakeSet(sets[i]);
      } else {
        lists[i]->ClearList();
        for (std::uint32_t k = 0; k < sets[i].fd_count; ++k) lists[i]->AddSocket(sets[i].fd_array[k]);
      }
    }
  return result;
}

}  // namespace net
