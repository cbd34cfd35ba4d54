#include "grid/columns/transfer/db_grid_ex_import.h"

#include "grid/columns/columns/db_grid_columns_ex.h"
#include "grid/columns/transfer/transfer_internal.h"
#include "grid/core/custom_db_grid_ex.h"
#include "platform/runtime/exceptions.h"
#include "platform/ui/dialogs.h"

namespace grid {

using namespace transfer_detail;

void TDBGridExImport::ImportFromFile(const String& FileName, bool IsImportAll) {
  // Read whole: the readers take the source a character at a time.
  rtl::TMemoryStream source;
  source.LoadFromFile(FileName);
  source.SetPosition(0);
  ImportFromStream(source, IsImportAll);
}

void TDBGridExImport::ReadRecord(const std::vector<TColumnEx*>& ColumnsList) {
  for (TColumnEx* column : ColumnsList) ReadDataCell(column);
}

void TDBGridExImport::AppendRecords() {
  db::TDataSet* ds = GridDataSet(FDBGridEx);
  while (!Eos) {
    if (FAppendMode)
      ds->Append();
    else
      ds->Insert();
    ReadRecord(FImpCols);
    ds->Post();
    if (!FAppendMode) ds->Next();
  }
}

void TDBGridExImport::AskIgnoreError(const String& Message, bool& IgnoreAll) {
  if (IgnoreAll) return;
  const int answer = ui::MessageDlg(u"Error during insert value:\n" + Message + u"\n\nIgnore error?",
                                    ui::mtError, {ui::mbYes, ui::mbNo, ui::mbAll});
  if (answer == ui::mrAll)
    IgnoreAll = true;
  else if (answer != ui::mrYes)
    rtl::Abort();
}

void TDBGridExImport::ImportFromStream(rtl::TStream& AStream, bool IsImportAll) {
  FStream = &AStream;
  Eos = false;
  TCustomDBGridEx* grid = FDBGridEx;
  db::TDataSet* ds = GridDataSet(grid);
  if (!ds || !ds->Active()) return;
  if (IsImportAll) {
    ClearSelection(grid);
    ds->First();
    if (!grid->VisibleColumns().empty()) grid->SetSelectedIndex(grid->VisibleColumns().front()->Index());
  }
  bool appendMode = ds->Eof();
  bool inserting = ds->State() == db::dsInsert;
  TSavedPosition saved;
  if (!inserting) saved = SavePosition(grid);
  {
    TControlsDisabled quiet(ds);
    try {
      Fill(appendMode, inserting, [&] { RestorePosition(grid, saved); });
    } catch (...) {
      if (!inserting) RestorePosition(grid, saved);
      throw;
    }
    if (!inserting) RestorePosition(grid, saved);
  }
  ReadSuffix();
}

void TDBGridExImport::Fill(bool& AppendMode, bool& Inserting, const std::function<void()>& ReturnToSaved) {
  TCustomDBGridEx* grid = FDBGridEx;
  db::TDataSet* ds = GridDataSet(grid);
  FAppendMode = AppendMode;
  auto each = [&] {
    while (!ds->Eof()) {
      ReadRecord(FImpCols);
      ds->Next();
    }
  };
  switch (SelectionTypeOf(grid)) {
    case gstRecordBookmarks:
      FImpCols = grid->VisibleColumns();
      ReadPrefix();
      if (Inserting) {
        AppendRecords();
      } else {
        for (const db::TBookmark& b : SelectedRows(grid)) {
          ds->GotoBookmark(b);
          ReadRecord(FImpCols);
        }
      }
      break;
    case gstRectangle: {
      const TSelectedRect r = SelectedRect(grid);
      FImpCols = VisibleColumnsBetween(grid, r.LeftCol, r.RightCol);
      ReadPrefix();
      if (Inserting) {
        AppendRecords();
      } else {
        ds->GotoBookmark(r.TopRow);
        while (!ds->Eof()) {
          ReadRecord(FImpCols);
          if (ds->CompareBookmarks(ds->GetBookmark(), r.BottomRow) == 0) break;
          ds->Next();
        }
      }
      break;
    }
    case gstColumns:
    case gstAll:
      FImpCols = SelectionTypeOf(grid) == gstColumns ? SelectedColumns(grid) : grid->VisibleColumns();
      ReadPrefix();
      if (Inserting) {
        AppendRecords();
      } else {
        ds->First();
        each();
      }
      break;
    case gstNon:
      FImpCols = VisibleColumnsBetween(grid, grid->SelectedIndex(), grid->Columns()->Count() - 1);
      ReadPrefix();
      if (Inserting) {
        AppendRecords();
      } else {
        ReturnToSaved();
        while (!ds->Eof() && !Eos) {
          ReadRecord(FImpCols);
          ds->Next();
        }
        if (grid->AllowedOperations().Contains(alopAppendEx)) {
          AppendMode = Inserting = FAppendMode = true;
          AppendRecords();
        }
      }
      break;
  }
}

void ImportGridFromStream(TDBGridExImportClass ImportClass, TCustomDBGridEx* Grid, rtl::TStream& Stream,
                          bool IsImportAll) {
  std::unique_ptr<TDBGridExImport> importer = ImportClass();
  importer->SetDBGridEx(Grid);
  importer->ImportFromStream(Stream, IsImportAll);
}

}  // namespace grid
