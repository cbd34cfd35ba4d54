// The text exporters: tab-separated 8-bit text in the system code page,
// the same as UTF-16 (little-endian, no byte-order mark), and quoted
// comma-separated values. Rows are separated by CR LF; the output does not
// end with a line break.
#pragma once

#include "grid/columns/transfer/db_grid_ex_export.h"

namespace grid {

// The separator the CSV exporter starts with.
extern char CsvSeparator;

class TDBGridExExportAsText : public TDBGridExExport {
 public:
  TDBGridExExportAsText() = default;
  void ExportToStream(rtl::TStream& AStream, bool IsExportAll) override;

 protected:
  void WriteTitle(const std::vector<TColumnEx*>& ColumnsList) override;
  void WriteRecord(const std::vector<TColumnEx*>& ColumnsList) override;
  void WriteDataCell(TColumnEx* Column, TColCellParamsEx& CellParams) override;
  void WriteFooter(const std::vector<TColumnEx*>& ColumnsList, int FooterNo) override;
  void WriteFooterCell(int DataCol, int Row, const String& Text, ui::TAlignment Alignment,
                       ui::TColor Background, ui::TFont* AFont, TColumnEx* Column) override;

  virtual void StartRow();
  virtual void StartCell();
  // Text as the output's encoding has it.
  virtual void PutText(std::u16string_view Text);
  // A cell's text as it goes out (the CSV form quotes it).
  virtual String CellText(const String& Text) { return Text; }
  virtual void PutSeparator() { PutText(u"\t"); }

  bool FirstRec = true;
  bool FirstCell = true;
};

class TDBGridExExportAsUnicodeText : public TDBGridExExportAsText {
 public:
  TDBGridExExportAsUnicodeText() = default;

 protected:
  void PutText(std::u16string_view Text) override;
};

class TDBGridExExportAsCSV : public TDBGridExExportAsText {
 public:
  TDBGridExExportAsCSV();
  char Separator() const { return FSeparator; }
  void SetSeparator(char Value) { FSeparator = Value; }

 protected:
  void WriteDataCell(TColumnEx* Column, TColCellParamsEx& CellParams) override;
  String CellText(const String& Text) override;
  void PutSeparator() override;

 private:
  char FSeparator;
};

}  // namespace grid
