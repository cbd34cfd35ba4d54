// Export of a data grid's data: the abstract exporter walks the grid's
// selection (or every record) and calls its writing operations for the
// prefix, the title row, each record and cell, each footer row and cell, and
// the suffix; the concrete exporters turn those into bytes.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "grid/columns/columns/column_ex.h"
#include "platform/runtime/streams.h"
#include "platform/ui/graphics.h"

namespace grid {

class TCustomDBGridEx;

class TDBGridExExport {
 public:
  TDBGridExExport();
  virtual ~TDBGridExExport();
  TDBGridExExport(const TDBGridExExport&) = delete;
  TDBGridExExport& operator=(const TDBGridExExport&) = delete;

  TCustomDBGridEx* DBGridEx() const { return FDBGridEx; }
  void SetDBGridEx(TCustomDBGridEx* Value) { FDBGridEx = Value; }

  // Writes at the stream's position. With IsExportAll every record and every
  // visible column, whatever is selected.
  virtual void ExportToStream(rtl::TStream& AStream, bool IsExportAll);
  // Creates or truncates the file.
  void ExportToFile(const String& FileName, bool IsExportAll);

 protected:
  virtual void WriteStreamPrefix() {}
  virtual void WriteSuffix() {}
  virtual void WriteTitle(const std::vector<TColumnEx*>& ColumnsList);
  virtual void WriteRecord(const std::vector<TColumnEx*>& ColumnsList);
  virtual void WriteDataCell(TColumnEx* Column, TColCellParamsEx& CellParams);
  virtual void WriteFooter(const std::vector<TColumnEx*>& ColumnsList, int FooterNo);
  virtual void WriteFooterCell(int DataCol, int Row, const String& Text, ui::TAlignment Alignment,
                               ui::TColor Background, ui::TFont* AFont, TColumnEx* Column);

  // Adds the current record to the sum and count footers of the exported columns.
  void AccumulateFooterValues();
  String FooterValueText(int Row, int DataCol);
  // The footer text, colour, alignment and font of a column after the grid's
  // footer event (Font receives a copy of the footer's font).
  void FooterParams(TColumnEx* Column, int Row, int DataCol, ui::TFont* Font, ui::TColor& Color,
                    ui::TAlignment& Alignment, String& Text);

  rtl::TStream* Stream() const { return FStream; }
  const std::vector<TColumnEx*>& ExpCols() const { return FExpCols; }

  std::unique_ptr<TColCellParamsEx> FColCellParamsEx;
  TCustomDBGridEx* FDBGridEx = nullptr;
  std::vector<TColumnEx*> FExpCols;
  rtl::TStream* FStream = nullptr;
  // Running totals in 1/10,000 units: column position + footer row x column count.
  std::vector<std::int64_t> FooterValues;

 private:
  void ResetFooterValues();
  void Walk(bool IsExportAll);
};

// What ExportGridToStream is given: a maker of a fresh exporter.
using TDBGridExExportClass = std::unique_ptr<TDBGridExExport> (*)();
template <class T>
std::unique_ptr<TDBGridExExport> ExportClassOf() {
  return std::make_unique<T>();
}

// Makes an exporter, binds it to the grid, exports and frees it (also on failure).
void ExportGridToStream(TDBGridExExportClass ExportClass, TCustomDBGridEx* Grid, rtl::TStream& Stream,
                        bool IsExportAll);

}  // namespace grid
