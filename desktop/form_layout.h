// The program's windows lay themselves out with the toolkit's Place; an edit
// here comes with its text and the windows' usual size.
#pragma once

#include "platform/ui/form_layout.h"
#include "platform/ui/ui.h"

namespace desktop {

using ui::Place;

inline ui::TEdit* Place_Edit(ui::TComponent* Owner, ui::TWinControl* Parent, const char16_t* Name,
                             const rtl::String& Text, int Left, int Top, int Width = 120, int Height = 22) {
  auto* e = Place<ui::TEdit>(Owner, Parent, Name, Left, Top, Width, Height);
  e->SetText(Text);
  return e;
}

}  // namespace desktop
