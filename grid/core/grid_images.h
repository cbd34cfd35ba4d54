// The grid's glyphs: the indicator column's signs and the titles' sort
// markers, made at the module's start-up and freed at its shut-down.
#pragma once

#include "platform/ui/bitmap.h"

namespace grid {

// 0 current record, 1 editing, 2 inserting, 3 dot, 4 arrow with dot, 5 the
// current record on the selection colour, 6 the current record while an
// in-place search runs. Each 6 x 11 pixels.
extern ui::TImageList* GridIndicatorImages;
// 0 descending, 1 ascending, 2 drop-down glyph, 3 and 4 the markers in
// gray and silver. Each 10 x 9 pixels.
extern ui::TImageList* GridSortMarkerImages;
inline constexpr int SortMarkerImageHeight = 9;

void LoadGridImages();
void FreeGridImages();
// Builds indicator image 6 again in InplaceSearchHighlightColor.
void RenderSearchIndicatorImage();

}  // namespace grid
