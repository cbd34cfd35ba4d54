// Physical units <-> motor steps, encoder counts and grating counts. Pure arithmetic:
// no device, no lock. A formula that divides by zero, meets a value that is not a
// finite number, or gives a count outside the 32-bit range returns its default.
#include <cmath>
#include <limits>

#include "device_api/export_table.h"

namespace {

// A double that remembers whether any step of its formula faulted.
class Num {
 public:
  Num(double v) : v_(v), ok_(std::isfinite(v)) {}  // implicit: formulas mix in plain numbers

  static Num Fault() { return Num(0.0, false); }

  friend Num operator*(Num a, Num b) { return Num(a.v_ * b.v_, a.ok_ && b.ok_); }
  friend Num operator/(Num a, Num b) {
    if (b.v_ == 0.0) return Fault();
    return Num(a.v_ / b.v_, a.ok_ && b.ok_);
  }

  bool ok() const { return ok_; }
  double value() const { return v_; }

 private:
  Num(double v, bool ok) : v_(v), ok_(ok && std::isfinite(v)) {}
  double v_;
  bool ok_;
};

// Lines × 4 as the 32-bit product it is, a fault when it does not fit.
Num Counts_Per_Turn(int32_t lines) {
  const int64_t counts = int64_t{lines} * 4;
  if (counts < std::numeric_limits<int32_t>::min() || counts > std::numeric_limits<int32_t>::max())
    return Num::Fault();
  return Num(static_cast<double>(counts));
}

// Ties go to the even neighbour whatever the caller's floating-point rounding mode.
double Round_Half_Even(double x) {
  const double down = std::floor(x);
  const double rest = x - down;  // exact
  if (rest > 0.5) return down + 1.0;
  if (rest < 0.5) return down;
  return std::fmod(down, 2.0) == 0.0 ? down : down + 1.0;
}

// A wrapped count would turn the motor the wrong way, so one that does not fit is a fault.
int32_t Steps(Num x) {
  if (!x.ok()) return 0;
  const double r = Round_Half_Even(x.value());
  if (r < std::numeric_limits<int32_t>::min() || r > std::numeric_limits<int32_t>::max()) return 0;
  return static_cast<int32_t>(r);
}

double Real(Num x) { return x.ok() ? x.value() : 0.0; }

float Factor(Num x) {
  if (!x.ok() || std::fabs(x.value()) > std::numeric_limits<float>::max()) return 1.0f;
  return static_cast<float>(x.value());
}

}  // namespace

// Each formula is evaluated left to right, as written.
JQ_EXPORT_ONE(int32_t, JQ_Help_Step_Line_Real_To_Steps,      (double step_angle, int32_t divide, double lead, double ratio, double value),  Steps(Num(value) * 360 / step_angle * divide / lead * ratio))
JQ_EXPORT_ONE(int32_t, JQ_Help_Step_Circle_Real_To_Steps,    (double step_angle, int32_t divide, double ratio, double value),               Steps(Num(value) * 360 / step_angle * divide * ratio / 360))
JQ_EXPORT_ONE(double,  JQ_Help_Step_Line_Steps_To_Real,      (double step_angle, int32_t divide, double lead, double ratio, int32_t steps), Real(Num(steps) * step_angle / 360 / divide / ratio * lead))
JQ_EXPORT_ONE(double,  JQ_Help_Step_Circle_Steps_To_Real,    (double step_angle, int32_t divide, double ratio, int32_t steps),              Real(Num(steps) * step_angle / 360 / divide / ratio * 360))
JQ_EXPORT_ONE(int32_t, JQ_Help_Encoder_Line_Real_To_Steps,   (double lead, double ratio, int32_t lines, double value),                      Steps(Num(value) * 4 * lines / lead * ratio))
JQ_EXPORT_ONE(int32_t, JQ_Help_Encoder_Circle_Real_To_Steps, (double ratio, int32_t lines, double value),                                   Steps(Num(value) * 4 * lines / 360 * ratio))
JQ_EXPORT_ONE(double,  JQ_Help_Encoder_Line_Steps_To_Real,   (double lead, double ratio, int32_t lines, int32_t steps),                     Real(Num(steps) * 0.25 / lines * lead / ratio))
JQ_EXPORT_ONE(double,  JQ_Help_Encoder_Circle_Steps_To_Real, (double ratio, int32_t lines, int32_t steps),                                  Real(Num(steps) * 0.25 / lines * 360 / ratio))
JQ_EXPORT_ONE(int32_t, JQ_Help_Grating_Line_Real_To_Steps,   (double period, double value),                                                 Steps(Num(value) * 4 * 1000 / period))
JQ_EXPORT_ONE(int32_t, JQ_Help_Grating_Circle_Real_To_Steps, (int32_t lines, double value),                                                 Steps(Num(value) / 360 * lines * 4))
JQ_EXPORT_ONE(double,  JQ_Help_Grating_Line_Steps_To_Real,   (double period, int32_t steps),                                                Real(Num(steps) * 0.25 / 1000 * period))
JQ_EXPORT_ONE(double,  JQ_Help_Grating_Circle_Steps_To_Real, (int32_t lines, int32_t steps),                                                Real(Num(steps) * 360 * 0.25 / lines))
JQ_EXPORT_ONE(float,   JQ_Help_Encoder_Factor,               (double step_angle, int32_t divide, int32_t lines),                            Factor(Num(360) / step_angle * divide / Counts_Per_Turn(lines)))
JQ_EXPORT_ONE(float,   JQ_Help_Grating_Line_Factor,          (double step_angle, int32_t divide, double lead, double ratio, double period), Factor(Num(360) / step_angle * divide * ratio / (Num(lead) * 4 * 1000 / period)))
JQ_EXPORT_ONE(float,   JQ_Help_Grating_Circle_Factor,        (double step_angle, int32_t divide, double ratio, int32_t lines),              Factor(Num(360) / step_angle * divide * ratio / Counts_Per_Turn(lines)))
