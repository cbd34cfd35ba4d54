#include "platform/ui/shape.h"

#include <algorithm>

#include "platform/ui/canvas.h"

namespace ui {

const TClassInfo& TShape::StaticClassInfo() {
  static const TClassInfo info = TClassBuilder<TShape>("TShape", &TGraphicControl::StaticClassInfo()).Build();
  return info;
}

TShape::TShape(TComponent* AOwner)
    : TGraphicControl(AOwner), pen_(std::make_unique<TPen>()), brush_(std::make_unique<TBrush>()) {
  SetBounds(0, 0, 65, 65);
  pen_->OnChange = [this](TObject*) { Invalidate(); };
  brush_->OnChange = [this](TObject*) { Invalidate(); };
}

TShape::~TShape() = default;

void TShape::Paint() {
  TCanvas* c = Canvas();
  c->SetPen(pen_.get());
  c->SetBrush(brush_.get());
  // The outline lies inside the bounds, however wide the pen.
  const int w = std::max(1, pen_->Width());
  const int off = w / 2;
  int r = Width() - off, b = Height() - off;
  if (w == 1) r = Width(), b = Height();
  c->Rectangle(off, off, std::max(off + 1, r), std::max(off + 1, b));
}

}  // namespace ui
