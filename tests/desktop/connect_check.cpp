// A check under a real display server (for example xvfb-run): the program
// connects to jqsim-cli from its connection dialog, over TCP or over the
// simulator's pty, and shows the axis panels. Exit code 0 when the status
// line names the controller and at least one axis panel was built; the
// window is saved as a picture.
//
//   desktop_connect_check tcp <port> <picture.png>
//   desktop_connect_check pty <device path> <picture.png>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
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

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: desktop_connect_check tcp <port> | pty <path>  <picture.png>\n");
    return 2;
  }
  const std::string link = argv[1], where = argv[2], picture = argv[3];
  std::filesystem::path folder = desktopcheck::Scratch_Folder("jq_connect_check");
  ::setenv("JQ_REGISTRY_DIR", (folder / "registry").c_str(), 1);
  if (link == "pty") rtl::RegistryTestAddSerialPort(u"jqsim", rtl::FromSysPath(where));

  int rc = 1;
  desktopcheck::Run_Program(argc, argv, folder, 300, [&] {
    using desktop::BoardPortFrm;
    using desktop::MainFrm;
    // Runs inside the dialog's modal loop.
    QTimer::singleShot(300, [&] {
      if (link == "tcp") {
        BoardPortFrm->rb_Net->SetChecked(true);
        BoardPortFrm->IP_Address->SetText(u"127.0.0.1");
        BoardPortFrm->edt_Port->SetText(rtl::FromSysPath(where));
      } else {
        BoardPortFrm->rb_UART->SetChecked(true);
        BoardPortFrm->cbb_Port->SetText(rtl::FromSysPath(where));
      }
      BoardPortFrm->btn_OK->Click();
    });
    MainFrm->btn_Scan->Click();
    int panels = 0;
    for (int i = 0; i < MainFrm->box_Axis->ControlCount(); ++i)
      panels += dynamic_cast<desktop::TAxisFrm*>(MainFrm->box_Axis->Controls(i)) ? 1 : 0;
    const std::string status = rtl::StringToUtf8(MainFrm->msg_Main->Caption());
    std::printf("status: %s\naxis panels: %d\n", status.c_str(), panels);
    rc = (status.rfind("Model=", 0) == 0 && panels > 0) ? 0 : 1;
    QTimer::singleShot(500, [&] {
      if (QScreen* screen = QGuiApplication::primaryScreen()) screen->grabWindow(0).save(QString::fromStdString(picture));
      MainFrm->Close();
    });
  });
  return rc;
}
