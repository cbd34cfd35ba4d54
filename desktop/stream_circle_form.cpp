#include "desktop/stream_circle_form.h"

#include "include/JQ_API.h"
#include "platform/runtime/convert.h"
#include "desktop/form_layout.h"

namespace desktop {

using namespace ui;

TStream_CircleFrm* Stream_CircleFrm = nullptr;

const TClassInfo& TStream_CircleFrm::StaticClassInfo() {
  static const TClassInfo info =
      TClassBuilder<TStream_CircleFrm>("TStream_CircleFrm", &TForm::StaticClassInfo()).Build();
  return info;
}

namespace {

ext::TExtSpinEdit* Axis_Spin(TForm* Form, const char16_t* Name, int Value, int Left, int Top) {
  auto* e = Place<ext::TExtSpinEdit>(Form, Form, Name, Left, Top, 80, 22);
  e->SetMinValue(0);
  e->SetMaxValue(15);
  e->SetValue(Value);
  return e;
}

}  // namespace

TStream_CircleFrm::TStream_CircleFrm(TComponent* AOwner) : TForm(AOwner) {
  SetName(u"Stream_CircleFrm");
  SetCaption(u"Stream_CircleFrm");
  SetBorderStyle(bsSingle);
  SetBorderIcons({biSystemMenu, biMinimize});
  SetPosition(poDesktopCenter);
  SetClientWidth(504);
  SetClientHeight(429);

  Place_Stream_Motion_Parts(this, 16, 16, 16, 380);

  lbl_ID0 = Place<TLabel>(this, this, u"lbl_ID0", u"插补轴0", 16, 150, 100, 16);
  edt_ID0 = Axis_Spin(this, u"edt_ID0", 0, 126, 146);
  lbl_ID1 = Place<TLabel>(this, this, u"lbl_ID1", u"插补轴1", 16, 180, 100, 16);
  edt_ID1 = Axis_Spin(this, u"edt_ID1", 1, 126, 176);
  lbl_P0 = Place<TLabel>(this, this, u"lbl_P0", u"插补轴0目标", 16, 214, 100, 16);
  edt_P0 = Place_Edit(this, this, u"edt_P0", u"10000", 126, 210);
  lbl_P1 = Place<TLabel>(this, this, u"lbl_P1", u"插补轴1目标", 16, 244, 100, 16);
  edt_P1 = Place_Edit(this, this, u"edt_P1", u"10000", 126, 240);
  lbl_R = Place<TLabel>(this, this, u"lbl_R", u"圆弧半径", 16, 274, 100, 16);
  edt_R = Place_Edit(this, this, u"edt_R", u"20000", 126, 270);
  lbl_R_Note = Place<TLabel>(this, this, u"lbl_R_Note", u"半径为正为劣弧(短弧)，为负为优弧(长弧)", 16, 304, 400, 16);

  btn_CW_Rel = Place<TButton>(this, this, u"btn_CW_Rel", u"顺时针相对", 290, 16, 100, 30);
  btn_CW_Abs = Place<TButton>(this, this, u"btn_CW_Abs", u"顺时针绝对", 396, 16, 100, 30);
  btn_CCW_Rel = Place<TButton>(this, this, u"btn_CCW_Rel", u"逆时针相对", 290, 56, 100, 30);
  btn_CCW_Abs = Place<TButton>(this, this, u"btn_CCW_Abs", u"逆时针绝对", 396, 56, 100, 30);
  btn_Wait_Circle = Place<TButton>(this, this, u"btn_Wait_Circle", u"等待停止", 396, 380, 100, 30);

  btn_Set->OnClick = [this](TObject* s) { btn_SetClick(s); };
  btn_CW_Rel->OnClick = [this](TObject* s) { btn_CW_RelClick(s); };
  btn_CW_Abs->OnClick = [this](TObject* s) { btn_CW_AbsClick(s); };
  btn_CCW_Rel->OnClick = [this](TObject* s) { btn_CCW_RelClick(s); };
  btn_CCW_Abs->OnClick = [this](TObject* s) { btn_CCW_AbsClick(s); };
  btn_Set_Stop->OnClick = [this](TObject* s) { btn_Set_StopClick(s); };
  btn_Set_Halt->OnClick = [this](TObject* s) { btn_Set_HaltClick(s); };
  btn_Wait_Circle->OnClick = [this](TObject* s) { btn_Wait_CircleClick(s); };
}

TStream_CircleFrm::~TStream_CircleFrm() {
  if (Stream_CircleFrm == this) Stream_CircleFrm = nullptr;
}

void TStream_CircleFrm::btn_SetClick(TObject*) {
  const std::uint16_t g = Stream_Group(cbb_Ch);
  const std::int32_t id0 = edt_ID0->AsInteger(), id1 = edt_ID1->AsInteger();
  const std::int32_t acc = rtl::StrToInt(edt_Acc->Text());
  const std::int32_t dec = rtl::StrToInt(edt_Dec->Text());
  const std::int32_t v = rtl::StrToInt(edt_Max_V->Text());
  const std::int32_t r1 = JQ_Set_Stream_Circle_Axis(g, id0, id1);
  const std::int32_t r2 = JQ_Set_Stream_Circle_Acc(g, acc);
  const std::int32_t r3 = JQ_Set_Stream_Circle_Dec(g, dec);
  const std::int32_t r4 = JQ_Set_Stream_Circle_V_Max(g, v);
  Confirm_Sent(hint_Motor, {r1, r2, r3, r4});
}

void TStream_CircleFrm::Run_Arc(TArcCall Call) {
  const std::uint16_t g = Stream_Group(cbb_Ch);
  const std::int32_t r = rtl::StrToInt(edt_R->Text());
  const std::int32_t p0 = rtl::StrToInt(edt_P0->Text());
  const std::int32_t p1 = rtl::StrToInt(edt_P1->Text());
  Confirm_Sent(hint_Motor, {Call(g, r, p0, p1)});
}

void TStream_CircleFrm::btn_CW_RelClick(TObject*) { Run_Arc(JQ_Set_Stream_Circle_R_CW_Run_Rel); }
void TStream_CircleFrm::btn_CW_AbsClick(TObject*) { Run_Arc(JQ_Set_Stream_Circle_R_CW_Run_Abs); }
void TStream_CircleFrm::btn_CCW_RelClick(TObject*) { Run_Arc(JQ_Set_Stream_Circle_R_CCW_Run_Rel); }
void TStream_CircleFrm::btn_CCW_AbsClick(TObject*) { Run_Arc(JQ_Set_Stream_Circle_R_CCW_Run_Abs); }

void TStream_CircleFrm::btn_Set_StopClick(TObject*) {
  Confirm_Sent(hint_Motor, {JQ_Set_Stream_Circle_Stop(Stream_Group(cbb_Ch))});
}

void TStream_CircleFrm::btn_Set_HaltClick(TObject*) {
  Confirm_Sent(hint_Motor, {JQ_Set_Stream_Circle_Halt(Stream_Group(cbb_Ch))});
}

void TStream_CircleFrm::btn_Wait_CircleClick(TObject*) {
  Confirm_Sent(hint_Motor, {JQ_Set_Stream_Wait_Circle(Stream_Group(cbb_Ch))});
}

}  // namespace desktop
