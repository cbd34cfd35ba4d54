// Homing, software limits and the per-mode start speeds and ramps.
#include "tests/device_api/export_rows.h"

namespace jqtest {
namespace {

class AxisHomingExports : public ExportTableTest {};

TEST_P(AxisHomingExports, Table) {
  // clang-format off
  RunRows({
      {JQ_ROW(Set_Axis_Mode_Home, 2),                        {{124, 2, 0}},       0,      {}},
      {JQ_ROW(Set_Axis_Mode_Home_Home_Switch, 2),            {{124, 2, 0}},       0,      {}},
      {JQ_ROW(Set_Axis_Mode_Home_Encoder_Index, 2),          {{124, 2, 1}},       0,      {}},
      {JQ_ROW(Set_Axis_Mode_Home_Encoder_Home_Switch, 2),    {{124, 2, 2}},       0,      {}},
      {JQ_ROW(Set_Axis_Mode_Home_Home_Zero, 2),              {{124, 2, 3}},       0,      {}},
      {JQ_ROW(Set_Axis_Home_V, 2, -1000),                    {{125, 2, static_cast<int32_t>(0xFFFFFC18)}}, 0, {}},
      {JQ_ROW(Set_Axis_Home_Stop, 2),                        {{126, 2, 0}},       0,      {}},
      {JQ_ROW(Set_Axis_Software_Limit_Neg_Value, 2, -200000),{{127, 2, -200000}}, 0,      {}},
      {JQ_ROW(Set_Axis_Software_Limit_Pos_Value, 2, 200000), {{128, 2, 200000}},  0,      {}},
      {JQ_ROW(Set_Axis_Software_Limit_Enable, 2),            {{130, 2, 0}},       0,      {}},
      {JQ_ROW(Set_Axis_Software_Limit_Disable, 2),           {{131, 2, 0}},       0,      {}},
      {JQ_ROW(Set_Axis_Home_V_Start, 2, 150),                {{173, 2, 150}},     0,      {}},
      {JQ_ROW(Set_Axis_Home_Acc, 2, 1100),                   {{174, 2, 1100}},    0,      {}},
      {JQ_ROW(Set_Axis_Home_Dec, 2, 1200),                   {{175, 2, 1200}},    0,      {}},
      {JQ_ROW(Get_Axis_Home_Acc, 2, &o.i),                   {{176, 2, 0}},       1100,   I32(1100)},
      {JQ_ROW(Get_Axis_Home_Dec, 2, &o.i),                   {{177, 2, 0}},       1200,   I32(1200)},
      {JQ_ROW(Set_Axis_Velocity_V_Start, 2, 250),            {{178, 2, 250}},     0,      {}},
      {JQ_ROW(Set_Axis_Velocity_Acc, 2, 2100),               {{179, 2, 2100}},    0,      {}},
      {JQ_ROW(Set_Axis_Velocity_Dec, 2, 2200),               {{180, 2, 2200}},    0,      {}},
      {JQ_ROW(Get_Axis_Velocity_Acc, 2, &o.i),               {{181, 2, 0}},       2100,   I32(2100)},
      {JQ_ROW(Get_Axis_Velocity_Dec, 2, &o.i),               {{182, 2, 0}},       -2200,  I32(-2200)},
      {JQ_ROW(Set_Axis_Position_V_Start, 2, 350),            {{183, 2, 350}},     0,      {}},
      {JQ_ROW(Set_Axis_Position_Acc, 2, 3100),               {{184, 2, 3100}},    0,      {}},
      {JQ_ROW(Set_Axis_Position_Dec, 2, 3200),               {{185, 2, 3200}},    0,      {}},
      {JQ_ROW(Get_Axis_Position_Acc, 2, &o.i),               {{186, 2, 0}},       3100,   I32(3100)},
      {JQ_ROW(Get_Axis_Position_Dec, 2, &o.i),               {{187, 2, 0}},       INT32_MIN, I32(INT32_MIN)},
  });
  // clang-format on
}

JQ_INSTANTIATE_ON_LINKS(AxisHomingExports);

}  // namespace
}  // namespace jqtest
