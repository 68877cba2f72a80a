#include "actions/withoutball/Offense.h"

#include "actions/basic/BasicDash.h"
#include "actions/basic/BasicTurn.h"
#include "actions/withball/Pass.h"
#include "actions/withoutball/Positioning.h"
#include "connection/Command.h"
#include "foundation/Basics.h"
#include "foundation/Logger.h"
#include "worldmodel/WorldModel.h"

#include <algorithm>
#include <cmath>
#include <ostream>

namespace tovren {

namespace {

constexpr float OFFENSE_VALUE = 10.0f;

// The grid.
constexpr unsigned int GRID_COLUMNS = 20;
constexpr float GRID_MIN_X = 32.0f;
constexpr float GRID_MIN_Y = -20.0f;
// Points this far short of the opponents' offside line may still be chosen.
constexpr float OFFSIDE_MARGIN = 2.0f;

// Only a ball beyond this x, and only the front line (posts 9 to 11), starts the grid.
constexpr float OFFENSE_BALL_X = 30.0f;
constexpr unsigned int LAST_NON_FRONT_POST = 8;

// The fanned kicks: 2.7 m per cycle around the direction to (45, 0), 5 degrees apart.
constexpr float KICK_SPEED = 2.7f;
const Point KICK_AIM(45.0f, 0.0f);
constexpr int KICKS_NUM = 12;
constexpr int KICK_MIDDLE = 6;
constexpr float KICK_STEP = 5.0f;  // degrees
// A point counts as safe when the agent there would be this much nearer than the opponent.
constexpr float INTERCEPT_MARGIN = 1.0f;
constexpr float INTERCEPT_WEIGHT = 10.0f;

constexpr float HOME_RANGE = 15.0f;
constexpr float HOME_WEIGHT = 15.0f;

// The shooting angle less a third of the distance to the goal mouth, rated 35 to 90.
constexpr float SHOOT_MIN = 35.0f;
constexpr float SHOOT_MAX = 90.0f;
constexpr float SHOOT_WEIGHT = 20.0f;
constexpr float SHOOT_DISTANCE_DIVISOR = 3.0f;
constexpr float GOAL_LINE_X = 52.5f;
// The mouth counted for the distance: the goal line between these y values.
constexpr float MOUTH_HALF_WIDTH = 4.0f;

constexpr float EXECUTE_DASH_DISTANCE = 2.0f;
constexpr float EXECUTE_TOLERANCE = 1.0f;
constexpr float EXECUTE_MAX_POWER = 100.0f;
constexpr float EXECUTE_TURN_TOLERANCE = 5.0f;  // degrees

// From a point to the nearest place of the goal mouth.
float getMouthDistance(const Point& point) {
  const float dy = std::max(0.0f, std::fabs(point.y) - MOUTH_HALF_WIDTH);
  return detail::hypotOf(GOAL_LINE_X - point.x, dy);
}

}  // namespace

Offense::Offense(const WorldModel* worldModel, const Positioning& positioning)
    : AdvancedAction(worldModel), positioning(positioning) {}

Offense::~Offense() = default;

Point Offense::getHomePoint(unsigned int uniNum) const { return positioning.getHomePoint(uniNum); }

Point Offense::getOwnHomePoint() const {
  return positioning.getHomePoint(worldModel->getBody().getUniNum());
}

Point Offense::getWeightPoint(unsigned int index) {
  return Point(GRID_MIN_X + static_cast<float>(index % GRID_COLUMNS),
               GRID_MIN_Y + static_cast<float>(index / GRID_COLUMNS));
}

void Offense::nonPlayOnOffense() { target = getOwnHomePoint(); }

float Offense::getValue() {
  logger["MainLog"] << "Offense::getValue" << std::endl;
  if (worldModel->getPlayMode() != PM_PLAY_ON) {
    nonPlayOnOffense();
    return OFFENSE_VALUE;
  }
  offenseDecision = getOffenseDecision();
  if (offenseDecision != 1) {
    maxWeightIndex = NO_INDEX;
    target = getOwnHomePoint();
    return OFFENSE_VALUE;
  }
  resetWeights();
  applyInterceptCalcWeights();
  applyHomeWeights();
  applyShootWeights();
  maxWeightIndex = getMaxWeight();
  target = maxWeightIndex == NO_INDEX ? getOwnHomePoint() : getWeightPoint(maxWeightIndex);
  return OFFENSE_VALUE;
}

int Offense::getOffenseDecision() const {
  if (!(worldModel->getBall().getPos().getX() > OFFENSE_BALL_X)) return 0;
  const BallStatus status = worldModel->getBallStatus();
  const bool teammateOnBall = status == BS_KICKABLE_TMM || status == BS_KICKABLE_TMM_OPP ||
                              status == BS_FREE_BALL_TMM || status == BS_FREE_BALL_TMM_OPP;
  if (!teammateOnBall) return 0;
  return worldModel->getBody().getPostNum() > LAST_NON_FRONT_POST ? 1 : 0;
}

void Offense::resetWeights() {
  const float maxX = worldModel->getOppOffsideLine(true) - OFFSIDE_MARGIN;
  for (unsigned int i = 0; i < WEIGHT_POINTS_NUM; ++i) {
    weights[i] = 0.0f;
    validPoints[i] = getWeightPoint(i).x <= maxX;
  }
}

void Offense::applyInterceptCalcWeights() {
  logger["MainLog"] << "Offense::applyInterceptCalcWeights" << std::endl;
  interceptCalculate.startSession(0, nullptr, nullptr);
  interceptCalculate.updateByWorldModel(worldModel, false, false, false);

  const Ball& ball = worldModel->getBall();
  Vector toAim;
  toAim.setByPoints(ball.getPos(), KICK_AIM);
  Vector baseVel;
  baseVel.setAsPolar(KICK_SPEED, toAim.getDirection());
  for (int k = 0; k < KICKS_NUM; ++k) {
    Ball kicked = ball;
    Vector vel = baseVel;
    vel.rotate(static_cast<float>(k - KICK_MIDDLE) * KICK_STEP);
    kicked.setVel() = vel;
    kicked.simulateByDynamics(worldModel->getBody(), BCM_NONE, BS_NONE, LOOK_AHEAD_TIME);
    interceptCalculate.setVirtualBall(kicked);
    interceptCalculate.run();
    if (interceptCalculate.existFastestPlayer() &&
        interceptCalculate.getFastestPlayer().getTeamId() == TID_OPPONENT) {
      applyOneInterceptCalcWeight(interceptCalculate.getFastestInterPlayer());
    }
  }
}

void Offense::applyOneInterceptCalcWeight(const InterceptPlayer& interPlayer) {
  logger["MainLog"] << "Offense::applyOneInterceptCalcWeight" << std::endl;
  const Point interPoint = interPlayer.getInterPoint();
  const float oppDistance = interPlayer.getPlayer()->getDistance(interPoint);
  for (unsigned int i = 0; i < WEIGHT_POINTS_NUM; ++i) {
    if (validPoints[i] &&
        getWeightPoint(i).getDistance(interPoint) < oppDistance - INTERCEPT_MARGIN) {
      weights[i] += INTERCEPT_WEIGHT;
    }
  }
}

void Offense::applyHomeWeights() {
  logger["MainLog"] << "Offense::applyHomeWeights" << std::endl;
  const Point home = getOwnHomePoint();
  for (unsigned int i = 0; i < WEIGHT_POINTS_NUM; ++i) {
    if (!validPoints[i]) continue;
    weights[i] += Basics::reRate(getWeightPoint(i).getDistance(home), 0.0f, HOME_RANGE, 0.0f,
                                 HOME_WEIGHT, RRM_INVERSE);
  }
}

void Offense::applyShootWeights() {
  logger["MainLog"] << "Offense::applyShootWeights" << std::endl;
  for (unsigned int i = 0; i < WEIGHT_POINTS_NUM; ++i) {
    if (!validPoints[i]) continue;
    const Point point = getWeightPoint(i);
    const float angle = Pass::getShootDirValue(point, worldModel);
    const float rated = angle - getMouthDistance(point) / SHOOT_DISTANCE_DIVISOR;
    weights[i] += Basics::reRate(rated, SHOOT_MIN, SHOOT_MAX, 0.0f, SHOOT_WEIGHT, RRM_DIRECT);
  }
}

unsigned int Offense::getMaxWeight() const {
  unsigned int best = NO_INDEX;
  for (unsigned int i = 0; i < WEIGHT_POINTS_NUM; ++i) {
    if (validPoints[i] && (best == NO_INDEX || weights[i] > weights[best])) best = i;
  }
  if (best != NO_INDEX) logger["MainLog"] << "Offense max weight: " << weights[best] << std::endl;
  return best;
}

void Offense::execute(SayDecisionFlags&) {
  logger["MainLog"] << "Offense::execute" << std::endl;
  const Body& body = worldModel->getBody();
  if (body.getDistance(target) >= EXECUTE_DASH_DISTANCE) {
    DashNormalGotoPoint go(target, EXECUTE_TOLERANCE, body, EXECUTE_MAX_POWER);
    preparedCommand = go.takeCommand();
  } else {
    TurnToObject turn(worldModel->getBall(), body, EXECUTE_TURN_TOLERANCE);
    preparedCommand = turn.takeCommand();
  }
  if (preparedCommand == nullptr) preparedCommand = std::make_unique<EmptyCommand>();
  publish(preparedCommand.get());
}

void Offense::logWeights() const {
  LogStream& log = logger["MainLog"];
  if (!log.isOutValid()) return;
  log << "Offense points:" << std::endl;
  for (unsigned int i = 0; i < WEIGHT_POINTS_NUM; ++i) {
    if (i > 0 && i % GRID_COLUMNS == 0) log << std::endl;
    log << "P" << getWeightPoint(i) << "V" << (validPoints[i] ? 1 : 0) << "W" << weights[i] << "\t";
  }
  log << std::endl;
}

}  // namespace tovren
