// The connect command against the controller simulator over its three links.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "include/JQ_API.h"
#include "desktop/axis_form.h"
#include "desktop/board_port_form.h"
#include "tests/desktop/desktop_fixture.h"
#include "desktop/input_form.h"
#include "desktop/main_form.h"
#include "desktop/output_form.h"
#include "desktop/run_all_form.h"
#include "desktop/run_config_form.h"
#include "platform/runtime/registry.h"
#include "tests/sim/sim.h"

namespace desktoptest {
namespace {

using namespace ui;
using desktop::BoardPortFrm;
using desktop::MainFrm;

int32_t Le(const char (&four)[5]) {
  return int32_t(uint8_t(four[0]) | uint8_t(four[1]) << 8 | uint8_t(four[2]) << 16 | uint32_t(uint8_t(four[3])) << 24);
}

// The controller of the example: ABC-100, serial 00 11 .. BB, version 1.0.0.7,
// 4 encoders, 4 axes, 16 inputs and 16 outputs.
void MakeExampleController(jqsim::Controller& c) {
  c.SetValue(1, 0, Le("ABC-"));
  c.SetValue(2, 0, Le("100\0"));
  c.SetValue(3, 0, 0);
  c.SetValue(4, 0, 0);
  c.SetValue(5, 0, 0x33221100);
  c.SetValue(6, 0, 0x77665544);
  c.SetValue(7, 0, int32_t(0xBBAA9988u));
  c.SetValue(8, 0, 0x00000001);
  c.SetValue(10, 0, 7);
}

const char16_t* const kExampleStatus =
    u"Model=ABC-100/SN=00112233445566778899AABB/Ver=1.0.0.7/Encoder=4/Motor=4/Optic_In=16/Optic_Out=16";

int CountOf(TWinControl* Box, bool (*Is)(TControl*)) {
  int n = 0;
  for (int i = 0; i < Box->ControlCount(); ++i) n += Is(Box->Controls(i)) ? 1 : 0;
  return n;
}
bool IsAxisPanel(TControl* c) { return dynamic_cast<desktop::TAxisFrm*>(c) != nullptr; }
bool IsLamp(TControl* c) { return dynamic_cast<TPanel*>(c) != nullptr; }
bool IsRunRow(TControl* c) { return dynamic_cast<desktop::TRunConfigFrm*>(c) != nullptr; }

class ConnectTest : public ProgramTest {
 protected:
  void Start() {
    StartProgram();
    h->Show(MainFrm);
  }
  // Runs the connect command; Choose sets up the dialog, which then closes with OK.
  void RunConnect(const std::function<void()>& Choose, TButton* (*Button)() = nullptr) {
    h->Post([&] {
      Choose();
      (Button ? Button() : BoardPortFrm->btn_OK)->Click();
    });
    h->Click(MainFrm->btn_Scan);
  }
  void ExpectBuilt() {
    EXPECT_EQ(MainFrm->msg_Main->Caption(), kExampleStatus);
    EXPECT_TRUE(MainFrm->box_Axis->Visible());
    EXPECT_EQ(CountOf(MainFrm->box_Axis, IsAxisPanel), 4);
    EXPECT_EQ(CountOf(desktop::RunAllFrm->Box_RunAll, IsRunRow), 4);
    EXPECT_EQ(CountOf(desktop::InputFrm->box_Optic_In, IsLamp), 16);
    EXPECT_EQ(CountOf(desktop::OutputFrm->box_Optic_Out, IsLamp), 16);
  }
};

TEST_F(ConnectTest, OverUsbShowsTheProductLineAndBuildsPanelsAndLamps) {
  SimulatedController sim;
  MakeExampleController(sim.controller);
  Start();
  RunConnect([] { BoardPortFrm->rb_USB->SetChecked(true); });
  ExpectBuilt();
  EXPECT_TRUE(h->MessageBoxes().empty());
  h->SaveScreenshot(MainFrm, "connect_usb");
}

TEST_F(ConnectTest, OverTcpUsesTheTypedAddressAndPort) {
  jqsim::Controller controller;
  MakeExampleController(controller);
  jqsim::TcpListener listener(controller);
  Start();
  RunConnect([&] {
    BoardPortFrm->rb_Net->SetChecked(true);
    BoardPortFrm->IP_Address->SetText(u"127.0.0.1");
    BoardPortFrm->edt_Port->SetText(rtl::IntToStr(listener.port()));
  });
  ExpectBuilt();
  EXPECT_EQ(listener.Connections(), 1);
  h->SaveScreenshot(MainFrm, "connect_tcp");
}

TEST_F(ConnectTest, OverAPtyListedAmongTheSerialPorts) {
  jqsim::Controller controller;
  MakeExampleController(controller);
  jqsim::PtyPort pty(controller);
  const rtl::String path = rtl::FromSysPath(pty.slave_path());
  rtl::RegistryTestAddSerialPort(u"jqsim0", path);
  Start();
  ASSERT_GE(BoardPortFrm->cbb_Port->Items()->IndexOf(path), 0);
  RunConnect([&] {
    BoardPortFrm->rb_UART->SetChecked(true);
    BoardPortFrm->cbb_Port->SetText(path);
  });
  rtl::RegistryTestClearSerialPorts();
  ExpectBuilt();
  h->SaveScreenshot(MainFrm, "connect_pty");
}

TEST_F(ConnectTest, NoControllerShowsTheMessageAndChangesNothing) {
  Start();
  MainFrm->msg_Main->SetCaption(u"earlier");
  h->AnswerMessageBox(IDOK);
  RunConnect([] { BoardPortFrm->rb_USB->SetChecked(true); });
  ASSERT_EQ(h->MessageBoxes().size(), 1u);
  EXPECT_EQ(h->MessageBoxes()[0].Text, u"没有发现设备");
  EXPECT_EQ(h->MessageBoxes()[0].Caption, u"提示");
  EXPECT_EQ(h->MessageBoxes()[0].Flags & MB_ICONMASK, MB_ICONINFORMATION);
  EXPECT_EQ(MainFrm->msg_Main->Caption(), u"earlier");
  EXPECT_EQ(MainFrm->box_Axis->ControlCount(), 0);
}

TEST_F(ConnectTest, AFailedCheckOverTheNetworkClosesTheConnection) {
  jqsim::Controller controller;
  controller.SetStatus(0, 1);
  jqsim::TcpListener listener(controller);
  Start();
  h->AnswerMessageBox(IDOK);
  RunConnect([&] {
    BoardPortFrm->rb_Net->SetChecked(true);
    BoardPortFrm->IP_Address->SetText(u"127.0.0.1");
    BoardPortFrm->edt_Port->SetText(rtl::IntToStr(listener.port()));
  });
  ASSERT_EQ(h->MessageBoxes().size(), 1u);
  auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (listener.Connections() != 0 && std::chrono::steady_clock::now() < until)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_EQ(listener.Connections(), 0);
}

TEST_F(ConnectTest, ARefusedNetworkConnectionEndsTheCommandWithAnError) {
  uint16_t port = 0;
  {
    jqsim::Controller controller;
    jqsim::TcpListener listener(controller);
    port = listener.port();
  }
  Start();
  MainFrm->msg_Main->SetCaption(u"earlier");
  h->AnswerMessageBox(IDOK);
  RunConnect([&] {
    BoardPortFrm->rb_Net->SetChecked(true);
    BoardPortFrm->IP_Address->SetText(u"127.0.0.1");
    BoardPortFrm->edt_Port->SetText(rtl::IntToStr(port));
  });
  ASSERT_EQ(h->MessageBoxes().size(), 1u);
  EXPECT_EQ(h->MessageBoxes()[0].Flags & MB_ICONMASK, MB_ICONERROR);
  EXPECT_EQ(h->MessageBoxes()[0].Text, u"无法连接到 127.0.0.1:" + rtl::IntToStr(port));
  EXPECT_EQ(MainFrm->msg_Main->Caption(), u"earlier");
}

TEST_F(ConnectTest, LeavingThePortEntryOutOfRangeComplainsAndKeepsTheFocus) {
  Start();
  h->Show(BoardPortFrm);
  auto leavePort = [&] {
    BoardPortFrm->edt_Port->SetFocus();
    h->ProcessEvents();
    BoardPortFrm->rb_UART->SetFocus();
    h->ProcessEvents();
  };
  for (const char16_t* text : {u"80", u"70000"}) {
    BoardPortFrm->edt_Port->SetText(text);
    h->AnswerMessageBox(IDOK);
    leavePort();
    EXPECT_EQ(BoardPortFrm->ActiveControl(), BoardPortFrm->edt_Port) << rtl::StringToUtf8(text);
  }
  BoardPortFrm->edt_Port->SetText(u"8888");
  leavePort();
  ASSERT_EQ(h->MessageBoxes().size(), 2u);
  // The window loop's error handler ends the range error's text with a full stop.
  EXPECT_EQ(h->MessageBoxes()[0].Text, u"Value must be between 1024 and 65535.");
  EXPECT_EQ(BoardPortFrm->ActiveControl(), BoardPortFrm->rb_UART);
  EXPECT_EQ(BoardPortFrm->Port_Value(), 8888);
  h->SaveScreenshot(BoardPortFrm, "connect_dialog");
  BoardPortFrm->Hide();
}

TEST_F(ConnectTest, CancelOpensNothing) {
  SimulatedController sim;
  Start();
  RunConnect([] { BoardPortFrm->rb_USB->SetChecked(true); }, [] { return BoardPortFrm->btn_No; });
  EXPECT_TRUE(sim.Log().empty());
  EXPECT_EQ(MainFrm->msg_Main->Caption(), u"");
}

TEST_F(ConnectTest, AControllerWithoutAxesHidesTheAxisAreaOnlyUntilOneWithAxes) {
  SimulatedController sim;
  MakeExampleController(sim.controller);
  Start();
  sim.controller.SetAxisCount(0);
  RunConnect([] { BoardPortFrm->rb_USB->SetChecked(true); });
  EXPECT_FALSE(MainFrm->box_Axis->Visible());
  EXPECT_EQ(MainFrm->msg_Main->Caption(),
            u"Model=ABC-100/SN=00112233445566778899AABB/Ver=1.0.0.7/Encoder=4/Optic_In=16/Optic_Out=16");
  sim.controller.SetAxisCount(4);
  RunConnect([] { BoardPortFrm->rb_USB->SetChecked(true); });
  ExpectBuilt();
}

TEST_F(ConnectTest, SerialNumberOfZerosAndAClearedEncoderFlagKeepTheEarlierCount) {
  SimulatedController sim;
  MakeExampleController(sim.controller);
  Start();
  RunConnect([] { BoardPortFrm->rb_USB->SetChecked(true); });
  ExpectBuilt();
  for (int code : {5, 6, 7}) sim.controller.SetValue(uint16_t(code), 0, 0);
  sim.controller.SetValue(9, 0, 0x0001);
  RunConnect([] { BoardPortFrm->rb_USB->SetChecked(true); });
  EXPECT_EQ(MainFrm->msg_Main->Caption(), u"Model=ABC-100/SN=000000000000000000000000/Ver=1.0.0.7/Motor=4");
  // Lamps of the earlier connect stay.
  EXPECT_EQ(CountOf(desktop::InputFrm->box_Optic_In, IsLamp), 16);
}

}  // namespace
}  // namespace desktoptest

namespace desktoptest {
namespace {

using RememberedStateTest = ConnectTest;

TEST_F(RememberedStateTest, DialogEntriesAreWrittenOnCloseAndComeBackAfterARestart) {
  rtl::RegistryTestClearSerialPorts();
  rtl::RegistryTestAddSerialPort(u"jqtest", u"/dev/jqtest0");
  Start();
  // Cancelling changes no link, yet the entries are remembered.
  RunConnect(
      [] {
        BoardPortFrm->cbb_Port->SetText(u"/dev/jqtest0");
        BoardPortFrm->rb_Net->SetChecked(true);
        BoardPortFrm->IP_Address->SetText(u"127.0.0.1");
        BoardPortFrm->edt_Port->SetText(u"9000");
      },
      [] { return BoardPortFrm->btn_No; });
  EXPECT_EQ(ReadFile("JQHelper_LUNO.ini"),
            "[BoardPortFrm_Properties]\r\n"
            "cbb_Port.Text=/dev/jqtest0\r\n"
            "IP_Address.Text=127.0.0.1\r\n"
            "edt_Port.Value=9000\r\n"
            "rb_Net.Checked=True\r\n"
            "rb_UART.Checked=False\r\n"
            "rb_USB.Checked=False\r\n"
            "\r\n");
  Restart();
  StartProgram();
  EXPECT_EQ(BoardPortFrm->cbb_Port->Text(), u"/dev/jqtest0");
  EXPECT_EQ(BoardPortFrm->IP_Address->Text(), u"127.0.0.1");
  EXPECT_EQ(BoardPortFrm->Port_Value(), 9000);
  EXPECT_TRUE(BoardPortFrm->rb_Net->Checked());
  EXPECT_FALSE(BoardPortFrm->rb_UART->Checked());
  rtl::RegistryTestClearSerialPorts();
}

TEST_F(RememberedStateTest, AnEarlierRunsFileLoadsAndABadValueCostsOnlyItsProperty) {
  rtl::RegistryTestClearSerialPorts();
  rtl::RegistryTestAddSerialPort(u"jqtest", u"/dev/串口1");
  // GBK text, CR LF, keys in upper case, and a value that names no Boolean.
  WriteFile("JQHelper_LUNO.ini",
            "[BOARDPORTFRM_PROPERTIES]\r\n"
            "CBB_PORT.TEXT=/dev/\xB4\xAE\xBF\xDA" "1\r\n"
            "IP_ADDRESS.TEXT=10.0.0.7\r\n"
            "EDT_PORT.VALUE=9001\r\n"
            "RB_NET.CHECKED=Maybe\r\n"
            "RB_UART.CHECKED=False\r\n"
            "RB_USB.CHECKED=True\r\n"
            "\r\n");
  StartProgram();
  EXPECT_EQ(BoardPortFrm->cbb_Port->Text(), u"/dev/串口1");
  EXPECT_EQ(BoardPortFrm->IP_Address->Text(), u"10.0.0.7");
  EXPECT_EQ(BoardPortFrm->Port_Value(), 9001);
  EXPECT_TRUE(BoardPortFrm->rb_USB->Checked());
  EXPECT_FALSE(BoardPortFrm->rb_Net->Checked());
  EXPECT_TRUE(h->MessageBoxes().empty());
  rtl::RegistryTestClearSerialPorts();
}

}  // namespace
}  // namespace desktoptest
