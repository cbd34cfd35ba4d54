// Root of every exception the program's own code raises.
#pragma once

#include <exception>
#include <string>

#include "rtl_string.h"

namespace rtl {

class Exception : public std::exception {
 public:
  explicit Exception(String message) : message_(std::move(message)), utf8_(StringToUtf8(message_)) {}
  explicit Exception(std::string_view utf8_message)
      : message_(Utf8ToString(utf8_message)), utf8_(utf8_message) {}
  const String& Message() const noexcept { return message_; }
  const char* what() const noexcept override { return utf8_.c_str(); }

 private:
  String message_;
  std::string utf8_;
};

// Text that does not read as a number or date.
class EConvertError : public Exception {
 public:
  using Exception::Exception;
};

}  // namespace rtl
