// Two-colour gradient fills in ten patterns, the block copies that
// replicate or mirror a painted strip, and the parent's background behind a
// transparent control.
#pragma once

#include <cstdint>

#include "components/support/panels/kit_common.h"

namespace kit {

void FillGradient(TCanvas* Canvas, const TRect& R, TGradientDirection Direction, std::uint8_t Steps, TColor ColorA,
                  TColor ColorB);
void FillGradientFull(TCanvas* Canvas, const TRect& R, TGradientDirection Direction, std::uint8_t Steps,
                      TColor ColorA, TColor ColorB);

// Replicates the strip at (X, Y) over Width x Height by doubling copies.
void TileBlit(TCanvas* Canvas, int X, int Y, std::uint32_t Rop, int StripHeight, int StripWidth, int Height,
              int Width);
// Completes a picture whose top-left quarter is painted, mirroring it
// downwards and then to the right.
void MirrorBlit(TCanvas* Canvas, int X, int Y, std::uint32_t Rop, int Height, int Width);

// Paints the part of the control's parent behind the control into Canvas;
// with InvalidateParent, a windowless parent is repainted as well.
void DrawParentImage(ui::TControl* Control, TCanvas* Canvas, bool InvalidateParent);

}  // namespace kit
