// Saving and restoring the columns and the grid layout: the stored format,
// round trips through an ini file and the registry, partial restores, and
// stored values no user could have saved.
#include <gtest/gtest.h>

#include "components/extended/data/ext_memory_data.h"
#include "grid/columns/columns/column_title_ex.h"
#include "grid/columns/columns/db_grid_columns_ex.h"
#include "grid/core/custom_db_grid_ex.h"
#include "platform/classes/ini_files.h"
#include "platform/classes/reg_ini_file.h"
#include "tests/grid/core/grid_on_form.h"
#include "tests/platform/runtime/runtime_test_util.h"

namespace {

using namespace grid;
using rtl::String;

struct LayoutStoreTest : gridtest::GridOnForm {
  ext::TExtMemoryData ds{nullptr};
  db::TDataSource src{nullptr};
  rtl_test::TempDir dir;

  void SetUp() override {
    GridOnForm::SetUp();
    grid->SetName(u"Grid1");
    for (const char16_t* name : {u"A", u"B", u"C"}) ds.FieldDefs().Add(name, db::ftInteger);
    src.SetDataSet(&ds);
    ds.Open();
    grid->SetDataSource(&src);
    grid->Columns()->SetState(csCustomized);
  }
  void TearDown() override {
    grid->SetDataSource(nullptr);
    GridOnForm::TearDown();
  }
  TColumnEx* Col(const String& Field) { return grid->FindFieldColumn(Field); }
  std::vector<String> Order() {
    std::vector<String> out;
    for (int i = 0; i < grid->Columns()->Count(); ++i)
      out.push_back(grid->Columns()->ColumnAt(i)->FieldName());
    return out;
  }
  // The user's arrangement: C first, B hidden, sorted by C then A.
  void Arrange() {
    grid->Columns()->BeginUpdate();
    Col(u"A")->SetWidth(40);
    Col(u"B")->SetWidth(55);
    Col(u"C")->SetWidth(70);
    Col(u"B")->SetVisible(false);
    Col(u"C")->SetIndex(0);
    Col(u"C")->Title()->SetSortMarker(smUpEx);
    Col(u"C")->Title()->SetSortIndex(1);
    Col(u"A")->Title()->SetSortMarker(smDownEx);
    Col(u"A")->Title()->SetSortIndex(2);
    Col(u"A")->SetDropDownRows(12);
    Col(u"A")->SetDropDownWidth(150);
    grid->Columns()->EndUpdate();
  }
  void Scramble() {
    grid->Columns()->BeginUpdate();
    Col(u"A")->SetIndex(0);
    Col(u"B")->SetIndex(1);
    for (const char16_t* f : {u"A", u"B", u"C"}) {
      Col(f)->SetWidth(64);
      Col(f)->SetVisible(true);
      Col(f)->Title()->SetSortMarker(smNoneEx);
      Col(f)->Title()->SetSortIndex(0);
      Col(f)->SetDropDownRows(7);
      Col(f)->SetDropDownWidth(0);
    }
    grid->Columns()->EndUpdate();
  }
  void ExpectArranged() {
    EXPECT_EQ(Order(), (std::vector<String>{u"C", u"A", u"B"}));
    EXPECT_EQ(Col(u"A")->Width(), 40);
    EXPECT_EQ(Col(u"B")->Width(), 55);
    EXPECT_EQ(Col(u"C")->Width(), 70);
    EXPECT_FALSE(Col(u"B")->Visible());
    EXPECT_EQ(Col(u"C")->Title()->SortMarker(), smUpEx);
    EXPECT_EQ(Col(u"A")->Title()->SortMarker(), smDownEx);
    EXPECT_EQ(Col(u"C")->Title()->SortIndex(), 1);
    EXPECT_EQ(Col(u"A")->Title()->SortIndex(), 2);
    EXPECT_EQ(grid->SortMarkedColumns(), (std::vector<TColumnEx*>{Col(u"C"), Col(u"A")}));
    EXPECT_EQ(Col(u"A")->DropDownRows(), 12u);
    EXPECT_EQ(Col(u"A")->DropDownWidth(), 150);
  }
};

const TDBGridExRestoreParams kAllGrid{grpColIndexEx,      grpColWidthsEx,           grpSortMarkerEx,
                                      grpColVisibleEx,    grpRowHeightEx,           grpDropDownRowsEx,
                                      grpDropDownWidthEx, grpRowPanelColPlacementEx};

TEST_F(LayoutStoreTest, IniFileRoundTripWithTheStoredFormat) {
  Arrange();
  grid->SetRowHeight(20);
  const String file = dir.File("layout.ini");
  grid->SaveGridLayoutIni(file, u"Grid", true);
  // The stored text is what other programs read.
  rtl::TIniFile ini(file);
  EXPECT_EQ(ini.ReadString(u"Grid", u"Grid1.C", u""), u"0,70,2,1,1,7,0,0,1");
  EXPECT_EQ(ini.ReadString(u"Grid", u"Grid1.A", u""), u"1,40,1,1,2,12,150,0,1");
  EXPECT_EQ(ini.ReadString(u"Grid", u"Grid1.B", u""), u"2,55,0,0,0,7,0,0,1");
  EXPECT_EQ(ini.ReadString(u"Grid", u"(Default)", u""), u"20,0");

  Scramble();
  grid->SetRowHeight(0);
  grid->RestoreGridLayoutIni(file, u"Grid", kAllGrid);
  ExpectArranged();
  EXPECT_EQ(grid->RowHeight(), 20);
}

TEST_F(LayoutStoreTest, RegistryRoundTripUnderTheComponentPath) {
  Arrange();
  grid->SetRowHeight(18);
  grid->SetRowLines(2);
  rtl::TRegIniFile reg(u"Software\\GridLayoutTest");
  grid->SaveGridLayout(&reg);
  // A grid of a form: the form's class name runs into the grid's name.
  EXPECT_EQ(reg.ReadString(u"TFormGrid1", u"Grid1.C", u""), u"0,70,2,1,1,7,0,0,1");
  EXPECT_EQ(reg.ReadString(u"TFormGrid1", u"", u""), u"18,2");

  Scramble();
  // A value saved by hand with a space: RowHeight 20, no row lines.
  reg.WriteString(u"TFormGrid1", u"", u"20 0");
  grid->RestoreGridLayout(&reg, kAllGrid);
  ExpectArranged();
  EXPECT_EQ(grid->RowHeight(), 20);
  EXPECT_EQ(grid->RowLines(), 0);

  // The registry form starts its section afresh: a column gone from the
  // grid leaves no key behind.
  reg.WriteString(u"TFormGrid1", u"Grid1.Gone", u"0,1,0,1,0,7,0,0,1");
  grid->SaveColumnsLayout(&reg);
  EXPECT_EQ(reg.ReadString(u"TFormGrid1", u"Grid1.Gone", u"none"), u"none");
}

TEST_F(LayoutStoreTest, OnlyTheChosenPartsAreRestored) {
  Arrange();
  rtl::TMemIniFile ini(dir.File("mem.ini"));
  grid->SaveColumnsLayout(&ini, u"S");
  Scramble();
  grid->RestoreColumnsLayout(&ini, u"S", TColumnExRestoreParams{crpColWidthsEx});
  EXPECT_EQ(Order(), (std::vector<String>{u"A", u"B", u"C"}));
  EXPECT_EQ(Col(u"A")->Width(), 40);
  EXPECT_EQ(Col(u"C")->Width(), 70);
  EXPECT_TRUE(Col(u"B")->Visible());
  EXPECT_EQ(Col(u"C")->Title()->SortMarker(), smNoneEx);
  EXPECT_EQ(Col(u"A")->DropDownRows(), 7u);
}

TEST_F(LayoutStoreTest, AColumnWithoutAStoredValueKeepsItsSettings) {
  rtl::TMemIniFile ini(dir.File("mem.ini"));
  ini.WriteString(u"S", u"Grid1.A", u"2,33,0,1,0,7,0,0,1");
  Col(u"B")->SetWidth(44);
  grid->RestoreColumnsLayout(&ini, u"S", TColumnExRestoreParams{crpColIndexEx, crpColWidthsEx});
  EXPECT_EQ(Order(), (std::vector<String>{u"B", u"C", u"A"}));
  EXPECT_EQ(Col(u"A")->Width(), 33);
  EXPECT_EQ(Col(u"B")->Width(), 44);
}

// Values no save could have produced are passed over, each on its own: the
// rest of the line still applies.
TEST_F(LayoutStoreTest, CorruptValuesAreIgnored) {
  const TColumnExRestoreParams all{
      crpColIndexEx,     crpColWidthsEx,     crpSortMarkerEx,          crpColVisibleEx,
      crpDropDownRowsEx, crpDropDownWidthEx, crpRowPanelColPlacementEx};
  struct Case {
    const char16_t* value;
    int width;
    TSortMarkerEx marker;
    int sortIndex;
    unsigned dropDownRows;
    int dropDownWidth;
  };
  const Case cases[] = {
      {u"0,-5,1,1,1,7,0,0,1", 64, smDownEx, 1, 7, 0},           // negative width
      {u"0,50,7,1,1,7,0,0,1", 50, smNoneEx, 1, 7, 0},           // marker beyond smUpEx
      {u"0,50,-1,1,0,7,0,0,1", 50, smNoneEx, 0, 7, 0},          // negative marker
      {u"0,50,1,1,2000000000,7,0,0,1", 50, smDownEx, 0, 7, 0},  // sort index beyond the columns
      {u"0,50,1,1,1,-3,-9,0,1", 50, smDownEx, 1, 7, 0},         // negative drop-down sizes
      {u"0,99999999999,1,1,1,7,0,0,1", 64, smDownEx, 1, 7, 0},  // beyond 32 bits
      {u"0,5x,1,1,1,8,20,0,1", 64, smDownEx, 1, 8, 20},         // not a number
      {u"garbage", 64, smNoneEx, 0, 7, 0},                      // no numbers at all
      {u"0,,,  50", 50, smNoneEx, 0, 7, 0},                     // runs of separators are one
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(rtl::StringToUtf8(c.value));
    Scramble();
    rtl::TMemIniFile ini(dir.File("bad.ini"));
    ini.WriteString(u"S", u"Grid1.A", c.value);
    grid->RestoreColumnsLayout(&ini, u"S", all);
    TColumnEx* a = Col(u"A");
    EXPECT_EQ(a->Width(), c.width);
    EXPECT_EQ(a->Title()->SortMarker(), c.marker);
    EXPECT_EQ(a->Title()->SortIndex(), c.sortIndex);
    EXPECT_EQ(a->DropDownRows(), c.dropDownRows);
    EXPECT_EQ(a->DropDownWidth(), c.dropDownWidth);
    EXPECT_LE(grid->SortMarkedColumns().size(), 3u);
  }
}

TEST_F(LayoutStoreTest, AStorageFailingPartWayLeavesTheGridAsItWasSet) {
  // Reads the first column's value, then fails like an unreadable key.
  struct FailingIni : rtl::TMemIniFile {
    using rtl::TMemIniFile::TMemIniFile;
    int reads = 0;
    String ReadString(const String& Section, const String& Ident, const String& Def) override {
      if (++reads > 1) throw rtl::Exception(u"storage failed");
      return rtl::TMemIniFile::ReadString(Section, Ident, Def);
    }
  };
  grid->SetAutoFitColWidths(true);
  FailingIni ini(dir.File("failing.ini"));
  ini.WriteString(u"S", u"Grid1.A", u"0,50,0,1,0,7,0,0,1");
  EXPECT_THROW(grid->RestoreColumnsLayout(&ini, u"S", {crpColWidthsEx}), rtl::Exception);
  EXPECT_TRUE(grid->AutoFitColWidths());
  EXPECT_EQ(grid->UpdateLock(), 0);
}

}  // namespace
