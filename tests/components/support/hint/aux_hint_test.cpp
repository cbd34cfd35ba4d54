#include "components/support/hint/aux_hint.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QTimer>
#include <QImage>
#include <QPixmap>
#include <QRegion>
#include <QWidget>
#include <chrono>
#include <filesystem>

#include "tests/platform/ui/harness.h"

using namespace aux;
using ui::Rect;
using ui::TPoint;
using ui::TRect;

namespace {

const TRect kWork = Rect(0, 0, 1024, 768);
constexpr int kCursor = 32;

struct PlaceCase {
  const char* name;
  TPoint p;
  bool balloon;
  THintPosition preferred;
  THintPosition chosen;
  TRect body;
  TRect window;
};

TEST(AuxHintPlacement, FourSidesFlipsAndRectangles) {
  const int W = 100, H = 40;
  const PlaceCase cases[] = {
      {"balloon up-left", {500, 400}, true, hpUpLeft, hpUpLeft, Rect(405, 322, 505, 362), Rect(405, 322, 505, 378)},
      {"balloon up-right", {500, 400}, true, hpUpRight, hpUpRight, Rect(475, 322, 575, 362), Rect(475, 322, 575, 378)},
      {"balloon down-left", {500, 400}, true, hpDownLeft, hpDownLeft, Rect(416, 442, 516, 482),
       Rect(416, 426, 516, 482)},
      {"balloon down-right", {500, 400}, true, hpDownRight, hpDownRight, Rect(484, 442, 584, 482),
       Rect(484, 426, 584, 482)},
      // No room above: the balloon goes below, to the right where there is room.
      {"top edge flips down", {500, 30}, true, hpUpLeft, hpDownRight, Rect(484, 72, 584, 112), Rect(484, 56, 584, 112)},
      // No room to the left: it turns right, staying above.
      {"left edge flips right", {20, 400}, true, hpUpLeft, hpUpRight, Rect(-5, 322, 95, 362), Rect(-5, 322, 95, 378)},
      {"bottom-right corner flips up-left", {1000, 740}, true, hpDownRight, hpUpLeft, Rect(905, 662, 1005, 702),
       Rect(905, 662, 1005, 718)},
      {"rectangle up-left", {500, 400}, false, hpUpLeft, hpUpLeft, Rect(390, 345, 490, 385), Rect(390, 345, 490, 385)},
      {"rectangle up-right", {500, 400}, false, hpUpRight, hpUpRight, Rect(490, 345, 590, 385),
       Rect(490, 345, 590, 385)},
      {"rectangle down-left", {500, 400}, false, hpDownLeft, hpDownLeft, Rect(400, 432, 500, 472),
       Rect(400, 432, 500, 472)},
      {"rectangle down-right", {500, 400}, false, hpDownRight, hpDownRight, Rect(500, 432, 600, 472),
       Rect(500, 432, 600, 472)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const THintLayout l = LayoutHint(c.p, W, H, c.balloon, c.preferred, kWork, kCursor);
    EXPECT_EQ(l.Position, c.chosen);
    EXPECT_EQ(l.Body, c.body);
    EXPECT_EQ(l.Window, c.window);
    EXPECT_EQ(l.Tail.size(), c.balloon ? 3u : 0u);
  }
  // The tail of a down balloon starts on the body's top edge, under the point.
  const THintLayout down = LayoutHint({500, 400}, W, H, true, hpDownRight, kWork, kCursor);
  EXPECT_EQ(down.Tail[0], (TPoint{500, 442}));
  EXPECT_EQ(down.Tail[1], (TPoint{500, 426}));
}

TEST(AuxHintPlacement, KeepOnScreenMovesWithoutResizing) {
  EXPECT_EQ(KeepOnScreen(Rect(-5, -3, 95, 47), kWork), Rect(0, 0, 100, 50));
  EXPECT_EQ(KeepOnScreen(Rect(1000, 760, 1100, 800), kWork), Rect(924, 728, 1024, 768));
  EXPECT_EQ(KeepOnScreen(Rect(10, 10, 110, 60), kWork), Rect(10, 10, 110, 60));
}

class AuxHintWindowTest : public ::testing::Test {
 protected:
  uitest::Harness h;
  TAuxHintWindow* NewHint() { return new TAuxHintWindow(ui::Application); }
  QImage Grab(TAuxHintWindow* hint) {
    h.ProcessEvents();
    return hint->HintWindow()->Widget()->grab().toImage().convertToFormat(QImage::Format_ARGB32);
  }
};

TEST_F(AuxHintWindowTest, ShortTextGivesTheSmallestBalloonAndStaysInTheWorkArea) {
  auto* hint = NewHint();
  hint->SetHintStyle(hsBalloonHint);
  hint->ActivateHintFromPos({400, 300}, u"i", u"", -1);
  const THintLayout& l = hint->HintWindow()->Layout();
  EXPECT_EQ(l.Body.Width(), 50);
  EXPECT_EQ(l.Body.Height(), 35);
  EXPECT_EQ(l.Window.Height(), 35 + 16);
  // Near the screen's corner the balloon is shifted back into the work area.
  const TRect work = ui::Screen->WorkAreaRect();
  hint->ActivateHintFromPos({work.Right - 2, work.Top + 2}, u"a rather long line of hint text", u"标题", -1);
  const TRect w = hint->HintWindow()->Layout().Window;
  EXPECT_GE(w.Left, work.Left);
  EXPECT_LE(w.Right, work.Right);
  EXPECT_GE(w.Top, work.Top);
  EXPECT_LE(w.Bottom, work.Bottom);
  h.ProcessEvents();
  EXPECT_EQ(hint->HintWindow()->Widget()->geometry().left(), w.Left);
  EXPECT_EQ(hint->HintWindow()->Widget()->geometry().top(), w.Top);
  delete hint;
}

TEST_F(AuxHintWindowTest, BalloonIsShapedAndRectangleIsFull) {
  auto* hint = NewHint();
  hint->SetHintPosition(hpDownRight);
  hint->ActivateHintFromPos({300, 200}, u"指令已发送!", u"提示:", -1);
  ASSERT_TRUE(hint->HintWindow()->IsHintShown());
  const THintLayout l = hint->HintWindow()->Layout();
  ASSERT_EQ(l.Position, hpDownRight);
  QImage img = Grab(hint);
  ASSERT_EQ(img.width(), l.Window.Width());
  auto at = [&](TPoint screen) { return img.pixel(screen.X - l.Window.Left, screen.Y - l.Window.Top); };
  const QRgb info = ui::ColorToRGB(ui::clInfoBk);
  const QRgb infoQt = qRgb(ui::GetRValue(info), (info >> 8) & 0xFF, (info >> 16) & 0xFF);
  // The rounded corners and the space beside the tail show through.
  EXPECT_EQ(qAlpha(img.pixel(0, 0)), 0);
  EXPECT_EQ(qAlpha(img.pixel(img.width() - 1, img.height() - 1)), 0);
  EXPECT_EQ(qAlpha(img.pixel(img.width() - 2, 2)), 0);
  // The body is filled, its border black, the tail filled and outlined.
  EXPECT_EQ(img.pixel(img.width() / 2, l.Body.Top - l.Window.Top), qRgb(0, 0, 0));
  EXPECT_EQ(at({l.Body.Right - 3, (l.Body.Top + l.Body.Bottom) / 2}), infoQt);
  EXPECT_EQ(at({l.Tail[0].X + 3, l.Tail[0].Y - 3}), infoQt);
  EXPECT_EQ(qAlpha(at({l.Tail[0].X - 3, l.Tail[0].Y - 3})), 0);
  EXPECT_EQ(at({l.Tail[1].X, l.Tail[1].Y + 1}), qRgb(0, 0, 0));
  // The window's region is the balloon: corners and the space beside the
  // tail are outside it, the body and the tail inside.
  auto* win = hint->HintWindow();
  ASSERT_TRUE(win->HasWindowShape());
  auto inShape = [&](TPoint screen) { return win->WindowShapeContains({screen.X - l.Window.Left, screen.Y - l.Window.Top}); };
  EXPECT_FALSE(win->WindowShapeContains({0, 0}));
  EXPECT_FALSE(win->WindowShapeContains({img.width() - 1, img.height() - 1}));
  EXPECT_TRUE(inShape({l.Body.Right - 3, (l.Body.Top + l.Body.Bottom) / 2}));
  EXPECT_TRUE(inShape({l.Tail[0].X + 3, l.Tail[0].Y - 3}));
  EXPECT_TRUE(inShape({l.Tail[1].X, l.Tail[1].Y + 1}));
  EXPECT_FALSE(inShape({l.Tail[0].X - 3, l.Tail[0].Y - 3}));
  // Qt holds the same region as the window's mask.
  ASSERT_NE(win->Widget(), nullptr);
  EXPECT_FALSE(win->Widget()->mask().isEmpty());
  EXPECT_FALSE(win->Widget()->mask().contains(QPoint(0, 0)));

  const std::string dir =
      (std::filesystem::temp_directory_path() / ("jq_aux_hint_" + std::to_string(::getpid()))).string();
  std::filesystem::create_directories(dir);
  const std::string shot = h.SaveScreenshot(hint->HintWindow(), "aux_balloon_hint", dir);
  EXPECT_TRUE(std::filesystem::exists(shot));

  // Without a title the automatic style draws a full rectangle with a light inner edge.
  hint->ActivateHintFromPos({300, 200}, u"plain", u"", -1);
  ASSERT_TRUE(hint->HintWindow()->Layout().Tail.empty());
  img = Grab(hint);
  EXPECT_EQ(img.pixel(0, 0), qRgb(0, 0, 0));
  EXPECT_EQ(img.pixel(img.width() - 1, img.height() - 1), qRgb(0, 0, 0));
  EXPECT_EQ(img.pixel(1, 1), qRgb(212, 208, 200));
  EXPECT_EQ(img.pixel(1, img.height() / 2), qRgb(212, 208, 200));
  EXPECT_EQ(img.pixel(img.width() - 3, img.height() / 2), infoQt);
  EXPECT_FALSE(hint->HintWindow()->HasWindowShape());
  EXPECT_TRUE(hint->HintWindow()->Widget()->mask().isEmpty());
  EXPECT_TRUE(hint->HintWindow()->WindowShapeContains({0, 0}));
  delete hint;
  std::filesystem::remove_all(dir);
}

TEST_F(AuxHintWindowTest, HidesAfterThePauseOnTheClock) {
  auto* hint = NewHint();
  std::vector<ui::TObject*> cancelled;
  hint->OnCancelHint = [&](ui::TObject* s) { cancelled.push_back(s); };
  auto* win = hint->HintWindow();

  hint->ActivateHintFromPos({300, 300}, u"text", u"title", 500);
  EXPECT_EQ(win->LastActive(), rtl::GetTickCount64());
  h.Advance(499);
  EXPECT_TRUE(win->IsHintShown());
  h.Advance(1);
  EXPECT_FALSE(win->IsHintShown());
  ASSERT_EQ(cancelled.size(), 1u);
  EXPECT_EQ(cancelled[0], win);
  h.Advance(5000);
  EXPECT_EQ(cancelled.size(), 1u);  // the timer stopped with the hint

  // 0: the default pause.
  hint->ActivateHintFromPos({300, 300}, u"text", u"title", 0);
  h.Advance(2499);
  EXPECT_TRUE(win->IsHintShown());
  h.Advance(1);
  EXPECT_FALSE(win->IsHintShown());

  // A new activation restarts the pause.
  hint->ActivateHintFromPos({300, 300}, u"text", u"title", 500);
  h.Advance(400);
  hint->ActivateHintFromPos({320, 300}, u"again", u"title", 500);
  h.Advance(400);
  EXPECT_TRUE(win->IsHintShown());
  h.Advance(100);
  EXPECT_FALSE(win->IsHintShown());

  // Negative: shown until released; releasing cancels the pending hide.
  hint->ActivateHintFromPos({300, 300}, u"text", u"title", -1);
  h.Advance(100000);
  EXPECT_TRUE(win->IsHintShown());
  hint->ActivateHintFromPos({300, 300}, u"text", u"title", 300);
  hint->ReleaseHandle();
  EXPECT_FALSE(win->IsHintShown());
  EXPECT_FALSE(win->TimerRunning());
  const auto before = cancelled.size();
  h.Advance(1000);
  EXPECT_EQ(cancelled.size(), before);
  delete hint;
}

TEST_F(AuxHintWindowTest, ActivateHintUsesTheCursor) {
  QCursor::setPos(420, 330);
  h.ProcessEvents();
  const TPoint cursor = ui::Screen->CursorPos();
  auto* hint = NewHint();
  hint->SetHintPosition(hpUpLeft);
  hint->ActivateHint(u"指令已发送!", u"提示:");
  const THintLayout& l = hint->HintWindow()->Layout();
  EXPECT_EQ(l.Position, hpUpLeft);
  EXPECT_EQ(l.Body.Right, cursor.X + 5);
  EXPECT_EQ(l.Tail.size(), 3u);
  EXPECT_TRUE(hint->HintWindow()->TimerRunning());
  delete hint;
}

TEST_F(AuxHintWindowTest, DestroyedHintComponentIsForgottenByEveryWindow) {
  auto* settings = new TAuxHint(nullptr);
  settings->BackColor = ui::clYellow;
  settings->HintPosition = hpDownLeft;
  auto* a = NewHint();
  auto* b = NewHint();
  a->ActivateHintFromPos({300, 300}, u"a", u"t", -1);
  b->ActivateHintFromPos({500, 300}, u"b", u"t", -1);
  ASSERT_EQ(a->HintWindow()->Hint(), settings);
  ASSERT_EQ(b->HintWindow()->Hint(), settings);
  EXPECT_EQ(a->HintWindow()->Layout().Position, hpDownLeft);
  delete settings;
  EXPECT_EQ(a->HintWindow()->Hint(), nullptr);
  EXPECT_EQ(b->HintWindow()->Hint(), nullptr);
  // The next activation runs on the window's own defaults.
  a->ActivateHintFromPos({300, 300}, u"a", u"t", -1);
  EXPECT_EQ(a->HintWindow()->Layout().Position, hpDownRight);
  const QImage img = Grab(a);
  const THintLayout& l = a->HintWindow()->Layout();
  const QRgb info = ui::ColorToRGB(ui::clInfoBk);
  EXPECT_EQ(img.pixel(l.Body.Right - l.Window.Left - 3, (l.Body.Top + l.Body.Bottom) / 2 - l.Window.Top),
            qRgb(ui::GetRValue(info), (info >> 8) & 0xFF, (info >> 16) & 0xFF));
  delete a;
  delete b;
}

}  // namespace

namespace {

// A control whose tool tip the application shows in its tool-tip window.
ui::TPanel* HintedPanel(ui::TForm* form, const ui::String& hint) {
  auto* p = new ui::TPanel(form);
  p->SetParent(form);
  p->SetBounds(10, 10, 120, 60);
  p->SetHint(hint);
  p->SetShowHint(true);
  return p;
}

// The mouse comes to rest on the control at the client point, long enough
// for its tool tip; it was away from it before.
void RestOn(uitest::Harness& h, ui::TWinControl* c, ui::TPoint at) {
  QEvent leave(QEvent::Leave);
  QCoreApplication::sendEvent(c->Widget(), &leave);
  h.MouseMove(c, at);
  h.Advance(static_cast<std::uint64_t>(ui::Application->HintPause));
}

TEST_F(AuxHintWindowTest, HintComponentTakesOverTheApplicationsToolTips) {
  auto* form = new ui::TForm(ui::Application);
  auto* panel = HintedPanel(form, u"电机|long part");
  h.Show(form);
  ASSERT_EQ(ui::Application->HintWindow(), nullptr);  // the platform's own tool tip so far

  auto* settings = new TAuxHint(nullptr);
  auto* appWindow = dynamic_cast<TAuxInternalHintWindow*>(ui::Application->HintWindow());
  ASSERT_NE(appWindow, nullptr);
  EXPECT_TRUE(ui::Application->ShowHint());
  RestOn(h, panel, {5, 5});
  EXPECT_TRUE(appWindow->IsHintShown());
  EXPECT_EQ(appWindow->Caption(), u"电机");
  EXPECT_EQ(appWindow->Hint(), settings);

  // A font change reaches the windows already made.
  settings->Font()->SetSize(15);
  EXPECT_EQ(ui::Application->HintWindow()->Font()->Size(), 15);

  // Leaving the control hides its tool tip.
  QEvent leave(QEvent::Leave);
  QCoreApplication::sendEvent(panel->Widget(), &leave);
  EXPECT_FALSE(ui::Application->HintWindow()->IsHintShown());

  // Switched off, no tool tip shows at all and the window is gone.
  ui::Application->SetShowHint(false);
  EXPECT_EQ(ui::Application->HintWindow(), nullptr);
  RestOn(h, panel, {5, 5});
  ui::Application->SetShowHint(true);
  auto* again = dynamic_cast<TAuxInternalHintWindow*>(ui::Application->HintWindow());
  ASSERT_NE(again, nullptr);
  EXPECT_FALSE(again->IsHintShown());

  // The settings going away leave the application's window on its defaults.
  RestOn(h, panel, {5, 5});
  EXPECT_EQ(again->Hint(), settings);
  delete settings;
  EXPECT_EQ(again->Hint(), nullptr);
  RestOn(h, panel, {25, 5});
  EXPECT_TRUE(again->IsHintShown());

  ui::Application->HintWindowClass = nullptr;
  ui::Application->SetShowHint(false);
  ui::Application->SetShowHint(true);
  EXPECT_EQ(ui::Application->HintWindow(), nullptr);
  delete form;
}

TEST_F(AuxHintWindowTest, PublishedPropertiesReachTheWindow) {
  auto* hint = NewHint();
  ui::SetEnumProp(hint, "HintPosition", "hpUpLeft");
  ui::SetEnumProp(hint, "HintStyle", "hsBalloonHint");
  ui::SetEnumProp(hint, "Alignment", "taCenter");
  EXPECT_EQ(hint->HintWindow()->HintPosition(), hpUpLeft);
  EXPECT_EQ(hint->HintWindow()->HintStyle, hsBalloonHint);
  EXPECT_EQ(hint->HintWindow()->Alignment, ui::taCenter);
  // Set on the window, the position wins over a hint component's.
  auto* settings = new TAuxHint(nullptr);
  settings->HintPosition = hpDownRight;
  hint->ActivateHintFromPos({500, 400}, u"x", u"t", -1);
  EXPECT_EQ(hint->HintWindow()->Layout().Position, hpUpLeft);
  delete settings;
  delete hint;
}

TEST_F(AuxHintWindowTest, WatchLoopRunsUntilInputOrTheHintGoes) {
  auto* form = new ui::TForm(ui::Application);
  form->SetBounds(100, 100, 300, 200);
  h.Show(form);
  auto* hint = NewHint();
  auto* win = hint->HintWindow();

  // A key ends the loop and still reaches its window; the hint stays up.
  hint->ActivateHintFromPos({300, 300}, u"text", u"title", 60000);
  EXPECT_TRUE(ui::IsMessageQueued(win, AUX_WM_WATCHHINT, AUX_WM_WATCHHINT));
  bool watched = false;
  int keysSeen = 0;
  form->SetKeyPreview(true);
  form->OnKeyDown = [&](ui::TObject*, std::uint16_t&, ui::TShiftState) { ++keysSeen; };
  // A real timer: it fires inside the loop, as the user's input would arrive.
  QTimer::singleShot(20, [&] {
    watched = win->Watching();
    QCoreApplication::postEvent(form->Widget(), new QKeyEvent(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a"));
  });
  h.ProcessEvents();
  EXPECT_TRUE(watched);
  EXPECT_FALSE(win->Watching());
  EXPECT_EQ(keysSeen, 1);
  EXPECT_TRUE(win->IsHintShown());

  // Releasing the hint ends the loop.
  hint->ActivateHintFromPos({300, 300}, u"text", u"title", 60000);
  watched = false;
  QTimer::singleShot(20, [&] {
    watched = win->Watching();
    hint->ReleaseHandle();
  });
  h.ProcessEvents();
  EXPECT_TRUE(watched);
  EXPECT_FALSE(win->Watching());

  // Without input the loop lasts no longer than the hint's pause.
  hint->ActivateHintFromPos({300, 300}, u"text", u"title", 150);
  const auto start = std::chrono::steady_clock::now();
  h.ProcessEvents();
  EXPECT_FALSE(win->Watching());
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));

  // A shown hint freed inside its own loop leaves it safely.
  hint->ActivateHintFromPos({300, 300}, u"text", u"title", 60000);
  QTimer::singleShot(20, [&] {
    delete hint;
    hint = nullptr;
  });
  h.ProcessEvents();
  EXPECT_EQ(hint, nullptr);
  delete form;
}

}  // namespace
