#include "save_reg_form.h"

namespace desktop {

TSaveRegFrm* SaveRegFrm = nullptr;

const ui::TClassInfo& TSaveRegFrm::StaticClassInfo() {
  static const ui::TClassInfo info = ui::TClassBuilder<TSaveRegFrm>("TSaveRegFrm", &ui::TForm::StaticClassInfo()).Build();
  return info;
}

TSaveRegFrm::TSaveRegFrm(ui::TComponent* AOwner) : ui::TForm(AOwner) {
  SetName(u"SaveRegFrm");
  SetCaption(u"SaveRegFrm");
}

TSaveRegFrm::~TSaveRegFrm() {
  if (SaveRegFrm == this) SaveRegFrm = nullptr;
}

}  // namespace desktop
