// A column's entry in the grid's filter row: the text the user typed, the
// expression parsed from it, and an optional list source whose values the
// filter's drop-down offers (and whose keys a lookup filter stands for).
#pragma once

#include <memory>
#include <vector>

#include "grid/columns/filters/db_utils_ex.h"
#include "grid/editors/field_data_link_ex.h"
#include "platform/classes/string_list.h"
#include "platform/data/data_source.h"

namespace grid {

class TColumnEx;
class TCustomDBGridEx;
class TPopupListboxItemEx;
class IMemTableDataFieldValueListEx;

class TSTColumnFilterEx : public ui::TPersistent {
  JQ_UI_CLASSINFO
 public:
  explicit TSTColumnFilterEx(TColumnEx* AColumn);
  ~TSTColumnFilterEx() override;

  TColumnEx* Column() const { return FColumn; }
  TCustomDBGridEx* Grid() const;

  // --- published
  const String& DataField() const { return FDataField; }
  void SetDataField(const String& Value) { FDataField = Value; }
  const String& KeyField() const { return FKeyField; }
  void SetKeyField(const String& Value) { FKeyField = Value; }
  const String& ListField() const { return FListField; }
  void SetListField(const String& Value) { FListField = Value; }
  db::TDataSource* ListSource() const;
  void SetListSource(db::TDataSource* Value);
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);

  // --- public
  int DropDownListWidth() const { return FDropDownListWidth; }
  void SetDropDownListWidth(int Value) { FDropDownListWidth = Value; }
  int DropDownListRows() const { return FDropDownListRows; }
  void SetDropDownListRows(int Value) { FDropDownListRows = Value; }
  TSTFilterExpressionEx Expression() const { return FExpression; }
  const TSTFilterExpressionEx& ExpressionRef() const { return FExpression; }
  void SetExpression(const TSTFilterExpressionEx& Value);
  // Replaces the expression and leaves the typed text alone (for a moment's
  // change that is put back).
  void SetExpressionQuietly(const TSTFilterExpressionEx& Value) { FExpression = Value; }
  const String& ExpressionStr() const { return FExpressionStr; }
  void SetExpressionStr(const String& Value);
  const String& KeyCommaText() const { return FKeyCommaText; }
  void SetKeyCommaText(const String& Value) { FKeyCommaText = Value; }
  const rtl::Variant& KeyValues() const { return FKeyValues; }
  ui::TStrings* List() const { return FList.get(); }
  ui::TStrings* Keys() const { return FKeys.get(); }

  // State the filter drop-down keeps here (one check byte per list item).
  std::vector<std::uint8_t>& ListValuesCheckingState() { return FListValuesCheckingState; }
  int PopupListboxDownIndex() const { return FPopupListboxDownIndex; }
  void SetPopupListboxDownIndex(int Value) { FPopupListboxDownIndex = Value; }
  bool InFilterListBox() const { return FInFilterListBox; }
  void SetInFilterListBox(bool Value) { FInFilterListBox = Value; }
  bool EnterNotClearData() const { return FEnterNotClearData; }
  void SetEnterNotClearData(bool Value) { FEnterNotClearData = Value; }
  ui::TStrings* PopupFilterItems() const { return FPopupFilterItems.get(); }

  void Assign(const ui::TPersistent* Source) override;
  void Clear();
  String CurrentKeyField() const;
  String CurrentDataField() const;
  String CurrentListField() const;
  db::TDataSet* CurrentListDataSet() const;
  std::shared_ptr<IMemTableDataFieldValueListEx> GetFieldValueList() const;
  void SetKeyListValues(const String& AText, const rtl::Variant& KeyVals);
  void SetKeysFromListValues(ui::TStrings* ss);
  // The operand's text as the filter row would read it back as one operand.
  String GetOperandAsString(TSTFilterOperatorEx Operator, const rtl::Variant& v) const;

  // --- own virtual operations, in slot order
  virtual String ExpressionToText();
  virtual bool AcceptsFilter() { return true; }
  virtual String ParseExpressionStr(const String& Text);
  virtual void PickListToKeyValues(TSTFilterExpressionEx& Expression);
  virtual String GetFilterFieldName() const { return CurrentDataField(); }
  virtual rtl::Variant GetOperand1() const;
  virtual rtl::Variant GetOperand2() const { return FExpression.Operand2; }
  // Marks the drop-down's data items whose texts the expression selects.
  virtual void MarkCheckedListValues(ui::TStrings* Items);
  // The checked data items become the filter: "=x", "in ('x','y')" or none.
  virtual void ApplyListValuesChecking(ui::TStrings* Items);

 protected:
  virtual String ParseText(const String& Text);
  virtual void OperandToKeys();
  void ListLinkActiveChange(ui::TObject* Sender);

 private:
  // The lookup field the column shows, when the grid's link is active.
  db::TField* LookupFieldOfColumn() const;
  rtl::Variant KeyToListValue(const rtl::Variant& Key) const;
  TSTFilterDefaultOperatorEx DefaultOperator() const;
  bool HasListLookup() const;

  TColumnEx* FColumn;
  String FDataField;
  String FKeyCommaText;
  String FKeyField;
  std::unique_ptr<ui::TStringList> FKeys;
  rtl::Variant FKeyValues = rtl::Variant::Null();
  std::unique_ptr<ui::TStringList> FList;
  String FListField;
  std::unique_ptr<TFieldDataLinkEx> FListLink;
  bool FVisible = true;
  int FDropDownListWidth = 0;
  int FDropDownListRows = 15;
  int FPopupListboxDownIndex = -1;
  std::unique_ptr<ui::TStringList> FPopupFilterItems;
  TSTFilterExpressionEx FExpression;
  String FExpressionStr;
  std::vector<std::uint8_t> FListValuesCheckingState;
  bool FInFilterListBox = false;
  bool FEnterNotClearData = false;
};

}  // namespace grid
