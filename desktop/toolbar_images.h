// The tool-bar pictures of the main and auto-run windows, drawn at start-up.
#pragma once

#include "platform/ui/ui.h"

namespace desktop {

// Fills a 32 x 32 image list with the pictures of the main tool bar, at the
// indexes its buttons use (connect 8, setup 6, stop 11, auto-run 15, start
// several 16, halt 17, inputs 18, outputs 19); the other places stay blank.
void Draw_Main_Toolbar_Images(ui::TImageList* List);
// The auto-run window's: save 0, open 1, stop 4, run 5, halt 6, pause 9.
void Draw_Auto_Toolbar_Images(ui::TImageList* List);

}  // namespace desktop
