#include "platform/net/dynamic_library.h"

#include <dlfcn.h>
#include <link.h>
#include <limits.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>
#include <mutex>

#include "platform/runtime/exceptions.h"
#include "platform/net/idn_adapter.h"

namespace platform::net {
namespace {

std::string Upper(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return s;
}

std::mutex& MapLock() {
  static std::mutex m;
  return m;
}

// The socket shim module serves both Winsock names; international names go
// to Debian's libidn2; the adapter listing has a module of its own. The other
// optional libraries have no counterpart.
std::map<std::string, std::string>& Files() {
  static std::map<std::string, std::string> files = {
      {"WS2_32.DLL", "libjq_ws2_32.so"},
      {"MSWSOCK.DLL", "libjq_ws2_32.so"},
      {"NORMALIZ.DLL", "libidn2.so.0"},
      {"IPHLPAPI.DLL", "libjq_iphlpapi.so"},
  };
  return files;
}

// Handles loaded for Normaliz.dll: their exports are the adapter's.
std::mutex& IdnLock() {
  static std::mutex m;
  return m;
}
std::map<void*, int>& IdnHandles() {
  static std::map<void*, int> handles;
  return handles;
}
bool IsIdnHandle(void* h) {
  std::lock_guard<std::mutex> lock(IdnLock());
  return IdnHandles().count(h) != 0;
}

std::string OwnDirectory() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&OwnDirectory), &info) && info.dli_fname) {
    std::string path = info.dli_fname;
    const auto slash = path.rfind('/');
    if (slash != std::string::npos) return path.substr(0, slash + 1);
  }
  return {};
}

}  // namespace

void SetLibraryFile(const std::string& windowsName, const std::string& file) {
  std::lock_guard<std::mutex> lock(MapLock());
  Files()[Upper(windowsName)] = file;
}

std::string LibraryFileFor(const std::string& windowsName) {
  std::lock_guard<std::mutex> lock(MapLock());
  auto it = Files().find(Upper(windowsName));
  return it == Files().end() ? std::string() : it->second;
}

LibHandle LoadLibraryByName(const std::string& name) {
  std::string file = name;
  const std::string upper = Upper(name);
  if (upper.size() > 4 && upper.compare(upper.size() - 4, 4, ".DLL") == 0) {
    file = LibraryFileFor(name);
    if (file.empty()) {
      rtl::SetLastError(126);  // module not found
      return nullptr;
    }
  }
  void* h = nullptr;
  if (file.find('/') == std::string::npos) {
    // Beside this code first (where the build and the installation put the
    // shim), then the loader's own search.
    const std::string dir = OwnDirectory();
    if (!dir.empty()) h = dlopen((dir + file).c_str(), RTLD_NOW | RTLD_LOCAL);
  }
  if (!h) h = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!h) {
    rtl::SetLastError(126);
    return nullptr;
  }
  if (upper == "NORMALIZ.DLL") {
    std::lock_guard<std::mutex> lock(IdnLock());
    ++IdnHandles()[h];
  }
  return h;
}

void FreeLibraryHandle(LibHandle handle) {
  if (!handle) return;
  {
    std::lock_guard<std::mutex> lock(IdnLock());
    auto it = IdnHandles().find(handle);
    if (it != IdnHandles().end() && --it->second == 0) IdnHandles().erase(it);
  }
  dlclose(handle);
}

// Only the library's own exports count: a name it lacks would otherwise be
// found in its dependencies (the C library has "listen", "select", ...),
// which take other arguments.
void* LibraryFunction(LibHandle handle, const char* name) {
  if (!handle) return nullptr;
  if (IsIdnHandle(handle)) return IdnExport(handle, name);
  void* p = dlsym(handle, name ? name : "");
  if (!p) return nullptr;
  link_map* lm = nullptr;
  Dl_info info{};
  if (dlinfo(handle, RTLD_DI_LINKMAP, &lm) != 0 || !lm || !dladdr(p, &info)) return nullptr;
  if (info.dli_fbase != reinterpret_cast<void*>(lm->l_addr) &&
      !(info.dli_fname && lm->l_name && std::strcmp(info.dli_fname, lm->l_name) == 0))
    return nullptr;
  return p;
}

SystemVersionInfo SystemVersion() { return {2, 6, 1}; }

}  // namespace platform::net
