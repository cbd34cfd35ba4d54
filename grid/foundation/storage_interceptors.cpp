#include "grid/foundation/storage_interceptors.h"

#include <algorithm>

#include "platform/runtime/convert.h"

namespace grid {

using namespace ui;

namespace {
std::vector<TInterceptorEntry>& Registry() {
  static std::vector<TInterceptorEntry> entries;
  return entries;
}
}  // namespace

void RegisterInterceptorClass(const TClassInfo& TargetClass, const TInterceptorClass& Interceptor) {
  auto& r = Registry();
  r.erase(std::remove_if(r.begin(), r.end(), [&](const TInterceptorEntry& e) { return e.Target == &TargetClass; }),
          r.end());
  r.push_back({&TargetClass, Interceptor});
}

void UnregisterInterceptorClass(const TClassInfo& TargetClass, const TInterceptorClass& Interceptor) {
  auto& r = Registry();
  for (auto i = r.size(); i-- > 0;)
    if (r[i].Target == &TargetClass && *r[i].Interceptor.Type == *Interceptor.Type) r.erase(r.begin() + i);
}

const std::vector<TInterceptorEntry>& RegisteredInterceptors() { return Registry(); }

void InitStorageInterceptors() {
  RegisterInterceptorClass(TCustomForm::StaticClassInfo(), InterceptorClassOf<TFormStoragePropertyInterceptor>());
}

void DoneStorageInterceptors() { Registry().clear(); }

// --- the form interceptor -----------------------------------------------------------

TFormStoragePropertyInterceptor::TFormStoragePropertyInterceptor(TObject* Target)
    : TStoragePropertyInterceptor(Target) {
  if (auto* f = dynamic_cast<TCustomForm*>(Target)) {
    const TRect r = NormalPlacement();
    FLeft = r.Left;
    FTop = r.Top;
    FWidth = r.Width();
    FHeight = r.Height();
    FPixelsPerInch = f->PixelsPerInch();
    FWindowState = f->WindowState();
    FActiveControl = f->ActiveControl();
  }
}

TRect TFormStoragePropertyInterceptor::NormalPlacement() const {
  auto* f = dynamic_cast<TCustomForm*>(FTarget);
  if (!f) return {};
  return f->NormalBoundsRect();
}

int TFormStoragePropertyInterceptor::Left() const { return NormalPlacement().Left; }
int TFormStoragePropertyInterceptor::Top() const { return NormalPlacement().Top; }
int TFormStoragePropertyInterceptor::Width() const { return NormalPlacement().Width(); }
int TFormStoragePropertyInterceptor::Height() const { return NormalPlacement().Height(); }

void TFormStoragePropertyInterceptor::Readed() {
  // A layout that names no density (0) is taken as it stands: scaling by it
  // would divide by zero.
  const int screen = Screen->PixelsPerInch();
  if (FPixelsPerInch > 0 && FPixelsPerInch != screen) {
    FHeight = rtl::MulDiv(FHeight, screen, FPixelsPerInch);
    FLeft = rtl::MulDiv(FLeft, screen, FPixelsPerInch);
    FTop = rtl::MulDiv(FTop, screen, FPixelsPerInch);
    FWidth = rtl::MulDiv(FWidth, screen, FPixelsPerInch);
  }
  auto* f = dynamic_cast<TCustomForm*>(FTarget);
  if (!f) return;
  f->SetWindowState(FWindowState);
  if (FActiveControl) f->SetActiveControl(FActiveControl);
  f->SetNormalBoundsRect(Bounds(FLeft, FTop, FWidth, FHeight));
  // A centred form whose position was read keeps its Position; it is placed
  // at the read position now and centred only when it is shown again.
}

}  // namespace grid
