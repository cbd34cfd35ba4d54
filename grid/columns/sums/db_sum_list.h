// Running sums, averages and counts over all records of a dataset, kept
// current by the difference each edited, inserted, posted or deleted record
// makes, instead of a rescan after each change. Values are 64-bit fixed
// point with four decimals, like the runtime's currency.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "grid/editor_support/bm_list.h"
#include "platform/classes/classes.h"
#include "platform/data/data_source.h"
#include "platform/data/dataset.h"

namespace grid {

class TDBSumListProducer;

enum TGroupOperation { goSum, goAvg, goCount };

class TDBSum : public ui::TCollectionItem {
  JQ_UI_CLASSINFO
 public:
  explicit TDBSum(ui::TCollection* Collection) : TCollectionItem(Collection) {}

  const String& FieldName() const { return FFieldName; }
  void SetFieldName(const String& Value);
  TGroupOperation GroupOperation() const { return FGroupOperation; }
  void SetGroupOperation(TGroupOperation Value);
  void Assign(const ui::TPersistent* Source) override;

  // The result in units of 1/10,000.
  std::int64_t SumValue = 0;
  // False once an addition overflowed 64 bits; the result then means nothing.
  bool SumValid = true;
  rtl::Variant SumVariant() const;

 private:
  friend class TDBSumListProducer;
  String FFieldName;
  TGroupOperation FGroupOperation = goSum;
  std::int64_t Value = 0;
  int FNotNullRecordCount = 0;
  std::int64_t FSumValueAsSum = 0;
  rtl::Variant VarValue;
};

class TDBSumCollection : public ui::TCollection {
 public:
  explicit TDBSumCollection(TDBSumListProducer* Owner);
  TDBSum* Add();
  TDBSum* SumAt(int Index) const { return static_cast<TDBSum*>(Items(Index)); }
  // The first item of that operation whose field name matches regardless of letter case.
  TDBSum* GetSumByOpAndFName(TGroupOperation AGroupOperation, const String& AFieldName) const;

 protected:
  void Update(ui::TCollectionItem* Item) override;

 private:
  TDBSumListProducer* FOwner;
  int FMaking = 0;
};

// Bookmarks of all records in the dataset's order.
class TSLBookmarkListEx : public TBMListEx {
 public:
  explicit TSLBookmarkListEx(TDBSumListProducer* Producer) : FSumListProducer(Producer) {}
  db::TDataSet* DataSet() const override;
  int CompareBookmarks(const TBytes& A, const TBytes& B) const { return CompareItems(A, B); }

 private:
  TDBSumListProducer* FSumListProducer;
};

class TDBSumListProducer : public ui::TPersistent {
  JQ_UI_CLASSINFO
 public:
  explicit TDBSumListProducer(ui::TComponent* Owner);
  ~TDBSumListProducer() override;

  bool Active() const { return FActive; }
  void SetActive(bool Value);
  db::TDataSet* DataSet() const { return FDataSet; }
  void SetDataSet(db::TDataSet* Value);
  bool ExternalRecalc() const { return FExternalRecalc; }
  void SetExternalRecalc(bool Value);
  bool VirtualRecords() const { return FVirtualRecords; }
  void SetVirtualRecords(bool Value);
  TDBSumCollection* SumCollection() const { return FSumCollection.get(); }
  void SetSumCollection(const TDBSumCollection* Value) { FSumCollection->Assign(Value); }
  ui::TComponent* Owner() const { return FOwner; }
  bool EventsHooked() const { return FEventsOverloaded; }
  // A full scan is moving through the dataset.
  bool Recalculating() const { return Changing; }

  ui::TNotifyEvent OnAfterRecalcAll;
  ui::TNotifyEvent OnRecalcAll;
  ui::TNotifyEvent SumListChanged;

  void Activate(bool ARecalcAll);
  void Deactivate(bool AClearSumValues);
  void ActivateAfterLoad();
  void Assign(const ui::TPersistent* Source) override;
  ui::TPersistent* GetOwner() const override { return FOwner; }
  // The item list changed: a full scan.
  void SumItemsChanged();

  // --- own virtual operations, in slot order
  virtual int RecNo();
  virtual int IndexOfBookmark(const db::TBookmark& Bookmark);
  virtual void SetRecNo(int Value);
  virtual void HandleAfterCancel(db::TDataSet* DataSet);
  virtual void HandleAfterClose(db::TDataSet* DataSet);
  virtual void HandleAfterEdit(db::TDataSet* DataSet);
  virtual void HandleAfterInsert(db::TDataSet* DataSet);
  virtual void HandleAfterOpen(db::TDataSet* DataSet);
  virtual void HandleAfterPost(db::TDataSet* DataSet);
  virtual void HandleAfterScroll(db::TDataSet* DataSet);
  virtual void HandleBeforeDelete(db::TDataSet* DataSet);
  virtual void RestoreDataSetEvents();
  virtual bool IsSequenced();
  virtual int RecordCount();
  virtual void ClearSumValues();
  virtual void RecalcAll();
  virtual void SetDataSetEvents();

 protected:
  bool Idle() const;
  bool VirtualRecordsInUse() const;
  void FireChanged();
  bool FDesignTimeWork = false;
  bool FEventsOverloaded = false;

 private:
  void HandleMasterAfterScroll(db::TDataSet* DataSet);
  void InsertLateBookmark(const db::TBookmark& Bookmark);
  int StartPosition() const;

  bool FVirtualRecords = false;
  bool Changing = false;
  bool FActive = true;
  db::TDataSet* FDataSet = nullptr;
  bool FExternalRecalc = false;
  String Filter;
  bool Filtered = false;
  db::TDataSet* FMasterDataset = nullptr;
  int FOldRecNo = -1;
  ui::TComponent* FOwner;
  std::unique_ptr<TDBSumCollection> FSumCollection;
  bool FTryedInsert = false;
  std::unique_ptr<TSLBookmarkListEx> FVirtualRecList;
  db::TDataSetNotifyEvent OldAfterCancel, OldAfterClose, OldAfterEdit, OldAfterInsert, OldAfterOpen, OldAfterPost,
      OldAfterScroll, OldBeforeDelete, OldMasterAfterScroll;
};

}  // namespace grid
