// Auto-run script files as the program opens them: the file's bytes decoded
// (mark, else the system page), read into steps up to the first line that
// does not read; the steps read back the same from the text a save writes.
#include <cstddef>
#include <cstdint>

#include "desktop/auto_code.h"
#include "fuzz/support/fuzz_support.h"
#include "platform/runtime/codepage.h"
#include "platform/runtime/convert.h"

namespace {

bool Same(const desktop::TAutoCode& a, const desktop::TAutoCode& b) {
  // The parameter is written with 15 digits: compared as written.
  const rtl::TFormatSettings fs = rtl::TFormatSettings::Invariant();
  return a.ID == b.ID && a.Axis == b.Axis && a.Action == b.Action &&
         rtl::FloatToStr(a.Param, fs) == rtl::FloatToStr(b.Param, fs) && a.Delay == b.Delay && a.Count == b.Count;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const desktop::TScriptRead read = desktop::Read_Script_Text(rtl::DecodeFileText(bytes));
  for (const desktop::TAutoCode& step : read.Steps) {
    desktop::Split_Script_Line(desktop::Format_Script_Line(step));
    desktop::Action_To_Caption(step.Action);
  }
  // What the program saves reads back as the same steps.
  const desktop::TScriptRead again = desktop::Read_Script_Text(desktop::Script_Text(read.Steps));
  if (again.Steps.size() != read.Steps.size()) __builtin_trap();
  for (size_t i = 0; i < read.Steps.size(); ++i)
    if (!Same(read.Steps[i], again.Steps[i])) __builtin_trap();
  return 0;
}
