// The data grid's link to its dataset: the map from the grid's data columns
// to dataset fields, and the dataset's notices turned into calls on the grid.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/data/data_source.h"
#include "platform/data/db_types.h"

namespace ui {
class TBasicAction;
}

namespace grid {

class TCustomDBGridEx;
using rtl::String;

class TGridDataLinkEx : public db::TDataLink {
 public:
  // The map never holds more entries than this.
  static constexpr int MaxMapSize = 268435455;

  explicit TGridDataLinkEx(TCustomDBGridEx* AGrid);
  ~TGridDataLinkEx() override;

  // Appends the field of that name (-1 when a sparse map lacks it). A
  // default map raises the dataset's own error for an unknown name.
  bool AddMapping(const String& FieldName);
  void ClearMapping();
  // The in-place editor changed the current record's data.
  void Modified() { FModified = true; }
  bool IsModified() const { return FModified; }
  // Pending edits of the grid are only repainted away; otherwise the
  // dataset's edit is cancelled.
  void Reset();
  bool DefaultFields() const;
  int FieldCount() const { return FFieldCount; }
  // Allocated entries (grows 8, 16, 32, ...).
  int FieldMapSize() const { return FFieldMapSize; }
  bool SparseMap() const { return FSparseMap; }
  void SetSparseMap(bool Value) { FSparseMap = Value; }
  // Data column indexes (0 = the first column after the indicator).
  db::TField* FieldForColumn(int Column) const;
  int FieldIndexForColumn(int Column) const;
  const db::TBookmark& LastBookmark() const { return FLastBookmark; }
  int MoveDataSetBy(int Distance) { return MoveBy(Distance); }
  // Actions that work on a data source (record moves, posting and the like)
  // reach the grid's dataset through its link; true when the action took
  // the link's data source as its target.
  bool ExecuteAction(ui::TBasicAction* Action);
  bool UpdateAction(ui::TBasicAction* Action);

 protected:
  void ActiveChanged() override;
  void DataEvent(db::TDataEvent Event, std::intptr_t Info) override;
  void DataSetChanged() override;
  void DataSetScrolled(int Distance) override;
  void EditingChanged() override;
  void FocusControl(db::TField** Field) override;
  void LayoutChanged() override;
  void RecordChanged(db::TField* Field) override;
  void UpdateData() override;

 private:
  void TakeBookmark();
  int FFieldCount = 0;
  std::vector<std::int32_t> FFieldMap;
  int FFieldMapSize = 0;
  TCustomDBGridEx* FGrid;
  bool FInUpdateData = false;
  bool FModified = false;
  bool FSparseMap = false;
  db::TBookmark FLastBookmark;
};

}  // namespace grid
