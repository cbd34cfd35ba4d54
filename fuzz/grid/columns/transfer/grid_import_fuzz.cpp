// The readers of grid data pasted from the clipboard or read from a file,
// which any program can offer: the typed VCLDBIF format and the 8-bit and
// UTF-16 text readers, each over the whole input. A reader either reads to
// the end or raises its format error; it never reads past the input and
// never loops without consuming it.
#include <cstddef>
#include <cstdint>

#include "fuzz/support/fuzz_support.h"
#include "grid/columns/transfer/db_grid_ex_import_as_text.h"
#include "grid/columns/transfer/db_grid_ex_vcldbif.h"
#include "platform/runtime/exceptions.h"

namespace {

// The readers without a grid: every record goes to no column, so each cell
// is parsed and dropped.
template <class Reader>
struct Detached : Reader {
  void Run(rtl::TStream& Source) {
    this->FStream = &Source;
    this->Eos = false;
    this->ReadPrefix();
    std::int64_t last = -1;
    while (!this->Eos) {
      const std::int64_t at = Source.Position();
      if (at == last) __builtin_trap();  // a record that consumed nothing
      last = at;
      this->ReadRecord({});
    }
  }
};

struct TypedReader : Detached<grid::TDBGridExImportAsVCLDBIF> {
  TypedReader() { FieldNames = std::make_unique<ui::TStringList>(); }
};

template <class Reader>
void Feed(const uint8_t* data, size_t size) {
  rtl::TMemoryStream source;
  if (size) source.WriteBuffer(data, static_cast<std::int64_t>(size));
  source.SetPosition(0);
  Reader reader;
  try {
    reader.Run(source);
  } catch (const rtl::Exception&) {
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::RunFolder();
  Feed<TypedReader>(data, size);
  Feed<Detached<grid::TDBGridExImportAsText>>(data, size);
  Feed<Detached<grid::TDBGridExImportAsUnicodeText>>(data, size);
  return 0;
}
