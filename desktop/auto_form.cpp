#include "auto_form.h"

namespace desktop {

TAutoFrm* AutoFrm = nullptr;

const ui::TClassInfo& TAutoFrm::StaticClassInfo() {
  static const ui::TClassInfo info = ui::TClassBuilder<TAutoFrm>("TAutoFrm", &ui::TForm::StaticClassInfo()).Build();
  return info;
}

TAutoFrm::TAutoFrm(ui::TComponent* AOwner) : ui::TForm(AOwner) { SetName(u"AutoFrm"); }

TAutoFrm::~TAutoFrm() {
  if (AutoFrm == this) AutoFrm = nullptr;
}

}  // namespace desktop
