// The stream: queued moves, waits, delays and output changes.
#include <functional>
#include <string>
#include <vector>

#include "tests/device_api/export_rows.h"

namespace jqtest {
namespace {

class StreamExports : public ExportTableTest {};

TEST_P(StreamExports, ControlAndQueueTable) {
  RunRows({
      {JQ_ROW(Set_Stream_Run),                            {{800, 0, 0}},        0,    {}},
      {JQ_ROW(Set_Stream_Pause),                          {{801, 0, 0}},        0,    {}},
      {JQ_ROW(Set_Stream_Stop),                           {{802, 0, 0}},        0,    {}},
      {JQ_ROW(Set_Stream_Clear),                          {{803, 0, 0}},        0,    {}},
      {JQ_ROW(Get_Stream_Space, &o.i),                    {{804, 0, 0}},        1000, I32(1000)},
      {JQ_ROW(Set_Stream_Delay, 250),                     {{805, 0, 250}},      0,    {}},
      {JQ_ROW(Set_Stream_Line_Acc, 1, 5000),              {{808, 1, 5000}},     0,    {}},
      {JQ_ROW(Set_Stream_Line_Dec, 1, 6000),              {{809, 1, 6000}},     0,    {}},
      {JQ_ROW(Set_Stream_Line_V_Max, 1, 7000),            {{810, 1, 7000}},     0,    {}},
      {JQ_ROW(Set_Stream_Line_V_Start, 1, 80),            {{811, 1, 80}},       0,    {}},
      {JQ_ROW(Set_Stream_Line_Stop, 1),                   {{815, 1, 0}},        0,    {}},
      {JQ_ROW(Set_Stream_Line_Halt, 1),                   {{816, 1, 0}},        0,    {}},
      {JQ_ROW(Set_Stream_Circle_Axis, 0, 1, 2),           {{817, 0, 513}},      0,    {}},
      {JQ_ROW(Set_Stream_Circle_Acc, 2, 5000),            {{818, 2, 5000}},     0,    {}},
      {JQ_ROW(Set_Stream_Circle_Dec, 2, 6000),            {{819, 2, 6000}},     0,    {}},
      {JQ_ROW(Set_Stream_Circle_V_Max, 2, 7000),          {{820, 2, 7000}},     0,    {}},
      {JQ_ROW(Set_Stream_Circle_V_Start, 2, 80),          {{821, 2, 80}},       0,    {}},
      {JQ_ROW(Set_Stream_Circle_Stop, 2),                 {{829, 2, 0}},        0,    {}},
      {JQ_ROW(Set_Stream_Circle_Halt, 2),                 {{830, 2, 0}},        0,    {}},
      {JQ_ROW(Set_Stream_Wait_Line, 1),                   {{831, 1, 0}},        0,    {}},
      {JQ_ROW(Set_Stream_Wait_Circle, 2),                 {{832, 2, 0}},        0,    {}},
      {JQ_ROW(Set_Stream_OC_Out_Single, 3, 1),            {{833, 3, 1}},        0,    {}},
      {JQ_ROW(Set_Stream_OC_Out_All, 0x8000000F),         {{834, 0, static_cast<int32_t>(0x8000000F)}}, 0, {}},
      {JQ_ROW(Set_Stream_Optic_Out_Single, 4, 0),         {{835, 4, 0}},        0,    {}},
      {JQ_ROW(Set_Stream_Optic_Out_All, 0xA5),            {{836, 0, 0xA5}},     0,    {}},
      {JQ_ROW(Set_Stream_Dec_Enable),                     {{837, 0, 0}},        0,    {}},
      {JQ_ROW(Set_Stream_Dec_Disable),                    {{838, 0, 0}},        0,    {}},
      {JQ_ROW(Get_Stream_Total, &o.i),                    {{839, 0, 0}},        77,   I32(77)},
      {JQ_ROW(Get_Stream_Count, &o.i),                    {{840, 0, 0}},        12,   I32(12)},
      {JQ_ROW(Set_Stream_Wait_Optic_In, 5, 1),            {{841, 5, 1}},        0,    {}},
      {JQ_ROW(Set_Stream_Run_Check),                      {{842, 0, 0}},        0,    {}},
      {JQ_ROW(Set_Stream_Run_ID, -42),                    {{843, 0, -42}},      0,    {}},
      {JQ_ROW(Get_Stream_Run_ID, &o.i),                   {{844, 0, 0}},        -42,  I32(-42)},
  });
}

TEST_P(StreamExports, QueuedMovesTable) {
  RunRows({
      {JQ_ROW(Set_Stream_Circle_R_CW_Run_Rel, 2, 300, 10, 20),  {{823, 2, 10}, {824, 2, 20}, {822, 2, 300}, {827, 2, 0}}, 0, {}},
      {JQ_ROW(Set_Stream_Circle_R_CW_Run_Abs, 2, 300, 10, 20),  {{825, 2, 10}, {826, 2, 20}, {822, 2, 300}, {827, 2, 0}}, 0, {}},
      {JQ_ROW(Set_Stream_Circle_R_CCW_Run_Rel, 2, 300, 10, 20), {{823, 2, 10}, {824, 2, 20}, {822, 2, 300}, {828, 2, 0}}, 0, {}},
      {JQ_ROW(Set_Stream_Circle_R_CCW_Run_Abs, 2, 300, 10, 20), {{825, 2, 10}, {826, 2, 20}, {822, 2, 300}, {828, 2, 0}}, 0, {}},
      {JQ_ROW(Set_Stream_Line_X_Run_Rel, 1, 3, Axes3, Targets3),
       {{806, 1, 3}, {807, 0x0001, 4}, {807, 0x0101, 5}, {807, 0x0201, 6},
        {812, 0x0001, 100}, {812, 0x0101, 200}, {812, 0x0201, 300}, {814, 1, 0}}, 0, {}},
      {JQ_ROW(Set_Stream_Line_X_Run_Abs, 2, 2, Axes3, Targets3),
       {{806, 2, 2}, {807, 0x0002, 4}, {807, 0x0102, 5},
        {813, 0x0002, 100}, {813, 0x0102, 200}, {814, 2, 0}}, 0, {}},
  });
}

TEST_P(StreamExports, SequencesStopAtTheFirstRefusedCommand) {
  const struct {
    std::string what;
    uint16_t refused;
    std::function<int32_t()> call;
    std::vector<Req> sent;
  } cases[] = {
      {"circle end 2", 824, [] { return JQ_M_Set_Stream_Circle_R_CW_Run_Rel(0, 2, 300, 10, 20); },
       {{823, 2, 10}, {824, 2, 20}}},
      {"circle radius", 822, [] { return JQ_Set_Stream_Circle_R_CCW_Run_Abs(2, 300, 10, 20); },
       {{825, 2, 10}, {826, 2, 20}, {822, 2, 300}}},
      {"circle start", 828, [] { return JQ_M_Set_Stream_Circle_R_CCW_Run_Rel(0, 2, 300, 10, 20); },
       {{823, 2, 10}, {824, 2, 20}, {822, 2, 300}, {828, 2, 0}}},
      {"first item axis", 807, [] { return JQ_M_Set_Stream_Line_X_Run_Rel(0, 1, 3, Axes3, Targets3); },
       {{806, 1, 3}, {807, 0x0001, 4}}},
      {"first item target", 812, [] { return JQ_M_Set_Stream_Line_X_Run_Rel(0, 1, 3, Axes3, Targets3); },
       {{806, 1, 3}, {807, 0x0001, 4}, {807, 0x0101, 5}, {807, 0x0201, 6}, {812, 0x0001, 100}}},
      {"line start", 814, [] { return JQ_Set_Stream_Line_X_Run_Abs(1, 2, Axes3, Targets3); },
       {{806, 1, 2}, {807, 0x0001, 4}, {807, 0x0101, 5}, {813, 0x0001, 100}, {813, 0x0101, 200},
        {814, 1, 0}}},
  };
  // The last request of each `sent` is the refused one: nothing after it may go out.
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Refuse(c.refused);
    ClearLog();
    EXPECT_EQ(c.call(), -1);
    EXPECT_TRUE(SameRequests(Requests(), AsSent(c.sent, {c.refused})));
    sim.SetStatus(c.refused, 0);
  }
}

TEST_P(StreamExports, LinesThatCannotBeQueuedSendNothing) {
  const std::vector<std::pair<std::string, std::function<int32_t()>>> refused = {
      {"count 1", [] { return JQ_M_Set_Stream_Line_X_Run_Rel(0, 1, 1, Axes3, Targets3); }},
      {"count 9", [] { return JQ_Set_Stream_Line_X_Run_Rel(1, 9, Axes3, Targets3); }},
      {"count 0", [] { return JQ_M_Set_Stream_Line_X_Run_Abs(0, 1, 0, Axes3, Targets3); }},
      {"no axes", [] { return JQ_M_Set_Stream_Line_X_Run_Abs(0, 1, 3, nullptr, Targets3); }},
      {"no targets", [] { return JQ_M_Set_Stream_Line_X_Run_Rel(0, 1, 3, Axes3, nullptr); }},
      {"line 256", [] { return JQ_M_Set_Stream_Line_X_Run_Rel(0, 256, 3, Axes3, Targets3); }},
      {"circle axis 256", [] { return JQ_M_Set_Stream_Circle_Axis(0, 0, 256, 1); }},
      {"circle axis -1", [] { return JQ_Set_Stream_Circle_Axis(0, 1, -1); }},
  };
  for (const auto& [what, call] : refused) {
    SCOPED_TRACE(what);
    ClearLog();
    EXPECT_EQ(call(), -1);
    EXPECT_TRUE(SameRequests(Requests(), {}));
  }
}

JQ_INSTANTIATE_ON_LINKS(StreamExports);

}  // namespace
}  // namespace jqtest
