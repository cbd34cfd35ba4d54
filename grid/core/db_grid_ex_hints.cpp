// Tool tips of the data grid: a title's hint text, and the whole text of a
// title, data or footer cell laid exactly over the cell when it does not fit.
#include "grid/columns/columns/column_ex.h"
#include "grid/columns/columns/column_title_ex.h"
#include "grid/columns/columns/db_grid_columns_ex.h"
#include "grid/columns/grouping/grid_group_data_tree_ex.h"
#include "grid/columns/grouping/row_detail_panel_ex.h"
#include "grid/columns/sums/column_footer_ex.h"
#include "grid/core/custom_db_grid_ex.h"
#include "grid/core/db_grid_ex_module.h"
#include "grid/core/grid_core_internal.h"
#include "grid/core/grid_data_link_ex.h"
#include "grid/editors/tool_tips_window.h"
#include "platform/ui/application.h"
#include "platform/ui/hint_window.h"
#include "platform/ui/keys.h"

namespace grid {

using namespace ui;
using core_detail::FontScope;

namespace {

// What a text needs from its cell to be shown whole.
struct TipText {
  String Text;
  TAlignment Alignment = taLeftJustify;
  bool WordWrap = false;
  // A caption running upwards is measured along the cell's height.
  bool Vertical = false;
};

}  // namespace

// The tip covers the text exactly: its position follows the text's alignment.
static TPoint TipPosition(const TRect& R, int FullRight, int TextWidth, TAlignment Alignment, int G) {
  switch (Alignment) {
    case taRightJustify:
      return {FullRight - TextWidth - 6, R.Top - G};
    case taCenter:
      return {FullRight + TextWidth / 2 - TextWidth - (FullRight - R.Left - 4) / 2 - 5, R.Top - G};
    default:
      return {R.Left - 1, R.Top - G};
  }
}

// Whether the text is cut: it does not fit, or a right-aligned text lies in
// a column the window's edge cuts off.
static bool TextNeedsTip(TCanvas* Canvas, const TRect& R, int FullRight, const String& Text,
                         TAlignment Alignment, bool WordWrap, int Interlinear, int& TextWidth) {
  int height = 0;
  const bool exceeds = TextExceedsRect(Canvas, R, Text, 2, Interlinear / 2, WordWrap, TextWidth, height);
  return exceeds || (Alignment == taRightJustify && R.Right < FullRight - 2);
}

String TCustomDBGridEx::ColumnHintText(TColumnEx* Column) {
  db::TField* field = Column->Field();
  int index = -1;
  const TColumnExType type = Column->GetColumnType();
  if (type == ctKeyImageList) {
    index = field ? Column->KeyList()->IndexOf(field->Text()) : -1;
  } else if (type == ctCheckboxes) {
    index = static_cast<int>(Column->CheckboxState());
  } else {
    return field ? field->DisplayText() : String();
  }
  TStrings* pick = Column->PickList();
  return index >= 0 && index < pick->Count() ? (*pick)[index] : String();
}

void TCustomDBGridEx::DefaultFillDataHintShowInfo(TPoint CursorPos, TGridCoord Cell,
                                                  TDBGridExDataHintParams& Params, TColumnEx* Column) {
  String text = ColumnHintText(Column);
  TRect r = Params.CursorRect;
  int fullRight = r.Left + Column->Width();
  if (Column->AlwaysShowEditButton()) {
    fullRight -= CellEditButtonsWidth(Column);
    r.Right = std::min(r.Right, fullRight);
    if (CursorPos.X > r.Right) text.clear();
  }
  // The first column's text starts after the group bands, the tree lines
  // and the detail sign.
  if (!FVisibleColumns.empty() && FVisibleColumns.front() == Column) {
    r.Left += FExtraFirstColumnWidth + GetCellTreeElmentsAreaWidth();
    if (FRowDetailPanel->Active()) r.Left += 18;
  }
  if (Column->ShowImageAndText() && Column->ImageList()) r.Left += Column->ImageList()->Width() + 5;
  const TColumnExType type = Column->GetColumnType();
  TAlignment alignment =
      (type == ctKeyImageList || type == ctCheckboxes) ? taLeftJustify : Column->Alignment();
  const bool wrap = Column->WordWrap() && FAllowWordWrap;
  TFont* font = Params.HintFont;
  font->Assign(Column->Font());
  TColor background = Canvas()->Brush()->Color();
  GetCellParams(Column, font, background, TGridDrawState{});
  FontScope scope(Canvas(), font);
  int width = 0;
  const bool always = type == ctKeyImageList || type == ctCheckboxes;
  if (text.empty() ||
      (!always && !TextNeedsTip(Canvas(), r, fullRight, text, alignment, wrap, FInterlinear, width))) {
    Params.HintStr.clear();
    return;
  }
  if (always) width = Canvas()->TextWidth(text);
  Params.HintStr = text;
  Params.CursorRect = r;
  Params.HintPos = TipPosition(r, fullRight, width, alignment, Flat() ? 2 : 1);
  if (Column->UseRightToLeftAlignment()) Params.HintPos.X = ClientWidth() - Params.HintPos.X;
  if (wrap) Params.HintMaxWidth = r.Width() - 4;
  (void)Cell;
}

TColumnEx* TCustomDBGridEx::RowPanelHintCell(TGridCoord Cell, TPoint P, TRect& R) {
  const bool titleType = Cell.Y < TopDataOffset() || Cell.Y >= RowCount();
  const bool dataType = !titleType;
  // Title and data rows: the cell as painted, also where the grid's own cell
  // rectangle is cut by scrolling.
  const bool painted = Cell.Y < RowCount();
  const TRect bounds = CellBounds(Cell.X, Cell.Y);
  const TRect master = painted ? RowPanelMasterCellRect(Cell.Y) : bounds;
  TColumnEx* column = GetColumnInRowPanelAtPos(TPoint{P.X - master.Left, P.Y - master.Top}, titleType);
  if (!column || !column->Visible()) return nullptr;
  const auto& p = column->RowPlacement();
  const int left = dataType ? p.DataCellLeft : p.Left;
  const TRect inPanel{left, p.Top, left + (dataType ? p.DataCellWidth : p.Width), p.Top + p.Height};
  if (painted) {
    R = RowPanelCellClientRect(Cell.Y, inPanel);
  } else {
    R = TRect{bounds.Left + inPanel.Left, bounds.Top + inPanel.Top, bounds.Left + inPanel.Right,
              bounds.Top + inPanel.Bottom};
    if (column->UseRightToLeftAlignment()) R = MirrorClientRect(R, ClientWidth());
  }
  return column;
}

void TCustomDBGridEx::HandleCmHintShow(TMessage& M) {
  TCustomGridEx::Dispatch(M);
  if (M.Result != 0) return;
  auto* info = reinterpret_cast<THintInfo*>(M.LParam);
  if (!info) return;
  const TGridCoord cell = MouseCoord(FHitTest.X, FHitTest.Y);
  int dataCol = GridColToDataCol(cell.X);
  if (cell.X < FIndicatorOffset || cell.Y < 0 || dataCol >= FColumns->Count()) return;
  TColumnEx* column = FColumns->ColumnAt(dataCol);
  const bool titleRow = cell.Y < TitleRowCount();
  TRect r = CellBounds(cell.X, cell.Y);
  int fullRight = 0;
  const bool panel = RowPanelActive();
  if (panel) {
    // A panel row holds several columns: the hint is the one under the mouse.
    column = RowPanelHintCell(cell, FHitTest, r);
    if (!column) return;
    dataCol = column->Index();
    fullRight = r.Right;
  }
  TColumnTitleEx* title = column->Title();
  if (titleRow && !title->Hint().empty()) {
    info->HintStr = title->Hint().substr(0, title->Hint().find(u'|'));
    info->CursorRect = panel ? r : CellBounds(cell.X, cell.Y);
    return;
  }
  info->HintStr.clear();
  // A tip would get in the way of sizing, and Ctrl asks for none.
  if (GetCaptureControl() || (GetKeyState(VK_CONTROL) & 0x8000)) return;
  if (!panel) {
    if (column->UseRightToLeftAlignment()) r = MirrorClientRect(r, ClientWidth());
    fullRight = r.Left + column->Width();
  }
  const int g = Flat() ? 2 : 1;
  const TPoint inCell{FHitTest.X - r.Left, FHitTest.Y - r.Top};
  const int top = TopDataOffset();
  TipText tip;
  TFont* font = nullptr;
  if (titleRow) {
    if (!title->ToolTips()) return;
    const int mark = title->GetSortMarkingWidth();
    if (mark > 2) {
      r.Right -= mark - 2;
      fullRight -= mark - 2;
    }
    if (IsUseMultiTitle() && dataCol < static_cast<int>(FLeafFieldArr.size())) {
      THeadTreeNode* leaf = FLeafFieldArr[static_cast<std::size_t>(dataCol)].FLeaf;
      r.Top = r.Bottom - leaf->Height;
      // Over a parent caption the leaf's text is not what the mouse points at.
      if (FHitTest.Y < r.Top) return;
      tip.Text = leaf->Text;
    } else {
      tip.Text = title->Caption();
    }
    tip.Vertical = title->Orientation() == tohVertical;
    tip.WordWrap = !tip.Vertical && (IsUseMultiTitle() || FTitleHeight != 0 || FTitleLines != 0);
    tip.Alignment = title->Alignment();
    font = title->Font();
  } else if (cell.Y >= top && cell.Y < top + DataRowCount() && FDataLink->Active()) {
    // A group row has no cell text of its own column.
    if (TGroupDataTreeNodeEx* node = GroupNodeOfDataRow(cell.Y - top); node && node->NodeType() == dntDataGroupEx)
      return;
    // Below the record's own line lies its detail panel.
    if (FRowDetailPanel->Visible() && cell.Y == Row())
      r.Bottom = std::min(r.Bottom, r.Top + DataRowHeight(cell.Y - top));
    TDBGridExDataHintParams params;
    params.HintPos = ScreenToClient(info->HintPos);
    params.HintMaxWidth = info->HintMaxWidth;
    params.HintColor = info->HintColor;
    params.ReshowTimeout = info->ReshowTimeout;
    params.HideTimeout = info->HideTimeout;
    params.CursorRect = r;
    FHintFont->Assign(Screen ? Screen->HintFont() : Font());
    params.HintFont = FHintFont.get();
    const int old = SetDrawRecord(cell.Y - top);
    try {
      bool processed = false;
      if (OnDataHintShow) OnDataHintShow(this, FHitTest, cell, inCell, column, params, processed);
      if (!processed && column->OnDataHintShow)
        column->OnDataHintShow(this, FHitTest, cell, inCell, column, params, processed);
      if (!processed && column->ToolTips()) DefaultFillDataHintShowInfo(FHitTest, cell, params, column);
    } catch (...) {
      RestoreDrawRecord(old);
      throw;
    }
    RestoreDrawRecord(old);
    info->HintPos = ClientToScreen(params.HintPos);
    info->HintMaxWidth = params.HintMaxWidth;
    info->HintColor = params.HintColor;
    info->CursorRect = params.CursorRect;
    info->ReshowTimeout = params.ReshowTimeout;
    info->HideTimeout = params.HideTimeout;
    info->HintStr = params.HintStr;
    info->HintWindowClass = [](TComponent* Owner) -> THintWindow* { return new TToolTipsWindow(Owner); };
    info->HintData = FHintFont.get();
    return;
  } else if (FFooterRowCount > 0 && cell.Y >= RowCount() && cell.Y < FullRowCount()) {
    const int footerRow = cell.Y - RowCount();
    TColumnFooterEx* footer = column->UsedFooter(footerRow);
    if (!footer || !footer->ToolTips()) return;
    tip.Text = GetFooterValue(footerRow, column);
    FHintFont->Assign(footer->Font());
    TColor background = footer->Color();
    tip.Alignment = footer->Alignment();
    GetFooterParams(dataCol, footerRow, column, FHintFont.get(), background, tip.Alignment, TGridDrawState{},
                    tip.Text);
    tip.WordWrap = footer->WordWrap();
    font = FHintFont.get();
  } else {
    return;
  }
  if (font != FHintFont.get()) FHintFont->Assign(font);
  FontScope scope(Canvas(), FHintFont.get());
  int width = 0;
  const TRect measured = tip.Vertical ? TRect{r.Left, r.Top, r.Left + r.Height(), r.Top + r.Width()} : r;
  if (tip.Text.empty() || !TextNeedsTip(Canvas(), measured, tip.Vertical ? measured.Right : fullRight, tip.Text,
                                        tip.Alignment, tip.WordWrap, FInterlinear, width)) {
    info->HintStr.clear();
    return;
  }
  info->HintStr = tip.Text;
  info->CursorRect = r;
  info->HintPos = ClientToScreen(TipPosition(r, fullRight, width, tip.Alignment, g));
  if (tip.WordWrap) info->HintMaxWidth = r.Width() - 4;
  info->HintWindowClass = [](TComponent* Owner) -> THintWindow* { return new TToolTipsWindow(Owner); };
  info->HintData = FHintFont.get();
}

void TCustomDBGridEx::HandleCmHintShowPause(TMessage& M) {
  const TGridCoord cell = MouseCoord(FHitTest.X, FHitTest.Y);
  const int dataCol = GridColToDataCol(cell.X);
  auto* pause = reinterpret_cast<int*>(M.LParam);
  if (!pause || cell.X < FIndicatorOffset || cell.Y < 0 || dataCol >= FColumns->Count()) return;
  TColumnEx* column = FColumns->ColumnAt(dataCol);
  TRect r = CellBounds(cell.X, cell.Y);
  // In a panel row the pause is that of the column under the mouse.
  if (RowPanelActive() && !(column = RowPanelHintCell(cell, FHitTest, r))) return;
  const TPoint inCell{FHitTest.X - r.Left, FHitTest.Y - r.Top};
  int value = Application ? Application->HintPause : 500;
  bool processed = false;
  if (OnHintShowPause) OnHintShowPause(this, FHitTest, cell, inCell, column, value, processed);
  if (!processed && column->OnHintShowPause)
    column->OnHintShowPause(this, FHitTest, cell, inCell, column, value, processed);
  if (!processed) {
    const int top = TopDataOffset();
    bool now = false;
    if (FFooterRowCount > 0 && cell.Y >= RowCount() && cell.Y < FullRowCount()) {
      TColumnFooterEx* footer = column->UsedFooter(cell.Y - RowCount());
      now = footer && footer->ToolTips();
    } else if (cell.Y >= top && FDataLink->Active()) {
      now = column->ToolTips();
    } else if (cell.Y < TitleRowCount()) {
      now = column->Title()->ToolTips() && column->Title()->Hint().empty();
    }
    value = now ? 0 : (Application ? Application->HintPause : 500);
  }
  *pause = value;
}

}  // namespace grid
