// Stream test parameter dialog: a delay.
#pragma once

#include "platform/ui/ui.h"

namespace desktop {

class TStream_DelayFrm : public ui::TForm {
  JQ_UI_CLASSINFO
 public:
  explicit TStream_DelayFrm(ui::TComponent* AOwner);
  ~TStream_DelayFrm() override;

  ui::TLabel* lbl_Delay;
  ui::TEdit* edt_Delay;
  ui::TButton* btn_OK;
  ui::TButton* btn_Cancel;
};

extern TStream_DelayFrm* Stream_DelayFrm;

}  // namespace desktop
