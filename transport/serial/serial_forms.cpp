// Data forms over the raw transfers: bytes, texts, integers, length-prefixed
// blocks, streams, lines and the modem AT dialogue.
#include <algorithm>
#include <istream>
#include <ostream>

#include "transport/serial/sync_serial.h"

namespace jq {
namespace {

constexpr int32_t Stream_Chunk = 8192;
constexpr int32_t Receive_Piece = 65536;

struct Line_End {
  size_t position = std::string::npos;  // 0-based
  size_t length = 0;
  char first = 0;
};

// The first CR or LF; a CR LF or LF CR pair counts as one end.
Line_End FindLineEnd(const std::string& s) {
  Line_End end;
  const size_t i = s.find_first_of("\r\n");
  if (i == std::string::npos) return end;
  end.position = i;
  end.first = s[i];
  end.length = (i + 1 < s.size() && (s[i + 1] == CR || s[i + 1] == LF) && s[i + 1] != s[i]) ? 2 : 1;
  return end;
}

std::string Int32_Bytes(int32_t value) {
  const uint32_t v = static_cast<uint32_t>(value);
  std::string s(4, '\0');
  for (int i = 0; i < 4; ++i) s[i] = static_cast<char>(v >> (8 * i));
  return s;
}

}  // namespace

void TSyncSerial::SendOneByte(uint8_t value) { SendBytes(&value, 1); }

void TSyncSerial::SendText(const std::string& text) {
  SendBytes(text.data(), static_cast<int32_t>(text.size()));
}

void TSyncSerial::SendInt32(int32_t value) { SendText(Int32_Bytes(value)); }

void TSyncSerial::SendLengthPrefixed(const std::string& data) {
  SendInt32(static_cast<int32_t>(data.size()));
  SendText(data);
}

void TSyncSerial::SendStreamRest(std::istream& stream) {
  std::string chunk(Stream_Chunk, '\0');
  for (;;) {
    stream.read(chunk.data(), Stream_Chunk);
    const std::streamsize n = stream.gcount();
    if (n < 1) break;
    SendText(chunk.substr(0, static_cast<size_t>(n)));
  }
  stream.clear(stream.rdstate() & ~(std::ios::eofbit | std::ios::failbit));
}

namespace {
int32_t Stream_Rest(std::istream& stream) {
  const std::streampos here = stream.tellg();
  stream.seekg(0, std::ios::end);
  const std::streampos end = stream.tellg();
  stream.seekg(here);
  return here < 0 || end < here ? 0 : static_cast<int32_t>(end - here);
}
}  // namespace

void TSyncSerial::SendStreamPrefixed(std::istream& stream) {
  SendInt32(Stream_Rest(stream));
  SendStreamRest(stream);
}

void TSyncSerial::SendStreamPrefixedBE(std::istream& stream) {
  SendInt32(ReverseInt32Bytes(Stream_Rest(stream)));
  SendStreamRest(stream);
}

std::string TSyncSerial::ReceiveExactText(int32_t count, int32_t timeout) {
  if (count <= 0) return std::string();
  // The count may come off the wire (a length prefix): the text grows piece by piece
  // with the data that arrives, so a bogus count cannot claim gigabytes up front.
  std::string s;
  for (;;) {
    const size_t at = s.size();
    const int32_t want = std::min(count - static_cast<int32_t>(at), Receive_Piece);
    s.resize(at + static_cast<size_t>(want));
    const uint32_t t = TickMilliseconds();
    const int32_t n = ReceiveExact(s.data() + at, want, timeout);
    s.resize(at + static_cast<size_t>(std::max(n, 0)));
    if (LastErrorCode_ != 0 || s.size() >= static_cast<size_t>(count)) break;
    if (!InterPacketTimeout) {
      timeout -= static_cast<int32_t>(TickDifference(t, TickMilliseconds()));
      if (timeout <= 0) {
        SetSerialError(ErrTimeout);
        break;
      }
    }
  }
  if (LastErrorCode_ != 0) {
    // A short read hands out nothing, but its bytes stay for the next receive.
    LineBuffer.insert(0, s);
    RaiseIfError();
    return std::string();
  }
  return s;
}

uint8_t TSyncSerial::ReceiveOneByte(int32_t timeout) {
  if (PortNotUsable()) return 0;
  uint8_t result = 0;
  if (LineBuffer.empty()) LineBuffer = ReceiveAvailable(timeout);
  if (LastErrorCode_ == 0 && !LineBuffer.empty()) {
    result = static_cast<uint8_t>(LineBuffer[0]);
    LineBuffer.erase(0, 1);
  }
  RaiseIfError();
  return result;
}

std::string TSyncSerial::ReceiveUntil(int32_t timeout, const std::string& terminator) {
  std::string result;
  if (PortNotUsable()) return result;
  SetSerialError(0);
  if (terminator.empty()) return result;
  const bool any_end = ConvertLineEnd && terminator == CRLF;
  std::string s;
  size_t x = std::string::npos, end_length = terminator.size();
  for (;;) {
    const uint32_t t = TickMilliseconds();
    s += ReceiveAvailable(timeout);
    if (LastErrorCode_ != 0) break;
    x = std::string::npos;
    if (!s.empty()) {
      if (any_end) {
        if (LastEndedCR_ && s[0] == LF) s.erase(0, 1);
        else if (LastEndedLF_ && s[0] == CR) s.erase(0, 1);
        LastEndedCR_ = LastEndedLF_ = false;
        const Line_End found = FindLineEnd(s);
        x = found.position;
        end_length = found.length;
        if (found.length == 1) {
          LastEndedCR_ = found.first == CR;
          LastEndedLF_ = found.first == LF;
        }
      } else {
        x = s.find(terminator);
      }
    }
    // The limit applies to the line itself: a short complete line is handed out
    // even when more data than the limit follows it in the same read.
    const size_t line_length = x == std::string::npos ? s.size() : x;
    if (MaxLineLength != 0 && line_length > static_cast<size_t>(MaxLineLength)) {
      SetSerialError(ErrMaxBuffer);
      break;
    }
    if (x != std::string::npos) break;
    if (!InterPacketTimeout) {
      timeout -= static_cast<int32_t>(TickDifference(t, TickMilliseconds()));
      if (timeout <= 0) {
        SetSerialError(ErrTimeout);
        break;
      }
    }
  }
  if (x != std::string::npos) {
    result = s.substr(0, x);
    s.erase(0, x + end_length);
  }
  LineBuffer = s;
  RaiseIfError();
  return result;
}

std::string TSyncSerial::ReceiveLine(int32_t timeout) {
  std::string s = ReceiveUntil(timeout, CRLF);
  return LastErrorCode_ == 0 ? s : std::string();
}

int32_t TSyncSerial::ReceiveInt32(int32_t timeout) {
  const std::string s = ReceiveExactText(4, timeout);
  if (LastErrorCode_ != 0 || s.size() < 4) return 0;
  uint32_t v = 0;
  for (int i = 0; i < 4; ++i) v |= static_cast<uint32_t>(static_cast<uint8_t>(s[i])) << (8 * i);
  return static_cast<int32_t>(v);
}

std::string TSyncSerial::ReceiveLengthPrefixed(int32_t timeout) {
  const int32_t n = ReceiveInt32(timeout);
  if (LastErrorCode_ != 0) return std::string();
  return ReceiveExactText(n, timeout);
}

void TSyncSerial::ReceiveStreamUntilError(std::ostream& stream, int32_t timeout) {
  for (;;) {
    const std::string s = ReceiveAvailable(timeout);
    stream.write(s.data(), static_cast<std::streamsize>(s.size()));
    if (LastErrorCode_ != 0) break;
  }
}

void TSyncSerial::ReceiveStreamCount(std::ostream& stream, int32_t timeout, int32_t count) {
  if (count <= 0) return;
  for (int32_t i = 0; i < count / Stream_Chunk; ++i) {
    const std::string s = ReceiveExactText(Stream_Chunk, timeout);
    if (LastErrorCode_ != 0) return;
    stream.write(s.data(), static_cast<std::streamsize>(s.size()));
  }
  const int32_t rest = count % Stream_Chunk;
  if (rest > 0) {
    const std::string s = ReceiveExactText(rest, timeout);
    if (LastErrorCode_ != 0) return;
    stream.write(s.data(), static_cast<std::streamsize>(s.size()));
  }
}

void TSyncSerial::ReceiveStreamPrefixed(std::ostream& stream, int32_t timeout) {
  const int32_t n = ReceiveInt32(timeout);
  if (LastErrorCode_ == 0) ReceiveStreamCount(stream, timeout, n);
}

void TSyncSerial::ReceiveStreamPrefixedBE(std::ostream& stream, int32_t timeout) {
  const int32_t n = ReverseInt32Bytes(ReceiveInt32(timeout));
  if (LastErrorCode_ == 0) ReceiveStreamCount(stream, timeout, n);
}

std::string TSyncSerial::Modem_Dialogue(const std::string& command, int32_t line_timeout, bool connect) {
  std::string result;
  ATReplyOK_ = false;
  const bool saved = ConvertLineEnd;
  ConvertLineEnd = true;
  try {
    SendText(command + CR);
    do {
      const std::string s = ReceiveLine(line_timeout);
      if (s != command) result += s + CRLF;  // the modem's echo of the command is left out
      if (connect) {
        if (s == "NO CARRIER" || s == "ERROR" || s == "BUSY" || s == "NO DIALTONE") break;
        if (s.rfind("CONNECT", 0) == 0) {
          ATReplyOK_ = true;
          break;
        }
      } else {
        if (s == "OK") {
          ATReplyOK_ = true;
          break;
        }
        if (s == "ERROR") break;
      }
    } while (LastErrorCode_ == 0);
  } catch (...) {
    ConvertLineEnd = saved;
    throw;
  }
  ConvertLineEnd = saved;
  return result;
}

std::string TSyncSerial::ModemCommand(const std::string& command) {
  return Modem_Dialogue(command, AtTimeout, false);
}

std::string TSyncSerial::ModemConnect(const std::string& command) {
  return Modem_Dialogue(command, 90 * AtTimeout, true);
}

}  // namespace jq
