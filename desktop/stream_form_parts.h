// What the two stream motion forms share: the group choice, the ramp and
// speed entries, the stop and halt buttons, and the balloon that confirms a
// command went out.
#pragma once

#include <cstdint>
#include <initializer_list>

#include "components/support/hint/aux_hint.h"
#include "desktop/form_layout.h"
#include "platform/ui/ui.h"

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

// Builds the shared controls on a form that carries them as its own.
template <class TStreamForm>
void Place_Stream_Motion_Parts(TStreamForm* Form, int Left, int Top, int ButtonsLeft, int ButtonsTop) {
  static_cast<TStreamMotionParts&>(*Form) = Build_Stream_Motion_Parts(Form, Left, Top, ButtonsLeft, ButtonsTop);
}

// The interpolation group chosen (0 to 3).
std::uint16_t Stream_Group(const ui::TComboBox* Choice);

// "指令已发送!" at the mouse, only when every call answered 0: the balloon
// must not claim a command went out that the library refused.
void Confirm_Sent(aux::TAuxHintWindow* Hint, std::initializer_list<std::int32_t> Results);

// A stream parameter dialog's OK and Cancel buttons at the foot of Form.
void Build_Dialog_Buttons(ui::TForm* Form, ui::TButton*& btn_OK, ui::TButton*& btn_Cancel);

// The output dialogs (open-collector and optic): a channel number and its
// state, on, off, OK and Cancel.
template <class TOutputForm>
void Build_Output_State_Dialog(TOutputForm* Form) {
  Form->SetBorderStyle(ui::bsDialog);
  Form->SetPosition(ui::poDesktopCenter);
  Form->SetClientWidth(300);
  Form->SetClientHeight(160);
  Form->lbl_Ch = Place<ui::TLabel>(Form, Form, u"lbl_Ch", u"通道序号", 30, 34, 80, 16);
  Form->edt_Ch = Place_Edit(Form, Form, u"edt_Ch", u"0", 120, 30);
  Form->rb_High = Place<ui::TRadioButton>(Form, Form, u"rb_High", u"开", 60, 70, 60, 20);
  Form->rb_Low = Place<ui::TRadioButton>(Form, Form, u"rb_Low", u"关", 160, 70, 60, 20);
  Form->rb_High->SetChecked(true);
  Build_Dialog_Buttons(Form, Form->btn_OK, Form->btn_Cancel);
}

}  // namespace desktop
