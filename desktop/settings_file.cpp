#include "desktop/settings_file.h"

#include "platform/runtime/files.h"

namespace desktop {
namespace {
const rtl::String kSettingsFile = u"JQHelper4.ini";
rtl::String g_folder;
}  // namespace

rtl::String Settings_File_Name() {
  if (g_folder.empty()) return rtl::BesideProgram(kSettingsFile);
  return rtl::IncludeTrailingPathDelimiter(g_folder) + kSettingsFile;
}

rtl::String Remembered_State_File_Name() {
  if (g_folder.empty()) return rtl::String();
  return rtl::IncludeTrailingPathDelimiter(g_folder) + u"JQHelper_LUNO.ini";
}

void Set_Settings_Folder(const rtl::String& Folder) { g_folder = Folder; }

}  // namespace desktop
