// The parameter dialog and the mechanics calculator.
#include <gtest/gtest.h>

#include "desktop/calc_form.h"
#include "desktop/config_form.h"
#include "tests/desktop/desktop_fixture.h"
#include "platform/runtime/exceptions.h"
#include "platform/classes/ini_files.h"
#include "desktop/settings_file.h"

#include <QWidget>

namespace desktoptest {
namespace {

using namespace ui;
using desktop::CalcFrm;
using desktop::ConfigFrm;

rtl::String Setting(int Axis, const char16_t* Key) {
  rtl::TIniFile ini(desktop::Settings_File_Name());
  return ini.ReadString(u"AXIS" + rtl::IntToStr(Axis), Key, u"<none>");
}

using ConfigTest = ProgramTest;

TEST_F(ConfigTest, NavigationSavesTheShownAxisAndLoadsTheNext) {
  WriteSettings({{1, u"CAPTION", u"Y轴"}, {1, u"ACC", u"0.25"}});
  StartProgram();
  ConfigFrm->Set_Config(1, 0);
  EXPECT_FALSE(ConfigFrm->btn_Pre->Enabled());
  EXPECT_FALSE(ConfigFrm->btn_Next->Enabled());
  EXPECT_EQ(ConfigFrm->Caption(), u"第1轴参数配置");
  EXPECT_EQ(ConfigFrm->edt_Caption->Text(), u"第1轴");
  EXPECT_EQ(ConfigFrm->edt_Acc->Text(), u"1");

  ConfigFrm->Set_Config(2, 0);
  ConfigFrm->edt_Caption->SetText(u"X轴");
  h->Click(ConfigFrm->btn_Next);
  EXPECT_EQ(Setting(0, u"CAPTION"), u"X轴");
  EXPECT_EQ(Setting(0, u"OPENSTEPS"), u"6400");
  EXPECT_EQ(Setting(0, u"VISIBLE"), u"1");
  EXPECT_EQ(ConfigFrm->Caption(), u"第2轴参数配置");
  EXPECT_EQ(ConfigFrm->edt_Caption->Text(), u"Y轴");
  EXPECT_EQ(ConfigFrm->edt_Acc->Text(), u"0.25");
  EXPECT_TRUE(ConfigFrm->btn_Pre->Enabled());
  EXPECT_FALSE(ConfigFrm->btn_Next->Enabled());
  ConfigFrm->edt_Unit->SetText(u"deg");
  h->Click(ConfigFrm->btn_Pre);
  EXPECT_EQ(Setting(1, u"UNIT"), u"deg");
  EXPECT_EQ(ConfigFrm->edt_Caption->Text(), u"X轴");
  // Without an encoder the encoder keys are neither read nor written.
  EXPECT_EQ(Setting(0, u"ENCODER_OVER_MAX"), u"<none>");

  ConfigFrm->edt_Max_V->SetText(u"2.5");
  h->Click(ConfigFrm->btn_OK);
  EXPECT_EQ(ConfigFrm->ModalResult(), mrOk);
  EXPECT_EQ(Setting(0, u"MAX_V"), u"2.5");
  h->ProcessEvents();
  h->Show(ConfigFrm);
  h->SaveScreenshot(ConfigFrm, "desktop_config_form");
}

TEST_F(ConfigTest, FactorsOfZeroOrLessAreStoredAsOne) {
  StartProgram();
  ConfigFrm->Set_Config(1, 1);
  ConfigFrm->edt_Physics->SetText(u"0");
  ConfigFrm->edt_OpenSteps->SetText(u"-5");
  ConfigFrm->edt_CloseSteps->SetText(u"800");
  ConfigFrm->edt_Over_Max->SetText(u"7");
  h->Click(ConfigFrm->btn_OK);
  EXPECT_EQ(ConfigFrm->edt_Physics->Text(), u"1");
  EXPECT_EQ(ConfigFrm->edt_OpenSteps->Text(), u"1");
  EXPECT_EQ(Setting(0, u"PHYSICS"), u"1");
  EXPECT_EQ(Setting(0, u"OPENSTEPS"), u"1");
  EXPECT_EQ(Setting(0, u"CLOSESTEPS"), u"800");
  EXPECT_EQ(Setting(0, u"ENCODER_OVER_MAX"), u"7");
}

TEST_F(ConfigTest, AnEntryThatDoesNotReadLeavesTheSectionAsItWas) {
  WriteSettings({{0, u"CAPTION", u"A"}});
  StartProgram();
  ConfigFrm->Set_Config(2, 0);
  const std::string before = ReadFile("JQHelper4.ini");
  struct Case {
    TEdit* edit;
    const char16_t* text;
  };
  const Case cases[] = {{ConfigFrm->edt_Dec, u"fast"}, {ConfigFrm->edt_CloseSteps, u"4k"},
                        {ConfigFrm->edt_Caption, u"X,Y"}, {ConfigFrm->edt_Caption, u"\"X\""}};
  for (const Case& c : cases) {
    SCOPED_TRACE(rtl::StringToUtf8(c.text));
    ConfigFrm->edt_Caption->SetText(u"B");
    const rtl::String old = c.edit->Text();
    c.edit->SetText(c.text);
    EXPECT_THROW(ConfigFrm->btn_NextClick(nullptr), rtl::EConvertError);
    EXPECT_EQ(ReadFile("JQHelper4.ini"), before);
    EXPECT_EQ(ConfigFrm->Axis_Now(), 0);
    c.edit->SetText(old);
  }
}

TEST_F(ConfigTest, TheAxisIndexFollowsAControllerWithFewerAxes) {
  StartProgram();
  ConfigFrm->Set_Config(4, 2);
  for (int i = 0; i < 3; ++i) ConfigFrm->btn_NextClick(nullptr);
  EXPECT_EQ(ConfigFrm->Axis_Now(), 3);
  ConfigFrm->Set_Config(2, 2);
  EXPECT_EQ(ConfigFrm->Axis_Now(), 1);
  EXPECT_EQ(ConfigFrm->Caption(), u"第2轴参数配置");
  EXPECT_FALSE(ConfigFrm->btn_Next->Enabled());
}

struct CalcCase {
  const char* name;
  int kind, encoder;
  bool servo;
  const char16_t *pitch, *line_ratio, *div, *ratio, *line_count;
  std::int32_t physic, open_steps, close_steps;
};

using CalcTest = ProgramTest;

TEST_F(CalcTest, WorkedExamples) {
  StartProgram();
  const CalcCase cases[] = {
      {"design values, linear with scale", 0, 0, false, u"1", u"1", u"8", u"10000", u"1000", 1, 1600, 200},
      {"design values, rotary with scale", 1, 0, false, u"1", u"1", u"8", u"10000", u"1000", 360, 192000, 259200},
      {"pitch 2.5", 0, 0, false, u"2.5", u"1", u"8", u"10000", u"1000", 25, 16000, 5000},
      {"pitch 0.25", 0, 0, false, u"0.25", u"1", u"8", u"10000", u"1000", 25, 160000, 5000},
      {"servo, pitch 5, ratio 2, motor encoder", 0, 1, true, u"5", u"2", u"8", u"10000", u"2500", 5, 20000, 10000},
  };
  for (const CalcCase& c : cases) {
    SCOPED_TRACE(c.name);
    CalcFrm->SetModalResult(mrNone);
    CalcFrm->cbb_Kind->SetItemIndex(c.kind);
    CalcFrm->cbb_Encoder->SetItemIndex(c.encoder);
    (c.servo ? CalcFrm->rb_Servo : CalcFrm->rb_Step)->SetChecked(true);
    CalcFrm->edt_Line_Pitch->SetText(c.pitch);
    CalcFrm->edt_Line_Ratio->SetText(c.line_ratio);
    CalcFrm->edt_Div->SetText(c.div);
    CalcFrm->edt_Ratio->SetText(c.ratio);
    CalcFrm->edt_LineCount->SetText(c.line_count);
    CalcFrm->btn_OKClick(nullptr);
    EXPECT_EQ(CalcFrm->ModalResult(), mrOk);
    EXPECT_EQ(CalcFrm->FPhysic, c.physic);
    EXPECT_EQ(CalcFrm->FOpenSteps, c.open_steps);
    EXPECT_EQ(CalcFrm->FCloseSteps, c.close_steps);
  }
}

TEST_F(CalcTest, ResultsBeyondThirtyTwoBitsAreRefusedAndNotStored) {
  StartProgram();
  CalcFrm->btn_OKClick(nullptr);
  ASSERT_EQ(CalcFrm->FOpenSteps, 1600);
  struct Case {
    TEdit* edit;
    const char16_t* text;
  };
  const Case cases[] = {
      {CalcFrm->edt_Div, u"20000000"},          // division x 200
      {CalcFrm->edt_Line_Ratio, u"2000000"},    // steps x ratio
      {CalcFrm->edt_Line_Pitch, u"0.1234567891"},  // no power of ten in 32 bits makes it whole
      {CalcFrm->edt_Unit_um, u"0"},
      {CalcFrm->edt_Unit_um, u"0.000001"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(rtl::StringToUtf8(c.text));
    const rtl::String old = c.edit->Text();
    c.edit->SetText(c.text);
    CalcFrm->SetModalResult(mrNone);
    EXPECT_THROW(CalcFrm->btn_OKClick(nullptr), rtl::Exception);
    EXPECT_EQ(CalcFrm->ModalResult(), mrNone);
    EXPECT_EQ(CalcFrm->FPhysic, 1);
    EXPECT_EQ(CalcFrm->FOpenSteps, 1600);
    EXPECT_EQ(CalcFrm->FCloseSteps, 200);
    c.edit->SetText(old);
  }
}

TEST_F(CalcTest, InputsFollowTheKindsAndAreRemembered) {
  StartProgram();
  struct Case {
    int kind, encoder;
    bool pitch, circle, unit, lines, grating;
  };
  const Case cases[] = {{0, 0, true, false, true, false, false},
                        {0, 1, true, false, false, true, false},
                        {1, 0, false, true, false, false, true},
                        {1, 1, false, true, false, true, false}};
  for (const Case& c : cases) {
    CalcFrm->cbb_Kind->SetItemIndex(c.kind);
    CalcFrm->cbb_KindChange(nullptr);
    CalcFrm->cbb_Encoder->SetItemIndex(c.encoder);
    CalcFrm->cbb_EncoderChange(nullptr);
    SCOPED_TRACE(c.kind * 10 + c.encoder);
    EXPECT_EQ(CalcFrm->edt_Line_Pitch->Enabled(), c.pitch);
    EXPECT_EQ(CalcFrm->edt_Line_Ratio->Enabled(), c.pitch);
    EXPECT_EQ(CalcFrm->edt_Circle_Ratio->Enabled(), c.circle);
    EXPECT_EQ(CalcFrm->edt_Unit_um->Enabled(), c.unit);
    EXPECT_EQ(CalcFrm->edt_LineCount->Enabled(), c.lines);
    EXPECT_EQ(CalcFrm->edt_GratingCount->Enabled(), c.grating);
    EXPECT_TRUE(CalcFrm->edt_Div->Enabled());
    EXPECT_TRUE(CalcFrm->edt_Ratio->Enabled());
  }
  CalcFrm->edt_Line_Pitch->SetText(u"2.5");
  CalcFrm->rb_Servo->SetChecked(true);
  CalcFrm->FormDestroy(nullptr);
  rtl::TIniFile ini(desktop::Remembered_State_File_Name());
  EXPECT_EQ(ini.ReadString(u"CalcFrm_Properties", u"edt_Line_Pitch.Text", u""), u"2.5");
  EXPECT_EQ(ini.ReadString(u"CalcFrm_Properties", u"rb_Servo.Checked", u""), u"True");
  EXPECT_EQ(ini.ReadString(u"CalcFrm_Properties", u"cbb_Kind.ItemIndex", u""), u"1");
  CalcFrm->edt_Line_Pitch->SetText(u"9");
  CalcFrm->cbb_Kind->SetItemIndex(0);
  h->Show(CalcFrm);
  EXPECT_FALSE(CalcFrm->edt_Angle->Widget()->isVisible());
  EXPECT_EQ(CalcFrm->edt_Line_Pitch->Text(), u"2.5");
  EXPECT_EQ(CalcFrm->cbb_Kind->ItemIndex(), 1);
  EXPECT_FALSE(CalcFrm->edt_Line_Pitch->Enabled());
  h->ProcessEvents();
  h->SaveScreenshot(CalcFrm, "desktop_calc_form");
}

}  // namespace
}  // namespace desktoptest
