// The setter helper and the scoped value: what a property setter and a
// re-entrancy flag rely on.
#include "platform/classes/scoped_change.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace {

TEST(SetChanged, AssignsAndNotifiesOnlyOnChange) {
  struct Case {
    int held, value;
    bool changed;
  } cases[] = {{0, 0, false}, {0, 1, true}, {5, -5, true}, {7, 7, false}};
  for (const Case& c : cases) {
    int field = c.held, calls = 0;
    int seenInside = -1;
    EXPECT_EQ(ui::SetChanged(field, c.value,
                             [&] {
                               ++calls;
                               seenInside = field;
                             }),
              c.changed)
        << c.held << " -> " << c.value;
    EXPECT_EQ(field, c.value);
    EXPECT_EQ(calls, c.changed ? 1 : 0);
    // The handler runs after the store, so it sees the new value.
    if (c.changed) EXPECT_EQ(seenInside, c.value);
  }
  std::u16string text = u"a";
  int calls = 0;
  ui::SetChanged(text, u"a", [&] { ++calls; });
  ui::SetChanged(text, std::u16string(u"b"), [&] { ++calls; });
  EXPECT_EQ(text, u"b");
  EXPECT_EQ(calls, 1);
}

TEST(ScopedValue, RestoresOnNormalExitAndOnException) {
  bool busy = false;
  {
    ui::TScopedValue guard(busy, true);
    EXPECT_TRUE(busy);
  }
  EXPECT_FALSE(busy);

  EXPECT_THROW(
      {
        ui::TScopedValue guard(busy, true);
        throw std::runtime_error("handler failed");
      },
      std::runtime_error);
  EXPECT_FALSE(busy) << "a raising handler must not leave the flag set";

  // Nested scopes give each level back what it had.
  enum Mode { mIdle, mReading, mWriting } mode = mIdle;
  {
    ui::TScopedValue outer(mode, mReading);
    try {
      ui::TScopedValue inner(mode, mWriting);
      EXPECT_EQ(mode, mWriting);
      throw 1;
    } catch (int) {
    }
    EXPECT_EQ(mode, mReading);
  }
  EXPECT_EQ(mode, mIdle);
}

}  // namespace
