#include "desktop/stream_delay_form.h"

#include "desktop/form_layout.h"
#include "desktop/stream_form_parts.h"

namespace desktop {

using namespace ui;

TStream_DelayFrm* Stream_DelayFrm = nullptr;

const TClassInfo& TStream_DelayFrm::StaticClassInfo() {
  static const TClassInfo info = TClassBuilder<TStream_DelayFrm>("TStream_DelayFrm", &TForm::StaticClassInfo()).Build();
  return info;
}

TStream_DelayFrm::TStream_DelayFrm(TComponent* AOwner) : TForm(AOwner) {
  SetName(u"Stream_DelayFrm");
  SetCaption(u"Stream_DelayFrm");
  SetBorderStyle(bsDialog);
  SetPosition(poDesktopCenter);
  SetClientWidth(300);
  SetClientHeight(130);
  lbl_Delay = Place<TLabel>(this, this, u"lbl_Delay", u"延时(ms)", 30, 34, 80, 16);
  edt_Delay = Place_Edit(this, this, u"edt_Delay", u"1000", 120, 30);
  Build_Dialog_Buttons(this, btn_OK, btn_Cancel);
}

TStream_DelayFrm::~TStream_DelayFrm() {
  if (Stream_DelayFrm == this) Stream_DelayFrm = nullptr;
}

}  // namespace desktop
