#include "desktop/run_config_form.h"

#include "platform/ui/form_layout.h"

namespace desktop {

using namespace ui;

const TClassInfo& TRunConfigFrm::StaticClassInfo() {
  static const TClassInfo info = TClassBuilder<TRunConfigFrm>("TRunConfigFrm", &TFrame::StaticClassInfo()).Build();
  return info;
}

TRunConfigFrm::TRunConfigFrm(TComponent* AOwner) : TFrame(AOwner) {
  SetBounds(0, 0, 489, 59);
  grp_Ch = Place<TGroupBox>(this, this, u"grp_Ch", 3, 2, 481, 53);
  chk_Run = Place<TCheckBox>(this, grp_Ch, u"chk_Run", u"启动", 16, 24, 80, 17);
  chk_Run->SetChecked(true);
  rb_Pos_Abs = Place<TRadioButton>(this, grp_Ch, u"rb_Pos_Abs", u"回零", 130, 24, 90, 17);
  rb_Pos_Rel = Place<TRadioButton>(this, grp_Ch, u"rb_Pos_Rel", u"单步", 240, 24, 90, 17);
  rb_Home = Place<TRadioButton>(this, grp_Ch, u"rb_Home", u"查找零位", 350, 24, 110, 17);
  rb_Pos_Rel->SetChecked(true);
}

TRunConfigFrm::~TRunConfigFrm() = default;

}  // namespace desktop
