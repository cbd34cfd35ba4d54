// The lines of a column's filter drop-down: sort commands, a separator,
// special commands (clear, all, empty, not empty, the custom dialog, apply)
// and data values with a check box. Each kind is one shared object attached
// to the list's items; it paints its line and decides what a click does.
#pragma once

#include "grid/core/db_grid_ex_types.h"
#include "grid/editor_support/popup_listbox.h"

namespace grid {

class TColumnEx;
class TCustomDBGridEx;
class TSTColumnFilterEx;

class TDBGridFilterPopupListboxItemEx : public TPopupListboxItemEx {
 public:
  bool CanFocusItem(TPopupListboxEx* Sender, int ItemIndex) override;

 protected:
  // The grid's in-title list column when a grid owns the list, else the filter editor's column.
  static TColumnEx* FilterPopupColumn(TPopupListboxEx* Sender);
  static TCustomDBGridEx* FilterPopupGrid(TPopupListboxEx* Sender);
  // The box at the item's leading edge where the check box or glyph goes.
  static ui::TRect LeadingBox(TPopupListboxEx* Sender, const ui::TRect& Rect, int Width);
  static void DrawTextAfterBox(TPopupListboxEx* Sender, int ItemIndex, const ui::TRect& Rect,
                               ui::TOwnerDrawState State, int BoxWidth);
};

class TPopupListboxItemExLine : public TDBGridFilterPopupListboxItemEx {
 public:
  void PaintItem(TPopupListboxEx* Sender, int ItemIndex, const ui::TRect& Rect,
                 ui::TOwnerDrawState State) override;
  bool CloseOnExecute(TPopupListboxEx* Sender, int ItemIndex) override;
};

class TPopupListboxItemExSort : public TDBGridFilterPopupListboxItemEx {
 public:
  explicit TPopupListboxItemExSort(TSortMarkerEx ASortState) : FSortState(ASortState) {}
  TSortMarkerEx SortState() const { return FSortState; }
  void PaintItem(TPopupListboxEx* Sender, int ItemIndex, const ui::TRect& Rect,
                 ui::TOwnerDrawState State) override;
  void Execute(TPopupListboxEx* Sender, int ItemIndex, ui::TPoint MousePos, ui::TShiftState Shift) override;

 private:
  TSortMarkerEx FSortState;
};

enum TPopupListboxItemExSpecType {
  ptFilterSpecItemClearFilter,
  ptFilterSpecItemAll,
  ptFilterSpecItemEmpties,
  ptFilterSpecItemNotEmties,
  ptFilterSpecItemDialog,
  ptFilterApply
};

class TPopupListboxItemExSpec : public TDBGridFilterPopupListboxItemEx {
 public:
  explicit TPopupListboxItemExSpec(TPopupListboxItemExSpecType AType) : FType(AType) {}
  TPopupListboxItemExSpecType SpecType() const { return FType; }
  void PaintItem(TPopupListboxEx* Sender, int ItemIndex, const ui::TRect& Rect,
                 ui::TOwnerDrawState State) override;
  void Execute(TPopupListboxEx* Sender, int ItemIndex, ui::TPoint MousePos, ui::TShiftState Shift) override;

 private:
  TPopupListboxItemExSpecType FType;
};

class TPopupListboxItemExData : public TDBGridFilterPopupListboxItemEx {
 public:
  void PaintItem(TPopupListboxEx* Sender, int ItemIndex, const ui::TRect& Rect,
                 ui::TOwnerDrawState State) override;
  void HandleMouseDown(TPopupListboxEx* Sender, int ItemIndex, ui::TMouseButton Button, ui::TShiftState Shift,
                       ui::TPoint MousePos) override;
  void HandleMouseMove(TPopupListboxEx* Sender, int ItemIndex, ui::TShiftState Shift,
                       ui::TPoint MousePos) override;
  void HandleMouseUp(TPopupListboxEx* Sender, int ItemIndex, bool& IsCloseListbox, ui::TMouseButton Button,
                     ui::TShiftState Shift, ui::TPoint MousePos) override;
  bool CloseOnExecute(TPopupListboxEx* Sender, int ItemIndex) override;
  void Execute(TPopupListboxEx* Sender, int ItemIndex, ui::TPoint MousePos, ui::TShiftState Shift) override;
};

// The shared objects of each kind, made on first use and kept for the run.
TPopupListboxItemExLine* PopupListboxItemLine();
TPopupListboxItemExSort* PopupListboxItemSort(TSortMarkerEx SortState);
TPopupListboxItemExSpec* PopupListboxItemSpec(TPopupListboxItemExSpecType Type);
TPopupListboxItemExData* PopupListboxItemData();
// The plain item lines without an object of their own get.
TPopupListboxItemEx* PopupListboxItemEmpty();

}  // namespace grid
