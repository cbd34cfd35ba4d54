#pragma once

#include <cstdint>

#include "ui.h"

namespace desktop {

class TInputFrm : public ui::TForm {
  JQ_UI_CLASSINFO
 public:
  explicit TInputFrm(ui::TComponent* AOwner);
  ~TInputFrm() override;

  // Input count of the last connect, handed over by the main window.
  std::int32_t F_Optic_In_Max = 0;
};

extern TInputFrm* InputFrm;

}  // namespace desktop
