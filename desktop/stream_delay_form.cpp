#include "stream_delay_form.h"

namespace desktop {

TStream_DelayFrm* Stream_DelayFrm = nullptr;

const ui::TClassInfo& TStream_DelayFrm::StaticClassInfo() {
  static const ui::TClassInfo info = ui::TClassBuilder<TStream_DelayFrm>("TStream_DelayFrm", &ui::TForm::StaticClassInfo()).Build();
  return info;
}

TStream_DelayFrm::TStream_DelayFrm(ui::TComponent* AOwner) : ui::TForm(AOwner) { SetName(u"Stream_DelayFrm"); }

TStream_DelayFrm::~TStream_DelayFrm() {
  if (Stream_DelayFrm == this) Stream_DelayFrm = nullptr;
}

}  // namespace desktop
