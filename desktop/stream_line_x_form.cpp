#include "stream_line_x_form.h"

namespace desktop {

TStream_LineXFrm* Stream_LineXFrm = nullptr;

const ui::TClassInfo& TStream_LineXFrm::StaticClassInfo() {
  static const ui::TClassInfo info = ui::TClassBuilder<TStream_LineXFrm>("TStream_LineXFrm", &ui::TForm::StaticClassInfo()).Build();
  return info;
}

TStream_LineXFrm::TStream_LineXFrm(ui::TComponent* AOwner) : ui::TForm(AOwner) { SetName(u"Stream_LineXFrm"); }

TStream_LineXFrm::~TStream_LineXFrm() {
  if (Stream_LineXFrm == this) Stream_LineXFrm = nullptr;
}

}  // namespace desktop
