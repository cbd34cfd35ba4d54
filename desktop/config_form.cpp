#include "config_form.h"

namespace desktop {

TConfigFrm* ConfigFrm = nullptr;

const ui::TClassInfo& TConfigFrm::StaticClassInfo() {
  static const ui::TClassInfo info = ui::TClassBuilder<TConfigFrm>("TConfigFrm", &ui::TForm::StaticClassInfo()).Build();
  return info;
}

TConfigFrm::TConfigFrm(ui::TComponent* AOwner) : ui::TForm(AOwner) { SetName(u"ConfigFrm"); }

void TConfigFrm::Set_Config(std::int32_t, std::int32_t) {}

TConfigFrm::~TConfigFrm() {
  if (ConfigFrm == this) ConfigFrm = nullptr;
}

}  // namespace desktop
