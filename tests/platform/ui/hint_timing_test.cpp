// When tool tips come and go: the pause a control answers, the hide time,
// the cursor rectangle, the short pause from one tip to the next, and
// Qt's own tool-tip event kept out of the way. All on the harness clock.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QHelpEvent>
#include <optional>

#include "platform/ui/application.h"
#include "platform/ui/hint_window.h"
#include "platform/ui/label.h"
#include "platform/ui/panels.h"
#include "tests/platform/ui/harness.h"

namespace {

using namespace ui;

// A panel made of 40 x 20 cells, each with a tip of its own ("cell N",
// N counted along the top row), that answers the pause query as told.
class CellPanel : public TPanel {
 public:
  using TPanel::TPanel;
  std::optional<int> pause;  // the answer to CM_HINTSHOWPAUSE; none: left alone
  int offered = -1;          // the pause the application offered
  WPARAM offeredWParam = 0;
  int hideTimeout = 0;  // > 0: replaces the application's hide time
  int reshowTimeout = 0;
  int asked = 0;  // CM_HINTSHOW count

  void Dispatch(TMessage& M) override {
    if (M.Msg == CM_HINTSHOWPAUSE) {
      auto* p = reinterpret_cast<int*>(M.LParam);
      offered = *p;
      offeredWParam = M.WParam;
      if (pause) *p = *pause;
      return;
    }
    if (M.Msg != CM_HINTSHOW) return TPanel::Dispatch(M);
    ++asked;
    auto* info = reinterpret_cast<THintInfo*>(M.LParam);
    // The tip is offered below the mouse.
    const TPoint mouse = ScreenToClient(Point(info->HintPos.X, info->HintPos.Y - 20));
    const int cell = mouse.X / 40;
    info->HintStr = u"cell " + rtl::IntToStr(cell);
    info->CursorRect = Bounds(cell * 40, mouse.Y / 20 * 20, 40, 20);
    if (hideTimeout > 0) info->HideTimeout = hideTimeout;
    info->ReshowTimeout = reshowTimeout;
    M.Result = 0;
  }
};

// The tool tip showing now, in our window or the platform's; empty: none.
String ShownTip() {
  auto shown = uitest::ShownHintWindows();
  if (!shown.empty()) return shown.front()->Caption();
  return uitest::ShownPlatformToolTip();
}

// The mouse leaves a control's window.
void Leave(TWinControl* C) {
  QEvent leave(QEvent::Leave);
  QCoreApplication::sendEvent(C->Widget(), &leave);
}

struct HintTiming : ::testing::Test {
  uitest::Harness h;
  TForm* form = nullptr;
  CellPanel* a = nullptr;
  CellPanel* b = nullptr;

  void SetUp() override {
    form = h.MakeForm<TForm>();
    form->SetBounds(40, 40, 400, 200);
    a = Panel(10, u"a");
    b = Panel(130, u"b");
    h.Show(form);
  }
  // The mouse moves over the form, where no control has a hint.
  void Away() { h.MouseMove(form, {300, 150}); }
  CellPanel* Panel(int Left, const String& Hint) {
    auto* p = new CellPanel(form);
    p->SetParent(form);
    p->SetBounds(Left, 10, 120, 60);
    p->SetHint(Hint);
    p->SetShowHint(true);
    return p;
  }
};

TEST_F(HintTiming, ATipWaitsForThePauseItsControlAnswers) {
  struct Case {
    const char* name;
    int hintPause;
    std::optional<int> answer;
    int wait;
  };
  const Case cases[] = {
      {"the application's pause", 500, std::nullopt, 500},
      {"a control that shows at once", 500, 0, 0},
      {"a control that asks for longer", 500, 1000, 1000},
      {"a changed application pause", 200, std::nullopt, 200},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Away();
    Application->HintPause = c.hintPause;
    a->pause = c.answer;
    h.MouseMove(a, {10, 10});
    EXPECT_EQ(a->offered, c.hintPause);
    EXPECT_EQ(a->offeredWParam, 0u);
    if (c.wait > 0) {
      h.Advance(static_cast<std::uint64_t>(c.wait - 1));
      EXPECT_EQ(ShownTip(), u"");
      h.Advance(1);
    }
    EXPECT_EQ(ShownTip(), u"cell 0");
  }
  // The mouse must rest: each move starts the pause afresh.
  Away();
  a->pause.reset();
  Application->HintPause = 500;
  h.MouseMove(a, {10, 10});
  h.Advance(400);
  h.MouseMove(a, {12, 10});
  h.Advance(400);
  EXPECT_EQ(ShownTip(), u"");
  h.Advance(100);
  EXPECT_EQ(ShownTip(), u"cell 0");
}

TEST_F(HintTiming, ATipGoesAfterItsHideTimeAndStaysAwayUntilTheMouseLeavesIt) {
  Application->HintHidePause = 2500;
  h.MouseMove(a, {10, 10});
  h.Advance(500);
  ASSERT_EQ(ShownTip(), u"cell 0");
  h.Advance(2499);
  EXPECT_EQ(ShownTip(), u"cell 0");
  h.Advance(1);
  EXPECT_EQ(ShownTip(), u"");
  // Still over the same cell: it does not come back.
  h.MouseMove(a, {20, 12});
  h.Advance(5000);
  EXPECT_EQ(ShownTip(), u"");
  // Another cell waits the whole pause again: the last tip is long gone.
  h.MouseMove(a, {50, 12});
  h.Advance(499);
  EXPECT_EQ(ShownTip(), u"");
  h.Advance(1);
  EXPECT_EQ(ShownTip(), u"cell 1");

  // The control's own hide time wins; a reshow time asks it again meanwhile
  // (a tip that changes), and the hide time starts again with the new tip.
  Away();
  a->hideTimeout = 300;
  a->reshowTimeout = 100;
  h.MouseMove(a, {10, 10});
  h.Advance(500);
  ASSERT_EQ(ShownTip(), u"cell 0");
  const int asked = a->asked;
  a->reshowTimeout = 0;
  h.Advance(100);
  EXPECT_EQ(a->asked, asked + 1);
  EXPECT_EQ(ShownTip(), u"cell 0");
  h.Advance(299);
  EXPECT_EQ(ShownTip(), u"cell 0");
  h.Advance(1);
  EXPECT_EQ(ShownTip(), u"");
}

TEST_F(HintTiming, LeavingTheCursorRectangleHidesTheTipAndTheNextFollowsShortly) {
  h.MouseMove(a, {10, 10});
  h.Advance(500);
  ASSERT_EQ(ShownTip(), u"cell 0");
  h.MouseMove(a, {35, 15});  // same cell
  EXPECT_EQ(ShownTip(), u"cell 0");
  h.MouseMove(a, {45, 15});
  EXPECT_EQ(ShownTip(), u"");
  EXPECT_EQ(a->offered, 50);
  EXPECT_EQ(a->offeredWParam, 1u);
  h.Advance(49);
  EXPECT_EQ(ShownTip(), u"");
  h.Advance(1);
  EXPECT_EQ(ShownTip(), u"cell 1");

  // A press puts the tip away, and it stays away over the same cell.
  h.MouseDown(a, Point(45, 15));
  h.MouseUp(a, Point(45, 15));
  EXPECT_EQ(ShownTip(), u"");
  h.MouseMove(a, {46, 15});
  h.Advance(1000);
  EXPECT_EQ(ShownTip(), u"");
}

TEST_F(HintTiming, MovingOnToAnotherHintedControlShowsItsTipAfterTheShortPause) {
  h.MouseMove(a, {10, 10});
  h.Advance(500);
  ASSERT_EQ(ShownTip(), u"cell 0");
  Leave(a);
  EXPECT_EQ(ShownTip(), u"");
  h.MouseMove(b, {10, 10});
  EXPECT_EQ(b->offered, 50);
  h.Advance(49);
  EXPECT_EQ(ShownTip(), u"");
  h.Advance(1);
  EXPECT_EQ(ShownTip(), u"cell 0");
  EXPECT_EQ(b->asked, 1);

  // Over the form, which has no hint, the quick succession ends.
  h.MouseMove(form, {300, 150});
  EXPECT_EQ(ShownTip(), u"");
  h.MouseMove(a, {10, 10});
  EXPECT_EQ(a->offered, 500);
}

TEST_F(HintTiming, AWindowlessChildHasItsOwnTipOrItsParents) {
  auto* label = new TLabel(form);
  label->SetParent(a);
  label->SetBounds(80, 30, 30, 20);
  label->SetHint(u"label");
  label->SetShowHint(true);
  h.MouseMove(a, {85, 35});
  h.Advance(500);
  // The plain hint of a control that has no say shows in the platform's tip.
  EXPECT_EQ(uitest::ShownPlatformToolTip(), u"label");
  // Without ShowHint the parent's tip shows over it.
  Away();
  label->SetShowHint(false);
  h.MouseMove(a, {85, 35});
  h.Advance(500);
  EXPECT_EQ(ShownTip(), u"cell 2");
}

TEST_F(HintTiming, QtsOwnToolTipEventShowsNothingAndAFreedControlIsForgotten) {
  QHelpEvent e(QEvent::ToolTip, QPoint(5, 5), a->Widget()->mapToGlobal(QPoint(5, 5)));
  QCoreApplication::sendEvent(a->Widget(), &e);
  EXPECT_EQ(ShownTip(), u"");
  EXPECT_EQ(a->asked, 0);

  // Freed while its pause runs, or while its tip shows.
  h.MouseMove(a, {10, 10});
  delete a;
  h.Advance(1000);
  EXPECT_EQ(ShownTip(), u"");
  h.MouseMove(b, {10, 10});
  h.Advance(500);
  ASSERT_EQ(ShownTip(), u"cell 0");
  delete b;
  EXPECT_EQ(ShownTip(), u"");
  h.Advance(5000);
}

}  // namespace
