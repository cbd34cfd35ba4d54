// Binding and layout of the data grid: its reactions to the data link, the
// layout run that turns columns into grid columns and measures rows and
// titles, the property setters feeding it, the indicator width, automatic
// column widths and fitting columns to their data.
#include <algorithm>
#include <cmath>

#include "grid/columns/columns/column_title_ex.h"
#include "grid/columns/columns/db_grid_columns_ex.h"
#include "grid/columns/sums/column_footer_ex.h"
#include "grid/columns/sums/db_grid_ex_sum_list.h"
#include "grid/columns/selection/db_grid_ex_selection.h"
#include "grid/core/custom_db_grid_ex.h"

#include "grid/columns/grouping/db_grid_ex_data_groups_ex.h"
#include "grid/columns/grouping/grid_group_data_tree_ex.h"
#include "grid/columns/grouping/row_detail_panel_ex.h"
#include "grid/core/db_grid_ex_center.h"
#include "grid/core/db_grid_ex_module.h"
#include "grid/core/db_grid_ex_scroll_bar.h"
#include "grid/core/grid_core_internal.h"
#include "grid/core/grid_data_link_ex.h"
#include "grid/editor_support/button_faces.h"
#include "grid/foundation/grid_messages.h"
#include "platform/data/dataset.h"
#include "platform/runtime/convert.h"
#include "platform/ui/menus.h"
#include "platform/ui/themes.h"

namespace grid {

using namespace ui;
using core_detail::FontScope;

namespace core_detail {

TLineMetrics MeasureLine(TCanvas* Canvas, const TFont* Font) {
  FontScope scope(Canvas, Font);
  TLineMetrics m;
  m.Height = Canvas->TextHeight(u"Wg");
  return m;
}

}  // namespace core_detail

// --- reactions to the data link ----------------------------------------------------

void TCustomDBGridEx::DataLinkActiveChanged(bool Value) {
  if (!Value && FRowDetailPanel && FRowDetailPanel->Visible()) FRowDetailPanel->SetVisible(false);
  ReacquireMemTableInterface();
  if (!Value) LeaveEditorMode();
  if (FSelection) FSelection->ResetOnLinkChange(Value);
  FSumList->SetDataSet(Value ? FDataLink->DataSet() : nullptr);
  if (UsesMemTableView()) {
    if (DataGroupingWorks()) SortMarkingChanged();
    HandleMemTableRecordEvent(-1, mtrAllChangedEx, -1);
    RecountRows();
  }
  if (IsDestroying()) return;
  LayoutChanged();
  if (Value && AlwaysShowsEditor()) EnterEditorMode();
  SyncVertScrollBar();
  ReacquireMemTableInterface();
  FColumns->ActiveChanged();
}

void TCustomDBGridEx::HandleDataSetChanged() {
  if (!HandleAllocated() || FSumList->Recalculating()) return;
  const int width = CalcIndicatorColWidth();
  if (width == FRecNoTextWidth) {
    RecountRows();
  } else {
    FRecNoTextWidth = width;
    FSizeChanged = true;
    RelayoutGrid();
  }
  const bool barWas = FVertScrollBar->IsScrollBarVisible();
  SyncVertScrollBar();
  if (barWas != FVertScrollBar->IsScrollBarVisible() && FAutoFitColWidths && !Designing() && !IsLoading())
    DeferLayout();
  SyncCurrentRow();
  RefreshEditorPlacement();
  Invalidate();
}

void TCustomDBGridEx::BuildFieldMap() {
  if (FColumns->State() == csCustomized) {
    // Configured columns keep their places even when their field is missing.
    FDataLink->SetSparseMap(true);
    for (int i = 0; i < FColumns->Count(); ++i) FDataLink->AddMapping(FColumns->ColumnAt(i)->FieldName());
    return;
  }
  // Without configured columns the grid shows every visible field in the
  // dataset's order.
  db::TDataSet* ds = FDataLink->DataSet();
  FDataLink->SetSparseMap(false);
  if (!ds) return;
  for (int i = 0; i < ds->FieldCount(); ++i)
    if (ds->Fields(i)->Visible()) FDataLink->AddMapping(ds->Fields(i)->FieldName());
}

// --- the layout run ------------------------------------------------------------------

void TCustomDBGridEx::InternalLayout() {
  if (IsLoading() || IsDestroying()) return;
  ++FLayoutRuns;
  FColWidthsChanged = false;
  RemovePendingMessage(this, WM_GRIDDEFERREDLAYOUT);
  LockPaint();
  try {
    LayoutSteps();
  } catch (...) {
    UnlockPaint();
    throw;
  }
  UnlockPaint();
  // Scroll ranges wait while painting is locked.
  RecalcScrollRanges();
}

void TCustomDBGridEx::LayoutSteps() {
  FColumns->FreeDefaultColumnsAfterStored();
  FIndicatorOffset = HasIndicatorColumn() ? 1 : 0;
  FDataLink->ClearMapping();
  if (FDataLink->Active()) BuildFieldMap();
  FColumns->SyncWithFieldMap();

  FVisibleColumns.clear();
  int hidden = 0, seenVisible = 0;
  bool inZone = true;
  for (int i = 0; i < FColumns->Count(); ++i) {
    TColumnEx* column = FColumns->ColumnAt(i);
    if (column->Visible()) {
      FVisibleColumns.push_back(column);
      if (++seenVisible > FFrozenCols) inZone = false;
    } else if (inZone) {
      ++hidden;
    }
  }
  if (HandleAllocated()) {
    UpdateExtraFirstColumnWidth();
    if (RowPanelActive()) {
      FColumns->RelayoutCellsInRowPanel();
      SortColumnsByRowPanelPlacement();
      FColumns->RelayoutCellsInRowPanel();
    }
    if (FDataGrouping->GroupPanelVisible()) LayoutGroupPanelItems();
  }
  LayoutFixedColumns(hidden);
  LayoutRowHeights();
  LayoutScrollBars();
  if (RowPanelActive() && FGridMasterCellHeight > 0) FStdDefaultRowHeight = FGridMasterCellHeight;
  UpdateRowPanelColWidths();
  LayoutAutoFitWidths();
  if (RowPanelActive() && FAutoFitColWidths && HandleAllocated()) {
    const int lw = GridLineWidth();
    const int available = ClientWidth() - (HasIndicatorColumn() ? ColWidths(0) : 0) -
                          (FOptions.Contains(dgColLines) ? 1 : 0);
    FColumns->ScaleWidths(FGridMasterCellWidth + lw, available);
  }
  LayoutTitleHeight();
  if (RowPanelActive() && FGridMasterCellHeight > 0) FTitleRowHeight = FGridMasterCellHeight;
  UpdateRowPanelColWidths();
  const int leftCol = LeftCol();
  try {
    RecountRows();
  } catch (...) {
    if (FOptions.Contains(dgRowSelect) && leftCol < ColCount()) SetLeftCol(leftCol);
    throw;
  }
  if (FOptions.Contains(dgRowSelect) && leftCol < ColCount() && leftCol >= FixedCols()) SetLeftCol(leftCol);
  if (FRowDetailPanel->Active()) PlaceRowDetailControl();
  SyncCurrentRow();
  Invalidate();
  LayoutLineColors();
}

void TCustomDBGridEx::SetContraColCount(int Value) {
  if (Value < 0) ThrowGridOperationError(SContraColNegative);
  if (Value == FWantedContraColCount) return;
  FWantedContraColCount = Value;
  // Which lines are pinned follows from the columns: only the layout knows.
  LayoutChanged();
}

void TCustomDBGridEx::LayoutFixedColumns(int HiddenInFrozen) {
  const int visible = static_cast<int>(FVisibleColumns.size());
  const int count = FColumns->Count();
  int colCount, fixed, frozen, contra;
  if (FDataLink->Active() || FColumns->State() == csCustomized) {
    const int f = FFrozenCols < visible ? FFrozenCols + HiddenInFrozen + FIndicatorOffset
                                        : FIndicatorOffset + std::max(0, visible - 1) + HiddenInFrozen;
    contra = std::max(0, std::min(FWantedContraColCount, visible - f));
    colCount = count + FIndicatorOffset - contra;
    fixed = f;
    frozen = fixed - FIndicatorOffset;
  } else {
    colCount = count + FIndicatorOffset;
    contra = 0;
    fixed = HiddenInFrozen + FIndicatorOffset - (visible == 0 ? 1 : 0);
    frozen = 0;
  }
  colCount = std::max(1, colCount);
  fixed = std::clamp(fixed, 0, colCount - 1);
  frozen = std::clamp(frozen, 0, fixed);
  if (FixedCols() > fixed) SetFixedCols(fixed);
  TCustomGridEx::SetContraColCount(contra);
  SetColCount(colCount);
  SetFixedCols(fixed);
  SetFrozenColCount(frozen);
}

void TCustomDBGridEx::LayoutRowHeights() {
  const core_detail::TLineMetrics m = core_detail::MeasureLine(Canvas(), Font());
  const int c = (Flat() ? 1 : 3) + (FOptions.Contains(dgRowLines) ? GridLineWidth() : 0);
  const int t = std::max(1, m.Height);
  int height;
  if (FRowHeight > 0 || FRowLines > 0)
    height = FRowHeight + (m.ExternalLeading + m.Height) * FRowLines;
  else
    height = c + t;
  if (FOptionsEx.Contains(dghFitRowHeightToText)) {
    // Whole text lines: up to half a line is dropped, more becomes a line.
    const int q = (height - c) / t, r = (height - c) % t;
    height = (r <= t / 2 && q != 0) ? c + q * t : c + (q + 1) * t;
    FRowLines = (height - c) / t;
    FRowHeight = c;
  }
  FStdDefaultRowHeight = height;
  if (static_cast<int>(std::lround(1.5 * FInplaceEditorButtonWidth)) >= height)
    FInplaceEditorButtonHeight = height;
  else
    FInplaceEditorButtonHeight = ButtonHeightFromWidth(FInplaceEditorButtonWidth, Flat());
  FAllowWordWrap = m.ExternalLeading + m.Height + m.InternalLeading + FInterlinear < height;
  if (FOptions.Contains(dgTitles) && !IsUseMultiTitle()) {
    int title = 0;
    for (int i = 0; i < FColumns->Count(); ++i)
      title = std::max(title, core_detail::MeasureLine(Canvas(), FColumns->ColumnAt(i)->Title()->Font()).Height);
    if (FColumns->Count() == 0) title = core_detail::MeasureLine(Canvas(), FTitleFont.get()).Height;
    FTitleRowHeight = title + FInterlinear;
  }
}

bool TCustomDBGridEx::UsesExtendedMemTableScrolling() {
  return UsesMemTableView() && FCenter && FCenter->UseExtendedScrollingForMemTable();
}

void TCustomDBGridEx::LayoutScrollBars() {
  const bool horz = (!FAutoFitColWidths || Designing()) && FHorzScrollBar->Visible() && !FHorzScrollBar->ExtScrollBar();
  const bool vert = FVertScrollBar->Visible() && UsesExtendedMemTableScrolling() && FVertScrollBar->SmoothStep();
  TScrollStyle style = vert ? (horz ? ssBoth : ssVertical) : (horz ? ssHorizontal : ssNone);
  if (style != ScrollBars()) {
    SetScrollBars(style);
    if (HandleAllocated()) SyncVertScrollBar();
  }
}

void TCustomDBGridEx::LayoutAutoFitWidths() {
  if (!FAutoFitColWidths || Designing() || !HandleAllocated()) return;
  SyncVertScrollBar();
  const bool colLines = FOptions.Contains(dgColLines);
  const int indicator = FIndicatorOffset > 0 ? ColWidths(0) : 0;
  const int visibleCount = static_cast<int>(FVisibleColumns.size());
  auto fits = [](TColumnEx* C) { return C->AutoFitColWidth() && !C->NotInWidthRange(); };
  for (TColumnEx* column : FVisibleColumns) column->SetNotInWidthRange(false);
  int w = 0;
  for (int pass = 0; pass < visibleCount; ++pass) {
    int p = 0, s = 0;
    for (TColumnEx* column : FVisibleColumns) {
      if (fits(column))
        p += column->InitWidth();
      else
        s += column->Width();
    }
    w = std::max(0, std::max(ClientWidth(), FMinAutoFitWidth) - s) - indicator - (colLines ? visibleCount : 0) -
        ((FIndicatorOffset > 0 && colLines) ? 1 : 0) - FExtraFirstColumnWidth;
    // Columns whose starting widths are all 0 have no shares to scale.
    if (p == 0) return;
    bool limited = false;
    for (TColumnEx* column : FVisibleColumns) {
      if (!fits(column)) continue;
      const int share = rtl::MulDiv(column->InitWidth(), w, p);
      column->SetWidth(share);
      if (column->Width() != share) {
        column->SetNotInWidthRange(true);
        limited = true;
      }
    }
    if (!limited) break;
  }
  int total = 0;
  TColumnEx* last = nullptr;
  for (TColumnEx* column : FVisibleColumns)
    if (fits(column)) {
      total += column->Width();
      last = column;
    }
  if (last && total != w) last->SetWidth(std::max(0, last->Width() + w - total));
}

TFont* TCustomDBGridEx::TallestTitleFont() {
  TFont* tallest = FTitleFont.get();
  int best = -1;
  for (int i = 0; i < FColumns->Count(); ++i) {
    TFont* f = FColumns->ColumnAt(i)->Title()->Font();
    const int h = core_detail::MeasureLine(Canvas(), f).Height;
    if (h > best) {
      best = h;
      tallest = f;
    }
  }
  return tallest;
}

void TCustomDBGridEx::LayoutTitleHeight() {
  if (!FOptions.Contains(dgTitles)) return;
  if (FTitleHeight != 0 || FTitleLines != 0) {
    const core_detail::TLineMetrics m = core_detail::MeasureLine(Canvas(), TallestTitleFont());
    FTitleHeightFull = FTitleLines * m.Height + m.ExternalLeading + FTitleHeight + 2 +
                       (FOptions.Contains(dgRowLines) ? 1 : 0);
    FTitleRowHeight = FTitleHeightFull;
  }
  if (IsUseMultiTitle()) {
    FHeadTree->CreateFieldTree(this);
    FontScope scope(Canvas(), FTitleFont.get());
    const int height = CalcHeadTreeHeights(FHeadTree.get());
    FTitleRowHeight = height - (FOptionsEx.Contains(dghFixed3D) ? 1 : 3);
  }
}

void TCustomDBGridEx::LayoutLineColors() {
  TColor dark;
  if (Flat())
    dark = TColor(0x808080);
  else if (ThemesEnabled())
    dark = FOptionsEx.Contains(dghFixed3D) ? clBtnShadow : cl3DDkShadow;
  else
    dark = clBlack;
  GridLineColors()->SetColor(TGridLineColorsEx::DarkColor, dark);
  const bool raised = FOptionsEx.Contains(dghFooter3D) || FFooterColor != clWindow;
  GridLineColors()->SetColor(TGridLineColorsEx::VertAreaContraBorderColor,
                             raised ? GridLineColors()->GetDarkColor() : GridLineColors()->GetCellColor(0, 0));
}

// --- window creation, loading, scaling ---------------------------------------------

void TCustomDBGridEx::InitWidget() {
  LockUpdate();
  try {
    TCustomGridEx::InitWidget();
  } catch (...) {
    UnlockUpdate();
    throw;
  }
  UnlockUpdate();
  FInplaceEditorButtonWidth = Flat() ? FlatButtonWidth : EditorSystemMetrics().VScrollWidth;
  if (static_cast<int>(std::lround(1.5 * FInplaceEditorButtonWidth)) >= FStdDefaultRowHeight)
    FInplaceEditorButtonHeight = FStdDefaultRowHeight;
  else
    FInplaceEditorButtonHeight = ButtonHeightFromWidth(FInplaceEditorButtonWidth, Flat());
  // Panel cells are placed by text heights, which need the window.
  if (FAutoFitColWidths || RowPanelActive()) {
    RelayoutGrid();
  } else if (FLayoutLock == 0 && !IsLoading()) {
    UpdateRowPanelColWidths();
    RecountRows();
    SyncCurrentRow();
  }
  SyncVertScrollBar();
  if (FDataGrouping->GroupPanelVisible()) UpdateGroupPanelIndent();
  FOriginalImeName = ImeName();
  FOriginalImeMode = ImeMode();
}

void TCustomDBGridEx::Loaded() {
  TCustomGridEx::Loaded();
  ApplyOptions(FOptions, FOptionsEx);
  if (FColumns->Count() > 0) {
    SetColCount(FColumns->Count());
    if (FAutoFitColWidths && !Designing()) {
      FColumns->BeginUpdate();
      for (int i = 0; i < FColumns->Count(); ++i) FColumns->ColumnAt(i)->SetInitWidth(FColumns->ColumnAt(i)->Width());
      FColumns->EndUpdate();
      SetScrollBars(ssNone);
    }
    SetSortMarkedColumns();
  }
  if (DataSource()) FSumList->ActivateAfterLoad();
  if (Designing() && FRowDetailPanel->Active()) FRowDetailPanel->SetVisible(true);
  // Group levels read their column names before the columns existed.
  FDataGrouping->RefreshLevelColumns();
  RelayoutGrid();
  // A second run once the message loop has settled the window's size.
  if (TryLockLayout()) DeferLayout();
}

void TCustomDBGridEx::ApplyScaling(int M, int D, bool Loading) {
  if (M == D || D == 0) return;
  // Fonts scale by their own sizes; each keeps what it was set to.
  const bool fonts = true;
  (void)Loading;
  if (!ParentFont() && fonts) {
    FTitleFont->SetSize(rtl::MulDiv(FTitleFont->Size(), M, D));
    FFooterFont->SetSize(rtl::MulDiv(FFooterFont->Size(), M, D));
  }
  FColumns->BeginUpdate();
  try {
    int before = 0, sum = 0;
    for (int i = 0; i < FColumns->Count(); ++i) {
      TColumnEx* column = FColumns->ColumnAt(i);
      const auto assigned = column->AssignedValues();
      auto scale = [&](TFont* F) { F->SetSize(rtl::MulDiv(F->Size(), M, D)); };
      if (assigned.Contains(cvFont)) scale(column->Font());
      if (assigned.Contains(cvTitleFont)) scale(column->Title()->Font());
      if (column->Footer()->AssignedValues().Contains(cvFooterFont)) scale(column->Footer()->Font());
      for (int k = 0; k < column->Footers()->Count(); ++k)
        if (column->Footers()->FooterAt(k)->AssignedValues().Contains(cvFooterFont))
          scale(column->Footers()->FooterAt(k)->Font());
      // Scaled running sums keep the total exact where each width alone would round.
      sum += column->Width();
      const int scaled = rtl::MulDiv(sum, M, D);
      column->SetWidth(scaled - before);
      before = scaled;
    }
  } catch (...) {
    FColumns->EndUpdate();
    throw;
  }
  FColumns->EndUpdate();
}

void TCustomDBGridEx::DefaultHandler(TMessage& Message) {
  TCustomGridEx::DefaultHandler(Message);
  if (Message.Msg != WM_RBUTTONUP) return;
  const TPoint p{static_cast<std::int16_t>(LoWord(Message.LParam)), static_cast<std::int16_t>(HiWord(Message.LParam))};
  const TGridCoord cell = MouseCoord(p.X, p.Y);
  if (cell.X < FIndicatorOffset || cell.Y < 0) return;
  const int dataCol = GridColToDataCol(cell.X);
  if (dataCol < 0 || dataCol >= FColumns->Count()) return;
  TPopupMenu* menu = FColumns->ColumnAt(dataCol)->PopupMenu();
  if (!menu || !menu->AutoPopup()) return;
  AbortGridState();
  menu->SetPopupComponent(this);
  const TPoint screen = ClientToScreen(p);
  menu->Popup(screen.X, screen.Y);
  Message.Result = 1;
}

// --- property setters ----------------------------------------------------------------

void TCustomDBGridEx::SetTitleFont(TFont* Value) {
  FTitleFont->Assign(Value);
  if (FOptions.Contains(dgTitles)) LayoutChanged();
}

void TCustomDBGridEx::TitleFontChanged() {
  // A title font of its own no longer follows the parent's.
  if (!FSelfChangingTitleFont && !IsLoading() && ParentFont()) SetParentFont(false);
  if (FOptions.Contains(dgTitles)) LayoutChanged();
}

void TCustomDBGridEx::SetTitleHeight(int Value) {
  FTitleHeight = Value;
  LayoutChanged();
}

void TCustomDBGridEx::SetTitleLines(int Value) {
  FTitleLines = Value;
  LayoutChanged();
}

void TCustomDBGridEx::SetVTitleMargin(int Value) {
  FVTitleMargin = Value;
  LayoutChanged();
}

void TCustomDBGridEx::SetHTitleMargin(int Value) {
  FHTitleMargin = Value;
  LayoutChanged();
}

void TCustomDBGridEx::SetUseMultiTitle(bool Value) {
  FUseMultiTitle = Value;
  LayoutChanged();
}

void TCustomDBGridEx::SetRowHeight(int Value) {
  Value = std::max(0, Value);
  if (Value == FRowHeight) return;
  FRowHeight = Value;
  LayoutChanged();
  UpdateAllDataRowHeights();
}

void TCustomDBGridEx::SetRowLines(int Value) {
  Value = std::max(0, Value);
  if (Value == FRowLines) return;
  FRowLines = Value;
  LayoutChanged();
  UpdateAllDataRowHeights();
}

void TCustomDBGridEx::SetFooterRowCount(int Value) {
  if (Value == FFooterRowCount || Value < 0) return;
  FFooterRowCount = Value;
  ReacquireMemTableInterface();
  LayoutChanged();
}

void TCustomDBGridEx::SetFrozenCols(int Value) {
  if (Value == FFrozenCols || Value < 0) return;
  FFrozenCols = Value;
  LayoutChanged();
}

void TCustomDBGridEx::SetMinAutoFitWidth(int Value) {
  FMinAutoFitWidth = Value;
  LayoutChanged();
}

void TCustomDBGridEx::SetAutoFitColWidths(bool Value) {
  if (Value == FAutoFitColWidths) return;
  FAutoFitColWidths = Value;
  if (Designing()) return;
  if (Value) {
    if (!IsLoading())
      for (int i = 0; i < FColumns->Count(); ++i) FColumns->ColumnAt(i)->SetInitWidth(FColumns->ColumnAt(i)->Width());
    SetScrollBars(ssNone);
  } else {
    FColumns->BeginUpdate();
    try {
      for (int i = 0; i < FColumns->Count(); ++i) FColumns->ColumnAt(i)->SetWidth(FColumns->ColumnAt(i)->InitWidth());
    } catch (...) {
      FColumns->EndUpdate();
      throw;
    }
    FColumns->EndUpdate();
    SetScrollBars(ssHorizontal);
  }
  if (Value && FixedCols() < ColCount()) SetLeftCol(FixedCols());
  LayoutChanged();
}

// --- indicator, widths and row heights -------------------------------------------------

int TCustomDBGridEx::CalcTextRowHeight() {
  return core_detail::MeasureLine(Canvas(), Font()).Height + (Flat() ? 1 : 3) +
         (FOptions.Contains(dgRowLines) ? GridLineWidth() : 0);
}

int TCustomDBGridEx::CalcIndicatorColWidth() {
  int w = FOptions.Contains(dgIndicator) ? 11 : 0;
  if (!FOptionsEx.Contains(dghShowRecNo)) return w;
  db::TDataSet* ds = FDataLink->DataSet();
  int n = ds && FDataLink->Active() ? ds->RecordCount() : 0;
  int digits = 1;
  while (n >= 10 && digits < 102) {
    n /= 10;
    ++digits;
  }
  // Record numbers are drawn one point smaller than the cells.
  TFont small;
  small.Assign(Font());
  small.SetSize(small.Size() - 1);
  FontScope scope(Canvas(), &small);
  if (w == 0) w = 2;
  return std::max(11, Canvas()->TextWidth(String(static_cast<std::size_t>(digits), u'0')) + w + 2);
}

void TCustomDBGridEx::UpdateExtraFirstColumnWidth() {
  FExtraFirstColumnWidth = DataGroupingWorks() ? 18 * FDataGrouping->ActiveGroupLevelsCount() : 0;
}

int TCustomDBGridEx::AddExtraFirstColumnWidth(TColumnEx* Column, int Width) {
  if (!FVisibleColumns.empty() && FVisibleColumns.front() == Column) return Width + FExtraFirstColumnWidth;
  return Width;
}

int TCustomDBGridEx::StripExtraFirstColumnWidth(TColumnEx* Column, int Width) {
  if (!FVisibleColumns.empty() && FVisibleColumns.front() == Column) return Width - FExtraFirstColumnWidth;
  return Width;
}

void TCustomDBGridEx::UpdateRowPanelColWidths() {
  UpdateExtraFirstColumnWidth();
  const int hiddenWidth = FOptions.Contains(dgColLines) ? -1 : 0;
  if (RowPanelActive()) {
    // Only the master cell is seen; the other columns are folded away.
    for (int c = FIndicatorOffset; c < FullColCount(); ++c) {
      const int width = c == FIndicatorOffset ? FGridMasterCellWidth : hiddenWidth;
      if (ColWidths(c) != width) SetColWidths(c, width);
    }
  }
  for (int i = 0; i < FColumns->Count() && !RowPanelActive(); ++i) {
    const int col = DataColToGridCol(i);
    if (col >= FullColCount()) break;
    TColumnEx* column = FColumns->ColumnAt(i);
    SetTabStops(col, column->IsTabStop());
    const int width = AddExtraFirstColumnWidth(column, column->Visible() ? column->Width() : hiddenWidth);
    if (ColWidths(col) != width) SetColWidths(col, width);
  }
  if (HasIndicatorColumn() && HandleAllocated()) SetColWidths(0, CalcIndicatorColWidth());
  FLastVisibleCol = 0;
  for (int c = FullColCount() - 1; c >= 0; --c)
    if (ColWidths(c) > 0) {
      FLastVisibleCol = c;
      break;
    }
}

void TCustomDBGridEx::HandleLayoutChange() {
  FSizeChanged = false;
  if ((FAutoFitColWidths || (HasIndicatorColumn() && ColWidths(0) != CalcIndicatorColWidth())) && !Designing()) {
    RelayoutGrid();
    RefreshEditorPlacement();
  } else {
    RecountRows();
    SyncVertScrollBar();
  }
}

void TCustomDBGridEx::RowHeightsUpdated() {
  if (!FOptionsEx.Contains(dghAutoFitRowHeight) && !OnGetRowHeight && FDefaultRowChanged) {
    FDefaultRowChanged = false;
    for (int r = TitleRowCount(); r < RowCount(); ++r) {
      if (RowHeights(r) == FStdDefaultRowHeight) continue;
      FRowLines = 0;
      SetRowHeight(RowHeights(r));
      SyncVertScrollBar();
      break;
    }
  }
  TCustomGridEx::RowHeightsUpdated();
}

int TCustomDBGridEx::DataRowHeight(int DataRow) {
  if (!FDataLink->Active()) return FStdDefaultRowHeight;
  if (TGroupDataTreeNodeEx* node = GroupNodeOfDataRow(DataRow)) return node->RowHeight();
  const int old = SetDrawRecord(DataRow);
  int height = 0;
  try {
    height = CalcDefaultRowHeight();
  } catch (...) {
    RestoreDrawRecord(old);
    throw;
  }
  RestoreDrawRecord(old);
  return height;
}

int TCustomDBGridEx::CalcDefaultRowHeight() {
  // Columns measure the current record; with nothing visible the standard
  // height stands.
  int height = FVisibleColumns.empty() ? FStdDefaultRowHeight : 0;
  for (TColumnEx* column : FVisibleColumns) height = std::max(height, column->CalcRowHeight());
  if (OnGetRowHeight) OnGetRowHeight(this, height);
  return height;
}

void TCustomDBGridEx::UpdateAllGridDataRowHeights() {
  const int top = TopDataOffset();
  if (FDataLink->Active() && FIntMemTable && !FIntMemTable->RecordViewsAreTree() &&
      (!RowPanelActive() || DataGroupingWorks())) {
    LockPaint();
    try {
      for (int i = 0; i + top < RowCount(); ++i) UpdateDataRowHeight(i);
    } catch (...) {
      UnlockPaint();
      throw;
    }
    UnlockPaint();
  } else if (top < RowCount()) {
    SetRowHeights(top, FStdDefaultRowHeight);
  }
}

void TCustomDBGridEx::UpdateAllDataRowHeights() {
  if (IsLoading()) return;
  if (DataGroupingWorks()) FDataGrouping->GroupDataTree()->UpdateAllDataRowHeights();
  UpdateAllGridDataRowHeights();
}

// --- fitting columns to their data -----------------------------------------------------

void TCustomDBGridEx::OptimizeColumnWidths(TColumnEx* Column) {
  std::vector<TColumnEx*> columns{Column};
  const TDBGridExSelectionType kind = FSelection ? FSelection->SelectionType() : gstNon;
  if (kind == gstColumns) {
    for (int i = 0; i < FSelection->Columns()->Count(); ++i)
      if (FSelection->Columns()->Items(i) != Column) columns.push_back(FSelection->Columns()->Items(i));
  } else if (kind == gstAll) {
    columns.clear();
    for (int i = 0; i < FColumns->Count(); ++i) columns.push_back(FColumns->ColumnAt(i));
  }
  FitColumnsWidthToData(columns);
}

void TCustomDBGridEx::FitColumnsWidthToData(const std::vector<TColumnEx*>& Columns) {
  std::vector<int> need(Columns.size(), 0);
  TCanvas* canvas = Canvas();
  for (std::size_t i = 0; i < Columns.size(); ++i) {
    TColumnEx* column = Columns[i];
    TColumnTitleEx* title = column->Title();
    const int markWidth = title->GetSortMarkingWidth();
    const int m = markWidth >= 3 ? markWidth + 2 : 4;
    if (FTitleImages && title->ImageIndex() != -1) {
      need[i] = m + FTitleImages->Width();
      continue;
    }
    FontScope scope(canvas, title->Font());
    const bool wrap = IsUseMultiTitle() || FTitleHeight != 0 || FTitleLines != 0;
    TRect r{0, 0, std::max(0, column->Width() - m), std::max(FTitleRowHeight, 1)};
    if (title->Orientation() == tohVertical) {
      TRect swapped = SwapRectExtents(r);
      canvas->DrawText(title->Caption(), swapped, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
      need[i] = m + swapped.Height();
    } else {
      canvas->DrawText(title->Caption(), r, DT_CALCRECT | DT_NOPREFIX | (wrap ? DT_WORDBREAK : DT_SINGLELINE));
      need[i] = r.Width() + m;
    }
  }
  db::TDataSet* ds = FDataLink->DataSet();
  if (FDataLink->Active() && ds) {
    ds->DisableControls();
    const db::TBookmark saved = ds->GetBookmark();
    try {
      ds->First();
      const bool numbered = ds->IsSequenced();
      const int records = ds->RecordCount();
      for (int n = 0; !ds->Eof() && (!numbered || n < records); ++n) {
        for (std::size_t i = 0; i < Columns.size(); ++i) {
          TColumnEx* column = Columns[i];
          int b = column->AlwaysShowEditButton() ? FInplaceEditorButtonWidth + 4 : 4;
          if (column->ShowImageAndText() && column->ImageList()) b += column->ImageList()->Width() + 4;
          int w;
          if (column->ImageList() && !column->ShowImageAndText() && column->HasKeyItems()) {
            w = b + column->ImageList()->Width();
          } else if (column->Checkboxes()) {
            w = b + CheckBoxWidth;
          } else {
            TFont font;
            font.Assign(column->Font());
            TColor background = column->Color();
            GetCellParams(column, &font, background, TGridDrawState{});
            FontScope scope(canvas, &font);
            w = canvas->TextWidth(column->DisplayText()) + b;
          }
          need[i] = std::max(need[i], w);
        }
        ds->Next();
      }
    } catch (...) {
      if (ds->BookmarkValid(saved)) ds->GotoBookmark(saved);
      ds->EnableControls();
      throw;
    }
    if (ds->BookmarkValid(saved)) ds->GotoBookmark(saved);
    ds->EnableControls();
  }
  for (std::size_t i = 0; i < Columns.size(); ++i) {
    TColumnEx* column = Columns[i];
    for (int row = 0; row < FFooterRowCount; ++row) {
      TColumnFooterEx* footer = column->UsedFooter(row);
      String text = GetFooterValue(row, column);
      TFont font;
      font.Assign(footer->Font());
      TColor background = footer->Color();
      TAlignment alignment = footer->Alignment();
      GetFooterParams(DataColToGridCol(column->Index()), row, column, &font, background, alignment,
                      TGridDrawState{}, text);
      FontScope scope(canvas, &font);
      TRect r{0, 0, std::max(0, column->Width()), FStdDefaultRowHeight};
      canvas->DrawText(text, r,
                       DT_CALCRECT | DT_NOPREFIX | ((footer->WordWrap() && FAllowWordWrap) ? DT_WORDBREAK : DT_SINGLELINE));
      need[i] = std::max(need[i], r.Width() + 5);
    }
  }
  if (!FDataLink->Active() || FAutoFitColWidths) return;
  LockLayout();
  try {
    for (std::size_t i = 0; i < Columns.size(); ++i) Columns[i]->SetWidth(need[i]);
  } catch (...) {
    UnlockLayout();
    throw;
  }
  UnlockLayout();
}

}  // namespace grid
