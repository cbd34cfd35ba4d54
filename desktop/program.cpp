#include "program.h"

#include "auto_form.h"
#include "board_port_form.h"
#include "calc_form.h"
#include "aux_lang_mgr.h"
#include "config_form.h"
#include "input_form.h"
#include "main_form.h"
#include "output_form.h"
#include "rs_form.h"
#include "kit_colors.h"
#include "run_all_form.h"
#include "save_reg_form.h"
#include "stream_circle_form.h"
#include "stream_delay_form.h"
#include "stream_line_x_form.h"
#include "stream_oc_form.h"
#include "stream_optic_form.h"
#include "ui.h"

namespace desktop {

void Start_Modules() {
  kit::InitPanelLibrary();
  aux::Res_String_Registry_Startup();
}

void Stop_Modules() {
  aux::Res_String_Registry_Shutdown();
  kit::DonePanelLibrary();
}

void Create_Forms() {
  ui::TApplication* app = ui::Application;
  app->CreateForm(MainFrm);
  // The connection dialog and the calculator keep their settings in the
  // holder's ini component, and the dialog loads them while it is created.
  app->CreateForm(SaveRegFrm);
  app->CreateForm(BoardPortFrm);
  app->CreateForm(Stream_LineXFrm);
  app->CreateForm(Stream_CircleFrm);
  app->CreateForm(Stream_DelayFrm);
  app->CreateForm(Stream_OCFrm);
  app->CreateForm(Stream_OpticFrm);
  app->CreateForm(ConfigFrm);
  app->CreateForm(CalcFrm);
  app->CreateForm(RunAllFrm);
  app->CreateForm(AutoFrm);
  app->CreateForm(rsFrm);
  app->CreateForm(InputFrm);
  app->CreateForm(OutputFrm);
}

}  // namespace desktop
