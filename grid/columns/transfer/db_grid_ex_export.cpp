#include "grid/columns/transfer/db_grid_ex_export.h"

#include "grid/columns/columns/db_grid_columns_ex.h"
#include "grid/columns/sums/column_footer_ex.h"
#include "grid/columns/transfer/transfer_internal.h"
#include "grid/core/custom_db_grid_ex.h"
#include "grid/foundation/memory_stream_ex.h"
#include "platform/runtime/convert.h"

namespace grid {

using namespace transfer_detail;

namespace {

// The field a footer of the column sums or counts: the footer's own field
// name when set, else the column's.
db::TField* FooterField(db::TDataSet* DataSet, TColumnEx* Column, TColumnFooterEx* Footer) {
  if (!DataSet || !Footer) return nullptr;
  const String& name = Footer->FieldName().empty() ? Column->FieldName() : Footer->FieldName();
  return DataSet->FindField(name);
}

String IntegerSumText(db::TField* Field, std::int64_t Total) {
  if (!Field->DisplayFormat().empty())
    return rtl::FormatFloat(Field->DisplayFormat(), double(Total) / 10000.0);
  return rtl::IntToStr(Total / 10000);
}

String FloatSumText(const String& DisplayFormat, bool Currency, int Precision, double Value) {
  if (!DisplayFormat.empty()) return rtl::FormatFloat(DisplayFormat, Value);
  if (Currency)
    return rtl::FloatToStrF(Value, rtl::TFloatFormat::ffCurrency, Precision,
                            rtl::FormatSettings().CurrencyDecimals);
  return rtl::FloatToStrF(Value, rtl::TFloatFormat::ffGeneral, Precision, 0);
}

}  // namespace

TDBGridExExport::TDBGridExExport() : FColCellParamsEx(std::make_unique<TColCellParamsEx>()) {}
TDBGridExExport::~TDBGridExExport() = default;

void TDBGridExExport::ExportToFile(const String& FileName, bool IsExportAll) {
  // Gathered in memory first: the file stream writes each call through, and
  // an export is made of many small pieces.
  TMemoryStreamEx body;
  ExportToStream(body, IsExportAll);
  rtl::TFileStream file(FileName, rtl::fmCreate);
  file.WriteBuffer(body.Memory(), body.Size());
}

void TDBGridExExport::ResetFooterValues() {
  const int rows = FDBGridEx->FooterRowCount();
  FooterValues.assign(static_cast<std::size_t>(std::max(rows, 0)) * FExpCols.size(), 0);
}

void TDBGridExExport::ExportToStream(rtl::TStream& AStream, bool IsExportAll) {
  FStream = &AStream;
  db::TDataSet* ds = GridDataSet(FDBGridEx);
  if (!ds || !ds->Active()) return;
  TSavedPosition saved;
  {
    TControlsDisabled quiet(ds);
    saved = SavePosition(FDBGridEx);
    try {
      Walk(IsExportAll);
    } catch (...) {
      RestorePosition(FDBGridEx, saved);
      throw;
    }
    RestorePosition(FDBGridEx, saved);
  }
  WriteSuffix();
}

void TDBGridExExport::Walk(bool IsExportAll) {
  TCustomDBGridEx* grid = FDBGridEx;
  db::TDataSet* ds = GridDataSet(grid);
  const TDBGridExSelectionType kind = IsExportAll ? gstAll : SelectionTypeOf(grid);
  auto begin = [&](std::vector<TColumnEx*> Columns) {
    FExpCols = std::move(Columns);
    ResetFooterValues();
    WriteStreamPrefix();
    if (grid->Options().Contains(dgTitles)) WriteTitle(FExpCols);
  };
  auto record = [&] {
    WriteRecord(FExpCols);
    AccumulateFooterValues();
  };
  auto allRecords = [&] {
    ds->First();
    while (!ds->Eof()) {
      record();
      ds->Next();
    }
  };
  switch (kind) {
    case gstRecordBookmarks:
      begin(grid->VisibleColumns());
      for (const db::TBookmark& b : SelectedRows(grid)) {
        ds->GotoBookmark(b);
        AccumulateFooterValues();
        WriteRecord(FExpCols);
      }
      break;
    case gstRectangle: {
      const TSelectedRect r = SelectedRect(grid);
      begin(VisibleColumnsBetween(grid, r.LeftCol, r.RightCol));
      ds->GotoBookmark(r.TopRow);
      while (!ds->Eof()) {
        record();
        if (ds->CompareBookmarks(ds->GetBookmark(), r.BottomRow) == 0) break;
        ds->Next();
      }
      break;
    }
    case gstColumns:
      begin(SelectedColumns(grid));
      allRecords();
      break;
    case gstAll:
      begin(grid->VisibleColumns());
      allRecords();
      break;
    case gstNon: {
      FExpCols.clear();
      TColumnEx* current = grid->Columns()->ColumnAt(grid->SelectedIndex());
      if (current) FExpCols.push_back(current);
      WriteStreamPrefix();
      if (current) WriteRecord(FExpCols);
      return;
    }
  }
  for (int row = 0; row < grid->FooterRowCount(); ++row) WriteFooter(FExpCols, row);
}

void TDBGridExExport::WriteTitle(const std::vector<TColumnEx*>&) {}

void TDBGridExExport::WriteRecord(const std::vector<TColumnEx*>& ColumnsList) {
  TCustomDBGridEx* grid = FDBGridEx;
  TColCellParamsEx& params = *FColCellParamsEx;
  ui::TFont* font = grid->SpareFont();
  for (TColumnEx* column : ColumnsList) {
    font->Assign(column->Font());
    column->FillColCellParams(params);
    params.SetFont(font);
    ui::TColor background = column->Color();
    params.SetBackground(background);
    if (grid->OnGetCellParams) grid->OnGetCellParams(grid, column, font, background, TGridDrawState());
    column->GetColCellParams(false, params);
    params.SetBackground(background);
    WriteDataCell(column, params);
  }
}

void TDBGridExExport::WriteDataCell(TColumnEx*, TColCellParamsEx&) {}

void TDBGridExExport::FooterParams(TColumnEx* Column, int Row, int DataCol, ui::TFont* Font,
                                   ui::TColor& Color, ui::TAlignment& Alignment, String& Text) {
  TCustomDBGridEx* grid = FDBGridEx;
  TColumnFooterEx* footer = Column->UsedFooter(Row);
  if (footer) {
    Font->Assign(footer->Font());
    Color = footer->Color();
    Alignment = footer->Alignment();
  }
  if (footer && (footer->ValueType() == fvtSum || footer->ValueType() == fvtCount))
    Text = FooterValueText(Row, DataCol);
  else
    Text = grid->GetFooterValue(Row, Column);
  if (grid->OnGetFooterParams)
    grid->OnGetFooterParams(grid, Column->Index(), Row, Column, Font, Color, Alignment, TGridDrawState(),
                            Text);
}

void TDBGridExExport::WriteFooter(const std::vector<TColumnEx*>& ColumnsList, int FooterNo) {
  ui::TFont font;
  for (std::size_t i = 0; i < ColumnsList.size(); ++i) {
    TColumnEx* column = ColumnsList[i];
    ui::TColor color = FDBGridEx->FooterColor();
    ui::TAlignment alignment = ui::taLeftJustify;
    String text;
    FooterParams(column, FooterNo, static_cast<int>(i), &font, color, alignment, text);
    WriteFooterCell(static_cast<int>(i), FooterNo, text, alignment, color, &font, column);
  }
}

void TDBGridExExport::WriteFooterCell(int, int, const String&, ui::TAlignment, ui::TColor, ui::TFont*,
                                      TColumnEx*) {}

void TDBGridExExport::AccumulateFooterValues() {
  const int rows = FDBGridEx->FooterRowCount();
  if (rows <= 0 || FExpCols.empty()) return;
  db::TDataSet* ds = GridDataSet(FDBGridEx);
  const std::size_t count = FExpCols.size();
  for (int r = 0; r < rows; ++r) {
    for (std::size_t i = 0; i < count; ++i) {
      TColumnEx* column = FExpCols[i];
      TColumnFooterEx* footer = column->UsedFooter(r);
      if (!footer || (footer->ValueType() != fvtSum && footer->ValueType() != fvtCount)) continue;
      db::TField* field = FooterField(ds, column, footer);
      if (!field) continue;
      std::int64_t& total = FooterValues[i + static_cast<std::size_t>(r) * count];
      if (footer->ValueType() == fvtSum) {
        if (!field->IsNull()) total = rtl::Round(field->AsFloat() * 10000.0 + double(total));
      } else {
        total += 10000;
      }
    }
  }
}

String TDBGridExExport::FooterValueText(int Row, int DataCol) {
  const std::size_t count = FExpCols.size();
  const std::size_t at = static_cast<std::size_t>(DataCol) + static_cast<std::size_t>(Row) * count;
  if (DataCol < 0 || static_cast<std::size_t>(DataCol) >= count || at >= FooterValues.size()) return String();
  const std::int64_t total = FooterValues[at];
  TColumnEx* column = FExpCols[static_cast<std::size_t>(DataCol)];
  TColumnFooterEx* footer = column->UsedFooter(Row);
  if (!footer) return String();
  if (footer->ValueType() == fvtCount) return rtl::FloatToStr(double(total) / 10000.0);
  if (footer->ValueType() != fvtSum) return String();
  db::TField* field = FooterField(GridDataSet(FDBGridEx), column, footer);
  if (!field) return String();
  const double value = double(total) / 10000.0;
  switch (field->DataType()) {
    case db::ftSmallint:
    case db::ftInteger:
    case db::ftWord:
    case db::ftAutoInc:
      return IntegerSumText(field, total);
    case db::ftFloat:
    case db::ftCurrency: {
      auto* f = dynamic_cast<db::TFloatField*>(field);
      return FloatSumText(field->DisplayFormat(), f && f->Currency(), f ? f->Precision() : 15, value);
    }
    case db::ftBCD:
    case db::ftFMTBcd: {
      auto* f = dynamic_cast<db::TBCDField*>(field);
      return FloatSumText(field->DisplayFormat(), false, f ? f->Precision() : 18, value);
    }
    default:
      return String();
  }
}

void ExportGridToStream(TDBGridExExportClass ExportClass, TCustomDBGridEx* Grid, rtl::TStream& Stream,
                        bool IsExportAll) {
  std::unique_ptr<TDBGridExExport> exporter = ExportClass();
  exporter->SetDBGridEx(Grid);
  exporter->ExportToStream(Stream, IsExportAll);
}

}  // namespace grid
