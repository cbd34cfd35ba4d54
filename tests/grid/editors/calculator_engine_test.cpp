// The calculator's key machine: key sequences and what the display, the
// status and the equals button show after them; errors; copy and paste.
#include <gtest/gtest.h>

#include "grid/editors/calculator_engine_ex.h"
#include "platform/ui/clipboard.h"
#include "platform/runtime/exceptions.h"
#include "tests/platform/ui/harness.h"
#include "tests/grid/editors/editor_test_text.h"

using namespace grid;

namespace {


TCalculatorEngineEx Fresh() {
  TCalculatorEngineEx c;
  rtl::TFormatSettings fs = rtl::TFormatSettings::Invariant();
  fs.DecimalSeparator = u'.';
  c.SetFormatSettings(fs);
  return c;
}

void Keys(TCalculatorEngineEx& c, std::u16string_view keys) {
  for (char16_t k : keys) c.ProcessKey(k);
}

struct Sequence {
  const char16_t* keys;
  const char* display;
  TCalcStateEx status;
  const char* equal;
};

TEST(Calculator, KeySequences) {
  const Sequence cases[] = {
      {u"", "0", csFirstEx, "Ok"},
      {u"12+30=", "42", csFirstEx, "Ok"},
      {u"12+30", "30", csValidEx, "="},
      {u"2*3\r", "6", csFirstEx, "Ok"},
      {u"7/2=", "3.5", csFirstEx, "Ok"},
      {u"1+2+3=", "6", csFirstEx, "Ok"},
      // A pending operation computes whatever its left operand.
      {u"0-3", "3", csValidEx, "="},
      {u"0-3=", "-3", csFirstEx, "Ok"},
      {u"0*5=", "0", csFirstEx, "Ok"},
      {u"0/5=", "0", csFirstEx, "Ok"},
      // Percent: of the operand for + and -, a hundredth for * and /.
      {u"200+10%", "220", csFirstEx, "Ok"},
      {u"200-10%", "180", csFirstEx, "Ok"},
      {u"50*10%", "5", csFirstEx, "Ok"},
      {u"9S", "3", csFirstEx, "Ok"},
      {u"4R", "0.25", csFirstEx, "Ok"},
      {u"5I", "-5", csValidEx, "Ok"},
      {u"1.5.2", "1.52", csValidEx, "Ok"},
      {u",5", "0.5", csValidEx, "Ok"},
      {u"123\b", "12", csValidEx, "Ok"},
      {u"5I\b", "0", csValidEx, "Ok"},
      {u"1234567890123456789", "123456789012345", csValidEx, "Ok"},
      {u"5+3c", "0", csFirstEx, "Ok"},
      {u"5+3\x1b", "0", csFirstEx, "Ok"},
      // Without a new entry Enter computes nothing.
      {u"7+\r", "7", csFirstEx, "Ok"},
      {u"8/0=", "Error", csErrorEx, "Ok"},
      {u"0R", "Error", csErrorEx, "Ok"},
      {u"2IS", "Error", csErrorEx, "Ok"},
      // Only C leaves an error; Escape does not.
      {u"8/0=12\x1bI+", "Error", csErrorEx, "Ok"},
      {u"8/0=C4", "4", csValidEx, "Ok"},
      {u"1/3=", "0.333333333333333", csFirstEx, "Ok"},
      {u"99999999*99999999=", "9.9999998E15", csFirstEx, "Ok"},
      {u"1/100000000=", "1E-8", csFirstEx, "Ok"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Utf8(c.keys));
    TCalculatorEngineEx calc = Fresh();
    Keys(calc, c.keys);
    EXPECT_EQ(Utf8(calc.DisplayText()), c.display);
    EXPECT_EQ(calc.Status(), c.status);
    EXPECT_EQ(Utf8(calc.EqualCaption()), c.equal);
  }
}

TEST(Calculator, ErrorReadsZeroAndTheWheelWaits) {
  TCalculatorEngineEx calc = Fresh();
  Keys(calc, u"8/0=");
  EXPECT_EQ(calc.DisplayValue(), 0);
  calc.Wheel(true);
  EXPECT_EQ(Utf8(calc.DisplayText()), "Error");
  calc.ProcessKey(u'C');
  calc.Wheel(true);
  calc.Wheel(true);
  calc.Wheel(false);
  EXPECT_EQ(Utf8(calc.DisplayText()), "1");
  EXPECT_EQ(calc.Status(), csFirstEx);
}

TEST(Calculator, TheLocaleSeparatorIsUsed) {
  TCalculatorEngineEx calc;
  rtl::TFormatSettings fs = rtl::TFormatSettings::Invariant();
  fs.DecimalSeparator = u',';
  calc.SetFormatSettings(fs);
  Keys(calc, u"1.5+1,25=");
  EXPECT_EQ(Utf8(calc.DisplayText()), "2,75");
}

TEST(Calculator, CopyAndPaste) {
  uitest::Harness h;
  TCalculatorEngineEx calc = Fresh();
  Keys(calc, u"12.5");
  calc.ProcessKey(3);
  EXPECT_EQ(Utf8(ui::Clipboard()->AsText()), "12.5");
  ui::Clipboard()->SetAsText(u" 7.25 ");
  calc.ProcessKey(u'+');
  calc.ProcessKey(22);
  EXPECT_EQ(Utf8(calc.DisplayText()), "7.25");
  // Paste does not begin an entry: the pasted value is the new left operand.
  calc.ProcessKey(u'=');
  EXPECT_EQ(Utf8(calc.DisplayText()), "7.25");
  ui::Clipboard()->SetAsText(u"abc");
  EXPECT_THROW(calc.ProcessKey(22), rtl::EConvertError);
  EXPECT_EQ(Utf8(calc.DisplayText()), "7.25");
}

}  // namespace
