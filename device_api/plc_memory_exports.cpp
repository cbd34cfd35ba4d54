// The on-controller PLC and the two byte-addressed memories (parameter and system).
#include "device_api/export_table.h"

using namespace jq;

namespace {

int32_t Get_Mem_Byte(int32_t slot, uint16_t code, uint16_t address, uint8_t* data) {
  return Get_Mapped(slot, code, address, 0, data, [](int32_t v) { return Value_Byte(v, 0); });
}

// No code of its own exists for the encoder ratio; the controller answers it with
// the axis ratio.
constexpr uint16_t Code_Axis_Ratio = 714;
constexpr float Ratio_Default = 1.0f;

}  // namespace

JQ_EXPORT_PAIR(Get_Param_Mem_Len,         (int32_t* len),                        (len),              Get(slot, 200, 0, len))
JQ_EXPORT_PAIR(Get_Param_Mem_Data,        (uint16_t address, uint8_t* data),     (address, data),    Get_Mem_Byte(slot, 201, address, data))
JQ_EXPORT_PAIR(Set_Param_Mem_Data,        (uint16_t address, uint8_t data),      (address, data),    Set(slot, 202, address, data))
JQ_EXPORT_PAIR(Get_System_Mem_Len,        (int32_t* len),                        (len),              Get(slot, 210, 0, len))
JQ_EXPORT_PAIR(Get_System_Mem_Data,       (uint16_t address, uint8_t* data),     (address, data),    Get_Mem_Byte(slot, 211, address, data))
JQ_EXPORT_PAIR(Set_System_Mem_Data,       (uint16_t address, uint8_t data),      (address, data),    Set(slot, 212, address, data))

JQ_EXPORT_PAIR(Get_PLC_Var_Num,           (int32_t* num),                        (num),              Get(slot, 700, 0, num))
JQ_EXPORT_PAIR(Get_PLC_Var_Data,          (uint16_t var, int32_t* value),        (var, value),       Get(slot, 701, var, value))
JQ_EXPORT_PAIR(Set_PLC_Var_Data,          (uint16_t var, int32_t value),         (var, value),       Set(slot, 702, var, value))
JQ_EXPORT_PAIR(Set_PLC_Pause,             (),                                    (),                 Set(slot, 703, 0, 0))
JQ_EXPORT_PAIR(Set_PLC_Stop,              (),                                    (),                 Set(slot, 704, 0, 0))
JQ_EXPORT_PAIR(Set_PLC_Run,               (),                                    (),                 Set(slot, 705, 0, 0))
JQ_EXPORT_PAIR(Set_PLC_Data,              (uint16_t position, uint8_t data),     (position, data),   Set(slot, 706, position, data))
JQ_EXPORT_PAIR(Get_PLC_Code_Size,         (int32_t* size),                       (size),             Get(slot, 707, 0, size))
JQ_EXPORT_PAIR(Get_PLC_Task_Count,        (int32_t* count),                      (count),            Get(slot, 708, 0, count))
JQ_EXPORT_PAIR(Get_PLC_Task_Status,       (uint16_t task, int32_t* status),      (task, status),     Get(slot, 709, task, status))
JQ_EXPORT_PAIR(Get_PLC_Var_Seg,           (int32_t* seg),                        (seg),              Get(slot, 710, 0, seg))
JQ_EXPORT_PAIR(Get_PLC_Var_Used,          (int32_t* used),                       (used),             Get(slot, 711, 0, used))
JQ_EXPORT_PAIR(Get_PLC_Status,            (int32_t* status),                     (status),           Get(slot, 712, 0, status))
JQ_EXPORT_PAIR(Get_PLC_Tasks_Status,      (int32_t* status),                     (status),           Get(slot, 713, 0, status))
JQ_EXPORT_PAIR(Get_PLC_Axis_Ratio,        (uint16_t axis, float* ratio),         (axis, ratio),      Get_Float(slot, Code_Axis_Ratio, axis, ratio, Ratio_Default))
JQ_EXPORT_PAIR(Get_PLC_Encoder_Ratio,     (uint16_t encoder, float* ratio),      (encoder, ratio),   Get_Float(slot, Code_Axis_Ratio, encoder, ratio, Ratio_Default))
