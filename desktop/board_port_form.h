// The connection dialog: which link slot 0 of the device library uses.
#pragma once

#include <array>
#include <cstdint>

#include "com_combo_box.h"
#include "kit_property_store.h"
#include "ui.h"

namespace desktop {

// The TCP port entry: an edit that also offers its number as Value.
class TPortEdit : public ui::TEdit {
  JQ_UI_CLASSINFO
 public:
  using ui::TEdit::TEdit;
  double Value() const;
  void SetValue(double Value);
};

class TBoardPortFrm : public ui::TForm {
  JQ_UI_CLASSINFO
 public:
  explicit TBoardPortFrm(ui::TComponent* AOwner);
  ~TBoardPortFrm() override;

  ui::TGroupBox* grp_Port;
  ui::TRadioButton* rb_UART;
  ui::TLabel* Label1;
  kit::TComComboBox* cbb_Port;
  ui::TRadioButton* rb_USB;
  ui::TRadioButton* rb_Net;
  ui::TLabel* lbl_IP;
  // The IP-address and spin edits: plain edits of the window layer until the
  // extended edits take their place (IP_Address_Octets and Port_Value are the
  // only readers).
  ui::TEdit* IP_Address;
  ui::TLabel* lbl_Port;
  TPortEdit* edt_Port;
  ui::TGroupBox* grp_Action;
  ui::TButton* btn_OK;
  ui::TButton* btn_No;
  kit::TKitPropertyStore* KitPropertyStore1;

  // The four octets of the typed address, leftmost first; a part that is not
  // a number from 0 to 255 reads as 0.
  std::array<std::uint8_t, 4> IP_Address_Octets() const;
  // The TCP port as typed (truncated toward zero).
  std::int32_t Port_Value() const;

  void FormCreate(ui::TObject* Sender);
  void FormClose(ui::TObject* Sender, ui::TCloseAction& Action);

 private:
  void edt_PortExit(ui::TObject* Sender);
};

extern TBoardPortFrm* BoardPortFrm;

}  // namespace desktop
