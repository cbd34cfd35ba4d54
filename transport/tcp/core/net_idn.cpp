#include "transport/tcp/core/net_idn.h"

#include <atomic>

#include "platform/runtime/codepage.h"
#include "platform/net/dynamic_library.h"
#include "platform/runtime/exceptions.h"
#include "transport/tcp/core/net_global.h"

namespace net::idn {

decltype(DownlevelGetLocaleScripts) DownlevelGetLocaleScripts{nullptr};
decltype(DownlevelGetStringScripts) DownlevelGetStringScripts{nullptr};
decltype(DownlevelVerifyScripts) DownlevelVerifyScripts{nullptr};
decltype(IdnToUnicode) IdnToUnicode{nullptr};
decltype(IdnToNameprepUnicode) IdnToNameprepUnicode{nullptr};
decltype(IdnToAscii) IdnToAscii{nullptr};
decltype(IsNormalizedString) IsNormalizedString{nullptr};
decltype(NormalizeString) NormalizeString{nullptr};

namespace {
std::atomic<void*> g_idnDl{nullptr};
std::atomic<void*> g_normaliz{nullptr};
}  // namespace

void LoadIdnFunctions() {
  if (!g_idnDl.load()) {
    if (void* lib = platform::net::LoadLibraryByName("IdnDL.dll")) {
      g_idnDl.store(lib);
      DownlevelGetLocaleScripts.SetAddress(LoadLibFunction(lib, "DownlevelGetLocaleScripts"));
      DownlevelGetStringScripts.SetAddress(LoadLibFunction(lib, "DownlevelGetStringScripts"));
      DownlevelVerifyScripts.SetAddress(LoadLibFunction(lib, "DownlevelVerifyScripts"));
    }
  }
  if (!g_normaliz.load()) {
    if (void* lib = platform::net::LoadLibraryByName("Normaliz.dll")) {
      g_normaliz.store(lib);
      IdnToUnicode.SetAddress(LoadLibFunction(lib, "IdnToUnicode"));
      IdnToNameprepUnicode.SetAddress(LoadLibFunction(lib, "IdnToNameprepUnicode"));
      IdnToAscii.SetAddress(LoadLibFunction(lib, "IdnToAscii"));
      IsNormalizedString.SetAddress(LoadLibFunction(lib, "IsNormalizedString"));
      NormalizeString.SetAddress(LoadLibFunction(lib, "NormalizeString"));
    }
  }
}

void UnloadIdnFunctions() {
  // Empty the variables first, so nothing is left pointing into a freed library.
  IdnToUnicode.Reset();
  IdnToNameprepUnicode.Reset();
  IdnToAscii.Reset();
  IsNormalizedString.Reset();
  NormalizeString.Reset();
  if (void* h = g_idnDl.exchange(nullptr)) {
    DownlevelGetLocaleScripts.Reset();
    DownlevelGetStringScripts.Reset();
    DownlevelVerifyScripts.Reset();
    platform::net::FreeLibraryHandle(h);
  }
  if (void* h = g_normaliz.exchange(nullptr)) platform::net::FreeLibraryHandle(h);
}

bool CanUseIdnConversionOn(std::uint32_t major, std::uint32_t minor) {
  if (VersionAtLeast(major, minor, 6, 2)) return false;
  return !IdnToAscii.IsEmpty() && !IdnToUnicode.IsEmpty();
}

bool CanUseIdnConversion() { return CanUseIdnConversionOn(WindowsMajorVersion(), WindowsMinorVersion()); }

rtl::AnsiString HostNameToAscii(const rtl::String& hostName) {
  if (IdnToAscii.IsEmpty()) return {};
  const int inLen = static_cast<int>(hostName.size());
  const int need = IdnToAscii(0, hostName.data(), inLen, nullptr, 0);
  if (need == 0) rtl::RaiseLastOSError();
  rtl::String buffer(static_cast<std::size_t>(need), u'\0');
  if (IdnToAscii(0, hostName.data(), inLen, buffer.data(), need) == 0) rtl::RaiseLastOSError();
  return rtl::StringToAnsi(buffer);
}

}  // namespace net::idn
