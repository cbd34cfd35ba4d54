#include "components/support/panels/kit_colors.h"

#include "components/support/panels/kit_data_tables.h"

#include <algorithm>
#include <cmath>

#include "platform/runtime/registry.h"
#include "platform/ui/themes.h"

namespace kit {
namespace {

int g_colorScheme = 0;
bool g_manyColors = true;

struct SchemeColors {
  TColor light, middle, dark;
};
constexpr SchemeColors kSchemes[3] = {
    {ui::RGBColor(227, 239, 255), ui::RGBColor(153, 187, 234), ui::RGBColor(87, 127, 191)},
    {ui::RGBColor(255, 255, 237), ui::RGBColor(184, 199, 146), ui::RGBColor(127, 161, 119)},
    {ui::RGBColor(249, 249, 255), ui::RGBColor(189, 188, 208), ui::RGBColor(159, 159, 177)},
};

const SchemeColors& Scheme() { return kSchemes[std::clamp(g_colorScheme, 0, 2)]; }

bool OfficeLook(TKitGradientColorStyle Style) { return Style == gcsMSOffice && ui::ThemesEnabled(); }

// Rounds half to even, as the colour tables were computed.
int RoundEven(double v) { return static_cast<int>(std::nearbyint(v)); }

}  // namespace

void ColorToHSL(TColor Color, std::uint8_t& H, std::uint8_t& S, std::uint8_t& L) {
  std::uint32_t rgb = ui::ColorToRGB(Color);
  double r = ui::GetRValue(rgb) / 255.0, g = ui::GetGValue(rgb) / 255.0, b = ui::GetBValue(rgb) / 255.0;
  double mx = std::max({r, g, b}), mn = std::min({r, g, b});
  double l = (mx + mn) / 2, h = 0, s = 0;
  if (mx != mn) {
    double d = mx - mn;
    s = l < 0.5 ? d / (mx + mn) : d / (2 - mx - mn);
    if (r == mx)
      h = (g - b) / d;
    else if (g == mx)
      h = 2 + (b - r) / d;
    else
      h = 4 + (r - g) / d;
    h /= 6;
    if (h < 0) h += 1;
  }
  H = static_cast<std::uint8_t>(RoundEven(h * 240));
  S = static_cast<std::uint8_t>(RoundEven(s * 240));
  L = static_cast<std::uint8_t>(RoundEven(l * 240));
}

TColor ColorFromHsl(std::uint8_t H, std::uint8_t S, std::uint8_t L) {
  double l = L / 240.0, s = S / 240.0, h = H / 239.0;
  double m2 = l >= 0.5 ? l + s - l * s : l * (s + 1);
  if (m2 <= 0) return ui::clBlack;
  double m1 = 2 * l - m2;
  int k = static_cast<int>(std::trunc(6 * h));
  double f = 6 * h - k;
  double rising = m1 + (m2 - m1) * f, falling = m2 - (m2 - m1) * f;
  double r, g, b;
  switch (k) {
    case 0: r = m2; g = rising; b = m1; break;
    case 1: r = falling; g = m2; b = m1; break;
    case 2: r = m1; g = m2; b = rising; break;
    case 3: r = m1; g = falling; b = m2; break;
    case 4: r = rising; g = m1; b = m2; break;
    case 5: r = m2; g = m1; b = falling; break;
    default: r = m2; g = m1; b = m1; break;
  }
  auto comp = [](double v) { return RoundEven(std::clamp(v, 0.0, 1.0) * 255); };
  return ui::RGBColor(comp(r), comp(g), comp(b));
}

TColor DarkenColor(TColor Color, int Amount) {
  std::uint8_t h, s, l;
  ColorToHSL(Color, h, s, l);
  return ColorFromHsl(h, s, static_cast<std::uint8_t>(std::max(l - Amount, 0)));
}

TColor LightenColor(TColor Color, int Amount) {
  std::uint8_t h, s, l;
  ColorToHSL(Color, h, s, l);
  return ColorFromHsl(h, s, static_cast<std::uint8_t>(std::min(l + Amount, 255)));
}

void CheckColorAdjustment(int Amount) {
  if (Amount < -255 || Amount > 255) throw rtl::ERangeError(u"Value must be between -255 and 255");
}

TColor AdjustColor(TColor Color, int Amount) {
  CheckColorAdjustment(Amount);
  if (Amount > 0) return LightenColor(Color, Amount);
  if (Amount < 0) return DarkenColor(Color, -Amount);
  return Color;
}

int ColorScheme() { return g_colorScheme; }

int ReadColorScheme() {
  rtl::HKEY key = 0;
  if (rtl::RegOpenKeyEx(rtl::HKEY_CURRENT_USER, u"\\Software\\Microsoft\\Windows\\CurrentVersion\\ThemeManager", 0,
                        rtl::KEY_READ, &key) != rtl::ERROR_SUCCESS)
    return 0;
  std::uint32_t type = 0, size = 0;
  String value;
  if (rtl::RegQueryValueEx(key, u"ColorName", &type, nullptr, &size) == rtl::ERROR_SUCCESS &&
      (type == rtl::REG_SZ || type == rtl::REG_EXPAND_SZ) && size >= 2) {
    std::u16string buf(size / 2, u'\0');
    if (rtl::RegQueryValueEx(key, u"ColorName", &type, reinterpret_cast<std::uint8_t*>(buf.data()), &size) ==
        rtl::ERROR_SUCCESS) {
      value = buf.substr(0, std::min<std::size_t>(buf.size(), size / 2));
      if (auto nul = value.find(u'\0'); nul != String::npos) value.resize(nul);
    }
  }
  rtl::RegCloseKey(key);
  String up = rtl::UpperCase(value);
  if (up == u"HOMESTEAD") return 1;
  if (up == u"METALLIC") return 2;
  return 0;
}

void RefreshColorScheme() { g_colorScheme = ReadColorScheme(); }

void GetPanelGradientColors(TKitGradientColorStyle Style, TColor& Start, TColor& Stop) {
  if (OfficeLook(Style)) {
    Start = Scheme().light;
    Stop = Scheme().middle;
  } else {
    Start = ui::clWindow;
    Stop = DarkenColor(ui::clBtnFace, 10);
  }
}

TColor GetXPFrameColor(TKitGradientColorStyle Style) {
  return OfficeLook(Style) ? Scheme().dark : LightenColor(ui::clBtnShadow, 30);
}

void GetGradientSchemeColors(TKitGradientColorStyle Style, TColor& Frame, TColor& Start, TColor& Stop) {
  if (OfficeLook(Style)) {
    Frame = Scheme().middle;
    Start = Scheme().light;
    Stop = Scheme().middle;
  } else {
    Frame = DarkenColor(ui::clBtnFace, 20);
    Start = ui::clWindow;
    Stop = DarkenColor(ui::clBtnFace, 40);
  }
}

// The display is always true-colour.
bool ScreenHasManyColors() { return g_manyColors; }

void InitPanelLibrary() {
  g_manyColors = true;
  RefreshColorScheme();
  InitPanelDataTables();
}

void DonePanelLibrary() {
  DonePanelDataTables();
  g_colorScheme = 0;
}

}  // namespace kit
