// The calculator control and its drop-down form: keys typed, clicked and
// wheeled through the control; the popup computing or accepting on Enter,
// closing through its owner, and handing values over; the stored layout,
// its frame and its scaling; screenshots.
#include <gtest/gtest.h>

#include "grid/editors/calculator_ex.h"
#include "platform/ui/clipboard.h"
#include "platform/runtime/exceptions.h"
#include "platform/ui/forms.h"
#include "tests/platform/ui/harness.h"
#include "platform/ui/keys.h"
#include "platform/ui/themes.h"
#include "tests/grid/editors/editor_test_text.h"

using grid::TCalculatorEx;
using grid::TPopupCalculatorEx;
using grid::TSpeedButtonEx;
using ui::String;

namespace {


ui::WPARAM Wheel(int Delta) { return static_cast<ui::WPARAM>(static_cast<std::uint16_t>(Delta)) << 16; }

rtl::TFormatSettings PointSettings() {
  rtl::TFormatSettings fs = rtl::TFormatSettings::Invariant();
  fs.DecimalSeparator = u'.';
  return fs;
}

// An owner that listens for the popup's close.
class Owner : public ui::TComponent, public grid::IPopupOwnerEx {
 public:
  Owner() : ui::TComponent(nullptr) {}
  ~Owner() override { BeginDestroy(); }
  void CloseUp(bool Accept) override { closes.push_back(Accept); }
  std::vector<bool> closes;
};

struct CalculatorControl : ::testing::Test {
  uitest::Harness h;
  ui::TForm* form = nullptr;
  TCalculatorEx* calc = nullptr;

  void SetUp() override {
    form = h.MakeForm<ui::TForm>();
    form->SetBounds(100, 100, 260, 200);
    calc = new TCalculatorEx(form);
    calc->SetFormatSettings(PointSettings());
    calc->SetParent(form);
    calc->SetBounds(10, 10, 0, 0);
  }
  void Focus() {
    h.Show(form);
    calc->SetTabStop(true);
    calc->SetFocus();
    h.ProcessEvents();
    ASSERT_TRUE(calc->Focused());
  }
  TSpeedButtonEx* B(const char16_t* Name) { return calc->Button(Name); }
};

TEST_F(CalculatorControl, TypedKeysWorkTheDisplay) {
  Focus();
  struct Case {
    const char16_t* typed;
    const char* display;
    const char* equal;
  } cases[] = {
      {u"12+3=", "15", "Ok"},
      {u"12+3==", "15", "Ok"},
      {u"12+3", "3", "="},
      // Enter computes in the plain control, also with a left operand of 0.
      {u"0-3\r", "-3", "Ok"},
      {u"0*5\r", "0", "Ok"},
      {u"9+16s=", "4", "Ok"},
      {u"9+16i=", "-7", "Ok"},
      {u"4r", "0.25", "Ok"},
      {u"5+3c", "0", "Ok"},
      {u"1,5.2", "1.52", "Ok"},
      {u"8/0=12+", "Error", "Ok"},
      {u"8/0=c7", "7", "Ok"},
      {u"123\b\b", "1", "Ok"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Utf8(c.typed));
    calc->ProcessKey(u'C');
    h.Type(calc, c.typed);
    EXPECT_EQ(Utf8(calc->DisplayText()), c.display);
    EXPECT_EQ(Utf8(calc->spEqual->Caption()), c.equal);
  }
}

TEST_F(CalculatorControl, DeleteAndEscapeClearAndOnlyDeleteLeavesAnError) {
  Focus();
  h.Type(calc, u"8/0=");
  ASSERT_EQ(calc->Status(), grid::csErrorEx);
  h.Key(calc, ui::VK_ESCAPE);
  EXPECT_EQ(Utf8(calc->DisplayText()), "Error");
  h.Key(calc, ui::VK_DELETE);
  EXPECT_EQ(Utf8(calc->DisplayText()), "0");
  EXPECT_EQ(calc->Status(), grid::csFirstEx);
  h.Type(calc, u"42");
  h.Key(calc, ui::VK_ESCAPE);
  EXPECT_EQ(Utf8(calc->DisplayText()), "0");
}

TEST_F(CalculatorControl, ButtonsSendTheirKeys) {
  h.Show(form);
  for (const char16_t* name : {u"SpeedButton7", u"SpeedButton6", u"SpeedButton15", u"SpeedButton4", u"SpeedButton2",
                               u"SpeedButton9"})
    h.Click(B(name));  // 1 2 * 0 . 5
  EXPECT_EQ(Utf8(calc->DisplayText()), "0.5");
  EXPECT_EQ(Utf8(calc->spEqual->Caption()), "=");
  h.Click(calc->spEqual);
  EXPECT_EQ(Utf8(calc->DisplayText()), "6");
  h.Click(B(u"SpeedButton3"));  // +/-
  EXPECT_EQ(Utf8(calc->DisplayText()), "-6");
  h.Click(B(u"SpeedButton22"));  // <-
  EXPECT_EQ(Utf8(calc->DisplayText()), "0");
  h.Click(B(u"SpeedButton10"));
  h.Click(B(u"SpeedButton20"));  // 4 sqrt
  EXPECT_EQ(Utf8(calc->DisplayText()), "2");
  h.Click(B(u"SpeedButton18"));  // 1/x
  EXPECT_EQ(Utf8(calc->DisplayText()), "0.5");
  h.Click(B(u"SpeedButton23"));  // C
  EXPECT_EQ(Utf8(calc->DisplayText()), "0");
}

TEST_F(CalculatorControl, WheelStepsTheDisplayButNotAnError) {
  h.Show(form);
  calc->SetDisplayValue(2.5);
  calc->Perform(ui::WM_MOUSEWHEEL, Wheel(120), 0);
  EXPECT_EQ(Utf8(calc->DisplayText()), "3.5");
  calc->Perform(ui::WM_MOUSEWHEEL, Wheel(-240), 0);
  EXPECT_EQ(Utf8(calc->DisplayText()), "1.5");
  // A handler that takes the wheel keeps it from the display.
  calc->OnMouseWheelUp = [](ui::TObject*, ui::TShiftState, ui::TPoint, bool& Handled) { Handled = true; };
  calc->Perform(ui::WM_MOUSEWHEEL, Wheel(120), 0);
  EXPECT_EQ(Utf8(calc->DisplayText()), "1.5");
  calc->ProcessKey(u'/');
  calc->ProcessKey(u'0');
  calc->ProcessKey(u'=');
  calc->Perform(ui::WM_MOUSEWHEEL, Wheel(-120), 0);
  EXPECT_EQ(Utf8(calc->DisplayText()), "Error");
}

TEST_F(CalculatorControl, CopyAndPasteThroughTheClipboard) {
  Focus();
  h.Type(calc, u"12.5");
  h.Key(calc, 'C', {ui::ssCtrl});
  EXPECT_EQ(Utf8(ui::Clipboard()->AsText()), "12.5");
  ui::Clipboard()->SetAsText(u" 7.25 ");
  h.Key(calc, 'V', {ui::ssCtrl});
  EXPECT_EQ(Utf8(calc->DisplayText()), "7.25");
  // Not a number: the error goes out and the display stays.
  ui::Clipboard()->SetAsText(u"seven");
  EXPECT_THROW(calc->ProcessKey(22), rtl::EConvertError);
  EXPECT_EQ(Utf8(calc->DisplayText()), "7.25");
}

TEST_F(CalculatorControl, StoredLayout) {
  // Geometry, captions, tags and colours of the keys, at 96 dpi and the
  // layout's own text height; the frameless control is exactly its client.
  const grid::TCalculatorLayoutEx& layout = grid::CalculatorLayout();
  ASSERT_EQ(layout.Buttons.size(), 22u);
  const bool unscaled = calc->TextHeightOfLayout() == 13 && calc->Font()->Height() == -11 &&
                        layout.TextHeight == calc->TextHeightOfLayout();
  for (const auto& item : layout.Buttons) {
    SCOPED_TRACE(Utf8(item.Name));
    TSpeedButtonEx* b = B(item.Name);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->Caption(), item.Caption);
    EXPECT_EQ(b->Tag(), item.Tag);
    EXPECT_EQ(b->Font()->Color(), item.FontColor);
    EXPECT_EQ(b->Style(), grid::ebsGlyphEx);
    EXPECT_TRUE(b->Active());
    EXPECT_TRUE(b->Flat());
    EXPECT_EQ(b->Parent(), calc);
    if (unscaled) {
      EXPECT_EQ(b->BoundsRect(), ui::Bounds(item.Left, item.Top, item.Width, item.Height));
    }
  }
  EXPECT_EQ(calc->spEqual, B(u"spEqual"));
  EXPECT_EQ(calc->TextBox->Parent(), calc->Panel1);
  EXPECT_EQ(calc->TextBox->Alignment(), ui::taRightJustify);
  EXPECT_EQ(Utf8(calc->DisplayText()), "0");
  EXPECT_EQ(calc->Color(), ui::clBtnFace);
  EXPECT_TRUE(calc->AutoSize());
  EXPECT_EQ(calc->BorderExtent(), 0);
  EXPECT_EQ(calc->Width(), calc->LayoutClientWidth());
  EXPECT_EQ(calc->PixelsPerInch(), 96);

  // A border takes room round the client; the keys keep their places in it.
  const ui::TRect key = calc->spEqual->BoundsRect();
  const int w = calc->Width(), hgt = calc->Height();
  calc->SetBorderStyle(ui::bsSingle);
  EXPECT_EQ(calc->BorderExtent(), 4);  // a sunken client edge
  EXPECT_EQ(calc->Width(), w + 4);
  EXPECT_EQ(calc->Height(), hgt + 4);
  EXPECT_EQ(calc->spEqual->BoundsRect(), key);
  calc->SetCtl3D(false);
  EXPECT_EQ(calc->BorderExtent(), 2);  // a plain line
  EXPECT_EQ(calc->Width(), w + 2);
  calc->SetBorderStyle(ui::bsNone);
  EXPECT_EQ(calc->spEqual->BoundsRect(), key);
  // The size follows the layout, not what a caller asks for.
  calc->SetBounds(0, 0, 20, 20);
  EXPECT_EQ(calc->Width(), w);
}

TEST_F(CalculatorControl, LayoutScalesToTheTextHeightAndTheScreen) {
  // Drawn with text twice as high as the font gives here: everything halves.
  grid::TCalculatorLayoutEx big = grid::CalculatorLayout();
  TCalculatorEx probe(nullptr, big);
  big.TextHeight = 2 * [&] {
    ui::TCanvas canvas;
    canvas.SetFont(probe.Font());
    return canvas.TextHeight(u"0");
  }();
  TCalculatorEx half(nullptr, big);
  EXPECT_EQ(half.spEqual->Left(), 61);
  EXPECT_EQ(half.spEqual->Width(), 28);
  EXPECT_EQ(half.Panel1->Width(), 86);
  EXPECT_EQ(half.TextBox->Width(), 83);
  EXPECT_EQ(half.Width(), 92);
  EXPECT_EQ(half.Height(), 64);
  EXPECT_EQ(half.spEqual->Font()->Height(), -6);

  // Drawn at 192 dpi: the font is brought to this screen first.
  grid::TCalculatorLayoutEx hires = grid::CalculatorLayout();
  hires.PixelsPerInch = 192;
  hires.FontHeight = -22;
  TCalculatorEx fromHires(nullptr, hires);
  EXPECT_EQ(fromHires.Font()->Height(), -11);
  EXPECT_EQ(fromHires.PixelsPerInch(), 96);
}

TEST_F(CalculatorControl, PixelsPerInchTakesOnlySensibleValues) {
  calc->SetPixelsPerInch(120);
  EXPECT_EQ(calc->PixelsPerInch(), 120);
  calc->SetPixelsPerInch(20);
  EXPECT_EQ(calc->PixelsPerInch(), 120);
  calc->SetPixelsPerInch(0);
  EXPECT_EQ(calc->PixelsPerInch(), 96);  // 0 reads as the screen's
  const ui::TPropInfo* p = ui::GetPropInfo(calc, "PixelsPerInch");
  ASSERT_NE(p, nullptr);
  EXPECT_FALSE(p->Stored);
  EXPECT_FALSE(ui::GetPropInfo(calc, "ClientWidth")->Stored);
}

// --- the popup ------------------------------------------------------------------------

struct PopupCalculator : ::testing::Test {
  uitest::Harness h;
  Owner owner;
  TPopupCalculatorEx* popup = nullptr;

  void SetUp() override {
    popup = new TPopupCalculatorEx(&owner);
    popup->SetFormatSettings(PointSettings());
  }
  // What an editor does with the keys typed while the popup is open.
  void Pass(std::u16string_view Keys) {
    for (char16_t k : Keys) {
      const auto vk = static_cast<ui::WPARAM>(k == u'\r' ? ui::VK_RETURN : k == 0x1b ? ui::VK_ESCAPE : k);
      if (popup->Perform(ui::WM_KEYDOWN, vk, 0) == 0 || k != 0x1b) popup->Perform(ui::WM_CHAR, k, 0);
    }
  }
  std::string Display() { return Utf8(popup->DisplayText()); }
};

TEST_F(PopupCalculator, EnterComputesWhileEqualsShowsAndAcceptsAfterwards) {
  grid::IPopupCalculatorEx* i = popup;
  i->SetValue(rtl::Variant(5.0));
  Pass(u"+3");
  EXPECT_FALSE(i->ReadyToAccept());
  EXPECT_EQ(Utf8(popup->spEqual->Caption()), "=");
  Pass(u"\r");
  EXPECT_EQ(Display(), "8");
  EXPECT_TRUE(i->ReadyToAccept());
  EXPECT_TRUE(owner.closes.empty());
  Pass(u"\r");
  ASSERT_EQ(owner.closes, std::vector<bool>{true});
  EXPECT_EQ(i->GetValue().AsDouble(), 8.0);

  // A left operand of 0 still computes before anything is accepted.
  owner.closes.clear();
  i->SetValue(rtl::Variant(0.0));
  Pass(u"-3\r");
  EXPECT_TRUE(owner.closes.empty());
  EXPECT_EQ(i->GetValue().AsDouble(), -3.0);
  Pass(u"=");
  EXPECT_EQ(owner.closes, std::vector<bool>{true});
}

TEST_F(PopupCalculator, EscapeAndTheCloseMessageCancel) {
  Pass(u"12\x1b");
  EXPECT_EQ(owner.closes, std::vector<bool>{false});
  EXPECT_EQ(Display(), "12");  // Escape was consumed, not taken as clear
  popup->Perform(grid::WM_POPUPCLOSEUP);
  EXPECT_EQ(owner.closes, (std::vector<bool>{false, false}));
  // The special-key question claims Enter and Escape without closing a
  // popup that does not hold the focus.
  EXPECT_EQ(popup->Perform(ui::CM_WANTSPECIALKEY, ui::VK_RETURN), 1);
  EXPECT_EQ(popup->Perform(ui::CM_WANTSPECIALKEY, 'A'), 0);
  EXPECT_EQ(owner.closes.size(), 2u);
}

TEST_F(PopupCalculator, WithoutAListeningOwnerAcceptAndCancelDoNothing) {
  ui::TComponent plain(nullptr);
  auto* orphan = new TPopupCalculatorEx(&plain);
  orphan->SetFormatSettings(PointSettings());
  orphan->Perform(ui::WM_CHAR, u'4');
  orphan->Perform(ui::WM_CHAR, 13);
  EXPECT_EQ(Utf8(orphan->DisplayText()), "4");
  // Escape is still consumed: no clear follows.
  EXPECT_NE(orphan->Perform(ui::WM_KEYDOWN, ui::VK_ESCAPE), 0);
  EXPECT_EQ(orphan->Perform(ui::CM_WANTSPECIALKEY, ui::VK_ESCAPE), 0);
}

TEST_F(PopupCalculator, ValuesHandedOverAndErrors) {
  grid::IPopupCalculatorEx* i = popup;
  Pass(u"7+");
  i->SetValue(rtl::Variant(2.5));
  EXPECT_EQ(Display(), "2.5");
  EXPECT_EQ(popup->Status(), grid::csFirstEx);
  Pass(u"=");  // the pending addition was cleared with the new value
  EXPECT_EQ(owner.closes, std::vector<bool>{true});
  const rtl::Variant v = i->GetValue();
  EXPECT_EQ(v.VarType(), rtl::varDouble);
  EXPECT_EQ(v.AsDouble(), 2.5);

  Pass(u"/0=");
  EXPECT_EQ(Display(), "Error");
  const rtl::Variant e = i->GetValue();
  EXPECT_TRUE(e.IsError());
  EXPECT_EQ(e.VarType(), 10);
  EXPECT_EQ(static_cast<std::uint32_t>(e.ErrorCode()), 0xFFFFFFFFu);
  EXPECT_THROW(e.AsDouble(), rtl::EVariantError);
  i->SetValue(rtl::Variant(1.0));
  EXPECT_EQ(Display(), "1");
}

TEST_F(PopupCalculator, WindowNeverTakesTheFocusAndDrawsItsOwnBorder) {
  EXPECT_FALSE(popup->CanFocus());
  EXPECT_FALSE(popup->TabStop());
  EXPECT_FALSE(popup->Visible());
  EXPECT_EQ(popup->Perform(ui::WM_MOUSEACTIVATE), grid::MA_NOACTIVATE);
  const ui::LRESULT code = popup->Perform(ui::WM_GETDLGCODE);
  EXPECT_EQ(code & (ui::DLGC_WANTARROWS | ui::DLGC_WANTTAB | ui::DLGC_WANTCHARS),
            ui::DLGC_WANTARROWS | ui::DLGC_WANTTAB | ui::DLGC_WANTCHARS);

  grid::TCalcCreateParamsEx params;
  popup->PrepareCreateParams(params);
  EXPECT_EQ(params.Style, grid::WS_POPUP);
  EXPECT_EQ(params.ExStyle, grid::WS_EX_TOOLWINDOW);
  EXPECT_EQ(params.WindowClassStyle, grid::CS_SAVEBITS);
  EXPECT_TRUE(popup->Ctl3D());
  EXPECT_EQ(popup->BorderWidth(), 2);
  // The border is the window's frame: the client area, and the keys with
  // it, start two pixels in.
  TCalculatorEx plain(nullptr);
  const int w = popup->Width();
  EXPECT_EQ(w, plain.Width() + 4);
  EXPECT_EQ(popup->spEqual->Left(), plain.spEqual->Left());
  popup->HandleNeeded();
  EXPECT_EQ(popup->ClientWidth(), plain.Width());
  EXPECT_EQ(popup->ClientToScreen({0, 0}), (ui::TPoint{popup->Left() + 2, popup->Top() + 2}));

  // Flat: a line border instead of the raised one.
  popup->SetCtl3D(false);
  EXPECT_EQ(popup->BorderWidth(), 0);
  EXPECT_EQ(popup->BorderExtent(), 2);
  EXPECT_EQ(popup->Width(), w - 2);
  EXPECT_EQ(popup->NonClientMargins(), (ui::TPadding{1, 1, 1, 1}));
  EXPECT_EQ(popup->spEqual->Left(), plain.spEqual->Left());
  popup->SetCtl3D(true);
  EXPECT_EQ(popup->Width(), w);
  EXPECT_EQ(popup->NonClientMargins(), (ui::TPadding{2, 2, 2, 2}));
}

TEST_F(PopupCalculator, FlatReachesEveryButton) {
  grid::IPopupCalculatorEx* i = popup;
  EXPECT_TRUE(i->GetFlat());
  i->ApplyFlat(false);
  EXPECT_FALSE(popup->Flat());
  EXPECT_FALSE(popup->spEqual->Flat());
  popup->SetFlat(true);
  for (int n = 0; n < popup->ComponentCount(); ++n)
    if (auto* b = dynamic_cast<TSpeedButtonEx*>(popup->Components(n))) {
      EXPECT_TRUE(b->Flat()) << Utf8(b->Name());
    }
}

TEST_F(CalculatorControl, Screenshots) {
  h.Show(form);
  calc->ProcessKey(u'1');
  calc->ProcessKey(u'2');
  calc->ProcessKey(u'+');
  calc->ProcessKey(u'3');
  h.ProcessEvents();
  EXPECT_FALSE(h.SaveScreenshot(calc, "calculator").empty());

  Owner owner;
  auto* popup = new TPopupCalculatorEx(&owner);
  popup->SetFormatSettings(PointSettings());
  popup->SetValue(rtl::Variant(3.25));
  popup->SetBounds(120, 120, 0, 0);
  popup->Show();
  h.ProcessEvents();
  EXPECT_FALSE(h.SaveScreenshot(popup, "calculator_popup").empty());
  // The raised border: a dark line outside, a light one inside, then the client.
  EXPECT_EQ(h.WindowPixelAt(popup, 0, 10), ui::ColorToRGB(ui::cl3DDkShadow));
  EXPECT_EQ(h.WindowPixelAt(popup, 1, 10), ui::ColorToRGB(ui::clBtnHighlight));
  EXPECT_EQ(h.PixelAt(popup, 0, 0), h.WindowPixelAt(popup, 2, 2));
}

// A single border is the window's frame: the keys keep their places in the
// client area, which starts inside it, and a click lands on the key drawn
// under it.
TEST_F(CalculatorControl, SingleBorderIsTheWindowsFrame) {
  h.Show(form);
  const ui::TRect key = calc->spEqual->BoundsRect();
  const ui::TRect seven = B(u"SpeedButton1")->BoundsRect();
  const int w = calc->Width();
  calc->SetBorderStyle(ui::bsSingle);
  h.ProcessEvents();
  EXPECT_EQ(calc->NonClientMargins(), (ui::TPadding{2, 2, 2, 2}));
  EXPECT_EQ(calc->Width(), w + 4);
  EXPECT_EQ(calc->ClientWidth(), w);
  EXPECT_EQ(calc->spEqual->BoundsRect(), key);
  EXPECT_EQ(calc->ClientToScreen({0, 0}), form->ClientToScreen({calc->Left() + 2, calc->Top() + 2}));
  EXPECT_EQ(calc->spEqual->ClientToScreen({0, 0}), calc->ClientToScreen({key.Left, key.Top}));
  // Sunken: grey then dark above and left, white then light below and right.
  const int cw = calc->Width(), ch = calc->Height();
  EXPECT_EQ(h.WindowPixelAt(calc, 0, ch / 2), ui::ColorToRGB(ui::clBtnShadow));
  EXPECT_EQ(h.WindowPixelAt(calc, 1, ch / 2), ui::ColorToRGB(ui::cl3DDkShadow));
  EXPECT_EQ(h.WindowPixelAt(calc, cw / 2, 0), ui::ColorToRGB(ui::clBtnShadow));
  EXPECT_EQ(h.WindowPixelAt(calc, cw - 1, ch / 2), ui::ColorToRGB(ui::clBtnHighlight));
  EXPECT_EQ(h.WindowPixelAt(calc, cw / 2, ch - 1), ui::ColorToRGB(ui::clBtnHighlight));
  EXPECT_FALSE(h.SaveScreenshot(calc, "calculator_single_border").empty());
  h.Click(calc, ui::TPoint{seven.Left, seven.Top});
  EXPECT_EQ(Utf8(calc->DisplayText()), "7");
  h.Click(calc, ui::TPoint{seven.Right - 1, seven.Bottom - 1});
  EXPECT_EQ(Utf8(calc->DisplayText()), "77");

  // Without the 3D look: a one-pixel line.
  calc->SetCtl3D(false);
  h.ProcessEvents();
  EXPECT_EQ(calc->NonClientMargins(), (ui::TPadding{1, 1, 1, 1}));
  EXPECT_EQ(calc->Width(), w + 2);
  EXPECT_EQ(calc->spEqual->BoundsRect(), key);
  for (ui::TPoint p : {ui::TPoint{0, 10}, ui::TPoint{10, 0}, ui::TPoint{calc->Width() - 1, 10},
                       ui::TPoint{10, calc->Height() - 1}})
    EXPECT_EQ(h.WindowPixelAt(calc, p.X, p.Y), ui::ColorToRGB(ui::clWindowFrame)) << p.X << "," << p.Y;
  calc->SetBorderStyle(ui::bsNone);
  h.ProcessEvents();
  EXPECT_EQ(calc->NonClientMargins(), ui::TPadding{});
  EXPECT_EQ(calc->Width(), w);
}

// A flat key at rest wears a frame round the whole key: the top and both
// sides carry it from the first row on, not only below the caption.
TEST_F(CalculatorControl, FlatKeyAtRestIsFramedAllRound) {
  ASSERT_TRUE(ui::ThemesEnabled());
  Focus();
  TSpeedButtonEx* key = B(u"SpeedButton10");
  ASSERT_NE(key, nullptr);
  const ui::TRect r = key->BoundsRect();
  // Inside the frame the key shows its ground.
  const ui::TColor ground = h.PixelAt(calc, r.Left + 3, r.Top + 3);
  const int w = r.Width(), hgt = r.Height();
  struct Probe {
    int x, y;
    const char* where;
  };
  for (const Probe& p : {Probe{w / 2, 0, "top edge"}, Probe{0, 2, "left edge near the top"},
                         Probe{w - 1, 2, "right edge near the top"}, Probe{0, hgt / 2, "left edge"},
                         Probe{w / 2, hgt - 1, "bottom edge"}})
    EXPECT_NE(h.PixelAt(calc, r.Left + p.x, r.Top + p.y), ground) << p.where;
}

}  // namespace
