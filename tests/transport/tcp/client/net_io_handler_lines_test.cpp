// Line reading and writing of the stack I/O handler against a loopback peer.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>

#include "transport/tcp/core/net_exception.h"
#include "transport/tcp/client/net_io_handler_stack.h"
#include "tests/transport/tcp/net_stack_fixture.h"
#include "tests/platform/net/posix_helpers.h"
#include "platform/runtime/streams.h"
#include "platform/classes/string_list.h"

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

TEST_F(IOHandlerLinesTest, TypedValuesGoOutInTheirByteOrderAndComeBack) {
  struct Case {
    const char* name;
    std::function<void(TNetIOHandler&)> write;
    std::string wire;
    std::function<std::int64_t(TNetIOHandler&)> read;
    std::int64_t value;
  };
  const Case cases[] = {
      {"octet", [](TNetIOHandler& h) { h.WriteOctet(0xA5); }, "\xA5",
       [](TNetIOHandler& h) { return std::int64_t{h.ReadOctet()}; }, 0xA5},
      {"int16 network", [](TNetIOHandler& h) { h.WriteInteger16(0x0102); }, "\x01\x02", nullptr, 0},
      {"int16 host", [](TNetIOHandler& h) { h.WriteInteger16(0x0102, false); }, "\x02\x01", nullptr, 0},
      {"int32 network", [](TNetIOHandler& h) { h.WriteInteger32(-2); }, "\xFF\xFF\xFF\xFE",
       [](TNetIOHandler& h) { return std::int64_t{h.ReadInteger32()}; }, -2},
      {"int32 host", [](TNetIOHandler& h) { h.WriteInteger32(0x01020304, false); }, "\x04\x03\x02\x01",
       [](TNetIOHandler& h) { return std::int64_t{h.ReadInteger32(false)}; }, 0x01020304},
      {"int64 network", [](TNetIOHandler& h) { h.WriteInteger64(0x0102030405060708LL); },
       "\x01\x02\x03\x04\x05\x06\x07\x08", [](TNetIOHandler& h) { return h.ReadInteger64(); },
       0x0102030405060708LL},
      {"int64 host", [](TNetIOHandler& h) { h.WriteInteger64(-1, false); }, "\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF",
       [](TNetIOHandler& h) { return h.ReadInteger64(false); }, -1},
      {"character utf-8", [](TNetIOHandler& h) { h.WriteCharacter(u'\u4E2D', TextEncodingFor(EncodingUTF8)); },
       "\xE4\xB8\xAD", nullptr, 0},
      {"character ascii", [](TNetIOHandler& h) { h.WriteCharacter(u'Q'); }, "Q", nullptr, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    c.write(*handler_);
    EXPECT_EQ(PeerReceives(), c.wire);
    if (!c.read) continue;
    PeerSends(c.wire);
    EXPECT_EQ(c.read(*handler_), c.value);
    EXPECT_TRUE(handler_->InBufferEmpty());
  }
}

TEST_F(IOHandlerLinesTest, ReadCharacterTakesAWholeMultiByteCharacter) {
  PeerSends("\xE4\xB8\xAD" "A");
  const auto utf8 = TextEncodingFor(EncodingUTF8);
  EXPECT_EQ(static_cast<unsigned char>(handler_->ReadCharacter(utf8, utf8)), 0xE4);
  EXPECT_EQ(handler_->ReadCharacter(), 'A');
  EXPECT_TRUE(handler_->InBufferEmpty()) << "no byte of the next character was taken";
}

TEST_F(IOHandlerLinesTest, EchoedLineEditsAndEchoesWithTheMask) {
  PeerSends("ab\bc\td\x1B\r\n");
  EXPECT_EQ(handler_->ReadEchoedLine(u"*", true, 4), u"ac  d");
  EXPECT_EQ(PeerReceives(), "**\b \b*  *\r\n");
  // Past the maximum length only the LF still counts.
  PeerSends("abcdef\b\n");
  EXPECT_EQ(handler_->ReadEchoedLine(u"", false, 0, 2), u"abc");
  EXPECT_EQ(PeerReceives(), "");
}

TEST_F(IOHandlerLinesTest, CaptureLinesStopsAtTheDelimiterAndUnstuffsDots) {
  PeerSends("one\r\n..two\r\n.\r\nthree\n.\nafter\n");
  ui::TStringList lines;
  EXPECT_EQ(handler_->CaptureLines(lines), 2);
  ASSERT_EQ(lines.Count(), 2);
  EXPECT_EQ(lines.Get(0), u"one");
  EXPECT_EQ(lines.Get(1), u".two");
  rtl::TMemoryStream stream;
  EXPECT_EQ(handler_->CaptureLines(stream), 1);
  EXPECT_EQ(stream.ToBytes(), "three\r\n");
  EXPECT_EQ(handler_->ReadLine(), u"after");

  handler_->SetCaptureLineLimit(1);
  PeerSends("a\nb\nc\n.\n");
  ui::TStringList limited;
  try {
    handler_->CaptureLines(limited);
    FAIL() << "the capture limit was ignored";
  } catch (const ENetMaxCaptureLineExceeded& e) {
    EXPECT_EQ(rtl::String(e.Message()), u"Maximum number of line allowed exceeded");
  }
  EXPECT_EQ(limited.Count(), 2);
}

TEST_F(IOHandlerLinesTest, WriteStreamWithAndWithoutASizePrefix) {
  rtl::TMemoryStream stream;
  stream.WriteBuffer("hello", 5);
  stream.SetPosition(2);
  handler_->WriteStream(stream, -1, true);
  EXPECT_EQ(PeerReceives(), std::string("\0\0\0\3llo", 7));
  handler_->SetSendBufferSize(2);  // several chunks
  handler_->WriteStream(stream, 0, false);
  EXPECT_EQ(PeerReceives(), "hello");
  handler_->SetLargeStream(true);
  handler_->WriteStream(stream, 0, true);
  EXPECT_EQ(PeerReceives(), std::string("\0\0\0\0\0\0\0\5hello", 13));

  stream.SetPosition(3);
  try {
    handler_->WriteStream(stream, 4, false);
    FAIL() << "a short stream was sent as complete";
  } catch (const ENetNoDataToRead& e) {
    EXPECT_EQ(rtl::String(e.Message()), u"No data to read.");
  }
}

TEST_F(IOHandlerLinesTest, AStreamBeyondTwoGigabytesNeedsLargeStream) {
  struct HugeStream : rtl::TMemoryStream {
    std::int64_t Size() override { return 3LL << 30; }
  } huge;
  try {
    handler_->WriteStream(huge, -1, true);
    FAIL() << "a size above 2 GB went out as 32 bits";
  } catch (const ENetIOHandlerRequiresLargeStream& e) {
    EXPECT_EQ(rtl::String(e.Message()), u"Set LargeStream to True to send streams greater than 2GB");
  }
  EXPECT_EQ(PeerReceives(), "");
}

TEST_F(IOHandlerLinesTest, ReadIntoStreamBySizePrefixCountAndUntilClose) {
  PeerSends(std::string("\0\0\0\5worldrest\n", 14));
  rtl::TMemoryStream sized;
  handler_->ReadIntoStream(&sized);
  EXPECT_EQ(sized.ToBytes(), "world");
  EXPECT_EQ(handler_->ReadLine(), u"rest");

  // A counted read into the middle of a stream keeps what lies beyond it.
  rtl::TMemoryStream middle;
  middle.WriteBuffer("0123456789", 10);
  middle.SetPosition(2);
  PeerSends("abcd");
  handler_->ReadIntoStream(&middle, 4);
  EXPECT_EQ(middle.ToBytes(), "01abcd6789");

  handler_->ReadIntoStream(nullptr, 0);
  PeerSends("xyz");
  handler_->ReadIntoStream(nullptr, 2);
  EXPECT_EQ(handler_->ReadOctet(), 'z');

  PeerSends("tail");
  testposix::CloseFd(peer_);
  peer_ = -1;
  rtl::TMemoryStream rest;
  handler_->ReadIntoStream(&rest, -1, true);
  EXPECT_EQ(rest.ToBytes(), "tail");
}

TEST_F(IOHandlerLinesTest, ACountedReadCutShortKeepsWhatArrived) {
  PeerSends("abcd");
  testposix::CloseFd(peer_);
  peer_ = -1;
  rtl::TMemoryStream stream;
  EXPECT_THROW(handler_->ReadIntoStream(&stream, 10), ENetConnClosedGracefully);
  EXPECT_EQ(stream.ToBytes(), "abcd") << "the stream is cut back to what was read";
}

// A size off the wire is a claim, not a reservation: a peer announcing 2 GB
// (or 2^62 bytes) and closing after three must not have the stream grown to
// the claim first.
TEST_F(IOHandlerLinesTest, ACountedReadDoesNotReserveWhatThePeerClaims) {
  class TRecordingStream : public rtl::TMemoryStream {
   public:
    void SetSize(std::int64_t size) override {
      largest = std::max(largest, size);
      rtl::TMemoryStream::SetSize(size);
    }
    std::int64_t largest = 0;
  };
  const struct {
    bool large;
    std::string prefix;
  } claims[] = {
      {false, std::string("\x7f\xff\xff\xff", 4)},
      {true, std::string("\x40\0\0\0\0\0\0\0", 8)},
  };
  for (const auto& c : claims) {
    SCOPED_TRACE(c.large ? "64-bit size" : "32-bit size");
    TearDown();
    SetUp();
    handler_->SetLargeStream(c.large);
    PeerSends(c.prefix + "abc");
    testposix::CloseFd(peer_);
    peer_ = -1;
    TRecordingStream stream;
    EXPECT_THROW(handler_->ReadIntoStream(&stream), ENetConnClosedGracefully);
    EXPECT_EQ(stream.ToBytes(), "abc");
    EXPECT_LE(stream.largest, std::int64_t{1} << 20);
  }
}

TEST_F(IOHandlerLinesTest, SendFileSendsTheWholeFileOrNamesTheMissingOne) {
  const std::filesystem::path path = std::filesystem::temp_directory_path() / "send_file.bin";
  std::string content(70000, '\0');
  for (std::size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i * 7);
  std::ofstream(path, std::ios::binary) << content;
  std::int64_t sent = -1;
  std::thread sender([&] { sent = handler_->SendFile(rtl::String(path.u16string())); });
  std::string received;
  char block[4096];
  while (received.size() < content.size()) {
    const int n = testposix::ReceiveWithin(peer_, block, sizeof block, 2000);
    if (n <= 0) break;
    received.append(block, n);
  }
  sender.join();
  EXPECT_EQ(sent, 70000);
  EXPECT_TRUE(received == content);

  const rtl::String missing(( std::filesystem::temp_directory_path() / "absent.bin").u16string());
  try {
    handler_->SendFile(missing);
    FAIL() << "a missing file was sent";
  } catch (const ENetFileNotFound& e) {
    EXPECT_EQ(rtl::String(e.Message()), u"File \"" + missing + u"\" not found");
  }
}

}  // namespace
