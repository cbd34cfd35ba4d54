// Per-axis settings: what the controller does not know about an axis (its
// name and unit, the factors between physical units and motor steps or
// encoder counts, ramps, software limits, encoder settings), kept in
// JQHelper4.ini, one section "AXIS<i>" per axis.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/classes/ini_files.h"
#include "platform/runtime/rtl_string.h"

namespace desktop {

struct TAxis_Config {
  bool Axis_Visible = false;
  bool bOpen = false;
  bool bDirP = false;
  rtl::String Axis_Caption;
  rtl::String Axis_Unit;
  rtl::String Axis_Neg;
  rtl::String Axis_Pos;
  std::int32_t Physics = 0;
  std::int32_t OpenSteps = 0;
  std::int32_t CloseSteps = 0;
  double Acc = 0;
  double Dec = 0;
  double Max_V = 0;
  double Fast0 = 0;
  double Fast1 = 0;
  double Fast2 = 0;
  double Fast3 = 0;
  double Encoder_Factor = 0;
  bool Encoder_Z = false;
  bool Encoder_Dir = false;
  bool Encoder_Over = false;
  std::int32_t Encoder_Over_Max = 0;
  std::int32_t Encoder_Over_Stable = 0;
  rtl::String P_Rel;
  rtl::String P_Abs;
  rtl::String V_Rel;
  rtl::String V_Abs;
  rtl::String Home_V;
  rtl::String P_Rel_Hz;
  rtl::String P_Abs_Hz;
  rtl::String V_Rel_Hz;
  rtl::String V_Abs_Hz;
  rtl::String Home_V_Hz;
  float Soft_Neg = 0;
  float Soft_Pos = 0;
  bool Soft_Ena = false;
  bool bSoft_Close = false;
};

// One record per axis of the last connect; new records start zero-filled.
extern std::vector<TAxis_Config> g_Axis_Config;

// Section of axis `Index` ("AXIS0", "AXIS1", ...).
rtl::String Axis_Section(int Index);

// Reads the section of axis `Index` into `Record` (bDirP untouched; the
// encoder keys only when `Encoders`). A zero PHYSICS, OPENSTEPS or CLOSESTEPS
// would make every conversion divide by zero: the default is used instead
// and a line for the user is appended to `Warnings`.
void Read_Axis_Config(rtl::TCustomIniFile& Ini, int Index, bool Encoders, TAxis_Config& Record,
                      std::vector<rtl::String>& Warnings);

// Physical value to motor steps, round(OpenSteps * x / Physics), and to
// encoder counts, round(CloseSteps * x / Physics); halves go to the even
// neighbour. A result the controller cannot take (outside 32 bits, or a
// zero Physics) raises rtl::ERangeError naming the axis, so callers compute
// every value before they send the first command.
std::int32_t Units_To_Steps(const TAxis_Config& Record, double Units);
std::int32_t Units_To_Counts(const TAxis_Config& Record, double Units);
// The same for any steps-per-Physics factor (software limits use either).
std::int32_t Units_To(const TAxis_Config& Record, std::int32_t PerPhysics, double Units);
// |Units_To_Steps|, refused when the magnitude does not fit 32 bits.
std::int32_t Units_To_Steps_Abs(const TAxis_Config& Record, double Units);

// Motor steps and encoder counts to physical units; nothing when the factor
// is zero (displays then show a dash).
std::optional<double> Steps_To_Units(const TAxis_Config& Record, std::int32_t Steps);
std::optional<double> Counts_To_Units(const TAxis_Config& Record, std::int32_t Counts);

// A position for the panels: "12.500000 mm", or "-" without a value.
rtl::String Format_Position(const TAxis_Config& Record, std::optional<double> Units);

}  // namespace desktop
