// The PLC and the parameter and system memories.
#include <functional>
#include <string>
#include <vector>

#include "tests/device_api/export_rows.h"

namespace jqtest {
namespace {

class PlcMemoryExports : public ExportTableTest {};

TEST_P(PlcMemoryExports, SingleCommandTable) {
  RunRows({
      {JQ_ROW(Get_Param_Mem_Len, &o.i),                   {{200, 0, 0}},        1024,   I32(1024)},
      {JQ_ROW(Set_Param_Mem_Data, 16, 0xAB),              {{202, 16, 0xAB}},    0,      {}},
      {JQ_ROW(Get_System_Mem_Len, &o.i),                  {{210, 0, 0}},        2048,   I32(2048)},
      {JQ_ROW(Set_System_Mem_Data, 0xFFFF, 0x01),         {{212, 0xFFFF, 1}},   0,      {}},
      {JQ_ROW(Get_PLC_Var_Num, &o.i),                     {{700, 0, 0}},        64,     I32(64)},
      {JQ_ROW(Get_PLC_Var_Data, 9, &o.i),                 {{701, 9, 0}},        -5,     I32(-5)},
      {JQ_ROW(Set_PLC_Var_Data, 9, -5),                   {{702, 9, -5}},       0,      {}},
      {JQ_ROW(Set_PLC_Pause),                             {{703, 0, 0}},        0,      {}},
      {JQ_ROW(Set_PLC_Stop),                              {{704, 0, 0}},        0,      {}},
      {JQ_ROW(Set_PLC_Run),                               {{705, 0, 0}},        0,      {}},
      {JQ_ROW(Set_PLC_Data, 5, 0xFF),                     {{706, 5, 255}},      0,      {}},
      {JQ_ROW(Get_PLC_Code_Size, &o.i),                   {{707, 0, 0}},        300,    I32(300)},
      {JQ_ROW(Get_PLC_Task_Count, &o.i),                  {{708, 0, 0}},        3,      I32(3)},
      {JQ_ROW(Get_PLC_Task_Status, 2, &o.i),              {{709, 2, 0}},        1,      I32(1)},
      {JQ_ROW(Get_PLC_Var_Seg, &o.i),                     {{710, 0, 0}},        0x100,  I32(0x100)},
      {JQ_ROW(Get_PLC_Var_Used, &o.i),                    {{711, 0, 0}},        12,     I32(12)},
      {JQ_ROW(Get_PLC_Status, &o.i),                      {{712, 0, 0}},        2,      I32(2)},
      {JQ_ROW(Get_PLC_Tasks_Status, &o.i),                {{713, 0, 0}},        0x15,   I32(0x15)},
  });
}

// The memories hand out value byte 0 alone, into a byte.
TEST_P(PlcMemoryExports, MemoryBytesAreValueByteZero) {
  const struct {
    std::string name;
    uint16_t code;
    std::function<int32_t(int32_t slot, uint8_t*)> slot_form;
    std::function<int32_t(uint8_t*)> zero_form;
  } getters[] = {
      {"parameter", 201, [](int32_t s, uint8_t* b) { return JQ_M_Get_Param_Mem_Data(s, 7, b); },
       [](uint8_t* b) { return JQ_Get_Param_Mem_Data(7, b); }},
      {"system", 211, [](int32_t s, uint8_t* b) { return JQ_M_Get_System_Mem_Data(s, 7, b); },
       [](uint8_t* b) { return JQ_Get_System_Mem_Data(7, b); }},
  };
  for (const auto& g : getters) {
    SCOPED_TRACE(g.name);
    sim.SetValue(g.code, 7, 0x12345678);
    for (bool zero_form : {false, true}) {
      auto call = [&](uint8_t* b) { return zero_form ? g.zero_form(b) : g.slot_form(0, b); };
      uint8_t guard[3] = {0xEE, 0xEE, 0xEE};
      ClearLog();
      EXPECT_EQ(call(&guard[1]), 0);
      EXPECT_EQ(guard[1], 0x78);
      EXPECT_EQ(guard[0], 0xEE);
      EXPECT_EQ(guard[2], 0xEE) << "one byte written, no more";
      EXPECT_TRUE(SameRequests(Requests(), {{g.code, 7, 0}}));

      Refuse(g.code);
      uint8_t b = 0xEE;
      EXPECT_EQ(call(&b), -1);
      EXPECT_EQ(b, 0);
      sim.SetStatus(g.code, 0);
    }
    for (int32_t slot : {1, 8, -1}) {
      uint8_t b = 0xEE;
      EXPECT_EQ(g.slot_form(slot, &b), -1) << "slot " << slot;
      EXPECT_EQ(b, 0);
    }
  }
}

TEST_P(PlcMemoryExports, WrittenBytesReadBack) {
  ASSERT_EQ(JQ_M_Set_Param_Mem_Data(0, 16, 0xAB), 0);
  uint8_t b = 0;
  EXPECT_EQ(JQ_Get_Param_Mem_Data(16, &b), 0);
  EXPECT_EQ(b, 0xAB);
}

// Both ratios travel as command 714 with the index given, and fall back to 1.0.
TEST_P(PlcMemoryExports, RatiosAreSinglesDefaultingToOne) {
  const struct {
    std::string name;
    std::function<int32_t(int32_t slot, uint16_t, float*)> slot_form;
    std::function<int32_t(uint16_t, float*)> zero_form;
  } getters[] = {
      {"axis ratio", JQ_M_Get_PLC_Axis_Ratio, JQ_Get_PLC_Axis_Ratio},
      {"encoder ratio", JQ_M_Get_PLC_Encoder_Ratio, JQ_Get_PLC_Encoder_Ratio},
  };
  sim.SetValue(714, 3, Bits(2.5f));
  for (const auto& g : getters) {
    SCOPED_TRACE(g.name);
    for (bool zero_form : {false, true}) {
      auto call = [&](float* r) { return zero_form ? g.zero_form(3, r) : g.slot_form(0, 3, r); };
      float ratio = -7.0f;
      ClearLog();
      EXPECT_EQ(call(&ratio), 0);
      EXPECT_EQ(ratio, 2.5f);
      EXPECT_TRUE(SameRequests(Requests(), {{714, 3, 0}}));

      Refuse(714);
      ratio = -7.0f;
      EXPECT_EQ(call(&ratio), -1);
      EXPECT_EQ(ratio, 1.0f);
      sim.SetStatus(714, 0);
    }
    for (int32_t slot : {1, 8, -1}) {
      float ratio = -7.0f;
      EXPECT_EQ(g.slot_form(slot, 3, &ratio), -1) << "slot " << slot;
      EXPECT_EQ(ratio, 1.0f);
    }
  }
}

JQ_INSTANTIATE_ON_LINKS(PlcMemoryExports);

}  // namespace
}  // namespace jqtest
