// The text and line operations of the I/O handler, over its block reads and
// writes.
#include "net_exception.h"
#include "net_io_handler.h"
#include "net_stack.h"

namespace net {

namespace {
TNetTextEncodingRef ByteEncodingOf(const TNetIOHandler& handler, TNetTextEncodingRef given) {
  if (given) return given;
  if (handler.DefaultByteEncoding()) return handler.DefaultByteEncoding();
  return TextEncodingFor(EncodingASCII);
}

rtl::String Decode(const TNetTextEncodingRef& encoding, const TNetBytes& bytes) {
  const TNetWideChars chars = encoding->DecodeBytes(bytes);
  return rtl::String(chars.begin(), chars.end());
}
}  // namespace

void TNetIOHandler::WriteText(const rtl::String& text, TNetTextEncodingRef byteEncoding) {
  if (text.empty()) return;
  WriteBlock(ByteEncodingOf(*this, byteEncoding)->EncodeChars(text));
}

void TNetIOHandler::WriteLine(const rtl::String& text, TNetTextEncodingRef byteEncoding) {
  WriteText(text + u"\r\n", byteEncoding);
}

void TNetIOHandler::WriteDotStuffedLine(const rtl::String& text, TNetTextEncodingRef byteEncoding) {
  WriteLine(!text.empty() && text[0] == u'.' ? u"." + text : text, byteEncoding);
}

void TNetIOHandler::WriteInteger32(std::int32_t value, bool convert) {
  std::uint32_t raw = static_cast<std::uint32_t>(value);
  if (convert) raw = GlobalStack()->HostToNet32(raw);
  WriteBlock(RawToBytes(&raw, sizeof raw));
}

void TNetIOHandler::WriteLines(const ui::TStrings& lines, bool writeCount, TNetTextEncodingRef byteEncoding) {
  const bool opened = !IsWriteBuffering();
  if (opened) OpenWriteBuffer(-1);
  try {
    if (writeCount) WriteInteger32(lines.Count(), true);
    for (std::int32_t i = 0; i < lines.Count(); ++i) WriteLine(lines.Get(i), byteEncoding);
    if (opened) CloseWriteBuffer();
  } catch (...) {
    if (opened) CancelWriteBuffer();
    throw;
  }
}

rtl::String TNetIOHandler::ReadLine(const rtl::String& terminator, std::int32_t timeout, std::int32_t maxLength,
                                    TNetTextEncodingRef byteEncoding) {
  const TNetTextEncodingRef encoding = ByteEncodingOf(*this, byteEncoding);
  if (maxLength < 0) maxLength = maxLineLength_;
  const rtl::String term = terminator.empty() ? rtl::String(u"\n") : terminator;
  const TNetBytes termBytes = encoding->EncodeChars(term);
  const auto termLength = static_cast<std::int32_t>(termBytes.size());
  lineWasSplit_ = false;
  lineTimedOut_ = false;
  std::int32_t searchFrom = 0;
  std::int32_t found = -1;
  const std::uint64_t start = Ticks64();
  for (;;) {
    const std::int32_t size = inBuffer_->Size();
    if (size > 0) {
      found = searchFrom < size ? inBuffer_->IndexOfBytes(termBytes, searchFrom) : -1;
      // A terminator split across two arrivals is still found.
      searchFrom = std::max(size - (termLength - 1), 0);
    }
    if (maxLength > 0 && (found > maxLength || (found == -1 && searchFrom > maxLength))) {
      if (maxLineAction_ == maException) RaiseNet<ENetReadLnMaxLineLengthExceeded>("rsreadlnmaxlinelengthexceeded");
      lineWasSplit_ = true;
      TNetBytes part;
      inBuffer_->ExtractBytes(part, maxLength, false);
      return Decode(encoding, part);
    }
    if (found == -1) {
      CheckDisconnected(true, true);
      lineTimedOut_ = FillInBuffer(true, timeout, false) == -1;
      if (!lineTimedOut_ && timeout >= 0)
        lineTimedOut_ = TicksElapsed(start, Ticks64()) >= static_cast<std::uint64_t>(timeout);
      if (lineTimedOut_) return {};
      continue;
    }
    TNetBytes line;
    inBuffer_->ExtractBytes(line, found + termLength, false);
    line.resize(static_cast<std::size_t>(found));
    if (term == u"\n" && !line.empty() && line.back() == '\r') line.pop_back();
    return Decode(encoding, line);
  }
}

rtl::String TNetIOHandler::ReadNonEmptyLine(std::int32_t attemptLimit, TNetTextEncodingRef byteEncoding) {
  for (std::int32_t attempt = 0; attempt < attemptLimit; ++attempt) {
    rtl::String line = ReadLine(u"\n", NetTimeoutDefault, -1, byteEncoding);
    std::size_t first = 0;
    std::size_t last = line.size();
    while (first < last && line[first] <= u' ') ++first;
    while (last > first && line[last - 1] <= u' ') --last;
    if (last > first) return line.substr(first, last - first);
    if (lineTimedOut_) RaiseNet<ENetReadTimeout>("rsreadtimeout");
  }
  RaiseNet<ENetReadLnWaitMaxAttemptsExceeded>("rsreadlnwaitmaxattemptsexceeded");
}

rtl::String TNetIOHandler::ReadAllText(TNetTextEncodingRef byteEncoding) {
  StartWork(wmRead);
  rtl::String text;
  try {
    if (IsConnected()) {
      while (FillInBuffer(false, 250, false) != 0) {
      }
      TNetBytes all;
      inBuffer_->ExtractBytes(all, -1, false);
      text = Decode(ByteEncodingOf(*this, byteEncoding), all);
    }
  } catch (...) {
    // Reading until the peer closes ends however the connection ends.
  }
  FinishWork(wmRead);
  return text;
}

}  // namespace net
