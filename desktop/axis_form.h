// The panel of one axis in the main window: relative step, jog while the
// button is held, move to zero, homing, zeroing, the direction toggle, and
// once a second the run lamp and both positions in physical units.
#pragma once

#include <cstdint>

#include "desktop/axis_config.h"
#include "platform/ui/ui.h"

namespace desktop {

class TAxisFrm : public ui::TFrame {
  JQ_UI_CLASSINFO
 public:
  explicit TAxisFrm(ui::TComponent* AOwner);
  ~TAxisFrm() override;

  ui::TGroupBox* grp_Ch;
  ui::TBitBtn* btn_Pos_Rel;
  ui::TPanel* pnl_Dir;
  // The distance entry (a plain edit).
  ui::TEdit* edt_Rel;
  ui::TButton* btn_Neg;
  ui::TPanel* pnl_Run;
  ui::TEdit* edt_Show_Software;
  ui::TEdit* edt_Show_Encoder;
  ui::TBitBtn* btn_Pos_Abs;
  ui::TBitBtn* btn_Home;
  ui::TBitBtn* btn_Zero;
  ui::TTimer* tmr_Axis;

  void btn_Pos_RelClick(ui::TObject* Sender);
  void btn_Pos_AbsClick(ui::TObject* Sender);
  void btn_HomeClick(ui::TObject* Sender);
  void btn_NegMouseDown(ui::TObject* Sender, ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y);
  void btn_NegMouseUp(ui::TObject* Sender, ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y);
  void btn_ZeroClick(ui::TObject* Sender);
  void pnl_DirClick(ui::TObject* Sender);
  void tmr_AxisTimer(ui::TObject* Sender);
  // Offered for callers; no control of the panel triggers them.
  void btn_Set_HaltClick(ui::TObject* Sender);
  void btn_Set_StopClick(ui::TObject* Sender);
  void Load_Param();

  // Whether a jog started by a press is still running.
  bool Jogging() const { return jogging_; }
  // Ends a running jog, as freeing the panel would: a rebuild that keeps
  // the panel must not leave the axis moving.
  void End_Jog() { Stop_Jog(false); }

 protected:
  void VisibleChanged() override;

 private:
  std::uint16_t Axis() const;
  TAxis_Config& Record() const;
  void Send_Position_Ramps(std::int32_t A, std::int32_t D, std::int32_t V);
  // Ends a running jog (velocity stop). A release always sends the stop; the
  // other ends (focus, grab, hiding, destruction) only when a jog runs.
  void Stop_Jog(bool Always);
  void Jog_Guard(ui::TObject* Sender);

  std::int32_t iErrorCount = 0;
  rtl::String FNegCaption;
  rtl::String FPosCaption;
  bool jogging_ = false;
  // While a jog runs: ends it when the button no longer holds the mouse or
  // is no longer on screen, whatever message was lost on the way.
  ui::TTimer* tmr_Jog_Guard;
};

}  // namespace desktop
