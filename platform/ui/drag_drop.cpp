#include "platform/ui/drag_drop.h"

#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>
#include <cstdlib>
#include <memory>
#include <optional>
#include <vector>

#include "platform/ui/application.h"
#include "platform/ui/drag_frame.h"
#include "platform/ui/guard.h"
#include "platform/ui/qt_bridge.h"

namespace ui {

TMouse Mouse;

namespace qt {
namespace {
std::optional<TPoint> g_lastMouse;
}
void NoteMousePos(TPoint ScreenPos) { g_lastMouse = ScreenPos; }
TPoint LastMousePos() { return g_lastMouse ? *g_lastMouse : S(QCursor::pos()); }
}  // namespace qt

TCursor TDragObject::GetDragCursor(bool Accepted, int, int) { return Accepted ? crDrag : crNoDrop; }
void TDragObject::Finished(TObject*, int, int, bool) {}

TCursor TDragControlObject::GetDragCursor(bool Accepted, int X, int Y) {
  return Accepted && control_ ? control_->DragCursor() : TDragObject::GetDragCursor(Accepted, X, Y);
}

void TDragControlObject::Finished(TObject* Target, int X, int Y, bool) {
  if (control_) control_->DoEndDrag(Target, X, Y);
}

// The one drag under way. It watches the source and the target for being
// freed, and the application's mouse and keys for the drag's own input.
class DragSession : public TComponent, public QObject {
 public:
  DragSession(TControl* Source, TPoint Start, int Threshold, bool Active)
      : TComponent(nullptr), source_(Source), start_(Start), threshold_(Threshold), active_(Active) {
    Watch(Source);
  }
  ~DragSession() override {
    BeginDestroy();
    if (filtering_) qApp->removeEventFilter(this);
    if (ownsObject_) delete object_;
  }

  TControl* Source() const { return source_; }
  bool Ending() const { return ending_; }
  TDragObject* Object() const { return object_; }

  void Start(TDragObject* Object) {
    ownsObject_ = Object == nullptr;
    object_ = Object ? Object : new TDragControlObject(source_);
    object_->dragTarget_ = nullptr;
    object_->dragPos_ = start_;
    savedCursor_ = Screen ? Screen->Cursor() : crDefault;
    qApp->installEventFilter(this);
    filtering_ = true;
    if (active_) MoveTo(start_);
  }

  // The mouse is at P (screen).
  void MoveTo(TPoint P) {
    if (!active_) {
      if (std::abs(P.X - start_.X) < threshold_ && std::abs(P.Y - start_.Y) < threshold_) return;
      active_ = true;
    }
    TControl* target = FindTarget(P);
    if (target != object_->dragTarget_) {
      if (object_->dragTarget_) Ask(dmDragLeave, P);
      if (!object_) return;
      SetTarget(target);
      object_->dragPos_ = P;
      if (target) Ask(dmDragEnter, P);
      if (!object_) return;
    }
    object_->dragPos_ = P;
    bool accepted = object_->dragTarget_ && Ask(dmDragMove, P);
    if (!object_) return;
    if (Screen) Screen->SetCursor(object_->GetDragCursor(accepted, P.X, P.Y));
  }

  bool eventFilter(QObject* Watched, QEvent* E) override {
    if (!Watched->isWidgetType()) return false;
    switch (E->type()) {
      case QEvent::MouseMove:
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick: {
        auto* me = static_cast<QMouseEvent*>(E);
        const TPoint p = qt::S(me->globalPosition().toPoint());
        qt::NoteMousePos(p);
        if (E->type() == QEvent::MouseMove) {
          Guarded([&] { MoveTo(p); });
        } else if (E->type() == QEvent::MouseButtonRelease && me->button() == Qt::LeftButton) {
          Guarded([&] {
            if (p != object_->dragPos_) MoveTo(p);
            if (object_) Done(true);
          });
        } else if (me->button() == Qt::RightButton) {
          Guarded([&] { Done(false); });
        }
        return true;
      }
      case QEvent::KeyPress:
        if (static_cast<QKeyEvent*>(E)->key() == Qt::Key_Escape) {
          Guarded([&] { Done(false); });
          return true;
        }
        return false;
      default:
        return false;
    }
  }

  // Ends the drag: the target is asked once more as the mouse leaves it,
  // takes the drop when it still accepts, and the source hears last.
  void Done(bool Drop);

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override {
    TComponent::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (object_ && AComponent == object_->dragTarget_) object_->dragTarget_ = nullptr;
    if (AComponent == source_) {
      source_ = nullptr;
      if (auto* c = dynamic_cast<TDragControlObject*>(object_); c && c->control_ == AComponent) c->control_ = nullptr;
      Done(false);
    }
  }

 private:
  void Watch(TControl* C) {
    if (C) C->FreeNotification(this);
  }
  void SetTarget(TControl* Target) {
    TControl* old = object_->dragTarget_;
    if (old && old != source_) old->RemoveFreeNotification(this);
    object_->dragTarget_ = Target;
    Watch(Target);
  }
  static TControl* FindTarget(TPoint P) {
    TWinControl* w = FindWinControlAt(P);
    if (!w) return nullptr;
    TControl* graphic = w->ControlAtPos(w->ScreenToClient(P));
    return graphic ? graphic : w;
  }
  // Sends CM_DRAG to the target; its answer is whether it accepts.
  bool Ask(TDragMessage Kind, TPoint P) {
    TControl* target = object_->dragTarget_;
    if (!target) return false;
    object_->dragTargetPos_ = target->ScreenToClient(P);
    TDragRec rec{P, object_, target};
    return target->Perform(CM_DRAG, Kind, reinterpret_cast<LPARAM>(&rec)) != 0;
  }

  TControl* source_;
  TPoint start_;
  int threshold_;
  bool active_;
  TDragObject* object_ = nullptr;
  bool ownsObject_ = false;
  bool filtering_ = false;
  bool done_ = false;
  bool ending_ = false;
  TCursor savedCursor_ = crDefault;
};

namespace {
std::unique_ptr<DragSession> g_drag;
// Sessions that ended. One may end inside its own event filter, while a
// freed control tells it so, or start the next drag from its end event, so
// each is freed at a later drag, once its ending is over.
std::vector<std::unique_ptr<DragSession>> g_ended;
}  // namespace

void DragSession::Done(bool Drop) {
  if (done_ || !object_) return;
  done_ = true;
  ending_ = true;
  if (filtering_) {
    qApp->removeEventFilter(this);
    filtering_ = false;
  }
  if (Screen) Screen->SetCursor(savedCursor_);
  // The session leaves the global slot first: handlers may start a new drag.
  if (g_drag.get() == this) g_ended.push_back(std::move(g_drag));
  object_->dropped_ = Drop;
  const TPoint p = object_->dragPos_;
  bool accepted = false;
  if (active_ && object_->dragTarget_) accepted = Ask(dmDragLeave, p) && Drop;
  TControl* target = object_->dragTarget_;
  TPoint at = object_->dragTargetPos_;
  if (accepted && target) {
    TDragRec rec{p, object_, target};
    target->Perform(CM_DRAG, dmDragDrop, reinterpret_cast<LPARAM>(&rec));
    target = object_->dragTarget_;  // freed by its own drop?
  }
  if (!accepted || !target) {
    target = nullptr;
    at = {};
  }
  object_->Finished(target, at.X, at.Y, accepted);
  ending_ = false;
}

TDragObject* CurrentDragObject() { return g_drag ? g_drag->Object() : nullptr; }

// --- the control's side -------------------------------------------------------

void TControl::BeginDrag(bool Immediate, int Threshold) {
  if (g_drag) return;
  std::erase_if(g_ended, [](const std::unique_ptr<DragSession>& d) { return !d->Ending(); });
  if (Threshold < 0) Threshold = Mouse.DragThreshold;
  const TPoint start = qt::LastMousePos();
  // The press that leads to the drag is over for the control: it hears the
  // release, but a drag is no click.
  if (controlState_.Contains(csLButtonDown)) {
    controlState_.Exclude(csClicked);
    const TPoint p = ScreenToClient(start);
    auto alive = alive_;
    Perform(WM_LBUTTONUP, 0, MakeLParam(p.X, p.Y));
    if (!*alive) return;
  }
  g_drag = std::make_unique<DragSession>(this, start, Threshold, Immediate);
  DragSession* session = g_drag.get();
  TDragObject* object = nullptr;
  DoStartDrag(object);
  // The handler may have ended the drag, or freed the control.
  if (g_drag.get() != session || session->Source() != this) {
    if (g_drag.get() == session) g_ended.push_back(std::move(g_drag));
    return;
  }
  session->Start(object);
}

bool TControl::Dragging() const { return g_drag && g_drag->Source() == this && g_drag->Object(); }

void TControl::EndDrag(bool Drop) {
  if (Dragging()) g_drag->Done(Drop);
}

void TControl::DoStartDrag(TDragObject*& DragObject) {
  if (OnStartDrag) OnStartDrag(this, DragObject);
}

void TControl::DragOver(TObject* Source, int X, int Y, TDragState State, bool& Accept) {
  Accept = false;
  if (OnDragOver) {
    Accept = true;
    OnDragOver(this, Source, X, Y, State, Accept);
  }
}

void TControl::DragDrop(TObject* Source, int X, int Y) {
  if (OnDragDrop) OnDragDrop(this, Source, X, Y);
}

void TControl::DoEndDrag(TObject* Target, int X, int Y) {
  if (OnEndDrag) OnEndDrag(this, Target, X, Y);
}

void TControl::DragMessage(TMessage& Message) {
  auto* rec = reinterpret_cast<TDragRec*>(Message.LParam);
  if (!rec || !rec->Source) return;
  const TPoint p = ScreenToClient(rec->Pos);
  TObject* source = rec->Source->Source();
  switch (Message.WParam) {
    case dmDragEnter:
    case dmDragLeave:
    case dmDragMove: {
      const TDragState state = Message.WParam == dmDragEnter   ? dsDragEnter
                               : Message.WParam == dmDragLeave ? dsDragLeave
                                                               : dsDragMove;
      bool accept = false;
      DragOver(source, p.X, p.Y, state, accept);
      Message.Result = accept ? 1 : 0;
      break;
    }
    case dmDragDrop:
      DragDrop(source, p.X, p.Y);
      break;
    default:
      break;
  }
}

}  // namespace ui
