// A drop-down popup keeps the editor's focus and closes on an outside press.
#include <gtest/gtest.h>

#include <QWidget>

#include "tests/platform/ui/harness.h"
#include "platform/ui/popup_window.h"

namespace {

using namespace ui;

class TRecordingPopup : public TPopupWindow {
 public:
  using TPopupWindow::TPopupWindow;
  int presses = 0;

 protected:
  void MouseDown(TMouseButton B, TShiftState S, int X, int Y) override {
    ++presses;
    TPopupWindow::MouseDown(B, S, X, Y);
  }
};

TEST(PopupTest, PopupKeepsTheEditorsFocusAndClosesOnAnOutsidePress) {
  uitest::Harness h;
  auto* form = h.MakeForm<TForm>();
  form->SetBounds(50, 50, 300, 200);
  auto* edit = new TEdit(form);
  edit->SetParent(form);
  auto* other = new TEdit(form);
  other->SetParent(form);
  other->SetTop(100);
  h.Show(form);
  edit->SetFocus();
  h.ProcessEvents();
  ASSERT_TRUE(edit->Focused());

  auto* popup = new TRecordingPopup(form);
  std::vector<bool> closes;
  popup->OnCloseUp = [&](TObject*, bool accept) { closes.push_back(accept); };
  TPoint below = edit->ClientToScreen(Point(0, edit->Height()));
  popup->Popup(Bounds(below.X, below.Y, 120, 80));
  h.ProcessEvents();
  EXPECT_TRUE(popup->IsPopupShown());
  EXPECT_TRUE(popup->Widget()->isVisible());
  EXPECT_TRUE(popup->Widget()->isWindow());
  EXPECT_TRUE(edit->Focused());
  EXPECT_FALSE(popup->CanFocus());

  // Clicks inside reach the popup and leave the focus alone.
  h.Click(popup, Point(10, 10));
  h.ProcessEvents();
  EXPECT_EQ(popup->presses, 1);
  EXPECT_TRUE(popup->IsPopupShown());
  EXPECT_TRUE(edit->Focused());
  // Keys typed meanwhile still go to the editor.
  h.Type(edit, u"ab");
  EXPECT_EQ(edit->Text(), u"ab");

  // A press outside closes it (not accepted), once.
  h.Click(other);
  h.ProcessEvents();
  EXPECT_FALSE(popup->IsPopupShown());
  EXPECT_FALSE(popup->Widget()->isVisible());
  EXPECT_EQ(closes, std::vector<bool>{false});

  // Shown again, cancel mode closes it too; an accepted close reports so.
  popup->Popup(Bounds(below.X, below.Y, 120, 80));
  popup->Perform(WM_CANCELMODE);
  popup->Popup(Bounds(below.X, below.Y, 120, 80));
  popup->CloseUp(true);
  popup->CloseUp(true);
  EXPECT_EQ(closes, (std::vector<bool>{false, false, true}));
}

// A control of another class turned into a drop-down window, as list boxes
// and grids that drop down are.
class TDropDownBox : public TCustomControl {
 public:
  using TCustomControl::TCustomControl;

 protected:
  QWidget* CreateWidget(QWidget*) override {
    QWidget* w = TCustomControl::CreateWidget(nullptr);
    MakePopupWidget(w);
    return w;
  }
};

TEST(PopupTest, ADropDownWindowShowsWithoutAParentAPlainControlDoesNot) {
  uitest::Harness h;
  auto* form = h.MakeForm<TForm>();
  auto* box = new TDropDownBox(form);
  box->SetVisible(false);
  box->HandleNeeded();
  box->SetBounds(40, 60, 100, 50);
  box->SetVisible(true);
  h.ProcessEvents();
  EXPECT_TRUE(box->Widget()->isVisible());
  EXPECT_EQ(box->ClientToScreen(Point(0, 0)), Point(40, 60));
  box->SetVisible(false);
  EXPECT_FALSE(box->Widget()->isVisible());

  // Without a parent any other control's widget is a stray window: it stays hidden.
  auto* plain = new TCustomControl(form);
  plain->HandleNeeded();
  ASSERT_TRUE(plain->Visible());
  h.ProcessEvents();
  EXPECT_FALSE(plain->Widget()->isVisible());
}

}  // namespace
