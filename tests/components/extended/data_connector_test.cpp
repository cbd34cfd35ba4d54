#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <vector>

#include "components/extended/ext_data_source_intf.h"
#include "tests/components/extended/fake_source.h"
#include "platform/runtime/exceptions.h"

using namespace ext;

namespace {

using exttest::FakeFields;
using exttest::FakeSource;

// Records what the connector shows and stores.
class Probe : public TExtFieldDataConnector {
 public:
  int shown = 0, stored = 0;
  String lastShown;
  void ShowRecord() override {
    ++shown;
    lastShown = Field()->IsValid() ? Field()->AsWideString() : String();
  }
  void StoreRecord() override {
    ++stored;
    Field()->SetAsWideString(u"stored");
  }
};

}  // namespace

TEST(DataConnector, WithoutSourceNothingHappens) {
  Probe c;
  c.Modify();
  c.Reset();
  c.UpdateRecord();
  c.Edit();
  EXPECT_FALSE(c.Modified());
  EXPECT_FALSE(c.Active());
  EXPECT_EQ(c.FindField(u"Host"), nullptr);
  EXPECT_EQ(c.FieldCount(), 0);
  EXPECT_FALSE(c.CanEditNow());
  EXPECT_EQ(c.GetDataLink(), nullptr);
  EXPECT_THROW(c.Field()->AsWideString(), rtl::EDatabaseError);
}

TEST(DataConnector, AttachShowEditStoreDetach) {
  FakeSource src;
  Probe c;
  c.SetDataField(u"Host");
  c.SetDataSource(&src);
  ASSERT_EQ(src.connectors.size(), 1u);
  EXPECT_TRUE(c.Active());
  EXPECT_GE(c.shown, 1);
  EXPECT_EQ(c.lastShown, u"10.0.0.1");
  EXPECT_TRUE(c.CanEditNow());

  c.Modify();
  EXPECT_EQ(src.edits, 1);
  EXPECT_TRUE(c.Modified());
  c.UpdateRecord();
  EXPECT_EQ(c.stored, 1);
  EXPECT_EQ(src.fields[0].value, u"stored");
  EXPECT_FALSE(c.Modified());

  // Notices from the source.
  src.fields[0].value = u"10.0.0.9";
  src.Notify(ecnRecordChanged);
  EXPECT_EQ(c.lastShown, u"10.0.0.9");
  c.Modify();
  src.Notify(ecnUpdateData);
  EXPECT_EQ(c.stored, 2);
  EXPECT_FALSE(c.Modified());

  // A field connector on a read-only field cannot edit.
  c.SetDataField(u"Locked");
  EXPECT_FALSE(c.CanEditNow());

  TExtDataConnectorField* port = c.FieldByName(u"Port");
  EXPECT_EQ(port->AsInt64(), 8888);
  port->SetAsInt64(-5);
  EXPECT_EQ(src.fields[1].value, u"-5");
  EXPECT_EQ(c.FieldByName(u"port"), port);
  EXPECT_EQ(c.FieldCount(), 1);
  EXPECT_EQ(c.FindField(u"Nope"), nullptr);
  EXPECT_THROW(c.FieldByName(u"Nope"), rtl::EDatabaseError);
  src.Notify(ecnLayoutChanged);
  EXPECT_EQ(c.FieldCount(), 0);

  c.SetDataSource(nullptr);
  EXPECT_TRUE(src.connectors.empty());
  EXPECT_FALSE(c.Active());
}

TEST(DataConnector, ResetReshowsAndMasterFollows) {
  FakeSource src;
  Probe master, c;
  c.SetMaster(&master);
  c.SetDataField(u"Host");
  c.SetDataSource(&src);
  int before = master.shown;
  c.Modify();
  c.Reset();
  EXPECT_FALSE(c.Modified());
  EXPECT_TRUE(c.Active());
  EXPECT_GT(master.shown, before);
  // Non-numeric text reads as 0 through AsInt64.
  EXPECT_EQ(c.Field()->AsInt64(), 0);
}

TEST(DataConnector, SourceWithoutHandlerIsRefusedAndDestructionDetaches) {
  FakeFields plain;
  Probe c;
  c.SetDataSource(&plain);
  EXPECT_EQ(c.DataSource(), nullptr);

  FakeSource src;
  {
    Probe d;
    d.SetDataSource(&src);
    EXPECT_EQ(src.connectors.size(), 1u);
  }
  EXPECT_TRUE(src.connectors.empty());
}
