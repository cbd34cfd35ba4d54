// The grid's text search and its incremental (in-place) search: typed
// characters extend a search text, the dataset goes to the first record whose
// selected column begins with it, and a typing pause (window timer 2) ends
// the search.
#include "grid/columns/columns/column_ex.h"
#include "grid/columns/columns/db_grid_columns_ex.h"
#include "grid/columns/dialogs/search_grid_text.h"
#include "grid/core/custom_db_grid_ex.h"
#include "grid/core/db_grid_ex_center.h"
#include "grid/core/db_grid_ex_module.h"
#include "grid/core/grid_data_link_ex.h"
#include "platform/ui/timers.h"

namespace grid {

using namespace ui;

TExecuteFindDialogProcEx ExecuteFindDialogProc = nullptr;

bool TCustomDBGridEx::LocateText(TCustomDBGridEx* AGrid, const String& FieldName, const String& Text,
                                 TLocateTextOptionsEx AOptions, TLocateTextDirectionEx Direction,
                                 TLocateTextMatchingEx Matching, TLocateTextTreeFindRangeEx TreeFindRange) {
  BeginWaitCursor();
  bool found = false;
  try {
    found = FCenter ? FCenter->LocateText(AGrid, FieldName, Text, AOptions, Direction, Matching, TreeFindRange)
                    : SearchGridText(AGrid, FieldName, Text, TreeFindRange, Matching, Direction, AOptions);
  } catch (...) {
    EndWaitCursor();
    throw;
  }
  EndWaitCursor();
  return found;
}

void TCustomDBGridEx::StartInplaceSearch(const String& Text, int TimeOut, TLocateTextDirectionEx Direction) {
  if (!FDataLink->Active()) return;
  String candidate = FInplaceSearchText + Text;
  const String old = FInplaceSearchText;
  bool found = false;
  if (!candidate.empty()) {
    LockPaint();
    // The search moves the dataset; the row sync must not take that move
    // for one made by other means and end the search.
    FInplaceSearchingInProcess = true;
    try {
      TLocateTextOptionsEx options{ltoCaseInsensitiveEx, ltoStopOnEscape};
      db::TField* field = SelectedField();
      const bool editFormat =
          field && field->IsNumeric() && FCenter && FCenter->PreferEditFormatForNumberFields();
      if (!editFormat) options.Include(ltoMatchFormatEx);
      found = LocateText(this, String(), candidate, options, Direction, ltmFromBegingEx, lttInAllNodesEx);
      if (found) {
        // The kept text takes the letter case of the record found.
        // The selected index counts hidden columns too.
        const int index = SelectedIndex();
        TColumnEx* column = index >= 0 && index < FColumns->Count() ? FColumns->ColumnAt(index) : nullptr;
        const String cellText = column ? (editFormat ? column->EditText() : column->DisplayText()) : String();
        if (cellText.size() >= candidate.size()) candidate = cellText.substr(0, candidate.size());
        if (UsesMemTableView()) SafeMoveTop(Row() - VisibleRowCount() / 2);
      }
    } catch (...) {
      FInplaceSearchingInProcess = false;
      UnlockPaint();
      throw;
    }
    FInplaceSearchingInProcess = false;
    UnlockPaint();
  }
  LeaveEditorMode();
  FInplaceSearching = true;
  FInplaceSearchText = found ? candidate : old;
  RepaintGridRow(this, Row());
  FInplaceSearchTimeOut = TimeOut;
  StartInplaceSearchTimer();
}

void TCustomDBGridEx::StopInplaceSearch() {
  if (!FInplaceSearching) return;
  StopInplaceSearchTimer();
  FInplaceSearching = false;
  FInplaceSearchText.clear();
  RepaintGridRow(this, Row());
  if (FOptions.Contains(dgAlwaysShowEditor) && AlwaysShowsEditor()) EnterEditorMode();
}

void TCustomDBGridEx::StartInplaceSearchTimer() {
  if (FInplaceSearchTimerActive) StopInplaceSearchTimer();
  if (FInplaceSearchTimeOut >= 0) {
    SetTimer(this, kInplaceSearchTimerId, static_cast<unsigned>(FInplaceSearchTimeOut));
    FInplaceSearchTimerActive = true;
  }
}

void TCustomDBGridEx::StopInplaceSearchTimer() {
  if (!FInplaceSearchTimerActive) return;
  KillTimer(this, kInplaceSearchTimerId);
  FInplaceSearchTimerActive = false;
}

}  // namespace grid
