#include "grid/core/custom_db_grid_ex.h"

#include <algorithm>

#include "grid/columns/columns/column_def_values_ex.h"
#include "grid/columns/columns/column_drop_down_box_ex.h"
#include "grid/columns/columns/column_title_ex.h"
#include "grid/columns/columns/db_grid_columns_ex.h"
#include "grid/columns/selection/bookmark_list_ex.h"
#include "grid/columns/selection/db_grid_ex_selection.h"
#include "grid/columns/filters/st_db_grid_ex_filter.h"
#include "grid/columns/grouping/db_grid_ex_data_groups_ex.h"
#include "grid/columns/grouping/db_grid_ex_indicator_title.h"
#include "grid/columns/grouping/grid_row_panel_ex.h"
#include "grid/columns/grouping/row_detail_panel_ex.h"
#include "grid/columns/sums/db_grid_ex_sum_list.h"

#include "grid/core/db_grid_ex_center.h"
#include "grid/core/db_grid_ex_module.h"
#include "grid/core/db_grid_ex_scroll_bar.h"
#include "grid/core/db_grid_ex_style.h"
#include "grid/core/grid_core_internal.h"
#include "grid/core/grid_data_link_ex.h"
#include "grid/foundation/grid_messages.h"
#include "platform/classes/typinfo.h"
#include "platform/data/dataset.h"
#include "platform/ui/application.h"

namespace grid {

using namespace ui;

namespace {

const TDBGridOptions kDefaultOptions{dgEditing, dgTitles,   dgIndicator,     dgColumnResize, dgColLines,
                                     dgRowLines, dgTabs,    dgConfirmDelete, dgCancelOnExit};
const TDBGridExOptions kDefaultOptionsEx{dghFixed3D,      dghHighlightFocus, dghClearSelection, dghDialogFind,
                                         dghColumnResize, dghColumnMove,     dghExtendVertLines};
const TDBGridExOptions kResizeAndMove{dghColumnResize, dghColumnMove};
// Options whose change alters the layout or what the cells show.
const TDBGridOptions kLayoutOptions{dgEditing,  dgAlwaysShowEditor, dgTitles,    dgIndicator,
                                    dgColLines, dgRowLines,         dgRowSelect, dgAlwaysShowSelection};

// What the grid's options make of the base grid's.
TGridOptions BaseOptionsFor(TDBGridOptions Options, TDBGridExOptions OptionsEx, bool RowSizing) {
  TGridOptions g;
  if (Options.Contains(dgEditing)) g = g + goEditing;
  if (Options.Contains(dgAlwaysShowEditor)) g = g + goAlwaysShowEditor;
  if (Options.Contains(dgRowSelect)) g = g + goRowSelect - goEditing - goAlwaysShowEditor;
  if (Options.Contains(dgColLines)) g = g + goFixedVertLine + goVertLine;
  if (Options.Contains(dgRowLines)) g = g + goFixedHorzLine + goHorzLine;
  if (Options.Contains(dgTabs)) g = g + goTabs;
  if (OptionsEx.Contains(dghColumnResize)) g = g + goColSizing;
  if (OptionsEx.Contains(dghColumnMove)) g = g + goColMoving;
  if (OptionsEx.Contains(dghExtendVertLines)) g = g + goExtendVertLines;
  if (RowSizing) g = g + goRowSizing;
  return g;
}

}  // namespace

const TClassInfo& TCustomDBGridEx::StaticClassInfo() {
  static const TClassInfo info =
      TClassBuilder<TCustomDBGridEx>("TCustomDBGridEx", &TCustomControl::StaticClassInfo()).Unit("DBGridEx").Build();
  return info;
}

TCustomDBGridEx::TCustomDBGridEx(TComponent* AOwner) : TCustomGridEx(AOwner) {
  SetTakesComposition(true);
  if (TDBGridExStyle* style = GetDefaultGridStyle()) {
    FStyle = style;
    style->AddChangeNotification(this);
  }
  // Registered, so that a centre going away leaves the grid without one
  // instead of with a dangling reference.
  SetCenter(GetDefaultGridCenter());
  TCustomGridEx::SetDefaultDrawing(false);
  FOptions = kDefaultOptions;
  core_detail::AcquireDrawBitmap();
  DesignOptionsBoost = TGridOptions{goColSizing};
  VirtualView = true;
  SetScrollBars(ssHorizontal);
  FOptionsEx = kDefaultOptionsEx;
  TCustomGridEx::SetOptions(BaseOptionsFor(FOptions, FOptionsEx, FRowSizingAllowed));
  SetRowCount(2);
  SetColCount(2);
  FDataLink = std::make_unique<TGridDataLinkEx>(this);
  FColumnDefValues.reset(CreateColumnDefValues());
  FColumns.reset(CreateColumnCollection());
  FSumList = std::make_unique<TDBGridExSumList>(this);
  FBookmarks = std::make_unique<TBookmarkListEx>(this);
  FSelection = std::make_unique<TDBGridExSelection>(this);
  FColCellParamsEx = std::make_unique<TColCellParamsEx>();
  FSTFilter = std::make_unique<TSTDBGridExFilter>(this);
  SetColor(clWindow);
  SetParentColor(false);
  SetTabStop(true);
  FTitleFont = std::make_unique<TFont>();
  FTitleFont->OnChange = [this](TObject*) { TitleFontChanged(); };
  SetSaveCellExtents(false);
  LeaveEditorMode();
  FHorzScrollBar.reset(CreateScrollBar(sbHorizontal));
  FVertScrollBar.reset(CreateScrollBar(sbVertical));
  FAllowedOperations = {alopInsertEx, alopUpdateEx, alopDeleteEx, alopAppendEx};
  FFooterFont = std::make_unique<TFont>();
  FFooterFont->OnChange = [this](TObject*) { FooterFontChanged(); };
  FAllowedSelections = {gstRecordBookmarks, gstRectangle, gstColumns, gstAll};
  FHintFont = std::make_unique<TFont>();
  FDummiFont = std::make_unique<TFont>();
  FTitleImageChangeLink = std::make_unique<TChangeLink>();
  FTitleImageChangeLink->OnChange = [this](TObject*) { Invalidate(); };
  FGridRowPanel = std::make_unique<TGridRowPanelEx>(this);
  FIndicatorTitle = std::make_unique<TDBGridExIndicatorTitle>(this);
  FDataGrouping = std::make_unique<TDBGridExDataGroupsEx>(this);
  FRowDetailPanel = std::make_unique<TRowDetailPanelEx>(this);
  FRowDetailControl = new TRowDetailPanelControlEx(this);
  FRowDetailControl->SetName(u"RowDetailData");
  FRowDetailControl->SetVisible(false);
  FRowDetailControl->SetParent(this);
  FRowDetailControl->SetBounds(0, 0, 0, 0);
  FStdDefaultRowHeight = CalcTextRowHeight();
  UpdateHorzDataSize();
  UpdateVertDataSize();
}

TCustomDBGridEx::~TCustomDBGridEx() {
  Destroying();
  SetDataSource(nullptr);
  if (FIntMemTable) FIntMemTable->StopRecordEventsTo(this);
  FIntMemTable = nullptr;
  FIndicatorTitle.reset();
  FCurGroupDataNode = nullptr;
  FDrawGroupDataNode = nullptr;
  FDataGrouping.reset();
  // Footers free their sum items, so the columns go before the sum list.
  FColumns.reset();
  FSumList.reset();
  FColumnDefValues.reset();
  if (FStyle) FStyle->RemoveChangeNotification(this);
  FStyle = nullptr;
  SetCenter(nullptr);
  SetTitleImages(nullptr);
  FHorzScrollBar.reset();
  FVertScrollBar.reset();
  FDataLink.reset();
  KillGridTimer();
  FSelection.reset();
  FBookmarks.reset();
  core_detail::ReleaseDrawBitmap();
  FRowDetailPanel.reset();
  FGridRowPanel.reset();
}

// --- options ---------------------------------------------------------------------

void TCustomDBGridEx::ApplyOptions(TDBGridOptions NewOptions, TDBGridExOptions NewOptionsEx) {
  if (!ComponentState().Contains(csLoading)) {
    bool wasResize = FOptions.Contains(dgColumnResize), isResize = NewOptions.Contains(dgColumnResize);
    if (isResize && !wasResize) {
      NewOptionsEx = NewOptionsEx + kResizeAndMove;
    } else if (!isResize && wasResize) {
      NewOptionsEx = NewOptionsEx - kResizeAndMove;
    } else if (NewOptions != FOptions || NewOptionsEx != FOptionsEx) {
      NewOptions = (NewOptionsEx * kResizeAndMove) == kResizeAndMove ? NewOptions + dgColumnResize
                                                                      : NewOptions - dgColumnResize;
    } else if (isResize) {
      NewOptionsEx = NewOptionsEx + kResizeAndMove;
    }
  }
  TDBGridOptions oldOptions = FOptions;
  TDBGridExOptions oldOptionsEx = FOptionsEx;
  TCustomGridEx::SetOptions(BaseOptionsFor(NewOptions, NewOptionsEx, FRowSizingAllowed));
  FOptions = NewOptions;
  FOptionsEx = NewOptionsEx;
  if (oldOptionsEx.Contains(dghAutoFitRowHeight) != NewOptionsEx.Contains(dghAutoFitRowHeight))
    UpdateAllDataRowHeights();
  if ((oldOptions * kLayoutOptions) != (NewOptions * kLayoutOptions) || oldOptionsEx != NewOptionsEx) {
    LayoutChanged();
    if (EditorMode()) SyncInplaceEditor();
  }
}

void TCustomDBGridEx::SetOptions(TDBGridOptions Value) { ApplyOptions(Value, FOptionsEx); }

void TCustomDBGridEx::SetOptionsEx(TDBGridExOptions Value) { ApplyOptions(FOptions, Value); }

void TCustomDBGridEx::SetRowSizingAllowed(bool Value) {
  if (Value == FRowSizingAllowed) return;
  FRowSizingAllowed = Value;
  TCustomGridEx::SetOptions(BaseOptionsFor(FOptions, FOptionsEx, FRowSizingAllowed));
}

void TCustomDBGridEx::SetEditButtonsShowOptions(TEditButtonsShowOptionsEx Value) {
  if (Value == FEditButtonsShowOptions) return;
  FEditButtonsShowOptions = Value;
  Invalidate();
}

void TCustomDBGridEx::LayoutChanged() {
  if (ComponentState().Contains(csLoading) || IsDestroying()) return;
  RelayoutGrid();
}

// --- data ------------------------------------------------------------------------

db::TDataSource* TCustomDBGridEx::DataSource() const { return FDataLink ? FDataLink->DataSource() : nullptr; }

void TCustomDBGridEx::SetDataSource(db::TDataSource* Value) {
  if (!FDataLink || Value == FDataLink->DataSource()) return;
  // Bookmarks of the old dataset would mark unrelated records of the new one.
  if (FSelection) FSelection->Clear();
  FDataLink->SetDataSource(Value);
  if (Value) Value->FreeNotification(this);
  DataLinkActiveChanged(FDataLink->Active());
  if (FSumList) FSumList->SetDataSet(Value ? Value->DataSet() : nullptr);
  BroadcastDesignChange();
}

int TCustomDBGridEx::FieldCount() const { return FDataLink->FieldCount(); }

db::TField* TCustomDBGridEx::SelectedField() const {
  int index = SelectedIndex();
  return index >= 0 ? FDataLink->FieldForColumn(index) : nullptr;
}

void TCustomDBGridEx::SetSelectedField(db::TField* Value) {
  if (!Value) return;
  // Each column showing the field is selected in turn: the last one stays.
  for (int i = 0; i < FDataLink->FieldCount(); ++i)
    if (FDataLink->FieldForColumn(i) == Value && DataColToGridCol(i) < ColCount()) SetCol(DataColToGridCol(i));
}

void TCustomDBGridEx::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomGridEx::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (FDataLink && AComponent == FDataLink->DataSource()) SetDataSource(nullptr);
  if (AComponent == FTitleImages) {
    // The titles drew its pictures and column fitting made room for them.
    FTitleImages = nullptr;
    LayoutChanged();
  }
  if (FColumns)
    for (int i = 0; i < FColumns->Count(); ++i) {
      TColumnEx* column = FColumns->ColumnAt(i);
      if (AComponent == column->ImageList()) column->SetImageList(nullptr);
      if (AComponent == column->PopupMenu()) column->SetPopupMenu(nullptr);
      if (TColumnDropDownBoxEx* box = column->DropDownBox(); box && AComponent == box->ListSource())
        box->SetListSource(nullptr);
    }
  if (FIndicatorTitle && AComponent == FIndicatorTitle->DropdownMenu()) FIndicatorTitle->SetDropdownMenu(nullptr);
  if (FRowDetailPanel && AComponent == FRowDetailPanel->ActiveControl())
    FRowDetailPanel->SetActiveControl(nullptr);
  for (TDBGridExScrollBar* bar : {FHorzScrollBar.get(), FVertScrollBar.get()})
    if (bar && AComponent == bar->ExtScrollBar()) bar->ExtScrollBarFreed();
  HandleComponentRemoval(AComponent);
}

// --- look ------------------------------------------------------------------------

void TCustomDBGridEx::SetStyle(TDBGridExStyle* Value) {
  if (!Value) Value = GetDefaultGridStyle();
  if (Value == FStyle) return;
  if (FStyle) FStyle->RemoveChangeNotification(this);
  FStyle = Value;
  if (FStyle) FStyle->AddChangeNotification(this);
  // Another style is a change of style, as its own change notice would be.
  LayoutChanged();
}

void TCustomDBGridEx::SetCenter(TDBGridExCenter* Value) {
  if (Value == FCenter) return;
  if (FCenter) FCenter->RemoveChangeNotification(this);
  FCenter = Value;
  if (FCenter) FCenter->AddChangeNotification(this);
}

void TCustomDBGridEx::SetEvenRowColor(TColor Value) {
  FEvenRowColorStored = true;
  if (Value == FEvenRowColor) return;
  FEvenRowColor = Value;
  Invalidate();
}

void TCustomDBGridEx::SetOddRowColor(TColor Value) {
  FOddRowColorStored = true;
  if (Value == FOddRowColor) return;
  FOddRowColor = Value;
  Invalidate();
}

void TCustomDBGridEx::SetTitleImages(TImageList* Value) {
  if (Value == FTitleImages) return;
  if (FTitleImages) {
    FTitleImages->UnRegisterChanges(FTitleImageChangeLink.get());
    FTitleImages->RemoveFreeNotification(this);
  }
  FTitleImages = Value;
  if (FTitleImages) {
    FTitleImages->RegisterChanges(FTitleImageChangeLink.get());
    FTitleImages->FreeNotification(this);
  }
  LayoutChanged();
}

void TCustomDBGridEx::SetDrawMemoText(bool Value) {
  if (Value == FDrawMemoText) return;
  FDrawMemoText = Value;
  Invalidate();
}

void TCustomDBGridEx::SetDrawGraphicData(bool Value) {
  if (Value == FDrawGraphicData) return;
  FDrawGraphicData = Value;
  Invalidate();
}

void TCustomDBGridEx::SetHorzScrollBar(TDBGridExScrollBar* Value) { FHorzScrollBar->Assign(Value); }

void TCustomDBGridEx::SetVertScrollBar(TDBGridExScrollBar* Value) { FVertScrollBar->Assign(Value); }

// --- locks and layout ------------------------------------------------------------

// Column changes made under the lock reach the grid once, at its end, and
// not as width changes the layout itself makes.
void TCustomDBGridEx::LockLayout() {
  LockUpdate();
  if (++FLayoutLock == 1 && FColumns) FColumns->BeginUpdate();
}

void TCustomDBGridEx::UnlockLayout() {
  if (FLayoutLock == 0) return;
  if (FLayoutLock == 1) {
    try {
      InternalLayout();
    } catch (...) {
      if (FColumns) FColumns->EndUpdate();
      --FLayoutLock;
      UnlockUpdate();
      throw;
    }
    if (FColumns) FColumns->EndUpdate();
  }
  --FLayoutLock;
  UnlockUpdate();
}

void TCustomDBGridEx::CancelLayout() {
  if (FLayoutLock == 0) return;
  if (FLayoutLock == 1 && FColumns) FColumns->EndUpdate();
  --FLayoutLock;
  UnlockUpdate();
}

void TCustomDBGridEx::DeferLayout() {
  if (!IsMessageQueued(this, WM_GRIDDEFERREDLAYOUT, WM_GRIDDEFERREDLAYOUT))
    PostMessage(this, WM_GRIDDEFERREDLAYOUT);
  CancelLayout();
}

bool TCustomDBGridEx::TryLockLayout() {
  if (FUpdateLock != 0 || FLayoutLock != 0) return false;
  LockLayout();
  return true;
}

void TCustomDBGridEx::RelayoutGrid() {
  if (TryLockLayout()) UnlockLayout();
}

// --- columns, their defaults and the sum list --------------------------------------

void TCustomDBGridEx::SetColumns(TDBGridColumnsEx* Value) { FColumns->Assign(Value); }

void TCustomDBGridEx::SetColumnDefValues(TColumnDefValuesEx* Value) { FColumnDefValues->Assign(Value); }

void TCustomDBGridEx::SetSumList(TDBGridExSumList* Value) { FSumList->Assign(Value); }

void TCustomDBGridEx::SetSelectedIndex(int Value) {
  if (RowPanelActive()) {
    if (Value >= 0 && Value < FColumns->Count()) SetInRowPanelCol(Value);
    return;
  }
  int col = DataColToGridCol(Value);
  if (Value >= 0 && col < ColCount()) SetCol(col);
}

TColumnDefValuesEx* TCustomDBGridEx::CreateColumnDefValues() { return new TDBGridExColumnDefValuesEx(this); }

TDBGridColumnsEx* TCustomDBGridEx::CreateColumnCollection() {
  return new TDBGridColumnsEx(this, [](TCollection* C) { return new TDBGridColumnEx(C); });
}

void TCustomDBGridEx::Dispatch(TMessage& Message) {
  if (Message.Msg == WM_TIMER && Message.WParam == kInplaceSearchTimerId) {
    StopInplaceSearch();
    return;
  }
  if (Message.Msg == WM_GRIDDEFERREDLAYOUT) {
    if (TryLockLayout()) {
      UnlockLayout();
    } else if (!IsMessageQueued(this, WM_GRIDDEFERREDLAYOUT, WM_GRIDDEFERREDLAYOUT)) {
      PostMessage(this, WM_GRIDDEFERREDLAYOUT);
    }
    return;
  }
  if (DispatchBehaviourMessage(Message)) return;
  if (Message.Msg == WM_VSCROLL) {
    HandleWmVScroll(Message);
    return;
  }
  if (Message.Msg == WM_HSCROLL) {
    HandleWmHScroll(Message);
    return;
  }
  if ((Message.Msg == WM_LBUTTONDOWN || Message.Msg == WM_RBUTTONDOWN) && FilterRowMouseDown(Message)) return;
  if ((Message.Msg == WM_KEYDOWN || Message.Msg == WM_CHAR || Message.Msg == WM_SYSKEYDOWN) &&
      ForwardKeyToTitleFilterListbox(Message))
    return;
  if (Message.Msg == WM_CHAR) {
    HandleWmChar(Message);
    return;
  }
  if (Message.Msg == WM_TIMER) {
    HandleWmTimer(Message);
    return;
  }
  if (Message.Msg == WM_CANCELMODE || Message.Msg == CM_CANCELMODE) {
    // Before the base grid ends the held press as a release, which would
    // drop what is being dragged.
    if (FDBGridExState == dgsGroupPanelTitleMoving) EndGroupPanelMoving(false);
    EndMouseTracking();
  }
  TCustomGridEx::Dispatch(Message);
  if (Message.Msg == CM_CANCELMODE) FilterRowCancelMode(Message);
}

void TCustomDBGridEx::InvalidateIndicatorCell() {
  if (HasIndicatorColumn() && Row() < RowCount()) RepaintCell(0, Row());
}

// --- holder of the filter row's editor -------------------------------------------

bool TCustomDBGridEx::InplaceEditCanModify(TControl*) { return true; }

bool TCustomDBGridEx::GetMouseDownInfo(TPoint& Pos, std::uint32_t& Time) {
  Pos = ClientToScreen(FDownMousePos);
  Time = FDownMouseMessageTime;
  FDownMouseMessageTime = 0;
  // The editor only pairs a press it is told of with its own.
  return Time != 0;
}

void TCustomDBGridEx::InplaceEditWndProc(TControl*, TMessage&) {}

void TCustomDBGridEx::InplaceEditKeyUp(TControl*, std::uint16_t&, TShiftState) {}

// --- memory tables -------------------------------------------------------------------

void TCustomDBGridEx::ReacquireMemTableInterface() {
  // A closed or departing dataset is let go: its events would describe rows
  // the grid no longer shows.
  IMemTableEx* next = nullptr;
  db::TDataSet* ds = FDataLink ? FDataLink->DataSet() : nullptr;
  if (FTryUseMemTableInt && FDataLink->Active() && ds && !ds->IsDestroying())
    next = dynamic_cast<IMemTableEx*>(ds);
  if (next == FIntMemTable) return;
  if (FIntMemTable) FIntMemTable->StopRecordEventsTo(this);
  FIntMemTable = next;
  if (FIntMemTable) FIntMemTable->SendRecordEventsTo(this);
}

void TCustomDBGridEx::HandleMemTableRecordEvent(int RecNum, TMemTableRecordEventKindEx Kind, int OldRecNum) {
  if (!FIntMemTable || FIntMemTable->RecordViewsAreTree()) return;
  if (HandleGroupingRecordEvent(RecNum, Kind, OldRecNum)) return;
  const int top = TopDataOffset();
  const int row = RecNum + top;
  // Events about rows the grid does not have are dropped rather than let
  // them move or remove a fixed row.
  auto isDataRow = [&](int Row) { return Row >= top && Row < RowCount(); };
  switch (Kind) {
    case mtrInsertedEx:
      if (FIntMemTable->RecordViewCount() > 1) SetRowCount(RowCount() + 1);
      if (isDataRow(row)) {
        ShiftRow(RowCount() - 1, row);
        UpdateDataRowHeight(RecNum);
      }
      break;
    case mtrChangedEx:
      UpdateDataRowHeight(RecNum);
      break;
    case mtrDeletedEx:
      if (FIntMemTable->RecordViewCount() > 0 && isDataRow(row) && RowCount() > top + 1) RemoveRow(row);
      break;
    case mtrMovedEx:
      if (isDataRow(row) && isDataRow(OldRecNum + top)) ShiftRow(OldRecNum + top, row);
      break;
    case mtrAllChangedEx: {
      const int views = FIntMemTable->RecordViewCount();
      SetRowCount((views > 0 ? views : 1) + top);
      UpdateAllDataRowHeights();
      break;
    }
  }
}

// --- own virtual operations --------------------------------------------------------

bool TCustomDBGridEx::TakeFocus() {
  if (FAcquireFocus && !Designing() && CanFocus() && !HoldsFocus()) SetFocus();
  return HoldsFocus();
}

bool TCustomDBGridEx::CanMoveDataRows() { return true; }

bool TCustomDBGridEx::HighlightsFocusedRow() {
  return !Designing() && FOptions.Contains(dgRowSelect) && FDefaultDrawing && HoldsFocus();
}

bool TCustomDBGridEx::AlwaysShowsEditor() { return FOptions.Contains(dgAlwaysShowEditor) && !FFilterEditMode; }

// A selection made meanwhile takes the keys and the look from the filter editor.
bool TCustomDBGridEx::FilterEditorActive() {
  return FFilterEditMode && FSelection->SelectionType() == gstNon;
}

bool TCustomDBGridEx::HasIndicatorColumn() {
  return FOptions.Contains(dgIndicator) || FOptionsEx.Contains(dghShowRecNo);
}

int TCustomDBGridEx::TitleRowCount() { return FOptions.Contains(dgTitles) ? 1 : 0; }


bool TCustomDBGridEx::GridOrEditorFocused() { return HoldsFocus(); }

TDBGridExScrollBar* TCustomDBGridEx::CreateScrollBar(TScrollBarKind Kind) {
  if (Kind == sbVertical) return new TVertDBGridExScrollBar(this);
  return new THorzDBGridExScrollBar(this);
}

bool TCustomDBGridEx::MoveDataRows(TBMListEx* BookmarkList, int ToRecNo, int TreeLevel, bool CheckOnly) {
  if (OnMoveRecords) return OnMoveRecords(this, BookmarkList, ToRecNo, TreeLevel, CheckOnly);
  return DefaultMoveDataRows(BookmarkList, ToRecNo, TreeLevel, CheckOnly);
}

void TCustomDBGridEx::CellClick(TColumnEx* Column) {
  if (OnCellClick) OnCellClick(Column);
}

bool TCustomDBGridEx::CheckTitleButton(int ACol, TColumnEx* Column) {
  if (ACol < 0 || ACol >= FColumns->Count()) return false;
  bool enabled = true;
  if (OnCheckButton) OnCheckButton(this, ACol, Column, enabled);
  return enabled;
}

void TCustomDBGridEx::ColEnter() {
  if (OnColEnter) OnColEnter(this);
}

void TCustomDBGridEx::ColExit() {
  if (OnColExit) OnColExit(this);
}

void TCustomDBGridEx::TitleBtnClick(int ACol, TColumnEx* Column) {
  if (OnTitleBtnClick) OnTitleBtnClick(this, ACol, Column);
}

void TCustomDBGridEx::DrawColumnCell(const TRect& Rect, int DataCol, TColumnEx* Column, TGridDrawState State) {
  if (OnDrawColumnCell) OnDrawColumnCell(this, Rect, DataCol, Column, State);
}

void TCustomDBGridEx::DrawDataCellEvent(const TRect& Rect, db::TField* Field, TGridDrawState State) {
  if (OnDrawDataCell) OnDrawDataCell(this, Rect, Field, State);
}

void TCustomDBGridEx::EditButtonClick() {
  if (OnEditButtonClick) OnEditButtonClick(this);
}

void TCustomDBGridEx::GetCellParams(TColumnEx* Column, TFont* AFont, TColor& Background, TGridDrawState State) {
  if (OnGetCellParams) OnGetCellParams(this, Column, AFont, Background, State);
}

void TCustomDBGridEx::CollectDataSetFields(std::vector<db::TField*>& List) {
  List.clear();
  if (db::TDataSet* ds = FDataLink->DataSet())
    for (int i = 0; i < ds->FieldCount(); ++i) List.push_back(ds->Fields(i));
}

void TCustomDBGridEx::GetFooterParams(int DataCol, int Row, TColumnEx* Column, TFont* AFont, TColor& Background,
                                      TAlignment& Alignment, TGridDrawState State, String& Text) {
  if (OnGetFooterParams) OnGetFooterParams(this, DataCol, Row, Column, AFont, Background, Alignment, State, Text);
}

void TCustomDBGridEx::TitleClick(TColumnEx* Column) {
  if (OnTitleClick) OnTitleClick(Column);
}

void TCustomDBGridEx::UpdateDataRowHeight(int DataRow) {
  const int row = DataRow + TopDataOffset();
  const int extra = row == Row() ? RowDetailPanelExtraHeight() : 0;
  if (DataRow >= 0 && row < RowCount()) SetRowHeights(row, DataRowHeight(DataRow) + extra);
}

bool TCustomDBGridEx::DefaultMoveDataRows(TBMListEx* BookmarkList, int ToRecNo, int TreeLevel, bool CheckOnly) {
  if (FIntMemTable) return FIntMemTable->MoveRecords(BookmarkList, ToRecNo, TreeLevel, CheckOnly);
  db::TDataSet* ds = FDataLink->DataSet();
  if (!ds) return false;
  if (CheckOnly) return FCenter && FCenter->MoveDataRows(this, BookmarkList, ToRecNo, CheckOnly);
  // The current record keeps its place in the window of buffers.
  const int d = FDataLink->ActiveRecord() - (FDataLink->RecordCount() - 1) / 2;
  int middle = 0;
  {
    const int old = FDataLink->ActiveRecord();
    FDataLink->SetActiveRecord(old - d);
    try {
      middle = ds->RecNo();
    } catch (...) {
      FDataLink->SetActiveRecord(old);
      throw;
    }
    FDataLink->SetActiveRecord(old);
  }
  const bool moved = FCenter && FCenter->MoveDataRows(this, BookmarkList, ToRecNo, CheckOnly);
  if (middle > 0 && ds->IsSequenced()) {
    ds->SetRecNo(middle);
    if (d != 0) FDataLink->MoveDataSetBy(d);
  }
  return moved;
}

bool TCustomDBGridEx::IsFindDialogShowAsModal() { return true; }

bool TCustomDBGridEx::IsUseMultiTitle() { return FUseMultiTitle && !RowPanelActive(); }

void TCustomDBGridEx::DefaultApplyFilter() {
  if (!FCenter) return;
  LockPaint();
  try {
    FCenter->ApplyFilter(this);
  } catch (...) {
    UnlockPaint();
    throw;
  }
  UnlockPaint();
  Invalidate();
}

void TCustomDBGridEx::IndicatorTitlePressed(TGridCoord Cell, TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (FCenter)
    FCenter->IndicatorTitleMouseDown(this, Cell, Button, Shift, X, Y);
  else
    IndicatorTitleMouseDown(Cell, Button, Shift, X, Y);
}

void TCustomDBGridEx::DefaultCellMouseClick(TGridCoord Cell, TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (FCenter) FCenter->CellMouseClick(this, Cell, Button, Shift, X, Y);
}


// --- published form ------------------------------------------------------------------

const TClassInfo& TDBGridEx::StaticClassInfo() {
  using G = TCustomDBGridEx;
  using B = TCustomGridEx;
  static const TClassInfo info =
      TClassBuilder<TDBGridEx>("TDBGridEx", &TCustomDBGridEx::StaticClassInfo())
          .Set("AllowedOperations", "TDBGridExAllowedOperations",
               {"alopInsertEx", "alopUpdateEx", "alopDeleteEx", "alopAppendEx"}, &TDBGridEx::AllowedOperationsBits,
               &TDBGridEx::SetAllowedOperationsBits)
          .Set("AllowedSelections", "TDBGridExAllowedSelections",
               {"gstRecordBookmarks", "gstRectangle", "gstColumns", "gstAll", "gstNon"},
               &TDBGridEx::AllowedSelectionsBits, &TDBGridEx::SetAllowedSelectionsBits)
          .Boolean("AutoFitColWidths", &G::AutoFitColWidths, &G::SetAutoFitColWidths, 0)
          .Enum("BorderStyle", "TBorderStyle", {"bsNone", "bsSingle"}, &B::BorderStyle, &B::SetBorderStyle, bsSingle)
          .Object("ColumnDefValues", "TDBGridExColumnDefValuesEx", &G::ColumnDefValues, &G::SetColumnDefValues)
          .Object("Columns", "TDBGridColumnsEx", &G::Columns, &G::SetColumns)
          .StoredWhen(&TDBGridEx::ColumnsStored)
          .Integer("ContraColCount", &G::WantedContraColCount, &G::SetContraColCount, 0)
          .Object("DataGrouping", "TDBGridExDataGroupsEx", &G::DataGrouping, &G::SetDataGrouping)
          .Object("DataSource", "TDataSource", &G::DataSource, &G::SetDataSource)
          .Boolean("DefaultDrawing", &G::DefaultDrawing, &G::SetDefaultDrawing, 1)
          .Boolean("DrawGraphicData", &G::DrawGraphicData, &G::SetDrawGraphicData, 0)
          .Boolean("DrawMemoText", &G::DrawMemoText, &G::SetDrawMemoText, 0)
          .Set("EditActions", "TDBGridExEditActions",
               {"geaCutEx", "geaCopyEx", "geaPasteEx", "geaDeleteEx", "geaSelectAllEx"}, &TDBGridEx::EditActionsBits,
               &TDBGridEx::SetEditActionsBits)
          .Set("EditButtonsShowOptions", "TEditButtonsShowOptionsEx",
               {"sebShowOnlyForCurCellEx", "sebShowOnlyForCurRowEx", "sebShowOnlyWhenGridActiveEx",
                "sebShowOnlyWhenDataEditingEx"},
               &TDBGridEx::EditButtonsShowOptionsBits, &TDBGridEx::SetEditButtonsShowOptionsBits)
          .Integer("EvenRowColor", &G::EvenRowColor, &G::SetEvenRowColor)
          .StoredWhen(&G::EvenRowColorStored)
          .Integer("FixedColor", &B::FixedColor, &B::SetFixedColor, clBtnFace)
          .Boolean("Flat", &B::Flat, &B::SetFlat)
          .Integer("FooterColor", &G::FooterColor, &G::SetFooterColor, clWindow)
          .Object("FooterFont", "TFont", &G::FooterFont, &G::SetFooterFont)
          .Integer("FooterRowCount", &G::FooterRowCount, &G::SetFooterRowCount, 0)
          .Integer("FrozenCols", &G::FrozenCols, &G::SetFrozenCols, 0)
          .Object("HorzScrollBar", "THorzDBGridExScrollBar", &G::HorzScrollBar, &G::SetHorzScrollBar)
          .Object("IndicatorTitle", "TDBGridExIndicatorTitle", &G::IndicatorTitle, &G::SetIndicatorTitle)
          .Integer("MinAutoFitWidth", &G::MinAutoFitWidth, &G::SetMinAutoFitWidth, 0)
          .Integer("OddRowColor", &G::OddRowColor, &G::SetOddRowColor)
          .StoredWhen(&G::OddRowColorStored)
          .Set("Options", "TDBGridOptions",
               {"dgEditing", "dgAlwaysShowEditor", "dgTitles", "dgIndicator", "dgColumnResize", "dgColLines",
                "dgRowLines", "dgTabs", "dgRowSelect", "dgAlwaysShowSelection", "dgConfirmDelete", "dgCancelOnExit",
                "dgMultiSelect"},
               &TDBGridEx::OptionsBits, &TDBGridEx::SetOptionsBits)
          .Set("OptionsEx", "TDBGridExOptions",
               {"dghFixed3D", "dghFrozen3D", "dghFooter3D", "dghData3D", "dghResizeWholeRightPart",
                "dghHighlightFocus", "dghClearSelection", "dghFitRowHeightToText", "dghAutoSortMarking",
                "dghMultiSortMarking", "dghEnterAsTab", "dghTraceColSizing", "dghIncSearch", "dghPreferIncSearch",
                "dghRowHighlight", "dghDblClickOptimizeColWidth", "dghDialogFind", "dghRecordMoving",
                "dghShowRecNo", "dghColumnResize", "dghColumnMove", "dghAutoFitRowHeight", "dghHotTrack",
                "dghExtendVertLines"},
               &TDBGridEx::OptionsExBits, &TDBGridEx::SetOptionsExBits)
          .Boolean("ReadOnly", &G::ReadOnly, &G::SetReadOnly, 0)
          .Integer("RowHeight", &G::RowHeight, &G::SetRowHeight, 0)
          .Integer("RowLines", &G::RowLines, &G::SetRowLines, 0)
          .Object("RowDetailPanel", "TRowDetailPanelEx", &G::RowDetailPanel, &G::SetRowDetailPanel)
          .Object("RowPanel", "TGridRowPanelEx", &G::RowPanel, &G::SetRowPanel)
          .Boolean("RowSizingAllowed", &G::RowSizingAllowed, &G::SetRowSizingAllowed, 0)
          .Object("SumList", "TDBGridExSumList", &G::SumList, &G::SetSumList)
          .Boolean("SortLocal", &G::SortLocal, &G::SetSortLocal, 0)
          .Object("TitleFont", "TFont", &G::TitleFont, &G::SetTitleFont)
          .Integer("TitleHeight", &G::TitleHeight, &G::SetTitleHeight, 0)
          .Object("TitleImages", "TCustomImageList", &G::TitleImages, &G::SetTitleImages)
          .Integer("TitleLines", &G::TitleLines, &G::SetTitleLines, 0)
          .Boolean("UseMultiTitle", &G::UseMultiTitle, &G::SetUseMultiTitle, 0)
          .Object("VertScrollBar", "TVertDBGridExScrollBar", &G::VertScrollBar, &G::SetVertScrollBar)
          .Integer("VTitleMargin", &G::VTitleMargin, &G::SetVTitleMargin, 10)
          .Unit("DBGridEx")
          .Build();
  return info;
}

bool TDBGridEx::ColumnsStored() const { return Columns()->State() == csCustomized; }

}  // namespace grid
