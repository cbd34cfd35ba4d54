// The controller's stream: a queue of moves, waits, delays and output changes that it
// carries out in order. Every export here queues or controls; the queue is the controller's.
#include "device_api/motion_sequences.h"

using namespace jq;

namespace {

constexpr Line_Run_Codes Stream_Line_Rel{806, 807, 812, 814};
constexpr Line_Run_Codes Stream_Line_Abs{806, 807, 813, 814};

constexpr Circle_Run_Codes Stream_Circle_CW_Rel{823, 824, 822, 827};
constexpr Circle_Run_Codes Stream_Circle_CW_Abs{825, 826, 822, 827};
constexpr Circle_Run_Codes Stream_Circle_CCW_Rel{823, 824, 822, 828};
constexpr Circle_Run_Codes Stream_Circle_CCW_Abs{825, 826, 822, 828};

}  // namespace

JQ_EXPORT_PAIR(Set_Stream_Run,                 (),                                              (),                        Set(slot, 800, 0, 0))
JQ_EXPORT_PAIR(Set_Stream_Pause,               (),                                              (),                        Set(slot, 801, 0, 0))
JQ_EXPORT_PAIR(Set_Stream_Stop,                (),                                              (),                        Set(slot, 802, 0, 0))
JQ_EXPORT_PAIR(Set_Stream_Clear,               (),                                              (),                        Set(slot, 803, 0, 0))
JQ_EXPORT_PAIR(Get_Stream_Space,               (int32_t* space),                                (space),                   Get(slot, 804, 0, space))
JQ_EXPORT_PAIR(Set_Stream_Delay,               (int32_t delay),                                 (delay),                   Set(slot, 805, 0, delay))
JQ_EXPORT_PAIR(Set_Stream_Line_Acc,            (uint16_t line, int32_t acc),                    (line, acc),               Set(slot, 808, line, acc))
JQ_EXPORT_PAIR(Set_Stream_Line_Dec,            (uint16_t line, int32_t dec),                    (line, dec),               Set(slot, 809, line, dec))
JQ_EXPORT_PAIR(Set_Stream_Line_V_Max,          (uint16_t line, int32_t speed),                  (line, speed),             Set(slot, 810, line, speed))
JQ_EXPORT_PAIR(Set_Stream_Line_V_Start,        (uint16_t line, int32_t speed),                  (line, speed),             Set(slot, 811, line, speed))
JQ_EXPORT_PAIR(Set_Stream_Line_X_Run_Rel,      (uint16_t line, int32_t count, const int32_t* axes, const int32_t* targets), (line, count, axes, targets), Line_Run(slot, Stream_Line_Rel, line, count, axes, targets))
JQ_EXPORT_PAIR(Set_Stream_Line_X_Run_Abs,      (uint16_t line, int32_t count, const int32_t* axes, const int32_t* targets), (line, count, axes, targets), Line_Run(slot, Stream_Line_Abs, line, count, axes, targets))
JQ_EXPORT_PAIR(Set_Stream_Line_Stop,           (uint16_t line),                                 (line),                    Set(slot, 815, line, 0))
JQ_EXPORT_PAIR(Set_Stream_Line_Halt,           (uint16_t line),                                 (line),                    Set(slot, 816, line, 0))
JQ_EXPORT_PAIR(Set_Stream_Circle_Axis,         (uint16_t circle, int32_t axis1, int32_t axis2), (circle, axis1, axis2),    Set_Byte_Pair(slot, 817, circle, axis1, axis2))
JQ_EXPORT_PAIR(Set_Stream_Circle_Acc,          (uint16_t circle, int32_t acc),                  (circle, acc),             Set(slot, 818, circle, acc))
JQ_EXPORT_PAIR(Set_Stream_Circle_Dec,          (uint16_t circle, int32_t dec),                  (circle, dec),             Set(slot, 819, circle, dec))
JQ_EXPORT_PAIR(Set_Stream_Circle_V_Max,        (uint16_t circle, int32_t speed),                (circle, speed),           Set(slot, 820, circle, speed))
JQ_EXPORT_PAIR(Set_Stream_Circle_V_Start,      (uint16_t circle, int32_t speed),                (circle, speed),           Set(slot, 821, circle, speed))
JQ_EXPORT_PAIR(Set_Stream_Circle_R_CW_Run_Rel, (uint16_t circle, int32_t r, int32_t end1, int32_t end2), (circle, r, end1, end2), Circle_Run(slot, Stream_Circle_CW_Rel, circle, r, end1, end2))
JQ_EXPORT_PAIR(Set_Stream_Circle_R_CW_Run_Abs, (uint16_t circle, int32_t r, int32_t end1, int32_t end2), (circle, r, end1, end2), Circle_Run(slot, Stream_Circle_CW_Abs, circle, r, end1, end2))
JQ_EXPORT_PAIR(Set_Stream_Circle_R_CCW_Run_Rel,(uint16_t circle, int32_t r, int32_t end1, int32_t end2), (circle, r, end1, end2), Circle_Run(slot, Stream_Circle_CCW_Rel, circle, r, end1, end2))
JQ_EXPORT_PAIR(Set_Stream_Circle_R_CCW_Run_Abs,(uint16_t circle, int32_t r, int32_t end1, int32_t end2), (circle, r, end1, end2), Circle_Run(slot, Stream_Circle_CCW_Abs, circle, r, end1, end2))
JQ_EXPORT_PAIR(Set_Stream_Circle_Stop,         (uint16_t circle),                               (circle),                  Set(slot, 829, circle, 0))
JQ_EXPORT_PAIR(Set_Stream_Circle_Halt,         (uint16_t circle),                               (circle),                  Set(slot, 830, circle, 0))
JQ_EXPORT_PAIR(Set_Stream_Wait_Line,           (uint16_t line),                                 (line),                    Set(slot, 831, line, 0))
JQ_EXPORT_PAIR(Set_Stream_Wait_Circle,         (uint16_t circle),                               (circle),                  Set(slot, 832, circle, 0))
JQ_EXPORT_PAIR(Set_Stream_OC_Out_Single,       (uint16_t output, int32_t state),                (output, state),           Set(slot, 833, output, state))
JQ_EXPORT_PAIR(Set_Stream_OC_Out_All,          (int32_t bits),                                  (bits),                    Set(slot, 834, 0, bits))
JQ_EXPORT_PAIR(Set_Stream_Optic_Out_Single,    (uint16_t output, int32_t state),                (output, state),           Set(slot, 835, output, state))
JQ_EXPORT_PAIR(Set_Stream_Optic_Out_All,       (int32_t bits),                                  (bits),                    Set(slot, 836, 0, bits))
JQ_EXPORT_PAIR(Set_Stream_Dec_Enable,          (),                                              (),                        Set(slot, 837, 0, 0))
JQ_EXPORT_PAIR(Set_Stream_Dec_Disable,         (),                                              (),                        Set(slot, 838, 0, 0))
JQ_EXPORT_PAIR(Get_Stream_Total,               (int32_t* total),                                (total),                   Get(slot, 839, 0, total))
JQ_EXPORT_PAIR(Get_Stream_Count,               (int32_t* count),                                (count),                   Get(slot, 840, 0, count))
JQ_EXPORT_PAIR(Set_Stream_Wait_Optic_In,       (uint16_t input, int32_t level),                 (input, level),            Set(slot, 841, input, level))
JQ_EXPORT_PAIR(Set_Stream_Run_Check,           (),                                              (),                        Set(slot, 842, 0, 0))
JQ_EXPORT_PAIR(Set_Stream_Run_ID,              (int32_t id),                                    (id),                      Set(slot, 843, 0, id))
JQ_EXPORT_PAIR(Get_Stream_Run_ID,              (int32_t* id),                                   (id),                      Get(slot, 844, 0, id))
