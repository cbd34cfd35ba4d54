#include "desktop/stream_optic_form.h"

#include "desktop/stream_form_parts.h"

namespace desktop {

using namespace ui;

TStream_OpticFrm* Stream_OpticFrm = nullptr;

const TClassInfo& TStream_OpticFrm::StaticClassInfo() {
  static const TClassInfo info = TClassBuilder<TStream_OpticFrm>("TStream_OpticFrm", &TForm::StaticClassInfo()).Build();
  return info;
}

TStream_OpticFrm::TStream_OpticFrm(TComponent* AOwner) : TForm(AOwner) {
  SetName(u"Stream_OpticFrm");
  SetCaption(u"Stream_OpticFrm");
  Build_Output_State_Dialog(this);
}

TStream_OpticFrm::~TStream_OpticFrm() {
  if (Stream_OpticFrm == this) Stream_OpticFrm = nullptr;
}

}  // namespace desktop
