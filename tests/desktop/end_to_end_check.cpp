// The whole program under a real display server and a window manager,
// driven by synthesised mouse and key input (delivered to the windows the way
// the display server's input is), beside jqsim-cli started by
// scripts/with_simulator. Every action is checked against the requests the
// simulator logged for it; a picture of every window is saved.
//
//   desktop_end_to_end_check <tcp|pty|usb> first <picture folder> <state file>
//       connects over the link, jogs, homes, halts, watches the input lamps,
//       switches an output, changes the parameters of axis 1 with the
//       calculator, loads a script in the auto-run window, runs, pauses,
//       resumes and stops it, and closes the program; what it entered goes
//       into the state file.
//   desktop_end_to_end_check <tcp|pty|usb> again <picture folder> <state file>
//       the program started once more: the connection dialog, the
//       parameters and the calculator show what the first run left, and the
//       link connects again.
//
// Needs JQSIM_LOG (the simulator's request log), JQSIM_TCP_PORT and
// JQSIM_SERIAL_PORT (set by scripts/with_simulator), JQ_E2E_SCRIPT (a saved
// script file) and JQ_E2E_SETTINGS (the folder of the settings files, which
// both runs share).
#include <QApplication>
#include <QEventLoop>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "desktop/auto_form.h"
#include "desktop/axis_form.h"
#include "desktop/board_port_form.h"
#include "desktop/calc_form.h"
#include "desktop/config_form.h"
#include "desktop/input_form.h"
#include "desktop/main_form.h"
#include "desktop/output_form.h"
#include "desktop/program.h"
#include "desktop/settings_file.h"
#include "components/extended/ext_ip_address.h"
#include "include/JQ_API.h"
#include "platform/runtime/thread.h"
#include "platform/ui/ui.h"

namespace {

using namespace desktop;

std::string Env(const char* Name) {
  const char* v = std::getenv(Name);
  return v ? v : "";
}

std::string Utf8(const rtl::String& S) { return rtl::StringToUtf8(S); }

int failures = 0;

void Check(bool Ok, const std::string& What) {
  std::printf("%s: %s\n", Ok ? "ok" : "FAILED", What.c_str());
  if (!Ok) ++failures;
}

// Lets the program run for a while: timers fire, links answer, windows paint.
void Wait(int Ms) {
  QEventLoop loop;
  QTimer::singleShot(Ms, &loop, &QEventLoop::quit);
  loop.exec();
}

bool WaitFor(const std::function<bool()>& Ready, int Ms) {
  for (int waited = 0; !Ready(); waited += 50) {
    if (waited >= Ms) return false;
    Wait(50);
  }
  return true;
}

// --- synthesised input, through the window that holds the control

// A windowed control is its own widget; a graphic one (a tool button) is
// painted on its parent's.
QWidget* HostOf(ui::TControl* C) {
  if (auto* w = dynamic_cast<ui::TWinControl*>(C)) return w->Widget();
  return C->Parent()->Widget();
}

QWindow* WindowOf(ui::TControl* C) { return HostOf(C)->window()->windowHandle(); }

// Where a user aims: the middle of a button or an edit, the mark of a radio
// button or a check box (their frames can reach under their neighbours).
QPoint CentreOf(ui::TControl* C) {
  QWidget* host = HostOf(C);
  QPoint at = host->rect().center();
  if (dynamic_cast<ui::TRadioButton*>(C) || dynamic_cast<ui::TCheckBox*>(C))
    at.setX(8);
  else if (!dynamic_cast<ui::TWinControl*>(C))
    at = QPoint(C->Left() + C->Width() / 2, C->Top() + C->Height() / 2);
  return host->mapTo(host->window(), at);
}

void Click(ui::TControl* C) {
  QTest::mouseMove(WindowOf(C), CentreOf(C));
  QTest::mouseClick(WindowOf(C), Qt::LeftButton, {}, CentreOf(C));
}

void Key(ui::TControl* C, Qt::Key K, Qt::KeyboardModifiers M = {}) { QTest::keyClick(WindowOf(C), K, M); }

// Clicks into the edit, selects its text and types the new text over it.
void TypeInto(ui::TControl* C, const std::string& Text) {
  Click(C);
  if (QApplication::activePopupWidget()) {
    // A drop-down list opened: the typed text picks the item, Enter takes it.
    QWidget* list = QApplication::focusWidget();
    for (char ch : Text) QTest::keyClick(list, ch);
    QTest::keyClick(list, Qt::Key_Return);
    WaitFor([] { return QApplication::activePopupWidget() == nullptr; }, 2000);
    return;
  }
  Key(C, Qt::Key_Home);
  Key(C, Qt::Key_End, Qt::ShiftModifier);
  for (char ch : Text) QTest::keyClick(WindowOf(C), ch);
}

// Runs Action once a modal window's loop has started (the click that opens
// it only returns when it closes).
void WhenModal(const std::function<void()>& Action) { QTimer::singleShot(400, Action); }

// --- pictures

std::string pictures;

// The window as the screen shows it, frame of the window manager included.
void Picture(ui::TControl* Form, const std::string& Name) {
  QWidget* w = HostOf(Form)->window();
  const QRect frame = w->frameGeometry();
  QScreen* screen = w->screen();
  QPixmap shot =
      screen ? screen->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height()) : QPixmap();
  const std::string path = pictures + "/" + Name + ".png";
  Check(!shot.isNull() && shot.save(QString::fromStdString(path)), "picture " + path);
}

// --- the simulator's request log: "<link>:<device> code C index I value V"

struct Request {
  int code = 0, index = 0, value = 0;
};

class RequestLog {
 public:
  RequestLog(std::string Path, std::string Link) : path_(std::move(Path)), link_(std::move(Link)) {}
  // Forgets what was logged so far: the next Since() sees only what follows.
  void Mark() { Read(); }
  std::vector<Request> Since() { return Read(); }

 private:
  std::vector<Request> Read() {
    std::vector<Request> out;
    std::ifstream in(path_);
    in.seekg(offset_);
    std::string line;
    while (std::getline(in, line)) {
      if (in.eof()) break;  // a line still being written is read next time
      offset_ += static_cast<std::streamoff>(line.size() + 1);
      if (line.rfind(link_ + ":", 0) != 0) continue;
      Request r;
      if (std::sscanf(line.c_str() + line.find(' '), " code %d index %d value %d", &r.code, &r.index,
                      &r.value) == 3)
        out.push_back(r);
    }
    return out;
  }
  std::string path_, link_;
  std::streamoff offset_ = 0;
};

bool Has(const std::vector<Request>& Log, int Code, std::optional<int> Index = std::nullopt,
         std::optional<int> Value = std::nullopt) {
  for (const Request& r : Log)
    if (r.code == Code && (!Index || r.index == *Index) && (!Value || r.value == *Value)) return true;
  return false;
}

std::string Codes(const std::vector<Request>& Log) {
  std::ostringstream s;
  for (const Request& r : Log) s << r.code << '/' << r.index << ' ';
  return s.str();
}

// Waits until the log holds Code (with Index), then checks it.
void Expect(RequestLog& Log, std::vector<Request>& Seen, const std::string& What, int Code,
            std::optional<int> Index = std::nullopt, std::optional<int> Value = std::nullopt) {
  WaitFor(
      [&] {
        for (const Request& r : Log.Since()) Seen.push_back(r);
        return Has(Seen, Code, Index, Value);
      },
      3000);
  Check(Has(Seen, Code, Index, Value), What + " (requests: " + Codes(Seen) + ")");
}

// --- what the first run leaves for the second

std::map<std::string, std::string> ReadState(const std::string& Path) {
  std::map<std::string, std::string> out;
  std::ifstream in(Path);
  std::string line;
  while (std::getline(in, line))
    if (const auto eq = line.find('='); eq != std::string::npos)
      out[line.substr(0, eq)] = line.substr(eq + 1);
  return out;
}

void WriteState(const std::string& Path, const std::map<std::string, std::string>& State) {
  std::ofstream out(Path);
  for (const auto& [k, v] : State) out << k << '=' << v << '\n';
}

TAxisFrm* FirstAxisPanel() { return dynamic_cast<TAxisFrm*>(MainFrm->box_Axis->FindComponent(u"Axis0")); }

// Opens the connection dialog and fills it in for the link; Inspect sees the
// dialog as it opened (remembered choices) first.
void Connect(const std::string& Link, const std::string& Suffix, const std::function<void()>& Inspect) {
  WhenModal([Link, Suffix, Inspect] {
    Inspect();
    Picture(BoardPortFrm, "connect_" + Link + Suffix);
    if (Link == "tcp") {
      Click(BoardPortFrm->rb_Net);
      // Four fields, each typed as a user would.
      const char* octets[] = {"127", "0", "0", "1"};
      for (int i = 0; i < 4; ++i) TypeInto(BoardPortFrm->IP_Address->Field(i), octets[i]);
      Check(Utf8(BoardPortFrm->IP_Address->Text()) == "127.0.0.1",
            "the address reads " + Utf8(BoardPortFrm->IP_Address->Text()));
      TypeInto(BoardPortFrm->edt_Port, Env("JQSIM_TCP_PORT"));
    } else if (Link == "pty") {
      Click(BoardPortFrm->rb_UART);
      TypeInto(BoardPortFrm->cbb_Port, Env("JQSIM_SERIAL_PORT"));
    } else {
      Click(BoardPortFrm->rb_USB);
    }
    Click(BoardPortFrm->btn_OK);
  });
  Click(MainFrm->btn_Scan);
}

void Connected(RequestLog& Log, const std::string& Link) {
  std::vector<Request> seen;
  for (int code = 0; code <= 9; ++code)
    Expect(Log, seen, Link + ": connecting asked for product information " + std::to_string(code), code);
  const std::string status = Utf8(MainFrm->msg_Main->Caption());
  Check(status.rfind("Model=", 0) == 0, Link + ": the status line names the controller: " + status);
  Check(FirstAxisPanel() != nullptr, Link + ": axis panels are shown");
}

void FirstRun(const std::string& Link, RequestLog& Log, std::map<std::string, std::string>& State) {
  Picture(MainFrm, "main_" + Link);
  Log.Mark();
  Connect(Link, "", [] {});
  Connected(Log, Link);
  TAxisFrm* axis = FirstAxisPanel();
  if (!axis) return;
  Picture(MainFrm, "main_connected_" + Link);

  {  // Jog: the axis moves while the button is held and stops on release.
    std::vector<Request> seen;
    Log.Mark();
    std::int32_t before = 0, after = 0;
    JQ_Get_Axis_Software_P_Now(0, &before);
    QTest::mousePress(WindowOf(axis->btn_Neg), Qt::LeftButton, {}, CentreOf(axis->btn_Neg));
    Wait(600);
    QTest::mouseRelease(WindowOf(axis->btn_Neg), Qt::LeftButton, {}, CentreOf(axis->btn_Neg));
    Expect(Log, seen, "jog: velocity mode", 106, 0);
    Expect(Log, seen, "jog: target speed", 109, 0);
    Expect(Log, seen, "jog: stopped on release", 110, 0);
    Wait(300);
    JQ_Get_Axis_Software_P_Now(0, &after);
    Check(after != before,
          "jog: the axis moved (" + std::to_string(before) + " -> " + std::to_string(after) + ")");
  }
  {  // Home, then halt everything.
    std::vector<Request> seen;
    Log.Mark();
    Click(axis->btn_Home);
    Expect(Log, seen, "home: home-switch mode", 124, 0);
    Expect(Log, seen, "home: homing speed", 125, 0);
    Click(MainFrm->btn_HaltAll);
    Expect(Log, seen, "halt: every axis halted", 118);
  }
  {  // Input lamps are polled while their window shows.
    std::vector<Request> seen;
    Log.Mark();
    Click(MainFrm->btn_Input);
    Check(InputFrm->Visible(), "the input window opened");
    Expect(Log, seen, "inputs: the lamps are read", 401);
    Picture(InputFrm, "input_" + Link);
    InputFrm->Close();
  }
  {  // An output lamp switches its channel on.
    std::vector<Request> seen;
    Click(MainFrm->btn_Output);
    Check(OutputFrm->Visible(), "the output window opened");
    ui::TControl* lamp =
        OutputFrm->box_Optic_Out->ControlCount() > 0 ? OutputFrm->box_Optic_Out->Controls(0) : nullptr;
    Check(lamp != nullptr, "output lamps are shown");
    if (lamp) {
      Log.Mark();
      Click(lamp);
      Expect(Log, seen, "outputs: channel 0 switched on", 451, 0, 1);
      Expect(Log, seen, "outputs: channel 0 read back", 453, 0);
    }
    Picture(OutputFrm, "output_" + Link);
    OutputFrm->Close();
  }
  {  // Parameters of axis 1, the step factors from the calculator.
    std::vector<Request> seen;
    Log.Mark();
    WhenModal([&Link, &State] {
      Picture(ConfigFrm, "parameters_" + Link);
      TypeInto(ConfigFrm->edt_Acc, "123");
      WhenModal([&Link, &State] {
        Picture(CalcFrm, "calculator_" + Link);
        TypeInto(CalcFrm->edt_Line_Pitch, "5");
        TypeInto(CalcFrm->edt_Line_Ratio, "2");
        State["calc_pitch"] = "5";
        Click(CalcFrm->btn_OK);
      });
      Click(ConfigFrm->btn_Calc);
      State["physics"] = Utf8(ConfigFrm->edt_Physics->Text());
      State["open_steps"] = Utf8(ConfigFrm->edt_OpenSteps->Text());
      State["acc"] = Utf8(ConfigFrm->edt_Acc->Text());
      Click(ConfigFrm->btn_OK);
    });
    Click(MainFrm->btn_Setup);
    Check(State["acc"] == "123", "parameters: the acceleration was typed (" + State["acc"] + ")");
    Check(State["physics"] == "5",
          "parameters: the calculator gave the physical unit (" + State["physics"] + ")");
    Expect(Log, seen, "parameters: the axis limits were sent again", 131, 0);
  }
  {  // The auto-run window: a saved script loaded, run, paused, resumed, stopped.
    Click(MainFrm->btn_Auto);
    Check(AutoFrm->Visible(), "the auto-run window opened");
    const std::string script = Env("JQ_E2E_SCRIPT");
    ui::SetFileDialogHook([&](const ui::TFileDialogRequest& Request) -> std::optional<rtl::String> {
      return Request.Save ? std::nullopt : std::optional<rtl::String>(rtl::FromSysPath(script));
    });
    Click(AutoFrm->btn_Open);
    ui::SetFileDialogHook(nullptr);
    Check(AutoFrm->mem_Code.RecordCount() == 3, "auto-run: the script's three steps were loaded");
    auto logged = [](const char* Text) {
      ui::TStrings* lines = AutoFrm->mmo_Log->Lines();
      for (int i = 0; i < lines->Count(); ++i)
        if (Utf8((*lines)[i]).find(Text) != std::string::npos) return true;
      return false;
    };
    std::vector<Request> seen;
    Log.Mark();
    Click(AutoFrm->btn_AutoRun);
    Check(WaitFor([&] { return logged("开始相对定位"); }, 5000), "auto-run: the first move started");
    Expect(Log, seen, "auto-run: a relative move was sent", 115);
    Click(AutoFrm->btn_AutoPause);
    Check(logged("暂停") && !AutoFrm->btn_AutoPause->Enabled(), "auto-run: paused");
    Picture(AutoFrm, "auto_run_paused_" + Link);
    Click(AutoFrm->btn_AutoRun);
    Check(logged("恢复运行"), "auto-run: resumed");
    Wait(300);
    Click(AutoFrm->btn_AutoStop);
    Check(logged("停止") && !AutoFrm->btn_AutoStop->Enabled(), "auto-run: stopped");
    Picture(AutoFrm, "auto_run_" + Link);
    AutoFrm->Close();
  }
  State["link"] = Link;
  State["port"] = Env("JQSIM_TCP_PORT");
  State["serial"] = Env("JQSIM_SERIAL_PORT");
}

void AgainRun(const std::string& Link, RequestLog& Log, const std::map<std::string, std::string>& State) {
  auto state = [&State](const char* Key) {
    const auto it = State.find(Key);
    return it == State.end() ? std::string() : it->second;
  };
  Picture(MainFrm, "main_again_" + Link);
  Log.Mark();
  Connect(Link, "_again", [&] {
    ui::TRadioButton* chosen = Link == "tcp"   ? BoardPortFrm->rb_Net
                               : Link == "pty" ? BoardPortFrm->rb_UART
                                               : BoardPortFrm->rb_USB;
    Check(chosen->Checked(), "again: the dialog remembers the link");
    if (Link == "tcp") {
      Check(Utf8(BoardPortFrm->IP_Address->Text()) == "127.0.0.1", "again: the dialog remembers the address");
      Check(std::to_string(BoardPortFrm->Port_Value()) == state("port"),
            "again: the dialog remembers the port " + state("port"));
    }
    // The pty is made anew with the simulator: its old name is offered again only when reused.
    if (Link == "pty" && state("serial") == Env("JQSIM_SERIAL_PORT"))
      Check(Utf8(BoardPortFrm->cbb_Port->Text()) == state("serial"),
            "again: the dialog remembers the serial port");
  });
  Connected(Log, Link);
  WhenModal([&] {
    Check(Utf8(ConfigFrm->edt_Acc->Text()) == state("acc"), "again: the acceleration is kept");
    Check(Utf8(ConfigFrm->edt_Physics->Text()) == state("physics"), "again: the physical unit is kept");
    Check(Utf8(ConfigFrm->edt_OpenSteps->Text()) == state("open_steps"),
          "again: the open-loop steps are kept");
    WhenModal([&] {
      Check(Utf8(CalcFrm->edt_Line_Pitch->Text()) == state("calc_pitch"),
            "again: the calculator remembers the pitch");
      Click(CalcFrm->btn_Cancel);
    });
    Click(ConfigFrm->btn_Calc);
    Click(ConfigFrm->btn_OK);
  });
  Click(MainFrm->btn_Setup);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(
        stderr,
        "usage: desktop_end_to_end_check <tcp|pty|usb> <first|again> <picture folder> <state file>\n");
    return 2;
  }
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  const std::string link = argv[1], phase = argv[2], state_file = argv[4];
  pictures = argv[3];
  std::map<std::string, std::string> state = ReadState(state_file);
  RequestLog log(Env("JQSIM_LOG"), link);

  Set_Settings_Folder(rtl::FromSysPath(Env("JQ_E2E_SETTINGS")));
  rtl::SetMainThread();
  ui::InitApplication(argc, argv);
  Start_Modules();
  Create_Forms();
  // A run that hangs (a message box nobody expected, a link that does not
  // answer) leaves a picture of the screen and the windows it showed.
  QTimer* watchdog = new QTimer;
  watchdog->setSingleShot(true);
  QObject::connect(watchdog, &QTimer::timeout, [&] {
    std::printf("FAILED: %s %s run stuck; windows shown:\n", link.c_str(), phase.c_str());
    for (QWidget* w : QApplication::topLevelWidgets())
      if (w->isVisible()) std::printf("  %s\n", w->windowTitle().toUtf8().constData());
    if (QScreen* screen = QGuiApplication::primaryScreen())
      screen->grabWindow(0).save(QString::fromStdString(pictures + "/stuck_" + link + "_" + phase + ".png"));
    std::_Exit(1);
  });
  watchdog->start(75000);
  QTimer::singleShot(500, [&] {
    if (phase == "first") {
      FirstRun(link, log, state);
      WriteState(state_file, state);
    } else {
      AgainRun(link, log, state);
    }
    MainFrm->Close();
  });
  ui::Application->Run();
  ui::Application->DestroyForms();
  Stop_Modules();
  ui::DoneApplication();
  std::printf("%s %s: %d failed\n", link.c_str(), phase.c_str(), failures);
  return failures == 0 ? 0 : 1;
}
