#include "transport/tcp/core/net_global.h"

#include <algorithm>
#include <climits>

#include "platform/runtime/convert.h"
#include "platform/net/dynamic_library.h"
#include "platform/runtime/exceptions.h"
#include "platform/runtime/format_settings.h"
#include "platform/runtime/ticks.h"

namespace net {

// --- byte arrays and lengths --------------------------------------------
TNetBytes RawToBytes(const void* data, std::int32_t size) {
  if (!data || size <= 0) return {};
  const auto* p = static_cast<const std::uint8_t*>(data);
  return TNetBytes(p, p + size);
}

std::int32_t ClampByteCount(const TNetBytes& bytes, std::int32_t count, std::int32_t index) {
  const std::int64_t available = std::max<std::int64_t>(static_cast<std::int64_t>(bytes.size()) - index, 0);
  const std::int64_t n = count < 0 ? available : std::min<std::int64_t>(count, available);
  return static_cast<std::int32_t>(std::min<std::int64_t>(n, INT32_MAX));
}

std::int32_t ClampTextCount(std::string_view text, std::int32_t count, std::int32_t index) {
  const std::int64_t available = std::max<std::int64_t>(static_cast<std::int64_t>(text.size()) - index + 1, 0);
  const std::int64_t n = count < 0 ? available : std::min<std::int64_t>(count, available);
  return static_cast<std::int32_t>(std::min<std::int64_t>(n, INT32_MAX));
}

std::int32_t PositionInList(std::int16_t value, std::initializer_list<std::int16_t> list) {
  std::int32_t i = 0;
  for (std::int16_t v : list) {
    if (v == value) return i;
    ++i;
  }
  return -1;
}

// --- 8-bit text and bytes -------------------------------------------------
TNetBytes TextToBytes(std::string_view text, std::int32_t length, std::int32_t index,
                      TNetTextEncodingRef destination, TNetTextEncodingRef source) {
  const std::int32_t count = ClampTextCount(text, length, index);
  if (count < 1 || index < 1) return {};
  if (!destination) destination = TextEncodingFor(EncodingDefault);
  if (!source) source = TextEncodingFor(EncodingOSDefault);
  const auto* p = reinterpret_cast<const std::uint8_t*>(text.data()) + (index - 1);
  return ConvertBytes(TNetBytes(p, p + count), source, destination);
}

TNetBytes CharToBytes(char c, TNetTextEncodingRef destination, TNetTextEncodingRef source) {
  return TextToBytes(std::string_view(&c, 1), 1, 1, std::move(destination), std::move(source));
}

rtl::AnsiString BytesToText(const TNetBytes& bytes, std::int32_t startIndex, std::int32_t length,
                            TNetTextEncodingRef byteEncoding, TNetTextEncodingRef destination,
                            std::uint16_t* codePage) {
  const std::int32_t count = ClampByteCount(bytes, length, startIndex);
  if (count < 1 || startIndex < 0) return {};
  if (!byteEncoding) byteEncoding = TextEncodingFor(EncodingDefault);
  if (!destination) destination = TextEncodingFor(EncodingDefault);
  const TNetBytes out =
      (startIndex == 0 && static_cast<std::size_t>(count) == bytes.size())
          ? ConvertBytes(bytes, byteEncoding, destination)
          : ConvertBytes(TNetBytes(bytes.begin() + startIndex, bytes.begin() + startIndex + count), byteEncoding,
                         destination);
  if (codePage) *codePage = CodePageOf(destination);
  return rtl::AnsiString(out.begin(), out.end());
}

// --- text tests ----------------------------------------------------------
bool TextStartsWith(std::u16string_view text, std::u16string_view prefix) {
  if (text.size() < prefix.size()) return false;
  return rtl::AnsiCompareText(text.substr(0, prefix.size()), prefix) == 0;
}

bool TextEndsWith(std::u16string_view text, std::u16string_view suffix) {
  if (text.size() < suffix.size()) return false;
  return rtl::AnsiCompareText(text.substr(text.size() - suffix.size()), suffix) == 0;
}

std::int32_t FindInText(std::string_view pattern, std::string_view text) {
  const auto pos = text.find(pattern);
  return pos == std::string_view::npos ? 0 : static_cast<std::int32_t>(pos) + 1;
}

std::int32_t StrToIntOr(std::u16string_view text, std::int32_t defaultValue) {
  return rtl::StrToIntDef(rtl::Trim(text), defaultValue);
}

const rtl::TFormatSettings& InvariantFormatSettings() {
  static const rtl::TFormatSettings s = [] {
    rtl::TFormatSettings f;
    f.CurrencyString = u"$";
    f.CurrencyFormat = 0;
    f.NegCurrFormat = 0;
    f.CurrencyDecimals = 2;
    f.ThousandSeparator = u',';
    f.DecimalSeparator = u'.';
    f.DateSeparator = u'/';
    f.ShortDateFormat = u"m/d/yyyy";
    f.LongDateFormat = u"dddd, mmmm dd, yyyy";
    f.TimeSeparator = u':';
    f.TimeAMString = u"AM";
    f.TimePMString = u"PM";
    f.LongTimeFormat = u"h:nn:ss ampm";
    f.ShortTimeFormat = u"h:nn ampm";
    f.ListSeparator = u',';
    return f;
  }();
  return s;
}

rtl::String FormatInvariant(std::u16string_view format, std::initializer_list<rtl::FormatArg> args) {
  return rtl::Format(format, args, InvariantFormatSettings());
}

// --- system routines -----------------------------------------------------
void* LoadLibFunction(void* library, const char* name) { return platform::net::LibraryFunction(library, name ? name : ""); }

namespace {

using TickFn = std::uint64_t (*)();
std::uint64_t Tick64Source() { return rtl::GetTickCount64(); }
std::uint64_t Tick32Widened() { return rtl::GetTickCount(); }
std::atomic<bool> g_allow64{true};
std::uint64_t FirstTick();
std::atomic<TickFn> g_tickSource{&FirstTick};

// The platform always has the 64-bit counter; the 32-bit one stays as the
// fallback the callers' wrap arithmetic is written for.
std::uint64_t FirstTick() {
  const TickFn chosen = g_allow64.load() ? &Tick64Source : &Tick32Widened;
  g_tickSource.store(chosen);
  return chosen();
}

}  // namespace

std::uint64_t Ticks64() { return g_tickSource.load(std::memory_order_relaxed)(); }

std::uint64_t TicksElapsed(std::uint64_t older, std::uint64_t newer) {
  if (newer >= older) return newer - older;
  // The 32-bit source wraps at 2^32, the 64-bit one never in practice.
  if (older <= UINT32_MAX) return (static_cast<std::uint64_t>(UINT32_MAX) - older) + newer + 1;
  return (UINT64_MAX - older) + newer + 1;
}

void ResetTickSourceForTesting(bool allow64) {
  g_allow64.store(allow64);
  g_tickSource.store(&FirstTick);
}

std::uint32_t WindowsPlatform() { return platform::net::SystemVersion().platform; }
std::uint32_t WindowsMajorVersion() { return platform::net::SystemVersion().major; }
std::uint32_t WindowsMinorVersion() { return platform::net::SystemVersion().minor; }
bool VersionAtLeast(std::uint32_t haveMajor, std::uint32_t haveMinor, std::uint32_t major, std::uint32_t minor) {
  return haveMajor > major || (haveMajor == major && haveMinor >= minor);
}
bool WindowsVersionAtLeast(std::uint32_t major, std::uint32_t minor) {
  return VersionAtLeast(WindowsMajorVersion(), WindowsMinorVersion(), major, minor);
}

std::int32_t CompareExchange(std::atomic<std::int32_t>& target, std::int32_t newValue, std::int32_t comparand) {
  std::int32_t expected = comparand;
  target.compare_exchange_strong(expected, newValue);
  return expected;
}

void RaiseException(std::exception_ptr e) { std::rethrow_exception(e); }

// --- address texts -------------------------------------------------------
namespace {

int HexDigit(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

// One part of a dotted IPv4 text: 0x hex, 0 octal, else decimal.
bool ParseIPv4Part(std::u16string_view p, std::uint64_t& value) {
  value = 0;
  if (p.size() >= 2 && p[0] == u'0' && (p[1] == u'x' || p[1] == u'X')) {
    if (p.size() == 2) return false;
    for (char16_t c : p.substr(2)) {
      const int d = HexDigit(c);
      if (d < 0) return false;
      value = (value << 4) | static_cast<unsigned>(d);
      value &= 0xFFFFFFFFull;
    }
    return true;
  }
  bool octal = !p.empty() && p[0] == u'0';
  for (char16_t c : p)
    if (c < u'0' || c > u'7') octal = false;
  for (char16_t c : p) {
    if (c < u'0' || c > u'9') return false;
    value = (value * (octal ? 8 : 10) + (c - u'0')) & 0xFFFFFFFFull;
  }
  return !p.empty();
}

// Hexadecimal group of 0..65535; false when empty, not hex or too large.
bool ParseGroup(std::u16string_view g, std::uint32_t& value) {
  value = 0;
  if (g.empty()) return false;
  for (char16_t c : g) {
    const int d = HexDigit(c);
    if (d < 0) return false;
    value = (value << 4) | static_cast<unsigned>(d);
    if (value > 0xFFFF) return false;
  }
  return true;
}

}  // namespace

std::uint32_t IPv4TextToNumber(std::u16string_view text, bool& failed) {
  failed = true;
  std::uint64_t result = 0;
  std::size_t pos = 0;
  int done = 0;
  while (true) {
    if (pos >= text.size()) break;  // the text ran out
    const std::size_t dot = text.find(u'.', pos);
    const std::u16string_view part = text.substr(pos, dot == std::u16string_view::npos ? text.npos : dot - pos);
    if (part.empty()) break;  // two dots in a row end it like the end of the text
    std::uint64_t value = 0;
    if (!ParseIPv4Part(part, value)) return static_cast<std::uint32_t>(result);
    const bool last = dot == std::u16string_view::npos;
    const int open = 4 - done;
    if (last && open >= 2) {
      const int bits = 8 * open;
      const std::uint64_t mask = bits >= 32 ? 0xFFFFFFFFull : ((1ull << bits) - 1);
      result = ((result << bits) | (value & mask)) & 0xFFFFFFFFull;
    } else {
      result = ((result << 8) | (value & 0xFF)) & 0xFFFFFFFFull;
    }
    ++done;
    if (last) break;
    pos = dot + 1;
  }
  failed = false;
  return static_cast<std::uint32_t>(result);
}

rtl::String CanonicalIPv6Text(std::u16string_view input) {
  if (input.empty()) return {};
  rtl::String text(input);
  if (text.front() == u':') text.insert(text.begin(), u'0');
  if (text.back() == u':') text.push_back(u'0');

  std::vector<std::size_t> dots, colons;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c == u'.') {
      if (dots.size() == 3) return {};
      dots.push_back(i);
    } else if (c == u':') {
      if (colons.size() == 7) return {};
      colons.push_back(i);
    } else if (c >= u'0' && c <= u'9') {
    } else if (HexDigit(c) >= 0 && dots.empty()) {
    } else {
      return {};
    }
  }
  const bool dotted = dots.size() == 3;
  if (!dots.empty() && !dotted) return {};
  if (dotted) {
    if (colons.size() < 2 || colons.size() > 6 || colons.back() > dots.front()) return {};
  } else if (colons.size() < 2) {
    return {};
  }

  rtl::String out;
  auto put = [&out](std::uint32_t v) { out += rtl::IntToHex(v, 1) + u":"; };
  std::uint32_t v = 0;
  if (!ParseGroup(std::u16string_view(text).substr(0, colons[0]), v)) return {};
  put(v);
  bool expanded = false;
  for (std::size_t k = 1; k < colons.size(); ++k) {
    const std::u16string_view g = std::u16string_view(text).substr(colons[k - 1] + 1, colons[k] - colons[k - 1] - 1);
    if (g.empty()) {
      if (expanded) return {};
      expanded = true;
      const int zeros = 8 - static_cast<int>(colons.size()) - (dotted ? 1 : 0);
      for (int z = 0; z < zeros; ++z) out += u"0:";
    } else {
      if (!ParseGroup(g, v)) return {};
      put(v);
    }
  }
  // Without "::" every group must be written out; fewer would leave the
  // missing groups to whoever reads the text.
  if (!expanded && colons.size() != (dotted ? 6u : 7u)) return {};
  const std::u16string_view tail = std::u16string_view(text).substr(colons.back() + 1);
  if (!dotted) {
    if (!ParseGroup(tail, v)) return {};
    put(v);
  } else {
    std::uint32_t b[4];
    std::size_t start = 0;
    for (int i = 0; i < 4; ++i) {
      const std::size_t end = i < 3 ? tail.find(u'.', start) : tail.size();
      const std::u16string_view part = tail.substr(start, end - start);
      if (part.empty() || part.size() > 3) return {};
      b[i] = 0;
      for (char16_t c : part) b[i] = b[i] * 10 + (c - u'0');
      if (b[i] > 255) return {};
      start = end + 1;
    }
    out += rtl::IntToHex(b[0], 2) + rtl::IntToHex(b[1], 2) + u":" + rtl::IntToHex(b[2], 2) + rtl::IntToHex(b[3], 2) +
           u":";
  }
  out.pop_back();
  return out;
}

void IPv6TextToAddress(std::u16string_view text, TNetIPv6Address& address, bool& failed) {
  address.fill(0);
  const rtl::String canonical = CanonicalIPv6Text(text);
  failed = canonical.empty();
  if (failed) return;
  std::size_t start = 0;
  for (int i = 0; i < 8 && start <= canonical.size(); ++i) {
    std::size_t end = canonical.find(u':', start);
    if (end == rtl::String::npos) end = canonical.size();
    address[i] = static_cast<std::uint16_t>(StrToIntOr(u"$" + canonical.substr(start, end - start), 0));
    start = end + 1;
  }
}

// --- streams and files ---------------------------------------------------
TNetReadFileExclusiveStream::TNetReadFileExclusiveStream(const rtl::String& fileName)
    : rtl::TFileStream(fileName, rtl::fmOpenRead) {}

std::int64_t ReadBytesFromStream(rtl::TStream& stream, TNetBytes& bytes, std::int64_t count, std::int32_t offset) {
  if (count < 0) count = std::max<std::int64_t>(stream.Size() - stream.Position(), 0);
  if (count == 0) return 0;
  if (offset < 0) offset = 0;
  const std::int64_t need = static_cast<std::int64_t>(offset) + count;
  if (static_cast<std::int64_t>(bytes.size()) < need) bytes.resize(static_cast<std::size_t>(need));
  return stream.Read(bytes.data() + offset, count);
}

std::int64_t WriteBytesToStream(rtl::TStream& stream, const TNetBytes& bytes, std::int32_t count,
                                std::int32_t offset) {
  if (bytes.empty()) return 0;
  if (offset < 0) return 0;
  const std::int32_t n = ClampByteCount(bytes, count, offset);
  if (n <= 0) return 0;
  return stream.Write(bytes.data() + offset, n);
}

}  // namespace net
