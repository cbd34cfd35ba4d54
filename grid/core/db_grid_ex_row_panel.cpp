// Row panels, the row detail panel, the indicator title object and the
// grid's small hit tests (cell buttons, in-title filter buttons).
#include <algorithm>

#include "grid/columns/columns/column_ex.h"
#include "grid/columns/columns/column_def_values_ex.h"
#include "grid/columns/columns/db_grid_columns_ex.h"
#include "grid/columns/filters/st_db_grid_ex_filter.h"
#include "grid/columns/grouping/db_grid_ex_indicator_title.h"
#include "grid/columns/grouping/grid_row_panel_ex.h"
#include "grid/columns/grouping/row_detail_panel_ex.h"
#include "grid/core/custom_db_grid_ex.h"
#include "grid/core/grid_core_internal.h"
#include "grid/core/grid_data_link_ex.h"
#include "grid/editor_support/button_faces.h"
#include "grid/editor_support/edit_buttons.h"
#include "grid/editor_support/tool_routines.h"
#include "platform/data/dataset.h"
#include "platform/ui/canvas.h"
#include "platform/ui/themes.h"

namespace grid {

using ui::TCanvas;

// --- the row panel ---------------------------------------------------------------------

void TCustomDBGridEx::SetRowPanel(TGridRowPanelEx* Value) {
  if (!Value) {
    if (IsLoading()) FGridRowPanel->SetActive(true);
    return;
  }
  FGridRowPanel->Assign(Value);
}

bool TCustomDBGridEx::RowPanelActive() const { return FGridRowPanel && FGridRowPanel->Active(); }

bool TCustomDBGridEx::RowPanelTabsLeftToRight() const {
  return FGridRowPanel && FGridRowPanel->TabNavigationType() == rpntLeftToRightPriorityEx;
}

int TCustomDBGridEx::InRowPanelLineHeight() {
  core_detail::FontScope scope(Canvas(), FTitleFont.get());
  return Canvas()->TextHeight(u"Wg") + 4 + (Flat() ? 0 : 1);
}

void TCustomDBGridEx::SortColumnsByRowPanelPlacement() {
  if (!RowPanelActive()) return;
  std::vector<TColumnEx*> order;
  for (int i = 0; i < FColumns->Count(); ++i) order.push_back(FColumns->ColumnAt(i));
  std::stable_sort(order.begin(), order.end(), [](TColumnEx* A, TColumnEx* B) {
    const auto& a = A->RowPlacement();
    const auto& b = B->RowPlacement();
    if (a.Left != b.Left) return a.Left < b.Left;
    if (a.Top != b.Top) return a.Top < b.Top;
    return !A->Visible() && B->Visible();
  });
  FColumns->BeginUpdate();
  try {
    for (std::size_t i = 0; i < order.size(); ++i) order[i]->SetIndex(static_cast<int>(i));
  } catch (...) {
    FColumns->EndUpdate();
    throw;
  }
  FColumns->EndUpdate();
}

// Mirrored, client pixel P of the master cell shows its pixel W - 1 - P, as
// the grid's own pixels are mirrored (see RowPanelMasterCellRect).
TColumnEx* TCustomDBGridEx::GetColumnInRowPanelAtPos(TPoint InCellPos, bool IsTitleTypeCell) {
  if (UseRightToLeftAlignment()) InCellPos.X = FGridMasterCellWidth - 1 - InCellPos.X;
  const int lw = GridLineWidth();
  for (int i = 0; i < FColumns->Count(); ++i) {
    TColumnEx* c = FColumns->ColumnAt(i);
    const auto& p = c->RowPlacement();
    TRect r = IsTitleTypeCell
                  ? TRect{p.Left, p.Top, p.Left + p.Width, p.Top + p.Height}
                  : TRect{p.DataCellLeft, p.Top, p.DataCellLeft + p.DataCellWidth, p.Top + p.Height};
    if (FOptions.Contains(dgColLines)) r.Right += lw;
    if (FOptions.Contains(dgRowLines)) r.Bottom += lw;
    if (r.Contains(InCellPos)) return c;
  }
  return nullptr;
}

TColumnEx* TCustomDBGridEx::GetCellRectInRowPanelAtPos(TPoint InCellPos, TRect& ACellRect,
                                                       bool IncludeLines) {
  if (UseRightToLeftAlignment()) InCellPos.X = FGridMasterCellWidth - 1 - InCellPos.X;
  const int lw = GridLineWidth();
  for (int i = 0; i < FColumns->Count(); ++i) {
    TColumnEx* c = FColumns->ColumnAt(i);
    const auto& p = c->RowPlacement();
    TRect r{p.Left, p.Top, p.Left + p.Width, p.Top + p.Height};
    if (IncludeLines && FOptions.Contains(dgColLines)) r.Right += lw;
    if (IncludeLines && FOptions.Contains(dgRowLines)) r.Bottom += lw;
    TRect hit = r;
    if (FOptions.Contains(dgColLines)) hit.Right = std::max(hit.Right, p.Left + p.Width + lw);
    if (FOptions.Contains(dgRowLines)) hit.Bottom = std::max(hit.Bottom, p.Top + p.Height + lw);
    if (hit.Contains(InCellPos)) {
      ACellRect = r;
      return c;
    }
  }
  ACellRect = TRect{};
  return nullptr;
}

TRect TCustomDBGridEx::RowPanelMasterCellRect(int ARow, bool Logical) {
  TGridDrawMetricsEx info;
  FillDrawInfo(info);
  // A line's start even when the data are scrolled past it: the cell rects
  // of the base grid begin at the data area instead.
  auto start = [&](const TGridAxisMetricsEx& A, int N) {
    if (N < A.FixedCount || N >= A.FirstDataCell) return LineStartPixel(A, N);
    int pos = A.DataOrigin;
    for (int i = N; i < A.FirstDataCell; ++i) pos -= A.ExtentOf(i) + A.AxisLineWidth;
    return pos;
  };
  const int left = start(info.ColAxis, FIndicatorOffset);
  const int top = start(info.RowAxis, ARow);
  const int height = ARow >= 0 && ARow < info.RowAxis.TotalCellCount ? info.RowAxis.ExtentOf(ARow) : 0;
  TRect r{left, top, left + FGridMasterCellWidth, top + height};
  if (!Logical && RightToLeft() && !Canvas()->Mirrored()) r = MirrorClientRect(r, info.ColAxis.ClientLength);
  return r;
}

TRect TCustomDBGridEx::RowPanelCellClientRect(int ARow, const TRect& InPanel) {
  const TRect m = RowPanelMasterCellRect(ARow, true);
  TRect r{m.Left + InPanel.Left, m.Top + InPanel.Top, m.Left + InPanel.Right, m.Top + InPanel.Bottom};
  if (RightToLeft() && !Canvas()->Mirrored()) {
    TGridDrawMetricsEx info;
    FillDrawInfo(info);
    r = MirrorClientRect(r, info.ColAxis.ClientLength);
  }
  return r;
}

void TCustomDBGridEx::TrackRowPanelHotColumn(int X, int Y) {
  if (!RowPanelActive()) return;
  const TGridCoord cell = MouseCoord(X, Y);
  TPoint hot{-1, -1};
  if (cell.X >= FIndicatorOffset && cell.Y >= 0 && cell.Y < RowCount()) {
    const int dataCol = RowPanelColumnAt(X, Y, cell.Y < TopDataOffset());
    if (dataCol >= 0) hot = TPoint{dataCol, cell.Y};
  }
  if (hot == FRowPanelHot) return;
  const TPoint old = FRowPanelHot;
  FRowPanelHot = hot;
  for (int row : {old.Y, hot.Y})
    if (row >= 0 && row < RowCount() && FIndicatorOffset < ColCount()) RepaintCell(FIndicatorOffset, row);
}

bool TCustomDBGridEx::RowPanelCellHot(int ARow, int DataCol) const {
  return HotTrackCell().Y == ARow && HotTrackCell().X >= FIndicatorOffset && FRowPanelHot.Y == ARow &&
         FRowPanelHot.X == DataCol;
}

void TCustomDBGridEx::ScrollRowPanelColumnIntoView(int Index) {
  if (Index < 0 || Index >= FColumns->Count() || !HandleAllocated()) return;
  const auto& p = FColumns->ColumnAt(Index)->RowPlacement();
  const int d = p.DataCellLeft, w = p.DataCellWidth;
  TGridDrawMetricsEx info;
  FillDrawInfo(info);
  const int page = info.ColAxis.ClientLength - info.ColAxis.FixedEnd;
  // The panel shows its pixels s .. s + page; the data offset moves, so that
  // painting, the editor and the hit tests all see the new position.
  int s = FSmoothPos.X;
  if (d + w > page + s) {
    int target = d + w - page + (FOptions.Contains(dgColLines) ? GridLineWidth() : 0);
    if (w > page) target = d;
    ScrollDataClamped(target - s, 0);
    s = FSmoothPos.X;
  }
  if (d < s) ScrollDataClamped(d - s, 0);
}

void TCustomDBGridEx::SetInRowPanelCol(int Index) {
  if (Index == FInRowPanelCol) return;
  ScrollRowPanelColumnIntoView(Index);
  FInRowPanelCol = Index;
  SyncInplaceEditor();
  RepaintRow(Row());
}

bool TCustomDBGridEx::HorzScrollIsSmooth() { return FHorzScrollBar->SmoothStep() || RowPanelActive(); }

bool TCustomDBGridEx::VertScrollIsSmooth() { return FVertScrollBar->SmoothStep(); }

void TCustomDBGridEx::GoToCell(int ACol, int ARow, bool MoveAnchor) {
  if (!RowPanelActive()) {
    TCustomGridEx::GoToCell(ACol, ARow, MoveAnchor);
    return;
  }
  MoveToCell(ACol, ARow, true, false, MoveAnchor);
  ScrollRowPanelColumnIntoView(FInRowPanelCol);
  SyncInplaceEditor();
  Click();
}

namespace {

// The grid line under and right of a panel cell, inside its area.
void PanelCellLines(TCanvas* Cv, const TRect& Cell, const TRect& Area, int Lw, TColor Color) {
  if (Lw <= 0) return;
  Cv->Brush()->SetColor(Color);
  if (Cell.Bottom < Area.Bottom)
    Cv->FillRect(TRect{Cell.Left, Cell.Bottom, Cell.Right + Lw, Cell.Bottom + Lw});
  if (Cell.Right < Area.Right) Cv->FillRect(TRect{Cell.Right, Cell.Top, Cell.Right + Lw, Cell.Bottom + Lw});
}

}  // namespace

void TCustomDBGridEx::DrawRowPanelTitle(int ACol, int ARow, TRect ARect, TGridDrawState State) {
  State.Exclude(gdFocused);
  State.Exclude(gdSelected);
  // The filter row under the titles shows each column's filter cell in the
  // column's title place.
  TCellAreaTypeEx area;
  int dataCol = 0, dataRow = 0;
  GetCellType(ACol, ARow, area, dataCol, dataRow);
  area.Horz = 1;
  if (area.Vert != 1) area.Vert = 0;
  DrawRowPanelFixedCells(ARect, FColumnDefValues->Title()->Color(), [&](TRect Cell, int DataCol) {
    TGridDrawState st = State;
    st.Exclude(gdHotTrack);
    if (RowPanelCellHot(ARow, DataCol)) st.Include(gdHotTrack);
    DrawMultiTitleCell(ACol, ARow, area, st, Cell, area.Vert == 1 ? dataRow : -1, DataCol);
  });
}

void TCustomDBGridEx::DrawRowPanelFixedCells(TRect ARect, TColor Background,
                                             const std::function<void(TRect Cell, int DataCol)>& Draw) {
  TCanvas* cv = Canvas();
  cv->Brush()->SetColor(Background);
  cv->FillRect(ARect);
  for (int i = 0; i < FColumns->Count(); ++i) {
    TColumnEx* c = FColumns->ColumnAt(i);
    if (!c->Visible()) continue;
    const auto& p = c->RowPlacement();
    const TRect cell{ARect.Left + p.Left, ARect.Top + p.Top, ARect.Left + p.Left + p.Width,
                     ARect.Top + p.Top + p.Height};
    PanelCellLines(cv, cell, ARect, GridLineWidth(), GridLineColors()->GetDarkColor());
    Draw(cell, i);
  }
}

void TCustomDBGridEx::DrawRowPanelData(int ACol, int ARow, TRect ARect, TGridDrawState State) {
  TCanvas* cv = Canvas();
  cv->Brush()->SetColor(Color());
  cv->FillRect(ARect);
  const int dataRow = ARow - TopDataOffset();
  if (DataGroupingWorks()) {
    TGroupDataTreeNodeEx* node = GroupNodeOfDataRow(dataRow);
    if (node && node->NodeType() == dntDataGroupEx) {
      DrawGroupDataRow(ACol, ARow, ARect, State);
      return;
    }
    DrawExtraFirstColumnArea(ARow, ARect);
    ARect.Left += FExtraFirstColumnWidth;
  }
  const bool current = ARow == Row();
  TCellAreaTypeEx area;
  area.Horz = 1;
  area.Vert = 2;
  // The detail sign leads the first visible column's value, where the cell
  // editor and the presses leave room for it.
  const int signCol = FRowDetailPanel->Active() && FDataLink->Active() && !FVisibleColumns.empty()
                          ? FVisibleColumns.front()->Index()
                          : -1;
  for (int i = 0; i < FColumns->Count(); ++i) {
    TColumnEx* c = FColumns->ColumnAt(i);
    if (!c->Visible()) continue;
    const auto& p = c->RowPlacement();
    TRect cell{ARect.Left + p.DataCellLeft -
                   (DataGroupingWorks() && p.DataCellLeft > 0 ? FExtraFirstColumnWidth : 0),
               ARect.Top + p.Top, 0, ARect.Top + p.Top + p.Height};
    if (DataGroupingWorks() && p.Left == 0) cell.Left = ARect.Left;
    cell.Right = cell.Left + p.DataCellWidth;
    PanelCellLines(cv, cell, ARect, GridLineWidth(), GridLineColors()->GetCellColor(ACol, ARow));
    if (i == signCol && cell.Width() > 18) {
      const int old = SetDrawRecord(dataRow);
      bool has = false;
      try {
        has = RowHasDetailPanel();
      } catch (...) {
        RestoreDrawRecord(old);
        throw;
      }
      RestoreDrawRecord(old);
      if (has) {
        DrawRowDetailSign(cell, dataRow);
      } else {
        cv->Brush()->SetColor(Color());
        cv->FillRect(TRect{cell.Left, cell.Top, cell.Left + 18, cell.Bottom});
      }
      cell.Left += 18;
    }
    TGridDrawState st = State;
    st.Exclude(gdFocused);
    st.Exclude(gdSelected);
    st.Exclude(gdHotTrack);
    if (RowPanelCellHot(ARow, i)) st.Include(gdHotTrack);
    const bool selectedColumn = i == FInRowPanelCol || FOptions.Contains(dgRowSelect);
    if (current && selectedColumn) st.Include(gdSelected);
    if (current && selectedColumn && HoldsFocus()) st.Include(gdFocused);
    DrawDataCell(ACol, ARow, area, st, cell, dataRow, i);
  }
}

void TCustomDBGridEx::DrawRowPanelFooter(int ACol, int ARow, TRect ARect, TGridDrawState State) {
  const int footer = ARow - (RowCount() - ContraRowCount());
  DrawRowPanelFixedCells(ARect, Color(), [&](TRect Cell, int DataCol) {
    TGridDrawState st = State;
    st.Exclude(gdHotTrack);
    if (RowPanelCellHot(ARow, DataCol)) st.Include(gdHotTrack);
    DrawFooterCell(ACol, ARow, TCellAreaTypeEx{1, 4}, st, Cell, footer, DataCol);
  });
}

// --- the cell painting's steps for panels, groups and trees -----------------------------

bool TCustomDBGridEx::PaintPanelsAndGroups(int ACol, int ARow, TCellAreaTypeEx Area, TGridDrawState State,
                                           TRect& ARect, int DataRow, int DataCol) {
  if (RowPanelActive() && Area.Horz != 0) {
    if (Area.Vert == 4)
      DrawRowPanelFooter(ACol, ARow, ARect, State);
    else if (Area.Vert == 2)
      DrawRowPanelData(ACol, ARow, ARect, State);
    else
      DrawRowPanelTitle(ACol, ARow, ARect, State);
    return true;
  }
  if (Area.Vert != 2 || Area.Horz == 0 || !FDataLink->Active()) return false;
  TCanvas* cv = Canvas();
  if (FRowDetailPanel->Visible() && ARow == Row()) {
    // The detail control lies under the record's own height.
    const int h = DataRowHeight(DataRow);
    if (ARect.Top + h < ARect.Bottom) {
      cv->Brush()->SetColor(Color());
      cv->FillRect(TRect{ARect.Left, ARect.Top + h, ARect.Right, ARect.Bottom});
      ARect.Bottom = ARect.Top + h;
    }
  }
  const bool first = !FVisibleColumns.empty() && DataCol == FVisibleColumns.front()->Index();
  if (DataGroupingWorks()) {
    TGroupDataTreeNodeEx* node = GroupNodeOfDataRow(DataRow);
    if (node && node->NodeType() == dntDataGroupEx) {
      DrawGroupDataRow(ACol, ARow, ARect, State);
      return true;
    }
    if (first) {
      DrawExtraFirstColumnArea(ARow, ARect);
      ARect.Left += FExtraFirstColumnWidth;
      ARect.Bottom -= 1;
    }
  }
  if (first && FIntMemTable && FIntMemTable->RecordViewsAreTree()) {
    const int old = SetDrawRecord(DataRow);
    try {
      const int w = GetCellTreeElmentsAreaWidth();
      DrawCellTreeArea(DataCol, DataRow, TRect{ARect.Left, ARect.Top, ARect.Left + w, ARect.Bottom}, State);
      ARect.Left += w;
    } catch (...) {
      RestoreDrawRecord(old);
      throw;
    }
    RestoreDrawRecord(old);
  }
  if (first && FRowDetailPanel->Active()) {
    if (RowHasDetailPanel()) {
      ARect.Left += DrawRowDetailSign(ARect, DataRow);
    } else {
      cv->Brush()->SetColor(Color());
      cv->FillRect(TRect{ARect.Left, ARect.Top, ARect.Left + 18, ARect.Bottom});
      ARect.Left += 18;
    }
  }
  return false;
}

// --- the row detail panel --------------------------------------------------------------

void TCustomDBGridEx::SetRowDetailPanel(TRowDetailPanelEx* Value) { FRowDetailPanel->Assign(Value); }

bool TCustomDBGridEx::RowHasDetailPanel() {
  bool has = FRowDetailPanel->Active();
  if (OnCheckRowHaveDetailPanel) OnCheckRowHaveDetailPanel(this, has);
  return has;
}

int TCustomDBGridEx::RowDetailPanelExtraHeight() {
  return FRowDetailPanel->Active() && FRowDetailPanel->Visible() ? FRowDetailPanel->Height() : 0;
}

void TCustomDBGridEx::PlaceRowDetailControl() {
  if (!FRowDetailControl || !HandleAllocated()) return;
  TRowDetailPanelEx* panel = FRowDetailPanel.get();
  const int row = Row();
  const int top = TopDataOffset();
  const bool inView = row >= TopRow() && row < TopRow() + VisibleRowCount() + 1 && row >= top;
  const bool show = panel->Active() && (panel->Visible() || Designing()) && inView;
  if (show) {
    int refCol = FixedCols() > FIndicatorOffset ? FIndicatorOffset : LeftCol();
    if (refCol >= ColCount()) refCol = ColCount() - 1;
    TRect ref = CellBounds(refCol, row);
    ref.Bottom = ref.Top + DataRowHeight(row - top);
    const int extra = GetCellTreeElmentsAreaWidth() + FExtraFirstColumnWidth + 18;
    const int clientWidth = ClientWidth();
    int x = ref.Left + extra;
    if (UseRightToLeftAlignment())
      x = clientWidth + GetCellTreeElmentsAreaWidth() + FExtraFirstColumnWidth - ref.Right + 18;
    int width;
    if (panel->Width() > 0 && clientWidth - x >= panel->Width()) {
      width = panel->Width();
    } else if (panel->Width() > 0) {
      width = clientWidth - x;
    } else {
      TGridDrawMetricsEx info;
      FillDrawInfo(info);
      width = info.ColAxis.CellsEnd - x - GridLineWidth();
    }
    const int ptop = ref.Bottom;
    const int room = ClientHeight() - ptop;
    const int height = panel->Height() > 0 && room >= panel->Height() ? panel->Height() : room;
    const int left = UseRightToLeftAlignment() ? clientWidth - x - width : x;
    FRowDetailControl->SetBevels(panel->BevelEdges(), panel->BevelInner(), panel->BevelOuter(),
                                 panel->BevelKind(), panel->BevelWidth());
    FRowDetailControl->SetBorderStyle(panel->BorderStyle());
    FRowDetailControl->SetColor(panel->Color());
    FRowDetailControl->SetBounds(left, ptop, std::max(0, width), std::max(0, height));
    FRowDetailControl->SetVisible(true);
  } else {
    FRowDetailControl->SetVisible(false);
    if (Designing() && !panel->Active()) FRowDetailControl->SetBounds(0, 0, 0, 0);
  }
  if (FDetailHeightRow >= 0 && FDetailHeightRow != row - top && FDetailHeightRow + top < RowCount())
    UpdateDataRowHeight(FDetailHeightRow);
  FDetailHeightRow = -1;
  if (row >= top && row < RowCount()) {
    UpdateDataRowHeight(row - top);
    if (RowDetailPanelExtraHeight() > 0) FDetailHeightRow = row - top;
  }
}

int TCustomDBGridEx::DrawRowDetailSign(TRect ARect, int DataRow) {
  if (!FRowDetailPanel->Active()) return 0;
  TCanvas* cv = Canvas();
  const TColor old = cv->Brush()->Color();
  TColor background = Color();
  const bool current = DataRow + TopDataOffset() == Row();
  if (FStyle && current && IsCellSelected(FIndicatorOffset, Row(), 0)) background = clHighlight;
  cv->Brush()->SetColor(background);
  TRect strip{ARect.Left, ARect.Top, std::min(ARect.Right, ARect.Left + 18), ARect.Bottom};
  cv->FillRect(strip);
  const bool open = FRowDetailPanel->Visible() && current;
  const bool phase = (FStdDefaultRowHeight % 2 == 1) && (TopRow() % 2 == 1);
  TRect sign{strip.Left, strip.Top, strip.Right, strip.Top + std::min(strip.Height(), FStdDefaultRowHeight)};
  DrawTreeElement(cv, sign, open ? 3 : 7, UseRightToLeftAlignment(), 1, 1, phase);
  cv->Brush()->SetColor(old);
  return 18;
}

TRect TCustomDBGridEx::RowPanelDetailSignRect(int ARow) {
  const auto& p = FVisibleColumns.front()->RowPlacement();
  if (p.DataCellWidth <= 18) return TRect{};
  return RowPanelCellClientRect(ARow, TRect{p.DataCellLeft, p.Top, p.DataCellLeft + 18, p.Top + p.Height});
}

bool TCustomDBGridEx::PointInRowDetailSign(int X) {
  if (FVisibleColumns.empty()) return false;
  if (RowPanelActive()) {
    const TRect sign = RowPanelDetailSignRect(Row());
    return X >= sign.Left && X < sign.Right && RowHasDetailPanel();
  }
  const int first = DataColToGridCol(FVisibleColumns.front()->Index());
  TRect cell = CellBounds(first, Row());
  if (UseRightToLeftAlignment()) X = cell.Left + cell.Right - 1 - X;
  int start = cell.Left + GetCellTreeElmentsAreaWidth() + (RowPanelActive() ? 0 : FExtraFirstColumnWidth);
  if (!RowHasDetailPanel()) return false;
  return X >= start && X < start + 18;
}

bool TCustomDBGridEx::RowDetailSignMouseDown(int X, int Y) {
  const TGridCoord cell = MouseCoord(X, Y);
  if (cell.Y < TopDataOffset() || cell.X < FIndicatorOffset || FVisibleColumns.empty()) return false;
  if (cell.X != DataColToGridCol(FVisibleColumns.front()->Index())) return false;
  if (RowPanelActive()) return RowPanelDetailSignRect(cell.Y).Contains(TPoint{X, Y}) && RowHasDetailPanel();
  const TRect r = CellBounds(cell.X, cell.Y);
  int x = X;
  if (UseRightToLeftAlignment()) x = r.Left + r.Right - 1 - X;
  const int start = r.Left + GetCellTreeElmentsAreaWidth() + (RowPanelActive() ? 0 : FExtraFirstColumnWidth);
  return RowHasDetailPanel() && x >= start && x < start + 18;
}

void TCustomDBGridEx::CellEditRect(int ACol, int ARow, TRect& Rect) {
  if (RowPanelActive() && FInRowPanelCol >= 0 && FInRowPanelCol < FColumns->Count()) {
    Rect = RowPanelEditRect(FInRowPanelCol);
    return;
  }
  TCustomGridEx::CellEditRect(ACol, ARow, Rect);
  const bool firstVisible =
      !FVisibleColumns.empty() && ACol == DataColToGridCol(FVisibleColumns.front()->Index());
  // The indent and the detail sign lead the first column: at its right end
  // when the grid is mirrored.
  auto lead = [&](int Width) {
    if (UseRightToLeftAlignment())
      Rect.Right -= Width;
    else
      Rect.Left += Width;
  };
  if (DataGroupingWorks() && firstVisible) lead(FExtraFirstColumnWidth);
  if (FRowDetailPanel->Active() && firstVisible && Rect.Width() > 18) lead(18);
  if (FRowDetailPanel->Visible() && ARow == Row())
    Rect.Bottom = Rect.Top + DataRowHeight(ARow - TopDataOffset());
}

// --- hit tests ---------------------------------------------------------------------------

bool TCustomDBGridEx::PointInCellButton(TPoint P, TRect CellRect, TRect& ButtonRect) {
  int w = Flat() ? FlatButtonWidth + (ThemesEnabled() ? 0 : 1) : EditorSystemMetrics().VScrollWidth;
  if (FOptionsEx.Contains(dghFixed3D))
    CellRect = TRect{CellRect.Left + 1, CellRect.Top + 1, CellRect.Right - 1, CellRect.Bottom - 1};
  w = std::min(w, CellRect.Width() / 2);
  ButtonRect = TRect{CellRect.Right - w, CellRect.Top, CellRect.Right, CellRect.Bottom};
  if (FInplaceEditorButtonHeight > 0 && FInplaceEditorButtonHeight < CellRect.Height()) {
    ButtonRect.Top = CellRect.Top + (CellRect.Height() - FInplaceEditorButtonHeight) / 2;
    ButtonRect.Bottom = ButtonRect.Top + FInplaceEditorButtonHeight;
  }
  return ButtonRect.Contains(P);
}

int TCustomDBGridEx::TitleFilterButtonHitTest(TGridCoord Cell, TPoint P, TRect& ButtonRect, TRect CellRect) {
  ButtonRect = TRect{};
  if (!FOptions.Contains(dgTitles) || Cell.Y != 0 || Cell.X < FIndicatorOffset || !FSTFilter->Visible() ||
      FSTFilter->Location() != stflInTitleFilterEx)
    return 0;
  const int dataCol = GridColToDataCol(Cell.X);
  if (dataCol < 0 || dataCol >= FColumns->Count()) return 0;
  if (IsUseMultiTitle() && dataCol < static_cast<int>(FLeafFieldArr.size()) &&
      FLeafFieldArr[static_cast<std::size_t>(dataCol)].FLeaf)
    CellRect.Top = CellRect.Bottom - FLeafFieldArr[static_cast<std::size_t>(dataCol)].FLeaf->Height;
  if (RowPanelActive()) {
    // The panel cell where painting puts it, whatever part of the master
    // cell the given rectangle shows.
    const TRect master = RowPanelMasterCellRect(Cell.Y);
    TRect inPanel;
    if (!GetCellRectInRowPanelAtPos(TPoint{P.X - master.Left, P.Y - master.Top}, inPanel, false)) return 0;
    CellRect = RowPanelCellClientRect(Cell.Y, inPanel);
  }
  if (!UseRightToLeftAlignment()) return PointInCellButton(P, CellRect, ButtonRect) ? 8 : 0;
  // Mirrored, the button is painted at the cell's left end.
  const int w = ClientWidth();
  const bool hit = PointInCellButton(TPoint{w - 1 - P.X, P.Y}, MirrorClientRect(CellRect, w), ButtonRect);
  ButtonRect = MirrorClientRect(ButtonRect, w);
  return hit ? 8 : 0;
}

TGridOptions TCustomDBGridEx::DesignOptionsForState() {
  if (!Designing()) return TCustomGridEx::Options();
  if (FColumns->State() != csCustomized) return TGridOptions{goColSizing};
  if (RowPanelActive()) return TGridOptions{goRowSizing, goColSizing, goColMoving};
  return TGridOptions{goColSizing, goColMoving};
}

void TCustomDBGridEx::SetIndicatorTitle(TDBGridExIndicatorTitle* Value) { FIndicatorTitle->Assign(Value); }

}  // namespace grid
