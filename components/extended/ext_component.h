// Component base of the extended-control library: the window layer's
// component plus the design-time "About" text.
#pragma once

#include "platform/classes/classes.h"

namespace ext {

class TExtComponent : public ui::TComponent {
  JQ_UI_CLASSINFO
 public:
  explicit TExtComponent(ui::TComponent* AOwner) : ui::TComponent(AOwner) {}
  // Shown in the designer; reading gives the library's name, writing is ignored.
  rtl::String About() const { return u"Extended controls"; }
  void SetAbout(const rtl::String&) {}
};

}  // namespace ext
