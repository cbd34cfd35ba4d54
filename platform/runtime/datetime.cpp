#include "platform/runtime/datetime.h"

#include <time.h>

#include <chrono>
#include <cmath>
#include <vector>

#include "platform/runtime/exceptions.h"

namespace rtl {

namespace {

constexpr std::int64_t kMsPerDay = 86400000;
// Day number of 1899-12-30 counted from 1970-01-01.
constexpr std::int64_t kEpochShift = -25569;

// Days since 1970-01-01 of a proleptic Gregorian date.
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, int& y, int& m, int& d) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2));
}

// Splits into a signed day number and milliseconds of the day.
void Split(TDateTime dt, std::int64_t& days, std::int64_t& ms) {
  const double a = std::fabs(dt);
  const std::int64_t total = std::llround(a * MSecsPerDay);
  days = total / kMsPerDay;
  ms = total % kMsPerDay;
  if (dt < 0) days = -days;
}

}  // namespace

bool IsLeapYear(int year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

int DaysInAMonth(int year, int month) {
  static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

bool TryEncodeDate(int year, int month, int day, TDateTime& result) {
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInAMonth(year, month))
    return false;
  result = static_cast<double>(DaysFromCivil(year, month, day) - kEpochShift);
  return true;
}

bool TryEncodeTime(int hour, int min, int sec, int msec, TDateTime& result) {
  if (hour < 0 || hour > 23 || min < 0 || min > 59 || sec < 0 || sec > 59 || msec < 0 || msec > 999)
    return false;
  result = (((hour * 60.0 + min) * 60.0 + sec) * 1000.0 + msec) / MSecsPerDay;
  return true;
}

TDateTime EncodeDate(int year, int month, int day) {
  TDateTime r;
  if (!TryEncodeDate(year, month, day, r)) throw EConvertError(u"Invalid argument to date encode");
  return r;
}

TDateTime EncodeTime(int hour, int min, int sec, int msec) {
  TDateTime r;
  if (!TryEncodeTime(hour, min, sec, msec, r)) throw EConvertError(u"Invalid argument to time encode");
  return r;
}

TDateTime EncodeDateTime(int year, int month, int day, int hour, int min, int sec, int msec) {
  const TDateTime d = EncodeDate(year, month, day);
  const TDateTime t = EncodeTime(hour, min, sec, msec);
  return d >= 0 ? d + t : d - t;
}

void DecodeDate(TDateTime dt, int& year, int& month, int& day) {
  std::int64_t days, ms;
  Split(dt, days, ms);
  CivilFromDays(days + kEpochShift, year, month, day);
}

void DecodeTime(TDateTime dt, int& hour, int& min, int& sec, int& msec) {
  std::int64_t days, ms;
  Split(dt, days, ms);
  hour = static_cast<int>(ms / 3600000);
  min = static_cast<int>(ms / 60000 % 60);
  sec = static_cast<int>(ms / 1000 % 60);
  msec = static_cast<int>(ms % 1000);
}

void DecodeDateTime(TDateTime dt, int& year, int& month, int& day, int& hour, int& min, int& sec,
                    int& msec) {
  DecodeDate(dt, year, month, day);
  DecodeTime(dt, hour, min, sec, msec);
}

int DayOfWeek(TDateTime dt) {
  std::int64_t days, ms;
  Split(dt, days, ms);
  // 1899-12-30 was a Saturday (7).
  const std::int64_t r = ((days + 6) % 7 + 7) % 7;
  return static_cast<int>(r) + 1;
}

TDateTime UnixToLocalDateTime(std::int64_t seconds, std::int32_t nanoseconds) {
  const time_t t = static_cast<time_t>(seconds);
  struct tm tm {};
  localtime_r(&t, &tm);
  const std::int64_t localSeconds = seconds + tm.tm_gmtoff;
  const std::int64_t days = localSeconds >= 0 ? localSeconds / 86400 : (localSeconds - 86399) / 86400;
  const std::int64_t secOfDay = localSeconds - days * 86400;
  return static_cast<double>(days - kEpochShift) +
         (secOfDay * 1000.0 + nanoseconds / 1000000) / MSecsPerDay;
}

std::int64_t LocalDateTimeToUnix(TDateTime dt) {
  int y, mo, d, h, mi, s, ms;
  DecodeDateTime(dt, y, mo, d, h, mi, s, ms);
  struct tm tm {};
  tm.tm_year = y - 1900;
  tm.tm_mon = mo - 1;
  tm.tm_mday = d;
  tm.tm_hour = h;
  tm.tm_min = mi;
  tm.tm_sec = s;
  tm.tm_isdst = -1;
  return static_cast<std::int64_t>(mktime(&tm));
}

TDateTime Now() {
  const auto now = std::chrono::system_clock::now().time_since_epoch();
  const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(now).count();
  const std::int64_t sec = ns >= 0 ? ns / 1000000000 : (ns - 999999999) / 1000000000;
  return UnixToLocalDateTime(sec, static_cast<std::int32_t>(ns - sec * 1000000000));
}

TDateTime Date() { return std::floor(Now()); }

TDateTime Time() {
  const TDateTime n = Now();
  return n - std::floor(n);
}

// --- formatting ----------------------------------------------------------

namespace {

String PadNumber(int v, int digits) {
  String r = IntToStr(v);
  while (static_cast<int>(r.size()) < digits) r.insert(r.begin(), u'0');
  return r;
}

String Pad2(int v) { return PadNumber(v, 2); }

bool HasAmPm(std::u16string_view f) {
  char16_t quote = 0;
  for (std::size_t i = 0; i < f.size(); ++i) {
    const char16_t c = f[i];
    if (quote) {
      if (c == quote) quote = 0;
      continue;
    }
    if (c == u'"' || c == u'\'') {
      quote = c;
      continue;
    }
    const std::u16string_view rest = f.substr(i);
    if (StartsText(u"am/pm", rest) || StartsText(u"a/p", rest) || StartsText(u"ampm", rest)) return true;
  }
  return false;
}

void FormatInto(String& out, std::u16string_view f, TDateTime dt, const TFormatSettings& fs, int depth) {
  if (depth > 2) return;
  int y, mo, d, h, mi, s, ms;
  DecodeDateTime(dt, y, mo, d, h, mi, s, ms);
  const bool twelve = HasAmPm(f);
  bool lastWasHour = false;
  std::size_t i = 0;
  auto count = [&](char16_t ch) {
    std::size_t n = 0;
    while (i + n < f.size() && (f[i + n] | 0x20) == ch) ++n;
    return n;
  };
  while (i < f.size()) {
    const char16_t c = f[i];
    const char16_t lc = (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c | 0x20) : c;
    if (c == u'"' || c == u'\'') {
      const std::size_t end = f.find(c, i + 1);
      out.append(f.substr(i + 1, (end == std::u16string_view::npos ? f.size() : end) - i - 1));
      i = end == std::u16string_view::npos ? f.size() : end + 1;
      continue;
    }
    bool hourToken = false;
    switch (lc) {
      case u'y': {
        const std::size_t n = count(u'y');
        out += n <= 2 ? Pad2(y % 100) : PadNumber(y, 4);
        i += n;
        break;
      }
      case u'm': {
        const std::size_t n = count(u'm');
        if (lastWasHour && n <= 2) {
          out += n == 1 ? IntToStr(mi) : Pad2(mi);
        } else if (n == 1) {
          out += IntToStr(mo);
        } else if (n == 2) {
          out += Pad2(mo);
        } else if (n == 3) {
          out += fs.ShortMonthNames[mo - 1];
        } else {
          out += fs.LongMonthNames[mo - 1];
        }
        i += n;
        break;
      }
      case u'd': {
        const std::size_t n = count(u'd');
        switch (n) {
          case 1: out += IntToStr(d); break;
          case 2: out += Pad2(d); break;
          case 3: out += fs.ShortDayNames[DayOfWeek(dt) - 1]; break;
          case 4: out += fs.LongDayNames[DayOfWeek(dt) - 1]; break;
          case 5: FormatInto(out, fs.ShortDateFormat, dt, fs, depth + 1); break;
          default: FormatInto(out, fs.LongDateFormat, dt, fs, depth + 1); break;
        }
        i += n;
        break;
      }
      case u'h': {
        const std::size_t n = count(u'h');
        int hh = h;
        if (twelve) {
          hh = h % 12;
          if (hh == 0) hh = 12;
        }
        out += n == 1 ? IntToStr(hh) : Pad2(hh);
        i += n;
        hourToken = true;
        break;
      }
      case u'n': {
        const std::size_t n = count(u'n');
        out += n == 1 ? IntToStr(mi) : Pad2(mi);
        i += n;
        break;
      }
      case u's': {
        const std::size_t n = count(u's');
        out += n == 1 ? IntToStr(s) : Pad2(s);
        i += n;
        break;
      }
      case u'z': {
        const std::size_t n = count(u'z');
        out += n >= 3 ? PadNumber(ms, 3) : IntToStr(ms);
        i += n;
        break;
      }
      case u't': {
        const std::size_t n = count(u't');
        FormatInto(out, n == 1 ? fs.ShortTimeFormat : fs.LongTimeFormat, dt, fs, depth + 1);
        i += n;
        break;
      }
      case u'c': {
        FormatInto(out, fs.ShortDateFormat, dt, fs, depth + 1);
        if (h || mi || s || ms) {
          out += u' ';
          FormatInto(out, fs.LongTimeFormat, dt, fs, depth + 1);
        }
        ++i;
        break;
      }
      case u'a': {
        const std::u16string_view rest = f.substr(i);
        if (StartsText(u"am/pm", rest)) {
          const bool upper = rest[0] == u'A';
          out += h < 12 ? (upper ? u"AM" : u"am") : (upper ? u"PM" : u"pm");
          i += 5;
        } else if (StartsText(u"a/p", rest)) {
          out += h < 12 ? (rest[0] == u'A' ? u"A" : u"a") : (rest[0] == u'A' ? u"P" : u"p");
          i += 3;
        } else if (StartsText(u"ampm", rest)) {
          out += h < 12 ? fs.TimeAMString : fs.TimePMString;
          i += 4;
        } else {
          goto literal;
        }
        break;
      }
      case u'/':
        out += fs.DateSeparator;
        ++i;
        break;
      case u':':
        out += fs.TimeSeparator;
        ++i;
        break;
      default:
      literal:
        out += c;
        ++i;
        break;
    }
    // 'm' right after an hour (separators between them allowed) is minutes.
    if (hourToken) lastWasHour = true;
    else if (lc != u':' && lc != u' ' && lc != u'/' && lc != u'.' && lc != u'-') lastWasHour = false;
  }
}

}  // namespace

String FormatDateTime(std::u16string_view format, TDateTime dt, const TFormatSettings& fs) {
  String out;
  FormatInto(out, format.empty() ? std::u16string_view(u"c") : format, dt, fs, 0);
  return out;
}

String FormatDateTime(std::u16string_view format, TDateTime dt) {
  return FormatDateTime(format, dt, FormatSettings());
}

String DateToStr(TDateTime dt) { return FormatDateTime(u"ddddd", dt); }
String TimeToStr(TDateTime dt) { return FormatDateTime(u"tt", dt); }
String DateTimeToStr(TDateTime dt) { return FormatDateTime(u"c", dt); }

// --- parsing -------------------------------------------------------------

namespace {

struct Scanner {
  std::u16string_view s;
  std::size_t i = 0;
  void SkipBlanks() {
    while (i < s.size() && s[i] <= u' ') ++i;
  }
  bool Number(int& v, int& digits) {
    digits = 0;
    v = 0;
    while (i < s.size() && s[i] >= u'0' && s[i] <= u'9' && digits < 9) {
      v = v * 10 + (s[i] - u'0');
      ++i, ++digits;
    }
    return digits > 0;
  }
  bool AtEnd() const { return i >= s.size(); }
};

bool ParseDate(Scanner& sc, const TFormatSettings& fs, TDateTime& value) {
  int nums[3], digits[3], n = 0;
  sc.SkipBlanks();
  while (n < 3) {
    if (!sc.Number(nums[n], digits[n])) return false;
    ++n;
    if (sc.AtEnd()) break;
    const char16_t c = sc.s[sc.i];
    if (n < 3 && (c == fs.DateSeparator || c == u'/' || c == u'-' || c == u'.')) {
      ++sc.i;
      continue;
    }
    break;
  }
  if (n < 2) return false;
  // Order of year, month, day from the short date pattern.
  String order;
  for (char16_t c : fs.ShortDateFormat) {
    const char16_t lc = static_cast<char16_t>(c | 0x20);
    if ((lc == u'y' || lc == u'm' || lc == u'd') && order.find(lc) == String::npos) order.push_back(lc);
  }
  if (order.size() != 3) order = u"mdy";
  int y = 0, m = 0, d = 0, yDigits = 4;
  if (n == 3 && digits[0] >= 3) {
    y = nums[0], m = nums[1], d = nums[2], yDigits = digits[0];
  } else if (n == 3) {
    for (int k = 0; k < 3; ++k) {
      if (order[k] == u'y') y = nums[k], yDigits = digits[k];
      else if (order[k] == u'm') m = nums[k];
      else d = nums[k];
    }
  } else {
    String md;
    for (char16_t c : order)
      if (c != u'y') md.push_back(c);
    m = md[0] == u'm' ? nums[0] : nums[1];
    d = md[0] == u'm' ? nums[1] : nums[0];
    int cy, cm, cd;
    DecodeDate(Now(), cy, cm, cd);
    y = cy;
  }
  if (n == 3 && yDigits <= 2) {
    int cy, cm, cd;
    DecodeDate(Now(), cy, cm, cd);
    const int window = fs.TwoDigitYearCenturyWindow;
    y += cy / 100 * 100;
    if (window > 0 && y < cy - window) y += 100;
    else if (window > 0 && y > cy + (100 - window)) y -= 100;
  }
  return TryEncodeDate(y, m, d, value);
}

bool ParseTime(Scanner& sc, const TFormatSettings& fs, TDateTime& value) {
  sc.SkipBlanks();
  int h, mi = 0, s = 0, ms = 0, digits;
  if (!sc.Number(h, digits)) return false;
  auto sep = [&] {
    if (!sc.AtEnd() && (sc.s[sc.i] == fs.TimeSeparator || sc.s[sc.i] == u':')) {
      ++sc.i;
      return true;
    }
    return false;
  };
  if (sep()) {
    if (!sc.Number(mi, digits)) return false;
    if (sep()) {
      if (!sc.Number(s, digits)) return false;
      if (!sc.AtEnd() && (sc.s[sc.i] == u'.' || sc.s[sc.i] == fs.DecimalSeparator)) {
        ++sc.i;
        if (!sc.Number(ms, digits)) return false;
        while (digits < 3) ms *= 10, ++digits;
        while (digits > 3) ms /= 10, --digits;
      }
    }
  }
  sc.SkipBlanks();
  if (!sc.AtEnd()) {
    const std::u16string_view rest = sc.s.substr(sc.i);
    auto eat = [&](std::u16string_view w) {
      if (!w.empty() && StartsText(w, rest)) {
        sc.i += w.size();
        return true;
      }
      return false;
    };
    bool pm = false, am = false;
    if (eat(fs.TimeAMString) || eat(u"AM") || eat(u"A")) am = true;
    else if (eat(fs.TimePMString) || eat(u"PM") || eat(u"P")) pm = true;
    if (am || pm) {
      if (h < 1 || h > 12) return false;
      if (am && h == 12) h = 0;
      if (pm && h != 12) h += 12;
    }
    sc.SkipBlanks();
  }
  return TryEncodeTime(h, mi, s, ms, value);
}

bool LooksLikeTime(std::u16string_view s, const TFormatSettings& fs) {
  for (char16_t c : s)
    if (c == fs.TimeSeparator || c == u':') return true;
  return false;
}

}  // namespace

bool TryStrToDate(std::u16string_view s, TDateTime& value) {
  Scanner sc{s};
  TDateTime v;
  if (!ParseDate(sc, FormatSettings(), v)) return false;
  sc.SkipBlanks();
  if (!sc.AtEnd()) return false;
  value = v;
  return true;
}

bool TryStrToTime(std::u16string_view s, TDateTime& value) {
  Scanner sc{s};
  TDateTime v;
  if (!ParseTime(sc, FormatSettings(), v) || !sc.AtEnd()) return false;
  value = v;
  return true;
}

bool TryStrToDateTime(std::u16string_view s, TDateTime& value, const TFormatSettings& fs) {
  const String t = Trim(s);
  const std::size_t space = t.find(u' ');
  Scanner sc{t};
  TDateTime d = 0, tm = 0;
  if (space == String::npos && LooksLikeTime(t, fs)) {
    if (!ParseTime(sc, fs, tm) || !sc.AtEnd()) return false;
    value = tm;
    return true;
  }
  if (!ParseDate(sc, fs, d)) return false;
  sc.SkipBlanks();
  if (!sc.AtEnd()) {
    if (!ParseTime(sc, fs, tm) || !sc.AtEnd()) return false;
  }
  value = d >= 0 ? d + tm : d - tm;
  return true;
}

bool TryStrToDateTime(std::u16string_view s, TDateTime& value) {
  return TryStrToDateTime(s, value, FormatSettings());
}

TDateTime StrToDate(std::u16string_view s) {
  TDateTime v;
  if (!TryStrToDate(s, v)) throw EConvertError(u"'%s' is not a valid date", {s});
  return v;
}

TDateTime StrToTime(std::u16string_view s) {
  TDateTime v;
  if (!TryStrToTime(s, v)) throw EConvertError(u"'%s' is not a valid time", {s});
  return v;
}

TDateTime StrToDateTime(std::u16string_view s) {
  TDateTime v;
  if (!TryStrToDateTime(s, v)) throw EConvertError(u"'%s' is not a valid date and time", {s});
  return v;
}

}  // namespace rtl
