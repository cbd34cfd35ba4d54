#pragma once

#include "ui.h"

namespace desktop {

class TOutputFrm : public ui::TForm {
  JQ_UI_CLASSINFO
 public:
  explicit TOutputFrm(ui::TComponent* AOwner);
  ~TOutputFrm() override;
};

extern TOutputFrm* OutputFrm;

}  // namespace desktop
