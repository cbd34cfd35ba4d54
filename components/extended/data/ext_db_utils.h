// Locating by a sequential scan and copying field values between the
// current records of two datasets; work for any dataset of the framework.
#pragma once

#include <vector>

#include "platform/data/dataset.h"

namespace ext {

using rtl::String;
using rtl::Variant;

// Key fields separated by ";". Finishes a pending edit first; on no match
// the cursor returns to where it was. Unknown names raise "Field '%s' not found".
bool LocateByScan(db::TDataSet* DataSet, const String& KeyFields, const Variant& KeyValues,
                  db::TLocateOptions Options);
// One field: KeyValues is the value itself; several: element i for field i.
bool CurrentRecordMatches(const std::vector<db::TField*>& Fields, const Variant& KeyValues, db::TLocateOptions Options);
// Text fields honour loPartialKey and loCaseInsensitive; others compare as variants.
bool FieldMatchesKey(db::TField* Field, const Variant& KeyValue, db::TLocateOptions Options);
// Into Dest's current record (edit, insert or set-key state), by field name
// or by definition position; Dest's auto-increment fields keep their values.
void CopyFieldValues(db::TDataSet* Source, db::TDataSet* Dest, bool ByName);
// The next name of a ";"-separated list, moving Pos past it.
inline String NextFieldName(const String& Names, std::size_t& Pos) { return db::ExtractFieldName(Names, Pos); }

}  // namespace ext
