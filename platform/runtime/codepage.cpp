#include "platform/runtime/codepage.h"

#include <errno.h>
#include <iconv.h>

#include <atomic>
#include <cstring>
#include <iterator>

namespace rtl {

namespace {

std::atomic<std::uint32_t> g_systemPage{CP_GBK};

std::uint32_t Resolve(std::uint32_t codePage) {
  if (codePage == CP_ACP) return g_systemPage.load(std::memory_order_relaxed);
  if (codePage == CP_OEMCP) {
    const std::uint32_t sys = g_systemPage.load(std::memory_order_relaxed);
    return sys == CP_GBK ? CP_GBK : 437;
  }
  return codePage;
}

const char* IconvName(std::uint32_t page) {
  switch (page) {
    case 437: return "CP437";
    case 936: return "CP936";
    case 1252: return "CP1252";
    case 20127: return "ASCII";
    case 28591: return "ISO-8859-1";
    case 1200: return "UTF-16LE";
    case 1201: return "UTF-16BE";
    case 12000: return "UTF-32LE";
    case 12001: return "UTF-32BE";
    case 65000: return "UTF-7";
    case 65001: return "UTF-8";
    default: return nullptr;
  }
}

// One conversion descriptor. A descriptor carries shift state and may not be
// used by two threads at once, and opening one loads the page's tables,
// which costs far more than converting a short text; so each thread keeps
// the descriptors it has opened, one per direction and page, and a
// conversion borrows its thread's, reset to the initial state.
class Iconv {
 public:
  Iconv(const char* to, const char* from) {
    Cache* cache = t_cacheGone ? nullptr : &ThreadCache();
    if (cache) {
      for (std::size_t i = 0; i < cache->count; ++i) {
        if (std::strcmp(cache->entries[i].to, to) == 0 && std::strcmp(cache->entries[i].from, from) == 0) {
          cd = cache->entries[i].cd;
          iconv(cd, nullptr, nullptr, nullptr, nullptr);
          return;
        }
      }
    }
    cd = iconv_open(to, from);
    if (!ok() || !cache || cache->count == std::size(cache->entries)) {
      owned_ = true;
      return;
    }
    cache->entries[cache->count++] = {to, from, cd};
  }
  ~Iconv() {
    if (owned_ && ok()) iconv_close(cd);
  }
  Iconv(const Iconv&) = delete;
  Iconv& operator=(const Iconv&) = delete;
  bool ok() const { return cd != reinterpret_cast<iconv_t>(-1); }

  iconv_t cd = reinterpret_cast<iconv_t>(-1);

 private:
  struct Entry {
    const char* to;
    const char* from;
    iconv_t cd;
  };
  // Every page both ways fits; past that a conversion opens its own.
  struct Cache {
    Entry entries[32];
    std::size_t count = 0;
    ~Cache() {
      for (std::size_t i = 0; i < count; ++i) iconv_close(entries[i].cd);
      // A conversion run by a later destructor on this thread opens its own.
      t_cacheGone = true;
    }
  };
  static inline thread_local bool t_cacheGone = false;
  static Cache& ThreadCache() {
    thread_local Cache cache;
    return cache;
  }
  bool owned_ = false;
};

String DecodeUtf16(std::string_view bytes, bool bigEndian) {
  String out;
  out.reserve(bytes.size() / 2 + 1);
  std::size_t i = 0;
  for (; i + 1 < bytes.size(); i += 2) {
    const auto b0 = static_cast<unsigned char>(bytes[i]), b1 = static_cast<unsigned char>(bytes[i + 1]);
    out.push_back(static_cast<char16_t>(bigEndian ? (b0 << 8 | b1) : (b1 << 8 | b0)));
  }
  if (i < bytes.size()) out.push_back(0xFFFD);  // odd trailing byte
  return out;
}

std::string EncodeUtf16(std::u16string_view text, bool bigEndian) {
  std::string out;
  out.reserve(text.size() * 2);
  for (char16_t c : text) {
    const char hi = static_cast<char>(c >> 8), lo = static_cast<char>(c & 0xFF);
    if (bigEndian) {
      out.push_back(hi), out.push_back(lo);
    } else {
      out.push_back(lo), out.push_back(hi);
    }
  }
  return out;
}

String DecodeIconv(std::string_view bytes, const char* from) {
  Iconv cv("UTF-16LE", from);
  if (!cv.ok()) return Utf8ToString(bytes);
  std::string out(bytes.size() * 4 + 16, '\0');
  char* in = const_cast<char*>(bytes.data());
  std::size_t inLeft = bytes.size();
  char* dst = out.data();
  std::size_t outLeft = out.size();
  while (inLeft > 0) {
    if (iconv(cv.cd, &in, &inLeft, &dst, &outLeft) != static_cast<std::size_t>(-1)) break;
    if (errno == E2BIG) {
      const std::size_t used = dst - out.data();
      out.resize(out.size() * 2);
      dst = out.data() + used;
      outLeft = out.size() - used;
      continue;
    }
    // Invalid or truncated sequence: one replacement, skip one byte.
    if (outLeft < 2) {
      const std::size_t used = dst - out.data();
      out.resize(out.size() * 2);
      dst = out.data() + used;
      outLeft = out.size() - used;
    }
    *dst++ = static_cast<char>(0xFD);
    *dst++ = static_cast<char>(0xFF);
    outLeft -= 2;
    ++in;
    --inLeft;
    iconv(cv.cd, nullptr, nullptr, nullptr, nullptr);
  }
  out.resize(dst - out.data());
  return DecodeUtf16(out, false);
}

std::string EncodeIconv(std::u16string_view text, const char* to) {
  const std::string src = EncodeUtf16(text, false);
  Iconv cv(to, "UTF-16LE");
  if (!cv.ok()) return StringToUtf8(text);
  std::string out(src.size() * 2 + 16, '\0');
  char* in = const_cast<char*>(src.data());
  std::size_t inLeft = src.size();
  char* dst = out.data();
  std::size_t outLeft = out.size();
  auto grow = [&] {
    const std::size_t used = dst - out.data();
    out.resize(out.size() * 2);
    dst = out.data() + used;
    outLeft = out.size() - used;
  };
  while (inLeft > 0) {
    if (iconv(cv.cd, &in, &inLeft, &dst, &outLeft) != static_cast<std::size_t>(-1)) break;
    if (errno == E2BIG) {
      grow();
      continue;
    }
    if (outLeft < 1) grow();
    *dst++ = '?';
    --outLeft;
    // A surrogate pair the page cannot hold is one character: one '?'.
    const auto u0 = static_cast<char16_t>(static_cast<unsigned char>(in[0]) |
                                          static_cast<unsigned char>(in[1]) << 8);
    std::size_t skip = 2;
    if (u0 >= 0xD800 && u0 <= 0xDBFF && inLeft >= 4) {
      const auto u1 = static_cast<char16_t>(static_cast<unsigned char>(in[2]) |
                                            static_cast<unsigned char>(in[3]) << 8);
      if (u1 >= 0xDC00 && u1 <= 0xDFFF) skip = 4;
    }
    if (skip > inLeft) skip = inLeft;
    in += skip;
    inLeft -= skip;
    iconv(cv.cd, nullptr, nullptr, nullptr, nullptr);
  }
  // Flush any shift state (UTF-7).
  for (;;) {
    if (iconv(cv.cd, nullptr, nullptr, &dst, &outLeft) != static_cast<std::size_t>(-1)) break;
    if (errno != E2BIG) break;
    grow();
  }
  out.resize(dst - out.data());
  return out;
}

}  // namespace

std::uint32_t SystemCodePage() { return g_systemPage.load(std::memory_order_relaxed); }

void SetSystemCodePage(std::uint32_t codePage) {
  if (codePage != CP_ACP && codePage != CP_OEMCP && IconvName(codePage) != nullptr)
    g_systemPage.store(codePage, std::memory_order_relaxed);
}

bool IsValidCodePage(std::uint32_t codePage) { return IconvName(Resolve(codePage)) != nullptr; }

int MaxCharSize(std::uint32_t codePage) {
  switch (Resolve(codePage)) {
    case 936: return 2;
    case 1200:
    case 1201: return 2;
    case 12000:
    case 12001: return 4;
    case 65000: return 5;
    case 65001: return 4;
    default: return 1;
  }
}

std::uint32_t CodePageOfLocale(std::uint32_t lcid) {
  if (lcid == 0x0804 || lcid == 0x1004) return 936;
  switch (lcid & 0x3FF) {
    case 0x03: case 0x06: case 0x07: case 0x09: case 0x0A: case 0x0B: case 0x0C:
    case 0x0F: case 0x10: case 0x13: case 0x14: case 0x16: case 0x1D: case 0x21:
    case 0x2D: case 0x36: case 0x38: case 0x3E: case 0x56:
      return 1252;
    default:
      return SystemCodePage();
  }
}

String DecodeText(std::string_view bytes, std::uint32_t codePage) {
  const std::uint32_t page = Resolve(codePage);
  switch (page) {
    case CP_UTF8: return Utf8ToString(bytes);
    case CP_UTF16LE: return DecodeUtf16(bytes, false);
    case CP_UTF16BE: return DecodeUtf16(bytes, true);
    default: break;
  }
  bool ascii = true;
  for (char c : bytes) {
    if (static_cast<unsigned char>(c) >= 0x80) {
      ascii = false;
      break;
    }
  }
  if (ascii && page != CP_UTF7 && page != CP_UTF32LE && page != CP_UTF32BE)
    return String(bytes.begin(), bytes.end());
  const char* name = IconvName(page);
  return name ? DecodeIconv(bytes, name) : Utf8ToString(bytes);
}

std::string EncodeText(std::u16string_view text, std::uint32_t codePage) {
  const std::uint32_t page = Resolve(codePage);
  switch (page) {
    case CP_UTF8: return StringToUtf8(text);
    case CP_UTF16LE: return EncodeUtf16(text, false);
    case CP_UTF16BE: return EncodeUtf16(text, true);
    default: break;
  }
  bool ascii = true;
  for (char16_t c : text) {
    if (c >= 0x80) {
      ascii = false;
      break;
    }
  }
  if (ascii && page != CP_UTF7 && page != CP_UTF32LE && page != CP_UTF32BE)
    return std::string(text.begin(), text.end());
  const char* name = IconvName(page);
  return name ? EncodeIconv(text, name) : StringToUtf8(text);
}

TextEncoding DetectFileEncoding(std::string_view bytes) {
  for (TextEncoding marked : {TextEncoding::Utf8Bom, TextEncoding::Utf16LE, TextEncoding::Utf16BE})
    if (bytes.substr(0, ByteOrderMark(marked).size()) == ByteOrderMark(marked)) return marked;
  return TextEncoding::System;
}

std::string_view ByteOrderMark(TextEncoding encoding) {
  switch (encoding) {
    case TextEncoding::Utf8Bom: return "\xEF\xBB\xBF";
    case TextEncoding::Utf16LE: return "\xFF\xFE";
    case TextEncoding::Utf16BE: return "\xFE\xFF";
    default: return "";
  }
}

std::uint32_t CodePageOf(TextEncoding encoding) {
  switch (encoding) {
    case TextEncoding::Utf8Bom: return CP_UTF8;
    case TextEncoding::Utf16LE: return CP_UTF16LE;
    case TextEncoding::Utf16BE: return CP_UTF16BE;
    case TextEncoding::System: break;
  }
  return CP_ACP;
}

String DecodeFileText(std::string_view bytes, TextEncoding* found) {
  const TextEncoding enc = DetectFileEncoding(bytes);
  if (found) *found = enc;
  return DecodeText(bytes.substr(ByteOrderMark(enc).size()), CodePageOf(enc));
}

std::string EncodeFileText(std::u16string_view text, TextEncoding encoding) {
  return std::string(ByteOrderMark(encoding)) + EncodeText(text, CodePageOf(encoding));
}

}  // namespace rtl
