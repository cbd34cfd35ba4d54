// Dragging one control onto another inside the program: the drag object
// that travels with the mouse, the mouse's drag settings, and the record a
// target receives as CM_DRAG. The calls a control makes and answers are
// members of TControl (BeginDrag, DragOver, DragDrop...).
//
// While a drag runs the mouse and Esc belong to it: moves find the control
// under the mouse and ask it (OnDragOver: enter, move, leave), the cursor
// shows whether it accepts, a release drops (the target is asked once more,
// as it is left, and takes the drop when it still accepts), Esc or a right
// press cancels. Either way the source hears OnEndDrag last, with the
// target or, when nothing took the drop, with none.
#pragma once

#include "platform/ui/controls.h"

namespace ui {

// WParam of CM_DRAG.
enum TDragMessage { dmDragEnter, dmDragLeave, dmDragMove, dmDragDrop, dmDragCancel, dmFindTarget };

class TDragObject : public TObject {
 public:
  TDragObject() = default;
  // Screen position of the mouse, the target under it (or none) and the
  // position in the target's client coordinates.
  TPoint DragPos() const { return dragPos_; }
  TControl* DragTarget() const { return dragTarget_; }
  TPoint DragTargetPos() const { return dragTargetPos_; }
  // Set once a drop was asked for (rather than a cancel).
  bool Dropped() const { return dropped_; }
  // The cursor for the place the mouse is over.
  virtual TCursor GetDragCursor(bool Accepted, int X, int Y);
  // The drag is over; Accepted: the target took the drop.
  virtual void Finished(TObject* Target, int X, int Y, bool Accepted);
  // What the target is told the source is: the object itself.
  virtual TObject* Source() { return this; }

 private:
  friend class DragSession;
  TPoint dragPos_{};
  TControl* dragTarget_ = nullptr;
  TPoint dragTargetPos_{};
  bool dropped_ = false;
};

// A drag whose source is a control: targets are told the control, and the
// control hears OnEndDrag.
class TDragControlObject : public TDragObject {
 public:
  explicit TDragControlObject(TControl* AControl) : control_(AControl) {}
  TControl* Control() const { return control_; }
  TCursor GetDragCursor(bool Accepted, int X, int Y) override;
  void Finished(TObject* Target, int X, int Y, bool Accepted) override;
  TObject* Source() override { return control_; }

 private:
  friend class DragSession;
  TControl* control_;
};

// LParam of CM_DRAG.
struct TDragRec {
  TPoint Pos{};  // screen
  TDragObject* Source = nullptr;
  TControl* Target = nullptr;
};

// The mouse's drag settings (the platform's defaults).
struct TMouse {
  // Pixels the mouse moves on either axis before a drag that is not
  // immediate starts.
  int DragThreshold = 5;
  // Automatic drags start at the press.
  bool DragImmediate = true;
};
extern TMouse Mouse;

// The drag object of the drag under way, or null.
TDragObject* CurrentDragObject();

}  // namespace ui
