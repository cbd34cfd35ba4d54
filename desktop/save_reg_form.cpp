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
  // Said once, here: the dialogs that use the file then start from their defaults.
  const rtl::String error = KitRegIniFile1->LoadError();
  if (!error.empty())
    ui::MessageDlg(u"保存的窗口设置无法读取, 本次使用默认设置, 该文件不会被改写: " + error, ui::mtWarning,
                   ui::TMsgDlgButtons{ui::mbOK});
}

TSaveRegFrm::~TSaveRegFrm() {
  if (SaveRegFrm == this) SaveRegFrm = nullptr;
}

}  // namespace desktop
