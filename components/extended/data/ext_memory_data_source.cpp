// TExtMemoryData with a source dataset: taking its structure, loading and
// saving records, and applying tracked changes back by key fields.
#include <algorithm>
#include <cstring>

#include "components/extended/data/ext_db_utils.h"
#include "components/extended/data/ext_memory_data.h"

namespace ext {

using namespace db;

namespace {

bool SupportedCopyType(TFieldType t) {
  switch (t) {
    case ftString: case ftSmallint: case ftInteger: case ftWord: case ftBoolean: case ftFloat: case ftCurrency:
    case ftBCD: case ftDate: case ftTime: case ftDateTime: case ftBytes: case ftVarBytes: case ftAutoInc:
    case ftFixedChar: case ftWideString: case ftLargeint: case ftADT: case ftVariant: case ftGuid: case ftTimeStamp:
    case ftFMTBcd: case ftFixedWideChar: case ftOraTimeStamp: case ftLongWord: case ftShortint: case ftByte:
    case ftExtended:
      return true;
    default:
      return IsBlobType(t);
  }
}

// Suspends a dataset's controls for a scope when asked.
class ControlsOff {
 public:
  ControlsOff(TDataSet* D, bool Enabled) : d_(Enabled ? D : nullptr) {
    if (d_) d_->DisableControls();
  }
  ~ControlsOff() {
    if (d_) d_->EnableControls();
  }

 private:
  TDataSet* d_;
};

}  // namespace

// ---------------------------------------------------------------- status field

TField* TExtMemoryData::StatusField() const { return FindField(StatusFieldName); }

int TExtMemoryData::CurrentStatus() {
  TField* f = StatusField();
  if (!f || f->IsNull()) return -1;
  return f->AsInteger();
}

int TExtMemoryData::StoredStatus(const TExtMemoryRecord& Record) const {
  TField* f = StatusField();
  if (!f || f->FieldNo() <= 0) return -1;
  std::int32_t ofs = offsets_.at(static_cast<std::size_t>(f->FieldNo() - 1));
  if (ofs < 0 || !Record.Data()[ofs]) return -1;
  std::int16_t v;
  std::memcpy(&v, Record.Data() + ofs + 1, 2);
  return v;
}

void TExtMemoryData::SetBufferStatus(TRecordBuffer Buffer, TRecordStatus Status) {
  TField* f = StatusField();
  if (!f) return;
  std::uint8_t* slot = FieldSlotOf(Buffer, f);
  if (!slot) return;
  std::int16_t v = static_cast<std::int16_t>(Status);
  slot[0] = 1;
  std::memcpy(slot + 1, &v, 2);
}

void TExtMemoryData::EnsureStatusFieldDef() {
  int n = FieldDefs().Count();
  if (n > 0 && !rtl::AnsiSameText(FieldDefs()[n - 1]->Name(), StatusFieldName))
    FieldDefs().Add(StatusFieldName, ftSmallint);
}

void TExtMemoryData::HideStatusFieldColumn() {
  int n = FieldDefs().Count();
  if (n == 0) return;
  TFieldDef* d = FieldDefs()[n - 1];
  if (!rtl::AnsiSameText(d->Name(), StatusFieldName)) return;
  d->SetAttributes(d->Attributes() | faHiddenCol);
  if (FieldCount() > 0 && !rtl::AnsiSameText(Fields(FieldCount() - 1)->FieldName(), StatusFieldName))
    d->CreateField(this);
  if (FieldCount() > 0) Fields(FieldCount() - 1)->SetVisible(false);
}

// ---------------------------------------------------------------- structure

void TExtMemoryData::PruneCopiedFieldDefs(bool UseAutoIncAsInteger) {
  for (int i = FieldDefs().Count() - 1; i >= 0; --i) {
    TFieldDef* d = FieldDefs()[i];
    if (UseAutoIncAsInteger && d->DataType() == ftAutoInc) d->SetDataType(ftInteger);
    if (!SupportedCopyType(d->DataType())) FieldDefs().Delete(i);
  }
}

void TExtMemoryData::CreateFieldsForDefs(bool UseAutoIncAsInteger) {
  PruneCopiedFieldDefs(UseAutoIncAsInteger);
  ui::TComponent* owner = this;
  for (int i = 0; i < FieldDefs().Count(); ++i) FieldDefs()[i]->CreateField(owner);
  if (Tracking()) HideStatusFieldColumn();
}

void TExtMemoryData::CopyStructure(TDataSet* Source, bool UseAutoIncAsInteger) {
  if (!Source) return;
  CheckInactive();
  for (int i = FieldCount() - 1; i >= 0; --i) delete Fields(i);
  Source->FieldDefs().Update();
  FieldDefs().Assign(Source->FieldDefs());
  if (Tracking()) EnsureStatusFieldDef();
  CreateFieldsForDefs(UseAutoIncAsInteger);
}

// ---------------------------------------------------------------- loading

int TExtMemoryData::LoadSourceRecords() {
  if (!source_) return 0;
  int n = FieldDefs().Count() - 2 + (Tracking() ? 0 : 1);
  if (n <= 0) return 0;
  try {
    if (!source_->Active()) source_->Open();
  } catch (...) {
    return 0;
  }
  if (source_->IsEmpty()) {
    if (datasetClosed_) source_->Close();
    return 0;
  }
  int count = 0;
  source_->DisableControls();
  DisableControls();
  saveLoadState_ = slsLoading;
  try {
    source_->First();
    while (!source_->Eof()) {
      Append();
      for (int i = 0; i <= n && i < FieldCount(); ++i) {
        TField* own = Fields(i);
        if (rtl::AnsiSameText(own->FieldName(), StatusFieldName)) continue;
        TField* src = source_->FindField(own->FieldName());
        if (!src) continue;
        if (src->IsNull()) own->Clear();
        else own->SetValue(src->Value());
      }
      if (Tracking()) SetBufferStatus(ActiveBuffer(), rsOriginal);
      Post();
      ++count;
      source_->Next();
    }
    rowsChanged_ = rowsAffected_ = 0;
  } catch (...) {
    saveLoadState_ = slsNone;
    EnableControls();
    source_->EnableControls();
    throw;
  }
  saveLoadState_ = slsNone;
  EnableControls();
  source_->EnableControls();
  if (datasetClosed_) source_->Close();
  return count;
}

void TExtMemoryData::ToggleFieldReadOnly(bool Writable) {
  // The flags are kept here, not in the fields' Tag: Tag is the user's.
  if (Writable) {
    savedReadOnly_.assign(static_cast<std::size_t>(FieldCount()), false);
    autoIncField_ = nullptr;
    for (int i = 0; i < FieldCount(); ++i) {
      TField* f = Fields(i);
      savedReadOnly_[static_cast<std::size_t>(i)] = f->ReadOnly();
      f->SetReadOnly(false);
      if (f->DataType() == ftAutoInc && !autoIncField_) autoIncField_ = f;
    }
  } else {
    for (int i = 0; i < FieldCount() && i < static_cast<int>(savedReadOnly_.size()); ++i)
      Fields(i)->SetReadOnly(savedReadOnly_[static_cast<std::size_t>(i)]);
    savedReadOnly_.clear();
  }
}

int TExtMemoryData::LoadFromDataSet(TDataSet* Source, int RecordCount, TLoadMode Mode, bool DisableAllControls) {
  if (!Source || Source == this) return 0;
  int count = 0;
  saveLoadState_ = slsLoading;
  struct StateReset {
    TSaveLoadState& s;
    ~StateReset() { s = slsNone; }
  } reset{saveLoadState_};
  ControlsOff sourceOff(Source, DisableAllControls);
  if (Source->Active()) Source->CheckBrowseMode();
  else Source->Open();
  TBookmark sourceMark = Source->GetBookmark();
  ControlsOff ownOff(this, DisableAllControls);
  SetFiltered(false);
  if (Mode == lmCopy) {
    Close();
    CopyStructure(Source, autoIncAsInteger_);
  }
  DropSortFieldList();
  if (Active()) CheckBrowseMode();
  else Open();
  TBookmark ownMark = GetBookmark();
  if (RecordCount <= 0) Source->First();
  ToggleFieldReadOnly(true);
  srcAutoIncField_ = nullptr;
  if (Mode == lmCopy)
    for (int i = 0; i < Source->FieldCount() && !srcAutoIncField_; ++i)
      if (Source->Fields(i)->DataType() == ftAutoInc) srcAutoIncField_ = Source->Fields(i);
  try {
    while (!Source->Eof()) {
      Append();
      CopyFieldValues(Source, this, true);
      if (autoIncField_ && srcAutoIncField_) {
        std::int32_t v = srcAutoIncField_->AsInteger();
        if (v > autoInc_) autoInc_ = v;
      }
      if (Mode == lmCopy && Tracking()) SetBufferStatus(ActiveBuffer(), rsOriginal);
      Post();
      ++count;
      if (RecordCount > 0 && count >= RecordCount) break;
      Source->Next();
    }
  } catch (...) {
    if (IsEditMode(State())) Cancel();
    ToggleFieldReadOnly(false);
    autoIncField_ = srcAutoIncField_ = nullptr;
    throw;
  }
  if (Mode == lmCopy && Tracking()) {
    rowsOriginal_ = count;
    rowsChanged_ = rowsAffected_ = 0;
  }
  ToggleFieldReadOnly(false);
  autoIncField_ = srcAutoIncField_ = nullptr;
  First();
  if (BookmarkValid(ownMark)) GotoBookmark(ownMark);
  if (Source->BookmarkValid(sourceMark) && !Source->IsEmpty()) Source->GotoBookmark(sourceMark);
  if (datasetClosed_) Source->Close();
  return count;
}

// ---------------------------------------------------------------- saving

int TExtMemoryData::SaveToDataSet(TDataSet* Dest, int RecordCount, bool DisableAllControls) {
  rowsAffected_ = 0;
  if (!Dest || Dest == this) return 0;
  int count = 0;
  saveLoadState_ = slsSaving;
  struct StateReset {
    TSaveLoadState& s;
    ~StateReset() { s = slsNone; }
  } reset{saveLoadState_};
  ControlsOff destOff(Dest, DisableAllControls);
  if (Dest->Active()) Dest->CheckBrowseMode();
  else Dest->Open();
  TBookmark destMark = Dest->GetBookmark();
  ControlsOff ownOff(this, DisableAllControls);
  CheckBrowseMode();
  TBookmark ownMark;
  if (Tracking()) {
    rowsChanged_ = TExtMemoryData::RecordCount();
    FireBeforeApply(Dest, rowsChanged_);
  } else {
    ownMark = GetBookmark();
  }
  if (RecordCount <= 0) First();
  while (!Eof()) {
    TRecordStatus status = static_cast<TRecordStatus>(std::max(CurrentStatus(), 0));
    if (Tracking()) FireBeforeApplyRecord(Dest, status, true);
    Dest->Append();
    try {
      CopyFieldValues(this, Dest, true);
      Dest->Post();
    } catch (...) {
      Dest->Cancel();
      throw;
    }
    ++count;
    if (Tracking()) FireAfterApplyRecord(Dest, status, true);
    if (RecordCount > 0 && count >= RecordCount) break;
    Next();
  }
  if (Tracking()) {
    rowsAffected_ = count;
    FireAfterApply(Dest, count);
    if (count > 0) ResetToSource();
    rowsChanged_ = rowsAffected_ = 0;
  } else if (BookmarkValid(ownMark)) {
    GotoBookmark(ownMark);
  }
  if (Dest->BookmarkValid(destMark) && !Dest->IsEmpty()) Dest->GotoBookmark(destMark);
  if (datasetClosed_) Dest->Close();
  return count;
}

// ---------------------------------------------------------------- keys and the deleted list

Variant TExtMemoryData::GetValues(const String& FldNames) {
  const String& names = FldNames.empty() ? keyFieldNames_ : FldNames;
  std::vector<TField*> fields;
  if (!names.empty()) GetFieldList(fields, names);
  if (fields.empty()) return Variant::Null();
  if (names.find(u';') == String::npos) {
    if (!oneValueInArray_) return fields[0]->Value();
    return rtl::VarArrayOf({fields[0]->Value()});
  }
  Variant out = rtl::VarArrayCreate(0, static_cast<int>(fields.size()) - 1);
  for (std::size_t i = 0; i < fields.size(); ++i) out[static_cast<int>(i)] = fields[i]->Value();
  return out;
}

int TExtMemoryData::FindDeleted(const Variant& KeyValues) const {
  if (KeyValues.IsNull() || KeyValues.IsEmpty()) return -1;
  auto same = [](const Variant& a, const Variant& b) {
    if (a.IsArray() != b.IsArray()) return false;
    if (!a.IsArray()) return a == b;
    if (a.HighBound() - a.LowBound() != b.HighBound() - b.LowBound()) return false;
    for (int i = 0; i <= a.HighBound() - a.LowBound(); ++i)
      if (!(a[a.LowBound() + i] == b[b.LowBound() + i])) return false;
    return true;
  };
  for (std::size_t i = 0; i < deletedValues_.size(); ++i)
    if (same(deletedValues_[i], KeyValues)) return static_cast<int>(i);
  return -1;
}

bool TExtMemoryData::IsDeleted(int& Index) {
  Index = keyFieldNames_.empty() ? -1 : FindDeleted(GetValues(keyFieldNames_));
  return Index >= 0;
}

Variant TExtMemoryData::LocateKeys(const Variant& Keys) const {
  // One key field takes its value itself; a one-element array (the default
  // shape of GetValues) would never equal a field's value.
  std::size_t pos = 0;
  int names = 0;
  while (pos < keyFieldNames_.size())
    if (!NextFieldName(keyFieldNames_, pos).empty()) ++names;
  if (names == 1 && Keys.IsArray() && Keys.HighBound() == Keys.LowBound()) return Keys[Keys.LowBound()];
  return Keys;
}

// ---------------------------------------------------------------- applying

bool TExtMemoryData::CopyFieldsToSource() {
  try {
    for (int i = 0; i <= FieldDefs().Count() - 2 && i < FieldCount(); ++i) {
      TField* own = Fields(i);
      if (own->FieldKind() != fkData || rtl::AnsiSameText(own->FieldName(), StatusFieldName)) continue;
      TField* dst = source_->FindField(own->FieldName());
      if (!dst) continue;
      if (own->IsNull()) dst->Clear();
      else dst->SetValue(own->Value());
    }
  } catch (...) {
    return false;
  }
  return true;
}

// Appending and updating differ only in how the source record is opened; a
// failed copy or post leaves the source out of edit state.
bool TExtMemoryData::WriteInSource(void (TDataSet::*open)()) {
  try {
    (source_->*open)();
    if (!CopyFieldsToSource()) throw EDatabaseError(u"copy");
    source_->Post();
  } catch (...) {
    if (IsEditMode(source_->State())) source_->Cancel();
    return false;
  }
  return true;
}

bool TExtMemoryData::AppendInSource() { return WriteInSource(&TDataSet::Append); }

bool TExtMemoryData::UpdateInSource() { return WriteInSource(&TDataSet::Edit); }

bool TExtMemoryData::DeleteInSource() {
  try {
    source_->Delete();
  } catch (...) {
    return false;
  }
  return true;
}

int TExtMemoryData::ApplyEachRecord() {
  int count = 0;
  ControlsOff sourceOff(source_, true);
  ControlsOff ownOff(this, true);
  int recNo = RecNo();
  saveLoadState_ = slsSaving;
  struct StateReset {
    TSaveLoadState& s;
    ~StateReset() { s = slsNone; }
  } reset{saveLoadState_};
  First();
  while (!Eof()) {
    int status = CurrentStatus();
    if (status != rsOriginal && status >= 0) {
      auto st = static_cast<TRecordStatus>(status);
      bool found = source_->Locate(keyFieldNames_, LocateKeys(GetValues(keyFieldNames_)), 0);
      FireBeforeApplyRecord(source_, st, found);
      bool attempted = false, applied = false, update = false;
      if (st == rsInserted) {
        if (found && applyMode_ == amMerge) {
          attempted = update = true;
          applied = UpdateInSource();
        } else if (found) {
          if (exactApply_) DatabaseError(u"Record already exists.");
        } else {
          attempted = true;
          applied = AppendInSource();
        }
      } else if (st == rsUpdated) {
        if (found) {
          attempted = update = true;
          applied = UpdateInSource();
        } else if (applyMode_ == amMerge) {
          attempted = true;
          applied = AppendInSource();
        } else if (exactApply_) {
          DatabaseError(u"Record not found.");
        }
      }
      if (attempted && !applied && exactApply_)
        DatabaseError(update ? u"Unable to modify the record." : u"Unable to append the record.");
      FireAfterApplyRecord(source_, st, applied);
      if (applied) ++count;
    }
    Next();
  }
  if (applyMode_ == amMerge) {
    for (const Variant& keys : deletedValues_) {
      bool found = source_->Locate(keyFieldNames_, LocateKeys(keys), 0);
      FireBeforeApplyRecord(source_, rsDeleted, found);
      bool applied;
      if (!found) {
        if (exactApply_) DatabaseError(u"Record not found.");
        applied = true;
      } else {
        applied = DeleteInSource();
        if (!applied && exactApply_) DatabaseError(u"Unable to erase the record.");
      }
      FireAfterApplyRecord(source_, rsDeleted, applied);
      if (applied) ++count;
    }
  }
  SetRecNo(recNo);
  return count;
}

bool TExtMemoryData::ApplyChanges() {
  if (!source_ || !Tracking() || keyFieldNames_.empty() || FieldDefs().Count() < 3) return false;
  try {
    if (!source_->Active()) source_->Open();
  } catch (...) {
    return false;
  }
  CheckBrowseMode();
  FireBeforeApply(source_, rowsChanged_);
  bool result;
  saveLoadState_ = slsSaving;
  try {
    if (rowsChanged_ <= 0 || (IsEmpty() && deletedValues_.empty())) {
      rowsAffected_ = 0;
      result = rowsChanged_ == 0;
    } else {
      rowsAffected_ = ApplyEachRecord();
      result = rowsAffected_ == rowsChanged_ || (rowsAffected_ > 0 && rowsAffected_ < rowsChanged_ && !exactApply_);
    }
  } catch (...) {
    saveLoadState_ = slsNone;
    throw;
  }
  saveLoadState_ = slsNone;
  FireAfterApply(source_, rowsAffected_);
  if (result) ResetToSource();
  rowsChanged_ = rowsAffected_ = 0;
  if (datasetClosed_ && source_->Active()) source_->Close();
  return result;
}

void TExtMemoryData::ResetToSource() {
  deletedValues_.clear();
  EmptyTable();
  if (loadRecords_) {
    rowsOriginal_ = LoadSourceRecords();
    if (!keyFieldNames_.empty() && rowsOriginal_ > 0) SortOnFields(keyFieldNames_, true, false);
    if (applyMode_ == amAppend) Last(); else First();
  }
}

void TExtMemoryData::CancelChanges() {
  CheckBrowseMode();
  ResetToSource();
  rowsChanged_ = rowsAffected_ = 0;
}

}  // namespace ext
