#pragma once

#include "ui.h"

namespace desktop {

class TStream_CircleFrm : public ui::TForm {
  JQ_UI_CLASSINFO
 public:
  explicit TStream_CircleFrm(ui::TComponent* AOwner);
  ~TStream_CircleFrm() override;
};

extern TStream_CircleFrm* Stream_CircleFrm;

}  // namespace desktop
