// Facts about the running system, collected once at start-up. The platform
// reports itself as the NT family, release 10.0, like a current Windows, so
// callers that test for an old release find none.
#pragma once

#include <array>
#include <cstdint>

#include "platform/runtime/rtl_string.h"

namespace ext {

enum TWindowsRelease : std::uint8_t {
  wvUnknown,
  wvWin95,
  wvWin95OSR2,
  wvWin98,
  wvWin98SE,
  wvWinME,
  wvWinNT31,
  wvWinNT35,
  wvWinNT351,
  wvWinNT4,
  wvWin2000,
  wvWinXP,
  wvWin2003,
  wvWinXP64,
  wvWin2003R2,
  wvWinVista,
  wvWinServer2008,
  wvWin7,
  wvWinServer2008R2,
};
inline constexpr int WindowsReleaseCount = wvWinServer2008R2 + 1;

inline constexpr std::uint32_t VER_PLATFORM_WIN32_WINDOWS = 1;
inline constexpr std::uint32_t VER_PLATFORM_WIN32_NT = 2;

// What the release is told from.
struct TOSVersionFacts {
  std::uint32_t PlatformId = VER_PLATFORM_WIN32_NT;
  std::uint32_t Major = 10, Minor = 0;
  rtl::String ServicePack;
  std::uint32_t KernelProductVersion = 0;  // non-NT family only
  int ServerR2Metric = 0;                  // system metric 89
  std::uint16_t NativeArchitecture = 9;    // 0 is x86
  bool ExtendedQueryOk = true;             // the extended version query
  std::uint8_t ProductType = 1;            // 1 workstation
};

TWindowsRelease DetectWindowsRelease(const TOSVersionFacts& Facts);

struct TSystemInfo {
  std::uint16_t ProcessorArchitecture = 0;
  std::uint32_t PageSize = 0;
  std::uint32_t NumberOfProcessors = 0;
  std::uint32_t AllocationGranularity = 0;
};
// The native machine's facts; true when they came from the native query
// (always here: there is no emulation layer between).
bool QueryNativeSystemInfo(TSystemInfo& Info);
// The facts of this platform's own version.
TOSVersionFacts PlatformVersionFacts();

struct TSystemFacts {
  std::uint32_t SysProcessorCount = 0;
  std::uint32_t SysAllocationGranularity = 0;
  std::uint32_t SysPageSize = 0;
  bool IsWinNTFamily = false;
  std::uint32_t KernelProductVersion = 0;
  TWindowsRelease WindowsRelease = wvUnknown;
  std::array<bool, WindowsReleaseCount> IsRelease{};  // one flag per release
  bool IsWinNT3 = false, IsWinNT35 = false;           // the NT 3 groups
};

// Fills the facts from the given version facts and system information.
TSystemFacts MakeSystemFacts(const TSystemInfo& Info, const TOSVersionFacts& Version);
// The process's facts, collected on first use and read-only afterwards. The
// program calls it once at start-up.
const TSystemFacts& SystemFacts();

}  // namespace ext
