// What the data grid's cell painters stand on: buffered painting, which
// cells look three-dimensional and how their edges are drawn, the borders
// the base grid leaves to the header tree, the flat window border and the
// right-to-left handling of button faces.
#include <algorithm>
#include <memory>

#include "grid/core/custom_db_grid_ex.h"

#include "grid/columns/columns/column_ex.h"
#include "grid/columns/grouping/grid_group_data_tree_ex.h"
#include "grid/core/db_grid_ex_scroll_bar.h"
#include "grid/core/grid_core_internal.h"
#include "platform/ui/bitmap.h"
#include "platform/ui/canvas.h"
#include "platform/ui/themes.h"

namespace grid {

using namespace ui;

bool TCustomDBGridEx::IsCell3D(int ACol, int ARow, TGridDrawState State, const TRect&) {
  const int dataCol = ACol - FIndicatorOffset;
  const int dataRow = ARow - TopDataOffset();
  // The filter row under the titles is flat whatever the options say.
  if (STFilterRowCount() > 0 && dataRow == -1 && dataCol >= 0) return false;
  const bool fixed = State.Contains(gdFixed);
  if (fixed && FOptionsEx.Contains(dghFixed3D) && (dataCol < 0 || dataRow < 0)) return true;
  const bool footer = FFooterRowCount > 0 && ARow >= RowCount();
  if (footer && FOptionsEx.Contains(dghFooter3D)) return true;
  if (FOptionsEx.Contains(dghData3D) && !fixed && !footer) return true;
  return FOptionsEx.Contains(dghFrozen3D) && dataCol >= 0 && dataRow >= 0 && ARow < RowCount() &&
         dataCol < FFrozenCols;
}

bool TCustomDBGridEx::NeedsFullRowRepaint() {
  // Themed fixed cells are drawn over their neighbours' lines.
  if (ThemesEnabled() && !Flat() && FOptionsEx.Contains(dghFixed3D)) return true;
  if (FIntMemTable && FIntMemTable->RecordViewsAreTree() && FOptions.Contains(dgRowLines)) return true;
  if (RowPanelActive()) return true;
  return IsUseMultiTitle();
}

void TCustomDBGridEx::Draw3DCellEdge(TCanvas* ACanvas, TRect ARect, bool DrawTrailing, bool DrawLeading,
                                     bool Pressed, bool Down) {
  const unsigned edge = Pressed || Down ? BDR_SUNKENINNER : BDR_RAISEDINNER;
  // Mirrored, the edge is drawn on the cell's surface rectangle with the
  // mapping off, so that its light keeps coming from above; the leading
  // side is then the right one.
  const bool mirrored = ACanvas->Mirrored();
  int width = 0, height = 0;
  if (mirrored) {
    DrawAreaSize(width, height);
    ARect = ACanvas->MirrorRect(ARect);
    ACanvas->SetMirroring(false, 0);
  }
  const unsigned leading = mirrored ? BF_RIGHT : BF_LEFT;
  const unsigned trailing = mirrored ? BF_LEFT : BF_RIGHT;
  TRect r = ARect;
  if (!Flat()) {
    if (DrawTrailing && DrawLeading) {
      ACanvas->DrawEdge(r, edge, BF_RECT);
    } else {
      ACanvas->DrawEdge(r, edge, BF_TOP | (DrawLeading ? leading : 0));
      r = ARect;
      ACanvas->DrawEdge(r, edge, BF_BOTTOM | (DrawTrailing ? trailing : 0));
    }
  } else {
    // Flat: only the light half (top and left on the screen), the dark
    // lines painted over in the cell's colour.
    ACanvas->Pen()->SetColor(ACanvas->Brush()->Color());
    ACanvas->MoveTo(ARect.Left, ARect.Bottom - 1);
    ACanvas->LineTo(ARect.Right, ARect.Bottom - 1);
    if (!mirrored) {
      if (DrawTrailing) {
        ACanvas->MoveTo(ARect.Right - 1, ARect.Top);
        ACanvas->LineTo(ARect.Right - 1, ARect.Bottom);
      }
      ACanvas->DrawEdge(r, edge, BF_TOP | (DrawLeading ? BF_LEFT : 0));
    } else {
      ACanvas->DrawEdge(r, edge, BF_TOP | (DrawTrailing ? BF_LEFT : 0));
      if (DrawLeading) {
        ACanvas->MoveTo(ARect.Right - 1, ARect.Top);
        ACanvas->LineTo(ARect.Right - 1, ARect.Bottom);
      }
    }
  }
  if (mirrored) ACanvas->SetMirroring(true, width);
}

void TCustomDBGridEx::SetGridCanvasMirroring(bool Mirrored) {
  int width = 0, height = 0;
  DrawAreaSize(width, height);
  Canvas()->SetMirroring(Mirrored, width);
}

void TCustomDBGridEx::PaintCellButton(TCanvas* ACanvas, TRect ARect, TColor ParentColor,
                                      TDrawButtonControlStyleEx Style, int DownButton, bool AFlat, bool Active,
                                      bool Enabled, ui::TCheckBoxState CheckState) {
  if (!ACanvas->Mirrored()) {
    DrawEditButtonFace(ACanvas, ARect, ParentColor, Style, DownButton, AFlat, Active, Enabled, CheckState);
    return;
  }
  int width = 0, height = 0;
  DrawAreaSize(width, height);
  ARect = ACanvas->MirrorRect(ARect);
  ACanvas->SetMirroring(false, 0);
  try {
    DrawEditButtonFace(ACanvas, ARect, ParentColor, Style, DownButton, AFlat, Active, Enabled, CheckState);
  } catch (...) {
    ACanvas->SetMirroring(true, width);
    throw;
  }
  ACanvas->SetMirroring(true, width);
}

// The window layer's controls always have the 3D look, so only Flat and the
// border style decide.
void TCustomDBGridEx::PaintFlatBorder(TCanvas* WindowCanvas) {
  if (!Flat() || BorderStyle() != bsSingle) return;
  const int w = Width(), h = Height();
  TRect r{0, 0, w, h};
  WindowCanvas->DrawEdge(r, BDR_SUNKENOUTER, BF_RECT);
  const bool horz = ScrollBarVisible(SB_HORZ) && !(FHorzScrollBar && FHorzScrollBar->ExtScrollBar());
  const bool vert = ScrollBarVisible(SB_VERT) && !(FVertScrollBar && FVertScrollBar->ExtScrollBar());
  if (!horz || !vert) return;
  // The box between the two bars gets the bars' face colour on its left
  // and top edges, so it does not show the sunken look of the border.
  const TEditorSystemMetrics& m = EditorSystemMetrics();
  const int left = w - 1 - m.VScrollWidth, top = h - 1 - m.HScrollHeight;
  WindowCanvas->Pen()->SetColor(clBtnFace);
  WindowCanvas->MoveTo(left, h - 1);
  WindowCanvas->LineTo(left, top);
  WindowCanvas->LineTo(w - 1, top);
}

void TCustomDBGridEx::CellBorderVisibility(int ACol, int ARow, TGridCellBorderTypeEx Side, bool& Draw,
                                           TColor& Color, bool& Extend) {
  TCustomGridEx::CellBorderVisibility(ACol, ARow, Side, Draw, Color, Extend);
  // The header tree draws the vertical lines of the title rows itself.
  if (FUseMultiTitle && ARow < TitleRowCount() && ACol >= FIndicatorOffset &&
      (Side == cbtLeftEx || Side == cbtRightEx))
    Draw = false;
  // Group rows and the indent draw their own lines.
  if (Side != cbtTopEx && DataGroupingWorks() && ARow >= TopDataOffset() && ACol >= FIndicatorOffset &&
      ARow < RowCount() - ContraRowCount()) {
    TGroupDataTreeNodeEx* node = GroupNodeOfDataRow(ARow - TopDataOffset());
    const bool firstVisible = !FVisibleColumns.empty() && ACol == DataColToGridCol(FVisibleColumns.front()->Index());
    if (node && node->NodeType() == dntDataGroupEx) {
      if (Side == cbtLeftEx || Side == cbtBottomEx || (Side == cbtRightEx && ACol != FLastVisibleCol)) Draw = false;
    } else if (Side == cbtBottomEx && firstVisible) {
      Draw = false;
    }
  }
}

void TCustomDBGridEx::Paint() {
  if (PaintLocked()) return;
  FDrawnGroupList.clear();
  // Once the grid draws rows in several passes it stays buffered.
  if (NeedsFullRowRepaint()) FBufferedPaint = true;
  TCanvas* cv = Canvas();
  auto* window = cv->AttachedPainter();
  int width = 0, height = 0;
  DrawAreaSize(width, height);
  if (!FBufferedPaint || !window || width <= 0 || height <= 0) {
    TCustomGridEx::Paint();
    return;
  }
  TRect area;
  if (!IntersectRect(area, cv->ClipRect(), {0, 0, width, height})) return;
  // One buffer serves every paint: only the area being painted is filled,
  // drawn and copied, so a scrolled band costs what the band does.
  TBitmap* buffer = core_detail::TakePaintBuffer();
  std::unique_ptr<TBitmap> own;
  if (!buffer) {
    own = std::make_unique<TBitmap>();
    buffer = own.get();
  }
  struct GiveBack {
    TBitmap* b;
    ~GiveBack() { core_detail::GivePaintBufferBack(b); }
  } giveBack{buffer};
  if (buffer->Width() < width || buffer->Height() < height)
    buffer->SetSize(std::max(width, buffer->Width()), std::max(height, buffer->Height()));
  TCanvas* bc = buffer->Canvas();
  bc->Brush()->SetStyle(bsSolid);
  bc->Brush()->SetColor(Color());
  bc->FillRect(area);
  // The grid's canvas draws through the bitmap's painter for the paint.
  auto restore = [&] {
    cv->Detach();
    cv->Attach(window);
  };
  cv->Detach();
  cv->Attach(bc->AttachedPainter());
  cv->IntersectClipRect(area);
  try {
    TCustomGridEx::Paint();
  } catch (...) {
    restore();
    throw;
  }
  restore();
  const std::uint32_t mode = cv->CopyMode();
  cv->SetCopyMode(cmSrcCopy);
  cv->CopyRect(area, bc, area);
  cv->SetCopyMode(mode);
}

}  // namespace grid
