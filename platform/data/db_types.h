// Shared vocabulary of the dataset framework: states, field types, data
// events and the results the storage hooks answer with.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/runtime/exceptions.h"
#include "platform/runtime/rtl_string.h"
#include "platform/runtime/variant.h"

namespace db {

using rtl::String;
using rtl::Variant;
using rtl::EDatabaseError;

// Order matters: callers test "state >= dsInsert".
enum TDataSetState {
  dsInactive, dsBrowse, dsEdit, dsInsert, dsSetKey, dsCalcFields, dsFilter, dsNewValue, dsInternalCalc
};

inline bool IsEditMode(TDataSetState s) { return s == dsEdit || s == dsInsert || s == dsSetKey; }

enum TFieldType {
  ftUnknown, ftString, ftSmallint, ftInteger, ftWord, ftBoolean, ftFloat, ftCurrency, ftBCD, ftDate,
  ftTime, ftDateTime, ftBytes, ftVarBytes, ftAutoInc, ftBlob, ftMemo, ftGraphic, ftFmtMemo,
  ftParadoxOle, ftDBaseOle, ftTypedBinary, ftCursor, ftFixedChar, ftWideString, ftLargeint, ftADT,
  ftArray, ftReference, ftDataSet, ftOraBlob, ftOraClob, ftVariant, ftInterface, ftIDispatch, ftGuid,
  ftTimeStamp, ftFMTBcd, ftFixedWideChar, ftWideMemo, ftOraTimeStamp, ftOraInterval, ftLongWord,
  ftShortint, ftByte, ftExtended
};

const char16_t* FieldTypeName(TFieldType t);
bool IsBlobType(TFieldType t);

enum TFieldKind { fkData, fkCalculated, fkLookup, fkInternalCalc };

enum TDataEvent {
  deFieldChange, deRecordChange, deDataSetChange, deDataSetScroll, deLayoutChange, deUpdateRecord,
  deUpdateState, deCheckBrowseMode, dePropertyChange, deFieldListChange, deFocusControl,
  deParentScroll, deConnectChange, deReconcileError, deDisabledStateChange
};

// What a storage fetch asks for and what it found.
enum TGetMode { gmCurrent, gmNext, gmPrior };
enum TGetResult { grOK = 0, grBOF = 1, grEOF = 2, grError = 3 };

// Stored record, the place before the first, after the last, a new record.
enum TBookmarkFlag { bfCurrent = 0, bfBOF = 1, bfEOF = 2, bfInserted = 3 };

// A bookmark is an opaque byte string handed out by the storage.
using TBookmark = std::vector<std::uint8_t>;

// A record buffer is raw memory owned by the storage hooks.
using TRecordBuffer = std::uint8_t*;

enum TLocateOption { loCaseInsensitive = 1, loPartialKey = 2 };
using TLocateOptions = unsigned;

enum TBlobStreamMode { bmRead, bmWrite, bmReadWrite };

enum TDataAction { daFail, daAbort, daRetry };

// Field-definition attributes.
enum TFieldAttribute { faHiddenCol = 1, faReadonly = 2, faRequired = 4, faLink = 8, faUnNamed = 16, faFixed = 32 };
using TFieldAttributes = unsigned;

// Splits "a;b; c" into names, trimming blanks; empty entries are skipped.
// Pos is a 0-based index into Names and moves past the returned name.
String ExtractFieldName(const String& Names, std::size_t& Pos);

[[noreturn]] void DatabaseError(const String& Message);
[[noreturn]] void DatabaseErrorFmt(std::u16string_view Fmt, const String& Arg);

}  // namespace db
