// The title area: title cells with their captions, images, sort markers,
// sort indexes, in-title filter buttons and vertical captions; the shared
// header cells of multi-titles; the frame of the filter row's cells; the
// backgrounds of fixed cells.
#include <algorithm>

#include "grid/columns/columns/column_ex.h"
#include "grid/columns/columns/column_title_ex.h"
#include "grid/columns/columns/db_grid_columns_ex.h"
#include "grid/columns/filters/st_column_filter_ex.h"
#include "grid/columns/filters/st_db_grid_ex_filter.h"
#include "grid/core/custom_db_grid_ex.h"
#include "grid/core/db_grid_ex_module.h"
#include "grid/core/db_grid_ex_style.h"
#include "grid/core/db_grid_ex_title_state.h"
#include "grid/core/grid_core_internal.h"
#include "grid/core/grid_images.h"
#include "platform/runtime/convert.h"
#include "platform/ui/themes.h"

namespace grid {

using namespace ui;

void TCustomDBGridEx::FitSortMarker(int AreaWidth, int ImageWidth, int IndexWidth, bool& DrawMarker,
                                    bool& DrawIndex) {
  // A narrow title gives up the index first, then the marker.
  DrawMarker = true;
  DrawIndex = IndexWidth > 0;
  if (AreaWidth - 16 - (DrawIndex ? IndexWidth : 0) >= ImageWidth) return;
  DrawIndex = false;
  if (AreaWidth - 16 >= ImageWidth) return;
  DrawMarker = false;
}

bool TCustomDBGridEx::DrawFixedCell(int ACol, int ARow, TGridDrawState State, TRect ARect, bool IsTitle,
                                    int DataCol) {
  TCanvas* cv = Canvas();
  TCellAreaTypeEx area;
  int dataCol = 0, dataRow = 0;
  GetCellType(ACol, ARow, area, dataCol, dataRow);
  TColumnEx* column = DataCol >= 0 && DataCol < FColumns->Count() ? FColumns->ColumnAt(DataCol) : nullptr;
  const bool inSelection = IsCellSelected(ACol, ARow, DataCol);
  if (STFilterRowCount() > 0 && ARow == TopDataOffset() - 1 && column && ColumnHasFilterCell(DataCol)) {
    TRect textRect = ARect;
    const bool hasButton = column->STFilter()->AcceptsFilter();
    const int buttonWidth = Flat() ? FlatButtonWidth : EditorSystemMetrics().VScrollWidth;
    if (hasButton) textRect.Right -= buttonWidth + (Flat() ? 1 : 0);
    cv->SetFont(Font());
    cv->Font()->SetColor(clBlue);
    TColor back = MixColors(clWindow, FixedColor(), 8);
    const bool highlighted =
        HighlightNonDataCellColor(ACol, ARow, cv->Font(), back, inSelection, State, area, dataRow, DataCol);
    cv->Brush()->SetColor(back);
    WriteCellText(textRect, true, 2, 2, ColumnFilterText(DataCol), taLeftJustify, column->Layout(), false, false, 0,
                  0, false);
    if (hasButton) {
      TRect button{textRect.Right, ARect.Top, ARect.Right, ARect.Bottom};
      if (Flat()) {
        cv->Pen()->SetColor(FixedLineColor());
        cv->MoveTo(textRect.Right, ARect.Top);
        cv->LineTo(textRect.Right, ARect.Bottom);
        button.Left += 1;
      }
      cv->FillRect(button);
      if (FInplaceEditorButtonHeight > 0 && button.Height() > FInplaceEditorButtonHeight)
        button.Bottom = button.Top + FInplaceEditorButtonHeight;
      const int transparency = ComponentState().Contains(csDesigning) ? 30
                               : FFilterEditMode                      ? 0
                               : State.Contains(gdHotTrack)           ? 30
                                                                      : 80;
      DrawCellEditButton(button, EditButtonFaceStyle(ebsDropDownEx), transparency, false);
    }
    return highlighted;
  }
  TColor back = IsTitle && column ? column->Title()->Color() : FixedColor();
  const bool highlighted =
      HighlightNonDataCellColor(ACol, ARow, cv->Font(), back, inSelection, State, area, dataRow, DataCol);
  cv->Brush()->SetColor(back);
  const bool themedFixed = ThemesEnabled() && !Flat() && FOptionsEx.Contains(dghFixed3D);
  if (!themedFixed) cv->FillRect(ARect);
  return highlighted;
}

void TCustomDBGridEx::DrawMultiTitleCell(int ACol, int ARow, TCellAreaTypeEx AreaType, TGridDrawState State,
                                         TRect ARect, int DataRow, int DataCol) {
  TCanvas* cv = Canvas();
  const bool is3D = IsCell3D(ACol, ARow, State, ARect);
  const bool themed = UsesThemedFixedCell(is3D);
  if (DataCol < 0 || DataCol >= FColumns->Count()) {
    cv->Brush()->SetColor(FixedColor());
    cv->FillRect(ARect);
    return;
  }
  TColumnEx* column = FColumns->ColumnAt(DataCol);
  TDBGirdDrawTitleStateEx ts;
  ts.BackColor = column->Title()->Color();
  if (AreaType.Vert == 1) {
    ts.CellMultiSelected = IsCellSelected(ACol, ARow, DataCol);
    if (themed)
      DrawThemedCellBackground(core_detail::Adjust3DRect(ARect, is3D, themed, Flat()), ts.BackColor,
                               ts.CellMultiSelected);
    const bool highlighted = DrawFixedCell(ACol, ARow, State, ARect, false, DataCol);
    if (is3D && !themed) Draw3DCellEdge(cv, ARect, true, true, highlighted, false);
    return;
  }
  ts.Down = FPressedDataCol == DataCol && FDBGridExState == dgsNormal && FPressed;
  THeadTreeNode* leaf = FUseMultiTitle && DataCol < static_cast<int>(FLeafFieldArr.size())
                            ? FLeafFieldArr[static_cast<std::size_t>(DataCol)].FLeaf
                            : nullptr;
  ts.MultyTitle = leaf != nullptr;
  TRect rect = ARect;
  if (leaf) {
    if (FOptions.Contains(dgColLines)) {
      --rect.Right;
      cv->Pen()->SetColor(FixedLineColor());
      cv->MoveTo(rect.Right, rect.Bottom - leaf->Height);
      cv->LineTo(rect.Right, rect.Bottom);
    }
    ts.Caption = leaf->Text;
    rect.Top = rect.Bottom - leaf->Height + 1;
  } else {
    ts.Caption = column->Title()->Caption();
  }
  ts.DrawFilterButton = FSTFilter->Visible() && FSTFilter->Location() == stflInTitleFilterEx;
  ts.FilterButtonDown = (FInTitleFilterListboxVisible && !FInTitleFilterListboxGroupLevel &&
                         FInTitleFilterListboxColumn == column) ||
                        (FDBGridExState == dgsTitleFilterButtonDown && FPressedDataCol == DataCol);
  ts.SortMarker = column->Title()->SortMarker();
  ts.DrawSortIndex = true;
  if (FTitleImages && column->Title()->ImageIndex() != -1) ts.Caption.clear();
  if (column->Field() && OnGetBtnParams) OnGetBtnParams(this, column, cv->Font(), ts.BackColor, ts.SortMarker, ts.Down);
  cv->SetFont(column->Title()->Font());
  if (column->Field() && OnGetBtnParams) OnGetBtnParams(this, column, cv->Font(), ts.BackColor, ts.SortMarker, ts.Down);
  ts.CellMultiSelected = IsCellSelected(ACol, ARow, DataCol);
  ts.Highlight = HighlightNonDataCellColor(ACol, ARow, cv->Font(), ts.BackColor, ts.CellMultiSelected, State,
                                           AreaType, DataRow, DataCol);
  ts.FontCharset = cv->Font()->Charset();
  ts.FontColor = cv->Font()->Color();
  ts.FontSize = cv->Font()->Size();
  ts.FontName = cv->Font()->Name();
  ts.FontStyle = cv->Font()->Style();
  ts.WordWrap = FUseMultiTitle || FTitleHeight != 0 || FTitleLines != 0;
  ts.Orientation = column->Title()->Orientation();
  ts.The3DRect = is3D;
  ts.DrawByThemes = themed;
  DrawTitleContents(column, rect, ts, State);
  if (leaf && leaf->Host && leaf->Host != FHeadTree.get()) {
    cv->SetFont(TitleFont());
    cv->Brush()->SetColor(ts.BackColor);
    DrawParentHeader(leaf, rect, ARect, ts.Highlight, is3D, themed);
  }
}

void TCustomDBGridEx::DrawParentHeader(THeadTreeNode* Child, TRect ChildRect, TRect CellRect, bool Highlight,
                                       bool Is3D, bool Themed) {
  THeadTreeNode* parent = Child->Host;
  if (!parent || parent == FHeadTree.get()) return;
  TCanvas* cv = Canvas();
  const int lines = FOptions.Contains(dgColLines) ? 1 : 0;
  TRect r;
  r.Bottom = ChildRect.Top - (FOptions.Contains(dgRowLines) ? 1 : 0);
  r.Top = r.Bottom - parent->Height;
  r.Left = ChildRect.Left;
  for (THeadTreeNode* n = parent->Child; n && n != Child; n = n->Next) r.Left -= n->Width + lines;
  r.Right = r.Left + parent->Width;
  if (!parent->Drawed) {
    TRect visible{std::max(r.Left, CellRect.Left), r.Top, std::min(r.Right, CellRect.Right), r.Bottom};
    if (r.Right > CellRect.Right) ++visible.Right;
    if (FOptionsEx.Contains(dghFixed3D)) {
      ++r.Top;
      ++visible.Top;
    }
    const int saved = cv->SaveDC();
    cv->IntersectClipRect(visible);
    const TRect inner = core_detail::Adjust3DRect(r, Is3D, Themed, Flat());
    if (Themed)
      DrawThemedCellBackground(inner, cv->Brush()->Color(), Highlight);
    else
      cv->FillRect(inner);
    WriteCellText(inner, false, 2, 1, parent->Text, taCenter, tlCenter, true, false, 0, 0, false);
    if (Is3D && !Themed) Draw3DCellEdge(cv, r, true, true, Highlight, false);
    cv->RestoreDC(saved);
    cv->Pen()->SetColor(FixedLineColor());
    if (FOptions.Contains(dgRowLines)) {
      cv->MoveTo(visible.Left, r.Bottom);
      cv->LineTo(visible.Right, r.Bottom);
    }
    if (lines && r.Right < visible.Right + 1) {
      cv->MoveTo(r.Right, r.Top);
      cv->LineTo(r.Right, r.Bottom + 1);
    }
  }
  DrawParentHeader(parent, r, CellRect, Highlight, Is3D, Themed);
}

void TCustomDBGridEx::DrawTitleContents(TColumnEx* Column, TRect ARect, TDBGirdDrawTitleStateEx& TS,
                                        TGridDrawState State) {
  TCanvas* cv = Canvas();
  cv->SetFont(Column->Title()->Font());
  cv->Font()->SetColor(TS.FontColor);
  cv->Brush()->SetColor(TS.BackColor);
  int dx = 2;
  TRect rect = ARect;
  if (TS.The3DRect) {
    rect = core_detail::Adjust3DRect(ARect, true, TS.DrawByThemes, Flat());
    dx = 1;
  }
  const int dy = Flat() ? dx - 1 : dx;
  TRect textRect = rect;
  TRect button{};
  if (TS.DrawFilterButton) {
    int bw = Flat() ? FlatButtonWidth + (ThemesEnabled() ? 0 : 1) : EditorSystemMetrics().VScrollWidth;
    bw = std::min(bw, (rect.Right - rect.Left) / 2);
    button = {rect.Right - bw, rect.Top, rect.Right, rect.Bottom};
    if (FInplaceEditorButtonHeight > 0 && button.Bottom - button.Top > FInplaceEditorButtonHeight) {
      button.Top = (rect.Top + rect.Bottom - FInplaceEditorButtonHeight) / 2;
      button.Bottom = button.Top + FInplaceEditorButtonHeight;
    }
    textRect.Right = button.Left;
  }
  TImageList* images = FTitleImages;
  const bool hasImage = images && Column->Title()->ImageIndex() != -1;
  const int imageWidth = hasImage ? images->Width() : 0;
  const String caption = hasImage ? String() : TS.Caption;
  int offset = 0;
  if (TS.Down) offset = TS.MultyTitle || FTitleHeight != 0 || FTitleLines != 0 ? 2 : 1;

  bool drawMarker = false, drawIndex = false;
  String indexText;
  int indexWidth = 0, markerSpace = 0;
  if (TS.SortMarker != smNoneEx) {
    if (TS.DrawSortIndex && FSortMarkedColumns.size() >= 2) {
      indexText = rtl::IntToStr(Column->Title()->SortIndex());
      core_detail::FontScope scope(cv, SortMarkerFont ? SortMarkerFont : cv->Font());
      indexWidth = cv->TextWidth(indexText);
    }
    FitSortMarker(textRect.Right - textRect.Left, imageWidth, indexWidth, drawMarker, drawIndex);
    markerSpace = (drawMarker ? 16 : 2) + (drawIndex ? indexWidth : 0);
    if (!drawMarker) markerSpace = 0;
  }
  const TRect markerRect{textRect.Right - markerSpace, textRect.Top, textRect.Right, textRect.Bottom};
  textRect.Right -= markerSpace;

  const bool themedBackground = TS.DrawByThemes || (Flat() && ThemesEnabled());
  if (themedBackground) {
    DrawThemedCellBackground(rect, TS.BackColor, TS.CellMultiSelected || TS.Down);
  } else {
    cv->FillRect(markerRect);
    cv->FillRect(textRect);
  }
  cv->Brush()->SetColor(TS.BackColor);

  if (TS.Orientation == tohVertical) {
    // Bottom to top, from the lower left corner of the text area.
    const int saved = cv->SaveDC();
    cv->IntersectClipRect(textRect);
    cv->Font()->SetOrientation(900);
    const TBrushStyle style = cv->Brush()->Style();
    cv->Brush()->SetStyle(bsClear);
    const int th = cv->TextHeight(caption);
    const int x = (textRect.Left + textRect.Right - th) / 2 + offset;
    cv->TextOut(x, textRect.Bottom - 2 + offset, caption);
    cv->Brush()->SetStyle(style);
    cv->Font()->SetOrientation(0);
    cv->RestoreDC(saved);
  } else if (!caption.empty()) {
    TRect r = textRect;
    r.Top += offset;
    WriteCellText(r, false, dx, dy, caption, Column->Title()->Alignment(), TS.WordWrap ? tlCenter : tlTop,
                  TS.WordWrap, Column->Title()->EndEllipsis(), offset, 0, false);
  }
  if (hasImage) {
    int x = (textRect.Left + textRect.Right - imageWidth) / 2;
    if (!TS.MultyTitle) {
      if (Column->Title()->Alignment() == taLeftJustify) x = textRect.Left + dx;
      if (Column->Title()->Alignment() == taRightJustify) x = textRect.Right - dx - imageWidth;
    }
    images->Draw(cv, x + offset, (textRect.Top + textRect.Bottom - images->Height()) / 2 + offset,
                 Column->Title()->ImageIndex());
  }
  if (drawMarker && GridSortMarkerImages) {
    const int w = GridSortMarkerImages->Width(), h = GridSortMarkerImages->Height();
    const int right = markerRect.Right - (drawIndex ? indexWidth : 0);
    GridSortMarkerImages->Draw(cv, right - 2 - w + offset, (markerRect.Top + markerRect.Bottom - h) / 2 + offset,
                               TS.SortMarker == smDownEx ? 0 : 1);
    if (drawIndex) {
      core_detail::FontScope scope(cv, SortMarkerFont ? SortMarkerFont : cv->Font());
      if (TS.Highlight) cv->Font()->SetColor(clWhite);
      const TBrushStyle style = cv->Brush()->Style();
      cv->Brush()->SetStyle(bsClear);
      cv->TextOut(right + offset, (markerRect.Top + markerRect.Bottom - cv->TextHeight(indexText)) / 2 + offset,
                  indexText);
      cv->Brush()->SetStyle(style);
    }
  }
  if (TS.DrawFilterButton) {
    cv->FillRect({button.Left, rect.Top, button.Right, rect.Bottom});
    const TRect b{button.Left + offset, button.Top + offset, button.Right + offset, button.Bottom + offset};
    const int transparency = TS.FilterButtonDown ? 0 : State.Contains(gdHotTrack) ? 30 : 80;
    DrawCellEditButton(b, EditButtonFaceStyle(FStyle ? FStyle->InTitleFitlerButtonStyle() : ebsDropDownEx),
                       transparency, TS.FilterButtonDown);
    if (Column->STFilter()->ExpressionRef().Operator1 != foNon)
      DrawFilterActiveSign({textRect.Right - 6, textRect.Top, textRect.Right, textRect.Top + 6}, TS.Highlight);
  }
  if (TS.The3DRect && !TS.DrawByThemes) {
    cv->Brush()->SetColor(TS.BackColor);
    Draw3DCellEdge(cv, ARect, true, true, TS.Highlight, TS.Down);
  }
}

// A small funnel in the corner of a title whose column is filtered.
void TCustomDBGridEx::DrawFilterActiveSign(TRect R, bool Selected) {
  TCanvas* cv = Canvas();
  cv->Pen()->SetColor(Selected ? clWhite : cl3DDkShadow);
  for (int i = 0; i < 3; ++i) {
    cv->MoveTo(R.Left + i, R.Top + i);
    cv->LineTo(R.Right - i, R.Top + i);
  }
  cv->MoveTo(R.Left + 2, R.Top + 3);
  cv->LineTo(R.Left + 2, R.Bottom);
  cv->MoveTo(R.Left + 3, R.Top + 3);
  cv->LineTo(R.Left + 3, R.Bottom - 1);
}

}  // namespace grid
