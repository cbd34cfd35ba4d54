// The import framework and the text readers: where the cells go, the end
// of the source, empty cells, errors, and export then import giving the
// same table.
#include <gtest/gtest.h>

#include "grid/columns/transfer/db_grid_ex_export_as_text.h"
#include "grid/columns/transfer/db_grid_ex_import_as_text.h"
#include "grid/columns/transfer/db_grid_ex_vcldbif.h"
#include "platform/runtime/exceptions.h"
#include "tests/grid/columns/transfer/transfer_fixture.h"

namespace {

using namespace grid;
using rtl::Variant;
using transfertest::TransferGrid;
using transfertest::Wide;
using Rows = std::vector<std::vector<ui::String>>;

struct ImportTest : TransferGrid {};

TEST_F(ImportTest, CellsGoByPositionFromTheCurrentCell) {
  FiveByFour();
  ds->Next();
  grid->SetSelectedIndex(1);
  Import(ImportClassOf<TDBGridExImportAsText>, std::string("p\tq\tr\tdropped\r\ns\tt\tu\r\n") + '\0');
  const Rows rows = TableRows();
  EXPECT_EQ(rows[0], (std::vector<ui::String>{u"r1c1", u"r1c2", u"r1c3", u"r1c4"}));
  EXPECT_EQ(rows[1], (std::vector<ui::String>{u"r2c1", u"p", u"q", u"r"}));
  EXPECT_EQ(rows[2], (std::vector<ui::String>{u"r3c1", u"s", u"t", u"u"}));
  EXPECT_EQ(rows[3], (std::vector<ui::String>{u"r4c1", u"r4c2", u"r4c3", u"r4c4"}));
  EXPECT_EQ(rows.size(), 5u) << "a final CR LF before the end adds no record";
}

TEST_F(ImportTest, LinesBeyondTheLastRecordAreAppendedOnlyWhenAllowed) {
  for (bool allowed : {true, false}) {
    SCOPED_TRACE(allowed);
    FiveByFour();
    if (!allowed) grid->SetAllowedOperations(grid->AllowedOperations() - alopAppendEx);
    ds->Last();
    grid->SetSelectedIndex(0);
    Import(ImportClassOf<TDBGridExImportAsText>, "x\r\ny\r\nz");
    const Rows rows = TableRows();
    ASSERT_EQ(rows.size(), allowed ? 7u : 5u);
    EXPECT_EQ(rows[4][0], u"x");
    if (allowed) {
      EXPECT_EQ(rows[5][0], u"y");
      EXPECT_EQ(rows[6][0], u"z") << "the last byte of a source without a 0 end is read";
    }
  }
}

TEST_F(ImportTest, SourceEndsAndEmptyCells) {
  // N is an integer: an empty cell must clear it, not fail as a text of code 0.
  struct Case {
    const char* name;
    std::string bytes;
    bool wide;
    std::vector<ui::String> first;
  } cases[] = {
      {"last byte", "ab\t5", false, {u"ab", u"5", u"r1c3"}},
      {"single byte", "z", false, {u"z", u"1", u"r1c3"}},
      {"empty first cell", "\t7\tq", false, {u"", u"7", u"q"}},
      {"empty middle cell", "a\t\tq", false, {u"a", u"", u"q"}},
      {"utf-16", Wide("a\t\t9\r\n") + std::string(2, '\0'), true, {u"a", u"", u"9"}},
      {"utf-16 odd byte", Wide("a\t4") + "x", true, {u"a", u"4", u"r1c3"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Build({{u"A", db::ftString, 10}, {u"N", db::ftInteger}, {u"C", db::ftString, 10}},
          {{Variant(u"r1c1"), Variant(1), Variant(u"r1c3")}});
    grid->SetSelectedIndex(0);
    const std::vector<ui::String>& expected = c.first;
    if (c.wide)
      Import(ImportClassOf<TDBGridExImportAsUnicodeText>, c.bytes);
    else
      Import(ImportClassOf<TDBGridExImportAsText>, c.bytes);
    EXPECT_EQ(TableRows().at(0), expected);
    EXPECT_EQ(ds->RecordCount(), 1);
  }
}

TEST_F(ImportTest, LoneCarriageReturnIsAFormatError) {
  FiveByFour();
  grid->SetSelectedIndex(0);
  try {
    Import(ImportClassOf<TDBGridExImportAsText>, "x\ty\rz");
    FAIL() << "no error";
  } catch (const rtl::Exception& e) {
    EXPECT_EQ(e.Message(), u"TDBGridExImportAsText.CheckState: Invalid text format");
  }
  try {
    Import(ImportClassOf<TDBGridExImportAsUnicodeText>, Wide("x\ty\rz"));
    FAIL() << "no error";
  } catch (const rtl::Exception& e) {
    EXPECT_EQ(e.Message(), u"TDBGridExImportAsUnicodeText.CheckState: Invalid text format");
  }
  EXPECT_EQ(ds->Fields(0)->AsString(), u"x") << "what was assigned before the error stays";
}

TEST_F(ImportTest, ExportThenImportGivesTheSameTable) {
  Build({{u"I", db::ftInteger}, {u"F", db::ftFloat}, {u"S", db::ftString, 20}, {u"W", db::ftWideString, 20}},
        {{Variant(1), Variant(2.5), Variant(u"a b"), Variant(rtl::U("中文"))},
         {Variant::Null(), Variant(-0.125), Variant::Null(), Variant(u"x")},
         {Variant(-7), Variant::Null(), Variant(u"q\"uote"), Variant::Null()}});
  const Rows before = TableRows();
  struct Case {
    const char* name;
    TDBGridExExportClass out;
    TDBGridExImportClass in;
  } cases[] = {
      {"unicode text", ExportClassOf<TDBGridExExportAsUnicodeText>,
       ImportClassOf<TDBGridExImportAsUnicodeText>},
      {"text", ExportClassOf<TDBGridExExportAsText>, ImportClassOf<TDBGridExImportAsText>},
      {"vcldbif", ExportClassOf<TDBGridExExportAsVCLDBIF>, ImportClassOf<TDBGridExImportAsVCLDBIF>},
  };
  grid->SetOptions(grid->Options() - dgTitles);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string bytes = Export(c.out);
    while (!ds->IsEmpty()) ds->Delete();
    Import(c.in, bytes, true);
    EXPECT_EQ(TableRows(), before);
  }
}

}  // namespace
