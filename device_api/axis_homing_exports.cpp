// Homing methods and speed, software limits, and the start speed and ramps kept
// separately for the homing, velocity and position modes of each axis.
#include "device_api/export_table.h"

using namespace jq;

// clang-format off
JQ_EXPORT_PAIR(Set_Axis_Mode_Home,                      (uint16_t axis),                   (axis),           Set(slot, 124, axis, 0))
JQ_EXPORT_PAIR(Set_Axis_Mode_Home_Home_Switch,          (uint16_t axis),                   (axis),           Set(slot, 124, axis, 0))
JQ_EXPORT_PAIR(Set_Axis_Mode_Home_Encoder_Index,        (uint16_t axis),                   (axis),           Set(slot, 124, axis, 1))
JQ_EXPORT_PAIR(Set_Axis_Mode_Home_Encoder_Home_Switch,  (uint16_t axis),                   (axis),           Set(slot, 124, axis, 2))
JQ_EXPORT_PAIR(Set_Axis_Mode_Home_Home_Zero,            (uint16_t axis),                   (axis),           Set(slot, 124, axis, 3))
JQ_EXPORT_PAIR(Set_Axis_Home_V,                         (uint16_t axis, int32_t speed),    (axis, speed),    Set(slot, 125, axis, speed))
JQ_EXPORT_PAIR(Set_Axis_Home_Stop,                      (uint16_t axis),                   (axis),           Set(slot, 126, axis, 0))
JQ_EXPORT_PAIR(Set_Axis_Software_Limit_Neg_Value,       (uint16_t axis, int32_t position), (axis, position), Set(slot, 127, axis, position))
JQ_EXPORT_PAIR(Set_Axis_Software_Limit_Pos_Value,       (uint16_t axis, int32_t position), (axis, position), Set(slot, 128, axis, position))
JQ_EXPORT_PAIR(Set_Axis_Software_Limit_Enable,          (uint16_t axis),                   (axis),           Set(slot, 130, axis, 0))
JQ_EXPORT_PAIR(Set_Axis_Software_Limit_Disable,         (uint16_t axis),                   (axis),           Set(slot, 131, axis, 0))
JQ_EXPORT_PAIR(Set_Axis_Home_V_Start,                   (uint16_t axis, int32_t speed),    (axis, speed),    Set(slot, 173, axis, speed))
JQ_EXPORT_PAIR(Set_Axis_Home_Acc,                       (uint16_t axis, int32_t acc),      (axis, acc),      Set(slot, 174, axis, acc))
JQ_EXPORT_PAIR(Set_Axis_Home_Dec,                       (uint16_t axis, int32_t dec),      (axis, dec),      Set(slot, 175, axis, dec))
JQ_EXPORT_PAIR(Get_Axis_Home_Acc,                       (uint16_t axis, int32_t* acc),     (axis, acc),      Get(slot, 176, axis, acc))
JQ_EXPORT_PAIR(Get_Axis_Home_Dec,                       (uint16_t axis, int32_t* dec),     (axis, dec),      Get(slot, 177, axis, dec))
JQ_EXPORT_PAIR(Set_Axis_Velocity_V_Start,               (uint16_t axis, int32_t speed),    (axis, speed),    Set(slot, 178, axis, speed))
JQ_EXPORT_PAIR(Set_Axis_Velocity_Acc,                   (uint16_t axis, int32_t acc),      (axis, acc),      Set(slot, 179, axis, acc))
JQ_EXPORT_PAIR(Set_Axis_Velocity_Dec,                   (uint16_t axis, int32_t dec),      (axis, dec),      Set(slot, 180, axis, dec))
JQ_EXPORT_PAIR(Get_Axis_Velocity_Acc,                   (uint16_t axis, int32_t* acc),     (axis, acc),      Get(slot, 181, axis, acc))
JQ_EXPORT_PAIR(Get_Axis_Velocity_Dec,                   (uint16_t axis, int32_t* dec),     (axis, dec),      Get(slot, 182, axis, dec))
JQ_EXPORT_PAIR(Set_Axis_Position_V_Start,               (uint16_t axis, int32_t speed),    (axis, speed),    Set(slot, 183, axis, speed))
JQ_EXPORT_PAIR(Set_Axis_Position_Acc,                   (uint16_t axis, int32_t acc),      (axis, acc),      Set(slot, 184, axis, acc))
JQ_EXPORT_PAIR(Set_Axis_Position_Dec,                   (uint16_t axis, int32_t dec),      (axis, dec),      Set(slot, 185, axis, dec))
JQ_EXPORT_PAIR(Get_Axis_Position_Acc,                   (uint16_t axis, int32_t* acc),     (axis, acc),      Get(slot, 186, axis, acc))
JQ_EXPORT_PAIR(Get_Axis_Position_Dec,                   (uint16_t axis, int32_t* dec),     (axis, dec),      Get(slot, 187, axis, dec))
// clang-format on
