#include "foundation/Check.h"

#include <gtest/gtest.h>

TEST(CheckDeathTest, FailedCheckNamesTheCondition) {
  int value = 3;
  EXPECT_DEATH(TOVREN_CHECK(value < 2), "value < 2");
  EXPECT_DEATH(TOVREN_CHECK_NAMED(value < 2, "at"), "Assertion failed: at");
}
