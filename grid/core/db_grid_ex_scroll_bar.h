// A data grid's scroll-bar settings: when each bar shows, whether an external
// scroll bar control stands in for it, thumb tracking and pixel steps.
#pragma once

#include "grid/core/db_grid_ex_types.h"
#include "platform/ui/scroll_bar.h"
#include "platform/ui/scroll_bars.h"

namespace grid {

class TDBGridExScrollBar : public ui::TPersistent {
  JQ_UI_CLASSINFO
 public:
  TDBGridExScrollBar(TCustomDBGridEx* AGrid, ui::TScrollBarKind AKind);
  // The external bar gets its own window procedure back.
  ~TDBGridExScrollBar() override;
  void Assign(const ui::TPersistent* Source) override;

  ui::TScrollBar* ExtScrollBar() const { return FExtScrollBar; }
  // Hooks the bar's window procedure; a bar another control has hooked is
  // refused with EInvalidOperation and nothing changes.
  void SetExtScrollBar(ui::TScrollBar* Value);
  bool Tracking() const { return FTracking; }
  void SetTracking(bool Value) { FTracking = Value; }
  bool Visible() const { return FVisibleMode != sbNeverShowEx; }
  void SetVisible(bool Value);
  bool SmoothStep() const { return FSmoothStep; }
  void SetSmoothStep(bool Value);
  TScrollBarVisibleModeEx VisibleMode() const { return FVisibleMode; }
  void SetVisibleMode(TScrollBarVisibleModeEx Value);
  ui::TScrollBarKind Kind() const { return FKind; }

  bool IsScrollBarVisible() const;
  // Whether the bar is to show now (the auto mode reads its range and page).
  bool IsScrollBarShowing() const;
  void UpdateExtScrollBar();
  bool GetScrollInfo(ui::TScrollInfo& ScrollInfo) const;
  // The grid heard that the external bar is being freed.
  void ExtScrollBarFreed() { FExtScrollBar = nullptr; }

 protected:
  virtual void SmoothStepChanged() {}
  void ExtScrollBarWndProc(ui::TMessage& Message);
  TCustomDBGridEx* FDBGridEx;
  ui::TScrollBar* FExtScrollBar = nullptr;
  ui::TScrollBarKind FKind;
  bool FTracking = true;
  TScrollBarVisibleModeEx FVisibleMode = sbAutoShowEx;
  bool FSmoothStep = false;

 private:
  ui::TWndMethod FOldWndProc;
};

class THorzDBGridExScrollBar : public TDBGridExScrollBar {
  JQ_UI_CLASSINFO
 public:
  explicit THorzDBGridExScrollBar(TCustomDBGridEx* AGrid);

 protected:
  void SmoothStepChanged() override;
};

class TVertDBGridExScrollBar : public TDBGridExScrollBar {
  JQ_UI_CLASSINFO
 public:
  explicit TVertDBGridExScrollBar(TCustomDBGridEx* AGrid);

 protected:
  void SmoothStepChanged() override;
};

}  // namespace grid
