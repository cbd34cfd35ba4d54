// States, fields and Null, bookmarks, calculated and lookup fields of the
// dataset framework, on the vector-backed test dataset.
#include <gtest/gtest.h>

#include "tests/platform/data/vector_dataset.h"

using namespace db;
using dbtest::TVectorDataSet;

namespace {

std::string Msg(const std::exception& e) { return e.what(); }

template <class F>
std::string ErrorOf(F f) {
  try {
    f();
  } catch (const EDatabaseError& e) {
    return Msg(e);
  }
  return "<no error>";
}

struct People : ::testing::Test {
  TVectorDataSet ds;
  void SetUp() override {
    ds.FieldDefs().Add(u"ID", ftInteger);
    ds.FieldDefs().Add(u"Name", ftString, 5);
    ds.FieldDefs().Add(u"Amount", ftFloat);
    ds.FieldDefs().Add(u"Flag", ftBoolean);
    ds.FieldDefs().Add(u"Day", ftDate);
    ds.FieldDefs().Add(u"Big", ftLargeint);
    ds.FieldDefs().Add(u"Wide", ftWideString, 3);
    ds.FieldDefs().Add(u"Raw", ftVarBytes, 4);
    ds.FieldDefs().Add(u"Small", ftSmallint);
    ds.FieldDefs().Add(u"Stamp", ftDateTime);
    ds.FieldDefs().Add(u"Money", ftBCD, 2);
    ds.Open();
  }
  void Add(int id, const String& name) {
    ds.Append();
    ds.FieldByName(u"ID")->SetAsInteger(id);
    ds.FieldByName(u"Name")->SetAsString(name);
    ds.Post();
  }
  std::vector<int> Ids() {
    std::vector<int> out;
    ds.First();
    while (!ds.Eof()) {
      out.push_back(ds.FieldByName(u"ID")->AsInteger());
      ds.Next();
    }
    return out;
  }
};

TEST_F(People, StatesFollowEditingAndRefuseWhatTheStateForbids) {
  EXPECT_EQ(ds.State(), dsBrowse);
  EXPECT_TRUE(ds.IsEmpty());
  EXPECT_TRUE(ds.Bof() && ds.Eof());
  EXPECT_EQ(ErrorOf([&] { ds.FieldByName(u"ID")->SetAsInteger(1); }), "Dataset not in edit or insert mode");
  EXPECT_EQ(ErrorOf([&] { ds.Post(); }), "Dataset not in edit or insert mode");
  EXPECT_EQ(ErrorOf([&] { ds.Delete(); }), "Cannot perform this operation on an empty dataset");
  EXPECT_EQ(ErrorOf([&] { ds.FieldByName(u"Nope"); }), "Field 'Nope' not found");
  EXPECT_EQ(ds.FindField(u"nope"), nullptr);
  EXPECT_EQ(ds.FindField(u"name"), ds.Fields(1));  // names are case-insensitive

  ds.Edit();  // an empty set starts an insert
  EXPECT_EQ(ds.State(), dsInsert);
  EXPECT_FALSE(ds.Modified());
  ds.FieldByName(u"ID")->SetAsInteger(1);
  EXPECT_TRUE(ds.Modified());
  ds.Post();
  EXPECT_EQ(ds.State(), dsBrowse);
  EXPECT_EQ(ds.RecordCount(), 1);

  ds.Edit();
  EXPECT_EQ(ds.State(), dsEdit);
  ds.FieldByName(u"ID")->SetAsInteger(2);
  ds.Cancel();
  EXPECT_EQ(ds.State(), dsBrowse);
  EXPECT_EQ(ds.FieldByName(u"ID")->AsInteger(), 1);

  // An unmodified insert is dropped when browsing resumes; a modified one posts.
  ds.Insert();
  ds.CheckBrowseMode();
  EXPECT_EQ(ds.RecordCount(), 1);
  ds.Insert();
  ds.FieldByName(u"ID")->SetAsInteger(0);
  ds.Next();  // leaving the record posts it
  EXPECT_EQ(ds.RecordCount(), 2);

  ds.Close();
  EXPECT_EQ(ds.State(), dsInactive);
  EXPECT_EQ(ErrorOf([&] { ds.Next(); }), "Cannot perform this operation on a closed dataset");
}

TEST_F(People, InsertGoesBeforeTheCurrentRecordAppendAfterTheLast) {
  Add(1, u"a");
  Add(2, u"b");
  Add(3, u"c");
  ds.First();
  ds.Next();
  ds.Next();
  ds.Insert();
  ds.FieldByName(u"ID")->SetAsInteger(9);
  ds.Post();
  EXPECT_EQ(ds.FieldByName(u"ID")->AsInteger(), 9);
  EXPECT_EQ(ds.RecNo(), 3);
  ds.First();
  Add(4, u"d");
  EXPECT_EQ(Ids(), (std::vector<int>{1, 2, 9, 3, 4}));

  // Deleting the last record moves to the new last one.
  ds.Last();
  ds.Delete();
  EXPECT_EQ(ds.FieldByName(u"ID")->AsInteger(), 3);
  // Cancelling an insert returns to the record that was current.
  ds.First();
  ds.Next();
  ds.Insert();
  ds.FieldByName(u"ID")->SetAsInteger(7);
  ds.Cancel();
  EXPECT_EQ(ds.FieldByName(u"ID")->AsInteger(), 2);
  EXPECT_EQ(Ids(), (std::vector<int>{1, 2, 9, 3}));

  ds.AppendRecord({Variant(5), Variant(u"e")});
  ds.InsertRecord({Variant(6)});
  EXPECT_EQ(ds.FieldByName(u"ID")->AsInteger(), 6);
  EXPECT_EQ(Ids(), (std::vector<int>{1, 2, 9, 3, 6, 5}));
}

TEST_F(People, FieldValuesRoundTripAndNullIsNoValue) {
  ds.Append();
  for (int i = 0; i < ds.FieldCount(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_TRUE(ds.Fields(i)->IsNull());
    EXPECT_TRUE(ds.Fields(i)->Value().IsNull());
  }
  EXPECT_EQ(ds.FieldByName(u"ID")->AsInteger(), 0);
  EXPECT_EQ(ds.FieldByName(u"Name")->AsString(), u"");
  EXPECT_FALSE(ds.FieldByName(u"Flag")->AsBoolean());

  ds.FieldByName(u"ID")->SetAsInteger(-42);
  ds.FieldByName(u"Name")->SetAsString(u"名字abcdef");  // 4 bytes of GBK + "a": cut to the size in bytes
  ds.FieldByName(u"Amount")->SetAsFloat(2.5);
  ds.FieldByName(u"Flag")->SetAsBoolean(true);
  ds.FieldByName(u"Day")->SetAsDateTime(rtl::EncodeDate(2024, 2, 29));
  ds.FieldByName(u"Big")->SetAsLargeInt(INT64_C(1) << 40);
  ds.FieldByName(u"Wide")->SetAsString(u"宽字符串");
  static_cast<TBytesField*>(ds.FieldByName(u"Raw"))->SetAsBytes(std::string("\x01\x00\x02", 3));
  ds.FieldByName(u"Small")->SetValue(Variant(12));
  ds.FieldByName(u"Stamp")->SetAsDateTime(rtl::EncodeDateTime(2020, 1, 2, 3, 4, 5, 0));
  ds.FieldByName(u"Money")->SetAsFloat(-1234.567);
  ds.Post();

  ds.First();
  EXPECT_EQ(ds.FieldByName(u"ID")->AsInteger(), -42);
  EXPECT_EQ(ds.FieldByName(u"ID")->AsString(), u"-42");
  EXPECT_EQ(ds.FieldByName(u"Name")->AsString(), u"名字a");
  EXPECT_DOUBLE_EQ(ds.FieldByName(u"Amount")->AsFloat(), 2.5);
  EXPECT_TRUE(ds.FieldByName(u"Flag")->AsBoolean());
  EXPECT_EQ(ds.FieldByName(u"Flag")->AsString(), u"True");
  EXPECT_DOUBLE_EQ(ds.FieldByName(u"Day")->AsDateTime(), rtl::EncodeDate(2024, 2, 29));
  EXPECT_EQ(ds.FieldByName(u"Big")->AsLargeInt(), INT64_C(1) << 40);
  EXPECT_EQ(ds.FieldByName(u"Wide")->AsString(), u"宽字符");
  EXPECT_EQ(static_cast<TBytesField*>(ds.FieldByName(u"Raw"))->AsBytes(), std::string("\x01\x00\x02", 3));
  EXPECT_EQ(ds.FieldByName(u"Small")->Value().VarType(), rtl::varSmallint);
  EXPECT_EQ(ds.FieldByName(u"Small")->AsInteger(), 12);
  EXPECT_DOUBLE_EQ(ds.FieldByName(u"Stamp")->AsDateTime(), rtl::EncodeDateTime(2020, 1, 2, 3, 4, 5, 0));
  EXPECT_EQ(ds.FieldByName(u"ID")->Value().AsInteger(), -42);
  EXPECT_EQ(ds.FieldByName(u"Money")->AsString(), u"-1234.57");  // kept at two decimals
  EXPECT_DOUBLE_EQ(ds.FieldByName(u"Money")->AsFloat(), -1234.57);

  ds.Edit();
  ds.FieldByName(u"ID")->Clear();
  ds.FieldByName(u"Name")->SetValue(Variant::Null());
  ds.FieldByName(u"Amount")->SetAsString(u"");
  ds.Post();
  EXPECT_TRUE(ds.FieldByName(u"ID")->IsNull());
  EXPECT_TRUE(ds.FieldByName(u"Name")->IsNull());
  EXPECT_TRUE(ds.FieldByName(u"Amount")->IsNull());
  EXPECT_FALSE(ds.FieldByName(u"Flag")->IsNull());
}

TEST(PackedDecimal, TextRoundTripAndOrder) {
  struct Case { const char16_t* in; const char16_t* out; };
  for (Case c : {Case{u"0", u"0"}, Case{u"-0.00", u"0.00"}, Case{u"007.5", u"7.5"}, Case{u"-12.340", u"-12.340"},
                 Case{u".25", u"0.25"}, Case{u"+3", u"3"},
                 Case{u"1234567890123456789012345678901234567890", u"1234567890123456789012345678901234567890"}}) {
    EXPECT_EQ(BcdToStr(StrToBcd(c.in)), c.out) << rtl::StringToUtf8(c.in);
  }
  for (const char16_t* bad : {u"", u"1.2.3", u"12a", u"-", u"1e5"}) EXPECT_THROW(StrToBcd(bad), rtl::EConvertError);
  EXPECT_THROW(StrToBcd(String(65, u'9')), rtl::EConvertError);
  EXPECT_LT(BcdCompare(StrToBcd(u"-2"), StrToBcd(u"1")), 0);
  EXPECT_LT(BcdCompare(StrToBcd(u"-2.5"), StrToBcd(u"-2.25")), 0);
  EXPECT_EQ(BcdCompare(StrToBcd(u"1.50"), StrToBcd(u"1.5")), 0);
  EXPECT_EQ(BcdCompare(StrToBcd(u"-0"), StrToBcd(u"0.0")), 0);
  EXPECT_GT(BcdCompare(StrToBcd(u"10"), StrToBcd(u"9.99")), 0);
}

TEST_F(People, OutOfRangeAndBadTextAreRefusedWithoutTouchingTheValue) {
  Add(1, u"a");
  ds.Edit();
  EXPECT_THROW(ds.FieldByName(u"Small")->SetAsInteger(40000), rtl::ERangeError);
  EXPECT_THROW(ds.FieldByName(u"ID")->SetAsLargeInt(INT64_C(1) << 33), rtl::ERangeError);
  EXPECT_THROW(ds.FieldByName(u"ID")->SetAsString(u"12x"), rtl::EConvertError);
  EXPECT_THROW(ds.FieldByName(u"Flag")->SetAsString(u"maybe"), EDatabaseError);
  EXPECT_EQ(ds.FieldByName(u"ID")->AsInteger(), 1);
  EXPECT_TRUE(ds.FieldByName(u"Small")->IsNull());
  ds.Cancel();
}

TEST_F(People, RequiredReadOnlyAndValidationGuardPosting) {
  ds.FieldByName(u"Name")->SetRequired(true);
  ds.Append();
  ds.FieldByName(u"ID")->SetAsInteger(1);
  EXPECT_EQ(ErrorOf([&] { ds.Post(); }), "Field 'Name' must have a value");
  EXPECT_EQ(ds.State(), dsInsert);  // nothing lost: the record can still be completed
  ds.FieldByName(u"Name")->SetAsString(u"x");
  ds.Post();
  EXPECT_EQ(ds.RecordCount(), 1);

  ds.FieldByName(u"ID")->SetReadOnly(true);
  ds.Edit();
  EXPECT_EQ(ErrorOf([&] { ds.FieldByName(u"ID")->SetAsInteger(5); }), "Field 'ID' cannot be modified");
  ds.FieldByName(u"Amount")->OnValidate = [](TField* f) {
    if (f->AsFloat() < 0) throw EDatabaseError(u"negative");
  };
  EXPECT_EQ(ErrorOf([&] { ds.FieldByName(u"Amount")->SetAsFloat(-1); }), "negative");
  EXPECT_TRUE(ds.FieldByName(u"Amount")->IsNull());
  ds.FieldByName(u"Amount")->SetAsFloat(1);
  ds.Post();
  EXPECT_DOUBLE_EQ(ds.FieldByName(u"Amount")->AsFloat(), 1.0);
}

TEST_F(People, ErrorEventsMayRetryOrAbort) {
  ds.FieldByName(u"Name")->SetRequired(true);
  ds.Append();
  int calls = 0;
  ds.OnPostError = [&](TDataSet* d, EDatabaseError&, TDataAction& action) {
    ++calls;
    d->FieldByName(u"Name")->SetAsString(u"fixed");
    action = daRetry;
  };
  ds.Post();
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(ds.FieldByName(u"Name")->AsString(), u"fixed");
  ds.Edit();
  ds.FieldByName(u"Name")->Clear();
  ds.OnPostError = [](TDataSet*, EDatabaseError&, TDataAction& action) { action = daAbort; };
  EXPECT_THROW(ds.Post(), rtl::EAbort);
  ds.Cancel();
}

TEST_F(People, BookmarksAreBytesValidWhileTheirRecordExists) {
  for (int i = 1; i <= 6; ++i) Add(i, u"n");
  ds.First();
  ds.MoveBy(3);
  TBookmark four = ds.GetBookmark();
  ASSERT_EQ(four.size(), 4u);
  EXPECT_TRUE(ds.BookmarkValid(four));
  ds.First();
  TBookmark one = ds.GetBookmark();
  EXPECT_LT(ds.CompareBookmarks(one, four), 0);
  EXPECT_EQ(ds.CompareBookmarks(four, four), 0);
  EXPECT_EQ(ds.CompareBookmarks(TBookmark(), four), -1);
  ds.GotoBookmark(four);
  EXPECT_EQ(ds.FieldByName(u"ID")->AsInteger(), 4);
  EXPECT_EQ(ds.RecNo(), 4);

  ds.Delete();
  EXPECT_FALSE(ds.BookmarkValid(four));
  ds.First();
  EXPECT_THROW(ds.GotoBookmark(four), EDatabaseError);
  EXPECT_EQ(ds.FieldByName(u"ID")->AsInteger(), 1);  // the cursor did not move
  ds.GotoBookmark(one);
  EXPECT_EQ(ds.RecNo(), 1);

  // An inserted, unposted record has no bookmark.
  ds.Insert();
  EXPECT_TRUE(ds.GetBookmark().empty());
  ds.Cancel();
}

TEST_F(People, FilterHidesRecordsFromNavigation) {
  for (int i = 1; i <= 6; ++i) Add(i, u"n");
  ds.SetOnFilterRecord([](TDataSet* d, bool& accept) { accept = d->FieldByName(u"ID")->AsInteger() % 2 == 0; });
  ds.SetFiltered(true);
  EXPECT_EQ(Ids(), (std::vector<int>{2, 4, 6}));
  ds.Last();
  EXPECT_EQ(ds.FieldByName(u"ID")->AsInteger(), 6);
  EXPECT_EQ(ds.MoveBy(-5), -2);
  EXPECT_TRUE(ds.Bof());
  ds.SetFiltered(false);
  EXPECT_EQ(Ids().size(), 6u);
}

TEST(DataSetFields, CalculatedAndLookupFieldsFollowTheRecord) {
  TVectorDataSet cities;
  cities.FieldDefs().Add(u"Code", ftInteger);
  cities.FieldDefs().Add(u"City", ftWideString, 10);
  cities.Open();
  cities.AppendRecord({Variant(1), Variant(u"北京")});
  cities.AppendRecord({Variant(2), Variant(u"Paris")});

  TVectorDataSet ds;
  ds.FieldDefs().Add(u"Qty", ftInteger);
  ds.FieldDefs().Add(u"Price", ftFloat);
  ds.FieldDefs().Add(u"CityCode", ftInteger);
  for (TFieldDef* d : ds.FieldDefList()) d->CreateField(&ds);
  auto* total = new TFloatField(&ds);
  total->SetFieldName(u"Total");
  total->SetFieldKind(fkCalculated);
  total->SetDataSet(&ds);
  auto* city = new TWideStringField(&ds, ftWideString, 10);
  city->SetFieldName(u"CityName");
  city->SetFieldKind(fkLookup);
  city->SetLookupDataSet(&cities);
  city->SetKeyFields(u"CityCode");
  city->SetLookupKeyFields(u"Code");
  city->SetLookupResultField(u"City");
  city->SetDataSet(&ds);
  int calcs = 0;
  ds.OnCalcFields = [&](TDataSet* d) {
    ++calcs;
    d->FieldByName(u"Total")->SetAsFloat(d->FieldByName(u"Qty")->AsInteger() * d->FieldByName(u"Price")->AsFloat());
  };
  ds.Open();
  EXPECT_FALSE(ds.DefaultFields());
  ds.AppendRecord({Variant(3), Variant(1.5), Variant(2)});
  ds.AppendRecord({Variant(2), Variant(4.0), Variant(1)});
  ds.AppendRecord({Variant(1), Variant(1.0), Variant(7)});
  ds.First();
  EXPECT_DOUBLE_EQ(total->AsFloat(), 4.5);
  EXPECT_EQ(city->AsString(), u"Paris");
  ds.Next();
  EXPECT_DOUBLE_EQ(total->AsFloat(), 8.0);
  EXPECT_EQ(city->AsString(), u"北京");
  ds.Next();
  EXPECT_TRUE(city->IsNull());  // no city 7

  // Editing a data field recomputes at once; a calculated field is not writable by users.
  ds.Edit();
  ds.FieldByName(u"Qty")->SetAsInteger(10);
  EXPECT_DOUBLE_EQ(total->AsFloat(), 10.0);
  EXPECT_FALSE(total->CanModify());
  ds.Post();
  EXPECT_GT(calcs, 0);
  EXPECT_EQ(ds.FieldValues(u"Qty;CityCode")[0].AsInteger(), 10);
  ds.Close();
  // Persistent fields stay when the dataset closes.
  EXPECT_EQ(ds.FieldCount(), 5);
}

TEST(DataSetFields, DefaultFieldsComeAndGoWithOpening) {
  TVectorDataSet ds;
  ds.FieldDefs().Add(u"A", ftInteger);
  ds.FieldDefs().Add(u"B", ftString, 4);
  EXPECT_EQ(ds.FieldCount(), 0);
  ds.Open();
  EXPECT_TRUE(ds.DefaultFields());
  ASSERT_EQ(ds.FieldCount(), 2);
  EXPECT_EQ(ds.Fields(1)->FieldNo(), 2);
  EXPECT_EQ(ds.Fields(1)->DataSize(), 5);
  std::vector<TField*> list;
  ds.GetFieldList(list, u"b; A");
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0]->FieldName(), u"B");
  ds.Close();
  EXPECT_EQ(ds.FieldCount(), 0);
  EXPECT_THROW(ds.FieldDefs().Add(u"a", ftInteger), EDatabaseError);  // duplicate name
}

}  // namespace

TEST(DataSetFields, NumericFieldsAcceptOnlyTheCharactersOfTheirNumbers) {
  TIntegerField whole(nullptr);
  TFloatField real(nullptr);
  TStringField text(nullptr);
  struct Case {
    char16_t c;
    bool whole, real, text;
  };
  const Case cases[] = {{u'7', true, true, true},  {u'-', true, true, true},  {u'.', false, true, true},
                        {u'e', false, true, true}, {u'a', false, false, true}, {u' ', false, false, true}};
  for (const Case& k : cases) {
    EXPECT_EQ(whole.IsValidChar(k.c), k.whole) << char(k.c);
    EXPECT_EQ(real.IsValidChar(k.c), k.real) << char(k.c);
    EXPECT_EQ(text.IsValidChar(k.c), k.text) << char(k.c);
  }
}
