// Unit conversions: pure arithmetic, callable without JQ_Init and without a device.
#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "include/JQ_API.h"

namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
constexpr double Inf = std::numeric_limits<double>::infinity();

struct StepsCase {
  std::string what;
  std::function<int32_t()> call;
  int32_t steps;
};

struct RealCase {
  std::string what;
  std::function<double()> call;
  double real;
};

struct FactorCase {
  std::string what;
  std::function<float()> call;
  float factor;
};

void Check(const std::vector<StepsCase>& cases) {
  for (const auto& c : cases) EXPECT_EQ(c.call(), c.steps) << c.what;
}

void Check(const std::vector<RealCase>& cases) {
  for (const auto& c : cases) EXPECT_NEAR(c.call(), c.real, 1e-9) << c.what;
}

void Check(const std::vector<FactorCase>& cases) {
  for (const auto& c : cases) EXPECT_FLOAT_EQ(c.call(), c.factor) << c.what;
}

// A 1.8 degree motor (200 full steps a turn) at 16 subdivisions: 3200 steps a turn.
TEST(Conversion, StepsFromPhysicalUnits) {
  Check(std::vector<StepsCase>{
      {"10 units at 5 a turn", [] { return JQ_Help_Step_Line_Real_To_Steps(1.8, 16, 5.0, 1.0, 10.0); }, 6400},
      {"backwards", [] { return JQ_Help_Step_Line_Real_To_Steps(1.8, 16, 5.0, 1.0, -10.0); }, -6400},
      {"through a 1:3 gear", [] { return JQ_Help_Step_Line_Real_To_Steps(1.8, 16, 5.0, 3.0, 10.0); }, 19200},
      {"quarter turn, 1:2 gear", [] { return JQ_Help_Step_Circle_Real_To_Steps(1.8, 16, 2.0, 90.0); }, 1600},
      {"encoder, 1000 lines", [] { return JQ_Help_Encoder_Line_Real_To_Steps(5.0, 1.0, 1000, 2.5); }, 2000},
      {"encoder, quarter turn, 1:2", [] { return JQ_Help_Encoder_Circle_Real_To_Steps(2.0, 1000, 90.0); }, 2000},
      {"grating, 20 thousandths", [] { return JQ_Help_Grating_Line_Real_To_Steps(20.0, 1.0); }, 200},
      {"rotary grating, half turn", [] { return JQ_Help_Grating_Circle_Real_To_Steps(1000, 180.0); }, 2000},
  });
}

TEST(Conversion, PhysicalUnitsFromSteps) {
  Check(std::vector<RealCase>{
      {"6400 steps at 5 a turn", [] { return JQ_Help_Step_Line_Steps_To_Real(1.8, 16, 5.0, 1.0, 6400); }, 10.0},
      {"through a 1:2 gear", [] { return JQ_Help_Step_Line_Steps_To_Real(1.8, 16, 5.0, 2.0, 6400); }, 5.0},
      {"circle, 1:2 gear", [] { return JQ_Help_Step_Circle_Steps_To_Real(1.8, 16, 2.0, 1600); }, 90.0},
      {"encoder line", [] { return JQ_Help_Encoder_Line_Steps_To_Real(5.0, 1.0, 1000, 2000); }, 2.5},
      {"encoder circle, 1:2", [] { return JQ_Help_Encoder_Circle_Steps_To_Real(2.0, 1000, 2000); }, 90.0},
      {"grating line", [] { return JQ_Help_Grating_Line_Steps_To_Real(20.0, 200); }, 1.0},
      {"rotary grating", [] { return JQ_Help_Grating_Circle_Steps_To_Real(1000, 2000); }, 180.0},
      {"negative counts", [] { return JQ_Help_Grating_Circle_Steps_To_Real(1000, -2000); }, -180.0},
  });
}

TEST(Conversion, StepsPerEncoderOrGratingCount) {
  Check(std::vector<FactorCase>{
      {"encoder", [] { return JQ_Help_Encoder_Factor(1.8, 16, 1000); }, 0.8f},
      {"linear grating", [] { return JQ_Help_Grating_Line_Factor(1.8, 16, 5.0, 1.0, 20.0); }, 3.2f},
      {"rotary grating, 1:2", [] { return JQ_Help_Grating_Circle_Factor(1.8, 16, 2.0, 1000); }, 1.6f},
  });
}

// Grating counts of value × 4000 / 8000 = value / 2: odd values land on exact halves.
int32_t Half(double value) { return JQ_Help_Grating_Line_Real_To_Steps(8000.0, value); }

TEST(Conversion, HalvesRoundToTheEvenNeighbour) {
  const struct {
    double value;
    int32_t steps;
  } cases[] = {{1, 0}, {3, 2}, {5, 2}, {7, 4}, {-1, 0}, {-3, -2}, {-5, -2}, {-7, -4},
               {1.0000002, 1}, {4.9999998, 2}};
  for (const auto& c : cases) EXPECT_EQ(Half(c.value), c.steps) << c.value / 2 << " steps";
}

TEST(Conversion, HalvesRoundToEvenWhateverTheCallersRoundingMode) {
  const int saved = std::fegetround();
  for (int mode : {FE_UPWARD, FE_DOWNWARD, FE_TOWARDZERO}) {
    ASSERT_EQ(std::fesetround(mode), 0);
    const int32_t up = Half(5), down = Half(-5), odd = Half(3);
    std::fesetround(saved);
    EXPECT_EQ(up, 2) << "mode " << mode;
    EXPECT_EQ(down, -2) << "mode " << mode;
    EXPECT_EQ(odd, 2) << "mode " << mode;
  }
}

// A count that does not fit 32 bits must not wrap (4294967496 would wrap to 200).
TEST(Conversion, CountsOutsideThe32BitRangeGiveTheDefault) {
  auto grating = [](double value) { return JQ_Help_Grating_Line_Real_To_Steps(4000.0, value); };
  EXPECT_EQ(grating(2147483647.0), 2147483647);
  EXPECT_EQ(grating(2147483647.4), 2147483647);
  EXPECT_EQ(grating(2147483647.5), 0) << "ties to 2^31";
  EXPECT_EQ(grating(-2147483648.5), -2147483647 - 1) << "ties to -2^31, which fits";
  EXPECT_EQ(grating(-2147483649.0), 0);
  EXPECT_EQ(grating(4294967296.0 + 200), 0);
  EXPECT_EQ(grating(1e300), 0);
  EXPECT_EQ(JQ_Help_Step_Line_Real_To_Steps(1.8, 16, 5.0, 1.0, 1e10), 0);
  EXPECT_EQ(JQ_Help_Encoder_Circle_Real_To_Steps(1.0, 1000, -1e12), 0);
}

TEST(Conversion, ArithmeticFaultsGiveTheDefault) {
  Check(std::vector<StepsCase>{
      {"step angle 0", [] { return JQ_Help_Step_Line_Real_To_Steps(0.0, 16, 5.0, 1.0, 10.0); }, 0},
      {"lead 0", [] { return JQ_Help_Step_Line_Real_To_Steps(1.8, 16, 0.0, 1.0, 10.0); }, 0},
      {"circle, step angle 0", [] { return JQ_Help_Step_Circle_Real_To_Steps(0.0, 16, 1.0, 90.0); }, 0},
      {"encoder lead 0", [] { return JQ_Help_Encoder_Line_Real_To_Steps(0.0, 1.0, 1000, 2.5); }, 0},
      {"period 0", [] { return JQ_Help_Grating_Line_Real_To_Steps(0.0, 1.0); }, 0},
      {"value NaN", [] { return JQ_Help_Step_Line_Real_To_Steps(1.8, 16, 5.0, 1.0, NaN); }, 0},
      {"value infinite", [] { return JQ_Help_Encoder_Circle_Real_To_Steps(1.0, 1000, Inf); }, 0},
      {"intermediate overflows", [] { return JQ_Help_Grating_Line_Real_To_Steps(4000.0, 1e306); }, 0},
  });
  Check(std::vector<RealCase>{
      {"divide 0", [] { return JQ_Help_Step_Line_Steps_To_Real(1.8, 0, 5.0, 1.0, 6400); }, 0.0},
      {"ratio 0", [] { return JQ_Help_Step_Line_Steps_To_Real(1.8, 16, 5.0, 0.0, 6400); }, 0.0},
      {"circle, divide 0", [] { return JQ_Help_Step_Circle_Steps_To_Real(1.8, 0, 1.0, 1600); }, 0.0},
      {"encoder lines 0", [] { return JQ_Help_Encoder_Line_Steps_To_Real(5.0, 1.0, 0, 2000); }, 0.0},
      {"encoder ratio 0", [] { return JQ_Help_Encoder_Circle_Steps_To_Real(0.0, 1000, 2000); }, 0.0},
      {"rotary grating lines 0", [] { return JQ_Help_Grating_Circle_Steps_To_Real(0, 2000); }, 0.0},
      {"step angle NaN", [] { return JQ_Help_Step_Circle_Steps_To_Real(NaN, 16, 1.0, 1600); }, 0.0},
      {"lead infinite", [] { return JQ_Help_Encoder_Line_Steps_To_Real(Inf, 1.0, 1000, 2000); }, 0.0},
  });
  Check(std::vector<FactorCase>{
      {"lines 0", [] { return JQ_Help_Encoder_Factor(1.8, 16, 0); }, 1.0f},
      {"step angle 0", [] { return JQ_Help_Encoder_Factor(0.0, 16, 1000); }, 1.0f},
      {"lines x 4 beyond 32 bits", [] { return JQ_Help_Encoder_Factor(1.8, 16, 0x20000000); }, 1.0f},
      {"beyond single range", [] { return JQ_Help_Encoder_Factor(1e-300, 16, 1); }, 1.0f},
      {"period 0", [] { return JQ_Help_Grating_Line_Factor(1.8, 16, 5.0, 1.0, 0.0); }, 1.0f},
      {"lead 0", [] { return JQ_Help_Grating_Line_Factor(1.8, 16, 0.0, 1.0, 20.0); }, 1.0f},
      {"rotary lines 0", [] { return JQ_Help_Grating_Circle_Factor(1.8, 16, 1.0, 0); }, 1.0f},
  });
}

}  // namespace
