#include "grid/core/db_grid_ex_style.h"

#include <algorithm>
#include <cmath>

#include "grid/core/custom_db_grid_ex.h"
#include "grid/core/db_grid_ex_module.h"
#include "grid/core/grid_core_internal.h"
#include "platform/classes/typinfo.h"
#include "platform/ui/application.h"

namespace grid {

using namespace ui;

int DisplayColorCount = -1;

// The style's hidden window: it hears of system colour changes, which reach
// windows only.
class TDBGridExStyleWindow : public TWinControl {
 public:
  explicit TDBGridExStyleWindow(TDBGridExStyle* Style) : TWinControl(nullptr), FStyle(Style) {
    SetVisible(false);
  }
  void Dispatch(TMessage& Message) override {
    if (FStyle && Message.Msg == CM_SYSCOLORCHANGE)
      FStyle->StyleWndProc(Message);
    else
      TWinControl::Dispatch(Message);
  }
  void DefaultDispatch(TMessage& Message) { TWinControl::Dispatch(Message); }
  TDBGridExStyle* FStyle;
};

const TClassInfo& TDBGridExStyle::StaticClassInfo() {
  static const TClassInfo info =
      TClassBuilder<TDBGridExStyle>("TDBGridExStyle", &TPersistent::StaticClassInfo()).Unit("DBGridEx").Build();
  return info;
}

TDBGridExStyle::TDBGridExStyle() : FWindowHandle(std::make_unique<TDBGridExStyleWindow>(this)) {
  if (Application) FWindowHandle->HandleNeeded();
  UpdateColorDepth();
}

TDBGridExStyle::~TDBGridExStyle() {
  core_detail::ForgetGlobalStyle(this);
  FWindowHandle->FStyle = nullptr;
  // A grid told to drop its style looks for the global one, which is no
  // longer this one.
  while (!FGrids.empty()) {
    TCustomDBGridEx* grid = FGrids.back();
    grid->SetStyle(nullptr);
    if (!FGrids.empty() && FGrids.back() == grid) {
      grid->FStyle = nullptr;
      FGrids.pop_back();
    }
  }
}

void TDBGridExStyle::SetLuminateSelection(bool Value) {
  if (Value == FLuminateSelection) return;
  FLuminateSelection = Value;
  Changed();
}

void TDBGridExStyle::AddChangeNotification(TCustomDBGridEx* Grid) { core_detail::ListGrid(FGrids, Grid); }

void TDBGridExStyle::RemoveChangeNotification(TCustomDBGridEx* Grid) { core_detail::UnlistGrid(FGrids, Grid); }

bool TDBGridExStyle::GridInChangeNotification(const TCustomDBGridEx* Grid) const {
  return core_detail::GridListed(FGrids, Grid);
}

void TDBGridExStyle::Changed() {
  for (TCustomDBGridEx* grid : std::vector<TCustomDBGridEx*>(FGrids)) grid->RelayoutGrid();
}

TColor TDBGridExStyle::LightenColor(TColor AColor, TColor GlassColor, bool Ungray) const {
  std::uint32_t a = ColorToRGB(AColor), g = ColorToRGB(GlassColor);
  std::uint32_t result = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    double c = (a >> shift) & 0xFF, glass = (g >> shift) & 0xFF;
    c = c + (glass - c) * 0.5;
    c = c + (225 - c) * 0.6;
    if (Ungray) c = c - (122 - c) * 0.25;
    double v = std::clamp(std::nearbyint(c), 0.0, 255.0);
    result |= static_cast<std::uint32_t>(v) << shift;
  }
  return static_cast<TColor>(result);
}

bool TDBGridExStyle::HighlightDataCellColor(TCustomDBGridEx* Grid, int ACol, int ARow, int, int DataRow,
                                            const String&, TGridDrawState State, bool InSelection, TColor& AColor,
                                            TFont* AFont) {
  const core_detail::THighlightFacts f = core_detail::HighlightFacts(Grid, ACol, DataRow, State, InSelection);
  const bool trueColour = DisplayColorCount == -1;
  const TDBGridOptions options = Grid->Options();
  const TDBGridExOptions optionsEx = Grid->OptionsEx();
  const bool rowSelect = options.Contains(dgRowSelect);
  const TGridCoord hot = Grid->HotTrackCell();
  const bool hotRow = optionsEx.Contains(dghHotTrack) && hot.Y == ARow && hot.X >= Grid->IndicatorOffset() &&
                      Grid->IsHotTrackCell(hot.X, hot.Y);
  const bool hotCell = hotRow && hot.X == ACol;
  if (!f.Selected) {
    if (!trueColour || !hotRow) return false;
    const TColor incoming = AColor;
    if (optionsEx.Contains(dghRowHighlight) || rowSelect) {
      AColor = GetNearestColor(LightenColor(incoming, clHighlight, true));
      if (!hotCell && !rowSelect) AColor = MixColors(AColor, incoming, 170.67);
    } else if (hotCell) {
      AColor = GetNearestColor(LightenColor(incoming, clHighlight, true));
    }
    return false;
  }
  if (!Grid->GridOrEditorFocused()) {
    if (f.Current) {
      if (options.Contains(dgAlwaysShowSelection) || f.FocusHighlight) {
        AColor = clBtnShadow;
        AFont->SetColor(clHighlightText);
        if (hotCell) AColor = MixColors(AColor, LightenColor(AColor, clHighlight, true), 170.67);
      }
    } else if (trueColour) {
      AColor = GetNearestColor(LightenColor(AColor, clBtnShadow, false));
      if (hotCell) AColor = MixColors(AColor, LightenColor(AColor, clHighlight, true), 170.67);
    } else {
      AColor = clBtnFace;
    }
    return true;
  }
  if (f.Current) {
    AColor = clHighlight;
    AFont->SetColor(clHighlightText);
  } else if (FLuminateSelection && trueColour) {
    AColor = GetNearestColor(LightenColor(AColor, clHighlight, true));
    if (optionsEx.Contains(dghHotTrack) && optionsEx.Contains(dghRowHighlight) && hotRow &&
        ((hotCell && ACol != Grid->Col()) || rowSelect))
      AColor = MixColors(AColor, clHighlight, 85.33);
  }
  return true;
}

bool TDBGridExStyle::HighlightNonDataCellColor(TCustomDBGridEx* Grid, int ACol, int ARow, int, int,
                                               const String&, TGridDrawState, bool InSelection, TColor& AColor,
                                               TFont* AFont) {
  if (!InSelection) return false;
  const bool indicator = ACol < Grid->IndicatorOffset();
  const bool titleArea = ARow < Grid->TopDataOffset();
  const bool footer = ARow >= Grid->RowCount() && Grid->FooterColor() == Grid->FixedColor();
  if (indicator || titleArea || footer) {
    AColor = static_cast<TColor>(0x404040);
    AFont->SetColor(clWhite);
    return true;
  }
  const bool trueColour = DisplayColorCount == -1;
  if (Grid->GridOrEditorFocused()) {
    if (FLuminateSelection && trueColour) {
      AColor = LightenColor(AColor, clHighlight, true);
    } else {
      AColor = clHighlight;
      AFont->SetColor(clHighlightText);
    }
  } else {
    AColor = trueColour ? LightenColor(AColor, clBtnShadow, false) : clBtnFace;
  }
  return true;
}

void TDBGridExStyle::StyleWndProc(TMessage& Message) {
  if (Message.Msg == CM_SYSCOLORCHANGE) {
    try {
      UpdateColorDepth();
    } catch (...) {
      if (Application) Application->HandleException(nullptr);
    }
    return;
  }
  FWindowHandle->DefaultDispatch(Message);
}

// Every display the toolkit drives shows true colour.
void TDBGridExStyle::UpdateColorDepth() { DisplayColorCount = -1; }

}  // namespace grid
