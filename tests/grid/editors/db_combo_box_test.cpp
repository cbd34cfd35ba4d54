// The combo box editor over the in-memory dataset: key-based lookup, the
// keys that step through the items, completion while typing, and the list
// that drops down (picking, keys going to it, what it leaves in the text).
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>

#include "platform/data/data_source.h"
#include "grid/editors/db_combo_box_ex.h"
#include "platform/ui/edits.h"
#include "components/extended/data/ext_memory_data.h"
#include "platform/ui/forms.h"
#include "tests/platform/ui/harness.h"
#include "platform/ui/keys.h"
#include "platform/classes/string_list.h"

using namespace db;
using ext::TExtMemoryData;
using grid::TDBComboBoxEx;
using rtl::Variant;
using ui::String;

namespace {

struct DBComboBox : ::testing::Test {
  uitest::Harness h;
  TExtMemoryData ds{nullptr};
  TDataSource src{nullptr};
  ui::TForm* form = nullptr;
  TDBComboBoxEx* combo = nullptr;
  ui::TEdit* other = nullptr;

  void SetUp() override {
    ds.FieldDefs().Add(u"K", ftInteger);
    ds.FieldDefs().Add(u"S", ftString, 20);
    ds.Open();
    ds.Append();
    ds.FieldByName(u"K")->SetAsInteger(2);
    ds.FieldByName(u"S")->SetAsString(u"free");
    ds.Post();
    src.SetDataSet(&ds);
    form = h.MakeForm<ui::TForm>();
    form->SetBounds(100, 100, 300, 240);
    combo = new TDBComboBoxEx(form);
    combo->SetParent(form);
    combo->SetBounds(10, 10, 120, 21);
    other = new ui::TEdit(form);
    other->SetParent(form);
    other->SetBounds(10, 150, 120, 21);
  }
  void Items(std::initializer_list<const char16_t*> Texts, std::initializer_list<const char16_t*> Keys = {}) {
    ui::TStringList t, k;
    for (auto* s : Texts) t.Add(s);
    for (auto* s : Keys) k.Add(s);
    combo->SetItems(&t);
    combo->SetKeyItems(&k);
  }
  void Bind(const char16_t* Field) {
    combo->SetDataSource(&src);
    combo->SetDataField(Field);
  }
  void Focus() {
    h.Show(form);
    combo->SetFocus();
    h.ProcessEvents();
    ASSERT_TRUE(combo->Focused());
  }
  TField* F(const char16_t* Name) { return ds.FieldByName(Name); }
  grid::TPopupListboxEx* List() { return combo->PopupListbox(); }
};

TEST_F(DBComboBox, KeyBasedComboShowsTheItemOfTheFieldsKey) {
  Items({u"A", u"B", u"C"}, {u"1", u"2"});
  EXPECT_TRUE(combo->KeyBased());
  EXPECT_EQ(combo->ItemsCount(), 2);  // C has no key
  Bind(u"K");
  EXPECT_EQ(combo->Text(), u"B");
  EXPECT_EQ(combo->ItemIndex(), 1);
  EXPECT_EQ(combo->Value().AsString(), u"2");

  ds.Edit();
  F(u"K")->SetAsInteger(5);  // no such key
  EXPECT_EQ(combo->Text(), u"");
  EXPECT_EQ(combo->ItemIndex(), -1);
  ds.Cancel();
  EXPECT_EQ(combo->Text(), u"B");

  // Only a listed text that has a key is taken; the key is what is stored.
  combo->SetText(u"C");
  EXPECT_EQ(combo->Text(), u"B");
  combo->SetText(u"a");
  EXPECT_EQ(combo->ItemIndex(), 0);
  EXPECT_EQ(F(u"K")->AsInteger(), 1);
  combo->SetItemIndex(2);  // out of range: no item, no value
  EXPECT_EQ(combo->ItemIndex(), -1);
  EXPECT_TRUE(F(u"K")->IsNull());
  combo->SetValue(Variant(u"2"));
  EXPECT_EQ(combo->Text(), u"B");

  // Changing the item texts keeps the key's item on show.
  combo->Items()->Put(1, u"Bee");
  EXPECT_EQ(combo->Text(), u"Bee");
  EXPECT_EQ(combo->ItemIndex(), 1);
  EXPECT_EQ(combo->Value().AsString(), u"2");
}

TEST_F(DBComboBox, KeyTable) {
  Items({u"A", u"B", u"C"}, {u"1", u"2", u"3"});
  Bind(u"K");
  Focus();
  struct Case {
    int from;
    std::uint16_t key;
    ui::TShiftState shift;
    bool readOnly;
    int to;
  } cases[] = {
      {-1, ui::VK_UP, {}, false, 2},    // from no item: the last
      {-1, ui::VK_DOWN, {}, false, 0},  // from no item: the first
      {0, ui::VK_UP, {}, false, 0},     // stays at the first
      {2, ui::VK_DOWN, {}, false, 2},   // stays at the last
      {1, ui::VK_DOWN, {}, false, 2},   {1, ui::VK_UP, {}, false, 0},
      {1, ui::VK_DOWN, {}, true, 1},    // read-only: no stepping
      {1, ui::VK_DELETE, {}, false, -1},  // key-based, not required: no item
      {1, ui::VK_DELETE, {}, true, 1},
  };
  for (const Case& c : cases) {
    combo->SetReadOnly(false);
    combo->SetValue(c.from < 0 ? Variant::Null() : Variant(rtl::IntToStr(c.from + 1)));
    ASSERT_EQ(combo->ItemIndex(), c.from);
    combo->SetReadOnly(c.readOnly);
    h.Key(combo, c.key, c.shift);
    EXPECT_EQ(combo->ItemIndex(), c.to) << c.from << " key " << c.key << " ro " << c.readOnly;
    if (c.to >= 0 && c.to != c.from) {
      EXPECT_EQ(combo->SelLength(), static_cast<int>(combo->Text().size()));
    }
  }
  combo->SetReadOnly(false);

  // A required field keeps its item on Delete.
  combo->SetValue(Variant(u"2"));
  F(u"K")->SetRequired(true);
  h.Key(combo, ui::VK_DELETE);
  EXPECT_EQ(combo->ItemIndex(), 1);

  // The wheel steps too: down to the next, up to the prior.
  combo->Perform(ui::WM_MOUSEWHEEL, static_cast<ui::WPARAM>(static_cast<std::uint16_t>(-120)) << 16, 0);
  EXPECT_EQ(combo->ItemIndex(), 2);
  combo->Perform(ui::WM_MOUSEWHEEL, static_cast<ui::WPARAM>(120) << 16, 0);
  EXPECT_EQ(combo->ItemIndex(), 1);

  // Stepping edits; the key reaches the field on post.
  h.Key(combo, ui::VK_DOWN);
  ds.Post();
  EXPECT_EQ(F(u"K")->AsInteger(), 3);
}

TEST_F(DBComboBox, KeyBasedTypingCompletesAndBackspaceNarrows) {
  Items({u"Apple", u"Banana"}, {u"1", u"2"});
  combo->SetValue(Variant::Null());
  Focus();
  h.Type(combo, u"b");
  EXPECT_EQ(combo->Text(), u"Banana");
  EXPECT_EQ(combo->ItemIndex(), 1);
  EXPECT_EQ(combo->SelStart(), 1);
  EXPECT_EQ(combo->SelLength(), 5);
  // A letter that matches nothing keeps the item.
  h.Type(combo, u"x");
  EXPECT_EQ(combo->Text(), u"Banana");

  combo->SelectAll();
  h.Key(combo, ui::VK_BACK);
  EXPECT_EQ(combo->Text(), u"Banana");
  EXPECT_EQ(combo->SelStart(), 5);
  EXPECT_EQ(combo->SelLength(), 1);
  h.Key(combo, ui::VK_BACK);
  EXPECT_EQ(combo->SelStart(), 4);
  EXPECT_EQ(combo->SelLength(), 2);
  EXPECT_EQ(combo->Value().AsString(), u"2");
}

TEST_F(DBComboBox, FreeTextTypingCompletesAgainstTheItems) {
  Items({u"Apple", u"Apricot", u"Banana"});
  Bind(u"S");
  Focus();
  combo->SelectAll();
  h.Type(combo, u"a");
  EXPECT_EQ(combo->Text(), u"Apple");
  EXPECT_EQ(combo->SelStart(), 1);
  EXPECT_EQ(combo->SelLength(), 4);
  h.Type(combo, u"pr");
  EXPECT_EQ(combo->Text(), u"Apricot");
  EXPECT_EQ(combo->ItemIndex(), 1);
  EXPECT_EQ(combo->SelStart(), 3);
  // Text of its own is kept as typed.
  h.Type(combo, u"z");
  EXPECT_EQ(combo->Text(), u"Aprz");
  EXPECT_EQ(combo->ItemIndex(), -1);
  ds.Post();
  EXPECT_EQ(F(u"S")->AsString(), u"Aprz");
}

TEST_F(DBComboBox, ListDropsDownAndPickingStoresTheKey) {
  Items({u"One", u"Two", u"Three", u"Four"}, {u"1", u"2", u"3", u"4"});
  Bind(u"K");
  Focus();
  int dropped = 0, closed = 0;
  bool accepted = false;
  combo->OnDropDown = [&](ui::TObject*) { ++dropped; };
  combo->OnCloseUp = [&](ui::TObject*, bool Accept) {
    ++closed;
    accepted = Accept;
  };
  combo->DropDown();
  ASSERT_TRUE(combo->ListVisible());
  EXPECT_EQ(dropped, 1);
  EXPECT_TRUE(List()->Visible());
  EXPECT_EQ(List()->Count(), 4);
  EXPECT_EQ(List()->ItemIndex(), 1);
  EXPECT_EQ(List()->RowCount(), 4);  // fewer items than rows
  EXPECT_EQ(List()->Width(), combo->Width());
  // Below the combo, left-aligned.
  const ui::TPoint below = combo->ClientToScreen(ui::Point(0, combo->Height()));
  EXPECT_EQ(List()->Left(), below.X);
  EXPECT_EQ(List()->Top(), below.Y);

  // The navigation keys move the list's selection, not the combo's.
  h.Key(combo, ui::VK_DOWN);
  h.Key(combo, ui::VK_DOWN);
  EXPECT_EQ(List()->ItemIndex(), 3);
  EXPECT_EQ(combo->ItemIndex(), 1);
  h.Key(combo, ui::VK_HOME, ui::TShiftState{ui::ssCtrl});
  EXPECT_EQ(List()->ItemIndex(), 0);
  h.Key(combo, ui::VK_NEXT);
  EXPECT_EQ(List()->ItemIndex(), 3);
  h.Key(combo, ui::VK_UP);
  EXPECT_EQ(List()->ItemIndex(), 2);
  // Enter picks and closes.
  h.Key(combo, ui::VK_RETURN);
  EXPECT_FALSE(combo->ListVisible());
  EXPECT_FALSE(List()->Visible());
  EXPECT_EQ(closed, 1);
  EXPECT_TRUE(accepted);
  EXPECT_EQ(combo->Text(), u"Three");
  EXPECT_EQ(combo->SelLength(), 5);
  ds.Post();
  EXPECT_EQ(F(u"K")->AsInteger(), 3);

  // Esc closes without picking.
  combo->DropDown();
  h.Key(combo, ui::VK_DOWN);
  h.Key(combo, ui::VK_ESCAPE);
  EXPECT_FALSE(combo->ListVisible());
  EXPECT_FALSE(accepted);
  EXPECT_EQ(combo->ItemIndex(), 2);

  // A click on an item picks it.
  combo->DropDown();
  const int row = List()->ItemHeight();
  h.Click(List(), ui::Point(10, row * 3 + row / 2));
  EXPECT_FALSE(combo->ListVisible());
  EXPECT_TRUE(accepted);
  EXPECT_EQ(combo->Text(), u"Four");
  ds.Post();
  EXPECT_EQ(F(u"K")->AsInteger(), 4);

  // Leaving the combo closes the list without picking.
  combo->DropDown();
  h.Key(combo, ui::VK_UP);
  other->SetFocus();
  h.ProcessEvents();
  EXPECT_FALSE(combo->ListVisible());
  EXPECT_FALSE(accepted);
  EXPECT_EQ(F(u"K")->AsInteger(), 4);
}

TEST_F(DBComboBox, TypedCharactersGoToTheTextWhileTheListIsOpen) {
  // The characters share their codes with navigation keys: ! Page Up,
  // " Page Down, & Up, ( Down, % Left, ' Right.
  Items({u"a", u"b", u"c", u"d", u"e", u"f", u"g", u"h", u"i", u"j"});
  combo->SetValue(Variant(u"e"));
  Focus();
  combo->DropDown();
  ASSERT_TRUE(combo->ListVisible());
  ASSERT_EQ(List()->ItemIndex(), 4);
  combo->SetSelStart(1);
  h.Type(combo, u"!\"&(%'");
  EXPECT_EQ(combo->Text(), u"e!\"&(%'");
  EXPECT_TRUE(combo->ListVisible());
  EXPECT_EQ(List()->ItemIndex(), -1);  // the text is no item any more
  // Characters sent as messages (no key-down before them) go the same way.
  for (char16_t ch : {u'!', u'('}) combo->Perform(ui::WM_CHAR, ch);
  EXPECT_EQ(combo->Text(), u"e!\"&(%'!(");
  EXPECT_EQ(List()->TopIndex(), 0);
  // The real keys still reach the list.
  h.Key(combo, ui::VK_DOWN);
  EXPECT_EQ(List()->ItemIndex(), 0);
  h.Key(combo, ui::VK_ESCAPE);
  EXPECT_EQ(combo->Text(), u"e!\"&(%'!(");
}

TEST_F(DBComboBox, ListWidthRowsAndResizeAreRemembered) {
  Items({u"x", u"a much longer item than the combo is wide", u"y"});
  combo->DropDownBox()->SetWidth(-1);
  combo->DropDownBox()->SetRows(2);
  combo->DropDownBox()->SetSizable(true);
  Focus();
  combo->DropDown();
  EXPECT_GT(List()->Width(), combo->Width());
  EXPECT_EQ(List()->RowCount(), 2);
  EXPECT_TRUE(List()->SizeGrip()->Visible());
  // The user drags the list larger; the next drop-down opens that size.
  List()->SetBounds(List()->Left(), List()->Top(), 250, 3 * List()->ItemHeight() + List()->BorderHeight());
  combo->CloseUp(false);
  EXPECT_EQ(combo->DropDownBox()->Rows(), 3);
  EXPECT_EQ(combo->DropDownBox()->Width(), 250);
  combo->DropDown();
  EXPECT_EQ(List()->Width(), 250);
  EXPECT_EQ(List()->RowCount(), 3);
  combo->CloseUp(false);

  // AutoDrop opens the list on typing; copying settings leaves AutoDrop alone.
  grid::TDropDownBoxEx copy;
  copy.SetAutoDrop(true);
  copy.SetRows(9);
  combo->SetDropDownBox(&copy);
  EXPECT_EQ(combo->DropDownBox()->Rows(), 9);
  EXPECT_FALSE(combo->DropDownBox()->AutoDrop());
  combo->DropDownBox()->SetAutoDrop(true);
  h.Type(combo, u"q");
  EXPECT_TRUE(combo->ListVisible());
}

TEST_F(DBComboBox, KeyBasedPressOpensTheListAndNotInListFiresOnlyWithoutAnItem) {
  Items({u"One", u"Two"}, {u"1", u"2"});
  Bind(u"K");
  h.Show(form);
  h.Click(combo, ui::Point(20, 10));
  EXPECT_TRUE(combo->Focused());
  EXPECT_TRUE(combo->ListVisible());
  h.Click(combo, ui::Point(20, 10));  // a second click closes it
  EXPECT_FALSE(combo->ListVisible());

  int notInList = 0;
  String seen;
  combo->OnNotInList = [&](ui::TObject*, const String& Text, bool&) {
    ++notInList;
    seen = Text;
  };
  combo->SetItemIndex(0);
  EXPECT_EQ(notInList, 0);
  combo->SetItemIndex(-1);
  EXPECT_EQ(notInList, 1);
  EXPECT_EQ(seen, u"");

  int requests = 0;
  combo->Items()->Clear();
  combo->OnGetItemsList = [&](ui::TObject*) {
    ++requests;
    combo->Items()->Add(u"One");
    combo->Items()->Add(u"Two");
  };
  combo->DropDown();
  EXPECT_EQ(requests, 1);
  EXPECT_EQ(List()->Count(), 2);
  combo->CloseUp(false);
}

TEST_F(DBComboBox, OpenListTakesTheWheelAndClosesOnCancelModeFromElsewhere) {
  Items({u"a", u"b", u"c", u"d", u"e", u"f", u"g", u"h", u"i", u"j"});
  combo->DropDownBox()->SetRows(3);
  Focus();
  combo->DropDown();
  combo->Perform(ui::WM_MOUSEWHEEL, static_cast<ui::WPARAM>(static_cast<std::uint16_t>(-120)) << 16, 0);
  EXPECT_EQ(List()->TopIndex(), 1);  // the list scrolled; the combo kept its text
  EXPECT_EQ(combo->Text(), u"");
  // Cancel mode from the combo or the list leaves it open; from another control it closes.
  combo->Perform(ui::CM_CANCELMODE, 0, reinterpret_cast<ui::LPARAM>(combo));
  combo->Perform(ui::CM_CANCELMODE, 0, reinterpret_cast<ui::LPARAM>(List()));
  EXPECT_TRUE(combo->ListVisible());
  combo->Perform(ui::CM_CANCELMODE, 0, reinterpret_cast<ui::LPARAM>(other));
  EXPECT_FALSE(combo->ListVisible());
}

TEST_F(DBComboBox, CharCaseAndItemImages) {
  Items({u"Apple", u"Banana"});
  combo->SetCharCase(grid::ecUpperCase);
  Focus();
  h.Type(combo, u"ban");
  EXPECT_EQ(combo->Text(), u"BANANA");  // completed, then in upper case
  EXPECT_EQ(combo->ItemIndex(), 1);
  combo->SetText(u"cherry");
  EXPECT_EQ(combo->Text(), u"CHERRY");
  combo->SetCharCase(grid::ecLowerCase);
  EXPECT_EQ(combo->Text(), u"cherry");

  std::vector<int> asked;
  combo->OnGetItemImageIndex = [&](ui::TObject*, int Index, int& ImageIndex) {
    asked.push_back(Index);
    ImageIndex = Index + 10;
  };
  combo->SetItemIndex(0);
  ASSERT_FALSE(asked.empty());
  EXPECT_EQ(asked.back(), 0);
}

TEST_F(DBComboBox, ScreenshotWithTheListOpen) {
  Items({u"红色", u"Green", u"Blue", u"Yellow"}, {u"1", u"2", u"3", u"4"});
  Bind(u"K");
  Focus();
  combo->DropDown();
  h.ProcessEvents();
  ASSERT_TRUE(List()->Visible());
  const int row = List()->ItemHeight();
  // The picked item (the field's key 2) is highlighted, the others are not.
  EXPECT_EQ(h.PixelAt(List(), List()->Width() - 8, row + row / 2), ui::ColorToRGB(ui::clHighlight));
  EXPECT_EQ(h.PixelAt(List(), List()->Width() - 8, 2 * row + row / 2), ui::ColorToRGB(combo->Color()));

  const std::string dir =
      (std::filesystem::temp_directory_path() / ("jq_db_combo_" + std::to_string(::getpid()))).string();
  std::filesystem::create_directories(dir);
  EXPECT_TRUE(std::filesystem::exists(h.SaveScreenshot(form, "db_combo_box", dir)));
  EXPECT_TRUE(std::filesystem::exists(h.SaveScreenshot(List(), "db_combo_box_list", dir)));
  std::filesystem::remove_all(dir);
  combo->CloseUp(false);
}

}  // namespace
