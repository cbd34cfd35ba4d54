#include "components/support/ports/com_thread.h"

#include <chrono>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>

#include "platform/ui/application.h"

namespace kit {

namespace ser = platform::serial;

namespace {

// Slice of every wait, so that a stop is seen this soon.
constexpr std::uint32_t kSliceMs = 20;

// One call handed to the window thread. The window thread may run it after
// the thread gave up on it; `cancelled` (set only before it started) makes
// that a no-op, so nothing touches a port that has closed meanwhile.
struct TMainCall {
  std::mutex lock;
  std::condition_variable cv;
  bool started = false;
  bool released = false;
  bool cancelled = false;
  void Release() {
    std::lock_guard<std::mutex> guard(lock);
    released = true;
    cv.notify_all();
  }
};

}  // namespace

TComThread::TComThread(TCustomComPort* Port, ser::Handle Handle, std::uint32_t Mask, ui::TObject* Window)
    : FComPort(Port), FApi(Port->SerialApi()), FHandle(Handle), FSyncMethod(Port->SyncMethod()), FWindow(Window) {
  FApi.SetCommMask(FHandle, Mask);
}

TComThread::~TComThread() { Stop(); }

void TComThread::Stop() {
  FStopped = true;
  FStopEvent.SetEvent();
  std::this_thread::yield();
  WaitFor();
}

void TComThread::Abandon() {
  FAbandoned = true;
  FStopped = true;
  FStopEvent.SetEvent();
}

void TComThread::Pause(int Ms) { FStopEvent.WaitFor(static_cast<std::uint32_t>(Ms)); }

void TComThread::Execute() {
  while (!FStopped) {
    std::uint32_t occurred = 0;
    ser::Overlapped ov;
    bool done = FApi.WaitCommEvent(FHandle, occurred, ov);
    if (!done) {
      if (ser::GetLastError() != ser::Error_IO_Pending) {
        // A failing port (unplugged, hung up) fails at once: do not spin.
        Pause(kSliceMs);
        continue;
      }
      for (;;) {
        if (FStopped) {
          FApi.SetCommMask(FHandle, 0);  // ends the wait before its record goes
          break;
        }
        const std::uint32_t r = FApi.WaitForEvent(FHandle, ov, kSliceMs);
        if (r == ser::Wait_Object_0) {
          std::uint32_t unused = 0;
          done = FApi.GetOverlappedResult(FHandle, ov, unused, false);
          break;
        }
        if (r == ser::Wait_Failed) {
          Pause(kSliceMs);
          break;
        }
      }
    }
    if (FStopped) break;
    if (done && occurred) DispatchEvents(MaskToEvents(occurred));
  }
  if (FAbandoned) return;
  FApi.SetCommMask(FHandle, 0);
  FApi.PurgeComm(FHandle, ser::Purge_TxClear | ser::Purge_RxClear);
}

void TComThread::DispatchEvents(TComEvents Events) {
  TCustomComPort* port = FComPort;
  (void)port;
  switch (FSyncMethod) {
    case smThreadSync:
      CallOnMainThread([port, Events] { port->CallEvents(Events); }, false);
      break;
    case smWindowSync:
      if (!FWindow) break;
      for (int e = evRxChar; e <= evRx80Full; ++e) {
        if (!Events.Contains(TComEvent(e))) continue;
        const std::uint32_t code = EventsToMask({TComEvent(e)});
        ui::TObject* window = FWindow;
        CallOnMainThread(
            [window, code] {
              ui::TMessage m{CM_ComPortEvent, code, 0, 0};
              window->Dispatch(m);
            },
            true);
        if (FStopped) break;
      }
      break;
    case smNone:
      try {
        port->CallEvents(Events);
      } catch (...) {
        // The application's handler lives on the window thread.
        ui::QueueMainThreadCall([e = std::current_exception()] { std::rethrow_exception(e); });
      }
      break;
    case smDisableEvents:
      break;
  }
}

void TComThread::CallOnMainThread(std::function<void()> Call, bool ReleaseFirst) {
  auto call = std::make_shared<TMainCall>();
  const bool queued = ui::QueueMainThreadCall([call, ReleaseFirst, fn = std::move(Call)] {
    {
      std::lock_guard<std::mutex> guard(call->lock);
      if (call->cancelled) return;
      call->started = true;
    }
    if (ReleaseFirst) call->Release();
    struct Releaser {
      TMainCall* c;
      ~Releaser() { c->Release(); }
    } releaser{call.get()};
    fn();
  });
  if (!queued) return;
  std::unique_lock<std::mutex> guard(call->lock);
  while (!call->released) {
    if (FStopped) {
      if (!call->started) call->cancelled = true;
      return;
    }
    call->cv.wait_for(guard, std::chrono::milliseconds(kSliceMs));
  }
}

}  // namespace kit
