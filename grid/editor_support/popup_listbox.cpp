#include "grid/editor_support/popup_listbox.h"

#include <algorithm>

#include "platform/ui/popup_window.h"
#include "platform/runtime/ticks.h"

namespace grid {

using namespace ui;

// --- item objects --------------------------------------------------------------

bool TPopupListboxItemEx::CanFocusItem(TPopupListboxEx*, int) { return true; }

void TPopupListboxItemEx::PaintItem(TPopupListboxEx* Sender, int ItemIndex, const TRect& Rect, TOwnerDrawState State) {
  Sender->DefaultDrawItem(ItemIndex, Rect, State);
}

void TPopupListboxItemEx::HandleMouseDown(TPopupListboxEx*, int, TMouseButton, TShiftState, TPoint) {}
void TPopupListboxItemEx::HandleMouseMove(TPopupListboxEx*, int, TShiftState, TPoint) {}

void TPopupListboxItemEx::HandleMouseUp(TPopupListboxEx* Sender, int ItemIndex, bool& IsCloseListbox, TMouseButton,
                                        TShiftState, TPoint) {
  IsCloseListbox = CloseOnExecute(Sender, ItemIndex);
}

void TPopupListboxItemEx::HandleKeyPress(TPopupListboxEx*, int, bool&, TShiftState, char16_t&) {}
bool TPopupListboxItemEx::CloseOnExecute(TPopupListboxEx*, int) { return true; }
void TPopupListboxItemEx::Execute(TPopupListboxEx*, int, TPoint, TShiftState) {}

// --- the list -------------------------------------------------------------------

TPopupListboxEx::TPopupListboxEx(TComponent* AOwner) : TCustomListBox(AOwner) {
  SetControlStyle(ControlStyle() + csReplicatable);
  SetStyle(lbOwnerDrawFixed);
  SetTabStop(false);
  SetAutoComplete(false);
  SetVisible(false);
  sizeGrip_ = new TSizeGripEx(this);
  sizeGrip_->SetParent(this);
  sizeGrip_->SetTriangleWindow(true);
  OnData = [this](TWinControl*, int Index, String& Data) {
    if (extItems_ && Index >= 0 && Index < extItems_->Count()) Data = extItems_->Get(Index);
  };
  OnDataObject = [this](TWinControl*, int Index, TObject*& Object) {
    if (extItems_ && Index >= 0 && Index < extItems_->Count())
      Object = static_cast<TObject*>(extItems_->Objects(Index));
  };
}

TPopupListboxEx::~TPopupListboxEx() = default;

QWidget* TPopupListboxEx::CreateWidget(QWidget*) {
  QWidget* w = TCustomListBox::CreateWidget(nullptr);
  MakePopupWidget(w);
  return w;
}

void TPopupListboxEx::InitWidget() {
  TCustomListBox::InitWidget();
  // The selection looks focused while the editor keeps the real focus.
  TMessage m{WM_SETFOCUS, 0, 0, 0};
  TCustomListBox::Dispatch(m);
}

void TPopupListboxEx::SetCtl3D(bool Value) {
  if (Value == ctl3D_) return;
  ctl3D_ = Value;
  borderWidth_ = Value ? 2 : 0;
  SetBounds(Left(), Top(), Width(), Height());
  // The frame is the window's, so it comes with a new window.
  if (HandleAllocated()) RecreateWnd();
}

void TPopupListboxEx::SetImageList(TImageList* Value) {
  imageList_ = Value;
  Invalidate();
}

void TPopupListboxEx::SetExtItems(TStrings* Value) {
  extItems_ = Value;
  if (Value) {
    SetStyle(lbVirtualOwnerDraw);
    SetCount(Value->Count());
  } else {
    SetStyle(lbOwnerDrawFixed);
  }
  Invalidate();
}

int TPopupListboxEx::GetTextHeight() const {
  TCanvas c;
  c.SetFont(Font());
  return c.TextHeight(u"Wg");
}

int TPopupListboxEx::BorderHeight() const { return (ctl3D_ ? 0 : 2) + 2 * borderWidth_; }

int TPopupListboxEx::RowHeightOrText() const {
  int h = ItemHeight();
  return h > 0 ? h : std::max(1, GetTextHeight());
}

void TPopupListboxEx::SetRowCount(int Value) {
  SetBounds(Left(), Top(), Width(), std::max(1, Value) * RowHeightOrText() + BorderHeight());
}

void TPopupListboxEx::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  const bool busy = ComponentState().Contains(csLoading) || ComponentState().Contains(csReading) ||
                    ComponentState().Contains(csDestroying);
  if (!busy && (AWidth != Width() || AHeight != Height())) {
    const TEditorSystemMetrics& m = EditorSystemMetrics();
    AWidth = std::max(AWidth, m.VScrollWidth);
    AHeight = std::max(AHeight, m.HScrollHeight);
  }
  const int ih = RowHeightOrText();
  const int rows = std::max(1, (AHeight - BorderHeight()) / ih);
  rowCount_ = rows;
  TCustomListBox::SetBounds(ALeft, ATop, AWidth, BorderHeight() + rows * ih);
}

void TPopupListboxEx::SizeChanged(int OldWidth, int OldHeight) {
  TCustomListBox::SizeChanged(OldWidth, OldHeight);
  if (sizeGrip_) sizeGrip_->UpdatePosition();
  sizeGripResized_ = true;
}

void TPopupListboxEx::ItemsChanged() { TCustomListBox::ItemsChanged(); }

void TPopupListboxEx::InvalidateIndex(int Index) {
  if (Index < 0) return;
  InvalidateRect(ItemRect(Index));
}

TPopupListboxItemEx* TPopupListboxEx::ItemObjectAt(int Index) {
  if (!useItemObjects_ || Index < 0 || Index >= Count()) return nullptr;
  return dynamic_cast<TPopupListboxItemEx*>(ItemObject(Index));
}

void TPopupListboxEx::Paint() {
  TCanvas* c = Canvas();
  const int h = RowHeightOrText();
  const TRect client = ClientRect();
  auto alive = alive_;
  // One row: the item, then the focus frame when the row has the focus.
  auto paintRow = [&](int Index, const TRect& R, TOwnerDrawState State) {
    c->SetFont(Font());
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(Color());
    if (State.Contains(odSelected)) {
      c->Brush()->SetColor(clHighlight);
      c->Font()->SetColor(clHighlightText);
    }
    DrawItem(Index, R, State);
    if (!*alive || !State.Contains(odFocused)) return;
    TRect fr = R;
    if (imageList_) {
      if (UseRightToLeftAlignment())
        fr.Right -= imageList_->Width() + 4;
      else
        fr.Left += imageList_->Width() + 4;
    }
    c->DrawFocusRect(fr);
  };
  int y = 0;
  // The list counts as focused while its editor keeps the focus, so an
  // empty list shows the focus frame in its first row.
  if (Count() == 0) {
    paintRow(-1, Rect(0, 0, client.Width(), h), TOwnerDrawState() + odFocused);
    if (!*alive) return;
    y = h;
  }
  for (int i = TopIndex(); i < Count() && y < client.Height(); ++i, y += h) {
    TOwnerDrawState state;
    if (i == ItemIndex()) state = state + odSelected + odFocused;
    if (!Enabled()) state = state + odDisabled;
    // A separator or command that cannot take the focus shows no focus frame.
    TPopupListboxItemEx* obj = ItemObjectAt(i);
    if (obj && !obj->CanFocusItem(this, i)) state = state - odFocused;
    paintRow(i, Rect(0, y, client.Width(), y + h), state);
    if (!*alive) return;
  }
  if (y < client.Height()) {
    c->Brush()->SetColor(Color());
    c->Brush()->SetStyle(bsSolid);
    c->FillRect(Rect(0, y, client.Width(), client.Height()));
  }
}

int TPopupListboxEx::FrameWidth() const { return (ctl3D_ ? 0 : 1) + borderWidth_; }

// Without the 3D look the window has a plain line round it; with it the
// raised edge of BorderWidth.
void TPopupListboxEx::PaintBorder() {
  TWindowCanvas dc(this);
  TRect r = Rect(0, 0, Width(), Height());
  if (!ctl3D_) {
    dc.Brush()->SetColor(clWindowFrame);
    dc.FrameRect(r);
    return;
  }
  dc.DrawEdge(r, BDR_RAISEDOUTER, BF_RECT);
  r.Inflate(-1, -1);
  dc.DrawEdge(r, BDR_RAISEDINNER, BF_RECT);
}

void TPopupListboxEx::DrawItem(int Index, const TRect& Rect, TOwnerDrawState State) {
  if (Count() == 0) {
    Canvas()->FillRect(Rect);
    return;
  }
  if (TPopupListboxItemEx* obj = ItemObjectAt(Index)) {
    obj->PaintItem(this, Index, Rect, State);
    return;
  }
  TCustomListBox::DrawItem(Index, Rect, State);
}

void TPopupListboxEx::DefaultDrawItem(int Index, const TRect& R, TOwnerDrawState State) {
  if (!imageList_) {
    TCustomListBox::DefaultDrawItem(Index, R, State);
    return;
  }
  TCanvas* c = Canvas();
  const int iw = imageList_->Width();
  const bool rtl = UseRightToLeftAlignment();
  TRect imageCol = rtl ? Rect(R.Right - iw - 4, R.Top, R.Right, R.Bottom) : Rect(R.Left, R.Top, R.Left + iw + 4, R.Bottom);
  int imageIndex = Index;
  if (OnGetImageIndex) OnGetImageIndex(Owner() ? static_cast<TObject*>(Owner()) : this, Index, imageIndex);
  c->FillRect(imageCol);
  DrawImageInRect(c, imageCol, imageList_, imageIndex, State.Contains(odSelected));
  const String text = ItemText(Index);
  TRect textRect = rtl ? Rect(R.Left, R.Top, imageCol.Left, R.Bottom) : Rect(imageCol.Right, R.Top, R.Right, R.Bottom);
  const int x = rtl ? imageCol.Left - c->TextWidth(text) - 2 : R.Left + iw + 5;
  c->TextRect(textRect, x, R.Top, text);
}

void TPopupListboxEx::MouseMove(TShiftState Shift, int X, int Y) {
  TCustomListBox::MouseMove(Shift, X, Y);
  const TPoint pos = Point(X, Y);
  const int index = ItemAtPos(pos, true);
  const bool held = buttonHeld_ || Shift.Contains(ssLeft) || Shift.Contains(ssRight) || Shift.Contains(ssMiddle);
  if (pos != mousePos_ && !held) {
    if (index >= 0) SetItemIndex(index);
    if (index != mouseIndex_) {
      InvalidateIndex(mouseIndex_);
      InvalidateIndex(index);
      mouseIndex_ = index;
    }
  }
  if (TPopupListboxItemEx* obj = ItemObjectAt(index)) obj->HandleMouseMove(this, index, Shift, pos);
  mousePos_ = pos;
}

void TPopupListboxEx::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  isMouseUpCloseListbox_ = true;
  buttonHeld_ = true;
  auto alive = alive_;
  TCustomListBox::MouseDown(Button, Shift, X, Y);
  if (!*alive) return;
  const int index = ItemAtPos(Point(X, Y), true);
  if (TPopupListboxItemEx* obj = ItemObjectAt(index)) obj->HandleMouseDown(this, index, Button, Shift, Point(X, Y));
}

void TPopupListboxEx::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  isMouseUpCloseListbox_ = true;
  buttonHeld_ = false;
  const int index = ItemAtPos(Point(X, Y), true);
  auto alive = alive_;
  if (TPopupListboxItemEx* obj = ItemObjectAt(index))
    obj->HandleMouseUp(this, index, isMouseUpCloseListbox_, Button, Shift, Point(X, Y));
  if (!*alive) return;
  TCustomListBox::MouseUp(Button, Shift, X, Y);
}

bool TPopupListboxEx::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) {
  // The control's wheel events first; otherwise the list scrolls one row.
  bool handled = false;
  if (OnMouseWheel) OnMouseWheel(this, Shift, WheelDelta, MousePos, handled);
  if (!handled) {
    if (WheelDelta < 0 && OnMouseWheelDown) OnMouseWheelDown(this, Shift, MousePos, handled);
    if (WheelDelta > 0 && OnMouseWheelUp) OnMouseWheelUp(this, Shift, MousePos, handled);
  }
  if (!handled) SetTopIndex(TopIndex() + (WheelDelta < 0 ? 1 : -1));
  return true;
}

void TPopupListboxEx::DoKeyPress(char16_t& Key) {
  const int index = ItemIndex();
  if (TPopupListboxItemEx* obj = ItemObjectAt(index)) {
    bool close = false;
    obj->HandleKeyPress(this, index, close, CurrentShiftState(), Key);
  }
  TCustomListBox::DoKeyPress(Key);
  if (Key == 8 || Key == 27) {
    searchText_.clear();
    return;
  }
  if (Key > 31) {
    const std::uint32_t now = rtl::GetTickCount();
    if (now - searchTickCount_ > 2000) searchText_.clear();
    searchTickCount_ = now;
    if (searchText_.size() < 32) searchText_ += Key;
    Perform(LB_SELECTSTRING, 0xFFFF, reinterpret_cast<LPARAM>(searchText_.c_str()));
    Key = 0;
  }
}

void TPopupListboxEx::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_MOUSEACTIVATE:
      Message.Result = 3;  // never activated by a click
      return;
    case WM_SIZEGRIPCHANGEPOSITION:
      if (sizeGrip_) sizeGrip_->ChangePosition(static_cast<TSizeGripChangePosition>(Message.WParam));
      return;
    case WM_NCCALCSIZE:
      TCustomListBox::Dispatch(Message);
      reinterpret_cast<TRect*>(Message.LParam)->Inflate(-FrameWidth(), -FrameWidth());
      return;
    case WM_NCPAINT:
      TCustomListBox::Dispatch(Message);
      PaintBorder();
      return;
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
      TCustomListBox::Dispatch(Message);
      InvalidateIndex(ItemIndex());
      return;
    default:
      TCustomListBox::Dispatch(Message);
  }
}

}  // namespace grid
