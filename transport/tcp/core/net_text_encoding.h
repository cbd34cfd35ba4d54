// Text encodings of the socket library: wide text (UTF-16 units) to bytes and
// back, one class per family behind one interface, one shared instance per kind.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/runtime/rtl_string.h"

namespace net {

using TNetBytes = std::vector<std::uint8_t>;
using TNetWideChars = std::vector<char16_t>;

// Every public operation checks its arguments and reduces to the six core
// operations the families implement. Indexes into arrays are 0-based, indexes
// into text 1-based.
class INetTextEncoding {
 public:
  virtual ~INetTextEncoding() = default;

  std::int32_t ByteCountOf(const TNetWideChars& chars);
  std::int32_t ByteCountOf(const TNetWideChars& chars, std::int32_t index, std::int32_t count);
  std::int32_t ByteCountOf(const char16_t* chars, std::int32_t count);
  std::int32_t ByteCountOf(const rtl::String& text);
  std::int32_t ByteCountOf(const rtl::String& text, std::int32_t index, std::int32_t count);

  TNetBytes EncodeChars(const TNetWideChars& chars);
  TNetBytes EncodeChars(const TNetWideChars& chars, std::int32_t index, std::int32_t count);
  std::int32_t EncodeChars(const TNetWideChars& chars, std::int32_t index, std::int32_t count, TNetBytes& bytes,
                           std::int32_t byteIndex);
  TNetBytes EncodeChars(const char16_t* chars, std::int32_t count);
  std::int32_t EncodeChars(const char16_t* chars, std::int32_t count, TNetBytes& bytes, std::int32_t byteIndex);
  std::int32_t EncodeChars(const char16_t* chars, std::int32_t count, std::uint8_t* bytes, std::int32_t byteCount);
  TNetBytes EncodeChars(const rtl::String& text);
  TNetBytes EncodeChars(const rtl::String& text, std::int32_t index, std::int32_t count);
  std::int32_t EncodeChars(const rtl::String& text, std::int32_t index, std::int32_t count, TNetBytes& bytes,
                           std::int32_t byteIndex);

  std::int32_t CharCountOf(const TNetBytes& bytes);
  std::int32_t CharCountOf(const TNetBytes& bytes, std::int32_t index, std::int32_t count);
  std::int32_t CharCountOf(const std::uint8_t* bytes, std::int32_t count);

  TNetWideChars DecodeBytes(const TNetBytes& bytes);
  TNetWideChars DecodeBytes(const TNetBytes& bytes, std::int32_t index, std::int32_t count);
  std::int32_t DecodeBytes(const TNetBytes& bytes, std::int32_t index, std::int32_t count, TNetWideChars& chars,
                           std::int32_t charIndex);
  TNetWideChars DecodeBytes(const std::uint8_t* bytes, std::int32_t count);
  std::int32_t DecodeBytes(const std::uint8_t* bytes, std::int32_t count, TNetWideChars& chars, std::int32_t charIndex);
  std::int32_t DecodeBytes(const std::uint8_t* bytes, std::int32_t count, char16_t* chars, std::int32_t charCount);

  bool IsSingleByte() const { return isSingleByte_; }
  std::int32_t MaxCharSize() const { return maxCharSize_; }
  virtual std::int32_t MaxByteCountFor(std::int32_t charCount) const = 0;
  virtual std::int32_t MaxCharCountFor(std::int32_t byteCount) const = 0;
  virtual TNetBytes Preamble() const { return {}; }

  rtl::String DecodeToText(const TNetBytes& bytes);
  rtl::String DecodeToText(const TNetBytes& bytes, std::int32_t index, std::int32_t count);
  rtl::String DecodeToText(const std::uint8_t* bytes, std::int32_t count);

 protected:
  // The core: counts and conversions of n units into an area of a capacity.
  virtual std::int32_t CoreByteCount(const char16_t* chars, std::int32_t count) = 0;
  virtual std::int32_t CoreEncode(const char16_t* chars, std::int32_t count, std::uint8_t* bytes,
                                  std::int32_t capacity) = 0;
  virtual std::int32_t CoreCharCount(const std::uint8_t* bytes, std::int32_t count) = 0;
  virtual std::int32_t CoreDecode(const std::uint8_t* bytes, std::int32_t count, char16_t* chars,
                                  std::int32_t capacity) = 0;

  bool isSingleByte_ = false;
  std::int32_t maxCharSize_ = 1;
};

using TNetTextEncodingRef = std::shared_ptr<INetTextEncoding>;
using TNetTextEncodingBase = INetTextEncoding;

// A system code page, converted through the runtime's code-page layer.
class TNetMBCSEncoding : public INetTextEncoding {
 public:
  TNetMBCSEncoding();
  explicit TNetMBCSEncoding(std::uint32_t codePage);
  // ENetException "Invalid codepage (%d)" when the system lacks the page
  // (20127 falls back to 1252, then 437).
  TNetMBCSEncoding(std::uint32_t codePage, std::uint32_t decodeFlags, std::uint32_t encodeFlags);
  std::uint32_t CodePage() const { return codePage_; }
  std::int32_t MaxByteCountFor(std::int32_t charCount) const override;
  std::int32_t MaxCharCountFor(std::int32_t byteCount) const override;
  TNetBytes Preamble() const override;

 protected:
  std::int32_t CoreByteCount(const char16_t* chars, std::int32_t count) override;
  std::int32_t CoreEncode(const char16_t* chars, std::int32_t count, std::uint8_t* bytes,
                          std::int32_t capacity) override;
  std::int32_t CoreCharCount(const std::uint8_t* bytes, std::int32_t count) override;
  std::int32_t CoreDecode(const std::uint8_t* bytes, std::int32_t count, char16_t* chars,
                          std::int32_t capacity) override;

  std::uint32_t codePage_ = 0;
  std::uint32_t decodeFlags_ = 0;
  std::uint32_t encodeFlags_ = 0;
};

class TNetUTF7Encoding : public TNetMBCSEncoding {
 public:
  TNetUTF7Encoding();
  std::int32_t MaxByteCountFor(std::int32_t charCount) const override { return 3 * charCount + 2; }
  std::int32_t MaxCharCountFor(std::int32_t byteCount) const override { return byteCount; }
  TNetBytes Preamble() const override { return {}; }
};

class TNetUTF8Encoding : public TNetMBCSEncoding {
 public:
  TNetUTF8Encoding();
  std::int32_t MaxByteCountFor(std::int32_t charCount) const override { return 3 * charCount + 3; }
  std::int32_t MaxCharCountFor(std::int32_t byteCount) const override { return byteCount + 1; }
  TNetBytes Preamble() const override { return {0xEF, 0xBB, 0xBF}; }
};

class TNetUTF16LittleEndianEncoding : public INetTextEncoding {
 public:
  TNetUTF16LittleEndianEncoding();
  std::int32_t MaxByteCountFor(std::int32_t charCount) const override { return 2 * charCount + 2; }
  std::int32_t MaxCharCountFor(std::int32_t byteCount) const override {
    return byteCount / 2 + byteCount % 2 + 1;
  }
  TNetBytes Preamble() const override { return {0xFF, 0xFE}; }

 protected:
  std::int32_t CoreByteCount(const char16_t* chars, std::int32_t count) override;
  std::int32_t CoreEncode(const char16_t* chars, std::int32_t count, std::uint8_t* bytes,
                          std::int32_t capacity) override;
  std::int32_t CoreCharCount(const std::uint8_t* bytes, std::int32_t count) override;
  std::int32_t CoreDecode(const std::uint8_t* bytes, std::int32_t count, char16_t* chars,
                          std::int32_t capacity) override;
};

class TNetUTF16BigEndianEncoding : public TNetUTF16LittleEndianEncoding {
 public:
  TNetBytes Preamble() const override { return {0xFE, 0xFF}; }

 protected:
  std::int32_t CoreEncode(const char16_t* chars, std::int32_t count, std::uint8_t* bytes,
                          std::int32_t capacity) override;
  std::int32_t CoreDecode(const std::uint8_t* bytes, std::int32_t count, char16_t* chars,
                          std::int32_t capacity) override;
};

// One byte per unit: units above the limit encode as "?"; bytes above it
// decode as U+FFFD.
class TNetSingleByteEncoding : public INetTextEncoding {
 public:
  std::int32_t MaxByteCountFor(std::int32_t charCount) const override { return charCount; }
  std::int32_t MaxCharCountFor(std::int32_t byteCount) const override { return byteCount; }

 protected:
  explicit TNetSingleByteEncoding(char16_t limit);
  std::int32_t CoreByteCount(const char16_t*, std::int32_t count) override { return count; }
  std::int32_t CoreEncode(const char16_t* chars, std::int32_t count, std::uint8_t* bytes,
                          std::int32_t capacity) override;
  std::int32_t CoreCharCount(const std::uint8_t*, std::int32_t count) override { return count; }
  std::int32_t CoreDecode(const std::uint8_t* bytes, std::int32_t count, char16_t* chars,
                          std::int32_t capacity) override;

 private:
  char16_t limit_;
};

// US-ASCII.
class TNetASCIIEncoding : public TNetSingleByteEncoding {
 public:
  TNetASCIIEncoding() : TNetSingleByteEncoding(127) {}
};

// ISO-8859-1: every byte is the unit of the same value.
class TId8BitEncoding : public TNetSingleByteEncoding {
 public:
  TId8BitEncoding() : TNetSingleByteEncoding(255) {}
};

enum TNetTextEncodingKind : std::uint8_t {
  EncodingDefault = 0,
  EncodingOSDefault = 1,
  Encoding8Bit = 2,
  EncodingASCII = 3,
  EncodingUTF16BE = 4,
  EncodingUTF16LE = 5,
  EncodingUTF7 = 6,
  EncodingUTF8 = 7,
};

// Library-wide default kind, EncodingASCII at start.
TNetTextEncodingKind DefaultTextEncodingKind();
void SetDefaultTextEncodingKind(std::uint8_t kind);

// The shared instance of a kind, made on first use.
TNetTextEncodingRef TextEncodingFor(TNetTextEncodingKind kind);
// The code page the library reports for an encoding (0 when none).
std::uint16_t CodePageOf(const TNetTextEncodingRef& encoding);
// Bytes of one encoding as bytes of another (unchanged when both are the same).
TNetBytes ConvertBytes(const TNetBytes& bytes, const TNetTextEncodingRef& from, const TNetTextEncodingRef& to);

}  // namespace net
