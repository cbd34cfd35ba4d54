// Helpers shared by the source files of the data grid library and by no one
// else: the library's public headers never include this one, so what is
// declared here can change without touching the grid's users.
#pragma once

#include <algorithm>
#include <vector>

#include "platform/ui/canvas.h"
#include "grid/foundation/custom_grid_ex.h"
#include "platform/ui/graphics.h"

namespace ui {
class TBitmap;
}

namespace grid {
class TDBGridExStyle;
class TDBGridExCenter;
class TCustomDBGridEx;
class TColumnEx;
}  // namespace grid

namespace grid::core_detail {

// A global object going away clears the module's reference to it first, so
// that grids it leaves do not attach to it again.
void ForgetGlobalStyle(const TDBGridExStyle* Style);
void ForgetGlobalCenter(const TDBGridExCenter* Center);
// The indicator title menu's shared objects, made on first use.
void FreeIndicatorTitleMenu();

// The bitmap cells are drawn through (blended buttons, text on colours the
// screen cannot show): one for all grids, made by the first grid and freed
// by the last. Nil while no grid exists.
void AcquireDrawBitmap();
void ReleaseDrawBitmap();
ui::TBitmap* DrawBitmap();
// The back buffer of buffered paints, shared like the drawing bitmap and
// as large as the largest grid painted; nil while a paint uses it (a paint
// inside another paint makes its own).
ui::TBitmap* TakePaintBuffer();
void GivePaintBufferBack(ui::TBitmap* Buffer);

// Grids registered with a shared object (the style, a centre), each once.
inline bool GridListed(const std::vector<TCustomDBGridEx*>& List, const TCustomDBGridEx* Grid) {
  return std::find(List.begin(), List.end(), Grid) != List.end();
}
inline void ListGrid(std::vector<TCustomDBGridEx*>& List, TCustomDBGridEx* Grid) {
  if (!GridListed(List, Grid)) List.push_back(Grid);
}
inline void UnlistGrid(std::vector<TCustomDBGridEx*>& List, const TCustomDBGridEx* Grid) {
  auto it = std::find(List.begin(), List.end(), Grid);
  if (it != List.end()) List.erase(it);
}

// Measures with a font on a canvas and gives the canvas its font back.
class FontScope {
 public:
  FontScope(ui::TCanvas* Canvas, const ui::TFont* Font) : canvas_(Canvas) {
    saved_.Assign(Canvas->Font());
    Canvas->SetFont(Font);
  }
  ~FontScope() { canvas_->SetFont(&saved_); }
  FontScope(const FontScope&) = delete;
  FontScope& operator=(const FontScope&) = delete;

 private:
  ui::TCanvas* canvas_;
  ui::TFont saved_;
};

// Line metrics of a font. The toolkit gives no leadings, so the height of
// "Wg" stands for the whole line and both leadings are 0.
struct TLineMetrics {
  int Height = 0;
  int ExternalLeading = 0;
  int InternalLeading = 0;
};
TLineMetrics MeasureLine(ui::TCanvas* Canvas, const ui::TFont* Font);

// A 3D cell's surface: themed faces cover the lines around it, a flat grid
// keeps its light edge, a raised one loses a pixel all round.
inline ui::TRect Adjust3DRect(ui::TRect R, bool Is3D, bool Themed, bool Flat) {
  if (!Is3D) return R;
  if (Themed) return {R.Left - 1, R.Top - 1, R.Right + 1, R.Bottom + 1};
  if (Flat) return {R.Left + 1, R.Top + 1, R.Right, R.Bottom};
  return {R.Left + 1, R.Top + 1, R.Right - 1, R.Bottom - 1};
}

// What the highlight of a data cell starts from.
struct THighlightFacts {
  bool CurrentRow = false;      // the row of the current record
  bool Current = false;         // the current cell (its row with dgRowSelect)
  bool FocusHighlight = false;
  bool Selected = false;
};
THighlightFacts HighlightFacts(TCustomDBGridEx* Grid, int ACol, int DataRow, TGridDrawState State,
                               bool InSelection);

// A column whose cells step their value on a click or Space (check boxes,
// key image lists).
bool IsCheckOrImageColumn(TColumnEx* Column);

}  // namespace grid::core_detail
