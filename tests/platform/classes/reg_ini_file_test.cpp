#include "platform/classes/reg_ini_file.h"

#include <gtest/gtest.h>

using rtl::String;
using rtl::TRegIniFile;

namespace {

TEST(RegIniFile, SectionsAreSubkeysAndTheEmptyNameIsTheDefaultValue) {
  TRegIniFile ini(u"Software\\RegIniTest");
  ini.WriteString(u"Form1Grid1", u"Grid1.Name", u"0,64,1,1,1,7,0,0,1");
  ini.WriteString(u"Form1Grid1", u"", u"20,0");
  EXPECT_EQ(ini.ReadString(u"Form1Grid1", u"Grid1.Name", u"-"), u"0,64,1,1,1,7,0,0,1");
  EXPECT_EQ(ini.ReadString(u"Form1Grid1", u"", u"-"), u"20,0");

  // Another object on the same path reads what the first wrote.
  TRegIniFile again(u"Software\\RegIniTest");
  EXPECT_EQ(again.ReadString(u"form1grid1", u"grid1.name", u"-"), u"0,64,1,1,1,7,0,0,1");

  std::uint32_t type = 0, size = 0;
  rtl::HKEY key = 0;
  ASSERT_EQ(
      rtl::RegOpenKeyEx(rtl::HKEY_CURRENT_USER, u"Software\\RegIniTest\\Form1Grid1", 0, rtl::KEY_READ, &key),
      rtl::ERROR_SUCCESS);
  EXPECT_EQ(rtl::RegQueryValueEx(key, u"", &type, nullptr, &size), rtl::ERROR_SUCCESS);
  EXPECT_EQ(type, rtl::REG_SZ);
  rtl::RegCloseKey(key);
}

TEST(RegIniFile, EraseSectionRemovesTheSubkeyWithItsChildren) {
  TRegIniFile ini(u"Software\\RegIniErase");
  ini.WriteString(u"S", u"a", u"1");
  ini.WriteString(u"S\\Inner", u"b", u"2");
  ini.WriteString(u"Other", u"c", u"3");
  ini.EraseSection(u"S");
  EXPECT_EQ(ini.ReadString(u"S", u"a", u"gone"), u"gone");
  EXPECT_EQ(ini.ReadString(u"S\\Inner", u"b", u"gone"), u"gone");
  EXPECT_EQ(ini.ReadString(u"Other", u"c", u"gone"), u"3");
  // Erasing what is not there is no error.
  EXPECT_NO_THROW(ini.EraseSection(u"Missing"));
  EXPECT_EQ(rtl::RegistryTestOpenKeyCount(), 0u);
}

TEST(RegIniFile, NonTextValuesReadAsTheDefault) {
  TRegIniFile ini(u"Software\\RegIniTypes");
  ini.WriteString(u"S", u"text", u"x");
  rtl::HKEY key = 0;
  ASSERT_EQ(
      rtl::RegOpenKeyEx(rtl::HKEY_CURRENT_USER, u"Software\\RegIniTypes\\S", 0, rtl::KEY_ALL_ACCESS, &key),
      rtl::ERROR_SUCCESS);
  const std::uint8_t dword[4] = {1, 0, 0, 0};
  rtl::RegSetValueEx(key, u"number", rtl::REG_DWORD, dword, 4);
  rtl::RegCloseKey(key);
  EXPECT_EQ(ini.ReadString(u"S", u"number", u"def"), u"def");
}

}  // namespace
