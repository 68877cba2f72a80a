#include "actions/withball/Pass.h"

#include "actions/basic/BasicKick.h"
#include "connection/Command.h"
#include "decisions/SayDecisionFlags.h"
#include "foundation/Check.h"
#include "foundation/Config.h"
#include "foundation/Logger.h"
#include "geometry/Degree.h"
#include "worldmodel/Ball.h"
#include "worldmodel/Body.h"
#include "worldmodel/InterceptCalculate.h"
#include "worldmodel/Player.h"
#include "worldmodel/WorldModel.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <ostream>
#include <string>

namespace tovren {

namespace {

constexpr const char* PASS_FACTORS_PATH = "./Configs/PassFactors.conf";
constexpr const char* PASS_CONFIG = "Pass";
constexpr const char* GLOBAL_VARS = "GlobalVars";
constexpr const char* LOG_LEVEL = "LogLevel";
constexpr const char* GLOBAL_RATES[] = {"CrossRate",        "CrossAlpha",       "OffenseRate",
                                        "OffenseAlpha",     "SecureBallRate",   "SecureBallAlpha",
                                        "BreakOffsideRate", "BreakOffsideAlpha"};

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

// Our kick-off: a full-power kick sideways and back, to number 10 in even cycles and to
// number 11 in odd ones.
constexpr float KICK_OFF_POWER = 100.0f;
constexpr float KICK_OFF_DIR = 115.0f;  // degrees from the body
constexpr unsigned int KICK_OFF_EVEN_RECEIVER = 10;
constexpr unsigned int KICK_OFF_ODD_RECEIVER = 11;
constexpr float KICK_OFF_VALUE = 10.0f;

// A teammate's suggestion is trusted this much less than the pass's own choice.
constexpr float SUGGESTION_DISCOUNT = 6.0f;
// A suggestion naming receiver 0 means a teammate seen without his number.
constexpr unsigned int UNKNOWN_RECEIVER = 0;

// Crosses aim from the kicker at a point in front of the opponents' goal.
const Point CROSS_TARGET(45.0f, 0.0f);
constexpr FanSessionTuning CROSS_TUNING = {
    0, 1, -0.3f, 0.0f, 100.0f, 0.0f, 1, 0.5f, 10.0f, 100.0f, 60.0f, 100.0f, 1, 1,
};

const char* const PASS_MODEL_WORDS[] = {"Cross",        "Cross special", "Offense", "SecureBall",
                                        "BreakOffside", "Suggested",     "KickOff"};

bool isMidfielder(unsigned int uniNum) { return uniNum >= 6 && uniNum <= 9; }
bool isForward(unsigned int uniNum) { return uniNum == 10 || uniNum == 11; }

}  // namespace

std::unique_ptr<InterceptCalculate> startFanSession(const WorldModel* worldModel,
                                                    const Player& kicker,
                                                    const FanSessionTuning& tuning) {
  auto session = std::make_unique<InterceptCalculate>();
  session->startSession(1, &kicker, nullptr);
  session->setShareCycles(tuning.shareCycles);
  session->setKickerSeeBallDelay(tuning.kickerSeeBallDelay);
  session->setTmmPosDevRate(tuning.tmmPosDevRate);
  session->setTmmSlowDashPower(tuning.tmmSlowDashPower);
  session->setTmmFastDashPower(tuning.tmmFastDashPower);
  session->setTmmDirectDashPower(tuning.tmmDirectDashPower);
  session->setTmmSeeBallDelay(tuning.tmmSeeBallDelay);
  session->setOppPosDevRate(tuning.oppPosDevRate);
  session->setOppSlowDashPower(tuning.oppSlowDashPower);
  session->setOppFastDashPower(tuning.oppFastDashPower);
  session->setOppDirectDashPower(tuning.oppDirectDashPower);
  session->setOppGoalieDirectDashPower(tuning.oppGoalieDirectDashPower);
  session->setOppSeeBallDelay(tuning.oppSeeBallDelay);
  session->setOppGoalieSeeBallDelay(tuning.oppGoalieSeeBallDelay);
  session->updateByWorldModel(worldModel, false, false, false);
  return session;
}

CrossCalculate::~CrossCalculate() = default;

void CrossCalculate::init() { initEmpty(CROSSES_NUM); }

float CrossCalculate::getCrossDir(const Point& kickerPos, unsigned int i) {
  Vector toTarget;
  toTarget.setByPoints(kickerPos, CROSS_TARGET);
  const float offset = (static_cast<float>(i) - static_cast<float>(CROSS_MIDDLE)) * CROSS_DIR_STEP;
  return Degree::normalizeAngle(toTarget.getDirection() + offset);
}

void CrossCalculate::update(const WorldModel* worldModel) {
  LogStream& log = logger["MainLog"];
  if (log.isOutValid()) log << "CrossCalculate::update" << std::endl;
  updateTime = worldModel->getCurTime();

  const Body& body = worldModel->getBody();
  const std::unique_ptr<InterceptCalculate> session =
      startFanSession(worldModel, body, CROSS_TUNING);
  for (unsigned int i = 0; i < simulatesNum; ++i) {
    // The kick is predicted whether or not the skill thinks it possible; the entry keeps
    // a copy of its command and the skill frees its own.
    const FastKickToDir kick(getCrossDir(body.getPos(), i), worldModel->getBall(), body);
    setSimulate(i).init(worldModel, commandAs<KickCommand>(kick.getCommand()), *session);
  }
}

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

float Pass::getValue() {
  LogStream& log = logger["MainLog"];
  if (log.isOutValid()) log << "Pass::getValue" << std::endl;
  kickCommand.reset();
  if (worldModel->getPlayMode() == PM_OUR_KICK_OFF) return chooseKickOffPass();

  readGlobalVars();
  if (crossRate != 0.0f && crossCalculate != nullptr) crossCalculate->update(worldModel);
  choosePass();
  if (acceptSuggestion()) return passValue;
  const float value = takeFanChoice();
  if (passInterCalc != nullptr) {
    // A chosen simulation passed the valuing, so it was valid and has its kick.
    const KickCommand* kick = passInterCalc->getKickCommand();
    TOVREN_CHECK(kick != nullptr);
    kickCommand = std::make_unique<KickCommand>(kick->getPower(), kick->getDirection());
  }
  return value;
}

float Pass::chooseKickOffPass() {
  LogStream& log = logger["MainLog"];
  if (log.isOutValid()) log << "Pass: Our kick off mode." << std::endl;
  const bool even = worldModel->getCurTime() % 2 == 0;
  kickCommand = std::make_unique<KickCommand>(KICK_OFF_POWER, even ? KICK_OFF_DIR : -KICK_OFF_DIR);
  const unsigned int receiver = even ? KICK_OFF_EVEN_RECEIVER : KICK_OFF_ODD_RECEIVER;
  passPlayer = &worldModel->getFullPlayer(TID_TEAMMATE, receiver - 1);
  passInterCalc = nullptr;
  passModel = PM_KICK_OFF;
  passValue = KICK_OFF_VALUE;
  return passValue;
}

void Pass::readGlobalVars() {
  if (logLevel != 0) loadPassFactors();
  calculateGlobalVars();
}

void Pass::choosePass() {
  resetValues();
  fillValues();
  fillMaxValues();
  passValue = getTheBestPass(passInterCalc);
}

float Pass::takeFanChoice() {
  if (passInterCalc == nullptr) {
    passPlayer = nullptr;
    return AD_MIN_VALUE;
  }
  passPlayer = passInterCalc->getFastestTmmInterPlayer().getPlayer();
  return passValue;
}

bool Pass::acceptSuggestion() {
  if (worldModel->getHearedSuggestPassTime() != worldModel->getCurTime()) return false;
  const unsigned int receiver = worldModel->getHearedSuggestPassNum();
  const float weight = worldModel->getHearedSuggestPassWeight();
  const float speed = worldModel->getHearedSuggestPassSpeed();
  const float dir = worldModel->getHearedSuggestPassDir();
  LogStream& log = logger["MainLog"];
  if (log.isOutValid()) {
    log << "Suggested pass:" << std::endl
        << "\tPlayer: " << receiver << std::endl
        << "\tWeight: " << weight << std::endl
        << "\tSpeed: " << speed << std::endl
        << "\tDir: " << dir << std::endl;
  }
  // The number was heard from the network: only a teammate's is believed.
  if (receiver > WorldModel::FULL_PLAYERS_NUM) {
    if (log.isOutValid()) log << "Suggested pass refused: no such receiver." << std::endl;
    return false;
  }
  if (!(weight - SUGGESTION_DISCOUNT > passValue)) {
    if (log.isOutValid()) log << "Suggested pass refused: less weight." << std::endl;
    return false;
  }
  KickToDirectionVelocity kick(dir, speed, worldModel->getBall(), worldModel->getBody(), 0.0f);
  if (!kick.isPossible()) {
    if (log.isOutValid()) log << "Suggested pass refused: kick is not possible." << std::endl;
    return false;
  }
  if (log.isOutValid()) log << "Suggested pass accepted." << std::endl;
  passModel = PM_SUGGESTED;
  passValue = weight - SUGGESTION_DISCOUNT;
  kickCommand = kick.takeCommand();
  passPlayer = receiver == UNKNOWN_RECEIVER
                   ? &worldModel->getHalfPlayer(TID_TEAMMATE, 0)
                   : &worldModel->getFullPlayer(TID_TEAMMATE, receiver - 1);
  return true;
}

void Pass::execute(SayDecisionFlags& sayFlags) {
  LogStream& log = logger["MainLog"];
  if (log.isOutValid()) log << "Pass::execute" << std::endl;
  sayFlags.sayInterceptNum = 0;
  sayFlags.beforePass = true;
  if (passPlayer == nullptr) {
    if (log.isOutValid())
      log << "*** There is nobody to pass and Pass is executed ***" << std::endl;
  } else {
    const bool full = passPlayer->getModel() == PLM_FULL;
    if (full) sayFlags.sayInterceptNum = passPlayer->getUniNum();
    if (log.isOutValid()) {
      log << PASS_MODEL_WORDS[passModel] << " pass to player: ";
      if (full) {
        log << passPlayer->getUniNum() << std::endl;
      } else {
        log << "<HalfPlayer>" << std::endl;
      }
    }
  }

  if (kickCommand != nullptr) {
    publish(kickCommand.get());
  } else {
    command = std::make_unique<EmptyCommand>();
  }

  if (logLevel > 3) {
    // Only for the log: the session's own lines show who would reach the published kick.
    Ball kicked = worldModel->getBall();
    kicked.simulateByAction(worldModel->getBody(), command.get(), false);
    auto session = std::make_unique<InterceptCalculate>();
    session->startSession(1, &worldModel->getBody(), nullptr);
    session->setLogging(true);
    session->updateByWorldModel(worldModel, false, false, false);
    session->setVirtualBall(kicked);
    session->run();
  }
}

void Pass::fillValues() {
  const PassFactors* factors[PASS_KINDS_NUM];
  float* values[PASS_KINDS_NUM];
  unsigned int count = 0;
  LogStream& log = logger["MainLog"];
  const bool logKinds = logLevel != 0 && log.isOutValid();
  if (logKinds) log << "Pass weights sequence:";
  const std::array<KindSlots, PASS_KINDS_NUM> kinds = kindSlots();
  for (const KindSlots& kind : kinds) {
    if (*kind.rate == 0.0f) continue;
    factors[count] = &passFactors[kind.kind];
    values[count] = kind.values;
    ++count;
    if (logKinds) log << " " << kind.name;
  }
  if (logKinds) log << std::endl;

  if (curKickCalculate != nullptr) {
    fillPassValuesByFactors(*curKickCalculate, factors, values, count);
  }
  if (crossRate != 0.0f && crossCalculate != nullptr) {
    fillOtherCrossValuesByFactors(*crossCalculate, passFactors[PK_CROSS], crossValues);
  }
}

void Pass::fillMaxValues() {
  LogStream& log = logger["MainLog"];
  if (log.isOutValid()) log << "Max Values:";
  // The first of equal maxima wins; an active kind always ends with an index.
  const std::array<KindSlots, PASS_KINDS_NUM> kinds = kindSlotsByChoice();
  for (const KindSlots& kind : kinds) {
    *kind.maxIndex = NO_INDEX;
    if (*kind.rate == 0.0f) {
      if (log.isOutValid()) log << "\t" << AD_MIN_VALUE;
      continue;
    }
    unsigned int best = 0;
    for (unsigned int i = 1; i < kind.count; ++i) {
      if (kind.values[i] > kind.values[best]) best = i;
    }
    *kind.maxIndex = best;
    if (log.isOutValid()) log << "\t" << kind.values[best];
  }
  if (log.isOutValid()) log << std::endl;
}

float Pass::getTheBestPass(const KickInterceptCalculate*& chosen) {
  LogStream& log = logger["MainLog"];
  if (log.isOutValid()) log << "Max Weights:";
  float best = AD_MIN_VALUE;
  const std::array<KindSlots, PASS_KINDS_NUM> kinds = kindSlotsByChoice();
  const KindSlots* winner = nullptr;
  for (const KindSlots& kind : kinds) {
    float weighted = AD_MIN_VALUE;
    if (*kind.rate != 0.0f && *kind.maxIndex < kind.count &&
        kind.values[*kind.maxIndex] != AD_MIN_VALUE) {
      weighted = kind.values[*kind.maxIndex] * *kind.rate + *kind.alpha;
    }
    if (log.isOutValid()) log << "\t" << weighted;
    // The earlier kind wins a tie; the first is taken even when it has no pass.
    if (winner == nullptr || weighted > best) {
      best = weighted;
      winner = &kind;
    }
  }
  if (log.isOutValid()) log << std::endl;

  chosen = nullptr;
  if (best == AD_MIN_VALUE) return AD_MIN_VALUE;
  const unsigned int index = *winner->maxIndex;
  passModel = winner->model;
  if (winner->kind != PK_CROSS) {
    chosen = &curKickCalculate->getSimulate(index);
  } else if (index < FAN_VALUES_NUM) {
    if (log.isOutValid()) log << "Cross pass executed." << std::endl;
    chosen = &curKickCalculate->getSimulate(index);
  } else {
    if (log.isOutValid()) log << "Cross special pass executed." << std::endl;
    chosen = &crossCalculate->getSimulate(index - FAN_VALUES_NUM);
  }
  return best;
}

std::array<Pass::KindSlots, PASS_KINDS_NUM> Pass::kindSlots() {
  return {{
      {PK_CROSS, PM_CROSS, "Cross", &crossRate, &crossAlpha, crossValues, CROSS_VALUES_NUM,
       &crossMaxIndex},
      {PK_OFFENSE, PM_OFFENSE, "Offense", &offenseRate, &offenseAlpha, offenseValues,
       FAN_VALUES_NUM, &offenseMaxIndex},
      {PK_SECURE_BALL, PM_SECURE_BALL, "SecureBall", &secureBallRate, &secureBallAlpha,
       secureBallValues, FAN_VALUES_NUM, &secureBallMaxIndex},
      {PK_BREAK_OFFSIDE, PM_BREAK_OFFSIDE, "BreakOffside", &breakOffsideRate, &breakOffsideAlpha,
       breakOffsideValues, FAN_VALUES_NUM, &breakOffsideMaxIndex},
  }};
}

std::array<Pass::KindSlots, PASS_KINDS_NUM> Pass::kindSlotsByChoice() {
  const std::array<KindSlots, PASS_KINDS_NUM> byKind = kindSlots();
  return {{byKind[PK_OFFENSE], byKind[PK_SECURE_BALL], byKind[PK_BREAK_OFFSIDE], byKind[PK_CROSS]}};
}

void Pass::setCurKickCalculate(const KickCalculate* kickCalculate) {
  // The value arrays have one entry per kick of the fan.
  TOVREN_CHECK(kickCalculate == nullptr || kickCalculate->getSimulatesNum() <= FAN_VALUES_NUM);
  curKickCalculate = kickCalculate;
}

void Pass::loadPassFactors() {
  config.add(PASS_CONFIG);
  ConfigFile& file = config[PASS_CONFIG];
  file.setByFile(PASS_FACTORS_PATH);

  // Every key is there and of its kind before any is used, so each valuing may read them.
  file.need(GLOBAL_VARS, LOG_LEVEL).readInt();
  for (const char* key : GLOBAL_RATES) file.need(GLOBAL_VARS, key).readFloat();
  // Every key is counted before any is read, so a short one is named as such.
  for (const FactorRow& row : FACTOR_ROWS) {
    for (const FactorKey& key : FACTOR_KEYS) {
      const ConfigValue& value = file.need(row.group, key.key);
      if (value.size() < static_cast<int>(PASS_KINDS_NUM)) {
        value.refuse("needs one number for each of the 4 pass kinds");
      }
    }
  }
  for (unsigned int kind = 0; kind < PASS_KINDS_NUM; ++kind) {
    for (const FactorRow& row : FACTOR_ROWS) {
      for (const FactorKey& key : FACTOR_KEYS) {
        passFactors[kind].*row.row.*key.field =
            file.need(row.group, key.key).readFloat(static_cast<int>(kind));
      }
    }
  }
}

void Pass::calculateGlobalVars() {
  const ConfigFile& file = config[PASS_CONFIG];
  const auto rate = [&file](const char* key) { return file.need(GLOBAL_VARS, key).readFloat(); };
  // Negative levels count as "not 0" like any other.
  logLevel = static_cast<unsigned int>(file.need(GLOBAL_VARS, LOG_LEVEL).readInt());
  crossRate = rate("CrossRate");
  crossAlpha = rate("CrossAlpha");
  offenseRate = rate("OffenseRate");
  offenseAlpha = rate("OffenseAlpha");
  secureBallRate = rate("SecureBallRate");
  secureBallAlpha = rate("SecureBallAlpha");
  breakOffsideRate = rate("BreakOffsideRate");
  breakOffsideAlpha = rate("BreakOffsideAlpha");
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
