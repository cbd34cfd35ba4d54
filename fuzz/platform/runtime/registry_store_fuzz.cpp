// The registry stand-in's store file of one root key, as another process (or
// a hand edit) may have left it: keys are opened and enumerated, values
// queried, and a value set reads back. Every call reads the whole file again,
// so the walk stops after a number of calls: the file is parsed whole on the
// first, and further keys and values only repeat the same paths.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/support/fuzz_support.h"
#include "platform/runtime/registry.h"

namespace {

using namespace rtl;

// Calls of the walk left for this input.
int budget = 0;

void Walk(HKEY key, int depth) {
  if (--budget < 0) return;
  std::uint32_t subKeys = 0, maxSubKey = 0, values = 0, maxName = 0, maxValue = 0;
  RegQueryInfoKey(key, &subKeys, &maxSubKey, &values, &maxName, &maxValue);
  for (std::uint32_t i = 0; i < 32 && budget > 0; ++i, budget -= 3) {
    char16_t name[300];
    std::uint32_t chars = 300, type = 0;
    std::uint8_t data[512];
    std::uint32_t dataSize = sizeof data;
    const LONG r = RegEnumValue(key, i, name, &chars, &type, data, &dataSize);
    if (r == ERROR_NO_MORE_ITEMS) break;
    if (r != ERROR_SUCCESS) continue;
    if (chars >= 300 || dataSize > sizeof data) __builtin_trap();
    std::uint32_t needed = 0;
    const String valueName(name, chars);
    if (RegQueryValueEx(key, valueName, &type, nullptr, &needed) == ERROR_SUCCESS) {
      std::vector<std::uint8_t> buffer(needed + 1);
      std::uint32_t got = needed;
      if (RegQueryValueEx(key, valueName, &type, buffer.data(), &got) == ERROR_SUCCESS && got > needed)
        __builtin_trap();
    }
  }
  if (depth >= 3) return;
  for (std::uint32_t i = 0; i < 16 && budget > 0; ++i, budget -= 2) {
    char16_t name[300];
    std::uint32_t chars = 300;
    const LONG r = RegEnumKeyEx(key, i, name, &chars);
    if (r == ERROR_NO_MORE_ITEMS) break;
    if (r != ERROR_SUCCESS) continue;
    HKEY sub = 0;
    if (RegOpenKeyEx(key, String(name, chars), 0, KEY_READ, &sub) == ERROR_SUCCESS) {
      Walk(sub, depth + 1);
      RegCloseKey(sub);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::WriteRunFile("registry/HKEY_CURRENT_USER.reg",
                     std::string_view(reinterpret_cast<const char*>(data), size));
  budget = 40;
  Walk(HKEY_CURRENT_USER, 0);
  HKEY key = 0;
  if (RegCreateKeyEx(HKEY_CURRENT_USER, u"Software\\Fuzz", KEY_ALL_ACCESS, &key, nullptr) == ERROR_SUCCESS) {
    const char16_t text[] = u"值=%[x]";
    if (RegSetValueEx(key, u"@;name", REG_SZ, reinterpret_cast<const std::uint8_t*>(text), sizeof text) ==
        ERROR_SUCCESS) {
      char16_t back[16] = {};
      std::uint32_t type = 0, got = sizeof back;
      if (RegQueryValueEx(key, u"@;name", &type, reinterpret_cast<std::uint8_t*>(back), &got) !=
              ERROR_SUCCESS ||
          got != sizeof text || String(back) != text)
        __builtin_trap();
    }
    RegCloseKey(key);
  }
  if (RegistryTestOpenKeyCount() != 0) __builtin_trap();
  // The store read last stays parsed for the next query. Leaving that of an
  // empty file, each input frees what it allocated, and libFuzzer does not
  // run it a second time to look for a leak.
  fuzz::WriteRunFile("registry/HKEY_CURRENT_USER.reg", "");
  RegQueryInfoKey(HKEY_CURRENT_USER, nullptr, nullptr, nullptr, nullptr, nullptr);
  return 0;
}
