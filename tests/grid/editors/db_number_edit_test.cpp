// The number editor over the in-memory dataset: the characters it lets
// through, limits and rounding of typed and stepped values, grouping while
// typing, paste, and the calculator it drops down (keys passed to it, the
// value it hands back into the field).
#include <gtest/gtest.h>

#include "platform/ui/clipboard.h"
#include "platform/runtime/convert.h"
#include "platform/data/data_source.h"
#include "grid/editors/db_number_edit_ex.h"
#include "platform/ui/edits.h"
#include "components/extended/data/ext_memory_data.h"
#include "platform/ui/forms.h"
#include "tests/platform/ui/harness.h"
#include "platform/ui/keys.h"
#include "tests/grid/editors/editor_test_text.h"

using namespace db;
using ext::TExtMemoryData;
using grid::TDBNumberEditEx;
using rtl::Variant;
using ui::String;

namespace {



struct DBNumberEdit : ::testing::Test {
  uitest::Harness h;
  TExtMemoryData ds{nullptr};
  TDataSource src{nullptr};
  ui::TForm* form = nullptr;
  TDBNumberEditEx* edit = nullptr;
  ui::TEdit* other = nullptr;

  void SetUp() override {
    ds.FieldDefs().Add(u"F", ftFloat);
    ds.FieldDefs().Add(u"I", ftInteger);
    ds.Open();
    ds.Append();
    ds.FieldByName(u"F")->SetAsFloat(12.5);
    ds.Post();
    src.SetDataSet(&ds);
    form = h.MakeForm<ui::TForm>();
    form->SetBounds(100, 100, 320, 240);
    edit = new TDBNumberEditEx(form);
    edit->SetFormatSettings(Settings());
    edit->SetParent(form);
    edit->SetBounds(10, 10, 120, 21);
    other = new ui::TEdit(form);
    other->SetParent(form);
    other->SetBounds(10, 200, 120, 21);
  }
  void Bind() {
    edit->SetDataSource(&src);
    edit->SetDataField(u"F");
  }
  void Focus() {
    h.Show(form);
    // Enters from the other edit, as a user moving in would.
    other->SetFocus();
    h.ProcessEvents();
    edit->SetFocus();
    h.ProcessEvents();
    ASSERT_TRUE(edit->Focused());
    ASSERT_TRUE(edit->IsFocusedEditor());
  }
  void Retype(const String& Typed) {
    edit->SelectAll();
    h.Key(edit, ui::VK_BACK);
    h.Type(edit, Typed);
  }
  TField* F() { return ds.FieldByName(u"F"); }
  grid::TPopupCalculatorEx* Calc() { return static_cast<grid::TPopupCalculatorEx*>(edit->DropDownCalculator()); }
};

TEST_F(DBNumberEdit, TypedCharactersKeepTheTextANumber) {
  Focus();
  struct Case {
    unsigned places;
    double minValue, maxValue;
    const char16_t* typed;
    const char* text;
    const char* value;  // "" for Null
  } cases[] = {
      {2, 0, 0, u"1.234", "1.23", "1.23"},
      {2, 0, 0, u"1,5", "1.5", "1.5"},  // either separator is the decimal one
      {2, 0, 0, u"1a2b", "12", "12"},
      {2, 0, 0, u"1..2", "1.2", "1.2"},
      {0, 0, 0, u"7.5", "7.", "7"},
      {2, 0, 0, u"-", "-", "0"},
      {2, 0, 0, u"-4.25", "-4.25", "-4.25"},
      // An exponent letter with nothing after it is no number yet.
      {2, 0, 0, u"1.2E5", "1.25", "1.25"},
      // 0..100: the value is held to the limit while the text stays; no minus.
      {2, 0, 100, u"150", "150", "100"},
      {2, 0, 100, u"-5", "-", "0"},
      // Only a lower limit when the upper one is 0.
      {2, 5, 0, u"3", "3", "5"},
      {2, 5, 0, u"3000", "3000", "3000"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Utf8(c.typed));
    edit->SetDecimalPlaces(c.places);
    edit->SetMinValue(c.minValue);
    edit->SetMaxValue(c.maxValue);
    Retype(c.typed);
    EXPECT_EQ(Utf8(edit->Text()), c.text);
    const Variant v = edit->Value();
    EXPECT_EQ(v.IsNull() ? std::string() : Utf8(rtl::FloatToStr(v.AsDouble(), Settings())), c.value);
  }
}

TEST_F(DBNumberEdit, ADecimalMayFollowInsideAnExponentNumber) {
  Focus();
  ui::Clipboard()->SetAsText(u"1.2E5");
  edit->Perform(ui::WM_PASTE);
  ASSERT_EQ(Utf8(edit->Text()), "1.2E5");
  edit->SetSelStart(3);
  edit->SetSelLength(0);
  h.Type(edit, u"3");
  EXPECT_EQ(Utf8(edit->Text()), "1.23E5");
  EXPECT_EQ(edit->Value().AsDouble(), 123000.0);
}

TEST_F(DBNumberEdit, GroupsThousandsWhileTypingWithAGroupingFormat) {
  edit->SetDisplayFormat(u"#,##0.00");
  EXPECT_EQ(Utf8(edit->EditFormat()), "#,##0.00");
  Focus();
  h.Type(edit, u"1234");
  EXPECT_EQ(Utf8(edit->Text()), "1,234");
  EXPECT_EQ(edit->SelStart(), 5);  // the caret stays at the end
  h.Type(edit, u"567.5");
  EXPECT_EQ(Utf8(edit->Text()), "1,234,567.5");
  EXPECT_EQ(edit->Value().AsDouble(), 1234567.5);
  // Backspace after a separator only steps over it.
  edit->SetSelStart(2);
  h.Key(edit, ui::VK_BACK);
  EXPECT_EQ(Utf8(edit->Text()), "1,234,567.5");
  EXPECT_EQ(edit->SelStart(), 1);
  // Unfocused, the display format shows.
  other->SetFocus();
  h.ProcessEvents();
  EXPECT_EQ(Utf8(edit->Text()), "1,234,567.50");
}

TEST_F(DBNumberEdit, StepsRoundTiesToEvenAndHugeValuesPass) {
  Focus();
  edit->SetIncrement(0.5);
  h.Key(edit, ui::VK_UP);
  EXPECT_EQ(edit->Value().AsDouble(), 0.5);  // empty: the increment itself
  edit->SetValue(Variant::Null());
  h.Key(edit, ui::VK_DOWN);
  EXPECT_EQ(edit->Value().AsDouble(), 0.5);  // whatever the direction
  h.Key(edit, ui::VK_DOWN);
  EXPECT_EQ(edit->Value().AsDouble(), 0.0);

  edit->SetIncrement(1);
  edit->SetDecimalPlaces(0);
  struct Case {
    double from;
    bool up;
    double to;
  } cases[] = {
      {1.5, true, 2},   // 2.5 -> 2
      {2.5, true, 4},   // 3.5 -> 4
      {-1.5, false, -2},  // -2.5 -> -2
      // Beyond 2^53 there is no fraction left to round: the value passes.
      {1e300, true, 1e300},
      {-1e300, false, -1e300},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.from);
    edit->SetValue(Variant(c.from));
    h.Key(edit, c.up ? ui::VK_UP : ui::VK_DOWN);
    EXPECT_EQ(edit->Value().AsDouble(), c.to);
  }
  edit->SetDecimalPlaces(2);
  edit->SetIncrement(0.125);
  edit->SetValue(Variant::Null());
  edit->IncrementValue(true);  // 12.5 hundredths: a true tie
  EXPECT_EQ(edit->Value().AsDouble(), 0.12);
  edit->SetDecimalPlaces(19);
  edit->SetIncrement(0.01);
  edit->SetValue(Variant(12.5));
  edit->IncrementValue(true);
  EXPECT_EQ(edit->Value().AsDouble(), 12.51);

  edit->SetReadOnly(true);
  h.Key(edit, ui::VK_UP);
  EXPECT_EQ(edit->Value().AsDouble(), 12.51);
}

TEST_F(DBNumberEdit, WheelAndSpinButtonStepTheValue) {
  Bind();
  edit->EditButton()->SetStyle(grid::ebsUpDownEx);
  edit->EditButton()->SetVisible(true);
  Focus();
  const auto wheel = [&](int Delta) {
    edit->Perform(ui::WM_MOUSEWHEEL, static_cast<ui::WPARAM>(static_cast<std::uint16_t>(Delta)) << 16, 0);
  };
  wheel(120);
  EXPECT_EQ(edit->Value().AsDouble(), 13.5);
  EXPECT_EQ(ds.State(), dsEdit);
  wheel(-240);
  EXPECT_EQ(edit->Value().AsDouble(), 11.5);
  ASSERT_EQ(edit->ButtonControlCount(), 1);
  grid::TEditButtonControlEx* spin = edit->ButtonControl(0).EditButtonControl;
  h.Click(spin, ui::Point(spin->Width() / 2, 2));
  EXPECT_EQ(edit->Value().AsDouble(), 12.5);
  h.Click(spin, ui::Point(spin->Width() / 2, spin->Height() - 3));
  EXPECT_EQ(edit->Value().AsDouble(), 11.5);
  EXPECT_FALSE(edit->CalculatorVisible());
  edit->SetReadOnly(true);
  wheel(120);
  h.Click(spin, ui::Point(spin->Width() / 2, 2));
  EXPECT_EQ(edit->Value().AsDouble(), 11.5);
}

TEST_F(DBNumberEdit, BoundValueReachesTheFieldAndDisplaysWithItsFormat) {
  static_cast<TFloatField*>(F())->SetDisplayFormat(u"0.000");
  Bind();
  EXPECT_EQ(Utf8(edit->Text()), "12.500");
  EXPECT_EQ(edit->Alignment(), ui::taRightJustify);
  Focus();
  EXPECT_EQ(Utf8(edit->Text()), "12.500");  // the edit format, without grouping
  Retype(u"99.25");
  EXPECT_EQ(ds.State(), dsEdit);
  other->SetFocus();
  h.ProcessEvents();
  EXPECT_EQ(F()->AsFloat(), 99.25);
  EXPECT_EQ(Utf8(edit->Text()), "99.250");
  ds.Post();
  EXPECT_EQ(F()->AsFloat(), 99.25);
}

TEST_F(DBNumberEdit, PasteOfANonNumberIsUndone) {
  Focus();
  Retype(u"42");
  ui::Clipboard()->SetAsText(u"x7");
  edit->SelectAll();
  edit->Perform(ui::WM_PASTE);
  EXPECT_EQ(Utf8(edit->Text()), "42");
  EXPECT_EQ(edit->Value().AsDouble(), 42.0);
  EXPECT_EQ(edit->SelLength(), 2);
  ui::Clipboard()->SetAsText(u"7.5");
  edit->Perform(ui::WM_PASTE);
  EXPECT_EQ(edit->Value().AsDouble(), 7.5);
}

TEST_F(DBNumberEdit, CalculatorDropsDownAndItsResultGoesIntoTheField) {
  Bind();
  Focus();
  int dropDowns = 0;
  std::vector<bool> closes;
  edit->OnDropDown = [&](ui::TObject*) { ++dropDowns; };
  edit->OnCloseUp = [&](ui::TObject*, bool Accept) { closes.push_back(Accept); };
  h.Key(edit, ui::VK_DOWN, {ui::ssAlt});
  ASSERT_TRUE(edit->CalculatorVisible());
  EXPECT_EQ(dropDowns, 1);
  grid::TPopupCalculatorEx* calc = Calc();
  EXPECT_TRUE(calc->Visible());
  EXPECT_EQ(Utf8(calc->DisplayText()), "12.5");
  EXPECT_EQ(calc->Flat(), edit->Flat());
  EXPECT_FALSE(edit->CaretShown()) << "keys go to the calculator";
  // The calculator opens below the editor.
  EXPECT_EQ(calc->Top(), edit->ClientToScreen(ui::Point(0, edit->Height())).Y);

  // Typed keys work the calculator, not the text.
  h.Type(edit, u"*2");
  EXPECT_EQ(Utf8(calc->DisplayText()), "2");
  EXPECT_EQ(Utf8(edit->Text()), "12.5");
  h.Key(edit, ui::VK_RETURN);  // "=" is pending: Enter computes
  EXPECT_TRUE(edit->CalculatorVisible());
  EXPECT_EQ(Utf8(calc->DisplayText()), "25");
  h.Key(edit, ui::VK_RETURN);  // now it accepts
  EXPECT_FALSE(edit->CalculatorVisible());
  EXPECT_FALSE(calc->Visible());
  EXPECT_TRUE(edit->CaretShown());
  EXPECT_EQ(closes, std::vector<bool>{true});
  EXPECT_EQ(edit->Value().AsDouble(), 25.0);
  EXPECT_EQ(Utf8(edit->Text()), "25");
  other->SetFocus();
  h.ProcessEvents();
  ds.Post();
  EXPECT_EQ(F()->AsFloat(), 25.0);
}

TEST_F(DBNumberEdit, CalculatorClosesWithoutAcceptingOnEscapeFocusLossAndErrors) {
  Bind();
  Focus();
  edit->DropDown();
  h.Type(edit, u"7");
  h.Key(edit, ui::VK_ESCAPE);
  EXPECT_FALSE(edit->CalculatorVisible());
  EXPECT_EQ(F()->AsFloat(), 12.5);
  EXPECT_EQ(Utf8(edit->Text()), "12.5");
  EXPECT_TRUE(edit->Focused());

  // An empty editor gives the calculator 0; "Error" is not taken.
  edit->SetValue(Variant::Null());
  edit->DropDown();
  EXPECT_EQ(Utf8(Calc()->DisplayText()), "0");
  h.Type(edit, u"R");
  h.Key(edit, ui::VK_RETURN);
  EXPECT_FALSE(edit->CalculatorVisible());
  EXPECT_TRUE(edit->Value().IsNull());

  edit->DropDown();
  other->SetFocus();
  h.ProcessEvents();
  EXPECT_FALSE(edit->CalculatorVisible());

  // Cancel mode from inside the editor or the calculator leaves it open.
  edit->SetFocus();
  h.ProcessEvents();
  edit->DropDown();
  edit->Perform(ui::CM_CANCELMODE, 0, reinterpret_cast<ui::LPARAM>(Calc()->spEqual));
  EXPECT_TRUE(edit->CalculatorVisible());
  edit->Perform(ui::CM_CANCELMODE, 0, reinterpret_cast<ui::LPARAM>(other));
  EXPECT_FALSE(edit->CalculatorVisible());
  // However it closed, the caret is back, and only once hidden.
  EXPECT_TRUE(edit->CaretShown());
  edit->HideCaret();
  EXPECT_FALSE(edit->CaretShown());
  edit->ShowCaret();
}

TEST_F(DBNumberEdit, ReadOnlyEditorTakesNoCalculatorValue) {
  Bind();
  Focus();
  edit->SetReadOnly(true);
  edit->DropDown();
  h.Type(edit, u"3");
  h.Key(edit, ui::VK_RETURN);
  EXPECT_FALSE(edit->CalculatorVisible());
  EXPECT_EQ(edit->Value().AsDouble(), 12.5);
}

TEST_F(DBNumberEdit, ScreenshotWithTheCalculatorDroppedDown) {
  Bind();
  edit->EditButton()->SetVisible(true);
  Focus();
  edit->DropDown();
  h.ProcessEvents();
  EXPECT_FALSE(h.SaveScreenshot({form, Calc()}, "number_edit_calculator").empty());
}

}  // namespace
