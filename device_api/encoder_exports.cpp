// Encoder channels and position triggers. Trigger setters use the even codes, their
// getters the odd code above.
#include "device_api/export_table.h"

using namespace jq;

JQ_EXPORT_PAIR(Get_Encoder_Num,                (int32_t* num),                          (num),                  Get(slot, 900, 0, num))
JQ_EXPORT_PAIR(Get_Encoder_Pos,                (uint16_t encoder, int32_t* pos),        (encoder, pos),         Get(slot, 901, encoder, pos))
JQ_EXPORT_PAIR(Set_Encoder_Pos,                (uint16_t encoder, int32_t pos),         (encoder, pos),         Set(slot, 902, encoder, pos))
JQ_EXPORT_PAIR(Set_Encoder_Z_Polarity,         (uint16_t encoder, int32_t polarity),    (encoder, polarity),    Set(slot, 903, encoder, polarity))
JQ_EXPORT_PAIR(Set_Encoder_Dir_Polarity,       (uint16_t encoder, int32_t polarity),    (encoder, polarity),    Set(slot, 904, encoder, polarity))
JQ_EXPORT_PAIR(Get_Encoder_Index_Line_Count,   (uint16_t encoder, int32_t* count),      (encoder, count),       Get(slot, 905, encoder, count))
JQ_EXPORT_PAIR(Set_Encoder_Over_Enable,        (uint16_t encoder, int32_t enable),      (encoder, enable),      Set(slot, 906, encoder, enable))
JQ_EXPORT_PAIR(Set_Encoder_Over_Max,           (uint16_t encoder, int32_t max),         (encoder, max),         Set(slot, 907, encoder, max))
JQ_EXPORT_PAIR(Set_Encoder_Over_Stable,        (uint16_t encoder, int32_t stable),      (encoder, stable),      Set(slot, 908, encoder, stable))

JQ_EXPORT_PAIR(Set_Trigger_Enable,             (uint16_t trigger, int32_t enable),      (trigger, enable),      Set(slot, 250, trigger, enable))
JQ_EXPORT_PAIR(Get_Trigger_Enable,             (uint16_t trigger, int32_t* enable),     (trigger, enable),      Get(slot, 251, trigger, enable))
JQ_EXPORT_PAIR(Set_Trigger_Start,              (uint16_t trigger, int32_t pos),         (trigger, pos),         Set(slot, 252, trigger, pos))
JQ_EXPORT_PAIR(Get_Trigger_Start,              (uint16_t trigger, int32_t* pos),        (trigger, pos),         Get(slot, 253, trigger, pos))
JQ_EXPORT_PAIR(Set_Trigger_End,                (uint16_t trigger, int32_t pos),         (trigger, pos),         Set(slot, 254, trigger, pos))
JQ_EXPORT_PAIR(Get_Trigger_End,                (uint16_t trigger, int32_t* pos),        (trigger, pos),         Get(slot, 255, trigger, pos))
JQ_EXPORT_PAIR(Set_Trigger_Step,               (uint16_t trigger, int32_t step),        (trigger, step),        Set(slot, 256, trigger, step))
JQ_EXPORT_PAIR(Get_Trigger_Step,               (uint16_t trigger, int32_t* step),       (trigger, step),        Get(slot, 257, trigger, step))
JQ_EXPORT_PAIR(Set_Trigger_Width,              (uint16_t trigger, int32_t width),       (trigger, width),       Set(slot, 258, trigger, width))
JQ_EXPORT_PAIR(Get_Trigger_Width,              (uint16_t trigger, int32_t* width),      (trigger, width),       Get(slot, 259, trigger, width))
JQ_EXPORT_PAIR(Set_Trigger_Channel,            (uint16_t trigger, int32_t channel),     (trigger, channel),     Set(slot, 260, trigger, channel))
JQ_EXPORT_PAIR(Get_Trigger_Channel,            (uint16_t trigger, int32_t* channel),    (trigger, channel),     Get(slot, 261, trigger, channel))
JQ_EXPORT_PAIR(Set_Trigger_Polarity,           (uint16_t trigger, int32_t polarity),    (trigger, polarity),    Set(slot, 262, trigger, polarity))
JQ_EXPORT_PAIR(Get_Trigger_Polarity,           (uint16_t trigger, int32_t* polarity),   (trigger, polarity),    Get(slot, 263, trigger, polarity))
