// The one exception class of the serial port components and its texts.
#pragma once

#include "platform/runtime/exceptions.h"

namespace kit {

// The component's own error codes (ComErrorText gives their texts).
enum : int {
  CError_OpenFailed = 1, CError_WriteFailed, CError_ReadFailed, CError_InvalidAsync, CError_PurgeFailed,
  CError_AsyncCheck, CError_SetStateFailed, CError_TimeoutsFailed, CError_SetupComFailed, CError_ClearComFailed,
  CError_ModemStatFailed, CError_EscapeComFailed, CError_TransmitFailed, CError_ConnChangeProp, CError_EnumPortsFailed,
  CError_StoreFailed, CError_LoadFailed, CError_RegFailed, CError_LedStateFailed, CError_ThreadCreated,
  CError_WaitFailed, CError_HasLink, CError_RegError
};

// "Unknown Error #<code>" for a code without a text.
rtl::String ComErrorText(int Code);

class EComPort : public rtl::Exception {
 public:
  // "COM Port Error: <text> on <port>", with the platform's error code.
  EComPort(int Code, int WinCode, const rtl::String& Port);
  // "COM Port Error: <text>"; WinCode() is -1.
  static EComPort CreateNoWinCode(int Code);
  int Code() const { return code_; }
  int WinCode() const { return winCode_; }

 private:
  EComPort(int Code, const rtl::String& Message);
  int code_;
  int winCode_ = -1;
};

}  // namespace kit
