// Per-axis settings: the file's keys and defaults, the unit conversions, and
// what loading sends to the controller.
#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <fstream>
#include <functional>
#include <sstream>

#include <unistd.h>

#include "include/JQ_API.h"
#include "desktop/axis_config.h"
#include "desktop/axis_form.h"
#include "tests/desktop/desktop_fixture.h"
#include "platform/runtime/exceptions.h"
#include "platform/classes/ini_files.h"
#include "desktop/main_form.h"
#include "desktop/settings_file.h"

namespace desktoptest {
namespace {

using namespace ui;
using desktop::g_Axis_Config;
using desktop::MainFrm;
using desktop::TAxis_Config;
using Request = SimulatedController::Request;

TEST(AxisConfigTest, ConversionsRoundHalvesToEvenAndRefuseWhatDoesNotFit) {
  struct Case {
    std::int32_t physics, perPhysics;
    double units;
    std::int64_t steps;  // kRefused: raises
  };
  constexpr std::int64_t kRefused = INT64_MIN;
  const Case cases[] = {
      {1, 6400, 1.0, 6400},
      {1, 6400, -2.0, -12800},
      {100, 400, 2.5, 10},        // a software limit of 2.5 units
      {100, 400, -5.0, -20},
      {100, 200, 2.5, 5},         // the same limit through CLOSESTEPS
      {1, 1, 2.5, 2},             // half a step: to the even neighbour
      {1, 1, 3.5, 4},
      {1, 1, -2.5, -2},
      {2, 5, 1.0, 2},             // 2.5
      {3, 10, 1.0, 3},            // 3.333...
      {1, 6000000, 357.0, 2142000000},
      {1, 6000000, 360.0, kRefused},  // 2,160,000,000 steps
      {1, 6000000, -360.0, kRefused},
      {1, 1, 2147483647.0, 2147483647},
      {1, 1, -2147483648.0, -2147483648LL},
      {1, 1, 2147483648.0, kRefused},
      {0, 6400, 1.0, kRefused},   // no factor: nothing is divided by zero
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.physics << " " << c.perPhysics << " " << c.units);
    TAxis_Config r;
    r.Axis_Caption = u"第1轴";
    r.Axis_Unit = u"deg";
    r.Physics = c.physics;
    r.OpenSteps = c.perPhysics;
    r.CloseSteps = c.perPhysics;
    if (c.steps == kRefused) {
      EXPECT_THROW(desktop::Units_To_Steps(r, c.units), rtl::ERangeError);
      EXPECT_THROW(desktop::Units_To_Counts(r, c.units), rtl::ERangeError);
      EXPECT_THROW(desktop::Units_To_Steps_Abs(r, c.units), rtl::ERangeError);
    } else {
      EXPECT_EQ(desktop::Units_To_Steps(r, c.units), c.steps);
      EXPECT_EQ(desktop::Units_To_Counts(r, c.units), c.steps);
    }
  }
  // The magnitude of the most negative step count does not fit 32 bits.
  TAxis_Config r;
  r.Physics = 1;
  r.OpenSteps = 1;
  EXPECT_THROW(desktop::Units_To_Steps_Abs(r, -2147483648.0), rtl::ERangeError);
  EXPECT_EQ(desktop::Units_To_Steps_Abs(r, -2147483647.0), 2147483647);
  try {
    r.Axis_Caption = u"X轴";
    r.Axis_Unit = u"deg";
    desktop::Units_To_Steps(r, 1e10);
    FAIL();
  } catch (const rtl::ERangeError& e) {
    EXPECT_NE(e.Message().find(u"X轴"), rtl::String::npos);
  }
}

TEST(AxisConfigTest, StepsAndCountsToUnitsInSixtyFourBitsAndDashWithoutFactor) {
  TAxis_Config r;
  r.Axis_Unit = u"mm";
  r.Physics = 1;
  r.OpenSteps = 6400;
  r.CloseSteps = 4000;
  EXPECT_EQ(desktop::Format_Position(r, desktop::Steps_To_Units(r, 1000)), u"0.156250 mm");
  EXPECT_EQ(desktop::Format_Position(r, desktop::Counts_To_Units(r, -2000)), u"-0.500000 mm");
  // steps x Physics beyond 32 bits.
  r.Physics = 10;
  r.OpenSteps = 1000;
  EXPECT_DOUBLE_EQ(*desktop::Steps_To_Units(r, 2000000000), 20000000.0);
  r.OpenSteps = 0;
  r.CloseSteps = 0;
  EXPECT_FALSE(desktop::Steps_To_Units(r, 5).has_value());
  EXPECT_FALSE(desktop::Counts_To_Units(r, 5).has_value());
  EXPECT_EQ(desktop::Format_Position(r, std::nullopt), u"-");
}

// One key of the file, a value that is not its default, and where it lands.
struct KeyCase {
  const char16_t* key;
  const char16_t* text;
  std::function<bool(const TAxis_Config&)> stored;
};

TEST(AxisConfigTest, DefaultsAndEveryKeyReadBack) {
  std::filesystem::path file = std::filesystem::temp_directory_path() / ("jq_axis_cfg_" + std::to_string(::getpid()) + ".ini");
  std::filesystem::remove(file);
  rtl::TIniFile ini(rtl::FromSysPath(file.string()));

  TAxis_Config d;
  std::vector<rtl::String> warnings;
  desktop::Read_Axis_Config(ini, 2, true, d, warnings);
  EXPECT_TRUE(warnings.empty());
  EXPECT_TRUE(d.Axis_Visible);
  EXPECT_TRUE(d.bOpen);
  EXPECT_FALSE(d.bDirP);
  EXPECT_EQ(d.Axis_Caption, u"第3轴");
  EXPECT_EQ(d.Axis_Unit, u"mm");
  EXPECT_EQ(d.Axis_Neg, u"负");
  EXPECT_EQ(d.Axis_Pos, u"正");
  EXPECT_EQ(d.Physics, 1);
  EXPECT_EQ(d.OpenSteps, 6400);
  EXPECT_EQ(d.CloseSteps, 4000);
  EXPECT_EQ(d.Acc, 1.0);
  EXPECT_EQ(d.Dec, 1.0);
  EXPECT_EQ(d.Max_V, 1.0);
  EXPECT_EQ(d.Fast0, 0.0);
  EXPECT_EQ(d.Fast1, 90.0);
  EXPECT_EQ(d.Fast2, 180.0);
  EXPECT_EQ(d.Fast3, 270.0);
  EXPECT_EQ(d.Encoder_Factor, 1.0);
  EXPECT_TRUE(d.Encoder_Z);
  EXPECT_TRUE(d.Encoder_Dir);
  EXPECT_TRUE(d.Encoder_Over);
  EXPECT_EQ(d.Encoder_Over_Max, 100);
  EXPECT_EQ(d.Encoder_Over_Stable, 50);
  EXPECT_EQ(d.P_Rel, u"1");
  EXPECT_EQ(d.P_Abs, u"1");
  EXPECT_EQ(d.V_Rel, u"1");
  EXPECT_EQ(d.V_Abs, u"1");
  EXPECT_EQ(d.Home_V, u"-1");
  EXPECT_EQ(d.P_Rel_Hz, u"1000");
  EXPECT_EQ(d.P_Abs_Hz, u"1000");
  EXPECT_EQ(d.V_Rel_Hz, u"1000");
  EXPECT_EQ(d.V_Abs_Hz, u"1000");
  EXPECT_EQ(d.Home_V_Hz, u"-1000");
  EXPECT_EQ(d.Soft_Neg, 0.0f);
  EXPECT_EQ(d.Soft_Pos, 100.0f);
  EXPECT_FALSE(d.Soft_Ena);
  EXPECT_FALSE(d.bSoft_Close);

  const KeyCase keys[] = {
      {u"VISIBLE", u"0", [](const TAxis_Config& r) { return !r.Axis_Visible; }},
      {u"CAPTION", u"X轴", [](const TAxis_Config& r) { return r.Axis_Caption == u"X轴"; }},
      {u"UNIT", u"deg", [](const TAxis_Config& r) { return r.Axis_Unit == u"deg"; }},
      {u"NEG", u"左", [](const TAxis_Config& r) { return r.Axis_Neg == u"左"; }},
      {u"POS", u"右", [](const TAxis_Config& r) { return r.Axis_Pos == u"右"; }},
      {u"PHYSICS", u"360", [](const TAxis_Config& r) { return r.Physics == 360; }},
      {u"OPENSTEPS", u"0x100", [](const TAxis_Config& r) { return r.OpenSteps == 256; }},
      {u"CLOSESTEPS", u"-2000", [](const TAxis_Config& r) { return r.CloseSteps == -2000; }},
      {u"OPEN_MODE", u"0", [](const TAxis_Config& r) { return !r.bOpen; }},
      {u"ACC", u"12.5", [](const TAxis_Config& r) { return r.Acc == 12.5; }},
      {u"DEC", u"0,25", [](const TAxis_Config& r) { return r.Dec == 0.25; }},
      {u"MAX_V", u"-3", [](const TAxis_Config& r) { return r.Max_V == -3.0; }},
      {u"FAST0", u"1.5", [](const TAxis_Config& r) { return r.Fast0 == 1.5; }},
      {u"FAST1", u"2", [](const TAxis_Config& r) { return r.Fast1 == 2.0; }},
      {u"FAST2", u"3", [](const TAxis_Config& r) { return r.Fast2 == 3.0; }},
      {u"FAST3", u"4", [](const TAxis_Config& r) { return r.Fast3 == 4.0; }},
      {u"P_REL", u"abc", [](const TAxis_Config& r) { return r.P_Rel == u"abc"; }},
      {u"P_ABS", u"7", [](const TAxis_Config& r) { return r.P_Abs == u"7"; }},
      {u"V_REL", u"8", [](const TAxis_Config& r) { return r.V_Rel == u"8"; }},
      {u"V_ABS", u"9", [](const TAxis_Config& r) { return r.V_Abs == u"9"; }},
      {u"HOME_V", u"-2", [](const TAxis_Config& r) { return r.Home_V == u"-2"; }},
      {u"P_REL_HZ", u"11", [](const TAxis_Config& r) { return r.P_Rel_Hz == u"11"; }},
      {u"P_ABS_HZ", u"12", [](const TAxis_Config& r) { return r.P_Abs_Hz == u"12"; }},
      {u"V_REL_HZ", u"13", [](const TAxis_Config& r) { return r.V_Rel_Hz == u"13"; }},
      {u"V_ABS_HZ", u"14", [](const TAxis_Config& r) { return r.V_Abs_Hz == u"14"; }},
      {u"HOME_V_HZ", u"-15", [](const TAxis_Config& r) { return r.Home_V_Hz == u"-15"; }},
      {u"SOFT_NEG", u"-5", [](const TAxis_Config& r) { return r.Soft_Neg == -5.0f; }},
      {u"SOFT_POS", u"2.5", [](const TAxis_Config& r) { return r.Soft_Pos == 2.5f; }},
      {u"SOFT_ENA", u"7", [](const TAxis_Config& r) { return r.Soft_Ena; }},
      {u"SOFT_CLOSE", u"1", [](const TAxis_Config& r) { return r.bSoft_Close; }},
      {u"ENCODER_FACTOR", u"0.5", [](const TAxis_Config& r) { return r.Encoder_Factor == 0.5; }},
      {u"ENCODER_Z", u"0", [](const TAxis_Config& r) { return !r.Encoder_Z; }},
      {u"ENCODER_DIR", u"0", [](const TAxis_Config& r) { return !r.Encoder_Dir; }},
      {u"ENCODER_OVER", u"0", [](const TAxis_Config& r) { return !r.Encoder_Over; }},
      {u"ENCODER_OVER_MAX", u"3", [](const TAxis_Config& r) { return r.Encoder_Over_Max == 3; }},
      {u"ENCODER_OVER_STABLE", u"4", [](const TAxis_Config& r) { return r.Encoder_Over_Stable == 4; }},
  };
  // Written in another letter case: sections and keys match without it.
  for (const KeyCase& k : keys) ini.WriteString(u"Axis2", rtl::LowerCase(k.key), k.text);
  TAxis_Config r;
  desktop::Read_Axis_Config(ini, 2, true, r, warnings);
  EXPECT_TRUE(warnings.empty());
  for (const KeyCase& k : keys) EXPECT_TRUE(k.stored(r)) << rtl::StringToUtf8(k.key);

  // Without encoders the encoder keys are not read: the record keeps what it had.
  TAxis_Config fresh;
  desktop::Read_Axis_Config(ini, 2, false, fresh, warnings);
  EXPECT_EQ(fresh.Encoder_Factor, 0.0);
  EXPECT_FALSE(fresh.Encoder_Z);
  EXPECT_EQ(fresh.Encoder_Over_Max, 0);
  EXPECT_EQ(fresh.Soft_Pos, 2.5f);

  // Values that do not read give the default.
  ini.WriteString(u"AXIS2", u"ACC", u"fast");
  ini.WriteString(u"AXIS2", u"OPENSTEPS", u"many");
  ini.WriteString(u"AXIS2", u"VISIBLE", u"yes");
  desktop::Read_Axis_Config(ini, 2, true, r, warnings);
  EXPECT_EQ(r.Acc, 1.0);
  EXPECT_EQ(r.OpenSteps, 6400);
  EXPECT_TRUE(r.Axis_Visible);
  std::filesystem::remove(file);
}

TEST(AxisConfigTest, ZeroFactorsFallBackToTheirDefaultsWithAWarning) {
  std::filesystem::path file = std::filesystem::temp_directory_path() / ("jq_axis_zero_" + std::to_string(::getpid()) + ".ini");
  std::filesystem::remove(file);
  rtl::TIniFile ini(rtl::FromSysPath(file.string()));
  ini.WriteString(u"AXIS0", u"CAPTION", u"X轴");
  ini.WriteString(u"AXIS0", u"PHYSICS", u"0");
  ini.WriteString(u"AXIS0", u"OPENSTEPS", u"0");
  ini.WriteString(u"AXIS0", u"CLOSESTEPS", u"0");
  TAxis_Config r;
  std::vector<rtl::String> warnings;
  desktop::Read_Axis_Config(ini, 0, false, r, warnings);
  EXPECT_EQ(r.Physics, 1);
  EXPECT_EQ(r.OpenSteps, 6400);
  EXPECT_EQ(r.CloseSteps, 4000);
  ASSERT_EQ(warnings.size(), 3u);
  EXPECT_EQ(warnings[0], u"X轴: PHYSICS 为 0, 已改用默认值 1");
  EXPECT_NE(warnings[1].find(u"OPENSTEPS"), rtl::String::npos);
  EXPECT_NE(warnings[2].find(u"4000"), rtl::String::npos);
  std::filesystem::remove(file);
}

using AxisSettingsTest = ProgramTest;


std::int32_t FloatBits(float f) { return std::bit_cast<std::int32_t>(f); }

TEST_F(AxisSettingsTest, WithoutAFileOnlyTheLimitsAreSwitchedOff) {
  SimulatedController sim;
  Connect(sim, 2);
  std::vector<Request> expected = {{131, 0, 0}, {131, 1, 0}};
  sim.controller.ClearLog();
  desktop::TMainFrmAccess::Load_Axis_Config(MainFrm);
  EXPECT_EQ(sim.Requests(), expected);
  ASSERT_EQ(g_Axis_Config.size(), 2u);
  EXPECT_EQ(g_Axis_Config[0].Axis_Caption, u"第1轴");
  EXPECT_EQ(g_Axis_Config[1].Axis_Caption, u"第2轴");
  MainFrm->Close();
}

TEST_F(AxisSettingsTest, LimitsAndEncoderSettingsAreSentInOrder) {
  WriteSettings({{0, u"SOFT_ENA", u"1"},
                 {0, u"SOFT_NEG", u"-5"},
                 {0, u"SOFT_POS", u"2.5"},
                 {0, u"PHYSICS", u"100"},
                 {0, u"OPENSTEPS", u"400"},
                 {1, u"SOFT_ENA", u"1"},
                 {1, u"SOFT_CLOSE", u"1"},
                 {1, u"SOFT_NEG", u"-5"},
                 {1, u"SOFT_POS", u"2.5"},
                 {1, u"PHYSICS", u"100"},
                 {1, u"CLOSESTEPS", u"200"},
                 {1, u"ENCODER_Z", u"0"},
                 {1, u"ENCODER_DIR", u"0"},
                 {1, u"ENCODER_OVER", u"0"},
                 {1, u"ENCODER_OVER_MAX", u"7"},
                 {1, u"ENCODER_OVER_STABLE", u"9"}});
  SimulatedController sim;
  // Two axes and four encoders: encoders 2 and 3 have no settings.
  Connect(sim, 2, 4);
  desktop::TMainFrmAccess::Load_Axis_Config(MainFrm);
  std::vector<Request> expected = {
      {131, 0, 0}, {127, 0, -20}, {128, 0, 10}, {130, 0, 0},
      {131, 1, 0}, {127, 1, -10}, {128, 1, 5},  {130, 1, 0},
      {903, 0, 0}, {904, 0, 1},   {906, 0, 1},  {907, 0, 100}, {908, 0, 50}, {195, 0, FloatBits(400.0f / 4000.0f)},
      {903, 1, 1}, {904, 1, 0},   {906, 1, 0},  {907, 1, 7},   {908, 1, 9},  {195, 1, FloatBits(6400.0f / 200.0f)},
  };
  EXPECT_EQ(sim.Requests(), expected);
  MainFrm->Close();
}

TEST_F(AxisSettingsTest, ZeroFactorsAndOversizedLimitsAreRefusedBeforeAnythingIsSent) {
  WriteSettings({{0, u"PHYSICS", u"0"},
                 {0, u"SOFT_ENA", u"1"},
                 {0, u"SOFT_POS", u"2"},
                 {1, u"OPENSTEPS", u"6000000"},
                 {1, u"UNIT", u"deg"},
                 {1, u"SOFT_ENA", u"1"},
                 {1, u"SOFT_POS", u"360"}});
  SimulatedController sim;
  StartProgram();
  h->Show(MainFrm);
  ASSERT_EQ(JQ_Open_USB(), 0);
  desktop::TMainFrmAccess::Set_Counts(MainFrm, 2, 0, 0, 0);
  h->AnswerMessageBox(mrOk);
  desktop::TMainFrmAccess::Load_Axis_Config(MainFrm);
  // Axis 0 works with the default factor; axis 1's limit would need
  // 2,160,000,000 steps: its limits are left alone.
  std::vector<Request> expected = {{131, 0, 0}, {127, 0, 0}, {128, 0, 12800}, {130, 0, 0}};
  EXPECT_EQ(sim.Requests(), expected);
  auto boxes = h->TakeMessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(boxes[0].Text.find(u"PHYSICS"), rtl::String::npos);
  EXPECT_NE(boxes[0].Text.find(u"第2轴: 360 deg"), rtl::String::npos) << rtl::StringToUtf8(boxes[0].Text);
  EXPECT_EQ(g_Axis_Config[0].Physics, 1);
  MainFrm->Close();
}

TEST_F(AxisSettingsTest, ReloadKeepsTheDirectionAndShutDownKeepsTheTypedDistance) {
  SimulatedController sim;
  Connect(sim, 1);
  g_Axis_Config[0].bDirP = false;
  desktop::TMainFrmAccess::Load_Axis_Config(MainFrm);
  EXPECT_FALSE(g_Axis_Config[0].bDirP);
  auto* panel = dynamic_cast<desktop::TAxisFrm*>(MainFrm->box_Axis->FindComponent(u"Axis0"));
  ASSERT_NE(panel, nullptr);
  panel->edt_Rel->SetText(u"abc");
  MainFrm->Close();
  rtl::TIniFile ini(desktop::Settings_File_Name());
  EXPECT_EQ(ini.ReadString(u"AXIS0", u"P_REL", u""), u"abc");

  // The next start reads it into the entry (the library is down by now,
  // so loading sends nothing).
  g_Axis_Config.clear();
  desktop::TMainFrmAccess::Load_Axis_Config(MainFrm);
  desktop::TMainFrmAccess::Create_Axis_Frames(MainFrm);
  panel = dynamic_cast<desktop::TAxisFrm*>(MainFrm->box_Axis->FindComponent(u"Axis0"));
  ASSERT_NE(panel, nullptr);
  EXPECT_EQ(panel->edt_Rel->Text(), u"abc");
}

TEST_F(AxisSettingsTest, AGbkSettingsFileReadsAndGrowsInGbk) {
  // "Z位" in GBK is 5A CE BB, also well-formed UTF-8 for "Zλ".
  const std::string head = "[AXIS0]\r\nCAPTION=Z\xCE\xBB\r\n";
  std::filesystem::path file = rtl::ToSysPath(desktop::Settings_File_Name());
  {
    std::ofstream out(file, std::ios::binary);
    out << head;
  }
  SimulatedController sim;
  Connect(sim, 1);
  ASSERT_EQ(g_Axis_Config.size(), 1u);
  EXPECT_EQ(g_Axis_Config[0].Axis_Caption, u"Z位");
  auto* panel = dynamic_cast<desktop::TAxisFrm*>(MainFrm->box_Axis->FindComponent(u"Axis0"));
  ASSERT_NE(panel, nullptr);
  panel->edt_Rel->SetText(u"位");
  MainFrm->Close();
  std::ifstream in(file, std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  EXPECT_EQ(bytes.str(), head + "P_REL=\xCE\xBB\r\n");
}

}  // namespace
}  // namespace desktoptest
