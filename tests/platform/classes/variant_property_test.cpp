// A variant property in the class registry, read and written by name.
#include <gtest/gtest.h>

#include "platform/classes/classes.h"

namespace {

class TParam : public ui::TPersistent {
  JQ_UI_CLASSINFO
 public:
  rtl::Variant Value() const { return value_; }
  void SetValue(const rtl::Variant& V) { value_ = V; }
  rtl::Variant Fixed() const { return 7; }

 private:
  rtl::Variant value_;
};

const ui::TClassInfo& TParam::StaticClassInfo() {
  static const ui::TClassInfo info = ui::TClassBuilder<TParam>("TParam", &ui::TPersistent::StaticClassInfo())
                                         .Var("Value", &TParam::Value, &TParam::SetValue)
                                         .Var("Fixed", &TParam::Fixed, nullptr)
                                         .Build();
  return info;
}

TEST(VariantProperty, ReadAndWrittenByName) {
  TParam p;
  EXPECT_EQ(ui::PropType(&p, "value"), ui::tkVariant);
  EXPECT_TRUE(rtl::VarIsEmpty(ui::GetVariantProp(&p, "Value")));
  ui::SetVariantProp(&p, "Value", rtl::Null());
  EXPECT_TRUE(rtl::VarIsNull(p.Value()));
  ui::SetVariantProp(&p, "Value", u"第1轴");
  EXPECT_EQ(rtl::VarToStr(ui::GetVariantProp(&p, "Value")), u"第1轴");
  EXPECT_EQ(ui::GetVariantProp(&p, "Fixed").AsInteger(), 7);
  EXPECT_THROW(ui::SetVariantProp(&p, "Fixed", 1), rtl::EPropertyError);
  EXPECT_THROW(ui::GetStrProp(&p, "Value"), rtl::EPropertyError);
}

}  // namespace
