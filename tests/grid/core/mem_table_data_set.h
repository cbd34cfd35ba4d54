// A small memory table for the grid's tests: the vector dataset offering
// the memory-table interface. Record views are the records in storage
// order; a record being inserted occupies its view from Insert on. Records
// may carry tree levels (a record's children are the deeper records after
// it); instant reading copies a stored record into the spare buffer.
#pragma once

#include <cstring>
#include <vector>

#include "grid/core/mem_table_intf_ex.h"
#include "tests/platform/data/vector_dataset.h"

namespace gridtest {

class TMemTableDataSet : public dbtest::TVectorDataSet, public grid::IMemTableEx {
 public:
  explicit TMemTableDataSet(ui::TComponent* AOwner = nullptr) : TVectorDataSet(AOwner) {
    AfterInsert = [this](db::TDataSet*) {
      UpdateCursorPos();
      const int n = static_cast<int>(recs.size());
      insertView_ = pos < 0 || pos >= n ? n : pos;
      Notify(grid::mtrInsertedEx, insertView_);
    };
    BeforePost = [this](db::TDataSet*) { postedInsert_ = insertView_; };
    AfterPost = [this](db::TDataSet*) {
      const int view = postedInsert_ >= 0 ? postedInsert_ : RecNo() - 1;
      insertView_ = postedInsert_ = -1;
      Notify(grid::mtrChangedEx, view);
    };
    AfterCancel = [this](db::TDataSet*) {
      const int view = insertView_;
      insertView_ = -1;
      if (view >= 0) Notify(grid::mtrDeletedEx, view);
    };
    BeforeDelete = [this](db::TDataSet*) { deletedView_ = RecNo() - 1; };
    AfterDelete = [this](db::TDataSet*) { Notify(grid::mtrDeletedEx, deletedView_); };
  }
  ~TMemTableDataSet() override {
    try {
      Close();
    } catch (...) {
    }
  }

  // Tree levels by record (1 for top level); empty: no tree.
  std::vector<int> levels;
  std::vector<bool> expanded;
  int fetchRequests = 0;
  // The bookmarks' record numbers and targets of the last move asked for.
  std::vector<std::pair<int, int>> moves;
  bool acceptMoves = true;

  void SetRecNo(int Value) override {
    CheckBrowseMode();
    if (Value == RecNo()) return;
    First();
    MoveBy(Value - 1);
  }

  int RecordViewCount() override { return static_cast<int>(recs.size()) + (insertView_ >= 0 ? 1 : 0); }
  int CurrentRecordView() override {
    if (insertView_ >= 0) return insertView_;
    if (recs.empty() || !Active()) return -1;
    return RecNo() - 1;
  }
  void FetchRecords(int) override { ++fetchRequests; }
  bool RecordViewsAreTree() override { return !levels.empty(); }
  void SendRecordEventsTo(grid::IMemTableRecordEventsEx* Receiver) override { receiver_ = Receiver; }
  void StopRecordEventsTo(grid::IMemTableRecordEventsEx* Receiver) override {
    if (receiver_ == Receiver) receiver_ = nullptr;
  }

  void InstantReadEnter(int RecordView) override {
    Read r{RecordView, State(), false};
    const int index = StoredIndex(RecordView);
    if (RecordView != insertView_ && index >= 0) {
      r.temp = true;
      r.old = SetTempState(db::dsCalcFields);
      Load(index);
    }
    reads_.push_back(r);
  }
  void InstantReadLeave() override {
    if (reads_.empty()) return;
    Read r = reads_.back();
    reads_.pop_back();
    if (r.temp) RestoreState(r.old);
    // An outer read gets its record back.
    if (!reads_.empty() && reads_.back().temp) Load(StoredIndex(reads_.back().view));
  }
  int InstantReadView() override { return reads_.empty() ? CurrentRecordView() : reads_.back().view; }

  int TreeNodeLevel() override { return LevelOf(InstantReadView()); }
  bool TreeNodeHasChildren() override {
    const int v = InstantReadView();
    return LevelOf(v + 1) > LevelOf(v);
  }
  bool TreeNodeExpanded() override {
    const int v = InstantReadView();
    return v >= 0 && v < static_cast<int>(expanded.size()) && expanded[static_cast<std::size_t>(v)];
  }
  bool ParentHasNextSibling(int ParentLevel) override {
    const int v = InstantReadView();
    for (int n = v + 1; n < static_cast<int>(levels.size()); ++n) {
      const int l = LevelOf(n);
      if (l < ParentLevel) return false;
      if (l == ParentLevel) return true;
    }
    return false;
  }
  int PrevVisibleNodeLevel() override { return LevelOf(InstantReadView() - 1); }
  int NextVisibleNodeLevel() override {
    const int v = InstantReadView() + 1;
    return v < static_cast<int>(levels.size()) ? LevelOf(v) : -1;
  }
  int SetTreeNodeExpanded(int RecordView, bool Value) override {
    if (RecordView < 0 || RecordView >= static_cast<int>(expanded.size())) return 0;
    expanded[static_cast<std::size_t>(RecordView)] = Value;
    return 0;
  }
  void SetCurrentRecordView(int RecordView) override { SetRecNo(RecordView + 1); }
  bool MoveRecords(grid::TBMListEx*, int ToRecNo, int TreeLevel, bool CheckOnly) override {
    if (!CheckOnly) moves.emplace_back(ToRecNo, TreeLevel);
    return acceptMoves;
  }

  // Tells the grid that every record changed (after edits made in storage).
  void AllChanged() { Notify(grid::mtrAllChangedEx, -1); }

 private:
  struct Read {
    int view;
    db::TDataSetState old;
    bool temp;
  };
  int StoredIndex(int View) const {
    const int index = insertView_ >= 0 && View > insertView_ ? View - 1 : View;
    return index >= 0 && index < static_cast<int>(recs.size()) ? index : -1;
  }
  void Load(int Index) {
    if (Index < 0) return;
    const auto& data = recs[static_cast<std::size_t>(Index)].data;
    std::memcpy(SpareBuffer(), data.data(), data.size());
    SetCalcBuffer(SpareBuffer());
  }
  int LevelOf(int View) const {
    if (View < 0 || View >= static_cast<int>(levels.size())) return 0;
    return levels[static_cast<std::size_t>(View)];
  }
  void Notify(grid::TMemTableRecordEventKindEx Kind, int View) {
    if (receiver_) receiver_->HandleMemTableRecordEvent(View, Kind, -1);
  }

  grid::IMemTableRecordEventsEx* receiver_ = nullptr;
  std::vector<Read> reads_;
  int insertView_ = -1;
  int postedInsert_ = -1;
  int deletedView_ = -1;
};

// Fills Ds with the tree A(B, C), D, node A open as asked and the others
// closed, at its first record.
inline void OpenSmallTree(TMemTableDataSet& Ds, bool AOpen) {
  Ds.FieldDefs().Add(u"Name", db::ftString, 8);
  Ds.Open();
  Ds.levels = {1, 2, 2, 1};
  Ds.expanded = {AOpen, false, false, false};
  for (const char16_t* name : {u"A", u"B", u"C", u"D"}) {
    Ds.Append();
    Ds.Fields(0)->SetAsString(name);
    Ds.Post();
  }
  Ds.First();
}

}  // namespace gridtest
