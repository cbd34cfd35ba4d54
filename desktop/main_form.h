// The main window: tool bar, axis area and status bar. It initialises the
// device library when first shown and shuts it down when it closes.
#pragma once

#include <cstdint>

#include "components/support/hint/aux_hint.h"
#include "components/support/panels/kit_status_bar.h"
#include "components/support/panels/kit_status_pane.h"
#include "components/support/panels/kit_version_info.h"
#include "platform/ui/ui.h"

namespace desktop {

class TMainFrm : public ui::TForm {
  JQ_UI_CLASSINFO
 public:
  explicit TMainFrm(ui::TComponent* AOwner);
  ~TMainFrm() override;

  ui::TToolBar* tlb_System;
  ui::TImage* img_Logo;
  ui::TLabel* lbl_Company;
  ui::TToolButton* btn_Sep1;
  ui::TToolButton* btn_Scan;
  ui::TToolButton* btn_Sep2;
  ui::TToolButton* btn_Setup;
  ui::TToolButton* btn_Sep3;
  ui::TToolButton* btn_RunAll;
  ui::TToolButton* btn_StopAll;
  ui::TToolButton* btn_HaltAll;
  ui::TToolButton* btn_Auto;
  ui::TToolButton* btn_Sep4;
  ui::TToolButton* btn_Input;
  ui::TToolButton* btn_Output;
  ui::TScrollBox* box_Axis;
  kit::TKitStatusBar* status_Main;
  kit::TKitStatusPane* msg_Main;
  kit::TKitVersionInfoStatus* KitVersionInfoStatus1;
  kit::TKitVersionInfoStatus* KitVersionInfoStatus2;
  kit::TKitVersionInfo* KitVersionInfo1;
  ui::TImageList* il_Main;
  ui::TImageList* il_Motion;
  ui::TTimer* tmr_AD;
  ui::TTimer* tmr_Mcu_T;
  ui::TTimer* tmr_Optic_In;
  ui::TTimer* tmr_Limit;
  ui::TTimer* tmr_Stream;
  aux::TAuxHintWindow* hint_Motor;

  void FormCreate(ui::TObject* Sender);
  void FormShow(ui::TObject* Sender);
  void FormClose(ui::TObject* Sender, ui::TCloseAction& Action);
  void btn_ScanClick(ui::TObject* Sender);
  void btn_SetupClick(ui::TObject* Sender);
  void btn_RunAllClick(ui::TObject* Sender);
  // The start-several command under its other name; no control uses it.
  void btn_AllStartClick(ui::TObject* Sender);
  void btn_HaltAllClick(ui::TObject* Sender);
  void btn_AutoClick(ui::TObject* Sender);
  void btn_InputClick(ui::TObject* Sender);
  void btn_OutputClick(ui::TObject* Sender);

 private:
  // Tests stand in for the connect sequence: they set the counts and call
  // the builders below.
  friend struct TMainFrmAccess;

  void Load_Axis_Config();
  void Save_Axis_Steps();
  void Create_Axis_Frames();
  void Create_Run_Frames();
  void Create_Optic_In();
  void Create_Optic_Out();

  std::int32_t F_Axis_Num = 0;
  std::int32_t F_AD_Num = 0;
  std::int32_t F_DA_Num = 0;
  std::int32_t F_TTL_In_Num = 0;
  std::int32_t F_TTL_Out_Num = 0;
  std::int32_t F_Optic_In_Num = 0;
  std::int32_t F_Optic_Out_Num = 0;
  std::int32_t F_OC_Num = 0;
  std::int32_t F_Encoder_Num = 0;
  std::int32_t F_Counter_Num = 0;
  std::int32_t F_Line_Num = 0;
  std::int32_t F_Circle_Num = 0;
  rtl::String F_Product_ID;
  rtl::String F_SN;
  rtl::String F_Version;
  std::int32_t F_AD_Max = 0;
  std::int32_t F_AD_Min = 0;
  std::int32_t F_DA_Max = 0;
  std::int32_t F_DA_Min = 0;
  std::int32_t F_PWM_Num = 0;
  std::int32_t F_Temperature_Num = 0;
  std::int32_t F_AD_Count = 0;
  // The status line of the last connect, shown again when a lost controller
  // answers once more.
  rtl::String Product_Line;
};

extern TMainFrm* MainFrm;

}  // namespace desktop
