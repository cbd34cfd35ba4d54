// Line reading and writing of the stack I/O handler against a loopback peer.
#include <gtest/gtest.h>

#include <string>

#include "net_exception.h"
#include "net_io_handler_stack.h"
#include "net_stack_fixture.h"
#include "posix_helpers.h"
#include "string_list.h"

namespace {

using namespace net;

class IOHandlerLinesTest : public NetStackFixture {
 protected:
  void SetUp() override {
    NetStackFixture::SetUp();
    listener_ = testposix::ListenLoopback(4, port_);
    ASSERT_GE(listener_, 0);
    handler_ = NetCreate<TNetIOHandlerStack>(nullptr);
    handler_->SetHost(u"127.0.0.1");
    handler_->SetPort(port_);
    handler_->SetConnectTimeout(5000);
    handler_->SetReadTimeout(2000);
    handler_->OpenHandler();
    peer_ = testposix::AcceptWithin(listener_, 2000);
    ASSERT_GE(peer_, 0);
  }
  void TearDown() override {
    ui::Free(handler_);
    testposix::CloseFd(peer_);
    testposix::CloseFd(listener_);
    NetStackFixture::TearDown();
  }
  void PeerSends(const std::string& bytes) { ASSERT_TRUE(testposix::SendAll(peer_, bytes.data(), int(bytes.size()))); }
  std::string PeerReceives() {
    std::string all;
    char block[256];
    int n;
    while ((n = testposix::ReceiveWithin(peer_, block, sizeof block, 200)) > 0) all.append(block, n);
    return all;
  }

  int listener_ = -1;
  int peer_ = -1;
  int port_ = 0;
  TNetIOHandlerStack* handler_ = nullptr;
};

TEST_F(IOHandlerLinesTest, LinesSplitOnLineFeedAndCarriageReturnLineFeed) {
  PeerSends("abc\r\nde\nf\r;");
  EXPECT_EQ(handler_->ReadLine(), u"abc");
  EXPECT_EQ(handler_->ReadLine(), u"de");
  // Any terminator other than LF keeps a CR that stands before it.
  EXPECT_EQ(handler_->ReadLine(u";"), u"f\r");
}

TEST_F(IOHandlerLinesTest, ATerminatorSplitAcrossArrivalsIsFound) {
  PeerSends("one\r");
  testposix::SleepMs(50);
  handler_->WaitForData(200);
  PeerSends("\ntwo\r\n");
  EXPECT_EQ(handler_->ReadLine(u"\r\n"), u"one");
  EXPECT_EQ(handler_->ReadLine(u"\r\n"), u"two");
}

TEST_F(IOHandlerLinesTest, OverlongLinesRaiseOrSplitByTheMaxLineAction) {
  PeerSends("abcdefgh\nabcdefgh\n");
  try {
    handler_->ReadLine(u"\n", -1, 4);
    FAIL() << "an over-long line was returned";
  } catch (const ENetReadLnMaxLineLengthExceeded& e) {
    EXPECT_EQ(rtl::String(e.Message()), u"Max line length exceeded.");
  }
  handler_->SetMaxLineAction(maSplit);
  EXPECT_EQ(handler_->ReadLine(u"\n", -1, 4), u"abcd");
  EXPECT_TRUE(handler_->LineWasSplit());
  EXPECT_EQ(handler_->ReadLine(u"\n", -1, 4), u"efgh");
  EXPECT_FALSE(handler_->LineWasSplit());
}

TEST_F(IOHandlerLinesTest, ALineTimeOutReturnsEmptyAndIsFlagged) {
  handler_->SetReadTimeout(150);
  PeerSends("no end");
  EXPECT_EQ(handler_->ReadLine(), u"");
  EXPECT_TRUE(handler_->LineTimedOut());
  EXPECT_EQ(handler_->InBuffer().Size(), 6);
}

TEST_F(IOHandlerLinesTest, NonEmptyLineSkipsBlankLinesUpToTheLimit) {
  PeerSends("\n \n  text \n\n\n\n");
  EXPECT_EQ(handler_->ReadNonEmptyLine(3), u"text");
  try {
    handler_->ReadNonEmptyLine(3);
    FAIL() << "three empty lines gave a line";
  } catch (const ENetReadLnWaitMaxAttemptsExceeded& e) {
    EXPECT_EQ(rtl::String(e.Message()), u"Max line read attempts exceeded.");
  }
}

TEST_F(IOHandlerLinesTest, WritesEndLinesAndStuffLeadingDots) {
  handler_->WriteText(u"");
  handler_->WriteLine(u"plain");
  handler_->WriteDotStuffedLine(u".hidden");
  handler_->WriteDotStuffedLine(u"shown");
  EXPECT_EQ(PeerReceives(), "plain\r\n..hidden\r\nshown\r\n");
}

TEST_F(IOHandlerLinesTest, WriteLinesSendsTheCountAndLinesAsOneWrite) {
  ui::TStringList lines;
  lines.Add(u"first");
  lines.Add(u"second");
  std::int64_t writes = 0;
  handler_->OnWork = [&](ui::TObject*, TWorkMode mode, std::int64_t) { writes += mode == wmWrite; };
  handler_->StartWork(wmWrite);
  handler_->WriteLines(lines, true);
  handler_->FinishWork(wmWrite);
  EXPECT_EQ(writes, 1) << "the count and both lines go out in one send";
  EXPECT_FALSE(handler_->IsWriteBuffering());
  EXPECT_EQ(PeerReceives(), std::string("\0\0\0\2first\r\nsecond\r\n", 19));
}

TEST_F(IOHandlerLinesTest, ReadAllTextCollectsUntilThePeerCloses) {
  PeerSends("all of it");
  testposix::CloseFd(peer_);
  peer_ = -1;
  EXPECT_EQ(handler_->ReadAllText(), u"all of it");
}

}  // namespace
