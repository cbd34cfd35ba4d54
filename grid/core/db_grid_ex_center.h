// The behaviour centre: where every data grid hands the decisions meant to be
// changed for all grids of a program at once (applying the filter row and
// the sort markers, moving records, the indicator title's menu and presses,
// cell clicks). One global instance; a grid may be given another.
#pragma once

#include <vector>

#include "grid/core/db_grid_ex_types.h"
#include "platform/ui/menus.h"

namespace grid {

struct TSTFilterExpressionEx;

// One entry of the indicator title menu's "Visible columns" list.
class TColumnExMenuItem : public ui::TMenuItem {
 public:
  using ui::TMenuItem::TMenuItem;
  TColumnEx* ColumnEx = nullptr;
};

// "Visible columns" and the five edit entries of the indicator title menu.
class TDBGridExMenuItem : public ui::TMenuItem {
 public:
  using ui::TMenuItem::TMenuItem;
  TCustomDBGridEx* Grid = nullptr;
  // 1 cut, 2 copy, 3 paste, 4 delete, 5 select all.
  int TitleMenu = 0;
};

class TDBGridExCenter : public ui::TPersistent {
  JQ_UI_CLASSINFO
 public:
  TDBGridExCenter();
  // Every registered grid, newest first, is left without a centre.
  ~TDBGridExCenter() override;

  bool FilterEditCloseUpApplyFilter() const { return FFilterEditCloseUpApplyFilter; }
  void SetFilterEditCloseUpApplyFilter(bool Value) { FFilterEditCloseUpApplyFilter = Value; }
  TDBGridExStyleIndicatorTitleMenusEx IndicatorTitleMenus() const { return FIndicatorTitleMenus; }
  void SetIndicatorTitleMenus(TDBGridExStyleIndicatorTitleMenusEx Value) { FIndicatorTitleMenus = Value; }
  bool PreferEditFormatForNumberFields() const { return FPreferEditFormatForNumberFields; }
  void SetPreferEditFormatForNumberFields(bool Value) { FPreferEditFormatForNumberFields = Value; }
  bool UseExtendedScrollingForMemTable() const { return FUseExtendedScrollingForMemTable; }
  void SetUseExtendedScrollingForMemTable(bool Value) { FUseExtendedScrollingForMemTable = Value; }
  TSTFilterDefaultOperatorEx STFilterDefaultStringOperator() const { return FSTFilterDefaultStringOperator; }
  void SetSTFilterDefaultStringOperator(TSTFilterDefaultOperatorEx V) { FSTFilterDefaultStringOperator = V; }
  TSTFilterDefaultOperatorEx STFilterDefaultNumberOperator() const { return FSTFilterDefaultNumberOperator; }
  void SetSTFilterDefaultNumberOperator(TSTFilterDefaultOperatorEx V) { FSTFilterDefaultNumberOperator = V; }
  TSTFilterDefaultOperatorEx STFilterDefaultDateTimeOperator() const {
    return FSTFilterDefaultDateTimeOperator;
  }
  void SetSTFilterDefaultDateTimeOperator(TSTFilterDefaultOperatorEx V) {
    FSTFilterDefaultDateTimeOperator = V;
  }
  TSTFilterDefaultOperatorEx STFilterDefaultBooleanOperator() const {
    return FSTFilterDefaultBooleanOperator;
  }
  void SetSTFilterDefaultBooleanOperator(TSTFilterDefaultOperatorEx V) {
    FSTFilterDefaultBooleanOperator = V;
  }

  ui::TNotifyEvent OnApplyFilter;
  ui::TNotifyEvent OnApplySorting;
  TDBGridExBuildIndicatorTitleMenu OnBuildIndicatorTitleMenu;
  TGridExCellMouseEvent OnCellMouseClick;
  TGridExCellMouseEvent OnIndicatorTitleMouseDown;
  TDBGridExFillSTFilterListValuesEvent OnFillSTFilterListValues;
  TLocateTextEventEx OnLocateText;

  bool GridInChangeNotification(const TCustomDBGridEx* Grid) const;
  void AddChangeNotification(TCustomDBGridEx* Grid);
  void RemoveChangeNotification(TCustomDBGridEx* Grid);
  void Changed() {}

  // Each runs its event when assigned, else the Default... operation.
  void ApplyFilter(TCustomDBGridEx* Grid);
  void ApplySorting(TCustomDBGridEx* Grid);
  bool MoveDataRows(TCustomDBGridEx* Grid, TBMListEx* BookmarkList, int ToRecNo, bool CheckOnly);
  bool LocateText(TCustomDBGridEx* Grid, const String& FieldName, const String& Text,
                  TLocateTextOptionsEx Options, TLocateTextDirectionEx Direction,
                  TLocateTextMatchingEx Matching, TLocateTextTreeFindRangeEx TreeFindRange);
  // The find dialog for the grid (the module's find-dialog procedure).
  void ExecuteFindDialog(TCustomDBGridEx* Grid, const String& Text, const String& FieldName, bool Modal);
  // The operator a bare operand of the filter row gets, by the expression's type.
  virtual TSTFilterDefaultOperatorEx GetSTFilterDefaultOperator(TCustomDBGridEx* Grid, TColumnEx* Column,
                                                                const TSTFilterExpressionEx& Expression);
  // The grid's own filling of a filter drop-down: commands, then data values.
  void DefaultFillSTFilterListValues(TCustomDBGridEx* Grid, TColumnEx* Column, ui::TStrings* Items);
  // Menu handlers of the indicator title menu's entries.
  void ColumnVisibleMenuClick(ui::TObject* Sender);
  void EditActionMenuClick(ui::TObject* Sender);
  void BuildIndicatorTitleMenu(TCustomDBGridEx* Grid, ui::TPopupMenu*& PopupMenu);
  void CellMouseClick(TCustomDBGridEx* Grid, TGridCoord Cell, ui::TMouseButton Button, ui::TShiftState Shift,
                      int X, int Y);
  void IndicatorTitleMouseDown(TCustomDBGridEx* Grid, TGridCoord Cell, ui::TMouseButton Button,
                               ui::TShiftState Shift, int X, int Y);

  // The defaults hand the work to the dataset-features object that serves
  // the grid's dataset. This system registers none, so they take the generic
  // paths: filtering and sorting change nothing and records are not moved.
  virtual bool DefaultLocateText(TCustomDBGridEx* Grid, const String& FieldName, const String& Text,
                                 TLocateTextOptionsEx Options, TLocateTextDirectionEx Direction,
                                 TLocateTextMatchingEx Matching, TLocateTextTreeFindRangeEx TreeFindRange);
  virtual bool DefaultMoveDataRows(TCustomDBGridEx* Grid, TBMListEx* BookmarkList, int ToRecNo,
                                   bool CheckOnly);
  // The command lines of a filter drop-down (sort, clear, apply, custom,
  // all, not empty, empty).
  virtual void DefaultFillSTFilterListCommandValues(TCustomDBGridEx* Grid, TColumnEx* Column,
                                                    ui::TStrings* Items);
  virtual void DefaultFillSTFilterListDataValues(TCustomDBGridEx* Grid, TColumnEx* Column,
                                                 ui::TStrings* Items);
  // The column's distinct values under the other columns' filters.
  virtual void StandardFillSTFilterListDataValues(TCustomDBGridEx* Grid, TColumnEx* Column,
                                                  ui::TStrings* Items);
  virtual void DefaultApplyFilter(TCustomDBGridEx* Grid);
  virtual void DefaultApplySorting(TCustomDBGridEx* Grid);
  virtual void DefaultBuildIndicatorTitleMenu(TCustomDBGridEx* Grid, ui::TPopupMenu*& PopupMenu);
  virtual void DefaultCellMouseClick(TCustomDBGridEx* Grid, TGridCoord Cell, ui::TMouseButton Button,
                                     ui::TShiftState Shift, int X, int Y);
  virtual void DefaultIndicatorTitleMouseDown(TCustomDBGridEx* Grid, TGridCoord Cell, ui::TMouseButton Button,
                                              ui::TShiftState Shift, int X, int Y);

 private:
  bool FFilterEditCloseUpApplyFilter = false;
  std::vector<TCustomDBGridEx*> FGrids;
  TDBGridExStyleIndicatorTitleMenusEx FIndicatorTitleMenus{
      itmVisibleColumnsEx, itmCut, itmCopy, itmPaste, itmDelete, itmSelectAll};
  bool FPreferEditFormatForNumberFields = false;
  TSTFilterDefaultOperatorEx FSTFilterDefaultStringOperator = fdoAuto;
  TSTFilterDefaultOperatorEx FSTFilterDefaultNumberOperator = fdoAuto;
  TSTFilterDefaultOperatorEx FSTFilterDefaultBooleanOperator = fdoAuto;
  TSTFilterDefaultOperatorEx FSTFilterDefaultDateTimeOperator = fdoAuto;
  bool FUseExtendedScrollingForMemTable = true;
};

}  // namespace grid
