#include "grid/core/db_grid_ex_center.h"

#include <algorithm>

#include "grid/columns/columns/column_ex.h"
#include "grid/columns/columns/column_title_ex.h"
#include "grid/columns/columns/db_grid_columns_ex.h"
#include "grid/columns/dialogs/search_grid_text.h"
#include "grid/columns/filters/dataset_features_ex.h"
#include "grid/columns/filters/db_utils_ex.h"
#include "grid/columns/filters/filter_list_values.h"
#include "grid/columns/grouping/db_grid_ex_indicator_title.h"
#include "grid/columns/selection/db_grid_ex_selection.h"
#include "grid/columns/transfer/db_grid_ex_imp_exp.h"
#include "grid/core/custom_db_grid_ex.h"
#include "grid/core/db_grid_ex_module.h"
#include "grid/core/grid_core_internal.h"
#include "platform/classes/typinfo.h"
#include "platform/ui/application.h"

namespace grid {

using namespace ui;

namespace {

db::TDataSet* GridDataSet(TCustomDBGridEx* Grid) {
  db::TDataSource* source = Grid ? Grid->DataSource() : nullptr;
  return source ? source->DataSet() : nullptr;
}

// The features object serving the grid's dataset; none without a data
// source or a dataset.
TDatasetFeaturesEx* FeaturesOf(TCustomDBGridEx* Grid) { return GetDatasetFeatures(GridDataSet(Grid)); }

}  // namespace

const TClassInfo& TDBGridExCenter::StaticClassInfo() {
  static const TClassInfo info =
      TClassBuilder<TDBGridExCenter>("TDBGridExCenter", &TPersistent::StaticClassInfo())
          .Unit("DBGridEx")
          .Build();
  return info;
}

TDBGridExCenter::TDBGridExCenter() = default;

TDBGridExCenter::~TDBGridExCenter() {
  core_detail::ForgetGlobalCenter(this);
  while (!FGrids.empty()) FGrids.back()->SetCenter(nullptr);
}

bool TDBGridExCenter::GridInChangeNotification(const TCustomDBGridEx* Grid) const {
  return core_detail::GridListed(FGrids, Grid);
}

void TDBGridExCenter::AddChangeNotification(TCustomDBGridEx* Grid) { core_detail::ListGrid(FGrids, Grid); }

void TDBGridExCenter::RemoveChangeNotification(TCustomDBGridEx* Grid) {
  core_detail::UnlistGrid(FGrids, Grid);
}

void TDBGridExCenter::ApplyFilter(TCustomDBGridEx* Grid) {
  if (OnApplyFilter)
    OnApplyFilter(Grid);
  else
    DefaultApplyFilter(Grid);
}

void TDBGridExCenter::ApplySorting(TCustomDBGridEx* Grid) {
  if (OnApplySorting)
    OnApplySorting(Grid);
  else
    DefaultApplySorting(Grid);
}

bool TDBGridExCenter::MoveDataRows(TCustomDBGridEx* Grid, TBMListEx* BookmarkList, int ToRecNo,
                                   bool CheckOnly) {
  return DefaultMoveDataRows(Grid, BookmarkList, ToRecNo, CheckOnly);
}

void TDBGridExCenter::BuildIndicatorTitleMenu(TCustomDBGridEx* Grid, TPopupMenu*& PopupMenu) {
  if (OnBuildIndicatorTitleMenu)
    OnBuildIndicatorTitleMenu(Grid, PopupMenu);
  else
    DefaultBuildIndicatorTitleMenu(Grid, PopupMenu);
}

void TDBGridExCenter::CellMouseClick(TCustomDBGridEx* Grid, TGridCoord Cell, TMouseButton Button,
                                     TShiftState Shift, int X, int Y) {
  if (OnCellMouseClick)
    OnCellMouseClick(Grid, Cell, Button, Shift, X, Y);
  else
    DefaultCellMouseClick(Grid, Cell, Button, Shift, X, Y);
}

void TDBGridExCenter::IndicatorTitleMouseDown(TCustomDBGridEx* Grid, TGridCoord Cell, TMouseButton Button,
                                              TShiftState Shift, int X, int Y) {
  if (OnIndicatorTitleMouseDown)
    OnIndicatorTitleMouseDown(Grid, Cell, Button, Shift, X, Y);
  else
    DefaultIndicatorTitleMouseDown(Grid, Cell, Button, Shift, X, Y);
}

bool TDBGridExCenter::LocateText(TCustomDBGridEx* Grid, const String& FieldName, const String& Text,
                                 TLocateTextOptionsEx Options, TLocateTextDirectionEx Direction,
                                 TLocateTextMatchingEx Matching, TLocateTextTreeFindRangeEx TreeFindRange) {
  if (OnLocateText) return OnLocateText(Grid, FieldName, Text, Options, Direction, Matching, TreeFindRange);
  return DefaultLocateText(Grid, FieldName, Text, Options, Direction, Matching, TreeFindRange);
}

bool TDBGridExCenter::DefaultLocateText(TCustomDBGridEx* Grid, const String& FieldName, const String& Text,
                                        TLocateTextOptionsEx Options, TLocateTextDirectionEx Direction,
                                        TLocateTextMatchingEx Matching,
                                        TLocateTextTreeFindRangeEx TreeFindRange) {
  if (TDatasetFeaturesEx* features = FeaturesOf(Grid))
    return features->LocateText(Grid, FieldName, Text, static_cast<std::uint32_t>(Options.Bits()), Direction,
                                Matching, TreeFindRange);
  return SearchGridText(Grid, FieldName, Text, TreeFindRange, Matching, Direction, Options);
}

void TDBGridExCenter::ExecuteFindDialog(TCustomDBGridEx* Grid, const String& Text, const String& FieldName,
                                        bool Modal) {
  if (TDatasetFeaturesEx* features = FeaturesOf(Grid)) {
    features->ExecuteFindDialog(Grid, Text, FieldName, Modal);
    return;
  }
  if (ExecuteFindDialogProc) ExecuteFindDialogProc(Grid, Text, String(), {}, Modal);
}

bool TDBGridExCenter::DefaultMoveDataRows(TCustomDBGridEx* Grid, TBMListEx* BookmarkList, int ToRecNo,
                                          bool CheckOnly) {
  TDatasetFeaturesEx* features = FeaturesOf(Grid);
  return features && features->MoveRecords(Grid, BookmarkList, ToRecNo, CheckOnly);
}

void TDBGridExCenter::DefaultApplyFilter(TCustomDBGridEx* Grid) {
  db::TDataSet* ds = GridDataSet(Grid);
  if (TDatasetFeaturesEx* features = GetDatasetFeatures(ds)) features->ApplyFilter(Grid, ds, ds->Active());
}

void TDBGridExCenter::DefaultApplySorting(TCustomDBGridEx* Grid) {
  db::TDataSet* ds = GridDataSet(Grid);
  if (TDatasetFeaturesEx* features = GetDatasetFeatures(ds)) features->ApplySorting(Grid, ds, ds->Active());
}

// --- the filter row ----------------------------------------------------------------------

TSTFilterDefaultOperatorEx TDBGridExCenter::GetSTFilterDefaultOperator(
    TCustomDBGridEx*, TColumnEx*, const TSTFilterExpressionEx& Expression) {
  switch (Expression.ExpressionType) {
    case botNumber:
      return FSTFilterDefaultNumberOperator;
    case botDateTime:
      return FSTFilterDefaultDateTimeOperator;
    case botBoolean:
      return FSTFilterDefaultBooleanOperator;
    default:
      return FSTFilterDefaultStringOperator;
  }
}

void TDBGridExCenter::DefaultFillSTFilterListValues(TCustomDBGridEx* Grid, TColumnEx* Column,
                                                    TStrings* Items) {
  Grid->DefaultFillSTFilterListValues(Column, Items);
}

void TDBGridExCenter::DefaultFillSTFilterListCommandValues(TCustomDBGridEx* Grid, TColumnEx* Column,
                                                           TStrings* Items) {
  FillSTFilterListCommandValues(Grid, Column, Items);
}

void TDBGridExCenter::DefaultFillSTFilterListDataValues(TCustomDBGridEx* Grid, TColumnEx* Column,
                                                        TStrings* Items) {
  if (TDatasetFeaturesEx* features = FeaturesOf(Grid))
    features->FillSTFilterListDataValues(Grid, Column, Items);
  else
    StandardFillSTFilterListDataValues(Grid, Column, Items);
}

void TDBGridExCenter::StandardFillSTFilterListDataValues(TCustomDBGridEx* Grid, TColumnEx* Column,
                                                         TStrings* Items) {
  grid::StandardFillSTFilterListDataValues(Grid, Column, Items);
}

// --- the indicator title menu ---------------------------------------------------------

namespace {

// Shared by every grid: one indicator title menu can be open at a time.
struct TitleMenuObjects {
  TPopupMenu* Menu = nullptr;
  TDBGridExMenuItem* VisibleColumns = nullptr;
  TDBGridExMenuItem* Edit[5] = {};
};

TitleMenuObjects& TitleMenu() {
  static TitleMenuObjects objects;
  return objects;
}

bool IsModuleEntry(const TMenuItem* Item) {
  const TitleMenuObjects& m = TitleMenu();
  if (Item == m.VisibleColumns) return true;
  for (const TDBGridExMenuItem* e : m.Edit)
    if (Item == e) return true;
  return false;
}

bool UsesGlobalMenu(TCustomDBGridEx* Grid) {
  return !Grid->IndicatorTitle() || Grid->IndicatorTitle()->UseGlobalMenu();
}
TPopupMenu* OwnDropdownMenu(TCustomDBGridEx* Grid) {
  return Grid->IndicatorTitle() ? Grid->IndicatorTitle()->DropdownMenu() : nullptr;
}

void CopyMenuItem(const TMenuItem* From, TMenuItem* To) {
  To->SetAutoCheck(From->AutoCheck());
  To->SetAutoHotkeys(From->AutoHotkeys());
  To->SetAutoLineReduction(From->AutoLineReduction());
  if (From->HasBitmap()) To->SetBitmap(const_cast<TMenuItem*>(From)->Bitmap());
  To->SetBreak(From->Break());
  To->SetCaption(From->Caption());
  To->SetChecked(From->Checked());
  To->SetSubMenuImages(From->SubMenuImages());
  To->SetDefault(From->Default());
  To->SetEnabled(From->Enabled());
  To->SetGroupIndex(From->GroupIndex());
  To->SetHelpContext(From->HelpContext());
  To->SetHint(From->Hint());
  To->SetImageIndex(From->ImageIndex());
  To->SetRadioItem(From->RadioItem());
  To->SetShortCut(From->ShortCut());
  To->SetVisible(From->Visible());
  To->OnClick = From->OnClick;
  To->OnDrawItem = From->OnDrawItem;
  To->OnAdvancedDrawItem = From->OnAdvancedDrawItem;
  To->OnMeasureItem = From->OnMeasureItem;
}

}  // namespace

namespace core_detail {

void FreeIndicatorTitleMenu() {
  TitleMenuObjects& m = TitleMenu();
  if (m.Menu) {
    // The module's own entries are freed below, not with the menu.
    TMenuItem* root = m.Menu->Items();
    for (int i = root->Count() - 1; i >= 0; --i)
      if (IsModuleEntry(root->Items(i))) root->Delete(i);
  }
  delete m.VisibleColumns;
  for (TDBGridExMenuItem*& e : m.Edit) {
    delete e;
    e = nullptr;
  }
  delete m.Menu;
  m = TitleMenuObjects{};
}

}  // namespace core_detail

void TDBGridExCenter::DefaultBuildIndicatorTitleMenu(TCustomDBGridEx* Grid, TPopupMenu*& PopupMenu) {
  TitleMenuObjects& m = TitleMenu();
  if (!m.Menu) {
    m.Menu = new TPopupMenu(Screen);
    m.Menu->SetName(u"DBGridExIndicatorTitlePopupMenu");
  }
  TMenuItem* root = m.Menu->Items();
  while (root->Count() > 0) {
    TMenuItem* item = root->Items(0);
    root->Delete(0);
    if (!IsModuleEntry(item)) delete item;
  }
  PopupMenu = m.Menu;
  if (UsesGlobalMenu(Grid)) {
    if (FIndicatorTitleMenus.Contains(itmVisibleColumnsEx)) {
      if (!m.VisibleColumns) m.VisibleColumns = new TDBGridExMenuItem(Screen);
      m.VisibleColumns->Clear();
      m.VisibleColumns->SetCaption(u"Visible columns");
      m.VisibleColumns->Grid = Grid;
      root->Add(m.VisibleColumns);
      TDBGridColumnsEx* columns = Grid->Columns();
      for (int i = 0; i < columns->Count(); ++i) {
        TColumnEx* column = columns->ColumnAt(i);
        if (column->Title()->Caption().empty()) continue;
        auto* entry = new TColumnExMenuItem(m.Menu);
        entry->ColumnEx = column;
        entry->SetCaption(column->Title()->Caption());
        entry->SetChecked(column->Visible());
        entry->OnClick = [this](TObject* Sender) { ColumnVisibleMenuClick(Sender); };
        m.VisibleColumns->Add(entry);
      }
    }
    struct EditEntry {
      TDBGridExStyleIndicatorTitleMenuEx Member;
      const char16_t* Caption;
      bool (TCustomDBGridEx::*Check)();
      TDBGridExEditAction Action;
    };
    static const EditEntry kEntries[] = {
        {itmCut, u"Cut", &TCustomDBGridEx::CheckCutAction, geaCutEx},
        {itmCopy, u"Copy", &TCustomDBGridEx::CheckCopyAction, geaCopyEx},
        {itmPaste, u"Paste", &TCustomDBGridEx::CheckPasteAction, geaPasteEx},
        {itmDelete, u"Delete", &TCustomDBGridEx::CheckDeleteAction, geaDeleteEx},
        {itmSelectAll, u"Select All", &TCustomDBGridEx::CheckSelectAllAction, geaSelectAllEx},
    };
    for (int i = 0; i < 5; ++i) {
      const EditEntry& e = kEntries[i];
      if (!FIndicatorTitleMenus.Contains(e.Member)) continue;
      if (!m.Edit[i]) m.Edit[i] = new TDBGridExMenuItem(Screen);
      TDBGridExMenuItem* item = m.Edit[i];
      item->SetCaption(e.Caption);
      item->OnClick = [this](TObject* Sender) { EditActionMenuClick(Sender); };
      item->SetEnabled((Grid->*e.Check)() && Grid->EditActions().Contains(e.Action));
      item->TitleMenu = i + 1;
      item->Grid = Grid;
      root->Add(item);
    }
  }
  if (TPopupMenu* own = OwnDropdownMenu(Grid)) {
    if (root->Count() > 0) {
      auto* line = new TMenuItem(m.Menu);
      line->SetCaption(u"-");
      root->Add(line);
    }
    for (int i = 0; i < own->Items()->Count(); ++i) {
      auto* copy = new TMenuItem(m.Menu);
      CopyMenuItem(own->Items()->Items(i), copy);
      root->Add(copy);
    }
  }
}

void TDBGridExCenter::ColumnVisibleMenuClick(TObject* Sender) {
  auto* item = dynamic_cast<TColumnExMenuItem*>(Sender);
  if (!item || !item->ColumnEx) return;
  TColumnEx* column = item->ColumnEx;
  if (column->Visible()) {
    // The last visible column stays: a grid without columns cannot be used.
    TCustomDBGridEx* grid = column->Grid();
    if (grid && grid->VisibleColumns().size() <= 1) return;
    column->SetVisible(false);
  } else {
    column->SetVisible(true);
  }
}

void TDBGridExCenter::EditActionMenuClick(TObject* Sender) {
  auto* item = dynamic_cast<TDBGridExMenuItem*>(Sender);
  if (!item || !item->Grid) return;
  switch (item->TitleMenu) {
    case 1:
      CutGridSelection(item->Grid, false);
      break;
    case 2:
      CopyGridSelection(item->Grid, false);
      break;
    case 3:
      PasteGridSelection(item->Grid, false);
      break;
    case 4:
      DeleteGridSelection(item->Grid, false);
      break;
    case 5:
      if (item->Grid->Selection()) item->Grid->Selection()->SelectAll();
      break;
    default:
      break;
  }
}

void TDBGridExCenter::DefaultCellMouseClick(TCustomDBGridEx*, TGridCoord, TMouseButton, TShiftState, int,
                                            int) {}

void TDBGridExCenter::DefaultIndicatorTitleMouseDown(TCustomDBGridEx* Grid, TGridCoord Cell,
                                                     TMouseButton Button, TShiftState Shift, int X, int Y) {
  Grid->IndicatorTitleMouseDown(Cell, Button, Shift, X, Y);
}

}  // namespace grid
