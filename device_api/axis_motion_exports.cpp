// Single-axis motion: modes, targets, stops, position counter and status. Values go
// to the controller as given; the library does no motion logic of its own.
#include <initializer_list>

#include "device_api/export_table.h"

namespace jq {
namespace {

constexpr uint16_t Axis_Status_Code = 121;

// Status byte fields: run, dir, neg, pos, zero (one bit each), then the two-bit mode.
struct Status_Field {
  int shift;
  uint8_t mask;
};
constexpr Status_Field Run{0, 1}, Dir{1, 1}, Neg{2, 1}, Pos{3, 1}, Zero{4, 1}, Mode{5, 3};

int32_t Field(int32_t value, Status_Field f) { return (Value_Byte(value, 0) >> f.shift) & f.mask; }

int32_t Read_Status_Field(int32_t slot, uint16_t axis, int32_t* out, Status_Field f) {
  return Get_Mapped(slot, Axis_Status_Code, axis, 0, out, [f](int32_t v) { return Field(v, f); });
}

template <class T>
int32_t Read_Status(int32_t slot, uint16_t axis, T* run, T* dir, T* neg, T* pos, T* zero, T* mode) {
  TCommand_Reply reply;
  const int32_t result = Send_Command(slot, Axis_Status_Code, axis, 0, reply);
  const bool ok = result == Result_OK;
  const int32_t v = reply.Reply.Value;
  Put(run, ok ? Field(v, Run) : 0);
  Put(dir, ok ? Field(v, Dir) : 0);
  Put(neg, ok ? Field(v, Neg) : 0);
  Put(pos, ok ? Field(v, Pos) : 0);
  Put(zero, ok ? Field(v, Zero) : 0);
  Put(mode, ok ? Field(v, Mode) : 0);
  return result;
}

// One ramp for all three modes. Every setter is called even after a refusal, so one
// refused mode does not keep the others on their old ramp; the result still reports
// a refusal anywhere rather than only the last setter's.
using Ramp_Setter = int32_t(JQ_CALL*)(int32_t slot, uint16_t axis, int32_t value);

int32_t Every_Mode(int32_t slot, uint16_t axis, int32_t value,
                   std::initializer_list<Ramp_Setter> setters) {
  int32_t result = Result_OK;
  for (Ramp_Setter set : setters)
    if (set(slot, axis, value) != Result_OK) result = Result_Fail;
  return result;
}

}  // namespace
}  // namespace jq

using namespace jq;

// clang-format off
JQ_EXPORT_PAIR(Get_Axis_Num,                       (int32_t* count),                   (count),          Get(slot, 100, 0, count))
JQ_EXPORT_PAIR(Get_Axis_Acc,                       (uint16_t axis, int32_t* acc),      (axis, acc),      Get(slot, 101, axis, acc))
JQ_EXPORT_PAIR(Set_Axis_Acc,                       (uint16_t axis, int32_t acc),       (axis, acc),      (Every_Mode(slot, axis, acc, {JQ_M_Set_Axis_Home_Acc, JQ_M_Set_Axis_Velocity_Acc, JQ_M_Set_Axis_Position_Acc})))
JQ_EXPORT_PAIR(Get_Axis_Dec,                       (uint16_t axis, int32_t* dec),      (axis, dec),      Get(slot, 103, axis, dec))
JQ_EXPORT_PAIR(Set_Axis_Dec,                       (uint16_t axis, int32_t dec),       (axis, dec),      (Every_Mode(slot, axis, dec, {JQ_M_Set_Axis_Home_Dec, JQ_M_Set_Axis_Velocity_Dec, JQ_M_Set_Axis_Position_Dec})))
JQ_EXPORT_PAIR(Get_Axis_Mode,                      (uint16_t axis, int32_t* mode),     (axis, mode),     Get(slot, 105, axis, mode))
JQ_EXPORT_PAIR(Set_Axis_Mode_Velocity,             (uint16_t axis),                    (axis),           Set(slot, 106, axis, 0))
JQ_EXPORT_PAIR(Set_Axis_Mode_Position,             (uint16_t axis),                    (axis),           Set(slot, 107, axis, 0))
JQ_EXPORT_PAIR(Set_Axis_Mode_Position_Open,        (uint16_t axis),                    (axis),           Set(slot, 107, axis, 0))
JQ_EXPORT_PAIR(Set_Axis_Mode_Position_Close,       (uint16_t axis),                    (axis),           Set(slot, 107, axis, 1))
JQ_EXPORT_PAIR(Get_Axis_Velocity_V_Target,         (uint16_t axis, int32_t* speed),    (axis, speed),    Get(slot, 108, axis, speed))
JQ_EXPORT_PAIR(Set_Axis_Velocity_V_Target_Abs,     (uint16_t axis, int32_t speed),     (axis, speed),    Set(slot, 109, axis, speed))
JQ_EXPORT_PAIR(Set_Axis_Velocity_V_Target_Rel,     (uint16_t axis, int32_t change),    (axis, change),   Set(slot, 123, axis, change))
JQ_EXPORT_PAIR(Set_Axis_Velocity_Stop,             (uint16_t axis),                    (axis),           Set(slot, 110, axis, 0))
JQ_EXPORT_PAIR(Get_Axis_Position_V_Max,            (uint16_t axis, int32_t* speed),    (axis, speed),    Get(slot, 111, axis, speed))
JQ_EXPORT_PAIR(Set_Axis_Position_V_Max,            (uint16_t axis, int32_t speed),     (axis, speed),    Set(slot, 112, axis, speed))
JQ_EXPORT_PAIR(Get_Axis_Position_P_Target,         (uint16_t axis, int32_t* position), (axis, position), Get(slot, 113, axis, position))
JQ_EXPORT_PAIR(Set_Axis_Position_P_Target_Abs,     (uint16_t axis, int32_t position),  (axis, position), Set(slot, 114, axis, position))
JQ_EXPORT_PAIR(Set_Axis_Position_P_Target_Rel,     (uint16_t axis, int32_t distance),  (axis, distance), Set(slot, 115, axis, distance))
JQ_EXPORT_PAIR(Set_Axis_Position_Stop,             (uint16_t axis),                    (axis),           Set(slot, 116, axis, 0))
JQ_EXPORT_PAIR(Set_Axis_Position_Close_Dec_Factor, (uint16_t axis, float factor),      (axis, factor),   Set(slot, 195, axis, Float_Bits(factor)))
JQ_EXPORT_PAIR(Set_Axis_Halt,                      (uint16_t axis),                    (axis),           Set(slot, 117, axis, 0))
JQ_EXPORT_PAIR(Set_Axis_Halt_All,                  (),                                 (),               Set(slot, 118, 0, 0))
JQ_EXPORT_PAIR(Get_Axis_V_Now,                     (uint16_t axis, int32_t* speed),    (axis, speed),    Get(slot, 119, axis, speed))
JQ_EXPORT_PAIR(Get_Axis_Software_P_Now,            (uint16_t axis, int32_t* position), (axis, position), Get(slot, 120, axis, position))
JQ_EXPORT_PAIR(Set_Axis_Software_P,                (uint16_t axis, int32_t position),  (axis, position), Set(slot, 122, axis, position))
JQ_EXPORT_PAIR(Get_Axis_Status,                    (uint16_t axis, uint8_t* run, uint8_t* dir, uint8_t* neg, uint8_t* pos, uint8_t* zero, uint8_t* mode),
                                                   (axis, run, dir, neg, pos, zero, mode),
                                                   Read_Status(slot, axis, run, dir, neg, pos, zero, mode))
JQ_EXPORT_PAIR(Get_Axis_Status2,                   (uint16_t axis, int32_t* run, int32_t* dir, int32_t* neg, int32_t* pos, int32_t* zero, int32_t* mode),
                                                   (axis, run, dir, neg, pos, zero, mode),
                                                   Read_Status(slot, axis, run, dir, neg, pos, zero, mode))
JQ_EXPORT_PAIR(Get_Axis_Status_Run,                (uint16_t axis, int32_t* run),      (axis, run),      Read_Status_Field(slot, axis, run, Run))
JQ_EXPORT_PAIR(Get_Axis_Status_Dir,                (uint16_t axis, int32_t* dir),      (axis, dir),      Read_Status_Field(slot, axis, dir, Dir))
JQ_EXPORT_PAIR(Get_Axis_Status_Neg,                (uint16_t axis, int32_t* neg),      (axis, neg),      Read_Status_Field(slot, axis, neg, Neg))
JQ_EXPORT_PAIR(Get_Axis_Status_Pos,                (uint16_t axis, int32_t* pos),      (axis, pos),      Read_Status_Field(slot, axis, pos, Pos))
JQ_EXPORT_PAIR(Get_Axis_Status_Zero,               (uint16_t axis, int32_t* zero),     (axis, zero),     Read_Status_Field(slot, axis, zero, Zero))
JQ_EXPORT_PAIR(Get_Axis_Status_Mode,               (uint16_t axis, int32_t* mode),     (axis, mode),     Read_Status_Field(slot, axis, mode, Mode))

JQ_ALIAS_PAIR(Get_Axis_P_Now,          Get_Axis_Software_P_Now, (uint16_t axis, int32_t* position), (axis, position))
JQ_ALIAS_PAIR(Get_Axis_Software_P,     Get_Axis_Software_P_Now, (uint16_t axis, int32_t* position), (axis, position))
JQ_ALIAS_PAIR(Set_Axis_Software_P_Now, Set_Axis_Software_P,     (uint16_t axis, int32_t position),  (axis, position))
JQ_ALIAS_PAIR(Set_Axis_P_Now,          Set_Axis_Software_P_Now, (uint16_t axis, int32_t position),  (axis, position))
// clang-format on
