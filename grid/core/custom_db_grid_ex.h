// The data grid: the records of a dataset as rows, its fields as columns,
// over the base grid. TDBGridEx publishes the properties for window layouts.
//
// Rows are read through the data link's own window of records (its buffer
// count is the rows that fit), never by walking the dataset's cursor to each
// row: other views of the dataset hear nothing while the grid paints, and a
// large dataset costs what its visible rows cost.
#pragma once

#include <memory>
#include <vector>

#include "grid/core/db_grid_ex_types.h"
#include "grid/core/head_tree_node.h"
#include "grid/core/mem_table_intf_ex.h"
#include "grid/editor_support/button_faces.h"
#include "grid/editors/inplace_edit_intf_ex.h"
#include "grid/foundation/custom_grid_ex.h"
#include "platform/data/data_source.h"
#include "platform/ui/bitmap.h"
#include "platform/ui/scroll_bar.h"
#include "platform/ui/scroll_bars.h"

namespace grid {

class TDBGridExStyle;
class TDBGridExCenter;
class TGridDataLinkEx;
class TDBGridExScrollBar;
class TDBGridColumnsEx;
class TColumnDefValuesEx;
class TDBGridExSumList;
class TColCellParamsEx;
struct TDBGirdDrawTitleStateEx;
class TDBGridExSelection;
class TDBGridExSelectionCols;
class TDBGridExSelectionRect;
class TBookmarkListEx;
class TSTDBGridExFilter;
class TSTColumnFilterEx;
class TInplaceFilterEditEx;
class TPopupListboxEx;
class TDBGridExDataGroupsEx;
class TGridDataGroupLevelEx;
class TGridRowPanelEx;
class TRowDetailPanelEx;
class TRowDetailPanelControlEx;
class TDBGridExIndicatorTitle;

class TCustomDBGridEx : public TCustomGridEx, public IInplaceEditHolderEx, public IMemTableRecordEventsEx {
  JQ_UI_CLASSINFO
  friend class TGridDataLinkEx;
  friend class TDBGridExScrollBar;
  friend class THorzDBGridExScrollBar;
  friend class TVertDBGridExScrollBar;
  friend class TDBGridExStyle;
  friend class TDBGridExCenter;
  friend class TDBGridColumnsEx;
  friend class TColumnEx;
  friend class TDBGridExSelection;
  friend class TDBGridExSelectionCols;
  friend class TDBGridExSelectionRect;
  friend class TBookmarkListEx;
  friend class TSTDBGridExFilter;
  friend class TDBGridInplaceEdit;

 public:
  explicit TCustomDBGridEx(ui::TComponent* AOwner);
  ~TCustomDBGridEx() override;

  // --- options and permissions
  TDBGridOptions Options() const { return FOptions; }
  void SetOptions(TDBGridOptions Value);
  TDBGridExOptions OptionsEx() const { return FOptionsEx; }
  void SetOptionsEx(TDBGridExOptions Value);
  // The base grid's options (what Options and OptionsEx map to).
  TGridOptions GridOptions() const { return TCustomGridEx::Options(); }
  TDBGridExAllowedOperations AllowedOperations() const { return FAllowedOperations; }
  void SetAllowedOperations(TDBGridExAllowedOperations Value) { FAllowedOperations = Value; }
  TDBGridExAllowedSelections AllowedSelections() const { return FAllowedSelections; }
  void SetAllowedSelections(TDBGridExAllowedSelections Value);
  TDBGridExEditActions EditActions() const { return FEditActions; }
  void SetEditActions(TDBGridExEditActions Value) { FEditActions = Value; }
  TEditButtonsShowOptionsEx EditButtonsShowOptions() const { return FEditButtonsShowOptions; }
  void SetEditButtonsShowOptions(TEditButtonsShowOptionsEx Value);
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool Value);
  // The grid's own flag; the base grid's stays off (the data grid draws every cell).
  bool DefaultDrawing() const { return FDefaultDrawing; }
  void SetDefaultDrawing(bool Value) { FDefaultDrawing = Value; }
  bool SortLocal() const { return FSortLocal; }
  void SetSortLocal(bool Value) { FSortLocal = Value; }
  bool RowSizingAllowed() const { return FRowSizingAllowed; }
  void SetRowSizingAllowed(bool Value);
  bool AutoFitColWidths() const { return FAutoFitColWidths; }
  void SetAutoFitColWidths(bool Value);
  int MinAutoFitWidth() const { return FMinAutoFitWidth; }
  void SetMinAutoFitWidth(int Value);

  // --- data
  db::TDataSource* DataSource() const;
  void SetDataSource(db::TDataSource* Value);
  TGridDataLinkEx* DataLink() const { return FDataLink.get(); }
  int FieldCount() const;
  db::TField* SelectedField() const;
  void SetSelectedField(db::TField* Value);
  // Data column of the current cell.
  // In a row panel the grid's current column is the whole panel; the
  // selected data column is the panel's own.
  int SelectedIndex() const { return RowPanelActive() ? FInRowPanelCol : GridColToDataCol(Col()); }
  bool TryUseMemTableInt() const { return FTryUseMemTableInt; }
  void SetTryUseMemTableInt(bool Value) { FTryUseMemTableInt = Value; }

  // --- columns, their defaults and the sum list (grid/columns)
  TDBGridColumnsEx* Columns() const { return FColumns.get(); }
  void SetColumns(TDBGridColumnsEx* Value);
  // Columns pinned at the right edge: the count asked for, which the layout
  // gives as far as the visible columns allow.
  int WantedContraColCount() const { return FWantedContraColCount; }
  void SetContraColCount(int Value);
  TColumnDefValuesEx* ColumnDefValues() const { return FColumnDefValues.get(); }
  void SetColumnDefValues(TColumnDefValuesEx* Value);
  TDBGridExSumList* SumList() const { return FSumList.get(); }
  void SetSumList(TDBGridExSumList* Value);
  // The visible columns in collection order, rebuilt by each layout.
  const std::vector<TColumnEx*>& VisibleColumns() const { return FVisibleColumns; }
  // Columns carrying a sort marker, in sort order.
  std::vector<TColumnEx*>& SortMarkedColumns() { return FSortMarkedColumns; }
  // Rebuilds SortMarkedColumns from the columns' sort indexes.
  void SetSortMarkedColumns();
  void SetSelectedIndex(int Value);
  // Set while the data link's layout change is handled.
  bool LayoutFromDataset() const { return FLayoutFromDataset; }
  bool UpdateFields() const { return FUpdateFields; }
  int ExtraFirstColumnWidth() const { return FExtraFirstColumnWidth; }
  int Interlinear() const { return FInterlinear; }
  // The in-place editor's starting text and key value.
  const String& EditText() const { return FEditText; }
  void SetEditText(const String& Value) { FEditText = Value; }
  const rtl::Variant& EditKeyValue() const { return FEditKeyValue; }
  void SetEditKeyValue(const rtl::Variant& Value) { FEditKeyValue = Value; }
  // The parameter object of the columns' edit checks.
  TColCellParamsEx* CellParams() const { return FColCellParamsEx.get(); }
  // A spare font the columns fill cell parameters with.
  ui::TFont* SpareFont() const { return FDummiFont.get(); }

  // --- look
  TDBGridExStyle* Style() const { return FStyle; }
  // nil attaches the global style again.
  void SetStyle(TDBGridExStyle* Value);
  TDBGridExCenter* Center() const { return FCenter; }
  void SetCenter(TDBGridExCenter* Value);
  ui::TFont* TitleFont() const { return FTitleFont.get(); }
  void SetTitleFont(ui::TFont* Value);
  ui::TFont* FooterFont() const { return FFooterFont.get(); }
  void SetFooterFont(ui::TFont* Value);
  ui::TFont* HintFont() const { return FHintFont.get(); }
  TColor FooterColor() const { return FFooterColor; }
  void SetFooterColor(TColor Value);
  // Stored only once written.
  TColor EvenRowColor() const { return FEvenRowColorStored ? FEvenRowColor : Color(); }
  void SetEvenRowColor(TColor Value);
  TColor OddRowColor() const { return FOddRowColorStored ? FOddRowColor : Color(); }
  void SetOddRowColor(TColor Value);
  bool EvenRowColorStored() const { return FEvenRowColorStored; }
  bool OddRowColorStored() const { return FOddRowColorStored; }
  ui::TImageList* TitleImages() const { return FTitleImages; }
  void SetTitleImages(ui::TImageList* Value);
  bool DrawMemoText() const { return FDrawMemoText; }
  void SetDrawMemoText(bool Value);
  bool DrawGraphicData() const { return FDrawGraphicData; }
  void SetDrawGraphicData(bool Value);
  bool BufferedPaint() const { return FBufferedPaint; }
  void SetBufferedPaint(bool Value) { FBufferedPaint = Value; }

  // --- layout values
  int FooterRowCount() const { return FFooterRowCount; }
  void SetFooterRowCount(int Value);
  int FrozenCols() const { return FFrozenCols; }
  void SetFrozenCols(int Value);
  int RowHeight() const { return FRowHeight; }
  void SetRowHeight(int Value);
  int RowLines() const { return FRowLines; }
  void SetRowLines(int Value);
  int TitleHeight() const { return FTitleHeight; }
  void SetTitleHeight(int Value);
  int TitleLines() const { return FTitleLines; }
  void SetTitleLines(int Value);
  int VTitleMargin() const { return FVTitleMargin; }
  void SetVTitleMargin(int Value);
  int HTitleMargin() const { return FHTitleMargin; }
  void SetHTitleMargin(int Value);
  bool UseMultiTitle() const { return FUseMultiTitle; }
  void SetUseMultiTitle(bool Value);
  int IndicatorOffset() const { return FIndicatorOffset; }
  int TitleOffset() { return TitleRowCount(); }
  bool TimerActive() const { return FTimerActive; }
  // The title column held pressed, -1 for none.
  int PressedCol() const { return FPressedCol; }
  bool InplaceSearching() const { return FInplaceSearching; }
  TDBGridExScrollBar* HorzScrollBar() const { return FHorzScrollBar.get(); }
  void SetHorzScrollBar(TDBGridExScrollBar* Value);
  TDBGridExScrollBar* VertScrollBar() const { return FVertScrollBar.get(); }
  void SetVertScrollBar(TDBGridExScrollBar* Value);

  // --- locks and layout
  void LockUpdate() { ++FUpdateLock; }
  // The last unlock lays out a size change that came meanwhile.
  void UnlockUpdate();
  int UpdateLock() const { return FUpdateLock; }
  int LayoutLock() const { return FLayoutLock; }
  void LockLayout();
  void UnlockLayout();
  void CancelLayout();
  // Posts the deferred layout (once per grid) and drops one layout level.
  void DeferLayout();
  bool TryLockLayout();
  // How many layout runs the grid made (a run starts with the field map).
  int LayoutRuns() const { return FLayoutRuns; }

  int GridColToDataCol(int ACol) const { return ACol - FIndicatorOffset; }
  int DataColToGridCol(int DataCol) const { return DataCol + FIndicatorOffset; }
  // Repaints the indicator cell of the current row.
  void InvalidateIndicatorCell();
  // The in-place editor's text goes into the field.
  void UpdateData();

  TDBGridExState DBGridExState() const { return FDBGridExState; }

  // --- holder of the filter row's editor
  bool InplaceEditCanModify(ui::TControl* Control) override;
  // True when a press was remembered; its time is then forgotten.
  bool GetMouseDownInfo(TPoint& Pos, std::uint32_t& Time) override;
  void InplaceEditWndProc(ui::TControl* Control, ui::TMessage& Message) override;
  void InplaceEditKeyDown(ui::TControl* Control, std::uint16_t& Key, ui::TShiftState Shift) override;
  void InplaceEditKeyPress(ui::TControl* Control, char16_t& Key) override;
  void InplaceEditKeyUp(ui::TControl* Control, std::uint16_t& Key, ui::TShiftState Shift) override;

  // --- memory tables
  void HandleMemTableRecordEvent(int RecNum, TMemTableRecordEventKindEx Kind, int OldRecNum) override;
  bool MemTableSupported() const { return FIntMemTable != nullptr; }
  bool UsesMemTableView() const { return FIntMemTable != nullptr; }
  // Takes the dataset's memory-table interface while the link is active.
  void ReacquireMemTableInterface();

  // --- layout metrics, the data window and scrolling
  // Rows above the data: the title row and the filter row under it.
  int TopDataOffset() { return TitleRowCount() + STFilterRowCount(); }
  int DataRowCount() { return RowCount() - TopDataOffset(); }
  int VisibleDataRowCount() const { return VisibleRowCount(); }
  int StdDefaultRowHeight() const { return FStdDefaultRowHeight; }
  int TitleRowHeight() const { return FTitleRowHeight; }
  bool AllowWordWrap() const { return FAllowWordWrap; }
  int InplaceEditorButtonHeight() const { return FInplaceEditorButtonHeight; }
  int LastVisibleCol() const { return FLastVisibleCol; }
  int CalcIndicatorColWidth();
  int CalcTextRowHeight();
  void UpdateRowPanelColWidths();
  void UpdateExtraFirstColumnWidth();
  int AddExtraFirstColumnWidth(TColumnEx* Column, int Width);
  int StripExtraFirstColumnWidth(TColumnEx* Column, int Width);
  void UpdateAllGridDataRowHeights();
  // Widths of the columns fitted to their titles, data and footers.
  void FitColumnsWidthToData(const std::vector<TColumnEx*>& Columns);
  void OptimizeColumnWidths(TColumnEx* Column);
  // Moves the top row within the allowed range; with CheckOnly only answers it.
  int SafeMoveTop(int ATop, bool CheckOnly = false);
  void ClampTopRow();
  void ChangeRowCount(int Value);
  // Moves the current record (through the data link).
  int MoveBy(int Distance);
  // The scale step of a changed screen density or font size.
  void ApplyScaling(int M, int D, bool Loading = false);

  // --- footers
  String GetFooterValue(int Row, TColumnEx* Column);
  void DefaultDrawFooterCell(const TRect& Rect, int DataCol, int Row, TColumnEx* Column, TGridDrawState State);
  void InvalidateFooter();
  void InvalidateTitle();
  void SumListChanged() { InvalidateFooter(); }


  // --- grouping, tree area, row panels and the detail panel
  TDBGridExDataGroupsEx* DataGrouping() const { return FDataGrouping.get(); }
  // Assigns into the grid's own settings.
  void SetDataGrouping(TDBGridExDataGroupsEx* Value);
  IMemTableEx* MemTable() const { return FIntMemTable; }
  // Grouping is on, over a memory table, with an active level.
  bool DataGroupingWorks() const;
  TGroupDataTreeNodeEx* CurGroupDataNode() const { return FCurGroupDataNode; }
  // The node of a data row while grouping works, else nil.
  TGroupDataTreeNodeEx* GroupNodeOfDataRow(int DataRow) const;
  // The node of the row being drawn or measured (nil outside grouping).
  TGroupDataTreeNodeEx* DrawGroupDataNode() const { return FDrawGroupDataNode; }
  void SetCurrentGroupNode(TGroupDataTreeNodeEx* Node, bool ScrollIntoView);
  void SelectVisibleGroupNode(TGroupDataTreeNodeEx* Node, bool ScrollIntoView);
  void SelectGroupNodeOfRecord(int ViewRecNo, bool Exact);
  void SyncDataSetToGroupNode();
  int MoveByInGroupTree(int Distance);
  void GroupKeyDown(std::uint16_t& Key, ui::TShiftState Shift);
  int GroupNodeRowHeight(TGroupDataTreeNodeEx* Node);
  bool HighlightGroupDataCellColor(int DataCol, int DataRow, ui::TFont* AFont, TColor& Background,
                                   TGridDrawState State);
  void DrawGroupDataRow(int ACol, int ARow, TRect ARect, TGridDrawState State);
  void DrawExtraFirstColumnArea(int ARow, TRect ARect);
  void UpdateGroupPanelIndent();
  void LayoutGroupPanelItems();
  void DrawGroupPanel(int LevelIndex, TRect ARect);
  void GroupPanelMouseDown(ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y);
  // Level -1 drags the column FToMoveColumnIndex onto the panel.
  void StartGroupPanelMoving(int LevelIndex, int X);
  void TrackGroupPanelMoving(int X, int Y);
  void EndGroupPanelMoving(bool Apply);
  // Index among the items before which a drop at X lands; Marker gets its x.
  int GroupPanelDropPosition(int X, int& Marker);
  void GroupPanelTitleMouseUp(int X, int Y);
  // The in-title filter button of a grouping-panel item; false: not there.
  bool GroupPanelFilterButtonAt(int LevelIndex, TPoint P, TRect& Button);
  // The grouping-panel item under the mouse, -1 for none.
  int HotGroupPanelLevel() const { return FHotGroupPanelLevel; }
  // The active levels were rebuilt: a list opened from a level that is gone closes.
  void GroupLevelsRebuilt();
  int GroupDataMovingIndex() const { return FGroupDataMovingIndex; }
  // The column a title drag carries (onto the grouping panel).
  void SetToMoveColumnIndex(int Value) { FToMoveColumnIndex = Value; }
  int GroupPanelDropIndex() const { return FGroupPanelDropIndex; }
  void DataInsert();
  void DataAppend();
  void GroupingRowCountChanged();
  // Whether the press went to a group row's expand button or the row.
  bool GroupRowMouseDown(int X, int Y);
  // The memory table's record events while grouping works; false otherwise.
  bool HandleGroupingRecordEvent(int RecNum, TMemTableRecordEventKindEx Kind, int OldRecNum);
  // Group levels let go of a column that is going away.
  void ColumnDestroying(TColumnEx* Column);
  // Selects the row of the dataset's current record without moving the dataset.
  void FollowDataSetInGroupTree(int ViewRecNo);
  // What SetDrawRecord answers while a memory table reads the row instantly.
  static constexpr int kInstantReadRecord = -1000;
  // Row panels, group rows, the indent, tree area and detail sign of a cell;
  // true when the cell is done, else ARect is what is left for the cell.
  bool PaintPanelsAndGroups(int ACol, int ARow, TCellAreaTypeEx Area, TGridDrawState State, TRect& ARect,
                            int DataRow, int DataCol);

  int GetCellTreeElmentsAreaWidth();
  // After a tree node opened or closed: to the record the memory table
  // names (its new record number), else back to the node's own view.
  void ReturnAfterTreeToggle(int View, int NewRecNo);
  void DrawCellTreeArea(int DataCol, int DataRow, TRect Rect, TGridDrawState State);
  void DrawCellTreeElements(ui::TCanvas* ACanvas, TRect Rect, bool ContinuationOnly, bool EraseRowLines);
  bool TreeElementMouseDown(int X, int Y, bool TestOnly);
  bool CheckStartRowMoving(int X, int Y, bool TestOnly);
  int CalcRowMoveTreeLevel(int Row, TPoint Point, int& Level);
  void CalcRowMoveTarget(int Y, int Row, TPoint Point);
  void EndRowMoving(int X, int Y, bool Apply);
  bool MoveBookmarkedRows(int DataRow, int TreeLevel, bool CheckOnly);
  void ShowRowMoveMarker(int Left, int Right);
  void HideRowMoveMarker();
  int DataRowToRecNo(int DataRow);
  int MoveRowDest() const { return FMoveRowDest; }
  int MoveRowDestLevel() const { return FMoveRowDestLevel; }

  TGridRowPanelEx* RowPanel() const { return FGridRowPanel.get(); }
  void SetRowPanel(TGridRowPanelEx* Value);
  bool RowPanelActive() const;
  // The row panel's Tab walks lines left to right.
  bool RowPanelTabsLeftToRight() const;
  virtual int InRowPanelLineHeight();
  int GridMasterCellWidth() const { return FGridMasterCellWidth; }
  int GridMasterCellHeight() const { return FGridMasterCellHeight; }
  void SetGridMasterCellSize(int Width, int Height) {
    FGridMasterCellWidth = Width;
    FGridMasterCellHeight = Height;
  }
  int InRowPanelCol() const { return FInRowPanelCol; }
  void SetInRowPanelCol(int Index);
  void SortColumnsByRowPanelPlacement();
  TColumnEx* GetColumnInRowPanelAtPos(TPoint InCellPos, bool IsTitleTypeCell);
  TColumnEx* GetCellRectInRowPanelAtPos(TPoint InCellPos, TRect& ACellRect, bool IncludeLines);
  // The whole master cell of a grid row, also where the grid is scrolled past
  // part of it: in client coordinates, or in the grid's own unmirrored ones.
  TRect RowPanelMasterCellRect(int ARow, bool Logical = false);
  // A rectangle given inside the master cell of a grid row, in client coordinates.
  TRect RowPanelCellClientRect(int ARow, const TRect& InPanel);
  // Hot tracking inside a panel: the column under the mouse is the hot one.
  void TrackRowPanelHotColumn(int X, int Y);
  bool RowPanelCellHot(int ARow, int DataCol) const;
  // The visible panel column under a client point of a grid row and its cell as painted.
  TColumnEx* RowPanelHintCell(TGridCoord Cell, TPoint P, TRect& R);
  // The edit button under the mouse (-1 none, 0 the default one, 1.. the column's extra ones).
  int HotTrackEditButton() const { return FHotTrackEditButton; }
  // The detail sign in front of the first visible panel column's value.
  TRect RowPanelDetailSignRect(int ARow);
  void ScrollRowPanelColumnIntoView(int Index);
  virtual void DrawRowPanelTitle(int ACol, int ARow, TRect ARect, TGridDrawState State);
  virtual void DrawRowPanelData(int ACol, int ARow, TRect ARect, TGridDrawState State);
  virtual void DrawRowPanelFooter(int ACol, int ARow, TRect ARect, TGridDrawState State);
  // The title and footer areas: each visible column's cell with its lines.
  void DrawRowPanelFixedCells(TRect ARect, TColor Background, const std::function<void(TRect Cell, int DataCol)>& Draw);
  int OriginCol() const { return Col(); }
  void SetOriginCol(int Value) { SetCol(Value); }

  TRowDetailPanelEx* RowDetailPanel() const { return FRowDetailPanel.get(); }
  void SetRowDetailPanel(TRowDetailPanelEx* Value);
  TRowDetailPanelControlEx* RowDetailPanelControl() const { return FRowDetailControl; }
  void PlaceRowDetailControl();
  // The room under the current record while its detail panel is open.
  int RowDetailPanelExtraHeight();
  virtual int DrawRowDetailSign(TRect ARect, int DataRow);
  virtual bool RowDetailSignMouseDown(int X, int Y);
  virtual bool PointInRowDetailSign(int X);
  bool RowHasDetailPanel();
  bool PointInCellButton(TPoint P, TRect CellRect, TRect& ButtonRect);
  int TitleFilterButtonHitTest(TGridCoord Cell, TPoint P, TRect& ButtonRect, TRect CellRect);
  // A press on a title's filter button opens or closes its list; false: not on it.
  bool TitleFilterButtonMouseDown(TGridCoord Cell, TColumnEx* Column, int X, int Y);
  // The data index of the row-panel column under a point, -1 for none.
  int RowPanelColumnAt(int X, int Y, bool Title);
  // Presses in a row panel's titles (false: a sizing edge, left to the
  // common sizing) and in its data rows.
  bool RowPanelTitleMouseDown(ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y);
  void RowPanelDataMouseDown(TGridCoord Cell, int X, int Y);
  // A double click on a panel title's right edge: the column grows up to the
  // next cell on one of its lines, or to the panel's right edge.
  void WidenRowPanelColumnToNeighbour(int DataCol);
  // Moving a panel column by its title: the drag starts past the threshold,
  // follows the mouse (scrolling at the grid's sides) and, applied, puts the
  // column in the target cell's place and line.
  void StartRowPanelColumnDrag(int DataCol, int X, int Y);
  void BeginRowPanelColumnDrag(int DataCol, int X, int Y);
  void TrackRowPanelColumnMove(ui::TShiftState Shift, int X, int Y);
  void EndRowPanelColumnMove(bool Apply);
  int RowPanelMoveTarget() const { return FRowPanelMoveTarget; }
  TGridOptions DesignOptionsForState();
  TDBGridExIndicatorTitle* IndicatorTitle() const { return FIndicatorTitle.get(); }
  void SetIndicatorTitle(TDBGridExIndicatorTitle* Value);

  // --- text search and incremental search
  // One step of the incremental search: Text extends the search text, the
  // dataset goes to the first matching record in Direction. TimeOut in ms
  // (negative: the search stays open until stopped).
  void StartInplaceSearch(const String& Text, int TimeOut, TLocateTextDirectionEx Direction);
  void StopInplaceSearch();
  // The text search, with the wait cursor shown meanwhile.
  bool LocateText(TCustomDBGridEx* AGrid, const String& FieldName, const String& Text,
                  TLocateTextOptionsEx AOptions, TLocateTextDirectionEx Direction, TLocateTextMatchingEx Matching,
                  TLocateTextTreeFindRangeEx TreeFindRange);
  void StartInplaceSearchTimer();
  void StopInplaceSearchTimer();
  const String& InplaceSearchText() const { return FInplaceSearchText; }
  int InplaceSearchTimeOut() const { return FInplaceSearchTimeOut; }
  // The window timer of the search's typing pause.
  static constexpr std::uintptr_t kInplaceSearchTimerId = 2;

  // --- events
  ui::TNotifyEvent OnActiveGroupingStructChanged;
  TDBGridExAdvDrawDataCellEvent OnAdvDrawDataCell;
  ui::TNotifyEvent OnApplyFilter;
  TDBGridExBuildIndicatorTitleMenu OnBuildIndicatorTitleMenu;
  TDBGridExClickEvent OnCellClick;
  TDBGridExClickEvent OnTitleClick;
  TGridExCellMouseEvent OnIndicatorTitleMouseDown;
  TCheckTitleExBtnEvent OnCheckButton;
  TCheckRowHaveDetailPanel OnCheckRowHaveDetailPanel;
  ui::TNotifyEvent OnColEnter;
  ui::TNotifyEvent OnColExit;
  ui::TNotifyEvent OnColWidthsChanged;
  ui::TNotifyEvent OnSelectionChanged;
  ui::TNotifyEvent OnSortMarkingChanged;
  ui::TNotifyEvent OnSumListRecalcAll;
  ui::TNotifyEvent OnSumListAfterRecalcAll;
  ui::TNotifyEvent OnEditButtonClick;
  ui::TNotifyEvent OnTopLeftChanged;
  TMovedEvent OnColumnMoved;
  TDBGridExDataGroupGetRowTextEvent OnDataGroupGetRowText;
  TDBGridExDataHintShowEvent OnDataHintShow;
  TDrawColumnExCellEvent OnDrawColumnCell;
  TDrawDataCellEvent OnDrawDataCell;
  TDrawFooterCellEvent OnDrawFooterCell;
  TDBGridExFillSTFilterListValuesEvent OnFillSTFilterListValues;
  TGetBtnExParamsEvent OnGetBtnParams;
  TGetCellExParamsEvent OnGetCellParams;
  TGetFooterParamsEvent OnGetFooterParams;
  TGetRowHeightEvent OnGetRowHeight;
  TDBGridExHintShowPauseEvent OnHintShowPause;
  TDBGridExMoveRecordsEvent OnMoveRecords;
  TCanHideRowDetailPanelEvent OnRowDetailPanelHide;
  TCanShowRowDetailPanelEvent OnRowDetailPanelShow;
  TTitleExClickEvent OnTitleBtnClick;

  // --- own virtual operations, in slot order
  virtual bool TakeFocus();
  virtual bool CanMoveDataRows();
  virtual int DataRowHeight(int DataRow);
  virtual int CalcDefaultRowHeight();
  virtual bool HighlightsFocusedRow();
  virtual bool AlwaysShowsEditor();
  virtual bool FilterEditorActive();
  virtual bool IsCell3D(int ACol, int ARow, TGridDrawState State, const TRect& ARect);
  virtual bool HasIndicatorColumn();
  virtual int TitleRowCount();
  virtual int STFilterRowCount();
  virtual bool GridOrEditorFocused();
  virtual bool NeedsFullRowRepaint();
  virtual TDBGridExScrollBar* CreateScrollBar(ui::TScrollBarKind Kind);
  virtual bool MoveDataRows(TBMListEx* BookmarkList, int ToRecNo, int TreeLevel, bool CheckOnly);
  virtual void CellClick(TColumnEx* Column);
  virtual bool CheckTitleButton(int ACol, TColumnEx* Column);
  virtual void ColEnter();
  virtual void ColExit();
  virtual void HandleDataSetChanged();
  virtual void BuildFieldMap();
  virtual void HandleLayoutChange();
  virtual void SortMarkingChanged();
  virtual void TitleBtnClick(int ACol, TColumnEx* Column);
  // WindowCanvas covers the window rectangle, border included.
  virtual void PaintFlatBorder(ui::TCanvas* WindowCanvas);
  virtual void DrawColumnCell(const TRect& Rect, int DataCol, TColumnEx* Column, TGridDrawState State);
  virtual void DrawDataCellEvent(const TRect& Rect, db::TField* Field, TGridDrawState State);
  virtual void EditButtonClick();
  virtual void GetCellParams(TColumnEx* Column, ui::TFont* AFont, TColor& Background, TGridDrawState State);
  virtual void CollectDataSetFields(std::vector<db::TField*>& List);
  virtual void GetFooterParams(int DataCol, int Row, TColumnEx* Column, ui::TFont* AFont, TColor& Background,
                               ui::TAlignment& Alignment, TGridDrawState State, String& Text);
  virtual void RelayoutGrid();
  virtual void DataLinkActiveChanged(bool Value);
  virtual void ScrollData(int Distance);
  virtual void TitleClick(TColumnEx* Column);
  virtual void SyncCurrentRow();
  virtual void SyncHorzScrollBar();
  virtual void RecountRows();
  virtual void SyncVertScrollBar();
  virtual void UpdateDataRowHeight(int DataRow);
  virtual void HandleRecordChanged(db::TField* Field);
  virtual bool DefaultMoveDataRows(TBMListEx* BookmarkList, int ToRecNo, int TreeLevel, bool CheckOnly);
  virtual bool IsFindDialogShowAsModal();
  virtual bool IsUseMultiTitle();
  virtual void DefaultApplyFilter();
  virtual void DefaultApplySorting();
  virtual void DefaultBuildIndicatorTitleMenu(ui::TPopupMenu*& PopupMenu);
  virtual void DefaultIndicatorTitleMouseDown(TGridCoord Cell, ui::TMouseButton Button, ui::TShiftState Shift,
                                              int X, int Y);
  virtual void UpdateAllDataRowHeights();
  virtual TColumnDefValuesEx* CreateColumnDefValues();
  virtual TDBGridColumnsEx* CreateColumnCollection();

  // The grid's own OnIndicatorTitleMouseDown, else DefaultIndicatorTitleMouseDown.
  void IndicatorTitleMouseDown(TGridCoord Cell, ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y);
  // The press on the indicator title handed to the behaviour centre.
  void IndicatorTitlePressed(TGridCoord Cell, ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y);
  // The centre's, or the grid's own default when it has none.
  void BuildIndicatorTitleMenu(ui::TPopupMenu*& PopupMenu);


  // --- behaviour: sort marking, messages, property setters and record
  // operations, hints, saving and restoring the layout
  // The data area in cells, and in pixels.
  TRect DataBox();
  TRect DataRect();
  TRect CellRect(int ACol, int ARow) { return CellBounds(ACol, ARow); }
  bool CanSelectType(TDBGridExSelectionType Kind);
  bool EditAllowedByOperations();
  bool ValidFieldIndex(int FieldIndex);
  // Case-insensitive; nil when no column shows that field.
  TColumnEx* FindFieldColumn(const String& FieldName);
  // Raises "Field name '%s' not found" when no column shows that field.
  TColumnEx* FieldColumnByName(const String& FieldName);
  bool IsMouseInRect(const TRect& ARect);
  void InvalidateSelection();
  // The selected column takes the value of the record before the current one.
  void SetValueFromPrevRecord();
  // Keep and restore which records fill the data window and which is current.
  void SaveBookmark();
  void RestoreBookmark();
  void ShowFindDialog(const String& Text, const String& ColumnFieldName, bool Modal);
  void RestoreEditorMode();
  void TakeColumnIme();
  void ApplyColumnIme();
  void SumListRecalcAll();
  void SumListAfterRecalcAll();
  int BorderWidth() const { return FBorderWidth; }
  bool SortMarking() const { return FSortMarking; }
  void SetSortMarking(bool Value) { FSortMarking = Value; }
  // Tool tips: CM_HINTSHOW and CM_HINTSHOWPAUSE.
  void HandleCmHintShow(ui::TMessage& Message);
  void HandleCmHintShowPause(ui::TMessage& Message);
  virtual void DefaultFillDataHintShowInfo(TPoint CursorPos, TGridCoord Cell, TDBGridExDataHintParams& Params,
                                           TColumnEx* Column);
  String ColumnHintText(TColumnEx* Column);
  // Layouts in ini files and the registry. The registry forms write under
  // the grid's component path, erased first.
  void SaveColumnsLayoutIni(const String& IniFileName, const String& Section, bool DeleteSection);
  void RestoreColumnsLayoutIni(const String& IniFileName, const String& Section,
                               TColumnExRestoreParams RestoreParams);
  void SaveColumnsLayout(rtl::TRegIniFile* ARegIni);
  void SaveColumnsLayout(rtl::TCustomIniFile* ACustIni, const String& Section);
  void RestoreColumnsLayout(rtl::TRegIniFile* ARegIni, TColumnExRestoreParams RestoreParams);
  void RestoreColumnsLayout(rtl::TCustomIniFile* ACustIni, const String& Section,
                            TColumnExRestoreParams RestoreParams);
  void SaveGridLayout(rtl::TRegIniFile* ARegIni);
  void SaveGridLayout(rtl::TCustomIniFile* ACustIni, const String& Section);
  void RestoreGridLayout(rtl::TRegIniFile* ARegIni, TDBGridExRestoreParams RestoreParams);
  void RestoreGridLayout(rtl::TCustomIniFile* ACustIni, const String& Section, TDBGridExRestoreParams RestoreParams);
  void SaveGridLayoutIni(const String& IniFileName, const String& Section, bool DeleteSection);
  void RestoreGridLayoutIni(const String& IniFileName, const String& Section, TDBGridExRestoreParams RestoreParams);
  // Layout streams carry the row detail control, read into the grid's own.
  void GetChildren(const ui::TGetChildProc& Proc, ui::TComponent* Root) override;
  void LoadFromReader(ui::TReader& Reader) override;

 protected:
  ui::TComponent* ReaderCreateComponent(const ui::TClassInfo& ComponentClass);
  ui::TComponent* ReaderAncestorNotFound(ui::TReader& Reader, const std::string& Name);
  void HandleDesignHitTest(ui::TMessage& Message);
  // CM_CHANGED to the child controls, at design time only.
  void BroadcastDesignChange();
  // --- behaviour (protected part)
  void DoKeyUp(std::uint16_t& Key, ui::TShiftState Shift) override;
  void DoExit() override;
  void RepositionEditor() override;
  void AbortGridState() override;
  void EnterEditorMode() override;
  void LeaveEditorMode() override;
  void FlatUpdated() override;
  void WndProc(ui::TMessage& Message) override;
  // The window and control messages the grid adds to the base grid's;
  // true when the message was handled here.
  bool DispatchBehaviourMessage(ui::TMessage& Message);
  void HandleWmSize(ui::TMessage& Message);
  void HandleWmSetCursor(ui::TMessage& Message);
  // The selection cursor the point asks for (row select on the indicator,
  // column select at the foot of a title); false: none.
  bool SelectCursorAt(TPoint P, ui::TCursor& Cursor);
  void HandleFocusMessage(ui::TMessage& Message);
  void HandleComponentRemoval(ui::TComponent* AComponent);
  // Writers and readers behind every save and restore form.
  virtual void WriteColumnsLayout(const TGridLayoutStorage& Storage, const String& Section, bool DeleteSection);
  virtual void ReadColumnsLayout(const TGridLayoutStorage& Storage, const String& Section,
                                 TColumnExRestoreParams RestoreParams);
  virtual void WriteGridLayout(const TGridLayoutStorage& Storage, const String& Section, bool DeleteSection);
  virtual void ReadGridLayout(const TGridLayoutStorage& Storage, const String& Section,
                              TDBGridExRestoreParams RestoreParams);
  String ColumnLayoutKey(TColumnEx* Column) const;
  // Set while several titles are Ctrl+clicked; releasing Ctrl applies the sort.
  bool FSortMarking = false;
  bool FSelfChangingTitleFont = false;
  int FBorderWidth = 0;
  bool FTopLeftVisible = true;
  bool FSelectionActive = false;
  bool FAutoDrag = false;
  bool FDSMouseCapture = false;
  db::TBookmark FLockedBookmark;
  int FLookedOffset = 0;
  int FInplaceColInRowPanel = -1;
  int FInplaceRow = -1;

 public:
  // --- edit actions
  // Whether the grid and its dataset can take each of the five edit commands now.
  bool CheckCopyAction();
  bool CheckCutAction();
  bool CheckPasteAction();
  bool CheckSelectAllAction();
  bool CheckDeleteAction();
  // The standard edit actions, for a focused grid whose EditActions allow them.
  bool ExecuteAction(ui::TBasicAction* Action) override;
  bool UpdateAction(ui::TBasicAction* Action) override;

  // --- painting support and the multi-title header tree
  // Leading is the left side, the right one in a right-to-left grid.
  void Draw3DCellEdge(ui::TCanvas* ACanvas, TRect ARect, bool DrawTrailing, bool DrawLeading, bool Pressed,
                      bool Down);
  void SetGridCanvasMirroring(bool Mirrored);
  // A button face drawn unmirrored, so that its glyph reads the same in a right-to-left grid.
  void PaintCellButton(ui::TCanvas* ACanvas, TRect ARect, TColor ParentColor, TDrawButtonControlStyleEx Style,
                       int DownButton, bool Flat, bool Active, bool Enabled, ui::TCheckBoxState CheckState);
  // --- cell painting
  // Raises on a row between the filter row and the data.
  void GetCellType(int ACol, int ARow, TCellAreaTypeEx& AreaType, int& DataCol, int& DataRow);
  // Themes active, the grid not flat, the cell drawn 3D.
  bool UsesThemedFixedCell(bool Is3D) const;
  // Makes the record at DataRow of the link's window current for reading
  // and answers the one it replaced, which RestoreDrawRecord gives back.
  int SetDrawRecord(int DataRow);
  void RestoreDrawRecord(int OldActiveRecord);
  // The current record's row in the link's window, also while another
  // record is current for drawing.
  int CurrentDataRow() const;
  void DrawDataCell(int ACol, int ARow, TCellAreaTypeEx AreaType, TGridDrawState State, TRect ARect, int DataRow,
                    int DataCol);
  virtual void DefaultDrawColumnDataCell(TGridCoord Cell, TGridCoord AreaCell, TColCellParamsEx& Params,
                                         TRect AreaRect, TColumnEx* Column);
  bool CheckFillDataCell(TGridCoord Cell, TGridCoord AreaCell, TColCellParamsEx& Params, TRect AreaRect,
                         TColumnEx* Column);
  virtual bool HighlightDataCellColor(int DataCol, int DataRow, ui::TFont* AFont, TColor& AColor,
                                      TGridDrawState State, const String& Text);
  bool HighlightNonDataCellColor(int ACol, int ARow, ui::TFont* AFont, TColor& AColor, bool InSelection,
                                 TGridDrawState State, TCellAreaTypeEx AreaType, int DataRow, int DataCol);
  // Whether a grid cell lies in the selection; data cells are asked for the
  // record being drawn.
  bool IsCellSelected(int ACol, int ARow, int DataCol) const;
  void WriteCellText(TRect ARect, bool FillRect, int DX, int DY, const String& Text, ui::TAlignment Alignment,
                     ui::TTextLayout Layout, bool MultyL, bool EndEllipsis, int LeftMarg, int RightMarg,
                     bool RightToLeftAlignment);
  void DefaultDrawDataCell(const TRect& Rect, db::TField* Field, TGridDrawState State);
  void DefaultDrawColumnCell(const TRect& Rect, int DataCol, TColumnEx* Column, TGridDrawState State);
  // The themed face of a fixed or blank cell.
  void DrawThemedCellBackground(TRect ARect, TColor Color, bool Pressed);
  // Transparency in per cent: 0 opaque.
  void DrawCellEditButton(TRect ARect, TDrawButtonControlStyleEx Style, int Transparency, bool Pressed);
  // Whether a data cell shows its column's edit buttons, and their widths.
  bool CellShowsEditButtons(TColumnEx* Column, int DataRow, int DataCol);
  int CellEditButtonsWidth(TColumnEx* Column);
  // Where a picture goes in a cell: shrunk with its aspect kept when it is
  // larger, centred.
  static TRect FitPictureRect(int PictureWidth, int PictureHeight, const TRect& Rect);
  void DrawGraphicDataCell(TColumnEx* Column, const TRect& Rect);
  void DrawPictureCell(ui::TBitmap* Picture, const TRect& Rect);
  void DrawIndicatorCell(int ACol, int ARow, TCellAreaTypeEx AreaType, TGridDrawState State, TRect ARect,
                         int DataRow, int DataCol);
  void DrawIndicatorGlyph(int Kind, int OffsetY, int OffsetX, TRect ARect);
  void DrawDropDownSign(bool Highlighted, TRect ARect);
  void DrawFooterCell(int ACol, int ARow, TCellAreaTypeEx AreaType, TGridDrawState State, TRect ARect,
                      int FooterIndex, int DataCol);
  void DrawMultiTitleCell(int ACol, int ARow, TCellAreaTypeEx AreaType, TGridDrawState State, TRect ARect,
                          int DataRow, int DataCol);
  void DrawTitleContents(TColumnEx* Column, TRect ARect, TDBGirdDrawTitleStateEx& TitleState,
                         TGridDrawState State);
  // Whether a title of that text width shows its sort marker and index.
  static void FitSortMarker(int AreaWidth, int ImageWidth, int IndexWidth, bool& DrawMarker, bool& DrawIndex);
  // Fixed-cell background, or a whole filter-row cell; answers the highlight.
  virtual bool DrawFixedCell(int ACol, int ARow, TGridDrawState State, TRect ARect, bool IsTitle, int DataCol);
  // The grid row of the current record as last drawn.
  int SelRow() const { return FSelRow; }
  THeadTreeNode* HeadTree() const { return FHeadTree.get(); }
  std::vector<LeafCol>& LeafFieldArr() { return FLeafFieldArr; }
  // Sets the heights of Node's subtree from the captions; the result is Node's height.
  int CalcHeadTreeHeights(THeadTreeNode* Node);

  // --- input: selection, keys, mouse, tracking and the grid timer
  TDBGridExSelection* Selection() const { return FSelection.get(); }
  // The selected records.
  TBookmarkListEx* Bookmarks() const { return FBookmarks.get(); }
  bool CanSelectType(TDBGridExSelectionType Kind) const;
  void ClearSelection();
  void ClearSelectionIfAsked();
  // Asks before records are deleted; true to go on.
  bool ConfirmDelete();
  void MoveRecordSelecting(bool Select, int Distance, bool RowSelection, bool ToEnd);
  // Direction 0 takes Index as it is; -1 and 1 step past invisible columns.
  void SelectDataColumn(int Index, int Direction, bool ExtendSelection);
  // The text of the key press being handled (two characters for a surrogate pair).
  String GetCompleteKeyPress() const { return FCompleteKeyPress; }
  bool StartFieldEdit();
  // The editor shows again once the selection is gone (dgAlwaysShowEditor).
  void ShowEditorAgain() { EnterEditorMode(); }
  // Places the cell editor anew (an open list of it stays open) and, while
  // the filter row is edited, the filter editor too.
  void RefreshEditorPlacement();
  void EndMouseTracking();
  void TrackTitlePress(int X, int Y);
  virtual void HandleTrackingTimer();
  void SetGridTimer(int Interval);
  void KillGridTimer();
  // Period of the running grid timer, -1 while it is not running.
  int GridTimerInterval() const { return FTimerInterval; }
  // A press on a frozen title column's right border: its index, sizing
  // position and offset.
  bool DetectFrozenColSizing(int X, int Y, int& Index, int& SizingPos, int& SizingOfs);
  // The edges of a row panel's title cells; Index is the column's.
  bool DetectRowPanelTitleSizing(int X, int Y, TGridState& State, int& Index, int& Pos, int& Ofs);
  // Ends sizing a row-panel cell: the column takes the width or lines; false: no such sizing.
  bool EndRowPanelSizing();
  void SizingLineExtent(const TGridDrawMetricsEx& Info, int& From, int& To) override;
  void DrawFrozenSizingLine(int Width, int Height);
  int EditButtonAtPos(int ACol, int ARow, int InCellY, int InCellX, TColumnEx* Column);
  // Where a press selects whole columns: the lowest 7 pixels of a data
  // column's title, when column selection is allowed.
  bool InColumnSelectZone(int X, int Y);
  static bool PointWithinRect(TPoint P, const TRect& R) {
    return P.X >= R.Left && P.X <= R.Right && P.Y >= R.Top && P.Y <= R.Bottom;
  }

  // --- filter row
  TSTDBGridExFilter* STFilter() const { return FSTFilter.get(); }
  void SetSTFilter(const TSTDBGridExFilter* Value);
  // The filter row's editor, nil before first use.
  TInplaceFilterEditEx* FilterEdit() const { return FFilterEdit; }
  virtual TInplaceFilterEditEx* CreateFilterEditor();
  // The data column whose filter is edited, -1 for none.
  int FilterCol() const { return FFilterCol; }
  bool FilterEditMode() const { return FFilterEditMode; }
  bool IsSTFilterRow(int ARow) { return STFilterRowCount() > 0 && ARow == TopDataOffset() - 1; }
  bool ColumnHasFilterCell(int DataCol);
  String ColumnFilterText(int DataCol);
  void SetFilterEditMode(bool On);
  void StartFilterEditing(int DataCol);
  void PlaceFilterEditor(bool Show);
  void ShowFilterEditorValue(int DataCol);
  void ApplyFilterEditText(int DataCol);
  void CommitFilterEditText();
  void HideFilterEditor();
  void ResetSTFilterEditing();
  void ApplyFilter() { ExecuteApplyFilter(); }
  void ExecuteApplyFilter();
  // Empties every column filter without filtering the dataset again.
  void ClearFilter();
  void FillSTFilterListValues(TSTColumnFilterEx* Filter, ui::TStrings* Items, int& Width,
                              TPopupListboxEx* ListControl);
  virtual void DefaultFillSTFilterListValues(TColumnEx* Column, ui::TStrings* Items);
  void ShowTitleFilterListbox(TColumnEx* Column);
  void ShowTitleFilterListboxAt(TColumnEx* Column, TRect R);
  void CloseTitleFilterListbox(bool Execute);
  TPopupListboxEx* InTitleFilterListbox() const { return FInTitleFilterListbox; }
  TColumnEx* InTitleFilterListboxColumn() const { return FInTitleFilterListboxColumn; }
  bool InTitleFilterListboxVisible() const { return FInTitleFilterListboxVisible; }
  // The grouping level whose panel item opened the list; null for a title's.
  TGridDataGroupLevelEx* InTitleFilterListboxGroupLevel() const { return FInTitleFilterListboxGroupLevel; }
  void FilterEditorKeyPress(ui::TObject* Sender, char16_t& Key);
  void FilterEditTextChanged();
  void FilterEditorDropDown(ui::TObject* Sender);
  void FilterEditorClosingUp(ui::TObject* Sender, bool& Accept);
  void FilterEditorCloseUp(ui::TObject* Sender, bool Accept);
  // The funnel a filtered column's title shows beside its filter button.
  void DrawFilterActiveSign(TRect R, bool Selected);
  // A column leaves the grid: its filter editing and its in-title list end.
  void ColumnGoing(TColumnEx* Column);
  // --- cell editor
  // The grid's cell editor (TDBGridInplaceEdit).
  TInplaceEdit* NewInplaceEditor() override;

 protected:
  // The grouping panel in the top margin.
  void PaintOutBoundary(const TRect& Rect) override;
  void CellEditRect(int ACol, int ARow, TRect& Rect) override;
  // In a row panel the editor follows the selected panel column, not the
  // grid's current cell, and lies over that column's place in the panel.
  void SyncInplaceEditor() override;
  void CommitEditorText() override;
  void StoreCellText(int ACol, int ARow, const String& Text) override;
  // The editor's rectangle over a panel column of the current row.
  TRect RowPanelEditRect(int DataCol);
  bool HorzScrollIsSmooth() override;
  bool VertScrollIsSmooth() override;
  // In a row panel the selected panel column is scrolled into view too.
  void GoToCell(int ACol, int ARow, bool MoveAnchor) override;
  bool ValidateColumnMove(int& From, int& To, TPoint P) override;
  // Buffered: the client is painted into one bitmap and copied once.
  void Paint() override;
  void CellBorderVisibility(int ACol, int ARow, TGridCellBorderTypeEx Side, bool& Draw, TColor& Color,
                            bool& Extend) override;
  std::unique_ptr<THeadTreeNode> FHeadTree = std::make_unique<THeadTreeNode>(u"Root", 0, 0);
  std::vector<LeafCol> FLeafFieldArr;

  void Loaded() override;
  void Notification(ui::TComponent* AComponent, ui::TOperation Operation) override;
  void Dispatch(ui::TMessage& Message) override;
  void PaintCell(int ACol, int ARow, TGridDrawState AState, TRect ARect) override;
  void DefaultCellMouseClick(TGridCoord Cell, ui::TMouseButton Button, ui::TShiftState Shift, int X,
                             int Y) override;
  // The layout itself (run by the last UnlockLayout).
  virtual void InternalLayout();
  void InitWidget() override;
  void DefaultHandler(ui::TMessage& Message) override;
  void RowHeightsUpdated() override;
  void TimedAnchorStep(unsigned Flags) override;
  void ScrollDataArea(int DX, int DY) override;
  bool DoMouseWheelDown(ui::TShiftState Shift, TPoint MousePos) override;
  bool DoMouseWheelUp(ui::TShiftState Shift, TPoint MousePos) override;
  void HandleWmVScroll(ui::TMessage& Message);
  void HandleWmHScroll(ui::TMessage& Message);
  void HandleRowVScroll(int Code, int Pos);
  bool UsesExtendedMemTableScrolling();
  void SyncRowScrollBar();
  void RecountMemTableRows();
  void FetchRowsToFillWindow();
  void SyncMemTableCurrentRow(int Distance);
  // Writes the vertical bar when a value or its visible mode changed.
  void ApplyVertScrollInfo(ui::TScrollInfo Next, const ui::TScrollInfo& Current);
  bool MouseWheelStep(ui::TShiftState Shift, TPoint MousePos, bool Down);

  // --- fields of the grid's own design
  TDBGridOptions FOptions;
  TDBGridExOptions FOptionsEx;
  TDBGridExAllowedOperations FAllowedOperations;
  TDBGridExAllowedSelections FAllowedSelections;
  TDBGridExEditActions FEditActions;
  TEditButtonsShowOptionsEx FEditButtonsShowOptions;
  bool FReadOnly = false;
  bool FDefaultDrawing = true;
  bool FSortLocal = false;
  std::unique_ptr<TGridDataLinkEx> FDataLink;
  bool FTryUseMemTableInt = true;
  bool FUpdateFields = true;
  bool FLayoutFromDataset = false;
  int FOldActiveRecord = -1;
  bool FAutoFitColWidths = false;
  int FMinAutoFitWidth = 0;
  int FFrozenCols = 0;
  int FUpdateLock = 0;
  int FLayoutLock = 0;
  int FIndicatorOffset = 1;
  int FTitleHeight = 0;
  int FTitleHeightFull = 0;
  int FTitleLines = 0;
  int FVTitleMargin = 10;
  int FHTitleMargin = 0;
  bool FUseMultiTitle = false;
  int FRowLines = 0;
  int FRowHeight = 0;
  int FStdDefaultRowHeight = 0;
  bool FRowSizingAllowed = false;
  int FInterlinear = 4;
  int FFooterRowCount = 0;
  TDBGridExStyle* FStyle = nullptr;
  TDBGridExCenter* FCenter = nullptr;
  std::unique_ptr<ui::TFont> FTitleFont;
  std::unique_ptr<ui::TFont> FFooterFont;
  TColor FFooterColor = ui::clWindow;
  std::unique_ptr<ui::TFont> FHintFont;
  std::unique_ptr<ui::TFont> FDummiFont;
  ui::TImageList* FTitleImages = nullptr;
  std::unique_ptr<ui::TChangeLink> FTitleImageChangeLink;
  TColor FEvenRowColor = ui::clWindow;
  TColor FOddRowColor = ui::clWindow;
  bool FEvenRowColorStored = false;
  bool FOddRowColorStored = false;
  bool FDrawMemoText = false;
  bool FDrawGraphicData = false;
  bool FBufferedPaint = true;
  TDBGridExState FDBGridExState = dgsNormal;
  int FPressedCol = -1;
  int FPressedDataCol = -1;
  bool FTimerActive = false;
  bool FAcquireFocus = true;
  bool FUserChange = true;
  bool FInplaceSearching = false;
  bool FFilterEditMode = false;
  // Set while the filter editor hands its text over and hides.
  bool FHidingFilterEditor = false;
  std::unique_ptr<TDBGridExScrollBar> FHorzScrollBar;
  std::unique_ptr<TDBGridExScrollBar> FVertScrollBar;
  TPoint FDownMousePos{};
  std::uint32_t FDownMouseMessageTime = 0;
  IMemTableEx* FIntMemTable = nullptr;
  std::unique_ptr<TDBGridColumnsEx> FColumns;
  std::unique_ptr<TColumnDefValuesEx> FColumnDefValues;
  std::unique_ptr<TDBGridExSumList> FSumList;
  std::unique_ptr<TColCellParamsEx> FColCellParamsEx;
  std::vector<TColumnEx*> FVisibleColumns;
  std::vector<TColumnEx*> FSortMarkedColumns;
  int FExtraFirstColumnWidth = 0;
  String FEditText;
  rtl::Variant FEditKeyValue;
  // Layout results and the data window's bookkeeping.
  int FRecNoTextWidth = 0;
  TGridCoord FOldTopLeft{};
  int FSelRow = -1;
  bool FThumbTracked = false;
  TScrollBarVisibleModeEx FVertScrollBarVisibleMode = sbAutoShowEx;
  bool FSizeChanged = false;
  bool FColWidthsChanged = false;
  int FTitleRowHeight = 0;
  bool FAllowWordWrap = false;
  int FInplaceEditorButtonWidth = 0;
  int FInplaceEditorButtonHeight = 0;
  int FLastVisibleCol = 0;
  bool FDefaultRowChanged = false;
  bool FFetchingRecords = false;
  bool FSelfChangingFooterFont = false;
  ui::TImeMode FOriginalImeMode = ui::imDontCare;
  String FOriginalImeName;
  // The filter row.
  std::unique_ptr<TSTDBGridExFilter> FSTFilter;
  int FFilterCol = -1;
  TInplaceFilterEditEx* FFilterEdit = nullptr;
  TPopupListboxEx* FInTitleFilterListbox = nullptr;
  TColumnEx* FInTitleFilterListboxColumn = nullptr;
  TGridDataGroupLevelEx* FInTitleFilterListboxGroupLevel = nullptr;
  bool FInTitleFilterListboxVisible = false;
  TRect FTrackingStateRect{};
  // A press on a filter cell: the editor opens there; true when handled.
  bool FilterRowMouseDown(ui::TMessage& Message);
  void FilterRowCancelMode(ui::TMessage& Message);
  // The in-title list never takes the focus: while it is shown the grid's keys are its keys.
  bool ForwardKeyToTitleFilterListbox(ui::TMessage& Message);
  // Navigation between filter cells; true when the key was the filter editor's.
  void FilterEditorNavigate(std::uint16_t& Key, ui::TShiftState Shift);
  int NextFilterColumn(int From, bool Forward);
  void FilterListboxKeyDown(std::uint16_t& Key);
  // Space on a command line: one that closes the list closes it (running
  // it), any other runs at once and adds to the checked values.
  bool ToggleListCommand(TPopupListboxEx* List, TColumnEx* Column, const std::function<void()>& CloseList);

  // --- input: overrides and state
  void DoKeyDown(std::uint16_t& Key, ui::TShiftState Shift) override;
  void DoKeyPress(char16_t& Key) override;
  void MouseDown(ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y) override;
  void MouseMove(ui::TShiftState Shift, int X, int Y) override;
  void MouseUp(ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y) override;
  bool EditorAcceptsKey(char16_t Key) override;
  bool EditorCanModify() override;
  bool EditorCanShow() override;
  int EditorMaxLength() override;
  void EditorMaskFor(int ACol, int ARow, String& Text) override;
  void EditorTextFor(int ACol, int ARow, String& Text) override;
  void DetectSizingState(int X, int Y, const TGridDrawMetricsEx& Info, TGridState& State, int& Index, int& Pos,
                         int& Ofs) override;
  void ColumnShifted(int FromIndex, int ToIndex) override;
  void ColumnWidthsUpdated() override;
  bool IsHotTrackCell(int ACol, int ARow) override;
  void UpdateHotTrack(int X, int Y) override;
  void DblClick() override;
  void HandleWmChar(ui::TMessage& Message);
  // Whether a typed character goes to the incremental search instead of the editor.
  bool TypingSearches();
  void HandleWmTimer(ui::TMessage& Message);
  std::unique_ptr<TBookmarkListEx> FBookmarks;
  std::unique_ptr<TDBGridExSelection> FSelection;
  bool FSelecting = false;
  db::TBookmark FSelectionAnchor;
  bool FSelectionAnchorSelected = false;
  bool FAntiSelection = false;
  bool FInColExit = false;
  String FCompleteKeyPress;
  int FWantedContraColCount = 0;
  // The first half of a character beyond 16 bits, typed into a search.
  char16_t FPendingLeadSurrogate = 0;
  bool FLockAutoShowCurCell = false;
  bool FTracking = false;
  bool FDataTracking = false;
  bool FPressed = false;
  TGridCoord FPressedCell{-1, -1};
  bool FIndicatorPressed = false;
  bool FSelectedCellPressed = false;
  TPoint FMoveMousePos{};
  ui::TShiftState FMouseShift;
  ui::TShiftState FStartShiftState;
  bool FSwapButtons = false;
  int FTimerInterval = -1;
  int FHotTrackEditButton = -1;
  bool FHotTrackMultiTitleOver = false;
  // --- grouping, tree area, row panels and the detail panel
  std::unique_ptr<TDBGridExDataGroupsEx> FDataGrouping;
  TGroupDataTreeNodeEx* FCurGroupDataNode = nullptr;
  TGroupDataTreeNodeEx* FDrawGroupDataNode = nullptr;
  std::vector<TGroupDataTreeNodeEx*> FDrawnGroupList;
  int FGroupDataMovingIndex = -1;
  int FGroupPanelDropIndex = 0;
  int FPressedDataGroupLevelIdx = -1;
  int FHotGroupPanelLevel = -1;
  int FToMoveColumnIndex = -1;
  bool FInternalUpdatingDatasetPos = false;
  int FMoveRowSour = -1;
  db::TBookmark FMoveBookmarkSour;
  std::vector<TGroupDataTreeNodeEx*> FDrawNodeStack;
  int FMoveRowSourLevel = -1;
  int FMoveRowDest = -1;
  int FMoveRowDestLevel = -1;
  int FMoveRowLeftBounds = 0;
  int FDataRowMoveLeftBoundary = 0;
  int FDataRowMoveRightBoundary = 0;
  bool FRowMoveMarkerShown = false;
  std::unique_ptr<TGridRowPanelEx> FGridRowPanel;
  int FGridMasterCellWidth = 0;
  // The panel column being dragged and the panel column it would take the place of.
  int FRowPanelMoveCol = -1;
  int FRowPanelMoveTarget = -1;
  // The panel column under the mouse (X, data index) in grid row Y.
  TPoint FRowPanelHot{-1, -1};
  int FGridMasterCellHeight = 0;
  int FInRowPanelCol = 0;
  std::unique_ptr<TRowDetailPanelEx> FRowDetailPanel;
  TRowDetailPanelControlEx* FRowDetailControl = nullptr;
  std::unique_ptr<TDBGridExIndicatorTitle> FIndicatorTitle;
  // The data row given the detail panel's height, -1 for none.
  int FDetailHeightRow = -1;

  // --- text search and incremental search
  bool FInplaceSearchingInProcess = false;
  String FInplaceSearchText;
  int FInplaceSearchTimeOut = -1;
  bool FInplaceSearchTimerActive = false;
  // Draws the matched part of the current cell's text over it in the search colours.
  void DrawInplaceSearchMatch(TRect ARect, int DX, int DY, const String& Text, ui::TAlignment Alignment,
                              ui::TTextLayout Layout, bool WordWrap, bool EndEllipsis);

 private:
  // The steps of the layout, inside its paint lock.
  void LayoutSteps();
  void LayoutFixedColumns(int HiddenInFrozen);
  void LayoutRowHeights();
  void LayoutScrollBars();
  void LayoutAutoFitWidths();
  void LayoutTitleHeight();
  void LayoutLineColors();
  // Largest text height of "Wg" in the columns' title fonts (TitleFont without columns).
  ui::TFont* TallestTitleFont();
  void ApplyOptions(TDBGridOptions NewOptions, TDBGridExOptions NewOptionsEx);
  void TitleFontChanged();
  void FooterFontChanged();
  void LayoutChanged();
  int FLayoutRuns = 0;
  // The shared header cells above Child, each once per paint.
  void DrawParentHeader(THeadTreeNode* Child, TRect ChildRect, TRect CellRect, bool Highlight, bool Is3D,
                        bool Themed);
  int FDrawRecordDepth = 0;
  int FRealActiveRecord = -1;
  // Empties a repeated value; answers which row lines around it to hide.
  int HideDuplicateValue(TColumnEx* Column, int DataRow, TColCellParamsEx& Params);
  static constexpr TDrawButtonControlStyleEx kNoCellButton = static_cast<TDrawButtonControlStyleEx>(255);
  // The face of a column's own button in its cells (kNoCellButton: none).
  TDrawButtonControlStyleEx CellDefaultButtonStyle(TColumnEx* Column);
};

class TDBGridEx : public TCustomDBGridEx {
  JQ_UI_CLASSINFO
 public:
  using TCustomDBGridEx::TCustomDBGridEx;

 private:
  // The option sets as the published-property registry exchanges them.
  template <class S>
  static std::int64_t BitsOf(S Set) {
    return static_cast<std::int64_t>(Set.Bits());
  }
  template <class S>
  static S SetOf(std::int64_t Bits) {
    return S::FromBits(static_cast<std::uint64_t>(Bits));
  }
  std::int64_t OptionsBits() const { return BitsOf(Options()); }
  void SetOptionsBits(std::int64_t V) { SetOptions(SetOf<TDBGridOptions>(V)); }
  std::int64_t OptionsExBits() const { return BitsOf(OptionsEx()); }
  void SetOptionsExBits(std::int64_t V) { SetOptionsEx(SetOf<TDBGridExOptions>(V)); }
  std::int64_t AllowedOperationsBits() const { return BitsOf(AllowedOperations()); }
  void SetAllowedOperationsBits(std::int64_t V) { SetAllowedOperations(SetOf<TDBGridExAllowedOperations>(V)); }
  std::int64_t AllowedSelectionsBits() const { return BitsOf(AllowedSelections()); }
  void SetAllowedSelectionsBits(std::int64_t V) { SetAllowedSelections(SetOf<TDBGridExAllowedSelections>(V)); }
  std::int64_t EditActionsBits() const { return BitsOf(EditActions()); }
  void SetEditActionsBits(std::int64_t V) { SetEditActions(SetOf<TDBGridExEditActions>(V)); }
  std::int64_t EditButtonsShowOptionsBits() const { return BitsOf(EditButtonsShowOptions()); }
  void SetEditButtonsShowOptionsBits(std::int64_t V) {
    SetEditButtonsShowOptions(SetOf<TEditButtonsShowOptionsEx>(V));
  }
  // Default columns are made again from the fields, so only customized ones are stored.
  bool ColumnsStored() const;
};

}  // namespace grid
