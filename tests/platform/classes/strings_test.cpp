// The string-list hierarchy: what TStrings gives every list (names and
// values, objects, quoting, Assign across kinds), and TStringList's own rules.
#include <gtest/gtest.h>

#include <vector>

#include "platform/classes/string_list.h"

namespace {

using rtl::String;
using ui::TStringList;
using ui::TStrings;

// A list that keeps only texts, like a control's items.
class PlainStrings : public TStrings {
 public:
  int Count() const override { return static_cast<int>(items.size()); }
  String Get(int Index) const override {
    if (Index < 0 || Index >= Count()) IndexError(Index);
    return items[Index];
  }
  void Insert(int Index, const String& S) override {
    if (Index < 0 || Index > Count()) IndexError(Index);
    items.insert(items.begin() + Index, S);
  }
  void Delete(int Index) override {
    if (Index < 0 || Index >= Count()) IndexError(Index);
    items.erase(items.begin() + Index);
  }
  void Clear() override { items.clear(); }
  std::vector<String> items;
};

TEST(Strings, NamesAndValuesWorkOnAnyList) {
  PlainStrings p;
  p.SetText(u"Port=COM1\r\nBaud=9600\r\nnoValue\r\n");
  EXPECT_EQ(p.Values(u"baud"), u"9600");
  EXPECT_EQ(p.Names(0), u"Port");
  EXPECT_EQ(p.ValueFromIndex(1), u"9600");
  EXPECT_EQ(p.IndexOfName(u"novalue"), -1);
  p.SetValues(u"Baud", u"115200");
  EXPECT_EQ(p.Get(1), u"Baud=115200");
  p.SetValues(u"Port", u"");  // an empty value removes the line
  EXPECT_EQ(p.Count(), 2);
  p.SetValues(u"Parity", u"N");
  EXPECT_EQ(p.Text(), u"Baud=115200\r\nnoValue\r\nParity=N\r\n");
  EXPECT_EQ(p.CommaText(), u"Baud=115200,noValue,Parity=N");
  // No objects here: reading answers nullptr, storing is ignored.
  p.PutObject(0, &p);
  EXPECT_EQ(p.Objects(0), nullptr);
  EXPECT_THROW(p.Get(3), rtl::EStringListError);
}

TEST(Strings, AssignCarriesObjectsAndSettingsBetweenKinds) {
  int a = 1, b = 2;
  TStringList src;
  src.NameValueSeparator = u':';
  src.AddObject(u"x:1", &a);
  src.AddObject(u"y:2", &b);

  TStringList copy;
  copy.Assign(src);
  ASSERT_EQ(copy.Count(), 2);
  EXPECT_EQ(copy.Objects(1), &b);
  EXPECT_EQ(copy.Values(u"Y"), u"2");
  EXPECT_EQ(copy.IndexOfObject(&a), 0);

  PlainStrings plain;
  plain.Assign(src);
  EXPECT_EQ(plain.items, (std::vector<String>{u"x:1", u"y:2"}));
  TStringList back;
  back.Assign(&plain);
  EXPECT_EQ(back.Text(), src.Text());

  // A plain list swaps and moves texts through the generic paths.
  plain.Exchange(0, 1);
  EXPECT_EQ(plain.items[0], u"y:2");
  plain.Add(u"z:3");
  plain.Move(2, 0);
  EXPECT_EQ(plain.CommaText(), u"z:3,y:2,x:1");
}

TEST(Strings, SortedListKeepsObjectsWithTheirTexts) {
  int one = 1, two = 2, three = 3;
  TStringList l;
  l.AddObject(u"b", &two);
  l.AddObject(u"c", &three);
  l.AddObject(u"a", &one);
  l.SetSorted(true);
  EXPECT_EQ(l.CommaText(), u"a,b,c");
  EXPECT_EQ(l.Objects(0), &one);
  EXPECT_EQ(l.Objects(2), &three);
  EXPECT_THROW(l.SetStrings(0, u"z"), rtl::EStringListError);
  EXPECT_THROW(l.Exchange(0, 1), rtl::EStringListError);
  l.SetCaseSensitive(true);
  EXPECT_EQ(l.IndexOf(u"B"), -1);
  EXPECT_EQ(l.IndexOf(u"b"), 1);
}

TEST(Strings, ChangeEventsWrapBatchesOnce) {
  TStringList l;
  int changing = 0, changed = 0;
  l.OnChanging = [&](ui::TObject* sender) {
    EXPECT_EQ(sender, &l);
    ++changing;
  };
  l.OnChange = [&](ui::TObject*) { ++changed; };
  l.SetCommaText(u"a,b,c");
  EXPECT_EQ(changing, 1);
  EXPECT_EQ(changed, 1);
  TStringList other;
  other.Add(u"x");
  l.Assign(other);
  EXPECT_EQ(changed, 2);
  EXPECT_EQ(l.Text(), u"x\r\n");
}

}  // namespace
