#include "grid/columns/dialogs/search_grid_text.h"

#include <algorithm>

#include "grid/columns/columns/column_ex.h"
#include "grid/columns/columns/db_grid_columns_ex.h"
#include "grid/core/custom_db_grid_ex.h"
#include "grid/core/db_grid_ex_module.h"
#include "platform/data/dataset.h"
#include "platform/ui/application.h"
#include "platform/ui/keys.h"

namespace grid {

using namespace ui;

namespace {

// Where the search stands: a record of the dataset and a position in the
// grid's visible columns. Whether the walk has run off the dataset is told
// by the move that ran off, not by the dataset's Bof and Eof flags, which a
// First or Last made before the search leaves standing.
struct SearchPosition {
  db::TDataSet* DataSet;
  int Column;
  int ColumnCount;
  bool AllFields;
  bool Up;
  bool Ended = false;

  void MoveRecord() {
    if (Up) {
      DataSet->Prior();
      Ended = DataSet->Bof();
    } else {
      DataSet->Next();
      Ended = DataSet->Eof();
    }
  }
  void Step() {
    if (!AllFields) {
      MoveRecord();
    } else if (!Up) {
      if (++Column > ColumnCount - 1) {
        Column = 0;
        MoveRecord();
      }
    } else if (--Column < 0) {
      Column = ColumnCount - 1;
      MoveRecord();
    }
  }
};

String SearchCellText(TColumnEx* Column, bool MatchFormat) {
  if (MatchFormat) return Column->DisplayText();
  db::TField* field = Column->Field();
  return field ? field->AsString() : String();
}

// Only a key already waiting is seen: the search does not pump messages.
bool EscapeWaiting(TCustomDBGridEx* Grid) {
  TMsg msg;
  return PeekMessage(msg, Grid, WM_KEYDOWN, WM_KEYDOWN, PM_NOREMOVE) && msg.wParam == VK_ESCAPE;
}

// A whole-row selection shows no current column; the selected one counts
// while it is in view, which it is after a search found a cell in it, so that
// the next search goes on after that cell instead of finding it again.
bool SelectedColumnScrolledIn(TCustomDBGridEx* Grid) {
  const int col = Grid->Col();
  return col >= Grid->LeftCol() && col < Grid->LeftCol() + Grid->VisibleColCount();
}

}  // namespace

bool GridTextMatches(const String& CellText, const String& Text, TLocateTextMatchingEx Matching,
                     bool CaseInsensitive) {
  const String cell = CaseInsensitive ? rtl::UpperCase(CellText) : CellText;
  const String text = CaseInsensitive ? rtl::UpperCase(Text) : Text;
  switch (Matching) {
    case ltmWholeEx:
      return cell == text;
    case ltmFromBegingEx:
      return cell.compare(0, text.size(), text) == 0 && cell.size() >= text.size();
    case ltmAnyPartEx:
    default:
      return cell.find(text) != String::npos;
  }
}

bool SearchGridText(TCustomDBGridEx* AGrid, const String& FieldName, const String& Text,
                    TLocateTextTreeFindRangeEx, TLocateTextMatchingEx Matching,
                    TLocateTextDirectionEx Direction, TLocateTextOptionsEx Options) {
  db::TDataSource* source = AGrid->DataSource();
  db::TDataSet* ds = source ? source->DataSet() : nullptr;
  if (!ds || !ds->Active()) return false;

  const std::vector<TColumnEx*>& visible = AGrid->VisibleColumns();
  // Every visible column takes part, also those scrolled out of view.
  const int count = static_cast<int>(visible.size());
  TColumnEx* named = FieldName.empty() ? nullptr : AGrid->FieldColumnByName(FieldName);
  // Grid and selected indexes count hidden columns too; the walk counts
  // visible ones.
  auto visiblePosition = [&](int DataCol) {
    if (DataCol < 0 || DataCol >= AGrid->Columns()->Count()) return -1;
    TColumnEx* column = AGrid->Columns()->ColumnAt(DataCol);
    return static_cast<int>(std::find(visible.begin(), visible.end(), column) - visible.begin());
  };
  int start;
  if (named)
    start = static_cast<int>(std::find(visible.begin(), visible.end(), named) - visible.begin());
  else if (AGrid->Options().Contains(dgRowSelect) && !SelectedColumnScrolledIn(AGrid))
    start = visiblePosition(AGrid->GridColToDataCol(AGrid->LeftCol()));
  else
    start = visiblePosition(AGrid->SelectedIndex());
  if (count == 0) return false;
  if (start < 0 || start >= count) start = 0;

  const bool allFields = Options.Contains(ltoAllFieldsEx);
  const bool matchFormat = Options.Contains(ltoMatchFormatEx);
  const bool caseInsensitive = Options.Contains(ltoCaseInsensitiveEx);
  // A named column that is hidden is still searched when it is the only one.
  TColumnEx* single = named ? named : visible[static_cast<std::size_t>(start)];

  SearchPosition at{ds, start, count, allFields, Direction == ltdUpEx};
  bool found = false;
  ds->DisableControls();
  try {
    const db::TBookmark saved = ds->GetBookmark();
    if (Direction == ltdAllEx) {
      ds->First();
      at.Ended = ds->Eof();
      // From the top means every cell: the first record's cells left of
      // the selected column too.
      at.Column = 0;
    } else {
      at.Step();
    }
    while (!at.Ended) {
      TColumnEx* column = allFields ? visible[static_cast<std::size_t>(at.Column)] : single;
      if (GridTextMatches(SearchCellText(column, matchFormat), Text, Matching, caseInsensitive)) {
        found = true;
        break;
      }
      if (Options.Contains(ltoStopOnEscape) && EscapeWaiting(AGrid)) break;
      at.Step();
    }
    if (!found) ds->GotoBookmark(saved);
  } catch (...) {
    ds->EnableControls();
    throw;
  }
  ds->EnableControls();
  if (found) {
    const int column =
        allFields ? at.Column
                  : static_cast<int>(std::find(visible.begin(), visible.end(), single) - visible.begin());
    if (column < count) AGrid->SetSelectedIndex(visible[static_cast<std::size_t>(column)]->Index());
  }
  return found;
}

}  // namespace grid
