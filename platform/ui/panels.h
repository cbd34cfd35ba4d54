// Containers: bevelled panels and group boxes.
#pragma once

#include "platform/ui/controls.h"

namespace ui {

enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };

class TPanel : public TCustomControl {
  JQ_UI_CLASSINFO
 public:
  explicit TPanel(TComponent* AOwner);
  ~TPanel() override;

  TBevelCut BevelOuter() const { return bevelOuter_; }
  void SetBevelOuter(TBevelCut Value);
  TBevelCut BevelInner() const { return bevelInner_; }
  void SetBevelInner(TBevelCut Value);
  int BevelWidth() const { return bevelWidth_; }
  void SetBevelWidth(int Value);
  int BorderWidth() const { return borderWidth_; }
  void SetBorderWidth(int Value);
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment Value);

 protected:
  void Paint() override;
  void AdjustClientRect(TRect& Rect) override;

 private:
  TBevelCut bevelOuter_ = bvRaised;
  TBevelCut bevelInner_ = bvNone;
  int bevelWidth_ = 1;
  int borderWidth_ = 0;
  TAlignment alignment_ = taCenter;
};

class TGroupBox : public TWinControl {
  JQ_UI_CLASSINFO
 public:
  explicit TGroupBox(TComponent* AOwner);
  ~TGroupBox() override;

 protected:
  QWidget* CreateWidget(QWidget* Parent) override;
  void InitWidget() override;
  void SetTextInternal(const String& Value) override;
  void AdjustClientRect(TRect& Rect) override;
};

}  // namespace ui
