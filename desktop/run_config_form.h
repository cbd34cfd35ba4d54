// One row of the start-several-axes dialog: whether the axis takes part and
// which of its panel's actions it runs.
#pragma once

#include "platform/ui/ui.h"

namespace desktop {

class TRunConfigFrm : public ui::TFrame {
  JQ_UI_CLASSINFO
 public:
  explicit TRunConfigFrm(ui::TComponent* AOwner);
  ~TRunConfigFrm() override;

  ui::TGroupBox* grp_Ch;
  ui::TCheckBox* chk_Run;
  ui::TRadioButton* rb_Pos_Abs;
  ui::TRadioButton* rb_Pos_Rel;
  ui::TRadioButton* rb_Home;
};

}  // namespace desktop
