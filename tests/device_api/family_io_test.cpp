// Optical and OC inputs and outputs, analog inputs, temperature and PWM.
#include "tests/device_api/export_rows.h"

namespace jqtest {
namespace {

class IoExports : public ExportTableTest {};

// Channel 5 everywhere; singles must arrive and leave as their exact bit patterns.
TEST_P(IoExports, Table) {
  // clang-format off
  RunRows({
      {JQ_ROW(Get_Optic_In_Num, &o.i),              {{400, 0, 0}},            24,          I32(24)},
      {JQ_ROW(Get_Optic_In_Single, 5, &o.i),        {{401, 5, 1}},            1,           I32(1)},
      {JQ_ROW(Get_Optic_In_All, &o.i),              {{402, 0, -1}},           0x00A5F00F,  I32(0x00A5F00F)},
      {JQ_ROW(Get_Optic_In_Basic_Num, &o.i),        {{403, 0, 0}},            16,          I32(16)},
      {JQ_ROW(Get_Optic_Out_Num, &o.i),             {{450, 0, 0}},            12,          I32(12)},
      {JQ_ROW(Set_Optic_Out_Single, 5, 1),          {{451, 5, 1}},            0,           {}},
      {JQ_ROW(Set_Optic_Out_All, INT32_MIN),        {{452, 0, INT32_MIN}},    0,           {}},
      {JQ_ROW(Get_Optic_Out_Single, 5, &o.i),       {{453, 5, 1}},            7,           I32(7)},
      {JQ_ROW(Get_Optic_Out_All, &o.i),             {{454, 0, -1}},           -2,          I32(-2)},
      {JQ_ROW(Get_OC_Out_Num, &o.i),                {{500, 0, 0}},            8,           I32(8)},
      {JQ_ROW(Set_OC_Out_Single, 5, 0),             {{501, 5, 0}},            0,           {}},
      {JQ_ROW(Set_OC_Out_All, 0x81),                {{502, 0, 0x81}},         0,           {}},
      {JQ_ROW(Get_OC_Out_Single, 5, &o.i),          {{503, 5, 1}},            1,           I32(1)},
      {JQ_ROW(Get_OC_Out_All, &o.i),                {{504, 0, -1}},           0x81,        I32(0x81)},
      {JQ_ROW(Get_Board_T, &o.i),                   {{600, 0, 0}},            -12,         I32(-12)},
      {JQ_ROW(Get_AD_Num, &o.i),                    {{601, 0, 0}},            4,           I32(4)},
      {JQ_ROW(Get_AD_Data, 5, &o.i),                {{602, 5, 0}},            4095,        I32(4095)},
      {JQ_ROW(Get_T_Num, &o.i),                     {{610, 0, 0}},            2,           I32(2)},
      {JQ_ROW(Get_T_Float, 5, &o.f),                {{611, 5, 0}},            Bits(-40.25f), F32(-40.25f)},
      {JQ_ROW(Get_T, 5, &o.i),                      {{612, 5, 0}},            -40,         I32(-40)},
      {JQ_ROW(Get_PWM_Num, &o.i),                   {{620, 0, 0}},            4,           I32(4)},
      {JQ_ROW(Set_PWM_F, 5, 20000),                 {{621, 5, 20000}},        0,           {}},
      {JQ_ROW(Get_PWM_F, 5, &o.i),                  {{622, 5, 0}},            20000,       I32(20000)},
      {JQ_ROW(Set_PWM_F_Float, 5, 1000.0f),         {{623, 5, 0x447A0000}},   0,           {}},
      {JQ_ROW(Get_PWM_F_Float, 5, &o.f),            {{624, 5, 0}},            0x447A0000,  F32(1000.0f)},
      {JQ_ROW(Set_PWM01, 5, 505),                   {{625, 5, 505}},          0,           {}},
      {JQ_ROW(Get_PWM01, 5, &o.i),                  {{626, 5, 0}},            505,         I32(505)},
      {JQ_ROW(Set_PWM001, 5, 5050),                 {{627, 5, 5050}},         0,           {}},
      {JQ_ROW(Get_PWM001, 5, &o.i),                 {{628, 5, 0}},            5050,        I32(5050)},
      {JQ_ROW(Set_PWM_Float, 5, 0.1f),              {{629, 5, 0x3DCCCCCD}},   0,           {}},
      {JQ_ROW(Get_PWM_Float, 5, &o.f),              {{630, 5, 0}},            Bits(-0.0f), F32(-0.0f)},
  });
  // clang-format on
}

TEST_P(IoExports, TemperatureFromASilentControllerIsZero) {
  sim.SetFault({jqsim::FaultKind::Silence, 0, -1, 611});
  float t = 12.5f;
  EXPECT_EQ(JQ_Get_T_Float(1, &t), -1);
  EXPECT_EQ(Bits(t), Bits(0.0f));
  EXPECT_TRUE(SameRequests(Requests(), AsSent({{611, 1, 0}}, {611})));
}

JQ_INSTANTIATE_ON_LINKS(IoExports);

}  // namespace
}  // namespace jqtest
