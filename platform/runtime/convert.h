// Text <-> number conversions.
// Reading accepts the settings' decimal separator and always '.' as well,
// so files written with either read back everywhere.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/runtime/format_settings.h"
#include "platform/runtime/rtl_string.h"

namespace rtl {

// Integers: optional blanks before, optional sign, then decimal digits, or
// hexadecimal after '$' or "0x"/"0X". Hexadecimal covers the unsigned range
// of the type ("$FFFFFFFF" reads as -1). Nothing may follow the digits.
// StrToInt/StrToInt64 raise EConvertError "'<text>' is not a valid integer value".
std::int32_t StrToInt(std::u16string_view s);
std::int64_t StrToInt64(std::u16string_view s);
bool TryStrToInt(std::u16string_view s, std::int32_t& value);
bool TryStrToInt64(std::u16string_view s, std::int64_t& value);
std::int32_t StrToIntDef(std::u16string_view s, std::int32_t def);
std::int64_t StrToInt64Def(std::u16string_view s, std::int64_t def);

// Floats: blanks around, sign, digits with one decimal separator, optional
// exponent. StrToFloat raises EConvertError "'<text>' is not a valid floating
// point value".
double StrToFloat(std::u16string_view s);
double StrToFloat(std::u16string_view s, const TFormatSettings& fs);
bool TryStrToFloat(std::u16string_view s, double& value);
bool TryStrToFloat(std::u16string_view s, double& value, const TFormatSettings& fs);
double StrToFloatDef(std::u16string_view s, double def);

enum class TFloatFormat { ffGeneral, ffExponent, ffFixed, ffNumber, ffCurrency };

// General form with 15 significant digits; exponent only when needed.
String FloatToStr(double value);
String FloatToStr(double value, const TFormatSettings& fs);
String FloatToStrF(double value, TFloatFormat format, int precision, int digits);
String FloatToStrF(double value, TFloatFormat format, int precision, int digits,
                   const TFormatSettings& fs);
// Patterns: '0' digit, '#' optional digit, '.' decimal separator, ',' thousands
// grouping, "E+0" / "E-0" exponent, quoted or other text literal, up to three
// ';'-separated sections (positive; negative; zero). Halves round away from zero.
String FormatFloat(std::u16string_view pattern, double value);
String FormatFloat(std::u16string_view pattern, double value, const TFormatSettings& fs);

// Rounding half to even (2.5 -> 2, 3.5 -> 4). EInvalidOp for NaN or a value
// outside the 64-bit range.
std::int64_t Round(double value);
std::int64_t Trunc(double value);
// a * b / c rounded to nearest (halves away from zero) in 64-bit arithmetic;
// -1 when c is 0 or the result does not fit 32 bits.
std::int32_t MulDiv(std::int32_t a, std::int32_t b, std::int32_t c);

// "True"/"False" (useBoolStrs) or "-1"/"0".
String BoolToStr(bool value, bool useBoolStrs = false);
// "True"/"False" in any case, or a number (0 = false).
bool TryStrToBool(std::u16string_view s, bool& value);
bool StrToBool(std::u16string_view s);

}  // namespace rtl
