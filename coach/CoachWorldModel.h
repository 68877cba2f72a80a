#pragma once

#include "worldmodel/WorldModel.h"

#include <array>
#include <memory>

namespace tovren {

class SExpression;

// The coach's picture of the match, filled from the server's global view. Positions keep
// the server's x and the negated y, and every direction is negated; nothing is mirrored
// by the side, so the own goal is at x = -52.5 only when the team plays on the left.
// Current time counts the see_global messages received; it stamps every object read.
class CoachWorldModel : public WorldModel {
 public:
  CoachWorldModel() = default;
  // A snapshot for the history; logs "CoachWorldModel copied.".
  CoachWorldModel(const CoachWorldModel& other);
  ~CoachWorldModel() override = default;

  // Whether every entry of the see_global can be read; a malformed one is logged in
  // "MainLog", so its reader can leave everything as it was.
  bool checkSeeGlobal(const SExpression& message) const;
  // Reads one see_global, checked whole first: a malformed one changes nothing. The
  // caller has raised the time and reset the objects.
  void parseSeeGlobal(const SExpression& message);

  // One entry of a see_global, taken as exact.
  void parseGoal(const SExpression& entry) override;
  void parseBall(const SExpression& entry) override;
  void parsePlayer(const SExpression& entry) override;
  // Keeps only the referee's calls; every hear clears the heard-say state.
  bool parseHear(const SExpression& message) override;
  // The ball and every valid player of both teams to "MainLog".
  void logObjects() const override;

 private:
  // Why the entry cannot be read, or null when it can; counts the goals met so far.
  const char* entryFault(const SExpression& entry, unsigned int& goals) const;
};

// Copies of the coach world model of the last 100 see_global messages, oldest first.
// Once full, the oldest copy is rewritten in place with the newest model, so no more
// than 100 copies are ever made. The history owns its copies and frees them with itself.
class CoachWorldModelHistory {
 public:
  static constexpr int CAPACITY = 100;

  CoachWorldModelHistory() = default;
  CoachWorldModelHistory(const CoachWorldModelHistory&) = delete;
  CoachWorldModelHistory& operator=(const CoachWorldModelHistory&) = delete;

  int getSize() const { return size; }
  int getCurTime() const { return curTime; }
  int getStartTime() const { return startTime; }

  // Stores a copy of the model as that of the time, which is one after the newest
  // stored time (any time for the first save).
  void saveWorldModel(const CoachWorldModel* worldModel, unsigned int time);
  // A negative time counts back from the newest copy ([-1] is the one before it); any
  // other is an absolute time. It must be stored. The history keeps the copy.
  const CoachWorldModel* operator[](int time) const;

 private:
  std::array<std::unique_ptr<CoachWorldModel>, CAPACITY> history;  // slot i: startTime + i
  int size = 0;
  int curTime = -1;
  int startTime = -1;
};

}  // namespace tovren
