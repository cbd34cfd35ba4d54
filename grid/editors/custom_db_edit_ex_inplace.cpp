// TCustomDBEditEx shown by a holder over a rectangle of its own, and its
// drop-down of recently entered texts.
#include "grid/editors/custom_db_edit_ex.h"
#include "platform/runtime/exceptions.h"
#include "platform/ui/forms.h"
#include "grid/foundation/grid_platform_shims.h"
#include "platform/ui/keys.h"
#include "platform/runtime/ticks.h"
#include "grid/editor_support/tool_routines.h"

namespace grid {

using namespace ui;

// --- in-place mode ------------------------------------------------------------------------

void TCustomDBEditEx::SetInplaceEditHolder(TWinControl* AHolder) {
  if (AHolder == inplaceEditHolder_) return;
  IInplaceEditHolderEx* intf = nullptr;
  if (AHolder) {
    intf = dynamic_cast<IInplaceEditHolderEx*>(AHolder);
    if (!intf) throw rtl::Exception(u"InplaceEditHolder have to support IInplaceEditHolderEx interface");
  }
  if (inplaceEditHolder_) inplaceEditHolder_->RemoveFreeNotification(this);
  // A holder freed first (one on another form) must not be left behind.
  if (AHolder) AHolder->FreeNotification(this);
  inplaceEditHolder_ = AHolder;
  intfInplaceEditHolder_ = intf;
  inplaceMode_ = AHolder != nullptr;
  // Entering the mode, the holder decides when the window shows.
  inplaceShown_ = inplaceMode_ && HandleAllocated() && TControl::Visible() && Showing();
  UpdateEditReadOnly();
}

bool TCustomDBEditEx::WidgetShouldBeVisible() const {
  if (inplaceMode_) return inplaceShown_ && Parent() != nullptr;
  return TCustomMaskEdit::WidgetShouldBeVisible();
}

void TCustomDBEditEx::VisibleChanged() {
  // In-place, the holder shows and hides the window by placing it.
  if (inplaceMode_) return;
  TCustomMaskEdit::VisibleChanged();
}

bool TCustomDBEditEx::Visible() const {
  if (!inplaceMode_) return TControl::Visible();
  return HandleAllocated() && inplaceShown_;
}

void TCustomDBEditEx::SetVisible(bool Value) {
  if (inplaceMode_ && !Value) {
    Hide();
    return;
  }
  TCustomMaskEdit::SetVisible(Value);
}

void TCustomDBEditEx::Hide() {
  if (!inplaceMode_) {
    TCustomMaskEdit::SetVisible(false);
    return;
  }
  if (!HandleAllocated() || !inplaceShown_) return;
  Invalidate();
  const bool hadFocus = Focused();
  inplaceShown_ = false;
  TCustomMaskEdit::VisibleChanged();
  if (hadFocus && inplaceEditHolder_ && inplaceEditHolder_->CanFocus()) inplaceEditHolder_->SetFocus();
}

void TCustomDBEditEx::InplaceMove(const TRect& R, bool Redraw) {
  if (R.Width() <= 0 || R.Height() <= 0) {
    Hide();
    return;
  }
  HandleNeeded();
  if (Redraw || !inplaceShown_) Invalidate();
  Perform(CM_CANCELMODE, 0, reinterpret_cast<LPARAM>(inplaceEditHolder_));
  SetBounds(R.Left, R.Top, R.Width(), R.Height());
  if (!inplaceShown_) {
    inplaceShown_ = true;
    TCustomMaskEdit::VisibleChanged();
  }
  if (inplaceEditHolder_ && inplaceEditHolder_->Focused()) SetFocus();
}

void TCustomDBEditEx::Move(const TRect& Loc) {
  if (inplaceMode_)
    InplaceMove(Loc, true);
  else
    SetBoundsRect(Loc);
}

void TCustomDBEditEx::UpdateLoc(const TRect& Loc) {
  if (inplaceMode_)
    InplaceMove(Loc, false);
  else
    SetBoundsRect(Loc);
}

void TCustomDBEditEx::SetFocus() {
  if (inplaceMode_ && !Visible()) return;
  TCustomMaskEdit::SetFocus();
}

void TCustomDBEditEx::Deselect() { SetSelStart(static_cast<int>(EditText().size())); }

bool TCustomDBEditEx::TellFormOfFocus(TCustomForm* Form) {
  // In-place, the form was told of the holder before the focus message went on.
  return inplaceMode_ || TCustomMaskEdit::TellFormOfFocus(Form);
}

bool TCustomDBEditEx::InplaceWindowMessage(TMessage& Message) {
  if (!inplaceMode_ || !intfInplaceEditHolder_) return false;
  auto alive = alive_;
  intfInplaceEditHolder_->InplaceEditWndProc(this, Message);
  if (!*alive || Message.Result != 0) return true;
  switch (Message.Msg) {
    case WM_LBUTTONDOWN: {
      // A double click that began on the holder's cell lands in the editor.
      TPoint pos;
      std::uint32_t time = 0;
      if (intfInplaceEditHolder_->GetMouseDownInfo(pos, time) && time != 0) {
        const TPoint here = ClientToScreen(Point(XPos(Message.LParam), YPos(Message.LParam)));
        if (IsDoubleClickPair(pos, here, rtl::GetTickCount() - time)) Message.Msg = WM_LBUTTONDBLCLK;
      }
      break;
    }
    case WM_SETFOCUS:
      // The form keeps the holder as its focused control, so its tab order
      // and active control go on from the holder, not from the editor in it.
      if (TCustomForm* form = GetParentForm(this); form && !form->SetFocusedControl(inplaceEditHolder_)) return true;
      TCustomMaskEdit::Dispatch(Message);
      return true;
    case WM_GETDLGCODE:
      TCustomMaskEdit::Dispatch(Message);
      if (inplaceEditHolder_ && (inplaceEditHolder_->Perform(WM_GETDLGCODE) & DLGC_WANTTAB))
        Message.Result |= DLGC_WANTTAB;
      return true;
    case CM_SHOWINGCHANGED:
      return true;
    default:
      break;
  }
  return false;
}

// --- the list of recent texts ------------------------------------------------------------------

String TCustomDBEditEx::EmptyText() const {
  if (!IsMasked()) return String();
  return rtl::TEditMask(EditMask()).Apply(String());
}

TMRUListboxEx* TCustomDBEditEx::CreateMRUListControl() {
  auto* list = new TMRUListboxEx(this);
  list->SetVisible(false);
  list->SetCtl3D(false);
  list->SetSorted(true);
  list->SetParent(this);
  return list;
}

TMRUListboxEx* TCustomDBEditEx::MRUListControl() {
  if (!mruListControl_) {
    mruListControl_ = CreateMRUListControl();
    mruListControl_->OnMouseUp = [this](TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y) {
      MRUListControlMouseUp(Sender, Button, Shift, X, Y);
    };
  }
  return mruListControl_;
}

void TCustomDBEditEx::FilterMRUItem(const String& AText, bool& Accept) {
  const String typed = Text();
  const String head = AText.substr(0, typed.size());
  Accept = (mruList_->CaseSensitive() ? CompareStrLocale(head, typed) : CompareTextLocale(head, typed)) == 0;
  const TFilterMRUItemEventEx& handler = userFilter_ ? *userFilter_ : mruList_->OnFilterItem;
  if (handler) handler(this, Accept);
}

void TCustomDBEditEx::UserTextChanged() {
  const String text = EditText();
  if (MRUListVisible() && text == EmptyText()) {
    mruList_->CloseUp(false);
    return;
  }
  if (mruList_->Active() && Showing() && !droppedDown_ && text != EmptyText() && focused_) mruList_->DropDown();
}

void TCustomDBEditEx::MRUListDropDown(TObject*) {
  TMRUListboxEx* list = MRUListControl();
  // The settings object walks its items (and gives way to waiting keys);
  // each decision is the editor's own rule, which descendants may change.
  ui::TStringList filtered;
  const TFilterMRUItemEventEx userFilter = mruList_->OnFilterItem;
  int index = 0;
  bool complete = true;
  userFilter_ = &userFilter;
  mruList_->OnFilterItem = [&](TObject*, bool& Accept) { FilterMRUItem(mruList_->Items()->Get(index++), Accept); };
  try {
    complete = mruList_->FilterItemsTo(&filtered, Text());
  } catch (...) {
    mruList_->OnFilterItem = userFilter;
    userFilter_ = nullptr;
    throw;
  }
  mruList_->OnFilterItem = userFilter;
  userFilter_ = nullptr;
  if (!complete) {
    mruList_->CloseUp(false);
    return;
  }
  list->Items()->Assign(&filtered);

  const int rows = std::min(list->Items()->Count(), std::max(1, mruList_->Rows()));
  if (mruList_->DroppedDown()) {
    if (list->Items()->Count() == 0) {
      mruList_->CloseUp(false);
      return;
    }
    list->PlaceUnder(this, rows);
    return;
  }
  if (list->Items()->Count() == 0) return;
  list->SetColor(Color());
  list->SetFont(Font());
  list->SetItemHeight(std::max(1, list->GetTextHeight()));
  list->SetItemIndex(-1);
  list->SetRowCount(rows);
  const TRect text = TextArea();
  list->SetBounds(list->Left(), list->Top(), text.Width(), list->Height());
  const TPoint topLeft = ClientToScreen(Point(text.Left, 0)), bottomRight = ClientToScreen(Point(text.Right, Height()));
  const TRect screen = Rect(topLeft.X, topLeft.Y, bottomRight.X, bottomRight.Y);
  const TPoint at = CalcDropDownPosition(screen, list, daLeft);
  list->SetBounds(at.X, at.Y, list->Width(), list->Height());
  list->SetVisible(true);
  list->SizeGrip()->SetGripVisible(true);
  list->SizeGrip()->OnParentResized = [this](TObject* Sender) { MRUListControlResized(Sender); };
  list->UpdateScrollBar();
  mruList_->SetDroppedDown(true);
}

void TCustomDBEditEx::MRUListCloseUp(TObject*, bool Accept) {
  if (!MRUListVisible()) return;
  if (TControl* c = GetCaptureControl()) c->Perform(CM_CANCELMODE, 0, reinterpret_cast<LPARAM>(this));
  TMRUListboxEx* list = mruListControl_;
  const bool listHadFocus = list->Focused();
  list->SetVisible(false);
  if (listHadFocus && CanFocus()) SetFocus();
  mruList_->SetDroppedDown(false);
  if (Accept && !readOnly_ && dataLink_->Edit()) {
    const int i = list->ItemIndex();
    if (i >= 0 && i < list->Items()->Count()) PutText(list->Items()->Get(i));
    if (Focused()) SelectAll();
  }
}

void TCustomDBEditEx::MRUListControlMouseUp(TObject*, TMouseButton Button, TShiftState, int X, int Y) {
  if (Button != mbLeft || !mruListControl_) return;
  mruList_->CloseUp(mruListControl_->ClientRect().Contains(Point(X, Y)));
}

void TCustomDBEditEx::MRUListControlResized(TObject*) {
  if (!MRUListVisible()) return;
  mruList_->SetRows(mruListControl_->RowCount());
  mruList_->SetWidth(mruListControl_->Width());
}

bool TCustomDBEditEx::MRUWindowMessage(TMessage& Message) {
  if (!MRUListVisible()) {
    if (Message.Msg == WM_CHAR && swallowChar_ && Message.WParam == swallowChar_) {
      swallowChar_ = 0;
      return true;
    }
    return false;
  }
  TMRUListboxEx* list = mruListControl_;
  switch (Message.Msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
      // Only key-down messages move the list: a typed character shares its
      // code with a navigation key ('(' is Down) and belongs in the text.
      const auto key = static_cast<std::uint16_t>(Message.WParam);
      const TShiftState shift = CurrentShiftState();
      const bool ctrl = shift.Contains(ssCtrl), alt = shift.Contains(ssAlt);
      if (((key == VK_PRIOR || key == VK_NEXT || key == VK_UP || key == VK_DOWN) && !alt) ||
          ((key == VK_HOME || key == VK_END) && ctrl)) {
        list->Perform(WM_KEYDOWN, Message.WParam, Message.LParam);
        Message.Result = 1;
        return true;
      }
      if (key == VK_RETURN || key == VK_ESCAPE) {
        swallowChar_ = key == VK_RETURN ? 13 : 27;
        mruList_->CloseUp(key == VK_RETURN);
        Message.Result = 1;
        return true;
      }
      return false;
    }
    case WM_CHAR:
      if (Message.WParam == 13 || Message.WParam == 27) {
        mruList_->CloseUp(Message.WParam == 13);
        Message.Result = 1;
        return true;
      }
      return false;
    case CM_WANTSPECIALKEY:
      if ((Message.WParam == VK_RETURN || Message.WParam == VK_ESCAPE) && list->ItemIndex() >= 0) {
        Message.Result = 1;
        return true;
      }
      return false;
    case WM_MOUSEWHEEL:
      list->Perform(Message.Msg, Message.WParam, Message.LParam);
      if (list->Visible()) {
        Message.Result = 1;
        return true;
      }
      return false;
    case WM_KILLFOCUS:
      if (reinterpret_cast<TWinControl*>(Message.WParam) != list) mruList_->CloseUp(false);
      return false;
    case CM_CANCELMODE:
      if (CancelModeFromOutside(Message, list)) mruList_->CloseUp(false);
      return false;
    default:
      return false;
  }
}

bool TCustomDBEditEx::CancelModeFromOutside(const TMessage& Message, const TWinControl* DropDownWindow) const {
  auto inside = [](const TControl* c, const TWinControl* w) {
    for (; c; c = c->Parent())
      if (c == w) return true;
    return false;
  };
  auto* sender = reinterpret_cast<const TControl*>(Message.LParam);
  return !inside(sender, this) && !inside(sender, DropDownWindow);
}

bool TCustomDBEditEx::IsUserTextMessage(std::uint32_t Msg) {
  switch (Msg) {
    case WM_KEYDOWN:
    case WM_CHAR:
    case WM_CUT:
    case WM_PASTE:
    case WM_CLEAR:
    case WM_UNDO:
    case EM_UNDO:
      return true;
    default:
      return false;
  }
}

}  // namespace grid
