// Helpers shared by the source files of this library and by no one else:
// its public headers never include this one.
#pragma once

#include "platform/data/db_types.h"
#include "platform/ui/canvas.h"
#include "platform/ui/graphics.h"

namespace grid::columns_detail {

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

inline bool IsMemoType(db::TFieldType T) { return T == db::ftMemo || T == db::ftOraClob || T == db::ftWideMemo; }

}  // namespace grid::columns_detail
