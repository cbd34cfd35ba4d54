// The stand-alone scroll bar: a control of its own, not a window's edge.
// Like any classic scroll bar control it tells its parent of each action
// (WM_HSCROLL or WM_VSCROLL naming the bar); the parent reflects the notice
// back to the bar as CN_HSCROLL or CN_VSCROLL, which moves the position.
// Another control may hook the bar's window procedure on that way (a grid
// driven by an external bar).
#pragma once

#include "platform/ui/controls.h"

namespace ui {

enum TScrollBarKind { sbHorizontal, sbVertical };
enum TScrollCode { scLineUp, scLineDown, scPageUp, scPageDown, scPosition, scTrack, scTop, scBottom, scEndScroll };
using TScrollEvent = std::function<void(TObject* Sender, TScrollCode ScrollCode, int& ScrollPos)>;

class TScrollBar : public TWinControl {
  JQ_UI_CLASSINFO
 public:
  explicit TScrollBar(TComponent* AOwner);
  ~TScrollBar() override;

  TScrollBarKind Kind() const { return kind_; }
  void SetKind(TScrollBarKind Value);
  int Min() const { return min_; }
  int Max() const { return max_; }
  int Position() const { return position_; }
  void SetMin(int Value) { SetParams(position_, Value, max_); }
  void SetMax(int Value) { SetParams(position_, min_, Value); }
  void SetPosition(int Value) { SetParams(Value, min_, max_); }
  // The part of the range one view shows (the thumb's length); 0: none.
  int PageSize() const { return pageSize_; }
  void SetPageSize(int Value);
  int SmallChange() const { return smallChange_; }
  void SetSmallChange(int Value) { smallChange_ = Value; }
  int LargeChange() const { return largeChange_; }
  void SetLargeChange(int Value) { largeChange_ = Value; }
  // Sets all three at once; the position is held inside the range. A range
  // that is reversed or shorter than the page raises EInvalidOperation and
  // changes nothing. OnChange runs when the position moved.
  void SetParams(int APosition, int AMin, int AMax);

  // Range, page, position and, while the thumb is dragged, its place.
  bool GetControlScrollInfo(TScrollInfo& Info) const;

  // Each action, with the position it leads to (which the handler may change).
  TScrollEvent OnScroll;
  TNotifyEvent OnChange;

  void Dispatch(TMessage& Message) override;

 protected:
  virtual void Scroll(TScrollCode ScrollCode, int& ScrollPos);
  virtual void Change();
  QWidget* CreateWidget(QWidget* Parent) override;
  void InitWidget() override;

 private:
  void DoScroll(const TMessage& Message);
  void Notify(int Code, int Pos);
  void SyncWidget();
  TScrollBarKind kind_ = sbHorizontal;
  int min_ = 0, max_ = 100, position_ = 0;
  int pageSize_ = 0, smallChange_ = 1, largeChange_ = 1;
  bool tracking_ = false;
  int trackPos_ = 0;
  bool syncing_ = false;
};

}  // namespace ui
