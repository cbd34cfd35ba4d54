// Stand-ins that expose adjusted property values of an object while it is
// stored or restored (a form's normal placement and pixel density), and the
// registry pairing target classes with them.
#pragma once

#include <functional>
#include <memory>
#include <typeinfo>
#include <vector>

#include "platform/ui/ui.h"

namespace grid {

class TStoragePropertyInterceptor : public ui::TPersistent {
 public:
  explicit TStoragePropertyInterceptor(ui::TObject* Target) : FTarget(Target) {}
  ui::TObject* Target() const { return FTarget; }
  virtual bool NeedIntercept() { return true; }
  virtual void Readed() {}

 protected:
  ui::TObject* FTarget;
};

class TFormStoragePropertyInterceptor : public TStoragePropertyInterceptor {
 public:
  explicit TFormStoragePropertyInterceptor(ui::TObject* Target);

  // Stored values: reading answers the form's normal placement.
  int Left() const;
  int Top() const;
  int Width() const;
  int Height() const;
  void SetLeft(int Value) {
    FPosPresent = true;
    FLeft = Value;
  }
  void SetTop(int Value) {
    FPosPresent = true;
    FTop = Value;
  }
  void SetWidth(int Value) { FWidth = Value; }
  void SetHeight(int Value) { FHeight = Value; }
  void SetPixelsPerInch(int Value) { FPixelsPerInch = Value; }
  int PixelsPerInch() const { return FPixelsPerInch; }
  void SetWindowState(ui::TWindowState Value) { FWindowState = Value; }
  void SetActiveControl(ui::TWinControl* Value) { FActiveControl = Value; }
  bool PosPresent() const { return FPosPresent; }
  void Readed() override;

 private:
  ui::TRect NormalPlacement() const;
  ui::TWinControl* FActiveControl = nullptr;
  int FHeight = 0, FLeft = 0;
  int FPixelsPerInch = 0;
  bool FPosPresent = false;
  int FTop = 0, FWidth = 0;
  ui::TWindowState FWindowState = ui::wsNormal;
};

// An interceptor class: its identity and how to make one for a target.
struct TInterceptorClass {
  const std::type_info* Type;
  std::function<std::unique_ptr<TStoragePropertyInterceptor>(ui::TObject*)> Create;
};

template <class T>
TInterceptorClass InterceptorClassOf() {
  return {&typeid(T), [](ui::TObject* Target) { return std::make_unique<T>(Target); }};
}

void RegisterInterceptorClass(const ui::TClassInfo& TargetClass, const TInterceptorClass& Interceptor);
void UnregisterInterceptorClass(const ui::TClassInfo& TargetClass, const TInterceptorClass& Interceptor);
// The registered pairs (target class, interceptor class), in registration order.
struct TInterceptorEntry {
  const ui::TClassInfo* Target;
  TInterceptorClass Interceptor;
};
const std::vector<TInterceptorEntry>& RegisteredInterceptors();
// Module start-up and shut-down: the form interceptor is registered; shut-down empties the registry.
void InitStorageInterceptors();
void DoneStorageInterceptors();

}  // namespace grid
