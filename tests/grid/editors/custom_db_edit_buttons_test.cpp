// The visible side of the data-aware edit: its buttons at the edge and what
// they do when pressed, clicked or reached by a short cut, the image chosen
// from the value, the height rule, the required-field mark, the text drawn
// by the editor itself, and the tooltip for text that does not fit.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "platform/ui/bitmap.h"
#include "grid/editor_support/button_faces.h"
#include "grid/editors/custom_db_edit_ex.h"
#include "platform/data/data_source.h"
#include "components/extended/data/ext_memory_data.h"
#include "platform/ui/forms.h"
#include "platform/ui/application.h"
#include "grid/editors/tool_tips_window.h"
#include <QCoreApplication>
#include <QWidget>
#include "tests/platform/ui/harness.h"
#include "platform/ui/keys.h"
#include "platform/ui/menus.h"
#include "platform/ui/themes.h"

using namespace db;
using ext::TExtMemoryData;
using grid::TCustomDBEditEx;
using grid::TEditButtonEx;
using rtl::Variant;
using ui::TRect;

namespace {

// An editor whose Value can be a number, and that counts its drop-downs.
class TestEdit : public TCustomDBEditEx {
 public:
  explicit TestEdit(ui::TComponent* Owner) : TCustomDBEditEx(Owner) {}
  Variant NumericValue = Variant::Null();
  bool UseNumericValue = false;
  int DropDowns = 0, CloseUps = 0;

  using TCustomDBEditEx::UpdateImageIndex;
  bool IsDroppedDown() const { return DroppedDown(); }
  void DropDown() override {
    ++DropDowns;
    TCustomDBEditEx::DropDown();
  }
  void CloseUp(bool Accept) override {
    if (DroppedDown()) ++CloseUps;
    TCustomDBEditEx::CloseUp(Accept);
  }

 protected:
  void ReadValue(Variant& V) const override {
    if (UseNumericValue)
      V = NumericValue;
    else
      TCustomDBEditEx::ReadValue(V);
  }
};

struct EditLook : ::testing::Test {
  uitest::Harness h;
  TExtMemoryData ds{nullptr};
  TDataSource src{nullptr};
  ui::TForm* form = nullptr;
  TestEdit* edit = nullptr;

  void SetUp() override {
    ui::SetThemesEnabled(false);
    grid::EditorSystemMetrics() = grid::TEditorSystemMetrics{};
    grid::InitEditorTools();
    ds.FieldDefs().Add(u"A", ftInteger);
    ds.FieldDefs().Add(u"Name", ftString, 20, true);
    ds.Open();
    src.SetDataSet(&ds);
    form = h.MakeForm<ui::TForm>();
    form->SetBounds(0, 0, 320, 240);
    edit = MakeEdit(10, 10, 150);
  }
  void TearDown() override {
    grid::DoneEditorTools();
    ui::SetThemesEnabled(true);
  }

  TestEdit* MakeEdit(int X, int Y, int W) {
    auto* e = new TestEdit(form);
    e->SetParent(form);
    e->SetBounds(X, Y, W, 21);
    return e;
  }
  // The left edges of the button controls, main button first.
  std::vector<int> ButtonLefts(TCustomDBEditEx* E) {
    std::vector<int> out;
    for (int i = 0; i < E->ButtonControlCount(); ++i) out.push_back(E->ButtonControl(i).EditButtonControl->Left());
    return out;
  }
  // Whether any pixel of the column range differs from the editor's colour.
  bool InkBetween(TCustomDBEditEx* E, int FromX, int ToX) {
    const TRect area = E->TextArea();
    for (int x = FromX; x < ToX; ++x)
      for (int y = area.Top + 2; y < area.Bottom - 2; ++y)
        if (h.PixelAt(E, x, y) != ui::ColorToRGB(E->Color())) return true;
    return false;
  }
};

TEST_F(EditLook, WithoutVisibleButtonsTheTextTakesTheWholeClientArea) {
  edit->HandleNeeded();
  EXPECT_EQ(edit->ButtonControlCount(), 1);
  EXPECT_EQ(edit->ButtonWidth(), 0);
  const TRect area = edit->TextArea();
  EXPECT_EQ(area.Width(), edit->Width() - 4);  // only the window's own frame is left out
}

TEST_F(EditLook, ButtonWidthFollowsTheFlatLookUnlessTheButtonHasItsOwn) {
  struct Case {
    bool flat;
    int width;
    int expected;
  } cases[] = {
      {false, 0, grid::EditorSystemMetrics().VScrollWidth},
      {true, 0, grid::FlatButtonWidth},
      {false, 25, 25},
      {true, 25, 25},
  };
  ASSERT_GT(grid::FlatButtonWidth, 0);
  ASSERT_NE(grid::FlatButtonWidth, grid::EditorSystemMetrics().VScrollWidth);
  for (const Case& c : cases) {
    TestEdit* e = MakeEdit(10, 40, 150);
    e->SetFlat(c.flat);
    e->EditButton()->SetVisible(true);
    e->EditButton()->SetWidth(c.width);
    e->HandleNeeded();
    SCOPED_TRACE(testing::Message() << "flat " << c.flat << " width " << c.width);
    EXPECT_EQ(e->ButtonControl(0).EditButtonControl->Width(), c.expected);
    // A flat editor without themes draws a line beside each visible button.
    EXPECT_EQ(e->ButtonWidth(), c.expected + (c.flat ? 1 : 0));
    EXPECT_EQ(e->TextArea().Right, e->ButtonsRect().Left);
    delete e;
  }
}

TEST_F(EditLook, MainButtonSitsInnermostAndFurtherButtonsFollowOutwards) {
  edit->EditButton()->SetVisible(true);
  edit->EditButtons()->Add();
  edit->EditButtons()->Add()->SetWidth(25);
  edit->HandleNeeded();
  ASSERT_EQ(edit->ButtonControlCount(), 3);
  const auto lefts = ButtonLefts(edit);
  EXPECT_LT(lefts[0], lefts[1]);
  EXPECT_LT(lefts[1], lefts[2]);
  EXPECT_EQ(lefts[2] + 25, edit->Width() - 2);
  EXPECT_EQ(edit->ButtonWidth(), 2 * grid::EditorSystemMetrics().VScrollWidth + 25);

  // Removing a button at run time lays the rest out again.
  delete edit->EditButtons()->Items(1);
  EXPECT_EQ(edit->ButtonControlCount(), 2);
  EXPECT_EQ(edit->ButtonWidth(), 2 * grid::EditorSystemMetrics().VScrollWidth);
  edit->EditButton()->SetVisible(false);
  EXPECT_EQ(edit->ButtonWidth(), grid::EditorSystemMetrics().VScrollWidth);
}

TEST_F(EditLook, PressOnTheMainButtonDropsDownAndTheNextClickClosesIt) {
  edit->EditButton()->SetVisible(true);
  int clicks = 0;
  edit->OnButtonClick = [&](ui::TObject*, bool&) { ++clicks; };
  h.Show(form);
  auto* button = edit->ButtonControl(0).EditButtonControl;

  h.Click(button);
  EXPECT_TRUE(edit->Focused());
  EXPECT_EQ(edit->DropDowns, 1);
  EXPECT_TRUE(edit->IsDroppedDown());  // the click ending the opening press keeps it open
  EXPECT_TRUE(button->AlwaysDown());
  EXPECT_EQ(clicks, 1);

  h.Click(button);
  EXPECT_EQ(edit->DropDowns, 1);
  EXPECT_EQ(edit->CloseUps, 1);
  EXPECT_FALSE(edit->IsDroppedDown());
  EXPECT_FALSE(button->AlwaysDown());
}

TEST_F(EditLook, HandledButtonDownAndUpDownStylesOpenNothing) {
  edit->EditButton()->SetVisible(true);
  bool handle = true;
  edit->OnButtonDown = [&](ui::TObject*, bool, bool&, bool& Handled) { Handled = handle; };
  h.Show(form);
  auto* button = edit->ButtonControl(0).EditButtonControl;
  h.Click(button);
  EXPECT_EQ(edit->DropDowns, 0);

  handle = false;
  edit->EditButton()->SetStyle(grid::ebsUpDownEx);
  h.Click(button, ui::Point(3, 2));
  EXPECT_EQ(edit->DropDowns, 0);
}

TEST_F(EditLook, FurtherButtonRunsItsOwnEventsNotTheEditorsDropDown) {
  TEditButtonEx* extra = edit->EditButtons()->Add();
  int downs = 0, clicks = 0, editorClicks = 0;
  extra->OnDown = [&](ui::TObject*, bool, bool&, bool&) { ++downs; };
  extra->OnClick = [&](ui::TObject*, bool& Handled) {
    ++clicks;
    Handled = true;
  };
  edit->OnButtonClick = [&](ui::TObject*, bool&) { ++editorClicks; };
  h.Show(form);
  h.Click(edit->ButtonControl(1).EditButtonControl);
  EXPECT_EQ(downs, 1);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(editorClicks, 0);
  EXPECT_EQ(edit->DropDowns, 0);
}

TEST_F(EditLook, ShortCutsPressTheirButtonsAndTheMainOneOnlyWhileActive) {
  TEditButtonEx* extra = edit->EditButtons()->Add();
  extra->SetShortCut(ui::ShortCut(ui::VK_F4, {}));
  int extraClicks = 0;
  extra->OnClick = [&](ui::TObject*, bool& Handled) {
    ++extraClicks;
    Handled = true;
  };
  edit->EditButton()->SetVisible(true);
  edit->EditButton()->SetShortCut(grid::AltDownShortCut);
  h.Show(form);
  edit->SetFocus();
  h.ProcessEvents();

  h.Key(edit, ui::VK_DOWN, ui::TShiftState{ui::ssAlt});
  EXPECT_EQ(edit->DropDowns, 1);
  edit->CloseUp(false);
  h.Key(edit, ui::VK_F4);
  EXPECT_EQ(extraClicks, 1);

  // Without an active link the main button's short cut does nothing; the
  // further buttons keep theirs.
  edit->SetDataSource(&src);
  edit->SetFocus();
  h.ProcessEvents();
  h.Key(edit, ui::VK_DOWN, ui::TShiftState{ui::ssAlt});
  EXPECT_EQ(edit->DropDowns, 1);
  h.Key(edit, ui::VK_F4);
  EXPECT_EQ(extraClicks, 2);
}

TEST_F(EditLook, ButtonsFollowTheLinkBeingActive) {
  edit->EditButton()->SetVisible(true);
  edit->HandleNeeded();
  auto* button = edit->ButtonControl(0).EditButtonControl;
  EXPECT_TRUE(button->Enabled());  // unbound: always active
  edit->SetDataSource(&src);
  EXPECT_FALSE(button->Enabled());  // a data source without a field
  edit->SetDataField(u"A");
  EXPECT_TRUE(button->Enabled());
  edit->EditButton()->SetEnabled(false);
  EXPECT_FALSE(button->Enabled());
}

TEST_F(EditLook, ImageIndexIsTheRoundedNumberOrMinusOneWhenThereIsNone) {
  ui::TImageList images(form);
  images.SetWidth(16);
  images.SetHeight(16);
  edit->SetImages(&images);
  edit->UseNumericValue = true;
  const double inf = std::numeric_limits<double>::infinity();
  struct Case {
    Variant value;
    int expected;
  } cases[] = {
      {Variant(3), 3},
      {Variant(2.5), 2},  // ties go to the even neighbour
      {Variant(-1.4), -1},
      {Variant(7.6), 8},
      {Variant(std::int16_t{12}), 12},
      {Variant(u"3"), -1},  // a text picks nothing
      {Variant::Null(), -1},
      {Variant(std::nan("")), -1},
      {Variant(inf), -1},
      {Variant(-inf), -1},
      {Variant(1e300), -1},
      {Variant(2147483648.0), -1},
      {Variant(-2147483648.0), std::numeric_limits<int>::min()},
  };
  for (const Case& c : cases) {
    edit->NumericValue = c.value;
    edit->UpdateImageIndex();
    EXPECT_EQ(edit->EditImage()->ImageIndex(), c.expected) << "case " << (&c - cases);
  }

  edit->NumericValue = Variant(3);
  edit->SetOnGetImageIndex([](ui::TObject*, int& Index) { Index += 10; });
  EXPECT_EQ(edit->EditImage()->ImageIndex(), 13);
}

TEST_F(EditLook, ImageTakesRoomLeftOfTheText) {
  ui::TImageList images(form);
  images.SetWidth(16);
  images.SetHeight(16);
  edit->SetImages(&images);
  edit->HandleNeeded();
  EXPECT_EQ(edit->ImageWidth(), 20);
  EXPECT_EQ(edit->TextArea().Left, 2 + 20);
  edit->EditImage()->SetWidth(30);
  EXPECT_EQ(edit->ImageWidth(), 34);
  EXPECT_EQ(edit->TextArea().Left, 2 + 34);
}

TEST_F(EditLook, AutoSizeFitsTheHeightToTheFontOrTallerImages) {
  edit->HandleNeeded();
  const int plain = edit->Height();
  edit->SetFlat(true);
  EXPECT_EQ(edit->Height(), plain - 2);
  edit->SetFlat(false);

  ui::TImageList images(form);
  images.SetWidth(16);
  images.SetHeight(40);
  edit->SetImages(&images);
  EXPECT_EQ(edit->Height(), 40 + 8);
  edit->EditImage()->SetUseImageHeight(false);
  EXPECT_EQ(edit->Height(), plain);

  edit->SetAutoSize(false);
  edit->SetHeight(60);
  edit->Font()->SetSize(20);
  EXPECT_EQ(edit->Height(), 60);
}

TEST_F(EditLook, RequiredMarkShowsOnlyForAnEmptyRequiredFieldWhileHighlighted) {
  ds.Append();
  edit->SetDataSource(&src);
  edit->SetDataField(u"Name");
  h.Show(form);
  const TRect area = edit->TextArea();
  const int y = edit->Height() - 3;
  auto redDots = [&] {
    int n = 0;
    for (int x = area.Left + 2; x < area.Right - 3; ++x)
      if (h.PixelAt(edit, x, y) == ui::clRed) ++n;
    return n;
  };
  EXPECT_EQ(redDots(), 0);
  edit->SetHighlightRequired(true);
  edit->Invalidate();
  EXPECT_GT(redDots(), 10);

  bool veto = true;
  edit->OnCheckDrawRequiredState = [&](ui::TObject*, bool& Draw) {
    if (veto) Draw = false;
  };
  edit->Invalidate();
  EXPECT_EQ(redDots(), 0);
  veto = false;

  ds.FieldByName(u"Name")->SetAsString(u"x");
  edit->Invalidate();
  EXPECT_EQ(redDots(), 0);
}

TEST_F(EditLook, RightAlignedTextIsDrawnFlushRightUntilTheEditorHasTheFocus) {
  auto* other = MakeEdit(10, 100, 150);
  edit->SetText(u"888");
  edit->SetAlignment(ui::taRightJustify);
  h.Show(form);
  other->SetFocus();
  h.ProcessEvents();
  const TRect area = edit->TextArea();
  const int mid = (area.Left + area.Right) / 2;
  EXPECT_EQ(edit->TextAlignment(), ui::taLeftJustify);  // the window itself stays left-aligned
  EXPECT_TRUE(InkBetween(edit, mid, area.Right));
  EXPECT_FALSE(InkBetween(edit, area.Left, mid));

  edit->SetFocus();
  h.ProcessEvents();
  edit->SetSelStart(0);
  EXPECT_TRUE(InkBetween(edit, area.Left, mid));
  EXPECT_FALSE(InkBetween(edit, mid, area.Right - 2));

  other->SetFocus();
  h.ProcessEvents();
  EXPECT_TRUE(InkBetween(edit, mid, area.Right));
}

// The mouse comes to rest over the editor for the hint pause, from outside
// it: false when the platform's own tool tip shows the hint.
bool RestOver(uitest::Harness& h, ui::TWinControl* c) {
  QEvent leave(QEvent::Leave);
  QCoreApplication::sendEvent(c->Widget(), &leave);
  h.MouseMove(c, ui::Point(5, 5));
  h.Advance(static_cast<std::uint64_t>(ui::Application->HintPause));
  return uitest::ShownPlatformToolTip().empty();
}

TEST_F(EditLook, TooltipShowsTheWholeTextOnlyWhenItDoesNotFit) {
  edit->Font()->SetSize(13);
  edit->SetTooltips(true);
  EXPECT_TRUE(edit->TControl::ShowHint());
  h.Show(form);

  const ui::String longText(30, u'W');  // wider than the editor, narrower than the screen
  edit->SetText(longText);
  RestOver(h, edit);
  auto shown = uitest::ShownHintWindows();
  ASSERT_EQ(shown.size(), 1u);
  auto* tip = dynamic_cast<grid::TToolTipsWindow*>(shown[0]);
  ASSERT_NE(tip, nullptr);
  EXPECT_EQ(tip->Caption(), longText);
  EXPECT_EQ(tip->BoundsRect().TopLeft(), edit->ClientToScreen(ui::Point(0, edit->Height())));
  EXPECT_EQ(tip->Font()->Size(), 13);  // measured and drawn as the editor shows it
  ui::TCanvas measure;
  measure.Font()->Assign(edit->Font());
  EXPECT_GE(tip->Width(), measure.TextWidth(longText));

  // Text that fits shows none: without ShowHint nothing at all, with it the
  // ordinary hint, which the platform's own tool tip shows.
  edit->SetText(u"short");
  edit->SetHint(u"名称|the long part");
  EXPECT_TRUE(RestOver(h, edit));
  EXPECT_TRUE(uitest::ShownHintWindows().empty());
  edit->SetShowHint(true);
  ui::THintInfo info;
  info.HintStr = u"名称";
  EXPECT_TRUE(edit->GetHintInfo(info));
  EXPECT_EQ(info.HintStr, u"名称");
  EXPECT_FALSE(info.HintWindowClass);
  EXPECT_FALSE(ui::Application->ActivateControlHint(edit, ui::Point(100, 100)));
  EXPECT_TRUE(uitest::ShownHintWindows().empty());

  // Without Tooltips a long text is an ordinary hint too.
  edit->SetText(longText);
  edit->SetTooltips(false);
  EXPECT_FALSE(ui::Application->ActivateControlHint(edit, ui::Point(100, 100)));
  edit->SetShowHint(false);
  EXPECT_FALSE(edit->TControl::ShowHint());
  EXPECT_TRUE(uitest::ShownHintWindows().empty());
}

// Columns [first, last] holding ink of the editor's text colour in rows [top, bottom).
std::pair<int, int> InkColumns(uitest::Harness& h, ui::TWinControl* c, const TRect& r, int top, int bottom) {
  int first = r.Right, last = -1;
  for (int y = top; y < bottom; ++y)
    for (int x = r.Left; x < r.Right; ++x)
      if (qGray(h.PixelAt(c, x, y)) < 128) {
        first = std::min(first, x);
        last = std::max(last, x);
      }
  return {first, last};
}

TEST_F(EditLook, WordWrappedCentredEditorShowsCentredLinesAndAnswersLineQueries) {
  auto* other = MakeEdit(10, 200, 150);
  edit->SetAutoSize(false);  // several lines need more than one line's height
  edit->SetBounds(10, 10, 150, 80);
  edit->EditButton()->SetVisible(true);
  const ui::String text = u"alpha beta gamma delta epsilon zeta eta theta\r\nend";
  edit->SetText(text);
  edit->SetAlignment(ui::taCenter);
  edit->SetWordWrap(true);
  h.Show(form);
  other->SetFocus();
  h.ProcessEvents();

  ASSERT_TRUE(edit->MultiLine());
  EXPECT_EQ(edit->Text(), text);  // the text moved over to the multi-line window
  EXPECT_EQ(edit->TextAlignment(), ui::taCenter);
  // The text is laid out beside the button, in the text area.
  EXPECT_EQ(edit->FormattingRect(), edit->TextArea());

  // The first paragraph wraps onto several lines; the hard break starts the last one.
  const int lines = edit->LineCount();
  EXPECT_GE(lines, 3);
  EXPECT_EQ(edit->LineFromChar(0), 0);
  const int end = static_cast<int>(text.find(u"end")) - 1;  // one line end in the window
  EXPECT_EQ(edit->LineFromChar(end), lines - 1);
  EXPECT_EQ(edit->LineFromChar(end - 2), lines - 2);
  int previous = 0;
  for (int i = 0; i <= end; ++i) {
    const int line = edit->LineFromChar(i);
    ASSERT_TRUE(line == previous || line == previous + 1) << i;
    previous = line;
  }
  edit->SetSelStart(end);
  EXPECT_EQ(edit->LineFromChar(), lines - 1);  // the caret's line

  // Every shown line is centred in the text area, the short last one too.
  const TRect area = edit->TextArea();
  ui::TCanvas measure;
  measure.Font()->Assign(edit->Font());
  const int lineHeight = measure.TextHeight(u"Wg");
  const int centre = (area.Left + area.Right) / 2;
  for (int line : {0, lines - 1}) {
    // The middle rows of the line, clear of its neighbours.
    const int top = area.Top + line * lineHeight;
    const auto [first, last] = InkColumns(h, edit, area, top + lineHeight / 4, top + 3 * lineHeight / 4);
    ASSERT_LE(first, last) << "no ink on line " << line;
    EXPECT_NEAR((first + last) / 2, centre, 3) << "line " << line;
    EXPECT_GT(first, area.Left + 4) << "line " << line;
  }
  EXPECT_FALSE(h.SaveScreenshot(form, "db_edit_word_wrap").empty());

  // Without word wrap the editor is back on one line, text and all.
  edit->SetWordWrap(false);
  EXPECT_FALSE(edit->MultiLine());
  EXPECT_EQ(edit->LineCount(), 1);
  EXPECT_EQ(edit->Text(), text);
}

TEST_F(EditLook, ScreenshotOfEditorsWithButtonsAndImage) {
  ui::TImageList images(form);
  images.SetWidth(16);
  images.SetHeight(16);
  ui::TBitmap pic(16, 16);
  pic.Canvas()->Brush()->SetColor(ui::clBlue);
  pic.Canvas()->FillRect(ui::Rect(0, 0, 16, 16));
  pic.Canvas()->Brush()->SetColor(ui::clYellow);
  pic.Canvas()->FillRect(ui::Rect(4, 4, 12, 12));
  images.AddMasked(&pic, ui::clFuchsia);

  edit->EditButton()->SetVisible(true);
  edit->SetText(u"drop-down");
  TestEdit* spin = MakeEdit(10, 40, 150);
  spin->EditButton()->SetVisible(true);
  spin->EditButton()->SetStyle(grid::ebsUpDownEx);
  spin->EditButtons()->Add()->SetStyle(grid::ebsEllipsisEx);
  spin->SetText(u"up-down and ellipsis");
  TestEdit* pictured = MakeEdit(10, 70, 150);
  pictured->SetImages(&images);
  pictured->UseNumericValue = true;
  pictured->NumericValue = Variant(0);
  pictured->UpdateImageIndex();
  pictured->SetFlat(true);
  pictured->EditButton()->SetVisible(true);
  pictured->EditButtons()->Add()->SetStyle(grid::ebsPlusEx);
  pictured->SetText(u"image, flat");
  TestEdit* right = MakeEdit(10, 100, 150);
  right->SetAlignment(ui::taRightJustify);
  right->SetText(u"12345");
  right->EditButton()->SetVisible(true);
  right->EditButton()->SetStyle(grid::ebsEllipsisEx);
  h.Show(form);
  pictured->ButtonControl(0).EditButtonControl->SetAlwaysDown(true);
  EXPECT_EQ(h.PixelAt(pictured, 2 + 4 + 8, pictured->Height() / 2), ui::clYellow);
  const std::string path = h.SaveScreenshot(form, "db_edit_buttons");
  EXPECT_FALSE(path.empty());
}

}  // namespace
