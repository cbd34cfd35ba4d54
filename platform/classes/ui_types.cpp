#include "platform/classes/ui_types.h"

#include <algorithm>

namespace ui {

bool IntersectRect(TRect& dst, const TRect& a, const TRect& b) {
  TRect r = Rect(std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
                 std::min(a.Bottom, b.Bottom));
  if (r.IsEmpty()) {
    dst = {};
    return false;
  }
  dst = r;
  return true;
}

TRect UnionRect(const TRect& a, const TRect& b) {
  if (a.IsEmpty()) return b;
  if (b.IsEmpty()) return a;
  return Rect(std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right),
              std::max(a.Bottom, b.Bottom));
}

}  // namespace ui
