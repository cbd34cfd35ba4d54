// A fresh program environment per test: a temporary current directory that
// also holds the settings file, the component modules started, a headless
// application with a manual clock, and the device library shut down at the end.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "harness.h"

namespace desktoptest {

class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Creates every window of the program in its start-up order.
  void StartProgram();
  // Writes a file in the current (temporary) directory.
  void WriteFile(const std::string& name, const std::string& bytes);
  std::string ReadFile(const std::string& name);

  std::filesystem::path dir;
  std::unique_ptr<uitest::Harness> h;

 private:
  std::filesystem::path oldCwd_;
};

}  // namespace desktoptest
