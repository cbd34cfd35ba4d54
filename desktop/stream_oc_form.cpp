#include "stream_oc_form.h"

namespace desktop {

TStream_OCFrm* Stream_OCFrm = nullptr;

const ui::TClassInfo& TStream_OCFrm::StaticClassInfo() {
  static const ui::TClassInfo info = ui::TClassBuilder<TStream_OCFrm>("TStream_OCFrm", &ui::TForm::StaticClassInfo()).Build();
  return info;
}

TStream_OCFrm::TStream_OCFrm(ui::TComponent* AOwner) : ui::TForm(AOwner) { SetName(u"Stream_OCFrm"); }

TStream_OCFrm::~TStream_OCFrm() {
  if (Stream_OCFrm == this) Stream_OCFrm = nullptr;
}

}  // namespace desktop
