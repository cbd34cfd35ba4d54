#include "transport/tcp/core/net_text_encoding.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstring>

#include "platform/runtime/codepage.h"
#include "platform/runtime/exceptions.h"
#include "platform/runtime/format.h"
#include "transport/tcp/core/net_exception.h"

namespace net {
namespace {

// Argument failures use the runtime's base class, not the socket-library tree.
[[noreturn]] void RaiseArg(std::string_view entry, std::int32_t value) {
  throw rtl::Exception(NetText(entry, {value}));
}
[[noreturn]] void RaiseArg(std::string_view entry) { throw rtl::Exception(NetResourceString(entry)); }

// index and count against an array of `length` elements.
void CheckRange(std::size_t length, std::int32_t index, std::int32_t count) {
  if (index < 0 || static_cast<std::size_t>(index) >= length) RaiseArg("rscharindexoutofbounds", index);
  if (count < 0 || static_cast<std::size_t>(count) > length - static_cast<std::size_t>(index))
    RaiseArg("rsinvalidcharcount", count);
}

void CheckDestination(std::size_t length, std::int32_t index, std::int32_t needed) {
  if (index < 0 || static_cast<std::size_t>(index) >= length) RaiseArg("rsinvaliddestinationindex", index);
  if (static_cast<std::size_t>(needed) > length - static_cast<std::size_t>(index))
    RaiseArg("rsinvaliddestinationarray");
}

// Size bounds saturate instead of wrapping for very large counts.
std::int32_t Saturate(std::int64_t v) { return v > INT32_MAX ? INT32_MAX : static_cast<std::int32_t>(v); }

std::int32_t Len(std::size_t n) { return n > INT32_MAX ? INT32_MAX : static_cast<std::int32_t>(n); }

}  // namespace

// --- byte counts ---------------------------------------------------------
std::int32_t INetTextEncoding::ByteCountOf(const TNetWideChars& chars) {
  return chars.empty() ? 0 : CoreByteCount(chars.data(), Len(chars.size()));
}
std::int32_t INetTextEncoding::ByteCountOf(const TNetWideChars& chars, std::int32_t index, std::int32_t count) {
  if (chars.empty()) return 0;
  CheckRange(chars.size(), index, count);
  return count == 0 ? 0 : CoreByteCount(chars.data() + index, count);
}
std::int32_t INetTextEncoding::ByteCountOf(const char16_t* chars, std::int32_t count) {
  if (!chars || count <= 0) {
    if (count < 0) RaiseArg("rsinvalidcharcount", count);
    return 0;
  }
  return CoreByteCount(chars, count);
}
std::int32_t INetTextEncoding::ByteCountOf(const rtl::String& text) {
  return text.empty() ? 0 : CoreByteCount(text.data(), Len(text.size()));
}
std::int32_t INetTextEncoding::ByteCountOf(const rtl::String& text, std::int32_t index, std::int32_t count) {
  if (text.empty()) return 0;
  if (index < 1) RaiseArg("rscharindexoutofbounds", index);
  CheckRange(text.size(), index - 1, count);
  return count == 0 ? 0 : CoreByteCount(text.data() + index - 1, count);
}

// --- encoding ------------------------------------------------------------
TNetBytes INetTextEncoding::EncodeChars(const TNetWideChars& chars) {
  return chars.empty() ? TNetBytes() : EncodeChars(chars.data(), Len(chars.size()));
}
TNetBytes INetTextEncoding::EncodeChars(const TNetWideChars& chars, std::int32_t index, std::int32_t count) {
  if (chars.empty()) return {};
  CheckRange(chars.size(), index, count);
  return count == 0 ? TNetBytes() : EncodeChars(chars.data() + index, count);
}
std::int32_t INetTextEncoding::EncodeChars(const TNetWideChars& chars, std::int32_t index, std::int32_t count,
                                           TNetBytes& bytes, std::int32_t byteIndex) {
  if (chars.empty()) return 0;
  CheckRange(chars.size(), index, count);
  if (count == 0) return 0;
  return EncodeChars(chars.data() + index, count, bytes, byteIndex);
}
TNetBytes INetTextEncoding::EncodeChars(const char16_t* chars, std::int32_t count) {
  if (!chars || count == 0) return {};
  if (count < 0) RaiseArg("rsinvalidcharcount", count);
  TNetBytes out(static_cast<std::size_t>(CoreByteCount(chars, count)));
  if (!out.empty()) out.resize(CoreEncode(chars, count, out.data(), Len(out.size())));
  return out;
}
std::int32_t INetTextEncoding::EncodeChars(const char16_t* chars, std::int32_t count, TNetBytes& bytes,
                                           std::int32_t byteIndex) {
  if (!chars || count == 0) return 0;
  if (count < 0) RaiseArg("rsinvalidcharcount", count);
  const std::int32_t needed = CoreByteCount(chars, count);
  CheckDestination(bytes.size(), byteIndex, needed);
  return CoreEncode(chars, count, bytes.data() + byteIndex, needed);
}
std::int32_t INetTextEncoding::EncodeChars(const char16_t* chars, std::int32_t count, std::uint8_t* bytes,
                                           std::int32_t byteCount) {
  if (!chars || count == 0 || !bytes || byteCount <= 0) return 0;
  if (count < 0) RaiseArg("rsinvalidcharcount", count);
  return CoreEncode(chars, count, bytes, byteCount);
}
TNetBytes INetTextEncoding::EncodeChars(const rtl::String& text) {
  return text.empty() ? TNetBytes() : EncodeChars(text.data(), Len(text.size()));
}
TNetBytes INetTextEncoding::EncodeChars(const rtl::String& text, std::int32_t index, std::int32_t count) {
  if (text.empty()) return {};
  if (index < 1) RaiseArg("rscharindexoutofbounds", index);
  CheckRange(text.size(), index - 1, count);
  return count == 0 ? TNetBytes() : EncodeChars(text.data() + index - 1, count);
}
std::int32_t INetTextEncoding::EncodeChars(const rtl::String& text, std::int32_t index, std::int32_t count,
                                           TNetBytes& bytes, std::int32_t byteIndex) {
  if (text.empty()) return 0;
  if (index < 1) RaiseArg("rscharindexoutofbounds", index);
  CheckRange(text.size(), index - 1, count);
  return count == 0 ? 0 : EncodeChars(text.data() + index - 1, count, bytes, byteIndex);
}

// --- character counts and decoding ---------------------------------------
std::int32_t INetTextEncoding::CharCountOf(const TNetBytes& bytes) {
  return bytes.empty() ? 0 : CoreCharCount(bytes.data(), Len(bytes.size()));
}
std::int32_t INetTextEncoding::CharCountOf(const TNetBytes& bytes, std::int32_t index, std::int32_t count) {
  if (bytes.empty()) return 0;
  CheckRange(bytes.size(), index, count);
  return count == 0 ? 0 : CoreCharCount(bytes.data() + index, count);
}
std::int32_t INetTextEncoding::CharCountOf(const std::uint8_t* bytes, std::int32_t count) {
  if (!bytes || count == 0) return 0;
  if (count < 0) RaiseArg("rsinvalidcharcount", count);
  return CoreCharCount(bytes, count);
}

TNetWideChars INetTextEncoding::DecodeBytes(const TNetBytes& bytes) {
  return bytes.empty() ? TNetWideChars() : DecodeBytes(bytes.data(), Len(bytes.size()));
}
TNetWideChars INetTextEncoding::DecodeBytes(const TNetBytes& bytes, std::int32_t index, std::int32_t count) {
  if (bytes.empty()) return {};
  CheckRange(bytes.size(), index, count);
  return count == 0 ? TNetWideChars() : DecodeBytes(bytes.data() + index, count);
}
std::int32_t INetTextEncoding::DecodeBytes(const TNetBytes& bytes, std::int32_t index, std::int32_t count,
                                           TNetWideChars& chars, std::int32_t charIndex) {
  if (bytes.empty()) return 0;
  CheckRange(bytes.size(), index, count);
  return count == 0 ? 0 : DecodeBytes(bytes.data() + index, count, chars, charIndex);
}
TNetWideChars INetTextEncoding::DecodeBytes(const std::uint8_t* bytes, std::int32_t count) {
  if (!bytes || count == 0) return {};
  if (count < 0) RaiseArg("rsinvalidcharcount", count);
  TNetWideChars out(static_cast<std::size_t>(CoreCharCount(bytes, count)));
  if (!out.empty()) out.resize(CoreDecode(bytes, count, out.data(), Len(out.size())));
  return out;
}
std::int32_t INetTextEncoding::DecodeBytes(const std::uint8_t* bytes, std::int32_t count, TNetWideChars& chars,
                                           std::int32_t charIndex) {
  if (!bytes || count == 0) return 0;
  if (count < 0) RaiseArg("rsinvalidcharcount", count);
  const std::int32_t needed = CoreCharCount(bytes, count);
  CheckDestination(chars.size(), charIndex, needed);
  return CoreDecode(bytes, count, chars.data() + charIndex, needed);
}
std::int32_t INetTextEncoding::DecodeBytes(const std::uint8_t* bytes, std::int32_t count, char16_t* chars,
                                           std::int32_t charCount) {
  if (!bytes || count == 0 || !chars || charCount <= 0) return 0;
  if (count < 0) RaiseArg("rsinvalidcharcount", count);
  return CoreDecode(bytes, count, chars, charCount);
}

rtl::String INetTextEncoding::DecodeToText(const TNetBytes& bytes) {
  const TNetWideChars c = DecodeBytes(bytes);
  return rtl::String(c.begin(), c.end());
}
rtl::String INetTextEncoding::DecodeToText(const TNetBytes& bytes, std::int32_t index, std::int32_t count) {
  const TNetWideChars c = DecodeBytes(bytes, index, count);
  return rtl::String(c.begin(), c.end());
}
rtl::String INetTextEncoding::DecodeToText(const std::uint8_t* bytes, std::int32_t count) {
  const TNetWideChars c = DecodeBytes(bytes, count);
  return rtl::String(c.begin(), c.end());
}

// --- code pages ----------------------------------------------------------
TNetMBCSEncoding::TNetMBCSEncoding() : TNetMBCSEncoding(0, 0, 0) {}
TNetMBCSEncoding::TNetMBCSEncoding(std::uint32_t codePage) : TNetMBCSEncoding(codePage, 0, 0) {}
TNetMBCSEncoding::TNetMBCSEncoding(std::uint32_t codePage, std::uint32_t decodeFlags, std::uint32_t encodeFlags)
    : codePage_(codePage), decodeFlags_(decodeFlags), encodeFlags_(encodeFlags) {
  if (codePage_ == 0) codePage_ = rtl::SystemCodePage();
  std::uint32_t found = codePage_;
  bool ok = rtl::IsValidCodePage(found);
  if (!ok && codePage_ == 20127) {
    for (std::uint32_t alt : {1252u, 437u})
      if (rtl::IsValidCodePage(alt)) {
        found = alt;
        ok = true;
        break;
      }
  }
  if (!ok) RaiseNet<ENetException>("rsinvalidcodepage", {codePage_});
  codePage_ = found;
  maxCharSize_ = rtl::MaxCharSize(codePage_);
  isSingleByte_ = maxCharSize_ == 1;
}

std::int32_t TNetMBCSEncoding::MaxByteCountFor(std::int32_t charCount) const {
  return Saturate((static_cast<std::int64_t>(charCount) + 1) * maxCharSize_);
}
std::int32_t TNetMBCSEncoding::MaxCharCountFor(std::int32_t byteCount) const { return byteCount; }

TNetBytes TNetMBCSEncoding::Preamble() const {
  switch (codePage_) {
    case 65001: return {0xEF, 0xBB, 0xBF};
    case 1200: return {0xFF, 0xFE};
    case 1201: return {0xFE, 0xFF};
    case 12000: return {0xFF, 0xFE, 0x00, 0x00};
    case 12001: return {0x00, 0x00, 0xFE, 0xFF};
    default: return {};
  }
}

std::int32_t TNetMBCSEncoding::CoreByteCount(const char16_t* chars, std::int32_t count) {
  return Len(rtl::EncodeText(std::u16string_view(chars, count), codePage_).size());
}
std::int32_t TNetMBCSEncoding::CoreEncode(const char16_t* chars, std::int32_t count, std::uint8_t* bytes,
                                          std::int32_t capacity) {
  const std::string out = rtl::EncodeText(std::u16string_view(chars, count), codePage_);
  const std::size_t n = std::min<std::size_t>(out.size(), static_cast<std::size_t>(capacity));
  std::memcpy(bytes, out.data(), n);
  return static_cast<std::int32_t>(n);
}
std::int32_t TNetMBCSEncoding::CoreCharCount(const std::uint8_t* bytes, std::int32_t count) {
  return Len(rtl::DecodeText(std::string_view(reinterpret_cast<const char*>(bytes), count), codePage_).size());
}
std::int32_t TNetMBCSEncoding::CoreDecode(const std::uint8_t* bytes, std::int32_t count, char16_t* chars,
                                          std::int32_t capacity) {
  const rtl::String out = rtl::DecodeText(std::string_view(reinterpret_cast<const char*>(bytes), count), codePage_);
  const std::size_t n = std::min<std::size_t>(out.size(), static_cast<std::size_t>(capacity));
  std::copy_n(out.data(), n, chars);
  return static_cast<std::int32_t>(n);
}

TNetUTF7Encoding::TNetUTF7Encoding() : TNetMBCSEncoding(65000) {}
TNetUTF8Encoding::TNetUTF8Encoding() : TNetMBCSEncoding(65001) {}

// --- UTF-16 --------------------------------------------------------------
TNetUTF16LittleEndianEncoding::TNetUTF16LittleEndianEncoding() {
  isSingleByte_ = false;
  maxCharSize_ = 4;
}
std::int32_t TNetUTF16LittleEndianEncoding::CoreByteCount(const char16_t*, std::int32_t count) {
  return Saturate(2 * static_cast<std::int64_t>(count));
}
std::int32_t TNetUTF16LittleEndianEncoding::CoreEncode(const char16_t* chars, std::int32_t count,
                                                       std::uint8_t* bytes, std::int32_t capacity) {
  const std::int32_t n = std::min(count, capacity / 2);
  for (std::int32_t i = 0; i < n; ++i) {
    bytes[2 * i] = static_cast<std::uint8_t>(chars[i] & 0xFF);
    bytes[2 * i + 1] = static_cast<std::uint8_t>(chars[i] >> 8);
  }
  return 2 * n;
}
std::int32_t TNetUTF16LittleEndianEncoding::CoreCharCount(const std::uint8_t*, std::int32_t count) {
  return count / 2;
}
std::int32_t TNetUTF16LittleEndianEncoding::CoreDecode(const std::uint8_t* bytes, std::int32_t count,
                                                       char16_t* chars, std::int32_t capacity) {
  const std::int32_t n = std::min(count / 2, capacity);
  for (std::int32_t i = 0; i < n; ++i)
    chars[i] = static_cast<char16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
  return n;
}

std::int32_t TNetUTF16BigEndianEncoding::CoreEncode(const char16_t* chars, std::int32_t count, std::uint8_t* bytes,
                                                    std::int32_t capacity) {
  const std::int32_t n = std::min(count, capacity / 2);
  for (std::int32_t i = 0; i < n; ++i) {
    bytes[2 * i] = static_cast<std::uint8_t>(chars[i] >> 8);
    bytes[2 * i + 1] = static_cast<std::uint8_t>(chars[i] & 0xFF);
  }
  return 2 * n;
}
// Bounded by the input as well as by the capacity: a capacity larger than
// the bytes hold must not read past them.
std::int32_t TNetUTF16BigEndianEncoding::CoreDecode(const std::uint8_t* bytes, std::int32_t count, char16_t* chars,
                                                    std::int32_t capacity) {
  const std::int32_t n = std::min(count / 2, capacity);
  for (std::int32_t i = 0; i < n; ++i)
    chars[i] = static_cast<char16_t>((bytes[2 * i] << 8) | bytes[2 * i + 1]);
  return n;
}

// --- single-byte ---------------------------------------------------------
TNetSingleByteEncoding::TNetSingleByteEncoding(char16_t limit) : limit_(limit) {
  isSingleByte_ = true;
  maxCharSize_ = 1;
}
std::int32_t TNetSingleByteEncoding::CoreEncode(const char16_t* chars, std::int32_t count, std::uint8_t* bytes,
                                                std::int32_t capacity) {
  const std::int32_t n = std::min(count, capacity);
  for (std::int32_t i = 0; i < n; ++i) bytes[i] = chars[i] > limit_ ? '?' : static_cast<std::uint8_t>(chars[i]);
  return n;
}
std::int32_t TNetSingleByteEncoding::CoreDecode(const std::uint8_t* bytes, std::int32_t count, char16_t* chars,
                                                std::int32_t capacity) {
  const std::int32_t n = std::min(count, capacity);
  for (std::int32_t i = 0; i < n; ++i) chars[i] = bytes[i] > limit_ ? u'\uFFFD' : static_cast<char16_t>(bytes[i]);
  return n;
}

// --- shared instances ----------------------------------------------------
namespace {

std::atomic<std::uint8_t> g_defaultKind{EncodingASCII};

std::atomic<std::shared_ptr<INetTextEncoding>>& Slot(TNetTextEncodingKind kind) {
  static std::atomic<std::shared_ptr<INetTextEncoding>> slots[8];
  return slots[kind];
}

TNetTextEncodingRef Make(TNetTextEncodingKind kind) {
  switch (kind) {
    case Encoding8Bit: return std::make_shared<TId8BitEncoding>();
    case EncodingASCII: return std::make_shared<TNetASCIIEncoding>();
    case EncodingUTF16BE: return std::make_shared<TNetUTF16BigEndianEncoding>();
    case EncodingUTF16LE: return std::make_shared<TNetUTF16LittleEndianEncoding>();
    case EncodingUTF7: return std::make_shared<TNetUTF7Encoding>();
    case EncodingUTF8: return std::make_shared<TNetUTF8Encoding>();
    default: return std::make_shared<TNetMBCSEncoding>();
  }
}

TNetTextEncodingKind Resolve(TNetTextEncodingKind kind) {
  if (kind == EncodingDefault) {
    const std::uint8_t d = g_defaultKind.load();
    kind = d == EncodingDefault ? EncodingASCII : static_cast<TNetTextEncodingKind>(d);
  }
  return kind > EncodingUTF8 ? EncodingOSDefault : kind;
}

bool Is(const TNetTextEncodingRef& e, TNetTextEncodingKind kind) { return e && Slot(kind).load() == e; }

}  // namespace

TNetTextEncodingKind DefaultTextEncodingKind() { return static_cast<TNetTextEncodingKind>(g_defaultKind.load()); }
void SetDefaultTextEncodingKind(std::uint8_t kind) { g_defaultKind.store(kind); }

TNetTextEncodingRef TextEncodingFor(TNetTextEncodingKind kind) {
  kind = Resolve(kind);
  auto& slot = Slot(kind);
  TNetTextEncodingRef current = slot.load();
  if (current) return current;
  TNetTextEncodingRef made = Make(kind);
  TNetTextEncodingRef expected;
  if (slot.compare_exchange_strong(expected, made)) return made;
  return expected;  // another thread was first; ours is dropped
}

std::uint16_t CodePageOf(const TNetTextEncodingRef& encoding) {
  if (!encoding) return 0;
  if (Is(encoding, EncodingOSDefault)) return static_cast<std::uint16_t>(rtl::SystemCodePage());
  if (Is(encoding, Encoding8Bit)) return 28591;
  if (Is(encoding, EncodingASCII)) return 20127;
  if (Is(encoding, EncodingUTF16BE)) return 1201;
  if (Is(encoding, EncodingUTF16LE)) return 1200;
  if (Is(encoding, EncodingUTF7)) return 65000;
  if (Is(encoding, EncodingUTF8)) return 65001;
  if (auto* m = dynamic_cast<TNetMBCSEncoding*>(encoding.get())) return static_cast<std::uint16_t>(m->CodePage());
  return 0;
}

TNetBytes ConvertBytes(const TNetBytes& bytes, const TNetTextEncodingRef& from, const TNetTextEncodingRef& to) {
  if (from == to) return bytes;
  return to->EncodeChars(from->DecodeBytes(bytes));
}

}  // namespace net
