#include "desktop/axis_config.h"

#include <cmath>
#include <limits>

#include "platform/runtime/convert.h"
#include "platform/runtime/exceptions.h"
#include "platform/runtime/format.h"

namespace desktop {

std::vector<TAxis_Config> g_Axis_Config;

namespace {

constexpr std::int32_t kPhysics = 1;
constexpr std::int32_t kOpenSteps = 6400;
constexpr std::int32_t kCloseSteps = 4000;

// A factor of zero is replaced by its default, and the user is told.
std::int32_t ReadFactor(rtl::TCustomIniFile& Ini, const rtl::String& Section, const char16_t* Key,
                        std::int32_t Default, const TAxis_Config& Record, std::vector<rtl::String>& Warnings) {
  std::int32_t value = Ini.ReadInteger(Section, Key, Default);
  if (value != 0) return value;
  Warnings.push_back(rtl::Format(u"%s: %s 为 0, 已改用默认值 %d", {Record.Axis_Caption, Key, Default}));
  return Default;
}

[[noreturn]] void Refuse(const TAxis_Config& Record, double Units) {
  throw rtl::ERangeError(rtl::Format(u"%s: %s %s 超出控制器的步数范围, 命令未发送",
                                     {Record.Axis_Caption, rtl::FloatToStr(Units), Record.Axis_Unit}));
}

// Rounded to the nearest integer, halves to the even one (the default
// rounding mode); in 64 bits so that a product beyond 32 bits is seen.
double Scaled(const TAxis_Config& Record, std::int32_t PerPhysics, double Units) {
  if (Record.Physics == 0) Refuse(Record, Units);
  double q = std::nearbyint(static_cast<double>(PerPhysics) * Units / Record.Physics);
  if (!std::isfinite(q)) Refuse(Record, Units);
  return q;
}

bool Fits32(double q) {
  return q >= std::numeric_limits<std::int32_t>::min() && q <= std::numeric_limits<std::int32_t>::max();
}

std::optional<double> ToUnits(const TAxis_Config& Record, std::int32_t Value, std::int32_t PerPhysics) {
  if (PerPhysics == 0) return std::nullopt;
  std::int64_t product = static_cast<std::int64_t>(Value) * Record.Physics;
  return static_cast<double>(product) / PerPhysics;
}

}  // namespace

rtl::String Axis_Section(int Index) { return u"AXIS" + rtl::IntToStr(Index); }

void Read_Axis_Config(rtl::TCustomIniFile& Ini, int Index, bool Encoders, TAxis_Config& r,
                      std::vector<rtl::String>& Warnings) {
  const rtl::String s = Axis_Section(Index);
  r.Axis_Visible = Ini.ReadBool(s, u"VISIBLE", true);
  r.Axis_Caption = Ini.ReadString(s, u"CAPTION", u"第" + rtl::IntToStr(Index + 1) + u"轴");
  r.Axis_Unit = Ini.ReadString(s, u"UNIT", u"mm");
  r.Axis_Neg = Ini.ReadString(s, u"NEG", u"负");
  r.Axis_Pos = Ini.ReadString(s, u"POS", u"正");
  r.Physics = ReadFactor(Ini, s, u"PHYSICS", kPhysics, r, Warnings);
  r.OpenSteps = ReadFactor(Ini, s, u"OPENSTEPS", kOpenSteps, r, Warnings);
  r.CloseSteps = ReadFactor(Ini, s, u"CLOSESTEPS", kCloseSteps, r, Warnings);
  r.bOpen = Ini.ReadBool(s, u"OPEN_MODE", true);
  r.Acc = Ini.ReadFloat(s, u"ACC", 1.0);
  r.Dec = Ini.ReadFloat(s, u"DEC", 1.0);
  r.Max_V = Ini.ReadFloat(s, u"MAX_V", 1.0);
  r.Fast0 = Ini.ReadFloat(s, u"FAST0", 0.0);
  r.Fast1 = Ini.ReadFloat(s, u"FAST1", 90.0);
  r.Fast2 = Ini.ReadFloat(s, u"FAST2", 180.0);
  r.Fast3 = Ini.ReadFloat(s, u"FAST3", 270.0);
  r.P_Rel = Ini.ReadString(s, u"P_REL", u"1");
  r.P_Abs = Ini.ReadString(s, u"P_ABS", u"1");
  r.V_Rel = Ini.ReadString(s, u"V_REL", u"1");
  r.V_Abs = Ini.ReadString(s, u"V_ABS", u"1");
  r.Home_V = Ini.ReadString(s, u"HOME_V", u"-1");
  r.P_Rel_Hz = Ini.ReadString(s, u"P_REL_HZ", u"1000");
  r.P_Abs_Hz = Ini.ReadString(s, u"P_ABS_HZ", u"1000");
  r.V_Rel_Hz = Ini.ReadString(s, u"V_REL_HZ", u"1000");
  r.V_Abs_Hz = Ini.ReadString(s, u"V_ABS_HZ", u"1000");
  r.Home_V_Hz = Ini.ReadString(s, u"HOME_V_HZ", u"-1000");
  r.Soft_Neg = static_cast<float>(Ini.ReadFloat(s, u"SOFT_NEG", 0.0));
  r.Soft_Pos = static_cast<float>(Ini.ReadFloat(s, u"SOFT_POS", 100.0));
  r.Soft_Ena = Ini.ReadBool(s, u"SOFT_ENA", false);
  r.bSoft_Close = Ini.ReadBool(s, u"SOFT_CLOSE", false);
  if (!Encoders) return;
  r.Encoder_Factor = Ini.ReadFloat(s, u"ENCODER_FACTOR", 1.0);
  r.Encoder_Z = Ini.ReadBool(s, u"ENCODER_Z", true);
  r.Encoder_Dir = Ini.ReadBool(s, u"ENCODER_DIR", true);
  r.Encoder_Over = Ini.ReadBool(s, u"ENCODER_OVER", true);
  r.Encoder_Over_Max = Ini.ReadInteger(s, u"ENCODER_OVER_MAX", 100);
  r.Encoder_Over_Stable = Ini.ReadInteger(s, u"ENCODER_OVER_STABLE", 50);
}

std::int32_t Units_To(const TAxis_Config& Record, std::int32_t PerPhysics, double Units) {
  double q = Scaled(Record, PerPhysics, Units);
  if (!Fits32(q)) Refuse(Record, Units);
  return static_cast<std::int32_t>(q);
}

std::int32_t Units_To_Steps(const TAxis_Config& Record, double Units) {
  return Units_To(Record, Record.OpenSteps, Units);
}

std::int32_t Units_To_Counts(const TAxis_Config& Record, double Units) {
  return Units_To(Record, Record.CloseSteps, Units);
}

std::int32_t Units_To_Steps_Abs(const TAxis_Config& Record, double Units) {
  double q = std::fabs(Scaled(Record, Record.OpenSteps, Units));
  if (!Fits32(q)) Refuse(Record, Units);
  return static_cast<std::int32_t>(q);
}

std::optional<double> Steps_To_Units(const TAxis_Config& Record, std::int32_t Steps) {
  return ToUnits(Record, Steps, Record.OpenSteps);
}

std::optional<double> Counts_To_Units(const TAxis_Config& Record, std::int32_t Counts) {
  return ToUnits(Record, Counts, Record.CloseSteps);
}

rtl::String Format_Position(const TAxis_Config& Record, std::optional<double> Units) {
  if (!Units) return u"-";
  return rtl::FormatFloat(u"0.000000", *Units) + u" " + Record.Axis_Unit;
}

}  // namespace desktop
