// Stream test parameter dialog: one digital output and its state.
#pragma once

#include "platform/ui/ui.h"

namespace desktop {

class TStream_OpticFrm : public ui::TForm {
  JQ_UI_CLASSINFO
 public:
  explicit TStream_OpticFrm(ui::TComponent* AOwner);
  ~TStream_OpticFrm() override;

  ui::TLabel* lbl_Ch;
  ui::TEdit* edt_Ch;
  ui::TRadioButton* rb_High;
  ui::TRadioButton* rb_Low;
  ui::TButton* btn_OK;
  ui::TButton* btn_Cancel;
};

extern TStream_OpticFrm* Stream_OpticFrm;

}  // namespace desktop
