// The thread that watches a port's line events and hands them to the port by
// its synchronisation method.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>

#include "components/support/ports/com_port.h"
#include "platform/runtime/thread.h"

namespace kit {

// Message number of the port's notification window; WParam is the platform
// mask of one event.
constexpr std::uint32_t CM_ComPortEvent = 0x401;

class TComThread : public rtl::TThread {
 public:
  // Sets the port's event mask; the thread runs after Start. Window, when
  // given, receives one notification message per event.
  TComThread(TCustomComPort* Port, platform::serial::Handle Handle, std::uint32_t Mask, ui::TObject* Window);
  ~TComThread() override;
  // Ends the wait and the thread, then joins it. A handler of this port that
  // is waited for (or queued) on the window thread is given up, so this
  // returns promptly even from inside that handler.
  void Stop();
  // Stop from a handler running on this thread: the thread ends once the
  // handler returns, without touching the port's handle again; the owner
  // joins it later.
  void Abandon();
  bool IsCurrentThread() const { return ThreadID() == rtl::CurrentThreadID(); }

 protected:
  void Execute() override;

 private:
  void DispatchEvents(TComEvents Events);
  // Runs Call on the window thread and waits until it ends (or, with
  // ReleaseFirst, until it starts) or the thread is stopped.
  void CallOnMainThread(std::function<void()> Call, bool ReleaseFirst);
  // Waits up to Ms for a stop.
  void Pause(int Ms);

  TCustomComPort* FComPort;
  platform::serial::Serial_Api& FApi;
  platform::serial::Handle FHandle;
  TSyncMethod FSyncMethod;
  ui::TObject* FWindow;
  std::atomic<bool> FStopped{false};
  std::atomic<bool> FAbandoned{false};
  rtl::TEvent FStopEvent{true, false};
};

}  // namespace kit
