#include "desktop/run_config_form.h"

namespace desktop {

using namespace ui;

const TClassInfo& TRunConfigFrm::StaticClassInfo() {
  static const TClassInfo info = TClassBuilder<TRunConfigFrm>("TRunConfigFrm", &TFrame::StaticClassInfo()).Build();
  return info;
}

namespace {

template <class T>
T* NewChoice(TRunConfigFrm* Frame, TWinControl* Parent, const char16_t* Name, const char16_t* Caption, int Left,
             int Width) {
  auto* c = new T(Frame);
  c->SetName(Name);
  c->SetParent(Parent);
  c->SetBounds(Left, 24, Width, 17);
  c->SetCaption(Caption);
  return c;
}

}  // namespace

TRunConfigFrm::TRunConfigFrm(TComponent* AOwner) : TFrame(AOwner) {
  SetBounds(0, 0, 489, 59);
  grp_Ch = new TGroupBox(this);
  grp_Ch->SetName(u"grp_Ch");
  grp_Ch->SetParent(this);
  grp_Ch->SetBounds(3, 2, 481, 53);
  chk_Run = NewChoice<TCheckBox>(this, grp_Ch, u"chk_Run", u"启动", 16, 80);
  chk_Run->SetChecked(true);
  rb_Pos_Abs = NewChoice<TRadioButton>(this, grp_Ch, u"rb_Pos_Abs", u"回零", 130, 90);
  rb_Pos_Rel = NewChoice<TRadioButton>(this, grp_Ch, u"rb_Pos_Rel", u"单步", 240, 90);
  rb_Home = NewChoice<TRadioButton>(this, grp_Ch, u"rb_Home", u"查找零位", 350, 110);
  rb_Pos_Rel->SetChecked(true);
}

TRunConfigFrm::~TRunConfigFrm() = default;

}  // namespace desktop
