// A check under a real display server (for example xvfb-run): the program,
// connected over TCP to jqsim-cli, jogs axis 0 while the jog button of its
// panel is held and stops it on release. Exit code 0 when the simulator's
// position moved during the press and stood still after it.
//
//   desktop_jog_check <tcp port of jqsim-cli>
#include <QPoint>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "include/JQ_API.h"
#include "desktop/axis_form.h"
#include "platform/runtime/files.h"
#include "tests/desktop/main_form_access.h"
#include "desktop/program.h"
#include "desktop/settings_file.h"
#include "platform/runtime/thread.h"
#include "tests/desktop/display_check.h"
#include "platform/ui/ui.h"

namespace {

std::int32_t Position() {
  std::int32_t steps = 0;
  JQ_Get_Axis_Software_P_Now(0, &steps);
  return steps;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: desktop_jog_check <tcp port>\n");
    return 2;
  }
  const int port = std::atoi(argv[1]);
  std::filesystem::path folder = desktopcheck::Scratch_Folder("jq_jog_check");

  int rc = 1;
  std::int32_t before = 0, during = 0, after = 0;
  desktop::TAxisFrm* panel = nullptr;
  QPoint centre;
  desktopcheck::Run_Program(argc, argv, folder, 200, [&] {
    using desktop::MainFrm;
    JQ_Open_Net(127, 0, 0, 1, port);
    desktop::TMainFrmAccess::Set_Counts(MainFrm, 1, 0, 0, 0);
    desktop::TMainFrmAccess::Load_Axis_Config(MainFrm);
    desktop::TMainFrmAccess::Create_Axis_Frames(MainFrm);
    panel = dynamic_cast<desktop::TAxisFrm*>(MainFrm->box_Axis->FindComponent(u"Axis0"));
    if (!panel) {
      MainFrm->Close();
      return;
    }
    before = Position();
    QWidget* button = panel->btn_Neg->Widget();
    centre = QPoint(button->width() / 2, button->height() / 2);
    QTest::mousePress(button, Qt::LeftButton, {}, centre);
    QTimer::singleShot(600, [&] {
      during = Position();
      QTest::mouseRelease(panel->btn_Neg->Widget(), Qt::LeftButton, {}, centre);
      QTimer::singleShot(300, [&] {
        std::int32_t stopped = Position();
        QTimer::singleShot(300, [&, stopped] {
          after = Position();
          std::printf("position before %d, while held %d, after release %d and %d\n", before, during, stopped,
                      after);
          rc = (during != before && after == stopped) ? 0 : 1;
          desktop::MainFrm->Close();
        });
      });
    });
  });
  return rc;
}
