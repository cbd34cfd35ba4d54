// Movable memory blocks, the currency of the clipboard's handle calls: a
// block is allocated with a size, locked to reach its bytes, unlocked and
// freed. Handles are checked, so a stale or foreign handle fails instead of
// touching memory (last error 6, invalid handle).
#pragma once

#include <cstddef>

namespace ui {

using HGLOBAL = void*;

constexpr unsigned GMEM_FIXED = 0x0000;
constexpr unsigned GMEM_MOVEABLE = 0x0002;
constexpr unsigned GMEM_ZEROINIT = 0x0040;
constexpr unsigned GMEM_DDESHARE = 0x2000;
constexpr unsigned GHND = GMEM_MOVEABLE | GMEM_ZEROINIT;

// A new block of Size bytes (zeroed always), or nullptr.
HGLOBAL GlobalAlloc(unsigned Flags, std::size_t Size);
// The block's bytes, or nullptr for a bad handle; counts the locks.
void* GlobalLock(HGLOBAL Mem);
// False once the last lock is released (last error 0), or for a bad handle.
bool GlobalUnlock(HGLOBAL Mem);
// Size in bytes; 0 for a bad handle.
std::size_t GlobalSize(HGLOBAL Mem);
// nullptr when freed; the handle itself when it was not a block.
HGLOBAL GlobalFree(HGLOBAL Mem);

}  // namespace ui
