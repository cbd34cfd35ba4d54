// The generic text search of a data grid: walks the grid's dataset (controls
// disabled) from the current cell or the first record, comparing the text of
// one column or of every visible column, and stops on the first match.
#pragma once

#include "grid/core/db_grid_ex_types.h"

namespace grid {

class TCustomDBGridEx;

// True when found: the dataset stays on the record found and the grid's
// selected column becomes the column of the match. Otherwise the dataset
// goes back where it was. An unknown FieldName raises the grid error; the
// tree range is not used by this search.
bool SearchGridText(TCustomDBGridEx* AGrid, const String& FieldName, const String& Text,
                    TLocateTextTreeFindRangeEx TreeFindRange, TLocateTextMatchingEx Matching,
                    TLocateTextDirectionEx Direction, TLocateTextOptionsEx Options);

// Whether CellText matches Text in the way Matching says (both sides
// upper-cased first when CaseInsensitive).
bool GridTextMatches(const String& CellText, const String& Text, TLocateTextMatchingEx Matching,
                     bool CaseInsensitive);

}  // namespace grid
