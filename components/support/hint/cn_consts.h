// Texts shared by the hint library's dialogs. Nothing in the program reads
// them; they live from module start-up to shut-down.
#pragma once

#include "rtl_string.h"

namespace cn {

struct TCnConstTexts {
  rtl::String SCnInformation;
  rtl::String SCnWarning;
  rtl::String SCnError;
  rtl::String SCnEnabled;
  rtl::String SCnDisabled;
  rtl::String SCnMsgDlgOK;
  rtl::String SCnMsgDlgCancel;
  rtl::String SUnknowError;
  rtl::String SErrorCode;
};

// nullptr outside start-up and shut-down.
const TCnConstTexts* Cn_Const_Texts();

void Cn_Consts_Startup();
void Cn_Consts_Shutdown();

}  // namespace cn
