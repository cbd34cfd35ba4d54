// The stack I/O handler against plain loopback peers: connecting with and
// without a time-out, the connected test, and block reads out of the input
// buffer.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "transport/tcp/core/net_exception.h"
#include "transport/tcp/client/net_io_handler_stack.h"
#include "tests/transport/tcp/net_stack_fixture.h"
#include "tests/platform/net/posix_helpers.h"

namespace {

using namespace net;
using Clock = std::chrono::steady_clock;

std::int64_t MsSince(Clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

class IOHandlerTest : public NetStackFixture {
 protected:
  void SetUp() override {
    NetStackFixture::SetUp();
    listener_ = testposix::ListenLoopback(4, port_);
    ASSERT_GE(listener_, 0);
    handler_ = NetCreate<TNetIOHandlerStack>(nullptr);
    handler_->SetHost(u"127.0.0.1");
    handler_->SetPort(port_);
    handler_->SetConnectTimeout(20000);
  }
  void TearDown() override {
    ui::Free(handler_);
    testposix::CloseFd(peer_);
    testposix::CloseFd(listener_);
    NetStackFixture::TearDown();
  }
  void Connect() {
    handler_->OpenHandler();
    peer_ = testposix::AcceptWithin(listener_, 2000);
    ASSERT_GE(peer_, 0);
  }
  void PeerSends(int count, char first = 'a') {
    std::string bytes;
    for (int i = 0; i < count; ++i) bytes += static_cast<char>(first + i % 26);
    ASSERT_TRUE(testposix::SendAll(peer_, bytes.data(), count));
  }
  // Pulls what the peer sent into the input buffer.
  void BufferAtLeast(int count) {
    for (int i = 0; i < 50 && handler_->InBuffer().Size() < count; ++i) handler_->WaitForData(100);
    ASSERT_GE(handler_->InBuffer().Size(), count);
  }

  int listener_ = -1;
  int peer_ = -1;
  int port_ = 0;
  TNetIOHandlerStack* handler_ = nullptr;
};

TEST_F(IOHandlerTest, RefusedConnectFailsAtOnceWithTheConnectError) {
  testposix::CloseFd(listener_);
  listener_ = -1;
  const auto start = Clock::now();
  try {
    handler_->OpenHandler();
    FAIL() << "connect to a closed port succeeded";
  } catch (const ENetSocketError& e) {
    EXPECT_EQ(e.LastError, Id_WSAECONNREFUSED);
  }
  EXPECT_LT(MsSince(start), 5000) << "a refusal must not wait for the time-out";
  // The socket stays made after a failed connect; its owner closes it.
  EXPECT_TRUE(handler_->HasSocket());
  handler_->CloseHandler();
  EXPECT_FALSE(handler_->IsConnected());
}

TEST_F(IOHandlerTest, ConnectTimeOutOnAFullBacklogLeavesNoThreadBehind) {
  testposix::CloseFd(listener_);
  listener_ = testposix::ListenLoopback(0, port_);
  ASSERT_GE(listener_, 0);
  handler_->SetPort(port_);
  // Connections nobody accepts fill the queue; later handshakes go unanswered.
  std::vector<int> pending;
  for (int i = 0; i < 8; ++i) pending.push_back(testposix::ConnectPending(port_));
  testposix::SleepMs(100);
  const int threadsBefore = testposix::ThreadCount();
  handler_->SetConnectTimeout(300);
  const auto start = Clock::now();
  try {
    handler_->OpenHandler();
    FAIL() << "connect to a full backlog succeeded";
  } catch (const ENetConnectTimeout& e) {
    EXPECT_EQ(rtl::String(e.Message()), u"Connect timed out.");
  }
  const auto elapsed = MsSince(start);
  EXPECT_GE(elapsed, 290);
  EXPECT_LT(elapsed, 400);
  EXPECT_EQ(testposix::ThreadCount(), threadsBefore);
  EXPECT_FALSE(handler_->HasSocket());
  EXPECT_FALSE(handler_->IsOpen());
  for (int fd : pending) testposix::CloseFd(fd);
}

TEST_F(IOHandlerTest, ConnectedSocketHonoursTheNagleChoice) {
  handler_->SetUseNagle(false);
  Connect();
  EXPECT_EQ(handler_->SocketBinding()->ReadSocketOption(Id_SOCKETOPTIONLEVEL_TCP, Id_TCP_NODELAY), 1);
  EXPECT_TRUE(handler_->IsConnected());
  // A reopen makes a new socket under the same binding; it gets the choice too.
  handler_->CloseHandler();
  testposix::CloseFd(peer_);
  Connect();
  EXPECT_EQ(handler_->SocketBinding()->ReadSocketOption(Id_SOCKETOPTIONLEVEL_TCP, Id_TCP_NODELAY), 1);
}

TEST_F(IOHandlerTest, ConnectedTestSeesThePeerGoAway) {
  struct Case {
    const char* name;
    bool reset;
    int bytesFirst;
    bool expected;
  };
  for (const Case& c : {Case{"orderly close", false, 0, false}, Case{"reset", true, 0, false},
                        Case{"close with unread bytes", false, 3, true}}) {
    SCOPED_TRACE(c.name);
    Connect();
    ASSERT_TRUE(handler_->IsConnected());
    if (c.bytesFirst) PeerSends(c.bytesFirst);
    if (c.reset)
      testposix::CloseWithReset(peer_);
    else
      testposix::CloseFd(peer_);
    peer_ = -1;
    testposix::SleepMs(100);
    EXPECT_EQ(handler_->IsConnected(), c.expected);
    handler_->CloseHandler();
  }
}

TEST_F(IOHandlerTest, ReadBlockTakesBufferedBytesFirstAndLeavesTheRest) {
  Connect();
  PeerSends(20);
  BufferAtLeast(20);
  PeerSends(5, 'A');
  testposix::SleepMs(50);
  TNetBytes reply;
  handler_->ReadBlock(reply, 14, true);
  ASSERT_EQ(reply.size(), 14u);
  EXPECT_EQ(reply[0], 'a');
  EXPECT_EQ(reply[13], 'n');
  EXPECT_EQ(handler_->InBuffer().Size(), 6) << "no socket read may happen while enough is buffered";

  TNetBytes untouched{1, 2, 3};
  handler_->ReadBlock(untouched, 0, true);
  EXPECT_EQ(untouched, (TNetBytes{1, 2, 3}));
}

TEST_F(IOHandlerTest, ReadBlockTimesOutKeepingWhatArrived) {
  handler_->SetReadTimeout(200);
  Connect();
  PeerSends(10);
  TNetBytes reply;
  EXPECT_THROW(handler_->ReadBlock(reply, 14, true), ENetReadTimeout);
  EXPECT_TRUE(reply.empty());
  EXPECT_EQ(handler_->InBuffer().Size(), 10);
  EXPECT_TRUE(handler_->IsOpen());
}

// A read waits on the socket itself; a short time-out of an earlier read must
// not cut a later read that may wait longer, or without limit.
TEST_F(IOHandlerTest, ALaterReadWaitsByItsOwnTimeOut) {
  Connect();
  for (const std::int32_t later : {1000, 0}) {
    SCOPED_TRACE(later);
    handler_->SetReadTimeout(50);
    TNetBytes reply;
    EXPECT_THROW(handler_->ReadBlock(reply, 1, true), ENetReadTimeout);
    handler_->SetReadTimeout(later);
    std::thread peer([this] {
      testposix::SleepMs(300);
      PeerSends(14);
    });
    EXPECT_NO_THROW(handler_->ReadBlock(reply, 14, true));
    peer.join();
    EXPECT_EQ(reply.size(), 14u);
  }
}

TEST_F(IOHandlerTest, ReadBlockOnAPartialReplyThenCloseIsAGracefulClose) {
  handler_->SetReadTimeout(2000);
  Connect();
  PeerSends(10);
  testposix::CloseFd(peer_);
  peer_ = -1;
  TNetBytes reply;
  try {
    handler_->ReadBlock(reply, 14, true);
    FAIL() << "a closed peer gave a reply";
  } catch (const ENetConnClosedGracefully& e) {
    EXPECT_EQ(rtl::String(e.Message()), u"Connection Closed Gracefully.");
  }
  EXPECT_TRUE(handler_->PeerClosed());
}

// The read a framed exchange makes: what has arrived, appended, without
// waiting for a count. Buffered bytes go first and alone; with none buffered
// one socket read goes straight to the caller.
TEST_F(IOHandlerTest, ReadArrivedTakesBufferedBytesFirstThenOneSocketRead) {
  Connect();
  PeerSends(4);
  BufferAtLeast(4);
  PeerSends(6, 'A');
  testposix::SleepMs(50);
  TNetBytes bytes{9};
  handler_->ReadArrived(bytes, 1000);
  EXPECT_EQ(bytes, (TNetBytes{9, 'a', 'b', 'c', 'd'})) << "no socket read may happen while bytes are buffered";
  handler_->ReadArrived(bytes, 1000);
  EXPECT_EQ(bytes, (TNetBytes{9, 'a', 'b', 'c', 'd', 'A', 'B', 'C', 'D', 'E', 'F'}));
  EXPECT_TRUE(handler_->InBufferEmpty());
}

TEST_F(IOHandlerTest, ReadArrivedTimesOutByItsOwnTimeOutAndSeesAClose) {
  handler_->SetReadTimeout(0);  // no limit of its own: the call's time-out bounds the wait
  Connect();
  TNetBytes bytes;
  const auto start = Clock::now();
  EXPECT_THROW(handler_->ReadArrived(bytes, 150), ENetReadTimeout);
  EXPECT_GE(MsSince(start), 100);
  EXPECT_LT(MsSince(start), 5000);
  EXPECT_TRUE(bytes.empty());
  EXPECT_TRUE(handler_->IsOpen());
  testposix::CloseFd(peer_);
  peer_ = -1;
  EXPECT_THROW(handler_->ReadArrived(bytes, 1000), ENetConnClosedGracefully);
  EXPECT_TRUE(handler_->PeerClosed());
}

TEST_F(IOHandlerTest, WriteBlockSendsTheSelectedBytesOnly) {
  Connect();
  const TNetBytes frame{1, 2, 3, 4, 5};
  handler_->WriteBlock(frame, 0);
  handler_->WriteBlock(frame, -1, 9);
  handler_->WriteBlock(frame, 2, 1);
  handler_->ClearWriteBuffer();
  char got[8] = {};
  ASSERT_EQ(testposix::ReceiveWithin(peer_, got, sizeof got, 1000), 2);
  EXPECT_EQ(got[0], 2);
  EXPECT_EQ(got[1], 3);
}

TEST_F(IOHandlerTest, WriteBufferingHoldsBytesUntilFlushed) {
  Connect();
  handler_->OpenWriteBuffer(-1);
  handler_->WriteBlock(TNetBytes{7, 8, 9});
  char got[8] = {};
  EXPECT_EQ(testposix::ReceiveWithin(peer_, got, sizeof got, 100), 0);
  handler_->CloseWriteBuffer();
  EXPECT_FALSE(handler_->IsWriteBuffering());
  ASSERT_EQ(testposix::ReceiveWithin(peer_, got, sizeof got, 1000), 3);
  EXPECT_EQ(got[2], 9);
}

TEST_F(IOHandlerTest, ReopeningConnectsAgainWithAnEmptyInputBuffer) {
  Connect();
  PeerSends(4);
  BufferAtLeast(4);
  handler_->CloseHandler();
  EXPECT_EQ(handler_->InBuffer().Size(), 4) << "a close keeps what was received";
  testposix::CloseFd(peer_);
  Connect();
  EXPECT_EQ(handler_->InBuffer().Size(), 0);
  EXPECT_TRUE(handler_->IsConnected());
}

TEST(IOHandlerRegistry, TheStackHandlerIsTheDefaultClass) {
  NetStackFixture::UseModules();
  TNetIOHandler* handler = CreateDefaultHandler(nullptr);
  ASSERT_NE(handler, nullptr);
  EXPECT_NE(dynamic_cast<TNetIOHandlerStack*>(handler), nullptr);
  EXPECT_EQ(handler->ReadTimeout(), -1);
  EXPECT_EQ(handler->MaxLineLength(), 16384);
  ui::Free(handler);
}

}  // namespace
