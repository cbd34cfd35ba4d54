// The auto-run window: the script editor (step table, insert and delete,
// script files), the runner that executes it on a 50 ms tick, the position
// table and the log.
#pragma once

#include <cstdint>

#include "desktop/auto_code.h"
#include "platform/runtime/codepage.h"
#include "desktop/step_table.h"
#include "grid/core/custom_db_grid_ex.h"
#include "platform/ui/ui.h"

namespace desktop {

// One row of the position table.
struct TAxisStatus {
  std::int32_t ID = 0;
  rtl::String Axis;
  double Pos = 0;
};

class TAutoFrm : public ui::TForm {
  JQ_UI_CLASSINFO
 public:
  explicit TAutoFrm(ui::TComponent* AOwner);
  ~TAutoFrm() override;

  ui::TImageList* il_Main;
  ui::TToolBar* tlb_System;
  ui::TToolButton* btn_Open;
  ui::TToolButton* btn_Save;
  ui::TToolButton* btn_AutoRun;
  ui::TToolButton* btn_AutoPause;
  ui::TToolButton* btn_AutoStop;
  ui::TToolButton* btn_AutoHalt;
  ui::TGroupBox* grp_Status;
  grid::TDBGridEx* grid_Status;
  ui::TMemo* mmo_Log;
  grid::TDBGridEx* grid_Code;
  ui::TGroupBox* grp_Auto;
  ui::TLabel* lbl_Axis;
  ui::TComboBox* cbb_Axis;
  ui::TLabel* lbl_Action;
  ui::TComboBox* cbb_Action;
  ui::TLabel* lbl_Param;
  ui::TEdit* edt_Param;
  ui::TLabel* lbl_Delay;
  ui::TEdit* edt_Delay;
  ui::TLabel* lbl_Cycle;
  ui::TEdit* edt_Count;
  ui::TCheckBox* chk_Insert;
  ui::TButton* btn_AddCode;
  ui::TButton* btn_DelCode;
  ui::TButton* btn_ScanXY;
  ui::TLabel* lbl_RunCount;
  ui::TEdit* edt_Repeat;
  ui::TOpenDialog* dlgOpen_Auto;
  ui::TSaveDialog* dlgSave_Auto;
  ui::TTimer* tmr_Auto;
  ui::TTimer* tmr_AutoStatus;

  // The script and the positions; the tables show their data sources.
  TStepTable<TAutoCode> mem_Code;
  TStepTable<TAxisStatus> mem_Status;

  // Axis count of the last connect, handed over by the main window.
  std::int32_t F_Axis_Num = 0;

  void FormShow(ui::TObject* Sender);
  void FormClose(ui::TObject* Sender, ui::TCloseAction& Action);
  void btn_AddCodeClick(ui::TObject* Sender);
  void btn_DelCodeClick(ui::TObject* Sender);
  void btn_SaveClick(ui::TObject* Sender);
  void btn_OpenClick(ui::TObject* Sender);
  void btn_AutoRunClick(ui::TObject* Sender);
  void btn_AutoPauseClick(ui::TObject* Sender);
  void btn_AutoStopClick(ui::TObject* Sender);
  void btn_AutoHaltClick(ui::TObject* Sender);
  void tmr_AutoTimer(ui::TObject* Sender);
  void tmr_AutoStatusTimer(ui::TObject* Sender);

  // Rebuilds the position table and the axis list from the settings.
  void Load_Axis_List();
  // A connect changed the axes: a run in progress ends, the tables follow.
  void Axes_Changed(std::int32_t Axis_Num);
  // Adds a step as the edit group does (before the current row when
  // Code.bInsert), normalised by its action.
  void Add_Code(const TAutoCode& Code);

 private:
  void Set_Run_State(int State);
  void Run_Start();
  void Run_Pause();
  void Run_Stop();
  void Run_Halt();
  bool Run_Step();
  bool Step_Move(bool Absolute);
  bool Step_Zero();
  bool Step_Pause();
  bool Step_Adjust();
  // Reads whether the step's axis has stopped; a controller lost meanwhile
  // ends the run (halted, with a log line).
  bool Axis_Stopped(std::uint16_t Axis);
  void Add_Log(const rtl::String& Text);
  // Axes the runner and the position table may address: those of the last
  // connect that also have a settings record.
  int Axis_Limit() const;

  bool bSaved = false;
  // The script is saved as the file it came from was written (a new one in
  // the system page), so a script read with a UTF-8 mark keeps it.
  rtl::TextEncoding Script_Encoding = rtl::TextEncoding::System;
  TAutoCode g_Code;
  std::int32_t g_Status_Tag = 0;
  std::uint32_t g_Status_Delay = 0;
  std::int32_t g_Status_Count = 0;
  std::int32_t g_Total_Count = 0;
  std::int32_t g_Run_Count = 0;
};

extern TAutoFrm* AutoFrm;

}  // namespace desktop
