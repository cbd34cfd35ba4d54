// The storage interceptor registry and the form interceptor.
#include <gtest/gtest.h>

#include "tests/platform/ui/harness.h"
#include "grid/foundation/storage_interceptors.h"

namespace {

using namespace grid;

class TOtherInterceptor : public TStoragePropertyInterceptor {
 public:
  using TStoragePropertyInterceptor::TStoragePropertyInterceptor;
};

TEST(StorageInterceptors, RegisteringReplacesAndUnregisteringRemovesThePair) {
  InitStorageInterceptors();
  ASSERT_EQ(RegisteredInterceptors().size(), 1u);
  EXPECT_EQ(*RegisteredInterceptors()[0].Interceptor.Type, typeid(TFormStoragePropertyInterceptor));
  RegisterInterceptorClass(ui::TCustomForm::StaticClassInfo(), InterceptorClassOf<TOtherInterceptor>());
  ASSERT_EQ(RegisteredInterceptors().size(), 1u);
  EXPECT_EQ(*RegisteredInterceptors()[0].Interceptor.Type, typeid(TOtherInterceptor));
  UnregisterInterceptorClass(ui::TCustomForm::StaticClassInfo(), InterceptorClassOf<TFormStoragePropertyInterceptor>());
  EXPECT_EQ(RegisteredInterceptors().size(), 1u) << "only the exact pair is removed";
  UnregisterInterceptorClass(ui::TCustomForm::StaticClassInfo(), InterceptorClassOf<TOtherInterceptor>());
  EXPECT_TRUE(RegisteredInterceptors().empty());
  DoneStorageInterceptors();
}

class FormInterceptor : public ::testing::Test {
 protected:
  uitest::Harness h;
  ui::TForm* form = h.MakeForm<ui::TForm>();
  FormInterceptor() { form->SetBounds(40, 30, 500, 300); }
};

TEST_F(FormInterceptor, ReadsNormalPlacement) {
  TFormStoragePropertyInterceptor i(form);
  EXPECT_EQ(i.Left(), 40);
  EXPECT_EQ(i.Width(), 500);
  EXPECT_EQ(i.PixelsPerInch(), 96);
  TFormStoragePropertyInterceptor none(nullptr);
  EXPECT_EQ(none.Width(), 0);
}

TEST_F(FormInterceptor, RestoreScalesByDensityAndZeroSkipsScaling) {
  struct Case {
    int ppi;
    ui::TRect expected;
  };
  // The screen has 96 pixels per inch.
  const Case cases[] = {
      {120, ui::Bounds(80, 40, 400, 240)},
      {96, ui::Bounds(100, 50, 500, 300)},
      {0, ui::Bounds(100, 50, 500, 300)},  // no density stored: taken as it stands
  };
  for (const auto& c : cases) {
    TFormStoragePropertyInterceptor i(form);
    i.SetLeft(100);
    i.SetTop(50);
    i.SetWidth(500);
    i.SetHeight(300);
    i.SetPixelsPerInch(c.ppi);
    i.Readed();
    EXPECT_EQ(form->BoundsRect(), c.expected) << "ppi " << c.ppi;
    EXPECT_TRUE(i.PosPresent());
  }
}

}  // namespace
