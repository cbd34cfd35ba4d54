// The standard edit actions: they act on the focused edit control, only
// while it can take them, and give way to a control that takes them itself.
#include <gtest/gtest.h>

#include <string>

#include "platform/ui/clipboard.h"
#include "platform/ui/std_actions.h"
#include "tests/platform/ui/harness.h"

namespace {

using namespace ui;

// Takes the copy action itself while it holds the focus, as a grid does.
class TCopyTaker : public TCustomControl {
 public:
  using TCustomControl::TCustomControl;
  bool canCopy = true;
  int copies = 0;
  bool ExecuteAction(TBasicAction* Action) override {
    if (dynamic_cast<TEditCopy*>(Action) && Focused() && canCopy) {
      ++copies;
      return true;
    }
    return TCustomControl::ExecuteAction(Action);
  }
  bool UpdateAction(TBasicAction* Action) override {
    if (auto* copy = dynamic_cast<TEditCopy*>(Action); copy && Focused()) {
      copy->SetEnabled(canCopy);
      return true;
    }
    return TCustomControl::UpdateAction(Action);
  }
};

class EditActionsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form = h.MakeForm<TForm>();
    form->SetBounds(0, 0, 300, 120);
    edit = new TEdit(form);
    edit->SetParent(form);
    other = new TEdit(form);
    other->SetParent(form);
    other->SetTop(30);
    taker = new TCopyTaker(form);
    taker->SetParent(form);
    taker->SetBounds(0, 60, 50, 20);
    taker->SetTabStop(true);
    cut = new TEditCut(form);
    copy = new TEditCopy(form);
    paste = new TEditPaste(form);
    selectAll = new TEditSelectAll(form);
    del = new TEditDelete(form);
    h.Show(form);
    Clipboard()->SetAsText(u"XY");
  }
  // "cut copy paste all delete" as 1/0 after an update.
  std::string Enabled() {
    std::string r;
    for (TEditAction* a : {static_cast<TEditAction*>(cut), static_cast<TEditAction*>(copy),
                           static_cast<TEditAction*>(paste), static_cast<TEditAction*>(selectAll),
                           static_cast<TEditAction*>(del)}) {
      a->Update();
      r += a->Enabled() ? '1' : '0';
    }
    return r;
  }
  void Prepare(TEdit* e, const char16_t* text, int selStart, int selLength, bool readOnly) {
    e->SetReadOnly(readOnly);
    e->SetText(text);
    e->SetFocus();
    e->SetSelStart(selStart);
    e->SetSelLength(selLength);
  }
  uitest::Harness h;
  TForm* form = nullptr;
  TEdit* edit = nullptr;
  TEdit* other = nullptr;
  TCopyTaker* taker = nullptr;
  TEditCut* cut = nullptr;
  TEditCopy* copy = nullptr;
  TEditPaste* paste = nullptr;
  TEditSelectAll* selectAll = nullptr;
  TEditDelete* del = nullptr;
};

TEST_F(EditActionsTest, EachIsEnabledOnlyWhenTheFocusedEditCanTakeIt) {
  struct Case {
    const char* what;
    const char16_t* text;
    int selStart, selLength;
    bool readOnly;
    const char* enabled;  // cut copy paste all delete
  };
  const Case cases[] = {
      {"selection", u"hello", 1, 2, false, "11111"},
      {"no selection", u"hello", 2, 0, false, "00110"},
      {"empty", u"", 0, 0, false, "00100"},
      {"read-only selection", u"hello", 1, 2, true, "01010"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Prepare(edit, c.text, c.selStart, c.selLength, c.readOnly);
    ASSERT_TRUE(edit->Focused());
    EXPECT_EQ(Enabled(), c.enabled);
  }
  // No edit control holds the focus: nothing is enabled.
  taker->SetFocus();
  ASSERT_TRUE(taker->Focused());
  taker->canCopy = false;
  EXPECT_EQ(Enabled(), "00000");
  // An action bound to one control ignores another that has the focus.
  Prepare(other, u"abc", 0, 3, false);
  copy->SetControl(edit);
  copy->Update();
  EXPECT_FALSE(copy->Enabled());
  copy->SetControl(nullptr);
  copy->Update();
  EXPECT_TRUE(copy->Enabled());
}

TEST_F(EditActionsTest, ExecutingWorksOnTheFocusedEditAndOnlyWhenEnabled) {
  Prepare(edit, u"hello", 1, 2, false);
  EXPECT_TRUE(copy->Execute());
  EXPECT_EQ(Clipboard()->AsText(), u"el");
  EXPECT_TRUE(cut->Execute());
  EXPECT_EQ(edit->Text(), u"hlo");
  Clipboard()->SetAsText(u"XY");
  EXPECT_TRUE(paste->Execute());
  EXPECT_EQ(edit->Text(), u"hXYlo");
  EXPECT_TRUE(selectAll->Execute());
  EXPECT_EQ(edit->SelLength(), 5);
  EXPECT_TRUE(del->Execute());
  EXPECT_EQ(edit->Text(), u"");
  // Nothing selected: copy is disabled and leaves the clipboard alone.
  Prepare(edit, u"abc", 1, 0, false);
  EXPECT_FALSE(copy->Execute());
  EXPECT_EQ(Clipboard()->AsText(), u"XY");
  // Read-only: paste is refused, the text stays.
  Prepare(edit, u"abc", 1, 0, true);
  EXPECT_FALSE(paste->Execute());
  EXPECT_EQ(edit->Text(), u"abc");

  // A control that takes the action itself gets it while it has the focus.
  taker->SetFocus();
  EXPECT_TRUE(copy->Execute());
  EXPECT_EQ(taker->copies, 1);
  EXPECT_FALSE(cut->Execute());
}

TEST_F(EditActionsTest, AFreedControlIsForgotten) {
  copy->SetControl(other);
  Free(other);
  other = nullptr;
  EXPECT_EQ(copy->Control(), nullptr);
}

}  // namespace
