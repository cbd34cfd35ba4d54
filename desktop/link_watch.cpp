#include "desktop/link_watch.h"

#include "platform/runtime/ticks.h"

namespace desktop {

void TLinkWatch::Answered(bool Ok) {
  bool lost = lost_;
  if (Ok) {
    failing_ = false;
    lost = false;
  } else if (!failing_) {
    failing_ = true;
    failingSince_ = rtl::GetTickCount();
  } else if (rtl::GetTickCount() - failingSince_ >= kLostAfterMs) {
    lost = true;
  }
  if (lost == lost_) return;
  lost_ = lost;
  if (OnChange) OnChange(lost_);
}

void TLinkWatch::Reset() {
  failing_ = false;
  lost_ = false;
}

TLinkWatch& Link_Watch() {
  static TLinkWatch watch;
  return watch;
}

}  // namespace desktop
