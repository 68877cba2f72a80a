#include "foundation/Timer.h"

#include <time.h>

namespace tovren {

namespace {

void readClock(long& sec, long& usec) {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  sec = static_cast<long>(ts.tv_sec);
  usec = static_cast<long>(ts.tv_nsec / 1000);
}

}  // namespace

long Timer::getCycle() const { return cycle; }

void Timer::resetCycle(long newCycle) { cycle = newCycle; }

OnlineTimer::OnlineTimer() { readClock(startSec, startUSec); }

long OnlineTimer::now() const {
  long sec = 0;
  long usec = 0;
  readClock(sec, usec);
  return elapsedMS(startSec, startUSec, sec, usec);
}

void OnlineTimer::resetCycle(long newCycle) {
  Timer::resetCycle(newCycle);
  readClock(startSec, startUSec);
}

long OnlineTimer::elapsedMS(long fromSec, long fromUSec, long toSec, long toUSec) {
  // The microsecond part may be negative across a change of second.
  return static_cast<long>((toSec - fromSec) * 1000 + (toUSec - fromUSec) / 1000.0 + 0.5);
}

long VirtualTimer::now() const { return curMS; }

void VirtualTimer::resetCycle(long newCycle) {
  Timer::resetCycle(newCycle);
  curMS = 0;
}

void VirtualTimer::setCurMS(long ms) { curMS = ms; }

}  // namespace tovren
