// Single-axis motion: modes, targets, stops, position counter, status and aliases.
#include <array>
#include <climits>

#include "tests/device_api/export_rows.h"

namespace jqtest {
namespace {

class AxisMotionExports : public ExportTableTest {};

// Axis 3 everywhere, so that an index taken from the wrong argument shows.
TEST_P(AxisMotionExports, Table) {
  const std::vector<Req> acc_all = {{174, 3, 2500}, {179, 3, 2500}, {184, 3, 2500}};
  const std::vector<Req> dec_all = {{175, 3, 1800}, {180, 3, 1800}, {185, 3, 1800}};
  // clang-format off
  RunRows({
      {JQ_ROW(Get_Axis_Num, &o.i),                                  {{100, 0, 0}},           6,        I32(6)},
      {JQ_ROW(Get_Axis_Acc, 3, &o.i),                               {{101, 3, 0}},           40000,    I32(40000)},
      {JQ_ROW(Set_Axis_Acc, 3, 2500),                               acc_all,                 0,        {}, acc_all},
      {JQ_ROW(Get_Axis_Dec, 3, &o.i),                               {{103, 3, 0}},           -7,       I32(-7)},
      {JQ_ROW(Set_Axis_Dec, 3, 1800),                               dec_all,                 0,        {}, dec_all},
      {JQ_ROW(Get_Axis_Mode, 3, &o.i),                              {{105, 3, 0}},           3,        I32(3)},
      {JQ_ROW(Set_Axis_Mode_Velocity, 3),                           {{106, 3, 0}},           0,        {}},
      {JQ_ROW(Set_Axis_Mode_Position, 3),                           {{107, 3, 0}},           0,        {}},
      {JQ_ROW(Set_Axis_Mode_Position_Open, 3),                      {{107, 3, 0}},           0,        {}},
      {JQ_ROW(Set_Axis_Mode_Position_Close, 3),                     {{107, 3, 1}},           0,        {}},
      {JQ_ROW(Get_Axis_Velocity_V_Target, 3, &o.i),                 {{108, 3, 0}},           -12000,   I32(-12000)},
      {JQ_ROW(Set_Axis_Velocity_V_Target_Abs, 3, -12000),           {{109, 3, -12000}},      0,        {}},
      {JQ_ROW(Set_Axis_Velocity_V_Target_Rel, 3, -300),             {{123, 3, -300}},        0,        {}},
      {JQ_ROW(Set_Axis_Velocity_Stop, 3),                           {{110, 3, 0}},           0,        {}},
      {JQ_ROW(Get_Axis_Position_V_Max, 3, &o.i),                    {{111, 3, 0}},           50000,    I32(50000)},
      {JQ_ROW(Set_Axis_Position_V_Max, 3, 50000),                   {{112, 3, 50000}},       0,        {}},
      {JQ_ROW(Get_Axis_Position_P_Target, 3, &o.i),                 {{113, 3, 0}},           INT32_MIN, I32(INT32_MIN)},
      {JQ_ROW(Set_Axis_Position_P_Target_Abs, 3, INT32_MAX),        {{114, 3, INT32_MAX}},   0,        {}},
      {JQ_ROW(Set_Axis_Position_P_Target_Rel, 3, -1000),            {{115, 3, -1000}},       0,        {}},
      {JQ_ROW(Set_Axis_Position_Stop, 3),                           {{116, 3, 0}},           0,        {}},
      {JQ_ROW(Set_Axis_Position_Close_Dec_Factor, 3, 1.6f),         {{195, 3, 0x3FCCCCCD}},  0,        {}},
      {JQ_ROW(Set_Axis_Halt, 3),                                    {{117, 3, 0}},           0,        {}},
      {JQ_ROW(Set_Axis_Halt_All),                                   {{118, 0, 0}},           0,        {}},
      {JQ_ROW(Get_Axis_V_Now, 3, &o.i),                             {{119, 3, 0}},           -900,     I32(-900)},
      {JQ_ROW(Get_Axis_Software_P_Now, 3, &o.i),                    {{120, 3, 0}},           -123456,  I32(-123456)},
      {JQ_ROW(Set_Axis_Software_P, 3, -5),                          {{122, 3, -5}},          0,        {}},
      {JQ_ROW(Get_Axis_Status_Run, 3, &o.i),                        {{121, 3, 0}},           0x45,     I32(1)},
      {JQ_ROW(Get_Axis_Status_Dir, 3, &o.i),                        {{121, 3, 0}},           0x45,     I32(0)},
      {JQ_ROW(Get_Axis_Status_Neg, 3, &o.i),                        {{121, 3, 0}},           0x45,     I32(1)},
      {JQ_ROW(Get_Axis_Status_Pos, 3, &o.i),                        {{121, 3, 0}},           0x45,     I32(0)},
      {JQ_ROW(Get_Axis_Status_Zero, 3, &o.i),                       {{121, 3, 0}},           0x45,     I32(0)},
      {JQ_ROW(Get_Axis_Status_Mode, 3, &o.i),                       {{121, 3, 0}},           0x45,     I32(2)},
      {JQ_ROW(Get_Axis_Status_Dir, 3, &o.i),                        {{121, 3, 0}},           0x7FFFFFBA, I32(1)},
      {JQ_ROW(Get_Axis_Status_Pos, 3, &o.i),                        {{121, 3, 0}},           0x7FFFFFBA, I32(1)},
      {JQ_ROW(Get_Axis_Status_Zero, 3, &o.i),                       {{121, 3, 0}},           0x7FFFFFBA, I32(1)},
      {JQ_ROW(Get_Axis_Status_Mode, 3, &o.i),                       {{121, 3, 0}},           -1,       I32(3)},
      {JQ_ROW(Get_Axis_P_Now, 3, &o.i),                             {{120, 3, 0}},           77,       I32(77)},
      {JQ_ROW(Get_Axis_Software_P, 3, &o.i),                        {{120, 3, 0}},           78,       I32(78)},
      {JQ_ROW(Set_Axis_Software_P_Now, 3, 79),                      {{122, 3, 79}},          0,        {}},
      {JQ_ROW(Set_Axis_P_Now, 3, -80),                              {{122, 3, -80}},         0,        {}},
  });
  // clang-format on
}

// run, dir, neg, pos, zero, mode
using Status = std::array<int32_t, 6>;

struct StatusCase {
  int32_t reply;
  Status decoded;
};

// 0xBA sets every other bit, bit 7 included, which no output carries; upper bytes are ignored.
const StatusCase Status_Cases[] = {
    {0x45, {1, 0, 1, 0, 0, 2}},
    {static_cast<int32_t>(0xFFFFFFBA), {0, 1, 0, 1, 1, 1}},
    {0x7F, {1, 1, 1, 1, 1, 3}},
    {0x1000, {0, 0, 0, 0, 0, 0}},
};

TEST_P(AxisMotionExports, StatusDecodesEveryField) {
  for (const StatusCase& c : Status_Cases) {
    SCOPED_TRACE(c.reply);
    sim.SetValue(121, 2, c.reply);
    std::array<uint8_t, 6> b;
    b.fill(0xEE);
    ClearLog();
    EXPECT_EQ(JQ_M_Get_Axis_Status(0, 2, &b[0], &b[1], &b[2], &b[3], &b[4], &b[5]), 0);
    EXPECT_EQ((Status{b[0], b[1], b[2], b[3], b[4], b[5]}), c.decoded);
    b.fill(0xEE);
    EXPECT_EQ(JQ_Get_Axis_Status(2, &b[0], &b[1], &b[2], &b[3], &b[4], &b[5]), 0);
    EXPECT_EQ((Status{b[0], b[1], b[2], b[3], b[4], b[5]}), c.decoded);

    Status i;
    i.fill(Sentinel);
    EXPECT_EQ(JQ_M_Get_Axis_Status2(0, 2, &i[0], &i[1], &i[2], &i[3], &i[4], &i[5]), 0);
    EXPECT_EQ(i, c.decoded);
    i.fill(Sentinel);
    EXPECT_EQ(JQ_Get_Axis_Status2(2, &i[0], &i[1], &i[2], &i[3], &i[4], &i[5]), 0);
    EXPECT_EQ(i, c.decoded);
    EXPECT_TRUE(SameRequests(Requests(), {{121, 2, 0}, {121, 2, 0}, {121, 2, 0}, {121, 2, 0}}));
  }
}

TEST_P(AxisMotionExports, FailedStatusZeroesAllSixOutputs) {
  Refuse(121);
  for (int32_t slot : {0, 1, 8}) {
    SCOPED_TRACE(slot);
    std::array<uint8_t, 6> b;
    b.fill(0xEE);
    EXPECT_EQ(JQ_M_Get_Axis_Status(slot, 2, &b[0], &b[1], &b[2], &b[3], &b[4], &b[5]), -1);
    EXPECT_EQ(b, (std::array<uint8_t, 6>{}));
    Status i;
    i.fill(Sentinel);
    EXPECT_EQ(JQ_M_Get_Axis_Status2(slot, 2, &i[0], &i[1], &i[2], &i[3], &i[4], &i[5]), -1);
    EXPECT_EQ(i, Status{});
  }
  std::array<uint8_t, 6> b;
  b.fill(0xEE);
  EXPECT_EQ(JQ_Get_Axis_Status(2, &b[0], &b[1], &b[2], &b[3], &b[4], &b[5]), -1);
  EXPECT_EQ(b, (std::array<uint8_t, 6>{}));
  // Only slot 0 reaches the controller.
  EXPECT_TRUE(SameRequests(Requests(), AsSent({{121, 2, 0}, {121, 2, 0}, {121, 2, 0}}, {121})));
}

TEST_P(AxisMotionExports, StatusOnASilentControllerZeroesItsOutputs) {
  sim.SetFault({jqsim::FaultKind::Silence, 0, -1, 121});
  Status i;
  i.fill(Sentinel);
  EXPECT_EQ(JQ_Get_Axis_Status2(1, &i[0], &i[1], &i[2], &i[3], &i[4], &i[5]), -1);
  EXPECT_EQ(i, Status{});
  EXPECT_TRUE(SameRequests(Requests(), AsSent({{121, 1, 0}}, {121})));
}

// The three ramps of the modes are all sent even when one is refused; the export
// then reports the refusal instead of the last command's success.
TEST_P(AxisMotionExports, RampFanOutSendsAllThreeAndReportsAnyRefusal) {
  struct Case {
    const char* what;
    bool acc;
    uint16_t refused;  // 0: none
    int32_t result;
  };
  const Case cases[] = {
      {"acc", true, 0, 0},    {"acc, homing refused", true, 174, -1},
      {"acc, velocity refused", true, 179, -1}, {"acc, position refused", true, 184, -1},
      {"dec", false, 0, 0},   {"dec, homing refused", false, 175, -1},
      {"dec, position refused", false, 185, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    if (c.refused) Refuse(c.refused);
    for (bool zero_form : {false, true}) {
      ClearLog();
      const int32_t result = c.acc ? (zero_form ? JQ_Set_Axis_Acc(1, 3200) : JQ_M_Set_Axis_Acc(0, 1, 3200))
                                   : (zero_form ? JQ_Set_Axis_Dec(1, -3200) : JQ_M_Set_Axis_Dec(0, 1, -3200));
      EXPECT_EQ(result, c.result);
      EXPECT_TRUE(SameRequests(Requests(), AsSent(c.acc ? std::vector<Req>{{174, 1, 3200}, {179, 1, 3200}, {184, 1, 3200}}
                                                        : std::vector<Req>{{175, 1, -3200}, {180, 1, -3200}, {185, 1, -3200}},
                                                  {c.refused})));
    }
    if (c.refused) sim.SetStatus(c.refused, 0);
  }
}

JQ_INSTANTIATE_ON_LINKS(AxisMotionExports);

}  // namespace
}  // namespace jqtest
