#include "grid/columns/lookup/popup_data_grid_ex.h"

#include <algorithm>

#include "grid/columns/lookup/lookup_internal.h"
#include "grid/editor_support/button_faces.h"
#include "grid/foundation/grid_messages.h"
#include "platform/classes/typinfo.h"
#include "platform/ui/keys.h"
#include "platform/ui/popup_window.h"

namespace grid {

using namespace ui;
using lookup_detail::FlagScope;

namespace {

constexpr LRESULT kNoActivate = 3;

}  // namespace

const TClassInfo& TPopupDataGridEx::StaticClassInfo() {
  static const TClassInfo info =
      TClassBuilder<TPopupDataGridEx>("TPopupDataGridEx", &TDBLookupGridEx::StaticClassInfo())
          .Unit("DBLookupGridsEx")
          .Build();
  return info;
}

TPopupDataGridEx::TPopupDataGridEx(TComponent* AOwner) : TDBLookupGridEx(AOwner) {
  SetControlStyle(ControlStyle() + csNoDesignVisible + csReplicatable);
  FPopup = true;
  SetVisible(false);
  FSizeGrip = new TSizeGripEx(this);
  FSizeGrip->SetParent(this);
  FSizeGrip->SetTriangleWindow(true);
  SetShowHint(true);
  ApplyBorderWidth();
}

TPopupDataGridEx::~TPopupDataGridEx() {
  delete FSizeGrip;
  FSizeGrip = nullptr;
}

QWidget* TPopupDataGridEx::CreateWidget(QWidget*) {
  QWidget* w = TDBLookupGridEx::CreateWidget(nullptr);
  MakePopupWidget(w);
  return w;
}

void TPopupDataGridEx::ApplyBorderWidth() { FBorderWidth = FCtl3D ? 1 : 0; }

int TPopupDataGridEx::FrameWidth() const { return FBorderWidth + (FCtl3D ? 0 : 1); }

void TPopupDataGridEx::SetCtl3D(bool Value) {
  if (Value == FCtl3D) return;
  FCtl3D = Value;
  ApplyBorderWidth();
  SetRowCount(RowCount());
  if (HandleAllocated()) RecreateWnd();
}

// With the 3D look one raised edge round the window, in place of the flat
// grid's sunken one.
void TPopupDataGridEx::PaintFlatBorder(TCanvas* WindowCanvas) {
  if (FBorderWidth == 0) return;
  TRect r{0, 0, Width(), Height()};
  WindowCanvas->DrawEdge(r, BDR_RAISEDOUTER, BF_RECT);
}

// The frame the window has, or is about to get: a size set before the
// window asks for its frame (none yet, or a new window on its way) already
// counts it.
int TPopupDataGridEx::BorderSize() {
  const TPadding& frame = NonClientMargins();
  return TDBLookupGridEx::BorderSize() - frame.Top - frame.Bottom + 2 * FrameWidth();
}

void TPopupDataGridEx::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  const bool busy = ComponentState().Contains(csReading) || ComponentState().Contains(csDestroying);
  if (!busy && (AWidth != Width() || AHeight != Height())) {
    const TEditorSystemMetrics& m = EditorSystemMetrics();
    AWidth = std::max(AWidth, m.VScrollWidth);
    AHeight = std::max(AHeight, m.HScrollHeight);
  }
  TDBLookupGridEx::SetBounds(ALeft, ATop, AWidth, AHeight);
}

void TPopupDataGridEx::SizeChanged(int OldWidth, int OldHeight) {
  TDBLookupGridEx::SizeChanged(OldWidth, OldHeight);
  if (FSizeGrip) FSizeGrip->UpdatePosition();
  FSizeGripResized = true;
}

void TPopupDataGridEx::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_MOUSEACTIVATE:
      Message.Result = kNoActivate;
      return;
    case WM_ERASEBKGND:
      Message.Result = 1;
      return;
    case WM_NCCALCSIZE: {
      // The drop-down's frame takes the place of the flat grid's border.
      auto* rect = reinterpret_cast<TRect*>(Message.LParam);
      const TRect window = *rect;
      TDBLookupGridEx::Dispatch(Message);
      *rect = window;
      rect->Inflate(-FrameWidth(), -FrameWidth());
      return;
    }
    case WM_NCPAINT:
      // Without the 3D look the window has a plain line round it.
      if (!FCtl3D) {
        TWindowCanvas dc(this);
        dc.Brush()->SetColor(clWindowFrame);
        dc.FrameRect(Rect(0, 0, Width(), Height()));
      }
      TDBLookupGridEx::Dispatch(Message);
      return;
    case WM_SIZEGRIPCHANGEPOSITION:
      if (FSizeGrip) FSizeGrip->ChangePosition(static_cast<TSizeGripChangePosition>(Message.WParam));
      return;
    default:
      TDBLookupGridEx::Dispatch(Message);
  }
}

void TPopupDataGridEx::KeyValueChanged() {
  TDBLookupGridEx::KeyValueChanged();
  if (FUserKeyValueChanged && OnUserKeyValueChange) OnUserKeyValueChange(this);
}

void TPopupDataGridEx::KeyDown(std::uint16_t& Key, TShiftState Shift) {
  FlagScope user(FUserKeyValueChanged);
  DoKeyDown(Key, Shift);
}

void TPopupDataGridEx::KeyUp(std::uint16_t& Key, TShiftState Shift) { TDBLookupGridEx::DoKeyUp(Key, Shift); }

void TPopupDataGridEx::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  FKeySelection = true;
  {
    FlagScope user(FUserKeyValueChanged);
    TDBLookupGridEx::MouseDown(Button, Shift, X, Y);
  }
  if (OnTreeElement(X, Y)) FKeySelection = false;
}

void TPopupDataGridEx::MouseMove(TShiftState Shift, int X, int Y) {
  FlagScope user(FUserKeyValueChanged);
  TDBLookupGridEx::MouseMove(Shift, X, Y);
  const bool held = Shift.Contains(ssLeft) || Shift.Contains(ssRight) || Shift.Contains(ssMiddle);
  if (!held && !ReadOnly()) SelectItemAt(X, Y);
}

void TPopupDataGridEx::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  const TGridState before = GridState();
  const bool wasNormal = before == gsNormal && DBGridExState() == dgsNormal;
  TDBLookupGridEx::MouseUp(Button, Shift, X, Y);
  if (!wasNormal || !FKeySelection) return;
  if (X < 0 || Y < 0 || X >= Width() || Y >= Height()) {
    if (OnMouseCloseUp) OnMouseCloseUp(this, false);
    return;
  }
  const TGridCoord cell = MouseCoord(X, Y);
  const int titles = TitlesHeight();
  const bool onSpecRow = SpecRow()->Visible() && Y >= titles && Y < titles + FSpecRowHeight;
  const bool inData = cell.X >= IndicatorOffset() && cell.X < ColCount() && cell.Y >= TopDataOffset() &&
                      cell.Y < TCustomGridEx::RowCount();
  if ((inData || onSpecRow) && OnMouseCloseUp) OnMouseCloseUp(this, true);
}

}  // namespace grid
