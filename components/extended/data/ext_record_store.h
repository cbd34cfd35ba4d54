// Storage of the in-memory dataset's records: the slots that hold them and
// the order they are shown in.
//
// A record is known by its number, the index of its slot. Slots come in
// chunks that never move, so a number finds its slot in constant time and
// a record costs its slot and three 4-byte numbers (its place in the ID
// table, in its order block and in the block map), not a set of pointers.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace ext {

// Makes room for N entries in a table with an entry per record, growing it
// by a quarter rather than doubling: doubling would leave a table of ten
// thousand records room for six thousand more in every such table.
template <class T>
void GrowForRecords(std::vector<T>& Table, std::size_t N) {
  if (N > Table.capacity()) Table.reserve(std::max(N, Table.capacity() + Table.capacity() / 4 + 64));
}

// Fixed-size slots under stable numbers; freed numbers are reused first.
class TExtSlotPool {
 public:
  void Reset(std::size_t SlotSize);
  std::size_t SlotSize() const { return slotSize_; }
  // One more than the highest number ever handed out since the last reset.
  std::uint32_t Limit() const { return next_; }
  std::uint32_t Take();
  void Give(std::uint32_t No) { free_.push_back(No); }
  std::uint8_t* Slot(std::uint32_t No) const {
    std::uint32_t chunk, at;
    Place(No, chunk, at);
    return chunks_[chunk].get() + std::size_t(at) * slotSize_;
  }

 private:
  // Chunks double from 64 slots up to 1,024, then stay at that size: a
  // table of any size wastes at most one chunk's tail, a few bytes a record
  // even at ten thousand records.
  static constexpr std::uint32_t kFirst = 64, kDoublings = 4, kLarge = 1024;
  static constexpr std::uint32_t kDoubledSlots = kFirst * ((1u << kDoublings) - 1);
  static void Place(std::uint32_t No, std::uint32_t& Chunk, std::uint32_t& At) {
    if (No < kDoubledSlots) {
      Chunk = static_cast<std::uint32_t>(31 - __builtin_clz(No / kFirst + 1));
      At = No - kFirst * ((1u << Chunk) - 1);
    } else {
      Chunk = kDoublings + (No - kDoubledSlots) / kLarge;
      At = (No - kDoubledSlots) % kLarge;
    }
  }

  std::vector<std::unique_ptr<std::uint8_t[]>> chunks_;
  std::vector<std::uint32_t> free_;
  std::uint32_t next_ = 0;
  std::size_t slotSize_ = 0;
};

// Running sums over a short array (one entry per order block).
class TExtBlockSums {
 public:
  void Build(const std::vector<int>& Values);
  void Add(std::size_t At, int Delta);
  // Sum of the entries before At.
  int Before(std::size_t At) const;
  // The entry that holds the K-th unit (from 0), counting from the front.
  std::size_t Find(int K) const;

 private:
  std::vector<int> tree_;
  std::size_t top_ = 0;
};

// The storage order: record numbers in blocks of about a thousand, with
// running counts over the blocks, so that a position, the position of a
// record, an insert and a delete each cost a logarithm of the block count
// and a move inside one block. Each entry can carry a flag (the record
// passes the filter), counted per block the same way, so the next or prior
// flagged position and the flagged total are found just as fast.
class TExtRecordOrder {
 public:
  int Size() const { return size_; }
  std::uint32_t At(int Pos) const {
    // A window or a scan asks for neighbours: most positions fall in the
    // block the last one fell in.
    const unsigned i = static_cast<unsigned>(Pos - cacheStart_);
    return i < cacheLen_ ? cacheNos_[i] : AtAnyBlock(Pos);
  }
  // Hint: a position the record is likely near (the cursor's), or -1.
  int PositionOf(std::uint32_t No, int Hint = -1) const;
  void Insert(int Pos, std::uint32_t No);
  std::uint32_t Erase(int Pos);
  // Replaces the whole order.
  void Assign(const std::vector<std::uint32_t>& Nos);
  void Clear() { Assign({}); }
  void Reserve(std::size_t Records) { blockOf_.reserve(Records); }
  std::size_t Capacity() const { return blockOf_.capacity(); }
  // The first position whose record fails Before(No), for a Before that
  // holds for a front part of the order only: blocks are searched by their
  // first record, then the one block, so a search touches few records.
  //
  // Reaching a block's first record costs a miss in the cache or two in a
  // large table, so the blocks are searched through keys the caller keeps
  // by block id (ids are stable while a block lives): BlockBefore(Id,
  // Stale) answers Before for the block's first record from its key, after
  // reading that key from record Stale when Stale is not kKeyKnown. The
  // order asks for a read whenever it cannot vouch for the key: a new
  // block, a block whose first record changed, a record the caller said
  // was rewritten (ForgetFirst), everything after ForgetFirsts.
  static constexpr std::uint32_t kKeyKnown = UINT32_MAX;
  template <class BlockBefore, class Pred>
  int PartitionPoint(BlockBefore&& BlockFirstBefore, Pred&& Before) const;
  // One more than the highest block id in use: the size of a key table.
  std::size_t BlockIds() const { return blocks_.size(); }
  // The record's data changed: its block's key must be read again if it is
  // that block's first record.
  void ForgetFirst(std::uint32_t No);
  void ForgetFirsts() { std::fill(keyKnown_.begin(), keyKnown_.end(), std::uint8_t(0)); }
  // Calls Visit(Pos, No) for every record in order until it returns false.
  template <class Visit>
  void Walk(int From, Visit&& V) const;

  // Flags are either valid for every entry or for none; an insert into a
  // valid set starts its entry unflagged.
  bool FlagsValid() const { return flagsValid_; }
  void DropFlags();
  // Flags every record that Passes(No) in order.
  template <class Pass>
  void EvaluateFlags(Pass&& Passes);
  bool Flag(int Pos) const;
  void SetFlag(int Pos, bool Value);
  int FlagCount() const { return flagged_; }
  // The first flagged position after Pos, the last before it; -1 if none.
  int NextFlagged(int Pos) const;
  int PriorFlagged(int Pos) const;

 private:
  static constexpr std::size_t kTarget = 1024, kMax = 2 * kTarget;
  static constexpr int kNear = 48;
  struct Block {
    std::vector<std::uint32_t> nos;
    std::vector<std::uint8_t> flags;
    int flagged = 0;
    std::uint32_t ord = 0;  // place in seq_
  };
  // Block ordinal and offset of a position (the last block's end for Size).
  void Locate(int Pos, std::size_t& Ord, std::size_t& Offset) const;
  std::uint32_t NewBlock();
  void Renumber();
  void SplitBlock(std::size_t Ord);
  void RemoveBlock(std::size_t Ord);
  void MergeWithNext(std::size_t Ord);
  int Start(std::size_t Ord) const { return sizes_.Before(Ord); }

  std::vector<Block> blocks_;          // by stable block id
  std::vector<std::uint32_t> free_;    // unused block ids
  std::vector<std::uint32_t> seq_;     // block ids in order
  std::vector<std::uint32_t> blockOf_; // block id per record number
  // Per block id: the caller's key for the block's first record is current.
  mutable std::vector<std::uint8_t> keyKnown_;
  TExtBlockSums sizes_, flags_;
  int size_ = 0, flagged_ = 0;
  bool flagsValid_ = false;
  // The block the last position fell in: scans step through one block
  // after another without searching. Any change to the blocks forgets it.
  void Remember(std::size_t Ord, int Start) const;
  void Forget() const {
    cacheOrd_ = SIZE_MAX;
    cacheLen_ = 0;
  }
  std::uint32_t AtAnyBlock(int Pos) const;
  mutable std::size_t cacheOrd_ = SIZE_MAX;
  mutable int cacheStart_ = 0;
  mutable const std::uint32_t* cacheNos_ = nullptr;
  mutable unsigned cacheLen_ = 0;
};

template <class Visit>
void TExtRecordOrder::Walk(int From, Visit&& V) const {
  if (From < 0) From = 0;
  if (From >= size_) return;
  std::size_t ord, off;
  Locate(From, ord, off);
  int pos = From;
  for (; ord < seq_.size(); ++ord, off = 0) {
    const std::vector<std::uint32_t>& nos = blocks_[seq_[ord]].nos;
    for (; off < nos.size(); ++off, ++pos)
      if (!V(pos, nos[off])) return;
  }
}

template <class BlockBefore, class Pred>
int TExtRecordOrder::PartitionPoint(BlockBefore&& BlockFirstBefore, Pred&& Before) const {
  // The last block whose first record still comes before.
  std::size_t lo = 0, hi = seq_.size();
  while (lo < hi) {
    const std::size_t mid = lo + (hi - lo) / 2;
    const std::uint32_t id = seq_[mid];
    bool before;
    if (id < keyKnown_.size() && keyKnown_[id]) {
      before = BlockFirstBefore(id, kKeyKnown);
    } else {
      before = BlockFirstBefore(id, blocks_[id].nos.front());
      if (id < keyKnown_.size()) keyKnown_[id] = 1;
    }
    if (before) lo = mid + 1; else hi = mid;
  }
  if (lo == 0) return 0;
  const std::vector<std::uint32_t>& nos = blocks_[seq_[lo - 1]].nos;
  std::size_t a = 1, b = nos.size();
  while (a < b) {
    const std::size_t mid = a + (b - a) / 2;
    if (Before(nos[mid])) a = mid + 1; else b = mid;
  }
  // The caller reads on from the result: keep its block at hand.
  const int start = Start(lo - 1);
  Remember(lo - 1, start);
  return start + static_cast<int>(a);
}

template <class Pass>
void TExtRecordOrder::EvaluateFlags(Pass&& Passes) {
  std::vector<int> counts(seq_.size());
  flagged_ = 0;
  for (std::size_t ord = 0; ord < seq_.size(); ++ord) {
    Block& b = blocks_[seq_[ord]];
    b.flags.assign(b.nos.size(), 0);
    b.flagged = 0;
    for (std::size_t i = 0; i < b.nos.size(); ++i)
      if (Passes(b.nos[i])) {
        b.flags[i] = 1;
        ++b.flagged;
      }
    counts[ord] = b.flagged;
    flagged_ += b.flagged;
  }
  flags_.Build(counts);
  flagsValid_ = true;
}

}  // namespace ext
