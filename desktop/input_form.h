// The input window: one lamp per digital input, polled once a second while
// the window is shown.
#pragma once

#include <cstdint>

#include "platform/ui/ui.h"

namespace desktop {

class TInputFrm : public ui::TForm {
  JQ_UI_CLASSINFO
 public:
  explicit TInputFrm(ui::TComponent* AOwner);
  ~TInputFrm() override;

  ui::TScrollBox* box_Optic_In;
  ui::TTimer* tmr_Optic_In;

  void FormShow(ui::TObject* Sender);
  void FormHide(ui::TObject* Sender);
  void tmr_Optic_InTimer(ui::TObject* Sender);

  // Input count of the last connect, handed over by the main window.
  std::int32_t F_Optic_In_Max = 0;
};

extern TInputFrm* InputFrm;

}  // namespace desktop
