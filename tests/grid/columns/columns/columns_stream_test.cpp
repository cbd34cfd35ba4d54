// Saving and loading a grid's column set in the binary layout form: round
// trips, the bytes of small sets, damaged streams that must leave the
// columns alone, files, and the grid's own "Columns" layout property.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "components/extended/data/ext_memory_data.h"
#include "grid/columns/columns/column_title_ex.h"
#include "grid/columns/columns/db_grid_columns_ex.h"
#include "grid/columns/sums/column_footer_ex.h"
#include "grid/core/custom_db_grid_ex.h"
#include "platform/classes/component_stream.h"
#include "platform/ui/bitmap.h"
#include "tests/grid/core/grid_on_form.h"
#include "tests/platform/runtime/runtime_test_util.h"

namespace {

using namespace grid;
using ext::TExtMemoryData;
using ui::vaCollection;
using ui::vaIdent;
using ui::vaInt8;
using ui::vaList;
using ui::vaLString;
using ui::vaSet;
using ui::vaString;

std::string Short(const std::string& s) { return std::string(1, static_cast<char>(s.size())) + s; }
std::string S(std::initializer_list<int> b) {
  std::string out;
  for (int v : b) out.push_back(static_cast<char>(v));
  return out;
}

struct StreamFixture : gridtest::GridOnForm {
  TExtMemoryData ds{nullptr};
  db::TDataSource src{nullptr};
  ui::TImageList* images = nullptr;

  void SetUp() override {
    GridOnForm::SetUp();
    form->SetName(u"Form1");
    images = new ui::TImageList(form);
    images->SetName(u"Images");
    ds.FieldDefs().Add(u"A", db::ftInteger);
    ds.FieldDefs().Add(u"B", db::ftString, 10);
    ds.Open();
    src.SetDataSet(&ds);
    grid->SetDataSource(&src);
  }
  TDBGridColumnsEx* Cols() { return grid->Columns(); }

  std::string Save() {
    rtl::TMemoryStream s;
    Cols()->SaveToStream(s);
    return s.ToBytes();
  }
  void Load(const std::string& Bytes) {
    rtl::TMemoryStream s;
    s.WriteBuffer(Bytes.data(), static_cast<std::int64_t>(Bytes.size()));
    s.SetPosition(0);
    Cols()->LoadFromStream(s);
  }

  // Two customized columns with most of what a user sets.
  void Customize() {
    grid->SetOptionsEx(grid->OptionsEx() + dghMultiSortMarking);
    Cols()->Clear();
    TColumnEx* a = Cols()->Add();
    a->SetFieldName(u"A");
    a->SetWidth(77);
    a->SetColor(ui::clRed);
    a->SetAlignment(ui::taRightJustify);
    a->Font()->SetColor(ui::clBlue);
    a->Font()->SetStyle(ui::TFontStyles{ui::fsBold, ui::fsItalic});
    a->Title()->SetCaption(u"第一列");
    a->Title()->SetSortMarker(smDownEx);
    a->Footer()->SetValueType(fvtSum);
    auto* f = static_cast<TColumnFooterEx*>(a->Footers()->Add());
    f->SetValueType(fvtStaticText);
    f->SetValue(u"Total");
    a->SetIncrement(0.25);
    a->SetImageList(images);
    a->PickList()->Add(u"x");
    a->PickList()->Add(u"y");
    TColumnEx* b = Cols()->Add();
    b->SetFieldName(u"B");
    b->SetVisible(false);
    b->SetButtonStyle(cbsEllipsis);
    b->SetLayout(ui::tlBottom);
    b->Title()->SetSortMarker(smUpEx);
    b->EditButtons()->Add()->SetWidth(12);
    b->DropDownSpecRow()->SetVisible(true);
    b->DropDownSpecRow()->SetCellsText(u"无");
    b->MRUList()->SetActive(true);
  }
};

using ColumnsStreamTest = StreamFixture;

TEST_F(ColumnsStreamTest, RoundTripRestoresACustomizedSet) {
  Customize();
  const std::string saved = Save();
  Cols()->Clear();
  Cols()->Add()->SetFieldName(u"B");
  Load(saved);

  ASSERT_EQ(Cols()->Count(), 2);
  EXPECT_EQ(Cols()->State(), csCustomized);
  TColumnEx* a = Cols()->ColumnAt(0);
  EXPECT_EQ(a->FieldName(), u"A");
  EXPECT_EQ(a->Width(), 77);
  EXPECT_EQ(a->Color(), ui::clRed);
  EXPECT_EQ(a->Alignment(), ui::taRightJustify);
  EXPECT_EQ(a->Font()->Color(), ui::clBlue);
  EXPECT_EQ(a->Font()->Style(), (ui::TFontStyles{ui::fsBold, ui::fsItalic}));
  EXPECT_EQ(a->Title()->Caption(), u"第一列");
  EXPECT_EQ(a->Title()->SortMarker(), smDownEx);
  EXPECT_EQ(a->Footer()->ValueType(), fvtSum);
  ASSERT_EQ(a->Footers()->Count(), 1);
  auto* f = static_cast<TColumnFooterEx*>(a->Footers()->Items(0));
  EXPECT_EQ(f->ValueType(), fvtStaticText);
  EXPECT_EQ(f->Value(), u"Total");
  EXPECT_EQ(a->Increment(), 0.25);
  EXPECT_EQ(a->ImageList(), images) << "the reference is found again on the grid's form";
  EXPECT_EQ(a->PickList()->ToVector(), (std::vector<String>{u"x", u"y"}));
  TColumnEx* b = Cols()->ColumnAt(1);
  EXPECT_EQ(b->FieldName(), u"B");
  EXPECT_FALSE(b->Visible());
  EXPECT_EQ(b->ButtonStyle(), cbsEllipsis);
  EXPECT_EQ(b->Layout(), ui::tlBottom);
  EXPECT_EQ(b->Title()->SortMarker(), smUpEx);
  ASSERT_EQ(b->EditButtons()->Count(), 1);
  EXPECT_EQ(b->EditButtons()->Items(0)->Width(), 12);
  EXPECT_TRUE(b->DropDownSpecRow()->Visible());
  EXPECT_EQ(b->DropDownSpecRow()->CellsText(), u"无");
  EXPECT_TRUE(b->MRUList()->Active());
  // The grid's list of sort-marked columns is made from the loaded columns.
  EXPECT_EQ(grid->SortMarkedColumns(), (std::vector<TColumnEx*>{a, b}));
  EXPECT_EQ(Save(), saved);
}

TEST_F(ColumnsStreamTest, SmallSetsHaveTheirBytes) {
  // Without a dataset the grid makes no default columns from fields.
  grid->SetDataSource(nullptr);
  Cols()->Clear();
  Cols()->Add()->SetFieldName(u"A");
  ASSERT_EQ(Cols()->Count(), 1);
  const std::string head = "TPF0" + Short("TColumnsWrapper") + S({0});
  // A fresh column stores none of the look it takes from its grid; the
  // drop-down box's options have no default and always go.
  EXPECT_EQ(Save(), head + Short("Columns") + S({vaCollection, vaList}) + Short("DropDownBox.Options") +
                        S({vaInt8, 2}) + Short("FieldName") + S({vaString}) + Short("A") +
                        S({0, 0, 0, 0}));  // item, collection, wrapper properties, no children

  // An empty stored set leaves only what the grid makes by itself.
  Load(head + S({0, 0}));
  EXPECT_EQ(Cols()->State(), csDefault);
}

TEST_F(ColumnsStreamTest, DamagedStreamsRaiseAndLeaveTheColumns) {
  Customize();
  const std::string good = Save();
  // Something else in the grid, so that a load that went through would show.
  Cols()->ColumnAt(0)->SetWidth(55);
  Cols()->Add()->SetFieldName(u"B");
  const std::string before = Save();
  auto expectRefused = [&](const std::string& Bytes, const std::string& Name) {
    EXPECT_THROW(Load(Bytes), rtl::EReadError) << Name;
    EXPECT_EQ(Cols()->Count(), 3) << Name;
    EXPECT_EQ(Save(), before) << Name;
  };
  // Cuts at every byte of the start and end, every seventh in between.
  for (std::size_t n = 0; n < good.size(); n += (n < 64 || good.size() - n < 64) ? 1 : 7)
    expectRefused(good.substr(0, n), "cut at " + std::to_string(n));

  const std::string head = "TPF0" + Short("TColumnsWrapper") + S({0}) + Short("Columns") + S({vaCollection, vaList});
  const std::string tail = S({0, 0, 0, 0});
  struct Case {
    const char* name;
    std::string bytes;
  };
  const Case cases[] = {
      {"wrong signature", "TPF1" + good.substr(4)},
      {"another component", "TPF0" + Short("TDBGridEx") + S({0, 0, 0})},
      {"unknown column property", head + Short("Colour") + S({vaInt8, 1}) + tail},
      {"unknown alignment", head + Short("Alignment") + S({vaIdent}) + Short("taJustify") + tail},
      {"unknown sort marker", head + Short("Title.SortMarker") + S({vaIdent}) + Short("smSideways") + tail},
      {"unknown font style", head + Short("Font.Style") + S({vaSet}) + Short("fsShadow") + S({0}) + tail},
      {"field name longer than the stream", head + Short("FieldName") + S({vaLString, 0, 0, 0, 0x40}) + "A" + tail},
      {"bad value tag", head + Short("Width") + S({0x40, 1}) + tail},
      {"into a referenced component", head + Short("ImageList.Width") + S({vaInt8, 1}) + tail},
      {"a second wrapper inside", head + S({0, 0, 0}) + Short("TColumnsWrapper") + S({0, 0, 0, 0})},
  };
  for (const Case& k : cases) expectRefused(k.bytes, k.name);
}

TEST_F(ColumnsStreamTest, FilesAreReplacedWholeAndReadBack) {
  rtl_test::TempDir dir;
  const rtl::String file = dir.File("columns.bin");
  Customize();
  // A longer old file: nothing of it may remain.
  {
    rtl::TMemoryStream junk;
    std::string filler(100000, 'z');
    junk.WriteBuffer(filler.data(), static_cast<std::int64_t>(filler.size()));
    junk.SaveToFile(file);
  }
  Cols()->SaveToFile(file);
  EXPECT_EQ(rtl_test::Bytes(file), Save());

  Cols()->Clear();
  Cols()->LoadFromFile(file);
  ASSERT_EQ(Cols()->Count(), 2);
  EXPECT_EQ(Cols()->ColumnAt(0)->Title()->Caption(), u"第一列");

  EXPECT_THROW(Cols()->LoadFromFile(dir.File("missing.bin")), rtl::EStreamError);
  EXPECT_EQ(Cols()->Count(), 2);
  EXPECT_THROW(Cols()->SaveToFile(dir.File("no/such/folder/columns.bin")), rtl::Exception);
}

TEST_F(ColumnsStreamTest, TheGridStoresItsColumnsOnlyWhenCustomized) {
  auto gridBytes = [&] {
    rtl::TMemoryStream s;
    ui::TWriter w(s);
    w.SetRoot(form);
    w.WriteSignature();
    w.WriteComponent(grid);
    return s.ToBytes();
  };
  grid->SetName(u"Grid1");
  ASSERT_EQ(Cols()->State(), csDefault);
  EXPECT_EQ(gridBytes().find(Short("Columns")), std::string::npos);

  Customize();
  const std::string bytes = gridBytes();
  ASSERT_NE(bytes.find(Short("Columns") + S({vaCollection})), std::string::npos);

  auto* other = new TDBGridEx(form);
  other->SetParent(form);
  other->Columns()->Add()->SetFieldName(u"B");
  other->Columns()->Add();
  other->Columns()->Add();
  rtl::TMemoryStream s;
  s.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
  s.SetPosition(0);
  ui::TReader r(s);
  r.SetRoot(form);
  r.ReadSignature();
  // The stored name is the first grid's, which the copy takes over.
  grid->SetName(u"Grid0");
  other->SetName(u"Grid1");
  r.ReadComponent(other);
  ASSERT_EQ(other->Columns()->Count(), 2);
  EXPECT_EQ(other->Columns()->ColumnAt(0)->Title()->Caption(), u"第一列");
  EXPECT_EQ(other->Columns()->ColumnAt(0)->ImageList(), images);
  delete other;
}

}  // namespace
