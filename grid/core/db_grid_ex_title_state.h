// One title cell's drawing state, carried from the title painter to the
// drawing of the title's contents.
#pragma once

#include "grid/columns/columns/column_title_ex.h"
#include "grid/core/db_grid_ex_types.h"

namespace grid {

struct TDBGirdDrawTitleStateEx {
  bool Down = false;
  bool MultyTitle = false;
  bool WordWrap = false;
  bool FilterButtonDown = false;
  bool Highlight = false;
  TTextOrientationEx Orientation = tohHorizontal;
  bool The3DRect = false;
  bool DrawByThemes = false;
  String Caption;
  TColor BackColor = ui::clBtnFace;
  bool DrawFilterButton = false;
  bool CellMultiSelected = false;
  TSortMarkerEx SortMarker = smNoneEx;
  bool DrawSortIndex = false;
  int FontCharset = 0;
  TColor FontColor = ui::clWindowText;
  int FontSize = 0;
  String FontName;
  ui::TFontStyles FontStyle;
};

}  // namespace grid
