// Placing the controls of a window's layout: each one owned by the window,
// named, on its parent, at its bounds.
#pragma once

#include "platform/ui/ui.h"

namespace desktop {

template <class T>
T* Place(ui::TComponent* Owner, ui::TWinControl* Parent, const char16_t* Name, int Left, int Top, int Width,
         int Height) {
  auto* c = new T(Owner);
  c->SetName(Name);
  c->SetParent(Parent);
  c->SetBounds(Left, Top, Width, Height);
  return c;
}

// A control with its caption; labels, group boxes, buttons, check boxes.
template <class T>
T* Place(ui::TComponent* Owner, ui::TWinControl* Parent, const char16_t* Name, const rtl::String& Caption, int Left,
         int Top, int Width, int Height) {
  T* c = Place<T>(Owner, Parent, Name, Left, Top, Width, Height);
  c->SetCaption(Caption);
  return c;
}

// An edit with its text.
inline ui::TEdit* Place_Edit(ui::TComponent* Owner, ui::TWinControl* Parent, const char16_t* Name,
                             const rtl::String& Text, int Left, int Top, int Width = 120, int Height = 22) {
  auto* e = Place<ui::TEdit>(Owner, Parent, Name, Left, Top, Width, Height);
  e->SetText(Text);
  return e;
}

}  // namespace desktop
