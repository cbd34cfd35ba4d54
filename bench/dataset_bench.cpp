// The in-memory dataset next to SQLite's in-memory database doing the same
// work, on 10,000 and 1,000,000 records: appending the table, sorting it
// (by an integer, then case-insensitively by a text), counting a filter,
// locating the last record by a key without an index, and 1,000 jumps to
// random record numbers with a grid-sized window of 30 buffers (SQLite:
// 1,000 lookups by rowid). Prints both times and their ratio per case.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "platform/data/data_source.h"
#include "components/extended/data/ext_memory_data.h"

namespace {

using Clock = std::chrono::steady_clock;
using db::TField;
using ext::TExtMemoryData;

// Mean milliseconds per iteration, by "side/case/records".
std::map<std::string, double> g_ms;

struct Timer {
  Clock::duration total{};
  int runs = 0;
  void Add(Clock::time_point start) {
    total += Clock::now() - start;
    ++runs;
  }
  double Ms() const { return runs ? std::chrono::duration<double, std::milli>(total).count() / runs : 0; }
};

int KeyOf(int i, int n) { return static_cast<int>((static_cast<std::uint64_t>(i) * 2654435761u) % (10u * static_cast<unsigned>(n))); }
std::string NameOf(int key) { return (key % 2 ? "Name" : "name") + std::to_string(key); }

// The names of record i, made before any timing, for each side's text type.
const std::vector<std::string>& Utf8Names(int n) {
  static std::map<int, std::vector<std::string>> cache;
  auto& v = cache[n];
  if (v.empty())
    for (int i = 0; i < n; ++i) v.push_back(NameOf(KeyOf(i, n)));
  return v;
}
const std::vector<rtl::String>& Names(int n) {
  static std::map<int, std::vector<rtl::String>> cache;
  auto& v = cache[n];
  if (v.empty())
    for (const std::string& s : Utf8Names(n)) v.push_back(rtl::Utf8ToString(s));
  return v;
}

// ---------------------------------------------------------------- our side

std::unique_ptr<TExtMemoryData> NewTable() {
  auto ds = std::make_unique<TExtMemoryData>();
  ds->FieldDefs().Add(u"KEY", db::ftInteger);
  ds->FieldDefs().Add(u"NAME", db::ftString, 20);
  ds->FieldDefs().Add(u"VAL", db::ftFloat);
  ds->Open();
  return ds;
}

void Fill(TExtMemoryData& ds, int n) {
  TField* key = ds.FieldByName(u"KEY");
  TField* name = ds.FieldByName(u"NAME");
  TField* val = ds.FieldByName(u"VAL");
  const std::vector<rtl::String>& names = Names(n);
  for (int i = 0; i < n; ++i) {
    int k = KeyOf(i, n);
    ds.Append();
    key->SetAsInteger(k);
    name->SetAsString(names[static_cast<std::size_t>(i)]);
    val->SetAsFloat(k * 0.5);
    ds.Post();
  }
}

TExtMemoryData& Shared(int n) {
  static std::map<int, std::unique_ptr<TExtMemoryData>> tables;
  auto& t = tables[n];
  if (!t) {
    t = NewTable();
    Fill(*t, n);
  }
  return *t;
}

// ---------------------------------------------------------------- SQLite side

struct Lite {
  sqlite3* db = nullptr;
  Lite() {
    sqlite3_open(":memory:", &db);
    Exec("CREATE TABLE t(key INTEGER, name TEXT, val REAL)");
  }
  ~Lite() { sqlite3_close(db); }
  void Exec(const char* sql) { sqlite3_exec(db, sql, nullptr, nullptr, nullptr); }
  sqlite3_stmt* Prepare(const char* sql) {
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &s, nullptr);
    return s;
  }
  void Fill(int n) {
    Exec("BEGIN");
    sqlite3_stmt* s = Prepare("INSERT INTO t(key, name, val) VALUES(?, ?, ?)");
    const std::vector<std::string>& names = Utf8Names(n);
    for (int i = 0; i < n; ++i) {
      int k = KeyOf(i, n);
      const std::string& name = names[static_cast<std::size_t>(i)];
      sqlite3_bind_int(s, 1, k);
      sqlite3_bind_text(s, 2, name.c_str(), static_cast<int>(name.size()), SQLITE_TRANSIENT);
      sqlite3_bind_double(s, 3, k * 0.5);
      sqlite3_step(s);
      sqlite3_reset(s);
    }
    sqlite3_finalize(s);
    Exec("COMMIT");
  }
};

Lite& SharedLite(int n) {
  static std::map<int, std::unique_ptr<Lite>> dbs;
  auto& d = dbs[n];
  if (!d) {
    d = std::make_unique<Lite>();
    d->Fill(n);
  }
  return *d;
}

std::string Key(const char* side, const char* what, int n) { return std::string(side) + "/" + what + "/" + std::to_string(n); }

// ---------------------------------------------------------------- cases

// Times filling a fresh table per run; making and freeing it stay outside
// the measured span.
template <class MakeFn, class FillFn>
double Time_Fresh_Fills(benchmark::State& state, MakeFn make, FillFn fill) {
  Timer t;
  for (auto _ : state) {
    state.PauseTiming();
    auto target = make();
    state.ResumeTiming();
    auto start = Clock::now();
    fill(*target);
    t.Add(start);
    state.PauseTiming();
    target.reset();
    state.ResumeTiming();
  }
  return t.Ms();
}

void BM_Append(benchmark::State& state) {
  int n = static_cast<int>(state.range(0));
  Names(n);
  g_ms[Key("mem", "append", n)] = Time_Fresh_Fills(state, [] { return NewTable(); },
                                                   [n](TExtMemoryData& ds) { Fill(ds, n); });
}

void BM_AppendSqlite(benchmark::State& state) {
  int n = static_cast<int>(state.range(0));
  Utf8Names(n);
  g_ms[Key("sqlite", "append", n)] = Time_Fresh_Fills(state, [] { return std::make_unique<Lite>(); },
                                                      [n](Lite& d) { d.Fill(n); });
}

void BM_Sort(benchmark::State& state) {
  int n = static_cast<int>(state.range(0));
  TExtMemoryData& ds = Shared(n);
  Timer t;
  bool byName = false;
  for (auto _ : state) {
    auto start = Clock::now();
    ds.SortOnFields(byName ? u"NAME" : u"KEY", byName, false);
    t.Add(start);
    byName = !byName;
  }
  g_ms[Key("mem", "sort", n)] = t.Ms();
}

void BM_SortSqlite(benchmark::State& state) {
  int n = static_cast<int>(state.range(0));
  Lite& d = SharedLite(n);
  sqlite3_stmt* byKey = d.Prepare("SELECT rowid FROM t ORDER BY key");
  sqlite3_stmt* byName = d.Prepare("SELECT rowid FROM t ORDER BY name COLLATE NOCASE");
  Timer t;
  bool name = false;
  for (auto _ : state) {
    auto start = Clock::now();
    sqlite3_stmt* s = name ? byName : byKey;
    std::int64_t sum = 0;
    while (sqlite3_step(s) == SQLITE_ROW) sum += sqlite3_column_int64(s, 0);
    sqlite3_reset(s);
    benchmark::DoNotOptimize(sum);
    t.Add(start);
    name = !name;
  }
  sqlite3_finalize(byKey);
  sqlite3_finalize(byName);
  g_ms[Key("sqlite", "sort", n)] = t.Ms();
}

void BM_Filter(benchmark::State& state) {
  int n = static_cast<int>(state.range(0));
  TExtMemoryData& ds = Shared(n);
  ds.SetFiltered(true);
  Timer t;
  int round = 0;
  for (auto _ : state) {
    int limit = n * (2 + round++ % 6);
    auto start = Clock::now();
    ds.SetFilter(rtl::Utf8ToString("KEY > " + std::to_string(limit)));
    benchmark::DoNotOptimize(ds.FilteredRecordCount());
    t.Add(start);
  }
  ds.SetFiltered(false);
  ds.SetFilter(u"");
  g_ms[Key("mem", "filter", n)] = t.Ms();
}

void BM_FilterSqlite(benchmark::State& state) {
  int n = static_cast<int>(state.range(0));
  Lite& d = SharedLite(n);
  sqlite3_stmt* s = d.Prepare("SELECT count(*) FROM t WHERE key > ?");
  Timer t;
  int round = 0;
  for (auto _ : state) {
    int limit = n * (2 + round++ % 6);
    auto start = Clock::now();
    sqlite3_bind_int(s, 1, limit);
    sqlite3_step(s);
    benchmark::DoNotOptimize(sqlite3_column_int(s, 0));
    sqlite3_reset(s);
    t.Add(start);
  }
  sqlite3_finalize(s);
  g_ms[Key("sqlite", "filter", n)] = t.Ms();
}

void BM_Locate(benchmark::State& state) {
  int n = static_cast<int>(state.range(0));
  TExtMemoryData& ds = Shared(n);
  // The key of the record stored last: a full scan finds it at the end.
  ds.Last();
  rtl::Variant key(ds.FieldByName(u"KEY")->AsInteger());
  Timer t;
  for (auto _ : state) {
    state.PauseTiming();
    ds.First();
    state.ResumeTiming();
    auto start = Clock::now();
    benchmark::DoNotOptimize(ds.Locate(u"KEY", key, 0));
    t.Add(start);
  }
  g_ms[Key("mem", "locate", n)] = t.Ms();
}

void BM_LocateSqlite(benchmark::State& state) {
  int n = static_cast<int>(state.range(0));
  Lite& d = SharedLite(n);
  int key = KeyOf(n - 1, n);
  sqlite3_stmt* s = d.Prepare("SELECT rowid FROM t WHERE key = ? LIMIT 1");
  Timer t;
  for (auto _ : state) {
    auto start = Clock::now();
    sqlite3_bind_int(s, 1, key);
    sqlite3_step(s);
    benchmark::DoNotOptimize(sqlite3_column_int64(s, 0));
    sqlite3_reset(s);
    t.Add(start);
  }
  sqlite3_finalize(s);
  g_ms[Key("sqlite", "locate", n)] = t.Ms();
}

class WindowLink : public db::TDataLink {};

void BM_RecNoJumps(benchmark::State& state) {
  int n = static_cast<int>(state.range(0));
  TExtMemoryData& ds = Shared(n);
  db::TDataSource src(nullptr);
  src.SetDataSet(&ds);
  WindowLink link;
  link.SetBufferCount(30);
  link.SetDataSource(&src);
  TField* key = ds.FieldByName(u"KEY");
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> pick(1, n);
  Timer t;
  for (auto _ : state) {
    auto start = Clock::now();
    std::int64_t sum = 0;
    for (int i = 0; i < 1000; ++i) {
      ds.SetRecNo(pick(rng));
      sum += key->AsInteger() + ds.RecNo();
    }
    benchmark::DoNotOptimize(sum);
    t.Add(start);
  }
  link.SetDataSource(nullptr);
  g_ms[Key("mem", "recno", n)] = t.Ms();
}

void BM_RecNoJumpsSqlite(benchmark::State& state) {
  int n = static_cast<int>(state.range(0));
  Lite& d = SharedLite(n);
  sqlite3_stmt* s = d.Prepare("SELECT key FROM t WHERE rowid = ?");
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> pick(1, n);
  Timer t;
  for (auto _ : state) {
    auto start = Clock::now();
    std::int64_t sum = 0;
    for (int i = 0; i < 1000; ++i) {
      sqlite3_bind_int(s, 1, pick(rng));
      sqlite3_step(s);
      sum += sqlite3_column_int(s, 0);
      sqlite3_reset(s);
    }
    benchmark::DoNotOptimize(sum);
    t.Add(start);
  }
  sqlite3_finalize(s);
  g_ms[Key("sqlite", "recno", n)] = t.Ms();
}

// Iterations are fixed so the million-record cases stay at a few seconds.
#define JQ_CASE(fn, small, large)                                                          \
  BENCHMARK(fn)->Arg(10000)->Iterations(small)->Unit(benchmark::kMillisecond);             \
  BENCHMARK(fn)->Arg(1000000)->Iterations(large)->Unit(benchmark::kMillisecond);

JQ_CASE(BM_Append, 10, 1)
JQ_CASE(BM_AppendSqlite, 10, 1)
JQ_CASE(BM_Sort, 10, 2)
JQ_CASE(BM_SortSqlite, 10, 2)
JQ_CASE(BM_Filter, 20, 3)
JQ_CASE(BM_FilterSqlite, 20, 3)
JQ_CASE(BM_Locate, 20, 3)
JQ_CASE(BM_LocateSqlite, 20, 3)
JQ_CASE(BM_RecNoJumps, 20, 5)
JQ_CASE(BM_RecNoJumpsSqlite, 20, 5)

void PrintSummary() {
  std::printf("\nmemory dataset next to SQLite :memory:, mean ms per run (ratio = memory / SQLite)\n");
  std::printf("%-34s %10s %12s %12s %8s\n", "case", "records", "memory", "SQLite", "ratio");
  const char* names[][2] = {{"append", "append all records"},
                            {"sort", "sort (integer / text, alternating)"},
                            {"filter", "filter and count"},
                            {"locate", "locate the last record"},
                            {"recno", "1,000 record-number jumps"}};
  for (auto& c : names)
    for (int n : {10000, 1000000}) {
      double a = g_ms[Key("mem", c[0], n)], b = g_ms[Key("sqlite", c[0], n)];
      std::printf("%-34s %10d %9.3f ms %9.3f ms %8.2f\n", c[1], n, a, b, b > 0 ? a / b : 0.0);
    }
  double j1 = g_ms[Key("mem", "recno", 10000)], j2 = g_ms[Key("mem", "recno", 1000000)];
  std::printf("record-number jumps, 1M / 10k: %.2f\n", j1 > 0 ? j2 / j1 : 0.0);
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  PrintSummary();
  benchmark::Shutdown();
  return 0;
}
