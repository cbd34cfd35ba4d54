#include <cstdlib>
#include <filesystem>

#include <QApplication>
#include <QEvent>
#include <QWidget>

#include "tests/platform/ui/harness.h"
#include "components/support/panels/kit_panel.h"
#include "platform/runtime/registry.h"
#include "components/support/panels/kit_colors.h"
#include "tests/components/support/panels/test_util.h"

using namespace kit;
using paneltest::Rgb;

namespace {

struct HslRow {
  ui::TColor color;
  int h, s, l;
};

TEST(HslTest, ColorToHslTable) {
  const HslRow rows[] = {
      {ui::RGBColor(255, 0, 0), 0, 240, 120},    {ui::RGBColor(0, 255, 0), 80, 240, 120},
      {ui::RGBColor(0, 0, 255), 160, 240, 120},  {ui::clWhite, 0, 0, 240},
      {ui::clBlack, 0, 0, 0},                    {ui::RGBColor(128, 128, 128), 0, 0, 120},
      {ui::RGBColor(255, 128, 0), 20, 240, 120}, {ui::RGBColor(255, 0, 255), 200, 240, 120},
  };
  for (const auto& r : rows) {
    std::uint8_t h, s, l;
    ColorToHSL(r.color, h, s, l);
    EXPECT_EQ(h, r.h) << std::hex << r.color;
    EXPECT_EQ(s, r.s) << std::hex << r.color;
    EXPECT_EQ(l, r.l) << std::hex << r.color;
  }
}

TEST(HslTest, ColorFromHslTable) {
  struct Row {
    int h, s, l;
    ui::TColor expected;
  };
  const Row rows[] = {
      {0, 0, 240, ui::clWhite},
      {123, 200, 0, ui::clBlack},
      {0, 240, 120, ui::RGBColor(255, 0, 0)},
      // The hue is read on a 0..239 scale: pure green comes back with a trace of blue.
      {80, 240, 120, ui::RGBColor(0, 255, 2)},
      {160, 240, 120, ui::RGBColor(4, 0, 255)},
      {0, 0, 120, ui::RGBColor(128, 128, 128)},
      {239, 240, 120, ui::RGBColor(255, 0, 0)},
  };
  for (const auto& r : rows)
    EXPECT_EQ(Rgb(ColorFromHsl(r.h, r.s, r.l)), Rgb(r.expected)) << r.h << "," << r.s << "," << r.l;
}

TEST(HslTest, RoundTripStaysClose) {
  for (ui::TColor c : {ui::RGBColor(12, 200, 99), ui::RGBColor(250, 250, 10), ui::RGBColor(30, 60, 90)}) {
    std::uint8_t h, s, l;
    ColorToHSL(c, h, s, l);
    std::uint32_t a = Rgb(c), b = Rgb(ColorFromHsl(h, s, l));
    EXPECT_NEAR(ui::GetRValue(a), ui::GetRValue(b), 4);
    EXPECT_NEAR(ui::GetGValue(a), ui::GetGValue(b), 4);
    EXPECT_NEAR(ui::GetBValue(a), ui::GetBValue(b), 4);
  }
}

TEST(AdjustColorTest, AmountsAndRange) {
  // Zero hands back the very value, system colours included.
  EXPECT_EQ(AdjustColor(ui::clBtnShadow, 0), ui::clBtnShadow);
  EXPECT_EQ(AdjustColor(ui::RGBColor(1, 2, 3), 0), ui::RGBColor(1, 2, 3));

  std::uint8_t h0, s0, l0, h1, s1, l1;
  ColorToHSL(ui::clBtnShadow, h0, s0, l0);
  ColorToHSL(AdjustColor(ui::clBtnShadow, 30), h1, s1, l1);
  EXPECT_EQ(h1, h0);
  EXPECT_GT(l1, l0);
  ColorToHSL(AdjustColor(ui::clBtnShadow, -30), h1, s1, l1);
  EXPECT_LT(l1, l0);

  struct Row {
    ui::TColor color;
    int amount;
    ui::TColor expected;
  };
  const Row rows[] = {
      {ui::RGBColor(255, 0, 0), 60, ui::RGBColor(255, 128, 128)},   // l 120 -> 180
      {ui::RGBColor(255, 0, 0), -60, ui::RGBColor(128, 0, 0)},      // l 120 -> 60
      {ui::RGBColor(255, 0, 0), -255, ui::clBlack},                 // clamps at 0
      {ui::RGBColor(255, 0, 0), 255, ui::clWhite},                  // and at full light
      {ui::RGBColor(128, 128, 128), 120, ui::clWhite},
  };
  for (const auto& r : rows) EXPECT_EQ(Rgb(AdjustColor(r.color, r.amount)), Rgb(r.expected)) << r.amount;

  EXPECT_THROW(AdjustColor(ui::clBtnFace, 256), rtl::ERangeError);
  EXPECT_THROW(AdjustColor(ui::clBtnFace, -256), rtl::ERangeError);
  EXPECT_THROW(CheckColorAdjustment(1000), rtl::ERangeError);
  EXPECT_NO_THROW(CheckColorAdjustment(-255));
}

class ColorSchemeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("jq_scheme_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
    const char* old = std::getenv("JQ_REGISTRY_DIR");
    if (old) oldDir_ = old;
    hadOld_ = old != nullptr;
    ::setenv("JQ_REGISTRY_DIR", dir_.c_str(), 1);
  }
  void TearDown() override {
    if (hadOld_)
      ::setenv("JQ_REGISTRY_DIR", oldDir_.c_str(), 1);
    else
      ::unsetenv("JQ_REGISTRY_DIR");
    RefreshColorScheme();
    std::filesystem::remove_all(dir_);
  }
  void SetColorName(const ui::String& name) {
    rtl::HKEY key = 0;
    ASSERT_EQ(rtl::RegCreateKeyEx(rtl::HKEY_CURRENT_USER, u"Software\\Microsoft\\Windows\\CurrentVersion\\ThemeManager",
                                  rtl::KEY_ALL_ACCESS, &key, nullptr),
              rtl::ERROR_SUCCESS);
    ui::String data = name + u'\0';
    rtl::RegSetValueEx(key, u"ColorName", rtl::REG_SZ, reinterpret_cast<const std::uint8_t*>(data.data()),
                       static_cast<std::uint32_t>(data.size() * 2));
    rtl::RegCloseKey(key);
  }
  uitest::Harness harness_;  // themes need the application's style
  std::filesystem::path dir_;
  std::string oldDir_;
  bool hadOld_ = false;
};

TEST_F(ColorSchemeTest, RegistryValueSelectsScheme) {
  EXPECT_EQ(ReadColorScheme(), 0);  // no value at all
  const std::pair<const char16_t*, int> rows[] = {
      {u"metallic", 2}, {u"Metallic", 2}, {u"HomeStead", 1}, {u"NormalColor", 0}, {u"", 0}};
  for (auto [name, scheme] : rows) {
    SetColorName(name);
    EXPECT_EQ(ReadColorScheme(), scheme) << rtl::StringToUtf8(name);
  }
}

TEST_F(ColorSchemeTest, OfficeColorsFollowSchemeOnlyWithThemes) {
  SetColorName(u"METALLIC");
  InitPanelLibrary();
  EXPECT_EQ(ColorScheme(), 2);
  ui::TColor start, stop, frame;
  GetPanelGradientColors(gcsMSOffice, start, stop);
  EXPECT_EQ(Rgb(start), Rgb(ui::RGBColor(249, 249, 255)));
  EXPECT_EQ(Rgb(stop), Rgb(ui::RGBColor(189, 188, 208)));
  EXPECT_EQ(Rgb(GetXPFrameColor(gcsMSOffice)), Rgb(ui::RGBColor(159, 159, 177)));
  GetGradientSchemeColors(gcsMSOffice, frame, start, stop);
  EXPECT_EQ(Rgb(frame), Rgb(ui::RGBColor(189, 188, 208)));
  EXPECT_EQ(Rgb(start), Rgb(ui::RGBColor(249, 249, 255)));

  paneltest::ClassicLook classic;
  GetPanelGradientColors(gcsMSOffice, start, stop);
  EXPECT_EQ(start, ui::clWindow);
  EXPECT_EQ(Rgb(stop), Rgb(DarkenColor(ui::clBtnFace, 10)));
  EXPECT_EQ(Rgb(GetXPFrameColor(gcsMSOffice)), Rgb(LightenColor(ui::clBtnShadow, 30)));
  GetGradientSchemeColors(gcsSystem, frame, start, stop);
  EXPECT_EQ(Rgb(frame), Rgb(DarkenColor(ui::clBtnFace, 20)));
  EXPECT_EQ(Rgb(stop), Rgb(DarkenColor(ui::clBtnFace, 40)));
}


TEST_F(ColorSchemeTest, ThemeChangeReadsTheSchemeAgain) {
  auto* form = harness_.MakeForm<ui::TForm>();
  auto* panel = new TKitPanel(form);
  panel->SetParent(form);
  harness_.Show(form);
  SetColorName(u"NormalColor");
  RefreshColorScheme();
  ASSERT_EQ(ColorScheme(), 0);
  // The platform's theme, style and palette changes each make the panel read
  // the stored scheme again.
  const std::pair<QEvent::Type, int> rows[] = {
      {QEvent::ThemeChange, 1}, {QEvent::StyleChange, 0}, {QEvent::ApplicationPaletteChange, 1}};
  for (auto [type, scheme] : rows) {
    SetColorName(scheme == 1 ? u"HomeStead" : u"NormalColor");
    EXPECT_NE(ColorScheme(), scheme) << type;  // not read before the notice
    QEvent e(type);
    QApplication::sendEvent(panel->Widget(), &e);
    EXPECT_EQ(ColorScheme(), scheme) << type;
  }
}

}  // namespace
