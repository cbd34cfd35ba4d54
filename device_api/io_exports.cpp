// Optical and OC inputs and outputs, analog inputs, temperature and PWM. A single
// channel is read with the value 1 and all channels with -1 (every bit); singles
// travel as their IEEE bit pattern.
#include "device_api/export_table.h"

namespace jq {
namespace {

constexpr int32_t One_Channel = 1;
constexpr int32_t All_Channels = -1;

int32_t Read(int32_t slot, uint16_t code, uint16_t index, int32_t value, int32_t* out) {
  return Get_Mapped(slot, code, index, value, out, [](int32_t v) { return v; });
}

}  // namespace
}  // namespace jq

using namespace jq;

// clang-format off
JQ_EXPORT_PAIR(Get_Optic_In_Num,       (int32_t* count),                         (count),                Get(slot, 400, 0, count))
JQ_EXPORT_PAIR(Get_Optic_In_Single,    (uint16_t channel, int32_t* state),       (channel, state),       Read(slot, 401, channel, One_Channel, state))
JQ_EXPORT_PAIR(Get_Optic_In_All,       (int32_t* bits),                          (bits),                 Read(slot, 402, 0, All_Channels, bits))
JQ_EXPORT_PAIR(Get_Optic_In_Basic_Num, (int32_t* count),                         (count),                Get(slot, 403, 0, count))
JQ_EXPORT_PAIR(Get_Optic_Out_Num,      (int32_t* count),                         (count),                Get(slot, 450, 0, count))
JQ_EXPORT_PAIR(Set_Optic_Out_Single,   (uint16_t channel, int32_t state),        (channel, state),       Set(slot, 451, channel, state))
JQ_EXPORT_PAIR(Set_Optic_Out_All,      (int32_t bits),                           (bits),                 Set(slot, 452, 0, bits))
JQ_EXPORT_PAIR(Get_Optic_Out_Single,   (uint16_t channel, int32_t* state),       (channel, state),       Read(slot, 453, channel, One_Channel, state))
JQ_EXPORT_PAIR(Get_Optic_Out_All,      (int32_t* bits),                          (bits),                 Read(slot, 454, 0, All_Channels, bits))
JQ_EXPORT_PAIR(Get_OC_Out_Num,         (int32_t* count),                         (count),                Get(slot, 500, 0, count))
JQ_EXPORT_PAIR(Set_OC_Out_Single,      (uint16_t channel, int32_t state),        (channel, state),       Set(slot, 501, channel, state))
JQ_EXPORT_PAIR(Set_OC_Out_All,         (int32_t bits),                           (bits),                 Set(slot, 502, 0, bits))
JQ_EXPORT_PAIR(Get_OC_Out_Single,      (uint16_t channel, int32_t* state),       (channel, state),       Read(slot, 503, channel, One_Channel, state))
JQ_EXPORT_PAIR(Get_OC_Out_All,         (int32_t* bits),                          (bits),                 Read(slot, 504, 0, All_Channels, bits))
JQ_EXPORT_PAIR(Get_Board_T,            (int32_t* temperature),                   (temperature),          Get(slot, 600, 0, temperature))
JQ_EXPORT_PAIR(Get_AD_Num,             (int32_t* count),                         (count),                Get(slot, 601, 0, count))
JQ_EXPORT_PAIR(Get_AD_Data,            (uint16_t channel, int32_t* value),       (channel, value),       Get(slot, 602, channel, value))
JQ_EXPORT_PAIR(Get_T_Num,              (int32_t* count),                         (count),                Get(slot, 610, 0, count))
JQ_EXPORT_PAIR(Get_T_Float,            (uint16_t channel, float* temperature),   (channel, temperature), Get_Float(slot, 611, channel, temperature))
JQ_EXPORT_PAIR(Get_T,                  (uint16_t channel, int32_t* temperature), (channel, temperature), Get(slot, 612, channel, temperature))
JQ_EXPORT_PAIR(Get_PWM_Num,            (int32_t* count),                         (count),                Get(slot, 620, 0, count))
JQ_EXPORT_PAIR(Set_PWM_F,              (uint16_t channel, int32_t frequency),    (channel, frequency),   Set(slot, 621, channel, frequency))
JQ_EXPORT_PAIR(Get_PWM_F,              (uint16_t channel, int32_t* frequency),   (channel, frequency),   Get(slot, 622, channel, frequency))
JQ_EXPORT_PAIR(Set_PWM_F_Float,        (uint16_t channel, float frequency),      (channel, frequency),   Set(slot, 623, channel, Float_Bits(frequency)))
JQ_EXPORT_PAIR(Get_PWM_F_Float,        (uint16_t channel, float* frequency),     (channel, frequency),   Get_Float(slot, 624, channel, frequency))
JQ_EXPORT_PAIR(Set_PWM01,              (uint16_t channel, int32_t duty),         (channel, duty),        Set(slot, 625, channel, duty))
JQ_EXPORT_PAIR(Get_PWM01,              (uint16_t channel, int32_t* duty),        (channel, duty),        Get(slot, 626, channel, duty))
JQ_EXPORT_PAIR(Set_PWM001,             (uint16_t channel, int32_t duty),         (channel, duty),        Set(slot, 627, channel, duty))
JQ_EXPORT_PAIR(Get_PWM001,             (uint16_t channel, int32_t* duty),        (channel, duty),        Get(slot, 628, channel, duty))
JQ_EXPORT_PAIR(Set_PWM_Float,          (uint16_t channel, float duty),           (channel, duty),        Set(slot, 629, channel, Float_Bits(duty)))
JQ_EXPORT_PAIR(Get_PWM_Float,          (uint16_t channel, float* duty),          (channel, duty),        Get_Float(slot, 630, channel, duty))
// clang-format on
