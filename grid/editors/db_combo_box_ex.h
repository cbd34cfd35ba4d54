// TCustomDBComboBoxEx: the data-aware combo box of the edit family, with a
// drop-down list of Items. With KeyItems empty it is a free-text combo whose
// typing completes against the items; with KeyItems it is key-based: item i
// shows Items[i] and stands for KeyItems[i], the key goes to the field and
// the user can only pick items. TDropDownBoxEx holds the list's settings.
#pragma once

#include <functional>
#include <memory>

#include "grid/editors/custom_db_edit_ex.h"
#include "grid/editor_support/popup_listbox.h"
#include "platform/classes/string_list.h"
#include "grid/editor_support/tool_routines.h"
#include "platform/classes/typinfo.h"

namespace grid {

class TDropDownBoxEx : public ui::TPersistent {
  JQ_UI_CLASSINFO

 public:
  TDropDownBoxEx() = default;

  TDropDownAlign Align() const { return align_; }
  void SetAlign(TDropDownAlign Value) { align_ = Value; }
  // Typing a character opens the list.
  bool AutoDrop() const { return autoDrop_; }
  void SetAutoDrop(bool Value) { autoDrop_ = Value; }
  int Rows() const { return rows_; }
  void SetRows(int Value) { rows_ = Value; }
  bool Sizable() const { return sizable_; }
  void SetSizable(bool Value) { sizable_ = Value; }
  // 0: the combo's width; -1: as wide as the widest item.
  int Width() const { return width_; }
  void SetWidth(int Value) { width_ = Value; }

  // AutoDrop is a habit of the editor, not of the list's look: it stays.
  void Assign(const ui::TPersistent* Source) override;

 private:
  TDropDownAlign align_ = daLeft;
  bool autoDrop_ = false;
  int rows_ = 7;
  bool sizable_ = false;
  int width_ = 0;
};

enum TEditCharCase { ecNormal, ecUpperCase, ecLowerCase };

using TAcceptEventEx = std::function<void(ui::TObject* Sender, bool& Accept)>;
using TNotInListEventEx = std::function<void(ui::TObject* Sender, const String& NewText, bool& RecheckInList)>;
using TPopupListboxClassEx = std::function<TPopupListboxEx*(ui::TComponent* Owner)>;

class TCustomDBComboBoxEx : public TCustomDBEditEx {
 public:
  explicit TCustomDBComboBoxEx(ui::TComponent* AOwner);
  ~TCustomDBComboBoxEx() override;

  TDropDownBoxEx* DropDownBox() const { return dropDownBox_.get(); }
  void SetDropDownBox(const TDropDownBoxEx* Value) { dropDownBox_->Assign(Value); }
  ui::TStrings* Items() const { return items_.get(); }
  void SetItems(const ui::TStrings* Value) { items_->Assign(Value); }
  ui::TStrings* KeyItems() const { return keyItems_.get(); }
  void SetKeyItems(const ui::TStrings* Value) { keyItems_->Assign(Value); }
  bool KeyBased() const { return keyBased_; }
  // The usable number of items (a key-based combo: items that have a key).
  int ItemsCount() const { return itemsCount_; }

  int ItemIndex() const { return itemIndex_; }
  // Selects an item and stores at once, like a Text write.
  void SetItemIndex(int Value);
  bool ListVisible() const { return listVisible_; }
  // The drop-down list, made on first use.
  TPopupListboxEx* PopupListbox();
  TPopupListboxClassEx PopupListboxClass;
  // Every text the combo shows, typed, pasted or set, takes this case.
  TEditCharCase CharCase() const { return charCase_; }
  void SetCharCase(TEditCharCase Value);

  void Clear() override;
  void SelectNextValue(bool IsPrior);
  void DropDown() override;
  void CloseUp(bool Accept) override;
  void UpdateData() override;
  String DisplayTextForPaintCopy() const override;

  ui::TNotifyEvent OnDropDown;
  TCloseUpEventEx OnCloseUp;
  TAcceptEventEx OnClosingUp;
  TListGetImageIndexEventEx OnGetItemImageIndex;
  ui::TNotifyEvent OnGetItemsList;
  TNotInListEventEx OnNotInList;

 protected:
  virtual std::unique_ptr<TDropDownBoxEx> CreateDropDownBox();
  virtual bool LocateItemText(const String& Text, bool Partial);
  virtual bool AutoCompleteText(const String& Text);
  virtual void RequestItemsList();
  virtual void PutItemIndex(int Index);
  std::unique_ptr<TEditButtonEx> CreateEditButton() override;
  // The press on the main button dragged into the open list: the list takes it over.
  bool DragIntoList(int X, int Y);

  ui::TAlignment DefaultAlignment() const override;
  int DefaultImageIndex() const override { return defaultItemIndex_; }
  void ReadValue(Variant& Value) const override;
  bool IsValidChar(char16_t Key) const override;
  void DefaultButtonDown(bool IsDownButton) override;
  void DataChanged() override;
  void PutText(const String& Value) override;
  void PutValue(const Variant& Value) override;
  void WriteFieldText() override;
  void ResetMaxLength() override;
  void UpdateEditReadOnly() override;
  void UpdateImageIndex() override;

  void Notification(ui::TComponent* AComponent, ui::TOperation Operation) override;
  void Change() override;
  void DoKeyDown(std::uint16_t& Key, ui::TShiftState Shift) override;
  void DoKeyPress(char16_t& Key) override;
  bool DoMouseWheelDown(ui::TShiftState Shift, ui::TPoint MousePos) override;
  bool DoMouseWheelUp(ui::TShiftState Shift, ui::TPoint MousePos) override;
  void Dispatch(ui::TMessage& Message) override;

 private:
  void ItemsChanged();
  void KeyItemsChanged();
  void UpdateKeyBased();
  void UpdateItemIndexFromText();
  void SelectInList();
  void ListMouseUp(ui::TMouseButton Button, int X, int Y);
  // The edit text may change now (the link starts editing when it can).
  bool TextMayChange() { return CanModifyText(); }
  bool KeyDiversToList(std::uint16_t Key, ui::TShiftState Shift) const;
  bool KeyBasedMouse(ui::TMessage& Message);
  void CompleteTypedChar();
  String Cased(const String& S) const;
  void ApplyCharCase();

  std::unique_ptr<TDropDownBoxEx> dropDownBox_;
  int itemIndex_ = -1;
  std::unique_ptr<ui::TStringList> items_;
  std::unique_ptr<ui::TStringList> keyItems_;
  bool listVisible_ = false;
  TPopupListboxEx* popupListbox_ = nullptr;
  int itemsCount_ = 0;
  bool keyBased_ = false;
  Variant varValue_;
  int defaultItemIndex_ = -1;
  TEditCharCase charCase_ = ecNormal;
  bool casing_ = false;
  // Set by the press that opened the list, so the click ending it keeps it open.
  bool noClickCloseUp_ = false;
  bool listPressed_ = false;
  // A typed character waits for the edit to take it before completion runs.
  bool completePending_ = false;
  char16_t completeChar_ = 0;
  int completeCaret_ = 0;
  bool completing_ = false;
};

class TDBComboBoxEx : public TCustomDBComboBoxEx {
 public:
  explicit TDBComboBoxEx(ui::TComponent* AOwner) : TCustomDBComboBoxEx(AOwner) {}
};

}  // namespace grid
