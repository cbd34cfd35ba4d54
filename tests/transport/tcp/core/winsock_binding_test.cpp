#include <gtest/gtest.h>

#include <array>

#include "tests/platform/net/winsock_fixture.h"

using namespace net;
using namespace net::winsock;

using WinsockBinding = WinsockFixture;

TEST_F(WinsockBinding, CallBeforeLoadFailsAndKeepsTheStub) {
  ASSERT_FALSE(IsWinsockLoaded());
  try {
    connect(1, nullptr, 0);
    FAIL();
  } catch (const ENetWinsockStubError& e) {
    EXPECT_EQ(e.ErrorCode, 10093u);
    EXPECT_EQ(e.Title, u"Error on call to Winsock2 library function connect");
    EXPECT_EQ(e.Message(), e.Title + u": " + rtl::SysErrorMessage(10093));
  }
  EXPECT_FALSE(connect.IsBound());
  LoadWinsockLibrary();
  const SOCKET s = socket(WS_AF_INET, WS_SOCK_STREAM, 0);
  ASSERT_NE(s, INVALID_SOCKET);
  EXPECT_TRUE(socket.IsBound());
  sockaddr_in a{};
  a.sin_family = WS_AF_INET;
  a.sin_addr.s_addr = htonl(0x7F000001);
  EXPECT_EQ(connect(s, reinterpret_cast<sockaddr*>(&a), 4), SOCKET_ERROR);  // too short: a real call now
  EXPECT_EQ(WSAGetLastError(), WSAEFAULT);
  EXPECT_TRUE(connect.IsBound());
  closesocket(s);
}

TEST_F(WinsockBinding, SecondLoadDoesNothing) {
  LoadWinsockLibrary();
  void* handle = WinsockLibraryHandle();
  LoadWinsockLibrary();
  EXPECT_EQ(WinsockLibraryHandle(), handle);
  // One start-up only: the first clean-up succeeds, the second finds none.
  EXPECT_EQ(WSACleanup(), 0);
  EXPECT_EQ(WSACleanup(), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSANOTINITIALISED);
  WSADATA d{};
  EXPECT_EQ(WSAStartup(0x0202, &d), 0);  // leave one for the unload
}

TEST_F(WinsockBinding, MissingExportFailsEveryTimeAndOthersWork) {
  UseLibrary(JQ_TEST_WS2_32_NO_LISTEN);
  LoadWinsockLibrary();
  const SOCKET s = socket(WS_AF_INET, WS_SOCK_STREAM, 0);
  ASSERT_NE(s, INVALID_SOCKET);
  for (int i = 0; i < 2; ++i) {
    try {
      listen(s, 1);
      FAIL();
    } catch (const ENetWinsockStubError& e) {
      EXPECT_EQ(e.ErrorCode, 10022u);
      EXPECT_EQ(e.Title, u"Error on call to Winsock2 library function listen");
    }
    EXPECT_FALSE(listen.IsBound());
  }
  EXPECT_EQ(closesocket(s), 0);
}

TEST_F(WinsockBinding, FailedStartUpLeavesTheLibraryUnloaded) {
  UseLibrary(JQ_TEST_WS2_32_STARTUP_FAILS);
  try {
    LoadWinsockLibrary();
    FAIL();
  } catch (const ENetWinsockStubError& e) {
    EXPECT_EQ(e.ErrorCode, 10092u);
    EXPECT_EQ(e.Title, u"Error on loading Winsock2 library (WS2_32.DLL)");
  }
  EXPECT_FALSE(IsWinsockLoaded());
  EXPECT_FALSE(WSAStartup.IsBound());  // no address into the freed library survives
  // A later load tries again.
  UseLibrary(JQ_TEST_WS2_32);
  LoadWinsockLibrary();
  EXPECT_TRUE(IsWinsockLoaded());
}

TEST_F(WinsockBinding, MissingLibrary) {
  UseLibrary("/nonexistent/libnothing.so");
  try {
    LoadWinsockLibrary();
    FAIL();
  } catch (const ENetWinsockStubError& e) {
    EXPECT_EQ(e.ErrorCode, 126u);
    EXPECT_EQ(e.Title, u"Error on loading Winsock2 library (WS2_32.DLL)");
    EXPECT_EQ(e.Message().substr(0, e.Title.size() + 2), e.Title + u": ");
  }
  EXPECT_FALSE(IsWinsockLoaded());
}

TEST_F(WinsockBinding, UnloadPutsTheStubsBack) {
  LoadWinsockLibrary();
  EXPECT_EQ(htons(0x1234), 0x3412);
  EXPECT_TRUE(htons.IsBound());
  UnloadWinsockLibrary();
  EXPECT_FALSE(htons.IsBound());
  EXPECT_THROW(htons(1), ENetWinsockStubError);
  UnloadWinsockLibrary();  // harmless
}

TEST_F(WinsockBinding, TableAndAlignment) {
  EXPECT_EQ(WinsockFunctionCount(), 120u);
  EXPECT_TRUE(GetAcceptExSockaddrs.IsEmpty());
  EXPECT_EQ(AlignControlMessageLength(0), 0u);
  EXPECT_EQ(AlignControlMessageLength(1), 4u);
  EXPECT_EQ(AlignControlMessageLength(4), 4u);
  EXPECT_EQ(AlignControlMessageLength(5), 8u);
}

TEST_F(WinsockBinding, Extensions) {
  LoadWinsockLibrary();
  // A rejected lookup raises with the provider's code and keeps the stub.
  for (int i = 0; i < 2; ++i) {
    try {
      TransmitFile(static_cast<SOCKET>(0x7FFFFF00), -1, 0, 0, nullptr, nullptr, 0);
      FAIL();
    } catch (const ENetWinsockStubError& e) {
      EXPECT_EQ(e.ErrorCode, static_cast<std::uint32_t>(WSAENOTSOCK));
      EXPECT_EQ(e.Title, u"Error on call to Winsock2 library function TransmitFile");
    }
    EXPECT_FALSE(TransmitFile.IsBound());
  }
  const SOCKET s = socket(WS_AF_INET, WS_SOCK_DGRAM, 0);
  ASSERT_NE(s, INVALID_SOCKET);
  // WSAPoll finds its socket in the first entry of the array.
  WSAPOLLFD p[1] = {{s, WS_POLLWRNORM, 0}};
  EXPECT_EQ(WSAPoll(p, 1, 0), 1);
  EXPECT_TRUE(p[0].revents & WS_POLLWRNORM);
  EXPECT_TRUE(WSAPoll.IsBound());
  // The overlapped-I/O extensions are not offered: AcceptEx fails at its
  // first lookup and leaves both variables as they were.
  EXPECT_THROW(AcceptEx(s, s, nullptr, 0, 0, 0, nullptr, nullptr), ENetWinsockStubError);
  EXPECT_TRUE(GetAcceptExSockaddrs.IsEmpty());
  // WSARecvEx loads its own library.
  char buf[4];
  int flags = 0;
  ioctlsocket(s, WS_FIONBIO, std::array<std::uint32_t, 1>{1}.data());
  EXPECT_EQ(WSARecvEx(s, buf, 4, &flags), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAEWOULDBLOCK);
  EXPECT_NE(ExtensionLibraryHandle(), nullptr);
  closesocket(s);
}

TEST_F(WinsockBinding, RecvExWithoutItsLibrary) {
  platform::net::SetLibraryFile("MSWSOCK.DLL", "");
  try {
    int flags = 0;
    WSARecvEx(1, nullptr, 0, &flags);
    FAIL();
  } catch (const ENetWinsockStubError& e) {
    EXPECT_EQ(e.Title, u"Error on loading Winsock2 library (MSWSOCK.DLL)");
  }
  EXPECT_EQ(ExtensionLibraryHandle(), nullptr);
}
