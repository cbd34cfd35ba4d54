// The list box: plain, owner-drawn and virtual items, keys, mouse, wheel,
// the scroll bar and the list messages.
#include <gtest/gtest.h>

#include <QWidget>

#include "tests/platform/ui/harness.h"
#include "platform/classes/string_list.h"
#include "platform/ui/list_box.h"

namespace {

using namespace ui;

struct ListFixture {
  uitest::Harness h;
  TForm* form = nullptr;
  TListBox* list = nullptr;
  std::vector<int> drawn;  // indexes the owner-draw handler saw, in order
  std::vector<TOwnerDrawState> states;
  int clicks = 0;

  explicit ListFixture(TListBoxStyle style, int count = 100) {
    form = h.MakeForm<TForm>();
    form->SetBounds(40, 40, 300, 300);
    list = new TListBox(form);
    list->SetParent(form);
    list->SetStyle(style);
    list->SetItemHeight(20);
    list->SetBounds(10, 10, 150, 200);  // ten rows of 20
    list->OnClick = [this](TObject*) { ++clicks; };
    list->OnData = [](TWinControl*, int i, String& s) { s = u"项" + rtl::IntToStr(i); };
    list->OnDrawItem = [this](TWinControl* c, int i, TRect r, TOwnerDrawState st) {
      drawn.push_back(i);
      states.push_back(st);
      static_cast<TListBox*>(c)->DefaultDrawItem(i, r, st);
    };
    if (list->IsVirtual())
      list->SetCount(count);
    else
      for (int i = 0; i < count; ++i) list->Items()->Add(u"项" + rtl::IntToStr(i));
    h.Show(form);
  }
  void Paint() {
    drawn.clear();
    states.clear();
    list->Widget()->repaint();
  }
};

TEST(ListBoxTest, VirtualOwnerDrawPaintsEachVisibleItemOnce) {
  ListFixture f(lbVirtualOwnerDraw, 1000);
  TListBox* l = f.list;
  EXPECT_EQ(l->Count(), 1000);
  EXPECT_EQ(l->Items()->Count(), 0);  // no strings held
  EXPECT_EQ(l->Perform(LB_GETCOUNT), 1000);
  EXPECT_EQ(l->ItemText(999), u"项999");
  EXPECT_EQ(l->VisibleRowCount(), l->ClientHeight() / 20);
  const int rows = l->VisibleRowCount();

  f.Paint();
  std::vector<int> expect;
  // A partly shown last row is drawn too.
  const int shown = (l->ClientHeight() + 19) / 20;
  for (int i = 0; i < shown; ++i) expect.push_back(i);
  EXPECT_EQ(f.drawn, expect);

  l->SetItemIndex(3);
  l->SetTopIndex(2);
  f.Paint();
  ASSERT_FALSE(f.drawn.empty());
  EXPECT_EQ(f.drawn.front(), 2);
  EXPECT_EQ(f.drawn.size(), static_cast<std::size_t>(shown));
  EXPECT_TRUE(f.states[1].Contains(odSelected));
  EXPECT_FALSE(f.states[0].Contains(odSelected));
  // The top index cannot leave the last page empty.
  l->SetTopIndex(5000);
  EXPECT_EQ(l->TopIndex(), 1000 - rows);
  // A shorter count pulls it back and drops a selection past the end.
  l->SetItemIndex(990);
  l->SetCount(10);
  EXPECT_EQ(l->ItemIndex(), -1);
  EXPECT_EQ(l->TopIndex(), 0);
  f.Paint();
  EXPECT_EQ(f.drawn.size(), std::min<std::size_t>(10, shown));
  // A plain list with no strings paints nothing but its ground.
  l->SetCount(0);
  f.Paint();
  EXPECT_TRUE(f.drawn.empty());
  EXPECT_EQ(f.h.PixelAt(l, 5, 5), ColorToRGB(clWindow));
}

TEST(ListBoxTest, KeysAndMouseMoveTheSelection) {
  ListFixture f(lbOwnerDrawFixed, 50);
  TListBox* l = f.list;
  l->SetFocus();
  f.h.ProcessEvents();
  ASSERT_TRUE(l->Focused());
  const int rows = l->VisibleRowCount();
  struct Step {
    std::uint16_t key;
    int index;
    int top;
  };
  const Step steps[] = {
      {VK_DOWN, 0, 0},                        // from no selection: the first
      {VK_DOWN, 1, 0},
      {VK_NEXT, rows, 1},                     // a page less one, scrolled into view
      {VK_END, 49, 50 - rows},
      {VK_DOWN, 49, 50 - rows},               // stays at the end
      {VK_PRIOR, 50 - rows, 50 - rows},
      {VK_UP, 49 - rows, 49 - rows},
      {VK_HOME, 0, 0},
      {VK_UP, 0, 0},
  };
  int clicks = 0;
  for (const Step& s : steps) {
    const int before = l->ItemIndex();
    f.h.Key(l, s.key);
    if (l->ItemIndex() != before) ++clicks;
    EXPECT_EQ(l->ItemIndex(), s.index) << "key " << s.key;
    EXPECT_EQ(l->TopIndex(), s.top) << "key " << s.key;
  }
  EXPECT_EQ(f.clicks, clicks);  // OnClick once per change by the user

  // The focused selection is drawn with the focus state.
  f.Paint();
  ASSERT_FALSE(f.states.empty());
  EXPECT_TRUE(f.states[0].Contains(odFocused));

  // Typing jumps to the next item starting with the letter.
  l->Items()->Put(7, u"apple");
  l->Items()->Put(20, u"Avocado");
  f.h.Type(l, u"a");
  EXPECT_EQ(l->ItemIndex(), 7);
  f.h.Type(l, u"A");
  EXPECT_EQ(l->ItemIndex(), 20);
  f.h.Type(l, u"a");
  EXPECT_EQ(l->ItemIndex(), 7);  // wraps

  // A click selects the row under the mouse; below the last item nothing changes.
  l->SetTopIndex(0);
  f.h.Click(l, Point(10, 2 * 20 + 5));
  EXPECT_EQ(l->ItemIndex(), 2);
  EXPECT_EQ(l->ItemAtPos(Point(10, 5), true), 0);
  EXPECT_EQ(l->ItemAtPos(Point(-1, 5), true), -1);
  l->Items()->Clear();
  EXPECT_EQ(l->ItemIndex(), -1);
  l->Items()->Add(u"only");
  f.h.Click(l, Point(10, 100));
  EXPECT_EQ(l->ItemIndex(), -1);
  EXPECT_EQ(l->ItemAtPos(Point(10, 100), false), 1);
}

TEST(ListBoxTest, WheelAndScrollBarMoveTheTopRow) {
  ListFixture f(lbVirtualOwnerDraw, 100);
  TListBox* l = f.list;
  const int rows = l->VisibleRowCount();
  EXPECT_TRUE(l->ScrollBarVisible(SB_VERT));
  TScrollInfo si;
  si.fMask = SIF_ALL;
  ASSERT_TRUE(l->GetScrollInfo(SB_VERT, si));
  EXPECT_EQ(si.nMax, 99);
  EXPECT_EQ(si.nPage, static_cast<unsigned>(rows));

  auto wheel = [&](int delta) { l->Perform(WM_MOUSEWHEEL, static_cast<WPARAM>(static_cast<std::uint16_t>(delta)) << 16, 0); };
  wheel(-WHEEL_DELTA);
  EXPECT_EQ(l->TopIndex(), 3);  // three rows a notch
  wheel(-WHEEL_DELTA / 2);
  EXPECT_EQ(l->TopIndex(), 3);  // half a notch waits for the other half
  wheel(-WHEEL_DELTA / 2);
  EXPECT_EQ(l->TopIndex(), 6);
  wheel(WHEEL_DELTA * 10);
  EXPECT_EQ(l->TopIndex(), 0);
  EXPECT_EQ(l->GetScrollPos(SB_VERT), 0);

  // A wheel handler that takes the turn stops the list scrolling.
  l->OnMouseWheelDown = [](TObject*, TShiftState, TPoint, bool& handled) { handled = true; };
  wheel(-WHEEL_DELTA);
  EXPECT_EQ(l->TopIndex(), 0);
  l->OnMouseWheelDown = nullptr;

  struct Case {
    int code;
    int from;
    int top;
  };
  for (const Case& c : {Case{SB_LINEDOWN, 0, 1}, Case{SB_LINEUP, 0, 0}, Case{SB_PAGEDOWN, 5, 5 + rows},
                        Case{SB_PAGEUP, 5, 0}, Case{SB_BOTTOM, 0, 100 - rows}, Case{SB_TOP, 40, 0},
                        Case{SB_LINEDOWN, 100 - rows, 100 - rows}}) {
    l->SetTopIndex(c.from);
    l->Perform(WM_VSCROLL, static_cast<WPARAM>(c.code));
    EXPECT_EQ(l->TopIndex(), c.top) << "code " << c.code;
    EXPECT_EQ(l->GetScrollPos(SB_VERT), c.top) << "code " << c.code;
  }

  // Messages the grid's lists send.
  EXPECT_EQ(l->Perform(LB_SETTOPINDEX, 12), 0);
  EXPECT_EQ(l->Perform(LB_GETTOPINDEX), 12);
  EXPECT_EQ(l->Perform(LB_SETCURSEL, 40), 40);
  EXPECT_EQ(l->Perform(LB_GETCURSEL), 40);
  EXPECT_EQ(l->TopIndex(), 40 - rows + 1);  // brought into view
  EXPECT_EQ(l->Perform(LB_SETCURSEL, 400), LB_ERR);
  EXPECT_EQ(l->ItemIndex(), -1);
  TRect r{};
  l->SetTopIndex(10);
  EXPECT_EQ(l->Perform(LB_GETITEMRECT, 12, reinterpret_cast<LPARAM>(&r)), 1);
  EXPECT_EQ(r, Rect(0, 40, l->ClientWidth(), 60));
  EXPECT_EQ(l->Perform(LB_ITEMFROMPOINT, 0, (45 << 16) | 3), 12);
}

TEST(ListBoxTest, SortedItemsIntegralHeightAndSelectString) {
  ListFixture f(lbStandard, 0);
  TListBox* l = f.list;
  l->SetSorted(true);
  for (const char16_t* s : {u"pear", u"Apple", u"fig", u"apricot"}) l->Items()->Add(s);
  EXPECT_EQ(l->Items()->ToVector(), (std::vector<String>{u"Apple", u"apricot", u"fig", u"pear"}));
  const String ap = u"AP";
  // Searching from the top (0xFFFF) finds the first; from it, the next.
  EXPECT_EQ(l->Perform(LB_SELECTSTRING, 0xFFFF, reinterpret_cast<LPARAM>(ap.c_str())), 0);
  EXPECT_EQ(l->Perform(LB_SELECTSTRING, 0, reinterpret_cast<LPARAM>(ap.c_str())), 1);
  EXPECT_EQ(l->ItemIndex(), 1);
  const String none = u"zz";
  EXPECT_EQ(l->Perform(LB_SELECTSTRING, 0xFFFF, reinterpret_cast<LPARAM>(none.c_str())), LB_ERR);
  EXPECT_EQ(l->ItemIndex(), 1);

  // A plain list ignores a bare count and the owner-draw handler.
  l->SetCount(50);
  EXPECT_EQ(l->Count(), 4);
  f.Paint();
  EXPECT_TRUE(f.drawn.empty());

  const int rowH = l->Perform(LB_GETITEMHEIGHT);
  ASSERT_GT(rowH, 0);
  l->SetIntegralHeight(true);
  l->SetHeight(rowH * 5 + rowH / 2);
  EXPECT_EQ((l->ClientHeight()) % rowH, 0);
  EXPECT_EQ(l->VisibleRowCount(), 5);
  f.h.SaveScreenshot(f.form, "list_box_sorted");
}

}  // namespace

namespace {

using namespace ui;

// A drop-down list keeps the editor's focus yet is told it has it, so its
// selection looks focused; dragging with the button held moves the selection.
TEST(ListBoxTest, FocusLookWithoutTheFocusAndDragSelection) {
  ListFixture f(lbOwnerDrawFixed, 30);
  TListBox* l = f.list;
  auto* edit = new TEdit(f.form);
  edit->SetParent(f.form);
  edit->SetBounds(170, 10, 100, 24);
  edit->SetFocus();
  f.h.ProcessEvents();
  l->SetItemIndex(2);
  f.Paint();
  ASSERT_GT(f.states.size(), 2u);
  EXPECT_FALSE(f.states[2].Contains(odFocused));
  l->Perform(WM_SETFOCUS);
  f.Paint();
  EXPECT_TRUE(f.states[2].Contains(odFocused));
  EXPECT_TRUE(edit->Focused());
  l->Perform(WM_KILLFOCUS);
  f.Paint();
  EXPECT_FALSE(f.states[2].Contains(odFocused));

  f.h.MouseDown(l, Point(10, 5));
  EXPECT_EQ(l->ItemIndex(), 0);
  f.h.MouseMove(l, Point(10, 3 * 20 + 5), TShiftState{ssLeft});
  EXPECT_EQ(l->ItemIndex(), 3);
  f.h.MouseUp(l, Point(10, 3 * 20 + 5));
  f.h.MouseMove(l, Point(10, 6 * 20 + 5));
  EXPECT_EQ(l->ItemIndex(), 3);  // no button held: the selection stays
}

}  // namespace

namespace {

TEST(ListBoxTest, ItemsFilledThroughTheGenericListKeepTheirObjects) {
  ui::TObject a, b;
  ListFixture f(ui::lbStandard, 0);
  ui::TStrings* items = f.list->Items();
  items->AddObject(u"a", static_cast<ui::TObject*>(&a));
  items->Add(u"none");
  items->PutObject(1, static_cast<ui::TObject*>(&b));
  EXPECT_EQ(items->Objects(0), &a);
  EXPECT_EQ(f.list->Items()->Objects(1), &b);
  ui::TStringList copy;
  copy.Assign(items);
  EXPECT_EQ(copy.Objects(0), &a);
}

}  // namespace
