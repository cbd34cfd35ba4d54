// TSyncSerial over the termios backend, on a pty pair whose master the test drives.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>

#include "transport/serial/sync_serial.h"

namespace {

using jq::TSyncSerial;
namespace ser = platform::serial;

class PtyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char name[128];
    int slave = -1;
    ASSERT_EQ(::openpty(&master, &slave, name, nullptr, nullptr), 0);
    termios t{};
    ::tcgetattr(master, &t);
    ::cfmakeraw(&t);
    ::tcsetattr(master, TCSANOW, &t);
    // The slave stays open so that the master never reads a hang-up between opens.
    keep_slave = slave;
    path = name;
    port.OpenPort(path);
    ASSERT_EQ(port.LastErrorCode(), 0) << port.LastErrorText();
    port.ConfigurePort(115200, 8, 'N', 0, false, false);
    ASSERT_EQ(port.LastErrorCode(), 0) << port.LastErrorText();
  }
  void TearDown() override {
    port.ClosePort();
    if (keep_slave >= 0) ::close(keep_slave);
    if (master >= 0) ::close(master);
  }

  void MasterWrite(const std::string& bytes) {
    ASSERT_EQ(::write(master, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  }
  std::string MasterRead(size_t count, int timeout_ms = 1000) {
    std::string out;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    while (out.size() < count && std::chrono::steady_clock::now() < deadline) {
      pollfd p{master, POLLIN, 0};
      if (::poll(&p, 1, 20) <= 0) continue;
      char buf[256];
      const ssize_t n = ::read(master, buf, std::min(sizeof buf, count - out.size()));
      if (n > 0) out.append(buf, static_cast<size_t>(n));
    }
    return out;
  }
  int master = -1, keep_slave = -1;
  std::string path;
  TSyncSerial port;
};

TEST_F(PtyTest, LineStateReadsBackExactlyAndReachesTermios) {
  ser::DCB set = port.DeviceControl();
  port.ReadDeviceControl();
  EXPECT_EQ(std::memcmp(&set, &port.DeviceControl(), sizeof set), 0);
  EXPECT_EQ(port.DeviceControl().Flags, 0x1011u);
  termios t{};
  ::tcgetattr(keep_slave, &t);
  EXPECT_EQ(::cfgetospeed(&t), static_cast<speed_t>(B115200));
  EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
  EXPECT_EQ(t.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
  EXPECT_EQ(t.c_iflag & (IXON | IXOFF), 0u);

  port.ConfigurePort(9600, 7, 'E', 2, true, false);
  ASSERT_EQ(port.LastErrorCode(), 0) << port.LastErrorText();
  set = port.DeviceControl();
  port.ReadDeviceControl();
  EXPECT_EQ(std::memcmp(&set, &port.DeviceControl(), sizeof set), 0);
  EXPECT_EQ(port.DeviceControl().ByteSize, 7);
  EXPECT_EQ(port.DeviceControl().Parity, 2);
  // A pty forces eight bits without parity in the kernel; speed and stop bits stay.
  ::tcgetattr(keep_slave, &t);
  EXPECT_EQ(::cfgetospeed(&t), static_cast<speed_t>(B9600));
  EXPECT_EQ(t.c_cflag & CSTOPB, static_cast<tcflag_t>(CSTOPB));
  EXPECT_EQ(t.c_iflag & (IXON | IXOFF), static_cast<tcflag_t>(IXON | IXOFF));
}

TEST_F(PtyTest, UnsupportedSettingsAreRefusedAndNothingChanges) {
  const ser::DCB before = port.DeviceControl();
  // Any rate above zero runs (termios2); zero is no rate.
  port.ConfigurePort(0, 8, 'N', 0, false, false);
  EXPECT_EQ(port.LastErrorCode(), 87);
  port.ConfigurePort(115200, 9, 'N', 0, false, false);
  EXPECT_EQ(port.LastErrorCode(), 87);
  port.ReadDeviceControl();
  EXPECT_EQ(std::memcmp(&before, &port.DeviceControl(), sizeof before), 0);
}

TEST_F(PtyTest, SecondOpenOfTheSameDeviceIsRefused) {
  TSyncSerial other;
  other.OpenPort(path);
  EXPECT_EQ(other.LastErrorCode(), 5);
  EXPECT_EQ(other.Handle(), ser::Invalid_Handle);
  port.ClosePort();
  other.OpenPort(path);
  EXPECT_EQ(other.LastErrorCode(), 0);
  EXPECT_TRUE(other.PortOpen());
}

TEST(PtyOpen, MissingDeviceReportsTheSystemError) {
  TSyncSerial port;
  port.OpenPort("/dev/pts/does-not-exist");
  EXPECT_EQ(port.LastErrorCode(), 2);
  EXPECT_EQ(port.LastErrorText(), "The system cannot find the file specified.");
  EXPECT_EQ(port.Handle(), ser::Invalid_Handle);
  EXPECT_FALSE(port.PortOpen());
}

TEST_F(PtyTest, BytesPassUnchangedBothWays) {
  // Flow-control and line-end bytes must not be eaten or translated.
  const std::string frame("\xAA\x55\x03\x0A\x0D\x11\x13\x00\xFF\x7F\x0D\xCC\x33", 13);
  EXPECT_EQ(port.SendBytes(frame.data(), 13), 13);
  EXPECT_EQ(MasterRead(13), frame);

  MasterWrite(frame + std::string("\x11\x13\x0A\x0D\x03\x00\x01", 7));
  char buf[14];
  EXPECT_EQ(port.ReceiveExact(buf, 14, 500), 14);
  EXPECT_EQ(std::string(buf, 13), frame);
  EXPECT_EQ(port.LineBuffer, std::string("\x13\x0A\x0D\x03\x00\x01", 6));
  port.PurgePort();
  EXPECT_EQ(port.PendingInputCount(), 0);
}

TEST_F(PtyTest, PurgeDiscardsWhatTheDriverHolds) {
  MasterWrite("stale bytes");
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_GT(port.InputQueueCount(), 0);
  port.PurgePort();
  EXPECT_EQ(port.InputQueueCount(), 0);
  char buf[4];
  EXPECT_EQ(port.ReceiveExact(buf, 4, 30), 0);
  EXPECT_EQ(port.LastErrorCode(), 9997);
}

TEST_F(PtyTest, TricklingDataAndInterPacketTimeout) {
  for (bool per_wait : {true, false}) {
    port.PurgePort();
    port.InterPacketTimeout = per_wait;
    std::thread writer([&] {
      for (int i = 0; i < 6; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(60));
        const std::string chunk(3, static_cast<char>('a' + i));
        if (::write(master, chunk.data(), chunk.size()) != 3) return;
      }
    });
    char buf[14];
    const int32_t n = port.ReceiveExact(buf, 14, 100);
    writer.join();
    if (per_wait) {
      EXPECT_EQ(n, 14);
      EXPECT_EQ(std::string(buf, 14), "aaabbbcccdddee");
      EXPECT_EQ(port.LastErrorCode(), 0);
    } else {
      EXPECT_LT(n, 14);
      EXPECT_EQ(port.LastErrorCode(), 9997);
    }
  }
}

TEST_F(PtyTest, LinesOverThePty) {
  MasterWrite("first\r\nsecond\r\n");
  EXPECT_EQ(port.ReceiveLine(200), "first");
  EXPECT_EQ(port.ReceiveLine(200), "second");
  EXPECT_EQ(port.ReceiveLine(20), "");
  EXPECT_EQ(port.LastErrorCode(), 9997);
}

// The peer hangs up: a wait for input ends at once with the device's error rather
// than polling a dead line until the time-out and calling it one.
TEST_F(PtyTest, HangUpEndsTheWaitWithTheDeviceError) {
  ::close(keep_slave);
  ::close(master);
  keep_slave = master = -1;
  for (bool per_wait : {true, false}) {
    port.InterPacketTimeout = per_wait;
    char buf[14];
    const auto start = std::chrono::steady_clock::now();
    const int32_t n = port.ReceiveExact(buf, 14, 2000);
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(n, 0);
    EXPECT_NE(port.LastErrorCode(), 0);
    EXPECT_NE(port.LastErrorCode(), jq::ErrTimeout) << "a hang-up is not a time-out";
    EXPECT_LT(took, std::chrono::milliseconds(1000)) << "waited out the time-out on a dead line";
    EXPECT_EQ(port.ReceiveAvailable(2000), "");
    EXPECT_NE(port.LastErrorCode(), jq::ErrTimeout);
  }
}

}  // namespace
