// The start-several-axes dialog: one row per visible axis, built at connect.
#pragma once

#include "platform/ui/ui.h"

namespace desktop {

class TRunAllFrm : public ui::TForm {
  JQ_UI_CLASSINFO
 public:
  explicit TRunAllFrm(ui::TComponent* AOwner);
  ~TRunAllFrm() override;

  ui::TScrollBox* Box_RunAll;
  ui::TGroupBox* grp_Action;
  ui::TBitBtn* BitBtn1;
  ui::TBitBtn* BitBtn2;
};

extern TRunAllFrm* RunAllFrm;

}  // namespace desktop
