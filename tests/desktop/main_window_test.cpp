// Start-up, the main window, its tool bar and shut-down, against the
// controller simulator.
#include <gtest/gtest.h>

#include <QImage>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <vector>

#include <sys/stat.h>

#include "include/JQ_API.h"
#include "desktop/auto_form.h"
#include "desktop/config_form.h"
#include "tests/desktop/desktop_fixture.h"
#include "platform/runtime/files.h"
#include "platform/classes/ini_files.h"
#include "desktop/input_form.h"
#include "desktop/main_form.h"
#include "desktop/output_form.h"
#include "desktop/run_all_form.h"
#include "desktop/settings_file.h"
#include "tests/sim/sim.h"
#include "platform/runtime/registry.h"
#include "tests/platform/runtime/runtime_test_util.h"

namespace desktoptest {
namespace {

using namespace ui;
using desktop::MainFrm;
using desktop::TMainFrm;

// The distance entry of an axis panel; remembers whether the device library
// was still up when shut-down read it.
class RecordingEdit : public TEdit {
 public:
  using TEdit::TEdit;
  mutable std::vector<int> hidInitAtRead;

 protected:
  String GetText() const override {
    hidInitAtRead.push_back(jqsim::HidInitCount());
    return TEdit::GetText();
  }
};

// What shut-down sees of an axis panel: a frame named "Axis<i>" in the axis
// area that owns the distance entry "edt_Rel".
RecordingEdit* AddAxisPanel(TMainFrm* form, int index, const String& distance) {
  auto* frame = new TFrame(form->box_Axis);
  frame->SetName(u"Axis" + rtl::IntToStr(index));
  frame->SetParent(form->box_Axis);
  frame->SetBounds(5, 5 + index * 69, 400, 69);
  auto* edit = new RecordingEdit(frame);
  edit->SetName(u"edt_Rel");
  edit->SetParent(frame);
  edit->SetText(distance);
  edit->hidInitAtRead.clear();
  return edit;
}

using MainWindowTest = ProgramTest;

TEST_F(MainWindowTest, StartUpCreatesTheWindowsInOrderWithTheMainWindowFirst) {
  StartProgram();
  const char* expected[] = {"TMainFrm",         "TSaveRegFrm",      "TBoardPortFrm",   "TStream_LineXFrm",
                            "TStream_CircleFrm", "TStream_DelayFrm", "TStream_OCFrm",   "TStream_OpticFrm",
                            "TConfigFrm",        "TCalcFrm",         "TRunAllFrm",      "TAutoFrm",
                            "TrsFrm",            "TInputFrm",        "TOutputFrm"};
  ASSERT_EQ(Application->ComponentCount(), 15);
  for (int i = 0; i < 15; ++i) {
    EXPECT_EQ(rtl::StringToUtf8(Application->Components(i)->ClassName()), expected[i]) << i;
    // Each window is reachable by its class name without the leading T.
    EXPECT_EQ(rtl::StringToUtf8(Application->Components(i)->Name()), std::string(expected[i] + 1)) << i;
  }
  EXPECT_EQ(Application->MainForm(), MainFrm);
  EXPECT_EQ(MainFrm->Caption(), u"JQHelper");
  // Nothing is shown and the library is untouched until the message loop shows the main window.
  EXPECT_EQ(jqsim::HidInitCount(), 0);
  for (int i = 0; i < 15; ++i) EXPECT_FALSE(static_cast<TControl*>(Application->Components(i))->Visible()) << i;
}

// Files the program reads at start that it cannot use cost what they hold,
// not the start: the program says so once and reaches its main window, and
// a file it could not read is left as it was.
TEST_F(MainWindowTest, StartUpSurvivesFilesItCannotUse) {
  const std::filesystem::path state = rtl::ToSysPath(desktop::Remembered_State_File_Name());
  struct Case {
    const char* name;
    std::function<void()> spoil;
  } cases[] = {
      {"a serial port entry too long to read",
       [] { rtl::RegistryTestAddSerialPort(u"\\Device\\Serial0", u"/dev/" + rtl::String(300, u'x')); }},
      {"a remembered-state file that is a folder", [&] { std::filesystem::create_directories(state / "inner"); }},
      {"a remembered-state file that is a FIFO", [&] { ::mkfifo(state.c_str(), 0600); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    c.spoil();
    const std::string before = rtl_test::Snapshot(state.string());
    h->AnswerMessageBox(IDOK);
    ASSERT_NO_THROW(StartProgram());
    ASSERT_NE(MainFrm, nullptr);
    h->Show(MainFrm);
    EXPECT_TRUE(MainFrm->Visible());
    auto boxes = h->TakeMessageBoxes();
    EXPECT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].Caption, u"警告");
    MainFrm->Close();
    Restart();
    if (before != "<missing>") EXPECT_EQ(rtl_test::Snapshot(state.string()), before);
    h->TakeMessageBoxes();
    std::filesystem::remove_all(state);
    rtl::RegistryTestClearSerialPorts();
  }
}

TEST_F(MainWindowTest, ProgramRunsItsMessageLoopUntilTheMainWindowCloses) {
  StartProgram();
  bool seen = false;
  h->Post([&seen] {
    seen = MainFrm->Showing() && MainFrm->status_Main->Showing() && MainFrm->KitVersionInfoStatus2->Showing() &&
           jqsim::HidInitCount() == 1;
    MainFrm->Close();
  });
  Application->Run();
  EXPECT_TRUE(seen);
  EXPECT_EQ(jqsim::HidInitCount(), 0);
}

TEST_F(MainWindowTest, LibraryStartsWhenShownAndNotAgainWhenRestored) {
  StartProgram();
  h->Show(MainFrm);
  EXPECT_EQ(jqsim::HidInitCount(), 1);
  // Shut the library down behind the window's back: a second JQ_Init would
  // start hidapi again.
  JQ_DeInit();
  ASSERT_EQ(jqsim::HidInitCount(), 0);
  h->MinimiseAndRestore(MainFrm);
  EXPECT_EQ(jqsim::HidInitCount(), 0);
}

struct CompanyCase {
  const char* name;
  const char* file;  // nullptr: no company.txt
  bool shown;
  const char* caption;
};

TEST_F(MainWindowTest, CompanyNameShowsOnlyWhenLongerThanSixCharacters) {
  const CompanyCase cases[] = {
      {"no file", nullptr, false, ""},
      {"empty file", "", false, ""},
      {"six characters", "ABCDEF\r\n", false, ""},
      {"seven characters", "ABCDEFG\r\n", true, "ABCDEFG"},
      {"leading blanks trimmed", "   ABCDEFG\r\nsecond line\r\n", true, "ABCDEFG"},
      {"six after trimming", " \tABCDEF \r\n", false, ""},
      {"only the first line counts", "ABC\r\nABCDEFGHIJ\r\n", false, ""},
      {"Chinese name in GBK", "\xC4\xB3\xC4\xB3\xD7\xD4\xB6\xAF\xBB\xAF\xB9\xAB\xCB\xBE\n", true, "\xE6\x9F\x90\xE6\x9F\x90\xE8\x87\xAA\xE5\x8A\xA8\xE5\x8C\x96\xE5\x85\xAC\xE5\x8F\xB8"},
      {"Chinese name in UTF-8 with its mark", "\xEF\xBB\xBF\xE6\x9F\x90\xE6\x9F\x90\xE8\x87\xAA\xE5\x8A\xA8\xE5\x8C\x96\xE5\x85\xAC\xE5\x8F\xB8\n", true, "\xE6\x9F\x90\xE6\x9F\x90\xE8\x87\xAA\xE5\x8A\xA8\xE5\x8C\x96\xE5\x85\xAC\xE5\x8F\xB8"},
  };
  for (const CompanyCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove(dir / "company.txt");
    if (c.file) WriteFile("company.txt", c.file);
    auto* form = h->MakeForm<TMainFrm>();
    EXPECT_EQ(form->lbl_Company->Visible(), c.shown);
    if (c.shown) {
      EXPECT_EQ(rtl::StringToUtf8(form->lbl_Company->Caption()), c.caption);
    }
    Free(form);
  }
}

TEST_F(MainWindowTest, LogoShownFromAPictureAndHiddenOtherwise) {
  // No logo: the picture is hidden and the buttons start further left.
  auto* plain = h->MakeForm<TMainFrm>();
  EXPECT_FALSE(plain->img_Logo->Visible());
  int scanLeftWithout = plain->btn_Scan->Left();
  Free(plain);

  {
    TBitmap logo(40, 30);
    logo.Canvas()->Brush()->SetColor(clRed);
    logo.Canvas()->FillRect(Rect(0, 0, 40, 30));
    logo.SaveToFile(u"logo.bmp");
  }
  auto* branded = h->MakeForm<TMainFrm>();
  EXPECT_TRUE(branded->img_Logo->Visible());
  EXPECT_EQ(branded->img_Logo->Picture()->Width(), 40);
  EXPECT_EQ(branded->btn_Scan->Left(), scanLeftWithout + branded->img_Logo->Width());
  Free(branded);

  // A file of that name that is no picture costs the logo, not the start.
  WriteFile("logo.bmp", "this is not a bitmap");
  TMainFrm* broken = nullptr;
  ASSERT_NO_THROW(broken = h->MakeForm<TMainFrm>());
  EXPECT_FALSE(broken->img_Logo->Visible());
  EXPECT_EQ(broken->btn_Scan->Left(), scanLeftWithout);
  Free(broken);
}

TEST_F(MainWindowTest, HaltAllReachesTheControllerAndIsSilentWithoutOne) {
  SimulatedController sim;
  StartProgram();
  h->Show(MainFrm);
  // Not connected: the library refuses, and the window shows nothing (the
  // harness fails on any message box).
  h->Click(MainFrm->btn_HaltAll);
  EXPECT_FALSE(SimulatedController::Has(sim.Log(), 118));

  ASSERT_EQ(JQ_Open_USB(), 0);
  sim.controller.ClearLog();
  h->Click(MainFrm->btn_HaltAll);
  std::vector<jqsim::LoggedRequest> log = sim.Log();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].code, 118);
  MainFrm->Close();
}

TEST_F(MainWindowTest, CloseSavesDistancesThenStopsTimersAndShutsTheLibraryDown) {
  SimulatedController sim;
  StartProgram();
  h->Show(MainFrm);
  ASSERT_EQ(JQ_Open_USB(), 0);
  RecordingEdit* axis0 = AddAxisPanel(MainFrm, 0, u"2.5");
  RecordingEdit* axis1 = AddAxisPanel(MainFrm, 1, u"abc");

  // A window timer that polls the controller, as the axis panels and the
  // input window do.
  auto* poll = new TTimer(desktop::InputFrm);
  poll->SetInterval(1000);
  int polls = 0;
  poll->OnTimer = [&polls](TObject*) {
    ++polls;
    int32_t steps = 0;
    JQ_Get_Axis_Software_P_Now(0, &steps);
  };
  h->Advance(1000);
  ASSERT_EQ(polls, 1);

  MainFrm->Close();
  EXPECT_TRUE(Application->Terminated());
  EXPECT_EQ(jqsim::HidInitCount(), 0);
  // Each distance was read while the library was still up.
  EXPECT_EQ(axis0->hidInitAtRead, std::vector<int>{1});
  EXPECT_EQ(axis1->hidInitAtRead, std::vector<int>{1});

  rtl::TIniFile ini(desktop::Settings_File_Name());
  EXPECT_EQ(ini.ReadString(u"AXIS0", u"P_REL", u""), u"2.5");
  EXPECT_EQ(ini.ReadString(u"AXIS1", u"P_REL", u""), u"abc");
  // Written from the last panel to the first.
  std::string text = ReadFile("JQHelper4.ini");
  EXPECT_LT(text.find("[Axis1]"), text.find("[Axis0]")) << text;

  // After the library is down nothing reaches it any more.
  size_t requests = sim.Log().size();
  EXPECT_FALSE(poll->Enabled());
  h->Advance(5000);
  EXPECT_EQ(polls, 1);
  EXPECT_EQ(sim.Log().size(), requests);
}

TEST_F(MainWindowTest, CloseWithoutPanelsWritesNothing) {
  StartProgram();
  h->Show(MainFrm);
  ASSERT_EQ(jqsim::HidInitCount(), 1);
  MainFrm->Close();
  EXPECT_EQ(jqsim::HidInitCount(), 0);
  EXPECT_FALSE(std::filesystem::exists(dir / "JQHelper4.ini"));
}

TEST_F(MainWindowTest, UnwritableSettingsLoseTheDistanceButTheLibraryStillShutsDown) {
  desktop::Set_Settings_Folder(rtl::FromSysPath((dir / "missing" / "folder").string()));
  StartProgram();
  h->Show(MainFrm);
  AddAxisPanel(MainFrm, 0, u"7");
  EXPECT_NO_THROW(MainFrm->Close());
  EXPECT_TRUE(Application->Terminated());
  EXPECT_EQ(jqsim::HidInitCount(), 0);
}

TEST_F(MainWindowTest, ButtonsBeforeAnyConnect) {
  StartProgram();
  h->Show(MainFrm);
  // Without axes the parameter, start-several and auto-run commands do
  // nothing (no window, no modal loop).
  h->Click(MainFrm->btn_Setup);
  h->Click(MainFrm->btn_RunAll);
  h->Click(MainFrm->btn_Auto);
  h->Click(MainFrm->btn_StopAll);
  EXPECT_FALSE(desktop::ConfigFrm->Visible());
  EXPECT_FALSE(desktop::RunAllFrm->Visible());
  EXPECT_FALSE(desktop::AutoFrm->Visible());
  // The input and output windows open empty, without waiting.
  desktop::InputFrm->F_Optic_In_Max = 5;
  h->Click(MainFrm->btn_Input);
  EXPECT_TRUE(desktop::InputFrm->Visible());
  EXPECT_EQ(desktop::InputFrm->F_Optic_In_Max, 0);
  h->Click(MainFrm->btn_Output);
  EXPECT_TRUE(desktop::OutputFrm->Visible());
  EXPECT_EQ(Application->ModalLevel(), 0);
  MainFrm->Close();
}

TEST_F(MainWindowTest, MainWindowShowsToolBarAxisAreaAndStatusBar) {
  WriteFile("company.txt", "\xE6\x9F\x90\xE6\x9F\x90\xE8\x87\xAA\xE5\x8A\xA8\xE5\x8C\x96\xE6\x9C\x89\xE9\x99\x90"
                           "\xE5\x85\xAC\xE5\x8F\xB8\r\n");
  {
    TBitmap logo(52, 52);
    logo.Canvas()->Brush()->SetColor(clNavy);
    logo.Canvas()->FillRect(Rect(0, 0, 52, 52));
    logo.SaveToFile(u"logo.bmp");
  }
  StartProgram();
  h->Show(MainFrm);
  EXPECT_EQ(MainFrm->WindowState(), wsMaximized);
  EXPECT_TRUE(MainFrm->img_Logo->Visible());
  EXPECT_TRUE(MainFrm->lbl_Company->Visible());

  TToolBar* bar = MainFrm->tlb_System;
  EXPECT_EQ(bar->Align(), alTop);
  struct Button {
    TToolButton* button;
    const char16_t* caption;
    int image;
  };
  const Button buttons[] = {
      {MainFrm->btn_Scan, u"连接设备", 8},   {MainFrm->btn_Setup, u"系统配置", 6},
      {MainFrm->btn_RunAll, u"同时启动", 16}, {MainFrm->btn_StopAll, u"停止", 11},
      {MainFrm->btn_HaltAll, u"急停", 17},    {MainFrm->btn_Auto, u"自动运行", 15},
      {MainFrm->btn_Input, u"输入信号", 18},  {MainFrm->btn_Output, u"输出控制", 19},
  };
  int left = -1;
  for (const Button& b : buttons) {
    EXPECT_EQ(b.button->Caption(), b.caption);
    EXPECT_EQ(b.button->ImageIndex(), b.image);
    EXPECT_LT(b.button->ImageIndex(), MainFrm->il_Main->Count());
    EXPECT_EQ(b.button->Width(), 55);
    EXPECT_EQ(b.button->Height(), 52);
    EXPECT_GT(b.button->Left(), left);
    left = b.button->Left();
  }

  EXPECT_TRUE(MainFrm->status_Main->Visible());
  EXPECT_EQ(MainFrm->status_Main->Align(), alBottom);
  EXPECT_EQ(MainFrm->status_Main->Height(), 19);
  EXPECT_EQ(MainFrm->status_Main->Top() + 19, MainFrm->ClientHeight());
  EXPECT_EQ(MainFrm->msg_Main->Align(), alClient);
  EXPECT_FALSE(MainFrm->KitVersionInfoStatus1->Visible());
  EXPECT_EQ(MainFrm->KitVersionInfoStatus1->Field(), kit::vifCompanyName);
  EXPECT_TRUE(MainFrm->KitVersionInfoStatus2->Visible());
  EXPECT_EQ(MainFrm->KitVersionInfoStatus2->Width(), 145);
  EXPECT_EQ(MainFrm->KitVersionInfoStatus2->FieldLabel(), u"Ver:");
  // The balloon hint sits up-left of the cursor with left-aligned text; a
  // confirmation with a title shows as a balloon and hides after the pause.
  ASSERT_NE(MainFrm->hint_Motor, nullptr);
  EXPECT_EQ(MainFrm->hint_Motor->HintPosition(), aux::hpUpLeft);
  EXPECT_EQ(MainFrm->hint_Motor->Alignment(), taLeftJustify);
  EXPECT_EQ(MainFrm->hint_Motor->HintStyle(), aux::hsAuto);
  MainFrm->hint_Motor->ActivateHintFromPos({400, 400}, u"指令已发送!", u"提示:", 0);
  EXPECT_EQ(MainFrm->hint_Motor->HintWindow()->Layout().Position, aux::hpUpLeft);
  EXPECT_EQ(MainFrm->hint_Motor->HintWindow()->Layout().Tail.size(), 3u);
  EXPECT_TRUE(MainFrm->hint_Motor->HintWindow()->IsHintShown());
  h->Advance(2500);
  EXPECT_FALSE(MainFrm->hint_Motor->HintWindow()->IsHintShown());
  // The version pane shows the program's file version (read here from the
  // built program, since the test executable carries none).
  MainFrm->KitVersionInfo1->SetFilePath(rtl::FromSysPath(JQ_PROGRAM_FILE));
  EXPECT_EQ(rtl::StringToUtf8(MainFrm->KitVersionInfoStatus2->Caption()), JQ_PROGRAM_VERSION);
  MainFrm->msg_Main->SetCaption(u"Model=JQ-TEST/SN=000000000000000000000000/Ver=1.0.0.7/Motor=4");
  EXPECT_EQ(MainFrm->box_Axis->Top(), bar->Height());
  EXPECT_EQ(MainFrm->box_Axis->Top() + MainFrm->box_Axis->Height(), MainFrm->status_Main->Top());

  h->ProcessEvents();
  std::string path = h->SaveScreenshot(MainFrm, "desktop_main_window");
  QImage shot(QString::fromStdString(path));
  ASSERT_FALSE(shot.isNull());
  // The captions under the pictures are drawn: dark text pixels below each
  // button's picture (the offscreen screen is narrower than the bar).
  int checked = 0;
  for (const Button& b : buttons) {
    if (b.button->Left() + 55 > shot.width()) continue;
    ++checked;
    int ink = 0;
    for (int y = b.button->Top() + 36; y < b.button->Top() + 52; ++y)
      for (int x = b.button->Left(); x < b.button->Left() + 55; ++x)
        if (qGray(shot.pixel(x, y)) < 100) ++ink;
    EXPECT_GT(ink, 20) << rtl::StringToUtf8(b.caption);
  }
  EXPECT_GE(checked, 6);
  // The company name is drawn in blue.
  int blue = 0;
  TRect r = MainFrm->lbl_Company->BoundsRect();
  for (int y = r.Top; y < r.Bottom; ++y)
    for (int x = r.Left; x < r.Right; ++x) {
      QColor c = shot.pixelColor(x, y);
      if (c.blue() > 150 && c.red() < 120 && c.green() < 120) ++blue;
    }
  EXPECT_GT(blue, 200);
  MainFrm->Close();
}

}  // namespace
}  // namespace desktoptest
