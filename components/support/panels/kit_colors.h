// Colour arithmetic in the hue-saturation-luminance model (0..240 scales),
// the platform's colour scheme and the colour pairs of the XP and gradient
// looks.
#pragma once

#include <cstdint>

#include "components/support/panels/kit_common.h"

namespace kit {

void ColorToHSL(TColor Color, std::uint8_t& H, std::uint8_t& S, std::uint8_t& L);
TColor ColorFromHsl(std::uint8_t H, std::uint8_t S, std::uint8_t L);
TColor DarkenColor(TColor Color, int Amount);
TColor LightenColor(TColor Color, int Amount);
// Positive amounts lighten, negative darken; beyond +-255 raises ERangeError.
TColor AdjustColor(TColor Color, int Amount);
// Raises ERangeError for an adjustment AdjustColor would refuse, so setters
// refuse it once instead of every paint raising.
void CheckColorAdjustment(int Amount);

// The visual colour scheme: 0 blue, 1 olive, 2 silver.
int ColorScheme();
// Reads the scheme from the registry (current user,
// Software\Microsoft\Windows\CurrentVersion\ThemeManager, "ColorName").
int ReadColorScheme();
// Reads the scheme again into the module state (start-up, theme change).
void RefreshColorScheme();

void GetPanelGradientColors(TKitGradientColorStyle Style, TColor& Start, TColor& Stop);
TColor GetXPFrameColor(TKitGradientColorStyle Style);
void GetGradientSchemeColors(TKitGradientColorStyle Style, TColor& Frame, TColor& Start, TColor& Stop);

bool ScreenHasManyColors();

// Module start-up and shut-down of the library's colour support.
void InitPanelLibrary();
void DonePanelLibrary();

}  // namespace kit
