#pragma once

namespace tovren {

// Milliseconds since the start of the current server cycle, and that cycle's number.
// The world model owns the one timer of a player or coach; everything else reads it
// through this base.
class Timer {
 public:
  Timer() = default;
  virtual ~Timer() = default;

  // Milliseconds since the last resetCycle.
  virtual long now() const = 0;
  // The cycle last given to resetCycle, -1 before the first.
  virtual long getCycle() const;
  virtual void resetCycle(long cycle);

 protected:
  // Copied only as part of a timer of a known kind (the world model's snapshots).
  Timer(const Timer&) = default;
  Timer& operator=(const Timer&) = default;

  long cycle = -1;
};

// Reads the clock. A monotonic clock stands in for the time of day: the results are
// the same, and a step of the system clock cannot fake (or hide) a silent server.
class OnlineTimer : public Timer {
 public:
  // The cycle starts now.
  OnlineTimer();

  long now() const override;
  void resetCycle(long cycle) override;

  // Milliseconds from the start to the given moment, rounded to the nearest, halves up.
  static long elapsedMS(long fromSec, long fromUSec, long toSec, long toUSec);

 private:
  // Start of the current cycle, as seconds and microseconds.
  long startSec = 0;
  long startUSec = 0;
};

// Set from outside by the offline replay, so a replayed run sees the logged times.
class VirtualTimer : public Timer {
 public:
  VirtualTimer() = default;

  long now() const override;
  // Also sets the milliseconds back to 0.
  void resetCycle(long cycle) override;
  void setCurMS(long ms);

 private:
  long curMS = 0;
};

}  // namespace tovren
