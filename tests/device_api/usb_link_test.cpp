// The library's lifecycle, the command transaction and the USB link, against the
// simulated HID backend.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "include/JQ_API.h"
#include "tests/sim/sim.h"

namespace {

using Clock = std::chrono::steady_clock;

jqsim::HidDeviceInfo Device(const std::string& path, const std::wstring& maker = L"Pelund Tech",
                            const std::wstring& product = L"JQ-Motion", const std::wstring& serial = L"0001") {
  jqsim::HidDeviceInfo info;
  info.path = path;
  info.manufacturer = maker;
  info.product = product;
  info.serial = serial;
  return info;
}

// Waits up to two seconds for `done`.
template <class F>
bool Eventually(F done) {
  const auto deadline = Clock::now() + std::chrono::seconds(2);
  while (Clock::now() < deadline) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return done();
}

class UsbLink : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(JQ_Init(), 0); }
  void TearDown() override {
    JQ_DeInit();
    jqsim::DetachAllHid();
  }
  jqsim::Controller sim;
};

TEST(Lifecycle, ExportsBeforeInitAndAfterDeInitFailAndWriteDefaults) {
  for (int round = 0; round < 2; ++round) {
    int32_t v = 1234;
    EXPECT_EQ(JQ_Check(), -1);
    EXPECT_EQ(JQ_Open_USB(), -1);
    EXPECT_EQ(JQ_M_Close_USB(0), -1);
    EXPECT_EQ(JQ_Get_Push_Data(0, &v), -1);
    EXPECT_EQ(v, 0);
    EXPECT_EQ(JQ_Set_Thread_Timeout(20), -1);
    ASSERT_EQ(JQ_Init(), 0);
    EXPECT_EQ(JQ_Init(), 0) << "a second JQ_Init changes nothing";
    EXPECT_EQ(JQ_Set_Thread_Timeout(20), 0);
    EXPECT_EQ(JQ_DeInit(), 0);
    EXPECT_EQ(JQ_DeInit(), 0);
  }
}

TEST(Lifecycle, VersionTextIsStatic) {
  char* text = nullptr;
  JQ_Get_Dll_Version(&text);
  ASSERT_NE(text, nullptr);
  EXPECT_STREQ(text, "4.0.0.0");
  JQ_Get_Dll_Version(nullptr);  // must not crash
}

TEST(Lifecycle, InitAndDeInitBalanceTheHidLayer) {
  const int before = jqsim::HidInitCount();
  ASSERT_EQ(JQ_Init(), 0);
  EXPECT_EQ(jqsim::HidInitCount(), before + 1);
  JQ_DeInit();
  EXPECT_EQ(jqsim::HidInitCount(), before);
}

TEST_F(UsbLink, SlotsOutsideTheTableAndClosedSlotsSendNothing) {
  jqsim::AttachHid(Device("a"), sim);
  ASSERT_EQ(JQ_Open_USB(), 0);
  sim.ClearLog();
  for (int32_t slot : {-1, 8, 1000}) {
    int32_t v = 77;
    EXPECT_EQ(JQ_M_Check(slot), -1);
    EXPECT_EQ(JQ_M_Open_USB(slot), -1);
    EXPECT_EQ(JQ_M_Open_USB_SN(slot, "0001"), -1);
    EXPECT_EQ(JQ_M_Close_USB(slot), -1);
    EXPECT_EQ(JQ_M_Get_Push_Data(slot, 0, &v), 0);
    EXPECT_EQ(v, 0);
  }
  EXPECT_EQ(JQ_M_Check(1), -1) << "slot 1 has no link";
  EXPECT_TRUE(sim.Log().empty());
  EXPECT_EQ(jqsim::OpenHidHandles(), 1);
}

TEST_F(UsbLink, RequestAndReplyReports) {
  jqsim::AttachHid(Device("a"), sim);
  ASSERT_EQ(JQ_Open_USB(), 0);
  sim.ClearLog();
  sim.SetValue(0x0079, 2, 5);
  sim.SetPushWords(7, 0);
  int32_t run = -1;
  EXPECT_EQ(JQ_Get_Axis_Status_Run(2, &run), 0);
  EXPECT_EQ(run, 1);  // value 5 has bit 0 set
  ASSERT_EQ(sim.Log().size(), 1u);
  EXPECT_EQ(sim.Log()[0].code, 0x0079);
  EXPECT_EQ(sim.Log()[0].index, 2);
  EXPECT_EQ(sim.Log()[0].value, 0);
  int32_t word = 0;
  EXPECT_EQ(JQ_Get_Push_Data(0, &word), 0);
  EXPECT_EQ(word, 7) << "a reply carries push word 0 of its slot";

  sim.SetStatus(0x0079, 3);
  run = -1;
  EXPECT_EQ(JQ_Get_Axis_Status_Run(2, &run), -1);
  EXPECT_EQ(run, 0);
}

// A command whose reply is the raw report `reply`, queued once the request is out.
int32_t StatusWithRawReply(jqsim::Controller& sim, const std::vector<uint8_t>& reply,
                           uint8_t (&fields)[6]) {
  const size_t sent = sim.Log().size();
  std::thread inject([&] {
    Eventually([&] { return sim.Log().size() > sent; });
    jqsim::InjectHidInputReport("a", reply);
  });
  const int32_t result =
      JQ_Get_Axis_Status(2, &fields[0], &fields[1], &fields[2], &fields[3], &fields[4], &fields[5]);
  inject.join();
  return result;
}

std::vector<uint8_t> Report(std::initializer_list<uint8_t> head) {
  std::vector<uint8_t> r(head);
  r.resize(65, 0);
  return r;
}

TEST_F(UsbLink, ReportsByteForByte) {
  jqsim::AttachHid(Device("a"), sim);
  ASSERT_EQ(JQ_Open_USB(), 0);
  sim.SetFault({jqsim::FaultKind::Silence});  // only the injected reports answer

  uint8_t f[6];
  EXPECT_EQ(StatusWithRawReply(sim, Report({0x02, 0x00, 0x79, 0x00, 0x02, 0x00, 0x05, 0x00, 0x00, 0x00,
                                       0x07, 0x00, 0x00, 0x00}), f), 0);
  EXPECT_EQ(jqsim::LastHidOutputReport("a"),
            (std::vector<uint8_t>{0x01, 0x79, 0x00, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00}));
  EXPECT_EQ(f[0], 1);  // value 5: run and neg
  EXPECT_EQ(f[2], 1);
  int32_t word = 0;
  JQ_Get_Push_Data(0, &word);
  EXPECT_EQ(word, 7);

  EXPECT_EQ(StatusWithRawReply(sim, Report({0x02, 0x03, 0x79, 0x00, 0x02, 0x00, 0x05}), f), -1)
      << "device status 3";
  EXPECT_EQ(f[0], 0);

  EXPECT_EQ(StatusWithRawReply(sim, Report({0x05, 0x00, 0x79, 0x00, 0x02, 0x00, 0x05}), f), -1)
      << "a report with an unknown id is dropped";

  jqsim::InjectHidInputReport("a", Report({0x03, 0x0A, 0x00, 0x00, 0x00, 0x0B, 0x00, 0x00, 0x00}));
  EXPECT_TRUE(Eventually([] {
    int32_t w0 = 0, w1 = 0;
    JQ_Get_Push_Data(0, &w0);
    JQ_Get_Push_Data(1, &w1);
    return w0 == 10 && w1 == 11;
  }));
}

TEST_F(UsbLink, PushReportsFillWordsZeroAndOne) {
  jqsim::AttachHid(Device("a"), sim);
  ASSERT_EQ(JQ_Open_USB(), 0);
  sim.SetPushWords(10, 11);
  sim.SetPushPeriodMs(2);
  EXPECT_TRUE(Eventually([] {
    int32_t w0 = 0, w1 = 0;
    JQ_Get_Push_Data(0, &w0);
    JQ_Get_Push_Data(1, &w1);
    return w0 == 10 && w1 == 11;
  }));
  for (uint16_t channel = 2; channel < 8; ++channel) {
    int32_t v = 99;
    EXPECT_EQ(JQ_Get_Push_Data(channel, &v), 0);
    EXPECT_EQ(v, 0);
  }
  int32_t v = 99;
  EXPECT_EQ(JQ_Get_Push_Data(8, &v), 0);
  EXPECT_EQ(v, 0);
  // Push reports never complete a command by themselves.
  sim.SetFault({jqsim::FaultKind::Silence});
  EXPECT_EQ(JQ_Check(), -1);
}

TEST_F(UsbLink, SilentDeviceTimesOut) {
  jqsim::AttachHid(Device("a"), sim);
  ASSERT_EQ(JQ_Open_USB(), 0);
  sim.SetFault({jqsim::FaultKind::Silence});
  const auto start = Clock::now();
  EXPECT_EQ(JQ_Check(), -1);
  EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(400)) << "gave up before the reply wait";
  sim.ClearFaults();
  EXPECT_EQ(JQ_Check(), 0);
}

TEST_F(UsbLink, LateReplyDoesNotAnswerTheNextCommand) {
  jqsim::AttachHid(Device("a"), sim);
  ASSERT_EQ(JQ_Open_USB(), 0);
  sim.SetValue(100, 0, 6);
  sim.SetValue(120, 1, 1234);
  sim.SetFault({jqsim::FaultKind::Delay, 600, 1});
  int32_t axes = -1;
  EXPECT_EQ(JQ_Get_Axis_Num(&axes), -1);
  EXPECT_EQ(axes, 0);
  // The reply to command 100 arrives while this one waits; it must not be taken.
  int32_t pos = 0;
  EXPECT_EQ(JQ_Get_Axis_Software_P_Now(1, &pos), 0);
  EXPECT_EQ(pos, 1234);
}

TEST_F(UsbLink, FaultyRepliesFail) {
  jqsim::AttachHid(Device("a"), sim);
  ASSERT_EQ(JQ_Open_USB(), 0);
  for (auto kind : {jqsim::FaultKind::WrongEcho, jqsim::FaultKind::BadMarker}) {
    sim.SetFault({kind, 0, 1});
    EXPECT_EQ(JQ_Check(), -1);
    EXPECT_EQ(JQ_Check(), 0) << "the fault was for one request only";
  }
}

TEST_F(UsbLink, OpensTheMatchingDeviceAtTheSlotsPosition) {
  jqsim::Controller other, second;
  jqsim::AttachHid(Device("keyboard", L"Someone", L"Keyboard"), other);
  jqsim::AttachHid(Device("first", L"Pelund Tech", L"Board"), sim);
  jqsim::AttachHid(Device("lower", L"pelund tech", L"Board"), other);  // not ours
  jqsim::AttachHid(Device("second", L"Acme", L"xx JQ-8 yy"), second);

  EXPECT_EQ(JQ_M_Open_USB(0), 0);
  EXPECT_EQ(JQ_M_Open_USB(1), 0);
  EXPECT_EQ(JQ_M_Open_USB(2), -1);
  EXPECT_EQ(JQ_M_Check(0), 0);
  EXPECT_EQ(JQ_M_Check(1), 0);
  EXPECT_EQ(JQ_M_Check(2), -1);
  EXPECT_EQ(sim.Log().size(), 1u);
  EXPECT_EQ(second.Log().size(), 1u);
  EXPECT_TRUE(other.Log().empty());
  EXPECT_EQ(jqsim::OpenHidHandles(), 2);
}

TEST_F(UsbLink, OpensBySerialNumberWhateverTheMaker) {
  jqsim::Controller other;
  jqsim::AttachHid(Device("a", L"Pelund Tech", L"JQ-1", L"S-1"), other);
  jqsim::AttachHid(Device("b", L"Nobody", L"Thing", L"S-2"), sim);
  EXPECT_EQ(JQ_M_Open_USB_SN(3, "S-2"), 0);
  EXPECT_EQ(JQ_M_Check(3), 0);
  EXPECT_EQ(sim.Log().size(), 1u);
  EXPECT_EQ(JQ_M_Open_USB_SN(3, "S-3"), -1);
  EXPECT_EQ(JQ_M_Check(3), -1) << "a failed open leaves the slot closed";
  EXPECT_EQ(JQ_M_Open_USB_SN(3, ""), -1);
  EXPECT_EQ(JQ_M_Open_USB_SN(3, nullptr), -1);
  EXPECT_EQ(jqsim::OpenHidHandles(), 0);
}

TEST_F(UsbLink, NoDeviceLeavesSlotClosed) {
  EXPECT_EQ(JQ_Open_USB(), -1);
  EXPECT_EQ(JQ_Check(), -1);
  EXPECT_EQ(JQ_Close_USB(), 0);
}

TEST_F(UsbLink, UnplugDuringATransaction) {
  jqsim::AttachHid(Device("a"), sim);
  ASSERT_EQ(JQ_Open_USB(), 0);
  sim.SetFault({jqsim::FaultKind::Delay, 100, 1});
  std::thread unplug([] {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    jqsim::DetachHid("a");
  });
  EXPECT_EQ(JQ_Check(), -1);
  unplug.join();
  EXPECT_EQ(JQ_Check(), -1);
  EXPECT_EQ(JQ_Close_USB(), 0);
  EXPECT_EQ(jqsim::OpenHidHandles(), 0);
}

TEST_F(UsbLink, PollPeriodCanBeChangedAndNegativeMeansZero) {
  jqsim::AttachHid(Device("a"), sim);
  ASSERT_EQ(JQ_Open_USB(), 0);
  for (int32_t period : {20, 0, -5, 1}) {
    EXPECT_EQ(JQ_Set_Thread_Timeout(period), 0);
    EXPECT_EQ(JQ_Check(), 0) << period;
  }
  // A long period must not hold up shutdown: JQ_DeInit wakes the reader.
  EXPECT_EQ(JQ_Set_Thread_Timeout(600000), 0);
}

TEST_F(UsbLink, InitStartsWithTheDefaultPollPeriod) {
  // A reader left at ten minutes per pass would not read pushed words for ten minutes.
  EXPECT_EQ(JQ_Set_Thread_Timeout(600000), 0);
  JQ_DeInit();
  ASSERT_EQ(JQ_Init(), 0);
  jqsim::AttachHid(Device("a"), sim);
  ASSERT_EQ(JQ_Open_USB(), 0);
  sim.SetPushWords(21, 22);
  sim.SetPushPeriodMs(2);
  EXPECT_TRUE(Eventually([] {
    int32_t w1 = 0;
    JQ_Get_Push_Data(1, &w1);
    return w1 == 22;
  }));
}

// While a caller awaits a reply the reader waits on that device's input, so the
// reply is taken when it comes, not at the next pass; and a reader with nothing
// open waits for an open rather than polling nothing.
TEST_F(UsbLink, RepliesDoNotWaitForThePollPeriod) {
  EXPECT_EQ(JQ_Set_Thread_Timeout(0), 0);
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  jqsim::AttachHid(Device("a"), sim);
  ASSERT_EQ(JQ_Open_USB(), 0);
  EXPECT_EQ(JQ_Check(), 0) << "the reader did not notice the open";
  EXPECT_EQ(JQ_Set_Thread_Timeout(600000), 0);
  sim.SetFault({jqsim::FaultKind::Delay, 3});
  for (int i = 0; i < 5; ++i) EXPECT_EQ(JQ_Check(), 0) << "a reply waited for the next pass, ten minutes away";
  EXPECT_EQ(JQ_Close_USB(), 0);
  EXPECT_EQ(JQ_Open_USB(), 0);
  EXPECT_EQ(JQ_Check(), 0);
}

class UsbConcurrency : public UsbLink {};

TEST_F(UsbConcurrency, TwoSlotsNeverInterleave) {
  jqsim::Controller second;
  jqsim::AttachHid(Device("a"), sim);
  jqsim::AttachHid(Device("b"), second);
  ASSERT_EQ(JQ_M_Open_USB(0), 0);
  ASSERT_EQ(JQ_M_Open_USB(1), 0);
  sim.SetFault({jqsim::FaultKind::Delay, 2});
  second.SetFault({jqsim::FaultKind::Delay, 2});
  JQ_Set_Thread_Timeout(0);
  std::atomic<int> failures{0};
  auto worker = [&](int32_t slot) {
    for (int i = 0; i < 40; ++i)
      if (JQ_M_Check(slot) != 0) ++failures;
  };
  std::thread t0(worker, 0), t1(worker, 1);
  t0.join();
  t1.join();
  EXPECT_EQ(failures.load(), 0);
  auto log = sim.Log();
  auto other = second.Log();
  log.insert(log.end(), other.begin(), other.end());
  std::sort(log.begin(), log.end(), [](auto& a, auto& b) { return a.received_us < b.received_us; });
  ASSERT_EQ(log.size(), 80u);
  for (size_t i = 1; i < log.size(); ++i)
    EXPECT_LE(log[i - 1].replied_us, log[i].received_us) << "request " << i << " overlapped the one before";
}

// The reader takes one report per slot in a pass, so a stale reply waiting on slot 1
// is read right after the awaited reply of slot 0, before the waiting caller has
// copied that one out. The caller must still get its own reply.
TEST_F(UsbConcurrency, ReplyReadInTheSamePassDoesNotReplaceTheAwaitedOne) {
  jqsim::Controller second;
  jqsim::AttachHid(Device("a"), sim);
  jqsim::AttachHid(Device("b"), second);
  ASSERT_EQ(JQ_M_Open_USB(0), 0);
  ASSERT_EQ(JQ_M_Open_USB(1), 0);
  sim.SetFault({jqsim::FaultKind::Silence});  // only the injected reports answer
  // A long pass period makes both reports wait for the same pass.
  ASSERT_EQ(JQ_Set_Thread_Timeout(20), 0);
  const std::vector<uint8_t> own = Report({0x02, 0x00, 100, 0x00, 0x00, 0x00, 6});
  const std::vector<uint8_t> stale = Report({0x02, 0x00, 100, 0x00, 0x00, 0x00, 99});
  for (int round = 0; round < 20; ++round) {
    const size_t sent = sim.Log().size();
    std::thread inject([&] {
      Eventually([&] { return sim.Log().size() > sent; });
      jqsim::InjectHidInputReport("b", stale);
      jqsim::InjectHidInputReport("a", own);
    });
    int32_t axes = -1;
    const int32_t result = JQ_Get_Axis_Num(&axes);
    inject.join();
    ASSERT_EQ(result, 0) << "round " << round;
    ASSERT_EQ(axes, 6) << "round " << round << ": slot 1's report was taken";
  }
}

TEST_F(UsbConcurrency, CloseWhileTheReaderPolls) {
  jqsim::AttachHid(Device("a"), sim);
  sim.SetPushWords(1, 2);
  sim.SetPushPeriodMs(1);
  JQ_Set_Thread_Timeout(0);
  std::atomic<bool> stop{false};
  std::thread commands([&] {
    while (!stop) {
      JQ_Check();
      int32_t v;
      JQ_Get_Push_Data(0, &v);
    }
  });
  for (int i = 0; i < 200; ++i) {
    JQ_Open_USB();
    JQ_Close_USB();
  }
  stop = true;
  commands.join();
  EXPECT_EQ(jqsim::OpenHidHandles(), 0);
}

}  // namespace
