#include "grid/foundation/inplace_edit.h"

#include "grid/foundation/custom_grid_ex.h"
#include "platform/runtime/ticks.h"
#include "platform/ui/tool_window.h"

namespace grid {

using namespace ui;

const TClassInfo& TInplaceEdit::StaticClassInfo() {
  static const TClassInfo info =
      TClassBuilder<TInplaceEdit>("TInplaceEdit", &TCustomMaskEdit::StaticClassInfo()).Build();
  return info;
}

TInplaceEdit::TInplaceEdit(TComponent* AOwner) : TCustomMaskEdit(AOwner) {
  SetTabStop(false);
  SetBorderStyle(bsNone);
  SetVisible(false);
}

TInplaceEdit::~TInplaceEdit() { BeginDestroy(); }

void TInplaceEdit::SetMaxLength(int Value) {
  FMaxLength = Value;
  TCustomMaskEdit::SetMaxLength(Value > 0 ? Value : 0);
}

bool TInplaceEdit::WidgetShouldBeVisible() const { return FShown && Parent() != nullptr; }

bool TInplaceEdit::Visible() const { return FShown && HandleAllocated(); }

void TInplaceEdit::PlaceEditorWindow(const TRect& R, bool Redraw) {
  if (R.IsEmpty()) {
    Hide();
    return;
  }
  HandleNeeded();
  if (!FShown) Redraw = true;
  Invalidate();
  SetBounds(R.Left, R.Top, R.Width(), R.Height());
  FShown = true;
  SetVisible(true);
  BringToFront();
  ApplyTextMargins();
  if (Redraw) Invalidate();
  if (FGrid && FGrid->Focused()) TWinControl::SetFocus();
}

void TInplaceEdit::ApplyTextMargins() {
  // The text keeps two pixels off the cell's edges, as the cell text does.
  if (MultiLine())
    SetFormattingRect(Rect(2, 2, Width() - 2, Height()));
  else
    SetMargins(2, 2);
  Perform(EM_SCROLLCARET);
}

void TInplaceEdit::Hide() {
  if (!FShown || !HandleAllocated()) {
    FShown = false;
    return;
  }
  Invalidate();
  const bool hadFocus = Focused();
  FShown = false;
  SetVisible(false);
  if (hadFocus && FGrid) FGrid->SetFocus();
}

void TInplaceEdit::Invalidate() {
  TCustomMaskEdit::Invalidate();
  // The grid repaints the cell under the editor.
  if (FGrid && FGrid->HandleAllocated()) FGrid->InvalidateRect(BoundsRect());
}

bool TInplaceEdit::PosEqual(const TRect& R) const { return BoundsRect() == R; }

void TInplaceEdit::SetFocus() {
  if (Visible()) TWinControl::SetFocus();
}

void TInplaceEdit::Deselect() { Perform(EM_SETSEL, 0x7FFFFFFF, static_cast<LPARAM>(-1)); }

void TInplaceEdit::LoadFromGrid() {
  SetText(String());
  if (!FGrid) return;
  const TGridCoord c = FGrid->Current();
  String mask, text;
  FGrid->EditorMaskFor(c.X, c.Y, mask);
  SetEditMask(mask);
  FGrid->EditorTextFor(c.X, c.Y, text);
  SetText(text);
  SetMaxLength(FGrid->EditorMaxLength());
}

bool TInplaceEdit::CanModifyText() { return FGrid && FGrid->EditorCanModify(); }

void TInplaceEdit::GridKeyHandler(std::uint16_t& Key, TShiftState Shift) {
  if (FGrid && FGrid->OnKeyDown) FGrid->OnKeyDown(FGrid, Key, Shift);
}

void TInplaceEdit::SendToGrid(std::uint16_t& Key, TShiftState Shift) {
  if (FGrid) FGrid->DoKeyDown(Key, Shift);
  Key = 0;
}

void TInplaceEdit::DoKeyDown(std::uint16_t& Key, TShiftState Shift) {
  const bool always = FGrid && FGrid->Options().Contains(goAlwaysShowEditor);
  const bool ctrl = Shift.Contains(ssCtrl);
  const bool noShift = !Shift.Contains(ssShift) && !ctrl && !Shift.Contains(ssAlt);
  const int len = static_cast<int>(EditText().size());
  std::uint32_t s = 0, e = 0;
  Perform(EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
  const int selStart = static_cast<int>(s), selEnd = static_cast<int>(e);
  // The caret stands at the selection's end (after a select-all, at the text's end).
  const int caret = selEnd;
  switch (Key) {
    case VK_TAB:
      if (Shift.Contains(ssAlt)) break;
      [[fallthrough]];
    case VK_ESCAPE:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_UP:
    case VK_DOWN:
      SendToGrid(Key, Shift);
      return;
    case VK_END:
    case VK_RIGHT:
      if (always && (ctrl || (caret == len && (selStart == selEnd || selStart == 0) && selEnd == len))) {
        SendToGrid(Key, Shift);
        return;
      }
      break;
    case VK_HOME:
    case VK_LEFT:
      if (always && (ctrl || (caret == 0 && selStart == 0 && (selEnd == 0 || selEnd == len)))) {
        SendToGrid(Key, Shift);
        return;
      }
      break;
    case VK_INSERT:
      if (noShift) {
        SendToGrid(Key, Shift);
        return;
      }
      if (Shift == TShiftState{ssShift} && !CanModifyText()) Key = 0;
      break;
    case VK_DELETE:
      if (ctrl) {
        SendToGrid(Key, Shift);
        return;
      }
      if (!CanModifyText()) Key = 0;
      break;
    case VK_BACK:
      // A masked edit erases on the key itself, before any character.
      if (IsMasked() && !CanModifyText()) Key = 0;
      break;
    case VK_F2:
      GridKeyHandler(Key, Shift);
      if (Key == VK_F2) {
        Deselect();
        Key = 0;
      }
      return;
    default:
      break;
  }
  if (Key == 0) return;
  GridKeyHandler(Key, Shift);
  if (Key != 0) TCustomMaskEdit::DoKeyDown(Key, Shift);
}

void TInplaceEdit::DoKeyUp(std::uint16_t& Key, TShiftState Shift) {
  if (FGrid) FGrid->DoKeyUp(Key, Shift);
}

void TInplaceEdit::DoKeyPress(char16_t& Key) {
  if (FGrid) FGrid->DoKeyPress(Key);
  if (Key >= 32 && FGrid && !FGrid->EditorAcceptsKey(Key)) {
    Key = 0;
    MessageBeep(0);
  }
  switch (Key) {
    case 0:
      return;
    case u'\t':
    case 0x1B:
      Key = 0;
      return;
    case u'\r': {
      const int len = static_cast<int>(EditText().size());
      if (SelStart() == 0 && SelLength() == len)
        Deselect();
      else
        SelectAll();
      Key = 0;
      return;
    }
    case 0x08:  // Backspace
    case 0x16:  // Ctrl+V
    case 0x18:  // Ctrl+X
      if (!CanModifyText()) Key = 0;
      break;
    default:
      if (Key >= 32 && !CanModifyText()) Key = 0;
      break;
  }
  if (Key != 0) TCustomMaskEdit::DoKeyPress(Key);
}

void TInplaceEdit::DblClick() {
  if (FGrid) FGrid->DblClick();
}

bool TInplaceEdit::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) {
  return FGrid ? FGrid->DoMouseWheel(Shift, WheelDelta, MousePos) : false;
}

void TInplaceEdit::WndProc(TMessage& M) {
  switch (M.Msg) {
    case WM_LBUTTONDOWN:
      // A press soon after the one on the grid that opened the editor is
      // the second half of a double click.
      if (static_cast<std::uint32_t>(rtl::GetTickCount() - FClickTime) < DoubleClickTime()) M.Msg = WM_LBUTTONDBLCLK;
      FClickTime = 0;
      break;
    default:
      break;
  }
  TCustomMaskEdit::WndProc(M);
}

void TInplaceEdit::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case WM_PASTE:
    case WM_CUT:
    case WM_CLEAR:
      if (CanModifyText()) TCustomMaskEdit::Dispatch(M);
      return;
    case WM_GETDLGCODE:
      TCustomMaskEdit::Dispatch(M);
      if (FGrid && FGrid->Options().Contains(goTabs)) M.Result |= DLGC_WANTTAB;
      return;
    case CM_WANTSPECIALKEY:
      // Enter belongs to the editing grid (it leaves editor mode), not to
      // the form's default button.
      TCustomMaskEdit::Dispatch(M);
      if (static_cast<std::uint16_t>(M.WParam) == VK_RETURN) M.Result = 1;
      return;
    case CM_SHOWINGCHANGED:
      return;
    case WM_KILLFOCUS: {
      auto alive = alive_;
      TCustomMaskEdit::Dispatch(M);
      if (!*alive || !FGrid) return;
      if (FGrid->Focused())
        FGrid->FFocusFromEditor = true;
      else
        FGrid->DoExit();  // the focus left the grid through its editor
      return;
    }
    default:
      TCustomMaskEdit::Dispatch(M);
  }
}

}  // namespace grid
