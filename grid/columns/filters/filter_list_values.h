// The generic contents of a column's filter drop-down: the command lines
// and the column's distinct values under the other columns' filters. The
// behaviour centre's defaults fill the list with these when no dataset
// features object does it.
#pragma once

#include "platform/classes/string_list.h"

namespace grid {

class TCustomDBGridEx;
class TColumnEx;

void FillSTFilterListCommandValues(TCustomDBGridEx* Grid, TColumnEx* Column, ui::TStrings* Items);
void StandardFillSTFilterListDataValues(TCustomDBGridEx* Grid, TColumnEx* Column, ui::TStrings* Items);

}  // namespace grid
