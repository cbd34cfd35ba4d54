// The dataset-features registry. The system registers no entry of its own:
// lookups find nothing and the behaviour centre takes its generic ways.
#include "grid/columns/filters/dataset_features_ex.h"

#include <memory>

#include "platform/runtime/exceptions.h"
#include "platform/runtime/rtl_string.h"

namespace grid {

bool TDatasetFeaturesEx::LocateText(TCustomDBGridEx*, const String&, const String&, std::uint32_t, int, int,
                                    int) {
  return false;
}
bool TDatasetFeaturesEx::MoveRecords(TCustomDBGridEx*, TBMListEx*, int&, bool) { return false; }
void TDatasetFeaturesEx::ApplySorting(TCustomDBGridEx*, db::TDataSet*, bool) {}
void TDatasetFeaturesEx::ApplyFilter(TCustomDBGridEx*, db::TDataSet*, bool) {}
void TDatasetFeaturesEx::ExecuteFindDialog(TCustomDBGridEx*, const String&, const String&, bool) {}
void TDatasetFeaturesEx::FillSTFilterListDataValues(TCustomDBGridEx*, TColumnEx*, ui::TStrings*) {}

namespace {

std::unique_ptr<ui::TStringList>& Registry() {
  static std::unique_ptr<ui::TStringList> list;
  return list;
}

TDatasetFeaturesEx* EntryAt(int Index) {
  return static_cast<TDatasetFeaturesEx*>(Registry()->Objects(Index));
}

}  // namespace

void InitDatasetFeatures() {
  if (!Registry()) Registry() = std::make_unique<ui::TStringList>();
}

void DoneDatasetFeatures() {
  std::unique_ptr<ui::TStringList>& list = Registry();
  if (!list) return;
  for (int i = 0; i < list->Count(); ++i) delete EntryAt(i);
  list.reset();
}

ui::TStringList* RegisteredDatasetFeatures() { return Registry().get(); }

void RegisterDatasetFeatures(TDatasetFeaturesEx* Features) {
  std::unique_ptr<TDatasetFeaturesEx> owned(Features);
  InitDatasetFeatures();
  const String name = rtl::Utf8ToString(Features->DataSetClass());
  if (Registry()->IndexOf(name) >= 0) throw rtl::EStringListError(u"String list does not allow duplicates");
  Registry()->AddObject(name, owned.release());
}

void UnregisterDatasetFeatures(const std::string& DataSetClass) {
  if (!Registry()) return;
  const int i = Registry()->IndexOf(rtl::Utf8ToString(DataSetClass));
  if (i < 0) return;
  delete EntryAt(i);
  Registry()->Delete(i);
}

TDatasetFeaturesEx* FindDatasetFeatures(const ui::TClassInfo& DataSetClass) {
  if (!Registry()) return nullptr;
  TDatasetFeaturesEx* best = nullptr;
  int bestDistance = -1;
  for (int i = 0; i < Registry()->Count(); ++i) {
    TDatasetFeaturesEx* entry = EntryAt(i);
    const int distance = DataSetClass.DistanceTo(entry->DataSetClass());
    if (distance < 0) continue;
    if (!best || distance < bestDistance) {
      best = entry;
      bestDistance = distance;
    }
  }
  return best;
}

TDatasetFeaturesEx* GetDatasetFeatures(db::TDataSet* DataSet) {
  return DataSet ? FindDatasetFeatures(DataSet->ClassInfo()) : nullptr;
}

}  // namespace grid
