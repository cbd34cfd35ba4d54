// Window scroll bars: the record and numbers of the scroll-information calls
// and of window-content scrolling. The calls are members of TWinControl.
#pragma once

#include <cstdint>

namespace ui {

// Which bar.
constexpr int SB_HORZ = 0;
constexpr int SB_VERT = 1;
constexpr int SB_CTL = 2;
constexpr int SB_BOTH = 3;

// Fields of TScrollInfo that a call reads or fills.
constexpr unsigned SIF_RANGE = 0x0001;
constexpr unsigned SIF_PAGE = 0x0002;
constexpr unsigned SIF_POS = 0x0004;
constexpr unsigned SIF_DISABLENOSCROLL = 0x0008;
constexpr unsigned SIF_TRACKPOS = 0x0010;
constexpr unsigned SIF_ALL = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS;

// EnableScrollBar arrows.
constexpr unsigned ESB_ENABLE_BOTH = 0x0000;
constexpr unsigned ESB_DISABLE_BOTH = 0x0003;

// ScrollWindowEx flags.
constexpr unsigned SW_SCROLLCHILDREN = 0x0001;
constexpr unsigned SW_INVALIDATE = 0x0002;
constexpr unsigned SW_ERASE = 0x0004;

// One notch of a mouse wheel.
constexpr int WHEEL_DELTA = 120;

// Ranges and positions are full 32-bit values.
struct TScrollInfo {
  unsigned cbSize = sizeof(TScrollInfo);
  unsigned fMask = 0;
  int nMin = 0;
  int nMax = 0;
  unsigned nPage = 0;
  int nPos = 0;
  int nTrackPos = 0;
};

}  // namespace ui
