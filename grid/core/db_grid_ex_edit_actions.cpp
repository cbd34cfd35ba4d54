#include "grid/columns/grouping/db_grid_ex_indicator_title.h"
#include "grid/columns/selection/db_grid_ex_selection.h"
#include "grid/columns/transfer/db_grid_ex_imp_exp.h"
#include "grid/core/custom_db_grid_ex.h"
#include "grid/core/db_grid_ex_center.h"
#include "grid/core/grid_data_link_ex.h"
#include "platform/ui/application.h"
#include "platform/ui/clipboard.h"
#include "platform/ui/menus.h"
#include "platform/ui/std_actions.h"

namespace grid {

namespace {

TDBGridExSelectionType SelectionKindOf(TCustomDBGridEx* Grid) {
  return Grid->Selection() ? Grid->Selection()->SelectionType() : gstNon;
}

void SelectAllOf(TCustomDBGridEx* Grid) {
  if (Grid->Selection()) Grid->Selection()->SelectAll();
}

bool BufferHoldsRecords(TGridDataLinkEx* Link) { return Link->ActiveRecord() < Link->RecordCount(); }

enum class TEditCommand { Copy, Paste, Cut, SelectAll, Delete, None };

TEditCommand CommandOf(ui::TBasicAction* Action) {
  if (dynamic_cast<ui::TEditCopy*>(Action)) return TEditCommand::Copy;
  if (dynamic_cast<ui::TEditPaste*>(Action)) return TEditCommand::Paste;
  if (dynamic_cast<ui::TEditCut*>(Action)) return TEditCommand::Cut;
  if (dynamic_cast<ui::TEditSelectAll*>(Action)) return TEditCommand::SelectAll;
  if (dynamic_cast<ui::TEditDelete*>(Action)) return TEditCommand::Delete;
  return TEditCommand::None;
}

}  // namespace

bool TCustomDBGridEx::CheckCopyAction() { return FDataLink->Active(); }

bool TCustomDBGridEx::CheckCutAction() { return CheckCopyAction() && CheckDeleteAction(); }

bool TCustomDBGridEx::CheckPasteAction() {
  if (!FDataLink->Active() || ReadOnly()) return false;
  db::TDataSet* ds = FDataLink->DataSet();
  if (!ds || !ds->CanModify()) return false;
  ui::TClipboard* clipboard = ui::Clipboard();
  if (!clipboard->HasFormat(ClipboardFormatVCLDBIF()) && !clipboard->HasFormat(ui::CF_TEXT)) return false;
  return ds->State() == db::dsInsert || FAllowedOperations.Contains(alopUpdateEx);
}

bool TCustomDBGridEx::CheckSelectAllAction() {
  return FDataLink->Active() && BufferHoldsRecords(FDataLink.get()) && FAllowedSelections.Contains(gstAll);
}

bool TCustomDBGridEx::CheckDeleteAction() {
  if (!FDataLink->Active() || ReadOnly() || !BufferHoldsRecords(FDataLink.get())) return false;
  db::TDataSet* ds = FDataLink->DataSet();
  if (!ds || !ds->CanModify()) return false;
  switch (SelectionKindOf(this)) {
    case gstRecordBookmarks:
    case gstAll:
      return FAllowedOperations.Contains(alopDeleteEx);
    case gstRectangle:
    case gstColumns:
      return FAllowedOperations.Contains(alopUpdateEx);
    case gstNon:
      break;
  }
  return false;
}

bool TCustomDBGridEx::ExecuteAction(ui::TBasicAction* Action) {
  if (FDataLink && FDataLink->ExecuteAction(Action)) return true;
  if (!GridOrEditorFocused()) return false;
  switch (CommandOf(Action)) {
    case TEditCommand::Copy:
      if (!FEditActions.Contains(geaCopyEx) || !CheckCopyAction()) return false;
      CopyGridSelection(this, false);
      return true;
    case TEditCommand::Paste:
      if (!FEditActions.Contains(geaPasteEx) || !CheckPasteAction()) return false;
      PasteGridSelection(this, false);
      return true;
    case TEditCommand::Cut:
      if (!FEditActions.Contains(geaCutEx) || !CheckCutAction()) return false;
      CutGridSelection(this, false);
      return true;
    case TEditCommand::SelectAll:
      if (!FEditActions.Contains(geaSelectAllEx) || !CheckSelectAllAction()) return false;
      SelectAllOf(this);
      return true;
    case TEditCommand::Delete:
      if (!FEditActions.Contains(geaDeleteEx) || !CheckDeleteAction()) return false;
      DeleteGridSelection(this, false);
      return true;
    case TEditCommand::None:
      break;
  }
  return false;
}

bool TCustomDBGridEx::UpdateAction(ui::TBasicAction* Action) {
  if (FDataLink && FDataLink->UpdateAction(Action)) return true;
  if (!GridOrEditorFocused()) return false;
  auto* action = dynamic_cast<ui::TCustomAction*>(Action);
  if (!action) return false;
  bool enabled = false;
  switch (CommandOf(Action)) {
    case TEditCommand::Copy:
      if (!FEditActions.Contains(geaCopyEx)) return false;
      enabled = CheckCopyAction();
      break;
    case TEditCommand::Paste:
      if (!FEditActions.Contains(geaPasteEx)) return false;
      enabled = CheckPasteAction();
      break;
    case TEditCommand::Cut:
      if (!FEditActions.Contains(geaCutEx)) return false;
      enabled = CheckCutAction();
      break;
    case TEditCommand::SelectAll:
      if (!FEditActions.Contains(geaSelectAllEx)) return false;
      enabled = CheckSelectAllAction();
      break;
    case TEditCommand::Delete:
      if (!FEditActions.Contains(geaDeleteEx)) return false;
      enabled = CheckDeleteAction();
      break;
    case TEditCommand::None:
      return false;
  }
  action->SetEnabled(enabled);
  return true;
}

// --- the indicator title ----------------------------------------------------------------

void TCustomDBGridEx::BuildIndicatorTitleMenu(ui::TPopupMenu*& PopupMenu) {
  if (OnBuildIndicatorTitleMenu)
    OnBuildIndicatorTitleMenu(this, PopupMenu);
  else
    DefaultBuildIndicatorTitleMenu(PopupMenu);
}

void TCustomDBGridEx::DefaultBuildIndicatorTitleMenu(ui::TPopupMenu*& PopupMenu) {
  if (FCenter) FCenter->BuildIndicatorTitleMenu(this, PopupMenu);
}

void TCustomDBGridEx::IndicatorTitleMouseDown(TGridCoord Cell, ui::TMouseButton Button, ui::TShiftState Shift,
                                              int X, int Y) {
  if (OnIndicatorTitleMouseDown)
    OnIndicatorTitleMouseDown(this, Cell, Button, Shift, X, Y);
  else
    DefaultIndicatorTitleMouseDown(Cell, Button, Shift, X, Y);
}

void TCustomDBGridEx::DefaultIndicatorTitleMouseDown(TGridCoord Cell, ui::TMouseButton, ui::TShiftState, int,
                                                     int) {
  if (!FIndicatorTitle->TitleButton()) {
    // The indicator title selects the whole grid and clears it again.
    if (!FOptions.Contains(dgMultiSelect) || !FDataLink->Active() || !FAllowedSelections.Contains(gstAll) ||
        !FSelection)
      return;
    if (FSelection->SelectionType() == gstNon)
      FSelection->SelectAll();
    else
      FSelection->Clear();
    return;
  }
  FIndicatorTitle->SetDown(true);
  FPressed = true;
  RepaintCell(0, 0);
  ui::TPopupMenu* menu = nullptr;
  auto release = [&] {
    // A menu made for this press alone goes with it.
    if (menu && !menu->Owner()) delete menu;
    menu = nullptr;
    FIndicatorTitle->SetDown(false);
    FPressed = false;
    RepaintCell(0, 0);
  };
  try {
    BuildIndicatorTitleMenu(menu);
    if (menu && menu->Items()->Count() > 0) {
      const TRect r = CellBounds(Cell.X, Cell.Y);
      const TPoint at = ClientToScreen(TPoint{r.Left, r.Bottom});
      menu->Popup(at.X, at.Y);
      release();
      // The click that closed the menu is not a press on the grid.
      ui::RemoveQueuedMessage(this, ui::WM_LBUTTONDOWN, ui::WM_LBUTTONDOWN);
      return;
    }
  } catch (...) {
    release();
    throw;
  }
  if (menu && !menu->Owner()) {
    delete menu;
    menu = nullptr;
  }
  if (MouseCapture()) {
    // Without a menu the cell is a title button: it stays down while the mouse is held on it.
    FDBGridExState = dgsTitleDown;
    FTracking = true;
    FPressedCol = Cell.X;
    return;
  }
  release();
}

}  // namespace grid
