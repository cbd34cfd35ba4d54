// Character classes, case maps and string helpers shared by the extended
// controls and the utility classes. Positions and Index arguments count
// from 1; CopyCharsInto takes 0-based indexes.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "platform/runtime/rtl_string.h"
#include "platform/classes/string_list.h"

namespace ext {

using rtl::String;

// --- tables (filled once, on first use or by InitStringTables) --------------
constexpr int CaseMapLower = 0;
constexpr int CaseMapUpper = 65536;
constexpr int CaseMapSwap = 131072;
constexpr int AnsiCaseMapLower = 0;
constexpr int AnsiCaseMapUpper = 256;
constexpr int AnsiCaseMapSwap = 512;

// Type-1 class masks (C1_UPPER 0x1 ... C1_ALPHA 0x100) of every UTF-16 unit.
const std::uint16_t* CharTypeTable();
// Three sections of 65536 units: lower, upper, swapped case.
const char16_t* CaseMapTable();
bool CaseMapReady();
const std::uint16_t* AnsiCharTypeTable();
const std::uint8_t* AnsiCaseMapTable();
std::uint8_t AnsiReplacementChar();

// Start-up of the string units; each runs once (later calls do nothing).
void ReadAnsiDefaultChar();
void FillCharTypeTable();
void FillCaseMapTables();
void FillAnsiCharTypeTable();
void FillAnsiCaseMapTables();
void InitStringTables();

extern const std::array<const char16_t*, 2> BooleanIdents;       // "False", "True"
extern const std::array<const char16_t*, 2> BooleanLowerIdents;  // "false", "true"
extern const std::array<const char*, 2> AnsiBooleanIdents;       // "False", "True"

// --- character tests ----------------------------------------------------------
bool IsUpperChar(char16_t C);
bool IsLowerChar(char16_t C);
bool IsAnsiUpperChar(std::uint8_t B);
bool IsAnsiLowerChar(std::uint8_t B);

// --- string operations ---------------------------------------------------------
void MapCharsInPlace(String& S, int SectionOffset);
void UpperCaseInPlace(String& S);
String UpperCaseCopy(const String& S);
int CountCharOccurrences(const String& S, char16_t C);
String ReplaceCharCopy(const String& S, char16_t Old, char16_t New);
void CutAtFirstNull(String& S);
// 1-based position of Sub in S ignoring case; 0 when absent or Sub is empty.
int FindTextNoCase(const String& Sub, const String& S);
int FindTextNoCaseFrom(const String& Sub, const String& S, int Index);
String TextBeforeDelimiter(const String& Delimiter, const String& S);
String LeftPart(const String& S, int Count);
String MiddlePart(const String& S, int Index, int Count);
String RestFrom(const String& S, int Index);
int FindCharForward(const String& S, char16_t C, int Index);
int FindCharBackward(const String& S, char16_t C, int Index);
String EnsureTrailingText(const String& Suffix, const String& S);
// Pieces between separators; an empty separator finds nothing (the whole
// text is one piece). A trailing empty piece is never added. A missing list
// raises EAssertionFailed.
void SplitText(const String& S, const String& Separator, ui::TStringList* List, bool AllowEmpty);
String TakeToken(String& S, char16_t Separator);
// Copies Count units from Source[SourceIndex] over Dest[DestIndex]
// (0-based); a range outside either string raises ERangeError and leaves
// Dest unchanged.
void CopyCharsInto(const String& Source, int SourceIndex, String& Dest, int DestIndex, int Count);

// --- bits of a word array (bit n in word n / 32, bit n % 32) --------------------
void SetBitInArray(std::uint32_t* Words, unsigned N);
bool TestBitInArray(const std::uint32_t* Words, unsigned N);

}  // namespace ext
