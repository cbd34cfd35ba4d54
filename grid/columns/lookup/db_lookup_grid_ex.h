// The data grid used as a lookup list: it shows the records of a list
// dataset and keeps one key value naming the chosen record through its key
// fields. Bound to a field of a master dataset, a choice writes the key into
// the master field(s) and a move of the master record reads it back; bound
// to a lookup field, the list, key and result fields come from the field's
// lookup definition. A special row above the data can stand for a key that
// is not in the list.
//
// The grid's own data link is the list link. The key's record is shown as
// the current row and highlighted; keys, mouse, wheel and scroll bar move
// the choice (or only the list window) instead of editing.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "grid/core/custom_db_grid_ex.h"
#include "grid/editor_support/spec_row.h"
#include "platform/data/data_source.h"

namespace grid {

class TDBLookupGridEx;

enum TDBLookupGridExOption {
  dlgColumnResizeEx,
  dlgColLinesEx,
  dlgRowLinesEx,
  dlgAutoSortMarkingEx,
  dlgMultiSortMarkingEx
};
using TDBLookupGridExOptions = ui::TSet<TDBLookupGridExOption>;

// The master link: the dataset whose field(s) receive the chosen key.
class TLookupGridDataLinkEx : public db::TDataLink {
 public:
  explicit TLookupGridDataLinkEx(TDBLookupGridEx* Grid) : FDBLookupGrid(Grid) {}
  // The grid's destructor lets go of the link before freeing it.
  void ClearGrid() { FDBLookupGrid = nullptr; }

 protected:
  void ActiveChanged() override;
  void FocusControl(db::TField** Field) override;
  void LayoutChanged() override;
  void RecordChanged(db::TField* Field) override;

 private:
  TDBLookupGridEx* FDBLookupGrid;
};

// The interval of the selection's auto-scroll at a distance (pixels) of the
// mouse beyond the grid's edge: faster the farther out, never below 10 ms so
// that the list is not scrolled as fast as the timer can fire.
unsigned LookupAutoScrollInterval(int Distance);

class TDBLookupGridEx : public TCustomDBGridEx {
  JQ_UI_CLASSINFO
  friend class TLookupGridDataLinkEx;
  friend class TDBLookupGridColumnEx;

 public:
  explicit TDBLookupGridEx(ui::TComponent* AOwner);
  ~TDBLookupGridEx() override;

  // --- master side
  db::TDataSource* DataSource() const { return FDataLink->DataSource(); }
  void SetDataSource(db::TDataSource* Value);
  const String& DataField() const { return FDataFieldName; }
  void SetDataField(const String& Value);
  // The first data field, or none.
  db::TField* Field() const { return FDataFields.empty() ? nullptr : FDataFields.front(); }
  bool ReadOnly() const { return FDataLink->ReadOnly(); }
  void SetReadOnly(bool Value) { FDataLink->SetReadOnly(Value); }
  TLookupGridDataLinkEx* MasterLink() const { return FDataLink.get(); }
  const String& MasterFieldNames() const { return FMasterFieldNames; }
  bool LookupMode() const { return FLookupMode; }

  // --- list side
  // None in lookup mode (the lookup field names the list).
  db::TDataSource* ListSource() const;
  void SetListSource(db::TDataSource* Value);
  TGridDataLinkEx* ListLink() const { return TCustomDBGridEx::DataLink(); }
  // Empty in lookup mode.
  String KeyField() const;
  void SetKeyField(const String& Value);
  const String& ListField() const { return FListFieldName; }
  void SetListField(const String& Value);
  int ListFieldIndex() const { return FListFieldIndex; }
  void SetListFieldIndex(int Value) { FListFieldIndex = Value; }
  const std::vector<db::TField*>& ListFields() const { return FListFields; }
  db::TField* ListFieldObject() const { return FListField; }
  bool ListActive() const { return FListActive; }
  const rtl::Variant& KeyValue() const { return FKeyValue; }
  void SetKeyValue(const rtl::Variant& Value);
  bool KeySelected() const { return FKeySelected; }
  const String& SearchText() const { return FSearchText; }
  void SetSearchText(const String& Value) { FSearchText = Value; }
  const String& SelectedItem() const { return FSelectedItem; }
  TSpecRowEx* SpecRow() const { return FSpecRow.get(); }
  void SetSpecRow(const TSpecRowEx* Value) { FSpecRow->Assign(Value); }
  // The lookup options (the data grid's own: TCustomDBGridEx::Options()).
  TDBLookupGridExOptions Options() const { return FOptions; }
  void SetOptions(TDBLookupGridExOptions Value);
  // The record window of the list and the current record's place in it.
  int RecordIndex() const { return FRecordIndex; }
  int RecordWindowCount() const { return FRecordCount; }
  bool KeyRowVisible() const { return FKeyRowVisible; }

  // --- layout
  // The data rows the height holds (1..100).
  int RowCount() const { return FRowCount; }
  void SetRowCount(int Value);
  bool ShowTitles() const { return TCustomDBGridEx::Options().Contains(dgTitles); }
  void SetShowTitles(bool Value);
  void SetUseMultiTitle(bool Value);
  bool AutoFitColWidths() const { return FLGAutoFitColWidths; }
  void SetAutoFitColWidths(bool Value);
  bool HasFocus() const { return FHasFocus; }
  // The pixel box from the first data column to the last and from the
  // special row (or the first data row) to the last data row.
  TRect DataRect();
  // Client width that shows every visible column whole.
  int GetColumnsWidthToFit();
  // Height of the title row when titles show, else 0.
  int TitlesHeight();
  // Interval of the last auto-scroll step (0 while the timer is off).
  unsigned TrackingTimerInterval() const { return FTrackingInterval; }
  int MousePos() const { return FMousePos; }

  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;

  // Locates the key in the list; false for a Null key, no active list, or
  // a locate that failed or raised.
  virtual bool LocateKey();

  // --- own virtual operations, in slot order
  virtual bool CanModifyKey();
  virtual bool CanLocateKey(const std::vector<db::TField*>& KeyFields, const rtl::Variant& Key);
  virtual int BorderSize();
  virtual int GetSpecRowHeight();
  virtual int GetDataRowHeight();
  virtual void KeyValueChanged();
  virtual void ListLinkDataChanged();
  virtual void ProcessSearchKey(char16_t Key);
  virtual void SelectKeyValue(const rtl::Variant& Value);
  virtual void SpecRowChanged(ui::TObject* Sender);
  virtual void UpdateColumnWidths();
  virtual void UpdateDataFields();
  virtual void UpdateListFields();

  // --- operations of the choice (public for the editors that drive a list)
  // Chooses the list's current record.
  void SelectCurrent();
  void SelectSpecRow();
  // Chooses what lies at a client point (special row, or the record of the row).
  void SelectItemAt(int X, int Y);
  // One step of the selection's auto-scroll while the mouse is held outside.
  void HandleTrackingTimer() override;

  // --- overrides of the data grid
  bool HighlightsFocusedRow() override;
  bool IsCell3D(int ACol, int ARow, TGridDrawState State, const TRect& ARect) override;
  TColumnDefValuesEx* CreateColumnDefValues() override;
  TDBGridColumnsEx* CreateColumnCollection() override;
  int STFilterRowCount() override;
  void HandleDataSetChanged() override;
  void BuildFieldMap() override;
  bool DrawFixedCell(int ACol, int ARow, TGridDrawState State, TRect ARect, bool IsTitle,
                     int DataCol) override;
  void CollectDataSetFields(std::vector<db::TField*>& List) override;
  void DataLinkActiveChanged(bool Value) override;
  void ScrollData(int Distance) override;
  void SyncCurrentRow() override;
  void RecountRows() override;
  void SyncVertScrollBar() override;
  bool HighlightDataCellColor(int DataCol, int DataRow, ui::TFont* AFont, TColor& AColor,
                              TGridDrawState State, const String& Text) override;

 protected:
  void Notification(ui::TComponent* AComponent, ui::TOperation Operation) override;
  void InitWidget() override;
  void ColumnWidthsUpdated() override;
  void SizeChanged(int OldWidth, int OldHeight) override;
  void Dispatch(ui::TMessage& Message) override;
  void DoKeyDown(std::uint16_t& Key, ui::TShiftState Shift) override;
  void DoEnter() override;
  void DoExit() override;
  void MouseDown(ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y) override;
  void MouseMove(ui::TShiftState Shift, int X, int Y) override;
  void MouseUp(ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y) override;
  bool DoMouseWheelDown(ui::TShiftState Shift, TPoint MousePos) override;
  bool DoMouseWheelUp(ui::TShiftState Shift, TPoint MousePos) override;

  void CheckListSettable();
  void CheckNotCircular();
  void SetLookupMode(bool Value);
  void DataLinkRecordChanged(db::TField* Field);
  // Whether a press at the point may choose a row (not on a tree button).
  bool OnSelectionArea(int X, int Y);
  // Whether the point is on an expand button of a memory table's tree view.
  bool OnTreeElement(int X, int Y);
  // The list's current record's key.
  rtl::Variant CurrentRecordKey() const;
  // The row of the key's record in the list window, -1 when not there.
  int KeyRowInWindow();
  void SetTrackingTimer(unsigned Interval);
  void KillTrackingTimer();
  void HandleVScroll(int Code);
  bool WheelStep(ui::TShiftState Shift, TPoint MousePos, bool Down);
  void RememberColumnWidths();

  String FDataFieldName;
  std::vector<db::TField*> FDataFields;
  std::unique_ptr<TLookupGridDataLinkEx> FDataLink;
  bool FHasFocus = false;
  String FKeyFieldName;
  std::vector<db::TField*> FKeyFields;
  bool FKeyRowVisible = false;
  bool FKeySelected = false;
  rtl::Variant FKeyValue = rtl::Variant::Null();
  bool FListActive = false;
  db::TField* FListField = nullptr;
  int FListFieldIndex = 0;
  String FListFieldName;
  std::vector<db::TField*> FListFields;
  bool FLockPosition = false;
  bool FLookupMode = false;
  std::unique_ptr<db::TDataSource> FLookupSource;
  String FMasterFieldNames;
  std::vector<db::TField*> FMasterFields;
  int FMousePos = 0;
  bool FPopup = false;
  int FRecordCount = 0;
  int FRecordIndex = 0;
  int FRowCount = 1;
  String FSearchText;
  String FSelectedItem;
  std::unique_ptr<TSpecRowEx> FSpecRow;
  TDBLookupGridExOptions FOptions;
  int FSpecRowHeight = 0;
  bool FLGAutoFitColWidths = false;
  bool FInternalWidthSetting = false;
  bool FInternalHeightSetting = false;
  bool FSelectionTracking = false;
  unsigned FTrackingInterval = 0;
  bool FRecounting = false;
  bool FSpecRowShown = false;
};

}  // namespace grid
