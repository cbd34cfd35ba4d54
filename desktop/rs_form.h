// Hidden window that registers the program's message texts by name with the
// language-resource registry while it is created.
#pragma once

#include "platform/ui/ui.h"

namespace desktop {

class TrsFrm : public ui::TForm {
  JQ_UI_CLASSINFO
 public:
  explicit TrsFrm(ui::TComponent* AOwner);
  ~TrsFrm() override;

  void FormCreate(ui::TObject* Sender);
};

extern TrsFrm* rsFrm;

}  // namespace desktop
