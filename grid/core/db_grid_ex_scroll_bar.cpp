#include "grid/core/db_grid_ex_scroll_bar.h"

#include "grid/core/custom_db_grid_ex.h"
#include "platform/classes/typinfo.h"

namespace grid {

using namespace ui;

const TClassInfo& TDBGridExScrollBar::StaticClassInfo() {
  static const TClassInfo info = TClassBuilder<TDBGridExScrollBar>("TDBGridExScrollBar", &TPersistent::StaticClassInfo())
                                     .Object("ExtScrollBar", "TScrollBar", &TDBGridExScrollBar::ExtScrollBar,
                                             &TDBGridExScrollBar::SetExtScrollBar)
                                     .Boolean("Tracking", &TDBGridExScrollBar::Tracking,
                                              &TDBGridExScrollBar::SetTracking, 1)
                                     .Unit("DBGridEx")
                                     .Build();
  return info;
}

const TClassInfo& THorzDBGridExScrollBar::StaticClassInfo() {
  static const TClassInfo info =
      TClassBuilder<THorzDBGridExScrollBar>("THorzDBGridExScrollBar", &TDBGridExScrollBar::StaticClassInfo())
          .Boolean("Visible", &TDBGridExScrollBar::Visible, &TDBGridExScrollBar::SetVisible, 1)
          .Boolean("SmoothStep", &TDBGridExScrollBar::SmoothStep, &TDBGridExScrollBar::SetSmoothStep, 1)
          .Unit("DBGridEx")
          .Build();
  return info;
}

const TClassInfo& TVertDBGridExScrollBar::StaticClassInfo() {
  static const TClassInfo info =
      TClassBuilder<TVertDBGridExScrollBar>("TVertDBGridExScrollBar", &TDBGridExScrollBar::StaticClassInfo())
          .Boolean("Visible", &TDBGridExScrollBar::Visible, &TDBGridExScrollBar::SetVisible, 1)
          .NotStored()
          .Boolean("SmoothStep", &TDBGridExScrollBar::SmoothStep, &TDBGridExScrollBar::SetSmoothStep, 0)
          .Enum("VisibleMode", "TScrollBarVisibleModeEx", {"sbAlwaysShowEx", "sbNeverShowEx", "sbAutoShowEx"},
                &TDBGridExScrollBar::VisibleMode, &TDBGridExScrollBar::SetVisibleMode, sbAutoShowEx)
          .Unit("DBGridEx")
          .Build();
  return info;
}

TDBGridExScrollBar::TDBGridExScrollBar(TCustomDBGridEx* AGrid, TScrollBarKind AKind) : FDBGridEx(AGrid), FKind(AKind) {}

TDBGridExScrollBar::~TDBGridExScrollBar() {
  try {
    SetExtScrollBar(nullptr);
  } catch (...) {
  }
}

void TDBGridExScrollBar::Assign(const TPersistent* Source) {
  if (auto* s = dynamic_cast<const TDBGridExScrollBar*>(Source)) {
    SetVisible(s->Visible());
    FTracking = s->FTracking;
    SetExtScrollBar(s->FExtScrollBar);
    return;
  }
  TPersistent::Assign(Source);
}

void TDBGridExScrollBar::SetExtScrollBar(TScrollBar* Value) {
  if (Value == FExtScrollBar) return;
  bool designing = FDBGridEx->Designing();
  if (!designing && Value && !Value->HasOwnWindowProc())
    throw rtl::EInvalidOperation(u"Possible " + Value->Name() + u" already attached to the other control.");
  if (FExtScrollBar) {
    if (!designing) FExtScrollBar->SetWindowProc(FOldWndProc);
    FExtScrollBar->RemoveFreeNotification(FDBGridEx);
  }
  FOldWndProc = nullptr;
  FExtScrollBar = Value;
  if (Value) {
    Value->FreeNotification(FDBGridEx);
    if (!designing) {
      FOldWndProc = Value->WindowProc();
      Value->SetWindowProc([this](TMessage& Message) { ExtScrollBarWndProc(Message); });
    }
  }
  UpdateExtScrollBar();
  if (!FDBGridEx->IsDestroying()) {
    if (FDBGridEx->HandleAllocated() && FKind == sbVertical) FDBGridEx->SyncVertScrollBar();
    FDBGridEx->RelayoutGrid();
  }
}

void TDBGridExScrollBar::ExtScrollBarWndProc(TMessage& Message) {
  if (Message.Msg == CN_HSCROLL || Message.Msg == CN_VSCROLL)
    FDBGridEx->Perform(FKind == sbHorizontal ? WM_HSCROLL : WM_VSCROLL, Message.WParam, Message.LParam);
  if (FOldWndProc) FOldWndProc(Message);
}

void TDBGridExScrollBar::SetVisible(bool Value) {
  SetVisibleMode(Value ? sbAutoShowEx : sbNeverShowEx);
  UpdateExtScrollBar();
}

void TDBGridExScrollBar::SetVisibleMode(TScrollBarVisibleModeEx Value) {
  if (Value == FVisibleMode) return;
  FVisibleMode = Value;
  if (FDBGridEx->IsDestroying()) return;
  if (FKind == sbVertical) FDBGridEx->SyncVertScrollBar();
  FDBGridEx->RelayoutGrid();
}

void TDBGridExScrollBar::SetSmoothStep(bool Value) {
  if (Value == FSmoothStep) return;
  FSmoothStep = Value;
  SmoothStepChanged();
}

bool TDBGridExScrollBar::IsScrollBarVisible() const {
  if (FExtScrollBar) return FExtScrollBar->Visible();
  return Visible() && FDBGridEx->ScrollBarVisible(FKind == sbHorizontal ? SB_HORZ : SB_VERT);
}

bool TDBGridExScrollBar::IsScrollBarShowing() const {
  switch (FVisibleMode) {
    case sbAlwaysShowEx:
      return true;
    case sbNeverShowEx:
      return false;
    case sbAutoShowEx:
      break;
  }
  TScrollInfo info;
  info.fMask = SIF_ALL;
  if (!GetScrollInfo(info)) return false;
  return info.nMin < info.nMax && static_cast<std::int64_t>(info.nPage) <
                                      static_cast<std::int64_t>(info.nMax) - static_cast<std::int64_t>(info.nMin);
}

bool TDBGridExScrollBar::GetScrollInfo(TScrollInfo& ScrollInfo) const {
  if (FExtScrollBar) return FExtScrollBar->GetControlScrollInfo(ScrollInfo);
  return FDBGridEx->TWinControl::GetScrollInfo(FKind == sbHorizontal ? SB_HORZ : SB_VERT, ScrollInfo);
}

void TDBGridExScrollBar::UpdateExtScrollBar() {
  if (FExtScrollBar) FExtScrollBar->SetVisible(Visible());
}

THorzDBGridExScrollBar::THorzDBGridExScrollBar(TCustomDBGridEx* AGrid) : TDBGridExScrollBar(AGrid, sbHorizontal) {
  SetSmoothStep(true);
}

void THorzDBGridExScrollBar::SmoothStepChanged() {
  FDBGridEx->UpdateHorzDataSize();
  FDBGridEx->RecalcScrollRanges();
}

TVertDBGridExScrollBar::TVertDBGridExScrollBar(TCustomDBGridEx* AGrid) : TDBGridExScrollBar(AGrid, sbVertical) {}

void TVertDBGridExScrollBar::SmoothStepChanged() {
  FDBGridEx->UpdateVertDataSize();
  FDBGridEx->RecalcScrollRanges();
  if (FDBGridEx->HandleAllocated()) FDBGridEx->RelayoutGrid();
}

}  // namespace grid
