// Line, circle and multi-axis line interpolators. The interpolator number travels
// as the index; axis pairs and line items are packed into bytes.
#include "device_api/motion_sequences.h"

using namespace jq;

namespace {

// An axis pair read back: bytes 0 and 1 of the reply, or the two defaults.
int32_t Get_Axis_Pair(int32_t slot, uint16_t code, uint16_t index, int32_t* axis1, int32_t* axis2,
                      int32_t default1, int32_t default2) {
  TCommand_Reply reply;
  const int32_t result = Send_Command(slot, code, index, 0, reply);
  const bool ok = result == Result_OK;
  Put(axis1, ok ? Value_Byte(reply.Reply.Value, 0) : default1);
  Put(axis2, ok ? Value_Byte(reply.Reply.Value, 1) : default2);
  return result;
}

// A two-axis end point: target 1, then target 2.
int32_t Line_End(int32_t slot, uint16_t line, uint16_t code1, uint16_t code2, int32_t target1,
                 int32_t target2) {
  return Sequence([&] { return Set(slot, code1, line, target1); },
                  [&] { return Set(slot, code2, line, target2); });
}

int32_t Line_End_Run(int32_t slot, uint16_t line, uint16_t code1, uint16_t code2, int32_t target1,
                     int32_t target2) {
  return Sequence([&] { return Line_End(slot, line, code1, code2, target1, target2); },
                  [&] { return Set(slot, 134, line, 0); });
}

int32_t Set_Line_Axes(int32_t slot, uint16_t line, int32_t count) {
  return Valid_Line_Axes(count) ? Set(slot, 194, line, count) : Result_Fail;
}

constexpr Line_Run_Codes Line_X_Rel{194, 190, 192, 134};
constexpr Line_Run_Codes Line_X_Abs{194, 190, 193, 134};

constexpr Circle_Run_Codes Circle_CW_Rel{155, 157, 159, 151};
constexpr Circle_Run_Codes Circle_CW_Abs{156, 158, 159, 151};
constexpr Circle_Run_Codes Circle_CCW_Rel{155, 157, 159, 152};
constexpr Circle_Run_Codes Circle_CCW_Abs{156, 158, 159, 152};

}  // namespace

// ---- Line interpolation ----
JQ_EXPORT_PAIR(Get_Axis_Line_Num,          (int32_t* num),                                        (num),                          Get(slot, 132, 0, num))
JQ_EXPORT_PAIR(Set_Axis_Line_Axis,         (uint16_t line, int32_t axis1, int32_t axis2),         (line, axis1, axis2),           Set_Byte_Pair(slot, 133, line, axis1, axis2))
JQ_EXPORT_PAIR(Set_Axis_Line_Acc,          (uint16_t line, int32_t acc),                          (line, acc),                    Set(slot, 141, line, acc))
JQ_EXPORT_PAIR(Set_Axis_Line_Dec,          (uint16_t line, int32_t dec),                          (line, dec),                    Set(slot, 142, line, dec))
JQ_EXPORT_PAIR(Set_Axis_Line_V,            (uint16_t line, int32_t speed),                        (line, speed),                  Set(slot, 143, line, speed))
JQ_EXPORT_PAIR(Set_Axis_Line_V_Start,      (uint16_t line, int32_t speed),                        (line, speed),                  Set(slot, 188, line, speed))
JQ_EXPORT_PAIR(Set_Axis_Line_Run,          (uint16_t line),                                       (line),                         Set(slot, 134, line, 0))
JQ_EXPORT_PAIR(Set_Axis_Line_Stop,         (uint16_t line),                                       (line),                         Set(slot, 135, line, 0))
JQ_EXPORT_PAIR(Set_Axis_Line_Halt,         (uint16_t line),                                       (line),                         Set(slot, 136, line, 0))
JQ_EXPORT_PAIR(Set_Axis_Line_Rel,          (uint16_t line, int32_t target1, int32_t target2),     (line, target1, target2),       Line_End(slot, line, 137, 139, target1, target2))
JQ_EXPORT_PAIR(Set_Axis_Line_Abs,          (uint16_t line, int32_t target1, int32_t target2),     (line, target1, target2),       Line_End(slot, line, 138, 140, target1, target2))
JQ_EXPORT_PAIR(Set_Axis_Line_Run_Rel,      (uint16_t line, int32_t target1, int32_t target2),     (line, target1, target2),       Line_End_Run(slot, line, 137, 139, target1, target2))
JQ_EXPORT_PAIR(Set_Axis_Line_Run_Abs,      (uint16_t line, int32_t target1, int32_t target2),     (line, target1, target2),       Line_End_Run(slot, line, 138, 140, target1, target2))
JQ_EXPORT_PAIR(Get_Axis_Line_Status,       (uint16_t line, int32_t* status),                      (line, status),                 Get(slot, 144, line, status))
JQ_EXPORT_PAIR(Get_Axis_Line_Axis,         (uint16_t line, int32_t* axis1, int32_t* axis2),       (line, axis1, axis2),           Get_Axis_Pair(slot, 145, line, axis1, axis2, 0, 1))
JQ_EXPORT_PAIR(Get_Axis_Line_Acc,          (uint16_t line, int32_t* acc),                         (line, acc),                    Get(slot, 146, line, acc))
JQ_EXPORT_PAIR(Get_Axis_Line_Dec,          (uint16_t line, int32_t* dec),                         (line, dec),                    Get(slot, 147, line, dec))
JQ_EXPORT_PAIR(Get_Axis_Line_V,            (uint16_t line, int32_t* speed),                       (line, speed),                  Get(slot, 148, line, speed))

// ---- Circle interpolation ----
JQ_EXPORT_PAIR(Get_Axis_Circle_Num,        (int32_t* num),                                        (num),                          Get(slot, 149, 0, num))
JQ_EXPORT_PAIR(Set_Axis_Circle_Axis,       (uint16_t circle, int32_t axis1, int32_t axis2),       (circle, axis1, axis2),         Set_Byte_Pair(slot, 150, circle, axis1, axis2))
JQ_EXPORT_PAIR(Set_Axis_Circle_Acc,        (uint16_t circle, int32_t acc),                        (circle, acc),                  Set(slot, 164, circle, acc))
JQ_EXPORT_PAIR(Set_Axis_Circle_Dec,        (uint16_t circle, int32_t dec),                        (circle, dec),                  Set(slot, 165, circle, dec))
JQ_EXPORT_PAIR(Set_Axis_Circle_V,          (uint16_t circle, int32_t speed),                      (circle, speed),                Set(slot, 166, circle, speed))
JQ_EXPORT_PAIR(Set_Axis_Circle_V_Start,    (uint16_t circle, int32_t speed),                      (circle, speed),                Set(slot, 189, circle, speed))
JQ_EXPORT_PAIR(Set_Axis_Circle_R_CW_Run_Rel,  (uint16_t circle, int32_t r, int32_t end1, int32_t end2), (circle, r, end1, end2),  Circle_Run(slot, Circle_CW_Rel, circle, r, end1, end2))
JQ_EXPORT_PAIR(Set_Axis_Circle_R_CW_Run_Abs,  (uint16_t circle, int32_t r, int32_t end1, int32_t end2), (circle, r, end1, end2),  Circle_Run(slot, Circle_CW_Abs, circle, r, end1, end2))
JQ_EXPORT_PAIR(Set_Axis_Circle_R_CCW_Run_Rel, (uint16_t circle, int32_t r, int32_t end1, int32_t end2), (circle, r, end1, end2),  Circle_Run(slot, Circle_CCW_Rel, circle, r, end1, end2))
JQ_EXPORT_PAIR(Set_Axis_Circle_R_CCW_Run_Abs, (uint16_t circle, int32_t r, int32_t end1, int32_t end2), (circle, r, end1, end2),  Circle_Run(slot, Circle_CCW_Abs, circle, r, end1, end2))
JQ_EXPORT_PAIR(Set_Axis_Circle_Stop,       (uint16_t circle),                                     (circle),                       Set(slot, 153, circle, 0))
JQ_EXPORT_PAIR(Set_Axis_Circle_Halt,       (uint16_t circle),                                     (circle),                       Set(slot, 154, circle, 0))
JQ_EXPORT_PAIR(Get_Axis_Circle_Status,     (uint16_t circle, int32_t* status),                    (circle, status),               Get(slot, 167, circle, status))
JQ_EXPORT_PAIR(Get_Axis_Circle_Axis,       (uint16_t circle, int32_t* axis1, int32_t* axis2),     (circle, axis1, axis2),         Get_Axis_Pair(slot, 168, circle, axis1, axis2, 0, 0))
JQ_EXPORT_PAIR(Get_Axis_Circle_Acc,        (uint16_t circle, int32_t* acc),                       (circle, acc),                  Get(slot, 169, circle, acc))
JQ_EXPORT_PAIR(Get_Axis_Circle_Dec,        (uint16_t circle, int32_t* dec),                       (circle, dec),                  Get(slot, 170, circle, dec))
JQ_EXPORT_PAIR(Get_Axis_Circle_V,          (uint16_t circle, int32_t* speed),                     (circle, speed),                Get(slot, 171, circle, speed))

// ---- Multi-axis line ----
JQ_EXPORT_PAIR(Set_Axis_Line_X_Count,      (uint16_t line, int32_t count),                        (line, count),                  Set_Line_Axes(slot, line, count))
JQ_EXPORT_PAIR(Set_Axis_Line_X_Axis,       (uint16_t line, int32_t item, int32_t axis),           (line, item, axis),             Set_Line_Item(slot, 190, line, item, axis))
JQ_EXPORT_PAIR(Set_Axis_Line_X_Target_Rel, (uint16_t line, int32_t item, int32_t target),         (line, item, target),           Set_Line_Item(slot, 192, line, item, target))
JQ_EXPORT_PAIR(Set_Axis_Line_X_Target_Abs, (uint16_t line, int32_t item, int32_t target),         (line, item, target),           Set_Line_Item(slot, 193, line, item, target))
JQ_EXPORT_PAIR(Set_Axis_Line_X_Run_Rel,    (uint16_t line, int32_t count, const int32_t* axes, const int32_t* targets), (line, count, axes, targets), Line_Run(slot, Line_X_Rel, line, count, axes, targets))
JQ_EXPORT_PAIR(Set_Axis_Line_X_Run_Abs,    (uint16_t line, int32_t count, const int32_t* axes, const int32_t* targets), (line, count, axes, targets), Line_Run(slot, Line_X_Abs, line, count, axes, targets))
