// The valuing of pass candidates: which simulated kicks count as passes, and the sum of
// criterion weights each gets per pass kind.

#include "actions/withball/Pass.h"

#include "connection/Command.h"
#include "foundation/Basics.h"
#include "foundation/Check.h"
#include "foundation/Logger.h"
#include "worldmodel/Ball.h"
#include "worldmodel/KickCalculate.h"
#include "worldmodel/Player.h"
#include "worldmodel/WorldModel.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <ostream>

namespace tovren {

namespace {

// Log levels of the valuing's trace: every skipped kick, every criterion, every summary.
constexpr unsigned int LOG_SKIPS = 3;
constexpr unsigned int LOG_CRITERIA = 2;
constexpr unsigned int LOG_SUMMARY = 1;

// The gate: the first ball may be no faster than the receiver's cycles to it allow,
// the ball must travel a little, and the receiver must have stamina left to run.
constexpr float GATE_MIN_CYCLES = 1.0f;
constexpr float GATE_MAX_CYCLES = 4.0f;
constexpr float GATE_MIN_SPEED = 1.0f;  // metres per cycle
constexpr float GATE_MAX_SPEED = 2.7f;
constexpr float GATE_MIN_BALL_DIST = 2.0f;  // metres
constexpr float GATE_MIN_STAMINA = 2000.0f;

// The nearest opponent's distance counts from a little beyond his reach.
constexpr float OPP_DIST_OFFSET = 2.1f;  // metres
// Shooting from beyond this distance loses this much of the open angle per metre; the
// distance is taken to a point beside the goal's centre, the same on both wings.
constexpr float SHOOT_FREE_DIST = 10.0f;  // metres
constexpr float SHOOT_DIST_COST = 1.15f;  // degrees per metre
const Point SHOOT_POINT(52.5f, 4.0f);
// Looking long ago in the kick's direction costs more than linearly.
constexpr float SEE_SQUARE_FACTOR = 0.333f;
constexpr float SEE_NEIGHBOUR_WEIGHT = 0.3f;
// A cross receiver this near the offside line is still onside when the ball arrives.
constexpr float CROSS_OFFSIDE_MARGIN = 2.0f;  // metres

const char* const NEW_KICK = "New kick: ballVel: ";
const char* const NEW_CROSS_KICK = "New cross kick: ballVel: ";

// The criteria that give a weight, in the order of their computation and trace.
enum Criterion {
  CR_OFFENSE,
  CR_STATUS_OPP_NUM,
  CR_STATUS_OPP_DIST,
  CR_STATUS_OPP_DIR,
  CR_BREAK_OFFSIDE,
  CR_PASSED_OPP_NUM,
  CR_STATUS_SHOOT,
  CR_POS_DEVIATION,
  CR_BALL_DIST,
  CR_DASH_DIST,
  CR_SECURITY_DELTA_CYCLE,
  CR_SEE_INFORMATION,
  CR_DEFENSE_LINE,
  CR_EXTRA_CATCH,
  CRITERIA_NUM
};

struct CriterionRow {
  PassFactor PassFactors::*row;
  ReRateMode mode;
  const char* valueLabel;
  const char* weightLabel;  // null: traced with the next criterion's
};
constexpr CriterionRow CRITERIA[CRITERIA_NUM] = {
    {&PassFactors::offense, RRM_DIRECT, "offenseValue: ", "offenseWeight:"},
    {&PassFactors::statusOppNum, RRM_INVERSE, "statusOppNumValue: ", "statusOppNumWeight:"},
    {&PassFactors::statusOppDistance, RRM_DIRECT, "statusOppDistValue: ", nullptr},
    {&PassFactors::statusOppDirection, RRM_DIRECT,
     "statusOppDirValue: ", "statusOpp(Dist,Dir)Weight:"},
    {&PassFactors::breakOffsideLine, RRM_DIRECT, "breakOffsideValue: ", "breakOffsideWeight:"},
    {&PassFactors::passedOppNum, RRM_DIRECT, "passedOppNumValue: ", "passedOppNumWeight:"},
    {&PassFactors::statusShoot, RRM_DIRECT, "statusShootValue: ", "statusShootWeight:"},
    {&PassFactors::posDeviation, RRM_INVERSE, "posDevValue: ", "posDevWeight:"},
    {&PassFactors::ballDistance, RRM_INVERSE, "ballDistValue: ", "ballDistWeight:"},
    {&PassFactors::dashDistance, RRM_INVERSE, "dashDistValue: ", "dashDistWeight:"},
    {&PassFactors::securityDeltaCycle, RRM_INVERSE,
     "securityDeltaCycleValue: ", "securityDeltaCycleWeight:"},
    {&PassFactors::seeInformation, RRM_INVERSE, "SeeInfoValue: ", "SeeInfoWeight:"},
    {&PassFactors::defenseLine, RRM_DIRECT, "defenseLineValue: ", "defenseLineWeight:"},
    {&PassFactors::extraCatch, RRM_DIRECT, "extraCatchValue: ", "extraCatchWeight:"},
};

float weigh(const CriterionRow& criterion, const PassFactors& factors, float raw) {
  const PassFactor& f = factors.*criterion.row;
  return Basics::reRate(raw, f.minValue, f.maxValue, f.minWeight, f.maxWeight, criterion.mode);
}

bool logsAt(unsigned int logLevel, unsigned int level, const LogStream& log) {
  return logLevel >= level && log.isOutValid();
}

// The first ball's velocity as the trace shows it: (magnitude, direction).
Point speedAndDir(const Ball& ball) {
  return Point(ball.getVel().getMagnitude(), ball.getVel().getDirection());
}

}  // namespace

void Pass::fillPassValuesByFactors(const KickCalculate& kicks, const PassFactors** factors,
                                   float** values, unsigned int n) {
  TOVREN_CHECK(kicks.getSimulatesNum() <= FAN_VALUES_NUM && n <= PASS_KINDS_NUM);
  LogStream& log = logger["MainLog"];
  const bool logSkips = logsAt(logLevel, LOG_SKIPS, log);
  for (unsigned int i = 0; i < kicks.getSimulatesNum(); ++i) {
    const KickInterceptCalculate& sim = kicks.getSimulate(i);
    if (logSkips) log << NEW_KICK << speedAndDir(sim.getFirstBall()) << std::endl;
    if (!sim.isValid()) {
      if (logSkips) log << "\tBREAK: is not valid." << std::endl;
      continue;
    }
    if (!sim.existFastestPlayer()) {
      if (logSkips) log << "\tBREAK: no fastest." << std::endl;
      continue;
    }
    if (!sim.existFastestTmmPlayer()) {
      if (logSkips) {
        const Player* fastest = sim.getFastestPlayer();
        log << "\tBREAK: opp fastest: " << fastest->getTeamId() << " " << fastest->getUniNum()
            << std::endl;
      }
      continue;
    }
    const KickInterceptPlayer& receiver = sim.getFastestTmmInterPlayer();
    const Player* player = receiver.getPlayer();
    if (logsAt(logLevel, LOG_CRITERIA, log)) {
      log << "CheckPlayer: " << player->getTeamId() << " " << player->getUniNum() << std::endl;
    }
    if (player == sim.getKickPlayer()) {
      if (logSkips) log << "\tBREAK: is kickPlayer." << std::endl;
      continue;
    }
    if (player->isGoalie()) {
      if (logSkips) log << "\tBREAK: is goalie." << std::endl;
      continue;
    }
    if (!receiver.isExtraCatched()) {
      if (logSkips) log << "\tBREAK: not extra catched." << std::endl;
      continue;
    }
    float* out[PASS_KINDS_NUM];
    for (unsigned int u = 0; u < n; ++u) out[u] = values[u] + i;
    fillOnePassValuesByFactors(sim, factors, out, n);
  }
}

void Pass::fillOtherCrossValuesByFactors(const CrossCalculate& crosses,
                                         const PassFactors& crossFactors, float* crossValues) {
  TOVREN_CHECK(crosses.getSimulatesNum() <= CrossCalculate::CROSSES_NUM);
  LogStream& log = logger["MainLog"];
  const bool logSkips = logsAt(logLevel, LOG_SKIPS, log);
  if (logsAt(logLevel, LOG_SUMMARY, log)) log << "Cross Special Values:" << std::endl;
  const PassFactors* factors[] = {&crossFactors};
  const float offsideLine = worldModel->getOppOffsideLine(true) - CROSS_OFFSIDE_MARGIN;
  for (unsigned int i = 0; i < crosses.getSimulatesNum(); ++i) {
    const KickInterceptCalculate& sim = crosses.getSimulate(i);
    if (logSkips) log << NEW_CROSS_KICK << speedAndDir(sim.getFirstBall()) << std::endl;
    if (!sim.isValid()) {
      if (logSkips) log << "\tBREAK: is not valid." << std::endl;
      continue;
    }
    if (!sim.existFastestTmmPlayer()) {
      if (logSkips) log << "\tBREAK: no fastest." << std::endl;
      continue;
    }
    const Player* player = sim.getFastestTmmInterPlayer().getPlayer();
    if (logsAt(logLevel, LOG_CRITERIA, log)) {
      log << "CheckPlayer: " << player->getTeamId() << " " << player->getUniNum() << std::endl;
    }
    // A cross may be valued even when an opponent reaches it first.
    if (player->isBody() || player->isGoalie() || player->getPos().getX() > offsideLine) continue;
    float* out[] = {crossValues + FAN_VALUES_NUM + i};
    fillOnePassValuesByFactors(sim, factors, out, 1);
  }
}

void Pass::fillOnePassValuesByFactors(const KickInterceptCalculate& sim,
                                      const PassFactors** factors, float** out, unsigned int n) {
  const KickInterceptPlayer& receiver = sim.getFastestTmmInterPlayer();
  const Player& player = *receiver.getPlayer();
  const KickInterceptPlayer& fastest = sim.getFastestInterPlayer();
  const Point interPoint = receiver.getInterPoint();
  const Ball& firstBall = sim.getFirstBall();
  const Point ballPos = firstBall.getPos();
  const float ballDist = ballPos.getDistance(interPoint);
  LogStream& log = logger["MainLog"];
  const bool logCriteria = logsAt(logLevel, LOG_CRITERIA, log);
  const bool logSummary = logsAt(logLevel, LOG_SUMMARY, log);

  const float maxSpeed =
      Basics::reRate(static_cast<float>(receiver.getInterTime()), GATE_MIN_CYCLES, GATE_MAX_CYCLES,
                     GATE_MIN_SPEED, GATE_MAX_SPEED, RRM_DIRECT);
  const bool passesGate = firstBall.getVel().getMagnitude() <= maxSpeed &&
                          WorldModel::getOutDistance(interPoint) <= 0.0f &&
                          ballDist >= GATE_MIN_BALL_DIST && player.getStamina() >= GATE_MIN_STAMINA;
  if (logCriteria) {
    const KickCommand* kick = sim.getKickCommand();
    log << "New pass Player: " << player.getUniNum() << " - interPoint: " << interPoint
        << " - ballVel: " << speedAndDir(firstBall) << " ----------------" << std::endl
        << "command: " << (kick != nullptr ? kick->toString() : std::string()) << std::endl
        << "quantomicWeight: " << passesGate << std::endl;
  }
  if (!passesGate) {
    for (unsigned int u = 0; u < n; ++u) *out[u] = AD_MIN_VALUE;
    if (logSummary) {
      log << "P" << player.getUniNum() << "\tPoint: " << interPoint << "\t\tweights:";
      for (unsigned int u = 0; u < n; ++u) log << " " << AD_MIN_VALUE;
      log << std::endl;
    }
    return;
  }

  const float shootDir = getShootDirValue(interPoint, worldModel);
  const float shootDist = interPoint.getDistance(SHOOT_POINT);
  const float seeDelta =
      worldModel->getSeeDeltaCycle(firstBall.getVel().getDirection(), SEE_NEIGHBOUR_WEIGHT);
  const float posDeviation = player.getPosDeviation();
  const unsigned int kickerNum =
      sim.getKickPlayer() != nullptr ? sim.getKickPlayer()->getUniNum() : 0;

  float raw[CRITERIA_NUM];
  raw[CR_OFFENSE] = interPoint.x - ballPos.x;
  raw[CR_STATUS_OPP_NUM] = static_cast<float>(sim.getOppCheckedPlayersNum());
  raw[CR_STATUS_OPP_DIST] = sim.getNearestOppToFastestDist() + OPP_DIST_OFFSET;
  raw[CR_STATUS_OPP_DIR] = sim.getNearestOppToFastestDir();
  raw[CR_BREAK_OFFSIDE] = interPoint.x - worldModel->getOppOffsideLine(true);
  raw[CR_PASSED_OPP_NUM] = static_cast<float>(sim.getPassedOppPlayers());
  raw[CR_STATUS_SHOOT] = shootDir - SHOOT_DIST_COST * std::max(shootDist - SHOOT_FREE_DIST, 0.0f);
  raw[CR_POS_DEVIATION] = posDeviation * posDeviation;
  raw[CR_BALL_DIST] = ballDist;
  raw[CR_DASH_DIST] = receiver.getDashDist();
  raw[CR_SECURITY_DELTA_CYCLE] =
      static_cast<float>(receiver.getInterTime()) - static_cast<float>(fastest.getInterTime());
  raw[CR_SEE_INFORMATION] = SEE_SQUARE_FACTOR * seeDelta * seeDelta + seeDelta;
  raw[CR_DEFENSE_LINE] = interPoint.x - worldModel->getTmmDefenseLine();
  raw[CR_EXTRA_CATCH] = 0.0f;
  const float planWeight = getPlanWeight(kickerNum, player.getUniNum(), ballPos);

  float weights[PASS_KINDS_NUM][CRITERIA_NUM];
  for (unsigned int u = 0; u < n; ++u) {
    for (unsigned int c = 0; c < CRITERIA_NUM; ++c)
      weights[u][c] = weigh(CRITERIA[c], *factors[u], raw[c]);
    const float* w = weights[u];
    // The shooting chance counts twice.
    *out[u] = w[CR_OFFENSE] + w[CR_STATUS_SHOOT] + w[CR_STATUS_OPP_NUM] + w[CR_STATUS_OPP_DIST] +
              w[CR_STATUS_OPP_DIR] + w[CR_BREAK_OFFSIDE] + w[CR_PASSED_OPP_NUM] +
              w[CR_STATUS_SHOOT] + w[CR_BALL_DIST] + w[CR_DASH_DIST] + w[CR_POS_DEVIATION] +
              w[CR_SEE_INFORMATION] + w[CR_SECURITY_DELTA_CYCLE] + w[CR_DEFENSE_LINE] +
              w[CR_EXTRA_CATCH] + planWeight;
  }

  if (logCriteria) {
    for (unsigned int c = 0; c < CRITERIA_NUM; ++c) {
      if (c == CR_STATUS_SHOOT) {
        log << "statusShootDir: " << shootDir << std::endl
            << "statusShootDist: " << shootDist << std::endl;
      } else if (c == CR_SECURITY_DELTA_CYCLE) {
        log << "TarPlyGTBTime: " << receiver.getInterTime() << std::endl
            << "FastestGTBTime: " << fastest.getInterTime() << std::endl;
      } else if (c == CR_SEE_INFORMATION) {
        log << "AvgSeenBefore: " << seeDelta << std::endl;
      }
      log << CRITERIA[c].valueLabel << raw[c] << std::endl;
      if (CRITERIA[c].weightLabel == nullptr) continue;
      log << CRITERIA[c].weightLabel;
      for (unsigned int u = 0; u < n; ++u) {
        if (c == CR_STATUS_OPP_DIR) {
          log << " " << Point(weights[u][CR_STATUS_OPP_DIST], weights[u][c]);
        } else {
          log << " " << weights[u][c];
        }
      }
      log << std::endl;
      if (c == CR_STATUS_SHOOT) {
        // Only traced: the weight of where the receiver could dribble on.
        dribblePath.setBeginPoint(interPoint);
        dribblePath.setDefaultParams();
        log << "dribblePathValue: " << dribblePath.getBestTargetWeight() << std::endl
            << "dribblePathWeight:";
        for (unsigned int u = 0; u < n; ++u) log << " " << 0.0f;
        log << std::endl;
      }
    }
    log << "planInfo: " << kickerNum << " --> " << player.getUniNum() << std::endl << "planWeight:";
    for (unsigned int u = 0; u < n; ++u) log << " " << planWeight;
    log << std::endl;
  }
  if (logSummary) {
    log << "P" << player.getUniNum() << "\tPoint: " << interPoint << "\t\tweights:";
    for (unsigned int u = 0; u < n; ++u) log << "\t" << *out[u];
    log << std::endl;
  }
}

}  // namespace tovren
