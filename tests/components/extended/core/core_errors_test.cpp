#include <gtest/gtest.h>

#include "components/extended/core/core_errors.h"
#include "components/extended/core/core_reference_tables.h"

using namespace ext;

TEST(CoreErrors, Win32ErrorCarriesThePlatformLine) {
  rtl::SetLastError(5);
  ECoreWin32Error e(u"Open failed");
  EXPECT_EQ(e.LastError(), 5u);
  EXPECT_EQ(e.Message(), u"Open failed\r\nWin32: " + rtl::SysErrorMessage(5) + u" (5)");
  EXPECT_TRUE(dynamic_cast<ECoreError*>(&e));
}

TEST(CoreErrors, FormattedConstructorNeverReadsThePlatformTextAsFormat) {
  // An unknown code's text is "Unknown error <n>"; the caller's own text
  // takes its arguments, and a '%' in it is formatted as usual.
  rtl::SetLastError(2);
  ECoreWin32Error e(u"Cannot open %s at 100%%", {u"a.txt"});
  EXPECT_EQ(e.Message(), u"Cannot open a.txt at 100%\r\nWin32: " + rtl::SysErrorMessage(2) + u" (2)");
  EXPECT_EQ(e.LastErrorMsg(), rtl::SysErrorMessage(2));
  // The platform line is appended as it stands even when it holds a '%'.
  rtl::SetLastError(0x7FFF0001);
  ECoreWin32Error f(u"step %d", {3});
  EXPECT_EQ(f.Message().substr(0, 14), u"step 3\r\nWin32:");
  TCoreResString rec{u"From resources"};
  rtl::SetLastError(5);
  EXPECT_EQ(ECoreWin32Error::CreateRes(rec).Message().substr(0, 14), u"From resources");
}

TEST(ReferenceTables, RowsAndLookups) {
  EXPECT_EQ(MapiErrorMessages.size(), 26u);
  EXPECT_STREQ(MapiErrorMessages[0], "User abort");
  EXPECT_STREQ(MapiErrorMessages[25], "Err");
  ASSERT_NE(FindRootKey(0x80000002u), nullptr);
  EXPECT_EQ(FindRootKey(0x80000002u)->Name, u"HKEY_LOCAL_MACHINE");
  EXPECT_EQ(RootKeys()[9].Name, u"HKLM");
  EXPECT_STREQ(AnsiRootKeys[9].Name, "HKLM");
  EXPECT_EQ(CharsetInfos().size(), 302u);
  bool gbk = false;
  for (const auto& c : CharsetInfos())
    if (std::u16string_view(c.Name) == u"GBK") gbk = c.CodePage == 936 && c.FamilyCodePage == 936;
  EXPECT_TRUE(gbk);
  EXPECT_EQ(CacheInfos().size(), 88u);
  const TCacheInfo* c = FindCacheInfo(0x2C);
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->Family, cfL1DataCache);
  EXPECT_EQ(c->Size, 32u);
  EXPECT_EQ(c->WaysOfAssoc, 8);
  EXPECT_EQ(c->LineSize, 64);
  EXPECT_EQ(FindCacheInfo(0x7C)->LinePerSector, 2);
  EXPECT_EQ(FindCacheInfo(0x70)->Family, cfTrace);
  EXPECT_EQ(FindCacheInfo(0x07), nullptr);
  EXPECT_EQ(PropertyStoreIgnoreList.size(), 18u);
  EXPECT_EQ(std::u16string_view(PropertyStoreIgnoreList[17]), u"SynchronizeStoreProperties");
}
