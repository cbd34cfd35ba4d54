// JQHelper_LUNO: operate one motion controller by hand.
#include <exception>

#include "desktop/program.h"
#include "platform/runtime/thread.h"
#include "platform/ui/ui.h"

int main(int argc, char** argv) {
  rtl::SetMainThread();
  ui::InitApplication(argc, argv);
  desktop::Start_Modules();
  int rc = 0;
  try {
    desktop::Create_Forms();
    ui::Application->Run();
  } catch (const std::exception& e) {
    // A window that cannot be created ends the start.
    ui::Application->ShowException(e);
    rc = 1;
  }
  // Windows go before the modules they use (the calculator writes its
  // settings while it is destroyed).
  ui::Application->DestroyForms();
  desktop::Stop_Modules();
  ui::DoneApplication();
  return rc;
}
