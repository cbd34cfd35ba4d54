// Location of the per-axis settings file JQHelper4.ini.
#pragma once

#include "rtl_string.h"

namespace desktop {

// JQHelper4.ini beside the program (see rtl::BesideProgram).
rtl::String Settings_File_Name();
// Puts the settings file in another folder (tests); empty returns to the
// program's own.
void Set_Settings_Folder(const rtl::String& Folder);

}  // namespace desktop
