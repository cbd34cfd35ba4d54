#pragma once

#include "ui.h"

namespace desktop {

class TStream_OpticFrm : public ui::TForm {
  JQ_UI_CLASSINFO
 public:
  explicit TStream_OpticFrm(ui::TComponent* AOwner);
  ~TStream_OpticFrm() override;
};

extern TStream_OpticFrm* Stream_OpticFrm;

}  // namespace desktop
