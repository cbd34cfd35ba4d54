#include "components/extended/core/core_sys_info.h"

#include <unistd.h>

namespace ext {

TWindowsRelease DetectWindowsRelease(const TOSVersionFacts& f) {
  const rtl::String sp = rtl::Trim(f.ServicePack);
  if (f.PlatformId == VER_PLATFORM_WIN32_WINDOWS) {
    if (f.Minor < 10) return sp == u"B" || sp == u"C" ? wvWin95OSR2 : wvWin95;
    if (f.Minor < 90) {
      if (f.KernelProductVersion == 0x0004005A) return wvWinME;
      return sp == u"A" || sp == u"B" ? wvWin98SE : wvWin98;
    }
    return f.Minor == 90 ? wvWinME : wvUnknown;
  }
  if (f.PlatformId != VER_PLATFORM_WIN32_NT) return wvUnknown;
  const bool workstation = f.ExtendedQueryOk && f.ProductType == 1;
  switch (f.Major) {
    case 3:
      return f.Minor == 1 ? wvWinNT31 : f.Minor == 5 ? wvWinNT35 : f.Minor == 51 ? wvWinNT351 : wvUnknown;
    case 4:
      return wvWinNT4;
    case 5:
      if (f.Minor == 0) return wvWin2000;
      if (f.Minor == 1) return wvWinXP;
      if (f.Minor == 2) {
        if (f.ServerR2Metric != 0) return wvWin2003R2;
        if (f.NativeArchitecture != 0 && workstation) return wvWinXP64;
        return wvWin2003;
      }
      return wvUnknown;
    case 6:
      if (f.Minor == 0) return workstation ? wvWinVista : wvWinServer2008;
      if (f.Minor == 1) return workstation ? wvWin7 : wvWinServer2008R2;
      return wvUnknown;
    default:
      return wvUnknown;
  }
}

bool QueryNativeSystemInfo(TSystemInfo& Info) {
  Info = TSystemInfo{};
  const long page = ::sysconf(_SC_PAGESIZE);
  const long cpus = ::sysconf(_SC_NPROCESSORS_ONLN);
  Info.PageSize = page > 0 ? static_cast<std::uint32_t>(page) : 0;
  // Memory is mapped in whole pages here.
  Info.AllocationGranularity = Info.PageSize;
  Info.NumberOfProcessors = cpus > 0 ? static_cast<std::uint32_t>(cpus) : 0;
#if defined(__x86_64__)
  Info.ProcessorArchitecture = 9;  // AMD64
#elif defined(__aarch64__)
  Info.ProcessorArchitecture = 12;  // ARM64
#else
  Info.ProcessorArchitecture = 0;
#endif
  return true;
}

TOSVersionFacts PlatformVersionFacts() {
  TOSVersionFacts f;
  TSystemInfo info;
  QueryNativeSystemInfo(info);
  f.NativeArchitecture = info.ProcessorArchitecture;
  return f;
}

TSystemFacts MakeSystemFacts(const TSystemInfo& Info, const TOSVersionFacts& Version) {
  TSystemFacts s;
  s.SysProcessorCount = Info.NumberOfProcessors;
  s.SysAllocationGranularity = Info.AllocationGranularity;
  s.SysPageSize = Info.PageSize;
  s.IsWinNTFamily = Version.PlatformId == VER_PLATFORM_WIN32_NT;
  s.KernelProductVersion = Version.PlatformId == VER_PLATFORM_WIN32_WINDOWS ? Version.KernelProductVersion : 0;
  s.WindowsRelease = DetectWindowsRelease(Version);
  if (s.WindowsRelease != wvUnknown) s.IsRelease[s.WindowsRelease] = true;
  s.IsWinNT3 = s.WindowsRelease == wvWinNT31 || s.WindowsRelease == wvWinNT35 || s.WindowsRelease == wvWinNT351;
  s.IsWinNT35 = s.WindowsRelease == wvWinNT35 || s.WindowsRelease == wvWinNT351;
  // 3.5 counts as NT 3 and NT 3.5, not as its own release.
  if (s.WindowsRelease == wvWinNT35) s.IsRelease[wvWinNT35] = false;
  return s;
}

const TSystemFacts& SystemFacts() {
  static const TSystemFacts facts = [] {
    TSystemInfo info;
    QueryNativeSystemInfo(info);
    return MakeSystemFacts(info, PlatformVersionFacts());
  }();
  return facts;
}

}  // namespace ext
