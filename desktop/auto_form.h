#pragma once

#include <cstdint>

#include "ui.h"

namespace desktop {

class TAutoFrm : public ui::TForm {
  JQ_UI_CLASSINFO
 public:
  explicit TAutoFrm(ui::TComponent* AOwner);
  ~TAutoFrm() override;

  // Axis count of the last connect, handed over by the main window.
  std::int32_t F_Axis_Num = 0;
};

extern TAutoFrm* AutoFrm;

}  // namespace desktop
