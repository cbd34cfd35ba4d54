#include "components/support/ports/com_setup_form.h"

#include "components/support/ports/com_port.h"
#include "platform/ui/form_layout.h"

namespace kit {

using namespace ui;

const TClassInfo& TComSetupFrm::StaticClassInfo() {
  static const TClassInfo info = TClassBuilder<TComSetupFrm>("TComSetupFrm", &TForm::StaticClassInfo()).Build();
  return info;
}

TComSetupFrm::TComSetupFrm(TComponent* AOwner) : TForm(AOwner) {
  SetName(u"ComSetupFrm");
  SetCaption(u"Setup");
  SetBorderStyle(bsDialog);
  SetPosition(poScreenCenter);
  SetClientWidth(250);
  SetClientHeight(228);

  GroupBox1 = Place<TGroupBox>(this, this, u"GroupBox1", 8, 8, 234, 180);
  GroupBox1->SetCaption(u" Settings ");
  struct Row {
    TLabel** label;
    TComComboBox** combo;
    const char16_t* labelName;
    const char16_t* comboName;
    const char16_t* caption;
    TComProperty kind;
  };
  const Row rows[] = {
      {&Label1, &Combo1, u"Label1", u"Combo1", u"Port", cpPort},
      {&Label2, &Combo2, u"Label2", u"Combo2", u"Baud rate", cpBaudRate},
      {&Label3, &Combo3, u"Label3", u"Combo3", u"Data bits", cpDataBits},
      {&Label4, &Combo4, u"Label4", u"Combo4", u"Stop bits", cpStopBits},
      {&Label5, &Combo5, u"Label5", u"Combo5", u"Parity", cpParity},
      {&Label6, &Combo6, u"Label6", u"Combo6", u"Flow control", cpFlowControl},
  };
  int top = 24;
  for (const Row& r : rows) {
    *r.label = Place<TLabel>(this, GroupBox1, r.labelName, 12, top + 4, 80, 16);
    (*r.label)->SetCaption(r.caption);
    *r.combo = Place<TComComboBox>(this, GroupBox1, r.comboName, 100, top, 120, 24);
    (*r.combo)->SetComProperty(r.kind);
    top += 25;
  }

  Button1 = Place<TButton>(this, this, u"Button1", 86, 196, 75, 25);
  Button1->SetCaption(u"OK");
  Button1->SetDefault(true);
  Button1->SetModalResult(mrOk);
  Button2 = Place<TButton>(this, this, u"Button2", 167, 196, 75, 25);
  Button2->SetCaption(u"Cancel");
  Button2->SetModalResult(mrCancel);
}

void TCustomComPort::ShowSetupDialog() {
  auto* dialog = new TComSetupFrm(Application);
  struct Freer {
    TComSetupFrm* form;
    ~Freer() { Free(form); }
  } freer{dialog};
  dialog->AfterConstruction();
  TComComboBox* boxes[] = {dialog->Combo1, dialog->Combo2, dialog->Combo3,
                           dialog->Combo4, dialog->Combo5, dialog->Combo6};
  for (TComComboBox* box : boxes) {
    box->SetComPort(this);
    box->UpdateSettings();
  }
  if (dialog->ShowModal() != mrOk) return;
  BeginUpdate();
  try {
    for (TComComboBox* box : boxes) box->ApplySettings();
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

}  // namespace kit
