// The application object: forms it owns, the message loop, the exception
// handler, posted messages, and the screen.
#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "platform/ui/forms.h"
#include "platform/ui/hint_window.h"

class QEventLoop;

namespace ui {

// Input seen by a watch loop (RunInputWatchLoop).
enum TWatchedInput { wiKey, wiActivation, wiMouseButton, wiWheel, wiNonClientMove, wiMouseMove };

class TApplication : public TComponent {
  JQ_UI_CLASSINFO
 public:
  TApplication();
  ~TApplication() override;

  const String& Title() const { return title_; }
  void SetTitle(const String& Value) { title_ = Value; }
  // Full path of the running program.
  String ExeName() const;
  // The first form created through CreateForm; closing it ends Run.
  TCustomForm* MainForm() const { return mainForm_; }

  // Creates a form owned by the application, sets Ref before OnCreate runs.
  template <class T>
  void CreateForm(T*& Ref) {
    T* form = new T(this);
    Ref = form;
    if (!mainForm_) mainForm_ = form;
    try {
      form->AfterConstruction();
    } catch (...) {
      Ref = nullptr;
      if (mainForm_ == form) mainForm_ = nullptr;
      Free(form);
      throw;
    }
  }

  // Shows the main form and runs the message loop until Terminate.
  void Run();
  // Handles the events waiting now, then returns.
  void ProcessMessages();
  // Waits for the next event (at most Timeout ms) and handles it.
  void HandleMessage(int TimeoutMs = 100);
  // Ends Run and every modal loop.
  void Terminate();
  bool Terminated() const { return terminated_; }
  // Frees the forms, newest first (also done by the destructor).
  void DestroyForms();

  // Modal message box: text, caption and MB_ flags; answers IDOK, IDCANCEL...
  int MessageBox(const String& Text, const String& Caption, unsigned Flags);

  // The handler of exceptions that reach the message loop. Default: an error
  // box with the exception's message; the program goes on.
  std::function<void(TObject* Sender, const std::exception& E)> OnException;
  void ShowException(const std::exception& E);
  // For use inside a catch block.
  void HandleException(TObject* Sender);

  // The long part of the hint of the control under the mouse. A change runs
  // OnHint when assigned, else offers a hint action (status panes show it).
  const String& Hint() const { return hint_; }
  void SetHint(const String& Value);
  TNotifyEvent OnHint;

  // The class of the window controls' tool tips show in, as a maker; empty:
  // the platform's own tool tip. A new class takes effect when ShowHint is
  // switched off and on again (the window is made anew).
  THintWindowClass HintWindowClass;
  bool ShowHint() const { return showHint_; }
  void SetShowHint(bool Value);
  // The tool-tip window of HintWindowClass, while ShowHint is on.
  THintWindow* HintWindow() const { return hintWindow_; }
  // How long a tool tip stays (ms).
  int HintHidePause = 2500;
  // How long the mouse rests before a tool tip shows (ms).
  int HintPause = 500;
  // The background of tool tips; a control may choose another per tool tip
  // (THintInfo::HintColor). A change recolours the tool-tip windows.
  TColor HintColor() const { return hintColor_; }
  void SetHintColor(TColor Value);
  // Shows the short part of the control's hint below the screen point, in
  // the tool-tip window, after the control had its say (CM_HINTSHOW). False:
  // the platform's own tool tip is to show it.
  bool ActivateControlHint(TControl* Control, TPoint ScreenPos);
  // The mouse left Control: a tool tip of it, or of a window-less child,
  // goes, and so does one still to come.
  void CancelControlHint(TControl* Control);
  // The mouse moved over Control (client point). Tool tips follow the mouse:
  // resting on a control with ShowHint for the pause it answers to
  // CM_HINTSHOWPAUSE (HintPause unless it says otherwise; 0: at once) shows
  // its tip; the tip goes after its hide time-out or when the mouse leaves
  // its cursor rectangle; moving on while a tip shows brings the next one
  // after a short pause.
  void HintMouseMoved(TWinControl* Control, TPoint ClientPos);
  // Hides the tool tip and drops one still to come (a press or a key).
  void CancelHint();

  // A nested message loop that lets everything through; each input is first
  // offered to Ends (with the screen point of a mouse input) and, when Ends
  // answers true, the loop ends and the input is then handled as usual. It
  // also ends on Terminate, EndInputWatchLoop or after TimeoutMs.
  void RunInputWatchLoop(const std::function<bool(TWatchedInput, TPoint)>& Ends, int TimeoutMs);
  // Ends the innermost watch loop (it returns once control is back there).
  void EndInputWatchLoop();
  int InputWatchLevel() const { return static_cast<int>(watchStack_.size()); }

  // Nesting depth of modal loops (forms and message boxes).
  int ModalLevel() const { return static_cast<int>(modalStack_.size()); }
  TNotifyEvent OnModalBegin;
  TNotifyEvent OnModalEnd;

  // --- platform side
  void EnterModal(QEventLoop* Loop);
  void LeaveModal(QEventLoop* Loop);
  void FormDestroyed(TCustomForm* Form);
  void ControlDestroyed(TControl* Control);

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  String title_;
  String hint_;
  TCustomForm* mainForm_ = nullptr;
  bool terminated_ = false;
  std::vector<QEventLoop*> modalStack_;
  QEventLoop* runLoop_ = nullptr;
  std::vector<QEventLoop*> watchStack_;
  bool showHint_ = true;
  TColor hintColor_ = clInfoBk;
  THintWindow* hintWindow_ = nullptr;
  // The window of a class a control asked for, for the tool tip shown now.
  THintWindow* ownHintWindow_ = nullptr;
  TControl* hintControl_ = nullptr;

  // --- tool-tip timing
  enum class THintState { Idle, Waiting, Shown, Expired };
  // What came of asking a control for its tool tip.
  enum class THintOutcome { Refused, Nothing, Platform, Window };
  THintOutcome ShowHintOf(TControl* Control, TPoint ScreenPos, THintInfo& Info);
  void ArmHint(TControl* Control);
  void ShowTrackedHint();
  void EnterShown(TControl* Control, const THintInfo& Info);
  void HideHintWindows();
  void HideShownHint();
  void ExpireHint();
  void StopHintTimer(std::uint64_t& Id);
  void StartHintTimer(std::uint64_t& Id, int Ms, void (TApplication::*Fire)());
  THintState hintState_ = THintState::Idle;
  // The control the timing is about: waited on, showing, or shown and gone.
  TControl* hintTrack_ = nullptr;
  // Screen point of the last mouse move.
  TPoint hintMousePos_{};
  // Client rectangle of hintTrack_ the tip belongs to.
  TRect hintArea_{};
  // A tip showed and the mouse moved on: the next one needs only a short pause.
  bool hintActive_ = false;
  bool platformTipShown_ = false;
  std::uint64_t hintShowTimer_ = 0;
  std::uint64_t hintHideTimer_ = 0;
};

// The one application object; exists between InitApplication and DoneApplication.
extern TApplication* Application;

// Creates Qt's application object (when there is none) and Application.
void InitApplication(int& argc, char** argv);
// Frees the forms (newest first) and Application.
void DoneApplication();

// Screen facts (fixed at 96 dpi).
class TScreen : public TComponent {
  JQ_UI_CLASSINFO
 public:
  explicit TScreen(TComponent* AOwner) : TComponent(AOwner) {}
  int Width() const;
  int Height() const;
  TRect DesktopRect() const;
  TRect WorkAreaRect() const;
  int PixelsPerInch() const { return ScreenPixelsPerInch; }
  TCursor Cursor() const { return cursor_; }
  // A cursor other than crDefault overrides every control's cursor.
  void SetCursor(TCursor Value);
  TPoint CursorPos() const;
  TCustomForm* ActiveForm() const;
  // The cursor list: an entry added by a program stands for a copy of a
  // standard cursor; standard ids stand for themselves.
  TCursor Cursors(TCursor Index) const;
  void SetCursors(TCursor Index, TCursor Value);
  // The font hints are shown in, taken from the toolkit's tool tips.
  TFont* HintFont() const;

 private:
  TCursor cursor_ = crDefault;
  std::map<TCursor, TCursor> cursors_;
  mutable std::unique_ptr<TFont> hintFont_;
};
extern TScreen* Screen;

// --- posted messages ----------------------------------------------------------
// Queues a message for the control; it arrives through WndProc after the
// events already waiting. False when the control is gone or null.
bool PostMessage(TWinControl* Control, std::uint32_t Msg, WPARAM WParam = 0, LPARAM LParam = 0);
// Whether a message in [MsgFirst, MsgLast] waits for the control (left queued).
bool IsMessageQueued(const TWinControl* Control, std::uint32_t MsgFirst, std::uint32_t MsgLast);
// Copies the first such message without taking it; false when there is none.
bool PeekQueuedMessage(const TWinControl* Control, std::uint32_t MsgFirst, std::uint32_t MsgLast, TMessage* Found);
// A message taken from or seen in the queue, with the window it is for.
struct TMsg {
  TWinControl* hwnd = nullptr;
  std::uint32_t message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
};
// PeekMessage: leave the message queued, or take it out.
constexpr unsigned PM_NOREMOVE = 0x0000;
constexpr unsigned PM_REMOVE = 0x0001;
// Looks at the first queued message for Wnd (null: for any window) in
// [MsgFilterMin, MsgFilterMax] (both 0: any message); with PM_REMOVE it is
// taken out and never arrives. False when there is none.
bool PeekMessage(TMsg& Msg, const TWinControl* Wnd, std::uint32_t MsgFilterMin, std::uint32_t MsgFilterMax,
                 unsigned RemoveMsg);
// Takes the first such message out of the queue; false when there is none.
bool RemoveQueuedMessage(const TWinControl* Control, std::uint32_t MsgFirst, std::uint32_t MsgLast,
                         TMessage* Removed = nullptr);
// Runs Call on the window thread after the events already waiting there; the
// one toolkit call that other threads may make. False when there is no
// application to run it.
bool QueueMainThreadCall(std::function<void()> Call);
inline LRESULT SendMessage(TControl* Control, std::uint32_t Msg, WPARAM WParam = 0, LPARAM LParam = 0) {
  return Control ? Control->Perform(Msg, WParam, LParam) : 0;
}

}  // namespace ui
