// Paste into a data grid of what another program left on the clipboard: the
// typed grid-data format, UTF-16 text and 8-bit text, the richest one held
// read into the grid's table from the current cell on.
// Input: two control bytes (see FuzzGrid::Reset), a byte whose low three
// bits say which formats the clipboard holds, then their bytes.
#include <cstddef>
#include <cstdint>

#include "fuzz/grid/columns/transfer/fuzz_grid.h"
#include "grid/columns/transfer/db_grid_ex_imp_exp.h"
#include "platform/runtime/exceptions.h"
#include "platform/ui/clipboard.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::FuzzGrid& g = fuzz::FuzzGrid::Get();
  static const bool registered = (grid::InitDBGridExImpExp(), true);
  (void)registered;
  fuzz::Bytes in(data, size);
  g.Reset(in);
  const std::uint8_t formats = in.Byte();
  const std::string_view bytes = in.Take(in.Left());
  ui::TClipboard* clipboard = ui::Clipboard();
  clipboard->Open();
  clipboard->Clear();
  if (formats & 1) clipboard->SetBuffer(ui::CF_TEXT, bytes.data(), bytes.size());
  if (formats & 2) clipboard->SetBuffer(ui::CF_UNICODETEXT, bytes.data(), bytes.size());
  if (formats & 4) clipboard->SetBuffer(grid::ClipboardFormatVCLDBIF(), bytes.data(), bytes.size());
  clipboard->Close();
  try {
    grid::PasteGridSelection(g.Grid(), g.ImportAll());
  } catch (const rtl::Exception&) {
    // A format error, or the user declined to go on after a bad value.
  }
  if (clipboard->IsOpen()) __builtin_trap();  // a paste closes what it opened
  return 0;
}
