// The input and output windows: lamps, polling and switching outputs.
#include <gtest/gtest.h>

#include "include/JQ_API.h"
#include "tests/desktop/desktop_fixture.h"
#include "desktop/input_form.h"
#include "desktop/main_form.h"
#include "desktop/output_form.h"

namespace desktoptest {
namespace {

using namespace ui;
using desktop::InputFrm;
using desktop::MainFrm;
using desktop::OutputFrm;
using Request = SimulatedController::Request;

TPanel* Lamp(TScrollBox* Box, int Index) { return dynamic_cast<TPanel*>(Box->Controls(Index)); }

using IoWindowsTest = ProgramTest;

TEST_F(IoWindowsTest, LampsStandInRowsOfEight) {
  SimulatedController sim;
  Connect(sim, 0, 0, 16, 12);
  TScrollBox* in = InputFrm->box_Optic_In;
  TScrollBox* out = OutputFrm->box_Optic_Out;
  ASSERT_EQ(in->ControlCount(), 16);
  ASSERT_EQ(out->ControlCount(), 12);
  struct Case {
    int index, left, top;
  };
  for (Case c : {Case{0, 0, 0}, Case{7, 630, 0}, Case{8, 0, 90}, Case{11, 270, 90}}) {
    SCOPED_TRACE(c.index);
    for (auto [box, name, prefix] : {std::tuple{in, u"pnl_Optic_In", u"X"}, std::tuple{out, u"pnl_Optic_Out", u"Y"}}) {
      TPanel* lamp = Lamp(box, c.index);
      ASSERT_NE(lamp, nullptr);
      EXPECT_EQ(lamp->Name(), name + rtl::IntToStr(c.index));
      EXPECT_EQ(lamp->Caption(), prefix + rtl::IntToStr(c.index));
      EXPECT_EQ(lamp->Tag(), c.index);
      EXPECT_EQ(lamp->BoundsRect(), Rect(c.left, c.top, c.left + 80, c.top + 80));
      EXPECT_EQ(lamp->Font()->Size(), 18);
      EXPECT_EQ(lamp->Color(), clRed);
    }
  }
  // A later connect with fewer rebuilds from scratch.
  desktop::TMainFrmAccess::Set_Counts(MainFrm, 0, 0, 3, 12);
  desktop::TMainFrmAccess::Create_Optic_In(MainFrm);
  EXPECT_EQ(in->ControlCount(), 3);
  EXPECT_TRUE(sim.Requests().empty());
  MainFrm->Close();
}

TEST_F(IoWindowsTest, InputLampsFollowTheInputsWhileTheWindowIsShown) {
  SimulatedController sim;
  Connect(sim, 0, 0, 10);
  h->Click(MainFrm->btn_Input);
  ASSERT_TRUE(InputFrm->Visible());
  EXPECT_EQ(InputFrm->F_Optic_In_Max, 10);
  sim.controller.SetValue(402, 0, 0b1000000101);  // X0, X2 and X9 on
  h->Advance(1000);
  for (int i = 0; i < 10; ++i) {
    bool on = i == 0 || i == 2 || i == 9;
    EXPECT_EQ(Lamp(InputFrm->box_Optic_In, i)->Color(), on ? clRed : clGreen) << i;
  }
  // One read per lamp per poll, in creation order.
  std::vector<Request> polls = sim.Requests({401});
  ASSERT_EQ(polls.size(), 10u);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(std::get<1>(polls[i]), i);

  sim.controller.SetValue(402, 0, 0b10);
  h->Advance(1000);
  EXPECT_EQ(Lamp(InputFrm->box_Optic_In, 0)->Color(), clGreen);
  EXPECT_EQ(Lamp(InputFrm->box_Optic_In, 1)->Color(), clRed);
  h->ProcessEvents();
  h->SaveScreenshot(InputFrm, "desktop_input_window");

  // Hidden, it polls no more; shown again, it does.
  InputFrm->Hide();
  sim.controller.ClearLog();
  h->Advance(5000);
  EXPECT_TRUE(sim.Requests({401}).empty());
  InputFrm->Show();
  h->Advance(1000);
  EXPECT_EQ(sim.Requests({401}).size(), 10u);
  MainFrm->Close();
}

TEST_F(IoWindowsTest, InputWindowBeforeAnyConnectSendsNothing) {
  SimulatedController sim;
  StartProgram();
  h->Show(MainFrm);
  ASSERT_EQ(JQ_Open_USB(), 0);
  h->Click(MainFrm->btn_Input);
  h->Advance(3000);
  EXPECT_TRUE(InputFrm->Visible());
  EXPECT_EQ(InputFrm->box_Optic_In->ControlCount(), 0);
  EXPECT_TRUE(sim.Requests().empty());
  MainFrm->Close();
}

TEST_F(IoWindowsTest, OutputClickSwitchesAndShowsTheStateReadBack) {
  SimulatedController sim;
  Connect(sim, 0, 0, 0, 8);
  h->Click(MainFrm->btn_Output);
  ASSERT_TRUE(OutputFrm->Visible());
  TPanel* y5 = Lamp(OutputFrm->box_Optic_Out, 5);
  h->Click(y5);
  EXPECT_EQ(sim.Requests(), (std::vector<Request>{{451, 5, 1}, {453, 5, 1}}));
  EXPECT_EQ(y5->Color(), clGreen);
  int32_t state = 0;
  ASSERT_EQ(JQ_Get_Optic_Out_Single(5, &state), 0);
  EXPECT_EQ(state, 1);

  sim.controller.ClearLog();
  h->Click(y5);
  EXPECT_EQ(std::get<2>(sim.Requests().front()), 0);
  EXPECT_EQ(y5->Color(), clRed);
  h->ProcessEvents();
  h->SaveScreenshot(OutputFrm, "desktop_output_window");

  // No answer to the read-back: the library yields 0 and the lamp stays red.
  sim.controller.SetFault({jqsim::FaultKind::Silence, 0, -1, 453});
  h->Click(y5);
  EXPECT_EQ(y5->Color(), clRed);
  MainFrm->Close();
}

}  // namespace
}  // namespace desktoptest
