#include "platform/data/data_source.h"

#include <algorithm>

#include "platform/data/dataset.h"
#include "platform/classes/scoped_change.h"

namespace db {

TDataSource::TDataSource(ui::TComponent* AOwner) : ui::TComponent(AOwner) {}

TDataSource::~TDataSource() {
  for (TDataLink* l : std::vector<TDataLink*>(links_)) l->SetDataSource(nullptr);
  SetDataSet(nullptr);
}

void TDataSource::SetDataSet(TDataSet* Value) {
  if (Value == dataSet_) return;
  if (dataSet_) {
    dataSet_->RemoveFreeNotification(this);
    dataSet_->RemoveDataSource(this);
  }
  dataSet_ = Value;
  if (dataSet_) {
    dataSet_->FreeNotification(this);
    dataSet_->AddDataSource(this);
  }
  NotifyState();
}

void TDataSource::Notification(ui::TComponent* AComponent, ui::TOperation Operation) {
  ui::TComponent::Notification(AComponent, Operation);
  if (Operation == ui::opRemove && AComponent == dataSet_) {
    dataSet_->RemoveDataSource(this);
    dataSet_ = nullptr;
    NotifyState();
  }
}

void TDataSource::SetEnabled(bool Value) {
  enabled_ = Value;
  NotifyState();
}

void TDataSource::Edit() {
  if (autoEdit_ && state_ == dsBrowse && dataSet_) dataSet_->Edit();
}

bool TDataSource::IsLinkedTo(const TDataSet* DataSet) const { return DataSet && dataSet_ == DataSet; }

void TDataSource::NotifyState() {
  SetState(enabled_ && dataSet_ ? dataSet_->State() : dsInactive);
}

void TDataSource::SetState(TDataSetState Value) {
  if (state_ == Value) return;
  state_ = Value;
  NotifyDataLinks(deUpdateState, 0);
  if (OnStateChange) OnStateChange(this);
}

void TDataSource::NotifyDataLinks(TDataEvent Event, std::intptr_t Info) {
  // A link may detach itself while reacting; walk a copy.
  for (TDataLink* l : std::vector<TDataLink*>(links_))
    if (std::find(links_.begin(), links_.end(), l) != links_.end()) l->DataEvent(Event, Info);
}

void TDataSource::DataEvent(TDataEvent Event, std::intptr_t Info) {
  if (Event == deUpdateState) {
    NotifyState();
    return;
  }
  if (state_ == dsInactive) return;
  NotifyDataLinks(Event, Info);
  switch (Event) {
    case deFieldChange:
      if (OnDataChange) OnDataChange(this, reinterpret_cast<TField*>(Info));
      break;
    case deRecordChange:
    case deDataSetChange:
    case deDataSetScroll:
    case deLayoutChange:
      if (OnDataChange) OnDataChange(this, nullptr);
      break;
    case deUpdateRecord:
      if (OnUpdateData) OnUpdateData(this);
      break;
    default: break;
  }
}

void TDataSource::AddDataLink(TDataLink* Link) {
  links_.push_back(Link);
  Link->dataSource_ = this;
  if (dataSet_) dataSet_->UpdateBufferCount();
  Link->UpdateState();
}

void TDataSource::RemoveDataLink(TDataLink* Link) {
  links_.erase(std::remove(links_.begin(), links_.end(), Link), links_.end());
  Link->dataSource_ = nullptr;
  Link->UpdateState();
  if (dataSet_) dataSet_->UpdateBufferCount();
}

// ---------------------------------------------------------------- TDataLink

TDataLink::~TDataLink() {
  if (dataSource_) dataSource_->RemoveDataLink(this);
}

void TDataLink::SetDataSource(TDataSource* Value) {
  if (Value == dataSource_) return;
  if (dataSourceFixed_) DatabaseError(u"The data source of this link is fixed");
  if (dataSource_) dataSource_->RemoveDataLink(this);
  if (Value) Value->AddDataLink(this);
}

TDataSet* TDataLink::DataSet() const { return dataSource_ ? dataSource_->DataSet() : nullptr; }

void TDataLink::UpdateState() {
  SetActive(dataSource_ && dataSource_->State() != dsInactive);
  SetEditing(dataSource_ && IsEditMode(dataSource_->State()) && !readOnly_);
}

void TDataLink::SetActive(bool Value) {
  if (active_ == Value) return;
  active_ = Value;
  if (Value) UpdateRange(); else firstRecord_ = 0;
  ActiveChanged();
}

void TDataLink::SetEditing(bool Value) {
  if (editing_ == Value) return;
  editing_ = Value;
  EditingChanged();
}

void TDataLink::SetReadOnly(bool Value) {
  if (readOnly_ == Value) return;
  readOnly_ = Value;
  UpdateState();
}

void TDataLink::UpdateRange() {
  TDataSet* ds = DataSet();
  if (!ds) return;
  int min = std::max(0, ds->activeRecord_ - bufferCount_ + 1);
  int max = std::max(0, ds->bufferCount_ - bufferCount_);
  max = std::min(max, ds->activeRecord_);
  firstRecord_ = std::clamp(firstRecord_, min, std::max(min, max));
}

int TDataLink::ActiveRecord() const {
  if (!active_ || !DataSet()) return 0;
  if (dataSource_->State() == dsSetKey) return 0;
  return DataSet()->activeRecord_ - firstRecord_;
}

void TDataLink::SetActiveRecord(int Value) {
  if (!active_ || dataSource_->State() == dsSetKey) return;
  DataSet()->SetActiveRecord(Value + firstRecord_);
}

void TDataLink::SetBufferCount(int Value) {
  Value = std::max(Value, 1);
  if (bufferCount_ == Value) return;
  bufferCount_ = Value;
  if (active_ && DataSet()) {
    DataSet()->UpdateBufferCount();
    UpdateRange();
  }
}

int TDataLink::RecordCount() const {
  if (!active_ || !DataSet()) return 0;
  if (dataSource_->State() == dsSetKey) return 1;
  return std::clamp(DataSet()->recordCount_ - firstRecord_, 0, bufferCount_);
}

bool TDataLink::Edit() {
  if (!readOnly_ && dataSource_) dataSource_->Edit();
  return editing_;
}

void TDataLink::UpdateRecord() {
  ui::TScopedValue updating(updating_, true);
  UpdateData();
}

int TDataLink::MoveBy(int Distance) { return DataSet() ? DataSet()->MoveBy(Distance) : 0; }

void TDataLink::DataEvent(TDataEvent Event, std::intptr_t Info) {
  if (Event == deUpdateState) {
    UpdateState();
    return;
  }
  if (!active_) return;
  switch (Event) {
    case deFieldChange:
    case deRecordChange:
      if (!updating_) RecordChanged(reinterpret_cast<TField*>(Info));
      break;
    case deDataSetChange:
    case deDataSetScroll:
    case deLayoutChange: {
      // Follow the dataset's buffers by the distance they moved, then keep
      // the active record inside this link's window.
      int count = 0;
      if (dataSource_->State() != dsSetKey) {
        int active = DataSet()->activeRecord_;
        int first = firstRecord_ + static_cast<int>(Info);
        int last = first + bufferCount_ - 1;
        if (active > last) count = active - last;
        else if (active < first) count = active - first;
        firstRecord_ = first + count;
        if (firstRecord_ < 0) firstRecord_ = 0;
      }
      if (Event == deDataSetChange) DataSetChanged();
      else if (Event == deDataSetScroll) DataSetScrolled(count);
      else LayoutChanged();
      break;
    }
    case deUpdateRecord: UpdateRecord(); break;
    case deCheckBrowseMode: CheckBrowseMode(); break;
    case deFocusControl: FocusControl(reinterpret_cast<TField**>(Info)); break;
    default: break;
  }
}

}  // namespace db
