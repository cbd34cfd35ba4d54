#pragma once

#include "ui.h"

namespace desktop {

class TSaveRegFrm : public ui::TForm {
  JQ_UI_CLASSINFO
 public:
  explicit TSaveRegFrm(ui::TComponent* AOwner);
  ~TSaveRegFrm() override;
};

extern TSaveRegFrm* SaveRegFrm;

}  // namespace desktop
