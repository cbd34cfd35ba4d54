// A fresh program environment per test: a temporary current directory that
// also holds the settings file, the component modules started, a headless
// application with a manual clock, and the device library shut down at the end.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "tests/platform/ui/harness.h"
#include "tests/desktop/main_form_access.h"
#include "tests/sim/sim.h"

namespace desktoptest {

// A simulated USB controller for one test.
class SimulatedController {
 public:
  SimulatedController() { jqsim::AttachHid(jqsim::HidDeviceInfo{}, controller); }
  ~SimulatedController() { jqsim::DetachAllHid(); }
  std::vector<jqsim::LoggedRequest> Log() const { return controller.Log(); }
  static bool Has(const std::vector<jqsim::LoggedRequest>& log, uint16_t code) {
    for (const auto& r : log)
      if (r.code == code) return true;
    return false;
  }
  // The log as (code, index, value), the form the tests compare.
  using Request = std::tuple<int, int, std::int32_t>;
  std::vector<Request> Requests() const;
  // Requests of the given codes only (polls left out).
  std::vector<Request> Requests(std::initializer_list<int> Codes) const;
  jqsim::Controller controller;
};

class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Creates every window of the program in its start-up order.
  void StartProgram();
  // Writes a file in the current (temporary) directory.
  void WriteFile(const std::string& name, const std::string& bytes);
  std::string ReadFile(const std::string& name);
  // Writes keys of the settings file: (axis, key, value).
  static void WriteSettings(const std::vector<std::tuple<int, const char16_t*, const char16_t*>>& Values);
  // A fresh program in the same test: windows, modules and library gone,
  // then started again.
  void Restart();
  // Starts the program, shows the main window, opens the simulated USB
  // controller and builds what a connect reporting these counts builds
  // (settings sent, panels, start-several rows, lamps); the log is then
  // cleared.
  void Connect(SimulatedController& Sim, std::int32_t Axes, std::int32_t Encoders = 0, std::int32_t Inputs = 0,
               std::int32_t Outputs = 0);

  std::filesystem::path dir;
  std::unique_ptr<uitest::Harness> h;

 private:
  std::filesystem::path oldCwd_;
};

}  // namespace desktoptest
