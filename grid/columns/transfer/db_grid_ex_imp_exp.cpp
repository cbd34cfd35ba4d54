#include "grid/columns/transfer/db_grid_ex_imp_exp.h"

#include <cstring>

#include "grid/columns/transfer/db_grid_ex_export_as_rtf.h"
#include "grid/columns/transfer/db_grid_ex_export_as_text.h"
#include "grid/columns/transfer/db_grid_ex_import_as_text.h"
#include "grid/columns/transfer/db_grid_ex_vcldbif.h"
#include "grid/columns/transfer/transfer_internal.h"
#include "grid/core/custom_db_grid_ex.h"
#include "grid/editor_support/tool_routines.h"
#include "grid/foundation/memory_stream_ex.h"
#include "platform/runtime/exceptions.h"
#include "platform/ui/clipboard.h"
#include "platform/ui/dialogs.h"

namespace grid {

using namespace transfer_detail;

namespace {

// Closes the clipboard when it goes, also on failure.
struct TClipboardOpen {
  TClipboardOpen() { ui::Clipboard()->Open(); }
  ~TClipboardOpen() { ui::Clipboard()->Close(); }
  TClipboardOpen(const TClipboardOpen&) = delete;
  TClipboardOpen& operator=(const TClipboardOpen&) = delete;
};

bool ConfirmGridDelete(TCustomDBGridEx* Grid, TDBGridExSelectionType Kind) {
  if (!Grid->Options().Contains(dgConfirmDelete)) return true;
  String question;
  if (Kind == gstRecordBookmarks)
    question = SelectedRows(Grid).size() < 2 ? u"Delete record?" : u"Delete all selected records?";
  else if (Kind == gstRectangle)
    question = u"Clear selected cells?";
  else
    return true;
  return ui::MessageDlg(question, ui::mtConfirmation, {ui::mbOK, ui::mbCancel}) != ui::mrCancel;
}

void ClearField(db::TField* Field) {
  db::TDataSet* ds = Field->DataSet();
  if (!ds || !ds->CanModify()) return;
  ds->Edit();
  if (ds->State() == db::dsEdit || ds->State() == db::dsInsert) Field->Clear();
}

void ClearCellsOfRecord(const std::vector<TColumnEx*>& Columns) {
  for (TColumnEx* column : Columns) {
    if (!column->CanModify(false)) continue;
    db::TField* field = column->Field();
    if (!field) continue;
    if (field->Lookup()) {
      for (db::TField* key : FieldsArrayFromNames(field->DataSet(), field, field->KeyFields()))
        ClearField(key);
    } else {
      ClearField(field);
    }
  }
}

}  // namespace

unsigned ClipboardFormatVCLDBIF() {
  static const unsigned format = ui::RegisterClipboardFormat(u"VCLDBIF");
  return format;
}

unsigned ClipboardFormatCsv() {
  static const unsigned format = ui::RegisterClipboardFormat(u"Csv");
  return format;
}

unsigned ClipboardFormatRichText() {
  static const unsigned format = ui::RegisterClipboardFormat(u"Rich Text Format");
  return format;
}

void InitDBGridExImpExp() {
  ClipboardFormatVCLDBIF();
  ClipboardFormatCsv();
  ClipboardFormatRichText();
}

void PutStreamOnClipboard(unsigned Format, rtl::TStream& Stream) {
  TClipboardOpen open;
  const std::int64_t size = Stream.Size();
  ui::HGLOBAL block = ui::GlobalAlloc(ui::GMEM_MOVEABLE | ui::GMEM_DDESHARE, static_cast<std::size_t>(size));
  if (!block) throw rtl::Exception(u"Not enough memory for the clipboard");
  void* bytes = ui::GlobalLock(block);
  Stream.SetPosition(0);
  try {
    Stream.ReadBuffer(bytes, size);
  } catch (...) {
    ui::GlobalUnlock(block);
    ui::GlobalFree(block);
    throw;
  }
  ui::GlobalUnlock(block);
  try {
    ui::Clipboard()->SetAsHandle(Format, block);
  } catch (...) {
    ui::GlobalFree(block);
    throw;
  }
}

void ReadClipboardToStream(unsigned Format, rtl::TStream& Stream) {
  ui::HGLOBAL block = ui::Clipboard()->GetAsHandle(Format);
  if (!block) return;
  const void* bytes = ui::GlobalLock(block);
  if (!bytes) return;
  try {
    Stream.WriteBuffer(bytes, static_cast<std::int64_t>(ui::GlobalSize(block)));
  } catch (...) {
    ui::GlobalUnlock(block);
    throw;
  }
  ui::GlobalUnlock(block);
}

void CopyGridSelection(TCustomDBGridEx* Grid, bool ForWholeGrid) {
  struct TFormat {
    TDBGridExExportClass Exporter;
    int Terminator;
    unsigned Format;
  };
  const TFormat formats[] = {
      {ExportClassOf<TDBGridExExportAsText>, 1, ui::CF_TEXT},
      {ExportClassOf<TDBGridExExportAsUnicodeText>, 2, ui::CF_UNICODETEXT},
      {ExportClassOf<TDBGridExExportAsCSV>, 1, ClipboardFormatCsv()},
      {ExportClassOf<TDBGridExExportAsRTF>, 1, ClipboardFormatRichText()},
      {ExportClassOf<TDBGridExExportAsVCLDBIF>, 0, ClipboardFormatVCLDBIF()},
  };
  TClipboardOpen open;
  TControlsDisabled quiet(GridDataSet(Grid));
  TMemoryStreamEx stream(65536);
  for (const TFormat& f : formats) {
    ExportGridToStream(f.Exporter, Grid, stream, ForWholeGrid);
    const char zeros[2] = {0, 0};
    stream.WriteBuffer(zeros, f.Terminator);
    PutStreamOnClipboard(f.Format, stream);
    stream.Clear();
  }
}

void CutGridSelection(TCustomDBGridEx* Grid, bool ForWholeGrid) {
  CopyGridSelection(Grid, ForWholeGrid);
  DeleteGridSelection(Grid, ForWholeGrid);
}

void PasteGridSelection(TCustomDBGridEx* Grid, bool ForWholeGrid) {
  TClipboardOpen open;
  ui::TClipboard* clipboard = ui::Clipboard();
  rtl::TMemoryStream stream;
  TDBGridExImportClass importer = nullptr;
  unsigned format = 0;
  if (clipboard->HasFormat(ClipboardFormatVCLDBIF())) {
    importer = ImportClassOf<TDBGridExImportAsVCLDBIF>;
    format = ClipboardFormatVCLDBIF();
  } else if (clipboard->HasFormat(ui::CF_UNICODETEXT)) {
    importer = ImportClassOf<TDBGridExImportAsUnicodeText>;
    format = ui::CF_UNICODETEXT;
  } else if (clipboard->HasFormat(ui::CF_TEXT)) {
    importer = ImportClassOf<TDBGridExImportAsText>;
    format = ui::CF_TEXT;
  } else {
    return;
  }
  ReadClipboardToStream(format, stream);
  stream.SetPosition(0);
  ImportGridFromStream(importer, Grid, stream, ForWholeGrid);
}

void DeleteGridSelection(TCustomDBGridEx* Grid, bool ForWholeGrid) {
  const TDBGridExSelectionType kind = ForWholeGrid ? gstAll : SelectionTypeOf(Grid);
  db::TDataSet* ds = GridDataSet(Grid);
  if (kind == gstNon || !ds) return;
  if (!ConfirmGridDelete(Grid, kind)) return;
  const TSavedPosition saved = SavePosition(Grid);
  TControlsDisabled quiet(ds);
  switch (kind) {
    case gstRecordBookmarks:
      for (const db::TBookmark& b : SelectedRows(Grid)) {
        ds->GotoBookmark(b);
        ds->Delete();
      }
      ClearSelection(Grid);
      break;
    case gstRectangle: {
      const TSelectedRect r = SelectedRect(Grid);
      const std::vector<TColumnEx*> columns = VisibleColumnsBetween(Grid, r.LeftCol, r.RightCol);
      ds->GotoBookmark(r.TopRow);
      while (!ds->Eof()) {
        ClearCellsOfRecord(columns);
        if (ds->CompareBookmarks(ds->GetBookmark(), r.BottomRow) == 0) break;
        ds->Next();
      }
      RestorePosition(Grid, saved);
      break;
    }
    case gstColumns: {
      const std::vector<TColumnEx*> columns = SelectedColumns(Grid);
      ds->First();
      while (!ds->Eof()) {
        ClearCellsOfRecord(columns);
        ds->Next();
      }
      RestorePosition(Grid, saved);
      break;
    }
    case gstAll:
      ds->First();
      while (!ds->Eof()) ds->Delete();
      break;
    case gstNon:
      break;
  }
}

}  // namespace grid
