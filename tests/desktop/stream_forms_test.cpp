// The stream test forms: what each button sends, and the confirmation that
// shows only for commands the library accepted.
#include <gtest/gtest.h>

#include "include/JQ_API.h"
#include "tests/desktop/desktop_fixture.h"
#include "platform/runtime/exceptions.h"
#include "desktop/main_form.h"
#include "desktop/stream_circle_form.h"
#include "desktop/stream_delay_form.h"
#include "desktop/stream_line_x_form.h"
#include "desktop/stream_oc_form.h"
#include "desktop/stream_optic_form.h"

namespace desktoptest {
namespace {

using namespace ui;
using desktop::Stream_CircleFrm;
using desktop::Stream_LineXFrm;
using Request = SimulatedController::Request;

using StreamFormsTest = ProgramTest;

// What the forms sent, without the axis panels' polls.
std::vector<Request> Sent(const SimulatedController& Sim) {
  std::vector<Request> out;
  for (const Request& r : Sim.Requests())
    if (std::get<0>(r) >= 800) out.push_back(r);
  return out;
}

bool Hint_Shown(aux::TAuxHintWindow* Hint) { return Hint->HintWindow()->IsHintShown(); }

TEST_F(StreamFormsTest, CircleFormSendsItsCommandsForTheChosenGroup) {
  SimulatedController sim;
  Connect(sim, 4);
  Stream_CircleFrm->cbb_Ch->SetItemIndex(Stream_CircleFrm->cbb_Ch->Items()->IndexOf(u"第三组"));
  struct Case {
    TButton* button;
    std::vector<Request> expected;
  };
  const std::vector<Request> arc_rel = {{823, 2, 10000}, {824, 2, 10000}, {822, 2, 20000}};
  const Case cases[] = {
      {Stream_CircleFrm->btn_Set, {{817, 2, 0 | 1 << 8}, {818, 2, 1000}, {819, 2, 1000}, {820, 2, 1000}}},
      {Stream_CircleFrm->btn_CW_Rel, {{823, 2, 10000}, {824, 2, 10000}, {822, 2, 20000}, {827, 2, 0}}},
      {Stream_CircleFrm->btn_CW_Abs, {{825, 2, 10000}, {826, 2, 10000}, {822, 2, 20000}, {827, 2, 0}}},
      {Stream_CircleFrm->btn_CCW_Rel, {{823, 2, 10000}, {824, 2, 10000}, {822, 2, 20000}, {828, 2, 0}}},
      {Stream_CircleFrm->btn_CCW_Abs, {{825, 2, 10000}, {826, 2, 10000}, {822, 2, 20000}, {828, 2, 0}}},
      {Stream_CircleFrm->btn_Set_Stop, {{829, 2, 0}}},
      {Stream_CircleFrm->btn_Set_Halt, {{830, 2, 0}}},
      {Stream_CircleFrm->btn_Wait_Circle, {{832, 2, 0}}},
  };
  h->Show(Stream_CircleFrm);
  for (const Case& c : cases) {
    SCOPED_TRACE(rtl::StringToUtf8(c.button->Caption()));
    h->Advance(3000);
    sim.controller.ClearLog();
    ASSERT_FALSE(Hint_Shown(Stream_CircleFrm->hint_Motor));
    h->Click(c.button);
    EXPECT_EQ(Sent(sim), c.expected);
    EXPECT_TRUE(Hint_Shown(Stream_CircleFrm->hint_Motor));
  }
  h->ProcessEvents();
  h->SaveScreenshot(Stream_CircleFrm, "desktop_stream_circle_form");

  // A value that does not read sends nothing and confirms nothing.
  h->Advance(3000);
  sim.controller.ClearLog();
  Stream_CircleFrm->edt_R->SetText(u"2e4");
  EXPECT_THROW(Stream_CircleFrm->btn_CW_RelClick(nullptr), rtl::EConvertError);
  EXPECT_TRUE(Sent(sim).empty());
  EXPECT_FALSE(Hint_Shown(Stream_CircleFrm->hint_Motor));
}

TEST_F(StreamFormsTest, LineFormSendsEightAxesAndTargetsWithItsCount) {
  SimulatedController sim;
  Connect(sim, 8);
  h->Show(Stream_LineXFrm);
  // A single border with the system menu and a minimise box, nothing to maximise.
  EXPECT_EQ(Stream_LineXFrm->BorderIcons(), ui::TBorderIcons({ui::biSystemMenu, ui::biMinimize}));
  EXPECT_EQ(Stream_LineXFrm->BorderStyle(), ui::bsSingle);
  EXPECT_EQ(Stream_LineXFrm->edt_ID_Num->MinValue(), 2);
  EXPECT_EQ(Stream_LineXFrm->edt_ID_Num->MaxValue(), 8);
  EXPECT_EQ(Stream_LineXFrm->edt_ID_Num->AsInteger(), 4);
  h->Click(Stream_LineXFrm->btn_Pos_Rel);
  std::vector<Request> expected = {{806, 0, 4}};
  for (int i = 0; i < 4; ++i) expected.push_back({807, i << 8, i});
  for (int i = 0; i < 4; ++i) expected.push_back({812, i << 8, 1000});
  expected.push_back({814, 0, 0});
  EXPECT_EQ(Sent(sim), expected);
  EXPECT_TRUE(Hint_Shown(Stream_LineXFrm->hint_Motor));

  h->Advance(3000);
  sim.controller.ClearLog();
  Stream_LineXFrm->cbb_Ch->SetItemIndex(1);
  Stream_LineXFrm->edt_ID_Num->SetValue(8);
  Stream_LineXFrm->edt_ID[7]->SetValue(12);
  Stream_LineXFrm->edt_P[7]->SetText(u"-5");
  h->Click(Stream_LineXFrm->btn_Pos_Abs);
  auto sent = Sent(sim);
  ASSERT_EQ(sent.size(), 18u);
  EXPECT_EQ(sent[0], (Request{806, 1, 8}));
  EXPECT_EQ(sent[8], (Request{807, 1 | 7 << 8, 12}));
  EXPECT_EQ(sent[16], (Request{813, 1 | 7 << 8, -5}));
  EXPECT_EQ(sent[17], (Request{814, 1, 0}));

  struct Case {
    TButton* button;
    std::vector<Request> expected;
  };
  const Case cases[] = {
      {Stream_LineXFrm->btn_Set, {{808, 1, 1000}, {809, 1, 1000}, {810, 1, 1000}}},
      {Stream_LineXFrm->btn_Set_Stop, {{815, 1, 0}}},
      {Stream_LineXFrm->btn_Set_Halt, {{816, 1, 0}}},
      {Stream_LineXFrm->btn_WaitLine, {{831, 1, 0}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(rtl::StringToUtf8(c.button->Caption()));
    sim.controller.ClearLog();
    h->Click(c.button);
    EXPECT_EQ(Sent(sim), c.expected);
  }
  h->ProcessEvents();
  h->SaveScreenshot(Stream_LineXFrm, "desktop_stream_line_x_form");
}

TEST_F(StreamFormsTest, NoConfirmationForCommandsTheLibraryRefused) {
  SimulatedController sim;
  Connect(sim, 4);
  h->Show(Stream_LineXFrm);
  // No link: every call answers -1.
  JQ_Close_USB();
  h->Click(Stream_LineXFrm->btn_Pos_Rel);
  h->Click(Stream_LineXFrm->btn_Set);
  EXPECT_FALSE(Hint_Shown(Stream_LineXFrm->hint_Motor));
  h->Show(Stream_CircleFrm);
  h->Click(Stream_CircleFrm->btn_Set);
  EXPECT_FALSE(Hint_Shown(Stream_CircleFrm->hint_Motor));
  // An axis the controller cannot take in one byte is refused by the library.
  ASSERT_EQ(JQ_Open_USB(), 0);
  Stream_CircleFrm->edt_ID1->SetValue(15);
  h->Click(Stream_CircleFrm->btn_Set);
  EXPECT_TRUE(Hint_Shown(Stream_CircleFrm->hint_Motor));
  EXPECT_TRUE(h->TakeMessageBoxes().empty());
}

TEST_F(StreamFormsTest, ParameterDialogsHoldTheirDefaults) {
  StartProgram();
  EXPECT_EQ(desktop::Stream_DelayFrm->edt_Delay->Text(), u"1000");
  EXPECT_EQ(desktop::Stream_DelayFrm->Caption(), u"Stream_DelayFrm");
  for (auto [form, ch, high, low] :
       {std::tuple{static_cast<TForm*>(desktop::Stream_OCFrm), desktop::Stream_OCFrm->edt_Ch,
                   desktop::Stream_OCFrm->rb_High, desktop::Stream_OCFrm->rb_Low},
        std::tuple{static_cast<TForm*>(desktop::Stream_OpticFrm), desktop::Stream_OpticFrm->edt_Ch,
                   desktop::Stream_OpticFrm->rb_High, desktop::Stream_OpticFrm->rb_Low}}) {
    SCOPED_TRACE(rtl::StringToUtf8(form->Caption()));
    EXPECT_EQ(ch->Text(), u"0");
    EXPECT_TRUE(high->Checked());
    EXPECT_FALSE(low->Checked());
    EXPECT_EQ(high->Caption(), u"开");
    EXPECT_EQ(low->Caption(), u"关");
    h->Show(form);
    h->ProcessEvents();
    h->SaveScreenshot(form, rtl::StringToUtf8(u"desktop_" + form->Name()));
  }
  h->Show(desktop::Stream_DelayFrm);
  h->ProcessEvents();
  h->SaveScreenshot(desktop::Stream_DelayFrm, "desktop_Stream_DelayFrm");
}

}  // namespace
}  // namespace desktoptest
