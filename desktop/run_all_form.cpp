#include "run_all_form.h"

namespace desktop {

TRunAllFrm* RunAllFrm = nullptr;

const ui::TClassInfo& TRunAllFrm::StaticClassInfo() {
  static const ui::TClassInfo info = ui::TClassBuilder<TRunAllFrm>("TRunAllFrm", &ui::TForm::StaticClassInfo()).Build();
  return info;
}

TRunAllFrm::TRunAllFrm(ui::TComponent* AOwner) : ui::TForm(AOwner) { SetName(u"RunAllFrm"); }

TRunAllFrm::~TRunAllFrm() {
  if (RunAllFrm == this) RunAllFrm = nullptr;
}

}  // namespace desktop
