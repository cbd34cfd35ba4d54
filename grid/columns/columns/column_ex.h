// One data column of a data grid: which field it shows and how. Most look
// properties are either the column's own (assigned) or follow a default
// from the field, the grid or the grid's column default values; only
// assigned values that differ from their default are stored with a layout.
#pragma once

#include <functional>
#include <memory>

#include "grid/columns/columns/column_drop_down_box_ex.h"
#include "grid/core/db_grid_ex_types.h"
#include "grid/editor_support/edit_buttons.h"
#include "grid/editor_support/mru_list.h"
#include "grid/editor_support/spec_row.h"
#include "platform/classes/string_list.h"
#include "platform/data/dataset.h"
#include "platform/ui/bitmap.h"
#include "platform/ui/controls.h"
#include "platform/ui/menus.h"

namespace grid {

class TCustomDBGridEx;
class TDBGridColumnsEx;
class TColumnTitleEx;
class TColumnFooterEx;
class TColumnFootersEx;
class TSTColumnFilterEx;
class IMemTableDataFieldValueListEx;
class TPopupDataGridEx;

enum TColumnExValue {
  cvColor, cvWidth, cvFont, cvAlignment, cvReadOnly, cvTitleColor, cvTitleCaption, cvTitleAlignment, cvTitleFont,
  cvTitleButton, cvTitleEndEllipsis, cvTitleToolTips, cvTitleOrientation, cvImeMode, cvImeName, cvWordWrap,
  cvLookupDisplayFields, cvCheckboxes, cvAlwaysShowEditButton, cvEndEllipsis, cvAutoDropDown, cvDblClickNextVal,
  cvToolTips, cvDropDownSizing, cvDropDownShowTitles, cvLayout, cvHighlightRequired, cvBiDiMode, cvTextEditing
};
using TColumnExValues = ui::TSet<TColumnExValue>;

enum TColumnButtonStyleEx { cbsAuto, cbsEllipsis, cbsNone, cbsUpDown, cbsDropDown, cbsAltUpDown, cbsAltDropDown };
enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };
enum TColumnExType {
  ctCommon, ctPickList, ctLookupField, ctKeyPickList, ctKeyImageList, ctCheckboxes, ctGraphicData
};

// What the grid hands to OnGetCellParams for one cell.
// The picture a graphic blob field holds. False, with an empty picture, when
// the field is no blob, is empty, or holds bytes that are no picture: a
// broken value shows as an empty cell instead of failing every paint.
bool LoadGraphicFieldPicture(db::TField* Field, ui::TPicture& Picture);

class TColCellParamsEx {
 public:
  ui::TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(ui::TAlignment V) { FAlignment = V; }
  bool BlankCell() const { return FBlankCell; }
  void SetBlankCell(bool V) { FBlankCell = V; }
  ui::TColor Background() const { return FBackground; }
  void SetBackground(ui::TColor V) { FBackground = V; }
  bool SuppressActiveCellColor() const { return FSuppressActiveCellColor; }
  void SetSuppressActiveCellColor(bool V) { FSuppressActiveCellColor = V; }
  TCheckBoxState CheckboxState() const { return FCheckboxState; }
  void SetCheckboxState(TCheckBoxState V) { FCheckboxState = V; }
  int Col() const { return FCol; }
  void SetCol(int V) { FCol = V; }
  ui::TFont* Font() const { return FFont; }
  void SetFont(ui::TFont* V) { FFont = V; }
  int ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int V) { FImageIndex = V; }
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool V) { FReadOnly = V; }
  int Row() const { return FRow; }
  void SetRow(int V) { FRow = V; }
  TGridDrawState State() const { return FState; }
  void SetState(TGridDrawState V) { FState = V; }
  const String& Text() const { return FText; }
  void SetText(const String& V) { FText = V; }
  bool TextEditing() const { return FTextEditing; }
  void SetTextEditing(bool V) { FTextEditing = V; }
  const TRect& CellRect() const { return FCellRect; }

 private:
  friend class TColumnEx;
  friend class TCustomDBGridEx;
  ui::TAlignment FAlignment = ui::taLeftJustify;
  bool FBlankCell = false;
  ui::TColor FBackground = ui::clWindow;
  bool FSuppressActiveCellColor = false;
  TCheckBoxState FCheckboxState = cbUnchecked;
  int FCol = -1;
  ui::TFont* FFont = nullptr;
  int FImageIndex = -1;
  bool FReadOnly = false;
  int FRow = -1;
  TGridDrawState FState;
  String FText;
  bool FTextEditing = true;
  TRect FCellRect;
};

using TColCellParamsEventEx = std::function<void(ui::TObject* Sender, bool EditMode, TColCellParamsEx& Params)>;
using TColumnExUpdateDataEvent =
    std::function<void(ui::TObject* Sender, String& Text, rtl::Variant& Value, bool& UseText, bool& Handled)>;
using TColumnExNotInListEvent = std::function<void(ui::TObject* Sender, const String& NewText, bool& RecheckInList)>;
using TCheckDrawRequiredStateEventEx = std::function<void(ui::TObject* Sender, const String& Text, bool& DrawState)>;
using TDBGridExGroupGetKeyValue =
    std::function<void(TCustomDBGridEx* Sender, TColumnEx* Column, rtl::Variant& KeyValue)>;
using TDBGridExGroupGetKeyValueAsText = std::function<void(TCustomDBGridEx* Sender, TGroupDataTreeNodeEx* Node,
                                                           const rtl::Variant& KeyValue, String& KeyValueAsText)>;

struct TColumnExInRowPanelPlacement {
  int Left = 0;
  int Top = 0;
  int Width = 0;
  int Height = 0;
  int DataCellLeft = 0;
  int DataCellWidth = 0;
};

class TColumnEx : public ui::TCollectionItem, public IDropDownBoxOwnerEx {
  JQ_UI_CLASSINFO
  friend class TColumnTitleEx;
  friend class TDBGridColumnsEx;
  friend class TCustomDBGridEx;

 public:
  explicit TColumnEx(ui::TCollection* Collection);
  ~TColumnEx() override;

  TCustomDBGridEx* Grid() const;
  TDBGridColumnsEx* Columns() const;
  TColumnExValues AssignedValues() const { return FAssignedValues; }
  // "Column_<index>_<FieldName>".
  String Name() const;

  // --- assignable look properties
  ui::TAlignment Alignment() const;
  void SetAlignment(ui::TAlignment Value) { WriteAlignment(Value); }
  bool AlwaysShowEditButton() const;
  void SetAlwaysShowEditButton(bool Value);
  bool AutoDropDown() const;
  void SetAutoDropDown(bool Value);
  ui::TBiDiMode BiDiMode() const;
  void SetBiDiMode(ui::TBiDiMode Value);
  bool Checkboxes() const;
  void SetCheckboxes(bool Value);
  ui::TColor Color() const;
  void SetColor(ui::TColor Value);
  bool DblClickNextVal() const;
  void SetDblClickNextVal(bool Value);
  bool DropDownShowTitles() const;
  void SetDropDownShowTitles(bool Value);
  bool DropDownSizing() const;
  void SetDropDownSizing(bool Value);
  bool EndEllipsis() const;
  void SetEndEllipsis(bool Value);
  ui::TFont* Font() const;
  void SetFont(const ui::TFont* Value);
  bool HighlightRequired() const;
  void SetHighlightRequired(bool Value);
  ui::TImeMode ImeMode() const;
  void SetImeMode(ui::TImeMode Value) { WriteImeMode(Value); }
  String ImeName() const;
  void SetImeName(const String& Value) { WriteImeName(Value); }
  ui::TTextLayout Layout() const;
  void SetLayout(ui::TTextLayout Value);
  String LookupDisplayFields() const;
  void SetLookupDisplayFields(const String& Value) { WriteLookupDisplayFields(Value); }
  bool ReadOnly() const;
  void SetReadOnly(bool Value) { WriteReadOnly(Value); }
  bool TextEditing() const;
  void SetTextEditing(bool Value);
  bool ToolTips() const;
  void SetToolTips(bool Value);
  int Width() const;
  void SetWidth(int Value) { WriteWidth(Value); }
  bool WordWrap() const;
  void SetWordWrap(bool Value) { WriteWordWrap(Value); }

  ui::TAlignment DefaultAlignment() const;
  ui::TColor DefaultColor() const;
  ui::TFont* DefaultFont() const;
  ui::TImeMode DefaultImeMode() const;
  String DefaultImeName() const;
  bool DefaultReadOnly() const;
  int DefaultWidth() const;
  bool DefaultWordWrap() const;
  bool DefaultTextEditing() const;
  bool DefaultCheckboxes() const;
  String DefaultLookupDisplayFields() const;

  // --- plain properties
  bool AutoFitColWidth() const { return FAutoFitColWidth; }
  void SetAutoFitColWidth(bool Value) { WriteAutoFitColWidth(Value); }
  TColumnButtonStyleEx ButtonStyle() const { return FButtonStyle; }
  void SetButtonStyle(TColumnButtonStyleEx Value);
  const String& DisplayFormat() const { return FDisplayFormat; }
  void SetDisplayFormat(const String& Value);
  unsigned DropDownRows() const { return FDropDownRows; }
  void SetDropDownRows(unsigned Value) { FDropDownRows = Value; }
  TColumnDropDownBoxEx* DropDownBox() const { return FDropDownBox.get(); }
  void SetDropDownBox(const TColumnDropDownBoxEx* Value) { FDropDownBox->Assign(Value); }
  TSpecRowEx* DropDownSpecRow() const { return FDropDownSpecRow.get(); }
  void SetDropDownSpecRow(const TSpecRowEx* Value) { FDropDownSpecRow->Assign(Value); }
  int DropDownWidth() const { return FDropDownWidth; }
  void SetDropDownWidth(int Value);
  TEditButtonsEx* EditButtons() const { return FEditButtons.get(); }
  void SetEditButtons(const TEditButtonsEx* Value) { FEditButtons->Assign(Value); }
  const String& EditMask() const { return FEditMask; }
  void SetEditMask(const String& Value);
  const String& FieldName() const { return FFieldName; }
  void SetFieldName(const String& Value);
  TColumnFooterEx* Footer() const { return FFooter.get(); }
  void SetFooter(const TColumnFooterEx* Value);
  TColumnFootersEx* Footers() const { return FFooters.get(); }
  void SetFooters(const TColumnFootersEx* Value);
  bool HideDuplicates() const { return FHideDuplicates; }
  void SetHideDuplicates(bool Value) { WriteHideDuplicates(Value); }
  ui::TImageList* ImageList() const { return FImageList; }
  void SetImageList(ui::TImageList* Value);
  double Increment() const { return FIncrement; }
  void SetIncrement(double Value) { FIncrement = Value; }
  bool IncrementStored() const { return FIncrement != 1.0; }
  // Made on first read.
  ui::TStrings* KeyList() const;
  void SetKeyList(const ui::TStrings* Value);
  bool HasKeyItems() const { return FKeyList && FKeyList->Count() > 0; }
  int MaxWidth() const { return FMaxWidth; }
  void SetMaxWidth(int Value);
  int MinWidth() const { return FMinWidth; }
  void SetMinWidth(int Value);
  TMRUListEx* MRUList() const { return FMRUList.get(); }
  void SetMRUList(const TMRUListEx* Value) { FMRUList->Assign(Value); }
  int NotInKeyListIndex() const { return FNotInKeyListIndex; }
  void SetNotInKeyListIndex(int Value);
  ui::TStrings* PickList() const;
  void SetPickList(const ui::TStrings* Value);
  bool HasPickItems() const { return FPickList && FPickList->Count() > 0; }
  ui::TPopupMenu* PopupMenu() const { return FPopupMenu; }
  void SetPopupMenu(ui::TPopupMenu* Value);
  bool ShowImageAndText() const { return FShowImageAndText; }
  void SetShowImageAndText(bool Value);
  int Tag() const { return FTag; }
  void SetTag(int Value) { FTag = Value; }
  TColumnTitleEx* Title() const { return FTitle.get(); }
  void SetTitle(const TColumnTitleEx* Value);
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);
  // Row panels: the first line and the number of lines of the column.
  int InRowLinePos() const { return FRowLine < 0 ? 0 : FRowLine; }
  void SetInRowLinePos(int Value) {
    FRowLine = Value;
    Changed(true);
  }
  int InRowLineHeight() const { return FHeight < 1 ? 1 : FHeight; }
  void SetInRowLineHeight(int Value) {
    FHeight = Value;
    Changed(true);
  }
  // The cell inside a row panel's master cell, laid out by the collection.
  TColumnExInRowPanelPlacement& RowPlacement() { return FRowPlacement; }
  const TColumnExInRowPanelPlacement& RowPlacement() const { return FRowPlacement; }
  int InRowTabIndex() const { return FInRowTabIndex; }
  void SetInRowTabIndex(int Value) { FInRowTabIndex = Value; }
  int InitWidth() const { return FInitWidth; }
  void SetInitWidth(int Value) { FInitWidth = Value; }
  bool NotInWidthRange() const { return FNotInWidthRange; }
  void SetNotInWidthRange(bool Value) { FNotInWidthRange = Value; }
  // A default column is made from a field and never stored.
  bool Stored() const { return FStored; }

  db::TField* Field() const;
  void SetField(db::TField* Value) { WriteField(Value); }
  // The width plus the grid's extra first-column width for the first visible column.
  int FullWidth() const;
  // The footer shown in footer row Index.
  TColumnFooterEx* UsedFooter(int Index) const;

  void Assign(const ui::TPersistent* Source) override;
  String DisplayName() const override;
  void SetIndex(int Value) override;

  // --- cell values of the current record
  TColumnExType GetColumnType() const;
  String DisplayText() const;
  String EditText() const;
  void InplaceEditText();
  String InplaceEditMask() const;
  TCheckBoxState CheckboxState() const;
  void SetCheckboxState(TCheckBoxState Value);
  int GetImageIndex() const;
  bool CanModify(bool TryEdit);
  void UpdateDataValue(String Text, rtl::Variant Value, bool UseText);
  void StepCellValue(double Step);
  bool CanEditAcceptKey(char16_t Key) const;
  String GetAcceptableEditText(const String& Input) const;
  void FillColCellParams(TColCellParamsEx& Params) const;
  bool CellTextEditing();
  // Whether a row of that height holds more than one line of the column's text.
  bool CurLineWordWrap(int RowHeight) const;
  // The row height the current record's cell needs when the grid fits its
  // rows to their content; the grid's standard height otherwise.
  int CalcRowHeight() const;
  bool IsTabStop() const;
  int EditButtonsWidth() const;
  db::TDataSet* LookupListDataSet() const;
  // Opens the drop-down of the grid's cell editor when it shows this column.
  void DropDown();
  // Fits this column alone to its title and data.
  void OptimizeWidth();

  // --- the drop-down box's owner
  void NotifyGridOfComponent(ui::TComponent* Component) override;
  // The lookup drop-down grid, made on first read.
  TCustomDBGridEx* DataList() override;
  TPopupDataGridEx* PopupDataList();
  std::uint32_t DropDownGridOptions() override;
  void SetDropDownGridOptions(std::uint32_t Options) override;
  // The drop-down grid's own events, read and written through the column.
  TCheckTitleExBtnEvent OnDropDownBoxCheckButton();
  void SetOnDropDownBoxCheckButton(TCheckTitleExBtnEvent Value);
  TDrawColumnExCellEvent OnDropDownBoxDrawColumnCell();
  void SetOnDropDownBoxDrawColumnCell(TDrawColumnExCellEvent Value);
  TGetCellExParamsEvent OnDropDownBoxGetCellParams();
  void SetOnDropDownBoxGetCellParams(TGetCellExParamsEvent Value);
  ui::TNotifyEvent OnDropDownBoxSortMarkingChanged();
  void SetOnDropDownBoxSortMarkingChanged(ui::TNotifyEvent Value);
  TTitleExClickEvent OnDropDownBoxTitleBtnClick();
  void SetOnDropDownBoxTitleBtnClick(TTitleExClickEvent Value);
  bool UseRightToLeftReading() const;
  bool UseRightToLeftScrollBar() const;
  unsigned DrawTextBiDiModeFlagsReadingOnly() const;

  // --- stored tests
  bool IsAlignmentStored() const;
  bool IsColorStored() const;
  bool IsFontStored() const { return FAssignedValues.Contains(cvFont); }
  bool IsImeModeStored() const;
  bool IsImeNameStored() const;
  bool IsReadOnlyStored() const;
  bool IsWidthStored() const;
  bool IsAlwaysShowEditButtonStored() const;
  bool IsAutoDropDownStored() const;
  bool IsDblClickNextValStored() const;
  bool IsDropDownShowTitlesStored() const;
  bool IsDropDownSizingStored() const;
  bool IsEndEllipsisStored() const;
  bool IsHighlightRequiredStored() const;
  bool IsLayoutStored() const;
  bool IsLookupDisplayFieldsStored() const;
  bool IsTextEditingStored() const;
  bool IsToolTipsStored() const;
  bool IsWordWrapStored() const;
  bool IsCheckboxesStored() const { return FAssignedValues.Contains(cvCheckboxes); }
  bool IsBiDiModeStored() const { return FAssignedValues.Contains(cvBiDiMode); }
  bool IsInRowLinePosStored() const { return FRowLine != 0; }
  bool IsInRowLineHeightStored() const { return FHeight != 1; }

  // --- events
  TColCellParamsEventEx OnGetCellParams;
  void SetOnGetCellParams(TColCellParamsEventEx Value);
  TColumnExUpdateDataEvent OnUpdateData;
  TColumnExNotInListEvent OnNotInList;
  TButtonClickEventEx OnEditButtonClick;
  TButtonDownEventEx OnEditButtonDown;
  TCheckDrawRequiredStateEventEx OnCheckDrawRequiredState;
  TDBGridExAdvDrawDataCellEvent OnAdvDrawDataCell;
  TDBGridExHintShowPauseEvent OnHintShowPause;
  TDBGridExDataHintShowEvent OnDataHintShow;
  TDBGridExFillSTFilterListValuesEvent OnFillSTFilterListValues;
  TDBGridExGroupGetKeyValue OnGroupGetKeyValue;
  TDBGridExGroupGetKeyValueAsText OnGroupGetKeyValueAsText;

  // --- own virtual operations, in slot order
  virtual TEditButtonsEx* CreateEditButtons();
  virtual TColumnFooterEx* CreateFooter();
  virtual TColumnFootersEx* CreateFooters();
  virtual TColumnTitleEx* CreateTitle();
  virtual bool DefaultColumn() const { return !FStored; }
  virtual void WriteAlignment(ui::TAlignment Value);
  virtual void WriteAutoFitColWidth(bool Value);
  virtual void WriteField(db::TField* Value);
  virtual void WriteHideDuplicates(bool Value);
  virtual void WriteHighlightRequired(bool Value);
  virtual void WriteImeMode(ui::TImeMode Value);
  virtual void WriteImeName(const String& Value);
  virtual void WriteLookupDisplayFields(const String& Value);
  virtual void WriteReadOnly(bool Value);
  virtual void WriteWidth(int Value);
  virtual void WriteWordWrap(bool Value);
  virtual void SpecRowChanged(ui::TObject* Sender);
  virtual bool UseRightToLeftAlignment() const;
  virtual void GetColCellParams(bool EditMode, TColCellParamsEx& Params);
  virtual void RestoreDefaults();

  // Collection-item change notification (the collection repaints or re-lays out).
  void NotifyChanged(bool AllItems = false) { Changed(AllItems); }
  // Drops the cached field (the grid's layout or the link's activity changed).
  void ClearCachedField() {
    FField = nullptr;
    FFieldValueList.reset();
  }
  // The footers re-bind their sum items to the field.
  void EnsureSumValues();

  // --- filter row
  TSTColumnFilterEx* STFilter() const { return FSTFilter.get(); }
  void SetSTFilter(const TSTColumnFilterEx* Value);
  virtual TSTColumnFilterEx* CreateSTFilter();
  // The distinct values of the column's field, kept until dropped.
  std::shared_ptr<IMemTableDataFieldValueListEx> FieldValueList() const { return FFieldValueList; }
  void SetFieldValueList(std::shared_ptr<IMemTableDataFieldValueListEx> Value) {
    FFieldValueList = std::move(Value);
  }
  std::shared_ptr<IMemTableDataFieldValueListEx> GetCurrentFieldValueList();

 protected:
  void MarkStoredFlag(bool Value) { FStored = Value; }

 private:
  friend class TColumnFooterEx;
  void Assigned(TColumnExValue V) { FAssignedValues.Include(V); }
  // A value equal to its default is kept only once the property is assigned.
  template <class T>
  void WriteDefaultAware(TColumnExValue Bit, T& Own, const T& Value, const T& Default, bool Force = false) {
    if (FAssignedValues.Contains(Bit) || Value != Default || Force) {
      Own = Value;
      Assigned(Bit);
    }
    Changed(false);
  }
  void FontChanged();
  // Copies Source into the own font without marking it assigned.
  void RefreshFont(ui::TFont* Own, const ui::TFont* Source) const;
  bool DefaultColumnOfActiveLink() const;
  int MeasureDefaultWidth(db::TField* F) const;
  void RepaintGrid() const;
  TCustomDBGridEx* LoadingGrid() const;
  bool CanModifyChecks();
  db::TField* StandingField(db::TField* F) const;
  // At design time DataList shows the lookup field's list as it would drop down.
  void BindDataListAtDesignTime(db::TField* F);

  ui::TAlignment FAlignment = ui::taLeftJustify;
  TColumnExValues FAssignedValues;
  ui::TBiDiMode FBiDiMode = ui::bdLeftToRight;
  TColumnButtonStyleEx FButtonStyle = cbsAuto;
  bool FCheckboxes = false;
  ui::TColor FColor = ui::clWindow;
  bool FDblClickNextVal = false;
  String FDisplayFormat;
  unsigned FDropDownRows = 7;
  bool FDropDownShowTitles = false;
  bool FDropDownSizing = false;
  std::unique_ptr<TSpecRowEx> FDropDownSpecRow;
  std::unique_ptr<TColumnDropDownBoxEx> FDropDownBox;
  std::unique_ptr<TPopupDataGridEx> FDataList;
  // Binds DataList to a lookup field's list at design time.
  std::unique_ptr<db::TDataSource> FDTListSource;
  std::unique_ptr<TEditButtonsEx> FEditButtons;
  String FEditMask;
  mutable db::TField* FField = nullptr;
  mutable String FFieldName;
  std::unique_ptr<ui::TFont> FFont;
  std::unique_ptr<TColumnFooterEx> FFooter;
  std::unique_ptr<TColumnFootersEx> FFooters;
  bool FHideDuplicates = false;
  bool FHighlightRequired = false;
  ui::TImageList* FImageList = nullptr;
  ui::TImeMode FImeMode = ui::imDontCare;
  String FImeName;
  double FIncrement = 1.0;
  ui::TTextLayout FLayout = ui::tlTop;
  mutable std::unique_ptr<ui::TStringList> FKeyList;
  int FMaxWidth = 0;
  int FMinWidth = 0;
  std::unique_ptr<TMRUListEx> FMRUList;
  int FNotInKeyListIndex = -1;
  bool FNotInWidthRange = false;
  mutable std::unique_ptr<ui::TStringList> FPickList;
  ui::TPopupMenu* FPopupMenu = nullptr;
  bool FReadonly = false;
  bool FStored = true;
  bool FShowImageAndText = false;
  int FTag = 0;
  bool FTextEditing = true;
  std::unique_ptr<TColumnTitleEx> FTitle;
  bool FToolTips = false;
  bool FVisible = true;
  int FWidth = 0;
  int FRowLine = 0;
  int FHeight = 1;
  TColumnExInRowPanelPlacement FRowPlacement;
  int FInRowTabIndex = 0;
  bool FAlwaysShowEditButton = false;
  bool FAutoDropDown = false;
  bool FAutoFitColWidth = true;
  int FDropDownWidth = 0;
  bool FEndEllipsis = false;
  int FInitWidth = 0;
  String FLookupDisplayFields;
  bool FWordWrap = false;
  mutable bool FCopyingFont = false;
  std::unique_ptr<TSTColumnFilterEx> FSTFilter;
  std::shared_ptr<IMemTableDataFieldValueListEx> FFieldValueList;
};

// The column class a data grid publishes.
class TDBGridColumnEx : public TColumnEx {
  JQ_UI_CLASSINFO
 public:
  using TColumnEx::TColumnEx;

 private:
  // Published accessors of sub-objects, which the registry reads through a const object.
  ui::TFont* PublishedFont() const { return Font(); }
  TColumnTitleEx* PublishedTitle() const { return Title(); }
  TSTColumnFilterEx* PublishedSTFilter() const { return STFilter(); }
  TColumnDropDownBoxEx* PublishedDropDownBox() const { return DropDownBox(); }
  ui::TStrings* PublishedKeyList() const { return KeyList(); }
  ui::TStrings* PublishedPickList() const { return PickList(); }
};

}  // namespace grid
