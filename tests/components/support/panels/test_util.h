// Shared helpers of the panel library's tests.
#pragma once

#include <gtest/gtest.h>

#include "platform/ui/ui.h"
#include "platform/ui/themes.h"

namespace paneltest {

inline std::uint32_t Rgb(ui::TColor c) { return ui::ColorToRGB(c); }

// The boards' background: a colour no drawing under test uses.
inline constexpr ui::TColor kBack = ui::clFuchsia;

// A bitmap of one colour to draw on and probe.
struct Board {
  ui::TBitmap bmp;
  Board(int w, int h, ui::TColor back = kBack) : bmp(w, h) {
    bmp.Canvas()->Brush()->SetColor(back);
    bmp.Canvas()->FillRect(ui::Rect(0, 0, w, h));
  }
  ui::TCanvas* C() { return bmp.Canvas(); }
  std::uint32_t At(int x, int y) { return Rgb(bmp.Canvas()->Pixel(x, y)); }
};

// Classic drawing, pixel for pixel, for the length of a test.
struct ClassicLook {
  ClassicLook() { ui::SetThemesEnabled(false); }
  ~ClassicLook() { ui::SetThemesEnabled(true); }
};

}  // namespace paneltest
