// The check box control on a form over the in-memory dataset: value lists,
// the grayed cycle by mouse and keyboard, posting, read-only, and its look.
#include <gtest/gtest.h>

#include "grid/editors/custom_db_check_box_ex.h"
#include "platform/data/data_source.h"
#include "platform/ui/edits.h"
#include "platform/runtime/exceptions.h"
#include "platform/ui/forms.h"
#include "platform/ui/keys.h"
#include "components/extended/data/ext_memory_data.h"
#include "tests/platform/ui/harness.h"

using namespace grid;
using ui::cbChecked;
using ui::cbGrayed;
using ui::cbUnchecked;

namespace {

struct CheckBoxControl : ::testing::Test {
  uitest::Harness h;
  ui::TForm* form = nullptr;
  ext::TExtMemoryData ds;
  db::TDataSource src{nullptr};
  TDBCheckBoxEx* box = nullptr;
  ui::TEdit* other = nullptr;
  int clicks = 0;

  void SetUp() override {
    ds.FieldDefs().Add(u"S", db::ftString, 10);
    ds.FieldDefs().Add(u"B", db::ftBoolean);
    ds.Open();
    ds.Append();
    ds.FieldByName(u"S")->SetAsString(u"n");
    ds.Post();
    src.SetDataSet(&ds);
    form = h.MakeForm<ui::TForm>();
    form->SetBounds(0, 0, 160, 60);
    other = new ui::TEdit(form);
    other->SetParent(form);
    other->SetBounds(4, 30, 100, 22);
    box = new TDBCheckBoxEx(form);
    box->SetParent(form);
    box->SetBounds(4, 4, 120, 20);
    box->SetCaption(u"已启用");
    box->OnClick = [this](ui::TObject*) { ++clicks; };
    h.Show(form);
  }
  void Bind(const char16_t* field) {
    box->SetDataSource(&src);
    box->SetDataField(field);
  }
  void SetField(const char16_t* text) {
    ds.Edit();
    ds.FieldByName(u"S")->SetAsString(text);
    ds.Post();
  }
};

TEST_F(CheckBoxControl, NewBoxLooksLikeTheDefaults) {
  EXPECT_EQ(box->State(), cbUnchecked);
  EXPECT_EQ(box->ValueChecked(), u"True");
  EXPECT_EQ(box->ValueUnchecked(), u"False");
  EXPECT_EQ(box->Alignment(), ui::taRightJustify);
  EXPECT_TRUE(box->TabStop());
  EXPECT_FALSE(box->IsStateStored());
  box->SetState(cbGrayed);
  EXPECT_TRUE(box->Value().DataLink().DataIndependentValue.IsNull());
  EXPECT_TRUE(box->IsStateStored());
}

TEST_F(CheckBoxControl, YesNoListsReadAndStoreThroughTheControl) {
  box->SetValueChecked(u"Yes;Y");
  box->SetValueUnchecked(u"No;N");
  Bind(u"S");
  const std::pair<const char16_t*, ui::TCheckBoxState> table[] = {
      {u"y", cbChecked}, {u"Yes", cbChecked}, {u"n", cbUnchecked}, {u"NO", cbUnchecked}, {u"x", cbGrayed},
  };
  for (const auto& [text, state] : table) {
    SetField(text);
    EXPECT_EQ(box->State(), state) << rtl::StringToUtf8(text);
  }
  SetField(u"n");
  box->SetChecked(true);
  EXPECT_EQ(ds.State(), db::dsEdit);
  EXPECT_EQ(ds.FieldByName(u"S")->AsString(), u"Yes");
  ds.Post();
}

TEST_F(CheckBoxControl, ClickPostsIntoTheDataset) {
  box->SetValueChecked(u"Yes;Y");
  box->SetValueUnchecked(u"No;N");
  Bind(u"S");
  EXPECT_EQ(box->State(), cbUnchecked);
  h.Click(box);
  EXPECT_TRUE(box->Focused());
  EXPECT_EQ(box->State(), cbChecked);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(ds.State(), db::dsEdit);
  // Leaving the box stores the state into the record.
  other->SetFocus();
  h.ProcessEvents();
  EXPECT_EQ(ds.FieldByName(u"S")->AsString(), u"Yes");
  ds.Post();
  EXPECT_EQ(ds.FieldByName(u"S")->AsString(), u"Yes");
}

TEST_F(CheckBoxControl, GrayedCycleByMouseAndSpace) {
  Bind(u"B");
  box->SetAllowGrayed(true);
  ds.Edit();
  ds.FieldByName(u"B")->SetAsBoolean(false);
  ds.Post();
  ASSERT_EQ(box->State(), cbUnchecked);
  const ui::TCheckBoxState cycle[] = {cbGrayed, cbChecked, cbUnchecked};
  for (auto expected : cycle) {
    h.Click(box);
    EXPECT_EQ(box->State(), expected);
  }
  for (auto expected : cycle) {
    h.Key(box, ui::VK_SPACE);
    EXPECT_EQ(box->State(), expected);
  }
  // Without AllowGrayed the cycle skips grayed.
  box->SetAllowGrayed(false);
  h.Key(box, ui::VK_SPACE);
  EXPECT_EQ(box->State(), cbChecked);
  other->SetFocus();
  h.ProcessEvents();
  ds.Post();
  EXPECT_TRUE(ds.FieldByName(u"B")->AsBoolean());
}

TEST_F(CheckBoxControl, ReadOnlyRefusesToggling) {
  Bind(u"B");
  box->SetReadOnly(true);
  EXPECT_EQ(box->State(), cbGrayed);
  clicks = 0;  // loading the null field made it grayed
  h.Click(box);
  h.Key(box, ui::VK_SPACE);
  EXPECT_EQ(box->State(), cbGrayed);
  EXPECT_EQ(clicks, 0);
  EXPECT_EQ(ds.State(), db::dsBrowse);
}

TEST_F(CheckBoxControl, FailedStoreOnExitKeepsTheFocus) {
  Bind(u"S");
  box->OnUpdateData = [](ui::TObject*, bool&) { throw rtl::Exception(u"拒绝"); };
  h.Click(box);
  ASSERT_TRUE(box->Focused());
  h.AnswerMessageBox(1);
  other->SetFocus();
  h.ProcessEvents();
  EXPECT_EQ(h.MessageBoxes().size(), 1u);
  EXPECT_TRUE(box->Focused());
  box->OnUpdateData = nullptr;
  ds.Cancel();
}

TEST_F(CheckBoxControl, PaintsTheBoxAndCaption) {
  box->SetChecked(true);
  box->SetFocus();
  h.ProcessEvents();
  const std::string file = h.SaveScreenshot(form, "db_check_box_checked_focused");
  EXPECT_FALSE(file.empty());
  // The box sits at the left edge, vertically centred; its frame differs
  // from the form's background, and the caption stands right of it.
  const ui::TColor background = h.PixelAt(box, box->Width() - 2, 1);
  bool frameSeen = false;
  for (int x = 0; x < 14 && !frameSeen; ++x) frameSeen = h.PixelAt(box, x, box->Height() / 2) != background;
  EXPECT_TRUE(frameSeen);
  bool textSeen = false;
  for (int x = 20; x < 60 && !textSeen; ++x)
    for (int y = 2; y < box->Height() - 2 && !textSeen; ++y) textSeen = h.PixelAt(box, x, y) != background;
  EXPECT_TRUE(textSeen);

  box->SetAlignment(ui::taLeftJustify);
  box->SetEnabled(false);
  h.ProcessEvents();
  EXPECT_FALSE(h.SaveScreenshot(form, "db_check_box_left_disabled").empty());
  bool rightFrame = false;
  for (int x = box->Width() - 14; x < box->Width() && !rightFrame; ++x)
    rightFrame = h.PixelAt(box, x, box->Height() / 2) != h.PixelAt(box, box->Width() / 2, 1);
  EXPECT_TRUE(rightFrame);
}

}  // namespace
