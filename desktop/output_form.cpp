#include "desktop/output_form.h"

#include "include/JQ_API.h"

namespace desktop {

using namespace ui;

TOutputFrm* OutputFrm = nullptr;

const TClassInfo& TOutputFrm::StaticClassInfo() {
  static const TClassInfo info = TClassBuilder<TOutputFrm>("TOutputFrm", &TForm::StaticClassInfo()).Build();
  return info;
}

TOutputFrm::TOutputFrm(TComponent* AOwner) : TForm(AOwner) {
  SetName(u"OutputFrm");
  SetCaption(u"输出控制");
  SetPosition(poScreenCenter);
  SetClientWidth(784);
  SetClientHeight(561);

  box_Optic_Out = new TScrollBox(this);
  box_Optic_Out->SetName(u"box_Optic_Out");
  box_Optic_Out->SetParent(this);
  box_Optic_Out->SetAlign(alClient);
}

TOutputFrm::~TOutputFrm() {
  if (OutputFrm == this) OutputFrm = nullptr;
}

void TOutputFrm::On_Optic_Out(TObject* Sender) {
  auto* lamp = dynamic_cast<TPanel*>(Sender);
  if (!lamp) return;
  auto channel = static_cast<std::uint16_t>(lamp->Tag());
  JQ_Set_Optic_Out_Single(channel, lamp->Color() == clRed ? 1 : 0);
  std::int32_t value = 0;
  JQ_Get_Optic_Out_Single(channel, &value);
  lamp->SetColor(value < 1 ? clRed : clGreen);
}

}  // namespace desktop
