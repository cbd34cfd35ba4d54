// The footer cells of a grid column: an aggregate over the dataset's
// records (kept by the grid's sum list), the current record's value, or a
// fixed text.
#pragma once

#include <memory>

#include "grid/columns/columns/column_ex.h"
#include "grid/columns/sums/db_sum_list.h"

namespace grid {

enum TFooterValueType : int { fvtNon, fvtSum, fvtAvg, fvtCount, fvtFieldValue, fvtStaticText };

enum TColumnFooterValue { cvFooterAlignment, cvFooterFont, cvFooterColor, cvFooterToolTips };
using TColumnFooterValues = ui::TSet<TColumnFooterValue>;

class TColumnFooterEx : public ui::TCollectionItem {
  JQ_UI_CLASSINFO
 public:
  // A member of a column's footer collection.
  explicit TColumnFooterEx(ui::TCollection* Collection);
  // A column's single footer, outside any collection.
  static TColumnFooterEx* CreateApart(TColumnEx* Column);
  ~TColumnFooterEx() override;

  TColumnEx* Column() const { return FColumn; }
  TColumnFooterValues AssignedValues() const { return FAssignedValues; }

  ui::TAlignment Alignment() const;
  void SetAlignment(ui::TAlignment Value);
  ui::TColor Color() const;
  void SetColor(ui::TColor Value);
  const String& DisplayFormat() const { return FDisplayFormat; }
  void SetDisplayFormat(const String& Value);
  bool EndEllipsis() const { return FEndEllipsis; }
  void SetEndEllipsis(bool Value);
  const String& FieldName() const { return FFieldName; }
  void SetFieldName(const String& Value);
  ui::TFont* Font() const;
  void SetFont(const ui::TFont* Value);
  bool ToolTips() const;
  void SetToolTips(bool Value);
  const String& Value() const { return FValue; }
  void SetValue(const String& Value);
  TFooterValueType ValueType() const { return FValueType; }
  void SetValueType(TFooterValueType Value);
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool Value);
  // Null without a sum item, and when the sum overflowed.
  rtl::Variant SumValue() const;
  TDBSum* DBSum() const { return FDBSum; }
  // The footer's own field name, else the column's.
  String AggregateFieldName() const;

  ui::TAlignment DefaultAlignment() const;
  ui::TColor DefaultColor() const;
  ui::TFont* DefaultFont() const;
  bool DefaultToolTips() const;

  void Assign(const ui::TPersistent* Source) override;
  void RestoreDefaults();
  // Binds the footer's sum item to its value type.
  void EnsureSumValue();

  bool IsAlignmentStored() const;
  bool IsColorStored() const;
  bool IsFontStored() const { return FAssignedValues.Contains(cvFooterFont); }
  bool IsToolTipsStored() const { return FAssignedValues.Contains(cvFooterToolTips) && FToolTips; }

 private:
  explicit TColumnFooterEx(TColumnEx* Column);
  void Init();
  void FontChanged();
  void RefreshFont() const;
  void Notify(bool AllItems = false);
  void FreeSum();
  void RepaintFooter() const;
  TCustomDBGridEx* Grid() const { return FColumn ? FColumn->Grid() : nullptr; }

  ui::TAlignment FAlignment = ui::taLeftJustify;
  TColumnFooterValues FAssignedValues;
  ui::TColor FColor = ui::clWindow;
  TColumnEx* FColumn = nullptr;
  String FDisplayFormat;
  bool FEndEllipsis = false;
  String FFieldName;
  std::unique_ptr<ui::TFont> FFont;
  bool FToolTips = false;
  String FValue;
  TFooterValueType FValueType = fvtNon;
  bool FWordWrap = false;
  TDBSum* FDBSum = nullptr;
  mutable bool FCopyingFont = false;
};

class TColumnFootersEx : public ui::TCollection {
  JQ_UI_CLASSINFO
 public:
  explicit TColumnFootersEx(TColumnEx* Column);
  TColumnEx* Column() const { return FColumn; }
  TColumnFooterEx* Add() { return static_cast<TColumnFooterEx*>(TCollection::Add()); }
  TColumnFooterEx* FooterAt(int Index) const { return static_cast<TColumnFooterEx*>(Items(Index)); }

 private:
  TColumnEx* FColumn;
};

}  // namespace grid
