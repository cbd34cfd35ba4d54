// The find dialog of the data grids: one for the whole program, made on the
// first Ctrl+F and owned by the application. "Find next" runs the grid's
// LocateText with what the dialog's boxes say.
#pragma once

#include <vector>

#include "grid/core/db_grid_ex_types.h"
#include "grid/editors/custom_db_check_box_ex.h"
#include "grid/editors/db_combo_box_ex.h"
#include "platform/ui/ui.h"

namespace grid {

class TCustomDBGridEx;
class TColumnEx;

class TDBGridExFindDlg : public ui::TForm {
  JQ_UI_CLASSINFO
 public:
  explicit TDBGridExFindDlg(ui::TComponent* AOwner);
  ~TDBGridExFindDlg() override;

  ui::TLabel* Label1;
  TDBComboBoxEx* cbText;
  ui::TButton* bFind;
  ui::TLabel* Label2;
  TDBComboBoxEx* cbFindIn;
  ui::TButton* bCancel;
  ui::TLabel* cbMatchType;
  TDBComboBoxEx* cbMatchinType;
  ui::TLabel* Label3;
  TDBComboBoxEx* cbFindDirection;
  TDBCheckBoxEx* cbCharCase;
  TDBCheckBoxEx* cbUseFormat;
  ui::TLabel* Label4;
  TDBComboBoxEx* dbcTreeFindRange;

  // Only the first search of a series starts from the top with "All".
  bool IsFirstTry = false;

  TCustomDBGridEx* Grid() const { return FGrid; }
  // ColumnFieldName and ColumnFields are not used by this dialog.
  void Execute(TCustomDBGridEx* AGrid, const String& Text, const String& ColumnFieldName,
               const std::vector<String>& ColumnFields, bool Modal);
  // The columns "Find next" would search; kept up to date, not read by the search.
  const std::vector<TColumnEx*>& FindColumnsList() const { return FFindColumnsList; }
  int CurInListColIndex() const { return FCurInListColIndex; }

  void bFindClick(ui::TObject* Sender);
  void bCancelClick(ui::TObject* Sender);
  void cbFindInChange(ui::TObject* Sender);
  void cbTextChange(ui::TObject* Sender);
  void FormKeyDown(ui::TObject* Sender, std::uint16_t& Key, ui::TShiftState Shift);
  void FormCreate(ui::TObject* Sender);
  void FormDestroy(ui::TObject* Sender);
  void FillColumnsList();
  void FillFindColumnsList();

 protected:
  void Notification(ui::TComponent* AComponent, ui::TOperation Operation) override;

 private:
  // The column of cbFindIn's selected item while it still belongs to the grid.
  TColumnEx* SelectedFindInColumn() const;

  std::vector<TColumnEx*> FFindColumnsList;
  int FCurInListColIndex = -1;
  std::vector<String> FColumnFields;
  int FSourceHeight = 0;
  TCustomDBGridEx* FGrid = nullptr;
};

// Opens the program's find dialog for the grid (made on first use).
void ShowGridFindDialog(TCustomDBGridEx* Grid, const String& Text, const String& ColumnFieldName,
                        const std::vector<String>& ColumnFields, bool Modal);
// The dialog when it exists, else nil.
TDBGridExFindDlg* GridFindDialog();

// The find-dialog module: start-up makes ShowGridFindDialog the grids' find
// dialog; shut-down takes it back.
void InitDBGridExFindDlgs();
void DoneDBGridExFindDlgs();

// Item index of the fixed lists to their values; an index outside the list
// gives the first value.
TLocateTextMatchingEx FindMatchingOfIndex(int Index);
TLocateTextDirectionEx FindDirectionOfIndex(int Index);
TLocateTextTreeFindRangeEx FindTreeRangeOfIndex(int Index);

}  // namespace grid
