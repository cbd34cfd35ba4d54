// The dataset-features registry: the nearest ancestor's entry serves a
// dataset, a second entry for the same class is refused, and shut-down
// frees the entries.
#include <gtest/gtest.h>

#include "platform/classes/typinfo.h"
#include "tests/platform/data/vector_dataset.h"
#include "grid/columns/filters/dataset_features_ex.h"
#include "platform/runtime/exceptions.h"

namespace {

using namespace grid;

// Two dataset classes that describe themselves, one derived from the other.
struct TTestDataSet : dbtest::TVectorDataSet {
  JQ_UI_CLASSINFO
};
struct TTestChildDataSet : TTestDataSet {
  JQ_UI_CLASSINFO
};
const ui::TClassInfo& TTestDataSet::StaticClassInfo() {
  static const ui::TClassInfo info =
      ui::TClassBuilder<TTestDataSet>("TTestDataSet", &ui::TComponent::StaticClassInfo()).Build();
  return info;
}
const ui::TClassInfo& TTestChildDataSet::StaticClassInfo() {
  static const ui::TClassInfo info =
      ui::TClassBuilder<TTestChildDataSet>("TTestChildDataSet", &TTestDataSet::StaticClassInfo()).Build();
  return info;
}

struct CountedFeatures : TDatasetFeaturesEx {
  CountedFeatures(std::string Class, int& Alive) : TDatasetFeaturesEx(std::move(Class)), alive(Alive) {
    ++alive;
  }
  ~CountedFeatures() override { --alive; }
  int& alive;
};

TEST(DatasetFeatures, TheNearestAncestorServesAndShutDownFreesEntries) {
  int alive = 0;
  InitDatasetFeatures();
  TTestChildDataSet ds;
  EXPECT_EQ(GetDatasetFeatures(&ds), nullptr);
  EXPECT_EQ(GetDatasetFeatures(nullptr), nullptr);
  auto* base = new CountedFeatures("TTestDataSet", alive);
  RegisterDatasetFeatures(base);
  EXPECT_EQ(GetDatasetFeatures(&ds), base);
  auto* own = new CountedFeatures("ttestchilddataset", alive);  // names compare without case
  RegisterDatasetFeatures(own);
  EXPECT_EQ(GetDatasetFeatures(&ds), own);
  EXPECT_THROW(RegisterDatasetFeatures(new CountedFeatures("TTestDataSet", alive)), rtl::Exception);
  EXPECT_EQ(alive, 2);  // the refused entry is not kept
  UnregisterDatasetFeatures("ttestchilddataset");
  EXPECT_EQ(GetDatasetFeatures(&ds), base);
  DoneDatasetFeatures();
  EXPECT_EQ(alive, 0);
  EXPECT_EQ(RegisteredDatasetFeatures(), nullptr);
}

}  // namespace
