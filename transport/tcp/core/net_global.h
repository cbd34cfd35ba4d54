// Shared types and routines of the socket library: byte arrays and counts,
// text/byte conversions, comparisons, invariant formatting, run-time
// function lookup, the 64-bit tick, version tests, address texts, streams.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <exception>
#include <initializer_list>
#include <string>
#include <vector>

#include "platform/runtime/format.h"
#include "transport/tcp/core/net_text_encoding.h"
#include "platform/runtime/rtl_string.h"
#include "platform/runtime/streams.h"
#include "platform/runtime/sync.h"

namespace net {

enum TNetIPVersion : std::uint8_t { Id_IPv4 = 0, Id_IPv6 = 1 };
enum TNetReuseSocket : std::uint8_t { rsOSDependent, rsTrue, rsFalse };
enum TNetMaxLineAction : std::uint8_t { maException, maSplit };
using TNetCriticalSection = rtl::TCriticalSection;
using TNetIPv6Address = std::array<std::uint16_t, 8>;

// --- byte arrays and lengths --------------------------------------------
TNetBytes RawToBytes(const void* data, std::int32_t size);
// max(length - index, 0) when count < 0, else min(count, that).
std::int32_t ClampByteCount(const TNetBytes& bytes, std::int32_t count, std::int32_t index);
// The same for 1-based positions in 8-bit text.
std::int32_t ClampTextCount(std::string_view text, std::int32_t count, std::int32_t index);
inline std::int32_t MinOf(std::int32_t a, std::int32_t b) { return a < b ? a : b; }
std::int32_t PositionInList(std::int16_t value, std::initializer_list<std::int16_t> list);

// --- 8-bit text and bytes -------------------------------------------------
// Encodings default to the library default (bytes) and the system page (text).
TNetBytes TextToBytes(std::string_view text, std::int32_t length = -1, std::int32_t index = 1,
                      TNetTextEncodingRef destination = nullptr, TNetTextEncodingRef source = nullptr);
TNetBytes CharToBytes(char c, TNetTextEncodingRef destination = nullptr, TNetTextEncodingRef source = nullptr);
// The text's code page (CodePageOf the destination) goes to *codePage when given.
rtl::AnsiString BytesToText(const TNetBytes& bytes, std::int32_t startIndex = 0, std::int32_t length = -1,
                            TNetTextEncodingRef byteEncoding = nullptr, TNetTextEncodingRef destination = nullptr,
                            std::uint16_t* codePage = nullptr);

// --- text tests and conversions ----------------------------------------
bool TextStartsWith(std::u16string_view text, std::u16string_view prefix);
bool TextEndsWith(std::u16string_view text, std::u16string_view suffix);
// 1-based byte position of the pattern, 0 when absent.
std::int32_t FindInText(std::string_view pattern, std::string_view text);
std::int32_t StrToIntOr(std::u16string_view text, std::int32_t defaultValue);
// Formatting with the fixed English settings.
const rtl::TFormatSettings& InvariantFormatSettings();
rtl::String FormatInvariant(std::u16string_view format, std::initializer_list<rtl::FormatArg> args);

// --- system routines -----------------------------------------------------
void* LoadLibFunction(void* library, const char* name);
// Milliseconds from the tick source chosen on first use.
std::uint64_t Ticks64();
// Elapsed time between two readings, right across one wrap of the source.
std::uint64_t TicksElapsed(std::uint64_t older, std::uint64_t newer);
// For tests: whether the next first use may pick the 64-bit source (true by
// default); resets the slot to the first-use routine.
void ResetTickSourceForTesting(bool allow64);

std::uint32_t WindowsPlatform();
std::uint32_t WindowsMajorVersion();
std::uint32_t WindowsMinorVersion();
bool WindowsVersionAtLeast(std::uint32_t major, std::uint32_t minor);
bool VersionAtLeast(std::uint32_t haveMajor, std::uint32_t haveMinor, std::uint32_t major, std::uint32_t minor);

std::int32_t CompareExchange(std::atomic<std::int32_t>& target, std::int32_t newValue, std::int32_t comparand);
[[noreturn]] void RaiseException(std::exception_ptr e);

// --- address texts -------------------------------------------------------
std::uint32_t IPv4TextToNumber(std::u16string_view text, bool& failed);
rtl::String CanonicalIPv6Text(std::u16string_view text);
void IPv6TextToAddress(std::u16string_view text, TNetIPv6Address& address, bool& failed);

// --- streams and files ---------------------------------------------------
// Opened for reading. Other writers cannot be denied on this platform; the
// stream reads what the file holds.
class TNetReadFileExclusiveStream : public rtl::TFileStream {
 public:
  explicit TNetReadFileExclusiveStream(const rtl::String& fileName);
};
std::int64_t ReadBytesFromStream(rtl::TStream& stream, TNetBytes& bytes, std::int64_t count = -1,
                                 std::int32_t offset = 0);
std::int64_t WriteBytesToStream(rtl::TStream& stream, const TNetBytes& bytes, std::int32_t count = -1,
                                std::int32_t offset = 0);

}  // namespace net
