#pragma once

#include "ui.h"

namespace desktop {

class TCalcFrm : public ui::TForm {
  JQ_UI_CLASSINFO
 public:
  explicit TCalcFrm(ui::TComponent* AOwner);
  ~TCalcFrm() override;
};

extern TCalcFrm* CalcFrm;

}  // namespace desktop
