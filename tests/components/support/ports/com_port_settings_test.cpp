// Stored settings of the serial port component (ini file and registry), the
// setup dialog, and the selector boxes bound to a port.
#include <gtest/gtest.h>

#include <QComboBox>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "components/support/ports/com_port.h"
#include "components/support/ports/com_setup_form.h"
#include "platform/serial/fake/fake_serial.h"
#include "tests/platform/ui/harness.h"
#include "platform/classes/ini_files.h"
#include "platform/runtime/registry.h"

using namespace kit;
namespace ser = platform::serial;

namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

class ComSettingsTest : public ::testing::Test {
 protected:
  ComSettingsTest() {
    dir = std::filesystem::temp_directory_path() / "com_settings";
    std::filesystem::create_directories(dir);
    ini = (dir / "ports.ini").string();
    std::filesystem::remove(ini);
  }
  rtl::String Ini() const { return rtl::Utf8ToString(ini); }
  uitest::Harness h;
  std::filesystem::path dir;
  std::string ini;
};

TEST_F(ComSettingsTest, IniFileHoldsEveryGroupInItsOrder) {
  TCustomComPort port(nullptr);
  port.SetName(u"ComPort1");
  port.SetStoredProps({spBasic, spFlowControl, spBuffer, spTimeouts, spParity, spOthers});
  port.SetPort(u"COM3");
  port.SetBaudRate(brCustom);
  port.SetCustomBaudRate(250000);
  port.SetDataBits(dbSeven);
  port.SetStopBits(sbTwoStopBits);
  port.Parity().SetBits(prMark);
  port.Parity().SetCheck(true);
  port.Parity().SetReplaceChar('?');
  port.SetEventChar('\r');
  port.SetDiscardNull(true);
  port.Buffer().SetInputSize(4096);
  port.Timeouts().SetReadTotalConstant(50);
  port.FlowControl().SetFlowControl(fcHardware);
  port.FlowControl().SetControlDTR(dtrEnable);
  port.FlowControl().SetXonChar('A');
  port.StoreSettings(stIniFile, Ini());
  const std::string expected =
      "[ComPort1]\r\n"
      "Port=COM3\r\n"
      "BaudRate=Custom\r\n"
      "CustomBaudRate=250000\r\n"
      "StopBits=2\r\n"
      "DataBits=7\r\n"
      "Parity=Mark\r\n"
      "FlowControl=Hardware\r\n"
      "EventChar=#13\r\n"
      "DiscardNull=Yes\r\n"
      "Parity.Check=Yes\r\n"
      "Parity.Replace=No\r\n"
      "Parity.ReplaceChar=?\r\n"
      "Buffer.OutputSize=1024\r\n"
      "Buffer.InputSize=4096\r\n"
      "Timeouts.ReadInterval=-1\r\n"
      "Timeouts.ReadTotalConstant=50\r\n"
      "Timeouts.ReadTotalMultiplier=0\r\n"
      "Timeouts.WriteTotalConstant=1000\r\n"
      "Timeouts.WriteTotalMultiplier=100\r\n"
      "FlowControl.ControlRTS=Handshake\r\n"
      "FlowControl.ControlDTR=Enable\r\n"
      "FlowControl.DSRSensitivity=No\r\n"
      "FlowControl.OutCTSFlow=Yes\r\n"
      "FlowControl.OutDSRFlow=No\r\n"
      "FlowControl.TxContinueOnXoff=No\r\n"
      "FlowControl.XonXoffIn=No\r\n"
      "FlowControl.XonXoffOut=No\r\n"
      "FlowControl.XoffChar=#19\r\n"
      "FlowControl.XonChar=A\r\n";
  EXPECT_EQ(ReadFile(ini), expected);

  // Another port reads it all back.
  TCustomComPort other(nullptr);
  other.SetName(u"ComPort1");
  other.SetStoredProps(port.StoredProps());
  other.LoadSettings(stIniFile, Ini());
  EXPECT_EQ(other.Port(), u"COM3");
  EXPECT_EQ(other.BaudRate(), brCustom);
  EXPECT_EQ(other.CustomBaudRate(), 250000);
  EXPECT_EQ(other.DataBits(), dbSeven);
  EXPECT_EQ(other.Parity().Bits(), prMark);
  EXPECT_EQ(other.Parity().ReplaceChar(), '?');
  EXPECT_EQ(other.EventChar(), '\r');
  EXPECT_TRUE(other.DiscardNull());
  EXPECT_EQ(other.Buffer().InputSize(), 4096);
  EXPECT_EQ(other.Timeouts().ReadInterval(), -1);
  EXPECT_EQ(other.Timeouts().ReadTotalConstant(), 50);
  EXPECT_EQ(other.FlowControl().FlowControl(), fcHardware);
  EXPECT_EQ(other.FlowControl().ControlDTR(), dtrEnable);
  EXPECT_EQ(other.FlowControl().XonChar(), 'A');
}

TEST_F(ComSettingsTest, BasicGroupOnlyAndCustomRateOnlyWhenCustom) {
  TCustomComPort port(nullptr);
  port.SetName(u"P");
  port.StoreSettings(stIniFile, Ini());
  ui::TStringList keys;
  rtl::TIniFile file(Ini());
  file.ReadSection(u"P", keys);
  EXPECT_EQ(keys.Text(), u"Port\r\nBaudRate\r\nStopBits\r\nDataBits\r\nParity\r\nFlowControl\r\n");
  EXPECT_EQ(file.ReadString(u"P", u"BaudRate", u""), u"9600");
  EXPECT_EQ(file.ReadString(u"P", u"FlowControl", u""), u"None");
}

TEST_F(ComSettingsTest, ReadingTextsBackIntoValues) {
  TCustomComPort port(nullptr);
  port.SetName(u"P");
  port.SetStoredProps({spOthers, spFlowControl, spBuffer, spParity});
  port.Buffer().SetInputSize(2048);
  const struct {
    const char16_t* key;
    const char16_t* text;
    std::function<bool(TCustomComPort&)> holds;
  } rows[] = {
      {u"FlowControl.XonChar", u"#17", [](TCustomComPort& p) { return p.FlowControl().XonChar() == 17; }},
      {u"FlowControl.XonChar", u"Q", [](TCustomComPort& p) { return p.FlowControl().XonChar() == 'Q'; }},
      {u"FlowControl.XonChar", u"Quit", [](TCustomComPort& p) { return p.FlowControl().XonChar() == 'Q'; }},
      {u"FlowControl.XonChar", u"#", [](TCustomComPort& p) { return p.FlowControl().XonChar() == '#'; }},
      {u"FlowControl.XonChar", u"#x", [](TCustomComPort& p) { return p.FlowControl().XonChar() == 0; }},
      {u"FlowControl.XonChar", u"#300", [](TCustomComPort& p) { return p.FlowControl().XonChar() == 0; }},
      {u"FlowControl.XonChar", u"#255", [](TCustomComPort& p) { return p.FlowControl().XonChar() == '\xff'; }},
      {u"FlowControl.XonChar", u"#-1", [](TCustomComPort& p) { return p.FlowControl().XonChar() == 0; }},
      {u"DiscardNull", u"yes", [](TCustomComPort& p) { return p.DiscardNull(); }},
      {u"DiscardNull", u"true", [](TCustomComPort& p) { return !p.DiscardNull(); }},
      {u"FlowControl.ControlRTS", u"toggle", [](TCustomComPort& p) { return p.FlowControl().ControlRTS() == rtsToggle; }},
      {u"FlowControl.ControlRTS", u"sideways",
       [](TCustomComPort& p) { return p.FlowControl().ControlRTS() == rtsDisable; }},
      {u"FlowControl.ControlDTR", u"HANDSHAKE",
       [](TCustomComPort& p) { return p.FlowControl().ControlDTR() == dtrHandshake; }},
      {u"Buffer.InputSize", u"513", [](TCustomComPort& p) { return p.Buffer().InputSize() == 512; }},
  };
  for (const auto& r : rows) {
    std::filesystem::remove(ini);
    rtl::TIniFile(Ini()).WriteString(u"P", r.key, r.text);
    port.LoadSettings(stIniFile, Ini());
    EXPECT_TRUE(r.holds(port)) << rtl::StringToUtf8(r.key) << "=" << rtl::StringToUtf8(r.text);
  }
  // A missing key keeps the current value; a value that is no number fails.
  std::filesystem::remove(ini);
  port.LoadSettings(stIniFile, Ini());
  EXPECT_EQ(port.Buffer().InputSize(), 512);
  rtl::TIniFile(Ini()).WriteString(u"P", u"Buffer.OutputSize", u"lots");
  try {
    port.LoadSettings(stIniFile, Ini());
    FAIL();
  } catch (const EComPort& e) {
    EXPECT_EQ(e.Code(), 17);
    EXPECT_EQ(e.Message(), u"COM Port Error: Failed to load settings");
  }

  // Every character survives its text.
  for (int c = 0; c < 256; ++c)
    EXPECT_EQ(ComTextToChar(ComCharToText(static_cast<char>(c))), static_cast<char>(c)) << c;
  EXPECT_EQ(ComCharToText(' '), u"#32");
  EXPECT_EQ(ComCharToText('!'), u"!");
  EXPECT_EQ(ComTextToChar(u""), 0);
  EXPECT_EQ(ComTextToChar(u"中"), 0);
}

TEST_F(ComSettingsTest, RegistryKeepsIntegersAndRefusesTargetsWithoutAKey) {
  TCustomComPort port(nullptr);
  port.SetName(u"Modem");
  port.SetStoredProps({spBasic, spBuffer});
  port.SetBaudRate(br57600);
  port.Buffer().SetOutputSize(512);
  port.StoreSettings(stRegistry, u"hkey_current_user\\Software\\JQTest");
  rtl::HKEY key = 0;
  ASSERT_EQ(rtl::RegOpenKeyEx(rtl::HKEY_CURRENT_USER, u"Software\\JQTest\\Modem", 0, rtl::KEY_READ, &key),
            rtl::ERROR_SUCCESS);
  std::uint32_t type = 0, size = 0;
  EXPECT_EQ(rtl::RegQueryValueEx(key, u"Buffer.OutputSize", &type, nullptr, &size), rtl::ERROR_SUCCESS);
  EXPECT_EQ(type, rtl::REG_DWORD);
  EXPECT_EQ(rtl::RegQueryValueEx(key, u"BaudRate", &type, nullptr, &size), rtl::ERROR_SUCCESS);
  EXPECT_EQ(type, rtl::REG_SZ);
  rtl::RegCloseKey(key);

  TCustomComPort other(nullptr);
  other.SetName(u"Modem");
  other.SetStoredProps({spBasic, spBuffer});
  other.LoadSettings(stRegistry, u"HKEY_CURRENT_USER\\Software\\JQTest\\");
  EXPECT_EQ(other.BaudRate(), br57600);
  EXPECT_EQ(other.Buffer().OutputSize(), 512);

  // A missing integer fails the load; a missing text falls back.
  other.SetStoredProps({spTimeouts});
  try {
    other.LoadSettings(stRegistry, u"HKEY_CURRENT_USER\\Software\\JQTest");
    FAIL();
  } catch (const EComPort& e) {
    EXPECT_EQ(e.Code(), 17);
  }
  other.SetStoredProps({spOthers});
  other.SetDiscardNull(true);
  other.LoadSettings(stRegistry, u"HKEY_CURRENT_USER\\Software\\JQTest");
  EXPECT_FALSE(other.DiscardNull());

  // A target without a backslash names no key.
  const struct {
    std::function<void()> call;
    int code;
  } refused[] = {
      {[&] { port.StoreSettings(stRegistry, u"JQTest"); }, 16},
      {[&] { port.LoadSettings(stRegistry, u"JQTest"); }, 17},
  };
  for (const auto& r : refused) {
    try {
      r.call();
      ADD_FAILURE();
    } catch (const EComPort& e) {
      EXPECT_EQ(e.Code(), r.code);
    }
  }
  EXPECT_NE(rtl::RegOpenKeyEx(rtl::HKEY_CURRENT_USER, u"Modem", 0, rtl::KEY_READ, &key), rtl::ERROR_SUCCESS);
}

// --- the dialog and the boxes -------------------------------------------------

const std::string kDevice = "/dev/jq-fake-setup";

class ComSetupTest : public ::testing::Test {
 protected:
  ComSetupTest() {
    api.Add_Port(kDevice);
    port = new TCustomComPort(ui::Application);
    port->SetSerialApi(api);
    port->SetPort(u"/dev/jq-fake-setup");
    port->SetEvents({});
  }
  // The port talks to this fixture's fake device: free it before the fake.
  ~ComSetupTest() override {
    if (port) ui::Free(port);
  }
  // What a user's pick in the box does.
  static void Choose(TComComboBox* box, const rtl::String& text) {
    const int index = box->Items()->IndexOf(text);
    ASSERT_GE(index, 0) << rtl::StringToUtf8(text);
    auto* combo = qobject_cast<QComboBox*>(box->Widget());
    ASSERT_NE(combo, nullptr);
    combo->setCurrentIndex(index);
    emit combo->activated(index);
  }
  static TComSetupFrm* Dialog() {
    for (int i = 0; i < ui::Application->ComponentCount(); ++i)
      if (auto* f = dynamic_cast<TComSetupFrm*>(ui::Application->Components(i))) return f;
    return nullptr;
  }
  void PickAll(TComSetupFrm* d) {
    Choose(d->Combo2, u"19200");
    Choose(d->Combo3, u"7");
    Choose(d->Combo4, u"2");
    Choose(d->Combo5, u"Even");
    Choose(d->Combo6, u"Hardware");
  }

  uitest::Harness h;
  ser::Fake_Serial_Api api;
  TCustomComPort* port;
};

TEST_F(ComSetupTest, OkAppliesEveryBoxInOneUpdate) {
  port->Open();
  const int before = api.Port(kDevice).set_state_calls;
  TComSetupFrm* seen = nullptr;
  h.Post([&] {
    seen = Dialog();
    ASSERT_NE(seen, nullptr);
    EXPECT_EQ(seen->Caption(), u"Setup");
    EXPECT_EQ(seen->GroupBox1->Caption(), u" Settings ");
    EXPECT_EQ(seen->Combo2->Text(), u"9600");
    EXPECT_EQ(seen->Combo3->Text(), u"8");
    EXPECT_EQ(seen->Combo6->Text(), u"None");
    PickAll(seen);
    EXPECT_EQ(api.Port(kDevice).set_state_calls, before) << "nothing is applied before OK";
    h.Click(seen->Button1);
  });
  port->ShowSetupDialog();
  ASSERT_NE(seen, nullptr);
  EXPECT_EQ(Dialog(), nullptr) << "the dialog is freed";
  EXPECT_EQ(port->BaudRate(), br19200);
  EXPECT_EQ(port->DataBits(), dbSeven);
  EXPECT_EQ(port->StopBits(), sbTwoStopBits);
  EXPECT_EQ(port->Parity().Bits(), prEven);
  EXPECT_EQ(port->FlowControl().FlowControl(), fcHardware);
  const auto& dev = api.Port(kDevice);
  EXPECT_EQ(dev.set_state_calls, before + 1);
  EXPECT_EQ(dev.dcb.BaudRate, 19200u);
  EXPECT_EQ(dev.dcb.ByteSize, 7);
  EXPECT_EQ(dev.dcb.StopBits, ser::Two_Stop_Bits);
  EXPECT_EQ(dev.dcb.Parity, ser::Even_Parity);
  EXPECT_TRUE(dev.dcb.Flags & ser::Dcb_OutxCtsFlow);
  EXPECT_TRUE(port->Connected());
  // The port's name is not in the machine's list, so the port box chose none and the name stays.
  EXPECT_EQ(port->Port(), u"/dev/jq-fake-setup");
}

TEST_F(ComSetupTest, CancelChangesNothing) {
  port->Open();
  const int before = api.Port(kDevice).set_state_calls;
  h.Post([&] {
    TComSetupFrm* d = Dialog();
    ASSERT_NE(d, nullptr);
    PickAll(d);
    h.Click(d->Button2);
  });
  port->ShowSetupDialog();
  EXPECT_EQ(Dialog(), nullptr);
  EXPECT_EQ(port->BaudRate(), br9600);
  EXPECT_EQ(port->DataBits(), dbEight);
  EXPECT_EQ(port->StopBits(), sbOneStopBit);
  EXPECT_EQ(port->Parity().Bits(), prNone);
  EXPECT_EQ(port->FlowControl().FlowControl(), fcNone);
  EXPECT_EQ(api.Port(kDevice).set_state_calls, before);
}

TEST_F(ComSetupTest, BoxesFollowTheirPortAndForgetItWhenItGoes) {
  auto* form = h.MakeForm<ui::TForm>();
  auto* box = new TComComboBox(form);
  box->SetParent(form);
  h.Show(form);
  port->SetBaudRate(br38400);
  box->SetComProperty(cpBaudRate);
  EXPECT_EQ(box->Text(), u"Custom");
  box->SetComPort(port);
  EXPECT_EQ(box->Text(), u"38400");
  // A value the list does not hold leaves nothing selected.
  box->SetComProperty(cpPort);
  EXPECT_EQ(box->ItemIndex(), box->Items()->IndexOf(port->Port()));
  box->SetComProperty(cpBaudRate);

  box->SetAutoApply(true);
  Choose(box, u"115200");
  EXPECT_EQ(port->BaudRate(), br115200);
  box->SetAutoApply(false);
  Choose(box, u"300");
  EXPECT_EQ(port->BaudRate(), br115200);
  box->ApplySettings();
  EXPECT_EQ(port->BaudRate(), br300);

  ui::Free(port);
  port = nullptr;
  EXPECT_EQ(box->ComPort(), nullptr);
  EXPECT_EQ(box->ItemIndex(), 0);
}

}  // namespace
