#pragma once

#include "components/support/store/kit_reg_ini_file.h"
#include "platform/ui/ui.h"

namespace desktop {

class TSaveRegFrm : public ui::TForm {
  JQ_UI_CLASSINFO
 public:
  explicit TSaveRegFrm(ui::TComponent* AOwner);
  ~TSaveRegFrm() override;

  kit::TKitRegIniFile* KitRegIniFile1;
};

extern TSaveRegFrm* SaveRegFrm;

}  // namespace desktop
