// Texts shared by the hint library's dialogs. Nothing in the program reads
// them; they live from module start-up to shut-down.
#pragma once

#include "platform/runtime/rtl_string.h"

namespace aux {

struct TAuxConstTexts {
  rtl::String SAuxInformation;
  rtl::String SAuxWarning;
  rtl::String SAuxError;
  rtl::String SAuxEnabled;
  rtl::String SAuxDisabled;
  rtl::String SAuxMsgDlgOK;
  rtl::String SAuxMsgDlgCancel;
  rtl::String SUnknowError;
  rtl::String SErrorCode;
};

// nullptr outside start-up and shut-down.
const TAuxConstTexts* Aux_Const_Texts();

void Aux_Consts_Startup();
void Aux_Consts_Shutdown();

}  // namespace aux
