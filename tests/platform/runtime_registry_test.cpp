#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstring>
#include <vector>

#include "files.h"
#include "registry.h"
#include "runtime_test_util.h"

using namespace rtl;
using rtl_test::TempDir;

namespace {

class Registry : public ::testing::Test {
 protected:
  void SetUp() override { ::setenv("JQ_REGISTRY_DIR", tmp_.path().c_str(), 1); }
  void TearDown() override { ::unsetenv("JQ_REGISTRY_DIR"); }
  TempDir tmp_;
};

std::vector<std::uint8_t> Sz(const String& s) {
  std::vector<std::uint8_t> d;
  for (char16_t c : s) d.push_back(c & 0xFF), d.push_back(c >> 8);
  d.push_back(0), d.push_back(0);
  return d;
}

String ReadSz(HKEY key, const String& name) {
  std::uint8_t buf[512];
  std::uint32_t size = sizeof buf, type = 0;
  if (RegQueryValueEx(key, name, &type, buf, &size) != ERROR_SUCCESS) return u"<none>";
  return String(reinterpret_cast<const char16_t*>(buf), size / 2 - 1);
}

}  // namespace

TEST_F(Registry, StoreRoundTripAcrossHandles) {
  HKEY key;
  std::uint32_t disp = 0;
  ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, u"\\Software\\Temp\\Demo", KEY_ALL_ACCESS, &key, &disp), ERROR_SUCCESS);
  EXPECT_EQ(disp, REG_CREATED_NEW_KEY);
  const auto text = Sz(U("COM1 串口 = [x]"));
  ASSERT_EQ(RegSetValueEx(key, u"Port", REG_SZ, text.data(), static_cast<std::uint32_t>(text.size())), ERROR_SUCCESS);
  const std::uint32_t baud = 115200;
  ASSERT_EQ(RegSetValueEx(key, u"BaudRate", REG_DWORD, reinterpret_cast<const std::uint8_t*>(&baud), 4), ERROR_SUCCESS);
  const std::uint8_t bin[] = {0, 1, 0xFE};
  ASSERT_EQ(RegSetValueEx(key, u"", REG_BINARY, bin, 3), ERROR_SUCCESS);
  RegCloseKey(key);

  // Another open (as another process would) sees the values, names in any case.
  HKEY ro;
  ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, u"software\\TEMP\\demo", 0, KEY_READ, &ro), ERROR_SUCCESS);
  EXPECT_EQ(ReadSz(ro, u"PORT"), U("COM1 串口 = [x]"));
  std::uint32_t type = 0, dw = 0, size = 4;
  EXPECT_EQ(RegQueryValueEx(ro, u"baudrate", &type, reinterpret_cast<std::uint8_t*>(&dw), &size), ERROR_SUCCESS);
  EXPECT_EQ(type, REG_DWORD);
  EXPECT_EQ(dw, 115200u);
  std::uint8_t small[2];
  size = sizeof small;
  EXPECT_EQ(RegQueryValueEx(ro, u"", &type, small, &size), ERROR_MORE_DATA);
  EXPECT_EQ(size, 3u);
  EXPECT_EQ(RegQueryValueEx(ro, u"Missing", &type, nullptr, &size), ERROR_FILE_NOT_FOUND);
  // A read-only handle refuses writes.
  EXPECT_EQ(RegSetValueEx(ro, u"X", REG_DWORD, reinterpret_cast<const std::uint8_t*>(&dw), 4), ERROR_ACCESS_DENIED);

  // Enumeration of values and keys ends with 259; case of creation is kept.
  char16_t name[64];
  std::uint32_t nameChars = 64;
  EXPECT_EQ(RegEnumValue(ro, 0, name, &nameChars, &type, nullptr, nullptr), ERROR_SUCCESS);
  EXPECT_EQ(String(name, nameChars), u"Port");
  nameChars = 64;
  EXPECT_EQ(RegEnumValue(ro, 3, name, &nameChars, &type, nullptr, nullptr), ERROR_NO_MORE_ITEMS);
  RegCloseKey(ro);
  HKEY sw;
  ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, u"Software", 0, KEY_READ, &sw), ERROR_SUCCESS);
  nameChars = 64;
  EXPECT_EQ(RegEnumKeyEx(sw, 0, name, &nameChars), ERROR_SUCCESS);
  EXPECT_EQ(String(name, nameChars), u"Temp");
  nameChars = 64;
  EXPECT_EQ(RegEnumKeyEx(sw, 1, name, &nameChars), ERROR_NO_MORE_ITEMS);
  // A key with subkeys is not deleted; leaves are.
  EXPECT_EQ(RegDeleteKey(sw, u"Temp"), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegDeleteKey(sw, u"Temp\\Demo"), ERROR_SUCCESS);
  EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, u"Software\\Temp\\Demo", 0, KEY_READ, &ro), ERROR_FILE_NOT_FOUND);
  RegCloseKey(sw);
  EXPECT_EQ(RegCloseKey(sw), ERROR_INVALID_HANDLE);
}

TEST_F(Registry, SerialCommListsSystemPortsAndStoredTestEntries) {
  RegistryTestAddSerialPort(u"pts7", u"/dev/pts/7");
  HKEY key;
  ASSERT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, u"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key), ERROR_SUCCESS);
  std::vector<String> names, data;
  for (std::uint32_t i = 0;; ++i) {
    char16_t name[256];
    std::uint8_t buf[256];
    std::uint32_t nameChars = 256, size = sizeof buf, type = 0;
    const LONG rc = RegEnumValue(key, i, name, &nameChars, &type, buf, &size);
    if (rc == ERROR_NO_MORE_ITEMS) break;
    ASSERT_EQ(rc, ERROR_SUCCESS);
    EXPECT_EQ(type, REG_SZ);
    names.emplace_back(name, nameChars);
    data.emplace_back(reinterpret_cast<const char16_t*>(buf), size / 2 - 1);
  }
  ASSERT_FALSE(names.empty());
  EXPECT_EQ(names.back(), u"pts7");
  EXPECT_EQ(data.back(), u"/dev/pts/7");
  for (std::size_t i = 0; i + 1 < data.size(); ++i) {
    EXPECT_EQ(data[i], u"/dev/" + names[i]);  // system ports
    EXPECT_TRUE(FileExists(u"/sys/class/tty/" + names[i] + u"/device/driver") ||
                DirectoryExists(u"/sys/class/tty/" + names[i] + u"/device/driver"));
  }
  const std::uint8_t x = 1;
  EXPECT_EQ(RegSetValueEx(key, u"x", REG_BINARY, &x, 1), ERROR_ACCESS_DENIED);
  RegCloseKey(key);
  RegistryTestClearSerialPorts();
  ASSERT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, u"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key), ERROR_SUCCESS);
  std::uint32_t values = 99;
  ASSERT_EQ(RegQueryInfoKey(key, nullptr, nullptr, &values, nullptr, nullptr), ERROR_SUCCESS);
  EXPECT_EQ(values, data.size() - 1);
  RegCloseKey(key);
}

// A store file that is there but cannot be read must not be replaced by a
// store holding only the change: the call fails and the file stays whole.
TEST_F(Registry, UnreadableStoreIsNotReplaced) {
  HKEY key;
  ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, u"\\Software\\Kept", KEY_ALL_ACCESS, &key, nullptr), ERROR_SUCCESS);
  const auto text = Sz(u"value");
  ASSERT_EQ(RegSetValueEx(key, u"Name", REG_SZ, text.data(), static_cast<std::uint32_t>(text.size())), ERROR_SUCCESS);
  RegCloseKey(key);
  const std::string file = tmp_.path() + "/HKEY_CURRENT_USER.reg";
  const std::string before = rtl_test::Bytes(Utf8ToString(file));
  ASSERT_FALSE(before.empty());
  const int rc = rtl_test::RunWithUnreadableFile(tmp_.path(), file, [] {
    HKEY other;
    return static_cast<int>(RegCreateKeyEx(HKEY_CURRENT_USER, u"\\Software\\Other", KEY_ALL_ACCESS, &other, nullptr));
  });
  EXPECT_EQ(rc, ERROR_ACCESS_DENIED);
  EXPECT_EQ(rtl_test::Bytes(Utf8ToString(file)), before);
}
