// Stream test parameter dialog: one open-collector output and its state.
#pragma once

#include "platform/ui/ui.h"

namespace desktop {

class TStream_OCFrm : public ui::TForm {
  JQ_UI_CLASSINFO
 public:
  explicit TStream_OCFrm(ui::TComponent* AOwner);
  ~TStream_OCFrm() override;

  ui::TLabel* lbl_Ch;
  ui::TEdit* edt_Ch;
  ui::TRadioButton* rb_High;
  ui::TRadioButton* rb_Low;
  ui::TButton* btn_OK;
  ui::TButton* btn_Cancel;
};

extern TStream_OCFrm* Stream_OCFrm;

}  // namespace desktop
