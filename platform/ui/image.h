// A picture drawn on the parent.
#pragma once

#include <memory>

#include "platform/ui/bitmap.h"
#include "platform/ui/controls.h"

namespace ui {

class TImage : public TGraphicControl {
  JQ_UI_CLASSINFO
 public:
  explicit TImage(TComponent* AOwner);
  ~TImage() override;

  TPicture* Picture() const { return picture_.get(); }
  void SetPicture(const TPicture* Value) { picture_->Assign(Value); }
  bool Stretch() const { return stretch_; }
  void SetStretch(bool Value);
  // With Stretch: keeps the picture's proportions.
  bool Proportional() const { return proportional_; }
  void SetProportional(bool Value);
  bool Center() const { return center_; }
  void SetCenter(bool Value);
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool Value);
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool Value);
  // Where the picture is drawn, in client coordinates.
  TRect DestRect() const;

 protected:
  void Paint() override;

 private:
  void PictureChanged();
  std::unique_ptr<TPicture> picture_;
  bool stretch_ = false;
  bool proportional_ = false;
  bool center_ = false;
  bool transparent_ = false;
  bool autoSize_ = false;
};

}  // namespace ui
