// The small buttons that editors and grid cells show beside a value
// (drop-down, ellipsis, spin, check box, plus/minus, arrows), painted
// themed or classic, and a process-wide cache of painted faces so that a
// column showing the same button in every row paints it once.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/ui/ui.h"

namespace grid {

using ui::TCanvas;
using ui::TColor;
using ui::TPoint;
using ui::TRect;

enum TDrawButtonControlStyleEx : std::uint8_t {
  bcsDropDownEx, bcsEllipsisEx, bcsUpDownEx, bcsCheckboxEx, bcsPlusEx, bcsMinusEx, bcsAltDropDownEx, bcsAltUpDownEx
};

// Key of one cached face. Fields a style does not use hold their zero value.
struct TButtonBitmapInfoEx {
  TPoint Size;
  TDrawButtonControlStyleEx BitmapType = bcsDropDownEx;
  bool Flat = false;
  bool Pressed = false;
  bool Active = false;
  bool Enabled = false;
  bool DownDirect = false;
  ui::TCheckBoxState CheckState = ui::cbUnchecked;
};
bool ButtonBitmapInfoEquals(const TButtonBitmapInfoEx& A, const TButtonBitmapInfoEx& B);

struct TButtonBitmapInfoBitmapEx {
  TButtonBitmapInfoEx BitmapInfo;
  std::unique_ptr<ui::TBitmap> Bitmap;
};

class TButtonsBitmapCache {
 public:
  // The face for a key, painted and added when missing. The cache keeps it.
  ui::TBitmap* GetButtonBitmap(TButtonBitmapInfoEx Info);
  void Clear();
  int Count() const { return static_cast<int>(entries_.size()); }

 private:
  std::vector<std::unique_ptr<TButtonBitmapInfoBitmapEx>> entries_;
};

// Created by InitEditorTools, freed by DoneEditorTools.
extern TButtonsBitmapCache* GlobalButtonBitmapCache;
extern bool ButtonFaceCacheEnabled;
extern int FlatButtonWidth;
extern int CheckBoxWidth;
extern int CheckBoxHeight;

// DownButton: 0 nothing pressed, 1 the button (or upper half), 2 the lower half.
void DrawEditButtonFace(TCanvas* Canvas, const TRect& Rect, TColor ParentColor, TDrawButtonControlStyleEx Style,
                        int DownButton, bool Flat, bool Active, bool Enabled, ui::TCheckBoxState CheckState);
// Empties the cache so faces are painted again (system colours or theme changed).
void FlushButtonBitmapCache();
int ComputeFlatButtonWidth();
int ButtonHeightFromWidth(int Width, bool Flat);
TRect AlignCheckBoxRect(const TRect& Rect, ui::TAlignment HorzAlign, ui::TTextLayout VertAlign);

// Horizontal one-pixel segments [Start.X, End.X) on row Start.Y, offset by
// Origin, shaded from First (segment 0) to Last (the last segment).
struct TGradientSegment {
  int Row;
  int From;
  int To;
};
void DrawGradientLines(TCanvas* Canvas, TPoint Origin, const std::vector<TGradientSegment>& Segments, TColor First,
                       TColor Last);
TColor BlendColorsPercent(TColor A, TColor B, int Percent);

// Module start-up and shut-down of the editor tools.
void InitEditorTools();
void DoneEditorTools();

// Facts of the system the layout depends on; tests may change them.
struct TEditorSystemMetrics {
  int ScreenTextHeight = 16;      // text height of the screen's default (system) font
  int VScrollWidth = 17;          // width of a vertical scroll bar
  int HScrollHeight = 17;         // height of a horizontal scroll bar
  int CheckBoxesBitmapWidth = 52; // the system check-box image strip: 4 columns
  int CheckBoxesBitmapHeight = 39;// ... by 3 rows
  unsigned DoubleClickTime = 500;
  int DoubleClickWidth = 4;
  int DoubleClickHeight = 4;
};
TEditorSystemMetrics& EditorSystemMetrics();

}  // namespace grid
