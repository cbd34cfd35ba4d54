#include "grid/columns/transfer/db_grid_ex_import_as_text.h"

#include "grid/columns/transfer/transfer_internal.h"
#include "grid/core/custom_db_grid_ex.h"
#include "platform/runtime/codepage.h"
#include "platform/runtime/exceptions.h"

namespace grid {

void TDBGridExImportAsText::ImportFromStream(rtl::TStream& AStream, bool IsImportAll) {
  FIgnoreAll = false;
  TDBGridExImport::ImportFromStream(AStream, IsImportAll);
}

bool TDBGridExImportAsText::ReadChar() {
  std::uint8_t byte = 0;
  if (FStream->Read(&byte, 1) != 1) return false;
  FLastChar = byte;
  return true;
}

bool TDBGridExImportAsUnicodeText::ReadChar() {
  std::uint8_t unit[2] = {0, 0};
  const std::int64_t got = FStream->Read(unit, 2);
  if (got != 2) return false;
  FLastChar = static_cast<char16_t>(unit[0] | (unit[1] << 8));
  return true;
}

String TDBGridExImportAsText::CellText() const {
  std::string bytes(FLastString.size(), '\0');
  bool ascii = true;
  for (std::size_t i = 0; i < FLastString.size(); ++i) {
    bytes[i] = static_cast<char>(FLastString[i]);
    if (FLastString[i] >= 0x80) ascii = false;
  }
  if (ascii) return FLastString;
  return rtl::DecodeText(bytes, rtl::CP_ACP);
}

void TDBGridExImportAsText::PushBack(int Chars) {
  const std::int64_t back = std::int64_t{Chars} * CharSize();
  if (FStream->Position() >= back) FStream->Seek(-back, rtl::TSeekOrigin::soCurrent);
}

TImportTextSreamState TDBGridExImportAsText::CheckState() {
  const TImportTextSreamState previous = FLastState;
  const bool cellStart = previous == itssTab || previous == itssNewLine;
  TImportTextSreamState state;
  if (!ReadChar()) {
    Eos = true;
    state = itssEof;
  } else if (FLastChar == 9) {
    state = itssTab;
    if (cellStart) {
      PushBack(1);
      FLastChar = 0;
      state = itssChar;
    }
  } else if (FLastChar == 13) {
    if (!ReadChar() || FLastChar != 10) throw rtl::Exception(ErrorPrefix() + u"Invalid text format");
    state = itssNewLine;
    if (cellStart) {
      PushBack(2);
      FLastChar = 0;
      state = itssChar;
    }
  } else if (FLastChar == 0) {
    Eos = true;
    state = itssEof;
  } else {
    state = itssChar;
  }
  FLastState = state;
  return state;
}

TImportTextSreamState TDBGridExImportAsText::ReadString() {
  FLastString.clear();
  // A pushed-back separator leaves code 0: the cell is empty, not a 0 character.
  if (FLastState == itssChar && FLastChar != 0) FLastString += FLastChar;
  while (CheckState() == itssChar) FLastString += FLastChar;
  return FLastState;
}

void TDBGridExImportAsText::ReadPrefix() {
  FLastState = itssNewLine;
  CheckState();
}

void TDBGridExImportAsText::ReadRecord(const std::vector<TColumnEx*>& ColumnsList) {
  if (FLastState == itssEof) return;
  std::size_t i = 0;
  if (FLastState == itssChar) {
    ReadString();
    if (!ColumnsList.empty()) ReadDataCell(ColumnsList[0]);
    i = 1;
  }
  while (FLastState != itssNewLine && FLastState != itssEof) {
    ReadString();
    if (i < ColumnsList.size()) ReadDataCell(ColumnsList[i]);
    ++i;
  }
  CheckState();
}

void TDBGridExImportAsText::ReadDataCell(TColumnEx* Column) {
  if (!Column || !Column->CanModify(false)) return;
  db::TField* field = Column->Field();
  if (!field) return;
  if (field->Lookup() && field->KeyFields().empty()) return;
  db::TDataSet* ds = field->DataSet();
  if (!ds || !ds->CanModify()) return;
  const String text = CellText();
  try {
    ds->Edit();
    if (ds->State() != db::dsEdit && ds->State() != db::dsInsert) return;
    AssignCell(Column, text);
  } catch (const rtl::EAbort&) {
    throw;
  } catch (const rtl::Exception& e) {
    AskIgnoreError(e.Message(), FIgnoreAll);
  }
}

void TDBGridExImportAsText::AssignCell(TColumnEx* Column, const String& Text) {
  db::TField* field = Column->Field();
  db::TDataSet* ds = field->DataSet();
  if (field->Lookup()) {
    db::TDataSet* lookup = field->LookupDataSet();
    if (!lookup) return;
    const db::TLocateOptions options = db::loCaseInsensitive | db::loPartialKey;
    if (!lookup->Locate(field->LookupResultField(), rtl::Variant(Text), options)) return;
    std::vector<db::TField*> keys, lookupKeys;
    ds->GetFieldList(keys, field->KeyFields());
    lookup->GetFieldList(lookupKeys, field->LookupKeyFields());
    for (std::size_t i = 0; i < keys.size() && i < lookupKeys.size(); ++i)
      keys[i]->SetValue(lookupKeys[i]->Value());
    return;
  }
  if (Column->GetColumnType() == ctKeyPickList) {
    const int at = Column->PickList()->IndexOf(Text);
    if (at < 0 || at >= Column->KeyList()->Count())
      field->Clear();
    else
      field->SetAsString(Column->KeyList()->Strings(at));
    return;
  }
  field->SetAsString(Column->GetAcceptableEditText(Text));
}

}  // namespace grid
