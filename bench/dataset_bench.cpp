// The in-memory dataset next to SQLite's in-memory database doing the same
// work, on 10,000 and 1,000,000 records: appending the table, sorting it
// (by an integer, case-insensitively by a text, by a float), counting a
// simple and a general filter, locating the last record by a name without
// an index, 1,000 locates and lookups on the key the table is sorted by (SQLite:
// an index on it), inserting and deleting 2,000 records at the front (SQLite:
// rowids below the first), 1,000 jumps to random record numbers with a
// grid-sized window of 30 buffers (SQLite: 1,000 lookups by rowid), and the
// heap bytes a record takes. Prints both figures and their ratio per case.
#include <benchmark/benchmark.h>
#include <malloc.h>
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

// Sorts the shared table by one field per run; SQLite reads every rowid in
// that order.
void TimeSort(benchmark::State& state, const char* what, const char16_t* field, bool caseInsensitive) {
  int n = static_cast<int>(state.range(0));
  TExtMemoryData& ds = Shared(n);
  Timer t;
  for (auto _ : state) {
    auto start = Clock::now();
    ds.SortOnFields(field, caseInsensitive, false);
    t.Add(start);
  }
  // The locate cases find the table sorted by its key.
  ds.SortOnFields(u"KEY", false, false);
  g_ms[Key("mem", what, n)] = t.Ms();
}

void TimeSortSqlite(benchmark::State& state, const char* what, const char* sql) {
  int n = static_cast<int>(state.range(0));
  Lite& d = SharedLite(n);
  sqlite3_stmt* s = d.Prepare(sql);
  Timer t;
  for (auto _ : state) {
    auto start = Clock::now();
    std::int64_t sum = 0;
    while (sqlite3_step(s) == SQLITE_ROW) sum += sqlite3_column_int64(s, 0);
    sqlite3_reset(s);
    benchmark::DoNotOptimize(sum);
    t.Add(start);
  }
  sqlite3_finalize(s);
  g_ms[Key("sqlite", what, n)] = t.Ms();
}

void BM_SortInteger(benchmark::State& state) { TimeSort(state, "sort_int", u"KEY", false); }
void BM_SortIntegerSqlite(benchmark::State& state) { TimeSortSqlite(state, "sort_int", "SELECT rowid FROM t ORDER BY key"); }
void BM_SortText(benchmark::State& state) { TimeSort(state, "sort_text", u"NAME", true); }
void BM_SortTextSqlite(benchmark::State& state) {
  TimeSortSqlite(state, "sort_text", "SELECT rowid FROM t ORDER BY name COLLATE NOCASE");
}
void BM_SortFloat(benchmark::State& state) { TimeSort(state, "sort_float", u"VAL", false); }
void BM_SortFloatSqlite(benchmark::State& state) { TimeSortSqlite(state, "sort_float", "SELECT rowid FROM t ORDER BY val"); }

// Counts the records that pass one filter per round; the round's bound comes
// from Limit, the filter text from Text (ours) and the bound from Bind (SQLite).
template <class Limit, class Text>
void TimeFilter(benchmark::State& state, const char* name, Limit limitOf, Text textOf) {
  int n = static_cast<int>(state.range(0));
  TExtMemoryData& ds = Shared(n);
  ds.SetFiltered(true);
  Timer t;
  int round = 0;
  for (auto _ : state) {
    const int limit = limitOf(n, round++);
    auto start = Clock::now();
    ds.SetFilter(rtl::Utf8ToString(textOf(limit)));
    benchmark::DoNotOptimize(ds.FilteredRecordCount());
    t.Add(start);
  }
  ds.SetFiltered(false);
  ds.SetFilter(u"");
  g_ms[Key("mem", name, n)] = t.Ms();
}

template <class Limit, class Bind>
void TimeFilterSqlite(benchmark::State& state, const char* name, const char* sql, Limit limitOf, Bind bind) {
  int n = static_cast<int>(state.range(0));
  Lite& d = SharedLite(n);
  sqlite3_stmt* s = d.Prepare(sql);
  Timer t;
  int round = 0;
  for (auto _ : state) {
    const int limit = limitOf(n, round++);
    auto start = Clock::now();
    bind(s, limit);
    sqlite3_step(s);
    benchmark::DoNotOptimize(sqlite3_column_int(s, 0));
    sqlite3_reset(s);
    t.Add(start);
  }
  sqlite3_finalize(s);
  g_ms[Key("sqlite", name, n)] = t.Ms();
}

int KeyLimit(int n, int round) { return n * (2 + round % 6); }
int ValueLimit(int n, int round) { return n * (1 + round % 4); }

void BM_Filter(benchmark::State& state) {
  TimeFilter(state, "filter", KeyLimit, [](int limit) { return "KEY > " + std::to_string(limit); });
}
void BM_FilterSqlite(benchmark::State& state) {
  TimeFilterSqlite(state, "filter", "SELECT count(*) FROM t WHERE key > ?", KeyLimit,
                   [](sqlite3_stmt* s, int limit) { sqlite3_bind_int(s, 1, limit); });
}

void BM_Locate(benchmark::State& state) {
  int n = static_cast<int>(state.range(0));
  TExtMemoryData& ds = Shared(n);
  // The name of the record stored last: a full scan finds it at the end.
  // Names, not keys: the sort cases leave the table sorted by its key,
  // which a locate on the key would search instead of scanning.
  ds.Last();
  rtl::Variant key(ds.FieldByName(u"NAME")->AsString());
  Timer t;
  for (auto _ : state) {
    state.PauseTiming();
    ds.First();
    state.ResumeTiming();
    auto start = Clock::now();
    benchmark::DoNotOptimize(ds.Locate(u"NAME", key, 0));
    t.Add(start);
  }
  g_ms[Key("mem", "locate", n)] = t.Ms();
}

void BM_LocateSqlite(benchmark::State& state) {
  int n = static_cast<int>(state.range(0));
  Lite& d = SharedLite(n);
  const std::string& name = Utf8Names(n)[static_cast<std::size_t>(n - 1)];
  sqlite3_stmt* s = d.Prepare("SELECT rowid FROM t WHERE name = ? LIMIT 1");
  Timer t;
  for (auto _ : state) {
    auto start = Clock::now();
    sqlite3_bind_text(s, 1, name.c_str(), static_cast<int>(name.size()), SQLITE_STATIC);
    sqlite3_step(s);
    benchmark::DoNotOptimize(sqlite3_column_int64(s, 0));
    sqlite3_reset(s);
    t.Add(start);
  }
  sqlite3_finalize(s);
  g_ms[Key("sqlite", "locate", n)] = t.Ms();
}

// A filter the expression parser has to evaluate record by record.
void BM_GeneralFilter(benchmark::State& state) {
  TimeFilter(state, "filter_expr", ValueLimit, [](int limit) {
    return "(VAL >= " + std::to_string(limit) + ".5) or (NAME = 'Name7')";
  });
}
void BM_GeneralFilterSqlite(benchmark::State& state) {
  TimeFilterSqlite(state, "filter_expr", "SELECT count(*) FROM t WHERE val >= ? OR name = 'Name7'", ValueLimit,
                   [](sqlite3_stmt* s, int limit) { sqlite3_bind_double(s, 1, limit + 0.5); });
}

// 1,000 keys of random records, the same on both sides.
std::vector<int> SomeKeys(int n) {
  std::mt19937 rng(11);
  std::uniform_int_distribution<int> pick(0, n - 1);
  std::vector<int> keys;
  for (int i = 0; i < 1000; ++i) keys.push_back(KeyOf(pick(rng), n));
  return keys;
}

// 1,000 calls of Query(key) on the table sorted by its key.
template <class QueryFn>
void TimeSortedKey(benchmark::State& state, const char* what, QueryFn Query) {
  int n = static_cast<int>(state.range(0));
  TExtMemoryData& ds = Shared(n);
  ds.SortOnFields(u"KEY", false, false);
  std::vector<int> keys = SomeKeys(n);
  Timer t;
  for (auto _ : state) {
    auto start = Clock::now();
    std::size_t sum = 0;
    for (int k : keys) sum += Query(ds, k);
    benchmark::DoNotOptimize(sum);
    t.Add(start);
  }
  g_ms[Key("mem", what, n)] = t.Ms();
}

void BM_SortedLocate(benchmark::State& state) {
  TimeSortedKey(state, "locate_sorted",
                [](TExtMemoryData& ds, int k) -> std::size_t { return ds.Locate(u"KEY", rtl::Variant(k), 0); });
}

void BM_SortedLookup(benchmark::State& state) {
  TimeSortedKey(state, "lookup_sorted", [](TExtMemoryData& ds, int k) {
    return rtl::VarToStr(ds.Lookup(u"KEY", rtl::Variant(k), u"NAME")).size();
  });
}

// SQLite's sorted key is an index on it.
Lite& IndexedLite(int n) {
  Lite& d = SharedLite(n);
  d.Exec("CREATE INDEX IF NOT EXISTS t_key ON t(key)");
  return d;
}

void TimeKeyQueries(benchmark::State& state, const char* what, const char* sql, bool text) {
  int n = static_cast<int>(state.range(0));
  Lite& d = IndexedLite(n);
  sqlite3_stmt* s = d.Prepare(sql);
  std::vector<int> keys = SomeKeys(n);
  Timer t;
  for (auto _ : state) {
    auto start = Clock::now();
    std::int64_t sum = 0;
    for (int k : keys) {
      sqlite3_bind_int(s, 1, k);
      if (sqlite3_step(s) == SQLITE_ROW) sum += text ? sqlite3_column_bytes(s, 0) : sqlite3_column_int64(s, 0);
      sqlite3_reset(s);
    }
    benchmark::DoNotOptimize(sum);
    t.Add(start);
  }
  sqlite3_finalize(s);
  g_ms[Key("sqlite", what, n)] = t.Ms();
}

void BM_SortedLocateSqlite(benchmark::State& state) {
  TimeKeyQueries(state, "locate_sorted", "SELECT rowid FROM t WHERE key = ? LIMIT 1", false);
}
void BM_SortedLookupSqlite(benchmark::State& state) {
  TimeKeyQueries(state, "lookup_sorted", "SELECT name FROM t WHERE key = ? LIMIT 1", true);
}

// 2,000 records inserted at the front, then the same 2,000 deleted there;
// each half timed on its own, the table ends as it began.
constexpr int kFrontRecords = 2000;

void BM_FrontInsertDelete(benchmark::State& state) {
  int n = static_cast<int>(state.range(0));
  TExtMemoryData& ds = Shared(n);
  TField* key = ds.FieldByName(u"KEY");
  TField* name = ds.FieldByName(u"NAME");
  TField* val = ds.FieldByName(u"VAL");
  Timer ins, del;
  for (auto _ : state) {
    ds.First();
    auto start = Clock::now();
    for (int i = 0; i < kFrontRecords; ++i) {
      ds.Insert();
      key->SetAsInteger(-i);
      name->SetAsString(u"front");
      val->SetAsFloat(-i * 0.5);
      ds.Post();
    }
    ins.Add(start);
    ds.First();
    start = Clock::now();
    for (int i = 0; i < kFrontRecords; ++i) ds.Delete();
    del.Add(start);
  }
  g_ms[Key("mem", "insert_front", n)] = ins.Ms();
  g_ms[Key("mem", "delete_front", n)] = del.Ms();
}

void BM_FrontInsertDeleteSqlite(benchmark::State& state) {
  int n = static_cast<int>(state.range(0));
  Lite& d = SharedLite(n);
  // Each statement is its own transaction, as each post is on our side.
  sqlite3_stmt* put = d.Prepare("INSERT INTO t(rowid, key, name, val) VALUES(?, ?, 'front', ?)");
  sqlite3_stmt* drop = d.Prepare("DELETE FROM t WHERE rowid = ?");
  Timer ins, del;
  for (auto _ : state) {
    auto start = Clock::now();
    for (int i = 0; i < kFrontRecords; ++i) {
      sqlite3_bind_int(put, 1, -i);
      sqlite3_bind_int(put, 2, -i);
      sqlite3_bind_double(put, 3, -i * 0.5);
      sqlite3_step(put);
      sqlite3_reset(put);
    }
    ins.Add(start);
    start = Clock::now();
    for (int i = kFrontRecords - 1; i >= 0; --i) {
      sqlite3_bind_int(drop, 1, -i);
      sqlite3_step(drop);
      sqlite3_reset(drop);
    }
    del.Add(start);
  }
  sqlite3_finalize(put);
  sqlite3_finalize(drop);
  g_ms[Key("sqlite", "insert_front", n)] = ins.Ms();
  g_ms[Key("sqlite", "delete_front", n)] = del.Ms();
}

// Heap bytes per record of a freshly filled table (SQLite: without the
// index the locate cases add to its shared database).
// Large blocks are mapped on their own, outside the arena, until frees have
// raised the threshold: count both, or the figure depends on what ran before.
std::size_t HeapInUse() {
  const struct mallinfo2 m = mallinfo2();
  return m.uordblks + m.hblkhd;
}

void BM_Bytes(benchmark::State& state) {
  int n = static_cast<int>(state.range(0));
  Names(n);
  for (auto _ : state) {
    std::size_t before = HeapInUse();
    auto ds = NewTable();
    Fill(*ds, n);
    g_ms[Key("mem", "bytes", n)] = static_cast<double>(HeapInUse() - before) / n;
  }
}

void BM_BytesSqlite(benchmark::State& state) {
  int n = static_cast<int>(state.range(0));
  Utf8Names(n);
  for (auto _ : state) {
    std::size_t before = HeapInUse();
    auto d = std::make_unique<Lite>();
    d->Fill(n);
    g_ms[Key("sqlite", "bytes", n)] = static_cast<double>(HeapInUse() - before) / n;
  }
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
JQ_CASE(BM_Bytes, 1, 1)
JQ_CASE(BM_BytesSqlite, 1, 1)
JQ_CASE(BM_SortInteger, 10, 2)
JQ_CASE(BM_SortIntegerSqlite, 10, 2)
JQ_CASE(BM_SortText, 10, 2)
JQ_CASE(BM_SortTextSqlite, 10, 2)
JQ_CASE(BM_SortFloat, 10, 2)
JQ_CASE(BM_SortFloatSqlite, 10, 2)
JQ_CASE(BM_Filter, 20, 3)
JQ_CASE(BM_FilterSqlite, 20, 3)
JQ_CASE(BM_Locate, 20, 3)
JQ_CASE(BM_LocateSqlite, 20, 3)
JQ_CASE(BM_GeneralFilter, 20, 3)
JQ_CASE(BM_GeneralFilterSqlite, 20, 3)
JQ_CASE(BM_SortedLocate, 10, 3)
JQ_CASE(BM_SortedLocateSqlite, 10, 3)
JQ_CASE(BM_SortedLookup, 10, 3)
JQ_CASE(BM_SortedLookupSqlite, 10, 3)
JQ_CASE(BM_FrontInsertDelete, 5, 2)
JQ_CASE(BM_FrontInsertDeleteSqlite, 5, 2)
JQ_CASE(BM_RecNoJumps, 20, 5)
JQ_CASE(BM_RecNoJumpsSqlite, 20, 5)

void PrintSummary() {
  std::printf("\nmemory dataset next to SQLite :memory:, mean ms per run (ratio = memory / SQLite)\n");
  std::printf("%-36s %10s %12s %12s %8s\n", "case", "records", "memory", "SQLite", "ratio");
  const char* names[][2] = {{"append", "append all records"},
                            {"sort_int", "sort by an integer"},
                            {"sort_text", "sort by a text, case-insensitive"},
                            {"sort_float", "sort by a float"},
                            {"filter", "filter and count (KEY > n)"},
                            {"filter_expr", "filter and count (general)"},
                            {"locate", "locate the last record by name"},
                            {"locate_sorted", "1,000 locates on the sorted key"},
                            {"lookup_sorted", "1,000 lookups on the sorted key"},
                            {"insert_front", "insert 2,000 at the front"},
                            {"delete_front", "delete 2,000 at the front"},
                            {"recno", "1,000 record-number jumps"},
                            {"bytes", "heap bytes per record"}};
  for (auto& c : names)
    for (int n : {10000, 1000000}) {
      double a = g_ms[Key("mem", c[0], n)], b = g_ms[Key("sqlite", c[0], n)];
      const char* unit = std::string(c[0]) == "bytes" ? " B" : "ms";
      std::printf("%-36s %10d %9.3f %s %9.3f %s %8.2f\n", c[1], n, a, unit, b, unit, b > 0 ? a / b : 0.0);
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
