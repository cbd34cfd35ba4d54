#include "platform/ui/application.h"

#include "platform/ui/actions.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <QCoreApplication>
#include <QCursor>
#include <QEvent>
#include <QEventLoop>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QToolTip>
#include <QWidget>
#include <algorithm>
#include <list>

#include "platform/ui/dialogs.h"
#include "platform/ui/guard.h"
#include "platform/ui/hint_window.h"
#include "platform/ui/qt_bridge.h"
#include "platform/ui/timers.h"

namespace ui {

TApplication* Application = nullptr;
TScreen* Screen = nullptr;

namespace {

QApplication* g_ownedQApp = nullptr;
int g_fakeArgc = 1;
char g_fakeArg0[] = "jq";
char* g_fakeArgv[] = {g_fakeArg0, nullptr};

// --- posted messages ---------------------------------------------------------

struct Posted {
  std::uint64_t token;
  const TWinControl* control;
  TMessage msg;
};
std::list<Posted> g_posted;
std::uint64_t g_nextToken = 1;

constexpr QEvent::Type kPostedEvent = static_cast<QEvent::Type>(QEvent::User + 0x3A1);

class PostedEvent : public QEvent {
 public:
  explicit PostedEvent(std::uint64_t t) : QEvent(kPostedEvent), token(t) {}
  std::uint64_t token;
};

class Poster : public QObject {
 public:
  bool event(QEvent* e) override {
    if (e->type() != kPostedEvent) return QObject::event(e);
    auto token = static_cast<PostedEvent*>(e)->token;
    auto it = std::find_if(g_posted.begin(), g_posted.end(), [&](const Posted& p) { return p.token == token; });
    if (it == g_posted.end()) return true;  // taken out of the queue meanwhile
    auto* control = const_cast<TWinControl*>(it->control);
    TMessage m = it->msg;
    g_posted.erase(it);
    Guarded([&] { control->CallWindowProc(m); });
    return true;
  }
};
Poster* g_poster = nullptr;

}  // namespace

namespace detail {
void ForgetPostedMessages(const TWinControl* Control) {
  g_posted.remove_if([&](const Posted& p) { return p.control == Control; });
}
}  // namespace detail

bool PostMessage(TWinControl* Control, std::uint32_t Msg, WPARAM WParam, LPARAM LParam) {
  if (!Control || Control->IsDestroying()) return false;
  if (!g_poster) g_poster = new Poster();
  std::uint64_t token = g_nextToken++;
  g_posted.push_back({token, Control, TMessage{Msg, WParam, LParam, 0}});
  QCoreApplication::postEvent(g_poster, new PostedEvent(token));
  return true;
}

bool QueueMainThreadCall(std::function<void()> Call) {
  QCoreApplication* app = QCoreApplication::instance();
  if (!app) return false;
  return QMetaObject::invokeMethod(app, [call = std::move(Call)] { Guarded(call); }, Qt::QueuedConnection);
}

namespace {

// The first queued message for the control (null: any) within the range.
std::list<Posted>::iterator FindPosted(const TWinControl* Control, std::uint32_t MsgFirst, std::uint32_t MsgLast) {
  return std::find_if(g_posted.begin(), g_posted.end(), [&](const Posted& p) {
    return (!Control || p.control == Control) && p.msg.Msg >= MsgFirst && p.msg.Msg <= MsgLast;
  });
}

}  // namespace

bool IsMessageQueued(const TWinControl* Control, std::uint32_t MsgFirst, std::uint32_t MsgLast) {
  return Control && FindPosted(Control, MsgFirst, MsgLast) != g_posted.end();
}

bool PeekQueuedMessage(const TWinControl* Control, std::uint32_t MsgFirst, std::uint32_t MsgLast, TMessage* Found) {
  if (!Control) return false;
  auto it = FindPosted(Control, MsgFirst, MsgLast);
  if (it == g_posted.end()) return false;
  if (Found) *Found = it->msg;
  return true;
}

bool RemoveQueuedMessage(const TWinControl* Control, std::uint32_t MsgFirst, std::uint32_t MsgLast, TMessage* Removed) {
  if (!Control) return false;
  auto it = FindPosted(Control, MsgFirst, MsgLast);
  if (it == g_posted.end()) return false;
  if (Removed) *Removed = it->msg;
  g_posted.erase(it);
  return true;
}

bool PeekMessage(TMsg& Msg, const TWinControl* Wnd, std::uint32_t MsgFilterMin, std::uint32_t MsgFilterMax,
                 unsigned RemoveMsg) {
  if (MsgFilterMin == 0 && MsgFilterMax == 0) MsgFilterMax = 0xFFFFFFFF;
  auto it = FindPosted(Wnd, MsgFilterMin, MsgFilterMax);
  if (it == g_posted.end()) return false;
  Msg.hwnd = const_cast<TWinControl*>(it->control);
  Msg.message = it->msg.Msg;
  Msg.wParam = it->msg.WParam;
  Msg.lParam = it->msg.LParam;
  if (RemoveMsg & PM_REMOVE) g_posted.erase(it);
  return true;
}

// --- exception guard ------------------------------------------------------------

void HandleCurrentException() noexcept {
  try {
    throw;
  } catch (const rtl::EAbort&) {
    // Silent by design.
  } catch (const std::exception& e) {
    try {
      if (Application)
        Application->HandleException(nullptr);
    } catch (...) {
      // The handler itself failed: nothing more can be reported safely.
    }
    (void)e;
  } catch (...) {
    try {
      if (Application) Application->ShowException(rtl::Exception(u"Unknown exception"));
    } catch (...) {
    }
  }
}

namespace {

// Moving from one tool tip on to the next control brings its tip this soon.
constexpr int kHintShortPause = 50;

// The platform's own tool tip stays until the application hides it.
constexpr int kPlatformTipShowMs = 24 * 60 * 60 * 1000;

// Qt lets its tool tip fade out on a timer of its own; it goes at once here,
// as the application's own tips do.
void HidePlatformTip() {
  QToolTip::hideText();
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->inherits("QTipLabel")) w->hide();
}

// Whether C is Control or a window-less child of it (painted on Control's
// window, so the mouse leaves both at once).
bool OnWindowOf(const TControl* C, const TControl* Control) {
  return C && Control && (C == Control || (C->Parent() == Control && !dynamic_cast<const TWinControl*>(C)));
}

}  // namespace

// --- TApplication -------------------------------------------------------------------

const TClassInfo& TApplication::StaticClassInfo() {
  static const TClassInfo info = TClassBuilder<TApplication>("TApplication", &TComponent::StaticClassInfo())
                                     .Str("Title", &TApplication::Title, &TApplication::SetTitle)
                                     .Build();
  return info;
}

TApplication::TApplication() : TComponent(nullptr) {}

TApplication::~TApplication() {
  DestroyForms();
  StopHintTimer(hintShowTimer_);
  StopHintTimer(hintHideTimer_);
  if (platformTipShown_) HidePlatformTip();
}

String TApplication::ExeName() const { return qt::S(QCoreApplication::applicationFilePath()); }

void TApplication::DestroyForms() {
  // Newest first: later forms may still use earlier ones while they go.
  DestroyComponents();
  mainForm_ = nullptr;
}

void TApplication::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == mainForm_) mainForm_ = nullptr;
  if (Operation == opRemove && (AComponent == hintWindow_ || AComponent == ownHintWindow_)) {
    if (AComponent == hintWindow_) hintWindow_ = nullptr;
    else ownHintWindow_ = nullptr;
    hintControl_ = nullptr;
  }
}

void TApplication::FormDestroyed(TCustomForm* Form) {
  if (Form == mainForm_) mainForm_ = nullptr;
}

void TApplication::Run() {
  if (mainForm_ && !terminated_) Guarded([this] { mainForm_->Show(); });
  while (!terminated_) {
    QEventLoop loop;
    runLoop_ = &loop;
    loop.exec();
    runLoop_ = nullptr;
  }
}

void TApplication::ProcessMessages() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

void TApplication::HandleMessage(int TimeoutMs) {
  QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, TimeoutMs);
}

void TApplication::Terminate() {
  terminated_ = true;
  for (QEventLoop* l : modalStack_) l->exit(0);
  for (QEventLoop* l : watchStack_) l->exit(0);
  if (runLoop_) runLoop_->exit(0);
}

void TApplication::EnterModal(QEventLoop* Loop) {
  CancelMouseCapture();
  modalStack_.push_back(Loop);
  if (OnModalBegin) OnModalBegin(this);
}

void TApplication::LeaveModal(QEventLoop* Loop) {
  modalStack_.erase(std::remove(modalStack_.begin(), modalStack_.end(), Loop), modalStack_.end());
  if (OnModalEnd) OnModalEnd(this);
}

int TApplication::MessageBox(const String& Text, const String& Caption, unsigned Flags) {
  return RunMessageBox(TMessageBoxRequest{Text, Caption, Flags, 0});
}

void TApplication::ShowException(const std::exception& E) {
  String msg;
  if (auto* re = dynamic_cast<const rtl::Exception*>(&E))
    msg = re->Message();
  else
    msg = rtl::Utf8ToString(E.what());
  // The message ends with a full stop, as the system's error boxes show it.
  if (!msg.empty() && msg.back() > u'.') msg += u'.';
  String caption = title_.empty() ? qt::S(QCoreApplication::applicationName()) : title_;
  MessageBox(msg, caption, MB_OK | MB_ICONSTOP);
}

void TApplication::HandleException(TObject* Sender) {
  try {
    throw;
  } catch (const rtl::EAbort&) {
  } catch (const std::exception& e) {
    if (OnException)
      OnException(Sender, e);
    else
      ShowException(e);
  }
}

void InitApplication(int& argc, char** argv) {
  if (!QCoreApplication::instance()) {
    if (argc <= 0 || !argv) g_ownedQApp = new QApplication(g_fakeArgc, g_fakeArgv);
    else g_ownedQApp = new QApplication(argc, argv);
  }
  // Qt's own dialogs and buttons (file dialogs, context menus) speak the
  // program's language, Chinese; without the translation files they stay English.
  if (!qApp->property("jq_translated").toBool()) {
    qApp->setProperty("jq_translated", true);
    auto* translator = new QTranslator(qApp);
    if (translator->load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
      QCoreApplication::installTranslator(translator);
  }
  if (!Application) Application = new TApplication();
  if (!Screen) Screen = new TScreen(nullptr);
}

void DoneApplication() {
  delete Application;
  Application = nullptr;
  delete Screen;
  Screen = nullptr;
}

// --- TScreen ---------------------------------------------------------------------------

const TClassInfo& TScreen::StaticClassInfo() {
  static const TClassInfo info = TClassBuilder<TScreen>("TScreen", &TComponent::StaticClassInfo()).Build();
  return info;
}

TCursor TScreen::Cursors(TCursor Index) const {
  auto it = cursors_.find(Index);
  return it == cursors_.end() ? Index : it->second;
}

void TScreen::SetCursors(TCursor Index, TCursor Value) { cursors_[Index] = Value; }

int TScreen::Width() const { return DesktopRect().Width(); }
int TScreen::Height() const { return DesktopRect().Height(); }

TRect TScreen::DesktopRect() const {
  QScreen* s = QGuiApplication::primaryScreen();
  return s ? qt::S(s->geometry()) : Rect(0, 0, 1024, 768);
}

TRect TScreen::WorkAreaRect() const {
  QScreen* s = QGuiApplication::primaryScreen();
  return s ? qt::S(s->availableGeometry()) : Rect(0, 0, 1024, 768);
}

void TScreen::SetCursor(TCursor Value) {
  if (Value == cursor_) return;
  if (cursor_ != crDefault) QGuiApplication::restoreOverrideCursor();
  cursor_ = Value;
  if (Value == crHourGlass)
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
  else if (Value != crDefault)
    QGuiApplication::setOverrideCursor(Qt::ArrowCursor);
}

TPoint TScreen::CursorPos() const { return qt::S(QCursor::pos()); }

TFont* TScreen::HintFont() const {
  if (!hintFont_) {
    hintFont_ = std::make_unique<TFont>();
    const QFont f = QToolTip::font();
    hintFont_->SetName(qt::S(f.family()));
    if (f.pointSize() > 0) hintFont_->SetSize(f.pointSize());
    TFontStyles style;
    if (f.bold()) style = style + fsBold;
    if (f.italic()) style = style + fsItalic;
    hintFont_->SetStyle(style);
  }
  return hintFont_.get();
}

void TApplication::SetHint(const String& Value) {
  if (Value == hint_) return;
  hint_ = Value;
  if (OnHint) {
    OnHint(this);
    return;
  }
  THintAction action(nullptr);
  action.SetHint(Value);
  action.Execute();
}

// --- tool tips ----------------------------------------------------------------------

void TApplication::SetShowHint(bool Value) {
  if (Value == showHint_) return;
  showHint_ = Value;
  if (!Value) {
    HideShownHint();
    hintTrack_ = nullptr;
    hintState_ = THintState::Idle;
    hintActive_ = false;
    THintWindow* old = hintWindow_;
    THintWindow* own = ownHintWindow_;
    hintWindow_ = nullptr;
    ownHintWindow_ = nullptr;
    hintControl_ = nullptr;
    Free(old);
    Free(own);
  } else if (HintWindowClass) {
    hintWindow_ = HintWindowClass(this);
    if (hintWindow_ && hintWindow_->Owner() != this) hintWindow_->FreeNotification(this);
  }
}

void TApplication::SetHintColor(TColor Value) {
  hintColor_ = Value;
  if (hintWindow_) hintWindow_->SetColor(Value);
  if (ownHintWindow_) ownHintWindow_->SetColor(Value);
}

TApplication::THintOutcome TApplication::ShowHintOf(TControl* Control, TPoint ScreenPos, THintInfo& info) {
  const String hint = Control ? GetControlHint(Control) : String();
  info.HintControl = Control;
  info.HintColor = hintColor_;
  info.HintStr = hint.substr(0, hint.find(u'|'));
  // Below the cursor's image, as the platform's tool tips sit.
  info.HintPos = Point(ScreenPos.X, ScreenPos.Y + 20);
  info.HintMaxWidth = Screen ? Screen->Width() : 1024;
  info.HideTimeout = HintHidePause;
  info.ReshowTimeout = 0;
  const String plainText = info.HintStr;
  const TPoint plainPos = info.HintPos;
  const bool refused = Control && Control->ShowHint() &&
                       Control->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info)) != 0;
  if (refused || !Control || !Control->ShowHint() || info.HintStr.empty()) {
    HideHintWindows();
    return refused ? THintOutcome::Refused : THintOutcome::Nothing;
  }
  THintWindow* window = hintWindow_;
  if (info.HintWindowClass || !window) {
    // The platform's own tool tip shows the control's hint text where the
    // cursor is, in the platform's colour; anything else needs a window of ours.
    if (!info.HintWindowClass && info.HintStr == plainText && info.HintPos == plainPos && !info.HintData &&
        info.HintColor == clInfoBk)
      return THintOutcome::Platform;
    HideHintWindows();
    THintWindow* old = ownHintWindow_;
    ownHintWindow_ = nullptr;
    Free(old);
    window = info.HintWindowClass ? info.HintWindowClass(this) : new THintWindow(this);
    if (!window) return THintOutcome::Nothing;
    if (window->Owner() != this) window->FreeNotification(this);
    ownHintWindow_ = window;
  } else if (ownHintWindow_) {
    ownHintWindow_->ReleaseHandle();
  }
  if (platformTipShown_) {
    platformTipShown_ = false;
    HidePlatformTip();
  }
  TRect r = window->CalcHintRect(std::max(1, info.HintMaxWidth), info.HintStr, info.HintData);
  r = Bounds(info.HintPos.X, info.HintPos.Y, r.Width(), r.Height());
  hintControl_ = Control;
  window->SetColor(info.HintColor);
  window->ActivateHintData(r, info.HintStr, info.HintData);
  EnterShown(Control, info);
  return THintOutcome::Window;
}

bool TApplication::ActivateControlHint(TControl* Control, TPoint ScreenPos) {
  if (!showHint_) return true;
  THintInfo info;
  switch (ShowHintOf(Control, ScreenPos, info)) {
    case THintOutcome::Platform: return false;
    // Nothing to show: the platform may still look further (the parent's tip).
    case THintOutcome::Nothing: return hintWindow_ != nullptr;
    default: return true;
  }
}

void TApplication::EnterShown(TControl* Control, const THintInfo& Info) {
  StopHintTimer(hintShowTimer_);
  StopHintTimer(hintHideTimer_);
  hintTrack_ = Control;
  hintState_ = THintState::Shown;
  hintActive_ = true;
  hintArea_ = Info.CursorRect.IsEmpty() ? Control->ClientRect() : Info.CursorRect;
  if (Info.HideTimeout > 0) StartHintTimer(hintHideTimer_, Info.HideTimeout, &TApplication::ExpireHint);
  // The control wants to be asked again while its tip shows (a tip that changes).
  if (Info.ReshowTimeout > 0) StartHintTimer(hintShowTimer_, Info.ReshowTimeout, &TApplication::ShowTrackedHint);
}

void TApplication::HintMouseMoved(TWinControl* Control, TPoint ClientPos) {
  // A tip laid over its cell takes the mouse: it stays, as the mouse is
  // still over what the tip shows.
  if (!Control || dynamic_cast<THintWindow*>(Control)) return;
  const TPoint screen = Control->ClientToScreen(ClientPos);
  hintMousePos_ = screen;
  // A window-less child has its own hint; controls without ShowHint leave
  // the tip to their parents.
  TControl* c = Control->ControlAtPos(ClientPos, true);
  if (!c) c = Control;
  while (c && !c->ShowHint()) c = c->Parent();
  if (!showHint_ || !c) {
    CancelHint();
    hintTrack_ = nullptr;
    hintState_ = THintState::Idle;
    return;
  }
  const TPoint at = c->ScreenToClient(screen);
  if ((hintState_ == THintState::Shown || hintState_ == THintState::Expired) && c == hintTrack_ &&
      hintArea_.Contains(at))
    return;
  if (hintState_ == THintState::Shown) HideShownHint();
  if (hintState_ == THintState::Expired) hintActive_ = false;
  ArmHint(c);
}

void TApplication::ArmHint(TControl* Control) {
  StopHintTimer(hintShowTimer_);
  hintTrack_ = Control;
  hintState_ = THintState::Waiting;
  int pause = hintActive_ ? kHintShortPause : HintPause;
  Control->Perform(CM_HINTSHOWPAUSE, hintActive_ ? 1 : 0, reinterpret_cast<LPARAM>(&pause));
  if (hintTrack_ != Control || hintState_ != THintState::Waiting) return;  // gone meanwhile
  if (pause <= 0)
    ShowTrackedHint();
  else
    StartHintTimer(hintShowTimer_, pause, &TApplication::ShowTrackedHint);
}

void TApplication::ShowTrackedHint() {
  StopHintTimer(hintShowTimer_);
  TControl* c = hintTrack_;
  if (!c || !showHint_) return;
  THintInfo info;
  const THintOutcome outcome = ShowHintOf(c, hintMousePos_, info);
  if (hintTrack_ != c) return;  // freed while it was asked
  if (outcome == THintOutcome::Platform) {
    if (hintState_ == THintState::Shown) HideShownHint();
    QWidget* widget = nullptr;
    if (auto* w = dynamic_cast<TWinControl*>(c)) widget = w->Widget();
    else if (c->Parent()) widget = c->Parent()->ClientWidget();
    QToolTip::showText(QPoint(hintMousePos_.X, hintMousePos_.Y), qt::Q(info.HintStr), widget, QRect(),
                       kPlatformTipShowMs);
    platformTipShown_ = true;
    EnterShown(c, info);
  } else if (outcome != THintOutcome::Window) {
    // Nothing to show here; the next move asks again.
    if (hintState_ == THintState::Shown) HideShownHint();
    hintState_ = THintState::Idle;
  }
}

void TApplication::HideHintWindows() {
  if (hintControl_) {
    hintControl_ = nullptr;
    if (hintWindow_) hintWindow_->ReleaseHandle();
    if (ownHintWindow_) ownHintWindow_->ReleaseHandle();
  }
  if (platformTipShown_) {
    platformTipShown_ = false;
    HidePlatformTip();
  }
}

void TApplication::HideShownHint() {
  StopHintTimer(hintShowTimer_);
  StopHintTimer(hintHideTimer_);
  HideHintWindows();
  if (hintState_ == THintState::Shown) hintState_ = THintState::Idle;
}

void TApplication::ExpireHint() {
  HideShownHint();
  // The tip had its time: it comes back only once the mouse has left it.
  hintState_ = hintTrack_ ? THintState::Expired : THintState::Idle;
  hintActive_ = false;
}

void TApplication::CancelHint() {
  StopHintTimer(hintShowTimer_);
  if (hintState_ == THintState::Shown) {
    ExpireHint();
  } else if (hintState_ == THintState::Waiting) {
    hintState_ = THintState::Idle;
  }
  hintActive_ = false;
}

void TApplication::CancelControlHint(TControl* Control) {
  if (!Control) return;
  // The tip showing over the mouse took it from the control: nothing left.
  for (THintWindow* w : {hintWindow_, ownHintWindow_})
    if (hintControl_ && w && w->IsHintShown() && w->BoundsRect().Contains(hintMousePos_)) return;
  if (OnWindowOf(hintControl_, Control)) {
    hintControl_ = nullptr;
    if (hintWindow_) hintWindow_->ReleaseHandle();
    if (ownHintWindow_) ownHintWindow_->ReleaseHandle();
  }
  if (OnWindowOf(hintTrack_, Control)) {
    // The tip goes; one on the next control still follows after the short pause.
    if (hintState_ == THintState::Shown) HideShownHint();
    StopHintTimer(hintShowTimer_);
    StopHintTimer(hintHideTimer_);
    hintTrack_ = nullptr;
    hintState_ = THintState::Idle;
  }
  // Out of the window altogether: the next tip waits its full pause.
  if (!Control->Parent()) hintActive_ = false;
}

void TApplication::ControlDestroyed(TControl* Control) {
  if (!Control || (Control != hintControl_ && Control != hintTrack_)) return;
  HideShownHint();
  StopHintTimer(hintShowTimer_);
  hintControl_ = nullptr;
  hintTrack_ = nullptr;
  hintState_ = THintState::Idle;
}

void TApplication::StopHintTimer(std::uint64_t& Id) {
  if (Id) timers::Stop(Id);
  Id = 0;
}

void TApplication::StartHintTimer(std::uint64_t& Id, int Ms, void (TApplication::*Fire)()) {
  StopHintTimer(Id);
  std::uint64_t* slot = &Id;
  Id = timers::Start(static_cast<unsigned>(Ms), [this, slot, Fire] {
    // One shot: each timer is started anew when it is needed again.
    StopHintTimer(*slot);
    (this->*Fire)();
  });
}

// --- watch loops -----------------------------------------------------------------------

namespace {

class InputWatcher : public QObject {
 public:
  explicit InputWatcher(const std::function<bool(TWatchedInput, TPoint)>& ends, QEventLoop* loop)
      : ends_(ends), loop_(loop) {}
  bool eventFilter(QObject* obj, QEvent* e) override {
    if (done_ || !obj->isWidgetType()) return false;
    TWatchedInput kind;
    TPoint at{};
    switch (e->type()) {
      case QEvent::KeyPress:
      case QEvent::KeyRelease: kind = wiKey; break;
      case QEvent::WindowActivate:
      case QEvent::WindowDeactivate:
      case QEvent::ApplicationStateChange: kind = wiActivation; break;
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick:
        kind = wiMouseButton;
        at = qt::S(static_cast<QMouseEvent*>(e)->globalPosition().toPoint());
        break;
      case QEvent::Wheel:
        kind = wiWheel;
        at = qt::S(static_cast<QWheelEvent*>(e)->globalPosition().toPoint());
        break;
      case QEvent::NonClientAreaMouseMove:
        kind = wiNonClientMove;
        at = qt::S(static_cast<QMouseEvent*>(e)->globalPosition().toPoint());
        break;
      case QEvent::MouseMove:
        kind = wiMouseMove;
        at = qt::S(static_cast<QMouseEvent*>(e)->globalPosition().toPoint());
        break;
      default: return false;
    }
    bool end = true;
    Guarded([&] { end = ends_(kind, at); });
    if (end) {
      // The input goes on to its window as if the loop had not seen it.
      done_ = true;
      loop_->exit(0);
    }
    return false;
  }

 private:
  const std::function<bool(TWatchedInput, TPoint)>& ends_;
  QEventLoop* loop_;
  bool done_ = false;
};

}  // namespace

void TApplication::RunInputWatchLoop(const std::function<bool(TWatchedInput, TPoint)>& Ends, int TimeoutMs) {
  if (terminated_) return;
  QEventLoop loop;
  InputWatcher watcher(Ends, &loop);
  QTimer limit;
  limit.setSingleShot(true);
  QObject::connect(&limit, &QTimer::timeout, &loop, [&loop] { loop.exit(0); });
  limit.start(std::max(1, TimeoutMs));
  qApp->installEventFilter(&watcher);
  watchStack_.push_back(&loop);
  loop.exec();
  watchStack_.erase(std::remove(watchStack_.begin(), watchStack_.end(), &loop), watchStack_.end());
  qApp->removeEventFilter(&watcher);
}

void TApplication::EndInputWatchLoop() {
  if (!watchStack_.empty()) watchStack_.back()->exit(0);
}

TCustomForm* TScreen::ActiveForm() const {
  QWidget* w = QApplication::activeWindow();
  return w ? dynamic_cast<TCustomForm*>(FindControl(w)) : nullptr;
}

}  // namespace ui
