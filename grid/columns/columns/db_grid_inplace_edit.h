// The data grid's cell editor: the edit box over the current data cell. It
// takes its look and permissions from the column, shows the column's edit
// buttons beside the text, completes typed text against the column's lists
// and drops down the pick list, the lookup list, the calendar, the
// calculator or the recent-values list. What the user types or picks goes
// to the grid as its edit text and edit key value; the grid writes them to
// the dataset.
#pragma once

#include <memory>
#include <vector>

#include "grid/editor_support/edit_buttons.h"
#include "grid/editor_support/month_calendar.h"
#include "grid/editor_support/mru_list.h"
#include "grid/editor_support/popup_listbox.h"
#include "grid/foundation/inplace_edit.h"
#include "platform/data/data_source.h"
#include "platform/ui/canvas.h"
#include "platform/ui/shape.h"

namespace grid {

class TCustomDBGridEx;
class TColumnEx;
class TPopupDataGridEx;

enum TEditStyle {
  esSimple,
  esEllipsis,
  esPickList,
  esDataList,
  esDateCalendar,
  esUpDown,
  esDropDown,
  esAltUpDown,
  esAltDropDown,
  esAltCalendar
};

// The index of the first string equal to Text, compared without regard to
// case; with option bit 2 only the first length-of-Text characters of each
// string count. -1 when none.
int FindTextInStrings(const ui::TStrings* Strings, const ui::String& Text, unsigned Options);
constexpr unsigned ftsPartial = 2;

class TDBGridInplaceEdit : public TInplaceEdit, public IPopupOwnerEx {
  JQ_UI_CLASSINFO
 public:
  explicit TDBGridInplaceEdit(ui::TComponent* AOwner);
  ~TDBGridInplaceEdit() override;

  TCustomDBGridEx* DBGrid() const;
  // The grid's column at SelectedIndex, nil when there is none.
  TColumnEx* Column() const;
  TEditStyle EditStyle() const { return FEditStyle; }
  void SetEditStyle(TEditStyle Value);
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool Value);
  // Whether the cell parameters set ReadOnly against the column's own rule.
  bool ReadOnlyStored() const { return FReadOnlyStored; }
  // The popup of the current style, nil when the style has none.
  ui::TWinControl* ActiveList() const { return FActiveList; }
  bool ListVisible() const { return FListVisible; }
  bool DroppedDown() const { return FDroppedDown; }
  int ButtonsWidth() const { return FButtonsWidth; }
  int ButtonHeight() const { return FButtonHeight; }
  int ImageIndex() const { return FImageIndex; }
  const TEditButtonControlList& EditButtonControls() const { return FEditButtonControlList; }
  TPopupListboxEx* PickList() const { return FPickList; }
  TPopupMonthCalendarEx* PopupMonthCalendar() const { return FPopupMonthCalendar; }
  ui::TWinControl* PopupCalculatorControl() const { return FPopupCalculator; }
  TMRUListboxEx* MRUListControl();
  // The lookup list grid of the current column, nil without one.
  TPopupDataGridEx* DataList() const { return FDataList; }
  bool LockCloseList() const { return FLockCloseList; }
  void SetLockCloseList(bool Value) { FLockCloseList = Value; }

  void LoadFromGrid() override;
  void UpdateEditButtons();
  void ActivateEditButtons();
  void StepValue(bool Down);
  TEditButtonEx* EditButtonByShortCut(ui::TShortCut ShortCut) const;
  // The edit style the column asks for.
  TEditStyle ColumnEditStyle(TColumnEx* AColumn) const;
  ui::String TextWithoutSelection() const;

  // --- drop-down lists
  void DropDown();
  void CloseUp(bool Accept) override;
  void HandleDropDownKeys(std::uint16_t& Key, ui::TShiftState Shift);
  void UpdateEditKeyValue();
  void ShowMRUList();
  void CloseMRUList(bool Accept);
  // The column that owns List is going: the editor closes the list and lets go of it.
  void ForgetMRUList(TMRUListEx* List);
  bool IsNumericDropDown() const;

  void Dispatch(ui::TMessage& Message) override;
  void WndProc(ui::TMessage& Message) override;
  void DefaultHandler(ui::TMessage& Message) override;

  // --- own virtual operations, in slot order
  virtual void UpdateImageIndex();
  virtual TEditButtonControlEx* CreateEditButtonControl();
  virtual TMRUListboxEx* CreateMRUListControl();
  virtual ui::TWinControl* PopupCalculator();
  virtual void EditButtonPressed(bool LowerHalf);
  virtual void CalcEditRect(ui::TRect& Rect);
  virtual void ProcessTypedText(ui::String& Text);
  virtual void HandleEditButtonClick(TEditButtonControlEx* Control);
  virtual void HandleEditButtonDown(TEditButtonControlEx* Control, bool TopButton, bool& Handled,
                                    bool& AutoRepeat);
  virtual void HandleEditButtonMouseMove(TEditButtonControlEx* Control, ui::TShiftState Shift, int X, int Y);
  virtual void HandleEditButtonMouseUp(TEditButtonControlEx* Control, ui::TMouseButton Button, int X, int Y);
  virtual void FilterMRUItem(const ui::String& Item, bool& Accept);
  virtual void MRUListResized();
  virtual void DrawRequiredMarker(ui::TCanvas* ACanvas);
  virtual void UserTextChanged();

 protected:
  void ApplyTextMargins() override;
  void PaintWindow(QWidget* Target, const ui::TRect& Area, const std::function<void()>& Base) override;
  void Notification(ui::TComponent* AComponent, ui::TOperation Operation) override;
  void DoKeyDown(std::uint16_t& Key, ui::TShiftState Shift) override;
  void DoKeyUp(std::uint16_t& Key, ui::TShiftState Shift) override;
  void DoKeyPress(char16_t& Key) override;
  void MouseDown(ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y) override;
  bool DoMouseWheel(ui::TShiftState Shift, int WheelDelta, ui::TPoint MousePos) override;
  void Change() override;

 private:
  bool FlatGrid() const;
  int DefaultButtonWidth() const;
  bool RightToLeftColumn() const;
  bool ListHasFocus() const;
  // Whether the grid lets the current field be edited now (the link then edits).
  bool GridStartsFieldEdit();
  // Whether the grid's allowed operations let the current record be edited.
  bool EditAllowedByOperations() const;
  // The link goes into edit; true when it then edits (and is marked modified).
  bool LinkEdits();
  // Sets the text with [SelFrom, SelFrom + SelLen) selected.
  // Removes the selection, or with Backward and none the character before
  // the caret, and lets the key value and an open list follow the text.
  void EraseAndFollow(bool Backward);
  void SetTextSelected(const ui::String& Text, int SelFrom, int SelLen);
  bool LocateInLookupList(db::TDataSet* List, const ui::String& Text, bool Partial);
  void DataListFollows();
  void DataListDropDown(TColumnEx* AColumn);
  // Keeps what the user changed in the open list (its size, its column order).
  void DataListCloseUp(TColumnEx* AColumn);
  void CommitDataList(const rtl::Variant& Key, const ui::String& Text);
  void PickListDropDown(TColumnEx* AColumn);
  void CalendarDropDown();
  void CalculatorDropDown();
  void PickListFollows(int Index);
  void CommitPickList(bool Accept);
  void CommitCalendar();
  void CommitCalculator();
  void PasteText();
  // The grid's find dialog with the selected text, no column.
  void ShowFindDialog();
  bool ProcessListMessage(ui::TMessage& Message);
  bool ProcessMRUMessage(ui::TMessage& Message);
  // The recent-values list follows a text the user changed.
  void AfterUserTextChange();
  void ListMouseUp(ui::TMouseButton Button, int X, int Y);

  std::unique_ptr<ui::TCanvas> FCanvas;
  ui::TWinControl* FActiveList = nullptr;
  int FButtonHeight = 0;
  int FButtonsWidth = 0;
  ui::String FCharKeyStr;
  TPopupDataGridEx* FDataList = nullptr;
  bool FDroppedDown = false;
  TEditButtonControlList FEditButtonControlList;
  TEditStyle FEditStyle = esSimple;
  bool FListColumnMothed = false;
  bool FListVisible = false;
  bool FLockCloseList = false;
  db::TDataSource* FLookupSource = nullptr;
  TMRUListEx* FMRUList = nullptr;
  TMRUListboxEx* FMRUListControl = nullptr;
  bool FNoClickCloseUp = false;
  TPopupListboxEx* FPickList = nullptr;
  ui::TWinControl* FPopupCalculator = nullptr;
  TPopupMonthCalendarEx* FPopupMonthCalendar = nullptr;
  bool FReadOnlyStored = false;
  bool FUserTextChanged = false;
  bool FPendingUserChar = false;
  bool FWordWrap = false;
  int FImageIndex = -1;
  bool FDestroying = false;
};

}  // namespace grid
