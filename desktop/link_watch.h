// Whether the connected controller still answers.
#pragma once

#include <cstdint>
#include <functional>

namespace desktop {

// The program's pollers (the axis panels' display tick, the auto-run runner
// and its position table) report every read they make. A controller that
// has answered none of them for kLostAfterMs counts as lost; the next read
// it answers brings it back. Ticks come from the runtime clock.
class TLinkWatch {
 public:
  static constexpr std::uint32_t kLostAfterMs = 3000;

  void Answered(bool Ok);
  bool Lost() const { return lost_; }
  // A new connection: nothing has failed yet.
  void Reset();
  // Called when Lost() changes.
  std::function<void(bool Lost)> OnChange;

 private:
  bool failing_ = false;
  bool lost_ = false;
  std::uint32_t failingSince_ = 0;
};

// What the status line says while the controller is lost.
inline constexpr char16_t kLinkLostText[] = u"与控制器的连接已断开: 控制器无应答";

// The one watch of the program's controller link (slot 0).
TLinkWatch& Link_Watch();

}  // namespace desktop
