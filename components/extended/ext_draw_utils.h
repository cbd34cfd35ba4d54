// Rectangle and picture routines of the extended controls.
#pragma once

#include "platform/ui/ui.h"

namespace ext {

int RectWidthAbs(const ui::TRect& R);
int RectHeightAbs(const ui::TRect& R);
// Bit-block transfer with its arguments in this order.
void BlitCopy(ui::TCanvas* Dest, int X, int Y, std::uint32_t Rop, int SourceY, int SourceX, ui::TCanvas* Source,
              int Height, int Width);
// Raises the last operating-system error when Ok is false.
bool CheckOSResult(bool Ok);
// An embossed copy of a picture: the pixels of MaskColor are the shape,
// painted in Highlight one pixel right and down (3-D) and in Shadow in place,
// over Back. The caller owns the result.
ui::TBitmap* MakeDisabledImage(ui::TBitmap* Source, ui::TColor MaskColor, ui::TColor Back, bool ThreeD,
                               ui::TColor Shadow, ui::TColor Highlight);
ui::TBitmap* MakeDisabledGlyph(ui::TBitmap* Source, ui::TColor MaskColor);

// The drag cursors of the extended controls in the screen's cursor list.
constexpr ui::TCursor crExtMultiDragLink = 368;
constexpr ui::TCursor crExtDragLink = 369;
constexpr ui::TCursor crExtMultiDragAlt = 370;
constexpr ui::TCursor crExtMultiDragLinkAlt = 371;
// Adds them (copies of the standard drag cursors); failures are ignored.
void RegisterExtCursors();

}  // namespace ext
