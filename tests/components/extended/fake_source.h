// A small record source for the connector tests: one record of named text
// fields, with and without the connector-handler interface.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "platform/runtime/exceptions.h"
#include "components/extended/ext_data_source_intf.h"

namespace exttest {

using ext::IExtDataConnectorHandler;
using ext::IExtDataSource;
using ext::TExtDataConnector;
using ext::TExtFieldHandle;
using ext::TExtFieldType;
using ext::TExtVariant;
using rtl::String;

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
  TExtFieldType DataType(TExtFieldHandle) override { return ext::ftWideString; }
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
  // A source lets its connectors go before it is gone.
  ~FakeSource() override {
    while (!connectors.empty()) connectors.back()->SetDataSource(nullptr);
  }
  void Notify(int n) {
    for (auto* c : connectors) c->PostNotice(n);
  }
  void AddConnector(TExtDataConnector* c) override { connectors.push_back(c); }
  void RemoveConnector(TExtDataConnector* c) override {
    connectors.erase(std::remove(connectors.begin(), connectors.end(), c), connectors.end());
  }
};


}  // namespace exttest
