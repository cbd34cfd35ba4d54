// The filter-row language: tokens, operands, the two-condition parser and
// the filter text of one column and of the whole grid.
#include "grid/columns/filters/db_utils_ex.h"

#include "grid/columns/columns/column_ex.h"
#include "grid/columns/columns/db_grid_columns_ex.h"
#include "grid/columns/filters/filters_internal.h"
#include "grid/columns/filters/st_column_filter_ex.h"
#include "grid/core/custom_db_grid_ex.h"
#include "platform/runtime/convert.h"
#include "platform/runtime/datetime.h"
#include "platform/runtime/exceptions.h"
#include "platform/runtime/format_settings.h"
#include "platform/runtime/rtl_string.h"

namespace grid {

using rtl::Variant;

namespace {

const String kEmpty;

const String& OperatorWord(const String (&Map)[foValue + 1], TSTFilterOperatorEx Operator) {
  if (Operator < foNon || Operator > foValue) return kEmpty;
  return Map[Operator];
}

}  // namespace

const String& STFilterOperatorsStrMapEx(TSTFilterOperatorEx Operator) {
  static const String map[foValue + 1] = {u"",   u"=",  u"<>",  u">",    u"<",    u">=",  u"<=", u"~",
                                          u"!~", u"In", u"!In", u"Null", u"Null", u"AND", u"OR", u""};
  return OperatorWord(map, Operator);
}

const String& STFilterOperatorsSQLStrMapEx(TSTFilterOperatorEx Operator) {
  static const String map[foValue + 1] = {
      u"",         u"=",  u"<>",     u">",       u"<",           u">=",  u"<=", u"LIKE",
      u"NOT LIKE", u"IN", u"NOT IN", u"IS NULL", u"IS NOT NULL", u"AND", u"OR", u""};
  return OperatorWord(map, Operator);
}

TSTOperandTypeEx STFldTypeMapEx(db::TFieldType DataType) {
  using namespace db;
  switch (DataType) {
    case ftString:
    case ftMemo:
    case ftFmtMemo:
    case ftFixedChar:
    case ftWideString:
    case ftGuid:
    case ftFixedWideChar:
    case ftWideMemo:
    case ftOraInterval:
      return botString;
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftFloat:
    case ftCurrency:
    case ftBCD:
    case ftAutoInc:
    case ftLargeint:
    case ftFMTBcd:
    case ftLongWord:
    case ftShortint:
    case ftByte:
    case ftExtended:
      return botNumber;
    case ftDate:
    case ftTime:
    case ftDateTime:
    case ftTimeStamp:
      return botDateTime;
    case ftBoolean:
      return botBoolean;
    default:
      return botNon;
  }
}

TSTFilterOperatorEx STFilterDefaultOperatorMap(TSTFilterDefaultOperatorEx Operator) {
  switch (Operator) {
    case fdoAuto:
      return foNon;
    case fdoEqual:
      return foEqual;
    case fdoNotEqual:
      return foNotEqual;
    case fdoGreaterThan:
      return foGreaterThan;
    case fdoLessThan:
      return foLessThan;
    case fdoGreaterOrEqual:
      return foGreaterOrEqual;
    case fdoLessOrEqual:
      return foLessOrEqual;
    case fdoLike:
    case fdoBeginsWith:
    case fdoEndsWith:
    case fdoContains:
      return foLike;
    case fdoNotLike:
    case fdoDoesntBeginWith:
    case fdoDoesntEndWith:
    case fdoDoesntContain:
      return foNotLike;
    case fdoIn:
      return foIn;
    case fdoNotIn:
      return foNotIn;
  }
  return foNon;
}

void ClearSTFilterExpression(TSTFilterExpressionEx& Expression) {
  Expression.ExpressionType = botNon;
  Expression.Operator1 = foNon;
  Expression.Operand1 = Variant::Null();
  Expression.Relation = foNon;
  Expression.Operator2 = foNon;
  Expression.Operand2 = Variant::Null();
}

// --- the parser --------------------------------------------------------------------

namespace filters_detail {

namespace {

bool IsWordEnd(char16_t C) {
  if (C < 32 || C == u' ' || C == u'"') return true;
  switch (C) {
    case u'!':
    case u'&':
    case u'\'':
    case u'(':
    case u')':
    case u'+':
    case u',':
    case u'-':
    case u'.':
    case u'<':
    case u'=':
    case u'>':
    case u'|':
    case u'~':
      return true;
    default:
      return false;
  }
}

// The keyword a word stands for: its English form or the upper-cased text
// of its resource string.
TSTFilterOperatorEx KeywordOf(const String& Word) {
  struct Keyword {
    const char16_t* English;
    const char16_t* Resource;
    TSTFilterOperatorEx Operator;
  };
  static const Keyword keywords[] = {{u"NOT", u"Not", foNon}, {u"AND", u"AND", foAND},
                                     {u"OR", u"OR", foOR},    {u"LIKE", u"", foLike},
                                     {u"IN", u"In", foIn},    {u"NULL", u"Null", foNull}};
  if (Word.empty()) return foValue;
  const String upper = rtl::UpperCase(Word);
  for (const Keyword& k : keywords) {
    const String res = rtl::UpperCase(k.Resource);
    if (upper == k.English || (!res.empty() && upper == res)) return k.Operator;
  }
  return foValue;
}

}  // namespace

String ReadSTFilterWord(const String& Text, std::size_t Pos) {
  std::size_t end = Pos;
  while (end < Text.size() && !IsWordEnd(Text[end])) ++end;
  return Text.substr(Pos, end - Pos);
}

void SkipBlanks(const String& Text, std::size_t& Pos) {
  while (Pos < Text.size() && Text[Pos] == u' ') ++Pos;
}

STFilterScanner::STFilterScanner(const String& Text) : text_(Text) {}

[[noreturn]] void STFilterScanner::Fail(const char16_t* Message) const {
  throw rtl::Exception(String(Message) + text_);
}

// Peeks whether an operator token (equal .. or) starts at Pos, without
// reading operands and without raising: it decides only where an unquoted
// operand ends, so "John in the house" stays one operand.
bool STFilterScanner::OperatorFollows(std::size_t Pos) const {
  SkipBlanks(text_, Pos);
  if (Pos >= text_.size()) return false;
  const char16_t c = text_[Pos];
  const char16_t next = Pos + 1 < text_.size() ? text_[Pos + 1] : 0;
  switch (c) {
    case u'=':
    case u'<':
    case u'>':
    case u'~':
    case u'&':
    case u'|':
      return true;
    case u'!':
      return next == u'=' || NegatableFollows(Pos + 1);
    default:
      break;
  }
  const String word = ReadSTFilterWord(text_, Pos);
  switch (KeywordOf(word)) {
    case foAND:
    case foOR:
    case foLike:
    case foNull:
      return true;
    case foIn: {
      std::size_t p = Pos + word.size();
      SkipBlanks(text_, p);
      return p < text_.size() && text_[p] == u'(';
    }
    case foNon:  // NOT
      return NegatableFollows(Pos + word.size());
    default:
      return false;
  }
}

bool STFilterScanner::NegatableFollows(std::size_t Pos) const {
  SkipBlanks(text_, Pos);
  if (Pos >= text_.size()) return false;
  if (text_[Pos] == u'~') return true;
  const String word = ReadSTFilterWord(text_, Pos);
  const TSTFilterOperatorEx op = KeywordOf(word);
  if (op == foLike || op == foNull) return true;
  if (op != foIn) return false;
  std::size_t p = Pos + word.size();
  SkipBlanks(text_, p);
  return p < text_.size() && text_[p] == u'(';
}

Variant STFilterScanner::ReadValue(bool ListsAllowed) {
  if (pos_ >= text_.size()) return Variant::Null();
  if (text_[pos_] == u'\'') {
    String value;
    std::size_t p = pos_ + 1;
    for (;;) {
      if (p >= text_.size()) Fail(u"Quote is absent: ");
      if (text_[p] == u'\'') {
        if (p + 1 < text_.size() && text_[p + 1] == u'\'') {
          value += u'\'';
          p += 2;
          continue;
        }
        ++p;
        break;
      }
      value += text_[p++];
    }
    pos_ = p;
    return Variant(value);
  }
  const std::size_t start = pos_;
  std::size_t p = pos_;
  while (p < text_.size()) {
    const char16_t c = text_[p];
    if (c == u'(' || c == u')' || (ListsAllowed && c == u',')) break;
    if (c == u' ' && OperatorFollows(p)) break;
    ++p;
  }
  pos_ = p;
  if (p == start) return Variant::Null();
  return Variant(text_.substr(start, p - start));
}

Variant STFilterScanner::ReadValueList(bool ListsAllowed) {
  Variant first = ReadValue(ListsAllowed);
  if (!ListsAllowed || pos_ >= text_.size() || text_[pos_] != u',') return first;
  std::vector<Variant> values{first};
  while (pos_ < text_.size() && text_[pos_] == u',') {
    ++pos_;
    values.push_back(ReadValue(ListsAllowed));
  }
  Variant list = rtl::VarArrayCreate(0, static_cast<int>(values.size()) - 1);
  for (std::size_t i = 0; i < values.size(); ++i) list[static_cast<int>(i)] = values[i];
  return list;
}

TSTFilterOperatorEx STFilterScanner::ReadToken(Variant& Operand, bool ListsAllowed) {
  Operand = Variant::Null();
  SkipBlanks(text_, pos_);
  if (pos_ >= text_.size()) return foNon;
  const char16_t c = text_[pos_];
  const char16_t next = pos_ + 1 < text_.size() ? text_[pos_ + 1] : 0;
  auto symbol = [&](std::size_t Length, TSTFilterOperatorEx Op) {
    pos_ += Length;
    SkipBlanks(text_, pos_);
    return Op;
  };
  switch (c) {
    case u'=':
      return symbol(1, foEqual);
    case u'<':
      if (next == u'>') return symbol(2, foNotEqual);
      if (next == u'=') return symbol(2, foLessOrEqual);
      return symbol(1, foLessThan);
    case u'>':
      if (next == u'=') return symbol(2, foGreaterOrEqual);
      return symbol(1, foGreaterThan);
    case u'~':
      return symbol(1, foLike);
    case u'&':
      return symbol(1, foAND);
    case u'|':
      return symbol(1, foOR);
    case u'!':
      if (next == u'=') return symbol(2, foNotEqual);
      symbol(1, foNon);
      return Negated(ListsAllowed);
    case u'(':
      return symbol(1, foNon);
    default:
      break;
  }
  const String word = ReadSTFilterWord(text_, pos_);
  switch (KeywordOf(word)) {
    case foNon:
      symbol(word.size(), foNon);
      return Negated(ListsAllowed);
    case foAND:
      return symbol(word.size(), foAND);
    case foOR:
      return symbol(word.size(), foOR);
    case foLike:
      return symbol(word.size(), foLike);
    case foNull:
      return symbol(word.size(), foNull);
    case foIn:
      pos_ += word.size();
      SkipBlanks(text_, pos_);
      if (pos_ >= text_.size() || text_[pos_] != u'(') Fail(u"'(' expected: ");
      return symbol(1, foIn);
    default:
      break;
  }
  Operand = ReadValueList(ListsAllowed);
  return Operand.IsNull() ? foNon : foValue;
}

TSTFilterOperatorEx STFilterScanner::Negated(bool ListsAllowed) {
  Variant ignored;
  switch (ReadToken(ignored, ListsAllowed)) {
    case foLike:
      return foNotLike;
    case foIn:
      return foNotIn;
    case foNull:
      return foNotNull;
    default:
      return foNon;
  }
}

bool STFilterScanner::CloseParenthesis() {
  SkipBlanks(text_, pos_);
  if (pos_ >= text_.size() || text_[pos_] != u')') return false;
  ++pos_;
  return true;
}

}  // namespace filters_detail

namespace {

using filters_detail::STFilterScanner;

bool ListsAllowedFor(const TSTFilterExpressionEx& E) {
  return !(E.ExpressionType == botNumber && rtl::FormatSettings().DecimalSeparator == u',');
}

TSTFilterOperatorEx AutoOperator(const TSTFilterExpressionEx& E, const Variant& Operand) {
  if (Operand.IsArray()) return foIn;
  return E.ExpressionType == botString ? foLike : foEqual;
}

// A bare operand under a chosen default operator: the begins/ends/contains
// forms become like-patterns. Lists are in-lists whatever else was chosen:
// a pattern or a comparison cannot take several values.
void ApplyDefaultOperator(TSTFilterExpressionEx& E, TSTFilterDefaultOperatorEx D, Variant& Operand,
                          TSTFilterOperatorEx& Operator) {
  Operator = STFilterDefaultOperatorMap(D);
  if (Operand.IsArray()) {
    if (Operator != foIn && Operator != foNotIn) Operator = foIn;
    return;
  }
  const String text = Operand.AsString();
  if (text.starts_with(u'%')) return;
  String pattern = text;
  if (D == fdoBeginsWith || D == fdoDoesntBeginWith || D == fdoContains || D == fdoDoesntContain)
    pattern += u'%';
  if (D == fdoEndsWith || D == fdoDoesntEndWith || D == fdoContains || D == fdoDoesntContain)
    pattern = u'%' + pattern;
  Operand = Variant(pattern);
  (void)E;
}

// One condition after its first token Token; answers false when nothing
// was there (a relation without a second condition).
bool ReadCondition(STFilterScanner& S, TSTFilterExpressionEx& E, TSTFilterOperatorEx Token, Variant Operand,
                   bool First, bool& ListsAllowed, TSTFilterOperatorEx& Operator, Variant& Result) {
  if (Token == foNon) {
    if (First) S.Fail(u"Error in expression: ");
    return false;
  }
  if (Token == foAND || Token == foOR) S.Fail(u"Error in expression: ");
  Operator = Token;
  if (Operator == foIn || Operator == foNotIn) ListsAllowed = true;
  Variant value;
  const TSTFilterOperatorEx next = S.ReadToken(value, ListsAllowed);
  if (next == foNull) {
    if (Operator == foEqual)
      Operator = foNull;
    else if (Operator == foNotEqual)
      Operator = foNotNull;
    else
      S.Fail(u"Unexpected expression before Null: ");
    Result = Variant::Null();
  } else if (next == foValue) {
    Result = value;
  } else {
    S.Fail(u"Unexpected expression after operator: ");
  }
  if (First && (Operator == foIn || Operator == foNotIn)) {
    if (!S.CloseParenthesis()) S.Fail(u"')' expected: ");
    ListsAllowed = ListsAllowedFor(E);
  }
  (void)Operand;
  return true;
}

Variant ConvertOneOperand(const Variant& Value, TSTOperandTypeEx Type) {
  if (Value.IsNull()) return Value;
  const String text = Value.AsString();
  if (Type == botNumber) return Variant(rtl::StrToFloat(text));
  if (Type == botDateTime) {
    if (rtl::SameText(text, u"NOW")) return Value;
    return Variant::FromDate(rtl::StrToDateTime(text));
  }
  return Value;
}

Variant ConvertSTFilterOperand(TSTFilterOperatorEx Operator, const Variant& Operand, TSTOperandTypeEx Type) {
  if (Operator < foEqual || Operator > foNotIn) return Variant::Null();
  if (!Operand.IsArray()) return ConvertOneOperand(Operand, Type);
  Variant out = rtl::VarArrayCreate(Operand.LowBound(), Operand.HighBound());
  for (int i = Operand.LowBound(); i <= Operand.HighBound(); ++i)
    out[i] = ConvertOneOperand(Operand[i], Type);
  return out;
}

}  // namespace

bool ParseSTFilterExpression(const String& Text, TSTFilterExpressionEx& Expression,
                             TSTFilterDefaultOperatorEx DefaultOperator) {
  TSTFilterExpressionEx& E = Expression;
  const TSTOperandTypeEx type = E.ExpressionType;
  ClearSTFilterExpression(E);
  E.ExpressionType = type;
  bool listsAllowed = ListsAllowedFor(E);
  const String text = rtl::Trim(Text);
  if (text.empty()) return false;
  STFilterScanner s(text);

  Variant operand;
  TSTFilterOperatorEx token = s.ReadToken(operand, listsAllowed);
  if (token == foValue) {
    if (DefaultOperator != fdoAuto)
      ApplyDefaultOperator(E, DefaultOperator, operand, E.Operator1);
    else
      E.Operator1 = AutoOperator(E, operand);
    E.Operand1 = operand;
  } else {
    ReadCondition(s, E, token, operand, true, listsAllowed, E.Operator1, E.Operand1);
  }

  bool second = false;
  token = s.ReadToken(operand, listsAllowed);
  if (token == foAND || token == foOR) {
    E.Relation = token;
    token = s.ReadToken(operand, listsAllowed);
    if (token == foValue) {
      E.Operator2 = AutoOperator(E, operand);
      E.Operand2 = operand;
      second = true;
    } else {
      second = ReadCondition(s, E, token, operand, false, listsAllowed, E.Operator2, E.Operand2);
      if (!second && !s.AtEnd()) s.Fail(u"Incorrect expression: ");
    }
  } else if (token != foNon) {
    s.Fail(u"Unexpected AND or OR: ");
  } else if (!s.AtEnd()) {
    s.Fail(u"Incorrect expression: ");
  }

  E.Operand1 = ConvertSTFilterOperand(E.Operator1, E.Operand1, E.ExpressionType);
  E.Operand2 = ConvertSTFilterOperand(E.Operator2, E.Operand2, E.ExpressionType);
  return second;
}

// --- filter texts ---------------------------------------------------------------------

String STFilterValueText(const Variant& Value, const TDateValueToSQLStringProcEx& DateProc,
                         db::TDataSet* DataSet) {
  switch (Value.BaseType()) {
    case rtl::varDouble:
      return rtl::FloatToStr(Value.AsDouble());
    case rtl::varDate:
      if (DateProc) return DateProc(DataSet, Value);
      return filters_detail::QuoteSTFilterText(rtl::DateTimeToStr(Value.AsDateTime()));
    default:
      // Doubled inner quotes keep a value such as O'Brien one literal of the text.
      return filters_detail::QuoteSTFilterText(Value.AsString());
  }
}

void StandardSTFilterConditionText(TSTFilterOperatorEx Operator, const Variant& Operand,
                                   const String& FieldName, String& Text, bool UseLike,
                                   const TDateValueToSQLStringProcEx& DateProc, db::TDataSet* DataSet) {
  switch (Operator) {
    case foIn:
    case foNotIn: {
      // A negated list is the negation of the list's disjunction.
      Text += Operator == foNotIn ? u" NOT (" : u" (";
      String terms;
      auto add = [&](const Variant& V) {
        terms += u"[" + FieldName + u"] = " + STFilterValueText(V, DateProc, DataSet) + u" OR ";
      };
      if (Operand.IsArray())
        for (int i = Operand.LowBound(); i <= Operand.HighBound(); ++i) add(Operand[i]);
      else
        add(Operand);
      terms.resize(terms.size() - 4);
      Text += terms + u")";
      break;
    }
    case foLike:
    case foNotLike:
      Text += u" [" + FieldName;
      if (UseLike)
        Text += Operator == foLike ? u"] Like " : u"] Not Like ";
      else
        Text += Operator == foLike ? u"] = " : u"] <> ";
      Text += STFilterValueText(Operand, DateProc, DataSet);
      break;
    default:
      Text += u" [" + FieldName + u"] " + STFilterOperatorsSQLStrMapEx(Operator);
      if (Operator != foNull && Operator != foNotNull)
        Text += u" " + STFilterValueText(Operand, DateProc, DataSet);
      break;
  }
}

String ColumnSTFilterText(TColumnEx* Column, const TOneExpressionFilterStringProcEx& ConditionProc,
                          const TDateValueToSQLStringProcEx& DateProc, bool UseFieldOrigin, bool UseLike) {
  db::TField* field = Column->Field();
  TSTColumnFilterEx* filter = Column->STFilter();
  String fieldName;
  if (field) {
    if (UseFieldOrigin && !field->Origin().empty() && filter->DataField().empty())
      fieldName = field->Origin();
    else
      fieldName = filter->GetFilterFieldName();
  }
  const TSTFilterExpressionEx& e = filter->ExpressionRef();
  if (e.ExpressionType == botNon || !field || e.Operator1 == foNon) return String();
  db::TDataSet* ds = field->DataSet();
  String text;
  ConditionProc(e.Operator1, filter->GetOperand1(), fieldName, text, UseLike, DateProc, ds);
  if (e.Relation != foNon) {
    text += u" " + STFilterOperatorsSQLStrMapEx(e.Relation);
    ConditionProc(e.Operator2, filter->GetOperand2(), fieldName, text, UseLike, DateProc, ds);
    if (e.Relation == foOR) text = u"(" + text + u")";
  }
  return text;
}

void BuildGridFilterText(TCustomDBGridEx* Grid, const TOneExpressionFilterStringProcEx& ConditionProc,
                         const TDateValueToSQLStringProcEx& DateProc, bool UseFieldOrigin, bool UseLike,
                         String& Text) {
  Text.clear();
  if (!Grid->DataSource() || !Grid->DataSource()->DataSet()) return;
  TDBGridColumnsEx* columns = Grid->Columns();
  for (int i = 0; i < columns->Count(); ++i) {
    const String one =
        ColumnSTFilterText(columns->ColumnAt(i), ConditionProc, DateProc, UseFieldOrigin, UseLike);
    if (!one.empty()) Text += one + u" AND ";
  }
  if (Text.size() >= 4) Text.resize(Text.size() - 4);
}

}  // namespace grid
