// The two shapes every property setter and re-entrancy flag takes: store a
// value and react only when it really changed; hold a value for the length of
// a call and put the old one back however the call ends.
#pragma once

#include <type_traits>
#include <utility>

namespace ui {

// Stores Value in Field and calls Changed() when the two differed; setting a
// property to what it holds repaints, resizes or notifies nothing. Answers
// whether it changed.
template <class T, class V, class F>
bool SetChanged(T& Field, V&& Value, F&& Changed) {
  if (Field == Value) return false;
  Field = std::forward<V>(Value);
  std::forward<F>(Changed)();
  return true;
}

// Sets Target to During for the object's lifetime and restores the value it
// found on the way out, also when an exception leaves the scope, so a
// "busy" flag cannot stay set after a handler raised.
template <class T>
class TScopedValue {
 public:
  TScopedValue(T& Target, std::type_identity_t<T> During) : target_(Target), saved_(Target) {
    target_ = std::move(During);
  }
  ~TScopedValue() { target_ = std::move(saved_); }
  TScopedValue(const TScopedValue&) = delete;
  TScopedValue& operator=(const TScopedValue&) = delete;

 private:
  T& target_;
  T saved_;
};

}  // namespace ui
