// What a dataset that keeps its records in memory may offer the data grid
// beyond its cursor, and what the grid offers it back. A grid that finds the
// first on its dataset shows one row per record view instead of a window of
// buffered records, and hears of inserted, changed, deleted and moved
// records through the second. Neither side owns the other; a memory table
// closes before it goes, so that its grids let go of it first.
#pragma once

#include <memory>

#include "platform/runtime/rtl_string.h"

namespace grid {

class TBMListEx;
class IMemTableDataFieldValueListEx;

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

  // Makes the fields read the record of a view without moving the dataset
  // and without telling its links; every enter is followed by one leave,
  // which gives back what was readable before. Reads nest. A table that
  // cannot read apart from its cursor keeps the defaults: the fields then
  // show the current record.
  virtual void InstantReadEnter(int) {}
  virtual void InstantReadLeave() {}
  // The record view being read instantly, else the current one (-1 without).
  virtual int InstantReadView() { return CurrentRecordView(); }

  // Tree questions about the record being read (else the current record).
  // Levels count from 1 for a top-level record.
  virtual int TreeNodeLevel() { return 0; }
  virtual bool TreeNodeHasChildren() { return false; }
  virtual bool TreeNodeExpanded() { return false; }
  // Whether the record's ancestor at ParentLevel (the record itself at its
  // own level) has a following sibling.
  virtual bool ParentHasNextSibling(int) { return false; }
  // Levels of the visible records before and after it; negative when none.
  virtual int PrevVisibleNodeLevel() { return -1; }
  virtual int NextVisibleNodeLevel() { return -1; }
  // Expands or collapses the record at a view; answers the record number
  // that becomes current, 0 or less when the current record stays.
  virtual int SetTreeNodeExpanded(int, bool) { return 0; }
  virtual void SetCurrentRecordView(int) {}
  // Moves the bookmarked records before record number ToRecNo (1-based), at
  // TreeLevel in a tree (-1 outside one); CheckOnly only answers whether it
  // could. A table that cannot move records refuses.
  virtual bool MoveRecords(TBMListEx*, int, int, bool) { return false; }
  // The distinct values of a field, for the filter drop-down of its column;
  // none from a table that does not collect them.
  virtual std::shared_ptr<IMemTableDataFieldValueListEx> GetFieldValueList(const rtl::String&) {
    return nullptr;
  }
};

}  // namespace grid
