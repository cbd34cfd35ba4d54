// The edit buttons and their control (press tracking, auto-repeat on the
// test clock), drop-down placement, the size grip, the popup list and its
// recent-values form, and the drop-down month calendar.
#include <gtest/gtest.h>

#include "grid/editor_support/edit_buttons.h"
#include "tests/platform/ui/harness.h"
#include "grid/editor_support/month_calendar.h"
#include "grid/editor_support/mru_list.h"
#include "grid/editor_support/popup_listbox.h"
#include "platform/ui/themes.h"
#include "grid/editor_support/tool_routines.h"

namespace {

using namespace grid;
using namespace ui;

struct WithForm : ::testing::Test {
  uitest::Harness h;
  TForm* form = nullptr;
  void SetUp() override {
    SetThemesEnabled(false);
    EditorSystemMetrics() = TEditorSystemMetrics{};
    InitEditorTools();
    SetWorkAreaProvider([](const TRect&) { return Rect(0, 0, 800, 600); });
    form = h.MakeForm<TForm>();
    form->SetBounds(50, 50, 300, 200);
    h.Show(form);
  }
  void TearDown() override {
    SetWorkAreaProvider(nullptr);
    DoneEditorTools();
    SetThemesEnabled(true);
  }
};

// --- the button control -----------------------------------------------------------------

struct SpinButton : WithForm {
  TEditButtonControlEx* button = nullptr;
  std::vector<bool> downs;  // TopButton of each OnDown
  int clicks = 0;
  void SetUp() override {
    WithForm::SetUp();
    TEditButtonEx settings(form);
    settings.SetStyle(ebsUpDownEx);
    button = settings.CreateEditButtonControl();
    button->SetStyle(ebsUpDownEx);
    button->SetBounds(20, 20, 16, 21);  // odd: row 10 is the middle
    button->OnDown = [this](TObject*, bool top, bool&, bool&) { downs.push_back(top); };
    button->OnClick = [this](TObject*) { ++clicks; };
  }
};

TEST_F(SpinButton, HeldLowerHalfRepeatsAfter400ThenEvery100) {
  EXPECT_EQ(button->Width(), 16);
  h.MouseDown(button, Point(8, 15));
  EXPECT_EQ(button->ButtonNum(), 2);
  EXPECT_EQ(downs, std::vector<bool>{false});
  h.Advance(399);
  EXPECT_EQ(downs.size(), 1u);
  h.Advance(1);  // 400 ms
  EXPECT_EQ(downs.size(), 2u);
  h.Advance(99);
  EXPECT_EQ(downs.size(), 2u);
  h.Advance(1);  // 500 ms
  EXPECT_EQ(downs.size(), 3u);
  h.Advance(500);  // to one second: every 100 ms
  EXPECT_EQ(downs.size(), 8u);
  EXPECT_EQ(std::count(downs.begin(), downs.end(), true), 0);

  // Into the upper half: released, no more repeats, and no click on release.
  h.MouseMove(button, Point(8, 3));
  EXPECT_EQ(button->State(), bsUpEx);
  h.Advance(400);
  EXPECT_EQ(downs.size(), 8u);
  h.MouseUp(button, Point(8, 3));
  EXPECT_EQ(clicks, 0);
  EXPECT_FALSE(button->RepeatTimerRunning());
  EXPECT_EQ(button->ButtonNum(), 0);
}

TEST_F(SpinButton, LeavingTheButtonStopsTheRepeats) {
  h.MouseDown(button, Point(8, 4));
  EXPECT_EQ(downs, std::vector<bool>{true});
  h.Advance(400);
  EXPECT_EQ(downs.size(), 2u);
  h.MouseMove(button, Point(40, 40));  // outside
  h.Advance(1000);
  EXPECT_EQ(downs.size(), 2u);
  h.MouseUp(button, Point(40, 40));
  EXPECT_EQ(clicks, 0);
}

TEST_F(SpinButton, MiddleRowPressesNothing) {
  h.MouseDown(button, Point(8, 10));
  EXPECT_EQ(button->ButtonNum(), 0);
  EXPECT_TRUE(downs.empty());
  h.Advance(600);
  EXPECT_TRUE(downs.empty());
  h.MouseUp(button, Point(8, 10));
}

TEST_F(SpinButton, HandlerCanStopTheRepeat) {
  button->OnDown = [this](TObject*, bool top, bool& autoRepeat, bool&) {
    downs.push_back(top);
    if (downs.size() == 2) autoRepeat = false;
  };
  h.MouseDown(button, Point(8, 4));
  h.Advance(2000);
  EXPECT_EQ(downs.size(), 2u);
  EXPECT_FALSE(button->RepeatTimerRunning());
  h.MouseUp(button, Point(8, 4));
  EXPECT_EQ(clicks, 1);
}

TEST_F(SpinButton, PlainButtonClicksWithoutRepeating) {
  button->SetStyle(ebsEllipsisEx);
  h.Click(button, Point(8, 10));
  EXPECT_EQ(downs, std::vector<bool>{true});
  EXPECT_EQ(clicks, 1);
  EXPECT_FALSE(button->RepeatTimerRunning());
  button->SetAlwaysDown(true);
  EXPECT_EQ(button->State(), bsDownEx);
  EXPECT_EQ(button->ButtonNum(), 1);
  EXPECT_EQ(button->GroupIndex(), 1);
  button->SetAlwaysDown(false);
  EXPECT_EQ(button->State(), bsUpEx);
  EXPECT_EQ(button->ButtonNum(), 0);
  EXPECT_TRUE(button->AllowAllUp());
}

// --- the settings objects -------------------------------------------------------------

TEST_F(WithForm, EditButtonSettingsDefaultsClampsAndNotices) {
  TEditButtonEx b(form);
  EXPECT_TRUE(b.Enabled());
  EXPECT_FALSE(b.Visible());
  EXPECT_EQ(b.ShortCut(), 0);
  EXPECT_TRUE(b.Glyph()->Transparent());
  b.SetNumGlyphs(0);
  EXPECT_EQ(b.NumGlyphs(), 1);
  b.SetNumGlyphs(9);
  EXPECT_EQ(b.NumGlyphs(), 4);
  TVisibleEditButtonEx v(form);
  EXPECT_TRUE(v.Visible());
  EXPECT_EQ(v.ShortCut(), 32808);
  TDropDownEditButtonEx d(form);
  EXPECT_FALSE(d.Visible());
  EXPECT_EQ(d.ShortCut(), 32808);

  int notices = 0;
  b.OnChanged = [&](TObject*) { ++notices; };
  b.SetWidth(20);
  b.SetStyle(ebsPlusEx);
  b.SetShortCut(5);  // stored silently
  EXPECT_EQ(notices, 2);

  TEditButtonsEx buttons(form, [](TCollection* c) { return new TVisibleEditButtonEx(c); });
  std::vector<TCollectionItem*> changed;
  buttons.OnChanged = [&](TObject* item) { changed.push_back(dynamic_cast<TCollectionItem*>(item)); };
  TEditButtonEx* added = buttons.Add();
  EXPECT_TRUE(added->Visible());
  changed.clear();
  added->SetHint(u"提示");
  ASSERT_EQ(changed.size(), 1u);
  EXPECT_EQ(changed[0], added);
  EXPECT_EQ(buttons.Items(0), added);

  TEditButtonEx copy(form);
  copy.Assign(&b);
  EXPECT_EQ(copy.Style(), ebsPlusEx);
  EXPECT_EQ(copy.Width(), 20);
  EXPECT_EQ(copy.ShortCut(), 5);
}

TEST_F(WithForm, ActionLinkCarriesHintAndClick) {
  auto* action = new TCustomAction(form);
  action->SetHint(u"从动作");
  int executed = 0;
  action->OnExecute = [&](TObject*) { ++executed; };
  TEditButtonEx b(form);
  b.SetAction(action);
  EXPECT_EQ(b.Hint(), u"从动作");
  EXPECT_FALSE(b.IsHintStored());
  action->SetHint(u"新");
  EXPECT_EQ(b.Hint(), u"新");
  bool handled = false;
  b.Click(&b, handled);
  EXPECT_TRUE(handled);
  EXPECT_EQ(executed, 1);
  // An OnClick handler takes precedence over the action.
  b.OnClick = [](TObject*, bool& h) { h = true; };
  b.Click(&b, handled);
  EXPECT_EQ(executed, 1);
  // The action goes first; the button forgets it and stays usable.
  Free(action);
  EXPECT_EQ(b.Action(), nullptr);
  b.OnClick = nullptr;
  handled = false;
  b.Click(&b, handled);
  EXPECT_FALSE(handled);
}

// --- drop-down placement ---------------------------------------------------------------

class DropDownProbe : public TCustomControl {
 public:
  using TCustomControl::TCustomControl;
  std::vector<int> grips;
  void Dispatch(TMessage& M) override {
    if (M.Msg == WM_SIZEGRIPCHANGEPOSITION) grips.push_back(static_cast<int>(M.WParam));
    TCustomControl::Dispatch(M);
  }
};

TEST_F(WithForm, DropDownOpensWhereItFitsInsideTheWorkArea) {
  struct Case {
    TRect editor;
    int height, width;
    TDropDownAlign align;
    TPoint pos;
    int gotHeight, gotWidth;
    std::vector<int> grips;
  } cases[] = {
      // Fits below.
      {Rect(100, 100, 200, 120), 300, 150, daLeft, {100, 120}, 300, 150, {sgcpToBottom, sgcpToRight}},
      // 100 below, 500 above: above at full height.
      {Rect(100, 480, 200, 500), 300, 150, daLeft, {100, 180}, 300, 150, {sgcpToTop, sgcpToRight}},
      // 100 below, 200 above: above, 200 high.
      {Rect(100, 200, 200, 500), 300, 150, daLeft, {100, 0}, 200, 150, {sgcpToTop, sgcpToRight}},
      // 100 below, 80 above: below, 100 high.
      {Rect(100, 80, 200, 500), 300, 150, daLeft, {100, 500}, 100, 150, {sgcpToBottom, sgcpToRight}},
      // Right-aligned and centred.
      {Rect(300, 100, 400, 120), 50, 150, daRight, {250, 120}, 50, 150, {sgcpToBottom, sgcpToLeft}},
      {Rect(300, 100, 400, 120), 50, 150, daCenter, {275, 120}, 50, 150, {sgcpToBottom, sgcpToRight}},
      // Pushed in from the right and from the left edge.
      {Rect(700, 100, 780, 120), 50, 150, daLeft, {650, 120}, 50, 150, {sgcpToBottom, sgcpToLeft}},
      {Rect(10, 100, 60, 120), 50, 150, daRight, {0, 120}, 50, 150, {sgcpToBottom, sgcpToRight}},
      // Wider than the work area: narrowed and at its left edge.
      {Rect(100, 100, 200, 120), 50, 900, daLeft, {0, 120}, 50, 800, {sgcpToBottom, sgcpToLeft}},
  };
  for (const Case& c : cases) {
    DropDownProbe probe(nullptr);
    probe.SetBounds(0, 0, c.width, c.height);
    TPoint p = CalcDropDownPosition(c.editor, &probe, c.align);
    EXPECT_EQ(p, c.pos) << c.editor.Top << "/" << c.align;
    EXPECT_EQ(probe.Height(), c.gotHeight) << c.editor.Top;
    EXPECT_EQ(probe.Width(), c.gotWidth) << c.editor.Top;
    EXPECT_EQ(probe.grips, c.grips) << c.editor.Top << "/" << c.align;
  }
}

// --- popup list and grip ----------------------------------------------------------------

struct PopupList : WithForm {
  TPopupListboxEx* list = nullptr;
  void Make(TPopupListboxEx* l, int items = 30) {
    list = l;
    list->SetItemHeight(16);
    for (int i = 0; i < items; ++i) list->Items()->Add(u"item" + rtl::IntToStr(i));
    list->SetBounds(100, 100, 150, 10 * 16);
    list->SetVisible(true);
    list->HandleNeeded();
    h.ProcessEvents();
  }
  void SetUp() override { WithForm::SetUp(); }
  void TearDown() override {
    delete list;
    WithForm::TearDown();
  }
};

TEST_F(PopupList, HeightSnapsToWholeRows) {
  Make(new TPopupListboxEx(nullptr));
  EXPECT_EQ(list->RowCount(), 10);
  list->SetRowCount(0);
  EXPECT_EQ(list->RowCount(), 1);
  EXPECT_EQ(list->Height(), 16);  // raised to the scroll-bar height first, then down to whole rows
  list->SetHeight(16 * 4 + 9);
  EXPECT_EQ(list->RowCount(), 4);
  EXPECT_EQ(list->Height(), 64);
  EXPECT_FALSE(list->CanFocus());
  // The grip sits in the bottom-right corner after a resize.
  EXPECT_EQ(list->SizeGrip()->Left(), list->ClientWidth() - list->SizeGrip()->Width());
  EXPECT_EQ(list->SizeGrip()->Top(), list->ClientHeight() - list->SizeGrip()->Height());
  EXPECT_TRUE(list->SizeGripResized());
}

TEST_F(PopupList, IncrementalSearchResetsAfterTwoSeconds) {
  Make(new TPopupListboxEx(nullptr), 0);
  for (const char16_t* s : {u"apple", u"banana", u"berry", u"blue", u"cherry", u"lime"}) list->Items()->Add(s);
  auto type = [&](char16_t ch) { list->Perform(WM_CHAR, ch); };
  type(u'b');
  type(u'l');
  EXPECT_EQ(list->ItemIndex(), 3);  // "bl" within two seconds
  h.Advance(3000);
  type(u'c');
  EXPECT_EQ(list->SearchText(), u"c");
  EXPECT_EQ(list->ItemIndex(), 4);
  h.Advance(1900);
  type(u'X');  // no match: selection stays, the text still grows
  EXPECT_EQ(list->SearchText(), u"cX");
  type(27);
  EXPECT_EQ(list->SearchText(), u"");
  type(u'l');
  EXPECT_EQ(list->ItemIndex(), 5);
}

TEST_F(PopupList, SelectionFollowsTheMouseAndTheWheelScrolls) {
  Make(new TPopupListboxEx(nullptr));
  h.MouseMove(list, Point(20, 16 * 3 + 5));
  EXPECT_EQ(list->ItemIndex(), 3);
  h.MouseMove(list, Point(20, 16 * 5 + 5));
  EXPECT_EQ(list->ItemIndex(), 5);
  h.Click(list, Point(20, 16 * 5 + 5));
  EXPECT_TRUE(list->IsMouseUpCloseListbox());
  // A wheel turn with no handler scrolls one row.
  list->Perform(WM_MOUSEWHEEL, static_cast<WPARAM>(static_cast<std::uint16_t>(-120)) << 16, 0);
  EXPECT_EQ(list->TopIndex(), 1);
}

// The raised border is the window's frame: the rows, the mouse and the grip
// count from inside it, and whole rows fill the client area.
TEST_F(PopupList, BorderIsTheWindowsFrameRoundTheRows) {
  Make(new TPopupListboxEx(nullptr), 4);
  // The combo box gives its list the raised border this way.
  list->SetCtl3D(false);
  list->SetCtl3D(true);
  list->SetRowCount(5);
  h.ProcessEvents();
  ASSERT_EQ(list->BorderWidth(), 2);
  EXPECT_EQ(list->NonClientMargins(), (TPadding{2, 2, 2, 2}));
  EXPECT_EQ(list->Height(), 5 * 16 + 4);
  EXPECT_EQ(list->ClientRect(), Rect(0, 0, list->Width() - 4, 5 * 16));
  EXPECT_EQ(list->ClientToScreen({0, 0}), (TPoint{list->Left() + 2, list->Top() + 2}));
  EXPECT_EQ(list->SizeGrip()->Top() + list->SizeGrip()->Height(), 5 * 16);
  const int w = list->Width(), hgt = list->Height();
  // Raised: the outer ring dark at the right and bottom, the inner ring
  // light at the left and top and grey at the right and bottom.
  EXPECT_EQ(h.WindowPixelAt(list, 1, hgt / 2), ColorToRGB(clBtnHighlight));
  EXPECT_EQ(h.WindowPixelAt(list, w / 2, 1), ColorToRGB(clBtnHighlight));
  EXPECT_EQ(h.WindowPixelAt(list, w - 1, hgt / 2), ColorToRGB(cl3DDkShadow));
  EXPECT_EQ(h.WindowPixelAt(list, w / 2, hgt - 1), ColorToRGB(cl3DDkShadow));
  EXPECT_EQ(h.WindowPixelAt(list, w - 2, hgt / 2), ColorToRGB(clBtnShadow));
  EXPECT_FALSE(h.SaveScreenshot(list, "popup_list_raised").empty());
  // The first row starts right inside the frame, in paint and under the mouse.
  list->SetItemIndex(0);
  h.ProcessEvents();
  const int x = list->ClientWidth() - 3;
  EXPECT_EQ(h.PixelAt(list, x, 2), ColorToRGB(clHighlight));
  EXPECT_EQ(h.PixelAt(list, x, 18), ColorToRGB(list->Color()));
  h.MouseMove(list, Point(30, 15));
  EXPECT_EQ(list->ItemIndex(), 0);
  h.MouseMove(list, Point(30, 16));
  EXPECT_EQ(list->ItemIndex(), 1);

  // Without the 3D look: a one-pixel line of the window frame's colour.
  list->SetCtl3D(false);
  list->SetRowCount(5);
  h.ProcessEvents();
  EXPECT_EQ(list->BorderWidth(), 0);
  EXPECT_EQ(list->NonClientMargins(), (TPadding{1, 1, 1, 1}));
  EXPECT_EQ(list->Height(), 5 * 16 + 2);
  EXPECT_EQ(list->ClientHeight(), 5 * 16);
  for (TPoint p : {Point(0, 10), Point(10, 0), Point(list->Width() - 1, 10), Point(10, list->Height() - 1)})
    EXPECT_EQ(h.WindowPixelAt(list, p.X, p.Y), ColorToRGB(clWindowFrame)) << p.X << "," << p.Y;
  EXPECT_FALSE(h.SaveScreenshot(list, "popup_list_line").empty());
}

class SeparatorItem : public TPopupListboxItemEx {
 public:
  std::vector<TOwnerDrawState> states;
  bool CanFocusItem(TPopupListboxEx*, int) override { return false; }
  void PaintItem(TPopupListboxEx* Sender, int Index, const TRect& R, TOwnerDrawState State) override {
    states.push_back(State);
    TPopupListboxItemEx::PaintItem(Sender, Index, R, State);
  }
  bool CloseOnExecute(TPopupListboxEx*, int) override { return false; }
};

TEST_F(PopupList, ItemObjectsThatCannotTakeTheFocusPaintWithoutIt) {
  Make(new TPopupListboxEx(nullptr), 3);
  SeparatorItem sep;
  list->Items()->SetObjects(1, &sep);
  list->SetUseItemObjects(true);
  list->SetItemIndex(1);
  h.PixelAt(list, 5, 20);  // grabs the window, which paints it
  ASSERT_FALSE(sep.states.empty());
  EXPECT_TRUE(sep.states.back().Contains(odSelected));
  EXPECT_FALSE(sep.states.back().Contains(odFocused));
  h.Click(list, Point(10, 5));
  EXPECT_TRUE(list->IsMouseUpCloseListbox());
}

// The list looks focused while its editor keeps the focus: the chosen row
// wears the dotted focus frame, and an empty list wears it in its first row.
TEST_F(PopupList, FocusFrameMarksTheChosenRowOrTheFirstRowOfAnEmptyList) {
  Make(new TPopupListboxEx(nullptr), 0);
  const TColor ground = ColorToRGB(list->Color());
  const int right = list->ClientWidth() - 1;
  // Every other pixel of the frame is turned.
  auto framed = [&](int Top) { return h.PixelAt(list, 0, Top) != h.PixelAt(list, 1, Top); };
  EXPECT_TRUE(framed(0));
  EXPECT_EQ(h.PixelAt(list, right, 20), ground);
  EXPECT_EQ(h.PixelAt(list, right - 1, 20), ground);
  for (const char16_t* s : {u"one", u"two", u"three"}) list->Items()->Add(s);
  list->SetItemIndex(1);
  h.ProcessEvents();
  EXPECT_FALSE(framed(0));
  EXPECT_EQ(h.PixelAt(list, 0, 0), ground);
  EXPECT_TRUE(framed(16));
}

TEST_F(PopupList, GripDragsResizeWithinTheWorkAreaInWholeRows) {
  Make(new TPopupListboxEx(nullptr));
  TSizeGripEx* grip = list->SizeGrip();
  const TPoint at = Point(grip->Width() - 2, grip->Height() - 2);
  int resized = 0;
  grip->OnParentResized = [&](TObject*) { ++resized; };
  h.MouseDown(grip, at);
  h.MouseMove(grip, Point(at.X + 30, at.Y + 20));
  EXPECT_EQ(list->Width(), 180);
  EXPECT_EQ(list->Height(), 11 * 16);  // 20 more pixels: one more whole row
  EXPECT_EQ(resized, 1);
  EXPECT_EQ(grip->Left(), list->ClientWidth() - grip->Width());  // follows its corner
  // Past the work area's right edge (800): stops there.
  h.MouseMove(grip, Point(at.X + 900, at.Y + 20));
  EXPECT_EQ(list->Left() + list->Width(), 800);
  h.MouseUp(grip, Point(at.X + 900, at.Y + 20));

  // A top-left grip moves the left and top edges and keeps the others.
  list->SetBounds(300, 300, 150, 160);
  list->Perform(WM_SIZEGRIPCHANGEPOSITION, sgcpToTop);
  list->Perform(WM_SIZEGRIPCHANGEPOSITION, sgcpToLeft);
  ASSERT_EQ(grip->Position(), sgpTopLeft);
  EXPECT_EQ(grip->Cursor(), crSizeNWSE);
  EXPECT_EQ(grip->Left(), 0);
  EXPECT_EQ(grip->Top(), 0);
  h.MouseDown(grip, Point(2, 2));
  h.MouseMove(grip, Point(2 - 40, 2 - 35));
  EXPECT_EQ(list->Left() + list->Width(), 450);
  EXPECT_EQ(list->Top() + list->Height(), 460);
  EXPECT_EQ(list->Width(), 190);
  EXPECT_EQ(list->Height(), 12 * 16);  // 35 more pixels: two whole rows
  h.MouseUp(grip, Point(2 - 40, 2 - 35));
}

TEST_F(PopupList, GripPositionTable) {
  Make(new TPopupListboxEx(nullptr));
  TSizeGripEx* grip = list->SizeGrip();
  struct Case {
    TSizeGripPostion from;
    TSizeGripChangePosition to;
    TSizeGripPostion expect;
    TCursor cursor;
  } cases[] = {
      {sgpBottomLeft, sgcpToTop, sgpTopLeft, crSizeNWSE},     {sgpBottomRight, sgcpToTop, sgpTopRight, crSizeNESW},
      {sgpTopRight, sgcpToLeft, sgpTopLeft, crSizeNWSE},      {sgpBottomLeft, sgcpToRight, sgpBottomRight, crSizeNWSE},
      {sgpTopLeft, sgcpToBottom, sgpBottomLeft, crSizeNESW},  {sgpTopLeft, sgcpToTop, sgpTopLeft, crSizeNWSE},
  };
  for (const Case& c : cases) {
    grip->SetPosition(c.from);
    grip->ChangePosition(c.to);
    EXPECT_EQ(grip->Position(), c.expect);
    EXPECT_EQ(grip->Cursor(), c.cursor);
  }
  grip->SetTriangleWindow(false);
  EXPECT_TRUE(grip->InShape(Point(0, 0)));
  grip->SetTriangleWindow(true);
  grip->SetPosition(sgpBottomRight);
  EXPECT_FALSE(grip->InShape(Point(0, 0)));
  EXPECT_TRUE(grip->InShape(Point(grip->Width() - 1, grip->Height() - 1)));
}

TEST_F(PopupList, RecentValuesDropDownShowsItsBarOnlyWhenNeeded) {
  auto* mru = new TMRUListboxEx(nullptr);
  Make(mru, 3);
  mru->UpdateScrollBar();
  EXPECT_FALSE(mru->ScrollBar()->Visible());
  EXPECT_TRUE(mru->SizeGrip()->TriangleWindow());
  for (int i = 0; i < 20; ++i) mru->Items()->Add(u"more");
  EXPECT_TRUE(mru->ScrollBar()->Visible());
  EXPECT_FALSE(mru->SizeGrip()->TriangleWindow());  // shares the right edge with the bar
  EXPECT_EQ(mru->ScrollBar()->Left(), mru->ClientWidth() - mru->ScrollBar()->Width());
  EXPECT_EQ(mru->ScrollBar()->Height(), mru->ClientHeight() - mru->SizeGrip()->Height());
  EXPECT_EQ(mru->ScrollBar()->Max(), 22);
  EXPECT_EQ(mru->ScrollBar()->PageSize(), 10);
  mru->Perform(WM_SIZEGRIPCHANGEPOSITION, sgcpToTop);
  EXPECT_EQ(mru->ScrollBar()->Top(), mru->SizeGrip()->Height());
  mru->Perform(WM_SIZEGRIPCHANGEPOSITION, sgcpToLeft);
  EXPECT_EQ(mru->ScrollBar()->Height(), mru->ClientHeight());
  EXPECT_TRUE(mru->SizeGrip()->TriangleWindow());
  // The bar scrolls the list.
  h.Click(mru->ScrollBar(), Point(5, mru->ScrollBar()->Height() - 3));
  EXPECT_EQ(mru->TopIndex(), 1);
  EXPECT_EQ(mru->ScrollBar()->Position(), 1);
}

// --- month calendar ---------------------------------------------------------------------

class CalendarOwner : public TComponent, public IPopupOwnerEx {
 public:
  CalendarOwner() : TComponent(nullptr) {}
  ~CalendarOwner() override { BeginDestroy(); }
  std::vector<bool> closes;
  void CloseUp(bool Accept) override { closes.push_back(Accept); }
};

struct Calendar : WithForm {
  CalendarOwner owner;
  TPopupMonthCalendarEx* cal = nullptr;
  void SetUp() override {
    WithForm::SetUp();
    cal = new TPopupMonthCalendarEx(&owner);
    cal->TodayProvider = [] { return rtl::EncodeDate(2026, 12, 10); };
    cal->SetDate(rtl::EncodeDate(2026, 12, 10));
    cal->SetLeft(100);
    cal->SetTop(100);
    cal->SetVisible(true);
    cal->HandleNeeded();
    h.ProcessEvents();
  }
  TPoint Centre(const TRect& r) { return Point((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2); }
  TPoint Where(unsigned code) {
    for (int y = 0; y < cal->Height(); ++y)
      for (int x = 0; x < cal->Width(); ++x)
        if (cal->HitTest(Point(x, y)) == code) return Point(x, y);
    ADD_FAILURE() << code;
    return {};
  }
};

TEST_F(Calendar, ClickOnADayAcceptsItsDate) {
  EXPECT_EQ(cal->Width(), cal->MinRequiredRect().Width());
  h.Click(cal, Centre(cal->DayRect(rtl::EncodeDate(2026, 12, 24))));
  EXPECT_EQ(owner.closes, std::vector<bool>{true});
  EXPECT_EQ(cal->Date(), rtl::EncodeDate(2026, 12, 24));
  // A day of the next month shown in the last rows also accepts.
  h.Click(cal, Centre(cal->DayRect(rtl::EncodeDate(2027, 1, 2))));
  EXPECT_EQ(owner.closes.size(), 2u);
}

TEST_F(Calendar, ScrollButtonsHeaderAndYearKeepItOpen) {
  h.Click(cal, Where(MCHT_TITLEBTNNEXT));
  EXPECT_EQ(cal->ShownMonth(), 1);
  EXPECT_EQ(cal->ShownYear(), 2027);
  h.Click(cal, Where(MCHT_CALENDARDAY));
  h.Click(cal, Where(MCHT_TITLEYEAR));
  EXPECT_TRUE(owner.closes.empty());
}

TEST_F(Calendar, PressInTheYearViewSwitchesBackWithoutClosing) {
  h.Click(cal, Where(MCHT_TITLEMONTH));  // accepts? no: the title month opens the year view
  // A release on the title's month name counts as accepting, as on the
  // classic calendar; the view has switched all the same.
  EXPECT_EQ(cal->CurrentView(), MCMV_YEAR);
  owner.closes.clear();
  const TPoint march = Centre(cal->ZoomCellRect(2));
  h.MouseDown(cal, march);
  EXPECT_EQ(cal->DownViewType(), MCMV_YEAR);
  h.MouseUp(cal, march);
  EXPECT_EQ(cal->CurrentView(), MCMV_MONTH);
  EXPECT_EQ(cal->ShownMonth(), 3);
  EXPECT_TRUE(owner.closes.empty());
}

TEST_F(Calendar, KeysWheelAndFocusLoss) {
  cal->Perform(WM_KEYDOWN, VK_RIGHT);
  EXPECT_EQ(cal->Date(), rtl::EncodeDate(2026, 12, 11));
  cal->Perform(WM_KEYDOWN, VK_ESCAPE);
  cal->Perform(WM_KEYDOWN, VK_RETURN);
  EXPECT_EQ(owner.closes, (std::vector<bool>{false, true}));
  cal->Perform(WM_MOUSEWHEEL, static_cast<WPARAM>(static_cast<std::uint16_t>(-120)) << 16, 0);
  EXPECT_EQ(cal->Date(), rtl::EncodeDate(2026, 12, 12));
  EXPECT_EQ(cal->Perform(CM_WANTSPECIALKEY, VK_ESCAPE), 1);
  EXPECT_EQ(owner.closes.size(), 3u);
  EXPECT_EQ(cal->Perform(WM_GETDLGCODE) & (DLGC_WANTARROWS | DLGC_WANTCHARS), DLGC_WANTARROWS | DLGC_WANTCHARS);

  // Focus loss closes without accepting, but only once the focus change is
  // over. The shown calendar's window may be the active one: the form takes
  // that back first.
  h.Show(form);
  owner.closes.clear();
  cal->Perform(WM_KILLFOCUS);
  EXPECT_TRUE(owner.closes.empty());
  EXPECT_TRUE(IsMessageQueued(cal, WM_POPUPCLOSEUP, WM_POPUPCLOSEUP));
  h.ProcessEvents();
  EXPECT_EQ(owner.closes, std::vector<bool>{false});
}

// The raised border is the window's frame: the days and their hit codes
// count from inside it.
TEST_F(Calendar, BorderIsTheWindowsFrameRoundTheCalendar) {
  const TRect min = cal->MinRequiredRect();
  // Without a change of the 3D look the calendar has no border.
  EXPECT_EQ(cal->NonClientMargins(), TPadding{});
  EXPECT_EQ(cal->ClientRect(), min);
  cal->SetCtl3D(false);
  cal->SetCtl3D(true);
  h.ProcessEvents();
  ASSERT_EQ(cal->BorderWidth(), 2);
  EXPECT_EQ(cal->NonClientMargins(), (TPadding{2, 2, 2, 2}));
  EXPECT_EQ(cal->Width(), min.Width() + 4);
  EXPECT_EQ(cal->Height(), min.Height() + 4);
  EXPECT_EQ(cal->ClientRect(), min);
  EXPECT_EQ(cal->ClientToScreen({0, 0}), (TPoint{cal->Left() + 2, cal->Top() + 2}));
  const int w = cal->Width(), hgt = cal->Height();
  EXPECT_EQ(h.WindowPixelAt(cal, 1, hgt / 2), ColorToRGB(clBtnHighlight));
  EXPECT_EQ(h.WindowPixelAt(cal, w - 1, hgt / 2), ColorToRGB(cl3DDkShadow));
  EXPECT_EQ(h.WindowPixelAt(cal, w / 2, hgt - 1), ColorToRGB(cl3DDkShadow));
  EXPECT_EQ(h.WindowPixelAt(cal, w - 2, hgt / 2), ColorToRGB(clBtnShadow));
  EXPECT_FALSE(h.SaveScreenshot(cal, "calendar_popup_raised").empty());
  // The title starts at the client's top left: its button face and the
  // previous-month button are there.
  EXPECT_EQ(h.PixelAt(cal, 0, 0), ColorToRGB(clBtnFace));
  EXPECT_EQ(cal->HitTest(Point(0, 0)), MCHT_TITLEBTNPREV);
  const TRect day = cal->DayRect(rtl::EncodeDate(2026, 12, 24));
  h.Click(cal, Centre(day));
  EXPECT_EQ(owner.closes, std::vector<bool>{true});
  EXPECT_EQ(cal->Date(), rtl::EncodeDate(2026, 12, 24));
  EXPECT_EQ(h.PixelAt(cal, day.Left + 1, day.Top + 1), ColorToRGB(clHighlight));

  // Without the 3D look: a one-pixel line of the window frame's colour.
  cal->SetCtl3D(false);
  h.ProcessEvents();
  EXPECT_EQ(cal->NonClientMargins(), (TPadding{1, 1, 1, 1}));
  EXPECT_EQ(cal->Width(), min.Width() + 2);
  EXPECT_EQ(cal->ClientRect(), min);
  for (TPoint p : {Point(0, 10), Point(10, 0), Point(cal->Width() - 1, 10), Point(10, cal->Height() - 1)})
    EXPECT_EQ(h.WindowPixelAt(cal, p.X, p.Y), ColorToRGB(clWindowFrame)) << p.X << "," << p.Y;
  EXPECT_FALSE(h.SaveScreenshot(cal, "calendar_popup_line").empty());
}

TEST_F(Calendar, PressOutsideClosesWithoutAccepting) {
  cal->Perform(WM_LBUTTONDOWN, MK_LBUTTON, (static_cast<LPARAM>(static_cast<std::uint16_t>(-5)) << 16) | 5);
  ASSERT_FALSE(owner.closes.empty());
  EXPECT_FALSE(owner.closes.front());
}

}  // namespace
