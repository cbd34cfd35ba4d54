// The small two-state pictures of the axis panel's buttons.
#pragma once

#include "platform/ui/ui.h"

namespace desktop {

enum class TAxisGlyph { Step, ToZero, Home, SetZero };

// Draws the picture as two 16 x 16 images side by side (normal, then
// disabled in grey) on a transparent key colour.
void Draw_Axis_Glyph(ui::TBitmap* Bitmap, TAxisGlyph Glyph);

}  // namespace desktop
