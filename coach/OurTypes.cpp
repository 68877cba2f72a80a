#include "coach/OurTypes.h"

#include "coach/AssignmentGraph.h"
#include "coach/CoachWorldModel.h"
#include "foundation/Basics.h"
#include "foundation/Check.h"
#include "foundation/Config.h"
#include "foundation/Logger.h"
#include "worldmodel/MessageFields.h"
#include "worldmodel/Player.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <ostream>
#include <string>

namespace tovren {

namespace {

const char* const ratesPath = "./Configs/OurTypesRates.conf";

// The server's limit of players of one type on a team's field, in its player_param.
const char* const PT_MAX = "pt_max";

// How a parameter's value becomes a score: inMin..inMax onto outA..outB, clamped.
struct Scale {
  float inMin, inMax, outA, outB;
  ReRateMode mode;
};

// One weighed parameter, in the row order of the rates. Two bands meet at the threshold;
// a parameter scored one way throughout has the same scale in both.
struct Parameter {
  const char* rateKey;
  const char* serverKey;
  float threshold;
  bool thresholdAbove;  // whether the threshold itself takes the band above
  Scale below, above;
};

const Scale speedMax = {1.0f, 1.2f, -100.0f, 0.0f, RRM_DIRECT};
const Scale staminaSteep = {25.0f, 45.0f, -800.0f, 0.0f, RRM_DIRECT};
const Scale staminaMild = {25.0f, 45.0f, -100.0f, 0.0f, RRM_DIRECT};
const Scale decayLow = {0.4f, 0.6f, -100.0f, 0.0f, RRM_DIRECT};
const Scale decayHigh = {0.4f, 0.6f, 0.0f, 100.0f, RRM_DIRECT};
const Scale inertia = {5.0f, 10.0f, -100.0f, 0.0f, RRM_INVERSE};
const Scale dashLow = {0.006f, 0.008f, -100.0f, 0.0f, RRM_DIRECT};
const Scale dashHigh = {0.006f, 0.008f, 0.0f, 100.0f, RRM_DIRECT};
const Scale size = {0.1f, 0.3f, -100.0f, 0.0f, RRM_DIRECT};
const Scale kickable = {0.7f, 0.9f, 0.0f, 100.0f, RRM_DIRECT};
const Scale kickRandSmall = {0.0f, 0.1f, 0.0f, 100.0f, RRM_INVERSE};
const Scale kickRandLarge = {0.0f, 0.1f, -100.0f, 0.0f, RRM_INVERSE};
const Scale extraStamina = {0.0f, 100.0f, 0.0f, 100.0f, RRM_DIRECT};
const Scale effortMax = {0.8f, 1.0f, -100.0f, 0.0f, RRM_DIRECT};
const Scale effortMin = {0.4f, 0.6f, -100.0f, 0.0f, RRM_DIRECT};

// The stamina threshold depends on the player (staminaThreshold).
const Parameter parameters[OurTypes::rateRows] = {
    {"PlayerSpeedMax", "player_speed_max", 0.0f, false, speedMax, speedMax},
    {"StaminaIncMax", "stamina_inc_max", 0.0f, false, staminaSteep, staminaMild},
    {"PlayerDecay", "player_decay", 0.43f, false, decayLow, decayHigh},
    {"InertiaMoment", "inertia_moment", 0.0f, false, inertia, inertia},
    {"DashPowerRate", "dash_power_rate", 0.0063f, false, dashLow, dashHigh},
    {"PlayerSize", "player_size", 0.0f, false, size, size},
    {"KickableMargin", "kickable_margin", 0.0f, false, kickable, kickable},
    {"KickRand", "kick_rand", 0.07f, true, kickRandSmall, kickRandLarge},
    {"ExtraStamina", "extra_stamina", 0.0f, false, extraStamina, extraStamina},
    {"EffortMax", "effort_max", 0.0f, false, effortMax, effortMax},
    {"EffortMin", "effort_min", 0.0f, false, effortMin, effortMin}};

enum ParameterRow { PR_STAMINA_INC_MAX = 1, PR_PLAYER_DECAY = 2 };

// Uniform 5 is held to the default type whatever the rates say.
const int FIXED_ROW = 4;
const float FIXED_ROW_WEIGHT = 10000.0f;

// Twice this stays below the solver's span of 1000000, whatever the rates give.
const float GRAPH_WEIGHT_LIMIT = 400000.0f;

struct RateGroup {
  const char* name;
  int tokens;  // numbers read from each key, into columns first to first + tokens - 1
  int first;
};

const RateGroup mainRates = {"MainRates", 1, 0};
const RateGroup postRates = {"PostRates", OurTypes::rateColumns - 1, 1};

// A missing key or a line with too few numbers is the user's mistake, so the stop names
// the file, group and key instead of a lookup or an index deep in the store.
float readRate(const RateGroup& group, int row, int token) {
  const ConfigValue& value = config["OurTypes"].need(group.name, parameters[row].rateKey);
  if (value.size() < group.tokens) {
    value.refuse("holds fewer than " + std::to_string(group.tokens) + " numbers");
  }
  return value.readFloat(token);
}

// The midfield and the centre forward tire on a steeper scale.
float staminaThreshold(int standardUniNum) {
  return standardUniNum >= 7 && standardUniNum <= 9 ? 35.0f : 30.0f;
}

// The rates column of the player's position group; the decay swaps the last two.
int positionColumn(int standardUniNum, int row) {
  static const int columns[] = {0, 0, 1, 1, 2, 2, 3, 4, 4, 5, 6, 6};
  if (row == PR_PLAYER_DECAY && standardUniNum >= 9) return standardUniNum == 9 ? 6 : 5;
  return columns[standardUniNum];
}

// A weight the solver can take: nothing undefined, nothing beyond its span.
int toGraphWeight(float weight) {
  if (!std::isfinite(weight)) return 0;
  return static_cast<int>(std::max(-GRAPH_WEIGHT_LIMIT, std::min(GRAPH_WEIGHT_LIMIT, weight)));
}

}  // namespace

OurTypes::OurTypes(const CoachWorldModel* worldModel, const CoachWorldModelHistory& history)
    : Task(worldModel, history) {
  setColumnTypes(SLOTS_PER_TYPE, SLOTS_PER_TYPE);
  assignmentGraph = std::make_unique<AssignmentGraph>(static_cast<int>(columnTypes.size()));
  loadOurTypesRates();
  std::fill(std::begin(changedTypes), std::end(changedTypes), NOT_CHANGED);
}

OurTypes::~OurTypes() = default;

void OurTypes::loadOurTypesRates() {
  config.add("OurTypes");
  config["OurTypes"].setByFile(ratesPath);
  for (const RateGroup* group : {&mainRates, &postRates}) {
    for (int token = 0; token < group->tokens; ++token) {
      for (int row = 0; row < rateRows; ++row) {
        rates[row][group->first + token] = readRate(*group, row, token);
      }
    }
  }
}

bool OurTypes::execute() {
  if (!ourTypesSet) {
    // Weighing needs every type's parameters; they come right after the init answer.
    if (!allTypesReceived()) {
      LogStream& log = logger["MainLog"];
      if (log.isOutValid()) log << "OurTypes: waiting for the player types" << std::endl;
      return false;
    }
    setOurTypes();
    ourTypesSet = true;
  }
  LogStream& log = logger["MainLog"];
  for (int k = 1; k < PLAYERS; ++k) {
    if (changedTypes[k] != NOT_CHANGED) continue;
    const Player& player = worldModel->getFullPlayer(TID_TEAMMATE, static_cast<unsigned int>(k));
    if (!player.isAlive()) continue;
    const int type = playerTypes[k];
    changedTypes[k] = type;
    // A change to the type the player has would only spend the server's count of it.
    if (static_cast<int>(player.getType()) == type) {
      if (log.isOutValid())
        log << "Player " << k + 1 << " keeps type " << type << " ." << std::endl;
      continue;
    }
    changePlayerCommand = std::make_unique<ChangePlayerCommand>(k + 1, type);
    changePlayerCommandReady = true;
    if (log.isOutValid())
      log << "Player " << k + 1 << "'s type changed to type " << type << " ." << std::endl;
    return true;
  }
  return changePlayerCommandReady;
}

void OurTypes::setOurTypes() {
  setSlots();
  // Rows of no field player weigh 0 in every column and take the slots left over.
  assignmentGraph = std::make_unique<AssignmentGraph>(static_cast<int>(columnTypes.size()));
  for (int row = 1; row < PLAYERS; ++row) setPlayerGraphs(row);
  assignmentGraph->prepareMaximum();
  assignmentGraph->solve();
  for (int row = 0; row < PLAYERS; ++row) {
    playerTypes[row] = columnTypes[static_cast<std::size_t>(assignmentGraph->getAnswerRow(row))];
  }
}

void OurTypes::setPlayerGraphs(int row) {
  int weights[TYPES];
  for (int type = 0; type < TYPES; ++type)
    weights[type] = toGraphWeight(getPlayerWeight(row, type));
  for (std::size_t column = 0; column < columnTypes.size(); ++column) {
    assignmentGraph->setWeight(row, static_cast<int>(column), weights[columnTypes[column]]);
  }
}

void OurTypes::setSlots() {
  int slots = SLOTS_PER_TYPE;
  int defaultSlots = SLOTS_PER_TYPE;
  const ConfigGroup& params = worldModel->getPlayerParam();
  if (params.has(PT_MAX)) {
    if (const std::optional<int> ptMax = MessageFields::decimalInt(params[PT_MAX].asString())) {
      // Every player has the default type from the start: it takes the rest.
      slots = std::max(0, std::min(SLOTS_PER_TYPE, *ptMax));
      defaultSlots = PLAYERS;
    } else {
      LogStream& log = logger["MainLog"];
      if (log.isOutValid())
        log << "OurTypes: pt_max is no whole number, three players a type." << std::endl;
    }
  }
  setColumnTypes(defaultSlots, slots);
}

void OurTypes::setColumnTypes(int defaultSlots, int slots) {
  columnTypes.clear();
  for (int type = 0; type < TYPES; ++type)
    columnTypes.insert(columnTypes.end(), type == 0 ? defaultSlots : slots, type);
}

std::unique_ptr<ChangePlayerCommand> OurTypes::getChangeCommand(int uniNum) const {
  return std::make_unique<ChangePlayerCommand>(uniNum, getPlayerType(uniNum));
}

bool OurTypes::allTypesReceived() const {
  for (int t = 0; t < TYPES; ++t) {
    if (!worldModel->isPlayerTypeReceived(static_cast<unsigned int>(t))) return false;
  }
  return true;
}

int OurTypes::getStandardUniNum(int uniNum) {
  // Indexed by post number 2..11.
  static const int standardOfPost[] = {0, 0, 5, 3, 2, 4, 7, 8, 6, 9, 11, 10};
  TOVREN_CHECK_NAMED(uniNum >= 2 && uniNum <= 11, "0");
  return standardOfPost[Player::uniNumToPostNum(static_cast<unsigned int>(uniNum))];
}

float OurTypes::getParameterWeight(int row, int standardUniNum, int type) const {
  const Parameter& parameter = parameters[row];
  const float value =
      worldModel->getPlayerType(static_cast<unsigned int>(type))[parameter.serverKey].asFloat();
  const float threshold =
      row == PR_STAMINA_INC_MAX ? staminaThreshold(standardUniNum) : parameter.threshold;
  const bool above = parameter.thresholdAbove ? value >= threshold : value > threshold;
  const Scale& scale = above ? parameter.above : parameter.below;
  const float score =
      Basics::reRate(value, scale.inMin, scale.inMax, scale.outA, scale.outB, scale.mode);
  return score * rates[row][positionColumn(standardUniNum, row)];
}

float OurTypes::getPlayerWeight(int row, int type) const {
  if (row == FIXED_ROW) return type == 0 ? FIXED_ROW_WEIGHT : -FIXED_ROW_WEIGHT;
  const int s = getStandardUniNum(row + 1);
  // In the row order of the rates, which is the order of summation.
  const float weights[rateRows] = {
      getPlayerSpeedMaxWeight(s, type), getStaminaIncMaxWeight(s, type),
      getPlayerDecayWeight(s, type),    getInertiaMomentWeight(s, type),
      getDashPowerRateWeight(s, type),  getPlayerSizeWeight(s, type),
      getKickableMarginWeight(s, type), getKickRandWeight(s, type),
      getExtraStaminaWeight(s, type),   getEffortMaxWeight(s, type),
      getEffortMinWeight(s, type)};
  float sum = 0.0f;
  for (int p = 0; p < rateRows; ++p) sum += weights[p] * rates[p][0];
  return sum;
}

float OurTypes::getPlayerSpeedMaxWeight(int s, int type) const {
  return getParameterWeight(0, s, type);
}
float OurTypes::getStaminaIncMaxWeight(int s, int type) const {
  return getParameterWeight(1, s, type);
}
float OurTypes::getPlayerDecayWeight(int s, int type) const {
  return getParameterWeight(2, s, type);
}
float OurTypes::getInertiaMomentWeight(int s, int type) const {
  return getParameterWeight(3, s, type);
}
float OurTypes::getDashPowerRateWeight(int s, int type) const {
  return getParameterWeight(4, s, type);
}
float OurTypes::getPlayerSizeWeight(int s, int type) const {
  return getParameterWeight(5, s, type);
}
float OurTypes::getKickableMarginWeight(int s, int type) const {
  return getParameterWeight(6, s, type);
}
float OurTypes::getKickRandWeight(int s, int type) const { return getParameterWeight(7, s, type); }
float OurTypes::getExtraStaminaWeight(int s, int type) const {
  return getParameterWeight(8, s, type);
}
float OurTypes::getEffortMaxWeight(int s, int type) const { return getParameterWeight(9, s, type); }
float OurTypes::getEffortMinWeight(int s, int type) const {
  return getParameterWeight(10, s, type);
}

}  // namespace tovren
