#include "components/extended/ext_draw_utils.h"

#include <cstdlib>
#include <memory>
#include <vector>

#include "platform/runtime/exceptions.h"

namespace ext {

int RectWidthAbs(const ui::TRect& R) { return std::abs(R.Right - R.Left); }
int RectHeightAbs(const ui::TRect& R) { return std::abs(R.Bottom - R.Top); }

void BlitCopy(ui::TCanvas* Dest, int X, int Y, std::uint32_t Rop, int SourceY, int SourceX, ui::TCanvas* Source,
              int Height, int Width) {
  std::uint32_t saved = Dest->CopyMode();
  Dest->SetCopyMode(Rop);
  Dest->CopyRect(ui::Bounds(X, Y, Width, Height), Source, ui::Bounds(SourceX, SourceY, Width, Height));
  Dest->SetCopyMode(saved);
}

bool CheckOSResult(bool Ok) {
  if (!Ok) rtl::RaiseLastOSError();
  return Ok;
}

ui::TBitmap* MakeDisabledImage(ui::TBitmap* Source, ui::TColor MaskColor, ui::TColor Back, bool ThreeD,
                               ui::TColor Shadow, ui::TColor Highlight) {
  int w = Source->Width(), h = Source->Height();
  auto result = std::make_unique<ui::TBitmap>(w, h);
  // The monochrome mask: set where the source has the mask colour.
  std::vector<bool> shape(static_cast<std::size_t>(w) * h);
  std::uint32_t key = ui::ColorToRGB(MaskColor);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) shape[y * w + x] = ui::ColorToRGB(Source->Canvas()->Pixel(x, y)) == key;
  ui::TCanvas* c = result->Canvas();
  c->Brush()->SetColor(Back);
  c->FillRect(ui::Rect(0, 0, w, h));
  // Raster operation 0x00E20746: the brush where the mask is set, the rest kept.
  auto paint = [&](int dx, int dy, ui::TColor color) {
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        if (shape[y * w + x] && x + dx < w && y + dy < h) c->SetPixel(x + dx, y + dy, color);
  };
  if (ThreeD) paint(1, 1, Highlight);
  paint(0, 0, Shadow);
  return result.release();
}

ui::TBitmap* MakeDisabledGlyph(ui::TBitmap* Source, ui::TColor MaskColor) {
  return MakeDisabledImage(Source, MaskColor, ui::clBtnFace, true, ui::clBtnShadow, ui::clBtnHighlight);
}

void RegisterExtCursors() {
  try {
    if (!ui::Screen) return;
    ui::Screen->SetCursors(crExtMultiDragLink, ui::crMultiDrag);
    ui::Screen->SetCursors(crExtDragLink, ui::crDrag);
    ui::Screen->SetCursors(crExtMultiDragAlt, ui::crMultiDrag);
    ui::Screen->SetCursors(crExtMultiDragLinkAlt, ui::crMultiDrag);
  } catch (...) {
    // Cursors are a nicety; a control works without them.
  }
}

}  // namespace ext
