// The spin edit through the window layer: keys, mouse, wheel, the repeat of
// its button on the test clock, range errors and number display.
#include <gtest/gtest.h>

#include <QFileInfo>
#include <limits>

#include "components/extended/ext_draw_utils.h"
#include "components/extended/ext_spin.h"
#include "tests/components/extended/ext_test_util.h"

namespace {

using namespace ext;
using exttest::BeepCounter;
using exttest::ErrorCatcher;
using exttest::Separators;

class SpinTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ui::SetThemesEnabled(false);
    form = h.MakeForm<ui::TForm>();
    form->SetBounds(0, 0, 260, 120);
    spin = new TExtSpinEdit(form);
    spin->SetParent(form);
    spin->SetBounds(10, 10, 120, 24);
    other = new ui::TEdit(form);
    other->SetParent(form);
    other->SetBounds(10, 60, 120, 24);
  }
  void TearDown() override { ui::SetThemesEnabled(true); }
  // The layouts set bounds and value as the program's port field does.
  void PortField() {
    spin->SetCheckOptions({coCheckOnExit});
    spin->SetMinValue(1024);
    spin->SetMaxValue(65535);
    spin->SetValue(8888);
  }
  void Focus(ui::TWinControl* c) {
    c->SetFocus();
    h.ProcessEvents();
  }
  Separators seps;
  uitest::Harness h;
  ui::TForm* form = nullptr;
  TExtSpinEdit* spin = nullptr;
  ui::TEdit* other = nullptr;
};

TEST_F(SpinTest, LeavingWithAValueOutOfRangeRaisesAndKeepsTheFocus) {
  PortField();
  EXPECT_TRUE(spin->CheckMinValue());
  EXPECT_TRUE(spin->CheckMaxValue());
  EXPECT_EQ(spin->Text(), u"8888");
  h.Show(form);
  ErrorCatcher errors;
  Focus(spin);
  spin->SelectAll();
  h.Type(spin, u"70000");
  EXPECT_EQ(spin->Text(), u"70000");
  Focus(other);
  ASSERT_EQ(errors.messages.size(), 1u);
  EXPECT_EQ(errors.messages[0], "Value must be between 1024 and 65535");
  EXPECT_TRUE(spin->Focused());
  EXPECT_EQ(spin->AsInteger(), 70000);  // still the text until corrected

  spin->SelectAll();
  h.Type(spin, u"2000");
  Focus(other);
  EXPECT_EQ(errors.messages.size(), 1u);
  EXPECT_TRUE(other->Focused());
  EXPECT_EQ(spin->AsInteger(), 2000);

  // With crop on, leaving clamps silently.
  spin->SetCheckOptions({coCheckOnExit, coCropBeyondLimit});
  Focus(spin);
  spin->SelectAll();
  h.Type(spin, u"80");
  Focus(other);
  EXPECT_EQ(errors.messages.size(), 1u);
  EXPECT_EQ(spin->Text(), u"1024");
}

TEST_F(SpinTest, NumberDisplayAndAsInteger) {
  struct Row {
    TValueType type;
    bool thousands;
    int decimal;
    const char16_t* text;  // typed text, or nullptr to set Value
    double value;
    const char16_t* shown;
    std::int32_t asInteger;
  };
  const std::int32_t maxI = std::numeric_limits<std::int32_t>::max();
  const std::int32_t minI = std::numeric_limits<std::int32_t>::min();
  const Row rows[] = {
      {vtInteger, true, 0, nullptr, 1234567, u"1,234,567", 1234567},
      {vtInteger, false, 0, nullptr, 1234567, u"1234567", 1234567},
      {vtInteger, true, 0, u"1,234,567", 0, u"1,234,567", 1234567},
      {vtHex, false, 0, nullptr, 255, u"FF", 255},
      {vtHex, false, 0, u"1f", 0, u"1f", 31},
      {vtFloat, false, 2, nullptr, 1.5, u"1.50", 1},
      {vtFloat, false, 2, u"2.9", 0, u"2.9", 2},
      {vtFloat, false, 2, u"-2.9", 0, u"-2.9", -2},
      {vtInteger, false, 0, u"abc", 0, u"abc", 0},
      // Beyond 32 bits: read as 64-bit, then held at the 32-bit bounds.
      {vtInteger, false, 0, u"3000000000", 0, u"3000000000", maxI},
      {vtInteger, false, 0, u"-3000000000", 0, u"-3000000000", minI},
      {vtInteger, false, 0, u"4294967297", 0, u"4294967297", maxI},
      {vtFloat, false, 2, u"1e12", 0, u"1e12", maxI},
  };
  spin->SetCheckOptions({});
  for (const Row& r : rows) {
    SCOPED_TRACE(rtl::StringToUtf8(r.shown));
    spin->SetThousands(false);
    spin->SetValueType(r.type);
    spin->SetThousands(r.thousands);
    spin->SetDecimal(r.decimal);
    if (r.text) spin->SetText(r.text);
    else spin->SetValue(r.value);
    EXPECT_EQ(spin->Text(), String(r.shown));
    EXPECT_EQ(spin->AsInteger(), r.asInteger);
  }
  // Unreadable text reads as the lower bound.
  spin->SetValueType(vtInteger);
  PortField();
  spin->SetText(u"abc");
  EXPECT_EQ(spin->Value(), 1024);
  // Hexadecimal turns grouping off and refuses it.
  spin->SetValueType(vtHex);
  spin->SetThousands(true);
  EXPECT_FALSE(spin->Thousands());
}

TEST_F(SpinTest, KeysStepAndFilter) {
  spin->SetMinValue(0);
  spin->SetMaxValue(15);
  spin->SetValue(14);
  int tops = 0, bottoms = 0, changes = 0;
  spin->OnTopClick = [&](ui::TObject*) { ++tops; };
  spin->OnBottomClick = [&](ui::TObject*) { ++bottoms; };
  spin->OnChange = [&](ui::TObject*) { ++changes; };
  h.Show(form);
  Focus(spin);
  h.Key(spin, ui::VK_UP);
  EXPECT_EQ(spin->Text(), u"15");
  h.Key(spin, ui::VK_UP);  // held at the maximum, the event still fires
  EXPECT_EQ(spin->Text(), u"15");
  EXPECT_EQ(tops, 2);
  EXPECT_EQ(changes, 1);
  h.Key(spin, ui::VK_DOWN);
  EXPECT_EQ(spin->Text(), u"14");
  EXPECT_EQ(bottoms, 1);
  spin->SetArrowKeys(false);
  h.Key(spin, ui::VK_UP);
  EXPECT_EQ(spin->Text(), u"14");

  BeepCounter beeps;
  spin->SetValueType(vtHex);
  spin->SetMaxValue(0);
  spin->SetMinValue(0);
  spin->SetValue(255);
  EXPECT_EQ(spin->Text(), u"FF");
  spin->SetSelStart(2);
  h.Type(spin, u"G");
  EXPECT_EQ(spin->Text(), u"FF");
  EXPECT_EQ(beeps.count, 1);

  // A second decimal separator moves the caret behind the first.
  spin->SetValueType(vtFloat);
  spin->SetCheckOptions({});
  spin->SetValue(1.5);
  EXPECT_EQ(spin->Text(), u"1.50");
  spin->SetSelStart(0);
  h.Type(spin, u".");
  EXPECT_EQ(spin->Text(), u"1.50");
  EXPECT_EQ(spin->SelStart(), 2);
  // Backspace right after the separator steps over it.
  h.Key(spin, ui::VK_BACK);
  EXPECT_EQ(spin->Text(), u"1.50");
  EXPECT_EQ(spin->SelStart(), 1);
  EXPECT_EQ(beeps.count, 1);

  // Read-only: steps beep.
  spin->SetReadOnly(true);
  spin->StepUp();
  EXPECT_EQ(beeps.count, 2);
}

TEST_F(SpinTest, EnterAndEscapeReachTheDialogButtons) {
  auto* ok = new ui::TButton(form);
  ok->SetParent(form);
  ok->SetBounds(150, 60, 60, 24);
  ok->SetDefault(true);
  auto* cancel = new ui::TButton(form);
  cancel->SetParent(form);
  cancel->SetBounds(150, 90, 60, 24);
  cancel->SetCancel(true);
  int oks = 0, cancels = 0;
  ok->OnClick = [&](ui::TObject*) { ++oks; };
  cancel->OnClick = [&](ui::TObject*) { ++cancels; };
  spin->SetValue(12);
  h.Show(form);
  Focus(spin);
  h.Key(spin, ui::VK_RETURN);
  h.Key(spin, ui::VK_ESCAPE);
  EXPECT_EQ(oks, 1);
  EXPECT_EQ(cancels, 1);
  EXPECT_EQ(spin->Text(), u"12");
}

TEST_F(SpinTest, WheelAndClipboardCommands) {
  spin->SetValue(5);
  h.Show(form);
  Focus(spin);
  exttest::Wheel(spin, 120);
  EXPECT_EQ(spin->Text(), u"6");
  exttest::Wheel(spin, -120);
  exttest::Wheel(spin, -120);
  EXPECT_EQ(spin->Text(), u"4");

  // Without paste, neither the message nor the keyboard pastes.
  QApplication::clipboard()->setText(QStringLiteral("99"));
  spin->SetClipboardCommands(TExtClipboardCommands{caCopy, caCut, caClear, caUndo});
  spin->SelectAll();
  EXPECT_EQ(spin->Perform(ui::WM_PASTE), 1);
  h.Key(spin, 'V', {ui::ssCtrl});
  EXPECT_EQ(spin->Text(), u"4");
  spin->SetClipboardCommands(TExtClipboardCommands{caCopy, caCut, caPaste, caClear, caUndo});
  spin->SelectAll();
  h.Key(spin, 'V', {ui::ssCtrl});
  EXPECT_EQ(spin->Text(), u"99");
  // A spin edit whose editor is off takes no paste either.
  spin->SetEditorEnabled(false);
  spin->SelectAll();
  h.Key(spin, 'V', {ui::ssCtrl});
  h.Type(spin, u"7");
  EXPECT_EQ(spin->Text(), u"99");
}

TEST_F(SpinTest, ButtonClicksAndRepeatsOnTheClock) {
  spin->SetValue(0);
  h.Show(form);
  TExtSpinButton* b = spin->Button();
  ASSERT_NE(b, nullptr);
  ASSERT_GT(b->Width(), 6);
  ui::TPoint top{2, 2}, bottom{b->Width() - 2, b->Height() - 2};
  EXPECT_FALSE(b->InBottomHalf(top.X, top.Y));
  EXPECT_TRUE(b->InBottomHalf(bottom.X, bottom.Y));

  h.Click(b, top);
  EXPECT_EQ(spin->Text(), u"1");
  EXPECT_TRUE(spin->Focused());  // the button focuses its edit
  h.Click(b, bottom);
  EXPECT_EQ(spin->Text(), u"0");

  h.MouseDown(b, top);
  EXPECT_EQ(spin->Text(), u"1");
  EXPECT_EQ(b->State(), sbTopDown);
  h.Advance(399);
  EXPECT_EQ(spin->Text(), u"1");
  h.Advance(1);
  EXPECT_EQ(spin->Text(), u"2");
  h.Advance(99);
  EXPECT_EQ(spin->Text(), u"2");
  h.Advance(1);
  EXPECT_EQ(spin->Text(), u"3");
  h.Advance(300);
  EXPECT_EQ(spin->Text(), u"6");
  // Dragging into the other half releases; back into the first presses again.
  h.MouseMove(b, bottom, {ui::ssLeft});
  EXPECT_EQ(b->State(), sbNotDown);
  h.Advance(200);
  EXPECT_EQ(spin->Text(), u"6");
  h.MouseMove(b, top, {ui::ssLeft});
  EXPECT_EQ(b->State(), sbTopDown);
  h.MouseUp(b, top);
  EXPECT_EQ(b->State(), sbNotDown);
  std::string shown = spin->Text() == u"6" ? "6" : rtl::StringToUtf8(spin->Text());
  h.Advance(1000);
  EXPECT_EQ(rtl::StringToUtf8(spin->Text()), shown);
}

TEST_F(SpinTest, StandardKindUsesTheUpDown) {
  spin->SetButtonKind(bkStandard);
  spin->SetValue(3);
  h.Show(form);
  ASSERT_NE(spin->UpDown(), nullptr);
  EXPECT_EQ(spin->Button(), nullptr);
  ui::TCustomUpDown* ud = spin->UpDown();
  h.Click(ud, ui::TPoint{ud->Width() / 2, 2});
  EXPECT_EQ(spin->Text(), u"4");
  h.Click(ud, ui::TPoint{ud->Width() / 2, ud->Height() - 2});
  h.Click(ud, ui::TPoint{ud->Width() / 2, ud->Height() - 2});
  EXPECT_EQ(spin->Text(), u"2");
  EXPECT_EQ(ud->Position(), 0);
}

TEST_F(SpinTest, PropertyStoresAndCursorsReachIt) {
  // Property stores set the kinds and options by name.
  ui::SetEnumProp(spin, "ValueType", "vtHex");
  EXPECT_EQ(spin->ValueType(), vtHex);
  ui::SetSetProp(spin, "CheckOptions", "[coCheckOnExit]");
  EXPECT_EQ(spin->CheckOptions(), TExtCheckOptions{coCheckOnExit});
  ui::SetSetProp(spin, "ClipboardCommands", "[caCopy]");
  EXPECT_EQ(spin->ClipboardCommands(), TExtClipboardCommands{caCopy});
  EXPECT_EQ(ui::GetOrdProp(spin, "ButtonKind"), bkDiagonal);
  // The drag cursors of the extended controls are in the screen's list.
  EXPECT_EQ(ui::Screen->Cursors(crExtDragLink), ui::crDrag);
  EXPECT_EQ(ui::Screen->Cursors(crExtMultiDragLinkAlt), ui::crMultiDrag);
}

TEST_F(SpinTest, ScreenshotsOfItsStates) {
  auto* classic = new TExtSpinEdit(form);
  classic->SetParent(form);
  classic->SetBounds(140, 10, 100, 24);
  classic->SetButtonKind(bkClassic);
  spin->SetValueType(vtFloat);
  spin->SetThousands(true);
  spin->SetValue(12345.5);
  h.Show(form);
  std::vector<std::string> paths;
  paths.push_back(exttest::Screenshot(spin, "spin_edit_plain"));
  paths.push_back(exttest::Screenshot(classic, "spin_edit_classic"));
  h.MouseDown(spin->Button(), ui::TPoint{2, 2});
  paths.push_back(exttest::Screenshot(spin, "spin_edit_top_pressed"));
  h.MouseUp(spin->Button(), ui::TPoint{2, 2});
  spin->SetEnabled(false);
  h.ProcessEvents();
  paths.push_back(exttest::Screenshot(spin, "spin_edit_disabled"));
  ui::SetThemesEnabled(true);
  spin->SetEnabled(true);
  spin->Button()->Invalidate();
  classic->Button()->Invalidate();
  h.ProcessEvents();
  paths.push_back(exttest::Screenshot(spin, "spin_edit_themed"));
  paths.push_back(exttest::Screenshot(classic, "spin_edit_classic_themed"));
  for (const auto& p : paths) EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(p))) << p;
  // The button images are shared per size and style.
  EXPECT_EQ(TSpinButtonBitmapsManager::Instance(false)->Count(), 2);
}

}  // namespace
