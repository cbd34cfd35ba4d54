// Text pasted or read from a file into a data grid's table: the 8-bit and
// UTF-16 readers assigning cells from the current record and column on, with
// new records where the text runs past the last one. Whatever the text, the
// import ends (or raises its format error) and leaves the table usable.
// Input: two control bytes (see FuzzGrid::Reset), a byte whose low bit picks
// the reader, then the text.
#include <cstddef>
#include <cstdint>

#include "fuzz/grid/columns/transfer/fuzz_grid.h"
#include "grid/columns/transfer/db_grid_ex_import_as_text.h"
#include "platform/runtime/exceptions.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::FuzzGrid& g = fuzz::FuzzGrid::Get();
  fuzz::Bytes in(data, size);
  g.Reset(in);
  const bool wide = in.Byte() & 1;
  const std::string_view text = in.Take(in.Left());
  rtl::TMemoryStream source;
  if (!text.empty()) source.WriteBuffer(text.data(), static_cast<std::int64_t>(text.size()));
  source.SetPosition(0);
  try {
    grid::ImportGridFromStream(wide ? grid::ImportClassOf<grid::TDBGridExImportAsUnicodeText>
                                    : grid::ImportClassOf<grid::TDBGridExImportAsText>,
                               g.Grid(), source, g.ImportAll());
  } catch (const rtl::Exception&) {
    // A format error, or the user declined to go on after a bad value.
  }
  if (source.Position() > source.Size()) __builtin_trap();
  return 0;
}
