// TCustomDBEditEx: the base of the data-aware single-line editors (date-time,
// combo box, number). It shows one field through a TFieldDataLinkEx, or holds
// its own value when neither a data source nor a field name is set. The
// window stays read-only until a key or clipboard command starts editing, so
// the dataset enters edit state only when the user really changes something.
#pragma once

#include <functional>
#include <memory>

#include "field_data_link_ex.h"
#include "mask_edit.h"

namespace grid {

enum TDBEditExValue { evAlignmentEx, evEditMaskEx };

using TUpdateDataEventEx = std::function<void(ui::TObject* Sender, bool& Handled)>;
using TCloseUpEventEx = std::function<void(ui::TObject* Sender, bool Accept)>;

class TCustomDBEditEx : public ui::TCustomMaskEdit {
 public:
  explicit TCustomDBEditEx(ui::TComponent* AOwner);
  ~TCustomDBEditEx() override;

  // The bound field, if any.
  db::TField* Field() const { return dataLink_->Field(); }
  TFieldDataLinkEx* DataLink() const { return dataLink_.get(); }
  db::TDataSource* DataSource() const { return dataLink_->DataSource(); }
  virtual void SetDataSource(db::TDataSource* Value);
  const String& DataField() const { return dataLink_->FieldName(); }
  virtual void SetDataField(const String& Value);

  // Text and Value writes store at once (a bound editor puts the dataset
  // into edit state first).
  String Text() const { return GetText(); }
  void SetText(const String& Value);
  Variant Value() const;
  void SetValue(const Variant& Value) { StoreValue(Value); }
  virtual void Clear() { SetText(String()); }
  void Undo();
  // Drops the user's changes and reloads the display.
  void Reset();

  void SetEditMask(const String& Value);
  ui::TAlignment Alignment() const;
  void SetAlignment(ui::TAlignment Value);
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool Value);
  bool HighlightRequired() const { return highlightRequired_; }
  void SetHighlightRequired(bool Value) { highlightRequired_ = Value; }
  bool AlwaysShowBorder() const { return alwaysShowBorder_; }
  void SetAlwaysShowBorder(bool Value) { alwaysShowBorder_ = Value; }
  bool AutoSelect() const { return autoSelect_; }
  void SetAutoSelect(bool Value) { autoSelect_ = Value; }
  bool WantReturns() const { return wantReturns_; }
  bool WantTabs() const { return wantTabs_; }
  bool IsFocusedEditor() const { return focused_; }
  bool DataPosting() const { return dataPosting_; }

  // What layout storage keeps: only an unbound editor's own content, and
  // alignment and mask only when set explicitly.
  bool IsTextStored() const { return dataLink_->DataIndepended() && !Text().empty(); }
  bool IsValueStored() const { return dataLink_->DataIndepended() && !Value().IsNull(); }
  bool IsAlignmentStored() const { return assignedAlignment_; }
  bool IsEditMaskStored() const { return assignedEditMask_; }

  // Stores the editor's content: mask check while focused, OnUpdateData,
  // then the field write unless the handler took over.
  virtual void UpdateData();

  TUpdateDataEventEx OnUpdateData;

  // hooks for derived editors
  virtual String DisplayTextForPaintCopy() const { return EditText(); }

 protected:
  // hooks for derived editors
  virtual void DefaultButtonDown(bool IsDownButton) { (void)IsDownButton; }
  virtual void UpdateImageIndex() {}
  // The main edit button has one of the two-half (up-down) styles.
  virtual bool MainButtonUpDown() const { return false; }
  // The key with this shift state presses one of the edit buttons.
  virtual bool IsEditButtonShortCut(std::uint16_t Key, ui::TShiftState Shift) const {
    (void)Key;
    (void)Shift;
    return false;
  }

  virtual bool EditButtonsActive() const;
  virtual std::unique_ptr<TFieldDataLinkEx> CreateDataLink();
  virtual bool DataIndepended() const { return dataLink_->DataIndepended(); }
  virtual ui::TAlignment DefaultAlignment() const;
  virtual String DefaultEditMask() const;
  virtual int DefaultImageIndex() const { return -1; }
  virtual void ReadValue(Variant& Value) const;
  virtual bool IsValidChar(char16_t Key) const;
  virtual void ActiveChanged();
  virtual void CloseUp(bool Accept);
  virtual void DataChanged();
  virtual void DropDown();
  virtual void ReflectEditingState() { UpdateEditReadOnly(); }
  virtual void PutText(const String& Value);
  virtual void PutValue(const Variant& Value);
  virtual void WriteFieldText();
  virtual void ResetMaxLength();
  virtual void SetFocused(bool Value);
  virtual void StoreValue(const Variant& Value);
  virtual void UpdateEditReadOnly();
  // The link's Edit, asked before the text changes.
  virtual bool CanModifyText();

  void Loaded() override;
  void Notification(ui::TComponent* AComponent, ui::TOperation Operation) override;
  void Change() override;
  void DoEnter() override;
  void DoExit() override;
  void DoKeyDown(std::uint16_t& Key, ui::TShiftState Shift) override;
  void DoKeyUp(std::uint16_t& Key, ui::TShiftState Shift) override;
  void DoKeyPress(char16_t& Key) override;
  void Dispatch(ui::TMessage& Message) override;

  bool DroppedDown() const { return droppedDown_; }
  bool Designing() const { return ComponentState().Contains(ui::csDesigning); }

 private:
  // Puts a bound dataset into edit state, runs Put, then stores; a failed
  // store reloads the display before the error goes on.
  void WriteThrough(const std::function<void()>& Put);
  void KeepCaretInMask();
  void StartEditing();

  std::unique_ptr<TFieldDataLinkEx> dataLink_;
  ui::TAlignment alignment_ = ui::taLeftJustify;
  bool assignedAlignment_ = false;
  bool assignedEditMask_ = false;
  bool alwaysShowBorder_ = false;
  bool autoSelect_ = true;
  bool highlightRequired_ = false;
  bool readOnly_ = false;
  bool wantReturns_ = false;
  bool wantTabs_ = false;
  bool dataPosting_ = false;
  bool droppedDown_ = false;
  bool focused_ = false;
};

}  // namespace grid
