#include "components/extended/data/ext_memory_data.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <typeinfo>
#include <utility>

#include "platform/runtime/codepage.h"
#include "platform/runtime/convert.h"
#include "components/extended/data/ext_db_utils.h"

namespace ext {

using namespace db;

namespace {

constexpr std::int32_t kNoID = INT32_MIN;

std::int32_t ReadID(const std::uint8_t* p) {
  std::int32_t id;
  std::memcpy(&id, p, 4);
  return id;
}

// Bytes of a field value in its slot (without the flag byte); -1 for types
// without a slot (blobs, unsupported). Variants live out of line.
int TableValueBytes(TFieldType Type, int n) {
  switch (Type) {
    case ftString: case ftFixedChar: return n + 1;
    case ftWideString: return 2 * n + 2;
    case ftSmallint: case ftWord: case ftBoolean: return 2;
    case ftInteger: case ftDate: case ftTime: case ftAutoInc: return 4;
    case ftFloat: case ftCurrency: case ftDateTime: case ftLargeint: return 8;
    case ftBCD: case ftFMTBcd: return 34;
    case ftVarBytes: return n + 2;
    case ftVariant: return 0;
    case ftGuid: return 39;
    case ftADT: return 0;
    case ftBytes: case ftTimeStamp: case ftFixedWideChar: case ftOraTimeStamp: case ftLongWord:
    case ftShortint: case ftByte: case ftExtended: return n;
    default: return -1;
  }
}

// The text of a slot, up to its terminating zero or Bytes.
String SlotText(const std::uint8_t* Value, TFieldType Type, int Bytes) {
  if (Type == ftWideString) {
    std::size_t chars = 0, limit = static_cast<std::size_t>(Bytes / 2);
    while (chars < limit && (Value[2 * chars] | Value[2 * chars + 1]) != 0) ++chars;
    String s(chars, u'\0');
    std::memcpy(s.data(), Value, chars * 2);
    return s;
  }
  std::size_t len = ::strnlen(reinterpret_cast<const char*>(Value), static_cast<std::size_t>(Bytes));
  return rtl::AnsiToString(std::string_view(reinterpret_cast<const char*>(Value), len));
}

std::int64_t IntOf(const std::uint8_t* v, TFieldType t);

template <class T>
int Sign3(T a, T b) { return a < b ? -1 : (b < a ? 1 : 0); }

template <class T>
T Load(const void* p) {
  T v;
  std::memcpy(&v, p, sizeof(T));
  return v;
}

// Natural value size: the larger of the layout table and what the field
// class reads and writes, so no field ever copies past its slot.
int ValueBytesFor(TFieldDef* Def) {
  int bytes = TableValueBytes(Def->DataType(), Def->Size());
  if (bytes < 0 || Def->DataType() == ftVariant || Def->DataType() == ftADT) return bytes;
  std::unique_ptr<TField> probe(CreateFieldForType(nullptr, Def->DataType(), Def->Size()));
  if (probe) bytes = std::max(bytes, probe->DataSize());
  return bytes;
}

}  // namespace

std::function<void(std::exception_ptr)> TExtMemoryData::ApplicationErrorHandler;

// ---------------------------------------------------------------- records

std::int32_t TExtMemoryRecord::ID() const { return memoryData_->IdOf(number_); }

int TExtMemoryRecord::Index() const { return memoryData_ ? memoryData_->order_.PositionOf(number_) : -1; }

void TExtMemoryRecord::SetIndex(int Value) {
  if (memoryData_) memoryData_->MoveRecord(*this, Value);
}

std::uint8_t* TExtMemoryRecord::Data() const { return memoryData_->DataOf(number_); }

TExtMemoryExtras& TExtMemoryRecord::Extras() const { return memoryData_->StoredExtrasFor(number_); }

// ---------------------------------------------------------------- construction

TExtMemoryData::TExtMemoryData(ui::TComponent* AOwner) : TDataSet(AOwner) {}

TExtMemoryData::~TExtMemoryData() {
  try {
    Close();
  } catch (...) {
  }
  FreeAllRecords();
}

void TExtMemoryData::SetCapacity(int Value) {
  if (Value > order_.Size()) order_.Reserve(static_cast<std::size_t>(Value));
}

// ---------------------------------------------------------------- opening and layout

void TExtMemoryData::OpenStorage(bool InfoQuery) {
  if (source_) {
    try {
      if (loadStructure_) {
        CopyStructure(source_, autoIncAsInteger_);
      } else if (Tracking()) {
        EnsureStatusFieldDef();
        HideStatusFieldColumn();
      }
    } catch (...) {
      rtl::Abort();
    }
  }
  if (!InfoQuery) {
    // Persistent fields decide the structure: definitions follow them.
    if (FieldCount() > 0) {
      FieldDefs().Clear();
      for (int i = 0; i < FieldCount(); ++i) {
        TField* f = Fields(i);
        if (f->FieldKind() != fkData) continue;
        TFieldDef* d = FieldDefs().Add(f->FieldName(), f->DataType(), f->Size(), f->Required());
        if (f->DataType() == ftBCD || f->DataType() == ftFMTBcd) d->SetPrecision(f->Size());
      }
    }
    BuildFieldOffsets();
    active_ = true;
  }
  TDataSet::OpenStorage(InfoQuery);
}

void TExtMemoryData::BuildFieldOffsets() {
  if (FieldDefs().Count() == 0) {
    for (int i = 0; i < FieldCount(); ++i) {
      TField* f = Fields(i);
      if (f->FieldKind() == fkData && TableValueBytes(f->DataType(), f->Size()) < 0 && !IsBlobType(f->DataType()))
        DatabaseErrorFmt(u"Field '%s' is of an unknown type", f->DisplayName());
    }
  }
  DropSortFieldList();
  std::vector<TFieldDef*> defs = FieldDefList();
  offsets_.assign(defs.size(), -1);
  blobIndex_.assign(defs.size(), -1);
  variantIndex_.assign(defs.size(), -1);
  defTypes_.assign(defs.size(), ftUnknown);
  blobCount_ = variantCount_ = 0;
  std::int64_t total = 0;
  for (std::size_t i = 0; i < defs.size(); ++i) {
    defTypes_[i] = defs[i]->DataType();
    if (IsBlobType(defs[i]->DataType())) {
      blobIndex_[i] = blobCount_++;
      continue;
    }
    int bytes = ValueBytesFor(defs[i]);
    if (bytes < 0) continue;
    if (defs[i]->DataType() == ftVariant) variantIndex_[i] = variantCount_++;
    offsets_[i] = static_cast<std::int32_t>(total);
    total += bytes + 1;
    if (total > INT32_MAX / 2) DatabaseError(u"Record too large");
  }
  recordSize_ = static_cast<int>(total);
}

int TExtMemoryData::FieldDataTotal() const {
  std::int64_t total = 0;
  for (TFieldDef* d : FieldDefList()) {
    if (IsBlobType(d->DataType())) continue;
    int bytes = ValueBytesFor(d);
    if (bytes >= 0) total += bytes + 1;
  }
  return static_cast<int>(total);
}

void TExtMemoryData::ComputeBufferLayout(bool Recompute) {
  if (Recompute) recordSize_ = FieldDataTotal();
  bookmarkOfs_ = recordSize_ + CalcFieldsSize();
  // Aligned, so that leak checkers scanning the buffer see the pointer.
  constexpr int align = static_cast<int>(alignof(TExtMemoryExtras*));
  extrasOfs_ = (bookmarkOfs_ + 8 + align - 1) / align * align;
  numberOfs_ = extrasOfs_ + static_cast<int>(sizeof(TExtMemoryExtras*));
  recBufSize_ = numberOfs_ + 4;
}

void TExtMemoryData::PrepareOpen() {
  SetBookmarkSize(4);
  TDataSet::PrepareOpen();
  calcVariantIndex_.clear();
  calcVariantCount_ = 0;
  for (int i = 0; i < FieldCount(); ++i) {
    TField* f = Fields(i);
    if ((f->FieldKind() == fkCalculated || f->FieldKind() == fkLookup) && f->DataType() == ftVariant)
      calcVariantIndex_[f->Offset()] = calcVariantCount_++;
  }
  ComputeBufferLayout(false);
  MoveBeforeFirst();
}

void TExtMemoryData::LoadAfterOpen() {
  if (source_ && loadRecords_) {
    bool wasActive = source_->Active();
    try {
      if (!wasActive) source_->Open();
      rowsOriginal_ = LoadSourceRecords();
      if (rowsOriginal_ > 0) {
        if (!keyFieldNames_.empty()) SortOnFields(keyFieldNames_, true, false);
        if (applyMode_ == amAppend) Last(); else First();
      }
    } catch (...) {
      rowsOriginal_ = 0;
    }
    if (datasetClosed_ && source_->Active()) source_->Close();
  } else if (order_.Size() > 0 && !keyFieldNames_.empty()) {
    SortOnFields(keyFieldNames_, true, false);
  }
  TDataSet::LoadAfterOpen();
}

void TExtMemoryData::CloseStorage() {
  FreeAllRecords();
  autoInc_ = 1;
  DropSortFieldList();
  filterFields_.clear();
  boundFilter_.state = TBoundComparison::kUnbound;
  InvalidateFilterView();
  active_ = false;
}

// ---------------------------------------------------------------- record list

std::int32_t TExtMemoryData::NextID() {
  // IDs are bookmarks: handing one out twice would let an old bookmark land
  // on a different record.
  if (lastID_ == INT32_MAX) DatabaseError(u"No record identifiers left; empty the table to reuse them");
  return lastID_ + 1;
}

std::int32_t TExtMemoryData::IdOf(std::uint32_t No) const { return ReadID(SlotOf(No)); }

TExtMemoryExtras* TExtMemoryData::StoredExtras(std::uint32_t No) const {
  return No < extras_.size() ? extras_[No].get() : nullptr;
}

TExtMemoryExtras& TExtMemoryData::StoredExtrasFor(std::uint32_t No) {
  if (No >= extras_.size()) extras_.resize(std::size_t(No) + 1);
  if (!extras_[No]) extras_[No] = std::make_unique<TExtMemoryExtras>();
  return *extras_[No];
}

// A cleared slot under the next ID, not yet in the order.
std::uint32_t TExtMemoryData::NewStoredRecord() {
  std::int32_t id = NextID();
  if (order_.Size() == 0 && pool_.Limit() == 0) pool_.Reset(kSlotHeader + static_cast<std::size_t>(recordSize_));
  if (order_.Size() == 0) {
    // IDs start again once the table is empty; so does their table.
    idTable_.clear();
    idFirst_ = id;
    deadIds_ = 0;
  }
  GrowForRecords(idTable_, idTable_.size() + 1);
  idTable_.push_back(0);
  std::uint32_t no;
  try {
    no = pool_.Take();
    if (blobCount_ > 0 || variantCount_ > 0) {
      TExtMemoryExtras& e = StoredExtrasFor(no);
      e.Blobs.assign(static_cast<std::size_t>(blobCount_), AnsiString());
      e.Variants.assign(static_cast<std::size_t>(variantCount_), Variant());
    } else if (no < extras_.size()) {
      extras_[no].reset();
    }
  } catch (...) {
    idTable_.pop_back();
    throw;
  }
  std::uint8_t* slot = SlotOf(no);
  std::memcpy(slot, &id, 4);
  std::memset(slot + kSlotHeader, 0, static_cast<std::size_t>(recordSize_));
  idTable_.back() = no + 1;
  lastID_ = id;
  return no;
}

TExtMemoryRecord TExtMemoryData::AppendNewRecord() { return InsertNewRecordAt(order_.Size()); }

TExtMemoryRecord TExtMemoryData::InsertNewRecordAt(int Index) {
  std::uint32_t no = NewStoredRecord();
  try {
    order_.Insert(std::clamp(Index, 0, order_.Size()), no);
  } catch (...) {
    DestroyRecord(no);
    throw;
  }
  return TExtMemoryRecord(this, no);
}

void TExtMemoryData::RelayoutRecords() {
  // Scans and windows walk the storage order; after a sort that order is
  // scattered over memory. The records are permuted through the slots they
  // already occupy (in number order), so a walk over a million records
  // moves forward through memory instead of missing the cache at each step.
  const int n = order_.Size();
  if (n < 2) return;
  std::vector<std::uint32_t> order(static_cast<std::size_t>(n));
  order_.Walk(0, [&](int pos, std::uint32_t no) {
    order[static_cast<std::size_t>(pos)] = no;
    return true;
  });
  // The occupied slot numbers in ascending order, and the rank of each.
  std::vector<std::uint32_t> rank(pool_.Limit(), UINT32_MAX);
  for (std::uint32_t no : order) rank[no] = 0;
  std::vector<std::uint32_t> slots;
  slots.reserve(order.size());
  for (std::uint32_t no = 0; no < rank.size(); ++no)
    if (rank[no] == 0) {
      rank[no] = static_cast<std::uint32_t>(slots.size());
      slots.push_back(no);
    }
  const std::size_t size = pool_.SlotSize();
  const bool extras = !extras_.empty();
  if (extras) extras_.resize(pool_.Limit());
  std::unique_ptr<std::uint8_t[]> carry(new std::uint8_t[size]);
  std::vector<std::uint8_t> done(order.size(), 0);
  // The record at position k belongs in slots[k]. Each cycle of that
  // permutation is followed from a hole: the record lifted out of it is
  // carried until the hole it belongs in opens.
  for (std::size_t k = 0; k < order.size(); ++k) {
    if (done[k]) continue;
    done[k] = 1;
    if (order[k] == slots[k]) continue;
    std::memcpy(carry.get(), SlotOf(order[k]), size);
    std::unique_ptr<TExtMemoryExtras> carried;
    if (extras) carried = std::move(extras_[order[k]]);
    std::uint32_t hole = order[k];
    for (;;) {
      // The position whose record belongs in the hole.
      const std::size_t j = rank[hole];
      if (j == k) {
        std::memcpy(SlotOf(hole), carry.get(), size);
        if (extras) extras_[hole] = std::move(carried);
        break;
      }
      done[j] = 1;
      std::memcpy(SlotOf(hole), SlotOf(order[j]), size);
      if (extras) extras_[hole] = std::move(extras_[order[j]]);
      hole = order[j];
    }
  }
  for (std::size_t k = 0; k < order.size(); ++k)
    idTable_[static_cast<std::size_t>(std::int64_t(IdOf(slots[k])) - idFirst_)] = slots[k] + 1;
  order_.Assign(slots);
}

void TExtMemoryData::DestroyRecord(std::uint32_t No) {
  std::int64_t at = std::int64_t(IdOf(No)) - idFirst_;
  if (at >= 0 && at < static_cast<std::int64_t>(idTable_.size())) {
    idTable_[static_cast<std::size_t>(at)] = 0;
    ++deadIds_;
  }
  // Mostly the oldest records go first: drop the dead front of the table.
  if (deadIds_ > 1024 && deadIds_ > idTable_.size() / 2) {
    std::size_t k = 0;
    while (k < idTable_.size() && !idTable_[k]) ++k;
    idTable_.erase(idTable_.begin(), idTable_.begin() + static_cast<std::ptrdiff_t>(k));
    idFirst_ += static_cast<std::int64_t>(k);
    deadIds_ -= k;
  }
  if (No < extras_.size()) extras_[No].reset();
  pool_.Give(No);
}

void TExtMemoryData::MoveRecord(const TExtMemoryRecord& Record, int NewIndex) {
  if (Record.MemoryData() != this) return;
  const int from = Record.Index();
  const int n = order_.Size();
  if (from < 0) return;
  NewIndex = std::clamp(NewIndex, 0, n - 1);
  if (NewIndex == from) return;
  order_.Erase(from);
  order_.Insert(NewIndex, Record.Number());
  SetSortedField(nullptr);
  InvalidateFilterView();
}

TExtMemoryRecord TExtMemoryData::RecordAtIndex(int Index) const {
  if (Index < 0 || Index >= order_.Size()) return TExtMemoryRecord();
  return TExtMemoryRecord(const_cast<TExtMemoryData*>(this), order_.At(Index));
}

TExtMemoryRecord TExtMemoryData::RecordById(std::int32_t ID) const {
  std::int64_t at = std::int64_t(ID) - idFirst_;
  if (at < 0 || at >= static_cast<std::int64_t>(idTable_.size())) return TExtMemoryRecord();
  std::uint32_t no = idTable_[static_cast<std::size_t>(at)];
  return no ? TExtMemoryRecord(const_cast<TExtMemoryData*>(this), no - 1) : TExtMemoryRecord();
}

void TExtMemoryData::FreeAllRecords() {
  order_.Clear();
  idTable_.clear();
  idFirst_ = std::int64_t(INT32_MIN) + 1;
  deadIds_ = 0;
  pool_.Reset(0);
  extras_.clear();
  lastID_ = kNoID;
  recordPos_ = -1;
}

int TExtMemoryData::RecordCount() const { return order_.Size(); }

int TExtMemoryData::RecNo() const {
  CheckActive();
  const_cast<TExtMemoryData*>(this)->UpdateCursorPos();
  return recordPos_ < 0 && order_.Size() > 0 ? 1 : recordPos_ + 1;
}

void TExtMemoryData::SetRecNo(int Value) {
  if (Value < 1 || Value > order_.Size()) return;
  CheckBrowseMode();
  recordPos_ = Value - 1;
  Resync(0);
  DoAfterScroll();
}

int TExtMemoryData::FilteredRecordCount() {
  if (!FilterActive()) return order_.Size();
  EnsureFilterView();
  return order_.FlagCount();
}

// ---------------------------------------------------------------- buffers

TExtMemoryExtras& TExtMemoryData::ExtrasOf(TRecordBuffer Buffer) const {
  TExtMemoryExtras* e;
  std::memcpy(&e, Buffer + extrasOfs_, sizeof e);
  return *e;
}

TRecordBuffer TExtMemoryData::NewRecordBuffer() {
  auto b = std::make_unique<std::uint8_t[]>(static_cast<std::size_t>(recBufSize_));
  auto e = std::make_unique<TExtMemoryExtras>();
  e->Blobs.resize(static_cast<std::size_t>(blobCount_));
  e->Variants.resize(static_cast<std::size_t>(variantCount_));
  e->CalcVariants.resize(static_cast<std::size_t>(calcVariantCount_));
  TExtMemoryExtras* raw = e.release();
  std::memcpy(b.get() + extrasOfs_, &raw, sizeof raw);
  return b.release();
}

void TExtMemoryData::DisposeRecordBuffer(TRecordBuffer& Buffer) {
  if (!Buffer) return;
  delete &ExtrasOf(Buffer);
  delete[] Buffer;
  Buffer = nullptr;
}

void TExtMemoryData::ClearRecordBuffer(TRecordBuffer Buffer) {
  std::memset(Buffer, 0, static_cast<std::size_t>(extrasOfs_));
  TExtMemoryExtras& e = ExtrasOf(Buffer);
  for (AnsiString& s : e.Blobs) s.clear();
  for (Variant& v : e.Variants) v = Variant();
  for (Variant& v : e.CalcVariants) v = Variant();
}

void TExtMemoryData::StartNewRecord(TRecordBuffer Buffer) {
  TDataSet::StartNewRecord(Buffer);
  std::int32_t none = kNoID;
  WriteBufferBookmark(Buffer, &none);
  WriteBufferBookmarkFlag(Buffer, bfInserted);
}

void TExtMemoryData::BlankCalcArea(TRecordBuffer Buffer) {
  std::memset(Buffer + recordSize_, 0, static_cast<std::size_t>(CalcFieldsSize()));
  for (Variant& v : ExtrasOf(Buffer).CalcVariants) v = Variant();
}

void TExtMemoryData::ReadBufferBookmark(TRecordBuffer Buffer, void* Data) const {
  std::memcpy(Data, Buffer + bookmarkOfs_, 4);
}
void TExtMemoryData::WriteBufferBookmark(TRecordBuffer Buffer, const void* Data) {
  std::memcpy(Buffer + bookmarkOfs_, Data, 4);
}
TBookmarkFlag TExtMemoryData::ReadBufferBookmarkFlag(TRecordBuffer Buffer) const {
  return static_cast<TBookmarkFlag>(Buffer[bookmarkOfs_ + 4]);
}
void TExtMemoryData::WriteBufferBookmarkFlag(TRecordBuffer Buffer, TBookmarkFlag Flag) {
  Buffer[bookmarkOfs_ + 4] = static_cast<std::uint8_t>(Flag);
}

void TExtMemoryData::FillBufferFromRecord(std::uint32_t No, TRecordBuffer Buffer, bool Calc) {
  const std::uint8_t* slot = SlotOf(No);
  std::memcpy(Buffer, slot + kSlotHeader, static_cast<std::size_t>(recordSize_));
  std::memcpy(Buffer + bookmarkOfs_, slot, 4);
  Buffer[bookmarkOfs_ + 4] = bfCurrent;
  std::memcpy(Buffer + numberOfs_, &No, 4);
  TExtMemoryExtras& e = ExtrasOf(Buffer);
  if (const TExtMemoryExtras* stored = StoredExtras(No)) {
    e.Blobs = stored->Blobs;
    e.Variants = stored->Variants;
  } else if (!e.Blobs.empty() || !e.Variants.empty()) {
    e.Blobs.clear();
    e.Variants.clear();
  }
  if (Calc) GetCalcFields(Buffer);
}

void TExtMemoryData::FillRecordFromBuffer(std::uint32_t No, TRecordBuffer Buffer) {
  std::memcpy(DataOf(No), Buffer, static_cast<std::size_t>(recordSize_));
  order_.ForgetFirst(No);
  const TExtMemoryExtras& e = ExtrasOf(Buffer);
  if (!StoredExtras(No) && e.Blobs.empty() && e.Variants.empty()) return;
  TExtMemoryExtras& stored = StoredExtrasFor(No);
  stored.Blobs = e.Blobs;
  stored.Variants = e.Variants;
}

bool TExtMemoryData::GetCurrentRecord(TRecordBuffer Buffer) {
  if (WindowRecordCount() == 0 || ReadBufferBookmarkFlag(ActiveBuffer()) != bfCurrent) return false;
  UpdateCursorPos();
  TExtMemoryRecord r = RecordAtIndex(recordPos_);
  if (!r) return false;
  std::memcpy(Buffer, r.Data(), static_cast<std::size_t>(recordSize_));
  return true;
}

// ---------------------------------------------------------------- fetching and the filter

bool TExtMemoryData::FilterActive() const { return Filtered() && (filterParser_ || OnFilterRecord()); }

bool TExtMemoryData::FilterReadsOutside() const {
  if (OnFilterRecord()) return true;
  return std::any_of(filterFields_.begin(), filterFields_.end(),
                     [](const auto& e) { return e.second && e.second->FieldKind() != fkData; });
}

void TExtMemoryData::ForgetOutsideFilterAnswers() {
  if (FilterActive() && FilterReadsOutside()) InvalidateFilterView();
}

void TExtMemoryData::MoveBeforeFirst() {
  recordPos_ = -1;
  ForgetOutsideFilterAnswers();
}

void TExtMemoryData::RefreshStorage() { ForgetOutsideFilterAnswers(); }

TGetResult TExtMemoryData::FetchRecord(TRecordBuffer Buffer, TGetMode Mode, bool Report) {
  const int n = order_.Size();
  const bool filtered = FilterActive();
  if (filtered) EnsureFilterView();
  TGetResult result = grOK;
  switch (Mode) {
    case gmCurrent:
      if (recordPos_ < 0 || recordPos_ >= n || (filtered && !order_.Flag(recordPos_))) result = grError;
      break;
    case gmNext:
      if (recordPos_ >= n - 1) {
        result = grEOF;
      } else if (!filtered) {
        ++recordPos_;
      } else {
        const int next = order_.NextFlagged(recordPos_);
        if (next < 0) {
          recordPos_ = n - 1;
          result = grEOF;
        } else {
          recordPos_ = next;
        }
      }
      break;
    case gmPrior:
      if (recordPos_ <= 0) {
        recordPos_ = -1;
        result = grBOF;
      } else if (!filtered) {
        recordPos_ = std::min(recordPos_, n) - 1;
        if (recordPos_ < 0) result = grBOF;
      } else {
        recordPos_ = order_.PriorFlagged(recordPos_);
        if (recordPos_ < 0) result = grBOF;
      }
      break;
  }
  if (result == grOK) FillBufferFromRecord(order_.At(recordPos_), Buffer);
  else if (result == grError && Report) DatabaseError(u"No data found");
  return result;
}

bool TExtMemoryData::PassesFilter(int Pos) {
  if (!FilterActive()) return true;
  if (Pos < 0 || Pos >= order_.Size()) return false;
  EnsureFilterView();
  return order_.Flag(Pos);
}

void TExtMemoryData::BindFilterComparison() {
  TBoundComparison& b = boundFilter_;
  b.state = TBoundComparison::kNone;
  // Subclasses may answer field names their own way.
  if (!filterParser_ || !active_ || typeid(*this) != typeid(TExtMemoryData)) return;
  TScan scan;
  if (!scan.Parse(Filter()) || scan.Count() != 4 || scan[0].Token() != tkIdentifier ||
      scan[1].Token() != tkOperator || scan[2].Token() != tkInteger || scan[3].Token() != tkEOF)
    return;
  const char16_t op = scan[1].Chr();
  if (op != u'<' && op != u'>' && op != u'=') return;
  std::int32_t constant;
  if (!rtl::TryStrToInt(scan[2].Str(), constant)) return;
  TField* f = FindField(scan[0].Str());
  if (!f || f->FieldKind() != fkData || f->FieldNo() <= 0 || f->FieldNo() > static_cast<int>(offsets_.size())) return;
  const std::size_t def = static_cast<std::size_t>(f->FieldNo() - 1);
  const TFieldType t = defTypes_[def];
  if (offsets_[def] < 0 || f->DataType() != t) return;
  switch (t) {
    case ftSmallint: case ftInteger: case ftWord: case ftAutoInc: case ftLargeint: break;
    default: return;
  }
  b.offset = offsets_[def];
  b.type = t;
  b.op = op;
  b.constant = constant;
  b.state = TBoundComparison::kBound;
}

bool TExtMemoryData::EvaluateFilter(std::uint32_t No) {
  if (boundFilter_.state == TBoundComparison::kUnbound) BindFilterComparison();
  if (boundFilter_.state == TBoundComparison::kBound && !OnFilterRecord()) {
    // The parser's reading: an empty field is less than anything and
    // equal to nothing but another empty value.
    const std::uint8_t* slot = DataOf(No) + boundFilter_.offset;
    if (!slot[0]) return boundFilter_.op == u'<';
    const std::int64_t v = IntOf(slot + 1, boundFilter_.type);
    switch (boundFilter_.op) {
      case u'<': return v < boundFilter_.constant;
      case u'>': return v > boundFilter_.constant;
      default: return v == boundFilter_.constant;
    }
  }
  bool accept = true;
  TDataSetState old = SetTempState(dsFilter);
  // Without calculated fields, blobs or variants the whole record is its
  // data area: the filter reads it in place.
  const bool direct = CalcFieldsSize() == 0 && blobCount_ == 0 && variantCount_ == 0;
  try {
    if (direct) filterBuffer_ = DataOf(No);
    else FillBufferFromRecord(No, SpareBuffer());
    if (filterParser_ && filterParser_->Eval()) {
      const Variant& v = filterParser_->Value();
      accept = !v.IsNull() && !v.IsEmpty() && v.AsBoolean();
    }
    if (OnFilterRecord()) OnFilterRecord()(this, accept);
  } catch (...) {
    filterBuffer_ = nullptr;
    RestoreState(old);
    PassStorageError(std::current_exception());
    return accept;
  }
  filterBuffer_ = nullptr;
  RestoreState(old);
  return accept;
}

void TExtMemoryData::EnsureFilterView() {
  if (!order_.FlagsValid()) order_.EvaluateFlags([this](std::uint32_t No) { return EvaluateFilter(No); });
}

void TExtMemoryData::ViewUpdated(int Pos) {
  if (order_.FlagsValid()) order_.SetFlag(Pos, EvaluateFilter(order_.At(Pos)));
}

void TExtMemoryData::FilterChanged() {
  InvalidateFilterView();
  if (Active() && Filtered()) First();
}

void TExtMemoryData::SetFiltered(bool Value) {
  if (Active()) {
    CheckBrowseMode();
    TDataSet::SetFiltered(Value);
    InvalidateFilterView();
    First();
  } else {
    TDataSet::SetFiltered(Value);
    InvalidateFilterView();
  }
}

void TExtMemoryData::SetFilter(const String& Value) {
  if (Active()) CheckBrowseMode();
  TDataSet::SetFilter(Value);
  RebuildFilterParser();
  FilterChanged();
}

void TExtMemoryData::SetOnFilterRecord(TFilterRecordEvent Value) {
  if (Active()) CheckBrowseMode();
  TDataSet::SetOnFilterRecord(std::move(Value));
  FilterChanged();
}

void TExtMemoryData::RebuildFilterParser() {
  filterParser_.reset();
  filterFields_.clear();
  boundFilter_.state = TBoundComparison::kUnbound;
  if (Filter().empty()) return;
  filterParser_ = std::make_unique<TExprParser>();
  // On from the first record: switching it on after the first evaluation
  // would judge that record alone without masks.
  filterParser_->SetEnableWildcardMatching(true);
  filterParser_->OnGetVariable = [this](TExprParser*, const String& Name, Variant& Value) {
    return FieldValueByName(Name, Value);
  };
  filterParser_->SetExpression(Filter());
}

bool TExtMemoryData::FieldValueByName(const String& Name, Variant& Value) {
  // The parser asks by name for every record; each name is resolved once.
  TField* f = nullptr;
  auto it = std::find_if(filterFields_.begin(), filterFields_.end(), [&](const auto& e) { return e.first == Name; });
  if (it != filterFields_.end()) {
    f = it->second;
  } else {
    f = FindField(Name);
    if (Active()) filterFields_.emplace_back(Name, f);
  }
  if (!f) return false;
  Value = f->Value();
  return true;
}

void TExtMemoryData::PassStorageError(std::exception_ptr Error) {
  if (ApplicationErrorHandler) ApplicationErrorHandler(Error);
}

// ---------------------------------------------------------------- field data

bool TExtMemoryData::ActiveRecordBuffer(TRecordBuffer& Buffer) const {
  switch (State()) {
    case dsBrowse:
      Buffer = IsEmpty() ? nullptr : ActiveBuffer();
      break;
    case dsEdit: case dsInsert: Buffer = ActiveBuffer(); break;
    case dsCalcFields: Buffer = CalcBuffer(); break;
    case dsFilter: Buffer = filterBuffer_ ? filterBuffer_ : SpareBuffer(); break;
    default: Buffer = nullptr; break;
  }
  return Buffer != nullptr;
}

std::uint8_t* TExtMemoryData::FieldSlotOf(TRecordBuffer Buffer, TField* Field) const {
  int no = Field->FieldNo();
  if (!Buffer || no <= 0 || no > static_cast<int>(offsets_.size())) return nullptr;
  std::int32_t ofs = offsets_[static_cast<std::size_t>(no - 1)];
  return ofs < 0 ? nullptr : Buffer + ofs;
}

bool TExtMemoryData::GetFieldData(TField* Field, void* Dest) {
  TRecordBuffer b;
  if (!ActiveRecordBuffer(b)) return false;
  if (Field->FieldKind() == fkCalculated || Field->FieldKind() == fkLookup) {
    TDataSetState s = State();
    if (s != dsBrowse && s != dsEdit && s != dsInsert && s != dsCalcFields && s != dsFilter) return false;
    const std::uint8_t* slot = b + recordSize_ + Field->Offset();
    if (!slot[0]) return false;
    if (Dest) {
      if (Field->DataType() == ftVariant)
        *static_cast<Variant*>(Dest) = ExtrasOf(b).CalcVariants.at(static_cast<std::size_t>(calcVariantIndex_.at(Field->Offset())));
      else
        std::memcpy(Dest, slot + 1, static_cast<std::size_t>(Field->DataSize()));
    }
    return true;
  }
  std::uint8_t* slot = FieldSlotOf(b, Field);
  if (!slot || !slot[0]) return false;
  std::size_t def = static_cast<std::size_t>(Field->FieldNo() - 1);
  TFieldType t = defTypes_[def];
  if ((t == ftString || t == ftFixedChar || t == ftGuid) && slot[1] == 0) return false;
  if (t == ftWideString && slot[1] == 0 && slot[2] == 0) return false;
  if (t == ftVariant) {
    const Variant& v = ExtrasOf(b).Variants.at(static_cast<std::size_t>(variantIndex_[def]));
    if (Dest) *static_cast<Variant*>(Dest) = v;
    return true;
  }
  if (Dest) std::memcpy(Dest, slot + 1, static_cast<std::size_t>(Field->DataSize()));
  return true;
}

void TExtMemoryData::PutFieldData(TField* Field, const void* Src) {
  const TDataSetState s = State();
  if (!(IsEditMode(s) || s == dsCalcFields || s == dsFilter || s == dsNewValue || s == dsInternalCalc))
    DatabaseError(u"Dataset not in edit or insert mode");
  TRecordBuffer b;
  if (!ActiveRecordBuffer(b)) DatabaseError(u"Dataset not in edit or insert mode");
  if (Field->FieldKind() == fkCalculated || Field->FieldKind() == fkLookup) {
    std::uint8_t* slot = b + recordSize_ + Field->Offset();
    slot[0] = Src ? 1 : 0;
    if (Field->DataType() == ftVariant) {
      Variant& v = ExtrasOf(b).CalcVariants.at(static_cast<std::size_t>(calcVariantIndex_.at(Field->Offset())));
      v = Src ? *static_cast<const Variant*>(Src) : Variant();
    } else if (Src) {
      std::memcpy(slot + 1, Src, static_cast<std::size_t>(Field->DataSize()));
    } else {
      std::memset(slot + 1, 0, static_cast<std::size_t>(Field->DataSize()));
    }
  } else {
    if (s == dsCalcFields || s == dsFilter) DatabaseError(u"Dataset not in edit or insert mode");
    if (Field->ReadOnly() && s != dsSetKey && s != dsFilter)
      DatabaseErrorFmt(u"Field '%s' cannot be modified", Field->DisplayName());
    Field->Validate(Src);
    if (Field->FieldKind() == fkInternalCalc) return;
    if (Field->IsBlob()) {
      // A blob is cleared by writing Null; its bytes travel through streams.
      if (!Src) StoreBlobSlotText(Field, b, AnsiString());
    } else {
      std::uint8_t* slot = FieldSlotOf(b, Field);
      if (!slot) DatabaseErrorFmt(u"Field '%s' is of an unknown type", Field->DisplayName());
      std::size_t def = static_cast<std::size_t>(Field->FieldNo() - 1);
      if (defTypes_[def] == ftVariant) {
        const Variant* v = static_cast<const Variant*>(Src);
        bool has = v && !v->IsNull() && !v->IsEmpty();
        slot[0] = has ? 1 : 0;
        ExtrasOf(b).Variants.at(static_cast<std::size_t>(variantIndex_[def])) = has ? *v : Variant();
      } else {
        slot[0] = Src ? 1 : 0;
        if (Src) std::memcpy(slot + 1, Src, static_cast<std::size_t>(Field->DataSize()));
        else std::memset(slot + 1, 0, static_cast<std::size_t>(Field->DataSize()));
      }
    }
  }
  if (s != dsCalcFields && s != dsFilter && s != dsNewValue)
    DataEvent(deFieldChange, reinterpret_cast<std::intptr_t>(Field));
}

// ---------------------------------------------------------------- bookmarks

bool TExtMemoryData::BookmarkValid(const TBookmark& Bookmark) const {
  if (Bookmark.size() != 4 || !active_) return false;
  std::int32_t id = ReadID(Bookmark.data());
  return id > kNoID && id <= lastID_ && static_cast<bool>(RecordById(id));
}

int TExtMemoryData::CompareBookmarks(const TBookmark& A, const TBookmark& B) const {
  if (A.empty() && B.empty()) return 0;
  if (B.empty()) return 1;
  if (A.empty()) return -1;
  if (A.size() < 4 || B.size() < 4) return TDataSet::CompareBookmarks(A, B);
  return Sign3(ReadID(A.data()), ReadID(B.data()));
}

void TExtMemoryData::GotoBookmarkRecord(const std::uint8_t* Bookmark) {
  TExtMemoryRecord r = RecordById(ReadID(Bookmark));
  if (!r) return;
  const int pos = order_.PositionOf(r.Number(), recordPos_);
  if (PassesFilter(pos)) recordPos_ = pos;
}

void TExtMemoryData::GotoBufferRecord(TRecordBuffer Buffer) {
  // The framework goes to the records of its window, next to the cursor and
  // just read: the slot number the buffer was filled from finds the record
  // there without the ID table. The slot may have been freed or reused
  // since; its ID and its place in the order tell.
  std::uint32_t no;
  std::memcpy(&no, Buffer + numberOfs_, 4);
  if (no < pool_.Limit() && IdOf(no) == ReadID(Buffer + bookmarkOfs_)) {
    const int pos = order_.PositionOf(no, recordPos_);
    if (pos >= 0) {
      if (PassesFilter(pos)) recordPos_ = pos;
      return;
    }
  }
  GotoBookmarkRecord(Buffer + bookmarkOfs_);
}

// ---------------------------------------------------------------- posting and deleting

void TExtMemoryData::AssignAutoIncValues(TRecordBuffer Buffer) {
  bool any = false;
  for (std::size_t i = 0; i < defTypes_.size(); ++i) {
    if (defTypes_[i] != ftAutoInc || offsets_[i] < 0) continue;
    std::uint8_t* slot = Buffer + offsets_[i];
    slot[0] = 1;
    std::memcpy(slot + 1, &autoInc_, 4);
    any = true;
  }
  if (any) ++autoInc_;
}

void TExtMemoryData::WriteRecordData(TRecordBuffer Buffer, int Index) {
  if (State() == dsFilter) DatabaseError(u"Dataset not in edit or insert mode");
  TExtMemoryRecord r = RecordAtIndex(Index);
  if (!r) DatabaseError(u"No data found");
  FillRecordFromBuffer(r.Number(), Buffer);
}

void TExtMemoryData::AddRecordFromBuffer(TRecordBuffer Buffer, bool Append) {
  recordPos_ = Append ? order_.Size() : std::clamp(recordPos_, 0, order_.Size());
  TExtMemoryRecord r = InsertNewRecordAt(recordPos_);
  try {
    AssignAutoIncValues(Buffer);
    WriteRecordData(Buffer, recordPos_);
  } catch (...) {
    order_.Erase(recordPos_);
    DestroyRecord(r.Number());
    throw;
  }
  CheckSortedAround(recordPos_);
  ViewUpdated(recordPos_);
}

void TExtMemoryData::PostRecordBuffer() {
  TDataSet::PostRecordBuffer();
  TRecordBuffer b = ActiveBuffer();
  bool counted = false;
  if (Tracking() && !IsLoading() && StatusField()) {
    if (State() == dsEdit) {
      if (CurrentStatus() == rsOriginal) {
        // Appending only: a loaded record stays as it was loaded.
        if (applyMode_ == amAppend) return;
        SetBufferStatus(b, rsUpdated);
        counted = true;
      }
    } else {
      int index;
      if (IsDeleted(index)) {
        // Deleted and put back under the same key: an update, not a change more.
        deletedValues_.erase(deletedValues_.begin() + index);
        SetBufferStatus(b, applyMode_ == amAppend ? rsInserted : rsUpdated);
      } else {
        SetBufferStatus(b, rsInserted);
        counted = true;
      }
    }
  }
  if (State() == dsEdit) {
    UpdateCursorPos();
    WriteRecordData(b, recordPos_);
    CheckSortedAround(recordPos_);
    ViewUpdated(recordPos_);
    if (counted) ++rowsChanged_;
    return;
  }
  const int n = order_.Size();
  // Number the new record only once it is sure to be stored.
  NextID();
  AssignAutoIncValues(b);
  recordPos_ = recordPos_ < n ? std::max(recordPos_, 0) : n;
  TExtMemoryRecord r = InsertNewRecordAt(recordPos_);
  FillRecordFromBuffer(r.Number(), b);
  CheckSortedAround(recordPos_);
  ViewUpdated(recordPos_);
  if (counted) ++rowsChanged_;
}

void TExtMemoryData::DeleteCurrentRecord() {
  TExtMemoryRecord r = RecordAtIndex(recordPos_);
  if (!r) DatabaseError(u"No data found");
  int status = -1;
  Variant keys;
  if (Tracking() && !IsLoading() && StatusField()) {
    status = StoredStatus(r);
    if (status != rsInserted) {
      if (applyMode_ == amAppend) return;  // appending only: nothing loaded goes away
      keys = GetValues(keyFieldNames_);
    }
  }
  order_.Erase(recordPos_);
  DestroyRecord(r.Number());
  const int n = order_.Size();
  if (recordPos_ >= n) recordPos_ = n - 1;
  if (recordPos_ >= 0 && !PassesFilter(recordPos_)) recordPos_ = order_.PriorFlagged(recordPos_);
  if (n == 0) lastID_ = kNoID;
  if (status == rsInserted) {
    --rowsChanged_;
  } else if (status >= 0) {
    deletedValues_.push_back(keys);
    if (status == rsOriginal) ++rowsChanged_;
  }
}

void TExtMemoryData::EmptyTable() {
  if (!Active()) return;
  CheckBrowseMode();
  FreeAllRecords();
  InvalidateFilterView();
  ClearBuffers();
  DataEvent(deDataSetChange, 0);
}

// ---------------------------------------------------------------- locate and lookup

bool TextBytesMatchAsDecoded(std::uint32_t CodePage) {
  switch (CodePage == rtl::CP_ACP ? rtl::SystemCodePage() : CodePage) {
    case 936: case 1252: case 437: case 28591: case 20127: return true;
    default: return false;
  }
}

namespace {

// A lookup matches a text field by its exact text, and only a field with a
// value; other types compare as values.
bool LookupFieldEquals(TField* Field, const Variant& Key) {
  if (Field->DataType() == ftString) {
    if (Key.IsNull()) return Field->IsNull();
    return !Field->IsNull() && Field->AsString() == rtl::VarToStr(Key);
  }
  return Field->Value() == Key;
}

// A key of a text field prepared once per scan, tested against a stored
// slot without decoding it or building a string, with the answer the
// field's text would give. In the pages TextBytesMatchAsDecoded names, a
// byte < 0x80 is its own character and every other character has one byte
// sequence, so for an exact comparison the key's bytes decide; otherwise a
// record of plain ASCII is compared unit by unit and only the rest decoded.
class TStoredTextKey {
 public:
  // Offset: the field's slot in a data area; Units: the most characters
  // (wide) or bytes (8-bit) its text can take.
  TStoredTextKey(int Offset, bool Wide, std::size_t Units, const Variant& Key, TLocateOptions Options,
                 bool ValueRequired)
      : offset_(static_cast<std::size_t>(Offset)), wide_(Wide), units_(Units), nullKey_(Key.IsNull()),
        valueRequired_(ValueRequired), partial_(Options & loPartialKey),
        caseInsensitive_(Options & loCaseInsensitive) {
    if (nullKey_) return;
    key_ = rtl::VarToStr(Key);
    if (caseInsensitive_) {
      for (char16_t& c : key_) c = rtl::LowCaseChar(c);
    } else if (!wide_ && TextBytesMatchAsDecoded(rtl::CP_ACP) &&
               key_.find(u'\uFFFD') == String::npos) {
      bytes_ = rtl::StringToAnsi(key_);
      bytesDecide_ = rtl::AnsiToString(bytes_) == key_;
    }
  }
  bool Matches(const std::uint8_t* Data) const {
    const std::uint8_t* slot = Data + offset_;
    const std::uint8_t* v = slot + 1;
    const bool null = !slot[0] || (v[0] == 0 && (!wide_ || v[1] == 0));
    if (nullKey_) return null;
    if (null && valueRequired_) return false;
    if (wide_) {
      std::size_t len = 0;
      if (!null) while (len < units_ && (v[2 * len] | v[2 * len + 1]) != 0) ++len;
      return SameUnits(len, [v](std::size_t i) { return static_cast<char16_t>(v[2 * i] | v[2 * i + 1] << 8); });
    }
    const char* text = reinterpret_cast<const char*>(v);
    const std::size_t len = null ? 0 : ::strnlen(text, units_);
    if (bytesDecide_) {
      if (len < bytes_.size() || (!partial_ && len != bytes_.size())) return false;
      return std::memcmp(text, bytes_.data(), bytes_.size()) == 0;
    }
    if (std::all_of(text, text + len, [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
      return SameUnits(len, [v](std::size_t i) { return static_cast<char16_t>(v[i]); });
    const String decoded = rtl::AnsiToString(std::string_view(text, len));
    return SameUnits(decoded.size(), [&decoded](std::size_t i) { return decoded[i]; });
  }

 private:
  // The field's text (Len units, UnitAt(i)) cut to the key when partial,
  // against the key, folded when case-insensitive.
  template <class UnitAt>
  bool SameUnits(std::size_t Len, UnitAt At) const {
    if (partial_ && Len > key_.size()) Len = key_.size();
    if (Len != key_.size()) return false;
    for (std::size_t i = 0; i < Len; ++i) {
      const char16_t c = caseInsensitive_ ? rtl::LowCaseChar(At(i)) : At(i);
      if (c != key_[i]) return false;
    }
    return true;
  }

  std::size_t offset_;
  bool wide_;
  std::size_t units_;
  bool nullKey_, valueRequired_, partial_, caseInsensitive_;
  bool bytesDecide_ = false;
  String key_;
  AnsiString bytes_;
};

}  // namespace

int TExtMemoryData::ScanForMatch(const std::vector<TField*>& Fields, const Variant& KeyValues, TLocateOptions Options,
                                 bool ForLookup) {
  int from = 0, to = 0;
  const bool narrowed = SortedKeyRange(Fields, KeyValues, Options, ForLookup, from, to);
  TRecordBuffer spare = SpareBuffer();
  TRecordBuffer oldCalc = CalcBuffer();
  TDataSetState old = SetTempState(dsCalcFields);
  int found = -1;
  // Plain data keys are read straight from the stored data area (a data
  // area is the front of a buffer); anything else needs a filled buffer.
  const bool direct = std::all_of(Fields.begin(), Fields.end(), [](TField* f) {
    return f->FieldKind() == fkData && !f->IsBlob() && f->DataType() != ftVariant;
  });
  // Each field with its own key, paired as the record-by-record test pairs
  // them; text keys of data fields are tested on the stored bytes.
  struct TKeyTest {
    TField* field;
    Variant key;
    std::optional<TStoredTextKey> text;
  };
  std::vector<TKeyTest> keys;
  bool paired = Fields.size() == 1 || KeyValues.IsArray();
  for (std::size_t i = 0; paired && i < Fields.size(); ++i) {
    const int index = Fields.size() == 1 ? 0 : KeyValues.LowBound() + static_cast<int>(i);
    if (Fields.size() > 1 && index > KeyValues.HighBound()) paired = false;
    if (!paired) break;
    TKeyTest k{Fields[i], Fields.size() == 1 ? KeyValues : KeyValues[index], std::nullopt};
    TField* f = Fields[i];
    const std::size_t def = static_cast<std::size_t>(f->FieldNo() - 1);
    const TFieldType t = f->DataType();
    if (f->FieldKind() == fkData && f->FieldNo() > 0 && def < defTypes_.size() && defTypes_[def] == t &&
        offsets_[def] >= 0 && (t == ftString || (t == ftWideString && !ForLookup))) {
      const bool wide = t == ftWideString;
      const std::size_t units = wide ? std::min<std::size_t>(static_cast<std::size_t>(f->DataSize()) / 2,
                                                             static_cast<std::size_t>(f->Size()) + 1)
                                     : static_cast<std::size_t>(f->DataSize());
      k.text.emplace(offsets_[def], wide, units, k.key, ForLookup ? 0 : Options, ForLookup);
    }
    keys.push_back(std::move(k));
  }
  const bool allText = paired && std::all_of(keys.begin(), keys.end(), [](const TKeyTest& k) { return k.text; });
  auto test = [&](std::uint32_t no) {
    const std::uint8_t* data = DataOf(no);
    if (allText) return std::all_of(keys.begin(), keys.end(), [data](const TKeyTest& k) { return k.text->Matches(data); });
    if (direct) {
      SetCalcBuffer(DataOf(no));
    } else {
      FillBufferFromRecord(no, spare);
      SetCalcBuffer(spare);
    }
    if (!paired) return false;
    for (const TKeyTest& k : keys) {
      const bool same = k.text ? k.text->Matches(data)
                               : ForLookup ? LookupFieldEquals(k.field, k.key) : FieldMatchesKey(k.field, k.key, Options);
      if (!same) return false;
    }
    return true;
  };
  try {
    const bool filtered = !ForLookup && FilterActive();
    if (filtered) EnsureFilterView();
    if (!narrowed) {
      from = 0;
      to = order_.Size();
    }
    if (filtered && !narrowed) {
      for (int pos = order_.NextFlagged(-1); pos >= 0; pos = order_.NextFlagged(pos))
        if (test(order_.At(pos))) { found = pos; break; }
    } else {
      order_.Walk(from, [&](int pos, std::uint32_t no) {
        if (pos >= to) return false;
        if (filtered && !order_.Flag(pos)) return true;
        if (!test(no)) return true;
        found = pos;
        return false;
      });
    }
  } catch (...) {
    SetCalcBuffer(oldCalc);
    RestoreState(old);
    throw;
  }
  if (!ForLookup) {
    SetCalcBuffer(oldCalc);
  } else if (found >= 0 && direct) {
    try {
      FillBufferFromRecord(order_.At(found), spare);
    } catch (...) {
      SetCalcBuffer(oldCalc);
      RestoreState(old);
      throw;
    }
    SetCalcBuffer(spare);
  }
  RestoreState(old);
  return found;
}

bool TExtMemoryData::Locate(const String& KeyFields, const Variant& KeyValues, TLocateOptions Options) {
  CheckBrowseMode();
  if (IsEmpty()) return false;
  std::vector<TField*> fields;
  GetFieldList(fields, KeyFields);
  if (!CurrentRecordMatches(fields, KeyValues, Options)) {
    int pos = ScanForMatch(fields, KeyValues, Options, false);
    if (pos < 0) return false;
    DoBeforeScroll();
    recordPos_ = pos;
    Resync(rmExact | rmCenter);
  }
  DataEvent(deDataSetChange, 0);
  DoAfterScroll();
  return true;
}

bool TExtMemoryData::LookupKeysEqual(const std::vector<TField*>& Fields, const Variant& KeyValues) const {
  auto match = LookupFieldEquals;
  if (Fields.size() == 1) return match(Fields[0], KeyValues);
  if (!KeyValues.IsArray()) return false;
  int low = KeyValues.LowBound();
  for (std::size_t i = 0; i < Fields.size(); ++i) {
    int index = low + static_cast<int>(i);
    if (index > KeyValues.HighBound() || !match(Fields[i], KeyValues[index])) return false;
  }
  return true;
}

Variant TExtMemoryData::ResultValues(const String& ResultFields) {
  std::vector<TField*> results;
  GetFieldList(results, ResultFields);
  if (results.size() == 1) return results[0]->Value();
  Variant out = rtl::VarArrayCreate(0, static_cast<int>(results.size()) - 1);
  for (std::size_t i = 0; i < results.size(); ++i) out[static_cast<int>(i)] = results[i]->Value();
  return out;
}

Variant TExtMemoryData::Lookup(const String& KeyFields, const Variant& KeyValues, const String& ResultFields) {
  CheckBrowseMode();
  if (order_.Size() == 0) return Variant::Null();
  std::vector<TField*> keys;
  GetFieldList(keys, KeyFields);
  if (!IsEmpty() && LookupKeysEqual(keys, KeyValues)) return ResultValues(ResultFields);
  TRecordBuffer oldCalc = CalcBuffer();
  int pos = ScanForMatch(keys, KeyValues, 0, true);
  if (pos < 0) {
    SetCalcBuffer(oldCalc);
    return Variant::Null();
  }
  // The spare still holds the match: read the results there.
  TDataSetState old = SetTempState(dsCalcFields);
  Variant out;
  try {
    out = ResultValues(ResultFields);
  } catch (...) {
    SetCalcBuffer(oldCalc);
    RestoreState(old);
    throw;
  }
  SetCalcBuffer(oldCalc);
  RestoreState(old);
  return out;
}


// ---------------------------------------------------------------- the sorted key

namespace {

// A value of the sort field in the terms of its order: integers and floats
// as they are, texts folded (no value reads as the empty text).
struct SortedValue {
  enum Kind { kInt, kFloat, kText } kind = kInt;
  bool has = false;
  std::int64_t i = 0;
  double f = 0;
  String text;
};

bool SortedKindOf(TFieldType t, SortedValue::Kind& Kind) {
  switch (t) {
    case ftSmallint: case ftInteger: case ftWord: case ftAutoInc: case ftLargeint: Kind = SortedValue::kInt; return true;
    case ftFloat: Kind = SortedValue::kFloat; return true;
    case ftString: case ftWideString: Kind = SortedValue::kText; return true;
    default: return false;
  }
}

String Folded(String s) {
  for (char16_t& c : s) c = rtl::LowCaseChar(c);
  return s;
}

int CompareSorted(const SortedValue& a, const SortedValue& b, std::size_t TextLimit) {
  if (a.kind == SortedValue::kText) {
    std::u16string_view x(a.text), y(b.text);
    if (x.size() > TextLimit) x = x.substr(0, TextLimit);
    int c = x.compare(y);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
  }
  if (!a.has || !b.has) return a.has ? 1 : (b.has ? -1 : 0);
  return a.kind == SortedValue::kInt ? Sign3(a.i, b.i) : Sign3(a.f, b.f);
}

}  // namespace

static SortedValue SortedValueOf(const std::uint8_t* Slot, TFieldType Type, int Bytes, SortedValue::Kind Kind) {
  SortedValue v;
  v.kind = Kind;
  v.has = Slot[0] != 0;
  if (!v.has) return v;
  switch (Kind) {
    case SortedValue::kInt: v.i = IntOf(Slot + 1, Type); break;
    case SortedValue::kFloat: v.f = Load<double>(Slot + 1); break;
    case SortedValue::kText: v.text = Folded(SlotText(Slot + 1, Type, Bytes)); break;
  }
  return v;
}

int TExtMemoryData::CompareSortedKeyAt(int A, int B) const {
  SortedValue::Kind kind = SortedValue::kInt;
  SortedKindOf(sortedField_->DataType(), kind);
  const std::size_t def = static_cast<std::size_t>(sortedField_->FieldNo() - 1);
  const int ofs = offsets_[def];
  const TFieldType t = defTypes_[def];
  const int bytes = TableValueBytes(t, sortedField_->Size());
  SortedValue a = SortedValueOf(DataOf(order_.At(A)) + ofs, t, bytes, kind);
  SortedValue b = SortedValueOf(DataOf(order_.At(B)) + ofs, t, bytes, kind);
  return CompareSorted(a, b, SIZE_MAX);
}

void TExtMemoryData::SetSortedField(TField* Field) {
  sortedField_ = Field;
  blockKeys_ = TBlockKeys();
  order_.ForgetFirsts();
}

void TExtMemoryData::CheckSortedAround(int Pos) {
  if (!sortedField_) return;
  const int n = RecordCount();
  const int sign = descendingSort_ ? -1 : 1;
  if ((Pos > 0 && sign * CompareSortedKeyAt(Pos - 1, Pos) > 0) ||
      (Pos + 1 < n && sign * CompareSortedKeyAt(Pos, Pos + 1) > 0))
    SetSortedField(nullptr);
}

bool TExtMemoryData::SortedKeyRange(const std::vector<TField*>& Fields, const Variant& KeyValues,
                                    TLocateOptions Options, bool ForLookup, int& From, int& To) {
  if (!sortedField_) return false;
  auto at = std::find(Fields.begin(), Fields.end(), sortedField_);
  if (at == Fields.end()) return false;
  Variant key;
  if (Fields.size() == 1) {
    key = KeyValues;
  } else {
    if (!KeyValues.IsArray()) return false;
    const int index = KeyValues.LowBound() + static_cast<int>(at - Fields.begin());
    if (index > KeyValues.HighBound()) return false;
    key = KeyValues[index];
  }
  SortedValue::Kind kind;
  const TFieldType t = sortedField_->DataType();
  if (!SortedKindOf(t, kind) || key.IsNull() || key.IsEmpty() || key.IsArray()) return false;
  // The key must mean exactly what the record-by-record test makes of it.
  SortedValue probe;
  probe.kind = kind;
  probe.has = true;
  std::size_t limit = SIZE_MAX;
  const rtl::TVarType vt = key.VarType();
  const bool integral = vt == rtl::varSmallint || vt == rtl::varInteger || vt == rtl::varInt64;
  switch (kind) {
    case SortedValue::kInt:
      if (integral) {
        probe.i = key.AsInt64();
      } else if (vt == rtl::varDouble) {
        const double d = key.AsDouble();
        if (!(d >= -9.2e18 && d <= 9.2e18) || d != static_cast<double>(static_cast<std::int64_t>(d))) return false;
        probe.i = static_cast<std::int64_t>(d);
      } else {
        return false;
      }
      break;
    case SortedValue::kFloat:
      if (!integral && vt != rtl::varDouble) return false;
      probe.f = key.AsDouble();
      break;
    case SortedValue::kText:
      if (ForLookup && t == ftWideString && !key.IsText()) return false;
      probe.text = Folded(rtl::VarToStr(key));
      if (!ForLookup && (Options & loPartialKey)) limit = probe.text.size();
      break;
  }
  const std::size_t def = static_cast<std::size_t>(sortedField_->FieldNo() - 1);
  const int ofs = offsets_[def];
  if (ofs < 0) return false;
  const int bytes = TableValueBytes(defTypes_[def], sortedField_->Size());
  const int sign = descendingSort_ ? -1 : 1;
  // Sign of a record against the key, in storage-order terms.
  auto order = [&](std::uint32_t No) {
    SortedValue v = SortedValueOf(DataOf(No) + ofs, defTypes_[def], bytes, kind);
    return sign * CompareSorted(v, probe, limit);
  };
  // The blocks are searched by their keys, read again where the order
  // cannot vouch for them.
  TBlockKeys& keys = blockKeys_;
  const std::size_t ids = order_.BlockIds();
  if (keys.has.size() < ids) {
    keys.has.resize(ids);
    switch (kind) {
      case SortedValue::kInt: keys.ints.resize(ids); break;
      case SortedValue::kFloat: keys.floats.resize(ids); break;
      case SortedValue::kText: keys.texts.resize(ids); break;
    }
  }
  auto blockBefore = [&](std::uint32_t Id, std::uint32_t Stale) {
    if (Stale != TExtRecordOrder::kKeyKnown) {
      SortedValue v = SortedValueOf(DataOf(Stale) + ofs, defTypes_[def], bytes, kind);
      keys.has[Id] = v.has;
      switch (kind) {
        case SortedValue::kInt: keys.ints[Id] = v.i; break;
        case SortedValue::kFloat: keys.floats[Id] = v.f; break;
        case SortedValue::kText: keys.texts[Id] = std::move(v.text); break;
      }
    }
    int c;
    switch (kind) {
      case SortedValue::kText: {
        std::u16string_view x(keys.texts[Id]);
        if (x.size() > limit) x = x.substr(0, limit);
        c = x.compare(probe.text);
        break;
      }
      case SortedValue::kInt: c = keys.has[Id] ? Sign3(keys.ints[Id], probe.i) : -1; break;
      default: c = keys.has[Id] ? Sign3(keys.floats[Id], probe.f) : -1; break;
    }
    return sign * c < 0;
  };
  From = order_.PartitionPoint(blockBefore, [&](std::uint32_t No) { return order(No) < 0; });
  // The equal records follow From, usually few: gallop over them from there
  // rather than search the whole order again (each step of a search across
  // a large table reads a record the cache does not hold).
  const int n = order_.Size();
  int lo = From, hi = From, step = 1;
  while (hi < n && order(order_.At(hi)) <= 0) {
    lo = hi + 1;
    hi = std::min(n, hi + step);
    step *= 2;
  }
  while (lo < hi) {
    const int mid = lo + (hi - lo) / 2;
    if (order(order_.At(mid)) <= 0) lo = mid + 1; else hi = mid;
  }
  To = lo;
  return true;
}

// ---------------------------------------------------------------- sorting

bool TExtMemoryData::InIndexList(TField* Field) const {
  return std::find(indexList_.begin(), indexList_.end(), Field) != indexList_.end();
}

void TExtMemoryData::BuildSortFieldList(const String& Names) {
  indexList_.clear();
  std::size_t pos = 0;
  while (pos < Names.size()) {
    String name = NextFieldName(Names, pos);
    if (name.empty()) continue;
    TField* f = FieldByName(name);
    TFieldType t = f->DataType();
    if (TableValueBytes(t, f->Size()) < 0 || t == ftADT) {
      indexList_.clear();
      DatabaseError(rtl::Format(u"Type mismatch for field '%s', expecting: %s actual: %s",
                                {f->DisplayName(), String(u"a sortable type"), String(FieldTypeName(t))}));
    }
    indexList_.push_back(f);
  }
}

void TExtMemoryData::SortOnFields(const String& FieldNames, bool CaseInsensitive, bool Descending) {
  if (IsEditMode(State())) Post();
  String names = FieldNames.empty() ? keyFieldNames_ : FieldNames;
  if (names.empty()) return;
  caseInsensitiveSort_ = CaseInsensitive;
  descendingSort_ = Descending;
  BuildSortFieldList(names);
  try {
    SortStoredRecords();
  } catch (...) {
    DropSortFieldList();
    throw;
  }
  SortedValue::Kind kind;
  TField* first = indexList_.empty() ? nullptr : indexList_[0];
  SetSortedField(first && first->FieldKind() == fkData && SortedKindOf(first->DataType(), kind) ? first : nullptr);
}

namespace {

// One sort field's values for every record, read once before sorting so
// the comparisons touch neither records nor fields: integers (and dates,
// times, booleans) as 64-bit, floats as doubles, texts decoded (and folded
// for a case-insensitive order), packed decimals as they are.
struct SortColumn {
  enum Kind { kInt, kFloat, kBcd, kText, kGuid, kNone } kind = kNone;
  bool calculated = false;  // then a missing value compares equal to anything
  std::vector<std::uint8_t> has;
  std::vector<std::int64_t> ints;
  std::vector<double> floats;
  std::vector<TBcd> bcds;
  std::vector<String> texts, folded;
  // The first eight folded characters, packed so that integer order is
  // text order: most comparisons end here without touching the texts.
  std::vector<std::array<std::uint64_t, 2>> prefix;
};

std::array<std::uint64_t, 2> PrefixOf(const String& s) {
  std::array<std::uint64_t, 2> p{0, 0};
  for (std::size_t i = 0; i < 8 && i < s.size(); ++i)
    p[i / 4] |= std::uint64_t(s[i]) << ((3 - i % 4) * 16);
  return p;
}

SortColumn::Kind KindOf(TFieldType t) {
  switch (t) {
    case ftSmallint: case ftInteger: case ftDate: case ftTime: case ftAutoInc: case ftWord: case ftBoolean:
    case ftLargeint: return SortColumn::kInt;
    case ftFloat: case ftCurrency: case ftDateTime: return SortColumn::kFloat;
    case ftBCD: case ftFMTBcd: return SortColumn::kBcd;
    case ftString: case ftFixedChar: case ftWideString: return SortColumn::kText;
    case ftGuid: return SortColumn::kGuid;
    default: return SortColumn::kNone;
  }
}

std::int64_t IntOf(const std::uint8_t* v, TFieldType t) {
  switch (t) {
    case ftSmallint: return Load<std::int16_t>(v);
    case ftWord: return Load<std::uint16_t>(v);
    case ftBoolean: return Load<std::int16_t>(v) != 0;
    case ftLargeint: return Load<std::int64_t>(v);
    default: return Load<std::int32_t>(v);
  }
}

struct SortPlan {
  std::vector<SortColumn> columns;
  std::vector<std::int32_t> ids;
  bool caseInsensitive = false, descending = false;

  // Same order as comparing the records field by field: a value sorts
  // after no value, ties fall to creation order, descending reverses all.
  int Compare(std::size_t a, std::size_t b) const {
    for (const SortColumn& c : columns) {
      int r = 0;
      if (!c.has[a] || !c.has[b]) {
        r = c.calculated ? 0 : (c.has[a] ? 1 : (c.has[b] ? -1 : 0));
      } else {
        switch (c.kind) {
          case SortColumn::kInt: r = Sign3(c.ints[a], c.ints[b]); break;
          case SortColumn::kFloat: r = Sign3(c.floats[a], c.floats[b]); break;
          case SortColumn::kBcd: r = BcdCompare(c.bcds[a], c.bcds[b]); break;
          case SortColumn::kGuid:
          case SortColumn::kText:
            // Folded texts in code-unit order are exactly the locale order
            // of the user interface; case decides only between equals.
            if (c.prefix[a] != c.prefix[b]) {
              r = c.prefix[a] < c.prefix[b] ? -1 : 1;
              break;
            }
            r = c.folded[a].compare(c.folded[b]);
            if (c.kind == SortColumn::kGuid) break;
            if (r == 0 && !caseInsensitive) r = rtl::AnsiCompareStr(c.texts[a], c.texts[b]);
            break;
          case SortColumn::kNone: break;
        }
        r = r < 0 ? -1 : (r > 0 ? 1 : 0);
      }
      if (r != 0) return descending ? -r : r;
    }
    int r = Sign3(ids[a], ids[b]);
    return descending ? -r : r;
  }
};

// Sorts positions by 64-bit keys, least significant byte first, skipping
// the bytes every key shares.
struct KeyedPos {
  std::uint64_t key;
  std::uint32_t pos;
};

void RadixSort(std::vector<KeyedPos>& Items) {
  const std::size_t n = Items.size();
  if (n < 2) return;
  std::vector<std::array<std::uint32_t, 256>> counts(8);
  for (auto& c : counts) c.fill(0);
  for (const KeyedPos& e : Items)
    for (int b = 0; b < 8; ++b) ++counts[static_cast<std::size_t>(b)][(e.key >> (8 * b)) & 0xFF];
  std::vector<KeyedPos> spare(n);
  for (int b = 0; b < 8; ++b) {
    std::array<std::uint32_t, 256>& c = counts[static_cast<std::size_t>(b)];
    if (c[(Items[0].key >> (8 * b)) & 0xFF] == n) continue;
    std::uint32_t sum = 0;
    for (std::uint32_t& k : c) {
      const std::uint32_t here = k;
      k = sum;
      sum += here;
    }
    for (const KeyedPos& e : Items) spare[c[(e.key >> (8 * b)) & 0xFF]++] = e;
    Items.swap(spare);
  }
}

// One stored integer field whose values span less than 2^32: value and ID
// packed into one key, so the order (ties by creation, no value first,
// descending reversing all) comes from a radix sort.
bool RadixSortByOneInteger(const SortPlan& Plan, std::vector<std::uint32_t>& Order) {
  const SortColumn& c = Plan.columns[0];
  const std::size_t n = Order.size();
  std::int64_t lo = INT64_MAX, hi = INT64_MIN;
  for (std::size_t i = 0; i < n; ++i)
    if (c.has[i]) {
      lo = std::min(lo, c.ints[i]);
      hi = std::max(hi, c.ints[i]);
    }
  if (lo <= hi && static_cast<std::uint64_t>(hi) - static_cast<std::uint64_t>(lo) > UINT32_MAX) return false;
  std::vector<KeyedPos> with, without;
  for (std::size_t i = 0; i < n; ++i) {
    const std::uint64_t id = static_cast<std::uint32_t>(Plan.ids[i]) ^ 0x80000000u;
    std::uint64_t key = c.has[i] ? ((static_cast<std::uint64_t>(c.ints[i]) - static_cast<std::uint64_t>(lo)) << 32) | id : id;
    if (Plan.descending) key = ~key;
    (c.has[i] ? with : without).push_back(KeyedPos{key, static_cast<std::uint32_t>(i)});
  }
  RadixSort(with);
  RadixSort(without);
  const std::vector<KeyedPos>& first = Plan.descending ? with : without;
  const std::vector<KeyedPos>& second = Plan.descending ? without : with;
  std::size_t k = 0;
  for (const KeyedPos& e : first) Order[k++] = e.pos;
  for (const KeyedPos& e : second) Order[k++] = e.pos;
  return true;
}

// The commonest sort, one stored integer field: the keys are sorted with
// their ties and positions packed beside them, so each comparison reads one
// small entry instead of three columns. Same order as SortPlan::Compare.
void SortByOneInteger(const SortPlan& Plan, std::vector<std::uint32_t>& Order) {
  if (RadixSortByOneInteger(Plan, Order)) return;
  struct Entry {
    std::int64_t value;
    std::int32_t id;
    std::uint8_t has;
    std::uint32_t pos;
  };
  const SortColumn& c = Plan.columns[0];
  const std::size_t n = Order.size();
  std::vector<Entry> e(n);
  for (std::size_t i = 0; i < n; ++i)
    e[i] = Entry{c.has[i] ? c.ints[i] : 0, Plan.ids[i], c.has[i], static_cast<std::uint32_t>(i)};
  auto less = [](const Entry& a, const Entry& b) {
    if (a.has != b.has) return a.has < b.has;
    if (a.value != b.value) return a.value < b.value;
    return a.id < b.id;
  };
  if (Plan.descending) std::sort(e.begin(), e.end(), [&less](const Entry& a, const Entry& b) { return less(b, a); });
  else std::sort(e.begin(), e.end(), less);
  for (std::size_t i = 0; i < n; ++i) Order[i] = e[i].pos;
}

// Set while one sort runs; records keep their pre-sort Index until it ends.
thread_local const SortPlan* activePlan = nullptr;

}  // namespace

int TExtMemoryData::CompareFieldValues(const void* Data1, const void* Data2, TFieldType DataType, bool CaseInsensitive) {
  const auto* a = static_cast<const std::uint8_t*>(Data1);
  const auto* b = static_cast<const std::uint8_t*>(Data2);
  switch (DataType) {
    case ftString: case ftFixedChar: case ftWideString: {
      // Raw values carry their terminating zero.
      const int bytes = INT32_MAX / 4;
      String x = SlotText(a, DataType, bytes), y = SlotText(b, DataType, bytes);
      int c = CaseInsensitive ? rtl::AnsiCompareText(x, y) : rtl::AnsiCompareStr(x, y);
      return c < 0 ? -1 : (c > 0 ? 1 : 0);
    }
    case ftGuid: {
      int c = rtl::CompareText(SlotText(a, DataType, 39), SlotText(b, DataType, 39));
      return c < 0 ? -1 : (c > 0 ? 1 : 0);
    }
    case ftSmallint: return Sign3(Load<std::int16_t>(a), Load<std::int16_t>(b));
    case ftInteger: case ftDate: case ftTime: case ftAutoInc: return Sign3(Load<std::int32_t>(a), Load<std::int32_t>(b));
    case ftWord: return Sign3(Load<std::uint16_t>(a), Load<std::uint16_t>(b));
    case ftBoolean: return Sign3(Load<std::int16_t>(a) != 0, Load<std::int16_t>(b) != 0);
    case ftFloat: case ftCurrency: case ftDateTime: return Sign3(Load<double>(a), Load<double>(b));
    case ftBCD: case ftFMTBcd: {
      int c = BcdCompare(Load<TBcd>(a), Load<TBcd>(b));
      return c < 0 ? -1 : (c > 0 ? 1 : 0);
    }
    case ftLargeint: return Sign3(Load<std::int64_t>(a), Load<std::int64_t>(b));
    default: return 0;
  }
}

int TExtMemoryData::CompareRecords(const TExtMemoryRecord& R1, const TExtMemoryRecord& R2) {
  if (activePlan) return activePlan->Compare(static_cast<std::size_t>(R1.Index()), static_cast<std::size_t>(R2.Index()));
  // Outside a sort: data fields only (calculated values are not at hand).
  for (TField* f : indexList_) {
    if (f->FieldKind() != fkData) continue;
    int ofs = offsets_[static_cast<std::size_t>(f->FieldNo() - 1)];
    const std::uint8_t* s1 = R1.Data() + ofs;
    const std::uint8_t* s2 = R2.Data() + ofs;
    int c = (!s1[0] || !s2[0]) ? (s1[0] ? 1 : (s2[0] ? -1 : 0))
                               : CompareFieldValues(s1 + 1, s2 + 1, f->DataType(), caseInsensitiveSort_);
    if (c != 0) return descendingSort_ ? -c : c;
  }
  int c = Sign3(R1.ID(), R2.ID());
  return descendingSort_ ? -c : c;
}

void TExtMemoryData::SortStoredRecords() {
  if (!Active() || order_.Size() == 0) return;
  TBookmark here = GetBookmark();
  const std::size_t n = static_cast<std::size_t>(order_.Size());
  std::vector<std::uint32_t> nos(n);
  order_.Walk(0, [&nos](int pos, std::uint32_t no) {
    nos[static_cast<std::size_t>(pos)] = no;
    return true;
  });
  SortPlan plan;
  plan.caseInsensitive = caseInsensitiveSort_;
  plan.descending = descendingSort_;
  plan.ids.resize(n);
  for (std::size_t i = 0; i < n; ++i) plan.ids[i] = IdOf(nos[i]);
  bool anyCalc = false;
  for (TField* f : indexList_) anyCalc = anyCalc || f->FieldKind() == fkCalculated || f->FieldKind() == fkLookup;
  // Calculated values are computed once per record, into areas exactly as
  // large as the calculated part of a buffer.
  std::vector<std::vector<std::uint8_t>> calcAreas;
  if (anyCalc) {
    TRecordBuffer spare = SpareBuffer();
    calcAreas.resize(n);
    TDataSetState old = SetTempState(dsCalcFields);
    try {
      for (std::size_t i = 0; i < n; ++i) {
        FillBufferFromRecord(nos[i], spare);
        calcAreas[i].assign(spare + recordSize_, spare + recordSize_ + CalcFieldsSize());
      }
    } catch (...) {
      RestoreState(old);
      throw;
    }
    RestoreState(old);
  }
  for (TField* f : indexList_) {
    SortColumn c;
    TFieldType t = f->DataType();
    c.kind = KindOf(t);
    bool calculated = f->FieldKind() == fkCalculated || f->FieldKind() == fkLookup;
    int ofs = calculated ? f->Offset() : offsets_[static_cast<std::size_t>(f->FieldNo() - 1)];
    int bytes = calculated ? f->DataSize() : (t == ftGuid ? 39 : TableValueBytes(t, f->Size()));
    c.has.resize(n);
    switch (c.kind) {
      case SortColumn::kInt: c.ints.resize(n); break;
      case SortColumn::kFloat: c.floats.resize(n); break;
      case SortColumn::kBcd: c.bcds.resize(n); break;
      case SortColumn::kText:
        // Case-insensitive orders never look at the unfolded texts.
        if (!caseInsensitiveSort_) c.texts.resize(n);
        c.folded.resize(n);
        c.prefix.resize(n);
        break;
      case SortColumn::kGuid: c.folded.resize(n); c.prefix.resize(n); break;
      case SortColumn::kNone: break;
    }
    for (std::size_t i = 0; i < n; ++i) {
      const std::uint8_t* slot = calculated ? calcAreas[i].data() + ofs : DataOf(nos[i]) + ofs;
      c.has[i] = slot[0] ? 1 : 0;
      if (!slot[0]) continue;
      const std::uint8_t* v = slot + 1;
      switch (c.kind) {
        case SortColumn::kInt: c.ints[i] = IntOf(v, t); break;
        case SortColumn::kFloat: c.floats[i] = Load<double>(v); break;
        case SortColumn::kBcd: c.bcds[i] = Load<TBcd>(v); break;
        case SortColumn::kText:
          c.folded[i] = SlotText(v, t, std::max(bytes, 0));
          if (!caseInsensitiveSort_) c.texts[i] = c.folded[i];
          for (char16_t& ch : c.folded[i]) ch = rtl::LowCaseChar(ch);
          c.prefix[i] = PrefixOf(c.folded[i]);
          break;
        case SortColumn::kGuid:
          c.folded[i] = rtl::UpperCase(SlotText(v, t, 39));
          c.prefix[i] = PrefixOf(c.folded[i]);
          break;
        case SortColumn::kNone: break;
      }
    }
    c.calculated = calculated;
    plan.columns.push_back(std::move(c));
  }
  std::vector<std::uint32_t> order(n);
  for (std::size_t i = 0; i < n; ++i) order[i] = static_cast<std::uint32_t>(i);
  activePlan = &plan;
  try {
    if (plan.columns.size() == 1 && plan.columns[0].kind == SortColumn::kInt && !plan.columns[0].calculated)
      SortByOneInteger(plan, order);
    else
      std::sort(order.begin(), order.end(), [&plan](std::uint32_t a, std::uint32_t b) { return plan.Compare(a, b) < 0; });
  } catch (...) {
    activePlan = nullptr;
    throw;
  }
  activePlan = nullptr;
  std::vector<std::uint32_t> sorted(n);
  for (std::size_t i = 0; i < n; ++i) sorted[i] = nos[order[i]];
  order_.Assign(sorted);
  RelayoutRecords();
  InvalidateFilterView();
  RebuildBuffers();
  if (!Active()) return;
  if (BookmarkValid(here)) {
    GotoBookmarkRecord(here.data());
    Resync(0);
  } else {
    First();
  }
}

// ---------------------------------------------------------------- blobs

const AnsiString& TExtMemoryData::BlobSlotText(TField* Field, TRecordBuffer Buffer) const {
  int def = Field->FieldNo() - 1;
  return ExtrasOf(Buffer).Blobs.at(static_cast<std::size_t>(blobIndex_.at(static_cast<std::size_t>(def))));
}

void TExtMemoryData::StoreBlobSlotText(TField* Field, TRecordBuffer Buffer, const AnsiString& Text) {
  if (State() == dsFilter) DatabaseError(u"Dataset not in edit or insert mode");
  if (Buffer != ActiveBuffer()) return;
  int def = Field->FieldNo() - 1;
  ExtrasOf(Buffer).Blobs.at(static_cast<std::size_t>(blobIndex_.at(static_cast<std::size_t>(def)))) = Text;
}

void TExtMemoryData::RestoreBlobSlot(TField* Field) {
  TRecordBuffer b = ActiveBuffer();
  if (!b || Field->FieldNo() <= 0 || blobIndex_.at(static_cast<std::size_t>(Field->FieldNo() - 1)) < 0) return;
  const std::size_t blob = static_cast<std::size_t>(blobIndex_[static_cast<std::size_t>(Field->FieldNo() - 1)]);
  AnsiString& slot = ExtrasOf(b).Blobs.at(blob);
  TExtMemoryRecord r = RecordAtIndex(recordPos_);
  if (State() == dsEdit && r) slot = r.Extras().Blobs.at(blob);
  else slot.clear();
}

std::unique_ptr<rtl::TStream> TExtMemoryData::CreateBlobStream(TField* Field, TBlobStreamMode Mode) {
  if (!Field->IsBlob() || Field->FieldNo() <= 0 ||
      blobIndex_.at(static_cast<std::size_t>(Field->FieldNo() - 1)) < 0)
    DatabaseErrorFmt(u"Field '%s' is not a blob field", Field->DisplayName());
  return std::make_unique<TExtMemBlobStream>(Field, Mode);
}

TExtMemBlobStream::TExtMemBlobStream(TField* Field, TBlobStreamMode Mode)
    : field_(Field), dataSet_(static_cast<TExtMemoryData*>(Field->DataSet())), mode_(Mode) {
  TRecordBuffer b;
  if (!dataSet_->ActiveRecordBuffer(b)) return;
  if (Mode != bmRead) {
    if (!(field_->Modified() && b == dataSet_->ActiveBuffer())) {
      if (field_->ReadOnly()) DatabaseErrorFmt(u"Field '%s' cannot be modified", field_->DisplayName());
      if (!IsEditMode(dataSet_->State())) DatabaseError(u"Dataset not in edit or insert mode");
    }
    cached_ = field_->Modified();
  }
  // Reading works on whatever buffer the state reads (a filter or lookup
  // tests its own record there, not the cursor's).
  buffer_ = b;
  opened_ = true;
  if (mode_ == bmWrite) Truncate();
}

TExtMemBlobStream::~TExtMemBlobStream() {
  if (!modified_) return;
  try {
    field_->SetModified(true);
    dataSet_->DataEvent(deFieldChange, reinterpret_cast<std::intptr_t>(field_));
  } catch (...) {
    dataSet_->PassStorageError(std::current_exception());
  }
}

const AnsiString* TExtMemBlobStream::StoredBlobText() const {
  if (buffer_) return &dataSet_->BlobSlotText(field_, buffer_);
  const int n = dataSet_->order_.Size();
  if (n == 0) return nullptr;
  int pos = std::clamp(dataSet_->recordPos_, 0, n - 1);
  int def = field_->FieldNo() - 1;
  return &dataSet_->RecordAtIndex(pos).Extras().Blobs.at(
      static_cast<std::size_t>(dataSet_->blobIndex_.at(static_cast<std::size_t>(def))));
}

std::int64_t TExtMemBlobStream::BlobTextLength() const {
  if (!opened_) return 0;
  const AnsiString* s = StoredBlobText();
  return s ? static_cast<std::int64_t>(s->size()) : 0;
}

std::int64_t TExtMemBlobStream::Read(void* Buffer, std::int64_t Count) {
  if (!opened_ || Count <= 0) return 0;
  const AnsiString* s = StoredBlobText();
  if (!s) return 0;
  std::int64_t size = static_cast<std::int64_t>(s->size());
  if (position_ >= size) return 0;
  Count = std::min(Count, size - position_);
  std::memcpy(Buffer, s->data() + position_, static_cast<std::size_t>(Count));
  position_ += Count;
  return Count;
}

std::int64_t TExtMemBlobStream::Write(const void* Buffer, std::int64_t Count) {
  if (!opened_ || !buffer_ || mode_ == bmRead || Count <= 0) return 0;
  AnsiString text = dataSet_->BlobSlotText(field_, buffer_);
  if (static_cast<std::int64_t>(text.size()) < position_ + Count) text.resize(static_cast<std::size_t>(position_ + Count));
  std::memcpy(text.data() + position_, Buffer, static_cast<std::size_t>(Count));
  dataSet_->StoreBlobSlotText(field_, buffer_, text);
  position_ += Count;
  modified_ = true;
  return Count;
}

std::int64_t TExtMemBlobStream::Seek(std::int64_t Offset, rtl::TSeekOrigin Origin) {
  std::int64_t target = Offset;
  if (Origin == rtl::TSeekOrigin::soCurrent) target = position_ + Offset;
  else if (Origin == rtl::TSeekOrigin::soEnd) target = BlobTextLength() + Offset;
  if (target < 0) throw rtl::EStreamError(u"Invalid blob position");
  position_ = target;
  return position_;
}

void TExtMemBlobStream::SetSize(std::int64_t NewSize) {
  if (!opened_ || !buffer_ || mode_ == bmRead) return;
  if (NewSize < 0) throw rtl::EStreamError(u"Invalid blob size");
  AnsiString text = dataSet_->BlobSlotText(field_, buffer_);
  text.resize(static_cast<std::size_t>(NewSize));
  dataSet_->StoreBlobSlotText(field_, buffer_, text);
  modified_ = true;
}

void TExtMemBlobStream::Truncate() {
  if (!opened_ || !buffer_ || mode_ == bmRead) return;
  dataSet_->StoreBlobSlotText(field_, buffer_, AnsiString());
  modified_ = true;
}

}  // namespace ext
