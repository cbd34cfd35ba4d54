#include "desktop/stream_form_parts.h"

#include <algorithm>

#include "desktop/form_layout.h"

namespace desktop {

using namespace ui;

TStreamMotionParts Build_Stream_Motion_Parts(TForm* Form, int Left, int Top, int ButtonsLeft, int ButtonsTop) {
  TStreamMotionParts p{};
  p.hint_Motor = new aux::TAuxHintWindow(Form);
  p.hint_Motor->SetName(u"hint_Motor");
  p.hint_Motor->SetHintPosition(aux::hpUpLeft);
  p.hint_Motor->SetAlignment(taLeftJustify);
  p.hint_Motor->SetHintStyle(aux::hsAuto);

  p.lbl_Ch = Place<TLabel>(Form, Form, u"lbl_Ch", u"插补组", Left, Top + 4, 100, 16);
  p.cbb_Ch = Place<TComboBox>(Form, Form, u"cbb_Ch", Left + 110, Top, 120, 22);
  p.cbb_Ch->SetStyle(csDropDownList);
  for (const char16_t* g : {u"第一组", u"第二组", u"第三组", u"第四组"}) p.cbb_Ch->Items()->Add(g);
  p.cbb_Ch->SetItemIndex(0);
  p.lbl_Acc = Place<TLabel>(Form, Form, u"lbl_Acc", u"加速度(hz/s²)", Left, Top + 34, 100, 16);
  p.edt_Acc = Place_Edit(Form, Form, u"edt_Acc", u"1000", Left + 110, Top + 30);
  p.lbl_Dec = Place<TLabel>(Form, Form, u"lbl_Dec", u"减速度(hz/s²)", Left, Top + 64, 100, 16);
  p.edt_Dec = Place_Edit(Form, Form, u"edt_Dec", u"1000", Left + 110, Top + 60);
  p.lbl_Max_V = Place<TLabel>(Form, Form, u"lbl_Max_V", u"主轴速度(hz/s)", Left, Top + 94, 100, 16);
  p.edt_Max_V = Place_Edit(Form, Form, u"edt_Max_V", u"1000", Left + 110, Top + 90);

  p.btn_Set = Place<TButton>(Form, Form, u"btn_Set", u"设置参数", ButtonsLeft, ButtonsTop, 90, 30);
  p.btn_Set_Stop = Place<TButton>(Form, Form, u"btn_Set_Stop", u"停止", ButtonsLeft + 100, ButtonsTop, 90, 30);
  p.btn_Set_Halt = Place<TButton>(Form, Form, u"btn_Set_Halt", u"急停", ButtonsLeft + 200, ButtonsTop, 90, 30);
  return p;
}

std::uint16_t Stream_Group(const TComboBox* Choice) {
  return static_cast<std::uint16_t>(std::clamp(Choice->ItemIndex(), 0, 3));
}

void Confirm_Sent(aux::TAuxHintWindow* Hint, std::initializer_list<std::int32_t> Results) {
  if (std::all_of(Results.begin(), Results.end(), [](std::int32_t r) { return r == 0; }))
    Hint->ActivateHint(u"指令已发送!", u"提示:");
}

void Build_Dialog_Buttons(TForm* Form, TButton*& btn_OK, TButton*& btn_Cancel) {
  const int top = Form->ClientHeight() - 44;
  btn_OK = Place<TButton>(Form, Form, u"btn_OK", u"确定", Form->ClientWidth() / 2 - 100, top, 90, 30);
  btn_OK->SetModalResult(mrOk);
  btn_OK->SetDefault(true);
  btn_Cancel = Place<TButton>(Form, Form, u"btn_Cancel", u"取消", Form->ClientWidth() / 2 + 10, top, 90, 30);
  btn_Cancel->SetModalResult(mrCancel);
  btn_Cancel->SetCancel(true);
}

}  // namespace desktop
