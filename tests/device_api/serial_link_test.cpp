// The device API's serial link: frames on the wire, acceptance of replies,
// retries, opening and closing, against a raw pty peer and the simulator.
#include <gtest/gtest.h>

#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "include/JQ_API.h"
#include "transport/serial/sync_serial.h"
#include "device_api/command.h"
#include "device_api/device_slots.h"
#include "tests/sim/sim.h"

namespace {

std::string Bytes(std::initializer_list<int> list) {
  std::string s;
  for (int b : list) s.push_back(static_cast<char>(b));
  return s;
}

// A pty whose master side a test thread serves: it collects each 13-byte request
// and answers with whatever `answer` returns for it.
class RawPeer {
 public:
  using Answer = std::function<std::string(const std::string& request)>;

  explicit RawPeer(Answer answer) : answer_(std::move(answer)) {
    char name[128];
    if (::openpty(&master_, &slave_, name, nullptr, nullptr) != 0) return;
    termios t{};
    ::tcgetattr(master_, &t);
    ::cfmakeraw(&t);
    ::tcsetattr(master_, TCSANOW, &t);
    path_ = name;
    thread_ = std::thread([this] { Serve(); });
  }
  ~RawPeer() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    ::close(slave_);
    ::close(master_);
  }
  const std::string& path() const { return path_; }
  std::vector<std::string> Requests() {
    std::lock_guard<std::mutex> lock(lock_);
    return requests_;
  }

 private:
  void Serve() {
    std::string pending;
    while (!stop_) {
      pollfd p{master_, POLLIN, 0};
      if (::poll(&p, 1, 20) <= 0) continue;
      char buf[64];
      const ssize_t n = ::read(master_, buf, sizeof buf);
      if (n <= 0) continue;
      pending.append(buf, static_cast<size_t>(n));
      while (pending.size() >= 13) {
        const std::string request = pending.substr(0, 13);
        pending.erase(0, 13);
        {
          std::lock_guard<std::mutex> lock(lock_);
          requests_.push_back(request);
        }
        const std::string reply = answer_(request);
        if (!reply.empty() && ::write(master_, reply.data(), reply.size()) < 0) return;
      }
    }
  }

  Answer answer_;
  int master_ = -1, slave_ = -1;
  std::string path_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
  std::mutex lock_;
  std::vector<std::string> requests_;
};

class SerialLinkTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(JQ_Init(), 0); }
  void TearDown() override { JQ_DeInit(); }

  static int32_t Send(uint16_t command, uint16_t index, int32_t value, jq::TCommand_Reply& reply) {
    return jq::Send_Command(0, command, index, value, reply);
  }
};

// ---------------- frames on the wire ----------------

TEST_F(SerialLinkTest, RequestAndReplyFramesByteForByte) {
  struct Row {
    uint16_t command, index;
    int32_t value;
    std::string request;  // expected on the wire
    std::string reply;    // what the peer answers
    int32_t reply_value;
  };
  const std::vector<Row> rows = {
      {0x0079, 2, 0,
       Bytes({0xAA, 0x55, 0x79, 0x00, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0x7B, 0xCC, 0x33}),
       Bytes({0xAA, 0x55, 0x00, 0x79, 0x00, 0x02, 0x00, 0x05, 0x00, 0x00, 0x00, 0x80, 0xCC, 0x33}), 5},
      // Flow-control and line-end bytes in every field pass unchanged both ways.
      {0x0A0D, 0x1311, 0x0A0D1303,
       Bytes({0xAA, 0x55, 0x0D, 0x0A, 0x11, 0x13, 0x03, 0x13, 0x0D, 0x0A, 0x68, 0xCC, 0x33}),
       Bytes({0xAA, 0x55, 0x00, 0x0D, 0x0A, 0x11, 0x13, 0x11, 0x13, 0x0A, 0x0D, 0x76, 0xCC, 0x33}),
       0x0D0A1311},
      // The index echo is not compared.
      {0x0079, 2, -1,
       Bytes({0xAA, 0x55, 0x79, 0x00, 0x02, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0x77, 0xCC, 0x33}),
       Bytes({0xAA, 0x55, 0x00, 0x79, 0x00, 0x07, 0x00, 0xFE, 0xFF, 0xFF, 0xFF, 0x7B, 0xCC, 0x33}), -2},
  };
  for (const Row& row : rows) {
    RawPeer peer([&](const std::string&) { return row.reply; });
    ASSERT_EQ(JQ_Open_UART(peer.path().c_str()), 0);
    jq::TCommand_Reply reply;
    EXPECT_EQ(Send(row.command, row.index, row.value, reply), 0) << row.command;
    EXPECT_EQ(reply.Reply.Value, row.reply_value);
    EXPECT_EQ(reply.Reply.Command, row.command);
    ASSERT_EQ(peer.Requests().size(), 1u);
    EXPECT_EQ(peer.Requests()[0], row.request);
    JQ_Close_UART();
  }
}

TEST_F(SerialLinkTest, RejectedRepliesAreRetriedThreeTimes) {
  const std::string good =
      Bytes({0xAA, 0x55, 0x00, 0x79, 0x00, 0x02, 0x00, 0x05, 0x00, 0x00, 0x00, 0x80, 0xCC, 0x33});
  auto with = [&](int at, int byte) {
    std::string s = good;
    s[at] = static_cast<char>(byte);
    return s;
  };
  struct Row {
    const char* what;
    std::string reply;
  };
  const std::vector<Row> rows = {
      {"command echo", with(3, 0x7A)},
      {"checksum", with(11, 0x81)},
      {"head", with(0, 0xAB)},
      {"tail", with(13, 0x34)},
      {"status 1", with(11, 0x81).replace(2, 1, 1, '\x01')},
      {"13 bytes", good.substr(0, 13)},
  };
  for (const Row& row : rows) {
    RawPeer peer([&](const std::string&) { return row.reply; });
    ASSERT_EQ(JQ_Open_UART(peer.path().c_str()), 0);
    jq::TCommand_Reply reply;
    EXPECT_EQ(Send(0x0079, 2, 0, reply), -1) << row.what;
    EXPECT_EQ(peer.Requests().size(), 3u) << row.what;
    for (const std::string& r : peer.Requests()) EXPECT_EQ(r, peer.Requests()[0]);
    JQ_Close_UART();
  }
}

TEST_F(SerialLinkTest, LateReplyOfAFailedAttemptIsNotTakenForTheNext) {
  // The first request is answered with 13 bytes only, so the first attempt times
  // out; the second attempt must not take those bytes for the start of its reply.
  int calls = 0;
  const std::string good =
      Bytes({0xAA, 0x55, 0x00, 0x79, 0x00, 0x02, 0x00, 0x05, 0x00, 0x00, 0x00, 0x80, 0xCC, 0x33});
  RawPeer peer([&](const std::string&) {
    if (++calls == 1) return good.substr(0, 13);
    return good;
  });
  ASSERT_EQ(JQ_Open_UART(peer.path().c_str()), 0);
  jq::TCommand_Reply reply;
  EXPECT_EQ(Send(0x0079, 2, 0, reply), 0);
  EXPECT_EQ(reply.Reply.Value, 5);
  EXPECT_EQ(peer.Requests().size(), 2u);
}

// ---------------- against the simulator ----------------

TEST_F(SerialLinkTest, CheckAnswersOverThePty) {
  jqsim::Controller sim;
  jqsim::PtyPort pty(sim);
  ASSERT_EQ(JQ_Open_UART(pty.slave_path().c_str()), 0);
  EXPECT_EQ(jq::Get_Link_Kind(0), jq::Link_UART);
  EXPECT_EQ(JQ_Check(), 0);
  const auto log = sim.Log();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].code, 0);
  EXPECT_EQ(log[0].device, "pty:" + pty.slave_path());
}

TEST_F(SerialLinkTest, SimulatorFaultsCostThreeAttempts) {
  struct Row {
    const char* what;
    jqsim::Fault fault;
    uint8_t status;
  };
  const Row rows[] = {
      {"wrong echo", {jqsim::FaultKind::WrongEcho}, 0},
      {"short reply", {jqsim::FaultKind::Short}, 0},
      {"status 1", {}, 1},
  };
  for (const Row& row : rows) {
    jqsim::Controller sim;
    jqsim::PtyPort pty(sim);
    ASSERT_EQ(JQ_M_Open_UART(3, pty.slave_path().c_str()), 0);
    sim.SetFault(row.fault);
    sim.SetStatus(0, row.status);
    EXPECT_EQ(JQ_M_Check(3), -1) << row.what;
    EXPECT_EQ(sim.Log().size(), 3u) << row.what;
    sim.ClearFaults();
    sim.SetStatus(0, 0);
    EXPECT_EQ(JQ_M_Check(3), 0) << row.what;
    JQ_M_Close_UART(3);
  }
}

TEST_F(SerialLinkTest, ReopenSwitchesToTheNewPortAndReleasesTheOld) {
  jqsim::Controller a, b;
  jqsim::PtyPort pty_a(a), pty_b(b);
  ASSERT_EQ(JQ_Open_UART(pty_a.slave_path().c_str()), 0);
  EXPECT_EQ(JQ_Check(), 0);
  ASSERT_EQ(JQ_Open_UART_Unicode(pty_b.slave_path().c_str()), 0);
  EXPECT_EQ(JQ_Check(), 0);
  EXPECT_EQ(a.Log().size(), 1u);
  EXPECT_EQ(b.Log().size(), 1u);
  jq::TSyncSerial other;  // the first port is free again
  other.OpenPort(pty_a.slave_path());
  EXPECT_EQ(other.LastErrorCode(), 0);
}

TEST_F(SerialLinkTest, CloseLeavesTheKindAndCommandsFail) {
  jqsim::Controller sim;
  jqsim::PtyPort pty(sim);
  ASSERT_EQ(JQ_Open_UART(pty.slave_path().c_str()), 0);
  EXPECT_EQ(JQ_Close_UART(), 0);
  EXPECT_EQ(JQ_Close_UART(), 0);  // closing again is harmless
  EXPECT_EQ(jq::Get_Link_Kind(0), jq::Link_UART);
  EXPECT_EQ(JQ_Check(), -1);
  EXPECT_TRUE(sim.Log().empty());
  ASSERT_EQ(JQ_Open_UART(pty.slave_path().c_str()), 0);
  EXPECT_EQ(JQ_Check(), 0);
}

TEST_F(SerialLinkTest, OpenAndCloseArguments) {
  EXPECT_EQ(JQ_M_Open_UART(8, "/dev/null"), -1);
  EXPECT_EQ(JQ_M_Open_UART(-1, "/dev/null"), -1);
  EXPECT_EQ(JQ_M_Open_UART_Unicode(8, "/dev/null"), -1);
  EXPECT_EQ(JQ_M_Close_UART(8), -1);
  EXPECT_EQ(JQ_M_Close_UART(-1), -1);
  EXPECT_EQ(JQ_Open_UART(nullptr), -1);
  EXPECT_EQ(JQ_M_Open_UART_Unicode(1, nullptr), -1);
  EXPECT_EQ(jq::Get_Link_Kind(0), jq::Link_None);

  // A port that cannot be opened still makes the slot serial; commands fail at once.
  EXPECT_EQ(JQ_Open_UART("/dev/no-such-port"), 0);
  EXPECT_EQ(jq::Get_Link_Kind(0), jq::Link_UART);
  EXPECT_EQ(JQ_Check(), -1);
  EXPECT_EQ(JQ_Open_UART_ID(250), 0);
  EXPECT_EQ(jq::Get_Link_Kind(0), jq::Link_UART);
  EXPECT_EQ(JQ_Check(), -1);
}

TEST(SerialLinkLifecycle, ExportsFailOutsideInitAndDeInit) {
  EXPECT_EQ(JQ_Open_UART("/dev/null"), -1);
  EXPECT_EQ(JQ_Close_UART(), -1);
  ASSERT_EQ(JQ_Init(), 0);
  jqsim::Controller sim;
  jqsim::PtyPort pty(sim);
  ASSERT_EQ(JQ_Open_UART(pty.slave_path().c_str()), 0);
  EXPECT_EQ(JQ_DeInit(), 0);  // closes the port
  jq::TSyncSerial other;
  other.OpenPort(pty.slave_path());
  EXPECT_EQ(other.LastErrorCode(), 0);
  EXPECT_EQ(JQ_Open_UART(pty.slave_path().c_str()), -1);
}

}  // namespace
