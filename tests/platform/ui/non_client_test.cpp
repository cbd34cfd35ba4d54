// A control's own frame: a control that narrows its client rectangle on
// WM_NCCALCSIZE has its client area inside the window and paints the band
// around it on WM_NCPAINT; one that does not is left as it was.
#include <gtest/gtest.h>

#include <QImage>
#include <QPixmap>
#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

#include "platform/ui/qt_bridge.h"
#include "platform/ui/ui.h"
#include "tests/platform/ui/harness.h"

using namespace ui;

namespace {

// Answers WM_NCCALCSIZE with a client rectangle Inset pixels in on every
// side (when Inset is not 0), paints the band red on WM_NCPAINT and its
// client blue, overreaching on every side so that the clip shows.
class TFramed : public TCustomControl {
 public:
  using TCustomControl::TCustomControl;
  int Inset = 2;
  int Calcs = 0, NcPaints = 0;
  std::vector<TPoint> Downs;

  void Dispatch(TMessage& M) override {
    TCustomControl::Dispatch(M);
    if (M.Msg == WM_NCCALCSIZE) {
      ++Calcs;
      reinterpret_cast<TRect*>(M.LParam)->Inflate(-Inset, -Inset);
    } else if (M.Msg == WM_NCPAINT) {
      ++NcPaints;
      TWindowCanvas dc(this);
      EXPECT_TRUE(dc.Drawing());
      dc.Brush()->SetColor(clRed);
      dc.FillRect(Rect(0, 0, Width(), Height()));
    }
  }

 protected:
  void Paint() override {
    Canvas()->Brush()->SetColor(clBlue);
    Canvas()->FillRect(Rect(-10, -10, Width() + 10, Height() + 10));
  }
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override {
    Downs.push_back({X, Y});
    TCustomControl::MouseDown(Button, Shift, X, Y);
  }
};

// A left button press or release at a point of the control's window.
void Mouse(TWinControl* c, QEvent::Type Type, QPoint At) {
  QWidget* w = c->Widget();
  QMouseEvent e(Type, QPointF(At), w->mapToGlobal(QPointF(At)), Qt::LeftButton,
                Type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(w, &e);
}
void Click(TWinControl* c, QPoint At) {
  Mouse(c, QEvent::MouseButtonPress, At);
  Mouse(c, QEvent::MouseButtonRelease, At);
}

// Colour of a pixel of the control's window (window coordinates).
TColor WindowPixel(TWinControl* c, int X, int Y) {
  return qt::FromQColor(c->Widget()->grab().toImage().pixelColor(X, Y));
}

struct NonClient : ::testing::Test {
  uitest::Harness h;
  TForm* form = nullptr;
  TFramed* framed = nullptr;
  int formDowns = 0;

  void SetUp() override {
    form = h.MakeForm<TForm>();
    form->SetBounds(0, 0, 200, 150);
    form->SetColor(clWhite);
    form->OnMouseDown = [this](TObject*, TMouseButton, TShiftState, int, int) { ++formDowns; };
    framed = new TFramed(form);
    framed->SetBounds(10, 20, 40, 30);
    framed->SetParent(form);
    h.Show(form);
  }
};

TEST_F(NonClient, TheClientAreaLiesInsideTheFrame) {
  EXPECT_GE(framed->Calcs, 1);
  EXPECT_EQ(framed->NonClientMargins(), (TPadding{2, 2, 2, 2}));
  EXPECT_EQ(framed->ClientRect(), Rect(0, 0, 36, 26));
  EXPECT_EQ(framed->ClientWidth(), 36);
  EXPECT_EQ(framed->ClientHeight(), 26);
  EXPECT_EQ(framed->ClientToScreen({0, 0}), form->ClientToScreen({12, 22}));
  // Setting the client size counts the frame in.
  framed->SetClientWidth(30);
  EXPECT_EQ(framed->Width(), 34);
  // A size change asks again and keeps the frame.
  framed->SetBounds(10, 20, 50, 40);
  EXPECT_EQ(framed->ClientRect(), Rect(0, 0, 46, 36));

  // Children are placed in client coordinates.
  auto* child = new TPanel(framed);
  child->SetBounds(0, 0, 10, 10);
  child->SetParent(framed);
  EXPECT_EQ(child->Widget()->pos(), QPoint(2, 2));
  EXPECT_EQ(child->ClientToScreen({0, 0}), framed->ClientToScreen({0, 0}));
  auto* aligned = new TPanel(framed);
  aligned->SetAlign(alClient);
  aligned->SetParent(framed);
  EXPECT_EQ(aligned->BoundsRect(), framed->ClientRect());
}

TEST_F(NonClient, TheFrameIsPaintedOnNcPaintAndTheClientInsideIt) {
  EXPECT_GE(framed->NcPaints, 1);
  struct Case {
    int x, y;
    TColor colour;
  } cases[] = {
      {0, 0, clRed},   {1, 1, clRed},   {2, 2, clBlue}, {37, 27, clBlue},
      {38, 28, clRed}, {39, 29, clRed}, {20, 1, clRed}, {1, 15, clRed},
  };
  const QImage img = framed->Widget()->grab().toImage();
  for (const Case& c : cases)
    EXPECT_EQ(qt::FromQColor(img.pixelColor(c.x, c.y)), c.colour) << c.x << "," << c.y;
  // Client coordinates: the harness's probe starts inside the frame.
  EXPECT_EQ(h.PixelAt(framed, 0, 0), clBlue);
  // The window's device context draws nothing outside a paint.
  TWindowCanvas idle(framed);
  EXPECT_FALSE(idle.Drawing());
}

// A scroll box's viewport is its client: with a frame of its own it sits
// inside that frame, its children with it, and the band is painted by the
// box instead of the toolkit's border.
class TFramedBox : public TScrollBox {
 public:
  using TScrollBox::TScrollBox;
  int Inset = 3;
  void Dispatch(TMessage& M) override {
    TScrollBox::Dispatch(M);
    if (M.Msg == WM_NCCALCSIZE) {
      reinterpret_cast<TRect*>(M.LParam)->Inflate(-Inset, -Inset);
    } else if (M.Msg == WM_NCPAINT) {
      TWindowCanvas dc(this);
      dc.Brush()->SetColor(clRed);
      dc.FillRect(Rect(0, 0, Width(), Height()));
    }
  }
};

TEST_F(NonClient, AScrollBoxKeepsItsViewportAndChildrenInsideItsFrame) {
  auto* box = new TFramedBox(form);
  box->SetBounds(60, 20, 80, 60);
  box->SetColor(clBlue);
  box->SetParent(form);
  auto* child = new TPanel(box);
  child->SetBounds(0, 0, 10, 10);
  child->SetParent(box);
  h.ProcessEvents();
  EXPECT_EQ(box->NonClientMargins(), (TPadding{3, 3, 3, 3}));
  EXPECT_EQ(box->ClientRect(), Rect(0, 0, 74, 54));
  EXPECT_EQ(child->ClientToScreen({0, 0}), form->ClientToScreen({63, 23}));
  for (const TPoint p : {TPoint{0, 30}, TPoint{2, 30}, TPoint{40, 0}, TPoint{79, 30}, TPoint{40, 59}})
    EXPECT_EQ(WindowPixel(box, p.X, p.Y), clRed) << p.X << "," << p.Y;
  EXPECT_EQ(WindowPixel(box, 40, 30), clBlue);
  // A frame given up gives the border back to the toolkit.
  box->Inset = 0;
  box->SetBorderStyle(bsNone);
  h.ProcessEvents();
  EXPECT_EQ(box->NonClientMargins(), TPadding{});
  EXPECT_EQ(box->ClientRect(), Rect(0, 0, 80, 60));
}

TEST_F(NonClient, MouseCoordinatesAreClientCoordinates) {
  Click(framed, QPoint(2, 2));
  ASSERT_EQ(framed->Downs.size(), 1u);
  EXPECT_EQ(framed->Downs[0], (TPoint{0, 0}));
  // A press on the frame is neither the control's nor its parent's.
  Click(framed, QPoint(1, 1));
  EXPECT_EQ(framed->Downs.size(), 1u);
  EXPECT_EQ(formDowns, 0);
}

TEST_F(NonClient, FrameChangedAsksAgain) {
  auto* child = new TPanel(framed);
  child->SetBounds(0, 0, 10, 10);
  child->SetParent(framed);
  framed->Inset = 4;
  const int calcs = framed->Calcs;
  // A move alone keeps the frame it has.
  framed->SetWindowPos(12, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  EXPECT_EQ(framed->Calcs, calcs);
  EXPECT_EQ(framed->ClientRect(), Rect(0, 0, 36, 26));
  int resizes = 0;
  framed->OnResize = [&](TObject*) { ++resizes; };
  framed->SetWindowPos(0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
  EXPECT_EQ(framed->Calcs, calcs + 1);
  EXPECT_EQ(framed->Left(), 12);
  EXPECT_EQ(framed->ClientRect(), Rect(0, 0, 32, 22));
  EXPECT_EQ(resizes, 1);
  EXPECT_EQ(child->Widget()->pos(), QPoint(4, 4));
  h.ProcessEvents();
  EXPECT_EQ(WindowPixel(framed, 3, 20), clRed);
  EXPECT_EQ(WindowPixel(framed, 4, 20), clBlue);
  // A new window asks again: no frame, then the frame back.
  framed->Inset = 0;
  framed->RecreateWnd();
  EXPECT_EQ(framed->ClientRect(), Rect(0, 0, 40, 30));
  framed->Inset = 3;
  framed->RecreateWnd();
  EXPECT_EQ(framed->ClientRect(), Rect(0, 0, 34, 24));
}

TEST_F(NonClient, RedrawWithFrameRepaintsTheFrame) {
  h.ProcessEvents();
  int before = framed->NcPaints;
  // A part of the client alone does not touch the frame.
  framed->RedrawWindow(nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  h.ProcessEvents();
  EXPECT_EQ(framed->NcPaints, before);
  framed->RedrawWindow(nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW);
  h.ProcessEvents();
  EXPECT_GT(framed->NcPaints, before);
}

TEST_F(NonClient, ScrollBarsAndScrollingStayInsideTheFrame) {
  TScrollInfo si;
  si.fMask = SIF_RANGE | SIF_PAGE;
  si.nMin = 0;
  si.nMax = 99;
  si.nPage = 10;
  framed->SetScrollInfo(SB_VERT, si);
  const TRect client = framed->ClientRect();
  EXPECT_LT(client.Right, 36);
  QWidget* bar = nullptr;
  for (QWidget* w : framed->Widget()->findChildren<QWidget*>())
    if (w->isVisible()) bar = w;
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(bar->geometry(), QRect(2 + client.Right, 2, 36 - client.Right, 26));
  si.nMax = 0;
  framed->SetScrollInfo(SB_VERT, si);

  // Scrolling moves (or repaints) the client only: the frame stays.
  h.ProcessEvents();
  const int before = framed->NcPaints;
  framed->ScrollWindowEx(0, 5, nullptr, nullptr, 0);
  framed->Update();
  h.ProcessEvents();
  EXPECT_EQ(framed->NcPaints, before);
  EXPECT_EQ(WindowPixel(framed, 5, 1), clRed);
  EXPECT_EQ(WindowPixel(framed, 5, 2), clBlue);
}

TEST(NonClientUnanswered, AControlThatKeepsItsRectangleHasNoFrame) {
  uitest::Harness h;
  auto* form = h.MakeForm<TForm>();
  form->SetBounds(0, 0, 200, 150);
  auto* plain = new TFramed(form);
  plain->Inset = 0;
  plain->SetBounds(10, 20, 40, 30);
  plain->SetParent(form);
  auto* child = new TPanel(plain);
  child->SetBounds(0, 0, 10, 10);
  child->SetParent(plain);
  h.Show(form);
  EXPECT_GE(plain->Calcs, 1);
  EXPECT_EQ(plain->NcPaints, 0);
  EXPECT_EQ(plain->ClientRect(), Rect(0, 0, 40, 30));
  EXPECT_EQ(child->Widget()->pos(), QPoint(0, 0));
  EXPECT_EQ(WindowPixel(plain, 0, 20), clBlue);
  Click(plain, QPoint(0, 0));
  ASSERT_EQ(plain->Downs.size(), 1u);
  EXPECT_EQ(plain->Downs[0], (TPoint{0, 0}));
}

}  // namespace
