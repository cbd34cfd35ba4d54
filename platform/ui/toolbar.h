// Tool bars: a row of buttons with images from an image list.
#pragma once

#include "platform/ui/bitmap.h"
#include "platform/ui/controls.h"

namespace ui {

class TToolBar;

enum TToolButtonStyle { tbsButton, tbsCheck, tbsDropDown, tbsSeparator, tbsDivider };

class TToolButton : public TGraphicControl {
  JQ_UI_CLASSINFO
 public:
  explicit TToolButton(TComponent* AOwner);
  ~TToolButton() override;

  int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int Value);
  TToolButtonStyle Style() const { return style_; }
  void SetStyle(TToolButtonStyle Value);
  bool Down() const { return down_; }
  void SetDown(bool Value);
  TToolBar* ToolBar() const;
  void SetParent(TWinControl* AParent) override;
  void Dispatch(TMessage& Message) override;

 protected:
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void TextChanged() override;

 private:
  int imageIndex_ = -1;
  TToolButtonStyle style_ = tbsButton;
  bool down_ = false;
  bool pressed_ = false;
  bool hot_ = false;
};

class TToolBar : public TCustomControl {
  JQ_UI_CLASSINFO
 public:
  explicit TToolBar(TComponent* AOwner);
  ~TToolBar() override;

  int ButtonWidth() const { return buttonWidth_; }
  void SetButtonWidth(int Value);
  int ButtonHeight() const { return buttonHeight_; }
  void SetButtonHeight(int Value);
  TImageList* Images() const { return images_; }
  void SetImages(TImageList* Value);
  bool ShowCaptions() const { return showCaptions_; }
  void SetShowCaptions(bool Value);
  // Height follows the tallest child.
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool Value);
  bool Flat() const { return flat_; }
  void SetFlat(bool Value);
  int Indent() const { return indent_; }
  void SetIndent(int Value);
  int ButtonCount() const;
  TToolButton* Buttons(int Index) const;
  // Lays the children out left to right in creation order, skipping hidden ones.
  void ArrangeButtons();

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void ChildBoundsChanged(TControl* Child) override;
  void AlignControls(TControl* AControl, TRect& Rect) override;
  void Loaded() override;

 private:
  int buttonWidth_ = 23;
  int buttonHeight_ = 22;
  TImageList* images_ = nullptr;
  bool showCaptions_ = false;
  bool autoSize_ = false;
  bool flat_ = true;
  int indent_ = 0;
  bool arranging_ = false;
};

}  // namespace ui
