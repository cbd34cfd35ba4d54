// The in-memory dataset against a source dataset (another memory table):
// structure and record copies both ways, and tracked changes applied back.
#include <gtest/gtest.h>

#include <string>

#include "components/extended/data/ext_memory_data.h"

using namespace db;
using namespace ext;

namespace {

struct Source : ::testing::Test {
  TExtMemoryData src;
  void SetUp() override {
    src.FieldDefs().Add(u"ID", ftInteger);
    src.FieldDefs().Add(u"NAME", ftString, 20);
    src.FieldDefs().Add(u"AI", ftAutoInc);
    src.Open();
    for (auto [id, name] : {std::pair{1, u"a"}, {2, u"b"}, {3, u"c"}, {4, u"d"}}) {
      src.Append();
      src.FieldByName(u"ID")->SetAsInteger(id);
      src.FieldByName(u"NAME")->SetAsString(name);
      src.Post();
    }
  }
  static std::string Rows(TDataSet& d) {
    std::string s;
    d.First();
    while (!d.Eof()) {
      s += (s.empty() ? "" : ",") + std::to_string(d.FieldByName(u"ID")->AsInteger()) +
           rtl::StringToUtf8(d.FieldByName(u"NAME")->AsString());
      d.Next();
    }
    return s;
  }
  void Tracked(TExtMemoryData& m, TApplyMode mode) {
    m.SetDataSet(&src);
    m.SetLoadStructure(true);
    m.SetLoadRecords(true);
    m.SetKeyFieldNames(u"ID");
    m.SetApplyMode(mode);
    m.Open();
  }
};

TEST_F(Source, LoadCopiesStructureAndRecords) {
  struct Case {
    bool autoIncAsInteger;
    TFieldType aiType;
    int nextAutoInc;
  };
  for (Case c : {Case{false, ftAutoInc, 5}, Case{true, ftInteger, -1}}) {
    TExtMemoryData m;
    m.SetAutoIncAsInteger(c.autoIncAsInteger);
    EXPECT_EQ(m.LoadFromDataSet(&src, 0, lmCopy), 4);
    EXPECT_EQ(Rows(m), "1a,2b,3c,4d");
    EXPECT_EQ(m.FieldByName(u"AI")->DataType(), c.aiType);
    m.Last();
    EXPECT_EQ(m.FieldByName(u"AI")->AsInteger(), 4);
    if (c.nextAutoInc > 0) {
      // The own counter went past the source's values.
      m.Append();
      m.FieldByName(u"ID")->SetAsInteger(9);
      m.Post();
      EXPECT_EQ(m.FieldByName(u"AI")->AsInteger(), c.nextAutoInc);
    }
  }
}

TEST_F(Source, LoadKeepsTheFieldsReadOnlyFlagsAndTags) {
  TExtMemoryData m;
  m.FieldDefs().Add(u"ID", ftInteger);
  m.FieldDefs().Add(u"NAME", ftString, 20);
  m.Open();
  TField* name = m.FieldByName(u"NAME");
  name->SetReadOnly(true);
  name->SetTag(77);
  src.SetRecNo(2);
  EXPECT_EQ(m.LoadFromDataSet(&src, 2, lmAppend), 2);
  EXPECT_EQ(Rows(m), "2b,3c");
  EXPECT_TRUE(name->ReadOnly());
  EXPECT_EQ(name->Tag(), 77);
  EXPECT_EQ(src.RecNo(), 2);  // the source is back where it was
  EXPECT_EQ(m.LoadFromDataSet(&m, 0, lmAppend), 0);
}

TEST_F(Source, SaveCopiesFromTheCurrentRecord) {
  TExtMemoryData dest;
  dest.FieldDefs().Add(u"ID", ftInteger);
  dest.FieldDefs().Add(u"NAME", ftString, 20);
  dest.Open();
  src.SetRecNo(2);
  EXPECT_EQ(src.SaveToDataSet(&dest, 3), 3);
  EXPECT_EQ(Rows(dest), "2b,3c,4d");
  EXPECT_EQ(src.SaveToDataSet(&dest, 0), 4);
  EXPECT_EQ(dest.RecordCount(), 7);
}

TEST_F(Source, MergeAppliesInsertsUpdatesAndDeletes) {
  TExtMemoryData m;
  Tracked(m, amMerge);
  EXPECT_EQ(m.RowsOriginal(), 4);
  EXPECT_EQ(Rows(m), "1a,2b,3c,4d");
  ASSERT_NE(m.FindField(TExtMemoryData::StatusFieldName), nullptr);
  EXPECT_FALSE(m.FindField(TExtMemoryData::StatusFieldName)->Visible());
  EXPECT_TRUE(m.IsOriginal());

  ASSERT_TRUE(m.Locate(u"ID", Variant(2), 0));
  m.Edit();
  m.FieldByName(u"NAME")->SetAsString(u"B");
  m.Post();
  EXPECT_TRUE(m.IsUpdated());
  m.Append();
  m.FieldByName(u"ID")->SetAsInteger(5);
  m.FieldByName(u"NAME")->SetAsString(u"e");
  m.Post();
  EXPECT_TRUE(m.IsInserted());
  ASSERT_TRUE(m.Locate(u"ID", Variant(1), 0));
  m.Delete();
  int index;
  EXPECT_EQ(m.FindDeleted(rtl::VarArrayOf({Variant(1)})), 0);
  EXPECT_EQ(m.RowsChanged(), 3);
  // An inserted record deleted again is no change at all.
  m.Append();
  m.FieldByName(u"ID")->SetAsInteger(6);
  m.Post();
  m.Delete();
  EXPECT_EQ(m.RowsChanged(), 3);

  int before = 0, records = 0;
  m.BeforeApply = [&](TDataSet*, int rows) { before = rows; };
  m.AfterApplyRecord = [&](TDataSet*, TRecordStatus, bool applied) { records += applied; };
  EXPECT_TRUE(m.ApplyChanges());
  EXPECT_EQ(before, 3);
  EXPECT_EQ(records, 3);
  EXPECT_EQ(Rows(src), "2B,3c,4d,5e");
  EXPECT_EQ(Rows(m), "2B,3c,4d,5e");  // reloaded from the source
  EXPECT_EQ(m.RowsChanged(), 0);
  EXPECT_FALSE(m.IsDeleted(index));
  // Nothing changed: success, and the table stays as it is.
  EXPECT_TRUE(m.ApplyChanges());
  EXPECT_EQ(Rows(src), "2B,3c,4d,5e");
}

TEST_F(Source, DeletedAndReinsertedUnderTheSameKeyIsAnUpdate) {
  TExtMemoryData m;
  Tracked(m, amMerge);
  ASSERT_TRUE(m.Locate(u"ID", Variant(3), 0));
  m.Delete();
  m.Append();
  m.FieldByName(u"ID")->SetAsInteger(3);
  m.FieldByName(u"NAME")->SetAsString(u"C");
  m.Post();
  EXPECT_TRUE(m.IsUpdated());
  int index;
  EXPECT_FALSE(m.IsDeleted(index));
  EXPECT_EQ(m.RowsChanged(), 1);
  EXPECT_TRUE(m.ApplyChanges());
  EXPECT_EQ(Rows(src), "1a,2b,3C,4d");
}

TEST_F(Source, AppendModeKeepsLoadedRecords) {
  TExtMemoryData m;
  Tracked(m, amAppend);
  m.First();
  m.Edit();
  m.FieldByName(u"NAME")->SetAsString(u"X");
  m.Post();
  m.Delete();
  EXPECT_EQ(Rows(m), "1a,2b,3c,4d");
  EXPECT_EQ(m.RowsChanged(), 0);
  m.Append();
  m.FieldByName(u"ID")->SetAsInteger(2);
  m.Post();
  m.SetExactApply(true);
  EXPECT_THROW(m.ApplyChanges(), EDatabaseError);  // "Record already exists."
  m.SetExactApply(false);
  m.CancelChanges();
  EXPECT_EQ(Rows(m), "1a,2b,3c,4d");
}

TEST_F(Source, ASingleDataFieldNeverApplies) {
  TExtMemoryData one;
  one.FieldDefs().Add(u"ID", ftInteger);
  one.Open();
  one.AppendRecord({Variant(1)});
  TExtMemoryData m;
  m.SetDataSet(&one);
  m.SetLoadStructure(true);
  m.SetLoadRecords(true);
  m.SetKeyFieldNames(u"ID");
  m.SetApplyMode(amMerge);
  m.Open();
  m.AppendRecord({Variant(2)});
  EXPECT_FALSE(m.ApplyChanges());
  EXPECT_EQ(one.RecordCount(), 1);
}

TEST_F(Source, GetValuesShapes) {
  TExtMemoryData m;
  Tracked(m, amMerge);
  m.First();
  EXPECT_TRUE(m.GetValues().IsArray());
  EXPECT_EQ(m.GetValues()[0].AsInteger(), 1);
  m.SetOneValueInArray(false);
  EXPECT_EQ(m.GetValues().AsInteger(), 1);
  Variant both = m.GetValues(u"ID;NAME");
  EXPECT_EQ(both[1].AsString(), u"a");
  m.SetKeyFieldNames(u"");
  EXPECT_TRUE(m.GetValues().IsNull());
}

}  // namespace
