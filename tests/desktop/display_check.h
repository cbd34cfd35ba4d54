// The frame of the checks run under a display server: the program's windows
// with their settings in a scratch folder, the check started from the event
// loop, and everything torn down once the main window closes.
#pragma once

#include <QTimer>

#include <filesystem>
#include <functional>

#include "desktop/program.h"
#include "desktop/settings_file.h"
#include "platform/runtime/thread.h"
#include "platform/ui/ui.h"

namespace desktopcheck {

inline void Run_Program(int argc, char** argv, const std::filesystem::path& Folder, int StartMs,
                        const std::function<void()>& Check) {
  rtl::SetMainThread();
  ui::InitApplication(argc, argv);
  desktop::Start_Modules();
  desktop::Create_Forms();
  QTimer::singleShot(StartMs, Check);
  ui::Application->Run();
  ui::Application->DestroyForms();
  desktop::Stop_Modules();
  ui::DoneApplication();
  std::filesystem::remove_all(Folder);
}

// A scratch folder for the settings files (and the registry, when asked).
inline std::filesystem::path Scratch_Folder(const char* Name) {
  std::filesystem::path folder = std::filesystem::temp_directory_path() / Name;
  std::filesystem::create_directories(folder);
  desktop::Set_Settings_Folder(rtl::FromSysPath(folder.string()));
  return folder;
}

}  // namespace desktopcheck
