// Date-time: days since 1899-12-30 as a double; the fraction is the time of
// day. A negative value counts days backwards, its fraction still forwards
// (-1.25 is 1899-12-29 06:00).
#pragma once

#include <cstdint>

#include "platform/runtime/format_settings.h"
#include "platform/runtime/rtl_string.h"

namespace rtl {

using TDateTime = double;

inline constexpr double MSecsPerDay = 86400000.0;
inline constexpr TDateTime UnixDateDelta = 25569.0;  // 1970-01-01

bool IsLeapYear(int year);
int DaysInAMonth(int year, int month);

// Raise EConvertError "Invalid argument to date encode" / "... time encode".
TDateTime EncodeDate(int year, int month, int day);
TDateTime EncodeTime(int hour, int min, int sec, int msec);
bool TryEncodeDate(int year, int month, int day, TDateTime& result);
bool TryEncodeTime(int hour, int min, int sec, int msec, TDateTime& result);
TDateTime EncodeDateTime(int year, int month, int day, int hour, int min, int sec, int msec);

void DecodeDate(TDateTime dt, int& year, int& month, int& day);
void DecodeTime(TDateTime dt, int& hour, int& min, int& sec, int& msec);
void DecodeDateTime(TDateTime dt, int& year, int& month, int& day, int& hour, int& min, int& sec,
                    int& msec);
// 1 = Sunday .. 7 = Saturday.
int DayOfWeek(TDateTime dt);

// Local time.
TDateTime Now();
TDateTime Date();
TDateTime Time();
// Seconds since 1970-01-01 UTC -> local date-time, and back.
TDateTime UnixToLocalDateTime(std::int64_t seconds, std::int32_t nanoseconds = 0);
std::int64_t LocalDateTimeToUnix(TDateTime dt);

String FormatDateTime(std::u16string_view format, TDateTime dt);
String FormatDateTime(std::u16string_view format, TDateTime dt, const TFormatSettings& fs);
String DateToStr(TDateTime dt);
String TimeToStr(TDateTime dt);
String DateTimeToStr(TDateTime dt);

// Reading takes the field order from ShortDateFormat (a four-digit first
// field is always a year: "2024-01-15"); separators may be the settings'
// or '/', '-', '.'. Times: h[:n[:s[.z]]] with optional AM/PM.
// The raising forms throw EConvertError "'<text>' is not a valid date" (time,
// date and time).
bool TryStrToDate(std::u16string_view s, TDateTime& value);
bool TryStrToTime(std::u16string_view s, TDateTime& value);
bool TryStrToDateTime(std::u16string_view s, TDateTime& value);
bool TryStrToDateTime(std::u16string_view s, TDateTime& value, const TFormatSettings& fs);
TDateTime StrToDate(std::u16string_view s);
TDateTime StrToTime(std::u16string_view s);
TDateTime StrToDateTime(std::u16string_view s);

}  // namespace rtl
