#pragma once

#include "ui.h"

namespace desktop {

class TStream_LineXFrm : public ui::TForm {
  JQ_UI_CLASSINFO
 public:
  explicit TStream_LineXFrm(ui::TComponent* AOwner);
  ~TStream_LineXFrm() override;
};

extern TStream_LineXFrm* Stream_LineXFrm;

}  // namespace desktop
