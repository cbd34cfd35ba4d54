#include "grid/columns/sums/db_sum_list.h"

#include <cmath>

#include "grid/columns/sums/sums_internal.h"
#include "platform/classes/typinfo.h"

namespace grid {

using namespace ui;
using namespace sums_detail;

// --- one aggregate ------------------------------------------------------------------

const TClassInfo& TDBSum::StaticClassInfo() {
  static const TClassInfo info =
      TClassBuilder<TDBSum>("TDBSum", &TCollectionItem::StaticClassInfo())
          .Str("FieldName", &TDBSum::FieldName, &TDBSum::SetFieldName)
          .Enum("GroupOperation", "TGroupOperation", {"goSum", "goAvg", "goCount"}, &TDBSum::GroupOperation,
                &TDBSum::SetGroupOperation, goSum)
          .Unit("DBSumLst")
          .Build();
  return info;
}

void TDBSum::SetFieldName(const String& Value) {
  FFieldName = Value;
  Changed(false);
}

void TDBSum::SetGroupOperation(TGroupOperation Value) {
  FGroupOperation = Value;
  Changed(false);
}

void TDBSum::Assign(const TPersistent* Source) {
  auto* src = dynamic_cast<const TDBSum*>(Source);
  if (!src) {
    TCollectionItem::Assign(Source);
    return;
  }
  FFieldName = src->FFieldName;
  FGroupOperation = src->FGroupOperation;
  Changed(false);
}

rtl::Variant TDBSum::SumVariant() const {
  if (!SumValid) return rtl::Variant::Null();
  return rtl::Variant(rtl::Currency{SumValue});
}

TDBSumCollection::TDBSumCollection(TDBSumListProducer* Owner)
    : TCollection(
          [this](TCollection* C) -> TCollectionItem* {
            // An item announces itself before it is whole: no scan until it is.
            ++FMaking;
            TDBSum* sum = nullptr;
            try {
              sum = new TDBSum(C);
            } catch (...) {
              --FMaking;
              throw;
            }
            --FMaking;
            return sum;
          },
          Owner),
      FOwner(Owner) {}

TDBSum* TDBSumCollection::Add() {
  auto* sum = static_cast<TDBSum*>(TCollection::Add());
  Changed();
  return sum;
}

TDBSum* TDBSumCollection::GetSumByOpAndFName(TGroupOperation AGroupOperation, const String& AFieldName) const {
  for (int i = 0; i < Count(); ++i) {
    TDBSum* sum = SumAt(i);
    if (sum->GroupOperation() == AGroupOperation && rtl::AnsiSameText(sum->FieldName(), AFieldName)) return sum;
  }
  return nullptr;
}

void TDBSumCollection::Update(TCollectionItem*) {
  if (FMaking == 0) FOwner->SumItemsChanged();
}

db::TDataSet* TSLBookmarkListEx::DataSet() const { return FSumListProducer->DataSet(); }

// --- the producer ---------------------------------------------------------------------

const TClassInfo& TDBSumListProducer::StaticClassInfo() {
  static const TClassInfo info =
      TClassBuilder<TDBSumListProducer>("TDBSumListProducer", &TPersistent::StaticClassInfo()).Unit("DBSumLst").Build();
  return info;
}

TDBSumListProducer::TDBSumListProducer(TComponent* Owner) : FOwner(Owner) {
  FSumCollection = std::make_unique<TDBSumCollection>(this);
  FVirtualRecList = std::make_unique<TSLBookmarkListEx>(this);
}

TDBSumListProducer::~TDBSumListProducer() {
  Deactivate(false);
  FSumCollection.reset();
  FVirtualRecList.reset();
}

void TDBSumListProducer::Assign(const TPersistent* Source) {
  auto* src = dynamic_cast<const TDBSumListProducer*>(Source);
  if (!src) {
    TPersistent::Assign(Source);
    return;
  }
  SetActive(src->Active());
  SetDataSet(src->DataSet());
  SetExternalRecalc(src->ExternalRecalc());
  SetSumCollection(src->SumCollection());
  SumListChanged = src->SumListChanged;
  SetVirtualRecords(src->VirtualRecords());
  OnAfterRecalcAll = src->OnAfterRecalcAll;
  OnRecalcAll = src->OnRecalcAll;
}

bool TDBSumListProducer::Idle() const {
  if (!FOwner) return false;
  TComponentState state = FOwner->ComponentState();
  return state.Contains(csLoading) || (state.Contains(csDesigning) && !FDesignTimeWork);
}

bool TDBSumListProducer::VirtualRecordsInUse() const {
  return FDataSet && !FDataSet->IsSequenced() && FVirtualRecords && FActive;
}

void TDBSumListProducer::FireChanged() {
  if (SumListChanged) SumListChanged(this);
}

void TDBSumListProducer::Activate(bool ARecalcAll) {
  FActive = true;
  if (Idle()) return;
  SetDataSetEvents();
  if (ARecalcAll) RecalcAll();
}

void TDBSumListProducer::Deactivate(bool AClearSumValues) {
  FActive = false;
  if (Idle()) return;
  RestoreDataSetEvents();
  if (AClearSumValues) ClearSumValues();
}

void TDBSumListProducer::SetActive(bool Value) {
  if (Value == FActive) return;
  if (Value)
    Activate(true);
  else
    Deactivate(true);
}

void TDBSumListProducer::SetDataSet(db::TDataSet* Value) {
  if (Value && Value == FDataSet && Value->IsDestroying()) {
    RestoreDataSetEvents();
    FDataSet = nullptr;
    return;
  }
  if (Value == FDataSet) return;
  if (Idle()) {
    FDataSet = Value;
    return;
  }
  bool wasActive = FActive;
  Deactivate(true);
  FDataSet = Value;
  if (wasActive) Activate(true);
}

void TDBSumListProducer::ActivateAfterLoad() {
  if (FDataSet && FActive) Activate(true);
}

void TDBSumListProducer::SetExternalRecalc(bool Value) {
  if (Value == FExternalRecalc) return;
  FExternalRecalc = Value;
  RecalcAll();
}

void TDBSumListProducer::SetVirtualRecords(bool Value) {
  if (Value == FVirtualRecords) return;
  FVirtualRecords = Value;
  if (Value) RecalcAll();
}

void TDBSumListProducer::SumItemsChanged() { RecalcAll(); }

void TDBSumListProducer::ClearSumValues() {
  for (int i = 0; i < FSumCollection->Count(); ++i) {
    TDBSum* sum = FSumCollection->SumAt(i);
    sum->SumValue = 0;
    sum->SumValid = true;
    sum->Value = 0;
    sum->FSumValueAsSum = 0;
    sum->FNotNullRecordCount = 0;
  }
  FireChanged();
}

// --- record numbers ----------------------------------------------------------------------

int TDBSumListProducer::StartPosition() const {
  return (FOldRecNo < 0 || FOldRecNo >= FVirtualRecList->Count()) ? 0 : FOldRecNo;
}

int TDBSumListProducer::IndexOfBookmark(const db::TBookmark& Bookmark) {
  int count = FVirtualRecList->Count();
  if (count == 0 || Bookmark.empty()) return -1;
  int i = StartPosition();
  int cmp = FDataSet->CompareBookmarks(FVirtualRecList->ItemAt(i), Bookmark);
  int step = cmp > 0 ? -1 : 1;
  while (cmp != 0) {
    i += step;
    if (i < 0 || i >= count) return -1;
    cmp = FDataSet->CompareBookmarks(FVirtualRecList->ItemAt(i), Bookmark);
  }
  FOldRecNo = i;
  return i;
}

void TDBSumListProducer::InsertLateBookmark(const db::TBookmark& Bookmark) {
  int count = FVirtualRecList->Count();
  int i = StartPosition();
  if (count > 0) {
    if (FDataSet->CompareBookmarks(FVirtualRecList->ItemAt(i), Bookmark) < 0) {
      while (i < count && FDataSet->CompareBookmarks(FVirtualRecList->ItemAt(i), Bookmark) < 0) ++i;
    } else {
      while (i > 0 && FDataSet->CompareBookmarks(FVirtualRecList->ItemAt(i - 1), Bookmark) > 0) --i;
    }
  }
  FVirtualRecList->InsertItem(i, Bookmark);
  FOldRecNo = i;
}

int TDBSumListProducer::RecNo() {
  if (VirtualRecordsInUse()) return 1 + IndexOfBookmark(FDataSet->GetBookmark());
  return FDataSet ? FDataSet->RecNo() : -1;
}

void TDBSumListProducer::SetRecNo(int Value) {
  if (!FDataSet) return;
  if (VirtualRecordsInUse()) {
    if (Value >= 1 && Value <= FVirtualRecList->Count()) FDataSet->GotoBookmark(FVirtualRecList->ItemAt(Value - 1));
  } else {
    FDataSet->SetRecNo(Value);
  }
}

int TDBSumListProducer::RecordCount() {
  if (!FDataSet) return 0;
  if (VirtualRecordsInUse()) return FVirtualRecList->Count();
  return FDataSet->RecordCount();
}

bool TDBSumListProducer::IsSequenced() {
  if (FDataSet && FDataSet->IsSequenced()) return true;
  if (!FDataSet || !FVirtualRecords || !FActive) return false;
  return FVirtualRecList->Count() > 0 || (FDataSet->Bof() && FDataSet->Eof());
}

// --- hooking ------------------------------------------------------------------------------

void TDBSumListProducer::SetDataSetEvents() {
  if (!FDataSet || FEventsOverloaded) return;
  FMasterDataset = nullptr;
  if (IsPublishedProp(FDataSet, "MasterSource") && PropType(FDataSet, "MasterSource") == tkClass)
    if (auto* source = dynamic_cast<db::TDataSource*>(GetObjectProp(FDataSet, "MasterSource")))
      FMasterDataset = source->DataSet();
  OldAfterEdit = FDataSet->AfterEdit;
  OldAfterInsert = FDataSet->AfterInsert;
  OldAfterOpen = FDataSet->AfterOpen;
  OldAfterPost = FDataSet->AfterPost;
  OldAfterScroll = FDataSet->AfterScroll;
  OldBeforeDelete = FDataSet->BeforeDelete;
  OldAfterClose = FDataSet->AfterClose;
  OldAfterCancel = FDataSet->AfterCancel;
  FDataSet->AfterEdit = [this](db::TDataSet* D) { HandleAfterEdit(D); };
  FDataSet->AfterInsert = [this](db::TDataSet* D) { HandleAfterInsert(D); };
  FDataSet->AfterOpen = [this](db::TDataSet* D) { HandleAfterOpen(D); };
  FDataSet->AfterPost = [this](db::TDataSet* D) { HandleAfterPost(D); };
  FDataSet->AfterScroll = [this](db::TDataSet* D) { HandleAfterScroll(D); };
  FDataSet->BeforeDelete = [this](db::TDataSet* D) { HandleBeforeDelete(D); };
  FDataSet->AfterClose = [this](db::TDataSet* D) { HandleAfterClose(D); };
  FDataSet->AfterCancel = [this](db::TDataSet* D) { HandleAfterCancel(D); };
  if (FMasterDataset) {
    OldMasterAfterScroll = FMasterDataset->AfterScroll;
    FMasterDataset->AfterScroll = [this](db::TDataSet* D) { HandleMasterAfterScroll(D); };
  }
  FEventsOverloaded = true;
}

void TDBSumListProducer::RestoreDataSetEvents() {
  if (!FEventsOverloaded) return;
  if (FDataSet) {
    FDataSet->AfterEdit = std::move(OldAfterEdit);
    FDataSet->AfterInsert = std::move(OldAfterInsert);
    FDataSet->AfterOpen = std::move(OldAfterOpen);
    FDataSet->AfterPost = std::move(OldAfterPost);
    FDataSet->AfterScroll = std::move(OldAfterScroll);
    FDataSet->BeforeDelete = std::move(OldBeforeDelete);
    FDataSet->AfterClose = std::move(OldAfterClose);
    FDataSet->AfterCancel = std::move(OldAfterCancel);
  }
  if (FMasterDataset) FMasterDataset->AfterScroll = std::move(OldMasterAfterScroll);
  OldAfterEdit = OldAfterInsert = OldAfterOpen = OldAfterPost = OldAfterScroll = OldBeforeDelete = OldAfterClose =
      OldAfterCancel = OldMasterAfterScroll = nullptr;
  FMasterDataset = nullptr;
  FEventsOverloaded = false;
  FVirtualRecList->Clear();
}

// --- handlers --------------------------------------------------------------------------------

namespace {

// The items a handler works on: counts, and aggregates of a named field.
bool Works(const TDBSum* Sum) { return Sum->GroupOperation() == goCount || !Sum->FieldName().empty(); }

}  // namespace

void TDBSumListProducer::HandleAfterEdit(db::TDataSet* DataSet) {
  if (FActive) {
    for (int i = 0; i < FSumCollection->Count(); ++i) {
      TDBSum* sum = FSumCollection->SumAt(i);
      if (!Works(sum)) continue;
      db::TField* f = sum->FieldName().empty() ? nullptr : FDataSet->FieldByName(sum->FieldName());
      if (sum->GroupOperation() == goCount) {
        sum->Value = (f && f->IsNull()) ? 0 : 1;
      } else {
        sum->Value = f->IsNull() ? 0 : FieldUnits(f, sum->SumValid);
        sum->VarValue = f->Value();
      }
    }
  }
  if (OldAfterEdit) OldAfterEdit(DataSet);
}

void TDBSumListProducer::HandleAfterInsert(db::TDataSet* DataSet) {
  if (FActive) {
    for (int i = 0; i < FSumCollection->Count(); ++i) {
      TDBSum* sum = FSumCollection->SumAt(i);
      if (!Works(sum)) continue;
      // A new record counts nothing yet, whatever values it was given on
      // insert: posting adds all it holds.
      sum->Value = 0;
      sum->VarValue = rtl::Variant::Null();
    }
    if (VirtualRecordsInUse()) {
      db::TBookmark bookmark = FDataSet->GetBookmark();
      if (bookmark.empty())
        FTryedInsert = true;
      else
        FVirtualRecList->AppendItem(bookmark);
    }
  }
  if (OldAfterInsert) OldAfterInsert(DataSet);
}

void TDBSumListProducer::HandleAfterPost(db::TDataSet* DataSet) {
  if (FActive) {
    for (int i = 0; i < FSumCollection->Count(); ++i) {
      TDBSum* sum = FSumCollection->SumAt(i);
      if (!Works(sum)) continue;
      db::TField* f = sum->FieldName().empty() ? nullptr : FDataSet->FieldByName(sum->FieldName());
      switch (sum->GroupOperation()) {
        case goSum: {
          std::int64_t now = f->IsNull() ? 0 : FieldUnits(f, sum->SumValid);
          AddUnits(sum->SumValue, now, sum->SumValid);
          AddUnits(sum->SumValue, -sum->Value, sum->SumValid);
          break;
        }
        case goAvg:
          if (f->IsNull()) {
            AddUnits(sum->FSumValueAsSum, -sum->Value, sum->SumValid);
            if (!sum->VarValue.IsNull()) --sum->FNotNullRecordCount;
          } else {
            AddUnits(sum->FSumValueAsSum, FieldUnits(f, sum->SumValid), sum->SumValid);
            AddUnits(sum->FSumValueAsSum, -sum->Value, sum->SumValid);
            if (sum->VarValue.IsNull()) ++sum->FNotNullRecordCount;
          }
          sum->SumValue = AverageUnits(sum->FSumValueAsSum, sum->FNotNullRecordCount);
          break;
        case goCount:
          sum->SumValue += ((f && f->IsNull()) ? 0 : 1) * kUnit - sum->Value * kUnit;
          break;
      }
    }
    if (VirtualRecordsInUse() && FTryedInsert) {
      InsertLateBookmark(FDataSet->GetBookmark());
      FTryedInsert = false;
    }
    FireChanged();
  }
  if (OldAfterPost) OldAfterPost(DataSet);
}

void TDBSumListProducer::HandleBeforeDelete(db::TDataSet* DataSet) {
  if (OldBeforeDelete) OldBeforeDelete(DataSet);
  if (!FActive) return;
  for (int i = 0; i < FSumCollection->Count(); ++i) {
    TDBSum* sum = FSumCollection->SumAt(i);
    if (!Works(sum)) continue;
    db::TField* f = sum->FieldName().empty() ? nullptr : FDataSet->FieldByName(sum->FieldName());
    switch (sum->GroupOperation()) {
      case goSum:
        if (!f->IsNull()) AddUnits(sum->SumValue, -FieldUnits(f, sum->SumValid), sum->SumValid);
        break;
      case goAvg:
        if (!f->IsNull()) {
          AddUnits(sum->FSumValueAsSum, -FieldUnits(f, sum->SumValid), sum->SumValid);
          --sum->FNotNullRecordCount;
        }
        sum->SumValue = AverageUnits(sum->FSumValueAsSum, sum->FNotNullRecordCount);
        break;
      case goCount:
        if (!(f && f->IsNull())) sum->SumValue -= kUnit;
        break;
    }
  }
  if (VirtualRecordsInUse()) {
    int index = IndexOfBookmark(FDataSet->GetBookmark());
    if (index >= 0) FVirtualRecList->DeleteItem(index);
  }
  FireChanged();
}

void TDBSumListProducer::HandleAfterScroll(db::TDataSet* DataSet) {
  if (OldAfterScroll) OldAfterScroll(DataSet);
  if (!FActive || Changing || !FDataSet) return;
  bool filterChanged = FDataSet->Filtered() && FDataSet->Filter() != Filter;
  if (filterChanged || FDataSet->Filtered() != Filtered) RecalcAll();
}

void TDBSumListProducer::HandleMasterAfterScroll(db::TDataSet* DataSet) {
  if (OldMasterAfterScroll) OldMasterAfterScroll(DataSet);
  if (FActive && !Changing) RecalcAll();
}

void TDBSumListProducer::HandleAfterOpen(db::TDataSet* DataSet) {
  if (FActive) RecalcAll();
  if (OldAfterOpen) OldAfterOpen(DataSet);
}

void TDBSumListProducer::HandleAfterClose(db::TDataSet* DataSet) {
  if (FActive) {
    ClearSumValues();
    Changing = false;
  }
  FVirtualRecList->Clear();
  if (OldAfterClose) OldAfterClose(DataSet);
}

void TDBSumListProducer::HandleAfterCancel(db::TDataSet* DataSet) {
  if (OldAfterCancel) OldAfterCancel(DataSet);
  FTryedInsert = false;
}

// --- the full scan ----------------------------------------------------------------------------

void TDBSumListProducer::RecalcAll() {
  if (Idle() || !FActive || !FDataSet || !FDataSet->Active() || !FEventsOverloaded) return;
  ClearSumValues();
  FOldRecNo = -1;
  if (OnRecalcAll) OnRecalcAll(this);
  auto finish = [this] {
    Filtered = FDataSet->Filtered();
    Filter = FDataSet->Filter();
    Changing = false;
    FireChanged();
  };
  if (FExternalRecalc) {
    finish();
    return;
  }
  bool virtualList = !FDataSet->IsSequenced() && FVirtualRecords;
  bool scan = virtualList;
  for (int i = 0; i < FSumCollection->Count() && !scan; ++i) scan = Works(FSumCollection->SumAt(i));
  try {
    if (scan) {
      std::vector<db::TField*> fields(static_cast<std::size_t>(FSumCollection->Count()), nullptr);
      for (int i = 0; i < FSumCollection->Count(); ++i) {
        TDBSum* sum = FSumCollection->SumAt(i);
        if (!sum->FieldName().empty()) fields[static_cast<std::size_t>(i)] = FDataSet->FieldByName(sum->FieldName());
      }
      db::TBookmark saved = FDataSet->GetBookmark();
      FDataSet->DisableControls();
      // The controls come back and the cursor returns also when a value
      // does not convert.
      try {
        FVirtualRecList->Clear();
        Changing = true;
        FDataSet->First();
        while (!FDataSet->Eof()) {
          for (int i = 0; i < FSumCollection->Count(); ++i) {
            TDBSum* sum = FSumCollection->SumAt(i);
            db::TField* f = fields[static_cast<std::size_t>(i)];
            if (!Works(sum)) continue;
            switch (sum->GroupOperation()) {
              case goSum:
                if (!f->IsNull()) AddUnits(sum->SumValue, FieldUnits(f, sum->SumValid), sum->SumValid);
                break;
              case goAvg:
                if (!f->IsNull()) {
                  AddUnits(sum->FSumValueAsSum, FieldUnits(f, sum->SumValid), sum->SumValid);
                  ++sum->FNotNullRecordCount;
                }
                break;
              case goCount:
                if (!(f && f->IsNull())) sum->SumValue += kUnit;
                break;
            }
          }
          if (virtualList) FVirtualRecList->AppendItem(FDataSet->GetBookmark());
          FDataSet->Next();
        }
        if (!saved.empty())
          FDataSet->GotoBookmark(saved);
        else
          FDataSet->First();
      } catch (...) {
        if (!saved.empty()) {
          try {
            FDataSet->GotoBookmark(saved);
          } catch (...) {
          }
        }
        FDataSet->EnableControls();
        throw;
      }
      for (int i = 0; i < FSumCollection->Count(); ++i) {
        TDBSum* sum = FSumCollection->SumAt(i);
        if (sum->GroupOperation() == goAvg)
          sum->SumValue = AverageUnits(sum->FSumValueAsSum, sum->FNotNullRecordCount);
      }
      FDataSet->EnableControls();
    }
    if (OnAfterRecalcAll) OnAfterRecalcAll(this);
  } catch (...) {
    finish();
    throw;
  }
  finish();
}

}  // namespace grid
