// A simulated controller on slot 0, reached over the link the test is
// parameterised with. Export tables run once per link.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "include/JQ_API.h"
#include "tests/sim/sim.h"

namespace jqtest {

enum class Link { USB, UART };

std::string LinkName(const ::testing::TestParamInfo<Link>& info);

// Opens slot 0 of a freshly initialised library on a simulated controller.
class ControllerTest : public ::testing::TestWithParam<Link> {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Requests the controller received since the link was opened (or since ClearLog).
  std::vector<jqsim::LoggedRequest> Requests() const;
  void ClearLog();
  // Makes `code` answer with device status 1 (a refused command).
  void Refuse(uint16_t code);

  jqsim::Controller sim;
  std::unique_ptr<jqsim::PtyPort> pty;
};

// One expected request in a log.
struct Req {
  uint16_t code;
  uint16_t index;
  int32_t value;
};
bool operator==(const jqsim::LoggedRequest& a, const Req& b);
void PrintTo(const jqsim::LoggedRequest& r, std::ostream* os);
void PrintTo(const Req& r, std::ostream* os);

// Compares a log with the expected requests, code by code.
::testing::AssertionResult SameRequests(const std::vector<jqsim::LoggedRequest>& log,
                                        const std::vector<Req>& expected);

}  // namespace jqtest

// Runs a ControllerTest-derived suite over every link that the library offers.
#define JQ_INSTANTIATE_ON_LINKS(Suite)                                                  \
  INSTANTIATE_TEST_SUITE_P(Links, Suite,                                               \
                           ::testing::Values(::jqtest::Link::USB, ::jqtest::Link::UART), \
                           ::jqtest::LinkName)
