#include "desktop/rs_form.h"

#include "components/support/hint/aux_lang_mgr.h"
#include "desktop/program_messages.h"

namespace desktop {

TrsFrm* rsFrm = nullptr;

const ui::TClassInfo& TrsFrm::StaticClassInfo() {
  static const ui::TClassInfo info = ui::TClassBuilder<TrsFrm>("TrsFrm", &ui::TForm::StaticClassInfo()).Build();
  return info;
}

TrsFrm::TrsFrm(ui::TComponent* AOwner) : ui::TForm(AOwner) {
  SetName(u"rsFrm");
  SetCaption(u"rsFrm");
  OnCreate = [this](ui::TObject* Sender) { FormCreate(Sender); };
}

TrsFrm::~TrsFrm() {
  if (rsFrm == this) rsFrm = nullptr;
}

void TrsFrm::FormCreate(ui::TObject*) {
  // The texts used only inside a log line (relative start and end, homing
  // end) stay unregistered.
  struct Item {
    const TResStringRec* Rec;
    const char16_t* Name;
  };
  static constexpr Item kItems[] = {
      {&rsTip, u"rsTip"},
      {&rsStop, u"rsStop"},
      {&rsPause, u"rsPause"},
      {&rsReRun, u"rsReRun"},
      {&rsStart, u"rsStart"},
      {&rsDelAction, u"rsDelAction"},
      {&rsNewProject, u"rsNewProject"},
      {&rsNoDevice, u"rsNoDevice"},
      {&rsAutoProject, u"rsAutoProject"},
      {&rsAdjustDone, u"rsAdjustDone"},
      {&rsAbsStart, u"rsAbsStart"},
      {&rsAbsDone, u"rsAbsDone"},
      {&rsDelayStart, u"rsDelayStart"},
      {&rsDelayDone, u"rsDelayDone"},
      {&rsCycleDone, u"rsCycleDone"},
      {&rsRunDone, u"rsRunDone"},
      {&rsAcc, u"rsAcc"},
      {&rsDec, u"rsDec"},
      {&rsMaxV, u"rsMaxV"},
      {&rsSafeV, u"rsSafeV"},
      {&rsConstPos, u"rsConstPos"},
      {&rsAxis, u"rsAxis"},
      {&rsConfig, u"rsConfig"},
      {&rsLimit, u"rsLimit"},
      {&rsOverSafe, u"rsOverSafe"},
  };
  for (const Item& item : kItems) aux::Add_Res_String_Item(item.Rec, item.Name);
}

}  // namespace desktop
