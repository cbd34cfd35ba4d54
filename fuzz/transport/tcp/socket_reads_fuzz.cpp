// The socket layer's reads against a hostile peer: lines with each kind of
// terminator and length limit, echoed lines, captured line lists, counted
// reads (sizes and integers off the wire) and reads until the peer closes.
// Input: chunk size (0: all at once), then one byte per read (its low three
// bits pick the read, the rest its settings), a 0xFF byte, then the peer's
// bytes.
#include <cstddef>
#include <cstdint>

#include "fuzz/support/fuzz_support.h"
#include "fuzz/transport/tcp/fuzz_io_handler.h"
#include "platform/classes/string_list.h"
#include "platform/runtime/streams.h"
#include "transport/tcp/core/net_exception.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::UseSocketModules();
  fuzz::Bytes in(data, size);
  const std::size_t chunk = in.Byte();
  std::string ops;
  while (!in.Empty() && ops.size() < 16) {
    const uint8_t op = in.Byte();
    if (op == 0xFF) break;
    ops.push_back(static_cast<char>(op));
  }
  auto* handler = net::NetCreate<fuzz::TFuzzIOHandler>(nullptr);
  handler->SetPeer(in.Take(in.Left()), chunk);
  handler->OpenHandler();
  for (const char c : ops) {
    const uint8_t op = static_cast<uint8_t>(c);
    const int setting = op >> 3;
    handler->SetMaxLineAction(setting & 1 ? net::maSplit : net::maException);
    handler->SetLargeStream(setting & 2);
    try {
      switch (op & 7) {
        case 0:
          handler->ReadLine(u"\n", -1, setting & 4 ? 4 : -1);
          break;
        case 1:
          handler->ReadLine(setting & 4 ? u"\r\n" : u"ab", -1, setting & 8 ? 3 : -1);
          break;
        case 2: {
          net::TNetBytes block;
          handler->ReadBlock(block, setting & 16 ? -1 : setting + 1);
          break;
        }
        case 3:
          if (setting & 4)
            handler->ReadInteger64(setting & 8);
          else if (setting & 16)
            handler->ReadOctet();
          else
            handler->ReadInteger32(setting & 8);
          break;
        case 4: {
          rtl::TMemoryStream stream;
          // -1: the size comes off the wire first.
          handler->ReadIntoStream(setting & 4 ? nullptr : &stream, setting & 8 ? setting : -1, setting & 16);
          break;
        }
        case 5: {
          ui::TStringList lines;
          handler->SetCaptureLineLimit(setting & 4 ? 2 : -1);
          handler->CaptureLines(lines, setting & 8 ? u"." : u"END", setting & 16);
          break;
        }
        case 6:
          handler->ReadEchoedLine(setting & 4 ? u"*" : u"", setting & 8, setting & 16 ? 0 : 8, setting & 2 ? 5 : -1);
          break;
        case 7:
          if (setting & 4)
            handler->ReadAllText();
          else
            handler->ReadNonEmptyLine(3);
          break;
      }
    } catch (const net::ENetException&) {
      // The peer closed, or broke a rule the reader enforces with its error.
    }
  }
  ui::Free(handler);
  return 0;
}
