#include "platform/runtime/format_settings.h"

#include <langinfo.h>
#include <locale.h>

#include "platform/runtime/codepage.h"

namespace rtl {

namespace {

String LocaleText(const char* bytes) {
  if (!bytes) return String();
  std::string_view v(bytes);
  return IsValidUtf8(v) ? Utf8ToString(v) : DecodeText(v, 28591);
}

// strftime pattern -> the program's pattern letters. The first separator
// found becomes the date (or time) separator and is written as '/' (':').
String ConvertStrftime(const String& f, char16_t& dateSep, char16_t& timeSep, bool isTime) {
  String out;
  bool sepFound = false;
  for (std::size_t i = 0; i < f.size(); ++i) {
    char16_t c = f[i];
    if (c != u'%') {
      if (!sepFound && (c == u'/' || c == u'-' || c == u'.' || c == u':')) {
        sepFound = true;
        if (isTime) timeSep = c; else dateSep = c;
      }
      if (isTime ? (c == timeSep) : (c == dateSep)) {
        out.push_back(isTime ? u':' : u'/');
      } else if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c >= 0x80) {
        out += u'"';
        out.push_back(c);
        out += u'"';
      } else {
        out.push_back(c);
      }
      continue;
    }
    if (++i >= f.size()) break;
    c = f[i];
    while ((c == u'-' || c == u'_' || c == u'0' || c == u'^' || c == u'#' || c == u'E' || c == u'O') &&
           i + 1 < f.size())
      c = f[++i];
    switch (c) {
      case u'd': out += u"dd"; break;
      case u'e': out += u"d"; break;
      case u'm': out += u"mm"; break;
      case u'y': out += u"yy"; break;
      case u'Y': out += u"yyyy"; break;
      case u'b': case u'h': out += u"mmm"; break;
      case u'B': out += u"mmmm"; break;
      case u'a': out += u"ddd"; break;
      case u'A': out += u"dddd"; break;
      case u'H': out += u"hh"; break;
      case u'I': case u'l': out += u"hh"; break;
      case u'M': out += u"nn"; break;
      case u'S': out += u"ss"; break;
      case u'p': case u'P': out += u"ampm"; break;
      case u'T': out += u"hh:nn:ss"; if (isTime && !sepFound) { timeSep = u':'; sepFound = true; } break;
      case u'R': out += u"hh:nn"; if (isTime && !sepFound) { timeSep = u':'; sepFound = true; } break;
      case u'r': out += u"hh:nn:ss ampm"; if (isTime && !sepFound) { timeSep = u':'; sepFound = true; } break;
      case u'D': out += u"mm/dd/yy"; if (!isTime && !sepFound) { dateSep = u'/'; sepFound = true; } break;
      case u'F': out += u"yyyy/mm/dd"; if (!isTime && !sepFound) { dateSep = u'-'; sepFound = true; } break;
      case u'%': out += u'%'; break;
      case u'n': case u't': out += u' '; break;
      default: break;
    }
  }
  return out;
}

}  // namespace

TFormatSettings TFormatSettings::FromLocale(const char* localeName) {
  TFormatSettings fs;
  locale_t loc = newlocale(LC_ALL_MASK, localeName, static_cast<locale_t>(0));
  if (loc == static_cast<locale_t>(0)) return fs;
  const String radix = LocaleText(nl_langinfo_l(RADIXCHAR, loc));
  const String thou = LocaleText(nl_langinfo_l(THOUSEP, loc));
  if (radix.size() == 1) fs.DecimalSeparator = radix[0];
  if (thou.size() == 1) {
    fs.ThousandSeparator = thou[0];
  } else {
    // No grouping in the locale (the C locale): keep a separator distinct
    // from the decimal one, as number patterns with ',' need one.
    fs.ThousandSeparator = fs.DecimalSeparator == u',' ? u'.' : u',';
  }
  if (fs.ThousandSeparator == fs.DecimalSeparator)
    fs.ThousandSeparator = fs.DecimalSeparator == u',' ? u'.' : u',';
  fs.ListSeparator = fs.DecimalSeparator == u',' ? u';' : u',';

  fs.ShortDateFormat = ConvertStrftime(LocaleText(nl_langinfo_l(D_FMT, loc)), fs.DateSeparator,
                                       fs.TimeSeparator, false);
  if (fs.ShortDateFormat.empty()) fs.ShortDateFormat = u"mm/dd/yyyy";
  // No long date in POSIX locales: the short one with a four-digit year.
  fs.LongDateFormat = fs.ShortDateFormat;
  if (fs.LongDateFormat.find(u"yyyy") == String::npos) {
    const auto p = fs.LongDateFormat.find(u"yy");
    if (p != String::npos) fs.LongDateFormat.replace(p, 2, u"yyyy");
  }
  fs.LongTimeFormat = ConvertStrftime(LocaleText(nl_langinfo_l(T_FMT, loc)), fs.DateSeparator,
                                      fs.TimeSeparator, true);
  if (fs.LongTimeFormat.empty()) fs.LongTimeFormat = u"hh:nn:ss";
  fs.ShortTimeFormat = fs.LongTimeFormat;
  const auto sp = fs.ShortTimeFormat.find(u":ss");
  if (sp != String::npos) fs.ShortTimeFormat.erase(sp, 3);

  const String am = LocaleText(nl_langinfo_l(AM_STR, loc));
  const String pm = LocaleText(nl_langinfo_l(PM_STR, loc));
  fs.TimeAMString = am.empty() ? u"AM" : am;
  fs.TimePMString = pm.empty() ? u"PM" : pm;

  static const nl_item kMon[12] = {MON_1, MON_2, MON_3, MON_4, MON_5, MON_6,
                                   MON_7, MON_8, MON_9, MON_10, MON_11, MON_12};
  static const nl_item kAbMon[12] = {ABMON_1, ABMON_2, ABMON_3, ABMON_4, ABMON_5, ABMON_6,
                                     ABMON_7, ABMON_8, ABMON_9, ABMON_10, ABMON_11, ABMON_12};
  static const nl_item kDay[7] = {DAY_1, DAY_2, DAY_3, DAY_4, DAY_5, DAY_6, DAY_7};
  static const nl_item kAbDay[7] = {ABDAY_1, ABDAY_2, ABDAY_3, ABDAY_4, ABDAY_5, ABDAY_6, ABDAY_7};
  for (int i = 0; i < 12; ++i) {
    fs.LongMonthNames[i] = LocaleText(nl_langinfo_l(kMon[i], loc));
    fs.ShortMonthNames[i] = LocaleText(nl_langinfo_l(kAbMon[i], loc));
  }
  for (int i = 0; i < 7; ++i) {
    fs.LongDayNames[i] = LocaleText(nl_langinfo_l(kDay[i], loc));
    fs.ShortDayNames[i] = LocaleText(nl_langinfo_l(kAbDay[i], loc));
  }
  // CRNCYSTR: '-' symbol before the value, '+' after, '.' replaces the radix.
  const String cur = LocaleText(nl_langinfo_l(CRNCYSTR, loc));
  if (cur.size() > 1) {
    fs.CurrencyString = cur.substr(1);
    fs.CurrencyFormat = cur[0] == u'+' ? 3 : 0;
    fs.NegCurrFormat = cur[0] == u'+' ? 8 : 1;
  }
  freelocale(loc);
  return fs;
}

TFormatSettings& FormatSettings() {
  static TFormatSettings settings = TFormatSettings::FromLocale("");
  return settings;
}

void RefreshFormatSettings() { FormatSettings() = TFormatSettings::FromLocale(""); }

}  // namespace rtl
