// A data grid's export of 1,000,000 records as CSV and its import of them
// back (the grid's text reader, over its own text export of the same
// records), next to SQLite writing the same CSV from a table through one
// SELECT and reading it back into a table through prepared INSERTs, in the
// same run. Prints both figures and their ratio.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include "components/extended/data/ext_memory_data.h"
#include "grid/columns/transfer/db_grid_ex_export_as_text.h"
#include "grid/columns/transfer/db_grid_ex_import_as_text.h"
#include "grid/core/custom_db_grid_ex.h"
#include "grid/core/db_grid_ex_module.h"
#include "platform/ui/application.h"
#include "platform/ui/forms.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRecords = 1000000;
std::map<std::string, double> g_ms;

double Since(Clock::time_point Start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - Start).count();
}

struct Table {
  ext::TExtMemoryData ds{nullptr};
  db::TDataSource src{nullptr};
  ui::TForm* form = nullptr;
  grid::TDBGridEx* grid = nullptr;
  Table() {
    ds.FieldDefs().Add(u"Id", db::ftInteger);
    ds.FieldDefs().Add(u"Name", db::ftString, 20);
    ds.FieldDefs().Add(u"Value", db::ftFloat);
    src.SetDataSet(&ds);
    ds.Open();
    form = new ui::TForm(ui::Application);
    form->AfterConstruction();
    grid = new grid::TDBGridEx(form);
    grid->SetParent(form);
    grid->SetDataSource(&src);
    grid->SetOptions(grid->Options() - grid::dgTitles);
  }
  ~Table() {
    grid->SetDataSource(nullptr);
    delete form;
  }
  void Fill() {
    ds.DisableControls();
    for (int i = 0; i < kRecords; ++i) {
      ds.Append();
      ds.Fields(0)->SetAsInteger(i);
      ds.Fields(1)->SetAsString(u"name \"" + rtl::IntToStr(i % 1000) + u"\"");
      ds.Fields(2)->SetAsFloat(i * 0.25);
      ds.Post();
    }
    ds.First();
    ds.EnableControls();
  }
};

void BM_GridCsvExportAndImport(benchmark::State& State) {
  Table t;
  t.Fill();
  for (auto _ : State) {
    rtl::TMemoryStream csv;
    auto start = Clock::now();
    grid::ExportGridToStream(grid::ExportClassOf<grid::TDBGridExExportAsCSV>, t.grid, csv, true);
    g_ms["export"] = Since(start);
    rtl::TMemoryStream text;
    grid::ExportGridToStream(grid::ExportClassOf<grid::TDBGridExExportAsText>, t.grid, text, true);
    Table back;
    text.SetPosition(0);
    start = Clock::now();
    grid::ImportGridFromStream(grid::ImportClassOf<grid::TDBGridExImportAsText>, back.grid, text, true);
    g_ms["import"] = Since(start);
    if (back.ds.RecordCount() != kRecords) State.SkipWithError("import lost records");
    benchmark::DoNotOptimize(csv.Size());
  }
}

void Exec(sqlite3* Db, const char* Sql) { sqlite3_exec(Db, Sql, nullptr, nullptr, nullptr); }

void BM_SqliteCsvWriteAndRead(benchmark::State& State) {
  sqlite3* db = nullptr;
  sqlite3_open(":memory:", &db);
  Exec(
      db,
      "CREATE TABLE t(Id INTEGER, Name TEXT, Value REAL); CREATE TABLE u(Id INTEGER, Name TEXT, Value REAL)");
  Exec(db, "BEGIN");
  sqlite3_stmt* ins = nullptr;
  sqlite3_prepare_v2(db, "INSERT INTO t VALUES(?,?,?)", -1, &ins, nullptr);
  for (int i = 0; i < kRecords; ++i) {
    const std::string name = "name \"" + std::to_string(i % 1000) + "\"";
    sqlite3_bind_int(ins, 1, i);
    sqlite3_bind_text(ins, 2, name.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_double(ins, 3, i * 0.25);
    sqlite3_step(ins);
    sqlite3_reset(ins);
  }
  sqlite3_finalize(ins);
  Exec(db, "COMMIT");
  for (auto _ : State) {
    auto start = Clock::now();
    std::string csv;
    sqlite3_stmt* sel = nullptr;
    sqlite3_prepare_v2(
        db,
        "SELECT '\"' || Id || '\";\"' || replace(Name, '\"', '\"\"') || '\";\"' || Value || '\"' "
        "FROM t ORDER BY rowid",
        -1, &sel, nullptr);
    bool first = true;
    while (sqlite3_step(sel) == SQLITE_ROW) {
      if (!first) csv += "\r\n";
      first = false;
      csv.append(reinterpret_cast<const char*>(sqlite3_column_text(sel, 0)));
    }
    sqlite3_finalize(sel);
    g_ms["sqlite export"] = Since(start);
    start = Clock::now();
    Exec(db, "DELETE FROM u; BEGIN");
    sqlite3_prepare_v2(db, "INSERT INTO u VALUES(?,?,?)", -1, &ins, nullptr);
    std::size_t at = 0;
    std::string cell;
    int column = 0;
    while (at < csv.size()) {
      // One quoted cell: inner quotes doubled.
      cell.clear();
      ++at;
      while (at < csv.size()) {
        if (csv[at] == '"') {
          if (at + 1 < csv.size() && csv[at + 1] == '"') {
            cell += '"';
            at += 2;
            continue;
          }
          ++at;
          break;
        }
        cell += csv[at++];
      }
      sqlite3_bind_text(ins, column + 1, cell.c_str(), static_cast<int>(cell.size()), SQLITE_TRANSIENT);
      if (at < csv.size() && csv[at] == ';') {
        ++at;
        ++column;
        continue;
      }
      sqlite3_step(ins);
      sqlite3_reset(ins);
      column = 0;
      at += 2;  // CR LF
    }
    sqlite3_finalize(ins);
    Exec(db, "COMMIT");
    g_ms["sqlite import"] = Since(start);
  }
  sqlite3_close(db);
}

BENCHMARK(BM_GridCsvExportAndImport)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SqliteCsvWriteAndRead)->Iterations(1)->Unit(benchmark::kMillisecond);

void PrintTable() {
  std::printf("\n1,000,000 records as CSV, ms (ratio = grid / SQLite)\n");
  std::printf("%-10s %12s %12s %8s\n", "case", "grid", "SQLite", "ratio");
  for (const char* c : {"export", "import"}) {
    const double g = g_ms[c], s = g_ms[std::string("sqlite ") + c];
    std::printf("%-10s %12.1f %12.1f %8.2f\n", c, g, s, s > 0 ? g / s : 0.0);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  ui::InitApplication(argc, argv);
  grid::InitDBGridEx();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  PrintTable();
  benchmark::Shutdown();
  grid::DoneDBGridEx();
  return 0;
}
