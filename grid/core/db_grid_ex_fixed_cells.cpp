#include "grid/core/custom_db_grid_ex.h"
#include "platform/ui/canvas.h"
namespace grid {
void TCustomDBGridEx::DrawMultiTitleCell(int, int, TCellAreaTypeEx, TGridDrawState, TRect ARect, int, int) {
  Canvas()->Brush()->SetColor(FixedColor());
  Canvas()->FillRect(ARect);
}
}  // namespace grid
