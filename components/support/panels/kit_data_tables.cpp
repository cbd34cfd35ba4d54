#include "components/support/panels/kit_data_tables.h"

namespace kit {

using ui::RGBColor;
using ui::SysColor;

namespace {

struct ColorRow {
  TColor color;
  const char16_t* name;
};

// The library's string resources: start-up copies them into the tables.
const ColorRow kPalette[] = {
    {RGBColor(0, 0, 0), u"Black"},
    {RGBColor(153, 51, 0), u"Brown"},
    {RGBColor(51, 51, 0), u"Olive Green"},
    {RGBColor(0, 51, 0), u"Dark Green"},
    {RGBColor(0, 51, 102), u"Dark Teal"},
    {RGBColor(0, 0, 128), u"Dark Blue"},
    {RGBColor(51, 51, 153), u"Indigo"},
    {RGBColor(51, 51, 51), u"Gray 80%"},
    {RGBColor(128, 0, 0), u"Dark Red"},
    {RGBColor(255, 102, 0), u"Orange"},
    {RGBColor(128, 128, 0), u"Dark Yellow"},
    {RGBColor(0, 128, 0), u"Green"},
    {RGBColor(0, 128, 128), u"Teal"},
    {RGBColor(0, 0, 255), u"Blue"},
    {RGBColor(102, 102, 153), u"Blue Gray"},
    {RGBColor(128, 128, 128), u"Gray 50%"},
    {RGBColor(255, 0, 0), u"Red"},
    {RGBColor(255, 153, 0), u"Light Orange"},
    {RGBColor(153, 204, 0), u"Lime"},
    {RGBColor(51, 153, 102), u"Sea Green"},
    {RGBColor(51, 204, 204), u"Aqua"},
    {RGBColor(51, 102, 255), u"Light Blue"},
    {RGBColor(128, 0, 128), u"Violet"},
    {RGBColor(153, 153, 153), u"Gray 40%"},
    {RGBColor(255, 0, 255), u"Pink"},
    {RGBColor(255, 204, 0), u"Gold"},
    {RGBColor(255, 255, 0), u"Yellow"},
    {RGBColor(0, 255, 0), u"Bright Green"},
    {RGBColor(0, 255, 255), u"Turquoise"},
    {RGBColor(0, 204, 255), u"Sky Blue"},
    {RGBColor(153, 51, 102), u"Plum"},
    {RGBColor(192, 192, 192), u"Gray 25%"},
    {RGBColor(255, 153, 204), u"Rose"},
    {RGBColor(255, 204, 153), u"Tan"},
    {RGBColor(255, 255, 153), u"Light Yellow"},
    {RGBColor(204, 255, 204), u"Light Green"},
    {RGBColor(204, 255, 255), u"Light Turquoise"},
    {RGBColor(153, 204, 255), u"Pale Blue"},
    {RGBColor(204, 153, 255), u"Lavender"},
    {RGBColor(255, 255, 255), u"White"},
    {SysColor(0), u"Scroll Bar"},
    {SysColor(1), u"Background"},
    {SysColor(2), u"Active Caption"},
    {SysColor(3), u"Inactive Caption"},
    {SysColor(4), u"Menu"},
    {SysColor(5), u"Window"},
    {SysColor(6), u"Window Frame"},
    {SysColor(7), u"Menu Text"},
    {SysColor(8), u"Window Text"},
    {SysColor(9), u"Caption Text"},
    {SysColor(10), u"Active Border"},
    {SysColor(11), u"Inactive Border"},
    {SysColor(12), u"App WorkSpace"},
    {SysColor(13), u"Highlight"},
    {SysColor(14), u"Highlight Text"},
    {SysColor(15), u"Button Face"},
    {SysColor(16), u"Button Shadow"},
    {SysColor(17), u"Gray Text"},
    {SysColor(18), u"Button Text"},
    {SysColor(19), u"Inactive Caption Text"},
    {SysColor(20), u"Button Highlight"},
    {SysColor(21), u"3D Dark Shadow"},
    {SysColor(22), u"3D Light"},
    {SysColor(23), u"Info Text"},
    {SysColor(24), u"Info Background"},
    {SysColor(26), u"Hot Light"},
    {SysColor(27), u"Gradient Active Caption"},
    {SysColor(28), u"Gradient Inactive Caption"},
    {SysColor(29), u"Menu Highlight"},
    {SysColor(30), u"Menu Bar"},
};

const char16_t* const kCalculator[] = {u"0", u"1", u"2", u"3", u"4", u"5", u"6", u"7", u"8", u"9",
                                       u".", u"+", u"-", u"*", u"?", u"C", u"=", u"",  u""};

const ColorRow kColorNames[] = {
    {ui::clDefault, u"Default"},
    {ui::clNone, u"Custom"},
    {ui::clBlack, u"Black"},
    {ui::clMaroon, u"Maroon"},
    {ui::clGreen, u"Green"},
    {ui::clOlive, u"Olive"},
    {ui::clNavy, u"Navy"},
    {ui::clPurple, u"Purple"},
    {ui::clTeal, u"Teal"},
    {ui::clGray, u"Gray"},
    {ui::clSilver, u"Silver"},
    {ui::clRed, u"Red"},
    {ui::clLime, u"Lime"},
    {ui::clYellow, u"Yellow"},
    {ui::clBlue, u"Blue"},
    {ui::clFuchsia, u"Fuchsia"},
    {ui::clAqua, u"Aqua"},
    {ui::clWhite, u"White"},
    {SysColor(0), u"ScrollBar"},
    {SysColor(1), u"Background"},
    {SysColor(2), u"ActiveCaption"},
    {SysColor(3), u"InactiveCaption"},
    {SysColor(4), u"Menu"},
    {SysColor(5), u"Window"},
    {SysColor(6), u"WindowFrame"},
    {SysColor(7), u"MenuText"},
    {SysColor(8), u"WindowText"},
    {SysColor(9), u"CaptionText"},
    {SysColor(10), u"ActiveBorder"},
    {SysColor(11), u"InactiveBorder"},
    {SysColor(12), u"AppWorkSpace"},
    {SysColor(13), u"Highlight"},
    {SysColor(14), u"HighlightText"},
    {SysColor(15), u"BtnFace"},
    {SysColor(16), u"BtnShadow"},
    {SysColor(17), u"GrayText"},
    {SysColor(18), u"BtnText"},
    {SysColor(19), u"InactiveCaptionText"},
    {SysColor(20), u"BtnHighlight"},
    {SysColor(21), u"3DDkShadow"},
    {SysColor(22), u"3DLight"},
    {SysColor(23), u"InfoText"},
    {SysColor(24), u"InfoBk"},
    {ui::clNone, u""},
};

const char16_t* const kTexts[] = {u"Default", u"Custom...", u"More Colors...",
                                  u"No Color", u"System Colors", u"Calculator"};

struct Tables {
  std::vector<TKitColorEntry> palette;
  std::vector<String> calculator;
  std::vector<TKitColorEntry> colorNames;
  std::vector<String> texts;
};

Tables& State() {
  static Tables t;
  return t;
}

template <std::size_t N>
std::vector<TKitColorEntry> Load(const ColorRow (&rows)[N]) {
  std::vector<TKitColorEntry> out;
  out.reserve(N);
  for (const ColorRow& r : rows) out.push_back({r.color, r.name});
  return out;
}

template <std::size_t N>
std::vector<String> Load(const char16_t* const (&rows)[N]) {
  return std::vector<String>(std::begin(rows), std::end(rows));
}

}  // namespace

const std::vector<TKitColorEntry>& PaletteColors() { return State().palette; }
const std::vector<String>& CalculatorCaptions() { return State().calculator; }
const std::vector<TKitColorEntry>& ColorNames() { return State().colorNames; }
const std::vector<String>& LibraryTexts() { return State().texts; }

void InitPanelDataTables() {
  Tables& t = State();
  t.palette = Load(kPalette);
  t.calculator = Load(kCalculator);
  t.colorNames = Load(kColorNames);
  t.texts = Load(kTexts);
}

void DonePanelDataTables() { State() = Tables{}; }

}  // namespace kit
