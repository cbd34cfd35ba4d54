#include "grid/editors/date_time_edit_format.h"

#include <algorithm>
#include <utility>

#include "platform/runtime/convert.h"
#include "platform/runtime/exceptions.h"

namespace grid {

namespace {

char16_t Upper(char16_t c) { return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c; }

bool IsElementLetter(char16_t c) {
  switch (Upper(c)) {
    case u'Y': case u'M': case u'D': case u'H': case u'N': case u'S': return true;
    default: return false;
  }
}

// Characters the masked edit reads as directives.
bool IsMaskSpecial(char16_t c) { return String(u"!#09;<>ACLacl").find(c) != String::npos; }

TElementMaskPosEx* ElementOf(TDateTimeElementsMaskPosEx& m, char16_t letter) {
  switch (letter) {
    case u'Y': return &m.Year;
    case u'M': return &m.Month;
    case u'D': return &m.Day;
    case u'H': return &m.Hour;
    case u'N': return &m.Min;
    default: return &m.Sec;
  }
}

String Quoted(const String& s) { return u"\"" + s + u"\""; }

String ZeroPadded(int value, int width) {
  String digits = rtl::IntToStr(value);
  if (static_cast<int>(digits.size()) < width) digits.insert(0, static_cast<std::size_t>(width) - digits.size(), u'0');
  return digits;
}

bool IsSeparator(char16_t c, const rtl::TFormatSettings& fs) {
  // The template keeps '/' and ':' as the format wrote them; the text shows the
  // locale's separators.
  return c == u'/' || c == u':' || c == fs.DateSeparator || c == fs.TimeSeparator;
}

// Moves Pos off a separator and finds the element run there; false when the
// place holds no element.
bool LocateRun(const String& Template, int& Pos, int& Length, char16_t& Letter, const rtl::TFormatSettings& fs) {
  const int size = static_cast<int>(Template.size());
  if (size == 0) return false;
  if (Pos > size) Pos = size;
  if (Pos < 1) Pos = 1;
  if (IsSeparator(Template[Pos - 1], fs)) {
    ++Pos;
    if (Pos > size) return false;
  }
  Letter = Template[Pos - 1];
  if (!IsElementLetter(Letter)) return false;
  const std::size_t first = Template.find(Letter);
  std::size_t end = first;
  while (end < Template.size() && Template[end] == Letter) ++end;
  Pos = static_cast<int>(first) + 1;
  Length = static_cast<int>(end - first);
  return true;
}

}  // namespace

void EditFormatToMask(const String& EditFormat, TDateTimeElementsMaskPosEx& MaskPos, String& Mask) {
  MaskPos = TDateTimeElementsMaskPosEx{};
  String text;
  int textPos = 1;
  char16_t runLetter = 0;
  int runLength = 0, runStart = 0;

  auto endRun = [&] {
    if (runLetter == 0) return;
    const bool lengthOk = runLength == 2 || (runLetter == u'Y' && runLength == 4);
    if (!lengthOk) throw rtl::Exception(u"Invalid datetime format element length: " + Quoted(String(1, runLetter)));
    TElementMaskPosEx* element = ElementOf(MaskPos, runLetter);
    if (element->Present) throw rtl::Exception(u"Duplicating datetime format element: " + Quoted(String(1, runLetter)));
    element->Pos = runStart;
    element->Length = runLength;
    element->Present = true;
    text.append(static_cast<std::size_t>(runLength), u'9');
    textPos += runLength;
    runLetter = 0;
    runLength = 0;
  };

  bool escaped = false;
  for (std::size_t i = 0; i < EditFormat.size(); ++i) {
    const char16_t c = EditFormat[i];
    if (!escaped && IsElementLetter(c)) {
      const char16_t letter = Upper(c);
      if (letter == runLetter) {
        ++runLength;
        if (runLength > (letter == u'Y' ? 4 : 2))
          throw rtl::Exception(u"Element in EditFormat: " + Quoted(EditFormat) + u" is too long. Pos: " +
                               rtl::IntToStr(static_cast<std::int64_t>(i) + 1));
      } else {
        endRun();
        runLetter = letter;
        runLength = 1;
        runStart = textPos;
      }
      continue;
    }
    endRun();
    if (!escaped && c == u'\\') {
      escaped = true;
      continue;
    }
    if (IsMaskSpecial(c) && !escaped) text += u'\\';
    text += c;
    ++textPos;
    escaped = false;
  }
  endRun();
  Mask = u"!" + text + u";1; ";
}

String EditFormatToDisplayFormat(const String& EditFormat) {
  String out;
  bool quoted = false, escaped = false;
  for (char16_t c : EditFormat) {
    if (!escaped && c == u'\\') {
      escaped = true;
      continue;
    }
    if (!escaped && (IsElementLetter(c) || c == u'/' || c == u':')) {
      if (quoted) out += u'\'';
      quoted = false;
      out += Upper(c);
      continue;
    }
    escaped = false;
    if (!quoted) out += u'\'';
    quoted = true;
    if (c == u'\'') out += u'\'';
    out += c;
  }
  if (quoted) out += u'\'';
  return out;
}

String EditFormatToTemplate(const String& EditFormat) {
  // One character per character of the edit text: an escaping backslash takes
  // no place there, so it takes none here.
  String out;
  bool escaped = false;
  for (char16_t c : EditFormat) {
    if (!escaped && c == u'\\') {
      escaped = true;
      continue;
    }
    if (!escaped && (IsElementLetter(c) || c == u'/' || c == u':')) out += Upper(c);
    else out += u' ';
    escaped = false;
  }
  return out;
}

int ShortDateOrder() { return ShortDateOrder(rtl::FormatSettings()); }

int ShortDateOrder(const rtl::TFormatSettings& Settings) {
  for (char16_t c : Settings.ShortDateFormat) {
    switch (Upper(c)) {
      case u'M': return 0;
      case u'D': return 1;
      case u'Y': return 2;
      default: break;
    }
  }
  return 1;
}

String DefaultDateEditFormat(bool FourDigitYear) { return DefaultDateEditFormat(FourDigitYear, rtl::FormatSettings()); }

String DefaultDateEditFormat(bool FourDigitYear, const rtl::TFormatSettings& Settings) {
  static const char16_t* const kFour[] = {u"MM/DD/YYYY", u"DD/MM/YYYY", u"YYYY/MM/DD"};
  static const char16_t* const kTwo[] = {u"MM/DD/YY", u"DD/MM/YY", u"YY/MM/DD"};
  const int order = ShortDateOrder(Settings);
  return FourDigitYear ? kFour[order] : kTwo[order];
}

String DefaultTimeEditFormat() { return u"HH:NN:SS"; }

int ParseElementDigits(const String& S) {
  std::size_t i = 0;
  while (i < S.size() && S[i] == u' ') ++i;
  if (i == S.size()) return -1;
  String digits;
  for (; i < S.size(); ++i) {
    if (S[i] == u' ') continue;
    if (S[i] < u'0' || S[i] > u'9') return -1;
    digits += S[i];
  }
  std::int32_t value = 0;
  return rtl::TryStrToInt(digits, value) ? value : -1;
}

int ExpandTwoDigitYear(int Y) {
  int year = 0, month = 0, day = 0;
  rtl::DecodeDate(rtl::Date(), year, month, day);
  return ExpandTwoDigitYear(Y, year);
}

int ExpandTwoDigitYear(int Y, int CurrentYear) {
  if (Y >= 100) return Y;
  const int threshold = CurrentYear - kTwoDigitYearWindow;
  Y += (threshold / 100) * 100;
  if (Y < threshold) Y += 100;
  return Y;
}

bool TextToElements(const String& Text, const TDateTimeElementsMaskPosEx& MaskPos, TDateTimeElementsEx& Elements) {
  auto read = [&](const TElementMaskPosEx& m) {
    if (!m.Present) return -1;
    const std::size_t start = static_cast<std::size_t>(m.Pos - 1);
    if (start >= Text.size()) return -1;
    return ParseElementDigits(Text.substr(start, static_cast<std::size_t>(m.Length)));
  };
  Elements.Year = read(MaskPos.Year);
  Elements.Month = read(MaskPos.Month);
  Elements.Day = read(MaskPos.Day);
  Elements.Hour = read(MaskPos.Hour);
  Elements.Min = read(MaskPos.Min);
  Elements.Sec = read(MaskPos.Sec);
  if (Elements.Year >= 0) Elements.Year = ExpandTwoDigitYear(Elements.Year);
  const std::pair<const TElementMaskPosEx*, int> all[] = {{&MaskPos.Year, Elements.Year}, {&MaskPos.Month, Elements.Month},
                                                          {&MaskPos.Day, Elements.Day},   {&MaskPos.Hour, Elements.Hour},
                                                          {&MaskPos.Min, Elements.Min},   {&MaskPos.Sec, Elements.Sec}};
  for (const auto& [m, v] : all)
    if (m->Present && v < 0) return false;
  return true;
}

void ValueToElements(const Variant& Value, TDateTimeElementsEx& Elements) {
  Elements = TDateTimeElementsEx{};
  if (Value.IsNull() || Value.IsEmpty()) return;
  int ms = 0;
  rtl::DecodeDateTime(Value.AsDateTime(), Elements.Year, Elements.Month, Elements.Day, Elements.Hour, Elements.Min,
                      Elements.Sec, ms);
}

bool MergeElementsIntoValue(const TDateTimeElementsEx& Elements, const TDateTimeElementsMaskPosEx& MaskPos,
                            Variant& Value, bool FillMissing) {
  return MergeElementsIntoValue(Elements, MaskPos, Value, FillMissing, rtl::Date());
}

bool MergeElementsIntoValue(const TDateTimeElementsEx& Elements, const TDateTimeElementsMaskPosEx& MaskPos,
                            Variant& Value, bool FillMissing, rtl::TDateTime Today) {
  TDateTimeElementsEx e = Elements;
  if (e.Year == -1 && e.Month == -1 && e.Day == -1 && e.Hour == -1 && e.Min == -1 && e.Sec == -1) {
    Value = Variant::Null();
    return true;
  }
  if (FillMissing) {
    int ty = 0, tm = 0, td = 0;
    rtl::DecodeDate(Today, ty, tm, td);
    if (e.Day < 1) e.Day = td;
    if (e.Month < 1) e.Month = tm;
    if (e.Year < 1) e.Year = ty;
    if (e.Month > 12) e.Month = 12;
    if (e.Year > 9999) e.Year = 9999;
    e.Year = ExpandTwoDigitYear(e.Year, ty);
    const int days = rtl::DaysInAMonth(e.Year, e.Month);
    if (e.Day > days) e.Day = days;
    e.Hour = std::clamp(e.Hour, 0, 23);
    e.Min = std::clamp(e.Min, 0, 59);
    e.Sec = std::clamp(e.Sec, 0, 59);
  } else {
    if (!MaskPos.Year.Present && e.Year < 1) e.Year = 1;
    if (!MaskPos.Month.Present && e.Month < 1) e.Month = 1;
    if (!MaskPos.Day.Present && e.Day < 1) e.Day = 1;
    if (!MaskPos.Hour.Present && e.Hour < 0) e.Hour = 0;
    if (!MaskPos.Min.Present && e.Min < 0) e.Min = 0;
    if (!MaskPos.Sec.Present && e.Sec < 0) e.Sec = 0;
  }

  const bool noDate = e.Year < 0 && e.Month < 0 && e.Day < 0;
  bool valid = e.Hour >= 0 && e.Hour <= 23 && e.Min >= 0 && e.Min <= 59 && e.Sec >= 0 && e.Sec <= 59;
  if (valid && !noDate)
    valid = e.Year >= 1 && e.Year <= 9999 && e.Month >= 1 && e.Month <= 12 && e.Day >= 1 &&
            e.Day <= rtl::DaysInAMonth(e.Year, e.Month);
  if (!valid) {
    Value = Variant::Null();
    return false;
  }

  int year = 1900, month = 1, day = 1, hour = 0, minute = 0, second = 0, ms = 0;
  if (!Value.IsNull() && !Value.IsEmpty())
    rtl::DecodeDateTime(Value.AsDateTime(), year, month, day, hour, minute, second, ms);
  if (MaskPos.Year.Present && e.Year > 0) year = e.Year;
  if (MaskPos.Month.Present && e.Month > 0) month = e.Month;
  if (MaskPos.Day.Present && e.Day > 0) day = e.Day;
  if (MaskPos.Hour.Present && e.Hour >= 0) hour = e.Hour;
  if (MaskPos.Min.Present && e.Min >= 0) minute = e.Min;
  if (MaskPos.Sec.Present && e.Sec >= 0) second = e.Sec;

  // A format without every date part can meet an old value whose other parts
  // do not fit (day 31 typed over a February): no value rather than an error.
  rtl::TDateTime date = 0, time = 0;
  if (!rtl::TryEncodeDate(year, month, day, date) || !rtl::TryEncodeTime(hour, minute, second, ms, time)) {
    Value = Variant::Null();
    return false;
  }
  Value = Variant::FromDate(date >= 0 ? date + time : date - time);
  return true;
}

void StepDateTimeElement(const String& Text, const String& Template, bool Up, String& NewText, int& Length, int& Pos) {
  StepDateTimeElement(Text, Template, Up, NewText, Length, Pos, rtl::FormatSettings());
}

void StepDateTimeElement(const String& Text, const String& Template, bool Up, String& NewText, int& Length, int& Pos,
                         const rtl::TFormatSettings& Settings) {
  NewText = Text;
  int pos = Pos, length = 0;
  char16_t letter = 0;
  if (!LocateRun(Template, pos, length, letter, Settings)) return;

  const std::size_t start = static_cast<std::size_t>(pos - 1);
  String current = start < Text.size() ? Text.substr(start, static_cast<std::size_t>(length)) : String();
  std::int32_t value = 0;
  if (!rtl::TryStrToInt(rtl::Trim(current), value)) value = 0;

  int low = 0, high = 59;
  switch (letter) {
    case u'D': low = 1; high = 31; break;
    case u'M': low = 1; high = 12; break;
    // A two-digit year stays two digits: 99 steps to 00.
    case u'Y': low = length == 2 ? 0 : 1; high = length == 2 ? 99 : 9999; break;
    case u'H': high = 23; break;
    default: break;
  }
  if (value < low || value > high) value = Up ? low - 1 : high + 1;
  value += Up ? 1 : -1;
  if (value > high) value = low;
  if (value < low) value = high;

  String digits = ZeroPadded(value, length);
  if (NewText.size() < start + static_cast<std::size_t>(length))
    NewText.resize(start + static_cast<std::size_t>(length), u' ');
  NewText.replace(start, static_cast<std::size_t>(length), digits);
  Pos = pos;
  Length = length;
}

void FindDateElementAt(const String& Text, int& Pos, int& Length, bool FourDigitYear) {
  FindDateElementAt(Text, Pos, Length, FourDigitYear, rtl::FormatSettings());
}

void FindElementAt(const String& Template, int& Pos, int& Length) {
  FindElementAt(Template, Pos, Length, rtl::FormatSettings());
}

void FindElementAt(const String& Template, int& Pos, int& Length, const rtl::TFormatSettings& Settings) {
  int pos = Pos, length = 0;
  char16_t letter = 0;
  if (!LocateRun(Template, pos, length, letter, Settings)) return;
  Pos = pos;
  Length = length;
}

void FindDateElementAt(const String& /*Text*/, int& Pos, int& Length, bool FourDigitYear,
                       const rtl::TFormatSettings& Settings) {
  FindElementAt(DefaultDateEditFormat(FourDigitYear, Settings), Pos, Length, Settings);
}

}  // namespace grid
