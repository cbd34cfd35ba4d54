// Clipboard transfer and delete of a data grid's selection: a copy puts
// the selection on the clipboard in five formats at once (8-bit and UTF-16
// text, CSV, rich text and VCLDBIF); a paste reads the richest of VCLDBIF,
// UTF-16 text and 8-bit text that the clipboard holds; a delete removes the
// selected records or clears the selected cells.
#pragma once

#include "grid/columns/transfer/db_grid_ex_export.h"
#include "grid/columns/transfer/db_grid_ex_import.h"
#include "platform/runtime/streams.h"

namespace grid {

class TCustomDBGridEx;

// The registered clipboard formats "VCLDBIF", "Csv" and "Rich Text Format".
unsigned ClipboardFormatVCLDBIF();
unsigned ClipboardFormatCsv();
unsigned ClipboardFormatRichText();
// Registers the three formats (module start-up).
void InitDBGridExImpExp();

// ForWholeGrid works on every record instead of the selection.
void CopyGridSelection(TCustomDBGridEx* Grid, bool ForWholeGrid);
void CutGridSelection(TCustomDBGridEx* Grid, bool ForWholeGrid);
void PasteGridSelection(TCustomDBGridEx* Grid, bool ForWholeGrid);
void DeleteGridSelection(TCustomDBGridEx* Grid, bool ForWholeGrid);

// The stream's bytes become the clipboard's data of that format.
void PutStreamOnClipboard(unsigned Format, rtl::TStream& Stream);
// Appends the clipboard's data of that format (nothing when it holds none).
void ReadClipboardToStream(unsigned Format, rtl::TStream& Stream);

}  // namespace grid
