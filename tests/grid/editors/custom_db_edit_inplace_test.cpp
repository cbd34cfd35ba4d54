// The data-aware edit shown by a holder (in-place mode) and its drop-down of
// recently entered texts.
#include <gtest/gtest.h>

#include "grid/editors/custom_db_edit_ex.h"
#include "platform/runtime/exceptions.h"
#include "platform/ui/forms.h"
#include "tests/platform/ui/harness.h"
#include "platform/ui/keys.h"
#include "grid/editor_support/mru_list.h"
#include "platform/runtime/ticks.h"
#include "grid/editor_support/tool_routines.h"

using grid::TCustomDBEditEx;
using ui::TRect;

namespace {

// A holder that records what it is asked and can veto keys and editing.
class Holder : public ui::TCustomControl, public grid::IInplaceEditHolderEx {
 public:
  explicit Holder(ui::TComponent* Owner) : TCustomControl(Owner) { SetTabStop(true); }
  bool CanModify = true;
  char16_t SwallowChar = 0;
  ui::TPoint PressPos{};
  std::uint32_t PressTime = 0;
  int Messages = 0;

  bool InplaceEditCanModify(ui::TControl*) override { return CanModify; }
  bool GetMouseDownInfo(ui::TPoint& Pos, std::uint32_t& Time) override {
    Pos = PressPos;
    Time = PressTime;
    PressTime = 0;
    return true;
  }
  void InplaceEditWndProc(ui::TControl*, ui::TMessage&) override { ++Messages; }
  void InplaceEditKeyDown(ui::TControl*, std::uint16_t&, ui::TShiftState) override {}
  void InplaceEditKeyPress(ui::TControl*, char16_t& Key) override {
    if (Key == SwallowChar) Key = 0;
  }
  void InplaceEditKeyUp(ui::TControl*, std::uint16_t&, ui::TShiftState) override {}
};

struct InplaceEdit : ::testing::Test {
  uitest::Harness h;
  ui::TForm* form = nullptr;
  Holder* holder = nullptr;
  TCustomDBEditEx* edit = nullptr;

  void SetUp() override {
    grid::SetKeyInQueueProbe([] { return false; });
    grid::SetWorkAreaProvider([](const TRect&) { return ui::Rect(0, 0, 1024, 768); });
    form = h.MakeForm<ui::TForm>();
    form->SetBounds(0, 0, 320, 240);
    holder = new Holder(form);
    holder->SetParent(form);
    holder->SetBounds(10, 10, 300, 200);
    edit = new TCustomDBEditEx(form);
    edit->SetParent(holder);
    edit->SetBounds(10, 10, 120, 21);
  }
  void TearDown() override {
    grid::SetWorkAreaProvider(nullptr);
    grid::SetKeyInQueueProbe(nullptr);
  }
};

TEST_F(InplaceEdit, HolderMustOfferTheHolderInterface) {
  auto* plain = new ui::TPanel(form);
  try {
    edit->SetInplaceEditHolder(plain);
    FAIL() << "a plain panel was taken as holder";
  } catch (const rtl::Exception& e) {
    EXPECT_EQ(e.Message(), u"InplaceEditHolder have to support IInplaceEditHolderEx interface");
  }
  EXPECT_FALSE(edit->InplaceMode());
  edit->SetInplaceEditHolder(holder);
  EXPECT_TRUE(edit->InplaceMode());
  edit->SetInplaceEditHolder(nullptr);
  EXPECT_FALSE(edit->InplaceMode());
}

TEST_F(InplaceEdit, HolderShowsAndHidesTheWindowByPlacingIt) {
  h.Show(form);
  edit->SetInplaceEditHolder(holder);
  edit->Move(ui::Rect(20, 30, 140, 51));
  EXPECT_TRUE(edit->Visible());
  EXPECT_EQ(edit->BoundsRect(), ui::Rect(20, 30, 140, 51));

  edit->SetVisible(false);
  EXPECT_FALSE(edit->Visible());
  EXPECT_TRUE(edit->TControl::Visible());  // the control's own flag is untouched
  EXPECT_FALSE(edit->Showing());

  edit->UpdateLoc(ui::Rect(20, 60, 140, 81));
  EXPECT_TRUE(edit->Visible());
  edit->Move(ui::Rect(0, 0, 0, 0));  // an empty rectangle hides
  EXPECT_FALSE(edit->Visible());

  // A hidden in-place editor does not take the focus.
  edit->SetFocus();
  h.ProcessEvents();
  EXPECT_FALSE(edit->Focused());
}

TEST_F(InplaceEdit, FocusInTheEditorCountsAsTheHoldersOnTheForm) {
  auto* other = new ui::TEdit(form);
  other->SetParent(form);
  other->SetBounds(10, 215, 80, 21);
  int enters = 0;
  edit->OnEnter = [&](ui::TObject*) { ++enters; };
  h.Show(form);
  other->SetFocus();
  h.ProcessEvents();
  enters = 0;
  edit->SetInplaceEditHolder(holder);
  edit->Move(ui::Rect(20, 30, 140, 51));
  edit->SetFocus();
  h.ProcessEvents();
  ASSERT_TRUE(edit->Focused());
  EXPECT_EQ(form->ActiveControl(), holder);
  EXPECT_EQ(enters, 1);

  // A holder on another form is refused by the editor's form: the focus
  // message goes unanswered.
  auto* otherForm = h.MakeForm<ui::TForm>();
  auto* stranger = new Holder(otherForm);
  stranger->SetParent(otherForm);
  other->SetFocus();
  h.ProcessEvents();
  edit->SetInplaceEditHolder(stranger);
  edit->Move(ui::Rect(20, 30, 140, 51));
  enters = 0;
  edit->Perform(ui::WM_SETFOCUS);
  EXPECT_EQ(enters, 0);
  EXPECT_EQ(form->ActiveControl(), other);
  edit->OnEnter = nullptr;  // the count goes before the form does

  // The holder freed before the editor takes in-place mode with it.
  delete otherForm;
  EXPECT_FALSE(edit->InplaceMode());
  edit->Perform(ui::WM_SETFOCUS);
}

TEST_F(InplaceEdit, HolderSeesMessagesKeysAndDecidesEditing) {
  h.Show(form);
  edit->SetInplaceEditHolder(holder);
  edit->Move(ui::Rect(20, 30, 140, 51));
  edit->SetFocus();
  h.ProcessEvents();
  ASSERT_TRUE(edit->Focused());
  EXPECT_GT(holder->Messages, 0);

  holder->SwallowChar = u'x';
  h.Type(edit, u"axb");
  EXPECT_EQ(edit->Text(), u"ab");

  holder->CanModify = false;
  edit->SetReadOnly(true);
  edit->SetReadOnly(false);
  EXPECT_TRUE(edit->TCustomEdit::ReadOnly());
  holder->CanModify = true;
  edit->SetReadOnly(true);
  edit->SetReadOnly(false);
  EXPECT_FALSE(edit->TCustomEdit::ReadOnly());
}

TEST_F(InplaceEdit, PressOnTheHolderThenOnTheEditorMakesADoubleClick) {
  h.Show(form);
  edit->SetInplaceEditHolder(holder);
  edit->Move(ui::Rect(20, 30, 140, 51));
  int dbl = 0;
  edit->OnDblClick = [&](ui::TObject*) { ++dbl; };
  const ui::TPoint at = ui::Point(30, 10);
  holder->PressPos = edit->ClientToScreen(at);
  holder->PressTime = rtl::GetTickCount();
  h.Advance(100);
  h.MouseDown(edit, at);
  h.MouseUp(edit, at);
  EXPECT_EQ(dbl, 1);

  // Too late for a double click: an ordinary press.
  holder->PressPos = edit->ClientToScreen(at);
  holder->PressTime = rtl::GetTickCount();
  h.Advance(grid::EditorSystemMetrics().DoubleClickTime + 100);
  h.MouseDown(edit, at);
  h.MouseUp(edit, at);
  EXPECT_EQ(dbl, 1);
}

struct RecentTexts : InplaceEdit {
  grid::TMRUListboxEx* List() { return edit->MRUListControl(); }
  std::vector<ui::String> Shown() {
    std::vector<ui::String> out;
    for (int i = 0; i < List()->Items()->Count(); ++i) out.push_back(List()->Items()->Get(i));
    return out;
  }
  void SetUp() override {
    InplaceEdit::SetUp();
    edit->SetParent(form);
    edit->MRUList()->SetActive(true);
    for (const char16_t* s : {u"apple", u"banana", u"Apricot"}) edit->MRUList()->Items()->Add(s);
    h.Show(form);
    holder->SetFocus();
    h.ProcessEvents();
    edit->SetFocus();
    h.ProcessEvents();
    ASSERT_TRUE(edit->IsFocusedEditor());
  }
};

TEST_F(RecentTexts, TypingShowsTheTextsStartingWithIt) {
  h.Type(edit, u"ap");
  ASSERT_TRUE(edit->MRUList()->DroppedDown());
  EXPECT_EQ(Shown(), (std::vector<ui::String>{u"apple", u"Apricot"}));

  edit->MRUList()->CloseUp(false);
  edit->Clear();
  edit->MRUList()->SetCaseSensitive(true);
  h.Type(edit, u"ap");
  EXPECT_EQ(Shown(), (std::vector<ui::String>{u"apple"}));

  // No match closes the open list.
  h.Type(edit, u"z");
  EXPECT_FALSE(edit->MRUList()->DroppedDown());
}

TEST_F(RecentTexts, TypedCharactersReachTheTextWhileKeysMoveTheList) {
  h.Type(edit, u"a");
  ASSERT_TRUE(edit->MRUList()->DroppedDown());
  EXPECT_EQ(List()->ItemIndex(), -1);
  // '(' has the key value of Down and '!' of Page Up: as characters they are text.
  h.Type(edit, u"(!");
  EXPECT_EQ(edit->Text(), u"a(!");
  EXPECT_EQ(List()->ItemIndex(), -1);

  edit->SelectAll();
  h.Type(edit, u"b");
  ASSERT_TRUE(edit->MRUList()->DroppedDown());
  h.Key(edit, ui::VK_DOWN);
  EXPECT_EQ(List()->ItemIndex(), 0);
  h.Key(edit, ui::VK_RETURN);
  EXPECT_FALSE(edit->MRUList()->DroppedDown());
  EXPECT_EQ(edit->Text(), u"banana");
}

TEST_F(RecentTexts, EscapeClosesWithoutTouchingTheTextAndCommitsAreRemembered) {
  h.Type(edit, u"ban");
  ASSERT_TRUE(edit->MRUList()->DroppedDown());
  h.Key(edit, ui::VK_DOWN);
  h.Key(edit, ui::VK_ESCAPE);
  EXPECT_FALSE(edit->MRUList()->DroppedDown());
  EXPECT_EQ(edit->Text(), u"ban");

  edit->UpdateData();
  EXPECT_EQ(edit->MRUList()->Items()->Get(edit->MRUList()->Items()->Count() - 1), u"ban");

  // Backspacing to nothing offers every remembered text.
  for (int i = 0; i < 3; ++i) h.Key(edit, ui::VK_BACK);
  ASSERT_EQ(edit->Text(), u"");
  EXPECT_TRUE(edit->MRUList()->DroppedDown());
  EXPECT_EQ(List()->Items()->Count(), 4);
}

}  // namespace
