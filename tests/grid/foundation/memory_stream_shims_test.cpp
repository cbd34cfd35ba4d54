// The growing memory stream and the platform routines of the grid library.
#include <gtest/gtest.h>

#include <limits>

#include "platform/runtime/exceptions.h"
#include "grid/foundation/grid_platform_shims.h"
#include "tests/platform/ui/harness.h"
#include "grid/foundation/memory_stream_ex.h"

namespace {

using namespace grid;

TEST(MemoryStreamEx, GrowsInStepsOf8K) {
  TMemoryStreamEx s;
  const char b = 'x';
  s.WriteBuffer(&b, 1);
  EXPECT_EQ(s.StreamCapacity(), 8192);
  TMemoryStreamEx t;
  t.SetSize(9000);
  EXPECT_EQ(t.StreamCapacity(), 16384);
  EXPECT_EQ(t.Size(), 9000);
  std::string big(20000, 'a');
  s.WriteBuffer(big.data(), static_cast<std::int64_t>(big.size()));
  EXPECT_EQ(s.StreamCapacity() % 8192, 0);
  EXPECT_EQ(s.Size(), 20001);
}

TEST(MemoryStreamEx, HugeSizeIsRefusedAndKeepsTheData) {
  TMemoryStreamEx s;
  s.WriteBuffer("abc", 3);
  for (std::int64_t n : {std::numeric_limits<std::int64_t>::max() - 100, std::int64_t{1} << 62}) {
    try {
      s.SetSize(n);
      ADD_FAILURE() << "accepted " << n;
    } catch (const rtl::EStreamError& e) {
      EXPECT_STREQ(e.what(), "Out of memory while expanding memory stream");
    }
    EXPECT_EQ(s.Size(), 3);
    EXPECT_EQ(s.ToBytes(), "abc");
  }
}

TEST(GridPlatformShims, ByteSetAndConversions) {
  TByteSet set{};
  set[65 / 32] |= 1u << (65 % 32);
  set[255 / 32] |= 1u << (255 % 32);
  EXPECT_TRUE(WideCharInByteSet(u'A', set));
  EXPECT_FALSE(WideCharInByteSet(u'B', set));
  EXPECT_TRUE(WideCharInByteSet(255, set));
  for (char16_t c : {char16_t(256), char16_t(256 + 65), char16_t(0xFFFF)}) EXPECT_FALSE(WideCharInByteSet(c, set));
  EXPECT_EQ(LParamToSmallPoint(SmallPointToLParam(-5, 300)), (ui::TPoint{-5, 300}));
  EXPECT_EQ(ZeroRect(), (ui::TRect{0, 0, 0, 0}));
  EXPECT_LT(CompareTextLocale(u"abc", u"ABD"), 0);
  EXPECT_EQ(CompareTextLocale(u"abc", u"ABC"), 0);
  EXPECT_NE(CompareStrLocale(u"abc", u"ABC"), 0);
  EXPECT_EQ(UpperCaseLocale(u"grüße"), u"GRÜßE");
}

TEST(GridPlatformShims, EditSelectionThroughTheWindow) {
  uitest::Harness h;
  ui::TForm* form = h.MakeForm<ui::TForm>();
  auto* edit = new ui::TEdit(form);
  edit->SetParent(form);
  edit->SetText(u"hello");
  h.Show(form);
  edit->SetSelStart(1);
  edit->SetSelLength(3);
  int s = -1, e = -1;
  QueryEditSelection(edit, s, e);
  EXPECT_EQ(s, 1);
  EXPECT_EQ(e, 4);
}

}  // namespace
