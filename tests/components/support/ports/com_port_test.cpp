// The serial port component over the fake backend: options, errors, line
// events on the window thread (or the event thread), and closing while an
// event is being handed over.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "components/support/ports/com_port.h"
#include "platform/serial/fake/fake_serial.h"
#include "tests/platform/ui/harness.h"
#include "tests/components/support/ports/port_test_support.h"

using namespace kit;
namespace ser = platform::serial;
using porttest::PumpUntil;

namespace {

const std::string kDevice = "/dev/jq-fake0";

class ComPortFakeTest : public ::testing::Test {
 protected:
  ComPortFakeTest() : port(new TCustomComPort(nullptr)) {
    api.Add_Port(kDevice);
    port->SetSerialApi(api);
    port->SetPort(u"/dev/jq-fake0");
  }
  ~ComPortFakeTest() override { delete port; }
  ser::Fake_Serial_Api::Fake_Port& dev() { return api.Port(kDevice); }

  uitest::Harness h;
  ser::Fake_Serial_Api api;
  TCustomComPort* port;
  const std::thread::id mainThread = std::this_thread::get_id();
};

TEST(ComPortOptions, BufferSizesFlowControlAndAssign) {
  TCustomComPort port(nullptr);
  port.Buffer().SetInputSize(1025);
  EXPECT_EQ(port.Buffer().InputSize(), 1024);
  port.Buffer().SetOutputSize(7);
  EXPECT_EQ(port.Buffer().OutputSize(), 6);

  TComFlowControl& f = port.FlowControl();
  EXPECT_EQ(f.FlowControl(), fcNone);
  f.SetFlowControl(fcHardware);
  EXPECT_EQ(f.FlowControl(), fcHardware);
  EXPECT_EQ(f.ControlRTS(), rtsHandshake);
  EXPECT_TRUE(f.OutCTSFlow());
  f.SetFlowControl(fcSoftware);
  EXPECT_EQ(f.FlowControl(), fcSoftware);
  EXPECT_FALSE(f.OutCTSFlow());
  EXPECT_EQ(f.ControlRTS(), rtsDisable);
  f.SetFlowControl(fcCustom);  // changes nothing
  EXPECT_EQ(f.FlowControl(), fcSoftware);
  f.SetXonXoffIn(false);
  EXPECT_EQ(f.FlowControl(), fcCustom);
  f.SetFlowControl(fcNone);
  EXPECT_EQ(f.FlowControl(), fcNone);
  f.SetControlDTR(dtrEnable);  // DTR does not take part
  EXPECT_EQ(f.FlowControl(), fcNone);

  TComTimeouts t;
  t.SetReadInterval(5);
  t.SetWriteTotalConstant(77);
  port.SetTimeouts(t);
  EXPECT_EQ(port.Timeouts().ReadInterval(), 5);
  EXPECT_EQ(port.Timeouts().WriteTotalConstant(), 77);
  EXPECT_EQ(port.Timeouts().WriteTotalMultiplier(), 100);
}

TEST(ComPortErrors, TextsAndMessages) {
  EXPECT_EQ(ComErrorText(1), u"Unable to open com port");
  EXPECT_EQ(ComErrorText(14), u"Cannot set property while connected");
  EXPECT_EQ(ComErrorText(23), u"Registry error");
  EXPECT_EQ(ComErrorText(24), u"Unknown Error #24");
  EXPECT_EQ(ComErrorText(0), u"Unknown Error #0");
  const EComPort plain = EComPort::CreateNoWinCode(16);
  EXPECT_EQ(plain.Message(), u"COM Port Error: Failed to store settings");
  EXPECT_EQ(plain.WinCode(), -1);
}

TEST_F(ComPortFakeTest, MissingPortGivesCodeOneWithThePortName) {
  port->SetPort(u"COM7");
  try {
    port->Open();
    FAIL() << "opened a missing port";
  } catch (const EComPort& e) {
    EXPECT_EQ(e.Code(), 1);
    EXPECT_EQ(e.WinCode(), static_cast<int>(ser::Error_File_Not_Found));
    EXPECT_EQ(e.Message(), u"COM Port Error: Unable to open com port on COM7");
  }
  EXPECT_FALSE(port->Connected());
  EXPECT_EQ(api.opened_names.back(), "/dev/ttyS6");
}

TEST_F(ComPortFakeTest, RefusalsWhileOpenAndMisuse) {
  port->Open();
  try {
    port->SetSyncMethod(smNone);
    FAIL();
  } catch (const EComPort& e) {
    EXPECT_EQ(e.Code(), 14);
    EXPECT_EQ(e.Message(), u"COM Port Error: Cannot set property while connected");
  }
  EXPECT_EQ(port->SyncMethod(), smThreadSync);
  const struct {
    int code;
    std::function<void()> call;
  } rows[] = {
      {14, [&] { port->SetEventThreadPriority(tpHigher); }},
      {20, [&] { TComEvents e{evRxChar}; port->WaitForEvent(e, nullptr, 10); }},
      {4, [&] { PComPortsAsync none = nullptr; port->WriteAsync("x", 1, none); }},
      {4, [&] { PComPortsAsync none = nullptr; port->ReadAsync(nullptr, 1, none); }},
      {18, [&] { TComLink link; port->UnRegisterLink(&link); }},
  };
  for (const auto& r : rows) {
    try {
      r.call();
      ADD_FAILURE() << "no error for code " << r.code;
    } catch (const EComPort& e) {
      EXPECT_EQ(e.Code(), r.code);
    }
  }
  TComLink link;
  link.OnRxBuf = [](ui::TObject*, const void*, int) {};
  port->RegisterLink(&link);
  EXPECT_THROW(port->RegisterLink(&link), EComPort);
  EXPECT_FALSE(port->TriggersOnRxChar());
  try {
    port->SetTriggersOnRxChar(true);
    FAIL();
  } catch (const EComPort& e) {
    EXPECT_EQ(e.Code(), 22);
  }
  port->UnRegisterLink(&link);
  EXPECT_TRUE(port->TriggersOnRxChar());
}

TEST_F(ComPortFakeTest, OpenAppliesEverySettingAndAnUpdateAppliesOnce) {
  port->SetBaudRate(br19200);
  port->SetDataBits(dbSeven);
  port->SetStopBits(sbTwoStopBits);
  port->Parity().SetBits(prEven);
  port->Parity().SetCheck(true);
  port->Parity().SetReplace(true);
  port->Parity().SetReplaceChar('?');
  port->FlowControl().SetFlowControl(fcHardware);
  port->FlowControl().SetControlDTR(dtrHandshake);
  port->SetDiscardNull(true);
  port->SetEventChar('\n');
  port->Buffer().SetInputSize(2048);
  port->Timeouts().SetReadTotalConstant(30);
  port->Open();
  ASSERT_TRUE(port->Connected());
  const ser::DCB& d = dev().dcb;
  EXPECT_EQ(d.BaudRate, 19200u);
  EXPECT_EQ(d.ByteSize, 7);
  EXPECT_EQ(d.Parity, ser::Even_Parity);
  EXPECT_EQ(d.StopBits, ser::Two_Stop_Bits);
  EXPECT_EQ(d.Flags, ser::Dcb_Binary | ser::Dcb_Parity | ser::Dcb_OutxCtsFlow | ser::Dtr_Control_Handshake |
                         ser::Rts_Control_Handshake | ser::Dcb_ErrorChar | ser::Dcb_Null);
  EXPECT_EQ(d.ErrorChar, '?');
  EXPECT_EQ(d.EvtChar, '\n');
  EXPECT_EQ(d.XonChar, 17);
  EXPECT_EQ(d.XoffChar, 19);
  EXPECT_EQ(d.XonLim, 512);
  EXPECT_EQ(d.XoffLim, 512);
  EXPECT_EQ(dev().in_queue, 2048u);
  EXPECT_EQ(dev().out_queue, 1024u);
  EXPECT_EQ(dev().timeouts.ReadIntervalTimeout, 0xFFFFFFFFu);
  EXPECT_EQ(dev().timeouts.ReadTotalTimeoutConstant, 30u);
  EXPECT_EQ(dev().timeouts.WriteTotalTimeoutMultiplier, 100u);
  EXPECT_EQ(dev().timeouts.WriteTotalTimeoutConstant, 1000u);

  const int before = dev().set_state_calls;
  port->SetBaudRate(br57600);
  EXPECT_EQ(dev().set_state_calls, before + 1);
  port->BeginUpdate();
  port->SetBaudRate(br115200);
  port->SetDataBits(dbEight);
  port->Parity().SetBits(prNone);
  EXPECT_EQ(dev().set_state_calls, before + 1);
  port->EndUpdate();
  EXPECT_EQ(dev().set_state_calls, before + 2);
  EXPECT_EQ(dev().dcb.BaudRate, 115200u);
  EXPECT_EQ(dev().dcb.ByteSize, 8);

  port->SetBaudRate(brCustom);
  port->SetCustomBaudRate(250000);
  EXPECT_EQ(dev().dcb.BaudRate, 250000u);
}

TEST_F(ComPortFakeTest, ThreadAndWindowFollowEventsAndSyncMethod) {
  port->SetEvents({});
  port->Open();
  EXPECT_FALSE(port->HasEventThread());
  EXPECT_FALSE(port->HasNotifyWindow());
  port->Close();
  port->SetEvents(AllComEvents);
  port->SetSyncMethod(smWindowSync);
  port->Open();
  EXPECT_TRUE(port->HasEventThread());
  EXPECT_TRUE(port->HasNotifyWindow());
  port->Close();
  EXPECT_FALSE(port->HasEventThread());
  EXPECT_FALSE(port->HasNotifyWindow());
  EXPECT_EQ(dev().handle, ser::Invalid_Handle);
}

TEST_F(ComPortFakeTest, OpenAndCloseReportLinesToLinksAndEvents) {
  api.Set_Modem_Status(kDevice, ser::MS_Cts_On | ser::MS_Rlsd_On);
  std::vector<std::string> heard;
  TComLink link;
  link.OnConn = [&](ui::TObject*, bool on) { heard.push_back(on ? "conn+" : "conn-"); };
  link.OnCTSChange = [&](ui::TObject*, bool on) { heard.push_back(on ? "cts+" : "cts-"); };
  port->RegisterLink(&link);
  port->OnAfterOpen = [&](ui::TObject*) { heard.push_back("afterOpen"); };
  port->OnDSRChange = [&](ui::TObject*, bool on) { heard.push_back(on ? "dsr+" : "dsr-"); };
  port->OnRLSDChange = [&](ui::TObject*, bool on) { heard.push_back(on ? "rlsd+" : "rlsd-"); };
  port->OnBeforeClose = [&](ui::TObject*) { heard.push_back("beforeClose"); };
  port->OnAfterClose = [&](ui::TObject*) { heard.push_back("afterClose"); };
  port->Open();
  port->Close();
  const std::vector<std::string> expected = {"conn+", "afterOpen", "cts+", "dsr-", "rlsd+", "cts-", "dsr-",
                                             "rlsd-", "beforeClose", "conn-", "afterClose"};
  EXPECT_EQ(heard, expected);
}

// What one event of the device makes the port report, by sync method.
struct LineEventCase {
  const char* name;
  std::function<void(ser::Fake_Serial_Api&)> cause;
  std::string expected;
};

class ComPortLineEventTest : public ComPortFakeTest, public ::testing::WithParamInterface<TSyncMethod> {};

TEST_P(ComPortLineEventTest, DeviceEventsReachTheHandlers) {
  const TSyncMethod method = GetParam();
  port->SetSyncMethod(method);
  std::mutex lock;
  std::vector<std::string> heard;
  std::atomic<int> offThread{0}, onMain{0};
  auto note = [&](const std::string& what) {
    (std::this_thread::get_id() == mainThread ? onMain : offThread)++;
    std::lock_guard<std::mutex> guard(lock);
    heard.push_back(what);
  };
  port->OnCTSChange = [&](ui::TObject*, bool on) { note(on ? "cts+" : "cts-"); };
  port->OnDSRChange = [&](ui::TObject*, bool on) { note(on ? "dsr+" : "dsr-"); };
  port->OnRLSDChange = [&](ui::TObject*, bool on) { note(on ? "rlsd+" : "rlsd-"); };
  port->OnRing = [&](ui::TObject*) { note("ring"); };
  port->OnBreak = [&](ui::TObject*) { note("break"); };
  port->OnError = [&](ui::TObject*, TComErrors e) {
    note(std::string("error") + (e.Contains(ceFrame) ? "F" : "") + (e.Contains(ceOverrun) ? "O" : "") +
         (e.Contains(ceRxParity) ? "P" : ""));
  };
  port->OnRxFlag = [&](ui::TObject*) { note("flag"); };
  port->OnRx80Full = [&](ui::TObject*) { note("full"); };
  port->OnRxChar = [&](ui::TObject*, int n) { note("rx" + std::to_string(n)); };
  port->Open();
  // The lines reported at opening are not what this test is about.
  PumpUntil([&] { return false; }, 30);
  {
    std::lock_guard<std::mutex> guard(lock);
    heard.clear();
  }
  onMain = offThread = 0;

  const LineEventCase cases[] = {
      {"cts", [](auto& a) { a.Set_Modem_Status(kDevice, ser::MS_Cts_On); }, "cts+"},
      {"dsr", [](auto& a) { a.Set_Modem_Status(kDevice, ser::MS_Cts_On | ser::MS_Dsr_On); }, "dsr+"},
      {"cts off", [](auto& a) { a.Set_Modem_Status(kDevice, ser::MS_Dsr_On); }, "cts-"},
      {"carrier", [](auto& a) { a.Set_Modem_Status(kDevice, ser::MS_Dsr_On | ser::MS_Rlsd_On); }, "rlsd+"},
      {"ring", [](auto& a) { a.Set_Modem_Status(kDevice, ser::MS_Dsr_On | ser::MS_Rlsd_On | ser::MS_Ring_On); },
       "ring"},
      {"break", [](auto& a) { a.Raise_Line_Errors(kDevice, ser::CE_Break); }, "break"},
      {"frame error", [](auto& a) { a.Raise_Line_Errors(kDevice, ser::CE_Frame | ser::CE_Overrun); }, "errorFO"},
      // Parity errors count only when the port checks parity.
      {"parity unchecked", [](auto& a) { a.Raise_Line_Errors(kDevice, ser::CE_RxParity | ser::CE_Frame); }, "errorF"},
      {"flag", [](auto& a) { a.Raise_Events(kDevice, ser::EV_RxFlag); }, "flag"},
      {"80% full", [](auto& a) { a.Raise_Events(kDevice, ser::EV_Rx80Full); }, "full"},
      {"bytes", [](auto& a) { a.Feed(kDevice, "abc"); }, "rx3"},
  };
  for (const auto& c : cases) {
    c.cause(api);
    EXPECT_TRUE(PumpUntil([&] {
      std::lock_guard<std::mutex> guard(lock);
      return !heard.empty();
    })) << c.name;
    std::lock_guard<std::mutex> guard(lock);
    EXPECT_EQ(heard, std::vector<std::string>{c.expected}) << c.name;
    heard.clear();
    if (c.expected == "rx3") {
      // Nobody read the bytes: they wait in the queue.
      EXPECT_EQ(port->InputCount(), 3);
    }
  }
  if (method == smNone) {
    EXPECT_EQ(onMain, 0);
    EXPECT_GT(offThread, 0);
  } else {
    EXPECT_EQ(offThread, 0);
    EXPECT_GT(onMain, 0);
  }
  // Closing reports the lines going off through the handlers above, which
  // refer to this test's locals: close while they still exist.
  port->Close();
}

INSTANTIATE_TEST_SUITE_P(SyncMethods, ComPortLineEventTest,
                         ::testing::Values(smThreadSync, smWindowSync, smNone));

TEST_F(ComPortFakeTest, ReceivedBytesGoToListeningLinksAndTransmitsAreReported) {
  std::vector<std::string> heard;
  TComLink link;
  link.OnRx = [&](ui::TObject*, bool on) { heard.push_back(on ? "rx+" : "rx-"); };
  link.OnRxBuf = [&](ui::TObject*, const void* b, int n) {
    heard.push_back("link:" + std::string(static_cast<const char*>(b), n));
  };
  link.OnTx = [&](ui::TObject*, bool on) { heard.push_back(on ? "tx+" : "tx-"); };
  link.OnTxBuf = [&](ui::TObject*, const void* b, int n) {
    heard.push_back("sent:" + std::string(static_cast<const char*>(b), n));
  };
  link.OnTxEmpty = [&](ui::TObject*) { heard.push_back("linkEmpty"); };
  port->OnRxBuf = [&](ui::TObject*, const void* b, int n) {
    heard.push_back("port:" + std::string(static_cast<const char*>(b), n));
  };
  port->OnRxChar = [&](ui::TObject*, int) { heard.push_back("rxchar"); };
  port->OnTxEmpty = [&](ui::TObject*) { heard.push_back("empty"); };
  port->RegisterLink(&link);
  port->Open();
  api.Feed(kDevice, "hello");
  ASSERT_TRUE(PumpUntil([&] { return heard.size() >= 4; }));
  // The bytes are read once, for the port's event and for the link; the
  // read that empties the queue ends the reception.
  EXPECT_EQ(heard, (std::vector<std::string>{"rx+", "rx-", "port:hello", "link:hello"}));
  EXPECT_EQ(port->InputCount(), 0);
  heard.clear();

  EXPECT_EQ(port->WriteStr("out"), 3);
  EXPECT_EQ(dev().output, (std::vector<std::uint8_t>{'o', 'u', 't'}));
  ASSERT_TRUE(PumpUntil([&] { return heard.size() >= 5; }));
  EXPECT_EQ(heard, (std::vector<std::string>{"tx+", "sent:out", "tx-", "linkEmpty", "empty"}));
  PumpUntil([] { return false; }, 50);
  EXPECT_EQ(heard.size(), 5u) << "one empty queue per write";
  port->UnRegisterLink(&link);
  port->Close();
}

TEST_F(ComPortFakeTest, CloseInsideAHandlerReturnsPromptly) {
  for (TSyncMethod method : {smThreadSync, smWindowSync, smNone}) {
    port->SetSyncMethod(method);
    std::atomic<long long> closeMs{-1};
    std::atomic<int> calls{0};
    port->OnRxChar = [&](ui::TObject*, int) {
      ++calls;
      const auto start = std::chrono::steady_clock::now();
      port->Close();
      closeMs = porttest::ElapsedMs(start);
    };
    port->Open();
    api.Feed(kDevice, "x");
    ASSERT_TRUE(PumpUntil([&] { return closeMs >= 0; }, 3000)) << int(method);
    EXPECT_LT(closeMs, 1000) << int(method);
    EXPECT_FALSE(port->Connected());
    EXPECT_EQ(dev().handle, ser::Invalid_Handle);
    PumpUntil([] { return false; }, 30);
    EXPECT_EQ(calls, 1) << int(method);
    // The port opens again as usual.
    port->OnRxChar = nullptr;
    port->Open();
    port->Close();
    dev().input.clear();
    dev().rx_level = 0;
  }
}

TEST_F(ComPortFakeTest, CloseWhileADispatchWaitsDropsIt) {
  for (TSyncMethod method : {smThreadSync, smWindowSync}) {
    port->SetSyncMethod(method);
    int calls = 0;
    port->OnRxChar = [&](ui::TObject*, int) { ++calls; };
    port->Open();
    api.Feed(kDevice, "x");
    // The thread has seen the bytes and waits for the window thread, which
    // is busy here and does not handle events.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const auto start = std::chrono::steady_clock::now();
    port->Close();
    EXPECT_LT(porttest::ElapsedMs(start), 1000) << int(method);
    PumpUntil([] { return false; }, 50);
    EXPECT_EQ(calls, 0) << int(method);
    dev().input.clear();
    dev().rx_level = 0;
  }
}

TEST_F(ComPortFakeTest, DestroyingAnOpenPortWithADispatchPending) {
  int calls = 0;
  port->OnRxChar = [&](ui::TObject*, int) { ++calls; };
  port->Open();
  api.Feed(kDevice, "x");
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  delete port;
  port = nullptr;
  PumpUntil([] { return false; }, 50);
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(dev().handle, ser::Invalid_Handle);
}

TEST_F(ComPortFakeTest, WaitForEventWithoutAThread) {
  port->SetEvents({});
  port->Open();
  TComEvents events{evRxChar, evCTS};
  port->WaitForEvent(events, nullptr, 20);
  EXPECT_TRUE(events.Empty());
  api.Feed_After(kDevice, 20, "z");
  events = {evRxChar};
  port->WaitForEvent(events, nullptr, 2000);
  EXPECT_EQ(events, TComEvents{evRxChar});
  EXPECT_EQ(dev().mask, 0u);
  // A set stop event ends the wait at once, with nothing.
  rtl::TEvent stop(true, true);
  events = {evCTS};
  const auto start = std::chrono::steady_clock::now();
  port->WaitForEvent(events, &stop, 5000);
  EXPECT_LT(porttest::ElapsedMs(start), 1000);
  EXPECT_TRUE(events.Empty());
}

TEST_F(ComPortFakeTest, ZeroByteReadLeavesTheBufferAndFailedReadsAreCounted) {
  port->SetEvents({});
  port->Open();
  PComPortsAsync rec = nullptr;
  CreateAsyncRecord(rec);
  char buffer[4] = {'k', 'e', 'e', 'p'};
  EXPECT_EQ(port->ReadAsync(buffer, 0, rec), 0);
  EXPECT_EQ(std::string(buffer, 4), "keep");
  EXPECT_TRUE(port->IsAsyncCompleted(rec));
  api.Feed(kDevice, "ab");
  EXPECT_EQ(port->ReadAsync(buffer, 4, rec), 2);
  EXPECT_EQ(port->WaitForAsync(rec), 2);
  EXPECT_EQ(std::string(buffer, 2), "ab");
  port->Close();

  // Reading a closed handle: counted, or raised when asked for.
  EXPECT_EQ(port->ReadAsync(buffer, 4, rec), 0);
  EXPECT_EQ(port->ReadAsyncErrorCount(), 1);
  EXPECT_EQ(port->ReadAsyncLastError(), ser::Error_Invalid_Handle);
  port->SetReadAsyncExceptionsEnabled(true);
  try {
    port->ReadAsync(buffer, 4, rec);
    FAIL();
  } catch (const EComPort& e) {
    EXPECT_EQ(e.Code(), 3);
  }
  EXPECT_EQ(port->Read(buffer, 4), 0);  // a closed port reads nothing
  EXPECT_EQ(port->Write("x", 1), 0);
  FreeAsyncRecord(rec);
  EXPECT_EQ(rec, nullptr);
}

TEST_F(ComPortFakeTest, StalledWriteEndsAtItsTimeOut) {
  port->SetEvents({});
  port->Timeouts().SetWriteTotalMultiplier(0);
  port->Timeouts().SetWriteTotalConstant(40);
  port->Open();
  dev().stall_writes = true;
  PComPortsAsync rec = nullptr;
  CreateAsyncRecord(rec);
  EXPECT_EQ(port->WriteAsync("abc", 3, rec), 0);
  EXPECT_FALSE(port->IsAsyncCompleted(rec));
  EXPECT_EQ(port->WaitForAsync(rec), 0);
  EXPECT_EQ(dev().purges.back(), ser::Purge_TxAbort);
  // The synchronous form answers what went out: nothing.
  EXPECT_EQ(port->Write("abc", 3), 0);
  port->SetEvents({});
  port->Close();
  port->SetOverlapped(false);
  port->Open();
  EXPECT_EQ(port->Write("abc", 3), 0);
  EXPECT_EQ(port->SyncWriteErrors(), 0);
  dev().stall_writes = false;
  EXPECT_EQ(port->Write("abc", 3), 3);
  // Modem lines read as none without overlapped I/O.
  api.Set_Modem_Status(kDevice, ser::MS_Cts_On);
  EXPECT_TRUE(port->Signals().Empty());
  FreeAsyncRecord(rec);
}

TEST_F(ComPortFakeTest, LineControlAndQueues) {
  port->SetEvents({});
  port->Open();
  port->SetDTR(true);
  EXPECT_TRUE(dev().dtr);
  port->SetRTS(true);
  EXPECT_TRUE(dev().rts);
  port->SetRTS(false);
  EXPECT_FALSE(dev().rts);
  port->SetBreak(true);
  EXPECT_TRUE(dev().break_on);
  port->SetBreak(false);
  EXPECT_FALSE(dev().break_on);
  port->SetXonXoff(true);
  port->SetXonXoff(false);
  EXPECT_EQ(dev().escapes, (std::vector<std::uint32_t>{ser::Esc_SetDtr, ser::Esc_SetRts, ser::Esc_ClrRts,
                                                        ser::Esc_SetBreak, ser::Esc_ClrBreak, ser::Esc_SetXon,
                                                        ser::Esc_SetXoff}));
  port->TransmitChar('!');
  EXPECT_EQ(dev().output.back(), '!');
  api.Feed(kDevice, "123");
  EXPECT_EQ(port->InputCount(), 3);
  port->ClearBuffer(true, false);
  EXPECT_EQ(dev().purges.back(), ser::Purge_RxClear);
  EXPECT_EQ(port->InputCount(), 0);
  api.Set_Modem_Status(kDevice, ser::MS_Dsr_On | ser::MS_Ring_On);
  EXPECT_EQ(port->Signals(), (TComSignals{csDSR, csRing}));
  api.Raise_Line_Errors(kDevice, ser::CE_Overrun | ser::CE_RxParity);
  EXPECT_EQ(port->LastErrors(), TComErrors{ceOverrun});
  EXPECT_TRUE(port->LastErrors().Empty());
  port->Close();
  // Line calls on a closed port fail with their codes.
  try {
    port->SetDTR(true);
    FAIL();
  } catch (const EComPort& e) {
    EXPECT_EQ(e.Code(), 12);
    EXPECT_EQ(e.WinCode(), static_cast<int>(ser::Error_Invalid_Handle));
  }
  EXPECT_THROW(port->Signals(), EComPort);
  EXPECT_THROW(port->InputCount(), EComPort);
}

TEST(ComPortMasks, EventMasksBothWays) {
  const std::pair<TComEvent, std::uint32_t> rows[] = {
      {evRxChar, 0x1}, {evTxEmpty, 0x4}, {evRxFlag, 0x2}, {evRing, 0x100}, {evBreak, 0x40},
      {evCTS, 0x8},    {evDSR, 0x10},    {evError, 0x80}, {evRLSD, 0x20},  {evRx80Full, 0x400}};
  for (const auto& [e, m] : rows) {
    EXPECT_EQ(EventsToMask({e}), m);
    EXPECT_EQ(MaskToEvents(m), TComEvents{e});
  }
  EXPECT_EQ(EventsToMask(AllComEvents), 0x5FFu);
  EXPECT_EQ(MaskToEvents(0x200 | 0x800 | 0x1), TComEvents{evRxChar});
}

}  // namespace
