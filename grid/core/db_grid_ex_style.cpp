#include "grid/core/db_grid_ex_style.h"

#include <algorithm>
#include <cmath>

#include "grid/core/custom_db_grid_ex.h"
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

// The highlight decisions belong to the cell painting, which comes with the
// grid's painting code; until then no cell is highlighted.
bool TDBGridExStyle::HighlightDataCellColor(TCustomDBGridEx*, int, int, int, int, const String&, TGridDrawState,
                                            bool, TColor&, TFont*) {
  return false;
}

bool TDBGridExStyle::HighlightNonDataCellColor(TCustomDBGridEx*, int, int, int, int, const String&,
                                               TGridDrawState, bool, TColor&, TFont*) {
  return false;
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
