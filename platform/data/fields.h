// Fields and field definitions. A field reads and writes its value through
// its dataset's GetFieldData/PutFieldData in the field's native layout
// (DataSize bytes); Null is "no value". Variants travel as rtl::Variant.
#pragma once

#include <memory>
#include <vector>

#include "platform/classes/classes.h"
#include "platform/runtime/datetime.h"
#include "platform/data/db_types.h"
#include "platform/runtime/streams.h"

namespace db {

class TDataSet;
class TField;
class TFieldDefs;

class TFieldDef {
 public:
  TFieldDef(TFieldDefs* Owner, const String& Name, TFieldType DataType, int Size, bool Required);
  ~TFieldDef();

  const String& Name() const { return name_; }
  void SetName(const String& v) { name_ = v; }
  TFieldType DataType() const { return dataType_; }
  void SetDataType(TFieldType v) { dataType_ = v; }
  int Size() const { return size_; }
  void SetSize(int v) { size_ = v; }
  bool Required() const { return (attributes_ & faRequired) != 0; }
  TFieldAttributes Attributes() const { return attributes_; }
  void SetAttributes(TFieldAttributes v) { attributes_ = v; }
  int Precision() const { return precision_; }
  void SetPrecision(int v) { precision_ = v; }
  // 1-based number in the flattened definition list (nested ones included).
  int FieldNo() const { return fieldNo_; }
  void SetFieldNo(int v) { fieldNo_ = v; }
  TFieldDefs& ChildDefs();
  bool HasChildDefs() const { return childDefs_ && !IsEmptyChildDefs(); }
  TFieldDefs* Collection() const { return owner_; }
  // A field of the class for DataType, owned by AOwner, on the definitions' dataset.
  TField* CreateField(ui::TComponent* AOwner);
  void Assign(const TFieldDef& Source);

 private:
  bool IsEmptyChildDefs() const;
  TFieldDefs* owner_;
  String name_;
  TFieldType dataType_;
  int size_;
  int precision_ = 0;
  TFieldAttributes attributes_ = 0;
  int fieldNo_ = 0;
  std::unique_ptr<TFieldDefs> childDefs_;
};

class TFieldDefs {
 public:
  explicit TFieldDefs(TDataSet* DataSet, TFieldDef* Parent = nullptr) : dataSet_(DataSet), parent_(Parent) {}
  TFieldDef* Add(const String& Name, TFieldType DataType, int Size = 0, bool Required = false);
  TFieldDef* AddFieldDef();
  void Clear() { items_.clear(); }
  void Delete(int Index);
  int Count() const { return static_cast<int>(items_.size()); }
  TFieldDef* Items(int Index) const { return items_.at(static_cast<std::size_t>(Index)).get(); }
  TFieldDef* operator[](int Index) const { return Items(Index); }
  int IndexOf(const String& Name) const;  // case-insensitive; -1 when absent
  TFieldDef* Find(const String& Name) const;  // raises "Field '%s' not found"
  void Assign(const TFieldDefs& Source);
  // Asks the dataset to refresh its definitions.
  void Update();
  TDataSet* DataSet() const { return dataSet_; }
  TFieldDef* ParentDef() const { return parent_; }

 private:
  TDataSet* dataSet_;
  TFieldDef* parent_;
  std::vector<std::unique_ptr<TFieldDef>> items_;
};

// The blob's bytes; a blob stream is handed out by the dataset.
class TField : public ui::TComponent {
 public:
  TField(ui::TComponent* AOwner, TFieldType DataType, int Size = 0);
  ~TField() override;

  TDataSet* DataSet() const { return dataSet_; }
  // Attaches the field to a dataset's field list (nullptr detaches).
  void SetDataSet(TDataSet* Value);

  const String& FieldName() const { return fieldName_; }
  void SetFieldName(const String& v) { fieldName_ = v; }
  String FullName() const { return fieldName_; }
  String DisplayName() const { return displayLabel_.empty() ? fieldName_ : displayLabel_; }
  String DisplayLabel() const { return DisplayName(); }
  void SetDisplayLabel(const String& v) { displayLabel_ = v; }
  int DisplayWidth() const { return displayWidth_ > 0 ? displayWidth_ : DefaultDisplayWidth(); }
  void SetDisplayWidth(int v) { displayWidth_ = v; }
  const String& DisplayFormat() const { return displayFormat_; }
  void SetDisplayFormat(const String& v) { displayFormat_ = v; }
  const String& EditFormat() const { return editFormat_; }
  void SetEditFormat(const String& v) { editFormat_ = v; }
  const String& EditMask() const { return editMask_; }
  void SetEditMask(const String& v) { editMask_ = v; }
  enum TAlignment { taLeftJustify, taRightJustify, taCenter };
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment v) { alignment_ = v; }
  const String& Origin() const { return origin_; }
  void SetOrigin(const String& v) { origin_ = v; }

  bool Visible() const { return visible_; }
  void SetVisible(bool v);
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool v) { readOnly_ = v; }
  bool Required() const { return required_; }
  void SetRequired(bool v) { required_ = v; }

  // Position in the dataset's field list.
  int Index() const;
  void SetIndex(int Value);
  int FieldNo() const { return fieldNo_; }
  void SetFieldNo(int v) { fieldNo_ = v; }
  TFieldKind FieldKind() const { return fieldKind_; }
  void SetFieldKind(TFieldKind v) { fieldKind_ = v; }
  bool Calculated() const { return fieldKind_ == fkCalculated; }
  bool Lookup() const { return fieldKind_ == fkLookup; }
  TFieldType DataType() const { return dataType_; }
  void SetDataType(TFieldType v) { dataType_ = v; }
  int Size() const { return size_; }
  void SetSize(int v) { size_ = v; }
  // Bytes of the native value (what GetFieldData fills).
  virtual int DataSize() const;
  // Offset of the value in the calculated-field area (calculated and lookup fields).
  int Offset() const { return offset_; }
  void SetOffset(int v) { offset_ = v; }
  bool IsBlob() const { return IsBlobType(dataType_); }
  virtual bool IsNumeric() const { return false; }
  virtual bool IsDateTime() const { return false; }

  // Lookup fields: own KeyFields matched against LookupKeyFields of
  // LookupDataSet, answering LookupResultField.
  TDataSet* LookupDataSet() const { return lookupDataSet_; }
  void SetLookupDataSet(TDataSet* v) { lookupDataSet_ = v; }
  const String& KeyFields() const { return keyFields_; }
  void SetKeyFields(const String& v) { keyFields_ = v; }
  const String& LookupKeyFields() const { return lookupKeyFields_; }
  void SetLookupKeyFields(const String& v) { lookupKeyFields_ = v; }
  const String& LookupResultField() const { return lookupResultField_; }
  void SetLookupResultField(const String& v) { lookupResultField_ = v; }

  // Values. Getters of a null field give 0, false or ""; Value gives Null.
  bool IsNull() const;
  void Clear() { SetData(nullptr); }
  Variant Value() const;
  void SetValue(const Variant& v);
  virtual String AsString() const;
  virtual void SetAsString(const String& v);
  virtual std::int32_t AsInteger() const;
  virtual void SetAsInteger(std::int32_t v);
  virtual std::int64_t AsLargeInt() const;
  virtual void SetAsLargeInt(std::int64_t v);
  virtual double AsFloat() const;
  virtual void SetAsFloat(double v);
  virtual bool AsBoolean() const;
  virtual void SetAsBoolean(bool v);
  virtual rtl::TDateTime AsDateTime() const;
  virtual void SetAsDateTime(rtl::TDateTime v);
  Variant AsVariant() const { return Value(); }
  void SetAsVariant(const Variant& v) { SetValue(v); }
  // Text as edited (Text) and as shown (DisplayText); OnGetText/OnSetText
  // replace the defaults.
  String Text() const;
  void SetText(const String& v);
  String DisplayText() const;

  bool Modified() const { return modified_; }
  void SetModified(bool v) { modified_ = v; }
  bool CanModify() const;
  virtual bool IsValidChar(char16_t c) const;
  // Runs OnValidate with the pending value in place.
  void Validate(const void* Buffer);
  void FocusControl();

  // Raw access in the native layout; false when null.
  bool GetData(void* Buffer) const;
  void SetData(const void* Buffer);

  std::function<void(TField*)> OnChange;
  std::function<void(TField*)> OnValidate;
  std::function<void(TField*, String&, bool)> OnGetText;
  std::function<void(TField*, const String&)> OnSetText;
  bool HasOnSetText() const { return static_cast<bool>(OnSetText); }

 protected:
  void Notification(ui::TComponent* AComponent, ui::TOperation Operation) override;
  virtual Variant GetAsVariant() const;
  virtual void SetVarValue(const Variant& v);
  virtual String GetDisplayText(bool /*Display*/) const { return AsString(); }
  virtual int DefaultDisplayWidth() const { return size_ > 0 ? size_ : 10; }
  [[noreturn]] void AccessError(const char16_t* TypeName) const;
  [[noreturn]] void RangeError(double Value, double Min, double Max) const;

 private:
  friend class TDataSet;
  TDataSet* dataSet_ = nullptr;
  String fieldName_, displayLabel_, displayFormat_, editFormat_, editMask_, origin_;
  int displayWidth_ = 0;
  TAlignment alignment_ = taLeftJustify;
  bool visible_ = true, readOnly_ = false, required_ = false, modified_ = false;
  int fieldNo_ = 0;
  TFieldKind fieldKind_ = fkData;
  TFieldType dataType_;
  int size_;
  int offset_ = 0;
  TDataSet* lookupDataSet_ = nullptr;
  String keyFields_, lookupKeyFields_, lookupResultField_;
  const void* validating_ = nullptr;  // buffer OnValidate sees
  bool hasValidating_ = false;
};

// 8-bit text of Size characters (stored zero-terminated in the system code page).
class TStringField : public TField {
 public:
  TStringField(ui::TComponent* AOwner, TFieldType DataType = ftString, int Size = 20) : TField(AOwner, DataType, Size) {}
  int DataSize() const override { return Size() + 1; }
  String AsString() const override;
  void SetAsString(const String& v) override;
  rtl::AnsiString AsAnsiString() const;
  void SetAsAnsiString(const rtl::AnsiString& v);
  std::int32_t AsInteger() const override;
  void SetAsInteger(std::int32_t v) override { SetAsString(rtl::IntToStr(v)); }
  double AsFloat() const override;
  void SetAsFloat(double v) override;
  bool AsBoolean() const override;
  void SetAsBoolean(bool v) override { SetAsString(v ? u"True" : u"False"); }
  std::int64_t AsLargeInt() const override;
  void SetAsLargeInt(std::int64_t v) override { SetAsString(rtl::IntToStr(v)); }

 protected:
  Variant GetAsVariant() const override;
};

class TGuidField : public TStringField {
 public:
  explicit TGuidField(ui::TComponent* AOwner) : TStringField(AOwner, ftGuid, 38) {}
};

// UTF-16 text of Size units.
class TWideStringField : public TStringField {
 public:
  TWideStringField(ui::TComponent* AOwner, TFieldType DataType = ftWideString, int Size = 20) : TStringField(AOwner, DataType, Size) {}
  int DataSize() const override { return 2 * Size() + 2; }
  String AsString() const override;
  void SetAsString(const String& v) override;

 protected:
  Variant GetAsVariant() const override;
};

// Integers of every width; the native layout follows DataType.
class TIntegerField : public TField {
 public:
  TIntegerField(ui::TComponent* AOwner, TFieldType DataType = ftInteger);
  int DataSize() const override;
  bool IsNumeric() const override { return true; }
  // Signs and digits.
  bool IsValidChar(char16_t c) const override;
  String AsString() const override;
  void SetAsString(const String& v) override;
  std::int32_t AsInteger() const override;
  void SetAsInteger(std::int32_t v) override { SetAsLargeInt(v); }
  std::int64_t AsLargeInt() const override;
  void SetAsLargeInt(std::int64_t v) override;
  double AsFloat() const override { return static_cast<double>(AsLargeInt()); }
  void SetAsFloat(double v) override;
  bool AsBoolean() const override { return AsLargeInt() != 0; }
  void SetAsBoolean(bool v) override { SetAsLargeInt(v ? 1 : 0); }
  std::int64_t MinValue() const { return minValue_; }
  std::int64_t MaxValue() const { return maxValue_; }
  void SetMinValue(std::int64_t v) { minValue_ = v; }
  void SetMaxValue(std::int64_t v) { maxValue_ = v; }

 protected:
  Variant GetAsVariant() const override;
  int DefaultDisplayWidth() const override { return 11; }

 private:
  std::int64_t minValue_ = 0, maxValue_ = 0;
};

class TSmallintField : public TIntegerField {
 public:
  explicit TSmallintField(ui::TComponent* AOwner) : TIntegerField(AOwner, ftSmallint) {}
};
class TWordField : public TIntegerField {
 public:
  explicit TWordField(ui::TComponent* AOwner) : TIntegerField(AOwner, ftWord) {}
};
class TAutoIncField : public TIntegerField {
 public:
  explicit TAutoIncField(ui::TComponent* AOwner) : TIntegerField(AOwner, ftAutoInc) {}
};
class TLargeintField : public TIntegerField {
 public:
  explicit TLargeintField(ui::TComponent* AOwner) : TIntegerField(AOwner, ftLargeint) {}
};

// Stored as a 16-bit 0/1.
class TBooleanField : public TField {
 public:
  explicit TBooleanField(ui::TComponent* AOwner) : TField(AOwner, ftBoolean) {}
  int DataSize() const override { return 2; }
  String AsString() const override;
  void SetAsString(const String& v) override;
  bool AsBoolean() const override;
  void SetAsBoolean(bool v) override;
  std::int32_t AsInteger() const override { return AsBoolean() ? 1 : 0; }
  void SetAsInteger(std::int32_t v) override { SetAsBoolean(v != 0); }

 protected:
  Variant GetAsVariant() const override;
  int DefaultDisplayWidth() const override { return 5; }
};

// Doubles; Currency formats as money.
class TFloatField : public TField {
 public:
  TFloatField(ui::TComponent* AOwner, TFieldType DataType = ftFloat) : TField(AOwner, DataType) {}
  int DataSize() const override { return 8; }
  bool IsNumeric() const override { return true; }
  // Signs, digits, the decimal separator and the exponent letter.
  bool IsValidChar(char16_t c) const override;
  String AsString() const override;
  void SetAsString(const String& v) override;
  double AsFloat() const override;
  void SetAsFloat(double v) override;
  std::int32_t AsInteger() const override;
  void SetAsInteger(std::int32_t v) override { SetAsFloat(v); }
  std::int64_t AsLargeInt() const override;
  void SetAsLargeInt(std::int64_t v) override { SetAsFloat(static_cast<double>(v)); }
  bool Currency() const { return currency_; }
  void SetCurrency(bool v) { currency_ = v; }
  int Precision() const { return precision_; }
  void SetPrecision(int v) { precision_ = v; }
  double MinValue() const { return minValue_; }
  double MaxValue() const { return maxValue_; }
  void SetMinValue(double v) { minValue_ = v; }
  void SetMaxValue(double v) { maxValue_ = v; }

 protected:
  Variant GetAsVariant() const override;
  String GetDisplayText(bool Display) const override;
  int DefaultDisplayWidth() const override { return 10; }

 private:
  bool currency_ = false;
  int precision_ = 15;
  double minValue_ = 0, maxValue_ = 0;
};

class TCurrencyField : public TFloatField {
 public:
  explicit TCurrencyField(ui::TComponent* AOwner) : TFloatField(AOwner, ftCurrency) { SetCurrency(true); }
};

// Packed decimal: precision (digits), sign bit 7 and scale in bits 0-5,
// then 32 bytes of digits two per byte, high nibble first (34 bytes).
struct TBcd {
  std::uint8_t Precision = 0;
  std::uint8_t SignSpecialPlaces = 0;
  std::uint8_t Fraction[32] = {};
};
static_assert(sizeof(TBcd) == 34);
// Decimal text ("-12.340", "." as separator) to and from a packed decimal;
// the text must be a plain decimal of at most 64 digits.
TBcd StrToBcd(std::u16string_view Text);
String BcdToStr(const TBcd& Bcd);
int BcdCompare(const TBcd& A, const TBcd& B);

// ftBCD and ftFMTBcd; Size is the number of decimals.
class TBCDField : public TField {
 public:
  TBCDField(ui::TComponent* AOwner, TFieldType DataType = ftBCD) : TField(AOwner, DataType, 4) {}
  int DataSize() const override { return static_cast<int>(sizeof(TBcd)); }
  bool IsNumeric() const override { return true; }
  // Signs, digits and the decimal separator.
  bool IsValidChar(char16_t c) const override;
  String AsString() const override;
  void SetAsString(const String& v) override;
  double AsFloat() const override;
  void SetAsFloat(double v) override;
  std::int32_t AsInteger() const override;
  void SetAsInteger(std::int32_t v) override { SetAsString(rtl::IntToStr(v)); }
  std::int64_t AsLargeInt() const override;
  void SetAsLargeInt(std::int64_t v) override { SetAsString(rtl::IntToStr(v)); }
  int Precision() const { return precision_; }
  void SetPrecision(int v) { precision_ = v; }

 protected:
  Variant GetAsVariant() const override;
  int DefaultDisplayWidth() const override { return precision_ + 2; }

 private:
  int precision_ = 18;
};
class TFMTBCDField : public TBCDField {
 public:
  explicit TFMTBCDField(ui::TComponent* AOwner) : TBCDField(AOwner, ftFMTBcd) {}
};

// ftDate and ftTime keep 32-bit day numbers (since 0001-01-01, day 1) and
// milliseconds since midnight; ftDateTime keeps a TDateTime double.
class TDateTimeField : public TField {
 public:
  TDateTimeField(ui::TComponent* AOwner, TFieldType DataType = ftDateTime) : TField(AOwner, DataType) {}
  int DataSize() const override { return DataType() == ftDateTime ? 8 : 4; }
  bool IsDateTime() const override { return true; }
  String AsString() const override;
  void SetAsString(const String& v) override;
  rtl::TDateTime AsDateTime() const override;
  void SetAsDateTime(rtl::TDateTime v) override;
  double AsFloat() const override { return AsDateTime(); }
  void SetAsFloat(double v) override { SetAsDateTime(v); }

 protected:
  Variant GetAsVariant() const override;
  String GetDisplayText(bool Display) const override;
  int DefaultDisplayWidth() const override { return 18; }
};
class TDateField : public TDateTimeField {
 public:
  explicit TDateField(ui::TComponent* AOwner) : TDateTimeField(AOwner, ftDate) {}
};
class TTimeField : public TDateTimeField {
 public:
  explicit TTimeField(ui::TComponent* AOwner) : TDateTimeField(AOwner, ftTime) {}
};

// SQL time stamp: year, month, day, hour, minute, second (16-bit each),
// fractions (32-bit) in 16 bytes.
struct TSQLTimeStamp {
  std::int16_t Year;
  std::uint16_t Month, Day, Hour, Minute, Second;
  std::uint32_t Fractions;
};
class TSQLTimeStampField : public TDateTimeField {
 public:
  explicit TSQLTimeStampField(ui::TComponent* AOwner) : TDateTimeField(AOwner, ftTimeStamp) {}
  int DataSize() const override { return static_cast<int>(sizeof(TSQLTimeStamp)); }
  rtl::TDateTime AsDateTime() const override;
  void SetAsDateTime(rtl::TDateTime v) override;
};

// Fixed bytes (ftBytes) or a 16-bit length followed by up to Size bytes (ftVarBytes).
class TBytesField : public TField {
 public:
  TBytesField(ui::TComponent* AOwner, TFieldType DataType = ftBytes, int Size = 16) : TField(AOwner, DataType, Size) {}
  int DataSize() const override { return DataType() == ftVarBytes ? Size() + 2 : Size(); }
  rtl::AnsiString AsBytes() const;
  void SetAsBytes(const rtl::AnsiString& v);
  String AsString() const override;
  void SetAsString(const String& v) override;

 protected:
  Variant GetAsVariant() const override;
  void SetVarValue(const Variant& v) override;
};
class TVarBytesField : public TBytesField {
 public:
  TVarBytesField(ui::TComponent* AOwner, int Size = 16) : TBytesField(AOwner, ftVarBytes, Size) {}
};

// Any variant; GetFieldData/PutFieldData take an rtl::Variant*.
class TVariantField : public TField {
 public:
  explicit TVariantField(ui::TComponent* AOwner) : TField(AOwner, ftVariant) {}
  int DataSize() const override { return static_cast<int>(sizeof(Variant)); }
  String AsString() const override { return rtl::VarToStr(Value()); }
  void SetAsString(const String& v) override { SetValue(Variant(v)); }
  std::int32_t AsInteger() const override { return IsNull() ? 0 : Value().AsInteger(); }
  void SetAsInteger(std::int32_t v) override { SetValue(Variant(v)); }
  double AsFloat() const override { return IsNull() ? 0 : Value().AsDouble(); }
  void SetAsFloat(double v) override { SetValue(Variant(v)); }
  bool AsBoolean() const override { return IsNull() ? false : Value().AsBoolean(); }
  void SetAsBoolean(bool v) override { SetValue(Variant(v)); }

 protected:
  Variant GetAsVariant() const override;
  void SetVarValue(const Variant& v) override;
};

// Blobs read and write through the dataset's blob streams. Memo text is
// 8-bit in the system code page, wide memo text UTF-16.
class TBlobField : public TField {
 public:
  TBlobField(ui::TComponent* AOwner, TFieldType DataType = ftBlob) : TField(AOwner, DataType) {}
  int DataSize() const override { return 0; }
  rtl::AnsiString AsBytes() const;
  void SetAsBytes(const rtl::AnsiString& v);
  String AsString() const override;
  void SetAsString(const String& v) override;
  std::int64_t BlobSize() const;
  bool IsBlobNull() const { return BlobSize() == 0; }

 protected:
  Variant GetAsVariant() const override;
  void SetVarValue(const Variant& v) override;
  String GetDisplayText(bool Display) const override;
};
class TMemoField : public TBlobField {
 public:
  explicit TMemoField(ui::TComponent* AOwner, TFieldType DataType = ftMemo) : TBlobField(AOwner, DataType) {}
};
class TWideMemoField : public TBlobField {
 public:
  explicit TWideMemoField(ui::TComponent* AOwner) : TBlobField(AOwner, ftWideMemo) {}
};
class TGraphicField : public TBlobField {
 public:
  explicit TGraphicField(ui::TComponent* AOwner) : TBlobField(AOwner, ftGraphic) {}
};

// The field class for a data type; nullptr for types without one.
TField* CreateFieldForType(ui::TComponent* AOwner, TFieldType DataType, int Size);

}  // namespace db
