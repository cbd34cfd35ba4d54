// Test form of the stream buffer's circular arcs.
#pragma once

#include "include/JQ_API.h"
#include "components/extended/ext_spin.h"
#include "desktop/stream_form_parts.h"
#include "platform/ui/ui.h"

namespace desktop {

// The shared motion controls (group, ramps, stop and halt) come from
// TStreamMotionParts, under the same names as the form's own controls.
class TStream_CircleFrm : public ui::TForm, public TStreamMotionParts {
  JQ_UI_CLASSINFO
 public:
  explicit TStream_CircleFrm(ui::TComponent* AOwner);
  ~TStream_CircleFrm() override;

  ui::TLabel* lbl_ID0;
  ext::TExtSpinEdit* edt_ID0;
  ui::TLabel* lbl_ID1;
  ext::TExtSpinEdit* edt_ID1;
  ui::TLabel* lbl_P0;
  ui::TEdit* edt_P0;
  ui::TLabel* lbl_P1;
  ui::TEdit* edt_P1;
  ui::TLabel* lbl_R;
  ui::TEdit* edt_R;
  ui::TLabel* lbl_R_Note;
  ui::TButton* btn_CW_Rel;
  ui::TButton* btn_CW_Abs;
  ui::TButton* btn_CCW_Rel;
  ui::TButton* btn_CCW_Abs;
  ui::TButton* btn_Wait_Circle;

  void btn_SetClick(ui::TObject* Sender);
  void btn_CW_RelClick(ui::TObject* Sender);
  void btn_CW_AbsClick(ui::TObject* Sender);
  void btn_CCW_RelClick(ui::TObject* Sender);
  void btn_CCW_AbsClick(ui::TObject* Sender);
  void btn_Set_StopClick(ui::TObject* Sender);
  void btn_Set_HaltClick(ui::TObject* Sender);
  void btn_Wait_CircleClick(ui::TObject* Sender);

 private:
  using TArcCall = std::int32_t(JQ_CALL*)(std::uint16_t, std::int32_t, std::int32_t, std::int32_t);
  void Run_Arc(TArcCall Call);
};

extern TStream_CircleFrm* Stream_CircleFrm;

}  // namespace desktop
