// Tables for colour pickers and a pop-up calculator: filled when the library
// starts, cleared when it shuts down; empty in between those.
#pragma once

#include <vector>

#include "components/support/panels/kit_common.h"

namespace kit {

struct TKitColorEntry {
  TColor Color;
  String Name;
};

// 70 rows: an office-style palette of 40 colours, then the system colours
// 0 to 30 without 25.
const std::vector<TKitColorEntry>& PaletteColors();
// The 19 key captions of the calculator.
const std::vector<String>& CalculatorCaptions();
// "Default", "Custom", the 16 standard colours, the system colours 0 to 24
// and one empty entry.
const std::vector<TKitColorEntry>& ColorNames();
// The six texts of the pickers and the calculator.
const std::vector<String>& LibraryTexts();

void InitPanelDataTables();
void DonePanelDataTables();

}  // namespace kit
