#pragma once

#include "ui.h"

namespace desktop {

class TStream_DelayFrm : public ui::TForm {
  JQ_UI_CLASSINFO
 public:
  explicit TStream_DelayFrm(ui::TComponent* AOwner);
  ~TStream_DelayFrm() override;
};

extern TStream_DelayFrm* Stream_DelayFrm;

}  // namespace desktop
