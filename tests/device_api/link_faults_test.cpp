// Hostile controllers on the framed links: one table of faults runs over the
// serial link (a pty) and the network link (loopback TCP). Every call returns
// within its link's bound, never hands out another request's value or result as
// success, and the link works again afterwards.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "include/JQ_API.h"
#include "tests/sim/sim.h"

namespace {

using Clock = std::chrono::steady_clock;
using jqsim::FaultKind;

constexpr int32_t Slot = 2;
constexpr uint16_t Position_Code = 120;  // JQ_M_Get_Axis_Software_P_Now
constexpr uint16_t Axes = 4;

int32_t Position_Of(uint16_t axis) { return 1000 + 111 * axis; }

// One framed link to a simulated controller: its front end and its figures.
class Framed_Link {
 public:
  virtual ~Framed_Link() = default;
  // (Re)creates the front end and opens the slot on it.
  virtual void Open(jqsim::Controller& sim) = 0;
  virtual const char* Name() const = 0;
  // The longest one exchange may take: every attempt's reply wait, plus slack.
  virtual int Bound_ms() const = 0;
  virtual int Reply_Timeout_ms() const = 0;
};

class Serial_Link final : public Framed_Link {
 public:
  void Open(jqsim::Controller& sim) override {
    JQ_M_Close_UART(Slot);
    pty_.reset();
    pty_ = std::make_unique<jqsim::PtyPort>(sim);
    ASSERT_EQ(JQ_M_Open_UART(Slot, pty_->slave_path().c_str()), 0);
  }
  const char* Name() const override { return "serial"; }
  int Bound_ms() const override { return 3 * 500 + 250; }
  int Reply_Timeout_ms() const override { return 500; }

 private:
  std::unique_ptr<jqsim::PtyPort> pty_;
};

class Network_Link final : public Framed_Link {
 public:
  void Open(jqsim::Controller& sim) override {
    JQ_M_Close_Net(Slot);
    listener_.reset();
    listener_ = std::make_unique<jqsim::TcpListener>(sim);
    ASSERT_EQ(JQ_M_Open_Net(Slot, 127, 0, 0, 1, listener_->port()), 0);
  }
  const char* Name() const override { return "network"; }
  int Bound_ms() const override { return 1000 + 250; }
  int Reply_Timeout_ms() const override { return 1000; }

 private:
  std::unique_ptr<jqsim::TcpListener> listener_;
};

enum class Which { Serial, Network };

class LinkFaults : public ::testing::TestWithParam<Which> {
 protected:
  void SetUp() override {
    ASSERT_EQ(JQ_Init(), 0);
    if (GetParam() == Which::Serial)
      link_ = std::make_unique<Serial_Link>();
    else
      link_ = std::make_unique<Network_Link>();
    for (uint16_t axis = 0; axis < Axes; ++axis) sim.SetValue(Position_Code, axis, Position_Of(axis));
    link_->Open(sim);
  }
  void TearDown() override { JQ_DeInit(); }

  // Reads an axis position and checks the call's bound and that a success carries
  // this axis's own value.
  int32_t Poll(uint16_t axis, const std::string& what) {
    int32_t position = -1;
    const auto start = Clock::now();
    const int32_t result = JQ_M_Get_Axis_Software_P_Now(Slot, axis, &position);
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
    EXPECT_LE(took.count(), link_->Bound_ms()) << what << ", axis " << axis;
    if (result == 0) {
      EXPECT_EQ(position, Position_Of(axis)) << what << ": axis " << axis << " got another request's value";
    } else {
      EXPECT_EQ(position, 0) << what;
    }
    return result;
  }

  // Waits until the controller has stopped sending (every reply that will leave
  // has left), so that the next exchange meets a quiet line.
  void Settle(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

  jqsim::Controller sim;
  std::unique_ptr<Framed_Link> link_;
};

struct Fault_Row {
  const char* what;
  FaultKind kind;
  // Scaled by the link's reply time-out: late by 1.06 x, trickled over 2.8 x...
  double delay_timeouts;
  int count;
  bool ends_link;
};

const Fault_Row Fault_Rows[] = {
    {"silent", FaultKind::Silence, 0, 1, false},
    {"late once", FaultKind::Delay, 1.06, 1, false},
    {"late always", FaultKind::Delay, 1.06, -1, false},
    {"duplicated", FaultKind::Duplicate, 0, 1, false},
    {"duplicated always", FaultKind::Duplicate, 0, -1, false},
    {"duplicated, the copy in flight", FaultKind::Duplicate, 0.05, -1, false},
    {"trickled", FaultKind::Trickle, 0.2, 1, false},
    {"wrong echo", FaultKind::WrongEcho, 0, 1, false},
    {"short", FaultKind::Short, 0, 1, false},
    {"long", FaultKind::Long, 0, -1, false},
    {"hang-up", FaultKind::Unplugged, 0, 1, true},
    {"closed mid-frame", FaultKind::CloseMidFrame, 0, 1, true},
    {"reset", FaultKind::Reset, 0, 1, true},
};

TEST_P(LinkFaults, NoCallTakesAnotherRequestsReplyAndTheLinkRecovers) {
  for (const Fault_Row& row : Fault_Rows) {
    const std::string what = std::string(link_->Name()) + ", " + row.what;
    SCOPED_TRACE(what);
    const int delay = static_cast<int>(row.delay_timeouts * link_->Reply_Timeout_ms());
    sim.SetFault({row.kind, delay, row.count, Position_Code});
    // Axis after axis, as a host polls positions: the command repeats, the index moves on.
    for (int round = 0; round < 2; ++round)
      for (uint16_t axis = 0; axis < Axes; ++axis) Poll(axis, what);
    sim.ClearFaults();
    if (row.ends_link) {
      EXPECT_EQ(Poll(0, what), -1) << "the link is gone until it is opened again";
      link_->Open(sim);
    }
    // Whatever is still in flight must not answer the next requests either.
    for (uint16_t axis = 0; axis < Axes; ++axis) Poll(axis, what + ", after");
    Settle(row.kind == FaultKind::Trickle ? 3 * link_->Reply_Timeout_ms() : 0);
    for (uint16_t axis = 0; axis < Axes; ++axis)
      EXPECT_EQ(Poll(axis, what + ", clean"), 0) << "axis " << axis;
  }
}

// A duplicated success followed by a refused command of the same kind: the
// duplicate must not stand in for the refusal, also when it is still on its way
// as the next request goes out.
TEST_P(LinkFaults, DuplicateDoesNotTurnARefusalIntoSuccess) {
  constexpr uint16_t Set_Position = 122;  // JQ_M_Set_Axis_Software_P_Now
  for (int gap_ms : {0, 20}) {
    for (int trial = 0; trial < 3; ++trial) {
      SCOPED_TRACE("copy " + std::to_string(gap_ms) + " ms behind, trial " + std::to_string(trial));
      sim.SetFault({FaultKind::Duplicate, gap_ms, 1, Set_Position});
      EXPECT_EQ(JQ_M_Set_Axis_Software_P_Now(Slot, 1, 500), 0);
      sim.SetStatus(Set_Position, 1);
      EXPECT_EQ(JQ_M_Set_Axis_Software_P_Now(Slot, 2, 500), -1) << "another axis";
      sim.SetFault({FaultKind::Duplicate, gap_ms, 1, Set_Position});
      sim.SetStatus(Set_Position, 0);
      EXPECT_EQ(JQ_M_Set_Axis_Software_P_Now(Slot, 1, 600), 0);
      sim.SetStatus(Set_Position, 1);
      EXPECT_EQ(JQ_M_Set_Axis_Software_P_Now(Slot, 1, 700), -1) << "the same axis, another value";
      sim.SetStatus(Set_Position, 0);
      std::this_thread::sleep_for(std::chrono::milliseconds(gap_ms));
      EXPECT_EQ(JQ_M_Set_Axis_Software_P_Now(Slot, 1, 800), 0);
    }
  }
}

// A reply that comes after its command gave up must not answer the next command,
// whose own reply says it was refused.
TEST_P(LinkFaults, LateSuccessDoesNotAnswerALaterRefusal) {
  const int late = static_cast<int>(1.06 * link_->Reply_Timeout_ms());
  sim.SetFault({FaultKind::Delay, late, 1, Position_Code});
  EXPECT_EQ(Poll(2, "late"), GetParam() == Which::Serial ? 0 : -1)
      << "serial retries and may take the late reply of its own request";
  sim.SetStatus(Position_Code, 1);
  EXPECT_EQ(Poll(3, "refused"), -1);
  EXPECT_EQ(Poll(2, "refused"), -1);
  sim.SetStatus(Position_Code, 0);
  EXPECT_EQ(Poll(3, "clean"), 0);
}

INSTANTIATE_TEST_SUITE_P(Framed, LinkFaults, ::testing::Values(Which::Serial, Which::Network),
                         [](const auto& info) { return info.param == Which::Serial ? "Serial" : "Network"; });

}  // namespace
