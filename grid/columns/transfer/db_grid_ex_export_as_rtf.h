// The rich-text exporter: one table with the title row (or the lines of a
// multi-level title), a row per record and per footer row, in the grid's
// fonts, colours, alignments and column widths. The body is gathered first,
// so that the colour and font tables it uses can be written before it.
#pragma once

#include <string>
#include <vector>

#include "grid/columns/transfer/db_grid_ex_export.h"
#include "grid/foundation/memory_stream_ex.h"

namespace grid {

class THeadTreeNode;

class TDBGridExExportAsRTF : public TDBGridExExport {
 public:
  TDBGridExExportAsRTF() = default;
  void ExportToStream(rtl::TStream& AStream, bool IsExportAll) override;

 protected:
  void WriteSuffix() override;
  void WriteTitle(const std::vector<TColumnEx*>& ColumnsList) override;
  void WriteRecord(const std::vector<TColumnEx*>& ColumnsList) override;
  void WriteDataCell(TColumnEx* Column, TColCellParamsEx& CellParams) override;
  void WriteFooter(const std::vector<TColumnEx*>& ColumnsList, int FooterNo) override;
  void WriteFooterCell(int DataCol, int Row, const String& Text, ui::TAlignment Alignment,
                       ui::TColor Background, ui::TFont* AFont, TColumnEx* Column) override;

  // Control words as they stand; WriteLine adds CR LF.
  void WriteText(std::string_view Text);
  void WriteLine(std::string_view Text);
  int ColorIndex(ui::TColor Color);
  int FontIndex(const String& FontName);
  static std::string AlignmentWord(ui::TAlignment Alignment);
  void WriteFormattedText(ui::TFont* AFont, const String& Text, ui::TColor BackColor);
  void WriteCellBorders(bool Left, bool Top, bool Right, bool Bottom);
  ui::TColor DataCellColor(TColumnEx* Column);
  ui::TColor FooterCellColor(TColumnEx* Column, int Row, int DataCol);

  TMemoryStreamEx* FCacheStream = nullptr;
  std::vector<std::string> ColorTblList;
  std::vector<String> FontTblList;

 private:
  // Each border side: left, top, right, bottom.
  struct TCellDef {
    bool Borders[4] = {true, true, true, true};
    ui::TColor Background = ui::clWindow;
  };
  void WriteRowDefinition(const std::vector<TColumnEx*>& Columns, const std::vector<TCellDef>& Cells);
  void WriteCell(ui::TAlignment Alignment, const std::string& Spacing, ui::TFont* AFont, const String& Text,
                 ui::TColor BackColor);
  void WriteMultiTitle(const std::vector<TColumnEx*>& Columns);
  std::string Spacing() const;
  int PixelsPerInch() const;
};

}  // namespace grid
