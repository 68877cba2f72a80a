#include "coach/OppTypes.h"

#include "coach/CoachWorldModel.h"
#include "foundation/Config.h"
#include "foundation/Logger.h"
#include "geometry/Degree.h"
#include "worldmodel/MessageFields.h"
#include "worldmodel/Player.h"

#include <cmath>
#include <ostream>

namespace tovren {

namespace {

// A maximal turn closes a fifth of the gap to 100, a maximal dash a fiftieth.
constexpr double MAX_TURN_SHARE = 0.2;
constexpr double MAX_DASH_SHARE = 0.02;
// Keeps type 0 chosen while no evidence favours another open type.
constexpr float DEFAULT_TYPE_SCORE = 0.01f;

// The server parameters the tests and the checks read.
const char* const usedServerParams[] = {
    "maxmoment",          "minmoment",  "maxpower",        "minpower",
    "player_rand",        "ball_size",  "kick_power_rate", "kick_rand_factor_l",
    "kick_rand_factor_r", "ball_decay", "tackle_dist"};

bool hasNumbers(const ConfigGroup& group) {
  for (const char* key : usedServerParams) {
    if (!group.has(key) || !MessageFields::decimalFloat(group[key].asString())) return false;
  }
  return true;
}

void logLine(const char* text) {
  LogStream& log = logger["MainLog"];
  if (log.isOutValid()) log << text << std::endl;
}

const Player& opponent(const CoachWorldModel& model, int p) {
  return model.getFullPlayer(TID_OPPONENT, static_cast<unsigned int>(p));
}

}  // namespace

OppTypes::OppTypes(const CoachWorldModel* worldModel, const CoachWorldModelHistory& history)
    : Task(worldModel, history) {
  for (int p = 0; p < PLAYERS; ++p) resetPlayerForFirstTime(p);
}

bool OppTypes::execute() {
  logLine("OppTypes execute");
  if (!initialized && !initialize()) {
    logLine("OppTypes: waiting for the player types and server parameters");
    return true;
  }
  for (int p = 0; p < PLAYERS; ++p) {
    const Player& player = opponent(*worldModel, p);
    if (player.isAlive() && player.isGoalie()) resetPlayerForFirstTime(p);
  }
  checkForTurns();
  checkForDashes();
  checkForKicks();
  if (find()) setFreeForm();
  return true;
}

void OppTypes::informOppChangePlayerType(unsigned int playerNum) {
  if (playerNum < 1 || playerNum > static_cast<unsigned int>(PLAYERS)) return;
  resetPlayer(static_cast<int>(playerNum) - 1);
}

bool OppTypes::initialize() {
  for (int t = 0; t < TYPES; ++t) {
    if (!worldModel->isPlayerTypeReceived(static_cast<unsigned int>(t))) return false;
  }
  if (!hasNumbers(worldModel->getServerParam())) return false;
  for (int t = 0; t < TYPES; ++t) {
    typeInfos[t].setByPlayerType(worldModel->getPlayerType(static_cast<unsigned int>(t)));
  }
  const float ballSize = worldModel->getServerParam()["ball_size"].asFloat();
  maxPlayerDecay = 0.0f;
  maxKickableDistance = 0.0f;
  for (const TypeInfo& info : typeInfos) {
    if (info.playerDecay > maxPlayerDecay) maxPlayerDecay = info.playerDecay;
    const float kickable = (info.kickableMargin + info.playerSize) + ballSize;
    if (kickable > maxKickableDistance) maxKickableDistance = kickable;
  }
  initialized = true;
  return true;
}

void OppTypes::resetPlayerForFirstTime(int p) {
  for (int t = 0; t < TYPES; ++t) {
    excluded[p][t] = true;
    score[p][t] = 0.0f;
  }
  excluded[p][0] = false;
  score[p][0] = DEFAULT_TYPE_SCORE;
  sure[p] = true;
  type[p] = 0;
  LogStream& log = logger["MainLog"];
  if (log.isOutValid()) log << "OppTypes: resetPlayerForFirstTime " << p << std::endl;
}

void OppTypes::resetPlayer(int p) {
  for (int t = 0; t < TYPES; ++t) {
    excluded[p][t] = false;
    score[p][t] = 0.0f;
  }
  score[p][0] = DEFAULT_TYPE_SCORE;
  sure[p] = false;
  type[p] = 0;
  LogStream& log = logger["MainLog"];
  if (log.isOutValid()) log << "OppTypes: resetPlayer " << p << std::endl;
}

bool OppTypes::find() {
  int chosen[PLAYERS];
  for (int p = 0; p < PLAYERS; ++p) {
    int open = 0;
    float best = -1.0f;
    chosen[p] = 0;
    for (int t = 0; t < TYPES; ++t) {
      if (excluded[p][t]) continue;
      ++open;
      if (score[p][t] > best) {
        best = score[p][t];
        chosen[p] = t;
      }
    }
    if (best < 0.0f) {
      resetPlayer(p);
      chosen[p] = 0;
    }
    sure[p] = open == 1;
  }

  bool changed = false;
  for (int p = 0; p < PLAYERS; ++p) {
    if (chosen[p] == type[p]) continue;
    changed = true;
    type[p] = chosen[p];
  }

  LogStream& log = logger["MainLog"];
  if (!log.isOutValid()) return changed;
  for (int p = 0; p < PLAYERS; ++p) {
    log << "foundOppType p " << p + 1;
    if (sure[p]) {
      log << " =  " << type[p] << "  <";
    } else {
      log << " = (" << type[p] << ") <";
    }
    log << score[p][type[p]] << "> info:";
    for (int t = 0; t < TYPES; ++t) log << (excluded[p][t] ? "N" : "Y");
    log << std::endl;
  }
  return changed;
}

void OppTypes::setFreeForm() {
  freeFormString = "(T ";
  for (int p = 0; p < PLAYERS; ++p) freeFormString += static_cast<char>('0' + type[p]);
  freeFormString += ")";
  freeFormReady = true;
}

template <typename Test>
void OppTypes::excludeWhere(int p, Test test) {
  for (int t = 0; t < TYPES; ++t) {
    if (!excluded[p][t] && test(typeInfos[t]) == 0) excluded[p][t] = true;
  }
}

template <typename Test>
void OppTypes::raiseWhere(int p, double share, Test test) {
  for (int t = 0; t < TYPES; ++t) {
    if (excluded[p][t] || !test(typeInfos[t])) continue;
    const double old = score[p][t];
    score[p][t] = static_cast<float>(old + (100.0 - old) * share);
  }
}

namespace {

// The size of the opponent's turn between two models, degrees.
float turnBetween(const Player& earlier, const Player& later) {
  return std::fabs(Degree::normalizeAngle(earlier.getBodyDir() - later.getBodyDir()));
}

}  // namespace

void OppTypes::informTurn(int p, unsigned int cycle) {
  const Player& before = opponent(*history[static_cast<int>(cycle)], p);
  const Player& after = opponent(*history[static_cast<int>(cycle) + 1], p);
  const float turn = turnBetween(before, after);
  const ConfigGroup& serverParam = worldModel->getServerParam();
  excludeWhere(p, [&](const TypeInfo& info) {
    return info.isAbleToTurn(before.getVel(), turn, serverParam);
  });
}

void OppTypes::informMaxTurn(int p, unsigned int cycle) {
  const Player& before = opponent(*history[static_cast<int>(cycle)], p);
  const Player& after = opponent(*history[static_cast<int>(cycle) + 1], p);
  const float turn = turnBetween(before, after);
  const ConfigGroup& serverParam = worldModel->getServerParam();
  raiseWhere(p, MAX_TURN_SHARE, [&](const TypeInfo& info) {
    return info.isMaxTurn(before.getVel(), turn, serverParam);
  });
}

void OppTypes::informDash(int p, unsigned int cycle) {
  const Player& before = opponent(*history[static_cast<int>(cycle)], p);
  const Player& after = opponent(*history[static_cast<int>(cycle) + 1], p);
  const ConfigGroup& serverParam = worldModel->getServerParam();
  excludeWhere(p, [&](const TypeInfo& info) {
    return info.isAbleToDash(after.getVel(), before.getVel(), before.getBodyDir(), serverParam);
  });
}

void OppTypes::informMaxDash(int p, unsigned int cycle) {
  const Player& before = opponent(*history[static_cast<int>(cycle)], p);
  const Player& after = opponent(*history[static_cast<int>(cycle) + 1], p);
  const ConfigGroup& serverParam = worldModel->getServerParam();
  raiseWhere(p, MAX_DASH_SHARE, [&](const TypeInfo& info) {
    return info.isMaxDash(after.getVel(), before.getVel(), before.getBodyDir(), serverParam);
  });
}

void OppTypes::informKick(int p, unsigned int cycle, Vector kick) {
  const CoachWorldModel& model = *history[static_cast<int>(cycle)];
  const Player& kicker = opponent(model, p);
  const Side side = worldModel->getFieldSide();
  const ConfigGroup& serverParam = worldModel->getServerParam();
  excludeWhere(p, [&](const TypeInfo& info) {
    return info.isAbleToKick(kicker.getPos(), model.getBall().getPos(), kicker.getBodyDir(), kick,
                             side, serverParam);
  });
}

}  // namespace tovren
