// Number, date and currency settings used by the conversions.
// Date and time patterns use the program's letters: d dd ddd dddd ddddd
// dddddd, m mm mmm mmmm, yy yyyy, h hh, n nn, s ss, z zzz, am/pm a/p ampm,
// '/' = DateSeparator, ':' = TimeSeparator, quoted text is literal.
#pragma once

#include <cstdint>

#include "platform/runtime/rtl_string.h"

namespace rtl {

struct TFormatSettings {
  char16_t DecimalSeparator = u'.';
  char16_t ThousandSeparator = u',';
  char16_t DateSeparator = u'/';
  char16_t TimeSeparator = u':';
  char16_t ListSeparator = u',';
  String ShortDateFormat = u"mm/dd/yyyy";
  String LongDateFormat = u"dddd, dd mmmmm yyyy";
  String ShortTimeFormat = u"hh:nn";
  String LongTimeFormat = u"hh:nn:ss";
  String TimeAMString = u"AM";
  String TimePMString = u"PM";
  String CurrencyString = u"\u00A4";
  // 0 "$1", 1 "1$", 2 "$ 1", 3 "1 $".
  std::uint8_t CurrencyFormat = 0;
  // 0 "($1)" .. 15 "(1 $)", the classic table of negative currency forms.
  std::uint8_t NegCurrFormat = 0;
  std::uint8_t CurrencyDecimals = 2;
  std::uint16_t TwoDigitYearCenturyWindow = 50;
  String ShortMonthNames[12] = {u"Jan", u"Feb", u"Mar", u"Apr", u"May", u"Jun",
                                u"Jul", u"Aug", u"Sep", u"Oct", u"Nov", u"Dec"};
  String LongMonthNames[12] = {u"January", u"February", u"March",     u"April",
                               u"May",     u"June",     u"July",      u"August",
                               u"September", u"October", u"November", u"December"};
  // Index 0 is Sunday.
  String ShortDayNames[7] = {u"Sun", u"Mon", u"Tue", u"Wed", u"Thu", u"Fri", u"Sat"};
  String LongDayNames[7] = {u"Sunday",   u"Monday", u"Tuesday", u"Wednesday",
                            u"Thursday", u"Friday", u"Saturday"};

  // The fixed English set (also the default-constructed value).
  static TFormatSettings Invariant() { return TFormatSettings(); }
  // Settings of a POSIX locale ("" = from the environment, as at start-up);
  // the invariant set when the locale is not available.
  static TFormatSettings FromLocale(const char* localeName = "");
};

// The program-wide settings, taken from the environment's locale on first
// use. The window thread reads them; change them only at start-up or in tests.
TFormatSettings& FormatSettings();
// Reads the locale again (the desktop's settings-changed notice).
void RefreshFormatSettings();

}  // namespace rtl
