#include <gtest/gtest.h>

#include "platform/clock.h"

TEST(Clock, PreciseTimeAdvancesAcrossASleep) {
  double before = zunka::platform::preciseMilliseconds();
  zunka::platform::sleepMilliseconds(5);
  EXPECT_GE(zunka::platform::preciseMilliseconds() - before, 4.0);
}
