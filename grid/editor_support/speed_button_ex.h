// A stand-alone speed button with the edit buttons' faces and hot flag, for
// button blocks that are laid out like a form (the calculator's keys).
#pragma once

#include "grid/editor_support/edit_buttons.h"

namespace grid {

class TSpeedButtonEx : public TEditButtonControlEx {
  JQ_UI_CLASSINFO
 public:
  explicit TSpeedButtonEx(ui::TComponent* AOwner);
  ~TSpeedButtonEx() override;
};

}  // namespace grid
