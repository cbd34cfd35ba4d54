#include <gtest/gtest.h>

#include <memory>

#include "components/extended/ext_core_utils.h"
#include "components/extended/ext_draw_utils.h"
#include "platform/runtime/format_settings.h"
#include "platform/ui/ui.h"
#include "tests/components/extended/ext_test_util.h"

using namespace ext;

using exttest::Separators;

TEST(ExtCoreUtils, TextRoutines) {
  EXPECT_EQ(CharRun(u'x', 3), u"xxx");
  EXPECT_EQ(CharRun(u'x', 0), u"");
  EXPECT_EQ(CharRun(u'x', -2), u"");
  EXPECT_EQ(ReplaceAll(u"aaa", u"aa", u"b"), u"ba");
  EXPECT_EQ(ReplaceAll(u"a.b.c", u".", u"::"), u"a::b::c");
  // An empty search text finds nothing (it used to loop for ever).
  EXPECT_EQ(ReplaceAll(u"abc", u"", u"x"), u"abc");
  EXPECT_EQ(RemoveChar(u"1,234,5", u','), u"12345");
  EXPECT_EQ(TrimSpaces(u"  a b \t "), u"a b \t");
  EXPECT_EQ(TrimLeftSpaces(u"  a "), u"a ");
  EXPECT_EQ(TrimRightSpaces(u"  a "), u"  a");
}

TEST(ExtCoreUtils, NumberTexts) {
  Separators s(u'.', u',');
  EXPECT_EQ(NormalizeNumberText(u" 1,234.5 "), u"1234.5");
  EXPECT_EQ(NormalizeNumberText(u"abc"), u"0");
  EXPECT_EQ(NormalizeNumberText(u"-"), u"-0");
  EXPECT_EQ(StripThousands(u"1,234,567"), u"1234567");
  Separators german(u',', u'.');
  EXPECT_EQ(NormalizeNumberText(u"1.234,5"), u"1234,5");
  Separators same(u'.', u'.');
  EXPECT_EQ(StripThousands(u"1.5"), u"1.5");
}

TEST(ExtCoreUtils, ComponentReferenceFollowsFreeing) {
  ui::TComponent* reference = nullptr;
  struct Holder : ui::TComponent {
    using ui::TComponent::TComponent;
    ui::TComponent* ref = nullptr;
    void Notification(ui::TComponent* c, ui::TOperation op) override {
      ui::TComponent::Notification(c, op);
      if (op == ui::opRemove && c == ref) ref = nullptr;
    }
  } holder(nullptr);
  auto* target = new ui::TComponent(nullptr);
  EXPECT_TRUE(ReplaceComponentReference(&holder, target, holder.ref));
  EXPECT_FALSE(ReplaceComponentReference(&holder, target, holder.ref));
  EXPECT_FALSE(ReplaceComponentReference(nullptr, target, reference));
  delete target;
  EXPECT_EQ(holder.ref, nullptr);
}

TEST(ExtDrawUtils, DisabledImageEmbossesTheShape) {
  ui::TBitmap src(4, 4);
  src.Canvas()->Brush()->SetColor(ui::clWhite);
  src.Canvas()->FillRect(ui::Rect(0, 0, 4, 4));
  src.Canvas()->SetPixel(1, 1, ui::clBlack);
  std::unique_ptr<ui::TBitmap> img(MakeDisabledImage(&src, ui::clBlack, ui::clRed, true, ui::clBlue, ui::clLime));
  EXPECT_EQ(ui::ColorToRGB(img->Canvas()->Pixel(1, 1)), ui::ColorToRGB(ui::clBlue));
  EXPECT_EQ(ui::ColorToRGB(img->Canvas()->Pixel(2, 2)), ui::ColorToRGB(ui::clLime));
  EXPECT_EQ(ui::ColorToRGB(img->Canvas()->Pixel(0, 0)), ui::ColorToRGB(ui::clRed));
  EXPECT_EQ(RectWidthAbs(ui::Rect(10, 0, 4, 3)), 6);
  EXPECT_EQ(RectHeightAbs(ui::Rect(0, 9, 4, 3)), 6);
  EXPECT_TRUE(CheckOSResult(true));
  rtl::SetLastError(5);
  EXPECT_THROW(CheckOSResult(false), rtl::EOSError);
}
