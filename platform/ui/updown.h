// The up-down control: two arrow buttons stepping a position within a
// range. A press steps once, then repeats (400 ms, then every 100 ms) while
// held; every step reaches the control as CN_VSCROLL with SB_THUMBPOSITION
// and the new position, whose default handling raises OnClick.
#pragma once

#include "platform/ui/controls.h"

namespace ui {

enum TUDBtnType { btNext, btPrev };
using TUDClickEvent = std::function<void(TObject* Sender, TUDBtnType Button)>;

class TCustomUpDown : public TCustomControl {
  JQ_UI_CLASSINFO
 public:
  explicit TCustomUpDown(TComponent* AOwner);
  ~TCustomUpDown() override;

  int Min() const { return min_; }
  int Max() const { return max_; }
  void SetMin(int Value) { min_ = Value; }
  void SetMax(int Value) { max_ = Value; }
  int Position() const { return position_; }
  void SetPosition(int Value);
  // The arrow half held down, -1 when none.
  int Pressed() const { return pressed_; }

  TUDClickEvent OnClick;
  virtual void Click(TUDBtnType Button);
  void Dispatch(TMessage& Message) override;

 protected:
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;

 private:
  void Step();
  int min_ = 0, max_ = 100, position_ = 0;
  int pressed_ = -1;
};

}  // namespace ui
