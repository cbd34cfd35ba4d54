// Building blocks of the export tables. A family source file lists each of its
// operations once with JQ_EXPORT_PAIR; the macro produces the slot form JQ_M_<name>
// and the slot-0 form JQ_<name>, which forwards with slot 0. No C++ exception ever
// crosses the C boundary: every export body runs inside Guard.
#pragma once

#include <cstdint>
#include <cstring>
#include <mutex>
#include <type_traits>

#include "include/JQ_API.h"
#include "device_api/command.h"
#include "device_api/device_slots.h"

#define JQ_EXPORT extern "C" __attribute__((visibility("default")))

// (a, b) -> ", a, b";  () -> nothing.
#define JQ_LEAD_COMMA_(...) __VA_OPT__(, __VA_ARGS__)
#define JQ_LEAD_COMMA(list) JQ_LEAD_COMMA_ list
#define JQ_UNPAREN_(...) __VA_ARGS__
#define JQ_UNPAREN(list) JQ_UNPAREN_ list

// name:   operation name without prefix, e.g. Get_Axis_Acc
// params: parameters after the slot, parenthesised: (uint16_t axis, int32_t* acc)
// args:   the same parameters' names: (axis, acc)
// body:   an expression giving the i32 result; `slot` is in scope.
// The body holds Command_Lock throughout, so the commands of one export reach the
// controller as one unbroken sequence, whatever other threads send meanwhile.
#define JQ_EXPORT_PAIR(name, params, args, body)                                      \
  JQ_EXPORT int32_t JQ_CALL JQ_M_##name(int32_t slot JQ_LEAD_COMMA(params)) {          \
    return ::jq::Guard([&]() -> int32_t {                                             \
      std::lock_guard<::jq::Ticket_Lock> sequence(::jq::Command_Lock());              \
      return body;                                                                    \
    });                                                                               \
  }                                                                                   \
  JQ_EXPORT int32_t JQ_CALL JQ_##name params { return JQ_M_##name(0 JQ_LEAD_COMMA(args)); }

// An alias calls its target export (both forms) and returns its result.
#define JQ_ALIAS_PAIR(alias, target, params, args)                                    \
  JQ_EXPORT int32_t JQ_CALL JQ_M_##alias(int32_t slot JQ_LEAD_COMMA(params)) {         \
    return JQ_M_##target(slot JQ_LEAD_COMMA(args));                                   \
  }                                                                                   \
  JQ_EXPORT int32_t JQ_CALL JQ_##alias params { return JQ_##target args; }

// An export with one form only (lifecycle, conversions, JQ_M_Open_USB_SN...).
#define JQ_EXPORT_ONE(ret, name, params, body)                                        \
  JQ_EXPORT ret JQ_CALL name params { return ::jq::Guard([&]() -> ret { return body; }); }

namespace jq {

template <class F>
auto Guard(F&& f) noexcept -> decltype(f()) {
  try {
    return f();
  } catch (...) {
    if constexpr (std::is_same_v<decltype(f()), void>) {
      return;
    } else if constexpr (std::is_floating_point_v<decltype(f())>) {
      return 0;
    } else {
      return Result_Fail;
    }
  }
}

// Outputs are the caller's; a null pointer is skipped rather than written through.
template <class T, class V>
inline void Put(T* out, V value) {
  if (out) *out = static_cast<T>(value);
}

inline int32_t Float_Bits(float f) {
  int32_t bits;
  std::memcpy(&bits, &f, sizeof bits);
  return bits;
}

inline float Bits_Float(int32_t bits) {
  float f;
  std::memcpy(&f, &bits, sizeof f);
  return f;
}

inline uint8_t Value_Byte(int32_t value, int n) {
  return static_cast<uint8_t>(static_cast<uint32_t>(value) >> (8 * n));
}

// One command whose result is the export's result.
inline int32_t Set(int32_t slot, uint16_t code, uint16_t index, int32_t value) {
  TCommand_Reply reply;
  return Send_Command(slot, code, index, value, reply);
}

// One command that reads a value: on success `out` gets map(reply value), else `fallback`.
template <class T, class Map>
int32_t Get_Mapped(int32_t slot, uint16_t code, uint16_t index, int32_t value, T* out, Map map,
                   T fallback = T{}) {
  TCommand_Reply reply;
  int32_t result = Send_Command(slot, code, index, value, reply);
  Put(out, result == Result_OK ? static_cast<T>(map(reply.Reply.Value)) : fallback);
  return result;
}

inline int32_t Get(int32_t slot, uint16_t code, uint16_t index, int32_t* out) {
  return Get_Mapped(slot, code, index, 0, out, [](int32_t v) { return v; });
}

inline int32_t Get_Float(int32_t slot, uint16_t code, uint16_t index, float* out,
                         float fallback = 0.0f) {
  return Get_Mapped(slot, code, index, 0, out, Bits_Float, fallback);
}

// Runs the steps in order and stops at the first that does not return 0.
template <class... Steps>
int32_t Sequence(Steps&&... steps) {
  int32_t result = Result_OK;
  (((result = steps()) == Result_OK) && ...);
  return result == Result_OK ? Result_OK : Result_Fail;
}

// Open and close exports: slot checked, library initialised, Command_Lock held throughout.
template <class F>
int32_t Link_Export(int32_t slot, F&& f) {
  return Guard([&]() -> int32_t {
    if (!Valid_Slot(slot) || !Library_Initialised()) return Result_Fail;
    std::lock_guard<Ticket_Lock> lock(Command_Lock());
    if (!Library_Initialised()) return Result_Fail;
    return f();
  });
}

}  // namespace jq
