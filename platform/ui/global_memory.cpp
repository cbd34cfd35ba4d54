#include "platform/ui/global_memory.h"

#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "platform/runtime/exceptions.h"

namespace ui {
namespace {

struct Block {
  std::vector<unsigned char> bytes;
  int locks = 0;
};

struct BlockTable {
  std::mutex lock;
  std::unordered_map<HGLOBAL, std::unique_ptr<Block>> blocks;
};

BlockTable& Blocks() {
  static BlockTable table;
  return table;
}

constexpr unsigned ERROR_INVALID_HANDLE = 6;
constexpr unsigned ERROR_NOT_ENOUGH_MEMORY = 8;

Block* Find(BlockTable& t, HGLOBAL Mem) {
  auto it = t.blocks.find(Mem);
  if (it == t.blocks.end()) {
    rtl::SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return it->second.get();
}

}  // namespace

HGLOBAL GlobalAlloc(unsigned, std::size_t Size) {
  auto block = std::make_unique<Block>();
  try {
    block->bytes.assign(Size, 0);
  } catch (const std::bad_alloc&) {
    rtl::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  BlockTable& t = Blocks();
  std::lock_guard<std::mutex> guard(t.lock);
  // The block's own address is its handle: unique while it lives.
  HGLOBAL handle = block.get();
  t.blocks.emplace(handle, std::move(block));
  return handle;
}

void* GlobalLock(HGLOBAL Mem) {
  BlockTable& t = Blocks();
  std::lock_guard<std::mutex> guard(t.lock);
  Block* b = Find(t, Mem);
  if (!b) return nullptr;
  ++b->locks;
  // A zero-sized block still gives a pointer that is not null.
  return b->bytes.empty() ? static_cast<void*>(b) : b->bytes.data();
}

bool GlobalUnlock(HGLOBAL Mem) {
  BlockTable& t = Blocks();
  std::lock_guard<std::mutex> guard(t.lock);
  Block* b = Find(t, Mem);
  if (!b) return false;
  if (b->locks > 0) --b->locks;
  rtl::SetLastError(0);
  return b->locks > 0;
}

std::size_t GlobalSize(HGLOBAL Mem) {
  BlockTable& t = Blocks();
  std::lock_guard<std::mutex> guard(t.lock);
  Block* b = Find(t, Mem);
  return b ? b->bytes.size() : 0;
}

HGLOBAL GlobalFree(HGLOBAL Mem) {
  BlockTable& t = Blocks();
  std::lock_guard<std::mutex> guard(t.lock);
  if (!Find(t, Mem)) return Mem;
  t.blocks.erase(Mem);
  return nullptr;
}

}  // namespace ui
