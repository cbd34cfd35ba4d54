#include "stream_optic_form.h"

#include "form_layout.h"
#include "stream_form_parts.h"

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
  SetBorderStyle(bsDialog);
  SetPosition(poDesktopCenter);
  SetClientWidth(300);
  SetClientHeight(160);
  lbl_Ch = Place<TLabel>(this, this, u"lbl_Ch", u"通道序号", 30, 34, 80, 16);
  edt_Ch = Place_Edit(this, this, u"edt_Ch", u"0", 120, 30);
  rb_High = Place<TRadioButton>(this, this, u"rb_High", u"开", 60, 70, 60, 20);
  rb_Low = Place<TRadioButton>(this, this, u"rb_Low", u"关", 160, 70, 60, 20);
  rb_High->SetChecked(true);
  Build_Dialog_Buttons(this, btn_OK, btn_Cancel);
}

TStream_OpticFrm::~TStream_OpticFrm() {
  if (Stream_OpticFrm == this) Stream_OpticFrm = nullptr;
}

}  // namespace desktop
