#include "worldmodel/WorldModel.h"

#include "foundation/Logger.h"
#include "foundation/Timer.h"
#include "worldmodel/Ball.h"
#include "worldmodel/Body.h"
#include "worldmodel/Object.h"
#include "worldmodel/Player.h"

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

WorldModel::WorldModel(const WorldModel& other) {
  copyFrom(other, false);
  logLine("WorldModel copied.");
}

void WorldModel::copyFrom(const WorldModel& other, bool freeOwn) {
  // Freeing first would free the source too.
  if (&other == this) return;
  if (freeOwn) {
    logLine("WorldModel copying 1");
    freeOwnedObjects();
  }
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

  for (unsigned int i = 0; i < FIELD_FLAGS_NUM; ++i)
    fieldFlags[i] = new FieldFlag(*other.fieldFlags[i]);
  for (unsigned int i = 0; i < FIELD_GOALS_NUM; ++i)
    fieldGoals[i] = new FieldGoal(*other.fieldGoals[i]);
  for (unsigned int i = 0; i < FIELD_LINES_NUM; ++i)
    fieldLines[i] = new FieldLine(*other.fieldLines[i]);
  ball = new Ball(*other.ball);
  body = new Body(*other.body);
  // The source's body in its slot is copied as a plain player here, and replaced below.
  for (unsigned int team = 0; team < 2; ++team) {
    for (unsigned int i = 0; i < FULL_PLAYERS_NUM; ++i) {
      fullPlayers[team][i] = new Player(*other.fullPlayers[team][i]);
    }
  }
  for (unsigned int team = 0; team < 2; ++team) {
    for (unsigned int i = 0; i < HALF_PLAYERS_NUM; ++i) {
      halfPlayers[team][i] = new Player(*other.halfPlayers[team][i]);
    }
  }
  for (unsigned int i = 0; i < QUARTER_PLAYERS_NUM; ++i) {
    quarterPlayers[i] = new Player(*other.quarterPlayers[i]);
  }

  bodyReplaced = false;
  if (!other.bodyReplaced) return;
  for (unsigned int i = 0; i < FULL_PLAYERS_NUM; ++i) {
    if (other.fullPlayers[TID_TEAMMATE][i] != other.body) continue;
    delete fullPlayers[TID_TEAMMATE][i];
    fullPlayers[TID_TEAMMATE][i] = body;
    bodyReplaced = true;
  }
}

}  // namespace tovren
