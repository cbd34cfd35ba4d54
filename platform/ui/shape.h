// A graphic control that draws a rectangle with its own pen and brush
// (markers and separators made of plain shapes).
#pragma once

#include <memory>

#include "platform/ui/controls.h"
#include "platform/ui/graphics.h"

namespace ui {

class TShape : public TGraphicControl {
  JQ_UI_CLASSINFO
 public:
  explicit TShape(TComponent* AOwner);
  ~TShape() override;
  TPen* Pen() const { return pen_.get(); }
  TBrush* Brush() const { return brush_.get(); }

 protected:
  void Paint() override;

 private:
  std::unique_ptr<TPen> pen_;
  std::unique_ptr<TBrush> brush_;
};

}  // namespace ui
