// Component model: ownership, notifications, names, loading, collections.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/platform/ui/harness.h"

namespace {

using ui::TComponent;

std::vector<std::string>* g_log = nullptr;

void Log(const std::string& s) {
  if (g_log) g_log->push_back(s);
}

class TRecorder : public TComponent {
 public:
  TRecorder(TComponent* owner, std::string tag) : TComponent(owner), tag_(std::move(tag)) {}
  ~TRecorder() override { Log("free " + tag_); }
  TComponent* watched = nullptr;
  void Watch(TComponent* c) {
    watched = c;
    c->FreeNotification(this);
  }
  void Loaded() override {
    Log("loaded " + tag_ + (IsLoading() ? " (still loading)" : ""));
    TComponent::Loaded();
  }

 protected:
  void Notification(TComponent* c, ui::TOperation op) override {
    TComponent::Notification(c, op);
    if (c == this) return;
    auto* r = dynamic_cast<TRecorder*>(c);
    Log(tag_ + (op == ui::opInsert ? " hears insert " : " hears remove ") + (r ? r->tag_ : std::string("?")));
    if (op == ui::opRemove && c == watched) watched = nullptr;
  }

 private:
  std::string tag_;
};

class ComponentTest : public ::testing::Test {
 protected:
  void SetUp() override { g_log = &log; }
  void TearDown() override { g_log = nullptr; }
  std::vector<std::string> log;
};

TEST_F(ComponentTest, OwnerFreesWhatItOwnsNewestFirst) {
  auto* owner = new TRecorder(nullptr, "owner");
  new TRecorder(owner, "a");
  auto* b = new TRecorder(owner, "b");
  new TRecorder(b, "b1");
  new TRecorder(owner, "c");
  log.clear();
  ui::Free(owner);
  std::vector<std::string> frees;
  for (auto& s : log)
    if (s.rfind("free ", 0) == 0) frees.push_back(s);
  EXPECT_EQ(frees, (std::vector<std::string>{"free owner", "free c", "free b", "free b1", "free a"}));
}

TEST_F(ComponentTest, SiblingsHearOfInsertsAndRemovals) {
  TRecorder owner(nullptr, "owner");
  auto* a = new TRecorder(&owner, "a");
  log.clear();
  auto* b = new TRecorder(&owner, "b");
  // The owner and every component it owns hear of the newcomer.
  EXPECT_NE(std::find(log.begin(), log.end(), "owner hears insert ?"), log.end());
  EXPECT_NE(std::find(log.begin(), log.end(), "a hears insert ?"), log.end());
  log.clear();
  delete b;
  EXPECT_NE(std::find(log.begin(), log.end(), "a hears remove ?"), log.end());
  EXPECT_EQ(owner.ComponentCount(), 1);
  EXPECT_EQ(owner.Components(0), a);
}

TEST_F(ComponentTest, FreeNotificationClearsWeakReferenceBeforeTheObjectGoes) {
  TRecorder holder(nullptr, "holder");
  auto* target = new TRecorder(nullptr, "target");
  holder.Watch(target);
  log.clear();
  ui::Free(target);
  EXPECT_EQ(holder.watched, nullptr);
  // Told before the target's destructor ran.
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0], "holder hears remove target");
  EXPECT_EQ(log[1], "free target");
}

TEST_F(ComponentTest, NamesAreValidatedAndUniquePerOwner) {
  TComponent owner(nullptr);
  auto* a = new TComponent(&owner);
  a->SetName(u"edt_Port");
  auto* b = new TComponent(&owner);
  EXPECT_THROW(b->SetName(u"EDT_PORT"), ui::EComponentError);
  EXPECT_THROW(b->SetName(u"1abc"), ui::EComponentError);
  EXPECT_THROW(b->SetName(u"a b"), ui::EComponentError);
  b->SetName(u"edt_Port2");
  EXPECT_EQ(owner.FindComponent(u"EDT_port"), a);
  EXPECT_EQ(owner.FindComponent(u"nope"), nullptr);
  // A component of another owner may carry the same name.
  TComponent other(nullptr);
  auto* c = new TComponent(&other);
  EXPECT_NO_THROW(c->SetName(u"edt_Port"));
}

TEST_F(ComponentTest, LoadedRunsAfterEveryMarkIsCleared) {
  TRecorder root(nullptr, "root");
  root.BeginLoading();
  auto* a = new TRecorder(&root, "a");
  auto* b = new TRecorder(&root, "b");
  EXPECT_TRUE(a->IsLoading());
  EXPECT_TRUE(b->ComponentState().Contains(ui::csReading));
  log.clear();
  root.EndLoading();
  EXPECT_EQ(log, (std::vector<std::string>{"loaded a", "loaded b", "loaded root"}));
  EXPECT_FALSE(a->IsLoading());
  EXPECT_FALSE(root.IsLoading());
}

TEST_F(ComponentTest, ClassInfoAnswersNamesAndAncestry) {
  ui::TFont font;
  EXPECT_EQ(font.ClassName(), u"TFont");
  EXPECT_TRUE(font.InheritsFrom("TPersistent"));
  EXPECT_TRUE(font.InheritsFrom("tobject"));
  EXPECT_FALSE(font.InheritsFrom("TComponent"));
  EXPECT_EQ(font.ClassInfo().DistanceTo("TPersistent"), 2);
  EXPECT_EQ(font.ClassInfo().DistanceTo("TFont"), 0);
  EXPECT_EQ(font.ClassInfo().DistanceTo("TComponent"), -1);
}

TEST_F(ComponentTest, AssignBetweenUnrelatedClassesRaisesConvertError) {
  ui::TFont font;
  ui::TPen pen;
  try {
    pen.Assign(&font);
    FAIL() << "no exception";
  } catch (const rtl::EConvertError& e) {
    EXPECT_EQ(e.Message(), u"Cannot assign a TFont to a TPen");
  }
  ui::TFont copy;
  font.SetName(u"Verdana");
  font.SetStyle({ui::fsBold});
  copy.Assign(&font);
  EXPECT_TRUE(copy.SameAs(font));
}

class TItem : public ui::TCollectionItem {
 public:
  using TCollectionItem::TCollectionItem;
  int value = 0;
  void Assign(const ui::TPersistent* src) override {
    if (auto* i = dynamic_cast<const TItem*>(src)) {
      value = i->value;
      return;
    }
    TCollectionItem::Assign(src);
  }
};

class TItems : public ui::TCollection {
 public:
  TItems() : TCollection([](ui::TCollection* c) { return new TItem(c); }) {}
  TItem* At(int i) const { return static_cast<TItem*>(Items(i)); }
  std::vector<ui::TCollectionItem*> updates;

 protected:
  void Update(ui::TCollectionItem* item) override { updates.push_back(item); }
};

TEST(CollectionTest, ItemsKeepIdsAcrossMovesAndDeletes) {
  TItems items;
  auto* a = static_cast<TItem*>(items.Add());
  auto* b = static_cast<TItem*>(items.Add());
  auto* c = static_cast<TItem*>(items.Add());
  EXPECT_EQ(a->ID(), 0);
  EXPECT_EQ(c->ID(), 2);
  c->SetIndex(0);
  EXPECT_EQ(items.At(0), c);
  EXPECT_EQ(items.At(1), a);
  items.Delete(1);
  EXPECT_EQ(items.Count(), 2);
  EXPECT_EQ(items.FindItemID(1), b);
  EXPECT_EQ(items.FindItemID(0), nullptr);
  auto* d = static_cast<TItem*>(items.Insert(0));
  EXPECT_EQ(d->ID(), 3);
  EXPECT_EQ(items.At(0), d);
  EXPECT_THROW(items.Items(5), rtl::EListError);
  EXPECT_THROW(items.Items(-1), rtl::EListError);
}

TEST(CollectionTest, UpdatesAreDeferredUntilEndUpdateAndAssignCopies) {
  TItems items;
  items.updates.clear();
  items.BeginUpdate();
  items.Add();
  items.Add();
  EXPECT_TRUE(items.updates.empty());
  items.EndUpdate();
  ASSERT_EQ(items.updates.size(), 1u);
  EXPECT_EQ(items.updates[0], nullptr);

  items.At(0)->value = 7;
  items.At(1)->value = 9;
  TItems copy;
  copy.Add();
  copy.Assign(&items);
  ASSERT_EQ(copy.Count(), 2);
  EXPECT_EQ(copy.At(0)->value, 7);
  EXPECT_EQ(copy.At(1)->value, 9);
}

}  // namespace
