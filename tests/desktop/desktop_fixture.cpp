#include "desktop_fixture.h"

#include <fstream>
#include <random>
#include <sstream>

#include "JQ_API.h"
#include "program.h"
#include "settings_file.h"

namespace desktoptest {

void ProgramTest::SetUp() {
  std::random_device rd;
  dir = std::filesystem::temp_directory_path() / ("jq_desktop_" + std::to_string(rd()) + std::to_string(rd()));
  std::filesystem::create_directories(dir);
  oldCwd_ = std::filesystem::current_path();
  std::filesystem::current_path(dir);
  desktop::Set_Settings_Folder(rtl::FromSysPath(dir.string()));
  desktop::Start_Modules();
  h = std::make_unique<uitest::Harness>();
}

void ProgramTest::TearDown() {
  h.reset();
  desktop::Stop_Modules();
  JQ_DeInit();
  desktop::Set_Settings_Folder(rtl::String());
  std::filesystem::current_path(oldCwd_);
  std::error_code ec;
  std::filesystem::remove_all(dir, ec);
}

void ProgramTest::StartProgram() { desktop::Create_Forms(); }

void ProgramTest::WriteFile(const std::string& name, const std::string& bytes) {
  std::ofstream out(dir / name, std::ios::binary);
  out << bytes;
}

std::string ProgramTest::ReadFile(const std::string& name) {
  std::ifstream in(dir / name, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

}  // namespace desktoptest
