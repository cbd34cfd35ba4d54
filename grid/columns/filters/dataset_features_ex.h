// Dataset-specific services of the grid: a features object serves one
// dataset class (and its descendants) with text search, record moving,
// sorting, filtering, a find dialog and the values of the filter drop-down.
// The behaviour centre asks the registry first and takes its generic ways
// when no entry serves the grid's dataset.
#pragma once

#include <cstdint>
#include <string>

#include "grid/core/db_grid_ex_types.h"
#include "platform/classes/classes.h"
#include "platform/classes/string_list.h"
#include "platform/data/dataset.h"

namespace grid {

class TCustomDBGridEx;
class TColumnEx;
class TBMListEx;

class TDatasetFeaturesEx : public ui::TObject {
 public:
  // The class name of the dataset served, compared without regard to case.
  explicit TDatasetFeaturesEx(std::string DataSetClass) : FDataSetClass(std::move(DataSetClass)) {}
  const std::string& DataSetClass() const { return FDataSetClass; }

  // The search's option set, direction, matching and tree range travel as
  // their ordinal values, so that the registry does not depend on the
  // search module.
  virtual bool LocateText(TCustomDBGridEx* Grid, const String& FieldName, const String& Text,
                          std::uint32_t Options, int Direction, int Matching, int TreeFindRange);
  virtual bool MoveRecords(TCustomDBGridEx* Grid, TBMListEx* BookmarkList, int& ToRecNo, bool CheckOnly);
  virtual void ApplySorting(TCustomDBGridEx* Grid, db::TDataSet* DataSet, bool IsReopen);
  virtual void ApplyFilter(TCustomDBGridEx* Grid, db::TDataSet* DataSet, bool IsReopen);
  virtual void ExecuteFindDialog(TCustomDBGridEx* Grid, const String& Text, const String& FieldName,
                                 bool Modal);
  virtual void FillSTFilterListDataValues(TCustomDBGridEx* Grid, TColumnEx* Column, ui::TStrings* Items);

 private:
  std::string FDataSetClass;
};

// The registry: entries named by their dataset class; a second entry of the
// same name is refused. Registering hands the object to the registry.
ui::TStringList* RegisteredDatasetFeatures();
void RegisterDatasetFeatures(TDatasetFeaturesEx* Features);
void UnregisterDatasetFeatures(const std::string& DataSetClass);
// The entry of the nearest ancestor class (the first entry on a tie), or nil.
TDatasetFeaturesEx* FindDatasetFeatures(const ui::TClassInfo& DataSetClass);
TDatasetFeaturesEx* GetDatasetFeatures(db::TDataSet* DataSet);

// Module start-up and shut-down: the list is made, and freed with every entry's object.
void InitDatasetFeatures();
void DoneDatasetFeatures();

}  // namespace grid
