#include "desktop/stream_oc_form.h"

#include "desktop/stream_form_parts.h"

namespace desktop {

using namespace ui;

TStream_OCFrm* Stream_OCFrm = nullptr;

const TClassInfo& TStream_OCFrm::StaticClassInfo() {
  static const TClassInfo info = TClassBuilder<TStream_OCFrm>("TStream_OCFrm", &TForm::StaticClassInfo()).Build();
  return info;
}

TStream_OCFrm::TStream_OCFrm(TComponent* AOwner) : TForm(AOwner) {
  SetName(u"Stream_OCFrm");
  SetCaption(u"Stream_OCFrm");
  Build_Output_State_Dialog(this);
}

TStream_OCFrm::~TStream_OCFrm() {
  if (Stream_OCFrm == this) Stream_OCFrm = nullptr;
}

}  // namespace desktop
