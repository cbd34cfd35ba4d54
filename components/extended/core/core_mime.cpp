#include "components/extended/core/core_mime.h"

#include <array>

#include "platform/runtime/codepage.h"

namespace ext {

namespace {

constexpr std::int64_t kLineBytes = 57;  // one 76-character line

constexpr std::array<std::uint8_t, 256> MakeDecodeTable() {
  std::array<std::uint8_t, 256> t{};
  for (auto& v : t) v = 255;
  for (int i = 0; i < 64; ++i) t[static_cast<unsigned char>(CoreMimeAlphabet[i])] = static_cast<std::uint8_t>(i);
  return t;
}
constexpr std::array<std::uint8_t, 256> kDecode = MakeDecodeTable();

}  // namespace

const std::uint8_t* MimeDecodeTable() { return kDecode.data(); }

std::int64_t EncodedSize(std::int64_t n) {
  if (n <= 0) return n;
  return 4 * ((n + 2) / 3) + 2 * ((n - 1) / kLineBytes);
}

std::int64_t DecodedSize(std::int64_t n) { return (n + 3) / 4 * 3; }

void EncodeNoLineBreaks(const void* Input, std::int64_t Count, void* Output) {
  const auto* in = static_cast<const std::uint8_t*>(Input);
  auto* out = static_cast<char*>(Output);
  std::int64_t i = 0;
  for (; i + 3 <= Count; i += 3) {
    const std::uint32_t v = std::uint32_t(in[i]) << 16 | std::uint32_t(in[i + 1]) << 8 | in[i + 2];
    *out++ = CoreMimeAlphabet[v >> 18];
    *out++ = CoreMimeAlphabet[(v >> 12) & 63];
    *out++ = CoreMimeAlphabet[(v >> 6) & 63];
    *out++ = CoreMimeAlphabet[v & 63];
  }
  const std::int64_t rest = Count - i;
  if (rest == 1) {
    const std::uint32_t v = std::uint32_t(in[i]) << 16;
    *out++ = CoreMimeAlphabet[v >> 18];
    *out++ = CoreMimeAlphabet[(v >> 12) & 63];
    *out++ = '=';
    *out++ = '=';
  } else if (rest == 2) {
    const std::uint32_t v = std::uint32_t(in[i]) << 16 | std::uint32_t(in[i + 1]) << 8;
    *out++ = CoreMimeAlphabet[v >> 18];
    *out++ = CoreMimeAlphabet[(v >> 12) & 63];
    *out++ = CoreMimeAlphabet[(v >> 6) & 63];
    *out++ = '=';
  }
}

void EncodeLines(const void* Input, std::int64_t Count, void* Output) {
  if (Count <= 0) return;
  const auto* in = static_cast<const std::uint8_t*>(Input);
  auto* out = static_cast<char*>(Output);
  std::int64_t done = 0;
  // Every full line but the last is followed by CR LF; the output therefore
  // ends without one and is exactly EncodedSize bytes long.
  while (Count - done > kLineBytes) {
    EncodeNoLineBreaks(in + done, kLineBytes, out);
    out += 76;
    *out++ = '\r';
    *out++ = '\n';
    done += kLineBytes;
  }
  EncodeNoLineBreaks(in + done, Count - done, out);
}

std::int64_t DecodePart(const void* Input, std::int64_t Count, void* Output, std::uint32_t& MissingChars,
                        std::uint32_t& PendingBits) {
  const auto* in = static_cast<const std::uint8_t*>(Input);
  auto* out = static_cast<std::uint8_t*>(Output);
  std::uint32_t bits = PendingBits;
  std::uint32_t missing = MissingChars == 0 || MissingChars > 4 ? 4 : MissingChars;
  std::int64_t written = 0;
  for (std::int64_t i = 0; i < Count; ++i) {
    const std::uint8_t v = kDecode[in[i]];
    if (v == 255) continue;
    bits = bits << 6 | v;
    if (--missing == 0) {
      out[written++] = static_cast<std::uint8_t>(bits >> 16);
      out[written++] = static_cast<std::uint8_t>(bits >> 8);
      out[written++] = static_cast<std::uint8_t>(bits);
      bits = 0;
      missing = 4;
    }
  }
  PendingBits = bits;
  MissingChars = missing;
  return written;
}

std::int64_t DecodeEnd(void* Output, std::uint32_t PendingBits, std::uint32_t MissingChars) {
  auto* out = static_cast<std::uint8_t*>(Output);
  switch (MissingChars) {
    case 1:  // 18 bits
      out[0] = static_cast<std::uint8_t>(PendingBits >> 10);
      out[1] = static_cast<std::uint8_t>(PendingBits >> 2);
      return 2;
    case 2:  // 12 bits
      out[0] = static_cast<std::uint8_t>(PendingBits >> 4);
      return 1;
    default:
      return 0;
  }
}

rtl::AnsiString EncodeText(const rtl::AnsiString& S) {
  if (S.empty()) return {};
  rtl::AnsiString r(static_cast<std::size_t>(EncodedSize(static_cast<std::int64_t>(S.size()))), '\0');
  EncodeLines(S.data(), static_cast<std::int64_t>(S.size()), r.data());
  return r;
}

rtl::AnsiString DecodeText(const rtl::AnsiString& S) {
  if (S.empty()) return {};
  rtl::AnsiString r(static_cast<std::size_t>(DecodedSize(static_cast<std::int64_t>(S.size()))) + 2, '\0');
  std::uint32_t missing = 4, bits = 0;
  std::int64_t n = DecodePart(S.data(), static_cast<std::int64_t>(S.size()), r.data(), missing, bits);
  n += DecodeEnd(r.data() + n, bits, missing);
  r.resize(static_cast<std::size_t>(n));
  return r;
}

rtl::AnsiString EncodeText(const rtl::String& S) { return EncodeText(rtl::StringToAnsi(S)); }
rtl::AnsiString DecodeText(const rtl::String& S) { return DecodeText(rtl::StringToAnsi(S)); }

}  // namespace ext
