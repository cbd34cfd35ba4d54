#pragma once

#include "ui.h"

namespace desktop {

class TRunAllFrm : public ui::TForm {
  JQ_UI_CLASSINFO
 public:
  explicit TRunAllFrm(ui::TComponent* AOwner);
  ~TRunAllFrm() override;
};

extern TRunAllFrm* RunAllFrm;

}  // namespace desktop
