#include "tests/device_api/controller_fixture.h"

#include <ostream>

namespace jqtest {

std::string LinkName(const ::testing::TestParamInfo<Link>& info) {
  return info.param == Link::USB ? "USB" : "UART";
}

void ControllerTest::SetUp() {
  ASSERT_EQ(JQ_Init(), 0);
  if (GetParam() == Link::USB) {
    jqsim::AttachHid(jqsim::HidDeviceInfo{}, sim);
    ASSERT_EQ(JQ_Open_USB(), 0);
  } else {
    pty = std::make_unique<jqsim::PtyPort>(sim);
    ASSERT_EQ(JQ_Open_UART(pty->slave_path().c_str()), 0);
  }
  sim.ClearLog();
}

void ControllerTest::TearDown() {
  JQ_DeInit();
  jqsim::DetachAllHid();
  pty.reset();
}

std::vector<jqsim::LoggedRequest> ControllerTest::Requests() const { return sim.Log(); }
void ControllerTest::ClearLog() { sim.ClearLog(); }
void ControllerTest::Refuse(uint16_t code) { sim.SetStatus(code, 1); }

bool operator==(const jqsim::LoggedRequest& a, const Req& b) {
  return a.code == b.code && a.index == b.index && a.value == b.value;
}

void PrintTo(const jqsim::LoggedRequest& r, std::ostream* os) {
  *os << "{" << r.code << ", " << r.index << ", " << r.value << "}";
}
void PrintTo(const Req& r, std::ostream* os) {
  *os << "{" << r.code << ", " << r.index << ", " << r.value << "}";
}

::testing::AssertionResult SameRequests(const std::vector<jqsim::LoggedRequest>& log,
                                        const std::vector<Req>& expected) {
  auto text = [](auto& items) {
    std::string s;
    for (auto& r : items)
      s += "{" + std::to_string(r.code) + "," + std::to_string(r.index) + "," +
           std::to_string(r.value) + "} ";
    return s;
  };
  bool same = log.size() == expected.size();
  for (size_t i = 0; same && i < log.size(); ++i) same = log[i] == expected[i];
  if (same) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "sent " << text(log) << "expected " << text(expected);
}

}  // namespace jqtest
