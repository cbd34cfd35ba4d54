// The check box's data side over the in-memory dataset: the value lists,
// Boolean fields, the grayed cycle, and the unbound value.
#include <gtest/gtest.h>

#include "platform/data/data_source.h"
#include "grid/editors/db_check_box_value_ex.h"
#include "platform/runtime/exceptions.h"
#include "components/extended/data/ext_memory_data.h"

using namespace grid;
using rtl::Variant;
using ui::cbChecked;
using ui::cbGrayed;
using ui::cbUnchecked;

namespace {

struct Box : ::testing::Test {
  ext::TExtMemoryData ds;
  db::TDataSource src{nullptr};
  TDBCheckBoxValueEx box;
  int clicks = 0;

  void SetUp() override {
    ds.FieldDefs().Add(u"S", db::ftString, 10);
    ds.FieldDefs().Add(u"B", db::ftBoolean);
    ds.Open();
    ds.Append();
    ds.Post();
    src.SetDataSet(&ds);
    box.OnClick = [this](ui::TObject*) { ++clicks; };
  }
  void Bind(const char16_t* field) {
    box.DataLink().SetDataSource(&src);
    box.DataLink().SetFieldName(field);
  }
  void SetField(const char16_t* name, const char16_t* text) {
    ds.Edit();
    ds.FieldByName(name)->SetAsString(text);
    ds.Post();
  }
};

TEST_F(Box, UnboundValue) {
  EXPECT_TRUE(box.DataIndepended());
  EXPECT_EQ(box.State(), cbUnchecked);
  EXPECT_EQ(box.DataLink().DataIndependentValue.AsBoolean(), false);
  box.SetState(cbGrayed);
  EXPECT_TRUE(box.DataLink().DataIndependentValue.IsNull());
  box.SetChecked(true);
  EXPECT_EQ(box.DataLink().DataIndependentValue.AsBoolean(), true);
  EXPECT_EQ(clicks, 2);
}

TEST_F(Box, YesNoValueListsOnATextField) {
  box.SetValueChecked(u"Yes;Y");
  box.SetValueUnchecked(u"No;N");
  Bind(u"S");
  const std::pair<const char16_t*, ui::TCheckBoxState> table[] = {
      {u"y", cbChecked}, {u"YES", cbChecked}, {u"n", cbUnchecked}, {u"No", cbUnchecked},
      {u"maybe", cbGrayed}, {u"", cbGrayed},
  };
  for (const auto& [text, state] : table) {
    SetField(u"S", text);
    EXPECT_EQ(box.State(), state) << rtl::StringToUtf8(text);
    EXPECT_FALSE(box.Modified());
  }
  // Storing writes the first item of the list.
  ds.Edit();
  box.SetState(cbChecked);
  EXPECT_EQ(ds.FieldByName(u"S")->AsString(), u"Yes");
  box.SetState(cbUnchecked);
  EXPECT_EQ(ds.FieldByName(u"S")->AsString(), u"No");
  box.SetState(cbGrayed);
  EXPECT_TRUE(ds.FieldByName(u"S")->IsNull());
  ds.Post();
}

TEST_F(Box, TrailingSemicolonMatchesAnEmptyText) {
  EXPECT_TRUE(MatchesValueList(u"False;", u""));
  EXPECT_FALSE(MatchesValueList(u"False", u""));
  EXPECT_TRUE(MatchesValueList(u" a ; b ", u"B"));
  box.SetValueUnchecked(u"False;");
  Bind(u"S");
  SetField(u"S", u"");
  EXPECT_EQ(box.State(), cbUnchecked);
}

TEST_F(Box, BooleanFieldReadsThroughCustomListsButWritesABoolean) {
  Bind(u"B");
  EXPECT_EQ(box.State(), cbGrayed);  // null
  ds.Edit();
  ds.FieldByName(u"B")->SetAsBoolean(true);
  EXPECT_EQ(box.State(), cbChecked);
  ds.Post();

  box.SetValueChecked(u"Ja");
  box.SetValueUnchecked(u"Nein");
  // The field's text is "True", which no list holds.
  EXPECT_EQ(box.State(), cbGrayed);
  ds.Edit();
  box.SetState(cbUnchecked);
  EXPECT_EQ(ds.FieldByName(u"B")->Value().VarType(), rtl::varBoolean);
  EXPECT_FALSE(ds.FieldByName(u"B")->AsBoolean());
  ds.Post();
}

TEST_F(Box, ClickCycleWithAndWithoutGrayed) {
  Bind(u"S");
  SetField(u"S", u"False");
  box.SetAllowGrayed(true);
  const ui::TCheckBoxState cycle[] = {cbGrayed, cbChecked, cbUnchecked};
  for (auto expected : cycle) {
    box.ToggleState();
    EXPECT_EQ(box.State(), expected);
  }
  EXPECT_EQ(ds.State(), db::dsEdit);
  // The toggled state reaches the field when the record is posted.
  box.ToggleState();
  box.ToggleState();
  ds.Post();
  EXPECT_EQ(ds.FieldByName(u"S")->AsString(), u"True");

  box.SetAllowGrayed(false);
  box.ToggleState();
  EXPECT_EQ(box.State(), cbUnchecked);
  box.ToggleState();
  EXPECT_EQ(box.State(), cbChecked);
  ds.Cancel();
  EXPECT_EQ(box.State(), cbChecked);
}

TEST_F(Box, ReadOnlyDoesNotToggle) {
  Bind(u"S");
  box.SetReadOnly(true);
  box.ToggleState();
  EXPECT_EQ(box.State(), cbGrayed);
  EXPECT_EQ(ds.State(), db::dsBrowse);
}

TEST_F(Box, FailedStoreResetsAndRaises) {
  Bind(u"S");
  SetField(u"S", u"True");
  ds.FieldByName(u"S")->SetReadOnly(true);
  EXPECT_THROW(box.SetState(cbUnchecked), rtl::Exception);
  EXPECT_EQ(box.State(), cbChecked);
  EXPECT_EQ(ds.FieldByName(u"S")->AsString(), u"True");
}

TEST_F(Box, HandledUpdateSkipsTheStore) {
  Bind(u"S");
  int calls = 0;
  box.OnUpdateData = [&](ui::TObject*, bool& handled) {
    ++calls;
    handled = true;
  };
  ds.Edit();
  box.SetState(cbChecked);
  EXPECT_EQ(calls, 1);
  EXPECT_TRUE(ds.FieldByName(u"S")->IsNull());
  ds.Cancel();
}

}  // namespace
