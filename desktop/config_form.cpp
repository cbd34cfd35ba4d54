#include "desktop/config_form.h"

#include <algorithm>

#include "desktop/auto_code.h"
#include "desktop/axis_config.h"
#include "desktop/calc_form.h"
#include "platform/runtime/convert.h"
#include "platform/runtime/exceptions.h"
#include "desktop/form_layout.h"
#include "platform/classes/ini_files.h"
#include "desktop/settings_file.h"

namespace desktop {

using namespace ui;

TConfigFrm* ConfigFrm = nullptr;

const TClassInfo& TConfigFrm::StaticClassInfo() {
  static const TClassInfo info = TClassBuilder<TConfigFrm>("TConfigFrm", &TForm::StaticClassInfo()).Build();
  return info;
}

TConfigFrm::TConfigFrm(TComponent* AOwner) : TForm(AOwner) {
  SetName(u"ConfigFrm");
  SetCaption(u"参数配置");
  SetBorderStyle(bsDialog);
  SetPosition(poDesktopCenter);
  SetClientWidth(482);
  SetClientHeight(490);

  grp_Visible = Place<TGroupBox>(this, this, u"grp_Visible", u"显示", 8, 4, 466, 48);
  chk_Visible = Place<TCheckBox>(this, grp_Visible, u"chk_Visible", u"显示本轴", 16, 20, 120, 20);
  chk_Visible->SetChecked(true);

  grp_Caption = Place<TGroupBox>(this, this, u"grp_Caption", u"轴信息", 8, 56, 466, 56);
  lbl_Caption = Place<TLabel>(this, grp_Caption, u"lbl_Caption", u"轴名称", 16, 26, 60, 16);
  edt_Caption = Place_Edit(this, grp_Caption, u"edt_Caption", u"0", 80, 22, 130);
  lbl_1 = Place<TLabel>(this, grp_Caption, u"lbl_1", u"轴单位", 240, 26, 60, 16);
  edt_Unit = Place_Edit(this, grp_Caption, u"edt_Unit", u"mm", 304, 22, 130);

  grp_Hardware = Place<TGroupBox>(this, this, u"grp_Hardware", u"运动参数", 8, 116, 466, 206);
  struct Entry {
    TLabel** Label;
    const char16_t* LabelName;
    const char16_t* Caption;
    TEdit** Edit;
    const char16_t* EditName;
    const char16_t* Text;
  };
  const Entry entries[] = {
      {&Label5, u"Label5", u"物理单位(mm/°)", &edt_Physics, u"edt_Physics", u"1"},
      {&Label6, u"Label6", u"对应开环步数:", &edt_OpenSteps, u"edt_OpenSteps", u"6400"},
      {&Label1, u"Label1", u"对应闭环步数:", &edt_CloseSteps, u"edt_CloseSteps", u"4000"},
      {&lb_Acc, u"lb_Acc", u"加速度(mm/s² °/s²)", &edt_Acc, u"edt_Acc", u"0.1"},
      {&lbl_Dec, u"lbl_Dec", u"减速度(mm/s² °/s²)", &edt_Dec, u"edt_Dec", u"0.1"},
      {&lbl_Max_V, u"lbl_Max_V", u"定位最大速度(mm/s °/s)", &edt_Max_V, u"edt_Max_V", u"1"},
  };
  int y = 22;
  for (const Entry& e : entries) {
    *e.Label = Place<TLabel>(this, grp_Hardware, e.LabelName, e.Caption, 16, y + 4, 150, 16);
    *e.Edit = Place_Edit(this, grp_Hardware, e.EditName, e.Text, 170, y, 130);
    y += 28;
  }
  Label3 = Place<TLabel>(this, grp_Hardware, u"Label3", u"无闭环请忽略闭环参数", 316, 82, 140, 16);
  Label3->Font()->SetColor(clGreen);
  btn_Calc = Place<TButton>(this, grp_Hardware, u"btn_Calc", u"辅助计算", 316, 22, 120, 50);
  chk_Open = Place<TCheckBox>(this, grp_Hardware, u"chk_Open", u"开环模式", 316, 134, 120, 20);

  grp_Encoder = Place<TGroupBox>(this, this, u"grp_Encoder", u"闭环传感器参数", 8, 326, 466, 100);
  chk_Dir = Place<TCheckBox>(this, grp_Encoder, u"chk_Dir", u"默认方向", 16, 22, 120, 20);
  chk_Z_Polarity = Place<TCheckBox>(this, grp_Encoder, u"chk_Z_Polarity", u"Z默认电平", 160, 22, 120, 20);
  chk_Over_Enable = Place<TCheckBox>(this, grp_Encoder, u"chk_Over_Enable", u"闭环自动补偿", 304, 22, 140, 20);
  for (TCheckBox* c : {chk_Dir, chk_Z_Polarity, chk_Over_Enable}) c->SetChecked(true);
  Label2 = Place<TLabel>(this, grp_Encoder, u"Label2", u"自动补偿次数", 16, 58, 90, 16);
  edt_Over_Max = Place_Edit(this, grp_Encoder, u"edt_Over_Max", u"100", 110, 54, 100);
  Label9 = Place<TLabel>(this, grp_Encoder, u"Label9", u"自动补偿稳定判据", 230, 58, 110, 16);
  edt_Over_Stable = Place_Edit(this, grp_Encoder, u"edt_Over_Stable", u"50", 344, 54, 100);

  grp_Action = Place<TGroupBox>(this, this, u"grp_Action", rtl::String(), 8, 430, 466, 54);
  btn_Pre = Place<TButton>(this, grp_Action, u"btn_Pre", u"前一轴", 40, 14, 100, 30);
  btn_Next = Place<TButton>(this, grp_Action, u"btn_Next", u"后一轴", 182, 14, 100, 30);
  btn_OK = Place<TButton>(this, grp_Action, u"btn_OK", u"完成关闭", 324, 14, 100, 30);

  btn_Pre->OnClick = [this](TObject* s) { btn_PreClick(s); };
  btn_Next->OnClick = [this](TObject* s) { btn_NextClick(s); };
  btn_OK->OnClick = [this](TObject* s) { btn_OKClick(s); };
  btn_Calc->OnClick = [this](TObject* s) { btn_CalcClick(s); };
}

TConfigFrm::~TConfigFrm() {
  if (ConfigFrm == this) ConfigFrm = nullptr;
}

void TConfigFrm::Set_Config(std::int32_t AMaxAxis, std::int32_t AMaxEncoder) {
  iAxis_Max = AMaxAxis;
  iEncoder_Max = AMaxEncoder;
  // A controller with fewer axes than the last one: the index kept from
  // before would name an axis that is not there.
  iAxis_Now = std::clamp(iAxis_Now, 0, std::max(0, iAxis_Max - 1));
  if (AMaxAxis >= 1) Load_Axis();
  Update_Buttons();
}

bool TConfigFrm::Has_Encoder() const { return iEncoder_Max >= 1 && iAxis_Now < iEncoder_Max; }

void TConfigFrm::Load_Axis() {
  rtl::TIniFile ini(Settings_File_Name());
  const rtl::String s = Axis_Section(iAxis_Now);
  chk_Visible->SetChecked(ini.ReadBool(s, u"VISIBLE", true));
  edt_Caption->SetText(ini.ReadString(s, u"CAPTION", u"第" + rtl::IntToStr(iAxis_Now + 1) + u"轴"));
  edt_Unit->SetText(ini.ReadString(s, u"UNIT", u"mm"));
  edt_Physics->SetText(rtl::IntToStr(ini.ReadInteger(s, u"PHYSICS", 1)));
  edt_OpenSteps->SetText(rtl::IntToStr(ini.ReadInteger(s, u"OPENSTEPS", 6400)));
  edt_CloseSteps->SetText(rtl::IntToStr(ini.ReadInteger(s, u"CLOSESTEPS", 4000)));
  edt_Acc->SetText(rtl::FloatToStr(ini.ReadFloat(s, u"ACC", 1.0)));
  edt_Dec->SetText(rtl::FloatToStr(ini.ReadFloat(s, u"DEC", 1.0)));
  edt_Max_V->SetText(rtl::FloatToStr(ini.ReadFloat(s, u"MAX_V", 1.0)));
  chk_Open->SetChecked(ini.ReadBool(s, u"OPEN_MODE", true));
  if (!Has_Encoder()) return;
  chk_Z_Polarity->SetChecked(ini.ReadBool(s, u"ENCODER_Z", true));
  chk_Dir->SetChecked(ini.ReadBool(s, u"ENCODER_DIR", true));
  chk_Over_Enable->SetChecked(ini.ReadBool(s, u"ENCODER_OVER", true));
  edt_Over_Max->SetText(rtl::IntToStr(ini.ReadInteger(s, u"ENCODER_OVER_MAX", 100)));
  edt_Over_Stable->SetText(rtl::IntToStr(ini.ReadInteger(s, u"ENCODER_OVER_STABLE", 50)));
}

void TConfigFrm::Save_Axis() {
  // The name labels log lines and is written into script files, whose
  // fields a comma or a quote would break.
  if (Caption_Breaks_Script(edt_Caption->Text()))
    throw rtl::EConvertError(u"轴名称不能包含逗号或引号: " + edt_Caption->Text());
  TEdit* const factors[] = {edt_Physics, edt_OpenSteps, edt_CloseSteps};
  std::int32_t factor[3];
  for (int i = 0; i < 3; ++i) factor[i] = rtl::StrToInt(factors[i]->Text());
  const double acc = rtl::StrToFloat(edt_Acc->Text());
  const double dec = rtl::StrToFloat(edt_Dec->Text());
  const double max_v = rtl::StrToFloat(edt_Max_V->Text());
  const bool encoder = Has_Encoder();
  std::int32_t over_max = 0, over_stable = 0;
  if (encoder) {
    over_max = rtl::StrToInt(edt_Over_Max->Text());
    over_stable = rtl::StrToInt(edt_Over_Stable->Text());
  }
  for (int i = 0; i < 3; ++i)
    if (factor[i] <= 0) {
      factor[i] = 1;
      factors[i]->SetText(u"1");
    }

  rtl::TIniFile ini(Settings_File_Name());
  const rtl::String s = Axis_Section(iAxis_Now);
  ini.WriteInteger(s, u"VISIBLE", chk_Visible->Checked() ? 1 : 0);
  ini.WriteString(s, u"CAPTION", edt_Caption->Text());
  ini.WriteString(s, u"UNIT", edt_Unit->Text());
  ini.WriteInteger(s, u"OPEN_MODE", chk_Open->Checked() ? 1 : 0);
  ini.WriteInteger(s, u"PHYSICS", factor[0]);
  ini.WriteInteger(s, u"OPENSTEPS", factor[1]);
  ini.WriteInteger(s, u"CLOSESTEPS", factor[2]);
  ini.WriteFloat(s, u"ACC", acc);
  ini.WriteFloat(s, u"DEC", dec);
  ini.WriteFloat(s, u"MAX_V", max_v);
  if (!encoder) return;
  ini.WriteInteger(s, u"ENCODER_Z", chk_Z_Polarity->Checked() ? 1 : 0);
  ini.WriteInteger(s, u"ENCODER_DIR", chk_Dir->Checked() ? 1 : 0);
  ini.WriteInteger(s, u"ENCODER_OVER", chk_Over_Enable->Checked() ? 1 : 0);
  ini.WriteInteger(s, u"ENCODER_OVER_MAX", over_max);
  ini.WriteInteger(s, u"ENCODER_OVER_STABLE", over_stable);
}

void TConfigFrm::Update_Buttons() {
  if (iAxis_Max < 1) {
    btn_Pre->SetEnabled(false);
    btn_Next->SetEnabled(false);
  } else {
    btn_Pre->SetEnabled(iAxis_Now != 0);
    btn_Next->SetEnabled(iAxis_Max != iAxis_Now + 1);
  }
  SetCaption(u"第" + rtl::IntToStr(iAxis_Now + 1) + u"轴" + u"参数配置");
}

void TConfigFrm::btn_PreClick(TObject*) {
  Save_Axis();
  if (iAxis_Now > 0) --iAxis_Now;
  Update_Buttons();
  Load_Axis();
}

void TConfigFrm::btn_NextClick(TObject*) {
  Save_Axis();
  if (iAxis_Now < iAxis_Max - 1) ++iAxis_Now;
  Update_Buttons();
  Load_Axis();
}

void TConfigFrm::btn_OKClick(TObject*) {
  if (iAxis_Max >= 1) Save_Axis();
  SetModalResult(mrOk);
}

void TConfigFrm::btn_CalcClick(TObject*) {
  if (CalcFrm->ShowModal() != mrOk) return;
  edt_Physics->SetText(rtl::IntToStr(CalcFrm->FPhysic));
  edt_OpenSteps->SetText(rtl::IntToStr(CalcFrm->FOpenSteps));
  edt_CloseSteps->SetText(rtl::IntToStr(CalcFrm->FCloseSteps));
}

void TConfigFrm::btn_FactorClick(TObject*) {}

}  // namespace desktop
