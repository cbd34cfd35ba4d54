// What a dataset that keeps its records in memory may offer the data grid
// beyond its cursor, and what the grid offers it back. A grid that finds the
// first on its dataset shows one row per record view instead of a window of
// buffered records, and hears of inserted, changed, deleted and moved
// records through the second. Neither side owns the other; a memory table
// closes before it goes, so that its grids let go of it first.
#pragma once

namespace grid {

enum TMemTableRecordEventKindEx {
  mtrInsertedEx = 0,
  mtrChangedEx = 1,
  mtrDeletedEx = 2,
  mtrMovedEx = 3,
  mtrAllChangedEx = 4
};

// Offered by the grid. RecNum and OldRecNum are record views counted from 0,
// -1 where none applies.
class IMemTableRecordEventsEx {
 public:
  virtual ~IMemTableRecordEventsEx() = default;
  virtual void HandleMemTableRecordEvent(int RecNum, TMemTableRecordEventKindEx Kind, int OldRecNum) = 0;
};

// Offered by the dataset.
class IMemTableEx {
 public:
  virtual ~IMemTableEx() = default;
  virtual int RecordViewCount() = 0;
  // The current record's view, -1 without one.
  virtual int CurrentRecordView() = 0;
  // Asks for Count more records to be made available.
  virtual void FetchRecords(int Count) = 0;
  // Whether the record views form a tree.
  virtual bool RecordViewsAreTree() = 0;
  virtual void SendRecordEventsTo(IMemTableRecordEventsEx* Receiver) = 0;
  virtual void StopRecordEventsTo(IMemTableRecordEventsEx* Receiver) = 0;
};

}  // namespace grid
