// Opening every window the user can open, over and over: the program's
// memory must stay flat. The figure is the growth of the heap in use (and,
// printed beside it, of the resident set) between a warmed-up program and
// the end of the soak.
#include <gtest/gtest.h>

#include <malloc.h>
#include <unistd.h>

#include <QPixmapCache>
#include <cstdio>
#include <fstream>
#include <functional>

#include "desktop/auto_form.h"
#include "desktop/board_port_form.h"
#include "desktop/calc_form.h"
#include "desktop/config_form.h"
#include "desktop/input_form.h"
#include "desktop/main_form.h"
#include "desktop/output_form.h"
#include "desktop/run_all_form.h"
#include "tests/desktop/desktop_fixture.h"

namespace desktoptest {
namespace {

using namespace ui;

// Qt's pixmap cache grows up to its fixed limit (10 MB): bounded, and not
// kept by the program, so it is emptied before each reading. Its string keys
// are not bounded: Qt keeps the key of every pixmap it ever cached, through
// eviction and clear() alike, and the style's keys name the palette of the
// widget painted, which is new for every widget made. So a window that makes
// new widgets at each opening grows the heap here, as it does in use.
std::size_t HeapInUse() {
  QPixmapCache::clear();
  const struct mallinfo2 m = ::mallinfo2();
  return m.uordblks + m.hblkhd;
}

std::size_t ResidentBytes() {
  std::ifstream statm("/proc/self/statm");
  std::size_t size = 0, resident = 0;
  statm >> size >> resident;
  return resident * static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
}

using SoakTest = ProgramTest;

TEST_F(SoakTest, TwoThousandOpeningsOfEveryWindowKeepTheMemoryFlat) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  GTEST_SKIP() << "a sanitiser's allocator keeps freed memory aside";
#endif
  using namespace desktop;
  SimulatedController sim;
  Connect(sim, 4, 4, 16, 16);

  // Runs Fn inside Form's modal loop (opening a window may handle events
  // before its loop starts).
  std::function<void(TCustomForm*, std::function<void()>)> inModal = [&](TCustomForm* Form, std::function<void()> Fn) {
    h->Post([&, Form, Fn] {
      if (Form->IsModal() && Form->Visible()) Fn();
      else inModal(Form, Fn);
    });
  };
  // A modal window opened by Open and ended from inside its own loop.
  auto modal = [&](TCustomForm* Form, const std::function<void()>& Open) {
    inModal(Form, [Form] { Form->SetModalResult(mrCancel); });
    Open();
    ASSERT_FALSE(Form->Visible());
  };
  auto modeless = [&](TCustomForm* Form, TToolButton* Button) {
    Button->Click();
    ASSERT_TRUE(Form->Visible());
    Form->Close();
    h->ProcessEvents();
  };
  // One opening of each: connection, start-several, auto-run, inputs,
  // outputs, and the parameter dialog with the calculator inside.
  auto windows = [&] {
    modal(BoardPortFrm, [] { MainFrm->btn_Scan->Click(); });
    modal(RunAllFrm, [] { MainFrm->btn_RunAll->Click(); });
    modeless(AutoFrm, MainFrm->btn_Auto);
    modeless(InputFrm, MainFrm->btn_Input);
    modeless(OutputFrm, MainFrm->btn_Output);
    modal(ConfigFrm, [] {
      ConfigFrm->Set_Config(4, 4);
      ConfigFrm->ShowModal();
    });
    modal(CalcFrm, [] { ConfigFrm->btn_Calc->Click(); });
  };
  // The parameter command of the tool bar: the dialog, the calculator from
  // it, then the axis panels rebuilt from the settings.
  auto setup = [&] {
    inModal(ConfigFrm, [&] {
      modal(CalcFrm, [] { ConfigFrm->btn_Calc->Click(); });
      ConfigFrm->SetModalResult(mrCancel);
    });
    MainFrm->btn_Setup->Click();
    ASSERT_FALSE(ConfigFrm->Visible());
  };
  // Heap growth in bytes between a warmed-up program and the end of the soak.
  auto soak = [&](const char* What, const std::function<void()>& Round, int Windows) {
    constexpr int kWarmUp = 100, kRounds = 2000;
    auto one = [&] {
      Round();
      // Not the program's memory: the simulator's request log, and the
      // auto-run log, which keeps the line each close writes.
      sim.controller.ClearLog();
      AutoFrm->mmo_Log->Lines()->Clear();
    };
    for (int i = 0; i < kWarmUp && !HasFailure(); ++i) one();
    const std::size_t heap0 = HeapInUse(), rss0 = ResidentBytes();
    for (int i = kWarmUp; i < kRounds && !HasFailure(); ++i) one();
    const long long heap = static_cast<long long>(HeapInUse()) - static_cast<long long>(heap0);
    const long long rss = static_cast<long long>(ResidentBytes()) - static_cast<long long>(rss0);
    const int openings = (kRounds - kWarmUp) * Windows;
    std::printf("soak, %s: %d openings of %d windows: heap in use %+lld bytes (%.1f per opening), resident %+lld KiB\n",
                What, kRounds * Windows, Windows, heap, double(heap) / openings, rss / 1024);
    return heap / openings;
  };
  // A window that kept even a small object per opening would grow the heap
  // by its size for each of the 13,300 openings measured.
  EXPECT_LT(soak("every window", windows, 7), 16);
  // The same for the tool bar's parameter command, which rebuilds the axis
  // panels after its dialog (it grew by about 5 KB each time while the
  // rebuild replaced the panels with new ones).
  EXPECT_LT(soak("parameter command", setup, 2), 16);
}

}  // namespace
}  // namespace desktoptest
