// The axis panels: what each button sends, the display tick, the jog's
// every way of ending, and the start-several dialog.
#include <gtest/gtest.h>

#include <QImage>

#include "include/JQ_API.h"
#include "desktop/axis_config.h"
#include "desktop/axis_form.h"
#include "tests/desktop/desktop_fixture.h"
#include "platform/classes/ini_files.h"
#include "desktop/main_form.h"
#include "desktop/run_all_form.h"
#include "desktop/run_config_form.h"
#include "desktop/settings_file.h"

namespace desktoptest {
namespace {

using namespace ui;
using desktop::g_Axis_Config;
using desktop::MainFrm;
using desktop::TAxisFrm;
using Request = SimulatedController::Request;

// Every motion command a panel sends (the display polls 121, 120 and 901
// are left out).
const std::initializer_list<int> kMotion = {106, 107, 109, 110, 112, 114, 115, 116, 117, 122, 124, 125, 126,
                                            174, 175, 179, 180, 184, 185, 902};


TAxisFrm* Panel(int Index) {
  return dynamic_cast<TAxisFrm*>(MainFrm->box_Axis->FindComponent(u"Axis" + rtl::IntToStr(Index)));
}

using AxisPanelTest = ProgramTest;

TEST_F(AxisPanelTest, PanelsFollowTheVisibleAxesInOrder) {
  WriteSettings({{1, u"VISIBLE", u"0"}, {2, u"CAPTION", u"Z轴"}, {2, u"P_REL", u"2.5"}});
  SimulatedController sim;
  Connect(sim, 3);
  TScrollBox* box = MainFrm->box_Axis;
  ASSERT_EQ(box->ControlCount(), 2);
  auto* first = dynamic_cast<TAxisFrm*>(box->Controls(0));
  auto* second = dynamic_cast<TAxisFrm*>(box->Controls(1));
  ASSERT_TRUE(first && second);
  EXPECT_EQ(first->Name(), u"Axis0");
  EXPECT_EQ(second->Name(), u"Axis2");
  EXPECT_EQ(second->grp_Ch->Tag(), 2);
  EXPECT_EQ(first->BoundsRect(), Rect(5, 5, 5 + 1051, 5 + 69));
  EXPECT_EQ(second->Top(), 5 + 69);
  EXPECT_EQ(first->btn_Pos_Rel->Caption(), u"第1轴单步");
  EXPECT_EQ(second->btn_Pos_Rel->Caption(), u"Z轴单步");
  EXPECT_EQ(second->edt_Rel->Text(), u"2.5");
  EXPECT_EQ(first->pnl_Dir->Color(), clLime);
  EXPECT_EQ(first->pnl_Dir->Caption(), u"正");
  EXPECT_TRUE(g_Axis_Config[0].bDirP);
  // A rebuild replaces the panels and puts the direction back to positive.
  h->Click(first->pnl_Dir);
  EXPECT_FALSE(g_Axis_Config[0].bDirP);
  desktop::TMainFrmAccess::Create_Axis_Frames(MainFrm);
  ASSERT_EQ(box->ControlCount(), 2);
  EXPECT_TRUE(g_Axis_Config[0].bDirP);
  EXPECT_EQ(Panel(0)->pnl_Dir->Color(), clLime);

  h->ProcessEvents();
  h->SaveScreenshot(Panel(0), "desktop_axis_panel");
  MainFrm->Close();
}

// Counts the watched components as they are freed.
class FreeWatch : public TComponent {
 public:
  FreeWatch() : TComponent(nullptr) {}
  void Watch(TComponent* Component) { Component->FreeNotification(this); }
  int Freed() const { return freed_; }

 protected:
  void Notification(TComponent* Component, TOperation Operation) override {
    TComponent::Notification(Component, Operation);
    if (Operation == opRemove) ++freed_;
  }

 private:
  int freed_ = 0;
};

// The parameter command rebuilds the panels after every use of its dialog:
// panels of the same axes are kept (new ones each time made the program
// grow) and set up again from the settings as new ones would be.
TEST_F(AxisPanelTest, RebuildsKeepThePanelsOfTheSameAxesAndSetThemUpAgain) {
  WriteSettings({{1, u"VISIBLE", u"0"}});
  SimulatedController sim;
  Connect(sim, 3);
  TScrollBox* box = MainFrm->box_Axis;
  TAxisFrm* first = Panel(0);
  TAxisFrm* third = Panel(2);
  ASSERT_TRUE(first && third);
  FreeWatch watch;
  watch.Watch(first);
  watch.Watch(third);
  h->Click(first->pnl_Dir);
  ASSERT_EQ(first->pnl_Dir->Caption(), u"反");
  ASSERT_FALSE(g_Axis_Config[0].bDirP);
  first->edt_Rel->SetText(u"7");
  WriteSettings({{0, u"P_REL", u"2.5"}, {2, u"CAPTION", u"Z轴"}});

  for (int i = 0; i < 50; ++i) {
    desktop::TMainFrmAccess::Load_Axis_Config(MainFrm);
    desktop::TMainFrmAccess::Create_Axis_Frames(MainFrm);
  }
  h->ProcessEvents();
  EXPECT_EQ(watch.Freed(), 0);
  ASSERT_EQ(box->ControlCount(), 2);
  EXPECT_EQ(box->Controls(0), first);
  EXPECT_EQ(box->Controls(1), third);
  EXPECT_EQ(first->pnl_Dir->Color(), clLime);
  EXPECT_EQ(first->pnl_Dir->Caption(), u"正");
  EXPECT_TRUE(g_Axis_Config[0].bDirP);
  EXPECT_EQ(first->edt_Rel->Text(), u"2.5");
  EXPECT_EQ(third->btn_Pos_Rel->Caption(), u"Z轴单步");
  EXPECT_EQ(first->BoundsRect(), Rect(5, 5, 5 + 1051, 5 + 69));
  EXPECT_EQ(third->Top(), 5 + 69);
  EXPECT_TRUE(first->Visible() && third->Visible());

  // An axis shown again: the panels follow the visible axes in order.
  WriteSettings({{1, u"VISIBLE", u"1"}});
  desktop::TMainFrmAccess::Load_Axis_Config(MainFrm);
  desktop::TMainFrmAccess::Create_Axis_Frames(MainFrm);
  EXPECT_EQ(watch.Freed(), 2);
  ASSERT_EQ(box->ControlCount(), 3);
  for (int i = 0; i < 3; ++i) {
    auto* panel = dynamic_cast<TAxisFrm*>(box->Controls(i));
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->Name(), u"Axis" + rtl::IntToStr(i));
    EXPECT_EQ(panel->grp_Ch->Tag(), i);
    EXPECT_EQ(panel->Top(), 5 + 69 * i);
  }
  EXPECT_EQ(Panel(2)->btn_Pos_Rel->Caption(), u"Z轴单步");
  MainFrm->Close();
}

TEST_F(AxisPanelTest, ButtonsSendTheirCommandSequences) {
  SimulatedController sim;
  Connect(sim, 2);
  TAxisFrm* p = Panel(1);
  ASSERT_NE(p, nullptr);
  struct Case {
    const char* name;
    std::function<void()> act;
    std::vector<Request> expected;
  };
  const Case cases[] = {
      {"step forward", [&] { h->Click(p->btn_Pos_Rel); },
       {{107, 1, 0}, {184, 1, 6400}, {185, 1, 6400}, {112, 1, 6400}, {115, 1, 6400}}},
      {"typed sign is ignored", [&] { p->edt_Rel->SetText(u"-2"); h->Click(p->btn_Pos_Rel); },
       {{107, 1, 0}, {184, 1, 6400}, {185, 1, 6400}, {112, 1, 6400}, {115, 1, 12800}}},
      {"step backward", [&] { p->edt_Rel->SetText(u"1"); h->Click(p->pnl_Dir); h->Click(p->btn_Pos_Rel); },
       {{107, 1, 0}, {184, 1, 6400}, {185, 1, 6400}, {112, 1, 6400}, {115, 1, -6400}}},
      {"home backward", [&] { h->Click(p->btn_Home); },
       {{124, 1, 0}, {174, 1, 6400}, {175, 1, 6400}, {125, 1, -6400}}},
      {"jog backward, left button", [&] { h->MouseDown(p->btn_Neg); h->MouseUp(p->btn_Neg); },
       {{106, 1, 0}, {179, 1, 6400}, {180, 1, 6400}, {109, 1, -6400}, {110, 1, 0}}},
      {"home forward", [&] { h->Click(p->pnl_Dir); h->Click(p->btn_Home); },
       {{124, 1, 0}, {174, 1, 6400}, {175, 1, 6400}, {125, 1, 6400}}},
      {"jog forward, right button",
       [&] { h->MouseDown(p->btn_Neg, {}, mbRight); h->MouseUp(p->btn_Neg, {}, mbRight); },
       {{106, 1, 0}, {179, 1, 6400}, {180, 1, 6400}, {109, 1, 6400}, {110, 1, 0}}},
      {"move to zero", [&] { h->Click(p->btn_Pos_Abs); },
       {{107, 1, 0}, {184, 1, 6400}, {185, 1, 6400}, {112, 1, 6400}, {114, 1, 0}}},
      {"zero in open loop", [&] { h->Click(p->btn_Zero); }, {{122, 1, 0}}},
      {"halt", [&] { p->btn_Set_HaltClick(p); }, {{117, 1, 0}}},
      {"stop", [&] { p->btn_Set_StopClick(p); }, {{126, 1, 0}, {110, 1, 0}, {116, 1, 0}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    sim.controller.ClearLog();
    c.act();
    EXPECT_EQ(sim.Requests(kMotion), c.expected);
    EXPECT_TRUE(h->TakeMessageBoxes().empty());
  }
  MainFrm->Close();
}

TEST_F(AxisPanelTest, ClosedLoopUsesClosedPositionModeAndZeroesTheEncoder) {
  WriteSettings({{0, u"OPEN_MODE", u"0"}, {0, u"MAX_V", u"-2"}, {0, u"ACC", u"0.5"}, {0, u"PHYSICS", u"2"}});
  SimulatedController sim;
  Connect(sim, 1);
  TAxisFrm* p = Panel(0);
  h->Click(p->btn_Pos_Rel);
  // A negative speed in the settings still gives a positive maximum speed;
  // the relative step keeps the motor-step factor in closed loop too.
  std::vector<Request> step = {{107, 0, 1}, {184, 0, 1600}, {185, 0, 3200}, {112, 0, 6400}, {115, 0, 3200}};
  EXPECT_EQ(sim.Requests(kMotion), step);
  sim.controller.ClearLog();
  h->Click(p->btn_Zero);
  EXPECT_EQ(sim.Requests(kMotion), (std::vector<Request>{{902, 0, 0}}));
  MainFrm->Close();
}

TEST_F(AxisPanelTest, DistancesThatCannotBeSentSendNothing) {
  WriteSettings({{0, u"OPENSTEPS", u"6000000"}, {0, u"UNIT", u"deg"}});
  SimulatedController sim;
  Connect(sim, 1);
  TAxisFrm* p = Panel(0);
  struct Case {
    const char16_t* text;
    const char16_t* message;
  };
  const Case cases[] = {{u"360", u"360 deg"}, {u"1e40", u"deg"}, {u"abc", u"abc"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(rtl::StringToUtf8(c.text));
    p->edt_Rel->SetText(c.text);
    h->AnswerMessageBox(IDOK);
    h->Click(p->btn_Pos_Rel);
    EXPECT_TRUE(sim.Requests(kMotion).empty());
    auto boxes = h->TakeMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].Text.find(c.message), rtl::String::npos) << rtl::StringToUtf8(boxes[0].Text);
  }
  // 357 degrees fit.
  p->edt_Rel->SetText(u"357");
  h->Click(p->btn_Pos_Rel);
  EXPECT_EQ(std::get<2>(sim.Requests(kMotion).back()), 2142000000);
  MainFrm->Close();
}

TEST_F(AxisPanelTest, DisplayShowsPositionsInUnitsEverySecond) {
  WriteSettings({{0, u"UNIT", u"mm"}});
  SimulatedController sim;
  Connect(sim, 2);
  TAxisFrm* p = Panel(0);
  sim.controller.SetValue(120, 0, 1000);
  sim.controller.SetValue(901, 0, -2000);
  h->Advance(999);
  EXPECT_EQ(p->edt_Show_Software->Text(), u"");
  EXPECT_TRUE(sim.Requests({121, 120, 901}).empty());
  h->Advance(1);
  EXPECT_EQ(p->edt_Show_Software->Text(), u"0.156250 mm");
  EXPECT_EQ(p->edt_Show_Encoder->Text(), u"-0.500000 mm");
  EXPECT_EQ(p->pnl_Run->Color(), clBtnFace);
  // Three reads per panel per tick, in this order.
  std::vector<Request> polls = sim.Requests({121, 120, 901});
  ASSERT_EQ(polls.size(), 6u);
  EXPECT_EQ(std::get<0>(polls[0]), 121);
  EXPECT_EQ(std::get<0>(polls[1]), 120);
  EXPECT_EQ(std::get<0>(polls[2]), 901);

  // A running axis lights the lamp at the next tick; typed text is overwritten.
  p->edt_Show_Software->SetText(u"typed");
  h->MouseDown(p->btn_Neg);
  h->Advance(1000);
  EXPECT_EQ(p->pnl_Run->Color(), clLime);
  EXPECT_NE(p->edt_Show_Software->Text(), u"typed");
  h->MouseUp(p->btn_Neg);

  // A failed read keeps what is shown.
  sim.controller.SetStatus(120, 1);
  sim.controller.SetValue(901, 0, 4000);
  h->Advance(1000);
  EXPECT_EQ(p->edt_Show_Encoder->Text(), u"1.000000 mm");
  std::string before = rtl::StringToUtf8(p->edt_Show_Software->Text());
  h->Advance(1000);
  EXPECT_EQ(rtl::StringToUtf8(p->edt_Show_Software->Text()), before);
  sim.controller.SetStatus(120, 0);

  // Without factors the display shows a dash instead of dividing by zero,
  // and it keeps refreshing.
  g_Axis_Config[0].OpenSteps = 0;
  g_Axis_Config[0].CloseSteps = 0;
  h->Advance(1000);
  EXPECT_EQ(p->edt_Show_Software->Text(), u"-");
  EXPECT_EQ(p->edt_Show_Encoder->Text(), u"-");
  EXPECT_TRUE(p->tmr_Axis->Enabled());
  MainFrm->Close();
}

// A position shows from its first character and whole, however long it is;
// the picture of the panel is saved for a look.
TEST_F(AxisPanelTest, PositionsReadWholeFromTheirFirstCharacter) {
  SimulatedController sim;
  Connect(sim, 1);
  TAxisFrm* p = Panel(0);
  const struct {
    std::int32_t steps;
    const char16_t* text;
  } cases[] = {
      {0, u"0.000000 mm"},
      {26966, u"4.213438 mm"},
      {80000, u"12.500000 mm"},
      {-79012345, u"-12345.678906 mm"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(rtl::StringToUtf8(c.text));
    sim.controller.SetValue(120, 0, c.steps);
    h->Advance(1000);
    TEdit* e = p->edt_Show_Software;
    ASSERT_EQ(e->Text(), c.text);
    EXPECT_EQ(e->SelStart(), 0);
    TBitmap probe(1, 1);
    probe.Canvas()->Font()->Assign(e->Font());
    EXPECT_LE(probe.Canvas()->TextWidth(e->Text()), e->TextAreaWidth());
    // ...in the largest font it fits in, the field's own at most.
    const int height = -e->Font()->Height();
    EXPECT_LE(height, 19);
    if (height < 19) {
      probe.Canvas()->Font()->SetHeight(-(height + 1));
      EXPECT_GT(probe.Canvas()->TextWidth(e->Text()), e->TextAreaWidth());
    }
    EXPECT_EQ(e->Width(), 120);
    if (c.steps == 26966) h->SaveScreenshot(p, "desktop_axis_position");
  }
  MainFrm->Close();
}

// Every way a press can end without its release reaching the button.
struct JogEnd {
  const char* name;
  std::function<void(uitest::Harness&, TAxisFrm*)> end;
};

TEST_F(AxisPanelTest, JogStopsWhenThePressEndsInAnyWay) {
  const JogEnd ends[] = {
      {"release", [](uitest::Harness& h, TAxisFrm* p) { h.MouseUp(p->btn_Neg); }},
      {"mouse grab lost", [](uitest::Harness&, TAxisFrm*) { CancelMouseCapture(); }},
      {"focus lost", [](uitest::Harness& h, TAxisFrm* p) {
         h.ProcessEvents();
         ASSERT_TRUE(p->btn_Neg->Focused());
         p->edt_Rel->SetFocus();
         h.ProcessEvents();
       }},
      {"panel hidden", [](uitest::Harness&, TAxisFrm* p) { p->Hide(); }},
      {"axis area hidden", [](uitest::Harness& h, TAxisFrm*) {
         MainFrm->box_Axis->Hide();
         h.Advance(100);
       }},
      {"message box during the press", [](uitest::Harness& h, TAxisFrm*) {
         h.AnswerMessageBox(IDOK);
         ShowInfo(u"提示");
       }},
      {"panels rebuilt", [](uitest::Harness&, TAxisFrm*) {
         desktop::TMainFrmAccess::Create_Axis_Frames(MainFrm);
       }},
      {"main window closed", [](uitest::Harness&, TAxisFrm*) { MainFrm->Close(); }},
  };
  for (const JogEnd& e : ends) {
    SCOPED_TRACE(e.name);
    SimulatedController sim;
    Connect(sim, 1);
    TAxisFrm* p = Panel(0);
    h->MouseDown(p->btn_Neg);
    ASSERT_TRUE(p->Jogging());
    ASSERT_TRUE(sim.controller.Running(0));
    ASSERT_EQ(sim.Requests(kMotion).size(), 4u);
    e.end(*h, p);
    std::vector<Request> sent = sim.Requests(kMotion);
    ASSERT_EQ(sent.size(), 5u);
    EXPECT_EQ(sent.back(), (Request{110, 0, 0}));
    EXPECT_FALSE(sim.controller.Running(0));
    h->TakeMessageBoxes();
    if (!Application->Terminated()) MainFrm->Close();
    Restart();
  }
}

TEST_F(AxisPanelTest, StartSeveralTriggersTheTickedPanelsInOrder) {
  WriteSettings({{3, u"VISIBLE", u"0"}});
  SimulatedController sim;
  Connect(sim, 4);
  TScrollBox* rows = desktop::RunAllFrm->Box_RunAll;
  ASSERT_EQ(rows->ControlCount(), 3);
  auto row = [rows](int i) { return dynamic_cast<desktop::TRunConfigFrm*>(rows->Controls(i)); };
  EXPECT_EQ(row(2)->Name(), u"Axis2");
  EXPECT_EQ(row(2)->Top(), 2 * 59);
  EXPECT_EQ(row(0)->grp_Ch->Caption(), u"第1轴");
  EXPECT_TRUE(row(0)->chk_Run->Checked());
  EXPECT_TRUE(row(0)->rb_Pos_Rel->Checked());
  EXPECT_EQ(desktop::RunAllFrm->Height(), 300);

  // Cancel starts nothing.
  h->Post([] { desktop::RunAllFrm->BitBtn2->Click(); });
  h->Click(MainFrm->btn_RunAll);
  EXPECT_TRUE(sim.Requests(kMotion).empty());

  row(1)->chk_Run->SetChecked(false);
  row(2)->rb_Home->SetChecked(true);
  Panel(0)->edt_Rel->SetText(u"0.5");
  h->Post([this] {
    h->SaveScreenshot(desktop::RunAllFrm, "desktop_run_all");
    desktop::RunAllFrm->BitBtn1->Click();
  });
  h->Click(MainFrm->btn_RunAll);
  std::vector<Request> expected = {{107, 0, 0}, {184, 0, 6400}, {185, 0, 6400}, {112, 0, 6400}, {115, 0, 3200},
                                   {124, 2, 0}, {174, 2, 6400}, {175, 2, 6400}, {125, 2, 6400}};
  EXPECT_EQ(sim.Requests(kMotion), expected);
  MainFrm->Close();
}

TEST_F(AxisPanelTest, StartSeveralDialogHeightFollowsTheRows) {
  struct Case {
    int axes;
    int height;
  };
  for (Case c : {Case{2, 300}, Case{12, 600}}) {
    SCOPED_TRACE(c.axes);
    SimulatedController sim;
    Connect(sim, c.axes);
    EXPECT_EQ(desktop::RunAllFrm->Box_RunAll->ControlCount(), c.axes);
    EXPECT_EQ(desktop::RunAllFrm->Height(), c.height);
    MainFrm->Close();
    Restart();
  }
}

}  // namespace
}  // namespace desktoptest
