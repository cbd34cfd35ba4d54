// TDataSet: the cursor, its states and the window of record buffers around
// the active record that data links (grids, edits) look through. Storage is
// left to descendants through the protected hooks.
//
// Buffer window: FBuffers holds BufferCount buffers plus one spare after the
// last (filter and lookup work happens there). The first RecordCount buffers
// hold consecutive records; ActiveRecord indexes the current one. Scrolling
// rotates buffers and tells the links how far the window moved, so a grid
// repaints only what changed.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/classes/classes.h"
#include "platform/data/db_types.h"
#include "platform/data/fields.h"
#include "platform/runtime/streams.h"

namespace db {

class TDataSource;
class TDataLink;

using TDataSetNotifyEvent = std::function<void(TDataSet*)>;
using TDataSetErrorEvent = std::function<void(TDataSet*, EDatabaseError&, TDataAction&)>;
using TFilterRecordEvent = std::function<void(TDataSet*, bool&)>;

class TDataSet : public ui::TComponent {
 public:
  explicit TDataSet(ui::TComponent* AOwner);
  ~TDataSet() override;

  // Opening and closing.
  bool Active() const { return state_ != dsInactive; }
  void SetActive(bool Value);
  void Open() { SetActive(true); }
  void Close() { SetActive(false); }
  TDataSetState State() const { return state_; }

  // Navigation.
  void First();
  void Last();
  void Next() { MoveBy(1); }
  void Prior() { MoveBy(-1); }
  // Moves up to Distance records; answers how far it went (negative backwards).
  int MoveBy(int Distance);
  bool Eof() const { return eof_; }
  bool Bof() const { return bof_; }
  bool IsEmpty() const { return Active() && recordCount_ == 0 && state_ != dsInsert; }
  virtual int RecNo() const { return -1; }
  virtual void SetRecNo(int) {}
  virtual int RecordCount() const { return -1; }
  virtual bool IsSequenced() const { return false; }
  enum TResyncModeItem { rmExact = 1, rmCenter = 2 };
  void Resync(unsigned Mode);
  void UpdateCursorPos();
  void CursorPosChanged() { currentRecord_ = -1; }
  void Refresh();

  // Editing.
  void Edit();
  void Insert();
  void Append();
  void Post();
  void Cancel();
  void Delete();
  void CheckBrowseMode();
  void InsertRecord(const std::vector<Variant>& Values);
  void AppendRecord(const std::vector<Variant>& Values);
  void ClearFields();
  void UpdateRecord();
  bool Modified() const { return modified_; }
  void SetModified(bool v) { modified_ = v; }
  virtual bool CanModify() const { return !readOnly_; }
  void SetReadOnly(bool v) { readOnly_ = v; }

  // Bookmarks: bytes, valid while their record exists.
  TBookmark GetBookmark() const;
  void GotoBookmark(const TBookmark& Bookmark);
  void FreeBookmark(TBookmark& Bookmark) { Bookmark.clear(); }
  virtual bool BookmarkValid(const TBookmark&) const { return false; }
  // 0 = same record; nullptr-like (empty) bookmarks sort first.
  virtual int CompareBookmarks(const TBookmark& A, const TBookmark& B) const;
  int BookmarkSize() const { return bookmarkSize_; }

  // Fields.
  TFieldDefs& FieldDefs() { return fieldDefs_; }
  const TFieldDefs& FieldDefs() const { return fieldDefs_; }
  // Definitions with their nested ones, in order.
  std::vector<TFieldDef*> FieldDefList() const;
  int FieldCount() const { return static_cast<int>(fields_.size()); }
  TField* Fields(int Index) const { return fields_.at(static_cast<std::size_t>(Index)); }
  TField* FindField(const String& Name) const;
  TField* FieldByName(const String& Name) const;  // raises "Field '%s' not found"
  // Fields named in a ";"-separated list (raises for an unknown name).
  void GetFieldList(std::vector<TField*>& List, const String& FieldNames) const;
  void GetFieldNames(std::vector<String>& List) const;
  bool DefaultFields() const { return defaultFields_; }
  Variant FieldValues(const String& FieldNames) const;
  int CalcFieldsSize() const { return calcFieldsSize_; }
  bool AutoCalcFields() const { return autoCalcFields_; }
  void SetAutoCalcFields(bool v) { autoCalcFields_ = v; }

  // Filter (descendants react in the setters).
  const String& Filter() const { return filterText_; }
  virtual void SetFilter(const String& Value) { filterText_ = Value; }
  bool Filtered() const { return filtered_; }
  virtual void SetFiltered(bool Value) { filtered_ = Value; }
  const TFilterRecordEvent& OnFilterRecord() const { return onFilterRecord_; }
  virtual void SetOnFilterRecord(TFilterRecordEvent Value) { onFilterRecord_ = std::move(Value); }

  virtual bool Locate(const String&, const Variant&, TLocateOptions) { return false; }
  virtual Variant Lookup(const String&, const Variant&, const String&) { return Variant::Null(); }

  // Controls: nested; changes made while disabled arrive as one event.
  void DisableControls();
  void EnableControls();
  bool ControlsDisabled() const { return disableCount_ != 0; }

  // Blobs.
  virtual std::unique_ptr<rtl::TStream> CreateBlobStream(TField* Field, TBlobStreamMode Mode);

  // Field data in the native layout of the field; nullptr Buffer = only ask
  // whether there is a value / write Null.
  virtual bool GetFieldData(TField* Field, void* Buffer) = 0;
  virtual void PutFieldData(TField* Field, const void* Buffer) = 0;

  // Announces an event to the data sources and their links.
  void DataEvent(TDataEvent Event, std::intptr_t Info);
  // Enters a state for a moment without telling the links; RestoreState
  // brings the previous one back.
  TDataSetState SetTempState(TDataSetState Value);
  void RestoreState(TDataSetState Value);

  // Events.
  TDataSetNotifyEvent BeforeOpen, AfterOpen, BeforeClose, AfterClose, BeforeInsert, AfterInsert,
      BeforeEdit, AfterEdit, BeforePost, AfterPost, BeforeCancel, AfterCancel, BeforeDelete,
      AfterDelete, BeforeScroll, AfterScroll, OnCalcFields, OnNewRecord;
  TDataSetErrorEvent OnPostError, OnEditError, OnDeleteError;

  // Buffer window, read by data links.
  int BufferCount() const { return bufferCount_; }
  int WindowRecordCount() const { return recordCount_; }
  int ActiveRecord() const { return activeRecord_; }
  TRecordBuffer ActiveBuffer() const;
  TRecordBuffer CalcBuffer() const { return calcBuffer_; }

 protected:
  // Storage hooks.
  virtual void OpenStorage(bool InfoQuery);  // last step: PrepareOpen
  virtual void PrepareOpen();                 // default fields and binding
  virtual void LoadAfterOpen();               // after the state is browse: AfterOpen, AfterScroll
  virtual void CloseStorage() = 0;
  virtual bool IsStorageOpen() const = 0;
  virtual void PrepareFieldDefs() {}
  virtual TRecordBuffer NewRecordBuffer() = 0;
  virtual void DisposeRecordBuffer(TRecordBuffer& Buffer) = 0;
  virtual void ClearRecordBuffer(TRecordBuffer Buffer) = 0;
  virtual void StartNewRecord(TRecordBuffer Buffer);
  virtual void BlankCalcArea(TRecordBuffer) {}
  virtual int RecordSize() const { return 0; }
  virtual TGetResult FetchRecord(TRecordBuffer Buffer, TGetMode Mode, bool Report) = 0;
  virtual void ReadBufferBookmark(TRecordBuffer Buffer, void* Data) const = 0;
  virtual void WriteBufferBookmark(TRecordBuffer Buffer, const void* Data) = 0;
  virtual TBookmarkFlag ReadBufferBookmarkFlag(TRecordBuffer Buffer) const = 0;
  virtual void WriteBufferBookmarkFlag(TRecordBuffer Buffer, TBookmarkFlag Flag) = 0;
  virtual void GotoBookmarkRecord(const std::uint8_t* Bookmark) = 0;
  virtual void GotoBufferRecord(TRecordBuffer Buffer) = 0;
  virtual void MoveBeforeFirst() = 0;
  virtual void MoveAfterLast() = 0;
  // Refresh is about to re-read the window: storage drops what it cached.
  virtual void RefreshStorage() {}
  virtual void AddRecordFromBuffer(TRecordBuffer Buffer, bool Append) = 0;
  virtual void PostRecordBuffer();  // base: required-field check
  virtual void DeleteCurrentRecord() = 0;
  virtual void EditCurrentRecord() {}
  virtual void CancelRecordBuffer() {}
  // Default: rethrow. Storage may route errors to the application handler.
  virtual void PassStorageError(std::exception_ptr Error) { std::rethrow_exception(Error); }
  virtual void RestoreBlobSlot(TField*) {}
  virtual bool InIndexList(TField*) const { return false; }
  virtual bool GetCurrentRecord(TRecordBuffer) { return false; }

  // Services for descendants.
  void SetBookmarkSize(int Size) { bookmarkSize_ = Size; }
  void CheckActive() const;
  void CheckInactive() const;
  void CheckRequiredFields();
  // Computes calculated and lookup fields into Buffer's calculated area.
  void GetCalcFields(TRecordBuffer Buffer);
  // Creates fields for the definitions (when there are none) and binds them.
  void CreateFields();
  void BindFields(bool Binding);
  void DestroyDefaultFields();
  // Empties the window (the cursor is then unknown).
  void ClearBuffers();
  // Shrinks the window to no buffers and grows it again (after reordering).
  void RebuildBuffers();
  TRecordBuffer SpareBuffer() const { return buffers_.empty() ? nullptr : buffers_.back(); }
  TRecordBuffer Buffer(int Index) const { return buffers_.at(static_cast<std::size_t>(Index)); }
  void SetState(TDataSetState Value);
  void SetCalcBuffer(TRecordBuffer b) { calcBuffer_ = b; }
  void DoAfterScroll() { if (AfterScroll) AfterScroll(this); }
  void DoBeforeScroll() { if (BeforeScroll) BeforeScroll(this); }

 private:
  friend class TField;
  friend class TFieldDefs;
  friend class TDataSource;
  friend class TDataLink;

  void DoOpen();
  void FillFromEnd(bool FromFirst);
  void DoClose();
  void AddField(TField* Field);
  void RemoveField(TField* Field);
  void MoveField(TField* Field, int Index);
  void AddDataSource(TDataSource* s);
  void RemoveDataSource(TDataSource* s);
  void UpdateBufferCount();
  void SetBufferCount(int Value);
  void SetActiveRecord(int Value);  // data links draw row by row
  void SetCurrentRecord(int Index);
  void MoveBuffer(int CurIndex, int NewIndex);
  void ActivateBuffers();
  bool GetNextRecord();
  bool GetPriorRecord();
  int GetNextRecords();
  int GetPriorRecords();
  void InitRecord(TRecordBuffer Buffer);
  void BeginInsertAppend();
  void EndInsertAppend();
  void SetFields(const std::vector<Variant>& Values);
  void FinishAddRecord(bool Append);
  void CheckOperation(const std::function<void()>& Operation, const TDataSetErrorEvent& ErrorEvent);
  void CalculateFields(TRecordBuffer Buffer);
  void FreeBuffers();

  TDataSetState state_ = dsInactive;
  TDataSetState disableState_ = dsInactive;
  TDataEvent enableEvent_ = deDataSetChange;
  int disableCount_ = 0;
  bool modified_ = false, readOnly_ = false, bof_ = true, eof_ = true;
  bool defaultFields_ = false, autoCalcFields_ = true, filtered_ = false;
  bool opening_ = false, closing_ = false;
  String filterText_;
  TFilterRecordEvent onFilterRecord_;
  TFieldDefs fieldDefs_;
  std::vector<TField*> fields_;
  std::vector<TDataSource*> dataSources_;
  std::vector<TRecordBuffer> buffers_;  // bufferCount_ + 1 when open
  int bufferCount_ = 0, recordCount_ = 0, activeRecord_ = 0, currentRecord_ = -1;
  int bookmarkSize_ = 0, calcFieldsSize_ = 0;
  bool hasCalcFields_ = false;
  TRecordBuffer calcBuffer_ = nullptr;
};

}  // namespace db
