// The TCP client and its connection: defaults, the checks before a connect,
// the handler it makes, reuses and drops, and closing.
#include <gtest/gtest.h>

#include "transport/tcp/core/net_exception.h"
#include "transport/tcp/client/net_io_handler_stack.h"
#include "tests/transport/tcp/net_stack_fixture.h"
#include "transport/tcp/client/net_tcp_client.h"
#include "tests/platform/net/posix_helpers.h"

namespace {

using namespace net;

class TCPClientTest : public NetStackFixture {
 protected:
  void SetUp() override {
    NetStackFixture::SetUp();
    listener_ = testposix::ListenLoopback(4, port_);
    ASSERT_GE(listener_, 0);
    client_ = NetCreate<TNetTCPClient>(nullptr);
    client_->OnStatus = [this](ui::TObject*, TNetStatus status, const rtl::String&) { statuses_.push_back(status); };
  }
  void TearDown() override {
    if (client_) ui::Free(client_);
    testposix::CloseFd(peer_);
    testposix::CloseFd(listener_);
    NetStackFixture::TearDown();
  }
  void Target(std::uint16_t port) {
    client_->SetConnectTimeout(20000);
    client_->SetReadTimeout(1000);
    client_->SetHost(u"127.0.0.1");
    client_->SetPort(port);
  }
  void ConnectAndAccept() {
    client_->ConnectToHost();
    testposix::CloseFd(peer_);
    peer_ = testposix::AcceptWithin(listener_, 2000);
    ASSERT_GE(peer_, 0);
  }

  int listener_ = -1;
  int peer_ = -1;
  int port_ = 0;
  TNetTCPClient* client_ = nullptr;
  std::vector<TNetStatus> statuses_;
};

TEST_F(TCPClientTest, ANewClientHasTheDocumentedDefaults) {
  EXPECT_EQ(client_->ConnectTimeout(), 0);
  EXPECT_EQ(client_->ReadTimeout(), -1);
  EXPECT_EQ(client_->Port(), 0);
  EXPECT_TRUE(client_->Host().empty());
  EXPECT_EQ(client_->IPVersion(), Id_IPv4);
  EXPECT_TRUE(client_->UseNagle());
  EXPECT_EQ(client_->ReuseSocket(), rsOSDependent);
  EXPECT_EQ(client_->IOHandler(), nullptr);
  EXPECT_FALSE(client_->IsConnected());
  client_->CloseConnection();
  EXPECT_TRUE(statuses_.empty()) << "closing a client that never connected reports nothing";
}

TEST_F(TCPClientTest, ChecksBeforeConnectingCreateNothing) {
  struct Case {
    const char16_t* host;
    std::uint16_t port;
    const char16_t* message;
  };
  for (const Case& c : {Case{u"", 0, u"A Host is required"}, Case{u"127.0.0.1", 0, u"A Port is required"}}) {
    client_->SetHost(c.host);
    client_->SetPort(c.port);
    try {
      client_->ConnectToHost();
      FAIL() << "connect without " << (c.port ? "host" : "port");
    } catch (const ENetException& e) {
      EXPECT_EQ(rtl::String(e.Message()), c.message);
    }
    EXPECT_EQ(client_->IOHandler(), nullptr);
  }
}

TEST_F(TCPClientTest, ConnectMakesAnOwnedStackHandlerWithTheClientSettings) {
  Target(static_cast<std::uint16_t>(port_));
  ConnectAndAccept();
  auto* handler = dynamic_cast<TNetIOHandlerStack*>(client_->IOHandler());
  ASSERT_NE(handler, nullptr);
  EXPECT_TRUE(client_->OwnsIOHandler());
  EXPECT_EQ(client_->SocketIOHandler(), handler);
  EXPECT_EQ(handler->ConnectTimeout(), 20000);
  EXPECT_EQ(client_->ReadTimeout(), 1000);
  EXPECT_TRUE(client_->IsConnected());
  EXPECT_EQ(statuses_.back(), hsConnected);

  try {
    client_->ConnectToHost();
    FAIL() << "a second connect succeeded";
  } catch (const ENetAlreadyConnected& e) {
    EXPECT_EQ(rtl::String(e.Message()), u"Already connected.");
  }
  EXPECT_TRUE(client_->IsConnected());
}

TEST_F(TCPClientTest, CloseThenConnectReusesTheHandlerWithNewSettings) {
  Target(static_cast<std::uint16_t>(port_));
  ConnectAndAccept();
  TNetIOHandler* first = client_->IOHandler();
  statuses_.clear();
  client_->CloseConnection();
  client_->CloseConnection();
  EXPECT_EQ(statuses_, (std::vector<TNetStatus>{hsDisconnecting, hsDisconnected})) << "the second close finds nothing open";
  EXPECT_EQ(client_->IOHandler(), first);
  EXPECT_FALSE(client_->IsConnected());

  client_->SetReadTimeout(250);
  ConnectAndAccept();
  EXPECT_EQ(client_->IOHandler(), first);
  EXPECT_EQ(first->ReadTimeout(), 250);
  EXPECT_TRUE(client_->IsConnected());
}

TEST_F(TCPClientTest, AFailedConnectDropsTheOwnedHandler) {
  testposix::CloseFd(listener_);
  listener_ = -1;
  Target(static_cast<std::uint16_t>(port_));
  EXPECT_THROW(client_->ConnectToHost(), ENetSocketError);
  EXPECT_EQ(client_->IOHandler(), nullptr);
  EXPECT_FALSE(client_->IsConnected());
  EXPECT_EQ(client_->Port(), port_) << "the settings stay";
}

TEST_F(TCPClientTest, AConnectTimeOutDropsTheHandlerAndTheNextConnectMakesANewOne) {
  int fullPort = 0;
  const int full = testposix::ListenLoopback(0, fullPort);
  ASSERT_GE(full, 0);
  // Connections nobody accepts fill the queue; later handshakes go unanswered.
  std::vector<int> pending;
  for (int i = 0; i < 8; ++i) pending.push_back(testposix::ConnectPending(fullPort));
  testposix::SleepMs(100);
  const int threadsBefore = testposix::ThreadCount();
  Target(static_cast<std::uint16_t>(fullPort));
  client_->SetConnectTimeout(300);
  EXPECT_THROW(client_->ConnectToHost(), ENetConnectTimeout);
  EXPECT_EQ(client_->IOHandler(), nullptr);
  EXPECT_FALSE(client_->IsConnected());
  EXPECT_EQ(testposix::ThreadCount(), threadsBefore);
  for (int fd : pending) testposix::CloseFd(fd);
  testposix::CloseFd(full);

  Target(static_cast<std::uint16_t>(port_));
  ConnectAndAccept();
  EXPECT_NE(client_->IOHandler(), nullptr);
  EXPECT_TRUE(client_->IsConnected());
}

TEST_F(TCPClientTest, AssigningAHandlerFreesTheOwnedOneOnly) {
  Target(static_cast<std::uint16_t>(port_));
  ConnectAndAccept();
  TNetIOHandler* owned = client_->IOHandler();
  client_->SetIOHandler(owned);
  EXPECT_TRUE(client_->OwnsIOHandler()) << "the same handler again changes nothing";
  EXPECT_TRUE(client_->IsConnected());

  auto* borrowed = NetCreate<TNetIOHandlerStack>(nullptr);
  const int usersBefore = StackUsers();
  client_->SetIOHandler(borrowed);
  EXPECT_LT(StackUsers(), usersBefore) << "the owned handler was not freed";
  EXPECT_FALSE(client_->OwnsIOHandler());
  EXPECT_EQ(client_->SocketIOHandler(), borrowed);
  EXPECT_EQ(borrowed->ReadTimeout(), 1000) << "the client's settings go into the new handler";
  ui::Free(client_);
  client_ = nullptr;
  EXPECT_FALSE(borrowed->IsOpen()) << "a borrowed handler outlives the client";
  ui::Free(borrowed);
}

TEST_F(TCPClientTest, ThePeerGoingAwayEndsTheConnection) {
  Target(static_cast<std::uint16_t>(port_));
  ConnectAndAccept();
  testposix::CloseWithReset(peer_);
  peer_ = -1;
  testposix::SleepMs(100);
  EXPECT_FALSE(client_->IsConnected());
  client_->CloseConnection();
}

TEST(TCPConnection, EightConnectionsReleaseTheStackWhenFreed) {
  NetStackFixture::UseModules();
  std::vector<TNetTCPConnection*> connections;
  for (int i = 0; i < 8; ++i) connections.push_back(NetCreate<TNetTCPConnection>(nullptr));
  EXPECT_GE(StackUsers(), 8);
  for (TNetTCPConnection* c : connections) {
    EXPECT_FALSE(c->IsConnected());
    c->CloseConnection();
    ui::Free(c);
  }
  EXPECT_EQ(StackUsers(), 0);
  EXPECT_EQ(GlobalStack(), nullptr);
  UnloadStackLibraries();
}

}  // namespace
