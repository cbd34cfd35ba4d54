// Export tables under test: one row per export, run through its slot form (on
// slot 0 and on slots that cannot answer) and its slot-0 form against the
// simulated controller.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "tests/device_api/controller_fixture.h"

namespace jqtest {

constexpr int32_t Sentinel = 0x5A5A5A5A;

inline int32_t Bits(float f) {
  int32_t b;
  std::memcpy(&b, &f, sizeof b);
  return b;
}

// What a single-output export writes; the sentinel shows an untouched output.
struct Outputs {
  int32_t i = Sentinel;
  float f = [] {
    float s;
    std::memcpy(&s, &Sentinel, sizeof s);
    return s;
  }();
};

// The output a row expects: none (setters), an i32, or a single by its bits.
struct Expect {
  enum Kind { None, I32, F32 } kind = None;
  int32_t bits = 0;
};
inline Expect I32(int32_t v) { return {Expect::I32, v}; }
inline Expect F32(float f) { return {Expect::F32, Bits(f)}; }

struct ExportRow {
  std::string name;
  std::function<int32_t(int32_t slot, Outputs&)> slot_form;
  std::function<int32_t(Outputs&)> zero_form;
  std::vector<Req> sent;
  int32_t reply = 0;  // the controller's answer to each request of `sent`
  Expect out;         // on success; a failure writes 0 (0.0) to a getter's output
  std::optional<std::vector<Req>> sent_when_refused = std::nullopt;  // default: the first request only
};

// Both forms of one export with the arguments after the slot; `o` is the Outputs.
#define JQ_ROW(name, ...)                                                                   \
  "JQ_M_" #name,                                                                            \
      [](int32_t slot, [[maybe_unused]] ::jqtest::Outputs& o) {                             \
        return JQ_M_##name(slot __VA_OPT__(, ) __VA_ARGS__);                                \
      },                                                                                    \
      []([[maybe_unused]] ::jqtest::Outputs& o) { return JQ_##name(__VA_ARGS__); }

// Three axes and a target for each, for the multi-axis calls.
inline constexpr int32_t Axes3[] = {4, 5, 6};
inline constexpr int32_t Targets3[] = {100, 200, 300};

class ExportTableTest : public ControllerTest {
 protected:
  // The requests as the controller sees them when only the `refused` codes are refused.
  std::vector<Req> AsSent(const std::vector<Req>& requests, const std::vector<uint16_t>& refused) const {
    std::vector<Req> out;
    for (const Req& r : requests) {
      const bool is_refused = std::find(refused.begin(), refused.end(), r.code) != refused.end();
      out.insert(out.end(), is_refused ? Attempts() : 1, r);
    }
    return out;
  }

  static void ExpectOutput(const Outputs& o, Expect e) {
    EXPECT_EQ(o.i, e.kind == Expect::I32 ? e.bits : Sentinel) << "i32 output";
    EXPECT_EQ(Bits(o.f), e.kind == Expect::F32 ? e.bits : Sentinel) << "single output";
  }

  static Expect Default(Expect e) { return {e.kind, 0}; }

  // A serial link sends a refused request three times before it gives up.
  int Attempts() const { return GetParam() == Link::UART ? 3 : 1; }
  std::vector<Req> AsRefused(const std::vector<Req>& sent) const {
    std::vector<Req> out;
    for (const Req& r : sent) out.insert(out.end(), Attempts(), r);
    return out;
  }

  void RunRows(const std::vector<ExportRow>& rows) {
    for (const ExportRow& row : rows) {
      for (bool zero_form : {false, true}) {
        SCOPED_TRACE(zero_form ? "JQ_" + row.name.substr(5) : row.name);
        auto call = [&](Outputs& o) { return zero_form ? row.zero_form(o) : row.slot_form(0, o); };

        for (const Req& r : row.sent) sim.SetValue(r.code, r.index, row.reply);
        ClearLog();
        Outputs ok;
        EXPECT_EQ(call(ok), 0);
        EXPECT_TRUE(SameRequests(Requests(), row.sent));
        ExpectOutput(ok, row.out);

        for (const Req& r : row.sent) Refuse(r.code);
        ClearLog();
        Outputs refused;
        EXPECT_EQ(call(refused), -1);
        EXPECT_TRUE(SameRequests(Requests(), AsRefused(row.sent_when_refused.value_or(
                                                 std::vector<Req>{row.sent.front()}))));
        ExpectOutput(refused, Default(row.out));
        for (const Req& r : row.sent) sim.SetStatus(r.code, 0);
        sim.ClearValues();
      }
      // Slot 1 has no link; -1 and 8 are no slots at all.
      for (int32_t slot : {1, 8, -1}) {
        SCOPED_TRACE(row.name + " on slot " + std::to_string(slot));
        ClearLog();
        Outputs o;
        EXPECT_EQ(row.slot_form(slot, o), -1);
        EXPECT_TRUE(SameRequests(Requests(), {}));
        ExpectOutput(o, Default(row.out));
      }
    }
  }
};

}  // namespace jqtest
