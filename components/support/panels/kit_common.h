// Types shared by the panel and status-bar library: frame styles, sides,
// visual styles and the gradient patterns.
#pragma once

#include "platform/ui/ui.h"

namespace kit {

using ui::String;
using ui::TCanvas;
using ui::TColor;
using ui::TRect;

enum TFrameStyle {
  fsNone, fsFlat, fsGroove, fsBump, fsLowered, fsButtonDown, fsRaised, fsButtonUp, fsStatus, fsPopup,
  fsFlatBold, fsFlatRounded
};
using TFrameStyleEx = TFrameStyle;
inline const std::vector<std::string>& FrameStyleNames() {
  static const std::vector<std::string> names{"fsNone",   "fsFlat",       "fsGroove", "fsBump",
                                              "fsLowered", "fsButtonDown", "fsRaised", "fsButtonUp",
                                              "fsStatus", "fsPopup",      "fsFlatBold", "fsFlatRounded"};
  return names;
}

enum TSide { sdLeft, sdTop, sdRight, sdBottom };
using TSides = ui::TSet<TSide>;
inline constexpr TSides sdAllSides{sdLeft, sdTop, sdRight, sdBottom};
inline const std::vector<std::string>& SideNames() {
  static const std::vector<std::string> names{"sdLeft", "sdTop", "sdRight", "sdBottom"};
  return names;
}

enum TKitVisualStyle { vsClassic, vsWinXP, vsGradient };
enum TKitGradientColorStyle { gcsSystem, gcsMSOffice, gcsCustom };
enum TBlinkState { bsOn, bsOff };
enum TAlignmentVertical { avTop, avCenter, avBottom };
enum TKitGridStyle { gsDots, gsDottedLines, gsSolidLines };
enum TFramingPreference { fpCustomFraming, fpXPThemes };

enum TGradientDirection {
  gdDiagonalUp, gdDiagonalDown, gdHorizontalEnd, gdHorizontalCenter, gdHorizontalBox, gdVerticalEnd,
  gdVerticalCenter, gdVerticalBox, gdSquareBox, gdBigSquareBox
};

}  // namespace kit
