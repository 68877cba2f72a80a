#include "worldmodel/WorldModel.h"

#include "foundation/Logger.h"
#include "foundation/Timer.h"

#include <algorithm>
#include <iterator>
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
WorldModel::WorldModel(const WorldModel& other) {
  linkObjects();
  copyFrom(other, false);
  logLine("WorldModel copied.");
}

void WorldModel::copyFrom(const WorldModel& other, bool freeOwn) {
  if (&other == this) return;
  if (freeOwn) logLine("WorldModel copying 1");
  logLine("WorldModel copying 2");

  serverParam = other.serverParam;
  playerParam = other.playerParam;
  playerTypes = other.playerTypes;
  playerTypesReceived = other.playerTypesReceived;
  serverParamReceived = other.serverParamReceived;
  fieldData = other.fieldData;
  // The fan's entries stay the source's: shown here, never freed here.
  curKickCalculate.shareSimulates(other.curKickCalculate);
  // Its player records still point at the source's players.
  curInterCalculate = other.curInterCalculate;
  seeCycle = other.seeCycle;
  curCycle = other.curCycle;
  curTime = other.curTime;
  refereeHearTime = other.refereeHearTime;
  playModeRemainCycle = other.playModeRemainCycle;
  playOnStartCycle = other.playOnStartCycle;
  fieldSide = other.fieldSide;
  playMode = other.playMode;
  virtualPlayMode = other.virtualPlayMode;
  std::copy(std::begin(other.viewPartDir), std::end(other.viewPartDir), std::begin(viewPartDir));
  std::copy(std::begin(other.viewPartCycle), std::end(other.viewPartCycle),
            std::begin(viewPartCycle));
  freeKickAdvicerSayCycle = other.freeKickAdvicerSayCycle;
  freeKickAdvicerSayNumber = other.freeKickAdvicerSayNumber;
  hearedHeader = other.hearedHeader;
  mustAttention = other.mustAttention;
  hearedSuggestPassDir = other.hearedSuggestPassDir;
  hearedSuggestPassSpeed = other.hearedSuggestPassSpeed;
  hearedSuggestPassWeight = other.hearedSuggestPassWeight;
  hearedSender = other.hearedSender;
  hearedInterceptNum = other.hearedInterceptNum;
  hearedRequestPassNum = other.hearedRequestPassNum;
  hearedSuggestPassNum = other.hearedSuggestPassNum;
  hearedSuggestPassTime = other.hearedSuggestPassTime;
  ballStatus = other.ballStatus;
  flagsNum = other.flagsNum;
  goalsNum = other.goalsNum;
  linesNum = other.linesNum;
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
