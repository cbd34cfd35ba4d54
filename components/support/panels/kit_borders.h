// Border painters behind every frame style, the panel's complete frame, and
// small drawing helpers of the library. Each painter draws one-pixel lines
// and returns the rectangle inside what it drew.
#pragma once

#include <memory>

#include "components/support/panels/kit_common.h"

namespace kit {

TRect DrawSides(TCanvas* Canvas, TRect Bounds, TColor ULColor, TColor LRColor, TSides Sides);
TRect DrawBox(TCanvas* Canvas, TRect Bounds, TColor ULColor, TSides Sides, int Count, TColor LRColor);
TRect DrawBorderSides(TCanvas* Canvas, TRect Bounds, TFrameStyle Style, TSides Sides);
TRect DrawBorder(TCanvas* Canvas, const TRect& Bounds, TFrameStyle Style);
TRect DrawRoundedFlatBorder(TCanvas* Canvas, TRect Bounds, TColor Color, TSides Sides);

struct TFrameParams {
  TFrameStyle OuterStyle = fsNone;
  bool FlatOnly = false;
  bool Transparent = false;
  TColor ParentColor = ui::clBtnFace;
  TColor PanelColor = ui::clBtnFace;
  int FlatColorAdjustment = 0;
  TColor FlatColor = ui::clBtnShadow;
  TColor BorderShadow = ui::clBtnShadow;
  TColor BorderHighlight = ui::clBtnHighlight;
  TColor BorderColor = ui::clBtnFace;
  int BevelWidth = 1;
  TSides Sides = sdAllSides;
  int BorderWidth = 0;
  TFrameStyle InnerStyle = fsNone;
};
// The panel's frame: outer style, border band, inner style. Returns the client area.
TRect DrawFrame(TCanvas* Canvas, TRect Bounds, const TFrameParams& P);

// Repaints every child that publishes Transparent = true.
void InvalidateTransparentChildren(ui::TWinControl* Panel);

// A copy of the font turned by Angle degrees (counter-clockwise); bold
// fonts stay bold. The caller owns it.
std::unique_ptr<ui::TFont> CreateRotatedFont(const ui::TFont* Font, int Angle);

// The last character; raises ERangeError for an empty text.
char16_t LastChar(const String& Text);

}  // namespace kit
