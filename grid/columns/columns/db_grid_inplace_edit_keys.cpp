// The cell editor's keys, typed text and its completion, and paste.
#include <algorithm>

#include "grid/columns/columns/column_ex.h"
#include "grid/columns/columns/db_grid_inplace_edit.h"
#include "grid/columns/lookup/popup_data_grid_ex.h"
#include "grid/core/custom_db_grid_ex.h"
#include "grid/core/db_grid_ex_module.h"
#include "grid/core/grid_data_link_ex.h"
#include "grid/editor_support/tool_routines.h"
#include "platform/runtime/format_settings.h"
#include "platform/runtime/rtl_string.h"
#include "platform/ui/application.h"
#include "platform/ui/clipboard.h"
#include "platform/ui/keys.h"

namespace grid {

using namespace ui;

int FindTextInStrings(const TStrings* Strings, const String& Text, unsigned Options) {
  if (!Strings) return -1;
  for (int i = 0; i < Strings->Count(); ++i) {
    String s = Strings->Get(i);
    if (Options & ftsPartial) s = s.substr(0, Text.size());
    if (rtl::AnsiCompareText(s, Text) == 0) return i;
  }
  return -1;
}

// --- permissions ---------------------------------------------------------------------

bool TDBGridInplaceEdit::GridStartsFieldEdit() {
  TColumnEx* column = Column();
  if (ReadOnly() && FReadOnlyStored) return false;
  return column && column->CanModify(true);
}

bool TDBGridInplaceEdit::EditAllowedByOperations() const {
  TCustomDBGridEx* grid = DBGrid();
  if (!grid || !grid->DataLink()->Active()) return false;
  db::TDataSet* ds = grid->DataLink()->DataSet();
  const auto ops = grid->AllowedOperations();
  const bool inserting = ds && ds->State() == db::dsInsert;
  if (!ops.Contains(alopUpdateEx) && !inserting) return false;
  return true;
}

bool TDBGridInplaceEdit::LinkEdits() {
  TCustomDBGridEx* grid = DBGrid();
  if (!grid) return false;
  grid->DataLink()->Edit();
  if (!grid->DataLink()->Editing()) return false;
  grid->DataLink()->Modified();
  return true;
}

void TDBGridInplaceEdit::SetTextSelected(const String& Text, int SelFrom, int SelLen) {
  SetText(Text);
  SetSelStart(SelFrom);
  SetSelLength(SelLen);
}

bool TDBGridInplaceEdit::LocateInLookupList(db::TDataSet* List, const String& Text, bool Partial) {
  TColumnEx* column = Column();
  db::TField* f = column ? column->Field() : nullptr;
  if (!List || !f) return false;
  db::TLocateOptions options = db::loCaseInsensitive;
  if (Partial) options |= db::loPartialKey;
  return List->Locate(f->LookupResultField(), rtl::Variant(Text), options);
}

// --- typed text ---------------------------------------------------------------------

void TDBGridInplaceEdit::ProcessTypedText(String& Text) {
  if (Text.size() == 1 && Text[0] < 32 && Text[0] != 8) return;
  TCustomDBGridEx* grid = DBGrid();
  TColumnEx* column = Column();
  if (!grid || !column) return;
  const bool backspace = Text.size() == 1 && Text[0] == 8;
  const int caret = std::clamp(SelStart(), 0, static_cast<int>(this->Text().size()));
  const String prefix =
      this->Text().substr(0, static_cast<std::size_t>(caret)) + (backspace ? String() : Text);
  const int prefixLength = static_cast<int>(prefix.size());

  db::TDataSet* list = column->LookupListDataSet();
  if (FEditStyle == esDataList && list && GridStartsFieldEdit() && EditAllowedByOperations()) {
    db::TField* f = column->Field();
    if (!backspace) {
      if (LocateInLookupList(list, prefix, true)) {
        if (LinkEdits()) {
          db::TField* result = list->FindField(f->LookupResultField());
          const String found = result ? result->Text() : prefix;
          SetTextSelected(found, prefixLength, static_cast<int>(found.size()) - prefixLength);
          grid->SetEditKeyValue(list->FieldValues(f->LookupKeyFields()));
          grid->SetEditText(found);
          DataListFollows();
        }
      } else if (column->OnNotInList) {
        if (LinkEdits()) {
          SetTextSelected(prefix, prefixLength, 0);
          grid->SetEditKeyValue(rtl::Variant::Null());
          grid->SetEditText(prefix);
          DataListFollows();
        }
      }
    }
    Text.clear();
    return;
  }

  const bool keyPickList = column->GetColumnType() == ctKeyPickList;
  if ((keyPickList || FEditStyle == esPickList) && GridStartsFieldEdit()) {
    if (!backspace || !keyPickList) {
      const int i = FindTextInStrings(column->PickList(), prefix, ftsPartial);
      if (i >= 0) {
        Text.clear();
        LinkEdits();
        const String found = column->PickList()->Get(i);
        SetTextSelected(found, prefixLength, static_cast<int>(found.size()) - prefixLength);
        grid->SetEditText(found);
        PickListFollows(i);
      } else if (column->OnNotInList && keyPickList) {
        if (LinkEdits()) {
          SetTextSelected(prefix, prefixLength, 0);
          grid->SetEditKeyValue(rtl::Variant::Null());
          grid->SetEditText(prefix);
          PickListFollows(-1);
        }
      }
    }
    if (keyPickList) Text.clear();
  }
}

void TDBGridInplaceEdit::UpdateEditKeyValue() {
  TCustomDBGridEx* grid = DBGrid();
  TColumnEx* column = Column();
  if (!grid || !column || !column->CanModify(true)) return;
  grid->SetEditText(Text());
  if (FEditStyle != esDataList) return;
  db::TDataSet* list = column->LookupListDataSet();
  if (list && LocateInLookupList(list, Text(), false))
    grid->SetEditKeyValue(list->FieldValues(column->Field()->LookupKeyFields()));
  else
    grid->SetEditKeyValue(rtl::Variant::Null());
}

// --- keys ------------------------------------------------------------------------------

void TDBGridInplaceEdit::EraseAndFollow(bool Backward) {
  int start = SelStart();
  String text = TextWithoutSelection();
  if (Backward && start > 0 && SelLength() == 0) text.erase(static_cast<std::size_t>(--start), 1);
  SetText(text);
  SetSelStart(start);
  UpdateEditKeyValue();
  DataListFollows();
  if (FPickList && FListVisible && Column())
    PickListFollows(FindTextInStrings(Column()->PickList(), Text(), 0));
}

void TDBGridInplaceEdit::DoKeyDown(std::uint16_t& Key, TShiftState Shift) {
  TCustomDBGridEx* grid = DBGrid();
  TColumnEx* column = Column();
  if (!grid || !column) {
    TInplaceEdit::DoKeyDown(Key, Shift);
    return;
  }
  const bool noShift = !Shift.Contains(ssShift) && !Shift.Contains(ssCtrl) && !Shift.Contains(ssAlt);
  const TColumnExType type = column->GetColumnType();
  const bool lookupLike = type == ctLookupField || type == ctKeyPickList;

  if ((FEditStyle == esEllipsis || FEditStyle == esDropDown) && Key == VK_RETURN &&
      Shift == TShiftState{ssCtrl}) {
    RemovePendingMessage(this, WM_CHAR);
    grid->EditButtonClick();
    Key = 0;
    return;
  }
  if (Key == VK_DELETE && noShift && lookupLike && column->CanModify(false)) {
    const bool allSelected = SelStart() == 0 && SelLength() == static_cast<int>(Text().size());
    if (allSelected && column->CanModify(true)) {
      db::TField* f = column->Field();
      if (FEditStyle == esDataList) {
        std::vector<db::TField*> keys;
        if (f && !f->KeyFields().empty()) f->DataSet()->GetFieldList(keys, f->KeyFields());
        if (AllFieldsCanModify(keys) && LinkEdits()) {
          grid->SetEditKeyValue(rtl::Variant::Null());
          grid->SetEditText(String());
          SetText(String());
          DataListFollows();
        }
      } else if (FEditStyle == esPickList && type == ctKeyPickList) {
        SetText(String());
        grid->SetEditText(String());
      }
    } else if (column->OnNotInList) {
      if (column->CanModify(true)) EraseAndFollow(false);
    }
    Key = 0;
    return;
  }
  if (Key == VK_BACK && lookupLike) {
    if (column->OnNotInList && column->CanModify(true)) {
      LinkEdits();
      EraseAndFollow(true);
      Key = 0;
      return;
    }
    // Without a way to take a text that is not in the list, Backspace only
    // moves back through the completed text.
    const int start = SelStart();
    SetSelStart(SelLength() > 0 ? start : std::max(0, start - 1));
    SetSelLength(0);
    Key = 0;
    return;
  }
  if ((Key == VK_UP || Key == VK_DOWN) && FWordWrap) {
    const bool allSelected = SelStart() == 0 && SelLength() == static_cast<int>(Text().size());
    const int line = static_cast<int>(Perform(EM_LINEFROMCHAR, static_cast<WPARAM>(-1), 0));
    const int lines = static_cast<int>(Perform(EM_GETLINECOUNT, 0, 0));
    const bool atEdge = (Key == VK_UP && line == 0) || (Key == VK_DOWN && line >= lines - 1);
    if (grid->Options().Contains(dgAlwaysShowEditor) && (atEdge || allSelected)) {
      TInplaceEdit::DoKeyDown(Key, Shift);
      return;
    }
    // The caret moves from line to line inside the cell.
    TCustomMaskEdit::DoKeyDown(Key, Shift);
    return;
  }
  const TShortCut shortCut = ShortCut(Key, Shift);
  if ((Key == VK_RETURN && noShift && grid->OptionsEx().Contains(dghEnterAsTab) &&
       !(FMRUList && FMRUList->DroppedDown())) ||
      (shortCut != 0 && shortCut == PrevRecordValueShortCut)) {
    grid->Perform(WM_KEYDOWN, Key, 0);
    Key = 0;
    return;
  }
  const TDBGridExOptions optionsEx = grid->OptionsEx();
  if (shortCut != 0 && shortCut == InplaceSearchShortCut && optionsEx.Contains(dghIncSearch)) {
    if (grid->InplaceSearching() && optionsEx.Contains(dghDialogFind) && FindDialogShortCut == shortCut) {
      grid->StopInplaceSearch();
      ShowFindDialog();
    } else {
      grid->StartInplaceSearch(String(), -1, ltdAllEx);
    }
    Key = 0;
    return;
  }
  if (shortCut != 0 && shortCut == FindDialogShortCut && optionsEx.Contains(dghDialogFind)) {
    ShowFindDialog();
    Key = 0;
    return;
  }
  if (FEditStyle == esDataList && column->DropDownSpecRow()->Visible() && shortCut != 0 &&
      column->DropDownSpecRow()->ShortCut() == shortCut) {
    if (column->CanModify(false) && column->CanModify(true)) {
      TSpecRowEx* specialRow = column->DropDownSpecRow();
      grid->SetEditText(specialRow->CellTextAt(0));
      grid->SetEditKeyValue(specialRow->Value());
      SetText(specialRow->CellTextAt(0));
      DataListFollows();
      SelectAll();
    }
    Key = 0;
    return;
  }
  if (TEditButtonEx* button = EditButtonByShortCut(shortCut)) {
    for (std::size_t i = 1; i < FEditButtonControlList.size(); ++i) {
      if (column->EditButtons()->Items(static_cast<int>(i) - 1) != button) continue;
      TEditButtonControlEx* control = FEditButtonControlList[i].EditButtonControl;
      bool autoRepeat = false;
      control->EditButtonDown(true, autoRepeat);
      control->Click();
      break;
    }
    Key = 0;
    return;
  }
  TInplaceEdit::DoKeyDown(Key, Shift);
}

void TDBGridInplaceEdit::ShowFindDialog() {
  if (TCustomDBGridEx* grid = DBGrid()) grid->ShowFindDialog(SelText(), String(), grid->IsFindDialogShowAsModal());
}

void TDBGridInplaceEdit::DoKeyUp(std::uint16_t& Key, TShiftState Shift) {
  TInplaceEdit::DoKeyUp(Key, Shift);
  if (FEditStyle == esDataList && FListVisible && FDataList && Key == VK_CONTROL) {
    std::uint16_t listKey = Key;
    FDataList->KeyUp(listKey, Shift);
  }
}

void TDBGridInplaceEdit::DoKeyPress(char16_t& Key) {
  TColumnEx* column = Column();
  db::TField* f = column ? column->Field() : nullptr;
  if (f && f->IsNumeric() && (Key == u',' || Key == u'.')) Key = rtl::FormatSettings().DecimalSeparator;
  FCharKeyStr = String(1, Key);
  ProcessTypedText(FCharKeyStr);
  if (FCharKeyStr.empty()) Key = 0;
  if (Key == 10 && !FWordWrap) Key = 0;
  if (Key == 0) return;
  const bool backspace = Key == 8;
  TInplaceEdit::DoKeyPress(Key);
  if (backspace && Text().empty() && FMRUList && FMRUList->Active() && Visible() && !FDroppedDown)
    ShowMRUList();
}

void TDBGridInplaceEdit::HandleDropDownKeys(std::uint16_t& Key, TShiftState Shift) {
  const bool listStyle = FEditStyle == esPickList || FEditStyle == esDataList ||
                         FEditStyle == esDateCalendar || FEditStyle == esAltCalendar || IsNumericDropDown();
  if (!listStyle) return;
  const bool alt = Shift.Contains(ssAlt);
  if ((Key == VK_RETURN || Key == VK_ESCAPE) && FListVisible && FActiveList != FPopupCalculator && !alt) {
    TColumnEx* column = Column();
    if (Key == VK_RETURN && FEditStyle == esDataList && column && column->OnNotInList &&
        !LocateInLookupList(column->LookupListDataSet(), Text(), false))
      CloseUp(false);
    else
      CloseUp(Key == VK_RETURN);
    Key = 0;
    return;
  }
  if (Key == VK_RETURN && Shift.Contains(ssCtrl) && !FListVisible) {
    DropDown();
    Key = 0;
    return;
  }
  if ((Key == VK_UP || Key == VK_DOWN) && alt) {
    if (FListVisible)
      CloseUp(true);
    else
      DropDown();
    Key = 0;
  }
}

bool TDBGridInplaceEdit::ProcessListMessage(TMessage& Message) {
  const bool keyDown = Message.Msg == WM_KEYDOWN || Message.Msg == WM_SYSKEYDOWN;
  if (keyDown) {
    auto key = static_cast<std::uint16_t>(Message.WParam);
    HandleDropDownKeys(key, CurrentShiftState());
    if (key == 0) {
      Message.Result = 1;
      return true;
    }
  } else if (Message.Msg == WM_CHAR) {
    const auto ch = static_cast<char16_t>(Message.WParam);
    if (ch >= 32 && !FListVisible && FActiveList) {
      TColumnEx* column = Column();
      if (column && column->AutoDropDown()) DropDown();
    }
  }
  if (!FListVisible || !FActiveList) return false;
  const auto key = static_cast<std::uint16_t>(Message.WParam);
  if (FActiveList == FPopupCalculator) {
    if (key == 8 || key == 13 || key == 27 || (key >= 32 && key <= 126)) {
      Message.Result = FPopupCalculator->Perform(Message.Msg, Message.WParam, Message.LParam);
      if (keyDown) Message.Result = 1;
      return true;
    }
    return false;
  }
  // Only key-down messages move the list: a typed character shares its code
  // with a navigation key ('(' is Down) and belongs in the text.
  if (!keyDown) return false;
  const TShiftState shift = CurrentShiftState();
  const bool calendar = FEditStyle == esDateCalendar || FEditStyle == esAltCalendar;
  const bool toList = key == VK_PRIOR || key == VK_NEXT ||
                      ((key == VK_UP || key == VK_DOWN) && !shift.Contains(ssShift)) ||
                      ((key == VK_HOME || key == VK_END) && shift.Contains(ssCtrl)) ||
                      (calendar && (key == VK_LEFT || key == VK_RIGHT));
  if (!toList) return false;
  if (FActiveList == FDataList) {
    std::uint16_t listKey = key;
    FDataList->KeyDown(listKey, shift);
    SetText(FDataList->SelectedItem());
    SelectAll();
  } else {
    FActiveList->Perform(WM_KEYDOWN, Message.WParam, Message.LParam);
  }
  if (FActiveList == FPickList) {
    const int i = FPickList->ItemIndex();
    if (i >= 0 && i < FPickList->Items()->Count() && FPickList->Items()->Get(i) != Text()) {
      SetText(FPickList->Items()->Get(i));
      SelectAll();
    }
  }
  Message.Result = 1;
  return true;
}

bool TDBGridInplaceEdit::ProcessMRUMessage(TMessage& Message) {
  if (!FMRUList || !FMRUList->DroppedDown() || !FMRUListControl) return false;
  if (Message.Msg == WM_KEYDOWN || Message.Msg == WM_SYSKEYDOWN) {
    const auto key = static_cast<std::uint16_t>(Message.WParam);
    const TShiftState shift = CurrentShiftState();
    if (((key == VK_PRIOR || key == VK_NEXT || key == VK_UP || key == VK_DOWN) && !shift.Contains(ssAlt)) ||
        ((key == VK_HOME || key == VK_END) && shift.Contains(ssCtrl))) {
      FMRUListControl->Perform(WM_KEYDOWN, Message.WParam, Message.LParam);
      Message.Result = 1;
      return true;
    }
    return false;
  }
  if (Message.Msg == WM_CHAR && (Message.WParam == 13 || Message.WParam == 27)) {
    CloseMRUList(Message.WParam == 13);
    return true;
  }
  return false;
}

void TDBGridInplaceEdit::WndProc(TMessage& Message) {
  if (Message.Msg == WM_KEYDOWN || Message.Msg == WM_CHAR || Message.Msg == WM_SYSKEYDOWN) {
    FPendingUserChar = false;
    if (ProcessListMessage(Message)) return;
    if (ProcessMRUMessage(Message)) return;
  }
  TInplaceEdit::WndProc(Message);
}

// --- paste ------------------------------------------------------------------------------

void TDBGridInplaceEdit::PasteText() {
  TCustomDBGridEx* grid = DBGrid();
  TColumnEx* column = Column();
  if (!grid || !column || !EditAllowedByOperations() || !column->CanModify(false)) return;
  TClipboard* clipboard = Clipboard();
  const bool hasText = clipboard->HasFormat(CF_TEXT) || clipboard->HasFormat(CF_UNICODETEXT);
  const String text = Text();
  const int start = std::clamp(SelStart(), 0, static_cast<int>(text.size()));
  const int length = std::clamp(SelLength(), 0, static_cast<int>(text.size()) - start);
  const String before = text.substr(0, static_cast<std::size_t>(start));
  const String after = text.substr(static_cast<std::size_t>(start + length));

  if (FEditStyle != esDataList && column->GetColumnType() != ctKeyPickList) {
    if (!hasText || !CanModifyText()) {
      TMessage m{WM_PASTE, 0, 0, 0};
      TInplaceEdit::Dispatch(m);
      return;
    }
    const String inserted = column->GetAcceptableEditText(clipboard->AsText());
    if (!LinkEdits()) return;
    SetTextSelected(before + inserted + after, start + static_cast<int>(inserted.size()), 0);
    grid->SetEditText(Text());
    Perform(EM_SCROLLCARET);
    return;
  }

  if (!hasText) return;
  const String typed = before + clipboard->AsText() + after;
  const int typedLength = static_cast<int>(typed.size());
  String newText = typed;
  bool found = false;
  db::TDataSet* list = column->LookupListDataSet();
  if (FEditStyle == esDataList && list) {
    rtl::Variant key = rtl::Variant::Null();
    if (LocateInLookupList(list, typed, true)) {
      db::TField* result = list->FindField(column->Field()->LookupResultField());
      newText = result ? result->Text() : typed;
      key = list->FieldValues(column->Field()->LookupKeyFields());
      found = true;
    } else if (!column->OnNotInList) {
      return;
    }
    if (!LinkEdits()) return;
    SetText(newText);
    grid->SetEditKeyValue(key);
    grid->SetEditText(newText);
    DataListFollows();
  } else {
    const int i = FindTextInStrings(column->PickList(), typed, ftsPartial);
    if (i >= 0 && GridStartsFieldEdit()) {
      newText = column->PickList()->Get(i);
      found = true;
    } else if (!column->OnNotInList) {
      return;
    }
    LinkEdits();
    SetText(newText);
    grid->SetEditText(newText);
    PickListFollows(found ? i : -1);
  }
  if (found)
    SetTextSelected(newText, typedLength, static_cast<int>(newText.size()) - typedLength);
  else
    SetTextSelected(newText, static_cast<int>(newText.size()), 0);
}

// --- messages ---------------------------------------------------------------------------

void TDBGridInplaceEdit::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_PASTE:
      PasteText();
      return;
    case CM_WANTSPECIALKEY:
      if ((FListVisible || (FMRUList && FMRUList->DroppedDown())) &&
          (Message.WParam == VK_RETURN || Message.WParam == VK_ESCAPE)) {
        Message.Result = 1;
        return;
      }
      break;
    case WM_KILLFOCUS: {
      auto* to = reinterpret_cast<TWinControl*>(Message.WParam);
      auto within = [](const TControl* c, const TControl* w) {
        for (; c && w; c = c->Parent())
          if (c == w) return true;
        return false;
      };
      if (FListVisible) {
        if (!within(to, FActiveList)) CloseUp(false);
      } else if (FMRUList && FMRUList->DroppedDown() && to != FMRUListControl) {
        CloseMRUList(false);
      }
      break;
    }
    case CM_CANCELMODE: {
      auto* sender = reinterpret_cast<const TControl*>(Message.LParam);
      auto within = [](const TControl* c, const TControl* w) {
        for (; c && w; c = c->Parent())
          if (c == w) return true;
        return false;
      };
      if (FListVisible && !within(sender, this) && !within(sender, FActiveList)) CloseUp(false);
      if (FMRUList && FMRUList->DroppedDown() && !within(sender, FMRUListControl)) CloseMRUList(false);
      break;
    }
    default:
      break;
  }
  TInplaceEdit::Dispatch(Message);
}

bool TDBGridInplaceEdit::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) {
  if (FListVisible) return true;
  return TInplaceEdit::DoMouseWheel(Shift, WheelDelta, MousePos);
}

void TDBGridInplaceEdit::DefaultHandler(TMessage& Message) {
  if (Message.Msg >= WM_LBUTTONDOWN && Message.Msg <= WM_MBUTTONDBLCLK && !MouseCapture()) {
    TRect r;
    Perform(EM_GETRECT, 0, reinterpret_cast<LPARAM>(&r));
    const int x = XPos(Message.LParam);
    if (x < r.Left || x >= r.Right) return;
  }
  FUserTextChanged = false;
  // The edit window may take a typed character after its message: the
  // change then arrives later, through Change.
  FPendingUserChar = Message.Msg == WM_CHAR;
  TInplaceEdit::DefaultHandler(Message);
  if (!FUserTextChanged) return;
  FPendingUserChar = false;
  AfterUserTextChange();
}

void TDBGridInplaceEdit::AfterUserTextChange() {
  FUserTextChanged = false;
  if (!FMRUList) return;
  if (FMRUList->DroppedDown() && Text().empty()) {
    CloseMRUList(false);
  } else if (FMRUList->Active() && Visible() && !FDroppedDown && !Text().empty()) {
    ShowMRUList();
  }
}

}  // namespace grid
