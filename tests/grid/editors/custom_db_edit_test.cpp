// The data-aware edit over the in-memory dataset: when text reaches the
// field, the lazy start of editing, the focus-out commit and its failure,
// and the keys the editor handles itself.
#include <gtest/gtest.h>

#include "grid/editors/custom_db_edit_ex.h"
#include "platform/data/data_source.h"
#include "platform/ui/edits.h"
#include "components/extended/data/ext_memory_data.h"
#include "platform/ui/forms.h"
#include "tests/platform/ui/harness.h"
#include "platform/ui/keys.h"

using namespace db;
using ext::TExtMemoryData;
using grid::TCustomDBEditEx;
using rtl::Variant;

namespace {

struct DBEdit : ::testing::Test {
  uitest::Harness h;
  TExtMemoryData ds{nullptr};
  TDataSource src{nullptr};
  ui::TForm* form = nullptr;
  TCustomDBEditEx* edit = nullptr;
  ui::TEdit* other = nullptr;

  void SetUp() override {
    ds.FieldDefs().Add(u"A", ftInteger);
    ds.FieldDefs().Add(u"B", ftString, 20);
    ds.Open();
    ds.Append();
    ds.FieldByName(u"A")->SetAsInteger(1);
    ds.FieldByName(u"B")->SetAsString(u"first");
    ds.Post();
    src.SetDataSet(&ds);
    form = h.MakeForm<ui::TForm>();
    edit = new TCustomDBEditEx(form);
    edit->SetParent(form);
    edit->SetBounds(10, 10, 120, 21);
    other = new ui::TEdit(form);
    other->SetParent(form);
    other->SetBounds(10, 40, 120, 21);
  }
  void Bind(const char16_t* Field) {
    edit->SetDataSource(&src);
    edit->SetDataField(Field);
  }
  TField* F(const char16_t* Name) { return ds.FieldByName(Name); }
};

TEST_F(DBEdit, TextWriteOnABrowsingDataSetEditsAndStoresAtOnce) {
  Bind(u"B");
  EXPECT_EQ(edit->Text(), u"first");
  ASSERT_EQ(ds.State(), dsBrowse);
  edit->SetText(u"second");
  EXPECT_EQ(ds.State(), dsEdit);
  EXPECT_EQ(F(u"B")->AsString(), u"second");
  EXPECT_FALSE(edit->Modified());
  ds.Post();
  EXPECT_EQ(F(u"B")->AsString(), u"second");

  edit->SetValue(Variant(u"third"));
  EXPECT_EQ(F(u"B")->AsString(), u"third");
  edit->Clear();
  EXPECT_TRUE(F(u"B")->IsNull() || F(u"B")->AsString().empty());
}

TEST_F(DBEdit, FailedTextWriteReloadsTheFieldAndRaises) {
  Bind(u"A");
  EXPECT_THROW(edit->SetText(u"not a number"), std::exception);
  EXPECT_EQ(edit->Text(), u"1");
  EXPECT_EQ(F(u"A")->AsInteger(), 1);
}

TEST_F(DBEdit, TypingStartsEditingLazilyAndPostStores) {
  Bind(u"B");
  h.Show(form);
  edit->SetFocus();
  h.ProcessEvents();
  ASSERT_TRUE(edit->Focused());
  EXPECT_EQ(ds.State(), dsBrowse);
  EXPECT_TRUE(edit->TCustomEdit::ReadOnly());  // until a key changes something
  edit->SelectAll();
  h.Type(edit, u"typed");
  EXPECT_EQ(ds.State(), dsEdit);
  EXPECT_EQ(edit->Text(), u"typed");
  EXPECT_EQ(F(u"B")->AsString(), u"first");  // not before the commit
  ds.Post();
  EXPECT_EQ(F(u"B")->AsString(), u"typed");
}

TEST_F(DBEdit, LeavingTheEditorCommits) {
  Bind(u"B");
  h.Show(form);
  edit->SetFocus();
  h.ProcessEvents();
  edit->SelectAll();
  h.Type(edit, u"left");
  other->SetFocus();
  h.ProcessEvents();
  EXPECT_TRUE(other->Focused());
  EXPECT_EQ(F(u"B")->AsString(), u"left");
}

TEST_F(DBEdit, FailedExitFiresExitThenKeepsTheFocusWithTextSelected) {
  Bind(u"A");
  int exits = 0;
  edit->OnExit = [&](ui::TObject*) { ++exits; };
  h.Show(form);
  edit->SetFocus();
  h.ProcessEvents();
  edit->SelectAll();
  h.Type(edit, u"1-2");  // valid characters, no valid integer
  EXPECT_EQ(edit->Text(), u"1-2");
  h.AnswerMessageBox(1);
  other->SetFocus();
  h.ProcessEvents();
  ASSERT_EQ(h.MessageBoxes().size(), 1u);
  EXPECT_EQ(exits, 1);
  EXPECT_TRUE(edit->Focused());
  EXPECT_EQ(edit->SelLength(), static_cast<int>(edit->Text().size()));
  EXPECT_EQ(F(u"A")->AsInteger(), 1);
}

TEST_F(DBEdit, UpdateDataHandlerCanTakeOverTheStore) {
  Bind(u"B");
  String seen;
  edit->OnUpdateData = [&](ui::TObject*, bool& Handled) {
    seen = edit->Text();
    EXPECT_TRUE(edit->DataPosting());
    Handled = true;
  };
  edit->SetText(u"mine");
  EXPECT_EQ(seen, u"mine");
  EXPECT_EQ(F(u"B")->AsString(), u"first");
  EXPECT_FALSE(edit->Modified());
  EXPECT_FALSE(edit->DataPosting());
}

TEST_F(DBEdit, UnboundEditorHoldsAndStoresItsOwnValue) {
  edit->SetValue(Variant(7));
  EXPECT_EQ(edit->Text(), u"7");
  EXPECT_EQ(edit->DataLink()->DataIndependentValue.AsString(), u"7");
  EXPECT_TRUE(edit->IsValueStored());
  EXPECT_TRUE(edit->IsTextStored());
  Bind(u"B");
  EXPECT_FALSE(edit->IsValueStored());
  EXPECT_FALSE(edit->IsTextStored());
}

TEST_F(DBEdit, MaxLengthFollowsTheStringFieldOnly) {
  Bind(u"B");
  EXPECT_EQ(edit->MaxLength(), 20);
  edit->SetDataField(u"A");
  EXPECT_EQ(edit->MaxLength(), 0);
  edit->SetMaxLength(5);
  edit->SetDataField(u"B");
  EXPECT_EQ(edit->MaxLength(), 5);
  edit->SetDataField(u"A");
  EXPECT_EQ(edit->MaxLength(), 5);
}

TEST_F(DBEdit, KeysOfTheEditor) {
  Bind(u"A");
  h.Show(form);
  edit->SetFocus();
  h.ProcessEvents();
  edit->SetSelStart(1);
  h.Key(edit, 'A', ui::TShiftState{ui::ssCtrl, ui::ssShift});
  EXPECT_EQ(edit->SelLength(), 0);
  h.Key(edit, 'A', ui::TShiftState{ui::ssCtrl});
  EXPECT_EQ(edit->SelLength(), 1);

  h.Type(edit, u"42");
  EXPECT_EQ(edit->Text(), u"42");
  h.Key(edit, ui::VK_ESCAPE);  // drops the change
  h.ProcessEvents();
  EXPECT_EQ(edit->Text(), u"1");
  EXPECT_EQ(edit->SelLength(), 1);
}

}  // namespace
