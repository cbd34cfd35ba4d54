// The edit-mask engine of the masked edits: a mask ("picture;save-literals;
// blank") and a text, as a stored field value or a form file gives them.
// Input: mask, newline, text.
#include <cstddef>
#include <cstdint>

#include "fuzz/support/fuzz_support.h"
#include "platform/runtime/edit_mask.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto fields = fuzz::Fields(data, size);
  const rtl::String mask = fuzz::Text(fields[0]);
  const rtl::String text = fields.size() > 1 ? fuzz::Text(fields[1]) : rtl::String();
  const rtl::TEditMask m(mask);
  const int n = m.Length();
  const rtl::String display = m.Apply(text);
  // A display text holds one character per position of the mask.
  if (!m.Empty() && static_cast<int>(display.size()) != n) __builtin_trap();
  const rtl::String value = m.Strip(display);
  m.Complete(display);
  m.Complete(text);
  m.Strip(text);
  m.Apply(value);
  for (int pos = -1; pos <= n + 1; ++pos) {
    m.IsLiteral(pos);
    const int next = m.NextEditable(pos);
    const int prev = m.PrevEditable(pos);
    if (next < 0 || next > n || prev < -1 || prev >= n) __builtin_trap();
    for (const char16_t ch : text.substr(0, 4)) m.Accept(pos, ch);
  }
  return 0;
}
