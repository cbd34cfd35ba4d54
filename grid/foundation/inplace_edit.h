// The borderless edit box the grid places over its current cell while
// editor mode is on. It takes mask, text and maximum length from the grid,
// hands navigation keys back to it and refuses changes the grid forbids.
#pragma once

#include <cstdint>

#include "platform/ui/mask_edit.h"
#include "platform/ui/ui.h"

namespace grid {

class TCustomGridEx;

class TInplaceEdit : public ui::TCustomMaskEdit {
  JQ_UI_CLASSINFO
  friend class TCustomGridEx;

 public:
  explicit TInplaceEdit(ui::TComponent* AOwner);
  ~TInplaceEdit() override;

  TCustomGridEx* Grid() const { return FGrid; }
  // -1 means the cell is read-only (the edit itself then has no limit).
  int MaxLength() const { return FMaxLength; }
  void SetMaxLength(int Value);

  // Shows the editor over the rectangle (grid client coordinates), redrawn.
  void Move(const ui::TRect& R) { PlaceEditorWindow(R, true); }
  // The same without forcing a redraw.
  void UpdateLoc(const ui::TRect& R) { PlaceEditorWindow(R, false); }
  void Hide();
  bool PosEqual(const ui::TRect& R) const;
  bool Visible() const;
  void SetFocus() override;
  // No selection, caret at the end.
  void Deselect();
  void Invalidate() override;
  // Message time of the last button press on the grid.
  std::uint32_t ClickTime() const { return FClickTime; }

  void Dispatch(ui::TMessage& Message) override;
  void WndProc(ui::TMessage& Message) override;

 protected:
  virtual void PlaceEditorWindow(const ui::TRect& R, bool Redraw);
  virtual void ApplyTextMargins();
  virtual void LoadFromGrid();
  virtual bool CanModifyText();
  void DoKeyDown(std::uint16_t& Key, ui::TShiftState Shift) override;
  void DoKeyUp(std::uint16_t& Key, ui::TShiftState Shift) override;
  void DoKeyPress(char16_t& Key) override;
  void DblClick() override;
  bool DoMouseWheel(ui::TShiftState Shift, int WheelDelta, ui::TPoint MousePos) override;
  bool WidgetShouldBeVisible() const override;

  TCustomGridEx* FGrid = nullptr;
  std::uint32_t FClickTime = 0;

 private:
  void SendToGrid(std::uint16_t& Key, ui::TShiftState Shift);
  void GridKeyHandler(std::uint16_t& Key, ui::TShiftState Shift);
  int FMaxLength = 0;
  bool FShown = false;
};

}  // namespace grid
