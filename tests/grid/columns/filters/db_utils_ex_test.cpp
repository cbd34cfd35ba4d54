// The filter-row language: the parser over a table of texts, its errors,
// and the dataset filter texts built from parsed column filters.
#include <gtest/gtest.h>

#include "components/extended/data/ext_memory_data.h"
#include "grid/columns/columns/column_ex.h"
#include "grid/columns/columns/db_grid_columns_ex.h"
#include "grid/columns/filters/db_utils_ex.h"
#include "grid/columns/filters/st_column_filter_ex.h"
#include "platform/runtime/convert.h"
#include "platform/runtime/exceptions.h"
#include "platform/runtime/format_settings.h"
#include "platform/runtime/rtl_string.h"
#include "tests/grid/core/grid_on_form.h"

namespace {

using namespace grid;
using rtl::Variant;

// An operand as a short text: s:text, d:number, null, or [a|b] for lists.
std::string Show(const Variant& V) {
  if (V.IsNull()) return "null";
  if (V.IsArray()) {
    std::string out = "[";
    for (int i = V.LowBound(); i <= V.HighBound(); ++i) out += (i > V.LowBound() ? "|" : "") + Show(V[i]);
    return out + "]";
  }
  if (V.BaseType() == rtl::varDouble) return "d:" + rtl::StringToUtf8(rtl::FloatToStr(V.AsDouble()));
  return "s:" + rtl::StringToUtf8(V.AsString());
}

struct ParseCase {
  TSTOperandTypeEx type;
  const char16_t* text;
  TSTFilterDefaultOperatorEx def;
  TSTFilterOperatorEx op1;
  const char* operand1;
  TSTFilterOperatorEx relation;
  TSTFilterOperatorEx op2;
  const char* operand2;
};

TEST(FilterExpressionParser, ReadsTheTable) {
  const ParseCase cases[] = {
      {botString, u"abc", fdoAuto, foLike, "s:abc", foNon, foNon, "null"},
      {botString, u"a,b", fdoAuto, foIn, "[s:a|s:b]", foNon, foNon, "null"},
      {botString, u"abc", fdoContains, foLike, "s:%abc%", foNon, foNon, "null"},
      {botString, u"abc", fdoDoesntBeginWith, foNotLike, "s:abc%", foNon, foNon, "null"},
      {botString, u"abc", fdoEndsWith, foLike, "s:%abc", foNon, foNon, "null"},
      {botString, u"%abc", fdoContains, foLike, "s:%abc", foNon, foNon, "null"},
      {botNumber, u"5", fdoAuto, foEqual, "d:5", foNon, foNon, "null"},
      {botNumber, u">= 10 AND < 20", fdoAuto, foGreaterOrEqual, "d:10", foAND, foLessThan, "d:20"},
      {botNumber, u">=10 & <20", fdoAuto, foGreaterOrEqual, "d:10", foAND, foLessThan, "d:20"},
      {botString, u"=Null", fdoAuto, foNull, "null", foNon, foNon, "null"},
      {botString, u"<>Null", fdoAuto, foNotNull, "null", foNon, foNon, "null"},
      {botString, u"In ('a','b')", fdoAuto, foIn, "[s:a|s:b]", foNon, foNon, "null"},
      {botString, u"In ('a', 'b')", fdoAuto, foIn, "[s:a|s: 'b']", foNon, foNon, "null"},
      {botString, u"not in (x,y)", fdoAuto, foNotIn, "[s:x|s:y]", foNon, foNon, "null"},
      {botString, u"!In (x)", fdoAuto, foNotIn, "s:x", foNon, foNon, "null"},
      {botString, u"'it''s'", fdoAuto, foLike, "s:it's", foNon, foNon, "null"},
      {botString, u"= 'it''s'", fdoAuto, foEqual, "s:it's", foNon, foNon, "null"},
      {botString, u"John Smith", fdoAuto, foLike, "s:John Smith", foNon, foNon, "null"},
      {botString, u"John and Smith", fdoAuto, foLike, "s:John", foAND, foLike, "s:Smith"},
      {botString, u"John in the house", fdoAuto, foLike, "s:John in the house", foNon, foNon, "null"},
      {botString, u"!~ x% or =y", fdoAuto, foNotLike, "s:x%", foOR, foEqual, "s:y"},
      {botString, u"not like x%", fdoAuto, foNotLike, "s:x%", foNon, foNon, "null"},
      {botString, u"<> a OR", fdoAuto, foNotEqual, "s:a", foOR, foNon, "null"},
      {botString, u"  != b  ", fdoAuto, foNotEqual, "s:b", foNon, foNon, "null"},
  };
  for (const ParseCase& c : cases) {
    SCOPED_TRACE(rtl::StringToUtf8(c.text));
    TSTFilterExpressionEx e;
    e.ExpressionType = c.type;
    const bool two = ParseSTFilterExpression(c.text, e, c.def);
    EXPECT_EQ(e.ExpressionType, c.type);
    EXPECT_EQ(e.Operator1, c.op1);
    EXPECT_EQ(Show(e.Operand1), c.operand1);
    EXPECT_EQ(e.Relation, c.relation);
    EXPECT_EQ(e.Operator2, c.op2);
    EXPECT_EQ(Show(e.Operand2), c.operand2);
    EXPECT_EQ(two, c.op2 != foNon);
  }
}

TEST(FilterExpressionParser, EmptyTextLeavesTheExpressionEmpty) {
  TSTFilterExpressionEx e;
  e.ExpressionType = botString;
  e.Operator1 = foEqual;
  EXPECT_FALSE(ParseSTFilterExpression(u"   ", e, fdoAuto));
  EXPECT_EQ(e.Operator1, foNon);
  EXPECT_EQ(e.ExpressionType, botString);
}

TEST(FilterExpressionParser, MalformedTextsRaiseWithTheText) {
  struct Bad {
    TSTOperandTypeEx type;
    const char16_t* text;
    const char* message;
  };
  const Bad cases[] = {
      {botString, u"'abc", "Quote is absent: 'abc"},
      {botString, u"= 'it''s", "Quote is absent: = 'it''s"},
      {botString, u"> Null", "Unexpected expression before Null: > Null"},
      {botString, u"in a", "'(' expected: in a"},
      {botString, u"in (a", "')' expected: in (a"},
      {botString, u"=", "Unexpected expression after operator: ="},
      {botString, u"= >", "Unexpected expression after operator: = >"},
      {botString, u"(", "Error in expression: ("},
      {botString, u"and x", "Error in expression: and x"},
      {botString, u"=a )", "Incorrect expression: =a )"},
      {botString, u"=a =b", "Unexpected AND or OR: =a =b"},
      {botNumber, u"=abc", nullptr},
  };
  for (const Bad& c : cases) {
    SCOPED_TRACE(rtl::StringToUtf8(c.text));
    TSTFilterExpressionEx e;
    e.ExpressionType = c.type;
    try {
      ParseSTFilterExpression(c.text, e, fdoAuto);
      ADD_FAILURE() << "no exception";
    } catch (const rtl::Exception& ex) {
      if (c.message) {
        EXPECT_STREQ(ex.what(), c.message);
      }
    }
  }
}

TEST(FilterExpressionParser, DecimalCommaTurnsListsOffForNumbersOnly) {
  rtl::TFormatSettings& fs = rtl::FormatSettings();
  const rtl::TFormatSettings saved = fs;
  fs.DecimalSeparator = u',';
  TSTFilterExpressionEx e;
  e.ExpressionType = botNumber;
  ParseSTFilterExpression(u"1,5", e, fdoAuto);
  EXPECT_EQ(e.Operator1, foEqual);
  EXPECT_EQ(Show(e.Operand1), "d:1,5");
  ParseSTFilterExpression(u"In (1,5)", e, fdoAuto);
  EXPECT_EQ(e.Operator1, foIn);
  EXPECT_EQ(Show(e.Operand1), "[d:1|d:5]");
  fs = saved;
}

// --- filter texts ---------------------------------------------------------------------

struct FilterTexts : gridtest::GridOnForm {
  ext::TExtMemoryData ds{nullptr};
  db::TDataSource src{nullptr};
  void SetUp() override {
    GridOnForm::SetUp();
    ds.FieldDefs().Add(u"A", db::ftInteger);
    ds.FieldDefs().Add(u"B", db::ftString, 20);
    src.SetDataSet(&ds);
    ds.Open();
    grid->SetDataSource(&src);
  }
  void TearDown() override {
    grid->SetDataSource(nullptr);
    GridOnForm::TearDown();
  }
  TSTColumnFilterEx* Filter(int I) { return grid->Columns()->ColumnAt(I)->STFilter(); }
  String Text(bool UseLike = true) {
    String t;
    BuildGridFilterText(grid, StandardSTFilterConditionText, nullptr, false, UseLike, t);
    return t;
  }
};

TEST_F(FilterTexts, TwoColumnsJoinWithTheirBlanks) {
  Filter(0)->SetExpressionStr(u"=1");
  Filter(1)->SetExpressionStr(u"~x%");
  EXPECT_EQ(Text(), u" [A] = 1 AND  [B] Like 'x%' ");
  EXPECT_EQ(Text(false), u" [A] = 1 AND  [B] = 'x%' ");
}

TEST_F(FilterTexts, ByteGoldensOfOneColumn) {
  // The grid's text ends in the blank left of its last " AND ".
  struct Golden {
    int column;
    const char16_t* typed;
    const char16_t* text;
  };
  const Golden cases[] = {
      {0, u">= 10 AND < 20", u" [A] >= 10 AND [A] < 20 "},
      {0, u"=5 OR =7", u"( [A] = 5 OR [A] = 7) "},
      {0, u"in (1,2)", u" ([A] = 1 OR [A] = 2) "},
      {0, u"!in (1,2)", u" NOT ([A] = 1 OR [A] = 2) "},
      {0, u"=Null", u" [A] IS NULL "},
      {0, u"<>Null", u" [A] IS NOT NULL "},
      {1, u"=O'Brien", u" [B] = 'O''Brien' "},
      {1, u"in ('Smith','O''Brien')", u" ([B] = 'Smith' OR [B] = 'O''Brien') "},
      {1, u"!~ a%", u" [B] Not Like 'a%' "},
      {1, u"1.5", u" [B] Like '1.5' "},
  };
  for (const Golden& g : cases) {
    SCOPED_TRACE(rtl::StringToUtf8(g.typed));
    Filter(0)->Clear();
    Filter(1)->Clear();
    Filter(g.column)->SetExpressionStr(g.typed);
    EXPECT_EQ(Text(), g.text);
  }
}

TEST_F(FilterTexts, NoFilterAndNoDatasetGiveNothing) {
  EXPECT_EQ(Text(), u"");
  Filter(0)->SetExpressionStr(u"=1");
  grid->SetDataSource(nullptr);
  EXPECT_EQ(Text(), u"");
}

}  // namespace
