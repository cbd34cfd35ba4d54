// Threads, locks, events and the replaceable clock.
#include <gtest/gtest.h>

#include <sched.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "platform/runtime/codepage.h"
#include "platform/runtime/exceptions.h"
#include "platform/classes/ini_files.h"
#include "platform/runtime/registry.h"
#include "tests/platform/runtime/runtime_test_util.h"
#include "platform/classes/string_list.h"
#include "platform/runtime/sync.h"
#include "platform/runtime/thread.h"
#include "platform/runtime/ticks.h"

using namespace rtl;

TEST(Ticks, ManualClockDrivesTicksAndSleep) {
  ManualClock clock(0xFFFFFFF0ull);
  Clock* old = SetClock(&clock);
  std::uint64_t seen = 0;
  clock.SetAdvanceHook([&](std::uint64_t now) { seen = now; });
  const std::uint32_t t0 = GetTickCount();
  Sleep(0x20);  // sleeping on the manual clock moves it
  const std::uint32_t t1 = GetTickCount();
  EXPECT_LT(t1, t0);                       // the 32-bit tick wrapped
  EXPECT_EQ(TicksBetween(t0, t1), 0x20u);  // elapsed time is still right
  EXPECT_EQ(GetTickCount64(), 0x100000010ull);
  EXPECT_EQ(seen, 0x100000010ull);
  SetClock(old);
  const std::uint64_t a = GetTickCount64();
  Sleep(2);
  EXPECT_GE(GetTickCount64(), a);
}

TEST(Threads, TerminateFlagJoinAndStackSize) {
  std::atomic<int> loops{0};
  TFunctionThread t(
      [&](TThread& self) {
        char big[1 << 20];  // needs more than a small default stack
        big[0] = 1;
        while (!self.Terminated()) {
          loops += big[0];
          Sleep(1);
        }
      },
      4 << 20);
  t.Start();
  EXPECT_THROW(t.Start(), EThread);
  while (loops.load() < 3) Sleep(1);
  t.Terminate();
  t.WaitFor();
  EXPECT_TRUE(t.Finished());
  EXPECT_FALSE(t.FatalException());
  EXPECT_NE(t.ThreadID(), CurrentThreadID());
}

TEST(Threads, ExceptionInExecuteIsKept) {
  TFunctionThread t([](TThread&) { throw EConvertError(u"bad"); });
  bool ended = false;
  t.OnTerminate = [&](TThread&) { ended = true; };
  t.Start();
  t.WaitFor();
  EXPECT_TRUE(ended);
  ASSERT_TRUE(t.FatalException());
  EXPECT_THROW(std::rethrow_exception(t.FatalException()), EConvertError);
}

// The nice value a thread runs at, read on the thread itself.
static int NiceOf(TThreadPriority priority, bool setWhileRunning, bool* accepted = nullptr) {
  std::atomic<bool> go{false};
  std::atomic<int> nice{1000};
  TFunctionThread t([&](TThread&) {
    while (!go.load()) Sleep(1);
    nice = ::getpriority(PRIO_PROCESS, 0);
  });
  bool ok = true;
  if (!setWhileRunning) ok = t.SetPriority(priority);
  t.Start();
  while (t.ThreadID() == 0) Sleep(1);
  if (setWhileRunning) ok = t.SetPriority(priority);
  go = true;
  t.WaitFor();
  if (accepted) *accepted = ok;
  return nice.load();
}

TEST(Threads, PriorityStepsBecomeNiceValuesAndARefusalIsHarmless) {
  const int base = ::getpriority(PRIO_PROCESS, static_cast<id_t>(::getpid()));
  struct Case {
    TThreadPriority priority;
    int step;
  };
  for (const Case c : {Case{tpIdle, 19}, Case{tpLowest, 10}, Case{tpLower, 5}, Case{tpNormal, 0}}) {
    const int expected = std::clamp(base + c.step, -20, 19);
    EXPECT_EQ(NiceOf(c.priority, false), expected) << int(c.priority);
    EXPECT_EQ(NiceOf(c.priority, true), expected) << int(c.priority);
  }
  // Above normal needs a privilege: either the system grants it or the
  // thread runs on at the process's priority.
  bool accepted = false;
  const int higher = NiceOf(tpHighest, true, &accepted);
  EXPECT_EQ(higher, accepted ? std::max(base - 10, -20) : base);
}

// The count follows the calling thread's own affinity set, which a thread may
// narrow for itself alone (as `taskset` does for a whole process).
TEST(Threads, UsableProcessorCountFollowsTheAffinitySet) {
  cpu_set_t all;
  ASSERT_EQ(::sched_getaffinity(0, sizeof all, &all), 0);
  EXPECT_EQ(UsableProcessorCount(), CPU_COUNT(&all));
  int first = 0;
  while (!CPU_ISSET(first, &all)) ++first;
  int narrowed = 0;
  std::thread([&] {
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(first, &one);
    if (::sched_setaffinity(0, sizeof one, &one) == 0) narrowed = UsableProcessorCount();
  }).join();
  EXPECT_EQ(narrowed, 1);
  EXPECT_EQ(UsableProcessorCount(), CPU_COUNT(&all)) << "another thread's set is its own";
}

// A thread pinned to one processor still sees the process's processors.
TEST(Threads, ProcessProcessorCountIsTheFirstThreadsSet) {
  cpu_set_t all;
  ASSERT_EQ(::sched_getaffinity(0, sizeof all, &all), 0);
  EXPECT_EQ(ProcessProcessorCount(), CPU_COUNT(&all));
  int first = 0;
  while (!CPU_ISSET(first, &all)) ++first;
  int seen = 0;
  std::thread([&] {
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(first, &one);
    if (::sched_setaffinity(0, sizeof one, &one) == 0) seen = ProcessProcessorCount();
  }).join();
  EXPECT_EQ(seen, CPU_COUNT(&all));
}

TEST(Sync, ReentrantLockAndManualResetEvent) {
  TCriticalSection cs;
  cs.Enter();
  cs.Enter();  // the owner may enter again
  std::atomic<bool> otherGotIn{false};
  TEvent ready;
  TFunctionThread other([&](TThread&) {
    ready.SetEvent();
    cs.Enter();
    otherGotIn = true;
    cs.Leave();
  });
  other.Start();
  EXPECT_EQ(ready.WaitFor(5000), TWaitResult::wrSignaled);
  cs.Leave();
  EXPECT_FALSE(otherGotIn.load());
  cs.Leave();
  other.WaitFor();
  EXPECT_TRUE(otherGotIn.load());

  TEvent ev;
  EXPECT_EQ(ev.WaitFor(10), TWaitResult::wrTimeout);
  ev.SetEvent();
  EXPECT_EQ(ev.WaitFor(0), TWaitResult::wrSignaled);
  EXPECT_EQ(ev.WaitFor(0), TWaitResult::wrSignaled);  // stays set until reset
  ev.ResetEvent();
  EXPECT_EQ(ev.WaitFor(0), TWaitResult::wrTimeout);

  TEvent autoEv(false);
  autoEv.SetEvent();
  EXPECT_EQ(autoEv.WaitFor(0), TWaitResult::wrSignaled);
  EXPECT_EQ(autoEv.WaitFor(0), TWaitResult::wrTimeout);
}

TEST(FloatFaults, ReadFromStatusFlags) {
  ClearFloatFaults();
  volatile double zero = 0.0;
  volatile double r = 1.0 / zero;
  (void)r;
  EXPECT_THROW(RaiseFloatFaults(), EZeroDivide);
  EXPECT_NO_THROW(RaiseFloatFaults());
}

// Writers of distinct keys in two processes and two threads at once: every
// read-modify-write holds the file's lock, so no writer's key is lost.
namespace {

constexpr int kKeysPerWriter = 100;

// Runs write(writer, i) for every key of four writers: writers 0 and 1 in
// child processes, 2 and 3 in threads of this one. False when a writer failed.
bool RunFourWriters(const std::function<bool(int, int)>& write) {
  pid_t children[2];
  for (int w = 0; w < 2; ++w) {
    children[w] = ::fork();
    if (children[w] == 0) {
      for (int i = 0; i < kKeysPerWriter; ++i)
        if (!write(w, i)) ::_exit(1);
      ::_exit(0);
    }
  }
  std::atomic<bool> ok{true};
  std::thread threads[2];
  for (int w = 2; w < 4; ++w)
    threads[w - 2] = std::thread([&, w] {
      for (int i = 0; i < kKeysPerWriter; ++i)
        if (!write(w, i)) ok = false;
    });
  for (auto& t : threads) t.join();
  for (pid_t pid : children) {
    int status = 0;
    if (pid <= 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) ok = false;
  }
  return ok;
}

String Name(const char16_t* prefix, int n) { return prefix + IntToStr(n); }

}  // namespace

TEST(FileConcurrency, ProfileIniKeepsEveryWritersKeys) {
  rtl_test::TempDir tmp;
  const String file = tmp.File("shared.ini");
  EXPECT_TRUE(RunFourWriters([&](int w, int i) {
    try {
      TIniFile(file).WriteInteger(Name(u"W", w), Name(u"K", i), i);
      return true;
    } catch (const Exception&) {
      return false;
    }
  }));
  TIniFile ini(file);
  ui::TStringList keys;
  for (int w = 0; w < 4; ++w) {
    ini.ReadSection(Name(u"W", w), keys);
    EXPECT_EQ(keys.Count(), kKeysPerWriter) << "writer " << w;
    for (int i = 0; i < kKeysPerWriter; ++i) EXPECT_EQ(ini.ReadInteger(Name(u"W", w), Name(u"K", i), -1), i);
  }
}

TEST(FileConcurrency, RegistryKeepsEveryWritersValues) {
  rtl_test::TempDir tmp;
  ::setenv("JQ_REGISTRY_DIR", tmp.path().c_str(), 1);
  EXPECT_TRUE(RunFourWriters([](int w, int i) {
    HKEY key;
    if (RegCreateKeyEx(HKEY_CURRENT_USER, u"Software\\Shared\\" + Name(u"W", w), KEY_ALL_ACCESS, &key, nullptr) !=
        ERROR_SUCCESS)
      return false;
    const std::uint32_t v = static_cast<std::uint32_t>(i);
    const LONG rc = RegSetValueEx(key, Name(u"K", i), REG_DWORD, reinterpret_cast<const std::uint8_t*>(&v), 4);
    RegCloseKey(key);
    return rc == ERROR_SUCCESS;
  }));
  for (int w = 0; w < 4; ++w) {
    HKEY key;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, u"Software\\Shared\\" + Name(u"W", w), 0, KEY_READ, &key),
              ERROR_SUCCESS);
    std::uint32_t values = 0;
    EXPECT_EQ(RegQueryInfoKey(key, nullptr, nullptr, &values, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(values, static_cast<std::uint32_t>(kKeysPerWriter)) << "writer " << w;
    RegCloseKey(key);
  }
  ::unsetenv("JQ_REGISTRY_DIR");
}

// Each thread keeps its own conversion descriptors: threads converting at
// once, between pages with shift state (UTF-7) and through bad input that
// leaves a descriptor mid-sequence, all get what one thread alone gets.
TEST(CodePageConcurrency, ThreadsConvertingAtOnceAgree) {
  struct Case {
    std::string bytes;
    std::uint32_t page;
  };
  const Case cases[] = {
      {"\xCC\xE1\xCA\xBE" "ab\xCC", CP_GBK},  // ends on a lone lead byte
      {"\xD6\xB0\xC4\xDC\x81", CP_GBK},
      {"+AGEAYgBj-x+ZeVnLA", CP_UTF7},        // ends inside a shifted run
      {"\x80\xE9\x81", 1252},
      {"\x80\xB0", 437},
      {std::string("A\0\0\0\x00\xD8\0\0", 8), CP_UTF32LE},
  };
  const String texts[] = {U("提示 第1轴"), u"a\u0E01b\U0001F600", u"\u00E9\u20AC", U("值=%[x]")};
  const std::uint32_t pages[] = {CP_GBK, CP_UTF7, 1252, 20127, CP_UTF32BE};
  std::vector<String> decoded;
  std::vector<std::string> encoded;
  for (const Case& c : cases) decoded.push_back(DecodeText(c.bytes, c.page));
  for (const String& t : texts)
    for (std::uint32_t p : pages) encoded.push_back(EncodeText(t, p));

  std::atomic<int> mismatches{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 6; ++t)
    threads.emplace_back([&, t] {
      for (int round = 0; round < 300; ++round) {
        // Each thread walks the cases in its own order.
        for (std::size_t k = 0; k < std::size(cases); ++k) {
          const std::size_t i = (k + static_cast<std::size_t>(t + round)) % std::size(cases);
          if (DecodeText(cases[i].bytes, cases[i].page) != decoded[i]) ++mismatches;
        }
        std::size_t e = 0;
        for (const String& text : texts)
          for (std::uint32_t p : pages)
            if (EncodeText(text, p) != encoded[e++]) ++mismatches;
      }
    });
  for (auto& th : threads) th.join();
  EXPECT_EQ(mismatches.load(), 0);
  // Threads that ended took their descriptors with them; this one still converts.
  EXPECT_EQ(DecodeText(cases[0].bytes, cases[0].page), decoded[0]);
}
