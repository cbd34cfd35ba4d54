// Messages sent or posted by code reach the native editor, as typed input would.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>

#include "tests/platform/ui/harness.h"
#include "platform/ui/mask_edit.h"
#include "platform/ui/panels.h"
#include <QPlainTextEdit>
#include <QStyle>
#include <QWidget>

namespace {

using namespace ui;

class NativeMessageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form = h.MakeForm<TForm>();
    form->SetBounds(0, 0, 200, 120);
    edit = new TEdit(form);
    edit->SetParent(form);
    memo = new TMemo(form);
    memo->SetParent(form);
    memo->SetTop(30);
    h.Show(form);
    edit->SetFocus();
    edit->OnChange = [this](TObject*) { ++changes; };
  }
  uitest::Harness h;
  TForm* form = nullptr;
  TEdit* edit = nullptr;
  TMemo* memo = nullptr;
  int changes = 0;
};

TEST_F(NativeMessageTest, SentCharactersAreTypedIntoTheEditor) {
  edit->SetText(u"ab");
  changes = 0;
  edit->Perform(EM_SETSEL, 2, 2);
  edit->Perform(WM_CHAR, u'c');
  EXPECT_EQ(edit->Text(), u"abc");
  EXPECT_EQ(changes, 1);
  edit->Perform(WM_CHAR, 0x4E2D);  // a Chinese character
  edit->Perform(WM_CHAR, 0xD83D);  // one character in two halves
  edit->Perform(WM_CHAR, 0xDE00);
  EXPECT_EQ(edit->Text(), u"abc\u4E2D\U0001F600");
  edit->Perform(WM_CHAR, 8);  // backspace removes the whole pair
  edit->Perform(WM_CHAR, 8);
  EXPECT_EQ(edit->Text(), u"abc");
  edit->Perform(WM_CHAR, 27);  // Escape and Return are no text in a one-line editor
  edit->Perform(WM_CHAR, 13);
  edit->Perform(WM_CHAR, 9);
  EXPECT_EQ(edit->Text(), u"abc");

  // OnKeyPress sees a sent character first and may change it.
  edit->OnKeyPress = [](TObject*, char16_t& k) {
    if (k == u'x') k = u'y';
  };
  edit->Perform(WM_CHAR, u'x');
  EXPECT_EQ(edit->Text(), u"abcy");
  edit->SetReadOnly(true);
  edit->Perform(WM_CHAR, u'z');
  EXPECT_EQ(edit->Text(), u"abcy");

  memo->Perform(WM_CHAR, u'1');
  memo->Perform(WM_CHAR, 13);
  memo->Perform(WM_CHAR, u'2');
  EXPECT_EQ(memo->Text(), u"1\r\n2");
}

TEST_F(NativeMessageTest, PostedCharacterArrivesWithTheQueue) {
  edit->SetText(u"");
  PostMessage(edit, WM_CHAR, u'q');
  EXPECT_EQ(edit->Text(), u"");
  h.ProcessEvents();
  EXPECT_EQ(edit->Text(), u"q");
}

TEST_F(NativeMessageTest, SentKeysMoveTheCaretAndDelete) {
  edit->SetText(u"abcd");
  edit->Perform(EM_SETSEL, 0, 0);
  edit->Perform(WM_KEYDOWN, VK_RIGHT);
  edit->Perform(WM_KEYUP, VK_RIGHT);
  EXPECT_EQ(edit->SelStart(), 1);
  edit->Perform(WM_KEYDOWN, VK_DELETE);
  EXPECT_EQ(edit->Text(), u"acd");
  edit->Perform(WM_KEYDOWN, VK_END);
  EXPECT_EQ(edit->SelStart(), 3);
  // Backspace deletes through its character, not its key.
  edit->Perform(WM_KEYDOWN, VK_BACK);
  EXPECT_EQ(edit->Text(), u"acd");
  // A key the control swallows never reaches the editor.
  edit->OnKeyDown = [](TObject*, std::uint16_t& k, TShiftState) {
    if (k == VK_HOME) k = 0;
  };
  edit->Perform(WM_KEYDOWN, VK_HOME);
  EXPECT_EQ(edit->SelStart(), 3);
}

TEST_F(NativeMessageTest, TextMessagesSetAndReadTheText) {
  changes = 0;
  String value = u"新值 1";
  EXPECT_EQ(edit->Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(value.c_str())), 1);
  EXPECT_EQ(edit->Text(), value);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(edit->Perform(WM_GETTEXTLENGTH), 4);
  char16_t buf[3] = {u'?', u'?', u'?'};
  EXPECT_EQ(edit->Perform(WM_GETTEXT, 3, reinterpret_cast<LPARAM>(buf)), 2);
  EXPECT_EQ(String(buf), u"新值");
  memo->Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(u"a\r\nb"));
  EXPECT_EQ(memo->Lines()->Count(), 2);
  edit->Perform(WM_SETTEXT, 0, 0);
  EXPECT_EQ(edit->Text(), u"");
}

TEST_F(NativeMessageTest, SelectionMessagesFollowTheEditRules) {
  edit->SetText(u"hello");
  struct Case {
    std::intptr_t start, end;
    int selStart, selLength;
  } cases[] = {
      {1, 3, 1, 2},   // plain range
      {4, 2, 2, 2},   // reversed ends select the same range
      {0, -1, 0, 5},  // -1 selects to the end
      {2, 99, 2, 3},  // clamped to the text
      {-1, 0, 5, 0},  // -1 start drops the selection
  };
  for (const Case& c : cases) {
    if (c.start >= 0) edit->Perform(EM_SETSEL, 0, 0);
    else edit->Perform(EM_SETSEL, 0, -1);
    edit->Perform(EM_SETSEL, static_cast<WPARAM>(c.start), c.end);
    EXPECT_EQ(edit->SelStart(), c.selStart) << c.start << "," << c.end;
    EXPECT_EQ(edit->SelLength(), c.selLength) << c.start << "," << c.end;
  }
  edit->Perform(EM_SETSEL, 1, 4);
  std::uint32_t s = 0, e = 0;
  LRESULT r = edit->Perform(EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
  EXPECT_EQ(s, 1u);
  EXPECT_EQ(e, 4u);
  EXPECT_EQ(LoWord(r), 1);
  EXPECT_EQ(HiWord(r), 4);
  memo->SetText(u"line");
  memo->Perform(EM_SETSEL, 1, 3);
  EXPECT_EQ(memo->SelText(), u"in");
}

TEST_F(NativeMessageTest, ClipboardMessagesCutCopyAndPaste) {
  QClipboard* cb = QApplication::clipboard();
  edit->SetText(u"copy me");
  edit->Perform(EM_SETSEL, 0, 4);
  edit->Perform(WM_COPY);
  EXPECT_EQ(cb->text(), QStringLiteral("copy"));
  EXPECT_EQ(edit->Text(), u"copy me");

  edit->Perform(EM_SETSEL, 4, 7);
  edit->Perform(WM_CUT);
  EXPECT_EQ(cb->text(), QStringLiteral(" me"));
  EXPECT_EQ(edit->Text(), u"copy");

  edit->Perform(EM_SETSEL, 0, 0);
  edit->Perform(WM_PASTE);
  EXPECT_EQ(edit->Text(), u" mecopy");
  EXPECT_EQ(edit->Perform(WM_UNDO), 1);
  EXPECT_EQ(edit->Text(), u"copy");

  // Ctrl+V as a character pastes too.
  edit->Perform(EM_SETSEL, 4, 4);
  edit->Perform(WM_CHAR, 22);
  EXPECT_EQ(edit->Text(), u"copy me");

  // A read-only editor copies but neither cuts nor pastes.
  edit->SetReadOnly(true);
  edit->Perform(EM_SETSEL, 0, 4);
  edit->Perform(WM_CUT);
  edit->Perform(WM_PASTE);
  EXPECT_EQ(edit->Text(), u"copy me");
  EXPECT_EQ(edit->Perform(WM_UNDO), 0);

  cb->setText(QStringLiteral("x"));
  memo->SetText(u"ab");
  memo->Perform(EM_SETSEL, 1, 1);
  memo->Perform(WM_PASTE);
  EXPECT_EQ(memo->Text(), u"axb");
}

}  // namespace

namespace {

TEST_F(NativeMessageTest, TypedTextSurvivesAWindowMadeAnew) {
  h.Type(edit, u"typed");
  h.Type(memo, u"memo");
  edit->RecreateWnd();
  memo->RecreateWnd();
  EXPECT_EQ(edit->Text(), u"typed");
  EXPECT_EQ(memo->Text(), u"memo");
}

TEST(MultiLineMaskEditTest, WindowSwapKeepsTextLimitAndFormattingRectangle) {
  uitest::Harness h;
  auto* form = h.MakeForm<TForm>();
  form->SetBounds(0, 0, 240, 160);
  auto* edit = new TCustomMaskEdit(form);
  edit->SetParent(form);
  edit->SetBounds(10, 10, 120, 80);
  edit->SetText(u"first");
  h.Show(form);
  // One line: the single-line window answers the line queries too, and
  // keeps its formatting rectangle, as the edit window does.
  EXPECT_EQ(edit->LineCount(), 1);
  EXPECT_EQ(edit->LineFromChar(3), 0);
  const TRect single = edit->FormattingRect();
  edit->SetFormattingRect(Rect(5, 5, 50, 50));
  EXPECT_EQ(edit->FormattingRect(), single);

  int changes = 0;
  edit->OnChange = [&](TObject*) { ++changes; };
  edit->SetMultiLine(true);
  edit->SetMaxLength(12);
  EXPECT_EQ(edit->Text(), u"first");
  edit->SetText(u"one\r\ntwo");
  EXPECT_EQ(edit->Text(), u"one\r\ntwo");
  EXPECT_EQ(edit->LineCount(), 2);
  EXPECT_EQ(edit->LineFromChar(4), 1);
  const TRect r = Rect(6, 4, 100, 70);
  edit->SetFormattingRect(r);
  EXPECT_EQ(edit->FormattingRect(), r);

  // Typing past the limit is cut off; every change is told.
  edit->SetFocus();
  edit->SetSelStart(static_cast<int>(edit->EditText().size()));
  changes = 0;
  h.Type(edit, u"abcdef");
  EXPECT_EQ(edit->Text(), u"one\r\ntwoabcd") << "a line end counts two, as CR LF";
  EXPECT_GT(changes, 0);

  // A window made anew keeps the rectangle.
  edit->RecreateWnd();
  EXPECT_EQ(edit->FormattingRect(), r);
  EXPECT_EQ(edit->Text(), u"one\r\ntwoabcd");
}

}  // namespace

namespace {

// The width the window draws its caret with: the line editor asks its
// style, the multi-line one its own setting.
int CaretWidth(QWidget* w) {
  if (auto* m = qobject_cast<QPlainTextEdit*>(w)) return m->cursorWidth();
  return w->style()->pixelMetric(QStyle::PM_TextCursorWidth, nullptr, w);
}

TEST(CaretTest, HiddenCaretIsDrawnZeroWideAndHidingCounts) {
  uitest::Harness h;
  auto* form = h.MakeForm<TForm>();
  form->SetBounds(0, 0, 240, 160);
  auto* single = new TCustomMaskEdit(form);
  single->SetParent(form);
  single->SetBounds(10, 10, 100, 24);
  auto* multi = new TCustomMaskEdit(form);
  multi->SetParent(form);
  multi->SetBounds(10, 50, 100, 60);
  multi->SetMultiLine(true);
  auto* label = new TPanel(form);
  label->SetParent(form);
  EXPECT_FALSE(HideCaret(label)) << "only edits have a caret";
  h.Show(form);
  for (TCustomMaskEdit* e : {single, multi}) {
    SCOPED_TRACE(e == single ? "single line" : "multi-line");
    e->SetFocus();
    h.ProcessEvents();
    EXPECT_TRUE(e->CaretShown());
    EXPECT_GT(CaretWidth(e->Widget()), 0);
    ASSERT_TRUE(HideCaret(e));
    ASSERT_TRUE(HideCaret(e));
    EXPECT_EQ(CaretWidth(e->Widget()), 0);
    ShowCaret(e);
    EXPECT_FALSE(e->CaretShown()) << "hidden twice, shown once";
    ShowCaret(e);
    ShowCaret(e);  // one too many changes nothing
    EXPECT_TRUE(e->CaretShown());
    EXPECT_GT(CaretWidth(e->Widget()), 0);
    HideCaret(e);
    e->RecreateWnd();  // the window made anew keeps it hidden
    e->SetFocus();
    h.ProcessEvents();
    EXPECT_EQ(CaretWidth(e->Widget()), 0);
    ShowCaret(e);
  }
  // Freed while hidden: nothing is left behind.
  HideCaret(single);
  Free(single);
}

}  // namespace
