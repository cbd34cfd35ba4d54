#include "desktop/board_port_form.h"

#include "desktop/save_reg_form.h"
#include "platform/ui/form_layout.h"

namespace desktop {

using namespace ui;

TBoardPortFrm* BoardPortFrm = nullptr;

namespace {

constexpr int kPortMin = 1024;
constexpr int kPortMax = 65535;
constexpr int kPortDefault = 8888;
// Where the controllers answer out of the box.
const rtl::String kDefaultAddress = u"192.168.1.100";

}  // namespace

const TClassInfo& TBoardPortFrm::StaticClassInfo() {
  static const TClassInfo info = TClassBuilder<TBoardPortFrm>("TBoardPortFrm", &TForm::StaticClassInfo()).Build();
  return info;
}

TBoardPortFrm::TBoardPortFrm(TComponent* AOwner) : TForm(AOwner) {
  SetName(u"BoardPortFrm");
  SetCaption(u"通讯口选择");
  SetBorderStyle(bsDialog);
  SetPosition(poDesktopCenter);
  SetClientWidth(398);
  SetClientHeight(362);

  grp_Action = new TGroupBox(this);
  grp_Action->SetName(u"grp_Action");
  grp_Action->SetParent(this);
  grp_Action->SetAlign(alBottom);
  grp_Action->SetHeight(65);
  grp_Action->SetCaption(rtl::String());
  btn_OK = Place<TButton>(this, grp_Action, u"btn_OK", 90, 20, 90, 30);
  btn_OK->SetCaption(u"确定");
  btn_OK->SetModalResult(mrOk);
  btn_OK->SetDefault(true);
  btn_No = Place<TButton>(this, grp_Action, u"btn_No", 218, 20, 90, 30);
  btn_No->SetCaption(u"取消");
  btn_No->SetModalResult(mrCancel);
  btn_No->SetCancel(true);

  grp_Port = new TGroupBox(this);
  grp_Port->SetName(u"grp_Port");
  grp_Port->SetParent(this);
  grp_Port->SetAlign(alClient);
  grp_Port->SetCaption(rtl::String());

  rb_UART = Place<TRadioButton>(this, grp_Port, u"rb_UART", 40, 30, 120, 20);
  rb_UART->SetCaption(u"UART");
  Label1 = Place<TLabel>(this, grp_Port, u"Label1", 80, 64, 40, 16);
  Label1->SetCaption(u"串口:");
  cbb_Port = Place<kit::TComComboBox>(this, grp_Port, u"cbb_Port", 130, 60, 180, 24);
  try {
    cbb_Port->SetComProperty(kit::cpPort);
  } catch (const std::exception& e) {
    // A port list that cannot be read costs the list, not the program's start.
    cbb_Port->Items()->Clear();
    MessageDlg(u"串口列表无法读取, 列表为空 (可直接输入串口名): " + rtl::Utf8ToString(e.what()), mtWarning,
               TMsgDlgButtons{mbOK});
  }
  cbb_Port->SetText(u"COM1");
  cbb_Port->SetItemIndex(0);

  rb_USB = Place<TRadioButton>(this, grp_Port, u"rb_USB", 40, 110, 120, 20);
  rb_USB->SetCaption(u"USB HID");

  rb_Net = Place<TRadioButton>(this, grp_Port, u"rb_Net", 40, 160, 120, 20);
  rb_Net->SetCaption(u"网络/WIFI");
  lbl_IP = Place<TLabel>(this, grp_Port, u"lbl_IP", 80, 198, 40, 16);
  lbl_IP->SetCaption(u"IP:");
  IP_Address = new ext::TExtIPAddress(this);
  IP_Address->SetName(u"IP_Address");
  IP_Address->SetParent(grp_Port);
  IP_Address->SetLeft(130);
  IP_Address->SetTop(194);
  IP_Address->SetText(kDefaultAddress);
  lbl_Port = Place<TLabel>(this, grp_Port, u"lbl_Port", 80, 236, 40, 16);
  lbl_Port->SetCaption(u"端口:");
  edt_Port = Place<ext::TExtSpinEdit>(this, grp_Port, u"edt_Port", 130, 232, 100, 24);
  edt_Port->SetCheckOptions({ext::coCheckOnExit});
  edt_Port->SetMinValue(kPortMin);
  edt_Port->SetMaxValue(kPortMax);
  edt_Port->SetValue(kPortDefault);

  rb_UART->SetChecked(true);

  KitPropertyStore1 = new kit::TKitPropertyStore(this);
  KitPropertyStore1->SetName(u"KitPropertyStore1");
  for (auto [c, name] : {std::pair<TComponent*, const char16_t*>{cbb_Port, u"Text"}, {IP_Address, u"Text"},
                         {edt_Port, u"Value"}, {rb_Net, u"Checked"}, {rb_UART, u"Checked"}, {rb_USB, u"Checked"}})
    KitPropertyStore1->AddProperty(c, name);

  OnCreate = [this](TObject* s) { FormCreate(s); };
  OnClose = [this](TObject* s, TCloseAction& a) { FormClose(s, a); };
}

TBoardPortFrm::~TBoardPortFrm() {
  if (BoardPortFrm == this) BoardPortFrm = nullptr;
}

std::array<std::uint8_t, 4> TBoardPortFrm::IP_Address_Octets() const {
  const ext::TExtIPAddressValues* v = IP_Address->AddressValues();
  return {v->Value1(), v->Value2(), v->Value3(), v->Value4()};
}

void TBoardPortFrm::FormCreate(TObject*) {
  KitPropertyStore1->SetRegIniFile(SaveRegFrm ? SaveRegFrm->KitRegIniFile1 : nullptr);
  KitPropertyStore1->Load();
}

void TBoardPortFrm::FormClose(TObject*, TCloseAction&) { KitPropertyStore1->Save(); }

}  // namespace desktop
