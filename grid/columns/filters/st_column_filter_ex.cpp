#include "grid/columns/filters/st_column_filter_ex.h"

#include "grid/columns/columns/column_ex.h"
#include "grid/columns/filters/filter_popup_items.h"
#include "grid/columns/filters/filters_internal.h"
#include "grid/columns/filters/inplace_filter_edit_ex.h"
#include "grid/columns/filters/st_db_grid_ex_filter.h"
#include "grid/core/custom_db_grid_ex.h"
#include "grid/core/db_grid_ex_center.h"
#include "grid/core/grid_data_link_ex.h"
#include "grid/editor_support/data_link_ex.h"
#include "platform/classes/typinfo.h"
#include "platform/runtime/convert.h"
#include "platform/runtime/datetime.h"
#include "platform/runtime/rtl_string.h"

namespace grid {

using namespace ui;
using rtl::Variant;

const TClassInfo& TSTColumnFilterEx::StaticClassInfo() {
  using T = TSTColumnFilterEx;
  static const TClassInfo info = TClassBuilder<T>("TSTColumnFilterEx", &TPersistent::StaticClassInfo())
                                     .Str("DataField", &T::DataField, &T::SetDataField)
                                     .Str("KeyField", &T::KeyField, &T::SetKeyField)
                                     .Str("ListField", &T::ListField, &T::SetListField)
                                     .Object("ListSource", "TDataSource", &T::ListSource, &T::SetListSource)
                                     .Boolean("Visible", &T::Visible, &T::SetVisible, 1)
                                     .Unit("DBGridEx")
                                     .Build();
  return info;
}

TSTColumnFilterEx::TSTColumnFilterEx(TColumnEx* AColumn) : FColumn(AColumn) {
  ClearSTFilterExpression(FExpression);
  FList = std::make_unique<TStringList>();
  FKeys = std::make_unique<TStringList>();
  FPopupFilterItems = std::make_unique<TStringList>();
  FListLink = std::make_unique<TFieldDataLinkEx>();
  FListLink->OnActiveChange = [this](TObject* Sender) { ListLinkActiveChange(Sender); };
}

TSTColumnFilterEx::~TSTColumnFilterEx() {
  FListLink->OnActiveChange = nullptr;
  FListLink->SetDataSource(nullptr);
}

TCustomDBGridEx* TSTColumnFilterEx::Grid() const { return FColumn ? FColumn->Grid() : nullptr; }

db::TDataSource* TSTColumnFilterEx::ListSource() const { return FListLink->DataSource(); }

void TSTColumnFilterEx::SetListSource(db::TDataSource* Value) { FListLink->SetDataSource(Value); }

void TSTColumnFilterEx::SetVisible(bool Value) {
  if (FVisible == Value) return;
  FVisible = Value;
  if (FColumn) FColumn->NotifyChanged();
  // A hidden filter cell can no longer be edited.
  TCustomDBGridEx* grid = Grid();
  if (grid && grid->FilterEditMode()) grid->PlaceFilterEditor(false);
}

void TSTColumnFilterEx::Assign(const TPersistent* Source) {
  if (auto* src = dynamic_cast<const TSTColumnFilterEx*>(Source)) {
    SetDataField(src->DataField());
    SetVisible(src->Visible());
    SetKeyField(src->KeyField());
    SetListField(src->ListField());
    SetListSource(src->ListSource());
    return;
  }
  TPersistent::Assign(Source);
}

void TSTColumnFilterEx::Clear() {
  FKeyValues = Variant::Null();
  SetExpressionStr(String());
}

// --- field resolution -------------------------------------------------------------

db::TField* TSTColumnFilterEx::LookupFieldOfColumn() const {
  TCustomDBGridEx* grid = Grid();
  if (!grid || !grid->DataLink() || !grid->DataLink()->Active()) return nullptr;
  db::TField* field = FColumn->Field();
  return field && field->Lookup() ? field : nullptr;
}

String TSTColumnFilterEx::CurrentKeyField() const {
  if (!FKeyField.empty()) return FKeyField;
  if (db::TField* f = LookupFieldOfColumn()) return f->LookupKeyFields();
  return String();
}

String TSTColumnFilterEx::CurrentDataField() const {
  if (!FDataField.empty()) return FDataField;
  if (db::TField* f = LookupFieldOfColumn()) return f->KeyFields();
  return FColumn ? FColumn->FieldName() : String();
}

String TSTColumnFilterEx::CurrentListField() const {
  if (!FListField.empty()) return FListField;
  if (db::TField* f = LookupFieldOfColumn()) return f->LookupResultField();
  return String();
}

db::TDataSet* TSTColumnFilterEx::CurrentListDataSet() const {
  if (ListSource()) return ListSource()->DataSet();
  if (db::TField* f = LookupFieldOfColumn()) return f->LookupDataSet();
  return nullptr;
}

bool TSTColumnFilterEx::HasListLookup() const {
  return !CurrentKeyField().empty() && CurrentListDataSet() && !CurrentListField().empty();
}

Variant TSTColumnFilterEx::GetOperand1() const {
  if (!CurrentKeyField().empty()) return FKeyValues;
  return FExpression.Operand1;
}

// --- expression and text ---------------------------------------------------------------

TSTFilterDefaultOperatorEx TSTColumnFilterEx::DefaultOperator() const {
  TCustomDBGridEx* grid = Grid();
  TDBGridExCenter* centre = grid ? grid->Center() : nullptr;
  if (!centre) return fdoAuto;
  return centre->GetSTFilterDefaultOperator(grid, FColumn, FExpression);
}

String TSTColumnFilterEx::ParseText(const String& Text) {
  db::TField* field = FColumn ? FColumn->Field() : nullptr;
  FExpression.ExpressionType = field ? STFldTypeMapEx(field->DataType()) : botNon;
  if (FColumn && FColumn->HasKeyItems() && FColumn->HasPickItems()) FExpression.ExpressionType = botString;
  ParseSTFilterExpression(Text, FExpression, DefaultOperator());
  PickListToKeyValues(FExpression);
  return ExpressionToText();
}

String TSTColumnFilterEx::ParseExpressionStr(const String& Text) {
  // Parsed into a copy first: a text that does not parse leaves the filter as it was.
  const TSTFilterExpressionEx saved = FExpression;
  String display;
  try {
    display = ParseText(Text);
  } catch (...) {
    FExpression = saved;
    throw;
  }
  FExpressionStr = Text;
  if (HasListLookup()) OperandToKeys();
  return display;
}

void TSTColumnFilterEx::OperandToKeys() {
  db::TDataSet* ds = CurrentListDataSet();
  const String keyField = CurrentKeyField();
  const String listField = CurrentListField();
  filters_detail::ForEachSetOperandValue(FExpression,
                                         [&](Variant& V) { V = ds->Lookup(listField, V, keyField); });
}

void TSTColumnFilterEx::SetExpressionStr(const String& Value) {
  ParseExpressionStr(Value);
  TCustomDBGridEx* grid = Grid();
  if (!grid) return;
  grid->Invalidate();
  TInplaceFilterEditEx* editor = grid->FilterEdit();
  if (editor && editor->Visible()) grid->PlaceFilterEditor(true);
}

void TSTColumnFilterEx::SetExpression(const TSTFilterExpressionEx& Value) {
  FExpression = Value;
  FExpressionStr = ExpressionToText();
}

void TSTColumnFilterEx::PickListToKeyValues(TSTFilterExpressionEx& Expression) {
  if (!FColumn || !FColumn->HasKeyItems() || !FColumn->HasPickItems()) return;
  TStrings* pick = FColumn->PickList();
  TStrings* keys = FColumn->KeyList();
  auto one = [&](Variant& V) {
    const int i = pick->IndexOf(V.AsString());
    if (i >= 0 && i < keys->Count()) V = Variant(keys->Strings(i));
  };
  filters_detail::ForEachSetOperandValue(Expression, [&](Variant& V) {
    if (!V.IsNull()) one(V);
  });
}

namespace {

String DisplayValueText(const Variant& V) {
  switch (V.BaseType()) {
    case rtl::varDouble:
      return rtl::FloatToStr(V.AsDouble());
    case rtl::varDate:
      return rtl::DateToStr(V.AsDateTime());
    default:
      return filters_detail::QuoteSTFilterText(V.AsString());
  }
}

String ConditionDisplayText(TSTFilterOperatorEx Op, const Variant& Operand) {
  switch (Op) {
    case foNull:
      return u"=" + STFilterOperatorsStrMapEx(foNull);
    case foNotNull:
      return u"<>" + STFilterOperatorsStrMapEx(foNotNull);
    case foIn:
    case foNotIn: {
      String values;
      if (Operand.IsArray())
        for (int i = Operand.LowBound(); i <= Operand.HighBound(); ++i)
          values += DisplayValueText(Operand[i]) + u",";
      else
        values = DisplayValueText(Operand) + u",";
      values.pop_back();
      return STFilterOperatorsStrMapEx(Op) + u" (" + values + u")";
    }
    default:
      return STFilterOperatorsStrMapEx(Op) + u" " + DisplayValueText(Operand);
  }
}

}  // namespace

String TSTColumnFilterEx::ExpressionToText() {
  const TSTFilterExpressionEx& e = FExpression;
  if (e.ExpressionType == botNon || e.Operator1 == foNon) return String();
  if (ListSource()) {
    if (!e.Operand1.IsArray()) return e.Operand1.AsString();
    String out;
    for (int i = e.Operand1.LowBound(); i <= e.Operand1.HighBound(); ++i) {
      if (i > e.Operand1.LowBound()) out += u",";
      out += filters_detail::QuoteSTFilterText(e.Operand1[i].AsString());
    }
    return out;
  }
  String text = ConditionDisplayText(e.Operator1, e.Operand1);
  if (e.Relation != foNon)
    text +=
        u" " + STFilterOperatorsStrMapEx(e.Relation) + u" " + ConditionDisplayText(e.Operator2, e.Operand2);
  return text;
}

// --- key lists ---------------------------------------------------------------------------

void TSTColumnFilterEx::SetKeyListValues(const String& AText, const Variant& KeyVals) {
  SetExpressionStr(String());
  if (KeyVals.IsNull()) {
    FKeyValues = Variant::Null();
    return;
  }
  TSTFilterExpressionEx e = FExpression;
  e.ExpressionType = botString;
  e.Operator1 = foIn;
  e.Operand1 = Variant(AText);
  SetExpression(e);
  FKeyValues = KeyVals;
}

void TSTColumnFilterEx::SetKeysFromListValues(TStrings* ss) {
  if (!FListLink->Active() || FListField.empty() || !ListSource() || !ListSource()->DataSet()) return;
  db::TDataSet* ds = ListSource()->DataSet();
  const String keyField = FKeyField.empty() ? FListField : FKeyField;
  Variant keys = rtl::VarArrayCreate(0, ss->Count() - 1);
  String text;
  for (int i = 0; i < ss->Count(); ++i) {
    keys[i] = ds->Lookup(FListField, Variant(ss->Strings(i)), keyField);
    if (i > 0) text += u",";
    text += filters_detail::QuoteSTFilterText(ss->Strings(i));
  }
  SetKeyListValues(text, keys);
}

void TSTColumnFilterEx::ListLinkActiveChange(TObject*) {
  db::TDataSet* ds = ListSource() ? ListSource()->DataSet() : nullptr;
  if (FListLink->Active() && ds && ds->Active() && !FListField.empty() && !FKeyField.empty()) {
    FList->Clear();
    FKeys->Clear();
    db::TField* listField = ds->FieldByName(FListField);
    db::TField* keyField = ds->FieldByName(FKeyField);
    ds->DisableControls();
    try {
      ds->First();
      while (!ds->Eof()) {
        FList->Add(listField->AsString());
        FKeys->Add(keyField->AsString());
        ds->Next();
      }
      ds->First();
    } catch (...) {
      ds->EnableControls();
      throw;
    }
    ds->EnableControls();
  }
  if (FColumn) FColumn->SetFieldValueList(nullptr);
}

std::shared_ptr<IMemTableDataFieldValueListEx> TSTColumnFilterEx::GetFieldValueList() const {
  TCustomDBGridEx* grid = Grid();
  if (!grid || !grid->DataLink()->Active()) return nullptr;
  db::TDataSet* ds = ListSource() ? ListSource()->DataSet() : nullptr;
  if (!ds || !ds->Active()) return nullptr;
  db::TField* field =
      ds->FindField(FListField.empty() ? (FColumn ? FColumn->FieldName() : String()) : FListField);
  if (!field) return nullptr;
  auto list = std::make_shared<TDatasetFieldValueListEx>();
  list->SetFieldName(field->FieldName());
  list->SetDataSource(ListSource());
  return list;
}

Variant TSTColumnFilterEx::KeyToListValue(const Variant& Key) const {
  if (!HasListLookup()) return Key;
  return CurrentListDataSet()->Lookup(CurrentKeyField(), Key, CurrentListField());
}

String TSTColumnFilterEx::GetOperandAsString(TSTFilterOperatorEx Operator, const Variant& v) const {
  auto element = [&](const Variant& E) {
    const String s = KeyToListValue(E).AsString();
    const String upper = rtl::UpperCase(s);
    bool quote = (Operator == foIn || Operator == foNotIn) && s.find(u',') != String::npos;
    quote = quote || (!s.empty() && (s.front() == u' ' || s.front() == u'\'' || s.back() == u' '));
    quote = quote || upper.ends_with(u" OR") || upper.ends_with(u" AND") || upper == u"OR" || upper == u"AND";
    return quote ? filters_detail::QuoteSTFilterText(s) : s;
  };
  if (!v.IsArray()) return element(v);
  String out;
  for (int i = v.LowBound(); i <= v.HighBound(); ++i) {
    if (i > v.LowBound()) out += u",";
    out += element(v[i]);
  }
  return out;
}

// --- the drop-down's check marks -----------------------------------------------------------

void TSTColumnFilterEx::MarkCheckedListValues(TStrings* Items) {
  std::vector<Variant> values;
  auto collect = [&](const Variant& V) {
    if (V.IsArray())
      for (int i = V.LowBound(); i <= V.HighBound(); ++i) values.push_back(V[i]);
    else
      values.push_back(V);
  };
  const TSTFilterExpressionEx& e = FExpression;
  if (e.Operator1 == foIn) {
    collect(GetOperand1());
  } else if (e.Operator1 == foEqual) {
    collect(GetOperand1());
    if (e.Relation == foOR && e.Operator2 == foEqual) collect(e.Operand2);
  }
  std::vector<String> texts;
  for (const Variant& v : values) texts.push_back(KeyToListValue(v).AsString());
  FListValuesCheckingState.resize(static_cast<std::size_t>(Items->Count()), 0);
  for (int i = 0; i < Items->Count(); ++i) {
    if (!dynamic_cast<TPopupListboxItemExData*>(static_cast<TObject*>(Items->Objects(i)))) continue;
    for (const String& t : texts)
      if (Items->Strings(i) == t) FListValuesCheckingState[static_cast<std::size_t>(i)] = 1;
  }
}

void TSTColumnFilterEx::ApplyListValuesChecking(TStrings* Items) {
  String values;
  int checked = 0;
  for (int i = 0; i < Items->Count(); ++i) {
    const std::size_t k = static_cast<std::size_t>(i);
    if (k >= FListValuesCheckingState.size() || FListValuesCheckingState[k] != 1) continue;
    if (!dynamic_cast<TPopupListboxItemExData*>(static_cast<TObject*>(Items->Objects(i)))) continue;
    if (checked++ > 0) values += u",";
    values += filters_detail::QuoteSTFilterText(Items->Strings(i));
  }
  String text;
  if (checked == 1) text = u"=" + values;
  if (checked > 1) text = u"in (" + values + u")";
  ParseExpressionStr(text);
  TCustomDBGridEx* grid = Grid();
  if (!grid) return;
  grid->Invalidate();
  TInplaceFilterEditEx* editor = grid->FilterEdit();
  if (editor && editor->Visible()) editor->SetText(FExpressionStr);
  if (grid->STFilter()->InstantApply()) grid->ExecuteApplyFilter();
}

}  // namespace grid
