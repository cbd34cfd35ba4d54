#include "platform/ui/list_box.h"

#include <algorithm>

#include "platform/ui/keys.h"
#include "platform/runtime/rtl_string.h"

namespace ui {
namespace {

// Rows a wheel notch scrolls, as the system setting has it by default.
constexpr int kWheelScrollLines = 3;

}  // namespace

// --- items ---------------------------------------------------------------------------

const TClassInfo& TListBoxStrings::StaticClassInfo() {
  static const TClassInfo info =
      TClassBuilder<TListBoxStrings>("TListBoxStrings", &TStrings::StaticClassInfo()).Build();
  return info;
}

String TListBoxStrings::Get(int Index) const {
  if (Index < 0 || Index >= Count()) IndexError(Index);
  return items_[Index].text;
}

void TListBoxStrings::Put(int Index, const String& S) {
  if (Index < 0 || Index >= Count()) IndexError(Index);
  items_[Index].text = S;
  if (listBox_->sorted_) Sort();
  Changed();
}

void TListBoxStrings::Insert(int Index, const String& S) {
  if (Index < 0 || Index > Count()) IndexError(Index);
  items_.insert(items_.begin() + Index, Item{S, nullptr});
  if (listBox_->itemIndex_ >= Index) ++listBox_->itemIndex_;
  Changed();
}

int TListBoxStrings::Add(const String& S) { return AddObject(S, static_cast<TObject*>(nullptr)); }

int TListBoxStrings::AddObject(const String& S, TObject* Object) {
  int at = Count();
  if (listBox_->sorted_) {
    // After equal texts, so items added in order keep it.
    auto it = std::upper_bound(items_.begin(), items_.end(), S,
                               [](const String& s, const Item& i) { return rtl::AnsiCompareText(s, i.text) < 0; });
    at = static_cast<int>(it - items_.begin());
  }
  Insert(at, S);
  items_[at].object = Object;
  return at;
}

void TListBoxStrings::Delete(int Index) {
  if (Index < 0 || Index >= Count()) IndexError(Index);
  items_.erase(items_.begin() + Index);
  int& sel = listBox_->itemIndex_;
  if (sel == Index)
    sel = -1;
  else if (sel > Index)
    --sel;
  Changed();
}

void TListBoxStrings::Clear() {
  items_.clear();
  listBox_->itemIndex_ = -1;
  Changed();
}

TObject* TListBoxStrings::Objects(int Index) const {
  if (Index < 0 || Index >= Count()) IndexError(Index);
  return items_[Index].object;
}

void TListBoxStrings::SetObjects(int Index, TObject* Object) {
  if (Index < 0 || Index >= Count()) IndexError(Index);
  items_[Index].object = Object;
}

void TListBoxStrings::Sort() {
  const int sel = listBox_->itemIndex_;
  const Item* selected = sel >= 0 && sel < Count() ? &items_[sel] : nullptr;
  TObject* selObject = selected ? selected->object : nullptr;
  String selText = selected ? selected->text : String();
  std::stable_sort(items_.begin(), items_.end(),
                   [](const Item& a, const Item& b) { return rtl::AnsiCompareText(a.text, b.text) < 0; });
  if (selected) {
    for (int i = 0; i < Count(); ++i)
      if (items_[i].object == selObject && items_[i].text == selText) {
        listBox_->itemIndex_ = i;
        break;
      }
  }
}

void TListBoxStrings::SetUpdateState(bool Updating) {
  updating_ = Updating;
  if (!Updating) Changed();
}

void TListBoxStrings::Changed() {
  if (!updating_) listBox_->ItemsChanged();
}

// --- list box ------------------------------------------------------------------------

const TClassInfo& TCustomListBox::StaticClassInfo() {
  static const TClassInfo info =
      TClassBuilder<TCustomListBox>("TCustomListBox", &TCustomControl::StaticClassInfo())
          .Enum("Style", "TListBoxStyle",
                {"lbStandard", "lbOwnerDrawFixed", "lbOwnerDrawVariable", "lbVirtual", "lbVirtualOwnerDraw"},
                &TCustomListBox::Style, &TCustomListBox::SetStyle, lbStandard)
          .Integer("ItemHeight", &TCustomListBox::ItemHeight, &TCustomListBox::SetItemHeight, 16)
          .Integer("ItemIndex", &TCustomListBox::ItemIndex, &TCustomListBox::SetItemIndex, -1)
          .Integer("TopIndex", &TCustomListBox::TopIndex, &TCustomListBox::SetTopIndex, 0)
          .Boolean("Sorted", &TCustomListBox::Sorted, &TCustomListBox::SetSorted, 0)
          .Boolean("IntegralHeight", &TCustomListBox::IntegralHeight, &TCustomListBox::SetIntegralHeight, 0)
          .Boolean("AutoComplete", &TCustomListBox::AutoComplete, &TCustomListBox::SetAutoComplete, 1)
          .Build();
  return info;
}

const TClassInfo& TListBox::StaticClassInfo() {
  static const TClassInfo info = TClassBuilder<TListBox>("TListBox", &TCustomListBox::StaticClassInfo()).Build();
  return info;
}

TCustomListBox::TCustomListBox(TComponent* AOwner)
    : TCustomControl(AOwner), items_(std::make_unique<TListBoxStrings>(this)) {
  SetBounds(0, 0, 121, 97);
  SetTabStop(true);
  SetColor(clWindow);
  SetParentColor(false);
}

TCustomListBox::~TCustomListBox() { BeginDestroy(); }

void TCustomListBox::SetStyle(TListBoxStyle Value) {
  if (style_ == Value) return;
  style_ = Value;
  ItemsChanged();
}

int TCustomListBox::Count() const { return IsVirtual() ? count_ : items_->Count(); }

void TCustomListBox::SetCount(int Value) {
  // Only a virtual list holds a bare count; the others count their strings.
  if (!IsVirtual()) return;
  count_ = std::max(0, Value);
  if (itemIndex_ >= count_) itemIndex_ = -1;
  ItemsChanged();
}

void TCustomListBox::SetItemIndex(int Value) {
  if (Value < -1 || Value >= Count()) Value = -1;
  if (Value == itemIndex_) return;
  itemIndex_ = Value;
  MakeVisible(Value);
  Invalidate();
}

int TCustomListBox::MaxTopIndex() const { return std::max(0, Count() - VisibleRowCount()); }

void TCustomListBox::SetTopIndex(int Value) {
  Value = std::clamp(Value, 0, MaxTopIndex());
  if (Value == topIndex_) return;
  topIndex_ = Value;
  UpdateScrollRange();
  Invalidate();
}

int TCustomListBox::ItemHeight() const { return itemHeight_; }

int TCustomListBox::RowHeight() const {
  // A plain list measures its font; owner-drawn lists use the set height.
  if (OwnerDraw() && itemHeight_ > 0) return itemHeight_;
  Canvas()->SetFont(Font());
  return std::max(1, Canvas()->TextHeight(u"Wg"));
}

void TCustomListBox::SetItemHeight(int Value) {
  if (Value < 0 || Value == itemHeight_) return;
  itemHeight_ = Value;
  ItemsChanged();
}

void TCustomListBox::SetSorted(bool Value) {
  if (sorted_ == Value) return;
  sorted_ = Value;
  if (sorted_) {
    items_->Sort();
    ItemsChanged();
  }
}

void TCustomListBox::SetIntegralHeight(bool Value) {
  if (integralHeight_ == Value) return;
  integralHeight_ = Value;
  SetBounds(Left(), Top(), Width(), Height());
}

void TCustomListBox::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  if (integralHeight_ && style_ != lbOwnerDrawVariable && items_) {
    const int frame = Height() - TCustomControl::ClientRect().Height();
    const int rh = RowHeight();
    const int rows = std::max(1, (AHeight - frame) / rh);
    AHeight = frame + rows * rh;
  }
  TCustomControl::SetBounds(ALeft, ATop, AWidth, AHeight);
}

String TCustomListBox::ItemText(int Index) const {
  if (Index < 0 || Index >= Count()) return String();
  if (!IsVirtual()) return items_->Get(Index);
  String data;
  if (OnData) OnData(const_cast<TCustomListBox*>(this), Index, data);
  return data;
}

TObject* TCustomListBox::ItemObject(int Index) {
  if (Index < 0 || Index >= Count()) return nullptr;
  if (!IsVirtual()) return items_->Objects(Index);
  TObject* object = nullptr;
  if (OnDataObject) OnDataObject(this, Index, object);
  return object;
}

int TCustomListBox::VisibleRowCount() const { return std::max(1, ClientHeight() / RowHeight()); }

int TCustomListBox::ItemAtPos(TPoint Pos, bool Existing) const {
  const TRect client = ClientRect();
  if (Pos.X < 0 || Pos.X >= client.Width() || Pos.Y < 0 || Pos.Y >= client.Height()) return Existing ? -1 : Count();
  const int index = topIndex_ + Pos.Y / RowHeight();
  if (index >= Count()) return Existing ? -1 : Count();
  return index;
}

TRect TCustomListBox::ItemRect(int Index) const {
  const int h = RowHeight();
  const int top = (Index - topIndex_) * h;
  return Rect(0, top, ClientWidth(), top + h);
}

int TCustomListBox::FindString(int Start, const String& Text) const {
  const int n = Count();
  if (n == 0) return -1;
  if (IsVirtual()) {
    // A virtual list only knows its texts through its handler.
    if (!OnDataFind) return -1;
    int found = OnDataFind(const_cast<TCustomListBox*>(this), Text);
    return found >= 0 && found < n ? found : -1;
  }
  const int first = Start < 0 || Start >= n ? 0 : Start + 1;
  for (int k = 0; k < n; ++k) {
    int i = (first + k) % n;
    if (rtl::StartsText(Text, items_->Get(i))) return i;
  }
  return -1;
}

int TCustomListBox::SelectString(int Start, const String& Text) {
  int found = FindString(Start, Text);
  if (found >= 0) SetItemIndex(found);
  return found;
}

void TCustomListBox::Clear() {
  if (IsVirtual())
    SetCount(0);
  else
    items_->Clear();
}

void TCustomListBox::ItemsChanged() {
  if (itemIndex_ >= Count()) itemIndex_ = -1;
  topIndex_ = std::clamp(topIndex_, 0, MaxTopIndex());
  UpdateScrollRange();
  Invalidate();
}

void TCustomListBox::MakeVisible(int Index) {
  if (Index < 0) return;
  const int rows = VisibleRowCount();
  if (Index < topIndex_)
    SetTopIndex(Index);
  else if (Index >= topIndex_ + rows)
    SetTopIndex(Index - rows + 1);
}

void TCustomListBox::UpdateScrollRange() {
  TScrollInfo si;
  si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  si.nMin = 0;
  si.nMax = std::max(0, Count() - 1);
  si.nPage = static_cast<unsigned>(VisibleRowCount());
  si.nPos = topIndex_;
  SetScrollInfo(SB_VERT, si, true);
}

void TCustomListBox::SizeChanged(int OldWidth, int OldHeight) {
  TCustomControl::SizeChanged(OldWidth, OldHeight);
  topIndex_ = std::clamp(topIndex_, 0, MaxTopIndex());
  UpdateScrollRange();
}

void TCustomListBox::FontChanged() {
  TCustomControl::FontChanged();
  ItemsChanged();
}

void TCustomListBox::ScrollCode(int Code) {
  TScrollInfo si;
  si.fMask = SIF_ALL;
  GetScrollInfo(SB_VERT, si);
  const int page = VisibleRowCount();
  switch (Code) {
    case SB_LINEUP: SetTopIndex(topIndex_ - 1); break;
    case SB_LINEDOWN: SetTopIndex(topIndex_ + 1); break;
    case SB_PAGEUP: SetTopIndex(topIndex_ - page); break;
    case SB_PAGEDOWN: SetTopIndex(topIndex_ + page); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: SetTopIndex(si.nTrackPos); break;
    case SB_TOP: SetTopIndex(0); break;
    case SB_BOTTOM: SetTopIndex(MaxTopIndex()); break;
    default: break;
  }
}

void TCustomListBox::SelectByUser(int Index) {
  if (Index < 0 || Index >= Count()) return;
  const bool changed = Index != itemIndex_;
  SetItemIndex(Index);
  MakeVisible(Index);
  if (changed) Click();
}

void TCustomListBox::DoKeyDown(std::uint16_t& Key, TShiftState Shift) {
  TCustomControl::DoKeyDown(Key, Shift);
  if (Key == 0 || Count() == 0) return;
  const int last = Count() - 1;
  const int page = VisibleRowCount();
  const int cur = itemIndex_;
  int target = -2;
  switch (Key) {
    case VK_UP: target = cur < 0 ? 0 : std::max(0, cur - 1); break;
    case VK_DOWN: target = cur < 0 ? 0 : std::min(last, cur + 1); break;
    case VK_PRIOR: target = std::max(0, (cur < 0 ? 0 : cur) - page + 1); break;
    case VK_NEXT: target = std::min(last, (cur < 0 ? 0 : cur) + page - 1); break;
    case VK_HOME: target = 0; break;
    case VK_END: target = last; break;
    default: return;
  }
  Key = 0;
  SelectByUser(target);
}

void TCustomListBox::DoKeyPress(char16_t& Key) {
  TCustomControl::DoKeyPress(Key);
  if (Key < 32 || !autoComplete_) return;
  // Typing a character jumps to the next item that starts with it.
  const int found = FindString(itemIndex_, String(1, Key));
  if (found >= 0) SelectByUser(found);
}

void TCustomListBox::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft) {
    if (CanFocus() && !Focused()) SetFocus();
    dragging_ = true;
    SelectByUser(ItemAtPos(Point(X, Y), true));
  }
  TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TCustomListBox::MouseMove(TShiftState Shift, int X, int Y) {
  // Dragging with the button held moves the selection along.
  // Above or below the list it scrolls one row at a time.
  if (dragging_ && Count() > 0) {
    const int rows = VisibleRowCount();
    const int index = topIndex_ + (Y < 0 ? -1 : std::min(Y / RowHeight(), rows));
    SelectByUser(std::clamp(index, 0, Count() - 1));
  }
  TCustomControl::MouseMove(Shift, X, Y);
}

void TCustomListBox::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft) dragging_ = false;
  TCustomControl::MouseUp(Button, Shift, X, Y);
}

void TCustomListBox::Paint() {
  TCanvas* c = Canvas();
  const int h = RowHeight();
  const TRect client = ClientRect();
  int y = 0;
  for (int i = topIndex_; i < Count() && y < client.Height(); ++i, y += h) {
    TOwnerDrawState state;
    if (i == itemIndex_) state = state + odSelected;
    if (!Enabled()) state = state + odDisabled;
    if (i == itemIndex_ && (focusLook_ || Focused())) state = state + odFocused;
    const TRect r = Rect(0, y, client.Width(), y + h);
    c->SetFont(Font());
    c->Brush()->SetColor(Color());
    c->Brush()->SetStyle(bsSolid);
    if (state.Contains(odSelected)) {
      c->Brush()->SetColor(clHighlight);
      c->Font()->SetColor(clHighlightText);
    }
    auto alive = alive_;
    DrawItem(i, r, state);
    if (!*alive) return;
    if (state.Contains(odFocused) && !state.Contains(odNoFocusRect)) c->DrawFocusRect(r);
  }
  if (y < client.Height()) {
    c->Brush()->SetColor(Color());
    c->Brush()->SetStyle(bsSolid);
    c->FillRect(Rect(0, y, client.Width(), client.Height()));
  }
}

void TCustomListBox::DrawItem(int Index, const TRect& Rect, TOwnerDrawState State) {
  if (OwnerDraw() && OnDrawItem)
    OnDrawItem(this, Index, Rect, State);
  else
    DefaultDrawItem(Index, Rect, State);
}

void TCustomListBox::DefaultDrawItem(int Index, const TRect& Rect, TOwnerDrawState) {
  TCanvas* c = Canvas();
  c->FillRect(Rect);
  if (Index >= 0 && Index < Count()) c->TextRect(Rect, Rect.Left + 2, Rect.Top, ItemText(Index));
}

void TCustomListBox::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_GETDLGCODE:
      Message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
      return;
    case WM_VSCROLL:
      ScrollCode(LoWord(Message.WParam));
      return;
    case WM_CANCELMODE:
      dragging_ = false;
      TCustomControl::Dispatch(Message);
      return;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      TCustomControl::Dispatch(Message);
      focusLook_ = Message.Msg == WM_SETFOCUS;
      Invalidate();
      return;
    case LB_GETCOUNT: Message.Result = Count(); return;
    case LB_SETCOUNT:
      if (!IsVirtual()) {
        Message.Result = LB_ERR;
        return;
      }
      SetCount(static_cast<int>(Message.WParam));
      Message.Result = 0;
      return;
    case LB_GETCURSEL: Message.Result = itemIndex_; return;
    case LB_SETCURSEL: {
      const int index = static_cast<int>(Message.WParam);
      SetItemIndex(index);
      Message.Result = index >= 0 && index < Count() ? index : LB_ERR;
      return;
    }
    case LB_GETTOPINDEX: Message.Result = topIndex_; return;
    case LB_SETTOPINDEX: {
      const int index = static_cast<int>(Message.WParam);
      if (index < 0 || index >= std::max(1, Count())) {
        Message.Result = LB_ERR;
        return;
      }
      SetTopIndex(index);
      Message.Result = 0;
      return;
    }
    case LB_GETITEMHEIGHT: Message.Result = RowHeight(); return;
    case LB_SETITEMHEIGHT: SetItemHeight(static_cast<int>(LoWord(Message.LParam))); Message.Result = 0; return;
    case LB_GETITEMRECT: {
      const int index = static_cast<int>(Message.WParam);
      if (index < 0 || index >= Count() || Message.LParam == 0) {
        Message.Result = LB_ERR;
        return;
      }
      *reinterpret_cast<TRect*>(Message.LParam) = ItemRect(index);
      Message.Result = 1;
      return;
    }
    case LB_ITEMFROMPOINT: {
      const TPoint p{static_cast<std::int16_t>(LoWord(Message.LParam)), static_cast<std::int16_t>(HiWord(Message.LParam))};
      const int index = ItemAtPos(p, true);
      // High word set: the point is outside the items.
      Message.Result = index >= 0 ? index : (0x10000 | std::max(0, Count() - 1));
      return;
    }
    case LB_SELECTSTRING:
    case LB_FINDSTRING: {
      // A start of -1 (0xFFFF in 16-bit callers) searches from the top.
      int start = static_cast<int>(Message.WParam);
      if (start == 0xFFFF) start = -1;
      const String text = Message.LParam ? String(reinterpret_cast<const char16_t*>(Message.LParam)) : String();
      const int found = Message.Msg == LB_SELECTSTRING ? SelectString(start, text) : FindString(start, text);
      Message.Result = found >= 0 ? found : LB_ERR;
      return;
    }
    default:
      TCustomControl::Dispatch(Message);
  }
}

void TCustomListBox::DefaultHandler(TMessage& Message) {
  if (Message.Msg == WM_MOUSEWHEEL) {
    // Nobody took the wheel: the list scrolls its rows, and the turn stops here.
    wheelRest_ += static_cast<std::int16_t>(HiWord(Message.WParam));
    const int notches = wheelRest_ / WHEEL_DELTA;
    wheelRest_ -= notches * WHEEL_DELTA;
    SetTopIndex(topIndex_ - notches * kWheelScrollLines);
    Message.Result = 0;
    return;
  }
  TCustomControl::DefaultHandler(Message);
}

}  // namespace ui
