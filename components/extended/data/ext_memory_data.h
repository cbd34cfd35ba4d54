// TExtMemoryData: a dataset whose records live in memory only.
//
// Storage keeps every record in a slot under a stable 32-bit ID (the
// bookmark) and in the storage order (which sorting rearranges), held in
// blocks with running counts: bookmark -> position, RecNo, jumps, inserts
// and deletes cost a logarithm, not a pass over the later records. While a
// filter is active each entry of the order carries a pass flag, counted per
// block, so the next or prior visible record and the visible total are
// found just as fast, and a single insert, edit or delete sets one flag.
//
// Buffer layout: the data area (a flag byte and the value per field slot),
// the calculated area, the 4-byte ID, the bookmark flag, a pointer to the
// buffer's out-of-line values (blob bytes and variants, which must be
// copied as values, never as bytes), and the slot number the buffer was
// filled from.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

#include "platform/data/dataset.h"
#include "components/extended/data/ext_expr_parser.h"
#include "components/extended/data/ext_record_store.h"

namespace ext {

using rtl::AnsiString;
using rtl::String;
using rtl::Variant;

class TExtMemoryData;

// Change tracking against a source dataset.
enum TApplyMode { amNone, amAppend, amMerge };
enum TLoadMode { lmCopy, lmAppend };
enum TSaveLoadState { slsNone, slsLoading, slsSaving };
enum TRecordStatus { rsOriginal = 0, rsUpdated = 1, rsInserted = 2, rsDeleted = 3 };
using TApplyEvent = std::function<void(db::TDataSet* Dataset, int Rows)>;
using TApplyRecordEvent = std::function<void(db::TDataSet* Dataset, TRecordStatus RecStatus, bool FoundApply)>;

// True when, in the code page (CP_ACP: the system page), every byte below
// 0x80 is its own character and every other character is one UTF-16 unit
// of one byte sequence of its own: two 8-bit texts then have equal
// characters exactly when they have equal bytes, so a locate compares
// stored bytes without decoding them.
bool TextBytesMatchAsDecoded(std::uint32_t CodePage);

// Values that cannot live in the flat data area.
struct TExtMemoryExtras {
  std::vector<AnsiString> Blobs;     // one per blob field
  std::vector<Variant> Variants;     // one per variant field
  std::vector<Variant> CalcVariants; // one per calculated variant field
};

// A stored record, as its dataset hands it out. In storage a record is its
// ID and its data area side by side in a slot, nothing more: a million
// records must not carry a million pointers. This handle names the slot
// (the dataset and the record number) and asks the dataset for the rest;
// an empty handle stands for no record.
class TExtMemoryRecord {
 public:
  TExtMemoryRecord() = default;
  TExtMemoryRecord(TExtMemoryData* MemoryData, std::uint32_t Number) : memoryData_(MemoryData), number_(Number) {}
  explicit operator bool() const { return memoryData_ != nullptr; }

  TExtMemoryData* MemoryData() const { return memoryData_; }
  std::uint32_t Number() const { return number_; }
  std::int32_t ID() const;
  // Position in the storage order; -1 when not attached.
  int Index() const;
  void SetIndex(int Value);
  std::uint8_t* Data() const;
  // Records of tables without blobs or variants carry no extras at all.
  TExtMemoryExtras& Extras() const;

 private:
  TExtMemoryData* memoryData_ = nullptr;
  std::uint32_t number_ = 0;
};

class TExtMemoryData : public db::TDataSet {
 public:
  explicit TExtMemoryData(ui::TComponent* AOwner = nullptr);
  ~TExtMemoryData() override;

  // Errors raised inside storage work that cannot be thrown through the
  // framework (filter tests, blob stream destruction) go here when set.
  static std::function<void(std::exception_ptr)> ApplicationErrorHandler;

  int Capacity() const { return static_cast<int>(order_.Capacity()); }
  void SetCapacity(int Value);

  int RecordCount() const override;
  int RecNo() const override;
  void SetRecNo(int Value) override;
  bool IsSequenced() const override { return !FilterActive(); }
  void SetFiltered(bool Value) override;
  void SetFilter(const String& Value) override;
  void SetOnFilterRecord(db::TFilterRecordEvent Value) override;

  bool BookmarkValid(const db::TBookmark& Bookmark) const override;
  int CompareBookmarks(const db::TBookmark& A, const db::TBookmark& B) const override;
  std::unique_ptr<rtl::TStream> CreateBlobStream(db::TField* Field, db::TBlobStreamMode Mode) override;
  bool GetFieldData(db::TField* Field, void* Buffer) override;
  void PutFieldData(db::TField* Field, const void* Buffer) override;
  bool Locate(const String& KeyFields, const Variant& KeyValues, db::TLocateOptions Options) override;
  Variant Lookup(const String& KeyFields, const Variant& KeyValues, const String& ResultFields) override;

  void EmptyTable();
  // Names separated by ";"; empty = the key fields. Equal keys keep their
  // creation order (reversed when descending).
  void SortOnFields(const String& FieldNames = String(), bool CaseInsensitive = true, bool Descending = false);
  const String& KeyFieldNames() const { return keyFieldNames_; }
  void SetKeyFieldNames(const String& v) { keyFieldNames_ = v; }
  bool CaseInsensitiveSort() const { return caseInsensitiveSort_; }
  bool DescendingSort() const { return descendingSort_; }

  // Source dataset and change tracking.
  db::TDataSet* DataSet() const { return source_; }
  void SetDataSet(db::TDataSet* Value) { source_ = Value; }
  bool DatasetClosed() const { return datasetClosed_; }
  void SetDatasetClosed(bool v) { datasetClosed_ = v; }
  bool LoadStructure() const { return loadStructure_; }
  void SetLoadStructure(bool v) { loadStructure_ = v; }
  bool LoadRecords() const { return loadRecords_; }
  void SetLoadRecords(bool v) { loadRecords_ = v; }
  TApplyMode ApplyMode() const { return applyMode_; }
  void SetApplyMode(TApplyMode v) { applyMode_ = v; }
  bool ExactApply() const { return exactApply_; }
  void SetExactApply(bool v) { exactApply_ = v; }
  bool AutoIncAsInteger() const { return autoIncAsInteger_; }
  void SetAutoIncAsInteger(bool v) { autoIncAsInteger_ = v; }
  bool OneValueInArray() const { return oneValueInArray_; }
  void SetOneValueInArray(bool v) { oneValueInArray_ = v; }
  TApplyEvent BeforeApply, AfterApply;
  TApplyRecordEvent BeforeApplyRecord, AfterApplyRecord;
  TSaveLoadState SaveLoadState() const { return saveLoadState_; }
  int RowsOriginal() const { return rowsOriginal_; }
  int RowsChanged() const { return rowsChanged_; }
  int RowsAffected() const { return rowsAffected_; }

  void CopyStructure(db::TDataSet* Source, bool UseAutoIncAsInteger = false);
  // RecordCount <= 0: all records from the source's first; otherwise that
  // many from its current one. Returns the records copied.
  int LoadFromDataSet(db::TDataSet* Source, int RecordCount, TLoadMode Mode, bool DisableAllControls = true);
  int SaveToDataSet(db::TDataSet* Dest, int RecordCount, bool DisableAllControls = true);
  // Values of the named fields (default: the key fields) of the current record.
  Variant GetValues(const String& FldNames = String());
  int FindDeleted(const Variant& KeyValues) const;
  bool IsDeleted(int& Index);
  bool IsInserted() { return CurrentStatus() == rsInserted; }
  bool IsUpdated() { return CurrentStatus() == rsUpdated; }
  bool IsOriginal() { return CurrentStatus() == rsOriginal; }
  bool IsLoading() const { return saveLoadState_ == slsLoading; }
  bool IsSaving() const { return saveLoadState_ == slsSaving; }
  bool ApplyChanges();
  void CancelChanges();
  static constexpr const char16_t* StatusFieldName = u"C67F70Z90";

  // Number of records that pass the active filter (all when unfiltered).
  int FilteredRecordCount();

  // The stored record at a storage position, and by ID (empty when gone).
  // Handles hold until the next change or sort of the table.
  TExtMemoryRecord RecordAtIndex(int Index) const;
  TExtMemoryRecord RecordById(std::int32_t ID) const;
  // Moves a stored record to another storage position.
  void MoveRecord(const TExtMemoryRecord& Record, int NewIndex);

  // Sign of the comparison of two field values in their native layout.
  virtual int CompareFieldValues(const void* Data1, const void* Data2, db::TFieldType DataType, bool CaseInsensitive);
  // The buffer the current state reads and writes.
  virtual bool ActiveRecordBuffer(db::TRecordBuffer& Buffer) const;
  virtual bool FieldValueByName(const String& Name, Variant& Value);

 protected:
  virtual void WriteRecordData(db::TRecordBuffer Buffer, int Index);
  virtual void AssignAutoIncValues(db::TRecordBuffer Buffer);
  virtual int CompareRecords(const TExtMemoryRecord& Record1, const TExtMemoryRecord& Record2);

  void OpenStorage(bool InfoQuery) override;
  void PrepareOpen() override;
  void LoadAfterOpen() override;
  void CloseStorage() override;
  bool IsStorageOpen() const override { return active_; }
  void PrepareFieldDefs() override {}
  db::TRecordBuffer NewRecordBuffer() override;
  void DisposeRecordBuffer(db::TRecordBuffer& Buffer) override;
  void ClearRecordBuffer(db::TRecordBuffer Buffer) override;
  void StartNewRecord(db::TRecordBuffer Buffer) override;
  void BlankCalcArea(db::TRecordBuffer Buffer) override;
  int RecordSize() const override { return recordSize_; }
  db::TGetResult FetchRecord(db::TRecordBuffer Buffer, db::TGetMode Mode, bool Report) override;
  void ReadBufferBookmark(db::TRecordBuffer Buffer, void* Data) const override;
  void WriteBufferBookmark(db::TRecordBuffer Buffer, const void* Data) override;
  db::TBookmarkFlag ReadBufferBookmarkFlag(db::TRecordBuffer Buffer) const override;
  void WriteBufferBookmarkFlag(db::TRecordBuffer Buffer, db::TBookmarkFlag Flag) override;
  void GotoBookmarkRecord(const std::uint8_t* Bookmark) override;
  void GotoBufferRecord(db::TRecordBuffer Buffer) override;
  void MoveBeforeFirst() override;
  void RefreshStorage() override;
  void MoveAfterLast() override { recordPos_ = order_.Size(); }
  void AddRecordFromBuffer(db::TRecordBuffer Buffer, bool Append) override;
  void PostRecordBuffer() override;
  void DeleteCurrentRecord() override;
  void PassStorageError(std::exception_ptr Error) override;
  void RestoreBlobSlot(db::TField* Field) override;
  bool InIndexList(db::TField* Field) const override;
  bool GetCurrentRecord(db::TRecordBuffer Buffer) override;

 private:
  friend class TExtMemBlobStream;
  friend class TExtMemoryRecord;

  // Source dataset and change tracking.
  bool Tracking() const { return applyMode_ != amNone; }
  db::TField* StatusField() const;
  int CurrentStatus();
  int StoredStatus(const TExtMemoryRecord& Record) const;
  void SetBufferStatus(db::TRecordBuffer Buffer, TRecordStatus Status);
  void EnsureStatusFieldDef();
  void HideStatusFieldColumn();
  void PruneCopiedFieldDefs(bool UseAutoIncAsInteger);
  void CreateFieldsForDefs(bool UseAutoIncAsInteger);
  void ToggleFieldReadOnly(bool Writable);
  int LoadSourceRecords();
  void ResetToSource();
  int ApplyEachRecord();
  bool CopyFieldsToSource();
  bool WriteInSource(void (db::TDataSet::*open)());
  bool AppendInSource();
  bool UpdateInSource();
  bool DeleteInSource();
  Variant LocateKeys(const Variant& Keys) const;
  void FireBeforeApply(db::TDataSet* D, int Rows) { if (BeforeApply) BeforeApply(D, Rows); }
  void FireAfterApply(db::TDataSet* D, int Rows) { if (AfterApply) AfterApply(D, Rows); }
  void FireBeforeApplyRecord(db::TDataSet* D, TRecordStatus S, bool Found) { if (BeforeApplyRecord) BeforeApplyRecord(D, S, Found); }
  void FireAfterApplyRecord(db::TDataSet* D, TRecordStatus S, bool Found) { if (AfterApplyRecord) AfterApplyRecord(D, S, Found); }

  // The slot of a record number: its ID, then its data area.
  std::uint8_t* SlotOf(std::uint32_t No) const { return pool_.Slot(No); }
  std::uint8_t* DataOf(std::uint32_t No) const { return pool_.Slot(No) + kSlotHeader; }
  std::int32_t IdOf(std::uint32_t No) const;
  std::uint32_t NumberAt(int Pos) const { return order_.At(Pos); }
  TExtMemoryExtras* StoredExtras(std::uint32_t No) const;
  TExtMemoryExtras& StoredExtrasFor(std::uint32_t No);
  std::uint32_t NewStoredRecord();
  TExtMemoryRecord AppendNewRecord();
  void DestroyRecord(std::uint32_t No);
  void RelayoutRecords();
  TExtMemoryRecord InsertNewRecordAt(int Index);
  std::int32_t NextID();
  void BuildFieldOffsets();
  std::uint8_t* FieldSlotOf(db::TRecordBuffer Buffer, db::TField* Field) const;
  int FieldDataTotal() const;
  void ComputeBufferLayout(bool Recompute);
  void FreeAllRecords();
  void FillBufferFromRecord(std::uint32_t No, db::TRecordBuffer Buffer, bool Calc = true);
  void FillRecordFromBuffer(std::uint32_t No, db::TRecordBuffer Buffer);
  bool FilterActive() const;
  // A handler, or a filter text over calculated or lookup fields, may
  // answer differently without any record changing.
  bool FilterReadsOutside() const;
  void ForgetOutsideFilterAnswers();
  bool PassesFilter(int Pos);
  bool EvaluateFilter(std::uint32_t No);
  void InvalidateFilterView() { order_.DropFlags(); }
  // Makes the pass flags current.
  void EnsureFilterView();
  // Sets the pass flag of an inserted or edited record.
  void ViewUpdated(int Pos);
  void FilterChanged();
  TExtMemoryExtras& ExtrasOf(db::TRecordBuffer Buffer) const;
  const AnsiString& BlobSlotText(db::TField* Field, db::TRecordBuffer Buffer) const;
  void StoreBlobSlotText(db::TField* Field, db::TRecordBuffer Buffer, const AnsiString& Text);
  void RebuildFilterParser();
  bool LookupKeysEqual(const std::vector<db::TField*>& Fields, const Variant& KeyValues) const;
  void BuildSortFieldList(const String& Names);
  void DropSortFieldList() {
    indexList_.clear();
    SetSortedField(nullptr);
  }
  // Marks the storage order as following Field (or nothing); the block
  // keys of the field it followed before go.
  void SetSortedField(db::TField* Field);
  void SortStoredRecords();
  // Scans stored records (in view order when Filtered) from the first; the
  // spare buffer holds each record in the calculated-fields state.
  int ScanForMatch(const std::vector<db::TField*>& Fields, const Variant& KeyValues, db::TLocateOptions Options,
                   bool Lookup);
  // While the storage order follows the first sort field, the records whose
  // value can equal a key on that field sit side by side: a binary search
  // finds their range [From, To), and a scan of it finds what a scan of the
  // whole table would. False when the keys cannot be narrowed that way.
  bool SortedKeyRange(const std::vector<db::TField*>& Fields, const Variant& KeyValues, db::TLocateOptions Options,
                      bool Lookup, int& From, int& To);
  // Sign of the first sort field's value at A against B in ascending terms
  // (texts folded, no value lowest), or against a key.
  int CompareSortedKeyAt(int A, int B) const;
  // Keeps the storage order marked as following the sort field only while
  // the record at Pos sits between its neighbours.
  void CheckSortedAround(int Pos);
  Variant ResultValues(const String& ResultFields);

  static constexpr std::size_t kSlotHeader = 4;  // the record's ID
  TExtSlotPool pool_;
  TExtRecordOrder order_;
  // Record numbers by ID, plus one: IDs are handed out in sequence, so the
  // ID less idFirst_ indexes the table; gone records leave 0 until the
  // front is trimmed.
  std::vector<std::uint32_t> idTable_;
  std::int64_t idFirst_ = std::int64_t(INT32_MIN) + 1;
  std::size_t deadIds_ = 0;
  // Blob bytes and variants by record number; empty for tables without.
  std::vector<std::unique_ptr<TExtMemoryExtras>> extras_;
  int recordPos_ = -1;
  // numberOfs_: the slot number a buffer was last filled from (a hint).
  int recordSize_ = 0, bookmarkOfs_ = 0, extrasOfs_ = 0, numberOfs_ = 0, recBufSize_ = 0;
  std::vector<std::int32_t> offsets_;   // per definition: data-area offset of its slot, -1 without
  std::vector<int> blobIndex_;          // per definition: blob ordinal, -1 otherwise
  std::vector<int> variantIndex_;       // per definition: variant ordinal, -1 otherwise
  std::vector<db::TFieldType> defTypes_;
  int blobCount_ = 0, variantCount_ = 0, calcVariantCount_ = 0;
  std::unordered_map<int, int> calcVariantIndex_;  // calculated-area offset -> ordinal
  std::int32_t lastID_ = INT32_MIN;
  std::int32_t autoInc_ = 1;
  bool active_ = false;
  std::vector<db::TField*> indexList_;
  // The first sort field while the storage order follows it; nullptr else.
  db::TField* sortedField_ = nullptr;
  // That field's value in the first record of each order block, by block
  // id (the order says which are current), so a search over the blocks
  // reads one short array instead of a record far away per step. Only the
  // table of the field's kind is used; texts are folded, no value is empty.
  struct TBlockKeys {
    std::vector<std::uint8_t> has;
    std::vector<std::int64_t> ints;
    std::vector<double> floats;
    std::vector<String> texts;
  } blockKeys_;
  bool caseInsensitiveSort_ = false, descendingSort_ = false;
  String keyFieldNames_;
  std::unique_ptr<TExprParser> filterParser_;
  std::vector<std::pair<String, db::TField*>> filterFields_;  // names the filter asked for
  db::TRecordBuffer filterBuffer_ = nullptr;  // the record under test, when read in place

  db::TDataSet* source_ = nullptr;
  bool datasetClosed_ = false, loadStructure_ = false, loadRecords_ = false, exactApply_ = false;
  bool autoIncAsInteger_ = false, oneValueInArray_ = true;
  TApplyMode applyMode_ = amNone;
  TSaveLoadState saveLoadState_ = slsNone;
  int rowsOriginal_ = 0, rowsChanged_ = 0, rowsAffected_ = 0;
  std::vector<Variant> deletedValues_;     // key values of deleted records
  std::vector<bool> savedReadOnly_;        // fields' read-only flags during a load
  db::TField* autoIncField_ = nullptr;     // own and source auto-increment fields during a load
  db::TField* srcAutoIncField_ = nullptr;
  // "FIELD op integer" over a stored integer field, bound to the field's
  // slot once: records are tested without variants or the parse tree.
  struct TBoundComparison {
    enum { kUnbound, kNone, kBound } state = kUnbound;
    std::int32_t offset = 0;
    db::TFieldType type = db::ftUnknown;
    char16_t op = 0;
    std::int64_t constant = 0;
  } boundFilter_;
  void BindFilterComparison();
};

// A stream over one blob field of the active buffer or the stored record.
class TExtMemBlobStream : public rtl::TStream {
 public:
  TExtMemBlobStream(db::TField* Field, db::TBlobStreamMode Mode);
  ~TExtMemBlobStream() override;
  std::int64_t Read(void* Buffer, std::int64_t Count) override;
  std::int64_t Write(const void* Buffer, std::int64_t Count) override;
  std::int64_t Seek(std::int64_t Offset, rtl::TSeekOrigin Origin) override;
  void SetSize(std::int64_t Size) override;
  std::int64_t Size() override { return BlobTextLength(); }
  void Truncate();

 private:
  const AnsiString* StoredBlobText() const;
  std::int64_t BlobTextLength() const;

  db::TField* field_;
  TExtMemoryData* dataSet_;
  db::TRecordBuffer buffer_ = nullptr;
  db::TBlobStreamMode mode_;
  bool opened_ = false, modified_ = false, cached_ = false;
  std::int64_t position_ = 0;
};

}  // namespace ext
