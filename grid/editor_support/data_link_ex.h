// A data link whose data events can be watched through a callback, and the
// distinct values of one field of a dataset as a sorted list (what the
// grid's column filter offers).
#pragma once

#include <functional>
#include <memory>

#include "platform/data/data_source.h"
#include "platform/data/dataset.h"
#include "platform/classes/string_list.h"

namespace grid {

using TDataEventEx = std::function<void(db::TDataEvent Event, std::intptr_t Info)>;

class TDataLinkEx : public db::TDataLink {
 public:
  TDataEventEx OnDataEvent;

 protected:
  void DataEvent(db::TDataEvent Event, std::intptr_t Info) override;
};

class IMemTableDataFieldValueListEx {
 public:
  virtual ~IMemTableDataFieldValueListEx() = default;
  virtual ui::TStrings* GetValues() = 0;
  virtual void SetFilter(const ui::String& Filter) = 0;
};

// Held through std::shared_ptr by whoever needs the values.
class TDatasetFieldValueListEx : public IMemTableDataFieldValueListEx {
 public:
  TDatasetFieldValueListEx();
  ~TDatasetFieldValueListEx() override;
  TDatasetFieldValueListEx(const TDatasetFieldValueListEx&) = delete;
  TDatasetFieldValueListEx& operator=(const TDatasetFieldValueListEx&) = delete;

  const ui::String& FieldName() const { return fieldName_; }
  void SetFieldName(const ui::String& Value);
  db::TDataSource* DataSource() const { return link_->DataSource(); }
  void SetDataSource(db::TDataSource* Value);
  db::TDataSet* DataSet() const { return ownSource_->DataSet(); }
  void SetDataSet(db::TDataSet* Value);
  // Walks the dataset again when a change made the values obsolete.
  ui::TStrings* Values();
  bool DataObsoleted() const { return obsolete_; }

  ui::TStrings* GetValues() override { return Values(); }
  void SetFilter(const ui::String&) override {}

 private:
  void HandleDataEvent(db::TDataEvent Event, std::intptr_t Info);
  void RefreshValues();

  std::unique_ptr<ui::TStringList> values_;
  bool obsolete_ = true;
  ui::String fieldName_;
  std::unique_ptr<TDataLinkEx> link_;
  std::unique_ptr<db::TDataSource> ownSource_;
};

}  // namespace grid
