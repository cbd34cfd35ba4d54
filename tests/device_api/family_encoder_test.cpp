// Encoders and position triggers.
#include "tests/device_api/export_rows.h"

namespace jqtest {
namespace {

class EncoderExports : public ExportTableTest {};

TEST_P(EncoderExports, EncoderTable) {
  RunRows({
      {JQ_ROW(Get_Encoder_Num, &o.i),                     {{900, 0, 0}},        4,      I32(4)},
      {JQ_ROW(Get_Encoder_Pos, 1, &o.i),                  {{901, 1, 0}},        -12345, I32(-12345)},
      {JQ_ROW(Set_Encoder_Pos, 1, 0),                     {{902, 1, 0}},        0,      {}},
      {JQ_ROW(Set_Encoder_Pos, 3, -70000),                {{902, 3, -70000}},   0,      {}},
      {JQ_ROW(Set_Encoder_Z_Polarity, 2, 1),              {{903, 2, 1}},        0,      {}},
      {JQ_ROW(Set_Encoder_Dir_Polarity, 2, 0),            {{904, 2, 0}},        0,      {}},
      {JQ_ROW(Get_Encoder_Index_Line_Count, 2, &o.i),     {{905, 2, 0}},        17,     I32(17)},
      {JQ_ROW(Set_Encoder_Over_Enable, 0, 1),             {{906, 0, 1}},        0,      {}},
      {JQ_ROW(Set_Encoder_Over_Max, 0, 100),              {{907, 0, 100}},      0,      {}},
      {JQ_ROW(Set_Encoder_Over_Stable, 0, 50),            {{908, 0, 50}},       0,      {}},
  });
}

TEST_P(EncoderExports, TriggerTable) {
  RunRows({
      {JQ_ROW(Set_Trigger_Enable, 2, 1),                  {{250, 2, 1}},        0,      {}},
      {JQ_ROW(Get_Trigger_Enable, 2, &o.i),               {{251, 2, 0}},        1,      I32(1)},
      {JQ_ROW(Set_Trigger_Start, 2, -1000),               {{252, 2, -1000}},    0,      {}},
      {JQ_ROW(Get_Trigger_Start, 2, &o.i),                {{253, 2, 0}},        -1000,  I32(-1000)},
      {JQ_ROW(Set_Trigger_End, 2, 90000),                 {{254, 2, 90000}},    0,      {}},
      {JQ_ROW(Get_Trigger_End, 2, &o.i),                  {{255, 2, 0}},        90000,  I32(90000)},
      {JQ_ROW(Set_Trigger_Step, 2, 250),                  {{256, 2, 250}},      0,      {}},
      {JQ_ROW(Get_Trigger_Step, 2, &o.i),                 {{257, 2, 0}},        250,    I32(250)},
      {JQ_ROW(Set_Trigger_Width, 2, 10),                  {{258, 2, 10}},       0,      {}},
      {JQ_ROW(Get_Trigger_Width, 2, &o.i),                {{259, 2, 0}},        10,     I32(10)},
      {JQ_ROW(Set_Trigger_Channel, 2, 3),                 {{260, 2, 3}},        0,      {}},
      {JQ_ROW(Get_Trigger_Channel, 2, &o.i),              {{261, 2, 0}},        3,      I32(3)},
      {JQ_ROW(Set_Trigger_Polarity, 2, 1),                {{262, 2, 1}},        0,      {}},
      {JQ_ROW(Get_Trigger_Polarity, 2, &o.i),             {{263, 2, 0}},        1,      I32(1)},
  });
}

// What a setter writes, its getter reads back on the same encoder or trigger only.
TEST_P(EncoderExports, SettersAndGettersMeetOnTheSameIndex) {
  ASSERT_EQ(JQ_Set_Encoder_Pos(1, 4321), 0);
  ASSERT_EQ(JQ_M_Set_Trigger_Step(0, 2, 77), 0);
  int32_t pos = Sentinel, step = Sentinel, other = Sentinel;
  EXPECT_EQ(JQ_M_Get_Encoder_Pos(0, 1, &pos), 0);
  EXPECT_EQ(JQ_Get_Trigger_Step(2, &step), 0);
  EXPECT_EQ(JQ_Get_Trigger_Step(3, &other), 0);
  EXPECT_EQ(pos, 4321);
  EXPECT_EQ(step, 77);
  EXPECT_EQ(other, 0);
}

JQ_INSTANTIATE_ON_LINKS(EncoderExports);

}  // namespace
}  // namespace jqtest
