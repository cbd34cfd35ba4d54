#include "output_form.h"

namespace desktop {

TOutputFrm* OutputFrm = nullptr;

const ui::TClassInfo& TOutputFrm::StaticClassInfo() {
  static const ui::TClassInfo info = ui::TClassBuilder<TOutputFrm>("TOutputFrm", &ui::TForm::StaticClassInfo()).Build();
  return info;
}

TOutputFrm::TOutputFrm(ui::TComponent* AOwner) : ui::TForm(AOwner) { SetName(u"OutputFrm"); }

TOutputFrm::~TOutputFrm() {
  if (OutputFrm == this) OutputFrm = nullptr;
}

}  // namespace desktop
