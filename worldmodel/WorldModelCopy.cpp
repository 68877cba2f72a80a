#include "worldmodel/WorldModel.h"

#include "foundation/Logger.h"
#include "foundation/Timer.h"

#include <memory>
#include <ostream>

namespace tovren {

namespace {

void logLine(const char* text) {
  LogStream& log = logger["MainLog"];
  if (log.isOutValid()) log << text << std::endl;
}

// A timer of the source's kind holding its state: the clock's cycle start for an online
// timer; the cycle and the milliseconds for any other, which only a replay sets.
std::unique_ptr<Timer> copyTimer(const Timer& source) {
  if (const auto* online = dynamic_cast<const OnlineTimer*>(&source)) {
    return std::make_unique<OnlineTimer>(*online);
  }
  if (const auto* replayed = dynamic_cast<const VirtualTimer*>(&source)) {
    return std::make_unique<VirtualTimer>(*replayed);
  }
  auto copy = std::make_unique<VirtualTimer>();
  copy->resetCycle(source.getCycle());
  copy->setCurMS(source.now());
  return copy;
}

}  // namespace

// The members start empty, as in a new world model, before copyFrom fills them.
WorldModel::WorldModel(const WorldModel& other) : WorldModelState() {
  linkObjects();
  copyFrom(other, false);
  logLine("WorldModel copied.");
}

void WorldModel::copyFrom(const WorldModel& other, bool freeOwn) {
  if (&other == this) return;
  if (freeOwn) logLine("WorldModel copying 1");
  logLine("WorldModel copying 2");

  WorldModelState::operator=(other);
  // The fan's entries stay the source's: shown here, never freed here.
  curKickCalculate.shareSimulates(other.curKickCalculate);
  timer = copyTimer(*other.timer);
  objects = other.objects;
  // The body stands where the source's does; every other slot holds its own player.
  for (unsigned int i = 0; i < FULL_PLAYERS_NUM; ++i) {
    fullPlayers[TID_TEAMMATE][i] = other.fullPlayers[TID_TEAMMATE][i] == other.body
                                       ? body
                                       : &objects.fullPlayers[TID_TEAMMATE][i];
  }
}

}  // namespace tovren
