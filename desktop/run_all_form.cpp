#include "desktop/run_all_form.h"

namespace desktop {

using namespace ui;

TRunAllFrm* RunAllFrm = nullptr;

const TClassInfo& TRunAllFrm::StaticClassInfo() {
  static const TClassInfo info = TClassBuilder<TRunAllFrm>("TRunAllFrm", &TForm::StaticClassInfo()).Build();
  return info;
}

TRunAllFrm::TRunAllFrm(TComponent* AOwner) : TForm(AOwner) {
  SetName(u"RunAllFrm");
  SetCaption(u"同时启动");
  SetBorderStyle(bsDialog);
  SetPosition(poScreenCenter);
  SetClientWidth(498);
  SetClientHeight(365);

  grp_Action = new TGroupBox(this);
  grp_Action->SetName(u"grp_Action");
  grp_Action->SetParent(this);
  grp_Action->SetAlign(alBottom);
  grp_Action->SetHeight(57);
  grp_Action->SetCaption(String());

  BitBtn1 = new TBitBtn(this);
  BitBtn1->SetName(u"BitBtn1");
  BitBtn1->SetParent(grp_Action);
  BitBtn1->SetBounds(150, 14, 90, 30);
  BitBtn1->SetCaption(u"确定");
  BitBtn1->SetModalResult(mrOk);
  BitBtn1->SetDefault(true);

  BitBtn2 = new TBitBtn(this);
  BitBtn2->SetName(u"BitBtn2");
  BitBtn2->SetParent(grp_Action);
  BitBtn2->SetBounds(260, 14, 90, 30);
  BitBtn2->SetCaption(u"取消");
  BitBtn2->SetModalResult(mrCancel);
  BitBtn2->SetCancel(true);

  Box_RunAll = new TScrollBox(this);
  Box_RunAll->SetName(u"Box_RunAll");
  Box_RunAll->SetParent(this);
  Box_RunAll->SetAlign(alClient);
  Box_RunAll->SetBorderStyle(bsNone);
}

TRunAllFrm::~TRunAllFrm() {
  if (RunAllFrm == this) RunAllFrm = nullptr;
}

}  // namespace desktop
