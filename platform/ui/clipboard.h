// The clipboard with the formats the components exchange: text (8-bit in the
// system code page, Unicode, OEM) and formats registered by name, held as
// bytes. Open/Close nest; the first write after the outermost Open empties
// the clipboard, and what is written shows when the outermost Close runs.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/ui/global_memory.h"
#include "platform/classes/ui_types.h"

namespace ui {

constexpr unsigned CF_TEXT = 1;
constexpr unsigned CF_OEMTEXT = 7;
constexpr unsigned CF_UNICODETEXT = 13;

// The same name (any case) always gives the same number, from 0xC000 up;
// 0 for an empty name.
unsigned RegisterClipboardFormat(const String& Name);
// The registered name, or empty.
String ClipboardFormatName(unsigned Format);

class TClipboard {
 public:
  TClipboard();
  ~TClipboard();
  void Open();
  void Close();
  bool IsOpen() const { return openCount_ > 0; }
  void Clear();
  bool HasFormat(unsigned Format) const;
  String AsText() const;
  void SetAsText(const String& Value);
  // The bytes of a format (text formats as their encoded bytes with a closing
  // zero); empty when the clipboard does not hold it.
  std::vector<std::uint8_t> GetBuffer(unsigned Format) const;
  void SetBuffer(unsigned Format, const void* Data, std::size_t Size);
  // A movable block with the format's bytes, or nullptr when absent. The
  // clipboard keeps the block (until the format is asked for again, or the
  // clipboard goes): the caller locks and reads it but must not free it.
  HGLOBAL GetAsHandle(unsigned Format);
  // Takes the block's bytes as the format's data and frees the block, which
  // the caller must not use afterwards. A bad handle raises and changes nothing.
  void SetAsHandle(unsigned Format, HGLOBAL Value);

 private:
  struct Pending;
  void Adding();
  int openCount_ = 0;
  bool emptied_ = false;
  std::unique_ptr<Pending> pending_;
  std::vector<std::pair<unsigned, HGLOBAL>> handedOut_;
};

// The application's clipboard.
TClipboard* Clipboard();

}  // namespace ui
