// Group rows and the grouping panel: the grid's rows are the visible nodes
// of the group tree while grouping works.
#include <algorithm>

#include "grid/columns/columns/column_ex.h"
#include "grid/columns/columns/column_title_ex.h"
#include "grid/columns/columns/db_grid_columns_ex.h"
#include "grid/columns/filters/st_db_grid_ex_filter.h"
#include "grid/columns/grouping/db_grid_ex_data_groups_ex.h"
#include "grid/columns/grouping/grid_group_data_tree_ex.h"
#include "grid/core/custom_db_grid_ex.h"
#include "grid/core/db_grid_ex_module.h"
#include "grid/core/db_grid_ex_title_state.h"
#include "grid/core/grid_core_internal.h"
#include "grid/core/grid_data_link_ex.h"
#include "grid/editor_support/tool_routines.h"
#include "grid/foundation/grid_drag_windows.h"
#include "grid/foundation/inplace_edit.h"
#include "platform/data/dataset.h"
#include "platform/ui/canvas.h"
#include "platform/ui/keys.h"

namespace grid {

using namespace ui;

namespace {

constexpr int kLevelIndent = 18;

TGridGroupDataTreeEx* TreeOf(TDBGridExDataGroupsEx* Groups) { return Groups->GroupDataTree(); }

// The first record node at or below Node.
TGroupDataTreeNodeEx* FirstRecordNode(TGroupDataTreeNodeEx* Node) {
  while (Node && Node->NodeType() != dntDataSetRecordEx) Node = Node->ChildAt(0);
  return Node;
}

// One band per group level outside Level, from Area's left, each in its
// level's colour with a right line, and a bottom line where the next row is
// no deeper; answers where the bands end.
int DrawOuterLevelBands(TCanvas* Cv, TDBGridExDataGroupsEx* Groups, const TRect& Area, int Level,
                        int NextLevel, TColor LineColor) {
  int x = Area.Left;
  for (int l = 1; l < Level && l <= Groups->ActiveGroupLevelsCount(); ++l) {
    const TRect band{x, Area.Top, x + kLevelIndent, Area.Bottom};
    Cv->Brush()->SetColor(Groups->ActiveGroupLevelAt(l - 1)->Color());
    Cv->FillRect(band);
    Cv->Brush()->SetColor(LineColor);
    Cv->FillRect(TRect{band.Right - 1, band.Top, band.Right, band.Bottom});
    if (NextLevel <= l) Cv->FillRect(TRect{band.Left, band.Bottom - 1, band.Right, band.Bottom});
    x += kLevelIndent;
  }
  return x;
}

int TextHeightIn(TCanvas* Canvas, ui::TFont* Font) {
  core_detail::FontScope scope(Canvas, Font);
  return Canvas->TextHeight(u"Wg");
}

}  // namespace

void TCustomDBGridEx::SetDataGrouping(TDBGridExDataGroupsEx* Value) { FDataGrouping->Assign(Value); }

bool TCustomDBGridEx::GroupPanelFilterButtonAt(int LevelIndex, TPoint P, TRect& Button) {
  Button = TRect{};
  if (!FSTFilter->Visible() || FSTFilter->Location() != stflInTitleFilterEx) return false;
  const TRect r = FDataGrouping->ActiveGroupLevelAt(LevelIndex)->GroupPanelRect();
  return PointInCellButton(P, TRect{r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1}, Button);
}

bool TCustomDBGridEx::DataGroupingWorks() const {
  return FDataGrouping && FIntMemTable && FDataGrouping->IsGroupingWorks();
}

TGroupDataTreeNodeEx* TCustomDBGridEx::GroupNodeOfDataRow(int DataRow) const {
  if (!DataGroupingWorks()) return nullptr;
  return TreeOf(FDataGrouping.get())->FlatVisibleNodeAt(DataRow);
}

// --- the current node ------------------------------------------------------------------

void TCustomDBGridEx::SetCurrentGroupNode(TGroupDataTreeNodeEx* Node, bool ScrollIntoView) {
  TGridGroupDataTreeEx* tree = TreeOf(FDataGrouping.get());
  const int index = tree->IndexOfVisibleNode(Node);
  if (index < 0) return;
  FCurGroupDataNode = Node;
  tree->ExpandNodePathToView(Node);
  int target = index + TopDataOffset();
  if (target >= RowCount()) target = FixedRows();
  if (target != Row()) {
    const int oldTop = TopRow();
    RepaintRow(Row());
    if (!FOptions.Contains(dgAlwaysShowEditor)) LeaveEditorMode();
    int col = Col() < FixedCols() && FixedCols() < ColCount() ? FixedCols() : Col();
    const bool scroll = ScrollIntoView && !FLockAutoShowCurCell && !RowPanelActive();
    MoveToCell(col, target, scroll, false, true);
    if (RowPanelActive()) ScrollRowPanelColumnIntoView(FInRowPanelCol);
    RefreshEditorPlacement();
    RepaintRow(target);
    SyncDataSetToGroupNode();
    if (oldTop != TopRow()) Invalidate();
  }
  if (EditorMode() && InplaceEditor()) {
    db::TField* field = SelectedField();
    if (field && field->Text() == InplaceEditor()->Text()) RefreshEditorPlacement();
  }
}

void TCustomDBGridEx::SelectVisibleGroupNode(TGroupDataTreeNodeEx* Node, bool ScrollIntoView) {
  TGridGroupDataTreeEx* tree = TreeOf(FDataGrouping.get());
  while (Node && Node->Parent() && Node->Parent() != tree->Root() && !tree->GetPathVisible(Node, true))
    Node = Node->Parent();
  SetCurrentGroupNode(Node, ScrollIntoView);
}

void TCustomDBGridEx::SelectGroupNodeOfRecord(int ViewRecNo, bool Exact) {
  TGridGroupDataTreeEx* tree = TreeOf(FDataGrouping.get());
  TGroupDataTreeNodeEx* node = tree->GetNodeByRecordViewNo(ViewRecNo);
  if (!node) return;
  if (Exact)
    SetCurrentGroupNode(node, true);
  else
    SelectVisibleGroupNode(node, true);
}

void TCustomDBGridEx::SyncDataSetToGroupNode() {
  if (!FDataLink->Active() || FInternalUpdatingDatasetPos || !DataGroupingWorks()) return;
  TGroupDataTreeNodeEx* record = FirstRecordNode(FCurGroupDataNode);
  if (!record) return;
  db::TDataSet* ds = FDataLink->DataSet();
  FInternalUpdatingDatasetPos = true;
  try {
    // Record views count from 0, record numbers from 1.
    const int recNo = record->DataSetRecordViewNo() + 1;
    if (ds->RecNo() <= 0)
      ds->SetRecNo(recNo);
    else if (ds->RecNo() != recNo)
      ds->MoveBy(recNo - ds->RecNo());
  } catch (...) {
    FInternalUpdatingDatasetPos = false;
    throw;
  }
  FInternalUpdatingDatasetPos = false;
}

int TCustomDBGridEx::MoveByInGroupTree(int Distance) {
  TGridGroupDataTreeEx* tree = TreeOf(FDataGrouping.get());
  FDataLink->UpdateRecord();
  db::TDataSet* ds = FDataLink->DataSet();
  if (Distance != 0 && ds &&
      (ds->State() == db::dsEdit || ds->State() == db::dsInsert || ds->State() == db::dsSetKey)) {
    if (ds->Modified())
      ds->Post();
    else
      ds->Cancel();
  }
  const int count = tree->FlatVisibleCount();
  // An empty tree has no row to move to: the move stays where it is.
  if (count == 0) return 0;
  const int i = std::max(0, tree->IndexOfVisibleNode(FCurGroupDataNode));
  Distance = std::clamp(Distance, -i, count - 1 - i);
  SetCurrentGroupNode(tree->FlatVisibleNodeAt(i + Distance), true);
  SyncDataSetToGroupNode();
  return Distance;
}

void TCustomDBGridEx::GroupKeyDown(std::uint16_t& Key, ui::TShiftState Shift) {
  if (Shift.Contains(ui::ssShift) || Shift.Contains(ui::ssAlt) || Shift.Contains(ui::ssCtrl)) return;
  TGroupDataTreeNodeEx* node = FCurGroupDataNode;
  switch (Key) {
    case ui::VK_ESCAPE:
      FDataLink->Reset();
      ClearSelection();
      if (!FOptions.Contains(dgAlwaysShowEditor)) LeaveEditorMode();
      if (GridState() == gsRowSizing || GridState() == gsColSizing || GridState() == gsColMoving ||
          FDBGridExState == dgsColSizing || FDBGridExState == dgsRowMoving ||
          FDBGridExState == dgsGroupPanelTitleMoving) {
        ui::TMessage m{};
        m.Msg = ui::WM_CANCELMODE;
        Dispatch(m);
      }
      break;
    case ui::VK_PRIOR:
      MoveBy(-VisibleDataRowCount());
      break;
    case ui::VK_NEXT:
      MoveBy(VisibleDataRowCount());
      break;
    case ui::VK_UP:
      MoveBy(-1);
      break;
    case ui::VK_DOWN:
      MoveBy(1);
      break;
    case ui::VK_LEFT:
      if (node && node->Expanded())
        node->SetExpanded(false);
      else
        ScrollDataArea(-HorzScrollStep(), 0);
      break;
    case ui::VK_RIGHT:
      if (node && !node->Expanded())
        node->SetExpanded(true);
      else
        ScrollDataArea(HorzScrollStep(), 0);
      break;
    case ui::VK_MULTIPLY:
      if (node) node->SetExpanded(!node->Expanded());
      break;
    case ui::VK_ADD:
      if (node) node->SetExpanded(true);
      break;
    case ui::VK_SUBTRACT:
      if (node) node->SetExpanded(false);
      break;
    default:
      return;
  }
}

// --- rows ---------------------------------------------------------------------------------

int TCustomDBGridEx::GroupNodeRowHeight(TGroupDataTreeNodeEx* Node) {
  TGridDataGroupLevelEx* level = Node ? Node->DataGroup() : nullptr;
  ui::TFont* font = level ? level->Font() : Font();
  const int text = TextHeightIn(Canvas(), font);
  if (HandleAllocated() && level && (level->RowHeight() > 0 || level->RowLines() > 0))
    return (level->RowLines() > 0 ? text * level->RowLines() : 0) + level->RowHeight();
  return text + (Flat() ? 1 : 3) + (FOptions.Contains(dgRowLines) ? GridLineWidth() : 0);
}

bool TCustomDBGridEx::HighlightGroupDataCellColor(int, int DataRow, ui::TFont* AFont, TColor& Background,
                                                  TGridDrawState State) {
  const bool current = DataRow + TopDataOffset() == Row();
  if (!current && !State.Contains(gdSelected)) return false;
  if (!FOptions.Contains(dgRowSelect) && !HighlightsFocusedRow() && !FOptionsEx.Contains(dghRowHighlight))
    return false;
  if (GridOrEditorFocused()) {
    Background = clHighlight;
    AFont->SetColor(clHighlightText);
  } else if (current) {
    Background = (!FOptionsEx.Contains(dghHighlightFocus) && !FOptions.Contains(dgAlwaysShowSelection))
                     ? clBtnFace
                     : clBtnShadow;
  } else {
    Background = clBtnFace;
  }
  return true;
}

void TCustomDBGridEx::DrawGroupDataRow(int, int ARow, TRect ARect, TGridDrawState State) {
  const int dataRow = ARow - TopDataOffset();
  TGroupDataTreeNodeEx* node = GroupNodeOfDataRow(dataRow);
  if (!node || node->NodeType() != dntDataGroupEx) return;
  if (std::find(FDrawnGroupList.begin(), FDrawnGroupList.end(), node) != FDrawnGroupList.end()) return;
  TGridGroupDataTreeEx* tree = TreeOf(FDataGrouping.get());
  TCanvas* cv = Canvas();
  auto* level = static_cast<TDBGridExDataGroupLevelEx*>(node->DataGroup());
  const String text = level ? level->GetGroupRowText(node) : String();
  TRect row = CellRangeRect(std::max(FixedCols(), LeftCol()), ARow, ColCount() - 1, ARow);
  row.Top = ARect.Top;
  row.Bottom = ARect.Bottom;
  if (row.Right <= row.Left) row = ARect;
  const TColor lineColor = GridLineColors()->GetCellColor(FIndicatorOffset, ARow);
  TGroupDataTreeNodeEx* next = tree->FlatVisibleNodeAt(dataRow + 1);
  const int nextLevel = next ? next->Level() : 0;
  const int x = DrawOuterLevelBands(cv, FDataGrouping.get(), row, node->Level(), nextLevel, lineColor);
  ui::TFont font;
  font.Assign(level ? level->Font() : Font());
  TColor background = level ? level->Color() : Color();
  HighlightGroupDataCellColor(0, dataRow, &font, background, State);
  TRect button{x, row.Top, x + kLevelIndent, row.Bottom};
  cv->Brush()->SetColor(background);
  cv->FillRect(TRect{x, row.Top, row.Right, row.Bottom});
  const int signHeight = std::min(button.Height(), FStdDefaultRowHeight);
  DrawTreeElement(cv, TRect{button.Left, button.Top, button.Right, button.Top + signHeight},
                  node->Expanded() ? 3 : 7, UseRightToLeftAlignment(), 1, 1, false);
  cv->Brush()->SetColor(node->Expanded() ? (level ? level->Color() : Color()) : lineColor);
  cv->FillRect(TRect{button.Left, button.Bottom - 1, button.Right, button.Bottom});
  TRect textRect{button.Right, row.Top, row.Right, row.Bottom - 1};
  {
    core_detail::FontScope scope(cv, &font);
    cv->Brush()->SetColor(background);
    WriteCellText(textRect, true, 0, 0, text, ui::taLeftJustify, ui::tlTop, false, false, 2, 0, false);
  }
  cv->Brush()->SetColor(lineColor);
  cv->FillRect(TRect{button.Right, row.Bottom - 1, row.Right, row.Bottom});
  if (ARow == Row() && HoldsFocus() && !FOptions.Contains(dgRowSelect) && !Designing() && FUpdateLock == 0)
    cv->DrawFocusRect(textRect);
  FDrawnGroupList.push_back(node);
}

void TCustomDBGridEx::DrawExtraFirstColumnArea(int ARow, TRect ARect) {
  const int dataRow = ARow - TopDataOffset();
  TGroupDataTreeNodeEx* node = GroupNodeOfDataRow(dataRow);
  TCanvas* cv = Canvas();
  const TColor lineColor = GridLineColors()->GetCellColor(FIndicatorOffset, ARow);
  TRect area{ARect.Left, ARect.Top, ARect.Left + FExtraFirstColumnWidth, ARect.Bottom};
  cv->Brush()->SetColor(Color());
  cv->FillRect(area);
  cv->Brush()->SetColor(lineColor);
  cv->FillRect(TRect{area.Left, area.Bottom - 1, area.Right, area.Bottom});
  if (!node) return;
  TGroupDataTreeNodeEx* next = TreeOf(FDataGrouping.get())->FlatVisibleNodeAt(dataRow + 1);
  const int nextLevel = next ? next->Level() : 0;
  DrawOuterLevelBands(cv, FDataGrouping.get(), area, node->Level(), nextLevel, lineColor);
}

// --- the grouping panel ------------------------------------------------------------------

void TCustomDBGridEx::GroupLevelsRebuilt() {
  TGridDataGroupLevelEx* level = FInTitleFilterListboxGroupLevel;
  if (!level || !FDataGrouping || IsDestroying()) return;
  for (int i = 0; i < FDataGrouping->ActiveGroupLevelsCount(); ++i)
    if (FDataGrouping->ActiveGroupLevelAt(i) == level) return;
  // Its item is gone from the panel; the list must not act for it.
  CloseTitleFilterListbox(false);
  FInTitleFilterListboxGroupLevel = nullptr;
}

void TCustomDBGridEx::UpdateGroupPanelIndent() {
  if (FInTitleFilterListboxGroupLevel && !(FDataGrouping && FDataGrouping->GroupPanelVisible())) {
    CloseTitleFilterListbox(false);
    FInTitleFilterListboxGroupLevel = nullptr;
  }
  int indent = 0;
  if (FDataGrouping && FDataGrouping->GroupPanelVisible()) {
    LayoutGroupPanelItems();
    const int n = FDataGrouping->ActiveGroupLevelsCount();
    indent = n > 0 ? FDataGrouping->ActiveGroupLevelAt(n - 1)->GroupPanelRect().Bottom + 5 : 30;
  }
  OutBoundaryData()->SetTopIndent(indent);
  RelayoutGrid();
}

void TCustomDBGridEx::LayoutGroupPanelItems() {
  TCanvas* cv = Canvas();
  core_detail::FontScope scope(cv, Font());
  const int o = cv->TextWidth(u"o");
  const int h = cv->TextHeight(u"Wg") + FInterlinear + 3;
  int filterButton = 0;
  if (FSTFilter->Visible() && FSTFilter->Location() == stflInTitleFilterEx) {
    TRect button;
    PointInCellButton(TPoint{}, TRect{0, 0, 1000, h}, button);
    filterButton = button.Width();
  }
  int x = o, y = 2 * o / 3;
  for (int i = 0; i < FDataGrouping->ActiveGroupLevelsCount(); ++i) {
    TGridDataGroupLevelEx* level = FDataGrouping->ActiveGroupLevelAt(i);
    auto* column = dynamic_cast<TColumnEx*>(level->Column());
    const String caption = column ? column->Title()->Caption() : String();
    const int w = cv->TextWidth(caption) + FInterlinear + 3 + 16 + filterButton;
    level->SetGroupPanelRect(TRect{x, y, x + w, y + h});
    x += w + 2 * o / 3;
    y += h / 2;
  }
}

void TCustomDBGridEx::DrawGroupPanel(int LevelIndex, TRect ARect) {
  TGridDataGroupLevelEx* level = FDataGrouping->ActiveGroupLevelAt(LevelIndex);
  auto* column = dynamic_cast<TColumnEx*>(level->Column());
  if (!column) return;
  TCanvas* cv = Canvas();
  const bool pressed =
      FDBGridExState == dgsGroupPanelTitleDown && FPressedDataGroupLevelIdx == LevelIndex && FPressed;
  cv->Brush()->SetColor(column->Title()->Color());
  cv->FillRect(ARect);
  Draw3DCellEdge(cv, ARect, true, true, pressed, pressed);
  TDBGirdDrawTitleStateEx ts{};
  ts.Caption = column->Title()->Caption();
  ts.BackColor = column->Title()->Color();
  ts.SortMarker = level->SortOrder() == soAscEx ? smUpEx : smDownEx;
  ts.Down = pressed;
  ts.The3DRect = true;
  ts.DrawFilterButton = FSTFilter->Visible() && FSTFilter->Location() == stflInTitleFilterEx;
  ts.FilterButtonDown = FInTitleFilterListboxVisible && FInTitleFilterListboxGroupLevel == level;
  TRect inner{ARect.Left + 1, ARect.Top + 1, ARect.Right - 1, ARect.Bottom - 1};
  TGridDrawState state;
  if (FHotGroupPanelLevel == LevelIndex) state.Include(gdHotTrack);
  DrawTitleContents(column, inner, ts, state);
}

void TCustomDBGridEx::PaintOutBoundary(const TRect& Rect) {
  const bool top = Rect.Top == 0 && FDataGrouping && FDataGrouping->GroupPanelVisible() &&
                   Rect.Height() == OutBoundaryData()->TopIndent();
  if (!top) {
    TCustomGridEx::PaintOutBoundary(Rect);
    return;
  }
  TCanvas* cv = Canvas();
  cv->Brush()->SetColor(MixColors(FixedColor(), GridLineColors()->GetDarkColor(), 85));
  cv->FillRect(Rect);
  cv->Brush()->SetColor(GridLineColors()->GetDarkColor());
  cv->FillRect(TRect{Rect.Left, Rect.Bottom - 1, Rect.Right, Rect.Bottom});
  const int n = FDataGrouping->ActiveGroupLevelsCount();
  if (n == 0) {
    core_detail::FontScope scope(cv, Font());
    cv->Font()->SetColor(clBtnShadow);
    cv->Brush()->SetStyle(ui::bsClear);
    cv->TextOut(Rect.Height() / 6, Rect.Height() / 6, u"Drag a column header here to group by that column");
    cv->Brush()->SetStyle(ui::bsSolid);
    return;
  }
  for (int i = 0; i < n; ++i) {
    const TRect r = FDataGrouping->ActiveGroupLevelAt(i)->GroupPanelRect();
    DrawGroupPanel(i, r);
    if (i + 1 < n) {
      // A two-segment line down and right to the next item.
      const TRect next = FDataGrouping->ActiveGroupLevelAt(i + 1)->GroupPanelRect();
      cv->Brush()->SetColor(clBlack);
      const int x = r.Left + (next.Left - r.Left) / 2;
      cv->FillRect(TRect{x, r.Bottom, x + 1, next.Top + next.Height() / 2 + 1});
      cv->FillRect(TRect{x, next.Top + next.Height() / 2, next.Left, next.Top + next.Height() / 2 + 1});
    }
  }
}

int TCustomDBGridEx::GroupPanelDropPosition(int X, int& Marker) {
  const int n = FDataGrouping->ActiveGroupLevelsCount();
  core_detail::FontScope scope(Canvas(), Font());
  const int half = Canvas()->TextWidth(u"o") / 2;
  int i = 0;
  while (i < n) {
    const TRect r = FDataGrouping->ActiveGroupLevelAt(i)->GroupPanelRect();
    if ((r.Left + r.Right) / 2 > X) break;
    ++i;
  }
  if (i < n)
    Marker = FDataGrouping->ActiveGroupLevelAt(i)->GroupPanelRect().Left - half;
  else if (n > 0)
    Marker = FDataGrouping->ActiveGroupLevelAt(n - 1)->GroupPanelRect().Right + half;
  else
    Marker = half * 2;
  return i;
}

void TCustomDBGridEx::StartGroupPanelMoving(int LevelIndex, int X) {
  EndMouseTracking();
  FGroupDataMovingIndex = LevelIndex;
  int marker = 0;
  FGroupPanelDropIndex = GroupPanelDropPosition(X, marker);
  if (HandleAllocated() && !Designing()) {
    const int h = std::max(1, OutBoundaryData()->TopIndent() - 4);
    SharedGridMoveLine()->StartShow(this, ClientToScreen(TPoint{marker, 2}), h, true);
  }
  FDBGridExState = dgsGroupPanelTitleMoving;
}

void TCustomDBGridEx::TrackGroupPanelMoving(int X, int Y) {
  if (FDBGridExState != dgsGroupPanelTitleMoving) return;
  if (Y < OutBoundaryData()->TopIndent()) {
    int marker = 0;
    FGroupPanelDropIndex = GroupPanelDropPosition(X, marker);
    if (TGridMoveLineEx* line = ExistingGridMoveLine())
      if (line->Visible()) line->MoveToFor(this, ClientToScreen(TPoint{marker, 2}));
    return;
  }
  // Below the panel the drag turns into a move of the column among the
  // titles; a level's column comes back when that move is dropped.
  TColumnEx* column = nullptr;
  if (FGroupDataMovingIndex >= 0 && FGroupDataMovingIndex < FDataGrouping->ActiveGroupLevelsCount())
    column = dynamic_cast<TColumnEx*>(FDataGrouping->ActiveGroupLevelAt(FGroupDataMovingIndex)->Column());
  else if (FGroupDataMovingIndex < 0 && FToMoveColumnIndex >= 0 && FToMoveColumnIndex < FColumns->Count())
    column = FColumns->ColumnAt(FToMoveColumnIndex);
  EndGroupPanelMoving(false);
  if (!column) return;
  FToMoveColumnIndex = column->Index();
  if (RowPanelActive()) {
    // A row panel has one title cell; the column's own panel cell is dragged
    // over it instead.
    if (!FOptionsEx.Contains(dghColumnMove)) return;
    SetMouseCapture(true);
    BeginRowPanelColumnDrag(column->Index(), X, Y);
    return;
  }
  const int gridCol = DataColToGridCol(column->Index());
  if (!FOptionsEx.Contains(dghColumnMove) || gridCol >= ColCount()) return;
  TGridDrawMetricsEx info;
  FillDrawInfo(info);
  StartColumnMove(gridCol, X, Y, info);
}

void TCustomDBGridEx::EndGroupPanelMoving(bool Apply) {
  if (TGridMoveLineEx* line = ExistingGridMoveLine()) line->HideWindow();
  FDBGridExState = dgsNormal;
  if (!Apply) return;
  {
    TGridDataGroupLevelsEx* levels = FDataGrouping->GroupLevels();
    const int drop = FGroupPanelDropIndex;
    if (FGroupDataMovingIndex < 0) {
      if (FToMoveColumnIndex < 0 || FToMoveColumnIndex >= FColumns->Count()) return;
      TColumnEx* column = FColumns->ColumnAt(FToMoveColumnIndex);
      // The new level goes before the active level at the drop index.
      int at = levels->Count();
      if (drop < FDataGrouping->ActiveGroupLevelsCount())
        at = FDataGrouping->ActiveGroupLevelAt(drop)->Index();
      levels->BeginUpdate();
      auto* level = static_cast<TGridDataGroupLevelEx*>(levels->Insert(at));
      level->SetColumn(column);
      levels->EndUpdate();
      column->SetVisible(false);
    } else {
      TGridDataGroupLevelEx* level = FDataGrouping->ActiveGroupLevelAt(FGroupDataMovingIndex);
      int target = drop;
      if (target > FGroupDataMovingIndex) --target;
      if (target == FGroupDataMovingIndex) return;
      const int to =
          FDataGrouping->ActiveGroupLevelAt(std::min(target, FDataGrouping->ActiveGroupLevelsCount() - 1))
              ->Index();
      level->SetIndex(to);
      FDataGrouping->CheckGroupLevelsChanged();
    }
  }
  FGroupDataMovingIndex = -1;
  UpdateGroupPanelIndent();
}

void TCustomDBGridEx::GroupPanelMouseDown(ui::TMouseButton Button, ui::TShiftState, int X, int Y) {
  if (Button != ui::mbLeft || !FDataGrouping) return;
  for (int i = 0; i < FDataGrouping->ActiveGroupLevelsCount(); ++i) {
    TGridDataGroupLevelEx* level = FDataGrouping->ActiveGroupLevelAt(i);
    TRect r = level->GroupPanelRect();
    r = TRect{r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1};
    if (!r.Contains(TPoint{X, Y})) continue;
    auto* column = dynamic_cast<TColumnEx*>(level->Column());
    TRect button;
    if (column && GroupPanelFilterButtonAt(i, TPoint{X, Y}, button)) {
      // A second press on the same item's button closes its list; a press on
      // another item's moves the list there.
      const bool own = FInTitleFilterListboxVisible && FInTitleFilterListboxGroupLevel == level;
      if (FInTitleFilterListboxVisible) CloseTitleFilterListbox(false);
      FTrackingStateRect = button;
      if (!own && !FInTitleFilterListboxVisible) {
        ShowTitleFilterListboxAt(column, level->GroupPanelRect());
        FInTitleFilterListboxGroupLevel = level;
        InvalidateTitle();
      }
      OutBoundaryData()->InvalidateOutBoundary(cbtTopEx);
      return;
    }
    if (!column || !column->Title()->TitleButton() || !CheckTitleButton(column->Index(), column) ||
        Designing()) {
      StartGroupPanelMoving(i, X);
      return;
    }
    if (!MouseCapture()) return;
    FTracking = true;
    FPressed = true;
    FPressedDataCol = column->Index();
    FPressedDataGroupLevelIdx = i;
    FDBGridExState = dgsGroupPanelTitleDown;
    OutBoundaryData()->InvalidateOutBoundary(cbtTopEx);
    return;
  }
}

void TCustomDBGridEx::GroupPanelTitleMouseUp(int X, int Y) {
  const int i = FPressedDataGroupLevelIdx;
  const bool pressed = FDBGridExState == dgsGroupPanelTitleDown && FPressed;
  EndMouseTracking();
  FDBGridExState = dgsNormal;
  FPressed = false;
  FPressedDataGroupLevelIdx = -1;
  OutBoundaryData()->InvalidateOutBoundary(cbtTopEx);
  if (!pressed || i < 0 || i >= FDataGrouping->ActiveGroupLevelsCount()) return;
  TGridDataGroupLevelEx* level = FDataGrouping->ActiveGroupLevelAt(i);
  if (!level->GroupPanelRect().Contains(TPoint{X, Y})) return;
  auto* column = dynamic_cast<TColumnEx*>(level->Column());
  if (column) TitleBtnClick(DataColToGridCol(column->Index()), column);
  level->SetSortOrder(level->SortOrder() == soAscEx ? soDescEx : soAscEx);
  if (FCurGroupDataNode) SelectVisibleGroupNode(FCurGroupDataNode, true);
}

bool TCustomDBGridEx::ValidateColumnMove(int& From, int& To, TPoint P) {
  const bool ok = TCustomGridEx::ValidateColumnMove(From, To, P);
  // A level dragged off the grouping panel gives its column back.
  if (ok && FGroupDataMovingIndex >= 0 && FDataGrouping &&
      FGroupDataMovingIndex < FDataGrouping->ActiveGroupLevelsCount()) {
    TGridDataGroupLevelEx* level = FDataGrouping->ActiveGroupLevelAt(FGroupDataMovingIndex);
    if (auto* column = dynamic_cast<TColumnEx*>(level->Column())) column->SetVisible(true);
    delete level;
    FGroupDataMovingIndex = -1;
  }
  return ok;
}

bool TCustomDBGridEx::GroupRowMouseDown(int X, int Y) {
  const TGridCoord cell = MouseCoord(X, Y);
  TGroupDataTreeNodeEx* node = GroupNodeOfDataRow(cell.Y - TopDataOffset());
  if (!node || node->NodeType() != dntDataGroupEx) return false;
  TRect row = CellRangeRect(std::max(FixedCols(), LeftCol()), cell.Y, ColCount() - 1, cell.Y);
  const int buttonLeft = row.Left + (node->Level() - 1) * kLevelIndent;
  SetCurrentGroupNode(node, true);
  if (X >= buttonLeft && X < buttonLeft + kLevelIndent) node->SetExpanded(!node->Expanded());
  return true;
}

// --- records and events -------------------------------------------------------------------

void TCustomDBGridEx::DataInsert() {
  db::TDataSet* ds = FDataLink->DataSet();
  if (!ds) return;
  if (DataGroupingWorks()) {
    const int view = FIntMemTable->CurrentRecordView();
    if (view >= 0) FDataGrouping->SetInsertingKeyValue(FDataGrouping->GetKeyValueForViewRecNo(view));
  }
  ds->Insert();
}

void TCustomDBGridEx::DataAppend() {
  if (db::TDataSet* ds = FDataLink->DataSet()) ds->Append();
}

bool TCustomDBGridEx::HandleGroupingRecordEvent(int RecNum, TMemTableRecordEventKindEx Kind, int OldRecNum) {
  if (!DataGroupingWorks()) {
    FCurGroupDataNode = nullptr;
    return false;
  }
  TGridGroupDataTreeEx* tree = TreeOf(FDataGrouping.get());
  const int top = TopDataOffset();
  switch (Kind) {
    case mtrInsertedEx:
      tree->RecordInserted(RecNum);
      break;
    case mtrChangedEx:
      tree->RecordChanged(RecNum);
      break;
    case mtrDeletedEx:
      tree->RecordDeleted(RecNum);
      break;
    case mtrMovedEx:
      if (RecNum + top < RowCount() && OldRecNum + top < RowCount() && RecNum >= 0 && OldRecNum >= 0)
        ShiftRow(OldRecNum + top, RecNum + top);
      break;
    case mtrAllChangedEx:
      FCurGroupDataNode = nullptr;
      tree->RebuildDataTreeEx(FIntMemTable);
      if (!FInternalUpdatingDatasetPos) FollowDataSetInGroupTree(FIntMemTable->CurrentRecordView());
      break;
  }
  return true;
}

void TCustomDBGridEx::FollowDataSetInGroupTree(int ViewRecNo) {
  // The dataset is already on the record: selecting its row must not move it.
  FInternalUpdatingDatasetPos = true;
  try {
    SelectGroupNodeOfRecord(ViewRecNo, false);
  } catch (...) {
    FInternalUpdatingDatasetPos = false;
    throw;
  }
  FInternalUpdatingDatasetPos = false;
}

void TCustomDBGridEx::ColumnDestroying(TColumnEx* Column) {
  if (FDataGrouping) FDataGrouping->ColumnDestroying(Column);
}

void TCustomDBGridEx::GroupingRowCountChanged() {
  if (!DataGroupingWorks()) return;
  TGridGroupDataTreeEx* tree = TreeOf(FDataGrouping.get());
  int count = TopDataOffset() + tree->FlatVisibleCount();
  if (FIntMemTable->RecordViewCount() == 0 || tree->FlatVisibleCount() == 0) ++count;
  ChangeRowCount(count);
  if (FCurGroupDataNode && tree->IndexOfVisibleNode(FCurGroupDataNode) < 0) FCurGroupDataNode = nullptr;
  UpdateAllGridDataRowHeights();
  RecalcScrollRanges();
  Invalidate();
}

}  // namespace grid
