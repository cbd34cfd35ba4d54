#include "grid/columns/filters/filter_list_values.h"

#include "grid/columns/columns/column_ex.h"
#include "grid/columns/columns/column_title_ex.h"
#include "grid/columns/filters/db_utils_ex.h"
#include "grid/columns/filters/filter_popup_items.h"
#include "grid/columns/filters/st_column_filter_ex.h"
#include "grid/columns/filters/st_db_grid_ex_filter.h"
#include "grid/core/custom_db_grid_ex.h"
#include "grid/core/mem_table_intf_ex.h"
#include "grid/editor_support/data_link_ex.h"

namespace grid {

using namespace ui;

namespace {

void AddItem(TStrings* Items, const String& Text, TPopupListboxItemEx* Item) {
  Items->AddObject(Text, static_cast<TObject*>(Item));
}

// Items' update bracket, closed also when filling fails.
struct ItemsUpdate {
  explicit ItemsUpdate(TStrings* Items) : items(Items) { items->BeginUpdate(); }
  ~ItemsUpdate() { items->EndUpdate(); }
  TStrings* items;
};

}  // namespace

void FillSTFilterListCommandValues(TCustomDBGridEx* Grid, TColumnEx* Column, TStrings* Items) {
  ItemsUpdate update(Items);
  if (Grid->OptionsEx().Contains(dghAutoSortMarking) && Column->Title()->TitleButton()) {
    AddItem(Items, u"(Order by descending)", PopupListboxItemSort(smDownEx));
    AddItem(Items, u"(Order by ascending)", PopupListboxItemSort(smUpEx));
    AddItem(Items, u"-", PopupListboxItemLine());
  }
  AddItem(Items, u"(Clear filter)", PopupListboxItemSpec(ptFilterSpecItemClearFilter));
  if (!Grid->STFilter()->InstantApply())
    AddItem(Items, u"(Apply filter)", PopupListboxItemSpec(ptFilterApply));
  AddItem(Items, u"(Custom...)", PopupListboxItemSpec(ptFilterSpecItemDialog));
  AddItem(Items, u"(All)", PopupListboxItemSpec(ptFilterSpecItemAll));
  AddItem(Items, u"(Not empty)", PopupListboxItemSpec(ptFilterSpecItemNotEmties));
  AddItem(Items, u"(Empty)", PopupListboxItemSpec(ptFilterSpecItemEmpties));
}

void StandardFillSTFilterListDataValues(TCustomDBGridEx* Grid, TColumnEx* Column, TStrings* Items) {
  TSTColumnFilterEx* filter = Column->STFilter();
  if (!Column->FieldValueList()) {
    if (filter->ListSource())
      Column->SetFieldValueList(filter->GetFieldValueList());
    else if (IMemTableEx* table = Grid->MemTable())
      Column->SetFieldValueList(table->GetFieldValueList(Column->FieldName()));
  }
  ItemsUpdate update(Items);
  if (auto list = Column->FieldValueList()) {
    // The values offered are those left by every other column's filter.
    const TSTFilterExpressionEx saved = filter->Expression();
    TSTFilterExpressionEx without = saved;
    without.Operator1 = foNon;
    without.Relation = foNon;
    String text;
    filter->SetExpressionQuietly(without);
    try {
      BuildGridFilterText(Grid, StandardSTFilterConditionText, nullptr, false, true, text);
    } catch (...) {
      filter->SetExpressionQuietly(saved);
      throw;
    }
    filter->SetExpressionQuietly(saved);
    list->SetFilter(text);
    TStrings* values = list->GetValues();
    for (int i = 0; i < values->Count(); ++i) AddItem(Items, values->Strings(i), PopupListboxItemData());
  }
  if (Column->HasKeyItems() && Column->HasPickItems()) {
    TStrings* keys = Column->KeyList();
    TStrings* pick = Column->PickList();
    for (int i = 0; i < Items->Count(); ++i) {
      const int k = keys->IndexOf(Items->Strings(i));
      if (k >= 0 && k < pick->Count()) Items->SetStrings(i, pick->Strings(k));
    }
  }
}

}  // namespace grid
