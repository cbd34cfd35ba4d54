// Qt events arrive as window messages; defaults, posting and cancel mode.
#include <gtest/gtest.h>

#include <vector>

#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QWidget>

#include "tests/platform/ui/harness.h"

namespace {

using namespace ui;

// Records the messages it receives, then lets the toolkit handle them.
class TSpy : public TCustomControl {
 public:
  using TCustomControl::TCustomControl;
  std::vector<TMessage> seen;
  std::uint32_t swallow = 0;
  void Dispatch(TMessage& m) override {
    seen.push_back(m);
    if (m.Msg == swallow) return;
    if (m.Msg == WM_USER + 7) {
      m.Result = 42;
      return;
    }
    TCustomControl::Dispatch(m);
  }
  const TMessage* Find(std::uint32_t msg) const {
    for (auto& m : seen)
      if (m.Msg == msg) return &m;
    return nullptr;
  }
};

class MessageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form = h.MakeForm<TForm>();
    form->SetBounds(100, 100, 300, 200);
    spy = new TSpy(form);
    spy->SetBounds(10, 20, 100, 50);
    spy->SetParent(form);
    h.Show(form);
    spy->seen.clear();
  }
  uitest::Harness h;
  TForm* form = nullptr;
  TSpy* spy = nullptr;
};

TEST_F(MessageTest, MouseEventsArriveWithWindowsNumbersAndPackedArguments) {
  std::vector<std::tuple<TMouseButton, TShiftState, std::uint32_t, std::uint32_t, WPARAM>> cases = {
      {mbLeft, {}, WM_LBUTTONDOWN, WM_LBUTTONUP, MK_LBUTTON},
      {mbRight, {ssShift}, WM_RBUTTONDOWN, WM_RBUTTONUP, MK_RBUTTON | MK_SHIFT},
      {mbMiddle, {ssCtrl}, WM_MBUTTONDOWN, WM_MBUTTONUP, MK_MBUTTON | MK_CONTROL},
  };
  for (auto& [button, shift, down, up, keys] : cases) {
    spy->seen.clear();
    h.MouseDown(spy, Point(7, 9), button, shift);
    h.MouseUp(spy, Point(8, 11), button, shift);
    const TMessage* d = spy->Find(down);
    ASSERT_NE(d, nullptr) << down;
    EXPECT_EQ(d->WParam, keys);
    EXPECT_EQ(XPos(d->LParam), 7);
    EXPECT_EQ(YPos(d->LParam), 9);
    const TMessage* u = spy->Find(up);
    ASSERT_NE(u, nullptr) << up;
    EXPECT_EQ(XPos(u->LParam), 8);
    EXPECT_EQ(YPos(u->LParam), 11);
  }
  spy->seen.clear();
  h.MouseMove(spy, Point(-3, 4));
  const TMessage* mv = spy->Find(WM_MOUSEMOVE);
  ASSERT_NE(mv, nullptr);
  EXPECT_EQ(XPos(mv->LParam), -3);
}

TEST_F(MessageTest, KeysArriveAsKeyDownCharKeyUp) {
  spy->SetTabStop(true);
  spy->SetFocus();
  h.ProcessEvents();
  spy->seen.clear();
  h.Key(spy, 'A', {ssShift});
  std::vector<std::uint32_t> order;
  for (auto& m : spy->seen)
    if (m.Msg == WM_KEYDOWN || m.Msg == WM_CHAR || m.Msg == WM_KEYUP) order.push_back(m.Msg);
  EXPECT_EQ(order, (std::vector<std::uint32_t>{WM_KEYDOWN, WM_CHAR, WM_KEYUP}));
  EXPECT_EQ(spy->Find(WM_KEYDOWN)->WParam, WPARAM('A'));
  EXPECT_EQ(spy->Find(WM_CHAR)->WParam, WPARAM('A'));
  spy->seen.clear();
  h.Key(spy, VK_F5);
  EXPECT_EQ(spy->Find(WM_KEYDOWN)->WParam, WPARAM(VK_F5));
  EXPECT_EQ(spy->Find(WM_CHAR), nullptr);
}

TEST_F(MessageTest, AReleasedModifierKeyIsNoLongerHeld) {
  spy->SetTabStop(true);
  spy->SetFocus();
  h.ProcessEvents();
  // The release may carry the state before or after it; either way the key
  // is up afterwards, and its press reads as held.
  for (Qt::KeyboardModifiers releaseState : {Qt::KeyboardModifiers(), Qt::KeyboardModifiers(Qt::ControlModifier)}) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Control, Qt::NoModifier);
    QApplication::sendEvent(spy->Widget(), &press);
    EXPECT_LT(GetKeyState(VK_CONTROL), 0);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Control, releaseState);
    QApplication::sendEvent(spy->Widget(), &release);
    EXPECT_EQ(GetKeyState(VK_CONTROL), 0);
  }
  h.Key(spy, VK_SHIFT);
  EXPECT_EQ(GetKeyState(VK_SHIFT), 0);
}

TEST_F(MessageTest, SizeMovePaintAndFocusArriveFromQt) {
  spy->Widget()->resize(140, 60);
  const TMessage* s = spy->Find(WM_SIZE);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(LoWord(static_cast<std::uintptr_t>(s->LParam)), 140);
  EXPECT_EQ(HiWord(static_cast<std::uintptr_t>(s->LParam)), 60);
  EXPECT_EQ(spy->Width(), 140);
  EXPECT_EQ(spy->Height(), 60);

  spy->Widget()->move(30, 40);
  ASSERT_NE(spy->Find(WM_MOVE), nullptr);

  spy->seen.clear();
  spy->Widget()->repaint();
  EXPECT_NE(spy->Find(WM_PAINT), nullptr);

  spy->SetTabStop(true);
  spy->SetFocus();
  h.ProcessEvents();
  EXPECT_NE(spy->Find(WM_SETFOCUS), nullptr);
}

TEST_F(MessageTest, SwallowedPaintLeavesTheWindowUnpainted) {
  form->SetColor(clWhite);
  spy->SetColor(clRed);
  h.ProcessEvents();
  EXPECT_EQ(h.PixelAt(spy, 5, 5), clRed);
  spy->swallow = WM_PAINT;
  spy->SetColor(clBlue);
  // Without the default handling nothing paints over the old picture area.
  EXPECT_NE(h.PixelAt(spy, 5, 5), clBlue);
  spy->swallow = 0;
  EXPECT_EQ(h.PixelAt(spy, 5, 5), clBlue);
}

TEST_F(MessageTest, PerformReturnsTheResult) { EXPECT_EQ(spy->Perform(WM_USER + 7), 42); }

TEST_F(MessageTest, PostedMessagesQueueUntilTheLoopRunsAndCanBeTakenBack) {
  EXPECT_TRUE(PostMessage(spy, WM_USER + 100, 1, 2));
  EXPECT_TRUE(PostMessage(spy, WM_USER + 101));
  EXPECT_TRUE(IsMessageQueued(spy, WM_USER + 100, WM_USER + 100));
  EXPECT_FALSE(IsMessageQueued(spy, WM_USER + 102, WM_USER + 200));
  EXPECT_FALSE(IsMessageQueued(form, WM_USER + 100, WM_USER + 101));
  EXPECT_EQ(spy->Find(WM_USER + 100), nullptr);
  TMessage removed;
  EXPECT_TRUE(RemoveQueuedMessage(spy, WM_USER + 101, WM_USER + 101, &removed));
  EXPECT_EQ(removed.Msg, WM_USER + 101);
  h.ProcessEvents();
  const TMessage* m = spy->Find(WM_USER + 100);
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(m->WParam, 1u);
  EXPECT_EQ(m->LParam, 2);
  EXPECT_EQ(spy->Find(WM_USER + 101), nullptr);
  EXPECT_FALSE(IsMessageQueued(spy, 0, 0xFFFFFFFF));
}

TEST_F(MessageTest, PeekMessageLooksWithoutTakingUnlessAskedTo) {
  auto* other = new TSpy(form);
  other->SetParent(form);
  ASSERT_TRUE(PostMessage(other, WM_USER + 1, 7));
  ASSERT_TRUE(PostMessage(spy, WM_USER + 2, 8));
  ASSERT_TRUE(PostMessage(spy, WM_USER + 3, 9));
  struct Case {
    const char* what;
    const TWinControl* wnd;
    std::uint32_t first, last;
    bool found;
    TWinControl* hwnd;
    std::uint32_t msg;
  };
  const Case cases[] = {
      {"any window, any message", nullptr, 0, 0, true, other, WM_USER + 1},
      {"this window, any message", spy, 0, 0, true, spy, WM_USER + 2},
      {"this window, a range", spy, WM_USER + 3, WM_USER + 9, true, spy, WM_USER + 3},
      {"any window, a range", nullptr, WM_USER + 2, WM_USER + 2, true, spy, WM_USER + 2},
      {"nothing in range", spy, WM_USER + 1, WM_USER + 1, false, nullptr, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TMsg m;
    ASSERT_EQ(PeekMessage(m, c.wnd, c.first, c.last, PM_NOREMOVE), c.found);
    if (!c.found) continue;
    EXPECT_EQ(m.hwnd, c.hwnd);
    EXPECT_EQ(m.message, c.msg);
  }
  // Looking left everything queued; taking removes exactly the one found.
  TMsg taken;
  ASSERT_TRUE(PeekMessage(taken, spy, WM_USER + 3, WM_USER + 3, PM_REMOVE));
  EXPECT_EQ(taken.wParam, 9u);
  EXPECT_FALSE(IsMessageQueued(spy, WM_USER + 3, WM_USER + 3));
  h.ProcessEvents();
  ASSERT_NE(other->Find(WM_USER + 1), nullptr);
  ASSERT_NE(spy->Find(WM_USER + 2), nullptr);
  EXPECT_EQ(spy->Find(WM_USER + 3), nullptr);
  TMsg none;
  EXPECT_FALSE(PeekMessage(none, nullptr, 0, 0, PM_NOREMOVE));
}

TEST_F(MessageTest, MessagesPostedToAFreedControlAreDropped) {
  ASSERT_TRUE(PostMessage(spy, WM_USER + 100));
  Free(spy);
  // A control made now may reuse the freed one's address: the message must
  // not reach it, nor stay queued for anyone.
  spy = new TSpy(form);
  spy->SetParent(form);
  EXPECT_FALSE(IsMessageQueued(spy, WM_USER + 100, WM_USER + 100));
  h.ProcessEvents();
  EXPECT_EQ(spy->Find(WM_USER + 100), nullptr);
}

TEST_F(MessageTest, GraphicChildTakesTheMouseThroughItsParent) {
  auto* label = new TLabel(form);
  label->SetParent(spy);
  label->SetAutoSize(false);
  label->SetBounds(10, 10, 40, 20);
  int labelClicks = 0, spyDowns = 0;
  label->OnClick = [&](TObject*) { ++labelClicks; };
  spy->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) { ++spyDowns; };
  h.Click(label);
  EXPECT_EQ(labelClicks, 1);
  EXPECT_EQ(spyDowns, 0);
  // A disabled graphic control lets the parent have the mouse.
  label->SetEnabled(false);
  h.Click(label);
  EXPECT_EQ(labelClicks, 1);
  EXPECT_EQ(spyDowns, 1);
}

TEST_F(MessageTest, ABoxOpenedDuringAPressEndsThePressWithMouseUp) {
  auto* jog = new TButton(form);
  jog->SetParent(form);
  jog->SetBounds(150, 20, 80, 30);
  std::vector<std::string> events;
  jog->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) {
    events.push_back("down");
    ShowInfo(u"busy");
  };
  jog->OnMouseUp = [&](TObject*, TMouseButton, TShiftState, int, int) { events.push_back("up"); };
  h.AnswerMessageBox(IDOK);
  h.MouseDown(jog);
  EXPECT_EQ(events, (std::vector<std::string>{"down", "up"}));
}

}  // namespace

namespace {

TEST_F(MessageTest, ParentsHearOfCommandsFocusPressesAndThemeChanges) {
  auto* button = new TButton(form);
  button->SetParent(spy);
  button->SetBounds(5, 5, 60, 25);
  auto* edit = new TEdit(form);
  edit->SetParent(spy);
  edit->SetBounds(5, 30, 60, 18);
  h.ProcessEvents();
  spy->seen.clear();

  h.Click(button);
  const TMessage* activate = spy->Find(WM_MOUSEACTIVATE);
  ASSERT_NE(activate, nullptr);
  EXPECT_EQ(LoWord(static_cast<std::uintptr_t>(activate->LParam)), HTCLIENT);
  EXPECT_EQ(HiWord(static_cast<std::uintptr_t>(activate->LParam)), WM_LBUTTONDOWN);
  const TMessage* command = spy->Find(WM_COMMAND);
  ASSERT_NE(command, nullptr);
  EXPECT_EQ(HiWord(command->WParam), BN_CLICKED);
  EXPECT_EQ(command->LParam, reinterpret_cast<LPARAM>(button));

  spy->seen.clear();
  edit->SetFocus();
  h.ProcessEvents();
  const TMessage* focus = spy->Find(CM_FOCUSCHANGED);
  ASSERT_NE(focus, nullptr);
  EXPECT_EQ(focus->LParam, reinterpret_cast<LPARAM>(edit));
  spy->seen.clear();
  h.Type(edit, u"x");
  ASSERT_NE(spy->Find(WM_COMMAND), nullptr);
  EXPECT_EQ(HiWord(spy->Find(WM_COMMAND)->WParam), EN_CHANGE);

  // Qt's theme, style and palette changes arrive as the theme-changed notice.
  for (QEvent::Type type : {QEvent::ThemeChange, QEvent::StyleChange, QEvent::ApplicationPaletteChange}) {
    spy->seen.clear();
    QEvent e(type);
    QApplication::sendEvent(spy->Widget(), &e);
    EXPECT_NE(spy->Find(CM_THEMECHANGED), nullptr) << type;
    EXPECT_EQ(spy->Find(CM_SYSCOLORCHANGE) != nullptr, type == QEvent::ApplicationPaletteChange) << type;
  }
}

}  // namespace
