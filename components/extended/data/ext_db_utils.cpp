#include "components/extended/data/ext_db_utils.h"

namespace ext {

using namespace db;

bool FieldMatchesKey(TField* Field, const Variant& KeyValue, TLocateOptions Options) {
  if (Field->DataType() != ftString && Field->DataType() != ftWideString) return Field->Value() == KeyValue;
  if (KeyValue.IsNull()) return Field->IsNull();
  String text = Field->AsString();
  String key = rtl::VarToStr(KeyValue);
  if ((Options & loPartialKey) && text.size() > key.size()) text.resize(key.size());
  if (Options & loCaseInsensitive) return rtl::AnsiSameText(text, key);
  return text == key;
}

bool CurrentRecordMatches(const std::vector<TField*>& Fields, const Variant& KeyValues, TLocateOptions Options) {
  if (Fields.size() == 1) return FieldMatchesKey(Fields[0], KeyValues, Options);
  if (!KeyValues.IsArray()) return false;
  int low = KeyValues.LowBound();
  for (std::size_t i = 0; i < Fields.size(); ++i) {
    int index = low + static_cast<int>(i);
    if (index > KeyValues.HighBound()) return false;
    if (!FieldMatchesKey(Fields[i], KeyValues[index], Options)) return false;
  }
  return true;
}

bool LocateByScan(TDataSet* DataSet, const String& KeyFields, const Variant& KeyValues, TLocateOptions Options) {
  DataSet->CheckBrowseMode();
  if (DataSet->IsEmpty()) return false;
  std::vector<TField*> fields;
  DataSet->GetFieldList(fields, KeyFields);
  if (CurrentRecordMatches(fields, KeyValues, Options)) return true;
  bool found = false;
  DataSet->DisableControls();
  try {
    TBookmark here = DataSet->GetBookmark();
    DataSet->First();
    while (!DataSet->Eof()) {
      if (CurrentRecordMatches(fields, KeyValues, Options)) {
        found = true;
        break;
      }
      DataSet->Next();
    }
    if (!found && DataSet->BookmarkValid(here)) DataSet->GotoBookmark(here);
  } catch (...) {
    DataSet->EnableControls();
    throw;
  }
  DataSet->EnableControls();
  return found;
}

void CopyFieldValues(TDataSet* Source, TDataSet* Dest, bool ByName) {
  if (!IsEditMode(Dest->State())) DatabaseError(u"Dataset not in edit or insert mode");
  auto pass = [](TField* from, TField* to) {
    if (from && to && to->DataType() != ftAutoInc) to->SetValue(from->Value());
  };
  if (ByName) {
    for (int i = 0; i < Source->FieldCount(); ++i) {
      TField* from = Source->Fields(i);
      pass(from, Dest->FindField(from->FieldName()));
    }
    return;
  }
  int n = std::min(Source->FieldDefs().Count(), Dest->FieldDefs().Count());
  for (int i = 0; i < n; ++i)
    pass(Source->FindField(Source->FieldDefs()[i]->Name()), Dest->FindField(Dest->FieldDefs()[i]->Name()));
}

}  // namespace ext
