// A registry of keys and typed values, kept in one file per root key under
// $JQ_REGISTRY_DIR, or $XDG_CONFIG_HOME/JQHelper_LUNO/registry/ (default
// ~/.config/JQHelper_LUNO/registry/). Every call reads the file afresh and
// every change rewrites it atomically under a file lock, so other processes
// see changes at once. A change rewrites only the lines it concerns: lines
// the store does not understand (hand edits, other value kinds) survive it.
// A store file that cannot be read (permissions, not a regular file, UTF-16)
// fails every call on its root with that error and is never rewritten; a
// value whose line does not read gives ERROR_INVALID_DATA; a read-only file
// refuses changes with 5. Key and value names compare without regard to case
// and keep the case they were created with; names that are not valid
// UTF-16 (a lone surrogate) are refused with 87. Results are Windows error
// codes.
//
// HKEY_LOCAL_MACHINE\HARDWARE\DEVICEMAP\SERIALCOMM is read-only and built at
// each open: one REG_SZ value per serial port of /sys/class/tty (name the
// device name, data its path, e.g. "ttyS0" = "/dev/ttyS0"), plus the entries
// stored with RegistryTestAddSerialPort.
#pragma once

#include <cstdint>
#include <string>

#include "platform/runtime/rtl_string.h"

namespace rtl {

using HKEY = std::uintptr_t;
using LONG = std::int32_t;

inline constexpr HKEY HKEY_CLASSES_ROOT = 0x80000000;
inline constexpr HKEY HKEY_CURRENT_USER = 0x80000001;
inline constexpr HKEY HKEY_LOCAL_MACHINE = 0x80000002;
inline constexpr HKEY HKEY_USERS = 0x80000003;
inline constexpr HKEY HKEY_PERFORMANCE_DATA = 0x80000004;
inline constexpr HKEY HKEY_CURRENT_CONFIG = 0x80000005;
inline constexpr HKEY HKEY_DYN_DATA = 0x80000006;

inline constexpr std::uint32_t REG_NONE = 0;
inline constexpr std::uint32_t REG_SZ = 1;
inline constexpr std::uint32_t REG_EXPAND_SZ = 2;
inline constexpr std::uint32_t REG_BINARY = 3;
inline constexpr std::uint32_t REG_DWORD = 4;
inline constexpr std::uint32_t REG_MULTI_SZ = 7;

inline constexpr std::uint32_t KEY_QUERY_VALUE = 0x0001;
inline constexpr std::uint32_t KEY_SET_VALUE = 0x0002;
inline constexpr std::uint32_t KEY_CREATE_SUB_KEY = 0x0004;
inline constexpr std::uint32_t KEY_ENUMERATE_SUB_KEYS = 0x0008;
inline constexpr std::uint32_t KEY_NOTIFY = 0x0010;
inline constexpr std::uint32_t KEY_CREATE_LINK = 0x0020;
inline constexpr std::uint32_t KEY_READ = 0x20019;
inline constexpr std::uint32_t KEY_WRITE = 0x20006;
inline constexpr std::uint32_t KEY_EXECUTE = 0x20019;
inline constexpr std::uint32_t KEY_ALL_ACCESS = 0xF003F;

inline constexpr LONG ERROR_SUCCESS = 0;
inline constexpr LONG ERROR_FILE_NOT_FOUND = 2;
inline constexpr LONG ERROR_ACCESS_DENIED = 5;
inline constexpr LONG ERROR_INVALID_HANDLE = 6;
inline constexpr LONG ERROR_INVALID_DATA = 13;
inline constexpr LONG ERROR_INVALID_PARAMETER = 87;
inline constexpr LONG ERROR_MORE_DATA = 234;
inline constexpr LONG ERROR_NO_MORE_ITEMS = 259;
inline constexpr LONG ERROR_KEY_DELETED = 1018;

inline constexpr std::uint32_t REG_CREATED_NEW_KEY = 1;
inline constexpr std::uint32_t REG_OPENED_EXISTING_KEY = 2;

// Opens an existing key (2 when missing). A key opened without
// KEY_SET_VALUE refuses writes with 5.
LONG RegOpenKeyEx(HKEY key, const String& subKey, std::uint32_t options, std::uint32_t samDesired,
                  HKEY* result);
// Opens or creates the key and its missing parents.
LONG RegCreateKeyEx(HKEY key, const String& subKey, std::uint32_t samDesired, HKEY* result,
                    std::uint32_t* disposition);
LONG RegCloseKey(HKEY key);
// `data` null: only type and size are returned. A buffer too small gives 234
// with the needed size in *dataSize. Texts are UTF-16 with a terminating NUL.
LONG RegQueryValueEx(HKEY key, const String& valueName, std::uint32_t* type, std::uint8_t* data,
                     std::uint32_t* dataSize);
LONG RegSetValueEx(HKEY key, const String& valueName, std::uint32_t type, const std::uint8_t* data,
                   std::uint32_t dataSize);
LONG RegDeleteValue(HKEY key, const String& valueName);
// Deletes a key without subkeys (5 when it has some).
LONG RegDeleteKey(HKEY key, const String& subKey);
// Index past the end gives 259. `nameChars` is the buffer size in UTF-16
// units with room for the NUL; on success the length without it.
LONG RegEnumKeyEx(HKEY key, std::uint32_t index, char16_t* name, std::uint32_t* nameChars);
LONG RegEnumValue(HKEY key, std::uint32_t index, char16_t* name, std::uint32_t* nameChars,
                  std::uint32_t* type, std::uint8_t* data, std::uint32_t* dataSize);
LONG RegQueryInfoKey(HKEY key, std::uint32_t* subKeys, std::uint32_t* maxSubKeyLen, std::uint32_t* values,
                     std::uint32_t* maxValueNameLen, std::uint32_t* maxValueLen);

// The folder of the store files.
String RegistryDirectory();

// SERIALCOMM also lists, as "jqsim", the device path in $JQSIM_SERIAL_PORT:
// the pty of the controller simulator that scripts/run --simulator starts.

// Tests: serial-port entries (e.g. ptys) that SERIALCOMM lists beside the
// ports of the system; stored, so other processes see them too.
void RegistryTestAddSerialPort(const String& valueName, const String& devicePath);
void RegistryTestClearSerialPorts();
// Tests: how many key handles are open now (a leak check).
std::size_t RegistryTestOpenKeyCount();

}  // namespace rtl
