#include "grid/core/grid_images.h"

#include <memory>

#include "grid/core/db_grid_ex_module.h"

namespace grid {

using namespace ui;

TImageList* GridIndicatorImages = nullptr;
TImageList* GridSortMarkerImages = nullptr;

namespace {

constexpr int kIndicatorWidth = 6, kIndicatorHeight = 11;
constexpr int kMarkerWidth = 10, kMarkerHeight = SortMarkerImageHeight;

// X: drawn, dot: clear.
const char* const kArrow[kIndicatorHeight] = {"X.....", "XX....", "XXX...", "XXXX..", "XXXXX.", "XXXXXX",
                                              "XXXXX.", "XXXX..", "XXX...", "XX....", "X....."};
const char* const kEdit[kIndicatorHeight] = {"XX..XX", "..XX..", "..XX..", "..XX..", "..XX..", "..XX..",
                                             "..XX..", "..XX..", "..XX..", "..XX..", "XX..XX"};
const char* const kInsert[kIndicatorHeight] = {"......", "......", "......", ".X..X.", "..XX..", "XXXXXX",
                                               "..XX..", ".X..X.", "......", "......", "......"};
const char* const kDot[kIndicatorHeight] = {"......", "......", "......", "..XX..", ".XXXX.", ".XXXX.",
                                            ".XXXX.", "..XX..", "......", "......", "......"};
const char* const kArrowDot[kIndicatorHeight] = {"X.....", "XX....", ".XX...", "..XX..", "XX.XX.", "XX..XX",
                                                 "XX.XX.", "..XX..", ".XX...", "XX....", "X....."};

std::unique_ptr<TBitmap> MaskBitmap(const char* const* Rows, TColor Ink, TColor Paper) {
  auto bmp = std::make_unique<TBitmap>(kIndicatorWidth, kIndicatorHeight);
  for (int y = 0; y < kIndicatorHeight; ++y)
    for (int x = 0; x < kIndicatorWidth; ++x) bmp->Canvas()->SetPixel(x, y, Rows[y][x] == 'X' ? Ink : Paper);
  return bmp;
}

// The current-record arrow in white on teal (teal is the clear colour).
std::unique_ptr<TBitmap> SelectedArrowBitmap() { return MaskBitmap(kArrow, clWhite, clTeal); }

enum class Pointing { Down, Up };

// An outlined triangle 8 wide and 7 high in the 10 x 9 cell: the left side
// (and the top edge of the down marker) in Dark, the right side (and the
// bottom edge of the up marker) in Light.
std::unique_ptr<TBitmap> MarkerBitmap(Pointing Direction, TColor Dark, TColor Light) {
  auto bmp = std::make_unique<TBitmap>(kMarkerWidth, kMarkerHeight);
  TCanvas* c = bmp->Canvas();
  c->Brush()->SetColor(clFuchsia);
  c->FillRect({0, 0, kMarkerWidth, kMarkerHeight});
  for (int r = 0; r < 7; ++r) {
    int y = 1 + r;
    int step = Direction == Pointing::Down ? r / 2 : (6 - r) / 2;
    int left = 1 + step, right = 8 - step;
    bool edge = Direction == Pointing::Down ? r == 0 : r == 6;
    if (edge) {
      for (int x = left; x <= right; ++x) c->SetPixel(x, y, Direction == Pointing::Down ? Dark : Light);
    } else {
      c->SetPixel(left, y, Dark);
      c->SetPixel(right, y, Light);
    }
  }
  return bmp;
}

std::unique_ptr<TBitmap> DropDownBitmap() {
  auto bmp = std::make_unique<TBitmap>(kMarkerWidth, kMarkerHeight);
  TCanvas* c = bmp->Canvas();
  c->Brush()->SetColor(clWhite);
  c->FillRect({0, 0, kMarkerWidth, kMarkerHeight});
  for (int r = 0; r < 4; ++r)
    for (int x = 2 + r; x <= 8 - r; ++x) c->SetPixel(x, 3 + r, clBlack);
  return bmp;
}

}  // namespace

void LoadGridImages() {
  FreeGridImages();
  GridIndicatorImages = new TImageList(nullptr);
  GridIndicatorImages->SetWidth(kIndicatorWidth);
  GridIndicatorImages->SetHeight(kIndicatorHeight);
  for (const char* const* rows : {kArrow, kEdit, kInsert, kDot, kArrowDot})
    GridIndicatorImages->AddMasked(MaskBitmap(rows, clBlack, clWhite).get(), clWhite);
  GridIndicatorImages->AddMasked(SelectedArrowBitmap().get(), clTeal);
  RenderSearchIndicatorImage();

  GridSortMarkerImages = new TImageList(nullptr);
  GridSortMarkerImages->SetWidth(kMarkerWidth);
  GridSortMarkerImages->SetHeight(kMarkerHeight);
  GridSortMarkerImages->AddMasked(MarkerBitmap(Pointing::Down, clGray, clWhite).get(), clFuchsia);
  GridSortMarkerImages->AddMasked(MarkerBitmap(Pointing::Up, clGray, clWhite).get(), clFuchsia);
  GridSortMarkerImages->AddMasked(DropDownBitmap().get(), clWhite);
  GridSortMarkerImages->AddMasked(MarkerBitmap(Pointing::Down, clGray, clSilver).get(), clFuchsia);
  GridSortMarkerImages->AddMasked(MarkerBitmap(Pointing::Up, clGray, clSilver).get(), clFuchsia);
}

void FreeGridImages() {
  delete GridIndicatorImages;
  GridIndicatorImages = nullptr;
  delete GridSortMarkerImages;
  GridSortMarkerImages = nullptr;
}

void RenderSearchIndicatorImage() {
  if (!GridIndicatorImages) return;
  // The arrow takes the highlight colour; teal stays the clear colour, so a
  // teal highlight is nudged off it to keep the arrow visible.
  TColor ink = ColorToRGB(InplaceSearchHighlightColor) == ColorToRGB(clTeal) ? TColor(0x7F7F00)
                                                                             : InplaceSearchHighlightColor;
  auto bmp = MaskBitmap(kArrow, ink, clTeal);
  if (GridIndicatorImages->Count() >= 7) GridIndicatorImages->Delete(GridIndicatorImages->Count() - 1);
  GridIndicatorImages->AddMasked(bmp.get(), clTeal);
}

}  // namespace grid
