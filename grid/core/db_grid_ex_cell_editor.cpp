// The data grid's side of its cell editor.
#include <vector>

#include "grid/columns/columns/column_ex.h"
#include "grid/columns/columns/db_grid_columns_ex.h"
#include "grid/columns/columns/db_grid_inplace_edit.h"
#include "grid/columns/grouping/row_detail_panel_ex.h"
#include "grid/core/custom_db_grid_ex.h"
#include "grid/foundation/inplace_edit.h"

namespace grid {

TInplaceEdit* TCustomDBGridEx::NewInplaceEditor() { return new TDBGridInplaceEdit(this); }

void TCustomDBGridEx::StoreCellText(int, int, const String& Text) { FEditText = Text; }

TRect TCustomDBGridEx::RowPanelEditRect(int DataCol) {
  const auto& p = FColumns->ColumnAt(DataCol)->RowPlacement();
  TRect r = RowPanelCellClientRect(
      Row(), TRect{p.DataCellLeft, p.Top, p.DataCellLeft + p.DataCellWidth, p.Top + p.Height});
  // The detail sign sits in front of the first visible column's value.
  const bool firstVisible = !FVisibleColumns.empty() && FVisibleColumns.front()->Index() == DataCol;
  if (FRowDetailPanel->Active() && firstVisible && r.Width() > 18) {
    if (UseRightToLeftAlignment())
      r.Right -= 18;
    else
      r.Left += 18;
  }
  return r;
}

void TCustomDBGridEx::RefreshEditorPlacement() {
  FInplaceColInRowPanel = -1;
  FInplaceRow = -1;
  auto* editor = dynamic_cast<TDBGridInplaceEdit*>(InplaceEditor());
  const bool keepList = editor && editor->ListVisible();
  if (keepList) editor->SetLockCloseList(true);
  try {
    TCustomGridEx::RefreshEditorPlacement();
  } catch (...) {
    if (keepList) editor->SetLockCloseList(false);
    throw;
  }
  if (keepList) editor->SetLockCloseList(false);
  // Moved only: reloading would drop what the user is typing there.
  if (FFilterEditMode) PlaceFilterEditor(false);
}

void TCustomDBGridEx::SyncInplaceEditor() {
  if (!RowPanelActive()) {
    TCustomGridEx::SyncInplaceEditor();
    return;
  }
  if (!EditorCanShow() || FInRowPanelCol < 0 || FInRowPanelCol >= FColumns->Count()) return;
  const bool created = !FInplaceEdit;
  if (created) EnsureInplaceEditor();
  // A refreshed placement forgets the base grid's editor cell: reload then too.
  if (created || FInplaceColInRowPanel != FInRowPanelCol || FInplaceRow != Row() ||
      TCustomGridEx::FInplaceRow < 0) {
    if (!created) HideInplaceEditor();
    FInplaceColInRowPanel = FInRowPanelCol;
    FInplaceRow = Row();
    LoadInplaceEditor();
  }
  if (EditorCanShow()) {
    TRect r;
    CellEditRect(Col(), Row(), r);
    FInplaceEdit->Move(r);
  }
}

void TCustomDBGridEx::CommitEditorText() {
  if (!RowPanelActive()) {
    TCustomGridEx::CommitEditorText();
    return;
  }
  if (FInplaceEdit && FInplaceColInRowPanel >= 0 && FInplaceRow >= 0)
    StoreCellText(FInplaceColInRowPanel, FInplaceRow, FInplaceEdit->Text());
}

}  // namespace grid
