// Texts a user entered in an editor, offered again when what is typed
// matches their start (TMRUListEx), and the drop-down that shows them
// (TMRUListboxEx: a popup list with its own scroll bar beside the grip).
#pragma once

#include <functional>
#include <memory>

#include "grid/editor_support/popup_listbox.h"
#include "platform/classes/string_list.h"

namespace grid {

using TFilterMRUItemEventEx = std::function<void(ui::TObject* Sender, bool& Accept)>;
using TSetCloseUpEventEx = std::function<void(ui::TObject* Sender, bool Accept)>;
using TSetDropDownEventEx = std::function<void(ui::TObject* Sender)>;

class TMRUListEx : public ui::TPersistent {
  JQ_UI_CLASSINFO

 public:
  explicit TMRUListEx(ui::TPersistent* Owner);
  ~TMRUListEx() override;

  bool AutoAdd() const { return autoAdd_; }
  void SetAutoAdd(bool Value) { autoAdd_ = Value; }
  bool Active() const { return active_; }
  void SetActive(bool Value);
  bool CaseSensitive() const { return caseSensitive_; }
  void SetCaseSensitive(bool Value) { caseSensitive_ = Value; }
  // Oldest first: the most recent text is the last item.
  ui::TStrings* Items() const { return items_.get(); }
  void SetItems(const ui::TStrings* Value);
  int Limit() const { return limit_; }
  void SetLimit(int Value);
  int Rows() const { return rows_; }
  void SetRows(int Value) { rows_ = Value; }
  bool DroppedDown() const { return droppedDown_; }
  void SetDroppedDown(bool Value) { droppedDown_ = Value; }
  int Width() const { return width_; }
  void SetWidth(int Value) { width_ = Value; }
  bool CancelIfKeyInQueue() const { return cancelIfKeyInQueue_; }
  void SetCancelIfKeyInQueue(bool Value) { cancelIfKeyInQueue_ = Value; }

  void Add(const ui::String& S);
  // Items starting with MaskText, in order; false when a waiting key cut it short.
  bool FilterItemsTo(ui::TStrings* FilteredItems, const ui::String& MaskText);
  virtual void DropDown();
  virtual void CloseUp(bool Accept);
  void Assign(const ui::TPersistent* Source) override;
  ui::TPersistent* GetOwner() const override { return owner_; }

  ui::TNotifyEvent OnActiveChanged;
  TSetCloseUpEventEx OnSetCloseUp;
  TSetDropDownEventEx OnSetDropDown;
  TFilterMRUItemEventEx OnFilterItem;

 protected:
  void TrimToLimit();

 private:
  bool active_ = false;
  bool autoAdd_ = true;
  bool caseSensitive_ = false;
  std::unique_ptr<ui::TStringList> items_;
  int limit_ = 100;
  ui::TPersistent* owner_;
  int rows_ = 7;
  int width_ = 0;
  bool cancelIfKeyInQueue_ = true;
  bool droppedDown_ = false;
};

// Whether a key press waits to be handled (long filters give way to typing).
using TKeyInQueueProbe = std::function<bool()>;
void SetKeyInQueueProbe(TKeyInQueueProbe Probe);

// A vertical scroll bar drawn by the control itself (arrows, track, thumb):
// it tells its list through WM_VSCROLL with the scroll code and position.
class TListScrollBarEx : public ui::TCustomControl {
 public:
  explicit TListScrollBarEx(ui::TComponent* AOwner);
  void SetParams(int Position, int Min, int Max, int PageSize);
  int Position() const { return position_; }
  int Min() const { return min_; }
  int Max() const { return max_; }
  int PageSize() const { return pageSize_; }
  // Receives the WM_VSCROLL notices (the list the bar serves).
  ui::TWinControl* Target = nullptr;

 protected:
  void Paint() override;
  void MouseDown(ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y) override;
  void MouseMove(ui::TShiftState Shift, int X, int Y) override;
  void MouseUp(ui::TMouseButton Button, ui::TShiftState Shift, int X, int Y) override;

 private:
  ui::TRect ThumbRect() const;
  void Notify(int Code, int Pos);
  int position_ = 0, min_ = 0, max_ = 0, pageSize_ = 0;
  int dragOffset_ = -1;
};

class TMRUListboxEx : public TPopupListboxEx {
 public:
  explicit TMRUListboxEx(ui::TComponent* AOwner);
  ~TMRUListboxEx() override;

  TListScrollBarEx* ScrollBar() const { return scrollBar_; }
  void UpdateScrollBar();
  void UpdateScrollBarPos();
  // Rows rows high, below (or above) its editor.
  void PlaceUnder(ui::TControl* Edit, int Rows);
  void Dispatch(ui::TMessage& Message) override;

 protected:
  void SizeChanged(int OldWidth, int OldHeight) override;
  void ItemsChanged() override;
  bool DoMouseWheel(ui::TShiftState Shift, int WheelDelta, ui::TPoint MousePos) override;

 private:
  ui::TRect BarRect();
  TListScrollBarEx* scrollBar_;
  bool scrollBarLockMove_ = false;
};

}  // namespace grid
