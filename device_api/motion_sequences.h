// Command sequences shared by the interpolation and stream-buffer families: byte
// packing of axis pairs and line items, multi-axis line runs and arcs.
#pragma once

#include "device_api/export_table.h"

namespace jq {

// Numbers the controller takes in one byte. A wider one would be cut to its low byte
// and address another axis or item (256 -> 0), so the export refuses it unsent.
inline bool Fits_Byte(int32_t value) { return value >= 0 && value <= 0xFF; }

// Two byte-sized numbers (an axis pair) in bytes 0 and 1 of the value.
inline int32_t Set_Byte_Pair(int32_t slot, uint16_t code, uint16_t index, int32_t low,
                             int32_t high) {
  if (!Fits_Byte(low) || !Fits_Byte(high)) return Result_Fail;
  return Set(slot, code, index, low | high << 8);
}

// One item of a multi-axis line: the line number in byte 0 of the index, the item in byte 1.
inline int32_t Set_Line_Item(int32_t slot, uint16_t code, int32_t line, int32_t item,
                             int32_t value) {
  if (!Fits_Byte(line) || !Fits_Byte(item)) return Result_Fail;
  return Set(slot, code, static_cast<uint16_t>(line | item << 8), value);
}

constexpr int32_t Line_Axes_Min = 2;
constexpr int32_t Line_Axes_Max = 8;

inline bool Valid_Line_Axes(int32_t count) {
  return count >= Line_Axes_Min && count <= Line_Axes_Max;
}

// A multi-axis line move: the axis count, every item's axis, every item's target, start.
struct Line_Run_Codes {
  uint16_t count, axis, target, run;
};

inline int32_t Line_Run(int32_t slot, Line_Run_Codes codes, uint16_t line, int32_t count,
                        const int32_t* axes, const int32_t* targets) {
  if (!Valid_Line_Axes(count) || !axes || !targets || !Fits_Byte(line)) return Result_Fail;
  if (Set(slot, codes.count, line, count) != Result_OK) return Result_Fail;
  for (int32_t i = 0; i < count; ++i)
    if (Set_Line_Item(slot, codes.axis, line, i, axes[i]) != Result_OK) return Result_Fail;
  for (int32_t i = 0; i < count; ++i)
    if (Set_Line_Item(slot, codes.target, line, i, targets[i]) != Result_OK) return Result_Fail;
  return Set(slot, codes.run, line, 0) == Result_OK ? Result_OK : Result_Fail;
}

// An arc given by its end point and radius: end 1, end 2, radius, then the start command.
struct Circle_Run_Codes {
  uint16_t end1, end2, radius, run;
};

inline int32_t Circle_Run(int32_t slot, Circle_Run_Codes codes, uint16_t circle, int32_t radius,
                          int32_t end1, int32_t end2) {
  return Sequence([&] { return Set(slot, codes.end1, circle, end1); },
                  [&] { return Set(slot, codes.end2, circle, end2); },
                  [&] { return Set(slot, codes.radius, circle, radius); },
                  [&] { return Set(slot, codes.run, circle, 0); });
}

}  // namespace jq
