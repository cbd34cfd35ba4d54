#include "grid/editor_support/size_grip.h"

#include <algorithm>

#include "platform/ui/themes.h"

namespace grid {

using namespace ui;

TSizeGripEx::TSizeGripEx(TComponent* AOwner) : TCustomControl(AOwner) {
  SetControlStyle(ControlStyle() + csReplicatable + csCaptureMouse);
  const TEditorSystemMetrics& m = EditorSystemMetrics();
  SetBounds(0, 0, m.VScrollWidth, m.HScrollHeight);
  SetColor(clBtnFace);
  SetTabStop(false);
  UpdateWindowRegion();
}

void TSizeGripEx::SetPosition(TSizeGripPostion Value) {
  if (Value == position_) return;
  position_ = Value;
  UpdateWindowRegion();
  Invalidate();
}

void TSizeGripEx::SetTriangleWindow(bool Value) {
  if (Value == triangleWindow_) return;
  triangleWindow_ = Value;
  UpdateWindowRegion();
  Invalidate();
}

void TSizeGripEx::SetGripVisible(bool Value) { SetVisible(Value); }

bool TSizeGripEx::InShape(TPoint P) const {
  const int W = Width(), H = Height();
  if (P.X < 0 || P.Y < 0 || P.X >= W || P.Y >= H) return false;
  if (!triangleWindow_) return true;
  // The same triangles as the window region: the half toward the grip's corner.
  switch (position_) {
    case sgpBottomRight: return P.X * H + P.Y * W >= W * H - std::max(W, H) / 2;
    case sgpBottomLeft: return (W - 1 - P.X) * H + P.Y * W >= W * H - std::max(W, H) / 2;
    case sgpTopLeft: return P.X * H + P.Y * W <= (W - 1) * H - std::max(W, H) / 2 + std::max(W, H);
    case sgpTopRight: return (W - 1 - P.X) * H + P.Y * W <= (W - 1) * H - std::max(W, H) / 2 + std::max(W, H);
  }
  return true;
}

void TSizeGripEx::UpdateWindowRegion() {
  UpdatePosition();
  SetCursor(position_ == sgpTopLeft || position_ == sgpBottomRight ? crSizeNWSE : crSizeNESW);
}

void TSizeGripEx::UpdatePosition() {
  TWinControl* p = Parent();
  if (!p) return;
  const int cw = p->ClientWidth(), ch = p->ClientHeight();
  int x = 0, y = 0;
  switch (position_) {
    case sgpTopLeft: break;
    case sgpTopRight: x = cw - Width(); break;
    case sgpBottomRight: x = cw - Width(); y = ch - Height(); break;
    case sgpBottomLeft: y = ch - Height(); break;
  }
  if (x == Left() && y == Top()) return;
  internalMove_ = true;
  SetBounds(x, y, Width(), Height());
  internalMove_ = false;
}

void TSizeGripEx::ChangePosition(TSizeGripChangePosition Where) {
  TSizeGripPostion p = position_;
  switch (Where) {
    case sgcpToLeft:
      if (p == sgpTopRight) p = sgpTopLeft;
      else if (p == sgpBottomRight) p = sgpBottomLeft;
      break;
    case sgcpToRight:
      if (p == sgpTopLeft) p = sgpTopRight;
      else if (p == sgpBottomLeft) p = sgpBottomRight;
      break;
    case sgcpToTop:
      if (p == sgpBottomRight) p = sgpTopRight;
      else if (p == sgpBottomLeft) p = sgpTopLeft;
      break;
    case sgcpToBottom:
      if (p == sgpTopRight) p = sgpBottomRight;
      else if (p == sgpTopLeft) p = sgpBottomLeft;
      break;
  }
  SetPosition(p);
}

void TSizeGripEx::BoundsChanged(const TRect& OldBounds) {
  TCustomControl::BoundsChanged(OldBounds);
  // Someone else moved the grip (its parent was resized): back to the corner.
  if (!internalMove_) UpdatePosition();
}

void TSizeGripEx::Paint() {
  TCanvas* c = Canvas();
  const int W = Width(), H = Height();
  if (triangleWindow_) {
    // Outside the triangle the drop-down shows through.
    if (!PaintParentBackground(this, c)) {
      c->Brush()->SetColor(Parent() ? Parent()->Color() : clWindow);
      c->FillRect(Rect(0, 0, W, H));
    }
  } else {
    c->Brush()->SetColor(Color());
    c->FillRect(Rect(0, 0, W, H));
  }
  if (triangleWindow_) {
    std::vector<TPoint> tri;
    switch (position_) {
      case sgpBottomRight: tri = {Point(0, H), Point(W, H), Point(W, 0)}; break;
      case sgpBottomLeft: tri = {Point(W, H), Point(0, H), Point(0, 0)}; break;
      case sgpTopLeft: tri = {Point(W - 1, 0), Point(0, 0), Point(0, H - 1)}; break;
      case sgpTopRight: tri = {Point(W, H - 1), Point(W, 0), Point(1, 0)}; break;
    }
    c->Brush()->SetColor(Color());
    c->Pen()->SetColor(Color());
    c->Polygon(tri);
  }
  static const TColor group[4] = {clBtnHighlight, clBtnShadow, clBtnShadow, clBtnFace};
  for (int g = 0; g == 0 || 1 + 4 * g < W; ++g)
    for (int j = 0; j < 4; ++j) {
      int k = 4 * g + j + 1;
      if (k >= W) break;
      c->Pen()->SetColor(group[j]);
      // Bottom-right: from (k, W) to (W, k); the other corners mirror it.
      auto mirror = [&](TPoint pt) {
        if (position_ == sgpBottomLeft || position_ == sgpTopLeft) pt.X = W - pt.X;
        if (position_ == sgpTopLeft || position_ == sgpTopRight) pt.Y = W - pt.Y;
        return pt;
      };
      TPoint a = mirror(Point(k, W)), b = mirror(Point(W, k));
      c->MoveTo(a.X, a.Y);
      c->LineTo(b.X, b.Y);
    }
}

void TSizeGripEx::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TCustomControl::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft || !InShape(Point(X, Y))) return;
  dragging_ = true;
  initScreenMousePos_ = ClientToScreen(Point(X, Y));
  oldMouseMovePos_ = initScreenMousePos_;
  if (TWinControl* p = Parent()) parentRect_ = Rect(p->ClientWidth(), p->ClientHeight(), p->Width(), p->Height());
}

void TSizeGripEx::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  dragging_ = false;
  TCustomControl::MouseUp(Button, Shift, X, Y);
}

void TSizeGripEx::MouseMove(TShiftState Shift, int X, int Y) {
  TCustomControl::MouseMove(Shift, X, Y);
  TWinControl* p = Parent();
  if (!p || !dragging_ || internalMove_) return;  // dragging_: the left button went down here and is held
  const TPoint mouse = ClientToScreen(Point(X, Y));
  if (mouse == oldMouseMovePos_) return;
  const TPoint origin = p->ClientOrigin();
  const TRect work = WorkAreaNear(Bounds(origin.X, origin.Y, p->Width(), p->Height()));
  const int oldCW = p->ClientWidth(), oldCH = p->ClientHeight();
  int left = p->Left(), top = p->Top(), width = p->Width(), height = p->Height();
  const int dx = mouse.X - initScreenMousePos_.X, dy = mouse.Y - initScreenMousePos_.Y;
  // parentRect_: Left = client width, Top = client height, Right = width, Bottom = height.
  const int recCW = parentRect_.Left, recCH = parentRect_.Top, recW = parentRect_.Right, recH = parentRect_.Bottom;
  const int outerW = recW - recCW, outerH = recH - recCH;
  if (position_ == sgpTopRight || position_ == sgpBottomRight) {
    int cw = recCW + dx;
    int excess = origin.X + cw + outerW - work.Right;
    if (excess > 0) cw -= excess;
    width = std::max(0, cw) + outerW;
  } else {
    const int right = left + width;
    int w = recW - dx;
    if (right - w < work.Left) w = right - work.Left;
    width = std::max(0, w);
    left = right - width;
  }
  if (position_ == sgpTopLeft || position_ == sgpTopRight) {
    const int bottom = top + height;
    int h = recH - dy;
    if (bottom - h < work.Top) h = bottom - work.Top;
    height = std::max(0, h);
    top = bottom - height;
  } else {
    int ch = recCH + dy;
    int excess = origin.Y + ch + outerH - work.Bottom;
    if (excess > 0) ch -= excess;
    height = std::max(0, ch) + outerH;
  }
  p->SetBounds(left, top, width, height);
  // A parent that keeps whole rows may take less height than asked; a grip
  // at the top then keeps the bottom edge where it was.
  if ((position_ == sgpTopLeft || position_ == sgpTopRight) && p->Top() + p->Height() != top + height)
    p->SetBounds(p->Left(), top + height - p->Height(), p->Width(), p->Height());
  oldMouseMovePos_ = mouse;
  if (p->ClientWidth() != oldCW || p->ClientHeight() != oldCH) NotifyParentResized();
  UpdatePosition();
}

void TSizeGripEx::NotifyParentResized() {
  if (OnParentResized) OnParentResized(this);
}

}  // namespace grid
