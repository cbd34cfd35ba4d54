#include "input_form.h"

namespace desktop {

TInputFrm* InputFrm = nullptr;

const ui::TClassInfo& TInputFrm::StaticClassInfo() {
  static const ui::TClassInfo info = ui::TClassBuilder<TInputFrm>("TInputFrm", &ui::TForm::StaticClassInfo()).Build();
  return info;
}

TInputFrm::TInputFrm(ui::TComponent* AOwner) : ui::TForm(AOwner) { SetName(u"InputFrm"); }

TInputFrm::~TInputFrm() {
  if (InputFrm == this) InputFrm = nullptr;
}

}  // namespace desktop
