// Placing the controls of a window's layout in code: each one owned by the
// window (which frees it), named (so streaming and look-ups find it), on its
// parent, at its bounds.
#pragma once

#include "platform/ui/ui.h"

namespace ui {

template <class T>
T* Place(TComponent* Owner, TWinControl* Parent, const char16_t* Name, int Left, int Top, int Width, int Height) {
  auto* c = new T(Owner);
  c->SetName(Name);
  c->SetParent(Parent);
  c->SetBounds(Left, Top, Width, Height);
  return c;
}

// A control with its caption; labels, group boxes, buttons, check boxes.
template <class T>
T* Place(TComponent* Owner, TWinControl* Parent, const char16_t* Name, const String& Caption, int Left, int Top,
         int Width, int Height) {
  T* c = Place<T>(Owner, Parent, Name, Left, Top, Width, Height);
  c->SetCaption(Caption);
  return c;
}

}  // namespace ui
