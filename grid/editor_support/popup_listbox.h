// The list that drops down under a combo editor, a pick-list column or a
// filter menu of the grid: a top-level window that never takes the focus
// (its editor keeps it and forwards keys), sized in whole rows, following
// the mouse, searching as the user types, with a size grip in one corner,
// optional images, external items and item objects that paint themselves.
#pragma once

#include <functional>

#include "platform/ui/list_box.h"
#include "grid/editor_support/size_grip.h"
#include "platform/ui/ui.h"

namespace grid {

class TPopupListboxEx;

using TListGetImageIndexEventEx = std::function<void(ui::TObject* Sender, int ItemIndex, int& ImageIndex)>;

// The behaviour of one item, kept in Items.Objects (not owned by the list).
class TPopupListboxItemEx : public ui::TObject {
 public:
  virtual bool CanFocusItem(TPopupListboxEx* Sender, int ItemIndex);
  virtual void PaintItem(TPopupListboxEx* Sender, int ItemIndex, const ui::TRect& Rect, ui::TOwnerDrawState State);
  virtual void HandleMouseDown(TPopupListboxEx* Sender, int ItemIndex, ui::TMouseButton Button,
                               ui::TShiftState Shift, ui::TPoint MousePos);
  virtual void HandleMouseMove(TPopupListboxEx* Sender, int ItemIndex, ui::TShiftState Shift, ui::TPoint MousePos);
  virtual void HandleMouseUp(TPopupListboxEx* Sender, int ItemIndex, bool& IsCloseListbox, ui::TMouseButton Button,
                             ui::TShiftState Shift, ui::TPoint MousePos);
  virtual void HandleKeyPress(TPopupListboxEx* Sender, int ItemIndex, bool& IsCloseListbox, ui::TShiftState Shift,
                              char16_t& Key);
  virtual bool CloseOnExecute(TPopupListboxEx* Sender, int ItemIndex);
  virtual void Execute(TPopupListboxEx* Sender, int ItemIndex, ui::TPoint MousePos, ui::TShiftState Shift);
};

class TPopupListboxEx : public ui::TCustomListBox {
 public:
  explicit TPopupListboxEx(ui::TComponent* AOwner);
  ~TPopupListboxEx() override;

  int BorderWidth() const { return borderWidth_; }
  bool Ctl3D() const { return ctl3D_; }
  void SetCtl3D(bool Value);
  ui::TImageList* ImageList() const { return imageList_; }
  void SetImageList(ui::TImageList* Value);
  bool IsMouseUpCloseListbox() const { return isMouseUpCloseListbox_; }
  int RowCount() const { return rowCount_; }
  void SetRowCount(int Value);
  ui::TStrings* ExtItems() const { return extItems_; }
  void SetExtItems(ui::TStrings* Value);
  TSizeGripEx* SizeGrip() const { return sizeGrip_; }
  bool SizeGripResized() const { return sizeGripResized_; }
  void SetSizeGripResized(bool Value) { sizeGripResized_ = Value; }
  bool UseItemObjects() const { return useItemObjects_; }
  void SetUseItemObjects(bool Value) { useItemObjects_ = Value; }
  const ui::String& SearchText() const { return searchText_; }

  bool CanFocus() const override { return false; }
  int GetTextHeight() const;
  // Height the window adds around its rows (border and frame).
  int BorderHeight() const;
  void InvalidateIndex(int Index);
  void DefaultDrawItem(int Index, const ui::TRect& Rect, ui::TOwnerDrawState State) override;
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  void Dispatch(ui::TMessage& Message) override;
  // The item object of a valid index while UseItemObjects is on, else null.
  TPopupListboxItemEx* ItemObjectAt(int Index);

  TListGetImageIndexEventEx OnGetImageIndex;

 protected:
  QWidget* CreateWidget(QWidget* Parent) override;
  void InitWidget() override;
  void Paint() override;
  void DrawItem(int Index, const ui::TRect& Rect, ui::TOwnerDrawState State) override;
  void MouseDown(ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y) override;
  void MouseMove(ui::TShiftState Shift, int X, int Y) override;
  void MouseUp(ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y) override;
  bool DoMouseWheel(ui::TShiftState Shift, int WheelDelta, ui::TPoint MousePos) override;
  void DoKeyPress(char16_t& Key) override;
  void SizeChanged(int OldWidth, int OldHeight) override;
  void ItemsChanged() override;

 private:
  int RowHeightOrText() const;
  // The window's frame on each side: the line without the 3D look, and BorderWidth.
  int FrameWidth() const;
  // Paints the frame on the window's canvas.
  void PaintBorder();

  int borderWidth_ = 0;
  bool ctl3D_ = true;
  ui::TImageList* imageList_ = nullptr;
  ui::TPoint mousePos_{-1, -1};
  int rowCount_ = 1;
  ui::String searchText_;
  std::uint32_t searchTickCount_ = 0;
  TSizeGripEx* sizeGrip_ = nullptr;
  bool sizeGripResized_ = false;
  ui::TStrings* extItems_ = nullptr;
  int mouseIndex_ = -1;
  bool useItemObjects_ = false;
  bool isMouseUpCloseListbox_ = false;
  bool buttonHeld_ = false;
};

}  // namespace grid
