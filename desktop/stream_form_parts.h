// What the two stream motion forms share: the group choice, the ramp and
// speed entries, the stop and halt buttons, and the balloon that confirms a
// command went out.
#pragma once

#include <cstdint>
#include <initializer_list>

#include "aux_hint.h"
#include "ui.h"

namespace desktop {

struct TStreamMotionParts {
  ui::TLabel* lbl_Ch;
  ui::TComboBox* cbb_Ch;
  aux::TAuxHintWindow* hint_Motor;
  ui::TLabel* lbl_Acc;
  ui::TEdit* edt_Acc;
  ui::TLabel* lbl_Dec;
  ui::TEdit* edt_Dec;
  ui::TLabel* lbl_Max_V;
  ui::TEdit* edt_Max_V;
  ui::TButton* btn_Set;
  ui::TButton* btn_Set_Stop;
  ui::TButton* btn_Set_Halt;
};

// Places the shared controls on Form: the group and ramps in a column at
// (Left, Top), the three buttons in a row at (ButtonsLeft, ButtonsTop).
TStreamMotionParts Build_Stream_Motion_Parts(ui::TForm* Form, int Left, int Top, int ButtonsLeft, int ButtonsTop);

// Builds the shared controls on Form and stores them in the form's fields of
// the same names.
template <class TStreamForm>
void Adopt_Stream_Motion_Parts(TStreamForm* Form, int Left, int Top, int ButtonsLeft, int ButtonsTop) {
  const TStreamMotionParts p = Build_Stream_Motion_Parts(Form, Left, Top, ButtonsLeft, ButtonsTop);
  Form->lbl_Ch = p.lbl_Ch;
  Form->cbb_Ch = p.cbb_Ch;
  Form->hint_Motor = p.hint_Motor;
  Form->lbl_Acc = p.lbl_Acc;
  Form->edt_Acc = p.edt_Acc;
  Form->lbl_Dec = p.lbl_Dec;
  Form->edt_Dec = p.edt_Dec;
  Form->lbl_Max_V = p.lbl_Max_V;
  Form->edt_Max_V = p.edt_Max_V;
  Form->btn_Set = p.btn_Set;
  Form->btn_Set_Stop = p.btn_Set_Stop;
  Form->btn_Set_Halt = p.btn_Set_Halt;
}

// The interpolation group chosen (0 to 3).
std::uint16_t Stream_Group(const ui::TComboBox* Choice);

// "指令已发送!" at the mouse, only when every call answered 0: the balloon
// must not claim a command went out that the library refused.
void Confirm_Sent(aux::TAuxHintWindow* Hint, std::initializer_list<std::int32_t> Results);

// A stream parameter dialog's OK and Cancel buttons at the foot of Form.
void Build_Dialog_Buttons(ui::TForm* Form, ui::TButton*& btn_OK, ui::TButton*& btn_Cancel);

}  // namespace desktop
