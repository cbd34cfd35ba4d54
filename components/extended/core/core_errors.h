// Error classes of the utility library and of the extended controls.
#pragma once

#include <cstdint>
#include <initializer_list>

#include "platform/runtime/exceptions.h"

namespace ext {

using rtl::String;

// A message text kept in the library's own string table; its address
// identifies it.
struct TCoreResString {
  const char16_t* Text;
};
inline String LoadCoreResString(const TCoreResString& Rec) { return Rec.Text ? String(Rec.Text) : String(); }

class ECoreError : public rtl::Exception {
 public:
  using rtl::Exception::Exception;
};
class ECoreInternalError : public ECoreError {
 public:
  using ECoreError::ECoreError;
};
class ECoreFileVersionInfoError : public ECoreError {
 public:
  using ECoreError::ECoreError;
};
class ECoreRTTIError : public ECoreError {
 public:
  using ECoreError::ECoreError;
};

// A failed platform call: the calling thread's last error code and its
// text, taken when the exception is made, follow the message on a second
// line "Win32: <text> (<code>)".
class ECoreWin32Error : public ECoreError {
 public:
  explicit ECoreWin32Error(const String& Msg);
  // The caller's message is formatted with Args alone; the platform line is
  // appended afterwards as it stands, so a '%' in the platform's text is
  // never read as a directive.
  ECoreWin32Error(std::u16string_view Fmt, std::initializer_list<rtl::FormatArg> Args);
  static ECoreWin32Error CreateRes(const TCoreResString& Rec) { return ECoreWin32Error(LoadCoreResString(Rec)); }

  std::uint32_t LastError() const { return lastError_; }
  const String& LastErrorMsg() const { return lastErrorMsg_; }

 private:
  struct Taken {};
  explicit ECoreWin32Error(Taken);
  String PlatformLine() const;
  std::uint32_t lastError_ = 0;
  String lastErrorMsg_;
};

// Base of the extended-control library's exceptions.
class EExtException : public rtl::Exception {
 public:
  using rtl::Exception::Exception;
};
class EExtAppStorageError : public EExtException {
 public:
  using EExtException::EExtException;
};

}  // namespace ext
