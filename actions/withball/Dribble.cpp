#include "actions/withball/Dribble.h"

#include "foundation/Check.h"
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
  Vector toTarget;
  toTarget.setByPoints(beginPoint, target);
  const float firstDir = toTarget.getDirection();
  for (int i = 0; i < dirCount; ++i) {
    targetDirs[i] = Degree::normalizeAngle(firstDir + DIR_STEP * i);
    setTargetWeight(i);
  }

  const float y = beginPoint.y;
  const float ballX = worldModel->getBall().getPos().getX();
  for (int i = 0; i < dirCount; ++i) {
    const float dir = targetDirs[i];
    const bool towardsTouchLine = (y >= TOUCH_LINE_NEAR_Y && dir > 0.0f) ||
                                  (y <= -TOUCH_LINE_NEAR_Y && dir < 0.0f) ||
                                  (std::fabs(y) >= TOUCH_LINE_CLOSE_Y && dir == 0.0f);
    if (towardsTouchLine) targetWeights[i] -= OUT_OF_FIELD_PENALTY;
    const bool towardsGoalLine =
        (ballX >= GOAL_LINE_NEAR_X && std::fabs(dir) < ALONG_GOAL_LINE_DIR) ||
        (ballX >= GOAL_LINE_CLOSE_X && std::fabs(dir) == ALONG_GOAL_LINE_DIR);
    if (towardsGoalLine) targetWeights[i] -= OUT_OF_FIELD_PENALTY;
  }

  bestIndex = 0;
  for (int i = 1; i < dirCount; ++i) {
    if (targetWeights[i] > targetWeights[bestIndex]) bestIndex = i;
  }
  Vector step;
  step.setAsPolar(NEW_TARGET_DIST, targetDirs[bestIndex]);
  target = Point(beginPoint.x + step.getX(), beginPoint.y + step.getY());
}

void DribblePath::setCraudWeight(int i) {
  checkIndex(i);
  const float base = Degree::normalizeAngle(targetDirs[i] - 90.0f);
  const float halfWidth = widthRate * pathLength;
  float crowd = 0.0f;
  auto addPlayer = [&](const Player& player) {
    const float dist = player.getDistance(beginPoint);
    Vector toPlayer;
    toPlayer.setByPoints(beginPoint, player.getPos());
    // y runs along direction i, x across it.
    Vector v;
    v.setAsPolar(dist, Degree::normalizeAngle(toPlayer.getDirection() - base));
    const float across = std::fabs(v.getX());
    if (v.getY() <= 0.0f || v.getY() > pathLength || across > halfWidth) return;
    float c = -(v.getY() - across) * across / halfWidth;
    if (dist < CLOSE_OPP_DIST) c *= std::max(CLOSE_OPP_DIST - dist, MIN_CLOSE_OPP_FACTOR);
    crowd = std::min(crowd, std::min(c, 0.0f));
  };
  for (unsigned int j = 0; j < WorldModel::FULL_PLAYERS_NUM; ++j) {
    const Player& player = worldModel->getFullPlayer(TID_OPPONENT, j);
    if (player.isValid()) addPlayer(player);
  }
  for (unsigned int j = 0; j < WorldModel::HALF_PLAYERS_NUM; ++j) {
    const Player& player = worldModel->getHalfPlayer(TID_OPPONENT, j);
    if (player.isValid()) addPlayer(player);
  }
  for (unsigned int j = 0; j < WorldModel::QUARTER_PLAYERS_NUM; ++j) {
    const Player& player = worldModel->getQuarterPlayer(j);
    if (player.isAlive()) addPlayer(player);
  }
  targetWeights[i] += crowd * crowdFactor;
}

void DribblePath::setAngleWeight(int i) {
  checkIndex(i);
  const float a = Degree::normalizeAngle(targetDirs[i] - targetDirs[0]);
  targetWeights[i] += (180.0f - std::fabs(a)) * ANGLE_WEIGHT_PER_DEGREE * angleFactor;
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

}  // namespace tovren
