#include "platform/data/dataset.h"

#include <algorithm>

#include "platform/data/data_source.h"
#include "platform/runtime/format.h"
#include "platform/classes/scoped_change.h"

namespace db {

TDataSet::TDataSet(ui::TComponent* AOwner) : ui::TComponent(AOwner), fieldDefs_(this) {}

TDataSet::~TDataSet() {
  // Descendants close in their own destructors (their hooks are gone here);
  // this only drops what the base owns.
  for (TDataSource* s : std::vector<TDataSource*>(dataSources_)) s->SetDataSet(nullptr);
  for (TField* f : std::vector<TField*>(fields_)) f->dataSet_ = nullptr;
  fields_.clear();
}

// ---------------------------------------------------------------- checks

void TDataSet::CheckActive() const {
  if (state_ == dsInactive) DatabaseError(u"Cannot perform this operation on a closed dataset");
}

void TDataSet::CheckInactive() const {
  if (state_ != dsInactive) DatabaseError(u"Cannot perform this operation on an open dataset");
}

void TDataSet::CheckRequiredFields() {
  for (TField* f : fields_)
    if (f->Required() && !f->ReadOnly() && f->FieldKind() == fkData && f->IsNull()) {
      f->FocusControl();
      DatabaseErrorFmt(u"Field '%s' must have a value", f->DisplayName());
    }
}

void TDataSet::CheckOperation(const std::function<void()>& Operation, const TDataSetErrorEvent& ErrorEvent) {
  for (;;) {
    try {
      Operation();
      return;
    } catch (EDatabaseError& e) {
      TDataAction action = daFail;
      if (ErrorEvent) ErrorEvent(this, e, action);
      if (action == daFail) throw;
      if (action == daAbort) throw rtl::EAbort(u"Operation aborted");
    }
  }
}

// ---------------------------------------------------------------- open/close

void TDataSet::SetActive(bool Value) {
  if (Value == Active() || opening_ || closing_) return;
  if (Value) DoOpen(); else DoClose();
}

void TDataSet::DoOpen() {
  if (BeforeOpen) BeforeOpen(this);
  opening_ = true;
  try {
    OpenStorage(false);
    bookmarkSize_ = std::max(bookmarkSize_, 0);
    bof_ = true;
    eof_ = false;
    UpdateBufferCount();
    ClearBuffers();
    MoveBeforeFirst();
    GetNextRecords();
    bof_ = true;
    eof_ = recordCount_ == 0;
  } catch (...) {
    opening_ = false;
    FreeBuffers();
    try { CloseStorage(); } catch (...) {}
    throw;
  }
  opening_ = false;
  SetState(dsBrowse);
  LoadAfterOpen();
}

void TDataSet::OpenStorage(bool InfoQuery) {
  if (!InfoQuery) PrepareOpen();
}

void TDataSet::PrepareOpen() {
  if (fields_.empty()) CreateFields();
  BindFields(true);
}

void TDataSet::LoadAfterOpen() {
  if (AfterOpen) AfterOpen(this);
  DoAfterScroll();
}

void TDataSet::DoClose() {
  if (BeforeClose) BeforeClose(this);
  if (state_ == dsEdit || state_ == dsInsert || state_ == dsSetKey) {
    // Closing drops a pending edit; the links were told to let go already.
    state_ = dsBrowse;
  }
  {
    ui::TScopedValue closing(closing_, true);
    CloseStorage();
  }
  FreeBuffers();
  bof_ = eof_ = true;
  SetState(dsInactive);
  BindFields(false);
  if (defaultFields_) DestroyDefaultFields();
  if (AfterClose) AfterClose(this);
}

void TDataSet::FreeBuffers() {
  for (TRecordBuffer& b : buffers_) DisposeRecordBuffer(b);
  buffers_.clear();
  bufferCount_ = recordCount_ = activeRecord_ = 0;
  currentRecord_ = -1;
  calcBuffer_ = nullptr;
}

// ---------------------------------------------------------------- fields

std::vector<TFieldDef*> TDataSet::FieldDefList() const {
  std::vector<TFieldDef*> out;
  std::function<void(const TFieldDefs&)> walk = [&](const TFieldDefs& defs) {
    for (int i = 0; i < defs.Count(); ++i) {
      out.push_back(defs[i]);
      if (defs[i]->HasChildDefs()) walk(defs[i]->ChildDefs());
    }
  };
  walk(fieldDefs_);
  return out;
}

void TDataSet::AddField(TField* Field) {
  fields_.push_back(Field);
  Field->dataSet_ = this;
}

void TDataSet::RemoveField(TField* Field) {
  auto it = std::find(fields_.begin(), fields_.end(), Field);
  if (it != fields_.end()) fields_.erase(it);
  Field->dataSet_ = nullptr;
}

void TDataSet::MoveField(TField* Field, int Index) {
  auto it = std::find(fields_.begin(), fields_.end(), Field);
  if (it == fields_.end()) return;
  fields_.erase(it);
  Index = std::clamp(Index, 0, static_cast<int>(fields_.size()));
  fields_.insert(fields_.begin() + Index, Field);
  DataEvent(deFieldListChange, 0);
}

TField* TDataSet::FindField(const String& Name) const {
  for (TField* f : fields_)
    if (rtl::AnsiSameText(f->FieldName(), Name)) return f;
  return nullptr;
}

TField* TDataSet::FieldByName(const String& Name) const {
  TField* f = FindField(Name);
  if (!f) DatabaseErrorFmt(u"Field '%s' not found", Name);
  return f;
}

void TDataSet::GetFieldList(std::vector<TField*>& List, const String& FieldNames) const {
  std::size_t pos = 0;
  while (pos < FieldNames.size()) {
    String name = ExtractFieldName(FieldNames, pos);
    if (!name.empty()) List.push_back(FieldByName(name));
  }
}

void TDataSet::GetFieldNames(std::vector<String>& List) const {
  for (TField* f : fields_) List.push_back(f->FieldName());
}

Variant TDataSet::FieldValues(const String& FieldNames) const {
  std::vector<TField*> list;
  GetFieldList(list, FieldNames);
  if (list.size() == 1) return list[0]->Value();
  Variant v = rtl::VarArrayCreate(0, static_cast<int>(list.size()) - 1);
  for (std::size_t i = 0; i < list.size(); ++i) v[static_cast<int>(i)] = list[i]->Value();
  return v;
}

void TDataSet::CreateFields() {
  for (TFieldDef* def : FieldDefList()) {
    if (def->Collection() != &fieldDefs_) continue;  // nested ones belong to their parent's field
    if (FindField(def->Name())) continue;
    if (!def->CreateField(this)) continue;
  }
  defaultFields_ = true;
}

void TDataSet::DestroyDefaultFields() {
  for (TField* f : std::vector<TField*>(fields_))
    if (f->Owner() == this) delete f;
  defaultFields_ = false;
}

void TDataSet::BindFields(bool Binding) {
  calcFieldsSize_ = 0;
  hasCalcFields_ = false;
  std::vector<TFieldDef*> defs = FieldDefList();
  for (TField* f : fields_) {
    if (!Binding) {
      if (f->FieldKind() == fkData) f->SetFieldNo(0);
      continue;
    }
    if (f->FieldKind() == fkCalculated || f->FieldKind() == fkLookup) {
      f->SetFieldNo(-1);
      f->SetOffset(calcFieldsSize_);
      calcFieldsSize_ += f->DataSize() + 1;
      hasCalcFields_ = true;
      continue;
    }
    auto it = std::find_if(defs.begin(), defs.end(), [&](TFieldDef* d) { return rtl::AnsiSameText(d->Name(), f->FieldName()); });
    if (it == defs.end()) DatabaseErrorFmt(u"Field '%s' not found", f->DisplayName());
    if (f->FieldKind() == fkData && (*it)->DataType() != f->DataType() &&
        !(f->DataType() == ftInteger && (*it)->DataType() == ftAutoInc))
      DatabaseError(rtl::Format(u"Type mismatch for field '%s', expecting: %s actual: %s",
                                {f->DisplayName(), String(FieldTypeName(f->DataType())), String(FieldTypeName((*it)->DataType()))}));
    f->SetFieldNo(static_cast<int>(it - defs.begin()) + 1);
    if (f->FieldKind() == fkInternalCalc) hasCalcFields_ = true;
  }
}

// ---------------------------------------------------------------- buffers

TRecordBuffer TDataSet::ActiveBuffer() const {
  if (buffers_.empty() || activeRecord_ < 0 || activeRecord_ >= static_cast<int>(buffers_.size())) return nullptr;
  return buffers_[static_cast<std::size_t>(activeRecord_)];
}

void TDataSet::UpdateBufferCount() {
  if (!IsStorageOpen()) return;
  int count = 1;
  for (TDataSource* s : dataSources_)
    for (TDataLink* l : s->links_) count = std::max(count, l->bufferCount_);
  SetBufferCount(count);
}

void TDataSet::SetBufferCount(int Value) {
  constexpr int MaxBufferCount = 1024;
  Value = std::clamp(Value, 1, MaxBufferCount);
  if (Value == bufferCount_ && !buffers_.empty()) return;
  auto adjustLinks = [&](int delta) {
    if (delta == 0) return;
    for (TDataSource* s : dataSources_)
      for (TDataLink* l : s->links_)
        if (l->active_) l->firstRecord_ += delta;
  };
  if (buffers_.empty()) {
    buffers_.push_back(NewRecordBuffer());  // the spare
    bufferCount_ = 0;
  }
  if (Value < bufferCount_ && recordCount_ > Value) {
    // Keep the active record inside the smaller window: drop records from
    // the front first, then from the end.
    int drop = std::max(0, activeRecord_ - Value + 1);
    for (int i = 0; i < drop; ++i) MoveBuffer(0, recordCount_ - 1);
    activeRecord_ -= drop;
    if (currentRecord_ >= 0) currentRecord_ = currentRecord_ - drop;
    recordCount_ = Value;
    if (currentRecord_ >= recordCount_ || currentRecord_ < 0) currentRecord_ = -1;
    adjustLinks(-drop);
  }
  // The spare stays last: move it out of the way, resize, put it back.
  TRecordBuffer spare = buffers_.back();
  buffers_.pop_back();
  while (static_cast<int>(buffers_.size()) > Value) {
    TRecordBuffer b = buffers_.back();
    buffers_.pop_back();
    DisposeRecordBuffer(b);
  }
  while (static_cast<int>(buffers_.size()) < Value) buffers_.push_back(NewRecordBuffer());
  buffers_.push_back(spare);
  bufferCount_ = Value;
  recordCount_ = std::min(recordCount_, bufferCount_);
  if (Active() && recordCount_ > 0) {
    GetNextRecords();
    if (recordCount_ < bufferCount_) adjustLinks(GetPriorRecords());
  }
}

void TDataSet::RebuildBuffers() {
  int count = std::max(bufferCount_, 1);
  bool wasOpen = !buffers_.empty();
  for (TRecordBuffer& b : buffers_) DisposeRecordBuffer(b);
  buffers_.clear();
  bufferCount_ = recordCount_ = activeRecord_ = 0;
  currentRecord_ = -1;
  if (wasOpen) {
    try {
      SetBufferCount(count);
    } catch (...) {
      // Without buffers the dataset cannot go on: close it and report.
      state_ = dsBrowse;
      try { DoClose(); } catch (...) {}
      throw;
    }
  }
}

void TDataSet::ClearBuffers() {
  recordCount_ = 0;
  activeRecord_ = 0;
  currentRecord_ = -1;
  bof_ = eof_ = true;
}

void TDataSet::ActivateBuffers() {
  recordCount_ = 1;
  activeRecord_ = 0;
  currentRecord_ = 0;
  bof_ = eof_ = false;
}

void TDataSet::MoveBuffer(int CurIndex, int NewIndex) {
  if (CurIndex == NewIndex) return;
  auto first = buffers_.begin();
  if (CurIndex < NewIndex)
    std::rotate(first + CurIndex, first + CurIndex + 1, first + NewIndex + 1);
  else
    std::rotate(first + NewIndex, first + CurIndex, first + CurIndex + 1);
}

void TDataSet::SetCurrentRecord(int Index) {
  if (currentRecord_ == Index) return;
  TRecordBuffer b = buffers_.at(static_cast<std::size_t>(Index));
  switch (ReadBufferBookmarkFlag(b)) {
    case bfCurrent:
    case bfInserted: GotoBufferRecord(b); break;
    case bfBOF: MoveBeforeFirst(); break;
    case bfEOF: MoveAfterLast(); break;
  }
  currentRecord_ = Index;
}

void TDataSet::UpdateCursorPos() {
  if (recordCount_ > 0) SetCurrentRecord(activeRecord_);
}

void TDataSet::SetActiveRecord(int Value) {
  if (Value >= 0 && Value < std::max(recordCount_, 1) && Value != activeRecord_) {
    activeRecord_ = Value;
  }
}

bool TDataSet::GetNextRecord() {
  if (recordCount_ > 0) SetCurrentRecord(recordCount_ - 1);
  TRecordBuffer spare = buffers_[static_cast<std::size_t>(bufferCount_)];
  bool ok = FetchRecord(spare, gmNext, true) == grOK;
  if (ok) {
    // The fetched record sits in the spare; put it after the window's last.
    if (recordCount_ == 0) {
      MoveBuffer(bufferCount_, 0);
      ActivateBuffers();
    } else if (recordCount_ < bufferCount_) {
      MoveBuffer(bufferCount_, recordCount_);
      ++recordCount_;
    } else {
      MoveBuffer(0, bufferCount_);  // the first leaves, the spare becomes last
    }
    currentRecord_ = recordCount_ - 1;
  } else {
    CursorPosChanged();
  }
  return ok;
}

bool TDataSet::GetPriorRecord() {
  if (recordCount_ > 0) SetCurrentRecord(0);
  TRecordBuffer spare = buffers_[static_cast<std::size_t>(bufferCount_)];
  bool ok = FetchRecord(spare, gmPrior, true) == grOK;
  if (ok) {
    if (recordCount_ == 0) {
      MoveBuffer(bufferCount_, 0);
      ActivateBuffers();
    } else {
      MoveBuffer(bufferCount_, 0);  // the spare becomes first, the old last becomes the spare
      if (recordCount_ < bufferCount_) {
        ++recordCount_;
        ++activeRecord_;
      }
    }
    currentRecord_ = 0;
  } else {
    CursorPosChanged();
  }
  return ok;
}

int TDataSet::GetNextRecords() {
  int n = 0;
  while (recordCount_ < bufferCount_ && GetNextRecord()) ++n;
  return n;
}

int TDataSet::GetPriorRecords() {
  int n = 0;
  while (recordCount_ < bufferCount_ && GetPriorRecord()) ++n;
  return n;
}

// ---------------------------------------------------------------- navigation

void TDataSet::First() { FillFromEnd(true); }

void TDataSet::Last() { FillFromEnd(false); }

// First and Last: refill the window from one end of the set.
void TDataSet::FillFromEnd(bool FromFirst) {
  CheckBrowseMode();
  DoBeforeScroll();
  ClearBuffers();
  try {
    if (FromFirst) {
      MoveBeforeFirst();
      GetNextRecord();
      GetNextRecords();
    } else {
      MoveAfterLast();
      GetPriorRecord();
      GetPriorRecords();
    }
  } catch (...) {
    (FromFirst ? bof_ : eof_) = true;
    DataEvent(deDataSetChange, 0);
    throw;
  }
  if (FromFirst) {
    bof_ = true;
    eof_ = recordCount_ == 0;
  } else {
    eof_ = true;
    bof_ = recordCount_ == 0;
  }
  DataEvent(deDataSetChange, 0);
  DoAfterScroll();
}

int TDataSet::MoveBy(int Distance) {
  CheckBrowseMode();
  int result = 0;
  if (!((Distance > 0 && !eof_) || (Distance < 0 && !bof_))) return 0;
  DoBeforeScroll();
  bof_ = eof_ = false;
  int scroll = 0;  // how far the buffers moved: negative when they moved up
  try {
    if (Distance > 0) {
      while (Distance > 0) {
        if (activeRecord_ < recordCount_ - 1) {
          ++activeRecord_;
        } else {
          int shift = recordCount_ < bufferCount_ ? 0 : 1;
          if (GetNextRecord()) {
            scroll -= shift;
            if (shift == 0) activeRecord_ = recordCount_ - 1;
          } else {
            eof_ = true;
            break;
          }
          activeRecord_ = recordCount_ - 1;
        }
        --Distance;
        ++result;
      }
    } else {
      while (Distance < 0) {
        if (activeRecord_ > 0) {
          --activeRecord_;
        } else {
          int shift = recordCount_ < bufferCount_ ? 0 : 1;
          if (GetPriorRecord()) {
            scroll += shift;
            activeRecord_ = 0;
          } else {
            bof_ = true;
            break;
          }
        }
        ++Distance;
        --result;
      }
    }
  } catch (...) {
    DataEvent(deDataSetScroll, scroll);
    throw;
  }
  DataEvent(deDataSetScroll, scroll);
  DoAfterScroll();
  return result;
}

void TDataSet::Resync(unsigned Mode) {
  TRecordBuffer spare = buffers_[static_cast<std::size_t>(bufferCount_)];
  if (Mode & rmExact) {
    CursorPosChanged();
    if (FetchRecord(spare, gmCurrent, true) != grOK) DatabaseError(u"Record not found or changed by another user");
  } else if (FetchRecord(spare, gmCurrent, false) != grOK && FetchRecord(spare, gmNext, false) != grOK &&
             FetchRecord(spare, gmPrior, false) != grOK) {
    ClearBuffers();
    DataEvent(deDataSetChange, 0);
    return;
  }
  int count = (Mode & rmCenter) ? (bufferCount_ - 1) / 2 : activeRecord_;
  MoveBuffer(bufferCount_, 0);
  ActivateBuffers();
  try {
    while (count > 0 && GetPriorRecord()) --count;
    GetNextRecords();
    GetPriorRecords();
  } catch (...) {
    DataEvent(deDataSetChange, 0);
    throw;
  }
  DataEvent(deDataSetChange, 0);
}

void TDataSet::Refresh() {
  CheckBrowseMode();
  RefreshStorage();
  UpdateCursorPos();
  Resync(0);
}

// ---------------------------------------------------------------- editing

void TDataSet::InitRecord(TRecordBuffer Buffer) {
  ClearRecordBuffer(Buffer);
  StartNewRecord(Buffer);
}

void TDataSet::StartNewRecord(TRecordBuffer Buffer) {
  BlankCalcArea(Buffer);
  WriteBufferBookmarkFlag(Buffer, bfInserted);
}

void TDataSet::Edit() {
  if (state_ == dsEdit || state_ == dsInsert) return;
  CheckActive();
  if (recordCount_ == 0) {
    Insert();
    return;
  }
  CheckBrowseMode();
  if (!CanModify()) DatabaseError(u"Cannot modify a read-only dataset");
  if (BeforeEdit) BeforeEdit(this);
  CheckOperation([&] { UpdateCursorPos(); EditCurrentRecord(); }, OnEditError);
  GetCalcFields(ActiveBuffer());
  SetState(dsEdit);
  DataEvent(deRecordChange, 0);
  if (AfterEdit) AfterEdit(this);
}

void TDataSet::BeginInsertAppend() {
  CheckBrowseMode();
  if (!CanModify()) DatabaseError(u"Cannot modify a read-only dataset");
  if (BeforeInsert) BeforeInsert(this);
}

void TDataSet::EndInsertAppend() {
  SetState(dsInsert);
  try {
    if (OnNewRecord) OnNewRecord(this);
  } catch (...) {
    UpdateCursorPos();
    CancelRecordBuffer();
    SetState(dsBrowse);
    Resync(0);
    throw;
  }
  modified_ = false;
  DataEvent(deDataSetChange, 0);
  if (AfterInsert) AfterInsert(this);
}

void TDataSet::Insert() {
  CheckActive();
  BeginInsertAppend();
  TBookmark old;
  bool hadRecord = recordCount_ > 0 && ReadBufferBookmarkFlag(ActiveBuffer()) == bfCurrent;
  if (hadRecord) {
    UpdateCursorPos();
    old.resize(static_cast<std::size_t>(bookmarkSize_));
    ReadBufferBookmark(ActiveBuffer(), old.data());
  }
  // The spare becomes the new record's buffer at the active position; the
  // window's last record drops off when the window is full.
  MoveBuffer(bufferCount_, activeRecord_);
  InitRecord(ActiveBuffer());
  if (recordCount_ < bufferCount_) ++recordCount_;
  // The storage cursor stays on the record the new one goes before.
  if (hadRecord) GotoBookmarkRecord(old.data());
  currentRecord_ = -1;
  EndInsertAppend();
}

void TDataSet::Append() {
  CheckActive();
  BeginInsertAppend();
  ClearBuffers();
  TRecordBuffer b = buffers_[0];
  InitRecord(b);
  WriteBufferBookmarkFlag(b, bfEOF);
  recordCount_ = 1;
  bof_ = false;
  GetPriorRecords();
  // The new record is the last of the window; its flag keeps the storage
  // cursor after the last record, where it will be added.
  activeRecord_ = recordCount_ - 1;
  MoveAfterLast();
  currentRecord_ = -1;
  EndInsertAppend();
}

void TDataSet::UpdateRecord() {
  if (!IsEditMode(state_)) DatabaseError(u"Dataset not in edit or insert mode");
  DataEvent(deUpdateRecord, 0);
}

void TDataSet::PostRecordBuffer() { CheckRequiredFields(); }

void TDataSet::Post() {
  UpdateRecord();
  if (state_ == dsEdit || state_ == dsInsert) {
    DataEvent(deCheckBrowseMode, 0);
    if (BeforePost) BeforePost(this);
    CheckOperation([&] { PostRecordBuffer(); }, OnPostError);
    SetState(dsBrowse);
    Resync(0);
    if (AfterPost) AfterPost(this);
  } else if (state_ == dsSetKey) {
    SetState(dsBrowse);
  }
}

void TDataSet::Cancel() {
  if (state_ == dsEdit || state_ == dsInsert) {
    DataEvent(deCheckBrowseMode, 0);
    if (BeforeCancel) BeforeCancel(this);
    bool inserting = state_ == dsInsert;
    if (!inserting) UpdateCursorPos();
    CancelRecordBuffer();
    SetState(dsBrowse);
    if (inserting) {
      // The new record never reached the storage: take its buffer out of the
      // window and fetch around the record that was current before.
      CursorPosChanged();
    }
    Resync(0);
    if (AfterCancel) AfterCancel(this);
  } else if (state_ == dsSetKey) {
    SetState(dsBrowse);
  }
}

void TDataSet::Delete() {
  CheckActive();
  if (state_ == dsInsert || state_ == dsSetKey) {
    Cancel();
    return;
  }
  if (recordCount_ == 0) DatabaseError(u"Cannot perform this operation on an empty dataset");
  DataEvent(deCheckBrowseMode, 0);
  if (BeforeDelete) BeforeDelete(this);
  DoBeforeScroll();
  CheckOperation([&] { UpdateCursorPos(); DeleteCurrentRecord(); }, OnDeleteError);
  SetState(dsBrowse);
  Resync(0);
  if (AfterDelete) AfterDelete(this);
  DoAfterScroll();
}

void TDataSet::CheckBrowseMode() {
  CheckActive();
  DataEvent(deCheckBrowseMode, 0);
  if (state_ == dsEdit || state_ == dsInsert) {
    UpdateRecord();
    if (modified_) Post(); else Cancel();
  } else if (state_ == dsSetKey) {
    Post();
  }
}

void TDataSet::SetFields(const std::vector<Variant>& Values) {
  for (std::size_t i = 0; i < Values.size() && i < fields_.size(); ++i)
    if (!Values[i].IsEmpty()) fields_[i]->SetValue(Values[i]);
}

void TDataSet::FinishAddRecord(bool AppendIt) {
  if (BeforePost) BeforePost(this);
  CheckOperation([&] {
    CheckRequiredFields();
    AddRecordFromBuffer(ActiveBuffer(), AppendIt);
  }, OnPostError);
  SetState(dsBrowse);
  Resync(0);
  if (AfterPost) AfterPost(this);
}

void TDataSet::InsertRecord(const std::vector<Variant>& Values) {
  Insert();
  try {
    SetFields(Values);
    FinishAddRecord(false);
  } catch (...) {
    Cancel();
    throw;
  }
}

void TDataSet::AppendRecord(const std::vector<Variant>& Values) {
  Append();
  try {
    SetFields(Values);
    FinishAddRecord(true);
  } catch (...) {
    Cancel();
    throw;
  }
}

void TDataSet::ClearFields() {
  if (!IsEditMode(state_)) DatabaseError(u"Dataset not in edit or insert mode");
  DataEvent(deCheckBrowseMode, 0);
  TRecordBuffer b = ActiveBuffer();
  TBookmark bm(static_cast<std::size_t>(bookmarkSize_));
  TBookmarkFlag flag = ReadBufferBookmarkFlag(b);
  ReadBufferBookmark(b, bm.data());
  ClearRecordBuffer(b);
  WriteBufferBookmark(b, bm.data());
  WriteBufferBookmarkFlag(b, flag);
  if (state_ != dsSetKey) GetCalcFields(b);
  DataEvent(deRecordChange, 0);
}

// ---------------------------------------------------------------- bookmarks

TBookmark TDataSet::GetBookmark() const {
  TBookmark bm;
  if (state_ == dsInactive || recordCount_ == 0) return bm;
  TRecordBuffer b = ActiveBuffer();
  if (!b || ReadBufferBookmarkFlag(b) != bfCurrent) return bm;
  bm.resize(static_cast<std::size_t>(bookmarkSize_));
  ReadBufferBookmark(b, bm.data());
  return bm;
}

void TDataSet::GotoBookmark(const TBookmark& Bookmark) {
  if (Bookmark.empty()) return;
  CheckBrowseMode();
  // A bookmark of a record that is gone must not leave the cursor silently
  // on some other record.
  if (!BookmarkValid(Bookmark)) DatabaseError(u"Record not found or changed by another user");
  DoBeforeScroll();
  GotoBookmarkRecord(Bookmark.data());
  Resync(rmExact | rmCenter);
  DoAfterScroll();
}

int TDataSet::CompareBookmarks(const TBookmark& A, const TBookmark& B) const {
  if (A.empty() && B.empty()) return 0;
  if (A.empty()) return -1;
  if (B.empty()) return 1;
  return A == B ? 0 : (A < B ? -1 : 1);
}

// ---------------------------------------------------------------- calculated fields

void TDataSet::GetCalcFields(TRecordBuffer Buffer) {
  if (!Buffer || !hasCalcFields_) return;
  if (!autoCalcFields_ && state_ != dsInternalCalc && state_ != dsCalcFields) {
    // Lookups still need filling when calculation is not automatic.
  }
  TDataSetState old = SetTempState(dsCalcFields);
  TRecordBuffer oldCalc = calcBuffer_;
  calcBuffer_ = Buffer;
  try {
    BlankCalcArea(Buffer);
    CalculateFields(Buffer);
  } catch (...) {
    calcBuffer_ = oldCalc;
    RestoreState(old);
    throw;
  }
  calcBuffer_ = oldCalc;
  RestoreState(old);
}

void TDataSet::CalculateFields(TRecordBuffer) {
  for (TField* f : fields_) {
    if (f->FieldKind() != fkLookup || !f->LookupDataSet() || !f->LookupDataSet()->Active()) continue;
    std::vector<TField*> keys;
    GetFieldList(keys, f->KeyFields());
    Variant key;
    if (keys.size() == 1) {
      key = keys[0]->Value();
    } else {
      key = rtl::VarArrayCreate(0, static_cast<int>(keys.size()) - 1);
      for (std::size_t i = 0; i < keys.size(); ++i) key[static_cast<int>(i)] = keys[i]->Value();
    }
    bool anyNull = keys.empty();
    for (TField* k : keys) anyNull = anyNull || k->IsNull();
    if (anyNull) continue;
    Variant v = f->LookupDataSet()->Lookup(f->LookupKeyFields(), key, f->LookupResultField());
    if (!v.IsNull() && !v.IsEmpty()) f->SetValue(v);
  }
  if ((autoCalcFields_ || state_ == dsCalcFields) && OnCalcFields) OnCalcFields(this);
}

// ---------------------------------------------------------------- states, events

void TDataSet::SetState(TDataSetState Value) {
  if (state_ == Value) return;
  state_ = Value;
  modified_ = false;
  DataEvent(deUpdateState, 0);
}

TDataSetState TDataSet::SetTempState(TDataSetState Value) {
  TDataSetState old = state_;
  state_ = Value;
  ++disableCount_;
  return old;
}

void TDataSet::RestoreState(TDataSetState Value) {
  state_ = Value;
  --disableCount_;
}

void TDataSet::DisableControls() {
  if (disableCount_ == 0) {
    disableState_ = state_;
    enableEvent_ = deDataSetChange;
  }
  ++disableCount_;
}

void TDataSet::EnableControls() {
  if (disableCount_ == 0) return;
  if (--disableCount_ != 0) return;
  if (disableState_ != state_) DataEvent(deUpdateState, 0);
  if (disableState_ != dsInactive && state_ != dsInactive) DataEvent(enableEvent_, 0);
}

void TDataSet::DataEvent(TDataEvent Event, std::intptr_t Info) {
  if (Event == deFieldChange) {
    auto* f = reinterpret_cast<TField*>(Info);
    if (f && (f->FieldKind() == fkData || f->FieldKind() == fkInternalCalc)) modified_ = true;
    if (f && state_ != dsSetKey && state_ != dsCalcFields && hasCalcFields_ && autoCalcFields_ &&
        f->FieldKind() == fkData)
      GetCalcFields(ActiveBuffer());
    if (f && f->OnChange) f->OnChange(f);
  }
  if (disableCount_ == 0) {
    for (TDataSource* s : std::vector<TDataSource*>(dataSources_)) s->DataEvent(Event, Info);
  } else if ((Event == deUpdateState && state_ == dsInactive) || Event == deLayoutChange) {
    enableEvent_ = deLayoutChange;
  }
}

void TDataSet::AddDataSource(TDataSource* s) {
  dataSources_.push_back(s);
  UpdateBufferCount();
}

void TDataSet::RemoveDataSource(TDataSource* s) {
  dataSources_.erase(std::remove(dataSources_.begin(), dataSources_.end(), s), dataSources_.end());
  UpdateBufferCount();
}

std::unique_ptr<rtl::TStream> TDataSet::CreateBlobStream(TField*, TBlobStreamMode) {
  DatabaseError(u"Blobs are not supported by this dataset");
}

}  // namespace db
