// Start-up and shut-down of the program, shared by main() and the tests.
#pragma once

namespace desktop {

// Module start-up of the component libraries, in their fixed order, before
// the first window is created; Stop_Modules runs the clean-up in reverse.
void Start_Modules();
void Stop_Modules();

// Creates the program's windows in their fixed order, all owned by the
// application; the first is the main window.
void Create_Forms();

}  // namespace desktop
