// Constant reference tables offered by the utility library: mail-error
// texts, registry root-key names, MIME character-set names with their code
// pages, processor-cache descriptors and the property store's ignore list.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "platform/runtime/rtl_string.h"

namespace ext {

extern const std::array<const char*, 26> MapiErrorMessages;

struct TRootKeyAnsi {
  std::uint32_t Key;
  const char* Name;
};
struct TRootKey {
  std::uint32_t Key;
  rtl::String Name;
};
extern const std::array<TRootKeyAnsi, 14> AnsiRootKeys;
// The same rows with wide names.
const std::array<TRootKey, 14>& RootKeys();
// First row of the table with that key, or nullptr.
const TRootKey* FindRootKey(std::uint32_t Key);

struct TCoreCharsetInfo {
  const char16_t* Name;
  std::uint16_t CodePage;
  std::uint16_t FamilyCodePage;
};
std::span<const TCoreCharsetInfo> CharsetInfos();

enum TCacheFamily {
  cfInstructionTLB, cfDataTLB, cfL1InstructionCache, cfL1DataCache, cfL2Cache, cfL2TLB, cfL3Cache, cfTrace,
  cfOther
};
// Ways 0xFF: fully associative. Size is in KB (page size in KB for TLB rows).
struct TCacheInfo {
  std::uint8_t D;
  TCacheFamily Family;
  std::uint32_t Size;
  std::uint8_t WaysOfAssoc;
  std::uint8_t LineSize;
  std::uint8_t LinePerSector;
  std::uint16_t Entries;
  const char16_t* I;
};
std::span<const TCacheInfo> CacheInfos();
const TCacheInfo* FindCacheInfo(std::uint8_t Descriptor);

extern const std::array<const char16_t*, 18> PropertyStoreIgnoreList;

}  // namespace ext
