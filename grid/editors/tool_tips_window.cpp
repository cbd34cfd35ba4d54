#include "grid/editors/tool_tips_window.h"

#include "platform/classes/typinfo.h"

namespace grid {

using namespace ui;

const TClassInfo& TToolTipsWindow::StaticClassInfo() {
  static const TClassInfo info =
      TClassBuilder<TToolTipsWindow>("TToolTipsWindow", &THintWindow::StaticClassInfo()).Build();
  return info;
}

TToolTipsWindow::TToolTipsWindow(TComponent* AOwner) : THintWindow(AOwner) {}

TToolTipsWindow::~TToolTipsWindow() = default;

TRect TToolTipsWindow::CalcHintRect(int MaxWidth, const String& Hint, void* Data) {
  // The text reads as it does in the editor, so it is shown in the editor's font.
  if (Data) Font()->Assign(static_cast<const TFont*>(Data));
  // A tool tip reads in the tip's own text colour, whatever colour the cell's font has.
  Font()->SetColor(clWindowText);
  return THintWindow::CalcHintRect(MaxWidth, Hint, Data);
}

}  // namespace grid
