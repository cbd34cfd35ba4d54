// A check under a real display server (for example xvfb-run): the program
// connects to jqsim-cli from its connection dialog and shows the axis panels.
// Exit code 0 when, after every connect, the status line names the controller
// and at least one axis panel was built; the window is saved as a picture.
//
//   desktop_connect_check tcp <port> <picture.png>
//   desktop_connect_check pty <device path> <picture.png>
//   desktop_connect_check simulator <picture.png>
//
// The last form runs under scripts/with_simulator, as a user of scripts/run
// --simulator would: it connects over USB, then over the pty the port list
// offers (JQSIM_SERIAL_PORT), then over TCP (JQSIM_TCP_PORT), in one session.
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

#include "desktop/axis_form.h"
#include "desktop/board_port_form.h"
#include "desktop/main_form.h"
#include "desktop/program.h"
#include "platform/runtime/registry.h"
#include "desktop/settings_file.h"
#include "platform/runtime/thread.h"
#include "tests/desktop/display_check.h"
#include "platform/ui/ui.h"

namespace {

using desktop::BoardPortFrm;
using desktop::MainFrm;

// Connects from the dialog as `choose` fills it in; true when the status line
// names the controller and axis panels were built.
bool Connect(const char* link, const std::function<bool()>& choose) {
  bool chosen = false;
  // Runs inside the dialog's modal loop.
  QTimer::singleShot(300, [&] {
    chosen = choose();
    if (chosen) {
      BoardPortFrm->btn_OK->Click();
    } else {
      BoardPortFrm->btn_No->Click();
    }
  });
  MainFrm->msg_Main->SetCaption(rtl::String());
  MainFrm->btn_Scan->Click();
  int panels = 0;
  for (int i = 0; i < MainFrm->box_Axis->ControlCount(); ++i)
    panels += dynamic_cast<desktop::TAxisFrm*>(MainFrm->box_Axis->Controls(i)) ? 1 : 0;
  const std::string status = rtl::StringToUtf8(MainFrm->msg_Main->Caption());
  std::printf("%s: status: %s\n%s: axis panels: %d\n", link, status.c_str(), link, panels);
  return chosen && status.rfind("Model=", 0) == 0 && panels > 0;
}

void Choose_Net(const std::string& port) {
  BoardPortFrm->rb_Net->SetChecked(true);
  BoardPortFrm->IP_Address->SetText(u"127.0.0.1");
  BoardPortFrm->edt_Port->SetText(rtl::FromSysPath(port));
}

// Picks `path` from the dialog's port list; false when the list does not offer it.
bool Choose_Listed_Port(const std::string& path) {
  BoardPortFrm->rb_UART->SetChecked(true);
  const int at = BoardPortFrm->cbb_Port->Items()->IndexOf(rtl::FromSysPath(path));
  if (at < 0) {
    std::printf("the port list does not offer %s\n", path.c_str());
    return false;
  }
  BoardPortFrm->cbb_Port->SetItemIndex(at);
  return true;
}

std::string Env(const char* name) {
  const char* v = std::getenv(name);
  return v ? v : "";
}

}  // namespace

int main(int argc, char** argv) {
  const std::string link = argc > 1 ? argv[1] : "";
  if (!((argc == 4 && (link == "tcp" || link == "pty")) || (argc == 3 && link == "simulator"))) {
    std::fprintf(stderr, "usage: desktop_connect_check tcp <port> | pty <path> | simulator  <picture.png>\n");
    return 2;
  }
  const std::string where = argc == 4 ? argv[2] : "", picture = argv[argc - 1];
  std::filesystem::path folder = desktopcheck::Scratch_Folder("jq_connect_check");
  ::setenv("JQ_REGISTRY_DIR", (folder / "registry").c_str(), 1);
  if (link == "pty") rtl::RegistryTestAddSerialPort(u"jqsim", rtl::FromSysPath(where));

  int rc = 1;
  desktopcheck::Run_Program(argc, argv, folder, 300, [&] {
    bool ok = false;
    if (link == "tcp") {
      ok = Connect("tcp", [&] { Choose_Net(where); return true; });
    } else if (link == "pty") {
      ok = Connect("pty", [&] {
        BoardPortFrm->rb_UART->SetChecked(true);
        BoardPortFrm->cbb_Port->SetText(rtl::FromSysPath(where));
        return true;
      });
    } else {
      ok = Connect("usb", [] { BoardPortFrm->rb_USB->SetChecked(true); return true; });
      ok = Connect("pty", [] { return Choose_Listed_Port(Env("JQSIM_SERIAL_PORT")); }) && ok;
      ok = Connect("tcp", [] { Choose_Net(Env("JQSIM_TCP_PORT")); return true; }) && ok;
    }
    rc = ok ? 0 : 1;
    QTimer::singleShot(500, [&] {
      if (QScreen* screen = QGuiApplication::primaryScreen()) screen->grabWindow(0).save(QString::fromStdString(picture));
      MainFrm->Close();
    });
  });
  return rc;
}
