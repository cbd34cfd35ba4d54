// A check under a real display server (for example xvfb-run): the program
// connects to jqsim-cli over TCP from its connection dialog, opens a saved
// three-step script in the auto-run window (the open dialog answered with
// its path), runs it on the real clock and must log every step. Exit code 0 when the log shows
// exactly the expected lines and the simulator's axis 2 stands at the
// target; the screen is saved as a picture.
//
// With --kill-simulator the simulator (process <pid>) is killed once the
// first move has started: the run must then end by itself within 10 s with
// a log line that the controller does not answer, and the status line must
// say that the link is lost.
//
//   desktop_auto_run_check <tcp port> <script file> <picture.png> [--kill-simulator <pid>]
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QTimer>

#include <signal.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "include/JQ_API.h"
#include "desktop/auto_form.h"
#include "desktop/board_port_form.h"
#include "desktop/link_watch.h"
#include "tests/desktop/display_check.h"
#include "desktop/main_form.h"
#include "platform/ui/ui.h"

namespace {

// Calls Done once Ready answers true, polling every 100 ms; Fail after Limit ms.
void When(const std::function<bool()>& Ready, int Limit, const std::function<void()>& Done,
          const std::function<void()>& Fail) {
  if (Ready()) return Done();
  if (Limit <= 0) return Fail();
  QTimer::singleShot(100, [=] { When(Ready, Limit - 100, Done, Fail); });
}

std::vector<std::string> Log_Lines() {
  std::vector<std::string> out;
  ui::TStrings* lines = desktop::AutoFrm->mmo_Log->Lines();
  for (int i = 0; i < lines->Count(); ++i) {
    const std::string line = rtl::StringToUtf8((*lines)[i]);
    // "[yyyy-mm-dd hh:nn:ss]" goes before every line.
    out.push_back(line.size() > 21 && line[0] == '[' && line[20] == ']' ? line.substr(21) : "(no time) " + line);
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: desktop_auto_run_check <tcp port> <script file> <picture.png>\n");
    return 2;
  }
  std::setvbuf(stdout, nullptr, _IONBF, 0);  // lines reach the log even when the run is cut short
  const std::string port = argv[1], script = argv[2], picture = argv[3];
  const pid_t simulator = argc >= 6 && std::string(argv[4]) == "--kill-simulator" ? static_cast<pid_t>(std::atoi(argv[5])) : 0;
  std::filesystem::path folder = desktopcheck::Scratch_Folder("jq_auto_run_check");

  const std::vector<std::string> expected = {
      "开始运行",          "第1轴 开始相对定位", "第1轴 相对定位结束", "第1轴 开始延时",
      "第1轴 延时结束",    "第1轴 完成循环 1",   "第2轴 开始绝对定位", "第2轴 绝对定位结束",
      "第2轴 开始延时",    "第2轴 延时结束",     "第2轴 完成循环 1",   "第1轴 归零结束",
      "方案执行完成 1",    "停止"};
  int rc = 1;
  bool answered = false;
  desktopcheck::Run_Program(argc, argv, folder, 300, [&] {
    using desktop::AutoFrm;
    using desktop::BoardPortFrm;
    using desktop::MainFrm;
    // Called from timers after this function has returned: holds only what main holds.
    auto finish = [&picture](const char* Failure) {
      if (Failure) std::printf("failed: %s\n", Failure);
      for (const std::string& l : Log_Lines()) std::printf("log: %s\n", l.c_str());
      QTimer::singleShot(300, [&] {
        if (QScreen* screen = QGuiApplication::primaryScreen()) screen->grabWindow(0).save(QString::fromStdString(picture));
        AutoFrm->Close();
        MainFrm->Close();
      });
    };
    // Runs inside the dialog's modal loop.
    QTimer::singleShot(300, [&] {
      BoardPortFrm->rb_Net->SetChecked(true);
      BoardPortFrm->IP_Address->SetText(u"127.0.0.1");
      BoardPortFrm->edt_Port->SetText(rtl::FromSysPath(port));
      BoardPortFrm->btn_OK->Click();
    });
    MainFrm->btn_Scan->Click();
    std::printf("status: %s\n", rtl::StringToUtf8(MainFrm->msg_Main->Caption()).c_str());
    MainFrm->btn_Auto->Click();
    if (!AutoFrm->Visible()) return finish("the auto-run window did not open");

    // The open dialog answers with the saved script, as a user picking it would.
    ui::SetFileDialogHook([&](const ui::TFileDialogRequest& Request) -> std::optional<rtl::String> {
      answered = !Request.Save;
      return rtl::FromSysPath(script);
    });
    AutoFrm->btn_Open->Click();
    std::printf("script rows: %d\n", AutoFrm->mem_Code.RecordCount());
    ui::SetFileDialogHook(nullptr);
    if (!answered || AutoFrm->mem_Code.RecordCount() != 3) return finish("the script was not loaded");

    AutoFrm->btn_AutoRun->Click();
    if (simulator > 0) {
      auto logged = [](const std::string& Part) {
        for (const std::string& l : Log_Lines())
          if (l.find(Part) != std::string::npos) return true;
        return false;
      };
      When([logged] { return logged("开始相对定位"); }, 10000,
           [&rc, finish, logged, simulator] {
             ::kill(simulator, SIGKILL);
             const auto killed = std::chrono::steady_clock::now();
             When([] { return !AutoFrm->btn_AutoStop->Enabled(); }, 15000,
                  [&rc, finish, logged, killed] {
                    const long long ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                                             std::chrono::steady_clock::now() - killed).count();
                    const bool status = MainFrm->msg_Main->Caption() == rtl::String(desktop::kLinkLostText);
                    std::printf("run ended %lld ms after the simulator was killed\n", ms);
                    std::printf("status: %s\n", rtl::StringToUtf8(MainFrm->msg_Main->Caption()).c_str());
                    const bool told = logged("控制器无应答, 运行停止");
                    rc = told && status && ms <= 10000 ? 0 : 1;
                    finish(rc == 0 ? nullptr : !told ? "no log line about the lost controller"
                                              : !status ? "the status line does not say the link is lost"
                                                        : "the run took too long to end");
                  },
                  [finish] { finish("the run did not end after the simulator was killed"); });
           },
           [finish] { finish("the first move did not start"); });
      return;
    }
    When([] { return !AutoFrm->btn_AutoStop->Enabled(); }, 30000,
         [&rc, finish, expected] {
           std::int32_t steps = 0;
           JQ_Get_Axis_Software_P_Now(1, &steps);
           std::printf("axis 2 at %d steps\n", steps);
           const bool logged = Log_Lines() == expected;
           rc = logged && steps == 3200 ? 0 : 1;
           finish(rc == 0 ? nullptr : logged ? "axis 2 did not reach its target" : "the log differs");
         },
         [finish] { finish("the run did not end"); });
  });
  return rc;
}
