#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <vector>

#include "ext_data_source_intf.h"
#include "exceptions.h"

using namespace ext;

namespace {

// A record source of one record with named text fields, without the
// connector-handler interface.
class FakeFields : public IExtDataSource {
 public:
  struct F {
    String name, value;
    bool readOnly = false;
  };
  std::vector<F> fields{{u"Host", u"10.0.0.1"}, {u"Port", u"8888"}, {u"Locked", u"x", true}};
  int edits = 0;
  bool connected = true;

  F& At(TExtFieldHandle h) { return *static_cast<F*>(const_cast<void*>(h)); }

  void Edit() override { ++edits; }
  void* GetDataLink() override { return this; }
  bool DataSetConnected() override { return connected; }
  TExtFieldHandle FieldByName(const String& n) override {
    if (auto h = FindField(n)) return h;
    throw rtl::EDatabaseError(u"Field '" + n + u"' not found");
  }
  TExtFieldHandle FindField(const String& n) override {
    for (F& f : fields)
      if (rtl::SameText(f.name, n)) return &f;
    return nullptr;
  }
  int FieldCount() override { return static_cast<int>(fields.size()); }
  String FieldName(TExtFieldHandle h) override { return At(h).name; }
  TExtFieldType DataType(TExtFieldHandle) override { return ftWideString; }
  int Size(TExtFieldHandle) override { return 20; }
  String DisplayLabel(TExtFieldHandle h) override { return At(h).name; }
  int DisplayWidth(TExtFieldHandle) override { return 20; }
  void SetDisplayWidth(TExtFieldHandle, int) override {}
  String EditMask(TExtFieldHandle) override { return String(); }
  bool ReadOnly(TExtFieldHandle h) override { return At(h).readOnly; }
  bool Visible(TExtFieldHandle) override { return true; }
  bool Required(TExtFieldHandle) override { return false; }
  void Clear(TExtFieldHandle h) override { At(h).value.clear(); }
  bool IsNull(TExtFieldHandle h) override { return At(h).value.empty(); }
  bool IsBlob(TExtFieldHandle) override { return false; }
  bool CanModify(TExtFieldHandle h) override { return !At(h).readOnly; }
  TExtVariant OldValue(TExtFieldHandle h) override { return At(h).value; }
  TExtVariant Value(TExtFieldHandle h) override { return At(h).value; }
  void SetValue(TExtFieldHandle h, const TExtVariant& v) override { At(h).value = std::get<String>(v); }
  rtl::AnsiString AsString(TExtFieldHandle h) override { return rtl::StringToUtf8(At(h).value); }
  void SetAsString(TExtFieldHandle h, const rtl::AnsiString& v) override { At(h).value = rtl::Utf8ToString(v); }
  String AsWideString(TExtFieldHandle h) override { return At(h).value; }
  void SetAsWideString(TExtFieldHandle h, const String& v) override { At(h).value = v; }
  std::int32_t AsInteger(TExtFieldHandle h) override { return std::stoi(rtl::StringToUtf8(At(h).value)); }
  void SetAsInteger(TExtFieldHandle h, std::int32_t v) override { At(h).value = rtl::IntToStr(v); }
  double AsFloat(TExtFieldHandle) override { return 0; }
  void SetAsFloat(TExtFieldHandle, double) override {}
  double AsDateTime(TExtFieldHandle) override { return 0; }
  void SetAsDateTime(TExtFieldHandle, double) override {}
  bool AsBoolean(TExtFieldHandle) override { return false; }
  void SetAsBoolean(TExtFieldHandle, bool) override {}
};

// The same source keeping a list of its connectors and sending them notices.
class FakeSource : public FakeFields, public IExtDataConnectorHandler {
 public:
  std::vector<TExtDataConnector*> connectors;
  void Notify(int n) {
    for (auto* c : connectors) c->PostNotice(n);
  }
  void AddConnector(TExtDataConnector* c) override { connectors.push_back(c); }
  void RemoveConnector(TExtDataConnector* c) override {
    connectors.erase(std::remove(connectors.begin(), connectors.end(), c), connectors.end());
  }
};


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
