#include "worldmodel/WorldModel.h"

#include "foundation/Check.h"
#include "foundation/Config.h"
#include "foundation/Logger.h"
#include "foundation/Timer.h"
#include "worldmodel/Ball.h"
#include "worldmodel/Body.h"
#include "worldmodel/Object.h"
#include "worldmodel/Player.h"

#include <ostream>

namespace tovren {

WorldModel::WorldModel() {
  if (config["Agent"]["Server"]["OfflinePlayer"].asBool()) {
    timer = std::make_unique<VirtualTimer>();
  } else {
    timer = std::make_unique<OnlineTimer>();
  }
  initViewPartDirs();
  resetSeeDeltaCycles();
  // The kick fan's entries are allocated once, here, and reused by every update.
  curKickCalculate.init();

  for (FieldFlag*& flag : fieldFlags) flag = new FieldFlag();
  for (FieldGoal*& goal : fieldGoals) goal = new FieldGoal();
  for (FieldLine*& line : fieldLines) line = new FieldLine();
  ball = new Ball();
  body = new Body();
  for (auto& team : fullPlayers) {
    for (Player*& player : team) player = new Player(PLM_FULL);
  }
  for (auto& team : halfPlayers) {
    for (Player*& player : team) player = new Player(PLM_HALF);
  }
  for (Player*& player : quarterPlayers) player = new Player(PLM_QUARTER);
}

WorldModel::~WorldModel() { freeOwnedObjects(); }

void WorldModel::freeOwnedObjects() {
  timer.reset();
  for (FieldFlag* flag : fieldFlags) delete flag;
  for (FieldGoal* goal : fieldGoals) delete goal;
  for (FieldLine* line : fieldLines) delete line;
  delete ball;
  // A body in its player slot is freed with the slots.
  if (!bodyReplaced) delete body;
  for (auto& team : fullPlayers) {
    for (Player* player : team) delete player;
  }
  for (auto& team : halfPlayers) {
    for (Player* player : team) delete player;
  }
  for (Player* player : quarterPlayers) delete player;
}

void WorldModel::replaceBodyInPlayersList(unsigned int uniNum) {
  if (uniNum < 1 || uniNum > FULL_PLAYERS_NUM) {
    LogStream& log = logger["MainLog"];
    if (log.isOutValid()) {
      log << "Skipping body placement: uniform number " << uniNum << " outside 1..11." << std::endl;
    }
    return;
  }
  Player*& slot = fullPlayers[TID_TEAMMATE][uniNum - 1];
  if (slot == body) return;
  if (bodyReplaced) {
    // The body moves: the slot it leaves gets a fresh player, so no object is held twice.
    for (unsigned int i = 0; i < FULL_PLAYERS_NUM; ++i) {
      if (fullPlayers[TID_TEAMMATE][i] != body) continue;
      Player* fresh = new Player(PLM_FULL);
      applyReceivedParams(*fresh);
      fullPlayers[TID_TEAMMATE][i] = fresh;
    }
  }
  delete slot;
  slot = body;
  bodyReplaced = true;
}

const Player& WorldModel::getFullPlayer(TeamId team, unsigned int i) const {
  TOVREN_CHECK(team <= TID_OPPONENT && i < FULL_PLAYERS_NUM);
  return *fullPlayers[team][i];
}

Player& WorldModel::setFullPlayer(TeamId team, unsigned int i) {
  TOVREN_CHECK(team <= TID_OPPONENT && i < FULL_PLAYERS_NUM);
  return *fullPlayers[team][i];
}

const Player& WorldModel::getHalfPlayer(TeamId team, unsigned int i) const {
  TOVREN_CHECK(team <= TID_OPPONENT && i < HALF_PLAYERS_NUM);
  return *halfPlayers[team][i];
}

Player& WorldModel::setHalfPlayer(TeamId team, unsigned int i) {
  TOVREN_CHECK(team <= TID_OPPONENT && i < HALF_PLAYERS_NUM);
  return *halfPlayers[team][i];
}

const Player& WorldModel::getQuarterPlayer(unsigned int i) const {
  TOVREN_CHECK(i < QUARTER_PLAYERS_NUM);
  return *quarterPlayers[i];
}

Player& WorldModel::setQuarterPlayer(unsigned int i) {
  TOVREN_CHECK(i < QUARTER_PLAYERS_NUM);
  return *quarterPlayers[i];
}

const FieldFlag& WorldModel::getFieldFlag(unsigned int i) const {
  TOVREN_CHECK(i < FIELD_FLAGS_NUM);
  return *fieldFlags[i];
}

const FieldGoal& WorldModel::getFieldGoal(unsigned int i) const {
  TOVREN_CHECK(i < FIELD_GOALS_NUM);
  return *fieldGoals[i];
}

const FieldLine& WorldModel::getFieldLine(unsigned int i) const {
  TOVREN_CHECK(i < FIELD_LINES_NUM);
  return *fieldLines[i];
}

Player& WorldModel::playerObject(unsigned int i) {
  TOVREN_CHECK(i < PLAYER_OBJECTS_NUM);
  if (i < 2 * FULL_PLAYERS_NUM) return *fullPlayers[i / FULL_PLAYERS_NUM][i % FULL_PLAYERS_NUM];
  i -= 2 * FULL_PLAYERS_NUM;
  if (i < 2 * HALF_PLAYERS_NUM) return *halfPlayers[i / HALF_PLAYERS_NUM][i % HALF_PLAYERS_NUM];
  return *quarterPlayers[i - 2 * HALF_PLAYERS_NUM];
}

void WorldModel::setFieldSide(Side side) {
  fieldSide = side;
  fieldData.setRightSideRate(side == SI_LEFT ? 1 : -1);
}

void WorldModel::updatePlayModeRemainCycleAfterSenseBody() {
  if (playModeRemainCycle != 0) --playModeRemainCycle;
}

} // namespace tovren
