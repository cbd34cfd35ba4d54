// Data cells: each cell sent to the painter of its kind, the record of a
// row read through the data link's window, the cell's parameters, colours
// and highlight, the 3D and themed fills, text, images, check boxes,
// pictures, in-cell buttons, the required-field marker and the hiding of
// repeated values.
#include <cmath>

#include "grid/columns/columns/column_ex.h"
#include "grid/columns/columns/db_grid_columns_ex.h"
#include "grid/columns/selection/db_grid_ex_selection.h"
#include "grid/core/custom_db_grid_ex.h"

#include "grid/columns/grouping/db_grid_ex_data_groups_ex.h"
#include "grid/columns/grouping/grid_group_data_tree_ex.h"
#include "grid/core/db_grid_ex_module.h"
#include "grid/core/db_grid_ex_style.h"
#include "grid/core/grid_core_internal.h"
#include "grid/core/grid_data_link_ex.h"
#include "grid/editor_support/tool_routines.h"
#include "platform/data/dataset.h"
#include "platform/ui/forms.h"
#include "platform/ui/themes.h"

namespace grid {

using namespace ui;

namespace {

// The line above a cell and the one below it: the row lines a repeated
// value hides.
constexpr int kEraseAbove = 1, kEraseBelow = 2;

}  // namespace

void TCustomDBGridEx::GetCellType(int ACol, int ARow, TCellAreaTypeEx& AreaType, int& DataCol, int& DataRow) {
  AreaType = {};
  AreaType.Horz = ACol < FIndicatorOffset ? 0 : 1;
  DataCol = ACol - FIndicatorOffset;
  const int titles = TitleRowCount(), top = TopDataOffset();
  if (ARow < titles) {
    AreaType.Vert = 0;
    DataRow = ARow;
  } else if (ARow < titles + STFilterRowCount()) {
    AreaType.Vert = 1;
    DataRow = ARow - titles;
  } else if (ARow < top) {
    throw rtl::Exception(u"Algorithm error in TCustomDBGridEx.GetCellType");
  } else if (ARow < RowCount()) {
    AreaType.Vert = 2;
    DataRow = ARow - top;
  } else {
    AreaType.Vert = 4;
    DataRow = ARow - RowCount();
  }
}

bool TCustomDBGridEx::UsesThemedFixedCell(bool Is3D) const { return Is3D && ThemesEnabled() && !Flat(); }

int TCustomDBGridEx::SetDrawRecord(int DataRow) {
  if (FIntMemTable && FDataLink->Active()) {
    // A memory table reads the row's record without moving anything.
    int view = DataRow;
    FDrawNodeStack.push_back(FDrawGroupDataNode);
    if (DataGroupingWorks()) {
      TGroupDataTreeNodeEx* node = GroupNodeOfDataRow(DataRow);
      FDrawGroupDataNode = node;
      while (node && node->NodeType() != dntDataSetRecordEx) node = node->ChildAt(0);
      view = node ? node->DataSetRecordViewNo() : -1;
    }
    if (FDrawRecordDepth++ == 0) FRealActiveRecord = FDataLink->ActiveRecord();
    try {
      FIntMemTable->InstantReadEnter(view);
    } catch (...) {
      --FDrawRecordDepth;
      FDrawGroupDataNode = FDrawNodeStack.back();
      FDrawNodeStack.pop_back();
      throw;
    }
    return kInstantReadRecord;
  }
  const int old = FDataLink->ActiveRecord();
  if (FDrawRecordDepth++ == 0) FRealActiveRecord = old;
  if (DataRow != old) FDataLink->SetActiveRecord(DataRow);
  return old;
}

void TCustomDBGridEx::RestoreDrawRecord(int OldActiveRecord) {
  if (OldActiveRecord == kInstantReadRecord) {
    if (FDrawRecordDepth > 0) --FDrawRecordDepth;
    if (!FDrawNodeStack.empty()) {
      FDrawGroupDataNode = FDrawNodeStack.back();
      FDrawNodeStack.pop_back();
    }
    if (FIntMemTable) FIntMemTable->InstantReadLeave();
    return;
  }
  if (FDataLink->ActiveRecord() != OldActiveRecord) FDataLink->SetActiveRecord(OldActiveRecord);
  if (FDrawRecordDepth > 0) --FDrawRecordDepth;
}

int TCustomDBGridEx::CurrentDataRow() const {
  if (FIntMemTable) return Row() - const_cast<TCustomDBGridEx*>(this)->TopDataOffset();
  return FDrawRecordDepth > 0 ? FRealActiveRecord : FDataLink->ActiveRecord();
}

void TCustomDBGridEx::PaintCell(int ACol, int ARow, TGridDrawState AState, TRect ARect) {
  TCellAreaTypeEx area;
  int dataCol = 0, dataRow = 0;
  GetCellType(ACol, ARow, area, dataCol, dataRow);
  if (PaintPanelsAndGroups(ACol, ARow, area, AState, ARect, dataRow, dataCol)) return;
  if (area.Horz == 0)
    DrawIndicatorCell(ACol, ARow, area, AState, ARect, dataRow, dataCol);
  else if (area.Vert == 4)
    DrawFooterCell(ACol, ARow, area, AState, ARect, dataRow, dataCol);
  else if (area.Vert == 2)
    DrawDataCell(ACol, ARow, area, AState, ARect, dataRow, dataCol);
  else
    DrawMultiTitleCell(ACol, ARow, area, AState, ARect, dataRow, dataCol);
}

void TCustomDBGridEx::DrawDataCell(int ACol, int ARow, TCellAreaTypeEx, TGridDrawState State, TRect ARect,
                                   int DataRow, int DataCol) {
  TCanvas* cv = Canvas();
  if (DataCol < 0 || DataCol >= FColumns->Count()) return;
  TColumnEx* column = FColumns->ColumnAt(DataCol);
  cv->SetFont(column->Font());
  cv->Brush()->SetColor(column->Color());
  const int rows = !FIntMemTable                ? FDataLink->RecordCount()
                   : DataGroupingWorks()         ? DataGrouping()->GroupDataTree()->FlatVisibleCount()
                                                 : FIntMemTable->RecordViewCount();
  if (!FDataLink->Active() || DataRow < 0 || DataRow >= rows) {
    cv->FillRect(ARect);
    return;
  }
  const int oldActive = SetDrawRecord(DataRow);
  try {
    db::TDataSet* ds = FDataLink->DataSet();
    if (column->Color() == Color() && FOddRowColor != FEvenRowColor && ds->IsSequenced())
      cv->Brush()->SetColor(ds->RecNo() % 2 == 1 ? FOddRowColor : FEvenRowColor);
    TColCellParamsEx& p = *FColCellParamsEx;
    p.SetState(State);
    p.SetFont(cv->Font());
    p.SetAlignment(column->Alignment());
    p.SetBackground(cv->Brush()->Color());
    p.SetSuppressActiveCellColor(false);
    p.SetText(column->DisplayText());
    p.SetImageIndex(column->GetImageIndex());
    p.SetCheckboxState(column->CheckboxState());
    p.SetBlankCell(false);
    p.SetReadOnly(!column->CanModify(false));
    p.SetCol(ACol);
    p.SetRow(ARow);
    p.FCellRect = ARect;
    p.SetTextEditing(column->TextEditing());
    TColor background = p.Background();
    GetCellParams(column, cv->Font(), background, State);
    p.SetBackground(background);
    column->GetColCellParams(false, p);
    bool processed = false;
    const TGridCoord cell{ACol, ARow}, areaCell{DataCol, DataRow};
    if (OnAdvDrawDataCell) OnAdvDrawDataCell(this, cell, areaCell, column, ARect, p, processed);
    if (!processed && column->OnAdvDrawDataCell)
      column->OnAdvDrawDataCell(this, cell, areaCell, column, ARect, p, processed);
    if (!processed) DefaultDrawColumnDataCell(cell, areaCell, p, ARect, column);
    // Only the focused cell looks for its form.
    auto activeControl = [this] {
      TCustomForm* form = GetParentForm(this);
      return !form || form->ActiveControl() == this;
    };
    if (FDefaultDrawing && State.Contains(gdFocused) && GridOrEditorFocused() && !Designing() &&
        !FOptions.Contains(dgRowSelect) && FUpdateLock == 0 && activeControl() && FStyle &&
        FStyle->IsDrawFocusRect())
      cv->DrawFocusRect(ARect);
  } catch (...) {
    RestoreDrawRecord(oldActive);
    throw;
  }
  RestoreDrawRecord(oldActive);
}

using core_detail::Adjust3DRect;

namespace {

// Where a single-line cell text is written, shortened with an ellipsis
// when it must be.
struct SingleLineText {
  String Text;
  int X;
  int Y;
};

SingleLineText PlaceSingleLine(TCanvas* Canvas, const TRect& ARect, int DX, int DY, const String& Text,
                               TAlignment Alignment, TTextLayout Layout, bool EndEllipsis) {
  String text = Text;
  const int width = ARect.Right - ARect.Left;
  if (EndEllipsis && Canvas->TextWidth(text) > width - DX) {
    while (!text.empty() && Canvas->TextWidth(text + u"...") > width - DX) text.pop_back();
    text += u"...";
  }
  const int tw = Canvas->DrawnTextWidth(text), th = Canvas->TextHeight(text);
  int x = ARect.Left + DX;
  if (Alignment == taRightJustify) x = ARect.Right - tw - 3;
  if (Alignment == taCenter) x = ARect.Left + width / 2 - tw / 2;
  int y = ARect.Top;
  if (th < ARect.Bottom - ARect.Top - DY) {
    if (Layout == tlCenter) y = (ARect.Top + ARect.Bottom) / 2 - th / 2 - DY;
    if (Layout == tlBottom) y = ARect.Bottom - th - DY;
  }
  return {text, x, y + DY};
}

}  // namespace


void TCustomDBGridEx::DefaultDrawColumnDataCell(TGridCoord Cell, TGridCoord AreaCell, TColCellParamsEx& Params,
                                                TRect AreaRect, TColumnEx* Column) {
  TCanvas* cv = Canvas();
  bool is3D = IsCell3D(Cell.X, Cell.Y, Params.State(), AreaRect);
  if (Params.BlankCell() && !is3D) is3D = FOptionsEx.Contains(dghFixed3D);
  const bool themed = UsesThemedFixedCell(is3D);
  const TRect full = AreaRect;
  TRect rect = Adjust3DRect(AreaRect, is3D, themed, Flat());
  const int dx = is3D ? 1 : 2;
  const int dy = Flat() ? dx - 1 : dx;
  const bool buttons = !Params.BlankCell() && CellShowsEditButtons(Column, AreaCell.Y, AreaCell.X);
  TRect buttonArea{};
  if (buttons) {
    const int w = std::min(CellEditButtonsWidth(Column), std::max(0, rect.Right - rect.Left));
    buttonArea = {rect.Right - w, rect.Top, rect.Right, rect.Bottom};
    rect.Right -= w;
  }
  if (Params.BlankCell() && !Params.SuppressActiveCellColor()) Params.SetBackground(FixedColor());

  const bool currentRow = FDataLink->Active() && AreaCell.Y == CurrentDataRow();
  const bool isCurrent = currentRow && (FOptions.Contains(dgRowSelect) || Cell.X == Col());
  if (!(Params.SuppressActiveCellColor() && isCurrent)) {
    TColor bg = Params.Background();
    if (HighlightDataCellColor(AreaCell.X, AreaCell.Y, Params.Font(), bg, Params.State(), Params.Text())) {
      TGridDrawState st = Params.State();
      st.Include(gdSelected);
      Params.SetState(st);
    }
    Params.SetBackground(bg);
  }
  const bool highlighted = Params.State().Contains(gdSelected);
  cv->Brush()->SetColor(Params.Background());

  if (Column->HideDuplicates() && !Params.BlankCell()) {
    const int erase = HideDuplicateValue(Column, AreaCell.Y, Params);
    if (FOptions.Contains(dgRowLines) && erase != 0) {
      const int lw = GridLineWidth();
      cv->Brush()->SetColor(Column->Color());
      if (erase & kEraseAbove) cv->FillRect({full.Left, full.Top - lw, full.Right, full.Top});
      if (erase & kEraseBelow) cv->FillRect({full.Left, full.Bottom, full.Right, full.Bottom + lw});
      cv->Brush()->SetColor(Params.Background());
    }
  }

  if (!Params.BlankCell() && FDefaultDrawing && rect.Right > rect.Left && rect.Bottom > rect.Top) {
    const bool filled = CheckFillDataCell(Cell, AreaCell, Params, AreaRect, Column);
    cv->Brush()->SetColor(Params.Background());
    const TColumnExType type = Column->GetColumnType();
    TImageList* images = Column->ImageList();
    if (images && Column->ShowImageAndText()) {
      const TRect imageArea{rect.Left, rect.Top, std::min(rect.Right, rect.Left + images->Width() + 4), rect.Bottom};
      if (!filled) cv->FillRect(imageArea);
      const int saved = cv->SaveDC();
      cv->IntersectClipRect(imageArea);
      images->Draw(cv, imageArea.Left + 2, (rect.Top + rect.Bottom - images->Height()) / 2, Params.ImageIndex());
      cv->RestoreDC(saved);
      TRect textRect = rect;
      textRect.Left = imageArea.Right + 1;
      if (textRect.Right > textRect.Left)
        WriteCellText(textRect, !filled, dx, dy, Params.Text(), Params.Alignment(), Column->Layout(),
                      Column->WordWrap() && FAllowWordWrap, Column->EndEllipsis(), 0, 0, false);
    } else if (type == ctKeyImageList) {
      if (!filled) cv->FillRect(rect);
      if (images) {
        const int saved = cv->SaveDC();
        cv->IntersectClipRect(rect);
        images->Draw(cv, (rect.Left + rect.Right - images->Width()) / 2,
                     (rect.Top + rect.Bottom - images->Height()) / 2, Params.ImageIndex());
        cv->RestoreDC(saved);
      }
    } else if (type == ctCheckboxes) {
      if (!filled) cv->FillRect(rect);
      const TRect box = AlignCheckBoxRect(rect, taCenter, tlCenter);
      const int saved = cv->SaveDC();
      cv->IntersectClipRect(rect);
      PaintCellButton(cv, box, Params.Background(), bcsCheckboxEx, 0, Flat(), false, true, static_cast<ui::TCheckBoxState>(Params.CheckboxState()));
      cv->RestoreDC(saved);
    } else if (type == ctGraphicData) {
      DrawGraphicDataCell(Column, rect);
    } else {
      const int lineHeight = cv->TextHeight(u"Wg");
      const bool wrap = Column->WordWrap() && rect.Bottom - rect.Top >= 2 * lineHeight;
      WriteCellText(themed ? full : rect, !filled, dx, dy, Params.Text(), Params.Alignment(), Column->Layout(), wrap,
                    Column->EndEllipsis(), 0, 0, false);
    }
  }

  if (buttons) {
    const bool focusedLook = Params.State().Contains(gdFocused) ||
                             (FOptionsEx.Contains(dghRowHighlight) && currentRow);
    int transparency = 80;
    if (!FilterEditorActive() && focusedLook)
      transparency = 0;
    else if (Designing() || Params.State().Contains(gdHotTrack))
      transparency = 30;
    cv->Brush()->SetColor(Params.Background());
    cv->FillRect(buttonArea);
    TRect b = buttonArea;
    const TDrawButtonControlStyleEx style = CellDefaultButtonStyle(Column);
    const int defaultWidth = FInplaceEditorButtonWidth > 0 ? FInplaceEditorButtonWidth : FlatButtonWidth;
    auto drawOne = [&](TDrawButtonControlStyleEx S, int W) {
      TRect r{b.Left, b.Top, std::min(b.Right, b.Left + W), b.Top + std::min(FInplaceEditorButtonHeight > 0 ? FInplaceEditorButtonHeight : b.Bottom - b.Top, b.Bottom - b.Top)};
      if (Flat() && is3D && !ThemesEnabled()) {
        cv->FillRect({r.Left, r.Top, r.Left + 1, r.Bottom});
        ++r.Left;
      }
      DrawCellEditButton(r, S, transparency, false);
      b.Left += W;
    };
    if (style != kNoCellButton) drawOne(style, defaultWidth);
    for (int i = 0; i < Column->EditButtons()->Count(); ++i) {
      TEditButtonEx* eb = Column->EditButtons()->Items(i);
      if (!eb->Visible()) continue;
      drawOne(EditButtonFaceStyle(eb->Style()), eb->Width() < 1 ? defaultWidth : eb->Width());
    }
  }

  if (!Params.BlankCell() && Column->HighlightRequired() && currentRow) {
    db::TDataSet* ds = FDataLink->DataSet();
    db::TField* field = Column->Field();
    if (ds && field && (ds->State() == db::dsEdit || ds->State() == db::dsInsert) && field->Required() &&
        field->IsNull()) {
      bool draw = true;
      if (Column->OnCheckDrawRequiredState) Column->OnCheckDrawRequiredState(Column, Params.Text(), draw);
      if (draw) {
        cv->Pen()->SetColor(static_cast<TColor>(0x0000FF));
        DrawDottedLine(cv, {full.Left + 2, full.Bottom - 2}, full.Right - 3 - (full.Left + 2), false, true);
      }
    }
  }

  if (FColumns->State() == csDefault) DrawDataCellEvent(AreaRect, Column->Field(), Params.State());
  DrawColumnCell(AreaRect, AreaCell.X, Column, Params.State());

  if (!Params.BlankCell() && FInplaceSearching && currentRow && Cell.X == Col() && !Designing() &&
      FUpdateLock == 0 && (FOptions.Contains(dgAlwaysShowSelection) || GridOrEditorFocused())) {
    TCustomForm* form = GetParentForm(this);
    if (form && form->ActiveControl() == this) {
      const bool wrap = Column->WordWrap() && rect.Bottom - rect.Top >= 2 * cv->TextHeight(u"Wg");
      DrawInplaceSearchMatch(themed ? full : rect, dx, dy, Params.Text(), Params.Alignment(), Column->Layout(), wrap,
                             Column->EndEllipsis());
    }
  }

  if (Params.BlankCell()) {
    cv->Brush()->SetColor(Params.Background());
    DrawThemedCellBackground(Adjust3DRect(full, is3D, themed, Flat()), Params.Background(), highlighted);
  }
  if (is3D && !themed) {
    cv->Brush()->SetColor(Params.Background());
    Draw3DCellEdge(cv, full, true, true, highlighted, false);
  }
}

int TCustomDBGridEx::HideDuplicateValue(TColumnEx* Column, int DataRow, TColCellParamsEx& Params) {
  // The neighbours are read from the link's window only: the first and the
  // last visible rows always show their values.
  auto neighbourText = [&](int Row, String& Text) {
    if (Row < 0 || Row >= FDataLink->RecordCount()) return false;
    static TColCellParamsEx neighbour;
    const int old = SetDrawRecord(Row);
    try {
      neighbour.SetFont(SpareFont());
      neighbour.SetText(Column->DisplayText());
      neighbour.SetImageIndex(Column->GetImageIndex());
      neighbour.SetBlankCell(false);
      Column->GetColCellParams(false, neighbour);
    } catch (...) {
      RestoreDrawRecord(old);
      throw;
    }
    RestoreDrawRecord(old);
    Text = neighbour.Text();
    return true;
  };
  int erase = 0;
  String text;
  if (neighbourText(DataRow - 1, text) && text == Params.Text()) {
    Params.SetText(String());
    Params.SetImageIndex(-1);
    erase |= kEraseAbove;
  }
  if (neighbourText(DataRow + 1, text) && text == Column->DisplayText()) erase |= kEraseBelow;
  return erase;
}

bool TCustomDBGridEx::CheckFillDataCell(TGridCoord Cell, TGridCoord AreaCell, TColCellParamsEx& Params,
                                        TRect AreaRect, TColumnEx*) {
  TCanvas* cv = Canvas();
  const bool is3D = IsCell3D(Cell.X, Cell.Y, Params.State(), AreaRect);
  const bool themed = UsesThemedFixedCell(is3D);
  const bool selected = Params.State().Contains(gdSelected);
  const TRect rect = Adjust3DRect(AreaRect, is3D, themed, Flat());
  if (ThemesEnabled()) {
    const bool currentRow = FDataLink->Active() && AreaCell.Y == CurrentDataRow();
    const bool rowHighlight = FOptionsEx.Contains(dghRowHighlight);
    const bool hotRow = FHotTrackCell.Y == Cell.Y;
    if ((currentRow && rowHighlight && !Params.State().Contains(gdCurrent)) ||
        Params.State().Contains(gdHotTrack) || (hotRow && rowHighlight)) {
      const TColor brush = cv->Brush()->Color();
      if (Params.State().Contains(gdFocused))
        cv->FillRect(rect);
      else
        FillVerticalGradient(cv, rect, MixColors(brush, clBtnHighlight, 85), brush);
      return true;
    }
  }
  if (is3D && !selected && (themed || (Flat() && ThemesEnabled()))) {
    DrawThemedCellBackground(rect, cv->Brush()->Color(), selected);
    return true;
  }
  return false;
}

void TCustomDBGridEx::DrawThemedCellBackground(TRect ARect, TColor Color, bool Pressed) {
  TCanvas* cv = Canvas();
  cv->Brush()->SetColor(Color);
  if (!ThemesEnabled()) {
    cv->FillRect(ARect);
    return;
  }
  if (Flat()) {
    FillVerticalGradient(cv, ARect, BlendColorsPercent(clBtnFace, clWhite, 10),
                         BlendColorsPercent(clBtnFace, clBlack, 5));
    cv->Brush()->SetStyle(bsClear);
    return;
  }
  DrawThemedToolButtonOnGround(cv, ARect, Pressed ? tsPressed : tsHot, Color);
}

// --- highlight colours ---------------------------------------------------------------

bool TCustomDBGridEx::IsCellSelected(int ACol, int ARow, int DataCol) const {
  TDBGridExSelection* sel = FSelection.get();
  if (!sel || sel->SelectionType() == gstNon) return false;
  if (sel->SelectionType() == gstAll) return true;
  const int top = const_cast<TCustomDBGridEx*>(this)->TopDataOffset();
  const bool dataRow = ARow >= top && ARow < RowCount();
  if (!dataRow) {
    if (sel->SelectionType() != gstColumns || DataCol < 0 || DataCol >= FColumns->Count()) return false;
    return sel->Columns()->IndexOf(FColumns->ColumnAt(DataCol)) >= 0;
  }
  if (!FDataLink->Active() || ARow - top >= FDataLink->RecordCount()) return false;
  if (ACol < FIndicatorOffset && sel->SelectionType() != gstRecordBookmarks) return false;
  auto* self = const_cast<TCustomDBGridEx*>(this);
  const int old = self->SetDrawRecord(ARow - top);
  bool selected = false;
  try {
    selected = sel->DataCellSelected(ACol < FIndicatorOffset ? -1 : DataCol, FDataLink->DataSet()->GetBookmark());
  } catch (...) {
    self->RestoreDrawRecord(old);
    throw;
  }
  self->RestoreDrawRecord(old);
  return selected;
}

bool TCustomDBGridEx::HighlightDataCellColor(int DataCol, int DataRow, TFont* AFont, TColor& AColor,
                                             TGridDrawState State, const String& Text) {
  const bool inSelection = IsCellSelected(DataCol + FIndicatorOffset, DataRow + TopDataOffset(), DataCol);
  if (FStyle)
    return FStyle->HighlightDataCellColor(this, DataCol + FIndicatorOffset, DataRow + TopDataOffset(), DataCol,
                                          DataRow, Text, State, inSelection, AColor, AFont);
  core_detail::THighlightFacts f = core_detail::HighlightFacts(this, DataCol + FIndicatorOffset, DataRow, State,
                                                               inSelection);
  if (!f.Selected) return false;
  if (GridOrEditorFocused()) {
    AColor = clHighlight;
    AFont->SetColor(clHighlightText);
  } else if (f.Current) {
    if (FOptions.Contains(dgAlwaysShowSelection) || f.FocusHighlight) {
      AColor = clBtnShadow;
      AFont->SetColor(clHighlightText);
    }
  } else {
    AColor = clBtnFace;
  }
  return true;
}

bool TCustomDBGridEx::HighlightNonDataCellColor(int ACol, int ARow, TFont* AFont, TColor& AColor,
                                                bool InSelection, TGridDrawState State, TCellAreaTypeEx AreaType,
                                                int DataRow, int DataCol) {
  if (FStyle)
    return FStyle->HighlightNonDataCellColor(this, ACol, ARow, DataCol, DataRow, String(), State, InSelection,
                                             AColor, AFont);
  if (!InSelection) return false;
  if (AreaType.Horz == 0 || AreaType.Vert <= 1) {
    AColor = static_cast<TColor>(0x404040);
    AFont->SetColor(clWhite);
  } else if (GridOrEditorFocused()) {
    AColor = clHighlight;
    AFont->SetColor(clHighlightText);
  } else {
    AColor = clBtnFace;
  }
  return true;
}

namespace core_detail {

THighlightFacts HighlightFacts(TCustomDBGridEx* Grid, int ACol, int DataRow, TGridDrawState State,
                               bool InSelection) {
  THighlightFacts f;
  const TDBGridOptions options = Grid->Options();
  const bool rowSelect = options.Contains(dgRowSelect);
  f.CurrentRow = Grid->DataLink()->Active() && DataRow == Grid->CurrentDataRow();
  f.Current = f.CurrentRow && (rowSelect || ACol == Grid->Col());
  f.Selected = InSelection;
  if (!f.Selected) {
    const bool always = options.Contains(dgAlwaysShowSelection);
    f.FocusHighlight = Grid->GridOrEditorFocused() && Grid->OptionsEx().Contains(dghHighlightFocus);
    if (Grid->OptionsEx().Contains(dghRowHighlight) && f.CurrentRow && ACol != Grid->Col() &&
        (f.FocusHighlight || always)) {
      f.FocusHighlight = true;
      State.Include(gdSelected);
    }
    f.Selected = (State.Contains(gdSelected) || (f.CurrentRow && rowSelect)) && (always || f.FocusHighlight) &&
                 (Grid->UpdateLock() == 0 || rowSelect);
  }
  return f;
}

}  // namespace core_detail

// --- text -----------------------------------------------------------------------------

void TCustomDBGridEx::WriteCellText(TRect ARect, bool FillRect, int DX, int DY, const String& Text,
                                    TAlignment Alignment, TTextLayout Layout, bool MultyL, bool EndEllipsis,
                                    int LeftMarg, int RightMarg, bool RightToLeftAlignment) {
  TCanvas* cv = Canvas();
  // The grid paints on a mirrored canvas right to left, which already puts
  // a left-aligned text at the reading start; only an explicitly
  // right-to-left column swaps its sides.
  if (RightToLeftAlignment) {
    if (Alignment == taLeftJustify)
      Alignment = taRightJustify;
    else if (Alignment == taRightJustify)
      Alignment = taLeftJustify;
    std::swap(LeftMarg, RightMarg);
  }
  const TBrushStyle brushStyle = cv->Brush()->Style();
  if (MultyL || LeftMarg != 0 || RightMarg != 0) {
    if (FillRect) cv->FillRect(ARect);
    TRect r{ARect.Left + DX + LeftMarg, ARect.Top + DY, ARect.Right - DX - RightMarg, ARect.Bottom};
    unsigned flags = DT_NOPREFIX | DT_EXPANDTABS;
    flags |= Alignment == taRightJustify ? DT_RIGHT : Alignment == taCenter ? DT_CENTER : DT_LEFT;
    flags |= MultyL ? DT_WORDBREAK : DT_SINGLELINE;
    if (EndEllipsis) flags |= DT_END_ELLIPSIS;
    if (Layout != tlTop) {
      TRect calc = r;
      cv->DrawText(Text, calc, flags | DT_CALCRECT);
      const int h = calc.Bottom - calc.Top, area = r.Bottom - r.Top;
      if (h < area) r.Top = Layout == tlCenter ? r.Top + area / 2 - h / 2 : r.Bottom - h;
    }
    const int saved = cv->SaveDC();
    cv->IntersectClipRect(ARect);
    cv->Brush()->SetStyle(bsClear);
    cv->DrawText(Text, r, flags);
    cv->Brush()->SetStyle(brushStyle);
    cv->RestoreDC(saved);
    return;
  }
  const SingleLineText line = PlaceSingleLine(cv, ARect, DX, DY, Text, Alignment, Layout, EndEllipsis);
  if (!FillRect) cv->Brush()->SetStyle(bsClear);
  cv->TextRect(ARect, line.X, line.Y, line.Text);
  cv->Brush()->SetStyle(brushStyle);
}

void TCustomDBGridEx::DrawInplaceSearchMatch(TRect ARect, int DX, int DY, const String& Text, TAlignment Alignment,
                                             TTextLayout Layout, bool WordWrap, bool EndEllipsis) {
  const String match = Text.substr(0, std::min(Text.size(), FInplaceSearchText.size()));
  if (match.empty() || ARect.Right <= ARect.Left) return;
  TCanvas* cv = Canvas();
  const TColor oldFont = cv->Font()->Color();
  const TColor oldBrush = cv->Brush()->Color();
  const TBrushStyle oldStyle = cv->Brush()->Style();
  cv->Font()->SetColor(InplaceSearchHighlightTextColor);
  cv->Brush()->SetColor(InplaceSearchHighlightColor);
  cv->Brush()->SetStyle(bsSolid);
  const int saved = cv->SaveDC();
  cv->IntersectClipRect(ARect);
  if (WordWrap) {
    // The match starts the first line, so it lies where the text's own first
    // characters were drawn.
    TRect r{ARect.Left + DX, ARect.Top + DY, ARect.Right - DX, ARect.Bottom};
    unsigned flags = DT_NOPREFIX | DT_EXPANDTABS | DT_WORDBREAK;
    flags |= Alignment == taRightJustify ? DT_RIGHT : Alignment == taCenter ? DT_CENTER : DT_LEFT;
    if (Layout != tlTop) {
      TRect calc = r;
      cv->DrawText(Text, calc, flags | DT_CALCRECT);
      const int h = calc.Bottom - calc.Top, area = r.Bottom - r.Top;
      if (h < area) r.Top = Layout == tlCenter ? r.Top + area / 2 - h / 2 : r.Bottom - h;
    }
    TRect box = r;
    cv->DrawText(match, box, (flags & ~static_cast<unsigned>(DT_RIGHT | DT_CENTER)) | DT_CALCRECT);
    const int w = box.Right - box.Left;
    TRect first = r;
    cv->DrawText(Text, first, (flags & ~static_cast<unsigned>(DT_WORDBREAK)) | DT_SINGLELINE | DT_CALCRECT);
    const int lineWidth = std::min(first.Right - first.Left, r.Right - r.Left);
    int x = r.Left;
    if (Alignment == taRightJustify) x = r.Right - lineWidth;
    if (Alignment == taCenter) x = r.Left + (r.Right - r.Left - lineWidth) / 2;
    cv->TextRect({x, r.Top, std::min(x + w, ARect.Right), std::min(r.Top + (box.Bottom - box.Top), ARect.Bottom)},
                 x, r.Top, match);
  } else {
    // Placed as the single-line text itself was placed, so the match covers its own letters.
    const SingleLineText line = PlaceSingleLine(cv, ARect, DX, DY, Text, Alignment, Layout, EndEllipsis);
    const String part = line.Text.substr(0, std::min(line.Text.size(), match.size()));
    const int pw = cv->TextWidth(part), th = cv->TextHeight(line.Text);
    cv->TextRect({std::max(line.X, ARect.Left), line.Y, std::min(line.X + pw, ARect.Right),
                  std::min(line.Y + th, ARect.Bottom)},
                 line.X, line.Y, part);
  }
  cv->RestoreDC(saved);
  cv->Font()->SetColor(oldFont);
  cv->Brush()->SetColor(oldBrush);
  cv->Brush()->SetStyle(oldStyle);
}

void TCustomDBGridEx::DefaultDrawDataCell(const TRect& Rect, db::TField* Field, TGridDrawState) {
  TCanvas* cv = Canvas();
  const String text = Field ? Field->DisplayText() : String();
  const int tw = cv->TextWidth(text), w = Rect.Right - Rect.Left;
  const TAlignment a = Field ? static_cast<TAlignment>(Field->Alignment()) : taLeftJustify;
  int x = Rect.Left + 2;
  if (a == taRightJustify) x = Rect.Right - tw - 3;
  if (a == taCenter) x = Rect.Left + w / 2 - tw / 2;
  cv->TextRect(Rect, x, Rect.Top + 2, text);
}

void TCustomDBGridEx::DefaultDrawColumnCell(const TRect& Rect, int, TColumnEx* Column, TGridDrawState) {
  TCanvas* cv = Canvas();
  TRect r = Rect;
  int margin = 2;
  if (FOptionsEx.Contains(dghData3D)) {
    margin = 1;
    r = {r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1};
  }
  const int dy = Flat() ? margin - 1 : margin;
  switch (Column->GetColumnType()) {
    case ctKeyImageList:
      cv->FillRect(r);
      if (TImageList* images = Column->ImageList())
        images->Draw(cv, (r.Left + r.Right - images->Width()) / 2, (r.Top + r.Bottom - images->Height()) / 2,
                     Column->GetImageIndex());
      break;
    case ctCheckboxes:
      cv->FillRect(r);
      PaintCellButton(cv, AlignCheckBoxRect(r, taCenter, tlCenter), cv->Brush()->Color(), bcsCheckboxEx, 0, Flat(),
                      false, true, static_cast<ui::TCheckBoxState>(Column->CheckboxState()));
      break;
    case ctGraphicData:
      DrawGraphicDataCell(Column, r);
      break;
    default: {
      const bool wrap = Column->WordWrap() && r.Bottom - r.Top >= 2 * cv->TextHeight(u"Wg");
      WriteCellText(r, true, margin, dy, Column->DisplayText(), Column->Alignment(), Column->Layout(), wrap,
                    Column->EndEllipsis(), 0, 0, false);
    }
  }
}

// --- pictures and buttons ---------------------------------------------------------------

TRect TCustomDBGridEx::FitPictureRect(int PictureWidth, int PictureHeight, const TRect& Rect) {
  const int rw = Rect.Right - Rect.Left, rh = Rect.Bottom - Rect.Top;
  int w = PictureWidth, h = PictureHeight;
  if (rw > 0 && rh > 0 && (w > rw || h > rh)) {
    const double sx = static_cast<double>(w) / rw, sy = static_cast<double>(h) / rh;
    if (sx > sy) {
      w = rw;
      h = static_cast<int>(std::nearbyint(PictureHeight / sx));
    } else {
      h = rh;
      w = static_cast<int>(std::nearbyint(PictureWidth / sy));
    }
  }
  const int left = Rect.Left + (rw - w) / 2, top = Rect.Top + (rh - h) / 2;
  return {left, top, left + w, top + h};
}

void TCustomDBGridEx::DrawPictureCell(TBitmap* Picture, const TRect& Rect) {
  TCanvas* cv = Canvas();
  cv->FillRect(Rect);
  if (!Picture || Picture->Empty()) return;
  cv->StretchDraw(FitPictureRect(Picture->Width(), Picture->Height(), Rect), Picture);
}

void TCustomDBGridEx::DrawGraphicDataCell(TColumnEx* Column, const TRect& Rect) {
  db::TField* field = Column->Field();
  if (FDrawGraphicData) {
    TPicture picture;
    LoadGraphicFieldPicture(field, picture);
    DrawPictureCell(picture.Bitmap(), Rect);
    return;
  }
  TCanvas* cv = Canvas();
  cv->SetFont(Font());
  WriteCellText(Rect, true, 0, 0, field ? field->DisplayText() : String(), taCenter, tlCenter, false, false, 0, 0,
                false);
}

TDrawButtonControlStyleEx TCustomDBGridEx::CellDefaultButtonStyle(TColumnEx* Column) {
  switch (Column->ButtonStyle()) {
    case cbsEllipsis: return bcsEllipsisEx;
    case cbsUpDown: return bcsUpDownEx;
    case cbsDropDown: return bcsDropDownEx;
    case cbsAltUpDown: return bcsAltUpDownEx;
    case cbsAltDropDown: return bcsAltDropDownEx;
    case cbsNone: return kNoCellButton;
    case cbsAuto: break;
  }
  switch (Column->GetColumnType()) {
    case ctPickList: case ctLookupField: case ctKeyPickList: return bcsDropDownEx;
    default: return kNoCellButton;
  }
}

int TCustomDBGridEx::CellEditButtonsWidth(TColumnEx* Column) {
  const int defaultWidth = FInplaceEditorButtonWidth > 0 ? FInplaceEditorButtonWidth : FlatButtonWidth;
  int w = CellDefaultButtonStyle(Column) != kNoCellButton ? defaultWidth : 0;
  for (int i = 0; i < Column->EditButtons()->Count(); ++i) {
    TEditButtonEx* eb = Column->EditButtons()->Items(i);
    if (eb->Visible()) w += eb->Width() < 1 ? defaultWidth : eb->Width();
  }
  return w;
}

bool TCustomDBGridEx::CellShowsEditButtons(TColumnEx* Column, int DataRow, int DataCol) {
  if (!Column->AlwaysShowEditButton() || CellEditButtonsWidth(Column) == 0) return false;
  const bool currentRow = FDataLink->Active() && DataRow == CurrentDataRow();
  const TEditButtonsShowOptionsEx show = FEditButtonsShowOptions;
  if (show.Contains(sebShowOnlyForCurCellEx) && !(currentRow && DataColToGridCol(DataCol) == Col())) return false;
  if (show.Contains(sebShowOnlyForCurRowEx) && !currentRow) return false;
  if (show.Contains(sebShowOnlyWhenGridActiveEx) && !GridOrEditorFocused()) return false;
  if (show.Contains(sebShowOnlyWhenDataEditingEx)) {
    db::TDataSet* ds = FDataLink->DataSet();
    if (!ds || (ds->State() != db::dsEdit && ds->State() != db::dsInsert)) return false;
  }
  return true;
}

void TCustomDBGridEx::DrawCellEditButton(TRect ARect, TDrawButtonControlStyleEx Style, int Transparency,
                                         bool Pressed) {
  TCanvas* cv = Canvas();
  const TColor back = cv->Brush()->Color();
  if (Transparency <= 0 || !core_detail::DrawBitmap()) {
    PaintCellButton(cv, ARect, back, Style, Pressed ? 1 : 0, Flat(), false, true, ui::cbUnchecked);
    return;
  }
  // The face is blended with the cell's colour under it, which the cell
  // filled just before: the same as blending it onto the cell.
  const int w = ARect.Right - ARect.Left, h = ARect.Bottom - ARect.Top;
  if (w <= 0 || h <= 0) return;
  TBitmap* bmp = core_detail::DrawBitmap();
  if (bmp->Width() < w || bmp->Height() < h) bmp->SetSize(std::max(bmp->Width(), w), std::max(bmp->Height(), h));
  TCanvas* bc = bmp->Canvas();
  bc->Brush()->SetColor(back);
  bc->FillRect({0, 0, w, h});
  DrawEditButtonFace(bc, {0, 0, w, h}, back, Style, Pressed ? 1 : 0, Flat(), false, true, ui::cbUnchecked);
  const int alpha = static_cast<int>((100 - Transparency) * 2.55);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      bc->SetPixel(x, y, MixColors(back, bc->Pixel(x, y), alpha));
  cv->CopyRect(ARect, bc, {0, 0, w, h});
}

}  // namespace grid
