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
  // What the configuration states of the server; its server_param may say otherwise.
  objects.body.setCommandLimits().setByConfig(config["Agent"]["Server"]);
  initViewPartDirs();
  resetSeeDeltaCycles();
  // The kick fan's entries are allocated once, here, and reused by every update.
  curKickCalculate.init();

  // Full players are of the default model already.
  for (auto& team : objects.halfPlayers) {
    for (Player& player : team) player = Player(PLM_HALF);
  }
  for (Player& player : objects.quarterPlayers) player = Player(PLM_QUARTER);
  linkObjects();
}

WorldModel::~WorldModel() = default;

void WorldModel::linkObjects() {
  for (unsigned int i = 0; i < FIELD_FLAGS_NUM; ++i) fieldFlags[i] = &objects.flags[i];
  for (unsigned int i = 0; i < FIELD_GOALS_NUM; ++i) fieldGoals[i] = &objects.goals[i];
  for (unsigned int i = 0; i < FIELD_LINES_NUM; ++i) fieldLines[i] = &objects.lines[i];
  ball = &objects.ball;
  body = &objects.body;
  for (unsigned int team = 0; team < 2; ++team) {
    for (unsigned int i = 0; i < FULL_PLAYERS_NUM; ++i) {
      fullPlayers[team][i] = &objects.fullPlayers[team][i];
    }
    for (unsigned int i = 0; i < HALF_PLAYERS_NUM; ++i) {
      halfPlayers[team][i] = &objects.halfPlayers[team][i];
    }
  }
  for (unsigned int i = 0; i < QUARTER_PLAYERS_NUM; ++i) {
    quarterPlayers[i] = &objects.quarterPlayers[i];
  }
}

unsigned int WorldModel::bodySlot() const {
  unsigned int i = 0;
  while (i < FULL_PLAYERS_NUM && fullPlayers[TID_TEAMMATE][i] != body) ++i;
  return i;
}

void WorldModel::replaceBodyInPlayersList(unsigned int uniNum) {
  if (uniNum < 1 || uniNum > FULL_PLAYERS_NUM) {
    LogStream& log = logger["MainLog"];
    if (log.isOutValid()) {
      log << "Skipping body placement: uniform number " << uniNum << " outside 1..11." << std::endl;
    }
    return;
  }
  const unsigned int left = bodySlot();
  if (left == uniNum - 1) return;
  if (left < FULL_PLAYERS_NUM) {
    // The player behind the body may hold a sighting from before the body came.
    Player& own = objects.fullPlayers[TID_TEAMMATE][left];
    own = Player(PLM_FULL);
    applyReceivedParams(own);
    fullPlayers[TID_TEAMMATE][left] = &own;
  }
  fullPlayers[TID_TEAMMATE][uniNum - 1] = body;
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

FieldGoal& WorldModel::setFieldGoal(unsigned int i) {
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

}  // namespace tovren
