// Format: printf-like formatting of program text.
//   %[index:][-][width][.precision]type, with '*' taking width or precision
//   from the next argument. Types: d u (integers; precision = least digits),
//   x (upper-case hex; precision = least digits), e f g n m (floats), s, p.
//   %% gives a percent sign. A directive that does not fit its argument, or
//   a missing argument, raises EConvertError.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string_view>
#include <type_traits>

#include "platform/runtime/rtl_string.h"

namespace rtl {

struct TFormatSettings;

class FormatArg {
 public:
  enum class Kind { Int, UInt, Float, Text, Pointer };

  template <typename T, std::enable_if_t<std::is_integral_v<T> && std::is_signed_v<T> &&
                                             !std::is_same_v<T, bool> && !std::is_same_v<T, char>,
                                         int> = 0>
  FormatArg(T v) : kind_(Kind::Int), i_(v) {}
  template <typename T, std::enable_if_t<std::is_integral_v<T> && std::is_unsigned_v<T> &&
                                             !std::is_same_v<T, bool> &&
                                             !std::is_same_v<T, char16_t> && !std::is_same_v<T, char32_t>,
                                         int> = 0>
  FormatArg(T v) : kind_(Kind::UInt), u_(v) {}
  FormatArg(double v) : kind_(Kind::Float), f_(v) {}
  FormatArg(float v) : kind_(Kind::Float), f_(v) {}
  FormatArg(long double v) : kind_(Kind::Float), f_(static_cast<double>(v)) {}
  FormatArg(const String& s) : kind_(Kind::Text), s_(s) {}
  FormatArg(std::u16string_view s) : kind_(Kind::Text), s_(s) {}
  FormatArg(const char16_t* s) : kind_(Kind::Text), s_(s ? s : u"") {}
  // Narrow literals in the sources are UTF-8.
  FormatArg(const char* s) : kind_(Kind::Text), narrow_(s ? s : ""), isNarrow_(true) {}
  FormatArg(const void* p) : kind_(Kind::Pointer), p_(p) {}
  FormatArg(std::nullptr_t) : kind_(Kind::Pointer), p_(nullptr) {}

  Kind kind() const { return kind_; }
  std::int64_t asInt() const { return i_; }
  std::uint64_t asUInt() const { return u_; }
  double asFloat() const { return f_; }
  String asText() const { return isNarrow_ ? Utf8ToString(narrow_) : String(s_); }
  const void* asPointer() const { return p_; }

 private:
  Kind kind_;
  union {
    std::int64_t i_;
    std::uint64_t u_;
    double f_;
    const void* p_;
  };
  std::u16string_view s_;
  std::string_view narrow_;
  bool isNarrow_ = false;
};

String Format(std::u16string_view fmt, std::initializer_list<FormatArg> args);
String Format(std::u16string_view fmt, std::initializer_list<FormatArg> args,
              const TFormatSettings& settings);

}  // namespace rtl
