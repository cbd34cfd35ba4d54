// TDataSource joins a dataset to the data links of its controls; TDataLink
// is what a control sees: its own window of BufferCount records inside the
// dataset's buffers and the reactions to data events.
#pragma once

#include <functional>
#include <vector>

#include "platform/classes/classes.h"
#include "platform/data/db_types.h"

namespace db {

class TDataSet;
class TDataLink;
class TField;

class TDataSource : public ui::TComponent {
 public:
  explicit TDataSource(ui::TComponent* AOwner);
  ~TDataSource() override;

  TDataSet* DataSet() const { return dataSet_; }
  void SetDataSet(TDataSet* Value);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool Value);
  bool AutoEdit() const { return autoEdit_; }
  void SetAutoEdit(bool v) { autoEdit_ = v; }
  TDataSetState State() const { return state_; }
  // Starts editing when AutoEdit allows it.
  void Edit();
  bool IsLinkedTo(const TDataSet* DataSet) const;

  std::function<void(TDataSource*)> OnStateChange;
  std::function<void(TDataSource*, TField*)> OnDataChange;
  std::function<void(TDataSource*)> OnUpdateData;

 protected:
  void Notification(ui::TComponent* AComponent, ui::TOperation Operation) override;

 private:
  friend class TDataSet;
  friend class TDataLink;
  void DataEvent(TDataEvent Event, std::intptr_t Info);
  void NotifyState();
  void SetState(TDataSetState Value);
  void NotifyDataLinks(TDataEvent Event, std::intptr_t Info);
  void AddDataLink(TDataLink* Link);
  void RemoveDataLink(TDataLink* Link);

  TDataSet* dataSet_ = nullptr;
  bool enabled_ = true, autoEdit_ = true;
  TDataSetState state_ = dsInactive;
  std::vector<TDataLink*> links_;
};

class TDataLink {
 public:
  TDataLink() = default;
  TDataLink(const TDataLink&) = delete;
  TDataLink& operator=(const TDataLink&) = delete;
  virtual ~TDataLink();

  TDataSource* DataSource() const { return dataSource_; }
  void SetDataSource(TDataSource* Value);
  bool DataSourceFixed() const { return dataSourceFixed_; }
  void SetDataSourceFixed(bool v) { dataSourceFixed_ = v; }
  TDataSet* DataSet() const;
  bool Active() const { return active_; }
  // The current record within this link's window, in [0, RecordCount).
  int ActiveRecord() const;
  // Moves the dataset's active buffer for row-by-row drawing; put it back after.
  void SetActiveRecord(int Value);
  int BufferCount() const { return bufferCount_; }
  void SetBufferCount(int Value);
  // Records in this link's window.
  int RecordCount() const;
  bool Editing() const { return editing_; }
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool Value);
  bool VisualControl() const { return visualControl_; }
  void SetVisualControl(bool v) { visualControl_ = v; }
  // Starts editing unless read-only; answers whether the link is editing.
  bool Edit();
  void UpdateRecord();
  int MoveBy(int Distance);

 protected:
  virtual void ActiveChanged() {}
  virtual void CheckBrowseMode() {}
  virtual void DataSetChanged() { RecordChanged(nullptr); }
  virtual void DataSetScrolled(int /*Distance*/) { DataSetChanged(); }
  virtual void EditingChanged() {}
  virtual void FocusControl(TField** /*Field*/) {}
  virtual void LayoutChanged() { DataSetChanged(); }
  virtual void RecordChanged(TField* /*Field*/) {}
  virtual void UpdateData() {}
  virtual void DataEvent(TDataEvent Event, std::intptr_t Info);
  int FirstRecord() const { return firstRecord_; }

 private:
  friend class TDataSource;
  friend class TDataSet;
  void UpdateState();
  void SetActive(bool Value);
  void SetEditing(bool Value);
  void UpdateRange();

  TDataSource* dataSource_ = nullptr;
  bool dataSourceFixed_ = false, active_ = false, editing_ = false, readOnly_ = false;
  bool visualControl_ = false, updating_ = false;
  int bufferCount_ = 1, firstRecord_ = 0;
};

}  // namespace db
