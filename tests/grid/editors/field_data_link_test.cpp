// The field data link over the in-memory dataset: unbound and bound modes,
// multi-field values, notifications and the editing cycle.
#include <gtest/gtest.h>

#include "platform/data/data_source.h"
#include "components/extended/data/ext_memory_data.h"
#include "platform/ui/edits.h"
#include "grid/editors/field_data_link_ex.h"
#include "platform/ui/forms.h"
#include "tests/platform/ui/harness.h"

using namespace db;
using ext::TExtMemoryData;
using grid::TFieldDataLinkEx;
using rtl::Variant;

namespace {

struct Link : ::testing::Test {
  TExtMemoryData ds{nullptr};
  TDataSource src{nullptr};
  TFieldDataLinkEx link;
  int dataChanges = 0, editingChanges = 0, updates = 0;

  void SetUp() override {
    ds.FieldDefs().Add(u"A", ftInteger);
    ds.FieldDefs().Add(u"B", ftString, 10);
    ds.FieldDefs().Add(u"M", ftMemo);
    ds.Open();
    ds.Append();
    ds.FieldByName(u"A")->SetAsInteger(1);
    ds.FieldByName(u"B")->SetAsString(u"x");
    ds.Post();
    src.SetDataSet(&ds);
    link.OnDataChange = [this](ui::TObject*) { ++dataChanges; };
    link.OnEditingChange = [this](ui::TObject*) { ++editingChanges; };
    link.OnUpdateData = [this](ui::TObject*) { ++updates; };
  }
  TField* F(const char16_t* name) { return ds.FieldByName(name); }
};

TEST_F(Link, NewLinkIsUnboundActiveAndHoldsNull) {
  EXPECT_TRUE(link.DataIndepended());
  EXPECT_TRUE(link.Active());
  EXPECT_TRUE(link.CanModify());
  EXPECT_TRUE(link.DataIndependentValue.IsNull());
  EXPECT_EQ(link.Field(), nullptr);
}

TEST_F(Link, UnboundEditingCycle) {
  EXPECT_TRUE(link.Edit());
  EXPECT_EQ(editingChanges, 1);
  link.SetValue(Variant(7));
  EXPECT_EQ(link.DataIndependentValue.AsInteger(), 7);
  EXPECT_EQ(dataChanges, 1);
  // Not modified: the editing state ends without a store.
  link.UpdateRecord();
  EXPECT_EQ(updates, 0);
  EXPECT_FALSE(link.Editing());
  link.Edit();
  link.Modified();
  link.UpdateRecord();
  EXPECT_EQ(updates, 1);
  EXPECT_FALSE(link.Editing());
  EXPECT_FALSE(link.IsModified());

  link.SetText(u"abc");
  EXPECT_EQ(link.DataIndependentValue.AsString(), u"abc");
}

TEST_F(Link, DataSourceAloneLeavesNoField) {
  link.SetDataSource(&src);
  EXPECT_FALSE(link.DataIndepended());
  EXPECT_FALSE(link.Active());
  EXPECT_EQ(link.Field(), nullptr);
  EXPECT_TRUE(link.DataSetActive());
}

TEST_F(Link, BoundTextAndValueReachTheField) {
  link.SetDataSource(&src);
  link.SetFieldName(u"A");
  ASSERT_EQ(link.Field(), F(u"A"));
  EXPECT_TRUE(link.Active());
  EXPECT_FALSE(link.Editing());
  EXPECT_TRUE(link.Edit());
  EXPECT_EQ(ds.State(), dsEdit);
  EXPECT_EQ(editingChanges, 1);
  link.SetText(u"42");
  EXPECT_EQ(F(u"A")->AsInteger(), 42);
  link.SetValue(Variant(43));
  EXPECT_EQ(F(u"A")->AsInteger(), 43);
  // The field's own conversion applies to text.
  EXPECT_THROW(link.SetText(u"x"), rtl::Exception);
  EXPECT_EQ(F(u"A")->AsInteger(), 43);

  link.SetFieldName(u"M");
  link.SetText(u"long text");
  EXPECT_EQ(F(u"M")->AsString(), u"long text");
  ds.Post();
  EXPECT_FALSE(link.Editing());
}

TEST_F(Link, PostStoresThroughUpdateDataOnlyWhenModified) {
  link.SetDataSource(&src);
  link.SetFieldName(u"B");
  link.OnUpdateData = [this](ui::TObject*) {
    ++updates;
    link.SetText(u"typed");
  };
  link.Edit();
  ds.Post();
  EXPECT_EQ(updates, 0);
  EXPECT_EQ(F(u"B")->AsString(), u"x");
  link.Edit();
  link.Modified();
  ds.Post();
  EXPECT_EQ(updates, 1);
  EXPECT_EQ(F(u"B")->AsString(), u"typed");
}

TEST_F(Link, MultiFieldValues) {
  link.SetDataSource(&src);
  link.SetMultiFields(true);
  link.SetFieldName(u"A;B");
  ASSERT_EQ(link.FieldsCount(), 2);
  EXPECT_EQ(link.FieldByIndex(1), F(u"B"));
  link.Edit();
  link.SetValue(rtl::VarArrayOf({Variant(5), Variant(u"five")}));
  EXPECT_EQ(F(u"A")->AsInteger(), 5);
  EXPECT_EQ(F(u"B")->AsString(), u"five");
  link.SetValue(Variant::Null());
  EXPECT_TRUE(F(u"A")->IsNull());
  EXPECT_TRUE(F(u"B")->IsNull());
}

TEST_F(Link, MissingFieldRaisesAndNamesTheControl) {
  ui::TComponent control(nullptr);
  control.SetName(u"Edit1");
  link.SetControl(&control);
  link.SetDataSource(&src);
  try {
    link.SetFieldName(u"NOPE");
    FAIL();
  } catch (const rtl::EDatabaseError& e) {
    EXPECT_EQ(e.Message(), u"Edit1: Field 'NOPE' not found");
  }
  link.SetFieldName(u"A");
  link.SetMultiFields(true);
  EXPECT_THROW(link.SetFieldName(u"A;NOPE2"), rtl::EDatabaseError);
  // The fields resolved before the failure stay.
  EXPECT_EQ(link.Field(), F(u"A"));
}

TEST_F(Link, RecordChangeForAnotherFieldIsIgnored) {
  link.SetDataSource(&src);
  link.SetFieldName(u"A");
  link.Edit();
  link.Modified();
  const int before = dataChanges;
  F(u"B")->SetAsString(u"other");
  EXPECT_EQ(dataChanges, before);
  EXPECT_TRUE(link.IsModified());
  F(u"A")->SetAsInteger(9);
  EXPECT_EQ(dataChanges, before + 1);
  EXPECT_FALSE(link.IsModified());
}

TEST_F(Link, ClosingAndReopeningResolvesAgain) {
  link.SetDataSource(&src);
  link.SetFieldName(u"A");
  ds.Close();
  EXPECT_EQ(link.Field(), nullptr);
  EXPECT_FALSE(link.Active());
  ds.Open();
  EXPECT_EQ(link.Field(), F(u"A"));
  // Back to unbound: the held value starts as Null.
  link.SetFieldName(u"");
  link.SetDataSource(nullptr);
  EXPECT_TRUE(link.DataIndepended());
  EXPECT_TRUE(link.DataIndependentValue.IsNull());
}

TEST_F(Link, ReadOnlyFieldCannotBeEdited) {
  link.SetDataSource(&src);
  link.SetFieldName(u"A");
  F(u"A")->SetReadOnly(true);
  EXPECT_FALSE(link.CanModify());
  EXPECT_FALSE(link.Edit());
  EXPECT_EQ(ds.State(), dsBrowse);
}

TEST_F(Link, FocusRequestForItsFieldFocusesTheControl) {
  uitest::Harness h;
  auto* form = h.MakeForm<ui::TForm>();
  auto* first = new ui::TEdit(form);
  first->SetParent(form);
  first->SetBounds(10, 10, 100, 21);
  auto* bound = new ui::TEdit(form);
  bound->SetParent(form);
  bound->SetBounds(10, 40, 100, 21);
  h.Show(form);
  first->SetFocus();
  link.SetControl(bound);
  link.SetDataSource(&src);
  link.SetFieldName(u"A");
  // Another field's request is not this control's.
  F(u"B")->FocusControl();
  EXPECT_FALSE(bound->Focused());
  F(u"A")->FocusControl();
  EXPECT_TRUE(bound->Focused());
}

}  // namespace
