#include "calc_form.h"

namespace desktop {

TCalcFrm* CalcFrm = nullptr;

const ui::TClassInfo& TCalcFrm::StaticClassInfo() {
  static const ui::TClassInfo info = ui::TClassBuilder<TCalcFrm>("TCalcFrm", &ui::TForm::StaticClassInfo()).Build();
  return info;
}

TCalcFrm::TCalcFrm(ui::TComponent* AOwner) : ui::TForm(AOwner) { SetName(u"CalcFrm"); }

TCalcFrm::~TCalcFrm() {
  if (CalcFrm == this) CalcFrm = nullptr;
}

}  // namespace desktop
