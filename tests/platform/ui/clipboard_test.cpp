// The clipboard: text and a registered binary format round trip, nested opens.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <cstring>

#include "platform/ui/clipboard.h"
#include "tests/platform/ui/harness.h"

namespace {

using namespace ui;

TEST(ClipboardTest, TextAndARegisteredBinaryFormatRoundTrip) {
  uitest::Harness h;
  const unsigned fmt = RegisterClipboardFormat(u"VCLDBIF");
  EXPECT_GE(fmt, 0xC000u);
  EXPECT_EQ(RegisterClipboardFormat(u"vcldbif"), fmt);  // names ignore case
  EXPECT_NE(RegisterClipboardFormat(u"Csv"), fmt);
  EXPECT_EQ(ClipboardFormatName(fmt), u"VCLDBIF");
  EXPECT_EQ(RegisterClipboardFormat(u""), 0u);

  const std::vector<std::uint8_t> blob = {0, 1, 2, 0xFF, 0, 0x80, 7};
  TClipboard* cb = Clipboard();
  cb->Open();
  cb->SetAsText(u"列1\t列2\r\n");
  cb->SetBuffer(fmt, blob.data(), blob.size());
  // Nothing shows before the outermost Close.
  EXPECT_NE(QApplication::clipboard()->text(), QStringLiteral("列1\t列2\r\n"));
  cb->Close();
  EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("列1\t列2\r\n"));
  EXPECT_TRUE(cb->HasFormat(CF_UNICODETEXT));
  EXPECT_TRUE(cb->HasFormat(CF_TEXT));
  EXPECT_TRUE(cb->HasFormat(fmt));
  EXPECT_EQ(cb->AsText(), u"列1\t列2\r\n");
  EXPECT_EQ(cb->GetBuffer(fmt), blob);
  // 8-bit text comes in the system code page (GBK), closed by a zero.
  std::vector<std::uint8_t> ansi = cb->GetBuffer(CF_TEXT);
  ASSERT_EQ(ansi.size(), 10u);
  EXPECT_EQ(ansi[0], 0xC1);
  EXPECT_EQ(ansi.back(), 0);
  std::vector<std::uint8_t> wide = cb->GetBuffer(CF_UNICODETEXT);
  EXPECT_EQ(wide.size(), 2 * 7u + 2);

  // A write outside Open replaces everything held.
  const char gbk[] = "\xD6\xD0";  // 中
  cb->SetBuffer(CF_TEXT, gbk, sizeof gbk);
  EXPECT_EQ(cb->AsText(), u"中");
  EXPECT_FALSE(cb->HasFormat(fmt));
  EXPECT_TRUE(cb->GetBuffer(fmt).empty());
  cb->Clear();
  EXPECT_FALSE(cb->HasFormat(CF_TEXT));
  EXPECT_EQ(cb->AsText(), u"");
}

}  // namespace

namespace {

using namespace ui;

TEST(ClipboardTest, MovableBlocksCarryAFormatBothWays) {
  uitest::Harness h;
  const unsigned fmt = RegisterClipboardFormat(u"Csv");
  const char csv[] = "a;b\r\n1;2\r\n";
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, sizeof csv);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(GlobalSize(block), sizeof csv);
  std::memcpy(GlobalLock(block), csv, sizeof csv);
  EXPECT_FALSE(GlobalUnlock(block));  // last lock gone

  TClipboard* cb = Clipboard();
  cb->Open();
  cb->SetAsText(u"x");
  cb->SetAsHandle(fmt, block);  // the clipboard takes the block
  cb->Close();
  EXPECT_EQ(GlobalSize(block), 0u);  // freed: a stale handle reads as nothing
  EXPECT_EQ(GlobalLock(block), nullptr);
  EXPECT_EQ(GlobalFree(block), block);
  EXPECT_EQ(cb->AsText(), u"x");

  HGLOBAL got = cb->GetAsHandle(fmt);
  ASSERT_NE(got, nullptr);
  ASSERT_EQ(GlobalSize(got), sizeof csv);
  EXPECT_EQ(std::memcmp(GlobalLock(got), csv, sizeof csv), 0);
  GlobalUnlock(got);
  // Text formats come as blocks too; an absent format gives none.
  HGLOBAL text = cb->GetAsHandle(CF_UNICODETEXT);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(GlobalSize(text), 4u);
  EXPECT_EQ(cb->GetAsHandle(RegisterClipboardFormat(u"Rich Text Format")), nullptr);

  // A bad handle is refused and what the clipboard held stays.
  int notABlock = 0;
  EXPECT_THROW(cb->SetAsHandle(fmt, &notABlock), rtl::Exception);
  EXPECT_EQ(cb->AsText(), u"x");
  EXPECT_TRUE(cb->HasFormat(fmt));
}

}  // namespace
