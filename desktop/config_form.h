// The parameter dialog: edits the settings file JQHelper4.ini axis by axis.
#pragma once

#include <cstdint>

#include "platform/ui/ui.h"

namespace desktop {

class TConfigFrm : public ui::TForm {
  JQ_UI_CLASSINFO
 public:
  explicit TConfigFrm(ui::TComponent* AOwner);
  ~TConfigFrm() override;

  ui::TGroupBox* grp_Visible;
  ui::TCheckBox* chk_Visible;
  ui::TGroupBox* grp_Caption;
  ui::TLabel* lbl_Caption;
  ui::TEdit* edt_Caption;
  ui::TLabel* lbl_1;
  ui::TEdit* edt_Unit;
  ui::TGroupBox* grp_Hardware;
  ui::TLabel* Label5;
  ui::TEdit* edt_Physics;
  ui::TLabel* Label6;
  ui::TEdit* edt_OpenSteps;
  ui::TLabel* Label1;
  ui::TEdit* edt_CloseSteps;
  ui::TLabel* lb_Acc;
  ui::TEdit* edt_Acc;
  ui::TLabel* lbl_Dec;
  ui::TEdit* edt_Dec;
  ui::TLabel* lbl_Max_V;
  ui::TEdit* edt_Max_V;
  ui::TLabel* Label3;
  ui::TButton* btn_Calc;
  ui::TCheckBox* chk_Open;
  ui::TGroupBox* grp_Encoder;
  ui::TCheckBox* chk_Dir;
  ui::TCheckBox* chk_Z_Polarity;
  ui::TCheckBox* chk_Over_Enable;
  ui::TLabel* Label2;
  ui::TEdit* edt_Over_Max;
  ui::TLabel* Label9;
  ui::TEdit* edt_Over_Stable;
  ui::TGroupBox* grp_Action;
  ui::TButton* btn_Pre;
  ui::TButton* btn_Next;
  ui::TButton* btn_OK;

  // Axis and encoder counts the dialog edits settings for. The axis shown
  // last is shown again, unless the controller now has fewer axes.
  void Set_Config(std::int32_t AMaxAxis, std::int32_t AMaxEncoder);

  void btn_PreClick(ui::TObject* Sender);
  void btn_NextClick(ui::TObject* Sender);
  void btn_OKClick(ui::TObject* Sender);
  void btn_CalcClick(ui::TObject* Sender);
  void btn_FactorClick(ui::TObject* Sender);

  std::int32_t Axis_Now() const { return iAxis_Now; }

 private:
  // The shown axis has an encoder.
  bool Has_Encoder() const;
  void Load_Axis();
  // Reads every entry before the first write: an entry that does not read
  // leaves the file as it was and the dialog on the same axis.
  void Save_Axis();
  void Update_Buttons();

  std::int32_t iAxis_Max = 0;
  std::int32_t iEncoder_Max = 0;
  std::int32_t iAxis_Now = 0;
};

extern TConfigFrm* ConfigFrm;

}  // namespace desktop
