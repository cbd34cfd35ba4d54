#include "desktop/save_reg_form.h"

#include "desktop/settings_file.h"

namespace desktop {

TSaveRegFrm* SaveRegFrm = nullptr;

const ui::TClassInfo& TSaveRegFrm::StaticClassInfo() {
  static const ui::TClassInfo info = ui::TClassBuilder<TSaveRegFrm>("TSaveRegFrm", &ui::TForm::StaticClassInfo()).Build();
  return info;
}

TSaveRegFrm::TSaveRegFrm(ui::TComponent* AOwner) : ui::TForm(AOwner) {
  SetName(u"SaveRegFrm");
  SetCaption(u"SaveRegFrm");
  KitRegIniFile1 = new kit::TKitRegIniFile(this);
  KitRegIniFile1->SetName(u"KitRegIniFile1");
  KitRegIniFile1->SetPath(Remembered_State_File_Name());
}

TSaveRegFrm::~TSaveRegFrm() {
  if (SaveRegFrm == this) SaveRegFrm = nullptr;
}

}  // namespace desktop
