// The lookup grid as a drop-down window: the list a lookup editor or a
// lookup column drops down under the edited value. It never takes the focus
// or activates (the editor keeps both and forwards keys), its choice follows
// the mouse, it carries a size grip, and it tells its owner when a mouse
// release should close it and whether to accept the choice.
#pragma once

#include <functional>

#include "grid/columns/lookup/db_lookup_grid_ex.h"
#include "grid/editor_support/size_grip.h"

namespace grid {

using TCloseUpEventEx = std::function<void(ui::TObject* Sender, bool Accept)>;

class TPopupDataGridEx : public TDBLookupGridEx {
  JQ_UI_CLASSINFO
 public:
  explicit TPopupDataGridEx(ui::TComponent* AOwner);
  ~TPopupDataGridEx() override;

  bool CanFocus() const override { return false; }
  bool Ctl3D() const { return FCtl3D; }
  void SetCtl3D(bool Value);
  bool ParentCtl3D() const { return FParentCtl3D; }
  void SetParentCtl3D(bool Value) { FParentCtl3D = Value; }
  // The raised edge of the window's frame (1 with the 3D look, else 0).
  int BorderWidth() const { return FBorderWidth; }
  TSizeGripEx* SizeGrip() const { return FSizeGrip; }
  bool SizeGripResized() const { return FSizeGripResized; }
  void SetSizeGripResized(bool Value) { FSizeGripResized = Value; }

  // The editor forwards its keys here.
  void KeyDown(std::uint16_t& Key, ui::TShiftState Shift);
  void KeyUp(std::uint16_t& Key, ui::TShiftState Shift);

  int BorderSize() override;
  void KeyValueChanged() override;
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  void Dispatch(ui::TMessage& Message) override;

  // After a choice of the user's keys or mouse, not after the owner set KeyValue.
  ui::TNotifyEvent OnUserKeyValueChange;
  TCloseUpEventEx OnMouseCloseUp;

 protected:
  QWidget* CreateWidget(QWidget* Parent) override;
  void SizeChanged(int OldWidth, int OldHeight) override;
  void PaintFlatBorder(ui::TCanvas* WindowCanvas) override;
  void MouseDown(ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y) override;
  void MouseMove(ui::TShiftState Shift, int X, int Y) override;
  void MouseUp(ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y) override;

 private:
  void ApplyBorderWidth();
  // The window's frame on each side: BorderWidth, or the line without the 3D look.
  int FrameWidth() const;
  TSizeGripEx* FSizeGrip = nullptr;
  bool FSizeGripResized = false;
  bool FUserKeyValueChanged = false;
  bool FKeySelection = false;
  bool FCtl3D = true;
  bool FParentCtl3D = false;
  int FBorderWidth = 1;
};

}  // namespace grid
