// The language of the grid's filter row: a column filter as the user types
// it ("> 10 AND < 20", "in ('a','b')", "~ abc%") parsed into an expression,
// and the expressions of all columns written out as one dataset filter text.
// The dataset parses that text with its own parser when the filter is
// applied; the two grammars meet only there.
#pragma once

#include <functional>

#include "grid/core/db_grid_ex_types.h"
#include "platform/data/dataset.h"
#include "platform/runtime/variant.h"

namespace grid {

class TCustomDBGridEx;
class TColumnEx;

enum TSTOperandTypeEx { botNon, botString, botNumber, botDateTime, botBoolean };

enum TSTFilterOperatorEx {
  foNon,
  foEqual,
  foNotEqual,
  foGreaterThan,
  foLessThan,
  foGreaterOrEqual,
  foLessOrEqual,
  foLike,
  foNotLike,
  foIn,
  foNotIn,
  foNull,
  foNotNull,
  foAND,
  foOR,
  foValue  // a token kind of the parser only: an operand was read
};

// One or two conditions. An operand is one value, a one-dimensional array
// (for the in-lists) or Null when its operator takes none.
struct TSTFilterExpressionEx {
  TSTOperandTypeEx ExpressionType = botNon;
  TSTFilterOperatorEx Operator1 = foNon;
  rtl::Variant Operand1 = rtl::Variant::Null();
  TSTFilterOperatorEx Relation = foNon;
  TSTFilterOperatorEx Operator2 = foNon;
  rtl::Variant Operand2 = rtl::Variant::Null();
};

// Operator words as the filter row shows them, and as the filter text writes them.
const String& STFilterOperatorsStrMapEx(TSTFilterOperatorEx Operator);
const String& STFilterOperatorsSQLStrMapEx(TSTFilterOperatorEx Operator);
TSTOperandTypeEx STFldTypeMapEx(db::TFieldType DataType);
TSTFilterOperatorEx STFilterDefaultOperatorMap(TSTFilterDefaultOperatorEx Operator);

void ClearSTFilterExpression(TSTFilterExpressionEx& Expression);
// ExpressionType must be set before the call. True when the text held two
// conditions. Malformed text raises an Exception whose message ends with the text.
bool ParseSTFilterExpression(const String& Text, TSTFilterExpressionEx& Expression,
                             TSTFilterDefaultOperatorEx DefaultOperator);

// How a date operand is written into a filter text for a particular dataset.
using TDateValueToSQLStringProcEx = std::function<String(db::TDataSet* DataSet, const rtl::Variant& Value)>;
// Appends one condition to Text.
using TOneExpressionFilterStringProcEx = std::function<void(
    TSTFilterOperatorEx Operator, const rtl::Variant& Operand, const String& FieldName, String& Text,
    bool UseLike, const TDateValueToSQLStringProcEx& DateProc, db::TDataSet* DataSet)>;

void StandardSTFilterConditionText(TSTFilterOperatorEx Operator, const rtl::Variant& Operand,
                                   const String& FieldName, String& Text, bool UseLike,
                                   const TDateValueToSQLStringProcEx& DateProc, db::TDataSet* DataSet);
// One value as a filter text writes it: numbers in general form, dates
// through DateProc (else quoted in the default format), texts quoted.
String STFilterValueText(const rtl::Variant& Value, const TDateValueToSQLStringProcEx& DateProc,
                         db::TDataSet* DataSet);
String ColumnSTFilterText(TColumnEx* Column, const TOneExpressionFilterStringProcEx& ConditionProc,
                          const TDateValueToSQLStringProcEx& DateProc, bool UseFieldOrigin, bool UseLike);
// The conditions of every filtered column joined by AND.
void BuildGridFilterText(TCustomDBGridEx* Grid, const TOneExpressionFilterStringProcEx& ConditionProc,
                         const TDateValueToSQLStringProcEx& DateProc, bool UseFieldOrigin, bool UseLike,
                         String& Text);

}  // namespace grid
