// Grid-wide default values that columns, titles and footers answer while
// they hold no value of their own.
#pragma once

#include <memory>

#include "grid/columns/columns/column_title_ex.h"

namespace grid {

class TColumnDefValuesEx;

enum TColumnTitleDefValuesExValue { cvdpTitleColorEx, cvdpTitleAlignmentEx };
using TColumnTitleDefValuesExValues = ui::TSet<TColumnTitleDefValuesExValue>;

class TColumnTitleDefValuesEx : public ui::TPersistent {
  JQ_UI_CLASSINFO
 public:
  explicit TColumnTitleDefValuesEx(TColumnDefValuesEx* ColumnDefValues) : FColumnDefValues(ColumnDefValues) {}

  TColumnTitleDefValuesExValues AssignedValues() const { return FAssignedValues; }
  ui::TAlignment Alignment() const;
  void SetAlignment(ui::TAlignment Value);
  ui::TColor Color() const;
  void SetColor(ui::TColor Value);
  bool EndEllipsis() const { return FEndEllipsis; }
  void SetEndEllipsis(bool Value);
  TTextOrientationEx Orientation() const { return FOrientation; }
  void SetOrientation(TTextOrientationEx Value);
  bool TitleButton() const { return FTitleButton; }
  void SetTitleButton(bool Value) { FTitleButton = Value; }
  bool ToolTips() const { return FToolTips; }
  void SetToolTips(bool Value) { FToolTips = Value; }

  ui::TAlignment DefaultAlignment() const;
  ui::TColor DefaultColor() const;
  bool IsAlignmentStored() const;
  bool IsColorStored() const;
  void Assign(const ui::TPersistent* Source) override;
  ui::TPersistent* GetOwner() const override;

 private:
  TCustomDBGridEx* Grid() const;
  ui::TAlignment FAlignment = ui::taLeftJustify;
  TColumnTitleDefValuesExValues FAssignedValues;
  ui::TColor FColor = ui::clBtnFace;
  TColumnDefValuesEx* FColumnDefValues;
  bool FEndEllipsis = false;
  TTextOrientationEx FOrientation = tohHorizontal;
  bool FTitleButton = false;
  bool FToolTips = false;
};

class TColumnFooterDefValuesEx : public ui::TPersistent {
  JQ_UI_CLASSINFO
 public:
  explicit TColumnFooterDefValuesEx(TColumnDefValuesEx* Owner) : FOwner(Owner) {}
  bool ToolTips() const { return FToolTips; }
  void SetToolTips(bool Value) { FToolTips = Value; }
  void Assign(const ui::TPersistent* Source) override;
  ui::TPersistent* GetOwner() const override;

 private:
  TColumnDefValuesEx* FOwner;
  bool FToolTips = false;
};

class TColumnDefValuesEx : public ui::TPersistent {
  JQ_UI_CLASSINFO
 public:
  explicit TColumnDefValuesEx(TCustomDBGridEx* Grid);
  ~TColumnDefValuesEx() override;

  TCustomDBGridEx* Grid() const { return FGrid; }
  bool AlwaysShowEditButton() const { return FAlwaysShowEditButton; }
  void SetAlwaysShowEditButton(bool Value);
  bool AutoDropDown() const { return FAutoDropDown; }
  void SetAutoDropDown(bool Value) { FAutoDropDown = Value; }
  bool DblClickNextVal() const { return FDblClickNextVal; }
  void SetDblClickNextVal(bool Value) { FDblClickNextVal = Value; }
  bool DropDownShowTitles() const { return FDropDownShowTitles; }
  void SetDropDownShowTitles(bool Value) { FDropDownShowTitles = Value; }
  bool DropDownSizing() const { return FDropDownSizing; }
  void SetDropDownSizing(bool Value) { FDropDownSizing = Value; }
  bool EndEllipsis() const { return FEndEllipsis; }
  void SetEndEllipsis(bool Value);
  TColumnFooterDefValuesEx* Footer() const { return FFooter.get(); }
  void SetFooter(const TColumnFooterDefValuesEx* Value) { FFooter->Assign(Value); }
  bool HighlightRequired() const { return FHighlightRequired; }
  void SetHighlightRequired(bool Value);
  ui::TTextLayout Layout() const { return FLayout; }
  void SetLayout(ui::TTextLayout Value);
  TColumnTitleDefValuesEx* Title() const { return FTitle.get(); }
  void SetTitle(const TColumnTitleDefValuesEx* Value) { FTitle->Assign(Value); }
  bool ToolTips() const { return FToolTips; }
  void SetToolTips(bool Value) { FToolTips = Value; }

  void Assign(const ui::TPersistent* Source) override;
  ui::TPersistent* GetOwner() const override;

 private:
  void Repaint() const;
  bool FAlwaysShowEditButton = false;
  bool FAutoDropDown = false;
  bool FDblClickNextVal = false;
  bool FDropDownShowTitles = false;
  bool FDropDownSizing = false;
  bool FEndEllipsis = false;
  ui::TTextLayout FLayout = ui::tlTop;
  bool FHighlightRequired = false;
  TCustomDBGridEx* FGrid;
  std::unique_ptr<TColumnTitleDefValuesEx> FTitle;
  std::unique_ptr<TColumnFooterDefValuesEx> FFooter;
  bool FToolTips = false;
};

// The form a data grid publishes.
class TDBGridExColumnDefValuesEx : public TColumnDefValuesEx {
  JQ_UI_CLASSINFO
 public:
  using TColumnDefValuesEx::TColumnDefValuesEx;

 private:
  TColumnTitleDefValuesEx* PublishedTitle() const { return Title(); }
  TColumnFooterDefValuesEx* PublishedFooter() const { return Footer(); }
};

}  // namespace grid
