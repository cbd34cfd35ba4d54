#include "desktop/program.h"

#include "desktop/auto_form.h"
#include "desktop/board_port_form.h"
#include "desktop/calc_form.h"
#include "components/support/hint/aux_lang_mgr.h"
#include "desktop/config_form.h"
#include "desktop/input_form.h"
#include "desktop/main_form.h"
#include "desktop/output_form.h"
#include "desktop/rs_form.h"
#include "components/support/panels/kit_colors.h"
#include "desktop/run_all_form.h"
#include "desktop/save_reg_form.h"
#include "desktop/stream_circle_form.h"
#include "desktop/stream_delay_form.h"
#include "desktop/stream_line_x_form.h"
#include "desktop/stream_oc_form.h"
#include "desktop/stream_optic_form.h"
#include "grid/columns/dialogs/db_grid_ex_find_dlg.h"
#include "grid/columns/transfer/db_grid_ex_imp_exp.h"
#include "grid/core/db_grid_ex_module.h"
#include "grid/editor_support/button_faces.h"
#include "grid/foundation/grid_drag_windows.h"
#include "platform/ui/ui.h"

namespace desktop {

void Start_Modules() {
  kit::InitPanelLibrary();
  aux::Res_String_Registry_Startup();
  // The grid's shared drag windows are made on first use; the editor tools
  // take the system metrics and the button-face cache now.
  grid::InitEditorTools();
  grid::InitDBGridExImpExp();
  grid::InitDBGridExFindDlgs();
  grid::InitDBGridEx();
}

void Stop_Modules() {
  grid::DoneDBGridEx();
  grid::DoneDBGridExFindDlgs();
  grid::DoneEditorTools();
  grid::FreeSharedGridWindows();
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
