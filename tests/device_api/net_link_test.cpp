// The network link against the simulator's loopback TCP listener.
#include <gtest/gtest.h>

#include <dirent.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>

#include <chrono>
#include <thread>

#include "include/JQ_API.h"
#include "tests/sim/sim.h"

namespace {

// This process's socket connected to the loopback port, -1 when there is none.
int ClientSocketTo(uint16_t port) {
  DIR* dir = ::opendir("/proc/self/fd");
  if (!dir) return -1;
  int found = -1;
  while (dirent* entry = ::readdir(dir)) {
    const int fd = std::atoi(entry->d_name);
    sockaddr_in peer{};
    socklen_t len = sizeof peer;
    if (fd > 2 && ::getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &len) == 0 && peer.sin_family == AF_INET &&
        ntohs(peer.sin_port) == port && peer.sin_addr.s_addr == htonl(INADDR_LOOPBACK)) {
      found = fd;
      break;
    }
  }
  ::closedir(dir);
  return found;
}

class NetLink : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(JQ_Init(), 0); }
  void TearDown() override { JQ_DeInit(); }
  jqsim::Controller sim;
};

TEST_F(NetLink, OpensByAddressAndByNameAndRunsCommands) {
  jqsim::TcpListener listener(sim);
  ASSERT_EQ(JQ_Open_Net(127, 0, 0, 1, listener.port()), 0);
  EXPECT_EQ(JQ_Check(), 0);
  ASSERT_EQ(JQ_M_Open_Net_Name(2, "localhost", listener.port()), 0);
  sim.SetValue(100, 0, 6);
  int32_t axes = 0;
  EXPECT_EQ(JQ_M_Get_Axis_Num(2, &axes), 0);
  EXPECT_EQ(axes, 6);
  EXPECT_EQ(sim.Log().size(), 2u);
  EXPECT_EQ(JQ_M_Close_Net(2), 0);
  EXPECT_EQ(JQ_M_Check(2), -1);
}

// A request is one small frame that waits for its reply; the link's socket
// must not hold it back.
TEST_F(NetLink, OpensByADottedNameWithoutTheNagleDelay) {
  jqsim::TcpListener listener(sim);
  ASSERT_EQ(JQ_Open_Net_Name("127.0.0.1", listener.port()), 0);
  EXPECT_EQ(JQ_Check(), 0);
  const int fd = ClientSocketTo(listener.port());
  ASSERT_GE(fd, 0);
  int nodelay = 0;
  socklen_t len = sizeof nodelay;
  ASSERT_EQ(::getsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &nodelay, &len), 0);
  EXPECT_NE(nodelay, 0);
}

TEST_F(NetLink, OpenFailuresReturnMinusOne) {
  EXPECT_EQ(JQ_Open_Net_Name("", 8888), -1) << "no host";
  EXPECT_EQ(JQ_Open_Net_Name(nullptr, 8888), -1);
  EXPECT_EQ(JQ_Open_Net_Name("127.0.0.1", 0), -1) << "no port";
  EXPECT_EQ(JQ_Open_Net_Name("no-such-host.invalid", 8888), -1);
  EXPECT_EQ(JQ_M_Open_Net(8, 127, 0, 0, 1, 8888), -1);
  // A port nobody listens on: take one from the kernel, then close it.
  int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
  socklen_t len = sizeof a;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
  ::close(fd);
  EXPECT_EQ(JQ_Open_Net(127, 0, 0, 1, ntohs(a.sin_port)), -1) << "refused";
  EXPECT_EQ(JQ_Close_Net(), 0) << "closing a slot that never connected";
}

TEST_F(NetLink, OneAttemptOnlyAndNoRetryOnBadEcho) {
  jqsim::TcpListener listener(sim);
  ASSERT_EQ(JQ_Open_Net(127, 0, 0, 1, listener.port()), 0);
  sim.ClearLog();
  sim.SetFault({jqsim::FaultKind::WrongEcho, 0, 1});
  EXPECT_EQ(JQ_Check(), -1);
  EXPECT_EQ(sim.Log().size(), 1u);
  EXPECT_EQ(JQ_Check(), 0);
}

TEST_F(NetLink, PartialReplyTimesOutAndDoesNotSpillIntoTheNextCommand) {
  jqsim::TcpListener listener(sim);
  ASSERT_EQ(JQ_Open_Net(127, 0, 0, 1, listener.port()), 0);
  sim.SetFault({jqsim::FaultKind::Short, 0, 1});
  EXPECT_EQ(JQ_Check(), -1);
  EXPECT_EQ(JQ_Check(), 0);
}

// A reply that comes after the read time-out sits in the socket; the next command
// must not read it as its own, nor may every later command read its predecessor's.
TEST_F(NetLink, LateReplyIsDroppedBeforeTheNextCommand) {
  jqsim::TcpListener listener(sim);
  ASSERT_EQ(JQ_Open_Net(127, 0, 0, 1, listener.port()), 0);
  sim.ClearLog();
  sim.SetValue(100, 0, 6);
  sim.SetFault({jqsim::FaultKind::Delay, 1300, 1});
  int32_t axes = -1;
  EXPECT_EQ(JQ_Get_Axis_Num(&axes), -1);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
  while (std::chrono::steady_clock::now() < deadline && sim.Log().at(0).replied_us == 0)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  ASSERT_NE(sim.Log().at(0).replied_us, 0u) << "the late reply never left the controller";
  EXPECT_EQ(JQ_Check(), 0) << "the late reply to command 100 answered command 0";
  sim.SetValue(100, 0, 7);
  EXPECT_EQ(JQ_Get_Axis_Num(&axes), 0);
  EXPECT_EQ(axes, 7);
}

TEST_F(NetLink, DroppedConnectionFailsUntilReopened) {
  jqsim::TcpListener listener(sim);
  ASSERT_EQ(JQ_Open_Net(127, 0, 0, 1, listener.port()), 0);
  ASSERT_EQ(JQ_Check(), 0);  // the listener has taken the connection
  listener.DropConnections();
  EXPECT_EQ(JQ_Check(), -1);
  EXPECT_EQ(JQ_Check(), -1);
  ASSERT_EQ(JQ_Open_Net(127, 0, 0, 1, listener.port()), 0);
  EXPECT_EQ(JQ_Check(), 0);
}

}  // namespace
