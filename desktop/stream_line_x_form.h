// Test form of the stream buffer's multi-axis lines.
#pragma once

#include <array>

#include "include/JQ_API.h"
#include "components/extended/ext_spin.h"
#include "desktop/stream_form_parts.h"
#include "platform/ui/ui.h"

namespace desktop {

// The shared motion controls (group, ramps, stop and halt) come from
// TStreamMotionParts, under the same names as the form's own controls.
class TStream_LineXFrm : public ui::TForm, public TStreamMotionParts {
  JQ_UI_CLASSINFO
 public:
  explicit TStream_LineXFrm(ui::TComponent* AOwner);
  ~TStream_LineXFrm() override;

  ui::TLabel* lbl_ID_Num;
  // The library moves 2 to 8 axes in a line.
  ext::TExtSpinEdit* edt_ID_Num;
  std::array<ui::TLabel*, 8> lbl_ID;
  std::array<ext::TExtSpinEdit*, 8> edt_ID;
  std::array<ui::TLabel*, 8> lbl_P;
  std::array<ui::TEdit*, 8> edt_P;
  ui::TButton* btn_Pos_Abs;
  ui::TButton* btn_Pos_Rel;
  ui::TButton* btn_WaitLine;

  void btn_SetClick(ui::TObject* Sender);
  void btn_Pos_AbsClick(ui::TObject* Sender);
  void btn_Pos_RelClick(ui::TObject* Sender);
  void btn_Set_StopClick(ui::TObject* Sender);
  void btn_Set_HaltClick(ui::TObject* Sender);
  void btn_WaitLineClick(ui::TObject* Sender);

 private:
  using TLineCall = std::int32_t(JQ_CALL*)(std::uint16_t, std::int32_t, const std::int32_t*, const std::int32_t*);
  void Run_Line(TLineCall Call);
};

extern TStream_LineXFrm* Stream_LineXFrm;

}  // namespace desktop
