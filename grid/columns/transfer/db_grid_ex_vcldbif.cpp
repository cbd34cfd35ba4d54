#include "grid/columns/transfer/db_grid_ex_vcldbif.h"

#include <cstring>

#include "grid/columns/transfer/transfer_internal.h"
#include "grid/core/custom_db_grid_ex.h"
#include "grid/editor_support/tool_routines.h"
#include "platform/runtime/codepage.h"
#include "platform/runtime/exceptions.h"

namespace grid {

namespace {

void PutByte(rtl::TStream& Stream, std::uint8_t Value) { Stream.WriteBuffer(&Value, 1); }

void PutInt32(rtl::TStream& Stream, std::int32_t Value) {
  const auto u = static_cast<std::uint32_t>(Value);
  const std::uint8_t bytes[4] = {std::uint8_t(u), std::uint8_t(u >> 8), std::uint8_t(u >> 16),
                                 std::uint8_t(u >> 24)};
  Stream.WriteBuffer(bytes, 4);
}

void PutBytes(rtl::TStream& Stream, std::uint8_t Tag, const std::string& Bytes) {
  PutByte(Stream, Tag);
  PutInt32(Stream, static_cast<std::int32_t>(Bytes.size()));
  if (!Bytes.empty()) Stream.WriteBuffer(Bytes.data(), static_cast<std::int64_t>(Bytes.size()));
}

void PutWide(rtl::TStream& Stream, const String& Text) {
  PutByte(Stream, vdbifWideText);
  PutInt32(Stream, static_cast<std::int32_t>(Text.size() * 2));
  transfer_detail::WriteWide(Stream, Text);
}

// The field's value as 8-bit bytes: raw bytes for binary fields, else its
// text in the system code page.
std::string AnsiBytes(db::TField* Field) {
  if (auto* blob = dynamic_cast<db::TBlobField*>(Field)) return blob->AsBytes();
  if (auto* bytes = dynamic_cast<db::TBytesField*>(Field)) return bytes->AsBytes();
  if (auto* text = dynamic_cast<db::TStringField*>(Field)) return text->AsAnsiString();
  return transfer_detail::ToAnsi(Field->AsString());
}

std::int32_t Int32At(const std::uint8_t* p) {
  return static_cast<std::int32_t>(std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 |
                                   std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24);
}

}  // namespace

// --- writer --------------------------------------------------------------------

void TDBGridExExportAsVCLDBIF::WriteStreamPrefix() {
  TVCLDBIF_BOF prefix = {{'V', 'C', 'L', 'D', 'B', 'I', 'F'}, 1, 0};
  prefix.ColCount = static_cast<std::int32_t>(FExpCols.size());
  rtl::TStream& s = *Stream();
  s.WriteBuffer(prefix.Signatura, 7);
  PutByte(s, prefix.Version);
  PutInt32(s, prefix.ColCount);
  for (TColumnEx* column : FExpCols) {
    PutByte(s, column->Visible() ? 1 : 0);
    PutByte(s, 0);
  }
}

void TDBGridExExportAsVCLDBIF::WriteSuffix() { PutByte(*Stream(), vdbifEnd); }

void TDBGridExExportAsVCLDBIF::WriteDataCell(TColumnEx* Column, TColCellParamsEx&) {
  rtl::TStream& s = *Stream();
  db::TField* field = Column->Field();
  if (field && field->FieldKind() == db::fkLookup) {
    ui::TStringList keys;
    for (db::TField* key : FieldsArrayFromNames(field->DataSet(), field, field->KeyFields()))
      keys.Add(key->AsString());
    PutWide(s, keys.CommaText());
    return;
  }
  if (!field) {
    PutByte(s, vdbifNoValue);
    return;
  }
  if (field->IsNull()) {
    PutByte(s, vdbifNull);
    return;
  }
  switch (field->DataType()) {
    case db::ftSmallint:
    case db::ftInteger:
    case db::ftWord:
    case db::ftAutoInc:
    case db::ftShortint:
    case db::ftByte:
      PutByte(s, vdbifInteger);
      PutInt32(s, field->AsInteger());
      break;
    case db::ftFloat:
    case db::ftCurrency:
    case db::ftBCD:
    case db::ftDate:
    case db::ftTime:
    case db::ftDateTime:
    case db::ftTimeStamp:
    case db::ftFMTBcd: {
      const double value = field->AsFloat();
      std::uint8_t bytes[8];
      std::memcpy(bytes, &value, 8);
      PutByte(s, vdbifFloat);
      s.WriteBuffer(bytes, 8);
      break;
    }
    case db::ftString:
    case db::ftBoolean:
    case db::ftMemo:
    case db::ftFixedChar:
    case db::ftLargeint:
    case db::ftOraClob:
    case db::ftGuid:
    case db::ftOraTimeStamp:
    case db::ftOraInterval:
    case db::ftLongWord:
    case db::ftExtended:
      PutBytes(s, vdbifAnsiText, AnsiBytes(field));
      break;
    case db::ftBytes:
    case db::ftVarBytes:
    case db::ftBlob:
    case db::ftGraphic:
    case db::ftFmtMemo:
    case db::ftParadoxOle:
    case db::ftDBaseOle:
    case db::ftTypedBinary:
    case db::ftOraBlob:
      PutBytes(s, vdbifBinary, AnsiBytes(field));
      break;
    case db::ftWideString:
    case db::ftFixedWideChar:
    case db::ftWideMemo:
      PutWide(s, field->AsString());
      break;
    default:
      PutByte(s, vdbifNoValue);
  }
}

// --- reader --------------------------------------------------------------------

void TDBGridExImportAsVCLDBIF::FormatError() {
  throw rtl::Exception(u"TDBGridExImportAsVCLDBIF.ReadPrefix: Invalid VCLDBIF format");
}

void TDBGridExImportAsVCLDBIF::ReadExact(void* Buffer, std::int64_t Count) {
  if (Count > 0 && FStream->Read(Buffer, Count) != Count) FormatError();
}

std::int32_t TDBGridExImportAsVCLDBIF::ReadLength() {
  std::uint8_t bytes[4];
  ReadExact(bytes, 4);
  const std::int32_t n = Int32At(bytes);
  // Checked against what is left before anything is allocated for it.
  if (n < 0 || n > FStream->Size() - FStream->Position()) FormatError();
  return n;
}

void TDBGridExImportAsVCLDBIF::ImportFromStream(rtl::TStream& AStream, bool IsImportAll) {
  FIgnoreAll = false;
  UseFieldNames = false;
  FieldNames = std::make_unique<ui::TStringList>();
  struct TRelease {
    TDBGridExImportAsVCLDBIF* Self;
    ~TRelease() { Self->FieldNames.reset(); }
  } release{this};
  TDBGridExImport::ImportFromStream(AStream, IsImportAll);
}

void TDBGridExImportAsVCLDBIF::ReadPrefix() {
  std::uint8_t bytes[12];
  ReadExact(bytes, 12);
  std::memcpy(Prefix.Signatura, bytes, 7);
  Prefix.Version = bytes[7];
  Prefix.ColCount = Int32At(bytes + 8);
  if (std::memcmp(Prefix.Signatura, "VCLDBIF", 7) != 0) FormatError();
  // Each descriptor takes two bytes at least: a count the rest cannot hold is
  // refused before it is walked.
  if (Prefix.ColCount < 0 || std::int64_t{Prefix.ColCount} * 2 > FStream->Size() - FStream->Position())
    FormatError();
  for (std::int32_t i = 0; i < Prefix.ColCount; ++i) {
    std::uint8_t flag = 0;
    ReadExact(&flag, 1);
    std::string name;
    for (;;) {
      char c = 0;
      ReadExact(&c, 1);
      if (c == 0) break;
      name += c;
    }
    if (!name.empty()) UseFieldNames = true;
    FieldNames->AddObject(rtl::DecodeText(name, rtl::CP_ACP), reinterpret_cast<void*>(std::uintptr_t{flag}));
  }
  ReadValue();
  // Without columns no record would ever use up the data that follows.
  if (Prefix.ColCount == 0 && !Eos) FormatError();
}

void TDBGridExImportAsVCLDBIF::ReadValue() {
  if (Eos) return;
  std::uint8_t tag = 0;
  ReadExact(&tag, 1);
  LastValue = rtl::Variant();
  switch (tag) {
    case vdbifEnd:
      Eos = true;
      break;
    case vdbifNoValue:
      break;
    case vdbifNull:
      LastValue = rtl::Variant::Null();
      break;
    case vdbifInteger: {
      std::uint8_t bytes[4];
      ReadExact(bytes, 4);
      LastValue = rtl::Variant(static_cast<int>(Int32At(bytes)));
      break;
    }
    case vdbifFloat: {
      std::uint8_t bytes[8];
      ReadExact(bytes, 8);
      double value = 0;
      std::memcpy(&value, bytes, 8);
      LastValue = rtl::Variant(value);
      break;
    }
    case vdbifAnsiText:
    case vdbifBinary: {
      std::string bytes(static_cast<std::size_t>(ReadLength()), '\0');
      ReadExact(bytes.data(), static_cast<std::int64_t>(bytes.size()));
      LastValue = rtl::Variant::FromAnsi(std::move(bytes));
      break;
    }
    case vdbifWideText: {
      const std::int32_t n = ReadLength();
      if (n % 2 != 0) FormatError();
      std::string bytes(static_cast<std::size_t>(n), '\0');
      ReadExact(bytes.data(), n);
      String text(static_cast<std::size_t>(n / 2), u'\0');
      for (std::size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<char16_t>(std::uint8_t(bytes[2 * i]) | std::uint8_t(bytes[2 * i + 1]) << 8);
      LastValue = rtl::Variant(std::move(text));
      break;
    }
    default:
      FormatError();
  }
}

void TDBGridExImportAsVCLDBIF::ReadRecord(const std::vector<TColumnEx*>& ColumnsList) {
  for (std::int32_t i = 0; i < Prefix.ColCount && !Eos; ++i)
    ReadDataCell(static_cast<std::size_t>(i) < ColumnsList.size() ? ColumnsList[static_cast<std::size_t>(i)]
                                                                  : nullptr);
}

void TDBGridExImportAsVCLDBIF::ReadDataCell(TColumnEx* Column) {
  if (!LastValue.IsEmpty() && Column && Column->CanModify(false)) {
    db::TField* field = Column->Field();
    if (field && field->FieldKind() == db::fkLookup) {
      ui::TStringList entries;
      entries.SetCommaText(LastValue.IsNull() ? String() : LastValue.AsString());
      std::vector<db::TField*> keys = FieldsArrayFromNames(field->DataSet(), field, field->KeyFields());
      for (std::size_t i = 0; i < keys.size() && static_cast<int>(i) < entries.Count(); ++i)
        AssignLastValue(keys[i], rtl::Variant(entries.Strings(static_cast<int>(i))));
    } else if (field) {
      AssignLastValue(field, LastValue);
    }
  }
  ReadValue();
}

void TDBGridExImportAsVCLDBIF::AssignLastValue(db::TField* Field, const rtl::Variant& Value) {
  db::TDataSet* ds = Field->DataSet();
  if (!ds || !ds->CanModify()) return;
  try {
    ds->Edit();
    if (ds->State() == db::dsEdit || ds->State() == db::dsInsert) Field->SetValue(Value);
  } catch (const rtl::EAbort&) {
    throw;
  } catch (const rtl::Exception& e) {
    AskIgnoreError(e.Message(), FIgnoreAll);
  }
}

}  // namespace grid
