#include "board_port_form.h"

namespace desktop {

TBoardPortFrm* BoardPortFrm = nullptr;

const ui::TClassInfo& TBoardPortFrm::StaticClassInfo() {
  static const ui::TClassInfo info = ui::TClassBuilder<TBoardPortFrm>("TBoardPortFrm", &ui::TForm::StaticClassInfo()).Build();
  return info;
}

TBoardPortFrm::TBoardPortFrm(ui::TComponent* AOwner) : ui::TForm(AOwner) { SetName(u"BoardPortFrm"); }

TBoardPortFrm::~TBoardPortFrm() {
  if (BoardPortFrm == this) BoardPortFrm = nullptr;
}

}  // namespace desktop
