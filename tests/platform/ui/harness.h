// Headless test harness for the window layer: builds forms, sends mouse and
// key input, drives a manual clock, answers dialogs from queues, probes
// pixels and saves screenshots (build tree, screenshots/<name>.png).
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <memory>
#include <vector>

#include "platform/runtime/ticks.h"
#include "platform/ui/ui.h"

class QImage;
class QTimer;

namespace uitest {

class Harness {
 public:
  // Creates the application (once per process: Qt's, then a fresh
  // Application per harness), installs a manual clock and dialog hooks.
  Harness();
  // Frees the forms (newest first), restores the clock and the hooks, and
  // fails the test if queued dialog answers were never used.
  ~Harness();
  Harness(const Harness&) = delete;
  Harness& operator=(const Harness&) = delete;

  // A form owned by the application, constructed and finished (OnCreate ran).
  template <class T, class... Args>
  T* MakeForm(Args&&... args) {
    T* form = new T(ui::Application, std::forward<Args>(args)...);
    form->AfterConstruction();
    return form;
  }
  // Shows the form, makes it the active window and lets Qt settle.
  void Show(ui::TCustomForm* Form);

  // --- input (client coordinates of the control; default: its centre)
  void Click(ui::TControl* Control, std::optional<ui::TPoint> At = {}, ui::TMouseButton Button = ui::mbLeft,
             ui::TShiftState Shift = {});
  void DblClick(ui::TControl* Control, std::optional<ui::TPoint> At = {});
  void MouseDown(ui::TControl* Control, std::optional<ui::TPoint> At = {}, ui::TMouseButton Button = ui::mbLeft,
                 ui::TShiftState Shift = {});
  void MouseUp(ui::TControl* Control, std::optional<ui::TPoint> At = {}, ui::TMouseButton Button = ui::mbLeft,
               ui::TShiftState Shift = {});
  void MouseMove(ui::TControl* Control, ui::TPoint At, ui::TShiftState Shift = {});
  // A key pressed and released on the control (its focused part).
  void Key(ui::TWinControl* Control, std::uint16_t VirtualKey, ui::TShiftState Shift = {});
  // Types text, one character at a time (any script).
  void Type(ui::TWinControl* Control, const ui::String& Text);

  // What a window system does on minimising and restoring a window: state
  // changes plus spontaneous hide and show events.
  void MinimiseAndRestore(ui::TCustomForm* Form);

  // --- time
  void Advance(std::uint64_t Ms) { ui::AdvanceTime(Ms); }
  rtl::ManualClock& Clock() { return clock_; }
  // Runs fn from inside the event loop (for example inside a modal loop).
  void Post(std::function<void()> Fn);
  void ProcessEvents();

  // --- dialogs: answers are used in order; an unexpected dialog fails the test
  void AnswerMessageBox(int Answer) { boxAnswers_.push_back(Answer); }
  void AnswerFileDialog(std::optional<ui::String> FileName) { fileAnswers_.push_back(std::move(FileName)); }
  const std::vector<ui::TMessageBoxRequest>& MessageBoxes() const { return boxes_; }
  const std::vector<ui::TFileDialogRequest>& FileDialogs() const { return fileDialogs_; }
  // Message boxes shown so far, then forgotten.
  std::vector<ui::TMessageBoxRequest> TakeMessageBoxes();

  // --- pictures
  // Colour of a pixel of what the control shows (client coordinates).
  ui::TColor PixelAt(ui::TControl* Control, int X, int Y);
  // What the control's client area shows now, as its window holds it:
  // unlike a grab, which paints the control afresh, this is the result of
  // the paints so far (scrolled pixels included).
  QImage ShownImage(ui::TWinControl* Control);
  // Colour of a pixel of a window, counted from its top left (its frame included).
  ui::TColor WindowPixelAt(ui::TWinControl* Control, int X, int Y);
  // Saves what the control shows as <Name>.png in Folder (default: the
  // build tree's screenshots/); returns the path.
  std::string SaveScreenshot(ui::TWinControl* Control, const std::string& Name, const std::string& Folder = {});
  // Saves several windows as they lie on the screen (a form with its open
  // drop-down) in one picture, on a white ground.
  std::string SaveScreenshot(const std::vector<ui::TWinControl*>& Windows, const std::string& Name);

  // A modal loop still running after this many real milliseconds is ended
  // with mrCancel and the test fails.
  int ModalWatchdogMs = 10000;

 private:
  rtl::ManualClock clock_{1000000};
  std::deque<int> boxAnswers_;
  std::deque<std::optional<ui::String>> fileAnswers_;
  std::vector<ui::TMessageBoxRequest> boxes_;
  // One watchdog per open modal loop, innermost last.
  std::vector<std::unique_ptr<QTimer>> modalWatch_;
  std::vector<ui::TFileDialogRequest> fileDialogs_;
};

// Screenshot folder of this build tree.
std::string ScreenshotDir();

// The application's tool-tip windows that show a tool tip now.
std::vector<ui::THintWindow*> ShownHintWindows();
// The text of the platform's own tool tip while it shows; empty otherwise.
ui::String ShownPlatformToolTip();

}  // namespace uitest
