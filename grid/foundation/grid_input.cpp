// Selection, keyboard, mouse and window messages of the base grid, and the
// scroll-bar messages. One timer serves drag selection: each tick outside
// the data extends the selection by one cell per direction.
#include <algorithm>

#include "custom_grid_ex.h"

namespace grid {

using namespace ui;

namespace {
constexpr unsigned kSelectTimerMs = 60;

TShiftState ShiftFromMouseKeys(WPARAM Keys) {
  TShiftState s;
  if (Keys & 0x0004) s.Include(ssShift);
  if (Keys & 0x0008) s.Include(ssCtrl);
  if (Keys & 0x0001) s.Include(ssLeft);
  if (Keys & 0x0002) s.Include(ssRight);
  if (Keys & 0x0010) s.Include(ssMiddle);
  return s;
}
}  // namespace

void TCustomGridEx::SetSelectionAnchor(TGridCoord Cell, bool Show) {
  if (!(FOptions.Contains(goRangeSelect) && !FOptions.Contains(goEditing))) {
    MoveToCell(Cell.X, Cell.Y, Show, Show, true);
    return;
  }
  const TGridCellRangeEx old = SelectedRect();
  FAnchor = Cell;
  if (FOptions.Contains(goRowSelect)) FAnchor.X = FColCount - 1;
  ScrollCellIntoView(Cell, true, true);
  InvalidateSelectionChange(old);
}

void TCustomGridEx::TimedAnchorStep(unsigned Flags) {
  TGridCoord a = FAnchor;
  if ((Flags & 1) && a.X > FFixedCols) --a.X;
  if ((Flags & 2) && a.X < FColCount - 1) ++a.X;
  if ((Flags & 4) && a.Y > FFixedRows) --a.Y;
  if ((Flags & 8) && a.Y < FRowCount - 1) ++a.Y;
  if (!(a == FAnchor)) SetSelectionAnchor(a, true);
}

void TCustomGridEx::SelectTimerTick() {
  if (FGridState != gsSelecting) return;
  TGridDrawMetricsEx info;
  FillDrawInfo(info);
  const TPoint p = ScreenToClient(FCursorPos ? FCursorPos() : Screen->CursorPos());
  unsigned flags = 0;
  if (p.X < info.ColAxis.FixedEnd) flags |= 1;
  if (p.X > info.ColAxis.LastWholeCellEnd) flags |= 2;
  if (p.Y < info.RowAxis.FixedEnd) flags |= 4;
  if (p.Y > info.RowAxis.LastWholeCellEnd) flags |= 8;
  if (flags) TimedAnchorStep(flags);
}

void TCustomGridEx::StartSelectTimer() {
  if (!FSelectTimer) {
    FSelectTimer = std::make_unique<TTimer>(nullptr);
    FSelectTimer->OnTimer = [this](TObject*) { SelectTimerTick(); };
  }
  FSelectTimer->SetInterval(kSelectTimerMs);
  FSelectTimer->SetEnabled(true);
}

void TCustomGridEx::StopSelectTimer() {
  if (FSelectTimer) FSelectTimer->SetEnabled(false);
}

void TCustomGridEx::AbortGridState() {
  if (FGridState == gsSelecting) StopSelectTimer();
  FGridState = gsNormal;
}

bool TCustomGridEx::CellClickAllowed(int X, int Y) { return FGridState == gsNormal && X >= 0 && Y >= 0; }

void TCustomGridEx::UpdateHotTrack(int X, int Y) {
  const TGridCoord cell = MouseCoord(X, Y);
  if (cell.X >= 0 && IsHotTrackCell(cell.X, cell.Y)) {
    if (!(cell == FHotTrackCell)) {
      if (FHotTrackCell.X >= 0) RepaintCell(FHotTrackCell.X, FHotTrackCell.Y);
      FHotTrackCell = cell;
      RepaintCell(cell.X, cell.Y);
    }
  } else if (FHotTrackCell.X >= 0) {
    RepaintCell(FHotTrackCell.X, FHotTrackCell.Y);
    FHotTrackCell = {-1, -1};
  }
  if (FHotTrackCell.X >= 0) {
    const TRect r = CellBounds(FHotTrackCell.X, FHotTrackCell.Y);
    FHotTrackInCellPos = {X - r.Left, Y - r.Top};
  } else {
    FHotTrackInCellPos = {-1, -1};
  }
}

// --- keyboard ----------------------------------------------------------------------

void TCustomGridEx::DoKeyDown(std::uint16_t& Key, TShiftState Shift) {
  TCustomControl::DoKeyDown(Key, Shift);
  if (Key == 0) return;
  if (!GridAcceptsKey(Key, Shift)) Key = 0;
  if (Key == 0) return;
  TGridDrawMetricsEx info;
  FillDrawInfo(info);
  TGridCoord cur = FCurrent, tl = FTopLeft;
  const int pageW = std::max(1, info.ColAxis.LastWholeCell - FTopLeft.X);
  const int pageH = std::max(1, info.RowAxis.LastWholeCell - FTopLeft.Y);
  const int dir = RightToLeft() ? -1 : 1;
  const bool ctrl = Shift.Contains(ssCtrl);
  const bool rowSelect = FOptions.Contains(goRowSelect);
  switch (Key) {
    case VK_TAB:
      if (Shift.Contains(ssAlt) || ctrl) break;
      {
        const bool back = Shift.Contains(ssShift);
        if (back) Shift.Exclude(ssShift);
        const TGridCoord start = cur;
        do {
          if (back) {
            if (cur.X > FFixedCols) {
              --cur.X;
            } else {
              cur.X = FColCount - 1;
              cur.Y = cur.Y > FFixedRows ? cur.Y - 1 : FRowCount - 1;
            }
          } else {
            if (cur.X < FColCount - 1) {
              ++cur.X;
            } else {
              cur.X = FFixedCols;
              cur.Y = cur.Y < FRowCount - 1 ? cur.Y + 1 : FFixedRows;
            }
          }
        } while (!TabStops(cur.X) && !(cur == start));
      }
      break;
    case VK_PRIOR:
      if (ctrl) {
        cur.Y = FTopLeft.Y;
      } else {
        cur.Y -= pageH;
        tl.Y -= pageH;
      }
      break;
    case VK_NEXT:
      if (ctrl) {
        cur.Y = info.RowAxis.LastWholeCell;
      } else {
        cur.Y += pageH;
        tl.Y += pageH;
      }
      break;
    case VK_END:
      if (ctrl)
        cur = {FColCount - 1, FRowCount - 1};
      else if (rowSelect)
        cur.Y = FRowCount - 1;
      else
        cur.X = FColCount - 1;
      break;
    case VK_HOME:
      if (ctrl)
        cur = {FFixedCols, FFixedRows};
      else if (rowSelect)
        cur.Y = FFixedRows;
      else
        cur.X = FFixedCols;
      break;
    case VK_LEFT:
    case VK_RIGHT: {
      const int sign = Key == VK_LEFT ? -1 : 1;
      if (ctrl) {
        if (!rowSelect) {
          cur.X += sign * dir * pageW;
          tl.X += sign * dir * pageW;
        }
      } else if (rowSelect) {
        ScrollDataClamped(sign * HorzScrollStep(), 0);
        return;
      } else {
        cur.X += sign * dir;
      }
      break;
    }
    case VK_UP:
      if (ctrl)
        tl.Y -= 1;
      else
        cur.Y -= 1;
      break;
    case VK_DOWN:
      if (ctrl)
        tl.Y += 1;
      else
        cur.Y += 1;
      break;
    case VK_F2:
      if (!ctrl) SetEditorMode(true);
      break;
    default:
      break;
  }
  const TGridCoord mx = EndAlignedTopLeft({FColCount - 1, FRowCount - 1}, info);
  tl.X = std::clamp(tl.X, FFixedCols, std::max(FFixedCols, mx.X));
  tl.Y = std::clamp(tl.Y, FFixedRows, std::max(FFixedRows, mx.Y));
  if (!(tl == FTopLeft)) SetTopLeftCell(tl.X, tl.Y);
  cur.X = std::clamp(cur.X, FFixedCols - FrozenColCount(), FColCount - 1);
  cur.Y = std::clamp(cur.Y, FFixedRows - FrozenRowCount(), FRowCount - 1);
  if (!(cur == FCurrent)) GoToCell(cur.X, cur.Y, !Shift.Contains(ssShift));
}

void TCustomGridEx::DoKeyPress(char16_t& Key) {
  TCustomControl::DoKeyPress(Key);
  if (!FOptions.Contains(goAlwaysShowEditor) && Key == u'\r') {
    SetEditorMode(!FEditorMode);
    Key = 0;
  }
}

void TCustomGridEx::SetEditorMode(bool Value) {
  if (Value)
    EnterEditorMode();
  else
    LeaveEditorMode();
}

void TCustomGridEx::DoExit() {
  TCustomControl::DoExit();
  if (!FOptions.Contains(goAlwaysShowEditor)) LeaveEditorMode();
}

// --- mouse ---------------------------------------------------------------------------------

void TCustomGridEx::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (CanFocus() && !Focused()) {
    SetFocus();
    if (!HoldsFocus()) {
      SetMouseCapture(false);
      return;
    }
  }
  if (Button == mbLeft && Shift.Contains(ssDouble)) {
    DblClick();
  } else if (Button == mbLeft) {
    const TGridCoord cell = MouseCoord(X, Y);
    const bool selectable = cell.X >= FFixedCols - FrozenColCount() && cell.Y >= FFixedRows - FrozenRowCount() &&
                            cell.X < FColCount && cell.Y < FRowCount && cell.X >= 0 && cell.Y >= 0;
    if (!selectable) {
      // a line move may start here (sizing and moving)
    } else if (FOptions.Contains(goEditing)) {
      if (cell == FCurrent)
        SetEditorMode(true);
      else {
        MoveToCell(cell.X, cell.Y, true, true, true);
        SyncInplaceEditor();
      }
      Click();
    } else {
      FGridState = gsSelecting;
      StartSelectTimer();
      if (Shift.Contains(ssShift))
        SetSelectionAnchor(cell, true);
      else
        MoveToCell(cell.X, cell.Y, true, true, true);
    }
  }
  try {
    TCustomControl::MouseDown(Button, Shift, X, Y);
  } catch (...) {
  }
}

void TCustomGridEx::MouseMove(TShiftState Shift, int X, int Y) {
  if (FGridState == gsNormal) {
    UpdateHotTrack(X, Y);
  } else if (FGridState == gsSelecting) {
    TGridDrawMetricsEx info;
    FillDrawInfo(info);
    const TGridCoord cell = CellAtPixel(X, Y, info);
    const bool ok = cell.X >= FFixedCols - FrozenColCount() && cell.Y >= FFixedRows - FrozenRowCount() &&
                    cell.X < FColCount && cell.Y < FRowCount && cell.X <= info.ColAxis.LastWholeCell + 1 &&
                    cell.Y <= info.RowAxis.LastWholeCell + 1 && CellSelectable(cell.X, cell.Y);
    if (ok && !(cell == FAnchor)) SetSelectionAnchor(cell, true);
  }
  TCustomControl::MouseMove(Shift, X, Y);
}

void TCustomGridEx::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  try {
    if (FGridState == gsSelecting) {
      MouseMove(Shift, X, Y);
      StopSelectTimer();
      SyncInplaceEditor();
      Click();
    } else {
      SyncInplaceEditor();
    }
  } catch (...) {
    FGridState = gsNormal;
    throw;
  }
  FGridState = gsNormal;
  TCustomControl::MouseUp(Button, Shift, X, Y);
}

// --- messages ---------------------------------------------------------------------------------

void TCustomGridEx::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case WM_HSCROLL:
      ApplyScrollCode(SB_HORZ, LoWord(M.WParam), true, HiWord(M.WParam));
      return;
    case WM_VSCROLL: {
      int pos = HiWord(M.WParam);
      if (LoWord(M.WParam) == SB_THUMBPOSITION) {
        TScrollInfo si;
        si.fMask = SIF_ALL;
        if (GetScrollInfo(SB_VERT, si)) pos = si.nTrackPos;
      }
      ApplyScrollCode(SB_VERT, LoWord(M.WParam), true, pos);
      return;
    }
    case WM_GETDLGCODE:
      M.Result = DLGC_WANTARROWS;
      if (!FOptions.Contains(goRowSelect)) {
        if (FOptions.Contains(goTabs)) M.Result |= DLGC_WANTTAB;
        if (FOptions.Contains(goEditing)) M.Result |= DLGC_WANTCHARS;
      }
      return;
    case WM_SETFOCUS:
    case WM_KILLFOCUS: {
      auto alive = alive_;
      TCustomControl::Dispatch(M);
      if (!*alive) return;
      InvalidateCellRange(SelectedRect());
      if (M.Msg == WM_SETFOCUS)
        SyncInplaceEditor();
      else
        HideInplaceEditor();
      return;
    }
    case WM_CANCELMODE:
      TCustomControl::Dispatch(M);
      AbortGridState();
      return;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: {
      auto alive = alive_;
      TCustomControl::Dispatch(M);
      if (!*alive) return;
      const TGridCoord c = MouseCoord(XPos(M.LParam), YPos(M.LParam));
      FMouseDownCell = (c.X >= 0 && c.Y >= 0) ? c : TGridCoord{-1, -1};
      return;
    }
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK: {
      const int x = XPos(M.LParam), y = YPos(M.LParam);
      const bool allowed = CellClickAllowed(x, y);
      auto alive = alive_;
      TCustomControl::Dispatch(M);
      if (!*alive || !allowed) return;
      const TGridCoord c = MouseCoord(x, y);
      if (c.X < 0 || !(c == FMouseDownCell)) return;
      TMouseButton b = mbLeft;
      if (M.Msg == WM_RBUTTONUP || M.Msg == WM_RBUTTONDBLCLK) b = mbRight;
      if (M.Msg == WM_MBUTTONUP || M.Msg == WM_MBUTTONDBLCLK) b = mbMiddle;
      TShiftState s = ShiftFromMouseKeys(M.WParam);
      if (M.Msg == WM_LBUTTONDBLCLK || M.Msg == WM_RBUTTONDBLCLK || M.Msg == WM_MBUTTONDBLCLK) s.Include(ssDouble);
      const TRect r = CellBounds(c.X, c.Y);
      CellMouseClick(c, b, s, x - r.Left, y - r.Top);
      return;
    }
    default:
      TCustomControl::Dispatch(M);
  }
}

void TCustomGridEx::SizeChanged(int OldWidth, int OldHeight) {
  TCustomControl::SizeChanged(OldWidth, OldHeight);
  UpdateHorzDataSize();
  UpdateVertDataSize();
  RecalcScrollRanges();
  if (FContraColCount > 0 || FContraRowCount > 0) Invalidate();
}

void TCustomGridEx::VisibleChanged() {
  TCustomControl::VisibleChanged();
  if (Showing()) RecalcScrollRanges();
}

}  // namespace grid
