// Helpers of the serial port component tests: pumping the window thread
// until something happens, with a real-time limit.
#pragma once

#include <chrono>
#include <functional>
#include <thread>

#include <QApplication>

namespace porttest {

// Handles window-thread events until Done() holds or Ms real milliseconds
// passed; answers Done().
inline bool PumpUntil(const std::function<bool()>& Done, int Ms = 2000) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(Ms);
  while (!Done()) {
    if (std::chrono::steady_clock::now() >= end) return false;
    QApplication::processEvents(QEventLoop::AllEvents);
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

// Handles window-thread events for Ms real milliseconds.
inline void PumpFor(int Ms) {
  PumpUntil([] { return false; }, Ms);
}

inline long long ElapsedMs(std::chrono::steady_clock::time_point Since) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - Since).count();
}

}  // namespace porttest
