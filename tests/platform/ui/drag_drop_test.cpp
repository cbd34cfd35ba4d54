// Dragging one control onto another: the events in order, the threshold,
// refused and cancelled drops, and the cursor on the way.
#include <gtest/gtest.h>

#include <QWidget>

#include <string>
#include <vector>

#include "platform/ui/drag_drop.h"
#include "tests/platform/ui/harness.h"

namespace {

using namespace ui;

class DragDropTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form = h.MakeForm<TForm>();
    form->SetBounds(0, 0, 300, 120);
    source = new TPanel(form);
    source->SetParent(form);
    source->SetBounds(10, 10, 100, 100);
    target = new TPanel(form);
    target->SetParent(form);
    target->SetBounds(150, 10, 100, 100);
    label = new TLabel(form);
    label->SetParent(target);
    label->SetAutoSize(false);
    label->SetBounds(60, 60, 30, 30);
    source->OnStartDrag = [this](TObject*, TDragObject*&) { log.push_back("start"); };
    source->OnEndDrag = [this](TObject*, TObject* t, int x, int y) {
      log.push_back("end " + Name(t) + " " + std::to_string(x) + "," + std::to_string(y));
    };
    for (TControl* c : {static_cast<TControl*>(target), static_cast<TControl*>(label)}) {
      c->OnDragOver = [this, c](TObject*, TObject* s, int x, int y, TDragState st, bool& accept) {
        accept = s == source && c != label;
        const char* states[] = {"enter", "leave", "move"};
        log.push_back(std::string("over ") + Name(c) + " " + states[st] + " " + std::to_string(x) + "," +
                      std::to_string(y) + (accept ? "" : " refused"));
        cursors.push_back(Screen->Cursor());
      };
      c->OnDragDrop = [this, c](TObject*, TObject* s, int x, int y) {
        log.push_back("drop " + Name(c) + " from " + Name(s) + " " + std::to_string(x) + "," + std::to_string(y));
      };
    }
    h.Show(form);
  }
  std::string Name(TObject* o) const {
    if (!o) return "none";
    return o == source ? "source" : o == target ? "target" : o == label ? "label" : "other";
  }
  uitest::Harness h;
  TForm* form = nullptr;
  TPanel* source = nullptr;
  TPanel* target = nullptr;
  TLabel* label = nullptr;
  std::vector<std::string> log;
  std::vector<TCursor> cursors;
};

TEST_F(DragDropTest, ADropOnAnotherControlRunsTheEventsInOrder) {
  source->OnMouseDown = [this](TObject*, TMouseButton, TShiftState, int, int) { source->BeginDrag(false, 8); };
  h.MouseDown(source, Point(10, 10));
  EXPECT_TRUE(source->Dragging());
  // Short of the threshold on both axes the drag has not started.
  h.MouseMove(source, Point(17, 17));
  EXPECT_EQ(log, std::vector<std::string>{"start"});
  h.MouseMove(target, Point(20, 20));
  h.MouseMove(target, Point(25, 20));
  EXPECT_EQ(Screen->Cursor(), crDrag);
  h.MouseUp(target, Point(25, 20));
  const std::vector<std::string> expected = {
      "start",
      "over target enter 20,20",
      "over target move 20,20",
      "over target move 25,20",
      "over target leave 25,20",
      "drop target from source 25,20",
      "end target 25,20",
  };
  EXPECT_EQ(log, expected);
  EXPECT_FALSE(source->Dragging());
  EXPECT_EQ(Screen->Cursor(), crDefault);
  // The press became a drag, not a click.
  int clicks = 0;
  source->OnClick = [&](TObject*) { ++clicks; };
  EXPECT_EQ(clicks, 0);
}

TEST_F(DragDropTest, ARefusedDropEndsWithTheEndEventAndNoDrop) {
  // The label refuses; it is a graphic control, found through its parent.
  source->SetDragMode(dmAutomatic);
  bool pressed = false;
  source->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) { pressed = true; };
  h.MouseDown(source, Point(50, 50));
  EXPECT_FALSE(pressed);  // an automatic drag takes the press
  h.MouseMove(target, Point(70, 70));
  EXPECT_EQ(Screen->Cursor(), crNoDrop);
  h.MouseUp(target, Point(70, 70));
  const std::vector<std::string> expected = {
      "start",
      "over label enter 10,10 refused",
      "over label move 10,10 refused",
      "over label leave 10,10 refused",
      "end none 0,0",
  };
  EXPECT_EQ(log, expected);
}

TEST_F(DragDropTest, EscapeOrCodeCancelsAndNothingIsDropped) {
  struct Case {
    const char* how;
    std::function<void()> cancel;
  };
  const Case cases[] = {
      {"escape", [this] { h.Key(target, VK_ESCAPE); }},
      {"EndDrag(false)", [this] { source->EndDrag(false); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.how);
    log.clear();
    source->SetDragMode(dmManual);
    h.MouseMove(source, Point(5, 5));
    source->BeginDrag(true);
    h.MouseMove(target, Point(30, 30));
    c.cancel();
    const std::vector<std::string> expected = {
        "start",
        "over target enter 30,30",
        "over target move 30,30",
        "over target leave 30,30",
        "end none 0,0",
    };
    EXPECT_EQ(log, expected);
    EXPECT_FALSE(source->Dragging());
  }
  // EndDrag(true) drops where the mouse is, as a release would.
  log.clear();
  source->BeginDrag(true);
  h.MouseMove(target, Point(40, 30));
  source->EndDrag(true);
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log.back(), "end target 40,30");
}

TEST_F(DragDropTest, ClientPointsOfAFramedWindowStartInsideItsFrame) {
  // The form's bounds are its frame's; a control's client point and the
  // screen point the mouse reports must still agree.
  QWidget* w = target->Widget();
  const QPoint g = w->mapToGlobal(QPoint(7, 9));
  EXPECT_EQ(target->ScreenToClient(Point(g.x(), g.y())), Point(7, 9));
  EXPECT_EQ(target->ClientToScreen(Point(7, 9)), Point(g.x(), g.y()));
}

TEST_F(DragDropTest, FreeingTheTargetOrTheSourceMidwayEndsCleanly) {
  source->BeginDrag(true);
  h.MouseMove(target, Point(30, 30));
  Free(target);
  target = nullptr;
  label = nullptr;
  h.MouseMove(form, Point(200, 50));
  h.MouseUp(form, Point(200, 50));
  EXPECT_EQ(log.back(), "end none 0,0");
  EXPECT_FALSE(source->Dragging());

  source->BeginDrag(true);
  Free(source);
  source = nullptr;
  EXPECT_EQ(CurrentDragObject(), nullptr);
  h.MouseMove(form, Point(220, 50));
}

}  // namespace
