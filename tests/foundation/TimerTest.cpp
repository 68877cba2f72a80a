#include "foundation/Timer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>

using tovren::OnlineTimer;
using tovren::Timer;
using tovren::VirtualTimer;

namespace {

// The machine running the tests may be slow and busy; only coarse bounds are safe.
constexpr long kSlackMS = 150;

}  // namespace

TEST(Timer, FreshTimersHaveNoCycle) {
  EXPECT_EQ(OnlineTimer().getCycle(), -1);
  EXPECT_EQ(VirtualTimer().getCycle(), -1);
}

TEST(OnlineTimer, ResetStoresCycleAndRestartsTheClock) {
  OnlineTimer timer;
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_GE(timer.now(), 300 - 1);
  timer.resetCycle(17);
  EXPECT_EQ(timer.getCycle(), 17);
  EXPECT_GE(timer.now(), 0);
  EXPECT_LT(timer.now(), kSlackMS);
}

TEST(OnlineTimer, ElapsedTimeGrowsWithTheClock) {
  OnlineTimer timer;
  timer.resetCycle(1);
  std::this_thread::sleep_for(std::chrono::milliseconds(400));
  long elapsed = timer.now();
  // Past a cycle's length: this is how a silent server is noticed.
  EXPECT_GE(elapsed, 400 - 1);
  EXPECT_LT(elapsed, 400 + 5 * kSlackMS);
}

TEST(OnlineTimer, ElapsedRoundsToNearestMillisecondHalvesUp) {
  // Restarted 0.2 ms before a whole second, read 0.3 ms after it.
  EXPECT_EQ(OnlineTimer::elapsedMS(9, 999800, 10, 300), 1);
  EXPECT_EQ(OnlineTimer::elapsedMS(4, 0, 4, 1499), 1);
  EXPECT_EQ(OnlineTimer::elapsedMS(4, 0, 4, 1500), 2);
  EXPECT_EQ(OnlineTimer::elapsedMS(4, 0, 4, 499), 0);
  EXPECT_EQ(OnlineTimer::elapsedMS(4, 500000, 6, 250000), 1750);
  EXPECT_EQ(OnlineTimer::elapsedMS(100, 0, 112, 345000), 12345);
}

TEST(OnlineTimer, CopyKeepsCycleAndStart) {
  OnlineTimer timer;
  timer.resetCycle(8);
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  OnlineTimer copy(timer);
  EXPECT_EQ(copy.getCycle(), 8);
  EXPECT_GE(copy.now(), 200 - 1);
}

TEST(VirtualTimer, ReturnsTheMillisecondsSetUntilTheNextReset) {
  VirtualTimer timer;
  EXPECT_EQ(timer.now(), 0);
  timer.setCurMS(35);
  EXPECT_EQ(timer.now(), 35);
  EXPECT_EQ(timer.now(), 35);
  timer.resetCycle(3);
  EXPECT_EQ(timer.getCycle(), 3);
  EXPECT_EQ(timer.now(), 0);
  timer.setCurMS(-4);
  EXPECT_EQ(timer.now(), -4);
}

TEST(VirtualTimer, WorksThroughTheBase) {
  std::unique_ptr<Timer> timer = std::make_unique<VirtualTimer>();
  dynamic_cast<VirtualTimer&>(*timer).setCurMS(60);
  timer->resetCycle(12);
  EXPECT_EQ(timer->getCycle(), 12);
  EXPECT_EQ(timer->now(), 0);
}
