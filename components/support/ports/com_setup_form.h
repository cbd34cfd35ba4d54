// The serial setup dialog: six selector boxes bound to one port.
#pragma once

#include "components/support/ports/com_combo_box.h"
#include "platform/ui/ui.h"

namespace kit {

class TComSetupFrm : public ui::TForm {
  JQ_UI_CLASSINFO
 public:
  explicit TComSetupFrm(ui::TComponent* AOwner);

  ui::TGroupBox* GroupBox1;
  ui::TLabel *Label1, *Label2, *Label3, *Label4, *Label5, *Label6;
  TComComboBox *Combo1, *Combo2, *Combo3, *Combo4, *Combo5, *Combo6;
  ui::TButton *Button1, *Button2;
};

}  // namespace kit
