#include "actions/withball/Dribble.h"

#include "actions/basic/BasicKick.h"
#include "actions/basic/BasicTurn.h"
#include "actions/withball/Pass.h"
#include "connection/Command.h"
#include "foundation/Basics.h"
#include "foundation/Check.h"
#include "foundation/Logger.h"
#include "foundation/Types.h"
#include "geometry/Degree.h"
#include "worldmodel/Ball.h"
#include "worldmodel/Player.h"
#include "worldmodel/WorldModel.h"

#include <algorithm>
#include <cmath>

namespace tovren {

namespace {

// The default fan: 36 directions 10 degrees apart, corridors 12 m long and 3 m to each side.
constexpr int DEFAULT_DIRS_NUM = 36;
constexpr float DEFAULT_PATH_LENGTH = 12.0f;
constexpr float DEFAULT_ANGLE_FACTOR = 1.6f;
constexpr float DEFAULT_CROWD_FACTOR = 8.0f;
constexpr float DEFAULT_WIDTH_RATE = 0.25f;
constexpr float DIR_STEP = 10.0f;  // degrees

// The target: on the goal line, level with the ball until the ball is close enough to
// aim at the goal's centre.
constexpr float TARGET_X = 52.5f;
constexpr float CENTRE_TARGET_BALL_X = 42.0f;
// Where the path goes after a computation: this far along the best direction.
constexpr float NEW_TARGET_DIST = 10.0f;

// Straight on weighs (180 / 30) × 0.15 = 0.9 times the angle factor, straight back 0.
constexpr float ANGLE_WEIGHT_PER_DEGREE = 0.15f / 30.0f;

// An opponent this close to the begin point crowds more, by at least the floor factor.
constexpr float CLOSE_OPP_DIST = 5.0f;
constexpr float MIN_CLOSE_OPP_FACTOR = 1.5f;

// Directions that would leave the field lose this much, which no other weight makes up.
constexpr float OUT_OF_FIELD_PENALTY = 1000.0f;
// Near a touch line (|y| from 31) directions towards it are forbidden, from 32 also
// the one along it.
constexpr float TOUCH_LINE_NEAR_Y = 31.0f;
constexpr float TOUCH_LINE_CLOSE_Y = 32.0f;
// With the ball near the opponents' goal line (x from 50) forward directions are
// forbidden, from 51 also the ones along it.
constexpr float GOAL_LINE_NEAR_X = 50.0f;
constexpr float GOAL_LINE_CLOSE_X = 51.0f;
constexpr float ALONG_GOAL_LINE_DIR = 90.0f;

// Where a dribble's prediction rests before it has one.
const Point OFF_FIELD(-1000.0f, -1000.0f);

// The player lists a loop over the world model's players visits.
enum PlayerLists : unsigned int {
  PL_FULL_TMM = 1,  // the agent itself left out
  PL_FULL_OPP = 2,
  PL_HALF_TMM = 4,
  PL_HALF_OPP = 8,
  PL_QUARTER_ALIVE = 16,
  PL_QUARTER_VALID = 32,
};

// Visits the valid players of the lists (quarter players alive or valid, as asked) in
// list order: full, half, quarter.
template <typename Visit>
void forEachPlayer(const WorldModel& worldModel, unsigned int lists, Visit visit) {
  for (unsigned int j = 0; j < WorldModel::FULL_PLAYERS_NUM; ++j) {
    const Player& teammate = worldModel.getFullPlayer(TID_TEAMMATE, j);
    if ((lists & PL_FULL_TMM) && teammate.isValid() && !teammate.isBody()) visit(teammate);
  }
  for (unsigned int j = 0; j < WorldModel::FULL_PLAYERS_NUM; ++j) {
    const Player& opponent = worldModel.getFullPlayer(TID_OPPONENT, j);
    if ((lists & PL_FULL_OPP) && opponent.isValid()) visit(opponent);
  }
  for (unsigned int j = 0; j < WorldModel::HALF_PLAYERS_NUM; ++j) {
    const Player& teammate = worldModel.getHalfPlayer(TID_TEAMMATE, j);
    if ((lists & PL_HALF_TMM) && teammate.isValid()) visit(teammate);
  }
  for (unsigned int j = 0; j < WorldModel::HALF_PLAYERS_NUM; ++j) {
    const Player& opponent = worldModel.getHalfPlayer(TID_OPPONENT, j);
    if ((lists & PL_HALF_OPP) && opponent.isValid()) visit(opponent);
  }
  for (unsigned int j = 0; j < WorldModel::QUARTER_PLAYERS_NUM; ++j) {
    const Player& player = worldModel.getQuarterPlayer(j);
    if (((lists & PL_QUARTER_ALIVE) && player.isAlive()) ||
        ((lists & PL_QUARTER_VALID) && player.isValid())) {
      visit(player);
    }
  }
}

// How much a player crowds a corridor of the length and half-width running along a
// direction, from his distance and his direction relative to the corridor's left normal
// (so that y runs along the corridor, x across it): 0 or less.
float corridorCrowd(float dist, float relativeDir, float length, float halfWidth) {
  Vector v;
  v.setAsPolar(dist, relativeDir);
  const float across = std::fabs(v.getX());
  if (v.getY() <= 0.0f || v.getY() > length || across > halfWidth) return 0.0f;
  float c = -(v.getY() - across) * across / halfWidth;
  if (dist < CLOSE_OPP_DIST) c *= std::max(CLOSE_OPP_DIST - dist, MIN_CLOSE_OPP_FACTOR);
  return std::min(c, 0.0f);
}

// The straightness part of a direction's weight, from its angle to the first direction.
float straightnessWeight(float angleToFirst) {
  return (180.0f - std::fabs(angleToFirst)) * ANGLE_WEIGHT_PER_DEGREE;
}

// What a direction loses for leaving the field over a touch line (y of the point it
// starts from) or the goal line (x of the ball).
float fieldEdgePenalty(float dir, float y, float ballX) {
  float penalty = 0.0f;
  const bool towardsTouchLine = (y >= TOUCH_LINE_NEAR_Y && dir > 0.0f) ||
                                (y <= -TOUCH_LINE_NEAR_Y && dir < 0.0f) ||
                                (std::fabs(y) >= TOUCH_LINE_CLOSE_Y && dir == 0.0f);
  if (towardsTouchLine) penalty += OUT_OF_FIELD_PENALTY;
  const bool towardsGoalLine =
      (ballX >= GOAL_LINE_NEAR_X && std::fabs(dir) < ALONG_GOAL_LINE_DIR) ||
      (ballX >= GOAL_LINE_CLOSE_X && std::fabs(dir) == ALONG_GOAL_LINE_DIR);
  if (towardsGoalLine) penalty += OUT_OF_FIELD_PENALTY;
  return penalty;
}

// The first index of the greatest weight.
int firstGreatest(const float* weights, int count) {
  int best = 0;
  for (int i = 1; i < count; ++i) {
    if (weights[i] > weights[best]) best = i;
  }
  return best;
}

Point along(const Point& from, float length, float dir) {
  Vector step;
  step.setAsPolar(length, dir);
  return Point(from.x + step.getX(), from.y + step.getY());
}

float directionTo(const Point& from, const Point& to) {
  Vector v;
  v.setByPoints(from, to);
  return v.getDirection();
}

}  // namespace

DribblePath::DribblePath(const WorldModel* worldModel)
    : dirCount(DEFAULT_DIRS_NUM),
      pathLength(DEFAULT_PATH_LENGTH),
      angleFactor(DEFAULT_ANGLE_FACTOR),
      widthRate(DEFAULT_WIDTH_RATE),
      crowdFactor(DEFAULT_CROWD_FACTOR),
      worldModel(worldModel) {}

void DribblePath::setDefaultParams() {
  setPathParams(DEFAULT_DIRS_NUM, DEFAULT_PATH_LENGTH, DEFAULT_ANGLE_FACTOR, DEFAULT_CROWD_FACTOR,
                DEFAULT_WIDTH_RATE);
}

void DribblePath::setPathParams(int count, float length, float angleFactor, float crowdFactor,
                                float widthRate) {
  TOVREN_CHECK(count > 0 && count <= MAX_DIRS_NUM);
  // A corridor without length or width would divide by zero in the crowd weight.
  TOVREN_CHECK(length > 0.0f && widthRate > 0.0f);
  setTargetByBall();
  dirCount = count;
  pathLength = length;
  this->angleFactor = angleFactor;
  this->crowdFactor = crowdFactor;
  this->widthRate = widthRate;
}

void DribblePath::setTargetByBall() {
  const Vector& ball = worldModel->getBall().getPos();
  target = Point(TARGET_X, ball.getX() < CENTRE_TARGET_BALL_X ? ball.getY() : 0.0f);
}

void DribblePath::checkIndex(int i) const { TOVREN_CHECK(i >= 0 && i < dirCount); }

void DribblePath::setDribbleTarget() {
  std::fill(targetWeights, targetWeights + dirCount, 0.0f);
  const float firstDir = directionTo(beginPoint, target);
  for (int i = 0; i < dirCount; ++i) {
    targetDirs[i] = Degree::normalizeAngle(firstDir + DIR_STEP * i);
    setTargetWeight(i);
  }
  const float ballX = worldModel->getBall().getPos().getX();
  for (int i = 0; i < dirCount; ++i) {
    targetWeights[i] -= fieldEdgePenalty(targetDirs[i], beginPoint.y, ballX);
  }
  bestIndex = firstGreatest(targetWeights, dirCount);
  target = along(beginPoint, NEW_TARGET_DIST, targetDirs[bestIndex]);
}

void DribblePath::setCraudWeight(int i) {
  checkIndex(i);
  const float base = Degree::normalizeAngle(targetDirs[i] - 90.0f);
  float crowd = 0.0f;
  forEachPlayer(
      *worldModel, PL_FULL_OPP | PL_HALF_OPP | PL_QUARTER_ALIVE, [&](const Player& player) {
        const float dist = player.getDistance(beginPoint);
        const float toPlayer = directionTo(beginPoint, player.getPos());
        crowd = std::min(crowd, corridorCrowd(dist, Degree::normalizeAngle(toPlayer - base),
                                              pathLength, widthRate * pathLength));
      });
  targetWeights[i] += crowd * crowdFactor;
}

void DribblePath::setAngleWeight(int i) {
  checkIndex(i);
  const float a = Degree::normalizeAngle(targetDirs[i] - targetDirs[0]);
  targetWeights[i] += straightnessWeight(a) * angleFactor;
}

void DribblePath::setTargetWeight(int i) {
  setCraudWeight(i);
  setAngleWeight(i);
}

float DribblePath::getBestTargetWeight() {
  setDribbleTarget();
  return targetWeights[bestIndex];
}

float DribblePath::getTargetWeight(int i) {
  checkIndex(i);
  setDribbleTarget();
  return targetWeights[i];
}

// ---------------------------------------------------------------------------------------
// Dribble

namespace {

// One dribble point of the normal set; the fast values hold for a ball faster than
// FAST_BALL_SPEED. Around opponents the margins, dash powers and rates change.
struct PointRow {
  float angle;  // degrees from the body direction
  int priority;
  float pointMargin;
  float fastPointMargin;
  float kickMargin;
  float fastKickMargin;
  float dashPower;
  float dashRate;
  float keepMargin;
  float turnLimit;  // degrees
  int kickCycles;
  float kickRate;
};
// The turn limits are not symmetric on purpose: +15 and -105 degrees allow any turn, -15
// and +105 only 70.
constexpr PointRow NORMAL_POINTS[Dribble::POINTS_NUM] = {
    {30, 6, 0.1f, 0.3f, 0.1f, 0.5f, 100, 1.6f, 0.1f, 180, 1, 0.58f},
    {-30, 6, 0.1f, 0.3f, 0.1f, 0.5f, 100, 1.6f, 0.1f, 180, 1, 0.58f},
    {70, 5, 0.3f, 0.5f, 0.4f, 0.5f, 80, 0.3f, 0.2f, 70, 1, 0.9f},
    {-70, 5, 0.3f, 0.5f, 0.4f, 0.5f, 80, 0.3f, 0.2f, 70, 1, 0.9f},
    {15, 4, 0.1f, 0.3f, 0.3f, 0.5f, 100, 0.7f, 0.1f, 180, 1, 0.9f},
    {-15, 4, 0.1f, 0.3f, 0.3f, 0.5f, 100, 0.7f, 0.1f, 70, 1, 0.9f},
    {105, 3, 0.3f, 0.5f, 0.4f, 0.5f, 60, 0.4f, 0.2f, 70, 1, 0.9f},
    {-105, 3, 0.3f, 0.5f, 0.4f, 0.5f, 60, 0.4f, 0.2f, 180, 1, 0.9f},
    {135, 2, 0.2f, 0.4f, 0.3f, 0.5f, 60, 0.4f, 0.1f, 180, 1, 0.9f},
    {-135, 2, 0.2f, 0.4f, 0.3f, 0.5f, 60, 0.4f, 0.1f, 180, 1, 0.9f},
    {165, 1, 0.2f, 0.4f, 0.5f, 0.5f, 0, 0.4f, 0.1f, 180, 1, 0.9f},
    {-165, 1, 0.2f, 0.4f, 0.5f, 0.5f, 0, 0.4f, 0.1f, 180, 1, 0.9f},
};
// The opponent set, one row for each pair of points (+angle, -angle).
struct OpponentPointRow {
  float pointMargin;
  float kickMargin;
  float dashPower;
  float dashRate;
  float kickRate;
};
constexpr OpponentPointRow OPPONENT_POINTS[Dribble::POINTS_NUM / 2] = {
    {0.1f, 0.3f, 100, 0.4f, 1}, {0.2f, 0.4f, 80, 0, 1}, {0.1f, 0.3f, 100, 0, 1},
    {0.2f, 0.4f, 60, 0, 1},     {0.1f, 0.3f, 60, 0, 1}, {0.1f, 0.4f, 50, 0, 1},
};
constexpr float FAST_BALL_SPEED = 1.2f;  // metres per cycle

constexpr int DRIBBLE_DIRS_NUM = 36;
constexpr float DRIBBLE_PATH_LENGTH = 12.0f;
constexpr float DRIBBLE_ANGLE_FACTOR = 1.6f;
constexpr float DRIBBLE_CROWD_FACTOR = 8.0f;
constexpr float CORRIDOR_HALF_WIDTH_RATE = 0.25f;
// A player within 1.2 corridor lengths of the agent gives the directions close to the body
// direction a small bonus.
constexpr float OPP_NEAR_RATE = 1.2f;
constexpr float OPP_NEAR_DIR = 20.0f;  // degrees off the body direction
constexpr float OPP_NEAR_BONUS = 0.04f;

// A penalty kick runs at the corner of the goal area's side.
constexpr float PENALTY_RUN_MIN_X = 33.0f;
constexpr float PENALTY_TARGET_Y = 34.0f;

constexpr float POINT_RADIUS = 2.8f;       // metres around a point that count as crowding it
constexpr float SIDE_RULE_MARGIN = 0.09f;  // a higher priority wins with this much less weight

constexpr float FACING_LIMIT = 30.0f;  // degrees off the target the body may stay
constexpr float KICK_POINT_INSET = 0.2f;
constexpr float MIN_DASH_REACH = 0.2f;
constexpr float MOVING_BALL_SPEED = 0.5f;
constexpr float MOVING_BALL_MARGIN = 0.1f;
// Near the field's edge the ball is kept closer.
constexpr float EDGE_BALL_X = 49.5f;
constexpr float EDGE_BALL_Y = 32.0f;
constexpr float EDGE_MARGIN = 0.25f;

constexpr float OPP_KICKABLE_DIST = 1.2f;
constexpr float LOW_STAMINA = 1400.0f;
constexpr float REACH_MARGIN = 0.1f;        // the ball must stay this far inside the kickable area
constexpr float MIN_DASH_BALL_DIST = 0.4f;  // a dash must not run into the ball

constexpr float TARGET_AGREEMENT = 40.0f;  // degrees, and the term at agreement
constexpr float CROWD_PENALTY_RATE = 3.0f;
constexpr float CROWD_PENALTY_SCALE = 3.6f;

// The shot weight is measured to a point beside the goal's centre, free up to 10 m.
const Point SHOOT_WEIGHT_POINT(52.5f, 4.0f);
constexpr float SHOOT_FREE_DIST = 10.0f;
constexpr float SHOOT_DIST_DISCOUNT = 1.15f;

constexpr float NO_BLOCK_WEIGHT = 60.0f;
constexpr float FAR_BLOCK_WEIGHT = 25.0f;
constexpr float BLOCK_DIST = 5.0f;
constexpr float BEHIND_BLOCK_DIST = 2.5f;
constexpr float BEHIND_BLOCK_DIR = 125.0f;
constexpr float BLOCK_BASE = -35.0f;
constexpr float MOVING_PLAYER_SPEED = 0.2f;

// The order weight: the nearer a point lies ahead, the better; the +-15 degree points
// are penalised because they leave the ball in the body's way.
float orderWeight(int i) {
  const float weight = 35.0f - 11.0f * static_cast<float>(i / 2);
  return i == 4 || i == 5 ? weight - 20.0f : weight;
}

}  // namespace

Dribble::Dribble(const WorldModel* worldModel)
    : AdvancedAction(worldModel),
      dirCount(DRIBBLE_DIRS_NUM),
      pathLength(DRIBBLE_PATH_LENGTH),
      angleFactor(DRIBBLE_ANGLE_FACTOR),
      crowdFactor(DRIBBLE_CROWD_FACTOR) {
  // Until the first value is computed the predicted ball and body rest far off the field,
  // where no player can reach the ball.
  simBall.setPos().setAsCartesian(OFF_FIELD.x, OFF_FIELD.y);
  simBody.setPos().setAsCartesian(OFF_FIELD.x, OFF_FIELD.y);
  simBall.updateRelativeVecs(simBody);
}

Dribble::~Dribble() = default;

float Dribble::getKickableDistance() const {
  const Body& body = worldModel->getBody();
  return worldModel->getBall().getSize() + body.getSize() + body.getKickableMargin();
}

Point Dribble::setByPointInformation(float angle, float margin) const {
  Body next = worldModel->getBody();
  next.simulateByDynamics(false);
  return along(next.getPos(), getKickableDistance() - margin,
               Degree::normalizeAngle(worldModel->getBody().getBodyDir() + angle));
}

void Dribble::setDribblePoints() { startCycle(false); }

void Dribble::setDribbleArgumentsByOpponent() { startCycle(true); }

void Dribble::startCycle(bool byOpponent) {
  const Ball& ball = worldModel->getBall();
  const float ballX = ball.getPos().getX();
  const float ballY = ball.getPos().getY();
  target = Point(TARGET_X, ballX < CENTRE_TARGET_BALL_X ? ballY : 0.0f);
  if (worldModel->getPlayMode() == PM_OUR_PENALTY_READY &&
      worldModel->getVirtualPlayMode() == VPM_OUR_PENALTY_TAKEN && ballX > PENALTY_RUN_MIN_X &&
      ballX < CENTRE_TARGET_BALL_X) {
    if (ballY > 0.0f) target = Point(TARGET_X, PENALTY_TARGET_Y);
    if (ballY < 0.0f) target = Point(TARGET_X, -PENALTY_TARGET_Y);
  }
  firstTarget = target;

  pathLength = DRIBBLE_PATH_LENGTH;
  angleFactor = DRIBBLE_ANGLE_FACTOR;
  crowdFactor = DRIBBLE_CROWD_FACTOR;
  dirCount = DRIBBLE_DIRS_NUM;
  oppNear = 0.0f;
  if (!byOpponent) pointsCrowded = 0;
  std::fill(targetDirs, targetDirs + dirCount, 0.0f);
  std::fill(targetWeights, targetWeights + dirCount, 0.0f);

  // The fast-ball margins belong to the normal set only.
  const bool fastBall = !byOpponent && ball.getVel().getMagnitude() > FAST_BALL_SPEED;
  for (int i = 0; i < POINTS_NUM; ++i) {
    const PointRow& row = NORMAL_POINTS[i];
    pointAngles[i] = row.angle;
    pointPriorities[i] = row.priority;
    keepMargins[i] = row.keepMargin;
    turnLimits[i] = row.turnLimit;
    kickCycles[i] = row.kickCycles;
    if (byOpponent) {
      const OpponentPointRow& opp = OPPONENT_POINTS[i / 2];
      pointMargins[i] = opp.pointMargin;
      kickMargins[i] = opp.kickMargin;
      dashPowers[i] = opp.dashPower;
      dashRates[i] = opp.dashRate;
      kickRates[i] = opp.kickRate;
    } else {
      pointMargins[i] = fastBall ? row.fastPointMargin : row.pointMargin;
      kickMargins[i] = fastBall ? row.fastKickMargin : row.kickMargin;
      dashPowers[i] = row.dashPower;
      dashRates[i] = row.dashRate;
      kickRates[i] = row.kickRate;
    }
  }
  for (int i = 0; i < POINTS_NUM; ++i) {
    dribblePoints[i] = setByPointInformation(pointAngles[i], pointMargins[i]);
  }
  std::fill(std::begin(pointWeights), std::end(pointWeights), 0.0f);
}

void Dribble::setOpponentInWeight(float radius) {
  pointsCrowded = 0;
  for (int i = 0; i < POINTS_NUM; ++i) {
    forEachPlayer(*worldModel,
                  PL_FULL_TMM | PL_FULL_OPP | PL_HALF_TMM | PL_HALF_OPP | PL_QUARTER_ALIVE,
                  [&](const Player& player) {
                    const float d = player.getDistance(dribblePoints[i]);
                    if (d >= radius) return;
                    pointWeights[i] -= radius - d;
                    pointsCrowded = 1;
                  });
  }
}

int Dribble::bestDribblePoint() {
  setOpponentInWeight(POINT_RADIUS);
  if (pointsCrowded == 1) {
    setDribbleArgumentsByOpponent();
    setOpponentInWeight(POINT_RADIUS);
  }
  int best = 0;
  for (int i = 0; i < POINTS_NUM; ++i) {
    if (pointWeights[i] > pointWeights[best] ||
        (pointPriorities[i] > pointPriorities[best] &&
         pointWeights[i] + SIDE_RULE_MARGIN > pointWeights[best])) {
      best = i;
    }
  }
  // Between the two front points the side on which the ball will lie decides.
  if (best == 0 && pointWeights[0] == pointWeights[1]) {
    Body body = worldModel->getBody();
    Ball ball = worldModel->getBall();
    body.simulateByDynamics(false);
    ball.simulateByDynamics(body, BCM_NONE, BS_NONE, LOOK_AHEAD_TIME);
    if (ball.getBodyVec().getDirection() <= 0.0f) best = 1;
  }
  return best;
}

void Dribble::setCraudWeight(int i) {
  TOVREN_CHECK(i >= 0 && i < dirCount);
  const float base = Degree::normalizeAngle(targetDirs[i] - 90.0f);
  float crowd = 0.0f;
  forEachPlayer(*worldModel, PL_FULL_OPP | PL_QUARTER_ALIVE, [&](const Player& player) {
    const float dist = player.getBodyVec().getMagnitude();
    if (dist < OPP_NEAR_RATE * pathLength) oppNear = 1.0f;
    const float relativeDir = Degree::normalizeAngle(player.getAbsVec().getDirection() - base);
    crowd = std::min(
        crowd, corridorCrowd(dist, relativeDir, pathLength, CORRIDOR_HALF_WIDTH_RATE * pathLength));
  });
  targetWeights[i] += crowd * crowdFactor;
}

void Dribble::setAngleWeight(int i) {
  TOVREN_CHECK(i >= 0 && i < dirCount);
  float w = straightnessWeight(Degree::normalizeAngle(targetDirs[i] - targetDirs[0]));
  const float r = Degree::normalizeAngle(targetDirs[i] - worldModel->getBody().getBodyDir());
  if (oppNear != 0.0f && std::fabs(r) < OPP_NEAR_DIR && targetDirs[i] != 0.0f) w += OPP_NEAR_BONUS;
  targetWeights[i] += w * angleFactor;
}

void Dribble::setTargetWeight(int i) {
  setCraudWeight(i);
  setAngleWeight(i);
}

void Dribble::setDribbleTarget(int) {
  const Point bodyPos = worldModel->getBody().getPos();
  const float firstDir = directionTo(bodyPos, target);
  for (int i = 0; i < dirCount; ++i) {
    targetDirs[i] = Degree::normalizeAngle(firstDir + DIR_STEP * i);
    setCraudWeight(i);
    setAngleWeight(i);
  }
  const Vector& ball = worldModel->getBall().getPos();
  for (int i = 0; i < dirCount; ++i) {
    targetWeights[i] -= fieldEdgePenalty(targetDirs[i], ball.getY(), ball.getX());
  }
  target = along(bodyPos, NEW_TARGET_DIST, targetDirs[firstGreatest(targetWeights, dirCount)]);
}

bool Dribble::checkDribbleTarget(int i) {
  TOVREN_CHECK(i >= 0 && i < POINTS_NUM);
  setDribbleTarget(i);
  const Body& body = worldModel->getBody();
  const Ball& ball = worldModel->getBall();
  const float bodyDir = body.getBodyDir();
  const float bodyX = body.getPos().getX();
  const float bodyY = body.getPos().getY();
  const float angle = Degree::normalizeAngle(directionTo(body.getPos(), target) - bodyDir);

  // Turning towards a near touch line, or anything but straight at the goal line, would
  // take the ball out.
  float limit = FACING_LIMIT;
  if ((bodyY > TOUCH_LINE_NEAR_Y && bodyDir > 0.0f && angle < 0.0f) ||
      (bodyY < -TOUCH_LINE_NEAR_Y && bodyDir < 0.0f && angle > 0.0f) ||
      (bodyX > GOAL_LINE_NEAR_X && std::fabs(bodyDir) < ALONG_GOAL_LINE_DIR)) {
    limit = 0.0f;
  }
  const float k = getKickableDistance();
  const Point kickPoint = along(simBody.getPos(), k - pointMargins[i] - KICK_POINT_INSET,
                                Degree::normalizeAngle(bodyDir + pointAngles[i]));
  float extra = ball.getVel().getMagnitude() > MOVING_BALL_SPEED ? MOVING_BALL_MARGIN : 0.0f;
  if (std::fabs(ball.getPos().getX()) > EDGE_BALL_X ||
      std::fabs(ball.getPos().getY()) > EDGE_BALL_Y) {
    extra += EDGE_MARGIN;
  }
  if (std::fabs(angle) <= limit) return true;

  const bool kick = simBall.getBodyVec().getMagnitude() + keepMargins[i] + extra >= k ||
                    (pointsCrowded == 1 && kickPoint.getDistance(ball.getPos()) >
                                               std::max(k * dashRates[i], MIN_DASH_REACH));
  if (kick) {
    KickToPointCycles skill(kickPoint, 1.0f, ball, body, 0.0f);
    preparedCommand = skill.takeCommand();
  } else {
    TurnAngle skill(angle, body, 0.0f);
    preparedCommand = skill.takeCommand();
  }
  return false;
}

float Dribble::getInlineDribbleWeight(int i, float radius) {
  TOVREN_CHECK(i >= 0 && i < POINTS_NUM);
  float total = 0.0f;
  auto crowd = [&](const Player& player) {
    const float d = player.getDistance(dribblePoints[i]);
    if (d >= radius) return false;
    total -= radius - d;
    return true;
  };
  // Only an opponent whose number is known marks the points as crowded.
  forEachPlayer(*worldModel, PL_FULL_OPP, [&](const Player& player) {
    if (crowd(player)) pointsCrowded = 1;
  });
  forEachPlayer(*worldModel, PL_HALF_OPP | PL_QUARTER_ALIVE, crowd);
  return total;
}

bool Dribble::ballInOppKickable() const {
  bool found = false;
  forEachPlayer(*worldModel, PL_FULL_OPP | PL_QUARTER_ALIVE, [&](const Player& player) {
    if (player.getDistance(simBall) <= OPP_KICKABLE_DIST) found = true;
  });
  return found;
}

float Dribble::getBodyCrossWeight() const {
  const Body& body = worldModel->getBody();
  const float s = Pass::getShootDirValue(body.getPos(), worldModel);
  const float d = body.getDistance(SHOOT_WEIGHT_POINT);
  const float weight =
      std::max(0.0f, 2.0f * (s - SHOOT_DIST_DISCOUNT * std::max(0.0f, d - SHOOT_FREE_DIST)));
  logger["MainLog"] << "DribbleShootWeight: " << weight << std::endl;
  return weight;
}

float Dribble::getBlockedWeight() const {
  float m = NO_BLOCK_WEIGHT;
  forEachPlayer(*worldModel, PL_FULL_OPP | PL_HALF_OPP | PL_QUARTER_VALID,
                [&](const Player& player) { m = std::min(m, getPlayerBlockWeight(player)); });
  logger["MainLog"] << "DribbleBlockedWeight: " << m << std::endl;
  return m;
}

float Dribble::getPlayerBlockWeight(const Player& player) const {
  const float d = player.getBodyVec().getMagnitude();
  if (d > BLOCK_DIST) return FAR_BLOCK_WEIGHT;
  LogStream& log = logger["MainLog"];
  log << "Dribble::getPlayerBlockWeight" << std::endl;
  log << "Player: " << player.getTeamId() << " " << player.getUniNum() << std::endl;
  if (d < BEHIND_BLOCK_DIST && std::fabs(player.getBodyVec().getDirection()) > BEHIND_BLOCK_DIR) {
    log << "MIN_WEIGHT: in forbidden area." << std::endl;
    return BLOCK_BASE;
  }
  // How straight the player runs at the body; standing counts as running away.
  float a = 180.0f;
  if (player.getVel().getMagnitude() > MOVING_PLAYER_SPEED) {
    a = std::fabs(
        Degree::getDeltaAngle(Degree::normalizeAngle(player.getAbsVec().getDirection() + 180.0f),
                              player.getVel().getDirection()));
  }
  log << "deltaAngle: " << a << std::endl;
  log << "distValue: " << d << std::endl;
  const float distWeight = Basics::reRate(d, 2.0f, BLOCK_DIST, 0.0f, 45.0f, RRM_DIRECT);
  log << "dist from 1.2 to " << std::sqrt(5.0f) << std::endl;
  log << "distWeight: " << distWeight << std::endl;
  const float dirWeight = Basics::reRate(a, 20.0f, 80.0f, 0.0f, 15.0f, RRM_DIRECT);
  log << "dirWeight: " << dirWeight << std::endl;
  const float weight = dirWeight + distWeight + BLOCK_BASE;
  log << "Weight: " << weight << std::endl;
  return weight;
}

float Dribble::getValue() {
  LogStream& log = logger["MainLog"];
  log << "Dribble::getValue" << std::endl;
  setDribblePoints();
  const int i = bestDribblePoint();

  const Ball& ball = worldModel->getBall();
  const Body& body = worldModel->getBody();
  const float k = getKickableDistance();
  const Point b0 = ball.getPos();
  const float phi = body.getBodyDir();
  const float p = body.getStamina() < LOW_STAMINA ? body.getStaminaIncMax() : dashPowers[i];
  const DashCommand simDash(p);

  Body bodyN = body;
  bodyN.simulateByDynamics(false);
  Body bodyD = body;
  bodyD.simulateByAction(&simDash, false);
  bodyD.simulateByDynamics(false);
  Ball ballN = ball;
  ballN.simulateByDynamics(bodyN, BCM_NONE, BS_NONE, LOOK_AHEAD_TIME);
  Ball ballD = ball;
  ballD.simulateByDynamics(bodyD, BCM_NONE, BS_NONE, LOOK_AHEAD_TIME);
  const float dN = ballN.getBodyVec().getMagnitude();
  const float dD = ballD.getBodyVec().getMagnitude();

  const float theta = Degree::normalizeAngle(phi + pointAngles[i]);
  Point dribblePoint;
  Point kickPoint;
  if (i <= 1) {
    dribblePoint = along(bodyN.getPos(), k - kickMargins[i], theta);
    kickPoint = Point(b0.x + (dribblePoint.x - b0.x) * kickRates[i],
                      b0.y + (dribblePoint.y - b0.y) * kickRates[i]);
    if (bodyN.getDistance(kickPoint) + REACH_MARGIN >= k) {
      kickRates[i] = 1.0f;
      kickPoint = dribblePoint;
    }
  } else {
    dribblePoint = along(bodyN.getPos(), k - pointMargins[i], theta);
    kickPoint = along(bodyN.getPos(), k - kickMargins[i], theta);
  }

  int cycles = kickCycles[i];
  const float toPoint = Degree::normalizeAngle(directionTo(ballN.getPos(), dribblePoint) - phi);
  if (std::fabs(toPoint) > turnLimits[i] && dN + keepMargins[i] < k) cycles = 2;
  if (ballInOppKickable()) dashRates[i] = 0.0f;

  const float h = b0.getDistance(dribblePoint);
  const bool dash = dN + REACH_MARGIN < k
                        ? h <= k * dashRates[i] && dD + REACH_MARGIN < k && dD > MIN_DASH_BALL_DIST
                        : dD + keepMargins[i] < k && h < k * dashRates[i];
  if (dash) {
    preparedCommand = std::make_unique<DashCommand>(p);
  } else {
    KickToPointCycles skill(kickPoint, static_cast<float>(cycles), ball, body, 0.0f);
    preparedCommand = skill.takeCommand();
  }
  simBall = ballN;
  simBody = bodyN;
  checkDribbleTarget(i);

  const float delta = std::fabs(Degree::normalizeAngle(directionTo(body.getPos(), target) -
                                                       directionTo(body.getPos(), firstTarget)));
  const float agreement = delta < TARGET_AGREEMENT ? TARGET_AGREEMENT - delta : 0.0f;
  float value = orderWeight(i) + agreement;
  const float crowd = CROWD_PENALTY_SCALE * getInlineDribbleWeight(i, POINT_RADIUS);
  const float penalty = CROWD_PENALTY_RATE * crowd * crowd;
  log << "inlineDribbleWeight : " << penalty << std::endl;
  value -= penalty;
  value = getBlockedWeight() + value;
  value += getBodyCrossWeight();
  return value;
}

void Dribble::execute(SayDecisionFlags&) {
  logger["MainLog"] << "Dribble::execute" << std::endl;
  publish(preparedCommand.get());
}

}  // namespace tovren
