// A data grid on a form over an in-memory table of the test's fields and
// rows, and helpers to export it into bytes and import bytes into it.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "components/extended/data/ext_memory_data.h"
#include "grid/columns/columns/column_ex.h"
#include "grid/columns/columns/db_grid_columns_ex.h"
#include "grid/columns/transfer/db_grid_ex_export.h"
#include "grid/columns/transfer/db_grid_ex_import.h"
#include "tests/grid/core/grid_on_form.h"

namespace transfertest {

struct FieldSpec {
  ui::String Name;
  db::TFieldType Type;
  int Size = 0;
};

struct TransferGrid : gridtest::GridOnForm {
  // Declared first, so that the data source goes before its dataset.
  std::unique_ptr<ext::TExtMemoryData> ds;
  db::TDataSource src{nullptr};

  // A new table (the grid lets go of the old one first).
  void Build(const std::vector<FieldSpec>& Fields, const std::vector<std::vector<rtl::Variant>>& Rows) {
    grid->SetDataSource(nullptr);
    src.SetDataSet(nullptr);
    ds = std::make_unique<ext::TExtMemoryData>(nullptr);
    for (const FieldSpec& f : Fields) ds->FieldDefs().Add(f.Name, f.Type, f.Size);
    src.SetDataSet(ds.get());
    ds->Open();
    for (const auto& row : Rows) ds->AppendRecord(row);
    ds->First();
    grid->SetDataSource(&src);
  }
  void TearDown() override {
    grid->SetDataSource(nullptr);
    gridtest::GridOnForm::TearDown();
  }
  // Five records of four string columns, "r1c1" and so on.
  void FiveByFour() {
    std::vector<std::vector<rtl::Variant>> rows;
    for (int r = 1; r <= 5; ++r) {
      std::vector<rtl::Variant> row;
      for (int c = 1; c <= 4; ++c)
        row.push_back(rtl::Variant(u"r" + rtl::IntToStr(r) + u"c" + rtl::IntToStr(c)));
      rows.push_back(row);
    }
    Build({{u"A", db::ftString, 10},
           {u"B", db::ftString, 10},
           {u"C", db::ftString, 10},
           {u"D", db::ftString, 10}},
          rows);
  }
  grid::TColumnEx* Column(int Index) { return grid->Columns()->ColumnAt(Index); }

  std::string Export(grid::TDBGridExExportClass Class, bool All = true) {
    rtl::TMemoryStream out;
    grid::ExportGridToStream(Class, grid, out, All);
    return out.ToBytes();
  }
  void Import(grid::TDBGridExImportClass Class, const std::string& Bytes, bool All = false) {
    rtl::TMemoryStream in;
    if (!Bytes.empty()) in.WriteBuffer(Bytes.data(), static_cast<std::int64_t>(Bytes.size()));
    in.SetPosition(0);
    grid::ImportGridFromStream(Class, grid, in, All);
  }
  // The table's rows as texts ("" for Null).
  std::vector<std::vector<ui::String>> TableRows() {
    std::vector<std::vector<ui::String>> out;
    ds->First();
    while (!ds->Eof()) {
      std::vector<ui::String> row;
      for (int i = 0; i < ds->FieldCount(); ++i) row.push_back(ds->Fields(i)->AsString());
      out.push_back(row);
      ds->Next();
    }
    return out;
  }
};

// UTF-16 little-endian bytes of an ASCII text.
inline std::string Wide(const std::string& Ascii) {
  std::string out;
  for (char c : Ascii) {
    out += c;
    out += '\0';
  }
  return out;
}

}  // namespace transfertest
