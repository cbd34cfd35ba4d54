// Selection, keyboard, mouse and window messages of the base grid, and the
// scroll-bar messages. One timer serves drag selection: each tick outside
// the data extends the selection by one cell per direction.
#include <algorithm>

#include "grid/foundation/custom_grid_ex.h"
#include "grid/foundation/grid_drag_windows.h"
#include "grid/foundation/inplace_edit.h"
#include "platform/runtime/ticks.h"

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
  if (FGridState == gsRowMoving || FGridState == gsColMoving) {
    MoveTimerTick();
    return;
  }
  if (FGridState != gsSelecting) return;
  TGridDrawMetricsEx info;
  FillDrawInfo(info);
  const TPoint p = ScreenToClient(CursorScreenPos());
  // Mirrored, 1 still steps toward the fixed columns and 2 toward the last ones.
  const int x = LogicalX(p.X, info.ColAxis);
  unsigned flags = 0;
  if (x < info.ColAxis.FixedEnd) flags |= 1;
  if (x > info.ColAxis.LastWholeCellEnd) flags |= 2;
  if (p.Y < info.RowAxis.FixedEnd) flags |= 4;
  if (p.Y > info.RowAxis.LastWholeCellEnd) flags |= 8;
  if (flags) TimedAnchorStep(flags);
}

void TCustomGridEx::StartSelectTimer(unsigned Period) {
  if (!FSelectTimer) {
    FSelectTimer = std::make_unique<TTimer>(nullptr);
    FSelectTimer->OnTimer = [this](TObject*) { SelectTimerTick(); };
  }
  FMoveTimerPeriod = Period;
  FSelectTimer->SetInterval(Period);
  FSelectTimer->SetEnabled(true);
}

void TCustomGridEx::StopSelectTimer() {
  if (FSelectTimer) FSelectTimer->SetEnabled(false);
}

void TCustomGridEx::AbortGridState() {
  TGridDrawMetricsEx info;
  switch (FGridState) {
    case gsSelecting:
      StopSelectTimer();
      break;
    case gsRowSizing:
    case gsColSizing:
      FillDrawInfo(info);
      DrawSizingLine(info);
      break;
    case gsRowMoving:
      FillDrawInfo(info);
      DrawMoveFeedback(info);
      StopSelectTimer();
      break;
    case gsColMoving:
      HideMoveMarker();
      StopSelectTimer();
      break;
    default:
      break;
  }
  FGridState = gsNormal;
}

bool TCustomGridEx::CellClickAllowed(int X, int Y) { return FGridState == gsNormal && X >= 0 && Y >= 0; }

void TCustomGridEx::UpdateHotTrack(int X, int Y) {
  if (Designing()) return;
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
      if (ctrl) {
        cur = {FColCount - 1, FRowCount - 1};
        if (RightToLeft()) Invalidate();
      } else if (rowSelect)
        cur.Y = FRowCount - 1;
      else
        cur.X = FColCount - 1;
      break;
    case VK_HOME:
      if (ctrl) {
        cur = {FFixedCols, FFixedRows};
        if (RightToLeft()) Invalidate();
      } else if (rowSelect)
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
        // Toward the columns on that side of the window, as without row select.
        ScrollDataClamped(sign * dir * HorzScrollStep(), 0);
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
  // The focus moving into the editor stays inside the grid.
  if (FInplaceEdit && FInplaceEdit->Focused()) return;
  TCustomControl::DoExit();
  if (!FOptions.Contains(goAlwaysShowEditor)) LeaveEditorMode();
}

// --- mouse ---------------------------------------------------------------------------------

void TCustomGridEx::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  HideInplaceEditor();
  if (!Designing() && (CanFocus() || !GetParentForm(this))) {
    if (!HoldsFocus()) SetFocus();
    if (!HoldsFocus()) {
      SetMouseCapture(false);
      return;
    }
  }
  if (Button == mbLeft && Shift.Contains(ssDouble)) {
    DblClick();
  } else if (Button == mbLeft) {
    TGridDrawMetricsEx info;
    FillDrawInfo(info);
    TGridState sizing = gsNormal;
    int index = -1, pos = 0, ofs = 0;
    DetectSizingState(X, Y, info, sizing, index, pos, ofs);
    if (sizing != gsNormal) {
      FGridState = sizing;
      FSizingIndex = index;
      FSizingPos = pos;
      FSizingOfs = ofs;
      DrawSizingLine(info);
      return;
    }
    const TGridCoord cell = MouseCoord(X, Y);
    const bool selectable = cell.X >= FFixedCols - FrozenColCount() && cell.Y >= FFixedRows - FrozenRowCount() &&
                            cell.X < FColCount && cell.Y < FRowCount && cell.X >= 0 && cell.Y >= 0;
    if (!selectable) {
      StartSizingOrMove(X, Y, Shift);
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
    if (FGridState == gsColMoving) HideMoveMarker();
  }
}

void TCustomGridEx::MouseMove(TShiftState Shift, int X, int Y) {
  TGridDrawMetricsEx info;
  switch (FGridState) {
    case gsNormal:
      UpdateHotTrack(X, Y);
      FHitTest = {X, Y};
      Perform(WM_SETCURSOR, 0, HTCLIENT);
      break;
    case gsRowSizing:
    case gsColSizing: {
      FillDrawInfo(info);
      DrawSizingLine(info);
      FSizingPos = (FGridState == gsRowSizing ? Y : LogicalX(X, info.ColAxis)) + FSizingOfs;
      DrawSizingLine(info);
      break;
    }
    case gsSelecting:
    case gsRowMoving:
    case gsColMoving: {
      FillDrawInfo(info);
      const TGridCoord cell = CellAtPixel(X, Y, info);
      const bool inRange = cell.X >= FFixedCols - FrozenColCount() && cell.Y >= FFixedRows - FrozenRowCount() &&
                           cell.X < FColCount && cell.Y < FRowCount && cell.X <= info.ColAxis.LastWholeCell + 1 &&
                           cell.Y <= info.RowAxis.LastWholeCell + 1;
      const bool ok = Designing() || (inRange && CellSelectable(cell.X, cell.Y));
      if (!ok) break;
      if (FGridState == gsSelecting) {
        if (!(cell == FAnchor)) SetSelectionAnchor(cell, true);
      } else if (FGridState == gsColMoving) {
        TrackMovePosition(X, cell.X, {X, Y}, false, info);
      } else {
        TrackMovePosition(Y, cell.Y, {X, Y}, true, info);
      }
      break;
    }
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
    } else if (FGridState != gsNormal) {
      EndSizingOrMove(X, Y);
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
    case WM_SETFOCUS: {
      const bool fromEditor = FFocusFromEditor;
      FFocusFromEditor = false;
      auto alive = alive_;
      TCustomControl::Dispatch(M);
      if (!*alive || fromEditor) return;
      InvalidateCellRange(SelectedRect());
      SyncInplaceEditor();
      return;
    }
    case WM_KILLFOCUS: {
      auto alive = alive_;
      TCustomControl::Dispatch(M);
      if (!*alive) return;
      InvalidateCellRange(SelectedRect());
      if (!(FInplaceEdit && FInplaceEdit->Focused())) HideInplaceEditor();
      return;
    }
    case CM_WANTSPECIALKEY:
      TCustomControl::Dispatch(M);
      if (FOptions.Contains(goEditing) && static_cast<std::uint16_t>(M.WParam) == VK_RETURN) M.Result = 1;
      return;
    case WM_CHAR: {
      const auto ch = static_cast<char16_t>(M.WParam);
      if (FOptions.Contains(goEditing) && (ch == 0x08 || ch >= 32)) {
        StartEditorWithChar(ch);
        return;
      }
      TCustomControl::Dispatch(M);
      return;
    }
    case WM_COMMAND:
      if (HiWord(M.WParam) == EN_CHANGE && FInplaceEdit &&
          reinterpret_cast<TWinControl*>(M.LParam) == static_cast<TWinControl*>(FInplaceEdit)) {
        CommitEditorText();
        return;
      }
      TCustomControl::Dispatch(M);
      return;
    case WM_NCHITTEST:
      TCustomControl::Dispatch(M);
      FHitTest = ScreenToClient({XPos(M.LParam), YPos(M.LParam)});
      return;
    case WM_SETCURSOR:
      if (static_cast<LRESULT>(LoWord(M.LParam)) == HTCLIENT) {
        UpdateSizingCursor(FHitTest);
        if (FSizingCursor) {
          M.Result = 1;
          return;
        }
      }
      TCustomControl::Dispatch(M);
      return;
    case WM_CANCELMODE:
      // First: the inherited handling ends a held press as a release, which
      // would otherwise complete the drag being cancelled.
      AbortGridState();
      TCustomControl::Dispatch(M);
      return;
    case CM_CANCELMODE:
      if (FInplaceEdit) FInplaceEdit->WndProc(M);
      AbortGridState();
      TCustomControl::Dispatch(M);
      return;
    case CM_FONTCHANGED:
      if (FInplaceEdit) FInplaceEdit->SetFont(Font());
      TCustomControl::Dispatch(M);
      return;
    case CM_CTL3DCHANGED:
      TCustomControl::Dispatch(M);
      if (HandleAllocated()) RecreateWnd();
      return;
    case CM_BIDIMODECHANGED:
      // The window stays; what depends on the direction is placed again.
      TCustomControl::Dispatch(M);
      SyncScrollBarPositions();
      RepositionEditor();
      return;
    case CM_DESIGNHITTEST:
      M.Result = (IsOverSizingLine(XPos(M.LParam), YPos(M.LParam)) || FGridState != gsNormal) ? -1 : 0;
      return;
    case CM_MOUSELEAVE: {
      TCustomControl::Dispatch(M);
      const TPoint p = ScreenToClient(CursorScreenPos());
      UpdateHotTrack(p.X, p.Y);
      return;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: {
      auto alive = alive_;
      TCustomControl::Dispatch(M);
      if (!*alive) return;
      if (FInplaceEdit) FInplaceEdit->FClickTime = rtl::GetTickCount();
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
  // Mirrored, every column moves with the right edge.
  if (RightToLeft() || FContraColCount > 0 || FContraRowCount > 0) Invalidate();
}

void TCustomGridEx::VisibleChanged() {
  TCustomControl::VisibleChanged();
  if (Showing()) RecalcScrollRanges();
}

}  // namespace grid
