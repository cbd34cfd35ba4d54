// Free routines the editors, drop-down windows and grids share: key value
// comparison, field lists, images in cells, where a drop-down opens, tree
// lines and buttons, dotted connector lines, gradients and a few input tests.
#pragma once

#include <functional>
#include <vector>

#include "grid/editor_support/button_faces.h"
#include "platform/data/dataset.h"
#include "platform/data/fields.h"
#include "grid/foundation/grid_messages.h"
#include "platform/ui/ui.h"

namespace grid {

enum class TVariantRelationshipEx { Equal = 0, LessThan = 1, GreaterThan = 2, NotEqual = 3 };
enum TDropDownAlign { daLeft, daRight, daCenter };
enum TSizeGripChangePosition { sgcpToLeft, sgcpToRight, sgcpToTop, sgcpToBottom };

// WM_SIZEGRIPCHANGEPOSITION (WParam: a TSizeGripChangePosition) and
// WM_POPUPCLOSEUP come from grid_messages.h.

bool VariantsEqual(const rtl::Variant& V1, const rtl::Variant& V2);
TVariantRelationshipEx CompareVariantValues(const rtl::Variant& V1, const rtl::Variant& V2);
TVariantRelationshipEx CompareVariantsNullFirst(const rtl::Variant& V1, const rtl::Variant& V2);

// Resolves ";"-separated names; an unknown one raises "Field '%s' not found".
void GetFieldListByNames(std::vector<db::TField*>* List, db::TDataSet* DataSet, ui::TComponent* Component,
                         const ui::String& FieldNames);
std::vector<db::TField*> FieldsArrayFromNames(db::TDataSet* DataSet, ui::TComponent* Component,
                                              const ui::String& FieldNames);
// Null clears every named field; otherwise one value, or an array of values
// for several fields.
void SetDataSetFieldValues(db::TDataSet* DataSet, const ui::String& FieldNames, const rtl::Variant& Value);

void DrawImageInRect(ui::TCanvas* Canvas, const ui::TRect& Rect, ui::TImageList* ImageList, int ImageIndex,
                     bool Selected);

// Work area of the monitor nearest a screen rectangle (the screen's work
// area unless a test or the program puts in its own).
using TWorkAreaProvider = std::function<ui::TRect(const ui::TRect& ScreenRect)>;
void SetWorkAreaProvider(TWorkAreaProvider Provider);
ui::TRect WorkAreaNear(const ui::TRect& ScreenRect);

// Where a drop-down opens beside a screen rectangle; may shorten or narrow
// the drop-down to the work area and tells it where its size grip goes.
ui::TPoint CalcDropDownPosition(const ui::TRect& ScreenRect, ui::TControl* DropDown, TDropDownAlign Align);
ui::TPoint CalcEditDropDownPosition(ui::TControl* Edit, ui::TControl* DropDown, TDropDownAlign Align);

// Kinds 0..7: expand buttons (0..3 opened, 4..7 closed) with connectors;
// 8..11: connector lines only.
void DrawTreeElement(ui::TCanvas* Canvas, const ui::TRect& Rect, int Kind, bool RightToLeft, double ScaleX,
                     double ScaleY, bool Phase);
// One-pixel dots on a fixed checkerboard, in the pen colour.
void DrawDottedLine(ui::TCanvas* Canvas, ui::TPoint Start, int Length, bool Phase, bool Horizontal);
void FillVerticalGradient(ui::TCanvas* Canvas, const ui::TRect& Rect, ui::TColor TopColor, ui::TColor BottomColor);

bool ThemesActive();
ui::TShiftState CurrentShiftState();
// Keys an open drop-down takes from its editor: Page Up and Down, Up and Down,
// Ctrl+Home and Ctrl+End, and Left and Right when it moves sideways too.
bool IsDropDownNavigationKey(std::uint16_t Key, ui::TShiftState Shift, bool Sideways);
bool IsNumericFieldType(db::TFieldType FieldType);
// An 8-bit or wide text field: its size limits what an editor lets the user type.
bool IsStringField(const db::TField* Field);
// Removes a queued left press or double click aimed at the control; true when one was taken.
bool ExtractPendingMouseDown(ui::TControl* Control);
bool ExtractPendingChildMouseDown(ui::TControl* Control);
bool IsDoubleClickPair(ui::TPoint OldPos, ui::TPoint NewPos, unsigned Elapsed);

}  // namespace grid
