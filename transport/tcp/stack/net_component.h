// The root classes of the socket library's components: one initialisation
// hook that every construction runs, status reports, work progress with its
// events, and the tie to the global socket stack (each component holds one
// use of it from initialisation to destruction).
#pragma once

#include <array>
#include <cstdint>
#include <functional>

#include "platform/classes/classes.h"
#include "transport/tcp/core/net_global.h"

namespace net {

// The component classes of this library run InitializeComponent from
// AfterConstruction, so they are made with ui::Create (or NetCreate) and
// freed with ui::Free or by their owner.
class TNetInitializerComponent : public ui::TComponent {
  JQ_UI_CLASSINFO
 public:
  explicit TNetInitializerComponent(ui::TComponent* AOwner = nullptr);
  void AfterConstruction() override;
  // Never on here: only a design environment sets the flag.
  bool IsDesignTime() const { return ComponentState().Contains(ui::csDesigning); }

 protected:
  virtual void InitializeComponent() {}
};

class TNetBaseComponent : public TNetInitializerComponent {
  JQ_UI_CLASSINFO
 public:
  using TNetInitializerComponent::TNetInitializerComponent;

 protected:
  // Removal of a component this one refers to; descendants clear their own
  // references, then call the inherited one.
  virtual void ComponentNotification(ui::TComponent* AComponent, ui::TOperation Operation);
  void Notification(ui::TComponent* AComponent, ui::TOperation Operation) final;
};

enum TNetStatus : std::uint8_t {
  hsResolving, hsConnecting, hsConnected, hsDisconnecting, hsDisconnected, hsStatusText,
  ftpTransfer, ftpReady, ftpAborted
};
enum TWorkMode : std::uint8_t { wmRead, wmWrite };

// The status texts, read from the message table at the moment of the report.
rtl::String StatusText(TNetStatus status);

class TNetComponent;
using TNetStatusEvent = std::function<void(ui::TObject* ASender, TNetStatus AStatus, const rtl::String& AStatusText)>;
using TWorkEvent = std::function<void(ui::TObject* ASender, TWorkMode AWorkMode, std::int64_t AWorkCount)>;
using TWorkBeginEvent = std::function<void(ui::TObject* ASender, TWorkMode AWorkMode, std::int64_t AWorkCountMax)>;
using TWorkEndEvent = std::function<void(ui::TObject* ASender, TWorkMode AWorkMode)>;

class TNetComponent : public TNetBaseComponent {
  JQ_UI_CLASSINFO
 public:
  using TNetBaseComponent::TNetBaseComponent;
  ~TNetComponent() override;

  virtual void StartWork(TWorkMode mode, std::int64_t size = 0);
  virtual void AddWork(TWorkMode mode, std::int64_t count);
  virtual void FinishWork(TWorkMode mode);

  void ReportStatus(TNetStatus status);
  void ReportStatus(TNetStatus status, std::initializer_list<rtl::FormatArg> args);

  TNetComponent* WorkTarget() const { return workTarget_; }
  void SetWorkTarget(TNetComponent* value);

  // The nesting level of a mode's work span (0 outside any).
  std::int32_t WorkLevel(TWorkMode mode) const { return work_[mode].level; }
  std::int64_t WorkPosition(TWorkMode mode) const { return work_[mode].position; }
  std::int64_t WorkSize(TWorkMode mode) const { return work_[mode].size; }

  TNetStatusEvent OnStatus;
  TWorkEvent OnWork;
  TWorkBeginEvent OnWorkBegin;
  TWorkEndEvent OnWorkEnd;

 protected:
  void InitializeComponent() override;
  void ComponentNotification(ui::TComponent* AComponent, ui::TOperation Operation) override;

 private:
  struct WorkSpan {
    std::int64_t position = 0;
    std::int64_t size = 0;
    std::int32_t level = 0;
  };
  std::array<WorkSpan, 2> work_{};
  TNetComponent* workTarget_ = nullptr;
  bool holdsStack_ = false;
};

// Makes a component of the library and runs its initialisation; a failure
// frees the half-built object and passes on.
template <class T, class... Args>
T* NetCreate(Args&&... args) {
  return ui::Create<T>(std::forward<Args>(args)...);
}

}  // namespace net
