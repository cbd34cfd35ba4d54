// The serial port component over the termios backend, on a pty pair whose
// master side the test drives.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <sys/resource.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <thread>

#include "components/support/ports/com_port.h"
#include "platform/serial/line_speed.h"
#include "tests/platform/ui/harness.h"
#include "tests/components/support/ports/port_test_support.h"

using namespace kit;
using porttest::PumpUntil;

namespace {

class ComPortPtyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char name[128];
    ASSERT_EQ(::openpty(&master, &slave, name, nullptr, nullptr), 0);
    termios t{};
    ::tcgetattr(master, &t);
    ::cfmakeraw(&t);
    ::tcsetattr(master, TCSANOW, &t);
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    path = name;
    port = std::make_unique<TCustomComPort>(nullptr);
    port->SetPort(rtl::Utf8ToString(path));
  }
  void TearDown() override {
    port.reset();
    ::close(slave);
    ::close(master);
  }
  void MasterWrite(const std::string& bytes) {
    ASSERT_EQ(::write(master, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  }
  std::string MasterRead(std::size_t count, int timeoutMs = 1000) {
    std::string out;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (out.size() < count && std::chrono::steady_clock::now() < end) {
      pollfd p{master, POLLIN, 0};
      if (::poll(&p, 1, 20) <= 0) continue;
      char buf[4096];
      const ssize_t n = ::read(master, buf, std::min(sizeof buf, count - out.size()));
      if (n > 0) out.append(buf, static_cast<std::size_t>(n));
    }
    return out;
  }

  uitest::Harness h;
  int master = -1, slave = -1;
  std::string path;
  std::unique_ptr<TCustomComPort> port;
};

TEST_F(ComPortPtyTest, LineSettingsReachTermiosAndCloseReleasesThePort) {
  port->SetBaudRate(br115200);
  port->SetDataBits(dbSeven);
  port->Parity().SetBits(prEven);
  port->SetStopBits(sbTwoStopBits);
  port->Open();
  ASSERT_TRUE(port->Connected());
  termios t{};
  ASSERT_EQ(::tcgetattr(slave, &t), 0);
  EXPECT_EQ(::cfgetospeed(&t), static_cast<speed_t>(B115200));
  // A pty keeps neither character size nor parity; those show in the fake's tests.
  EXPECT_TRUE(t.c_cflag & CSTOPB);
  EXPECT_FALSE(t.c_cflag & CRTSCTS);

  port->FlowControl().SetFlowControl(fcHardware);
  port->SetBaudRate(br9600);
  ASSERT_EQ(::tcgetattr(slave, &t), 0);
  EXPECT_TRUE(t.c_cflag & CRTSCTS);
  EXPECT_EQ(::cfgetospeed(&t), static_cast<speed_t>(B9600));
  port->FlowControl().SetFlowControl(fcSoftware);
  ASSERT_EQ(::tcgetattr(slave, &t), 0);
  EXPECT_FALSE(t.c_cflag & CRTSCTS);
  EXPECT_EQ(t.c_iflag & (IXON | IXOFF), static_cast<tcflag_t>(IXON | IXOFF));

  // The port is held exclusively while open.
  TCustomComPort second(nullptr);
  second.SetPort(port->Port());
  EXPECT_THROW(second.Open(), EComPort);
  port->Close();
  EXPECT_FALSE(port->Connected());
  second.Open();
  EXPECT_TRUE(second.Connected());
  second.Close();

}

TEST_F(ComPortPtyTest, EveryRateOfTheListAndCustomRatesReachTheLine) {
  port->SetEvents({});
  port->Open();
  struct Case {
    TBaudRate rate;
    int custom;
    std::uint32_t expected;
  };
  const Case cases[] = {{br14400, 0, 14400},      {br56000, 0, 56000},   {br128000, 0, 128000},
                        {br256000, 0, 256000},    {br9600, 0, 9600},     {brCustom, 31250, 31250},
                        {brCustom, 250000, 250000}, {brCustom, 12345, 12345}, {br115200, 0, 115200}};
  for (const Case& c : cases) {
    if (c.rate == brCustom) port->SetCustomBaudRate(c.custom);
    port->SetBaudRate(c.rate);
    EXPECT_EQ(platform::serial::Line_Speed(slave), c.expected) << c.expected;
  }
  // A rate the line cannot run at is refused when applied, and the port stays closed.
  port->Close();
  port->SetBaudRate(brCustom);
  port->SetCustomBaudRate(0);
  try {
    port->Open();
    FAIL();
  } catch (const EComPort& e) {
    EXPECT_EQ(e.Code(), 7);
  }
  EXPECT_FALSE(port->Connected());
  // What the driver runs at is what a new opening reads back.
  port->SetCustomBaudRate(56000);
  port->Open();
  port->Close();
  platform::serial::Serial_Api& api = platform::serial::System_Serial_Api();
  const platform::serial::Handle h = api.CreateFile(path);
  ASSERT_NE(h, platform::serial::Invalid_Handle);
  platform::serial::DCB dcb;
  ASSERT_TRUE(api.GetCommState(h, dcb));
  EXPECT_EQ(dcb.BaudRate, 56000u);
  api.CloseHandle(h);
}

TEST_F(ComPortPtyTest, HandshakesWithoutALinuxLineAreRefused) {
  port->SetEvents({});
  const std::function<void(TComFlowControl&)> refused[] = {
      [](TComFlowControl& f) { f.SetControlDTR(dtrHandshake); },
      [](TComFlowControl& f) { f.SetOutDSRFlow(true); },
      [](TComFlowControl& f) { f.SetDSRSensitivity(true); },
  };
  for (const auto& set : refused) {
    TComFlowControl plain;
    port->SetFlowControl(plain);
    set(port->FlowControl());
    try {
      port->Open();
      ADD_FAILURE() << "opened";
    } catch (const EComPort& e) {
      EXPECT_EQ(e.Code(), 7);
      EXPECT_EQ(e.WinCode(), 50);
    }
    EXPECT_FALSE(port->Connected());
  }
  // DTR on or off is a plain line and stays available.
  TComFlowControl plain;
  plain.SetControlDTR(dtrEnable);
  port->SetFlowControl(plain);
  port->Open();
  EXPECT_TRUE(port->Connected());
}

TEST_F(ComPortPtyTest, MissingDeviceNamesTheError) {
  port->SetPort(u"/dev/jq-no-such-port");
  try {
    port->Open();
    FAIL();
  } catch (const EComPort& e) {
    EXPECT_EQ(e.Code(), 1);
    EXPECT_EQ(e.Message(), u"COM Port Error: Unable to open com port on /dev/jq-no-such-port");
    EXPECT_EQ(e.WinCode(), 2);
  }
}

TEST_F(ComPortPtyTest, WriteAndReadRoundTripWithReadTimeOut) {
  port->SetEvents({});
  port->Open();
  EXPECT_EQ(port->WriteStr("hello"), 5);
  EXPECT_EQ(MasterRead(5), "hello");

  // Default time-outs: a read answers at once with what is there.
  char buf[16] = {};
  EXPECT_EQ(port->Read(buf, 16), 0);
  MasterWrite("abc");
  ASSERT_TRUE(PumpUntil([&] { return port->InputCount() == 3; }));
  EXPECT_EQ(port->Read(buf, 16), 3);
  EXPECT_EQ(std::string(buf, 3), "abc");

  // A total read time-out: the read waits for it and answers what came.
  port->Timeouts().SetReadInterval(0);
  port->Timeouts().SetReadTotalConstant(150);
  MasterWrite("xy");
  const auto start = std::chrono::steady_clock::now();
  rtl::AnsiString text;
  EXPECT_EQ(port->ReadStr(text, 10), 2);
  EXPECT_GE(porttest::ElapsedMs(start), 140);
  EXPECT_EQ(text, "xy");
  // Bytes that come before the time-out are part of the answer.
  std::thread late([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    MasterWrite("12345");
  });
  EXPECT_EQ(port->ReadStr(text, 5), 5);
  late.join();
  EXPECT_EQ(text, "12345");
}

TEST_F(ComPortPtyTest, WriteThatTimesOutAnswersTheBytesThatWentOut) {
  port->SetEvents({});
  port->Timeouts().SetWriteTotalMultiplier(0);
  port->Timeouts().SetWriteTotalConstant(200);
  int reportedSent = -1;
  TComLink link;
  link.OnTxBuf = [&](ui::TObject*, const void*, int n) { reportedSent = n; };
  port->RegisterLink(&link);
  port->Open();
  // Nobody reads the master, so the pty fills up long before this is out.
  const std::string big(4 * 1024 * 1024, 'q');
  const int written = port->WriteStr(big);
  EXPECT_GT(written, 0);
  EXPECT_LT(written, static_cast<int>(big.size()));
  EXPECT_EQ(reportedSent, written);
  port->UnRegisterLink(&link);

  port->Close();
  port->SetOverlapped(false);
  port->Open();
  const int direct = port->WriteStr(big);
  EXPECT_GE(direct, 0);
  EXPECT_LT(direct, static_cast<int>(big.size()));
  EXPECT_EQ(port->SyncWriteErrors(), 0);
}

TEST_F(ComPortPtyTest, PeerBytesRaiseReceiveEventsOnTheWindowThread) {
  const auto mainThread = std::this_thread::get_id();
  std::string received;
  int offThread = 0;
  port->OnRxBuf = [&](ui::TObject*, const void* b, int n) {
    if (std::this_thread::get_id() != mainThread) ++offThread;
    received.append(static_cast<const char*>(b), static_cast<std::size_t>(n));
  };
  port->SetTriggersOnRxChar(false);
  port->Open();
  ASSERT_TRUE(port->HasEventThread());
  MasterWrite("ping");
  ASSERT_TRUE(PumpUntil([&] { return received.size() >= 4; }));
  EXPECT_EQ(received, "ping");
  MasterWrite("pong");
  ASSERT_TRUE(PumpUntil([&] { return received.size() >= 8; }));
  EXPECT_EQ(received, "pingpong");
  EXPECT_EQ(offThread, 0);

  // Closing from inside the handler returns promptly.
  long long closeMs = -1;
  port->OnRxBuf = [&](ui::TObject*, const void*, int) {
    const auto start = std::chrono::steady_clock::now();
    port->Close();
    closeMs = porttest::ElapsedMs(start);
  };
  MasterWrite("bye");
  ASSERT_TRUE(PumpUntil([&] { return closeMs >= 0; }));
  EXPECT_LT(closeMs, 1000);
  EXPECT_FALSE(port->Connected());
}

TEST_F(ComPortPtyTest, ReadIntervalEndsAReadAtAGapBetweenBytes) {
  port->SetEvents({});
  port->Timeouts().SetReadInterval(80);
  port->Timeouts().SetReadTotalMultiplier(0);
  port->Timeouts().SetReadTotalConstant(0);
  port->Open();
  // Bytes 30 ms apart keep the read going; the gap after the last one ends it.
  std::thread peer([&] {
    for (const char* piece : {"ab", "cd", "ef"}) {
      std::this_thread::sleep_for(std::chrono::milliseconds(30));
      MasterWrite(piece);
    }
  });
  rtl::AnsiString text;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(port->ReadStr(text, 100), 6);
  const long long took = porttest::ElapsedMs(start);
  peer.join();
  EXPECT_EQ(text, "abcdef");
  EXPECT_GE(took, 60 + 75);
  EXPECT_LT(took, 1500);

  // The total time-out still bounds a read whose gaps stay short.
  port->Timeouts().SetReadTotalConstant(150);
  std::atomic<bool> stop{false};
  std::thread trickle([&] {
    while (!stop) {
      MasterWrite("x");
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  });
  const auto start2 = std::chrono::steady_clock::now();
  const int got = port->ReadStr(text, 1000);
  const long long took2 = porttest::ElapsedMs(start2);
  stop = true;
  trickle.join();
  EXPECT_GT(got, 0);
  EXPECT_LT(got, 1000);
  EXPECT_GE(took2, 140);
  EXPECT_LT(took2, 1500);

  // Interval and multiplier at their maximum: the first bytes end the wait.
  port->Timeouts().SetReadInterval(-1);
  port->Timeouts().SetReadTotalMultiplier(-1);
  port->Timeouts().SetReadTotalConstant(2000);
  std::thread late([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(40));
    MasterWrite("late");
  });
  const auto start3 = std::chrono::steady_clock::now();
  ASSERT_GT(port->ReadStr(text, 100), 0);
  EXPECT_LT(porttest::ElapsedMs(start3), 1500);
  late.join();
  EXPECT_EQ(text, rtl::AnsiString("late").substr(0, text.size()));
}

TEST_F(ComPortPtyTest, EventThreadRunsAtTheChosenPriority) {
  const int base = ::getpriority(PRIO_PROCESS, static_cast<id_t>(::getpid()));
  std::atomic<int> nice{1000};
  port->SetSyncMethod(smNone);
  port->SetEventThreadPriority(tpLowest);
  port->OnRxChar = [&](ui::TObject*, int) { nice = ::getpriority(PRIO_PROCESS, 0); };
  port->Open();
  EXPECT_THROW(port->SetEventThreadPriority(tpIdle), EComPort);
  MasterWrite("n");
  ASSERT_TRUE(PumpUntil([&] { return nice.load() != 1000; }));
  EXPECT_EQ(nice.load(), std::min(base + 10, 19));
  port->Close();

  // Above normal is taken where the system grants it; a refusal opens all the same.
  nice = 1000;
  port->SetEventThreadPriority(tpHighest);
  port->Open();
  EXPECT_TRUE(port->Connected());
  MasterWrite("n");
  ASSERT_TRUE(PumpUntil([&] { return nice.load() != 1000; }));
  EXPECT_TRUE(nice.load() == base || nice.load() == std::max(base - 10, -20)) << nice.load();
}

TEST_F(ComPortPtyTest, TransmitQueueEmptyOncePerWrite) {
  int empties = 0;
  port->OnTxEmpty = [&](ui::TObject*) { ++empties; };
  port->Open();
  porttest::PumpFor(60);
  EXPECT_EQ(empties, 0);
  port->WriteStr("abc");
  EXPECT_EQ(MasterRead(3), "abc");
  ASSERT_TRUE(PumpUntil([&] { return empties > 0; }));
  porttest::PumpFor(60);
  EXPECT_EQ(empties, 1);
}

}  // namespace
