// The mechanics calculator: turns a description of the stage, the drive and
// the position sensor into the three factors of an axis's settings.
#pragma once

#include <cstdint>

#include "components/support/store/kit_property_store.h"
#include "platform/ui/ui.h"

namespace desktop {

class TCalcFrm : public ui::TForm {
  JQ_UI_CLASSINFO
 public:
  explicit TCalcFrm(ui::TComponent* AOwner);
  ~TCalcFrm() override;

  ui::TGroupBox* grp_Hardware;
  ui::TLabel* Label3;
  ui::TComboBox* cbb_Kind;
  ui::TLabel* Label5;
  ui::TEdit* edt_Line_Pitch;
  ui::TLabel* Label1;
  ui::TEdit* edt_Line_Ratio;
  ui::TLabel* Label6;
  ui::TEdit* edt_Circle_Ratio;
  ui::TGroupBox* GroupBox2;
  ui::TRadioButton* rb_Step;
  ui::TLabel* Label11;
  ui::TEdit* edt_Div;
  ui::TLabel* Label15;
  ui::TEdit* edt_Angle;
  ui::TRadioButton* rb_Servo;
  ui::TLabel* lbl_12;
  ui::TEdit* edt_Ratio;
  ui::TGroupBox* grp_Encoder;
  ui::TLabel* lbl_1;
  ui::TComboBox* cbb_Encoder;
  ui::TLabel* lbl_11;
  ui::TEdit* edt_Unit_um;
  ui::TLabel* lbl_13;
  ui::TEdit* edt_LineCount;
  ui::TLabel* Label7;
  ui::TEdit* edt_GratingCount;
  ui::TLabel* Label2;
  ui::TGroupBox* GroupBox1;
  ui::TButton* btn_OK;
  ui::TButton* btn_Cancel;
  kit::TKitPropertyStore* Save_Calc;

  // The factors of the last OK: physical units, motor steps and encoder
  // counts for that distance.
  std::int32_t FPhysic = 0;
  std::int32_t FOpenSteps = 0;
  std::int32_t FCloseSteps = 0;

  void FormShow(ui::TObject* Sender);
  void FormDestroy(ui::TObject* Sender);
  void cbb_KindChange(ui::TObject* Sender);
  void cbb_EncoderChange(ui::TObject* Sender);
  // Computes all three factors before storing any: a value that does not
  // read or a product beyond 32 bits raises, and the dialog stays open with
  // the results of the last OK.
  void btn_OKClick(ui::TObject* Sender);

 private:
  void Update_Inputs();
};

extern TCalcFrm* CalcFrm;

}  // namespace desktop
