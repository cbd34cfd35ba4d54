#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/runtime/exceptions.h"
#include "platform/runtime/format.h"
#include "platform/runtime/version_info.h"

using namespace rtl;

namespace {

String QueryText(const std::vector<char>& block, const String& path) {
  const void* p = nullptr;
  std::uint32_t len = 0;
  if (!VerQueryValue(block.data(), path, &p, &len)) return u"<none>";
  String s(static_cast<const char16_t*>(p), len);
  while (!s.empty() && s.back() == 0) s.pop_back();
  return s;
}

std::vector<char> ReadBlock(const String& file) {
  std::uint32_t handle = 1;
  const std::uint32_t size = GetFileVersionInfoSize(file, &handle);
  EXPECT_EQ(handle, 0u);
  std::vector<char> block(size);
  if (size) {
    EXPECT_TRUE(GetFileVersionInfo(file, handle, size, block.data()));
  }
  return block;
}

}  // namespace

TEST(VersionInfo, BlockBuiltIntoAProgramReadsBack) {
  const std::vector<char> block = ReadBlock(Utf8ToString(JQ_VERSIONED_PROBE));
  ASSERT_FALSE(block.empty());

  const void* p = nullptr;
  std::uint32_t len = 0;
  ASSERT_TRUE(VerQueryValue(block.data(), u"\\", &p, &len));
  ASSERT_EQ(len, 52u);
  VS_FIXEDFILEINFO fixed;
  std::memcpy(&fixed, p, sizeof fixed);
  EXPECT_EQ(fixed.dwSignature, VS_FFI_SIGNATURE);
  EXPECT_EQ(fixed.dwFileVersionMS, 4u << 16);
  EXPECT_EQ(fixed.dwFileVersionLS, 0u);
  EXPECT_EQ(fixed.dwFileType, VFT_APP);

  // The translation entry gives the key prefix, "%.4x" lower-case.
  ASSERT_TRUE(VerQueryValue(block.data(), u"\\VarFileInfo\\Translation", &p, &len));
  ASSERT_EQ(len, 4u);
  std::uint16_t lang, cp;
  std::memcpy(&lang, p, 2);
  std::memcpy(&cp, static_cast<const char*>(p) + 2, 2);
  const String prefix = Format(u"StringFileInfo\\%.4x%.4x\\", {lang, cp});
  EXPECT_EQ(LowerCase(prefix), u"stringfileinfo\\080404b0\\");
  const String lower = u"StringFileInfo\\080404b0\\";

  EXPECT_EQ(QueryText(block, lower + u"FileVersion"), Utf8ToString(JQ_PROJECT_VERSION));
  EXPECT_EQ(QueryText(block, u"\\" + lower + u"productversion"), Utf8ToString(JQ_PROJECT_VERSION));
  EXPECT_EQ(QueryText(block, lower + u"FileDescription"), U("版本测试程序"));
  EXPECT_EQ(QueryText(block, lower + u"OriginalFilename"), u"runtime_versioned_probe");
  EXPECT_EQ(QueryText(block, lower + u"Comments"), u"probe");
  for (const char16_t* key : {u"CompanyName", u"InternalName", u"LegalCopyright", u"LegalTrademarks", u"ProductName"})
    EXPECT_NE(QueryText(block, lower + key), u"<none>") << StringToUtf8(key);
  EXPECT_EQ(QueryText(block, lower + u"NoSuchKey"), u"<none>");
}

TEST(VersionInfo, FilesWithoutABlockFail) {
  std::uint32_t handle;
  EXPECT_EQ(GetFileVersionInfoSize(Utf8ToString(JQ_PLAIN_PROBE), &handle), 0u);
  EXPECT_EQ(GetLastError(), 1813u);
  EXPECT_EQ(GetFileVersionInfoSize(u"/no/such/file", &handle), 0u);
  EXPECT_EQ(GetLastError(), 2u);
  EXPECT_EQ(GetFileVersionInfoSize(u"/etc/hostname", &handle), 0u);  // not a program
  char buf[16];
  EXPECT_FALSE(GetFileVersionInfo(Utf8ToString(JQ_PLAIN_PROBE), 0, sizeof buf, buf));
}

TEST(VersionInfo, BuiltBlockIsWellFormedAndBounded) {
  VersionBlockFields f;
  f.fileVersion[0] = 1, f.fileVersion[3] = 9;
  f.strings = {{u"CompanyName", u"JQ"}, {u"Empty", u""}};
  const std::string b = BuildVersionBlock(f);
  EXPECT_EQ(b.size() % 4, 0u);
  EXPECT_EQ(static_cast<unsigned char>(b[0]) | static_cast<unsigned char>(b[1]) << 8, static_cast<int>(b.size()));
  const void* p;
  std::uint32_t len;
  ASSERT_TRUE(VerQueryValue(b.data(), static_cast<std::uint32_t>(b.size()), u"\\StringFileInfo\\080404B0\\empty", &p, &len));
  EXPECT_EQ(len, 1u);  // just the NUL
  // A truncated block never reads past its end.
  EXPECT_FALSE(VerQueryValue(b.data(), 40, u"\\StringFileInfo\\080404b0\\CompanyName", &p, &len));
  EXPECT_FALSE(VerQueryValue(b.data(), static_cast<std::uint32_t>(b.size()), u"\\Nothing", &p, &len));
}
