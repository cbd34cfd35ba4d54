// The text, line and typed-value operations of the I/O handler, over its
// block reads and writes.
#include <algorithm>
#include <cstring>

#include "transport/tcp/core/net_exception.h"
#include "transport/tcp/client/net_io_handler.h"
#include "transport/tcp/stack/net_stack.h"
#include "platform/classes/string_list.h"

namespace net {

namespace {
TNetTextEncodingRef ByteEncodingOf(const TNetIOHandler& handler, TNetTextEncodingRef given) {
  if (given) return given;
  if (handler.DefaultByteEncoding()) return handler.DefaultByteEncoding();
  return TextEncodingFor(EncodingASCII);
}

TNetTextEncodingRef TextEncodingOf(const TNetIOHandler& handler, TNetTextEncodingRef given) {
  if (given) return given;
  if (handler.DefaultTextEncoding()) return handler.DefaultTextEncoding();
  return TextEncodingFor(EncodingOSDefault);
}

template <class T>
T TakeRaw(TNetIOHandler& handler) {
  TNetBytes bytes;
  handler.ReadBlock(bytes, sizeof(T));
  T raw;
  std::memcpy(&raw, bytes.data(), sizeof raw);
  return raw;
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

void TNetIOHandler::WriteOctet(std::uint8_t value) { WriteBlock(TNetBytes{value}); }

void TNetIOHandler::WriteCharacter(char16_t value, TNetTextEncodingRef byteEncoding) {
  WriteBlock(ByteEncodingOf(*this, byteEncoding)->EncodeChars(&value, 1));
}

void TNetIOHandler::WriteInteger16(std::int16_t value, bool convert) {
  std::uint16_t raw = static_cast<std::uint16_t>(value);
  if (convert) raw = GlobalStack()->HostToNet16(raw);
  WriteBlock(RawToBytes(&raw, sizeof raw));
}

void TNetIOHandler::WriteInteger32(std::int32_t value, bool convert) {
  std::uint32_t raw = static_cast<std::uint32_t>(value);
  if (convert) raw = GlobalStack()->HostToNet32(raw);
  WriteBlock(RawToBytes(&raw, sizeof raw));
}

void TNetIOHandler::WriteInteger64(std::int64_t value, bool convert) {
  std::uint64_t raw = static_cast<std::uint64_t>(value);
  if (convert) raw = GlobalStack()->HostToNet64(raw);
  WriteBlock(RawToBytes(&raw, sizeof raw));
}

std::uint8_t TNetIOHandler::ReadOctet() { return TakeRaw<std::uint8_t>(*this); }

std::int32_t TNetIOHandler::ReadInteger32(bool convert) {
  std::uint32_t raw = TakeRaw<std::uint32_t>(*this);
  if (convert) raw = GlobalStack()->NetToHost32(raw);
  return static_cast<std::int32_t>(raw);
}

std::int64_t TNetIOHandler::ReadInteger64(bool convert) {
  std::uint64_t raw = TakeRaw<std::uint64_t>(*this);
  if (convert) raw = GlobalStack()->NetToHost64(raw);
  return static_cast<std::int64_t>(raw);
}

namespace {
// One character's UTF-16 units: bytes are taken one at a time until they
// decode to something without a replacement character, never more than the
// encoding needs for two units.
TNetWideChars ReadCharacterUnits(TNetIOHandler& handler, const TNetTextEncodingRef& encoding) {
  const std::int32_t most = encoding->MaxByteCountFor(2);
  TNetBytes bytes;
  TNetWideChars units;
  for (std::int32_t taken = 0; taken < most; ++taken) {
    bytes.push_back(handler.ReadOctet());
    units = encoding->DecodeBytes(bytes);
    if (!units.empty() && std::find(units.begin(), units.end(), u'\uFFFD') == units.end()) break;
  }
  return units;
}
}  // namespace

char TNetIOHandler::ReadCharacter(TNetTextEncodingRef byteEncoding, TNetTextEncodingRef textEncoding) {
  const TNetWideChars units = ReadCharacterUnits(*this, ByteEncodingOf(*this, byteEncoding));
  if (units.empty()) return '\0';
  const TNetBytes local = TextEncodingOf(*this, textEncoding)->EncodeChars(units);
  return local.empty() ? '\0' : static_cast<char>(local[0]);
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

rtl::String TNetIOHandler::ReadEchoedLine(const rtl::String& mask, bool echo, std::int32_t tabWidth,
                                          std::int32_t maxLength, TNetTextEncodingRef byteEncoding,
                                          TNetTextEncodingRef textEncoding) {
  const TNetTextEncodingRef encoding = ByteEncodingOf(*this, byteEncoding);
  // The text side only matters for the 8-bit form; the line is kept in wide
  // characters so a multi-byte character arrives whole.
  (void)textEncoding;
  if (maxLength < 0) maxLength = maxLineLength_;
  rtl::String text;
  for (;;) {
    const TNetWideChars units = ReadCharacterUnits(*this, encoding);
    if (units.empty()) continue;
    const char16_t ch = units.front();
    if (ch == u'\n') break;
    if (static_cast<std::int32_t>(text.size()) > maxLength) continue;
    if (ch == 8) {
      if (!text.empty()) {
        text.pop_back();
        if (echo) WriteText(u"\b \b", encoding);
      }
    } else if (ch == 9 && tabWidth > 0) {
      const rtl::String spaces(static_cast<std::size_t>(tabWidth - static_cast<std::int32_t>(text.size()) % tabWidth),
                               u' ');
      text += spaces;
      if (echo) WriteText(spaces, encoding);
    } else if (ch != u'\r' && ch != 27) {
      text.append(units.begin(), units.end());
      if (echo) WriteText(mask.empty() ? rtl::String(units.begin(), units.end()) : mask, encoding);
    }
  }
  while (!text.empty() && (text.back() == u'\r' || text.back() == u'\n')) text.pop_back();
  if (echo) WriteLine({}, encoding);
  return text;
}

namespace {
// Runs the capture loop; `take` stores one accepted line.
template <class Take>
std::int32_t CaptureInto(TNetIOHandler& handler, const rtl::String& delimiter, bool dotTransparency,
                         const TNetTextEncodingRef& encoding, Take take) {
  std::int32_t count = 0;
  for (;;) {
    rtl::String line = handler.ReadLine(u"\n", NetTimeoutDefault, -1, encoding);
    if (line == delimiter) return count;
    if (handler.CaptureLineLimit() > 0 && count > handler.CaptureLineLimit())
      RaiseNet<ENetMaxCaptureLineExceeded>("rsmaximumnumberofcapturelineexceeded");
    if (dotTransparency && line.size() >= 2 && line[0] == u'.' && line[1] == u'.') line.erase(0, 1);
    ++count;
    take(line);
  }
}
}  // namespace

std::int32_t TNetIOHandler::CaptureLines(ui::TStrings& destination, const rtl::String& delimiter,
                                         bool dotTransparency, TNetTextEncodingRef byteEncoding) {
  const TNetTextEncodingRef encoding = ByteEncodingOf(*this, byteEncoding);
  StartWork(wmRead);
  destination.BeginUpdate();
  try {
    const std::int32_t count = CaptureInto(*this, delimiter, dotTransparency, encoding,
                                           [&](const rtl::String& line) { destination.Add(line); });
    destination.EndUpdate();
    FinishWork(wmRead);
    return count;
  } catch (...) {
    destination.EndUpdate();
    FinishWork(wmRead);
    throw;
  }
}

std::int32_t TNetIOHandler::CaptureLines(rtl::TStream& destination, const rtl::String& delimiter,
                                         bool dotTransparency, TNetTextEncodingRef byteEncoding) {
  const TNetTextEncodingRef encoding = ByteEncodingOf(*this, byteEncoding);
  StartWork(wmRead);
  try {
    const std::int32_t count =
        CaptureInto(*this, delimiter, dotTransparency, encoding, [&](const rtl::String& line) {
          const TNetBytes bytes = encoding->EncodeChars(line + u"\r\n");
          destination.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
        });
    FinishWork(wmRead);
    return count;
  } catch (...) {
    FinishWork(wmRead);
    throw;
  }
}

}  // namespace net
