#include "grid/columns/filters/simple_filter_dialog.h"

#include "grid/columns/columns/column_ex.h"
#include "grid/columns/filters/filters_internal.h"
#include "grid/columns/filters/st_column_filter_ex.h"
#include "grid/editor_support/data_link_ex.h"
#include "grid/editors/db_combo_box_ex.h"
#include "grid/editors/db_date_time_edit_ex.h"
#include "grid/editors/db_number_edit_ex.h"
#include "platform/classes/typinfo.h"
#include "platform/ui/form_layout.h"

namespace grid {

using namespace ui;
using rtl::Variant;

namespace {

struct SignItem {
  int Code;
  const char16_t* Text;
  bool TextLikeOnly;
};

const SignItem kSigns[] = {
    {0, u"", false},
    {1, u"equals", false},
    {2, u"does not equal", false},
    {3, u"is greate than", false},
    {4, u"is greate than or equall to", false},
    {5, u"is less than", false},
    {6, u"is less than or equall to", false},
    {7, u"begins with", true},
    {8, u"does not begin with", true},
    {9, u"ends with", true},
    {10, u"does not end with", true},
    {11, u"contains", true},
    {12, u"does not contain", true},
    {13, u"like", true},
    {14, u"not like", true},
    {15, u"in list", false},
    {16, u"not in list", false},
    {17, u"is blank", false},
    {18, u"is not blank", false},
};

void* CodeObject(int Code) { return reinterpret_cast<void*>(static_cast<std::intptr_t>(Code)); }
int CodeOf(TStrings* Items, int Index) {
  return static_cast<int>(reinterpret_cast<std::intptr_t>(Items->Objects(Index)));
}

bool IsTextLike(TColumnEx* Column) {
  db::TField* field = Column ? Column->Field() : nullptr;
  if (!field) return true;
  const TSTOperandTypeEx t = STFldTypeMapEx(field->DataType());
  return t != botNumber && t != botDateTime && t != botBoolean;
}

TDBGridExSimpleFilterDialog*& TheDialog() {
  static TDBGridExSimpleFilterDialog* dialog = nullptr;
  return dialog;
}

}  // namespace

const TClassInfo& TDBGridExSimpleFilterDialog::StaticClassInfo() {
  static const TClassInfo info =
      TClassBuilder<TDBGridExSimpleFilterDialog>("TDBGridExSimpleFilterDialog", &TForm::StaticClassInfo())
          .Build();
  return info;
}

TDBGridExSimpleFilterDialog::TDBGridExSimpleFilterDialog(TComponent* AOwner) : TForm(AOwner) {
  SetName(u"DBGridExSimpleFilterDialog");
  SetCaption(u"Custom filter");
  SetBorderStyle(bsDialog);
  SetPosition(poScreenCenter);
  SetClientWidth(410);
  SetClientHeight(218);

  Label1 = Place<TLabel>(this, this, u"Label1", u"Show records where:", 6, 7, 120, 13);
  Label1->SetAutoSize(true);
  Bevel1 = Place<TShape>(this, this, u"Bevel1", 4, 27, 399, 2);
  Bevel1->Pen()->SetColor(clBtnShadow);
  Bevel1->Brush()->SetColor(clBtnHighlight);
  ComboBox1 = Place<TComboBox>(this, this, u"ComboBox1", 8, 39, 191, 21);
  ComboBox1->SetStyle(csDropDownList);
  Edit1 = Place<TEdit>(this, this, u"Edit1", 207, 39, 191, 21);
  Edit1->SetVisible(false);
  rbAnd = Place<TRadioButton>(this, this, u"rbAnd", u"&And", 38, 69, 47, 17);
  rbAnd->SetChecked(true);
  rbOr = Place<TRadioButton>(this, this, u"rbOr", u"&Or", 105, 69, 53, 17);
  ComboBox2 = Place<TComboBox>(this, this, u"ComboBox2", 8, 92, 191, 21);
  ComboBox2->SetStyle(csDropDownList);
  Edit2 = Place<TEdit>(this, this, u"Edit2", 207, 92, 191, 21);
  Edit2->SetVisible(false);
  Label2 =
      Place<TLabel>(this, this, u"Label2", u"Use '_' to represent any single character", 6, 131, 240, 13);
  Label2->SetAutoSize(true);
  Label3 =
      Place<TLabel>(this, this, u"Label3", u"Use '%' to represent any series of characters", 6, 151, 240, 13);
  Label3->SetAutoSize(true);
  bOk = Place<TButton>(this, this, u"bOk", u"OK", 237, 188, 78, 22);
  bOk->SetDefault(true);
  bOk->SetModalResult(mrOk);
  bCancel = Place<TButton>(this, this, u"bCancel", u"Cancel", 323, 188, 78, 22);
  bCancel->SetCancel(true);
  bCancel->SetModalResult(mrCancel);

  auto valueBox = [this](const char16_t* Name) {
    auto* box = Place<TDBComboBoxEx>(this, this, Name, 207, 39, 191, 21);
    box->SetVisible(false);
    box->DropDownBox()->SetRows(17);
    box->DropDownBox()->SetSizable(true);
    box->OnChange = [this](TObject* Sender) { DBComboBoxEx1Change(Sender); };
    return box;
  };
  DBComboBoxEx1 = valueBox(u"DBComboBoxEx1");
  DBComboBoxEx2 = valueBox(u"DBComboBoxEx2");
  // Present in the layout, never shown.
  DBDateTimeEditEx1 = Place<TDBDateTimeEditEx>(this, this, u"DBDateTimeEditEx1", 207, 39, 191, 21);
  DBDateTimeEditEx2 = Place<TDBDateTimeEditEx>(this, this, u"DBDateTimeEditEx2", 207, 92, 191, 21);
  DBNumberEditEx1 = Place<TDBNumberEditEx>(this, this, u"DBNumberEditEx1", 207, 39, 191, 21);
  DBNumberEditEx2 = Place<TDBNumberEditEx>(this, this, u"DBNumberEditEx2", 207, 92, 191, 21);
  for (TControl* c : {static_cast<TControl*>(DBDateTimeEditEx1), static_cast<TControl*>(DBDateTimeEditEx2),
                      static_cast<TControl*>(DBNumberEditEx1), static_cast<TControl*>(DBNumberEditEx2)})
    c->SetVisible(false);

  OnCreate = [this](TObject* Sender) { FormCreate(Sender); };
  OnCloseQuery = [this](TObject* Sender, bool& CanClose) { FormCloseQuery(Sender, CanClose); };
}

void TDBGridExSimpleFilterDialog::FormCreate(TObject*) { Font()->SetName(u"MS Sans Serif"); }

void TDBGridExSimpleFilterDialog::DBComboBoxEx1Change(TObject*) {}

void TDBGridExSimpleFilterDialog::Init() {
  InitSignComboBox(ComboBox1);
  InitSignComboBox(ComboBox2);
  InitValuesComboBox(DBComboBoxEx1, TPoint{Edit1->Left(), Edit1->Top()});
  InitValuesComboBox(DBComboBoxEx2, TPoint{Edit2->Left(), Edit2->Top()});
  if (Column) FillDialogFromColumnFilter(Column->STFilter());
}

void TDBGridExSimpleFilterDialog::InitSignComboBox(TComboBox* ComboBox) {
  const bool textLike = IsTextLike(Column);
  TStrings* items = ComboBox->Items();
  items->BeginUpdate();
  items->Clear();
  for (const SignItem& s : kSigns)
    if (textLike || !s.TextLikeOnly) items->AddObject(s.Text, CodeObject(s.Code));
  items->EndUpdate();
  ComboBox->SetDropDownCount(items->Count());
}

void TDBGridExSimpleFilterDialog::InitValuesComboBox(TDBComboBoxEx* ComboBox, TPoint Pos) {
  ComboBox->SetBounds(Pos.X, Pos.Y, ComboBox->Width(), ComboBox->Height());
  ComboBox->SetVisible(true);
  ComboBox->Items()->Clear();
  if (Column) {
    if (auto list = Column->GetCurrentFieldValueList()) ComboBox->Items()->Assign(list->GetValues());
  }
  ComboBox->SetText(String());
}

void TDBGridExSimpleFilterDialog::FillDialogFromColumnFilter(TSTColumnFilterEx* STFilter) {
  const TSTFilterExpressionEx& e = STFilter->ExpressionRef();
  FillDialogFromColumnFilter1(e.Operator1, STFilter->GetOperand1(), ComboBox1, DBComboBoxEx1);
  if (e.Relation == foOR)
    rbOr->SetChecked(true);
  else
    rbAnd->SetChecked(true);
  FillDialogFromColumnFilter1(e.Operator2, STFilter->GetOperand2(), ComboBox2, DBComboBoxEx2);
}

void TDBGridExSimpleFilterDialog::FillDialogFromColumnFilter1(TSTFilterOperatorEx Operator,
                                                              const Variant& Operand,
                                                              TComboBox* OperatorComboBox,
                                                              TDBComboBoxEx* OperandComboBox) {
  String value = Operator == foNon || Operand.IsNull() || !Column
                     ? String()
                     : Column->STFilter()->GetOperandAsString(Operator, Operand);
  int code = 0;
  switch (Operator) {
    case foEqual:
      code = 1;
      break;
    case foNotEqual:
      code = 2;
      break;
    case foGreaterThan:
      code = 3;
      break;
    case foGreaterOrEqual:
      code = 4;
      break;
    case foLessThan:
      code = 5;
      break;
    case foLessOrEqual:
      code = 6;
      break;
    case foIn:
      code = 15;
      break;
    case foNotIn:
      code = 16;
      break;
    case foNull:
      code = 17;
      break;
    case foNotNull:
      code = 18;
      break;
    case foLike:
    case foNotLike: {
      // A lone "%" at an end is the pattern of begins/ends/contains; a doubled one is the user's own.
      const std::size_t n = value.size();
      const bool leading = n >= 1 && value[0] == u'%' && (n < 2 || value[1] != u'%');
      const bool trailing = n >= 2 && value[n - 1] == u'%' && value[n - 2] != u'%';
      const int base = Operator == foLike ? 0 : 1;
      if (leading && trailing) {
        code = 11 + base;
        value = value.substr(1, n - 2);
      } else if (leading) {
        code = 9 + base;
        value = value.substr(1);
      } else if (trailing) {
        code = 7 + base;
        value.pop_back();
      } else {
        code = 13 + base;
      }
      break;
    }
    default:
      break;
  }
  OperandComboBox->SetText(value);
  int index = -1;
  for (int i = 0; i < OperatorComboBox->Items()->Count(); ++i)
    if (CodeOf(OperatorComboBox->Items(), i) == code) index = i;
  OperatorComboBox->SetItemIndex(index);
}

void TDBGridExSimpleFilterDialog::SetFilterFromDialog1(String& FilterString, TComboBox* OperatorComboBox,
                                                       TDBComboBoxEx* OperandComboBox) {
  if (OperatorComboBox->ItemIndex() < 0 && OperatorComboBox->Items()->Count() > 0)
    OperatorComboBox->SetItemIndex(0);
  const int index = OperatorComboBox->ItemIndex();
  const int code = index >= 0 ? CodeOf(OperatorComboBox->Items(), index) : 0;
  static const char16_t* const ops[] = {u"",   u"=",  u"<>",  u">",     u">=",    u"<",  u"<=",
                                        u"~",  u"!~", u"~",   u"!~",    u"~",     u"!~", u"~",
                                        u"!~", u"in", u"!in", u"=Null", u"<>Null"};
  FilterString = ops[code];
  String value = OperandComboBox->Text();
  // The pattern's "%" goes inside the quotes, so that a quoted value stays one operand.
  if (code == 7 || code == 8 || code == 11 || code == 12) value += u'%';
  if (code == 9 || code == 10 || code == 11 || code == 12) value = u'%' + value;
  const bool isString = Column && Column->STFilter()->ExpressionRef().ExpressionType == botString;
  const bool quote = (isString && !value.empty() && value[0] == u' ') || value.find(u'(') != String::npos ||
                     value.find(u')') != String::npos;
  if (quote) value = filters_detail::QuoteSTFilterText(value);
  if (code == 15 || code == 16) value = u"(" + value + u")";
  if (code != 17 && code != 18 && !OperandComboBox->Text().empty()) FilterString += value;
}

void TDBGridExSimpleFilterDialog::SetFilterFromDialog() {
  String first, second;
  SetFilterFromDialog1(first, ComboBox1, DBComboBoxEx1);
  SetFilterFromDialog1(second, ComboBox2, DBComboBoxEx2);
  String text = first;
  if (!second.empty()) text += (rbOr->Checked() ? u" OR " : u" AND ") + second;
  if (Column) Column->STFilter()->SetExpressionStr(text);
}

void TDBGridExSimpleFilterDialog::FormCloseQuery(TObject*, bool& CanClose) {
  if (FSettingFilter) {
    CanClose = false;
    return;
  }
  if (ModalResult() != mrOk) return;
  FSettingFilter = true;
  try {
    SetFilterFromDialog();
  } catch (const std::exception& e) {
    // The dialog stays open with the user's choices, the error shown.
    FSettingFilter = false;
    CanClose = false;
    if (Application) Application->ShowException(e);
    return;
  }
  FSettingFilter = false;
}

TDBGridExSimpleFilterDialog* SimpleFilterDialog() { return TheDialog(); }

bool ShowSimpleFilterDialog(TColumnEx* Column) {
  TDBGridExSimpleFilterDialog*& dialog = TheDialog();
  if (!dialog) {
    dialog = ui::Create<TDBGridExSimpleFilterDialog>(Application);
    // Freed with the application; the pointer must not outlive it.
    dialog->OnDestroy = [](TObject*) { TheDialog() = nullptr; };
  }
  dialog->Column = Column;
  dialog->Init();
  return dialog->ShowModal() == mrOk;
}

}  // namespace grid
