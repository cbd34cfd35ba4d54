#include "grid/editor_support/mru_list.h"

#include <algorithm>

#include "grid/editor_support/tool_routines.h"
#include "platform/runtime/rtl_string.h"

namespace grid {

using namespace ui;

namespace {

TKeyInQueueProbe& KeyProbe() {
  static TKeyInQueueProbe probe;
  return probe;
}

bool SameItemText(const String& A, const String& B, bool CaseSensitive) {
  return CaseSensitive ? A == B : rtl::AnsiSameText(A, B);
}

}  // namespace

void SetKeyInQueueProbe(TKeyInQueueProbe Probe) { KeyProbe() = std::move(Probe); }

// --- settings and remembered texts ----------------------------------------------

const TClassInfo& TMRUListEx::StaticClassInfo() {
  static const TClassInfo info = TClassBuilder<TMRUListEx>("TMRUListEx", &TPersistent::StaticClassInfo())
                                     .Boolean("AutoAdd", &TMRUListEx::AutoAdd, &TMRUListEx::SetAutoAdd, 1)
                                     .Boolean("Active", &TMRUListEx::Active, &TMRUListEx::SetActive, 0)
                                     .Boolean("CaseSensitive", &TMRUListEx::CaseSensitive,
                                              &TMRUListEx::SetCaseSensitive, 0)
                                     .Object("Items", "TStrings", &TMRUListEx::Items, &TMRUListEx::SetItems)
                                     .Integer("Limit", &TMRUListEx::Limit, &TMRUListEx::SetLimit, 100)
                                     .Integer("Rows", &TMRUListEx::Rows, &TMRUListEx::SetRows, 7)
                                     .Build();
  return info;
}

TMRUListEx::TMRUListEx(TPersistent* Owner) : items_(std::make_unique<TStringList>()), owner_(Owner) {}

TMRUListEx::~TMRUListEx() = default;

void TMRUListEx::SetActive(bool Value) {
  if (Value == active_) return;
  active_ = Value;
  if (OnActiveChanged) OnActiveChanged(this);
}

void TMRUListEx::SetItems(const TStrings* Value) { items_->Assign(Value); }

void TMRUListEx::SetLimit(int Value) {
  if (Value == limit_) return;
  limit_ = Value;
  TrimToLimit();
}

void TMRUListEx::TrimToLimit() {
  // A negative limit keeps nothing, like 0 (it used to delete from an empty list).
  const int limit = std::max(0, limit_);
  while (items_->Count() > limit) items_->Delete(0);
}

void TMRUListEx::Add(const String& S) {
  if (rtl::Trim(S).empty()) return;
  for (int i = 0; i < items_->Count(); ++i)
    if (SameItemText(items_->Get(i), S, caseSensitive_)) {
      items_->Move(i, items_->Count() - 1);
      return;
    }
  items_->Add(S);
  TrimToLimit();
}

bool TMRUListEx::FilterItemsTo(TStrings* FilteredItems, const String& MaskText) {
  FilteredItems->BeginUpdate();
  bool completed = true;
  try {
    FilteredItems->Clear();
    const std::size_t n = MaskText.size();
    for (int i = 0; i < items_->Count(); ++i) {
      if (i % 100 == 0 && cancelIfKeyInQueue_ && KeyProbe() && KeyProbe()()) {
        completed = false;
        break;
      }
      const String item = items_->Get(i);
      bool accept = SameItemText(item.substr(0, n), MaskText, caseSensitive_);
      if (OnFilterItem) OnFilterItem(this, accept);
      if (accept) FilteredItems->Add(item);
    }
  } catch (...) {
    FilteredItems->EndUpdate();
    throw;
  }
  FilteredItems->EndUpdate();
  return completed;
}

void TMRUListEx::DropDown() {
  if (OnSetDropDown) OnSetDropDown(this);
}

void TMRUListEx::CloseUp(bool Accept) {
  if (OnSetCloseUp) OnSetCloseUp(this, Accept);
}

void TMRUListEx::Assign(const TPersistent* Source) {
  auto* src = dynamic_cast<const TMRUListEx*>(Source);
  if (!src) {
    TPersistent::Assign(Source);
    return;
  }
  SetActive(src->Active());
  SetItems(src->Items());
  SetLimit(src->Limit());
  SetRows(src->Rows());
  SetCaseSensitive(src->CaseSensitive());
}

// --- the scroll bar beside the grip ------------------------------------------------

TListScrollBarEx::TListScrollBarEx(TComponent* AOwner) : TCustomControl(AOwner) {
  SetControlStyle(ControlStyle() + csReplicatable + csCaptureMouse);
  SetTabStop(false);
  SetColor(clScrollBar);
}

void TListScrollBarEx::SetParams(int Position, int Min, int Max, int PageSize) {
  min_ = Min;
  max_ = std::max(Min, Max);
  pageSize_ = std::max(0, PageSize);
  position_ = std::clamp(Position, min_, std::max(min_, max_ - std::max(pageSize_ - 1, 0)));
  Invalidate();
}

TRect TListScrollBarEx::ThumbRect() const {
  const int w = Width();
  const int track = std::max(0, Height() - 2 * w);
  const int range = max_ - min_ + 1;
  if (range <= 0 || track <= 0) return Rect(0, w, w, w);
  int thumb = pageSize_ > 0 ? std::max(8, track * pageSize_ / range) : w;
  thumb = std::min(thumb, track);
  const int span = std::max(1, range - std::max(pageSize_, 1));
  const int top = w + (track - thumb) * (position_ - min_) / span;
  return Rect(0, top, w, top + thumb);
}

void TListScrollBarEx::Paint() {
  TCanvas* c = Canvas();
  const int w = Width(), h = Height();
  c->Brush()->SetColor(clBtnHighlight);
  c->FillRect(Rect(0, 0, w, h));
  TRect up = Rect(0, 0, w, std::min(w, h / 2)), down = Rect(0, std::max(h - w, h / 2), w, h);
  TRect e = up;
  c->Brush()->SetColor(clBtnFace);
  c->FillRect(e);
  c->DrawEdge(e, EDGE_RAISED, BF_RECT);
  e = down;
  c->FillRect(e);
  c->DrawEdge(e, EDGE_RAISED, BF_RECT);
  // Arrows: three rows each, centred.
  c->Brush()->SetColor(clBtnText);
  for (int i = 0; i < 3; ++i) {
    int cx = w / 2;
    int uy = up.Top + up.Height() / 2 - 1 + i;
    c->FillRect(Rect(cx - i, uy, cx + i + 1, uy + 1));
    int dy = down.Top + down.Height() / 2 + 1 - i;
    c->FillRect(Rect(cx - i, dy, cx + i + 1, dy + 1));
  }
  TRect t = ThumbRect();
  c->Brush()->SetColor(clBtnFace);
  c->FillRect(t);
  c->DrawEdge(t, EDGE_RAISED, BF_RECT);
}

void TListScrollBarEx::Notify(int Code, int Pos) {
  if (Target) Target->Perform(WM_VSCROLL, static_cast<WPARAM>(Code) | (static_cast<WPARAM>(Pos & 0xFFFF) << 16), 0);
}

void TListScrollBarEx::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TCustomControl::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft) return;
  const int w = Width(), h = Height();
  const TRect t = ThumbRect();
  if (Y < w)
    Notify(SB_LINEUP, 0);
  else if (Y >= h - w)
    Notify(SB_LINEDOWN, 0);
  else if (Y < t.Top)
    Notify(SB_PAGEUP, 0);
  else if (Y >= t.Bottom)
    Notify(SB_PAGEDOWN, 0);
  else
    dragOffset_ = Y - t.Top;
}

void TListScrollBarEx::MouseMove(TShiftState Shift, int X, int Y) {
  TCustomControl::MouseMove(Shift, X, Y);
  if (dragOffset_ < 0) return;
  const int w = Width();
  const TRect t = ThumbRect();
  const int track = std::max(1, Height() - 2 * w - t.Height());
  const int span = std::max(1, max_ - min_ + 1 - std::max(pageSize_, 1));
  const int pos = std::clamp(min_ + (Y - dragOffset_ - w) * span / track, min_, min_ + span);
  Notify(SB_THUMBTRACK, pos);
}

void TListScrollBarEx::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TCustomControl::MouseUp(Button, Shift, X, Y);
  if (dragOffset_ >= 0) Notify(SB_THUMBPOSITION, position_);
  dragOffset_ = -1;
  Notify(SB_ENDSCROLL, 0);
}

// --- the drop-down ----------------------------------------------------------------

TMRUListboxEx::TMRUListboxEx(TComponent* AOwner) : TPopupListboxEx(AOwner) {
  scrollBar_ = new TListScrollBarEx(this);
  scrollBar_->SetWidth(EditorSystemMetrics().VScrollWidth);
  scrollBar_->SetParent(this);
  scrollBar_->Target = this;
  scrollBar_->SetVisible(false);
}

TMRUListboxEx::~TMRUListboxEx() = default;

TRect TMRUListboxEx::BarRect() {
  const int cw = ClientWidth(), ch = ClientHeight();
  const int bw = scrollBar_->Width();
  TSizeGripEx* grip = SizeGrip();
  int top = 0, bottom = ch;
  if (grip && grip->Position() == sgpBottomRight)
    bottom = ch - grip->Height();
  else if (grip && grip->Position() == sgpTopRight)
    top = grip->Height();
  return Rect(cw - bw, top, cw, bottom);
}

void TMRUListboxEx::UpdateScrollBarPos() {
  if (scrollBarLockMove_) return;
  scrollBarLockMove_ = true;
  scrollBar_->SetBoundsRect(BarRect());
  scrollBarLockMove_ = false;
}

void TMRUListboxEx::UpdateScrollBar() {
  UpdateScrollBarPos();
  const int ih = std::max(1, ItemHeight() > 0 ? ItemHeight() : GetTextHeight());
  const int visible = ClientHeight() / ih;
  TSizeGripEx* grip = SizeGrip();
  const bool gripRight = grip && (grip->Position() == sgpBottomRight || grip->Position() == sgpTopRight);
  if (Count() > visible) {
    scrollBar_->SetParams(TopIndex(), 0, Count() - 1, visible);
    scrollBar_->SetVisible(true);
    if (grip) grip->SetTriangleWindow(!gripRight);
  } else {
    scrollBar_->SetVisible(false);
    if (grip) grip->SetTriangleWindow(true);
  }
}

void TMRUListboxEx::SizeChanged(int OldWidth, int OldHeight) {
  TPopupListboxEx::SizeChanged(OldWidth, OldHeight);
  if (scrollBar_) UpdateScrollBar();
}

void TMRUListboxEx::ItemsChanged() {
  TPopupListboxEx::ItemsChanged();
  if (scrollBar_) UpdateScrollBar();
}

bool TMRUListboxEx::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) {
  bool handled = TPopupListboxEx::DoMouseWheel(Shift, WheelDelta, MousePos);
  UpdateScrollBar();
  return handled;
}

void TMRUListboxEx::Dispatch(TMessage& Message) {
  TPopupListboxEx::Dispatch(Message);
  switch (Message.Msg) {
    case WM_SIZEGRIPCHANGEPOSITION:
    case WM_VSCROLL:
      UpdateScrollBar();
      break;
    default:
      break;
  }
}

void TMRUListboxEx::PlaceUnder(TControl* Edit, int Rows) {
  SetRowCount(Rows);
  const TPoint at = CalcEditDropDownPosition(Edit, this, daLeft);
  SetBounds(at.X, at.Y, Width(), Height());
  UpdateScrollBar();
}

}  // namespace grid
