// A list box painted by the control itself: plain items, owner-drawn items of
// one height, and virtual lists that hold no strings (a count and callbacks).
// The vertical window scroll bar follows the top index; keys, the mouse and
// the wheel move the selection or the view. One selected item.
#pragma once

#include <memory>
#include <vector>

#include "platform/ui/controls.h"

namespace ui {

// List-box messages answered by the control (the grid's lists send some).
constexpr std::uint32_t LB_SETCURSEL = 0x0186;
constexpr std::uint32_t LB_GETCURSEL = 0x0188;
constexpr std::uint32_t LB_GETCOUNT = 0x018B;
constexpr std::uint32_t LB_SELECTSTRING = 0x018C;
constexpr std::uint32_t LB_GETTOPINDEX = 0x018E;
constexpr std::uint32_t LB_FINDSTRING = 0x018F;
constexpr std::uint32_t LB_SETTOPINDEX = 0x0197;
constexpr std::uint32_t LB_GETITEMRECT = 0x0198;
constexpr std::uint32_t LB_SETITEMHEIGHT = 0x01A0;
constexpr std::uint32_t LB_GETITEMHEIGHT = 0x01A1;
constexpr std::uint32_t LB_SETCOUNT = 0x01A7;
constexpr std::uint32_t LB_ITEMFROMPOINT = 0x01A9;
constexpr LRESULT LB_ERR = -1;

enum TListBoxStyle { lbStandard, lbOwnerDrawFixed, lbOwnerDrawVariable, lbVirtual, lbVirtualOwnerDraw };

enum TOwnerDrawStateItem {
  odSelected, odGrayed, odDisabled, odChecked, odFocused, odDefault, odHotLight, odInactive, odNoAccel,
  odNoFocusRect, odReserved1, odReserved2, odComboBoxEdit
};
using TOwnerDrawState = TSet<TOwnerDrawStateItem>;

using TDrawItemEvent = std::function<void(TWinControl* Control, int Index, TRect Rect, TOwnerDrawState State)>;
using TLBGetDataEvent = std::function<void(TWinControl* Control, int Index, String& Data)>;
using TLBGetDataObjectEvent = std::function<void(TWinControl* Control, int Index, TObject*& DataObject)>;
// Index of the item that starts with the text, or -1.
using TLBFindDataEvent = std::function<int(TWinControl* Control, const String& FindString)>;

// The items of a list box: strings with an object each (not owned).
class TListBoxStrings : public TStrings {
  JQ_UI_CLASSINFO
 public:
  explicit TListBoxStrings(class TCustomListBox* ListBox) : listBox_(ListBox) {}
  int Count() const override { return static_cast<int>(items_.size()); }
  String Get(int Index) const override;
  void Put(int Index, const String& S) override;
  void Insert(int Index, const String& S) override;
  int Add(const String& S) override;
  void Delete(int Index) override;
  void Clear() override;
  int AddObject(const String& S, TObject* Object);
  TObject* Objects(int Index) const;
  void SetObjects(int Index, TObject* Object);
  // Code that fills any TStrings reaches the items' objects too. The
  // pointers stored through it are objects (TObject*), as the list keeps them.
  void* GetObject(int Index) const override { return Objects(Index); }
  void PutObject(int Index, void* AObject) override { SetObjects(Index, static_cast<TObject*>(AObject)); }
  int AddObject(const String& S, void* AObject) override {
    return AddObject(S, static_cast<TObject*>(AObject));
  }
  void Sort();

 protected:
  void SetUpdateState(bool Updating) override;

 private:
  struct Item {
    String text;
    TObject* object = nullptr;
  };
  void Changed();
  TCustomListBox* listBox_;
  std::vector<Item> items_;
  bool updating_ = false;
};

class TCustomListBox : public TCustomControl {
  JQ_UI_CLASSINFO
 public:
  explicit TCustomListBox(TComponent* AOwner);
  ~TCustomListBox() override;

  TListBoxStrings* Items() const { return items_.get(); }
  void SetItems(const TStrings* Value) { items_->Assign(Value); }
  TListBoxStyle Style() const { return style_; }
  void SetStyle(TListBoxStyle Value);
  bool IsVirtual() const { return style_ == lbVirtual || style_ == lbVirtualOwnerDraw; }

  // Items shown: the strings' count, or the count set for a virtual list.
  int Count() const;
  void SetCount(int Value);
  int ItemIndex() const { return itemIndex_; }
  void SetItemIndex(int Value);
  int TopIndex() const { return topIndex_; }
  void SetTopIndex(int Value);
  // 0 means the height of the font's text.
  int ItemHeight() const;
  void SetItemHeight(int Value);
  bool Sorted() const { return sorted_; }
  void SetSorted(bool Value);
  bool IntegralHeight() const { return integralHeight_; }
  void SetIntegralHeight(bool Value);
  // Typing a character selects the next item starting with it.
  bool AutoComplete() const { return autoComplete_; }
  void SetAutoComplete(bool Value) { autoComplete_ = Value; }

  // Text of an item, from Items or (virtual lists) OnData.
  String ItemText(int Index) const;
  // Object of an item, from Items or (virtual lists) OnDataObject.
  TObject* ItemObject(int Index);
  // Item at a client point: -1 outside the items when Existing, else Count
  // below the last item.
  int ItemAtPos(TPoint Pos, bool Existing) const;
  TRect ItemRect(int Index) const;
  // Rows that fit whole in the client area (at least 1).
  int VisibleRowCount() const;
  // Selects the first item after Start (-1: from the top), wrapping, that
  // starts with Text (case-insensitive). Returns it, or -1.
  int SelectString(int Start, const String& Text);
  int FindString(int Start, const String& Text) const;
  void Clear();

  // Draws an item as the list does without an owner-draw handler.
  virtual void DefaultDrawItem(int Index, const TRect& Rect, TOwnerDrawState State);

  TDrawItemEvent OnDrawItem;
  TLBGetDataEvent OnData;
  TLBGetDataObjectEvent OnDataObject;
  TLBFindDataEvent OnDataFind;

  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  void Dispatch(TMessage& Message) override;
  void DefaultHandler(TMessage& Message) override;

 protected:
  void Paint() override;
  // Draws one item: OnDrawItem for the owner-draw styles, else DefaultDrawItem.
  virtual void DrawItem(int Index, const TRect& Rect, TOwnerDrawState State);
  void DoKeyDown(std::uint16_t& Key, TShiftState Shift) override;
  void DoKeyPress(char16_t& Key) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void SizeChanged(int OldWidth, int OldHeight) override;
  void FontChanged() override;
  // The list changed its items (count, texts or order).
  virtual void ItemsChanged();
  // Selection moved by the user: OnClick, as a native list reports it.
  void SelectByUser(int Index);
  bool OwnerDraw() const { return style_ != lbStandard && style_ != lbVirtual; }

 private:
  friend class TListBoxStrings;
  void ScrollCode(int Code);
  void UpdateScrollRange();
  void MakeVisible(int Index);
  int MaxTopIndex() const;
  int RowHeight() const;

  std::unique_ptr<TListBoxStrings> items_;
  TListBoxStyle style_ = lbStandard;
  int count_ = 0;
  int itemIndex_ = -1;
  int topIndex_ = 0;
  int itemHeight_ = 16;
  bool sorted_ = false;
  bool integralHeight_ = false;
  bool autoComplete_ = true;
  bool focusLook_ = false;  // draws the selection as focused
  int wheelRest_ = 0;
  bool dragging_ = false;  // the left button went down on the list and is held
};

class TListBox : public TCustomListBox {
  JQ_UI_CLASSINFO
 public:
  using TCustomListBox::TCustomListBox;
};

}  // namespace ui
