// The data grid's keys: navigation over records and columns, extending the
// selection with Shift, Tab and Enter, Escape, inserting and deleting
// records, F2; typed characters; and the decisions whether the in-place
// editor may open and whether the record may go into edit.
#include <algorithm>

#include "grid/columns/columns/column_ex.h"
#include "grid/columns/columns/db_grid_columns_ex.h"
#include "grid/columns/columns/db_grid_inplace_edit.h"
#include "grid/columns/filters/inplace_filter_edit_ex.h"
#include "grid/columns/filters/st_column_filter_ex.h"
#include "grid/columns/filters/st_db_grid_ex_filter.h"
#include "grid/columns/grouping/grid_group_data_tree_ex.h"
#include "grid/columns/grouping/grid_row_panel_ex.h"
#include "grid/columns/grouping/row_detail_panel_ex.h"
#include "grid/columns/selection/bookmark_list_ex.h"
#include "grid/columns/selection/db_grid_ex_selection.h"
#include "grid/columns/transfer/db_grid_ex_imp_exp.h"
#include "grid/core/custom_db_grid_ex.h"
#include "grid/core/db_grid_ex_module.h"
#include "grid/core/grid_core_internal.h"
#include "grid/core/grid_data_link_ex.h"
#include "grid/foundation/inplace_edit.h"
#include "platform/data/dataset.h"
#include "platform/ui/application.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/clipboard.h"
#include "platform/ui/forms.h"
#include "platform/ui/menus.h"
#include "platform/ui/themes.h"

namespace grid {

using namespace ui;

namespace {

bool IsPrintable(char16_t Ch) { return Ch >= 32 && Ch != 127; }

bool IsStringType(db::TFieldType Type) {
  return Type == db::ftString || Type == db::ftFixedChar || Type == db::ftWideString;
}

// The control a key that goes into the detail panel lands on: the panel's
// chosen control, else the first one in tab order that can take the focus.
TWinControl* FirstFocusableIn(TWinControl* Container) {
  for (int i = 0; i < Container->ControlCount(); ++i) {
    auto* child = dynamic_cast<TWinControl*>(Container->Controls(i));
    if (!child || !child->CanFocus()) continue;
    if (child->TabStop()) return child;
    if (TWinControl* inner = FirstFocusableIn(child)) return inner;
  }
  return nullptr;
}

}  // namespace

bool core_detail::IsCheckOrImageColumn(TColumnEx* Column) {
  if (!Column) return false;
  const TColumnExType t = Column->GetColumnType();
  return t == ctKeyImageList || t == ctCheckboxes;
}

// --- selection --------------------------------------------------------------------------

bool TCustomDBGridEx::CanSelectType(TDBGridExSelectionType Kind) const {
  if (Kind == gstNon) return true;
  if (!FOptions.Contains(dgMultiSelect) || !FAllowedSelections.Contains(Kind)) return false;
  if ((Kind == gstRectangle || Kind == gstColumns) && FOptions.Contains(dgRowSelect)) return false;
  return true;
}

void TCustomDBGridEx::ClearSelection() {
  if (FOptions.Contains(dgMultiSelect)) FBookmarks->Clear();
  FSelecting = false;
  if (FSelection->SelectionType() != gstNon) {
    FSelection->Clear();
    Invalidate();
    RefreshEditorPlacement();
  }
}

void TCustomDBGridEx::ClearSelectionIfAsked() {
  if (FOptionsEx.Contains(dghClearSelection)) ClearSelection();
  FSelecting = false;
}

void TCustomDBGridEx::InvalidateSelection() {
  FSelectionActive = GridOrEditorFocused();
  if (!FSelection) return;
  switch (FSelection->SelectionType()) {
    case gstNon:
      return;
    case gstAll:
      Invalidate();
      break;
    default: {
      const TRect r = FSelection->SelectionToGridRect();
      if (r.Left >= 0 && r.Top >= 0)
        InvalidateCellRange(
            {r.Left, r.Top, std::min(r.Right, ColCount() - 1), std::min(r.Bottom, RowCount() - 1)});
      break;
    }
  }
  if (Row() < RowCount()) RepaintRow(Row());
}

bool TCustomDBGridEx::ConfirmDelete() {
  TCustomForm* form = GetParentForm(this);
  TWinControl* focused = form ? form->ActiveControl() : nullptr;
  const String text =
      FBookmarks->Count() < 2 ? String(u"Delete record?") : String(u"Delete all selected records?");
  bool yes = true;
  if (FOptions.Contains(dgConfirmDelete)) yes = MessageDlg(text, mtConfirmation, {mbOK, mbCancel}) == mrOk;
  if (focused && focused->CanFocus()) focused->SetFocus();
  return yes;
}

// --- moving the current record and column ------------------------------------------------

void TCustomDBGridEx::MoveRecordSelecting(bool Select, int Distance, bool RowSelection, bool ToEnd) {
  db::TDataSet* ds = FDataLink->Active() ? FDataLink->DataSet() : nullptr;
  if (!ds) return;
  const bool rows = RowSelection || FOptions.Contains(dgRowSelect);
  LockUpdate();
  try {
    if (rows) {
      if (Select && !CanSelectType(gstRecordBookmarks)) Select = false;
      const int step = Distance < 0 ? -1 : 1;
      int left = ToEnd ? 1 : std::abs(Distance);
      while (left > 0 || (ToEnd && !(step > 0 ? ds->Eof() : ds->Bof()))) {
        if (FOptions.Contains(dgMultiSelect)) {
          if (!Select) {
            ClearSelectionIfAsked();
          } else if (FSelecting) {
            // Stepping back towards the anchor gives up the record being left.
            const int toAnchor = ds->CompareBookmarks(FSelectionAnchor, ds->GetBookmark());
            if ((toAnchor < 0 && step < 0) || (toAnchor > 0 && step > 0))
              FBookmarks->SetCurrentRowSelected(FAntiSelection ? !FSelectionAnchorSelected : false);
          } else {
            FSelectionAnchor = ds->GetBookmark();
            FSelectionAnchorSelected = FBookmarks->CurrentRowSelected();
            FBookmarks->SetCurrentRowSelected(FAntiSelection ? !FSelectionAnchorSelected : true);
            FSelecting = true;
          }
        }
        if (MoveBy(step) == 0) {
          if (FSizeChanged) RelayoutGrid();
          break;
        }
        if (FOptions.Contains(dgMultiSelect) && Select && FSelecting) {
          const int toAnchor = ds->CompareBookmarks(FSelectionAnchor, ds->GetBookmark());
          if ((toAnchor < 0 && step > 0) || (toAnchor > 0 && step < 0) || toAnchor == 0)
            FBookmarks->SetCurrentRowSelected(FAntiSelection ? !FBookmarks->CurrentRowSelected() : true);
        }
        if (!ToEnd) --left;
      }
    } else {
      const bool rect = CanSelectType(gstRectangle) && Select;
      if (rect && FSelection->SelectionType() != gstRectangle) {
        FSelection->Clear();
        FSelection->Rect()->Select(SelectedIndex(), ds->GetBookmark(), false);
      } else if (!Select) {
        ClearSelectionIfAsked();
      }
      if (!ToEnd)
        MoveBy(Distance);
      else if (Distance < 0)
        ds->First();
      else
        ds->Last();
      if (rect) FSelection->Rect()->Select(SelectedIndex(), ds->GetBookmark(), true);
    }
  } catch (...) {
    UnlockUpdate();
    throw;
  }
  UnlockUpdate();
  if (FUpdateLock == 0) Update();
}

void TCustomDBGridEx::SelectDataColumn(int Index, int Direction, bool ExtendSelection) {
  db::TDataSet* ds = FDataLink->Active() ? FDataLink->DataSet() : nullptr;
  const bool rect = ExtendSelection && !FOptions.Contains(dgRowSelect) && CanSelectType(gstRectangle) && ds;
  if (rect && FSelection->SelectionType() != gstRectangle) {
    FSelection->Clear();
    FSelection->Rect()->Select(SelectedIndex(), ds->GetBookmark(), false);
  }
  FDataLink->UpdateRecord();
  const int count = FColumns->Count();
  if (count == 0) return;
  Index = std::clamp(Index, 0, count - 1);
  if (Direction != 0) {
    while (Index >= 0 && Index < count && !FColumns->ColumnAt(Index)->Visible()) Index += Direction;
    if (Index < 0 || Index >= count || DataColToGridCol(Index) >= ColCount()) return;
  }
  if (Index != SelectedIndex()) {
    if (!FInColExit) {
      // A handler that moves to another column itself has the last word.
      const int before = SelectedIndex();
      FInColExit = true;
      try {
        ColExit();
      } catch (...) {
        FInColExit = false;
        throw;
      }
      FInColExit = false;
      if (SelectedIndex() != before) return;
    }
    if (!FOptions.Contains(dgAlwaysShowEditor)) LeaveEditorMode();
    if (RowPanelActive()) {
      SetInRowPanelCol(Index);
      if (ThemesEnabled()) InvalidateTitle();
    } else if (!FOptions.Contains(dgRowSelect)) {
      MoveToCell(DataColToGridCol(Index), Row(), false, true, true);
    }
    if (!core_detail::IsCheckOrImageColumn(FColumns->ColumnAt(Index)) &&
        FOptions.Contains(dgAlwaysShowEditor) && !FFilterEditMode)
      EnterEditorMode();
    ColEnter();
  }
  if (rect) FSelection->Rect()->Select(SelectedIndex(), ds->GetBookmark(), true);
  FColumns->SetUpDownBaseColumn(FColumns->ColumnAt(Index));
}

// --- keys -----------------------------------------------------------------------------------

void TCustomDBGridEx::DoKeyDown(std::uint16_t& Key, TShiftState Shift) {
  FAntiSelection = Shift.Contains(ssCtrl) || !FOptionsEx.Contains(dghClearSelection);
  TWinControl::DoKeyDown(Key, Shift);
  if (Key == 0) return;
  // Up from the first record (or Ctrl+Up) goes on into the filter row.
  if (Key == VK_UP && STFilterRowCount() > 0 && FDataLink->Active() &&
      (Shift.Contains(ssCtrl) || FDataLink->DataSet()->Bof() || FDataLink->DataSet()->RecNo() == 1)) {
    int column = SelectedIndex();
    if (FOptions.Contains(dgRowSelect)) {
      auto firstFilterFrom = [this](int From) {
        for (int c = std::max(0, From); c < FColumns->Count(); ++c)
          if (ColumnHasFilterCell(c)) return c;
        return -1;
      };
      column = firstFilterFrom(FFilterCol);
      const int gridCol = DataColToGridCol(column);
      if (column < 0 || (gridCol >= FixedCols() && (gridCol < LeftCol() || gridCol >= LeftCol() + VisibleColCount())))
        column = firstFilterFrom(GridColToDataCol(LeftCol()));
    }
    StartFilterEditing(column);
    if (FFilterEditMode) {
      Key = 0;
      return;
    }
  }
  if (RightToLeft()) {
    if (Key == VK_LEFT)
      Key = VK_RIGHT;
    else if (Key == VK_RIGHT)
      Key = VK_LEFT;
  }
  if (!FDataLink->Active() || !GridAcceptsKey(Key, Shift)) return;
  if (DataGroupingWorks() && FCurGroupDataNode && FCurGroupDataNode->NodeType() == dntDataGroupEx) {
    GroupKeyDown(Key, Shift);
    return;
  }
  db::TDataSet* ds = FDataLink->DataSet();
  const TShortCut shortCut = ShortCut(Key, Shift);
  const bool plain = Shift.Empty();
  TColumnEx* selected = SelectedIndex() >= 0 && SelectedIndex() < FColumns->Count()
                            ? FColumns->ColumnAt(SelectedIndex())
                            : nullptr;
  // The list drops down and the key goes on through the table below.
  if (shortCut == FilterListShortCut && FSTFilter->Visible() && FSTFilter->Location() == stflInTitleFilterEx &&
      selected && selected->Visible() && selected->STFilter()->Visible())
    ShowTitleFilterListbox(selected);
  if (shortCut == PrevRecordValueShortCut) {
    SetValueFromPrevRecord();
    return;
  }
  if (shortCut == InplaceSearchShortCut && FOptionsEx.Contains(dghIncSearch)) {
    if (FInplaceSearching && FOptionsEx.Contains(dghDialogFind) &&
        FindDialogShortCut == InplaceSearchShortCut) {
      const String text = FInplaceSearchText;
      StopInplaceSearch();
      ShowFindDialog(text, String(), IsFindDialogShowAsModal());
    } else {
      StartInplaceSearch(String(), -1, ltdAllEx);
    }
    return;
  }
  if (shortCut == FindDialogShortCut && FOptionsEx.Contains(dghDialogFind)) {
    ShowFindDialog(String(), String(), IsFindDialogShowAsModal());
    return;
  }
  if (FInplaceSearching) {
    if (plain && (Key == VK_RETURN || Key == VK_ESCAPE || Key == VK_F2)) {
      StopInplaceSearch();
      return;
    }
    if (plain && Key == VK_BACK) {
      // A trail surrogate goes with its lead.
      std::size_t drop = FInplaceSearchText.empty() ? 0 : 1;
      if (FInplaceSearchText.size() >= 2 && FInplaceSearchText.back() >= 0xDC00 &&
          FInplaceSearchText.back() <= 0xDFFF)
        drop = 2;
      FInplaceSearchText.resize(FInplaceSearchText.size() - drop);
      RepaintGridRow(this, Row());
      StartInplaceSearchTimer();
      return;
    }
    if (shortCut == InplaceSearchNextShortCut || shortCut == InplaceSearchPriorShortCut) {
      StartInplaceSearch(String(), FInplaceSearchTimeOut,
                         shortCut == InplaceSearchNextShortCut ? ltdDownEx : ltdUpEx);
      return;
    }
  }
  const bool ctrl = Shift.Contains(ssCtrl), shift = Shift.Contains(ssShift);
  const bool extend = shift && FOptions.Contains(dgMultiSelect);
  const bool rowSelect = FOptions.Contains(dgRowSelect);
  const bool rectsAllowed = CanSelectType(gstRectangle);
  const int visibleCols = static_cast<int>(FVisibleColumns.size());
  auto firstVisible = [&] { return FVisibleColumns.empty() ? 0 : FVisibleColumns.front()->Index(); };
  auto lastVisible = [&] { return FVisibleColumns.empty() ? 0 : FVisibleColumns.back()->Index(); };
  auto toColumn = [&](int Index, int Direction, bool Extend) {
    if (!Extend) ClearSelectionIfAsked();
    SelectDataColumn(Index, Direction, Extend);
  };
  auto firstRowOnScreen = [&] { return TopRow() - Row(); };
  auto lastRowOnScreen = [&] {
    return std::min(TopRow() + VisibleDataRowCount() - 1, RowCount() - 1) - Row();
  };
  auto canAppendHere = [&] {
    return ds->CanModify() && !FReadOnly && FOptions.Contains(dgEditing) &&
           FAllowedOperations.Contains(alopAppendEx);
  };
  auto untouchedInsert = [&] {
    return ds->State() == db::dsInsert && !ds->Modified() && !FDataLink->IsModified();
  };
  auto tab = [&](bool Forward) {
    ClearSelectionIfAsked();
    TColumnEx* current = SelectedIndex() >= 0 && SelectedIndex() < FColumns->Count()
                             ? FColumns->ColumnAt(SelectedIndex())
                             : nullptr;
    if (!current) return;
    LockUpdate();
    TColumnEx* next = nullptr;
    try {
      next = FColumns->GetNextTabColumn(current, Forward);
    } catch (...) {
      UnlockUpdate();
      throw;
    }
    UnlockUpdate();
    if (next == current) {
      if (MoveBy(Forward ? 1 : -1) == 0) return;
      TColumnEx* edge = Forward ? FColumns->GetFirstTabColumn() : FColumns->GetLastTabColumn();
      if (edge) SelectDataColumn(edge->Index(), 0, false);
    } else {
      SelectDataColumn(next->Index(), 0, false);
    }
  };

  // A row panel navigated cell by cell: the arrows walk the panel's own
  // lines; Up and Down keep to the column the run started from.
  auto panelCells = [&] {
    return RowPanelActive() && FGridRowPanel->NavKeysNavigationType() == rpntCellToCellEx &&
           SelectedIndex() >= 0 && SelectedIndex() < FColumns->Count();
  };
  auto panelHorizontal = [&](bool Forward) {
    TColumnEx* current = FColumns->ColumnAt(SelectedIndex());
    TColumnEx* next = FColumns->GetNextHorzColumn(current, Forward, false, false);
    if (next == current) return;
    if (!shift) ClearSelectionIfAsked();
    SelectDataColumn(next->Index(), 0, shift);
  };
  // True when the key was used inside the panel; at the panel's top or
  // bottom the key moves to another record as usual.
  auto panelVertical = [&](bool Forward) {
    TColumnEx* current = FColumns->ColumnAt(SelectedIndex());
    if (!FColumns->UpDownBaseColumn()) FColumns->SetUpDownBaseColumn(current);
    TColumnEx* next = FColumns->GetNextVertColumn(current, Forward);
    if (next == current) return false;
    TColumnEx* base = FColumns->UpDownBaseColumn();
    if (!shift) ClearSelectionIfAsked();
    SelectDataColumn(next->Index(), 0, false);
    FColumns->SetUpDownBaseColumn(base);
    return true;
  };
  auto focusDetailPanel = [&] {
    if (!FRowDetailControl || !FRowDetailControl->Visible()) return;
    TWinControl* target = FRowDetailPanel->ActiveControl();
    if (!target || !target->CanFocus()) target = FirstFocusableIn(FRowDetailControl);
    if (!target && FRowDetailControl->CanFocus()) target = FRowDetailControl;
    if (target) target->SetFocus();
  };
  // How: -1 toggles, 1 expands, 0 collapses the current record's node.
  auto expandTreeNode = [&](int How) {
    const int view = FIntMemTable->CurrentRecordView();
    if (view < 0) return;
    const bool expanded = FIntMemTable->TreeNodeExpanded();
    const bool want = How < 0 ? !expanded : How > 0;
    if (want == expanded || !FIntMemTable->TreeNodeHasChildren()) return;
    const int oldTop = TopRow();
    ds->DisableControls();
    try {
      ReturnAfterTreeToggle(view, FIntMemTable->SetTreeNodeExpanded(view, want));
    } catch (...) {
      ds->EnableControls();
      throw;
    }
    ds->EnableControls();
    SafeMoveTop(oldTop);
    Invalidate();
    SyncVertScrollBar();
  };

  auto pasteOrSearch = [&] {
    if (FInplaceSearching) {
      if (Clipboard()->HasFormat(CF_TEXT))
        StartInplaceSearch(Clipboard()->AsText(), FInplaceSearchTimeOut, ltdAllEx);
    } else if (FEditActions.Contains(geaPasteEx) && CheckPasteAction()) {
      PasteGridSelection(this, false);
    }
  };

  switch (Key) {
    case VK_HOME:
      if (ctrl || visibleCols == 1 || rowSelect)
        MoveRecordSelecting(extend, -1, false, true);
      else
        toColumn(firstVisible(), 1, shift);
      break;
    case VK_END:
      if (ctrl || visibleCols == 1 || rowSelect)
        MoveRecordSelecting(extend, 1, false, true);
      else
        toColumn(lastVisible(), -1, shift);
      break;
    case VK_PRIOR:
      if (ctrl)
        MoveRecordSelecting(extend, firstRowOnScreen(), !rectsAllowed, false);
      else
        MoveRecordSelecting(extend, -VisibleDataRowCount(), !rectsAllowed, false);
      break;
    case VK_NEXT:
      if (ctrl) {
        MoveRecordSelecting(extend, lastRowOnScreen(), !rectsAllowed, false);
      } else {
        if (UsesMemTableView() && TopRow() + 2 * VisibleDataRowCount() > RowCount())
          FIntMemTable->FetchRecords(TopRow() + 2 * VisibleDataRowCount() - RowCount());
        MoveRecordSelecting(extend, VisibleDataRowCount(), !rectsAllowed, false);
      }
      break;
    case VK_UP:
      if (!ctrl && panelCells() && panelVertical(false)) break;
      if (ctrl) {
        MoveRecordSelecting(extend, firstRowOnScreen(), !rectsAllowed, false);
      } else if (untouchedInsert() &&
                 (ds->Eof() || FDataLink->ActiveRecord() == FDataLink->RecordCount() - 1)) {
        ds->Cancel();
      } else {
        MoveRecordSelecting(extend, -1, !rectsAllowed, false);
      }
      break;
    case VK_DOWN:
      if (ctrl) {
        if (FRowDetailPanel->Active() && RowHasDetailPanel()) {
          FRowDetailPanel->SetVisible(true);
          if (FRowDetailPanel->Visible()) focusDetailPanel();
        } else {
          MoveRecordSelecting(extend, lastRowOnScreen(), !rectsAllowed, false);
        }
      } else if (panelCells() && panelVertical(true)) {
      } else if (FRowDetailPanel->Active() && FRowDetailPanel->Visible()) {
        focusDetailPanel();
      } else if (untouchedInsert()) {
        if (!ds->Eof()) ds->Cancel();
      } else {
        MoveRecordSelecting(extend, 1, !rectsAllowed, false);
        if (ds->Eof() && canAppendHere()) DataAppend();
      }
      break;
    case VK_LEFT:
    case VK_RIGHT: {
      const int sign = Key == VK_LEFT ? -1 : 1;
      if (ctrl)
        toColumn(sign < 0 ? firstVisible() : lastVisible(), -sign, false);
      else if (rowSelect)
        ScrollDataClamped(sign * HorzScrollStep(), 0);
      else if (panelCells())
        panelHorizontal(sign > 0);
      else
        toColumn(SelectedIndex() + sign, sign, shift);
      break;
    }
    case VK_INSERT:
      if (ctrl && FEditActions.Contains(geaCopyEx) && CheckCopyAction()) {
        CopyGridSelection(this, false);
      } else if (shift && !ctrl) {
        pasteOrSearch();
      } else if (!ctrl && !shift && ds->CanModify() && !FReadOnly && FOptions.Contains(dgEditing)) {
        if (FAllowedOperations.Contains(alopInsertEx)) {
          ClearSelectionIfAsked();
          DataInsert();
        } else if (FAllowedOperations.Contains(alopAppendEx)) {
          ClearSelectionIfAsked();
          DataAppend();
        }
      }
      break;
    case VK_DELETE:
      if (ctrl && FEditActions.Contains(geaDeleteEx) && FSelection->SelectionType() != gstNon) {
        if (CheckDeleteAction()) DeleteGridSelection(this, false);
      } else if (shift && !ctrl) {
        if (FEditActions.Contains(geaCutEx) && CheckCutAction()) CutGridSelection(this, false);
      } else if (ctrl && !FReadOnly && !ds->IsEmpty() && ds->CanModify() &&
                 FAllowedOperations.Contains(alopDeleteEx) && ConfirmDelete()) {
        if (FBookmarks->Count() > 0)
          FBookmarks->Delete();
        else
          ds->Delete();
      }
      break;
    case VK_TAB:
      if (!Shift.Contains(ssAlt) && FOptions.Contains(dgTabs) && !rowSelect) tab(!shift);
      break;
    case VK_RETURN:
      if (!ctrl && FOptionsEx.Contains(dghEnterAsTab)) tab(!shift);
      break;
    case VK_ESCAPE:
      if (!ctrl) {
        FDataLink->Reset();
        ClearSelection();
        if (!FOptions.Contains(dgAlwaysShowEditor)) LeaveEditorMode();
        const TGridState gs = GridState();
        if (gs == gsRowSizing || gs == gsColSizing || gs == gsColMoving || FDBGridExState == dgsColSizing ||
            FDBGridExState == dgsRowMoving || FDBGridExState == dgsGroupPanelTitleMoving)
          Perform(WM_CANCELMODE);
      }
      break;
    case VK_F2:
      if (!ctrl) SetEditorMode(true);
      break;
    case VK_MULTIPLY:
    case VK_ADD:
    case VK_SUBTRACT:
      if (!ctrl) {
        const int how = Key == VK_MULTIPLY ? -1 : Key == VK_ADD ? 1 : 0;
        if (FIntMemTable && FIntMemTable->RecordViewsAreTree())
          expandTreeNode(how);
        else if (FRowDetailPanel->Active() && RowHasDetailPanel())
          FRowDetailPanel->SetVisible(how < 0 ? !FRowDetailPanel->Visible() : how > 0);
      }
      break;
    case 'C':
      if (ctrl && FEditActions.Contains(geaCopyEx) && CheckCopyAction()) CopyGridSelection(this, false);
      break;
    case 'A':
      if (ctrl && FEditActions.Contains(geaSelectAllEx) && CheckSelectAllAction()) FSelection->SelectAll();
      break;
    case 'V':
      if (ctrl) pasteOrSearch();
      break;
    case 'X':
      if (ctrl && FEditActions.Contains(geaCutEx) && CheckCutAction()) CutGridSelection(this, false);
      break;
    default:
      break;
  }

  if (Key == VK_DELETE && !ctrl && !rowSelect && SelectedIndex() >= 0 &&
      SelectedIndex() < FColumns->Count()) {
    TColumnEx* column = FColumns->ColumnAt(SelectedIndex());
    db::TField* field = column->Field();
    if (core_detail::IsCheckOrImageColumn(column) && field && !field->Required() && column->CanModify(true))
      column->UpdateDataValue(String(), rtl::Variant::Null(), false);
  }
}

bool TCustomDBGridEx::TypingSearches() {
  TColumnEx* column = SelectedIndex() >= 0 && SelectedIndex() < FColumns->Count()
                          ? FColumns->ColumnAt(SelectedIndex())
                          : nullptr;
  db::TDataSet* ds = FDataLink->Active() ? FDataLink->DataSet() : nullptr;
  const bool browsing =
      ds && ds->State() != db::dsEdit && ds->State() != db::dsInsert && ds->State() != db::dsSetKey;
  const bool editorVisible = InplaceEditor() && InplaceEditor()->Visible();
  return browsing &&
         (FInplaceSearching || (FOptionsEx.Contains(dghIncSearch) && column && !column->CanModify(false)) ||
          (FOptionsEx.Contains(dghPreferIncSearch) && !FOptions.Contains(dgAlwaysShowEditor) &&
           !editorVisible));
}

void TCustomDBGridEx::DoKeyPress(char16_t& Key) {
  if (FOptionsEx.Contains(dghEnterAsTab) && Key == u'\r') Key = u'\t';
  if (!FOptions.Contains(dgAlwaysShowEditor) && Key == u'\r') FDataLink->UpdateRecord();
  TCustomGridEx::DoKeyPress(Key);
  if (Key != 0 && IsPrintable(Key) && TypingSearches()) {
    const String text = FCompleteKeyPress.empty() ? String(1, Key) : FCompleteKeyPress;
    StartInplaceSearch(
        text, FInplaceSearching ? FInplaceSearchTimeOut : static_cast<int>(InplaceSearchTypingTimeOut),
        ltdAllEx);
    Key = 0;
  }
}

void TCustomDBGridEx::HandleWmChar(TMessage& Message) {
  FCompleteKeyPress = String(1, static_cast<char16_t>(Message.WParam));
  struct ClearText {
    String& text;
    ~ClearText() { text.clear(); }
  } clear{FCompleteKeyPress};
  const auto ch = static_cast<char16_t>(Message.WParam);
  if (FFilterEditMode && (IsPrintable(ch) || ch == 0x08)) {
    // The grid has the focus while filtering only through a click elsewhere;
    // what is typed still belongs to the filter.
    PlaceFilterEditor(false);
    if (FFilterEditMode) {
      if (FFilterEdit && FFilterEdit->Visible()) PostMessage(FFilterEdit, WM_CHAR, Message.WParam, Message.LParam);
      return;
    }
  }
  TColumnEx* column = SelectedIndex() >= 0 && SelectedIndex() < FColumns->Count()
                          ? FColumns->ColumnAt(SelectedIndex())
                          : nullptr;
  if (ch == u' ' && core_detail::IsCheckOrImageColumn(column) && !FOptions.Contains(dgRowSelect)) {
    char16_t key = ch;
    DoKeyPress(key);
    if (key == u' ' && column->CanModify(true)) column->StepCellValue(GetKeyState(VK_SHIFT) < 0 ? -1 : 1);
    return;
  }
  // A character beyond 16 bits comes as two messages, lead half first; the
  // search takes it whole or not at all.
  const char16_t lead = FPendingLeadSurrogate;
  FPendingLeadSurrogate = 0;
  const bool isLead = ch >= 0xD800 && ch <= 0xDBFF, isTrail = ch >= 0xDC00 && ch <= 0xDFFF;
  if ((IsPrintable(ch) || ch == 0x08) && TypingSearches()) {
    if (isLead) {
      FPendingLeadSurrogate = ch;
      return;
    }
    if (isTrail) {
      if (!lead) return;
      FCompleteKeyPress = String{lead, ch};
    }
    TWinControl::Dispatch(Message);
    return;
  }
  // The characters of the keypad's tree and detail-panel keys open no editor.
  if ((ch == u'*' || ch == u'+' || ch == u'-') &&
      ((FIntMemTable && FIntMemTable->RecordViewsAreTree()) || FRowDetailPanel->Active())) {
    TWinControl::Dispatch(Message);
    return;
  }
  TCustomGridEx::Dispatch(Message);
}

// --- editing entry -----------------------------------------------------------------------

namespace {
// The cell editor's ReadOnly when its cell parameters set it explicitly.
const TDBGridInplaceEdit* ExplicitReadOnlyEditor(TInplaceEdit* Editor) {
  auto* editor = dynamic_cast<TDBGridInplaceEdit*>(Editor);
  return editor && editor->ReadOnlyStored() ? editor : nullptr;
}
}  // namespace

bool TCustomDBGridEx::EditorAcceptsKey(char16_t Key) {
  TColumnEx* column = SelectedIndex() >= 0 && SelectedIndex() < FColumns->Count()
                          ? FColumns->ColumnAt(SelectedIndex())
                          : nullptr;
  const TDBGridInplaceEdit* explicitEditor = ExplicitReadOnlyEditor(InplaceEditor());
  if (!FDataLink->Active() || !column || !column->Field())
    return explicitEditor && !explicitEditor->ReadOnly();
  if (explicitEditor && explicitEditor->ReadOnly()) return false;
  if (column->HasKeyItems()) return true;
  return column->CanEditAcceptKey(Key);
}

bool TCustomDBGridEx::StartFieldEdit() {
  if (const TDBGridInplaceEdit* explicitEditor = ExplicitReadOnlyEditor(InplaceEditor())) {
    if (explicitEditor->ReadOnly()) return false;
    FDataLink->Edit();
    FDataLink->Modified();
    return true;
  }
  TColumnEx* column = SelectedIndex() >= 0 && SelectedIndex() < FColumns->Count()
                          ? FColumns->ColumnAt(SelectedIndex())
                          : nullptr;
  if (FReadOnly || !FDataLink->Active() || FDataLink->ReadOnly() || !column || column->ReadOnly())
    return false;
  db::TField* field = column->Field();
  if (!field) return false;
  if (!column->CanModify(false)) return false;
  FDataLink->Edit();
  const bool editing = FDataLink->Editing();
  if (editing) FDataLink->Modified();
  return editing;
}

bool TCustomDBGridEx::EditorCanModify() {
  TColumnEx* column = SelectedIndex() >= 0 && SelectedIndex() < FColumns->Count()
                          ? FColumns->ColumnAt(SelectedIndex())
                          : nullptr;
  if (column && column->GetColumnType() == ctCheckboxes) return false;
  return !FInplaceSearching && StartFieldEdit();
}

bool TCustomDBGridEx::EditorCanShow() {
  TColumnEx* column = SelectedIndex() >= 0 && SelectedIndex() < FColumns->Count()
                          ? FColumns->ColumnAt(SelectedIndex())
                          : nullptr;
  const bool selectionShown = FSelection && FSelection->SelectionType() != gstNon &&
                              FOptionsEx.Contains(dghClearSelection) && CanSelectType(gstRectangle);
  const bool can = FLayoutLock == 0 && TCustomGridEx::EditorCanShow() && column &&
                   column->CellTextEditing() && !selectionShown && !FInplaceSearching;
  if (!can && EditorMode()) LeaveEditorMode();
  return can;
}

int TCustomDBGridEx::EditorMaxLength() {
  TColumnEx* column = SelectedIndex() >= 0 && SelectedIndex() < FColumns->Count()
                          ? FColumns->ColumnAt(SelectedIndex())
                          : nullptr;
  db::TField* field = SelectedField();
  if (!column || column->HasKeyItems() || !field || !IsStringType(field->DataType())) return 0;
  return field->Size();
}

void TCustomDBGridEx::EditorMaskFor(int ACol, int, String& Text) {
  const int data = RowPanelActive() ? FInRowPanelCol : GridColToDataCol(ACol);
  Text = data >= 0 && data < FColumns->Count() ? FColumns->ColumnAt(data)->InplaceEditMask() : String();
}

void TCustomDBGridEx::EditorTextFor(int ACol, int, String& Text) {
  const int data = RowPanelActive() ? FInRowPanelCol : GridColToDataCol(ACol);
  Text = FDataLink->Active() && data >= 0 && data < FColumns->Count() ? FColumns->ColumnAt(data)->EditText()
                                                                      : String();
}

}  // namespace grid
