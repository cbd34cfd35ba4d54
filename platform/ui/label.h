// Static text drawn on the parent.
#pragma once

#include "platform/ui/controls.h"

namespace ui {

class TLabel : public TGraphicControl {
  JQ_UI_CLASSINFO
 public:
  explicit TLabel(TComponent* AOwner);

  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment Value);
  TTextLayout Layout() const { return layout_; }
  void SetLayout(TTextLayout Value);
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool Value);
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool Value);
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool Value);
  bool ShowAccelChar() const { return showAccelChar_; }
  void SetShowAccelChar(bool Value);

 protected:
  void Paint() override;
  void Loaded() override;
  void FontChanged() override;
  void TextChanged() override;
  // Fits the bounds to the caption when AutoSize.
  void AdjustBounds();
  unsigned TextFlags() const;

 private:
  TAlignment alignment_ = taLeftJustify;
  TTextLayout layout_ = tlTop;
  bool autoSize_ = true;
  bool wordWrap_ = false;
  bool transparent_ = false;
  bool showAccelChar_ = true;
};

}  // namespace ui
