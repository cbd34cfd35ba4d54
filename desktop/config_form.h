#pragma once

#include <cstdint>

#include "ui.h"

namespace desktop {

class TConfigFrm : public ui::TForm {
  JQ_UI_CLASSINFO
 public:
  explicit TConfigFrm(ui::TComponent* AOwner);
  ~TConfigFrm() override;

  // Axis and encoder counts the dialog edits settings for.
  void Set_Config(std::int32_t Axis_Num, std::int32_t Encoder_Num);
};

extern TConfigFrm* ConfigFrm;

}  // namespace desktop
