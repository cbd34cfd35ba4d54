// A small dataset over a std::vector for the framework's tests: records in
// storage order with 32-bit IDs as bookmarks, the OnFilterRecord filter and
// calculated fields. Buffer: slots (flag byte + value) of the definitions,
// the calculated area, the 4-byte ID and the bookmark flag.
#pragma once

#include <cstring>
#include <vector>

#include "platform/data/dataset.h"

namespace dbtest {

using namespace db;

class TVectorDataSet : public TDataSet {
 public:
  struct Rec {
    std::int32_t id;
    std::vector<std::uint8_t> data;
  };

  explicit TVectorDataSet(ui::TComponent* AOwner = nullptr) : TDataSet(AOwner) {}
  ~TVectorDataSet() override {
    try { Close(); } catch (...) {}
  }

  std::vector<Rec> recs;
  int pos = -1;

  int RecordCount() const override { return static_cast<int>(recs.size()); }
  int RecNo() const override {
    const_cast<TVectorDataSet*>(this)->UpdateCursorPos();
    return pos < 0 && !recs.empty() ? 1 : pos + 1;
  }
  bool BookmarkValid(const TBookmark& b) const override {
    return b.size() == 4 && open_ && IndexOfId(IdOf(b.data())) >= 0;
  }
  int CompareBookmarks(const TBookmark& a, const TBookmark& b) const override {
    if (a.empty() || b.empty()) return TDataSet::CompareBookmarks(a, b);
    std::int32_t x = IdOf(a.data()), y = IdOf(b.data());
    return x < y ? -1 : x > y ? 1 : 0;
  }
  Variant Lookup(const String& KeyFields, const Variant& KeyValues, const String& ResultFields) override {
    CheckBrowseMode();
    std::vector<TField*> keys, results;
    GetFieldList(keys, KeyFields);
    GetFieldList(results, ResultFields);
    TDataSetState old = SetTempState(dsCalcFields);
    Variant out = Variant::Null();
    try {
      for (const Rec& r : recs) {
        FillBuffer(r, SpareBuffer());
        SetCalcBuffer(SpareBuffer());
        bool match = true;
        for (std::size_t i = 0; i < keys.size() && match; ++i)
          match = keys[i]->Value() == (keys.size() == 1 ? KeyValues : KeyValues[static_cast<int>(i)]);
        if (match) {
          out = results[0]->Value();
          break;
        }
      }
    } catch (...) {
      RestoreState(old);
      throw;
    }
    RestoreState(old);
    return out;
  }

  bool GetFieldData(TField* Field, void* Dest) override {
    TRecordBuffer b = StateBuffer();
    if (!b) return false;
    std::uint8_t* slot = SlotOf(Field, b);
    if (!slot || slot[0] == 0) return false;
    if (Dest) std::memcpy(Dest, slot + 1, static_cast<std::size_t>(Field->DataSize()));
    return true;
  }

  void PutFieldData(TField* Field, const void* Src) override {
    if (!IsEditMode(State()) && State() != dsCalcFields)
      DatabaseError(u"Dataset not in edit or insert mode");
    bool data = Field->FieldKind() == fkData;
    if (data && State() == dsCalcFields) DatabaseError(u"Dataset not in edit or insert mode");
    if (data && Field->ReadOnly()) DatabaseErrorFmt(u"Field '%s' cannot be modified", Field->DisplayName());
    if (data) Field->Validate(Src);
    std::uint8_t* slot = SlotOf(Field, StateBuffer());
    slot[0] = Src ? 1 : 0;
    if (Src) std::memcpy(slot + 1, Src, static_cast<std::size_t>(Field->DataSize()));
    else std::memset(slot + 1, 0, static_cast<std::size_t>(Field->DataSize()));
    if (State() != dsCalcFields) DataEvent(deFieldChange, reinterpret_cast<std::intptr_t>(Field));
  }

 protected:
  void OpenStorage(bool InfoQuery) override {
    offsets_.clear();
    recSize_ = 0;
    for (TFieldDef* d : FieldDefList()) {
      offsets_.push_back(recSize_);
      std::unique_ptr<TField> probe(CreateFieldForType(nullptr, d->DataType(), d->Size()));
      recSize_ += probe ? probe->DataSize() + 1 : 0;
    }
    open_ = true;
    TDataSet::OpenStorage(InfoQuery);
  }
  void PrepareOpen() override {
    TDataSet::PrepareOpen();
    SetBookmarkSize(4);
    calcOfs_ = recSize_;
    bmOfs_ = calcOfs_ + CalcFieldsSize();
    bufSize_ = bmOfs_ + 5;
    pos = -1;
  }
  void CloseStorage() override {
    recs.clear();
    pos = -1;
    lastId_ = 0;
    open_ = false;
  }
  bool IsStorageOpen() const override { return open_; }
  TRecordBuffer NewRecordBuffer() override { return new std::uint8_t[static_cast<std::size_t>(bufSize_)](); }
  void DisposeRecordBuffer(TRecordBuffer& b) override {
    delete[] b;
    b = nullptr;
  }
  void ClearRecordBuffer(TRecordBuffer b) override { std::memset(b, 0, static_cast<std::size_t>(bufSize_)); }
  void BlankCalcArea(TRecordBuffer b) override {
    std::memset(b + calcOfs_, 0, static_cast<std::size_t>(CalcFieldsSize()));
  }
  int RecordSize() const override { return recSize_; }

  TGetResult FetchRecord(TRecordBuffer b, TGetMode mode, bool report) override {
    int n = static_cast<int>(recs.size());
    TGetResult r = grOK;
    switch (mode) {
      case gmCurrent:
        if (pos < 0 || pos >= n || !Passes(pos)) r = grError;
        break;
      case gmNext:
        do { ++pos; } while (pos < n && !Passes(pos));
        if (pos >= n) { pos = n; r = grEOF; }
        break;
      case gmPrior:
        do { --pos; } while (pos >= 0 && !Passes(pos));
        if (pos < 0) { pos = -1; r = grBOF; }
        break;
    }
    if (r == grOK) {
      FillBuffer(recs[static_cast<std::size_t>(pos)], b);
      GetCalcFields(b);
    } else if (r == grError && report) {
      DatabaseError(u"No data found");
    }
    return r;
  }
  void ReadBufferBookmark(TRecordBuffer b, void* d) const override { std::memcpy(d, b + bmOfs_, 4); }
  void WriteBufferBookmark(TRecordBuffer b, const void* d) override { std::memcpy(b + bmOfs_, d, 4); }
  TBookmarkFlag ReadBufferBookmarkFlag(TRecordBuffer b) const override { return static_cast<TBookmarkFlag>(b[bmOfs_ + 4]); }
  void WriteBufferBookmarkFlag(TRecordBuffer b, TBookmarkFlag f) override { b[bmOfs_ + 4] = static_cast<std::uint8_t>(f); }
  void GotoBookmarkRecord(const std::uint8_t* bm) override {
    int i = IndexOfId(IdOf(bm));
    if (i >= 0) pos = i;
  }
  void GotoBufferRecord(TRecordBuffer b) override { GotoBookmarkRecord(b + bmOfs_); }
  void MoveBeforeFirst() override { pos = -1; }
  void MoveAfterLast() override { pos = static_cast<int>(recs.size()); }
  void AddRecordFromBuffer(TRecordBuffer b, bool append) override {
    Rec r{++lastId_, std::vector<std::uint8_t>(b, b + recSize_)};
    if (append || pos < 0 || pos >= static_cast<int>(recs.size())) {
      recs.push_back(std::move(r));
      pos = static_cast<int>(recs.size()) - 1;
    } else {
      recs.insert(recs.begin() + pos, std::move(r));
    }
  }
  void PostRecordBuffer() override {
    TDataSet::PostRecordBuffer();
    TRecordBuffer b = ActiveBuffer();
    if (State() == dsEdit) std::memcpy(recs.at(static_cast<std::size_t>(pos)).data.data(), b, static_cast<std::size_t>(recSize_));
    else AddRecordFromBuffer(b, false);
  }
  void DeleteCurrentRecord() override {
    recs.erase(recs.begin() + pos);
    if (pos >= static_cast<int>(recs.size())) pos = static_cast<int>(recs.size()) - 1;
  }

 private:
  static std::int32_t IdOf(const std::uint8_t* p) {
    std::int32_t id;
    std::memcpy(&id, p, 4);
    return id;
  }
  int IndexOfId(std::int32_t id) const {
    for (std::size_t i = 0; i < recs.size(); ++i)
      if (recs[i].id == id) return static_cast<int>(i);
    return -1;
  }
  void FillBuffer(const Rec& r, TRecordBuffer b) {
    std::memcpy(b, r.data.data(), static_cast<std::size_t>(recSize_));
    std::memcpy(b + bmOfs_, &r.id, 4);
    b[bmOfs_ + 4] = bfCurrent;
  }
  bool Passes(int i) {
    if (!Filtered() || !OnFilterRecord()) return true;
    TDataSetState old = SetTempState(dsFilter);
    bool accept = true;
    try {
      FillBuffer(recs[static_cast<std::size_t>(i)], SpareBuffer());
      OnFilterRecord()(this, accept);
    } catch (...) {
      RestoreState(old);
      throw;
    }
    RestoreState(old);
    return accept;
  }
  TRecordBuffer StateBuffer() const {
    switch (State()) {
      case dsBrowse: return IsEmpty() ? nullptr : ActiveBuffer();
      case dsEdit: case dsInsert: return ActiveBuffer();
      case dsCalcFields: return CalcBuffer();
      case dsFilter: return SpareBuffer();
      default: return nullptr;
    }
  }
  std::uint8_t* SlotOf(TField* f, TRecordBuffer b) const {
    if (!b) return nullptr;
    if (f->FieldKind() == fkCalculated || f->FieldKind() == fkLookup) return b + calcOfs_ + f->Offset();
    if (f->FieldNo() <= 0) return nullptr;
    return b + offsets_.at(static_cast<std::size_t>(f->FieldNo() - 1));
  }

  bool open_ = false;
  std::int32_t lastId_ = 0;
  std::vector<int> offsets_;
  int recSize_ = 0, calcOfs_ = 0, bmOfs_ = 0, bufSize_ = 0;
};

}  // namespace dbtest
