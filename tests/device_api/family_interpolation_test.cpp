// Line, circle and multi-axis line interpolation.
#include <functional>
#include <string>
#include <vector>

#include "tests/device_api/export_rows.h"

namespace jqtest {
namespace {

class InterpolationExports : public ExportTableTest {
 protected:
  struct Refusal {
    std::string what;
    uint16_t refused;
    std::function<int32_t()> call;
    std::vector<Req> sent;
  };

  // Each sequence meets one refused command, the last of `sent`: nothing after it may go out.
  void ExpectStopsAtRefusal(const std::vector<Refusal>& cases) {
    for (const Refusal& c : cases) {
      SCOPED_TRACE(c.what);
      Refuse(c.refused);
      ClearLog();
      EXPECT_EQ(c.call(), -1);
      EXPECT_TRUE(SameRequests(Requests(), AsSent(c.sent, {c.refused})));
      sim.SetStatus(c.refused, 0);
    }
  }
};

const int32_t Axes8[] = {0, 1, 2, 3, 4, 5, 6, 7};
const int32_t Targets8[] = {-1, -2, -3, -4, -5, -6, -7, -8};

TEST_P(InterpolationExports, LineTable) {
  RunRows({
      {JQ_ROW(Get_Axis_Line_Num, &o.i),                   {{132, 0, 0}},                     2,    I32(2)},
      {JQ_ROW(Set_Axis_Line_Axis, 1, 2, 3),               {{133, 1, 0x0302}},                0,    {}},
      {JQ_ROW(Set_Axis_Line_Acc, 1, 5000),                {{141, 1, 5000}},                  0,    {}},
      {JQ_ROW(Set_Axis_Line_Dec, 1, 6000),                {{142, 1, 6000}},                  0,    {}},
      {JQ_ROW(Set_Axis_Line_V, 1, -700),                  {{143, 1, -700}},                  0,    {}},
      {JQ_ROW(Set_Axis_Line_V_Start, 1, 80),              {{188, 1, 80}},                    0,    {}},
      {JQ_ROW(Set_Axis_Line_Run, 1),                      {{134, 1, 0}},                     0,    {}},
      {JQ_ROW(Set_Axis_Line_Stop, 1),                     {{135, 1, 0}},                     0,    {}},
      {JQ_ROW(Set_Axis_Line_Halt, 1),                     {{136, 1, 0}},                     0,    {}},
      {JQ_ROW(Set_Axis_Line_Rel, 1, 100, -200),           {{137, 1, 100}, {139, 1, -200}},   0,    {}},
      {JQ_ROW(Set_Axis_Line_Abs, 1, 100, -200),           {{138, 1, 100}, {140, 1, -200}},   0,    {}},
      {JQ_ROW(Set_Axis_Line_Run_Rel, 1, 100, -200),       {{137, 1, 100}, {139, 1, -200}, {134, 1, 0}}, 0, {}},
      {JQ_ROW(Set_Axis_Line_Run_Abs, 1, 100, -200),       {{138, 1, 100}, {140, 1, -200}, {134, 1, 0}}, 0, {}},
      {JQ_ROW(Get_Axis_Line_Status, 1, &o.i),             {{144, 1, 0}},                     3,    I32(3)},
      {JQ_ROW(Get_Axis_Line_Acc, 1, &o.i),                {{146, 1, 0}},                     5000, I32(5000)},
      {JQ_ROW(Get_Axis_Line_Dec, 1, &o.i),                {{147, 1, 0}},                     6000, I32(6000)},
      {JQ_ROW(Get_Axis_Line_V, 1, &o.i),                  {{148, 1, 0}},                     -700, I32(-700)},
  });
}

TEST_P(InterpolationExports, CircleTable) {
  RunRows({
      {JQ_ROW(Get_Axis_Circle_Num, &o.i),                 {{149, 0, 0}},                     2,    I32(2)},
      {JQ_ROW(Set_Axis_Circle_Axis, 2, 0, 1),             {{150, 2, 0x0100}},                0,    {}},
      {JQ_ROW(Set_Axis_Circle_Acc, 2, 5000),              {{164, 2, 5000}},                  0,    {}},
      {JQ_ROW(Set_Axis_Circle_Dec, 2, 6000),              {{165, 2, 6000}},                  0,    {}},
      {JQ_ROW(Set_Axis_Circle_V, 2, 700),                 {{166, 2, 700}},                   0,    {}},
      {JQ_ROW(Set_Axis_Circle_V_Start, 2, 80),            {{189, 2, 80}},                    0,    {}},
      {JQ_ROW(Set_Axis_Circle_R_CW_Run_Rel, 0, 500, 1000, 0),   {{155, 0, 1000}, {157, 0, 0}, {159, 0, 500}, {151, 0, 0}}, 0, {}},
      {JQ_ROW(Set_Axis_Circle_R_CW_Run_Abs, 2, 500, 1000, -9),  {{156, 2, 1000}, {158, 2, -9}, {159, 2, 500}, {151, 2, 0}}, 0, {}},
      {JQ_ROW(Set_Axis_Circle_R_CCW_Run_Rel, 2, 500, 1000, -9), {{155, 2, 1000}, {157, 2, -9}, {159, 2, 500}, {152, 2, 0}}, 0, {}},
      {JQ_ROW(Set_Axis_Circle_R_CCW_Run_Abs, 2, 500, 1000, -9), {{156, 2, 1000}, {158, 2, -9}, {159, 2, 500}, {152, 2, 0}}, 0, {}},
      {JQ_ROW(Set_Axis_Circle_Stop, 2),                   {{153, 2, 0}},                     0,    {}},
      {JQ_ROW(Set_Axis_Circle_Halt, 2),                   {{154, 2, 0}},                     0,    {}},
      {JQ_ROW(Get_Axis_Circle_Status, 2, &o.i),           {{167, 2, 0}},                     1,    I32(1)},
      {JQ_ROW(Get_Axis_Circle_Acc, 2, &o.i),              {{169, 2, 0}},                     5000, I32(5000)},
      {JQ_ROW(Get_Axis_Circle_Dec, 2, &o.i),              {{170, 2, 0}},                     6000, I32(6000)},
      {JQ_ROW(Get_Axis_Circle_V, 2, &o.i),                {{171, 2, 0}},                     700,  I32(700)},
  });
}

TEST_P(InterpolationExports, MultiAxisLineTable) {
  RunRows({
      {JQ_ROW(Set_Axis_Line_X_Count, 1, 2),               {{194, 1, 2}},                     0,    {}},
      {JQ_ROW(Set_Axis_Line_X_Count, 1, 8),               {{194, 1, 8}},                     0,    {}},
      {JQ_ROW(Set_Axis_Line_X_Axis, 1, 2, 6),             {{190, 0x0201, 6}},                0,    {}},
      {JQ_ROW(Set_Axis_Line_X_Target_Rel, 1, 2, -300),    {{192, 0x0201, -300}},             0,    {}},
      {JQ_ROW(Set_Axis_Line_X_Target_Abs, 3, 7, 300),     {{193, 0x0703, 300}},              0,    {}},
      {JQ_ROW(Set_Axis_Line_X_Run_Abs, 1, 3, Axes3, Targets3),
       {{194, 1, 3}, {190, 0x0001, 4}, {190, 0x0101, 5}, {190, 0x0201, 6},
        {193, 0x0001, 100}, {193, 0x0101, 200}, {193, 0x0201, 300}, {134, 1, 0}}, 0, {}},
      {JQ_ROW(Set_Axis_Line_X_Run_Rel, 1, 3, Axes3, Targets3),
       {{194, 1, 3}, {190, 0x0001, 4}, {190, 0x0101, 5}, {190, 0x0201, 6},
        {192, 0x0001, 100}, {192, 0x0101, 200}, {192, 0x0201, 300}, {134, 1, 0}}, 0, {}},
      {JQ_ROW(Set_Axis_Line_X_Run_Rel, 0, 2, Axes3, Targets3),
       {{194, 0, 2}, {190, 0x0000, 4}, {190, 0x0100, 5},
        {192, 0x0000, 100}, {192, 0x0100, 200}, {134, 0, 0}}, 0, {}},
  });
}

TEST_P(InterpolationExports, EightAxisLineNumbersItemsZeroToSeven) {
  ASSERT_EQ(JQ_M_Set_Axis_Line_X_Run_Rel(0, 5, 8, Axes8, Targets8), 0);
  std::vector<Req> sent = {{194, 5, 8}};
  for (uint16_t i = 0; i < 8; ++i) sent.push_back({190, static_cast<uint16_t>(5 + 256 * i), Axes8[i]});
  for (uint16_t i = 0; i < 8; ++i) sent.push_back({192, static_cast<uint16_t>(5 + 256 * i), Targets8[i]});
  sent.push_back({134, 5, 0});
  EXPECT_TRUE(SameRequests(Requests(), sent));
}

TEST_P(InterpolationExports, SequencesStopAtTheFirstRefusedCommand) {
  ExpectStopsAtRefusal({
      {"line end point", 139, [] { return JQ_M_Set_Axis_Line_Run_Rel(0, 1, 100, -200); },
       {{137, 1, 100}, {139, 1, -200}}},
      {"line start", 134, [] { return JQ_M_Set_Axis_Line_Run_Abs(0, 1, 100, -200); },
       {{138, 1, 100}, {140, 1, -200}, {134, 1, 0}}},
      {"circle end 2", 157, [] { return JQ_M_Set_Axis_Circle_R_CW_Run_Rel(0, 0, 500, 1000, 0); },
       {{155, 0, 1000}, {157, 0, 0}}},
      {"circle radius", 159, [] { return JQ_M_Set_Axis_Circle_R_CCW_Run_Abs(0, 1, 500, 10, 20); },
       {{156, 1, 10}, {158, 1, 20}, {159, 1, 500}}},
      {"first item axis", 190, [] { return JQ_M_Set_Axis_Line_X_Run_Rel(0, 1, 3, Axes3, Targets3); },
       {{194, 1, 3}, {190, 0x0001, 4}}},
      {"first item target", 193, [] { return JQ_M_Set_Axis_Line_X_Run_Abs(0, 1, 3, Axes3, Targets3); },
       {{194, 1, 3}, {190, 0x0001, 4}, {190, 0x0101, 5}, {190, 0x0201, 6}, {193, 0x0001, 100}}},
      {"multi-axis start", 134, [] { return JQ_M_Set_Axis_Line_X_Run_Rel(0, 1, 2, Axes3, Targets3); },
       {{194, 1, 2}, {190, 0x0001, 4}, {190, 0x0101, 5}, {192, 0x0001, 100}, {192, 0x0101, 200},
        {134, 1, 0}}},
  });
}

TEST_P(InterpolationExports, AxisCountOutsideTwoToEightSendsNothing) {
  for (int32_t count : {-1, 0, 1, 9, 256}) {
    SCOPED_TRACE(count);
    ClearLog();
    EXPECT_EQ(JQ_M_Set_Axis_Line_X_Count(0, 1, count), -1);
    EXPECT_EQ(JQ_Set_Axis_Line_X_Count(1, count), -1);
    EXPECT_EQ(JQ_M_Set_Axis_Line_X_Run_Rel(0, 1, count, Axes8, Targets8), -1);
    EXPECT_EQ(JQ_Set_Axis_Line_X_Run_Abs(1, count, Axes8, Targets8), -1);
    EXPECT_TRUE(SameRequests(Requests(), {}));
  }
}

TEST_P(InterpolationExports, MissingAxisOrTargetListSendsNothing) {
  EXPECT_EQ(JQ_M_Set_Axis_Line_X_Run_Rel(0, 1, 3, nullptr, Targets3), -1);
  EXPECT_EQ(JQ_M_Set_Axis_Line_X_Run_Abs(0, 1, 3, Axes3, nullptr), -1);
  EXPECT_TRUE(SameRequests(Requests(), {}));
}

// Axis 256 cut to its low byte would drive axis 0.
TEST_P(InterpolationExports, NumbersPackedIntoBytesMustFitOne) {
  const std::vector<std::pair<std::string, std::function<int32_t()>>> refused = {
      {"line axis 1 = 256", [] { return JQ_M_Set_Axis_Line_Axis(0, 1, 256, 2); }},
      {"line axis 2 = 256", [] { return JQ_Set_Axis_Line_Axis(1, 2, 256); }},
      {"line axis 1 = -1", [] { return JQ_M_Set_Axis_Line_Axis(0, 1, -1, 2); }},
      {"circle axis 2 = 256", [] { return JQ_M_Set_Axis_Circle_Axis(0, 0, 0, 256); }},
      {"circle axis 1 = 65536", [] { return JQ_Set_Axis_Circle_Axis(0, 65536, 1); }},
      {"item line 256", [] { return JQ_M_Set_Axis_Line_X_Axis(0, 256, 0, 4); }},
      {"item 256", [] { return JQ_M_Set_Axis_Line_X_Axis(0, 1, 256, 4); }},
      {"item -1", [] { return JQ_Set_Axis_Line_X_Target_Rel(1, -1, 4); }},
      {"target item 256", [] { return JQ_M_Set_Axis_Line_X_Target_Abs(0, 1, 256, 4); }},
      {"run on line 256", [] { return JQ_M_Set_Axis_Line_X_Run_Rel(0, 256, 3, Axes3, Targets3); }},
      {"abs run on line 256", [] { return JQ_Set_Axis_Line_X_Run_Abs(256, 3, Axes3, Targets3); }},
  };
  for (const auto& [what, call] : refused) {
    SCOPED_TRACE(what);
    ClearLog();
    EXPECT_EQ(call(), -1);
    EXPECT_TRUE(SameRequests(Requests(), {}));
  }

  ClearLog();
  EXPECT_EQ(JQ_M_Set_Axis_Line_Axis(0, 1, 255, 255), 0);
  EXPECT_EQ(JQ_M_Set_Axis_Line_X_Axis(0, 255, 255, 7), 0);
  EXPECT_TRUE(SameRequests(Requests(), {{133, 1, 0xFFFF}, {190, 0xFFFF, 7}}));
}

TEST_P(InterpolationExports, AxisPairsReadBackFromTheLowTwoBytes) {
  struct Getter {
    std::string name;
    uint16_t code;
    std::function<int32_t(int32_t slot, int32_t*, int32_t*)> slot_form;
    std::function<int32_t(int32_t*, int32_t*)> zero_form;
    int32_t default1, default2;
  };
  const Getter getters[] = {
      {"line", 145, [](int32_t s, int32_t* a, int32_t* b) { return JQ_M_Get_Axis_Line_Axis(s, 3, a, b); },
       [](int32_t* a, int32_t* b) { return JQ_Get_Axis_Line_Axis(3, a, b); }, 0, 1},
      {"circle", 168, [](int32_t s, int32_t* a, int32_t* b) { return JQ_M_Get_Axis_Circle_Axis(s, 3, a, b); },
       [](int32_t* a, int32_t* b) { return JQ_Get_Axis_Circle_Axis(3, a, b); }, 0, 0},
  };
  for (const Getter& g : getters) {
    SCOPED_TRACE(g.name);
    sim.SetValue(g.code, 3, static_cast<int32_t>(0x7F11FE05));
    for (bool zero_form : {false, true}) {
      auto call = [&](int32_t* a, int32_t* b) { return zero_form ? g.zero_form(a, b) : g.slot_form(0, a, b); };
      ClearLog();
      int32_t a = Sentinel, b = Sentinel;
      EXPECT_EQ(call(&a, &b), 0);
      EXPECT_EQ(a, 0x05);
      EXPECT_EQ(b, 0xFE);
      EXPECT_TRUE(SameRequests(Requests(), {{g.code, 3, 0}}));

      Refuse(g.code);
      a = b = Sentinel;
      EXPECT_EQ(call(&a, &b), -1);
      EXPECT_EQ(a, g.default1);
      EXPECT_EQ(b, g.default2);
      sim.SetStatus(g.code, 0);
    }
    for (int32_t slot : {1, 8, -1}) {
      int32_t a = Sentinel, b = Sentinel;
      EXPECT_EQ(g.slot_form(slot, &a, &b), -1) << "slot " << slot;
      EXPECT_EQ(a, g.default1);
      EXPECT_EQ(b, g.default2);
    }
    EXPECT_EQ(g.slot_form(0, nullptr, nullptr), 0) << "outputs are optional";
  }
}

JQ_INSTANTIATE_ON_LINKS(InterpolationExports);

}  // namespace
}  // namespace jqtest
