// Unicode support of the utility library: case-insensitive comparison of
// wide texts in a locale, the 8-bit code page of a locale, the table of
// Unicode blocks, and the lock that guards lazily loaded character data.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "components/extended/core/core_synch.h"
#include "platform/runtime/rtl_string.h"

namespace ext {

using rtl::String;

// The locale's 8-bit page; the system page for a locale the platform does
// not know.
std::uint32_t LocaleAnsiCodePage(std::uint32_t Locale);

// -1, 0 or 1 by the locale's order with case ignored (-2 when the platform
// cannot compare).
int CompareTextWide(const String& A, const String& B, std::uint32_t Locale);
// The same after both texts are converted to the locale's 8-bit page.
int CompareTextNarrow(const String& A, const String& B, std::uint32_t Locale);
using TCompareTextNoCase = int (*)(const String&, const String&, std::uint32_t);
// Chosen at unit start-up by the platform's family.
TCompareTextNoCase CompareTextNoCase();

struct TUnicodeBlockRange {
  std::uint32_t RangeStart;
  std::uint32_t RangeEnd;
};
struct TUnicodeBlock {
  TUnicodeBlockRange Range;
  const char16_t* Name;
};
inline constexpr int UnicodeBlockCount = 155;
// Row 0 is "No-block", an empty range; rows 1-154 the blocks of Unicode 5.0.
const std::array<TUnicodeBlock, UnicodeBlockCount>& UnicodeBlockTable();

// Containers of lazily loaded character properties; nothing fills them here.
struct TUnicodeCharData {
  using Page = std::unique_ptr<std::vector<std::uint32_t>>;
  std::array<Page, 256> Categories, CaseMapping, Decompositions, CompatibleDecompositions, CombiningClasses;
  std::vector<std::uint32_t> CodeIndex;
  std::vector<double> Numbers;
  std::vector<std::uint32_t> Compositions;
};
// Read and changed only while UnicodeDataLock is held.
TUnicodeCharData& UnicodeCharData();

// Created by SetUpUnicodeUnit, freed by TearDownUnicodeUnit (null then).
TCoreCriticalSection* UnicodeDataLock();
// Unit start-up and shut-down, called by the program in that order. The
// platform identifier's bit 0x2 (NT family) picks the wide comparison.
void SetUpUnicodeUnit(std::uint32_t PlatformId = 2);
void TearDownUnicodeUnit();

}  // namespace ext
