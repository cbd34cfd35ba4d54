#include "components/extended/data/ext_record_store.h"

#include <algorithm>
#include <stdexcept>

namespace ext {

// ---------------------------------------------------------------- slots

void TExtSlotPool::Reset(std::size_t SlotSize) {
  chunks_.clear();
  free_.clear();
  next_ = 0;
  slotSize_ = SlotSize;
}

std::uint32_t TExtSlotPool::Take() {
  if (!free_.empty()) {
    std::uint32_t no = free_.back();
    free_.pop_back();
    return no;
  }
  if (next_ == UINT32_MAX) throw std::length_error("record slots exhausted");
  std::uint32_t chunk, at;
  Place(next_, chunk, at);
  if (chunk >= chunks_.size()) {
    const std::size_t slots = chunk < kDoublings ? std::size_t(kFirst) << chunk : kLarge;
    chunks_.emplace_back(new std::uint8_t[slots * slotSize_]);  // slots are cleared when taken
  }
  return next_++;
}

// ---------------------------------------------------------------- running sums

void TExtBlockSums::Build(const std::vector<int>& Values) {
  const std::size_t n = Values.size();
  tree_.assign(n + 1, 0);
  for (std::size_t i = 1; i <= n; ++i) {
    tree_[i] += Values[i - 1];
    const std::size_t up = i + (i & (~i + 1));
    if (up <= n) tree_[up] += tree_[i];
  }
  top_ = 1;
  while (top_ * 2 <= n) top_ *= 2;
  if (n == 0) top_ = 0;
}

void TExtBlockSums::Add(std::size_t At, int Delta) {
  for (std::size_t i = At + 1; i < tree_.size(); i += i & (~i + 1)) tree_[i] += Delta;
}

int TExtBlockSums::Before(std::size_t At) const {
  int sum = 0;
  for (std::size_t i = At; i > 0; i -= i & (~i + 1)) sum += tree_[i];
  return sum;
}

std::size_t TExtBlockSums::Find(int K) const {
  std::size_t at = 0;
  for (std::size_t step = top_; step > 0; step /= 2) {
    if (at + step < tree_.size() && tree_[at + step] <= K) {
      at += step;
      K -= tree_[at];
    }
  }
  return at;
}

// ---------------------------------------------------------------- the order

void TExtRecordOrder::Locate(int Pos, std::size_t& Ord, std::size_t& Offset) const {
  if (cacheOrd_ < seq_.size()) {
    const int n = static_cast<int>(cacheLen_);
    if (Pos >= cacheStart_ && Pos < cacheStart_ + n) {
      Ord = cacheOrd_;
      Offset = static_cast<std::size_t>(Pos - cacheStart_);
      return;
    }
    // The block right after or before the cached one: the next step of a
    // scan, or of a window filled backwards.
    if (Pos >= cacheStart_ + n && cacheOrd_ + 1 < seq_.size() &&
        Pos < cacheStart_ + n + static_cast<int>(blocks_[seq_[cacheOrd_ + 1]].nos.size())) {
      Remember(cacheOrd_ + 1, cacheStart_ + n);
    } else if (Pos < cacheStart_ && cacheOrd_ > 0 &&
               Pos >= cacheStart_ - static_cast<int>(blocks_[seq_[cacheOrd_ - 1]].nos.size())) {
      Remember(cacheOrd_ - 1, cacheStart_ - static_cast<int>(blocks_[seq_[cacheOrd_ - 1]].nos.size()));
    } else {
      Forget();
    }
    if (cacheOrd_ < seq_.size()) {
      Ord = cacheOrd_;
      Offset = static_cast<std::size_t>(Pos - cacheStart_);
      return;
    }
  }
  if (Pos >= size_) {
    Ord = seq_.empty() ? 0 : seq_.size() - 1;
    Offset = seq_.empty() ? 0 : blocks_[seq_[Ord]].nos.size();
    return;
  }
  Ord = sizes_.Find(Pos);
  Remember(Ord, Start(Ord));
  Offset = static_cast<std::size_t>(Pos - cacheStart_);
}

void TExtRecordOrder::Remember(std::size_t Ord, int Start) const {
  const std::vector<std::uint32_t>& nos = blocks_[seq_[Ord]].nos;
  cacheOrd_ = Ord;
  cacheStart_ = Start;
  cacheNos_ = nos.data();
  cacheLen_ = static_cast<unsigned>(nos.size());
}

std::uint32_t TExtRecordOrder::AtAnyBlock(int Pos) const {
  std::size_t ord, off;
  Locate(Pos, ord, off);
  return blocks_[seq_[ord]].nos[off];
}

int TExtRecordOrder::PositionOf(std::uint32_t No, int Hint) const {
  if (No >= blockOf_.size()) return -1;
  // The framework asks for the records of its window, which sit around the
  // cursor: look there first, across a block's edge too, before reading
  // the record's block entry (in a large table, a miss in the cache).
  if (Hint >= 0 && Hint < size_) {
    std::size_t ord, off;
    Locate(Hint, ord, off);
    const std::vector<std::uint32_t>& cur = blocks_[seq_[ord]].nos;
    const std::vector<std::uint32_t>* prev = ord > 0 ? &blocks_[seq_[ord - 1]].nos : nullptr;
    const std::vector<std::uint32_t>* next = ord + 1 < seq_.size() ? &blocks_[seq_[ord + 1]].nos : nullptr;
    const int at = static_cast<int>(off), n = static_cast<int>(cur.size());
    // The entry Hint + D, or none past the neighbouring blocks.
    auto is = [&](int D) {
      const int i = at + D;
      if (i >= 0 && i < n) return cur[static_cast<std::size_t>(i)] == No;
      if (i < 0) return prev && -i <= static_cast<int>(prev->size()) && (*prev)[prev->size() - static_cast<std::size_t>(-i)] == No;
      return next && i - n < static_cast<int>(next->size()) && (*next)[static_cast<std::size_t>(i - n)] == No;
    };
    for (int d = 0; d < kNear; ++d) {
      if (is(d)) return Hint + d;
      if (d > 0 && is(-d)) return Hint - d;
    }
  }
  // A number no longer in the order keeps the block entry it last had, and
  // after the order is replaced that block may be gone.
  if (blockOf_[No] >= blocks_.size()) return -1;
  const Block& b = blocks_[blockOf_[No]];
  auto it = std::find(b.nos.begin(), b.nos.end(), No);
  if (it == b.nos.end()) return -1;
  return Start(b.ord) + static_cast<int>(it - b.nos.begin());
}

std::uint32_t TExtRecordOrder::NewBlock() {
  if (!free_.empty()) {
    std::uint32_t id = free_.back();
    free_.pop_back();
    keyKnown_[id] = 0;
    return id;
  }
  blocks_.emplace_back();
  keyKnown_.resize(blocks_.size(), 0);
  return static_cast<std::uint32_t>(blocks_.size() - 1);
}

void TExtRecordOrder::ForgetFirst(std::uint32_t No) {
  // A number no longer in the order may name a block that is gone or
  // reused; it is the first of no block then.
  if (No >= blockOf_.size() || blockOf_[No] >= blocks_.size()) return;
  const std::uint32_t id = blockOf_[No];
  if (!blocks_[id].nos.empty() && blocks_[id].nos.front() == No) keyKnown_[id] = 0;
}

void TExtRecordOrder::Renumber() {
  std::vector<int> sizes(seq_.size()), flagged(seq_.size());
  for (std::size_t ord = 0; ord < seq_.size(); ++ord) {
    Block& b = blocks_[seq_[ord]];
    b.ord = static_cast<std::uint32_t>(ord);
    sizes[ord] = static_cast<int>(b.nos.size());
    flagged[ord] = b.flagged;
  }
  sizes_.Build(sizes);
  flags_.Build(flagged);
  Forget();
}

void TExtRecordOrder::SplitBlock(std::size_t Ord) {
  const std::uint32_t id = NewBlock();
  Block& b = blocks_[seq_[Ord]];
  Block& nb = blocks_[id];
  const std::size_t half = b.nos.size() / 2;
  nb.nos.assign(b.nos.begin() + static_cast<std::ptrdiff_t>(half), b.nos.end());
  b.nos.resize(half);
  nb.flagged = 0;
  nb.flags.clear();
  if (flagsValid_) {
    nb.flags.assign(b.flags.begin() + static_cast<std::ptrdiff_t>(half), b.flags.end());
    b.flags.resize(half);
    nb.flagged = static_cast<int>(std::count(nb.flags.begin(), nb.flags.end(), 1));
    b.flagged -= nb.flagged;
  }
  for (std::uint32_t no : nb.nos) blockOf_[no] = id;
  seq_.insert(seq_.begin() + static_cast<std::ptrdiff_t>(Ord) + 1, id);
  Renumber();
}

void TExtRecordOrder::RemoveBlock(std::size_t Ord) {
  const std::uint32_t id = seq_[Ord];
  Block& b = blocks_[id];
  std::vector<std::uint32_t>().swap(b.nos);
  std::vector<std::uint8_t>().swap(b.flags);
  b.flagged = 0;
  free_.push_back(id);
  seq_.erase(seq_.begin() + static_cast<std::ptrdiff_t>(Ord));
  Renumber();
}

void TExtRecordOrder::MergeWithNext(std::size_t Ord) {
  Block& b = blocks_[seq_[Ord]];
  Block& next = blocks_[seq_[Ord + 1]];
  const std::uint32_t id = seq_[Ord];
  for (std::uint32_t no : next.nos) blockOf_[no] = id;
  b.nos.insert(b.nos.end(), next.nos.begin(), next.nos.end());
  if (flagsValid_) b.flags.insert(b.flags.end(), next.flags.begin(), next.flags.end());
  b.flagged += next.flagged;
  next.flagged = 0;
  RemoveBlock(Ord + 1);
}

void TExtRecordOrder::Insert(int Pos, std::uint32_t No) {
  Pos = std::clamp(Pos, 0, size_);
  if (No >= blockOf_.size()) {
    GrowForRecords(blockOf_, std::size_t(No) + 1);
    blockOf_.resize(std::size_t(No) + 1);
  }
  if (seq_.empty()) {
    seq_.push_back(NewBlock());
    Renumber();
  }
  std::size_t ord, off;
  Locate(Pos, ord, off);
  // Appending past a full last block opens a new one, so a table filled
  // in order keeps its blocks full.
  if (Pos == size_ && blocks_[seq_[ord]].nos.size() >= kTarget) {
    seq_.push_back(NewBlock());
    Renumber();
    ord = seq_.size() - 1;
    off = 0;
  } else if (blocks_[seq_[ord]].nos.size() >= kMax) {
    SplitBlock(ord);
    Locate(Pos, ord, off);
  }
  const std::uint32_t id = seq_[ord];
  Block& b = blocks_[id];
  b.nos.insert(b.nos.begin() + static_cast<std::ptrdiff_t>(off), No);
  if (off == 0) keyKnown_[id] = 0;
  if (flagsValid_) b.flags.insert(b.flags.begin() + static_cast<std::ptrdiff_t>(off), 0);
  blockOf_[No] = id;
  sizes_.Add(ord, 1);
  ++size_;
  Forget();
}

std::uint32_t TExtRecordOrder::Erase(int Pos) {
  std::size_t ord, off;
  Locate(Pos, ord, off);
  Block& b = blocks_[seq_[ord]];
  const std::uint32_t no = b.nos[off];
  b.nos.erase(b.nos.begin() + static_cast<std::ptrdiff_t>(off));
  if (off == 0) keyKnown_[seq_[ord]] = 0;
  if (flagsValid_) {
    if (b.flags[off]) {
      --b.flagged;
      --flagged_;
      flags_.Add(ord, -1);
    }
    b.flags.erase(b.flags.begin() + static_cast<std::ptrdiff_t>(off));
  }
  sizes_.Add(ord, -1);
  --size_;
  Forget();
  if (b.nos.empty()) {
    RemoveBlock(ord);
  } else if (b.nos.size() < kTarget / 4 && ord + 1 < seq_.size() &&
             b.nos.size() + blocks_[seq_[ord + 1]].nos.size() <= kTarget) {
    MergeWithNext(ord);
  }
  return no;
}

void TExtRecordOrder::Assign(const std::vector<std::uint32_t>& Nos) {
  blocks_.clear();
  keyKnown_.clear();
  free_.clear();
  seq_.clear();
  flagsValid_ = false;
  flagged_ = 0;
  std::uint32_t top = 0;
  for (std::uint32_t no : Nos) top = std::max(top, no + 1);
  if (blockOf_.size() < top) blockOf_.resize(top);
  if (Nos.empty()) std::vector<std::uint32_t>().swap(blockOf_);
  for (std::size_t from = 0; from < Nos.size(); from += kTarget) {
    const std::uint32_t id = NewBlock();
    const std::size_t to = std::min(Nos.size(), from + kTarget);
    blocks_[id].nos.assign(Nos.begin() + static_cast<std::ptrdiff_t>(from), Nos.begin() + static_cast<std::ptrdiff_t>(to));
    for (std::size_t i = from; i < to; ++i) blockOf_[Nos[i]] = id;
    seq_.push_back(id);
  }
  size_ = static_cast<int>(Nos.size());
  Renumber();
}

// ---------------------------------------------------------------- flags

void TExtRecordOrder::DropFlags() {
  if (!flagsValid_) return;
  for (std::uint32_t id : seq_) {
    std::vector<std::uint8_t>().swap(blocks_[id].flags);
    blocks_[id].flagged = 0;
  }
  flagsValid_ = false;
  flagged_ = 0;
  flags_.Build(std::vector<int>(seq_.size(), 0));
}

bool TExtRecordOrder::Flag(int Pos) const {
  if (!flagsValid_ || Pos < 0 || Pos >= size_) return false;
  std::size_t ord, off;
  Locate(Pos, ord, off);
  return blocks_[seq_[ord]].flags[off] != 0;
}

void TExtRecordOrder::SetFlag(int Pos, bool Value) {
  if (!flagsValid_ || Pos < 0 || Pos >= size_) return;
  std::size_t ord, off;
  Locate(Pos, ord, off);
  Block& b = blocks_[seq_[ord]];
  if ((b.flags[off] != 0) == Value) return;
  b.flags[off] = Value ? 1 : 0;
  const int delta = Value ? 1 : -1;
  b.flagged += delta;
  flagged_ += delta;
  flags_.Add(ord, delta);
}

int TExtRecordOrder::NextFlagged(int Pos) const {
  const int from = std::max(Pos + 1, 0);
  if (!flagsValid_ || from >= size_ || flagged_ == 0) return -1;
  std::size_t ord, off;
  Locate(from, ord, off);
  int start = from - static_cast<int>(off);
  const Block* b = &blocks_[seq_[ord]];
  if (b->flagged > 0) {
    auto it = std::find(b->flags.begin() + static_cast<std::ptrdiff_t>(off), b->flags.end(), 1);
    if (it != b->flags.end()) return start + static_cast<int>(it - b->flags.begin());
  }
  const int before = flags_.Before(ord + 1);
  if (before >= flagged_) return -1;
  ord = flags_.Find(before);
  b = &blocks_[seq_[ord]];
  start = Start(ord);
  auto it = std::find(b->flags.begin(), b->flags.end(), 1);
  return start + static_cast<int>(it - b->flags.begin());
}

int TExtRecordOrder::PriorFlagged(int Pos) const {
  const int from = std::min(Pos, size_) - 1;
  if (!flagsValid_ || from < 0 || flagged_ == 0) return -1;
  std::size_t ord, off;
  Locate(from, ord, off);
  int start = from - static_cast<int>(off);
  const Block* b = &blocks_[seq_[ord]];
  if (b->flagged > 0) {
    for (std::size_t i = off + 1; i-- > 0;)
      if (b->flags[i]) return start + static_cast<int>(i);
  }
  const int before = flags_.Before(ord);
  if (before == 0) return -1;
  ord = flags_.Find(before - 1);
  b = &blocks_[seq_[ord]];
  start = Start(ord);
  for (std::size_t i = b->flags.size(); i-- > 0;)
    if (b->flags[i]) return start + static_cast<int>(i);
  return -1;
}

}  // namespace ext
