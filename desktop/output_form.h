// The output window: one lamp per digital output; a click switches the
// output and shows the state read back.
#pragma once

#include "platform/ui/ui.h"

namespace desktop {

class TOutputFrm : public ui::TForm {
  JQ_UI_CLASSINFO
 public:
  explicit TOutputFrm(ui::TComponent* AOwner);
  ~TOutputFrm() override;

  ui::TScrollBox* box_Optic_Out;

  void On_Optic_Out(ui::TObject* Sender);
};

extern TOutputFrm* OutputFrm;

}  // namespace desktop
