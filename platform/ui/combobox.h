// Drop-down lists with or without an edit field.
#pragma once

#include <memory>
#include <vector>

#include "platform/ui/controls.h"

namespace ui {

enum TComboBoxStyle { csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable };

class TComboBox : public TWinControl {
  JQ_UI_CLASSINFO
 public:
  explicit TComboBox(TComponent* AOwner);
  ~TComboBox() override;

  TStrings* Items() const { return items_.get(); }
  void SetItems(const TStrings* Value) { items_->Assign(Value); }
  // -1: none. An index out of range selects nothing.
  int ItemIndex() const { return itemIndex_; }
  void SetItemIndex(int Value);
  TComboBoxStyle Style() const { return style_; }
  void SetStyle(TComboBoxStyle Value);
  int DropDownCount() const { return dropDownCount_; }
  void SetDropDownCount(int Value);
  bool Sorted() const { return sorted_; }
  void SetSorted(bool Value);
  void Clear();

  // The user picked an item or typed in the edit field (not code changes).
  TNotifyEvent OnChange;
  TNotifyEvent OnSelect;
  void Dispatch(TMessage& Message) override;

 protected:
  virtual void Change();
  virtual void Select();
  QWidget* CreateWidget(QWidget* Parent) override;
  void InitWidget() override;
  String GetText() const override;
  // In a drop-down list the text selects the item equal to it (case-insensitive);
  // text matching no item changes nothing.
  void SetTextInternal(const String& Value) override;
  int ColorRole() const override;

 private:
  class ComboStrings;
  friend class ComboStrings;
  void SyncWidget();
  void SortItems();
  std::unique_ptr<TStrings> items_;
  std::vector<String> list_;
  // The items' objects, beside list_ (not owned).
  std::vector<void*> objects_;
  // Where the last insertion landed, sorting included.
  int lastInserted_ = -1;
  int itemIndex_ = -1;
  TComboBoxStyle style_ = csDropDown;
  int dropDownCount_ = 8;
  bool sorted_ = false;
  bool syncing_ = false;
};

}  // namespace ui
