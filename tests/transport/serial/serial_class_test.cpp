// TSyncSerial over the fake backend: errors, port names, transfers, lines,
// line errors, data forms and the modem dialogue.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "tests/transport/serial/allocation_cap.h"
#include "transport/serial/sync_serial.h"
#include "platform/serial/fake/fake_serial.h"

namespace {

using jq::TSyncSerial;
namespace ser = platform::serial;

constexpr const char* Port = "/dev/ttyS2";

class FakePortTest : public ::testing::Test {
 protected:
  void SetUp() override {
    api.Add_Port(Port);
    port.OpenPort("COM3");
    ASSERT_EQ(port.LastErrorCode(), 0);
  }
  ser::Fake_Serial_Api::Fake_Port& dev() { return api.Port(Port); }
  std::string Output() { return std::string(dev().output.begin(), dev().output.end()); }

  ser::Fake_Serial_Api api;
  TSyncSerial port{api};
};

TEST(SerialErrors, OwnCodesHaveTheirTexts) {
  const std::vector<std::pair<int32_t, const char*>> table = {
      {0, "OK"},
      {9991, "Port owned by other process"},
      {9992, "Instance already in use"},
      {9993, "Wrong parameter at call"},
      {9994, "Instance not yet connected"},
      {9995, "No device answer detected"},
      {9996, "Maximal buffer length exceeded"},
      {9997, "Timeout during operation"},
      {9998, "Reading of data failed"},
      {9999, "Receive framing error"},
      {10000, "Receive Overrun Error"},
      {10001, "Receive Queue overflow"},
      {10002, "Receive Parity Error"},
      {10003, "Tranceive Queue is full"},
      {5, "Access is denied."},
      {2, "The system cannot find the file specified."},
  };
  for (const auto& [code, text] : table) EXPECT_EQ(TSyncSerial::GetErrorDesc(code), text) << code;
  EXPECT_EQ(TSyncSerial::VersionText(), "Varnel 7.6.0");
}

TEST(SerialErrors, RaiseExceptCarriesCodeAndText) {
  ser::Fake_Serial_Api api;
  TSyncSerial port(api);
  port.RaiseExcept = true;
  try {
    uint8_t b;
    port.ReceiveExact(&b, 1, 10);
    FAIL() << "no exception";
  } catch (const jq::EVarnelError& e) {
    EXPECT_EQ(e.ErrorNumber, 9994);
    EXPECT_EQ(e.ErrorText, "Instance not yet connected");
    EXPECT_STREQ(e.what(), "Communication error 9994: Instance not yet connected");
  }
}

TEST(SerialTicks, DifferenceAcrossTheWrap) {
  struct Row {
    uint32_t old_tick, new_tick, expected;
  };
  const Row rows[] = {
      {100, 100, 0},
      {100, 350, 250},
      {0xFFFFFFF0u, 0x10u, 0x20u},  // wrapped forward
      {100, 90, 10},                // a small step back gives its size
      {0x7FFFFFF0u, 0x80000010u, 0x20u},
  };
  for (const Row& r : rows) EXPECT_EQ(jq::TickDifference(r.old_tick, r.new_tick), r.expected);
  EXPECT_EQ(jq::ReverseInt32Bytes(0x44332211), 0x11223344);
}

TEST(SerialPortNames, MapToDevicePaths) {
  struct Row {
    const char* name;
    const char* opened;
    int32_t port_number;  // after a successful open
  };
  const Row rows[] = {
      {"COM3", "/dev/ttyS2", 2},
      {"com3", "/dev/ttyS2", 2},
      {"/dev/ttyS2", "/dev/ttyS2", 2},
      {"/dev/ttySAC0", "/dev/ttySAC0", -1},  // not a ttyS number: opened as it is
      {"/dev/pts/7", "/dev/pts/7", -1},
      {"COMX", "COMX", -1},
      {"COM0", "COM0", -1},
      {"\\\\.\\COM12", "\\\\.\\COM12", -1},
  };
  for (const Row& r : rows) {
    ser::Fake_Serial_Api api;
    api.Add_Port("/dev/ttyS2");
    api.Add_Port("/dev/ttySAC0");
    api.Add_Port("/dev/pts/7");
    TSyncSerial port(api);
    port.OpenPort(r.name);
    ASSERT_EQ(api.opened_names.size(), 1u) << r.name;
    EXPECT_EQ(api.opened_names[0], r.opened) << r.name;
    EXPECT_EQ(port.DeviceName(), r.opened);
    if (port.PortOpen()) {
      EXPECT_EQ(port.PortNumber(), r.port_number) << r.name;
    } else {
      EXPECT_EQ(port.LastErrorCode(), 2) << r.name;  // no such device
      EXPECT_EQ(port.Handle(), ser::Invalid_Handle);
    }
  }
}

TEST_F(FakePortTest, OpenRaisesLinesAndSecondOpenKeepsTheFirst) {
  EXPECT_TRUE(port.PortOpen());
  EXPECT_TRUE(dev().rts);
  EXPECT_TRUE(dev().dtr);
  EXPECT_FALSE(dev().purges.empty());
  const ser::Handle first = port.Handle();
  api.Add_Port("/dev/ttyS4");
  port.OpenPort("COM5");
  EXPECT_EQ(port.LastErrorCode(), 9992);
  EXPECT_EQ(port.LastErrorText(), "Instance already in use");
  EXPECT_EQ(port.Handle(), first);
  EXPECT_EQ(api.opened_names.size(), 1u);
  port.ClosePort();
  EXPECT_FALSE(port.PortOpen());
  EXPECT_EQ(port.Handle(), ser::Invalid_Handle);
  EXPECT_FALSE(dev().rts);
  EXPECT_FALSE(dev().dtr);
}

TEST_F(FakePortTest, ClosedObjectRefusesEveryTransfer) {
  port.ClosePort();
  const size_t escapes = dev().escapes.size();
  uint8_t buf[4] = {};
  EXPECT_EQ(port.SendBytes("abc", 3), 0);
  EXPECT_EQ(port.LastErrorCode(), 9994);
  EXPECT_EQ(port.ReceiveExact(buf, 4, 10), 0);
  EXPECT_EQ(port.LastErrorCode(), 9994);
  EXPECT_EQ(port.ReceiveAvailable(10), "");
  EXPECT_EQ(port.LastErrorCode(), 9994);
  EXPECT_EQ(port.ReceiveLine(10), "");
  EXPECT_EQ(port.LastErrorCode(), 9994);
  EXPECT_TRUE(dev().output.empty());
  EXPECT_EQ(dev().escapes.size(), escapes);
}

TEST_F(FakePortTest, ConfigureBuildsTheLineState) {
  port.ConfigurePort(115200, 8, 'N', 0, false, false);
  const ser::DCB& d = dev().dcb;
  EXPECT_EQ(d.DCBlength, 28u);
  EXPECT_EQ(d.BaudRate, 115200u);
  EXPECT_EQ(d.ByteSize, 8);
  EXPECT_EQ(d.Parity, 0);
  EXPECT_EQ(d.StopBits, 0);
  EXPECT_EQ(d.Flags, 0x1011u);
  EXPECT_EQ(d.XonLim, 1024);
  EXPECT_EQ(d.XoffLim, 1024);
  EXPECT_EQ(d.XonChar, 0x11);
  EXPECT_EQ(d.XoffChar, 0x13);

  port.ConfigurePort(9600, 7, 'e', 2, true, true);
  EXPECT_EQ(dev().dcb.Parity, 2);
  EXPECT_EQ(dev().dcb.Flags, 0x0001u | 0x0300u | 0x2004u | 0x0010u | 0x0002u);

  const std::pair<char, uint8_t> letters[] = {{'O', 1}, {'m', 3}, {'S', 4}, {'x', 4}, {'n', 0}, {'?', 0}};
  for (const auto& [letter, parity] : letters) {
    port.ConfigurePort(9600, 8, letter, 0, false, false);
    EXPECT_EQ(dev().dcb.Parity, parity) << letter;  // an unknown letter keeps what was set
  }
}

TEST_F(FakePortTest, ReceiveExactKeepsTheSurplusUntilPurge) {
  api.Feed(Port, "0123456789ABCDEFGHIJ");
  char buf[14];
  EXPECT_EQ(port.ReceiveExact(buf, 14, 500), 14);
  EXPECT_EQ(port.LastErrorCode(), 0);
  EXPECT_EQ(std::string(buf, 14), "0123456789ABCD");
  EXPECT_EQ(port.LineBuffer, "EFGHIJ");
  EXPECT_EQ(port.PendingInputCount(), 6);
  port.PurgePort();
  EXPECT_EQ(port.LineBuffer, "");
  EXPECT_EQ(port.PendingInputCount(), 0);
}

TEST_F(FakePortTest, ReceiveExactShortOrSilent) {
  char buf[14];
  EXPECT_EQ(port.ReceiveExact(buf, 14, 30), 0);
  EXPECT_EQ(port.LastErrorCode(), 9997);
  EXPECT_EQ(port.LastErrorText(), "Timeout during operation");
  api.Feed(Port, "0123456789");
  EXPECT_EQ(port.ReceiveExact(buf, 14, 30), 10);
  EXPECT_EQ(port.LastErrorCode(), 9997);
}

// Three bytes every 60 ms; each wait is limited to 100 ms.
TEST_F(FakePortTest, InterPacketTimeoutLimitsEachWaitOrTheWholeCall) {
  for (bool per_wait : {true, false}) {
    port.PurgePort();
    dev().scheduled.clear();
    for (int i = 0; i < 6; ++i) api.Feed_After(Port, 60 * (i + 1), std::string(3, static_cast<char>('a' + i)));
    port.InterPacketTimeout = per_wait;
    char buf[14];
    const int32_t n = port.ReceiveExact(buf, 14, 100);
    if (per_wait) {
      EXPECT_EQ(n, 14);
      EXPECT_EQ(port.LastErrorCode(), 0);
      EXPECT_EQ(std::string(buf, 14), "aaabbbcccdddee");
    } else {
      EXPECT_LT(n, 14);
      EXPECT_EQ(port.LastErrorCode(), 9997);
    }
  }
}

TEST_F(FakePortTest, LineErrorsBecomeCodes) {
  const std::pair<uint32_t, int32_t> rows[] = {
      {ser::CE_Frame, 9999},
      {ser::CE_Overrun, 10000},
      {ser::CE_RxOver, 10001},
      {ser::CE_RxParity, 10002},
      {ser::CE_TxFull, 10003},
      {ser::CE_Frame | ser::CE_RxParity, 10002},  // the later test wins
  };
  for (const auto& [flags, code] : rows) {
    api.Feed(Port, "xy");
    dev().line_errors = flags;
    char buf[2];
    EXPECT_EQ(port.ReceiveExact(buf, 2, 100), 2);
    EXPECT_EQ(port.LastErrorCode(), code) << flags;
    EXPECT_EQ(port.LastErrorText(), TSyncSerial::GetErrorDesc(code));
  }
}

TEST_F(FakePortTest, StalledWriteTimesOutAndIsAborted) {
  dev().stall_writes = true;
  port.DeadlockTimeout = 20;
  EXPECT_EQ(port.SendBytes("abc", 3), 0);
  EXPECT_EQ(port.LastErrorCode(), 9997);
  EXPECT_EQ(dev().purges.back(), ser::Purge_TxAbort);
}

TEST_F(FakePortTest, ModemLinesBreakAndToggle) {
  const std::pair<uint32_t, const char*> rows[] = {
      {ser::MS_Cts_On, "CTS"}, {ser::MS_Dsr_On, "DSR"}, {ser::MS_Ring_On, "RING"}, {ser::MS_Rlsd_On, "DCD"}};
  for (const auto& [bit, name] : rows) {
    dev().modem_status = bit;
    EXPECT_EQ(port.GetCTSLine(), bit == ser::MS_Cts_On) << name;
    EXPECT_EQ(port.GetDSRLine(), bit == ser::MS_Dsr_On) << name;
    EXPECT_EQ(port.GetRingLine(), bit == ser::MS_Ring_On) << name;
    EXPECT_EQ(port.GetCarrierLine(), bit == ser::MS_Rlsd_On) << name;
    EXPECT_EQ(port.ModemStatusWord(), bit);
  }
  port.SetDTRLine(false);
  port.SetRTSLine(false);
  EXPECT_FALSE(dev().dtr);
  EXPECT_FALSE(dev().rts);
  port.SetDTRLine(true);
  EXPECT_TRUE(dev().dtr);

  port.SendBreak(5);
  EXPECT_EQ(dev().breaks, 1);
  EXPECT_FALSE(dev().break_on);
  EXPECT_EQ(port.LastErrorCode(), 0);

  port.ConfigurePort(115200, 8, 'N', 0, false, false);
  port.SetRTSToggle(true);
  EXPECT_EQ(dev().dcb.Flags & 0x3000u, 0x3000u);
  port.SetRTSToggle(false);
  EXPECT_EQ(dev().dcb.Flags & 0x3000u, 0u);
}

TEST(SerialControlLines, DsrTestGuardsOpenAndTransfers) {
  ser::Fake_Serial_Api api;
  auto& dev = api.Add_Port(Port);
  TSyncSerial port(api);
  port.TestDSR = true;
  port.OpenPort(Port);
  EXPECT_EQ(port.LastErrorCode(), 9995);
  EXPECT_FALSE(port.PortOpen());
  EXPECT_EQ(port.Handle(), ser::Invalid_Handle);
  EXPECT_EQ(dev.handle, ser::Invalid_Handle);  // the device was closed again

  dev.modem_status = ser::MS_Dsr_On;
  port.OpenPort(Port);
  EXPECT_TRUE(port.PortOpen());
  dev.modem_status = 0;
  EXPECT_EQ(port.SendBytes("a", 1), 0);
  EXPECT_EQ(port.LastErrorCode(), 9995);
  EXPECT_TRUE(dev.output.empty());
}

TEST_F(FakePortTest, StatusHookSeesConnectWritesAndClose) {
  std::vector<std::pair<jq::THookSerialReason, std::string>> seen;
  port.OnStatus = [&](TSyncSerial* sender, jq::THookSerialReason reason, const std::string& value) {
    EXPECT_EQ(sender, &port);
    seen.emplace_back(reason, value);
  };
  port.SendBytes("0123456789012", 13);
  port.ClosePort();
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0], std::make_pair(jq::HR_WriteCount, std::string("13")));
  EXPECT_EQ(seen[1], std::make_pair(jq::HR_SerialClose, std::string(Port)));
  port.OnStatus = nullptr;
}

// ---------------- data forms ----------------

TEST_F(FakePortTest, IntegerBlockAndStreamSends) {
  port.SendInt32(0x04030201);
  port.SendLengthPrefixed("hey");
  std::istringstream stream("..12345");
  stream.seekg(2);
  port.SendStreamPrefixedBE(stream);
  std::istringstream stream2("xyz");
  port.SendStreamPrefixed(stream2);
  EXPECT_EQ(Output(), std::string("\x01\x02\x03\x04" "\x03\x00\x00\x00" "hey"
                                  "\x00\x00\x00\x05" "12345" "\x03\x00\x00\x00" "xyz",
                                  4 + 4 + 3 + 4 + 5 + 4 + 3));
}

TEST_F(FakePortTest, IntegerBlockAndByteReceives) {
  api.Feed(Port, std::string("\x01\x02\x03\x04" "\x02\x00\x00\x00" "okZ", 11));
  EXPECT_EQ(port.ReceiveInt32(50), 0x04030201);
  EXPECT_EQ(port.ReceiveLengthPrefixed(50), "ok");
  EXPECT_EQ(port.ReceiveOneByte(50), 'Z');
  EXPECT_EQ(port.ReceiveOneByte(20), 0);
  EXPECT_EQ(port.LastErrorCode(), 9997);
  EXPECT_EQ(port.ReceiveExactText(0, 20), "");
  api.Feed(Port, "abc");
  EXPECT_EQ(port.ReceiveExactText(5, 20), "");  // short: nothing handed out...
  EXPECT_EQ(port.LastErrorCode(), 9997);
  EXPECT_EQ(port.LineBuffer, "abc");  // ...and nothing lost
}

// The length prefix comes from the peer; a bogus one must not make the receiver
// claim its whole size before any of the data has arrived.
TEST_F(FakePortTest, HugeLengthPrefixAllocatesOnlyWhatArrives) {
  for (const bool inter_packet : {true, false}) {
    port.InterPacketTimeout = inter_packet;
    api.Feed(Port, std::string("\xFF\xFF\xFF\x7F" "ok", 6));
    g_allocation_cap = 1 << 20;
    std::string text = "unset";
    EXPECT_NO_THROW(text = port.ReceiveLengthPrefixed(30));
    g_allocation_cap = 0;
    EXPECT_EQ(text, "");
    EXPECT_EQ(port.LastErrorCode(), 9997);
    EXPECT_EQ(port.LineBuffer, "ok") << "the bytes that did arrive stay for the next receive";
    port.PurgePort();
  }
  // Longer than one piece: handed out whole and in order.
  std::string big(200000, '\0');
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7);
  api.Feed(Port, big + "rest");
  EXPECT_EQ(port.ReceiveExactText(static_cast<int32_t>(big.size()), 50), big);
  EXPECT_EQ(port.LastErrorCode(), 0);
  EXPECT_EQ(port.LineBuffer, "rest");
}

TEST_F(FakePortTest, StreamReceivesByCountAndPrefix) {
  for (int32_t count : {8192, 8193}) {
    api.Feed(Port, std::string(static_cast<size_t>(count), 'q') + "tail");
    std::ostringstream out;
    port.ReceiveStreamCount(out, 100, count);
    EXPECT_EQ(out.str().size(), static_cast<size_t>(count));
    EXPECT_EQ(port.LastErrorCode(), 0);
    EXPECT_EQ(port.LineBuffer, "tail");
    port.PurgePort();
  }
  api.Feed(Port, std::string("\x00\x00\x00\x03" "abc", 7));
  std::ostringstream be;
  port.ReceiveStreamPrefixedBE(be, 100);
  EXPECT_EQ(be.str(), "abc");
  api.Feed(Port, "some bytes");
  std::ostringstream all;
  port.ReceiveStreamUntilError(all, 20);
  EXPECT_EQ(all.str(), "some bytes");
  EXPECT_EQ(port.LastErrorCode(), 9997);
}

TEST_F(FakePortTest, LinesWithAndWithoutLineEndConversion) {
  port.ConvertLineEnd = true;
  api.Feed(Port, "A\r");
  EXPECT_EQ(port.ReceiveLine(50), "A");
  api.Feed(Port, "\nB\r\n");
  EXPECT_EQ(port.ReceiveLine(50), "B");  // the LF of the split CR LF is dropped
  api.Feed(Port, "C\nD\n\rE\r\n");
  EXPECT_EQ(port.ReceiveLine(50), "C");
  EXPECT_EQ(port.ReceiveLine(50), "D");
  EXPECT_EQ(port.ReceiveLine(50), "E");

  port.ConvertLineEnd = false;
  api.Feed(Port, "A\nB\r\n");
  EXPECT_EQ(port.ReceiveLine(50), "A\nB");
  api.Feed(Port, "x;y;");
  EXPECT_EQ(port.ReceiveUntil(50, ";"), "x");
  EXPECT_EQ(port.ReceiveUntil(50, ";"), "y");
  EXPECT_EQ(port.ReceiveUntil(50, ""), "");
}

TEST_F(FakePortTest, LineLimitAndTimeOutKeepTheData) {
  port.MaxLineLength = 4;
  api.Feed(Port, "0123456789");
  EXPECT_EQ(port.ReceiveUntil(50, "\r\n"), "");
  EXPECT_EQ(port.LastErrorCode(), 9996);
  EXPECT_EQ(port.LineBuffer, "0123456789");
  port.PurgePort();

  // A short line followed by more bytes than the limit is still a good line.
  api.Feed(Port, "AB\r\n0123456789");
  EXPECT_EQ(port.ReceiveLine(50), "AB");
  EXPECT_EQ(port.LastErrorCode(), 0);
  EXPECT_EQ(port.LineBuffer, "0123456789");
  port.PurgePort();

  port.MaxLineLength = 0;
  api.Feed(Port, "partial");
  EXPECT_EQ(port.ReceiveLine(30), "");
  EXPECT_EQ(port.LastErrorCode(), 9997);
  api.Feed(Port, " line\r\n");
  EXPECT_EQ(port.ReceiveLine(30), "partial line");
}

TEST_F(FakePortTest, ModemCommandAndConnect) {
  std::string answer;
  dev().on_write = [&](ser::Fake_Serial_Api::Fake_Port& p, const std::string& written) {
    // The echo of the command line, then the answer lines.
    const std::string reply = written.substr(0, written.size() - 1) + "\r\n" + answer;
    p.input.insert(p.input.end(), reply.begin(), reply.end());
  };
  answer = "OK\r\n";
  EXPECT_EQ(port.ModemCommand("ATZ"), "OK\r\n");
  EXPECT_TRUE(port.ATReplyOK());
  EXPECT_FALSE(port.ConvertLineEnd);
  answer = "ERROR\r\n";
  EXPECT_EQ(port.ModemCommand("ATX"), "ERROR\r\n");
  EXPECT_FALSE(port.ATReplyOK());
  answer = "RINGING\r\nCONNECT 9600\r\n";
  EXPECT_EQ(port.ModemConnect("ATD123"), "RINGING\r\nCONNECT 9600\r\n");
  EXPECT_TRUE(port.ATReplyOK());
  answer = "BUSY\r\n";
  EXPECT_EQ(port.ModemConnect("ATD123"), "BUSY\r\n");
  EXPECT_FALSE(port.ATReplyOK());

  dev().on_write = nullptr;
  port.AtTimeout = 20;
  EXPECT_EQ(port.ModemCommand("AT"), "\r\n");
  EXPECT_EQ(port.LastErrorCode(), 9997);
  EXPECT_FALSE(port.ATReplyOK());
}

}  // namespace
