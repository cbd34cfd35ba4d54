// Floating feedback windows shown while columns are dragged: a plain box
// (the data grid shows it while a column travels by its title) and the move
// marker, a red line with arrowheads that shows where a moved column lands.
// One instance of each serves every grid.
#pragma once

#include "platform/ui/shape.h"
#include "platform/ui/tool_window.h"
#include "platform/ui/ui.h"

namespace grid {

class TGridDragWinEx : public ui::TToolWindow {
  JQ_UI_CLASSINFO
 public:
  explicit TGridDragWinEx(ui::TComponent* AOwner);
  ~TGridDragWinEx() override;

  // Moves the window to the control's client point (in screen terms), keeping its size.
  virtual void MoveToFor(ui::TControl* Control, ui::TPoint P);
  virtual void MoveToFor(ui::TControl* Control, ui::TPoint P, int AHeight, int AWidth);
  // Places the window and shows it on top, without activating it.
  virtual void StartShow(ui::TControl* Control, ui::TPoint P, int AHeight, int AWidth);
  virtual void StartShow(ui::TControl* Control, ui::TPoint P, int AHeight);
  bool Visible() const { return IsShown(); }
  // Showing goes through StartShow only.
  void Show() {}
  // Shrinks the window to nothing at the same place.
  void TemporaryHide();
};

class TGridDragBoxEx : public TGridDragWinEx {
  JQ_UI_CLASSINFO
 public:
  using TGridDragWinEx::TGridDragWinEx;
  ~TGridDragBoxEx() override;
};

class TGridMoveLineEx : public TGridDragWinEx {
  JQ_UI_CLASSINFO
 public:
  explicit TGridMoveLineEx(ui::TComponent* AOwner);
  ~TGridMoveLineEx() override;

  using TGridDragWinEx::StartShow;
  // Shows the marker with its arrowheads at P, Size pixels long.
  void StartShow(ui::TControl* Control, ui::TPoint P, int Size, bool Vertical);
  using TGridDragWinEx::MoveToFor;
  void MoveToFor(ui::TControl* Control, ui::TPoint P) override;
  bool IsVert() const { return FIsVert; }
  // The marker's parts by name ("sHigh7" ... "hRight7").
  ui::TShape* Part(const char* Name) const;

 protected:
  void UpdateOrientationData();

 private:
  bool FIsVert = true;
  ui::TShape* FParts[14] = {};
};

// The one move marker and the one drag box of the program, made on first use.
TGridMoveLineEx* SharedGridMoveLine();
TGridDragBoxEx* SharedGridDragBox();
// The move marker when it exists (nullptr otherwise), without making it.
TGridMoveLineEx* ExistingGridMoveLine();
// Module shut-down: frees the marker and the drag box while the application
// that owns them still exists; the next use makes them afresh.
void FreeSharedGridWindows();

}  // namespace grid
