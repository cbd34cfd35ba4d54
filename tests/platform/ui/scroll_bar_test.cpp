// The scroll bar control: positions from its actions, the notices its parent
// reflects back to it, and a window-procedure hook listening on that way.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QScrollBar>

#include <string>
#include <vector>

#include "platform/runtime/exceptions.h"
#include "platform/ui/scroll_bar.h"
#include "tests/platform/ui/harness.h"

namespace {

using namespace ui;

class ScrollBarTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form = h.MakeForm<TForm>();
    form->SetBounds(0, 0, 300, 200);
    bar = new TScrollBar(form);
    bar->SetParent(form);
    bar->SetLargeChange(10);
    bar->OnScroll = [this](TObject*, TScrollCode code, int& pos) {
      log.push_back("scroll " + std::to_string(code) + " " + std::to_string(pos));
    };
    bar->OnChange = [this](TObject*) { log.push_back("change " + std::to_string(bar->Position())); };
    h.Show(form);
  }
  QScrollBar* Qt() { return qobject_cast<QScrollBar*>(bar->Widget()); }
  void Release() {
    QMouseEvent up(QEvent::MouseButtonRelease, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton, Qt::NoButton,
                   Qt::NoModifier);
    QApplication::sendEvent(Qt(), &up);
  }
  uitest::Harness h;
  TForm* form = nullptr;
  TScrollBar* bar = nullptr;
  std::vector<std::string> log;
};

TEST_F(ScrollBarTest, ActionsComeBackThroughTheParentAndAHookHearsThem) {
  // The hook stands where an external bar's grid stands: it hears the
  // reflected notice first, then the bar's own procedure handles it.
  TWndMethod own = bar->WindowProc();
  bar->SetWindowProc([&](TMessage& m) {
    if (m.Msg == CN_HSCROLL) log.push_back("hook " + std::to_string(LoWord(m.WParam)));
    own(m);
  });
  EXPECT_FALSE(bar->HasOwnWindowProc());

  Qt()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  Qt()->triggerAction(QAbstractSlider::SliderPageStepAdd);
  EXPECT_EQ(Qt()->value(), 11);
  Qt()->setSliderDown(true);
  Qt()->setSliderPosition(40);
  TScrollInfo si;
  si.fMask = SIF_ALL;
  ASSERT_TRUE(form->GetScrollInfo(SB_CTL, si) == false);  // the form is no scroll bar
  ASSERT_TRUE(bar->GetScrollInfo(SB_CTL, si));
  EXPECT_EQ(si.nTrackPos, 40);
  Qt()->setSliderDown(false);
  Release();
  const std::vector<std::string> expected = {
      "hook 1", "scroll 1 1",   "change 1",  "hook 3", "scroll 3 11", "change 11", "hook 5",
      "scroll 5 40", "change 40", "hook 4",  "scroll 4 40", "hook 8",     "scroll 8 40"};
  EXPECT_EQ(log, expected);

  // Setting the saved value back unhooks.
  bar->SetWindowProc(own);
  EXPECT_TRUE(bar->HasOwnWindowProc());
  log.clear();
  Qt()->triggerAction(QAbstractSlider::SliderToMinimum);
  EXPECT_EQ(log, (std::vector<std::string>{"scroll 6 0", "change 0"}));
  EXPECT_EQ(bar->Position(), 0);
}

TEST_F(ScrollBarTest, AHookSeesEveryWayInAndMayTakeAMessage) {
  std::vector<std::uint32_t> seen;
  TWndMethod own = bar->WindowProc();
  bar->SetWindowProc([&](TMessage& m) {
    seen.push_back(m.Msg);
    if (m.Msg == WM_USER + 1) return;  // taken: the bar never sees it
    own(m);
  });
  EXPECT_EQ(bar->Perform(WM_USER + 1), 0);
  PostMessage(bar, WM_USER + 2);
  h.ProcessEvents();
  h.Click(bar, Point(60, 5));
  auto has = [&](std::uint32_t msg) { return std::find(seen.begin(), seen.end(), msg) != seen.end(); };
  EXPECT_TRUE(has(WM_USER + 1));
  EXPECT_TRUE(has(WM_USER + 2));
  EXPECT_TRUE(has(WM_LBUTTONDOWN));
  bar->SetWindowProc(nullptr);
  EXPECT_TRUE(bar->HasOwnWindowProc());
}

TEST_F(ScrollBarTest, ParamsKeepThePositionInsideAValidRange) {
  struct Case {
    int pos, min, max, page;
    bool raises;
    int position;
  };
  const Case cases[] = {
      {50, 0, 100, 0, false, 50},  {150, 0, 100, 0, false, 100}, {-5, 10, 20, 0, false, 10},
      {5, 20, 10, 0, true, 0},     {5, 0, 10, 20, true, 0},      {30, 0, 99, 100, true, 0},
      {30, 0, 199, 100, false, 30},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.pos) + " " + std::to_string(c.min) + ".." + std::to_string(c.max));
    bar->SetPageSize(0);
    bar->SetParams(0, 0, 100);
    bar->SetPageSize(c.page);
    if (c.raises) {
      EXPECT_THROW(bar->SetParams(c.pos, c.min, c.max), rtl::EInvalidOperation);
      EXPECT_EQ(bar->Max(), 100);  // nothing changed
      continue;
    }
    bar->SetParams(c.pos, c.min, c.max);
    EXPECT_EQ(bar->Position(), c.position);
    TScrollInfo si;
    si.fMask = SIF_ALL;
    ASSERT_TRUE(bar->GetScrollInfo(SB_CTL, si));
    EXPECT_EQ(si.nMin, c.min);
    EXPECT_EQ(si.nMax, c.max);
    EXPECT_EQ(si.nPage, static_cast<unsigned>(c.page));
    EXPECT_EQ(si.nPos, c.position);
    // A page shows as the thumb; the last place is where a whole page fits.
    EXPECT_EQ(Qt()->maximum(), c.max - std::max(c.page - 1, 0));
  }
  log.clear();
  bar->SetParams(bar->Position(), 0, 500);
  EXPECT_TRUE(log.empty());  // the position did not move: no OnChange

  const TRect wide = bar->BoundsRect();
  bar->SetKind(sbVertical);
  EXPECT_EQ(bar->Width(), wide.Height());
  EXPECT_EQ(bar->Height(), wide.Width());
  EXPECT_EQ(Qt()->orientation(), Qt::Vertical);
}

}  // namespace
