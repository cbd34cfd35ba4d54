#include "desktop/input_form.h"

#include "include/JQ_API.h"

namespace desktop {

using namespace ui;

TInputFrm* InputFrm = nullptr;

const TClassInfo& TInputFrm::StaticClassInfo() {
  static const TClassInfo info = TClassBuilder<TInputFrm>("TInputFrm", &TForm::StaticClassInfo()).Build();
  return info;
}

TInputFrm::TInputFrm(TComponent* AOwner) : TForm(AOwner) {
  SetName(u"InputFrm");
  SetCaption(u"输入信号");
  SetPosition(poScreenCenter);
  SetClientWidth(784);
  SetClientHeight(561);

  box_Optic_In = new TScrollBox(this);
  box_Optic_In->SetName(u"box_Optic_In");
  box_Optic_In->SetParent(this);
  box_Optic_In->SetAlign(alClient);

  tmr_Optic_In = new TTimer(this);
  tmr_Optic_In->SetName(u"tmr_Optic_In");
  tmr_Optic_In->SetEnabled(false);
  tmr_Optic_In->SetInterval(1000);
  tmr_Optic_In->OnTimer = [this](TObject* s) { tmr_Optic_InTimer(s); };

  OnShow = [this](TObject* s) { FormShow(s); };
  OnHide = [this](TObject* s) { FormHide(s); };
}

TInputFrm::~TInputFrm() {
  if (InputFrm == this) InputFrm = nullptr;
}

void TInputFrm::FormShow(TObject*) { tmr_Optic_In->SetEnabled(true); }

void TInputFrm::FormHide(TObject*) { tmr_Optic_In->SetEnabled(false); }

void TInputFrm::tmr_Optic_InTimer(TObject*) {
  if (F_Optic_In_Max < 1) return;
  for (int i = 0; i < box_Optic_In->ControlCount(); ++i) {
    auto* lamp = dynamic_cast<TPanel*>(box_Optic_In->Controls(i));
    if (!lamp) continue;
    std::int32_t value = 0;
    JQ_Get_Optic_In_Single(static_cast<std::uint16_t>(lamp->Tag()), &value);
    lamp->SetColor(value < 1 ? clGreen : clRed);
  }
}

}  // namespace desktop
