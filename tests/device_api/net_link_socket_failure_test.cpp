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

// The connected test before each request polls the socket; an error there
// that does not mean the peer went away must still end as a failed command,
// not as an exception through the C caller.
TEST_F(NetLinkSocketFailure, AFailingConnectedTestIsAFailedCommand) {
  jqsim::TcpListener listener(sim);
  ASSERT_EQ(JQ_Open_Net_Name("127.0.0.1", listener.port()), 0);
  ASSERT_EQ(JQ_Check(), 0);
  const auto real_select = wsk::select.Get();
  const auto real_poll = wsk::WSAPoll.Get();
  wsk::select.Set(&Failing_Select);
  wsk::WSAPoll.Set(&Failing_Poll);
  const int32_t failed = JQ_Check();
  int32_t axes = 5;
  const int32_t failed_get = JQ_Get_Axis_Num(&axes);
  wsk::select.Set(real_select);
  wsk::WSAPoll.Set(real_poll);
  EXPECT_EQ(failed, -1);
  EXPECT_EQ(failed_get, -1);
  EXPECT_EQ(axes, 0);
  EXPECT_EQ(JQ_Check(), 0) << "the connection is left as it was";
}

}  // namespace
