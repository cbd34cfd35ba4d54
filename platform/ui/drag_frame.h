// Feedback and hit testing while a part of a window is dragged by the mouse:
// a hatched frame that shows where the part would land, and the windowed
// control under a screen point.
#pragma once

#include <functional>
#include <memory>

#include "platform/ui/controls.h"

class QObject;
class QWidget;

namespace ui {

class TDragFrame {
 public:
  TDragFrame();
  ~TDragFrame();
  TDragFrame(const TDragFrame&) = delete;
  TDragFrame& operator=(const TDragFrame&) = delete;

  // Shows the frame (Thickness pixels wide) at a screen rectangle: over the
  // window under its centre, so a picture of that window shows it, or on its
  // own outside every window. Showing again moves it.
  void Show(const TRect& ScreenRect, int Thickness);
  void Hide();
  bool Visible() const;
  const TRect& ScreenRect() const { return rect_; }
  int Thickness() const { return thickness_; }

  // Esc pressed anywhere while the frame shows (the key goes no further).
  std::function<void()> OnCancel;

 private:
  std::unique_ptr<QWidget> widget_;
  std::unique_ptr<QObject> escFilter_;
  TRect rect_{};
  int thickness_ = 0;
};

// The topmost shown form containing the screen point, or nullptr.
TCustomForm* FindFormAt(TPoint ScreenPos);
// The innermost shown windowed control under the screen point, or nullptr.
TWinControl* FindWinControlAt(TPoint ScreenPos);

}  // namespace ui
