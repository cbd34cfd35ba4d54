// The custom filter dialog: one or two conditions of a column filter built
// from an operator list and a value box instead of typed. It reads the
// column's filter into its controls and writes a filter text back on OK.
#pragma once

#include "grid/columns/filters/db_utils_ex.h"
#include "platform/ui/shape.h"
#include "platform/ui/ui.h"

namespace grid {

class TColumnEx;
class TDBComboBoxEx;
class TDBDateTimeEditEx;
class TDBNumberEditEx;
class TSTColumnFilterEx;

class TDBGridExSimpleFilterDialog : public ui::TForm {
  JQ_UI_CLASSINFO
 public:
  explicit TDBGridExSimpleFilterDialog(ui::TComponent* AOwner);

  TColumnEx* Column = nullptr;

  ui::TLabel* Label1;
  ui::TShape* Bevel1;
  ui::TComboBox* ComboBox1;
  ui::TEdit* Edit1;
  ui::TRadioButton* rbAnd;
  ui::TRadioButton* rbOr;
  ui::TComboBox* ComboBox2;
  ui::TEdit* Edit2;
  ui::TLabel* Label2;
  ui::TLabel* Label3;
  ui::TButton* bOk;
  ui::TButton* bCancel;
  TDBComboBoxEx* DBComboBoxEx1;
  TDBComboBoxEx* DBComboBoxEx2;
  TDBDateTimeEditEx* DBDateTimeEditEx1;
  TDBDateTimeEditEx* DBDateTimeEditEx2;
  TDBNumberEditEx* DBNumberEditEx1;
  TDBNumberEditEx* DBNumberEditEx2;

  void Init();
  void InitSignComboBox(ui::TComboBox* ComboBox);
  void InitValuesComboBox(TDBComboBoxEx* ComboBox, ui::TPoint Pos);
  void FillDialogFromColumnFilter(TSTColumnFilterEx* STFilter);
  void FillDialogFromColumnFilter1(TSTFilterOperatorEx Operator, const rtl::Variant& Operand,
                                   ui::TComboBox* OperatorComboBox, TDBComboBoxEx* OperandComboBox);
  void SetFilterFromDialog();
  void SetFilterFromDialog1(String& FilterString, ui::TComboBox* OperatorComboBox,
                            TDBComboBoxEx* OperandComboBox);

  void FormCreate(ui::TObject* Sender);
  void FormCloseQuery(ui::TObject* Sender, bool& CanClose);
  void DBComboBoxEx1Change(ui::TObject* Sender);

 private:
  bool FSettingFilter = false;
};

// Opens the program's one dialog (made on first use) for Column; true on OK.
bool ShowSimpleFilterDialog(TColumnEx* Column);
// The one dialog, nil before its first use.
TDBGridExSimpleFilterDialog* SimpleFilterDialog();

}  // namespace grid
