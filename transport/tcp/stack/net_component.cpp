#include "transport/tcp/stack/net_component.h"

#include "transport/tcp/core/net_exception.h"
#include "transport/tcp/stack/net_stack.h"

namespace net {

const ui::TClassInfo& TNetInitializerComponent::StaticClassInfo() {
  static const ui::TClassInfo info =
      ui::TClassBuilder<TNetInitializerComponent>("TNetInitializerComponent", &ui::TComponent::StaticClassInfo())
          .Build();
  return info;
}

const ui::TClassInfo& TNetBaseComponent::StaticClassInfo() {
  static const ui::TClassInfo info =
      ui::TClassBuilder<TNetBaseComponent>("TNetBaseComponent", &TNetInitializerComponent::StaticClassInfo()).Build();
  return info;
}

const ui::TClassInfo& TNetComponent::StaticClassInfo() {
  static const ui::TClassInfo info =
      ui::TClassBuilder<TNetComponent>("TNetComponent", &TNetBaseComponent::StaticClassInfo()).Build();
  return info;
}

TNetInitializerComponent::TNetInitializerComponent(ui::TComponent* AOwner) : ui::TComponent(AOwner) {}

void TNetInitializerComponent::AfterConstruction() {
  InitializeComponent();
  ui::TComponent::AfterConstruction();
}

void TNetBaseComponent::ComponentNotification(ui::TComponent* AComponent, ui::TOperation Operation) {
  ui::TComponent::Notification(AComponent, Operation);
}

void TNetBaseComponent::Notification(ui::TComponent* AComponent, ui::TOperation Operation) {
  ComponentNotification(AComponent, Operation);
}

rtl::String StatusText(TNetStatus status) {
  static constexpr const char* kEntries[] = {"rsstatusresolving", "rsstatusconnecting",   "rsstatusconnected",
                                             "rsstatusdisconnecting", "rsstatusdisconnected", "rsstatustext",
                                             "rsstatustext",      "rsstatustext",         "rsstatustext"};
  return NetResourceString(kEntries[status <= ftpAborted ? status : hsStatusText]);
}

TNetComponent::~TNetComponent() {
  // Owned components go first (they may be stack users too), then our use.
  BeginDestroy();
  DestroyComponents();
  if (holdsStack_) {
    holdsStack_ = false;
    TNetStack::DecUsage();
  }
}

void TNetComponent::InitializeComponent() {
  TNetBaseComponent::InitializeComponent();
  TNetStack::IncUsage();
  holdsStack_ = true;
}

void TNetComponent::ComponentNotification(ui::TComponent* AComponent, ui::TOperation Operation) {
  if (Operation == ui::opRemove && AComponent == workTarget_) workTarget_ = nullptr;
  TNetBaseComponent::ComponentNotification(AComponent, Operation);
}

void TNetComponent::SetWorkTarget(TNetComponent* value) {
  if (value == workTarget_) return;
  workTarget_ = value;
  if (value) FreeNotification(value);
}

void TNetComponent::ReportStatus(TNetStatus status) { ReportStatus(status, {}); }

void TNetComponent::ReportStatus(TNetStatus status, std::initializer_list<rtl::FormatArg> args) {
  if (!OnStatus) return;
  const rtl::String format = StatusText(status);
  const rtl::String text = args.size() == 0 ? FormatInvariant(format, {rtl::String()}) : FormatInvariant(format, args);
  OnStatus(this, status, text);
}

void TNetComponent::StartWork(TWorkMode mode, std::int64_t size) {
  if (workTarget_) {
    workTarget_->StartWork(mode, size);
    return;
  }
  WorkSpan& span = work_[mode];
  if (++span.level == 1) {
    span.size = size;
    span.position = 0;
    if (OnWorkBegin) OnWorkBegin(this, mode, size);
  }
}

void TNetComponent::AddWork(TWorkMode mode, std::int64_t count) {
  if (workTarget_) {
    workTarget_->AddWork(mode, count);
    return;
  }
  WorkSpan& span = work_[mode];
  if (span.level < 1) return;
  span.position += count;
  if (OnWork) OnWork(this, mode, span.position);
}

void TNetComponent::FinishWork(TWorkMode mode) {
  if (workTarget_) {
    workTarget_->FinishWork(mode);
    return;
  }
  WorkSpan& span = work_[mode];
  // An unmatched finish must not leave the level below zero, or the next
  // span would never report its beginning.
  if (span.level < 1) return;
  const bool outermost = span.level == 1;
  --span.level;
  if (outermost && OnWorkEnd) OnWorkEnd(this, mode);
}

}  // namespace net
