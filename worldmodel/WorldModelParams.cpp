#include "worldmodel/WorldModel.h"

#include "foundation/Check.h"
#include "foundation/Logger.h"
#include "foundation/SExpression.h"
#include "worldmodel/Ball.h"
#include "worldmodel/Body.h"
#include "worldmodel/MessageFields.h"
#include "worldmodel/Player.h"

#include <map>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace tovren {

namespace {

// The server parameters the ball, the players and the body cache; a "server_param"
// without any of them as a number does not reach the objects.
const char* const cachedServerParams[] = {
    "maxmoment",          "minmoment",          "maxpower",         "minpower",
    "quantize_step",      "quantize_step_l",    "ball_accel_max",   "ball_decay",
    "ball_rand",          "ball_size",          "ball_speed_max",   "kick_power_rate",
    "kick_rand_factor_l", "kick_rand_factor_r", "stopped_ball_vel", "player_accel_max",
    "player_decay",       "player_rand",        "player_size",      "player_speed_max",
    "stamina_max",        "effort_dec_thr",     "recover_dec_thr",  "maxneckang",
    "minneckang",         "maxneckmoment",      "minneckmoment",    "catchable_area_l",
    "catchable_area_w",   "visible_distance"};

// The parameters a player type gives a player.
const char* const playerTypeParams[] = {"stamina_inc_max", "inertia_moment", "dash_power_rate",
                                        "kickable_margin", "kick_rand",      "extra_stamina",
                                        "effort_max",      "effort_min",     "player_speed_max",
                                        "player_decay",    "player_size"};

// Name -> value text; a name given twice keeps its last value.
using Params = std::map<std::string, std::string>;

void logSkipped(const char* why, const SExpression& message) {
  LogStream& log = logger["MainLog"];
  if (log.isOutValid()) log << "Skipping " << why << ": " << message.toString() << std::endl;
}

// The (name value) lists from element first on; false when one of them is not such a
// list. Further elements of a list are ignored. A value that is not a finite number is
// logged and left out, so that nothing reads it later.
bool readParams(const SExpression& message, unsigned int first, Params& params) {
  Params given;
  for (unsigned int i = first; i < message.size(); ++i) {
    const SExpression* list = MessageFields::listAt(message, i);
    const SExpAtomic* name = list == nullptr ? nullptr : MessageFields::atomAt(*list, 0);
    const SExpAtomic* value = list == nullptr ? nullptr : MessageFields::atomAt(*list, 1);
    if (name == nullptr || value == nullptr) return false;
    given[name->asString()] = value->asString();
  }
  for (auto& param : given) {
    if (MessageFields::decimalFloat(param.second)) {
      params.insert(std::move(param));
      continue;
    }
    LogStream& log = logger["MainLog"];
    if (log.isOutValid()) {
      log << "Skipping a parameter that is not a number: (" << param.first << " " << param.second
          << ")" << std::endl;
    }
  }
  return true;
}

// The name of the first wanted parameter that the lists lack, or null when all are there.
template <std::size_t N>
const char* missingNumber(const Params& params, const char* const (&wanted)[N]) {
  for (const char* name : wanted) {
    if (params.find(name) == params.end()) return name;
  }
  return nullptr;
}

void addParams(ConfigGroup& group, const Params& params) {
  for (const auto& param : params) group.add(param.first, param.second);
}

}  // namespace

void WorldModel::initServerParam(const SExpression& message) {
  Params params;
  if (!MessageFields::isAtom(message, 0, "server_param") || !readParams(message, 1, params)) {
    logSkipped("malformed server_param", message);
    return;
  }
  addParams(serverParam, params);
  if (const char* missing = missingNumber(params, cachedServerParams)) {
    LogStream& log = logger["MainLog"];
    if (log.isOutValid()) {
      log << "server_param without " << missing << ": the objects keep their parameters."
          << std::endl;
    }
    return;
  }
  serverParamReceived = true;
  ball->setServerParamVars(serverParam);
  for (unsigned int i = 0; i < PLAYER_OBJECTS_NUM; ++i)
    playerObject(i).setServerParamVars(serverParam);
  // Before the init answer the body is in no slot yet.
  if (!isBodyReplaced()) body->setServerParamVars(serverParam);
}

void WorldModel::initPlayerParam(const SExpression& message) {
  Params params;
  if (!MessageFields::isAtom(message, 0, "player_param") || !readParams(message, 1, params)) {
    logSkipped("malformed player_param", message);
    return;
  }
  const auto given = params.find("player_types");
  const int typesNum =
      given == params.end() ? -1 : MessageFields::decimalInt(given->second).value_or(-1);
  if (typesNum < 1 || typesNum > PLAYER_TYPES_MAX) {
    logSkipped("player_param without a believable player_types", message);
    return;
  }
  addParams(playerParam, params);
  playerTypes.assign(static_cast<std::size_t>(typesNum), ConfigGroup());
  playerTypesReceived.assign(static_cast<std::size_t>(typesNum), false);
}

void WorldModel::initPlayerType(const SExpression& message) {
  int id = -1;
  if (!MessageFields::isAtom(message, 0, "player_type") || !message.hasSExpWithHeader("id") ||
      !MessageFields::readInt(message["id"], 1, id)) {
    logSkipped("malformed player_type", message);
    return;
  }
  if (id < 0 || static_cast<std::size_t>(id) >= playerTypes.size()) {
    logSkipped("player_type outside the received types", message);
    return;
  }
  Params params;
  if (!readParams(message, 2, params) || missingNumber(params, playerTypeParams) != nullptr) {
    logSkipped("incomplete player_type", message);
    return;
  }
  addParams(playerTypes[id], params);
  playerTypesReceived[id] = true;
  if (id != 0) return;
  // Every player is of the default type until a change is announced.
  for (unsigned int i = 0; i < PLAYER_OBJECTS_NUM; ++i) playerObject(i).setType(0, playerTypes[0]);
  if (!isBodyReplaced()) body->setType(0, playerTypes[0]);
}

void WorldModel::parseChangePlayerType(const SExpression& message) {
  if (message.size() == 2) return;  // another team's change: its type is not told
  int playerNum = 0;
  int type = 0;
  if (message.size() != 3 || !MessageFields::readInt(message, 1, playerNum) ||
      !MessageFields::readInt(message, 2, type)) {
    logSkipped("malformed change_player_type", message);
    return;
  }
  if (playerNum < 1 || playerNum > static_cast<int>(FULL_PLAYERS_NUM) || type < 0 ||
      !isPlayerTypeReceived(static_cast<unsigned int>(type))) {
    logSkipped("change_player_type out of range", message);
    return;
  }
  fullPlayers[TID_TEAMMATE][playerNum - 1]->setType(type, playerTypes[type]);
}

const ConfigGroup& WorldModel::getPlayerType(unsigned int id) const {
  TOVREN_CHECK(id < playerTypes.size());
  return playerTypes[id];
}

bool WorldModel::isPlayerTypeReceived(unsigned int id) const {
  return id < playerTypesReceived.size() && playerTypesReceived[id];
}

void WorldModel::applyReceivedParams(Player& player) const {
  if (serverParamReceived) player.setServerParamVars(serverParam);
  if (isPlayerTypeReceived(0)) player.setType(0, playerTypes[0]);
}

}  // namespace tovren
