#include "grid/columns/filters/inplace_filter_edit_ex.h"

#include "grid/columns/columns/column_ex.h"
#include "grid/columns/filters/st_column_filter_ex.h"
#include "platform/classes/messages.h"

namespace grid {

using namespace ui;

TInplaceFilterEditEx::TInplaceFilterEditEx(TComponent* AOwner) : TDBComboBoxEx(AOwner) {}

void TInplaceFilterEditEx::TextAreaRect(TRect& Rect) const {
  TDBComboBoxEx::TextAreaRect(Rect);
  Rect.Top += 1;
}

void TInplaceFilterEditEx::SelectAll() { Perform(EM_SETSEL, 0, -1); }

void TInplaceFilterEditEx::CloseUp(bool Accept) {
  // A running item action keeps the list open.
  if (FColumn && FColumn->STFilter()->InFilterListBox()) return;
  TDBComboBoxEx::CloseUp(Accept);
}

void TInplaceFilterEditEx::DropDown() {
  const bool wasOpen = ListVisible();
  TDBComboBoxEx::DropDown();
  if (wasOpen || !ListVisible()) return;
  TPopupListboxEx* list = PopupListbox();
  TStrings* target = list->Items();
  const int n = std::min(target->Count(), Items()->Count());
  for (int i = 0; i < n; ++i) target->PutObject(i, Items()->Objects(i));
  list->Invalidate();
}

void TInplaceFilterEditEx::AssignEditValueAndText(TInplaceFilterEditEx* Editor, const rtl::Variant& Value,
                                                  const String& Text) {
  Editor->SetValue(Value);
  Editor->SetText(Text);
}

}  // namespace grid
