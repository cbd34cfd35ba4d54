#include "grid/columns/grouping/row_detail_panel_ex.h"

#include "grid/core/custom_db_grid_ex.h"
#include "grid/core/grid_data_link_ex.h"
#include "platform/classes/component_stream.h"
#include "platform/classes/typinfo.h"
#include "platform/data/dataset.h"
#include "grid/editor_support/tool_routines.h"
#include "platform/ui/keys.h"
#include "platform/ui/forms.h"
#include "platform/classes/messages.h"

#include <algorithm>
#include <utility>

namespace grid {

using ui::TClassBuilder;
using ui::TClassInfo;

// --- the control -----------------------------------------------------------------------

const TClassInfo& TRowDetailPanelControlEx::StaticClassInfo() {
  static const TClassInfo info =
      TClassBuilder<TRowDetailPanelControlEx>("TRowDetailPanelControlEx", &ui::TScrollBox::StaticClassInfo())
          // The grid places the panel: its bounds are never stored.
          .Integer("Left", &ui::TControl::Left, &ui::TControl::SetLeft)
          .NotStored()
          .Integer("Top", &ui::TControl::Top, &ui::TControl::SetTop)
          .NotStored()
          .Integer("Width", &ui::TControl::Width, &ui::TControl::SetWidth)
          .NotStored()
          .Integer("Height", &ui::TControl::Height, &ui::TControl::SetHeight)
          .NotStored()
          .Build();
  return info;
}

namespace {
// Layout streams name the control by its class.
const bool kControlClassRegistered = [] {
  ui::RegisterComponentClass(TRowDetailPanelControlEx::StaticClassInfo(),
                             [](ui::TComponent* Owner) { return ui::Create<TRowDetailPanelControlEx>(Owner); });
  return true;
}();
}  // namespace

TRowDetailPanelControlEx::TRowDetailPanelControlEx(ui::TComponent* AOwner) : ui::TScrollBox(AOwner) {
  SetControlStyle({ui::csAcceptsControls, ui::csCaptureMouse, ui::csClickEvents, ui::csSetCaption,
                   ui::csDoubleClicks, ui::csReplicatable});
  SetBounds(0, 0, 185, 41);
}

void TRowDetailPanelControlEx::SetBevels(TBevelEdges Edges, ui::TBevelCut Inner, ui::TBevelCut Outer,
                                         TBevelKind Kind, int Width) {
  FBevelEdges = Edges;
  FBevelInner = Inner;
  FBevelOuter = Outer;
  FBevelKind = Kind;
  FBevelWidth = Width;
  SetWindowPos(0, 0, 0, 0, ui::SWP_NOMOVE | ui::SWP_NOSIZE | ui::SWP_FRAMECHANGED);
  Invalidate();
}

ui::TPadding TRowDetailPanelControlEx::FrameWidths() const {
  const int border = BorderStyle() == ui::bsSingle ? 1 : 0;
  int bevel = 0;
  if (FBevelKind != bkNone)
    bevel = ((FBevelInner != ui::bvNone ? 1 : 0) + (FBevelOuter != ui::bvNone ? 1 : 0)) * std::max(0, FBevelWidth);
  auto side = [&](TBevelEdge E) { return border + (FBevelEdges.Contains(E) ? bevel : 0); };
  return ui::TPadding{side(beLeft), side(beTop), side(beRight), side(beBottom)};
}

// The window's border line outside, then the outer and the inner bevel, each
// BevelWidth wide on the edges that have one. A raised cut is light at the
// top and left and dark at the bottom and right, a lowered one the other way
// round; a flat bevel is dark all round.
void TRowDetailPanelControlEx::PaintFrame() {
  ui::TWindowCanvas dc(this);
  if (!dc.Drawing()) return;
  ui::TRect r{0, 0, Width(), Height()};
  if (BorderStyle() == ui::bsSingle) {
    dc.Brush()->SetColor(ui::clWindowFrame);
    dc.FrameRect(r);
    r.Inflate(-1, -1);
  }
  if (FBevelKind == bkNone) return;
  const bool left = FBevelEdges.Contains(beLeft), top = FBevelEdges.Contains(beTop),
             right = FBevelEdges.Contains(beRight), bottom = FBevelEdges.Contains(beBottom);
  auto ring = [&](ui::TColor LightSide, ui::TColor DarkSide) {
    if (r.Width() <= 0 || r.Height() <= 0) return;
    dc.Brush()->SetColor(LightSide);
    if (top) dc.FillRect(ui::TRect{r.Left, r.Top, r.Right, r.Top + 1});
    if (left) dc.FillRect(ui::TRect{r.Left, r.Top, r.Left + 1, r.Bottom});
    dc.Brush()->SetColor(DarkSide);
    if (bottom) dc.FillRect(ui::TRect{r.Left, r.Bottom - 1, r.Right, r.Bottom});
    if (right) dc.FillRect(ui::TRect{r.Right - 1, r.Top, r.Right, r.Bottom});
    r = ui::TRect{r.Left + (left ? 1 : 0), r.Top + (top ? 1 : 0), r.Right - (right ? 1 : 0),
                  r.Bottom - (bottom ? 1 : 0)};
  };
  for (const ui::TBevelCut cut : {FBevelOuter, FBevelInner}) {
    if (cut == ui::bvNone) continue;
    ui::TColor light = ui::clBtnHighlight, dark = ui::clBtnShadow;
    if (FBevelKind == bkFlat)
      light = dark;
    else if (cut == ui::bvLowered)
      std::swap(light, dark);
    else if (cut == ui::bvSpace)
      light = dark = Color();
    for (int i = 0; i < FBevelWidth; ++i) ring(light, dark);
  }
}

void TRowDetailPanelControlEx::Dispatch(ui::TMessage& Message) {
  if (Message.Msg == ui::WM_NCCALCSIZE) {
    ui::TScrollBox::Dispatch(Message);
    const ui::TPadding f = FrameWidths();
    auto* r = reinterpret_cast<ui::TRect*>(Message.LParam);
    *r = ui::TRect{r->Left + f.Left, r->Top + f.Top, r->Right - f.Right, r->Bottom - f.Bottom};
    return;
  }
  if (Message.Msg == ui::WM_NCPAINT) {
    ui::TScrollBox::Dispatch(Message);
    PaintFrame();
    return;
  }
  // Ctrl+Up inside the panel gives the focus back to the grid.
  if (Message.Msg == ui::CM_CHILDKEY && Message.WParam == ui::VK_UP &&
      !ComponentState().Contains(ui::csDesigning) && CurrentShiftState() == ui::TShiftState{ui::ssCtrl}) {
    if (auto* grid = dynamic_cast<TCustomDBGridEx*>(Parent())) {
      grid->SetFocus();
      Message.Result = 1;
      return;
    }
  }
  ui::TScrollBox::Dispatch(Message);
}

// --- the settings ----------------------------------------------------------------------

const TClassInfo& TRowDetailPanelEx::StaticClassInfo() {
  using T = TRowDetailPanelEx;
  static const TClassInfo info =
      TClassBuilder<T>("TRowDetailPanelEx", &ui::TPersistent::StaticClassInfo())
          .Boolean("Active", &T::Active, &T::SetActive, 0)
          .Integer("Width", &T::Width, &T::SetWidth, 0)
          .Integer("Height", &T::Height, &T::SetHeight, 120)
          .Object("ActiveControl", "TWinControl", &T::ActiveControl, &T::SetActiveControl)
          .Set("BevelEdges", "TBevelEdges", {"beLeft", "beTop", "beRight", "beBottom"}, &T::BevelEdgesBits,
               &T::SetBevelEdgesBits)
          .StoredWhen(&T::IsBevelEdgesStored)
          .Enum("BevelInner", "TBevelCut", {"bvNone", "bvLowered", "bvRaised", "bvSpace"}, &T::BevelInner,
                &T::SetBevelInner, ui::bvRaised)
          .Enum("BevelOuter", "TBevelCut", {"bvNone", "bvLowered", "bvRaised", "bvSpace"}, &T::BevelOuter,
                &T::SetBevelOuter, ui::bvLowered)
          .Enum("BevelKind", "TBevelKind", {"bkNone", "bkTile", "bkSoft", "bkFlat"}, &T::BevelKind,
                &T::SetBevelKind, bkNone)
          .Integer("BevelWidth", &T::BevelWidth, &T::SetBevelWidth, 1)
          .Enum("BorderStyle", "TBorderStyle", {"bsNone", "bsSingle"}, &T::BorderStyle, &T::SetBorderStyle,
                ui::bsSingle)
          .Integer("Color", &T::Color, &T::SetColor)
          .StoredWhen(&T::IsColorStored)
          .Boolean("ParentColor", &T::ParentColor, &T::SetParentColor, 0)
          .Build();
  return info;
}

TRowDetailPanelEx::TRowDetailPanelEx(TCustomDBGridEx* AGrid)
    : FGrid(AGrid), FColor(AGrid ? AGrid->FixedColor() : ui::clBtnFace) {}

void TRowDetailPanelEx::Replace() {
  if (FGrid) FGrid->PlaceRowDetailControl();
}

void TRowDetailPanelEx::SetActive(bool Value) {
  if (Value == FActive) return;
  FActive = Value;
  if (!Value)
    SetVisible(false);
  else if (FGrid && FGrid->ComponentState().Contains(ui::csDesigning) && !FGrid->IsLoading())
    SetVisible(true);
  Replace();
  if (FGrid) FGrid->RelayoutGrid();
}

void TRowDetailPanelEx::SetVisible(bool Value) {
  if (Value == FVisible || !FGrid) return;
  bool allowed = true;
  if (Value) {
    TGridDataLinkEx* link = FGrid->DataLink();
    db::TDataSet* ds = link && link->Active() ? link->DataSet() : nullptr;
    allowed = ds && !ds->IsEmpty() && link->ActiveRecord() < link->RecordCount();
  }
  if (!FGrid->IsDestroying()) {
    if (Value && FGrid->OnRowDetailPanelShow) FGrid->OnRowDetailPanelShow(FGrid, allowed);
    if (!Value && FGrid->OnRowDetailPanelHide) FGrid->OnRowDetailPanelHide(FGrid, allowed);
  }
  if (!allowed) return;
  FVisible = Value;
  Replace();
  if (Value) {
    // The taller current row stays wholly in view.
    const int row = FGrid->Row();
    if (row >= FGrid->TopRow() && FGrid->HandleAllocated()) {
      int top = FGrid->TopRow();
      while (top < row) {
        const TRect r = FGrid->CellBounds(FGrid->Col(), row);
        if (r.Bottom <= FGrid->ClientHeight() || FGrid->SafeMoveTop(top + 1, true) == top) break;
        FGrid->SafeMoveTop(++top);
      }
    }
  } else if (!FGrid->IsDestroying()) {
    FGrid->ClampTopRow();
  }
}

void TRowDetailPanelEx::SetActiveControl(ui::TWinControl* Value) {
  FActiveControl = Value;
  // Not owned: the grid hears of its removal and forgets it.
  if (Value && FGrid) Value->FreeNotification(FGrid);
}

int TRowDetailPanelEx::BevelEdgesBits() const {
  int bits = 0;
  for (TBevelEdge e : {beLeft, beTop, beRight, beBottom})
    if (FBevelEdges.Contains(e)) bits |= 1 << e;
  return bits;
}

void TRowDetailPanelEx::SetBevelEdgesBits(int Bits) {
  TBevelEdges edges;
  for (TBevelEdge e : {beLeft, beTop, beRight, beBottom})
    if (Bits & (1 << e)) edges.Include(e);
  SetBevelEdges(edges);
}

bool TRowDetailPanelEx::IsBevelEdgesStored() const { return BevelEdgesBits() != 0xF; }

void TRowDetailPanelEx::SetWidth(int Value) {
  FWidth = Value;
  Replace();
}

void TRowDetailPanelEx::SetHeight(int Value) {
  FHeight = Value;
  Replace();
}

void TRowDetailPanelEx::SetBevelEdges(TBevelEdges Value) {
  FBevelEdges = Value;
  Replace();
}

void TRowDetailPanelEx::SetBevelInner(ui::TBevelCut Value) {
  FBevelInner = Value;
  Replace();
}

void TRowDetailPanelEx::SetBevelOuter(ui::TBevelCut Value) {
  FBevelOuter = Value;
  Replace();
}

void TRowDetailPanelEx::SetBevelKind(TBevelKind Value) {
  FBevelKind = Value;
  Replace();
}

void TRowDetailPanelEx::SetBevelWidth(int Value) {
  FBevelWidth = Value;
  Replace();
}

void TRowDetailPanelEx::SetBorderStyle(ui::TBorderStyle Value) {
  FBorderStyle = Value;
  Replace();
}

ui::TColor TRowDetailPanelEx::Color() const { return FParentColor && FGrid ? FGrid->Color() : FColor; }

void TRowDetailPanelEx::SetColor(ui::TColor Value) {
  if (Value != Color()) FParentColor = false;
  FColor = Value;
  Replace();
}

void TRowDetailPanelEx::SetParentColor(bool Value) {
  FParentColor = Value;
  Replace();
}

void TRowDetailPanelEx::Assign(const ui::TPersistent* Source) {
  if (auto* src = dynamic_cast<const TRowDetailPanelEx*>(Source)) {
    SetActive(src->FActive);
    return;
  }
  ui::TPersistent::Assign(Source);
}

}  // namespace grid
