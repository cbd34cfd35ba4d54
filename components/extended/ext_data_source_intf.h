// Data connectors: bind a control to a record source through an interface
// rather than through dataset classes. A source implements IExtDataSource
// (and IExtDataConnectorHandler to be told of connectors attaching); the
// connector follows its notices and hands out field objects reading and
// writing one field each.
#pragma once

#include <cstdint>
#include <memory>
#include <variant>
#include <vector>

#include "platform/runtime/rtl_string.h"

namespace ext {

using rtl::String;

enum TExtFieldType {
  ftUnknown, ftString, ftSmallint, ftInteger, ftWord, ftBoolean, ftFloat, ftCurrency, ftDate, ftTime, ftDateTime,
  ftBlob, ftMemo, ftWideString, ftLargeint
};

using TExtVariant = std::variant<std::monostate, std::int64_t, double, bool, String>;
// Opaque field handle given out by a source; nullptr is "no field".
using TExtFieldHandle = const void*;

class TExtDataConnector;

class IExtDataSource {
 public:
  virtual ~IExtDataSource() = default;
  virtual void Edit() = 0;
  virtual void* GetDataLink() = 0;
  virtual bool DataSetConnected() = 0;
  // Raises when missing.
  virtual TExtFieldHandle FieldByName(const String& Name) = 0;
  virtual TExtFieldHandle FindField(const String& Name) = 0;
  virtual int FieldCount() = 0;
  virtual String FieldName(TExtFieldHandle F) = 0;
  virtual TExtFieldType DataType(TExtFieldHandle F) = 0;
  virtual int Size(TExtFieldHandle F) = 0;
  virtual String DisplayLabel(TExtFieldHandle F) = 0;
  virtual int DisplayWidth(TExtFieldHandle F) = 0;
  virtual void SetDisplayWidth(TExtFieldHandle F, int Value) = 0;
  virtual String EditMask(TExtFieldHandle F) = 0;
  virtual bool ReadOnly(TExtFieldHandle F) = 0;
  virtual bool Visible(TExtFieldHandle F) = 0;
  virtual bool Required(TExtFieldHandle F) = 0;
  virtual void Clear(TExtFieldHandle F) = 0;
  virtual bool IsNull(TExtFieldHandle F) = 0;
  virtual bool IsBlob(TExtFieldHandle F) = 0;
  virtual bool CanModify(TExtFieldHandle F) = 0;
  virtual TExtVariant OldValue(TExtFieldHandle F) = 0;
  virtual TExtVariant Value(TExtFieldHandle F) = 0;
  virtual void SetValue(TExtFieldHandle F, const TExtVariant& Value) = 0;
  virtual rtl::AnsiString AsString(TExtFieldHandle F) = 0;
  virtual void SetAsString(TExtFieldHandle F, const rtl::AnsiString& Value) = 0;
  virtual String AsWideString(TExtFieldHandle F) = 0;
  virtual void SetAsWideString(TExtFieldHandle F, const String& Value) = 0;
  virtual std::int32_t AsInteger(TExtFieldHandle F) = 0;
  virtual void SetAsInteger(TExtFieldHandle F, std::int32_t Value) = 0;
  virtual double AsFloat(TExtFieldHandle F) = 0;
  virtual void SetAsFloat(TExtFieldHandle F, double Value) = 0;
  virtual double AsDateTime(TExtFieldHandle F) = 0;
  virtual void SetAsDateTime(TExtFieldHandle F, double Value) = 0;
  virtual bool AsBoolean(TExtFieldHandle F) = 0;
  virtual void SetAsBoolean(TExtFieldHandle F, bool Value) = 0;
};

// A source that keeps a list of its connectors and sends them notices.
// Connectors hold only sources that implement it; such a source sets the
// DataSource of each of its connectors to none before it is destroyed.
class IExtDataConnectorHandler {
 public:
  virtual ~IExtDataConnectorHandler() = default;
  virtual void AddConnector(TExtDataConnector* Connector) = 0;
  virtual void RemoveConnector(TExtDataConnector* Connector) = 0;
};

// Notices a source sends to its connectors (PostNotice).
constexpr int ecnActiveChanged = 100;
constexpr int ecnRecordChanged = 101;
constexpr int ecnUpdateData = 102;
constexpr int ecnLayoutChanged = 103;

class TExtDataConnectorField {
 public:
  TExtDataConnectorField(IExtDataSource* Source, const String& FieldName);
  virtual ~TExtDataConnectorField() = default;

  bool IsValid();
  TExtFieldHandle Field() const { return field_; }
  const String& FieldName() const { return fieldName_; }
  void SetFieldName(const String& Value);
  IExtDataSource* DataSource() const { return source_; }
  void SetDataSource(IExtDataSource* Source);
  // Looks the handle up again by name.
  void Resolve();

  TExtFieldType DataType();
  int Size();
  String DisplayLabel();
  int DisplayWidth();
  void SetDisplayWidth(int Value);
  String EditMask();
  bool ReadOnly();
  bool Visible();
  bool Required();
  bool IsNull();
  bool IsBlob();
  bool CanModify();
  TExtVariant OldValue();
  TExtVariant Value();
  void SetValue(const TExtVariant& Value);
  rtl::AnsiString AsString();
  void SetAsString(const rtl::AnsiString& Value);
  String AsWideString();
  void SetAsWideString(const String& Value);
  std::int32_t AsInteger();
  void SetAsInteger(std::int32_t Value);
  double AsFloat();
  void SetAsFloat(double Value);
  double AsDateTime();
  void SetAsDateTime(double Value);
  bool AsBoolean();
  void SetAsBoolean(bool Value);
  // Read through the text: 0 when it is not a number.
  std::int64_t AsInt64();
  void SetAsInt64(std::int64_t Value);
  void Clear();

 private:
  // The source with a valid handle, or raises EDatabaseError.
  IExtDataSource* Need();
  IExtDataSource* source_;
  TExtFieldHandle field_ = nullptr;
  String fieldName_;
};

class TExtDataConnector {
 public:
  TExtDataConnector();
  virtual ~TExtDataConnector();
  TExtDataConnector(const TExtDataConnector&) = delete;
  TExtDataConnector& operator=(const TExtDataConnector&) = delete;

  IExtDataSource* DataSource() const { return source_; }
  void SetDataSource(IExtDataSource* Value);
  virtual void Assign(const TExtDataConnector* Source);

  bool Modified() const { return modified_; }
  void SetModified(bool Value) { modified_ = Value; }
  bool Active() const { return active_; }
  int FieldCount() const { return static_cast<int>(fields_.size()); }
  TExtDataConnectorField* Fields(int Index) const { return fields_.at(Index).get(); }
  bool DataSetConnected() const { return source_ && source_->DataSetConnected(); }
  bool Locked() const { return lockRecordChange_ > 0; }
  TExtDataConnector* Master() const { return master_; }
  void SetMaster(TExtDataConnector* Value) { master_ = Value; }

  TExtDataConnectorField* FieldByName(const String& Name);
  TExtDataConnectorField* FindField(const String& Name);
  void Edit();
  void Modify();
  void Reset();
  void UpdateRecord();
  void* GetDataLink() const { return source_ ? source_->GetDataLink() : nullptr; }
  virtual bool CanEditNow();

  // A notice from the source (ecn...), then passed to the master.
  virtual void PostNotice(int Notice);

 protected:
  virtual void HandleSourceConnected();
  virtual void HandleSourceDisconnected();
  virtual void HandleActiveChange();
  virtual void ShowRecord() {}
  virtual void StoreRecord() {}
  virtual void HandleLayoutChange();
  void ClearFields() { fields_.clear(); }
  void SetActive(bool Value) { active_ = Value; }
  TExtDataConnectorField* FieldForHandle(TExtFieldHandle Handle);

  struct Lock {
    explicit Lock(TExtDataConnector* c) : c_(c) { ++c_->lockRecordChange_; }
    ~Lock() { --c_->lockRecordChange_; }
    TExtDataConnector* c_;
  };

 private:
  IExtDataSource* source_ = nullptr;
  int lockRecordChange_ = 0;
  bool modified_ = false;
  bool active_ = false;
  TExtDataConnector* master_ = nullptr;
  std::vector<std::unique_ptr<TExtDataConnectorField>> fields_;
};

// Bound to one named field.
class TExtFieldDataConnector : public TExtDataConnector {
 public:
  TExtFieldDataConnector();
  TExtDataConnectorField* Field() const { return field_.get(); }
  const String& DataField() const { return field_->FieldName(); }
  void SetDataField(const String& Value);
  void Assign(const TExtDataConnector* Source) override;
  bool CanEditNow() override;

 protected:
  virtual void RefreshFields();
  void HandleSourceConnected() override;
  void HandleSourceDisconnected() override;
  void HandleActiveChange() override;
  void HandleLayoutChange() override;

 private:
  std::unique_ptr<TExtDataConnectorField> field_;
};

}  // namespace ext
