// The indicator column: the sign of the current record (browsing, editing,
// inserting, selected, searching), the record numbers and, in the first
// footer row, the record count.
#include <algorithm>
#include <cstdint>

#include "grid/columns/selection/db_grid_ex_selection.h"
#include "grid/core/custom_db_grid_ex.h"

#include "grid/columns/grouping/db_grid_ex_indicator_title.h"
#include "grid/columns/grouping/grid_group_data_tree_ex.h"
#include "grid/core/db_grid_ex_module.h"
#include "grid/core/grid_core_internal.h"
#include "grid/core/grid_data_link_ex.h"
#include "grid/core/grid_images.h"
#include "platform/data/dataset.h"
#include "platform/runtime/convert.h"
#include "platform/ui/themes.h"

namespace grid {

using namespace ui;

namespace {

// Indicator sign kinds and their pictures in the glyph list.
constexpr int kGlyphImage[] = {0, 5, 1, 2, 6};

// The grid font one point smaller and the height of one line of digits in
// it, kept while the grid font's settings stay: the indicator writes a number
// in every row.
struct SmallerFont {
  std::uint64_t revision = 0;
  TFont source;  // the grid font it was made from
  TFont font;
  bool made = false;
  int digitLineHeight = -1;
};

SmallerFont& SmallerFontOf(const TFont* GridFont) {
  // Never freed: its face must not outlive the toolkit's fonts at exit.
  static SmallerFont& cache = *new SmallerFont;
  if (cache.revision != GridFont->Revision()) {
    // Grids painted in turn mostly share their font's settings.
    if (!cache.made || !cache.source.SameAs(*GridFont)) {
      cache.source.Assign(GridFont);
      cache.font.Assign(GridFont);
      cache.font.SetSize(cache.font.Size() - 1);
      cache.digitLineHeight = -1;
      cache.made = true;
    }
    cache.revision = GridFont->Revision();
  }
  return cache;
}

bool AllDigits(const String& Text) {
  return std::all_of(Text.begin(), Text.end(), [](char16_t c) { return c >= u'0' && c <= u'9'; });
}

// A record number or count, centred in the grid font one point smaller.
void WriteIndicatorNumber(TCanvas* Canvas, const TFont* GridFont, const TRect& R, const String& Text) {
  if (Text.empty() || R.Right <= R.Left) return;
  SmallerFont& small = SmallerFontOf(GridFont);
  core_detail::FontScope scope(Canvas, &small.font);
  const unsigned flags = DT_CENTER | DT_WORDBREAK | DT_NOPREFIX;
  int h;
  // Digits offer no place to break: when they fit, they make one line, as
  // high as any other line of digits.
  if (AllDigits(Text) && Canvas->TextWidth(Text) + 1 < R.Right - R.Left) {
    if (small.digitLineHeight < 0) {
      TRect calc = R;
      Canvas->DrawText(u"0", calc, flags | DT_CALCRECT);
      small.digitLineHeight = calc.Bottom - calc.Top;
    }
    h = small.digitLineHeight;
  } else {
    TRect calc = R;
    Canvas->DrawText(Text, calc, flags | DT_CALCRECT);
    h = calc.Bottom - calc.Top;
  }
  TRect r = R;
  if (h < R.Bottom - R.Top) r.Top = R.Top + (R.Bottom - R.Top - h) / 2;
  const TBrushStyle style = Canvas->Brush()->Style();
  Canvas->Brush()->SetStyle(bsClear);
  Canvas->DrawText(Text, r, flags);
  Canvas->Brush()->SetStyle(style);
}

}  // namespace

void TCustomDBGridEx::DrawIndicatorCell(int ACol, int ARow, TCellAreaTypeEx AreaType, TGridDrawState State,
                                        TRect ARect, int DataRow, int) {
  TCanvas* cv = Canvas();
  TColor back = FixedColor();
  const bool is3D = IsCell3D(ACol, ARow, State, ARect);
  const bool themed = UsesThemedFixedCell(is3D);
  const TRect rect = core_detail::Adjust3DRect(ARect, is3D, themed, Flat());
  int glyphWidth = FOptions.Contains(dgIndicator) ? 11 : 0;
  int glyphOffset = 1;
  if (FOptionsEx.Contains(dghShowRecNo)) {
    if (glyphWidth > 0) glyphWidth -= 2;
    glyphOffset = 0;
  }
  const TRect numberRect{rect.Left, rect.Top, rect.Right - glyphWidth, rect.Bottom};
  cv->SetFont(Font());
  const bool allSelected = FSelection && FSelection->SelectionType() == gstAll;
  bool highlighted = false;
  db::TDataSet* ds = FDataLink->Active() ? FDataLink->DataSet() : nullptr;
  if (AreaType.Vert == 0) {
    if (allSelected)
      highlighted = HighlightNonDataCellColor(ACol, ARow, cv->Font(), back, true, State, AreaType, DataRow, ACol);
    DrawThemedCellBackground(rect, back, allSelected);
    if (FIndicatorTitle->ShowDropDownSign()) {
      TRect sign{rect.Right - 12, rect.Top, rect.Right, rect.Bottom};
      if (FIndicatorTitle->Down()) sign = TRect{sign.Left + 2, sign.Top + 2, sign.Right + 2, sign.Bottom + 2};
      DrawDropDownSign(highlighted, sign);
    }
  } else if (AreaType.Vert == 2 && ds) {
    const bool current = DataRow == CurrentDataRow();
    int recNo = 0;
    bool rowSelected = false;
    if (FIntMemTable) {
      // Record views count from 0; a group row shows no number.
      if (DataGroupingWorks()) {
        TGroupDataTreeNodeEx* node = GroupNodeOfDataRow(DataRow);
        recNo = node && node->NodeType() == dntDataSetRecordEx ? node->DataSetRecordViewNo() + 1 : 0;
      } else if (DataRow >= 0 && DataRow < FIntMemTable->RecordViewCount()) {
        recNo = DataRow + 1;
      }
    } else if (DataRow >= 0 && DataRow < FDataLink->RecordCount()) {
      const int old = SetDrawRecord(DataRow);
      try {
        recNo = ds->RecNo();
        if (FOptions.Contains(dgMultiSelect) && FSelection &&
            (FSelection->SelectionType() == gstRecordBookmarks || FSelection->SelectionType() == gstAll))
          rowSelected = FSelection->DataCellSelected(-1, ds->GetBookmark());
      } catch (...) {
        RestoreDrawRecord(old);
        throw;
      }
      RestoreDrawRecord(old);
    }
    if (current && ThemesEnabled()) back = BlendColorsPercent(back, clBlack, 10);
    DrawThemedCellBackground(rect, back, rowSelected);
    if (FOptions.Contains(dgIndicator) && current) {
      int kind = 0;
      switch (ds->State()) {
        case db::dsBrowse: kind = rowSelected ? 1 : FInplaceSearching ? 4 : 0; break;
        case db::dsEdit: kind = 2; break;
        case db::dsInsert: kind = 3; break;
        default: kind = 0;
      }
      DrawIndicatorGlyph(kind, 0, glyphOffset, {rect.Right - glyphWidth, rect.Top, rect.Right, rect.Bottom});
      FSelRow = ARow;
    }
    if (FOptionsEx.Contains(dghShowRecNo)) {
      const bool inserting = ds->State() == db::dsInsert && current;
      WriteIndicatorNumber(cv, Font(), numberRect, recNo < 1 || inserting ? String() : rtl::IntToStr(recNo));
    }
  } else {
    DrawThemedCellBackground(rect, back, allSelected);
    if (FOptionsEx.Contains(dghShowRecNo) && AreaType.Vert == 4 && DataRow == 0 && ds) {
      const int count = ds->RecordCount();
      const bool inserting = ds->State() == db::dsInsert;
      WriteIndicatorNumber(cv, Font(), numberRect, count < 1 || inserting ? String() : rtl::IntToStr(count));
    }
  }
  if (is3D && !themed) {
    cv->Brush()->SetColor(back);
    Draw3DCellEdge(cv, ARect, true, true, highlighted, false);
  }
}

void TCustomDBGridEx::DrawIndicatorGlyph(int Kind, int OffsetY, int OffsetX, TRect ARect) {
  if (Kind < 0 || Kind > 4) return;
  TCanvas* cv = Canvas();
  const int cx = (ARect.Left + ARect.Right) / 2 + OffsetX, cy = (ARect.Top + ARect.Bottom) / 2 + OffsetY;
  if (ThemesEnabled() && (Kind == 0 || Kind == 1 || Kind == 4)) {
    // A right-pointing arrow of one-pixel rows, shaded from its base.
    TColor c = cl3DDkShadow;
    int percent = 30;
    if (Kind == 1) c = clWhite, percent = 7;
    if (Kind == 4) c = InplaceSearchHighlightColor, percent = 0;
    std::vector<TGradientSegment> segments;
    for (int row = -4; row <= 4; ++row) segments.push_back({row, 0, 5 - std::abs(row)});
    DrawGradientLines(cv, {cx - 2, cy}, segments, BlendColorsPercent(c, clBlack, percent), c);
    return;
  }
  if (!GridIndicatorImages) return;
  const int w = GridIndicatorImages->Width(), h = GridIndicatorImages->Height();
  GridIndicatorImages->Draw(cv, cx - w / 2, cy - h / 2, kGlyphImage[Kind]);
}

void TCustomDBGridEx::DrawDropDownSign(bool Highlighted, TRect ARect) {
  TCanvas* cv = Canvas();
  const int cx = (ARect.Left + ARect.Right) / 2, cy = (ARect.Top + ARect.Bottom) / 2;
  if (!ThemesEnabled()) {
    if (!GridSortMarkerImages) return;
    GridSortMarkerImages->Draw(cv, cx - GridSortMarkerImages->Width() / 2, cy - GridSortMarkerImages->Height() / 2, 2);
    return;
  }
  const TColor c = Highlighted ? clWhite : cl3DDkShadow;
  std::vector<TGradientSegment> segments;
  for (int row = 0; row < 4; ++row) segments.push_back({row, row - 3, 4 - row});
  DrawGradientLines(cv, {cx + 1, cy - 2}, segments, BlendColorsPercent(c, clBlack, Highlighted ? 7 : 30), c);
}

}  // namespace grid
