// The connection dialog: which link slot 0 of the device library uses.
#pragma once

#include <array>
#include <cstdint>

#include "components/support/ports/com_combo_box.h"
#include "components/extended/ext_ip_address.h"
#include "components/extended/ext_spin.h"
#include "components/support/store/kit_property_store.h"
#include "platform/ui/ui.h"

namespace desktop {

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
  ext::TExtIPAddress* IP_Address;
  ui::TLabel* lbl_Port;
  // Its own exit check keeps the port within 1024 to 65535.
  ext::TExtSpinEdit* edt_Port;
  ui::TGroupBox* grp_Action;
  ui::TButton* btn_OK;
  ui::TButton* btn_No;
  kit::TKitPropertyStore* KitPropertyStore1;

  // The four octets of the address, leftmost first.
  std::array<std::uint8_t, 4> IP_Address_Octets() const;
  // The TCP port as typed (truncated toward zero).
  std::int32_t Port_Value() const { return edt_Port->AsInteger(); }

  void FormCreate(ui::TObject* Sender);
  void FormClose(ui::TObject* Sender, ui::TCloseAction& Action);
};

extern TBoardPortFrm* BoardPortFrm;

}  // namespace desktop
