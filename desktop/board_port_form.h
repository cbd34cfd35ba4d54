#pragma once

#include "ui.h"

namespace desktop {

class TBoardPortFrm : public ui::TForm {
  JQ_UI_CLASSINFO
 public:
  explicit TBoardPortFrm(ui::TComponent* AOwner);
  ~TBoardPortFrm() override;
};

extern TBoardPortFrm* BoardPortFrm;

}  // namespace desktop
