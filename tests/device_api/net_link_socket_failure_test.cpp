// The network link with the socket module failing under it. The library's
// objects are linked into this test, so a test can swap one socket call.
#include <gtest/gtest.h>

#include "include/JQ_API.h"
#include "transport/tcp/core/net_winsock2.h"
#include "tests/sim/sim.h"

namespace {

namespace wsk = net::winsock;

constexpr int Invalid_Argument = 10022;  // WSAEINVAL: not the end of a connection

int Failing_Select(int, ws::fd_set*, ws::fd_set*, ws::fd_set*, const ws::timeval*) {
  wsk::WSASetLastError(Invalid_Argument);
  return -1;
}

int Failing_Poll(ws::WSAPOLLFD*, std::uint32_t, int) {
  wsk::WSASetLastError(Invalid_Argument);
  return -1;
}

class NetLinkSocketFailure : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(JQ_Init(), 0); }
  void TearDown() override { JQ_DeInit(); }
  jqsim::Controller sim;
};

// Swaps the socket module's readiness calls for failing ones while alive.
class Failing_Readiness {
 public:
  Failing_Readiness() {
    wsk::select.Set(&Failing_Select);
    wsk::WSAPoll.Set(&Failing_Poll);
  }
  ~Failing_Readiness() {
    wsk::select.Set(real_select_);
    wsk::WSAPoll.Set(real_poll_);
  }

 private:
  decltype(wsk::select.Get()) real_select_ = wsk::select.Get();
  decltype(wsk::WSAPoll.Get()) real_poll_ = wsk::WSAPoll.Get();
};

// Once a request has gone without its own reply (here a reply with a byte too
// many), the connected test polls the socket before each request; an error
// there that does not mean the peer went away must still end as a failed
// command, not as an exception through the C caller.
TEST_F(NetLinkSocketFailure, AFailingConnectedTestIsAFailedCommand) {
  jqsim::TcpListener listener(sim);
  ASSERT_EQ(JQ_Open_Net_Name("127.0.0.1", listener.port()), 0);
  sim.SetFault({jqsim::FaultKind::Long, 0, 1});
  ASSERT_EQ(JQ_Check(), 0);
  int32_t failed, failed_get, axes = 5;
  {
    Failing_Readiness failing;
    failed = JQ_Check();
    failed_get = JQ_Get_Axis_Num(&axes);
  }
  EXPECT_EQ(failed, -1);
  EXPECT_EQ(failed_get, -1);
  EXPECT_EQ(axes, 0);
  EXPECT_EQ(JQ_Check(), 0) << "the connection is left as it was";
}

// While every request has had exactly its reply, nothing can be waiting
// before the next one, and the exchange is the write and the read alone.
TEST_F(NetLinkSocketFailure, ACleanLinkMakesNoConnectedTest) {
  jqsim::TcpListener listener(sim);
  ASSERT_EQ(JQ_Open_Net_Name("127.0.0.1", listener.port()), 0);
  ASSERT_EQ(JQ_Check(), 0);
  Failing_Readiness failing;
  int32_t axes = 0;
  EXPECT_EQ(JQ_Check(), 0);
  EXPECT_EQ(JQ_Get_Axis_Num(&axes), 0);
  EXPECT_EQ(axes, 4);
}

}  // namespace
