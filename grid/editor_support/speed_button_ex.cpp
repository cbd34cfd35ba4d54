#include "grid/editor_support/speed_button_ex.h"

namespace grid {

using namespace ui;

const TClassInfo& TSpeedButtonEx::StaticClassInfo() {
  static const TClassInfo info =
      TClassBuilder<TSpeedButtonEx>("TSpeedButtonEx", &TGraphicControl::StaticClassInfo())
          .Boolean("Active", &TEditButtonControlEx::Active, &TEditButtonControlEx::SetActive, 0)
          .Boolean("Flat", &TEditButtonControlEx::Flat, &TEditButtonControlEx::SetFlat, 0)
          .Enum("Style", "TEditButtonStyleEx", EditButtonStyleNames(), &TEditButtonControlEx::Style,
                &TEditButtonControlEx::SetStyle, ebsDropDownEx)
          .Build();
  return info;
}

TSpeedButtonEx::TSpeedButtonEx(TComponent* AOwner) : TEditButtonControlEx(AOwner) {}

TSpeedButtonEx::~TSpeedButtonEx() = default;

}  // namespace grid
