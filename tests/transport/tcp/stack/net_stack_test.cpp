// The global stack's lifetime, the platform stack against loopback sockets,
// the socket list, error texts and name resolution.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

#include "transport/tcp/core/net_addr_info.h"
#include "transport/tcp/stack/net_component.h"
#include "transport/tcp/stack/net_socket_handle.h"
#include "tests/transport/tcp/net_stack_fixture.h"
#include "tests/platform/net/posix_helpers.h"

using namespace net;

namespace {

std::atomic<int> g_made{0};
std::atomic<int> g_freed{0};

class CountedStack : public TNetStackWindows {
 public:
  CountedStack() { ++g_made; }
  ~CountedStack() override { ++g_freed; }
};
std::unique_ptr<TNetStack> NewCountedStack() { return std::make_unique<CountedStack>(); }
std::unique_ptr<TNetStack> NewFailingStack() { throw ENetStackInitializationFailed(u"no sockets here"); }

class StackLifetime : public ::testing::Test {
 protected:
  void SetUp() override {
    NetStackFixture::UseModules();
    g_made = 0;
    g_freed = 0;
  }
  void TearDown() override {
    SetStackClass(&NewWindowsStack);
    EXPECT_EQ(StackUsers(), 0);
    UnloadStackLibraries();
  }
};

TEST_F(StackLifetime, EightComponentsShareOneStackFreedOnce) {
  SetStackClass(&NewCountedStack);
  ASSERT_EQ(GlobalStack(), nullptr);
  std::vector<TNetComponent*> clients;
  for (int i = 1; i <= 8; ++i) {
    clients.push_back(NetCreate<TNetComponent>(nullptr));
    EXPECT_EQ(StackUsers(), i);
  }
  EXPECT_EQ(g_made, 1);
  EXPECT_NE(GlobalStack(), nullptr);
  for (std::size_t i = 0; i < clients.size(); ++i) {
    ui::Free(clients[i]);
    EXPECT_EQ(StackUsers(), static_cast<int>(7 - i));
    EXPECT_EQ(g_freed, i == 7 ? 1 : 0);
  }
  EXPECT_EQ(GlobalStack(), nullptr);

  // Owned components give their uses back with their owner; a later user
  // gets a new stack object.
  auto* owner = NetCreate<TNetComponent>(nullptr);
  for (int i = 0; i < 8; ++i) NetCreate<TNetComponent>(owner);
  EXPECT_EQ(StackUsers(), 9);
  ui::Free(owner);
  EXPECT_EQ(StackUsers(), 0);
  EXPECT_EQ(g_made, 2);
  EXPECT_EQ(g_freed, 2);
}

TEST_F(StackLifetime, FailedConstructionLeavesNoStack) {
  SetStackClass(&NewFailingStack);
  EXPECT_THROW(NetCreate<TNetComponent>(nullptr), ENetStackInitializationFailed);
  EXPECT_EQ(StackUsers(), 0);
  EXPECT_EQ(GlobalStack(), nullptr);

  SetStackClass(nullptr);
  try {
    TNetStack::IncUsage();
    FAIL();
  } catch (const ENetStackError& e) {
    EXPECT_EQ(e.Message(), u"Stack Class is undefined.");
  }
  EXPECT_EQ(StackUsers(), 0);
  TNetStack::DecUsage();  // a count of 0 stays 0
  EXPECT_EQ(StackUsers(), 0);
}

TEST_F(StackLifetime, SocketLibraryThatWillNotStart) {
  platform::net::SetLibraryFile("WS2_32.DLL", JQ_TEST_WS2_32_STARTUP_FAILS);
  EXPECT_THROW(TNetStack::IncUsage(), ENetStackInitializationFailed);
  EXPECT_EQ(StackUsers(), 0);
  EXPECT_FALSE(WinsockStarted());
  platform::net::SetLibraryFile("WS2_32.DLL", JQ_TEST_WS2_32);
  TNetStack::IncUsage();
  EXPECT_TRUE(WinsockStarted());
  TNetStack::DecUsage();
}

class WindowsStack : public NetStackFixture {};

// A loopback port that nothing listens on (bound once, then closed).
std::uint16_t ClosedPort() {
  TNetSocketHandle h;
  h.OpenSocket();
  h.SetIP(u"127.0.0.1");
  h.BindLocal();
  const std::uint16_t port = h.Port();
  h.ShutSocket();
  return port;
}

TEST_F(WindowsStack, ConnectToClosedPortIsRefused) {
  TNetSocketHandle h;
  h.OpenSocket();
  h.SetPeerAddress(u"127.0.0.1", ClosedPort(), Id_IPv4);
  try {
    h.ConnectPeer();
    FAIL() << "connected";
  } catch (const ENetSocketError& e) {
    EXPECT_EQ(e.LastError, 10061);
    EXPECT_EQ(e.Message(), u"Socket Error # 10061\r\nConnection refused.");
  }
  h.ShutSocket();
}

TEST_F(WindowsStack, ConnectSendReceiveAndAddresses) {
  TNetStack& stack = Stack();
  TNetSocketHandle server;
  server.OpenSocket();
  server.SetIP(u"127.0.0.1");
  server.BindLocal();
  stack.ListenOn(server.SocketHandle(), 5);
  EXPECT_EQ(server.IP(), u"127.0.0.1");
  ASSERT_NE(server.Port(), 0);

  TNetSocketHandle client;
  client.OpenSocket();
  EXPECT_EQ(client.SocketKind(), Id_SOCK_STREAM);
  EXPECT_TRUE(client.UseNagle());
  client.SetPeerAddress(u"127.0.0.1", server.Port(), Id_IPv4);
  client.ConnectPeer();
  EXPECT_EQ(client.RemotePort(), server.Port());
  EXPECT_EQ(client.IP(), u"127.0.0.1");

  rtl::String peer;
  std::uint16_t peerPort = 0;
  TNetIPVersion version = Id_IPv6;
  const TNetStackSocketHandle accepted = stack.AcceptConnection(server.SocketHandle(), peer, peerPort, version);
  ASSERT_NE(accepted, Id_INVALID_SOCKET);
  EXPECT_EQ(peer, u"127.0.0.1");
  EXPECT_EQ(peerPort, client.Port());
  EXPECT_EQ(version, Id_IPv4);

  EXPECT_EQ(client.SendBytes({1, 2, 3, 4, 5}, 1, 3), 3);
  EXPECT_EQ(client.SendBytes({1, 2}, 5), 0);  // offset beyond the bytes: an empty send
  TNetBytes in(16);
  EXPECT_EQ(stack.ReceiveOn(accepted, in), 3);
  EXPECT_EQ(TNetBytes(in.begin(), in.begin() + 3), (TNetBytes{2, 3, 4}));

  client.SetUseNagle(false);
  EXPECT_EQ(client.ReadSocketOption(Id_SOCKETOPTIONLEVEL_TCP, Id_TCP_NODELAY) != 0, true);

  client.ShutSocket();
  EXPECT_EQ(stack.ReceiveOn(accepted, in), 0);  // the peer closed
  stack.ShutdownAndClose(accepted);
}

TEST_F(WindowsStack, WholeFileGoesOutOnASocket) {
  EXPECT_EQ(WindowsStackInstance(), &Stack());
  EXPECT_EQ(BSDStackInstance(), &Stack());
  const auto path = std::filesystem::temp_directory_path() / "transmit.bin";
  {
    std::ofstream out(path, std::ios::binary);
    out << "0123456789";
  }
  TNetSocketHandle server;
  server.OpenSocket();
  server.SetIP(u"127.0.0.1");
  server.BindLocal();
  Stack().ListenOn(server.SocketHandle(), 1);
  TNetSocketHandle client;
  client.OpenSocket();
  client.SetPeerAddress(u"127.0.0.1", server.Port(), Id_IPv4);
  client.ConnectPeer();
  rtl::String peer;
  std::uint16_t port;
  TNetIPVersion version;
  const TNetStackSocketHandle accepted = Stack().AcceptConnection(server.SocketHandle(), peer, port, version);

  ASSERT_NE(FileTransmitProc(), nullptr);
  EXPECT_EQ(FileTransmitProc()(client.SocketHandle(), rtl::FromSysPath(path.string())), 10);
  EXPECT_EQ(TransmitWholeFile(client.SocketHandle(), rtl::FromSysPath((path.string() + ".missing"))), 0);
  TNetBytes in(32);
  std::int32_t got = 0;
  while (got < 10) {
    TNetBytes part(32);
    const std::int32_t n = Stack().ReceiveOn(accepted, part);
    ASSERT_GT(n, 0);
    std::copy(part.begin(), part.begin() + n, in.begin() + got);
    got += n;
  }
  EXPECT_EQ(std::string(in.begin(), in.begin() + 10), "0123456789");
  Stack().ShutdownAndClose(accepted);
}

TEST_F(WindowsStack, SelectWaitsWithinItsLimit) {
  TNetSocketHandle h;
  h.OpenSocket(Id_SOCK_DGRAM);
  h.SetIP(u"127.0.0.1");
  h.BindLocal();
  EXPECT_FALSE(h.WaitReadable(0));

  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(h.WaitReadable(1500));
  const auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_GE(waited, std::chrono::milliseconds(1000));
  EXPECT_LT(waited, std::chrono::seconds(5));

  TNetSocketHandle sender;
  sender.OpenSocket(Id_SOCK_DGRAM);
  Stack().SendToOn(sender.SocketHandle(), u"127.0.0.1", h.Port(), Id_IPv4, {7, 8, 9});
  EXPECT_TRUE(h.WaitReadable(-1));
  TNetBytes in(8);
  rtl::String from;
  std::uint16_t fromPort = 0;
  TNetIPVersion version = Id_IPv6;
  EXPECT_EQ(h.ReceiveFromPeer(in, from, fromPort, version), 3);
  EXPECT_EQ(from, u"127.0.0.1");
  EXPECT_EQ(version, Id_IPv4);
}

TEST_F(WindowsStack, DatagramWithPacketInformation) {
  TNetSocketHandle receiver, sender;
  for (TNetSocketHandle* h : {&receiver, &sender}) {
    h->OpenSocket(Id_SOCK_DGRAM);
    h->SetIP(u"127.0.0.1");
    h->BindLocal();
  }
  receiver.WriteSocketOption(0, 19, 1);  // packet information on
  Stack().SendToOn(sender.SocketHandle(), u"127.0.0.1", receiver.Port(), Id_IPv4, {1, 2, 3, 4}, 1, 2);
  ASSERT_TRUE(receiver.WaitReadable(2000));
  TNetBytes in(16);
  TNetDatagramDetails details;
  details.TTL = 99;
  EXPECT_EQ(Stack().ReceiveWithInfo(receiver.SocketHandle(), in, details), 2);
  EXPECT_EQ(TNetBytes(in.begin(), in.begin() + 2), (TNetBytes{2, 3}));
  EXPECT_EQ(details.SourceIP, u"127.0.0.1");
  EXPECT_EQ(details.SourcePort, sender.Port());
  EXPECT_EQ(details.DestIP, u"127.0.0.1");
  EXPECT_EQ(details.DestIPVersion, Id_IPv4);
  EXPECT_GT(details.DestIF, 0u);
  EXPECT_EQ(details.TTL, 0);  // cleared; this system does not report it
}

TEST_F(WindowsStack, OptionsServicesAndChecksums) {
  TNetStack& stack = Stack();
  TNetSocketHandle h;
  h.OpenSocket();
  stack.SetKeepAlive(h.SocketHandle(), true, 1000, 500);
  EXPECT_EQ(h.ReadSocketOption(Id_SOL_SOCKET, Id_SO_KEEPALIVE) != 0, true);
  stack.SetKeepAlive(h.SocketHandle(), false, 0, 0);
  EXPECT_EQ(h.ReadSocketOption(Id_SOL_SOCKET, Id_SO_KEEPALIVE), 0);

  EXPECT_EQ(Stack().ServicePort(u" 8080 "), 8080);
  try {
    Stack().ServicePort(u"no-such-service");
    FAIL();
  } catch (const ENetInvalidServiceName& e) {
    EXPECT_EQ(e.Message(), u"no-such-service is not a valid service.");
  }
  EXPECT_FALSE(stack.LocalHostName().empty());
  EXPECT_TRUE(Stack().CheckIPVersionSupport(Id_IPv4));
  // From the module's protocol list, which names what the probe opens.
  EXPECT_TRUE(stack.HasIPv4Support());
  EXPECT_EQ(stack.HasIPv6Support(), Stack().CheckIPVersionSupport(Id_IPv6));

  TNetBytes packet{0x00, 0x01, 0xF2, 0x03, 0xF4, 0xF5, 0xF6, 0xF7, 0x00, 0x00};
  stack.StoreChecksum(h.SocketHandle(), packet, 8, u"127.0.0.1", 0, Id_IPv4);
  EXPECT_EQ(packet[8], 0x22);
  EXPECT_EQ(packet[9], 0x0D);
  EXPECT_THROW(stack.StoreChecksum(h.SocketHandle(), packet, 9, u"127.0.0.1", 0, Id_IPv4), ENetException);
}

// The idle time and probe interval reach the socket (the system keeps whole
// seconds: rounded up, at least 1, at most 32767), and read back through the
// socket options too.
TEST_F(WindowsStack, KeepAliveTimesReachTheSocket) {
  struct Case {
    std::int32_t timeMs, intervalMs;
    int idle, interval;
  };
  const Case cases[] = {{1000, 500, 1, 1}, {30000, 2500, 30, 3}, {7200000, 1000, 7200, 1}, {0, 100000000, 1, 32767}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.timeMs);
    TNetSocketHandle h;
    h.OpenSocket();
    Stack().SetKeepAlive(h.SocketHandle(), true, c.timeMs, c.intervalMs);
    bool on = false;
    int idle = 0, interval = 0;
    ASSERT_TRUE(testposix::KeepAliveSettings(static_cast<int>(h.SocketHandle()), on, idle, interval));
    EXPECT_TRUE(on);
    EXPECT_EQ(idle, c.idle);
    EXPECT_EQ(interval, c.interval);
    EXPECT_EQ(h.ReadSocketOption(Id_IPPROTO_TCP, 3), c.idle);
    EXPECT_EQ(h.ReadSocketOption(Id_IPPROTO_TCP, 17), c.interval);
    Stack().SetKeepAlive(h.SocketHandle(), false, 0, 0);
    ASSERT_TRUE(testposix::KeepAliveSettings(static_cast<int>(h.SocketHandle()), on, idle, interval));
    EXPECT_FALSE(on);
  }
}

// A module that cannot set the times fails the call instead of leaving the
// system's defaults in place.
TEST_F(WindowsStack, KeepAliveTimesThatCannotBeSetRaise) {
  TNetSocketHandle h;
  h.OpenSocket(Id_SOCK_DGRAM);
  EXPECT_THROW(Stack().SetKeepAlive(h.SocketHandle(), true, 1000, 500), ENetSocketError);
}

TEST_F(WindowsStack, NonBlockingReadsAndMulticastOptions) {
  TNetSocketHandle h;
  h.OpenSocket(Id_SOCK_DGRAM);
  h.SetIP(u"127.0.0.1");
  h.BindLocal();
  Stack().SetBlocking(h.SocketHandle(), false);
  TNetBytes in(8);
  try {
    h.ReceiveBytes(in);
    FAIL() << "read without data";
  } catch (const ENetSocketError& e) {
    EXPECT_TRUE(Stack().IsWouldBlock(e.LastError));
  }

  Stack().SetMulticastHops(h.SocketHandle(), 5, Id_IPv4);
  EXPECT_EQ(h.ReadSocketOption(0, 10), 5);
  Stack().SetMulticastLoop(h.SocketHandle(), false, Id_IPv4);
  EXPECT_EQ(h.ReadSocketOption(0, 11), 0);
  // Groups outside the multicast range are left alone.
  Stack().JoinMulticastGroup(h.SocketHandle(), u"10.0.0.1", u"", Id_IPv4);
  Stack().LeaveMulticastGroup(h.SocketHandle(), u"fe80::1", u"", Id_IPv6);
}

TEST_F(WindowsStack, IPv6ChecksumCoversThePseudoHeader) {
  if (!Stack().CheckIPVersionSupport(Id_IPv6)) GTEST_SKIP() << "no IPv6 here";
  TNetSocketHandle h;
  h.SetIPVersion(Id_IPv6);
  h.OpenSocket(Id_SOCK_DGRAM);
  // An echo request: type, code, checksum, identifier, sequence, data.
  TNetBytes message{128, 0, 0xAB, 0xCD, 0, 1, 0, 2, 'p', 'i', 'n', 'g', '!'};
  Stack().StoreChecksum(h.SocketHandle(), message, 2, u"::1", 0, Id_IPv6);
  // With the checksum in place, the sum over pseudo-header and message is 0.
  TNetBytes whole(16, 0);
  whole[15] = 1;  // source ::1
  whole.insert(whole.end(), whole.begin(), whole.begin() + 16);  // destination ::1
  whole.insert(whole.end(), {0, 0, 0, static_cast<std::uint8_t>(message.size()), 0, 0, 0, 58});
  whole.insert(whole.end(), message.begin(), message.end());
  EXPECT_EQ(Stack().InternetChecksum(whole), 0);
  EXPECT_NE(message[2] | (message[3] << 8), 0xCDAB);
}

TEST_F(WindowsStack, ReadableWaitWithoutSocketIsAClosedConnection) {
  TNetSocketHandle h;
  try {
    h.WaitReadable(0);
    FAIL();
  } catch (const ENetConnClosedGracefully& e) {
    EXPECT_EQ(e.Message(), u"Connection Closed Gracefully.");
  }
}

TEST_F(WindowsStack, SocketListHoldsAtMost64) {
  auto list = TNetSocketList::NewSocketList();
  for (TNetStackSocketHandle s = 1; s <= 64; ++s) list->AddSocket(s);
  try {
    list->AddSocket(65);
    FAIL();
  } catch (const ENetStackSetSizeExceeded& e) {
    EXPECT_EQ(e.Message(), u"Set Size Exceeded.");
  }
  EXPECT_EQ(list->SocketCount(), 64);
  EXPECT_THROW(list->SocketAt(64), ENetStackSetSizeExceeded);
  EXPECT_THROW(list->SocketAt(-1), ENetStackSetSizeExceeded);

  list->RemoveSocket(2);  // the last one takes its place
  EXPECT_EQ(list->SocketCount(), 63);
  EXPECT_EQ(list->SocketAt(1), 64u);
  EXPECT_FALSE(list->IncludesSocket(2));
  list->RemoveSocket(1000);
  EXPECT_EQ(list->SocketCount(), 63);

  auto copy = list->CloneList();
  EXPECT_EQ(copy->SocketCount(), 63);
  list->ClearList();
  EXPECT_EQ(list->SocketCount(), 0);
  EXPECT_TRUE(copy->IncludesSocket(64));
}

TEST_F(WindowsStack, SelectOverSeveralLists) {
  TNetSocketHandle a, b;
  for (TNetSocketHandle* h : {&a, &b}) {
    h->OpenSocket(Id_SOCK_DGRAM);
    h->SetIP(u"127.0.0.1");
    h->BindLocal();
  }
  Stack().SendToOn(a.SocketHandle(), u"127.0.0.1", b.Port(), Id_IPv4, {1});
  auto readList = TNetSocketList::NewSocketList();
  readList->AddSocket(a.SocketHandle());
  readList->AddSocket(b.SocketHandle());
  auto writeList = TNetSocketList::NewSocketList();
  writeList->AddSocket(a.SocketHandle());
  EXPECT_TRUE(TNetSocketList::SelectLists(readList.get(), writeList.get(), nullptr, 2000));
  EXPECT_EQ(readList->SocketCount(), 1);
  EXPECT_TRUE(readList->IncludesSocket(b.SocketHandle()));
  EXPECT_TRUE(writeList->IncludesSocket(a.SocketHandle()));

  std::unique_ptr<TNetSocketList> ready;
  EXPECT_TRUE(b.ReadList().SelectReadInto(ready, 0));
  ASSERT_TRUE(ready);
  EXPECT_EQ(ready->SocketCount(), 1);
}

int FailingLookup(const char*, const char*, const ws::addrinfo*, ws::addrinfo**) { return 11001; }

TEST_F(WindowsStack, NameLookupFailureIsHostNotFound) {
  auto saved = winsock::getaddrinfo.Get();
  winsock::getaddrinfo.Set(&FailingLookup);
  try {
    Stack().ResolveAddress(u"no-such-host.example", Id_IPv4);
    ADD_FAILURE() << "resolved";
  } catch (const ENetSocketError& e) {
    EXPECT_EQ(e.LastError, 11001);
    EXPECT_EQ(e.Message(), u"Socket Error # 11001\r\nHost not found.");
  }
  // Loopback names and address texts need no lookup.
  EXPECT_EQ(Stack().ResolveAddress(u"localhost", Id_IPv4), u"127.0.0.1");
  EXPECT_EQ(Stack().ResolveAddress(u"LocalHost", Id_IPv6), u"::1");
  EXPECT_EQ(Stack().ResolveAddress(u"10.1.2.3", Id_IPv4), u"10.1.2.3");
  winsock::getaddrinfo.Set(saved);
  EXPECT_EQ(Stack().ResolveName(u"127.0.0.1", Id_IPv4), u"127.0.0.1");
}

TEST_F(WindowsStack, ErrorTextsAndResults) {
  TNetStack& stack = Stack();
  EXPECT_EQ(stack.SocketErrorText(12345), u"Socket Error # 12345\r\n");
  EXPECT_EQ(stack.SocketErrorText(10048), u"Socket Error # 10048\r\nAddress already in use.");
  EXPECT_EQ(stack.SocketErrorText(10066), u"Socket Error # 10066\r\nDirectory not empty");
  EXPECT_THROW(stack.RaiseSocketCode(10038), ENetNotASocket);

  stack.SetLastSocketError(10061);
  EXPECT_EQ(stack.CheckSocketResult(0), 0);
  EXPECT_EQ(stack.CheckSocketResult(-1, {10035, 10061}), 10061);
  EXPECT_THROW(stack.CheckSocketResult(-1, {10035}), ENetSocketError);
  EXPECT_THROW(stack.CheckSocketResult(-1), ENetSocketError);
  try {
    stack.RaiseIPVersionUnsupported();
  } catch (const ENetIPVersionUnsupported& e) {
    EXPECT_EQ(e.Message(), u"The requested IPVersion / Address family is not supported.");
  }
}

TEST_F(WindowsStack, AddressTexts) {
  TNetStack& stack = Stack();
  struct Case {
    const char16_t* text;
    bool ipv4;
  };
  for (const Case& c : {Case{u"1.2.3.4", true}, Case{u" 1 . 2 .3 . 4 ", true}, Case{u"255.255.255.255", true},
                        Case{u"1.2.3", false}, Case{u"1.2.3.4.5", false}, Case{u"1.2.3.256", false},
                        Case{u"1..3.4", false}, Case{u"a.b.c.d", false}, Case{u"", false}})
    EXPECT_EQ(stack.IsIPv4Text(c.text), c.ipv4) << rtl::StringToUtf8(c.text);
  EXPECT_TRUE(stack.IsIPv4MulticastGroup(u"224.0.0.1"));
  EXPECT_FALSE(stack.IsIPv4MulticastGroup(u"240.0.0.1"));
  EXPECT_TRUE(stack.IsIPv6MulticastGroup(u"ff02::1"));
  EXPECT_FALSE(stack.IsIPv6MulticastGroup(u"fe80::1"));

  const std::uint8_t loopback6[16] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};
  EXPECT_EQ(Stack().AddressToText(loopback6, Id_IPv6), u"0:0:0:0:0:0:0:1");
  std::uint8_t bytes[16] = {};
  Stack().TextToAddress(u"2001:db8::ab", bytes, Id_IPv6);
  EXPECT_EQ(Stack().AddressToText(bytes, Id_IPv6), u"2001:DB8:0:0:0:0:0:AB");
  Stack().TextToAddress(u"192.0.2.7", bytes, Id_IPv4);
  EXPECT_EQ(Stack().AddressToText(bytes, Id_IPv4), u"192.0.2.7");
  EXPECT_THROW(Stack().TextToAddress(u"1::2::3", bytes, Id_IPv6), ENetInvalidIPv6Address);
  for (const char16_t* bad : {u"1.2.3.300", u"1.2.3", u"1.x.3.4", u"1.2.3.-1"})
    EXPECT_THROW(Stack().TextToAddress(bad, bytes, Id_IPv4), rtl::EConvertError) << rtl::StringToUtf8(bad);
  // A connect to such a text is refused before any socket call.
  TNetSocketHandle h;
  h.OpenSocket();
  h.SetPeerAddress(u"127.0.0.300", 80, Id_IPv4);
  EXPECT_THROW(h.ConnectPeer(), rtl::EConvertError);

  EXPECT_EQ(stack.HostToNet64(0x0102030405060708ull), 0x0807060504030201ull);
  EXPECT_EQ(stack.NetToHost64(0x0807060504030201ull), 0x0102030405060708ull);
  // The example of RFC 1071, laid out for storing in memory order.
  EXPECT_EQ(stack.InternetChecksum({0x00, 0x01, 0xF2, 0x03, 0xF4, 0xF5, 0xF6, 0xF7}), 0x0D22);
  EXPECT_EQ(stack.InternetChecksum({0x01}), static_cast<std::uint16_t>(~0x0001));
  EXPECT_TRUE(stack.HasIPv4Support());
}

TEST_F(WindowsStack, RangeBindSkipsATakenPort) {
  TNetSocketHandle taken;
  taken.OpenSocket();
  taken.SetIP(u"127.0.0.1");
  taken.BindLocal();
  const std::uint16_t p = taken.Port();

  TNetSocketHandle h;
  h.OpenSocket();
  h.SetIP(u"127.0.0.1");
  h.SetReuseSocket(rsFalse);
  h.SetClientPortMin(static_cast<std::uint16_t>(p - 1));
  h.SetClientPortMax(p);
  h.BindLocal();
  EXPECT_EQ(h.Port(), p - 1);

  TNetSocketHandle reversed;
  reversed.OpenSocket();
  reversed.SetClientPortMin(p);
  reversed.SetClientPortMax(static_cast<std::uint16_t>(p - 1));
  try {
    reversed.BindLocal();
    FAIL();
  } catch (const ENetInvalidPortRange& e) {
    EXPECT_EQ(e.Message(), rtl::Format(u"Invalid Port Range (%d - %d)", {p, p - 1}));
  }

  // A fixed port ignores the range, and fails as a plain bind.
  reversed.SetIP(u"127.0.0.1");
  reversed.SetPort(p);
  try {
    reversed.BindLocal();
    FAIL();
  } catch (const ENetCouldNotBindSocket& e) {
    EXPECT_EQ(e.Message(), u"Could not bind socket.");
  }

  TNetSocketHandle full;
  full.OpenSocket();
  full.SetIP(u"127.0.0.1");
  full.SetClientPortMin(p);
  full.SetClientPortMax(p);
  EXPECT_THROW(full.BindLocal(), ENetCanNotBindPortInRange);
}

TEST_F(WindowsStack, ShuttingASocketTwiceIsHarmless) {
  TNetSocketHandle h;
  h.OpenSocket();
  const TNetStackSocketHandle s = h.SocketHandle();
  EXPECT_TRUE(h.HasHandle());
  EXPECT_TRUE(h.ReadList().IncludesSocket(s));
  h.SetIPVersion(Id_IPv4);  // unchanged: allowed with a socket
  EXPECT_THROW(h.SetIPVersion(Id_IPv6), ENetCannotSetIPVersionWhenConnected);
  h.ShutSocket();
  h.ShutSocket();
  EXPECT_FALSE(h.HasHandle());
  EXPECT_EQ(h.SocketHandle(), Id_INVALID_SOCKET);
  EXPECT_EQ(h.ReadList().SocketCount(), 0);
  EXPECT_EQ(h.SocketKind(), 0);
  h.SetIPVersion(Id_IPv6);
  EXPECT_EQ(h.IPVersion(), Id_IPv6);
}

TEST_F(WindowsStack, SocketHandleCopiesAddresses) {
  TNetSocketHandles handles;
  handles.SetDefaultPort(5000);
  auto* a = static_cast<TNetSocketHandle*>(handles.Add());
  EXPECT_EQ(a->Port(), 5000);
  a->SetPeerAddress(u"192.0.2.1", 80, Id_IPv4);
  TNetSocketHandle b;
  b.Assign(a);
  EXPECT_EQ(b.Port(), 5000);
  EXPECT_EQ(b.RemoteIP(), u"192.0.2.1");
  EXPECT_EQ(b.RemotePort(), 80);
}

}  // namespace
