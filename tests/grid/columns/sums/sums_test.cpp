// The sum-list producer over a live dataset, and column footers bound to
// the grid's sum list.
#include <gtest/gtest.h>

#include "components/extended/data/ext_memory_data.h"
#include "grid/columns/columns/db_grid_columns_ex.h"
#include "grid/columns/sums/column_footer_ex.h"
#include "grid/columns/sums/db_grid_ex_sum_list.h"
#include "grid/core/custom_db_grid_ex.h"
#include "grid/core/db_grid_ex_module.h"
#include "platform/ui/forms.h"
#include "tests/platform/ui/harness.h"

namespace {

using namespace grid;
using ext::TExtMemoryData;

// F (float) over 1.5, Null, 2.25; S (string).
struct Data {
  TExtMemoryData ds{nullptr};
  Data() {
    ds.FieldDefs().Add(u"F", db::ftFloat);
    ds.FieldDefs().Add(u"S", db::ftString, 10);
    ds.Open();
    for (const rtl::Variant& v : {rtl::Variant(1.5), rtl::Variant::Null(), rtl::Variant(2.25)}) {
      ds.Append();
      ds.Fields(0)->SetValue(v);
      ds.Fields(1)->SetAsString(u"1");
      ds.Post();
    }
  }
};

struct ProducerTest : ::testing::Test {
  Data d;
  TDBSumListProducer producer{nullptr};
  TDBSum *sum = nullptr, *avg = nullptr, *countF = nullptr, *count = nullptr;
  int changes = 0;

  void SetUp() override {
    auto* c = producer.SumCollection();
    c->BeginUpdate();
    sum = c->Add();
    sum->SetFieldName(u"F");
    avg = c->Add();
    avg->SetFieldName(u"f");
    avg->SetGroupOperation(goAvg);
    countF = c->Add();
    countF->SetFieldName(u"F");
    countF->SetGroupOperation(goCount);
    count = c->Add();
    count->SetGroupOperation(goCount);
    c->EndUpdate();
    producer.SumListChanged = [this](ui::TObject*) { ++changes; };
    producer.SetDataSet(&d.ds);
  }
  void Expect(std::int64_t Sum, std::int64_t Avg, std::int64_t CountF, std::int64_t Count) {
    EXPECT_EQ(sum->SumValue, Sum);
    EXPECT_EQ(avg->SumValue, Avg);
    EXPECT_EQ(countF->SumValue, CountF * 10000);
    EXPECT_EQ(count->SumValue, Count * 10000);
  }
  void GoTo(int RecNo) {
    d.ds.First();
    d.ds.MoveBy(RecNo - 1);
  }
};

TEST_F(ProducerTest, SumsAveragesAndCountsFollowEditsInsertsAndDeletes) {
  Expect(37500, 18750, 2, 3);
  EXPECT_EQ(avg->SumVariant().AsDouble(), 1.875);

  GoTo(2);
  d.ds.Edit();
  d.ds.Fields(0)->SetAsFloat(4);
  d.ds.Post();
  Expect(77500, 25833, 3, 3);

  d.ds.Edit();
  d.ds.Fields(0)->Clear();
  d.ds.Post();
  Expect(37500, 18750, 2, 3);

  d.ds.Append();
  d.ds.Cancel();
  Expect(37500, 18750, 2, 3);

  d.ds.Append();
  d.ds.Fields(0)->SetAsFloat(1);
  d.ds.Post();
  Expect(47500, 15833, 3, 4);

  d.ds.Last();
  d.ds.Delete();
  Expect(37500, 18750, 2, 3);
}

TEST_F(ProducerTest, ValueGivenOnInsertIsCounted) {
  d.ds.OnNewRecord = [](db::TDataSet* D) { D->Fields(0)->SetAsFloat(2); };
  d.ds.Append();
  d.ds.Post();
  Expect(57500, 19167, 3, 4);
}

TEST_F(ProducerTest, CloseZeroesAndDeactivatingRestoresHandlers) {
  int before = changes, scans = 0;
  d.ds.Close();
  Expect(0, 0, 0, 0);
  EXPECT_GT(changes, before);
  producer.OnRecalcAll = [&](ui::TObject*) { ++scans; };
  d.ds.Open();
  EXPECT_EQ(scans, 1);

  producer.SetActive(false);
  int theirs = 0;
  EXPECT_FALSE(d.ds.AfterPost);
  d.ds.AfterPost = [&](db::TDataSet*) { ++theirs; };
  producer.SetActive(true);
  d.ds.Edit();
  d.ds.Post();
  EXPECT_EQ(theirs, 1);
  producer.SetActive(false);
  ASSERT_TRUE(d.ds.AfterPost);
  d.ds.Edit();
  d.ds.Post();
  EXPECT_EQ(theirs, 2);
}

TEST_F(ProducerTest, FilterChangeSeenOnScrollRecalculates) {
  int scans = 0;
  producer.OnRecalcAll = [&](ui::TObject*) { ++scans; };
  d.ds.Next();
  EXPECT_EQ(scans, 0);
  d.ds.SetFilter(u"F > 2");
  d.ds.SetFiltered(true);
  d.ds.First();
  EXPECT_GE(scans, 1);
  Expect(22500, 22500, 1, 1);
}

TEST_F(ProducerTest, ValueThatDoesNotConvertLeavesTheDatasetUsable) {
  TDBSum* bad = producer.SumCollection()->Add();
  GoTo(2);
  d.ds.Edit();
  d.ds.Fields(1)->SetAsString(u"abc");
  d.ds.Post();
  EXPECT_THROW(bad->SetFieldName(u"S"), rtl::Exception);
  EXPECT_FALSE(d.ds.ControlsDisabled());
  EXPECT_EQ(d.ds.RecNo(), 2);
}

TEST_F(ProducerTest, OverflowingSumIsInvalidNotWrapped) {
  GoTo(1);
  d.ds.Edit();
  d.ds.Fields(0)->SetAsFloat(9.0e14);
  d.ds.Post();
  EXPECT_TRUE(sum->SumValid);
  GoTo(2);
  d.ds.Edit();
  d.ds.Fields(0)->SetAsFloat(9.0e14);
  d.ds.Post();
  EXPECT_FALSE(sum->SumValid);
  EXPECT_TRUE(sum->SumVariant().IsNull());
  // A full scan starts valid and meets the overflow again.
  producer.RecalcAll();
  EXPECT_FALSE(sum->SumValid);
}

// --- footers --------------------------------------------------------------------------

struct FooterTest : ::testing::Test {
  uitest::Harness h;
  ui::TForm* form = nullptr;
  TDBGridEx* grid = nullptr;
  Data d;
  db::TDataSource src{nullptr};
  TColumnEx* col = nullptr;

  void SetUp() override {
    InitDBGridEx();
    form = h.MakeForm<ui::TForm>();
    grid = new TDBGridEx(form);
    grid->SetParent(form);
    src.SetDataSet(&d.ds);
    grid->SetDataSource(&src);
    grid->SumList()->SetActive(true);
    col = grid->Columns()->Add();
    col->SetFieldName(u"F");
  }
  void TearDown() override {
    delete grid;
    DoneDBGridEx();
  }
};

TEST_F(FooterTest, ValueTypesBindAndFreeSumItems) {
  TColumnFooterEx* f = col->Footer();
  f->SetValueType(fvtSum);
  ASSERT_NE(f->DBSum(), nullptr);
  EXPECT_EQ(f->DBSum()->FieldName(), u"F");
  EXPECT_EQ(f->SumValue().AsDouble(), 3.75);
  f->SetValueType(fvtStaticText);
  EXPECT_EQ(f->DBSum(), nullptr);
  EXPECT_EQ(grid->SumList()->SumCollection()->Count(), 0);
  EXPECT_TRUE(f->SumValue().IsNull());
  f->SetValueType(fvtAvg);
  EXPECT_EQ(f->SumValue().AsDouble(), 1.875);
  f->SetValueType(fvtFieldValue);
  EXPECT_TRUE(f->SumValue().IsNull());
}

TEST_F(FooterTest, CountWithAFieldNameStillCountsEveryRecord) {
  TColumnFooterEx* f = col->Footer();
  f->SetFieldName(u"F");
  f->SetValueType(fvtCount);
  EXPECT_EQ(f->DBSum()->FieldName(), u"");
  EXPECT_EQ(f->SumValue().AsDouble(), 3);
  EXPECT_TRUE(grid->Columns()->ExistFooterValueType(fvtCount));
}

TEST_F(FooterTest, UsedFooterFallsBackToTheSingleFooter) {
  col->Footers()->Add();
  col->Footers()->Add();
  EXPECT_EQ(col->UsedFooter(1), col->Footers()->FooterAt(1));
  EXPECT_EQ(col->UsedFooter(2), col->Footer());
}

TEST_F(FooterTest, DefaultsFollowTheGridAndStoreOnlyOwnValues) {
  TColumnFooterEx* f = col->Footer();
  EXPECT_EQ(f->Color(), grid->FooterColor());
  f->SetColor(grid->FooterColor());
  EXPECT_TRUE(f->AssignedValues().Contains(cvFooterColor));
  EXPECT_FALSE(f->IsColorStored());
  f->SetToolTips(false);
  EXPECT_FALSE(f->IsToolTipsStored());
  f->Font()->SetSize(20);
  EXPECT_TRUE(f->IsFontStored());
  f->RestoreDefaults();
  EXPECT_TRUE(f->AssignedValues().Empty());
}

}  // namespace
