// The look every data grid of the process shares: one global style object
// that decides the highlight colours of selected cells and follows the
// display's colours, plus the module's shared routines.
#pragma once

#include <memory>
#include <vector>

#include "grid/core/db_grid_ex_types.h"
#include "grid/editor_support/edit_buttons.h"

namespace grid {

class TDBGridExStyleWindow;

// Colours the screen shows; -1: more than 256 (a true-colour display).
extern int DisplayColorCount;

class TDBGridExStyle : public ui::TPersistent {
  JQ_UI_CLASSINFO
 public:
  TDBGridExStyle();
  ~TDBGridExStyle() override;

  bool LuminateSelection() const { return FLuminateSelection; }
  // Every registered grid lays itself out again.
  void SetLuminateSelection(bool Value);
  bool IsDrawFocusRect() const { return FIsDrawFocusRect; }
  void SetIsDrawFocusRect(bool Value) { FIsDrawFocusRect = Value; }
  TEditButtonStyleEx InTitleFitlerButtonStyle() const { return FInTitleFitlerButtonStyle; }
  void SetInTitleFitlerButtonStyle(TEditButtonStyleEx Value) { FInTitleFitlerButtonStyle = Value; }

  void AddChangeNotification(TCustomDBGridEx* Grid);
  void RemoveChangeNotification(TCustomDBGridEx* Grid);
  bool GridInChangeNotification(const TCustomDBGridEx* Grid) const;
  // Lays out every registered grid again.
  void Changed();

  // Halfway towards the glass colour, then 60 % towards a light gray; Ungray
  // pushes the channels away from the middle again.
  TColor LightenColor(TColor AColor, TColor GlassColor, bool Ungray) const;
  virtual bool HighlightDataCellColor(TCustomDBGridEx* Grid, int ACol, int ARow, int DataCol, int DataRow,
                                      const String& Text, TGridDrawState State, bool InSelection, TColor& AColor,
                                      ui::TFont* AFont);
  virtual bool HighlightNonDataCellColor(TCustomDBGridEx* Grid, int ACol, int ARow, int DataCol, int DataRow,
                                         const String& Text, TGridDrawState State, bool InSelection,
                                         TColor& AColor, ui::TFont* AFont);
  // The hidden window's messages: a system colour change reads the colour depth again.
  virtual void StyleWndProc(ui::TMessage& Message);
  virtual void UpdateColorDepth();

 private:
  bool FLuminateSelection = true;
  bool FIsDrawFocusRect = true;
  TEditButtonStyleEx FInTitleFitlerButtonStyle = ebsDropDownEx;
  std::vector<TCustomDBGridEx*> FGrids;
  std::unique_ptr<TDBGridExStyleWindow> FWindowHandle;
};

}  // namespace grid
