// The grip in a corner of a drop-down window that resizes the drop-down
// while dragged, and moves to another corner when the drop-down opens above
// its editor or is pushed in from a screen edge.
#pragma once

#include "grid/editor_support/tool_routines.h"
#include "platform/ui/ui.h"

namespace grid {

enum TSizeGripPostion { sgpTopLeft, sgpTopRight, sgpBottomRight, sgpBottomLeft };

class TSizeGripEx : public ui::TCustomControl {
 public:
  explicit TSizeGripEx(ui::TComponent* AOwner);

  TSizeGripPostion Position() const { return position_; }
  void SetPosition(TSizeGripPostion Value);
  bool TriangleWindow() const { return triangleWindow_; }
  void SetTriangleWindow(bool Value);
  // Shows or hides the grip without touching Visible of the toolkit.
  bool GripVisible() const { return Showing(); }
  void SetGripVisible(bool Value);
  void UpdatePosition();
  void ChangePosition(TSizeGripChangePosition Where);
  void UpdateWindowRegion();
  // Whether a client point lies on the grip's shape.
  bool InShape(ui::TPoint P) const;

  ui::TNotifyEvent OnParentResized;

 protected:
  void Paint() override;
  void MouseDown(ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y) override;
  void MouseMove(ui::TShiftState Shift, int X, int Y) override;
  void MouseUp(ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y) override;
  void BoundsChanged(const ui::TRect& OldBounds) override;
  void NotifyParentResized();

 private:
  ui::TPoint initScreenMousePos_;
  bool internalMove_ = false;
  ui::TPoint oldMouseMovePos_{-1, -1};
  ui::TRect parentRect_;  // client width, client height, width, height at the press
  TSizeGripPostion position_ = sgpBottomRight;
  bool triangleWindow_ = true;
  bool dragging_ = false;
};

}  // namespace grid
