#include "stream_optic_form.h"

namespace desktop {

TStream_OpticFrm* Stream_OpticFrm = nullptr;

const ui::TClassInfo& TStream_OpticFrm::StaticClassInfo() {
  static const ui::TClassInfo info = ui::TClassBuilder<TStream_OpticFrm>("TStream_OpticFrm", &ui::TForm::StaticClassInfo()).Build();
  return info;
}

TStream_OpticFrm::TStream_OpticFrm(ui::TComponent* AOwner) : ui::TForm(AOwner) { SetName(u"Stream_OpticFrm"); }

TStream_OpticFrm::~TStream_OpticFrm() {
  if (Stream_OpticFrm == this) Stream_OpticFrm = nullptr;
}

}  // namespace desktop
