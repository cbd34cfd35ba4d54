#include "grid/editors/db_combo_box_ex.h"

#include <algorithm>

#include "platform/ui/clipboard.h"
#include "platform/data/data_source.h"
#include "platform/data/dataset.h"
#include "grid/editor_support/tool_routines.h"
#include "grid/foundation/grid_platform_shims.h"
#include "platform/ui/keys.h"

namespace grid {

using namespace ui;

namespace {

String VariantText(const Variant& V) {
  if (V.IsNull() || V.IsEmpty() || V.IsArray()) return String();
  try {
    return V.AsString();
  } catch (...) {
    return String();
  }
}

bool IsMousePress(std::uint32_t Msg) {
  return Msg == WM_LBUTTONDOWN || Msg == WM_RBUTTONDOWN || Msg == WM_MBUTTONDOWN || Msg == WM_LBUTTONDBLCLK ||
         Msg == WM_RBUTTONDBLCLK || Msg == WM_MBUTTONDBLCLK;
}

}  // namespace

// --- drop-down settings ---------------------------------------------------------

const TClassInfo& TDropDownBoxEx::StaticClassInfo() {
  static const TClassInfo info =
      TClassBuilder<TDropDownBoxEx>("TDropDownBoxEx", &TPersistent::StaticClassInfo())
          .Enum("Align", "TDropDownAlign", {"daLeft", "daRight", "daCenter"}, &TDropDownBoxEx::Align,
                &TDropDownBoxEx::SetAlign, daLeft)
          .Boolean("AutoDrop", &TDropDownBoxEx::AutoDrop, &TDropDownBoxEx::SetAutoDrop, 0)
          .Integer("Rows", &TDropDownBoxEx::Rows, &TDropDownBoxEx::SetRows, 7)
          .Boolean("Sizable", &TDropDownBoxEx::Sizable, &TDropDownBoxEx::SetSizable, 0)
          .Integer("Width", &TDropDownBoxEx::Width, &TDropDownBoxEx::SetWidth, 0)
          .Build();
  return info;
}

void TDropDownBoxEx::Assign(const TPersistent* Source) {
  if (auto* s = dynamic_cast<const TDropDownBoxEx*>(Source)) {
    align_ = s->align_;
    rows_ = s->rows_;
    width_ = s->width_;
    sizable_ = s->sizable_;
    return;
  }
  TPersistent::Assign(Source);
}

// --- construction -----------------------------------------------------------------

TCustomDBComboBoxEx::TCustomDBComboBoxEx(TComponent* AOwner) : TCustomDBEditEx(AOwner) {
  items_ = std::make_unique<TStringList>();
  keyItems_ = std::make_unique<TStringList>();
  keyItems_->SetCaseSensitive(true);
  items_->OnChange = [this](TObject*) { ItemsChanged(); };
  keyItems_->OnChange = [this](TObject*) { KeyItemsChanged(); };
  varValue_ = Variant::Null();
  dropDownBox_ = CreateDropDownBox();
}

TCustomDBComboBoxEx::~TCustomDBComboBoxEx() {
  // The list calls back into the combo; it goes before the combo's parts do.
  if (popupListbox_) {
    popupListbox_->OnMouseUp = nullptr;
    popupListbox_->OnGetImageIndex = nullptr;
    delete popupListbox_;
    popupListbox_ = nullptr;
  }
  items_->OnChange = nullptr;
  keyItems_->OnChange = nullptr;
}

std::unique_ptr<TEditButtonEx> TCustomDBComboBoxEx::CreateEditButton() {
  return std::make_unique<TVisibleEditButtonEx>(this);
}

std::unique_ptr<TDropDownBoxEx> TCustomDBComboBoxEx::CreateDropDownBox() {
  auto box = std::make_unique<TDropDownBoxEx>();
  box->SetRows(7);
  return box;
}

// --- items and keys ------------------------------------------------------------------

void TCustomDBComboBoxEx::ItemsChanged() {
  UpdateKeyBased();
  // A key-based combo keeps showing its key's item when the texts change.
  if (keyBased_) PutValue(varValue_);
  UpdateItemIndexFromText();
  ResetMaxLength();
}

void TCustomDBComboBoxEx::KeyItemsChanged() {
  UpdateKeyBased();
  UpdateItemIndexFromText();
  ResetMaxLength();
  DataChanged();
}

void TCustomDBComboBoxEx::UpdateKeyBased() {
  itemsCount_ = items_->Count();
  keyBased_ = keyItems_->Count() > 0;
  if (keyBased_) {
    itemsCount_ = std::min(items_->Count(), keyItems_->Count());
    SetEditText(String());
  }
  SetCursor(keyBased_ ? crArrow : crDefault);
  UpdateEditReadOnly();
}

void TCustomDBComboBoxEx::UpdateItemIndexFromText() {
  const int i = items_->IndexOf(EditText());
  itemIndex_ = i < itemsCount_ ? i : -1;
  SelectInList();
  UpdateImageIndex();
}

void TCustomDBComboBoxEx::SelectInList() {
  if (listVisible_ && popupListbox_) popupListbox_->SetItemIndex(itemIndex_);
}

void TCustomDBComboBoxEx::RequestItemsList() {
  if (items_->Count() == 0 && OnGetItemsList) OnGetItemsList(this);
}

void TCustomDBComboBoxEx::PutItemIndex(int Index) {
  if (Index == itemIndex_) return;
  RequestItemsList();
  if (Index < 0 || Index >= itemsCount_) {
    itemIndex_ = -1;
    varValue_ = Variant::Null();
  } else {
    itemIndex_ = Index;
    if (keyBased_) varValue_ = Variant(keyItems_->Get(Index));
  }
  UpdateImageIndex();
  SelectInList();
  const int index = itemIndex_;
  if (index >= 0)
    SetEditText(items_->Get(index));
  else
    TCustomDBEditEx::PutText(String());
  // The text change looked the index up again; the chosen item wins
  // (duplicate texts would otherwise point at the first of them).
  itemIndex_ = index;
}

void TCustomDBComboBoxEx::SetItemIndex(int Value) {
  if (Designing() && !DataIndepended()) return;
  if (!DataIndepended()) DataLink()->Edit();
  PutItemIndex(Value);
  if (DataPosting()) return;
  try {
    UpdateData();
  } catch (...) {
    DataLink()->Reset();
    throw;
  }
}

// --- text and value --------------------------------------------------------------

TAlignment TCustomDBComboBoxEx::DefaultAlignment() const {
  return keyBased_ ? taLeftJustify : TCustomDBEditEx::DefaultAlignment();
}

void TCustomDBComboBoxEx::ReadValue(Variant& Value) const {
  if (keyBased_)
    Value = varValue_;
  else
    TCustomDBEditEx::ReadValue(Value);
}

bool TCustomDBComboBoxEx::IsValidChar(char16_t Key) const {
  // Typing only looks items up; the key itself never reaches the field.
  return keyBased_ || TCustomDBEditEx::IsValidChar(Key);
}

void TCustomDBComboBoxEx::PutText(const String& Value) {
  completePending_ = false;
  if (!keyBased_) {
    TCustomDBEditEx::PutText(Value);
    UpdateItemIndexFromText();
    return;
  }
  const int i = items_->IndexOf(Value);
  if (i < 0 || i >= itemsCount_) return;
  itemIndex_ = i;
  UpdateImageIndex();
  SelectInList();
  varValue_ = Variant(keyItems_->Get(i));
  TCustomDBEditEx::PutText(Value);
  itemIndex_ = i;
}

void TCustomDBComboBoxEx::PutValue(const Variant& Value) {
  completePending_ = false;
  if (!keyBased_) {
    TCustomDBEditEx::PutValue(Value);
    UpdateItemIndexFromText();
    return;
  }
  varValue_ = Value.IsEmpty() ? Variant::Null() : Value;
  int index = -1;
  if (!varValue_.IsNull()) {
    index = keyItems_->IndexOf(VariantText(varValue_));
    if (index >= itemsCount_) index = -1;
    SetEditText(index >= 0 ? items_->Get(index) : String());
  } else {
    SetEditText(String());
  }
  itemIndex_ = index;
  UpdateImageIndex();
  SelectInList();
}

void TCustomDBComboBoxEx::WriteFieldText() {
  if (!DataIndepended() || keyBased_)
    DataLink()->SetText(VariantText(Value()));
  else
    DataLink()->SetText(EditText());
}

void TCustomDBComboBoxEx::DataChanged() {
  // Starting to edit reloads the same text; the user's selection must
  // survive it, or the key that started editing lands in the wrong place.
  const int selStart = SelStart(), selLength = SelLength();
  const String before = EditText();
  // A character typed into a browsing dataset reloads the field on its way
  // in; its completion still follows once the edit has taken it.
  const bool pending = completePending_;
  if (db::TField* f = Field()) {
    if (!IsEditMaskStored() && EditMask() != f->EditMask()) TCustomMaskEdit::SetEditMask(f->EditMask());
    SetTextAlignment(Alignment());
    if (!Designing() && !keyBased_ && IsStringField(f) && MaxLength() == 0) SetMaxLength(f->Size());
    if ((IsFocusedEditor() && DataLink()->CanModify()) || keyBased_) {
      // A key-based combo looks its key up; an empty field holds no key.
      PutValue(f->IsNull() ? Variant::Null() : Variant(f->Text()));
    } else {
      SetEditText(f->DisplayText());
      UpdateItemIndexFromText();
    }
  } else {
    if (!IsEditMaskStored() && !EditMask().empty()) TCustomMaskEdit::SetEditMask(String());
    SetTextAlignment(Alignment());
    if (DataIndepended()) {
      const Variant& v = DataLink()->DataIndependentValue;
      if (keyBased_)
        PutValue(v);
      else
        SetEditText(VariantText(v));
    } else {
      SetEditText(String());
    }
    if (!keyBased_) UpdateItemIndexFromText();
  }
  if (EditText() == before) {
    SetSelStart(selStart);
    SetSelLength(selLength);
    completePending_ = pending;
  }
  UpdateEditReadOnly();
  SetModified(false);
}

void TCustomDBComboBoxEx::UpdateEditReadOnly() {
  TCustomDBEditEx::UpdateEditReadOnly();
  // Only picking changes a key-based combo, never free typing.
  if (keyBased_) TCustomEdit::SetReadOnly(true);
}

void TCustomDBComboBoxEx::ResetMaxLength() {
  TCustomDBEditEx::ResetMaxLength();
  if (keyBased_ && MaxLength() != 0) SetMaxLength(0);
}

void TCustomDBComboBoxEx::UpdateImageIndex() {
  defaultItemIndex_ = itemIndex_;
  if (OnGetItemImageIndex) OnGetItemImageIndex(this, itemIndex_, defaultItemIndex_);
  TCustomDBEditEx::UpdateImageIndex();
}

String TCustomDBComboBoxEx::DisplayTextForPaintCopy() const {
  db::TField* f = Field();
  if (keyBased_ && f && ControlState().Contains(csPaintCopy)) {
    const int i = keyItems_->IndexOf(f->Text());
    return i >= 0 && i < itemsCount_ ? Cased(items_->Get(i)) : String();
  }
  return Cased(TCustomDBEditEx::DisplayTextForPaintCopy());
}

void TCustomDBComboBoxEx::UpdateData() {
  if (OnNotInList && itemIndex_ == -1) {
    bool recheck = false;
    OnNotInList(this, Text(), recheck);
  }
  TCustomDBEditEx::UpdateData();
}

void TCustomDBComboBoxEx::Clear() {
  if (keyBased_)
    SetValue(Variant::Null());
  else
    TCustomDBEditEx::Clear();
}

String TCustomDBComboBoxEx::Cased(const String& S) const {
  switch (charCase_) {
    case ecUpperCase:
      return UpperCaseLocale(S);
    case ecLowerCase:
      return LowerCaseLocale(S);
    default:
      return S;
  }
}

void TCustomDBComboBoxEx::ApplyCharCase() {
  if (charCase_ == ecNormal) return;
  const String text = EditText();
  const String cased = Cased(text);
  if (cased == text) return;
  const int selStart = SelStart(), selLength = SelLength();
  casing_ = true;
  SetEditText(cased);
  casing_ = false;
  SetSelStart(selStart);
  SetSelLength(selLength);
}

void TCustomDBComboBoxEx::SetCharCase(TEditCharCase Value) {
  if (charCase_ == Value) return;
  charCase_ = Value;
  ApplyCharCase();
}

void TCustomDBComboBoxEx::Change() {
  if (casing_) return;
  ApplyCharCase();
  TCustomDBEditEx::Change();
  const bool sameItem =
      itemIndex_ >= 0 && itemIndex_ < itemsCount_ && CompareTextLocale(items_->Get(itemIndex_), EditText()) == 0;
  if (!sameItem) UpdateItemIndexFromText();
  UpdateImageIndex();
  if (completePending_ && !completing_) {
    completePending_ = false;
    CompleteTypedChar();
  }
}

void TCustomDBComboBoxEx::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomDBEditEx::Notification(AComponent, Operation);
  if (Operation == opRemove && popupListbox_ && AComponent == popupListbox_) {
    popupListbox_ = nullptr;
    listVisible_ = false;
  }
}

// --- picking and completion --------------------------------------------------------

void TCustomDBComboBoxEx::SelectNextValue(bool IsPrior) {
  if (!TextMayChange()) return;
  RequestItemsList();
  const int old = itemIndex_;
  int next = old;
  if (IsPrior) {
    if (old > 0)
      next = old - 1;
    else if (old == -1)
      next = itemsCount_ - 1;
  } else {
    if (old == -1)
      next = itemsCount_ > 0 ? 0 : -1;
    else if (old < itemsCount_ - 1)
      next = old + 1;
  }
  if (next == old) return;
  PutItemIndex(next);
  SelectAll();
}

bool TCustomDBComboBoxEx::LocateItemText(const String& Text, bool Partial) {
  if (!TextMayChange()) return false;
  const int old = itemIndex_;
  completing_ = true;
  try {
    int found = -1;
    for (int i = 0; i < itemsCount_ && found < 0; ++i) {
      String item = items_->Get(i);
      if (Partial && item.size() > Text.size()) item.resize(Text.size());
      if (CompareTextLocale(item, Text) == 0) found = i;
    }
    if (found >= 0) {
      PutItemIndex(found);
      const int len = static_cast<int>(EditText().size());
      const int typed = std::min(len, static_cast<int>(Text.size()));
      SetSelStart(typed);
      SetSelLength(len - typed);
    } else if (!keyBased_) {
      PutItemIndex(-1);
    }
  } catch (...) {
    itemIndex_ = old;
  }
  completing_ = false;
  return itemIndex_ != old;
}

bool TCustomDBComboBoxEx::AutoCompleteText(const String& Text) {
  if (!DataLink()->Active() || !TextMayChange()) return false;
  const int len = static_cast<int>(EditText().size());
  if (Text == u"\b") {
    // Backspace narrows what was matched instead of deleting it.
    const int start = SelStart(), end = SelStart() + SelLength();
    if (len > 0 && start == 0 && end == len) {
      SetSelStart(len - 1);
      SetSelLength(1);
    } else if (start > 0) {
      SetSelStart(start - 1);
      SetSelLength(end - start + 1);
    }
    return false;
  }
  RequestItemsList();
  const String typed = EditText().substr(0, std::min(len, SelStart())) + Text;
  return LocateItemText(typed, true);
}

void TCustomDBComboBoxEx::CompleteTypedChar() {
  const int len = static_cast<int>(EditText().size());
  if (completeChar_ != 8 && SelStart() == len && SelLength() == 0) {
    AutoCompleteText(String());
    return;
  }
  if (LocateItemText(Text(), false) || itemIndex_ >= 0) {
    if (itemIndex_ < 0) return;
    const int from = std::min(completeCaret_, static_cast<int>(EditText().size()));
    SetSelStart(from);
    SetSelLength(static_cast<int>(EditText().size()) - from);
  }
}

// --- keys and wheel ----------------------------------------------------------------

void TCustomDBComboBoxEx::DoKeyDown(std::uint16_t& Key, TShiftState Shift) {
  TCustomDBEditEx::DoKeyDown(Key, Shift);
  if (Key == 0) return;
  if (Key == VK_UP || Key == VK_DOWN) {
    const bool wholeSelected = SelStart() == 0 && SelLength() == static_cast<int>(EditText().size());
    if ((!WordWrap() || wholeSelected) && !ReadOnly() && !listVisible_ && TextMayChange()) {
      SelectNextValue(Key == VK_UP);
      Key = 0;
    }
    return;
  }
  if (Key == VK_DELETE && keyBased_ && !ReadOnly()) {
    const bool mayBeEmpty = DataIndepended() || !Field() || !Field()->Required();
    if (mayBeEmpty && TextMayChange()) PutValue(Variant::Null());
  }
}

void TCustomDBComboBoxEx::DoKeyPress(char16_t& Key) {
  if (listVisible_ && (Key == 13 || Key == 27)) {
    CloseUp(Key == 13);
    Key = 0;
    completePending_ = false;
    return;
  }
  TCustomDBEditEx::DoKeyPress(Key);
  if (Key == 0) {
    completePending_ = false;
    return;
  }
  if (Key == 8 && keyBased_ && !ReadOnly()) {
    AutoCompleteText(u"\b");
    Key = 0;
  } else if (Key >= 32) {
    if (dropDownBox_->AutoDrop() && !listVisible_) DropDown();
    if (keyBased_ && !ReadOnly()) {
      AutoCompleteText(String(1, Key));
      Key = 0;
    }
  }
  if (Key == 0) completePending_ = false;
}

bool TCustomDBComboBoxEx::DoMouseWheelDown(TShiftState Shift, TPoint MousePos) {
  if (TCustomDBEditEx::DoMouseWheelDown(Shift, MousePos)) return true;
  if (!Shift.Empty() || ReadOnly() || !DataLink()->Edit()) return false;
  SelectNextValue(false);
  return true;
}

bool TCustomDBComboBoxEx::DoMouseWheelUp(TShiftState Shift, TPoint MousePos) {
  if (TCustomDBEditEx::DoMouseWheelUp(Shift, MousePos)) return true;
  if (!Shift.Empty() || ReadOnly() || !DataLink()->Edit()) return false;
  SelectNextValue(true);
  return true;
}

void TCustomDBComboBoxEx::DefaultButtonDown(bool IsDownButton) {
  if (!MainButtonUpDown()) {
    TCustomDBEditEx::DefaultButtonDown(IsDownButton);
    return;
  }
  if (TextMayChange()) SelectNextValue(!IsDownButton);
}

bool TCustomDBComboBoxEx::KeyDiversToList(std::uint16_t Key, TShiftState Shift) const {
  return !IsEditButtonShortCut(Key, Shift) && IsDropDownNavigationKey(Key, Shift, false);
}

// --- the drop-down list ---------------------------------------------------------------

TPopupListboxEx* TCustomDBComboBoxEx::PopupListbox() {
  if (!popupListbox_) {
    popupListbox_ = PopupListboxClass ? PopupListboxClass(this) : new TPopupListboxEx(this);
    popupListbox_->SetVisible(false);
    // The list starts flat-framed-less; switching through flat gives it its raised 3D edges.
    popupListbox_->SetCtl3D(false);
    popupListbox_->SetCtl3D(true);
    popupListbox_->OnMouseUp = [this](TObject*, TMouseButton Button, TShiftState, int X, int Y) {
      ListMouseUp(Button, X, Y);
    };
    popupListbox_->OnGetImageIndex = [this](TObject* Sender, int Index, int& ImageIndex) {
      if (OnGetItemImageIndex) OnGetItemImageIndex(Sender, Index, ImageIndex);
    };
  }
  return popupListbox_;
}

void TCustomDBComboBoxEx::DropDown() {
  if (listVisible_) return;
  TCustomDBEditEx::DropDown();
  if (OnDropDown) OnDropDown(this);
  RequestItemsList();
  TPopupListboxEx* list = PopupListbox();
  list->SetColor(Color());
  list->SetFont(Font());
  list->SetItemHeight(std::max(1, list->GetTextHeight()));
  // Items without a key cannot be picked, so a key-based list leaves them out.
  list->Items()->BeginUpdate();
  list->Items()->Clear();
  for (int i = 0; i < itemsCount_; ++i) list->Items()->Add(items_->Get(i));
  list->Items()->EndUpdate();

  const int frame = list->BorderHeight();
  int rows = std::max(1, dropDownBox_->Rows());
  if (itemsCount_ < rows) rows = std::max(1, itemsCount_);
  int width;
  if (dropDownBox_->Width() == -1) {
    TCanvas canvas;
    canvas.SetFont(list->Font());
    int widest = 0;
    for (int i = 0; i < itemsCount_; ++i) widest = std::max(widest, canvas.TextWidth(items_->Get(i)));
    width = widest + 5 + frame;
    if (list->ImageList()) width += list->ImageList()->Width() + 4;
    if (itemsCount_ > rows) width += EditorSystemMetrics().VScrollWidth;
  } else if (dropDownBox_->Width() <= 0) {
    width = Width();
  } else {
    width = dropDownBox_->Width();
  }
  width = std::max(width, Width());
  list->SetBounds(list->Left(), list->Top(), width, rows * list->ItemHeight() + frame);

  TDropDownAlign align = dropDownBox_->Align();
  if (UseRightToLeftAlignment()) {
    if (align == daLeft)
      align = daRight;
    else if (align == daRight)
      align = daLeft;
  }
  const TPoint at = CalcEditDropDownPosition(this, list, align);
  list->SetBounds(at.X, at.Y, list->Width(), list->Height());
  list->SetItemIndex(itemIndex_);
  list->SizeGrip()->SetVisible(dropDownBox_->Sizable());
  list->SetVisible(true);
  list->SetSizeGripResized(false);
  listVisible_ = true;
}

void TCustomDBComboBoxEx::CloseUp(bool Accept) {
  if (!listVisible_) return;
  if (MouseCapture()) SetMouseCapture(false);
  TPopupListboxEx* list = popupListbox_;
  list->SetVisible(false);
  if (list->SizeGripResized()) {
    dropDownBox_->SetRows(list->RowCount());
    dropDownBox_->SetWidth(list->Width());
  }
  listVisible_ = false;
  TCustomDBEditEx::CloseUp(Accept);
  if (OnClosingUp) OnClosingUp(this, Accept);
  if (Accept && !ReadOnly() && DataLink()->Edit()) {
    PutItemIndex(list->ItemIndex());
    if (Focused()) SelectAll();
  }
  if (OnCloseUp) OnCloseUp(this, Accept);
}

void TCustomDBComboBoxEx::ListMouseUp(TMouseButton Button, int X, int Y) {
  if (Button != mbLeft || !listVisible_ || !popupListbox_->IsMouseUpCloseListbox()) return;
  CloseUp(popupListbox_->ClientRect().Contains(Point(X, Y)));
}

bool TCustomDBComboBoxEx::DragIntoList(int X, int Y) {
  if (!listVisible_ || !MouseCapture()) return false;
  const TPoint p = popupListbox_->ScreenToClient(ClientToScreen(Point(X, Y)));
  if (!popupListbox_->ClientRect().Contains(p)) return false;
  SetMouseCapture(false);
  popupListbox_->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MakeLParam(p.X, p.Y));
  return true;
}

bool TCustomDBComboBoxEx::KeyBasedMouse(TMessage& Message) {
  const int x = XPos(Message.LParam), y = YPos(Message.LParam);
  if (Message.Msg == WM_RBUTTONUP) {
    const TPoint s = ClientToScreen(Point(x, y));
    Perform(WM_CONTEXTMENU, 0, MakeLParam(s.X, s.Y));
    return true;
  }
  if (Message.Msg == WM_LBUTTONUP) {
    noClickCloseUp_ = false;
    return false;
  }
  if (!IsMousePress(Message.Msg)) return false;
  if (Message.Msg == WM_LBUTTONDOWN) {
    if (listVisible_) {
      if (!noClickCloseUp_) CloseUp(false);
    } else if (EditButtonsActive() && !DroppedDown()) {
      if (CanFocus() && !Focused()) SetFocus();
      DropDown();
      noClickCloseUp_ = true;
    }
  }
  return true;
}

void TCustomDBComboBoxEx::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
      completePending_ = false;
      // Only key-down messages go to the open list: a typed character
      // shares its code with a navigation key ('!' is Page Up) and
      // belongs in the text.
      const auto key = static_cast<std::uint16_t>(Message.WParam);
      if (listVisible_ && popupListbox_ && KeyDiversToList(key, CurrentShiftState())) {
        popupListbox_->Perform(Message.Msg, Message.WParam, Message.LParam);
        Message.Result = 1;
        return;
      }
      break;
    }
    case WM_KEYUP:
      completePending_ = false;
      break;
    case WM_CHAR: {
      const auto ch = static_cast<char16_t>(Message.WParam);
      if (listVisible_ && (ch == 13 || ch == 27)) {
        CloseUp(ch == 13);
        Message.WParam = 0;
        Message.Result = 0;
        return;
      }
      completePending_ = !keyBased_ && ch != 46 && GetKeyState(VK_CONTROL) >= 0;
      completeChar_ = ch;
      completeCaret_ = SelStart();
      break;
    }
    case CM_WANTSPECIALKEY:
      if (listVisible_ && (Message.WParam == VK_RETURN || Message.WParam == VK_ESCAPE)) {
        Message.Result = 1;
        return;
      }
      break;
    case WM_MOUSEWHEEL:
      if (listVisible_ && popupListbox_) {
        popupListbox_->Perform(Message.Msg, Message.WParam, Message.LParam);
        Message.Result = 1;
        return;
      }
      break;
    case WM_KILLFOCUS:
      if (listVisible_) CloseUp(false);
      break;
    case CM_CANCELMODE:
      if (listVisible_ && CancelModeFromOutside(Message, popupListbox_)) CloseUp(false);
      break;
    case WM_PASTE:
      if (keyBased_) {
        if (Clipboard()->HasFormat(CF_TEXT) || Clipboard()->HasFormat(CF_UNICODETEXT))
          AutoCompleteText(Clipboard()->AsText());
        Message.Result = 1;
        return;
      }
      break;
    case WM_MOUSEMOVE:
      if (listVisible_) DragIntoList(XPos(Message.LParam), YPos(Message.LParam));
      break;
    default:
      if (keyBased_ && (IsMousePress(Message.Msg) || Message.Msg == WM_LBUTTONUP || Message.Msg == WM_RBUTTONUP) &&
          KeyBasedMouse(Message))
        return;
      break;
  }
  TCustomDBEditEx::Dispatch(Message);
}

}  // namespace grid
