#include "tests/desktop/desktop_fixture.h"

#include <fstream>
#include <random>
#include <sstream>

#include "include/JQ_API.h"
#include "desktop/axis_config.h"
#include "platform/classes/ini_files.h"
#include "desktop/input_form.h"
#include "desktop/program.h"
#include "desktop/settings_file.h"

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
  desktop::g_Axis_Config.clear();
  desktop::Set_Settings_Folder(rtl::String());
  std::filesystem::current_path(oldCwd_);
  std::error_code ec;
  std::filesystem::remove_all(dir, ec);
}

void ProgramTest::WriteSettings(const std::vector<std::tuple<int, const char16_t*, const char16_t*>>& Values) {
  rtl::TIniFile ini(desktop::Settings_File_Name());
  for (const auto& [axis, key, value] : Values) ini.WriteString(desktop::Axis_Section(axis), key, value);
}

void ProgramTest::Restart() {
  h.reset();
  desktop::Stop_Modules();
  JQ_DeInit();
  desktop::g_Axis_Config.clear();
  desktop::Start_Modules();
  h = std::make_unique<uitest::Harness>();
}

void ProgramTest::StartProgram() { desktop::Create_Forms(); }

void ProgramTest::WriteFile(const std::string& name, const std::string& bytes) {
  std::ofstream out(dir / name, std::ios::binary);
  out << bytes;
}

void ProgramTest::Connect(SimulatedController& Sim, std::int32_t Axes, std::int32_t Encoders, std::int32_t Inputs,
                          std::int32_t Outputs) {
  using desktop::MainFrm;
  using desktop::TMainFrmAccess;
  StartProgram();
  h->Show(MainFrm);
  ASSERT_EQ(JQ_Open_USB(), 0);
  TMainFrmAccess::Set_Counts(MainFrm, Axes, Encoders, Inputs, Outputs);
  if (Axes >= 1) {
    TMainFrmAccess::Load_Axis_Config(MainFrm);
    TMainFrmAccess::Create_Axis_Frames(MainFrm);
    TMainFrmAccess::Create_Run_Frames(MainFrm);
  }
  if (Inputs >= 1) TMainFrmAccess::Create_Optic_In(MainFrm);
  if (Outputs >= 1) TMainFrmAccess::Create_Optic_Out(MainFrm);
  Sim.controller.ClearLog();
}

std::vector<SimulatedController::Request> SimulatedController::Requests() const {
  std::vector<Request> out;
  for (const auto& r : controller.Log()) out.emplace_back(r.code, r.index, r.value);
  return out;
}

std::vector<SimulatedController::Request> SimulatedController::Requests(std::initializer_list<int> Codes) const {
  std::vector<Request> out;
  for (const auto& r : controller.Log())
    for (int c : Codes)
      if (r.code == c) out.emplace_back(r.code, r.index, r.value);
  return out;
}

std::string ProgramTest::ReadFile(const std::string& name) {
  std::ifstream in(dir / name, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

}  // namespace desktoptest
