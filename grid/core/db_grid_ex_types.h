// The data grid's option sets, permissions and states, and the event types
// its published events carry.
#pragma once

#include <cstdint>
#include <functional>
#include <variant>

#include "grid/foundation/custom_grid_ex.h"
#include "platform/classes/string_list.h"
#include "platform/data/fields.h"

namespace ui {
class TPopupMenu;
}

namespace rtl {
class TRegIniFile;
class TCustomIniFile;
}  // namespace rtl

namespace grid {

class TCustomDBGridEx;
class TColumnEx;
class TColCellParamsEx;
class TBMListEx;
class TGroupDataTreeNodeEx;
struct TDBGridExDataHintParams;

enum TDBGridOption {
  dgEditing, dgAlwaysShowEditor, dgTitles, dgIndicator, dgColumnResize, dgColLines, dgRowLines, dgTabs,
  dgRowSelect, dgAlwaysShowSelection, dgConfirmDelete, dgCancelOnExit, dgMultiSelect
};
using TDBGridOptions = ui::TSet<TDBGridOption>;

enum TDBGridExOption {
  dghFixed3D, dghFrozen3D, dghFooter3D, dghData3D, dghResizeWholeRightPart, dghHighlightFocus,
  dghClearSelection, dghFitRowHeightToText, dghAutoSortMarking, dghMultiSortMarking, dghEnterAsTab,
  dghTraceColSizing, dghIncSearch, dghPreferIncSearch, dghRowHighlight, dghDblClickOptimizeColWidth,
  dghDialogFind, dghRecordMoving, dghShowRecNo, dghColumnResize, dghColumnMove, dghAutoFitRowHeight,
  dghHotTrack, dghExtendVertLines
};
using TDBGridExOptions = ui::TSet<TDBGridExOption>;

enum TDBGridExAllowedOperation { alopInsertEx, alopUpdateEx, alopDeleteEx, alopAppendEx };
using TDBGridExAllowedOperations = ui::TSet<TDBGridExAllowedOperation>;

enum TDBGridExSelectionType { gstRecordBookmarks, gstRectangle, gstColumns, gstAll, gstNon };
using TDBGridExAllowedSelections = ui::TSet<TDBGridExSelectionType>;

enum TDBGridExEditAction { geaCutEx, geaCopyEx, geaPasteEx, geaDeleteEx, geaSelectAllEx };
using TDBGridExEditActions = ui::TSet<TDBGridExEditAction>;

enum TEditButtonsShowOptionEx {
  sebShowOnlyForCurCellEx, sebShowOnlyForCurRowEx, sebShowOnlyWhenGridActiveEx, sebShowOnlyWhenDataEditingEx
};
using TEditButtonsShowOptionsEx = ui::TSet<TEditButtonsShowOptionEx>;

// The grid's own mouse state, kept beside the base grid's TGridState.
enum TDBGridExState {
  dgsNormal, dgsRowSelecting, dgsColSelecting, dgsRectSelecting, dgsPosTracing, dgsTitleDown, dgsColSizing,
  dgsRowMoving, dgsTitleFilterButtonDown, dgsGroupPanelTitleMoving, dgsGroupPanelTitleDown
};

enum TSortMarkerEx { smNoneEx, smDownEx, smUpEx };

enum TDBGridExStyleIndicatorTitleMenuEx { itmVisibleColumnsEx, itmCut, itmCopy, itmPaste, itmDelete, itmSelectAll };
using TDBGridExStyleIndicatorTitleMenusEx = ui::TSet<TDBGridExStyleIndicatorTitleMenuEx>;

enum TSTFilterDefaultOperatorEx {
  fdoAuto, fdoEqual, fdoNotEqual, fdoGreaterThan, fdoLessThan, fdoGreaterOrEqual, fdoLessOrEqual, fdoLike,
  fdoNotLike, fdoIn, fdoNotIn, fdoBeginsWith, fdoDoesntBeginWith, fdoEndsWith, fdoDoesntEndWith, fdoContains,
  fdoDoesntContain
};

// What a restored layout takes back; stored as one byte, bit n for ordinal n.
enum TColumnExRestoreParam {
  crpColIndexEx, crpColWidthsEx, crpSortMarkerEx, crpColVisibleEx, crpDropDownRowsEx, crpDropDownWidthEx,
  crpRowPanelColPlacementEx
};
using TColumnExRestoreParams = ui::TSet<TColumnExRestoreParam>;
enum TDBGridExRestoreParam {
  grpColIndexEx, grpColWidthsEx, grpSortMarkerEx, grpColVisibleEx, grpRowHeightEx, grpDropDownRowsEx,
  grpDropDownWidthEx, grpRowPanelColPlacementEx
};
using TDBGridExRestoreParams = ui::TSet<TDBGridExRestoreParam>;

// Where a layout is saved: the registry (a section always starts empty) or an ini file.
using TGridLayoutStorage = std::variant<rtl::TRegIniFile*, rtl::TCustomIniFile*>;

// What the grid hands a data cell's tool tip through OnDataHintShow.
// HintPos is in client coordinates while the events see it.
struct TDBGridExDataHintParams {
  TPoint HintPos{};
  int HintMaxWidth = 0;
  TColor HintColor = ui::clInfoBk;
  ui::TFont* HintFont = nullptr;
  TRect CursorRect{};
  int ReshowTimeout = 0;
  int HideTimeout = 0;
  String HintStr;
};

enum TScrollBarVisibleModeEx { sbAlwaysShowEx, sbNeverShowEx, sbAutoShowEx };

// --- text search: the find dialog, the grid's LocateText and its incremental search
enum TLocateTextOptionEx { ltoCaseInsensitiveEx, ltoAllFieldsEx, ltoMatchFormatEx, ltoIgnoteCurrentPosEx, ltoStopOnEscape };
using TLocateTextOptionsEx = ui::TSet<TLocateTextOptionEx>;
enum TLocateTextDirectionEx { ltdUpEx, ltdDownEx, ltdAllEx };
enum TLocateTextMatchingEx { ltmAnyPartEx, ltmWholeEx, ltmFromBegingEx };
enum TLocateTextTreeFindRangeEx { lttInAllNodesEx, lttInExpandedNodesEx, lttInCurrentLevelEx, lttInCurrentNodeEx };
using TLocateTextEventEx =
    std::function<bool(ui::TObject* Sender, const String& FieldName, const String& Text, TLocateTextOptionsEx Options,
                       TLocateTextDirectionEx Direction, TLocateTextMatchingEx Matching,
                       TLocateTextTreeFindRangeEx TreeFindRange)>;

// Where a grid cell lies. Horz: 0 the indicator, 1 a data column. Vert: 0 the
// title rows, 1 the filter row, 2 a data row, 4 a footer row.
struct TCellAreaTypeEx {
  int Horz = 0;
  int Vert = 0;
};

// --- events ----------------------------------------------------------------------
using TDBGridExClickEvent = std::function<void(TColumnEx* Column)>;
using TDBGridExBuildIndicatorTitleMenu = std::function<void(TCustomDBGridEx* Grid, ui::TPopupMenu*& PopupMenu)>;
using TDBGridExAdvDrawDataCellEvent =
    std::function<void(TCustomDBGridEx* Sender, TGridCoord Cell, TGridCoord AreaCell, TColumnEx* Column,
                       const TRect& ARect, TColCellParamsEx& Params, bool& Processed)>;
using TCheckTitleExBtnEvent = std::function<void(ui::TObject* Sender, int ACol, TColumnEx* Column, bool& Enabled)>;
using TCheckRowHaveDetailPanel = std::function<void(TCustomDBGridEx* Sender, bool& RowHaveDetailPanel)>;
using TMovedEvent = std::function<void(ui::TObject* Sender, int FromIndex, int ToIndex)>;
using TDBGridExDataGroupGetRowTextEvent =
    std::function<void(TCustomDBGridEx* Sender, TGroupDataTreeNodeEx* GroupDataTreeNode, String& GroupRowText)>;
using TDBGridExDataHintShowEvent =
    std::function<void(TCustomDBGridEx* Sender, TPoint CursorPos, TGridCoord Cell, TPoint InCellCursorPos,
                       TColumnEx* Column, TDBGridExDataHintParams& Params, bool& Processed)>;
using TDrawColumnExCellEvent = std::function<void(ui::TObject* Sender, const TRect& Rect, int DataCol,
                                                  TColumnEx* Column, TGridDrawState State)>;
using TDrawDataCellEvent =
    std::function<void(ui::TObject* Sender, const TRect& Rect, db::TField* Field, TGridDrawState State)>;
using TDrawFooterCellEvent = std::function<void(ui::TObject* Sender, int DataCol, int Row, TColumnEx* Column,
                                                const TRect& Rect, TGridDrawState State)>;
using TDBGridExFillSTFilterListValuesEvent =
    std::function<void(TCustomDBGridEx* Sender, TColumnEx* Column, ui::TStrings* Items, bool& Processed)>;
using TGetBtnExParamsEvent = std::function<void(ui::TObject* Sender, TColumnEx* Column, ui::TFont* AFont,
                                                TColor& Background, TSortMarkerEx& SortMarker, bool IsDown)>;
using TGetCellExParamsEvent = std::function<void(ui::TObject* Sender, TColumnEx* Column, ui::TFont* AFont,
                                                 TColor& Background, TGridDrawState State)>;
using TGetFooterParamsEvent =
    std::function<void(ui::TObject* Sender, int DataCol, int Row, TColumnEx* Column, ui::TFont* AFont,
                       TColor& Background, ui::TAlignment& Alignment, TGridDrawState State, String& Text)>;
using TGetRowHeightEvent = std::function<void(ui::TObject* Sender, int& RowHeight)>;
using TDBGridExHintShowPauseEvent =
    std::function<void(TCustomDBGridEx* Sender, TPoint CursorPos, TGridCoord Cell, TPoint InCellCursorPos,
                       TColumnEx* Column, int& HintPause, bool& Processed)>;
using TDBGridExMoveRecordsEvent = std::function<bool(ui::TObject* Sender, TBMListEx* BookmarkList, int ToRecNo,
                                                     int TreeLevel, bool CheckOnly)>;
using TCanHideRowDetailPanelEvent = std::function<void(TCustomDBGridEx* Sender, bool& CanHide)>;
using TCanShowRowDetailPanelEvent = std::function<void(TCustomDBGridEx* Sender, bool& CanShow)>;
using TTitleExClickEvent = std::function<void(ui::TObject* Sender, int ACol, TColumnEx* Column)>;

}  // namespace grid
