// Location of the per-axis settings file JQHelper4.ini.
#pragma once

#include "platform/runtime/rtl_string.h"

namespace desktop {

// JQHelper4.ini beside the program (see rtl::BesideProgram).
rtl::String Settings_File_Name();
// Where the remembered dialog state goes: empty for the default (the
// program's own name with ".ini", beside it), else JQHelper_LUNO.ini in the
// folder given to Set_Settings_Folder.
rtl::String Remembered_State_File_Name();
// Puts the settings files in another folder (tests); empty returns to the
// program's own.
void Set_Settings_Folder(const rtl::String& Folder);

}  // namespace desktop
