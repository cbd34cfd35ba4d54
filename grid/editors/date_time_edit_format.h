// Edit formats of the date-time editor (such as DD/MM/YYYY HH:NN): the
// input mask and element positions they give, their display format, reading
// typed text into element values and a date, and stepping one element.
// Pure functions of their arguments and the locale's format settings.
#pragma once

#include "platform/runtime/datetime.h"
#include "platform/runtime/format_settings.h"
#include "platform/runtime/rtl_string.h"
#include "platform/runtime/variant.h"

namespace grid {

using rtl::String;
using rtl::Variant;

struct TElementMaskPosEx {
  int Pos = -1;  // 1-based position of the element's first character in the text
  int Length = -1;
  bool Present = false;
};

struct TDateTimeElementsMaskPosEx {
  TElementMaskPosEx Year, Month, Day, Hour, Min, Sec;
};

// Element values; -1 = not given.
struct TDateTimeElementsEx {
  int Year = -1, Month = -1, Day = -1, Hour = -1, Min = -1, Sec = -1;
};

// Two-digit years land in the hundred years starting this many years back.
inline constexpr int kTwoDigitYearWindow = 60;

void EditFormatToMask(const String& EditFormat, TDateTimeElementsMaskPosEx& MaskPos, String& Mask);
String EditFormatToDisplayFormat(const String& EditFormat);
String EditFormatToTemplate(const String& EditFormat);

// 0 = month-day-year, 1 = day-month-year, 2 = year-month-day.
int ShortDateOrder();
int ShortDateOrder(const rtl::TFormatSettings& Settings);
String DefaultDateEditFormat(bool FourDigitYear);
String DefaultDateEditFormat(bool FourDigitYear, const rtl::TFormatSettings& Settings);
String DefaultTimeEditFormat();

int ParseElementDigits(const String& S);
int ExpandTwoDigitYear(int Y);
int ExpandTwoDigitYear(int Y, int CurrentYear);
bool TextToElements(const String& Text, const TDateTimeElementsMaskPosEx& MaskPos, TDateTimeElementsEx& Elements);
void ValueToElements(const Variant& Value, TDateTimeElementsEx& Elements);
// Today gives the date that fills missing elements.
bool MergeElementsIntoValue(const TDateTimeElementsEx& Elements, const TDateTimeElementsMaskPosEx& MaskPos,
                            Variant& Value, bool FillMissing);
bool MergeElementsIntoValue(const TDateTimeElementsEx& Elements, const TDateTimeElementsMaskPosEx& MaskPos,
                            Variant& Value, bool FillMissing, rtl::TDateTime Today);

// Pos is the 1-based caret position; on return Pos and Length give the
// stepped element's place.
void StepDateTimeElement(const String& Text, const String& Template, bool Up, String& NewText, int& Length, int& Pos);
void StepDateTimeElement(const String& Text, const String& Template, bool Up, String& NewText, int& Length, int& Pos,
                         const rtl::TFormatSettings& Settings);
// The element run of a template (EditFormatToTemplate) at Pos, a separator
// there skipped; Pos and Length stay when there is none.
void FindElementAt(const String& Template, int& Pos, int& Length);
void FindElementAt(const String& Template, int& Pos, int& Length, const rtl::TFormatSettings& Settings);
void FindDateElementAt(const String& Text, int& Pos, int& Length, bool FourDigitYear);
void FindDateElementAt(const String& Text, int& Pos, int& Length, bool FourDigitYear,
                       const rtl::TFormatSettings& Settings);

}  // namespace grid
