#include "desktop/stream_line_x_form.h"

#include "platform/runtime/convert.h"
#include "platform/runtime/exceptions.h"
#include "desktop/form_layout.h"

namespace desktop {

using namespace ui;

TStream_LineXFrm* Stream_LineXFrm = nullptr;

namespace {
constexpr int kMinAxes = 2;
constexpr int kMaxAxes = 8;
}  // namespace

const TClassInfo& TStream_LineXFrm::StaticClassInfo() {
  static const TClassInfo info = TClassBuilder<TStream_LineXFrm>("TStream_LineXFrm", &TForm::StaticClassInfo()).Build();
  return info;
}

TStream_LineXFrm::TStream_LineXFrm(TComponent* AOwner) : TForm(AOwner) {
  SetName(u"Stream_LineXFrm");
  SetCaption(u"Stream_LineXFrm");
  SetBorderStyle(bsSingle);
  SetBorderIcons({biSystemMenu, biMinimize});
  SetPosition(poDesktopCenter);
  SetClientWidth(560);
  SetClientHeight(440);

  Place_Stream_Motion_Parts(this, 16, 16, 16, 392);

  lbl_ID_Num = Place<TLabel>(this, this, u"lbl_ID_Num", u"插补轴数", 16, 140, 100, 16);
  edt_ID_Num = Place<ext::TExtSpinEdit>(this, this, u"edt_ID_Num", 126, 136, 80, 22);
  edt_ID_Num->SetMinValue(kMinAxes);
  edt_ID_Num->SetMaxValue(kMaxAxes);
  edt_ID_Num->SetValue(4);

  for (int i = 0; i < kMaxAxes; ++i) {
    const rtl::String n = rtl::IntToStr(i);
    const int y = 170 + i * 27;
    lbl_ID[i] = Place<TLabel>(this, this, (u"lbl_ID" + n).c_str(), u"插补轴" + n, 16, y + 4, 80, 16);
    edt_ID[i] = Place<ext::TExtSpinEdit>(this, this, (u"edt_ID" + n).c_str(), 100, y, 70, 22);
    edt_ID[i]->SetMinValue(0);
    edt_ID[i]->SetMaxValue(15);
    edt_ID[i]->SetValue(i);
    lbl_P[i] = Place<TLabel>(this, this, (u"lbl_P" + n).c_str(), u"插补轴" + n + u"目标", 200, y + 4, 90, 16);
    edt_P[i] = Place_Edit(this, this, (u"edt_P" + n).c_str(), u"1000", 296, y);
  }

  btn_Pos_Abs = Place<TButton>(this, this, u"btn_Pos_Abs", u"绝对移动", 440, 16, 100, 30);
  btn_Pos_Rel = Place<TButton>(this, this, u"btn_Pos_Rel", u"相对移动", 440, 56, 100, 30);
  btn_WaitLine = Place<TButton>(this, this, u"btn_WaitLine", u"等待停止", 440, 392, 100, 30);

  btn_Set->OnClick = [this](TObject* s) { btn_SetClick(s); };
  btn_Pos_Abs->OnClick = [this](TObject* s) { btn_Pos_AbsClick(s); };
  btn_Pos_Rel->OnClick = [this](TObject* s) { btn_Pos_RelClick(s); };
  btn_Set_Stop->OnClick = [this](TObject* s) { btn_Set_StopClick(s); };
  btn_Set_Halt->OnClick = [this](TObject* s) { btn_Set_HaltClick(s); };
  btn_WaitLine->OnClick = [this](TObject* s) { btn_WaitLineClick(s); };
}

TStream_LineXFrm::~TStream_LineXFrm() {
  if (Stream_LineXFrm == this) Stream_LineXFrm = nullptr;
}

void TStream_LineXFrm::btn_SetClick(TObject*) {
  const std::uint16_t g = Stream_Group(cbb_Ch);
  const std::int32_t acc = rtl::StrToInt(edt_Acc->Text());
  const std::int32_t dec = rtl::StrToInt(edt_Dec->Text());
  const std::int32_t v = rtl::StrToInt(edt_Max_V->Text());
  const std::int32_t r1 = JQ_Set_Stream_Line_Acc(g, acc);
  const std::int32_t r2 = JQ_Set_Stream_Line_Dec(g, dec);
  const std::int32_t r3 = JQ_Set_Stream_Line_V_Max(g, v);
  Confirm_Sent(hint_Motor, {r1, r2, r3});
}

void TStream_LineXFrm::Run_Line(TLineCall Call) {
  const std::uint16_t g = Stream_Group(cbb_Ch);
  const std::int32_t count = edt_ID_Num->AsInteger();
  // A count typed past the spin edit's range would be refused by the
  // library anyway; say why instead of sending it.
  if (count < kMinAxes || count > kMaxAxes)
    throw rtl::ERangeError(u"插补轴数必须在 2 到 8 之间: " + rtl::IntToStr(count));
  std::int32_t axes[kMaxAxes];
  std::int32_t targets[kMaxAxes];
  for (int i = 0; i < kMaxAxes; ++i) {
    axes[i] = edt_ID[i]->AsInteger();
    targets[i] = rtl::StrToInt(edt_P[i]->Text());
  }
  Confirm_Sent(hint_Motor, {Call(g, count, axes, targets)});
}

void TStream_LineXFrm::btn_Pos_AbsClick(TObject*) { Run_Line(JQ_Set_Stream_Line_X_Run_Abs); }
void TStream_LineXFrm::btn_Pos_RelClick(TObject*) { Run_Line(JQ_Set_Stream_Line_X_Run_Rel); }

void TStream_LineXFrm::btn_Set_StopClick(TObject*) {
  Confirm_Sent(hint_Motor, {JQ_Set_Stream_Line_Stop(Stream_Group(cbb_Ch))});
}

void TStream_LineXFrm::btn_Set_HaltClick(TObject*) {
  Confirm_Sent(hint_Motor, {JQ_Set_Stream_Line_Halt(Stream_Group(cbb_Ch))});
}

void TStream_LineXFrm::btn_WaitLineClick(TObject*) {
  Confirm_Sent(hint_Motor, {JQ_Set_Stream_Wait_Line(Stream_Group(cbb_Ch))});
}

}  // namespace desktop
