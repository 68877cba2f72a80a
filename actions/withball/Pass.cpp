#include "actions/withball/Pass.h"

#include "connection/Command.h"
#include "foundation/Check.h"
#include "foundation/Config.h"
#include "geometry/Degree.h"
#include "worldmodel/Ball.h"
#include "worldmodel/Player.h"
#include "worldmodel/WorldModel.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <string>

namespace tovren {

namespace {

constexpr const char* PASS_FACTORS_PATH = "./Configs/PassFactors.conf";
constexpr const char* PASS_CONFIG = "Pass";
constexpr const char* GLOBAL_VARS = "GlobalVars";

// The groups of the file in row order, and the keys of a row in field order.
struct FactorRow {
  const char* group;
  PassFactor PassFactors::*row;
};
constexpr FactorRow FACTOR_ROWS[] = {
    {"PosDeviation", &PassFactors::posDeviation},
    {"Offense", &PassFactors::offense},
    {"SeeInformation", &PassFactors::seeInformation},
    {"BallDistance", &PassFactors::ballDistance},
    {"DashDistance", &PassFactors::dashDistance},
    {"BreakOffsideLine", &PassFactors::breakOffsideLine},
    {"PassedOppNum", &PassFactors::passedOppNum},
    {"StatusOppNum", &PassFactors::statusOppNum},
    {"SecurityDeltaCycle", &PassFactors::securityDeltaCycle},
    {"StatusOppDistance", &PassFactors::statusOppDistance},
    {"StatusOppDirection", &PassFactors::statusOppDirection},
    {"StatusShoot", &PassFactors::statusShoot},
    {"DribblePath", &PassFactors::dribblePath},
    {"DefenseLine", &PassFactors::defenseLine},
    {"ExtraCatch", &PassFactors::extraCatch},
};
static_assert(std::size(FACTOR_ROWS) * sizeof(PassFactor) == sizeof(PassFactors),
              "every row of PassFactors is read from the file");

struct FactorKey {
  const char* key;
  float PassFactor::*field;
};
constexpr FactorKey FACTOR_KEYS[] = {
    {"MinValue", &PassFactor::minValue},
    {"MaxValue", &PassFactor::maxValue},
    {"MinWeight", &PassFactor::minWeight},
    {"MaxWeight", &PassFactor::maxWeight},
};

// Crosses are valued only with the ball this far up the field.
constexpr float CROSS_MIN_BALL_X = 30.0f;

// The posts of the opponents' goal.
const Point UPPER_POST(52.5f, 7.0f);
const Point LOWER_POST(52.5f, -7.0f);

// Plan weights: passes to the forwards are sought, passes among the midfielders
// avoided; a back's long pass and a forward's pass back count only near the goal.
constexpr float PLAN_KEY_PASS = 85.0f;
constexpr float PLAN_SAFE_PASS = 60.0f;
constexpr float PLAN_AMONG_MIDFIELD = -75.0f;
constexpr float PLAN_WEAK_PASS = -15.0f;
constexpr float PLAN_FORWARD_BACK = -30.0f;
constexpr float PLAN_LONG_PASS_X = 35.0f;  // metres; beyond it a back's pass to a forward is weak
constexpr float PLAN_FORWARD_PASS_X = 37.5f;  // metres; beyond it a forward's pass is safe

bool isMidfielder(unsigned int uniNum) { return uniNum >= 6 && uniNum <= 9; }
bool isForward(unsigned int uniNum) { return uniNum == 10 || uniNum == 11; }

}  // namespace

CrossCalculate::~CrossCalculate() = default;

void CrossCalculate::init() { initEmpty(CROSSES_NUM); }

Pass::Pass(const WorldModel* worldModel, bool isVirtual)
    : AdvancedAction(worldModel), dribblePath(worldModel) {
  resetValues();
  loadPassFactors();
  if (!isVirtual) {
    crossCalculate = std::make_unique<CrossCalculate>();
    crossCalculate->init();
  }
}

Pass::~Pass() = default;

void Pass::setCurKickCalculate(const KickCalculate* kickCalculate) {
  // The value arrays have one entry per kick of the fan.
  TOVREN_CHECK(kickCalculate == nullptr || kickCalculate->getSimulatesNum() <= FAN_VALUES_NUM);
  curKickCalculate = kickCalculate;
}

void Pass::loadPassFactors() {
  config.add(PASS_CONFIG);
  ConfigFile& file = config[PASS_CONFIG];
  file.setByFile(PASS_FACTORS_PATH);

  // Every key is counted before any is read, so a short one is named as such.
  for (const FactorRow& row : FACTOR_ROWS) {
    for (const FactorKey& key : FACTOR_KEYS) {
      const ConfigValue& value = file[row.group][key.key];
      if (value.size() < static_cast<int>(PASS_KINDS_NUM)) {
        value.refuse("needs one number for each of the 4 pass kinds");
      }
    }
  }
  for (unsigned int kind = 0; kind < PASS_KINDS_NUM; ++kind) {
    for (const FactorRow& row : FACTOR_ROWS) {
      for (const FactorKey& key : FACTOR_KEYS) {
        passFactors[kind].*row.row.*key.field =
            file[row.group][key.key].readFloat(static_cast<int>(kind));
      }
    }
  }
}

void Pass::calculateGlobalVars() {
  const ConfigGroup& vars = config[PASS_CONFIG][GLOBAL_VARS];
  // Negative levels count as "not 0" like any other.
  logLevel = static_cast<unsigned int>(vars["LogLevel"].asInt());
  crossRate = vars["CrossRate"].readFloat();
  crossAlpha = vars["CrossAlpha"].readFloat();
  offenseRate = vars["OffenseRate"].readFloat();
  offenseAlpha = vars["OffenseAlpha"].readFloat();
  secureBallRate = vars["SecureBallRate"].readFloat();
  secureBallAlpha = vars["SecureBallAlpha"].readFloat();
  breakOffsideRate = vars["BreakOffsideRate"].readFloat();
  breakOffsideAlpha = vars["BreakOffsideAlpha"].readFloat();
  if (worldModel->getBall().getPos().getX() < CROSS_MIN_BALL_X) crossRate = 0.0f;
}

void Pass::resetValues() {
  std::fill(std::begin(offenseValues), std::end(offenseValues), AD_MIN_VALUE);
  std::fill(std::begin(secureBallValues), std::end(secureBallValues), AD_MIN_VALUE);
  std::fill(std::begin(breakOffsideValues), std::end(breakOffsideValues), AD_MIN_VALUE);
  std::fill(std::begin(crossValues), std::end(crossValues), AD_MIN_VALUE);
}

float Pass::getPlanWeight(unsigned int kickerUniNum, unsigned int receiverUniNum,
                          const Point& firstBallPos) {
  const unsigned int k = kickerUniNum;
  const unsigned int r = receiverUniNum;
  const bool longPass = firstBallPos.x > PLAN_LONG_PASS_X;

  if (k == 5 || isMidfielder(k)) {
    if (isMidfielder(k) && r == 5) return PLAN_WEAK_PASS;
    if (isMidfielder(r)) return PLAN_AMONG_MIDFIELD;
    if (isForward(r)) return PLAN_KEY_PASS;
    if (r <= 4) return PLAN_SAFE_PASS;
    return 0.0f;
  }
  if (k == 2) {
    if (r == 10) return longPass ? PLAN_WEAK_PASS : PLAN_KEY_PASS;
    if (r == 3 || r == 4) return PLAN_SAFE_PASS;
    return 0.0f;
  }
  if (k == 4) {
    if (r == 11) return longPass ? PLAN_WEAK_PASS : PLAN_KEY_PASS;
    if (r == 2 || r == 3) return PLAN_SAFE_PASS;
    return 0.0f;
  }
  if (k == 3) {
    if (r == 2 || r == 4) return PLAN_SAFE_PASS;
    if (isForward(r)) return longPass ? PLAN_WEAK_PASS : PLAN_SAFE_PASS;
    return 0.0f;
  }
  if (isForward(k)) {
    return firstBallPos.x > PLAN_FORWARD_PASS_X ? PLAN_SAFE_PASS : PLAN_FORWARD_BACK;
  }
  return 0.0f;
}

float Pass::getShootDirValue(const Point& point, const WorldModel* worldModel) {
  Vector toUpper;
  toUpper.setByPoints(point, UPPER_POST);
  Vector toLower;
  toLower.setByPoints(point, LOWER_POST);
  const float wholeAngle =
      std::fabs(Degree::getDeltaAngle(toLower.getDirection(), toUpper.getDirection()));

  const Player* goalie = worldModel->getOppGoalie();
  if (goalie == nullptr) return wholeAngle;
  Vector toGoalie;
  toGoalie.setByPoints(point, goalie->getPos());
  const float a = Degree::getDeltaAngle(toGoalie.getDirection(), toUpper.getDirection());
  const float b = Degree::getDeltaAngle(toGoalie.getDirection(), toLower.getDirection());
  // He stands between the posts when the posts lie on either side of him within the
  // goal's own angle; on either side but together beyond 180 degrees he is behind the point.
  const bool onOneSide = (a > 0.0f && b > 0.0f) || (a < 0.0f && b < 0.0f);
  if (onOneSide || std::fabs(a) + std::fabs(b) > 180.0f) return wholeAngle;
  return std::max(std::fabs(a), std::fabs(b));
}

}  // namespace tovren
