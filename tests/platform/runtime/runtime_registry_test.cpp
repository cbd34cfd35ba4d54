#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include "platform/runtime/files.h"
#include "platform/runtime/registry.h"
#include "tests/platform/runtime/runtime_test_util.h"

using namespace rtl;
using rtl_test::TempDir;
using namespace std::string_literals;

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

// What reading a value gives: its text, "dword:N", or "<rc N>".
String Describe(HKEY key, const String& name) {
  std::vector<std::uint8_t> buf(512);
  std::uint32_t size = static_cast<std::uint32_t>(buf.size()), type = 0;
  const LONG rc = RegQueryValueEx(key, name, &type, buf.data(), &size);
  if (rc != ERROR_SUCCESS) return u"<rc " + Utf8ToString(std::to_string(rc)) + u">";
  if (type == REG_DWORD) return u"dword:" + Utf8ToString(std::to_string(buf[0] | buf[1] << 8 | buf[2] << 16 | buf[3] << 24));
  return String(reinterpret_cast<const char16_t*>(buf.data()), size / 2 - 1);
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

// The simulator's pty, named by the environment of one run, is listed beside the
// system's ports; anything that is not one device path is not, and nothing of it
// reaches the store.
TEST_F(Registry, SerialCommListsTheSimulatorPortOfThisRun) {
  const auto simulatorEntries = [] {
    std::vector<String> found;
    HKEY key;
    EXPECT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, u"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key), ERROR_SUCCESS);
    for (std::uint32_t i = 0;; ++i) {
      char16_t name[256];
      std::uint8_t buf[256];
      std::uint32_t nameChars = 256, size = sizeof buf, type = 0;
      if (RegEnumValue(key, i, name, &nameChars, &type, buf, &size) != ERROR_SUCCESS) break;
      if (String(name, nameChars) == u"jqsim")
        found.emplace_back(reinterpret_cast<const char16_t*>(buf), size / 2 - 1);
    }
    RegCloseKey(key);
    return found;
  };
  const struct {
    const char* value;
    std::vector<String> listed;
  } cases[] = {
      {"/dev/pts/9", {u"/dev/pts/9"}},
      {"pts/9", {}},
      {"", {}},
      {"/dev/pts/9\n[x]", {}},
  };
  for (const auto& c : cases) {
    ::setenv("JQSIM_SERIAL_PORT", c.value, 1);
    EXPECT_EQ(simulatorEntries(), c.listed) << c.value;
  }
  // A stored entry of the same name does not list the port twice.
  RegistryTestAddSerialPort(u"jqsim", u"/dev/pts/3");
  ::setenv("JQSIM_SERIAL_PORT", "/dev/pts/9", 1);
  EXPECT_EQ(simulatorEntries(), std::vector<String>{u"/dev/pts/9"});
  RegistryTestClearSerialPorts();
  ::unsetenv("JQSIM_SERIAL_PORT");
  EXPECT_TRUE(simulatorEntries().empty());
  EXPECT_EQ(rtl_test::Bytes(Utf8ToString(tmp_.path() + "/HKEY_LOCAL_MACHINE.reg")).find("pts/9"), std::string::npos);
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

// Queries reuse the store parsed for the last one only while the file holds
// the same lines: a change by another process (here written directly, with
// the same length) is seen by the next query.
TEST_F(Registry, QueriesSeeEveryChangeOfTheFile) {
  const std::string file = tmp_.path() + "/HKEY_CURRENT_USER.reg";
  const auto write = [&](const std::string& bytes) { std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes; };
  write("[Software\\A]\nX=sz:one\nY=dword:00000001\n");
  HKEY key;
  ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, u"Software\\A", 0, KEY_READ, &key), ERROR_SUCCESS);
  EXPECT_EQ(Describe(key, u"X"), u"one");
  EXPECT_EQ(Describe(key, u"Y"), u"dword:1");
  write("[Software\\A]\nX=sz:two\nY=dword:00000002\n");
  EXPECT_EQ(Describe(key, u"X"), u"two");
  EXPECT_EQ(Describe(key, u"Y"), u"dword:2");
  write("[Software\\A]\nY=dword:00000002\n[Software\\A\\Sub]\n");
  EXPECT_EQ(Describe(key, u"X"), u"<rc 2>");
  std::uint32_t subKeys = 0, values = 0;
  ASSERT_EQ(RegQueryInfoKey(key, &subKeys, nullptr, &values, nullptr, nullptr), ERROR_SUCCESS);
  EXPECT_EQ(subKeys, 1u);
  EXPECT_EQ(values, 1u);
  // A change made through the interface is seen as well.
  const std::uint32_t three = 3;
  HKEY writable;
  ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, u"Software\\A", 0, KEY_ALL_ACCESS, &writable), ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueEx(writable, u"Y", REG_DWORD, reinterpret_cast<const std::uint8_t*>(&three), 4), ERROR_SUCCESS);
  EXPECT_EQ(Describe(key, u"Y"), u"dword:3");
  RegCloseKey(writable);
  RegCloseKey(key);
}

namespace {

struct HostileStore {
  const char* name;
  std::string before;
  rtl_test::FileKind kind;
  // The file after setting New=dword:7 in Software\A; empty: refused with
  // `refusal` and the file stays as it was.
  std::string after;
  LONG refusal;
  std::vector<std::pair<String, String>> probes;  // values of Software\A and what reading them gives
};

}  // namespace

// Every byte a change does not concern survives it, whatever the store file
// holds; or the change is refused and nothing changes.
TEST_F(Registry, HostileStoreFilesKeepEveryUntouchedByte) {
  const std::string gbk = "\xB5\xDA" "1\xD6\xE1", utf = "第1轴", added = "New=dword:00000007";
  std::string big = "[Software\\Big]\n";
  big.reserve(35u << 20);
  for (int i = 0; big.size() < (35u << 20); ++i) big += "V" + std::to_string(i) + "=sz:" + utf + std::string(60, 'x') + "\n";
  const String one = u"dword:1";
  const HostileStore cases[] = {
      {"bytes foreign to UTF-8", "[Software\\A]\nName=sz:" + gbk + "\nX=dword:00000001\n", rtl_test::FileKind::Regular,
       "[Software\\A]\nName=sz:" + gbk + "\nX=dword:00000001\n" + added + "\n", 0, {{u"X", one}}},
      {"a stray byte in UTF-8", "[Software\\A]\nName=sz:" + utf + "\nBad=sz:x\xFFy\n", rtl_test::FileKind::Regular,
       "[Software\\A]\nName=sz:" + utf + "\nBad=sz:x\xFFy\n" + added + "\n", 0, {{u"Name", U("第1轴")}}},
      {"UTF-8 mark", "\xEF\xBB\xBF[Software\\A]\nX=dword:00000001\n", rtl_test::FileKind::Regular,
       "\xEF\xBB\xBF[Software\\A]\nX=dword:00000001\n" + added + "\n", 0, {{u"X", one}}},
      {"CR-only line ends", "[Software\\A]\rX=dword:00000001\r[Software\\B]\rY=sz:b\r", rtl_test::FileKind::Regular,
       "[Software\\A]\rX=dword:00000001\r" + added + "\r[Software\\B]\rY=sz:b\r", 0, {{u"X", one}}},
      {"NUL bytes", "[Software\\A]\nZ=sz:a\0b\n\0\0\nX=dword:00000001\n"s, rtl_test::FileKind::Regular,
       "[Software\\A]\nZ=sz:a\0b\n\0\0\nX=dword:00000001\n"s + added + "\n", 0, {{u"Z", String(u"a\0b", 3)}}},
      {"lines not understood",
       "[Software\\A]\nX=dword:00000001\nQ=qword:01020304\nH=hex(3):abc\nD=dword:zz\nT=hex(x):00\n"
       "garbage\n# note\n[broken\nY=dword:00000002\n",
       rtl_test::FileKind::Regular,
       "[Software\\A]\nX=dword:00000001\nQ=qword:01020304\nH=hex(3):abc\nD=dword:zz\nT=hex(x):00\n" + added +
           "\ngarbage\n# note\n[broken\nY=dword:00000002\n",
       0, {{u"X", one}, {u"Q", u"<rc 13>"}, {u"H", u"<rc 13>"}, {u"D", u"<rc 13>"}, {u"T", u"<rc 13>"}, {u"Y", u"<rc 2>"}}},
      {"35 MB", "[Software\\A]\nX=dword:00000001\n" + big, rtl_test::FileKind::Regular,
       "[Software\\A]\nX=dword:00000001\n" + added + "\n" + big, 0, {{u"X", one}}},
      {"read-only", "[Software\\A]\nX=dword:00000001\n", rtl_test::FileKind::ReadOnly, "", ERROR_ACCESS_DENIED, {{u"X", one}}},
      {"FIFO", "", rtl_test::FileKind::Fifo, "", ERROR_ACCESS_DENIED, {}},
      {"folder", "", rtl_test::FileKind::Folder, "", ERROR_ACCESS_DENIED, {}},
      {"UTF-16", rtl_test::Utf16Le(u"\uFEFF[Software\\A]\nX=dword:00000001\n"), rtl_test::FileKind::Regular, "",
       ERROR_INVALID_DATA, {}},
  };
  const std::string path = tmp_.path() + "/HKEY_CURRENT_USER.reg";
  for (const HostileStore& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove_all(path);
    rtl_test::PlaceFile(path, c.before, c.kind);
    const std::string was = rtl_test::Snapshot(path);
    HKEY key = 0;
    const LONG opened = RegOpenKeyEx(HKEY_CURRENT_USER, u"Software\\A", 0, KEY_ALL_ACCESS, &key);
    const std::uint32_t seven = 7;
    const LONG set = opened != ERROR_SUCCESS
                         ? opened
                         : RegSetValueEx(key, u"New", REG_DWORD, reinterpret_cast<const std::uint8_t*>(&seven), 4);
    for (const auto& [name, value] : c.probes) EXPECT_EQ(Describe(key, name), value) << StringToUtf8(name);
    if (c.after.empty()) {
      EXPECT_EQ(set, c.refusal);
      HKEY other;
      EXPECT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, u"Software\\C", KEY_ALL_ACCESS, &other, nullptr), c.refusal);
      EXPECT_EQ(rtl_test::Snapshot(path), was);
    } else {
      EXPECT_EQ(set, ERROR_SUCCESS);
      EXPECT_TRUE(rtl_test::Bytes(Utf8ToString(path)) == c.after);  // no 35 MB dump on failure
      EXPECT_EQ(Describe(key, u"New"), u"dword:7");
      // Deleting the value again gives the file back.
      EXPECT_EQ(RegDeleteValue(key, u"New"), ERROR_SUCCESS);
      EXPECT_TRUE(rtl_test::Bytes(Utf8ToString(path)) == c.before);
    }
    RegCloseKey(key);
  }
}

// Names with the file format's own characters, comment marks and blanks
// come back as they were written; names UTF-8 cannot carry are refused.
TEST_F(Registry, OddNamesComeBack) {
  const String keyPath = u"Software\\;odd [=] %41\\#x";
  HKEY key;
  ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, keyPath, KEY_ALL_ACCESS, &key, nullptr), ERROR_SUCCESS);
  const std::vector<String> names = {u";k", u"#k", u"@", u"a=b", u" k ", u"[k]", u"%41", u"a\nb", U("名字"),
                                     u"", String(u"k\0x", 3)};
  for (const String& n : names) {
    const auto data = Sz(u"v" + n);
    ASSERT_EQ(RegSetValueEx(key, n, REG_SZ, data.data(), static_cast<std::uint32_t>(data.size())), ERROR_SUCCESS);
  }
  const String lone(1, u'\xD800');
  EXPECT_EQ(RegSetValueEx(key, lone, REG_SZ, nullptr, 0), ERROR_INVALID_PARAMETER);
  HKEY bad;
  EXPECT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, u"Software\\" + lone, KEY_ALL_ACCESS, &bad, nullptr),
            ERROR_INVALID_PARAMETER);
  RegCloseKey(key);
  ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, keyPath, 0, KEY_READ, &key), ERROR_SUCCESS);
  std::vector<String> listed;
  for (std::uint32_t i = 0;; ++i) {
    char16_t name[64];
    std::uint32_t chars = 64;
    if (RegEnumValue(key, i, name, &chars, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    listed.emplace_back(name, chars);
  }
  EXPECT_EQ(listed, names);
  for (const String& n : names) EXPECT_EQ(ReadSz(key, n), u"v" + n);
  RegCloseKey(key);
}
