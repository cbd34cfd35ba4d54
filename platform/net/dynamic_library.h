// Libraries loaded at run time by their Windows names. Each name maps to a
// shared object of this platform; names without one fail to load as a
// missing module does (last error 126).
#pragma once

#include <cstdint>
#include <string>

namespace platform::net {

using LibHandle = void*;

// Loads by Windows name ("WS2_32.DLL", compared without case) or by a plain
// file name. nullptr on failure, with rtl::GetLastError() set.
LibHandle LoadLibraryByName(const std::string& name);
void FreeLibraryHandle(LibHandle handle);
// Address of an export, nullptr when absent. An empty name is looked up as
// the empty text.
void* LibraryFunction(LibHandle handle, const char* name);

// Points a Windows name at a shared object (a path, or a file name searched
// the usual way); an empty file clears the entry, so the name fails to load.
void SetLibraryFile(const std::string& windowsName, const std::string& file);
// The file currently mapped for a Windows name ("" when none).
std::string LibraryFileFor(const std::string& windowsName);

// The system version the socket code compares against: this platform's
// name lookup does not convert international names itself, which is the
// behaviour of the level below 6.2.
struct SystemVersionInfo {
  std::uint32_t platform;
  std::uint32_t major;
  std::uint32_t minor;
};
SystemVersionInfo SystemVersion();

}  // namespace platform::net
