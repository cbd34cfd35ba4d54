// Ten thousand random operations on the in-memory dataset, each checked
// against a plain vector that holds what the table should contain, in
// which order, which record is current and which bookmarks still hold.
// Among them: locates by name with every option, locates on the key the
// table is often sorted by, runs of inserts and deletes in one place (long
// enough to split and empty the storage order's blocks), edits and inserts
// that keep a sorted table sorted (often at a block's first record, whose
// key the search keeps a copy of), and a filter handler whose outside
// criterion changes, all seen through a window of record buffers as a grid
// keeps it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>

#include "platform/data/data_source.h"
#include "components/extended/data/ext_memory_data.h"

using namespace db;
using ext::TExtMemoryData;

namespace {

struct Row {
  std::int32_t id;
  int key;
  std::u16string name;
};

class Model {
 public:
  std::vector<Row> rows;
  std::int32_t nextId = -2147483647;
  bool filtered = false;
  int floor = 0;  // the filter handler's outside criterion
  bool descending = false;  // the direction of the last sort by KEY

  bool Visible(const Row& r) const { return !filtered || (r.key >= 500 && r.key >= floor); }
  int IndexOf(std::int32_t id) const {
    for (std::size_t i = 0; i < rows.size(); ++i)
      if (rows[i].id == id) return static_cast<int>(i);
    return -1;
  }
  std::vector<std::int32_t> VisibleIds() const {
    std::vector<std::int32_t> out;
    for (const Row& r : rows)
      if (Visible(r)) out.push_back(r.id);
    return out;
  }
};

struct Harness {
  TExtMemoryData ds;
  // A grid-sized window: the dataset keeps a dozen records in buffers and
  // goes back to them by the slot they were read from.
  TDataSource src{nullptr};
  TDataLink window;
  Model m;
  std::mt19937 rng{20261210};
  std::vector<TBookmark> saved;

  Harness() {
    ds.FieldDefs().Add(u"KEY", ftInteger);
    ds.FieldDefs().Add(u"NAME", ftString, 10);
    ds.Open();
    src.SetDataSet(&ds);
    window.SetBufferCount(12);
    window.SetDataSource(&src);
    ds.SetFilter(u"KEY > 499");
    ds.SetOnFilterRecord([this](TDataSet* d, bool& accept) {
      accept = accept && d->FieldByName(u"KEY")->AsInteger() >= m.floor;
    });
  }
  int Rand(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }
  // Names in both cases and in Chinese, so locates by name meet case
  // variants, prefixes and 8-bit texts of more than one byte a character.
  std::u16string RandName() {
    static const char16_t* const stems[] = {u"n", u"N", u"名", u"Ω"};
    return stems[Rand(0, 3)] + rtl::IntToStr(Rand(0, 40));
  }
  std::int32_t Current() {
    TBookmark b = ds.GetBookmark();
    std::int32_t id = 0;
    if (b.size() == 4) std::memcpy(&id, b.data(), 4);
    return b.size() == 4 ? id : 0;
  }
  void Write(int key, const std::u16string& name) {
    ds.FieldByName(u"KEY")->SetAsInteger(key);
    ds.FieldByName(u"NAME")->SetAsString(name);
  }

  void Append() {
    int key = Rand(0, 999);
    std::u16string name = RandName();
    ds.Append();
    Write(key, name);
    ds.Post();
    m.rows.push_back({m.nextId++, key, name});
    if (m.Visible(m.rows.back())) {
      EXPECT_EQ(Current(), m.rows.back().id);
    }
  }
  void Insert() {
    if (ds.IsEmpty()) {
      if (m.rows.empty()) return Append();
      return;  // everything is filtered out: no current record to go before
    }
    int at = m.IndexOf(Current());
    int key = Rand(0, 999);
    std::u16string name = RandName();
    ds.Insert();
    Write(key, name);
    ds.Post();
    m.rows.insert(m.rows.begin() + at, {m.nextId++, key, name});
    if (m.Visible(m.rows[static_cast<std::size_t>(at)])) {
      EXPECT_EQ(Current(), m.rows[static_cast<std::size_t>(at)].id);
    }
  }
  void Edit() {
    if (ds.IsEmpty()) return;
    int at = m.IndexOf(Current());
    int key = Rand(0, 999);
    ds.Edit();
    ds.FieldByName(u"KEY")->SetAsInteger(key);
    ds.Post();
    m.rows[static_cast<std::size_t>(at)].key = key;
  }
  void Delete() {
    if (ds.IsEmpty()) return;
    int at = m.IndexOf(Current());
    ds.Delete();
    m.rows.erase(m.rows.begin() + at);
    if (m.rows.empty()) m.nextId = -2147483647;
    if (!m.filtered && !m.rows.empty()) {
      EXPECT_EQ(Current(), m.rows[static_cast<std::size_t>(std::min<int>(at, static_cast<int>(m.rows.size()) - 1))].id);
    }
  }
  void Sort() {
    bool desc = Rand(0, 1) == 1;
    std::int32_t before = Current();
    ds.SortOnFields(u"KEY", false, desc);
    m.descending = desc;
    std::sort(m.rows.begin(), m.rows.end(), [desc](const Row& a, const Row& b) {
      if (a.key != b.key) return desc ? a.key > b.key : a.key < b.key;
      return desc ? a.id > b.id : a.id < b.id;
    });
    if (before != 0) {
      EXPECT_EQ(Current(), before);
    }
  }
  void ToggleFilter() {
    m.filtered = !m.filtered;
    ds.SetFiltered(m.filtered);
  }
  // Locates by one field and checks the cursor against the model: the
  // current record when it matches, else the first visible match.
  template <class Matches>
  void CheckLocate(const char16_t* Field, const Variant& Key, Matches matches, TLocateOptions Options = 0) {
    std::int32_t before = Current();
    bool found = ds.Locate(Field, Key, Options);
    std::int32_t expect = 0;
    int cur = m.IndexOf(before);
    if (before != 0 && matches(m.rows[static_cast<std::size_t>(cur)])) {
      expect = before;
    } else {
      for (const Row& r : m.rows)
        if (m.Visible(r) && matches(r)) {
          expect = r.id;
          break;
        }
    }
    EXPECT_EQ(found, expect != 0);
    EXPECT_EQ(Current(), found ? expect : before);
  }
  // By name with any options: a partial key is a name cut short.
  void Locate() {
    std::u16string name = RandName();
    const TLocateOptions o = static_cast<TLocateOptions>(Rand(0, 3));
    if (o & loPartialKey) name.resize(static_cast<std::size_t>(Rand(0, static_cast<int>(name.size()))));
    auto fold = [&o](std::u16string s) {
      if (o & loCaseInsensitive)
        for (char16_t& c : s) c = rtl::LowCaseChar(c);
      return s;
    };
    CheckLocate(u"NAME", Variant(String(name)), [&](const Row& r) {
      const std::u16string text = o & loPartialKey ? r.name.substr(0, name.size()) : r.name;
      return fold(text) == fold(name);
    }, o);
  }
  // The table is often sorted by KEY here: the locate then searches.
  void LocateKey() { LocateKey(Rand(0, 999)); }
  void LocateKey(int key) {
    CheckLocate(u"KEY", Variant(key), [key](const Row& r) { return r.key == key; });
    // A lookup answers from the current record when it matches, else from
    // the first match, visible or not.
    std::int32_t any = 0;
    const int cur = m.IndexOf(Current());
    if (cur >= 0 && m.rows[static_cast<std::size_t>(cur)].key == key) any = Current();
    for (const Row& r : m.rows)
      if (any == 0 && r.key == key) {
        any = r.id;
        break;
      }
    Variant id = ds.Lookup(u"KEY", Variant(key), u"NAME");
    EXPECT_EQ(id.IsNull(), any == 0);
    if (any != 0) {
      EXPECT_EQ(rtl::VarToStr(id), m.rows[static_cast<std::size_t>(m.IndexOf(any))].name);
    }
  }
  // A row where the storage order's blocks often begin after a sort (every
  // 1,024 records) or next to it, or anywhere; the cursor goes there.
  int GoNearABlockFront() {
    const int n = static_cast<int>(m.rows.size());
    int at = Rand(0, 3) ? Rand(0, n / 1024) * 1024 + Rand(-1, 1) : Rand(0, n - 1);
    at = std::clamp(at, 0, n - 1);
    ds.SetRecNo(at + 1);
    return m.IndexOf(Current());
  }
  // A key that keeps the rows in their sorted order between rows At - 1
  // and At + Above (Above 0 for a new row, 1 for one being edited).
  int KeyBetween(int At, int Above) {
    const int n = static_cast<int>(m.rows.size());
    int before = At > 0 ? m.rows[static_cast<std::size_t>(At - 1)].key : (m.descending ? 999 : 0);
    int after = At + Above < n ? m.rows[static_cast<std::size_t>(At + Above)].key : (m.descending ? 0 : 999);
    return Rand(std::min(before, after), std::max(before, after));
  }
  // Locates (and looks up) both keys with the cursor elsewhere, so the
  // search, not the current record, answers.
  void LocateKeys(int A, int B) {
    if (Rand(0, 1)) ds.First(); else ds.Last();
    LocateKey(A);
    if (Rand(0, 1)) ds.First(); else ds.Last();
    LocateKey(B);
  }
  void EditInOrder() {
    const int at = GoNearABlockFront();
    Row& r = m.rows[static_cast<std::size_t>(at)];
    const int old = r.key, key = KeyBetween(at, 1);
    ds.Edit();
    ds.FieldByName(u"KEY")->SetAsInteger(key);
    ds.Post();
    r.key = key;
    LocateKeys(key, old);
  }
  void InsertInOrder() {
    const int at = GoNearABlockFront();
    const int key = KeyBetween(at, 0);
    std::u16string name = RandName();
    const int next = m.rows[static_cast<std::size_t>(at)].key;
    ds.Insert();
    Write(key, name);
    ds.Post();
    m.rows.insert(m.rows.begin() + at, {m.nextId++, key, name});
    EXPECT_EQ(Current(), m.rows[static_cast<std::size_t>(at)].id);
    LocateKeys(key, next);
  }
  void DeleteNearABlockFront() {
    const int at = GoNearABlockFront();
    const int key = m.rows[static_cast<std::size_t>(at)].key;
    const int next = at + 1 < static_cast<int>(m.rows.size()) ? m.rows[static_cast<std::size_t>(at + 1)].key : key;
    ds.Delete();
    m.rows.erase(m.rows.begin() + at);
    if (m.rows.empty()) m.nextId = -2147483647;
    LocateKeys(key, next);
  }
  // A sorted table worked on as it stays sorted: edits, inserts and deletes
  // at or next to the blocks' first records, each followed by searches.
  void SortedRun() {
    if (m.filtered) return;
    Sort();
    for (int k = Rand(5, 40); k > 0 && !m.rows.empty(); --k) {
      switch (Rand(0, 3)) {
        case 0: EditInOrder(); break;
        case 1: InsertInOrder(); break;
        case 2: DeleteNearABlockFront(); break;
        default: LocateKey(); break;
      }
      if (::testing::Test::HasFailure()) return;
    }
  }
  // A selection of records deleted one after another from the current one.
  void BulkDelete() {
    for (int k = Rand(0, 3) ? Rand(2, 40) : Rand(500, 3000); k > 0 && !ds.IsEmpty(); --k) Delete();
  }
  // A pasted block: records inserted one after another before the current one.
  void BulkInsert() {
    for (int k = Rand(300, 2500); k > 0; --k) Insert();
  }
  // The handler's criterion changes; Refresh or First shows the new set.
  void ChangeHandler() {
    m.floor = Rand(0, 1) ? 0 : Rand(0, 900);
    if (Rand(0, 1)) ds.Refresh(); else ds.First();
  }
  void Bookmark() {
    if (saved.empty() || Rand(0, 1) == 0) {
      TBookmark b = ds.GetBookmark();
      if (!b.empty()) saved.push_back(b);
      return;
    }
    const TBookmark& b = saved[static_cast<std::size_t>(Rand(0, static_cast<int>(saved.size()) - 1))];
    std::int32_t id;
    std::memcpy(&id, b.data(), 4);
    int at = m.IndexOf(id);
    std::int32_t before = Current();
    if (at < 0) {
      // A deleted record's bookmark (or one of an emptied table) must not
      // land anywhere; IDs are handed out afresh after a table empties, so
      // a stale bookmark may also name a newer record: then it is valid.
      EXPECT_FALSE(ds.BookmarkValid(b));
      EXPECT_THROW(ds.GotoBookmark(b), EDatabaseError);
      EXPECT_EQ(Current(), before);
    } else if (m.Visible(m.rows[static_cast<std::size_t>(at)])) {
      EXPECT_TRUE(ds.BookmarkValid(b));
      ds.GotoBookmark(b);
      EXPECT_EQ(Current(), id);
    }
  }
  void Jump() {
    if (m.rows.empty()) return;
    int r = Rand(1, static_cast<int>(m.rows.size()));
    ds.SetRecNo(r);
    if (!m.filtered) {
      EXPECT_EQ(Current(), m.rows[static_cast<std::size_t>(r - 1)].id);
      EXPECT_EQ(ds.RecNo(), r);
    }
  }
  void Move() {
    if (ds.IsEmpty()) return;
    int d = Rand(-6, 6);
    std::vector<std::int32_t> vis = m.VisibleIds();
    int at = static_cast<int>(std::find(vis.begin(), vis.end(), Current()) - vis.begin());
    int moved = ds.MoveBy(d);
    int want = std::clamp(at + d, 0, static_cast<int>(vis.size()) - 1);
    EXPECT_EQ(moved, want - at);
    EXPECT_EQ(Current(), vis[static_cast<std::size_t>(want)]);
  }

  void CheckCursor() {
    ASSERT_EQ(ds.RecordCount(), static_cast<int>(m.rows.size()));
    if (ds.IsEmpty()) {
      ASSERT_TRUE(m.VisibleIds().empty());
      return;
    }
    int at = m.IndexOf(Current());
    ASSERT_GE(at, 0);
    const Row& r = m.rows[static_cast<std::size_t>(at)];
    ASSERT_TRUE(m.Visible(r));
    ASSERT_EQ(ds.RecNo(), at + 1);
    ASSERT_EQ(ds.FieldByName(u"KEY")->AsInteger(), r.key);
    ASSERT_EQ(ds.FieldByName(u"NAME")->AsString(), r.name);
  }
  void CheckAll() {
    TBookmark here = ds.GetBookmark();
    std::vector<std::int32_t> seen;
    ds.First();
    while (!ds.Eof()) {
      seen.push_back(Current());
      ds.Next();
    }
    ASSERT_EQ(seen, m.VisibleIds());
    ASSERT_EQ(ds.FilteredRecordCount(), static_cast<int>(seen.size()));
    std::vector<std::int32_t> back;
    ds.Last();
    while (!ds.Bof()) {
      back.push_back(Current());
      ds.Prior();
    }
    std::reverse(back.begin(), back.end());
    ASSERT_EQ(back, seen);
    if (!here.empty()) ds.GotoBookmark(here);
  }
};

TEST(MemoryDataModel, TenThousandRandomOperations) {
  Harness h;
  for (int step = 0; step < 10000; ++step) {
    int op = h.Rand(0, 101);
    SCOPED_TRACE("step " + std::to_string(step) + " op " + std::to_string(op));
    if (op < 25) h.Append();
    else if (op < 35) h.Insert();
    else if (op < 50) h.Edit();
    else if (op < 63) h.Delete();
    else if (op < 66) h.Sort();
    else if (op < 69) h.ToggleFilter();
    else if (op < 73) h.Locate();
    else if (op < 77) h.LocateKey();
    else if (op < 85) h.Bookmark();
    else if (op < 92) h.Jump();
    else if (op < 96) h.Move();
    else if (op < 97) h.Rand(0, 1) ? h.BulkDelete() : h.BulkInsert();
    else if (op < 99) h.ChangeHandler();
    else if (op == 99) {
      if (h.Rand(0, 49) == 0) {
        h.ds.EmptyTable();
        h.m.rows.clear();
        h.m.nextId = -2147483647;
      }
    }
    else h.SortedRun();
    ASSERT_NO_FATAL_FAILURE(h.CheckCursor());
    if (step % 100 == 99) {
      ASSERT_NO_FATAL_FAILURE(h.CheckAll());
    }
    if (HasFailure()) break;
  }
  ASSERT_NO_FATAL_FAILURE(h.CheckAll());
}

}  // namespace
