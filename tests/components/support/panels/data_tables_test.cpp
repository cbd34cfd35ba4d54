// The colour-picker and calculator tables of the panel library.
#include <gtest/gtest.h>

#include "components/support/panels/kit_colors.h"
#include "components/support/panels/kit_data_tables.h"

using namespace kit;

namespace {

TEST(PanelDataTables, FilledAtStartUpAndClearedAtShutDown) {
  DonePanelLibrary();
  EXPECT_TRUE(PaletteColors().empty());
  EXPECT_TRUE(ColorNames().empty());
  InitPanelLibrary();

  const auto& palette = PaletteColors();
  ASSERT_EQ(palette.size(), 70u);
  const struct {
    std::size_t row;
    TColor color;
    const char16_t* name;
  } rows[] = {
      {0, ui::RGBColor(0, 0, 0), u"Black"},       {7, ui::RGBColor(51, 51, 51), u"Gray 80%"},
      {13, ui::RGBColor(0, 0, 255), u"Blue"},     {31, ui::RGBColor(192, 192, 192), u"Gray 25%"},
      {39, ui::RGBColor(255, 255, 255), u"White"}, {40, ui::clScrollBar, u"Scroll Bar"},
      {64, ui::clInfoBk, u"Info Background"},     {65, ui::clHotLight, u"Hot Light"},
      {69, ui::clMenuBar, u"Menu Bar"},
  };
  for (const auto& r : rows) {
    EXPECT_EQ(palette[r.row].Color, r.color) << r.row;
    EXPECT_EQ(palette[r.row].Name, r.name) << r.row;
  }
  // System colour 25 is left out, so the system rows skip one index there.
  for (std::size_t i = 40; i < 70; ++i) EXPECT_NE(palette[i].Color, ui::SysColor(25));

  const auto& keys = CalculatorCaptions();
  ASSERT_EQ(keys.size(), 19u);
  EXPECT_EQ(keys[0], u"0");
  EXPECT_EQ(keys[10], u".");
  EXPECT_EQ(keys[16], u"=");
  EXPECT_EQ(keys[18], u"");

  const auto& names = ColorNames();
  ASSERT_EQ(names.size(), 2u + 16u + 25u + 1u);
  EXPECT_EQ(names[0].Name, u"Default");
  EXPECT_EQ(names[1].Name, u"Custom");
  EXPECT_EQ(names[3].Color, ui::clMaroon);
  EXPECT_EQ(names[17].Name, u"White");
  EXPECT_EQ(names[18].Color, ui::clScrollBar);
  EXPECT_EQ(names[42].Name, u"InfoBk");
  EXPECT_EQ(names[42].Color, ui::clInfoBk);
  EXPECT_EQ(names[43].Name, u"");

  EXPECT_EQ(LibraryTexts().size(), 6u);
  // A second start does not double the rows.
  InitPanelLibrary();
  EXPECT_EQ(PaletteColors().size(), 70u);
}

}  // namespace
