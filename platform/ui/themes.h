// Themed drawing of the parts the support components ask for, and the few
// window services they need beyond the control layer (painting after a
// window's own paint, the parent's background behind a control, a cursor
// shown over part of a control, the system's sizing from a grip, rotated
// text). Themes follow the active QStyle; classic painters stay with the
// components, so a build or test with themes off draws pixel-exact.
#pragma once

#include <functional>
#include <vector>

#include "platform/ui/bitmap.h"
#include "platform/ui/controls.h"

class QWidget;

namespace ui {

class TCustomForm;

// True while the application has a style and themes have not been switched off.
bool ThemesEnabled();
// Switches themed drawing off (false) or back to following the style (true).
void SetThemesEnabled(bool Value);

enum TThemedStatusPart { tspStatusBackground, tspStatusPane, tspStatusGripper };
// Draws the style's part into the rectangle of a canvas that is painting now.
void DrawThemedStatusPart(TCanvas* Canvas, TThemedStatusPart Part, const TRect& R);
// Draws one half of a spin button as the style does into a bitmap: the
// button face (sunken when pressed, lit when hot) clipped to the polygon
// given, and (ShowArrow) the style's up or down arrow centred on Arrow.
void DrawThemedSpinHalf(TBitmap* Target, const std::vector<TPoint>& Clip, const TRect& Face, bool ShowArrow,
                        TPoint Arrow, bool Up, bool Pressed, bool Hot, bool Enabled);
// Draws text as the style does (DT_ alignment flags; one line, no prefix).
void DrawThemedText(TCanvas* Canvas, const TRect& R, const String& Text, unsigned Flags, bool Enabled);

// States of the themed buttons, header cells and check boxes.
enum TThemedState { tsNormal, tsHot, tsPressed, tsDisabled };
enum TThemedCheck { tcUnchecked, tcChecked, tcMixed };

// Each draws the style's element into a rectangle of a canvas that is
// painting now; nothing without a painter or a style.
void DrawThemedPushButton(TCanvas* Canvas, const TRect& R, TThemedState State);
// A tool-bar button; with SplitDropDown its drop-down part is drawn
// (the header cells of the grid use this for their buttons).
void DrawThemedToolButton(TCanvas* Canvas, const TRect& R, TThemedState State, bool SplitDropDown = false);
// The rectangle filled with Ground (by the canvas's brush style), then the
// tool-bar button over it, as FillRect and DrawThemedToolButton would draw
// them. The pair is kept per size, state and colour: grids draw the same
// header face in every row.
void DrawThemedToolButtonOnGround(TCanvas* Canvas, const TRect& R, TThemedState State, TColor Ground);
// A column header cell, without text.
void DrawThemedHeader(TCanvas* Canvas, const TRect& R, TThemedState State);
void DrawThemedCheckBox(TCanvas* Canvas, const TRect& R, TThemedCheck Check, TThemedState State);
// The arrow button of a combo box.
void DrawThemedComboButton(TCanvas* Canvas, const TRect& R, TThemedState State);
// One half of a spin (up-down) control.
void DrawThemedSpinButton(TCanvas* Canvas, const TRect& R, bool Up, TThemedState State);
// The plus (closed) or minus (open) glyph of a tree row.
void DrawThemedTreeGlyph(TCanvas* Canvas, const TRect& R, bool Expanded);
void DrawThemedGroupBox(TCanvas* Canvas, const TRect& R, TThemedState State);

// Opens a painter on the widget being painted, binds Canvas to it for Fn,
// then releases it. For drawing over a window after its children.
void PaintOnWidget(QWidget* Target, TCanvas* Canvas, const std::function<void()>& Fn);

// Paints what the control's parent shows behind the control into Canvas
// (which draws in the control's coordinates). False without a parent.
bool PaintParentBackground(TControl* Control, TCanvas* Canvas);

// Shows a cursor over a windowed control without changing its Cursor
// property; crDefault returns to the property's cursor.
void ShowControlCursor(TWinControl* Control, TCursor Cursor);

// Starts the window system's interactive sizing from the form's
// bottom-right corner (what WM_SYSCOMMAND SC_SIZE + 8 asks for).
void StartSystemSizeBottomRight(TCustomForm* Form);
constexpr WPARAM SC_SIZE = 0xF000;
constexpr WPARAM SC_SIZE_BOTTOMRIGHT = 0xF008;

// Text drawn rotated counter-clockwise by Tenths tenths of a degree around
// (X, Y), which is the baseline start; the canvas's font and brush apply.
void TextOutRotated(TCanvas* Canvas, int X, int Y, const String& Text, int Tenths);

}  // namespace ui
