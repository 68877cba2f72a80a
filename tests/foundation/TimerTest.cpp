#include "foundation/Timer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace tovren {
namespace {

constexpr long kPauseMS = 300;

// Lower bounds only: a loaded machine may sleep longer, never shorter.
TEST(OnlineTimer, ResetStoresTheCycleAndRestartsTheClockWhichCopiesKeep) {
  OnlineTimer timer;
  timer.resetCycle(8);
  std::this_thread::sleep_for(std::chrono::milliseconds(kPauseMS));
  const OnlineTimer copy(timer);
  EXPECT_EQ(copy.getCycle(), 8);
  EXPECT_GE(copy.now(), kPauseMS - 1);  // past a cycle's length: how a silent server shows

  const OnlineTimer startedBefore;
  timer.resetCycle(17);
  EXPECT_EQ(timer.getCycle(), 17);
  // Restarted after the other timer started, and read before it.
  const long sinceReset = timer.now();
  EXPECT_LE(sinceReset, startedBefore.now());
  EXPECT_GE(sinceReset, 0);
}

TEST(OnlineTimer, ElapsedRoundsToTheNearestMillisecondHalvesUp) {
  const struct {
    long fromSec, fromUSec, toSec, toUSec, ms;
  } cases[] = {{9, 999800, 10, 300, 1},  // across a whole second
               {4, 0, 4, 1499, 1},      {4, 0, 4, 1500, 2},           {4, 0, 4, 499, 0},
               {4, 0, 4, 500, 1},       {4, 500000, 6, 250000, 1750}, {100, 0, 112, 345000, 12345}};
  for (const auto& c : cases) {
    EXPECT_EQ(OnlineTimer::elapsedMS(c.fromSec, c.fromUSec, c.toSec, c.toUSec), c.ms)
        << c.toSec << "." << c.toUSec;
  }
}

TEST(VirtualTimer, ReturnsTheMillisecondsSetUntilTheNextReset) {
  VirtualTimer timer;
  timer.setCurMS(35);
  EXPECT_EQ(timer.now(), 35);
  Timer& base = timer;
  base.resetCycle(3);
  EXPECT_EQ(base.getCycle(), 3);
  EXPECT_EQ(base.now(), 0);
}

}  // namespace
}  // namespace tovren
