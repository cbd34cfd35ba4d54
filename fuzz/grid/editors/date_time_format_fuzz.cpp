// Edit formats of the date-time editor (a column's EditFormat, kept in form
// and settings files) with a text typed against them: the mask, the display
// format and template, reading the text into elements and a date, stepping
// and finding elements at every caret position.
// Input: edit format, newline, typed text.
#include <cstddef>
#include <cstdint>

#include "fuzz/support/fuzz_support.h"
#include "grid/editors/date_time_edit_format.h"
#include "platform/runtime/exceptions.h"
#include "platform/runtime/edit_mask.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto fields = fuzz::Fields(data, size);
  const rtl::String format = fuzz::Text(fields[0]);
  const rtl::String text = fields.size() > 1 ? fuzz::Text(fields[1]) : rtl::String();
  const rtl::TFormatSettings fs = rtl::TFormatSettings::Invariant();
  grid::TDateTimeElementsMaskPosEx pos;
  rtl::String mask;
  try {
    grid::EditFormatToMask(format, pos, mask);
  } catch (const rtl::Exception&) {
    return 0;  // a format the editor refuses with its message
  }
  rtl::String display, tmpl;
  try {
    display = grid::EditFormatToDisplayFormat(format);
    tmpl = grid::EditFormatToTemplate(format);
  } catch (const rtl::Exception&) {
    __builtin_trap();  // a format that gave a mask gives these too
  }
  const rtl::String shown = rtl::TEditMask(mask).Apply(text);
  for (const rtl::String* t : {&text, &shown}) {
    grid::TDateTimeElementsEx elements;
    grid::TextToElements(*t, pos, elements);
    rtl::Variant value;
    grid::MergeElementsIntoValue(elements, pos, value, false, 45000.5);
    grid::MergeElementsIntoValue(elements, pos, value, true, 45000.5);
    grid::TDateTimeElementsEx back;
    grid::ValueToElements(value, back);
  }
  const int n = static_cast<int>(shown.size());
  for (int caret = 0; caret <= n + 1 && caret < 64; ++caret) {
    for (const bool up : {true, false}) {
      rtl::String stepped;
      int length = 0, at = caret;
      grid::StepDateTimeElement(shown, tmpl, up, stepped, length, at, fs);
    }
    int at = caret, length = 0;
    grid::FindElementAt(tmpl, at, length, fs);
    at = caret;
    grid::FindDateElementAt(shown, at, length, caret & 1, fs);
  }
  grid::ParseElementDigits(text);
  return 0;
}
