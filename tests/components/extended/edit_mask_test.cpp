#include "platform/runtime/edit_mask.h"

#include <gtest/gtest.h>

using rtl::String;
using rtl::TEditMask;

TEST(EditMask, Table) {
  struct Row {
    const char16_t* mask;
    const char16_t* value;    // text given to Apply
    const char16_t* display;  // what the edit shows
    const char16_t* stripped; // the value read back
    bool complete;
  };
  const Row rows[] = {
      {u"000-0000;1;_", u"555-1234", u"555-1234", u"555-1234", true},
      {u"000-0000;0;_", u"5551234", u"555-1234", u"5551234", true},
      {u"000-0000;1;_", u"55", u"55_-____", u"55 -", false},
      {u"999;0;*", u"7", u"7**", u"7", true},
      {u">LL-00;0;_", u"ab12", u"AB-12", u"AB12", true},
      {u"<LL;0;_", u"AB", u"ab", u"ab", true},
      {u"LL;0;_", u"a1", u"a_", u"a", false},
      {u"\\(000\\);1;_", u"(123)", u"(123)", u"(123)", true},
      {u"#99;0;_", u"-12", u"-12", u"-12", true},
      {u"AAA;0;_", u"a1!", u"a1_", u"a1", false},
      {u"ccc;0;_", u"x y", u"x y", u"x y", true},
  };
  for (const Row& r : rows) {
    TEditMask m(r.mask);
    String shown = m.Apply(r.value);
    EXPECT_EQ(shown, String(r.display)) << rtl::StringToUtf8(r.mask);
    EXPECT_EQ(m.Strip(shown), String(r.stripped)) << rtl::StringToUtf8(r.mask);
    EXPECT_EQ(m.Complete(shown), r.complete) << rtl::StringToUtf8(r.mask);
  }
}

TEST(EditMask, EditablePositions) {
  TEditMask m(u"00/00;1;_");
  EXPECT_EQ(m.Length(), 5);
  EXPECT_TRUE(m.IsLiteral(2));
  EXPECT_EQ(m.NextEditable(2), 3);
  EXPECT_EQ(m.PrevEditable(3), 1);
  EXPECT_EQ(m.NextEditable(5), 5);
  EXPECT_EQ(m.PrevEditable(0), -1);
  EXPECT_FALSE(m.Accept(0, u'x'));
  EXPECT_EQ(*m.Accept(0, u'4'), u'4');
  EXPECT_TRUE(TEditMask(u"").Empty());
}
