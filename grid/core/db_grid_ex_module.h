// The data grid module: values and objects all grids share, the routines the
// grid's parts call, and the module's start-up and shut-down.
#pragma once

#include <vector>

#include "grid/core/db_grid_ex_types.h"
#include "platform/ui/menus.h"

namespace grid {

class TDBGridExStyle;
class TDBGridExCenter;

// --- shortcuts and values set at start-up
extern ui::TShortCut InplaceSearchShortCut;
extern ui::TShortCut InplaceSearchNextShortCut;
extern ui::TShortCut InplaceSearchPriorShortCut;
extern ui::TShortCut PrevRecordValueShortCut;
extern ui::TShortCut FindDialogShortCut;
extern ui::TShortCut FilterListShortCut;
extern unsigned InplaceSearchTypingTimeOut;
extern TColor InplaceSearchHighlightColor;
extern TColor InplaceSearchHighlightTextColor;
// The font the sort markers' numbers are drawn in.
extern ui::TFont* SortMarkerFont;

// --- find dialog
// Opens the find dialog for a grid; set by the find-dialog module at start-up,
// nil while no such module runs. ColumnFieldName and ColumnFields are passed
// on for dialogs that want them.
using TExecuteFindDialogProcEx = void (*)(TCustomDBGridEx* Grid, const String& Text, const String& ColumnFieldName,
                                          const std::vector<String>& ColumnFields, bool Modal);
extern TExecuteFindDialogProcEx ExecuteFindDialogProc;

// Cursors of column moving and sizing, entries of the screen's cursor list.
constexpr ui::TCursor crDownCurEh = 101;
constexpr ui::TCursor crRightCurEh = 102;
constexpr ui::TCursor crLeftCurEh = 103;

// Start-up (before the first window) and shut-down (in reverse order).
void InitDBGridEx();
void DoneDBGridEx();

// The global objects; nil before start-up and after shut-down.
TDBGridExStyle* GetDefaultGridStyle();
TDBGridExCenter* GetDefaultGridCenter();

// --- routines
struct TFontAttributes {
  int Height = 0;
  ui::TFontPitch Pitch = ui::fpDefault;
  ui::TFontStyles Style;
  ui::TFontCharset Charset = 0;
  String Name;
  TColor Color = ui::clWindowText;
};
void StoreFontAttributes(const ui::TFont* Font, TFontAttributes& Attributes);
// Sets only what differs, so an unchanged font hears no change.
void ApplyFontAttributes(ui::TFont* Font, const TFontAttributes& Attributes);
TRect MakeRect(TPoint TopLeft, TPoint BottomRight);
int MaxInteger(int A, int B);
int MinInteger(int A, int B);
int ChooseInteger(bool Condition, int IfTrue, int IfFalse);
// Each channel of A moves towards B by Amount / 255 of the way.
TColor MixColors(TColor A, TColor B, double Amount);
[[noreturn]] void RaiseInvalidGridOperation(const String& Message);
// "" for nil, the class name for a form, else the owner chain's names up
// to the form, led by the form's class name with no dot: "TForm1Panel1.Grid1".
String GetComponentPath(const ui::TComponent* Component);
// Nested: the first shows the wait cursor, the last restores what was there.
void BeginWaitCursor();
void EndWaitCursor();
// Keeps the top-left corner, swaps width and height.
TRect SwapRectExtents(const TRect& Rect);
int FieldAsIntegerDef(db::TField* Field, int Default);
bool IsFieldReadOnly(db::TField* Field);
// Takes every queued message of that number for the control out of the queue.
void RemovePendingMessage(ui::TWinControl* Control, std::uint32_t Msg);
// Measures Text as it would be drawn in the cell (left margin LeftMargin, top
// margin TopMargin); true when it does not fit.
bool TextExceedsRect(ui::TCanvas* Canvas, const TRect& Rect, const String& Text, int LeftMargin, int TopMargin,
                     bool WordWrap, int& TextWidth, int& TextHeight);
int CalcTextWidth(ui::TCanvas* Canvas, const String& Text);
// Memo text with its line breaks as CR LF, as the single-line editor keeps them.
String CrLfLineBreaks(const String& Text);
// Turns the canvas's right-to-left mapping over Width pixels on or off and
// answers whether it was on, so that the caller can put it back with the
// same width.
bool SetCanvasMirroring(ui::TCanvas* Canvas, bool Mirrored, int Width);
// Whether every field of the list may be modified (true for an empty list).
bool AllFieldsCanModify(const std::vector<db::TField*>& Fields);
// Repaints every cell of one row, the contra columns included.
void RepaintGridRow(TCustomGridEx* Grid, int Row);

}  // namespace grid
