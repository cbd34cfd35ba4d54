#pragma once

#include "ui.h"

namespace desktop {

class TStream_OCFrm : public ui::TForm {
  JQ_UI_CLASSINFO
 public:
  explicit TStream_OCFrm(ui::TComponent* AOwner);
  ~TStream_OCFrm() override;
};

extern TStream_OCFrm* Stream_OCFrm;

}  // namespace desktop
