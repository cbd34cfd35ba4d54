// The custom filter dialog: a column filter read into its lists, the texts
// its choices write back, and a text that does not parse keeping it open.
#include <gtest/gtest.h>

#include <functional>

#include "grid/columns/filters/simple_filter_dialog.h"
#include "grid/editors/db_combo_box_ex.h"
#include "tests/grid/core/filter_table.h"

namespace {

using namespace grid;
using filtertest::FilterTable;

struct SimpleFilterDialog : FilterTable {
  // Runs the dialog for a column; Act runs inside it with the dialog at hand.
  bool Run(int Col, std::function<void(TDBGridExSimpleFilterDialog*)> Act) {
    h.Post([&] { Act(grid::SimpleFilterDialog()); });
    return ShowSimpleFilterDialog(Column(Col));
  }
  static String Chosen(ui::TComboBox* Box) {
    return Box->ItemIndex() < 0 ? String(u"<none>") : Box->Items()->Strings(Box->ItemIndex());
  }
  static void Choose(ui::TComboBox* Box, const String& Text) {
    Box->SetItemIndex(Box->Items()->IndexOf(Text));
  }
};

TEST_F(SimpleFilterDialog, APatternOpensAsBeginsWithAndOkWritesItBack) {
  Filter(0)->SetExpressionStr(u"~ 'abc%'");
  String op, value;
  EXPECT_TRUE(Run(0, [&](TDBGridExSimpleFilterDialog* d) {
    op = Chosen(d->ComboBox1);
    value = d->DBComboBoxEx1->Text();
    d->bOk->Click();
  }));
  EXPECT_EQ(op, u"begins with");
  EXPECT_EQ(value, u"abc");
  EXPECT_EQ(Filter(0)->ExpressionStr(), u"~abc%");
}

TEST_F(SimpleFilterDialog, PatternsOpenAsTheirOperators) {
  struct Case {
    const char16_t* filter;
    const char16_t* op;
    const char16_t* value;
  };
  const Case cases[] = {
      {u"~ %abc%", u"contains", u"abc"},
      {u"~ %abc", u"ends with", u"abc"},
      {u"!~ abc%", u"does not begin with", u"abc"},
      {u"~ a%%", u"like", u"a%%"},
      {u"=Null", u"is blank", u""},
      {u"in (a,b)", u"in list", u"a,b"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(rtl::StringToUtf8(c.filter));
    Filter(0)->SetExpressionStr(c.filter);
    String op, value;
    Run(0, [&](TDBGridExSimpleFilterDialog* d) {
      op = Chosen(d->ComboBox1);
      value = d->DBComboBoxEx1->Text();
      d->bCancel->Click();
    });
    EXPECT_EQ(op, c.op);
    EXPECT_EQ(value, c.value);
    EXPECT_EQ(Filter(0)->ExpressionStr(), c.filter);
  }
}

TEST_F(SimpleFilterDialog, ChoicesWriteTheirTexts) {
  struct Case {
    const char16_t* op1;
    const char16_t* value1;
    bool useOr;
    const char16_t* op2;
    const char16_t* value2;
    const char16_t* text;
  };
  const Case cases[] = {
      {u"is blank", u"anything", false, u"", u"", u"=Null"},
      {u"equals", u"Smith", false, u"", u"", u"=Smith"},
      {u"equals", u"Smith", false, u"", u"Jones", u"=Smith AND Jones"},
      {u"in list", u"a,b", false, u"", u"", u"in(a,b)"},
      {u"equals", u" O'Brien", false, u"", u"", u"=' O''Brien'"},
      {u"contains", u"(x", false, u"", u"", u"~'%(x%'"},
      {u"begins with", u"a", true, u"ends with", u"z", u"~a% OR ~%z"},
      {u"does not equal", u"x", false, u"is not blank", u"", u"<>x AND <>Null"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(rtl::StringToUtf8(c.text));
    Filter(0)->Clear();
    EXPECT_TRUE(Run(0, [&](TDBGridExSimpleFilterDialog* d) {
      Choose(d->ComboBox1, c.op1);
      d->DBComboBoxEx1->SetText(c.value1);
      (c.useOr ? d->rbOr : d->rbAnd)->SetChecked(true);
      Choose(d->ComboBox2, c.op2);
      d->DBComboBoxEx2->SetText(c.value2);
      d->bOk->Click();
    }));
    EXPECT_EQ(Filter(0)->ExpressionStr(), c.text);
  }
  // What the dialog wrote reads back as the filter meant.
  const TSTFilterExpressionEx e = Filter(0)->Expression();
  EXPECT_EQ(e.Operator1, foNotEqual);
  EXPECT_EQ(e.Operator2, foNotNull);
}

TEST_F(SimpleFilterDialog, ANamesInListReadsBackAsAnInList) {
  Run(0, [&](TDBGridExSimpleFilterDialog* d) {
    Choose(d->ComboBox1, u"in list");
    d->DBComboBoxEx1->SetText(u"a,b");
    d->bOk->Click();
  });
  const TSTFilterExpressionEx e = Filter(0)->Expression();
  ASSERT_EQ(e.Operator1, foIn);
  ASSERT_TRUE(e.Operand1.IsArray());
  EXPECT_EQ(e.Operand1[0].AsString(), u"a");
  EXPECT_EQ(e.Operand1[1].AsString(), u"b");
}

TEST_F(SimpleFilterDialog, ANumberColumnOffersNoTextOperators) {
  std::vector<String> offered;
  Run(1, [&](TDBGridExSimpleFilterDialog* d) {
    for (int i = 0; i < d->ComboBox1->Items()->Count(); ++i)
      offered.push_back(d->ComboBox1->Items()->Strings(i));
    d->bCancel->Click();
  });
  EXPECT_EQ(offered, (std::vector<String>{u"", u"equals", u"does not equal", u"is greate than",
                                          u"is greate than or equall to", u"is less than",
                                          u"is less than or equall to", u"in list", u"not in list",
                                          u"is blank", u"is not blank"}));
}

TEST_F(SimpleFilterDialog, ATextThatDoesNotParseKeepsTheDialogOpen) {
  Filter(0)->SetExpressionStr(u"=Smith");
  bool stillOpen = false;
  const bool ok = Run(0, [&](TDBGridExSimpleFilterDialog* d) {
    Choose(d->ComboBox1, u"in list");
    d->DBComboBoxEx1->SetText(u"'x");
    d->bOk->Click();
    stillOpen = d->Visible();
    d->bCancel->Click();
  });
  EXPECT_TRUE(stillOpen);
  EXPECT_FALSE(ok);
  EXPECT_EQ(Filter(0)->ExpressionStr(), u"=Smith");
}

}  // namespace
