// What the connect sequence does to the main window, for tests and checks
// that reach the controller through the library directly.
#pragma once

#include <cstdint>

#include "desktop/main_form.h"

namespace desktop {

struct TMainFrmAccess {
  static void Set_Counts(TMainFrm* Form, std::int32_t Axes, std::int32_t Encoders, std::int32_t Inputs,
                         std::int32_t Outputs) {
    Form->F_Axis_Num = Axes;
    Form->F_Encoder_Num = Encoders;
    Form->F_Optic_In_Num = Inputs;
    Form->F_Optic_Out_Num = Outputs;
  }
  static void Load_Axis_Config(TMainFrm* Form) { Form->Load_Axis_Config(); }
  static void Create_Axis_Frames(TMainFrm* Form) { Form->Create_Axis_Frames(); }
  static void Create_Run_Frames(TMainFrm* Form) { Form->Create_Run_Frames(); }
  static void Create_Optic_In(TMainFrm* Form) { Form->Create_Optic_In(); }
  static void Create_Optic_Out(TMainFrm* Form) { Form->Create_Optic_Out(); }
};

}  // namespace desktop
