// The window an editor shows its whole text in when the text does not fit:
// an ordinary tool tip drawn in the font the editor hands over with it.
#pragma once

#include "platform/ui/hint_window.h"

namespace grid {

class TToolTipsWindow : public ui::THintWindow {
  JQ_UI_CLASSINFO
 public:
  explicit TToolTipsWindow(ui::TComponent* AOwner);
  ~TToolTipsWindow() override;

  // Data: the font (a ui::TFont) the text is measured and drawn in, or none.
  ui::TRect CalcHintRect(int MaxWidth, const ui::String& Hint, void* Data) override;
};

}  // namespace grid
