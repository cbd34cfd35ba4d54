// Clipboard copy, paste and delete of a grid: the five formats a copy
// offers and their endings, which format a paste prefers, a paste of text
// from another program at the current cell, and deleting every record.
#include <gtest/gtest.h>

#include <functional>

#include "grid/columns/selection/db_grid_ex_selection.h"
#include "grid/columns/transfer/db_grid_ex_export_as_text.h"
#include "grid/columns/transfer/db_grid_ex_imp_exp.h"
#include "grid/core/grid_data_link_ex.h"
#include "platform/ui/clipboard.h"
#include "tests/grid/columns/transfer/transfer_fixture.h"

namespace {

using namespace grid;
using rtl::Variant;
using transfertest::TransferGrid;

struct ClipboardTest : TransferGrid {
  void SetUp() override {
    TransferGrid::SetUp();
    InitDBGridExImpExp();
  }
  static std::string Held(unsigned Format) {
    std::vector<std::uint8_t> b = ui::Clipboard()->GetBuffer(Format);
    return std::string(b.begin(), b.end());
  }
};

TEST_F(ClipboardTest, CopyOffersFiveFormatsWithTheirEndings) {
  FiveByFour();
  ui::Clipboard()->Clear();
  CopyGridSelection(grid, true);
  ui::TClipboard* cb = ui::Clipboard();
  for (unsigned f : {ui::CF_TEXT, ui::CF_UNICODETEXT, ClipboardFormatCsv(), ClipboardFormatRichText(),
                     ClipboardFormatVCLDBIF()})
    EXPECT_TRUE(cb->HasFormat(f)) << f;
  const std::string csv = Held(ClipboardFormatCsv());
  EXPECT_EQ(csv.substr(0, 10), "\"A\";\"B\";\"C");
  EXPECT_EQ(csv.substr(csv.size() - 7), std::string("\"r5c4\"") + '\0');
  const std::string rtf = Held(ClipboardFormatRichText());
  EXPECT_EQ(rtf.substr(rtf.size() - 2), std::string("}") + '\0');
  const std::string typed = Held(ClipboardFormatVCLDBIF());
  EXPECT_EQ(typed.substr(0, 7), "VCLDBIF");
  EXPECT_EQ(typed.back(), '\0');
  EXPECT_NE(typed[typed.size() - 2], '\0') << "no terminator after the end tag";
  EXPECT_EQ(cb->AsText().substr(0, 6), u"A\tB\tC\t");
}

TEST_F(ClipboardTest, PasteOfTextFillsFromTheCurrentCell) {
  FiveByFour();
  ui::Clipboard()->SetAsText(u"p\tq\tr\r\ns\tt\tu\r\n");
  ds->Next();
  grid->SetSelectedIndex(1);
  PasteGridSelection(grid, false);
  const auto rows = TableRows();
  EXPECT_EQ(rows[1], (std::vector<ui::String>{u"r2c1", u"p", u"q", u"r"}));
  EXPECT_EQ(rows[2], (std::vector<ui::String>{u"r3c1", u"s", u"t", u"u"}));
  EXPECT_EQ(rows[3][1], u"r4c2");
  EXPECT_EQ(rows.size(), 5u);
}

TEST_F(ClipboardTest, PastePrefersTheTypedFormat) {
  Build({{u"I", db::ftInteger}, {u"S", db::ftString, 10}}, {{Variant(1), Variant(u"a")}});
  CopyGridSelection(grid, true);  // typed: 1, "a"; text the same
  ui::Clipboard()->Open();
  ui::Clipboard()->SetAsText(u"I\tS\r\n9\tz");
  const std::string typed = "VCLDBIF" + std::string("\1\2\0\0\0\1\0\1\0\3\7\0\0\0\2\0", 16);
  ui::Clipboard()->SetBuffer(ClipboardFormatVCLDBIF(), typed.data(), typed.size());
  ui::Clipboard()->Close();
  grid->SetSelectedIndex(0);
  PasteGridSelection(grid, false);
  EXPECT_EQ(TableRows(), (std::vector<std::vector<ui::String>>{{u"7", u""}}));
}

TEST_F(ClipboardTest, DeleteOfTheWholeGridDeletesEveryRecordWithoutAsking) {
  FiveByFour();
  grid->SetOptions(grid->Options() + dgConfirmDelete);
  DeleteGridSelection(grid, true);
  EXPECT_TRUE(ds->IsEmpty());
  DeleteGridSelection(grid, false);  // nothing selected: nothing happens
}

// The walks of copy, export and clearing cells leave the grid showing the
// same records, with the same one current on the same row.
TEST_F(ClipboardTest, WalksKeepTheGridsWindowAndCurrentRow) {
  std::vector<std::vector<Variant>> rows;
  for (int r = 1; r <= 40; ++r) rows.push_back({Variant(r), Variant(u"s" + rtl::IntToStr(r))});
  Build({{u"N", db::ftInteger}, {u"S", db::ftString, 10}}, rows);
  h.Show(form);
  ds->First();
  ds->MoveBy(25);
  ds->MoveBy(-6);
  const int current = ds->FieldByName(u"N")->AsInteger();
  const int row = grid->DataLink()->ActiveRecord();
  ASSERT_NE(row, (grid->DataLink()->RecordCount() - 1) / 2) << "the current row must not be the middle one";

  const struct {
    const char* Name;
    std::function<void()> Walk;
  } walks[] = {
      {"copy of the whole grid", [&] { CopyGridSelection(grid, true); }},
      {"export of the whole grid", [&] { Export(ExportClassOf<TDBGridExExportAsText>); }},
      {"clearing a column",
       [&] {
         grid->SetOptions(grid->Options() + dgMultiSelect);
         grid->Selection()->Columns()->Select(Column(1), false);
         DeleteGridSelection(grid, false);
         grid->Selection()->Clear();
       }},
  };
  for (const auto& w : walks) {
    w.Walk();
    EXPECT_EQ(ds->FieldByName(u"N")->AsInteger(), current) << w.Name;
    EXPECT_EQ(grid->DataLink()->ActiveRecord(), row) << w.Name;
  }
  ds->First();
  ds->Next();
  EXPECT_TRUE(ds->FieldByName(u"S")->IsNull()) << "the column was cleared";
}

}  // namespace
