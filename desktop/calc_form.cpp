#include "desktop/calc_form.h"

#include <cmath>
#include <limits>

#include "platform/runtime/convert.h"
#include "platform/runtime/exceptions.h"
#include "desktop/form_layout.h"
#include "desktop/save_reg_form.h"

namespace desktop {

using namespace ui;

TCalcFrm* CalcFrm = nullptr;

namespace {

constexpr int kLinear = 0;
constexpr int kRotary = 1;
constexpr int kScale = 0;
constexpr int kEncoder = 1;
// The largest scale of a pitch that 32 bits hold.
constexpr std::int64_t kMaxScale = 1000000000;

std::int32_t Checked32(std::int64_t Value, const char16_t* What) {
  if (Value < std::numeric_limits<std::int32_t>::min() || Value > std::numeric_limits<std::int32_t>::max())
    throw rtl::ERangeError(rtl::String(What) + u" = " + rtl::IntToStr(Value) + u" 超出 32 位整数范围, 结果未采用");
  return static_cast<std::int32_t>(Value);
}

std::int64_t Product(std::int64_t A, std::int64_t B, const char16_t* What) {
  std::int64_t r = 0;
  if (__builtin_mul_overflow(A, B, &r)) throw rtl::ERangeError(rtl::String(What) + u" 超出 64 位整数范围, 结果未采用");
  return r;
}

std::int64_t Rounded(double Value, const char16_t* What) {
  double r = std::nearbyint(Value);
  if (!std::isfinite(r) || std::fabs(r) > 9.0e18) throw rtl::ERangeError(rtl::String(What) + u" 无法计算, 结果未采用");
  return static_cast<std::int64_t>(r);
}

}  // namespace

const TClassInfo& TCalcFrm::StaticClassInfo() {
  static const TClassInfo info = TClassBuilder<TCalcFrm>("TCalcFrm", &TForm::StaticClassInfo()).Build();
  return info;
}

TCalcFrm::TCalcFrm(TComponent* AOwner) : TForm(AOwner) {
  SetName(u"CalcFrm");
  SetCaption(u"辅助计算");
  SetBorderStyle(bsDialog);
  SetPosition(poDesktopCenter);
  SetClientWidth(484);
  SetClientHeight(475);

  grp_Hardware = Place<TGroupBox>(this, this, u"grp_Hardware", u"机械参数", 8, 4, 468, 140);
  Label3 = Place<TLabel>(this, grp_Hardware, u"Label3", u"类型", 16, 26, 100, 16);
  cbb_Kind = Place<TComboBox>(this, grp_Hardware, u"cbb_Kind", 130, 22, 150, 22);
  cbb_Kind->SetStyle(csDropDownList);
  Label5 = Place<TLabel>(this, grp_Hardware, u"Label5", u"螺距(mm)", 16, 58, 100, 16);
  edt_Line_Pitch = Place_Edit(this, grp_Hardware, u"edt_Line_Pitch", u"1", 130, 54, 100);
  Label1 = Place<TLabel>(this, grp_Hardware, u"Label1", u"直线传动比1:", 250, 58, 100, 16);
  edt_Line_Ratio = Place_Edit(this, grp_Hardware, u"edt_Line_Ratio", u"1", 352, 54, 100);
  Label6 = Place<TLabel>(this, grp_Hardware, u"Label6", u"旋转传动比1:", 16, 98, 100, 16);
  edt_Circle_Ratio = Place_Edit(this, grp_Hardware, u"edt_Circle_Ratio", u"120", 130, 94, 100);

  GroupBox2 = Place<TGroupBox>(this, this, u"GroupBox2", u"驱动参数", 8, 148, 468, 96);
  rb_Step = Place<TRadioButton>(this, GroupBox2, u"rb_Step", u"步进", 16, 24, 80, 20);
  Label11 = Place<TLabel>(this, GroupBox2, u"Label11", u"细分", 110, 26, 40, 16);
  edt_Div = Place_Edit(this, GroupBox2, u"edt_Div", u"8", 160, 22, 100);
  Label15 = Place<TLabel>(this, GroupBox2, u"Label15", u"步距角(°)", 280, 26, 70, 16);
  edt_Angle = Place_Edit(this, GroupBox2, u"edt_Angle", u"1.8", 352, 22, 100);
  Label15->SetVisible(false);
  edt_Angle->SetVisible(false);
  rb_Servo = Place<TRadioButton>(this, GroupBox2, u"rb_Servo", u"伺服", 16, 60, 80, 20);
  lbl_12 = Place<TLabel>(this, GroupBox2, u"lbl_12", u"电子比", 110, 62, 40, 16);
  edt_Ratio = Place_Edit(this, GroupBox2, u"edt_Ratio", u"10000", 160, 58, 100);
  rb_Step->SetChecked(true);

  grp_Encoder = Place<TGroupBox>(this, this, u"grp_Encoder", u"闭环传感器参数", 8, 248, 468, 160);
  lbl_1 = Place<TLabel>(this, grp_Encoder, u"lbl_1", u"传感器类型", 16, 26, 100, 16);
  cbb_Encoder = Place<TComboBox>(this, grp_Encoder, u"cbb_Encoder", 130, 22, 220, 22);
  cbb_Encoder->SetStyle(csDropDownList);
  lbl_11 = Place<TLabel>(this, grp_Encoder, u"lbl_11", u"光栅尺刻度(um)", 16, 58, 110, 16);
  edt_Unit_um = Place_Edit(this, grp_Encoder, u"edt_Unit_um", u"20", 130, 54, 100);
  lbl_13 = Place<TLabel>(this, grp_Encoder, u"lbl_13", u"编码器线数", 250, 58, 90, 16);
  edt_LineCount = Place_Edit(this, grp_Encoder, u"edt_LineCount", u"1000", 352, 54, 100);
  Label7 = Place<TLabel>(this, grp_Encoder, u"Label7", u"圆光栅尺整圆刻线", 16, 94, 110, 16);
  edt_GratingCount = Place_Edit(this, grp_Encoder, u"edt_GratingCount", u"64800", 130, 90, 100);
  Label2 = Place<TLabel>(this, grp_Encoder, u"Label2", u"控制器会对线数4倍频提高分辨率", 16, 128, 300, 16);

  GroupBox1 = Place<TGroupBox>(this, this, u"GroupBox1", rtl::String(), 8, 412, 468, 56);
  btn_OK = Place<TButton>(this, GroupBox1, u"btn_OK", u"确定", 100, 16, 100, 30);
  btn_OK->SetDefault(true);
  btn_Cancel = Place<TButton>(this, GroupBox1, u"btn_Cancel", u"取消", 268, 16, 100, 30);
  btn_Cancel->SetCancel(true);
  btn_Cancel->SetModalResult(mrCancel);

  cbb_Kind->Items()->Add(u"平移台");
  cbb_Kind->Items()->Add(u"旋转台");
  cbb_Kind->SetItemIndex(kLinear);
  cbb_Encoder->Items()->Add(u"光栅尺方式(台面安装)");
  cbb_Encoder->Items()->Add(u"编码器方式(电机轴安装)");
  cbb_Encoder->SetItemIndex(kScale);

  Save_Calc = new kit::TKitPropertyStore(this);
  Save_Calc->SetName(u"Save_Calc");
  for (auto [c, name] : {std::pair<TComponent*, const char16_t*>{cbb_Encoder, u"ItemIndex"},
                         {cbb_Kind, u"ItemIndex"},
                         {edt_Line_Pitch, u"Text"},
                         {edt_Line_Ratio, u"Text"},
                         {edt_Circle_Ratio, u"Text"},
                         {rb_Servo, u"Checked"},
                         {edt_Ratio, u"Text"},
                         {edt_Div, u"Text"},
                         {edt_Angle, u"Text"},
                         {edt_Unit_um, u"Text"},
                         {edt_LineCount, u"Text"},
                         {edt_GratingCount, u"Text"}})
    Save_Calc->AddProperty(c, name);

  cbb_Kind->OnChange = [this](TObject* s) { cbb_KindChange(s); };
  cbb_Encoder->OnChange = [this](TObject* s) { cbb_EncoderChange(s); };
  btn_OK->OnClick = [this](TObject* s) { btn_OKClick(s); };
  OnShow = [this](TObject* s) { FormShow(s); };
  OnDestroy = [this](TObject* s) { FormDestroy(s); };
  Update_Inputs();
}

TCalcFrm::~TCalcFrm() {
  if (CalcFrm == this) CalcFrm = nullptr;
}

void TCalcFrm::FormShow(TObject*) {
  Save_Calc->SetRegIniFile(SaveRegFrm ? SaveRegFrm->KitRegIniFile1 : nullptr);
  Save_Calc->Load();
  Update_Inputs();
}

void TCalcFrm::FormDestroy(TObject*) {
  // At shut-down there is no one left to tell: remembered inputs that cannot
  // be written are lost, as the axis distances are.
  try {
    Save_Calc->SetRegIniFile(SaveRegFrm ? SaveRegFrm->KitRegIniFile1 : nullptr);
    Save_Calc->Save();
  } catch (const rtl::Exception&) {
  }
}

void TCalcFrm::cbb_KindChange(TObject*) { Update_Inputs(); }

void TCalcFrm::cbb_EncoderChange(TObject*) { Update_Inputs(); }

void TCalcFrm::Update_Inputs() {
  const bool rotary = cbb_Kind->ItemIndex() == kRotary;
  const bool encoder = cbb_Encoder->ItemIndex() == kEncoder;
  edt_Line_Pitch->SetEnabled(!rotary);
  edt_Line_Ratio->SetEnabled(!rotary);
  edt_Circle_Ratio->SetEnabled(rotary);
  edt_Unit_um->SetEnabled(!rotary && !encoder);
  edt_LineCount->SetEnabled(encoder);
  edt_GratingCount->SetEnabled(rotary && !encoder);
}

void TCalcFrm::btn_OKClick(TObject*) {
  const std::int64_t pulses =
      rb_Step->Checked() ? Product(rtl::StrToInt(edt_Div->Text()), 200, u"细分 × 200") : rtl::StrToInt(edt_Ratio->Text());
  const bool encoder = cbb_Encoder->ItemIndex() == kEncoder;
  std::int32_t physic = 0, open_steps = 0, close_steps = 0;
  if (cbb_Kind->ItemIndex() == kRotary) {
    const std::int64_t a = rtl::StrToInt(edt_Circle_Ratio->Text());
    physic = 360;
    open_steps = Checked32(Product(pulses, a, u"开环步数"), u"开环步数");
    close_steps = encoder ? Checked32(Product(Product(rtl::StrToInt(edt_LineCount->Text()), 4, u"闭环步数"), a,
                                              u"闭环步数"),
                                      u"闭环步数")
                          : Checked32(Product(rtl::StrToInt(edt_GratingCount->Text()), 4, u"闭环步数"), u"闭环步数");
  } else {
    const double p = rtl::StrToFloat(edt_Line_Pitch->Text());
    const std::int64_t r = rtl::StrToInt(edt_Line_Ratio->Text());
    // The smallest power of ten that makes the pitch whole: the distance then
    // covers whole screw turns.
    auto whole = [](double x) { return std::trunc(x) == std::trunc(x + 0.999999); };
    std::int64_t k = 1;
    while (!whole(static_cast<double>(k) * p)) {
      k *= 10;
      if (k > kMaxScale) throw rtl::ERangeError(u"螺距的小数位数过多, 无法换算为整数, 结果未采用");
    }
    physic = Checked32(Rounded(static_cast<double>(k) * p, u"物理单位"), u"物理单位");
    open_steps = Checked32(Product(Product(pulses, k, u"开环步数"), r, u"开环步数"), u"开环步数");
    if (encoder) {
      close_steps =
          Checked32(Product(Product(rtl::StrToInt(edt_LineCount->Text()), 4, u"闭环步数"), k, u"闭环步数"), u"闭环步数");
    } else {
      const double d = rtl::StrToFloat(edt_Unit_um->Text());
      if (d == 0) throw rtl::ERangeError(u"光栅尺刻度不能为 0, 结果未采用");
      close_steps = Checked32(Product(4, Rounded(p * 1000 * static_cast<double>(k) / d, u"闭环步数"), u"闭环步数"),
                              u"闭环步数");
    }
  }
  FPhysic = physic;
  FOpenSteps = open_steps;
  FCloseSteps = close_steps;
  SetModalResult(mrOk);
}

}  // namespace desktop
