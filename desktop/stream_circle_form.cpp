#include "stream_circle_form.h"

namespace desktop {

TStream_CircleFrm* Stream_CircleFrm = nullptr;

const ui::TClassInfo& TStream_CircleFrm::StaticClassInfo() {
  static const ui::TClassInfo info = ui::TClassBuilder<TStream_CircleFrm>("TStream_CircleFrm", &ui::TForm::StaticClassInfo()).Build();
  return info;
}

TStream_CircleFrm::TStream_CircleFrm(ui::TComponent* AOwner) : ui::TForm(AOwner) { SetName(u"Stream_CircleFrm"); }

TStream_CircleFrm::~TStream_CircleFrm() {
  if (Stream_CircleFrm == this) Stream_CircleFrm = nullptr;
}

}  // namespace desktop
