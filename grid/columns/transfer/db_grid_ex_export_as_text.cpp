#include "grid/columns/transfer/db_grid_ex_export_as_text.h"

#include "grid/columns/columns/column_title_ex.h"
#include "grid/columns/transfer/transfer_internal.h"
#include "grid/core/custom_db_grid_ex.h"
#include "grid/core/db_grid_ex_center.h"

namespace grid {

char CsvSeparator = ';';

void TDBGridExExportAsText::ExportToStream(rtl::TStream& AStream, bool IsExportAll) {
  FirstRec = true;
  TDBGridExExport::ExportToStream(AStream, IsExportAll);
}

void TDBGridExExportAsText::PutText(std::u16string_view Text) { transfer_detail::WriteAnsi(*Stream(), Text); }

void TDBGridExExportAsText::StartRow() {
  if (FirstRec)
    FirstRec = false;
  else
    PutText(u"\r\n");
}

void TDBGridExExportAsText::StartCell() {
  if (FirstCell)
    FirstCell = false;
  else
    PutSeparator();
}

void TDBGridExExportAsText::WriteTitle(const std::vector<TColumnEx*>& ColumnsList) {
  StartRow();
  for (std::size_t i = 0; i < ColumnsList.size(); ++i) {
    PutText(CellText(ColumnsList[i]->Title()->Caption()));
    if (i + 1 < ColumnsList.size()) PutSeparator();
  }
}

void TDBGridExExportAsText::WriteRecord(const std::vector<TColumnEx*>& ColumnsList) {
  StartRow();
  FirstCell = true;
  TDBGridExExport::WriteRecord(ColumnsList);
}

void TDBGridExExportAsText::WriteFooter(const std::vector<TColumnEx*>& ColumnsList, int FooterNo) {
  StartRow();
  FirstCell = true;
  TDBGridExExport::WriteFooter(ColumnsList, FooterNo);
}

void TDBGridExExportAsText::WriteDataCell(TColumnEx* Column, TColCellParamsEx& CellParams) {
  StartCell();
  db::TField* field = Column->Field();
  TDBGridExCenter* center = DBGridEx()->Center();
  if (field && field->IsNumeric() && center && center->PreferEditFormatForNumberFields())
    PutText(Column->EditText());
  else
    PutText(CellParams.Text());
}

void TDBGridExExportAsText::WriteFooterCell(int, int, const String& Text, ui::TAlignment, ui::TColor,
                                            ui::TFont*, TColumnEx*) {
  StartCell();
  PutText(CellText(Text));
}

void TDBGridExExportAsUnicodeText::PutText(std::u16string_view Text) {
  transfer_detail::WriteWide(*Stream(), Text);
}

TDBGridExExportAsCSV::TDBGridExExportAsCSV() : FSeparator(CsvSeparator) {}

void TDBGridExExportAsCSV::PutSeparator() { Stream()->WriteBuffer(&FSeparator, 1); }

String TDBGridExExportAsCSV::CellText(const String& Text) {
  String out;
  out.reserve(Text.size() + 2);
  out += u'"';
  for (char16_t c : Text) {
    if (c == u'"') out += u'"';
    out += c;
  }
  out += u'"';
  return out;
}

void TDBGridExExportAsCSV::WriteDataCell(TColumnEx*, TColCellParamsEx& CellParams) {
  StartCell();
  PutText(CellText(CellParams.Text()));
}

}  // namespace grid
